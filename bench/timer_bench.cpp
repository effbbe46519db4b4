// CPU used by the idle 1 kHz timer thread, against the same idle wait without it and against
// a bare thread that only sleeps a millisecond at a time (the cost of the wake-ups alone).
// Goal: the timer thread costs under 2 % of one core while no task is armed.
#include <atomic>
#include <benchmark/benchmark.h>
#include <ctime>
#include <pthread.h>
#include <sys/resource.h>

#include "platform/core/time_manager.h"

namespace {

constexpr UInt32 kIdleSeconds = 5;

double ProcessCpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double WallSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

std::atomic<bool> gSleeperStop{false};

void *BareSleeper(void *) {
    while (!gSleeperStop.load()) {
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        SystemDependantSleepMs(1);
    }
    return nullptr;
}

// Sleeps kIdleSeconds and reports the process's CPU time over that wall time, in percent of
// one core. The main thread only sleeps, so with the timer running the difference from the
// baseline is the timer thread's own use.
enum IdleKind { kNothing, kTimerThread, kBareSleeper };

void MeasureIdle(benchmark::State &state, IdleKind kind) {
    bool withTimer = kind == kTimerThread;
    for (auto _ : state) {
        pthread_t sleeper{};
        gSleeperStop.store(false);
        if (kind == kBareSleeper) pthread_create(&sleeper, nullptr, BareSleeper, nullptr);
        if (withTimer) OrvaStartTimer1000();
        double cpu0 = ProcessCpuSeconds();
        double wall0 = WallSeconds();
        SystemDependantSleepMs(kIdleSeconds * 1000);
        double cpu = ProcessCpuSeconds() - cpu0;
        double wall = WallSeconds() - wall0;
        if (withTimer) {
            OrvaStopTimer1000();
            SystemDependantStopTimer();
        }
        if (kind == kBareSleeper) {
            gSleeperStop.store(true);
            pthread_join(sleeper, nullptr);
        }
        state.counters["cpu_percent_of_core"] = 100.0 * cpu / wall;
        if (withTimer) state.counters["ticks_counted"] = double(OrvaGetTimer1000());
    }
}

void BM_IdleWaitBaseline(benchmark::State &state) { MeasureIdle(state, kNothing); }
void BM_IdleWaitWithBareMillisecondSleeper(benchmark::State &state) { MeasureIdle(state, kBareSleeper); }
void BM_IdleWaitWithTimerThread(benchmark::State &state) {
    OrvaSetTimer1000(0);
    MeasureIdle(state, kTimerThread);
}

}  // namespace

BENCHMARK(BM_IdleWaitBaseline)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleWaitWithBareMillisecondSleeper)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_IdleWaitWithTimerThread)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
