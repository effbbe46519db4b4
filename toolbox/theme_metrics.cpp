// The default theme's metrics.
#include "toolbox/theme_metrics.h"

#include "graphics/text/font_table.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"

namespace {

const ThemeMetricsRecord kDefaultTheme = {
    18,  // titleBarHeight
    12,  // closeBoxSize
    6,   // closeBoxInset
    1,   // frameWidth
    2,   // shadowWidth
    8,   // cornerRadius
    22,  // menuBarHeight
    10,  // menuTitleGap
    11,  // fontSize
    16,  // scrollBarWidth
};

// Main thread only: the interface font is looked up once.
struct ThemeFontState {
    Boolean known = kFalse;
    SInt16 font = 0;
};
ThemeFontState gThemeFont;

}  // namespace

const ThemeMetricsRecord *OrvaGetThemeMetrics() { return &kDefaultTheme; }

SInt16 OrvaThemeMenuBarHeight() {
    if (OrvaIsPlugin() || orvaSettings.noMenuBar) return 0;
    return kDefaultTheme.menuBarHeight;
}

SInt16 OrvaThemeFont() {
    if (gThemeFont.known) return gThemeFont.font;
    char name[256] = "";
    SInt16 font = 0;
    if (SystemDependantGetBestLocalizedFont(nullptr, name)) GetFNum(name, &font);
    // Kept once found; before the font list is built the system font answers for now.
    gThemeFont.font = font;
    gThemeFont.known = font != 0;
    return font;
}
