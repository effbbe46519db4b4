// The glue's side of drawing and input: painting the instance's port onto the browser's
// drawable, pointer events into the emulated Toolbox, idle runs from timers or paint events,
// and the changed areas of the plug-in windows handed to the browser.
#include <gdk/gdkkeysyms.h>

#include "graphics/quickdraw/rects.h"
#include "platform/core/critical_sections.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/core/back_end.h"
#include "platform/gtk/keyboard_mouse.h"
#include "plugin/browser_calls.h"
#include "plugin/clicks.h"
#include "plugin/glue_internal.h"
#include "plugin/host_services.h"
#include "plugin/idle.h"
#include "plugin/instance.h"
#include "plugin/interface/drawing.h"
#include "plugin/shell_standins.h"
#include "plugin/x_events.h"
#include "graphics/quickdraw/window_record.h"

// An invalidation queued with the browser, run later by NPP_GlueAsyncInvalidate.
struct InvalidationRequest {
    NPP npp;
    NPRect rect;
    PlugInWindowLink *owner;    // null once the instance is destroyed: freed without a call
    InvalidationRequest *next;  // the owner's pending list
};

namespace {

constexpr UInt32 kExposesPerIdle = 10;  // idle runs when the count before a paint passes this
constexpr UInt32 kExposeSleepMs = 10;
const NPRect kKeepPaintingRect = {0, 0, 1, 1};

// Modifier keys of a press, as the key map and the event record name them.
struct ModifierRow {
    unsigned int xMask;
    UInt32 keySymbol;  // gives the key map's key code (56 Shift, 55 command, 58 option)
    UInt16 modifier;
};
const ModifierRow kModifiers[] = {
    {kXShiftMask, GDK_Shift_L, kModifierShift},
    {kXControlMask, GDK_Control_L, kModifierCommand},
    {kXMod1Mask, GDK_Alt_L, kModifierOption},
};

// The emulated button bit of an X button; 0 for the wheel and other buttons.
UInt32 ButtonBit(unsigned int button) {
    switch (button) {
    case kXButtonLeft: return 1;
    case kXButtonRight: return 2;
    case kXButtonMiddle: return 4;
    default: return 0;
    }
}

}  // namespace

static void PaintExpose(NPP instance, const GlueXEvent &expose);
static void IdleFromExpose(NPP instance);
static Boolean TakeButton(const GlueXEvent &button, Boolean down, EventRecord *record);
static NPRect ToNPRect(const Rect &r);
static void QueueInvalidation(NPP npp, const Rect &r);
static void ReleaseRequest(InvalidationRequest *request);

int16_t NPP_GlueEvent(NPP instance, void *event) {
    if (!instance || !event) return NPERR_INVALID_INSTANCE_ERROR;
    GlueXEvent x;
    GlueReadXEvent(event, &x);
    OrvaStartPluginCriticalSection();
    EventRecord record;
    orva_genere_evt(nullEvent, 0, &record);
    switch (x.kind) {
    case kXButtonPress:
        TakeButton(x, kTrue, &record);
        break;
    case kXButtonRelease:
        TakeButton(x, kFalse, &record);
        break;
    case kXMotion:
        OrvaSetMousePos(Point{SInt16(x.y), SInt16(x.x)}, kTrue);
        break;
    case kXLeave:
        OrvaSetMousePos(Point{-1, -1}, kTrue);
        break;
    case kXGraphicsExpose:
        PaintExpose(instance, x);
        if (gGlue.timerTaskMode) IdleFromExpose(instance);
        OrvaEndPluginCriticalSection();
        return 1;
    default:
        break;
    }
    if (record.what != nullEvent) NPP_HandleEvent(instance, &record);
    PluginUpdateDirty();
    OrvaEndPluginCriticalSection();
    return 1;
}

void NPP_GlueTimer(NPP instance, uint32_t) {
    if (!instance) return;
    OrvaStartPluginCriticalSection();
    PlugTrace("NPP_GlueTimer");
    if (PlugInInstance *record = PlugInFromNPP(instance)) {
        PlugInIdle(record);
        PlugInDrawState state;
        if (record->filmMode && StartDraw(record, &state)) {
            PlugPekIdle(record);
            EndDraw(record, &state);
        }
    }
    // Messages queued on other threads (the timer's, the sound output's) are shown here, on
    // the main thread, with no modal loop.
    OrvaPumpErrors();
    if (WindowPtr w = OrvaPluginGetInstanceWindow(OrvaPluginID(instance))) {
        for (Rect &slot : w->port.dirty) {
            if (EmptyRect(&slot)) continue;
            NPRect r = ToNPRect(slot);
            _SetRect(&slot, 0, 0, 0, 0);
            NPN_InvalidateRect(instance, &r);
        }
    }
    OrvaEndPluginCriticalSection();
}

void NPP_GlueAsyncInvalidate(void *data) {
    InvalidationRequest *request = static_cast<InvalidationRequest *>(data);
    if (!request) return;
    PlugTrace("ASYNC INVAL %lx npp %lx", static_cast<unsigned long>(uintptr_t(request)),
              static_cast<unsigned long>(uintptr_t(request->npp)));
    if (request->owner) {
        ReleaseRequest(request);
        NPN_InvalidateRect(request->npp, &request->rect);
    }
    DisposPtr(reinterpret_cast<Ptr>(request));
}

// The plug-in's windows: those of the library's instances.
static WindowPtr FirstInstanceWindow() {
    OrvaPluginInstance *p = OrvaPluginFirstInstance();
    return p ? p->window : nullptr;
}

static WindowPtr NextInstanceWindow(WindowPtr window) {
    for (OrvaPluginInstance *p = OrvaPluginFirstInstance(); p; p = p->next)
        if (p->window == window) return p->next ? p->next->window : nullptr;
    return nullptr;
}

void PluginUpdateDirty() { PluginUpdateDirtyIn(FirstInstanceWindow, NextInstanceWindow); }

void PluginUpdateDirtyIn(WindowPtr (*first)(), WindowPtr (*next)(WindowPtr)) {
    PlugTrace("PluginUpdateDirty");
    for (;;) {
        // In plug-in mode a window's platform field holds the id of the instance it shows.
        WindowPtr picked = nullptr;
        for (WindowPtr w = first(); w; w = next(w))
            if (w->visible && w->port.surface && !EmptyRect(&w->port.dirty[0]) && w->platformWindow) picked = w;
        if (!picked) return;
        OrvaPluginID id = OrvaPluginGetIDFromWindow(picked);
        for (Rect &slot : picked->port.dirty) {
            if (EmptyRect(&slot)) continue;
            Rect r = slot;
            _SetRect(&slot, 0, 0, 0, 0);
            // A window no instance claims still loses its areas, or it would be picked forever.
            if (id) QueueInvalidation(reinterpret_cast<NPP>(id), r);
        }
    }
}

void GlueAbandonRequests(PlugInWindowLink *link) {
    while (InvalidationRequest *request = link->pending) {
        link->pending = request->next;
        request->owner = nullptr;
        request->next = nullptr;
    }
}

// The port is copied onto the browser's drawable through a cairo surface of the browser's
// display; the event's area is taken as signed 16-bit values.
static void PaintExpose(NPP instance, const GlueXEvent &expose) {
    OrvaPluginID id = OrvaPluginID(instance);
    WindowPtr w = OrvaPluginGetInstanceWindow(id);
    const PlugInWindow *described = static_cast<const PlugInWindow *>(OrvaPluginGetInstanceData(id));
    if (!w || !described || !w->port.surface) return;
    auto side = [](SInt64 v) { return int(v < 1 ? 1 : v > 32767 ? 32767 : v); };
    const GrafPort &port = w->port;
    SInt32 originX = described->x - (port.systemDraw ? 0 : port.marginLeft);
    SInt32 originY = described->y - (port.systemDraw ? 0 : port.marginTop);
    cairo_surface_mark_dirty(port.surface);  // pixels are also written without cairo
    GluePaintOnDrawable(expose.display, expose.drawable, described->link->visual,
                        side(SInt64(described->x) + described->width), side(SInt64(described->y) + described->height),
                        port.surface, originX, originY, SInt16(expose.x), SInt16(expose.y), SInt16(expose.width),
                        SInt16(expose.height));
}

// Without browser timers every eleventh paint runs the idle work, and each paint asks for the
// next one so that painting, and idle work with it, goes on.
static void IdleFromExpose(NPP instance) {
    UInt32 before = gGlue.exposeCount++;
    if (before > kExposesPerIdle - 1) {
        NPP_GlueTimer(instance, 0);
        gGlue.exposeCount = 0;
    }
    NPRect next = kKeepPaintingRect;
    NPN_InvalidateRect(instance, &next);
    GtkSleep(kExposeSleepMs);
}

// The press or release takes its point, button and modifier keys from the X event itself:
// no motion need come before a click, and Shift, command and option are known at the press.
static Boolean TakeButton(const GlueXEvent &button, Boolean down, EventRecord *record) {
    UInt32 bit = ButtonBit(button.button);
    if (!bit) return kFalse;
    OrvaSetMousePos(Point{SInt16(button.y), SInt16(button.x)}, kTrue);
    UInt32 buttons = OrvaGetPluginMouseButton();
    OrvaSetPluginMouseButton(down ? buttons | bit : buttons & ~bit);
    UInt16 modifiers = 0;
    for (const ModifierRow &row : kModifiers) {
        Boolean held = down && (button.state & row.xMask);
        GTKUpdateKeyState(held ? 1 : 0, row.keySymbol, 0);
        if (held) modifiers |= row.modifier;
    }
    orva_genere_evt(down ? mouseDown : mouseUp, 0, record);
    record->modifiers |= modifiers;
    return kTrue;
}

// Rectangles are cut to what the browser's unsigned sides can hold.
static NPRect ToNPRect(const Rect &r) {
    auto side = [](SInt16 v) { return uint16_t(v < 0 ? 0 : v); };
    return NPRect{side(r.top), side(r.left), side(r.bottom), side(r.right)};
}

// Asynchronously when the browser can run a call later, else at once.
static void QueueInvalidation(NPP npp, const Rect &r) {
    NPRect rect = ToNPRect(r);
    PlugInWindow *described = static_cast<PlugInWindow *>(OrvaPluginGetInstanceData(OrvaPluginID(npp)));
    PlugInWindowLink *owner = described ? described->link : nullptr;
    InvalidationRequest *request = nullptr;
    if (owner && BrowserHasSlot(offsetof(NPBrowserFuncs, pluginthreadasynccall)))
        request = reinterpret_cast<InvalidationRequest *>(NewPtrClear(sizeof(InvalidationRequest)));
    if (!request) {
        NPN_InvalidateRect(npp, &rect);
        return;
    }
    *request = InvalidationRequest{npp, rect, owner, owner->pending};
    owner->pending = request;
    PlugTrace("Request ASYNC");
    NPN_PluginThreadAsyncCall(npp, NPP_GlueAsyncInvalidate, request);
}

static void ReleaseRequest(InvalidationRequest *request) {
    for (InvalidationRequest **link = &request->owner->pending; *link; link = &(*link)->next) {
        if (*link != request) continue;
        *link = request->next;
        break;
    }
    request->owner = nullptr;
}
