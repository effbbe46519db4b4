// The caret blink and double-click intervals of the platform, in ticks.
#include "graphics/quickdraw/ports.h"
#include "platform/core/os_utilities.h"

SInt16 GetCaretTime() { return SInt16(OrvaWindowsGetCaretTime()); }

SInt16 GetDblTime() { return OrvaWindowsGetDblTime(); }
