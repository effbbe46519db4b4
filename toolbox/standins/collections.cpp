// Stand-in for the Collection Manager until it exists: a collection is an array of tagged
// items kept sorted by (tag, id), so that items added in id order append and every lookup
// is a binary search.
#include <cstdlib>
#include <cstring>

#include "platform/core/errors.h"
#include "toolbox/toolbox_services.h"

struct CollectionItem {
    OSType tag;
    SInt32 id;
    SInt32 size;
    void *data;  // malloc'd; null for an empty item
};

struct OpaqueCollection {
    CollectionItem *items;
    SInt32 count;
    SInt32 capacity;
};

namespace {

SInt32 FindSlot(Collection c, OSType tag, SInt32 id);
Boolean Grow(Collection c);

}  // namespace

Collection NewCollection() { return static_cast<Collection>(calloc(1, sizeof(OpaqueCollection))); }

void DisposeCollection(Collection c) {
    if (!c) return;
    for (SInt32 i = 0; i < c->count; i++) free(c->items[i].data);
    free(c->items);
    free(c);
}

OSErr AddCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 size, const void *data) {
    if (!c || size < 0 || (size > 0 && !data)) return paramErr;
    void *copy = nullptr;
    if (size > 0) {
        copy = malloc(size_t(size));
        if (!copy) return memFullErr;
        memcpy(copy, data, size_t(size));
    }
    SInt32 slot = FindSlot(c, tag, id);
    if (slot < c->count && c->items[slot].tag == tag && c->items[slot].id == id) {
        free(c->items[slot].data);
        c->items[slot].size = size;
        c->items[slot].data = copy;
        return noErr;
    }
    if (c->count == c->capacity && !Grow(c)) {
        free(copy);
        return memFullErr;
    }
    memmove(c->items + slot + 1, c->items + slot, size_t(c->count - slot) * sizeof(CollectionItem));
    c->items[slot] = CollectionItem{tag, id, size, copy};
    c->count++;
    return noErr;
}

OSErr GetCollectionItem(Collection c, OSType tag, SInt32 id, SInt32 *ioSize, void *data) {
    if (!c) return collectionItemNotFoundErr;
    SInt32 slot = FindSlot(c, tag, id);
    if (slot >= c->count || c->items[slot].tag != tag || c->items[slot].id != id) return collectionItemNotFoundErr;
    const CollectionItem &item = c->items[slot];
    SInt32 wanted = ioSize && *ioSize > 0 && *ioSize < item.size ? *ioSize : item.size;
    if (data && wanted > 0) memcpy(data, item.data, size_t(wanted));
    if (ioSize) *ioSize = item.size;
    return noErr;
}

namespace {

// The first slot whose (tag, id) is not below the one sought.
SInt32 FindSlot(Collection c, OSType tag, SInt32 id) {
    SInt32 low = 0, high = c->count;
    while (low < high) {
        SInt32 middle = low + (high - low) / 2;
        const CollectionItem &item = c->items[middle];
        if (item.tag < tag || (item.tag == tag && item.id < id)) low = middle + 1;
        else high = middle;
    }
    return low;
}

Boolean Grow(Collection c) {
    if (c->capacity > (1 << 28)) return kFalse;
    SInt32 capacity = c->capacity ? c->capacity * 2 : 8;
    void *items = realloc(c->items, size_t(capacity) * sizeof(CollectionItem));
    if (!items) return kFalse;
    c->items = static_cast<CollectionItem *>(items);
    c->capacity = capacity;
    return kTrue;
}

}  // namespace
