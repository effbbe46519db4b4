// The Dialog Manager: dialogs and alerts made from 'DLOG', 'ALRT' and 'DITL' resources (through
// the checked readers of resource_layouts.h), their items (buttons, check boxes, radio buttons,
// static text with ParamText's ^0-^3, edit text, icons, pictures, user items), the modal loop of
// the standalone program and, in the browser, immediate answers handed to a notice procedure.
// Code: dialogs.cpp (making, disposing, the modal loop, alerts), dialog_items.cpp (items,
// drawing, clicks and keys). Main thread.
#pragma once

#include "toolbox/toolbox_services.h"
#include "toolbox/windows.h"

typedef void (*UserItemProcPtr)(DialogPtr dialog, SInt16 item);

// One item of a dialog.
struct DialogItemRecord {
    UInt8 kind;        // kDitl... of resource_layouts.h
    Boolean disabled;  // clicks in it are not reported
    Rect rect;         // the dialog's local coordinates
    Handle handle;     // the control, the text (MacRoman), the icon, the picture; null for user items
    SInt16 resourceId; // icons, pictures, resource controls
    UserItemProcPtr userProc;
    Boolean hidden;
};

struct DialogRecord {
    WindowRecord window;  // first: a dialog is a window of kind kDialogWindowKind
    Handle items;         // DialogItemRecord[count]
    SInt16 count;
    TEHandle textH;       // the edit text being typed in, or null
    SInt16 editField;     // that item - 1, -1 none
    SInt16 defaultItem;   // Return and Enter press it; 1 unless set
    SInt16 cancelItem;    // Escape presses it; 0 none
    SInt16 fontID;        // the font of its texts
    Boolean allocated;    // the record was allocated here (freed by DisposDialog)
};

enum : SInt16 { kAlertStopIcon = 0, kAlertNoteIcon = 1, kAlertCautionIcon = 2 };

// From 'DLOG' id and its 'DITL'; null (one message through the error sink) when either is
// missing or damaged, or without memory. behind as NewWindow takes it.
DialogPtr GetNewDialog(SInt16 id, void *storage, WindowPtr behind);
// A dialog of the given window and the items of a 'DITL' resource's bytes (itemList, copied;
// null: no items).
DialogPtr NewDialog(void *storage, const Rect *bounds, ConstStr255Param title, Boolean visible, SInt16 procID,
                    WindowPtr behind, Boolean goAwayFlag, SRefCon refCon, Handle itemList);
void DisposDialog(DialogPtr dialog);
#define DisposeDialog DisposDialog
// Standalone: runs events until an item is hit (the filter may answer first). In the browser,
// and with the settings' alert flag, answers at once its first button after handing its texts
// to the notice procedure.
void ModalDialog(ModalFilterProcPtr filter, SInt16 *itemHit);
void DrawDialog(DialogPtr dialog);
void UpdateDialog(DialogPtr dialog, RgnHandle region);
void SetDialogDefaultItem(DialogPtr dialog, SInt16 item);
void SetDialogCancelItem(DialogPtr dialog, SInt16 item);
void SetDItem(DialogPtr dialog, SInt16 item, SInt16 itemType, Handle itemHandle, const Rect *box);
void HideDialogItem(DialogPtr dialog, SInt16 item);
void ShowDialogItem(DialogPtr dialog, SInt16 item);
// The text of a text item's handle, MacRoman; the handle as GetDItem answers it.
void SetDialogItemText(Handle item, ConstStr255Param text);
void GetDialogItemText(Handle item, Str255 text);
// The text an item shows: ParamText's texts put in place of ^0-^3 ('^' followed by anything
// else, or last, stays as it is); at most 1024 bytes. Empty for items without text.
void OrvaDialogItemShownText(DialogPtr dialog, SInt16 item, char *text, SInt32 size);
// Handles a click (local point) in the dialog: the item hit, 0 none.
SInt16 OrvaDialogClick(DialogPtr dialog, Point local);
// Handles a key: Return and Enter press the default item, Escape the cancel item, other keys go
// to the edit text; the item pressed, 0 none.
SInt16 OrvaDialogKey(DialogPtr dialog, SInt16 character);
// The first button item (1-based), 0 when there is none.
SInt16 OrvaDialogFirstButton(DialogPtr dialog);
SInt16 OrvaDialogButtonCount(DialogPtr dialog);
void OrvaDisposeDialogItems(DialogPtr dialog);
// Fills the items of dialog from a 'DITL' resource's bytes; false when they are damaged.
Boolean OrvaMakeDialogItems(DialogPtr dialog, const UInt8 *bytes, UInt32 size);

// Where alerts and modal dialogs that cannot wait (in the browser) report their texts, UTF-8.
// Null: they are traced and written to stderr.
typedef void (*OrvaNoticeProcPtr)(const char *text);
void OrvaSetNoticeProc(OrvaNoticeProcPtr notice);
void OrvaGiveNotice(DialogPtr dialog, SInt16 resourceID);  // the dialog's static texts, joined by " "
