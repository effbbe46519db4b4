// Helpers of the real-time playback tests: the bank and output format they play with, the
// plug-in's device name, the trace recorded, the fake device's clock moved and waited for.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "sound/demo_scores.h"
#include "sound/playback.h"

// Opens "OMS Basic" from the build tree, sets the high-quality output format, installs the demo
// score ops and records the playback trace. False when the bank is missing.
bool StartPlaybackTests();
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
