// The event pump and the GTK signal handlers of the library's top-level windows.
#include "platform/gtk/event_pump.h"

#include <string.h>

#include <vector>

#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/window_record.h"
#include "graphics/text/textedit.h"
#include "graphics/cairo/dirty_areas.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/gtk/platform_windows.h"

namespace {

enum : SInt16 { kFocusChecksBeforeChange = 6 };
enum : UInt32 { kResumeMessage = 0x1000001, kSuspendMessage = 0x1000000 };

Boolean gProcessWindowMessages = kTrue;
Boolean gActive = kTrue;
SInt16 gFocusRequest;
SInt16 gFocusPasses;
bool gInFocusCheck;
UInt32 gFocusChecks;
GtkIMContext *gIM;
UInt8 gLastScanCode;
std::vector<GtkWidget *> gWidgets;  // the windows whose handlers are connected
Boolean (*gWheel)(SInt16) = OrvaProcessWheelMouse;
WindowRecord gPlaceholderRecord;
WindowPtr gPlaceholder;  // &gPlaceholderRecord while it exists

}  // namespace

Boolean GTKIsFocusOnWindow() {
    for (GtkWidget *w : gWidgets)
        if (GTK_IS_WINDOW(w) && gtk_window_has_toplevel_focus(GTK_WINDOW(w))) return kTrue;
    return kFalse;
}

namespace {

// Runs the default main context while it dispatches; true when anything was dispatched.
bool Iterate() {
    bool any = false;
    while (g_main_context_iteration(nullptr, FALSE)) any = true;
    return any;
}

gboolean OnKeyPress(GtkWidget *, GdkEventKey *event, gpointer) {
    GTKUpdateKeyState(1, event->keyval, event->hardware_keycode);
    UInt32 message = OrvaGtkKeyMessage(event);
    gLastScanCode = UInt8(message >> 8);
    UInt8 character = UInt8(message);
    Rect title;
    if ((event->state & (GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK)) == GDK_MOD1_MASK && character &&
        OrvaRechercheRaccourciMenuBar(UniChar(message >> 16), &title)) {
        // An option shortcut of a menu title opens that menu as a click on its title would.
        Point saved;
        lit_mouse(&saved);
        OrvaSetMousePos(Point{SInt16((title.top + title.bottom) / 2), SInt16((title.left + title.right) / 2)}, kFalse);
        PostEvent(1, 0);
        PostEvent(2, 0);
        OrvaSetMousePos(saved, kFalse);
        return TRUE;
    }
    if (gIM && gtk_im_context_filter_keypress(gIM, event)) return TRUE;
    if (message) PostEvent(3, message);
    return TRUE;
}

gboolean OnKeyRelease(GtkWidget *, GdkEventKey *event, gpointer) {
    GTKUpdateKeyState(0, event->keyval, event->hardware_keycode);
    UInt32 message = OrvaGtkKeyMessage(event);
    if (message) PostEvent(4, message);
    return TRUE;
}

gboolean OnFocusIn(GtkWidget *, GdkEventFocus *, gpointer) {
    if (!gActive) OrvaRequestApplicationFocus(1);
    return FALSE;
}

gboolean OnFocusOut(GtkWidget *, GdkEventFocus *, gpointer) {
    if (gActive && gFocusRequest != 1) OrvaRequestApplicationFocus(-1);
    return FALSE;
}

gboolean OnScroll(GtkWidget *, GdkEventScroll *event, gpointer) {
    bool forward = event->direction == GDK_SCROLL_DOWN || event->direction == GDK_SCROLL_RIGHT;
    gWheel(forward ? 3 : -3);
    return TRUE;
}

gboolean OnDelete(GtkWidget *, GdkEvent *, gpointer) {
    // A close request from the window manager becomes the quit command; the window stays.
    UInt32 when = OrvaGetLastTickCountEvent();
    OrvaPostPseudoEvent(3, 'Q', 256, when, 0);
    OrvaPostPseudoEvent(4, 'Q', 256, when, 0);
    return TRUE;
}

gboolean OnIgnored(GtkWidget *, GdkEvent *, gpointer) { return TRUE; }

void OnCommit(GtkIMContext *context, const gchar *text, gpointer) {
    OrvaPostCommittedText(text);
    gtk_im_context_reset(context);
}

void OnPreedit(GtkIMContext *, gpointer) {}

gboolean OnMap(GtkWidget *, GdkEvent *, gpointer window) {
    static_cast<WindowPtr>(window)->mapped = kTrue;
    return TRUE;
}

gboolean OnUnmap(GtkWidget *, GdkEvent *, gpointer window) {
    static_cast<WindowPtr>(window)->mapped = kFalse;
    return TRUE;
}

// Paints the exposed part of the window's port surface onto the window.
gboolean OnExpose(GtkWidget *widget, GdkEventExpose *event, gpointer window) {
    GrafPort &port = static_cast<WindowPtr>(window)->port;
    GdkWindow *gdk = gtk_widget_get_window(widget);
    if (!port.surface || !gdk) return TRUE;
    cairo_t *cr = gdk_cairo_create(gdk);
    cairo_rectangle(cr, event->area.x, event->area.y, event->area.width, event->area.height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, port.surface, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    return TRUE;
}

gboolean OnConfigure(GtkWidget *widget, GdkEventConfigure *event, gpointer data) {
    if (widget == GTKGetMenuBarWidget()) return FALSE;
    WindowPtr window = static_cast<WindowPtr>(data);
    GTKSetPhysicalWindowShape(window, event->width, event->height);
    const GrafPort &port = window->port;
    SInt32 width = port.portRect.right - port.portRect.left + port.marginLeft + port.marginRight;
    SInt32 height = port.portRect.bottom - port.portRect.top + port.marginTop + port.marginBottom;
    if (event->width != width || event->height != height)
        GTKReadjustStructRect(window, SInt16(event->x), SInt16(event->y), SInt16(event->width), SInt16(event->height));
    return FALSE;
}

void OnWidgetDestroyed(GtkWidget *widget, gpointer) {
    for (size_t i = 0; i < gWidgets.size(); i++) {
        if (gWidgets[i] == widget) {
            gWidgets.erase(gWidgets.begin() + long(i));
            break;
        }
    }
}

// Polls every 100 microseconds, pumping between polls, until the widget is (un)mapped or half
// a second has gone.
void WaitMapped(GtkWidget *widget, bool mapped) {
    UInt32 start = SystemDependantGetTickCountMs();
    while (GTK_IS_WIDGET(widget) && bool(gtk_widget_get_mapped(widget)) != mapped &&
           SystemDependantGetTickCountMs() - start < 500) {
        SystemDependantDoEvent();
        Iterate();  // also when the pump leaves window messages alone
        g_usleep(100);
    }
}

bool TaskBarWindowShown() {
    for (GtkWidget *w : gWidgets) {
        WindowPtr record = static_cast<WindowPtr>(g_object_get_data(G_OBJECT(w), "OrvaWnd"));
        if (!record || record == gPlaceholder) continue;
        if (record->shownInTaskBar && gtk_widget_get_visible(w) && gtk_widget_get_mapped(w)) return true;
    }
    return false;
}

void ShowPlaceholder() {
    if (!gPlaceholder) {
        WindowRecord &p = gPlaceholderRecord;
        memset(&p, 0, sizeof p);
        GrafPtr saved;
        GetPort(&saved);
        OpenPort(&p.port);
        PortSize(1, 1);
        SetPort(saved);
        Rect open = {-32767, -32767, 32767, 32767};
        if (p.port.visRgn) RectRgn(p.port.visRgn, &open);
        if (p.port.clipRgn) RectRgn(p.port.clipRgn, &open);
        p.visible = kTrue;
        gPlaceholder = &p;
        Rect where = {0, 0, 1, 1};
        SystemDependantCreatePhysicalWindow(gPlaceholder, &where, nullptr, kTrue);
    }
    if (GtkWidget *widget = static_cast<GtkWidget *>(gPlaceholder->platformWindow)) {
        gtk_widget_show_all(widget);
        WaitMapped(widget, true);
        SystemDependantLoseFocus(widget);
    }
}

void DestroyPlaceholder() {
    if (!gPlaceholder) return;
    WindowPtr p = gPlaceholder;
    if (GtkWidget *widget = static_cast<GtkWidget *>(p->platformWindow)) {
        gtk_widget_hide(widget);
        SystemDependantDestroyWindow(widget);
    }
    p->platformWindow = nullptr;
    GrafPtr current;
    GetPort(&current);
    if (current == &p->port) SetPort(nullptr);
    ClosePort(&p->port);
    gPlaceholder = nullptr;
}

void OnDragData(GtkWidget *, GdkDragContext *, gint, gint, GtkSelectionData *, guint, guint, gpointer) {}
gboolean OnDragDrop(GtkWidget *, GdkDragContext *, gint, gint, guint, gpointer) { return FALSE; }
void OnDragLeave(GtkWidget *, GdkDragContext *, guint, gpointer) {}
gboolean OnDragMotion(GtkWidget *, GdkDragContext *, gint, gint, guint, gpointer) { return FALSE; }

}  // namespace

UInt32 OrvaGtkKeyMessage(const GdkEventKey *event) {
    UInt8 character = 0;
    UniChar unicode = 0;
    if (event->string && event->length > 0) {
        glong units = 0;
        gunichar2 *utf16 = g_utf8_to_utf16(event->string, event->length, nullptr, &units, nullptr);
        if (utf16 && units > 0) {
            unicode = utf16[0];
            character = UnicodeCharToMacRoman(unicode);
        }
        g_free(utf16);
    }
    if (character == 0) character = UInt8(GTKGetKeyAscii(event->keyval));
    UInt8 scan = GtkLinuxKeyToScancode(event->hardware_keycode, event->keyval, character);
    if (unicode == 0) {
        if (character == 0) return 0;
        unicode = character;
    } else if (character < 27 && character != 13) {
        character = UInt8(character + 64);  // control letters read as the letters
        unicode = character;
    }
    return UInt32(unicode) << 16 | UInt32(scan) << 8 | character;
}

void OrvaPostCommittedText(const char *text) {
    glong units = 0;
    gunichar2 *utf16 = text ? g_utf8_to_utf16(text, -1, nullptr, &units, nullptr) : nullptr;
    for (glong i = 0; utf16 && i < units; i++) {
        UniChar unit = utf16[i];
        UInt32 message = UInt32(unit) << 16 | UInt32(gLastScanCode) << 8 | UnicodeCharToMacRoman(unit);
        PostEvent(3, message);
        PostEvent(4, message);
    }
    g_free(utf16);
}

void OrvaSetProcessWindowMessages(Boolean on) { gProcessWindowMessages = on; }
Boolean OrvaIsProcessWindowMessages() { return gProcessWindowMessages; }
void OrvaSetWheelHandler(Boolean (*handler)(SInt16)) { gWheel = handler ? handler : OrvaProcessWheelMouse; }
UInt32 OrvaGetFocusCheckCount() { return gFocusChecks; }

void OrvaRequestApplicationFocus(SInt16 request) {
    if (request != gFocusRequest) gFocusPasses = 0;
    gFocusRequest = request;
}

Boolean SystemDependantApplicationHasFocus() { return OrvaIsPlugin() ? Boolean(kTrue) : gActive; }

void SystemDependantDoEvent() {
    if (gProcessWindowMessages) {
        GTKCheckIPCQueue();
        GTKUpdateMousePos();
        OrvaAdvanceWindowDrag();
        OrvaUpdateDirtyWindows();
        if (Iterate()) {
            while (Iterate()) {
            }
            SystemDependantSleepMs(1);
        }
    }
    CheckApplicationFocus();
}

void SystemDependantWaitAndDoEvent(SInt16 ticks) {
    if (gProcessWindowMessages) {
        GTKCheckIPCQueue();
        OrvaUpdateDirtyWindows();
        for (SInt16 pass = 0; pass < ticks; pass++) {
            bool moved = GTKUpdateMousePos();
            OrvaAdvanceWindowDrag();
            if (Iterate()) break;
            if (moved) {
                SystemDependantSleepMs(5);
                break;
            }
            SystemDependantSleepMs(17);
        }
    }
    CheckApplicationFocus();
}

void CheckApplicationFocus() {
    if (gInFocusCheck) return;
    gInFocusCheck = true;
    gFocusChecks++;
    GtkWidget *menuBar = GTKGetMenuBarWidget();
    if (gFocusRequest == 1) {
        if (++gFocusPasses >= kFocusChecksBeforeChange) {
            gActive = kTrue;
            gFocusRequest = 0;
            gFocusPasses = 0;
            DestroyPlaceholder();
            if (menuBar) {
                gtk_widget_show(menuBar);
                WaitMapped(menuBar, true);
                SystemDependantSetFocus(menuBar);
            }
            SystemDependantCvtScrapToOrva();
            PostEvent(15, kResumeMessage);
        }
    } else if (gFocusRequest == -1 && !GTKIsFocusOnWindow()) {
        if (++gFocusPasses >= kFocusChecksBeforeChange) {
            gActive = kFalse;
            gFocusRequest = 0;
            gFocusPasses = 0;
            if (menuBar) {
                gtk_widget_hide(menuBar);
                WaitMapped(menuBar, false);
            }
            SystemDependantCvtScrapFromOrva();
            PostEvent(15, kSuspendMessage);
            GTKUpdateKeyState(65535, 0, 0);  // no key stays down while away
            if (!OrvaIsPlugin() && gdk_display_get_default() && !TaskBarWindowShown()) ShowPlaceholder();
        }
    }
    menuBar = GTKGetMenuBarWidget();
    if (gActive && menuBar && GTK_IS_WINDOW(menuBar) && gtk_widget_get_mapped(menuBar) &&
        !gtk_window_has_toplevel_focus(GTK_WINDOW(menuBar)))
        SystemDependantSetFocus(menuBar);
    OrvaGtkSetHasFocus(gActive);
    gInFocusCheck = false;
}

WindowPtr OrvaGetPlaceholderWindow() { return gPlaceholder; }

void GTKSetWindowEvents(WindowPtr window, GtkWidget *widget) {
    if (!widget) return;
    gtk_widget_add_events(widget, 0x3FFFFE);
    if (!gIM) {
        gIM = gtk_im_multicontext_new();
        g_signal_connect(gIM, "commit", G_CALLBACK(OnCommit), nullptr);
        g_signal_connect(gIM, "preedit-start", G_CALLBACK(OnPreedit), nullptr);
        g_signal_connect(gIM, "preedit-end", G_CALLBACK(OnPreedit), nullptr);
        g_signal_connect(gIM, "preedit-changed", G_CALLBACK(OnPreedit), nullptr);
    }
    g_signal_connect(widget, "key_press_event", G_CALLBACK(OnKeyPress), nullptr);
    g_signal_connect(widget, "key_release_event", G_CALLBACK(OnKeyRelease), nullptr);
    g_signal_connect(widget, "focus_in_event", G_CALLBACK(OnFocusIn), nullptr);
    g_signal_connect(widget, "focus_out_event", G_CALLBACK(OnFocusOut), nullptr);
    g_signal_connect(widget, "scroll_event", G_CALLBACK(OnScroll), nullptr);
    g_signal_connect(widget, "delete_event", G_CALLBACK(OnDelete), nullptr);
    for (const char *name : {"button_press_event", "button_release_event", "motion_notify_event",
                             "enter_notify_event", "leave_notify_event", "destroy_event"})
        g_signal_connect(widget, name, G_CALLBACK(OnIgnored), nullptr);
    g_signal_connect(widget, "destroy", G_CALLBACK(OnWidgetDestroyed), nullptr);
    if (window) {
        g_signal_connect(widget, "map_event", G_CALLBACK(OnMap), window);
        g_signal_connect(widget, "unmap_event", G_CALLBACK(OnUnmap), window);
        g_signal_connect(widget, "expose_event", G_CALLBACK(OnExpose), window);
        g_signal_connect(widget, "configure_event", G_CALLBACK(OnConfigure), window);
    }
    gWidgets.push_back(widget);
}

void SystemDependantDragAcceptFiles(GtkWidget *widget, Boolean accept) {
    if (!widget || !accept) return;
    static GtkTargetEntry target = {const_cast<gchar *>("PATH"), 0, 0};
    gtk_drag_dest_set(widget, GTK_DEST_DEFAULT_ALL, &target, 1,
                      GdkDragAction(GDK_ACTION_DEFAULT | GDK_ACTION_COPY | GDK_ACTION_MOVE | GDK_ACTION_LINK |
                                    GDK_ACTION_PRIVATE | GDK_ACTION_ASK));
    g_signal_connect(widget, "drag-data-received", G_CALLBACK(OnDragData), nullptr);
    g_signal_connect(widget, "drag-drop", G_CALLBACK(OnDragDrop), nullptr);
    g_signal_connect(widget, "drag-leave", G_CALLBACK(OnDragLeave), nullptr);
    g_signal_connect(widget, "drag-motion", G_CALLBACK(OnDragMotion), nullptr);
}

SInt16 SystemDependantGetAutoKey() { return -1; }
void SystemDependantPosteLigneDeCommande() {}
