// Stand-ins for the Event Manager until it exists: a small event queue under section 0 that
// PostEvent fills and GetNextEvent empties, an emulated pointer, no buttons and no keys.
#include <cstdlib>
#include <cstring>

#include "platform/core/critical_sections.h"
#include "platform/core/time_manager.h"
#include "toolbox/toolbox_services.h"
#include "platform/gtk/keyboard_mouse.h"

namespace {

constexpr int kEventQueueSize = 64;  // the oldest event is lost beyond this

struct QueuedEvent {
    EventRecord event;
    uintptr_t extra;  // the extra data word of a pseudo-event
};

// Everything here is guarded by critical section 0.
struct EventQueue {
    QueuedEvent events[kEventQueueSize];
    int first = 0;
    int count = 0;
    UInt32 lastTakenWhen = 0;
    Point pointer{0, 0};  // global coordinates
    UniChar lastUnicodeKey = 0;
};
EventQueue gEvents;

// Test seam: StillDown answers this instead of the (absent) button. Main thread only.
Boolean (*gStillDownHook)() = nullptr;

void Append(const EventRecord &event, uintptr_t extra);
bool Matches(const EventRecord &event, EventMask mask);
bool Take(EventMask mask, EventRecord *event, bool remove);

}  // namespace

OSErr PostEvent(SInt16 eventCode, UInt32 eventMessage) {
    EventRecord event;
    orva_genere_evt(SInt16(eventCode & 0x7F), eventMessage, &event);
    Append(event, 0);
    return noErr;
}

void OrvaPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra) {
    StartTimerCriticalSection();
    EventRecord event{UInt16(kind), message, when, gEvents.pointer, modifiers};
    EndTimerCriticalSection();
    Append(event, extra);
}

OSStatus OrvaEnqueueEventHandled(const OrvaCarbonEvent *, Collection) { return eventNotHandledErr; }

Boolean GetNextEvent(EventMask mask, EventRecord *event) { return Take(mask, event, true); }

Boolean EventAvail(EventMask mask, EventRecord *event) { return Take(mask, event, false); }

void orva_genere_evt(SInt16 kind, uintptr_t message, EventRecord *event) {
    if (!event) return;
    StartTimerCriticalSection();
    *event = EventRecord{UInt16(kind), message, TickCount(), gEvents.pointer, 0};
    EndTimerCriticalSection();
}

UInt32 OrvaGetLastTickCountEvent() {
    StartTimerCriticalSection();
    UInt32 when = gEvents.lastTakenWhen;
    EndTimerCriticalSection();
    return when;
}

OSStatus SetEventParameter(Collection, OSType, OSType, UInt32, const void *) { return noErr; }

void GetMouse(Point *where) { lit_mouse(where); }

void lit_mouse(Point *where) {
    if (!where) return;
    StartTimerCriticalSection();
    *where = gEvents.pointer;
    EndTimerCriticalSection();
}

UInt16 Button() { return 0; }
Boolean StillDown() { return gStillDownHook ? gStillDownHook() : Boolean(kFalse); }

void OrvaSetStillDownHook(Boolean (*hook)()) { gStillDownHook = hook; }

void OrvaSetMousePos(Point where, Boolean) {
    StartTimerCriticalSection();
    gEvents.pointer = where;
    EndTimerCriticalSection();
}

void GetKeys(KeyMap keys) {
    if (!keys) return;
    // Each word big-endian: key k is bit k mod 8 of byte k / 8.
    UInt32 words[4];
    SystemDependantGetKeyMap(words);
    UInt8 *bytes = reinterpret_cast<UInt8 *>(keys);
    for (int w = 0; w < 4; w++)
        for (int b = 0; b < 4; b++) bytes[w * 4 + b] = UInt8(words[w] >> (24 - 8 * b));
}

UniChar OrvaGetLastUnicodeKey() {
    StartTimerCriticalSection();
    UniChar character = gEvents.lastUnicodeKey;
    EndTimerCriticalSection();
    return character;
}

void OrvaSetLastUnicodeKey(UniChar character) {
    StartTimerCriticalSection();
    gEvents.lastUnicodeKey = character;
    EndTimerCriticalSection();
}

namespace {

void Append(const EventRecord &event, uintptr_t extra) {
    StartTimerCriticalSection();
    if (gEvents.count == kEventQueueSize) {
        gEvents.first = (gEvents.first + 1) % kEventQueueSize;
        gEvents.count--;
    }
    gEvents.events[(gEvents.first + gEvents.count) % kEventQueueSize] = QueuedEvent{event, extra};
    gEvents.count++;
    EndTimerCriticalSection();
}

bool Matches(const EventRecord &event, EventMask mask) {
    if (event.what == kHighLevelEvent) return (mask & highLevelEventMask) != 0;
    return event.what < 16 && (mask & (1u << event.what));
}

bool Take(EventMask mask, EventRecord *event, bool remove) {
    bool found = false;
    StartTimerCriticalSection();
    for (int i = 0; i < gEvents.count && !found; i++) {
        int slot = (gEvents.first + i) % kEventQueueSize;
        if (!Matches(gEvents.events[slot].event, mask)) continue;
        found = true;
        if (event) *event = gEvents.events[slot].event;
        if (!remove) break;
        gEvents.lastTakenWhen = gEvents.events[slot].event.when;
        const EventRecord &taken = gEvents.events[slot].event;
        if (taken.what == keyDown || taken.what == autoKey) gEvents.lastUnicodeKey = UniChar(taken.message >> 16);
        for (int j = i; j + 1 < gEvents.count; j++)
            gEvents.events[(gEvents.first + j) % kEventQueueSize] =
                gEvents.events[(gEvents.first + j + 1) % kEventQueueSize];
        gEvents.count--;
    }
    EndTimerCriticalSection();
    if (!found && event) orva_genere_evt(nullEvent, 0, event);
    return found;
}

}  // namespace
