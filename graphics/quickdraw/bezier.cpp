// Bezier chains: geometry, drawing, and the comments that carry them through pictures. Numbers
// in comments are written and read in the C locale whatever the process's locale is.
#include "graphics/quickdraw/bezier.h"

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>
#include <vector>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/dirty_areas.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"

namespace {

enum : SInt32 {
    kFallbackPixelLimit = 1000000,
    kFallbackInkGreen = 129,  // pixels whose green byte is below this are ink
    kBezierFloatsPerPoint = 6,
};

const float kRoundEndHandle = 0.675f;
const float kCoordinateLimit = 1.0e6f;  // numbers of a comment beyond this are refused

struct BezierPlayback {
    Boolean engaged;
    SInt16 kind, cap, join;
    float miterLimit;
    std::vector<BezierPoint> nodes;
    Boolean haveNodes;
    Rect src, dst;
    GrafProcs saved;
    GrafProcs working;
};
BezierPlayback gBz;

// Runs a formatting or parsing call in the C locale.
class CLocaleScope {
public:
    CLocaleScope() {
        c_ = newlocale(LC_NUMERIC_MASK, "C", (locale_t)0);
        if (c_) previous_ = uselocale(c_);
    }
    ~CLocaleScope() {
        if (c_) {
            uselocale(previous_);
            freelocale(c_);
        }
    }

private:
    locale_t c_ = (locale_t)0;
    locale_t previous_ = (locale_t)0;
};

}  // namespace

static void BezierComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);
static void BezierLine(Point newPt);
static void MapToDestination(float *x, float *y);
static void RecordStartComment(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                               void (*comment)(SInt16, SInt16, Handle));
static void RecordFallback(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit);
static void DrawChain(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                      Boolean antialias);

float BzLength(float x1, float y1, float x2, float y2) {
    if (x1 == x2 && y1 == y2) return 0;
    return std::sqrt((x2 - x1) * (x2 - x1) + (y2 - y1) * (y2 - y1));
}

void BzNormalise(float *x, float *y) {
    float l = BzLength(0, 0, *x, *y);
    if (l == 0) return;
    *x /= l;
    *y /= l;
}

void BzRotateClockwise(float *x, float *y) {
    float t = *x;
    *x = -*y;
    *y = t;
}

void BzRotateCounterclockwise(float *x, float *y) {
    float t = *x;
    *x = *y;
    *y = -t;
}

void BzGetTangente(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty) {
    float ax = cx - px, ay = cy - py, bx = nx - cx, by = ny - cy;
    BzNormalise(&ax, &ay);
    BzNormalise(&bx, &by);
    float sx = ax + bx, sy = ay + by;
    if (sx == 0 && sy == 0) {
        *tx = ax;
        *ty = ay;
        return;
    }
    BzNormalise(&sx, &sy);
    *tx = sx;
    *ty = sy;
}

void BzGetMedianeDroite(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty) {
    BzGetTangente(px, py, cx, cy, nx, ny, tx, ty);
    BzRotateClockwise(tx, ty);
}

void BzGetMedianeGauche(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty) {
    BzGetTangente(px, py, cx, cy, nx, ny, tx, ty);
    BzRotateCounterclockwise(tx, ty);
}

static void RoundEnd(BezierPoint *a, BezierPoint *b) {
    float dx = -(b->y - a->y) * kRoundEndHandle, dy = (b->x - a->x) * kRoundEndHandle;
    a->outX = a->x + dx;
    a->outY = a->y + dy;
    b->inX = b->x + dx;
    b->inY = b->y + dy;
    a->inX = a->x - dx;
    a->inY = a->y - dy;
    b->outX = b->x - dx;
    b->outY = b->y - dy;
}

void BzSmoothPolygon(BezierPoint *points, SInt32 n, float factor, Boolean roundEnds) {
    if (!points || n < 2) return;
    auto at = [&](SInt32 i) -> BezierPoint & { return points[((i % n) + n) % n]; };
    std::vector<float> tx(static_cast<size_t>(n)), ty(static_cast<size_t>(n));
    for (SInt32 i = 0; i < n; i++)
        BzGetTangente(at(i - 1).x, at(i - 1).y, at(i).x, at(i).y, at(i + 1).x, at(i + 1).y, &tx[size_t(i)], &ty[size_t(i)]);
    for (SInt32 i = 0; i < n; i++) {
        BezierPoint &c = at(i), &next = at(i + 1);
        float lp = BzLength(at(i - 1).x, at(i - 1).y, c.x, c.y);
        float lc = BzLength(c.x, c.y, next.x, next.y);
        float ln = BzLength(next.x, next.y, at(i + 2).x, at(i + 2).y);
        float d = (lp + ln) * 11;
        float out = d == 0 ? 0 : lc * lp * factor / d, in = d == 0 ? 0 : lc * ln * factor / d;
        SInt32 j = (i + 1) % n;
        c.outX = c.x + tx[size_t(i)] * out;
        c.outY = c.y + ty[size_t(i)] * out;
        next.inX = next.x - tx[size_t(j)] * in;
        next.inY = next.y - ty[size_t(j)] * in;
    }
    if (roundEnds && n >= 2) {
        RoundEnd(&at(n - 1), &at(0));
        if (n / 2 >= 1) RoundEnd(&at(n / 2 - 1), &at(n / 2));
    }
}

void BzGetBBox(const BezierPoint *points, SInt32 n, Rect *rect) {
    if (!rect) return;
    *rect = {0, 0, 0, 0};
    if (!points || n < 1) return;
    auto clamp = [](float v) -> SInt32 {
        if (!(v == v)) return 0;
        return SInt32(std::max(-32767.0f, std::min(32766.0f, v)));
    };
    SInt32 left = clamp(points[0].x), right = left, top = clamp(points[0].y), bottom = top;
    for (SInt32 i = 0; i < n; i++) {
        const float xs[3] = {points[i].inX, points[i].x, points[i].outX}, ys[3] = {points[i].inY, points[i].y, points[i].outY};
        for (SInt32 k = 0; k < 3; k++) {
            SInt32 x = clamp(xs[k]), y = clamp(ys[k]);
            left = std::min(left, x);
            top = std::min(top, y);
            if (x >= right) right = x + 1;
            if (y >= bottom) bottom = y + 1;
        }
    }
    *rect = {SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
}

SInt32 BzSegmentCount(const BezierPoint *points, SInt32 n, SInt16 kind) {
    if (!points || n < 1) return 0;
    Boolean same = points[n - 1].x == points[0].x && points[n - 1].y == points[0].y;
    if (kind == kBezierOpenStroke) return same ? n : n - 1;
    return same ? n - 1 : n;
}

SInt32 BzFallbackReduction(SInt32 w, SInt32 h) {
    if (SInt64(w) * h <= kFallbackPixelLimit) return 1;
    SInt32 k = 2;
    while (SInt64(w / k) * (h / k) > kFallbackPixelLimit) k++;
    return k;
}

void BzFormatNumber(float value, char *out, size_t room) {
    if (!out || room == 0) return;
    char text[64];
    {
        CLocaleScope c;
        std::snprintf(text, sizeof text, "%.3f", double(value));
    }
    size_t len = std::strlen(text);
    if (std::strchr(text, '.')) {
        while (len > 0 && text[len - 1] == '0') text[--len] = 0;
        if (len > 0 && text[len - 1] == '.') text[--len] = 0;
    }
    if (std::strcmp(text, "-0") == 0) std::strcpy(text, "0");
    std::snprintf(out, room, "%s ", text);
}

void OrvaDrawBezier(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                    Boolean antialias) {
    GrafPtr port = qd.thePort;
    if (!port || !points || n < 1) return;
    if (port->picSave) {
        PenState pen;
        GetPenState(&pen);
        for (SInt32 first = 0; first < n; first += kBezierPointsPerComment)
            RecordStartComment(points + first, std::min<SInt32>(kBezierPointsPerComment, n - first), kind, cap, join,
                               miterLimit, PicComment);
        RecordFallback(points, n, kind, cap, join, miterLimit);
        SetPenState(&pen);
        Handle stop = NewHandle(4);
        if (stop) {
            std::memcpy(*stop, "STOP", 4);
            PicComment(kPictCommentBezier, 4, stop);
            DisposHandle(stop);
        }
    }
    DrawChain(points, n, kind, cap, join, miterLimit, antialias);
}

static void DrawChain(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                      Boolean antialias) {
    GrafPtr port = qd.thePort;
    if (!port || port->pnVis < 0 || !port->context) return;
    OrvaRecalculeRgnClip();
    Handle converted = SystemDependantConvertRgn(OrvaRgnClip);
    SystemDependantSetRgnClip(port, converted);
    SystemDependantBezierShape(port, points, n, port->rgbFgColor.red, port->rgbFgColor.green, port->rgbFgColor.blue,
                               port->pnMode, kind, cap, join, miterLimit, antialias);
    Rect box;
    BzGetBBox(points, n, &box);
    SInt32 pen = std::max(port->pnSize.h, port->pnSize.v);
    OrvaAddDirtyRect(SInt16(std::max(-32767, box.left - pen)), SInt16(std::max(-32767, box.top - pen)),
                     SInt16(std::min(32766, box.right + pen)), SInt16(std::min(32766, box.bottom + pen)));
    SystemDependantSetRgnClip(port, nullptr);
    SystemDependantFreeRgn(converted);
}

static void RecordStartComment(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                               void (*comment)(SInt16, SInt16, Handle)) {
    std::string text;
    char number[64];
    {
        CLocaleScope c;
        std::snprintf(number, sizeof number, "START %d %d %d %.04f %d ", kind, cap, join, double(miterLimit), SInt32(n));
    }
    text = number;
    for (SInt32 i = 0; i < n; i++) {
        const float values[kBezierFloatsPerPoint] = {points[i].inX, points[i].inY, points[i].x,
                                                     points[i].y,   points[i].outX, points[i].outY};
        for (float v : values) {
            BzFormatNumber(v, number, sizeof number);
            text += number;
        }
    }
    if (text.size() > 32767) return;
    Handle h = NewHandle(UInt32(text.size()));
    if (!h) return;
    std::memcpy(*h, text.data(), text.size());
    comment(kPictCommentBezier, SInt16(text.size()), h);
    DisposHandle(h);
}

static void RecordFallback(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit) {
    GrafPtr port = qd.thePort;
    Rect box;
    BzGetBBox(points, n, &box);
    SInt32 w = SInt32(box.right) - box.left, h = SInt32(box.bottom) - box.top;
    if (w <= 0 || h <= 0) return;
    SInt32 k = BzFallbackReduction(w, h);
    SInt32 ow = std::max<SInt32>(1, w / k), oh = std::max<SInt32>(1, h / k);
    std::vector<BezierPoint> copy(points, points + n);
    for (BezierPoint &p : copy) {
        p.x = (p.x - box.left) / k;
        p.y = (p.y - box.top) / k;
        p.inX = (p.inX - box.left) / k;
        p.inY = (p.inY - box.top) / k;
        p.outX = (p.outX - box.left) / k;
        p.outY = (p.outY - box.top) / k;
    }
    Point penSize = port->pnSize;
    GrafPtr off = OrvaCreatePortOffscreen(SInt16(ow), SInt16(oh), 24);
    if (!off) return;
    SetPort(off);
    ForeColor(33);
    BackColor(30);
    EraseRect(&off->portRect);
    SInt16 pw = SInt16(penSize.h / k), ph = SInt16(penSize.v / k);
    if (pw == 0 && penSize.h != 0) pw = 1;
    if (ph == 0 && penSize.v != 0) ph = 1;
    PenSize(pw, ph);
    OrvaDrawBezier(copy.data(), n, kind, cap, join, miterLimit, false);
    SetPort(port);
    PenSize(1, 2);
    for (SInt32 r = 0; r < oh; r++) {
        const UInt8 *row = (const UInt8 *)off->effectiveBase + SInt64(r) * off->rowStride;
        SInt32 a = -1;
        for (SInt32 x = 0; x <= ow; x++) {
            Boolean ink = false;
            if (x < ow) {
                UInt32 pixel;
                std::memcpy(&pixel, row + 4 * SInt64(x), 4);
                ink = ((pixel >> 8) & 0xFF) < kFallbackInkGreen;
            }
            if (ink && a < 0) a = x;
            if (!ink && a >= 0) {
                _MoveTo(SInt16(a * k + box.left), SInt16(r * k + box.top));
                _LineTo(SInt16((x - 1) * k + box.left), SInt16(r * k + box.top));
                a = -1;
            }
        }
    }
    OrvaClosePortOffscreen(off);
    SetPort(port);
}

// Reads one number ended by a space; false when there is none, it is not finite or too large.
static Boolean ReadNumber(const char **cursor, const char *end, float *value) {
    const char *p = *cursor;
    while (p < end && *p == ' ') p++;
    const char *start = p;
    while (p < end && *p != ' ') p++;
    if (p >= end || p == start || p - start > 40) return false;
    std::string token(start, p);
    char *stop = nullptr;
    double v;
    {
        CLocaleScope c;
        v = std::strtod(token.c_str(), &stop);
    }
    if (!stop || *stop != 0 || !std::isfinite(v) || std::fabs(v) > kCoordinateLimit) return false;
    *value = float(v);
    *cursor = p;
    return true;
}

SInt16 BzProcessBezierCommand(const char *text, SInt32 length, Boolean recording, Boolean direct,
                              void (*map)(float *x, float *y)) {
    if (!text || length <= 0) return 0;
    if (length >= 7 && std::memcmp(text, "START ", 6) == 0) {
        const char *p = text + 5, *end = text + length;
        float style[5];
        for (float &v : style)
            if (!ReadNumber(&p, end, &v)) return 1;
        SInt16 kind = SInt16(style[0]), cap = SInt16(style[1]), join = SInt16(style[2]);
        float miter = style[3];
        SInt32 count = SInt16(SInt32(style[4]));
        if (count < 0) count = 0;
        std::vector<BezierPoint> points;
        for (SInt32 i = 0; i < count; i++) {
            float v[kBezierFloatsPerPoint];
            for (float &x : v)
                if (!ReadNumber(&p, end, &x)) return 1;  // a cut-off chain is dropped
            BezierPoint pt = {v[2], v[3], v[0], v[1], v[4], v[5]};
            if (map) {
                map(&pt.inX, &pt.inY);
                map(&pt.x, &pt.y);
                map(&pt.outX, &pt.outY);
            }
            points.push_back(pt);
        }
        gBz.kind = kind;
        gBz.cap = cap;
        gBz.join = join;
        gBz.miterLimit = miter;
        if (recording) {
            auto saved = gBz.saved.commentProc ? gBz.saved.commentProc : StdComment;
            if (!points.empty()) RecordStartComment(points.data(), SInt32(points.size()), kind, cap, join, miter, saved);
        } else {
            gBz.nodes.insert(gBz.nodes.end(), points.begin(), points.end());
            gBz.haveNodes = true;
            gBz.engaged = true;
        }
        return 1;
    }
    if (length >= 4 && std::memcmp(text, "STOP", 4) == 0 && !recording) {
        if (gBz.haveNodes && !gBz.nodes.empty()) {
            GrafPtr port = qd.thePort;
            SInt32 n = SInt32(gBz.nodes.size());
            if (direct) {
                if (port)
                    SystemDependantBezierShape(port, gBz.nodes.data(), n, port->rgbFgColor.red, port->rgbFgColor.green,
                                               port->rgbFgColor.blue, port->pnMode, gBz.kind, gBz.cap, gBz.join,
                                               gBz.miterLimit, false);
            } else {
                OrvaDrawBezier(gBz.nodes.data(), n, gBz.kind, gBz.cap, gBz.join, gBz.miterLimit, true);
            }
        }
        gBz.nodes.clear();
        gBz.haveNodes = false;
        gBz.engaged = false;
        return 1;
    }
    return 0;
}

void BzSetBezierEngagedInDrawPict(Boolean engaged) { gBz.engaged = engaged; }

Boolean BzIsBezierEngagedInDrawPict() { return gBz.engaged; }

void OrvaDrawPicture(PicHandle picture, const Rect *dstRect) {
    GrafPtr port = qd.thePort;
    if (!port || !picture || !*picture || !dstRect || GetHandleSize((Handle)picture) < sizeof(Picture)) return;
    OrvaGetPicFrame(picture, &gBz.src);
    gBz.dst = *dstRect;
    gBz.engaged = false;
    gBz.nodes.clear();
    gBz.haveNodes = false;
    GrafProcs *former = port->grafProcs;
    GrafProcs outerSaved = gBz.saved;  // nested playback keeps the outer table
    if (former) gBz.saved = *former;
    else std::memset(&gBz.saved, 0, sizeof gBz.saved);
    GrafProcs working = gBz.saved;
    working.lineProc = BezierLine;
    working.commentProc = BezierComment;
    SetPortGrafProcs(port, &working);
    DrawPicture(picture, dstRect);
    SetPortGrafProcs(port, former);
    gBz.saved = outerSaved;
    gBz.engaged = false;
    gBz.nodes.clear();
    gBz.haveNodes = false;
}

static void MapToDestination(float *x, float *y) {
    float sw = float(gBz.src.right - gBz.src.left), sh = float(gBz.src.bottom - gBz.src.top);
    if (sw != 0) *x = gBz.dst.left + (*x - gBz.src.left) * float(gBz.dst.right - gBz.dst.left) / sw;
    if (sh != 0) *y = gBz.dst.top + (*y - gBz.src.top) * float(gBz.dst.bottom - gBz.dst.top) / sh;
}

static void BezierComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    if (kind == kPictCommentBezier && dataHandle && *dataHandle && dataSize > 0) {
        GrafPtr port = qd.thePort;
        if (BzProcessBezierCommand(*dataHandle, dataSize, port && port->picSave, false, MapToDestination)) return;
    }
    if (gBz.saved.commentProc) gBz.saved.commentProc(kind, dataSize, dataHandle);
    else StdComment(kind, dataSize, dataHandle);
}

static void BezierLine(Point newPt) {
    if (gBz.engaged) {
        _MoveTo(newPt.h, newPt.v);
        return;
    }
    if (gBz.saved.lineProc) gBz.saved.lineProc(newPt);
    else StdLine(newPt);
}
