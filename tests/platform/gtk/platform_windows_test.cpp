// ctest-labels: gtk-input-sound
// GTK windows behind the library's windows, under Xvfb (no window manager).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string.h>

#include "platform/core/runtime.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/rects.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/platform_windows.h"
#include "support/quickdraw_support.h"

namespace {

class Windows : public ::testing::Test {
protected:
    WindowRecord record;
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        memset(&record, 0, sizeof record);
        orvaSettings.pluginFlag = 0;
    }
    void TearDown() override {
        if (record.platformWindow) SystemDependantDestroyWindow(record.platformWindow);
    }
};

bool Bit(const UInt8 *bits, SInt32 stride, SInt32 x, SInt32 y) { return bits[y * stride + x / 8] & (1 << (x % 8)); }

TEST_F(Windows, ShownWindowIsMappedWithItsClassHint) {
    record.windowClass = 105;
    Rect r = {50, 60, 130, 260};
    GtkWidget *w = SystemDependantCreatePhysicalWindow(&record, &r, nullptr, kTrue);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(record.platformWindow, w);
    EXPECT_EQ(gtk_window_get_type_hint(GTK_WINDOW(w)), GDK_WINDOW_TYPE_HINT_DIALOG);
    SystemDependantSetWindowClass(&record, 0);
    EXPECT_EQ(gtk_window_get_type_hint(GTK_WINDOW(w)), GDK_WINDOW_TYPE_HINT_DOCK);
    EXPECT_EQ(OrvaTypeHintForClass(107), GDK_WINDOW_TYPE_HINT_DESKTOP);
    EXPECT_EQ(OrvaTypeHintForClass(999), GDK_WINDOW_TYPE_HINT_NORMAL);
    SystemDependantShowWindow(w, &record);
    EXPECT_TRUE(record.mapped);
    EXPECT_TRUE(gtk_widget_get_mapped(w));
    // The real frame: the X window itself is 200 x 80 at (60, 50) once the server has
    // configured it (the configure may follow the map).
    Rect frame = {};
    gint x = 0, y = 0, width = 0, height = 0;
    for (int i = 0; i < 100; i++) {
        SystemDependantDoEvent();
        gdk_window_get_geometry(gtk_widget_get_window(w), &x, &y, &width, &height, nullptr);
        SystemDependantGetWindowFrame(w, &frame);
        if (width == 200 && height == 80 && frame.bottom == 130) break;
        g_usleep(5000);
    }
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 80);
    gdk_window_get_origin(gtk_widget_get_window(w), &x, &y);
    EXPECT_EQ(x, 60);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(frame.top, 50);
    EXPECT_EQ(frame.left, 60);
    EXPECT_EQ(frame.bottom, 130);
    EXPECT_EQ(frame.right, 260);
    record.shape[2] = 4;
    GTKSetPhysicalWindowShape(&record, 200, 80);  // applied to the real window
    SystemDependantHideWindow(w);
    EXPECT_FALSE(gtk_widget_get_visible(w));
    for (int i = 0; i < 50 && record.mapped; i++) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(10000);
    }
    EXPECT_FALSE(record.mapped);  // the unmap handler
}

TEST_F(Windows, ScreenRectangleIsTheMonitor) {
    Rect screen;
    SystemDependantGetScreenRect(&screen);
    EXPECT_EQ(screen.right, 1280);
    EXPECT_EQ(screen.bottom, 1024);
}

TEST_F(Windows, MoveLeavesBothFramesInTheFirstDirtyRectangle) {
    StartQuickDrawForTests();
    orvaSettings.pluginFlag = 0;
    Rect bounds = {100, 100, 150, 180};
    WindowPtr w = NewWindow(nullptr, &bounds, nullptr, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    ASSERT_NE(w, nullptr);
    for (Rect &slot : w->port.dirty) slot = Rect{0, 0, 0, 0};
    Rect moved = {120, 90, 170, 170};  // 10 left, 20 down, same size
    OrvaMoveAndSizeWindow(w, &moved, kFalse, kTrue, kFalse, kTrue);
    EXPECT_EQ(w->port.screenV, 120);
    EXPECT_EQ(w->port.screenH, 90);
    const Rect &d = w->port.dirty[0];
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.top, -20);
    EXPECT_EQ(d.right, 90);
    EXPECT_EQ(d.bottom, 50);
    Rect same = moved;
    w->port.dirty[0] = Rect{0, 0, 0, 0};
    OrvaMoveAndSizeWindow(w, &same, kFalse, kTrue, kFalse, kTrue);
    EXPECT_TRUE(EmptyRect(&w->port.dirty[0]));  // nothing moved
    DisposeWindow(w);
}

TEST(WindowShapes, CornersAreCutAndLargeRadiiStayInsideTheMask) {
    SInt16 shape[7] = {0, 0, 4, 4, 4, 4, 0};
    SInt32 stride = 0;
    UInt8 *bits = OrvaBuildWindowShapeMask(shape, 40, 30, &stride);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(stride, 5);
    EXPECT_FALSE(Bit(bits, stride, 0, 0));
    EXPECT_FALSE(Bit(bits, stride, 39, 29));
    EXPECT_TRUE(Bit(bits, stride, 20, 15));
    EXPECT_TRUE(Bit(bits, stride, 4, 0));
    g_free(bits);
    SInt16 huge[7] = {0, 0, 100, 100, 100, 100, 0};
    bits = OrvaBuildWindowShapeMask(huge, 10, 10, &stride);
    ASSERT_NE(bits, nullptr);
    EXPECT_EQ(stride, 2);
    g_free(bits);
    EXPECT_EQ(OrvaBuildWindowShapeMask(shape, 0, 30, &stride), nullptr);
    SInt16 square[7] = {};
    EXPECT_EQ(OrvaBuildWindowShapeMask(square, 40, 30, &stride), nullptr);
}

}  // namespace
