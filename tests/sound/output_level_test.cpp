// ctest-labels: user-run;playback
// The level of what omplay renders, as a user runs it from the build tree without sanitizers:
// big scores keep clear of full scale on both banks, and a plain scale sounds at least as loud
// as FluidSynth plays the same notes (omplay's MIDI file, FluidR3_GM.sf2, its default gain),
// without the mix taking far more gain than that peer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "support/audio_support.h"
#include "support/tool_support.h"

namespace {

const char kSf2[] = "/usr/share/sounds/sf2/FluidR3_GM.sf2";
const double kHighestPeakDb = -0.5;
// The scale may sound louder than FluidSynth plays it, by less than this: more would leave a
// big score no room below full scale.
const double kMostAbovePeerDb = 12;

std::string Tool(const char *name) { return std::string("'") + ORVA_BROWSER_TOOLS_DIR + "/" + name + "'"; }

// omplay's render of a demo on a bank, read back.
Audio Render(const std::string &demo, const std::string &bank) {
    std::string wav = TempFile(demo + "-" + bank.substr(4) + ".wav");
    int status = -1;
    RunCommand(Tool("omplay") + " --demo " + demo + " --bank '" + bank + "' --wav '" + wav + "'", &status);
    EXPECT_EQ(status, 0) << "./test.sh builds the tools of build/browser";
    Audio audio;
    EXPECT_TRUE(ReadWav(wav, &audio)) << wav;
    remove(wav.c_str());
    return audio;
}

size_t FullScaleSamples(const Audio &a) {
    size_t count = 0;
    for (size_t i = 0; i < a.left.size(); i++) count += std::fabs(a.left[i]) >= 32767 / 32768.0f;
    for (size_t i = 0; i < a.right.size(); i++) count += std::fabs(a.right[i]) >= 32767 / 32768.0f;
    return count;
}

double WholeLevelDb(const Audio &a) { return LevelDb(a, 0, double(a.left.size()) / a.rate); }

TEST(OutputLevel, BigScoresStayClearOfFullScale) {
    for (const char *demo : {"large", "ensemble"}) {
        for (const char *bank : {"OMS Basic", "OMS Full"}) {
            SCOPED_TRACE(std::string(demo) + " on " + bank);
            Audio audio = Render(demo, bank);
            ASSERT_GT(audio.left.size(), size_t(audio.rate) * 60);
            EXPECT_EQ(FullScaleSamples(audio), 0u);
            EXPECT_LE(PeakDb(audio, 0, double(audio.left.size()) / audio.rate), kHighestPeakDb);
        }
    }
}

TEST(OutputLevel, TheScaleSoundsAtLeastAsLoudAsFluidSynthPlaysIt) {
    int status = -1;
    RunCommand("command -v fluidsynth", &status);
    ASSERT_EQ(status, 0) << "fluidsynth is not installed: scripts/install-deps.sh installs it";
    std::string midi = TempFile("scale.mid"), theirs = TempFile("scale-fluidsynth.wav");
    RunCommand(Tool("omplay") + " --demo scale --midi '" + midi + "'", &status);
    ASSERT_EQ(status, 0);
    RunCommand("fluidsynth -ni -q -F '" + theirs + "' -r 44100 " + kSf2 + " '" + midi + "' >/dev/null 2>&1", &status);
    remove(midi.c_str());
    ASSERT_EQ(status, 0);
    Audio peer;
    ASSERT_TRUE(ReadWav(theirs, &peer));
    remove(theirs.c_str());
    double peerDb = WholeLevelDb(peer);
    ASSERT_GT(peerDb, -60) << "FluidSynth played nothing";
    for (const char *bank : {"OMS Basic", "OMS Full"}) {
        SCOPED_TRACE(bank);
        double ours = WholeLevelDb(Render("scale", bank));
        EXPECT_GE(ours, peerDb);
        EXPECT_LT(ours, peerDb + kMostAbovePeerDb);
    }
}

}  // namespace
