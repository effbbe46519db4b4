// The Event Manager's queue and the Collection Manager's lookups against the standard library.
// Goals: a PostEvent and GetNextEvent pair in the plug-in's mode costs at most 4 times a push
// and a pop of a std::deque under a pthread mutex; GetCollectionItem among 2,000 'bnum' items at
// most 3 times a std::unordered_map lookup of the same keys.
#include <benchmark/benchmark.h>
#include <cstring>
#include <deque>
#include <pthread.h>
#include <unordered_map>
#include <vector>

#include "../ratio_reporter.h"
#include "toolbox_bench_support.h"
#include "graphics/quickdraw/ports.h"
#include "platform/core/runtime.h"
#include "toolbox/collections.h"
#include "toolbox/events.h"
#include "toolbox/toolbox_install.h"

namespace {

enum { kItems = 2000, kItemSize = 50 };

void Start() { BenchStartToolbox(); }

void BM_PostAndGetNextEvent(benchmark::State &state) {
    Start();
    EventRecord e;
    UInt32 i = 0;
    for (auto _ : state) {
        PostEvent(keyDown, i++);
        GetNextEvent(everyEvent, &e);
        benchmark::DoNotOptimize(e);
    }
}
BENCHMARK(BM_PostAndGetNextEvent);

void BM_DequeUnderMutex(benchmark::State &state) {
    static pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    std::deque<EventRecord> queue;
    EventRecord e = {};
    UInt32 i = 0;
    for (auto _ : state) {
        pthread_mutex_lock(&mutex);
        e.message = i++;
        queue.push_back(e);
        pthread_mutex_unlock(&mutex);
        pthread_mutex_lock(&mutex);
        EventRecord taken = queue.front();
        queue.pop_front();
        pthread_mutex_unlock(&mutex);
        benchmark::DoNotOptimize(taken);
    }
}
BENCHMARK(BM_DequeUnderMutex);

void BM_GetCollectionItem(benchmark::State &state) {
    Start();
    Collection c = NewCollection();
    UInt8 bytes[kItemSize] = {};
    for (SInt32 i = 0; i < kItems; i++) AddCollectionItem(c, FourCC("bnum"), i, kItemSize, bytes);
    UInt8 out[kItemSize];
    SInt32 i = 0;
    for (auto _ : state) {
        SInt32 size = kItemSize;
        GetCollectionItem(c, FourCC("bnum"), i, &size, out);
        benchmark::DoNotOptimize(out);
        i = i + 1 == kItems ? 0 : i + 1;
    }
    DisposeCollection(c);
}
BENCHMARK(BM_GetCollectionItem);

void BM_UnorderedMapLookup(benchmark::State &state) {
    std::unordered_map<UInt64, std::vector<UInt8>> map;
    for (SInt32 i = 0; i < kItems; i++) map[UInt64(FourCC("bnum")) << 32 | UInt32(i)] = std::vector<UInt8>(kItemSize);
    UInt8 out[kItemSize];
    SInt32 i = 0;
    for (auto _ : state) {
        const std::vector<UInt8> &item = map.find(UInt64(FourCC("bnum")) << 32 | UInt32(i))->second;
        memcpy(out, item.data(), item.size());
        benchmark::DoNotOptimize(out);
        i = i + 1 == kItems ? 0 : i + 1;
    }
}
BENCHMARK(BM_UnorderedMapLookup);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"PostEvent+GetNextEvent / deque under mutex", "BM_PostAndGetNextEvent", "BM_DequeUnderMutex", 4},
                            {"GetCollectionItem / unordered_map", "BM_GetCollectionItem", "BM_UnorderedMapLookup", 3}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
}
