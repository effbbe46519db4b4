// Open and print document events: the handler table, posting a document as a high-level event
// and dispatching it to the installed handler.
#include "platform/gtk/apple_events.h"

#include <gtk/gtk.h>
#include <string.h>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/platform_windows.h"

namespace {

constexpr DescType kTypeDocumentSpec = FourCC("fss ");
constexpr DescType kTypeDocumentList = FourCC("list");
constexpr AEKeyword kKeyDirectObject = FourCC("----");
constexpr SInt16 kResourceFolderLevel = 2;  // the library's own resource folder

// The installed handlers, indexed by event number. Main thread.
AEEventHandlerUPP gHandlers[kAEHandlerSlots];

GtkWidget *DropTargetWidget();
void DisposeEventData(Handle data);
Boolean FillDocumentSpec(const char *path, OrvaDocumentSpec *spec);

}  // namespace

AEEventHandlerUPP NewAEEventHandlerProc(AEEventHandlerProcPtr proc) { return proc; }

OSErr AEInstallEventHandler(AEEventClass, AEEventID eventNumber, AEEventHandlerUPP handler, long, Boolean) {
    if (eventNumber >= UInt32(kAEHandlerSlots)) return paramErr;
    gHandlers[eventNumber] = handler;
    if (eventNumber == UInt32(kAEOpenDocumentsSlot)) SystemDependantDragAcceptFiles(DropTargetWidget(), kTrue);
    return noErr;
}

OSErr AERemoveEventHandler(AEEventClass, AEEventID eventNumber) {
    if (eventNumber >= UInt32(kAEHandlerSlots)) return paramErr;
    gHandlers[eventNumber] = nullptr;
    if (eventNumber == UInt32(kAEOpenDocumentsSlot)) {
        if (GtkWidget *widget = DropTargetWidget()) gtk_drag_dest_unset(widget);
    }
    return noErr;
}

OSErr AEProcessAppleEvent(const EventRecord *event) {
    Handle data = event ? reinterpret_cast<Handle>(event->message) : nullptr;
    if (!data || !OrvaIsValidHandle(data)) return errAENotAppleEvent;  // not ours to free
    if (!*data || GetHandleSize(data) < sizeof(OrvaAppleEventData)) {
        DisposeEventData(data);
        return errAENotAppleEvent;
    }
    HLock(data);
    if (WindowPtr frame = OrvaGetFrameWnd()) SystemDependantSetFocus(frame->platformWindow);
    UInt32 code = reinterpret_cast<OrvaAppleEventData *>(*data)->eventCode;
    SInt32 slot = -1;
    if (code == kOrvaAEOpenDocuments || code == kOrvaAEOpenDroppedDocuments) slot = kAEOpenDocumentsSlot;
    else if (code == kOrvaAEPrintDocuments) slot = kAEPrintDocumentsSlot;
    OSErr result;
    if (slot < 0) {
        OrvaErreur("AEProcessEvent: mauvais descripteur");
        result = errAENotAppleEvent;
    } else if (!gHandlers[slot]) {
        result = errAEEventNotHandled;
    } else {
        AppleEvent appleEvent{kTypeDocumentList, data};
        AppleEvent reply{0, nullptr};
        gHandlers[slot](&appleEvent, &reply, 0);
        result = noErr;
    }
    HUnlock(data);
    DisposeEventData(data);
    return result;
}

OSErr AEGetParamDesc(const AppleEvent *event, AEKeyword, DescType, AEDescList *result) {
    if (!result) return paramErr;
    result->descriptorType = kTypeDocumentList;
    result->dataHandle = nullptr;
    Handle data = event ? event->dataHandle : nullptr;
    if (!data || !OrvaIsValidHandle(data) || !*data || GetHandleSize(data) < sizeof(OrvaAppleEventData))
        return errAEDescNotFound;
    Handle document = reinterpret_cast<OrvaAppleEventData *>(*data)->document;
    if (!document || !OrvaIsValidHandle(document) || !*document || GetHandleSize(document) < sizeof(OrvaDocumentSpec))
        return errAEDescNotFound;
    Handle copy = NewHandle(sizeof(OrvaDocumentSpec));
    if (!copy) return memFullErr;
    memcpy(*copy, *document, sizeof(OrvaDocumentSpec));
    result->dataHandle = copy;
    return noErr;
}

OSErr AECountItems(const AEDescList *list, SInt32 *count) {
    if (count) *count = list && list->dataHandle ? 1 : 0;
    return noErr;
}

OSErr AEGetNthPtr(const AEDescList *list, SInt32, DescType desiredType, AEKeyword *keyword, DescType *typeCode,
                  void *data, Size maxSize, Size *actualSize) {
    if (desiredType != kTypeDocumentSpec || !list || !list->dataHandle || !OrvaIsValidHandle(list->dataHandle) ||
        !*list->dataHandle || GetHandleSize(list->dataHandle) < sizeof(OrvaDocumentSpec))
        return fnfErr;
    Size count = maxSize < Size(sizeof(OrvaDocumentSpec)) ? maxSize : Size(sizeof(OrvaDocumentSpec));
    if (data && count > 0) memcpy(data, *list->dataHandle, size_t(count));
    if (actualSize) *actualSize = Size(sizeof(OrvaDocumentSpec));
    if (keyword) *keyword = kKeyDirectObject;
    if (typeCode) *typeCode = kTypeDocumentSpec;
    return noErr;
}

OSErr AEDisposeDesc(AEDesc *desc) {
    if (!desc) return noErr;
    if (desc->dataHandle) DisposHandle(desc->dataHandle);
    desc->dataHandle = nullptr;
    return noErr;
}

Boolean OrvaPostAppleEvent(const char *path, UInt32 eventCode) {
    if (!path || strlen(path) > size_t(kOrvaAEPathMax)) return kFalse;
    Handle data = NewHandleClear(sizeof(OrvaAppleEventData));
    if (!data) return kFalse;
    Handle document = NewHandleClear(sizeof(OrvaDocumentSpec));
    if (!document) {
        DisposHandle(data);
        return kFalse;
    }
    OrvaDocumentSpec spec;
    if (!FillDocumentSpec(path, &spec)) {
        DisposHandle(document);
        DisposHandle(data);
        return kFalse;
    }
    memcpy(*document, &spec, sizeof spec);
    OrvaAppleEventData record{eventCode, document};
    memcpy(*data, &record, sizeof record);
    OrvaPostPseudoEvent(kHighLevelEvent, reinterpret_cast<uintptr_t>(data), 0, TickCount(), 0);
    return kTrue;
}

namespace {

// The frame window's GTK window, else the current port's window's, else null.
GtkWidget *DropTargetWidget() {
    if (OrvaIsPlugin()) return nullptr;  // a window's platform field holds an instance id there
    WindowPtr window = OrvaGetFrameWnd();
    if (!window && qd.thePort) window = GetWindowFromPort(qd.thePort);
    void *platform = window ? window->platformWindow : nullptr;
    return platform && GTK_IS_WIDGET(platform) ? GTK_WIDGET(platform) : nullptr;
}

void DisposeEventData(Handle data) {
    if (*data && GetHandleSize(data) >= sizeof(OrvaAppleEventData)) {
        Handle document = reinterpret_cast<OrvaAppleEventData *>(*data)->document;
        if (document && OrvaIsValidHandle(document)) DisposHandle(document);
    }
    DisposHandle(data);
}

// Splits path at its last '/' and names the document by its folder's id, entering the folder
// (or the resource folder for a bare name) to learn the id. False when it cannot be entered.
Boolean FillDocumentSpec(const char *path, OrvaDocumentSpec *spec) {
    memset(spec, 0, sizeof *spec);
    const char *slash = strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    if (!name[0] || strlen(name) >= sizeof spec->name) return kFalse;  // a folder is no document
    strcpy(spec->name, name);
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    Boolean entered;
    if (slash) {
        char folder[kOrvaAEPathMax + 1];
        size_t length = size_t(slash - path) + 1;
        memcpy(folder, path, length);
        folder[length] = 0;
        entered = OrvaSetCurrentDir(folder) == 0;
    } else {
        // The resource folders are looked for when the Toolbox starts; looking for them here
        // could end the process over one document name, so a bare name needs them known.
        SInt16 resources = OrvaPathRessource[kResourceFolderLevel];
        entered = resources >= 0 && SetVol(nullptr, resources) == noErr;
    }
    HParamBlockRec block{0, 0, nullptr};
    if (entered && PBHGetVol(&block) == noErr && block.ioWDDirID > 0) {
        spec->vRefNum = SInt16(block.ioWDDirID);
        spec->parID = block.ioWDDirID;
    } else {
        entered = kFalse;
    }
    OrvaRestoreCurrentFolder(&saved);
    return entered;
}

}  // namespace
