// The picture player on cairo: plays a recorded page onto a print context in floating-point
// device units. Operands come from the bounded picture walk, so a damaged picture stops with
// one message. The player's state is process-wide: main thread, one playback at a time.
#include "graphics/pictures/cairo_player.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <cairo.h>

#include "graphics/pictures/cairo_drawing.h"
#include "graphics/pictures/pict_decoder.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

enum : SInt16 {
    kCommentTranscodeOff = 5476,
    kCommentTranscodeOn = 5477,
    kSpaceExtraResolution = 300,
};

struct CairoPlayer {
    PictWalkRecord walk;
    double sx, sy;
    double penW, penH;  // picture units
    SInt32 frameW, frameH, rx, W2;
    Rect lastRect, lastRRect, lastOval;
    double ovalW, ovalH;  // picture units
    std::vector<UInt16> altText;
    SInt16 altAngle;
    Boolean hasAltText;
};
CairoPlayer gCP;

Boolean AllOnes(const Pattern &p) {
    for (UInt8 b : p.pat)
        if (b != 0xFF) return false;
    return true;
}

void SetSource(const Pattern &pat) {
    if (AllOnes(pat)) SystemDependantRGBForeColor(&gCairoPict.foreground);
    else SystemDependantSetPattern(&pat);
}

// A foreground colour becomes the source of what follows; a background one only the ground.
void SetPlayerColour(bool foreground, RGBColor c) {
    if (foreground) {
        gCairoPict.foreground = c;
        RGBForeColor(&c);
        SetSource(gCairoPict.penPat);
    } else {
        gCairoPict.background = c;
        SystemDependantRGBBackColor(&c);
    }
}

void ApplyPen() { SystemDependantPenSize(gCP.penW * gCP.sx, gCP.penH * gCP.sy); }

}  // namespace

static Boolean CairoClip(void *, const PictFieldRecord *region, UInt32);
static void CairoBackPat(void *, const Pattern *pat);
static void CairoPenPat(void *, const Pattern *pat);
static void CairoFillPat(void *, const Pattern *pat);
static void CairoTextFont(void *, SInt16 id);
static void CairoTextFace(void *, UInt8 face);
static void CairoTextMode(void *, SInt16 mode);
static void CairoTextSize(void *, SInt16 size);
static void CairoSpaceExtra(void *, Fixed extra);
static void CairoPenSize(void *, Point size);
static void CairoPenMode(void *, SInt16 mode);
static void CairoOvalSize(void *, Point size);
static void CairoOrigin(void *, SInt16 dh, SInt16 dv);
static void CairoClassicColor(void *, Boolean fore, SInt16 code);
static void CairoRGBColor(void *, Boolean fore, RGBColor c);
static void CairoLine(void *, Point from, SInt32 dh, SInt32 dv);
static void CairoLineFrom(void *, Point to);
static void CairoShortLineFrom(void *, SInt32 dh, SInt32 dv);
static void CairoText(void *, const Point *at, SInt32 dh, SInt32 dv, const UInt8 *text);
static void CairoShortComment(void *, SInt16 kind);
static void CairoLongComment(void *, SInt16 kind, const UInt8 *data, UInt32 length);
static Boolean CairoImage(void *, const PictOpRecord *op);
static void CairoShape(void *, UInt16 family, SInt32 verb, const Rect *r, SInt16 start, SInt16 arc);
static void CairoPolygon(void *, SInt32 verb, const PictFieldRecord *polygon);
static Boolean CairoOther(void *, UInt16 opcode);

// Playback onto a cairo page. Regions and font names are not printed.
static const PictPlayMessages kCairoMessages = {
    "CvtPictureEnGDI : type de PICT inconnu !", "CvtPictureEnGDI : Bad version", "CvtPictureEnGDI : Bad version",
    "CvtPictureEnGDI : Opcode $%04x inconnu", "CvtPictureEnGDI : picture tronquee a l'offset %u"};
static const PictDrawProcs kCairoProcs = {
    &kCairoMessages, CairoClip, CairoBackPat, CairoPenPat, CairoFillPat, CairoTextFont, CairoTextFace, CairoTextMode, CairoTextSize,
    CairoSpaceExtra, CairoPenSize, CairoPenMode, CairoOvalSize, CairoOrigin, CairoClassicColor, CairoRGBColor,
    CairoLine, CairoLineFrom, CairoShortLineFrom, CairoText, nullptr, CairoShortComment, CairoLongComment,
    CairoImage, CairoShape, CairoPolygon, nullptr, CairoOther,
};

SInt32 TailleAlloueeParLigne() { return 0; }

SInt32 OrvaSaisitImpressionFonteBitmap() { return 0; }

void GTKTracePicture(PicHandle picture, cairo_t *context, SInt32 width, SInt32 height) {
    if (!picture || !*picture || !context) return;
    GrafPtr saved = qd.thePort;
    UInt32 size = GetHandleSize((Handle)picture);
    const UInt8 *bytes = (const UInt8 *)*picture;
    if (size < sizeof(Picture)) return;
    gCP.walk.bytes = bytes;
    gCP.walk.size = size;
    gCP.walk.kind = OrvaPictKind(bytes, size);
    Rect frame;
    OrvaPictHeader(&gCP.walk, nullptr, &frame);
    gCP.frameW = SInt32(frame.right) - frame.left;
    gCP.frameH = SInt32(frame.bottom) - frame.top;
    gCP.penW = gCP.penH = 1.0;
    if (gCP.frameW <= 0 || gCP.frameH <= 0 || width <= 0 || height <= 0) return;
    gCP.rx = SInt32(SInt64(width) * kSpaceExtraResolution / gCP.frameW);
    gCP.W2 = PictMulDivRound(gCP.frameW, gCP.rx, kSpaceExtraResolution);
    gCP.sx = double(width) / gCP.frameW;
    gCP.sy = double(height) / gCP.frameH;
    cairo_save(context);
    SystemDependantInitGraphicContext(context, frame.right, frame.bottom);
    gCairoPict.penWidth = gCairoPict.penHeight = 1.0;
    gCairoPict.fontId = 0;
    gCairoPict.textSize = 12 * gCP.sy;
    gCairoPict.foreground = {0, 0, 0};
    gCairoPict.background = {0xFFFF, 0xFFFF, 0xFFFF};
    std::memset(gCairoPict.penPat.pat, 0xFF, 8);
    std::memset(gCairoPict.fillPat.pat, 0xFF, 8);
    GrafPtr scratch = OrvaCairoScratchPort();
    PenNormal();
    RGBForeColor(&gCairoPict.foreground);
    TextFont(0);
    TextSize(0);
    TextFace(0);
    SystemDependantRGBForeColor(&gCairoPict.foreground);
    ApplyPen();
    CvtPictureEnGDI(picture);
    cairo_restore(context);
    scratch->context = nullptr;
    SetPort(saved);
}

void CvtPictureEnGDI(PicHandle picture) {
    BzSetBezierEngagedInDrawPict(false);
    gCP.hasAltText = false;
    gCP.altText.clear();
    UInt32 size = GetHandleSize((Handle)picture);
    if (!OrvaPictBeginPlayback((const UInt8 *)*picture, size, &gCP.walk, &kCairoProcs)) return;
    if (!OrvaPictPlayOps(&gCP.walk, size, &kCairoProcs, nullptr)) return;  // stopped: left as it stood
    OrvaSetFontRatio(1.0f);
    OrvaSetTranscodeCharset(true);
    gCP.altText.clear();
    gCP.hasAltText = false;
}

static double DX(SInt32 h) { return h * gCP.sx; }
static double DY(SInt32 v) { return v * gCP.sy; }

// A line from the pen to (x, y), device units.
static void CairoPictLineTo(double x, double y) {
    if (BzIsBezierEngagedInDrawPict()) {
        SystemDependantMoveTo(x, y);
        return;
    }
    if (gCP.penW <= 1.0 && gCP.penH <= 1.0) {
        SetSource(gCairoPict.penPat);
        SystemDependantLineTo(x, y);
        return;
    }
    double w = gCP.penW * gCP.sx, h = gCP.penH * gCP.sy, xo = gCairoPict.x, yo = gCairoPict.y;
    SetSource(gCairoPict.penPat);
    if (std::fabs(xo - x) < 1) {
        double top = std::min(yo, y), bottom = std::max(yo, y) + h;
        SystemDependantRect(false, std::min(xo, x), top, std::min(xo, x) + w, bottom);
    } else if (std::fabs(yo - y) < 1) {
        double left = std::min(xo, x), right = std::max(xo, x) + w;
        SystemDependantRect(false, left, std::min(yo, y), right, std::min(yo, y) + h);
    } else {
        double xL = xo, yL = yo, xR = x, yR = y;
        if (xR < xL) {
            std::swap(xL, xR);
            std::swap(yL, yR);
        }
        double pts[12];
        if (yR > yL) {
            const double v[12] = {xL, yL, xL + w, yL, xR + w, yR, xR + w, yR + h, xR, yR + h, xL, yL + h};
            std::memcpy(pts, v, sizeof pts);
        } else {
            const double v[12] = {xL, yL, xR, yR, xR + w, yR, xR + w, yR + h, xL + w, yL + h, xL, yL + h};
            std::memcpy(pts, v, sizeof pts);
        }
        SystemDependantPolygon(false, pts, 6);
    }
    ApplyPen();
    SystemDependantMoveTo(x, y);
}

static void CairoPictText(const UInt8 *text) {
    cairo_t *cr = gCairoPict.context;
    GrafPtr port = qd.thePort;
    if (gCP.hasAltText) {
        SystemDependantPrintText(cr, gCP.altText.data(), 0, SInt32(gCP.altText.size()), gCairoPict.x, gCairoPict.y,
                                 UInt16(port->txFont), port->txFace, float(gCairoPict.textSize), &gCairoPict.foreground,
                                 float(gCP.altAngle), true);
        gCP.altText.clear();
        gCP.hasAltText = false;
        return;
    }
    SystemDependantPrintText(cr, text + 1, 0, text[0], gCairoPict.x, gCairoPict.y, UInt16(port->txFont), port->txFace,
                             float(gCairoPict.textSize), &gCairoPict.foreground, 0, false);
    SetSource(gCairoPict.penPat);
    ApplyPen();
}

// The five verbs on a shape drawn by draw (stroke flag).
template <typename Draw>
static void ShapeVerb(SInt32 verb, Draw draw) {
    switch (verb) {
        case 0: draw(true); break;
        case 1: SetSource(gCairoPict.penPat); draw(false); break;
        case 2: {
            RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
            SystemDependantRGBForeColor(&white);
            draw(false);
            SetSource(gCairoPict.penPat);
            break;
        }
        case 3: draw(false); break;
        default:
            SetSource(gCairoPict.fillPat);
            draw(false);
            SetSource(gCairoPict.penPat);
            break;
    }
    ApplyPen();
}

static RgnHandle ReadRegion(const PictFieldRecord *field) {
    RgnHandle rgn = (RgnHandle)NewHandle(field->length);
    if (!rgn) return nullptr;
    SInt16 *w = (SInt16 *)*rgn;
    for (UInt32 i = 0; i < field->length / 2; i++) w[i] = SInt16(OrvaPictWord(&gCP.walk, field->offset + 2 * i));
    if (!OrvaRegionIsValid(rgn)) {
        DisposeRgn(rgn);
        return nullptr;
    }
    return rgn;
}

static void MapBezierPoint(float *x, float *y) {
    *x = float(*x * gCP.sx);
    *y = float(*y * gCP.sy);
}

// The mask forms of the images are not printed: they end the page.
static Boolean CairoImage(void *, const PictOpRecord *op) {
    if (op->opcode == kPictOpDirectBitsRect + 1) {
        OrvaErreur("Cvt Pict to GDI : opcode 9B unknown");
        return false;
    }
    if (op->opcode & 1) {
        OrvaErreurF("CvtPictureEnGDI : Opcode $%04x inconnu", op->opcode);
        return false;
    }
    PictImageRecord image;
    if (!OrvaPictReadImage(&gCP.walk, op, &image)) return true;
    SInt32 w = SInt32(image.src.right) - image.src.left, h = SInt32(image.src.bottom) - image.src.top;
    SInt32 dw = SInt32(image.dst.right) - image.dst.left, dh = SInt32(image.dst.bottom) - image.dst.top;
    if (w > 0 && h > 0 && dw > 0 && dh > 0 && w <= 32767 && h <= 32767 && SInt64(w) * h <= 64 * 1024 * 1024) {
        GrafPtr scratch = qd.thePort;
        GrafPtr off = OrvaCreatePortOffscreen(SInt16(w), SInt16(h), 24);
        if (off) {
            SetPort(off);
            Rect to = {0, 0, SInt16(h), SInt16(w)};
            RGBColor fore = gCairoPict.foreground, back = gCairoPict.background;
            RGBForeColor(&fore);
            RGBBackColor(&back);
            EraseRect(&to);
            const UInt8 *end = image.rows + image.rowsLength;
            if (op->opcode >= kPictOpDirectBitsRect) PutPicture24Bits(image.rows, end, &image.map, &image.src, &to, 0);
            else PutPicture(image.rows, end, (const BitMap *)&image.map, &image.src, &to, 0);
            SetPort(scratch);
            cairo_t *cr = gCairoPict.context;
            SInt64 offset = off->effectiveBase - off->data;
            double ox = off->rowStride ? double((offset % off->rowStride) / 4) : 0, oy = off->rowStride ? double(offset / off->rowStride) : 0;
            cairo_surface_flush(off->surface);
            cairo_save(cr);
            cairo_translate(cr, DX(image.dst.left), DY(image.dst.top));
            cairo_scale(cr, DX(dw) / w, DY(dh) / h);
            cairo_set_source_surface(cr, off->surface, -ox, -oy);
            cairo_rectangle(cr, 0, 0, w, h);
            cairo_fill(cr);
            cairo_restore(cr);
            OrvaClosePortOffscreen(off);
            SetPort(scratch);
            SetSource(gCairoPict.penPat);
        }
    }
    if (image.map.pmTable) DisposHandle((Handle)image.map.pmTable);
    return true;
}

// Opcodes of drawing this player does not print end the page.
static Boolean CairoOther(void *, UInt16 opcode) {
    switch (opcode) {
        case 0x15:
        case 0x16:
        case 0x1F:
        case 0x8200:
        case 0x8201: OrvaErreurF("CvtPictureEnGDI : Opcode $%04x inconnu", opcode); return false;
        default: return true;  // reserved opcodes and headers are skipped
    }
}

static Boolean CairoClip(void *, const PictFieldRecord *region, UInt32) {
    RgnHandle rgn = ReadRegion(region);
    if (!rgn) return true;
    Rect b = (*rgn)->rgnBBox;
    SystemDependantSetClipRgn(DX(b.left), DY(b.top), DX(b.right), DY(b.bottom), rgn);
    DisposeRgn(rgn);
    return true;
}

static void CairoBackPat(void *, const Pattern *pat) { BackPat(pat); }

static void CairoPenPat(void *, const Pattern *pat) {
    gCairoPict.penPat = *pat;
    SetSource(*pat);
}

static void CairoFillPat(void *, const Pattern *pat) { gCairoPict.fillPat = *pat; }

static void CairoTextFont(void *, SInt16 id) {
    gCairoPict.fontId = UInt16(id);
    TextFont(id);
}

static void CairoTextFace(void *, UInt8 face) {
    gCairoPict.face = face;
    TextFace(face);
}

static void CairoTextMode(void *, SInt16 mode) {
    gCairoPict.textMode = UInt16(mode);
    TextMode(mode);
}

static void CairoTextSize(void *, SInt16 size) { gCairoPict.textSize = (size ? size : 12) * gCP.sy; }

// Space extra in the page's resolution of kSpaceExtraResolution units a frame.
static void CairoSpaceExtra(void *, Fixed extra) {
    SInt32 a = PictMulDivRound(extra, gCP.W2, gCP.frameW);
    SInt32 b = gCP.rx ? SInt32(SInt64(a) * kSpaceExtraResolution / gCP.rx) : 0;
    gCairoPict.spaceExtra = UInt32(b);
    SpaceExtra(b);
}

static void CairoPenSize(void *, Point size) {
    gCP.penW = size.h;
    gCP.penH = size.v;
    gCairoPict.penWidth = size.h * gCP.sx;
    gCairoPict.penHeight = size.v * gCP.sy;
    PenSize(SInt16(std::min(32767.0, std::round(gCairoPict.penWidth))), SInt16(std::min(32767.0, std::round(gCairoPict.penHeight))));
    ApplyPen();
}

static void CairoPenMode(void *, SInt16 mode) { PenMode(mode); }

static void CairoOvalSize(void *, Point size) {
    gCP.ovalW = size.h;
    gCP.ovalH = size.v;
}

static void CairoOrigin(void *, SInt16 dh, SInt16 dv) { SetOrigin(dh, dv); }

// The colour of the classic code's predefined index: black for 33, white for 30.
static void CairoClassicColor(void *, Boolean fore, SInt16 code) {
    UInt32 pixel;
    RGBColor c = fore ? gCairoPict.foreground : gCairoPict.background;
    OrvaClassicColor(qd.thePort, code, &pixel, &c);
    SetPlayerColour(fore, c);
}

static void CairoRGBColor(void *, Boolean fore, RGBColor c) { SetPlayerColour(fore, c); }

static void CairoLine(void *, Point from, SInt32 dh, SInt32 dv) {
    SystemDependantMoveTo(DX(from.h), DY(from.v));
    CairoPictLineTo(DX(from.h + dh), DY(from.v + dv));
}

static void CairoLineFrom(void *, Point to) { CairoPictLineTo(DX(to.h), DY(to.v)); }

static void CairoShortLineFrom(void *, SInt32 dh, SInt32 dv) {
    CairoPictLineTo(gCairoPict.x + dh * gCP.sx, gCairoPict.y + dv * gCP.sy);
}

static void CairoText(void *, const Point *at, SInt32 dh, SInt32 dv, const UInt8 *text) {
    if (at) SystemDependantMoveTo(DX(at->h), DY(at->v));
    else SystemDependantMoveTo(gCairoPict.x + dh * gCP.sx, gCairoPict.y + dv * gCP.sy);
    CairoPictText(text);
}

static void CairoShortComment(void *, SInt16 kind) {
    if (kind == kCommentTranscodeOn) OrvaSetTranscodeCharset(true);
    else if (kind == kCommentTranscodeOff) OrvaSetTranscodeCharset(false);
}

// The Unicode text that stands for the next text opcode, and Bezier chains.
static void CairoLongComment(void *, SInt16 kind, const UInt8 *data, UInt32 length) {
    if (!data) return;
    if (kind == kPictCommentUnicodeText && length >= 2) {
        ByteReader text = OrvaByteReader(data, length);
        UInt16 (*unit)(ByteReader *) = gCP.walk.kind == kPictKindOwn ? Get16LE : Get16;
        gCP.altAngle = SInt16(unit(&text));
        gCP.altText.clear();
        while (ByteReaderLeft(&text) >= 2) gCP.altText.push_back(unit(&text));
        gCP.hasAltText = true;
    } else if (kind == kPictCommentBezier) {
        BzProcessBezierCommand((const char *)data, SInt32(length), false, true, MapBezierPoint);
    }
}

// Each family keeps its own last rectangle.
static void CairoShape(void *, UInt16 family, SInt32 verb, const Rect *rect, SInt16 start, SInt16 arc) {
    Rect *last = family == 0x40 ? &gCP.lastRRect : family == 0x50 ? &gCP.lastOval : &gCP.lastRect;
    if (rect) *last = *rect;
    double l = DX(last->left), t = DY(last->top), r = DX(last->right), b = DY(last->bottom);
    switch (family) {
        case 0x30: ShapeVerb(verb, [&](Boolean s) { SystemDependantRect(s, l, t, r, b); }); break;
        case 0x40: {
            double ow = gCP.ovalW * gCP.sx, oh = gCP.ovalH * gCP.sy;
            ShapeVerb(verb, [&](Boolean s) { SystemDependantRoundRect(s, l, r, t, b, ow, oh); });
            break;
        }
        case 0x50: ShapeVerb(verb, [&](Boolean s) { SystemDependantOval(s, l, t, r, b); }); break;
        default: ShapeVerb(verb, [&](Boolean s) { SystemDependantArc(s, l, t, r, b, start, arc); }); break;
    }
}

static void CairoPolygon(void *, SInt32 verb, const PictFieldRecord *polygon) {
    SInt32 count = SInt32(polygon->length - 10) / 4;
    std::vector<double> pts;
    for (SInt32 k = 0; k < count; k++) {
        Point p = OrvaPictPoint(&gCP.walk, polygon->offset + 10 + 4 * UInt32(k));
        pts.push_back(DX(p.h));
        pts.push_back(DY(p.v));
    }
    ShapeVerb(verb, [&](Boolean s) { SystemDependantPolygon(s, pts.data(), count); });
}
