// Test helpers for QuickDraw: starts it once in plug-in mode with HOME in a temporary folder,
// captures the error sink, opens fixed-size ports and loads the colour tables from the tests'
// resource file.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "graphics/quickdraw/ports.h"
#include "support/tool_support.h"

// Starts QuickDraw once per process (plug-in mode, HOME in a fresh temporary folder) and
// routes the error sink into the captured list.
void StartQuickDrawForTests();
std::vector<std::string> &CapturedErrors();  // messages since the last clear, queued ones pumped
// Opens port (a zeroed record of the caller's) at width x height, makes it current.
void OpenTestPort(GrafPort *port, SInt16 width, SInt16 height);
// The pixel (x, y) of the port's buffer (relative to the effective base) as 0xRRGGBB.
UInt32 PortPixel(const GrafPort *port, SInt32 x, SInt32 y);
// count pixels of row y from x on, as PortPixel reads them.
inline std::vector<UInt32> PortRow(const GrafPort *port, SInt32 y, SInt32 x, SInt32 count) {
    std::vector<UInt32> row;
    for (SInt32 i = 0; i < count; i++) row.push_back(PortPixel(port, x + i, y));
    return row;
}
// Opens the tests' resource file (resources/OrvaTests.rsr of the build tree, with the standard
// palette as 'pltt' 128) once and runs OrvaInitColorManager; false when the file is missing.
bool StartColorsForTests();
// A point's h and v, a rectangle's right and bottom (a width and height when it starts at 0, 0),
// to compare as pairs.
inline std::pair<int, int> HV(Point p) { return {p.h, p.v}; }
inline std::pair<int, int> WH(const Rect &r) { return {r.right, r.bottom}; }
// A port's surface size, frame margins included.
inline std::pair<int, int> SurfaceWH(const GrafPort *port) { return {port->width, port->height}; }
