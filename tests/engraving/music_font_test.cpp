// The music font as built: its family and licence records, ink for every code of its map
// drawn through the player's own text path, the same pixels at each code's twin below
// U+0100, the same bytes from every build, and the generator's refusal of a broken map.
#include <cairo.h>
#include <gtest/gtest.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "engraving/glyphs.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/cairo/pango_text.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/tool_support.h"

namespace {

const int kSize = 40;  // pixels: the staff is this high, a space 10 pixels

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The codes of data/fonts/quorella.map, read here apart from the generator.
std::vector<unsigned> MapCodes() {
    std::vector<unsigned> codes;
    std::istringstream map(ReadFile(TestSourcePath("data/fonts/quorella.map")));
    std::string line;
    while (std::getline(map, line)) {
        if (line.empty() || line[0] == '#') continue;
        codes.push_back(unsigned(std::stoul(line.substr(0, line.find(' ')), nullptr, 16)));
    }
    return codes;
}

// The Windows-platform name records of a TrueType file: {name id, text}, ASCII text only.
std::map<int, std::string> NameRecords(const std::string &font) {
    auto u16 = [&](size_t at) { return at + 2 <= font.size() ? unsigned(UInt8(font[at]) << 8 | UInt8(font[at + 1])) : 0u; };
    auto u32 = [&](size_t at) { return u16(at) << 16 | u16(at + 2); };
    std::map<int, std::string> names;
    for (unsigned table = 0, count = u16(4); table < count; table++) {
        size_t entry = 12 + 16 * size_t(table);
        if (font.compare(entry, 4, "name") != 0) continue;
        size_t start = u32(entry + 8), strings = start + u16(start + 4);
        for (unsigned r = 0, records = u16(start + 2); r < records; r++) {
            size_t record = start + 6 + 12 * size_t(r);
            if (u16(record) != 3) continue;
            std::string text;
            for (unsigned i = 0, length = u16(record + 8); i < length; i += 2)
                text += char(u16(strings + u16(record + 10) + i));
            names[int(u16(record + 6))] = text;
        }
    }
    return names;
}

class MusicFont : public ::testing::Test {
protected:
    GrafPort port;
    UInt16 font = kFontIDNone;
    void SetUp() override {
        StartTextForTests();
        static bool installed = false;
        if (!installed) installed = SystemDependantInstalleFonteLocale(BuildTreePath("fonts/Quorella.ttf").c_str(), true);
        ASSERT_TRUE(installed);
        font = OrvaGetFontIDFromNameStrict(kMusicFontFamily);
        ASSERT_NE(font, kFontIDNone);
        OpenTestPort(&port, 6 * kSize, 6 * kSize);
        TextFont(SInt16(font));
        TextSize(kSize);
        TextFace(0);
    }
    void TearDown() override { ClosePort(&port); }
    // Draws one character at the middle of a white port and answers the ink's box.
    Rect Draw(const void *text, bool unicode) {
        PaintPortWhite(&port);
        _MoveTo(3 * kSize, 3 * kSize);
        OrvaDrawText(text, 0, 1, unicode);
        return InkBox(&port);
    }
};

TEST_F(MusicFont, FamilyNameAndLicenceRecords) {
    std::string path = BuildTreePath("fonts/Quorella.ttf");
    int status = -1;
    EXPECT_EQ(RunCommand("fc-query --format='%{family}' " + path, &status), "Quorella");
    EXPECT_EQ(status, 0);
    std::map<int, std::string> names = NameRecords(ReadFile(path));
    for (int id : {1, 4, 6}) EXPECT_EQ(names[id], "Quorella") << id;
    // The source's notice and reserved names travel with the glyphs, under the Open Font
    // License, and no name the user sees is a reserved one.
    EXPECT_NE(names[0].find("The LilyPond authors"), std::string::npos) << names[0];
    EXPECT_NE(names[0].find("Reserved Font Names \"Emmentaler\" and \"Feta\""), std::string::npos) << names[0];
    EXPECT_NE(names[13].find("SIL Open Font License, Version 1.1"), std::string::npos) << names[13];
    EXPECT_EQ(names[14], "https://openfontlicense.org");
    // OFL.txt lies beside the font: the same notice, then the licence itself.
    std::string licence = ReadFile(BuildTreePath("fonts/OFL.txt"));
    EXPECT_EQ(licence.compare(0, names[0].find('.') + 1, names[0], 0, names[0].find('.') + 1), 0) << licence.substr(0, 200);
    EXPECT_NE(licence.find("SIL OPEN FONT LICENSE"), std::string::npos);
    EXPECT_NE(licence.find("Version 1.1 - 26 February 2007"), std::string::npos);
}

TEST_F(MusicFont, EveryCodeInksWithinItsBox) {
    std::vector<unsigned> codes = MapCodes();
    ASSERT_GT(codes.size(), 150u);
    // The generated header lists the map's codes, and the space, each with its box.
    std::map<unsigned, MusicGlyphMetrics> header;
    for (const MusicGlyphMetrics &m : kMusicGlyphMetrics) header[m.code] = m;
    EXPECT_EQ(header.size(), codes.size() + 1);
    EXPECT_EQ(header.count(kGlyphSpace), 1u);
    for (unsigned code : codes) {
        SCOPED_TRACE(code);
        ASSERT_EQ(header.count(code), 1u);
        UniChar unit = UniChar(code);
        Rect ink = Draw(&unit, true);
        ASSERT_LT(ink.left, ink.right);
        // Units are thousandths of the size, y up from the baseline at the pen.
        const MusicGlyphMetrics &m = header[code];
        auto pixels = [](int units) { return units * kSize / double(kMusicFontUnitsPerEm); };
        EXPECT_NEAR(ink.left, 3 * kSize + pixels(m.xMin), 2);
        EXPECT_NEAR(ink.right, 3 * kSize + pixels(m.xMax), 2);
        EXPECT_NEAR(ink.top, 3 * kSize - pixels(m.yMax), 2);
        EXPECT_NEAR(ink.bottom, 3 * kSize - pixels(m.yMin), 2);
    }
    // A black head fills one space, centred on the baseline.
    UniChar head = kGlyphHeadBlack;
    Rect ink = Draw(&head, true);
    EXPECT_NEAR(ink.top, 3 * kSize - kSize / 8.0, 2);
    EXPECT_NEAR(ink.bottom, 3 * kSize + kSize / 8.0, 2);  // bottom is exclusive
}

TEST_F(MusicFont, TwinsBelowU0100DrawTheSamePixels) {
    // Through the player's text path: a byte of 8-bit text reaches U+F0xx, the same unit of
    // UTF-16 text U+00xx.
    int compared = 0;
    for (unsigned code : MapCodes()) {
        if (code > 0xF07E) continue;
        SCOPED_TRACE(code);
        char byte = char(code & 0xFF);
        UniChar unit = UniChar(code & 0xFF);
        Draw(&byte, false);
        std::string eightBit = PortPixels(&port);
        Draw(&unit, true);
        EXPECT_TRUE(PortPixels(&port) == eightBit);
        compared++;
    }
    EXPECT_GT(compared, 80);
    // The higher twins only through pango, which is how other programs would reach them.
    for (unsigned code : MapCodes()) {
        if (code < 0xF0A0 || code > 0xF0FF) continue;
        SCOPED_TRACE(code);
        std::string pixels[2];
        for (int twin = 0; twin < 2; twin++) {
            unsigned c = twin ? code & 0xFF : code;
            char utf8[4] = {};
            if (c < 0x800) {
                utf8[0] = char(0xC0 | (c >> 6));
                utf8[1] = char(0x80 | (c & 0x3F));
            } else {
                utf8[0] = char(0xE0 | (c >> 12));
                utf8[1] = char(0x80 | ((c >> 6) & 0x3F));
                utf8[2] = char(0x80 | (c & 0x3F));
            }
            cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 4 * kSize, 4 * kSize);
            cairo_t *cr = cairo_create(surface);
            PangoLayout *layout = pango_cairo_create_layout(cr);
            PangoFontDescription *description = pango_font_description_from_string(kMusicFontFamily);
            pango_font_description_set_absolute_size(description, kSize * PANGO_SCALE);
            pango_layout_set_font_description(layout, description);
            pango_layout_set_text(layout, utf8, -1);
            pango_cairo_show_layout(cr, layout);
            cairo_surface_flush(surface);
            pixels[twin].assign((const char *)cairo_image_surface_get_data(surface),
                                size_t(cairo_image_surface_get_stride(surface)) * 4 * kSize);
            pango_font_description_free(description);
            g_object_unref(layout);
            cairo_destroy(cr);
            cairo_surface_destroy(surface);
        }
        EXPECT_NE(pixels[0].find_first_not_of('\0'), std::string::npos);
        EXPECT_TRUE(pixels[0] == pixels[1]);
    }
}

TEST(MusicFontBuild, TwoBuildsGiveTheSameBytes) {
    std::string root = TempFile("mkfont");
    int status = -1;
    std::string out = RunCommand(ToolPath("mkfont") + " " + root + " 2>&1", &status);
    ASSERT_EQ(status, 0) << out;
    for (const char *file : {"fonts/Quorella.ttf", "fonts/OFL.txt", "generated/engraving/glyphs.h"}) {
        std::string again = ReadFile(root + "/" + file);
        EXPECT_FALSE(again.empty()) << file;
        EXPECT_TRUE(again == ReadFile(BuildTreePath(file))) << file;
    }
    RunCommand("rm -rf " + root, &status);
}

TEST(MusicFontBuild, BrokenMapsAreRefusedLineByLine) {
    const struct {
        const char *label, *rows, *message;
    } cases[] = {
        {"unknown glyph", "F021  clefs.Q  ClefQ\n", ":1: the music font has no glyph \"clefs.Q\""},
        {"code twice", "F021  clefs.G  ClefG\n\nF021  clefs.F  ClefF\n", ":3: U+F021 is mapped twice"},
        {"outside the pages", "E021  clefs.G  ClefG\n", ":1: U+E021 is outside U+F021..U+F1FF"},
        {"a control twin", "F085  clefs.G  ClefG\n", ":1: U+F085 must stay empty"},
        {"role twice", "F021  clefs.G  Clef\nF022  clefs.F  Clef\n", ":2: the role \"Clef\" is not a new CamelCase name"},
        {"missing role", "F021  clefs.G\n", ":1: a row is code, source and role"},
        {"bad scale", "F021  clefs.G*1,2,3  ClefG\n", ":1: a scale takes 1, 2 or 4 numbers"},
        {"nothing", "# only a comment\n", "holds no rows"},
    };
    std::string map = TempFile("broken.map"), root = TempFile("mkfont-broken");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        std::ofstream(map) << c.rows;
        int status = -1;
        std::string out = RunCommand(ToolPath("mkfont") + " " + root + " --map " + map + " 2>&1", &status);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << out;
        EXPECT_NE(out.find(c.message), std::string::npos) << out;
        EXPECT_TRUE(ReadFile(root + "/fonts/Quorella.ttf").empty());
    }
    std::remove(map.c_str());
}

}  // namespace
