// The folder-path table behind volume references and directory ids, the current folder, the
// path routines of the engine and the empty drive model.
#include "platform/core/folders.h"

#include <cctype>
#include <cstring>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/linux_files.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"

namespace {

enum : SInt32 {
    kFolderBuckets = 256,
    kFixeCheminMax = 778,  // FixeChemin refuses longer paths
    kLastDrive = 25,
};

// The process-wide folder table. Every field is guarded by critical section 4. Paths are
// compared exactly (two folders differing only in letter case are two folders on this file
// system); the bucket hash folds ASCII case.
struct FolderTableRecord {
    Handle pool = nullptr;     // the paths one after another, each ending with '/' and its NUL
    Handle offsets = nullptr;  // UInt32 offset into pool per id, at index id - 1
    UInt32 count = 0;          // ids in use: 1..count
    Handle buckets[kFolderBuckets] = {};  // UInt32 indices (id - 1) of the paths with that hash
    SInt32 lastCurrent = 0;    // the id PBHGetVol reported last, 0 before the first
};

FolderTableRecord gFolderTable;

// The slot of PreservePath / RestorePath (main thread).
struct SavedFolderRecord {
    SInt16 vRefNum;
    SInt32 dirID;  // 0: empty
};
SavedFolderRecord gSavedFolder = {0, 0};

SInt16 gDefaultPathGet = 0;
SInt16 gDefaultPathPut = 0;
char gSeparator = 0;

UInt8 HashFolderPath(const char *path);
SInt32 InternLocked(const char *path, size_t length);
SInt32 InternFolder(const char *path);
bool CopyFolderPath(SInt32 id, char *buffer, size_t size);
OSErr EnterFolder(char *path);
void CopyCut(char *destination, const char *source, size_t limit);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Folder table and current folder

OSErr PBHGetVol(HParmBlkPtr block) {
    char path[kOrvaFolderPathMax + 2];
    SInt32 id = 0;
    if (SystemDependantGetCurrentDir(path, kOrvaFolderPathMax + 1) != nullptr) id = InternFolder(path);
    if (id == 0) {
        // The current folder cannot be read (deleted, or too long): the last folder known.
        StartFileCriticalSection();
        id = gFolderTable.lastCurrent;
        EndFileCriticalSection();
    }
    if (id == 0 || !CopyFolderPath(id, path, sizeof path)) {
        block->ioWDDirID = 0;
        block->ioVRefNum = 0;
        if (block->ioNamePtr) block->ioNamePtr[0] = 0;
        return dirNFErr;
    }
    StartFileCriticalSection();
    gFolderTable.lastCurrent = id;
    EndFileCriticalSection();
    block->ioVRefNum = SInt16(id);
    block->ioWDDirID = SInt16(id);  // sign-extended, as the 16-bit reference is
    if (block->ioNamePtr) CopyCut(block->ioNamePtr, path, kOrvaPathMax);
    return noErr;
}

OSErr PBHSetVol(HParmBlkPtr block) {
    char path[kOrvaFolderPathMax + 2];
    const char *name = block->ioNamePtr;
    if (name != nullptr && name[0] != 0) {
        size_t nameLength = strlen(name);
        bool relative = block->ioWDDirID >= 1 && name[1] != ':' && !(name[0] == '\\' && name[1] == '\\') &&
                        name[0] != '/';
        if (relative) {
            if (!CopyFolderPath(block->ioWDDirID, path, sizeof path)) return dirNFErr;
            size_t length = strlen(path);
            if (length == 0 || path[length - 1] != '/') path[length++] = '/';
            if (length + nameLength > size_t(kOrvaPathMax)) return 1;
            memcpy(path + length, name, nameLength + 1);
        } else {
            if (nameLength > size_t(kOrvaPathMax)) return 1;
            memcpy(path, name, nameLength + 1);
        }
    } else {
        SInt32 id = block->ioWDDirID != 0 ? block->ioWDDirID : block->ioVRefNum;
        if (!CopyFolderPath(id, path, sizeof path)) return dirNFErr;
    }
    return EnterFolder(path);
}

OSErr GetVol(char *name, SInt16 *vRefNum) {
    HParamBlockRec block = {0, 0, name};
    OSErr err = PBHGetVol(&block);
    if (vRefNum) *vRefNum = SInt16(block.ioWDDirID);
    return err;
}

OSErr SetVol(const char *name, SInt16 vRefNum) {
    HParamBlockRec block = {0, vRefNum, const_cast<char *>(name)};
    return PBHSetVol(&block);
}

void OrvaGetVol(SInt16 *vRefNum, SInt32 *dirID) {
    HParamBlockRec block = {0, 0, nullptr};
    PBHGetVol(&block);
    if (vRefNum) *vRefNum = block.ioVRefNum;
    if (dirID) *dirID = block.ioWDDirID;
}

Boolean OrvaGetNomChemin(SInt32 dirID, char *path) {
    char full[kOrvaFolderPathMax + 2];
    if (!CopyFolderPath(dirID, full, sizeof full)) {
        path[0] = 0;
        return kFalse;
    }
    CopyCut(path, full, kOrvaPathMax);
    return kTrue;
}

SInt32 OrvaGetFolderId(const char *path) { return path != nullptr && path[0] != 0 ? InternFolder(path) : 0; }

UInt32 OrvaGetFolderCount() {
    StartFileCriticalSection();
    UInt32 count = gFolderTable.count;
    EndFileCriticalSection();
    return count;
}

OSErr DirCreate(SInt16, SInt32 parentDirID, const char *name) {
    SInt16 previous = 0;
    if (GetVol(nullptr, &previous) != noErr) return dirNFErr;
    HParamBlockRec block = {parentDirID, 0, nullptr};
    if (PBHSetVol(&block) != noErr) return dirNFErr;
    Boolean made = name != nullptr && OrvaRecursiveMkDir(name);
    SetVol(nullptr, previous);
    return made ? noErr : dirNFErr;
}

SInt16 OrvaSetCurrentDir(const char *path) { return SystemDependantSetCurrentDir(path); }

char *OrvaGetCurrentDir(char *buffer, SInt32 size) { return SystemDependantGetCurrentDir(buffer, size); }

void OrvaGetDir(char *path) {
    char full[kOrvaFolderPathMax + 2];
    if (SystemDependantGetCurrentDir(full, kOrvaFolderPathMax + 1) == nullptr) {
        StartFileCriticalSection();
        SInt32 last = gFolderTable.lastCurrent;
        EndFileCriticalSection();
        if (last == 0 || !CopyFolderPath(last, full, sizeof full)) full[0] = 0;
        size_t length = strlen(full);
        if (length > 1 && full[length - 1] == '/') full[length - 1] = 0;
    }
    CopyCut(path, full, kOrvaPathMax);
}

SInt16 OrvaSetDir(const char *path) {
    // A drive letter is never current here, so the path is used as it is.
    return OrvaSetCurrentDir(path);
}

OSErr DIBadMount(Point, UInt32) { return noErr; }

void OrvaSaveCurrentFolder(SavedCurrentFolderRecord *saved) {
    if (SystemDependantGetCurrentDir(saved->path, sizeof saved->path) == nullptr) saved->path[0] = 0;
}

void OrvaRestoreCurrentFolder(const SavedCurrentFolderRecord *saved) {
    if (saved->path[0] != 0) OrvaSetCurrentDir(saved->path);
}

// ---------------------------------------------------------------------------------------------
// Drives

SInt16 OrvaWindowsNbDisk() { return SInt16(__builtin_popcount(GetLogicalDrives())); }

SInt16 OrvaNbDisk() { return OrvaWindowsNbDisk(); }

SInt16 OrvaGetDisk() {
    char path[kOrvaFolderPathMax + 2];
    if (SystemDependantGetCurrentDir(path, sizeof path) == nullptr) return -1;
    if (isalpha(UInt8(path[0])) && path[1] == ':') return SInt16(toupper(UInt8(path[0])) - 'A');
    return -1;
}

SInt16 OrvaSetDisk(SInt16 drive) {
    _chdrive(drive + 1);
    return SInt16(drive + 1);
}

UInt64 OrvaIsDriveValid(SInt16) { return SystemDependantDiskFreeSpace(); }

UInt64 OrvaWindowsIsDriveValid(SInt16 drive) { return OrvaIsDriveValid(drive); }

SInt16 OrvaSelectNextDrive(SInt16 drive) {
    for (SInt16 next = SInt16(drive + 1); next <= kLastDrive; next++) {
        OrvaSetDisk(next);
        if (OrvaGetDisk() == next && OrvaIsDriveValid(next) != 0) return next;
    }
    return drive;
}

// ---------------------------------------------------------------------------------------------
// Path routines

void SplitPath(const char *path, char *folder, char *name) {
    if (folder) folder[0] = 0;
    if (name) name[0] = 0;
    if (path == nullptr) return;
    size_t length = strlen(path);
    if (length <= 1 || length > size_t(kOrvaPathMax)) return;
    const char *slash = nullptr;
    for (const char *p = path + length - 2; p >= path; p--)
        if (*p == '/') {
            slash = p;
            break;
        }
    if (slash == nullptr) {
        if (name) memcpy(name, path, length + 1);
        return;
    }
    size_t folderLength = size_t(slash - path) + 1;
    if (folder) {
        memcpy(folder, path, folderLength);
        folder[folderLength] = 0;
    }
    if (name) memcpy(name, slash + 1, length - folderLength + 1);
}

void CarboniseSupprimeDeuxPointsNomPathSimple(char *text) {
    char *out = text;
    for (const char *p = text; *p; p++)
        if (*p != ':') *out++ = *p;
    *out = 0;
}

OSErr SetPath(const char *path, SInt32 dirID) {
    bool noPath = path == nullptr || path[0] == 0;
    if (noPath && dirID == 0) return noErr;
    if (noPath) {
        HParamBlockRec block = {dirID, 0, nullptr};
        return PBHSetVol(&block);
    }
    return OrvaSetCurrentDir(path);
}

void SaisitVolume(SInt16 *vRefNum) {
    if (vRefNum) *vRefNum = kOrvaVolumeNumber;
}

Boolean SaisitChemin(SInt16 *vRefNum, char *name, SInt32 *dirID) {
    SaisitVolume(vRefNum);
    HParamBlockRec block = {0, 0, name};
    OSErr err = PBHGetVol(&block);
    if (err != noErr) {
        Collapse("PBHGetVol : error# %d", err);
        return kFalse;
    }
    if (dirID) *dirID = block.ioWDDirID;
    return kTrue;
}

OSErr FixeVolume(SInt16) { return noErr; }

void AjustePathXCode(char *) {}

OSErr FixeVolPath(SInt16 vRefNum, SInt32 dirID) {
    FixeVolume(vRefNum);
    return SetPath(nullptr, dirID);
}

void PreservePath() {
    if (gSavedFolder.dirID != 0) Collapse("PreservePath : Error");
    SInt32 dirID = 0;
    SInt16 vRefNum = 0;
    SaisitChemin(&vRefNum, nullptr, &dirID);
    gSavedFolder.vRefNum = vRefNum;
    gSavedFolder.dirID = dirID;
}

void RestorePath() {
    if (gSavedFolder.dirID == 0) Collapse("RestorePath : Error");
    FixeVolPath(gSavedFolder.vRefNum, gSavedFolder.dirID);
    gSavedFolder.dirID = 0;
}

OSErr FixeChemin(SInt32 dirID, const char *path) {
    if (path == nullptr) return paramErr;
    if (strlen(path) > size_t(kFixeCheminMax)) return memFullErr;
    if (path[0] == '/') return OrvaSetCurrentDir(path);
    HParamBlockRec block = {dirID, 0, const_cast<char *>(path)};
    return PBHSetVol(&block);
}

OSErr FixeCheminRelatif(SInt16, SInt32 dirID, const char *relativePath) {
    HParamBlockRec block = {dirID, 0, nullptr};
    if (relativePath == nullptr || relativePath[0] == 0) return PBHSetVol(&block);
    char path[kOrvaPathMax + 2];
    size_t length = strlen(relativePath);
    if (length + 1 > size_t(kOrvaPathMax)) return 1;
    memcpy(path, relativePath, length);
    path[length] = '/';
    path[length + 1] = 0;
    block.ioNamePtr = path;
    return PBHSetVol(&block);
}

Boolean FixeCheminSurDocument(SInt16, SInt32 dirID, const char *path) {
    // This platform is never the one where documents are addressed by full path only.
    return SetPath(path, dirID) == noErr;
}

void GetNomCheminCourant(char *buffer) { SaisitChemin(nullptr, buffer, nullptr); }

char *GetNomChemin(SInt16, SInt32 dirID, char *buffer) {
    buffer[0] = 0;
    SInt16 previous = 0;
    if (GetVol(nullptr, &previous) != noErr) return buffer;
    HParamBlockRec block = {dirID, 0, nullptr};
    if (PBHSetVol(&block) == noErr) {
        GetVol(buffer, nullptr);
        SetVol(nullptr, previous);
    }
    return buffer;
}

Boolean GetCurVolName(char *buffer) { return SaisitChemin(nullptr, buffer, nullptr); }

void OrvaSetDefaultPathGet(SInt16 dirID) { gDefaultPathGet = dirID; }

SInt16 OrvaGetDefaultPathGet() { return gDefaultPathGet; }

void OrvaSetDefaultPathPut(SInt16 dirID) { gDefaultPathPut = dirID; }

SInt16 OrvaGetDefaultPathPut() { return gDefaultPathPut; }

void InitSeparateurChemin() { gSeparator = '/'; }

char SeparateurChemin() {
    if (gSeparator == 0) InitSeparateurChemin();
    return gSeparator;
}

const char *StrSeparateurChemin() { return "/"; }

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

UInt8 HashFolderPath(const char *path) {
    UInt8 h = 0;
    for (const UInt8 *p = reinterpret_cast<const UInt8 *>(path); *p; p++)
        h = UInt8(UInt8((h << 1) | (h >> 7)) ^ (*p & 0xDF));
    return h;
}

// The id of a path ending with '/', added when new; 0 when memory runs out. Section 4 held.
SInt32 InternLocked(const char *path, size_t length) {
    FolderTableRecord &t = gFolderTable;
    UInt8 h = HashFolderPath(path);
    if (t.buckets[h] != nullptr) {
        UInt32 n = GetHandleSize(t.buckets[h]) / sizeof(UInt32);
        for (UInt32 i = 0; i < n; i++) {
            UInt32 index, offset;
            memcpy(&index, *t.buckets[h] + i * sizeof(UInt32), sizeof index);
            memcpy(&offset, *t.offsets + index * sizeof(UInt32), sizeof offset);
            if (strcmp(*t.pool + offset, path) == 0) return SInt32(index + 1);
        }
    }
    if (t.pool == nullptr) t.pool = NewHandle(0);
    if (t.offsets == nullptr) t.offsets = NewHandle(0);
    if (t.buckets[h] == nullptr) t.buckets[h] = NewHandle(0);
    if (t.pool == nullptr || t.offsets == nullptr || t.buckets[h] == nullptr) return 0;
    UInt32 poolSize = GetHandleSize(t.pool), offsetsSize = GetHandleSize(t.offsets);
    UInt32 index = t.count;
    if (PtrAndHand(path, t.pool, SInt32(length + 1)) != noErr) return 0;
    if (PtrAndHand(&poolSize, t.offsets, sizeof poolSize) != noErr) {
        SetHandleSize(t.pool, poolSize);
        return 0;
    }
    if (PtrAndHand(&index, t.buckets[h], sizeof index) != noErr) {
        SetHandleSize(t.offsets, offsetsSize);
        SetHandleSize(t.pool, poolSize);
        return 0;
    }
    t.count++;
    return SInt32(t.count);
}

SInt32 InternFolder(const char *path) {
    size_t length = strlen(path);
    if (length == 0 || length > size_t(kOrvaFolderPathMax)) return 0;
    char withSlash[kOrvaFolderPathMax + 2];
    memcpy(withSlash, path, length + 1);
    if (withSlash[length - 1] != '/') {
        withSlash[length++] = '/';
        withSlash[length] = 0;
    }
    StartFileCriticalSection();
    SInt32 id = InternLocked(withSlash, length);
    EndFileCriticalSection();
    return id;
}

bool CopyFolderPath(SInt32 id, char *buffer, size_t size) {
    StartFileCriticalSection();
    bool known = id >= 1 && UInt32(id) <= gFolderTable.count;
    if (known) {
        UInt32 offset;
        memcpy(&offset, *gFolderTable.offsets + (id - 1) * sizeof(UInt32), sizeof offset);
        CopyCut(buffer, *gFolderTable.pool + offset, size - 1);
    }
    EndFileCriticalSection();
    return known;
}

OSErr EnterFolder(char *path) {
    if (path[0] != 0 && path[1] == ':') {
        _chdrive(toupper(UInt8(path[0])) - 'A' + 1);
        path += 2;
    }
    size_t length = strlen(path);
    if (length > 1 && path[length - 1] == '/') path[length - 1] = 0;
    return OrvaSetCurrentDir(path) == 0 ? OSErr(noErr) : OSErr(-1);
}

void CopyCut(char *destination, const char *source, size_t limit) {
    size_t length = strnlen(source, limit);
    memcpy(destination, source, length);
    destination[length] = 0;
}

}  // namespace
