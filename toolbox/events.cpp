// The Event Manager: the queue, the system event mask, update events, handled Carbon events,
// the emulated pointer, the buttons and the key map.
#include "toolbox/events.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

#include "graphics/quickdraw/ports.h"
#include "platform/core/back_end.h"
#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/keyboard_mouse.h"
#include "toolbox/collections.h"
#include "toolbox/windows.h"

namespace {

enum : UInt32 { kHandledQueueMax = 1024 };  // handled events waiting for dispatch; more are refused

struct QueuedEvent {
    EventRecord event;
    uintptr_t extra;  // a pseudo-event's extra data word
};

// The queue and the pointer state. Everything here is guarded by critical section 0, which any
// thread may take; the section is re-entrant.
struct EventQueueRecord {
    QueuedEvent events[kEventQueueCapacity];
    SInt32 first = 0;
    SInt32 count = 0;
    UInt32 dropped = 0;            // events lost to a full queue
    Boolean overflowing = kFalse;  // the queue is dropping: traced once until it has room again
    EventMask systemMask = everyEvent;
    UInt32 lastTakenWhen = 0;
    uintptr_t lastTakenExtra = 0;
    UInt32 lastMouseDownWhen = 0;
    Point pointer = {0, 0};        // global coordinates
    UniChar lastUnicodeKey = 0;
    Boolean obscured = kFalse;     // the pointer is hidden until it moves from obscuredAt
    Point obscuredAt = {0, 0};
};
EventQueueRecord gQueue;

// One Carbon event a window's handler takes, with a copy of its parameters (section 0).
struct HandledEventRecord {
    OrvaEventHandlerProc proc;
    void *userData;
    OrvaCarbonEvent event;
    Collection parameters;  // owned
};
struct HandledQueueRecord {
    HandledEventRecord *items = nullptr;  // malloc'd, oldest first
    UInt32 count = 0;
    UInt32 capacity = 0;
};
HandledQueueRecord gHandled;
std::atomic<UInt32> gHandledWaiting{0};  // gHandled.count, read without the section
std::atomic<EventModifiers> gModifiers{0};  // as last read on the main thread
std::atomic<UInt32> gModifiersTick{~0u};       // the tick they were read at

// Critical section 0, entered straight by its number: the queue is the hottest user of it.
inline void EnterQueue() { SystemDependantStartCriticalSection(kTimerCriticalSection); }
inline void LeaveQueue() { SystemDependantEndCriticalSection(kTimerCriticalSection); }
EventModifiers CurrentModifiers(UInt32 now);
bool Append(const EventRecord &event, uintptr_t extra);
void TraceOverflow(bool started);
bool KindEnabled(EventMask mask, UInt16 kind);
bool Take(EventMask mask, EventRecord *event, bool remove);
bool MouseUpWaiting();

}  // namespace

OSErr OrvaEventsPost(SInt16 eventCode, UInt32 eventMessage) {
    UInt16 kind = UInt16(eventCode & 0x7F);
    if (kind > osEvt && kind != kHighLevelEvent) return 1;  // no kind of the mask
    UInt32 now = OrvaCoarseTickCount();
    EventRecord event = {kind, eventMessage, now, {0, 0}, CurrentModifiers(now)};
    EnterQueue();
    bool enabled = KindEnabled(gQueue.systemMask, kind), overflow = false;
    if (enabled) {
        event.where = gQueue.pointer;
        if (kind == mouseDown) gQueue.lastMouseDownWhen = event.when;
        overflow = Append(event, 0);
    }
    LeaveQueue();
    TraceOverflow(overflow);
    return enabled ? noErr : OSErr(1);
}

void OrvaEventsPostPseudo(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra) {
    EnterQueue();
    EventRecord event = {UInt16(kind), message, when, gQueue.pointer, modifiers};
    bool overflow = Append(event, extra);
    LeaveQueue();
    TraceOverflow(overflow);
}

Boolean OrvaEventsGetNext(EventMask mask, EventRecord *event) {
    EventRecord scratch;
    if (!event) event = &scratch;
    if (gHandledWaiting.load(std::memory_order_acquire) && OrvaIsMainThread()) OrvaDispatchHandledEvents();
    if (!OrvaIsPlugin() && OrvaIsMainThread()) SystemDependantDoEvent();  // the browser's events reach the plug-in itself
    if (Take(mask, event, true)) return kTrue;
    WindowPtr w = (mask & updateMask) && OrvaIsMainThread() ? OrvaNextWindowToUpdate() : nullptr;
    OrvaEventsGenerate(w ? updateEvt : nullEvent, uintptr_t(w), event);
    return w ? kTrue : kFalse;
}

Boolean OrvaEventsAvail(EventMask mask, EventRecord *event) {
    EventRecord scratch;
    if (!event) event = &scratch;
    if (OrvaIsMainThread() && !OrvaIsPlugin()) SystemDependantDoEvent();  // pending updates are drawn
    if (Take(mask, event, false)) return kTrue;
    WindowPtr w = (mask & updateMask) && OrvaIsMainThread() ? OrvaNextWindowToUpdate() : nullptr;
    OrvaEventsGenerate(w ? updateEvt : nullEvent, uintptr_t(w), event);
    return w ? kTrue : kFalse;
}

void OrvaEventsGenerate(SInt16 kind, uintptr_t message, EventRecord *event) {
    if (!event) return;
    UInt32 now = OrvaCoarseTickCount();
    EventModifiers modifiers = CurrentModifiers(now);
    EnterQueue();
    *event = EventRecord{UInt16(kind), message, now, gQueue.pointer, modifiers};
    LeaveQueue();
}

UInt32 OrvaEventsLastTick() {
    EnterQueue();
    UInt32 when = gQueue.lastTakenWhen;
    LeaveQueue();
    return when;
}

void OrvaEventsGetMouse(Point *where) {
    if (!where) return;
    lit_mouse(where);
    if (qd.thePort) GlobalToLocal(where);
}

// The pointer, global; an obscured cursor shows again once the pointer has moved.
void OrvaEventsReadMouse(Point *where) {
    EnterQueue();
    Point at = gQueue.pointer;
    bool show = gQueue.obscured && (at.h != gQueue.obscuredAt.h || at.v != gQueue.obscuredAt.v);
    if (show) gQueue.obscured = kFalse;
    LeaveQueue();
    if (show) SystemDependantShowCursor();
    if (where) *where = at;
}

void OrvaEventsSetMousePos(Point where, Boolean) {
    EnterQueue();
    gQueue.pointer = where;
    LeaveQueue();
}

UInt16 OrvaEventsButton() { return UInt16(SystemDependantGetMouseButton()); }

// Held, and no mouse-up waits to say it was released. In the plug-in the library stops pumping
// window messages of its own while it tracks.
Boolean OrvaEventsStillDown() {
    if (OrvaIsPlugin()) OrvaSetProcessWindowMessages(kFalse);
    if (!(OrvaEventsButton() & 1)) return kFalse;
    return MouseUpWaiting() ? kFalse : kTrue;
}

// Key k at bit k mod 8 of byte k / 8: each platform word stored big-endian.
void OrvaEventsGetKeys(KeyMap keys) {
    if (!keys) return;
    UInt32 words[4] = {0, 0, 0, 0};
    SystemDependantGetKeyMap(words);
    for (int w = 0; w < 4; w++) {
        UInt32 bigEndian = __builtin_bswap32(words[w]);
        memcpy(reinterpret_cast<UInt8 *>(keys) + 4 * w, &bigEndian, 4);
    }
}

UniChar OrvaEventsLastUnicodeKey() {
    EnterQueue();
    UniChar character = gQueue.lastUnicodeKey;
    LeaveQueue();
    return character;
}

void OrvaEventsSetLastUnicodeKey(UniChar character) {
    EnterQueue();
    gQueue.lastUnicodeKey = character;
    LeaveQueue();
}

void SetEventMask(EventMask mask) {
    EnterQueue();
    gQueue.systemMask = mask;
    LeaveQueue();
}

EventMask OrvaGetEventMask() {
    EnterQueue();
    EventMask mask = gQueue.systemMask;
    LeaveQueue();
    return mask;
}

uintptr_t OrvaGetLastEventExtra() {
    EnterQueue();
    uintptr_t extra = gQueue.lastTakenExtra;
    LeaveQueue();
    return extra;
}

UInt32 OrvaGetDroppedEventCount() {
    EnterQueue();
    UInt32 dropped = gQueue.dropped;
    LeaveQueue();
    return dropped;
}

void FlushEvents(EventMask mask, EventMask stopMask) {
    EnterQueue();
    SInt32 kept = 0;
    bool stopped = false;
    for (SInt32 i = 0; i < gQueue.count; i++) {
        QueuedEvent &e = gQueue.events[(gQueue.first + i) % kEventQueueCapacity];
        stopped = stopped || KindEnabled(stopMask, e.event.what);
        if (!stopped && KindEnabled(mask, e.event.what)) continue;
        gQueue.events[(gQueue.first + kept++) % kEventQueueCapacity] = e;
    }
    gQueue.count = kept;
    if (gQueue.count < kEventQueueCapacity) gQueue.overflowing = kFalse;
    LeaveQueue();
}

void OrvaEventsObscureCursor() {
    EnterQueue();
    bool hide = !gQueue.obscured;
    gQueue.obscured = kTrue;
    if (hide) gQueue.obscuredAt = gQueue.pointer;
    LeaveQueue();
    if (hide) SystemDependantHideCursor();
}

// ---- Carbon events --------------------------------------------------------------------------

OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *event, Collection parameters) {
    OrvaEventHandlerProc proc = nullptr;
    void *userData = nullptr;
    if (!event || !OrvaFindEventHandler(event->handlers, event->eventClass, event->eventKind, &proc, &userData))
        return eventNotHandledErr;
    Collection copy = parameters ? OrvaCopyCollection(parameters) : nullptr;
    if (parameters && !copy) return memFullErr;
    OSStatus result = noErr;
    EnterQueue();
    if (gHandled.count == gHandled.capacity) {
        UInt32 capacity = gHandled.capacity ? gHandled.capacity * 2 : 8;
        void *grown = capacity <= kHandledQueueMax ? realloc(gHandled.items, capacity * sizeof(HandledEventRecord)) : nullptr;
        if (grown) {
            gHandled.items = static_cast<HandledEventRecord *>(grown);
            gHandled.capacity = capacity;
        }
    }
    if (gHandled.count < gHandled.capacity) gHandled.items[gHandled.count++] = HandledEventRecord{proc, userData, *event, copy};
    else result = memFullErr;
    gHandledWaiting.store(gHandled.count, std::memory_order_release);
    LeaveQueue();
    if (result != noErr) DisposeCollection(copy);
    return result;
}

void OrvaDispatchHandledEvents() {
    for (;;) {
        EnterQueue();
        bool any = gHandled.count > 0;
        HandledEventRecord next = any ? gHandled.items[0] : HandledEventRecord{};
        if (any) memmove(gHandled.items, gHandled.items + 1, --gHandled.count * sizeof(HandledEventRecord));
        gHandledWaiting.store(gHandled.count, std::memory_order_release);
        LeaveQueue();
        if (!any) return;
        next.proc(&next.event, next.parameters, next.userData);
        DisposeCollection(next.parameters);
    }
}

OSStatus SetEventParameter(Collection c, OSType name, OSType type, UInt32 size, const void *data) {
    if (!c || size > UInt32(kCollectionItemMaxSize)) return paramErr;
    return AddCollectionItem(c, name, SInt32(type), SInt32(size), data);
}

OSStatus GetEventParameter(Collection parameters, OSType name, OSType type, UInt32 size, UInt32 *actualSize,
                           void *data) {
    SInt32 itemSize = 0;
    if (!parameters || GetCollectionItem(parameters, name, SInt32(type), &itemSize, nullptr) != noErr)
        return eventParameterNotFoundErr;
    if (actualSize) *actualSize = UInt32(itemSize);
    SInt32 wanted = SInt32(size) < itemSize ? SInt32(size) : itemSize;
    if (data && wanted > 0) GetCollectionItem(parameters, name, SInt32(type), &wanted, data);
    return noErr;
}

namespace {

// Asked of the platform (a round trip to the display outside the plug-in) on the main thread
// once a tick; events of the same tick, and other threads, take what it answered last.
EventModifiers CurrentModifiers(UInt32 now) {
    if (now != gModifiersTick.load(std::memory_order_relaxed) && OrvaIsMainThread()) {
        gModifiers.store(SystemDependantGetModifiers(), std::memory_order_relaxed);
        gModifiersTick.store(now, std::memory_order_relaxed);
    }
    return gModifiers.load(std::memory_order_relaxed);
}

// Section 0 held. True when this event started a run of drops (traced once the section is left).
bool Append(const EventRecord &event, uintptr_t extra) {
    bool started = false;
    if (gQueue.count == kEventQueueCapacity) {
        gQueue.first = (gQueue.first + 1) % kEventQueueCapacity;
        gQueue.count--;
        gQueue.dropped++;
        started = !gQueue.overflowing;
        gQueue.overflowing = kTrue;
    }
    gQueue.events[(gQueue.first + gQueue.count) % kEventQueueCapacity] = QueuedEvent{event, extra};
    gQueue.count++;
    return started;
}

void TraceOverflow(bool started) {
    if (started) PlugTrace("Event queue full: the oldest events are dropped");
}

bool KindEnabled(EventMask mask, UInt16 kind) {
    if (kind == kHighLevelEvent) return (mask & highLevelEventMask) != 0;
    return kind < 16 && (mask & (1u << kind));
}

bool Take(EventMask mask, EventRecord *event, bool remove) {
    bool found = false;
    EnterQueue();
    for (SInt32 i = 0; i < gQueue.count && !found; i++) {
        SInt32 slot = (gQueue.first + i) % kEventQueueCapacity;
        if (!KindEnabled(mask, gQueue.events[slot].event.what)) continue;
        found = true;
        *event = gQueue.events[slot].event;
        if (!remove) break;
        gQueue.lastTakenWhen = event->when;
        gQueue.lastTakenExtra = gQueue.events[slot].extra;
        if (event->what == keyDown || event->what == autoKey) gQueue.lastUnicodeKey = UniChar(event->message >> 16);
        if (i == 0) {  // the oldest: the queue only starts one further on
            gQueue.first = (gQueue.first + 1) % kEventQueueCapacity;
        } else {
            for (SInt32 j = i; j + 1 < gQueue.count; j++)
                gQueue.events[(gQueue.first + j) % kEventQueueCapacity] =
                    gQueue.events[(gQueue.first + j + 1) % kEventQueueCapacity];
        }
        gQueue.count--;
        gQueue.overflowing = kFalse;
    }
    LeaveQueue();
    return found;
}

bool MouseUpWaiting() {
    EnterQueue();
    bool waiting = false;
    for (SInt32 i = 0; i < gQueue.count && !waiting; i++)
        waiting = gQueue.events[(gQueue.first + i) % kEventQueueCapacity].event.what == mouseUp;
    LeaveQueue();
    return waiting;
}

}  // namespace
