// ctest-labels: periphery
// The small-icon plotter and the desk-accessory entry points.
#include "toolbox/carbon/desk_accessories.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "toolbox/toolbox_services.h"

namespace {

TEST(SmallIcons, TheIndexedIconIsDrawnBlackAtThePoint) {
    StartQuickDrawForTests();
    GrafPort port = {};
    OpenTestPort(&port, 40, 40);
    Rect all = {0, 0, 40, 40};
    EraseRect(&all);
    Handle sicn = NewHandleClear(2 * kSicnBytes);
    ASSERT_NE(sicn, nullptr);
    // Icon 1: its top row fully set, and the leftmost pixel of every other row.
    UInt8 *icon = reinterpret_cast<UInt8 *>(*sicn) + kSicnBytes;
    icon[0] = icon[1] = 0xFF;
    for (int row = 1; row < 16; row++) icon[row * 2] = 0x80;
    OrvaPlotSicn(sicn, 1, (5 << 16) | 10);  // v 5, h 10
    EXPECT_EQ(PortPixel(&port, 10, 5), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 25, 5), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 26, 5), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 10, 20), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 11, 20), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 10, 21), 0xFFFFFFu);
    OrvaPlotSicn(sicn, 2, 0);  // past the handle: nothing
    EXPECT_EQ(PortPixel(&port, 0, 0), 0xFFFFFFu);
    DisposHandle(sicn);
    SetPort(nullptr);
    ClosePort(&port);
}

TEST(DeskAccessories, DriversAreFoundByNameInTheNewestFileAndNothingRuns) {
    using namespace restest;
    FreshFolder();
    WriteAll("older.rsr", BuildFile({{"TEXT", 1, false, "", {'t'}}}));
    // A driver's stored name begins with a character that is not part of the name.
    WriteAll("newest.rsr", BuildFile({{"DRVR", 12, true, ".Clock", {0, 0}}}));
    SInt16 older = OpenResFile("older.rsr");
    SInt16 newest = OpenResFile("newest.rsr");
    ASSERT_GE(older, 0);
    ASSERT_GE(newest, 0);
    UseResFile(older);
    EXPECT_EQ(OpenDeskAcc("Clock"), 12);
    EXPECT_EQ(CurResFile(), older);
    EXPECT_EQ(OpenDeskAcc("Calculator"), -1);
    EXPECT_EQ(CurResFile(), older);
    EXPECT_EQ(OpenDeskAcc(nullptr), -1);
    EXPECT_FALSE(SystemEdit(3));  // no desk-accessory window in front
    EventRecord event = {};
    EXPECT_FALSE(SystemEvent(&event));
    SystemClick(&event, nullptr);
    EXPECT_EQ(CurResFile(), older);
    CloseResFile(newest);
    CloseResFile(older);
}

}  // namespace
