// Pixel access to ports.
#include "plugin/interface/port_pixels.h"

#include <cairo.h>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/rects.h"

Boolean PlugBeginPixels(GrafPtr port, PlugPixels *pixels) {
    *pixels = PlugPixels{nullptr, 0, 0, Rect{0, 0, 0, 0}};
    if (!port || !port->surface) return kFalse;
    cairo_surface_flush(port->surface);
    SInt16 depth = 0;
    pixels->base = reinterpret_cast<UInt8 *>(OrvaGetInfoOffscreen(port, &pixels->bounds, &pixels->rowBytes, &depth));
    pixels->pixelBytes = depth > 8 ? 4 : 1;
    // The buffer's own size bounds what can be reached, whatever the port's bounds say.
    const Rect &b = pixels->bounds;
    SInt32 width = port->width - (port->systemDraw ? 0 : port->marginLeft + port->marginRight);
    SInt32 height = port->height - (port->systemDraw ? 0 : port->marginTop + port->marginBottom);
    if (b.right - b.left > width) pixels->bounds.right = SInt16(b.left + width);
    if (b.bottom - b.top > height) pixels->bounds.bottom = SInt16(b.top + height);
    return pixels->base != nullptr && !EmptyRect(&pixels->bounds);
}

void PlugEndPixels(GrafPtr port, const Rect *changed) {
    if (!port || !port->surface) return;
    cairo_surface_mark_dirty(port->surface);
    if (!changed || EmptyRect(changed)) return;
    // Dirty areas count in buffer pixels: from the port's bounds, past the frame margins.
    SInt32 dx = port->systemDraw ? 0 : port->marginLeft, dy = port->systemDraw ? 0 : port->marginTop;
    dx -= port->portBits.bounds.left;
    dy -= port->portBits.bounds.top;
    OrvaAddDirtyRectPort(port, SInt16(changed->left + dx), SInt16(changed->top + dy), SInt16(changed->right - 1 + dx),
                         SInt16(changed->bottom - 1 + dy));
}
