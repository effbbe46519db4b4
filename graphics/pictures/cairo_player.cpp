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
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/cairo/pango_text.h"

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

static Boolean PlayCairoOp(const PictOpRecord *op);

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
    const UInt8 *bytes = (const UInt8 *)*picture;
    UInt32 size = GetHandleSize((Handle)picture);
    if (size >= 12 && !((bytes[10] == 0x11 && bytes[11] == 0x01) || (bytes[10] == 0x00 && bytes[11] == 0x11))) {
        OrvaErreur("CvtPictureEnGDI : type de PICT inconnu !");
        return;
    }
    if (OrvaPictBeginWalk(bytes, size, &gCP.walk) != noErr) {
        OrvaErreur("CvtPictureEnGDI : Bad version");
        return;
    }
    PictOpRecord op;
    for (;;) {
        if (OrvaPictNextOp(&gCP.walk, &op) != noErr) {
            if (op.name[0] == 0 && op.offset + (gCP.walk.kind == kPictKindVersion1 ? 1u : 2u) <= size)
                OrvaErreurF("CvtPictureEnGDI : Opcode $%04x inconnu", op.opcode);
            else OrvaErreurF("CvtPictureEnGDI : picture tronquee a l'offset %u", op.offset);
            return;
        }
        if (op.opcode == kPictOpEndPic) break;
        if (!PlayCairoOp(&op)) return;
    }
    OrvaSetFontRatio(1.0f);
    OrvaSetTranscodeCharset(true);
    gCP.altText.clear();
    gCP.hasAltText = false;
}

static double DX(SInt32 h) { return h * gCP.sx; }
static double DY(SInt32 v) { return v * gCP.sy; }

static Point ReadPoint(UInt32 offset) {
    Point p;
    p.v = SInt16(OrvaPictWord(&gCP.walk, offset));
    p.h = SInt16(OrvaPictWord(&gCP.walk, offset + 2));
    return p;
}

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

static void CairoPictText(const PictFieldRecord *text) {
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
    const UInt8 *bytes = gCP.walk.bytes + text->offset;
    SystemDependantPrintText(cr, bytes + 1, 0, bytes[0], gCairoPict.x, gCairoPict.y, UInt16(port->txFont), port->txFace,
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

static void DrawImage(const PictOpRecord *op) {
    PictImageRecord image;
    if (!OrvaPictReadImage(&gCP.walk, op, &image)) return;
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
}

static Boolean PlayCairoOp(const PictOpRecord *op) {
    const PictWalkRecord *w = &gCP.walk;
    const PictFieldRecord *f = op->fields;
    UInt16 code = op->opcode;
    SInt32 word0 = op->fieldCount > 0 ? OrvaPictWord(w, f[0].offset) : 0;
    Pattern pat;
    if (op->fieldCount > 0 && f[0].kind == kFieldPattern) std::memcpy(pat.pat, w->bytes + f[0].offset, 8);
    switch (code) {
        case 0x15:
        case 0x16:
        case 0x1F:
        case 0x91:
        case 0x99:
        case 0x8200:
        case 0x8201: OrvaErreurF("CvtPictureEnGDI : Opcode $%04x inconnu", code); return false;
        case 0x9B: OrvaErreur("Cvt Pict to GDI : opcode 9B unknown"); return false;
        case kPictOpClip: {
            RgnHandle rgn = ReadRegion(&f[0]);
            if (!rgn) return true;
            Rect b = (*rgn)->rgnBBox;
            SystemDependantSetClipRgn(DX(b.left), DY(b.top), DX(b.right), DY(b.bottom), rgn);
            DisposeRgn(rgn);
            return true;
        }
        case kPictOpBkPat: BackPat(&pat); return true;
        case kPictOpTxFont:
            gCairoPict.fontId = UInt16(word0);
            TextFont(SInt16(word0));
            return true;
        case kPictOpTxFace:
            gCairoPict.face = w->bytes[f[0].offset];
            TextFace(w->bytes[f[0].offset]);
            return true;
        case kPictOpTxMode:
            gCairoPict.textMode = UInt16(word0);
            TextMode(SInt16(word0));
            return true;
        case kPictOpSpExtra: {
            SInt32 a = PictMulDivRound(OrvaPictLong(w, f[0].offset), gCP.W2, gCP.frameW);
            SInt32 b = gCP.rx ? SInt32(SInt64(a) * kSpaceExtraResolution / gCP.rx) : 0;
            gCairoPict.spaceExtra = UInt32(b);
            SpaceExtra(b);
            return true;
        }
        case kPictOpPnSize: {
            Point s = ReadPoint(f[0].offset);
            gCP.penW = s.h;
            gCP.penH = s.v;
            gCairoPict.penWidth = s.h * gCP.sx;
            gCairoPict.penHeight = s.v * gCP.sy;
            PenSize(SInt16(std::min(32767.0, std::round(gCairoPict.penWidth))), SInt16(std::min(32767.0, std::round(gCairoPict.penHeight))));
            ApplyPen();
            return true;
        }
        case kPictOpPnMode: PenMode(SInt16(word0)); return true;
        case kPictOpPnPat: gCairoPict.penPat = pat; SetSource(pat); return true;
        case kPictOpFillPat: gCairoPict.fillPat = pat; return true;
        case kPictOpOvSize: {
            Point s = ReadPoint(f[0].offset);
            gCP.ovalW = s.h;
            gCP.ovalH = s.v;
            return true;
        }
        case kPictOpOrigin: SetOrigin(SInt16(word0), SInt16(OrvaPictWord(w, f[1].offset))); return true;
        case kPictOpTxSize: gCairoPict.textSize = (word0 ? word0 : 12) * gCP.sy; return true;
        case kPictOpFgColor:
        case kPictOpBkColor: {
            // The colour of the classic code's predefined index: black for 33, white for 30.
            UInt32 pixel;
            RGBColor c = code == kPictOpFgColor ? gCairoPict.foreground : gCairoPict.background;
            OrvaClassicColor(qd.thePort, SInt16(OrvaPictLong(w, f[0].offset) & 0xFFFF), &pixel, &c);
            SetPlayerColour(code == kPictOpFgColor, c);
            return true;
        }
        case kPictOpTxRatio: {
            Point numer = ReadPoint(f[0].offset), denom = ReadPoint(f[1].offset);
            if (denom.h != 0) OrvaSetFontRatio(float(numer.h) / float(denom.h));
            return true;
        }
        case kPictOpRGBFgCol:
        case kPictOpRGBBkCol: {
            RGBColor c = {UInt16(OrvaPictWord(w, f[0].offset)), UInt16(OrvaPictWord(w, f[0].offset + 2)),
                          UInt16(OrvaPictWord(w, f[0].offset + 4))};
            SetPlayerColour(code == kPictOpRGBFgCol, c);
            return true;
        }
        case kPictOpLine: {
            Point a = ReadPoint(f[0].offset), b = ReadPoint(f[1].offset);
            SystemDependantMoveTo(DX(a.h), DY(a.v));
            CairoPictLineTo(DX(b.h), DY(b.v));
            return true;
        }
        case kPictOpLineFrom: {
            Point b = ReadPoint(f[0].offset);
            CairoPictLineTo(DX(b.h), DY(b.v));
            return true;
        }
        case kPictOpShortLine: {
            Point a = ReadPoint(f[0].offset);
            SInt32 dh = SInt8(w->bytes[f[1].offset]), dv = SInt8(w->bytes[f[2].offset]);
            SystemDependantMoveTo(DX(a.h), DY(a.v));
            CairoPictLineTo(DX(a.h + dh), DY(a.v + dv));
            return true;
        }
        case kPictOpShortLineFrom: {
            SInt32 dh = SInt8(w->bytes[f[0].offset]), dv = SInt8(w->bytes[f[1].offset]);
            CairoPictLineTo(gCairoPict.x + dh * gCP.sx, gCairoPict.y + dv * gCP.sy);
            return true;
        }
        case kPictOpLongText: {
            Point a = ReadPoint(f[0].offset);
            SystemDependantMoveTo(DX(a.h), DY(a.v));
            CairoPictText(&f[1]);
            return true;
        }
        case kPictOpDHText:
        case kPictOpDHText + 1:
        case kPictOpDHText + 2: {
            double dh = 0, dv = 0;
            if (code == kPictOpDHText) dh = w->bytes[f[0].offset] * gCP.sx;
            else if (code == kPictOpDHText + 1) dv = w->bytes[f[0].offset] * gCP.sy;
            else {
                dh = w->bytes[f[0].offset] * gCP.sx;
                dv = w->bytes[f[1].offset] * gCP.sy;
            }
            SystemDependantMoveTo(gCairoPict.x + dh, gCairoPict.y + dv);
            CairoPictText(&f[op->fieldCount - 1]);
            return true;
        }
        case kPictOpShortComment: {
            if (word0 == kCommentTranscodeOn) OrvaSetTranscodeCharset(true);
            else if (word0 == kCommentTranscodeOff) OrvaSetTranscodeCharset(false);
            return true;
        }
        case kPictOpLongComment: {
            const PictFieldRecord &data = f[op->fieldCount - 1];
            if (data.kind != kFieldData) return true;
            if (word0 == kPictCommentUnicodeText && data.length >= 2) {
                gCP.altAngle = SInt16(OrvaPictWord(w, data.offset));
                gCP.altText.clear();
                for (UInt32 k = 2; k + 1 < data.length; k += 2) gCP.altText.push_back(UInt16(OrvaPictWord(w, data.offset + k)));
                gCP.hasAltText = true;
            } else if (word0 == kPictCommentBezier) {
                BzProcessBezierCommand((const char *)w->bytes + data.offset, SInt32(data.length), false, true, MapBezierPoint);
            }
            return true;
        }
        case kPictOpBitsRect:
        case kPictOpPackBitsRect:
        case kPictOpDirectBitsRect: DrawImage(op); return true;
        default: break;
    }
    if (code >= 0x30 && code <= 0x6C) {
        UInt16 family = code & 0xF0;
        SInt32 verb = code & 0x07;
        Boolean same = (code & 0x08) != 0;
        Rect *last = family == 0x40 ? &gCP.lastRRect : family == 0x50 ? &gCP.lastOval : &gCP.lastRect;
        if (!same) *last = OrvaPictRect(w, f[0].offset);
        double l = DX(last->left), t = DY(last->top), r = DX(last->right), b = DY(last->bottom);
        switch (family) {
            case 0x30: ShapeVerb(verb, [&](Boolean s) { SystemDependantRect(s, l, t, r, b); }); break;
            case 0x40: {
                double ow = gCP.ovalW * gCP.sx, oh = gCP.ovalH * gCP.sy;
                ShapeVerb(verb, [&](Boolean s) { SystemDependantRoundRect(s, l, r, t, b, ow, oh); });
                break;
            }
            case 0x50: ShapeVerb(verb, [&](Boolean s) { SystemDependantOval(s, l, t, r, b); }); break;
            default: {
                UInt32 at = same ? f[0].offset : f[1].offset;
                SInt16 start = SInt16(OrvaPictWord(w, at)), arc = SInt16(OrvaPictWord(w, at + 2));
                ShapeVerb(verb, [&](Boolean s) { SystemDependantArc(s, l, t, r, b, start, arc); });
                break;
            }
        }
        return true;
    }
    if (code >= 0x70 && code <= 0x74) {
        SInt32 count = SInt32(f[0].length - 10) / 4;
        std::vector<double> pts;
        for (SInt32 k = 0; k < count; k++) {
            Point p = ReadPoint(f[0].offset + 10 + 4 * UInt32(k));
            pts.push_back(DX(p.h));
            pts.push_back(DY(p.v));
        }
        ShapeVerb(code & 0x07, [&](Boolean s) { SystemDependantPolygon(s, pts.data(), count); });
        return true;
    }
    // Regions are not printed; FontName, reserved opcodes and headers are skipped.
    return true;
}
