// ctest-labels: plugin-seeing
// The whole instance drawn into a fixed-size port from a corpus score: title bar, bars, the
// page picture at the display scale with its paper, margins and frame, the zoom modes, two
// facing pages with their binding, quarter turns, inverted video, scroll bars and their
// tracking, a display area too small for a page, and supersampling falling back when its image
// cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/page_display.h"
#include "plugin/interface/scroll_bars.h"
#include "support/graphics/quickdraw_support.h"
#include "support/plugin/seeing_support.h"
#include "support/tool_support.h"

namespace {

using seeing::Instance;
using seeing::Near;

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
const char kOrchestra[] = "orchestra";  // 11 pages of four parts

class PageDisplay : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seeing::StartEngine()); }
    void TearDown() override { PlugSetSupersampleBudget(0); }
};

// Pixels of row y from x0 to x1 that are darker than level in every component.
int DarkerThan(Instance &i, SInt32 y, SInt32 x0, SInt32 x1, UInt32 level) {
    int n = 0;
    for (SInt32 x = x0; x < x1; x++) {
        UInt32 p = i.Pixel(x, y);
        n += ((p >> 16) & 0xFF) < level && ((p >> 8) & 0xFF) < level && (p & 0xFF) < level;
    }
    return n;
}

// The share of a row's pixels within tolerance of colour.
double Share(Instance &i, SInt32 y, SInt32 x0, SInt32 x1, UInt32 colour, int tolerance) {
    int n = 0;
    for (SInt32 x = x0; x < x1; x++) n += Near(i.Pixel(x, y), colour, tolerance);
    return x1 > x0 ? double(n) / (x1 - x0) : 0;
}

TEST_F(PageDisplay, AScoreInTheDefaultLook) {
    Instance i(800, 600);
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    i.Draw();
    // The title bar: white at row 2 of its gradient, its colour at the middle row away from the
    // text ("orchestra (00:00) page 1/11 [0Kb]"), and dark text in its left half.
    EXPECT_GT(Share(i, 2, 0, 760, 0xF0F0F0, 15), 0.99);
    EXPECT_GT(Share(i, 10, 400, 700, 0xE0E0E0, 2), 0.99);
    EXPECT_GE(DarkerThan(i, 8, 0, 400, 0x40) + DarkerThan(i, 10, 0, 400, 0x40) + DarkerThan(i, 12, 0, 400, 0x40), 50);
    const Rect page = i->pageScreenRect;
    ASSERT_FALSE(EmptyRect(&page));
    Rect display;
    PlugInCalculeAireAffichage(i.get(), &display);
    EXPECT_EQ(i.Pixel(display.left, (display.top + display.bottom) / 2), 0x404040u);  // the frame
    EXPECT_EQ(i.Pixel(page.left + 2, page.top + 2), 0xFFFFEEu);                      // the paper
    EXPECT_EQ(i.Pixel(display.left + 3, (page.top + page.bottom) / 2), 0x808080u);    // the desktop
    EXPECT_GE(seeing::StaffLineRows(i, page, 0xFFFFEE), 10);
    EXPECT_EQ(i->zoomMode, 0);
    EXPECT_FLOAT_EQ(i->zoom, 1.0f);
    // The picture was recorded once, on the default frame.
    EXPECT_EQ(i->pagePictFrame.right, 4950);
    EXPECT_EQ(i->pagePictFrame.bottom, 7008);
    PicHandle held = i->pictOdd;
    i.Draw();
    EXPECT_EQ(i->pictOdd, held);
}

// A redraw with the pictures held shows the same pixels; a new paper colour shows at the next
// redraw though the pictures stay; a window that comes at another size is drawn again.
TEST_F(PageDisplay, RedrawsKeepOrFollowWhatChanged) {
    Instance i(800, 600);
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    i.Draw();
    const Rect page = i->pageScreenRect;
    std::vector<UInt32> first;
    for (SInt32 y = page.top; y < page.bottom; y += 7)
        for (SInt32 x = page.left; x < page.right; x += 3) first.push_back(i.Pixel(x, y));
    i.Draw();
    size_t k = 0, same = 0;
    for (SInt32 y = page.top; y < page.bottom; y += 7)
        for (SInt32 x = page.left; x < page.right; x += 3) same += first[k++] == i.Pixel(x, y);
    EXPECT_EQ(same, first.size());
    i->imgBkColor = RGBColor{0xFF00, 0xE000, 0xE000};
    i.Draw();
    EXPECT_EQ(i.Pixel(page.left + 2, page.top + 2), 0xFFE0E0u);
    // The port shows something else meanwhile; the same window size draws nothing, another one
    // draws the instance again.
    Rect all = {0, 0, 600, 800};
    GrafPtr saved;
    GetPort(&saved);
    SetPort(i.Port());
    RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
    PaintRect(&all);
    SetPort(saved);
    PlugInRedrawIfResized(i.get());
    EXPECT_EQ(i.Pixel(page.left + 2, page.top + 2), 0x000000u);
    i->window->height = 599;
    PlugInRedrawIfResized(i.get());
    EXPECT_EQ(i.Pixel(page.left + 2, page.top + 2), 0xFFE0E0u);
}

// A corpus file loads and shows its paper with the engraver's staves on it.
TEST_F(PageDisplay, ACorpusScoreOnItsPaper) {
    Instance i(800, 600);
    ASSERT_TRUE(i.Load(kSchumann));
    i.Draw();
    const Rect &page = i->pageScreenRect;
    ASSERT_FALSE(EmptyRect(&page));
    EXPECT_EQ(i.Pixel(page.left + 2, page.top + 2), 0xFFFFEEu);
    int dark = 0;
    for (SInt32 y = page.top; y < page.bottom; y++) dark += DarkerThan(i, y, page.left, page.right, 0x80);
    EXPECT_GT(dark, 200);
}

TEST_F(PageDisplay, ThemesAndLooks) {
    Instance dracula(800, 600, {{"COLOR_THEME", "dracula"}});
    ASSERT_TRUE(dracula.LoadDemo(kOrchestra));
    dracula.Draw();
    EXPECT_GT(Share(dracula, 10, 400, 700, 0xDD0000, 2), 0.99);
    Rect display;
    PlugInCalculeAireAffichage(dracula.get(), &display);
    EXPECT_EQ(dracula.Pixel(display.left + 3, (display.top + display.bottom) / 2), 0x090000u);

    Instance moon(800, 600, {{"LOOK", "MOON"}});
    ASSERT_TRUE(moon.LoadDemo(kOrchestra));
    moon.Draw();
    EXPECT_GT(Share(moon, 2, 400, 790, 0xE0E0E0, 0), 0.99);  // flat
    EXPECT_GT(Share(moon, 10, 400, 790, 0xE0E0E0, 0), 0.99);  // no version string either
    Rect bar;
    CalculeAireBarrePosMusique(moon.get(), &bar);
    for (SInt32 row = 0; row < 8; row++) {
        SCOPED_TRACE(row);
        EXPECT_GT(Share(moon, bar.top + row, 10, 790, row % 3 == 1 ? 0xE0E0E0 : 0xD0D0D0, 0), 0.99);
    }

    Instance low(400, 49, {{"LOOK", "SHADOW"}});
    low.Draw();
    EXPECT_EQ(GetHauteurTitre(low.get()), 14);
    EXPECT_GT(Share(low, 1, 300, 399, 0xE0E0E0, 0), 0.99);  // flat, no white top row
    EXPECT_GT(Share(low, 7, 300, 399, 0xE0E0E0, 0), 0.99);
}

// An 800 x 600 SHADOW instance: the display area (0, 58)-(800, 600), inset by one 798 x 540.
// The A4 frame 4950 x 7008 fits 784 x 526 by 526 / 7008, so the page is 371 x 526 at zoom 1.
TEST_F(PageDisplay, ZoomModesBecomeComputed) {
    const struct {
        const char *label;
        const char *param;
        float zoom;
    } rows[] = {
        {"full width: (798 - 32 - 14) / 371", "FULLWIDTH", 752.0f / 371.0f},
        {"fit: (540 - 32 - 14) / 526", "", 494.0f / 526.0f},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        Instance i(800, 600, {{row.param, "ON"}});
        if (!*row.param) i->zoomMode = 2;
        ASSERT_TRUE(i.LoadDemo(kOrchestra));
        i.Draw();
        EXPECT_EQ(i->zoomMode, 3);
        EXPECT_NEAR(i->zoom, row.zoom, 1e-4);
        float computed = i->zoom;
        i.Draw();  // kept until the mode is set again
        EXPECT_EQ(i->zoom, computed);
    }
}

TEST_F(PageDisplay, WithoutRatioThePageFillsTheDisplayArea) {
    Instance i(800, 600, {{"RATIO", "OFF"}});
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    i.Draw();
    const Rect &p = i->pageScreenRect;
    EXPECT_EQ(p.left, 1);
    EXPECT_EQ(p.top, 59);
    EXPECT_EQ(p.right, 799);
    EXPECT_EQ(p.bottom, 599);
    EXPECT_NEAR(i->pageMapping[0], 798.0f / 2475.0f, 1e-4);  // the picture: A4 at 300 dpi
    EXPECT_NEAR(i->pageMapping[1], 540.0f / 3504.0f, 1e-4);
}

TEST_F(PageDisplay, TwoFacingPagesWithTheirBinding) {
    Instance i(800, 600, {{"TWO_PAGES", "1"}});
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    ASSERT_EQ(i->pageCount, 11);
    i.Draw();
    ASSERT_TRUE(i->pictOdd && i->pictEven);
    const Rect &p = i->pageScreenRect;  // page 1, the current one, on the left
    EXPECT_EQ(i.Pixel(p.left + 2, p.top + 2), 0xFFFFEEu);
    PlugPageGeometry second;
    ASSERT_TRUE(PlugGeometriePage(i.get(), 2, &second));
    EXPECT_GT(second.page.left, p.right);
    EXPECT_EQ(i.Pixel(second.page.right - 3, second.page.top + 2), 0xEEEEDDu);  // its partner
    int rings = 0;
    for (SInt32 y = p.top; y < p.bottom; y++)
        for (SInt32 x = p.right; x < second.page.left; x++) rings += Near(i.Pixel(x, y), 0x606060, 8);
    EXPECT_GT(rings, 20);
    // A gap under 3 pixels gives no rings, only the frames.
    PlugPageGeometry g;
    Instance thin(800, 600, {{"TWO_PAGES", "1"}, {"PAPERMARGIN", "1"}});
    ASSERT_TRUE(thin.LoadDemo(kOrchestra));
    thin.Draw();
    const Rect &left = thin->pageScreenRect;
    ASSERT_TRUE(PlugGeometriePage(thin.get(), 2, &g));
    int none = 0;
    for (SInt32 y = left.top; y < left.bottom; y++)
        for (SInt32 x = left.right - 3; x < g.page.left + 3; x++) none += Near(thin.Pixel(x, y), 0x606060, 8);
    EXPECT_EQ(none, 0);
    // The last page of eleven stands alone; the free side keeps the desktop colour.
    Instance last(800, 600, {{"TWO_PAGES", "1"}, {"NUMPAGE", "11"}});
    ASSERT_TRUE(last.LoadDemo(kOrchestra));
    last.Draw();
    EXPECT_TRUE(last->singlePageAtEnd);
    EXPECT_EQ(last->pictEven, nullptr);
    ASSERT_TRUE(PlugGeometriePage(last.get(), 2, &g));
    EXPECT_EQ(last.Pixel((g.page.left + g.page.right) / 2, (g.page.top + g.page.bottom) / 2), 0x808080u);
}

TEST_F(PageDisplay, TurnedInvertedAndColouredPages) {
    Instance turned(800, 600, {{"ANGLE", "90"}});
    ASSERT_TRUE(turned.LoadDemo(kOrchestra));
    turned.Draw();
    const Rect &t = turned->pageScreenRect;
    EXPECT_GT(t.right - t.left, t.bottom - t.top);
    int darkColumns = 0;
    for (SInt32 x = t.left; x < t.right; x++) {
        int dark = 0, height = t.bottom - t.top;
        for (SInt32 y = t.top + height / 4; y < t.bottom - height / 4; y++) dark += (turned.Pixel(x, y) & 0xFF) + 16 <= 0xEE;
        darkColumns += dark * 10 >= (height / 2) * 9;
    }
    EXPECT_GE(darkColumns, 10);

    Instance inverted(800, 600, {{"INVERT_VIDEO", "1"}});
    ASSERT_TRUE(inverted.LoadDemo(kOrchestra));
    inverted.Draw();
    const Rect &v = inverted->pageScreenRect;
    EXPECT_TRUE(Near(inverted.Pixel(v.left + 2, v.top + 2), 0x000000, 16));
    // Staff lines: rows where nine in ten pixels across the middle half are 16 levels above black.
    int light = 0;
    SInt32 quarter = (v.right - v.left) / 4;
    for (SInt32 y = v.top; y < v.bottom; y++) {
        int lit = 0;
        for (SInt32 x = v.left + quarter; x < v.right - quarter; x++) {
            UInt32 p = inverted.Pixel(x, y);
            lit += (p >> 16 & 0xFF) >= 16 && (p >> 8 & 0xFF) >= 16 && (p & 0xFF) >= 16;
        }
        light += lit * 10 >= 2 * quarter * 9;
    }
    EXPECT_GE(light, 10);

    Instance green(800, 600, {{"DESKTOPCOLOR", "00FF00"}});
    ASSERT_TRUE(green.LoadDemo(kOrchestra));
    green.Draw();
    EXPECT_EQ(green.Pixel(3, (green->pageScreenRect.top + green->pageScreenRect.bottom) / 2), 0x00FF00u);
}

TEST_F(PageDisplay, ScrollBarsAndTheirTracking) {
    Instance i(800, 600, {{"ZOOMVALUE", "250"}});
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    i.Draw();
    ASSERT_FALSE(i->pageFitsWhole);
    ASSERT_GT(i->scrollHMax, 0);
    ASSERT_GT(i->scrollVMax, 0);
    Rect bar, arrow1, arrow2, thumb;
    PlugCalculeAireTotaleAscenseur(i.get(), kTrue, &bar);
    PlugCalculePartiesAscenseur(i.get(), &bar, i->scrollH, kTrue, &arrow1, &arrow2, &thumb);
    EXPECT_EQ(bar.top, 600 - 14);
    EXPECT_TRUE(Near(i.Pixel((thumb.right + arrow2.left) / 2, bar.top + 7), 0xE0E0E0, 2));
    EXPECT_TRUE(Near(i.Pixel((thumb.left + thumb.right) / 2, bar.top + 7), 0xA0A0A0, 2));
    // A press in the track 100 pixels right of the thumb: its leading edge jumps to the pointer.
    SInt16 before = i->pageScreenRect.left;
    SInt32 content = i->scrollContent.right - i->scrollContent.left;
    Point press = {SInt16(bar.top + 7), SInt16(thumb.right + 100)};
    OrvaSetMousePos(press, kTrue);
    PlugInDrawState state;
    ASSERT_TRUE(StartDraw(i.get(), &state));
    EXPECT_TRUE(PlugInClickAscenseur(i.get(), press));
    EndDraw(i.get(), &state);
    SInt16 position = SInt16(std::min<SInt32>(press.h - arrow1.right, i->scrollHMax));
    EXPECT_EQ(i->scrollH, position);
    float offset = float(position) * float(content) / float(GetTailleUtileAscenseur(i.get(), kTrue));
    EXPECT_NEAR(before - i->pageScreenRect.left, offset, 2.0);
    i->pressHandler = nullptr;
}

TEST_F(PageDisplay, TooSmallADisplayShowsTheDesktopOnly) {
    Instance i(200, 20 + 30 + 8 + 12, {});  // a display area of 12 rows: 10 inside its frame
    ASSERT_TRUE(i.LoadDemo(kOrchestra));
    i->pageShown = 1;
    i.Draw();
    Rect display;
    PlugInCalculeAireAffichage(i.get(), &display);
    ASSERT_EQ(display.bottom - display.top, 12);
    for (SInt32 y = display.top + 1; y < display.bottom - 1; y++)
        for (SInt32 x = display.left + 1; x < display.right - 1; x++) ASSERT_EQ(i.Pixel(x, y), 0x808080u) << x << "," << y;
    EXPECT_TRUE(EmptyRect(&i->pageScreenRect));
}

// A scroll bar with no room for its thumb (its length less the arrows is 0 or less) scrolls
// nothing: the page keeps its place.
TEST_F(PageDisplay, ABarWithoutRoomScrollsNothing) {
    for (SInt16 width : {40, 42}) {  // usable lengths -2 and 0
        SCOPED_TRACE(width);
        Instance i(width, 600, {{"ZOOMVALUE", "200"}, {"LOOK", "MOON"}});
        ASSERT_TRUE(i.LoadDemo(kOrchestra));
        i->scrollH = 10;
        i.Draw();
        Rect display;
        PlugInCalculeAireAffichage(i.get(), &display);
        EXPECT_EQ(i->pageScreenRect.left, display.left + 1);
    }
}

// The visible page offscreen at twice its size, smoothed down, against the picture played
// straight: a budget that refuses the larger image falls back to one of the page's own size.
TEST_F(PageDisplay, SupersamplingFallsBackWhenItsImageCannotBeMade) {
    Instance plain(800, 600, {{"ANTIALIAS", "OFF"}});
    ASSERT_TRUE(plain.LoadDemo(kOrchestra));
    plain.Draw();
    PlugSetSupersampleBudget(371 * 526 + 1);  // the page at its own size, not twice
    Instance fallback(800, 600, {{"ANTIALIAS", "HIGH"}});
    ASSERT_TRUE(fallback.LoadDemo(kOrchestra));
    fallback.Draw();
    const Rect &p = plain->pageScreenRect;
    ASSERT_EQ(p.left, fallback->pageScreenRect.left);
    int off = 0;
    for (SInt32 y = p.top; y < p.bottom; y++)
        for (SInt32 x = p.left; x < p.right; x++) off += !Near(plain.Pixel(x, y), fallback.Pixel(x, y), 8);
    EXPECT_EQ(off, 0);
    PlugSetSupersampleBudget(1);  // nothing offscreen: the plain path
    Instance none(800, 600, {{"ANTIALIAS", "HIGH"}, {"ANGLE", "270"}});
    ASSERT_TRUE(none.LoadDemo(kOrchestra));
    none.Draw();
    EXPECT_FALSE(EmptyRect(&none->pageScreenRect));
}

}  // namespace
