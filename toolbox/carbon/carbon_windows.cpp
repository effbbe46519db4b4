// Accessors of windows and of dialogs' windows, through the Window Manager, and the window
// calls of other systems that have nothing to do here.
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include "toolbox/carbon/carbon_accessors.h"
#include "platform/core/runtime.h"

namespace {

enum : UInt32 {
    kTransitionZoom = 1,  // the window shrinks away
    kTransitionHide = 2,
};
enum : SInt16 { kMagicBytes = 4 };

RgnHandle WindowRegion(WindowPtr window, SInt16 code);
Rect *WindowRegionBounds(WindowPtr window, SInt16 code, Rect *r);
Boolean MagicRecord(WindowPtr window, UInt32 **record);
Boolean CanRead(const void *address, SInt32 count);
Boolean WriteChecked(void *address, const void *bytes, SInt32 count);

}  // namespace

Rect *CarboniseGetRectDialog(DialogPtr dialog, Rect *r) { return CarboniseGetRectWindow(GetDialogWindow(dialog), r); }

void CarboniseInvalRectDialog(DialogPtr dialog, const Rect *r) {
    WindowPtr window = GetDialogWindow(dialog);
    if (window && r) InvalWindowRect(window, r);
}

Rect *CarboniseGetContRectDialog(DialogPtr dialog, Rect *r) {
    return CarboniseGetWindowContRect(GetDialogWindow(dialog), r);
}

Rect *CarboniseGetStrucRectDialog(DialogPtr dialog, Rect *r) {
    return CarboniseGetWindowStructRect(GetDialogWindow(dialog), r);
}

RgnHandle CarboniseGetContRegionDialog(DialogPtr dialog) { return CarboniseGetWindowContRegion(GetDialogWindow(dialog)); }

RgnHandle CarboniseGetVisRegionDialog(DialogPtr dialog) {
    return CarboniseGetWindowVisibleRegion(GetDialogWindow(dialog));
}

Rect *CarboniseGetClipRectDialog(DialogPtr dialog, Rect *r) {
    return CarboniseGetWindowClipRect(GetDialogWindow(dialog), r);
}

void CarboniseMoveDialog(DialogPtr dialog, SInt16 h, SInt16 v, Boolean front) {
    CarboniseMoveWindow(GetDialogWindow(dialog), h, v, front);
}

void CarboniseDragDialog(DialogPtr dialog, Point start, const Rect *bounds) {
    WindowPtr window = GetDialogWindow(dialog);
    if (window) DragWindow(window, start, bounds);
}

void CarboniseShowDialog(DialogPtr dialog) {
    WindowPtr window = GetDialogWindow(dialog);
    if (window) _ShowWindow(window);
}

Boolean CarboniseIsDialogVisible(DialogPtr dialog) { return CarboniseIsWindowVisible(GetDialogWindow(dialog)); }

void CarboniseSizeDialog(DialogPtr dialog, SInt16 width, SInt16 height, Boolean update) {
    CarboniseSizeWindow(GetDialogWindow(dialog), width, height, update);
}

SInt32 CarboniseGrowDialog(DialogPtr dialog, Point start, const Rect *sizeLimits) {
    WindowPtr window = GetDialogWindow(dialog);
    return window ? GrowWindow(window, start, sizeLimits) : 0;
}

void CarboniseSetDialogRefCon(DialogPtr dialog, SRefCon refCon) {
    CarboniseSetWindowRefCon(GetDialogWindow(dialog), refCon);
}

SRefCon CarboniseGetDialogRefCon(DialogPtr dialog) { return CarboniseGetWindowRefCon(GetDialogWindow(dialog)); }
void CarboniseSelectDialog(DialogPtr dialog) { CarboniseSelectWindow(GetDialogWindow(dialog)); }
UInt32 CarboniseGetMagicDialog(DialogPtr dialog) { return CarboniseGetMagicWindow(GetDialogWindow(dialog)); }
void CarboniseSetMagicDialog(DialogPtr dialog, UInt32 tag) { CarboniseSetMagicWindow(GetDialogWindow(dialog), tag); }

DialogPtr CarboniseDisplayCloseDialog(DialogPtr dialog) {
    CarboniseDisplayCloseWindow(GetDialogWindow(dialog));
    return dialog;
}

const BitMap *CarboniseGetDialogBitMapForCopyBits(DialogPtr dialog) {
    return CarboniseGetWindowBitMapForCopyBits(GetDialogWindow(dialog));
}

WindowPtr CarboniseGetWindowList() { return GetWindowList(); }
GrafPtr CarboniseGetWindowPort(WindowPtr window) { return window ? GetWindowPort(window) : nullptr; }
WindowPtr CarboniseGetWindowFromPort(GrafPtr port) { return port ? GetWindowFromPort(port) : nullptr; }

const BitMap *CarboniseGetWindowBitMapForCopyBits(WindowPtr window) {
    return CarboniseGetPortBitMapForCopyBits(CarboniseGetWindowPort(window));
}

void CarboniseSizeWindow(WindowPtr window, SInt16 width, SInt16 height, Boolean update) {
    if (window) SizeWindow(window, width, height, update);
}

Rect *CarboniseGetRectWindow(WindowPtr window, Rect *r) { return CarboniseGetRectPort(CarboniseGetWindowPort(window), r); }
WindowPtr CarboniseGetNextWindow(WindowPtr window) { return window ? _GetNextWindow(window) : nullptr; }
Boolean CarboniseIsWindowVisible(WindowPtr window) { return window ? _IsWindowVisible(window) : Boolean(kFalse); }
Boolean CarboniseIsWindowHilited(WindowPtr window) { return window ? IsWindowHilited(window) : Boolean(kFalse); }
SInt16 CarboniseGetWindowKind(WindowPtr window) { return window ? GetWindowKind(window) : 0; }

void CarboniseSetWindowKind(WindowPtr window, SInt16 kind) {
    if (window) SetWindowKind(window, kind);
}

void CarboniseHiliteWindow(WindowPtr window, Boolean hilite) {
    if (window) HiliteWindow(window, hilite);
}

void CarboniseGetWindowTitle(WindowPtr window, Str255 title) {
    if (!title) return;
    title[0] = 0;
    if (window) GetWTitle(window, title);
}

void CarboniseSelectWindow(WindowPtr window) {
    if (window) SelectWindow(window);
}

void CarboniseMoveWindow(WindowPtr window, SInt16 h, SInt16 v, Boolean front) {
    if (window) _MoveWindow(window, h, v, front);
}

WindowPtr CarboniseGetCurrentWindow() { return CarboniseGetWindowFromPort(qd.thePort); }

void CarboniseInvalRegion(RgnHandle region) {
    WindowPtr window = CarboniseGetCurrentWindow();
    if (window && region) InvalWindowRgn(window, region);
}

void CarboniseInvalRect(const Rect *r) {
    WindowPtr window = CarboniseGetCurrentWindow();
    if (window && r) InvalWindowRect(window, r);
}

void CarboniseValidRegion(RgnHandle region) {
    WindowPtr window = CarboniseGetCurrentWindow();
    if (window && region) ValidWindowRgn(window, region);
}

void CarboniseValidWindowRect(WindowPtr window, const Rect *r) {
    if (window && r) ValidWindowRect(window, r);
}

RgnHandle CarboniseGetWindowStructRegion(WindowPtr window) { return WindowRegion(window, kWindowStructureRgn); }
RgnHandle CarboniseGetWindowContRegion(WindowPtr window) { return WindowRegion(window, kWindowContentRgn); }

Rect *CarboniseGetWindowStructRect(WindowPtr window, Rect *r) {
    return WindowRegionBounds(window, kWindowStructureRgn, r);
}

Rect *CarboniseGetWindowContRect(WindowPtr window, Rect *r) { return WindowRegionBounds(window, kWindowContentRgn, r); }

RgnHandle CarboniseGetWindowVisibleRegion(WindowPtr window) {
    return CarboniseGetPortVisibleRegion(CarboniseGetWindowPort(window));
}

RgnHandle CarboniseGetWindowClipRegion(WindowPtr window) {
    return CarboniseGetPortClipRegion(CarboniseGetWindowPort(window));
}

Rect *CarboniseGetWindowVisibleRect(WindowPtr window, Rect *r) {
    GrafPtr port = CarboniseGetWindowPort(window);
    return CarboniseGetRegionBounds(port ? port->visRgn : nullptr, r);
}

Rect *CarboniseGetWindowClipRect(WindowPtr window, Rect *r) {
    return CarboniseGetPortClipRect(CarboniseGetWindowPort(window), r);
}

void CarboniseSetWindowRefCon(WindowPtr window, SRefCon refCon) {
    if (window) SetWRefCon(window, refCon);
}

SRefCon CarboniseGetWindowRefCon(WindowPtr window) { return window ? GetWRefCon(window) : 0; }

WindowPtr CarboniseDisplayCloseWindow(WindowPtr window) {
    if (window) TransitionWindow(window, kTransitionZoom, kTransitionHide, nullptr);
    return window;
}

void CarboniseSetWindowClass(WindowPtr window, UInt32 windowClass) {
    if (window) SetWindowClass(window, windowClass);
}

WindowPtr CarboniseCreateNewWindow(const Rect *bounds, Boolean visible, SInt16 procID, UInt32 windowClass) {
    static const unsigned char kNoTitle[1] = {0};
    WindowPtr window = NewCWindow(nullptr, bounds, kNoTitle, visible, procID, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    CarboniseSetWindowClass(window, windowClass);
    return window;
}

void CarboniseGetWindowMargin(WindowPtr window, Rect *margins) {
    if (!margins) return;
    Rect structure, content;
    WindowRegionBounds(window, kWindowStructureRgn, &structure);
    WindowRegionBounds(window, kWindowContentRgn, &content);
    margins->top = SInt16(content.top - structure.top);
    margins->left = SInt16(content.left - structure.left);
    margins->bottom = SInt16(structure.bottom - content.bottom);
    margins->right = SInt16(structure.right - content.right);
}

SInt16 CarboniseGetWindowTitleHeight(WindowPtr window) {
    Rect margins;
    CarboniseGetWindowMargin(window, &margins);
    return margins.top;
}

UInt32 CarboniseGetMagicWindow(WindowPtr window) {
    UInt32 *record = nullptr;
    UInt32 tag = 0;
    if (MagicRecord(window, &record) && CanRead(record, kMagicBytes)) memcpy(&tag, record, kMagicBytes);
    return tag;
}

void CarboniseSetMagicWindow(WindowPtr window, UInt32 tag) {
    UInt32 *record = nullptr;
    if (!MagicRecord(window, &record) || !WriteChecked(record, &tag, kMagicBytes))
        Collapse("CarboniseSetMagicWindow: Bad forward pointeur");
}

OSStatus CarboniseGetWindowAttributes(WindowPtr, UInt32 *attributes) {
    if (attributes) *attributes = 0;
    return -1;
}

OSStatus CarboniseChangeWindowAttributes(WindowPtr, UInt32, UInt32) { return -1; }
OSStatus CarboniseTrackWindowProxyDrag(WindowPtr, Point) { return 0; }

OSStatus CarboniseGetPathProxy(WindowPtr, char *path) {
    if (path) path[0] = 0;
    return 0;
}

void CarboniseSetWindowProxy(WindowPtr, const char *) {}
void CarboniseSetWindowProxyAlias(WindowPtr, Handle) {}
void CarboniseSetWindowModified(WindowPtr, Boolean) {}

namespace {

RgnHandle WindowRegion(WindowPtr window, SInt16 code) {
    RgnHandle region = NewRgn();
    if (region && window) GetWindowRegion(window, code, region);
    return region;
}

Rect *WindowRegionBounds(WindowPtr window, SInt16 code, Rect *r) {
    if (!r) return nullptr;
    *r = Rect{0, 0, 0, 0};
    RgnHandle region = WindowRegion(window, code);
    if (region) {
        *r = (*region)->rgnBBox;
        DisposeRgn(region);
    }
    return r;
}

// The refCon as the address of the window's magic record. Numbers below kMagicRefConMin, and
// negative ones, are no addresses.
Boolean MagicRecord(WindowPtr window, UInt32 **record) {
    SRefCon refCon = window ? GetWRefCon(window) : 0;
    if (refCon < SRefCon(kMagicRefConMin)) return kFalse;
    *record = reinterpret_cast<UInt32 *>(refCon);
    return kTrue;
}

// A refCon may hold any number, so the memory it names is tried by the kernel first: a pipe
// transfer answers EFAULT for an address the process cannot read or write, where touching it
// directly would end the process.
int gProbe[2] = {-1, -1};  // main thread only

Boolean OpenProbe() {
    if (gProbe[0] >= 0) return kTrue;
    return pipe2(gProbe, O_CLOEXEC | O_NONBLOCK) == 0;
}

void DrainProbe() {
    char sink[16];
    while (read(gProbe[0], sink, sizeof sink) > 0) {
    }
}

Boolean CanRead(const void *address, SInt32 count) {
    if (!OpenProbe()) return kFalse;
    ssize_t written = write(gProbe[1], address, size_t(count));
    DrainProbe();
    return written == count;
}

Boolean WriteChecked(void *address, const void *bytes, SInt32 count) {
    if (!OpenProbe()) return kFalse;
    DrainProbe();
    if (write(gProbe[1], bytes, size_t(count)) != count) return kFalse;
    ssize_t got = read(gProbe[0], address, size_t(count));
    DrainProbe();
    return got == count;
}

}  // namespace
