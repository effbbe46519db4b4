// Showing, hiding, moving, sizing and dragging windows. Nothing here waits for the mouse: a drag
// or a grow makes one pass, and a drag the pump then follows (platform/gtk/platform_windows.h).
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/runtime.h"
#include "platform/gtk/platform_windows.h"
#include "toolbox/events.h"
#include "toolbox/windows.h"

namespace {

enum : UInt32 { kShowTransition = 1, kHideTransition = 2 };

void ContentOf(WindowPtr w, Rect *r);
void MoveContent(WindowPtr w, const Rect &content);
void UncoverBehind(WindowPtr w, RgnHandle area);

}  // namespace

void ShowHide(WindowPtr w, Boolean show) {
    if (!OrvaIsKnownWindow(w) || Boolean(w->visible != 0) == Boolean(show != 0)) return;
    w->visible = show;
    if (show) {
        OrvaShowHide(w, kTrue);
        OrvaWindowsInvalRect(w, &w->port.portRect);
        return;
    }
    OrvaShowHide(w, kFalse);
    UncoverBehind(w, w->strucRgn);
    if (w->hilited) {
        HiliteWindow(w, kFalse);
        if (WindowPtr front = FrontWindow()) HiliteWindow(front, kTrue);
    }
}

void _ShowWindow(WindowPtr w) {
    ShowHide(w, kTrue);
    if (OrvaIsKnownWindow(w) && FrontWindow() == w) HiliteWindow(w, kTrue);
}

void _MoveWindow(WindowPtr w, SInt16 h, SInt16 v, Boolean front) {
    if (!OrvaIsKnownWindow(w)) return;
    Rect content;
    ContentOf(w, &content);
    _OffsetRect(&content, SInt16(h - content.left), SInt16(v - content.top));
    MoveContent(w, content);
    if (front) SelectWindow(w);
}

void DragWindow(WindowPtr w, Point start, const Rect *bounds) {
    if (!OrvaIsKnownWindow(w) || OrvaIsPlugin()) return;  // the browser places the instances
    OrvaDragWindow(w, start, bounds);
}

// One pass: the size the pointer asks for now, within the limits (top-left the smallest, bottom-
// right the largest); 0 when it is the size the window has.
SInt32 GrowWindow(WindowPtr w, Point start, const Rect *sizeLimits) {
    if (!OrvaIsKnownWindow(w)) return 0;
    Point now;
    OrvaEventsReadMouse(&now);
    const Rect &p = w->port.portRect;
    SInt32 width = p.right - p.left + now.h - start.h, height = p.bottom - p.top + now.v - start.v;
    Rect limits = sizeLimits ? *sizeLimits : Rect{1, 1, 32767, 32767};
    if (width < limits.left) width = limits.left;
    if (height < limits.top) height = limits.top;
    if (width > limits.right) width = limits.right;
    if (height > limits.bottom) height = limits.bottom;
    if (width == p.right - p.left && height == p.bottom - p.top) return 0;
    return SInt32(UInt32(height) << 16 | UInt32(width & 0xFFFF));
}

void SizeWindow(WindowPtr w, SInt16 width, SInt16 height, Boolean update) {
    if (!OrvaIsKnownWindow(w) || width < 1 || height < 1) return;
    const Rect old = w->port.portRect;
    Rect content;
    ContentOf(w, &content);
    content.right = SInt16(content.left + width);
    content.bottom = SInt16(content.top + height);
    MoveContent(w, content);
    if (!update) return;
    Rect grown = w->port.portRect;
    if (width > old.right - old.left) OrvaWindowsInvalRect(w, &grown);
    else if (height > old.bottom - old.top) OrvaWindowsInvalRect(w, &grown);
}

// One pass: true when the press lies in the close box.
Boolean TrackGoAway(WindowPtr w, Point start) {
    if (!OrvaIsKnownWindow(w)) return kFalse;
    Rect close;
    OrvaGetCloseBoxRect(w, &close);
    return _PtInRect(start, &close);
}

OSStatus TransitionWindow(WindowPtr w, UInt32, UInt32 action, const Rect *) {
    if (!OrvaIsKnownWindow(w)) return paramErr;
    if (action == kShowTransition) _ShowWindow(w);
    else if (action == kHideTransition) ShowHide(w, kFalse);
    return noErr;
}

namespace {

void ContentOf(WindowPtr w, Rect *r) {
    const Rect &p = w->port.portRect;
    *r = Rect{w->port.screenV, w->port.screenH, SInt16(w->port.screenV + p.bottom - p.top),
              SInt16(w->port.screenH + p.right - p.left)};
}

// The platform layer moves and sizes the port and the platform window; the regions follow.
void MoveContent(WindowPtr w, const Rect &content) {
    RgnHandle before = NewRgn();
    if (before && w->strucRgn) _CopyRgn(w->strucRgn, before);
    OrvaMoveAndSizeWindow(w, &content, kFalse, kTrue, kFalse, kTrue);
    if (w->windowDefProc) {
        w->windowDefProc(0, w, kWindowRegionsMessage, 0);
        w->windowDefProc(0, w, kWindowDrawMessage, 0);
    }
    if (before && w->visible && w->strucRgn) {
        DiffRgn(before, w->strucRgn, before);
        UncoverBehind(w, before);
    }
    DisposeRgn(before);
}

// The windows behind w redraw what area (global) uncovered of them.
void UncoverBehind(WindowPtr w, RgnHandle area) {
    if (!area) return;
    for (WindowPtr other = w->nextWindow; other; other = other->nextWindow)
        if (other->visible) InvalWindowRgn(other, area);
}

}  // namespace
