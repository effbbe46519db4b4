// Pixel patterns: 'ppat' resources loaded into PixPat records, the pen and background pixel
// patterns of a port, and the painting of a rectangle with a pattern's tiles anchored to the
// port's local origin. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

// In memory; the resource holds the same fields big-endian with 32-bit offsets in place of
// the handles (28 bytes).
struct PixPat {
    SInt16 patType;        // kPixPatFullColor: drawn from patMap and patData; others draw nothing
    PixMapHandle patMap;   // its pmTable holds the colour table; baseAddr null except while painting
    Handle patData;        // pixel rows, rowBytes x height bytes, in memory order
    Handle patXData;       // not used
    SInt16 patXValid;      // not used
    Handle patXMap;        // not used
    Pattern pat1Data;      // the black-and-white form
};

enum : SInt16 { kPixPatFullColor = 1 };
enum : UInt32 { kResPixPatBytes = 28 };

// The 'ppat' resource id read into a new PixPat; null when it is missing or malformed (offsets
// or counts outside the resource, an unreadable pixel map). Caller disposes.
PixPatHandle GetPixPat(SInt16 id);
// Reads a 'ppat' resource's bytes; null as GetPixPat.
PixPatHandle OrvaPixPatFromBytes(const UInt8 *bytes, UInt32 size);
void DisposePixPat(PixPatHandle pattern);  // the colour table, pixel map, pixel data and record
void PenPixPat(PixPatHandle pattern);      // the current port's pen pixel pattern; PenPat clears it
void BackPixPat(PixPatHandle pattern);     // its background pixel pattern; BackPat clears it
// Paints r (local coordinates) of the current port with the pattern's tiles, the first tile
// at the multiple of the tile size at or before r's top-left, through the port's clip.
// Nothing for other pattern types, an empty tile, or r reaching 32767 less a tile.
void OrvaPaintRectPixPat(const Rect *r, PixPatHandle pattern);
