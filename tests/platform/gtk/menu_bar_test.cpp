// ctest-labels: periphery
// The standalone application's menu-bar window: a black band across the screen, 22 pixels high.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "platform/core/runtime.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/standalone.h"
#include "support/graphics/quickdraw_support.h"

TEST(MenuBar, IsABlackBandAcrossTheScreenWithWideOpenRegions) {
    if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    StartQuickDrawForTests();
    EXPECT_EQ(SystemDependantGetMenuBarGrafPort(), nullptr);
    SystemDependantInitMenuBar();  // plug-in mode: nothing
    EXPECT_EQ(SystemDependantGetMenuBarGrafPort(), nullptr);

    orvaSettings.pluginFlag = 0;
    GrafPtr current;
    GetPort(&current);
    SystemDependantInitMenuBar();
    GrafPtr port = SystemDependantGetMenuBarGrafPort();
    ASSERT_NE(port, nullptr);
    SystemDependantInitMenuBar();
    EXPECT_EQ(SystemDependantGetMenuBarGrafPort(), port) << "one menu bar";
    EXPECT_EQ(GTKGetMenuBarPort(), port) << "registered for the focus check";
    ASSERT_NE(GTKGetMenuBarWidget(), nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(GTKGetMenuBarWidget()));
    GrafPtr after;
    GetPort(&after);
    EXPECT_EQ(after, current) << "the caller's port stays current";

    EXPECT_EQ(MBarHeight, 22);
    Rect r;
    SystemDependantGetRectMenu(&r);
    GdkScreen *screen = gdk_screen_get_default();
    EXPECT_EQ(r.bottom - r.top, 22);
    EXPECT_EQ(r.right - r.left, gdk_screen_get_width(screen));
    EXPECT_EQ(port->portRect.right - port->portRect.left, r.right - r.left);
    EXPECT_EQ(PortPixel(port, 0, 0), 0u);
    EXPECT_EQ(PortPixel(port, r.right - r.left - 1, 21), 0u);
    const Rect &vis = (*port->visRgn)->rgnBBox;
    EXPECT_EQ(vis.left, -32767);
    EXPECT_EQ(vis.bottom, 32767);
    const Rect &clip = (*port->clipRgn)->rgnBBox;
    EXPECT_EQ(clip.top, -32767);
    EXPECT_EQ(clip.right, 32767);

    SystemDependantUpdateMenus();
    Rect again;
    SystemDependantGetRectMenu(&again);
    EXPECT_EQ(again.left, r.left);
    EXPECT_EQ(again.right, r.right);
    orvaSettings.pluginFlag = 1;
}
