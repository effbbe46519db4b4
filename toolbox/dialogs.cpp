// The Dialog Manager: dialogs and alerts from resources, the modal loop, and the immediate
// answers of the browser plug-in.
#include "toolbox/dialogs.h"

#include <cstdio>
#include <cstring>

#include "graphics/quickdraw/rects.h"
#include "graphics/text/textedit.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/sound_manager.h"
#include "toolbox/events.h"
#include "toolbox/resource_layouts.h"
#include "toolbox/theme_metrics.h"

namespace {

enum : SInt16 { kDialogBoxProc = 1, kNoticeMax = 2048 };
enum : UInt16 { kStageDefaultIsSecond = 0x8, kStageBeeps = 0x3 };  // of the first stage's nibble
enum : UInt8 { kReturn = 13, kEnter = 3, kEscape = 27 };

// Main thread only, like every dialog.
struct DialogManagerState {
    Str255 params[4];
    SInt16 (*alertHook)(SInt16 alertID, const unsigned char *const params[4]) = nullptr;
    OrvaNoticeProcPtr notice = nullptr;
    SInt16 fontID = 0;  // SetDialogFont's, 0: the interface font
};
DialogManagerState gDialogs;

void CopyParam(Str255 to, ConstStr255Param from);
Boolean AnswersAtOnce();
SInt16 RunModal(DialogPtr dialog, ModalFilterProcPtr filter);
void PlaceOnScreen(Rect *bounds, UInt16 position);
Handle LoadDitl(SInt16 id);
void Deliver(const char *utf8);

}  // namespace

void InitDialogs(void *) {}

DialogPtr GetNewDialog(SInt16 id, void *storage, WindowPtr behind) {
    Handle templ = GetResource(FourCC("DLOG"), id);
    DialogTemplateRecord dlog;
    if (!templ || !OrvaReadDialogTemplate(reinterpret_cast<const UInt8 *>(*templ), GetHandleSize(templ), &dlog)) {
        OrvaErreurF(templ ? "DLOG %d damaged" : "DLOG %d not found", id);
        return nullptr;
    }
    Handle items = LoadDitl(dlog.itemsID);
    if (!items) return nullptr;
    PlaceOnScreen(&dlog.bounds, dlog.position);
    DialogPtr dialog = NewDialog(storage, &dlog.bounds, dlog.title, dlog.visible, dlog.procID, behind, dlog.goAway,
                                 dlog.refCon, items);
    DisposHandle(items);
    return dialog;
}

DialogPtr NewDialog(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                    WindowPtr behind, Boolean goAwayFlag, SRefCon refCon, Handle itemList) {
    DialogPtr dialog = static_cast<DialogPtr>(storage);
    Boolean allocated = !dialog;
    if (allocated) dialog = reinterpret_cast<DialogPtr>(NewPtrClear(sizeof(DialogRecord)));
    if (!dialog) return nullptr;
    memset(dialog, 0, sizeof *dialog);
    dialog->allocated = allocated;
    dialog->editField = -1;
    dialog->defaultItem = 1;
    dialog->fontID = gDialogs.fontID ? gDialogs.fontID : OrvaThemeFont();
    WindowPtr w = NewCWindow(&dialog->window, bounds, title, kFalse, procID, behind, goAwayFlag, refCon);
    if (!w) {
        if (allocated) DisposPtr(reinterpret_cast<Ptr>(dialog));
        return nullptr;
    }
    w->windowKind = kDialogWindowKind;
    if (itemList) {
        HLock(itemList);
        Boolean made = OrvaMakeDialogItems(dialog, reinterpret_cast<const UInt8 *>(*itemList), GetHandleSize(itemList));
        HUnlock(itemList);
        if (!made) {
            OrvaErreur("DITL damaged: the dialog has no items");
            OrvaDisposeDialogItems(dialog);
        }
    }
    if (visible) {
        ShowHide(w, kTrue);
        SelectWindow(w);
    }
    DrawDialog(dialog);
    return dialog;
}

void DisposDialog(DialogPtr dialog) {
    if (!dialog || !OrvaIsKnownWindow(&dialog->window) || dialog->window.windowKind != kDialogWindowKind) return;
    OrvaDisposeDialogItems(dialog);
    Boolean allocated = dialog->allocated;
    DisposeWindow(&dialog->window);
    if (allocated) DisposPtr(reinterpret_cast<Ptr>(dialog));
}

void ModalDialog(ModalFilterProcPtr filter, SInt16 *itemHit) {
    SInt16 scratch;
    if (!itemHit) itemHit = &scratch;
    *itemHit = 0;
    DialogPtr dialog = GetDialogFromWindow(FrontWindow());
    if (!dialog) return;
    if (AnswersAtOnce()) {
        OrvaGiveNotice(dialog, 0);
        *itemHit = OrvaDialogFirstButton(dialog);
        return;
    }
    *itemHit = RunModal(dialog, filter);
}

void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2, ConstStr255Param param3) {
    CopyParam(gDialogs.params[0], param0);
    CopyParam(gDialogs.params[1], param1);
    CopyParam(gDialogs.params[2], param2);
    CopyParam(gDialogs.params[3], param3);
}

const unsigned char *OrvaGetParamText(SInt16 index) {
    return index >= 0 && index < 4 ? gDialogs.params[index] : nullptr;
}

// In the browser (and with the settings' alert flag) the alert is answered at once: item 2 when
// it has two buttons or more (the cancel button by convention), else item 1; its texts go to
// the notice procedure. The test hook, when set, answers first. A missing alert answers -1.
SInt16 Alert(SInt16 alertID, ModalFilterProcPtr filter) {
    SInt16 hooked = 0;
    Boolean hasHook = gDialogs.alertHook != nullptr;
    if (hasHook) {
        const unsigned char *const params[4] = {gDialogs.params[0], gDialogs.params[1], gDialogs.params[2],
                                                gDialogs.params[3]};
        hooked = gDialogs.alertHook(alertID, params);
    }
    Handle templ = GetResource(FourCC("ALRT"), alertID);
    AlertTemplateRecord alrt;
    Handle items = nullptr;
    if (templ && OrvaReadAlertTemplate(reinterpret_cast<const UInt8 *>(*templ), GetHandleSize(templ), &alrt))
        items = LoadDitl(alrt.itemsID);
    if (!items) {
        // Without its resources the alert's parameter text is still told.
        char text[kNoticeMax];
        snprintf(text, sizeof text, "%.*s", int(gDialogs.params[0][0]), reinterpret_cast<const char *>(gDialogs.params[0] + 1));
        if (hasHook) return hooked;
        if (AnswersAtOnce()) Deliver(text);
        return -1;
    }
    if (!hasHook && !AnswersAtOnce()) PlaceOnScreen(&alrt.bounds, alrt.position);
    const unsigned char empty[1] = {0};
    DialogPtr dialog = NewDialog(nullptr, &alrt.bounds, empty, kFalse, kDialogBoxProc, reinterpret_cast<WindowPtr>(-1),
                                 kFalse, 0, items);
    DisposHandle(items);
    if (!dialog) return -1;
    if (alrt.stages & kStageDefaultIsSecond) dialog->defaultItem = 2;
    SInt16 answer;
    if (hasHook) {
        if (AnswersAtOnce()) OrvaGiveNotice(dialog, alertID);
        answer = hooked;
    } else if (AnswersAtOnce()) {
        OrvaGiveNotice(dialog, alertID);
        answer = OrvaDialogButtonCount(dialog) >= 2 ? 2 : 1;
    } else {
        if (alrt.stages & kStageBeeps) SysBeep(30);
        ShowHide(&dialog->window, kTrue);
        SelectWindow(&dialog->window);
        DrawDialog(dialog);
        answer = RunModal(dialog, filter);
    }
    DisposDialog(dialog);
    return answer;
}

void OrvaSetAlertHook(SInt16 (*hook)(SInt16 alertID, const unsigned char *const params[4])) { gDialogs.alertHook = hook; }
void OrvaSetNoticeProc(OrvaNoticeProcPtr notice) { gDialogs.notice = notice; }

// The dialog's static texts as they show, joined by a space, in UTF-8.
void OrvaGiveNotice(DialogPtr dialog, SInt16) {
    char joined[kNoticeMax] = "";
    size_t used = 0;
    for (SInt16 item = 1; item <= dialog->count; item++) {
        char text[1025];
        OrvaDialogItemShownText(dialog, item, text, sizeof text);
        const DialogItemRecord &r = reinterpret_cast<DialogItemRecord *>(*dialog->items)[item - 1];
        if (r.kind != kDitlStaticText || !text[0]) continue;
        int wrote = snprintf(joined + used, sizeof joined - used, "%s%s", used ? " " : "", text);
        if (wrote > 0) used += size_t(wrote) < sizeof joined - used ? size_t(wrote) : sizeof joined - used - 1;
    }
    SInt16 encoding = OrvaGetLangue() == kLanguageJapanese ? kEncodingShiftJis : kEncodingMacRoman;
    SInt32 bytes = 0;
    EncodedStr utf8 = used ? ChangeTextEncoding(joined, 0, SInt32(used), encoding, kEncodingUTF8, &bytes) : nullptr;
    char out[kNoticeMax * 3 + 1] = "";
    if (utf8) {
        size_t n = size_t(bytes) < sizeof out - 1 ? size_t(bytes) : sizeof out - 1;
        memcpy(out, utf8, n);
        out[n] = 0;
        DisposeEncodedStr(utf8);
    }
    Deliver(out);
}

WindowPtr GetDialogWindow(DialogPtr dialog) { return dialog ? &dialog->window : nullptr; }

DialogPtr GetDialogFromWindow(WindowPtr w) {
    if (!OrvaIsKnownWindow(w) || w->windowKind != kDialogWindowKind) return nullptr;
    return reinterpret_cast<DialogPtr>(w);  // the window is a dialog's first field
}

GrafPtr GetDialogPort(DialogPtr dialog) { return dialog ? &dialog->window.port : nullptr; }
TEHandle GetDialogTextEditHandle(DialogPtr dialog) { return dialog ? dialog->textH : nullptr; }
SInt16 GetDialogKeyboardFocusItem(DialogPtr dialog) { return dialog ? SInt16(dialog->editField + 1) : 0; }

Boolean IsDialogEvent(const EventRecord *event) {
    if (!event) return kFalse;
    switch (event->what) {
    case mouseDown: {
        WindowPtr w = nullptr;
        return _FindWindow(event->where, &w) == inContent && GetDialogFromWindow(w) != nullptr;
    }
    case updateEvt:
    case activateEvt:
        return GetDialogFromWindow(reinterpret_cast<WindowPtr>(event->message)) != nullptr;
    case keyDown:
    case autoKey:
        return GetDialogFromWindow(FrontWindow()) != nullptr;
    default:
        return kFalse;
    }
}

void orva_gere_dialogue(EventRecord *event, WindowPtr w) {
    DialogPtr dialog = GetDialogFromWindow(w);
    if (!dialog || !event || event->what != mouseDown) return;
    Point local = event->where;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&dialog->window.port);
    GlobalToLocal(&local);
    SetPort(saved);
    OrvaDialogClick(dialog, local);
}

void DlgCut(DialogPtr dialog) {
    if (dialog && dialog->textH) TECut(dialog->textH);
}

void DlgCopy(DialogPtr dialog) {
    if (dialog && dialog->textH) TECopy(dialog->textH);
}

void DlgPaste(DialogPtr dialog) {
    if (dialog && dialog->textH) TEPaste(dialog->textH);
}

void DlgDelete(DialogPtr dialog) {
    if (dialog && dialog->textH) TEDelete(dialog->textH);
}

void SetDialogFont(SInt16 fontID) { gDialogs.fontID = fontID; }

void SetDialogDefaultItem(DialogPtr dialog, SInt16 item) {
    if (dialog) dialog->defaultItem = item;
}

void SetDialogCancelItem(DialogPtr dialog, SInt16 item) {
    if (dialog) dialog->cancelItem = item;
}

namespace {

void CopyParam(Str255 to, ConstStr255Param from) {
    if (from) memcpy(to, from, size_t(from[0]) + 1);
    else to[0] = 0;
}

// Nothing may wait for a click inside the browser: the engine holds its main thread.
Boolean AnswersAtOnce() { return OrvaIsPlugin() || orvaSettings.alertFlag; }

// Events until an item is hit; the filter may answer first. Nothing else happens meanwhile.
SInt16 RunModal(DialogPtr dialog, ModalFilterProcPtr filter) {
    for (;;) {
        EventRecord event;
        Boolean got = WaitNextEvent(everyEvent, &event, 2, nullptr);
        SInt16 hit = 0;
        if (filter && filter(dialog, &event, &hit) && hit) return hit;
        if (!got) continue;
        WindowPtr w = &dialog->window;
        if (event.what == updateEvt && reinterpret_cast<WindowPtr>(event.message) == w) {
            BeginUpdate(w);
            DrawDialog(dialog);
            EndUpdate(w);
        } else if (event.what == mouseDown) {
            WindowPtr clicked = nullptr;
            SInt16 part = _FindWindow(event.where, &clicked);
            if (clicked != w) continue;
            if (part == inDrag) {
                DragWindow(w, event.where, nullptr);
                continue;
            }
            if (part != inContent) continue;
            Point local = event.where;
            GrafPtr saved;
            GetPort(&saved);
            SetPort(&w->port);
            GlobalToLocal(&local);
            SetPort(saved);
            hit = OrvaDialogClick(dialog, local);
        } else if (event.what == keyDown || event.what == autoKey) {
            hit = OrvaDialogKey(dialog, SInt16(event.message & 0xFF));
        }
        if (hit) return hit;
    }
}

// A non-zero placement code centres the rectangle on the screen, a third of the way down.
void PlaceOnScreen(Rect *bounds, UInt16 position) {
    if (!position || OrvaIsPlugin()) return;
    Rect screen = qd.screenBits.bounds;
    if (EmptyRect(&screen)) return;
    SInt16 width = SInt16(bounds->right - bounds->left), height = SInt16(bounds->bottom - bounds->top);
    SInt16 left = SInt16(screen.left + (screen.right - screen.left - width) / 2);
    SInt16 top = SInt16(screen.top + (screen.bottom - screen.top - height) / 3);
    *bounds = Rect{top, left, SInt16(top + height), SInt16(left + width)};
}

// A copy of 'DITL' id; null with one message when it is missing.
Handle LoadDitl(SInt16 id) {
    Handle ditl = GetResource(FourCC("DITL"), id);
    if (!ditl) {
        OrvaErreurF("DITL %d not found", id);
        return nullptr;
    }
    Handle copy = nullptr;
    HLock(ditl);
    PtrToHand(*ditl, &copy, SInt32(GetHandleSize(ditl)));
    HUnlock(ditl);
    return copy;
}

void Deliver(const char *utf8) {
    PlugTrace("Alert: %s", utf8);
    if (gDialogs.notice) gDialogs.notice(utf8);
    else fprintf(stderr, "notice: %s\n", utf8);
}

}  // namespace
