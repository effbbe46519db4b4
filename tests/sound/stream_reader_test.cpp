// ctest-labels: playback;score-storage
// A sung track as the mixer hears it: samples written into a score audio stream (in memory and
// on disk) come out of the mix at their pitch and level, after the stream's end nothing does.
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/audio_streams.h"
#include "sound/digit_params.h"
#include "sound/stream_reader.h"
#include "sound/synth.h"
#include "support/audio_support.h"

namespace {

TEST(StreamReader, AScoreStreamIsHeardThroughTheMixer) {
    for (Boolean inMemory : {kTrue, kFalse}) {
        SCOPED_TRACE(inMemory ? "memory" : "disk");
        SInt16 stream = CreateFlux("Chant", 44100, inMemory);  // one second, written in slices
        ASSERT_GT(stream, 0);
        std::vector<SInt16> slice(2000);
        StartFluxCriticalSection();
        for (SInt32 at = 0; at < 44100; at += SInt32(slice.size())) {
            for (size_t i = 0; i < slice.size(); i++) slice[i] = SInt16(16384 * std::sin(2 * M_PI * 660 * double(at + SInt32(i)) / 44100));
            WriteFlux(slice.data(), SInt32(std::min<size_t>(slice.size(), size_t(44100 - at))), stream);
        }
        EndFluxCriticalSection();
        DigitOutputParams params;
        RemplitParamDigitQualite(&params, kDigitQualityHigh);
        params.reverb = 0;
        std::vector<SoundStaffBlock> staves = {{127, 0, 1, kSoundSourceBank, stream, 0, 0}};
        SoundRenderRequest request = {&params, nullptr, 0, true, staves.data(), 1, &kLecteurFluxAudio, 0, 0, 1500};
        SInt16 *samples = nullptr;
        UInt32 frames = 0;
        ASSERT_EQ(noErr, RenduSonHorsLigne(&request, &samples, &frames, nullptr));
        Audio audio = AudioFrom(samples, frames, params.stereo ? 2 : 1, int(DigitRateHz(&params)));
        DisposPtr(reinterpret_cast<Ptr>(samples));
        DisposeFlux(stream);
        EXPECT_NEAR(660.0, DominantHz(audio, 0.2, 0.2), 6.6);
        EXPECT_NEAR(20 * std::log10(0.5 / std::sqrt(2.0)), LevelDb(audio, 0.1, 0.9), 0.5);
        EXPECT_LT(PeakDb(audio, 1.01, 1.5), -90);
    }
}

}  // namespace
