// ctest-labels: layout
// The kit page layout shares with the player and the importers: the palette, units and
// resolutions, text boxes measured at the output resolution, quarter-turned images, colour icons
// in palette indices and the view-change notice.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/pictures/pict_rewriter.h"
#include "graphics/quickdraw/color.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "layout/drawing_kit.h"
#include "layout/layout_start.h"
#include "layout/palette.h"
#include "layout/staff_heights.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "layout/views.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "support/graphics/quickdraw_support.h"
#include "support/score_support.h"
#include "support/tool_support.h"

namespace {

class LayoutKit : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();
        InitMiseEnPage();
    }
    void TearDown() override {
        SetDpiDest(kDpiEcran);
        FinMiseEnPage();
    }
};

TEST_F(LayoutKit, ThePaletteIsTheSystemOneAndEveryDistinctEntryIsItsOwnNearest) {
    ASSERT_TRUE(StartColorsForTests());
    InitPalette256Couleurs();
    ASSERT_TRUE(IsPalette256Chargee());
    RGBColor c;
    GetCouleurPalette256(0, &c);
    EXPECT_TRUE(c.red == 0xFFFF && c.green == 0xFFFF && c.blue == 0xFFFF);
    GetCouleurPalette256(255, &c);
    EXPECT_TRUE(c.red == 0 && c.green == 0 && c.blue == 0);
    for (SInt16 i = 245; i < 255; i++) {  // the greys
        GetCouleurPalette256(i, &c);
        EXPECT_TRUE(c.red == c.green && c.green == c.blue) << i;
    }
    std::vector<RGBColor> seen;
    for (SInt16 i = 0; i < kCouleursPalette; i++) {
        GetCouleurPalette256(i, &c);
        bool repeated = false;
        for (const RGBColor &s : seen) repeated = repeated || (s.red == c.red && s.green == c.green && s.blue == c.blue);
        seen.push_back(c);
        if (!repeated) {
            EXPECT_EQ(CvtRGBEnIndexProche(&c), i);
        }
    }
    // A colour between entries goes to the nearer one by squared distance: almost black is black.
    RGBColor nearlyBlack = {0x0101, 0x0101, 0x0101};
    EXPECT_EQ(CvtRGBEnIndexProche(&nearlyBlack), 255);
    // The rewriter's palette reading: index 0 is taken as 1, an index past the table is black.
    RGBColor zero, one, far;
    CvtIndexEnRGB(0, &zero);
    GetCouleurPalette256(1, &one);
    EXPECT_TRUE(zero.red == one.red && zero.green == one.green && zero.blue == one.blue);
    CvtIndexEnRGB(300, &far);
    EXPECT_TRUE(far.red == 0 && far.green == 0 && far.blue == 0);
}

TEST_F(LayoutKit, UnitsAndAZeroResolutionThatIsIgnored) {
    SetDpiDest(300);
    EXPECT_EQ(CvtPixelEnPosDixiemeMM(nullptr, 300), 254);
    PageSetupRecord setup = {};
    setup.hRes = 600;
    EXPECT_EQ(CvtPixelEnPosDixiemeMM(&setup, 300), 127);
    EXPECT_EQ(CvtPixel72EnPosDixiemeMM(nullptr, 72), 254);
    // Resolutions of 0 or less would make every conversion divide by zero: they are ignored.
    for (SInt16 bad : {SInt16(0), SInt16(-72)}) {
        SetDpiDest(bad);
        EXPECT_EQ(GetDpiDest(), 300);
        EXPECT_EQ(CvtPixelEnPosDixiemeMM(nullptr, 300), 254);
    }
    Rect r = {0, 0, 7008, 4950};
    AppliqueZoomPrintDocumentAuRect(2.0f, &r);
    EXPECT_EQ(WH(r), std::make_pair(2475, 3504));
    Rect tiny = {0, 0, 100, 100};
    AppliqueZoomPrintDocumentAuRect(0.0f, &tiny);  // held at 0.1
    EXPECT_EQ(WH(tiny), std::make_pair(1000, 1000));
    BigRect big = {-100000, 100000, -5, 70000};
    CvtBigRectEnRect(&big, &r);
    EXPECT_TRUE(r.left == -32767 && r.right == 32767 && r.top == -5 && r.bottom == 32767);
}

TEST_F(LayoutKit, ATextBoxOfTwoLinesIsItsWiderLinePlusOneByTwoLineHeights) {
    for (SInt16 dpi : {SInt16(72), SInt16(300)}) {
        SCOPED_TRACE(dpi);
        SetDpiDest(dpi);
        TextStyleRecord style = {22, 0, 12, {0, 0, 0}};
        const char text[] = "short\rthe longer line";
        SInt32 width = -1, height = -1;
        TextBoxStyleSize(text, SInt32(strlen(text)), &style, &width, &height, kFalse);
        GrafPort port;
        OpenTestPort(&port, 10, 10);
        TextFont(22);
        TextSize(SInt16(12 * dpi / 72));
        FontInfo info;
        GetFontInfo(&info);
        SInt16 wide = TextWidth("the longer line", 0, 15);
        ClosePort(&port);
        EXPECT_EQ(width, wide + 1);
        EXPECT_EQ(height, 2 * (info.ascent + info.descent + info.leading));
        // UTF-16 text measures the same; null outputs are accepted.
        std::vector<UniChar> units(text, text + strlen(text));
        SInt32 unicodeWidth = 0;
        TextBoxStyleSize(units.data(), SInt32(units.size()), &style, &unicodeWidth, nullptr, kTrue);
        EXPECT_EQ(unicodeWidth, width);
        TextBoxStyleSize(text, 5, &style, nullptr, nullptr, kFalse);
    }
}

TEST_F(LayoutKit, QuarterTurnsPutTheCornersWhereTheTurnsTakeThem) {
    Rect size = {0, 0, 20, 30};  // 30 wide, 20 high
    Offscreen image = OffscreenCreate(&size);
    ASSERT_NE(image, nullptr);
    OffscreenSetPixel(image, 0, 0, 255, 0, 0, 255);     // top-left red
    OffscreenSetPixel(image, 29, 0, 0, 255, 0, 255);    // top-right green
    OffscreenSetPixel(image, 0, 19, 0, 0, 255, 128);    // bottom-left blue, half opaque
    const struct {
        SInt16 turns;
        SInt16 width, height;
        SInt16 redX, redY, greenX, greenY, blueX, blueY;
    } rows[] = {
        {1, 20, 30, 19, 0, 19, 29, 0, 0},   // clockwise: the top edge becomes the right edge
        {3, 20, 30, 0, 29, 0, 0, 19, 29},   // counter-clockwise
        {2, 30, 20, 29, 19, 0, 19, 29, 0},
        {5, 20, 30, 19, 0, 19, 29, 0, 0},   // modulo four
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.turns);
        Offscreen turned = RotateOffscreen(image, row.turns);
        ASSERT_NE(turned, nullptr);
        Rect bounds;
        OffscreenGetInfo(turned, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(WH(bounds), std::make_pair(int(row.width), int(row.height)));
        SInt16 r, g, b, a;
        OffscreenGetPixel(turned, row.redX, row.redY, &r, &g, &b, &a);
        EXPECT_TRUE(r == 255 && g == 0 && b == 0 && a == 255);
        OffscreenGetPixel(turned, row.greenX, row.greenY, &r, &g, &b, &a);
        EXPECT_TRUE(r == 0 && g == 255 && b == 0);
        OffscreenGetPixel(turned, row.blueX, row.blueY, &r, &g, &b, &a);
        EXPECT_TRUE(r == 0 && g == 0 && b == 255 && a == 128);
        OrvaClosePortOffscreen(turned);
    }
    EXPECT_EQ(RotateOffscreen(nullptr, 1), nullptr);
    OrvaClosePortOffscreen(image);
}

TEST_F(LayoutKit, ColourIconsNeverFillMoreThanTheirBuffers) {
    ASSERT_TRUE(StartColorsForTests());
    SInt16 file = OpenResFile(BuildTreePath("resources/Ondrak Music Plugin.rsr").c_str());
    ASSERT_GT(file, 0);
    InitPalette256Couleurs();
    // Buffers with guard bytes after the sizes the callers own.
    std::vector<UInt8> small(kIconeCustomPetite + 64, 0xA5), large(kIconeCustomGrande + 64, 0xA5);
    SInt16 smallUsed = 0, largeUsed = 0;
    ASSERT_EQ(CvtIconEnIconCustom(600, 32, 64, small.data(), large.data(), &smallUsed, &largeUsed), noErr);
    EXPECT_EQ(smallUsed, 32);
    EXPECT_EQ(largeUsed, 45);  // 64 x 64 would not fit in 2048 bytes: the icon is scaled down
    for (size_t i = kIconeCustomPetite; i < small.size(); i++) ASSERT_EQ(small[i], 0xA5) << i;
    for (size_t i = kIconeCustomGrande; i < large.size(); i++) ASSERT_EQ(large[i], 0xA5) << i;
    bool inked = false;
    for (SInt32 i = 0; i < 32 * 32; i++) inked = inked || (small[size_t(i)] != 0 && small[size_t(i)] != 0xA5);
    EXPECT_TRUE(inked);
    EXPECT_EQ(CvtIconEnIconCustom(-31000, 32, 32, small.data(), nullptr, nullptr, nullptr), -192);
    EXPECT_EQ(CvtIconEnIconCustom(600, 0, 32, small.data(), nullptr, nullptr, nullptr), paramErr);
    CloseResFile(file);
}

TEST_F(LayoutKit, AStaffsSpacingAndZoomedSizesFollowItsSizeAndTheResolution) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    (*staff)->band = 100;
    (*staff)->topOffset = 40;
    (*f.score)->resolution = 144;
    SetDpiDest(300);
    FixeZoomPage(0.6f);
    InitTailleRubanPortee(f.score, staff);
    EXPECT_FLOAT_EQ((*staff)->spacing, 72.0f * 6 * 144 / 5184);  // size x 6 x resolution / 5184
    EXPECT_EQ((*staff)->bandZoom, 250);       // 100 points x 0.6 at 300 dpi
    EXPECT_EQ((*staff)->bandRibbon, 200);     // at the score's 144 dpi
    EXPECT_EQ((*staff)->topOffsetZoom, 100);
    ASSERT_EQ(FixeTypePortee(staff, kPorteeGregorienne), noErr);
    InitTailleRubanPortee(f.score, staff);
    EXPECT_FLOAT_EQ((*staff)->spacing, 72.0f * 8 * 144 / 5184);
    FixePorteeImprimable(nullptr, staff, kFalse);
    EXPECT_EQ((*staff)->printable, 0);
    SetModeEcran(f.score, 0);
    EXPECT_EQ((*f.score)->screenMode, 0);
    FixeZoomPage(1.0f);
}

SInt32 gVueChanges = 0;
void CompteVue(ScoreHandle) { gVueChanges++; }

TEST_F(LayoutKit, TheViewNoticeComesOnlyWithAChange) {
    ScoreFixture f;
    StaffHandle a = f.Staff(), b = f.Staff();
    (*b)->visible = 0;
    LayoutHooks hooks = {CompteVue};
    OrvaSetLayoutHooks(&hooks);
    gVueChanges = 0;
    // An imported document has no views: the whole score, staves by their visible flag.
    EXPECT_EQ(GetNbVuesDocument(f.document), 0);
    FixeVue(f.document, -1);
    EXPECT_EQ(gVueChanges, 0);
    EXPECT_TRUE(IsPorteeDansVueCourante(f.document, a));
    EXPECT_FALSE(IsPorteeDansVueCourante(f.document, b));
    SInt16 only = 1;
    ASSERT_EQ(NouvelleVue(f.document, "second", &only, 1), 0);
    FixeVue(f.document, 0);
    EXPECT_EQ(gVueChanges, 1);
    EXPECT_TRUE(IsPorteeDansVueCourante(f.document, b));
    EXPECT_FALSE(IsPorteeDansVueCourante(f.document, a));
    FixeVue(f.document, 0);
    EXPECT_EQ(gVueChanges, 1);
    FixeVue(f.document, 7);  // no such view: the whole score
    EXPECT_EQ(GetVueCourante(f.document), -1);
    EXPECT_EQ(gVueChanges, 2);
    EXPECT_EQ(RecherchePorteeParIdUnique(f.document, (*b)->uniqueId), b);
    EXPECT_EQ(RecherchePorteeParIdUnique(f.document, 9999), nullptr);
    OrvaSetLayoutHooks(nullptr);
}

}  // namespace
