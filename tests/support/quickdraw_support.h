// Test helpers for QuickDraw: starts it once in plug-in mode with HOME in a temporary folder,
// captures the error sink, and opens fixed-size ports.
#pragma once

#include <string>
#include <vector>

#include "graphics/quickdraw/ports.h"

// Starts QuickDraw once per process (plug-in mode, HOME in a fresh temporary folder) and
// routes the error sink into the captured list.
void StartQuickDrawForTests();
std::vector<std::string> &CapturedErrors();  // messages since the last clear, queued ones pumped
// Opens port (a zeroed record of the caller's) at width x height, makes it current.
void OpenTestPort(GrafPort *port, SInt16 width, SInt16 height);
// The pixel (x, y) of the port's buffer (relative to the effective base) as 0xRRGGBB.
UInt32 PortPixel(const GrafPort *port, SInt32 x, SInt32 y);
