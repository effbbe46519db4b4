// Helpers of the real-time playback tests: the bank and output format they play with, the
// plug-in's device name, the trace recorded, the fake device's clock moved and waited for.
#pragma once

#include <gtest/gtest.h>
#include <ctime>
#include <string>
#include <vector>

#include "tools/demo_scores/demo_plans.h"
#include "sound/digit_params.h"
#include "sound/playback.h"

// Opens "OMS Basic" from the build tree, sets the high-quality output format, installs the demo
// score ops and records the trace (the runtime's PlugTrace). False when the bank is missing.
bool StartPlaybackTests();
// A fresh resource folder, the banks the build made opened and params at the high quality; the
// bank's error when they cannot be opened, in which case the caller's test stops.
::testing::AssertionResult OuvreBanquesConstruites(DigitOutputParams *params);
std::vector<std::string> PlaybackTraces();  // lines traced since the last clear
void ClearPlaybackTraces();
// Writes the plug-in's output-device table.
void SetOutputDevice(const char *name);
// Score units of a number of frames of the demos (120 quarters a minute at 44100 Hz).
SInt32 TicksOfFrames(SInt64 frames);
SInt64 FramesOfTicks(SInt32 ticks);
double NowSeconds();  // monotonic
PlaybackStats Stats();  // GetStatsLecture's
// Moves the fake device's clock on by frames, half a buffer at a time, waiting after each move
// (at most 2 s) until the writer has refilled the device (or has nothing more to mix) and has
// measured what is heard. False when it did not.
bool AdvanceFakeClock(SInt64 frames);
// C4 .. C5 in Hz: the scale demo's notes, and measure m of a repeat demo holds kHz[m].
extern const double kHz[8];
// The stream kFluxSinus: a 440 Hz sine at half scale, 2 s at 44.1 kHz (a SoundStreamReader's).
enum : SInt16 { kFluxSinus = 3 };
SInt32 FluxSinus(void *context, SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples);
// Polls every millisecond until done() holds or seconds pass; answers done().
template <typename Done>
bool WaitUntil(double seconds, Done done) {
    double end = NowSeconds() + seconds;
    while (!done()) {
        if (NowSeconds() > end) return done();
        struct timespec pause = {0, 1000000};
        nanosleep(&pause, nullptr);
    }
    return true;
}
