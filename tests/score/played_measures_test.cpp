// ctest-labels: playback
// The played-measure table: repeats, endings and jumps unrolled for the demo scores and for the
// marks of three corpus files, ruptures written where the ABC importer writes them, hostile
// ruptures that would loop, played-measures texts, and played against written time.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "score/played_measures.h"
#include "score/ruptures.h"
#include "score/score_hooks.h"
#include "support/message_catcher.h"
#include "support/score_support.h"
#include "tools/demo_scores/demo_documents.h"
#include "tools/demo_scores/playback_demos.h"

namespace {

// The played measures, numbered from 1, as "1 2 1 3".
std::string Order(ScoreHandle score) {
    std::string order;
    for (SInt32 k = 0; k < GetNbMesuresJouees(score); k++)
        order += (k ? " " : "") + std::to_string(CvtMesureJoueeEnMesure(score, k) + 1);
    return order;
}

// A score of count 4/4 measures.
struct Measures : ScoreFixture {
    explicit Measures(SInt32 count) {
        TimeSignature four = Signature(4, 4);
        if (count > 1) InsereMesureChangeEchelleMesure(score, 1, count - 1, 0, &four, 1);
    }
    SInt32 Start(SInt32 m) { return m * kTempsRonde; }
    SInt32 End(SInt32 m) { return (m + 1) * kTempsRonde - kRuptureAvantFin; }
    RuptureRecord *Add(SInt16 kind, SInt32 time) { return GetRupturePtr(score, AjouteRupture(score, kind, time)); }
    void Ending(SInt32 m, std::vector<int> numbers, SInt16 kind = kRuptureDebutFin) {
        RuptureRecord *r = Add(kind, Start(m));
        for (int n : numbers) r->endings[n - 1] = 1;
    }
};


TEST(PlayedMeasures, DemoScoresPlayInTheirOrder) {
    const struct {
        const char *demo;
        OSErr (*build)(DocumentRecord *document);
        const char *order;
    } rows[] = {
        {"repeat-dc", ConstruitDemoRepriseRang<0>, "1 2 1 2 3 1 2"},
        {"endings", ConstruitDemoRepriseRang<1>, "1 2 1 3 4"},
        {"endings3", ConstruitDemoRepriseRang<2>, "1 2 1 2 1 3 4"},
        {"nested", ConstruitDemoRepriseRang<3>, "1 2 2 3 1 2 2 3"},
        {"times3", ConstruitDemoRepriseRang<4>, "1 1 1"},
        {"no-start", ConstruitDemoRepriseRang<5>, "1 1 2"},
        {"ds-coda", ConstruitDemoRepriseRang<6>, "1 2 3 4 2 3 5"},
        {"ds-fine", ConstruitDemoRepriseRang<7>, "1 2 3 2"},
        {"custom", ConstruitDemoRepriseRang<8>, "1 2 1 3"},
        {"dynamics", ConstruitDynamiques, "1 2"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.demo);
        DocumentRecord *document = CreeDocumentDemo(row.build);
        ASSERT_NE(document, nullptr);
        CalculeTabCvtMesure(document->score);
        EXPECT_EQ(Order(document->score), row.order);
        SInt32 measures = SInt32(std::count(row.order, row.order + strlen(row.order), ' ') + 1);
        EXPECT_EQ(DureeTotaleMusique(document->score), measures * kTempsRonde);
        LibereDemoScore(&document);
    }
}

// The marks of three corpus files, placed as the MusicXML importer places them: a left bar line
// at the measure's start, a right one 2 units before its end, a direction at its time.
TEST(PlayedMeasures, CorpusRepeatsAndJumpsMatchHandCheckedOrders) {
    {
        SCOPED_TRACE("45b-RepeatWithAlternatives.xml");
        Measures f(4);
        f.Ending(1, {1});
        f.Add(kRuptureFinFin, f.End(1));
        f.Add(kRuptureFinReprise, f.End(1));
        f.Ending(2, {2});  // its "discontinue" writes nothing
        f.Add(kRuptureFinale, f.End(3));
        RemetRupturesEnForme(f.score);
        EXPECT_EQ(Order(f.score), "1 2 1 3 4");
    }
    {
        SCOPED_TRACE("45c-RepeatMultipleTimes.xml");
        Measures f(8);
        f.Add(kRuptureDebutEpaisse, f.Start(1));
        f.Add(kRuptureDebutReprise, f.Start(1));
        f.Add(kRuptureFinale, f.End(2));
        f.Add(kRuptureFinReprise, f.End(2))->passCount = 5;
        f.Add(kRuptureFinale, f.End(6));
        f.Add(kRuptureFinReprise, f.End(6))->passCount = 3;
        f.Add(kRuptureFinale, f.End(7));
        RemetRupturesEnForme(f.score);
        EXPECT_EQ(Order(f.score), "1 2 3 2 3 2 3 2 3 2 3 4 5 6 7 4 5 6 7 4 5 6 7 8");
    }
    {
        SCOPED_TRACE("test_staverepetitions_coda_etc.musicxml");
        Measures f(5);
        f.Add(kRuptureSegno, f.Start(0));
        f.Add(kRuptureVersCoda, f.Start(1));
        f.Add(kRuptureDalSegno, f.End(2))->passage = kPassageAlCoda;
        f.Add(kRuptureCoda, f.Start(3));
        f.Add(kRuptureFinale, f.End(4));
        RemetRupturesEnForme(f.score);
        EXPECT_EQ(Order(f.score), "1 2 3 1 2 4 5");
    }
}

// "|: A |1 B :|2 C |]" as the ABC importer writes it: the repeat end, the first ending's end and
// the second ending's start all at the bar line's time, the start of C.
TEST(PlayedMeasures, BarLinesWrittenAtTheNextMeasuresStartCloseTheMeasureBefore) {
    Measures f(3);
    f.Add(kRuptureDebutReprise, 0);
    f.Ending(1, {1}, kRuptureDebutEpaisse);
    f.Add(kRuptureFinReprise, f.Start(2));
    f.Add(kRuptureFinFin, f.Start(2));
    f.Ending(2, {2});
    f.Add(kRuptureFinale, f.Start(3));  // the end of the score
    EXPECT_EQ(CvtRuptureEnMesure(f.score, GetRupturePtr(f.score, GetIndexTypeRupturePresent(f.score, kRuptureFinale, 2))), 2);
    RemetRupturesEnForme(f.score);
    EXPECT_EQ(Order(f.score), "1 2 1 3");
    SInt32 end = GetIndexTypeRupturePresent(f.score, kRuptureFinReprise, 1);
    ASSERT_GE(end, 0);
    EXPECT_EQ(GetRupturePtr(f.score, end)->time, f.End(1));
    EXPECT_EQ(GetRupturePtr(f.score, GetIndexTypeRupturePresent(f.score, kRuptureFinale, 2))->time, f.End(2));
}

TEST(PlayedMeasures, AddingReplacesTheSameKindAtTheSameTimeAndPlacesByKind) {
    Measures f(3);
    SInt32 first = AjouteRupture(f.score, kRuptureFinReprise, f.End(0));
    GetRupturePtr(f.score, first)->passCount = 4;
    EXPECT_EQ(AjouteRupture(f.score, kRuptureFinReprise, f.End(0)), first);
    EXPECT_EQ(GetRupturePtr(f.score, first)->passCount, 1);  // cleared, as new
    EXPECT_EQ((*f.score)->ruptureCount, 1);
    const struct {
        SInt16 kind;
        SInt32 time;
        UInt8 action;
    } rows[] = {{kRuptureDaCapo, f.End(1), kActionDaCapo}, {kRuptureSegno, f.Start(1), kActionSegno},
                {kRuptureFinFin, f.End(1), kActionAucune}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.kind);
        RuptureRecord *r = GetRupturePtr(f.score, AjouteRuptureEnMesure(f.score, row.kind, 1, 1));
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->time, row.time);
        EXPECT_EQ(r->action, row.action);
        EXPECT_GE(GetIndexTypeRupturePresent(f.score, row.kind, 1), 0);
        EXPECT_EQ(GetIndexTypeRupturePresent(f.score, row.kind, 2), -1);
    }
    EXPECT_STREQ(GetRupturePtr(f.score, GetIndexTypeRupturePresent(f.score, kRuptureDaCapo, 1))->text, "D.C.");
    EXPECT_EQ(AjouteRupture(f.score, 17, 0), -1);
    EXPECT_EQ(AjouteRupture(f.score, kRuptureFine, -1), -1);
    EXPECT_EQ(AjouteRuptureEnMesure(f.score, kRuptureFine, 3, 0), -1);
    // A split measure's closing marks go to the end of its second piece.
    ASSERT_EQ(ReporteRuptureFinMesureSurMesureSuivante(f.score, 0), noErr);
    EXPECT_EQ(GetIndexTypeRupturePresent(f.score, kRuptureFinReprise, 0), -1);
    EXPECT_GE(GetIndexTypeRupturePresent(f.score, kRuptureFinReprise, 1), 0);
    EXPECT_EQ(ReporteRuptureFinMesureSurMesureSuivante(f.score, 2), paramErr);
}

// A repeat end written with its importer's "default" pass count of 1 still repeats once.
TEST(PlayedMeasures, APassCountOfOneMeansTwoPasses) {
    Measures f(2);
    f.Add(kRuptureFinReprise, f.End(0))->passCount = 1;
    CalculeTabCvtMesure(f.score);
    EXPECT_EQ(Order(f.score), "1 1 2");
}

// Jumps that would loop for ever: each is taken once and the table stays within its limit.
TEST(PlayedMeasures, LoopingJumpsAreTakenOnceAndTheTableIsBounded) {
    const struct {
        const char *label, *order;
        SInt32 measures;
        std::vector<std::pair<SInt16, SInt32>> ruptures;  // kind, measure (a closing kind at its end)
    } rows[] = {
        {"D.C. inside a repeat", "1 2 1 2 1 2", 2, {{kRuptureDebutReprise, 0}, {kRuptureFinReprise, 1}, {kRuptureDaCapo, 1}}},
        {"two D.S. at each other", "1 2 1 2 3 2 3", 3,
         {{kRuptureSegno, 0}, {kRuptureSegno, 1}, {kRuptureDalSegno, 1}, {kRuptureDalSegno, 2}}},
        {"D.S. without a segno", "1 2", 2, {{kRuptureDalSegno, 1}}},
        {"to coda without a coda", "1 2 1 2", 2, {{kRuptureVersCoda, 0}, {kRuptureDaCapo, 1}}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        Measures f(row.measures);
        for (auto r : row.ruptures) AjouteRuptureEnMesure(f.score, r.first, r.second, 0);
        // The first D.S. goes to the first segno, the second to the second.
        for (SInt32 i = 0, segno = 0, jump = 0; i < (*f.score)->ruptureCount; i++) {
            RuptureRecord *r = GetRupturePtr(f.score, i);
            if (r->kind == kRuptureSegno) r->parameter = SInt16(segno++);
            if (r->kind == kRuptureDalSegno) r->parameter = SInt16(jump++);
        }
        CalculeTabCvtMesure(f.score);
        EXPECT_EQ(Order(f.score), row.order);
    }
    Measures f(2);
    f.Add(kRuptureFinReprise, f.End(1))->passCount = 32767;
    CalculeTabCvtMesure(f.score);
    EXPECT_EQ(GetNbMesuresJouees(f.score), kMaxMesuresJouees);
    EXPECT_EQ(DureeTotaleMusique(f.score), kTempsMax);  // 9999 whole notes pass the longest score
}

// MusicXML "time-only": a D.S. that acts only on the second pass through its measure.
TEST(PlayedMeasures, TimeOnlyActsOnTheNamedPass) {
    Measures f(3);
    f.Add(kRuptureSegno, f.Start(0));
    f.Add(kRuptureDebutReprise, f.Start(1));
    f.Add(kRuptureFinReprise, f.End(1));
    RuptureRecord *ds = f.Add(kRuptureDalSegno, f.End(1) - 1);
    ds->repetitionMode = kRepetitionSeulementPassage;
    ds->passCount = 2;
    CalculeTabCvtMesure(f.score);
    EXPECT_EQ(Order(f.score), "1 2 2 1 2 3");
}

TEST(PlayedMeasures, PlayedMeasuresTextSkipsBadItemsWithOneTrace) {
    MessageCatcher messages;
    Measures f(4);
    ASSERT_EQ(FixeEtatComptageMesurePartition(f.score, 2, 1), noErr);  // measure 3 goes on with number 2
    const struct {
        const char *text, *physical;
        size_t traces;
    } rows[] = {
        {"1-2,1,3", "1 2 3 1 4", 0},
        {" 3 , 1-1,2 ", "4 1 2 3", 0},
        {"x,2-1,0,9,1", "1", 1},
        {"1-", "", 1},
        {"", "", 0},
        {"1,,2", "1 2 3", 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.text);
        messages.Clear();
        Handle logical = CvtStringToTabMesures(f.score, row.text, SInt32(strlen(row.text)));
        Handle physical = logical ? ConvertTabMesureLogiqueEnPhysique(f.score, logical) : nullptr;
        std::string order;
        for (UInt32 i = 0; physical && i < GetHandleSize(physical) / 2; i++)
            order += (i ? " " : "") + std::to_string(reinterpret_cast<UInt16 *>(*physical)[i] + 1);
        EXPECT_EQ(order, row.physical);
        EXPECT_EQ(messages.traces.size(), row.traces);
        if (logical) DisposHandle(logical);
        if (physical) DisposHandle(physical);
    }
}

TEST(PlayedMeasures, ACustomTableStaysWhenRupturesAreRecomputed) {
    Measures f(3);
    f.Add(kRuptureFinReprise, f.End(0));
    Handle logical = CvtStringToTabMesures(f.score, "3,2,1", 5);
    Handle physical = ConvertTabMesureLogiqueEnPhysique(f.score, logical);
    ASSERT_EQ(FixeTabMesuresJouees(f.score, physical), noErr);
    (*f.score)->customPlay = 1;
    RemetRupturesEnForme(f.score);
    EXPECT_EQ(Order(f.score), "3 2 1");
    DoDeleteMesures(f.score, 2, 1, 1, 1, kToutesPortees, 1);
    CalculeTabCvtMesure(f.score);
    EXPECT_EQ(Order(f.score), "2 1");
    DisposHandle(logical);
    DisposHandle(physical);
}

TEST(PlayedMeasures, PlayedTimeConvertsToWrittenTime) {
    DocumentRecord *document = CreeDocumentDemo(ConstruitDemoRepriseRang<1>);  // plays 1 2 1 3 4
    ScoreHandle score = document->score;
    const struct {
        SInt32 played, written, measure;
    } rows[] = {{0, 0, 0},
                {kTempsRonde + 5, kTempsRonde + 5, 1},
                {2 * kTempsRonde + 7, 7, 2},
                {3 * kTempsRonde, 2 * kTempsRonde, 3},
                {5 * kTempsRonde, 4 * kTempsRonde, -1},
                {-3, 0, -1}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.played);
        EXPECT_EQ(CvtTempsJoueEnTempsEcrit(score, row.played), row.written);
        EXPECT_EQ(CvtTempsJoueEnMesureJouee(score, row.played, nullptr), row.measure);
    }
    EXPECT_EQ(CvtMesureJoueeEnTempsJoue(score, 3), 3 * kTempsRonde);
    EXPECT_EQ(CvtMesureJoueeEnMesure(score, 5), -1);
    LibereDemoScore(&document);
}

}  // namespace
