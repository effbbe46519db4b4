// Numbered re-entrant critical sections: small integers name process-wide locks
// that any module can enter without creating or passing a lock object.
// Sections in use: 0 Time Manager tasks, queues and the event queue; 1 the memory
// manager; 3 the browser's entry points; 4 the folder-path table; 256 the audio
// double buffer; 257 the audio streams (256 is always taken before 257).
#pragma once

#include "platform/core/mac_types.h"

enum : SInt16 {
    kTimerCriticalSection = 0,
    kMemoryCriticalSection = 1,
    kPluginCriticalSection = 3,
    kFileCriticalSection = 4,
    kDblBuffCriticalSection = 256,
    kFluxCriticalSection = 257,
    kCriticalSectionCount = 513,  // valid numbers are 0..512
};

// Marks section n in use (count 0, no owner). Returns 1; 0 for a number outside
// 0..512 or a section that is held (it is left as it is).
UInt32 SystemDependantNewCriticalSection(SInt16 n);
// Marks section n free. Returns 1; 0 for a bad number or a held section.
UInt32 SystemDependantDeleteCriticalSection(SInt16 n);
// Enters section n, waiting until it is free or already held by the caller. Returns 1; 0 for a bad number.
UInt32 SystemDependantStartCriticalSection(SInt16 n);
// Enters section n only if that needs no wait: 1 entered (or nested), 0 held by another thread or bad number.
UInt32 SystemDependantCheckOrStartCriticalSection(SInt16 n);
// Leaves section n once. A leave by a thread that does not hold it changes nothing (reported once). Returns 1.
UInt32 SystemDependantEndCriticalSection(SInt16 n);

// Named pairs: each creates its section on first entry and registers its exit routine.
UInt32 StartTimerCriticalSection();
UInt32 EndTimerCriticalSection();
UInt32 StartMemoryCriticalSection();
UInt32 EndMemoryCriticalSection();
UInt32 OrvaStartPluginCriticalSection();
UInt32 OrvaCheckOrStartPluginCriticalSection();  // non-blocking entry to section 3
UInt32 OrvaEndPluginCriticalSection();
UInt32 StartFileCriticalSection();
UInt32 EndFileCriticalSection();
UInt32 StartDblBuffCriticalSection();
UInt32 EndDblBuffCriticalSection();
UInt32 StartFluxCriticalSection();
UInt32 EndFluxCriticalSection();

// Exit routines: delete the section their pair created (also run at process exit).
void OrvaExitTimerCriticalSection();
void OrvaExitMemoryCriticalSection();
void OrvaExitPluginCriticalSection();
void OrvaExitFileCriticalSection();
void OrvaExitDblBuffCriticalSection();
void OrvaExitFluxCriticalSection();

// True when the calling thread holds section n (for assertions and tests).
Boolean OrvaIsCriticalSectionHeld(SInt16 n);
// How many leaves by a thread that did not hold the section were ignored (a diagnostic).
UInt32 OrvaGetForeignLeaveCount();
