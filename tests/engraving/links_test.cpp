// ctest-labels: engraving
// Links between notes as the importers make them: both ends found, half links and links that
// go nowhere removed, ties told from slurs, the tie and beam blocks kept byte for byte, and the
// calls that must write nothing for a bad note.
#include <gtest/gtest.h>

#include <cstring>

#include "engraving/engraver.h"
#include "engraving/engraving_hooks.h"
#include "engraving/links.h"
#include "support/score_support.h"

namespace {

class Links : public ::testing::Test {
protected:
    ScoreFixture f;
    StaffHandle staff = nullptr;
    void SetUp() override {
        InitGravure();
        staff = f.Staff();
        // 0: C4 quarter at 0; 1: C4 at 40320; 2: rest; 3: E4 at 120960; 4: C4 at 161280.
        AddNote(staff, 60, 0);
        AddNote(staff, 60, 40320);
        NoteRecord rest;
        RazNote(&rest, kPitchSilence, 40320);
        InsereNote(staff, &rest, 80640, 0, 1);
        AddNote(staff, 64, 120960);
        AddNote(staff, 60, 161280);
    }
    void TearDown() override { OrvaSetEngravingHooks(nullptr); }
    // Whether the note holds any link, in any role.
    bool Linked(SInt32 index) {
        for (SInt16 kind : {0, 1})
            if (GetLiaisonSourceNote(staff, index, kind, nullptr) || GetLiaisonDestNote(staff, index, kind, nullptr))
                return true;
        return false;
    }
};

TEST_F(Links, BothEndsOfALinkFindEachOther) {
    ASSERT_TRUE(SetLiaison(staff, 0, staff, 3, kLiaisonCoule));
    UInt32 source = 0, destination = 0;
    EXPECT_TRUE(GetLiaisonSourceNote(staff, 0, kLiaisonCoule, &source));
    EXPECT_TRUE(GetLiaisonDestNote(staff, 3, kLiaisonCoule, &destination));
    EXPECT_NE(source, 0u);
    EXPECT_EQ(source, destination);
    EXPECT_FALSE(GetLiaisonSourceNote(staff, 0, kLiaisonAccroche, nullptr));
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 3, kLiaisonDestination, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 0);
    // A second link from the same source replaces the first at both of its ends.
    ASSERT_TRUE(SetLiaison(staff, 0, staff, 4, kLiaisonCoule));
    EXPECT_FALSE(GetLiaisonDestNote(staff, 3, kLiaisonCoule, nullptr));
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 0, kLiaisonSource, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 4);
}

TEST_F(Links, LinksAcrossStavesNameTheOtherStaff) {
    StaffHandle second = f.Staff();
    AddNote(second, 48, 80640);
    ASSERT_TRUE(SetLiaison(staff, 0, second, 0, kLiaisonAccroche));
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(second, 0, kLiaisonDestination, kLiaisonAccroche, &other));
    EXPECT_EQ(other.staff, staff);
    EXPECT_EQ(other.index, 0);
    GarbageLiaisonsPartition(f.score);
    EXPECT_TRUE(GetLiaisonSourceNote(staff, 0, kLiaisonAccroche, nullptr));
}

TEST_F(Links, BadNotesGetNoLinkAndNothingIsWritten) {
    const struct {
        const char *label;
        SInt32 source, destination;
        SInt16 kind;
    } rows[] = {
        {"outside the staff", 0, 5, kLiaisonCoule},
        {"negative index", -1, 1, kLiaisonCoule},
        {"a rest", 0, 2, kLiaisonCoule},
        {"to itself", 1, 1, kLiaisonCoule},
        {"backward", 3, 0, kLiaisonCoule},
        {"no such kind", 0, 1, 7},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_FALSE(SetLiaison(staff, row.source, staff, row.destination, row.kind));
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) EXPECT_FALSE(Linked(i)) << i;
        EXPECT_EQ((*staff)->noteParams, nullptr);
    }
    EXPECT_FALSE(SetLiaisonSourceNote(staff, 2, 77, kLiaisonCoule, 0));
    EXPECT_FALSE(SetLiaisonDestNote(staff, 9, 77, kLiaisonCoule, 0));
    EXPECT_FALSE(LieDeuxNotes(staff, 4, 0));
    EXPECT_EQ((*staff)->noteParams, nullptr);
}

TEST_F(Links, GarbageRemovesHalfLinksAndKeepsWholeOnes) {
    ASSERT_TRUE(SetLiaison(staff, 0, staff, 1, kLiaisonCoule));     // whole
    ASSERT_TRUE(SetLiaisonSourceNote(staff, 3, 5, kLiaisonCoule, 0));  // no destination
    ASSERT_TRUE(SetLiaisonDestNote(staff, 4, 6, kLiaisonAccroche, 0)); // no source
    // Ends that claim one id twice, and a link that runs backward in time.
    ASSERT_TRUE(SetLiaisonSourceNote(staff, 1, 9, kLiaisonAccroche, 0));
    ASSERT_TRUE(SetLiaisonSourceNote(staff, 3, 9, kLiaisonAccroche, 0));
    ASSERT_TRUE(SetLiaisonDestNote(staff, 4, 9, kLiaisonAccroche, 0));
    ASSERT_TRUE(SetLiaisonSourceNote(staff, 4, 11, kLiaisonCoule, 0));
    ASSERT_TRUE(SetLiaisonDestNote(staff, 0, 11, kLiaisonCoule, 0));
    // Damage: a destination of a beam and a source of a beam, both written in the slot of a
    // tie's source, with one id.
    GetParamEffetIndexNote(staff, 3)->links[0] = LinkEntry{kLiaisonAccroche, kLiaisonSource, 0, 13};
    GetParamEffetIndexNote(staff, 4)->links[0] = LinkEntry{kLiaisonAccroche, kLiaisonDestination, 0, 13};
    GarbageLiaisonsPartition(f.score);
    EXPECT_EQ(GetParamEffetIndexNote(staff, 3)->links[0].role, kLiaisonVide);
    EXPECT_EQ(GetParamEffetIndexNote(staff, 4)->links[0].role, kLiaisonVide);
    EXPECT_TRUE(GetLiaisonSourceNote(staff, 0, kLiaisonCoule, nullptr));
    EXPECT_TRUE(GetLiaisonDestNote(staff, 1, kLiaisonCoule, nullptr));
    EXPECT_FALSE(GetLiaisonSourceNote(staff, 3, kLiaisonCoule, nullptr));
    EXPECT_FALSE(GetLiaisonDestNote(staff, 4, kLiaisonAccroche, nullptr));
    EXPECT_FALSE(GetLiaisonSourceNote(staff, 1, kLiaisonAccroche, nullptr));
    EXPECT_FALSE(GetLiaisonSourceNote(staff, 4, kLiaisonCoule, nullptr));
    EXPECT_FALSE(GetLiaisonDestNote(staff, 0, kLiaisonCoule, nullptr));
}

TEST_F(Links, ASlurIsATieBetweenOnePitchWhereTheFirstEnds) {
    AddNote(staff, 60, 240000);
    const struct {
        SInt32 source, destination;
        bool tie;
    } rows[] = {
        {0, 1, true},    // C4 then C4 at its end
        {1, 4, false},   // C4 then C4 later
        {0, 3, false},   // another pitch
        {1, 2, false},   // a rest
        {0, 9, false},   // outside
    };
    for (const auto &row : rows)
        EXPECT_EQ(bool(IsCoulePourLieIndex(staff, row.source, row.destination)), row.tie)
            << row.source << " " << row.destination;
}

TEST_F(Links, TieAndBeamBlocksRoundTripAndStartEmpty) {
    TieDataRecord tie;
    std::memset(&tie, 0xAA, sizeof tie);
    EXPECT_FALSE(GetDataLiaisonNote(staff, 0, &tie));
    EXPECT_EQ(tie.mode, 0u);
    EXPECT_EQ(tie.tension, 0);
    BeamDataRecord beam;
    EXPECT_FALSE(GetDataAccrocheNote(staff, 0, &beam));
    EXPECT_EQ(beam.startHeight, kAccrocheAutomatique);
    EXPECT_FALSE(SetDataLiaisonNote(staff, 2, &tie));  // a rest
    const UInt8 bytes[13] = {2, 0, 0, 0, 9, 0xFB, 0xF4, 0x01, 0x44, 0xFD, 0xFE, 0xFB, 1};
    std::memcpy(&tie, bytes, sizeof tie);
    ASSERT_TRUE(SetDataLiaisonNote(staff, 0, &tie));  // makes the note's record
    TieDataRecord back;
    ASSERT_TRUE(GetDataLiaisonNote(staff, 0, &back));
    EXPECT_EQ(std::memcmp(&back, bytes, sizeof bytes), 0);
    EXPECT_EQ(back.tension, 500);
    EXPECT_EQ(back.curvature, -700);
    BeamDataRecord set = {-1, 12, kAccrochePlate};
    ASSERT_TRUE(SetDataAccrocheNote(staff, 1, &set));
    ASSERT_TRUE(GetDataAccrocheNote(staff, 1, &beam));
    EXPECT_EQ(std::memcmp(&beam, &set, sizeof beam), 0);
}

// The importers' tie shaping, as a hook: ties are shaped through it, slurs are not.
SInt16 gAdjustCalls = 0;
void CountingAdjustTie(TieDataRecord *tie, Boolean over, Boolean, Boolean, Boolean, SInt16) {
    gAdjustCalls++;
    tie->mode = kCouleForme;
    tie->curvature = over ? -111 : 111;
}

TEST_F(Links, FittingShapesTiesThroughTheHookAndGivesSlursTheirDefault) {
    ASSERT_TRUE(LieDeuxNotes(staff, 0, 1));
    ASSERT_TRUE(SetLiaisonSourceNote(staff, 3, 40, kLiaisonCoule, 0));
    ASSERT_TRUE(SetLiaisonDestNote(staff, 4, 40, kLiaisonCoule, 0));
    ASSERT_TRUE(SetParamLiaisonCouleNote(staff, 3, 0, 0, 0, 0, 0, 0));
    EngravingHooks hooks = {CountingAdjustTie, nullptr};
    OrvaSetEngravingHooks(&hooks);
    gAdjustCalls = 0;
    AjusteCoulesPartition(f.score);
    EXPECT_EQ(gAdjustCalls, 1);
    TieDataRecord tie;
    ASSERT_TRUE(GetDataLiaisonNote(staff, 0, &tie));
    EXPECT_EQ(std::abs(tie.curvature), 111);
    // A C4 points up: its tie curves below, its slur takes the stem-up default.
    EXPECT_EQ(tie.curvature, 111);
    const NoteEffectRecord *slur = GetParamEffetIndexNote(staff, 3);
    EXPECT_EQ(slur->slurControl[1], 1000);
    EXPECT_EQ(slur->slurStart[1], 4);
    // A shaped tie stays as it is; without the hook the engraver's own shape is used.
    AjusteCoulesPartition(f.score);
    EXPECT_EQ(gAdjustCalls, 1);
    OrvaSetEngravingHooks(nullptr);
    GetParamEffetIndexNote(staff, 0)->tie.mode = kCouleAutomatique;
    AjusteCoulesPartition(f.score);
    ASSERT_TRUE(GetDataLiaisonNote(staff, 0, &tie));
    EXPECT_EQ(tie.mode, kCouleForme);
    EXPECT_GT(tie.curvature, 0);
}

TEST_F(Links, TyingTwoNotesUndoesWhatTheyHadInThoseRoles) {
    ASSERT_TRUE(LieDeuxNotes(staff, 0, 1));
    ASSERT_TRUE(LieDeuxNotes(staff, 1, 4));
    ASSERT_TRUE(LieDeuxNotes(staff, 0, 4));  // 4 loses its tie from 1, 0 its tie to 1
    EXPECT_FALSE(GetLiaisonDestNote(staff, 1, kLiaisonCoule, nullptr));
    EXPECT_FALSE(GetLiaisonSourceNote(staff, 1, kLiaisonCoule, nullptr));
    LinkEndRecord other;
    ASSERT_TRUE(GetAutreBoutLiaison(staff, 4, kLiaisonDestination, kLiaisonCoule, &other));
    EXPECT_EQ(other.index, 0);
}

}  // namespace
