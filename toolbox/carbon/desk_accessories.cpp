// The small-icon plotter and the desk-accessory entry points. No desk accessory ever runs
// here: the calls only look up drivers, route clicks to windows and the desk, and carry edit
// commands to the dialog of a desk-accessory window. Main thread only.
#include "toolbox/carbon/desk_accessories.h"

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/window_record.h"
#include "graphics/text/textedit.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/scrap.h"
#include "toolbox/toolbox_services.h"

namespace {

enum : SInt16 {
    kSicnSide = 16,
    kSicnRowBytes = 2,
    kSrcOrMode = 1,
    kHitContent = 1,
    kHitDrag = 2,
    kHitGoAway = 4,
    kDefProcHitTest = 1,
    kEditCut = 2,
    kEditCopy = 3,
    kEditPaste = 4,
    kEditClear = 5,
};
enum : UInt16 { kDeskButtonBit = 2 };

// The resource file that was current before a desk-accessory call made the newest file
// current; -1 when no call is in progress. Main thread only.
SInt16 gDeskSavedResFile = -1;

void EnterDeskFile();
void LeaveDeskFile();
void CopyTextEditScrap(const char *failure);

}  // namespace

void OrvaPlotSicn(Handle sicn, SInt16 index, SInt32 point) {
    if (!sicn || !*sicn || index < 0) return;
    UInt32 size = GetHandleSize(sicn);
    UInt32 offset = UInt32(index) * kSicnBytes;
    if (offset + kSicnBytes > size) return;
    ThemeDrawingState state = nullptr;
    Boolean saved = GetThemeDrawingState(&state) == noErr;
    RGBColor fore = {0, 0, 0}, back = {0xFFFF, 0xFFFF, 0xFFFF};
    GetForeColor(&fore);
    GetBackColor(&back);
    ForeColor(33);
    BackColor(30);
    UInt8 icon[kSicnBytes];  // a copy: drawing may move the handle's data
    BlockMove(*sicn + offset, icon, kSicnBytes);
    BitMap bits = {reinterpret_cast<Ptr>(icon), kSicnRowBytes, {0, 0, kSicnSide, kSicnSide}};
    Rect source = {0, 0, kSicnSide, kSicnSide};
    SInt16 v = SInt16(point >> 16), h = SInt16(point & 0xFFFF);
    Rect destination = {v, h, SInt16(v + kSicnSide), SInt16(h + kSicnSide)};
    PutPicture(icon, icon + kSicnBytes, &bits, &source, &destination, kSrcOrMode);
    if (saved) {
        SetThemeDrawingState(state, kTrue);
    } else {
        RGBForeColor(&fore);
        RGBBackColor(&back);
    }
}

SInt16 OpenDeskAcc(const char *name) {
    if (!name) return -1;
    EnterDeskFile();
    SInt16 id = -1;
    Handle driver = GetNamedResource(FourCC("DRVR"), name);
    if (driver) {
        ResType type = 0;
        char found[256];
        GetResInfo(driver, &id, &type, found);
        ReleaseResource(driver);
    }
    LeaveDeskFile();
    return id;
}

void CloseDeskAcc(SInt16) {}

void SystemClick(const EventRecord *event, WindowPtr window) {
    if (!event) return;
    EnterDeskFile();
    SInt16 part = 0;
    if (window && window->windowDefProc) {
        SInt32 where = SInt32(UInt32(UInt16(event->where.v)) << 16 | UInt16(event->where.h));
        part = SInt16(window->windowDefProc(0, window, kDefProcHitTest, where));
    }
    if (window && part == kHitDrag) {
        DragWindow(window, event->where, &qd.screenBits.bounds);
    } else if (window && part == kHitGoAway) {
        TrackGoAway(window, event->where);
    } else if (window && part == kHitContent) {
        if (window != FrontWindow()) SelectWindow(window);
        EventRecord copy = *event;
        orva_gere_dialogue(&copy, window);
    } else if (Button() & kDeskButtonBit) {
        OrvaWindowsClickInDesk();
    }
    LeaveDeskFile();
}

// A desk-accessory window is marked by a negative reference constant.
Boolean SystemEdit(SInt16 command) {
    WindowPtr front = FrontWindow();
    if (!front || GetWRefCon(front) >= 0) return kFalse;
    DialogPtr dialog = GetDialogFromWindow(front);
    switch (command) {
        case kEditCut:
            DlgCut(dialog);
            CopyTextEditScrap("TEToScrap : erreur  deskmanager ");
            break;
        case kEditCopy:
            DlgCopy(dialog);
            CopyTextEditScrap("TEToScrap : erreur deskmanager ");
            break;
        case kEditPaste:
            if (TEFromScrap() != noErr) OrvaErreur("TEFromScrap : erreur deskmanager ");
            DlgPaste(dialog);
            break;
        case kEditClear:
            DlgDelete(dialog);
            break;
        default:
            break;
    }
    return kTrue;
}

Boolean SystemEvent(const EventRecord *) { return kFalse; }
void SystemTask() {}
void SystemMenu(SInt32) {}

namespace {

void EnterDeskFile() {
    gDeskSavedResFile = CurResFile();
    SInt16 newest = orva_id_premier_fichier_ressource();
    if (newest >= 0) UseResFile(newest);
}

void LeaveDeskFile() {
    if (gDeskSavedResFile >= 0) UseResFile(gDeskSavedResFile);
    gDeskSavedResFile = -1;
}

void CopyTextEditScrap(const char *failure) {
    ZeroScrap();
    if (TEToScrap() != noErr) OrvaErreur(failure);
}

}  // namespace
