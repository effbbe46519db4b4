// ctest-labels: playback
// Tempo maps: the score's tempo and its tempo marks over played time (repeats and jumps
// unrolled) and written time, both conversions, a tempo of 0, beat units, and marks following
// a change of the score's tempo.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "score/musical_arithmetic.h"
#include "score/played_measures.h"
#include "score/ruptures.h"
#include "score/score_hooks.h"
#include "score/dynamics_objects.h"
#include "score/tempo_map.h"
#include "support/message_catcher.h"
#include "support/score_support.h"
#include "tools/demo_scores/demo_documents.h"
#include "tools/demo_scores/playback_demos.h"

namespace {

// A score of measures 4/4 measures on one staff, with tempo marks (quarters a minute) at times.
struct TempoScore : ScoreFixture {
    StaffHandle staff;
    explicit TempoScore(SInt32 measures) {
        TimeSignature four = Signature(4, 4);
        if (measures > 1) InsereMesureChangeEchelleMesure(score, 1, measures - 1, 0, &four, 1);
        staff = Staff();
    }
    DynamicsObject *Mark(SInt32 time, float tempo) {
        DynamicsObject *object = GetDynamiquePtr(staff, NewDynamique(staff));
        object->kind = kDynamiqueTempo;
        object->inUse = 1;
        object->startTime = time;
        object->beatUnit = kTempsNoire;
        InjecteTempoDansDynamique(object, tempo);
        return object;
    }
};

std::vector<StaffHandle> gSung;
void RecordSung(StaffHandle staff) { gSung.push_back(staff); }

TEST(TempoMap, MarksChangeTheTempoFromTheirTime) {
    DocumentRecord *document = CreeDocumentDemo(ConstruitTempo);  // 120, then 60 from measure 2
    ScoreHandle score = document->score;
    const struct {
        SInt32 time, ms;
    } rows[] = {{0, 0}, {kTempsNoire, 500}, {kTempsRonde, 2000}, {kTempsRonde + kTempsNoire, 3000},
                {2 * kTempsRonde, 6000}, {-kTempsNoire, -500}};
    for (Boolean played : {true, false}) {
        for (const auto &row : rows) {
            SCOPED_TRACE(row.time);
            EXPECT_EQ(CvtTempsJoueEnMs(score, row.time, played), row.ms);
            if (row.ms >= 0) {
                EXPECT_EQ(CvtMsEnTempsJoue(score, row.ms, played), row.time);
            }
        }
    }
    EXPECT_EQ(CvtMsEnTempsJoue(score, -5, true), 0);
    // Three seconds of a digital track: two of measure 1, then a quarter at 60.
    EXPECT_EQ(CvtPosPisteEnTempsEcrit(score, 3 * 44100), kTempsRonde + kTempsNoire);
    LibereDemoScore(&document);
}

// After a repeat or a jump the tempo is the one written where the music goes on.
TEST(TempoMap, PlayedMapFollowsRepeatsAndJumps) {
    {
        TempoScore f(2);  // A :| B, a mark of 60 on B
        AjouteRuptureEnMesure(f.score, kRuptureFinReprise, 0, 0);
        f.Mark(kTempsRonde, 60);
        RemetRupturesEnForme(f.score);
        PrepareDynamiquesTempoPartition(f.score);
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, 2 * kTempsRonde, true), 4000);
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, 2 * kTempsRonde + kTempsNoire, true), 5000);
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, kTempsRonde + kTempsNoire, false), 3000);
    }
    {
        TempoScore f(2);  // A, B with a mark of 60 and a D.C.: A B A B
        AjouteRuptureEnMesure(f.score, kRuptureDaCapo, 1, 0);
        f.Mark(kTempsRonde, 60);
        RemetRupturesEnForme(f.score);
        PrepareDynamiquesTempoPartition(f.score);
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, 3 * kTempsRonde, true), 8000);
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, 4 * kTempsRonde, true), 12000);
        EXPECT_EQ(CvtTempsJoueEnTempsEcrit(f.score, 3 * kTempsRonde), kTempsRonde);
    }
}

// A map of more segments than its first allocation holds: 200 measures, each with a mark of its
// own, 60 and 120 in turn (a 4/4 measure lasts 4 s, then 2 s).
TEST(TempoMap, ManyMarksMakeOneSegmentEach) {
    TempoScore f(200);
    for (SInt32 m = 0; m < 200; m++) f.Mark(m * kTempsRonde, m % 2 ? 120.0f : 60.0f);
    TempoSegment *segments = nullptr;
    SInt32 count = 0;
    for (Boolean played : {true, false}) {
        SCOPED_TRACE(played);
        ASSERT_EQ(CalculeSegmentsTempo(f.score, played, &segments, &count), noErr);
        EXPECT_EQ(count, 200);
        EXPECT_DOUBLE_EQ(MsDeSegments(segments, count, 200.0 * kTempsRonde), 100 * 4000.0 + 100 * 2000.0);
        DisposPtr(reinterpret_cast<Ptr>(segments));
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, 199 * kTempsRonde + kTempsNoire, played), 99 * 6000 + 4000 + 500);
    }
}

// A score tempo of 0 used to divide by zero: it plays at 120, traced once.
TEST(TempoMap, ATempoBelowOneCountsAs120TracedOnce) {
    MessageCatcher messages;
    const struct {
        SInt16 tempo;
        UInt16 fraction;
        SInt32 msPerQuarter;
    } rows[] = {{0, 0, 500}, {-30, 0, 500}, {0, 32767, 500}, {60, 0, 1000}, {5000, 0, 12}, {30000, 0, 12},
                {90, 32767, 663}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tempo);
        TempoScore f(2);
        (*f.score)->tempo = row.tempo;
        (*f.score)->tempoFraction = row.fraction;
        EXPECT_EQ(CvtTempsJoueEnMs(f.score, kTempsNoire, true), row.msPerQuarter);
    }
    EXPECT_EQ(messages.Count("Tempo below 1"), 1u);
}

TEST(TempoMap, BeatUnitsCountInTheMarksTempo) {
    TempoScore f(2);
    DynamicsObject *mark = f.Mark(0, 60);
    mark->beatUnit = 2 * kTempsNoire;  // 60 half notes a minute
    mark->beatUnitGiven = 1;
    EXPECT_DOUBLE_EQ(GetTempoMarque(mark), 120);
    InjecteTempoDansDynamique(mark, 72.5f);
    EXPECT_DOUBLE_EQ(GetTempoMarque(mark), 145);
    mark->kind = kDynamiquePPP;
    EXPECT_EQ(GetTempoMarque(mark), 0);
}

TEST(TempoMap, MarksFollowTheScoresTempo) {
    ScoreSingerHooks singer = {};
    singer.porteeACalculer = RecordSung;
    OrvaSetScoreSingerHooks(&singer);
    TempoScore f(2);
    (*f.staff)->sung = 1;
    f.Mark(kTempsRonde, 60);
    (*f.score)->tempo = 60;
    ReajusteValeurDynamiqueTempoAffiche(f.score, 120.0f);
    const DynamicsObject *mark = reinterpret_cast<const DynamicsObject *>(*(*f.staff)->dynamics);
    EXPECT_EQ(mark->values[0], 30);
    EXPECT_EQ(CvtTempsJoueEnMs(f.score, kTempsRonde + kTempsNoire, true), 4000 + 2000);
    EXPECT_EQ(gSung.size(), 1u);
    ReajusteValeurDynamiqueTempoAffiche(f.score, 0.0f);  // an old tempo of 0 leaves the marks
    EXPECT_EQ(reinterpret_cast<const DynamicsObject *>(*(*f.staff)->dynamics)->values[0], 30);
    OrvaSetScoreSingerHooks(nullptr);
}

}  // namespace
