// The Window Manager: the window list, making and disposing windows, finding the window part
// under a point, the order and highlight of windows, titles, classes and event handlers.
#include "toolbox/windows.h"

#include <cstring>
#include <glib.h>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/standalone.h"
#include "toolbox/collections.h"
#include "toolbox/events.h"
#include "toolbox/theme_metrics.h"

WindowPtr WindowList;

namespace {

enum : UInt32 {
    kDocumentWindowClass = 6,     // a normal top-level window
    kModalWindowClass = 3,
    kMovableModalWindowClass = 4,
};
enum : SInt32 { kTitleMaxBytes = 255 };  // a title is cut, at a character boundary, to this

struct HandlerRecord {  // one installed event handler, the data of a handler collection item
    OrvaEventHandlerProc proc;
    void *userData;
};

UInt32 ClassFor(SInt16 procID);
void Link(WindowPtr w, WindowPtr behind);
void Unlink(WindowPtr w);
void FitMargins(WindowPtr w);
void SetTitleUtf8(WindowPtr w, const char *utf8, size_t length);
SInt16 InterfaceEncoding();
void ReleaseWindowState(WindowPtr w);

}  // namespace

WindowPtr NewWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                    WindowPtr behind, Boolean goAwayFlag, SRefCon refCon) {
    WindowPtr w = static_cast<WindowPtr>(storage);
    if (w) {
        memset(w, 0, sizeof *w);
    } else {
        w = reinterpret_cast<WindowPtr>(NewPtrClear(sizeof(WindowRecord)));
        if (!w) return nullptr;
        w->allocated = kTrue;
    }
    Rect r = bounds ? *bounds : Rect{0, 0, 1, 1};
    SInt16 width = SInt16(r.right - r.left > 0 ? r.right - r.left : 1);
    SInt16 height = SInt16(r.bottom - r.top > 0 ? r.bottom - r.top : 1);
    GrafPtr saved;
    GetPort(&saved);
    OpenPort(&w->port);
    PortSize(width, height);
    w->port.screenV = r.top;
    w->port.screenH = r.left;
    SetPort(saved == &w->port ? nullptr : saved);
    w->windowKind = kApplicationWindowKind;
    w->visible = visible;
    w->goAwayFlag = goAwayFlag;
    w->procID = procID;
    w->refCon = refCon;
    w->windowClass = ClassFor(procID);
    w->windowDefProc = OrvaThemeWindowDefProc;
    if (title) SetWTitle(w, title);
    w->windowDefProc(0, w, kWindowRegionsMessage, 0);
    FitMargins(w);
    Link(w, behind);
    if (!OrvaIsPlugin() && SystemDependantHasDisplay()) {
        Rect content = {r.top, r.left, SInt16(r.top + height), SInt16(r.left + width)};
        OrvaCreatePhysicalWindow(w, &content, behind, kTrue);
    }
    OrvaDrawWindowFrame(w);
    if (visible) OrvaWindowsInvalRect(w, &w->port.portRect);
    return w;
}

WindowPtr NewCWindow(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                     WindowPtr behind, Boolean goAwayFlag, SRefCon refCon) {
    return NewWindow(storage, bounds, title, visible, procID, behind, goAwayFlag, refCon);
}

void DisposeWindow(WindowPtr w) {
    if (!OrvaIsKnownWindow(w)) return;
    Boolean wasVisible = w->visible;
    RgnHandle uncovered = wasVisible && w->strucRgn ? NewRgn() : nullptr;
    if (uncovered) _CopyRgn(w->strucRgn, uncovered);
    Boolean wasFront = FrontWindow() == w;
    Unlink(w);
    OrvaCancelWindowDrag(w);
    OrvaDeletePhysicalWindow(w);
    ReleaseWindowState(w);
    if (qd.thePort == &w->port) SetPort(nullptr);
    ClosePort(&w->port);
    if (w->allocated) DisposPtr(reinterpret_cast<Ptr>(w));
    // The windows it covered show again: they redraw what lay beneath it.
    for (WindowPtr other = WindowList; other && uncovered; other = other->nextWindow)
        if (other->visible) InvalWindowRgn(other, uncovered);
    if (uncovered) DisposeRgn(uncovered);
    if (wasFront && WindowList) HiliteWindow(FrontWindow(), kTrue);
}

WindowPtr FrontWindow() {
    for (WindowPtr w = WindowList; w; w = w->nextWindow)
        if (w->visible) return w;
    return nullptr;
}

WindowPtr OrvaWindowListHead() { return WindowList; }

WindowPtr OrvaNextWindowInList(WindowPtr w) { return OrvaIsKnownWindow(w) ? w->nextWindow : nullptr; }

Boolean OrvaIsKnownWindow(WindowPtr w) {
    if (!w) return kFalse;
    for (WindowPtr known = WindowList; known; known = known->nextWindow)
        if (known == w) return kTrue;
    return kFalse;
}

Boolean orva_existe_fen(WindowPtr w) { return OrvaIsKnownWindow(w); }
Boolean _IsWindowVisible(WindowPtr w) { return OrvaIsKnownWindow(w) && w->visible; }
Boolean IsWindowHilited(WindowPtr w) { return OrvaIsKnownWindow(w) && w->hilited; }
SInt16 GetWindowKind(WindowPtr w) { return OrvaIsKnownWindow(w) ? w->windowKind : 0; }

void SetWindowKind(WindowPtr w, SInt16 kind) {
    if (OrvaIsKnownWindow(w)) w->windowKind = kind;
}

SInt16 _FindWindow(Point where, WindowPtr *found) {
    if (found) *found = nullptr;
    SInt16 bar = OrvaThemeMenuBarHeight();
    if (bar > 0) {
        Rect menuBar;
        SystemDependantGetRectMenu(&menuBar);
        if (EmptyRect(&menuBar)) menuBar = Rect{OffsetYMBar, qd.screenBits.bounds.left, SInt16(OffsetYMBar + bar),
                                                 qd.screenBits.bounds.right};
        if (_PtInRect(where, &menuBar)) return inMenuBar;
    }
    SInt32 packed = SInt32(UInt32(UInt16(where.v)) << 16 | UInt16(where.h));
    for (WindowPtr w = WindowList; w; w = w->nextWindow) {
        if (!w->visible || !w->strucRgn || !PtInRgn(where, w->strucRgn)) continue;
        SInt32 hit = w->windowDefProc ? w->windowDefProc(0, w, kWindowHitMessage, packed) : wInContent;
        if (hit == wNoHit) continue;  // outside the window's own shape
        if (found) *found = w;
        switch (hit) {
        case wInDrag: return inDrag;
        case wInGrow: return inGrow;
        case wInGoAway: return inGoAway;
        default: return inContent;
        }
    }
    return inDesk;
}

void SelectWindow(WindowPtr w) {
    if (!OrvaIsKnownWindow(w)) return;
    WindowPtr front = FrontWindow();
    if (WindowList != w) {
        Unlink(w);
        Link(w, reinterpret_cast<WindowPtr>(-1));
        OrvaSendBehind(w, nullptr);
        if (w->visible && w->contRgn) InvalWindowRgn(w, w->contRgn);  // what other windows covered
    }
    if (front && front != w) HiliteWindow(front, kFalse);
    HiliteWindow(w, kTrue);
    if (!OrvaIsPlugin()) OrvaSetFocusToWindow(w);
}

void HiliteWindow(WindowPtr w, Boolean hilite) {
    if (!OrvaIsKnownWindow(w) || w->hilited == hilite) return;
    w->hilited = hilite;
    OrvaDrawWindowFrame(w);
}

SRefCon GetWRefCon(WindowPtr w) { return OrvaIsKnownWindow(w) ? w->refCon : 0; }

void SetWRefCon(WindowPtr w, SRefCon refCon) {
    if (OrvaIsKnownWindow(w)) w->refCon = refCon;
}

OSStatus SetWindowClass(WindowPtr w, UInt32 windowClass) {
    if (!OrvaIsKnownWindow(w)) return paramErr;
    SystemDependantSetWindowClass(w, windowClass);  // stores it, and gives the platform window its hints
    return noErr;
}

GrafPtr GetWindowPort(WindowPtr w) { return OrvaIsKnownWindow(w) ? &w->port : nullptr; }

// The port is a window's first field.
WindowPtr OrvaWindowOfPort(GrafPtr port) {
    WindowPtr w = reinterpret_cast<WindowPtr>(port);
    return OrvaIsKnownWindow(w) ? w : nullptr;
}

void SetWTitle(WindowPtr w, ConstStr255Param title) {
    if (!w || !title) return;
    if (title[0] == 0) {
        SetTitleUtf8(w, "", 0);
        return;
    }
    SInt32 bytes = 0;
    EncodedStr utf8 = ChangeTextEncoding(title + 1, 0, title[0], InterfaceEncoding(), kEncodingUTF8, &bytes);
    SetTitleUtf8(w, utf8 ? utf8 : "", utf8 ? size_t(bytes) : 0);
    DisposeEncodedStr(utf8);
}

void GetWTitle(WindowPtr w, Str255 title) {
    if (!title) return;
    title[0] = 0;
    if (!OrvaIsKnownWindow(w) || !w->title || !w->title[0]) return;
    SInt32 bytes = 0;
    EncodedStr text = ChangeTextEncoding(w->title, 0, SInt32(strlen(w->title)), kEncodingUTF8, InterfaceEncoding(), &bytes);
    if (!text) return;
    if (bytes > kTitleMaxBytes) bytes = kTitleMaxBytes;  // titles are kept to 255 UTF-8 bytes: never reached
    title[0] = UInt8(bytes);
    memcpy(title + 1, text, size_t(bytes));
    DisposeEncodedStr(text);
}

OSStatus SetWindowTitleWithCFString(WindowPtr w, CFStringRef title) {
    if (!OrvaIsKnownWindow(w) || !title) return paramErr;
    CFIndex units = CFStringGetLength(title);
    CFIndex size = units * 3 + 1;  // a unit takes at most three UTF-8 bytes
    char *utf8 = static_cast<char *>(g_malloc(size_t(size)));
    Boolean done = CFStringGetCString(title, utf8, size, kCFStringEncodingUTF8);
    if (done) SetTitleUtf8(w, utf8, strlen(utf8));
    g_free(utf8);
    return done ? noErr : paramErr;
}

OSStatus CopyWindowTitleAsCFString(WindowPtr w, CFStringRef *title) {
    if (!title) return paramErr;
    *title = nullptr;
    if (!OrvaIsKnownWindow(w)) return paramErr;
    *title = CFStringCreateWithCString(nullptr, w->title ? w->title : "", kCFStringEncodingUTF8);
    return *title ? noErr : memFullErr;
}

OSErr OrvaInstallWindowEventHandler(WindowPtr w, UInt32 eventClass, UInt32 eventKind, OrvaEventHandlerProc proc,
                                    void *userData) {
    if (!OrvaIsKnownWindow(w)) return paramErr;
    if (!w->eventHandlers) w->eventHandlers = NewCollection();
    if (!w->eventHandlers) return memFullErr;
    HandlerRecord handler = {proc, userData};
    return AddCollectionItem(w->eventHandlers, eventClass, SInt32(eventKind), proc ? sizeof handler : 0, &handler);
}

Collection OrvaGetWindowEventHandlers(WindowPtr w) { return OrvaIsKnownWindow(w) ? w->eventHandlers : nullptr; }

Boolean OrvaFindEventHandler(Collection handlers, UInt32 eventClass, UInt32 eventKind, OrvaEventHandlerProc *proc,
                             void **userData) {
    HandlerRecord handler = {nullptr, nullptr};
    SInt32 size = sizeof handler;
    if (!handlers || GetCollectionItem(handlers, eventClass, SInt32(eventKind), &size, &handler) != noErr ||
        size != sizeof handler || !handler.proc)
        return kFalse;
    *proc = handler.proc;
    *userData = handler.userData;
    return kTrue;
}

namespace {

UInt32 ClassFor(SInt16 procID) {
    switch (procID) {
    case 1:
    case 2:
    case 3: return kModalWindowClass;
    case 5: return kMovableModalWindowClass;
    default: return kDocumentWindowClass;
    }
}

// behind: (WindowPtr)-1 in front of all, null at the back, else just behind that window (in
// front of all when it is no window of the list).
void Link(WindowPtr w, WindowPtr behind) {
    if (behind == nullptr) {
        WindowPtr *link = &WindowList;
        while (*link) link = &(*link)->nextWindow;
        *link = w;
        w->nextWindow = nullptr;
        return;
    }
    if (behind != reinterpret_cast<WindowPtr>(-1) && OrvaIsKnownWindow(behind)) {
        w->nextWindow = behind->nextWindow;
        behind->nextWindow = w;
        return;
    }
    w->nextWindow = WindowList;
    WindowList = w;
}

void Unlink(WindowPtr w) {
    for (WindowPtr *link = &WindowList; *link; link = &(*link)->nextWindow) {
        if (*link != w) continue;
        *link = w->nextWindow;
        w->nextWindow = nullptr;
        return;
    }
}

// The port's buffer keeps the frame round the content: margins from the structure's box.
void FitMargins(WindowPtr w) {
    if (!w->strucRgn || !w->contRgn) return;
    const Rect &s = (*w->strucRgn)->rgnBBox, &c = (*w->contRgn)->rgnBBox;
    OrvaMarginsRecord m = {SInt16(c.top - s.top), SInt16(c.left - s.left), SInt16(s.bottom - c.bottom),
                           SInt16(s.right - c.right)};
    OrvaSetSystemMargins(&w->port, &m);
}

// Keeps at most 255 bytes, cut before a character that would not fit whole.
void SetTitleUtf8(WindowPtr w, const char *utf8, size_t length) {
    if (length > size_t(kTitleMaxBytes)) {
        const char *end = g_utf8_find_prev_char(utf8, utf8 + kTitleMaxBytes + 1);
        length = end ? size_t(end - utf8) : 0;
    }
    Ptr copy = NewPtr(UInt32(length + 1));
    if (!copy) return;
    memcpy(copy, utf8, length);
    copy[length] = 0;
    if (w->title) DisposPtr(w->title);
    w->title = copy;
    if (w->platformWindow && !OrvaIsPlugin()) SystemDependantSetWindowTitle(w->platformWindow, copy);
    if (OrvaIsKnownWindow(w)) OrvaDrawWindowFrame(w);
}

// Titles given as length-prefixed strings are in the interface's encoding.
SInt16 InterfaceEncoding() { return OrvaGetLangue() == kLanguageJapanese ? kEncodingShiftJis : kEncodingMacRoman; }

void ReleaseWindowState(WindowPtr w) {
    OrvaDisposeWindowControls(w);
    if (w->strucRgn) DisposeRgn(w->strucRgn);
    if (w->contRgn) DisposeRgn(w->contRgn);
    if (w->updateRgn) DisposeRgn(w->updateRgn);
    if (w->savedVisRgn) DisposeRgn(w->savedVisRgn);
    w->strucRgn = w->contRgn = w->updateRgn = w->savedVisRgn = nullptr;
    if (w->title) DisposPtr(w->title);
    w->title = nullptr;
    DisposeCollection(w->eventHandlers);
    w->eventHandlers = nullptr;
}

}  // namespace
