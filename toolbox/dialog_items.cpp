// The items of dialogs: made from a 'DITL', drawn, clicked and typed in.
#include <cstring>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "toolbox/color_icons.h"
#include "toolbox/controls.h"
#include "toolbox/dialogs.h"
#include "toolbox/resource_layouts.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/themes.h"

const unsigned char *OrvaGetParamText(SInt16 index);  // dialogs.cpp

namespace {

enum : SInt16 { kMaxDialogItems = 1000, kEditInset = 3, kDefaultRing = 4 };
enum : SInt32 { kShownTextMax = 1024 };

DialogItemRecord *Items(DialogPtr dialog) { return reinterpret_cast<DialogItemRecord *>(*dialog->items); }
DialogItemRecord *Item(DialogPtr dialog, SInt16 item);  // null out of range
bool IsControlKind(UInt8 kind);
SInt16 ProcIDOf(UInt8 kind);
void DrawItem(DialogPtr dialog, SInt16 item);
void DrawDefaultRing(DialogPtr dialog);
void Focus(DialogPtr dialog, SInt16 item);  // 0: none
void KeepEditText(DialogPtr dialog);
void WithDialogText(DialogPtr dialog, void (*body)(DialogPtr, SInt16), SInt16 item);

}  // namespace

Boolean OrvaMakeDialogItems(DialogPtr dialog, const UInt8 *bytes, UInt32 size) {
    SInt32 count = 0;
    if (!OrvaReadDitl(bytes, size, nullptr, 0, &count) || count > kMaxDialogItems) return kFalse;
    DitlItemRecord *read = reinterpret_cast<DitlItemRecord *>(NewPtr(UInt32(sizeof(DitlItemRecord) * (count + 1))));
    dialog->items = NewHandleClear(UInt32(sizeof(DialogItemRecord) * (count + 1)));
    if (!read || !dialog->items) {
        if (read) DisposPtr(reinterpret_cast<Ptr>(read));
        return kFalse;
    }
    OrvaReadDitl(bytes, size, read, count, &count);
    WindowPtr w = &dialog->window;
    for (SInt32 i = 0; i < count; i++) {
        const DitlItemRecord &d = read[i];
        Handle handle = nullptr;
        if (IsControlKind(d.kind)) {
            Str255 title;
            title[0] = d.kind == kDitlResourceControl ? 0 : d.dataLength;
            memcpy(title + 1, bytes + d.dataOffset, title[0]);
            handle = reinterpret_cast<Handle>(
                NewControl(w, &d.rect, title, kTrue, 0, 0, 1, ProcIDOf(d.kind), 0));
        } else if (d.kind == kDitlStaticText || d.kind == kDitlEditText) {
            PtrToHand(bytes + d.dataOffset, &handle, d.dataLength);
        } else if (d.kind == kDitlIcon) {
            handle = reinterpret_cast<Handle>(GetCIcon(d.resourceId));
        } else if (d.kind == kDitlPicture) {
            handle = GetResource(FourCC("PICT"), d.resourceId);
        }
        Items(dialog)[i] = DialogItemRecord{d.kind, d.disabled, d.rect, handle, d.resourceId, nullptr, kFalse};
        dialog->count = SInt16(i + 1);
    }
    DisposPtr(reinterpret_cast<Ptr>(read));
    for (SInt16 item = 1; item <= dialog->count; item++)
        if (Items(dialog)[item - 1].kind == kDitlEditText) {
            Focus(dialog, item);
            break;
        }
    return kTrue;
}

void OrvaDisposeDialogItems(DialogPtr dialog) {
    if (!dialog || !dialog->items) return;
    if (dialog->textH) TEDispose(dialog->textH);
    dialog->textH = nullptr;
    dialog->editField = -1;
    for (SInt16 i = 0; i < dialog->count; i++) {
        DialogItemRecord &r = Items(dialog)[i];
        if (r.kind == kDitlStaticText || r.kind == kDitlEditText) DisposHandle(r.handle);
        else if (r.kind == kDitlIcon) DisposCIcon(reinterpret_cast<CIconHandle>(r.handle));
        // Controls go with the window; pictures are the resource file's.
    }
    DisposHandle(dialog->items);
    dialog->items = nullptr;
    dialog->count = 0;
}

void GetDItem(DialogPtr dialog, SInt16 item, SInt16 *itemType, Handle *itemHandle, Rect *box) {
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (itemType) *itemType = r ? SInt16(r->kind | (r->disabled ? kDitlDisabled : 0)) : 0;
    if (itemHandle) *itemHandle = r ? r->handle : nullptr;
    if (box) *box = r ? r->rect : Rect{0, 0, 0, 0};
}

void SetDItem(DialogPtr dialog, SInt16 item, SInt16 itemType, Handle itemHandle, const Rect *box) {
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (!r) return;
    r->kind = UInt8(itemType & 0x7F);
    r->disabled = (itemType & kDitlDisabled) != 0;
    if (r->kind == kDitlUserItem) r->userProc = reinterpret_cast<UserItemProcPtr>(itemHandle);
    else r->handle = itemHandle;
    if (box) r->rect = *box;
}

SInt16 CountDITL(DialogPtr dialog) { return dialog ? dialog->count : 0; }

OSErr GetDialogItemAsControl(DialogPtr dialog, SInt16 item, ControlHandle *control) {
    if (control) *control = nullptr;
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (!r || !IsControlKind(r->kind) || !r->handle) return paramErr;
    if (control) *control = reinterpret_cast<ControlHandle>(r->handle);
    return noErr;
}

void SetDialogItemText(Handle item, ConstStr255Param text) {
    if (!item || !text || !OrvaIsValidHandle(item)) return;
    SetHandleSize(item, text[0]);
    if (MemError() == noErr && text[0]) memcpy(*item, text + 1, text[0]);
}

void GetDialogItemText(Handle item, Str255 text) {
    if (!text) return;
    text[0] = 0;
    if (!item || !OrvaIsValidHandle(item)) return;
    UInt32 size = GetHandleSize(item);
    text[0] = UInt8(size > 255 ? 255 : size);
    memcpy(text + 1, *item, text[0]);
}

void OrvaDialogItemShownText(DialogPtr dialog, SInt16 item, char *text, SInt32 size) {
    if (!text || size <= 0) return;
    text[0] = 0;
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (!r || (r->kind != kDitlStaticText && r->kind != kDitlEditText) || !r->handle) return;
    if (r->kind == kDitlEditText && dialog->editField == item - 1) KeepEditText(dialog);
    const char *source = *r->handle;
    SInt32 length = SInt32(GetHandleSize(r->handle)), used = 0;
    for (SInt32 i = 0; i < length && used < size - 1; i++) {
        char c = source[i];
        SInt32 param = i + 1 < length ? source[i + 1] - '0' : -1;
        if (c == '^' && r->kind == kDitlStaticText && param >= 0 && param <= 3) {
            const unsigned char *p = OrvaGetParamText(SInt16(param));
            for (SInt32 k = 1; k <= p[0] && used < size - 1; k++) text[used++] = char(p[k]);
            i++;
            continue;
        }
        text[used++] = c;
    }
    text[used] = 0;
}

void DrawDialog(DialogPtr dialog) {
    if (!dialog || !OrvaIsKnownWindow(&dialog->window)) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&dialog->window.port);
    OrvaPenAndColorState pen;
    OrvaGetPenAndColorState(&pen);
    SetThemeBackground(kThemeBrushDialogBackground, 32, kTrue);
    EraseRect(&dialog->window.port.portRect);
    for (SInt16 item = 1; item <= dialog->count; item++) DrawItem(dialog, item);
    DrawDefaultRing(dialog);
    OrvaSetPenAndColorState(&pen);
    SetPort(saved);
}

void UpdateDialog(DialogPtr dialog, RgnHandle) { DrawDialog(dialog); }

void HideDialogItem(DialogPtr dialog, SInt16 item) {
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (!r || r->hidden) return;
    r->hidden = kTrue;
    if (IsControlKind(r->kind)) HideControl(reinterpret_cast<ControlHandle>(r->handle));
    DrawDialog(dialog);
}

void ShowDialogItem(DialogPtr dialog, SInt16 item) {
    DialogItemRecord *r = dialog ? Item(dialog, item) : nullptr;
    if (!r || !r->hidden) return;
    r->hidden = kFalse;
    if (IsControlKind(r->kind)) ShowControl(reinterpret_cast<ControlHandle>(r->handle));
    DrawDialog(dialog);
}

SInt16 OrvaDialogClick(DialogPtr dialog, Point local) {
    for (SInt16 item = 1; item <= dialog->count; item++) {
        DialogItemRecord r = Items(dialog)[item - 1];
        if (r.hidden || !_PtInRect(local, &r.rect)) continue;
        if (IsControlKind(r.kind)) {
            ControlHandle c = reinterpret_cast<ControlHandle>(r.handle);
            if (!c || !TrackControl(c, local, nullptr)) return 0;
            return r.disabled ? 0 : item;
        }
        if (r.kind == kDitlEditText) {
            Focus(dialog, item);
            GrafPtr saved;
            GetPort(&saved);
            SetPort(&dialog->window.port);
            if (dialog->textH) TEClick(local, kFalse, dialog->textH);
            SetPort(saved);
        }
        return r.disabled ? 0 : item;
    }
    return 0;
}

SInt16 OrvaDialogKey(DialogPtr dialog, SInt16 character) {
    SInt16 pressed = character == 13 || character == 3 ? dialog->defaultItem : character == 27 ? dialog->cancelItem : 0;
    if (pressed > 0 && pressed <= dialog->count) {
        DialogItemRecord &r = Items(dialog)[pressed - 1];
        if (IsControlKind(r.kind) && r.handle) {
            HiliteControl(reinterpret_cast<ControlHandle>(r.handle), kControlButtonPart);
            HiliteControl(reinterpret_cast<ControlHandle>(r.handle), 0);
        }
        return pressed;
    }
    if (!dialog->textH || character == 13 || character == 3 || character == 27) return 0;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&dialog->window.port);
    TEKey(character, dialog->textH);
    SetPort(saved);
    return SInt16(dialog->editField + 1);
}

SInt16 OrvaDialogFirstButton(DialogPtr dialog) {
    for (SInt16 item = 1; dialog && item <= dialog->count; item++)
        if (Items(dialog)[item - 1].kind == kDitlButton) return item;
    return 0;
}

SInt16 OrvaDialogButtonCount(DialogPtr dialog) {
    SInt16 buttons = 0;
    for (SInt16 item = 1; dialog && item <= dialog->count; item++)
        if (Items(dialog)[item - 1].kind == kDitlButton) buttons++;
    return buttons;
}

namespace {

DialogItemRecord *Item(DialogPtr dialog, SInt16 item) {
    if (!dialog->items || item < 1 || item > dialog->count) return nullptr;
    return &Items(dialog)[item - 1];
}

bool IsControlKind(UInt8 kind) {
    return kind == kDitlButton || kind == kDitlCheckBox || kind == kDitlRadioButton || kind == kDitlResourceControl;
}

SInt16 ProcIDOf(UInt8 kind) {
    switch (kind) {
    case kDitlCheckBox: return checkBoxProc;
    case kDitlRadioButton: return radioButProc;
    default: return pushButProc;
    }
}

// The item's text in the dialog's font at the interface size, drawn by TextBox.
void DrawText(DialogPtr dialog, SInt16 item) {
    DialogItemRecord r = Items(dialog)[item - 1];
    if (r.kind == kDitlEditText) {
        RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
        RGBBackColor(&white);
        EraseRect(&r.rect);
        DrawThemeListBoxFrame(&r.rect, 1);
        if (dialog->editField == item - 1 && dialog->textH) {
            TEUpdate(&r.rect, dialog->textH);
            return;
        }
        InsetRect(&r.rect, kEditInset, kEditInset);
    }
    char text[kShownTextMax + 1];
    OrvaDialogItemShownText(dialog, item, text, sizeof text);
    RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
    TextBox(text, SInt32(strlen(text)), &r.rect, 0);
}

void DrawItem(DialogPtr dialog, SInt16 item) {
    DialogItemRecord r = Items(dialog)[item - 1];
    if (r.hidden) return;
    switch (r.kind) {
    case kDitlStaticText:
    case kDitlEditText:
        WithDialogText(dialog, DrawText, item);
        if (r.kind == kDitlStaticText) SetThemeBackground(kThemeBrushDialogBackground, 32, kTrue);
        break;
    case kDitlIcon:
        if (r.handle) PlotCIcon(&r.rect, reinterpret_cast<CIconHandle>(r.handle));
        break;
    case kDitlPicture:
        if (r.handle) DrawPicture(reinterpret_cast<PicHandle>(r.handle), &r.rect);
        break;
    case kDitlUserItem:
        if (r.userProc) r.userProc(dialog, item);
        break;
    default:
        if (r.handle) Draw1Control(reinterpret_cast<ControlHandle>(r.handle));
        break;
    }
}

// A ring round the default button, as Return presses it.
void DrawDefaultRing(DialogPtr dialog) {
    DialogItemRecord *r = Item(dialog, dialog->defaultItem);
    if (!r || r->kind != kDitlButton || r->hidden) return;
    Rect ring = r->rect;
    InsetRect(&ring, -kDefaultRing, -kDefaultRing);
    PenSize(2, 2);
    RGBColor frame = {kThemeFrameGrey, kThemeFrameGrey, kThemeFrameGrey};
    RGBForeColor(&frame);
    FrameRoundRect(&ring, 14, 14);
    PenNormal();
}

// The edit text moves into the record of the item given the focus, and back into its item.
void Focus(DialogPtr dialog, SInt16 item) {
    if (dialog->editField == item - 1 && dialog->textH) return;
    KeepEditText(dialog);
    if (dialog->textH) TEDispose(dialog->textH);
    dialog->textH = nullptr;
    dialog->editField = -1;
    DialogItemRecord *r = Item(dialog, item);
    if (!r || r->kind != kDitlEditText) return;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&dialog->window.port);
    Rect view = r->rect;
    InsetRect(&view, kEditInset, kEditInset);
    SInt16 font = qd.thePort->txFont, size = qd.thePort->txSize;
    TextFont(dialog->fontID);
    TextSize(OrvaGetThemeMetrics()->fontSize);
    dialog->textH = TENew(&view, &view);
    TextFont(font);
    TextSize(size);
    if (dialog->textH && r->handle) {
        HLock(r->handle);
        TESetText(*r->handle, SInt32(GetHandleSize(r->handle)), dialog->textH);
        HUnlock(r->handle);
        TESetSelect(0, 32767, dialog->textH);
    }
    SetPort(saved);
    dialog->editField = SInt16(item - 1);
}

void KeepEditText(DialogPtr dialog) {
    DialogItemRecord *r = Item(dialog, SInt16(dialog->editField + 1));
    if (!r || !dialog->textH || !r->handle) return;
    Handle text = TEGetText(dialog->textH);
    SInt32 length = (**dialog->textH).teLength;
    SetHandleSize(r->handle, UInt32(length));
    if (MemError() == noErr && length) memcpy(*r->handle, *text, size_t(length));
}

void WithDialogText(DialogPtr dialog, void (*body)(DialogPtr, SInt16), SInt16 item) {
    GrafPtr port = qd.thePort;
    SInt16 font = port->txFont, size = port->txSize;
    UInt8 face = port->txFace;
    TextFont(dialog->fontID);
    TextSize(OrvaGetThemeMetrics()->fontSize);
    TextFace(0);
    body(dialog, item);
    TextFont(font);
    TextSize(size);
    TextFace(face);
}

}  // namespace
