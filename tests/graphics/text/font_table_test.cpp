// ctest-labels: text text.fonts
// The font table on the test fonts: classic ids, counted ids in name order whatever pango's
// order, music-font ids, symbol fonts, strict and default lookups, metrics, the empty table,
// fonts installed at run time and the services reached through the resource layer.
#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <strings.h>

#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {

std::map<std::string, UInt16> IdsByName() {
    std::map<std::string, UInt16> ids;
    for (SInt32 i = 0; i < OrvaGetNbFonts(); i++) ids[OrvaGetFontNameFromIndex(i)] = OrvaGetFontIDFromIndex(i);
    return ids;
}

// A new list from the same fonts, the test symbol font marked a symbol font again.
void RebuildFontList() {
    OrvaDisposeFontList();
    OrvaGetFontList();
    OrvaSetFontTranscodingByName("OrvaTestSymbol", 0);
}

OrvaFontStruct Descriptor(const char *name, UInt16 id = kFontIDUnassigned) {
    OrvaFontStruct font;
    std::memset(&font, 0, sizeof font);
    font.fontID = id;
    std::strcpy(font.name, name);
    std::strcpy(font.secondName, name);
    font.transcoding = 1;
    return font;
}

class FontTable : public ::testing::Test {
protected:
    void SetUp() override { StartTextForTests(); }
    void TearDown() override {
        OrvaSetFontSearchStrict(0);
        OrvaSetFontFamilyOrderHook(nullptr);
    }
};

TEST_F(FontTable, ClassicIdsResolveToTheTestFonts) {
    struct Row {
        UInt16 id;
        const char *name;
    } rows[] = {{0, "DejaVu Sans"},     {1, "DejaVu Sans"},  {3, "DejaVu Sans"}, {0xE200, "DejaVu Sans"},
                {20, "FreeSerif"},      {0xE100, "FreeSerif"}, {0xE180, "FreeSerif"}, {21, "FreeSans"},
                {0xE281, "FreeSans"},   {22, "FreeMono"},    {0xE380, "FreeMono"}, {0xE300, "FreeMono"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_STREQ(OrvaGetFontNameFromID(row.id), row.name);
    }
    EXPECT_TRUE(OrvaAddDefaultMultipleFont(0xE999, "No Such Font", "FreeMono", "FreeSans", nullptr));
    EXPECT_STREQ(OrvaGetFontNameFromID(0xE999), "FreeMono");
    EXPECT_FALSE(OrvaAddDefaultMultipleFont(0xE998, "No Such Font", nullptr));
    EXPECT_TRUE(OrvaAddDefaultMultipleFont(20, "FreeSans", nullptr));  // 20 resolves already: kept
    EXPECT_STREQ(OrvaGetFontNameFromID(20), "FreeSerif");
    // The resource layer answers through the table: number 1 is read as 3.
    char name[256];
    GetFontName(1, name);
    EXPECT_STREQ(name, "DejaVu Sans");
    SInt16 id = 0;
    GetFNum("FreeMono", &id);
    EXPECT_EQ(UInt16(id), OrvaGetFontIDFromNameStrict("FreeMono"));
    EXPECT_GE(UInt16(id), kFontIDFirstCounted);
}

TEST_F(FontTable, CountedIdsFollowNameOrderWhateverPangosOrder) {
    RebuildFontList();  // the run-time font came last; from now on it has its place by name
    std::map<std::string, UInt16> before = IdsByName();
    std::vector<std::pair<UInt16, std::string>> counted;
    for (const auto &entry : before)
        if (entry.second >= kFontIDFirstCounted && entry.second < kFontIDFirstCounted + 1000)
            counted.push_back({entry.second, entry.first});
    std::sort(counted.begin(), counted.end());
    ASSERT_GE(counted.size(), 6u);
    for (size_t i = 1; i < counted.size(); i++) {
        SCOPED_TRACE(counted[i].second);
        EXPECT_LE(strcasecmp(counted[i - 1].second.c_str(), counted[i].second.c_str()), 0);
    }
    // Reversed, then rotated: pango's own order must not matter.
    OrvaSetFontFamilyOrderHook([](void **families, SInt32 count) { std::reverse(families, families + count); });
    RebuildFontList();
    EXPECT_EQ(IdsByName(), before);
    OrvaSetFontFamilyOrderHook([](void **families, SInt32 count) { std::rotate(families, families + 1, families + count); });
    RebuildFontList();
    EXPECT_EQ(IdsByName(), before);
}

TEST_F(FontTable, MusicFontNamesGiveTheirOwnIdsAndFiguredBassItsFixedMetrics) {
    OrvaFontStruct chords, bass;
    SystemDependantMakeFontStruct("Zu Chords", &chords);
    SystemDependantMakeFontStruct("Zu Figured Bass", &bass);
    EXPECT_EQ(chords.fontID, kFontIDUnassigned);
    EXPECT_EQ(chords.transcoding, 1);
    EXPECT_EQ(chords.menuKind, 1);
    EXPECT_EQ(bass.ascent, 700);
    EXPECT_EQ(bass.descent, 146);
    EXPECT_EQ(bass.leading, 0);
    ASSERT_TRUE(OrvaAddFont(&chords));
    ASSERT_TRUE(OrvaAddFont(&bass));
    EXPECT_EQ(OrvaGetFontIDFromNameStrict("Zu Chords"), 0xEA3B);
    // 'F' and 'i': 5 and 8.
    EXPECT_EQ(OrvaGetFontIDFromNameStrict("Zu Figured Bass"), 0xEA00 + 26 * 5 + 8);
    RebuildFontList();
}

TEST_F(FontTable, ANameIsListedOnceWhateverItsCase) {
    SInt32 count = OrvaGetNbFonts();
    OrvaFontStruct copy = Descriptor("dejavu SANS");
    EXPECT_FALSE(OrvaAddFont(&copy));
    EXPECT_EQ(OrvaGetNbFonts(), count);
    OrvaGetFontList();  // listing again adds nothing
    EXPECT_EQ(OrvaGetNbFonts(), count);
}

TEST_F(FontTable, IdsOfTheSymbolBlockAreSymbolFonts) {
    OrvaFontStruct font = Descriptor("Orva Block Symbol", 0xF123);
    ASSERT_TRUE(OrvaAddFont(&font));
    EXPECT_EQ(OrvaGetFontStructFromID(0xF123)->transcoding, 0);
    EXPECT_FALSE(OrvaGetFontTranscoding(0xF123));
    OrvaSetFontTranscoding(0xF123, 1);  // the flag can still be set later, by the caller's choice
    EXPECT_TRUE(OrvaGetFontTranscoding(0xF123));
    // The run-time test font is a symbol font by its installer's word, with a counted id.
    UInt16 symbol = TestSymbolFontID();
    ASSERT_NE(symbol, kFontIDNone);
    EXPECT_EQ(OrvaGetFontStructFromID(symbol)->transcoding, 0);
    RebuildFontList();
}

TEST_F(FontTable, StrictLookupsAnswerNoneAndOthersTheDefaultFont) {
    UInt16 defaultID = OrvaGetFontIDFromNameStrict("DejaVu Sans");
    EXPECT_EQ(OrvaGetFontIDFromName("No Such Font"), defaultID);
    EXPECT_STREQ(OrvaGetFontNameFromID(4321), "DejaVu Sans");
    EXPECT_EQ(OrvaGetFontIDFromNameStrict("No Such Font"), kFontIDNone);
    EXPECT_EQ(OrvaGetFontIDFromName("freeserif"), OrvaGetFontIDFromNameStrict("FreeSerif"));
    OrvaSetFontSearchStrict(1);
    EXPECT_EQ(OrvaGetFontStructFromName("No Such Font"), nullptr);
    EXPECT_EQ(OrvaGetFontIndexFromName("No Such Font"), -1);
    EXPECT_EQ(OrvaGetFontIDFromName("No Such Font"), 0);
    EXPECT_EQ(OrvaGetFontStructFromID(4321), nullptr);
    EXPECT_STREQ(OrvaGetFontNameFromID(4321), "");
    EXPECT_STREQ(OrvaGetFontNameFromID(20), "FreeSerif");  // the default lookup still answers
}

TEST_F(FontTable, MetricsArePerMilleOfTheSize) {
    const OrvaFontStruct *sans = OrvaGetFontStructFromName("DejaVu Sans");
    ASSERT_NE(sans, nullptr);
    EXPECT_NEAR(sans->ascent, 929, 1);
    EXPECT_NEAR(sans->descent, 236, 1);
    EXPECT_EQ(sans->leading, (sans->ascent + sans->descent) / 20);
    FontInfo info = {-1, -1, 77, -1};
    OrvaGetFontInfo(22, 10, &info);
    EXPECT_EQ(info.ascent, 8);
    EXPECT_EQ(info.descent, 2);
    EXPECT_EQ(info.leading, 1);  // 0.5 comes out as 0 and is raised to 1
    EXPECT_EQ(info.widMax, 77);
    OrvaGetFontInfo(22, 0, &info);  // size 0 is 12
    EXPECT_EQ(info.ascent, 12 * OrvaGetFontStructFromID(22)->ascent / 1000);
    FontInfo unknown, sansInfo;
    OrvaGetFontInfo(4321, 20, &unknown);
    OrvaGetFontInfo(0, 20, &sansInfo);
    EXPECT_EQ(unknown.ascent, sansInfo.ascent);
}

TEST_F(FontTable, AnEmptyTableAnswersNoneEverywhere) {
    OrvaDisposeFontList();
    EXPECT_EQ(OrvaGetNbFonts(), 0);
    EXPECT_EQ(OrvaGetFontStructFromID(0), nullptr);
    EXPECT_EQ(OrvaGetFontIndexFromID(3), -1);
    EXPECT_EQ(OrvaGetFontStructFromIndex(0), nullptr);
    EXPECT_EQ(OrvaGetFontIDFromName("DejaVu Sans"), 0);
    EXPECT_STREQ(OrvaGetFontNameFromID(3), "");
    EXPECT_STREQ(OrvaGetFontNameFromIndex(0), "");
    char name[256] = "x";
    EXPECT_FALSE(SystemDependantGetBestLocalizedFont(nullptr, name));
    FontInfo info = {5, 5, 5, 5};
    OrvaGetFontInfo(3, 12, &info);
    EXPECT_EQ(info.ascent + info.descent + info.widMax + info.leading, 0);
    EXPECT_EQ(FMGetFontFamilyFromName("DejaVu Sans"), -1);
    RebuildFontList();
    EXPECT_STREQ(OrvaGetFontNameFromID(3), "DejaVu Sans");
}

TEST_F(FontTable, NamesForMenusAndCharsets) {
    char name[256];
    EXPECT_TRUE(SystemDependantGetBestLocalizedFont(nullptr, name));
    EXPECT_STREQ(name, "DejaVu Sans");
    std::strcpy(name, "DejaVu");
    OrvaAdapteNomFonteCharset(name, 1);
    EXPECT_STREQ(name, "DejaVu Sans");
    std::strcpy(name, "dejavu");  // the prefix is matched with its letter case
    OrvaAdapteNomFonteCharset(name, 1);
    EXPECT_STREQ(name, "dejavu");
    std::strcpy(name, "DejaVu");
    OrvaAdapteNomFonteCharset(name, 2);
    EXPECT_STREQ(name, "DejaVu");
    std::strcpy(name, "A;b\r^c!d<e/f(g-h");
    OrvaStrippeNomFonte(name);
    EXPECT_STREQ(name, "Abcdefgh");
}

TEST_F(FontTable, LongNamesAreCutAtACharacterBoundary) {
    std::string longName = "Orva ";
    while (longName.size() < 400) longName += "\xc3\xa9";  // é, two bytes each
    OrvaFontStruct font;
    SystemDependantMakeFontStruct(longName.c_str(), &font);
    size_t length = strlen(font.name);
    EXPECT_LE(length, 255u);
    EXPECT_TRUE(g_utf8_validate(font.name, -1, nullptr));
    EXPECT_EQ(std::string(font.name), longName.substr(0, length));
    char cut[256];
    OrvaCopyFontName(cut, longName.c_str());
    EXPECT_STREQ(cut, font.name);
}

TEST_F(FontTable, FontFilesInstalledAtRunTime) {
    EXPECT_FALSE(SystemDependantInstalleFonteLocale(TestSourcePath("tests/fonts/missing.ttf").c_str(), false));
    EXPECT_FALSE(SystemDependantInstalleFonteLocale(nullptr, false));
    UInt16 symbol = TestSymbolFontID();
    ASSERT_NE(symbol, kFontIDNone);
    EXPECT_GE(symbol, kFontIDFirstCounted);
    // Installing again keeps the id and can turn the font into a text font.
    SInt32 count = OrvaGetNbFonts();
    EXPECT_TRUE(SystemDependantInstalleFonteLocale(TestSourcePath("tests/fonts/OrvaTestSymbol.ttf").c_str(), false));
    EXPECT_EQ(OrvaGetNbFonts(), count);
    EXPECT_EQ(TestSymbolFontID(), symbol);
    EXPECT_EQ(OrvaGetFontStructFromID(symbol)->transcoding, 1);
    EXPECT_TRUE(SystemDependantInstalleFonteLocale(TestSourcePath("tests/fonts/OrvaTestSymbol.ttf").c_str(), true));
    EXPECT_EQ(OrvaGetFontStructFromID(symbol)->transcoding, 0);
}

TEST_F(FontTable, RightToLeftAndShiftJisPositions) {
    const UniChar hebrew[] = {0x05D0, 0}, latin[] = {'a', 0};
    OrvaFixeRLSelonTexte(hebrew);
    EXPECT_TRUE(OrvaIsRL());
    OrvaFixeRLSelonTexte(latin);
    EXPECT_FALSE(OrvaIsRL());
    // Positions move only under the Japanese interface, and only inside a character.
    const UInt8 text[] = {'a', 0x93, 0xFA, 'b'};
    EXPECT_EQ(OrvaAjustePosJis(text, 4, 2, 1), 2);
    OrvaFixeLangue(kLanguageJapanese);
    EXPECT_EQ(OrvaAjustePosJis(text, 4, 2, 1), 3);
    EXPECT_EQ(OrvaAjustePosJis(text, 4, 2, -1), 1);
    EXPECT_EQ(OrvaAjustePosJis(text, 4, 3, 1), 3);
    EXPECT_EQ(OrvaAjustePosJis(text, 2, 2, 1), 2);  // a lead byte at the end stands alone
    OrvaFixeLangue(1);
}

TEST_F(FontTable, NativeCharsetOfThePortFont) {
    GrafPort port;
    OpenTestPort(&port, 20, 20);
    const char e[] = {char(0x8E)};  // é in MacRoman
    SInt32 length = -1;
    Boolean sjis = 1;
    Ptr converted = OrvaConvertitTexteEnCharsetNatif(&port, e, 0, 1, &length, &sjis);
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(std::string(converted, size_t(length)), "\xc3\xa9");
    EXPECT_FALSE(sjis);
    DisposPtr(converted);
    OrvaSetTranscodeCharset(0);
    converted = OrvaConvertitTexteEnCharsetNatif(&port, e, 0, 1, &length, &sjis);
    EXPECT_EQ(std::string(converted, size_t(length)), std::string(e, 1));
    DisposPtr(converted);
    OrvaSetTranscodeCharset(1);
    const UInt8 nihon[] = {0x93, 0xFA, 0x96, 0x7B};
    OrvaFixeLangue(kLanguageJapanese);
    converted = OrvaConvertitTexteEnCharsetNatif(&port, nihon, 0, 4, &length, &sjis);
    OrvaFixeLangue(1);
    ASSERT_NE(converted, nullptr);
    EXPECT_TRUE(sjis);
    ASSERT_EQ(length, 2);
    EXPECT_EQ(((UniChar *)converted)[0], 0x65E5);
    DisposPtr(converted);
    EXPECT_EQ(OrvaConvertitTexteEnCharsetNatif(&port, e, 0, 0, &length, &sjis), nullptr);
    EXPECT_EQ(length, 0);
    ClosePort(&port);
}

TEST_F(FontTable, MaxMemPurgesTheBitmapFontCache) {
    InitFonts();
    orvaBitmapFonts.current.font = 3;
    orvaBitmapFonts.current.size = 12;
    orvaBitmapFonts.recent[1].font = 20;
    UInt32 grow = 0;
    MaxMem(&grow);
    EXPECT_EQ(orvaBitmapFonts.current.font, -1);
    EXPECT_EQ(orvaBitmapFonts.current.size, -1);
    EXPECT_EQ(orvaBitmapFonts.recent[1].font, -1);
    ASSERT_NE(orvaBitmapFonts.glyphCache, nullptr);
    EXPECT_EQ(GetHandleSize(orvaBitmapFonts.glyphCache), 0u);
    orvaBitmapFonts.current.font = 3;
    OrvaInvalidateCachedFont();
    EXPECT_EQ(orvaBitmapFonts.current.font, -1);
}

}  // namespace
