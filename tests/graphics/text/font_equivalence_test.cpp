// ctest-labels: text text.fonteq
// Font-name equivalence on fixture files and the shipped "FontReplace.txt", with only the test
// fonts installed: classes, comments and blanks, transitive classes, cycles, hostile files,
// the font id of any name, and the PostScript font list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/text/font_equivalence.h"
#include "graphics/text/font_table.h"
#include "platform/core/runtime.h"
#include "support/graphics/text_support.h"

namespace {

std::string Fixture(const char *name) { return TestSourcePath(std::string("tests/data/graphics/text/") + name); }

struct Conversion {
    std::string requested, chosen;
    SInt16 id;
    Boolean replaced;
    int calls;
};
Conversion gLastConversion;

void RememberConversion(const char *requested, const char *chosen, SInt16 id, Boolean replaced) {
    gLastConversion = {requested, chosen, id, replaced, gLastConversion.calls + 1};
}

std::string gAlertText;
const OrvaMessageHooks kCaptureCollapse = {[](const char *m) { gAlertText = m; }, nullptr, nullptr, nullptr};

class FontEquivalence : public ::testing::Test {
protected:
    void SetUp() override {
        StartTextForTests();
        gLastConversion = {};
        gAlertText.clear();
    }
    void TearDown() override {
        ExtendedSetFontConversionCallback(nullptr);
        OrvaSetMessageHooks(nullptr);
        FontEQProcessPreferenceFile(nullptr);
    }
    static SInt16 Answer(const char *name, std::string *out = nullptr) {
        char buffer[256] = "untouched";
        SInt16 result = FontEQName(name, buffer);
        if (out) *out = buffer;
        return result;
    }
};

TEST_F(FontEquivalence, NamesTakeTheFirstInstalledNameOfTheirClasses) {
    ASSERT_TRUE(OrvaFontEQLoadFile(Fixture("fontreplace_classes.txt").c_str()));
    std::string out;
    EXPECT_EQ(Answer("Arial", &out), 1);
    EXPECT_EQ(out, "FreeSans");
    EXPECT_EQ(Answer("Helvetica", &out), 1);
    EXPECT_EQ(out, "FreeSans");
    EXPECT_EQ(Answer("FreeSans", &out), 2);
    EXPECT_EQ(out, "FreeSans");
    EXPECT_EQ(Answer("Tms", &out), 1);
    EXPECT_EQ(out, "FreeSerif");
    // Transitive through shared names: Foo Sans, Bar Sans, Baz Sans, then FreeMono.
    EXPECT_EQ(Answer("Foo Sans", &out), 1);
    EXPECT_EQ(out, "FreeMono");
    // No installed member: "Default", and the equivalent of Times New Roman is offered.
    EXPECT_EQ(Answer("Zapf Chancery", &out), 0);
    EXPECT_EQ(out, "FreeSerif");
    EXPECT_EQ(Answer("Nowhere", &out), -1);
    EXPECT_EQ(out, "FreeSerif");
    EXPECT_EQ(Answer("Default", &out), 1);  // asked as Times New Roman
    EXPECT_EQ(out, "FreeSerif");
    EXPECT_EQ(Answer("arial"), -1);  // names compare exactly
    EXPECT_EQ(Answer(""), -1);
}

TEST_F(FontEquivalence, BlanksCommentsAndLineEnds) {
    ASSERT_TRUE(OrvaFontEQLoadFile(Fixture("fontreplace_blanks.txt").c_str()));
    std::string out;
    EXPECT_EQ(Answer("Times "), 0);  // the blank before the comma belongs to the name
    EXPECT_EQ(Answer("Times"), -1);
    EXPECT_EQ(Answer("Tms Rmn"), 0);
    EXPECT_EQ(Answer("# only a comment"), -1);
    EXPECT_EQ(Answer("Courier\t", &out), 1);  // the last line has no line end
    EXPECT_EQ(out, "FreeMono");
    EXPECT_EQ(Answer("Courier"), -1);
    EXPECT_EQ(Answer("Nowhere", &out), -1);
    EXPECT_EQ(out, "untouched");  // no Times New Roman here
}

TEST_F(FontEquivalence, CyclesAndLongChainsEnd) {
    ASSERT_TRUE(OrvaFontEQLoadFile(Fixture("fontreplace_cycles.txt").c_str()));
    for (const char *name : {"Alpha", "Beta", "Gamma", "Delta", "Epsilon"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Answer(name), 0);
    }
    // A chain of classes, each sharing a name with the next, ending in an installed font.
    std::string chain;
    const int links = 3000;
    for (int i = 0; i < links; i++) chain += "Link " + std::to_string(i) + ", Link " + std::to_string(i + 1) + "\n";
    chain += "Link " + std::to_string(links) + ", FreeMono\n";
    FontEQProcessPreferenceFile(chain.c_str());
    std::string out;
    EXPECT_EQ(Answer("Link 0", &out), 1);
    EXPECT_EQ(out, "FreeMono");
    EXPECT_EQ(Answer("Link 2999", &out), 1);
}

TEST_F(FontEquivalence, HostileFiles) {
    EXPECT_FALSE(OrvaFontEQLoadFile(Fixture("no_such_file.txt").c_str()));
    EXPECT_EQ(Answer("Arial"), -1);
    SInt16 id = 99;
    EXPECT_EQ(GetClosestIDFontFromName("Arial", &id, nullptr), 2);
    EXPECT_EQ(id, 1);

    ASSERT_TRUE(OrvaFontEQLoadFile(Fixture("fontreplace_utf16.txt").c_str()));
    std::string out;
    EXPECT_EQ(Answer("Caf\xc3\xa9 Sans", &out), 1);
    EXPECT_EQ(out, "FreeSans");

    // Names longer than a field are cut; bytes that are not UTF-8 are names like others.
    std::string longName(400, 'L');
    std::string text = longName + ", FreeSans\n\xff\xfe bad, FreeSerif\n,,,,\n\n  ,\t,";
    FontEQProcessPreferenceFile(text.c_str());
    EXPECT_EQ(Answer(longName.substr(0, 255).c_str(), &out), 1);
    EXPECT_EQ(out, "FreeSans");
    EXPECT_EQ(Answer("\xff\xfe bad", &out), 1);
    EXPECT_EQ(out, "FreeSerif");
    FontEQProcessPreferenceFile("");
    EXPECT_EQ(Answer("FreeSans"), -1);
    // Thousands of classes.
    std::string many;
    for (int i = 0; i < 5000; i++) many += "Class " + std::to_string(i) + " A, Class " + std::to_string(i) + " B\n";
    many += "Class 4999 B, FreeSans";
    FontEQProcessPreferenceFile(many.c_str());
    EXPECT_EQ(Answer("Class 4999 A", &out), 1);
    EXPECT_EQ(Answer("Class 0 A"), 0);
}

TEST_F(FontEquivalence, TheShippedFileCoversTheCommonNames) {
    ASSERT_TRUE(OrvaFontEQLoadFile(TestSourcePath("data/FontReplace.txt").c_str()));
    struct Row {
        const char *name, *installed;
    } rows[] = {{"Arial", "FreeSans"},           {"Helvetica", "FreeSans"},      {"Times New Roman", "FreeSerif"},
                {"Times", "FreeSerif"},          {"Courier New", "FreeMono"},    {"Verdana", "DejaVu Sans"},
                {"Palatino", "FreeSerif"},       {"Lucida Console", "DejaVu Sans Mono"}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        std::string out;
        EXPECT_EQ(Answer(row.name, &out), 1);
        EXPECT_EQ(out, row.installed);
    }
}

TEST_F(FontEquivalence, ClosestIdOfAnyName) {
    ASSERT_TRUE(OrvaFontEQLoadFile(Fixture("fontreplace_classes.txt").c_str()));
    ExtendedSetFontConversionCallback(RememberConversion);
    UInt16 freeSans = OrvaGetFontIDFromNameStrict("FreeSans"), freeSerif = OrvaGetFontIDFromNameStrict("FreeSerif");
    SInt16 id = 0;
    char out[256] = "untouched";
    EXPECT_EQ(GetClosestIDFontFromName("FreeSans", &id, out), 0);
    EXPECT_EQ(UInt16(id), freeSans);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(gLastConversion.calls, 0);
    EXPECT_EQ(GetClosestIDFontFromName("Arial", &id, out), 1);
    EXPECT_EQ(UInt16(id), freeSans);
    EXPECT_STREQ(out, "FreeSans");
    EXPECT_EQ(gLastConversion.requested, "Arial");
    EXPECT_EQ(gLastConversion.chosen, "FreeSans");
    EXPECT_EQ(UInt16(gLastConversion.id), freeSans);
    EXPECT_TRUE(gLastConversion.replaced);
    EXPECT_EQ(GetClosestIDFontFromName("Zapf Chancery", &id, out), 2);
    EXPECT_EQ(UInt16(id), freeSerif);
    EXPECT_STREQ(out, "FreeSerif");
    EXPECT_FALSE(gLastConversion.replaced);
    // Installed means listed under exactly that name.
    SInt16 found = 0;
    EXPECT_TRUE(CarboniseGetIDFontFromName("FreeMono", &found));
    EXPECT_FALSE(CarboniseGetIDFontFromName("freemono", &found));
    EXPECT_EQ(UInt16(found), OrvaGetFontIDFromNameStrict("FreeMono"));
    EXPECT_FALSE(CarboniseGetIDFontFromName("", &found));

    // Fonts gone after loading: the declared equivalent is reported and id 1 answers.
    OrvaSetMessageHooks(&kCaptureCollapse);
    OrvaDisposeFontList();
    EXPECT_EQ(GetClosestIDFontFromName("Arial", &id, out), 1);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(gAlertText, "GetIDFontSelonNom: font 'FreeSans' not found");
    OrvaGetFontList();
    OrvaSetFontTranscodingByName("OrvaTestSymbol", 0);
}

TEST_F(FontEquivalence, PostScriptFontList) {
    char name[64];
    std::strcpy(name, "Ignored");
    AddFontEpsListe(name);  // no list yet
    EXPECT_STREQ(OrvaGetListeFontEps(), "");
    NewListeFontEpsListe();
    std::strcpy(name, "Times New Roman");
    AddFontEpsListe(name);
    EXPECT_STREQ(name, "TimesNewRoman");
    std::strcpy(name, "timesnew roman");
    AddFontEpsListe(name);
    std::strcpy(name, "Free Sans");
    AddFontEpsListe(name);
    EXPECT_STREQ(OrvaGetListeFontEps(), "TimesNewRoman,FreeSans");
    std::strcpy(name, "Times");  // a prefix of an item is another name
    AddFontEpsListe(name);
    EXPECT_STREQ(OrvaGetListeFontEps(), "TimesNewRoman,FreeSans,Times");
    for (int i = 0; i < 200; i++) {
        std::snprintf(name, sizeof name, "Font%03d", i);
        AddFontEpsListe(name);
    }
    EXPECT_LE(std::strlen(OrvaGetListeFontEps()), size_t(kFontEpsListMax));
    EXPECT_GT(std::strlen(OrvaGetListeFontEps()), size_t(kFontEpsListMax) - 8);
    DisposeListeFontEpsListe();
    EXPECT_STREQ(OrvaGetListeFontEps(), "");
}

}  // namespace
