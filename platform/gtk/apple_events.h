// The little of the Apple Event Manager the standalone application needs: open and print
// document events, posted as high-level events and handed to the installed handlers when the
// application processes them. Main thread only; nothing calls it inside the browser plug-in.
#pragma once

#include "graphics/toolbox_hooks.h"
#include "platform/core/mac_types.h"

typedef UInt32 DescType;
typedef UInt32 AEKeyword;
typedef UInt32 AEEventClass;
typedef UInt32 AEEventID;

// A descriptor: a type and a data handle. For an event the handle is the event data below;
// for the document list AEGetParamDesc makes, it is a copy of the document descriptor.
struct AEDesc {
    DescType descriptorType;
    Handle dataHandle;  // owned by the descriptor (AEDisposeDesc)
};
typedef AEDesc AEDescList;
typedef AEDesc AppleEvent;

typedef OSErr (*AEEventHandlerProcPtr)(const AppleEvent *event, AppleEvent *reply, long refCon);
typedef AEEventHandlerProcPtr AEEventHandlerUPP;

enum : UInt32 {
    kOrvaAEOpenDocuments = 0x15620001,   // event codes carried by the event data
    kOrvaAEPrintDocuments = 0x15620002,
    kOrvaAEOpenDroppedDocuments = 0x15620003,
};

enum : SInt32 {
    kAEHandlerSlots = 5,          // event numbers 0..4
    kAEOpenDocumentsSlot = 1,     // codes kOrvaAEOpenDocuments and kOrvaAEOpenDroppedDocuments
    kAEPrintDocumentsSlot = 2,    // code kOrvaAEPrintDocuments
    kOrvaAEPathMax = 781,         // bytes of a path OrvaPostAppleEvent accepts
    kOrvaDocumentNameSize = 780,  // bytes of a document name with its terminator
};

// The document descriptor (788 bytes): the folder as volume reference and directory id (both
// the folder table's id of the document's folder) and the file name, zero-terminated.
struct OrvaDocumentSpec {
    SInt16 vRefNum;
    SInt32 parID;
    char name[kOrvaDocumentNameSize];
};
static_assert(sizeof(OrvaDocumentSpec) == 788, "the document descriptor keeps its 788 bytes");

// The data of a posted event, the message of its high-level event.
struct OrvaAppleEventData {
    UInt32 eventCode;  // kOrvaAEOpenDocuments ...
    Handle document;   // the OrvaDocumentSpec; freed with the event data by AEProcessAppleEvent
};

AEEventHandlerUPP NewAEEventHandlerProc(AEEventHandlerProcPtr proc);  // proc
// Stores handler in slot eventNumber (paramErr above 4); slot 1 also makes the frame window
// (else the current port's window) accept dropped files. 0.
OSErr AEInstallEventHandler(AEEventClass eventClass, AEEventID eventNumber, AEEventHandlerUPP handler,
                            long refCon, Boolean isSystem);
OSErr AERemoveEventHandler(AEEventClass eventClass, AEEventID eventNumber);  // paramErr above 4
// Hands a high-level event to its handler and frees its data: 0, errAEEventNotHandled without a
// handler, errAENotAppleEvent for no data or an unknown code.
OSErr AEProcessAppleEvent(const EventRecord *event);
// result's data handle becomes a new copy of the event's document descriptor: 0, memFullErr,
// errAEDescNotFound when the event carries none.
OSErr AEGetParamDesc(const AppleEvent *event, AEKeyword keyword, DescType desiredType, AEDescList *result);
OSErr AECountItems(const AEDescList *list, SInt32 *count);  // 1 for a list, 0 for none
// For the type 'fss ' and a list: copies min(maxSize, 788) bytes of the document descriptor into
// data, *actualSize the descriptor's full size; 0. Otherwise fnfErr.
OSErr AEGetNthPtr(const AEDescList *list, SInt32 index, DescType desiredType, AEKeyword *keyword,
                  DescType *typeCode, void *data, Size maxSize, Size *actualSize);
OSErr AEDisposeDesc(AEDesc *desc);  // disposes of the data handle and clears it
// Posts an event asking to open (or print) the document at path: false for a path over
// kOrvaAEPathMax bytes, no file name, a folder that cannot be entered or no memory. A bare
// name is taken in the library's resource folder (false before the resource folders are set
// up). The current folder is left as it was.
Boolean OrvaPostAppleEvent(const char *path, UInt32 eventCode);
