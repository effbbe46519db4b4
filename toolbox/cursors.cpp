// The Window Manager's side of cursors: the cursor handles of the platform's own pointer shapes,
// showing the cursor in force through the platform, the pointer over window parts, and the
// hovered target.
#include "graphics/quickdraw/cursors.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/gtk/keyboard_mouse.h"
#include "toolbox/cursors.h"
#include "toolbox/events.h"
#include "toolbox/windows.h"

namespace {

enum : SInt16 { kPlatformCursors = 26 };  // numbers below this name one of the platform's shapes

// Main thread only.
struct CursorState {
    CursHandle platform[kPlatformCursors];  // made on first use and kept
    Boolean hover = kTrue;                  // hover processing is on
    Boolean menuOpen = kFalse;              // a menu is being shown: nothing is hovered
    WindowPtr hoverWindow = nullptr;        // the target last highlighted
    ControlHandle hoverControl = nullptr;
    SInt16 hoverItem = 0;
    SInt16 hoverPart = 0;
};
CursorState gCursors;

CursHandle PlatformCursor(SInt16 number);

}  // namespace

CursHandle OrvaGetCursor(SInt16 number) {
    if (number < 0) return nullptr;
    if (number >= kPlatformCursors) return reinterpret_cast<CursHandle>(GetResource(FourCC("CURS"), number));
    // A number the platform shows with another shape takes the application's own image when it has one.
    if (SystemDependantGetClosestCursor(number) != number)
        if (Handle own = GetResource(FourCC("CURS"), number)) return reinterpret_cast<CursHandle>(own);
    return PlatformCursor(number);
}

void OrvaShowCursorArea(const OrvaCursorArea *cursor) {
    if (!cursor) return;
    if (cursor->kind == kCursorKindPlatform) SystemDependantSetStandardCursor(SInt16(cursor->id));
    else if (cursor->kind == kCursorKindColor) SystemDependantSetColorCursor(cursor);
    else SystemDependantSetMonochromeCursor(cursor);
}

// Over a window's frame or title bar the pointer is the arrow; elsewhere the application's
// cursor stays.
void OrvaSetCursorForWindows() {
    Point where;
    OrvaEventsReadMouse(&where);
    WindowPtr w = nullptr;
    SInt16 part = _FindWindow(where, &w);
    if (part == inDrag || part == inGoAway || part == inGrow || part == inMenuBar) InitCursor();
}

void OrvaHoverUnderMouse(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part) {
    if (gCursors.menuOpen || !gCursors.hover) return;
    if (w == gCursors.hoverWindow && control == gCursors.hoverControl && item == gCursors.hoverItem &&
        part == gCursors.hoverPart)
        return;
    ControlHandle previous = gCursors.hoverControl;
    gCursors.hoverWindow = w;
    gCursors.hoverControl = control;
    gCursors.hoverItem = item;
    gCursors.hoverPart = part;
    OrvaRedrawHovered(previous, control);
}

void OrvaSetHoverProcessing(Boolean on) { gCursors.hover = on; }
void OrvaSetMenuOpen(Boolean open) { gCursors.menuOpen = open; }
ControlHandle OrvaGetHoveredControl() { return gCursors.hoverControl; }

namespace {

// A 68-byte handle: an empty image and mask, then the platform kind and the number in place of
// the hot spot.
CursHandle PlatformCursor(SInt16 number) {
    if (gCursors.platform[number]) return gCursors.platform[number];
    CursHandle h = reinterpret_cast<CursHandle>(NewHandleClear(sizeof(Cursor)));
    if (!h) return nullptr;
    (**h).hotSpot.v = kCursorKindPlatform;
    (**h).hotSpot.h = number;
    gCursors.platform[number] = h;
    return h;
}

}  // namespace
