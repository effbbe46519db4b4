// Collections: an item table and a data block, both handles, and an open-addressing index over
// (tag, id). Items keep their insertion order; replacing an item keeps its place.
#include "toolbox/collections.h"

#include <cstring>

#include "platform/core/memory.h"

namespace {

struct CollectionItemRecord {
    OSType tag;
    SInt32 id;
    SInt32 size;      // bytes of data
    UInt32 offset;    // of the data in the data block
    UInt32 capacity;  // bytes reserved there, at least size
};

}  // namespace

// The collection record, a zeroed pointer block.
struct OpaqueCollection {
    Handle items;       // CollectionItemRecord[count], insertion order
    SInt32 count;
    Handle data;        // the items' bytes
    UInt32 dataUsed;    // bytes of the block in use (live and abandoned)
    UInt32 abandoned;   // bytes left behind by items that grew
    Handle index;       // SInt32 slots: item number + 1, 0 empty; a power of two of them
    UInt32 indexSlots;
};

namespace {

enum : UInt32 { kFirstIndexSlots = 16, kMaxItems = 1u << 24 };

UInt32 Hash(OSType tag, SInt32 id);
SInt32 FindItem(Collection c, OSType tag, SInt32 id);  // item number, -1 when missing
bool Reindex(Collection c, UInt32 slots);
void Place(Collection c, SInt32 item);
bool AppendData(Collection c, SInt32 size, UInt32 *offset);
void Compact(Collection c);
CollectionItemRecord *Items(Collection c) { return reinterpret_cast<CollectionItemRecord *>(*c->items); }

}  // namespace

Collection NewCollection() {
    Collection c = reinterpret_cast<Collection>(NewPtrClear(sizeof(OpaqueCollection)));
    if (!c) return nullptr;
    c->items = NewHandle(0);
    c->data = NewHandle(0);
    if (!c->items || !c->data || !Reindex(c, kFirstIndexSlots)) {
        DisposeCollection(c);
        return nullptr;
    }
    return c;
}

void DisposeCollection(Collection c) {
    if (!c) return;
    if (c->items) DisposHandle(c->items);
    if (c->data) DisposHandle(c->data);
    if (c->index) DisposHandle(c->index);
    DisposPtr(reinterpret_cast<Ptr>(c));
}

OSErr AddCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 size, const void *data) {
    if (!c || size < 0 || size > kCollectionItemMaxSize || (size > 0 && !data)) return paramErr;
    SInt32 found = FindItem(c, tag, id);
    if (found >= 0 && UInt32(size) <= Items(c)[found].capacity) {
        CollectionItemRecord &item = Items(c)[found];
        if (size) memcpy(*c->data + item.offset, data, size_t(size));
        item.size = size;
        return noErr;
    }
    if (found < 0 && UInt32(c->count) >= kMaxItems) return memFullErr;
    UInt32 offset = 0;
    if (!AppendData(c, size, &offset)) return memFullErr;
    if (size) memcpy(*c->data + offset, data, size_t(size));
    if (found >= 0) {
        CollectionItemRecord &item = Items(c)[found];
        c->abandoned += item.capacity;
        item = CollectionItemRecord{tag, id, size, offset, UInt32(size)};
        if (c->abandoned > c->dataUsed / 2) Compact(c);
        return noErr;
    }
    if ((UInt32(c->count) + 1) * 2 > c->indexSlots && !Reindex(c, c->indexSlots * 2)) return memFullErr;
    SetHandleSize(c->items, UInt32(c->count + 1) * sizeof(CollectionItemRecord));
    if (MemError() != noErr) return memFullErr;
    Items(c)[c->count] = CollectionItemRecord{tag, id, size, offset, UInt32(size)};
    c->count++;
    Place(c, c->count - 1);
    return noErr;
}

OSErr GetCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 *ioSize, void *data) {
    SInt32 found = c ? FindItem(c, tag, id) : -1;
    if (found < 0) return collectionItemNotFoundErr;
    const CollectionItemRecord &item = Items(c)[found];
    SInt32 wanted = ioSize && *ioSize > 0 && *ioSize < item.size ? *ioSize : item.size;
    if (data && wanted > 0) memcpy(data, *c->data + item.offset, size_t(wanted));
    if (ioSize) *ioSize = item.size;
    return noErr;
}

Collection OrvaCopyCollection(Collection c) {
    if (!c) return nullptr;
    Collection copy = NewCollection();
    if (!copy) return nullptr;
    for (SInt32 i = 0; i < c->count; i++) {
        CollectionItemRecord item = Items(c)[i];
        if (AddCollectionItem(copy, item.tag, item.id, item.size, *c->data + item.offset) != noErr) {
            DisposeCollection(copy);
            return nullptr;
        }
    }
    return copy;
}

SInt32 CountCollectionItems(Collection c) { return c ? c->count : 0; }

namespace {

UInt32 Hash(OSType tag, SInt32 id) {
    UInt64 key = (UInt64(tag) << 32) | UInt32(id);
    key *= 0x9E3779B97F4A7C15ull;
    return UInt32(key >> 32);
}

SInt32 FindItem(Collection c, OSType tag, SInt32 id) {
    const SInt32 *slots = reinterpret_cast<const SInt32 *>(*c->index);
    const CollectionItemRecord *items = Items(c);
    UInt32 mask = c->indexSlots - 1;
    for (UInt32 at = Hash(tag, id) & mask;; at = (at + 1) & mask) {
        SInt32 entry = slots[at];
        if (entry == 0) return -1;
        const CollectionItemRecord &item = items[entry - 1];
        if (item.tag == tag && item.id == id) return entry - 1;
    }
}

// Rebuilds the index with slots entries (kept at most half full, so a probe always ends).
bool Reindex(Collection c, UInt32 slots) {
    UInt32 bytes = slots * sizeof(SInt32);
    if (!c->index) c->index = NewHandleClear(bytes);
    else SetHandleSize(c->index, bytes);
    if (!c->index || GetHandleSize(c->index) != bytes) return false;
    c->indexSlots = slots;
    memset(*c->index, 0, bytes);
    for (SInt32 i = 0; i < c->count; i++) Place(c, i);
    return true;
}

void Place(Collection c, SInt32 item) {
    SInt32 *table = reinterpret_cast<SInt32 *>(*c->index);
    const CollectionItemRecord &record = Items(c)[item];
    UInt32 mask = c->indexSlots - 1;
    UInt32 at = Hash(record.tag, record.id) & mask;
    while (table[at]) at = (at + 1) & mask;
    table[at] = item + 1;
}

bool AppendData(Collection c, SInt32 size, UInt32 *offset) {
    *offset = c->dataUsed;
    if (size == 0) return true;
    UInt32 need = c->dataUsed + UInt32(size);
    if (need > GetHandleSize(c->data)) {
        UInt32 grown = GetHandleSize(c->data) * 2;
        SetHandleSize(c->data, grown > need ? grown : need);
        if (MemError() != noErr) return false;
    }
    c->dataUsed = need;
    return true;
}

// Moves every item's bytes together again, in item order.
void Compact(Collection c) {
    UInt32 used = 0;
    CollectionItemRecord *items = Items(c);
    Handle fresh = NewHandle(c->dataUsed - c->abandoned);
    if (!fresh) return;  // the block stays as it is: nothing lost, only space
    for (SInt32 i = 0; i < c->count; i++) {
        if (items[i].size) memcpy(*fresh + used, *c->data + items[i].offset, size_t(items[i].size));
        items[i].offset = used;
        items[i].capacity = UInt32(items[i].size);
        used += UInt32(items[i].size);
    }
    DisposHandle(c->data);
    c->data = fresh;
    c->dataUsed = used;
    c->abandoned = 0;
}

}  // namespace
