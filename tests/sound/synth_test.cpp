// ctest-labels: playback
// The synthesiser heard through an FFT: pitches and onsets of a scale rendered by omsynth, the
// reverb's tail, silence after a release, levels, pan, streams, voice limits and stealing,
// and a mixing step that allocates nothing.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/digit_params.h"
#include "sound/sound_bank.h"
#include "sound/synth.h"
#include "support/audio_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "support/sound/playback_support.h"
#include "support/tool_support.h"

static unsigned long gNews = 0;  // operator new calls in this program
static void *CountedNew(size_t size) {
    gNews++;
    void *p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
void *operator new(size_t size) { return CountedNew(size); }
void *operator new[](size_t size) { return CountedNew(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { gNews++, size += !size; return std::malloc(size); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { gNews++, size += !size; return std::malloc(size); }
void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, size_t) noexcept { std::free(p); }
void operator delete[](void *p, size_t) noexcept { std::free(p); }

namespace {

class Synth : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OuvreBanquesConstruites(&params_)); }
    void TearDown() override { CloseFichiersRessourcesDigit(); }
    // Renders events given in milliseconds on staves of full volume (or the blocks given).
    Audio Render(const std::vector<SoundEvent> &events, std::vector<SoundStaffBlock> staves = {},
                 const SoundStreamReader *streams = nullptr, UInt32 minimumMs = 0) {
        if (staves.empty()) staves.assign(4, SoundStaffBlock{127, 0, 1, kSoundSourceBank, 0, 0, 0});
        SoundRenderRequest request = {&params_, events.data(), UInt32(events.size()), true, staves.data(),
                                      UInt32(staves.size()), streams, 0, 3000, minimumMs};
        SInt16 *samples = nullptr;
        UInt32 frames = 0;
        err_ = RenduSonHorsLigne(&request, &samples, &frames, &stats_);
        Audio audio = AudioFrom(samples, frames, params_.stereo ? 2 : 1, int(DigitRateHz(&params_)));
        if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
        return audio;
    }
    DigitOutputParams params_;
    SoundEngineStats stats_;
    OSErr err_ = noErr;
};

TEST_F(Synth, ScaleFromOmsynthHasItsOnsetsAndPitches) {
    std::string wav = TempFile("scale.wav");
    int status = -1;
    RunCommand("'" + ToolPath("omsynth") + "' --demo scale --bank 'OMS Basic' --wav '" + wav + "'", &status);
    ASSERT_EQ(0, status);
    Audio audio;
    ASSERT_TRUE(ReadWav(wav, &audio));
    remove(wav.c_str());
    std::vector<double> onsets = Onsets(audio);
    ASSERT_EQ(8u, onsets.size());
    for (int i = 0; i < 8; i++) {
        SCOPED_TRACE(i);
        if (i) {
            EXPECT_NEAR(0.5, onsets[i] - onsets[i - 1], 0.010);
        }
        EXPECT_NEAR(kHz[i], DominantHz(audio, 0.5 * i + 0.05, 0.3), kHz[i] * 0.01);
    }
}

TEST_F(Synth, ReverbTailRingsThenDies) {
    Audio audio = Render({{0, 100, 0, 0, 69, 110}});
    ASSERT_EQ(noErr, err_);
    double release = 0.1 + 0.3;  // the piano's release lasts 300 ms
    for (double t = release; t < release + 0.3; t += 0.05) EXPECT_GT(LevelDb(audio, t, t + 0.05), -60) << t;
    EXPECT_LT(LevelDb(audio, 3.0, 3.1), -60);
}

TEST_F(Synth, WithoutReverbSilence200MsAfterTheRelease) {
    params_.reverb = 0;
    Audio audio = Render({{0, 500, 16, 0, 69, 127}});  // an organ: 80 ms release
    ASSERT_EQ(noErr, err_);
    EXPECT_GT(PeakDb(audio, 0.1, 0.5), -20);
    EXPECT_LT(PeakDb(audio, 0.7, 10), -90);
}

TEST_F(Synth, HalfVolumeAndPan) {
    params_.reverb = 0;
    std::vector<SoundEvent> note = {{0, 1000, 16, 0, 69, 100}};
    double full = LevelDb(Render(note), 0.2, 0.8);
    double half = LevelDb(Render(note, {{64, 0, 1, kSoundSourceBank, 0, 0, 0}}), 0.2, 0.8);
    EXPECT_NEAR(-6.0, half - full, 0.5);
    Audio left = Render(note, {{127, -100, 1, kSoundSourceBank, 0, 0, 0}});
    EXPECT_GT(PeakDb(left, 0.2, 0.8), -20);
    double right = 0;
    for (float s : left.right) right = std::max(right, double(std::fabs(s)));
    EXPECT_EQ(0.0, right);
}

TEST_F(Synth, StreamPlaysAtTheStaffsLevelAt22050Hz) {
    RemplitParamDigitQualite(&params_, kDigitQualityMedium);
    params_.reverb = 0;
    SoundStreamReader reader = {FluxSinus, nullptr};
    std::vector<SoundStaffBlock> staves = {{127, 0, 1, kSoundSourceBank, kFluxSinus, 0, 0}};
    Audio full = Render({}, staves, &reader, 2500);
    ASSERT_EQ(22050, full.rate);
    for (double t = 0; t < 1.9; t += 0.5) EXPECT_NEAR(440.0, DominantHz(full, t, 0.1), 4.4) << t;
    EXPECT_NEAR(20 * std::log10(0.5 / std::sqrt(2.0)), LevelDb(full, 0.1, 1.9), 0.2);
    EXPECT_LT(PeakDb(full, 2.01, 2.5), -90);
    staves[0].volume = 64;
    EXPECT_NEAR(-6.0, LevelDb(Render({}, staves, &reader, 2500), 0.1, 1.9) - LevelDb(full, 0.1, 1.9), 0.5);
}

TEST_F(Synth, SixHundredNotesUseAtMost512Voices) {
    std::vector<SoundEvent> chord;
    for (int i = 0; i < 600; i++) chord.push_back({0, 300, i % 128, UInt16(i % 4), UInt8(24 + i % 80), 60});
    Audio audio = Render(chord);
    ASSERT_EQ(noErr, err_);
    EXPECT_EQ(512u, stats_.voicesPeak);
    EXPECT_GE(stats_.voicesStolen, 88u);
    EXPECT_EQ(600u, stats_.notesStarted);
    EXPECT_LT(PeakDb(audio, 0, 10), 0.01);  // clipped softly, never wrapped
}

// Two voices sound, a third note arrives; which voice it takes shows in what is left.
TEST_F(Synth, StealingTakesReleasingThenStaffsOldestThenOldest) {
    params_.voiceCount = 2;
    params_.reverb = 0;
    struct Row {
        const char *label;
        UInt16 staffB, staffC;
        SInt32 lengthB;      // ms; B released before C comes when short
        double stolenHz;
    } rows[] = {
        {"a releasing voice", 0, 0, 300, 659.26},
        {"the staff's oldest", 1, 1, 2000, 659.26},
        {"the oldest of all", 1, 2, 2000, 440.0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<SoundStaffBlock> staves(3, SoundStaffBlock{127, 0, 1, kSoundSourceOscillator, 0, 0, 0});
        Audio audio = Render({{0, 2000, 0, 0, 69, 100}, {10, row.lengthB, 0, row.staffB, 76, 100}, {400, 2000, 0, row.staffC, 81, 100}},
                             staves);
        EXPECT_GT(RelativeMagnitudeAt(audio, 0.6, 0.3, 880.0), 0.3);
        EXPECT_LT(RelativeMagnitudeAt(audio, 0.6, 0.3, row.stolenHz), 0.01);
        EXPECT_EQ(1u, stats_.voicesStolen);
    }
}

// The oscillator plays without a bank, tuned by the output's reference A.
TEST_F(Synth, OscillatorPlaysWithoutABankAtTheReferencePitch) {
    CloseFichiersRessourcesDigit();
    params_.reverb = 0;
    const std::pair<SInt16, double> rows[] = {{4400, 440.0}, {4620, 462.0}, {0, 440.0}};
    for (const auto &row : rows) {
        params_.pitchReference = row.first;
        EXPECT_NEAR(row.second, DominantHz(Render({{0, 1000, 0, 0, 69, 100}}), 0.2, 0.5), row.second * 0.01) << row.first;
    }
}

TEST_F(Synth, StepAllocatesNothing) {
    SoundEngineRecord *engine = nullptr;
    ASSERT_EQ(noErr, NewSoundEngine(&params_, 4, &engine));
    std::vector<SoundEvent> events;
    for (int i = 0; i < 64; i++) events.push_back({i * 441, 441000, i, UInt16(i % 4), UInt8(40 + i), 90});
    std::vector<SoundStaffBlock> staves(4, SoundStaffBlock{100, 0, 1, kSoundSourceBank, kFluxSinus, 0, 0});
    staves[3].volume = 127;  // the stream alone: a half-scale sine peaks at 100
    for (SoundEvent &e : events) e.staff %= 3;
    ASSERT_EQ(noErr, PrepareSonEvenements(engine, events.data(), UInt32(events.size()), staves.data(), 4, 0));
    SoundStreamReader reader = {FluxSinus, nullptr};
    FixeLecteurFluxSon(engine, &reader);
    std::vector<SInt16> out(SoundEngineMaxStepFrames(engine) * 2);
    UInt32 allocations = SoundEngineAllocations();
    unsigned long news = gNews;
    UInt32 frames = 0;
    for (int step = 0; step < 400; step++) {
        frames += MixeEtapeSon(engine, out.data());
        if (step > 0 && step < 350) {
            EXPECT_NEAR(100, staves[3].peakRight, 1) << step;
        }
    }
    EXPECT_EQ(allocations, SoundEngineAllocations());
    EXPECT_EQ(news, gNews);
    EXPECT_EQ(88200u, frames);  // 220.5 frames a step, the half carried
    // Stopping everything lets each note's release play out (none of these lasts 0.6 s).
    EXPECT_FALSE(SoundEngineFinished(engine));
    SoundEngineReleaseAll(engine);
    for (int step = 0; step < 120; step++) MixeEtapeSon(engine, out.data());
    EXPECT_TRUE(SoundEngineFinished(engine));
    DisposeSoundEngine(&engine);
}

TEST_F(Synth, HostileEventsGiveCleanResults) {
    std::vector<SoundEvent> many;
    for (int i = 0; i < 10000; i++) many.push_back({i % 7, 50, i % 200, UInt16(i % 4), UInt8(i % 128), UInt8(1 + i % 127)});
    many.push_back({0, 0, 0, 0, 60, 100});     // no length
    many.push_back({0, 100, 0, 9, 60, 100});   // no such staff
    many.push_back({0, 100, 0, 0, 200, 100});  // no such key
    Audio audio = Render(many);
    ASSERT_EQ(noErr, err_);
    EXPECT_EQ(10000u, stats_.notesStarted);
    EXPECT_EQ(3u, stats_.notesSkipped);
    for (float s : audio.left) ASSERT_TRUE(std::isfinite(s));
    Render({{0, 0x7FFFFFFF, 0, 0, 60, 100}});
    EXPECT_EQ(paramErr, err_);
    EXPECT_EQ(paramErr, EcritFichierWav(TempFile("x.wav").c_str(), nullptr, 10, 3, 44100));
}

}  // namespace
