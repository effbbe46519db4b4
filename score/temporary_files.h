// Fresh files in the temporary folder: named ones that keep only a given extension, for
// documents taken out of archives, and unnamed ones for audio streams kept on disk.
#pragma once

#include <cstdio>

#include "platform/core/folders.h"

enum : SInt32 { kExtensionTemporaireMax = 8 };  // characters of an extension kept

// The temporary folder, ending with '/' (kOrvaPathMax + 1 bytes): the player's, else $TMPDIR,
// else /tmp. Main thread only (it reads the folder tree).
void GetDossierTemporaire(char *path);
// A new empty file "orva-XXXXXX" with "." and the extension of name when it has a plain one
// (letters and digits, at most kExtensionTemporaireMax): nothing else of name is used. path
// (kOrvaPathMax + 1 bytes) receives its path; null when it cannot be made.
FILE *CreeFichierTemporaire(const char *folder, const char *name, char *path);
// An unnamed file in folder (removed from it at once), open for reading and writing: its
// descriptor, or -1. Any thread.
int CreeFichierTemporaireAnonyme(const char *folder);
