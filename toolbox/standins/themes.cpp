// Stand-ins for the appearance themes until the theme manager exists: nothing is drawn and
// every metric is zero.
#include "toolbox/toolbox_services.h"
#include "graphics/quickdraw/regions.h"

OSStatus RegisterAppearanceClient() { return noErr; }
OSStatus SetThemeBackground(ThemeBrush, SInt16, Boolean) { return noErr; }
OSStatus DrawThemeListBoxFrame(const Rect *, ThemeDrawState) { return noErr; }
OSStatus NormalizeThemeDrawingState() { return noErr; }

// No state is saved: callers skip the restore when this does not answer 0.
OSStatus GetThemeDrawingState(ThemeDrawingState *state) {
    if (state) *state = nullptr;
    return paramErr;
}

OSStatus SetThemeDrawingState(ThemeDrawingState, Boolean) { return noErr; }

OSStatus GetThemeTextDimensions(CFStringRef, ThemeFontID, ThemeDrawState, Boolean, Point *ioBounds,
                                SInt16 *outBaseline) {
    if (ioBounds) *ioBounds = Point{0, 0};
    if (outBaseline) *outBaseline = 0;
    return noErr;
}

OSStatus DrawThemeTextBox(CFStringRef, ThemeFontID, ThemeDrawState, Boolean, const Rect *, SInt16) { return noErr; }

OSStatus GetThemeMenuBarHeight(SInt16 *height) {
    if (height) *height = 0;
    return noErr;
}

// Without themes a window's outline is its structure rectangle.
RgnHandle OrvaCalculateThemeWindowPhysicalRegion(WindowPtr, const Rect *r, Boolean) {
    if (!r) return nullptr;
    RgnHandle region = NewRgn();
    if (region) RectRgn(region, r);
    return region;
}
void OrvaMajSkinDir() {}
void InitTheme() {}
void OrvaAdjustDrawers(WindowPtr) {}
