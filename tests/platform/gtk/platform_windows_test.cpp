// ctest-labels: gtk-input-sound
// GTK windows behind the library's windows, under Xvfb (no window manager).
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string.h>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/gtk/platform_windows.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/rect_support.h"
#include "support/graphics/window_support.h"

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
        if (record.strucRgn) DisposeRgn(record.strucRgn);
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
    for (int i = 0; i < 400; i++) {
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
    EXPECT_TRUE(RectIs(frame, 50, 60, 130, 260));
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
    for (SInt32 y = 0; y < 10; y++)
        for (SInt32 x = 10; x < 16; x++) EXPECT_FALSE(Bit(bits, stride, x, y));  // nothing past the width
    g_free(bits);
    EXPECT_EQ(OrvaBuildWindowShapeMask(shape, 0, 30, &stride), nullptr);
    SInt16 square[7] = {};
    EXPECT_EQ(OrvaBuildWindowShapeMask(square, 40, 30, &stride), nullptr);
}

// A library window with a real port and a shown GTK window behind it, outside the plug-in.
class LibraryWindow : public ::testing::Test {
protected:
    WindowPtr w = nullptr;
    GtkWidget *widget = nullptr;
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        StartQuickDrawForTests();
        orvaSettings.pluginFlag = 0;
    }
    // A library window only (no GTK window behind it).
    void MakeRecord(const Rect &bounds, Boolean visible = kTrue) {
        w = NewTestWindow(bounds, visible);
        ASSERT_NE(w, nullptr);
    }
    void Make(const Rect &bounds) {
        MakeRecord(bounds);
        widget = SystemDependantCreatePhysicalWindow(w, &bounds, nullptr, kTrue);
        ASSERT_NE(widget, nullptr);
        SystemDependantShowWindow(widget, w);
        Settle(w->port.portRect.right, w->port.portRect.bottom);
    }
    // Pumps until the X window has the size asked (or a second has gone).
    void Settle(SInt32 width, SInt32 height) {
        for (int i = 0; i < 400; i++) {
            SystemDependantDoEvent();
            gint x, y, cw = 0, ch = 0;
            gdk_window_get_geometry(gtk_widget_get_window(widget), &x, &y, &cw, &ch, nullptr);
            if (cw == width && ch == height && i > 5) break;
            g_usleep(5000);
        }
    }
    void TearDown() override {
        if (widget) SystemDependantDestroyWindow(widget);
        if (w) DisposeTestWindow(w);
        OrvaSetWindowResizeHook(nullptr);
        orvaSettings.pluginFlag = 1;
    }
};

TEST_F(LibraryWindow, MoveLeavesBothFramesInTheFirstDirtyRectangle) {
    MakeRecord(Rect{100, 100, 150, 180});
    for (Rect &slot : w->port.dirty) slot = Rect{0, 0, 0, 0};
    Rect moved = {120, 90, 170, 170};  // 10 left, 20 down, same size
    OrvaMoveAndSizeWindow(w, &moved, kFalse, kTrue, kFalse, kTrue);
    EXPECT_EQ(w->port.screenV, 120);
    EXPECT_EQ(w->port.screenH, 90);
    EXPECT_TRUE(RectIs(w->port.dirty[0], -20, 0, 50, 90));
    w->port.dirty[0] = Rect{0, 0, 0, 0};
    OrvaMoveAndSizeWindow(w, &moved, kFalse, kTrue, kFalse, kTrue);
    EXPECT_TRUE(EmptyRect(&w->port.dirty[0]));  // nothing moved
}

WindowPtr gHookWindow;
SInt16 gHookWidth, gHookHeight;

TEST_F(LibraryWindow, AMoveOrResizeByTheWindowManagerIsFollowed) {
    Make(Rect{50, 60, 130, 260});
    OrvaSetWindowResizeHook([](WindowPtr window, SInt16 width, SInt16 height) {
        gHookWindow = window;
        gHookWidth = width;
        gHookHeight = height;
    });
    // What a window manager does: the X window changes, the library only follows it.
    gtk_window_resize(GTK_WINDOW(widget), 250, 90);
    gtk_window_move(GTK_WINDOW(widget), 70, 40);
    Settle(250, 90);
    EXPECT_EQ(w->port.portRect.right, 250);
    EXPECT_EQ(w->port.portRect.bottom, 90);
    EXPECT_EQ(w->port.width, 250);
    EXPECT_EQ(gHookWindow, w);
    EXPECT_EQ(gHookWidth, 250);
    EXPECT_EQ(gHookHeight, 90);
    ASSERT_NE(w->strucRgn, nullptr);
    EXPECT_EQ((*w->strucRgn)->rgnBBox.right - (*w->strucRgn)->rgnBBox.left, 250);
    EXPECT_FALSE(GTKIsReadjusting());
}

UInt32 gTicks;

TEST_F(LibraryWindow, PortPositionFollowsTheFrameAtMostEveryThreeTicks) {
    Make(Rect{50, 60, 130, 260});
    OrvaSetTickCountSource([]() -> UInt32 { return gTicks; });
    gTicks = 1000;
    w->port.screenV = w->port.screenH = 0;
    SystemDependantUpdatePortPos(w);
    EXPECT_EQ(w->port.screenV, 50);
    EXPECT_EQ(w->port.screenH, 60);
    w->port.screenV = w->port.screenH = 0;
    gTicks = 1002;
    SystemDependantUpdatePortPos(w);
    EXPECT_EQ(w->port.screenH, 0);  // too soon
    gTicks = 1003;
    SystemDependantUpdatePortPos(w);
    EXPECT_EQ(w->port.screenH, 60);
    // A window that is not one of ours is left alone.
    WindowRecord stranger;
    memset(&stranger, 0, sizeof stranger);
    stranger.platformWindow = widget;
    gTicks = 2000;
    SystemDependantUpdatePortPos(&stranger);
    EXPECT_EQ(stranger.port.screenH, 0);
    OrvaSetTickCountSource(nullptr);
}

TEST_F(LibraryWindow, ScreenTransferPaintsTheShiftedPort) {
    Make(Rect{100, 100, 140, 140});
    OrvaFillSurfaceRect(&w->port, 0, 0, 19, 39, 0xFF0000);
    OrvaFillSurfaceRect(&w->port, 20, 0, 39, 39, 0x0000FF);
    // Every expose the server has sent is handled first (they paint the unshifted port).
    for (int i = 0; i < 3; i++) {
        gdk_display_sync(gdk_display_get_default());
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
    }
    SystemDependantScreenTransfer(w, 0, 0, 10, 10, 20, 0);  // the blue half into the corner
    gdk_flush();
    GdkPixbuf *pixel = gdk_pixbuf_get_from_drawable(nullptr, gtk_widget_get_window(widget), nullptr, 5, 5, 0, 0,
                                                    1, 1);
    ASSERT_NE(pixel, nullptr);
    const guchar *rgb = gdk_pixbuf_get_pixels(pixel);
    EXPECT_EQ(rgb[0], 0);
    EXPECT_EQ(rgb[2], 0xFF);
    g_object_unref(pixel);
}

TEST_F(LibraryWindow, TitleTransparencyAndMaximiseRequests) {
    Make(Rect{100, 100, 140, 140});
    SystemDependantSetWindowTitle(widget, "Partition \xC3\xA9t\xC3\xA9");
    char title[64];
    SystemDependantGetWindowTitle(widget, title, sizeof title);
    EXPECT_STREQ(title, "Partition \xC3\xA9t\xC3\xA9");
    SystemDependantGetWindowTitle(widget, title, 5);
    EXPECT_STREQ(title, "Part");
    SystemDependantSetWindowTransparency(widget, 500);
    // Without a compositing manager (Xvfb) the window stays opaque.
    EXPECT_DOUBLE_EQ(gtk_window_get_opacity(GTK_WINDOW(widget)), gtk_widget_is_composited(widget) ? 0.5 : 1.0);
    SystemDependantMiniMaxiWindow(widget, 1);
    SystemDependantMiniMaxiWindow(widget, -1);
    SystemDependantMiniMaxiWindow(nullptr, 1);
    EXPECT_FALSE(SystemDependantSendWindowBehind(w, nullptr));
}

TEST_F(LibraryWindow, ResizingTheFrameFollowsItsWindowAndTheMenuBar) {
    // No frame window: a 1 x 1 frame port, the screen (the whole Xvfb monitor) as the screen bounds.
    OrvaResizeFrame(-1, -1);
    EXPECT_EQ(OrvaFrameGrafPort.portRect.right, 1);
    EXPECT_EQ(OrvaFrameGrafPort.portRect.bottom, 1);
    Rect screen;
    SystemDependantGetScreenRect(&screen);
    EXPECT_EQ(screen.right, 1280);
    EXPECT_EQ(screen.bottom, 1024);
    EXPECT_EQ(qd.screenBits.bounds.right, screen.right);
    EXPECT_EQ(qd.screenBits.bounds.bottom, screen.bottom);
    Make(Rect{0, 0, 200, 300});
    GtkWidget *bar = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GrafPort barPort;
    OpenTestPort(&barPort, 10, 22);
    GTKSetMenuBar(bar, &barPort);
    OrvaSetFrameWnd(w);
    OrvaResizeFrame(-1, -1);
    EXPECT_EQ(OrvaFrameGrafPort.portRect.right, 300);
    EXPECT_EQ(OrvaFrameGrafPort.portRect.bottom, 200);
    EXPECT_EQ(OrvaFrameGrafPort.width, 300);
    EXPECT_EQ(OrvaFrameGrafPort.fgColor, 33);
    EXPECT_EQ(OrvaFrameGrafPort.bkColor, 30);
    EXPECT_EQ((*OrvaFrameGrafPort.clipRgn)->rgnBBox.left, -32000);
    EXPECT_EQ(qd.screenBits.bounds.right, 300);
    EXPECT_EQ(qd.screenBits.bounds.bottom, 200);
    EXPECT_EQ(barPort.portRect.right, 300);
    EXPECT_EQ(barPort.portRect.bottom, 22);
    EXPECT_EQ(barPort.width, 300);
    OrvaSetFrameWnd(nullptr);
    GTKSetMenuBar(nullptr, nullptr);
    SetPort(nullptr);
    ClosePort(&barPort);
    gtk_widget_destroy(bar);
    OrvaResizeFrame(-1, -1);
    EXPECT_EQ(OrvaFrameGrafPort.portRect.right, 1);
}

Point gPointer;
UInt32 gMask;
Boolean ScriptedPointer(SInt16 *h, SInt16 *v, UInt32 *mask) {
    *h = gPointer.h;
    *v = gPointer.v;
    *mask = gMask;
    return kTrue;
}

TEST_F(LibraryWindow, DraggingFollowsThePumpAndNeverWaits) {
    MakeRecord(Rect{100, 100, 150, 180});
    OrvaSetPointerStateReader(ScriptedPointer);
    gPointer = Point{105, 110};
    gMask = GDK_BUTTON1_MASK;
    SystemDependantDoEvent();
    w->stateFlags = 0x200;
    // Answers at once with the button still down; the pump does the rest.
    EXPECT_EQ(OrvaDragWindow(w, gPointer, nullptr), 1);
    EXPECT_EQ(OrvaGetDraggedWindow(), w);
    gPointer = Point{115, 130};
    SystemDependantDoEvent();
    EXPECT_EQ(w->port.screenV, 110);
    EXPECT_EQ(w->port.screenH, 120);
    EXPECT_EQ(w->stateFlags, 0x200u);
    // Dragged above the top limit: pushed back below the menu bar.
    gPointer = Point{-200, 130};
    SystemDependantDoEvent();
    SInt16 bar = 0;
    GetThemeMenuBarHeight(&bar);
    EXPECT_EQ(w->port.screenV, bar + OffsetYMBar);
    // The release ends it and lets the frame be drawn again.
    gMask = 0;
    SystemDependantDoEvent();
    EXPECT_EQ(OrvaGetDraggedWindow(), nullptr);
    EXPECT_EQ(w->stateFlags, 0u);
    // A click without holding the button ends at once, moving nothing.
    EXPECT_EQ(OrvaDragWindow(w, gPointer, nullptr), 1);
    EXPECT_EQ(OrvaGetDraggedWindow(), nullptr);
    OrvaSetPointerStateReader(nullptr);
    EventRecord e;
    while (GetNextEvent(0xFFFF, &e)) {
    }
}

TEST_F(LibraryWindow, DevicesResolutionAndTranslucentBuffers) {
    GDHandle first = SystemDependantGetDeviceList();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ((*first)->gdRect.right, 1280);
    EXPECT_EQ((*first)->gdRect.bottom, 1024);
    EXPECT_EQ((*first)->gdRect.top, OffsetYMBar);
    EXPECT_EQ(SystemDependantGetNextDevice(first), nullptr);  // one monitor under Xvfb
    EXPECT_EQ(SystemDependantGetMainDevice(), GetGDevice());
    SInt16 h = 0, v = 0;
    SystemDependantGetScreenDpi(&h, &v);
    EXPECT_GT(h, 0);
    EXPECT_EQ(h, v);
    MakeRecord(Rect{10, 10, 40, 50});
    ASSERT_EQ(OrvaAllocateTranslucentData(w), noErr);
    ASSERT_NE(w->translucentBuffers[0], nullptr);
    cairo_surface_t *buffer = static_cast<cairo_surface_t *>(w->translucentBuffers[1]);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(cairo_image_surface_get_width(buffer), 40);
    EXPECT_EQ(cairo_image_surface_get_height(buffer), 30);
    EXPECT_EQ(w->port.dirty[0].right, 40);
    EXPECT_EQ(w->port.dirty[0].bottom, 30);
    Rect screen = {0, 0, 100, 100};
    OrvaGlobalTranslucentDirtyRect(&screen);  // no window list yet: nothing to do
    OrvaDisposeTranslucentData(w);
    EXPECT_EQ(w->translucentBuffers[0], nullptr);
    EXPECT_EQ(w->port.translucentSurface[1], nullptr);
    EXPECT_FALSE(w->translucent);
}

TEST_F(LibraryWindow, PhysicalWindowsTakeTheFrameMarginsAndDeferredShowsWait) {
    Rect bounds = {100, 100, 160, 200};
    MakeRecord(bounds, kFalse);
    w->port.marginTop = 20;
    w->port.marginLeft = w->port.marginRight = w->port.marginBottom = 4;
    static char title[] = "Score";
    w->title = title;
    widget = OrvaCreatePhysicalWindow(w, &bounds, reinterpret_cast<WindowPtr>(-1), kTrue);
    w->title = nullptr;
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(widget)), "Score");
    EXPECT_FALSE(gtk_widget_get_visible(widget));  // not visible: kept hidden
    Rect structure = {80, 96, 164, 204};  // what the theme's definition procedure gives
    RectRgn(w->strucRgn, &structure);
    w->deferredShow = kTrue;
    OrvaShowHide(w, kTrue);
    EXPECT_FALSE(gtk_widget_get_visible(widget));  // waits for its deferred show
    OrvaShowHide(w, kFalse);
    EXPECT_FALSE(w->deferredShow);
    OrvaShowHide(w, kTrue);
    EXPECT_TRUE(gtk_widget_get_mapped(widget));
    Settle(108, 84);
    Rect frame;
    SystemDependantGetWindowFrame(widget, &frame);
    EXPECT_TRUE(RectIs(frame, 80, 96, 164, 204));
    OrvaDeletePhysicalWindow(w);
    EXPECT_EQ(w->platformWindow, nullptr);
    widget = nullptr;
}

TEST_F(LibraryWindow, PalettesStandOnTheShownWindowAndDocksOnTheMenuBar) {
    Make(Rect{100, 100, 140, 140});
    WindowRecord palette;
    memset(&palette, 0, sizeof palette);
    palette.windowClass = 101;
    Rect r = {10, 10, 30, 30};
    GtkWidget *p = SystemDependantCreatePhysicalWindow(&palette, &r, nullptr, kFalse);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(p)), GTK_WINDOW(widget));
    EXPECT_TRUE(gtk_window_get_skip_taskbar_hint(GTK_WINDOW(p)));
    GtkWidget *bar = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    GTKSetMenuBar(bar, nullptr);
    SystemDependantSetWindowClass(&palette, 10);
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(p)), GTK_WINDOW(bar));
    EXPECT_EQ(gtk_window_get_type_hint(GTK_WINDOW(p)), GDK_WINDOW_TYPE_HINT_DOCK);
    GTKSetMenuBar(nullptr, nullptr);
    SystemDependantDestroyWindow(p);
    gtk_widget_destroy(bar);
}

}  // namespace
