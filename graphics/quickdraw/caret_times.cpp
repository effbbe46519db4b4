// The caret blink and double-click intervals of the platform, in ticks. Kept apart from the
// ports so that only their callers need the OS utilities.
#include "graphics/quickdraw/ports.h"

// OS utilities: the platform's intervals, in ticks.
SInt16 OrvaWindowsGetDblTime();
SInt32 OrvaWindowsGetCaretTime();

SInt16 GetCaretTime() { return SInt16(OrvaWindowsGetCaretTime()); }

SInt16 GetDblTime() { return OrvaWindowsGetDblTime(); }
