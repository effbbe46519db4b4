// Window records for the tests of the floors below the Window Manager: a record with a port of
// the bounds' size at the bounds' place and the plain definition procedure, as the toolbox's
// stand-in windows have.
#pragma once

#include "graphics/quickdraw/window_record.h"

WindowPtr NewTestWindow(const Rect &bounds, Boolean visible);  // null without memory
void DisposeTestWindow(WindowPtr w);
