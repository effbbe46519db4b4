// The GTK windows behind the library's top-level windows.
#include "platform/gtk/platform_windows.h"

#include <dlfcn.h>
#include <math.h>
#include <string.h>

#include <vector>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/dirty_areas.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"

namespace {

const char kWindowKey[] = "OrvaWnd";

struct ShapeSize {
    SInt32 width = -1, height = -1;
};

// The GTK window behind a platform-window field; none in the plug-in, where the field holds
// an instance id.
GtkWidget *Widget(void *platformWindow) {
    if (OrvaIsPlugin()) return nullptr;
    return platformWindow && GTK_IS_WIDGET(platformWindow) ? GTK_WIDGET(platformWindow) : nullptr;
}

GtkWidget *gMenuBarWidget;    // the menu-bar window's platform window, when there is one
GrafPtr gMenuBarPort;
Boolean gReadjusting;         // the library follows a move the window manager made
std::vector<GDHandle> gDevices;  // one per monitor, linked through gdNextGD
SInt16 gDpiH = 72, gDpiV = 72;
UInt32 gLastPortPosTicks;
bool gPortPosRead;
void (*gResizeHook)(WindowPtr, SInt16, SInt16);
Boolean (*gShowsInstance)(void *platformWindow);  // installed by the plug-in system

// The window record a platform window was made for (null for others).
WindowPtr RecordOf(GtkWidget *widget) {
    return widget ? static_cast<WindowPtr>(g_object_get_data(G_OBJECT(widget), kWindowKey)) : nullptr;
}

// Hides the resize grip of GTK versions that have one; the function is looked up once.
void HideResizeGrip(GtkWindow *window) {
    typedef void (*SetGrip)(GtkWindow *, gboolean);
    static bool looked;
    static SetGrip setGrip;
    if (!looked) {
        looked = true;
        if (void *gtk = dlopen("libgtk-x11-2.0.so.0", RTLD_LAZY | RTLD_NOLOAD))
            setGrip = reinterpret_cast<SetGrip>(dlsym(gtk, "gtk_window_set_has_resize_grip"));
    }
    if (setGrip) setGrip(window, FALSE);
}

// The first other window of ours that is visible and mapped.
GtkWindow *FirstOtherShownWindow(GtkWidget *self) {
    GList *all = gtk_window_list_toplevels();
    GtkWindow *found = nullptr;
    for (GList *l = all; l && !found; l = l->next) {
        GtkWidget *w = GTK_WIDGET(l->data);
        if (w != self && RecordOf(w) && gtk_widget_get_visible(w) && gtk_widget_get_mapped(w)) found = GTK_WINDOW(w);
    }
    g_list_free(all);
    return found;
}

}  // namespace

void GTKSetMenuBar(GtkWidget *widget, GrafPtr port) {
    gMenuBarWidget = widget;
    gMenuBarPort = widget ? port : nullptr;
}

GtkWidget *GTKGetMenuBarWidget() { return gMenuBarWidget; }
GrafPtr GTKGetMenuBarPort() { return gMenuBarPort; }
Boolean GTKIsReadjusting() { return gReadjusting; }
void OrvaSetWindowResizeHook(void (*hook)(WindowPtr window, SInt16 width, SInt16 height)) { gResizeHook = hook; }

void OrvaSetInstanceWindowTest(Boolean (*showsInstance)(void *platformWindow)) { gShowsInstance = showsInstance; }

GdkWindowTypeHint OrvaTypeHintForClass(UInt32 c) {
    switch (c) {
    case 0: case 10: case 11: case 12: case 13: return GDK_WINDOW_TYPE_HINT_DOCK;
    case 20: case 111: case 113: case 114: case 115: case 116:
    case 101: case 102: case 103: case 104: return GDK_WINDOW_TYPE_HINT_TOOLBAR;
    case 105: case 112: return GDK_WINDOW_TYPE_HINT_DIALOG;
    case 107: return GDK_WINDOW_TYPE_HINT_DESKTOP;
    default: return GDK_WINDOW_TYPE_HINT_NORMAL;
    }
}

Boolean SystemDependantHasDisplay() { return gdk_display_get_default() != nullptr; }

GtkWidget *SystemDependantCreatePhysicalWindow(WindowPtr window, const Rect *rect, WindowPtr, Boolean inTaskBar) {
    if (OrvaIsPlugin() || !rect) return nullptr;
    GtkWidget *widget = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    if (!widget) return nullptr;
    GtkWindow *gw = GTK_WINDOW(widget);
    if (window) {
        window->shownInTaskBar = inTaskBar;
        window->platformWindow = widget;
        g_object_set_data(G_OBJECT(widget), kWindowKey, window);
        SystemDependantSetWindowClass(window, window->windowClass);
    }
    gtk_window_set_decorated(gw, FALSE);
    gtk_window_set_resizable(gw, TRUE);
    HideResizeGrip(gw);
    gtk_window_set_accept_focus(gw, TRUE);
    gtk_window_set_focus_on_map(gw, FALSE);
    gtk_window_move(gw, rect->left, rect->top);
    SInt32 width = rect->right - rect->left, height = rect->bottom - rect->top;
    gtk_window_set_default_size(gw, width > 0 ? width : 1, height > 0 ? height : 1);
    gtk_window_resize(gw, width > 0 ? width : 1, height > 0 ? height : 1);
    gtk_widget_realize(widget);
    GTKSetWindowEvents(window, widget);
    return widget;
}

void SystemDependantSetWindowClass(WindowPtr window, UInt32 windowClass) {
    if (!window) return;
    window->windowClass = windowClass;
    GtkWidget *widget = Widget(window->platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget)) return;
    GtkWindow *gw = GTK_WINDOW(widget);
    gtk_window_set_type_hint(gw, OrvaTypeHintForClass(windowClass));
    gtk_window_set_skip_taskbar_hint(gw, !window->shownInTaskBar);
    gtk_window_set_skip_pager_hint(gw, !window->shownInTaskBar);
    if (windowClass >= 101 && windowClass <= 104) {
        if (GtkWindow *owner = FirstOtherShownWindow(widget)) gtk_window_set_transient_for(gw, owner);
    } else if (windowClass == 0 || (windowClass >= 10 && windowClass <= 13)) {
        if (gMenuBarWidget && gMenuBarWidget != widget && GTK_IS_WINDOW(gMenuBarWidget)) {
            SystemDependantSetFocus(gMenuBarWidget);
            gtk_window_set_transient_for(gw, GTK_WINDOW(gMenuBarWidget));
        }
    }
}

void SystemDependantShowWindow(void *platformWindow, WindowPtr window) {
    GtkWidget *widget = Widget(platformWindow);
    if (!widget) return;
    if (window && window->strucRgn && *window->strucRgn && GTK_IS_WINDOW(widget)) {
        const Rect &box = (*window->strucRgn)->rgnBBox;
        gtk_window_move(GTK_WINDOW(widget), box.left, box.top);
    }
    gtk_widget_show_all(widget);
    SystemDependantDragAcceptFiles(widget, kTrue);
    if (!window) return;
    // Wait (at most half a second) until the window manager has mapped it.
    UInt32 start = SystemDependantGetTickCountMs();
    while (!gtk_widget_get_mapped(widget) && SystemDependantGetTickCountMs() - start < 500) {
        SystemDependantDoEvent();
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(100);
    }
    window->mapped = gtk_widget_get_mapped(widget) ? kTrue : kFalse;
}

void SystemDependantHideWindow(void *platformWindow) {
    if (OrvaIsPlugin()) return;
    if (GtkWidget *widget = Widget(platformWindow)) gtk_widget_hide(widget);
}

void SystemDependantDestroyWindow(void *platformWindow) {
    if (OrvaIsPlugin()) return;
    if (GtkWidget *widget = Widget(platformWindow)) {
        if (WindowPtr record = RecordOf(widget)) OrvaCancelWindowDrag(record);
        if (widget == gMenuBarWidget) GTKSetMenuBar(nullptr, nullptr);
        if (ShapeSize *size = static_cast<ShapeSize *>(g_object_get_data(G_OBJECT(widget), "OrvaShapeSize")))
            g_object_set_data(G_OBJECT(widget), "OrvaShapeSize", nullptr), delete size;
        gtk_widget_destroy(widget);
    }
}

void SystemDependantGetWindowFrame(void *platformWindow, Rect *frame) {
    if (!frame) return;
    *frame = Rect{0, 0, 0, 0};
    if (OrvaIsPlugin()) {
        if (orvaSettings.instanceRect && gShowsInstance && gShowsInstance(platformWindow))
            orvaSettings.instanceRect(platformWindow, frame);
        return;
    }
    GtkWidget *widget = Widget(platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget)) return;
    gint x = 0, y = 0, w = 0, h = 0;
    gtk_window_get_position(GTK_WINDOW(widget), &x, &y);
    gtk_window_get_size(GTK_WINDOW(widget), &w, &h);
    *frame = Rect{SInt16(y), SInt16(x), SInt16(y + h), SInt16(x + w)};
}

void SystemDependantGetScreenRect(Rect *rect) {
    if (!rect) return;
    *rect = Rect{0, 0, 0, 0};
    GdkScreen *screen = gdk_screen_get_default();
    if (!screen) return;
    GdkRectangle g;
    gdk_screen_get_monitor_geometry(screen, gdk_screen_get_primary_monitor(screen), &g);
    *rect = Rect{SInt16(g.y + OffsetYMBar), SInt16(g.x), SInt16(g.y + g.height), SInt16(g.x + g.width)};
    if (gMenuBarWidget && GTK_IS_WINDOW(gMenuBarWidget)) {
        Rect bar;
        SystemDependantGetWindowFrame(gMenuBarWidget, &bar);
        if (bar.left > rect->left) rect->left = bar.left;
        if (bar.top > rect->top) rect->top = bar.top;
    }
}

void SystemDependantSetWindowTitle(void *platformWindow, const char *title) {
    GtkWidget *widget = Widget(platformWindow);
    if (widget && GTK_IS_WINDOW(widget)) gtk_window_set_title(GTK_WINDOW(widget), title ? title : "");
}

void SystemDependantSetWindowShape(WindowPtr window, SInt16, const SInt16 params[7]) {
    if (!window) return;
    GtkWidget *widget = Widget(window->platformWindow);
    if (widget && gtk_widget_get_window(widget)) {
        gdk_window_shape_combine_mask(gtk_widget_get_window(widget), nullptr, 0, 0);
        if (ShapeSize *last = static_cast<ShapeSize *>(g_object_get_data(G_OBJECT(widget), "OrvaShapeSize")))
            *last = ShapeSize();  // the next configure shapes it again
    }
    // Every word, the last corner radius (bottom-right, word 5) included.
    if (params) memcpy(window->shape, params, sizeof window->shape);
}

UInt8 *OrvaBuildWindowShapeMask(const SInt16 shape[7], SInt32 width, SInt32 height, SInt32 *rowBytes) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
    const SInt16 *radii = shape + 2;  // top-left, top-right, bottom-left, bottom-right
    if (!radii[0] && !radii[1] && !radii[2] && !radii[3]) return nullptr;
    std::vector<UInt8> alpha(size_t(width) * size_t(height), 255);
    for (int corner = 0; corner < 4; corner++) {
        SInt32 r = radii[corner];
        if (r <= 0) continue;
        bool right = corner == 1 || corner == 3, bottom = corner >= 2;
        // The corner's square, cut to the window: a radius larger than the window never
        // writes outside the mask.
        SInt32 x0 = right ? width - r : 0, y0 = bottom ? height - r : 0;
        double cx = right ? width - r : r, cy = bottom ? height - r : r;
        for (SInt32 y = y0 < 0 ? 0 : y0; y < y0 + r && y < height; y++) {
            for (SInt32 x = x0 < 0 ? 0 : x0; x < x0 + r && x < width; x++) {
                double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
                alpha[size_t(y) * size_t(width) + size_t(x)] = dx * dx + dy * dy <= double(r) * r ? 255 : 0;
            }
        }
    }
    SInt32 stride = (width + 7) / 8;
    UInt8 *bits = static_cast<UInt8 *>(g_malloc0(size_t(stride) * size_t(height)));
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++)
            if (alpha[size_t(y) * size_t(width) + size_t(x)] >= 128) bits[y * stride + x / 8] |= UInt8(1 << (x % 8));
    *rowBytes = stride;
    return bits;
}

void GTKSetPhysicalWindowShape(WindowPtr window, SInt32 width, SInt32 height) {
    if (!window || window == OrvaGetPlaceholderWindow()) return;
    GtkWidget *widget = Widget(window->platformWindow);
    GdkWindow *gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!gdk) return;
    ShapeSize *last = static_cast<ShapeSize *>(g_object_get_data(G_OBJECT(widget), "OrvaShapeSize"));
    if (!last) {
        last = new ShapeSize;
        g_object_set_data(G_OBJECT(widget), "OrvaShapeSize", last);
    }
    if (last->width == width && last->height == height) return;
    SInt32 stride = 0;
    UInt8 *bits = OrvaBuildWindowShapeMask(window->shape, width, height, &stride);
    if (!bits) return;
    GdkBitmap *mask = gdk_bitmap_create_from_data(gdk, reinterpret_cast<const gchar *>(bits), width, height);
    g_free(bits);
    if (mask) {
        gdk_window_shape_combine_mask(gdk, mask, 0, 0);
        g_object_unref(mask);
    }
    last->width = width;
    last->height = height;
}

void SystemDependantSetWindowFrame(void *platformWindow, SInt16 left, SInt16 top, SInt16 width, SInt16 height,
                                   Boolean resize, Rect *outFrame) {
    if (outFrame) *outFrame = Rect{0, 0, 0, 0};
    if (OrvaIsPlugin() || gReadjusting) return;
    GtkWidget *widget = Widget(platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget)) return;
    if (resize && width > 0 && height > 0) gtk_window_resize(GTK_WINDOW(widget), width, height);
    gtk_window_move(GTK_WINDOW(widget), left, top);
    if (outFrame) *outFrame = Rect{top, left, SInt16(top + height), SInt16(left + width)};
}

void (*OrvaWindowsRetraceWindow)(WindowPtr window);

namespace {

// Erases r (local coordinates of the window's port) with the window's background.
void EraseStrip(WindowPtr window, const Rect &r) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&window->port);
    ThemeDrawingState state = nullptr;
    Boolean restore = GetThemeDrawingState(&state) == noErr;
    EraseRect(&r);
    if (restore) SetThemeDrawingState(state, kTrue);
    SetPort(saved);
}

// Merges old and new frame, relative to the new frame's top-left, into the first dirty slot.
void DirtyBothFrames(WindowPtr window, const Rect &oldFrame, const Rect &newFrame) {
    Rect a = oldFrame, b = newFrame, both;
    _OffsetRect(&a, SInt16(-newFrame.left), SInt16(-newFrame.top));
    _OffsetRect(&b, SInt16(-newFrame.left), SInt16(-newFrame.top));
    _UnionRect(&a, &b, &both);
    _UnionRect(&window->port.dirty[0], &both, &window->port.dirty[0]);
    OrvaProcessTranslucentDirtyRect(window);
}

void ThemeRegion(WindowPtr window, const Rect &frame, Boolean flag) {
    if (RgnHandle region = OrvaCalculateThemeWindowPhysicalRegion(window, &frame, flag)) DisposeRgn(region);
}

}  // namespace

void OrvaMoveAndSizeWindow(WindowPtr window, const Rect *contentRect, Boolean redraw, Boolean scrollBars,
                           Boolean force, Boolean drawers) {
    if (!window || !contentRect) return;
    OrvaProcessUnderMouse(nullptr, nullptr, 0, 0);
    GrafPort &port = window->port;
    SInt32 oldWidth = port.portRect.right - port.portRect.left, oldHeight = port.portRect.bottom - port.portRect.top;
    SInt32 width = contentRect->right - contentRect->left, height = contentRect->bottom - contentRect->top;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    bool resizing = force || width != oldWidth || height != oldHeight;
    bool moving = force || contentRect->left != port.screenH || contentRect->top != port.screenV;
    if (!resizing && !moving) return;
    Rect oldFrame = {SInt16(port.screenV - port.marginTop), SInt16(port.screenH - port.marginLeft),
                     SInt16(port.screenV + oldHeight + port.marginBottom),
                     SInt16(port.screenH + oldWidth + port.marginRight)};
    Rect newFrame = {SInt16(contentRect->top - port.marginTop), SInt16(contentRect->left - port.marginLeft),
                     SInt16(contentRect->top + height + port.marginBottom),
                     SInt16(contentRect->left + width + port.marginRight)};
    if (resizing) {
        OrvaPortSize(&port, SInt16(width), SInt16(height), 0, 0, kFalse);
        port.portRect = Rect{0, 0, SInt16(height), SInt16(width)};
        port.portBits.bounds = port.portRect;
        if (port.visRgn) RectRgn(port.visRgn, &port.portRect);
        if (window->windowDefProc) window->windowDefProc(0, window, 2, 0);
        if (port.surface && width > oldWidth && oldWidth >= 0)
            EraseStrip(window, Rect{0, SInt16(oldWidth), SInt16(height), SInt16(width)});
        if (port.surface && height > oldHeight && oldHeight >= 0) {
            Rect strip = {SInt16(oldHeight), 0, SInt16(height), SInt16(width)};
            EraseStrip(window, strip);
            InvalWindowRect(window, &strip);
        }
        if (redraw && OrvaWindowsRetraceWindow) OrvaWindowsRetraceWindow(window);
        if (window->windowDefProc) window->windowDefProc(0, window, 0, 0);
    }
    void *platform = window->platformWindow;
    SInt16 frameWidth = SInt16(newFrame.right - newFrame.left), frameHeight = SInt16(newFrame.bottom - newFrame.top);
    if (!moving) {
        ThemeRegion(window, newFrame, kTrue);
        DirtyBothFrames(window, oldFrame, newFrame);
        SystemDependantSetWindowFrame(platform, newFrame.left, newFrame.top, frameWidth, frameHeight, kTrue, nullptr);
    } else {
        if (!window->strucRgn) window->strucRgn = NewRgn();
        if (window->strucRgn) RectRgn(window->strucRgn, &newFrame);
        port.screenV = contentRect->top;
        port.screenH = contentRect->left;
        if (!window->translucent) {
            DirtyBothFrames(window, oldFrame, newFrame);
            if (resizing) ThemeRegion(window, newFrame, kFalse);
            SystemDependantSetWindowFrame(platform, newFrame.left, newFrame.top, frameWidth, frameHeight,
                                          resizing ? kTrue : kFalse, nullptr);
        } else {
            if (resizing) ThemeRegion(window, newFrame, kFalse);
            SystemDependantSetWindowFrame(platform, newFrame.left, newFrame.top, frameWidth, frameHeight,
                                          resizing ? kTrue : kFalse, nullptr);
            OrvaUpdateWhenTranslucentMove(window, &oldFrame);
            DirtyBothFrames(window, oldFrame, newFrame);
        }
    }
    if (drawers) OrvaAdjustDrawers(window);
    (void)scrollBars;  // the main scroll bars follow by themselves on this platform
}

GtkWidget *OrvaCreatePhysicalWindow(WindowPtr window, const Rect *rect, WindowPtr behind, Boolean inTaskBar) {
    if (!window || !rect) return nullptr;
    const GrafPort &port = window->port;
    Rect frame = {SInt16(rect->top - port.marginTop), SInt16(rect->left - port.marginLeft),
                  SInt16(rect->bottom + port.marginBottom), SInt16(rect->right + port.marginRight)};
    GtkWidget *widget = SystemDependantCreatePhysicalWindow(window, &frame, behind, inTaskBar);
    if (!widget) return nullptr;
    SystemDependantSetWindowTitle(widget, window->title ? window->title : "");
    ThemeRegion(window, frame, kFalse);
    // In front of all (-1) and at the back (null) both stand behind the menu bar.
    bool frontOrBack = !behind || behind == reinterpret_cast<WindowPtr>(-1);
    SystemDependantSendWindowBehind(window, frontOrBack ? nullptr : behind);
    SystemDependantPosteLigneDeCommande();
    if (window->visible) {
        SystemDependantMiniMaxiWindow(widget, -1);
        SystemDependantShowWindow(widget, window);
    }
    return widget;
}

void OrvaSendBehind(WindowPtr window, WindowPtr behind) {
    if (!window) return;
    SystemDependantSendWindowBehind(window, behind);
    if (window->strucRgn && *window->strucRgn) OrvaGlobalTranslucentDirtyRect(&(*window->strucRgn)->rgnBBox);
}

void OrvaSetFocusToWindow(WindowPtr window) {
    if (window) SystemDependantSetFocus(window->platformWindow);
}

void OrvaShowHide(WindowPtr window, Boolean show) {
    if (!window) return;
    if (!show) {
        window->deferredShow = kFalse;
        SystemDependantHideWindow(window->platformWindow);
        return;
    }
    if (window->deferredShow) return;  // shown once its content is ready
    SystemDependantDoEvent();
    if (!window->port.surface && !window->port.noBuffer) SystemDependantInitPortData(&window->port);
    SystemDependantShowWindow(window->platformWindow, window);
}

void OrvaDeletePhysicalWindow(WindowPtr window) {
    if (!window || !window->platformWindow) return;
    if (!OrvaIsPlugin()) SystemDependantDestroyWindow(window->platformWindow);
    window->platformWindow = nullptr;
    window->mapped = kFalse;
}

void GTKReadjustStructRect(WindowPtr window, SInt16 x, SInt16 y, SInt16 width, SInt16 height) {
    if (!window || window == OrvaGetPlaceholderWindow()) return;
    const GrafPort &port = window->port;
    Rect content = {SInt16(y + port.marginTop), SInt16(x + port.marginLeft),
                    SInt16(y + height - port.marginBottom), SInt16(x + width - port.marginRight)};
    Boolean was = gReadjusting;
    gReadjusting = kTrue;  // the window manager has placed the platform window already
    OrvaMoveAndSizeWindow(window, &content, kTrue, kTrue, kFalse, kTrue);
    gReadjusting = was;
    if (gResizeHook) gResizeHook(window, width, height);
}

void SystemDependantMiniMaxiWindow(void *platformWindow, SInt16 how) {
    if (OrvaIsPlugin()) return;
    GtkWidget *widget = Widget(platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget)) return;
    if (how == 1) gtk_window_maximize(GTK_WINDOW(widget));
    else if (how == -1) gtk_window_unmaximize(GTK_WINDOW(widget));
}

// ---- Devices and resolution ---------------------------------------------------------------

GDHandle SystemDependantGetDeviceList() {
    for (GDHandle device : gDevices) DisposHandle(reinterpret_cast<Handle>(device));
    gDevices.clear();
    GDHandle main = GetGDevice();
    GdkScreen *screen = gdk_screen_get_default();
    gint monitors = screen ? gdk_screen_get_n_monitors(screen) : 0;
    if (monitors <= 0) return main;
    for (gint i = 0; i < monitors; i++) {
        GDHandle device = reinterpret_cast<GDHandle>(NewHandleClear(sizeof(GDevice)));
        if (!device) break;
        GdkRectangle g;
        gdk_screen_get_monitor_geometry(screen, i, &g);
        GDevice &d = **device;
        d.gdID = SInt16(i);
        if (main && *main) {
            d.gdType = (*main)->gdType;
            d.gdFlags = (*main)->gdFlags;
        }
        d.gdRect = Rect{SInt16(g.y), SInt16(g.x), SInt16(g.y + g.height), SInt16(g.x + g.width)};
        if (i == 0) d.gdRect.top = SInt16(d.gdRect.top + OffsetYMBar);
        if (!gDevices.empty()) (*gDevices.back())->gdNextGD = reinterpret_cast<Handle>(device);
        gDevices.push_back(device);
    }
    return gDevices.empty() ? main : gDevices.front();
}

GDHandle SystemDependantGetNextDevice(GDHandle device) {
    for (GDHandle known : gDevices)
        if (known == device) return reinterpret_cast<GDHandle>((*known)->gdNextGD);
    return nullptr;
}

GDHandle SystemDependantGetMainDevice() { return GetGDevice(); }
GDHandle SystemDependantGetMaxDevice() { return GetGDevice(); }

void SystemDependantGetScreenDpi(SInt16 *h, SInt16 *v) {
    if (GdkScreen *screen = gdk_screen_get_default()) {
        double dpi = gdk_screen_get_resolution(screen);
        if (dpi <= 0) {
            gint mm = gdk_screen_get_width_mm(screen);
            if (mm > 0) dpi = gdk_screen_get_width(screen) * 25.4 / mm;
        }
        if (dpi > 0 && dpi < 10000) gDpiH = gDpiV = SInt16(lround(dpi));
    }
    if (h) *h = gDpiH;
    if (v) *v = gDpiV;
}

// ---- Screen position, transfer, focus, transparency -----------------------------------------

void SystemDependantUpdatePortPos(WindowPtr window) {
    if (!window) return;
    GtkWidget *widget = Widget(window->platformWindow);
    if (!widget || RecordOf(widget) != window) return;  // not one of ours
    UInt32 now = TickCount();
    if (gPortPosRead && now - gLastPortPosTicks < 3) return;
    gPortPosRead = true;
    gLastPortPosTicks = now;
    Rect frame;
    SystemDependantGetWindowFrame(widget, &frame);
    window->port.screenV = SInt16(frame.top + window->port.marginTop);
    window->port.screenH = SInt16(frame.left + window->port.marginLeft);
}

void SystemDependantScreenTransfer(WindowPtr window, SInt16 x, SInt16 y, SInt16 w, SInt16 h, SInt16 srcH,
                                   SInt16 srcV) {
    if (!window || w <= 0 || h <= 0 || !window->port.surface) return;
    GtkWidget *widget = Widget(window->platformWindow);
    GdkWindow *gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!gdk) return;
    cairo_surface_flush(window->port.surface);
    cairo_t *cr = gdk_cairo_create(gdk);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_set_source_surface(cr, window->port.surface, -srcH, -srcV);
    cairo_paint(cr);
    cairo_destroy(cr);
}

void SystemDependantGetWindowTitle(void *platformWindow, char *title, SInt32 size) {
    if (!title || size <= 0) return;
    title[0] = 0;
    GtkWidget *widget = Widget(platformWindow);
    const char *text = widget && GTK_IS_WINDOW(widget) ? gtk_window_get_title(GTK_WINDOW(widget)) : nullptr;
    if (text) g_strlcpy(title, text, gsize(size));
}

void SystemDependantSetFocus(void *platformWindow) {
    GtkWidget *widget = Widget(platformWindow);
    GdkWindow *gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (gdk && gtk_widget_get_mapped(widget)) gdk_window_focus(gdk, gtk_get_current_event_time());
}

void SystemDependantLoseFocus(void *platformWindow) {
    GtkWidget *widget = Widget(platformWindow);
    if (widget && GTK_IS_WINDOW(widget)) gtk_window_set_focus(GTK_WINDOW(widget), nullptr);
}

void SystemDependantSetWindowTransparency(void *platformWindow, SInt16 level) {
    if (OrvaIsPlugin()) return;
    GtkWidget *widget = Widget(platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget) || !gtk_widget_is_composited(widget)) return;
    double opacity = 1.0 - level / 1000.0;
    gtk_window_set_opacity(GTK_WINDOW(widget), opacity < 0 ? 0 : opacity > 1 ? 1 : opacity);
}

Boolean SystemDependantSendWindowBehind(WindowPtr, WindowPtr) { return OrvaIsPlugin(); }
Boolean GTKSendWindowBehind(WindowPtr, WindowPtr) { return OrvaIsPlugin(); }

void SystemDependantCloseMainWindow() {}
void SystemDependantManageMainScrollBars() {}
void GTKForceWindowsZOrder() {}
void SystemDependantSetWindowFullScreen(WindowPtr, Boolean) {}
void SystemDependantSetGrowGhost(const Rect *) {}
void SystemDependantDisposeGrowGhost() {}
void SystemDependantInvalidateGlobalDiffRect(const Rect *, const Rect *) {}
void SystemDependantDestroyPluginWindow(void *) {}
void SystemDependantCreateTranslucentClipRgn(WindowPtr) {}
void SystemDependantCompleteTranslucentBackground(WindowPtr) {}
void SystemDependantTransferTranslucentDesktop(WindowPtr) {}

// ---- Translucent windows -------------------------------------------------------------------

namespace {

cairo_surface_t *TranslucentSurface(WindowPtr window, int i) {
    return static_cast<cairo_surface_t *>(window->translucentBuffers[i]);
}

// The window's buffer origin on the screen.
void BufferOrigin(WindowPtr window, SInt32 *h, SInt32 *v) {
    *h = window->port.screenH - window->port.marginLeft;
    *v = window->port.screenV - window->port.marginTop;
}

// Adds a screen rectangle to a translucent window's dirty slots, cut to its structure.
void AddScreenDirty(WindowPtr target, const Rect &screen) {
    Rect cut = screen;
    if (target->strucRgn && *target->strucRgn) {
        const Rect &box = (*target->strucRgn)->rgnBBox;
        if (!SectRect(&screen, &box, &cut)) return;
    }
    if (EmptyRect(&cut)) return;
    SInt32 h, v;
    BufferOrigin(target, &h, &v);
    GrafPort &port = target->port;
    // Into content coordinates, corners included, as the dirty-area recorder takes them.
    SInt32 left = cut.left - h - port.marginLeft, top = cut.top - v - port.marginTop;
    SInt32 right = cut.right - 1 - h - port.marginLeft, bottom = cut.bottom - 1 - v - port.marginTop;
    GrafPtr saved;
    GetPort(&saved);
    if (!saved) SetPort(&port);
    OrvaAddDirtyRectPort(&port, SInt16(left), SInt16(top), SInt16(right), SInt16(bottom));
    if (!saved) SetPort(nullptr);
}

bool VisibleTranslucent(WindowPtr w) { return w && w->translucent && w->visible; }

void InvalidateScreenRect(WindowPtr w, const Rect &screen) {
    if (!w || !w->platformWindow) return;
    SInt32 h, v;
    BufferOrigin(w, &h, &v);
    Rect local = screen;
    _OffsetRect(&local, SInt16(-h), SInt16(-v));
    SystemDependantInvalidateRect(w->platformWindow, &local);
}

}  // namespace

void SystemDependantDisposeTranslucentData(WindowPtr window) {
    if (!window) return;
    for (int i = 0; i < 2; i++) {
        if (cairo_surface_t *surface = TranslucentSurface(window, i)) {
            if (window->port.translucentSurface[i] == surface) window->port.translucentSurface[i] = nullptr;
            cairo_surface_destroy(surface);
        }
        window->translucentBuffers[i] = nullptr;
    }
    window->port.translucent = 0;
}

OSErr OrvaAllocateTranslucentData(WindowPtr window) {
    if (!window) return paramErr;
    SystemDependantDisposeTranslucentData(window);
    SInt32 width = window->port.width > 0 ? window->port.width : 1;
    SInt32 height = window->port.height > 0 ? window->port.height : 1;
    for (int i = 0; i < 2; i++) {
        cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(surface);
            SystemDependantDisposeTranslucentData(window);
            return memFullErr;
        }
        window->translucentBuffers[i] = surface;
        window->port.translucentSurface[i] = surface;
    }
    window->translucent = kTrue;
    window->port.translucent = 1;
    window->port.dirty[0] = Rect{0, 0, SInt16(height), SInt16(width)};
    for (int i = 1; i < kPortDirtySlots; i++) window->port.dirty[i] = Rect{0, 0, 0, 0};
    return noErr;
}

void OrvaDisposeTranslucentData(WindowPtr window) {
    if (!window) return;
    SystemDependantDisposeTranslucentData(window);
    window->translucent = kFalse;
}

void OrvaProcessTranslucentDirtyRect(WindowPtr window) {
    if (!window) return;
    SInt32 h, v;
    BufferOrigin(window, &h, &v);
    for (WindowPtr w = GetWindowList(); w && w != window; w = _GetNextWindow(w)) {
        if (!VisibleTranslucent(w)) continue;
        for (const Rect &slot : window->port.dirty) {
            if (EmptyRect(&slot)) break;
            Rect screen = slot;
            _OffsetRect(&screen, SInt16(h), SInt16(v));
            AddScreenDirty(w, screen);
        }
    }
}

void OrvaGlobalTranslucentDirtyRect(const Rect *rect) {
    if (!rect) return;
    for (WindowPtr w = GetWindowList(); w; w = _GetNextWindow(w))
        if (VisibleTranslucent(w)) AddScreenDirty(w, *rect);
}

void OrvaUpdateWhenTranslucentMove(WindowPtr window, const Rect *rect) {
    if (!window || !rect) return;
    InvalidateScreenRect(window, *rect);
    bool after = false;
    for (WindowPtr w = GetWindowList(); w; w = _GetNextWindow(w)) {
        if (w == window) after = true;
        else if (after && w->visible) InvalidateScreenRect(w, *rect);
    }
    if (WindowPtr frame = OrvaGetFrameWnd()) InvalidateScreenRect(frame, *rect);
}

// ---- The frame and dragging -----------------------------------------------------------------

void OrvaResizeFrame(SInt16 width, SInt16 height) {
    WindowPtr frameWnd = OrvaGetFrameWnd();
    if (width < 0 || height < 0) {
        Rect size;
        if (frameWnd && frameWnd->platformWindow) SystemDependantGetWindowFrame(frameWnd->platformWindow, &size);
        else SystemDependantGetScreenRect(&size);
        if (width < 0) width = SInt16(size.right - size.left);
        if (height < 0) height = SInt16(size.bottom - size.top);
    }
    if (!frameWnd) width = height = 1;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    GrafPort &frame = OrvaFrameGrafPort;
    frame.portRect = Rect{0, 0, height, width};
    frame.portBits.bounds = frame.portRect;
    frame.portBits.baseAddr = kPortPixelsMarker;
    if (!frame.visRgn) frame.visRgn = NewRgn();
    if (frame.visRgn) RectRgn(frame.visRgn, &frame.portRect);
    frame.fgColor = 33;
    frame.bkColor = 30;
    frame.rgbFgColor = RGBColor{0, 0, 0};
    frame.rgbBkColor = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    if (frame.depth < 8) frame.depth = 24;
    OrvaPortSize(&frame, width, height, 0, 0, kTrue);
    Rect wide = {-32000, -32000, 32000, 32000};
    if (!frame.clipRgn) frame.clipRgn = NewRgn();
    if (frame.clipRgn) RectRgn(frame.clipRgn, &wide);
    OrvaRetraceDesktop();
    if (frameWnd) {
        if (frameWnd->platformWindow) SystemDependantInvalidateRect(frameWnd->platformWindow, &frame.portRect);
        qd.screenBits = frame.portBits;
    } else {
        Rect screen;
        SystemDependantGetScreenRect(&screen);
        qd.screenBits.bounds = screen;
    }
    if (gMenuBarWidget && gMenuBarPort) {
        SInt16 barHeight = SInt16(gMenuBarPort->portRect.bottom - gMenuBarPort->portRect.top);
        if (barHeight < 1) barHeight = 1;
        if (GTK_IS_WINDOW(gMenuBarWidget)) {
            gtk_window_move(GTK_WINDOW(gMenuBarWidget), 0, OffsetYMBar);
            gtk_window_resize(GTK_WINDOW(gMenuBarWidget), width, barHeight);
        }
        if (!gMenuBarPort->surface) OrvaInitPort(gMenuBarPort);
        OrvaPortSize(gMenuBarPort, width, barHeight, 0, 0, kTrue);
        gMenuBarPort->portRect = Rect{0, 0, barHeight, width};
        gMenuBarPort->portBits.bounds = gMenuBarPort->portRect;
        if (gMenuBarPort->visRgn) RectRgn(gMenuBarPort->visRgn, &gMenuBarPort->portRect);
        OrvaDrawMenuBar();
        SystemDependantInvalidateRect(gMenuBarWidget, &gMenuBarPort->portRect);
    }
    calcule_portclip();
    OrvaRecalculeRgnClip();
}

namespace {

// The drag under way: the pump moves the window while the button stays down.
struct WindowDrag {
    WindowPtr window = nullptr;
    Point last;        // pointer, screen coordinates
    Rect limits;
    bool moved = false;
};
WindowDrag gDrag;

void FinishDrag() {
    WindowPtr window = gDrag.window;
    bool moved = gDrag.moved;
    gDrag = WindowDrag();
    if (window && moved && (window->stateFlags & 0x200)) {
        window->stateFlags &= ~UInt32(0x200);
        if (window->windowDefProc) window->windowDefProc(0, window, 0, 0);
    }
    SystemDependantStopLimitMouseMovements();
}

}  // namespace

SInt16 OrvaDragWindow(WindowPtr window, Point start, const Rect *limits) {
    if (!window) return 0;
    if (OrvaIsPlugin()) return 1;  // the browser places the instances
    if (gDrag.window) FinishDrag();
    Rect bounds = {0, 0, 32000, 32000};
    WindowPtr frameWnd = OrvaGetFrameWnd();
    if (limits) bounds = *limits;
    else if (frameWnd) bounds = OrvaFrameGrafPort.portRect;
    if (bounds.top == 0) {
        SInt16 bar = 0;
        GetThemeMenuBarHeight(&bar);
        bounds.top = SInt16(bar + OffsetYMBar);
    }
    SystemDependantStartLimitMouseMovements();
    gDrag.window = window;
    gDrag.last = start;
    gDrag.limits = bounds;
    gDrag.moved = false;
    // Nothing waits here: each pass of the pump follows the pointer until the button is up.
    OrvaAdvanceWindowDrag();
    return 1;
}

Boolean OrvaAdvanceWindowDrag() {
    if (!gDrag.window) return kFalse;
    WindowPtr window = gDrag.window;
    Point where;
    lit_mouse(&where);
    bool down = (SystemDependantGetMouseButton() & 1) != 0;
    if (where.h != gDrag.last.h || where.v != gDrag.last.v) {
        GrafPort &port = window->port;
        SInt16 dh = SInt16(where.h - gDrag.last.h), dv = SInt16(where.v - gDrag.last.v);
        Rect content = {SInt16(port.screenV + dv), SInt16(port.screenH + dh),
                        SInt16(port.screenV + dv + port.portRect.bottom - port.portRect.top),
                        SInt16(port.screenH + dh + port.portRect.right - port.portRect.left)};
        if (content.top < gDrag.limits.top) _OffsetRect(&content, 0, SInt16(gDrag.limits.top - content.top));
        OrvaMoveAndSizeWindow(window, &content, kFalse, kTrue, kFalse, kTrue);
        gDrag.last = where;
        gDrag.moved = true;
    }
    if (!down) {
        FinishDrag();
        return kFalse;
    }
    return kTrue;
}

void OrvaCancelWindowDrag(WindowPtr window) {
    if (gDrag.window && (!window || gDrag.window == window)) gDrag = WindowDrag();
}

WindowPtr OrvaGetDraggedWindow() { return gDrag.window; }
