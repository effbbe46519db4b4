// Wheel turns routed to the window under the pointer.
#include "toolbox/carbon/wheel_routing.h"

#include <gtest/gtest.h>

#include "toolbox/toolbox_services.h"

namespace {

TEST(WheelRouting, ATurnFindsNoWindowUntilThereAreWindows) {
    OrvaSetMousePos(Point{100, 200}, kFalse);
    EXPECT_FALSE(OrvaRouteWheelTurn(3));
    EventRecord e;
    EXPECT_FALSE(GetNextEvent(everyEvent, &e));  // nothing was clicked
}

}  // namespace
