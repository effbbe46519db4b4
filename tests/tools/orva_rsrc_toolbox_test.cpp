// ctest-labels: resources;toolbox-ui;toolbox-resources
// The toolbox shorthands of the resource compiler: 'DLOG', 'ALRT', 'DITL', 'MENU', 'vers' and
// copies read back through the checked readers, 'cicn' made from a PNG keeps its pixels,
// descriptions build together into one file, and malformed shorthands are refused.
#include <cairo.h>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

#include "platform/core/resource_files.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"
#include "toolbox/resource_layouts.h"

typedef restest::Bytes Blob;

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun Tool(const std::string &arguments) {
    int status = -1;
    std::string out = RunCommand("'" + ToolPath("orva-rsrc") + "' " + arguments + " 2>&1", &status);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

Blob Data(ResType type, SInt16 id) { return restest::HandleBytes(Get1Resource(type, id)); }

std::string Text(const Blob &b, UInt32 offset, UInt32 length) {
    return std::string(b.begin() + offset, b.begin() + offset + length);
}

const char kDescription[] =
    "resource 'ALRT' 300\n    alrt 40 40 150 400\n"
    "resource 'DITL' 300\n    ditl\n"
    "        button 80 290 100 350 \"OK\"\n"
    "        statictext 12 20 70 350 \"^0\" disabled\n"
    "        picture 1 2 3 4 1000\n"
    "        user 0 0 10 10\n"
    "resource 'DLOG' 301\n    dlog 50 50 330 470 proc 5 goaway refcon -2 items 300 title \"Réglages\" position 0x300A\n"
    "resource 'MENU' 130\n    menu 130 \"Edit\" proc 7\n"
    "        item \"Undo\" key \"Z\"\n        item \"-\" disabled\n        item \"Bold\" style 1 mark 18 icon 3\n"
    "resource 'vers' 1\n    vers 12.3.4 beta 7 2 \"12.3.4b7\" \"long\"\n"
    "resource 'STR#' 5\n    copy 'ALRT' 300\n";

// Writes a PNG of the pixels, width a row, each given as 0xAARRGGBB (not premultiplied).
void WritePng(const std::string &path, const std::vector<UInt32> &argb, int width) {
    int height = int(argb.size()) / width;
    cairo_surface_t *s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    UInt8 *data = cairo_image_surface_get_data(s);
    for (size_t i = 0; i < argb.size(); i++) {
        UInt32 a = argb[i] >> 24, pixel = a << 24;
        for (int shift = 0; shift < 24; shift += 8) pixel |= ((argb[i] >> shift & 0xFF) * a / 255) << shift;
        std::memcpy(data + (i / size_t(width)) * size_t(cairo_image_surface_get_stride(s)) + 4 * (i % size_t(width)), &pixel, 4);
    }
    cairo_surface_mark_dirty(s);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

class OrvaRsrcToolbox : public ::testing::Test {
protected:
    void SetUp() override { folder = restest::FreshFolder(); }
    void TearDown() override { restest::CloseAllResFiles(); }
    std::string folder;
};

}  // namespace

TEST_F(OrvaRsrcToolbox, ShorthandsReadBackThroughTheCheckedReaders) {
    restest::WriteAll("t.r", restest::Text(kDescription));
    ToolRun built = Tool("build t.r '" + folder + "/t.rsr'");
    ASSERT_EQ(built.status, 0) << built.out;
    ASSERT_GT(OpenResFile("t.rsr"), 0);

    // bounds, the items' id (its own by default) and the default stages.
    const Blob alert = {0, 40, 0, 40, 0, 150, 1, 144, 1, 44, 0x55, 0x55};
    EXPECT_EQ(Data(FourCC("ALRT"), 300), alert);
    EXPECT_EQ(Data(FourCC("STR#"), 5), alert);

    Blob list = Data(FourCC("DITL"), 300);
    DitlItemRecord items[4];
    SInt32 count = 0;
    ASSERT_TRUE(OrvaReadDitl(list.data(), UInt32(list.size()), items, 4, &count));
    ASSERT_EQ(count, 4);
    const UInt8 kinds[] = {kDitlButton, kDitlStaticText, kDitlPicture, kDitlUserItem};
    for (int i = 0; i < 4; i++) EXPECT_EQ(items[i].kind, kinds[i]) << i;
    EXPECT_EQ(Text(list, items[1].dataOffset, items[1].dataLength), "^0");
    EXPECT_TRUE(items[1].disabled);
    EXPECT_EQ(items[2].resourceId, 1000);

    // bounds, procID, visible, 0, goAway, 0, refCon, items, the title in MacRoman, a pad to an
    // even offset and the position.
    const Blob dialog = {0, 50, 0, 50, 1, 74, 1, 214, 0, 5, 1, 0, 1, 0, 0xFF, 0xFF, 0xFF, 0xFE, 1, 44,
                         8, 'R', 0x8E, 'g', 'l', 'a', 'g', 'e', 's', 0, 0x30, 0x0A};
    EXPECT_EQ(Data(FourCC("DLOG"), 301), dialog);

    Blob m = Data(FourCC("MENU"), 130);
    MenuTemplateRecord menu;
    MenuItemLayout menuItems[3];
    ASSERT_TRUE(OrvaReadMenuTemplate(m.data(), UInt32(m.size()), &menu, menuItems, 3, &count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(menu.procID, 7);
    EXPECT_EQ(menu.enableFlags, 0xFFFFFFFBu);  // item 2 disabled
    EXPECT_EQ(menuItems[0].key, 'Z');
    EXPECT_EQ(Text(m, menuItems[2].textOffset, menuItems[2].textLength) + char(menuItems[2].icon) +
                  char(menuItems[2].mark) + char(menuItems[2].style), "Bold\x03\x12\x01");

    // 12 and 3.4 in binary-coded decimal, beta, revision 7, region 2, then the two strings.
    const Blob version = {0x12, 0x34, 0x60, 7, 0, 2, 8, '1', '2', '.', '3', '.', '4', 'b', '7', 4, 'l', 'o', 'n', 'g'};
    EXPECT_EQ(Data(FourCC("vers"), 1), version);
}

TEST_F(OrvaRsrcToolbox, ColorIconFromAPngKeepsItsPixelsAndMask) {
    const std::vector<UInt32> pixels = {0xFFFF0000, 0xFF00FF00, 0x00000000, 0x40FFFFFF, 0xC81020F0, 0xFF00FF00};
    WritePng("icon.png", pixels, 6);
    restest::WriteAll("i.r", restest::Text("resource 'cicn' 7\n    cicn \"icon.png\"\n"));
    ToolRun built = Tool("build i.r i.rsr");
    ASSERT_EQ(built.status, 0) << built.out;
    ASSERT_GT(OpenResFile("i.rsr"), 0);
    Blob b = Data(FourCC("cicn"), 7);
    ColorIconLayout icon;
    ASSERT_TRUE(OrvaReadColorIcon(b.data(), UInt32(b.size()), &icon));
    EXPECT_EQ(icon.map.pixelSize, 8);
    EXPECT_EQ(icon.colorCount, 3);  // the two greens are one entry
    for (SInt32 x = 0; x < SInt32(pixels.size()); x++) {
        SCOPED_TRACE(x);
        bool opaque = pixels[size_t(x)] >> 24 >= 128;
        EXPECT_EQ(OrvaColorIconMasked(b.data(), &icon, x, 0), opaque);
        if (!opaque) continue;
        RGBColor c = OrvaColorIconEntry(b.data(), &icon, OrvaColorIconIndex(b.data(), &icon, x, 0));
        UInt32 rgb = UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
        // cairo stores the 200-opaque pixel premultiplied: its colour comes back within a step.
        EXPECT_NEAR(double(rgb >> 16), double(pixels[size_t(x)] >> 16 & 0xFF), 1);
        EXPECT_NEAR(double(rgb & 0xFF), double(pixels[size_t(x)] & 0xFF), 1);
        EXPECT_EQ(c.red % 257, 0);  // 8-bit components widened to 16 bits
    }
    std::vector<UInt32> many;
    for (UInt32 i = 0; i < 17 * 17; i++) many.push_back(0xFF000000 | i);
    WritePng("many.png", many, 17);
    restest::WriteAll("m.r", restest::Text("resource 'cicn' 8\n    cicn \"many.png\"\n"));
    ToolRun refused = Tool("build m.r m.rsr");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("m.r:2: "), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("more than 256 colours"), std::string::npos);
}

TEST_F(OrvaRsrcToolbox, DescriptionsBuildTogetherAndMalformedShorthandsAreRefused) {
    restest::WriteAll("a.r", restest::Text("resource 'STR#' 1\n    strlist \"x\"\n"));
    restest::WriteAll("b.r", restest::Text("resource 'STR#' 2\n    copy 'STR#' 1\n"));
    ASSERT_EQ(Tool("build a.r b.r ab.rsr").status, 0);
    ASSERT_GT(OpenResFile("ab.rsr"), 0);
    EXPECT_EQ(Data(FourCC("STR#"), 2), Data(FourCC("STR#"), 1));
    struct Row {
        const char *first, *second, *message;
    } rows[] = {
        {"resource 'STR#' 1\n strlist \"x\"\n", "\nresource 'STR#' 1\n strlist \"y\"\n", "b.r:2: "},
        {"#\n", "resource 'STR#' 2\n copy 'STR#' 1\n", "b.r:2: "},
        {"#\n", "resource 'DLOG' 1\n dlog 1 2 3\n", "b.r:"},
        {"#\n", "resource 'ALRT' 1\n alrt 0 0 9 9 stages 1 stages 2\n", "b.r:2: "},
        {"#\n", "resource 'DITL' 1\n ditl\n", "b.r:"},
        {"#\n", "resource 'DITL' 1\n ditl button 0 0 9 9\n", "b.r:"},
        {"#\n", "resource 'MENU' 1\n menu 1 \"T\"\n item \"\"\n", "b.r:3: "},
        {"#\n", "resource 'MENU' 1\n menu 1 \"T\"\n item \"A\" key \"AB\"\n", "b.r:3: "},
        {"#\n", "resource 'vers' 1\n vers 5.6 final 0 0 \"a\" \"b\"\n", "b.r:2: "},
        {"#\n", "resource 'vers' 1\n vers 5.6.2 gamma 0 0 \"a\" \"b\"\n", "b.r:2: "},
        {"#\n", "resource 'cicn' 1\n cicn \"missing.png\"\n", "b.r:2: "},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.second);
        restest::WriteAll("a.r", restest::Text(row.first));
        restest::WriteAll("b.r", restest::Text(row.second));
        ToolRun run = Tool("build a.r b.r bad.rsr");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out.rfind(row.message, 0), 0u) << run.out;
        EXPECT_TRUE(restest::ReadAll("bad.rsr").empty());
    }
}
