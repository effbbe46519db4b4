// Byte-order swaps between the big-endian file formats and memory, and the overlap-safe block
// copies and fills used throughout the library. Any thread.
#pragma once

#include "platform/core/mac_types.h"

UInt16 wintel2moto(UInt16 value);  // swaps the two bytes
UInt32 lintel2moto(UInt32 value);  // reverses the four bytes
UInt32 long_to_os(UInt32 value);   // the same as lintel2moto
void rintel2moto(Rect *r);         // swaps each of the four coordinates
// Swap every 16-bit (resp. 32-bit) word of a block: byteCount / 2 (resp. / 4) words; a block
// shorter than one word is left alone.
void ZoneWintel2moto(void *block, SInt32 byteCount);
void ZoneLintel2moto(void *block, SInt32 byteCount);

// Overlap-safe copy of count bytes; answers dst. Nothing for a count below 1.
void *FastMemCpy(void *dst, const void *src, SInt32 count);
// Overlap-safe copy of count bytes; answers src + count, where a caller walking a source
// block continues.
const void *Blitte(void *dst, const void *src, SInt32 count);
// Fills count bytes with value; answers p + count.
void *RemplitZone(void *p, SInt32 count, UInt8 value);
