// Linux file calls: case-blind opening, the current folder, free space, directory search with
// wildcards, the standard folders, opening a document with the desktop, and fixed stubs.
#include "platform/core/linux_files.h"

#include <dirent.h>
#include <glib.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/os_utilities.h"
#include "platform/core/text_encodings.h"

namespace {

enum : SInt32 {
    kStatPathSize = kFindFolderMax + kFindNameMax + 2,
    kMaxWildcardName = kFindNameMax,
};

// The executable's path, set once at start-up (main thread).
char gApplicationPath[kOrvaPathMax + 1] = "";

bool EqualIgnoringCase(const char *a, const char *b);
bool FindNameIgnoringCase(const char *path, char *found, size_t size);
char *UTF16ToUTF8(const UniChar *text);
const char *StandardFolderBase(OSType kind, const char **subfolder);
bool IsFolderEntry(const FindFileRecord *record, const struct dirent *entry);
void FillFileFacts(FindFileRecord *record, const char *name);
bool SameIgnoringBit5(char a, char b);
bool MatchFrom(const char *pattern, SInt32 p, const char *name, SInt32 n, SInt32 length, UInt8 *memo);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Files and folders

FILE *SystemDependantfopen(const char *path, const char *mode) {
    if (path == nullptr || mode == nullptr) return nullptr;
    FILE *f = fopen(path, mode);
    if (f != nullptr || mode[0] == 'w') return f;
    // The file may exist under another letter case: look for it in its folder.
    char found[kOrvaFolderPathMax + kFindNameMax + 2];
    if (!FindNameIgnoringCase(path, found, sizeof found)) return nullptr;
    return fopen(found, mode);
}

FILE *_wfopen(const UniChar *path, const UniChar *mode) {
    char *path8 = UTF16ToUTF8(path);
    char *mode8 = UTF16ToUTF8(mode);
    FILE *f = path8 && mode8 ? fopen(path8, mode8) : nullptr;
    DisposeEncodedStr(path8);
    DisposeEncodedStr(mode8);
    return f;
}

int _wremove(const UniChar *path) {
    char *path8 = UTF16ToUTF8(path);
    int result = path8 ? remove(path8) : -1;
    DisposeEncodedStr(path8);
    return result;
}

SInt16 SystemDependantSetCurrentDir(const char *path) { return path != nullptr && chdir(path) == 0 ? 0 : -1; }

char *SystemDependantGetCurrentDir(char *buffer, SInt32 size) {
    if (buffer == nullptr || size <= 0) return nullptr;
    return getcwd(buffer, size_t(size));
}

UInt64 SystemDependantDiskFreeSpace() {
    struct statvfs facts;
    if (statvfs(".", &facts) != 0) {
        printf("statvfs err\n");
        return 0;
    }
    return UInt64(facts.f_bavail) * UInt64(facts.f_frsize) / 1024;
}

Boolean SystemDependantSetFileLength(const char *path, SInt64 length) {
    return path != nullptr && length >= 0 && truncate(path, off_t(length)) == 0;
}

int SystemDependant_mkdir(const char *path) { return mkdir(path, 0775); }

void SystemDependantSetAppFileName(const char *path) {
    size_t length = path ? strnlen(path, kOrvaPathMax) : 0;
    memcpy(gApplicationPath, path, length);
    gApplicationPath[length] = 0;
}

SInt32 SystemDependantGetApplicationExePath(char *buffer) {
    strcpy(buffer, gApplicationPath);
    return gApplicationPath[0] != 0 ? 1 : 0;
}

UInt32 OrvaGetFileTime(const char *path) {
    struct stat facts;
    if (path == nullptr || stat(path, &facts) != 0) return 0;
    return UInt32(facts.st_mtime);
}

OSErr SystemDependantFindFolder(SInt16, OSType kind, Boolean create, SInt16 *foundVRefNum, SInt32 *foundDirID) {
    const char *subfolder = "";
    const char *base = StandardFolderBase(kind, &subfolder);
    if (base == nullptr || base[0] == 0) return paramErr;
    char path[kOrvaPathMax + 2];
    const char *separator = base[strlen(base) - 1] == '/' ? "" : "/";
    int length = subfolder[0] != 0 ? snprintf(path, sizeof path, "%s%s%s/", base, separator, subfolder)
                                   : snprintf(path, sizeof path, "%s%s", base, separator);
    if (length < 0 || length > kOrvaPathMax) return paramErr;

    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    OSErr err = noErr;
    if (SystemDependantSetCurrentDir(path) != 0) {
        if (!create) err = fnfErr;
        else if (!OrvaRecursiveMkDir(path)) err = dirNFErr;
        else if (SystemDependantSetCurrentDir(path) != 0) err = fnfErr;
    }
    if (err == noErr) {
        SInt16 vRefNum = 0;
        SInt32 dirID = 0;
        OrvaGetVol(&vRefNum, &dirID);
        if (foundVRefNum) *foundVRefNum = 0;
        if (foundDirID) *foundDirID = dirID;
    }
    OrvaRestoreCurrentFolder(&saved);
    return err;
}

SInt16 SystemDependantCopyTimeFile(const char *, const char *) { return 0; }

Boolean SystemDependantIsOnPortableDevice() { return kFalse; }

SInt16 SystemDependantPrintDocumentFromExtension(const char *) { return 0; }

SInt16 SystemDependantOpenDocumentWithApplication(const char *, const char *) { return -1; }

UInt32 GetLogicalDrives() { return 0; }

Boolean MoveFile(const char *, const char *) { return kFalse; }

UInt32 GetDriveType(const char *) { return 0; }

void _chdrive(int) {}

// ---------------------------------------------------------------------------------------------
// Directory search

Boolean SystemDependantFindFirstFile(const char *path, UInt32 attributeMask, FindFileRecord *record) {
    memset(record, 0, sizeof *record);
    record->attributeMask = attributeMask;
    if (path == nullptr) return kFalse;
    const char *slash = strrchr(path, '/');
    const char *pattern = slash ? slash + 1 : path;
    size_t folderLength;
    if (slash != nullptr) {
        folderLength = size_t(slash - path) + 1;
        if (folderLength > size_t(kFindFolderMax)) return kFalse;  // the record cannot hold the folder
        memcpy(record->folder, path, folderLength);
    } else {
        char current[kOrvaFolderPathMax + 1];
        if (SystemDependantGetCurrentDir(current, sizeof current) == nullptr) return kFalse;
        folderLength = strlen(current) + 1;
        if (folderLength > size_t(kFindFolderMax)) return kFalse;
        memcpy(record->folder, current, folderLength - 1);
        record->folder[folderLength - 1] = '/';
    }
    record->folder[folderLength] = 0;
    size_t patternLength = strnlen(pattern, kFindPatternMax);
    memcpy(record->pattern, pattern, patternLength);
    record->pattern[patternLength] = 0;
    record->stream = opendir(record->folder);
    if (record->stream == nullptr) return kFalse;
    if (SystemDependantFindNextFile(record)) return kTrue;
    SystemDependantFindClose(record);
    return kFalse;
}

Boolean SystemDependantFindNextFile(FindFileRecord *record) {
    DIR *stream = static_cast<DIR *>(record->stream);
    if (stream == nullptr) return kFalse;
    while (struct dirent *entry = readdir(stream)) {
        const char *name = entry->d_name;
        if (name[0] == '.' || strlen(name) > size_t(kFindNameMax)) continue;
        if (IsFolderEntry(record, entry)) {
            if (!(record->attributeMask & kFindAttributeFolder)) continue;
            strcpy(record->name, name);
            record->attributes = kFindAttributeFolder;
            record->size = 0;
            record->creationTime = record->lastAccessTime = record->lastWriteTime = 0;
            return kTrue;
        }
        if (!OrvaWildcardMatch(record->pattern, name)) continue;
        strcpy(record->name, name);
        record->attributes = 0;
        FillFileFacts(record, name);
        return kTrue;
    }
    return kFalse;
}

UInt32 SystemDependantFindClose(FindFileRecord *record) {
    if (record->stream != nullptr) closedir(static_cast<DIR *>(record->stream));
    record->stream = nullptr;
    return 1;
}

Boolean OrvaWildcardMatch(const char *pattern, const char *name) {
    if (pattern == nullptr || name == nullptr) return kFalse;
    if (strcmp(pattern, "*.*") == 0) return name[0] != '.';
    size_t patternLength = strlen(pattern), nameLength = strlen(name);
    if (patternLength > size_t(kFindPatternMax) || nameLength > size_t(kMaxWildcardName)) return kFalse;
    // Results of the recursion for (pattern position, name position): 0 unknown, 1 no, 2 yes.
    // Remembering them keeps patterns with many '*' from taking exponential time.
    UInt8 memo[(kFindPatternMax + 1) * (kMaxWildcardName + 1)];
    memset(memo, 0, sizeof memo);
    return MatchFrom(pattern, 0, name, 0, SInt32(nameLength), memo);
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

bool EqualIgnoringCase(const char *a, const char *b) {
    for (;; a++, b++) {
        UInt8 x = UInt8(*a), y = UInt8(*b);
        if (x >= 'A' && x <= 'Z') x = UInt8(x + 32);
        if (y >= 'A' && y <= 'Z') y = UInt8(y + 32);
        if (x != y) return false;
        if (x == 0) return true;
    }
}

// The path of a file whose name equals path's file part ignoring letter case, in path's folder
// (written as given), or false.
bool FindNameIgnoringCase(const char *path, char *found, size_t size) {
    const char *slash = strrchr(path, '/');
    const char *fileName = slash ? slash + 1 : path;
    size_t folderLength = slash ? size_t(slash - path) + 1 : 0;
    if (fileName[0] == 0 || folderLength + 3 >= size) return false;
    char pattern[kOrvaFolderPathMax + 4];
    if (folderLength > size_t(kOrvaFolderPathMax)) return false;
    memcpy(pattern, path, folderLength);
    strcpy(pattern + folderLength, "*.*");
    FindFileRecord record;
    bool matched = false;
    // Stops on the match itself: stepping on would leave the next entry's name in the record.
    for (Boolean more = SystemDependantFindFirstFile(pattern, 7, &record); more; more = SystemDependantFindNextFile(&record)) {
        if (EqualIgnoringCase(record.name, fileName)) {
            matched = true;
            break;
        }
    }
    SystemDependantFindClose(&record);
    if (!matched || folderLength + strlen(record.name) + 1 > size) return false;
    memcpy(found, path, folderLength);
    strcpy(found + folderLength, record.name);
    return true;
}

char *UTF16ToUTF8(const UniChar *text) {
    if (text == nullptr) return nullptr;
    SInt32 count = 0;
    return UnicodeTextToUTF(text, 0, UnicodeStrLen(text) + 1, &count);
}

const char *StandardFolderBase(OSType kind, const char **subfolder) {
    const char *base;
    if (kind == FourCC("pref")) {
        base = g_get_user_config_dir();
        *subfolder = "ORVAPREF";
    } else if (kind == FourCC("temp")) base = g_get_tmp_dir();
    else if (kind == FourCC("docs")) base = g_get_user_special_dir(G_USER_DIRECTORY_DOCUMENTS);
    else return nullptr;
    if (base == nullptr || base[0] == 0) base = g_get_home_dir();
    if (base == nullptr || base[0] == 0) base = getenv("HOME");
    return base ? base : "";
}

bool IsFolderEntry(const FindFileRecord *record, const struct dirent *entry) {
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_UNKNOWN) return false;
    char path[kStatPathSize];
    snprintf(path, sizeof path, "%s%s", record->folder, entry->d_name);
    DIR *probe = opendir(path);
    if (probe == nullptr) return false;
    closedir(probe);
    return true;
}

void FillFileFacts(FindFileRecord *record, const char *name) {
    char path[kStatPathSize];
    snprintf(path, sizeof path, "%s%s", record->folder, name);
    struct stat facts;
    if (stat(path, &facts) != 0) {
        record->size = 0;
        record->creationTime = record->lastAccessTime = record->lastWriteTime = 0;
        return;
    }
    record->size = UInt64(facts.st_size);
    record->creationTime = record->lastAccessTime = UInt32(facts.st_atime);
    record->lastWriteTime = UInt32(facts.st_mtime);
}

bool SameIgnoringBit5(char a, char b) { return ((UInt8(a) ^ UInt8(b)) & 0xDF) == 0; }

bool MatchFrom(const char *pattern, SInt32 p, const char *name, SInt32 n, SInt32 length, UInt8 *memo) {
    UInt8 &known = memo[p * (kMaxWildcardName + 1) + n];
    if (known != 0) return known == 2;
    bool result;
    if (pattern[p] == 0) result = name[n] == 0;
    else if (pattern[p] == '*') {
        char after = pattern[p + 1];
        result = after == 0;
        for (SInt32 k = n; !result && k < length; k++)
            if (name[k] == after) result = MatchFrom(pattern, p + 1, name, k, length, memo);
    } else if (name[n] == 0) result = false;
    else if (pattern[p] == '?' || SameIgnoringBit5(pattern[p], name[n])) result = MatchFrom(pattern, p + 1, name, n + 1, length, memo);
    else result = false;
    known = result ? 2 : 1;
    return result;
}

}  // namespace
