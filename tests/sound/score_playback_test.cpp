// ctest-labels: playback;threads
// Scores played in real time on the fake device through the sequencer's score side: the heard
// written position goes back where the music repeats, a count-in comes first, the keyboard
// hears each note on and off, and stopping all notes resets it.
#include <gtest/gtest.h>
#include <atomic>

#include "score/preferences.h"
#include "sound/play_instruments.h"
#include "sound/sequencer.h"
#include "support/sound/playback_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

std::atomic<int> gOns{0}, gOffs{0}, gResets{0};
Boolean Shown() { return true; }
void On(SInt32, SInt16, SInt16, SInt16) { gOns++; }
void Off(SInt32, SInt16, Boolean) { gOffs++; }
void Reset() { gResets++; }

class ScorePlayback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartPlaybackTests()) << "the OMS Basic bank is not built";
        FixePrefStd();
        InstalleOpsPartitionLecture();
        PlaybackPluginHooks hooks = {Shown, On, Off, Reset};
        FixeHooksPluginLecture(&hooks);
        SetOutputDevice("fake");
    }
    void TearDown() override {
        ArreteMusique(1);
        FixeHooksPluginLecture(nullptr);
        SetRealTimeMetronome(0);
        LibereDemoScore(&document_);
    }
    void Play(const char *demo) {
        document_ = CreeDemoScore(demo);
        ASSERT_NE(document_, nullptr);
        ASSERT_TRUE(LanceMusique(document_));
        ASSERT_TRUE(WaitUntil(2, [] { return Stats().framesWritten >= 15 * 221; }));
        EXPECT_EQ(partitionEnCours, document_->score);
    }
    DocumentRecord *document_ = nullptr;
};

TEST_F(ScorePlayback, TheWrittenPositionHeardGoesBackAtARepeat) {
    Play("times3");  // one whole note played three times, two seconds each
    const struct {
        SInt64 frames;
        SInt32 played, written;
    } rows[] = {{44100, kTempsRonde / 2, kTempsRonde / 2}, {2 * 44100, kTempsRonde, 0},
                {3 * 44100, 3 * kTempsRonde / 2, kTempsRonde / 2}, {5 * 44100 / 2 * 2, 5 * kTempsRonde / 2, kTempsRonde / 2}};
    SInt64 consumed = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.frames);
        ASSERT_TRUE(AdvanceFakeClock(row.frames - consumed));
        consumed = row.frames;
        EXPECT_NEAR(GetPosTickMusiqueEntendue(), row.played, 4);
        EXPECT_NEAR(GetTempsEcritJoue(), row.written, 4);
    }
    EXPECT_EQ(gOns.load(), gOffs.load() + 1);  // the third note still sounds
    int resets = gResets.load();
    ForceArreteToutesNotes(document_->score);
    EXPECT_EQ(gResets.load(), resets + 1);
}

TEST_F(ScorePlayback, ACountInComesBeforeTheMusic) {
    SetRealTimeMetronome(2);
    Play("metronome");  // the count-in lasts four seconds at 120
    EXPECT_LT(GetTempsEcritJoue(), 0);
    ASSERT_TRUE(AdvanceFakeClock(2 * 44100));
    EXPECT_LT(GetTempsEcritJoue(), 0);
    ASSERT_TRUE(AdvanceFakeClock(2 * 44100 + 44100 / 2));
    EXPECT_NEAR(GetTempsEcritJoue(), kTempsNoire, 4);
}

}  // namespace
