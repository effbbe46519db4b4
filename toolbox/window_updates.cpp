// Update regions and their bracket, the regions a window answers for, the refresh pass over the
// platform windows, the desktop and the menu bar's background.
#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/runtime.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/standalone.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/windows.h"

namespace {

const UInt16 kDesktopGrey = 0x8888;

void LocalToGlobalRect(WindowPtr w, Rect *r);
void MarkDirty(WindowPtr w, const Rect &local);
void DirtyWhole(GrafPtr port);
Boolean FlushLastDirtyWindow();
RgnHandle UpdateRegion(WindowPtr w);  // made on first use; null without memory

}  // namespace

OSStatus OrvaWindowsInvalRect(WindowPtr w, const Rect *r) {
    if (!OrvaIsKnownWindow(w) || !r) return paramErr;
    RgnHandle area = NewRgn();
    RgnHandle update = UpdateRegion(w);
    if (!area || !update) {
        DisposeRgn(area);
        return memFullErr;
    }
    Rect global = *r;
    LocalToGlobalRect(w, &global);
    RectRgn(area, &global);
    if (w->contRgn) SectRgn(area, w->contRgn, area);
    _UnionRgn(update, area, update);
    DisposeRgn(area);
    MarkDirty(w, *r);
    return noErr;
}

OSStatus InvalWindowRgn(WindowPtr w, RgnHandle region) {
    if (!OrvaIsKnownWindow(w) || !region) return paramErr;
    RgnHandle update = UpdateRegion(w);
    RgnHandle area = NewRgn();
    if (!update || !area) {
        DisposeRgn(area);
        return memFullErr;
    }
    _CopyRgn(region, area);  // global coordinates already
    if (w->contRgn) SectRgn(area, w->contRgn, area);
    _UnionRgn(update, area, update);
    Rect local = (*area)->rgnBBox;
    _OffsetRect(&local, SInt16(w->port.portRect.left - w->port.screenH), SInt16(w->port.portRect.top - w->port.screenV));
    DisposeRgn(area);
    MarkDirty(w, local);
    return noErr;
}

OSStatus ValidWindowRect(WindowPtr w, const Rect *r) {
    if (!OrvaIsKnownWindow(w) || !r) return paramErr;
    if (!w->updateRgn) return noErr;
    RgnHandle area = NewRgn();
    if (!area) return memFullErr;
    Rect global = *r;
    LocalToGlobalRect(w, &global);
    RectRgn(area, &global);
    DiffRgn(w->updateRgn, area, w->updateRgn);
    DisposeRgn(area);
    return noErr;
}

OSStatus ValidWindowRgn(WindowPtr w, RgnHandle region) {
    if (!OrvaIsKnownWindow(w) || !region) return paramErr;
    if (w->updateRgn) DiffRgn(w->updateRgn, region, w->updateRgn);
    return noErr;
}

void InvalRect(const Rect *r) { OrvaWindowsInvalRect(OrvaWindowOfPort(qd.thePort), r); }
void ValidRect(const Rect *r) { ValidWindowRect(OrvaWindowOfPort(qd.thePort), r); }

OSStatus OrvaWindowsGetRegion(WindowPtr w, SInt16 regionCode, RgnHandle region) {
    if (!OrvaIsKnownWindow(w) || !region) return paramErr;
    RgnHandle own = regionCode == kWindowStructureRgn ? w->strucRgn
                    : regionCode == kWindowContentRgn ? w->contRgn
                    : regionCode == kWindowUpdateRgn  ? w->updateRgn
                                                      : nullptr;
    if (regionCode == kWindowUpdateRgn && !own) {
        SetEmptyRgn(region);
        return noErr;
    }
    if (!own) return paramErr;
    _CopyRgn(own, region);
    return noErr;
}

OSStatus GetWindowBounds(WindowPtr w, SInt16 regionCode, Rect *globalBounds) {
    if (!globalBounds) return paramErr;
    *globalBounds = Rect{0, 0, 0, 0};
    RgnHandle region = NewRgn();
    if (!region) return memFullErr;
    OSStatus err = OrvaWindowsGetRegion(w, regionCode, region);
    if (err == noErr) *globalBounds = (*region)->rgnBBox;
    DisposeRgn(region);
    return err;
}

// While the window is being redrawn its port sees only what waited for redrawing.
void OrvaWindowsBeginUpdate(WindowPtr w) {
    if (!OrvaIsKnownWindow(w) || w->savedVisRgn) return;
    GrafPort &port = w->port;
    w->savedVisRgn = NewRgn();
    RgnHandle update = NewRgn();
    if (!w->savedVisRgn || !update) {
        DisposeRgn(update);
        return;
    }
    _CopyRgn(port.visRgn, w->savedVisRgn);
    if (w->updateRgn) _CopyRgn(w->updateRgn, update);
    _OffsetRgn(update, SInt16(port.portRect.left - port.screenH), SInt16(port.portRect.top - port.screenV));
    SectRgn(port.visRgn, update, port.visRgn);
    DisposeRgn(update);
    if (w->updateRgn) SetEmptyRgn(w->updateRgn);
    calcule_portclip();
}

void OrvaWindowsEndUpdate(WindowPtr w) {
    if (!OrvaIsKnownWindow(w) || !w->savedVisRgn) return;
    _CopyRgn(w->savedVisRgn, w->port.visRgn);
    DisposeRgn(w->savedVisRgn);
    w->savedVisRgn = nullptr;
    calcule_portclip();
}

// The front-most visible window with something to redraw, or null.
WindowPtr OrvaNextWindowToUpdate() {
    for (WindowPtr w = WindowList; w; w = w->nextWindow)
        if (w->visible && w->updateRgn && !EmptyRgn(w->updateRgn)) return w;
    return nullptr;
}

void OrvaDrawWindowFrame(WindowPtr w) {
    if (OrvaIsKnownWindow(w) && w->windowDefProc) w->windowDefProc(0, w, kWindowDrawMessage, 0);
}

Boolean OrvaWindowsRefreshPass() {
    if (OrvaIsPlugin()) return kFalse;
    Boolean flushed = kFalse;
    if (GrafPtr bar = GTKGetMenuBarPort()) flushed |= OrvaFlushDirtyPort(bar, GTKGetMenuBarWidget());
    if (WindowPtr frame = OrvaGetFrameWnd()) flushed |= OrvaFlushDirtyPort(&OrvaFrameGrafPort, frame->platformWindow);
    while (FlushLastDirtyWindow()) flushed = kTrue;
    return flushed;
}

void OrvaGlobalInvalidateAllWindows() {
    if (OrvaGetFrameWnd()) DirtyWhole(&OrvaFrameGrafPort);
    if (GrafPtr bar = GTKGetMenuBarPort()) DirtyWhole(bar);
    for (WindowPtr w = WindowList; w; w = w->nextWindow) DirtyWhole(&w->port);
    OrvaUpdateDirtyWindows();
}

void OrvaWindowsRetraceDesktop() {
    GrafPort &frame = OrvaFrameGrafPort;
    if (!OrvaGetFrameWnd() || !frame.surface) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&frame);
    RGBColor grey = {kDesktopGrey, kDesktopGrey, kDesktopGrey}, fore;
    GetForeColor(&fore);
    RGBForeColor(&grey);
    PaintRect(&frame.portRect);
    RGBForeColor(&fore);
    SetPort(saved);
}

// The menu bar's background; the Menu Manager draws the titles on it.
void OrvaDrawMenuBarBackground() {
    GrafPtr bar = GTKGetMenuBarPort();
    if (!bar || !bar->surface) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(bar);
    RGBColor fore, light = {kThemeLightGrey, kThemeLightGrey, kThemeLightGrey};
    RGBColor line = {kThemeFrameGrey, kThemeFrameGrey, kThemeFrameGrey};
    GetForeColor(&fore);
    const Rect &r = bar->portRect;
    Rect body = {r.top, r.left, SInt16(r.bottom - 1), r.right};
    Rect edge = {SInt16(r.bottom - 1), r.left, r.bottom, r.right};
    RGBForeColor(&light);
    PaintRect(&body);
    RGBForeColor(&line);
    PaintRect(&edge);
    RGBForeColor(&fore);
    SetPort(saved);
}

void OrvaWindowsClickInDesk() {
    // A click on the desktop deactivates nothing and opens nothing: windows keep their order.
}

namespace {

void LocalToGlobalRect(WindowPtr w, Rect *r) {
    _OffsetRect(r, SInt16(w->port.screenH - w->port.portRect.left), SInt16(w->port.screenV - w->port.portRect.top));
}

// The platform repaints the area (local coordinates of the window's port) from the buffer.
void MarkDirty(WindowPtr w, const Rect &local) {
    GrafPort &port = w->port;
    SInt16 l = SInt16(local.left - port.portRect.left), t = SInt16(local.top - port.portRect.top);
    SInt16 r = SInt16(local.right - port.portRect.left - 1), b = SInt16(local.bottom - port.portRect.top - 1);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&port);  // the merge needs a current port
    OrvaAddDirtyRectPort(&port, l, t, r, b);
    SetPort(saved);
}

void DirtyWhole(GrafPtr port) {
    if (!port->surface) return;
    port->dirty[0] = Rect{0, 0, port->height, port->width};
    for (int i = 1; i < kPortDirtySlots; i++) port->dirty[i] = Rect{0, 0, 0, 0};
}

// The last window of the list that waits to be painted hands its areas to the translucent
// windows in front of it and to its platform window.
Boolean FlushLastDirtyWindow() {
    WindowPtr last = nullptr;
    for (WindowPtr w = WindowList; w; w = w->nextWindow)
        if (w->visible && !w->deferredShow && w->port.surface && w->platformWindow && !EmptyRect(&w->port.dirty[0]))
            last = w;
    if (!last) return kFalse;
    OrvaProcessTranslucentDirtyRect(last);
    return OrvaFlushDirtyPort(&last->port, last->platformWindow);
}

RgnHandle UpdateRegion(WindowPtr w) {
    if (!w->updateRgn) w->updateRgn = NewRgn();
    return w->updateRgn;
}

}  // namespace
