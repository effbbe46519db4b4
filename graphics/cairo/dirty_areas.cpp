// Dirty areas: merging changed rectangles into each port's five slots, the refresh that hands
// them to the platform windows, the video table start-up and the desktop region.
#include "graphics/cairo/dirty_areas.h"

#include <algorithm>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/back_end.h"
#include "platform/core/runtime.h"

namespace {

// Refresh slots: the window layer's pass and where rectangles go. Main thread only.
struct DirtyRefreshRecord {
    Boolean (*pass)();
    void (*invalidate)(void *platformWindow, const Rect *r);
};
DirtyRefreshRecord gDirtyRefresh;

RgnHandle gGrayRgn;

}  // namespace

static SInt64 Area(SInt64 top, SInt64 left, SInt64 bottom, SInt64 right);
static SInt64 MergeWaste(const Rect *a, const Rect *b);
static Boolean VideoInit(SInt16 mode);

SInt16 OrvaInitGrafHardware(SInt16 mode) {
    // Slots 1 to 3, the pixel writers, are installed by QuickDraw's start-up just before.
    video.init = VideoInit;
    video.init(mode);
    return 1;
}

Boolean SystemDependantInitWindowSystem(SInt16 mode) {
    // Inside the plug-in there is no screen-wide frame and no menu bar to make.
    if (OrvaIsPlugin() || mode != 1 || orvaSettings.windowSystemMode != 1 || orvaSettings.noMenuBar) return true;
    Rect screen;
    SystemDependantGetScreenArea(&screen);
    if (!EmptyRect(&screen)) qd.screenBits.bounds = screen;
    SystemDependantMakeMenuBar();
    return true;
}

void OrvaAddDirtyRectPort(GrafPtr port, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (!qd.thePort || !port || (left == 0 && top == 0 && right == 0 && bottom == 0)) return;
    const Rect &pr = port->portRect;
    SInt32 areaRight = SInt32(pr.right) - pr.left, areaBottom = SInt32(pr.bottom) - pr.top;
    SInt32 l = left, t = top, r = SInt32(right) + 1, b = SInt32(bottom) + 1;
    if (!port->systemDraw) {
        areaRight += port->marginLeft + port->marginRight;
        areaBottom += port->marginTop + port->marginBottom;
        l += port->marginLeft;
        r += port->marginLeft;
        t += port->marginTop;
        b += port->marginTop;
    }
    // Cut to the port's area before narrowing to 16 bits, so edges at +-32767 do not wrap.
    l = std::max<SInt32>(l, 0);
    t = std::max<SInt32>(t, 0);
    r = std::min<SInt32>(r, std::min<SInt32>(areaRight, 32767));
    b = std::min<SInt32>(b, std::min<SInt32>(areaBottom, 32767));
    if (r <= l || b <= t) return;
    Rect added = {SInt16(t), SInt16(l), SInt16(b), SInt16(r)};
    SInt32 chosen = -1;
    SInt64 leastWaste = 0;
    for (SInt32 i = 0; i < kPortDirtySlots; i++) {
        Rect &slot = port->dirty[i];
        SInt64 waste = MergeWaste(&slot, &added);
        if (EmptyRect(&slot) || SectRect(&slot, &added, nullptr) || waste <= kDirtyMergeWaste) {
            chosen = i;
            break;
        }
        if (chosen < 0 || waste < leastWaste) {
            chosen = i;
            leastWaste = waste;
        }
    }
    _UnionRect(&port->dirty[chosen], &added, &port->dirty[chosen]);
}

void OrvaAddDirtyRect(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    OrvaAddDirtyRectPort(qd.thePort, left, top, right, bottom);
}

Boolean OrvaFlushDirtyPort(GrafPtr port, void *platformWindow) {
    if (!port || !platformWindow || EmptyRect(&port->dirty[0])) return false;
    void (*invalidate)(void *, const Rect *) =
        gDirtyRefresh.invalidate ? gDirtyRefresh.invalidate : SystemDependantInvalidateRect;
    for (Rect &slot : port->dirty) {
        if (EmptyRect(&slot)) continue;
        Rect r = slot;
        _SetRect(&slot, 0, 0, 0, 0);
        invalidate(platformWindow, &r);
    }
    return true;
}

void OrvaUpdateDirtyWindows() {
    if (!gDirtyRefresh.pass) return;
    while (gDirtyRefresh.pass()) {
    }
}

void OrvaSetDirtyRefreshPass(Boolean (*pass)()) { gDirtyRefresh.pass = pass; }

void OrvaSetInvalidateRectHook(void (*hook)(void *platformWindow, const Rect *r)) { gDirtyRefresh.invalidate = hook; }

RgnHandle GetGrayRgn() { return OrvaGetGrayRgn(); }

RgnHandle OrvaGetGrayRgn() {
    if (!gGrayRgn) gGrayRgn = NewRgn();
    if (OrvaFrameGrafPort.context) RectRgn(gGrayRgn, &qd.screenBits.bounds);
    else SetEmptyRgn(gGrayRgn);
    return gGrayRgn;
}

SInt16 SystemDependantCanDrawBezier() { return 1; }

static SInt64 Area(SInt64 top, SInt64 left, SInt64 bottom, SInt64 right) {
    return (bottom > top && right > left) ? (bottom - top) * (right - left) : 0;
}

// Pixels a merged rectangle covers beyond the two it replaces; 64-bit, as the product of two
// 16-bit spans already passes 32 bits.
static SInt64 MergeWaste(const Rect *a, const Rect *b) {
    Rect u;
    _UnionRect(a, b, &u);
    return Area(u.top, u.left, u.bottom, u.right) - Area(a->top, a->left, a->bottom, a->right) -
           Area(b->top, b->left, b->bottom, b->right);
}

static Boolean VideoInit(SInt16 mode) { return SystemDependantInitWindowSystem(mode); }
