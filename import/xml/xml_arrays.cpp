// Growth and trimming of the element tree's arrays, and the store its blocks are carved from.
#include "import/xml/xml_arrays.h"

#include <cstring>

#include "platform/core/memory.h"

struct XMLStoreChunk {
    XMLStoreChunk *next;
    SInt64 used;      // bytes carved, this header included
    SInt64 capacity;  // bytes of the chunk
    Ptr adopted;      // a block taken over whole (the chunk is then only its header), or null
};

namespace {

enum : SInt64 {
    kAlignment = 8,
    kHeaderBytes = (sizeof(XMLStoreChunk) + kAlignment - 1) / kAlignment * kAlignment,
};

XMLStoreChunk *NewChunk(SInt64 capacity);
void LinkBehindCurrent(XMLStoreChunk **store, XMLStoreChunk *chunk);

}  // namespace

// Doubling from one block keeps appends linear: a 10 MB text is copied at most about twice, not
// once per block it spans.
Boolean XMLReserve(XMLGrowable *array, SInt64 needed) {
    if (needed <= array->capacity) return kTrue;
    if (needed > kXMLMaxArrayBytes) return kFalse;
    SInt64 capacity = array->capacity > 0 ? array->capacity : SInt64(kXMLArrayBlockBytes);
    while (capacity < needed) capacity *= 2;
    // The heap may extend the block where it stands, which spares copying a large text.
    Ptr fresh = array->bytes != nullptr ? OrvaReallocPtr(array->bytes, UInt32(capacity)) : NewPtr(UInt32(capacity));
    if (fresh == nullptr) return kFalse;
    array->bytes = fresh;
    array->capacity = capacity;
    return kTrue;
}

void XMLReleaseGrowable(XMLGrowable *array) {
    XMLFreeBlock(array->bytes);
    *array = XMLGrowable();
}

Ptr XMLTrimGrowable(XMLGrowable *array, SInt64 used) {
    Ptr exact = used > 0 ? NewPtr(UInt32(used)) : nullptr;
    if (exact == nullptr && used > 0) {
        exact = array->bytes;
        *array = XMLGrowable();
        return exact;
    }
    if (exact != nullptr) memcpy(exact, array->bytes, size_t(used));
    XMLReleaseGrowable(array);
    return exact;
}

void XMLFreeBlock(void *block) {
    if (block != nullptr) DisposPtr(static_cast<Ptr>(block));
}

// Elements, names and attributes come by the hundred thousand in a large score: carving them
// from chunks instead of asking the memory manager for each is what keeps a parse fast.
void *XMLStoreAlloc(XMLStoreChunk **store, SInt64 count) {
    if (count <= 0 || count > kXMLMaxArrayBytes) return nullptr;
    count = (count + kAlignment - 1) / kAlignment * kAlignment;
    XMLStoreChunk *chunk = *store;
    if (count > kXMLStoreOwnChunkBytes) {
        XMLStoreChunk *own = NewChunk(kHeaderBytes + count);
        if (own == nullptr) return nullptr;
        LinkBehindCurrent(store, own);
        own->used = own->capacity;
        return reinterpret_cast<char *>(own) + kHeaderBytes;
    }
    if (chunk == nullptr || chunk->capacity - chunk->used < count) {
        chunk = NewChunk(kXMLStoreChunkBytes);
        if (chunk == nullptr) return nullptr;
        chunk->next = *store;
        *store = chunk;
    }
    void *block = reinterpret_cast<char *>(chunk) + chunk->used;
    chunk->used += count;
    return block;
}

void *XMLStoreCopy(XMLStoreChunk **store, const void *bytes, SInt64 count) {
    void *copy = XMLStoreAlloc(store, count);
    if (copy != nullptr) memcpy(copy, bytes, size_t(count));
    return copy;
}

char *XMLStoreString(XMLStoreChunk **store, const char *text) {
    return static_cast<char *>(XMLStoreCopy(store, text, SInt64(strlen(text)) + 1));
}

Ptr XMLStoreTake(XMLStoreChunk **store, XMLGrowable *array, SInt64 used) {
    if (used <= kXMLStoreOwnChunkBytes) return static_cast<Ptr>(XMLStoreCopy(store, array->bytes, used));
    XMLStoreChunk *holder = NewChunk(kHeaderBytes);
    Ptr block = holder != nullptr ? OrvaReallocPtr(array->bytes, UInt32(used)) : nullptr;
    if (block == nullptr) {
        XMLFreeBlock(holder);
        return nullptr;
    }
    holder->adopted = block;
    LinkBehindCurrent(store, holder);
    *array = XMLGrowable();
    return block;
}

void XMLStoreRelease(XMLStoreChunk **store) {
    while (*store != nullptr) {
        XMLStoreChunk *next = (*store)->next;
        XMLFreeBlock((*store)->adopted);
        XMLFreeBlock(*store);
        *store = next;
    }
}

namespace {

XMLStoreChunk *NewChunk(SInt64 capacity) {
    XMLStoreChunk *chunk = reinterpret_cast<XMLStoreChunk *>(NewPtr(UInt32(capacity)));
    if (chunk != nullptr) *chunk = XMLStoreChunk{nullptr, kHeaderBytes, capacity, nullptr};
    return chunk;
}

// Behind the chunk being carved, which keeps its room.
void LinkBehindCurrent(XMLStoreChunk **store, XMLStoreChunk *chunk) {
    XMLStoreChunk *current = *store;
    chunk->next = current != nullptr ? current->next : nullptr;
    if (current != nullptr) current->next = chunk;
    else *store = chunk;
}

}  // namespace
