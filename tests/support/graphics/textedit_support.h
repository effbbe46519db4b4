// Test helpers for TextEdit: a port in FreeMono 10 (6 pixels a character, lines of 11 with
// ascent 8), records made in it, their text and line starts, and the scripted clock.
#pragma once

#include <string>
#include <vector>

#include "graphics/text/textedit.h"

enum : SInt16 { kMonoFont = 22, kMonoSize = 10, kMonoAdvance = 6, kMonoLine = 11, kMonoAscent = 8 };

// Opens port (a zeroed record of the caller's) at width x height, white, in FreeMono 10.
void OpenTextEditPort(GrafPort *port, SInt16 width, SInt16 height);
TEHandle NewTestRecord(const Rect &dest, bool styled, const std::string &text = "");
std::string TEText(TEHandle te);
std::vector<UInt16> TELineStarts(TEHandle te);
std::string ReadTestData(const std::string &relative);  // under tests/data/graphics/textedit/
// The clock TickCount answers while set; ResetTestTicks gives the real one back.
void SetTestTicks(UInt32 ticks);
void ResetTestTicks();
