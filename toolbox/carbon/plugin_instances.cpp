// The plug-in instance table and the plug-in system.
#include "toolbox/carbon/plugin_instances.h"

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/textedit.h"
#include "graphics/cairo/port_surfaces.h"
#include "toolbox/carbon/wheel_routing.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/gtk/platform_windows.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/toolbox_services.h"

namespace {

OrvaPluginInstance *gInstances;  // newest first
SInt16 gScrollBarWidth = 16, gScrollBarHeight = 16;  // vertical bar's width, horizontal bar's height
void (*gResizeCallback)(OrvaPluginID);

const char kLoadingText[] = "Ondrak Music Plug-in is loading...";

Boolean ShowsInstance(void *platformWindow) { return OrvaPluginGetIDFromHWND(platformWindow) != 0; }

void PaintLoadingFace(GrafPtr port) {
    const Rect &r = port->portRect;
    SInt16 width = SInt16(r.right - r.left), height = SInt16(r.bottom - r.top);
    RGBColor grey = {0xE000, 0xE000, 0xE000};
    RGBForeColor(&grey);
    PaintRect(&r);
    SInt16 size = OrvaPluginLoadingTextSize(width, height);
    SInt16 offset = SInt16(size / 40 < 1 ? 1 : size / 40);
    TextFont(20);
    TextSize(size);
    TextFace(1);
    SInt16 x = SInt16(r.left + (width - StringWidth(kLoadingText)) / 2);
    SInt16 y = SInt16(r.bottom - (height - size) / 2);
    RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF}, black = {0, 0, 0}, text = {0xC000, 0xC000, 0xC000};
    RGBForeColor(&white);
    _MoveTo(SInt16(x + offset), SInt16(y + offset));
    DrawString(kLoadingText);
    RGBForeColor(&black);
    _MoveTo(SInt16(x - offset), SInt16(y - offset));
    DrawString(kLoadingText);
    RGBForeColor(&text);
    _MoveTo(x, y);
    DrawString(kLoadingText);
    TextFace(0);
    RGBForeColor(&black);
}

}  // namespace

SInt16 OrvaPluginLoadingTextSize(SInt16 width, SInt16 height) {
    GrafPtr port;
    GetPort(&port);
    SInt16 font = port ? port->txFont : 0, size = port ? port->txSize : 0;
    UInt8 face = port ? port->txFace : 0;
    TextFont(20);
    TextSize(100);
    TextFace(1);
    SInt32 at100 = StringWidth(kLoadingText);
    TextFont(font);
    TextSize(size);
    TextFace(face);
    // No font measuring the text: the smallest size rather than a division by zero.
    SInt32 wanted = at100 > 0 ? SInt32(width) * 80 / at100 : 10;
    if (wanted < 10) wanted = 10;
    if (wanted > 100) wanted = 100;
    if (wanted > height) wanted = height;
    return SInt16(wanted);
}

OrvaPluginInstance *OrvaGetPluginInstance(OrvaPluginID id) {
    for (OrvaPluginInstance *p = gInstances; p; p = p->next)
        if (p->id == id) return p;
    return nullptr;
}

OrvaPluginInstance *OrvaPluginFirstInstance() { return gInstances; }

OrvaPluginInstance *OrvaPluginSetInstanceWindow(OrvaPluginID id, void *) {
    if (OrvaPluginInstance *known = OrvaGetPluginInstance(id)) return known;
    OrvaPluginInstance *p = reinterpret_cast<OrvaPluginInstance *>(NewPtrClear(sizeof(OrvaPluginInstance)));
    if (!p) return nullptr;
    p->id = id;
    Rect bounds = {0, 0, 1, 1};
    Str255 title = {0};
    p->window = NewWindow(nullptr, &bounds, title, kTrue, 2, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    if (p->window) {
        p->window->platformWindow = nullptr;
        p->window->pluginInstance = p;
    }
    p->next = gInstances;
    gInstances = p;
    return p;
}

void OrvaPluginDestroyInstanceWindow(OrvaPluginID id) {
    for (OrvaPluginInstance **link = &gInstances; *link; link = &(*link)->next) {
        if ((*link)->id != id) continue;
        OrvaPluginInstance *p = *link;
        if (p->window) DisposeWindow(p->window);
        *link = p->next;
        DisposPtr(reinterpret_cast<Ptr>(p));
        return;
    }
}

void SystemDependantSetPluginWindow(OrvaPluginID id, void *platformWindow) {
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    if (p && p->window && platformWindow) p->window->platformWindow = platformWindow;
}

WindowPtr OrvaPluginGetInstanceWindow(OrvaPluginID id) {
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    return p ? p->window : nullptr;
}

void *OrvaPluginGetInstanceData(OrvaPluginID id) {
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    return p ? p->data : nullptr;
}

void OrvaPluginSetInstanceData(OrvaPluginID id, void *data) {
    if (OrvaPluginInstance *p = OrvaGetPluginInstance(id)) p->data = data;
}

OrvaPluginID OrvaPluginGetIDFromWindow(WindowPtr window) {
    for (OrvaPluginInstance *p = gInstances; p; p = p->next)
        if (p->window && p->window == window) return p->id;
    return 0;
}

OrvaPluginID OrvaPluginGetIDFromHWND(void *platformWindow) {
    for (OrvaPluginInstance *p = gInstances; p; p = p->next)
        if (p->window && p->window->platformWindow == platformWindow) return p->id;
    return 0;
}

OrvaPluginID OrvaPluginGetIDFromMousePos(SInt16 h, SInt16 v) {
    for (OrvaPluginInstance *p = gInstances; p; p = p->next) {
        if (!p->window) continue;
        const GrafPort &port = p->window->port;
        SInt32 lh = h - port.screenH, lv = v - port.screenV;
        if (lh >= port.portRect.left && lh < port.portRect.right && lv >= port.portRect.top &&
            lv < port.portRect.bottom)
            return p->id;
    }
    return 0;
}

void OrvaPluginGetXYWindow(OrvaPluginID id, SInt16 *h, SInt16 *v) {
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    if (h) *h = p && p->window ? p->window->port.screenH : 0;
    if (v) *v = p && p->window ? p->window->port.screenV : 0;
}

void OrvaPluginGetRect(OrvaPluginID id, Rect *rect) {
    if (!rect) return;
    *rect = Rect{0, 0, 0, 0};
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    if (!p || !p->window || !p->window->platformWindow) return;
    Rect frame;
    SystemDependantGetWindowFrame(p->window->platformWindow, &frame);
    *rect = Rect{0, 0, SInt16(frame.bottom - frame.top), SInt16(frame.right - frame.left)};
}

void OrvaPluginSetResizeCallback(void (*callback)(OrvaPluginID)) { gResizeCallback = callback; }

void OrvaPluginCheckResize(OrvaPluginID id, Boolean positionOnly) {
    OrvaPluginInstance *p = OrvaGetPluginInstance(id);
    if (!p || !p->window || !p->window->platformWindow) return;
    WindowPtr w = p->window;
    GrafPort &port = w->port;
    Rect frame;
    SystemDependantGetWindowFrame(w->platformWindow, &frame);
    SInt32 width = frame.right - frame.left, height = frame.bottom - frame.top;
    // A browser rectangle of no size still gives a 1 x 1 port.
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    port.screenV = frame.top;
    port.screenH = frame.left;
    if (!positionOnly && port.portRect.right - port.portRect.left == width &&
        port.portRect.bottom - port.portRect.top == height)
        return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&port);
    OrvaPortSize(&port, SInt16(width), SInt16(height), 0, 0, kTrue);
    port.portRect = Rect{0, 0, SInt16(height), SInt16(width)};
    port.portBits.bounds = port.portRect;
    RectRgn(port.visRgn, &port.portRect);
    if (w->windowDefProc) w->windowDefProc(0, w, 2, 0);
    InvalRect(&port.portRect);
    if (gResizeCallback) gResizeCallback(id);
    PaintLoadingFace(&port);
    SetPort(saved);
}

void OrvaSetScrollBarSizes(SInt16 horizontal, SInt16 vertical) {
    gScrollBarHeight = horizontal;
    gScrollBarWidth = vertical;
}

void OrvaGetScrollBarSizes(SInt16 *horizontal, SInt16 *vertical) {
    if (horizontal) *horizontal = gScrollBarHeight;
    if (vertical) *vertical = gScrollBarWidth;
}

OSErr OrvaInitPluginSystem() {
    // The floors below reach the back end, the toolbox, the wheel router and the instance table
    // through what is installed here.
    OrvaInstallGtkBackEnd();
    OrvaInstallToolbox();
    OrvaSetWheelRouter(OrvaRouteWheelTurn);
    OrvaSetInstanceWindowTest(ShowsInstance);
    OrvaSetProcessWindowMessages(kFalse);
    OrvaSetScrollBarSizes(0, 0);  // the browser page scrolls; instances show no scroll bars
    SystemDependantInitCursor();
    MaxApplZone();
    OrvaInitToolboxManagers();
    OrvaInitTimeMgr();
    return noErr;
}

SInt16 OrvaExitPluginSystem() {
    while (gInstances) OrvaPluginDestroyInstanceWindow(gInstances->id);
    QuitApp();
    return 1;
}

UInt32 OrvaPluginInstanceCount() {
    UInt32 count = 0;
    for (OrvaPluginInstance *p = gInstances; p; p = p->next) count++;
    return count;
}
