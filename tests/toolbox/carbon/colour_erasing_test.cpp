// ctest-labels: toolbox-ui
// The colour-erasing accessors paint once the theme's drawing state can be read, and give the
// port its colours and pen back.
#include <gtest/gtest.h>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "support/graphics/quickdraw_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/carbon/carbon_accessors.h"

namespace {

TEST(ColourErasing, RectsRegionsAndTextBoxesArePaintedInTheirColour) {
    StartToolboxForTests();
    GrafPort port;
    OpenTestPort(&port, 100, 60);
    EraseRect(&port.portRect);
    PenPat(&qd.gray);
    RGBColor teal = {0x0000, 0x8080, 0x8080}, plum = {0x8080, 0x0000, 0x8080};
    Rect r = {5, 5, 25, 45};
    CarboniseEraseColorRect(&r, &teal);
    EXPECT_EQ(PortPixel(&port, 10, 10), 0x008080u);
    EXPECT_EQ(PortPixel(&port, 50, 10), 0xFFFFFFu);  // only the rectangle
    RgnHandle region = NewRgn();
    Rect regionBox = {30, 60, 50, 90};
    RectRgn(region, &regionBox);
    CarboniseEraseColorRgn(region, &plum);
    EXPECT_EQ(PortPixel(&port, 70, 40), 0x800080u);
    DisposeRgn(region);
    Rect box = {30, 5, 55, 50};
    CarboniseTextColorBox("ab", 2, &box, 0, &teal, 2);
    EXPECT_EQ(PortPixel(&port, 6, 31), 0x008080u);  // the margin is erased in the colour
    // The port keeps its own colours and pen.
    EXPECT_EQ(port.rgbBkColor.red, 0xFFFF);
    EXPECT_EQ(memcmp(&port.pnPat, &qd.gray, 8), 0);
    SetPort(nullptr);
    ClosePort(&port);
}

}  // namespace
