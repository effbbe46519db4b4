// The Event Manager: one queue of at most kEventQueueCapacity events guarded by critical
// section 0, the system event mask, update events made from the windows' update regions, the
// queue of handled Carbon events, the emulated pointer, the buttons and the keys. Posting is
// open to every thread; taking events, the pointer readers and the handlers are the main
// thread's.
#pragma once

#include "toolbox/toolbox_services.h"

enum : SInt32 { kEventQueueCapacity = 256 };  // beyond this the oldest event is dropped

// The event-record procedures of the toolbox's hook record (graphics/toolbox_hooks.h).
OSErr OrvaEventsPost(SInt16 eventCode, UInt32 eventMessage);
void OrvaEventsPostPseudo(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra);
Boolean OrvaEventsGetNext(EventMask mask, EventRecord *event);
Boolean OrvaEventsAvail(EventMask mask, EventRecord *event);
void OrvaEventsGenerate(SInt16 kind, uintptr_t message, EventRecord *event);
UInt32 OrvaEventsLastTick();
void OrvaEventsGetMouse(Point *where);
void OrvaEventsReadMouse(Point *where);
void OrvaEventsSetMousePos(Point where, Boolean move);
UInt16 OrvaEventsButton();
Boolean OrvaEventsStillDown();
void OrvaEventsGetKeys(KeyMap keys);
UniChar OrvaEventsLastUnicodeKey();
void OrvaEventsSetLastUnicodeKey(UniChar character);
void OrvaEventsObscureCursor();  // hides the pointer until it moves

// The extra data word of the pseudo-event last taken (0 for others).
uintptr_t OrvaGetLastEventExtra();
// Events dropped because the queue was full, since the process started. Any thread.
UInt32 OrvaGetDroppedEventCount();
// Empties the queue and the handled events (tests and start-up).
void FlushEvents(EventMask mask, EventMask stopMask);
// Runs the handlers of the Carbon events queued so far (main thread); GetNextEvent does it too.
void OrvaDispatchHandledEvents();
// Reads a parameter SetEventParameter stored: copies at most size bytes; eventParameterNotFoundErr
// (-9870) when it is missing. actualSize may be null.
OSStatus GetEventParameter(Collection parameters, OSType name, OSType type, UInt32 size, UInt32 *actualSize,
                           void *data);
enum : OSStatus { eventParameterNotFoundErr = -9870 };
