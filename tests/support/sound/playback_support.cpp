#include "support/sound/playback_support.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/core/runtime.h"
#include "sound/digit_params.h"
#include "sound/output_driver.h"
#include "sound/sound_bank.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"

namespace {

std::mutex gTraceLock;
std::vector<std::string> gTraces;  // gTraceLock

void RecordTrace(const char *line) {
    std::lock_guard<std::mutex> hold(gTraceLock);
    gTraces.push_back(line);
}

// The runtime's message routines: the trace is recorded, the rest goes where it goes in a test.
const OrvaMessageHooks kPlaybackMessages = {nullptr, nullptr, nullptr, RecordTrace};

const SInt64 kRate = 44100, kStepFrames = 221, kHalfBuffer = kStepFrames * kOutputBufferSteps / 2;

}  // namespace

bool StartPlaybackTests() {
    restest::FreshFolder();
    FixeDossierBanqueSon(BuildTreePath("SoundBank").c_str());
    RemplitParamDigitQualite(&GlobalDigitParam, kDigitQualityHigh);
    InstalleOpsDemo();
    OrvaSetMessageHooks(&kPlaybackMessages);
    return InitFichiersRessourcesDigitPlugIn(0);
}

::testing::AssertionResult OuvreBanquesConstruites(DigitOutputParams *params) {
    restest::FreshFolder();
    FixeDossierBanqueSon(BuildTreePath("SoundBank").c_str());
    if (!InitFichiersRessourcesDigitPlugIn(0)) return ::testing::AssertionFailure() << BankErrorMessage();
    RemplitParamDigitQualite(params, kDigitQualityHigh);
    return ::testing::AssertionSuccess();
}

std::vector<std::string> PlaybackTraces() {
    std::lock_guard<std::mutex> hold(gTraceLock);
    return gTraces;
}

void ClearPlaybackTraces() {
    std::lock_guard<std::mutex> hold(gTraceLock);
    gTraces.clear();
}

void SetOutputDevice(const char *name) { snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "%s", name); }

SInt32 TicksOfFrames(SInt64 frames) { return SInt32(frames * 2 * kDemoQuarter / kRate); }

SInt64 FramesOfTicks(SInt32 ticks) { return SInt64(ticks) * kRate / (2 * kDemoQuarter); }

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

PlaybackStats Stats() {
    PlaybackStats stats;
    GetStatsLecture(&stats);
    return stats;
}

bool AdvanceFakeClock(SInt64 frames) {
    while (frames > 0) {
        SInt64 move = frames < kHalfBuffer ? frames : kHalfBuffer;
        PlaybackStats before = Stats();
        AvanceHorlogeFactice(move);
        frames -= move;
        // Refilled: written again up to what it held before the move,
        bool refilled = WaitUntil(2.0, [&] {
            PlaybackStats now = Stats();
            return now.finished || now.framesWritten + kStepFrames > before.framesWritten + move;
        });
        // and measured: a whole pass more has told what is heard.
        UInt32 passes = Stats().passes;
        bool measured = WaitUntil(2.0, [&] { return Stats().passes >= passes + 2; });
        if (!refilled || !measured) return false;
    }
    return true;
}

const double kHz[8] = {261.63, 293.66, 329.63, 349.23, 392.00, 440.00, 493.88, 523.25};

SInt32 FluxSinus(void *, SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples) {
    SInt32 n = 0;
    for (; n < count && first + n < 88200 && stream == kFluxSinus; n++)
        samples[n] = SInt16(16384 * std::sin(2 * M_PI * 440 * double(first + n) / 44100));
    return n;
}
