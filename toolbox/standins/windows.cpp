// Stand-ins for the Window Manager until it exists: no window is ever made, so the window
// list is empty and every point is on the desk.
#include "toolbox/toolbox_services.h"

WindowPtr NewWindow(void *, const Rect *, ConstStr255Param, Boolean, SInt16, WindowPtr, Boolean, SInt32) {
    return nullptr;
}
WindowPtr NewCWindow(void *, const Rect *, ConstStr255Param, Boolean, SInt16, WindowPtr, Boolean, SInt32) {
    return nullptr;
}
void DisposeWindow(WindowPtr) {}
WindowPtr FrontWindow() { return nullptr; }
WindowPtr GetWindowList() { return nullptr; }
WindowPtr _GetNextWindow(WindowPtr) { return nullptr; }
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
SInt32 GetWRefCon(WindowPtr) { return 0; }
void SetWRefCon(WindowPtr, SInt32) {}
OSStatus SetWindowClass(WindowPtr, UInt32) { return noErr; }
GrafPtr GetWindowPort(WindowPtr) { return nullptr; }
WindowPtr GetWindowFromPort(GrafPtr) { return nullptr; }
OSStatus InvalWindowRgn(WindowPtr, RgnHandle) { return noErr; }
OSStatus ValidWindowRgn(WindowPtr, RgnHandle) { return noErr; }
OSStatus InvalWindowRect(WindowPtr, const Rect *) { return noErr; }
OSStatus ValidWindowRect(WindowPtr, const Rect *) { return noErr; }
void InvalRect(const Rect *) {}
OSStatus GetWindowRegion(WindowPtr, SInt16, RgnHandle) { return paramErr; }

OSStatus GetWindowBounds(WindowPtr, SInt16, Rect *globalBounds) {
    if (globalBounds) *globalBounds = Rect{0, 0, 0, 0};
    return paramErr;
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

void BeginUpdate(WindowPtr) {}
void EndUpdate(WindowPtr) {}
Boolean orva_existe_fen(WindowPtr) { return kFalse; }
void OrvaRetraceDesktop() {}
void OrvaDrawMenuBar() {}
void OrvaWindowsClickInDesk() {}
Collection OrvaGetWindowEventHandlers(WindowPtr) { return nullptr; }
