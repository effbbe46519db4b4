// The appearance theme: one built-in theme (light grey brushes, 1-pixel frames, the metrics of
// theme_metrics.h) that draws list-box frames, themed text boxes and backgrounds, and saves and
// restores a port's drawing state around themed drawing. Theme folders ("Setup.txt" with
// bitmaps) are not read: every theme name gives this one. Main thread.
#pragma once

#include "toolbox/toolbox_services.h"

// Theme font numbers.
enum : ThemeFontID {
    kThemeSystemFont = 0,
    kThemeSmallSystemFont = 1,
    kThemeSmallEmphasizedSystemFont = 2,
    kThemeViewsFont = 3,
    kThemeEmphasizedSystemFont = 4,
    kThemeApplicationFont = 5,
    kThemeLabelFont = 6,
    kThemeCurrentPortFont = 200,
};
// Justifications of DrawThemeTextBox, as TextBox takes them.
enum : SInt16 { kThemeFlushDefault = 0, kThemeCenter = 1, kThemeFlushRight = -1, kThemeFlushLeft = -2 };
enum : ThemeBrush { kThemeBrushDialogBackground = 1, kThemeBrushPaletteBackground = 7 };

// The procedures of the toolbox's hook record (graphics/toolbox_hooks.h).
OSStatus OrvaThemeGetDrawingState(ThemeDrawingState *state);  // 0 and a new record; memFullErr
OSStatus OrvaThemeSetDrawingState(ThemeDrawingState state, Boolean disposeNow);
void OrvaThemeUpdateFolder();   // the "Themes" folder of the preferences exists afterwards
void OrvaThemeStart();          // reads "settings.txt" there; sets the one theme; redraws
void OrvaThemeAdjustDrawers(WindowPtr w);  // no drawers exist: nothing

// The theme name "settings.txt" named at the last start ("Default" when none): reported only.
const char *OrvaThemeName();
// The interface font, size and face of a theme font number (the current port's for 200).
void OrvaThemeFontOf(ThemeFontID font, SInt16 *fontID, SInt16 *size, UInt8 *face);
