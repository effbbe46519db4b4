// Test window records.
#include "support/graphics/window_support.h"

#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"

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
    w->windowDefProc = OrvaPlainWindowDefProc;
    OrvaPlainWindowDefProc(0, w, 2, 0);
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
