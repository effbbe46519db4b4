// ctest-labels: raster raster.color
// The Color Manager: the standard palette from the tests' resource file, both lookups, the
// gray tables, the predefined indices, the inverse table's cache file and hostile palettes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/resource_files.h"
#include "support/graphics/quickdraw_support.h"
#include "support/test_home.h"

namespace {

class Color : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 16, 16);
        ASSERT_TRUE(StartColorsForTests());
    }
    void TearDown() override { ClosePort(&port); }
};

std::string CachePath() {
    SInt16 vRef;
    SInt32 dirID;
    char folder[kOrvaPathMax + 1] = "";
    if (FindFolder(-32768, FourCC("pref"), 1, &vRef, &dirID) != 0 || !OrvaGetNomChemin(dirID, folder)) return "";
    return std::string(folder) + "InverseColorTable.cfg";
}

// The palette as the generator describes it, computed here from its definition.
std::vector<RGBColor> ExpectedPalette() {
    std::vector<RGBColor> colors;
    for (unsigned r = 0; r < 6; r++)
        for (unsigned g = 0; g < 6; g++)
            for (unsigned b = 0; b < 6; b++)
                colors.push_back({UInt16(0xFFFF - r * 0x3333), UInt16(0xFFFF - g * 0x3333), UInt16(0xFFFF - b * 0x3333)});
    colors.pop_back();
    const UInt16 ramp[10] = {0xEEEE, 0xDDDD, 0xBBBB, 0xAAAA, 0x8888, 0x7777, 0x5555, 0x4444, 0x2222, 0x1111};
    for (int channel = 0; channel < 4; channel++)
        for (UInt16 level : ramp)
            colors.push_back({UInt16(channel == 0 || channel == 3 ? level : 0), UInt16(channel == 1 || channel == 3 ? level : 0),
                              UInt16(channel == 2 || channel == 3 ? level : 0)});
    colors.push_back({0, 0, 0});
    return colors;
}

bool SameColor(const RGBColor &a, const RGBColor &b) { return a.red == b.red && a.green == b.green && a.blue == b.blue; }

TEST_F(Color, TheStandardPaletteIsTheCubeTheRampsAndBlack) {
    PaletteHandle palette = GetNewPalette(kPluginPaletteId);
    ASSERT_NE(palette, nullptr);
    std::vector<RGBColor> expected = ExpectedPalette();
    ASSERT_EQ((*palette)->pmEntries, 256);
    for (SInt16 i = 0; i < 256; i++) {
        RGBColor c = {1, 1, 1}, indexed;
        GetEntryColor(palette, i, &c);
        Index2Color(i, &indexed);
        EXPECT_TRUE(SameColor(c, expected[size_t(i)])) << i;
        EXPECT_TRUE(SameColor(indexed, expected[size_t(i)])) << i;
        EXPECT_EQ(Color2Index(&expected[size_t(i)]), i);  // every entry maps to its own index
    }
    RGBColor untouched = {1, 2, 3};
    GetEntryColor(palette, 256, &untouched);
    EXPECT_EQ(untouched.red, 1);
    DisposHandle((Handle)palette);
}

TEST_F(Color, AGrayPortMapsByLuminanceAndIndexesPastTheTableAreBlack) {
    struct Row {
        RGBColor color;
        SInt32 index;
    } rows[] = {{{0xFFFF, 0xFFFF, 0xFFFF}, 0}, {{0, 0, 0}, 255}, {{32768, 32768, 32768}, 127}, {{0xFFFF, 0, 0}, 170}};
    port.device = kGrayPortDevice;
    for (const Row &row : rows) EXPECT_EQ(Color2Index(&row.color), row.index);
    RGBColor c;
    Index2Color(0, &c);
    EXPECT_EQ(c.red, 0xFFFF);
    Index2Color(1, &c);
    EXPECT_EQ(c.red, 0xFFFF - 257);
    port.device = 0;
    for (SInt32 index : {256, 300, -1}) {
        c = {1, 1, 1};
        Index2Color(index, &c);
        EXPECT_TRUE(SameColor(c, RGBColor{0, 0, 0})) << index;
    }
}

TEST_F(Color, PredefinedSlotsHoldTheNearestEntries) {
    std::vector<RGBColor> palette = ExpectedPalette();
    struct Row {
        SInt32 slot;
        RGBColor color;
    } rows[] = {{0, {65535, 65535, 65535}}, {1, {0, 0, 0}},         {2, {65535, 65535, 0}},     {3, {24576, 24576, 24576}},
                {4, {65535, 0, 65535}},     {5, {40960, 40960, 40960}}, {6, {65535, 0, 0}},     {7, {49152, 49152, 49152}},
                {8, {0, 65535, 65535}},     {10, {0, 65535, 0}},     {12, {0, 0, 65535}}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.slot);
        SInt32 best = 0, bestDistance = 1 << 30;
        for (SInt32 i = 0; i < 256; i++) {
            const RGBColor &p = palette[size_t(i)];
            SInt32 d = std::abs(p.red - row.color.red) + std::abs(p.green - row.color.green) + std::abs(p.blue - row.color.blue);
            if (d < bestDistance) best = i, bestDistance = d;
        }
        EXPECT_EQ(OrvaIndexPredefColor[row.slot], best);
        EXPECT_EQ(OrvaIndexGrayColor[row.slot], 255 - (row.color.red + row.color.green + row.color.blue) / 768);
    }
    EXPECT_EQ(OrvaIndexPredefColor[9], 0);
    EXPECT_EQ(OrvaIndexXorCouleur[0], 255);  // white's complement is black
    EXPECT_EQ(OrvaIndexXorCouleur[255], 0);
}

TEST_F(Color, ClassicColourCodesSetThePixelAndTheColour) {
    ForeColor(205);  // red
    EXPECT_EQ(port.forePixel, UInt32(OrvaIndexPredefColor[6]));
    EXPECT_TRUE(SameColor(port.rgbFgColor, RGBColor{0xFFFF, 0, 0}));
    BackColor(409);  // blue
    EXPECT_TRUE(SameColor(port.rgbBkColor, RGBColor{0, 0, 0xFFFF}));
    ForeColor(5000);  // no such colour: only the code changes
    EXPECT_EQ(port.fgColor, 5000);
    EXPECT_TRUE(SameColor(port.rgbFgColor, RGBColor{0xFFFF, 0, 0}));
    port.device = kGrayPortDevice;
    ForeColor(205);
    EXPECT_EQ(port.forePixel, 170u);
    EXPECT_TRUE(SameColor(port.rgbFgColor, RGBColor{0xFFFF - 170 * 257, 0xFFFF - 170 * 257, 0xFFFF - 170 * 257}));
    port.device = 0;
    RGBColor green = {0, 0xFFFF, 0};
    RGBForeColor(&green);
    EXPECT_EQ(SInt32(port.forePixel), Color2Index(&green));
    ForeColor(33);
    BackColor(30);
}

TEST_F(Color, AFirstStartWritesTheCacheAndASecondReadsIt) {
    std::string path = CachePath();
    ASSERT_FALSE(path.empty());
    std::remove(path.c_str());
    OrvaInitColorManager();  // the next lookup builds the inverse table again
    UInt32 computed = OrvaITableComputations();
    RGBColor c = {0x1234, 0x5678, 0x9ABC};
    SInt32 first = Color2Index(&c);
    EXPECT_EQ(OrvaITableComputations(), computed + 1);
    std::string cache = OrvaTestReadFile(path);
    ASSERT_EQ(cache.size(), 32772u);
    EXPECT_EQ(cache.substr(0, 4), std::string("\x00\x00\x01\x00", 4));

    OrvaInitColorManager();
    EXPECT_EQ(Color2Index(&c), first);
    EXPECT_EQ(OrvaITableComputations(), computed + 1);

    // A valid cache is trusted as it stands: every cell holding 7 answers 7.
    ASSERT_TRUE(OrvaTestWriteFile(path, std::string("\x00\x00\x01\x00", 4) + std::string(32768, '\x07')));
    OrvaInitColorManager();
    EXPECT_EQ(Color2Index(&c), 7);
    std::remove(path.c_str());
    OrvaInitColorManager();
}

TEST_F(Color, OtherResolutionsAreComputedAndLeaveTheCacheAlone) {
    RGBColor c = {0xFFFF, 0, 0};
    Color2Index(&c);  // the device's table, from the cache or computed
    std::string path = CachePath(), before = OrvaTestReadFile(path);
    ASSERT_EQ(before.size(), 32772u);
    UInt32 computed = OrvaITableComputations();
    Handle itab = NewHandle(0);
    MakeITable(nullptr, itab, 4);
    EXPECT_EQ(OrvaITableComputations(), computed + 1);
    EXPECT_EQ(GetHandleSize(itab), UInt32(kITableHeaderBytes + 4096));
    EXPECT_EQ(OrvaTestReadFile(path), before);
    // A resolution out of range is taken as 5, and for the default table the cache answers.
    MakeITable(nullptr, itab, 9);
    EXPECT_EQ(GetHandleSize(itab), UInt32(kITableHeaderBytes + 32768));
    EXPECT_EQ(OrvaITableComputations(), computed + 1);
    // A table of its own is always computed.
    CTabHandle gray = OrvaGray8BitsColorTable;
    MakeITable(gray, itab, 5);
    EXPECT_EQ(OrvaITableComputations(), computed + 2);
    EXPECT_EQ(OrvaTestReadFile(path), before);
    DisposHandle(itab);
}

TEST_F(Color, CacheFilesOfAnyOtherShapeAreIgnoredAndRewritten) {
    std::string path = CachePath();
    const std::string header("\x00\x00\x01\x00", 4);
    const std::string contents[] = {header + std::string(996, '\x05'), header + std::string(32769, '\x05'),
                                    std::string("\x00\x00\x01\x01", 4) + std::string(32768, '\x05'), ""};
    for (const std::string &bad : contents) {
        SCOPED_TRACE(bad.size());
        ASSERT_TRUE(OrvaTestWriteFile(path, bad));
        OrvaInitColorManager();
        UInt32 computed = OrvaITableComputations();
        RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
        EXPECT_EQ(Color2Index(&white), 0);
        EXPECT_EQ(OrvaITableComputations(), computed + 1);
        std::string rewritten = OrvaTestReadFile(path);
        EXPECT_EQ(rewritten.size(), 32772u);
        EXPECT_EQ(rewritten.substr(0, 4), header);
    }
}

TEST_F(Color, PalettesAreCutToTheEntriesTheyHold) {
    std::string folder = OrvaTestHome() + "/palettes";
    mkdir(folder.c_str(), 0775);
    std::string file = folder + "/bad.rsr";
    CreateResFile(file.c_str());
    SInt16 ref = OpenResFile(file.c_str());
    ASSERT_GE(ref, 0);
    struct Row {
        SInt16 id;
        std::vector<UInt8> bytes;
        SInt16 entries;  // -1: no palette
    } rows[] = {
        {300, [] { std::vector<UInt8> b(16 + 32, 0); b[0] = 0x01; b[1] = 0x2C; b[16] = 0x12; b[17] = 0x34; return b; }(), 2},
        {301, std::vector<UInt8>(10, 0), -1},
        {302, [] { std::vector<UInt8> b(16 + 16, 0); b[0] = 0xFF; b[1] = 0xFF; return b; }(), 0},
        {303, std::vector<UInt8>(16 + 8, 0x01), 0},
    };
    for (const Row &row : rows) {
        Handle h = NewHandle(UInt32(row.bytes.size()));
        std::copy(row.bytes.begin(), row.bytes.end(), *h);
        AddResource(h, FourCC("pltt"), row.id, "");
    }
    for (const Row &row : rows) {
        SCOPED_TRACE(row.id);
        PaletteHandle p = GetNewPalette(row.id);
        if (row.entries < 0) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ((*p)->pmEntries, row.entries);
        if (row.id == 300) {
            EXPECT_EQ((*p)->pmInfo[0].ciRGB.red, 0x1234);
        }
        DisposHandle((Handle)p);
    }
    CloseResFile(ref);
}

TEST_F(Color, WithoutTheStandardPaletteThePluginKeepsTheGrayTables) {
    Handle palette = GetResource(FourCC("pltt"), kPluginPaletteId);
    ASSERT_NE(palette, nullptr);
    SInt16 ref = HomeResFile(palette);
    CloseResFile(ref);
    CapturedErrors().clear();
    OrvaInitColorManager();
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], "ORVA resources are not up to date. Missing standard palette.");
    EXPECT_EQ(OrvaDefault8BitsColorTable, nullptr);
    EXPECT_NE(OrvaGray8BitsColorTable, nullptr);
    RGBColor c = {0xFFFF, 0, 0};
    EXPECT_EQ(Color2Index(&c), 0);
    ASSERT_TRUE(StartColorsForTests());
}

}  // namespace
