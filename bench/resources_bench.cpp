// Resource lookups against a plain hash map, and the -lh5- decoder against zlib, each pair in
// one run so that their ratio can be read off: Get1Resource should stay within 10 times the
// hash map, DecodeAR within 3 times zlib's time for the same output.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <ftw.h>
#include <string>
#include <unistd.h>
#include <unordered_map>
#include <vector>
#include <zlib.h>

#include "platform/core/lzh_decoder.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

namespace {

const int kSoundCount = 5000;
const ResType kSnd = FourCC("snd ");

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) { return remove(path); }

// A file of 5000 'snd ' resources in a private folder, opened and fully loaded once.
SInt16 SoundFile() {
    static SInt16 ref = 0;
    if (ref > 0) return ref;
    static char folder[] = "/tmp/orva-bench-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) abort();
    atexit([] { nftw(folder, RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); });
    setenv("WORVA", folder, 1);
    CreateResFile("sounds.rsr");
    ref = OpenResFile("sounds.rsr");
    for (int i = 0; i < kSoundCount; i++) {
        Handle h = NewHandle(16);
        AddResource(h, kSnd, SInt16(i - kSoundCount / 2), nullptr);
    }
    CloseResFile(ref);
    ref = OpenResFile("sounds.rsr");
    for (int i = 0; i < kSoundCount; i++) Get1Resource(kSnd, SInt16(i - kSoundCount / 2));
    return ref;
}

// Ids in a scattered order, the same for both lookups.
std::vector<SInt16> LookupOrder() {
    std::vector<SInt16> ids;
    for (int i = 0; i < kSoundCount; i++) ids.push_back(SInt16((i * 7919) % kSoundCount - kSoundCount / 2));
    return ids;
}

void BM_Get1Resource(benchmark::State &state) {
    UseResFile(SoundFile());
    std::vector<SInt16> ids = LookupOrder();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Get1Resource(kSnd, ids[i]));
        if (++i == ids.size()) i = 0;
    }
}
BENCHMARK(BM_Get1Resource);

void BM_UnorderedMapLookup(benchmark::State &state) {
    UseResFile(SoundFile());
    std::unordered_map<UInt64, Handle> map;
    for (int i = 0; i < kSoundCount; i++) {
        SInt16 id = SInt16(i - kSoundCount / 2);
        map[(UInt64(kSnd) << 16) | UInt16(id)] = Get1Resource(kSnd, id);
    }
    std::vector<SInt16> ids = LookupOrder();
    size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(map.find((UInt64(kSnd) << 16) | UInt16(ids[i]))->second);
        if (++i == ids.size()) i = 0;
    }
}
BENCHMARK(BM_UnorderedMapLookup);

std::vector<unsigned char> Fixture(const char *name) {
    std::string here = __FILE__;  // .../bench/resources_bench.cpp
    std::string root = getenv("ORVA_SOURCE_DIR") ? getenv("ORVA_SOURCE_DIR") : here.substr(0, here.rfind("/bench/"));
    std::vector<unsigned char> bytes;
    FILE *f = fopen((root + "/tests/data/platform/lzh/" + name).c_str(), "rb");
    if (!f) abort();
    int c;
    while ((c = getc(f)) != EOF) bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

void BM_DecodeAR(benchmark::State &state) {
    std::vector<unsigned char> packed = Fixture("text1m.lh5");
    std::vector<unsigned char> original = Fixture("text1m.txt");
    std::vector<unsigned char> out(original.size());
    for (auto _ : state) {
        long n = DecodeAR(nullptr, packed.data(), long(packed.size()), nullptr, out.data(), long(out.size()));
        if (n != long(out.size())) state.SkipWithError("decode failed");
    }
    if (out != original) state.SkipWithError("wrong output");
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}
BENCHMARK(BM_DecodeAR)->Unit(benchmark::kMillisecond);

void BM_ZlibUncompress(benchmark::State &state) {
    std::vector<unsigned char> original = Fixture("text1m.txt");
    uLongf packedSize = compressBound(uLong(original.size()));
    std::vector<unsigned char> packed(packedSize);
    compress2(packed.data(), &packedSize, original.data(), uLong(original.size()), 6);
    std::vector<unsigned char> out(original.size());
    for (auto _ : state) {
        uLongf outSize = uLongf(out.size());
        if (uncompress(out.data(), &outSize, packed.data(), packedSize) != Z_OK) state.SkipWithError("zlib failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(out.size()));
}
BENCHMARK(BM_ZlibUncompress)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
