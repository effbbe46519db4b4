// ctest-labels: toolbox-ui
// The theme: the drawing state saved and given back whole, themed text boxes inked inside what
// they measure, backgrounds and list-box frames, and colour icons drawn from their resources.
#include "toolbox/themes.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <gtest/gtest.h>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include <sys/stat.h>

#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/resource_files.h"
#include "support/graphics/quickdraw_support.h"
#include "support/test_home.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/color_icons.h"
#include "toolbox/theme_metrics.h"

namespace {

class Themes : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();
        OpenTestPort(&port, 200, 120);
        EraseRect(&port.portRect);
    }
    void TearDown() override {
        SetPort(nullptr);
        ClosePort(&port);
    }
    // The box of the pixels that are not white, or an empty rectangle.
    Rect Ink() {
        Rect box = {32767, 32767, -32768, -32768};
        for (int y = 0; y < 120; y++)
            for (int x = 0; x < 200; x++) {
                if (PortPixel(&port, x, y) == 0xFFFFFF) continue;
                box.top = std::min<SInt16>(box.top, SInt16(y));
                box.left = std::min<SInt16>(box.left, SInt16(x));
                box.bottom = std::max<SInt16>(box.bottom, SInt16(y + 1));
                box.right = std::max<SInt16>(box.right, SInt16(x + 1));
            }
        return box.top > box.bottom ? Rect{0, 0, 0, 0} : box;
    }
    GrafPort port;
};

TEST_F(Themes, TheSavedDrawingStateComesBackWhole) {
    RGBColor fore = {0x1111, 0x2222, 0x3333}, back = {0x4444, 0x5555, 0x6666};
    RGBForeColor(&fore);
    RGBBackColor(&back);
    PenMode(11);
    PenSize(3, 4);
    PenPat(&qd.gray);
    BackPat(&qd.ltGray);
    TextMode(1);
    TextFont(22);
    TextSize(17);
    TextFace(3);
    _MoveTo(12, 34);
    ThemeDrawingState state = nullptr;
    ASSERT_EQ(GetThemeDrawingState(&state), noErr);
    ASSERT_NE(state, nullptr);
    ASSERT_EQ(NormalizeThemeDrawingState(), noErr);
    TextFont(3);
    TextSize(9);
    TextFace(0);
    TextMode(0);
    _MoveTo(0, 0);
    EXPECT_EQ(port.pnMode, 8);
    EXPECT_EQ(port.rgbFgColor.red, 0);
    ASSERT_EQ(SetThemeDrawingState(state, kTrue), noErr);
    EXPECT_EQ(memcmp(&port.rgbFgColor, &fore, sizeof fore), 0);
    EXPECT_EQ(memcmp(&port.rgbBkColor, &back, sizeof back), 0);
    EXPECT_EQ(port.pnMode, 11);
    EXPECT_EQ(HV(port.pnSize), HV(Point{4, 3}));
    EXPECT_EQ(memcmp(&port.pnPat, &qd.gray, 8), 0);
    EXPECT_EQ(memcmp(&port.bkPat, &qd.ltGray, 8), 0);
    EXPECT_EQ(port.txMode, 1);
    EXPECT_EQ(port.txFont, 22);
    EXPECT_EQ(port.txSize, 17);
    EXPECT_EQ(port.txFace, 3);
    EXPECT_EQ(HV(port.pnLoc), HV(Point{34, 12}));
}

TEST_F(Themes, ATextBoxInksInsideWhatItsDimensionsSay) {
    CFStringRef text = CFStringCreateWithCString(
        nullptr, "The theme draws this text over several lines inside its box.", kCFStringEncodingUTF8);
    Point size = {0, 120};  // wrapped at 120 pixels
    SInt16 baseline = 0;
    ASSERT_EQ(GetThemeTextDimensions(text, kThemeSystemFont, 1, kTrue, &size, &baseline), noErr);
    EXPECT_GT(size.v, 2 * 11);  // more than one line
    EXPECT_LE(size.h, 120);
    EXPECT_LT(baseline, 0);
    Rect box = {10, 20, SInt16(10 + size.v), SInt16(20 + size.h)};
    ASSERT_EQ(DrawThemeTextBox(text, kThemeSystemFont, 1, kTrue, &box, kThemeFlushDefault), noErr);
    Rect ink = Ink();
    EXPECT_FALSE(EmptyRect(&ink));
    EXPECT_GE(ink.top, box.top);
    EXPECT_GE(ink.left, box.left);
    EXPECT_LE(ink.bottom, box.bottom);
    EXPECT_LE(ink.right, box.right);
    EXPECT_GT(ink.right - ink.left, size.h - 6);  // the widest line fills the width it measured
    CFRelease(text);
}

TEST_F(Themes, BackgroundsAndListFrames) {
    ASSERT_EQ(SetThemeBackground(kThemeBrushDialogBackground, 32, kTrue), noErr);
    Rect r = {10, 10, 50, 50};
    EraseRect(&r);
    EXPECT_EQ(PortPixel(&port, 20, 20), 0xEEEEEEu);
    SetThemeBackground(kThemeBrushPaletteBackground, 32, kTrue);
    EXPECT_EQ(port.rgbBkColor.red, kThemeLightGrey);
    Rect list = {70, 70, 100, 150};
    ASSERT_EQ(DrawThemeListBoxFrame(&list, 1), noErr);
    EXPECT_NE(PortPixel(&port, 69, 80), 0xFFFFFFu);  // the frame lies just outside
    EXPECT_EQ(PortPixel(&port, 71, 80), 0xFFFFFFu);
    EXPECT_EQ(port.pnMode, 8);  // the pen is given back
}

TEST_F(Themes, TheThemesFolderIsMadeAndEveryNameGivesTheOneTheme) {
    OrvaMajSkinDir();
    SInt16 vRef;
    SInt32 dirID;
    ASSERT_EQ(FindFolder(0, FourCC("pref"), kTrue, &vRef, &dirID), noErr);
    char folder[kOrvaPathMax + 1];
    ASSERT_TRUE(OrvaGetNomChemin(dirID, folder));
    OrvaAddPath(folder, "Themes");
    struct stat info;
    ASSERT_EQ(stat(folder, &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    ASSERT_TRUE(OrvaTestWriteFile(std::string(folder) + "settings.txt", "Ubuntu 9.1\n"));
    InitTheme();
    EXPECT_STREQ(OrvaThemeName(), "Ubuntu 9.1");
    SetThemeBackground(kThemeBrushDialogBackground, 32, kTrue);
    EXPECT_EQ(port.rgbBkColor.red, kThemeLightGrey);  // the same theme whatever its name
}

// The icon menu's play icon against the PNG the generator drew it from.
TEST_F(Themes, AColourIconPlotsItsPixelsWhereItsMaskIsSet) {
    SInt16 file = OpenResFile(BuildTreePath("resources/Ondrak Music Plugin.rsr").c_str());
    ASSERT_GT(file, 0);
    CIconHandle icon = GetCIcon(323);
    ASSERT_NE(icon, nullptr);
    cairo_surface_t *png =
        cairo_image_surface_create_from_png(BuildTreePath("data/rsrc/generated/icons/cicn323.png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    ASSERT_EQ(cairo_image_surface_get_width(png), 40);
    Rect full = {0, 0, 32, 40};
    PlotCIcon(&full, icon);
    int differing = 0, masked = 0;
    for (int y = 0; y < 32; y++)
        for (int x = 0; x < 40; x++) {
            UInt32 argb;
            memcpy(&argb, cairo_image_surface_get_data(png) + y * cairo_image_surface_get_stride(png) + 4 * x, 4);
            UInt32 expected = argb >> 24 ? argb & 0xFFFFFF : 0xFFFFFF;  // white where the mask is clear
            masked += argb >> 24 != 0;
            differing += PortPixel(&port, x, y) != expected;
        }
    cairo_surface_destroy(png);
    EXPECT_GT(masked, 100);
    EXPECT_EQ(differing, 0);
    EraseRect(&port.portRect);
    Rect half = {50, 100, 66, 120};
    PlotCIcon(&half, icon);
    Rect ink = Ink();
    EXPECT_FALSE(EmptyRect(&ink));
    EXPECT_GE(ink.top, half.top);
    EXPECT_GE(ink.left, half.left);
    EXPECT_LE(ink.bottom, half.bottom);
    EXPECT_LE(ink.right, half.right);
    DisposCIcon(icon);
    EXPECT_EQ(GetCIcon(-2), nullptr);

    // Ten thousand times made, drawn and disposed: the heap has what it had.
    UInt32 blocks = 0, before = 0, after = 0;
    OrvaCalculeNbHandle(&blocks, &before);
    for (int i = 0; i < 10000; i++) {
        CIconHandle again = GetCIcon(323);
        PlotCIcon(&half, again);
        DisposCIcon(again);
    }
    OrvaCalculeNbHandle(&blocks, &after);
    EXPECT_EQ(after, before);
    CloseResFile(file);
}

}  // namespace
