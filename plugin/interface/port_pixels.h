// Direct access to the pixels of a port, for the few passes of the player interface that work
// pixel by pixel (tinting, masks). Main thread.
#pragma once

#include "graphics/quickdraw/ports.h"

struct PlugPixels {
    UInt8 *base;       // the pixel at bounds' top-left
    SInt32 rowBytes;
    SInt32 pixelBytes; // 4 (blue, green, red, spare) or 1
    Rect bounds;       // local coordinates the buffer covers
};

// The port's pixels, made ready for reading and writing; false without a buffer.
Boolean PlugBeginPixels(GrafPtr port, PlugPixels *pixels);
// After writing: the port's surface is told its pixels changed, and the local rectangle
// changed is marked for the browser (null: nothing marked).
void PlugEndPixels(GrafPtr port, const Rect *changed);
// The address of local point (x, y), which must lie inside bounds.
inline UInt8 *PlugPixelAt(const PlugPixels &p, SInt32 x, SInt32 y) {
    return p.base + SInt64(y - p.bounds.top) * p.rowBytes + SInt64(x - p.bounds.left) * p.pixelBytes;
}
