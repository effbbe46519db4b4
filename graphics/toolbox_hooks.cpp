// The toolbox's hook record in force, the stand-ins that answer until the toolbox fills it, and
// one wrapper per slot.
#include "graphics/toolbox_hooks.h"

#include <cstring>
#include <glib.h>

#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/back_end.h"
#include "platform/core/byte_reader.h"
#include "platform/core/critical_sections.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"

namespace {

constexpr int kEventQueueSize = 64;  // the oldest event is lost beyond this
constexpr SInt16 kMouseMovedEvent = 15;
constexpr UInt32 kMouseMovedMessage = 0xFA000000;
constexpr UInt32 kWaitStepMicroseconds = 1000;  // standalone WaitNextEvent: time between two polls

struct QueuedEvent {
    EventRecord event;
    uintptr_t extra;  // the extra data word of a pseudo-event
};

// The stand-in event queue and pointer, guarded by critical section 0.
struct StandInEvents {
    QueuedEvent events[kEventQueueSize];
    int first = 0;
    int count = 0;
    UInt32 lastTakenWhen = 0;
    Point pointer{0, 0};  // global coordinates
    UniChar lastUnicodeKey = 0;
};
StandInEvents gEvents;

// The stand-ins' other state, main thread only.
struct StandInState {
    Boolean (*stillDownHook)() = nullptr;
    UInt32 flashMenuBarCount = 0;
    SInt16 updateState = 0;  // 1: CarboniseValideUpdate lets pending updates be drawn
};
StandInState gStandIn;

OSErr StandInPostEvent(SInt16 eventCode, UInt32 eventMessage);
void StandInPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra);
Boolean StandInGetNextEvent(EventMask mask, EventRecord *event);
Boolean StandInEventAvail(EventMask mask, EventRecord *event);
void StandInGenerateEvent(SInt16 kind, uintptr_t message, EventRecord *event);
UInt32 StandInLastTickCountEvent();
void StandInReadMouse(Point *where);
void StandInSetMousePos(Point where, Boolean move);
UInt16 NoButton() { return 0; }
Boolean StandInStillDown() { return kFalse; }
void StandInGetKeys(KeyMap keys);
UniChar StandInLastUnicodeKey();
void StandInSetLastUnicodeKey(UniChar character);
void Nothing() {}
CursHandle NoCursor(SInt16) { return nullptr; }
void StandInSetCursor(const OrvaCursorArea *cursor);
void NoHover(WindowPtr, ControlHandle, SInt16, SInt16) {}
WindowPtr NoWindowList() { return nullptr; }
WindowPtr NoWindow(WindowPtr) { return nullptr; }
WindowPtr NoWindowOfPort(GrafPtr) { return nullptr; }
OSStatus OwnWindowRegion(WindowPtr w, SInt16 regionCode, RgnHandle region);
OSStatus NoInvalidation(WindowPtr, const Rect *) { return noErr; }
void NoUpdate(WindowPtr) {}
void NoMenuItem(MenuHandle, const char *, SInt16) {}
SInt16 NoMenuItems(MenuHandle) { return 0; }
MenuItemRecord *NoItemRecord(MenuHandle, SInt16) { return nullptr; }
void NoItemArea(MenuItemRecord *) {}
void NoItemIcon(MenuHandle, SInt16, SInt16) {}
Boolean NoShortcut(UniChar, Rect *) { return kFalse; }
void CountFlash(SInt16) { OrvaCountMenuBarFlash(); }
OSStatus NoThemeState(ThemeDrawingState *state);
OSStatus KeepThemeState(ThemeDrawingState, Boolean) { return noErr; }
OSStatus NoMenuBarHeight(SInt16 *height);
RgnHandle StructureRegion(WindowPtr, const Rect *r, Boolean);
void NoDrawers(WindowPtr) {}
SInt16 NoSystemFiles() { return -1; }

const ToolboxHooks kStandIns = {
    StandInPostEvent, StandInPostPseudoEvent, StandInGetNextEvent, StandInEventAvail, StandInGenerateEvent,
    StandInLastTickCountEvent, StandInReadMouse, StandInReadMouse, StandInSetMousePos, NoButton, StandInStillDown,
    StandInGetKeys, StandInLastUnicodeKey, StandInSetLastUnicodeKey,
    Nothing, NoCursor, StandInSetCursor, Nothing, NoHover,
    NoWindowList, NoWindow, NoWindowOfPort, OwnWindowRegion, NoInvalidation, NoUpdate, NoUpdate, Nothing,
    NoMenuItem, NoMenuItems, NoItemRecord, NoItemArea, NoItemIcon, NoShortcut, CountFlash, Nothing,
    NoThemeState, KeepThemeState, NoMenuBarHeight, StructureRegion, NoDrawers, Nothing, Nothing, NoSystemFiles,
};

ToolboxHooks gToolbox = kStandIns;

// The record is nothing but procedure slots of one size, copied one by one.
typedef void (*AnySlot)();
static_assert(sizeof(ToolboxHooks) % sizeof(AnySlot) == 0, "ToolboxHooks holds procedure slots only");

void Append(const EventRecord &event, uintptr_t extra);
bool Matches(const EventRecord &event, EventMask mask);
bool Take(EventMask mask, EventRecord *event, bool remove);

}  // namespace

void OrvaSetToolboxHooks(const ToolboxHooks *hooks) {
    if (!hooks) {
        gToolbox = kStandIns;
        return;
    }
    // Slot by slot, so that a toolbox filling only some slots keeps the stand-ins of the others.
    for (size_t at = 0; at < sizeof(ToolboxHooks); at += sizeof(AnySlot)) {
        AnySlot given;
        memcpy(&given, reinterpret_cast<const char *>(hooks) + at, sizeof given);
        if (given) memcpy(reinterpret_cast<char *>(&gToolbox) + at, &given, sizeof given);
    }
}

OSErr PostEvent(SInt16 eventCode, UInt32 eventMessage) { return gToolbox.postEvent(eventCode, eventMessage); }
void OrvaPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra) {
    gToolbox.postPseudoEvent(kind, message, modifiers, when, extra);
}
Boolean GetNextEvent(EventMask mask, EventRecord *event) { return gToolbox.getNextEvent(mask, event); }
Boolean EventAvail(EventMask mask, EventRecord *event) { return gToolbox.eventAvail(mask, event); }
void orva_genere_evt(SInt16 kind, uintptr_t message, EventRecord *event) { gToolbox.generateEvent(kind, message, event); }
UInt32 OrvaGetLastTickCountEvent() { return gToolbox.lastTickCountEvent(); }
void GetMouse(Point *where) { gToolbox.getMouse(where); }
void lit_mouse(Point *where) { gToolbox.readMouse(where); }
void OrvaSetMousePos(Point where, Boolean move) { gToolbox.setMousePos(where, move); }
UInt16 Button() { return gToolbox.button(); }
// The test seam answers first, whoever fills the record.
Boolean StillDown() { return gStandIn.stillDownHook ? gStandIn.stillDownHook() : gToolbox.stillDown(); }
void GetKeys(KeyMap keys) { gToolbox.getKeys(keys); }
UInt32 OrvaKeyMapWord(const KeyMap keys, SInt16 word) {
    if (!keys || word < 0 || word > 3) return 0;
    ByteReader r = OrvaByteReader(keys, sizeof(KeyMap));
    Skip(&r, size_t(word) * 4);
    return Get32(&r);
}

Boolean OrvaIsKeyInMap(const KeyMap keys, SInt16 key) {
    if (key < 0 || key > 127) return kFalse;
    return (OrvaKeyMapWord(keys, SInt16(key / 32)) >> ((key ^ 24) & 31)) & 1;
}

UniChar OrvaGetLastUnicodeKey() { return gToolbox.lastUnicodeKey(); }
void OrvaSetLastUnicodeKey(UniChar character) { gToolbox.setLastUnicodeKey(character); }

Boolean WaitNextEvent(UInt16 mask, EventRecord *event, UInt32 sleep, RgnHandle mouseRgn) {
    if (GetNextEvent(mask, event)) return true;
    if (OrvaIsPlugin()) return false;
    UInt32 start = TickCount();
    while (TickCount() - start < sleep) {
        if (mouseRgn) {
            Point where;
            lit_mouse(&where);
            if (PtInRgn(where, mouseRgn)) {
                orva_genere_evt(kMouseMovedEvent, uintptr_t(UInt32(kMouseMovedMessage)), event);
                return true;
            }
        } else {
            g_main_context_iteration(nullptr, FALSE);
        }
        if (GetNextEvent(mask, event)) return true;
        g_usleep(kWaitStepMicroseconds);
    }
    return false;
}

void OrvaSetStillDownHook(Boolean (*hook)()) { gStandIn.stillDownHook = hook; }

void CarboniseSetUpdateState(SInt16 flag) {
    gStandIn.updateState = flag;
    if (flag == 1) CarboniseValideUpdate();
}

void CarboniseValideUpdate() {
    if (!gStandIn.updateState) return;
    EventRecord event;
    EventAvail(everyEvent, &event);  // draws pending updates on the way
}

void ObscureCursor() { gToolbox.obscureCursor(); }
CursHandle _GetCursor(SInt16 cursorID) { return gToolbox.getCursor(cursorID); }
void orva_setCursor(const OrvaCursorArea *cursor) { gToolbox.setCursor(cursor); }
void OrvaGereCursorWindows() { gToolbox.cursorForWindows(); }
void OrvaProcessUnderMouse(WindowPtr w, ControlHandle control, SInt16 item, SInt16 part) {
    gToolbox.processUnderMouse(w, control, item, part);
}

WindowPtr GetWindowList() { return gToolbox.windowList(); }
WindowPtr _GetNextWindow(WindowPtr w) { return gToolbox.nextWindow(w); }
WindowPtr GetWindowFromPort(GrafPtr port) { return gToolbox.windowFromPort(port); }
OSStatus GetWindowRegion(WindowPtr w, SInt16 regionCode, RgnHandle region) {
    return gToolbox.windowRegion(w, regionCode, region);
}
OSStatus InvalWindowRect(WindowPtr w, const Rect *r) { return gToolbox.invalWindowRect(w, r); }
void BeginUpdate(WindowPtr w) { gToolbox.beginUpdate(w); }
void EndUpdate(WindowPtr w) { gToolbox.endUpdate(w); }
void OrvaRetraceDesktop() { gToolbox.retraceDesktop(); }

void InsMenuItem(MenuHandle menu, const char *itemText, SInt16 afterItem) { gToolbox.insMenuItem(menu, itemText, afterItem); }
SInt16 CountMItems(MenuHandle menu) { return gToolbox.countMItems(menu); }
MenuItemRecord *orva_localise_item_menu(MenuHandle menu, SInt16 item) { return gToolbox.menuItem(menu, item); }
void OrvaCalculeAireItem(MenuItemRecord *item) { gToolbox.computeItemArea(item); }
void SetItemIcon(MenuHandle menu, SInt16 item, SInt16 iconIndex) { gToolbox.setItemIcon(menu, item, iconIndex); }
Boolean OrvaRechercheRaccourciMenuBar(UniChar character, Rect *titleRect) {
    return gToolbox.findMenuBarShortcut(character, titleRect);
}
void FlashMenuBar(SInt16 menuID) { gToolbox.flashMenuBar(menuID); }
UInt32 OrvaGetFlashMenuBarCount() { return gStandIn.flashMenuBarCount; }
void OrvaCountMenuBarFlash() { gStandIn.flashMenuBarCount++; }
void OrvaDrawMenuBar() { gToolbox.drawMenuBar(); }

OSStatus GetThemeDrawingState(ThemeDrawingState *state) { return gToolbox.getThemeDrawingState(state); }
OSStatus SetThemeDrawingState(ThemeDrawingState state, Boolean disposeNow) {
    return gToolbox.setThemeDrawingState(state, disposeNow);
}
OSStatus GetThemeMenuBarHeight(SInt16 *height) { return gToolbox.getThemeMenuBarHeight(height); }
RgnHandle OrvaCalculateThemeWindowPhysicalRegion(WindowPtr w, const Rect *r, Boolean flag) {
    return gToolbox.themeWindowRegion(w, r, flag);
}
void OrvaAdjustDrawers(WindowPtr w) { gToolbox.adjustDrawers(w); }
void OrvaMajSkinDir() { gToolbox.updateSkinFolder(); }
void InitTheme() { gToolbox.initTheme(); }
SInt16 orva_ouvreFichierRessSys() { return gToolbox.openSystemFiles(); }

namespace {

OSErr StandInPostEvent(SInt16 eventCode, UInt32 eventMessage) {
    EventRecord event;
    StandInGenerateEvent(SInt16(eventCode & 0x7F), eventMessage, &event);
    Append(event, 0);
    return noErr;
}

void StandInPostPseudoEvent(SInt16 kind, uintptr_t message, EventModifiers modifiers, UInt32 when, uintptr_t extra) {
    StartTimerCriticalSection();
    EventRecord event{UInt16(kind), message, when, gEvents.pointer, modifiers};
    EndTimerCriticalSection();
    Append(event, extra);
}

Boolean StandInGetNextEvent(EventMask mask, EventRecord *event) { return Take(mask, event, true); }
Boolean StandInEventAvail(EventMask mask, EventRecord *event) { return Take(mask, event, false); }

void StandInGenerateEvent(SInt16 kind, uintptr_t message, EventRecord *event) {
    if (!event) return;
    StartTimerCriticalSection();
    *event = EventRecord{UInt16(kind), message, TickCount(), gEvents.pointer, 0};
    EndTimerCriticalSection();
}

UInt32 StandInLastTickCountEvent() {
    StartTimerCriticalSection();
    UInt32 when = gEvents.lastTakenWhen;
    EndTimerCriticalSection();
    return when;
}

void StandInReadMouse(Point *where) {
    if (!where) return;
    StartTimerCriticalSection();
    *where = gEvents.pointer;
    EndTimerCriticalSection();
}

void StandInSetMousePos(Point where, Boolean) {
    StartTimerCriticalSection();
    gEvents.pointer = where;
    EndTimerCriticalSection();
}

// Each word big-endian: key k is bit k mod 8 of byte k / 8.
void StandInGetKeys(KeyMap keys) {
    if (!keys) return;
    UInt32 words[4];
    SystemDependantGetKeyMap(words);
    UInt8 *bytes = reinterpret_cast<UInt8 *>(keys);
    for (int w = 0; w < 4; w++)
        for (int b = 0; b < 4; b++) bytes[w * 4 + b] = UInt8(words[w] >> (24 - 8 * b));
}

UniChar StandInLastUnicodeKey() {
    StartTimerCriticalSection();
    UniChar character = gEvents.lastUnicodeKey;
    EndTimerCriticalSection();
    return character;
}

void StandInSetLastUnicodeKey(UniChar character) {
    StartTimerCriticalSection();
    gEvents.lastUnicodeKey = character;
    EndTimerCriticalSection();
}

void StandInSetCursor(const OrvaCursorArea *cursor) {
    if (!cursor) return;
    if (cursor->kind == kCursorKindPlatform) SystemDependantSetStandardCursor(SInt16(cursor->id));
    else if (cursor->kind == kCursorKindColor) SystemDependantSetColorCursor(cursor);
    else SystemDependantSetMonochromeCursor(cursor);
}

// The structure and content regions the window's definition procedure computed.
OSStatus OwnWindowRegion(WindowPtr w, SInt16 regionCode, RgnHandle region) {
    RgnHandle own = !w ? nullptr
                    : regionCode == kWindowStructureRgn ? w->strucRgn
                    : regionCode == kWindowContentRgn   ? w->contRgn
                                                        : nullptr;
    if (!own || !region) return paramErr;
    _CopyRgn(own, region);
    return noErr;
}

// No state is saved: callers skip the restore when this does not answer 0.
OSStatus NoThemeState(ThemeDrawingState *state) {
    if (state) *state = nullptr;
    return paramErr;
}

OSStatus NoMenuBarHeight(SInt16 *height) {
    if (height) *height = 0;
    return noErr;
}

// Without themes a window's outline is its structure rectangle.
RgnHandle StructureRegion(WindowPtr, const Rect *r, Boolean) {
    if (!r) return nullptr;
    RgnHandle region = NewRgn();
    if (region) RectRgn(region, r);
    return region;
}

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
    if (!found && event) StandInGenerateEvent(nullEvent, 0, event);
    return found;
}

}  // namespace
