// The plug-in's private cache folder and the files in it: downloaded documents ("F%08ld.%s"),
// their unpacked forms and the chord library. The folder belongs to the user alone, so that no
// other account can plant a link where the plug-in writes. Main thread only.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

struct PlugInInstance;

enum : SInt32 {
    kCacheFolderSize = 1024,       // bytes of the folder's path with its terminator
    kCacheExtensionSize = 8,       // "xml", "mxl", "oms" and their terminator
    kCacheNameTries = 100000,      // names tried before NewCacheFile gives up
};

// The cache folder, "<temporary folder>/ondrak-music-<uid>", made with mode 0700 when missing
// and taken only when it is a real folder (not a link) of this user, else "Cache" in the
// current folder under the same conditions. Found once and remembered; false (traced
// "Can't create Cache folder") when neither can be had. The current folder does not change.
Boolean SetPathCache();
// The folder's path with a final '/'; "" before SetPathCache found it.
const char *GetCheminCache();
// The path of a file of the cache folder into path (size bytes); false when it does not fit or
// there is no cache folder.
Boolean CheminFichierCache(const char *name, char *path, size_t size);

// The cache extension of a document's address: "xml" when its path (query and fragment cut)
// ends in "xml", "mxl" when it ends in "mxl", else "oms"; case is ignored.
void CacheExtensionOfUrl(const char *url, char extension[kCacheExtensionSize]);
// The document name an address gives: the last component of its path (query and fragment
// cut), percent-decoded; "" when the path ends with '/'.
void DocNameOfUrl(const char *url, char *name, size_t size);

// Creates the next cache file "F%08ld.<extension>" from the process-wide counter, passing over
// every name already taken (files and links alike: none is followed), and opens it for
// writing, unbuffered. name (size bytes) receives its name. Null when no name could be made.
FILE *NewCacheFile(const char *extension, char *name, size_t size);
// Creates the file name of the cache folder for writing, never following or replacing an
// entry; null when it exists or cannot be made.
FILE *CreeFichierCache(const char *name);
// Deletes a file of the cache folder; nothing for an empty name.
void SupprimeFichierCache(const char *name);
// The next number NewCacheFile tries (tests).
SInt32 GetCompteurCache();
