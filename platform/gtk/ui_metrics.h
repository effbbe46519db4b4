// Interface metrics read from GTK's settings and the default screen (main thread).
#pragma once

#include "platform/core/mac_types.h"

SInt16 SystemDependantGetBorderWidth();       // 4
SInt32 SystemDependantGetDoubleClickTimeMs();  // "gtk-double-click-time", 500 without GTK settings
SInt32 SystemDependantGetCursorBlinkTimeMs();  // "gtk-cursor-blink-time", 1200 without GTK settings
Boolean SystemDependantGetScreenSize(SInt16 *width, SInt16 *height);  // false without a display
