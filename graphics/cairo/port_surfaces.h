// Port surfaces: every port keeps its pixels in a cairo RGB24 image surface with a context;
// these routines allocate, resize and free them and hand a port's clip to cairo. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

// A region converted for cairo: records of {x, y, width, height}, in buffer pixels.
struct ConvertedRgnRecord {
    double x;
    double y;
    double width;
    double height;
};

void OrvaInitPort(GrafPtr port);         // the library's half of InitPort; gives a 24-bit surface
void OrvaDisposePortData(GrafPtr port);  // frees the opacity plane, surface and context
void OrvaClosePort(GrafPtr port);        // that, and the translucency surfaces
void SystemDependantInitPortData(GrafPtr port);  // a 24-bit surface of portRect's size
void SystemDependantFreePortData(GrafPtr port);
// A max(1, width) x max(1, height) RGB24 surface, zeroed, with a context. Any out pointer may
// be null. Answers 0; on failure the surface and context outputs are null.
OSErr OrvaAlloueOffscreen(GrafPtr port, SInt16 width, SInt16 height, SInt16 depth, Ptr *outData,
                          cairo_surface_t **outSurface, cairo_t **outContext, SInt32 *outStride);
void OrvaDisposeOffscreen(cairo_t *context, cairo_surface_t *surface);
// Gives port a surface for width x height content pixels (plus the frame margins). Old pixels
// are painted at (dx, dy) from where they were; new area is black. Without force nothing happens
// when the port has no surface yet or already has that size.
void OrvaPortSize(GrafPtr port, SInt16 width, SInt16 height, SInt16 dx, SInt16 dy, Boolean force);
SInt16 OrvaInitOffscreenSystem();  // 16
// The current port's effective clip for cairo: one record per rectangle of the region (a
// rectangle gives one), moved by the frame margins; the bounding box alone when memory runs
// short. The clip is the union of the records. Caller disposes with SystemDependantFreeRgn.
Handle SystemDependantConvertRgn(RgnHandle rgn);
void SystemDependantSetRgnClip(GrafPtr port, Handle converted);  // null only resets the clip
void SystemDependantFreeRgn(Handle converted);
void SystemDependantPreserveClip();
void SystemDependantRestaureClip();

// Fills buffer pixels (coordinates relative to the effective base, right and bottom inclusive,
// cut to the surface) with one pixel value: 0x00RRGGBB at depth 24, an index at depth 8. Walks
// rows with the surface's true stride and reports the area to the port's dirty slots.
void OrvaFillSurfaceRect(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom, UInt32 pixel);
