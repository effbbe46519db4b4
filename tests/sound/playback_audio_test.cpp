// ctest-labels: playback
// Demo scores played through the sequencer and the synthesiser and listened to: the scale from
// omplay as wavnotes hears it, repeats and jumps in their played order, a tempo mark, dynamics,
// a crescendo, the metronome's count-in, and a digital-audio staff's stream.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/memory.h"
#include "sound/digit_params.h"
#include "sound/sequencer.h"
#include "sound/sound_bank.h"
#include "support/audio_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "support/score_support.h"
#include "support/sound/playback_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

class PlaybackAudio : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OuvreBanquesConstruites(&params_)); }
    void TearDown() override { CloseFichiersRessourcesDigit(); }
    Audio Play(ScoreHandle score, SInt16 countIn = 0, const SoundStreamReader *streams = nullptr) {
        SonRenduPartition request = {score, &params_, countIn, streams, 1000};
        SInt16 *samples = nullptr;
        UInt32 frames = 0;
        EXPECT_EQ(RenduPartitionHorsLigne(&request, &samples, &frames, nullptr), noErr);
        Audio audio = AudioFrom(samples, frames, params_.stereo ? 2 : 1, int(DigitRateHz(&params_)));
        if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
        return audio;
    }
    Audio PlayDemo(const char *name, SInt16 countIn = 0) {
        DocumentRecord *document = CreeDemoScore(name);
        Audio audio = Play(document->score, countIn);
        LibereDemoScore(&document);
        return audio;
    }
    DigitOutputParams params_;
};

TEST_F(PlaybackAudio, OmplayScaleAsWavnotesHearsIt) {
    std::string wav = TempFile("scale.wav");
    int status = -1;
    RunCommand("'" + ToolPath("omplay") + "' --demo scale --bank 'OMS Basic' --wav '" + wav + "'", &status);
    ASSERT_EQ(status, 0);
    std::istringstream out(RunCommand("'" + ToolPath("wavnotes") + "' '" + wav + "'", &status));
    remove(wav.c_str());
    ASSERT_EQ(status, 0);
    std::string first;
    out >> first;
    ASSERT_EQ(first, "onsets=8");
    double previous = 0;
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE(i);
        double onset, hz, level;
        std::string name;
        out >> onset >> hz >> name >> level;
        if (i) {
            EXPECT_NEAR(onset - previous, 0.5, 0.010);
        }
        EXPECT_NEAR(hz, kHz[i], kHz[i] * 0.01);
        previous = onset;
    }
}

// A whole note a measure at 120: each played measure is heard for two seconds.
TEST_F(PlaybackAudio, RepeatsAndJumpsAreHeardInTheirOrder) {
    const struct {
        const char *demo;
        std::vector<int> measures;  // from 0: C4 D4 E4 F4 G4
    } rows[] = {{"endings", {0, 1, 0, 2, 3}}, {"ds-coda", {0, 1, 2, 3, 1, 2, 4}}};
    for (const auto &row : rows) {
        SCOPED_TRACE(row.demo);
        Audio audio = PlayDemo(row.demo);
        for (size_t k = 0; k < row.measures.size(); k++) {
            double hz = kHz[row.measures[k]];
            EXPECT_NEAR(DominantHz(audio, 2.0 * k + 0.3, 0.5), hz, hz * 0.01) << k;
        }
        EXPECT_LT(LevelDb(audio, 2.0 * row.measures.size() + 0.5, 2.0 * row.measures.size() + 0.9), -40);
    }
}

TEST_F(PlaybackAudio, ATempoMarkOf60SpacesQuartersOneSecondApart) {
    std::vector<double> onsets = SpectralOnsets(PlayDemo("tempo"));
    ASSERT_EQ(onsets.size(), 8u);
    for (size_t i = 1; i < 8; i++) EXPECT_NEAR(onsets[i] - onsets[i - 1], i <= 4 ? 0.5 : 1.0, 0.010) << i;
}

// Velocities 60 and 120 under p and f: (velocity / 127)^2 makes four times the amplitude.
TEST_F(PlaybackAudio, DynamicsAndACrescendo) {
    Audio audio = PlayDemo("dynamics");
    double p = 0, f = 0;
    for (int i = 0; i < 3; i++) {
        p += LevelDb(audio, 0.5 * i + 0.05, 0.5 * i + 0.4) / 3;
        f += LevelDb(audio, 2.0 + 0.5 * i + 0.05, 2.0 + 0.5 * i + 0.4) / 3;
    }
    EXPECT_NEAR(std::pow(10, (f - p) / 20), 4.0, 0.5);
    Audio crescendo = PlayDemo("crescendo");
    double previous = -200;
    for (int i = 0; i < 9; i++) {
        double level = LevelDb(crescendo, 0.5 * i + 0.02, 0.5 * i + 0.1);
        EXPECT_GT(level, previous + 0.3) << i;
        previous = level;
    }
}

TEST_F(PlaybackAudio, MetronomeCountsInThenClicksEveryBeat) {
    Audio audio = PlayDemo("metronome", 2);
    std::vector<double> onsets = Onsets(audio);
    ASSERT_EQ(onsets.size(), 16u);
    for (size_t i = 1; i < 16; i++) EXPECT_NEAR(onsets[i] - onsets[i - 1], 0.5, 0.010) << i;
    for (size_t i = 0; i < 16; i += 4) {
        double downbeat = PeakDb(audio, onsets[i], onsets[i] + 0.08);
        EXPECT_GE(downbeat - PeakDb(audio, onsets[i + 1], onsets[i + 1] + 0.08), 3.0) << i;
    }
}

// A digital-audio staff plays its stream from the score's start, at the staff's own volume.
TEST_F(PlaybackAudio, DigitalAudioStaffPlaysItsStream) {
    RemplitParamDigitQualite(&params_, kDigitQualityMedium);
    params_.reverb = 0;
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    (*staff)->type = kPorteeAudio;
    (*staff)->stream = kFluxSinus;
    (*staff)->ownLevels = 1;
    SoundStreamReader reader = {FluxSinus, nullptr};
    Audio full = Play(f.score, 0, &reader);
    ASSERT_EQ(full.rate, 22050);
    for (double t = 0; t < 1.9; t += 0.5) EXPECT_NEAR(DominantHz(full, t, 0.1), 440.0, 4.4) << t;
    EXPECT_LT(PeakDb(full, 2.05, 2.5), -90);
    (*staff)->volume = 64;
    EXPECT_NEAR(LevelDb(Play(f.score, 0, &reader), 0.1, 1.9) - LevelDb(full, 0.1, 1.9), -6.0, 0.5);
}

}  // namespace
