// tbdemo COMMAND [OPTIONS]: the toolbox driven from the command line, for its tests.
//   events                 the event queue: mask, pseudo-events, handlers, StillDown
//   windows                window parts, the window order, an instance window's regions
//   window --png FILE      maps a 300 x 100 window titled "Hello" and saves what the screen shows
// Add --plugin to run as the browser plug-in does. events and windows always run so, without a
// display; the others need one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtk/gtk.h>
#include <string>
#include <vector>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "toolbox/events.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/windows.h"

namespace {

struct Options {
    std::string command;
    bool plugin = false;
    std::string png;
};

int Usage() {
    fprintf(stderr, "usage: tbdemo events | windows | window --png FILE [--plugin]\n");
    return 2;
}

bool Parse(int argc, char **argv, Options *o) {
    if (argc < 2) return false;
    o->command = argv[1];
    for (int i = 2; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--plugin") o->plugin = true;
        else if (a == "--png" && i + 1 < argc) o->png = argv[++i];
        else return false;
    }
    return true;
}

// The toolbox started as a program does: the toolbox's rows first, then QuickDraw and the managers.
bool Start(bool plugin, bool display) {
    orvaSettings.pluginFlag = plugin ? 1 : 0;
    orvaSettings.singleInstance = 0;
    OrvaSetMainThread();
    if (display && !gtk_init_check(nullptr, nullptr)) {
        fprintf(stderr, "tbdemo: no display\n");
        return false;
    }
    OrvaInstallGtkBackEnd();
    OrvaInstallToolbox();
    if (plugin) OrvaSetProcessWindowMessages(kFalse);
    InitGraf(&qd);
    InitFonts();
    InitMenus();
    TEInit();
    InitDialogs(nullptr);
    InitCursor();
    return true;
}

std::string Joined(const std::vector<int> &values) {
    std::string s;
    for (size_t i = 0; i < values.size(); i++) s += (i ? "," : "") + std::to_string(values[i]);
    return s;
}

int Events() {
    EventRecord e;
    FlushEvents(everyEvent, 0);
    SetEventMask(EventMask(everyEvent & ~(1u << keyUp)));
    int posted = 0, rejected = 0;
    const SInt16 kinds[] = {mouseDown, mouseUp, keyDown, keyUp};
    for (SInt16 kind : kinds) (PostEvent(kind, kind == keyDown || kind == keyUp ? 'a' : 0) == noErr ? posted : rejected)++;
    std::vector<int> got;
    while (GetNextEvent(everyEvent, &e)) got.push_back(e.what);
    printf("posted=%d rejected=%d got=%s\n", posted, rejected, Joined(got).c_str());
    OrvaPostPseudoEvent(keyUp, 'a', 0, TickCount(), 0);
    printf("pseudo=%d\n", GetNextEvent(everyEvent, &e) ? int(e.what) : 0);
    OrvaCarbonEvent wheel = {nullptr, FourCC("mous"), 10};
    printf("handled=%d\n", int(OrvaEnqueueEventHandled(&wheel, nullptr)));
    OrvaSetPluginMouseButton(1);
    int held = StillDown();
    PostEvent(mouseUp, 0);
    printf("stilldown=%d then=%d\n", held, int(StillDown()));
    OrvaSetPluginMouseButton(0);
    FlushEvents(everyEvent, 0);
    return 0;
}

WindowPtr Document(SInt16 top, const char *title) {
    Str255 t;
    t[0] = UInt8(strlen(title));
    memcpy(t + 1, title, t[0]);
    Rect bounds = {top, 60, SInt16(top + 100), 360};
    return NewWindow(nullptr, &bounds, t, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kTrue, 0);
}

int Windows() {
    WindowPtr w1 = Document(60, "One"), w2 = Document(200, "Two"), w3 = Document(340, "Three");
    if (!w1 || !w2 || !w3) return 1;
    Rect close;
    OrvaGetCloseBoxRect(w1, &close);
    WindowPtr hit;
    Point content = {110, 210}, bar = {50, 210}, box = {SInt16(close.top + 2), SInt16(close.left + 2)}, desk = {600, 700};
    printf("content=%d drag=%d goaway=%d desk=%d\n", _FindWindow(content, &hit), _FindWindow(bar, &hit),
           _FindWindow(box, &hit), _FindWindow(desk, &hit));
    SelectWindow(w1);
    std::vector<int> order;
    for (WindowPtr w = GetWindowList(); w; w = _GetNextWindow(w)) order.push_back(w == w1 ? 1 : w == w2 ? 2 : 3);
    printf("order=%s\n", Joined(order).c_str());
    Rect bounds = {500, 500, 600, 700};
    WindowPtr instance = NewWindow(nullptr, &bounds, nullptr, kTrue, 2, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    Rect s, c;
    GetWindowBounds(instance, kWindowStructureRgn, &s);
    GetWindowBounds(instance, kWindowContentRgn, &c);
    bool equal = s.top == c.top && s.left == c.left && s.bottom == c.bottom && s.right == c.right;
    printf("instance structure %s content\n", equal ? "=" : "!=");
    DisposeWindow(instance);
    DisposeWindow(w3);
    DisposeWindow(w2);
    DisposeWindow(w1);
    return 0;
}

// Runs the main loop until nothing more happens for a while.
void Settle() {
    for (int quiet = 0; quiet < 20;) {
        OrvaUpdateDirtyWindows();
        quiet = g_main_context_iteration(nullptr, FALSE) ? 0 : quiet + 1;
        g_usleep(5000);
    }
}

bool SaveWindowPng(WindowPtr w, const std::string &path) {
    GtkWidget *widget = static_cast<GtkWidget *>(w->platformWindow);
    GdkWindow *gdk = widget ? gtk_widget_get_window(widget) : nullptr;
    if (!gdk) return false;
    gint width = 0, height = 0;
    gdk_drawable_get_size(gdk, &width, &height);
    GdkPixbuf *pixels = gdk_pixbuf_get_from_drawable(nullptr, gdk, nullptr, 0, 0, 0, 0, width, height);
    if (!pixels) return false;
    bool saved = gdk_pixbuf_save(pixels, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pixels);
    return saved;
}

int Window(const Options &o) {
    WindowPtr w = Document(100, "Hello");
    if (!w) return 1;
    SelectWindow(w);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&w->port);
    EraseRect(&w->port.portRect);
    SetPort(saved);
    Settle();
    printf("mapped=%d content=%dx%d\n", int(w->mapped), w->port.portRect.right - w->port.portRect.left,
           w->port.portRect.bottom - w->port.portRect.top);
    bool saved_png = !o.png.empty() && SaveWindowPng(w, o.png);
    if (!o.png.empty()) printf("png=%s\n", saved_png ? "saved" : "failed");
    DisposeWindow(w);
    return saved_png || o.png.empty() ? 0 : 1;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    if (!Parse(argc, argv, &o)) return Usage();
    bool headless = o.command == "events" || o.command == "windows";
    if (!Start(headless || o.plugin, !headless)) return 1;
    int result;
    if (o.command == "events") result = Events();
    else if (o.command == "windows") result = Windows();
    else if (o.command == "window") result = Window(o);
    else return Usage();
    fflush(stdout);
    return result;
}
