// The default theme's metrics, the one record every part of the toolbox measures its chrome
// with: window frames and title bars, the menu bar, the interface font. Main thread.
#pragma once

#include "platform/core/mac_types.h"

struct ThemeMetricsRecord {
    SInt16 titleBarHeight;  // pixels of a document window's title bar, above its content
    SInt16 closeBoxSize;    // square, in the title bar
    SInt16 closeBoxInset;   // from the title bar's left end
    SInt16 frameWidth;      // pixels of the frame round a window (a plain box has none)
    SInt16 shadowWidth;     // below and right of a shadowed box
    SInt16 cornerRadius;    // of a rounded window's four corners
    SInt16 menuBarHeight;   // of a standalone menu bar (none in the plug-in)
    SInt16 menuTitleGap;    // pixels between two menu titles and before the first
    SInt16 fontSize;        // the interface font's size
    SInt16 scrollBarWidth;  // of a scroll bar, and the side of its arrows
};

// The theme's colours: 16-bit components.
enum : UInt16 {
    kThemeLightGrey = 0xEEEE,  // backgrounds: dialogs, palettes, title bars, the menu bar
    kThemeFrameGrey = 0x5555,  // window frames and control outlines
    kThemeInactiveGrey = 0xA000,
};

const ThemeMetricsRecord *OrvaGetThemeMetrics();
// The menu bar's height now: 0 inside the plug-in or with the settings' no-menu-bar flag.
SInt16 OrvaThemeMenuBarHeight();
// The interface font's number (the best localized font of the font list, else the system
// font 0), at OrvaGetThemeMetrics()->fontSize.
SInt16 OrvaThemeFont();
