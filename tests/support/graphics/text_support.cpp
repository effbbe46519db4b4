// Test helpers for text.
#include "support/graphics/text_support.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/text/font_table.h"
#include "graphics/cairo/port_surfaces.h"
#include "support/graphics/quickdraw_support.h"

void StartTextForTests() {
    static bool started = false;
    StartQuickDrawForTests();
    if (started) return;
    started = true;
    SystemDependantInstalleFonteLocale(TestSourcePath("tests/fonts/OrvaTestSymbol.ttf").c_str(), true);
}

UInt16 TestSymbolFontID() { return OrvaGetFontIDFromNameStrict("OrvaTestSymbol"); }

std::string TestSourcePath(const std::string &relative) {
    const char *root = std::getenv("ORVA_SOURCE_DIR");
    return std::string(root && *root ? root : ".") + "/" + relative;
}

int PangoReferenceWidth(const char *family, int size, const std::string &utf8, bool bold) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
    cairo_t *cr = cairo_create(surface);
    PangoLayout *layout = pango_cairo_create_layout(cr);
    cairo_font_options_t *options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    pango_layout_context_changed(layout);
    PangoFontDescription *description = pango_font_description_new();
    pango_font_description_set_family(description, family);
    pango_font_description_set_weight(description, bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_layout_set_text(layout, utf8.data(), int(utf8.size()));
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    pango_font_description_free(description);
    cairo_font_options_destroy(options);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return width;
}

Rect InkBox(const GrafPort *port, const std::string *before) {
    SInt32 left = port->width, top = port->height, right = -1, bottom = -1;
    for (SInt32 y = 0; y < port->height; y++)
        for (SInt32 x = 0; x < port->width; x++) {
            SInt64 at = SInt64(y) * port->rowStride + 4 * x;
            UInt32 pixel, old = 0xFFFFFF;
            std::memcpy(&pixel, port->data + at, 4);
            if (before) std::memcpy(&old, before->data() + at, 4);
            if ((pixel & 0xFFFFFF) == (old & 0xFFFFFF)) continue;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x + 1);
            bottom = std::max(bottom, y + 1);
        }
    if (right < 0) return Rect{0, 0, 0, 0};
    return Rect{SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

std::string PortPixels(const GrafPort *port) {
    std::string pixels(port->data, size_t(port->rowStride) * size_t(port->height));
    // The fourth byte of a 24-bit pixel is not shown and writers may leave anything there.
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 0;
    return pixels;
}

void PaintPortWhite(GrafPort *port) {
    OrvaFillSurfaceRect(port, 0, 0, port->width - 1, port->height - 1, 0xFFFFFF);
    std::memset(port->dirty, 0, sizeof port->dirty);
}

bool InsideDirtySlots(const GrafPort *port, SInt32 x, SInt32 y) {
    for (const Rect &r : port->dirty)
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
    return false;
}

bool DirtySlotsEmpty(const GrafPort *port) {
    for (const Rect &r : port->dirty)
        if (r.right > r.left && r.bottom > r.top) return false;
    return true;
}
