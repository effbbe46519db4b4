// ctest-labels: toolbox-core
// Windows of a standalone program on the display: the refresh pass flushes every window's
// changes to its platform window, a global invalidation marks them all, translucent windows
// receive the changes behind them, what the screen shows is the window's frame and content, and
// quitting gives the pointer back to the system. Runs under ./test.sh's Xvfb (1280 x 1024), in
// the screen's lower right, which the other tests that read the screen leave alone.
#include <cairo.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <map>
#include <string>
#include <vector>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/back_end.h"
#include "platform/core/runtime.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/platform_windows.h"
#include "support/test_home.h"
#include "support/tool_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/windows.h"

namespace {

std::map<void *, std::vector<Rect>> gInvalidated;
void Record(void *platformWindow, const Rect *r) { gInvalidated[platformWindow].push_back(*r); }

class Standalone : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display = StartStandaloneToolboxForTests(); }
    void SetUp() override {
        if (!display) GTEST_SKIP() << "no display";
    }
    void TearDown() override {
        OrvaSetInvalidateRectHook(nullptr);
        while (WindowList) DisposeWindow(WindowList);
        Settle();
    }
    static WindowPtr Window(SInt16 top, SInt16 left, SInt16 width, SInt16 height) {
        Rect bounds = {top, left, SInt16(top + height), SInt16(left + width)};
        const unsigned char title[] = {4, 'T', 'e', 's', 't'};
        WindowPtr w = NewWindow(nullptr, &bounds, title, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kTrue, 0);
        GrafPtr saved;
        GetPort(&saved);
        SetPort(&w->port);
        EraseRect(&w->port.portRect);
        SetPort(saved);
        return w;
    }
    // Runs the main loop and the refresh until nothing more happens for a while.
    static void Settle() {
        for (int quiet = 0; quiet < 15;) {
            OrvaUpdateDirtyWindows();
            quiet = g_main_context_iteration(nullptr, FALSE) ? 0 : quiet + 1;
            g_usleep(4000);
        }
    }
    static bool Clean(WindowPtr w) {
        for (const Rect &slot : w->port.dirty)
            if (!EmptyRect(&slot)) return false;
        return true;
    }
    // The pixel (x, y) of the window as the screen shows it, 0xRRGGBB.
    static UInt32 ScreenPixel(WindowPtr w, int x, int y) {
        GdkWindow *gdk = gtk_widget_get_window(static_cast<GtkWidget *>(w->platformWindow));
        GdkPixbuf *p = gdk_pixbuf_get_from_drawable(nullptr, gdk, nullptr, x, y, 0, 0, 1, 1);
        if (!p) return 0xFFFFFFFF;
        const guchar *px = gdk_pixbuf_get_pixels(p);
        UInt32 rgb = UInt32(px[0]) << 16 | UInt32(px[1]) << 8 | px[2];
        g_object_unref(p);
        return rgb;
    }
    static bool Covers(const std::vector<Rect> &rects, const Rect &wanted) {
        for (const Rect &r : rects)
            if (r.top <= wanted.top && r.left <= wanted.left && r.bottom >= wanted.bottom && r.right >= wanted.right)
                return true;
        return false;
    }
    static bool display;
};
bool Standalone::display = false;

TEST_F(Standalone, OneRefreshPassFlushesBothWindowsFramesAndContents) {
    WindowPtr a = Window(600, 900, 200, 80), b = Window(800, 1100, 150, 60);
    ASSERT_NE(a->platformWindow, nullptr);
    ASSERT_TRUE(a->mapped && b->mapped);
    Settle();
    gInvalidated.clear();
    OrvaSetInvalidateRectHook(Record);
    Rect whole = {-19, -1, 81, 201};  // a's frame and content, local coordinates
    InvalWindowRect(a, &whole);
    InvalWindowRect(b, &b->port.portRect);
    OrvaUpdateDirtyWindows();
    EXPECT_TRUE(Covers(gInvalidated[a->platformWindow], Rect{0, 0, 100, 202}));  // buffer of frame and content
    EXPECT_TRUE(Covers(gInvalidated[b->platformWindow], Rect{19, 1, 79, 151}));
    EXPECT_TRUE(Clean(a));
    EXPECT_TRUE(Clean(b));
    OrvaSetInvalidateRectHook(nullptr);
    InvalWindowRect(a, &whole);
    Settle();
    // What the screen shows: the title bar's grey, the frame's darker grey, the white content.
    UInt32 title = ScreenPixel(a, 180, 9), frame = ScreenPixel(a, 0, 50), content = ScreenPixel(a, 100, 60);
    EXPECT_EQ(content, 0xFFFFFFu);
    EXPECT_NE(title, content);
    EXPECT_NE(frame, content);
    EXPECT_NE(frame, title);
}

TEST_F(Standalone, AGlobalInvalidationMarksEveryWindowWhole) {
    WindowPtr a = Window(600, 900, 120, 50), b = Window(750, 900, 90, 40);
    Settle();
    gInvalidated.clear();
    OrvaSetInvalidateRectHook(Record);
    OrvaGlobalInvalidateAllWindows();
    EXPECT_TRUE(Covers(gInvalidated[a->platformWindow], Rect{0, 0, a->port.height, a->port.width}));
    EXPECT_TRUE(Covers(gInvalidated[b->platformWindow], Rect{0, 0, b->port.height, b->port.width}));
    EXPECT_FALSE(gInvalidated[GTKGetMenuBarWidget()].empty());  // the menu bar as well
    EXPECT_TRUE(Clean(a) && Clean(b));
}

TEST_F(Standalone, ATranslucentWindowReceivesWhatChangesBehindIt) {
    WindowPtr back = Window(600, 900, 200, 100), front = Window(640, 960, 200, 100);
    ASSERT_EQ(OrvaAllocateTranslucentData(front), noErr);
    Settle();
    gInvalidated.clear();
    OrvaSetInvalidateRectHook(Record);
    // Red in the back window where the front one covers it: (640..700, 960..1100) on the screen.
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&back->port);
    RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    Rect overlap = {40, 60, 100, 200};
    PaintRect(&overlap);
    SetPort(saved);
    OrvaUpdateDirtyWindows();
    // The front window's buffer starts at its frame: screen (621, 959).
    EXPECT_TRUE(Covers(gInvalidated[front->platformWindow], Rect{19, 1, 79, 141}));
    EXPECT_TRUE(Covers(gInvalidated[back->platformWindow], Rect{59, 61, 119, 201}));
    OrvaSetInvalidateRectHook(nullptr);
    Settle();
    EXPECT_EQ(ScreenPixel(front, 30, 40), 0xFFFFFFu);  // in front, it shows its own white content there
    OrvaDisposeTranslucentData(front);
}

TEST_F(Standalone, QuittingGivesThePointerBackToTheSystem) {
    WindowPtr w = Window(600, 900, 100, 50);
    Settle();
    GdkWindow *root = gdk_get_default_root_window();
    SystemDependantSetStandardCursor(4);  // the text beam
    ASSERT_NE(gdk_window_get_cursor(root), nullptr);
    QuitApp();
    EXPECT_EQ(gdk_window_get_cursor(root), nullptr);
    EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(static_cast<GtkWidget *>(w->platformWindow))), nullptr);
}

TEST(WindowDemo, TheMappedWindowShowsItsTitleBarAndFrame) {
    std::string png = TempFile("window.png");
    int status = 0;
    std::string out = RunCommand(ToolPath("tbdemo") + " window --png " + png, &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("mapped=1 content=300x100"), std::string::npos) << out;
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 302);
    EXPECT_EQ(cairo_image_surface_get_height(image), 120);
    auto pixel = [&](int x, int y) {
        const UInt8 *row = cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
        return UInt32(row[4 * x + 2]) << 16 | UInt32(row[4 * x + 1]) << 8 | row[4 * x];
    };
    UInt32 content = pixel(150, 70);
    EXPECT_EQ(content, 0xFFFFFFu);
    EXPECT_NE(pixel(250, 5), content);  // title bar
    EXPECT_NE(pixel(0, 60), content);   // frame
    EXPECT_NE(pixel(301, 60), content);
    EXPECT_NE(pixel(150, 119), content);
    cairo_surface_destroy(image);
}

}  // namespace
