// Where the text editors ask the input method to show its window. The position is recorded,
// not read, on this platform: the input method places its own window. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

struct TextStyle;  // the text style at the caret (graphics/text/textedit.h)

// Records where the input method shows its window (global coordinates) and the text style
// there; a null style records the position with an all-zero style ((-1, -1) and null is what
// an editor losing the focus gives).
void SystemDependantIMESetPosition(SInt16 v, SInt16 h, const TextStyle *style);
Point OrvaGetStandInIMEPosition();        // the last recorded position, (-1, -1) before any
Boolean OrvaGetIMEStyle(TextStyle *style);  // the style last recorded; false before any call
