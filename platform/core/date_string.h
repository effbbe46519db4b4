// Dates as the user's locale writes them.
#pragma once

#include "platform/core/mac_types.h"

// The local date of secs (seconds since 1904) in the locale's "%x" form, in MacRoman, into
// text (at most 256 bytes with the terminator). The form is not used.
void DateString(UInt32 secs, SInt16 form, char *text);
void SystemDependantDateToString(UInt32 secs, char *text);
