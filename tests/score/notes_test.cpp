// ctest-labels: score-model
// The notes of a staff: time order, chords, rests, the rhythm grid, the singer's notice, the
// searches and the refusal of bad records.
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "score/score_hooks.h"
#include "support/score_support.h"

namespace {

SInt32 gSingerCalls;
void CountSingerCall(StaffHandle) { gSingerCalls++; }

TEST(Notes, RandomInsertionsEndInTimeOrderWithEqualTimesInArrivalOrder) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    std::mt19937 random(7);
    std::vector<std::pair<SInt32, SInt32>> expected;  // (time, arrival)
    for (SInt32 i = 0; i < 2000; i++) {
        SInt32 time = SInt32(random() % 50) * 10080;
        NoteRecord note;
        RazNote(&note, SInt16(random() % 2 ? -1 : 40 + i % 60), 10080);
        note.offsetX = SInt8(i % 100);
        note.attack = SInt16(i);
        ASSERT_GE(InsereNote(staff, &note, time, 0, 1), 0);
        expected.push_back({time, i});
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (SInt32 i = 0; i < 2000; i++) ASSERT_EQ(GetNotePtr(staff, i)->attack, expected[size_t(i)].second) << i;
    EXPECT_EQ(ScoreInvariantFault(f.score), "");
}

TEST(Notes, ANoteJoiningAChordChainsItsLastMemberAndRestsStandAlone) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    AddNote(staff, 60, 0);
    AddNote(staff, 62, 40320);
    EXPECT_EQ(AddNote(staff, 64, 0), 1);  // after the chord's last member, before the next time
    AddNote(staff, -1, 40320);
    AddNote(staff, 67, 40320);
    const UInt8 expected[] = {kAccordChaine, 0, 0, 0, 0};  // 60-64 | 62, rest, 67
    for (SInt32 i = 0; i < 5; i++) EXPECT_EQ(GetNotePtr(staff, i)->chordFlags & kAccordChaine, expected[i]) << i;
    NoteRecord copy = *GetNotePtr(staff, 0);  // a copy keeps its chain bit, the insertion drops it
    EXPECT_EQ(AjouteNote(staff, &copy, 80640, 1), 5);
    EXPECT_EQ(GetNotePtr(staff, 5)->chordFlags & kAccordChaine, 0);
    EXPECT_NE(UInt32(GetNotePtr(staff, 5)->id), UInt32(copy.id));
}

TEST(Notes, RhythmStavesSnapToTheGridAndTheSingerHearsOfEachInsertion) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    ASSERT_EQ(FixeTypePortee(staff, kPorteeRythmique), noErr);
    ScoreSingerHooks hooks = {};
    hooks.porteeACalculer = CountSingerCall;
    OrvaSetScoreSingerHooks(&hooks);
    gSingerCalls = 0;
    struct Row {
        SInt32 time, snapped;
    } rows[] = {{1259, 0}, {1260, 2520}, {5000, 5040}};
    for (const Row &row : rows) {
        SInt32 index = AddNote(staff, 60, row.time);
        EXPECT_EQ(SInt32(GetNotePtr(staff, index)->time), row.snapped) << row.time;
    }
    EXPECT_EQ(gSingerCalls, 3);
    OrvaSetScoreSingerHooks(nullptr);
    EXPECT_EQ((*staff)->lineCount, 1);
}

TEST(Notes, SearchesAroundATime) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    for (SInt32 t : {0, 40320, 40320, 120960}) AddNote(staff, 60, t);
    struct Row {
        SInt32 time, atOrAfter, before;
    } rows[] = {{-5, 0, 0}, {0, 0, 0}, {1, 1, 0}, {40320, 1, 0}, {40321, 3, 2}, {200000, 4, 3}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.time);
        EXPECT_EQ(CvtTempsEnIndexNote(staff, row.time), row.atOrAfter);
        EXPECT_EQ(RechercheSignePrecedent(staff, row.time), row.before);
    }
}

TEST(Notes, BadRecordsAreRefused) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    NoteRecord note;
    RazNote(&note, 60, 40320);
    EXPECT_EQ(InsereNote(staff, &note, -1, 0, 1), -1);
    EXPECT_EQ(InsereNote(staff, &note, kTempsMax, 0, 1), -1);  // would end past the limit
    EXPECT_EQ(InsereNote(staff, nullptr, 0, 0, 1), -1);
    EXPECT_EQ(InsereNote(nullptr, &note, 0, 0, 1), -1);
    RazNote(&note, 60, 0);
    EXPECT_EQ(InsereNote(staff, &note, 0, 0, 1), -1);
    RazNote(&note, -4, 40320);  // a pitch byte of 252
    EXPECT_EQ(InsereNote(staff, &note, 0, 0, 1), -1);
    RazNote(&note, -1, 40320);
    EXPECT_EQ(AjouteNote(staff, &note, 0, 1), -1);  // a rest cannot be added, only inserted
    EXPECT_EQ(InsereNote(staff, &note, 0, 0, 1), 0);
    EXPECT_EQ(GetNotePtr(staff, 1), nullptr);
}

TEST(Notes, TextLinesAreEmptyWhenEnabledAndAbsentOtherwise) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    EXPECT_EQ(GetLigneTextePortee(staff, 1), nullptr);
    (*staff)->textLineEnabled[0] = 1;
    Handle line = GetLigneTextePortee(staff, 1);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(reinterpret_cast<UniChar *>(*line)[0], 0);
    DisposHandle(line);
    EXPECT_EQ(GetLigneTextePortee(staff, 3), nullptr);
    EXPECT_EQ(GetChordIndexAtTime(staff, 0), 0);
}

}  // namespace
