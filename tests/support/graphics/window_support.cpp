// Test window records.
#include "support/graphics/window_support.h"

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"

namespace {

// Draws nothing; computes both regions as the window's rectangle on the screen.
SInt32 RectangleDefProc(SInt16, WindowPtr w, SInt16 message, SInt32) {
    if (message != 2 || !w) return 0;
    Rect r = w->port.portRect;
    _OffsetRect(&r, w->port.screenH - r.left, w->port.screenV - r.top);
    if (!w->strucRgn) w->strucRgn = NewRgn();
    if (!w->contRgn) w->contRgn = NewRgn();
    RectRgn(w->strucRgn, &r);
    RectRgn(w->contRgn, &r);
    return 0;
}

}  // namespace

WindowPtr NewTestWindow(const Rect &bounds, Boolean visible) {
    WindowPtr w = reinterpret_cast<WindowPtr>(NewPtrClear(sizeof(WindowRecord)));
    if (!w) return nullptr;
    GrafPtr saved;
    GetPort(&saved);
    OpenPort(&w->port);
    PortSize(SInt16(bounds.right - bounds.left), SInt16(bounds.bottom - bounds.top));
    w->port.screenV = bounds.top;
    w->port.screenH = bounds.left;
    SetPort(saved);
    w->visible = visible;
    w->windowKind = 8;
    w->windowDefProc = RectangleDefProc;
    RectangleDefProc(0, w, 2, 0);
    return w;
}

void DisposeTestWindow(WindowPtr w) {
    if (!w) return;
    if (qd.thePort == &w->port) SetPort(nullptr);
    ClosePort(&w->port);
    DisposeRgn(w->strucRgn);
    DisposeRgn(w->contRgn);
    DisposPtr(reinterpret_cast<Ptr>(w));
}
