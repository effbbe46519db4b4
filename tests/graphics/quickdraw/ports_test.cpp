// ctest-labels: ports;ports.ports
// Ports: globals, the current port, sizing, origins, coordinates, surfaces and the effective clip.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstring>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/time_manager.h"
#include "support/graphics/quickdraw_support.h"

namespace {

class Ports : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override { OpenTestPort(&port, 40, 30); }
    void TearDown() override { ClosePort(&port); }
};

Rect RgnBox(RgnHandle rgn) { return (*rgn)->rgnBBox; }

bool SameRect(const Rect &a, SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
    return a.top == top && a.left == left && a.bottom == bottom && a.right == right;
}

TEST_F(Ports, GlobalsHoldTheStandardPatternsAndStartOnce) {
    // Each pattern alternates two rows.
    const struct {
        const Pattern &pattern;
        UInt8 even, odd;
    } patterns[] = {{qd.dkGray, 0x77, 0xDD}, {qd.ltGray, 0x88, 0x22}, {qd.gray, 0x55, 0xAA}, {qd.black, 0xFF, 0xFF}, {qd.white, 0, 0}};
    for (const auto &p : patterns)
        for (int i = 0; i < 8; i++) EXPECT_EQ(p.pattern.pat[i], i % 2 ? p.odd : p.even) << i;

    QDGlobals before = qd;
    RgnHandle clip = OrvaRgnClip;
    qd.randSeed = 42;
    OrvaInitGraf(&qd, 1);
    EXPECT_EQ(qd.randSeed, 42);
    EXPECT_EQ(OrvaRgnClip, clip);
    EXPECT_EQ(qd.thePort, &port);
    qd = before;
}

TEST_F(Ports, ANewPortIsCurrentWithTheTemplateState) {
    EXPECT_EQ(qd.thePort, &port);
    EXPECT_TRUE(SameRect(port.portRect, 0, 0, 30, 40));
    EXPECT_TRUE(SameRect(RgnBox(port.visRgn), 0, 0, 30, 40));
    EXPECT_TRUE(SameRect(RgnBox(port.clipRgn), -32767, -32767, 32767, 32767));
    EXPECT_EQ(port.portBits.baseAddr, kPortPixelsMarker);
    EXPECT_EQ(port.pnSize.v, 1);
    EXPECT_EQ(port.pnMode, 8);
    EXPECT_EQ(port.fgColor, 33);
    EXPECT_EQ(port.bkColor, 30);
    EXPECT_EQ(port.depth, 24);
    EXPECT_EQ(SurfaceWH(&port), std::make_pair(40, 30));
    EXPECT_EQ(OrvaGetPtrDataOffscreen(&port.portBits), port.effectiveBase);
    EXPECT_TRUE(OrvaIsOffscreen(&port.portBits));
}

TEST_F(Ports, SettingTheCurrentPortAgainKeepsTheClipCacheAndTheClipIsCopied) {
    OrvaRecalculeRgnClip();
    EXPECT_TRUE(SameRect(RgnBox(OrvaRgnClip), 0, 0, 30, 40));
    _SetRectRgn(port.clipRgn, 0, 0, 10, 10);  // changed behind QuickDraw's back
    SetPort(&port);
    OrvaRecalculeRgnClip();
    EXPECT_TRUE(SameRect(RgnBox(OrvaRgnClip), 0, 0, 30, 40));
    SetPort(nullptr);
    SetPort(&port);
    OrvaRecalculeRgnClip();
    EXPECT_TRUE(SameRect(RgnBox(OrvaRgnClip), 0, 0, 10, 10));
    // The clip accessors copy the region.
    RgnHandle mine = NewRgn(), out = NewRgn();
    _SetRectRgn(mine, 1, 2, 3, 4);
    SetClip(mine);
    EXPECT_TRUE(SameRect(RgnBox(port.clipRgn), 2, 1, 4, 3));
    EXPECT_NE(port.clipRgn, mine);
    GetClip(out);
    EXPECT_TRUE(SameRect(RgnBox(out), 2, 1, 4, 3));
    DisposeRgn(mine);
    DisposeRgn(out);
}

TEST_F(Ports, SetOriginMovesEverythingButTheClip) {
    SetOrigin(0, 0);
    ClipRect(&port.portRect);
    SetOrigin(10, 20);
    EXPECT_TRUE(SameRect(port.portRect, 20, 10, 50, 50));
    EXPECT_TRUE(SameRect(port.portBits.bounds, 20, 10, 50, 50));
    EXPECT_TRUE(SameRect(RgnBox(port.visRgn), 20, 10, 50, 50));
    EXPECT_TRUE(SameRect(RgnBox(port.clipRgn), 0, 0, 30, 40));
    // The effective clip is in buffer coordinates: the clip's overlap moved back by the origin.
    OrvaRecalculeRgnClip();
    EXPECT_TRUE(SameRect(RgnBox(OrvaRgnClip), 0, 0, 10, 30));
}

TEST_F(Ports, ScreenPositionAndCoordinates) {
    MovePortTo(5, 5);
    MovePortTo(5, 5);
    EXPECT_EQ(std::make_pair(int(port.screenH), int(port.screenV)), std::make_pair(10, 10));
    SetOrigin(3, 4);
    Point pt = {100, 200};
    LocalToGlobal(&pt);
    EXPECT_EQ(HV(pt), std::make_pair(207, 106));
    GlobalToLocal(&pt);
    EXPECT_EQ(HV(pt), std::make_pair(200, 100));
    SetPort(nullptr);
    LocalToGlobal(&pt);  // no current port: nothing happens
    GlobalToLocal(&pt);
    EXPECT_EQ(HV(pt), std::make_pair(200, 100));
    SetPort(&port);
}

TEST_F(Ports, SizingKeepsPixelsWrittenThroughTheDataPointer) {
    for (SInt32 y = 0; y < 30; y++)
        for (SInt32 x = 0; x < 40; x++) {
            UInt32 v = 0x010000 * x + 0x000100 * y + 0x5A;
            std::memcpy(port.effectiveBase + y * port.rowStride + 4 * x, &v, 4);
        }
    PortSize(70, 50);
    ASSERT_EQ(SurfaceWH(&port), std::make_pair(70, 50));
    for (SInt32 y = 0; y < 50; y++)
        for (SInt32 x = 0; x < 70; x++) {
            UInt32 expected = (x < 40 && y < 30) ? 0x010000u * x + 0x000100u * y + 0x5A : 0;
            ASSERT_EQ(PortPixel(&port, x, y), expected) << x << "," << y;
        }
    EXPECT_TRUE(SameRect(RgnBox(port.visRgn), 0, 0, 50, 70));
    // Surfaces have at least one pixel, and pixel-map row bytes.
    PortSize(0, 0);
    EXPECT_EQ(SurfaceWH(&port), std::make_pair(1, 1));
    EXPECT_TRUE(EmptyRect(&port.portRect));
    EXPECT_TRUE(port.portBits.rowBytes & kPixMapFlag);
    EXPECT_EQ(port.portBits.rowBytes & 0x7FFF, port.rowStride);
}

TEST_F(Ports, TheEffectiveBaseSkipsFourBytesPerLeftMarginPixel) {
    port.marginLeft = 3;
    port.marginTop = 2;
    OrvaPortSize(&port, 40, 30, 0, 0, true);
    EXPECT_EQ(SurfaceWH(&port), std::make_pair(43, 32));
    EXPECT_EQ(port.effectiveBase - port.data, 2 * port.rowStride + 3 * 4);
    // A pixel filled at the content's (0, 0) lands after the margins.
    OrvaFillSurfaceRect(&port, 0, 0, 0, 0, 0xABCDEF);
    UInt32 v;
    std::memcpy(&v, port.data + 2 * port.rowStride + 12, 4);
    EXPECT_EQ(v & 0xFFFFFF, 0xABCDEFu);
    port.systemDraw = 1;
    OrvaPortSize(&port, 10, 10, 0, 0, true);
    EXPECT_EQ(port.effectiveBase, port.data);
}

TEST_F(Ports, AWidePortKeepsItsTrueStride) {
    PortSize(9000, 4);
    ASSERT_EQ(port.width, 9000);
    cairo_surface_t *surface = port.surface;
    SInt32 stride = cairo_image_surface_get_stride(surface);
    EXPECT_EQ(port.rowStride, stride);
    EXPECT_GE(stride, 36000);
    EXPECT_EQ(port.portBits.rowBytes & 0x7FFF, stride & 0x7FFF);  // the 15-bit word only
    OrvaFillSurfaceRect(&port, 8500, 1, 8509, 2, 0x00FF00);
    cairo_surface_flush(surface);
    const UInt8 *data = cairo_image_surface_get_data(surface);
    int green = 0;
    for (SInt32 y = 0; y < 4; y++)
        for (SInt32 x = 0; x < 9000; x++) {
            UInt32 v;
            std::memcpy(&v, data + y * stride + 4 * x, 4);
            if ((v & 0xFFFFFF) == 0x00FF00) {
                EXPECT_TRUE(x >= 8500 && x <= 8509 && y >= 1 && y <= 2) << x << "," << y;
                green++;
            }
        }
    EXPECT_EQ(green, 20);
}

TEST_F(Ports, TheEffectiveClipIsVisibleAndClipRegionsMet) {
    PortSize(200, 200);
    RgnHandle top = NewRgn(), left = NewRgn();
    _SetRectRgn(top, 0, 0, 200, 100);
    _SetRectRgn(left, 0, 100, 100, 200);
    _UnionRgn(top, left, port.visRgn);
    Rect clip = {50, 50, 150, 150};
    ClipRect(&clip);
    OrvaRecalculeRgnClip();
    EXPECT_EQ((*OrvaRgnClip)->rgnSize, 36);
    EXPECT_TRUE(SameRect(RgnBox(OrvaRgnClip), 50, 50, 150, 150));
    Point inside = {120, 60}, cut = {120, 120};
    EXPECT_TRUE(PtInRgn(inside, OrvaRgnClip));
    EXPECT_FALSE(PtInRgn(cut, OrvaRgnClip));
    DisposeRgn(top);
    DisposeRgn(left);
}

TEST_F(Ports, ReadingAPixelWithoutAReaderAnswersWhite) {
    VideoOps saved = video;
    video.getPixel = nullptr;
    RGBColor c = {1, 2, 3};
    GetCPixel(5, 5, &c);
    video = saved;
    EXPECT_EQ(c.red, 0xFFFF);
    EXPECT_EQ(c.blue, 0xFFFF);
}

TEST_F(Ports, ClosingTheCurrentPortLeavesNoPort) {
    GrafPort other;
    OpenTestPort(&other, 4, 4);
    ASSERT_EQ(qd.thePort, &other);
    ClosePort(&other);
    EXPECT_EQ(qd.thePort, nullptr);
    EXPECT_EQ(other.surface, nullptr);
    EXPECT_EQ(other.visRgn, nullptr);
    PortSize(10, 10);  // no current port: nothing happens
    SetPort(&port);
}

TEST_F(Ports, TheDeviceFollowsTheScreenBelowTheMenuBar) {
    Rect saved = qd.screenBits.bounds;
    _SetRect(&qd.screenBits.bounds, 0, 0, 1280, 1024);
    OffsetYMBar = 22;
    GDHandle device = GetGDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(GetGDevice(), device);
    EXPECT_TRUE(SameRect((*device)->gdRect, 22, 0, 1024, 1280));
    PixMapHandle map = (*device)->gdPMap;
    ASSERT_NE(map, nullptr);
    EXPECT_TRUE(SameRect((*map)->bounds, 22, 0, 1024, 1280));
    EXPECT_EQ((*map)->hRes, 96 << 16);
    EXPECT_EQ((*map)->pixelSize, 24);
    EXPECT_NE((*map)->pmTable, nullptr);
    OffsetYMBar = 0;
    qd.screenBits.bounds = saved;
}
}  // namespace
