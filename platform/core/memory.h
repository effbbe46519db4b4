// The classic memory model over the process heap: relocatable blocks reached through
// never-moving master records (Handle), non-relocatable blocks (Ptr) and the last
// result code MemError. Data moves only when a handle is resized; nothing is purged.
// Heap-changing operations run inside critical section 1; any thread may call them.
#pragma once

#include "platform/core/mac_types.h"

// Master record of a handle; blocks of them are never moved nor released.
struct MasterRecord {
    Ptr data;                  // the block's current address; null for size 0; free: next free record
    UInt32 size;               // logical size in bytes
    UInt8 flags;               // kHandleInUse while live, kHandleLocked while locked
    UInt8 spare[5];            // cleared by NewHandle, read by nobody
    MasterRecord *previousFree;  // back link of the block's free list while free
};

enum : UInt8 { kHandleInUse = 0x80, kHandleLocked = 0x01 };

// Sizes of the master-record blocks, in records.
extern SInt16 OrvaTaillePremierBlockHandle;  // first block: 16384
extern SInt16 OrvaTailleBlockHandle;         // every later block: 2048

Handle NewHandle(UInt32 size);       // null + memFullErr when there is no memory
Handle NewHandleClear(UInt32 size);  // NewHandle, data zeroed
void DisposHandle(Handle h);         // nilHandleErr / memWZErr for a null or foreign handle
#define DisposeHandle DisposHandle
UInt32 GetHandleSize(Handle h);            // 0 on a bad handle
void SetHandleSize(Handle h, UInt32 size);  // memLockedErr on a locked handle, memFullErr leaves it as it was
void HLock(Handle h);                       // memLockedErr when already locked
void HUnlock(Handle h);
UInt8 HGetState(Handle h);                  // 0x80 locked, 0 not (also on a bad handle)
void HSetState(Handle h, UInt8 state);
Handle RecoverHandle(Ptr data);             // the live handle whose data is data, or null
Boolean OrvaIsValidHandle(Handle h);        // a live master record (no error is set)

Ptr NewPtr(UInt32 size);       // null + memFullErr on failure; null with noErr for size 0
Ptr NewPtrClear(UInt32 size);
void DisposPtr(Ptr p);         // memWZErr for null
#define DisposePtr DisposPtr
Ptr InternalNewPtr(UInt32 size);  // NewPtr for callers already inside section 1
void InternalDisposPtr(Ptr p);
Ptr OrvaReallocPtr(Ptr p, UInt32 size);  // the heap's realloc, unchecked

void BlockMove(const void *source, void *destination, SInt32 count);  // overlap-safe; negative count reported
#define BlockMoveData BlockMove
OSErr PtrToHand(const void *source, Handle *result, SInt32 count);
OSErr PtrToXHand(const void *source, Handle h, SInt32 count);
OSErr HandAndHand(Handle source, Handle destination);
OSErr PtrAndHand(const void *source, Handle h, SInt32 count);
OSErr MemError();
void OrvaSetMemError(OSErr err);  // for the few callers that report through MemError themselves

void OrvaSetMemErrorBox(Boolean on);  // report failed pointer allocations to the user (1 at start)
Boolean OrvaGetMemErrorBox();
UInt32 OrvaGetTotalLeft();
UInt32 LargestFreeBlock();
UInt32 OrvaGetTailleHandleGranuleuse(UInt32 count, SInt16 level, UInt32 size);
void orva_cleare_structure(void *address, UInt32 count);
void OrvaCalculeNbHandle(UInt32 *blocks, UInt32 *handles);

UInt32 MaxMem(UInt32 *grow);  // purges the loaded bitmap fonts (main thread only)
UInt32 CompactMem(UInt32 needed);
void PurgeSpace(UInt32 *total, UInt32 *contiguous);
UInt32 MaxBlock();
UInt32 FreeMem();
UInt32 StackSpace();
Ptr GetApplLimit();
void *ApplicZone();
void MoveHHi(Handle h);
void MoreMasters();
void MaxApplZone();
OSErr SysEnvirons(SInt16 version, void *record);  // copies 16 bytes

// The process heap's largest block, as the platform can tell it.
UInt32 SystemDependantLargestMemoryBlock();
// Hook called by MaxMem to purge loaded bitmap fonts; the font manager installs it.
void OrvaSetPurgeFontsHook(void (*purge)());
// Hook DisposPtr asks first: true when p was a block of the installer's own pool, which then
// has it back (the text converters install theirs with their pool). Any thread.
void OrvaSetPointerPoolHook(Boolean (*release)(const void *p));
