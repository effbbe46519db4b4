// Ovals, rounded rectangles and arcs. Ovals come from one integer midpoint walk that gives the
// half-width of every row; the fills draw each row once and the frame its boundary. Filled
// rounded rectangles and wedges are regions traced from their outline and painted.
#include "graphics/quickdraw/shapes.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"

namespace {

// The rows of an oval: half-widths x[y] from the top row (y = b) to the centre (y = lastY).
struct OvalRecord {
    SInt32 cx, cy;          // centre
    SInt32 ox, oy;          // 1 for an even width / height: the right / bottom half mirrors
                            // about cx - 1/2 / cy - 1/2
    SInt32 b;               // rows above the centre
    SInt32 lastY;           // 0 when a centre row exists (odd height), else 1
    std::vector<SInt32> x;  // x[y] for y = 0..b
};

// A wedge's outline for the tracing.
struct ArcOutlineRecord {
    Rect r;
    SInt32 start, arc;  // degrees
};

struct RoundRectOutlineRecord {
    Rect r;
    SInt16 ovalW, ovalH;
};

const double kPi = 3.1415926;  // the value every arc of the system is computed with

enum : SInt32 { kArcStraightSpan = 90, kArcShortPiece = 8 };

}  // namespace

static SInt32 FloorHalf(SInt32 v);
static Boolean OvalRows(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right, OvalRecord *oval);
static void RunH(SInt32 h1, SInt32 v, SInt32 h2);
static void FillOvalRows(const OvalRecord &o);
static void FrameOvalRows(const OvalRecord &o);
static void FrameOvalSide(const OvalRecord &o, Boolean right, Boolean bottom);
static void FrameOvalOutline(const Rect *r);
static void TraceFrameOval(void *context);
static void OvalVerb(const Rect *r, ShapeVerb verb, UInt16 opcode, const Pattern *pat);
static void FrameRoundRectOutline(const Rect *r, SInt16 ovalW, SInt16 ovalH);
static void TraceRoundRect(void *context);
static void TopCorner(SInt32 cx, SInt32 cy, SInt32 c, SInt32 sign);
static void BottomCorner(SInt32 cx, SInt32 cy, SInt32 c, SInt32 sign);
static void RoundRectVerb(const Rect *r, SInt16 ovalW, SInt16 ovalH, ShapeVerb verb, UInt16 opcode, const Pattern *pat);
static Point ArcPoint(const Rect *r, SInt32 angle);
static void ArcPiece(const Rect *r, SInt32 from, SInt32 span, Point p, Point q);
static void FrameArcOutline(const Rect *r, SInt32 start, SInt32 arc);
static void TraceArc(void *context);
static void RecordArc(UInt16 opcode, const Rect *r, SInt16 start, SInt16 arc);
static void WedgeVerb(const Rect *r, SInt16 start, SInt16 arc, ShapeVerb verb, UInt16 opcode);
static void PaintTraced(RgnHandle rgn, ShapeVerb verb);
static Rect ReducedByPen(const Rect *r);

void FrameOval(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    if (port->picSave) RecordPictAction(kPictOpFrameOval, r, sizeof *r);
    if (port->pnVis >= 0) FrameOvalOutline(r);
}

void PaintOval(const Rect *r) { OvalVerb(r, kVerbPaint, kPictOpFrameOval + kPictVerbPaint, nullptr); }

void EraseOval(const Rect *r) { OvalVerb(r, kVerbErase, kPictOpFrameOval + kPictVerbErase, nullptr); }

void FillOval(const Rect *r, const Pattern *pat) {
    if (pat) OvalVerb(r, kVerbFill, kPictOpFrameOval + kPictVerbFill, pat);
}

// The region traced from a frame is both what is inverted and what an open picture gets. The
// frame traced is that of r a pixel larger, which lies on the oval of r itself, so that the
// pixels inverted are those PaintOval paints.
void InvertOval(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r || (port->pnVis < 0 && !port->picSave)) return;
    RgnHandle rgn = NewRgn();
    if (!rgn) return;
    Rect copy = *r;
    if (copy.bottom < 32767) copy.bottom++;
    if (copy.right < 32767) copy.right++;
    OrvaTraceRgn(rgn, TraceFrameOval, &copy);
    if (port->picSave) RecordPictAction(kPictOpFrameRgn + kPictVerbInvert, *rgn, UInt32(OrvaRgnWords(rgn) * 2));
    PaintTraced(rgn, kVerbInvert);
    DisposeRgn(rgn);
}

void FrameRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH) {
    RoundRectVerb(r, ovalW, ovalH, kVerbPaint, kPictOpFrameRRect, nullptr);
}

void PaintRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH) {
    RoundRectVerb(r, ovalW, ovalH, kVerbPaint, kPictOpFrameRRect + kPictVerbPaint, nullptr);
}

void EraseRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH) {
    RoundRectVerb(r, ovalW, ovalH, kVerbErase, kPictOpFrameRRect + kPictVerbErase, nullptr);
}

void InvertRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH) {
    RoundRectVerb(r, ovalW, ovalH, kVerbInvert, kPictOpFrameRRect + kPictVerbInvert, nullptr);
}

void FillRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH, const Pattern *pat) {
    if (pat) RoundRectVerb(r, ovalW, ovalH, kVerbFill, kPictOpFrameRRect + kPictVerbFill, pat);
}

void FrameArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    RecordArc(kPictOpFrameArc, r, startAngle, arcAngle);
    if (port->pnVis < 0) return;
    Point saved = port->pnLoc;
    Rect reduced = ReducedByPen(r);
    FrameArcOutline(&reduced, startAngle, arcAngle);
    port->pnLoc = saved;
}

void PaintArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle) {
    WedgeVerb(r, startAngle, arcAngle, kVerbPaint, kPictOpFrameArc + kPictVerbPaint);
}

void EraseArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle) {
    WedgeVerb(r, startAngle, arcAngle, kVerbErase, kPictOpFrameArc + kPictVerbErase);
}

void InvertArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle) {
    WedgeVerb(r, startAngle, arcAngle, kVerbInvert, kPictOpFrameArc + kPictVerbInvert);
}

void FillArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle) {
    GrafPtr port = qd.thePort;
    // The pattern is the port's, but a played picture needs it before the wedge as well.
    if (port && port->picSave && r) RecordPictAction(kPictOpFillPat, port->fillPat.pat, sizeof port->fillPat.pat);
    WedgeVerb(r, startAngle, arcAngle, kVerbFill, kPictOpFrameArc + kPictVerbFill);
}

// Division by two rounding down, so that rectangles left of the origin centre like the others.
static SInt32 FloorHalf(SInt32 v) { return v >= 0 ? v / 2 : -((1 - v) / 2); }

// The integer midpoint walk. Region 1 finishes a row whenever the walk leaves the oval; region 2
// takes one row per step. Every row from the top to the centre gets its half-width; with an
// even height the two middle rows share the widest one.
static Boolean OvalRows(SInt32 top, SInt32 left, SInt32 bottom, SInt32 right, OvalRecord *o) {
    SInt32 hw = (right - left) / 2, hh = (bottom - top) / 2;
    if (hw < 1 || hh < 1) return false;
    o->cx = FloorHalf(left + right);
    o->cy = FloorHalf(top + bottom);
    SInt64 a = hw + (left < o->cx - hw ? 1 : 0), b = hh + (top < o->cy - hh ? 1 : 0);
    o->ox = right <= o->cx + a ? 1 : 0;
    o->oy = bottom <= o->cy + b ? 1 : 0;
    o->b = SInt32(b);
    o->lastY = o->oy ? 1 : 0;
    o->x.assign(size_t(b + 1), 0);
    SInt64 A = a * a, B = b * b, x = 0, y = b, px = 0, py = 2 * A * b, d = A / 4 + (b - A) * b;
    while (py > px) {
        if (d > 0) {
            o->x[size_t(y)] = SInt32(x);
            y--;
            py -= 2 * A;
            d -= py;
        }
        x++;
        px += 2 * B;
        d += B + px;
    }
    d += (3 * (A - B) / 2 - (px + py)) / 2;
    SInt64 e = 3 * A - py;
    for (; y > 0; y--) {
        if (d < 0) {
            x++;
            px += 2 * B;
            d += px;
        }
        o->x[size_t(y)] = SInt32(x);
        d += e;
        e += 2 * A;
    }
    if (o->oy) o->x[1] = std::max(o->x[1], SInt32(x));
    else o->x[0] = SInt32(x);
    // With an even width a half-width of 0 still covers the two middle columns, as 1 does;
    // saying so keeps the frame from entering those columns twice.
    if (o->ox)
        for (SInt32 &v : o->x) v = std::max<SInt32>(v, 1);
    return true;
}

static void RunH(SInt32 h1, SInt32 v, SInt32 h2) {
    GrafPtr port = qd.thePort;
    OrvaLineHSized(h1, v, h2, port->pnSize.h, port->pnSize.v);
}

// Row by row from the top; with a pen one pixel high, rows of equal width go out as one run.
static void FillOvalRows(const OvalRecord &o) {
    GrafPtr port = qd.thePort;
    Boolean merge = port->pnSize.v == 1;
    SInt32 runX = -1, runTop = 0, runRows = 0;
    auto flush = [&]() {
        if (runRows) OrvaLineHSized(o.cx - runX, runTop, o.cx - o.ox + runX, port->pnSize.h, runRows);
        runRows = 0;
    };
    auto row = [&](SInt32 y, SInt32 v) {
        SInt32 x = o.x[size_t(y)];
        if (!merge) {
            RunH(o.cx - x, v, o.cx - o.ox + x);
            return;
        }
        if (runRows && x == runX && v == runTop + runRows) {
            runRows++;
            return;
        }
        flush();
        runX = x;
        runTop = v;
        runRows = 1;
    };
    for (SInt32 y = o.b; y >= o.lastY; y--) row(y, o.cy - y);
    for (SInt32 y = 1; y <= o.b; y++) row(y, o.cy - o.oy + y);
    flush();
}

// The boundary: the top and bottom rows whole, then on each side a run wherever the half-width
// grows and a vertical run where it stays (which a region tracing ignores, like every LineV).
static void FrameOvalRows(const OvalRecord &o) {
    SInt32 xb = o.x[size_t(o.b)];
    RunH(o.cx - xb, o.cy - o.b, o.cx - o.ox + xb);
    FrameOvalSide(o, false, false);
    FrameOvalSide(o, true, false);
    FrameOvalSide(o, false, true);
    FrameOvalSide(o, true, true);
    RunH(o.cx - xb, o.cy - o.oy + o.b, o.cx - o.ox + xb);
    // A traced region enters each run as a change on its own row. The centre row of an odd
    // height opens the columns beyond the rows next to it, and the lower half must close them
    // again on the row below: a change the tracing alone sees, as it draws no pixel.
    SInt32 x0 = o.x[0], x1 = o.b >= 1 ? o.x[1] : x0;
    if (!o.oy && qd.thePort->rgnSave && x0 > x1) {
        OrvaTraceChangesOnly(true);
        RunH(o.cx - x0, o.cy + 1, o.cx - x1 - 1);
        RunH(o.cx - o.ox + x1 + 1, o.cy + 1, o.cx - o.ox + x0);
        OrvaTraceChangesOnly(false);
    }
}

static void FrameOvalSide(const OvalRecord &o, Boolean right, Boolean bottom) {
    SInt32 yEnd = bottom ? 1 : o.lastY;
    SInt32 column = 0, firstRow = 0, lastRow = 0;
    Boolean pending = false;
    for (SInt32 y = o.b - 1; y >= yEnd; y--) {
        SInt32 row = bottom ? o.cy - o.oy + y : o.cy - y;
        SInt32 xs = o.x[size_t(y)], xp = o.x[size_t(y + 1)];
        SInt32 edge = right ? o.cx - o.ox + xs : o.cx - xs;
        if (xs == xp && pending && edge == column) {
            lastRow = row;
            continue;
        }
        if (pending) OrvaLineVSized(column, firstRow, lastRow);
        pending = false;
        if (xs == xp) {
            column = edge;
            firstRow = lastRow = row;
            pending = true;
        } else if (right) {
            RunH(o.cx - o.ox + xp + 1, row, edge);
        } else {
            RunH(edge, row, o.cx - xp - 1);
        }
    }
    if (pending) OrvaLineVSized(column, firstRow, lastRow);
}

static void FrameOvalOutline(const Rect *r) {
    GrafPtr port = qd.thePort;
    Point saved = port->pnLoc;
    OvalRecord oval;
    if (OvalRows(r->top, r->left, SInt32(r->bottom) - port->pnSize.v, SInt32(r->right) - port->pnSize.h, &oval))
        FrameOvalRows(oval);
    port->pnLoc = saved;
}

static void TraceFrameOval(void *context) { FrameOvalOutline((const Rect *)context); }

static void OvalVerb(const Rect *r, ShapeVerb verb, UInt16 opcode, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    if (pat) port->fillPat = *pat;
    if (port->picSave) {
        if (pat) RecordPictAction(kPictOpFillPat, pat->pat, sizeof pat->pat);
        RecordPictAction(opcode, r, sizeof *r);
    }
    if (port->pnVis < 0) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(verb, &saved);
    SInt32 width = SInt32(r->right) - r->left, height = SInt32(r->bottom) - r->top;
    OvalRecord oval;
    if (OvalRows(r->top, r->left, r->bottom, r->right, &oval)) FillOvalRows(oval);
    else if (verb == kVerbPaint && width >= 1 && height >= 1 && width < 2 && height < 2) RunH(r->left, r->top, r->left);
    OrvaEndVerb(&saved);
}

// One corner radius for all four corners, cut to half the framed rectangle so that the sides
// never run backwards out of it.
static void FrameRoundRectOutline(const Rect *r, SInt16 ovalW, SInt16 ovalH) {
    GrafPtr port = qd.thePort;
    Point saved = port->pnLoc;
    SInt32 left = std::min(r->left, r->right), right = std::max(r->left, r->right);
    SInt32 top = std::min(r->top, r->bottom), bottom = std::max(r->top, r->bottom);
    SInt32 rr = right - port->pnSize.h, b = bottom - port->pnSize.v;
    SInt32 c = (SInt32(ovalW) + ovalH) / 4;
    c = std::max<SInt32>(0, std::min(c, std::min(std::max<SInt32>(0, (rr - left) / 2), std::max<SInt32>(0, (b - top) / 2))));
    OrvaLineVSized(left, top + c + 1, b - c - 1);
    OrvaLineVSized(rr, top + c + 1, b - c - 1);
    RunH(left + c + 1, top, rr - c - 1);
    RunH(left + c + 1, b, rr - c - 1);
    TopCorner(left + c, top + c, c, -1);
    TopCorner(rr - c, top + c, c, 1);
    BottomCorner(left + c, b - c, c, -1);
    BottomCorner(rr - c, b - c, c, 1);
    port->pnLoc = saved;
}

static void TraceRoundRect(void *context) {
    const RoundRectOutlineRecord *o = (const RoundRectOutlineRecord *)context;
    FrameRoundRectOutline(&o->r, o->ovalW, o->ovalH);
}

// A midpoint quarter circle above the centre row, its runs through LineH so the pen applies.
static void TopCorner(SInt32 cx, SInt32 cy, SInt32 c, SInt32 sign) {
    SInt32 u = c, w = 0, p = 0, d = c / 4;
    while (u >= 0) {
        if (u > w) {
            d += 2 * w + 1;
            w++;
            if (d >= u) {
                d -= 2 * u - 1;
                RunH(cx + sign * p, cy - u, cx + sign * (w - 1));
                u--;
                p = w;
            }
        } else {
            d -= 2 * u - 1;
            RunH(cx + sign * w, cy - u, cx + sign * w);
            u--;
            if (-d > w) {
                d += 2 * w + 1;
                w++;
            }
        }
    }
}

// The quarter circle below the centre row; a zero radius is the single corner pixel, which
// closes the outline like the top corners do.
static void BottomCorner(SInt32 cx, SInt32 cy, SInt32 c, SInt32 sign) {
    if (c <= 0) {
        if (c == 0) RunH(cx, cy, cx);
        return;
    }
    SInt32 u = c, w = 0, p = 0, d = c / 4;
    while (u > 0) {
        if (w > u) {
            d -= 2 * u - 1;
            u--;
            if (-d > w) {
                d += 2 * w + 1;
                RunH(cx + sign * (u + 1), cy + w, cx + sign * p);
                w++;
                p = u;
            }
        } else {
            d += 2 * w + 1;
            RunH(cx + sign * u, cy + w, cx + sign * u);
            w++;
            if (u <= d) {
                d -= 2 * u - 1;
                u--;
                p = u;
            }
        }
    }
    if (u != p) RunH(cx + sign * u, cy + w, cx + sign * p);
}

// The frame draws its outline; the other verbs paint the region traced from it.
static void RoundRectVerb(const Rect *r, SInt16 ovalW, SInt16 ovalH, ShapeVerb verb, UInt16 opcode, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    if (pat) port->fillPat = *pat;
    if (port->picSave) {
        Point size = {ovalH, ovalW};
        RecordPictAction(kPictOpOvSize, &size, sizeof size);
        if (pat) RecordPictAction(kPictOpFillPat, pat->pat, sizeof pat->pat);
        RecordPictAction(opcode, r, sizeof *r);
    }
    if (port->pnVis < 0) return;
    if (opcode == kPictOpFrameRRect) {
        FrameRoundRectOutline(r, ovalW, ovalH);
        return;
    }
    RgnHandle rgn = NewRgn();
    if (!rgn) return;
    RoundRectOutlineRecord outline = {*r, ovalW, ovalH};
    OrvaTraceRgn(rgn, TraceRoundRect, &outline);
    PaintTraced(rgn, verb);
    DisposeRgn(rgn);
}

// The point of angle degrees clockwise from 12 o'clock on the oval of r.
static Point ArcPoint(const Rect *r, SInt32 angle) {
    double ch = FloorHalf(SInt32(r->left) + r->right), cv = FloorHalf(SInt32(r->top) + r->bottom);
    double halfW = (SInt32(r->right) - r->left) / 2, halfH = (SInt32(r->bottom) - r->top) / 2;
    double radians = angle * kPi / 180.0;
    double h = std::floor(ch + 0.5 + halfW * std::sin(radians)), v = std::floor(cv + 0.5 - halfH * std::cos(radians));
    Point p = {SInt16(std::min(32767.0, std::max(-32768.0, v))), SInt16(std::min(32767.0, std::max(-32768.0, h)))};
    return p;
}

// Halves the piece until it is short and flat enough for a straight line.
static void ArcPiece(const Rect *r, SInt32 from, SInt32 span, Point p, Point q) {
    SInt32 distance = std::abs(SInt32(q.h) - p.h) + std::abs(SInt32(q.v) - p.v);
    if (std::abs(span) > 1 && (std::abs(span) >= kArcStraightSpan || distance >= kArcShortPiece)) {
        SInt32 half = span / 2;
        Point m = ArcPoint(r, from + half);
        if (!EqualPt(m, p) && !EqualPt(m, q)) {
            ArcPiece(r, from, half, p, m);
            ArcPiece(r, from + half, span - half, m, q);
            return;
        }
    }
    GrafPtr port = qd.thePort;
    LineAbs(port->pnLoc.h, port->pnLoc.v, q.h, q.v);
}

static void FrameArcOutline(const Rect *r, SInt32 start, SInt32 arc) {
    GrafPtr port = qd.thePort;
    Point p = ArcPoint(r, start), q = ArcPoint(r, start + arc);
    port->pnLoc = p;
    ArcPiece(r, start, arc, p, q);
}

// A wedge: the arc of r with a 0x0 pen, then to the centre and back to the start.
static void TraceArc(void *context) {
    const ArcOutlineRecord *o = (const ArcOutlineRecord *)context;
    GrafPtr port = qd.thePort;
    port->pnSize.h = port->pnSize.v = 0;
    FrameArcOutline(&o->r, o->start, o->arc);
    Point start = ArcPoint(&o->r, o->start);
    SInt16 ch = SInt16(FloorHalf(SInt32(o->r.left) + o->r.right)), cv = SInt16(FloorHalf(SInt32(o->r.top) + o->r.bottom));
    LineAbs(port->pnLoc.h, port->pnLoc.v, ch, cv);
    LineAbs(ch, cv, start.h, start.v);
}

static void RecordArc(UInt16 opcode, const Rect *r, SInt16 start, SInt16 arc) {
    GrafPtr port = qd.thePort;
    if (!port->picSave) return;
    SInt16 operands[6] = {r->top, r->left, r->bottom, r->right, start, arc};
    RecordPictAction(opcode, operands, sizeof operands);
}

static void WedgeVerb(const Rect *r, SInt16 start, SInt16 arc, ShapeVerb verb, UInt16 opcode) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    RecordArc(opcode, r, start, arc);
    if (port->pnVis < 0) return;
    RgnHandle rgn = NewRgn();
    if (!rgn) return;
    ArcOutlineRecord outline = {*r, start, arc};
    OrvaTraceRgn(rgn, TraceArc, &outline);
    PaintTraced(rgn, verb);
    DisposeRgn(rgn);
}

// Paints a traced region under verb with the picture suspended, so that a verb records only
// its own opcode.
static void PaintTraced(RgnHandle rgn, ShapeVerb verb) {
    GrafPtr port = qd.thePort;
    if (port->pnVis < 0) return;
    Handle picture = port->picSave;
    port->picSave = nullptr;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(verb, &saved);
    OrvaFillRgn(rgn);
    OrvaEndVerb(&saved);
    port->picSave = picture;
}

static Rect ReducedByPen(const Rect *r) {
    GrafPtr port = qd.thePort;
    Rect reduced = *r;
    reduced.bottom = SInt16(std::min<SInt32>(32767, std::max<SInt32>(-32768, SInt32(r->bottom) - port->pnSize.v)));
    reduced.right = SInt16(std::min<SInt32>(32767, std::max<SInt32>(-32768, SInt32(r->right) - port->pnSize.h)));
    return reduced;
}
