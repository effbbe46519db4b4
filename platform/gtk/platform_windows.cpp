// The GTK windows behind the library's top-level windows.
#include "platform/gtk/platform_windows.h"

#include <string.h>

#include <vector>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/runtime.h"
#include "platform/gtk/port_surfaces.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/plugin_instances.h"

namespace {

const char kWindowKey[] = "OrvaWnd";

struct ShapeSize {
    SInt32 width = -1, height = -1;
};

GtkWidget *Widget(void *platformWindow) {
    return platformWindow && GTK_IS_WIDGET(platformWindow) ? GTK_WIDGET(platformWindow) : nullptr;
}

}  // namespace

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
        if (ShapeSize *size = static_cast<ShapeSize *>(g_object_get_data(G_OBJECT(widget), "OrvaShapeSize")))
            g_object_set_data(G_OBJECT(widget), "OrvaShapeSize", nullptr), delete size;
        gtk_widget_destroy(widget);
    }
}

void SystemDependantGetWindowFrame(void *platformWindow, Rect *frame) {
    if (!frame) return;
    *frame = Rect{0, 0, 0, 0};
    if (OrvaIsPlugin()) {
        if (orvaSettings.instanceRect && OrvaPluginGetIDFromHWND(platformWindow))
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
}

void SystemDependantSetWindowTitle(void *platformWindow, const char *title) {
    GtkWidget *widget = Widget(platformWindow);
    if (widget && GTK_IS_WINDOW(widget)) gtk_window_set_title(GTK_WINDOW(widget), title ? title : "");
}

void SystemDependantSetWindowShape(WindowPtr window, SInt16, const SInt16 params[5]) {
    if (!window) return;
    GtkWidget *widget = Widget(window->platformWindow);
    if (widget && gtk_widget_get_window(widget))
        gdk_window_shape_combine_mask(gtk_widget_get_window(widget), nullptr, 0, 0);
    if (params) {
        // The five words: two words, four corner radii packed as 16-bit values, one word.
        window->shape[0] = params[0];
        window->shape[1] = params[1];
        window->shape[2] = params[2];
        window->shape[3] = params[3];
        window->shape[4] = params[4];
    }
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
    if (!window) return;
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
    if (OrvaIsPlugin()) return;
    GtkWidget *widget = Widget(platformWindow);
    if (!widget || !GTK_IS_WINDOW(widget)) return;
    if (resize && width > 0 && height > 0) gtk_window_resize(GTK_WINDOW(widget), width, height);
    gtk_window_move(GTK_WINDOW(widget), left, top);
    if (outFrame) *outFrame = Rect{top, left, SInt16(top + height), SInt16(left + width)};
}

void OrvaMoveAndSizeWindow(WindowPtr window, const Rect *contentRect, Boolean, Boolean, Boolean force, Boolean) {
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
        if (window->windowDefProc) {
            window->windowDefProc(0, window, 2, 0);
            window->windowDefProc(0, window, 0, 0);
        }
    }
    // Old and new frame, relative to the new frame's top-left, into the first dirty slot.
    Rect a = oldFrame, b = newFrame, both;
    _OffsetRect(&a, SInt16(-newFrame.left), SInt16(-newFrame.top));
    _OffsetRect(&b, SInt16(-newFrame.left), SInt16(-newFrame.top));
    _UnionRect(&a, &b, &both);
    _UnionRect(&port.dirty[0], &both, &port.dirty[0]);
    if (moving) {
        if (!window->strucRgn) window->strucRgn = NewRgn();
        if (window->strucRgn) RectRgn(window->strucRgn, &newFrame);
        port.screenV = contentRect->top;
        port.screenH = contentRect->left;
    }
    SystemDependantSetWindowFrame(window->platformWindow, newFrame.left, newFrame.top,
                                  SInt16(newFrame.right - newFrame.left), SInt16(newFrame.bottom - newFrame.top),
                                  resizing ? kTrue : kFalse, nullptr);
}
