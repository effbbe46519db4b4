// Test helpers for pixel transfers: offscreen ports filled pixel by pixel, raw bitmaps and
// pixel maps, pixel reads of 32-bit and 8-bit stores, and the comparison of PNGs with goldens.
#pragma once

#include <string>
#include <vector>

#include "graphics/quickdraw/ports.h"

// A new offscreen port (QuickDraw started, the caller's port current again), filled with fill
// (0xRRGGBB at depth 24, an index at depth 8). Caller closes with OrvaClosePortOffscreen.
GrafPtr NewFilledOffscreen(SInt16 width, SInt16 height, SInt16 depth, UInt32 fill);
void SetStorePixel(GrafPtr port, SInt32 x, SInt32 y, UInt32 value);  // 0xRRGGBB or an index
UInt32 StorePixel(GrafPtr port, SInt32 x, SInt32 y);                 // the same, as stored
// count pixels of row y from x on, as StorePixel reads them.
inline std::vector<UInt32> StoreRow(GrafPtr port, SInt32 y, SInt32 x, SInt32 count) {
    std::vector<UInt32> row;
    for (SInt32 i = 0; i < count; i++) row.push_back(StorePixel(port, x + i, y));
    return row;
}

// A caller's pixel map over bytes (kept alive by the caller): rowBytes, bounds from 0,0,
// pixelSize and table.
PixMap RawPixMap(std::vector<UInt8> *bytes, SInt16 rowBytes, SInt16 width, SInt16 height, SInt16 pixelSize,
                 CTabHandle table = nullptr);
// A caller's 1-bit bitmap over bytes.
BitMap RawBitMap(std::vector<UInt8> *bytes, SInt16 rowBytes, SInt16 width, SInt16 height);

// Compares the PNG at actualPath with tests/golden/graphics/<name> of the source tree: every
// component within tolerance. On a mismatch the actual image and a difference image are kept
// in golden-out/ of the build tree and the message says where; with ORVA_UPDATE_GOLDENS=1 in
// the environment the golden is replaced instead. Empty on success.
std::string CompareWithGolden(const std::string &actualPath, const std::string &name, int tolerance);
