// Pages drawn as the player draws them and written as PNG files.
#include "tools/page_images/page_images.h"

#include <cairo.h>

#include <cstring>

#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/cairo/port_surfaces.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_table.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/runtime.h"
#include "staffobjects/staff_objects.h"

namespace {

const int kCoteMax = 30000;  // pixels of a PNG side at most

bool EcritPNG(cairo_surface_t *surface, const char *path);

}  // namespace

bool DemarrePages(const char *fontPath, SInt16 dpi) {
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
    InitGravure();
    InitObjetsPortee();
    if (!SystemDependantInstalleFonteLocale(fontPath, true)) OrvaGetFontList();
    bool font = InitLentara();
    InitMiseEnPage();
    SetDpiDest(dpi);
    return font;
}

void ArretePages() {
    FinMiseEnPage();
    FinObjetsPortee();
    FinGravure();
}

// The page drawn as the player draws it: straight into a port of the paper's size at dpi, on
// white.
bool EcritPagePNG(DocumentRecord *document, SInt16 page, int dpi, const char *path) {
    SInt16 saved = GetDpiDest();
    SetDpiDest(SInt16(dpi));
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    int w = BornePixel(width), h = BornePixel(height);
    bool ok = w >= 1 && h >= 1 && w <= kCoteMax && h <= kCoteMax;
    if (ok) {
        GrafPort port;
        std::memset(&port, 0, sizeof port);
        GrafPtr previous = qd.thePort;
        OpenPort(&port);
        PortSize(SInt16(w), SInt16(h));
        OrvaFillSurfaceRect(&port, 0, 0, w - 1, h - 1, 0xFFFFFF);
        TracePageDocument(document, page, 1, page, GetNbPagesDocument(document));
        ok = EcritPNG(port.surface, path);
        ClosePort(&port);
        SetPort(previous);
    }
    SetDpiDest(saved);
    return ok;
}

namespace {

// A page without colour, the most common, is written as a grey image: a third of the bytes to
// compress.
bool EcritPNG(cairo_surface_t *surface, const char *path) {
    cairo_surface_flush(surface);
    int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
    int stride = cairo_image_surface_get_stride(surface);
    const unsigned char *data = cairo_image_surface_get_data(surface);
    bool grey = data != nullptr;
    for (int y = 0; y < h && grey; y++) {
        const unsigned char *row = data + size_t(y) * size_t(stride);
        for (int x = 0; x < w && grey; x++) grey = row[4 * x] == row[4 * x + 1] && row[4 * x + 1] == row[4 * x + 2];
    }
    if (!grey) return cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    // An A8 image is written as grey levels, its bytes the levels.
    cairo_surface_t *levels = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    if (cairo_surface_status(levels) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(levels);
        return false;
    }
    unsigned char *out = cairo_image_surface_get_data(levels);
    int outStride = cairo_image_surface_get_stride(levels);
    for (int y = 0; y < h; y++) {
        const unsigned char *row = data + size_t(y) * size_t(stride);
        unsigned char *level = out + size_t(y) * size_t(outStride);
        for (int x = 0; x < w; x++) level[x] = row[4 * x + 1];
    }
    cairo_surface_mark_dirty(levels);
    bool ok = cairo_surface_write_to_png(levels, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(levels);
    return ok;
}

}  // namespace
