// The pixel writers behind slots 1 to 3 of the video table: fill a rectangle of the current
// port's buffer with its pen, read a pixel, move a run of pixels. Coordinates are buffer
// pixels relative to the effective base, right and bottom inclusive; whatever falls outside
// the port's surface is cut off. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

// Installs the three writers into the video table (OrvaInitGraf does it at start-up).
void OrvaInstallPixelWriters();

// Fills with the current port's pen pattern and mode in its foreground and background colours
// (indices in an 8-bit store, the RGB colours in a 32-bit one); the pattern is anchored at the
// buffer's origin. Adds the rectangle to the port's dirty areas. Nothing without a buffer.
void WindowRectangleHardAss(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
// The 32-bit half: modes 8-11 copy, or, xor (invert), bic (nothing); 12-15 the same with the
// pattern inverted; 32 blends the pattern colour with the pixel by the op colour; bit 7 (138)
// swaps pixels of the highlight colour with pixels of the background colour.
void WindowRectangleHardAss24(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom);
// The colour of a pixel: Index2Color of an 8-bit pixel, the 32-bit pixel's bytes x 256; white
// without a buffer or outside it.
void WindowGetPixelAss(SInt16 h, SInt16 v, RGBColor *rgb);
// Copies pixels left..right of row v to (dstH, dstV), overlap-safe, and adds the destination
// to the dirty areas.
void WindowMoveLineAss(SInt16 left, SInt16 v, SInt16 right, SInt16 dstH, SInt16 dstV);
