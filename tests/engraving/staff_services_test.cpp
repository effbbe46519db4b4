// ctest-labels: engraving
// The engraver's services on staves and scores: tempo marks and the score's final tempo, staff
// heights, shown lines, the staff-type rows the model reaches, and the stem rule.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engraving/engraver.h"
#include "engraving/staff_services.h"
#include "engraving/staff_type_rows.h"
#include "score/tempo_objects.h"
#include "support/score_support.h"

namespace {

class StaffServices : public ::testing::Test {
protected:
    ScoreFixture f;
    void SetUp() override { InitGravure(); }
};

TEST_F(StaffServices, TempoIsStoredAsWholeAndHundredthsWithinItsRange) {
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float tempo;
        UInt16 whole, hundredths;
    } rows[] = {
        {119.999f, 120, 0}, {0.2f, 1, 0}, {6000.0f, 5000, 0}, {72.5f, 72, 50},
        {-3.0f, 1, 0},      {inf, 5000, 0}, {-inf, 1, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.tempo);
        DynamicsObject object = {};
        InjecteTempoDansDynamique(&object, row.tempo);
        EXPECT_EQ(object.values[0], row.whole);
        EXPECT_EQ(object.values[1], row.hundredths);
    }
    // Not a number: the object keeps what it had.
    DynamicsObject object = {};
    object.values[0] = 88;
    object.values[1] = 7;
    InjecteTempoDansDynamique(&object, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(object.values[0], 88);
    EXPECT_EQ(object.values[1], 7);
}

TEST_F(StaffServices, TheFinalTempoAddsItsFraction) {
    (*f.score)->tempo = 120;
    (*f.score)->tempoFraction = 32767;
    EXPECT_NEAR(GetTempoFinPartition(f.score), 120.49999, 1e-4);
    (*f.score)->tempoFraction = 65535;
    EXPECT_NEAR(GetTempoFinPartition(f.score), 121.0, 1e-4);
}

TEST_F(StaffServices, ATempoObjectIsATempoMarkAboveTheStaff) {
    StaffHandle staff = f.Staff();
    SInt32 index = AjouteObjetTempo(f.score, staff, 80640, 96.25f);
    ASSERT_GE(index, 0);
    const DynamicsObject *o = GetDynamiquePtr(staff, index);
    EXPECT_EQ(o->kind, kDynamiqueTempo);
    EXPECT_EQ(o->inUse, 1);
    EXPECT_EQ(o->startTime, 80640);
    EXPECT_LT(o->top, 0);
    EXPECT_EQ(o->values[0], 96);
    EXPECT_EQ(o->values[1], 25);
    EXPECT_EQ(o->beatUnit, kTempsNoire);
    ScoreFixture other;
    EXPECT_LT(AjouteObjetTempo(other.score, staff, 0, 60), 0);  // a staff of another score
}

TEST_F(StaffServices, HeightsNeverLeaveTheLinesWithoutRoom) {
    StaffHandle staff = f.Staff();
    const struct {
        SInt16 lines;
        SInt16 asked, kept;
    } rows[] = {
        {5, 120, 120}, {5, 0, 24}, {5, -40, 24}, {1, 0, 6}, {0, -1, 6}, {16, 10, 90},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.lines);
        (*staff)->lineCount = row.lines;
        ASSERT_EQ(SetHauteurPortee(staff, row.asked), noErr);
        EXPECT_EQ((*staff)->height, row.kept);
    }
    (*staff)->lineCount = 5;
    CheckHauteurPortee(staff);
    EXPECT_EQ((*staff)->height, 120);  // the lines and sixteen spaces
    ASSERT_EQ(SetDefaultLignesAccordPortee(staff), noErr);
    EXPECT_EQ((*staff)->height, 132);  // and a chord-symbol line
    (*staff)->lineCount = 200;  // hostile: counts as the sixteen lines a staff can show
    CheckHauteurPortee(staff);
    EXPECT_EQ((*staff)->height, 90 + 96 + 12);
}

TEST_F(StaffServices, ShownLinesAreFlagsOfTheirNumbers) {
    StaffHandle staff = f.Staff();
    (*staff)->shownLines = 0;
    EXPECT_EQ(SetAfficheLignePortee(staff, 2, 1), noErr);
    EXPECT_EQ((*staff)->shownLines, 0x4);
    EXPECT_EQ(SetAfficheLignePortee(staff, 15, 1), noErr);
    EXPECT_EQ(SetAfficheLignePortee(staff, 2, 0), noErr);
    EXPECT_EQ((*staff)->shownLines, 0x8000);
    EXPECT_EQ(SetAfficheLignePortee(staff, 16, 1), paramErr);
    EXPECT_EQ(SetAfficheLignePortee(staff, -1, 1), paramErr);
    EXPECT_EQ(SetLigneBaseTablature(staff, 40), paramErr);  // not a tablature
}

TEST_F(StaffServices, StaffTypesReachTheEngraversRows) {
    StaffHandle staff = f.Staff();
    const struct {
        UInt32 type;
        const char *name;
        SInt16 lines;
        bool drawn;
    } rows[] = {
        {kPorteeStandard, "standard", 5, true},    {kPorteeParoles, "lyrics", 0, true},
        {kPorteeTempo, "tempo", 0, false},         {kPorteeMetronome, "metronome", 0, false},
        {kPorteePercussion, "percussion", 5, true}, {kPorteeGregorienne, "gregorian", 4, true},
        {kPorteeAudio, "audio", 0, false},         {12345, "standard", 5, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.type);
        ASSERT_EQ(FixeTypePortee(staff, row.type), noErr);
        EXPECT_STREQ((*staff)->ops->name, row.name);
        EXPECT_EQ((*staff)->lineCount, row.lines);
        EXPECT_EQ(bool(GetTypePorteeGravure(staff)->drawn), row.drawn);
    }
}

TEST_F(StaffServices, StemsPointDownFromTheMiddleLineUp) {
    StaffHandle treble = f.Staff();
    StaffHandle bass = f.Staff();
    ClefRecord clef;
    CvtTypeClefEnClefStandard(kCleFa, &clef);
    ASSERT_EQ(FixeClefMesure(f.score, bass, 0, &clef, 0), noErr);
    const struct {
        StaffHandle staff;
        SInt16 pitch;
        bool down;
    } rows[] = {
        {treble, 69, false}, {treble, 71, true}, {treble, 72, true}, {treble, 60, false},
        {bass, 48, false},   {bass, 50, true},   {bass, 47, false},
    };
    SInt32 time = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.pitch);
        SInt32 index = AddNote(row.staff, row.pitch, time);
        time += 40320;
        SInt16 stem = (*row.staff)->ops->stem(row.staff, index);
        EXPECT_EQ(stem < 0, row.down);
        EXPECT_EQ(CalculeSensHampe(row.staff, index) < 0, row.down);
    }
    // A chord reaching further below the middle line than above it points up.
    SInt32 low = AddNote(treble, 60, 400000);
    AddNote(treble, 74, 400000);
    EXPECT_GT(SensHampeStandard(treble, low), 0);
    // Merged voices: the first staff's stems up, the next one's down.
    (*treble)->mergeMode = 2;
    (*treble)->continuedByNext = 1;
    (*bass)->mergeMode = 2;
    EXPECT_GT(SensHampeStandard(treble, 1), 0);
    EXPECT_LT(SensHampeStandard(bass, 0), 0);
}

}  // namespace
