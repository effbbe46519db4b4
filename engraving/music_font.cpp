// The music font found among the installed fonts and given to the screen and print slots.
#include "engraving/music_font.h"

#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"

const char kNomFonteMusique[] = "Quorella";

Boolean InitLentara() {
    SInt16 screen[kLentaraScreenFonts] = {0, 0, 0};
    UInt16 id = OrvaGetFontIDFromNameStrict(kNomFonteMusique);
    if (id == kFontIDNone) {
        // Printing takes the font shown at 72 dpi, the first screen slot: none here.
        OrvaSetFontesLentara(screen, screen[0]);
        return kFalse;
    }
    for (SInt16 &slot : screen) slot = SInt16(id);
    OrvaSetFontesLentara(screen, SInt16(id));
    OrvaSetFontTranscoding(id, kFalse);
    return kTrue;
}
