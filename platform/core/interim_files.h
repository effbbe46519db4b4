// Interim: the folder and file calls that resource files and the scrap need, until the file
// layer lands. Their definitions are weak, so the file layer's own replace them at link time.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

OSErr GetVol(char *name, SInt16 *vRefNum);        // current folder (path with '/') and its id
OSErr SetVol(const char *name, SInt16 vRefNum);   // a path, else the folder of an id; -120 unknown id
FILE *Orvafopen(const char *path, const char *mode);  // retries ignoring letter case unless writing
OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16 *foundVRefNum,
                 SInt32 *foundDirID);
Boolean OrvaGetNomChemin(SInt32 id, char *path);  // the path of a folder id
void OrvaSetDefaultPathGet(SInt16 id);
void OrvaSetDefaultPathPut(SInt16 id);
SInt32 SystemDependantGetApplicationExePath(char *buffer);  // empty and 0 when unknown
