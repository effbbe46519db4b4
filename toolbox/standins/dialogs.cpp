// Stand-ins for the Dialog Manager until it exists: no dialog is ever made; alerts keep their
// parameter texts and show nothing (a test hook sees them).
#include <cstring>

#include "toolbox/toolbox_services.h"

namespace {

// Main thread only, like every dialog.
struct AlertState {
    Str255 params[4];
    SInt16 (*hook)(SInt16 alertID, const unsigned char *const params[4]);
};
AlertState gAlerts;

void CopyParam(Str255 to, ConstStr255Param from) {
    if (from)
        memcpy(to, from, size_t(from[0]) + 1);
    else
        to[0] = 0;
}

}  // namespace

void InitDialogs(void *) {}
WindowPtr GetDialogWindow(DialogPtr) { return nullptr; }
DialogPtr GetDialogFromWindow(WindowPtr) { return nullptr; }
GrafPtr GetDialogPort(DialogPtr) { return nullptr; }
TEHandle GetDialogTextEditHandle(DialogPtr) { return nullptr; }
SInt16 GetDialogKeyboardFocusItem(DialogPtr) { return 0; }
Boolean IsDialogEvent(const EventRecord *) { return kFalse; }
void orva_gere_dialogue(EventRecord *, WindowPtr) {}
void DlgCut(DialogPtr) {}
void DlgCopy(DialogPtr) {}
void DlgPaste(DialogPtr) {}
void DlgDelete(DialogPtr) {}

void GetDItem(DialogPtr, SInt16, SInt16 *itemType, Handle *itemHandle, Rect *box) {
    if (itemType) *itemType = 0;
    if (itemHandle) *itemHandle = nullptr;
    if (box) *box = Rect{0, 0, 0, 0};
}

SInt16 CountDITL(DialogPtr) { return 0; }

OSErr GetDialogItemAsControl(DialogPtr, SInt16, ControlHandle *control) {
    if (control) *control = nullptr;
    return paramErr;
}

void SetDialogFont(SInt16) {}

void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2, ConstStr255Param param3) {
    CopyParam(gAlerts.params[0], param0);
    CopyParam(gAlerts.params[1], param1);
    CopyParam(gAlerts.params[2], param2);
    CopyParam(gAlerts.params[3], param3);
}

SInt16 Alert(SInt16 alertID, ModalFilterProcPtr) {
    if (gAlerts.hook) {
        const unsigned char *const params[4] = {gAlerts.params[0], gAlerts.params[1], gAlerts.params[2],
                                                gAlerts.params[3]};
        return gAlerts.hook(alertID, params);
    }
    return 1;  // as if the first button was pressed
}

void OrvaSetAlertHook(SInt16 (*hook)(SInt16 alertID, const unsigned char *const params[4])) { gAlerts.hook = hook; }
