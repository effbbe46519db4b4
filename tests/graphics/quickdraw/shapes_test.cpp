// ctest-labels: raster raster.shapes
// Shape verbs: the pixels of frames, lines, polygons, arcs and ovals, the verbs' pens and
// patterns, inversion and the one-shot highlight, and hostile arguments.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

const UInt32 kWhite = 0xFFFFFF, kBlack = 0;

class Shapes : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 120, 100);
        Clear();
    }
    void TearDown() override { ClosePort(&port); }
    void Clear() {
        OrvaFillSurfaceRect(&port, 0, 0, 119, 99, kWhite);
        PenNormal();
    }
    bool Black(SInt32 x, SInt32 y) { return PortPixel(&port, x, y) == kBlack; }
    // The box of the black pixels; false when there are none.
    bool InkBox(Rect *box) {
        SInt32 top = 1000, left = 1000, bottom = -1, right = -1;
        for (SInt32 y = 0; y < 100; y++)
            for (SInt32 x = 0; x < 120; x++)
                if (Black(x, y)) {
                    top = std::min(top, y), left = std::min(left, x);
                    bottom = std::max(bottom, y + 1), right = std::max(right, x + 1);
                }
        _SetRect(box, SInt16(left), SInt16(top), SInt16(right), SInt16(bottom));
        return bottom >= 0;
    }
    SInt32 InkCount() {
        SInt32 n = 0;
        for (SInt32 y = 0; y < 100; y++)
            for (SInt32 x = 0; x < 120; x++) n += Black(x, y);
        return n;
    }
};

TEST_F(Shapes, FramesLieInsideTheRectanglePenThick) {
    Rect r = {0, 0, 10, 10};
    for (SInt16 pen : {1, 3}) {
        Clear();
        PenSize(pen, pen);
        _FrameRect(&r);
        for (SInt32 y = 0; y < 12; y++)
            for (SInt32 x = 0; x < 12; x++) {
                bool edge = (x < pen || x >= 10 - pen || y < pen || y >= 10 - pen) && x < 10 && y < 10;
                ASSERT_EQ(Black(x, y), edge) << pen << ": " << x << "," << y;
            }
    }
    EXPECT_EQ(port.pnSize.h, 3);
    EXPECT_EQ(port.pnLoc.h, 0);
}

TEST_F(Shapes, ASteepLineIsOneVerticalRunPerColumn) {
    _MoveTo(0, 0);
    _LineTo(3, 10);
    EXPECT_EQ(port.pnLoc.h, 3);
    EXPECT_EQ(port.pnLoc.v, 10);
    std::vector<SInt32> perRow(11, 0);
    SInt32 previousBottom = -1;
    for (SInt32 x = 0; x < 4; x++) {
        SInt32 top = -1, bottom = -1;
        for (SInt32 y = 0; y < 20; y++)
            if (Black(x, y)) {
                if (top < 0) top = y;
                EXPECT_TRUE(bottom < 0 || bottom == y - 1) << "one run in column " << x;
                bottom = y;
                perRow[size_t(y)]++;
            }
        EXPECT_EQ(top, previousBottom + 1);
        previousBottom = bottom;
    }
    EXPECT_EQ(previousBottom, 10);
    for (SInt32 n : perRow) EXPECT_EQ(n, 1);
    EXPECT_FALSE(Black(4, 10));
}

TEST_F(Shapes, ShallowLinesRunAlongRowsEitherWay) {
    _MoveTo(10, 0);
    _LineTo(0, 2);
    EXPECT_TRUE(Black(10, 0) && Black(6, 0) && !Black(5, 0));
    EXPECT_TRUE(Black(5, 1) && Black(1, 1) && !Black(0, 1));
    EXPECT_TRUE(Black(0, 2) && !Black(1, 2));
    Clear();
    _MoveTo(20, 20);
    _LineTo(60, 20);
    Rect box;
    ASSERT_TRUE(InkBox(&box));
    EXPECT_EQ(box.left, 20);
    EXPECT_EQ(box.right, 61);
    EXPECT_EQ(box.bottom, 21);
}

TEST_F(Shapes, PolygonsFillHalfOpenAndRejectBadSizes) {
    PolyHandle poly = OpenPoly();
    ASSERT_NE(poly, nullptr);
    _MoveTo(10, 10);
    _LineTo(50, 10);
    _LineTo(10, 50);
    _LineTo(10, 10);
    ClosePoly();
    EXPECT_EQ((*poly)->polySize, 10 + 4 * 4);
    EXPECT_EQ((*poly)->polyBBox.right, 51);
    EXPECT_EQ((*poly)->polyBBox.bottom, 51);
    EXPECT_EQ(InkCount(), 0);  // building a polygon draws nothing
    PaintPoly(poly);
    Rect box;
    ASSERT_TRUE(InkBox(&box));
    EXPECT_EQ(box.top, 10);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 50);   // the right end of each span is left out
    EXPECT_EQ(box.bottom, 50);  // and the last row
    EXPECT_TRUE(Black(30, 30));  // the hypotenuse crosses row 30 at 31
    EXPECT_FALSE(Black(31, 30));
    Clear();
    FramePoly(poly);
    EXPECT_TRUE(Black(50, 10) && Black(10, 50) && Black(30, 30));
    // A size word past the handle or below two points draws nothing.
    Clear();
    (*poly)->polySize = 200;
    PaintPoly(poly);
    FramePoly(poly);
    (*poly)->polySize = 14;
    PaintPoly(poly);
    FramePoly(poly);
    (*poly)->polySize = 2;
    PaintPoly(poly);
    EXPECT_EQ(InkCount(), 0);
    KillPoly(poly);
}

TEST_F(Shapes, ArcsRunClockwiseFromTwelveOClock) {
    Rect r = {0, 0, 21, 21};
    FrameArc(&r, 0, 90);
    EXPECT_TRUE(Black(10, 0));
    EXPECT_TRUE(Black(20, 10));
    Rect box;
    ASSERT_TRUE(InkBox(&box));
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.bottom, 11);
    Clear();
    FrameArc(&r, 0, -90);
    EXPECT_TRUE(Black(10, 0));
    EXPECT_TRUE(Black(0, 10));
    ASSERT_TRUE(InkBox(&box));
    EXPECT_EQ(box.right, 11);
    EXPECT_EQ(port.pnLoc.h, 0);  // arcs leave the pen where it was
}

TEST_F(Shapes, FillArcUsesTheLastFillPattern) {
    Rect r = {0, 0, 60, 60}, small = {90, 90, 92, 92};
    _FillRect(&small, &qd.ltGray);
    Clear();
    FillArc(&r, 90, 90);  // the lower right quarter
    SInt32 checked = 0;
    for (SInt32 y = 35; y < 50; y++)
        for (SInt32 x = 35; x < 50; x++) {
            bool set = (qd.ltGray.pat[y & 7] & (0x80 >> (x & 7))) != 0;
            ASSERT_EQ(Black(x, y), set) << x << "," << y;
            checked++;
        }
    EXPECT_EQ(checked, 225);
    EXPECT_FALSE(Black(10, 10));
}

TEST_F(Shapes, InvertingTwiceRestoresAndAClearedBitHighlightsOnce) {
    Rect r = {5, 5, 40, 60};
    PenPat(&qd.gray);
    PaintOval(&r);
    std::vector<UInt32> before;
    for (SInt32 y = 0; y < 100; y++)
        for (SInt32 x = 0; x < 120; x++) before.push_back(PortPixel(&port, x, y));
    void (*const inverts[])(const Rect *) = {_InvertRect, InvertOval};
    for (auto invert : inverts) {
        invert(&r);
        EXPECT_NE(PortPixel(&port, 30, 20), before[size_t(20 * 120 + 30)]);
        invert(&r);
        for (SInt32 i = 0; i < SInt32(before.size()); i++) ASSERT_EQ(PortPixel(&port, i % 120, i / 120), before[size_t(i)]);
    }
    EXPECT_EQ(std::memcmp(port.pnPat.pat, qd.gray.pat, 8), 0);  // the caller's pen is back
    HiliteMode &= 0x7F;
    Rect white = {60, 60, 70, 70};
    _InvertRect(&white);
    EXPECT_EQ(PortPixel(&port, 65, 65), 0x00F080u);  // the highlight colour
    EXPECT_EQ(HiliteMode & 0x80, 0x80);
    _InvertRect(&white);
    EXPECT_EQ(PortPixel(&port, 65, 65), 0xFF0F7Fu);  // an ordinary inversion this time
}

TEST_F(Shapes, OvalsAreMirrorSymmetricAtEverySize) {
    for (SInt16 w = 1; w <= 40; w++)
        for (SInt16 h = 1; h <= 40; h++) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            for (int frame = 0; frame < 2; frame++) {
                Clear();
                Rect r = {10, 10, SInt16(10 + h), SInt16(10 + w)};
                if (frame) FrameOval(&r);
                else PaintOval(&r);
                Rect box;
                if (!InkBox(&box)) {
                    ASSERT_TRUE(w < 2 || h < 2 || frame) << "only tiny ovals draw nothing";
                    continue;
                }
                ASSERT_GE(box.left, r.left);
                ASSERT_GE(box.top, r.top);
                ASSERT_LE(box.right, r.right);
                ASSERT_LE(box.bottom, r.bottom);
                for (SInt32 y = box.top; y < box.bottom; y++)
                    for (SInt32 x = box.left; x < box.right; x++) {
                        ASSERT_EQ(Black(x, y), Black(box.left + box.right - 1 - x, y)) << x << "," << y;
                        ASSERT_EQ(Black(x, y), Black(x, box.top + box.bottom - 1 - y)) << x << "," << y;
                    }
                if (!frame && w >= 2 && h >= 2) {
                    EXPECT_EQ(box.top, r.top);
                    EXPECT_EQ(box.bottom, r.bottom);
                }
            }
        }
}

// Their fills are checked against the frames with the region tests.
TEST_F(Shapes, RoundedRectangleFramesReachEverySideOfTheirRectangle) {
    const SInt16 ovals[][2] = {{0, 0}, {6, 6}, {20, 10}, {400, 400}, {-10, -10}};
    Rect r = {10, 10, 50, 70}, box;
    for (const auto &oval : ovals) {
        SCOPED_TRACE(oval[0]);
        Clear();
        FrameRoundRect(&r, oval[0], oval[1]);
        ASSERT_TRUE(InkBox(&box));
        EXPECT_TRUE(_EqualRect(&box, &r)) << box.top << "," << box.left << "," << box.bottom << "," << box.right;
    }
}

TEST_F(Shapes, AHiddenPenDrawsNothing) {
    HidePen();
    Rect r = {10, 10, 50, 50};
    PolyHandle poly = (PolyHandle)NewHandleClear(10 + 3 * 4);
    (*poly)->polySize = 10 + 3 * 4;
    (*poly)->polyPoints[1] = {40, 40};
    (*poly)->polyPoints[2] = {0, 40};
    PaintRect(&r);
    _FrameRect(&r);
    PaintOval(&r);
    InvertOval(&r);
    PaintRoundRect(&r, 10, 10);
    PaintArc(&r, 0, 180);
    FramePoly(poly);
    PaintPoly(poly);
    _LineTo(90, 90);
    ShowPen();
    EXPECT_EQ(InkCount(), 0);
    EXPECT_EQ(port.pnLoc.h, 90);
    KillPoly(poly);
}

TEST_F(Shapes, ExtremeCoordinatesPensAndAnglesStayInsideThePort) {
    const Rect rects[] = {{-32768, -32768, 32767, 32767}, {32767, 32767, -32768, -32768}, {50, 50, 50, 50},
                          {50, 50, 51, 51}, {-32768, 0, -32767, 1}, {0, -32768, 100, 32767}};
    const SInt16 pens[] = {0, -3, 1, 32767};
    const SInt16 angles[][2] = {{-720, 1000}, {400, 1}};
    for (const Rect &r : rects)
        for (SInt16 pen : pens) {
            PenSize(pen, pen);
            _FrameRect(&r);
            FrameOval(&r);
            FrameRoundRect(&r, 32767, 32767);
            for (const auto &a : angles) {
                FrameArc(&r, a[0], a[1]);
                PaintArc(&r, a[0], a[1]);
            }
            PaintOval(&r);
            InvertOval(&r);
            PaintRoundRect(&r, -5, 32767);
            _MoveTo(r.left, r.top);
            _LineTo(r.right, r.bottom);
            _LineTo(-32768, 32767);
        }
    PenNormal();
}

}  // namespace
