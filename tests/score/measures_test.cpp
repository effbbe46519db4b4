// ctest-labels: score-model
// The measure table: times against measures, signatures, insertions and deletions, suspended
// recomputation, and the key and clef changes that follow the measures.
#include <gtest/gtest.h>

#include "score/musical_arithmetic.h"
#include "support/score_support.h"

namespace {

const SInt32 kWhole = 161280;

// A score of count 4/4 measures.
void Measures(ScoreFixture &f, SInt32 count) {
    TimeSignature four = Signature(4, 4);
    if (count > 1) {
        ASSERT_EQ(InsereMesureChangeEchelleMesure(f.score, 1, count - 1, 0, &four, 1), noErr);
    }
}

TEST(Measures, TimesAndMeasuresMeetAtTheBoundaries) {
    ScoreFixture f;
    Measures(f, 2);
    struct Row {
        SInt32 time, measure;
    } rows[] = {{0, 0}, {kWhole - 1, 0}, {kWhole, 1}, {2 * kWhole - 1, 1}, {2 * kWhole, -1}, {-1, -1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.time);
        EXPECT_EQ(CvtTempsEnMesure(f.score, row.time), row.measure);
    }
    EXPECT_EQ(CvtMesureEnTemps(f.score, 2), 2 * kWhole);  // the end
    EXPECT_EQ(CvtMesureEnTemps(f.score, 3), -1);
    EXPECT_EQ(CvtMesureEnDureeMesure(f.score, -1), -1);
    EXPECT_EQ(CvtTempsEnMesure(nullptr, 0), -1);
}

TEST(Measures, ASignatureChangesTheMeasuresThatFollowAndTheirStarts) {
    ScoreFixture f;
    Measures(f, 20);
    TimeSignature three = Signature(3, 4);
    ASSERT_EQ(FixeDivisionMesurePartition(f.score, 10, &three, 1, 0, 1), noErr);
    for (SInt32 m = 0; m < 20; m++) {
        SCOPED_TRACE(m);
        SInt32 length = m < 10 ? kWhole : kWhole * 3 / 4;
        EXPECT_EQ(CvtMesureEnDureeMesure(f.score, m), length);
        EXPECT_EQ(CvtMesureEnTemps(f.score, m), m <= 10 ? m * kWhole : 10 * kWhole + (m - 10) * length);
    }
    // Back to 4/4 from measure 15 on: only the measures that still had 3/4 follow.
    TimeSignature four = Signature(4, 4);
    ASSERT_EQ(FixeDivisionMesurePartition(f.score, 15, &four, 1, 0, 1), noErr);
    EXPECT_EQ(CvtMesureEnNbTemps(f.score, 14), 3);
    EXPECT_EQ(CvtMesureEnNbTemps(f.score, 19), 4);
    EXPECT_EQ(ScoreInvariantFault(f.score), "");
}

TEST(Measures, DeletionsAndInsertionsKeepStartsContiguous) {
    ScoreFixture f;
    Measures(f, 10);
    StaffHandle staff = f.Staff();
    for (SInt32 m = 0; m < 10; m++) AddNote(staff, SInt16(60 + m), m * kWhole);
    TimeSignature two = Signature(2, 4);
    ASSERT_EQ(InsereMesureChangeEchelleMesure(f.score, 3, 2, 1, &two, 1), noErr);
    EXPECT_EQ((*f.score)->measureCount, 12);
    EXPECT_EQ(SInt32(GetNotePtr(staff, 3)->time), 3 * kWhole + kWhole);  // moved by the inserted length
    ASSERT_EQ(DoDeleteMesures(f.score, 0, 4, 1, 1, kToutesPortees, 1), noErr);
    EXPECT_EQ((*f.score)->measureCount, 8);
    EXPECT_EQ((*staff)->noteCount, 7);  // notes 60..62 went with their measures
    EXPECT_EQ(GetNotePtr(staff, 0)->pitch, 63);
    EXPECT_EQ(SInt32(GetNotePtr(staff, 0)->time), kWhole / 2);
    EXPECT_EQ(ScoreInvariantFault(f.score), "");
    struct Bad {
        SInt32 first, count;
    } bad[] = {{-1, 1}, {0, 0}, {7, 2}, {8, 1}};
    for (const Bad &b : bad) EXPECT_EQ(DoDeleteMesures(f.score, b.first, b.count, 1, 1, kToutesPortees, 1), paramErr);
    TimeSignature zero = Signature(0, 4);
    EXPECT_EQ(InsereMesureChangeEchelleMesure(f.score, 0, 1, 0, &zero, 1), paramErr);
    EXPECT_EQ(InsereMesureChangeEchelleMesure(f.score, 0, kMaxMesures, 0, &two, 1), paramErr);
}

TEST(Measures, RecomputationWaitsForTheLastEnable) {
    ScoreFixture f;
    Measures(f, 3);
    UpdateTabEltMesure(f.score, kTabEltTout);
    DisableCalculTabElt(f.score);
    DisableCalculTabElt(f.score);
    ASSERT_EQ(FixeEtatComptageMesurePartition(f.score, 1, 1), noErr);
    UpdateTabEltMesure(f.score, kTabEltTout);
    EnableCalculTabElt(f.score);
    EXPECT_EQ(GetMesurePtr(f.score, 2)->shownNumber, 3);  // still suspended
    EnableCalculTabElt(f.score);
    EXPECT_EQ(GetMesurePtr(f.score, 1)->shownNumber, 0);
    EXPECT_EQ(GetMesurePtr(f.score, 2)->shownNumber, 2);
}

TEST(Measures, PlainPixelRuleAndProportionalPositions) {
    ScoreFixture f;
    Measures(f, 2);
    ASSERT_EQ(CalculePosTempsPixelTabElt(f.score, 0, nullptr, 0, 2, 72, -1), noErr);
    const MeasureElement *first = GetMesurePtr(f.score, 0);
    EXPECT_EQ(SInt32(first->proportionalPixels), 160);  // 10 px per 10080 units
    EXPECT_EQ(SInt32(GetMesurePtr(f.score, 1)->x), SInt32(first->width));
    EXPECT_EQ(CvtPosTempsEnPixelEcranProportionnel(f.score, kWhole / 2, 0), SInt32(first->startMarginPixels) + 80);
    EXPECT_EQ(CalculePosTempsPixelTabElt(f.score, 0, nullptr, 1, 2, 72, -1), paramErr);
}

TEST(Measures, KeysAndClefsFollowTheMeasures) {
    ScoreFixture f;
    Measures(f, 6);
    StaffHandle staff = f.Staff();
    KeySignature d, c;
    CvtTonaliteStdEnTonalite(2, kModeMajeur, &d);
    CvtTonaliteStdEnTonalite(0, kModeMajeur, &c);
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    ASSERT_EQ(FixeTonaliteMesure(f.score, nullptr, 2, &d, 0), noErr);
    ASSERT_EQ(FixeClefMesure(f.score, staff, 4, &bass, 0), noErr);
    ASSERT_EQ(FixeTonaliteMesure(f.score, staff, 4, &c, 0), noErr);
    ASSERT_EQ(DoDeleteMesures(f.score, 1, 2, 1, 1, kToutesPortees, 1), noErr);  // the key change's measure goes
    KeySignature key;
    ClefRecord clef;
    EXPECT_EQ(CvtMesureEnTonalite(f.score, 1, &key), 2);  // D from the deleted measure 2 holds on
    EXPECT_TRUE(CvtMesureEnClef(staff, 2, &clef));
    EXPECT_EQ(clef.kind, kCleFa);
    EXPECT_EQ(CvtMesureEnTonalite(f.score, 2, &key), 0);
    EXPECT_EQ(CvtTempsEnNoteDeBase(staff, 0), 67);
    EXPECT_EQ(CvtMesureEnNoteDeBase(staff, 3), 53);
    TimeSignature four = Signature(4, 4);
    ASSERT_EQ(InsereMesureChangeEchelleMesure(f.score, 0, 1, 0, &four, 1), noErr);
    EXPECT_EQ(CvtMesureEnTonalite(f.score, 0, &key), 0);
    EXPECT_EQ(CvtMesureEnTonalite(f.score, 2, &key), 2);
    key.kind = 15;
    EXPECT_EQ(FixeTonaliteMesure(f.score, nullptr, 0, &key, 0), paramErr);
    clef.kind = 9;
    EXPECT_EQ(FixeClefMesure(f.score, nullptr, 0, &clef, 0), paramErr);
}

TEST(Measures, NotesBeyondTheTableExtendItWithTheLastSignature) {
    ScoreFixture f;
    TimeSignature three = Signature(3, 4);
    ASSERT_EQ(FixeDivisionMesurePartition(f.score, 0, &three, 1, 0, 0), noErr);
    AddNote(f.Staff(), 60, 3 * kWhole, kWhole);
    EXPECT_EQ((*f.score)->measureCount, 6);  // 3/4 measures up to 4 wholes
    EXPECT_EQ(CvtMesureEnNbTemps(f.score, 5), 3);
    ASSERT_EQ(DoDeleteMesures(f.score, 0, 6, 0, 0, kToutesPortees, 1), noErr);
    RecalculeNbMesures(f.score, 1);
    EXPECT_EQ((*f.score)->measureCount, 4);  // 4/4 when no measure is left
}

}  // namespace
