// The Linux half of the file layer, on POSIX and GLib: opening with a letter-case-blind retry, the current folder,
// free space, wildcard directory search, the standard folders and the stubs of other platforms.
#pragma once

#include <cstdio>

#include "platform/core/mac_types.h"

enum : SInt32 {
    kFindPatternMax = 32,   // characters of a search pattern
    kFindFolderMax = 259,   // characters of a searched folder path, with its '/'
    kFindNameMax = 259,     // characters of a match name
};

enum : UInt32 {
    kFindAttributeFolder = 8,  // in a mask: folders are returned too; in a match: it is a folder
    kFindAttributeAll = 15,
};

// One directory search, owned by the caller (usually on its stack), cleared by the first call.
struct FindFileRecord {
    UInt32 attributeMask;            // kFindAttributeFolder: folders are returned too
    char pattern[kFindPatternMax + 1];
    char folder[kFindFolderMax + 1];  // with its trailing '/'
    UInt32 reserved;                 // 0
    void *stream;                    // the open directory stream (DIR *), null when closed
    UInt32 creationTime;             // seconds since 1970; this and the next: the last access
    UInt32 lastAccessTime;
    UInt32 lastWriteTime;            // last modification, seconds since 1970
    UInt64 size;                     // bytes
    char name[kFindNameMax + 1];     // the match
    UInt32 attributes;               // kFindAttributeFolder for a folder, 0 for a file
};

// Files and folders.
FILE *SystemDependantfopen(const char *path, const char *mode);  // retries ignoring case unless writing
FILE *_wfopen(const UniChar *path, const UniChar *mode);         // UTF-16 names, through the UTF-8 calls
int _wremove(const UniChar *path);
SInt16 SystemDependantSetCurrentDir(const char *path);  // 0 or -1
char *SystemDependantGetCurrentDir(char *buffer, SInt32 size);  // null on failure
UInt64 SystemDependantDiskFreeSpace();  // KB free on the current folder's file system, 0 unknown
Boolean SystemDependantSetFileLength(const char *path, SInt64 length);
int SystemDependant_mkdir(const char *path);  // mkdir with mode 0775
void SystemDependantSetAppFileName(const char *path);
SInt32 SystemDependantGetApplicationExePath(char *buffer);  // kOrvaPathMax + 1 bytes; 1, or 0 and empty
UInt32 OrvaGetFileTime(const char *path);  // modification time (seconds since 1970), 0 unknown
// The 'pref', 'temp' and 'docs' folders (created level by level when asked). The current folder
// is the same afterwards. -50 other kinds, -43 cannot be entered, -120 creation failed.
OSErr SystemDependantFindFolder(SInt16 vRefNum, OSType kind, Boolean create, SInt16 *foundVRefNum,
                                SInt32 *foundDirID);

// Entry points of other platforms, with fixed answers here.
SInt16 SystemDependantCopyTimeFile(const char *source, const char *destination);  // 0
Boolean SystemDependantIsOnPortableDevice();                                       // 0
SInt16 SystemDependantPrintDocumentFromExtension(const char *path);               // 0
SInt16 SystemDependantOpenDocumentWithApplication(const char *path, const char *application);  // -1
UInt32 GetLogicalDrives();                                   // 0: no drives
Boolean MoveFile(const char *oldPath, const char *newPath);  // 0
UInt32 GetDriveType(const char *root);                       // 0
void _chdrive(int drive);                                    // nothing

// Directory search. A pattern matches names by its wildcards: "*.*" every name not beginning
// with '.'; otherwise letters match in either case, '?' any one character, '*' any run (the
// character after a '*' is compared exactly). Names beginning with '.' are never returned.
Boolean SystemDependantFindFirstFile(const char *path, UInt32 attributeMask, FindFileRecord *record);
Boolean SystemDependantFindNextFile(FindFileRecord *record);
UInt32 SystemDependantFindClose(FindFileRecord *record);  // 1
Boolean OrvaWildcardMatch(const char *pattern, const char *name);  // false past the record's limits
