// ctest-labels: toolbox-ui
// Wheel turns routed to the window under the pointer.
#include "toolbox/carbon/wheel_routing.h"

#include <gtest/gtest.h>

#include "platform/core/runtime.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/controls.h"
#include "toolbox/events.h"
#include "toolbox/toolbox_services.h"
#include "toolbox/windows.h"

namespace {

TEST(WheelRouting, ATurnFindsNoWindowUntilThereAreWindows) {
    OrvaSetMousePos(Point{100, 200}, kFalse);
    EXPECT_FALSE(OrvaRouteWheelTurn(3));
    EventRecord e;
    EXPECT_FALSE(GetNextEvent(everyEvent, &e));  // nothing was clicked
}

}  // namespace

// With the real Window and Control managers: a scroll bar takes the turns no handler took.
namespace {

SInt16 gActions = 0;
SInt16 gLastPart = 0;
void CountAction(ControlHandle, SInt16 part) {
    gActions++;
    gLastPart = part;
}

OSStatus TakeWheel(const OrvaCarbonEvent *, Collection, void *taken) {
    ++*static_cast<int *>(taken);
    return noErr;
}

TEST(WheelRoutingWithControls, ATurnClicksTheScrollBarsArrowAndRepeatsItsAction) {
    StartToolboxForTests();
    FlushEvents(everyEvent, 0);
    WindowPtr w = NewToolboxTestWindow(Rect{100, 100, 300, 400}, 0);
    Rect barRect = {0, 284, 200, 300};  // a vertical bar along the right edge
    ControlHandle bar = NewControl(w, &barRect, nullptr, kTrue, 5, 0, 10, scrollBarProc, 0);
    ASSERT_NE(bar, nullptr);
    OrvaSetWheelRouter(OrvaRouteWheelTurn);
    OrvaSetMousePos(Point{200, 200}, kFalse);  // over the content, left of the bar
    ASSERT_TRUE(OrvaProcessWheelMouse(3));  // towards the user: down

    EventRecord e;
    ASSERT_TRUE(GetNextEvent(everyEvent, &e));
    ASSERT_EQ(e.what, mouseDown);
    Point local = e.where;
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&w->port);
    GlobalToLocal(&local);
    SetPort(saved);
    ControlHandle hit = nullptr;
    EXPECT_EQ(FindControl(local, w, &hit), kControlDownButtonPart);  // the lower arrow
    EXPECT_EQ(hit, bar);
    EXPECT_EQ(OrvaGetForcedWheelSteps(), 3);
    gActions = 0;
    EXPECT_EQ(HandleControlClick(hit, local, 0, CountAction), kControlDownButtonPart);
    EXPECT_EQ(gActions, 3);
    EXPECT_EQ(gLastPart, kControlDownButtonPart);
    ASSERT_TRUE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, mouseUp);

    // A turn upwards clicks the upper arrow; a handler of the window takes turns first.
    ASSERT_TRUE(OrvaProcessWheelMouse(-3));
    ASSERT_TRUE(GetNextEvent(mDownMask, &e));
    local = e.where;
    SetPort(&w->port);
    GlobalToLocal(&local);
    SetPort(saved);
    EXPECT_EQ(FindControl(local, w, &hit), kControlUpButtonPart);
    FlushEvents(everyEvent, 0);
    int taken = 0;
    OrvaInstallWindowEventHandler(w, FourCC("mous"), 10, TakeWheel, &taken);
    ASSERT_TRUE(OrvaProcessWheelMouse(3));
    EXPECT_FALSE(GetNextEvent(mDownMask, &e));  // no click this time
    EXPECT_EQ(taken, 1);
    OrvaForceWheelTrack(0);
    DisposeWindow(w);
    OrvaSetWheelRouter(nullptr);
}

}  // namespace
