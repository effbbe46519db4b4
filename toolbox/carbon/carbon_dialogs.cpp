// Accessors of dialogs, their titles, items and controls, of procedure pointers and of lists,
// through the Dialog, Control and List managers.
#include <cstring>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "toolbox/carbon/carbon_accessors.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/core/unicode_mode.h"
#include "toolbox/resource_layouts.h"

namespace {

enum : SInt16 {
    kItemTypeStaticText = 8,
    kItemTypeEditText = 16,
    kControlFontStyleFlags = 7,  // font, face and size
};
enum : SInt32 { kTitleMax = 255 };

SInt16 InterfaceEncoding();

}  // namespace

WindowPtr CarboniseGetDialogWindow(DialogPtr dialog) { return dialog ? GetDialogWindow(dialog) : nullptr; }
DialogPtr CarboniseGetDialogFromWindow(WindowPtr window) { return window ? GetDialogFromWindow(window) : nullptr; }

DialogPtr CarboniseGetDialogFromPort(GrafPtr port) {
    return CarboniseGetDialogFromWindow(CarboniseGetWindowFromPort(port));
}

GrafPtr CarboniseGetDialogPort(DialogPtr dialog) { return dialog ? GetDialogPort(dialog) : nullptr; }
TEHandle CarboniseGetDialogTextEditHandle(DialogPtr dialog) { return dialog ? GetDialogTextEditHandle(dialog) : nullptr; }

OSErr CarboniseGetDialogItemAsControl(DialogPtr dialog, SInt16 item, ControlHandle *control) {
    return GetDialogItemAsControl(dialog, item, control);
}

Boolean CarboniseIsDialogEvent(const EventRecord *event) { return event ? IsDialogEvent(event) : Boolean(kFalse); }
void CarboniseSetDialogFont(SInt16 fontID) { SetDialogFont(fontID); }

SInt16 CarboniseTrackControl(ControlHandle control, Point where) {
    return control ? HandleControlClick(control, where, 0, nullptr) : 0;
}

SInt16 CarboniseGetDialogKeyboardFocusItem(DialogPtr dialog) {
    return SInt16(GetDialogKeyboardFocusItem(dialog) - 1);
}

void CarboniseShowHideDialog(DialogPtr dialog, Boolean show) {
    WindowPtr window = CarboniseGetDialogWindow(dialog);
    if (!window) return;
    Boolean visible = _IsWindowVisible(window);
    if (visible && !show) {
        ShowHide(window, kFalse);
    } else if (!visible && show) {
        ShowHide(window, kTrue);
        SelectWindow(window);
    }
}

SInt16 CarboniseFindControlDialog(Point where, DialogPtr dialog, ControlHandle *control) {
    SInt16 part = 0;
    ControlHandle found = FindControlUnderMouse(where, CarboniseGetDialogWindow(dialog), &part);
    if (dialog && control) *control = found;
    return part;
}

void CarboniseSetDialogTitle(DialogPtr dialog, const char *utf8) {
    WindowPtr window = CarboniseGetDialogWindow(dialog);
    if (!window || !utf8) return;
    if (IsUnicodeApplication()) {
        CFStringRef title = CFStringCreateWithCString(nullptr, utf8, kCFStringEncodingUTF8);
        if (title) {
            SetWindowTitleWithCFString(window, title);
            CFRelease(title);
        }
        return;
    }
    SInt32 count = 0;
    EncodedStr text = UTFToStr(utf8, InterfaceEncoding(), &count);
    if (!text) return;
    Str255 title;
    SInt32 length = count > 0 ? SInt32(strnlen(text, size_t(count))) : 0;
    if (length > kTitleMax) length = kTitleMax;
    title[0] = UInt8(length);
    memcpy(title + 1, text, size_t(length));
    DisposeEncodedStr(text);
    SetWTitle(window, title);
}

void CarboniseGetDialogTitle(DialogPtr dialog, char *utf8) {
    if (!utf8) return;
    utf8[0] = 0;
    WindowPtr window = CarboniseGetDialogWindow(dialog);
    if (!window) return;
    if (IsUnicodeApplication()) {
        CFStringRef title = nullptr;
        if (CopyWindowTitleAsCFString(window, &title) == noErr && title) {
            if (!CFStringGetCString(title, utf8, kDialogTitleBytes, kCFStringEncodingUTF8)) utf8[0] = 0;
            CFRelease(title);
        }
        return;
    }
    Str255 title;
    title[0] = 0;
    GetWTitle(window, title);
    EncodedStr text = StrToUTF(title + 1, InterfaceEncoding(), title[0]);
    if (!text) return;
    strncpy(utf8, text, kTitleMax);
    utf8[kTitleMax] = 0;
    DisposeEncodedStr(text);
}

SInt16 CarboniseGetNbItemDitl(SInt16 id) {
    Handle list = GetResource(FourCC("DITL"), id);
    if (!list) {
        Collapse("DITL %d non trouve", id);
        return 0;
    }
    // A count that claims more items than the resource holds would send the dialog code past
    // its end: a damaged list has no usable items.
    SInt32 count = 0;
    if (!OrvaReadDitl(reinterpret_cast<const UInt8 *>(*list), UInt32(GetHandleSize(list)), nullptr, 0, &count)) {
        Collapse("DITL %d endommage", id);
        return 0;
    }
    return SInt16(count);
}

void CarboniseAutoEmbedControlRange(DialogPtr dialog, SInt16 first, SInt16 last) {
    WindowPtr window = CarboniseGetDialogWindow(dialog);
    if (!CarboniseIsApparenceManager() || !window) return;
    for (SInt32 item = first; item <= last; item++) {
        ControlHandle control = nullptr;
        if (GetDialogItemAsControl(dialog, SInt16(item), &control) == noErr && control)
            AutoEmbedControl(control, window);
    }
}

// Dialogs that carry their own font table ('dftb') keep it.
void CarboniseAdapteStaticText(DialogPtr dialog, SInt16 dialogID, SInt16 fontID, SInt16 size) {
    if (!CarboniseIsApparenceManager() || !dialog) return;
    SetResLoad(kFalse);
    Handle table = GetResource(FourCC("dftb"), dialogID);
    SetResLoad(kTrue);
    if (table) {
        ReleaseResource(table);
        return;
    }
    SInt16 count = CountDITL(dialog);
    for (SInt32 item = 1; item <= count; item++) {
        SInt16 type = 0;
        Handle itemHandle = nullptr;
        Rect box;
        GetDItem(dialog, SInt16(item), &type, &itemHandle, &box);
        ControlHandle control = nullptr;
        if (!(type & (kItemTypeStaticText | kItemTypeEditText))) continue;
        if (GetDialogItemAsControl(dialog, SInt16(item), &control) != noErr || !control) continue;
        ControlFontStyleRec style = {};
        style.flags = kControlFontStyleFlags;
        style.font = fontID;
        style.size = size;
        OSErr err = SetControlFontStyle(control, &style);
        if (err != noErr) Collapse("CarboniseAdapteStaticText err %d", err);
    }
}

ModalFilterProcPtr CarboniseNewModalFilterProc(ModalFilterProcPtr proc) { return proc; }
UserItemProcPtr CarboniseNewUserItemProc(UserItemProcPtr proc) { return proc; }
ListDefProcPtr CarboniseNewListDefProc(ListDefProcPtr proc) { return proc; }
void CarboniseDisposeModalFilterProc(ModalFilterProcPtr) {}
void CarboniseDisposeUserItemProc(UserItemProcPtr) {}
void CarboniseDisposeListDefProc(ListDefProcPtr) {}
void CarboniseCloseDialog(DialogPtr) {}

void CarboniseSetListUserHandle(ListHandle list, Handle h) {
    if (list) SetListUserHandle(list, h);
}

Handle CarboniseGetListUserHandle(ListHandle list) { return list ? GetListUserHandle(list) : nullptr; }

void CarboniseDrawThemeListBoxFrame(const Rect *r, Boolean active) {
    if (!r) return;
    if (CarboniseIsApparenceManager()) {
        DrawThemeListBoxFrame(r, active ? 1 : 0);
        return;
    }
    Rect frame = *r;
    InsetRect(&frame, -2, -2);
    ForeColor(33);
    _FrameRect(&frame);
}

namespace {

SInt16 InterfaceEncoding() { return OrvaGetLangue() == kLanguageJapanese ? kEncodingShiftJis : kEncodingMacRoman; }

}  // namespace
