// Resource files on disk: opening (header, map, scrambled maps), creating, closing, writing
// one resource, and rewriting a whole file through a temporary file.
#include "platform/core/resource_files.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files_internal.h"
#include "platform/core/runtime.h"

ResFileRecord *OrvaPremierFichierRessource = nullptr;
SInt16 nbResFileOpen = 0;

namespace {

// Key stream of scrambled maps: three state bytes, reset from the seed for every open.
struct ResKeyStream {
    UInt8 a, b, c;
};

SInt32 gWriteFaultCountdown = -1;  // OrvaSetResWriteFault

const SInt16 kMapReadFailure = -4;   // what OpenResFile answers for a damaged map
const UInt32 kCopyChunk = 8192;

void initio(ResKeyStream *key);
UInt8 checkio(ResKeyStream *key);
Boolean EndsWithRsf(const char *name);
void CopyName(char *to, const char *from);
void ResPath(const ResFileRecord *file, char *path, size_t size);
Boolean ReadMap(ResFileRecord *file, const UInt8 *bytes, UInt32 mapLength);
Boolean ReadType(ResFileRecord *file, ResTypeRecord *type, ByteReader *map);
Boolean ReadReference(ResFileRecord *file, ResType type, ByteReader *map, Handle *entry);
void ReleaseEntries(ResFileRecord *file);
void ReleaseFile(ResFileRecord *file);
Boolean ResWrite(FILE *f, const void *bytes, size_t count);
OSErr RewriteResFile(ResFileRecord *file);
Boolean WriteEntries(ResFileRecord *file, FILE *old, SInt64 oldSize, FILE *tmp, UInt32 *end);
Boolean CopyOldData(FILE *old, SInt64 oldSize, SInt32 position, FILE *tmp, UInt32 *length);
Boolean BuildMap(ResFileRecord *file, Handle *map);
Boolean WriteHeader(FILE *f, UInt32 dataLength, UInt32 mapLength);
Boolean FinishTemporary(FILE *tmp, int oldDescriptor);
void CommitRewrite(ResFileRecord *file, UInt32 dataLength, UInt32 mapLength);
SInt64 WritePosition(ResFileRecord *file, ResEntryRecord *r, UInt32 size);

}  // namespace

SInt16 OpenResFile(const char *name) {
    gRes.lastError = noErr;
    if (!name || !name[0]) {
        gRes.lastError = resFNotFound;
        return -1;
    }
    for (ResFileRecord *f = OrvaPremierFichierRessource; f; f = f->next)
        if (strcasecmp(f->requestedName, name) == 0) return SInt16(f->fileNumber);

    ResKeyStream key;
    initio(&key);
    OrvaResInvalidateCachedFont();
    char folder[kResPathMax], opened[kResPathMax];
    FILE *stream = orva_ouvre_ressource(name, "rb", -1, folder, opened);
    if (!stream) {
        gRes.lastError = resFNotFound;
        return -1;
    }
    // Header: data offset, map offset, data length, map length, then the magic.
    UInt8 header[kResHeaderFields + 4];
    if (fread(header, 1, sizeof header, stream) != sizeof header) {
        OrvaErreur("Error #1: RSRC file Header read error");
        fclose(stream);
        gRes.lastError = mapReadErr;
        return -1;
    }
    Boolean scrambled = memcmp(header + kResHeaderFields, kResMagic, 4) != 0 && !EndsWithRsf(name);

    ResFileRecord *file = reinterpret_cast<ResFileRecord *>(NewPtrClear(sizeof(ResFileRecord)));
    if (!file) {
        fclose(stream);
        gRes.lastError = memFullErr;
        return -1;
    }
    file->stream = stream;
    nbResFileOpen++;
    CopyName(file->folderPath, folder);
    CopyName(file->openedName, opened);
    CopyName(file->requestedName, name);
    ByteReader fields = OrvaByteReader(header, kResHeaderFields);
    file->dataOffset = Get32(&fields);
    file->mapOffset = Get32(&fields);
    file->dataLength = Get32(&fields);
    file->mapLength = Get32(&fields);
    file->fileNumber = UInt16(OrvaPremierFichierRessource ? OrvaPremierFichierRessource->fileNumber + 1 : 1);

    // The map must lie inside the file: a damaged header never reads outside it or asks
    // for more memory than the file holds.
    SInt64 fileSize = OrvaResFileSize(stream);
    UInt8 *map = nullptr;
    Boolean mapRead = file->mapLength >= kResMapPrefixSize && fileSize >= 0 &&
                      SInt64(file->mapOffset) + file->mapLength <= fileSize;
    if (mapRead) {
        map = reinterpret_cast<UInt8 *>(NewPtr(file->mapLength));
        if (!map) {
            ReleaseFile(file);
            gRes.lastError = memFullErr;
            return -1;
        }
        mapRead = fseek(stream, long(file->mapOffset), SEEK_SET) == 0 &&
                  fread(map, 1, file->mapLength, stream) == file->mapLength;
    }
    if (mapRead && scrambled)
        for (UInt32 i = 0; i < file->mapLength; i++) map[i] ^= checkio(&key);
    if (mapRead) mapRead = ReadMap(file, map, file->mapLength);
    if (map) DisposPtr(reinterpret_cast<Ptr>(map));
    if (!mapRead) {
        OrvaErreurF("Resource map read error on file : %s", name);
        ReleaseFile(file);
        gRes.lastError = mapReadErr;
        return kMapReadFailure;
    }
    file->next = OrvaPremierFichierRessource;
    OrvaPremierFichierRessource = file;
    gRes.currentFile = SInt16(file->fileNumber);
    return SInt16(file->fileNumber);
}

void CreateResFile(const char *name) {
    gRes.lastError = noErr;
    if (!name || !name[0]) {
        gRes.lastError = bdNamErr;
        return;
    }
    for (ResFileRecord *f = OrvaPremierFichierRessource; f; f = f->next) {
        if (strcasecmp(f->requestedName, name) == 0) {
            gRes.lastError = dupFNErr;
            return;
        }
    }
    FILE *found = orva_ouvre_ressource(name, "rb", -1, nullptr, nullptr);
    if (found) {
        fclose(found);
        gRes.lastError = dupFNErr;
        return;
    }
    FILE *f = Orvafopen(name, "w");
    if (!f) {
        gRes.lastError = ioErr;
        return;
    }
    // An empty map: 24 reserved bytes, type list at 28, names at 30, no types.
    Handle map = NewHandleClear(24);
    ByteWriter w = OrvaByteWriter(map);
    w.size = 24;
    Put16(&w, kResTypeListOffset);
    Put16(&w, kResMapPrefixSize);
    Put16(&w, 0xFFFF);
    Boolean ok = FinishByteWriter(&w) && WriteHeader(f, 0, kResMapPrefixSize) &&
                 fwrite(*map, 1, w.size, f) == w.size;
    DisposHandle(map);
    if (fclose(f) != 0 || !ok) gRes.lastError = ioErr;
}

void CloseResFile(SInt16 refNum) {
    UpdateResFile(refNum);
    OSErr updateError = gRes.lastError;
    ResFileRecord *file = OrvaFindResFile(refNum);
    if (!file) return;
    OrvaResInvalidateCachedFont();
    ReleaseEntries(file);
    ResFileRecord **link = &OrvaPremierFichierRessource;
    while (*link != file) link = &(*link)->next;
    *link = file->next;
    ReleaseFile(file);
    if (gRes.currentFile == refNum && OrvaPremierFichierRessource)
        gRes.currentFile = SInt16(OrvaPremierFichierRessource->fileNumber);
    // A rewrite that failed is not hidden behind the successful close.
    gRes.lastError = updateError;
}

void UpdateResFile(SInt16 refNum) {
    ResFileRecord *file = OrvaFindResFile(refNum);
    if (!file) {
        gRes.lastError = resFNotFound;
        return;
    }
    gRes.lastError = noErr;
    if (!file->mapChanged) return;
    file->mapChanged = 0;
    OSErr err = RewriteResFile(file);
    if (err != noErr) {
        file->mapChanged = 1;  // the changes are still to be saved
        gRes.lastError = err;
    }
}

void WriteResource(Handle h) {
    gRes.lastError = noErr;
    ResFileRecord *file;
    Handle entry = OrvaFindResEntry(h, &file);
    if (!entry || !(EntryOf(entry)->attributes & kResChanged)) {
        gRes.lastError = resNotFound;
        return;
    }
    char path[2 * kResPathMax];
    ResPath(file, path, sizeof path);
    OrvaCloseResStream(file);
    file->stream = Orvafopen(path, "rb+");
    if (!file->stream) {
        file->stream = Orvafopen(path, "rb");
        if (file->stream) nbResFileOpen++;
        gRes.lastError = resFNotFound;
        return;
    }
    nbResFileOpen++;
    ResEntryRecord *r = EntryOf(entry);
    UInt32 size = GetHandleSize(h);
    SInt64 position = WritePosition(file, r, size);
    const UInt8 length[4] = {UInt8(size >> 24), UInt8(size >> 16), UInt8(size >> 8), UInt8(size)};
    Boolean ok = position >= 0 && position <= 0x7FFFFFFF - SInt64(size) - 4 &&
                 fseek(file->stream, long(position), SEEK_SET) == 0 &&
                 fwrite(length, 1, 4, file->stream) == 4 &&
                 (size == 0 || fwrite(*h, 1, size, file->stream) == size) && fflush(file->stream) == 0;
    if (ok) {
        r->dataPosition = SInt32(position);
        r->attributes &= UInt8(~kResChanged);
    } else {
        gRes.lastError = ioErr;
    }
    OrvaCloseResStream(file);
    if (!file->isVolatile) OrvaOpenResStream(file);
}

void OrvaSetResFileVolatile(SInt16 refNum, Boolean on) {
    ResFileRecord *file = OrvaFindResFile(refNum);
    if (!file) return;
    file->isVolatile = on ? 1 : 0;
    if (on) OrvaCloseResStream(file);
}

void OrvaSetResWriteFault(SInt32 writesBeforeFailure) { gWriteFaultCountdown = writesBeforeFailure; }

OSErr OrvaOpenResStream(ResFileRecord *file) {
    if (file->stream) return noErr;
    char path[2 * kResPathMax];
    ResPath(file, path, sizeof path);
    file->stream = Orvafopen(path, "rb");
    if (!file->stream) return ioErr;
    nbResFileOpen++;
    return noErr;
}

void OrvaCloseResStream(ResFileRecord *file) {
    if (!file->stream) return;
    fclose(file->stream);
    file->stream = nullptr;
    nbResFileOpen--;
}

void OrvaCloseResStreamIfVolatile(ResFileRecord *file) {
    if (file->isVolatile) OrvaCloseResStream(file);
}

SInt64 OrvaResFileSize(FILE *stream) {
    struct stat st;
    if (fflush(stream) != 0 || fstat(fileno(stream), &st) != 0) return -1;
    return SInt64(st.st_size);
}

Boolean OrvaReadResLength(FILE *stream, SInt64 position, UInt32 *length) {
    UInt8 bytes[4];
    *length = 0;
    if (position < 0 || fseek(stream, long(position), SEEK_SET) != 0 || fread(bytes, 1, 4, stream) != 4) return 0;
    ByteReader field = OrvaByteReader(bytes, 4);
    *length = Get32(&field);
    return 1;
}

namespace {

void initio(ResKeyStream *key) {
    key->a = kResKeySeed[0];
    key->b = kResKeySeed[1];
    key->c = kResKeySeed[2];
}

UInt8 checkio(ResKeyStream *key) {
    UInt32 x = ((2u * key->a + 1u) ^ key->b) & 0x1FF;
    UInt32 y = (((key->b >> 1) + (x >= 256 ? 128u : 0u)) ^ key->c) & 0xFF;
    UInt32 s = key->c + (key->b & 1u) + y;
    key->a = UInt8(x);
    key->b = UInt8(y);
    key->c = UInt8(s + x + (s >= 256 ? 1u : 0u));
    return key->a;
}

Boolean EndsWithRsf(const char *name) {
    size_t n = strlen(name);
    return n >= 4 && strcasecmp(name + n - 4, ".rsf") == 0;
}

void CopyName(char *to, const char *from) {
    size_t n = strnlen(from, kResPathMax - 1);
    memcpy(to, from, n);
    to[n] = 0;
}

// The file's path: its folder and the name as opened; an absolute name stands alone.
void ResPath(const ResFileRecord *file, char *path, size_t size) {
    if (file->openedName[0] == '/') snprintf(path, size, "%s", file->openedName);
    else snprintf(path, size, "%s%s", file->folderPath, file->openedName);
}

// Turns the map into the type table and the entry list. Every offset is read through one
// cursor over the map, so none reaches outside it; false for a damaged map (what was built is
// released by the caller).
Boolean ReadMap(ResFileRecord *file, const UInt8 *bytes, UInt32 mapLength) {
    ByteReader map = OrvaByteReader(bytes, mapLength);
    Seek(&map, 24);
    file->typeListOffset = Get16(&map);
    file->nameListOffset = Get16(&map);
    Seek(&map, file->typeListOffset);
    UInt32 types = UInt16(Get16(&map) + 1);
    if (map.failed || types > 0x7FFF) return 0;  // more than the signed count can say
    if (kResTypeRecordSize * types > ByteReaderLeft(&map)) return 0;
    file->typeTable = NewHandleClear(UInt32(types * sizeof(ResTypeRecord)));
    if (!file->typeTable) return 0;
    file->typeCount = SInt16(types);
    for (UInt32 t = 0; t < types; t++) {
        Seek(&map, file->typeListOffset + 2 + kResTypeRecordSize * t);
        if (!ReadType(file, TypesOf(file) + t, &map)) return 0;
    }
    // A type listed twice would split its entries between two records that every later
    // count, add and remove treats as one.
    std::vector<ResType> seen;
    for (UInt32 t = 0; t < types; t++) seen.push_back(TypesOf(file)[t].type);
    std::sort(seen.begin(), seen.end());
    return std::adjacent_find(seen.begin(), seen.end()) == seen.end();
}

// A type record at the map cursor, then its references.
Boolean ReadType(ResFileRecord *file, ResTypeRecord *type, ByteReader *map) {
    type->type = Get32(map);
    UInt32 stored = Get16(map);
    UInt32 references = UInt32(file->typeListOffset) + Get16(map);
    if (map->failed || stored == 0xFFFF) return 0;  // 65536 references do not fit the 16-bit count
    type->count = UInt16(stored + 1);
    for (UInt32 i = 0; i < type->count; i++) {
        Handle entry;
        Seek(map, references + kResReferenceSize * i);
        if (!ReadReference(file, type->type, map, &entry)) return 0;
        type->firstEntry = entry;
    }
    return 1;
}

// Makes one entry from the reference at the map cursor, pushed at the front of the file's list.
Boolean ReadReference(ResFileRecord *file, ResType type, ByteReader *map, Handle *entry) {
    SInt16 id = SInt16(Get16(map));
    UInt32 nameOffset = Get16(map);
    UInt8 attributes = Get8(map);
    SInt64 position = SInt64(file->dataOffset) + Get24(map);
    Skip(map, 4);  // the handle, always 0 on disk
    const UInt8 *name = nullptr;
    UInt32 nameLength = 0;
    if (nameOffset != kResNoName) {
        Seek(map, UInt32(file->nameListOffset) + nameOffset);
        nameLength = Get8(map);
        name = TakeBytes(map, nameLength);
    }
    if (map->failed || position > 0x7FFFFFFF) return 0;
    *entry = NewHandleClear(sizeof(ResEntryRecord));
    if (!*entry) return 0;
    ResEntryRecord *r = EntryOf(*entry);
    r->type = type;
    r->fileNumber = file->fileNumber;
    r->id = id;
    r->attributes = attributes;
    r->dataPosition = SInt32(position);
    r->next = file->firstEntry;
    file->firstEntry = *entry;
    if (!name) return 1;
    if (type == FourCC("DRVR") && nameLength > 0) name++, nameLength--;
    r->name = NewPtr(nameLength + 1);
    if (!r->name) return 0;
    memcpy(r->name, name, nameLength);
    r->name[nameLength] = 0;
    return 1;
}

void ReleaseEntries(ResFileRecord *file) {
    Handle entry = file->firstEntry;
    while (entry) {
        ResEntryRecord *r = EntryOf(entry);
        Handle next = r->next;
        if (r->data) DisposHandle(r->data);
        if (r->name) DisposPtr(r->name);
        DisposHandle(entry);
        entry = next;
    }
    file->firstEntry = nullptr;
}

// Frees a control block that is not (or no longer) in the list, with its stream and tables.
void ReleaseFile(ResFileRecord *file) {
    ReleaseEntries(file);
    OrvaCloseResStream(file);
    if (file->typeTable) DisposHandle(file->typeTable);
    OrvaDropResIndex(file);
    DisposPtr(reinterpret_cast<Ptr>(file));
}

// Every write of a rewritten file goes through here, where tests make one fail.
Boolean ResWrite(FILE *f, const void *bytes, size_t count) {
    if (gWriteFaultCountdown == 0) return 0;
    if (gWriteFaultCountdown > 0) gWriteFaultCountdown--;
    return count == 0 || fwrite(bytes, 1, count, f) == count;
}

// Writes the file anew into a temporary file of the same folder (256 header bytes, every
// entry's data in list order, the map) and renames it over the old one. On any failure the
// old file is left as it was and the temporary file removed.
OSErr RewriteResFile(ResFileRecord *file) {
    char path[2 * kResPathMax], tmpPath[2 * kResPathMax + 16];
    ResPath(file, path, sizeof path);
    const char *slash = strrchr(path, '/');
    int folderLength = slash ? int(slash - path + 1) : 0;
    snprintf(tmpPath, sizeof tmpPath, "%.*s.%s.XXXXXX", folderLength, path, path + folderLength);
    FILE *old = Orvafopen(path, "rb");
    int descriptor = old ? mkstemp(tmpPath) : -1;
    FILE *tmp = descriptor >= 0 ? fdopen(descriptor, "wb") : nullptr;
    if (!tmp && descriptor >= 0) close(descriptor);
    Handle map = nullptr;
    UInt32 end = kResHeaderSize;
    UInt8 zeros[kResHeaderSize] = {};
    Boolean ok = tmp && ResWrite(tmp, zeros, sizeof zeros) &&
                 WriteEntries(file, old, OrvaResFileSize(old), tmp, &end) && BuildMap(file, &map);
    UInt32 mapLength = map ? GetHandleSize(map) : 0;
    ok = ok && ResWrite(tmp, *map, mapLength) && fseek(tmp, 0, SEEK_SET) == 0 &&
         WriteHeader(tmp, end - kResHeaderSize, mapLength);
    if (ok) {
        ok = FinishTemporary(tmp, fileno(old));  // closes tmp in every case
    } else if (tmp) {
        fclose(tmp);
    }
    if (old) fclose(old);
    if (map) DisposHandle(map);
    if (ok) {
        OrvaCloseResStream(file);
        ok = rename(tmpPath, path) == 0;
    }
    if (!ok) {
        if (descriptor >= 0) unlink(tmpPath);
        if (!file->isVolatile) OrvaOpenResStream(file);
        return resNotFound;
    }
    CommitRewrite(file, end - kResHeaderSize, mapLength);
    if (!file->isVolatile) OrvaOpenResStream(file);
    return noErr;
}

// Writes each entry's length and data: a changed entry from its handle, any other copied
// from the old file. Sets the entries' new positions and the end of the data area.
Boolean WriteEntries(ResFileRecord *file, FILE *old, SInt64 oldSize, FILE *tmp, UInt32 *end) {
    UInt32 position = kResHeaderSize;
    for (Handle entry = file->firstEntry; entry; entry = EntryOf(entry)->next) {
        ResEntryRecord *r = EntryOf(entry);
        if (position - kResHeaderSize > kResMaxDataOffset) return 0;  // past 3-byte offsets
        r->newDataPosition = SInt32(position);
        UInt32 length = 0;
        Boolean fromHandle = r->data && ((r->attributes & kResChanged) || r->dataPosition < 0);
        if (fromHandle || r->dataPosition < 0) {
            length = r->data ? GetHandleSize(r->data) : 0;
            const UInt8 head[4] = {UInt8(length >> 24), UInt8(length >> 16), UInt8(length >> 8), UInt8(length)};
            if (!ResWrite(tmp, head, 4) || !ResWrite(tmp, length ? *r->data : nullptr, length)) return 0;
        } else if (!CopyOldData(old, oldSize, r->dataPosition, tmp, &length)) {
            return 0;
        }
        if (UInt64(position) + 4 + length > 0x7FFFFFFF) return 0;
        position += 4 + length;
        if (ftell(tmp) != long(position)) {
            OrvaErreur("UpdateResFile : Unsync !");
            return 0;
        }
    }
    *end = position;
    return 1;
}

Boolean CopyOldData(FILE *old, SInt64 oldSize, SInt32 position, FILE *tmp, UInt32 *length) {
    UInt8 buffer[kCopyChunk];
    if (position + SInt64(4) > oldSize || !OrvaReadResLength(old, position, length)) return 0;
    const UInt8 head[4] = {UInt8(*length >> 24), UInt8(*length >> 16), UInt8(*length >> 8), UInt8(*length)};
    if (position + SInt64(4) + *length > oldSize || !ResWrite(tmp, head, 4)) return 0;
    for (UInt32 left = *length; left > 0;) {
        UInt32 n = left < kCopyChunk ? left : kCopyChunk;
        if (fread(buffer, 1, n, old) != n || !ResWrite(tmp, buffer, n)) return 0;
        left -= n;
    }
    return 1;
}

// The map: banner, offsets, type records, each type's references in chain order, names.
// False when the file no longer fits the format's 16-bit offsets, or without memory.
Boolean BuildMap(ResFileRecord *file, Handle *map) {
    UInt32 types = UInt32(file->typeCount);
    UInt32 references = 0;
    for (UInt32 t = 0; t < types; t++) references += TypesOf(file)[t].count;
    UInt32 nameList = kResMapPrefixSize + kResTypeRecordSize * types + kResReferenceSize * references;
    if (nameList > 0xFFFF) return 0;
    *map = NewHandle(0);
    ByteWriter w = OrvaByteWriter(*map);
    PutBytes(&w, kResMapBanner, sizeof kResMapBanner);
    Put16(&w, kResTypeListOffset);
    Put16(&w, nameList);
    Put16(&w, types - 1);
    UInt32 reference = 2 + kResTypeRecordSize * types;  // relative to the type list
    for (UInt32 t = 0; t < types; t++) {
        Put32(&w, TypesOf(file)[t].type);
        Put16(&w, UInt32(TypesOf(file)[t].count) - 1);
        Put16(&w, reference);
        reference += kResReferenceSize * TypesOf(file)[t].count;
    }
    // The references, each naming its name by where it will stand in the name list.
    UInt32 names = 0;
    for (UInt32 t = 0; t < types; t++) {
        ResTypeRecord type = TypesOf(file)[t];
        Handle entry = type.firstEntry;
        for (UInt32 i = 0; i < type.count; i++, entry = EntryOf(entry)->next) {
            if (!entry || EntryOf(entry)->type != type.type) return 0;  // broken chain
            const ResEntryRecord *r = EntryOf(entry);
            if (r->name && names >= kResNoName) return 0;
            Put16(&w, UInt16(r->id));
            Put16(&w, r->name ? names : kResNoName);
            Put8(&w, 0);
            Put24(&w, UInt32(r->newDataPosition) - kResHeaderSize);
            Put32(&w, 0);
            if (r->name) names += 1 + UInt32(strnlen(r->name, kResNameMax));
        }
    }
    for (UInt32 t = 0; t < types; t++) {
        Handle entry = TypesOf(file)[t].firstEntry;
        for (UInt32 i = 0; i < TypesOf(file)[t].count; i++, entry = EntryOf(entry)->next) {
            const char *name = EntryOf(entry)->name;
            if (!name) continue;
            UInt8 length = UInt8(strnlen(name, kResNameMax));
            Put8(&w, length);
            PutBytes(&w, name, length);  // the handle holds no pointer into itself: names stay put
        }
    }
    return FinishByteWriter(&w);
}

// The 256-byte header of files written here.
Boolean WriteHeader(FILE *f, UInt32 dataLength, UInt32 mapLength) {
    Handle header = NewHandleClear(kResHeaderSize);
    ByteWriter w = OrvaByteWriter(header);
    Put32(&w, kResHeaderSize);
    Put32(&w, kResHeaderSize + dataLength);
    Put32(&w, dataLength);
    Put32(&w, mapLength);
    PutBytes(&w, kResMagic, 4);
    w.size = kResHeaderSize;  // the rest stays zero
    Boolean ok = header && !w.failed && ResWrite(f, *header, kResHeaderSize);
    DisposHandle(header);
    return ok;
}

// Gives the temporary file the old file's permissions, flushes it to the disk and closes it.
Boolean FinishTemporary(FILE *tmp, int oldDescriptor) {
    struct stat st;
    Boolean ok = fflush(tmp) == 0 && fstat(oldDescriptor, &st) == 0 &&
                 fchmod(fileno(tmp), st.st_mode & 07777) == 0 && fsync(fileno(tmp)) == 0;
    return fclose(tmp) == 0 && ok;
}

void CommitRewrite(ResFileRecord *file, UInt32 dataLength, UInt32 mapLength) {
    for (Handle entry = file->firstEntry; entry; entry = EntryOf(entry)->next) {
        ResEntryRecord *r = EntryOf(entry);
        r->dataPosition = r->newDataPosition;
        r->attributes &= UInt8(~kResChanged);
    }
    file->dataOffset = kResHeaderSize;
    file->mapOffset = kResHeaderSize + dataLength;
    file->dataLength = dataLength;
    file->mapLength = mapLength;
    file->typeListOffset = kResTypeListOffset;
    UInt32 references = 0;
    for (SInt16 t = 0; t < file->typeCount; t++) references += TypesOf(file)[t].count;
    file->nameListOffset = UInt16(kResMapPrefixSize + kResTypeRecordSize * UInt32(file->typeCount) +
                                  kResReferenceSize * references);
}

// Where WriteResource puts new data: over the old data when that was written after the map
// and the new data fits it (or it ends the file); else at the end of the file.
SInt64 WritePosition(ResFileRecord *file, ResEntryRecord *r, UInt32 size) {
    SInt64 fileSize = OrvaResFileSize(file->stream);
    if (fileSize < 0) return -1;
    SInt64 mapEnd = SInt64(file->mapOffset) + file->mapLength;
    if (r->dataPosition < 0 || r->dataPosition < mapEnd || r->dataPosition + SInt64(4) > fileSize)
        return fileSize;
    UInt32 old;
    if (!OrvaReadResLength(file->stream, r->dataPosition, &old)) return fileSize;
    if (old > size || r->dataPosition + SInt64(4) + old == fileSize) return r->dataPosition;
    return fileSize;
}

}  // namespace
