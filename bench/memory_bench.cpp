// Handle allocation against the process heap, and critical sections against a bare mutex.
// Goals: a NewHandle/DisposHandle pair has at least half the throughput of malloc/free;
// an uncontended section enter/leave costs at most twice a pthread mutex lock/unlock.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <pthread.h>

#include "platform/core/critical_sections.h"
#include "platform/core/memory.h"

static void BM_MallocFree(benchmark::State &state) {
    for (auto _ : state) {
        void *p = malloc(size_t(state.range(0)));
        benchmark::DoNotOptimize(p);
        free(p);
    }
}
BENCHMARK(BM_MallocFree)->Arg(64)->Arg(4096);

static void BM_NewHandleDisposHandle(benchmark::State &state) {
    for (auto _ : state) {
        Handle h = NewHandle(UInt32(state.range(0)));
        benchmark::DoNotOptimize(h);
        DisposHandle(h);
    }
}
BENCHMARK(BM_NewHandleDisposHandle)->Arg(64)->Arg(4096);

static void BM_PthreadMutex(benchmark::State &state) {
    static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    for (auto _ : state) {
        pthread_mutex_lock(&mutex);
        benchmark::ClobberMemory();
        pthread_mutex_unlock(&mutex);
    }
}
BENCHMARK(BM_PthreadMutex);

static void BM_CriticalSection(benchmark::State &state) {
    for (auto _ : state) {
        SystemDependantStartCriticalSection(9);
        benchmark::ClobberMemory();
        SystemDependantEndCriticalSection(9);
    }
}
BENCHMARK(BM_CriticalSection);

BENCHMARK_MAIN();
