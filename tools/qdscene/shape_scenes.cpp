// The shapes scene: a column per shape (rectangle, rounded rectangle, oval, arc, polygon) and a
// row per verb (frame, paint, erase, invert, fill), each cell drawing two overlapping shapes in
// two pens, patterns or modes; a last row paints one shape per mode (patCopy, patXor, patBic,
// blend, highlight) over a coloured ground. The regions scene frames, erases, inverts and fills
// one region made of rectangles and a traced oval.
#include "shape_scenes.h"

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"

namespace {

enum : SInt16 { kCellWidth = 160, kCellHeight = 100, kShapeKinds = 5 };
enum : SInt16 { kPatCopy = 8, kPatOr = 9, kPatXor = 10, kPatBic = 11, kBlend = 32, kHilite = 138 };

enum ShapeKind { kRect, kRoundRect, kOval, kArc, kPoly };

const RGBColor kBlack = {0, 0, 0};
const RGBColor kWhite = {0xFFFF, 0xFFFF, 0xFFFF};
const RGBColor kRed = {0xFFFF, 0, 0};
const RGBColor kBlue = {0, 0, 0xFFFF};
const RGBColor kGreen = {0, 0x8000, 0};
const RGBColor kGround = {0xFFFF, 0xE000, 0x8000};  // the coloured ground of the mode row
const RGBColor kHalf = {0x8000, 0x8000, 0x8000};

// A polygon inside r: a five-pointed outline, concave, so that even-odd filling shows.
PolyHandle StarIn(const Rect &r) {
    SInt16 w = SInt16(r.right - r.left), h = SInt16(r.bottom - r.top);
    PolyHandle poly = OpenPoly();
    _MoveTo(SInt16(r.left + w / 2), r.top);
    _LineTo(SInt16(r.left + w * 4 / 5), SInt16(r.bottom - 1));
    _LineTo(r.left, SInt16(r.top + h * 2 / 5));
    _LineTo(SInt16(r.right - 1), SInt16(r.top + h * 2 / 5));
    _LineTo(SInt16(r.left + w / 5), SInt16(r.bottom - 1));
    _LineTo(SInt16(r.left + w / 2), r.top);
    ClosePoly();
    return poly;
}

// verb: 0 frame, 1 paint, 2 erase, 3 invert, 4 fill (with pat).
void DrawShape(ShapeKind kind, SInt32 verb, const Rect &r, const Pattern *pat) {
    switch (kind) {
        case kRect: {
            void (*const verbs[])(const Rect *) = {_FrameRect, PaintRect, EraseRect, _InvertRect};
            if (verb < 4) verbs[verb](&r);
            else _FillRect(&r, pat);
            break;
        }
        case kRoundRect: {
            void (*const verbs[])(const Rect *, SInt16, SInt16) = {FrameRoundRect, PaintRoundRect, EraseRoundRect,
                                                                   InvertRoundRect};
            if (verb < 4) verbs[verb](&r, 30, 20);
            else FillRoundRect(&r, 30, 20, pat);
            break;
        }
        case kOval: {
            void (*const verbs[])(const Rect *) = {FrameOval, PaintOval, EraseOval, InvertOval};
            if (verb < 4) verbs[verb](&r);
            else FillOval(&r, pat);
            break;
        }
        case kArc: {
            void (*const verbs[])(const Rect *, SInt16, SInt16) = {FrameArc, PaintArc, EraseArc, InvertArc, FillArc};
            verbs[verb](&r, 45, 270);
            break;
        }
        case kPoly: {
            PolyHandle poly = StarIn(r);
            void (*const verbs[])(PolyHandle) = {FramePoly, PaintPoly, ErasePoly, InvertPoly};
            if (verb < 4) verbs[verb](poly);
            else FillPoly(poly, pat);
            KillPoly(poly);
            break;
        }
    }
}

void Ground(const Rect &r, const RGBColor &color) {
    RGBForeColor(&color);
    PenPat(&qd.black);
    PenMode(kPatCopy);
    PaintRect(&r);
    RGBForeColor(&kBlack);
}

// One cell: shape A at the left top, shape B overlapping it at the right bottom.
void Cell(ShapeKind kind, SInt32 verb, SInt16 x, SInt16 y) {
    Rect a = {SInt16(y + 8), SInt16(x + 8), SInt16(y + 62), SInt16(x + 96)};
    Rect b = {SInt16(y + 38), SInt16(x + 56), SInt16(y + 94), SInt16(x + 152)};
    PenNormal();
    switch (verb) {
        case 0:  // frame: a 1x1 then a 3x3 pen, black then blue
            DrawShape(kind, 0, a, nullptr);
            RGBForeColor(&kBlue);
            PenSize(3, 3);
            DrawShape(kind, 0, b, nullptr);
            break;
        case 1:  // paint: gray in patCopy, then red in patXor
            PenPat(&qd.gray);
            DrawShape(kind, 1, a, nullptr);
            RGBForeColor(&kRed);
            PenPat(&qd.black);
            PenMode(kPatXor);
            DrawShape(kind, 1, b, nullptr);
            break;
        case 2: {  // erase out of a light gray ground, white and then a gray background pattern
            Rect ground = {SInt16(y + 4), SInt16(x + 4), SInt16(y + 98), SInt16(x + 156)};
            PenPat(&qd.ltGray);
            PaintRect(&ground);
            DrawShape(kind, 2, a, nullptr);
            BackPat(&qd.gray);
            RGBForeColor(&kGreen);
            DrawShape(kind, 2, b, nullptr);
            BackPat(&qd.white);
            break;
        }
        case 3: {  // invert over a black band, then highlight once
            Rect band = {SInt16(y + 30), SInt16(x + 4), SInt16(y + 70), SInt16(x + 156)};
            PaintRect(&band);
            DrawShape(kind, 3, a, nullptr);
            HiliteMode &= 0x7F;
            DrawShape(kind, 3, b, nullptr);
            break;
        }
        default:  // fill: ltGray, then gray in red
            DrawShape(kind, 4, a, &qd.ltGray);
            RGBForeColor(&kRed);
            DrawShape(kind, 4, b, &qd.gray);
            break;
    }
    RGBForeColor(&kBlack);
    PenNormal();
}

// The mode row: each mode paints its shape across a coloured ground and the white beside it.
void ModeCell(ShapeKind kind, SInt16 mode, SInt16 x, SInt16 y) {
    Rect ground = {SInt16(y + 4), SInt16(x + 4), SInt16(y + 96), SInt16(x + 80)};
    Ground(ground, kGround);
    Rect r = {SInt16(y + 10), SInt16(x + 20), SInt16(y + 90), SInt16(x + 140)};
    PenNormal();
    PenPat(mode == kPatCopy ? &qd.gray : &qd.black);
    RGBForeColor(&kBlue);
    OpColor(&kHalf);
    PenMode(mode);
    if (mode == kHilite) {
        RGBBackColor(&kGround);
        RGBForeColor(&kBlack);
    }
    DrawShape(kind, 1, r, nullptr);
    RGBBackColor(&kWhite);
    RGBForeColor(&kBlack);
    PenNormal();
}

void TraceOval(void *oval) { FrameOval((const Rect *)oval); }

}  // namespace

void DrawShapesScene(GrafPtr) {
    for (SInt32 verb = 0; verb < 5; verb++)
        for (SInt32 kind = 0; kind < kShapeKinds; kind++)
            Cell(ShapeKind(kind), verb, SInt16(kind * kCellWidth), SInt16(verb * kCellHeight));
    const SInt16 modes[kShapeKinds] = {kPatCopy, kPatXor, kPatBic, kBlend, kHilite};
    for (SInt32 kind = 0; kind < kShapeKinds; kind++)
        ModeCell(ShapeKind(kind), modes[kind], SInt16(kind * kCellWidth), SInt16(5 * kCellHeight));
}

void DrawRegionsScene(GrafPtr) {
    // An L of two rectangles joined to a traced oval, drawn once per quadrant and verb.
    const SInt16 quadrants[4][2] = {{0, 0}, {200, 0}, {0, 150}, {200, 150}};
    for (SInt32 q = 0; q < 4; q++) {
        SInt16 x = quadrants[q][0], y = quadrants[q][1];
        RgnHandle shape = NewRgn(), part = NewRgn();
        _SetRectRgn(shape, SInt16(x + 20), SInt16(y + 20), SInt16(x + 90), SInt16(y + 60));
        _SetRectRgn(part, SInt16(x + 20), SInt16(y + 60), SInt16(x + 50), SInt16(y + 130));
        _UnionRgn(shape, part, shape);
        Rect oval = {SInt16(y + 40), SInt16(x + 80), SInt16(y + 120), SInt16(x + 180)};
        OrvaTraceRgn(part, TraceOval, &oval);
        _UnionRgn(shape, part, shape);
        Rect ground = {SInt16(y + 70), SInt16(x + 10), SInt16(y + 100), SInt16(x + 190)};
        PenPat(&qd.dkGray);
        PaintRect(&ground);
        PenNormal();
        switch (q) {
            case 0: PenSize(2, 2); _FrameRgn(shape); break;
            case 1: BackPat(&qd.ltGray); EraseRgn(shape); BackPat(&qd.white); break;
            case 2: _InvertRgn(shape); break;
            default: _FillRgn(shape, &qd.gray); break;
        }
        PenNormal();
        DisposeRgn(shape);
        DisposeRgn(part);
    }
}
