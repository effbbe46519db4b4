// The raster core: pen-sized runs in local coordinates become rectangles of buffer pixels,
// clipped against the current port's effective clip with a scan-line cache and handed to the
// rectangle-fill slot of the video table. Main thread only: the cache is process-wide.
#pragma once

#include "graphics/quickdraw/ports.h"

// Paints the run from min(h1, h2) to max(h1, h2) + pnSize.h - 1, rows v to v + pnSize.v - 1,
// with the pen pixel pattern when there is one and bit 1 of pnMode is clear, else through
// trace_rect_clip. pnLoc becomes (h2, v). Arithmetic is 32-bit: no coordinate wraps.
void LineH(SInt16 h1, SInt16 v, SInt16 h2);
// LineH (h, min(va, vb), h) with the pen |vb - va| + pnSize.v high, unless a region is being
// recorded (rgnSave set); pnLoc becomes (h, vb) in every case.
void LineV(SInt16 h, SInt16 va, SInt16 vb);
// LineH (left, top, right - 1) with the pen bottom - top high: with a 1x1 pen exactly the
// rectangle. Nothing unless right > left and bottom > top.
void orva_Bar(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
// LineV with 32-bit coordinates, so that a pen-sized span cannot wrap.
void OrvaLineVSized(SInt32 h, SInt32 va, SInt32 vb);
// The run of LineH with an explicit pen width and height (32-bit, so that callers adding spans
// to the pen cannot wrap it).
void OrvaLineHSized(SInt32 h1, SInt32 v, SInt32 h2, SInt32 penWidth, SInt32 penHeight);
// The clipped fill of buffer pixels ha..hb, va..vb (inclusive): each visible piece goes to
// slot 1 of the video table, one call per clip interval and band of rows.
void trace_rect_clip(SInt32 ha, SInt32 va, SInt32 hb, SInt32 vb);

// Installed by the pixel-pattern code: paints r (local) with a pixel pattern. Null: pixel
// patterns are ignored and the pen pattern is used.
typedef void (*PixPatPainterProc)(const Rect *r, PixPatHandle pattern);
void OrvaSetPixPatPainter(PixPatPainterProc painter);
