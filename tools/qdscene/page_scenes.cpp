// The page scene.
#include "page_scenes.h"

#include <cstring>

#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"

void DrawPageScene(GrafPtr port) {
    PenSize(2, 2);
    Rect r = {40, 40, 120, 160};
    _FrameRect(&r);
    Rect p = {40, 180, 120, 300};
    PaintRect(&p);
    Rect o = {140, 40, 220, 160};
    FrameOval(&o);
    Rect po = {140, 180, 220, 300};
    PaintOval(&po);
    Rect rr = {240, 40, 320, 160};
    FrameRoundRect(&rr, 24, 24);
    Rect a = {240, 180, 320, 300};
    PaintArc(&a, 45, 135);
    PenSize(3, 3);
    _MoveTo(320, 40);
    _LineTo(560, 120);
    PenSize(1, 1);
    PolyHandle poly = OpenPoly();
    _MoveTo(340, 160);
    _LineTo(560, 180);
    _LineTo(450, 300);
    _LineTo(340, 160);
    ClosePoly();
    PaintPoly(poly);
    KillPoly(poly);
    RgnHandle one = NewRgn(), two = NewRgn();
    _SetRectRgn(one, 40, 340, 200, 420);
    _SetRectRgn(two, 120, 380, 280, 460);
    XorRgn(one, two, one);
    _PaintRgn(one);
    DisposeRgn(one);
    DisposeRgn(two);
    TextSize(24);
    _MoveTo(320, 380);
    _DrawText("Orva page", 0, 9);
    // A bit image: stripes 32 x 16.
    static UInt8 bits[4 * 16];
    for (int y = 0; y < 16; y++) std::memset(bits + 4 * y, y & 2 ? 0xFF : 0x0F, 4);
    BitMap map = {(Ptr)bits, 4, {0, 0, 16, 32}};
    Rect src = {0, 0, 16, 32}, dst = {500, 40, 564, 168};
    CopyBits(&map, &port->portBits, &src, &dst, 0, nullptr);
    // A direct image: the top-left of the page drawn so far, copied below.
    Rect from = {40, 40, 120, 160}, to = {500, 200, 580, 320};
    CopyBits(&port->portBits, &port->portBits, &from, &to, 0, nullptr);
    // A Bezier curve.
    BezierPoint curve[3] = {{360, 620, 360, 620, 420, 540}, {480, 640, 440, 700, 520, 580}, {560, 600, 540, 560, 560, 600}};
    PenSize(4, 4);
    OrvaDrawBezier(curve, 3, kBezierOpenStroke, kBezierCapRound, kBezierJoinRound, 4, true);
    PenSize(1, 1);
}
