// Rectangle and point arithmetic on 16-bit coordinates; right and bottom are exclusive.
#pragma once

#include "platform/core/mac_types.h"

void _SetRect(Rect *r, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
// Moves each edge only while it lies inside +-32000, so that a rectangle reaching the edge of the
// coordinate space keeps that edge: left and top move when >= -31999, right when < 32000, bottom
// when <= 31999.
void _OffsetRect(Rect *r, SInt16 dh, SInt16 dv);
void InsetRect(Rect *r, SInt16 dh, SInt16 dv);  // an empty result becomes 0,0,0,0
// The overlap of a and b; false and out = 0,0,0,0 (when out is given) when either is empty or
// they do not meet. out may be a or b.
Boolean SectRect(const Rect *a, const Rect *b, Rect *out);
void _UnionRect(const Rect *a, const Rect *b, Rect *out);  // an empty input gives the other
Boolean EmptyRect(const Rect *r);                          // bottom <= top or right <= left
Boolean _EqualRect(const Rect *a, const Rect *b);
Boolean EqualPt(Point a, Point b);
Boolean _PtInRect(Point pt, const Rect *r);  // top and left inclusive, bottom and right exclusive
void Pt2Rect(Point a, Point b, Rect *out);    // right and bottom one past the larger coordinate
