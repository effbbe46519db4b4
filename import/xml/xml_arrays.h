// The blocks of the element tree. Growable arrays (element table, children and texts while
// they are collected, open elements, query results) take whole blocks of kXMLArrayBlockBytes,
// doubled when full. Everything a finished tree holds is carved from the tree's own store and
// freed with it at once.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt64 {
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

struct XMLBrowser;

// count bytes from the tree's store, 8-byte aligned, not cleared; null when memory runs out.
void *XMLTreeAlloc(XMLBrowser *tree, SInt64 count);
// count bytes copied into the tree's store; null for 0 bytes or no memory.
void *XMLTreeCopy(XMLBrowser *tree, const void *bytes, SInt64 count);
char *XMLTreeString(XMLBrowser *tree, const char *text);  // with its terminator
// The first used bytes of the array in a block of exactly that size owned by the tree; null
// when memory runs out. A large array hands its own block over, so that a long text or table
// is not copied again, and is left empty; a small one is copied and keeps its block for reuse.
Ptr XMLTreeTake(XMLBrowser *tree, XMLGrowable *array, SInt64 used);
void XMLTreeReleaseStore(XMLBrowser *tree);  // frees every chunk of the store
