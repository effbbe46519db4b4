// Where an Extended TextEdit record puts its characters: the position of an offset, the offset
// under a point, the justification of a line, the turning of points and rectangles about the
// destination's centre, and the region a selection covers.
#include "graphics/text/extended_textedit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/text/extended_internal.h"
#include "graphics/text/extended_view.h"
#include "platform/core/memory.h"

namespace {

struct ExactCorners {  // the same, not rounded: regions made from them meet along shared edges
    double h[4], v[4];
};

struct Corners {  // a rectangle's corners turned, in drawing order
    Point p[4];   // top-left, top-right, bottom-right, bottom-left
};

}  // namespace

static SInt32 LineOfPosition(ExtendedTEHandle te, SInt32 offset);
static SInt32 Width(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end);
static Corners TurnRect(ExtendedTEHandle te, const Rect *r);
static void TraceCorners(void *context);
static ExactCorners TurnRectExactly(ExtendedTEHandle te, const Rect *r);
static void FillQuadRgn(const ExactCorners &c, RgnHandle rgn);
static void AddRect(ExtendedTEHandle te, RgnHandle rgn, RgnHandle scratch, SInt32 left, SInt32 top, SInt32 right,
                    SInt32 bottom);

// ---- Positions and offsets --------------------------------------------------------------------

void ExtendedTEGetPoint(SInt32 offset, ExtendedTEHandle te, BigPoint *position) {
    if (!position) return;
    *position = BigPoint{0, 0};
    if (!te || !*te) return;
    *position = ExtendedPointOf(te, offset, nullptr);
}

SInt32 ExtendedTEGetOffset(SInt32 packed, ExtendedTEHandle te) {
    if (!te || !*te) return 0;
    return ExtendedOffsetAt(te, SInt16(UInt32(packed) >> 16), SInt16(packed & 0xFFFF));
}

// ---- Rotation -----------------------------------------------------------------------------------

void ExtendedRotateTransformXYMove(ExtendedTEHandle te, float dx, float dy, Point *moved) {
    if (!moved) return;
    SInt16 degrees = (te && *te) ? (*te)->rotation : 0;
    if (degrees == 0) {
        *moved = Point{SInt16(SInt32(dy)), SInt16(SInt32(dx))};
        return;
    }
    double radius = std::sqrt(double(dx) * dx + double(dy) * dy);
    double theta = std::atan2(-double(dy), double(dx)) + degrees * M_PI / 180.0;
    double h = radius * std::cos(theta), v = -radius * std::sin(theta);
    *moved = Point{SInt16(SInt32(v)), SInt16(SInt32(h))};
}

void ExtendedRotateTransformPoint(ExtendedTEHandle te, Point point, Point *turned) {
    if (!turned) return;
    *turned = point;
    if (!te || !*te || (*te)->rotation == 0) return;
    const BigRect dest = (*te)->destRect;
    SInt32 ch = SInt32((SInt64(dest.left) + dest.right) / 2), cv = SInt32((SInt64(dest.top) + dest.bottom) / 2);
    Point moved;
    ExtendedRotateTransformXYMove(te, float(point.h - ch), float(point.v - cv), &moved);
    *turned = Point{ExtendedClamp16(cv + moved.v), ExtendedClamp16(ch + moved.h)};
}

void ExtendedRotateGetCorners(ExtendedTEHandle te, Point *topLeft, Point *topRight, Point *bottomLeft,
                              Point *bottomRight) {
    if (!te || !*te) return;
    const BigRect dest = (*te)->destRect;
    Rect r = {ExtendedClamp16(dest.top), ExtendedClamp16(dest.left), ExtendedClamp16(dest.bottom),
              ExtendedClamp16(dest.right)};
    Corners c = TurnRect(te, &r);
    if (topLeft) *topLeft = c.p[0];
    if (topRight) *topRight = c.p[1];
    if (bottomRight) *bottomRight = c.p[2];
    if (bottomLeft) *bottomLeft = c.p[3];
}

RgnHandle ExtendedRotateGetRgnFromRect(ExtendedTEHandle te, const Rect *rect) {
    if (!te || !*te || !rect) return nullptr;
    RgnHandle rgn = NewRgn();
    if (!rgn) return nullptr;
    if ((*te)->rotation == 0) {
        RectRgn(rgn, rect);
        return rgn;
    }
    FillQuadRgn(TurnRectExactly(te, rect), rgn);
    return rgn;
}

PolyHandle ExtendedRotateGetPolyFromRect(ExtendedTEHandle te, const Rect *rect) {
    if (!te || !*te || !rect || !qd.thePort) return nullptr;
    Corners c = TurnRect(te, rect);
    PenState pen;
    GetPenState(&pen);
    PolyHandle poly = OpenPoly();
    if (!poly) return nullptr;
    TraceCorners(&c);
    ClosePoly();
    SetPenState(&pen);
    return poly;
}

RgnHandle ExtendedRotateGetDestRgn(ExtendedTEHandle te) {
    if (!te || !*te) return nullptr;
    Rect view = (*te)->viewRect;
    return ExtendedRotateGetRgnFromRect(te, &view);
}

// ---- Shared with the drawing and editing files --------------------------------------------------

SInt16 ExtendedClamp16(SInt32 value) { return SInt16(std::clamp<SInt32>(value, -32767, 32767)); }

SInt32 ExtendedClampOffset(ExtendedTEHandle te, SInt32 offset) {
    return std::clamp<SInt32>(offset, 0, std::max<SInt32>((*te)->teLength, 0));
}

Boolean ExtendedIsBoundary(ExtendedTEHandle te, SInt32 offset) {
    if (offset <= 0 || offset >= (*te)->teLength || (*te)->encodingMode != kExtendedModeUTF8) return kTrue;
    return ExtendedNextChar(te, ExtendedPreviousChar(te, offset)) == offset;
}

SInt32 ExtendedSnapBack(ExtendedTEHandle te, SInt32 offset) {
    offset = ExtendedClampOffset(te, offset);
    return ExtendedIsBoundary(te, offset) ? offset : ExtendedPreviousChar(te, offset);
}

float ExtendedViewZoom(ExtendedTEHandle te) {
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (!styles || !*styles) return 1.0f;
    float zoom = (*styles)->zoom;
    return (zoom > 0 && std::isfinite(zoom)) ? zoom : 1.0f;
}

// The line-height table holds one entry a line and one for the line after the text; a line
// beyond the table takes the last entry there is.
SInt32 ExtendedLineHeightPx(ExtendedTEHandle te, SInt32 line) {
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (!styles || !*styles) return (*te)->lineHeight;
    LHHandle table = (*styles)->lhTab;
    SInt32 entries = table ? SInt32(GetHandleSize((Handle)table) / sizeof(LHElement)) : 0;
    if (entries <= 0) return 0;
    line = std::clamp<SInt32>(line, 0, entries - 1);
    SInt32 height = (*table)[line].lhHeight & 0x7FFF;
    return SInt32(float(height) * ExtendedViewZoom(te));
}

SInt32 ExtendedLineAscentPx(ExtendedTEHandle te, SInt32 line) {
    ExtendedStylHandle styles = (*te)->styleHandle;
    if (!styles || !*styles) return (*te)->fontAscent;
    LHHandle table = (*styles)->lhTab;
    SInt32 entries = table ? SInt32(GetHandleSize((Handle)table) / sizeof(LHElement)) : 0;
    if (entries <= 0) return 0;
    line = std::clamp<SInt32>(line, 0, entries - 1);
    return SInt32(float((*table)[line].lhAscent) * ExtendedViewZoom(te));
}

SInt32 ExtendedLineTop(ExtendedTEHandle te, SInt32 line) {
    SInt32 top = (*te)->destRect.top;
    if (!(*te)->styleHandle) return top + line * (*te)->lineHeight;
    for (SInt32 k = 0; k < line; k++) top += ExtendedLineHeightPx(te, k);
    return top;
}

SInt32 ExtendedLineStart(ExtendedTEHandle te, SInt32 line) {
    SInt32 lines = std::max<SInt32>((*te)->nLines, 0);
    if (line >= lines) return (*te)->teLength;
    return std::clamp<SInt32>((*te)->lineStarts[std::max<SInt32>(line, 0)], 0, (*te)->teLength);
}

SInt32 ExtendedLineNext(ExtendedTEHandle te, SInt32 line) {
    if (line + 1 >= (*te)->nLines) return (*te)->teLength;
    return ExtendedLineStart(te, line + 1);
}

SInt32 ExtendedJustOffset(ExtendedTEHandle te, SInt32 line) {
    SInt16 just = (*te)->just;
    if (just != kExtendedJustCenter && just != kExtendedJustRight) return 0;
    SInt32 start = ExtendedLineStart(te, line), next = ExtendedLineNext(te, line);
    SInt32 w = Width(te, line, start, next);
    SInt32 available = SInt32(std::min<SInt64>(SInt64((*te)->destRect.right) - (*te)->destRect.left, kExtendedMaxWidth));
    if (!(*te)->styleHandle) {  // plain records keep 16-bit arithmetic and no overflow test
        SInt16 room = SInt16(available - w);
        return just == kExtendedJustRight ? room : SInt16(room / 2);
    }
    if (w > available) return 0;
    return just == kExtendedJustRight ? available - w : (available - w) / 2;
}

SInt32 ExtendedTextHeight(ExtendedTEHandle te) { return ExtendedTEGetHeight(0, (*te)->nLines, te); }

BigPoint ExtendedPointOf(ExtendedTEHandle te, SInt32 offset, SInt32 *lineOut) {
    const BigRect dest = (*te)->destRect;
    if ((*te)->nLines <= 0 && offset > kExtendedFarOffset) {
        if (lineOut) *lineOut = 0;
        return BigPoint{kExtendedFarPosition, ExtendedTEGetHeight(0, 0, te)};
    }
    offset = ExtendedClampOffset(te, offset);
    SInt32 line = LineOfPosition(te, offset);
    if (lineOut) *lineOut = line;
    SInt32 v = (*te)->styleHandle ? ExtendedLineTop(te, line) + ExtendedLineHeightPx(te, line)
                                  : dest.top + (line + 1) * (*te)->lineHeight;
    SInt32 start = std::min(ExtendedLineStart(te, line), offset);
    SInt32 width = ExtendedJustOffset(te, line) + Width(te, line, start, offset);
    SInt64 available = SInt64(dest.right) - dest.left;
    return BigPoint{SInt32(dest.left + std::min<SInt64>(width, available)), v};
}

SInt32 ExtendedOffsetAt(ExtendedTEHandle te, SInt32 h, SInt32 v) {
    SInt32 lines = (*te)->nLines, length = (*te)->teLength;
    if (length <= 0 || lines <= 0) return 0;
    SInt64 dy = SInt64(v) - (*te)->destRect.top;
    if (dy < 0) return 0;
    SInt32 line = 0;
    SInt64 sum = 0;
    for (; line < lines; line++) {
        sum += (*te)->styleHandle ? ExtendedLineHeightPx(te, line) : (*te)->lineHeight;
        if (sum >= dy) break;
    }
    if (line >= lines) return length;
    SInt32 start = ExtendedLineStart(te, line), next = std::max(ExtendedLineNext(te, line), start);
    SInt64 dx64 = SInt64(h) - (*te)->destRect.left - ExtendedJustOffset(te, line);
    SInt32 dx = SInt32(std::clamp<SInt64>(dx64, 0, 0x7FFFFFFF));
    // Bisection on bytes, measuring at the character boundary at or before each middle.
    SInt32 lo = start, hi = next, m = start, wm = 0;
    while (hi - lo > 1) {
        SInt32 mid = lo + (hi - lo) / 2;
        m = ExtendedSnapBack(te, mid);
        wm = Width(te, line, start, m);
        if (wm <= dx) lo = mid;
        else hi = mid;
    }
    if (m == start) wm = 0;
    SInt32 p = m, wp = wm;
    if (wm <= dx) {
        if (m >= next) return next;
        while (wp < dx && p < next) {
            p = ExtendedNextChar(te, p);
            wp = Width(te, line, start, p);
        }
    } else {
        while (wp > dx && p > start) {
            p = ExtendedPreviousChar(te, p);
            wp = Width(te, line, start, p);
        }
    }
    return std::abs(SInt64(wp) - dx) < std::abs(SInt64(wm) - dx) ? p : m;
}

Point ExtendedUnturnPoint(ExtendedTEHandle te, Point point) {
    SInt16 degrees = (*te)->rotation;
    if (degrees == 0) return point;
    (*te)->rotation = SInt16(-degrees);
    Point back;
    ExtendedRotateTransformPoint(te, point, &back);
    (*te)->rotation = degrees;
    return back;
}

SInt32 ExtendedPack(SInt32 h, SInt32 v) {
    return SInt32((UInt32(UInt16(ExtendedClamp16(h))) << 16) | UInt16(ExtendedClamp16(v)));
}

RgnHandle ExtendedSelectionRgn(ExtendedTEHandle te, SInt32 a, SInt32 b) {
    RgnHandle rgn = NewRgn(), scratch = NewRgn();
    if (!rgn || !scratch) {
        if (rgn) DisposeRgn(rgn);
        if (scratch) DisposeRgn(scratch);
        return nullptr;
    }
    a = ExtendedClampOffset(te, a);
    b = ExtendedClampOffset(te, b);
    if (a > b) std::swap(a, b);
    if (a == b) {
        DisposeRgn(scratch);
        return rgn;
    }
    SInt32 lineP = 0, lineQ = 0;
    BigPoint p = ExtendedPointOf(te, a, &lineP), q = ExtendedPointOf(te, b, &lineQ);
    p.v = std::clamp<SInt32>(p.v, -kExtendedPositionLimit, kExtendedPositionLimit);
    q.v = std::clamp<SInt32>(q.v, -kExtendedPositionLimit, kExtendedPositionLimit);
    const Rect view = (*te)->viewRect;
    if (b == (*te)->teLength) q.h = view.right;
    SInt32 hp = ExtendedLineHeightPx(te, lineP), hq = ExtendedLineHeightPx(te, lineQ);
    if (lineP == lineQ) {
        AddRect(te, rgn, scratch, std::max<SInt32>(view.left, p.h), p.v - hp, std::min<SInt32>(q.h, view.right), p.v);
        DisposeRgn(scratch);
        return rgn;
    }
    SInt32 middleTop = view.top;
    if (p.v >= view.top) {
        AddRect(te, rgn, scratch, std::max<SInt32>(view.left, p.h), p.v - hp, view.right, p.v);
        middleTop = p.v;
    }
    if (q.v - hq <= view.bottom) {
        AddRect(te, rgn, scratch, view.left, middleTop, view.right, q.v - hq);
        AddRect(te, rgn, scratch, view.left, q.v - hq, q.h, q.v);
    } else {
        AddRect(te, rgn, scratch, view.left, middleTop, view.right, view.bottom);
    }
    DisposeRgn(scratch);
    return rgn;
}

// ---- Helpers ---------------------------------------------------------------------------------

// The line a position stands on: the last line starting before offset; an offset at the next
// line's start goes there when a CR precedes it or when it is not the end of the text (styled),
// only after a CR (plain).
static SInt32 LineOfPosition(ExtendedTEHandle te, SInt32 offset) {
    SInt32 lines = (*te)->nLines;
    if (lines <= 0) return 0;
    SInt32 lo = 0, hi = lines - 1;  // the last line whose start is before offset (line 0 at least)
    while (lo < hi) {
        SInt32 mid = (lo + hi + 1) / 2;
        if ((*te)->lineStarts[mid] < offset) lo = mid;
        else hi = mid - 1;
    }
    SInt32 line = lo, next = line + 1;
    if (next > lines || (*te)->lineStarts[std::min(next, lines)] != offset || offset == 0) return line;
    const UInt8 *text = (*te)->hText ? (const UInt8 *)*(*te)->hText : nullptr;
    Boolean afterCR = text && offset > 0 && offset <= (*te)->teLength && text[offset - 1] == 13;
    if (afterCR) return next;
    if ((*te)->styleHandle && offset != (*te)->teLength) return next;
    return line;
}

static SInt32 Width(ExtendedTEHandle te, SInt32 line, SInt32 start, SInt32 end) {
    if (end <= start) return 0;
    return ExtendedTailleTexte(te, line, start, end - start, kTrue);
}

static Corners TurnRect(ExtendedTEHandle te, const Rect *r) {
    Corners c;
    ExtendedRotateTransformPoint(te, Point{r->top, r->left}, &c.p[0]);
    ExtendedRotateTransformPoint(te, Point{r->top, r->right}, &c.p[1]);
    ExtendedRotateTransformPoint(te, Point{r->bottom, r->right}, &c.p[2]);
    ExtendedRotateTransformPoint(te, Point{r->bottom, r->left}, &c.p[3]);
    return c;
}

// Joins the corners top-left, top-right, bottom-right, bottom-left and top-left again.
// The corners turned about the destination's centre as ExtendedRotateTransformPoint turns them,
// without truncation.
static ExactCorners TurnRectExactly(ExtendedTEHandle te, const Rect *r) {
    const BigRect dest = (*te)->destRect;
    double ch = double(SInt32((SInt64(dest.left) + dest.right) / 2)), cv = double(SInt32((SInt64(dest.top) + dest.bottom) / 2));
    double angle = (*te)->rotation * M_PI / 180.0, cosine = std::cos(angle), sine = std::sin(angle);
    const double hs[4] = {double(r->left), double(r->right), double(r->right), double(r->left)};
    const double vs[4] = {double(r->top), double(r->top), double(r->bottom), double(r->bottom)};
    ExactCorners c;
    for (int i = 0; i < 4; i++) {
        double dx = hs[i] - ch, dy = vs[i] - cv;
        c.h[i] = ch + dx * cosine + dy * sine;
        c.v[i] = cv - dx * sine + dy * cosine;
    }
    return c;
}

static void TraceCorners(void *context) {
    const Corners *c = (const Corners *)context;
    _MoveTo(c->p[0].h, c->p[0].v);
    for (int i = 1; i <= 4; i++) _LineTo(c->p[i % 4].h, c->p[i % 4].v);
}

// The pixels whose centres lie inside the turned rectangle, written straight as scan lines: at
// each row where the span changes, the inversion points that turn the old span into the new.
// A shape too tall for a region's size becomes its bounding box.
static void FillQuadRgn(const ExactCorners &c, RgnHandle rgn) {
    double minV = 1e9, maxV = -1e9, minH = 1e9, maxH = -1e9;
    for (int i = 0; i < 4; i++) {
        minV = std::min(minV, c.v[i]);
        maxV = std::max(maxV, c.v[i]);
        minH = std::min(minH, c.h[i]);
        maxH = std::max(maxH, c.h[i]);
    }
    SInt32 top = SInt32(std::clamp(std::floor(minV), -32767.0, 32767.0));
    SInt32 bottom = SInt32(std::clamp(std::ceil(maxV), -32767.0, 32767.0));
    SInt32 left = SInt32(std::clamp(std::floor(minH), -32767.0, 32767.0));
    SInt32 right = SInt32(std::clamp(std::ceil(maxH), -32767.0, 32767.0));
    top = std::max<SInt32>(top, kRgnMinCoord);
    bottom = std::min<SInt32>(bottom, kRgnMaxCoord);
    std::vector<SInt16> words = {0, 0, 0, 0, 0};
    SInt32 spanLeft = 0, spanRight = 0;
    for (SInt32 y = top; y <= bottom; y++) {
        SInt32 l = 0, r = 0;
        if (y < bottom) {
            double centre = y + 0.5, lo = 1e9, hi = -1e9;
            for (int i = 0; i < 4; i++) {
                int j = (i + 1) % 4;
                if ((c.v[i] <= centre) == (c.v[j] <= centre)) continue;
                double x = c.h[i] + (centre - c.v[i]) * (c.h[j] - c.h[i]) / (c.v[j] - c.v[i]);
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
            if (hi > lo) {
                l = std::clamp<SInt32>(SInt32(std::ceil(lo - 0.5)), kRgnMinCoord, kRgnMaxCoord);
                r = std::clamp<SInt32>(SInt32(std::ceil(hi - 0.5)), kRgnMinCoord, kRgnMaxCoord);
            }
        }
        if (l == spanLeft && r == spanRight) continue;
        // The points of the old and the new span, each pair that meets cancelling out.
        std::vector<SInt32> points;
        for (SInt32 x : {spanLeft, spanRight, l, r}) points.push_back(x);
        if (spanRight <= spanLeft) points.erase(points.begin(), points.begin() + 2);
        if (r <= l) points.resize(points.size() - 2);
        std::sort(points.begin(), points.end());
        std::vector<SInt32> kept;
        for (SInt32 x : points) {
            if (!kept.empty() && kept.back() == x) kept.pop_back();
            else kept.push_back(x);
        }
        spanLeft = l;
        spanRight = r;
        if (kept.empty()) continue;
        words.push_back(SInt16(y));
        for (SInt32 x : kept) words.push_back(SInt16(x));
        words.push_back(kRgnEnd);
    }
    words.push_back(kRgnEnd);
    if (words.size() * 2 > size_t(kRgnMaxBytes) || words.size() <= 6) {
        Rect box = {ExtendedClamp16(top), ExtendedClamp16(left), ExtendedClamp16(bottom), ExtendedClamp16(right)};
        if (words.size() <= 6) box = Rect{0, 0, 0, 0};
        RectRgn(rgn, &box);
        return;
    }
    SetHandleSize((Handle)rgn, UInt32(words.size() * 2));
    if (GetHandleSize((Handle)rgn) != words.size() * 2) {
        SetEmptyRgn(rgn);
        return;
    }
    words[0] = SInt16(words.size() * 2);
    std::memcpy(*rgn, words.data(), words.size() * 2);
    orva_calcule_BBox(rgn);
}

// A turned record's rectangles are turned with its text.
static void AddRect(ExtendedTEHandle te, RgnHandle rgn, RgnHandle scratch, SInt32 left, SInt32 top, SInt32 right,
                    SInt32 bottom) {
    if (right <= left || bottom <= top) return;
    Rect r = {ExtendedClamp16(top), ExtendedClamp16(left), ExtendedClamp16(bottom), ExtendedClamp16(right)};
    if ((*te)->rotation != 0) {
        RgnHandle turned = ExtendedRotateGetRgnFromRect(te, &r);
        if (!turned) return;
        _UnionRgn(rgn, turned, rgn);
        DisposeRgn(turned);
        return;
    }
    RectRgn(scratch, &r);
    _UnionRgn(rgn, scratch, rgn);
}
