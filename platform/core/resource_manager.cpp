// Resource lookups over the open files, loading of resource data, counts and types,
// resource information, and adding and removing resources.
#include "platform/core/resource_files.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files_internal.h"
#include "platform/core/runtime.h"

ResManagerState gRes = {-1, noErr, 1};

namespace {

const UInt32 kIndexMinimum = 16;  // slots of the smallest (type, id) index

Handle FindInFile(ResFileRecord *file, ResType type, SInt16 id);
Handle WalkFile(ResFileRecord *file, ResType type, SInt16 id);
Boolean BuildIndex(ResFileRecord *file);
UInt32 IndexSlot(ResType type, SInt16 id, UInt32 capacity);
Handle NthOfType(ResFileRecord *file, ResType type, SInt16 *index);
Handle IndexedEntry(ResType type, SInt16 index, Boolean currentOnly, ResFileRecord **file);
Boolean TypeSeenBefore(ResFileRecord *file, SInt16 t);
Handle *PreviousLink(ResFileRecord *file, Handle entry);
void RemoveType(ResFileRecord *file, ResTypeRecord *type);

}  // namespace

void UseResFile(SInt16 refNum) {
    if (!OrvaFindResFile(refNum)) {
        gRes.lastError = resFNotFound;
        return;
    }
    gRes.currentFile = refNum;
    gRes.lastError = noErr;
}

SInt16 CurResFile() { return gRes.currentFile; }

OSErr ResError() { return gRes.lastError; }

void SetResLoad(Boolean load) { gRes.load = load ? 1 : 0; }

SInt16 HomeResFile(Handle h) {
    ResFileRecord *file;
    if (!OrvaFindResEntry(h, &file)) {
        gRes.lastError = resNotFound;
        return -1;
    }
    gRes.lastError = noErr;
    return SInt16(file->fileNumber);
}

Handle GetResource(ResType type, SInt16 id) {
    for (ResFileRecord *file = OrvaFindResFile(gRes.currentFile); file; file = file->next) {
        Handle entry = FindInFile(file, type, id);
        if (entry) return OrvaLoadResEntry(file, entry);
    }
    return nullptr;
}

Handle Get1Resource(ResType type, SInt16 id) {
    ResFileRecord *file = OrvaFindResFile(gRes.currentFile);
    Handle entry = file ? FindInFile(file, type, id) : nullptr;
    return entry ? OrvaLoadResEntry(file, entry) : nullptr;
}

Handle GetNamedResource(ResType type, const char *name) {
    if (!name) return nullptr;
    for (ResFileRecord *file = OrvaFindResFile(gRes.currentFile); file; file = file->next) {
        ResTypeRecord *t = OrvaFindResType(file, type);
        if (!t) continue;
        Handle entry = t->firstEntry;
        for (UInt32 i = 0; i < t->count && entry; i++, entry = EntryOf(entry)->next) {
            const char *entryName = EntryOf(entry)->name;
            if (entryName && strcmp(entryName, name) == 0) return OrvaLoadResEntry(file, entry);
        }
    }
    return nullptr;
}

Handle GetIndResource(ResType type, SInt16 index) {
    ResFileRecord *file;
    Handle entry = IndexedEntry(type, index, 0, &file);
    return entry ? OrvaLoadResEntry(file, entry) : nullptr;
}

Handle Get1IndResource(ResType type, SInt16 index) {
    ResFileRecord *file;
    Handle entry = IndexedEntry(type, index, 1, &file);
    return entry ? OrvaLoadResEntry(file, entry) : nullptr;
}

SInt16 CountResources(ResType type) {
    SInt32 count = 0;
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next) {
        ResTypeRecord *t = OrvaFindResType(file, type);
        if (t) count += t->count;
    }
    return SInt16(count > 0x7FFF ? 0x7FFF : count);
}

SInt16 Count1Resources(ResType type) {
    ResFileRecord *file = OrvaFindResFile(gRes.currentFile);
    ResTypeRecord *t = file ? OrvaFindResType(file, type) : nullptr;
    return t ? SInt16(t->count > 0x7FFF ? 0x7FFF : t->count) : 0;
}

SInt16 CountTypes() {
    SInt32 count = 0;
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next)
        for (SInt16 t = 0; t < file->typeCount; t++)
            if (!TypeSeenBefore(file, t)) count++;
    return SInt16(count > 0x7FFF ? 0x7FFF : count);
}

SInt16 Count1Types() {
    ResFileRecord *file = OrvaFindResFile(gRes.currentFile);
    return file ? file->typeCount : 0;
}

void GetIndType(ResType *type, SInt16 index) {
    *type = 0;
    if (index < 1) return;
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next) {
        for (SInt16 t = 0; t < file->typeCount; t++) {
            if (TypeSeenBefore(file, t) || --index > 0) continue;
            *type = TypesOf(file)[t].type;
            return;
        }
    }
}

void Get1IndType(ResType *type, SInt16 index) {
    ResFileRecord *file = OrvaFindResFile(gRes.currentFile);
    *type = file && index >= 1 && index <= file->typeCount ? TypesOf(file)[index - 1].type : 0;
}

void DetachResource(Handle h) {
    Handle entry = OrvaFindResEntry(h, nullptr);
    if (!entry) {
        gRes.lastError = resNotFound;
        return;
    }
    EntryOf(entry)->data = nullptr;
    gRes.lastError = noErr;
}

void ReleaseResource(Handle h) {
    DetachResource(h);
    if (gRes.lastError == noErr) DisposHandle(h);
}

void GetResInfo(Handle h, SInt16 *id, ResType *type, char *name) {
    Handle entry = OrvaFindResEntry(h, nullptr);
    if (id) *id = entry ? EntryOf(entry)->id : 0;
    if (type) *type = entry ? EntryOf(entry)->type : 0;
    if (name) snprintf(name, kResNameMax + 1, "%s", entry && EntryOf(entry)->name ? EntryOf(entry)->name : "");
    gRes.lastError = entry ? noErr : resNotFound;
}

void SetResInfo(Handle h, SInt16 id, const char *name) {
    ResFileRecord *file;
    Handle entry = OrvaFindResEntry(h, &file);
    if (!entry) return;
    Ptr copy = name ? OrvaCopyResName(name) : nullptr;
    ResEntryRecord *r = EntryOf(entry);
    r->id = id;
    if (name) {
        if (r->name) DisposPtr(r->name);
        r->name = copy;
    }
    OrvaDropResIndex(file);
    gRes.lastError = noErr;
}

SInt32 SizeResource(Handle h) {
    ResFileRecord *file;
    Handle entry = OrvaFindResEntry(h, &file);
    SInt32 size = -1;
    if (entry && OrvaOpenResStream(file) == noErr) {
        UInt32 length;
        if (OrvaReadResLength(file->stream, EntryOf(entry)->dataPosition, &length) && length <= 0x7FFFFFFF)
            size = SInt32(length);
        OrvaCloseResStreamIfVolatile(file);
    }
    gRes.lastError = size < 0 ? resNotFound : noErr;
    return size;
}

void ChangedResource(Handle h) {
    ResFileRecord *file;
    Handle entry = OrvaFindResEntry(h, &file);
    if (!entry) {
        gRes.lastError = resNotFound;
        return;
    }
    file->mapChanged = 1;
    if (!*h) {
        gRes.lastError = nilHandleErr;
        return;
    }
    EntryOf(entry)->attributes |= kResChanged;
    gRes.lastError = noErr;
}

void AddResource(Handle h, ResType type, SInt16 id, const char *name) {
    if (!h || OrvaFindResEntry(h, nullptr)) {
        gRes.lastError = addResFailed;
        return;
    }
    ResFileRecord *file = OrvaFindResFile(gRes.currentFile);
    if (!file) return;
    ResTypeRecord *t = OrvaFindResType(file, type);
    if ((t && t->count == 0xFFFF) || (!t && file->typeCount == 0x7FFF)) {
        gRes.lastError = addResFailed;
        return;
    }
    Handle entry = NewHandleClear(sizeof(ResEntryRecord));
    if (!entry) {
        gRes.lastError = addResFailed;
        return;
    }
    if (!t) {
        SetHandleSize(file->typeTable, UInt32(file->typeCount + 1) * sizeof(ResTypeRecord));
        if (MemError() != noErr) {
            DisposHandle(entry);
            gRes.lastError = addResFailed;
            return;
        }
        t = TypesOf(file) + file->typeCount++;
        *t = ResTypeRecord{type, 0, nullptr};
    }
    ResEntryRecord *r = EntryOf(entry);
    r->type = type;
    r->id = id;
    r->fileNumber = file->fileNumber;
    r->data = h;
    r->dataPosition = -1;
    r->name = name ? OrvaCopyResName(name) : nullptr;
    r->attributes = kResChanged;
    // In front of the type's first entry, or of the whole list for a new type.
    Handle *link = t->firstEntry ? PreviousLink(file, t->firstEntry) : &file->firstEntry;
    r->next = *link;
    *link = entry;
    t->firstEntry = entry;
    t->count++;
    file->mapChanged = 1;
    OrvaDropResIndex(file);
    gRes.lastError = noErr;
}

void RemoveResource(Handle h) {
    ResFileRecord *file;
    Handle entry = OrvaFindResEntry(h, &file);
    if (!entry) {
        gRes.lastError = resNotFound;
        return;
    }
    ResEntryRecord *r = EntryOf(entry);
    *PreviousLink(file, entry) = r->next;
    ResTypeRecord *t = OrvaFindResType(file, r->type);
    if (t) {
        t->count--;
        if (t->count == 0) RemoveType(file, t);
        else if (t->firstEntry == entry) t->firstEntry = r->next;
    }
    if (r->name) DisposPtr(r->name);
    DisposHandle(entry);
    file->mapChanged = 1;
    OrvaDropResIndex(file);
    gRes.lastError = noErr;
}

void orva_GetIndResInfo(ResType type, SInt16 index, SInt16 *id, char *name) {
    ResFileRecord *file;
    Handle entry = IndexedEntry(type, index, 0, &file);
    if (id) *id = entry ? EntryOf(entry)->id : 0;
    if (name) snprintf(name, kResNameMax + 1, "%s", entry && EntryOf(entry)->name ? EntryOf(entry)->name : "");
}

void orva_purge_type(ResType type) {
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next) {
        for (Handle entry = file->firstEntry; entry; entry = EntryOf(entry)->next) {
            ResEntryRecord *r = EntryOf(entry);
            if (r->type != type || !r->data) continue;
            DisposHandle(r->data);
            r->data = nullptr;
        }
    }
}

SInt16 orva_id_premier_fichier_ressource() {
    return OrvaPremierFichierRessource ? SInt16(OrvaPremierFichierRessource->fileNumber) : -1;
}

OSErr InitResources() { return noErr; }
void RsrcZoneInit() {}
void HNoPurge(Handle) {}
void HPurge(Handle) {}
void HLockHi(Handle) {}
void SetResAttrs(Handle, SInt16) {}
SInt16 GetResAttrs(Handle) { return 0; }

ResFileRecord *OrvaFindResFile(SInt16 refNum) {
    for (ResFileRecord *file = OrvaPremierFichierRessource; file; file = file->next)
        if (SInt16(file->fileNumber) == refNum) return file;
    return nullptr;
}

Handle OrvaFindResEntry(Handle h, ResFileRecord **file) {
    if (!h) return nullptr;
    for (ResFileRecord *f = OrvaPremierFichierRessource; f; f = f->next) {
        for (Handle entry = f->firstEntry; entry; entry = EntryOf(entry)->next) {
            if (EntryOf(entry)->data != h) continue;
            if (file) *file = f;
            return entry;
        }
    }
    return nullptr;
}

ResTypeRecord *OrvaFindResType(ResFileRecord *file, ResType type) {
    for (SInt16 t = 0; t < file->typeCount; t++)
        if (TypesOf(file)[t].type == type) return TypesOf(file) + t;
    return nullptr;
}

// Answers the entry's data, reading it from the file when needed. With loading off an entry
// gets an empty handle. Data that exists only in memory (added, or changed) is never replaced
// by what the file holds. The length is checked against the file before anything is allocated.
Handle OrvaLoadResEntry(ResFileRecord *file, Handle entry) {
    ResEntryRecord *r = EntryOf(entry);
    if (r->data && (GetHandleSize(r->data) > 0 || (r->attributes & kResChanged) || r->dataPosition < 0))
        return r->data;
    if (!gRes.load) {
        if (!r->data) r->data = NewHandle(0);
        return r->data;
    }
    // An empty handle handed out while loading was off dies here, after the new one is made
    // so that the caller cannot be given the same handle back.
    Handle stale = r->data;
    r->data = nullptr;
    UInt32 length;
    SInt64 fileSize = OrvaOpenResStream(file) == noErr ? OrvaResFileSize(file->stream) : -1;
    Handle h = nullptr;
    if (fileSize < 0 || r->dataPosition + SInt64(4) > fileSize ||
        !OrvaReadResLength(file->stream, r->dataPosition, &length)) {
        OrvaErreur("Erreur lecture datas ressource #2");
    } else if (r->dataPosition + SInt64(4) + length > fileSize) {
        OrvaErreur("Erreur lecture datas ressource");
    } else if (!(h = NewHandle(length))) {
        OrvaErreur("No more mem #25446");
    }
    if (stale) DisposHandle(stale);
    if (!h) {
        OrvaCloseResStream(file);
        return nullptr;
    }
    UInt32 size = GetHandleSize(h);
    UInt8 state = HGetState(h);
    HLock(h);
    if (size > 0 && fread(*h, 1, size, file->stream) != size) {
        DisposHandle(h);
        OrvaErreur("Erreur lecture datas ressource");
        OrvaCloseResStream(file);
        return nullptr;
    }
    OrvaCloseResStreamIfVolatile(file);
    HSetState(h, state);
    EntryOf(entry)->data = h;
    return h;
}

void OrvaDropResIndex(ResFileRecord *file) {
    if (file->index) DisposPtr(file->index);
    file->index = nullptr;
    file->indexCapacity = 0;
}

Ptr OrvaCopyResName(const char *name) {
    if (!name || !name[0]) return nullptr;
    size_t n = strnlen(name, kResNameMax);  // names longer than a length byte are cut
    Ptr copy = NewPtr(UInt32(n + 1));
    if (!copy) return nullptr;
    memcpy(copy, name, n);
    copy[n] = 0;
    return copy;
}

namespace {

// The first entry with that type and id in the file's list, through the file's index.
Handle FindInFile(ResFileRecord *file, ResType type, SInt16 id) {
    if (!file->index && !BuildIndex(file)) return WalkFile(file, type, id);
    Handle *slots = reinterpret_cast<Handle *>(file->index);
    UInt32 mask = file->indexCapacity - 1;
    for (UInt32 slot = IndexSlot(type, id, file->indexCapacity);; slot = (slot + 1) & mask) {
        Handle entry = slots[slot];
        if (!entry) return nullptr;
        ResEntryRecord *r = EntryOf(entry);
        if (r->type == type && r->id == id) return entry;
    }
}

Handle WalkFile(ResFileRecord *file, ResType type, SInt16 id) {
    ResTypeRecord *t = OrvaFindResType(file, type);
    Handle entry = t ? t->firstEntry : nullptr;
    for (UInt32 i = 0; t && i < t->count && entry; i++, entry = EntryOf(entry)->next)
        if (EntryOf(entry)->id == id) return entry;
    return nullptr;
}

// Open addressing over (type, id); only the first entry of a key in list order is kept, so
// the index answers what a walk of the list would. False when there is no memory for it.
Boolean BuildIndex(ResFileRecord *file) {
    UInt32 count = 0;
    for (Handle entry = file->firstEntry; entry; entry = EntryOf(entry)->next) count++;
    UInt32 capacity = kIndexMinimum;
    while (capacity < 2 * count) capacity <<= 1;
    Handle *slots = reinterpret_cast<Handle *>(NewPtrClear(UInt32(capacity * sizeof(Handle))));
    if (!slots) return 0;
    for (Handle entry = file->firstEntry; entry; entry = EntryOf(entry)->next) {
        ResEntryRecord *r = EntryOf(entry);
        UInt32 slot = IndexSlot(r->type, r->id, capacity);
        while (slots[slot] && !(EntryOf(slots[slot])->type == r->type && EntryOf(slots[slot])->id == r->id))
            slot = (slot + 1) & (capacity - 1);
        if (!slots[slot]) slots[slot] = entry;
    }
    file->index = reinterpret_cast<Ptr>(slots);
    file->indexCapacity = capacity;
    return 1;
}

UInt32 IndexSlot(ResType type, SInt16 id, UInt32 capacity) {
    UInt32 key = type * 0x9E3779B1u ^ (UInt32(UInt16(id)) * 0x85EBCA77u);
    key ^= key >> 15;
    return key & (capacity - 1);
}

// The index-th (from 1) entry of the type in the file's chain; index is counted down by the
// entries the file has, for the next file.
Handle NthOfType(ResFileRecord *file, ResType type, SInt16 *index) {
    ResTypeRecord *t = OrvaFindResType(file, type);
    if (!t) return nullptr;
    if (*index > t->count) {
        *index = SInt16(*index - t->count);
        return nullptr;
    }
    Handle entry = t->firstEntry;
    for (SInt16 i = 1; i < *index && entry; i++) entry = EntryOf(entry)->next;
    return entry;
}

Handle IndexedEntry(ResType type, SInt16 index, Boolean currentOnly, ResFileRecord **file) {
    if (index < 1) return nullptr;
    ResFileRecord *f = currentOnly ? OrvaFindResFile(gRes.currentFile) : OrvaPremierFichierRessource;
    for (; f; f = currentOnly ? nullptr : f->next) {
        Handle entry = NthOfType(f, type, &index);
        if (!entry) continue;
        *file = f;
        return entry;
    }
    return nullptr;
}

// Whether type record t of the file repeats a type of a newer file or an earlier record.
Boolean TypeSeenBefore(ResFileRecord *file, SInt16 t) {
    ResType type = TypesOf(file)[t].type;
    for (SInt16 u = 0; u < t; u++)
        if (TypesOf(file)[u].type == type) return 1;
    for (ResFileRecord *f = OrvaPremierFichierRessource; f != file; f = f->next)
        if (OrvaFindResType(f, type)) return 1;
    return 0;
}

// The link that points at entry: the file's head or the previous entry's next.
Handle *PreviousLink(ResFileRecord *file, Handle entry) {
    Handle *link = &file->firstEntry;
    while (*link != entry) link = &EntryOf(*link)->next;
    return link;
}

void RemoveType(ResFileRecord *file, ResTypeRecord *type) {
    SInt16 t = SInt16(type - TypesOf(file));
    memmove(type, type + 1, size_t(file->typeCount - t - 1) * sizeof(ResTypeRecord));
    file->typeCount--;
    SetHandleSize(file->typeTable, UInt32(file->typeCount) * sizeof(ResTypeRecord));
}

}  // namespace
