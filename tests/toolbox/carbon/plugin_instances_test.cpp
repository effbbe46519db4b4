// ctest-labels: gtk-input-sound
// The plug-in instance table driven as the browser glue drives it, with no browser: the
// plug-in flag is set and the entry points are called directly.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include "toolbox/carbon/plugin_instances.h"
#include "platform/core/runtime.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/platform_windows.h"
#include "support/graphics/quickdraw_support.h"

namespace {

Rect gBrowserRect;
int gResizes;
OrvaPluginID gResized;

void BrowserRect(void *, Rect *r) { *r = gBrowserRect; }

class Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();  // plug-in flag set
        OrvaInitPluginSystem();    // also installs what the floors below reach the instances through
        orvaSettings.instanceRect = BrowserRect;
        gResizes = 0;
        OrvaPluginSetResizeCallback([](OrvaPluginID id) {
            gResizes++;
            gResized = id;
        });
    }
    void TearDown() override {
        OrvaExitPluginSystem();
        OrvaPluginSetResizeCallback(nullptr);
    }
};

TEST_F(Plugin, OneRecordPerIdAndUnknownIdsDoNothing) {
    OrvaPluginInstance *first = OrvaPluginSetInstanceWindow(0x1000, nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(first->window, nullptr);
    EXPECT_EQ(OrvaPluginSetInstanceWindow(0x1000, nullptr), first);
    EXPECT_EQ(OrvaPluginInstanceCount(), 1u);
    OrvaPluginSetInstanceWindow(0x2000, nullptr);
    EXPECT_EQ(OrvaPluginGetIDFromWindow(first->window), 0x1000u);
    OrvaPluginDestroyInstanceWindow(0x9999);
    EXPECT_EQ(OrvaPluginInstanceCount(), 2u);
    // No platform window yet: resizing does nothing and the rectangle is empty.
    gBrowserRect = Rect{10, 20, 210, 320};
    OrvaPluginCheckResize(0x1000, 0);
    EXPECT_EQ(gResizes, 0);
    Rect r;
    OrvaPluginGetRect(0x1000, &r);
    EXPECT_EQ(r.right, 0);
    EXPECT_EQ(OrvaPluginGetInstanceData(0x3000), nullptr);
    EXPECT_EQ(OrvaExitPluginSystem(), 1);
    EXPECT_EQ(OrvaPluginInstanceCount(), 0u);
}

TEST_F(Plugin, ResizeFitsThePortAndPaintsTheLoadingFace) {
    OrvaPluginInstance *p = OrvaPluginSetInstanceWindow(0x1000, nullptr);
    SystemDependantSetPluginWindow(0x1000, reinterpret_cast<void *>(0x1000));
    EXPECT_EQ(OrvaPluginGetIDFromHWND(reinterpret_cast<void *>(0x1000)), 0x1000u);
    gBrowserRect = Rect{10, 20, 210, 320};
    OrvaPluginCheckResize(0x1000, 0);
    GrafPort &port = p->window->port;
    EXPECT_EQ(port.portRect.right, 300);
    EXPECT_EQ(port.portRect.bottom, 200);
    EXPECT_EQ(gResizes, 1);
    EXPECT_EQ(gResized, 0x1000u);
    EXPECT_EQ(PortPixel(&port, 5, 5), 0xE0E0E0u);
    int dark = 0;
    for (int y = 80; y < 120; y++)
        for (int x = 0; x < 300; x++)
            if ((PortPixel(&port, x, y) & 0xFF) < 0xC0) dark++;
    EXPECT_GT(dark, 20);
    SInt16 h, v;
    OrvaPluginGetXYWindow(0x1000, &h, &v);
    EXPECT_EQ(h, 20);
    EXPECT_EQ(v, 10);
    EXPECT_EQ(OrvaPluginGetIDFromMousePos(25, 15), 0x1000u);
    EXPECT_EQ(OrvaPluginGetIDFromMousePos(5, 5), 0u);
    // The same size again only follows the position; position-only repaints.
    OrvaPluginCheckResize(0x1000, 0);
    EXPECT_EQ(gResizes, 1);
    OrvaPluginCheckResize(0x1000, 1);
    EXPECT_EQ(gResizes, 2);
    // A browser rectangle of no size gives a 1 x 1 port.
    gBrowserRect = Rect{0, 0, 0, 0};
    OrvaPluginCheckResize(0x1000, 0);
    EXPECT_EQ(port.portRect.right, 1);
    EXPECT_EQ(port.portRect.bottom, 1);
    // The browser draws the instances: no GTK window was made for any of this.
    if (gtk_init_check(nullptr, nullptr)) {
        GList *windows = gtk_window_list_toplevels();
        EXPECT_EQ(g_list_length(windows), 0u);
        g_list_free(windows);
    }
}

TEST_F(Plugin, WindowCallsLeaveInstanceWindowsToTheBrowser) {
    OrvaPluginInstance *p = OrvaPluginSetInstanceWindow(0x1000, nullptr);
    ASSERT_NE(p, nullptr);
    SystemDependantSetPluginWindow(0x1000, reinterpret_cast<void *>(0x1000));
    gBrowserRect = Rect{10, 20, 110, 220};
    OrvaPluginCheckResize(0x1000, 0);
    WindowPtr w = p->window;
    void *id = w->platformWindow;  // the instance id, not a GTK window: nothing may read it as one
    EXPECT_EQ(SystemDependantCreatePhysicalWindow(w, &gBrowserRect, nullptr, kTrue), nullptr);
    EXPECT_EQ(w->platformWindow, id);
    SystemDependantShowWindow(id, w);
    SystemDependantSetWindowTitle(id, "x");
    SystemDependantScreenTransfer(w, 0, 0, 10, 10, 0, 0);
    SystemDependantSetFocus(id);
    SystemDependantSetWindowTransparency(id, 500);
    SystemDependantMiniMaxiWindow(id, 1);
    SystemDependantUpdatePortPos(w);
    Rect frame;
    SystemDependantGetWindowFrame(id, &frame);
    EXPECT_EQ(frame.right, 220);  // from the browser's rectangle
    EXPECT_TRUE(SystemDependantSendWindowBehind(w, nullptr));
    EXPECT_EQ(OrvaDragWindow(w, Point{15, 25}, nullptr), 1);
    EXPECT_EQ(OrvaGetDraggedWindow(), nullptr);
    EXPECT_EQ(w->port.screenH, 20);
    SystemDependantDestroyWindow(id);
    EXPECT_EQ(OrvaPluginGetInstanceWindow(0x1000), w);
}

TEST_F(Plugin, NarrowPortsGetTheSmallestTextSize) {
    GrafPort measuring;
    OpenTestPort(&measuring, 10, 10);
    EXPECT_EQ(OrvaPluginLoadingTextSize(40, 200), 10);
    SInt16 wide = OrvaPluginLoadingTextSize(2000, 1000);
    EXPECT_GT(wide, 10);
    EXPECT_LE(OrvaPluginLoadingTextSize(2000, 30), 30);
    // No port, so no font to measure with: the smallest size, not a division by zero.
    SetPort(nullptr);
    EXPECT_EQ(OrvaPluginLoadingTextSize(2000, 1000), 10);
    ClosePort(&measuring);
}

TEST(PluginSystem, StartingTurnsThePumpAndTheScrollBarsOff) {
    StartQuickDrawForTests();
    OrvaSetProcessWindowMessages(kTrue);
    OrvaSetScrollBarSizes(16, 16);
    EXPECT_EQ(OrvaInitPluginSystem(), noErr);
    EXPECT_FALSE(OrvaIsProcessWindowMessages());
    SInt16 h = -1, v = -1;
    OrvaGetScrollBarSizes(&h, &v);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(v, 0);
    OrvaSetProcessWindowMessages(kTrue);
}

}  // namespace
