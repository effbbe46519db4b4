// Pixel writers of the video table: the pen fill of 8-bit and 32-bit stores, the pixel reader
// and the run mover. Raw writes are bracketed by a flush and a dirty mark of the cairo surface,
// since pango draws on the same surfaces.
#include "graphics/quickdraw/pixel_writers.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/cairo/dirty_areas.h"
#include "platform/core/runtime.h"

namespace {

enum : SInt16 {
    kModeOr = 1,
    kModeXor = 2,
    kModeBic = 3,
    kModeInvertPattern = 4,
    kModeBlend = 32,
    kModeHilite = 128,
};
enum : UInt32 { kRgbMask = 0x00FFFFFF };

// A rectangle of a port's buffer, relative to the effective base and cut to the surface.
struct SpanRecord {
    SInt32 left, top, right, bottom;  // inclusive
    SInt32 originX, originY;          // buffer position of the effective base
};

// The pen as the 32-bit filler uses it.
struct Pen24Record {
    UInt32 fore, back, op, hilite;  // 0x00RRGGBB
    SInt16 mode;
    UInt8 invert;                   // 0xFF when the pattern is inverted, else 0
};

// The rows of one fill for each of the pattern's eight rows, made on first use.
struct PatternRowsRecord {
    std::vector<UInt32> rows[8];
};

}  // namespace

static Boolean CutToSurface(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom, SpanRecord *span);
static void BeginWrite(GrafPtr port);
static void EndWrite(GrafPtr port, const SpanRecord *span);
static UInt8 *PixelAddress(GrafPtr port, SInt32 x, SInt32 y);
static UInt32 Rgb24(const RGBColor *c);
static void FillRow24(UInt32 *p, SInt32 x0, SInt32 count, UInt8 bits, const Pen24Record *pen, std::vector<UInt32> *row);
static void SolidRow(UInt32 *p, SInt32 count, UInt32 pixel);
static void BlendRow24(UInt32 *p, SInt32 x0, SInt32 count, UInt8 bits, const Pen24Record *pen);
static UInt32 BlendPixel(UInt32 s, UInt32 d, UInt32 w);
static void FillRect8(GrafPtr port, const SpanRecord *span);

void OrvaInstallPixelWriters() {
    video.fillRect = WindowRectangleHardAss;
    video.getPixel = WindowGetPixelAss;
    video.moveLine = WindowMoveLineAss;
}

void WindowRectangleHardAss(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    GrafPtr port = qd.thePort;
    SpanRecord span;
    if (!port || !CutToSurface(port, left, top, right, bottom, &span)) return;
    if (port->depth == 24) {
        WindowRectangleHardAss24(port, span.left, span.top, span.right, span.bottom);
        return;
    }
    BeginWrite(port);
    FillRect8(port, &span);
    EndWrite(port, &span);
}

void WindowRectangleHardAss24(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
    SpanRecord span;
    if (!port || port->depth != 24 || !CutToSurface(port, left, top, right, bottom, &span)) return;
    Pen24Record pen;
    pen.fore = Rgb24(&port->rgbFgColor);
    pen.back = Rgb24(&port->rgbBkColor);
    pen.op = Rgb24(&port->rgbOpColor);
    pen.hilite = Rgb24(&orvaSettings.invertColor);
    pen.mode = port->pnMode;
    pen.invert = (pen.mode & kModeInvertPattern) ? 0xFF : 0;
    if (!(pen.mode & kModeHilite) && (pen.mode & 3) == kModeBic && (pen.mode & 0xFB) != kModeBlend) return;
    BeginWrite(port);
    SInt32 count = span.right - span.left + 1;
    PatternRowsRecord rows;
    for (SInt32 y = span.top; y <= span.bottom; y++) {
        UInt32 *p = (UInt32 *)PixelAddress(port, span.left, y);
        UInt8 bits = UInt8(port->pnPat.pat[y & 7] ^ pen.invert);
        if (pen.mode & kModeHilite) {
            for (SInt32 i = 0; i < count; i++) {
                UInt32 c = p[i] & kRgbMask;
                if (c == pen.hilite) p[i] = pen.back;
                else if (c == pen.back) p[i] = pen.hilite;
            }
        } else if ((pen.mode & 0xFB) == kModeBlend) {
            if (bits) BlendRow24(p, span.left, count, bits, &pen);
        } else {
            FillRow24(p, span.left, count, bits, &pen, &rows.rows[y & 7]);
        }
    }
    EndWrite(port, &span);
}

void WindowGetPixelAss(SInt16 h, SInt16 v, RGBColor *rgb) {
    if (!rgb) return;
    *rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    GrafPtr port = qd.thePort;
    SpanRecord span;
    if (!port || !CutToSurface(port, h, v, h, v, &span) || span.left != h || span.top != v) return;
    cairo_surface_flush(port->surface);
    const UInt8 *p = PixelAddress(port, h, v);
    if (port->depth == 24) {
        // Bytes blue, green, red in memory.
        *rgb = {UInt16(p[2] << 8), UInt16(p[1] << 8), UInt16(p[0] << 8)};
    } else {
        Index2Color(*p, rgb);
    }
}

void WindowMoveLineAss(SInt16 left, SInt16 v, SInt16 right, SInt16 dstH, SInt16 dstV) {
    GrafPtr port = qd.thePort;
    if (!port || right < left) return;
    // Cut the source run, then the destination run, keeping the two aligned.
    SpanRecord src, dst;
    if (!CutToSurface(port, left, v, right, v, &src)) return;
    SInt32 shift = SInt32(dstH) - left;
    if (!CutToSurface(port, src.left + shift, dstV, src.right + shift, dstV, &dst)) return;
    SInt32 from = dst.left - shift, count = dst.right - dst.left + 1;
    SInt32 bytes = port->depth == 24 ? 4 : 1;
    BeginWrite(port);
    std::memmove(PixelAddress(port, dst.left, dstV), PixelAddress(port, from, v), size_t(count * bytes));
    EndWrite(port, &dst);
}

// Cuts a rectangle to the port's surface; false when nothing is left or there is no buffer.
static Boolean CutToSurface(GrafPtr port, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom, SpanRecord *span) {
    if (!port->surface || !port->data || !port->effectiveBase) return false;
    span->originX = port->systemDraw ? 0 : port->marginLeft;
    span->originY = port->systemDraw ? 0 : port->marginTop;
    span->left = std::max(left, -span->originX);
    span->top = std::max(top, -span->originY);
    span->right = std::min(right, SInt32(port->width) - 1 - span->originX);
    span->bottom = std::min(bottom, SInt32(port->height) - 1 - span->originY);
    return span->left <= span->right && span->top <= span->bottom;
}

static void BeginWrite(GrafPtr port) { cairo_surface_flush(port->surface); }

static void EndWrite(GrafPtr port, const SpanRecord *span) {
    cairo_surface_mark_dirty_rectangle(port->surface, span->left + span->originX, span->top + span->originY,
                                       span->right - span->left + 1, span->bottom - span->top + 1);
    OrvaAddDirtyRectPort(port, SInt16(span->left), SInt16(span->top), SInt16(span->right), SInt16(span->bottom));
}

static UInt8 *PixelAddress(GrafPtr port, SInt32 x, SInt32 y) {
    return (UInt8 *)port->effectiveBase + SInt64(y) * port->rowStride + SInt64(x) * (port->depth == 24 ? 4 : 1);
}

static UInt32 Rgb24(const RGBColor *c) { return UInt32(c->red >> 8) << 16 | UInt32(c->green >> 8) << 8 | (c->blue >> 8); }

// One row of copy, or or xor: the pattern byte repeats every 8 pixels from the buffer's origin.
// A copy of a mixed pattern byte copies a row made once per pattern row and call.
static void FillRow24(UInt32 *p, SInt32 x0, SInt32 count, UInt8 bits, const Pen24Record *pen, std::vector<UInt32> *made) {
    SInt16 op = pen->mode & 3;
    if (op == 0 && (bits == 0xFF || bits == 0)) {
        SolidRow(p, count, bits ? pen->fore : pen->back);
        return;
    }
    if (op != 0 && bits == 0) return;
    if (op == 1 && bits == 0xFF) {
        SolidRow(p, count, pen->fore);
        return;
    }
    if (op == 0) {
        std::vector<UInt32> &row = *made;
        if (row.empty()) {
            row.resize(size_t(count));
            for (SInt32 i = 0; i < count && i < 8; i++) row[size_t(i)] = (bits & (0x80 >> ((x0 + i) & 7))) ? pen->fore : pen->back;
            for (SInt32 done = 8; done < count; done *= 2)
                std::memcpy(&row[size_t(done)], &row[0], size_t(std::min(done, count - done)) * 4);
        }
        std::memcpy(p, row.data(), size_t(count) * 4);
        return;
    }
    for (SInt32 i = 0; i < count; i++) {
        Boolean set = (bits & (0x80 >> ((x0 + i) & 7))) != 0;
        if (op == 0) p[i] = set ? pen->fore : pen->back;
        else if (set) p[i] = op == 1 ? pen->fore : p[i] ^ kRgbMask;
    }
}

// Black and white fill with a byte fill; the spare byte of a white pixel may become 0xFF.
static void SolidRow(UInt32 *p, SInt32 count, UInt32 pixel) {
    if (pixel == 0 || pixel == kRgbMask) std::memset(p, pixel ? 0xFF : 0, size_t(count) * 4);
    else std::fill(p, p + count, pixel);
}

static void BlendRow24(UInt32 *p, SInt32 x0, SInt32 count, UInt8 bits, const Pen24Record *pen) {
    for (SInt32 i = 0; i < count; i++) {
        Boolean set = (bits & (0x80 >> ((x0 + i) & 7))) != 0;
        p[i] = BlendPixel(set ? pen->fore : pen->back, p[i], pen->op);
    }
}

// Each component (s w + d (255 - w)) / 255, w the op colour's component.
static UInt32 BlendPixel(UInt32 s, UInt32 d, UInt32 w) {
    UInt32 out = 0;
    for (SInt32 shift = 0; shift <= 16; shift += 8) {
        UInt32 sc = (s >> shift) & 0xFF, dc = (d >> shift) & 0xFF, wc = (w >> shift) & 0xFF;
        out |= ((sc * wc + dc * (255 - wc)) / 255) << shift;
    }
    return out;
}

// An 8-bit store: a byte per pixel at the start of each row. Highlighting swaps the highlight
// index with the background index.
static void FillRect8(GrafPtr port, const SpanRecord *span) {
    SInt16 mode = port->pnMode;
    UInt8 fore = UInt8(port->forePixel), back = UInt8(port->backPixel);
    UInt8 invert = (mode & kModeInvertPattern) ? 0xFF : 0;
    for (SInt32 y = span->top; y <= span->bottom; y++) {
        UInt8 *p = PixelAddress(port, span->left, y);
        UInt8 bits = UInt8(port->pnPat.pat[y & 7] ^ invert);
        for (SInt32 x = span->left; x <= span->right; x++, p++) {
            Boolean set = (bits & (0x80 >> (x & 7))) != 0;
            if (mode & kModeHilite) {
                if (*p == kHiliteIndex) *p = back;
                else if (*p == back) *p = kHiliteIndex;
            } else if ((mode & 3) == 0) {
                *p = set ? fore : back;
            } else if ((mode & 3) == kModeOr) {
                if (set) *p = fore;
            } else if ((mode & 3) == kModeXor) {
                if (set) *p = OrvaIndexXorCouleur[*p];
            }
        }
    }
}
