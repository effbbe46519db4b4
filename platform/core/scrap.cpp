// The Scrap Manager: typed entries appended to one handle, the scrap file in the preferences
// folder, and the walk that stops at the first entry that passes the end of the data.
#include "platform/core/scrap.h"

#include <cstdio>
#include <cstring>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"

namespace {

const char kScrapFileName[] = "ClpBoard.srp";
const SInt16 kOnSystemDisk = -32768;
const SInt16 kScrapSearchLevel = 2;  // the system search folder, current while the file opens

ScrapStuff gScrap = {0, nullptr, 0, kScrapNever, kScrapFileName};

FILE *OpenScrapFile(const char *mode);
Boolean EntryAt(UInt32 at, ResType *type, UInt32 *length);
UInt32 ScrapBytes();
Boolean AppendEntry(Handle to, UInt32 at, UInt32 length, ResType type, const void *data);

}  // namespace

PScrapStuff InfoScrap() { return &gScrap; }

SInt32 ZeroScrap() {
    gScrap.scrapCount++;
    if (gScrap.scrapState == kScrapOnDisk) {
        // The same file LoadScrap reads, so that emptied entries cannot come back from it.
        FILE *f = OpenScrapFile("wb");
        if (f) fclose(f);
    } else {
        if (gScrap.scrapHandle) DisposHandle(gScrap.scrapHandle);
        gScrap.scrapHandle = NewHandle(0);
        gScrap.scrapState = kScrapInMemory;
    }
    gScrap.scrapSize = 0;
    return 0;
}

SInt32 PutScrap(SInt32 length, ResType theType, const void *source) {
    if (length < 0 || (length > 0 && !source)) return -1;
    if (gScrap.scrapState == kScrapNever) ZeroScrap();
    Boolean loaded = 0;
    if (gScrap.scrapState == kScrapOnDisk) {
        if (LoadScrap() != 0) {
            OrvaErreur("ScrapManager: Putscrap: Loadscrap Error");
            return -1;
        }
        loaded = 1;
    }
    UInt32 at = ScrapBytes();
    if (UInt32(length) > 0x7FFFFFFFu - kScrapEntryHead - at) return -1;
    if (!AppendEntry(gScrap.scrapHandle, at, UInt32(length), theType, source)) {
        OrvaErreur("ScrapManager: Putscrap: SetHandle Size Error");
        return -1;
    }
    gScrap.scrapSize = SInt32(at + kScrapEntryHead + UInt32(length));
    if (loaded && UnloadScrap() != 0) {
        OrvaErreur("ScapMangger: Putscrap: UnLoadscrap Error");
        return -1;
    }
    return 0;
}

SInt32 GetScrap(Handle destination, ResType theType, SInt32 *offset) {
    if (offset) *offset = -1;
    if (gScrap.scrapState == kScrapNever) ZeroScrap();
    Boolean loaded = 0;
    if (gScrap.scrapState == kScrapOnDisk) {
        if (LoadScrap() != 0) {
            OrvaErreur("ScapMangger: Get: Loadscrap Error");
            return -1;
        }
        loaded = 1;
    }
    if (!gScrap.scrapHandle) return 0;
    SInt32 result = noTypeErr;
    ResType type;
    UInt32 length;
    for (UInt32 at = 0; EntryAt(at, &type, &length); at += kScrapEntryHead + length) {
        if (type != theType) continue;
        if (offset) *offset = SInt32(at + kScrapEntryHead);
        result = SInt32(length);
        if (destination) {
            SetHandleSize(destination, length);
            if (MemError() != noErr) result = memFullErr;
            else if (length) memcpy(*destination, *gScrap.scrapHandle + at + kScrapEntryHead, length);
        }
        break;
    }
    if (loaded && UnloadScrap() != 0) {
        OrvaErreur("ScapManager: Getscrap: UnLoadscrap Error");
        return -1;
    }
    return result;
}

SInt32 LoadScrap() {
    if (gScrap.scrapState == kScrapInMemory) return 0;
    FILE *f = OpenScrapFile("rb");
    if (!f) return -1;
    long size = -1;
    if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
    Handle h = size >= 0 && size <= 0x7FFFFFFF && fseek(f, 0, SEEK_SET) == 0 ? NewHandle(UInt32(size)) : nullptr;
    Boolean ok = h && (size == 0 || fread(*h, 1, size_t(size), f) == size_t(size));
    fclose(f);
    if (!ok) {
        if (h) DisposHandle(h);
        return -1;
    }
    if (gScrap.scrapHandle) DisposHandle(gScrap.scrapHandle);
    gScrap.scrapHandle = h;
    gScrap.scrapSize = SInt32(size);
    gScrap.scrapState = kScrapInMemory;
    return 0;
}

SInt32 UnloadScrap() {
    if (gScrap.scrapState != kScrapInMemory) return 0;
    FILE *f = OpenScrapFile("wb");
    if (!f) return -1;
    UInt32 size = ScrapBytes();
    Boolean ok = size == 0 || fwrite(*gScrap.scrapHandle, 1, size, f) == size;
    if (fclose(f) != 0 || !ok) return dskFulErr;  // the scrap stays in memory
    DisposHandle(gScrap.scrapHandle);
    gScrap.scrapHandle = nullptr;
    gScrap.scrapState = kScrapOnDisk;
    return 0;
}

void OrvaPurgeScrap(ResType theType) {
    Boolean loaded = 0;
    if (gScrap.scrapState == kScrapOnDisk) {
        if (LoadScrap() != 0) {
            OrvaErreur("ScapManager: OrvaPurgeScrap: Loadscrap Error");
            return;
        }
        loaded = 1;
    }
    if (!gScrap.scrapHandle) return;
    Handle kept = NewHandle(0);
    if (!kept) return;
    ResType type;
    UInt32 length, keptSize = 0;
    for (UInt32 at = 0; EntryAt(at, &type, &length); at += kScrapEntryHead + length) {
        if (type == theType) continue;
        SetHandleSize(kept, keptSize + kScrapEntryHead + length);
        if (MemError() != noErr) {
            DisposHandle(kept);
            return;
        }
        memcpy(*kept + keptSize, *gScrap.scrapHandle + at, kScrapEntryHead + length);
        keptSize += kScrapEntryHead + length;
    }
    DisposHandle(gScrap.scrapHandle);
    gScrap.scrapHandle = kept;
    gScrap.scrapSize = SInt32(keptSize);
    if (loaded && UnloadScrap() != 0) OrvaErreur("ScapManager: OrvaPurgeScrap: UnLoadscrap Error");
}

Handle PreserveScrap() {
    UInt32 size = ScrapBytes();
    if (size == 0) return nullptr;
    Handle copy;
    return PtrToHand(*gScrap.scrapHandle, &copy, SInt32(size)) == noErr ? copy : nullptr;
}

void RestoreScrap(Handle h) {
    Boolean onDisk = gScrap.scrapState == kScrapOnDisk;
    ZeroScrap();
    UInt32 size = h ? GetHandleSize(h) : 0;
    if (size == 0) return;
    Handle copy;
    if (PtrToHand(*h, &copy, SInt32(size)) != noErr) return;
    if (gScrap.scrapHandle) DisposHandle(gScrap.scrapHandle);
    gScrap.scrapHandle = copy;
    gScrap.scrapSize = SInt32(size);
    gScrap.scrapState = kScrapInMemory;
    if (onDisk && UnloadScrap() != 0) OrvaErreur("ScapMangger: RestoreScrap: UnLoadscrap Error");
}

void OrvaGetScrapPath(char *path) {
    SInt16 vRef;
    SInt32 dirID;
    char folder[kScrapPathMax] = "";
    if (FindFolder(kOnSystemDisk, FourCC("pref"), 1, &vRef, &dirID) != noErr ||
        !OrvaGetNomChemin(dirID, folder))
        folder[0] = 0;
    snprintf(path, kScrapPathMax, "%s%s", folder, kScrapFileName);
}

namespace {

FILE *OpenScrapFile(const char *mode) {
    char path[kScrapPathMax];
    OrvaGetScrapPath(path);
    return orva_ouvre_ressource(path, mode, kScrapSearchLevel, nullptr, nullptr);
}

// The entry starting at `at` of the in-memory data: false when none starts there, or when
// its head or its data passes the end (such a tail is ignored). Its head holds the type, the
// length plus 4 and the length, each 32 bits in memory order (little-endian).
Boolean EntryAt(UInt32 at, ResType *type, UInt32 *length) {
    UInt32 size = ScrapBytes();
    ByteReader scrap = OrvaByteReader(size ? *gScrap.scrapHandle : nullptr, size);
    Seek(&scrap, at);
    *type = Get32LE(&scrap);
    Skip(&scrap, 4);
    *length = Get32LE(&scrap);
    return !scrap.failed && *length <= ByteReaderLeft(&scrap);
}

// Bytes of entry data in memory: the scrap size, never more than the handle holds.
UInt32 ScrapBytes() {
    if (!gScrap.scrapHandle || gScrap.scrapSize <= 0) return 0;
    UInt32 held = GetHandleSize(gScrap.scrapHandle);
    return UInt32(gScrap.scrapSize) < held ? UInt32(gScrap.scrapSize) : held;
}

// Writes an entry at `at`; false without memory (the scrap then ends at `at` again).
Boolean AppendEntry(Handle to, UInt32 at, UInt32 length, ResType type, const void *data) {
    ByteWriter w = OrvaByteWriter(to, at);
    Put32LE(&w, type);
    Put32LE(&w, length + 4);
    Put32LE(&w, length);
    PutBytes(&w, data, length);
    if (FinishByteWriter(&w)) return 1;
    SetHandleSize(to, at);
    return 0;
}

}  // namespace
