// Stand-ins for the Window Manager until it exists: windows get a port and regions but enter
// no window list, so every point is on the desk.
#include <string.h>

#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/memory.h"
#include "toolbox/toolbox_services.h"

namespace {

RgnHandle OwnRegion(WindowPtr w, SInt16 regionCode) {
    if (!w) return nullptr;
    if (regionCode == kWindowStructureRgn) return w->strucRgn;
    if (regionCode == kWindowContentRgn) return w->contRgn;
    return nullptr;
}

}  // namespace

// A window with a real port of the bounds' size, placed at the bounds' top-left; it enters no
// window list.
WindowPtr NewWindow(void *storage, const Rect *bounds, ConstStr255Param, Boolean visible, SInt16 procID, WindowPtr,
                    Boolean goAway, SInt32 refCon) {
    WindowPtr w = static_cast<WindowPtr>(storage);
    if (w) {
        memset(w, 0, sizeof *w);
    } else {
        w = reinterpret_cast<WindowPtr>(NewPtrClear(sizeof(WindowRecord)));
        if (!w) return nullptr;
        w->allocated = kTrue;
    }
    GrafPtr saved;
    GetPort(&saved);
    OpenPort(&w->port);
    Rect r = bounds ? *bounds : Rect{0, 0, 1, 1};
    PortSize(SInt16(r.right - r.left), SInt16(r.bottom - r.top));
    w->port.screenV = r.top;
    w->port.screenH = r.left;
    SetPort(saved);
    w->visible = visible;
    w->goAwayFlag = goAway;
    w->procID = procID;
    w->refCon = refCon;
    w->windowKind = 8;
    w->windowDefProc = OrvaPlainWindowDefProc;
    OrvaPlainWindowDefProc(0, w, 2, 0);
    return w;
}
WindowPtr NewCWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowPtr behind, Boolean goAway, SInt32 refCon) {
    return NewWindow(storage, bounds, title, visible, procID, behind, goAway, refCon);
}
void DisposeWindow(WindowPtr w) {
    if (!w) return;
    GrafPtr current;
    GetPort(&current);
    if (current == &w->port) SetPort(nullptr);
    ClosePort(&w->port);
    if (w->strucRgn) DisposeRgn(w->strucRgn);
    if (w->contRgn) DisposeRgn(w->contRgn);
    if (w->title) DisposPtr(w->title);
    if (w->allocated) DisposPtr(reinterpret_cast<Ptr>(w));
}
WindowPtr FrontWindow() { return nullptr; }
Boolean _IsWindowVisible(WindowPtr) { return kFalse; }
Boolean IsWindowHilited(WindowPtr) { return kFalse; }
SInt16 GetWindowKind(WindowPtr) { return 0; }
void SetWindowKind(WindowPtr, SInt16) {}

SInt16 _FindWindow(Point, WindowPtr *w) {
    if (w) *w = nullptr;
    return inDesk;
}

void SelectWindow(WindowPtr) {}
void ShowHide(WindowPtr, Boolean) {}
void HiliteWindow(WindowPtr, Boolean) {}
void _ShowWindow(WindowPtr) {}
void _MoveWindow(WindowPtr, SInt16, SInt16, Boolean) {}
void DragWindow(WindowPtr, Point, const Rect *) {}
SInt32 GrowWindow(WindowPtr, Point, const Rect *) { return 0; }
void SizeWindow(WindowPtr, SInt16, SInt16, Boolean) {}
Boolean TrackGoAway(WindowPtr, Point) { return kFalse; }
SRefCon GetWRefCon(WindowPtr w) { return w ? w->refCon : 0; }

void SetWRefCon(WindowPtr w, SRefCon refCon) {
    if (w) w->refCon = refCon;
}

OSStatus SetWindowClass(WindowPtr, UInt32) { return noErr; }
GrafPtr GetWindowPort(WindowPtr w) { return w ? &w->port : nullptr; }
OSStatus InvalWindowRgn(WindowPtr, RgnHandle) { return noErr; }
OSStatus ValidWindowRgn(WindowPtr, RgnHandle) { return noErr; }
OSStatus ValidWindowRect(WindowPtr, const Rect *) { return noErr; }
void InvalRect(const Rect *) {}
OSStatus GetWindowBounds(WindowPtr w, SInt16 regionCode, Rect *globalBounds) {
    if (!globalBounds) return paramErr;
    *globalBounds = Rect{0, 0, 0, 0};
    RgnHandle own = OwnRegion(w, regionCode);
    if (!own) return paramErr;
    *globalBounds = (*own)->rgnBBox;
    return noErr;
}

OSStatus TransitionWindow(WindowPtr, UInt32, UInt32, const Rect *) { return noErr; }
void SetWTitle(WindowPtr, ConstStr255Param) {}

void GetWTitle(WindowPtr, Str255 title) {
    if (title) title[0] = 0;
}

OSStatus SetWindowTitleWithCFString(WindowPtr, CFStringRef) { return noErr; }

OSStatus CopyWindowTitleAsCFString(WindowPtr, CFStringRef *title) {
    if (title) *title = nullptr;
    return paramErr;
}

Boolean orva_existe_fen(WindowPtr) { return kFalse; }
void OrvaWindowsClickInDesk() {}
Collection OrvaGetWindowEventHandlers(WindowPtr) { return nullptr; }
