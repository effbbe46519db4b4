// ctest-labels: plugin-seeing
// The plug-in area's layout: which strips fit the instance, the look and title in force, the
// colour themes, quarter turns of rectangles, the title bar's text, and the scroll bars' maxima
// and places. No drawing: the instances have windows but the values are read back.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/interface/areas.h"
#include "score/score_model.h"
#include "plugin/interface/scroll_bars.h"
#include "plugin/interface/themes.h"
#include "plugin/interface/title_bar.h"
#include "support/plugin/seeing_support.h"

namespace {

using seeing::Instance;

UInt32 Hex(const RGBColor &c) { return UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8); }

struct Shown {
    bool title, menu, slider, page;
    int look, titleHeight, titleFont;
};

Shown ShownOf(Instance &i) {
    return Shown{i->titleShown != 0, i->menuShown != 0, i->timeSliderShown != 0, i->pageShown != 0, int(i->look),
                 int(i->titleHeight), int(i->titleFontSize)};
}

class PlugInLayout : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(seeing::StartEngine()); }
};

// MOON cells: an icon bar of 14; the title of 20 in 12 points; the position bar of 8.
TEST_F(PlugInLayout, StripsFitTheInstanceTopDown) {
    const struct {
        const char *label;
        SInt16 width, height;
        const char *look;
        Shown expected;
    } rows[] = {
        {"small SHADOW goes flat with a small title", 400, 49, "SHADOW", {true, true, false, false, 0, 14, 9}},
        {"SHADOW one pixel higher keeps its look", 400, 50, "SHADOW", {true, true, false, false, 3, 20, 12}},
        {"100 wide, too short for any title", 100, 25, "MOON", {false, true, true, false, 0, 20, 12}},
        {"room for the 14-pixel title only", 100, 30, "MOON", {true, true, false, false, 0, 14, 10}},
        {"room for the 12-pixel title only", 100, 27, "MOON", {true, true, false, false, 0, 12, 8}},
        {"99 wide never shows the position bar", 99, 600, "MOON", {true, true, false, true, 0, 20, 12}},
        {"100 wide shows it", 100, 600, "MOON", {true, true, true, true, 0, 20, 12}},
        {"exactly 60 left: the bar goes, the page stays", 400, 14 + 20 + 60, "MOON", {true, true, false, true, 0, 20, 12}},
        {"67 left: the bar would leave 59", 400, 14 + 20 + 67, "MOON", {true, true, false, true, 0, 20, 12}},
        {"68 left: the bar leaves 60", 400, 14 + 20 + 68, "MOON", {true, true, true, true, 0, 20, 12}},
        {"59 left: bar shown, no page", 400, 14 + 20 + 59, "MOON", {true, true, true, false, 0, 20, 12}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        Instance i(row.width, row.height, {{"LOOK", row.look}});
        Shown s = ShownOf(i);
        EXPECT_EQ(s.title, row.expected.title);
        EXPECT_EQ(s.menu, row.expected.menu);
        EXPECT_EQ(s.slider, row.expected.slider);
        EXPECT_EQ(s.page, row.expected.page);
        EXPECT_EQ(s.look, row.expected.look);
        if (row.expected.title) {
            EXPECT_EQ(s.titleHeight, row.expected.titleHeight);
            EXPECT_EQ(s.titleFont, row.expected.titleFont);
        }
    }
}

TEST_F(PlugInLayout, AreasStackUnderTheChrome) {
    Instance i(800, 600);  // SHADOW: a 20-pixel title, 22-pixel icons with 4 above and below, a bar of 8
    EXPECT_EQ(GetHauteurTitre(i.get()), 20);
    EXPECT_EQ(GetHauteurBoutons(i.get()), 30);
    EXPECT_EQ(GetHauteurBarrePosMusique(i.get()), 8);
    Rect r;
    CalculeAireBarrePosMusique(i.get(), &r);
    EXPECT_EQ(r.top, 50);
    EXPECT_EQ(r.bottom, 58);
    EXPECT_EQ(r.right, 800);
    PlugInCalculeAireAffichage(i.get(), &r);
    EXPECT_EQ(r.top, 58);
    EXPECT_EQ(r.bottom, 600);
    i->keyboardShown = 1;
    PlugInCalculeAireAffichage(i.get(), &r);
    EXPECT_EQ(r.bottom, 600 - 134);
    EXPECT_TRUE(IsClickInTitle(i.get(), Point{19, 799}));
    EXPECT_FALSE(IsClickInTitle(i.get(), Point{20, 5}));
    CalculeAireIconPlugIn(i.get(), 0, &r);
    EXPECT_EQ(r.top, 24);  // below the title and the padding
    EXPECT_EQ(r.bottom, 46);
    EXPECT_EQ(r.right, 27);
}

TEST_F(PlugInLayout, QuarterTurnsOfARectangle) {
    const Rect container = {0, 0, 100, 200};  // 200 wide, 100 high
    const struct {
        SInt16 turns;
        Rect expected;
    } rows[] = {
        {0, {10, 20, 30, 60}}, {1, {20, 70, 60, 90}}, {2, {70, 140, 90, 180}}, {3, {140, 10, 180, 30}},
        {4, {10, 20, 30, 60}}, {5, {20, 70, 60, 90}}, {-1, {140, 10, 180, 30}}, {-6, {70, 140, 90, 180}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.turns);
        Rect r = {10, 20, 30, 60};
        RotateRectRelatif(&r, &container, row.turns);
        EXPECT_EQ(r.top, row.expected.top);
        EXPECT_EQ(r.left, row.expected.left);
        EXPECT_EQ(r.bottom, row.expected.bottom);
        EXPECT_EQ(r.right, row.expected.right);
    }
    Rect r = {1, 2, 3, 4};
    swaprect(&r);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.bottom, 4);
    EXPECT_EQ(r.right, 3);
}

TEST_F(PlugInLayout, ThemesByNameAndByIndex) {
    Instance i(400, 300);
    for (const char *name : {"dracula", "DRACULA", "DrAcUlA"}) {
        SCOPED_TRACE(name);
        PlugInDefaultColor(i.get());
        ApplyColorCommand(i.get(), name);
        EXPECT_EQ(Hex(i->imgBkColor), 0xFFBBBBu);
        EXPECT_EQ(Hex(i->titleBkColor), 0xDD0000u);
        EXPECT_EQ(Hex(i->desktopColor), 0x090000u);
        EXPECT_EQ(Hex(i->listColor), 0x800000u);
        EXPECT_EQ(Hex(plugInThemes.couleurFondAscenseurListe), 0x800000u);
    }
    ApplyColorCommand(i.get(), "velvet");  // unknown: nothing changes
    EXPECT_EQ(Hex(i->imgBkColor), 0xFFBBBBu);
    ApplyColorCommand(i.get(), nullptr);
    EXPECT_EQ(GetNbThemes(), 8);
    EXPECT_TRUE(ApplyTheme(i.get(), 0));  // OPAL
    EXPECT_EQ(Hex(i->titleBkColor), 0x7AD1E1u);
    EXPECT_EQ(Hex(i->scrollThumbColor), 0x094E5Au);
    EXPECT_TRUE(ApplyTheme(i.get(), 7));  // BRONZE
    EXPECT_EQ(Hex(i->menuBkColor1), 0xE3D45Cu);
    EXPECT_FALSE(ApplyTheme(i.get(), 8));
    EXPECT_EQ(Hex(i->imgBkColor), 0xFFFFEEu);
    EXPECT_EQ(Hex(i->desktopColor), 0x808080u);
    EXPECT_EQ(Hex(plugInThemes.couleurFondAscenseurListe), 0x000000u);
    EXPECT_FALSE(ApplyTheme(i.get(), -1));
    Instance themed(400, 300, {{"COLOR_THEME", "snowball"}, {"DESKTOPCOLOR", "00FF00"}});
    EXPECT_EQ(Hex(themed->timeSliderBkColor2), 0xE0E0E0u);
    EXPECT_EQ(Hex(themed->desktopColor), 0x00FF00u);  // the later parameter wins
}

std::string Title(Instance &i, RGBColor *fore = nullptr) {
    char text[kTitleTextSize];
    RGBColor f, b;
    PlugInTexteTitre(i.get(), text, &f, &b);
    if (fore) *fore = f;
    return text;
}

TEST_F(PlugInLayout, TitleTellsTheDownloadThenTheDocument) {
    Instance quiet(400, 300, {{"DISPFILENAME", "OFF"}});
    RGBColor fore;
    EXPECT_EQ(Title(quiet, &fore), "Downloading ...");
    EXPECT_EQ(Hex(fore), 0x00A000u);
    quiet->downloadFailed = 1;
    EXPECT_EQ(Title(quiet, &fore), "Download error.");
    EXPECT_EQ(Hex(fore), 0xF00000u);

    Instance named(400, 300, {{"SRC", "/scores/my%20song.xml"}});
    named->bytesReceived = 2048;
    EXPECT_EQ(Title(named), "Downloading 'my song.xml' (2kb)");
    named->streamLength = 10240;
    EXPECT_EQ(Title(named), "Downloading 'my song.xml' (2kb of 10kb)");
    named->downloadFailed = 1;
    EXPECT_EQ(Title(named), "Download error on 'my song.xml'.");
    named->downloadFailed = 0;
    named->docInCache = 1;
    EXPECT_EQ(Title(named, &fore), "<my song.xml not found>");
    EXPECT_EQ(Hex(fore), 0xF00000u);

    DocumentRecord *document = new DocumentRecord();
    named->document = document;  // loaded, not playing: no time heard
    std::strcpy(named->docTitle, "Song");
    named->pageCount = 3;
    named->bytesReceived = 5000;
    named->totalDurationMs = 3723000;  // 1 h 2 min 3 s
    EXPECT_EQ(Title(named, &fore), "Song (02:03) page 1/3 [4Kb]");
    EXPECT_EQ(Hex(fore), 0x000000u);
    std::strcpy(named->viewName, "Piano");
    std::strcpy(named->karaokeTitle, "Voice");
    named->karaokeActive = 1;  // the karaoke panel shows no page
    EXPECT_EQ(Title(named), "Song / Voice / Piano (02:03) [4Kb]");
    named->document = nullptr;
    delete document;
    plugInState.plugInInstancePlay = named.get();
    EXPECT_EQ(Title(named, &fore), "Song / Voice / Piano (02:03) [4Kb]");
    EXPECT_EQ(Hex(fore), 0x0000FFu);  // the playing instance's colours
    plugInState.plugInInstancePlay = nullptr;
}

TEST_F(PlugInLayout, TitleStaysWithinItsBuffer) {
    Instance i(400, 300, {{"DURATION", "OFF"}, {"DISPLAYSIZE", "OFF"}, {"PAGE", "OFF"}});
    i->docInCache = 1;
    i->karaokeActive = 1;
    std::memset(i->docTitle, 'a', 255);
    i->docTitle[255] = 0;
    std::memset(i->karaokeTitle, 'b', 255);
    i->karaokeTitle[255] = 0;
    std::memset(i->viewName, 'c', 255);
    i->viewName[255] = 0;
    std::string text = Title(i);
    EXPECT_EQ(text, std::string(255, 'a'));
    // A UTF-8 character is never cut in two.
    std::memset(i->docTitle, 'a', 251);
    i->docTitle[251] = 0;
    i->karaokeActive = 0;
    std::strcpy(i->viewName, "\xC3\xA9\xC3\xA9");
    text = Title(i);
    EXPECT_EQ(text, std::string(251, 'a') + " / ");
    char tabs[] = "a\tb\nc\rd\x1F" "e";
    PlugBlanchitControles(tabs);
    EXPECT_STREQ(tabs, "a b c d e");
}

TEST_F(PlugInLayout, ScrollBarsOfTheDisplayArea) {
    Instance flat(800, 600);
    flat->scrollContent = Rect{0, 0, 2000, 3000};
    PlugInitAscenseurs(flat.get(), kTrue);
    EXPECT_EQ(flat->scrollHMax, 0);  // zoom 1: a page never scrolls
    EXPECT_EQ(flat->scrollVMax, 0);

    Instance zoomed(800, 600, {{"ZOOMVALUE", "250"}});
    zoomed->scrollContent = Rect{0, 0, 2000, 3000};
    PlugInitAscenseurs(zoomed.get(), kTrue);
    // Horizontal: 786 long, 758 usable, thumb 758 x 786 / 3000 = 198. Vertical: 58 to 586,
    // 500 usable, thumb 500 x 528 / 2000 = 132.
    EXPECT_EQ(zoomed->scrollHMax, 758 - 198);
    EXPECT_EQ(zoomed->scrollVMax, 500 - 132);
    Rect bar, arrow1, arrow2, thumb;
    PlugCalculeAireTotaleAscenseur(zoomed.get(), kTrue, &bar);
    PlugCalculePartiesAscenseur(zoomed.get(), &bar, 100, kTrue, &arrow1, &arrow2, &thumb);
    EXPECT_EQ(arrow1.right, 14);
    EXPECT_EQ(arrow2.left, 786 - 14);
    EXPECT_EQ(thumb.left, 114);
    EXPECT_EQ(thumb.right, 114 + 198);
    // Content shorter than the bar: a negative maximum becomes 0 and the position goes back.
    zoomed->scrollContent = Rect{0, 0, 100, 100};
    zoomed->scrollH = 50;
    zoomed->scrollV = 40;
    PlugInitAscenseurs(zoomed.get(), kFalse);
    EXPECT_EQ(zoomed->scrollHMax, 0);
    EXPECT_EQ(zoomed->scrollH, 0);
    EXPECT_EQ(zoomed->scrollV, 0);
    // An empty frame: the thumb takes the whole travel.
    zoomed->scrollContent = Rect{0, 0, 0, 0};
    EXPECT_EQ(PlugTailleCurseurAscenseur(zoomed.get(), &bar, kTrue), 758);
    // The keyboard raises both bars by 134.
    Rect vertical;
    PlugCalculeAireTotaleAscenseur(zoomed.get(), kFalse, &vertical);
    EXPECT_EQ(bar.top, 586);
    EXPECT_EQ(vertical.bottom, 586);
    zoomed->keyboardShown = 1;
    PlugCalculeAireTotaleAscenseur(zoomed.get(), kTrue, &bar);
    PlugCalculeAireTotaleAscenseur(zoomed.get(), kFalse, &vertical);
    EXPECT_EQ(bar.top, 586 - 134);
    EXPECT_EQ(bar.bottom, 600 - 134);
    EXPECT_EQ(vertical.bottom, 586 - 134);
}

}  // namespace
