// Stand-ins for the appearance themes until the theme manager exists: nothing is drawn and
// every metric is zero.
#include "toolbox/toolbox_services.h"

OSStatus RegisterAppearanceClient() { return noErr; }
OSStatus SetThemeBackground(ThemeBrush, SInt16, Boolean) { return noErr; }
OSStatus DrawThemeListBoxFrame(const Rect *, ThemeDrawState) { return noErr; }
OSStatus NormalizeThemeDrawingState() { return noErr; }

OSStatus GetThemeTextDimensions(CFStringRef, ThemeFontID, ThemeDrawState, Boolean, Point *ioBounds,
                                SInt16 *outBaseline) {
    if (ioBounds) *ioBounds = Point{0, 0};
    if (outBaseline) *outBaseline = 0;
    return noErr;
}

OSStatus DrawThemeTextBox(CFStringRef, ThemeFontID, ThemeDrawState, Boolean, const Rect *, SInt16) { return noErr; }
