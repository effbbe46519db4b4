// Where a turn of the mouse wheel goes: to the handlers of the window under the pointer (or
// the front one), else to the nearest vertical scroll bar of that window as arrow clicks.
#pragma once

#include "platform/core/mac_types.h"

// The wheel router the runtime calls (install it with OrvaSetWheelRouter): true when the turn
// was taken. delta > 0 scrolls down. Main thread.
Boolean OrvaRouteWheelTurn(SInt16 delta);
