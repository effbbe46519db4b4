// Port surfaces on cairo: allocation, resizing with the old pixels kept in place, release, and
// the hand-over of a port's clip to its cairo context.
#include "graphics/cairo/port_surfaces.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/cairo/dirty_areas.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {
enum : SInt16 { kRowBytesMask = 0x7FFF, kDefaultDepth = 24 };
enum : SInt16 { kOffscreenSystemAnswer = 16 };
}  // namespace

static void DestroySurface(cairo_surface_t **surface);

void OrvaInitPort(GrafPtr port) {
    if (!port) return;
    port->opacity = nullptr;
    for (Rect &slot : port->dirty) _SetRect(&slot, 0, 0, 0, 0);
    port->dirty[0] = OrvaFrameGrafPort.portRect;
    port->surface = nullptr;
    port->context = nullptr;
    port->width = port->height = 0;
    port->data = port->effectiveBase = nullptr;
    port->rowStride = 0;
    port->portBits.baseAddr = kPortPixelsMarker;
    port->screenH = port->screenV = 0;
    SystemDependantInitPortData(port);
}

void OrvaDisposePortData(GrafPtr port) {
    if (!port) return;
    if (port->opacity) DisposPtr(port->opacity);
    port->opacity = nullptr;
    SystemDependantFreePortData(port);
}

void OrvaClosePort(GrafPtr port) {
    if (!port) return;
    OrvaDisposePortData(port);
    DestroySurface(&port->translucentSurface[0]);
    DestroySurface(&port->translucentSurface[1]);
    port->translucent = 0;
}

void SystemDependantInitPortData(GrafPtr port) {
    port->depth = kDefaultDepth;
    const Rect &r = port->portRect;
    OrvaPortSize(port, SInt16(std::max(0, r.right - r.left)), SInt16(std::max(0, r.bottom - r.top)), 0, 0, true);
    calcule_portclip();
}

void SystemDependantFreePortData(GrafPtr port) {
    OrvaDisposeOffscreen(port->context, port->surface);
    port->context = nullptr;
    port->surface = nullptr;
    port->data = port->effectiveBase = nullptr;
    port->width = port->height = 0;
    port->rowStride = 0;
}

OSErr OrvaAlloueOffscreen(GrafPtr, SInt16 width, SInt16 height, SInt16, Ptr *outData, cairo_surface_t **outSurface,
                          cairo_t **outContext, SInt32 *outStride) {
    if (outData) *outData = nullptr;
    if (outSurface) *outSurface = nullptr;
    if (outContext) *outContext = nullptr;
    if (outStride) *outStride = 0;
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max<SInt16>(1, width),
                                                          std::max<SInt16>(1, height));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return noErr;
    }
    // The fourth byte of each pixel is left undefined by cairo; a new buffer is all zero.
    cairo_surface_flush(surface);
    SInt32 stride = cairo_image_surface_get_stride(surface);
    unsigned char *data = cairo_image_surface_get_data(surface);
    std::memset(data, 0, size_t(stride) * size_t(cairo_image_surface_get_height(surface)));
    cairo_surface_mark_dirty(surface);
    cairo_t *context = cairo_create(surface);
    if (cairo_status(context) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(context);
        cairo_surface_destroy(surface);
        return noErr;
    }
    if (outData) *outData = (Ptr)data;
    if (outStride) *outStride = stride;
    if (outSurface) *outSurface = surface;
    else cairo_surface_destroy(surface);
    if (outContext) *outContext = context;
    else cairo_destroy(context);
    return noErr;
}

void OrvaDisposeOffscreen(cairo_t *context, cairo_surface_t *surface) {
    if (context) cairo_destroy(context);
    if (surface) cairo_surface_destroy(surface);
}

void OrvaPortSize(GrafPtr port, SInt16 width, SInt16 height, SInt16 dx, SInt16 dy, Boolean force) {
    if (!port) return;
    SInt32 fullWidth = std::max<SInt32>(0, width), fullHeight = std::max<SInt32>(0, height);
    if (!port->systemDraw) {
        fullWidth += port->marginLeft + port->marginRight;
        fullHeight += port->marginTop + port->marginBottom;
    }
    fullWidth = std::min<SInt32>(std::max<SInt32>(fullWidth, 0), 32767);
    fullHeight = std::min<SInt32>(std::max<SInt32>(fullHeight, 0), 32767);
    if (!force && (!port->surface || (port->width == fullWidth && port->height == fullHeight))) return;
    Ptr data;
    cairo_surface_t *surface;
    cairo_t *context;
    SInt32 stride;
    OrvaAlloueOffscreen(port, SInt16(fullWidth), SInt16(fullHeight), port->depth, &data, &surface, &context, &stride);
    if (port->context && port->surface && surface && cairo_image_surface_get_width(port->surface) >= 2 &&
        cairo_image_surface_get_height(port->surface) >= 2) {
        // Pixels written straight into the old buffer must reach cairo before it reads them.
        cairo_surface_mark_dirty(port->surface);
        cairo_save(context);
        cairo_set_operator(context, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(context, port->surface, dx, dy);
        cairo_paint(context);
        cairo_restore(context);
        cairo_surface_flush(surface);
    }
    OrvaDisposePortData(port);
    port->surface = surface;
    port->context = context;
    port->data = data;
    if (!surface) return;
    port->width = SInt16(cairo_image_surface_get_width(surface));
    port->height = SInt16(cairo_image_surface_get_height(surface));
    port->rowStride = stride;
    port->effectiveBase = data;
    if (!port->systemDraw)
        port->effectiveBase = data + SInt64(port->marginTop) * stride + SInt64(port->marginLeft) * OrvaBytesPerPixel(port);
    // The 15-bit row-bytes word is kept for callers that read it; pixel loops use rowStride.
    port->portBits.rowBytes = SInt16((stride & kRowBytesMask) | (port->depth > 1 ? kPixMapFlag : 0));
}

SInt16 OrvaInitOffscreenSystem() { return kOffscreenSystemAnswer; }

namespace {

struct ConvertBands {
    Handle converted;
    SInt16 dh, dv;
    bool failed;
};

void AddBandRecords(void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
    ConvertBands *c = static_cast<ConvertBands *>(context);
    for (const Seglist *x = state; !c->failed && x[0] != kRgnEnd && x[1] != kRgnEnd; x += 2) {
        ConvertedRgnRecord record = {double(x[0] + c->dh), double(top + c->dv), double(x[1] - x[0]),
                                     double(bottom - top)};
        if (PtrAndHand(&record, c->converted, sizeof record) != noErr) c->failed = true;
    }
}

}  // namespace

// One record per rectangle of the region, so text and curves stay inside a clip that is not a
// rectangle (a bounding box would let them spill over whatever the region leaves out). A
// rectangular region still gives one record.
Handle SystemDependantConvertRgn(RgnHandle rgn) {
    if (!rgn || !*rgn) return nullptr;
    Handle converted = NewHandle(0);
    if (!converted) return nullptr;
    GrafPtr port = qd.thePort;
    ConvertBands bands = {converted, 0, 0, false};
    if (port && !port->systemDraw) bands.dh = port->marginLeft, bands.dv = port->marginTop;
    OrvaForEachRgnBand(rgn, AddBandRecords, &bands);
    if (bands.failed) {
        // Without room for every rectangle, the bounding box, as a coarser clip.
        Rect box = (*rgn)->rgnBBox;
        _OffsetRect(&box, bands.dh, bands.dv);
        ConvertedRgnRecord record = {double(box.left), double(box.top), double(box.right - box.left),
                                     double(box.bottom - box.top)};
        SetHandleSize(converted, sizeof record);
        if (MemError() != noErr) {
            DisposeHandle(converted);
            return nullptr;
        }
        std::memcpy(*converted, &record, sizeof record);
    }
    return converted;
}

// The records are the pieces of one region: the clip is their union. No record clips
// everything away.
void SystemDependantSetRgnClip(GrafPtr port, Handle converted) {
    if (!port || !port->context) return;
    cairo_reset_clip(port->context);
    if (!converted) return;
    UInt32 count = GetHandleSize(converted) / sizeof(ConvertedRgnRecord);
    cairo_new_path(port->context);
    for (UInt32 i = 0; i < count; i++) {
        ConvertedRgnRecord record;
        std::memcpy(&record, *converted + i * sizeof record, sizeof record);
        cairo_rectangle(port->context, record.x, record.y, record.width, record.height);
    }
    if (count == 0) cairo_rectangle(port->context, 0, 0, 0, 0);
    cairo_clip(port->context);
}

void SystemDependantFreeRgn(Handle converted) {
    if (converted) DisposHandle(converted);
}

void SystemDependantPreserveClip() {}

void SystemDependantRestaureClip() {}

void OrvaFillSurfaceRect(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom, UInt32 pixel) {
    if (!port || !port->surface || !port->data) return;
    SInt32 originX = 0, originY = 0;  // buffer position of the effective base
    if (!port->systemDraw) {
        originX = port->marginLeft;
        originY = port->marginTop;
    }
    SInt32 x0 = std::max<SInt32>(left + originX, 0), x1 = std::min<SInt32>(right + originX, port->width - 1);
    SInt32 y0 = std::max<SInt32>(top + originY, 0), y1 = std::min<SInt32>(bottom + originY, port->height - 1);
    if (x0 > x1 || y0 > y1) return;
    cairo_surface_flush(port->surface);
    for (SInt32 y = y0; y <= y1; y++) {
        UInt8 *row = (UInt8 *)port->data + SInt64(y) * port->rowStride;
        if (port->depth == 24) std::fill((UInt32 *)row + x0, (UInt32 *)row + x1 + 1, pixel);
        else std::memset(row + x0, int(pixel & 0xFF), size_t(x1 - x0 + 1));
    }
    cairo_surface_mark_dirty(port->surface);
    OrvaAddDirtyRectPort(port, SInt16(x0 - originX), SInt16(y0 - originY), SInt16(x1 - originX), SInt16(y1 - originY));
}

static void DestroySurface(cairo_surface_t **surface) {
    if (*surface) cairo_surface_destroy(*surface);
    *surface = nullptr;
}
