// ctest-labels: toolbox-core
// The Event Manager: the system event mask, pseudo-events, a full queue, handled Carbon events,
// StillDown, the pointer in a port's coordinates, the key map and the platform's cursors.
#include "toolbox/events.h"

#include <algorithm>
#include <deque>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "graphics/quickdraw/cursors.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"
#include "platform/gtk/keyboard_mouse.h"
#include "support/graphics/quickdraw_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/collections.h"
#include "toolbox/windows.h"

namespace {

class Events : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();
        FlushEvents(everyEvent, 0);
        SetEventMask(everyEvent);
    }
    void TearDown() override {
        FlushEvents(everyEvent, 0);
        SetEventMask(everyEvent);
        OrvaSetPluginMouseButton(0);
        OrvaSetStandInKeyMap(nullptr);
        while (WindowList) DisposeWindow(WindowList);
    }
    static std::vector<UInt32> Drain(EventMask mask) {
        std::vector<UInt32> taken;
        EventRecord e;
        while (GetNextEvent(mask, &e)) taken.push_back(UInt32(e.message));
        return taken;
    }
};

TEST_F(Events, TheMaskRefusesKindsItLeavesOutButNotPseudoEvents) {
    struct Row {
        const char *label;
        SInt16 code;
        OSErr answer;
    } rows[] = {
        {"mouse-down", mouseDown, noErr},
        {"key-up, left out of the mask", keyUp, 1},
        {"kind 16, beyond the mask", 16, 1},
        {"kind 22", 22, 1},
        {"high-level, mask bit 10", kHighLevelEvent, noErr},
        {"high bits of the code are not the kind", SInt16(0x0100 | keyDown), noErr},
    };
    SetEventMask(EventMask(everyEvent & ~(1u << keyUp)));
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(PostEvent(row.code, 7), row.answer);
    }
    OrvaPostPseudoEvent(keyUp, 0x41, 0x100, 1234, 99);
    std::vector<UInt16> kinds;
    EventRecord e;
    while (GetNextEvent(everyEvent, &e)) kinds.push_back(e.what);
    EXPECT_EQ(kinds, (std::vector<UInt16>{mouseDown, kHighLevelEvent, keyDown, keyUp}));
    EXPECT_EQ(e.what, nullEvent);
    EXPECT_EQ(OrvaGetLastTickCountEvent(), 1234u);  // the pseudo-event's own time
    EXPECT_EQ(OrvaGetLastEventExtra(), 99u);
}

TEST_F(Events, AFullQueueDropsItsOldestEventsAndCountsThem) {
    UInt32 droppedBefore = OrvaGetDroppedEventCount();
    for (UInt32 i = 0; i < 300; i++) PostEvent(keyDown, i);
    std::vector<UInt32> taken = Drain(everyEvent);
    ASSERT_EQ(taken.size(), size_t(kEventQueueCapacity));
    EXPECT_EQ(taken.front(), 300u - kEventQueueCapacity);
    EXPECT_EQ(taken.back(), 299u);
    EXPECT_EQ(OrvaGetDroppedEventCount() - droppedBefore, 300u - kEventQueueCapacity);
}

TEST_F(Events, MasksTakeTheFirstMatchingEventAndLeaveTheOthersInOrder) {
    PostEvent(keyDown, 1);
    PostEvent(mouseDown, 2);
    PostEvent(keyDown, 3);
    EventRecord e;
    ASSERT_TRUE(EventAvail(mDownMask, &e));  // looked at, left in place
    EXPECT_EQ(e.message, 2u);
    ASSERT_TRUE(GetNextEvent(mDownMask, &e));
    EXPECT_EQ(e.message, 2u);
    EXPECT_EQ(Drain(everyEvent), (std::vector<UInt32>{1, 3}));
}

TEST_F(Events, StillDownIsFalseOnceAMouseUpWaits) {
    OrvaSetPluginMouseButton(1);
    EXPECT_TRUE(StillDown());
    PostEvent(mouseUp, 0);
    EXPECT_FALSE(StillDown());
    Drain(everyEvent);
    EXPECT_TRUE(StillDown());
    OrvaSetPluginMouseButton(0);
    EXPECT_FALSE(StillDown());
}

OSStatus CountWheel(const OrvaCarbonEvent *event, Collection parameters, void *userData) {
    SInt32 delta = 0;
    GetEventParameter(parameters, FourCC("mwdl"), FourCC("long"), sizeof delta, nullptr, &delta);
    *static_cast<SInt32 *>(userData) += delta + SInt32(event->eventKind) * 1000;
    return noErr;
}

TEST_F(Events, HandledEventsReachTheWindowsHandlerWithACopyOfTheirParameters) {
    WindowPtr w = NewToolboxTestWindow(Rect{50, 50, 100, 100}, 0);
    Collection parameters = NewCollection();
    SInt32 delta = -3;
    SetEventParameter(parameters, FourCC("mwdl"), FourCC("long"), sizeof delta, &delta);
    OrvaCarbonEvent wheel = {OrvaGetWindowEventHandlers(w), FourCC("mous"), 10};
    EXPECT_EQ(OrvaEnqueueEventHandled(&wheel, parameters), eventNotHandledErr);  // no handler yet

    SInt32 seen = 0;
    ASSERT_EQ(OrvaInstallWindowEventHandler(w, FourCC("mous"), 10, CountWheel, &seen), noErr);
    wheel.handlers = OrvaGetWindowEventHandlers(w);
    ASSERT_EQ(OrvaEnqueueEventHandled(&wheel, parameters), noErr);
    delta = 50;  // changed after queueing: the handler sees the copy
    SetEventParameter(parameters, FourCC("mwdl"), FourCC("long"), sizeof delta, &delta);
    DisposeCollection(parameters);
    EXPECT_EQ(seen, 0);  // queued, not run
    EventRecord e;
    GetNextEvent(everyEvent, &e);
    EXPECT_EQ(seen, 10000 - 3);
    OrvaCarbonEvent other = {wheel.handlers, FourCC("mous"), 11};
    EXPECT_EQ(OrvaEnqueueEventHandled(&other, nullptr), eventNotHandledErr);
}

TEST_F(Events, GetMouseAnswersThePortsLocalCoordinates) {
    GrafPort port;
    OpenTestPort(&port, 100, 100);
    port.screenH = 200;
    port.screenV = 100;
    SetOrigin(10, 20);
    OrvaSetMousePos(Point{130, 250}, kFalse);
    Point local;
    GetMouse(&local);
    EXPECT_EQ(HV(local), HV(Point{50, 60}));  // 250 - 200 + 10, 130 - 100 + 20
    Point global;
    lit_mouse(&global);
    EXPECT_EQ(HV(global), HV(Point{130, 250}));
    SetPort(nullptr);
    ClosePort(&port);
}

// The platform's key map: key k is bit (k XOR 24) mod 32 of word k / 32.
void HoldKeys(std::initializer_list<int> keys) {
    UInt32 words[4] = {0, 0, 0, 0};
    for (int k : keys) words[k / 32] |= 1u << ((k ^ 24) & 31);
    OrvaSetStandInKeyMap(words);
}

TEST_F(Events, KeysLandAtTheirByteAndBitAndReadBackAsBigEndianWords) {
    struct Row {
        int key, byte, bit, word, wordBit;
    } rows[] = {{55, 6, 7, 1, 15}, {56, 7, 0, 1, 0}, {0, 0, 0, 0, 24}, {127, 15, 7, 3, 7}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.key);
        HoldKeys({row.key});
        KeyMap keys;
        GetKeys(keys);
        const UInt8 *bytes = reinterpret_cast<const UInt8 *>(keys);
        for (int b = 0; b < 16; b++) EXPECT_EQ(bytes[b], b == row.byte ? 1 << row.bit : 0) << "byte " << b;
        EXPECT_EQ(OrvaKeyMapWord(keys, SInt16(row.word)), 1u << row.wordBit);
        EXPECT_TRUE(OrvaIsKeyInMap(keys, SInt16(row.key)));
    }
    HoldKeys({56});
    KeyMap keys;
    GetKeys(keys);
    EXPECT_FALSE(OrvaIsKeyInMap(keys, 55));  // shift held is not command held
    EXPECT_TRUE(OrvaIsKeyInMap(keys, 56));
}

// Random posts and takes, each checked against a simple model of the queue.
TEST_F(Events, RandomPostsAndTakesAgreeWithAModel) {
    std::mt19937 random(2024);
    std::deque<std::pair<UInt16, UInt32>> model;
    const UInt16 kinds[] = {mouseDown, mouseUp, keyDown, keyUp, autoKey, osEvt};
    for (UInt32 step = 0; step < 100000; step++) {
        if (random() % 5 < 3) {
            UInt16 kind = kinds[random() % 6];
            ASSERT_EQ(PostEvent(SInt16(kind), step), noErr);
            model.push_back({kind, step});
            if (model.size() > size_t(kEventQueueCapacity)) model.pop_front();
            continue;
        }
        EventMask mask = EventMask(random() | 1u << kinds[random() % 6]);
        EventRecord e;
        auto match = std::find_if(model.begin(), model.end(),
                                  [mask](const std::pair<UInt16, UInt32> &m) { return (mask >> m.first) & 1; });
        bool taken = GetNextEvent(mask, &e);
        ASSERT_EQ(taken, match != model.end()) << step;
        if (!taken) continue;
        ASSERT_EQ(e.what, match->first) << step;
        ASSERT_EQ(UInt32(e.message), match->second) << step;
        model.erase(match);
    }
}

TEST_F(Events, PlatformCursorsAreOneCachedHandleAndOthersComeFromResources) {
    CursHandle watch = _GetCursor(7);
    ASSERT_NE(watch, nullptr);
    EXPECT_EQ(_GetCursor(7), watch);
    ASSERT_EQ(GetHandleSize(reinterpret_cast<Handle>(watch)), 68u);
    EXPECT_EQ((**watch).hotSpot.v, kCursorKindPlatform);
    EXPECT_EQ((**watch).hotSpot.h, 7);
    EXPECT_EQ(_GetCursor(300), nullptr);  // no 'CURS' 300 anywhere
    EXPECT_EQ(_GetCursor(-1), nullptr);
    EXPECT_EQ(SystemDependantGetClosestCursor(7), 7);
}

}  // namespace
