// The music font's start-up: the font found among the installed fonts goes to the screen and
// print slots with transcoding off, and without it the slots stay empty.
#include <gtest/gtest.h>

#include <cstring>

#include "engraving/music_font.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"

namespace {

TEST(MusicFontStartUp, TheMusicFontIsFoundOrLeftOut) {
    EXPECT_FALSE(InitLentara());
    EXPECT_EQ(lentaraPrint, 0);
    OrvaFontStruct font = {};
    font.fontID = kFontIDUnassigned;
    strcpy(font.name, kNomFonteMusique);
    ASSERT_TRUE(OrvaAddFont(&font));
    ASSERT_TRUE(InitLentara());
    UInt16 id = OrvaGetFontIDFromNameStrict(kNomFonteMusique);
    EXPECT_EQ(lentaraPrint, SInt16(id));
    EXPECT_TRUE(IsFonteLentaraScreen(SInt16(id)));
    EXPECT_FALSE(OrvaGetFontTranscoding(id));
    OrvaDisposeFontList();
    OrvaSetFontesLentara(nullptr, 0);
}

}  // namespace
