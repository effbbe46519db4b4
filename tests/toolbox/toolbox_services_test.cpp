// The toolbox's stand-in windows: a port of the bounds' size and regions where the bounds are.
#include "toolbox/toolbox_services.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/window_record.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/rect_support.h"

namespace {

TEST(ToolboxServices, AWindowHasAPortOfItsBoundsAndRegionsWhereTheyAre) {
    StartQuickDrawForTests();
    Rect bounds = {40, 30, 140, 230};
    WindowPtr w = NewWindow(nullptr, &bounds, nullptr, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kFalse, 7);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(RectIs(w->port.portRect, 0, 0, 100, 200));
    Rect global;
    ASSERT_EQ(GetWindowBounds(w, kWindowStructureRgn, &global), noErr);
    EXPECT_TRUE(RectIs(global, 40, 30, 140, 230));
    RgnHandle content = NewRgn();
    ASSERT_EQ(GetWindowRegion(w, kWindowContentRgn, content), noErr);
    EXPECT_TRUE(RectIs((*content)->rgnBBox, 40, 30, 140, 230));
    EXPECT_EQ(GetWindowRegion(w, 99, content), paramErr);
    EXPECT_EQ(GetWRefCon(w), 7);
    DisposeRgn(content);
    DisposeWindow(w);
}

}  // namespace
