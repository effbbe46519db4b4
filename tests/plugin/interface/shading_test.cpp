// ctest-labels: plugin-seeing
// The player interface's painting routines read back from fixed-size ports: gradient and
// striped fills, the soft shadow's blur, colour icons plain and tinted, and pattern fills.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "plugin/interface/shading.h"
#include "plugin/startup.h"
#include "support/graphics/quickdraw_support.h"
#include "support/plugin/seeing_support.h"
#include "support/resource_test_support.h"
#include "toolbox/resource_layouts.h"

namespace {

using seeing::Instance;

const RGBColor kGrey = {32768, 32768, 32768};

// A port of its own, white, current while the test draws.
struct TestPort {
    GrafPort port;
    GrafPtr saved;
    TestPort(SInt16 width, SInt16 height) {
        std::memset(&port, 0, sizeof port);
        GetPort(&saved);
        OpenTestPort(&port, width, height);
        Rect all = {0, 0, height, width};
        EraseRect(&all);
    }
    ~TestPort() {
        ClosePort(&port);
        SetPort(saved);
    }
    UInt32 At(SInt32 x, SInt32 y) { return PortPixel(&port, x, y); }
};

class Shading : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seeing::StartEngine()); }
};

// Rows of a gradient of grey 32768, its inner height H: row 1 of the upper half is
// 65535 - k (65535 - c) with k = 1 - f and f = 1 - 2/H (squared past 10 rows, again past 20);
// row H - 2 of the lower half is c (0.7 + 0.3 (1 - f)) with f = 1 - 4/H, ramped alike.
TEST_F(Shading, GradientRampsByHeight) {
    const struct {
        SInt16 height;
        UInt32 second, nextToLast;
    } rows[] = {
        {10, 230, 104},  // linear
        {11, 213, 112},  // squared
        {20, 231, 103},
        {21, 213, 111},  // fourth power
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.height);
        TestPort p(30, 40);
        Rect r = {0, 0, SInt16(row.height + 4), 20};
        PlugFillRectShadow(&r, &kGrey);
        EXPECT_NEAR(int(p.At(10, 3) & 0xFF), int(row.second), 1);
        EXPECT_NEAR(int(p.At(10, 2 + row.height - 2) & 0xFF), int(row.nextToLast), 1);
        EXPECT_EQ(p.At(10, 2), 0xFFFFFFu & 0xFFFFFF) << "the bevel's light line";  // 65280
        EXPECT_EQ(p.At(0, 10), 0x404040u);  // the left edge at half the colour
        EXPECT_EQ(p.At(25, 10), 0xFFFFFFu); // nothing outside
    }
}

TEST_F(Shading, FlatLooksPaintStripes) {
    Instance moon(200, 100, {{"LOOK", "MOON"}});
    TestPort p(30, 20);
    Rect r = {0, 0, 10, 20};
    RGBColor one = {0xD000, 0xD000, 0xD000}, two = {0xE000, 0xE000, 0xE000};
    PlugFillRectLook(moon.get(), &r, &one, &two);
    for (SInt32 y = 0; y < 10; y++) {
        SCOPED_TRACE(y);
        EXPECT_EQ(p.At(5, y), y % 3 == 1 ? 0xE0E0E0u : 0xD0D0D0u);
    }
    EXPECT_EQ(p.At(25, 5), 0xFFFFFFu);
}

// One empty pixel under the shape, alone in its mask; outside neighbours count as 255.
// Pass 1 gives (20 x 255 x 10 + 0 x centre) / (centre + 200), pass 2 the same with its result.
TEST_F(Shading, ShadowBlurBySoftnessAndOpacity) {
    const struct {
        const char *label;
        SInt16 softness, opacity;
        UInt8 expected;
    } rows[] = {
        {"softness 0: a faint blur", 0, 100, 163},   // 51000 / 500 = 102, then 81600 / 500
        {"softness 100: a hollow kernel", 100, 100, 255},
        {"softness 200 acts as 100", 200, 100, 255},
        {"softness -50 acts as 0", -50, 100, 163},
        {"opacity 50 lightens", 0, 50, 208},          // a = 127: 163 x 128 / 255 + 127
        {"opacity 0: no shadow", 0, 0, 255},
        {"opacity 150 acts as 100", 0, 150, 163},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        UInt8 mask[1] = {0};
        PlugBlurShadowMask(mask, 1, 1, row.softness, row.opacity);
        EXPECT_EQ(mask[0], row.expected);
    }
    // A larger shape: the middle of a 10 x 10 block stays dark, the rim lightens, the far
    // corner of the margin gets almost nothing.
    std::vector<UInt8> mask(18 * 18, 255);
    for (int y = 4; y < 14; y++)
        for (int x = 4; x < 14; x++) mask[size_t(y * 18 + x)] = 0;
    PlugBlurShadowMask(mask.data(), 18, 18, 50, 100);
    EXPECT_LT(mask[9 * 18 + 9], 20);
    EXPECT_GT(mask[4 * 18 + 4], mask[9 * 18 + 9]);
    EXPECT_GT(mask[0], 240);
}

TEST_F(Shading, RectangleShadowDarkensUnderIt) {
    TestPort p(60, 60);
    Rect r = {10, 10, 40, 40};
    PlotRectShadow(&r, 4, 4, 50, 100);
    EXPECT_LT(p.At(28, 28) & 0xFF, 0x40u);
    EXPECT_EQ(p.At(2, 2), 0xFFFFFFu);
    EXPECT_EQ(p.At(58, 58), 0xFFFFFFu);
    TestPort none(60, 60);
    PlotRectShadow(&r, 4, 4, 50, 0);
    for (SInt32 y = 0; y < 60; y += 3)
        for (SInt32 x = 0; x < 60; x += 3) ASSERT_EQ(none.At(x, y), 0xFFFFFFu) << x << "," << y;
}

// A 4 x 4 icon: pure red, blue, green and white columns, the last row outside its mask.
SInt16 MakeIconFile(const std::string &folder) {
    const UInt8 pixels[16] = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};
    const UInt8 mask[16] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0};
    const RGBColor colours[4] = {{65535, 0, 0}, {0, 0, 65535}, {0, 65535, 0}, {65535, 65535, 65535}};
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    OrvaWriteColorIcon(&w, 4, 4, pixels, colours, 4, mask);
    if (!FinishByteWriter(&w)) return -1;
    std::string path = folder + "/icons.rsr";
    CreateResFile(path.c_str());
    SInt16 file = OpenResFile(path.c_str());
    if (file < 0) return -1;
    AddResource(h, FourCC("cicn"), 9001, "");
    return file;
}

TEST_F(Shading, TintedIconsKeepTheirGroundInvisible) {
    std::string folder = restest::FreshFolder();
    SInt16 file = MakeIconFile(folder);
    ASSERT_GE(file, 0);
    SInt16 plugin = resFilePlugIn;
    resFilePlugIn = file;
    const RGBColor ground = {0x8000, 0x8000, 0x8000};
    Rect where = {8, 8, 12, 12};
    auto Draw = [&](TestPort &, SInt16 r, SInt16 g, SInt16 b, Boolean additive) {
        RGBForeColor(&ground);
        Rect all = {0, 0, 20, 20};
        PaintRect(&all);
        ForeColor(33);
        DrawIconInAireWithShadow(9001, 4, additive, &where, 50, 0, 2, 2, r, g, b);
    };
    TestPort plain(20, 20);
    Draw(plain, 0, 0, 0, kFalse);
    EXPECT_EQ(plain.At(8, 8), 0xFF0000u);   // untinted: the red pixel is the icon's
    EXPECT_EQ(plain.At(9, 8), 0x0000FFu);
    EXPECT_EQ(plain.At(10, 9), 0x00FF00u);
    EXPECT_EQ(plain.At(11, 10), 0xFFFFFFu);
    EXPECT_EQ(plain.At(9, 11), 0x808080u);  // outside the mask
    TestPort replaced(20, 20);
    Draw(replaced, 0, 0, 255, kFalse);
    EXPECT_EQ(replaced.At(8, 8), 0x808080u);  // pure red is ground: it vanishes
    EXPECT_EQ(replaced.At(10, 9), 0x0000FFu);
    EXPECT_EQ(replaced.At(11, 10), 0x0000FFu);
    EXPECT_EQ(replaced.At(9, 11), 0x808080u);
    TestPort added(20, 20);
    Draw(added, 0, 0, 100, kTrue);
    EXPECT_EQ(added.At(10, 9), 0x00FF64u);
    EXPECT_EQ(added.At(9, 8), 0x0000FFu);   // held to 255
    EXPECT_EQ(added.At(8, 8), 0x808080u);
    TestPort missing(20, 20);
    DrawIconInAireWithShadow(9002, 4, kFalse, &where, 50, 100, 2, 2, 0, 0, 255);
    DrawIconInAire(9002, &where);
    EXPECT_EQ(missing.At(9, 9), 0xFFFFFFu);
    resFilePlugIn = plugin;
    CloseResFile(file);
}

TEST_F(Shading, PatternFillsAndReliefFrames) {
    TestPort p(40, 40);
    Rect r = {0, 0, 32, 32};
    RemplitRectWithPattern(&r, 300);
    int changed = 0;
    for (SInt32 y = 0; y < 32; y++)
        for (SInt32 x = 0; x < 32; x++) changed += p.At(x, y) != 0xFFFFFFu;
    EXPECT_GT(changed, 100);
    EXPECT_EQ(p.At(36, 36), 0xFFFFFFu);
    TestPort none(40, 40);
    RemplitRectWithPattern(&r, 29999);  // missing: nothing
    EXPECT_EQ(none.At(10, 10), 0xFFFFFFu);
    TestPort relief(40, 40);
    Rect frame = {5, 5, 25, 25};
    PlugTraceCadreRelief(&frame, kFalse);
    RGBColor light, inside;
    Index2Color(255, &light);
    Index2Color(252, &inside);
    EXPECT_EQ(relief.At(5, 10), UInt32(light.red >> 8) << 16 | UInt32(light.green >> 8) << 8 | (light.blue >> 8));
    EXPECT_EQ(relief.At(15, 15), UInt32(inside.red >> 8) << 16 | UInt32(inside.green >> 8) << 8 | (inside.blue >> 8));
}

}  // namespace
