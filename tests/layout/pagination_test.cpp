// ctest-labels: layout
// Breaking scores into lines and pages: break flags, justification to the margins, proportional
// times, staff-height events, titles, rescaling to a page count, and scores that would stall a
// naive layout (a measure wider than a page, an unbreakable run, hostile sizes).
#include <gtest/gtest.h>

#include <cairo.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/staff_services.h"
#include "layout/free_objects.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/spacing.h"
#include "layout/staff_heights.h"
#include "layout/units.h"
#include "graphics/cairo/port_surfaces.h"
#include "score/score_hooks.h"
#include "support/graphics/quickdraw_support.h"
#include "support/layout/layout_support.h"
#include "support/message_catcher.h"
#include "support/score_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

// A4 less 15 mm, at dpi: where justified lines end (the standard page setup's right margin).
float MargeDroite(float dpi) { return (595.0f / 72.0f - 15.0f / 25.4f) * dpi; }

struct Line {
    SInt16 page;
    SInt32 index;  // in its page
    LigneRecord record;
};

std::vector<Line> Lignes(DocumentRecord *document) {
    std::vector<Line> lines;
    for (SInt16 page = 1; page <= GetNbPagesDocument(document); page++) {
        PageRecord record;
        if (!GetPageMiseEnPage(document, page, &record)) continue;
        for (SInt32 l = 0; l < record.lineCount; l++) {
            Line line = {page, l, {}};
            if (GetLigneMiseEnPage(document, page, l, &line.record)) lines.push_back(line);
        }
    }
    return lines;
}

const Line *LigneDe(const std::vector<Line> &lines, SInt32 measure) {
    for (const Line &line : lines)
        if (measure >= line.record.firstMeasure && measure < line.record.closingMeasure) return &line;
    return nullptr;
}

// "" when the lines cover the measures once each, in order, none empty, inside finite numbers.
std::string Couverture(DocumentRecord *document) {
    std::vector<Line> lines = Lignes(document);
    SInt32 next = 0, count = (*document->score)->measureCount;
    for (const Line &line : lines) {
        const LigneRecord &r = line.record;
        if (r.firstMeasure != next) return "gap before measure " + std::to_string(next);
        if (r.closingMeasure <= r.firstMeasure) return "empty line at measure " + std::to_string(next);
        if (!std::isfinite(r.left) || !std::isfinite(r.right) || !std::isfinite(r.top) || !(r.right >= r.left))
            return "line geometry at measure " + std::to_string(next);
        next = r.closingMeasure;
    }
    if (next != count) return "measures end at " + std::to_string(next) + " of " + std::to_string(count);
    return "";
}

class Pagination : public ::testing::Test {
protected:
    DocumentRecord *document = nullptr;
    void SetUp() override {
        ASSERT_TRUE(DemarreMiseEnPagePourTests());
        SetDpiDest(100);
    }
    void TearDown() override {
        LibereDemoScore(&document);
        ArreteMiseEnPagePourTests();
        SetDpiDest(kDpiEcran);
    }
    void Orchestre(float zoom = 0) {
        document = CreeDemoScore("orchestra");
        ASSERT_NE(document, nullptr);
        if (zoom > 0) document->zoom = zoom;
    }
    void Drapeau(SInt32 measure, UInt8 MeasureElement::*flag) {
        GetMesurePtr(document->score, measure)->*flag = 1;
        FixeMiseEnPageNonCalculee(document);
    }
    std::vector<Line> Calcule() {
        EXPECT_GT(CombienDePages(document->score), 0);
        return Lignes(document);
    }
};

// Measures are counted from 1 in the flags' descriptions and from 0 in the table.
TEST_F(Pagination, ASystemBreakEndsTheFirstSystemAtItsMeasure) {
    Orchestre(0.5f);
    std::vector<Line> natural = Calcule();
    ASSERT_GT(natural[0].record.closingMeasure, 4);  // without the flag more than four fit
    Drapeau(3, &MeasureElement::systemBreak);
    std::vector<Line> lines = Calcule();
    EXPECT_EQ(lines[0].record.closingMeasure, 4);
    EXPECT_EQ(lines[1].record.firstMeasure, 4);
    EXPECT_EQ(Couverture(document), "");
}

TEST_F(Pagination, APageBreakStartsTheNextPageWithTheFollowingMeasure) {
    Orchestre();
    std::vector<Line> first = Calcule();
    const Line *natural = LigneDe(first, 20);
    ASSERT_NE(natural, nullptr);
    ASSERT_FALSE(natural->index == 0 && natural->record.firstMeasure == 20);
    Drapeau(19, &MeasureElement::pageBreak);
    std::vector<Line> lines = Calcule();
    const Line *after = LigneDe(lines, 20), *before = LigneDe(lines, 19);
    ASSERT_TRUE(after && before);
    EXPECT_EQ(after->record.firstMeasure, 20);
    EXPECT_EQ(after->index, 0);
    EXPECT_EQ(after->page, before->page + 1);
    EXPECT_EQ(GetPageMesure(document, 20), after->page);
    EXPECT_EQ(Couverture(document), "");
}

TEST_F(Pagination, BreakForbiddenMeasuresStayOnOneSystem) {
    Orchestre(0.6f);
    std::vector<Line> natural = Calcule();
    ASSERT_NE(LigneDe(natural, 6)->record.firstMeasure, LigneDe(natural, 8)->record.firstMeasure);
    for (SInt32 m = 6; m <= 8; m++) Drapeau(m, &MeasureElement::breakForbidden);
    std::vector<Line> lines = Calcule();
    const Line *seven = LigneDe(lines, 6), *nine = LigneDe(lines, 8);
    EXPECT_EQ(seven->record.firstMeasure, nine->record.firstMeasure);
    EXPECT_EQ(Couverture(document), "");
}

TEST_F(Pagination, EveryLineButTheLastEndsAtTheRightMargin) {
    Orchestre();
    for (SInt16 dpi : {SInt16(100), SInt16(300)}) {
        SCOPED_TRACE(dpi);
        SetDpiDest(dpi);
        std::vector<Line> lines = Calcule();
        ASSERT_GE(lines.size(), 3u);
        for (size_t i = 0; i + 1 < lines.size(); i++) EXPECT_NEAR(lines[i].record.right, MargeDroite(dpi), 0.01) << i;
        EXPECT_LT(lines.back().record.right, MargeDroite(dpi));
        // The first line leaves room for the long names, the others for the short ones.
        EXPECT_GT(lines[0].record.left, lines[1].record.left);
        EXPECT_NEAR(lines[1].record.left, lines[2].record.left, 0.01);
    }
    // The same lines and pages at every resolution.
    SetDpiDest(37);
    SInt16 pages = CombienDePages(document->score);
    std::vector<Line> small = Lignes(document);
    SetDpiDest(1200);
    FixeMiseEnPageNonCalculee(document);
    EXPECT_EQ(CombienDePages(document->score), pages);
    std::vector<Line> large = Lignes(document);
    ASSERT_EQ(small.size(), large.size());
    for (size_t i = 0; i < small.size(); i++) EXPECT_EQ(small[i].record.closingMeasure, large[i].record.closingMeasure);
}

TEST_F(Pagination, TimesAreProportionalInsideAMeasureAndBarsAgreeOnEveryStaff) {
    Orchestre();
    std::vector<Line> lines = Calcule();
    const Line &line = lines[1];
    SInt32 m = line.record.firstMeasure + 1, start = CvtMesureEnTemps(document->score, m);
    float bar = 0, notes = 0, end = 0;
    ASSERT_TRUE(GetXMesureLigne(document, line.page, line.index, m, &bar, &notes));
    ASSERT_TRUE(GetXMesureLigne(document, line.page, line.index, m + 1, &end, nullptr));
    float x0 = CvtTempsEnXLigne(document, line.page, line.index, start);
    float x1 = CvtTempsEnXLigne(document, line.page, line.index, start + kTempsNoire);
    float x2 = CvtTempsEnXLigne(document, line.page, line.index, start + 2 * kTempsNoire);
    EXPECT_NEAR(x0, notes, 0.01);
    EXPECT_NEAR(x2 - x1, x1 - x0, 0.01);
    EXPECT_GT(x0, bar);
    EXPECT_LT(x2, end);
    // Staves stand one under the other in score order, each at its own place.
    float previous = -1;
    for (SInt16 s = 0; s < 5; s++) {
        float y = GetYPorteeLigne(document, line.page, line.index, s);
        EXPECT_GT(y, previous) << s;
        previous = y;
    }
}

TEST_F(Pagination, TheMusicStartsBelowTheTitles) {
    Orchestre();
    std::vector<Line> lines = Calcule();
    // The composer's block: 12 mm below the 15 mm top margin, then its 11-point line.
    float composer = (15.0f + 12.0f) / 25.4f * 100 + 11.0f * 100 / 72;
    EXPECT_GT(GetYPorteeLigne(document, 1, 0, 0), composer);
    EXPECT_GT(GetPosBasTitre(nullptr, &document->titles[1]), 120);
    // Without titles the first system rises to the top margin.
    float withTitles = lines[0].record.top;
    for (TitleSlot &slot : document->titles) slot.text[0] = 0;
    FixeMiseEnPageNonCalculee(document);
    EXPECT_NEAR(Calcule()[0].record.top, 15.0f / 25.4f * 100, 0.5);
    EXPECT_LT(Lignes(document)[0].record.top, withTitles);
}

TEST_F(Pagination, StaffHeightEventsMoveStavesIndentsAndTheFirstSystem) {
    document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ASSERT_EQ(ConstruitDemoLongue(document, 12, 2), noErr);
    FixeMiseEnPageStandardDocument(document);
    std::vector<Line> before = Calcule();
    float gap = GetYPorteeLigne(document, 1, 0, 1) - GetYPorteeLigne(document, 1, 0, 0);
    StaffHandle first = GetPortee(document->score, 0);
    const float points = 100.0f / 72;  // pixels a point at zoom 1 and 100 dpi
    ASSERT_EQ(AddEventStaffHeighRange(first, kEvtBande, 0, 11, 36), noErr);
    ASSERT_EQ(AddEventStaffHeighRange(first, kEvtRetraitGauche, 0, 11, 54), noErr);
    ASSERT_EQ(AddEventStaffHeighRange(first, kEvtDescentePremierSysteme, 0, 11, 18), noErr);
    FixeMiseEnPageNonCalculee(document);
    std::vector<Line> after = Calcule();
    EXPECT_NEAR(GetYPorteeLigne(document, 1, 0, 1) - GetYPorteeLigne(document, 1, 0, 0), gap + 36 * points, 0.01);
    EXPECT_NEAR(after[0].record.left - before[0].record.left, 54 * points, 0.01);
    EXPECT_NEAR(after[0].record.top - before[0].record.top, 18 * points, 0.01);
    EXPECT_EQ(AddEventStaffHeighRange(first, 12, 0, 1, 5), paramErr);
    EXPECT_EQ(AddEventStaffHeighRange(first, kEvtBande, -1, 1, 5), paramErr);
    EXPECT_EQ(NbEvenementsHauteur(first), 3);
}

SInt32 gLayouts = 0;
void CompteEspacement(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi) {
    if (dpi == kDpiMiseEnPage) gLayouts++;
    EspaceMesures(score, first, count, dpi);
}

TEST_F(Pagination, RescalingReachesTheWantedPagesInTwelveLayoutsAtMost) {
    Orchestre();
    ScoreLayoutHooks counting = {CompteEspacement, LibereObjetsLibres, LibereGraphiques};
    OrvaSetScoreLayoutHooks(&counting);
    for (SInt16 wanted : {SInt16(2), SInt16(5), SInt16(1), SInt16(30000)}) {
        SCOPED_TRACE(wanted);
        SInt16 before = CombienDePages(document->score);
        gLayouts = 0;
        SInt16 pages = RecalculeEchellePourNombreDePage(document, wanted);
        EXPECT_LE(gLayouts, kLayoutsRecalculMax);
        EXPECT_EQ(pages, CombienDePages(document->score));
        if (wanted < 30000) {
            EXPECT_EQ(pages, wanted);
        } else {
            EXPECT_GT(pages, before);  // out of reach: the nearest count tried
        }
        EXPECT_EQ(Couverture(document), "");
    }
    EXPECT_EQ(RecalculeEchellePourNombreDePage(document, 0), 0);
    InitMiseEnPage();
}

TEST_F(Pagination, AMeasureWiderThanItsSystemIsSqueezedOntoALineOfItsOwn) {
    document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ASSERT_EQ(ConstruitDemoLongue(document, 5, 1), noErr);
    GetMesurePtr(document->score, 2)->widthScale = 30000;  // thirty times the width of a page
    GetMesurePtr(document->score, 2)->scale = 30000;
    std::vector<Line> lines = Calcule();
    ASSERT_EQ(Couverture(document), "");
    const Line *wide = LigneDe(lines, 2);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->record.firstMeasure, 2);
    EXPECT_EQ(wide->record.closingMeasure, 3);
    EXPECT_NEAR(wide->record.right, MargeDroite(100), 0.01);
}

TEST_F(Pagination, AnUnbreakableRunWiderThanASystemBreaksWhereItMustTracedOnce) {
    document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ASSERT_EQ(ConstruitDemoLongue(document, 40, 2), noErr);
    for (SInt32 m = 0; m < 40; m++) GetMesurePtr(document->score, m)->breakForbidden = 1;
    MessageCatcher catcher;
    std::vector<Line> lines = Calcule();
    std::vector<std::string> traces = catcher.traces;
    EXPECT_EQ(Couverture(document), "");
    EXPECT_GT(lines.size(), 3u);
    for (size_t i = 0; i + 1 < lines.size(); i++) EXPECT_NEAR(lines[i].record.right, MargeDroite(100), 0.01);
    ASSERT_EQ(traces.size(), 1u);
    EXPECT_NE(traces[0].find("unbreakable"), std::string::npos) << traces[0];
}

TEST_F(Pagination, HostileDocumentsLayOutWithAMeasureOnEveryLine) {
    const struct {
        const char *label;
        SInt32 measures;
        SInt16 staves;
        void (*spoil)(DocumentRecord *document);
    } rows[] = {
        {"no measure", 0, 1, nullptr},
        {"30,000 measures", 1, 1,
         [](DocumentRecord *d) {
             // Measures of an eighth, so that 30,000 of them stay within the times a score holds.
             TimeSignature eighth = Signature(1, 8);
             FixeDivisionMesurePartition(d->score, 0, &eighth, 1, 0, 0);
             EtendTableMesures(d->score, 30000 * (kTempsNoire / 2));
             SetTabEltMesureModifie(d->score, kTabEltTout);
             UpdateTabEltMesure(d->score, kTabEltTout);
             ASSERT_EQ((*d->score)->measureCount, 30000);
         }},
        {"200 staves", 3, 200, nullptr},
        {"paper of zero", 8, 2, [](DocumentRecord *d) { std::memset(d->pageSetup.paperRect, 0, sizeof d->pageSetup.paperRect); }},
        {"paper of 10 m", 8, 2, [](DocumentRecord *d) { d->pageSetup.paperRect[2] = d->pageSetup.paperRect[3] = 28346; }},
        {"negative margins", 8, 2, [](DocumentRecord *d) { for (SInt32 &m : d->pageSetup.margins) m = -5000; }},
        {"huge margins", 8, 2, [](DocumentRecord *d) { for (SInt32 &m : d->pageSetup.margins) m = 2000000; }},
        {"staff heights 0", 8, 3,
         [](DocumentRecord *d) {
             for (SInt16 s = 0; s < 3; s++) (*GetPortee(d->score, s))->height = 0;
         }},
        {"events of +-32767", 8, 2,
         [](DocumentRecord *d) {
             for (SInt16 kind : {kEvtBande, kEvtRetraitGauche, kEvtRetraitDroit, kEvtDescentePremierSysteme, kEvtDecalageHaut})
                 for (SInt32 value : {32767, -32767}) AddEventStaffHeighRange(GetPortee(d->score, 0), kind, 0, 7, value);
         }},
        {"zoom of nothing", 8, 2, [](DocumentRecord *d) { d->zoom = std::nanf(""); }},
        {"every flag", 8, 2,
         [](DocumentRecord *d) {
             for (SInt32 m = 0; m < 8; m++) {
                 MeasureElement *e = GetMesurePtr(d->score, m);
                 e->systemBreak = e->breakForbidden = e->pageBreak = 1;
             }
         }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        LibereDemoScore(&document);
        document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        if (row.measures > 0) {
            ASSERT_EQ(ConstruitDemoLongue(document, row.measures, row.staves), noErr);
        } else {
            ASSERT_NE(CreePartitionVide(document), nullptr);
            DoDeleteMesures(document->score, 0, (*document->score)->measureCount, 1, 1, kToutesPortees, 1);
        }
        FixeMiseEnPageStandardDocument(document);
        if (row.spoil) row.spoil(document);
        EXPECT_EQ(MetsEnPageDocument(document, nullptr, nullptr), noErr);
        EXPECT_GE(GetNbPagesDocument(document), 1);
        EXPECT_EQ(Couverture(document), "");
    }
}

// A page drawn straight into a port, as the player plays it, read back by pngstaff.
TEST_F(Pagination, APageDrawnIntoAPortReadsAsItsSystemsAndPagesOutsideArePaperOnly) {
    Orchestre();
    SInt16 pages = CombienDePages(document->score);
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    GrafPort port;
    OpenTestPort(&port, SInt16(std::ceil(width)), SInt16(std::ceil(height)));
    OrvaFillSurfaceRect(&port, 0, 0, port.portRect.right - 1, port.portRect.bottom - 1, 0x808080);
    for (SInt16 outside : {SInt16(0), SInt16(pages + 1)}) {
        ASSERT_EQ(TracePageDocument(document, outside, 1, outside, pages), noErr);
        SInt32 ink = 0;
        for (SInt32 y = 0; y < port.portRect.bottom; y += 3)
            for (SInt32 x = 0; x < port.portRect.right; x += 3) ink += PortPixel(&port, x, y) != 0xFFFFFF;
        EXPECT_EQ(ink, 0) << outside;
    }
    ASSERT_EQ(TracePageDocument(document, 1, 1, 1, pages), noErr);
    std::string png = TempFile("raster-page.png");
    ASSERT_EQ(cairo_surface_write_to_png(port.surface, png.c_str()), CAIRO_STATUS_SUCCESS);
    ClosePort(&port);
    int status = -1;
    std::string out = RunCommand(ToolPath("pngstaff") + " " + png, &status);
    std::remove(png.c_str());
    EXPECT_NE(out.find("\nsystems=2 staves=10\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nbraces=2\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nink-above=yes\n"), std::string::npos) << out;
}

TEST_F(Pagination, AScoreWithoutMeasuresHasOnePageWithItsTitles) {
    Orchestre();
    DoDeleteMesures(document->score, 0, (*document->score)->measureCount, 1, 1, kToutesPortees, 1);
    ASSERT_EQ((*document->score)->measureCount, 0);
    FixeMiseEnPageNonCalculee(document);
    EXPECT_EQ(CombienDePages(document->score), 1);
    PageRecord page;
    ASSERT_TRUE(GetPageMiseEnPage(document, 1, &page));
    EXPECT_EQ(page.lineCount, 0);
    EXPECT_TRUE(page.titles);
    GrafPort port;
    OpenTestPort(&port, 827, 200);
    ASSERT_EQ(TracePageDocument(document, 1, 1, 1, 1), noErr);
    SInt32 ink = 0;
    for (SInt32 y = 0; y < 200; y++)
        for (SInt32 x = 0; x < 827; x++) ink += (PortPixel(&port, x, y) & 0xFF) < 128;
    EXPECT_GT(ink, 100);  // the title
    ClosePort(&port);
}

}  // namespace
