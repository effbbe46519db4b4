// Rectangle and point arithmetic.
#include "graphics/quickdraw/rects.h"

#include <algorithm>

// Limits beyond which _OffsetRect leaves an edge where it is.
enum : SInt16 { kOffsetLow = -31999, kOffsetHigh = 32000 };

void _SetRect(Rect *r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    r->top = top;
    r->left = left;
    r->bottom = bottom;
    r->right = right;
}

void _OffsetRect(Rect *r, SInt16 dh, SInt16 dv) {
    if (dh != 0) {
        if (r->left >= kOffsetLow) r->left = SInt16(r->left + dh);
        if (r->right < kOffsetHigh) r->right = SInt16(r->right + dh);
    }
    if (dv != 0) {
        if (r->top >= kOffsetLow) r->top = SInt16(r->top + dv);
        if (r->bottom < kOffsetHigh) r->bottom = SInt16(r->bottom + dv);
    }
}

void InsetRect(Rect *r, SInt16 dh, SInt16 dv) {
    SInt32 left = r->left + dh, right = r->right - dh;
    SInt32 top = r->top + dv, bottom = r->bottom - dv;
    if (right <= left || bottom <= top || left < -32768 || right > 32767 || top < -32768 || bottom > 32767) {
        _SetRect(r, 0, 0, 0, 0);
        return;
    }
    _SetRect(r, SInt16(left), SInt16(top), SInt16(right), SInt16(bottom));
}

Boolean SectRect(const Rect *a, const Rect *b, Rect *out) {
    Rect s;
    s.top = std::max(a->top, b->top);
    s.left = std::max(a->left, b->left);
    s.bottom = std::min(a->bottom, b->bottom);
    s.right = std::min(a->right, b->right);
    Boolean meets = !EmptyRect(a) && !EmptyRect(b) && !EmptyRect(&s);
    if (!meets) _SetRect(&s, 0, 0, 0, 0);
    if (out) *out = s;
    return meets;
}

void _UnionRect(const Rect *a, const Rect *b, Rect *out) {
    if (EmptyRect(a)) {
        *out = *b;
        return;
    }
    if (EmptyRect(b)) {
        *out = *a;
        return;
    }
    Rect u;
    u.top = std::min(a->top, b->top);
    u.left = std::min(a->left, b->left);
    u.bottom = std::max(a->bottom, b->bottom);
    u.right = std::max(a->right, b->right);
    *out = u;
}

Boolean EmptyRect(const Rect *r) { return r->bottom <= r->top || r->right <= r->left; }

Boolean _EqualRect(const Rect *a, const Rect *b) {
    return a->top == b->top && a->left == b->left && a->bottom == b->bottom && a->right == b->right;
}

Boolean EqualPt(Point a, Point b) { return a.v == b.v && a.h == b.h; }

Boolean _PtInRect(Point pt, const Rect *r) {
    return pt.v >= r->top && pt.v < r->bottom && pt.h >= r->left && pt.h < r->right;
}

void Pt2Rect(Point a, Point b, Rect *out) {
    out->top = std::min(a.v, b.v);
    out->left = std::min(a.h, b.h);
    out->bottom = SInt16(std::min(std::max(a.v, b.v) + 1, 32767));
    out->right = SInt16(std::min(std::max(a.h, b.h) + 1, 32767));
}
