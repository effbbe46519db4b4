// The music fonts the score engine has loaded, and the interface language test.
#include "graphics/text/font_services.h"

#include "graphics/toolbox_hooks.h"
#include "platform/core/language.h"
#include "platform/core/runtime.h"

SInt16 lentaraPrint;

namespace {
// The screen music fonts loaded, 0 for none. Main thread only.
SInt16 gLentaraScreen[kLentaraScreenFonts];
}  // namespace

Boolean IsFonteLentaraScreen(SInt16 fontID) {
    for (SInt16 id : gLentaraScreen)
        if (id != 0 && id == fontID) return true;
    return false;
}

Boolean IsCurrentLanguageJaponais() { return OrvaGetLangue() == kLanguageJapanese; }

void OrvaSetFontesLentara(const SInt16 screen[kLentaraScreenFonts], SInt16 print) {
    for (SInt32 i = 0; i < kLentaraScreenFonts; i++) gLentaraScreen[i] = screen ? screen[i] : 0;
    lentaraPrint = print;
}
