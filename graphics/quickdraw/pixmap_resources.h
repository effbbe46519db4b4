// Readers of the big-endian pixel maps, colour tables and pixel data that 'ppat' and 'crsr'
// resources hold, through a cursor over the whole resource: nothing is read outside it. Main
// thread only (they allocate through the memory manager).
#pragma once

#include "graphics/quickdraw/ports.h"
#include "platform/core/byte_reader.h"

enum : UInt32 {
    kResPixMapBytes = 50,        // baseAddr, rowBytes ... pmReserved
    kResColorTableHeader = 8,    // ctSeed, ctFlags, ctSize
    kResColorSpecBytes = 8,      // value, red, green, blue
};

// The 50-byte pixel map at offset of the resource, in memory order, baseAddr and pmTable null;
// *tableOffset gets the offset its pmTable field gives. False when it passes the end, its
// bounds are empty, its pixel size is not 1, 2, 4, 8, 16 or 32 or its rows are too short for
// its width.
Boolean OrvaReadResPixMap(ByteReader resource, UInt32 offset, PixMap *map, UInt32 *tableOffset);
// The colour table at offset in a new handle of 8 + 8 x (ctSize + 1) bytes, in memory order.
// Null when it passes the end, its ctSize is below -1, or without memory.
CTabHandle OrvaReadResColorTable(ByteReader resource, UInt32 offset);
// Bytes of the pixel data from dataOffset to tableOffset; -1 when they lie outside the resource
// or are fewer than the pixel map's rows need.
SInt64 OrvaResPixelBytes(UInt32 size, UInt32 dataOffset, UInt32 tableOffset, const PixMap *map);
// Copies count bytes of pixel data from dataOffset to out in memory order: 16-bit pixels as
// native words, 32-bit pixels as the bytes blue, green, red, spare that CopyBits reads. Count
// comes from OrvaResPixelBytes.
void OrvaCopyResPixels(ByteReader resource, UInt32 dataOffset, SInt64 count, const PixMap *map, UInt8 *out);
