// tbdemo COMMAND [OPTIONS]: the toolbox driven from the command line, for its tests.
//   events                 the event queue: mask, pseudo-events, handlers, StillDown
//   windows                window parts, the window order, an instance window's regions
//   window --png FILE      maps a 300 x 100 window titled "Hello" and saves what the screen shows
//   alert ID [--param TEXT] [--click N] [--png FILE]
//                          shows alert ID of the plug-in's resource file with TEXT as ^0, clicks
//                          its item N (or lets the plug-in's answer come) and prints item=N
//   dialog ID [--text1 TEXT] [--click N]
//                          the same for a dialog, TEXT given to its item 1
//   popup --items N --choose K [--release-outside] [--refuse-grab]
//                          a standard pop-up of N items; the scripted pointer picks item K (or
//                          is released outside it; or the pointer grab is refused)
// Add --plugin to run as the browser plug-in does. events and windows always run so, without a
// display; the others need one outside the plug-in.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtk/gtk.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/textedit.h"
#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/core/resource_files.h"
#include "platform/gtk/popup_menu.h"
#include "toolbox/dialogs.h"
#include "toolbox/events.h"
#include "toolbox/menus.h"
#include "toolbox/resource_layouts.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/windows.h"

namespace {

struct Options {
    std::string command;
    SInt16 id = 0;
    bool plugin = false;
    std::string png;
    std::string param;
    std::string text1;
    SInt16 click = 0;
    SInt16 items = 0;
    SInt16 choose = 0;
    bool releaseOutside = false;
    bool refuseGrab = false;
};

int Usage() {
    fprintf(stderr, "usage: tbdemo events | windows | window --png FILE | alert ID [--param TEXT] [--click N]\n"
                    "              [--png FILE] | dialog ID [--text1 TEXT] [--click N] |\n"
                    "              popup --items N --choose K [--release-outside] [--refuse-grab]   [--plugin]\n");
    return 2;
}

bool Parse(int argc, char **argv, Options *o) {
    if (argc < 2) return false;
    o->command = argv[1];
    int i = 2;
    if ((o->command == "alert" || o->command == "dialog") && i < argc) o->id = SInt16(atoi(argv[i++]));
    for (; i < argc; i++) {
        std::string a = argv[i];
        bool more = i + 1 < argc;
        if (a == "--plugin") o->plugin = true;
        else if (a == "--release-outside") o->releaseOutside = true;
        else if (a == "--refuse-grab") o->refuseGrab = true;
        else if (a == "--png" && more) o->png = argv[++i];
        else if (a == "--param" && more) o->param = argv[++i];
        else if (a == "--text1" && more) o->text1 = argv[++i];
        else if (a == "--click" && more) o->click = SInt16(atoi(argv[++i]));
        else if (a == "--items" && more) o->items = SInt16(atoi(argv[++i]));
        else if (a == "--choose" && more) o->choose = SInt16(atoi(argv[++i]));
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
    OrvaInitToolboxManagers();
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

// ---- Dialogs, alerts and pop-ups ---------------------------------------------------------------

const Options *gOptions;

void PrintNotice(const char *text) { printf("notice: %s\n", text); }

void ToPascal(const std::string &text, Str255 out) {
    out[0] = UInt8(text.size() > 255 ? 255 : text.size());
    memcpy(out + 1, text.data(), out[0]);
}

// The plug-in's own resource file, in the build tree beside the tools.
bool OpenPluginResources() {
    char exe[4096] = "";
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string folder = exe;
    folder = folder.substr(0, folder.rfind('/'));
    std::string path = folder + "/../resources/Ondrak Music Plugin.rsr";
    if (OpenResFile(path.c_str()) > 0) return true;
    fprintf(stderr, "tbdemo: cannot open %s\n", path.c_str());
    return false;
}

// Once the dialog is up: saves the screen's picture of it, says where its first static text
// lies and how wide ParamText's ^0 is in its font, and clicks item --click at its centre.
Boolean ClickFilter(DialogPtr dialog, EventRecord *, SInt16 *) {
    static bool done = false;
    if (done) return kFalse;
    done = true;
    Settle();
    WindowPtr w = GetDialogWindow(dialog);
    if (!gOptions->png.empty()) {
        printf("png=%s\n", SaveWindowPng(w, gOptions->png) ? "saved" : "failed");
        for (SInt16 item = 1; item <= CountDITL(dialog); item++) {
            SInt16 type;
            Handle h;
            Rect r;
            GetDItem(dialog, item, &type, &h, &r);
            if ((type & 0x7F) != kDitlStaticText) continue;
            GrafPtr saved;
            GetPort(&saved);
            SetPort(GetDialogPort(dialog));
            TextFont(dialog->fontID);
            TextSize(OrvaGetThemeMetrics()->fontSize);
            printf("text=%d,%d,%d,%d width=%d\n", r.top + w->port.marginTop, r.left + w->port.marginLeft,
                   r.bottom + w->port.marginTop, r.right + w->port.marginLeft,
                   TextWidth(gOptions->param.data(), 0, SInt16(gOptions->param.size())));
            SetPort(saved);
            break;
        }
    }
    if (gOptions->click > 0) {
        SInt16 type;
        Handle h;
        Rect r;
        GetDItem(dialog, gOptions->click, &type, &h, &r);
        Point centre = {SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
        GrafPtr saved;
        GetPort(&saved);
        SetPort(GetDialogPort(dialog));
        LocalToGlobal(&centre);
        SetPort(saved);
        OrvaSetMousePos(centre, kTrue);
        PostEvent(mouseDown, 0);
        PostEvent(mouseUp, 0);
    }
    return kFalse;
}

int AlertCommand(const Options &o) {
    gOptions = &o;
    if (!OpenPluginResources()) return 1;
    OrvaSetNoticeProc(PrintNotice);
    Str255 param, empty = {0};
    ToPascal(o.param, param);
    ParamText(param, empty, empty, empty);
    printf("item=%d\n", Alert(o.id, ClickFilter));
    return 0;
}

int DialogCommand(const Options &o) {
    gOptions = &o;
    if (!OpenPluginResources()) return 1;
    OrvaSetNoticeProc(PrintNotice);
    DialogPtr dialog = GetNewDialog(o.id, nullptr, reinterpret_cast<WindowPtr>(-1));
    if (!dialog) return 1;
    SInt16 type;
    Handle h;
    Rect r;
    GetDItem(dialog, 1, &type, &h, &r);
    Str255 text;
    ToPascal(o.text1, text);
    SetDialogItemText(h, text);
    ShowHide(GetDialogWindow(dialog), kTrue);
    SelectWindow(GetDialogWindow(dialog));
    DrawDialog(dialog);
    SInt16 item = 0;
    ModalDialog(ClickFilter, &item);
    printf("item=%d\n", item);
    DisposDialog(dialog);
    return 0;
}

// The scripted pointer: first on the item chosen (or away from the menu), then released.
Boolean ScriptedStillDown() {
    static int calls = 0;
    if (calls++ > 0) return kFalse;
    Rect r;
    Point at = {2000, 2000};
    if (!gOptions->releaseOutside && OrvaGetPopUpItemRect(gOptions->choose, &r))
        at = Point{SInt16((r.top + r.bottom) / 2), SInt16((r.left + r.right) / 2)};
    OrvaSetMousePos(at, kTrue);
    return kTrue;
}

SInt16 ScriptedUser(SInt16 question) {
    if (question == kPopUpGrabQuestion) return gOptions->refuseGrab ? kPopUpGrabRefused : kPopUpGrabGranted;
    return gOptions->releaseOutside ? 0 : gOptions->choose;
}

int PopUpCommand(const Options &o) {
    gOptions = &o;
    Rect bounds = {100, 100, 200, 300};
    WindowPtr w = NewWindow(nullptr, &bounds, nullptr, kTrue, 2, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    SetPort(&w->port);
    Rect anchor = {20, 20, 40, 120};
    MenuHandle menu = InitPopupMenuStd(&anchor, 310);
    for (SInt16 i = 1; i <= o.items; i++) JISAppendMenu(menu, ("Item " + std::to_string(i)).c_str());
    OrvaSetStillDownHook(ScriptedStillDown);
    OrvaSetPopUpResponder(ScriptedUser);
    UInt32 start = TickCount();
    SInt16 chosen = DoPopUpMenuStd(menu, 1);
    printf("%d\n", chosen);
    fprintf(stderr, "ticks=%u\n", unsigned(TickCount() - start));
    DisposePopupMenuStd(menu);
    DisposeWindow(w);
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    Options o;
    if (!Parse(argc, argv, &o)) return Usage();
    bool headless = o.command == "events" || o.command == "windows";
    // The GTK pop-up of the plug-in starts GTK itself, as inside the browser.
    if (!Start(headless || o.plugin, !headless && !o.plugin)) return 1;
    int result;
    if (o.command == "events") result = Events();
    else if (o.command == "windows") result = Windows();
    else if (o.command == "window") result = Window(o);
    else if (o.command == "alert") result = AlertCommand(o);
    else if (o.command == "dialog") result = DialogCommand(o);
    else if (o.command == "popup") result = PopUpCommand(o);
    else return Usage();
    fflush(stdout);
    return result;
}
