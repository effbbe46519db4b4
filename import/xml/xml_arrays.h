// The blocks of the element tree. Growable arrays (element table, children and texts while
// they are collected, open elements, query results) take whole blocks of kXMLArrayBlockBytes,
// doubled when full. Everything a finished tree holds is carved from the tree's own store and
// freed with it at once.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt64 {
    kXMLArrayBlockBytes = 4096,           // growable arrays take whole blocks of this size
    kXMLMaxArrayBytes = SInt64(1) << 30,  // no array or block of the tree may pass this
    kXMLStoreChunkBytes = 64 << 10,       // the store takes memory in chunks of this size
    kXMLStoreOwnChunkBytes = kXMLStoreChunkBytes / 4,  // larger requests get a chunk of their own
};

struct XMLGrowable {
    Ptr bytes;        // null until something is stored
    SInt64 capacity;  // bytes of the block
};

// Makes the array able to hold needed bytes, keeping what it holds. False when memory runs out
// or needed passes kXMLMaxArrayBytes; the array is then unchanged.
Boolean XMLReserve(XMLGrowable *array, SInt64 needed);
void XMLReleaseGrowable(XMLGrowable *array);  // frees the block, leaves the array empty
// The first used bytes of the array in a new block of exactly that size (null for 0 bytes) that
// the caller disposes; the array is released. When memory runs out the array's own block is
// answered instead.
Ptr XMLTrimGrowable(XMLGrowable *array, SInt64 used);
void XMLFreeBlock(void *block);  // null accepted

// A tree's store: the chunks that every element, string and array of one tree is carved
// from, linked from their first; the tree's record holds the link.
struct XMLStoreChunk;

// count bytes from the store, 8-byte aligned, not cleared; null when memory runs out.
void *XMLStoreAlloc(XMLStoreChunk **store, SInt64 count);
// count bytes copied into the store; null for 0 bytes or no memory.
void *XMLStoreCopy(XMLStoreChunk **store, const void *bytes, SInt64 count);
char *XMLStoreString(XMLStoreChunk **store, const char *text);  // with its terminator
// The first used bytes of the array in a block of exactly that size owned by the store; null
// when memory runs out. A large array hands its own block over, so that a long text or table
// is not copied again, and is left empty; a small one is copied and keeps its block for reuse.
Ptr XMLStoreTake(XMLStoreChunk **store, XMLGrowable *array, SInt64 used);
void XMLStoreRelease(XMLStoreChunk **store);  // frees every chunk
