// ctest-labels: ports;ports.dirty
// Dirty areas: merging into the five slots of a port and handing them to the refresh.
#include <gtest/gtest.h>

#include <vector>

#include "graphics/quickdraw/rects.h"
#include "graphics/cairo/dirty_areas.h"
#include "graphics/cairo/port_surfaces.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/rect_support.h"

namespace {

class Dirty : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 1000, 800);
        Clear(&port);
    }
    void TearDown() override { ClosePort(&port); }
    static void Clear(GrafPort *p) {
        for (Rect &slot : p->dirty) _SetRect(&slot, 0, 0, 0, 0);
    }
};

TEST_F(Dirty, NothingOrOutsideRecordsNothing) {
    OrvaAddDirtyRect(0, 0, 0, 0);
    OrvaAddDirtyRect(2000, 10, 2100, 20);
    OrvaAddDirtyRect(-50, -50, -10, -10);
    for (const Rect &slot : port.dirty) EXPECT_TRUE(EmptyRect(&slot));
    OrvaAddDirtyRect(990, 790, 1200, 900);  // cut to the port
    EXPECT_TRUE(RectIs(port.dirty[0], 790, 990, 800, 1000));
}

TEST_F(Dirty, CornersAreIncludedAndMarginsShift) {
    OrvaAddDirtyRect(1, 1, 1, 1);
    EXPECT_TRUE(RectIs(port.dirty[0], 1, 1, 2, 2));
    Clear(&port);
    port.marginTop = 2;
    port.marginLeft = 3;
    OrvaAddDirtyRect(1, 1, 1, 1);
    EXPECT_TRUE(RectIs(port.dirty[0], 3, 4, 4, 5));
    Clear(&port);
    port.systemDraw = 1;
    OrvaAddDirtyRect(1, 1, 1, 1);
    EXPECT_TRUE(RectIs(port.dirty[0], 1, 1, 2, 2));
}

TEST_F(Dirty, SixFarApartRectanglesFillFiveSlots) {
    const SInt16 spots[6][2] = {{0, 0}, {500, 0}, {0, 700}, {900, 700}, {450, 350}, {880, 20}};
    for (const auto &s : spots) OrvaAddDirtyRect(s[0], s[1], SInt16(s[0] + 9), SInt16(s[1] + 9));
    // The sixth wastes least with the second slot (500,0): a 390 x 30 union.
    EXPECT_TRUE(RectIs(port.dirty[0], 0, 0, 10, 10));
    EXPECT_TRUE(RectIs(port.dirty[1], 0, 500, 30, 890));
    EXPECT_TRUE(RectIs(port.dirty[2], 700, 0, 710, 10));
    EXPECT_TRUE(RectIs(port.dirty[3], 700, 900, 710, 910));
    EXPECT_TRUE(RectIs(port.dirty[4], 350, 450, 360, 460));
}

TEST_F(Dirty, CloseRectanglesShareASlot) {
    OrvaAddDirtyRect(100, 100, 109, 109);
    OrvaAddDirtyRect(115, 100, 124, 108);  // 5 pixels apart: waste 10 x 5 + 10 = 60
    EXPECT_TRUE(RectIs(port.dirty[0], 100, 100, 110, 125));
    EXPECT_TRUE(EmptyRect(&port.dirty[1]));
    OrvaAddDirtyRect(300, 100, 309, 109);  // far: a slot of its own
    EXPECT_TRUE(RectIs(port.dirty[1], 100, 300, 110, 310));
}

TEST_F(Dirty, EdgesOfTheCoordinateSpaceMergeWithoutOverflow) {
    GrafPort big = port;  // a record only: the slots use the rectangle, not the pixels
    _SetRect(&big.portRect, -32767, -32767, 32767, 32767);
    Clear(&big);
    OrvaAddDirtyRectPort(&big, 32000, 32000, 32767, 32767);
    EXPECT_TRUE(RectIs(big.dirty[0], 32000, 32000, 32767, 32767));
    OrvaAddDirtyRectPort(&big, 0, 0, 9, 9);
    OrvaAddDirtyRectPort(&big, 0, 30000, 9, 30009);
    OrvaAddDirtyRectPort(&big, 30000, 0, 30009, 9);
    OrvaAddDirtyRectPort(&big, 15000, 15000, 15009, 15009);
    OrvaAddDirtyRectPort(&big, 16000, 16000, 16009, 16009);  // least waste: with 15000
    EXPECT_TRUE(RectIs(big.dirty[4], 15000, 15000, 16010, 16010));
    OrvaAddDirtyRectPort(&big, 0, 0, 32767, 32767);
    EXPECT_TRUE(RectIs(big.dirty[0], 0, 0, 32767, 32767));
}

struct Refresh {
    GrafPort *port;
    std::vector<Rect> handed;
    int passes;
} gRefresh;

TEST_F(Dirty, TheRefreshHandsEverySlotOnceAndEmptiesIt) {
    OrvaAddDirtyRect(0, 0, 9, 9);
    OrvaAddDirtyRect(500, 500, 509, 509);
    OrvaAddDirtyRect(900, 0, 909, 9);
    gRefresh = {&port, {}, 0};
    OrvaSetInvalidateRectHook([](void *window, const Rect *r) {
        EXPECT_EQ(window, (void *)&gRefresh);
        gRefresh.handed.push_back(*r);
    });
    OrvaSetDirtyRefreshPass([]() -> Boolean {
        gRefresh.passes++;
        return OrvaFlushDirtyPort(gRefresh.port, &gRefresh);
    });
    OrvaUpdateDirtyWindows();
    EXPECT_EQ(gRefresh.passes, 2);  // the second pass finds nothing and ends the refresh
    ASSERT_EQ(gRefresh.handed.size(), 3u);
    EXPECT_TRUE(RectIs(gRefresh.handed[0], 0, 0, 10, 10));
    EXPECT_TRUE(RectIs(gRefresh.handed[1], 500, 500, 510, 510));
    EXPECT_TRUE(RectIs(gRefresh.handed[2], 0, 900, 10, 910));
    for (const Rect &slot : port.dirty) EXPECT_TRUE(EmptyRect(&slot));
    EXPECT_FALSE(OrvaFlushDirtyPort(&port, nullptr));
    OrvaSetDirtyRefreshPass(nullptr);
    OrvaSetInvalidateRectHook(nullptr);
}

TEST_F(Dirty, FillingPixelsReportsTheArea) {
    OrvaFillSurfaceRect(&port, 10, 20, 19, 29, 0xFFFFFF);
    EXPECT_TRUE(RectIs(port.dirty[0], 20, 10, 30, 20));
    EXPECT_EQ(PortPixel(&port, 19, 29), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 20, 29), 0u);
}

TEST_F(Dirty, ADesktopNeedsAFrameContext) {
    RgnHandle gray = GetGrayRgn();
    ASSERT_NE(gray, nullptr);
    EXPECT_TRUE(EmptyRgn(gray));
}

}  // namespace
