// Interface metrics read from GTK's settings and the default screen: the back end's screen row
// (platform/core/back_end.h). Main thread.
#pragma once

#include "platform/core/mac_types.h"

SInt16 GTKGetBorderWidth();       // 4
SInt32 GTKGetDoubleClickTimeMs();  // "gtk-double-click-time", 500 without GTK settings
SInt32 GTKGetCursorBlinkTimeMs();  // "gtk-cursor-blink-time", 1200 without GTK settings
Boolean GTKGetScreenSize(SInt16 *width, SInt16 *height);  // false without a display
