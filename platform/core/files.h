// The engine's file routines over the folder table: opening, removing and renaming files by
// UTF-8 path, directory search, and the Standard File replacements on the GTK choosers.
#pragma once

#include <cstdio>

#include "platform/core/linux_files.h"
#include "platform/core/mac_types.h"

enum : SInt32 {
    kRenamePathMax = 511,   // characters of each RenommeFichier path
    kFilterTextMax = 511,   // bytes of a chooser filter list
    kReplyNameSize = 256,   // bytes of a reply's file name
};

// Answer of the choosers.
struct SFReply {
    SInt16 good;     // 1 confirmed, 0 cancelled
    SInt16 copy;
    OSType fType;
    SInt16 vRefNum;  // folder id of the chosen file's folder
    SInt16 version;
    char fName[kReplyNameSize];  // the chosen file's name, NUL-terminated UTF-8
};

FILE *Orvafopen(const char *path, const char *mode);  // retries ignoring letter case unless writing
int Orvaremove(const char *path);
FILE *OuvreFichier(const char *path, const char *mode);  // null on failure; current folder unchanged
int SupprimeFichier(const char *path);
int SupprimeDossier(const char *path);
int RenommeFichier(const char *oldPath, const char *newPath);  // rename's result; -1 for over-long paths
UInt32 GetFileModifiedTime(const char *path);  // seconds since 1970, 0 unknown
Boolean OrvaSetFileLength(const char *path, SInt64 length);
Boolean OrvaFindFirstFile(const char *pattern, FindFileRecord *record);  // every kind of entry
Boolean OrvaFindNextFile(FindFileRecord *record);
UInt32 OrvaFindClose(FindFileRecord *record);
Boolean OrvaSelectFolder(const char *parent, char *path);  // path: kOrvaPathMax + 1 bytes

// Standard File. The filter text is "first part|name|patterns|name|patterns..."; the file
// filter, type list and hooks are not used.
void SFGetFile(Point where, const char *filterText, void *fileFilter, SInt16 numTypes, const OSType *typeList,
               void *dialogHook, SFReply *reply);
void SFPGetFile(Point where, const char *filterText, void *fileFilter, SInt16 numTypes, const OSType *typeList,
                void *dialogHook, SFReply *reply, SInt16 dialogID, void *filterProc);
void SFPutFile(Point where, const char *prompt, const char *defaultName, void *dialogHook, SFReply *reply);
void SFPPutFile(Point where, const char *prompt, const char *defaultName, void *dialogHook, SFReply *reply,
                SInt16 dialogID, void *filterProc);
void CountAppFiles(SInt16 *message, SInt16 *count);  // no files to open or print
void GetAppFiles(SInt16 index, void *file);
OSErr SetFInfo(const char *name, SInt16 vRefNum, const void *info);  // 0
OSErr GetFInfo(const char *name, SInt16 vRefNum, void *info);        // 0
