// The plain window definition procedure.
#include "graphics/quickdraw/window_record.h"

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"

SInt32 OrvaPlainWindowDefProc(SInt16, WindowPtr w, SInt16 message, SInt32) {
    if (message != 2 || !w) return 0;
    Rect r = w->port.portRect;
    _OffsetRect(&r, w->port.screenH - r.left, w->port.screenV - r.top);
    if (!w->strucRgn) w->strucRgn = NewRgn();
    if (!w->contRgn) w->contRgn = NewRgn();
    RectRgn(w->strucRgn, &r);
    RectRgn(w->contRgn, &r);
    return 0;
}
