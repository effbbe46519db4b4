// What the floors below the toolbox get of it before it fills its hook record: the stand-in
// event queue and a window outline without themes.
#include "graphics/toolbox_hooks.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/port_accessors.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/time_manager.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/rect_support.h"

namespace {

TEST(ToolboxHooks, PostedEventsComeBackInOrderByMask) {
    EventRecord e;
    while (GetNextEvent(everyEvent, &e)) {
    }
    OrvaSetMousePos(Point{40, 30}, kFalse);
    EXPECT_EQ(PostEvent(mouseDown, 7), noErr);
    EXPECT_EQ(PostEvent(keyDown, 0x61), noErr);
    EXPECT_EQ(PostEvent(mouseUp, 8), noErr);
    OrvaPostPseudoEvent(updateEvt, uintptr_t(&e), 0x100, 1234, 99);

    ASSERT_TRUE(EventAvail(mUpMask, &e));  // looked at, left in place
    EXPECT_EQ(e.what, mouseUp);
    ASSERT_TRUE(GetNextEvent(mDownMask | mUpMask, &e));
    EXPECT_EQ(e.what, mouseDown);
    EXPECT_EQ(e.message, 7u);
    EXPECT_EQ(e.where.v, 40);
    EXPECT_EQ(e.where.h, 30);
    ASSERT_TRUE(GetNextEvent(mDownMask | mUpMask, &e));
    EXPECT_EQ(e.what, mouseUp);
    ASSERT_TRUE(GetNextEvent(updateMask, &e));
    EXPECT_EQ(e.message, uintptr_t(&e));  // a pointer-sized message survives
    EXPECT_EQ(e.when, 1234u);
    EXPECT_EQ(e.modifiers, 0x100);
    EXPECT_EQ(OrvaGetLastTickCountEvent(), 1234u);
    ASSERT_TRUE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, keyDown);
    EXPECT_FALSE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, nullEvent);
}

TEST(ToolboxHooks, AFullEventQueueLosesItsOldestEvents) {
    EventRecord e;
    while (GetNextEvent(everyEvent, &e)) {
    }
    for (UInt32 i = 0; i < 100; i++) PostEvent(keyDown, i);
    UInt32 first = ~0u, count = 0;
    while (GetNextEvent(everyEvent, &e)) {
        if (first == ~0u) first = UInt32(e.message);
        count++;
    }
    EXPECT_EQ(count, 64u);
    EXPECT_EQ(first, 36u);
}

TEST(ToolboxHooks, AWindowOutlineWithoutThemesIsItsFrame) {
    Rect frame = {10, 20, 90, 220};
    RgnHandle outline = OrvaCalculateThemeWindowPhysicalRegion(nullptr, &frame, true);
    ASSERT_NE(outline, nullptr);
    Rect box;
    GetRegionBounds(outline, &box);
    EXPECT_TRUE(RectIs(box, 10, 20, 90, 220));
    DisposeRgn(outline);
    EXPECT_EQ(OrvaCalculateThemeWindowPhysicalRegion(nullptr, nullptr, false), nullptr);
}

TEST(ToolboxHooks, WaitingForAnEventNeverBlocksThePlugin) {
    StartQuickDrawForTests();  // plug-in mode
    EventRecord event;
    while (GetNextEvent(everyEvent, &event)) {
    }
    UInt32 start = TickCount();
    EXPECT_FALSE(WaitNextEvent(everyEvent, &event, 600, nullptr));
    EXPECT_LT(TickCount() - start, 300u);  // far less than the ten seconds asked for
    ASSERT_EQ(PostEvent(3, 'a'), 0);
    EXPECT_TRUE(WaitNextEvent(everyEvent, &event, 600, nullptr));
    EXPECT_EQ(event.what, 3);
}

}  // namespace
