// Test helpers for the toolbox: started as the plug-in starts it (its rows installed before
// QuickDraw), and window records made through the Window Manager.
#pragma once

#include "graphics/quickdraw/window_record.h"

// The toolbox's hook rows, then QuickDraw in plug-in mode (StartQuickDrawForTests), then the
// Menu and Dialog managers. Only the first call does anything.
void StartToolboxForTests();
// The toolbox started as a standalone program on the display (GTK, the back end, QuickDraw with
// the build tree's system files, the menu bar); false, with nothing started, without a display.
// Only the first call does anything; the mode cannot be mixed with StartToolboxForTests.
bool StartStandaloneToolboxForTests();
// A visible window of procID with bounds as its content, in front of all; disposed by the caller.
WindowPtr NewToolboxTestWindow(const Rect &bounds, SInt16 procID, const char *title = "");
