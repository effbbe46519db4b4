// The bounded cursor reading 16 MiB of big-endian 32-bit values, against a plain loop of
// byte-swapped loads that checks nothing. Goal: the cursor takes at most 1.5 times as long.
#include "ratio_reporter.h"

#include <cstring>
#include <vector>

#include "platform/core/byte_reader.h"

namespace {

constexpr size_t kBytes = 16u << 20;

const std::vector<UInt8> &Data() {
    static std::vector<UInt8> data = [] {
        std::vector<UInt8> d(kBytes);
        for (size_t i = 0; i < kBytes; i++) d[i] = UInt8(i * 131 + (i >> 9));
        return d;
    }();
    return data;
}

void BM_CursorGet32(benchmark::State &state) {
    const std::vector<UInt8> &data = Data();
    for (auto _ : state) {
        ByteReader r = OrvaByteReader(data.data(), data.size());
        UInt32 sum = 0;
        while (ByteReaderLeft(&r) >= 4) sum += Get32(&r);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(SInt64(state.iterations()) * SInt64(kBytes));
}
BENCHMARK(BM_CursorGet32);

void BM_PlainBswapLoop(benchmark::State &state) {
    const std::vector<UInt8> &data = Data();
    for (auto _ : state) {
        UInt32 sum = 0;
        for (size_t at = 0; at + 4 <= data.size(); at += 4) {
            UInt32 v;
            std::memcpy(&v, data.data() + at, 4);
            sum += __builtin_bswap32(v);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(SInt64(state.iterations()) * SInt64(kBytes));
}
BENCHMARK(BM_PlainBswapLoop);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"cursor Get32 / plain bswap loop", "BM_CursorGet32", "BM_PlainBswapLoop", 1.5}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
}
