// Real-time playback on the fake device (its clock running faster than real time), with the
// "large" demo (16 staves, 64 voices and more sounding) and the "OMS Basic" bank (the built-in
// oscillator when the bank is not built). Goals:
//   - the CPU time of 60 s of paced play at most 1.15 x that of rendering them offline;
//   - a step through the writer (sequencer, mixing, ring, write): p99 at most 0.5 ms
//     (counter step_p99_ms);
//   - the heard position at most 2 x an atomic load and a binary search of 4,096 entries, and
//     as fast while another thread holds section 256;
//   - 5 minutes of paced play in real time while the main thread polls at 100 Hz: 0 steps
//     written with less than a step left in the device (counter starved_steps).
#include "../bank_support.h"
#include "../ratio_reporter.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "tools/demo_scores/demo_plans.h"
#include "sound/digit_params.h"
#include "sound/playback.h"
#include "sound/sound_bank.h"

namespace {

const UInt32 kRate = 44100;
const SInt32 kSixtySeconds = 120 * kDemoQuarter;  // at 120 quarters a minute

double CpuSeconds() {
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

void Sleep(long micros) { usleep(useconds_t(micros)); }

// The large demo, its first 60 s or all of it looped, ready to play.
DemoPlanRecord *LargeDemo(SInt32 selectionEnd, Boolean loop) {
    static bool started = false;
    if (!started) {
        char here[4096];
        if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
        FixeDossierBanqueSon(BenchBankFolder().c_str());
        InitFichiersRessourcesDigitPlugIn(0);
        RemplitParamDigitQualite(&GlobalDigitParam, kDigitQualityHigh);
        InstalleOpsDemo();
        started = true;
    }
    DemoPlanRecord *demo = nullptr;
    NouvelleDemo("large", &demo);
    demo->selectionStart = 0;
    demo->selectionEnd = selectionEnd;
    demo->loop = loop;
    return demo;
}

// Plays on the fake device at speed times real time until the end is heard or maxSeconds of
// wall time; polls the readers every pollMicros.
PlaybackStats Play(DemoPlanRecord *demo, int speed, double maxSeconds, long pollMicros) {
    snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "fake:%d", speed);
    LanceMusique(DocumentDeDemo(demo));
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        Sleep(pollMicros);
        GetPosTickMusiqueEntendue();
        GetTempsEcritJoue();
        if (IsFinDeMusiqueEntendue()) break;
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        if (double(now.tv_sec - start.tv_sec) + (now.tv_nsec - start.tv_nsec) / 1e9 > maxSeconds) break;
    }
    PlaybackStats stats;
    GetStatsLecture(&stats);
    ArreteMusique(1);
    return stats;
}

void BM_PacedPlaySixtySeconds(benchmark::State &state) {
    DemoPlanRecord *demo = LargeDemo(kSixtySeconds, false);
    for (auto _ : state) {
        double cpu = CpuSeconds();
        PlaybackStats stats = Play(demo, 20, 20, 5000);
        state.SetIterationTime(CpuSeconds() - cpu);
        state.counters["step_p99_ms"] = stats.stepMicros99 / 1000.0;
        state.counters["underruns"] = stats.underruns;
    }
    DisposeDemo(&demo);
}

void BM_OfflineSixtySeconds(benchmark::State &state) {
    DemoPlanRecord *demo = LargeDemo(kSixtySeconds, false);
    SoundEvent *events = nullptr;
    UInt32 count = 0;
    EvenementsDemo(demo, kRate, &events, &count);
    for (auto _ : state) {
        double cpu = CpuSeconds();
        SoundRenderRequest request = {&GlobalDigitParam, events, count, false, demo->staves, demo->staffCount,
                                      nullptr, 0, 0, 60000};
        SInt16 *samples = nullptr;
        UInt32 frames = 0;
        RenduSonHorsLigne(&request, &samples, &frames, nullptr);
        if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
        state.SetIterationTime(CpuSeconds() - cpu);
    }
    DisposPtr(reinterpret_cast<Ptr>(events));
    DisposeDemo(&demo);
}

// A ring of 4,096 steps and more, the writer parked: only the readers run.
void FillTheRing(DemoPlanRecord *demo) {
    snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "fake:40");
    LanceMusique(DocumentDeDemo(demo));
    Sleep(700000);  // 28 s of music, 5,600 steps
    StopMusiqueHardware();
}

void BM_HeardPosition(benchmark::State &state) {
    DemoPlanRecord *demo = LargeDemo(0, false);
    FillTheRing(demo);
    std::atomic<bool> holding{false}, release{false};
    std::thread holder;
    if (state.range(0)) {  // another thread holds the mixing section meanwhile
        holder = std::thread([&] {
            EntreSectionMixage();
            holding = true;
            while (!release) Sleep(100);
            QuitteSectionMixage();
        });
        while (!holding) Sleep(100);
    }
    for (auto _ : state) benchmark::DoNotOptimize(GetPosTickMusiqueEntendue());
    release = true;
    if (holder.joinable()) holder.join();
    ArreteMusique(1);
    DisposeDemo(&demo);
}

void BM_AtomicLoadAndBinarySearch(benchmark::State &state) {
    std::vector<SInt64> frames(4096);
    for (size_t i = 0; i < frames.size(); i++) frames[i] = SInt64(i) * 221;
    std::atomic<SInt64> heard{123456};
    for (auto _ : state) {
        SInt64 at = heard.load();
        benchmark::DoNotOptimize(std::upper_bound(frames.begin(), frames.end(), at));
    }
}

void BM_FiveMinutesPolledAt100Hz(benchmark::State &state) {
    DemoPlanRecord *demo = LargeDemo(0, false);
    demo->selectionEnd = demo->duration;
    demo->loop = true;  // 128 s of music, wrapping
    for (auto _ : state) {
        PlaybackStats stats = Play(demo, 1, 300, 10000);
        state.counters["starved_steps"] = stats.starvedSteps;
        state.counters["underruns"] = stats.underruns;
        state.counters["music_s"] = stats.steps / 200.0;
        state.counters["longest_gap_ms"] = stats.longestGapMicros / 1000.0;  // the system held the writer up
    }
    DisposeDemo(&demo);
}

}  // namespace

BENCHMARK(BM_PacedPlaySixtySeconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OfflineSixtySeconds)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HeardPosition)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_AtomicLoadAndBinarySearch)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FiveMinutesPolledAt100Hz)->Iterations(1)->Unit(benchmark::kSecond);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({
        {"60 s paced play / offline render (CPU)", "BM_PacedPlaySixtySeconds/iterations:1/manual_time",
         "BM_OfflineSixtySeconds/iterations:1/manual_time", 1.15},
        {"heard position / atomic load + search", "BM_HeardPosition/0", "BM_AtomicLoadAndBinarySearch", 2.0},
        {"heard position, 256 held / load + search", "BM_HeardPosition/1", "BM_AtomicLoadAndBinarySearch", 2.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
