// ctest-labels: sound-realtime;threads
// Real-time playback heard through real outputs: the capture device gets the same samples as
// the offline render in the time the music lasts, the clocked null output reports positions
// every 20 ms, a missing or failing device leaves a silent play that still ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/runtime.h"
#include "sound/output_driver.h"
#include "support/audio_support.h"
#include "support/capture_support.h"
#include "support/resource_test_support.h"
#include "support/sound/playback_support.h"
#include "support/tool_support.h"

namespace {

const double kRate = 44100;

std::string Omsynth(const std::string &arguments, int *status) {
    return RunCommand("'" + ToolPath("omsynth") + "' --bank 'OMS Basic' --demo scale " + arguments, status);
}

double Field(const std::string &out, const char *name) {
    size_t at = out.rfind(std::string(name) + "=");
    return at == std::string::npos ? -1 : atof(out.c_str() + at + strlen(name) + 1);
}

class RealtimeCapture : public ::testing::Test {
protected:
    void SetUp() override {
        if (!CaptureDeviceSet()) {
            ASSERT_FALSE(CaptureDeviceRequired()) << "the capture device of tests/alsa is missing";
            GTEST_SKIP() << "run through test.sh: no capture device";
        }
        DeleteCaptures();
    }
    void TearDown() override { DeleteCaptures(); }
};

TEST_F(RealtimeCapture, CaptureEqualsTheOfflineRenderAndKeepsToTheClock) {
    std::string offline = TempFile("offline.wav");
    int status = -1;
    Omsynth("--wav '" + offline + "'", &status);
    ASSERT_EQ(0, status);
    double started = NowSeconds();
    std::string out = Omsynth("--realtime", &status);
    double wall = NowSeconds() - started;
    ASSERT_EQ(0, status) << out;
    ASSERT_EQ(2, CaptureCount());  // the probe's opening, then the play's
    Audio heard, rendered;
    ASSERT_TRUE(ReadWav(CaptureName(1), &heard));
    ASSERT_TRUE(ReadWav(offline, &rendered));
    double seconds = double(heard.left.size()) / kRate;
    EXPECT_GE(seconds, 4.0);  // the score, then its releases up to silence
    EXPECT_LE(seconds, 6.0);
    ASSERT_LE(heard.left.size(), rendered.left.size());
    size_t differ = 0;
    for (size_t i = 0; i < heard.left.size(); i++)
        differ += heard.left[i] != rendered.left[i] || heard.right[i] != rendered.right[i];
    EXPECT_EQ(0u, differ);
    double played = Field(out, "wall");
    EXPECT_GE(played, 4.0);
    EXPECT_LE(played, seconds + 0.3);  // never ahead of the clock by more than a buffer
    EXPECT_LE(played, wall);
}

TEST_F(RealtimeCapture, DeviceFailingAfterOneSecondStillEndsInTime) {
    ASSERT_TRUE(StartPlaybackTests());
    SetOutputDevice("default");
    ClearPlaybackTraces();
    DemoPlanRecord *demo = nullptr;
    ASSERT_EQ(noErr, NouvelleDemo("scale", &demo));
    FixeEchecSortieSon(44100);
    double started = NowSeconds();
    ASSERT_TRUE(LanceMusique(DocumentDeDemo(demo)));
    bool ended = WaitUntil(8, [] { return IsFinDeMusiqueEntendue() != 0; });
    double seconds = NowSeconds() - started;
    FixeEchecSortieSon(-1);
    ArreteMusique(0);
    DisposeDemo(&demo);
    EXPECT_TRUE(ended);
    EXPECT_GE(seconds, 4.0);
    EXPECT_LE(seconds, 6.5);
    EXPECT_EQ(1u, PlaybackTraces().size());
    Audio heard;
    ASSERT_TRUE(ReadWav(CaptureName(0), &heard));
    EXPECT_NEAR(1.0, double(heard.left.size()) / kRate, 0.01);  // what the device took before it failed
}

// The clocked null output on the wall clock: its bounds in time are kept on the fake clock below,
// which a loaded machine cannot stretch.
TEST(RealtimeNull, PositionsEveryTwentyMillisecondsNeverGoBack) {
    int status = -1;
    std::string out = Omsynth("--realtime --device none --positions", &status);
    ASSERT_EQ(0, status) << out;
    std::istringstream lines(out);
    std::string line;
    long lastHeard = -1, lines20 = 0;
    while (std::getline(lines, line)) {
        long t, instant, heard;
        if (sscanf(line.c_str(), "t=%ld instant=%ld heard=%ld", &t, &instant, &heard) != 3) continue;
        lines20++;
        EXPECT_GE(heard, lastHeard) << line;
        lastHeard = heard;
    }
    EXPECT_GE(lines20, 180);
    EXPECT_EQ(8 * kDemoQuarter, lastHeard);
    EXPECT_GE(Field(out, "end-heard"), 4.0);
}

// On the fake device's clock, read every 20 ms of it: the heard position lags the sequencer by
// at most 100 ms and never goes back, and the end of the 4 s scale is heard by 6.5 s.
TEST(RealtimeFakeClock, PositionsLagLittleAndTheEndIsHeardInTime) {
    ASSERT_TRUE(StartPlaybackTests());
    SetOutputDevice("fake");
    DemoPlanRecord *demo = nullptr;
    ASSERT_EQ(noErr, NouvelleDemo("scale", &demo));
    ASSERT_TRUE(LanceMusique(DocumentDeDemo(demo)));
    ASSERT_TRUE(WaitUntil(2, [] { return Stats().framesWritten >= 15 * 221; }));
    const SInt64 kTwentyMs = SInt64(kRate) / 50;
    SInt64 consumed = 0;
    SInt32 lastHeard = -1;
    double worstLagMs = 0;
    while (!IsFinDeMusiqueEntendue() && consumed < SInt64(10 * kRate)) {
        ASSERT_TRUE(AdvanceFakeClock(kTwentyMs));
        consumed += kTwentyMs;
        SInt32 heard = GetPosTickMusiqueEntendue(), instant = GetPosTickInstant();
        EXPECT_GE(heard, lastHeard) << consumed;
        lastHeard = heard;
        if (heard >= 0 && instant >= 0) worstLagMs = std::max(worstLagMs, double(instant - heard) * 500 / kDemoQuarter);
    }
    double end = double(consumed) / kRate;
    ArreteMusique(1);
    DisposeDemo(&demo);
    SetOutputDevice("");
    EXPECT_LE(worstLagMs, 100);
    EXPECT_EQ(8 * kDemoQuarter, lastHeard);
    EXPECT_GE(end, 4.0);
    EXPECT_LE(end, 6.5);
}

class RealtimeDeviceNames : public ::testing::Test {
protected:
    void SetUp() override {
        CaptureDeviceSet();  // "default" may be the capture device: files of this process only
        ASSERT_TRUE(StartPlaybackTests());
        ClearPlaybackTraces();
        ASSERT_EQ(noErr, NouvelleDemo("scale", &demo_));
    }
    void TearDown() override {
        ArreteMusique(1);
        DisposeDemo(&demo_);
        SetOutputDevice("");
        DeleteCaptures();
    }
    // Plays 300 ms; answers whether the heard position moved on by about that much.
    bool PlaysOnTheClock() {
        if (!LanceMusique(DocumentDeDemo(demo_))) return false;
        usleep(300000);
        SInt32 heard = GetPosTickMusiqueEntendue();
        ArreteMusique(1);
        return heard > TicksOfFrames(SInt64(0.1 * kRate)) && heard < TicksOfFrames(SInt64(0.4 * kRate));
    }
    DemoPlanRecord *demo_ = nullptr;
};

TEST_F(RealtimeDeviceNames, MissingOrOddDevicesPlaySilentlyTracedOnceEach) {
    const char *names[] = {"nonexistent", "nonexistent", "none", "hw:99,99", "file:/nonexistent-folder/x.wav", "\n"};
    for (const char *name : names) {
        SCOPED_TRACE(name);
        SetOutputDevice(name);
        EXPECT_TRUE(PlaysOnTheClock());
    }
    std::vector<std::string> traces = PlaybackTraces();
    ASSERT_LE(3u, traces.size());  // then "default" when no capture device stands in for it
    EXPECT_NE(std::string::npos, traces[0].find("\"nonexistent\" cannot be opened"));
    EXPECT_NE(std::string::npos, traces[1].find("\"hw:99,99\""));
    std::string unterminated(kDigitalOutputDeviceSize, 'x');  // no terminator in the whole table
    memcpy(OrvaGetDigitalOutputDevice(), unterminated.data(), unterminated.size());
    char name[kOutputDeviceNameSize];
    LitNomPeriphSortie(name);
    EXPECT_EQ(unterminated.substr(1), name);  // 4095 bytes at most
    EXPECT_FALSE(InitConfigurationPeriphWindow());
    EXPECT_TRUE(PlaysOnTheClock());
    EXPECT_FALSE(Stats().paced);
}

TEST_F(RealtimeDeviceNames, FileDeviceWritesWhatIsPlayed) {
    std::string path = TempFile("played.wav");
    SetOutputDevice(("file:" + path).c_str());
    ASSERT_TRUE(LanceMusique(DocumentDeDemo(demo_)));
    ASSERT_TRUE(WaitUntil(8, [] { return IsFinDeMusiqueEntendue() != 0; }));
    ArreteMusique(0);
    Audio heard;
    ASSERT_TRUE(ReadWav(path, &heard));
    EXPECT_GE(heard.left.size(), size_t(4 * kRate));
    std::vector<double> onsets = Onsets(heard);
    ASSERT_EQ(8u, onsets.size());
    for (size_t i = 0; i < onsets.size(); i++) EXPECT_NEAR(0.5 * double(i), onsets[i], 0.02);
    unlink(path.c_str());
}

}  // namespace
