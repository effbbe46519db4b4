// Vector primitives on a print page's cairo context.
#include "graphics/pictures/cairo_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <cairo.h>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/cairo/port_surfaces.h"

CairoPictState gCairoPict;

namespace {

struct ScratchRecord {
    GrafPort port;
    Boolean open;
    cairo_surface_t *patternSurface;
    cairo_pattern_t *pattern;
};
ScratchRecord gScratch;

double HalfWidth() { return cairo_get_line_width(gCairoPict.context) / 2; }

void Finish(Boolean stroke) {
    if (stroke) cairo_stroke(gCairoPict.context);
    else cairo_fill(gCairoPict.context);
}

}  // namespace

GrafPtr OrvaCairoScratchPort() {
    if (!gScratch.open) {
        GrafPtr saved = qd.thePort;
        std::memset(&gScratch.port, 0, sizeof gScratch.port);
        OpenPort(&gScratch.port);
        OrvaDisposePortData(&gScratch.port);
        gScratch.port.noBuffer = 1;
        gScratch.port.systemDraw = 1;
        gScratch.port.portRect = {0, 0, 32767, 32767};
        gScratch.open = true;
        SetPort(saved);
    }
    return &gScratch.port;
}

CairoPictState *SystemDependantInitGraphicContext(cairo_t *context, SInt16 frameRight, SInt16 frameBottom) {
    std::memset(&gCairoPict, 0, sizeof gCairoPict);
    gCairoPict.context = context;
    gCairoPict.frameRight = frameRight;
    gCairoPict.frameBottom = frameBottom;
    gCairoPict.penWidth = gCairoPict.penHeight = 1.0;
    GrafPtr port = OrvaCairoScratchPort();
    port->context = context;
    SetPort(port);
    return &gCairoPict;
}

void SystemDependantPenSize(double width, double height) {
    if (!gCairoPict.context) return;
    cairo_set_line_width(gCairoPict.context, std::max(width, height));
}

void SystemDependantMoveTo(double x, double y) {
    if (!gCairoPict.context) return;
    _MoveTo(SInt16(std::max(-32768.0, std::min(32767.0, std::round(x)))), SInt16(std::max(-32768.0, std::min(32767.0, std::round(y)))));
    gCairoPict.x = x;
    gCairoPict.y = y;
    double w2 = HalfWidth();
    cairo_move_to(gCairoPict.context, x + w2, y + w2);
}

void SystemDependantLineTo(double x, double y) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    double w2 = HalfWidth();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
    cairo_new_path(cr);
    cairo_move_to(cr, gCairoPict.x + w2, gCairoPict.y + w2);
    cairo_line_to(cr, x + w2, y + w2);
    cairo_stroke(cr);
    SystemDependantMoveTo(x, y);
}

void SystemDependantRect(Boolean stroke, double left, double top, double right, double bottom) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    if (stroke) {
        double w2 = HalfWidth();
        left += w2;
        top += w2;
        right -= w2;
        bottom -= w2;
    }
    cairo_new_path(cr);
    cairo_move_to(cr, left, top);
    cairo_line_to(cr, right, top);
    cairo_line_to(cr, right, bottom);
    cairo_line_to(cr, left, bottom);
    cairo_close_path(cr);
    Finish(stroke);
}

// The unit circle of the oval's rectangle (inset by half the line width when stroking).
static Boolean OvalFrame(Boolean stroke, double *left, double *top, double *right, double *bottom) {
    if (stroke) {
        double w2 = HalfWidth();
        *left += w2;
        *top += w2;
        *right -= w2;
        *bottom -= w2;
    }
    if (*right <= *left || *bottom <= *top) return false;
    cairo_t *cr = gCairoPict.context;
    cairo_translate(cr, *left + (*right - *left) / 2, *top + (*bottom - *top) / 2);
    cairo_scale(cr, (*right - *left) / 2, (*bottom - *top) / 2);
    return true;
}

void SystemDependantOval(Boolean stroke, double left, double top, double right, double bottom) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    cairo_new_path(cr);
    cairo_save(cr);
    Boolean ok = OvalFrame(stroke, &left, &top, &right, &bottom);
    if (ok) cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    if (ok) Finish(stroke);
}

void SystemDependantArc(Boolean stroke, double left, double top, double right, double bottom, SInt16 start, SInt16 arcAngle) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    cairo_new_path(cr);
    cairo_save(cr);
    Boolean ok = OvalFrame(stroke, &left, &top, &right, &bottom);
    if (ok) {
        // Angles clockwise from 12 o'clock; cairo's run clockwise from 3 o'clock on a page.
        double a = (double(start) - 90) * M_PI / 180, b = (double(start) - 90 + arcAngle) * M_PI / 180;
        if (!stroke) cairo_move_to(cr, 0, 0);
        if (arcAngle >= 0) cairo_arc(cr, 0, 0, 1, a, b);
        else cairo_arc_negative(cr, 0, 0, 1, a, b);
        if (!stroke) cairo_close_path(cr);
    }
    cairo_restore(cr);
    if (ok) Finish(stroke);
}

void SystemDependantRoundRect(Boolean stroke, double left, double right, double top, double bottom, double ovalW,
                              double ovalH) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    if (stroke) {
        double w2 = HalfWidth();
        left += w2;
        top += w2;
        right -= w2;
        bottom -= w2;
    }
    double c = (ovalW + ovalH) / 4;
    c = std::max(0.0, std::min(c, std::min((right - left) / 2, (bottom - top) / 2)));
    cairo_new_path(cr);
    cairo_arc(cr, right - c, top + c, c, -M_PI / 2, 0);
    cairo_arc(cr, right - c, bottom - c, c, 0, M_PI / 2);
    cairo_arc(cr, left + c, bottom - c, c, M_PI / 2, M_PI);
    cairo_arc(cr, left + c, top + c, c, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    Finish(stroke);
}

void SystemDependantPolygon(Boolean stroke, const double *points, SInt32 count) {
    cairo_t *cr = gCairoPict.context;
    if (!cr || !points || count < 1) return;
    double w2 = stroke ? HalfWidth() : 0;
    cairo_new_path(cr);
    for (SInt32 i = 0; i < count; i++) cairo_line_to(cr, points[2 * i] + w2, points[2 * i + 1] + w2);
    cairo_close_path(cr);
    Finish(stroke);
}

void SystemDependantRGBForeColor(const RGBColor *c) {
    if (!gCairoPict.context || !c) return;
    cairo_set_source_rgb(gCairoPict.context, c->red / 65535.0, c->green / 65535.0, c->blue / 65535.0);
}

void SystemDependantRGBBackColor(const RGBColor *) {}

void SystemDependantSetPattern(const Pattern *pat) {
    cairo_t *cr = gCairoPict.context;
    if (!cr || !pat) return;
    if (gScratch.pattern) cairo_pattern_destroy(gScratch.pattern);
    if (gScratch.patternSurface) cairo_surface_destroy(gScratch.patternSurface);
    gScratch.pattern = nullptr;
    gScratch.patternSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    if (cairo_surface_status(gScratch.patternSurface) != CAIRO_STATUS_SUCCESS) return;
    cairo_surface_flush(gScratch.patternSurface);
    UInt8 *data = cairo_image_surface_get_data(gScratch.patternSurface);
    SInt32 stride = cairo_image_surface_get_stride(gScratch.patternSurface);
    const RGBColor &f = gCairoPict.foreground, &b = gCairoPict.background;
    UInt32 fore = UInt32(f.red >> 8) << 16 | UInt32(f.green >> 8) << 8 | UInt32(f.blue >> 8);
    UInt32 back = UInt32(b.red >> 8) << 16 | UInt32(b.green >> 8) << 8 | UInt32(b.blue >> 8);
    for (SInt32 y = 0; y < 8; y++)
        for (SInt32 x = 0; x < 8; x++) {
            UInt32 pixel = (pat->pat[y] >> (7 - x)) & 1 ? fore : back;
            std::memcpy(data + y * stride + 4 * x, &pixel, 4);
        }
    cairo_surface_mark_dirty(gScratch.patternSurface);
    gScratch.pattern = cairo_pattern_create_for_surface(gScratch.patternSurface);
    cairo_pattern_set_extend(gScratch.pattern, CAIRO_EXTEND_REPEAT);
    cairo_set_source(cr, gScratch.pattern);
}

namespace {
struct ClipBandContext {
    cairo_t *cr;
    double x0, y0, sx, sy;
    Rect box;
    double limitTop, limitBottom, limitLeft, limitRight;
};
}  // namespace

static void AddClipBand(void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
    ClipBandContext *c = (ClipBandContext *)context;
    double t = std::round(c->y0 + (top - c->box.top) * c->sy), b = std::round(c->y0 + (bottom - c->box.top) * c->sy);
    t = std::max(t, c->limitTop);
    b = std::min(b, c->limitBottom);
    for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2) {
        double l = std::round(c->x0 + (state[i] - c->box.left) * c->sx);
        double r = std::round(c->x0 + (state[i + 1] - c->box.left) * c->sx);
        l = std::max(l, c->limitLeft);
        r = std::min(r, c->limitRight);
        if (r > l && b > t) cairo_rectangle(c->cr, l, t, r - l, b - t);
    }
}

void SystemDependantSetClipRgn(double x0, double y0, double x1, double y1, RgnHandle rgn) {
    cairo_t *cr = gCairoPict.context;
    if (!cr) return;
    cairo_reset_clip(cr);
    // Bands are cut at the context's own extents, whatever the page's resolution.
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr, &cx0, &cy0, &cx1, &cy1);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_new_path(cr);
    cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
    cairo_clip(cr);
    if (!rgn || !*rgn || (*rgn)->rgnSize <= kRgnRectSize) return;
    Rect box = (*rgn)->rgnBBox;
    SInt32 bw = SInt32(box.right) - box.left, bh = SInt32(box.bottom) - box.top;
    ClipBandContext c = {cr, std::round(x0), std::round(y0), bw ? (x1 - x0) / bw : 0, bh ? (y1 - y0) / bh : 0, box,
                         std::max(0.0, cy0), cy1, std::max(0.0, cx0), cx1};
    cairo_new_path(cr);
    OrvaForEachRgnBand(rgn, AddClipBand, &c);
    cairo_clip(cr);
}

Boolean SystemDependantPrintPicture(PicHandle picture, const Rect *r) {
    DrawPicture(picture, r);
    return true;
}
