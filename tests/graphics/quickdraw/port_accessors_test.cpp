// The port and QuickDraw-globals accessors.
#include "graphics/quickdraw/port_accessors.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/regions.h"
#include "support/graphics/rect_support.h"

namespace {

TEST(PortAccessors, RegionsAreCopiedAndTheCurrentPortIsLeftAlone) {
    OrvaInitGraf(&qd.thePort, 1);
    GrafPtr saved;
    GetPort(&saved);
    GrafPtr port = CreateNewPort();
    ASSERT_NE(port, nullptr);
    GrafPtr now;
    GetPort(&now);
    EXPECT_EQ(now, saved);  // creating a port leaves the current one alone
    EXPECT_FALSE(IsPortPictureBeingDefined(port));

    RgnHandle clip = NewRgn();
    Rect r = {1, 2, 30, 40};
    RectRgn(clip, &r);
    SetPortClipRegion(port, clip);
    RgnHandle back = NewRgn();
    GetPortClipRegion(port, back);
    Rect box;
    GetRegionBounds(back, &box);
    EXPECT_TRUE(RectIs(box, 1, 2, 30, 40));
    DisposeRgn(clip);
    DisposeRgn(back);
    DisposePort(port);
    EXPECT_EQ(GetPortTextFont(nullptr), 0);
}

TEST(PortAccessors, APortsPixelMapDescribesItsPixels) {
    OrvaInitGraf(&qd.thePort, 1);
    GrafPtr saved;
    GetPort(&saved);
    GrafPtr port = CreateNewPort();
    SetPort(port);
    PortSize(40, 30);
    SetOrigin(5, 7);
    PixMapHandle map = GetPortPixMap(port);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(GetPortPixMap(port), map);  // one per port
    EXPECT_EQ(GetPixDepth(map), 32);      // four bytes a pixel
    EXPECT_TRUE(RectIs((**map).bounds, 7, 5, 37, 45));
    EXPECT_EQ((**map).baseAddr, port->effectiveBase);
    EXPECT_EQ((**map).rowBytes & 0x3FFF, port->rowStride);
    EXPECT_NE((**map).rowBytes & 0x8000, 0);
    EXPECT_EQ(GetPortPixMap(nullptr), nullptr);
    SetPort(saved);
    DisposePort(port);  // the pixel map goes with it (the sanitizer build sees a leak)
}

}  // namespace
