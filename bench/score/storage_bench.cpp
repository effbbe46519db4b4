// Score storage against the system's libraries on the same data. Goals (same-run ratios): LZW
// coding of 1 MiB of MusicXML from the corpus at most 1x zlib's compress2 at level 6, decoding
// at most 3x uncompress (both coded sizes reported); ReadCar over an 8 MiB file at most 2x
// getc_unlocked; CalculeSceauCompletMD5 of 16 MiB at most 1.5x GLib's MD5.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <glib.h>
#include <random>
#include <string>
#include <unistd.h>
#include <zlib.h>

#include "../ratio_reporter.h"
#include "score/byte_stream.h"
#include "score/lzw.h"
#include "score/md5_seal.h"

namespace {

const size_t kTexte = 1 << 20;
const size_t kFichier = 8 << 20;
const size_t kSceau = 16 << 20;

std::string SourceFolder() {
    std::string here = __FILE__;  // .../bench/score/storage_bench.cpp
    const char *root = getenv("ORVA_SOURCE_DIR");
    return root ? std::string(root) : here.substr(0, here.rfind("/bench/"));
}

// 1 MiB of the corpus's MusicXML documents, one after the other (again from the first when
// they are shorter), in name order so that every run codes the same text.
const std::string &MusicXml() {
    static std::string text;
    if (!text.empty()) return text;
    std::string folder = SourceFolder() + "/tests/data/corpus/musicxml/";
    struct dirent **names = nullptr;
    int count = scandir(folder.c_str(), &names, nullptr, alphasort);
    std::string all;
    for (int i = 0; i < count; i++) {
        std::string name = names[i]->d_name;
        free(names[i]);
        if (name.size() < 4 || name.substr(name.size() - 4) != ".xml") continue;
        FILE *f = fopen((folder + name).c_str(), "rb");
        char block[65536];
        size_t n;
        while (f && (n = fread(block, 1, sizeof block, f)) > 0) all.append(block, n);
        if (f) fclose(f);
    }
    free(names);
    if (all.empty()) abort();
    while (text.size() < kTexte) text += all;
    text.resize(kTexte);
    return text;
}

Boolean Ajoute(void *context, const UInt8 *bytes, size_t count) {
    static_cast<std::string *>(context)->append(reinterpret_cast<const char *>(bytes), count);
    return kTrue;
}

std::string CodeLzwTexte(const std::string &text) {
    static LzwCodeur coder;
    std::string coded;
    coded.reserve(text.size());
    InitCodeurLzw(&coder, LzwSortie{Ajoute, &coded});
    CodeLzw(&coder, text.data(), text.size());
    TermineCodeurLzw(&coder);
    return coded;
}

void BM_LzwCode(benchmark::State &state) {
    const std::string &text = MusicXml();
    size_t coded = 0;
    for (auto _ : state) coded = CodeLzwTexte(text).size();
    state.counters["coded_bytes"] = double(coded);
}
BENCHMARK(BM_LzwCode)->Unit(benchmark::kMillisecond);

void BM_Compress2(benchmark::State &state) {
    const std::string &text = MusicXml();
    std::string out(compressBound(uLong(text.size())), 0);
    uLongf size = 0;
    for (auto _ : state) {
        size = uLongf(out.size());
        compress2(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(text.data()),
                  uLong(text.size()), 6);
    }
    state.counters["coded_bytes"] = double(size);
}
BENCHMARK(BM_Compress2)->Unit(benchmark::kMillisecond);

void BM_LzwDecode(benchmark::State &state) {
    std::string coded = CodeLzwTexte(MusicXml());
    static LzwDecodeur decoder;
    std::string out(kTexte + kLzwSortieMin, 0);
    for (auto _ : state) {
        ByteReader in = OrvaByteReader(coded.data(), coded.size());
        LzwEntree input = {&in, nullptr, nullptr};
        InitDecodeurLzw(&decoder);
        size_t done = 0, n;
        while ((n = DecodeLzw(&decoder, &input, reinterpret_cast<UInt8 *>(&out[done]), out.size() - done)) > 0) done += n;
        if (done != kTexte) state.SkipWithError("decoded size");
    }
}
BENCHMARK(BM_LzwDecode)->Unit(benchmark::kMillisecond);

void BM_Uncompress(benchmark::State &state) {
    const std::string &text = MusicXml();
    std::string packed(compressBound(uLong(text.size())), 0);
    uLongf packedSize = uLongf(packed.size());
    compress2(reinterpret_cast<Bytef *>(&packed[0]), &packedSize, reinterpret_cast<const Bytef *>(text.data()),
              uLong(text.size()), 6);
    std::string out(text.size(), 0);
    for (auto _ : state) {
        uLongf size = uLongf(out.size());
        uncompress(reinterpret_cast<Bytef *>(&out[0]), &size, reinterpret_cast<const Bytef *>(packed.data()), packedSize);
    }
}
BENCHMARK(BM_Uncompress)->Unit(benchmark::kMillisecond);

const std::string &FichierOctets() {
    static std::string path;
    if (!path.empty()) return path;
    path = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/storage_bench_" + std::to_string(getpid());
    std::mt19937 random(7);
    std::string bytes(kFichier, 0);
    for (char &c : bytes) c = char(random());
    FILE *f = fopen(path.c_str(), "wb");
    if (!f || fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) abort();
    fclose(f);
    atexit([] { unlink(FichierOctets().c_str()); });
    return path;
}

void BM_ReadCar(benchmark::State &state) {
    const std::string &path = FichierOctets();
    for (auto _ : state) {
        CadenzoOpenFile(path.c_str(), "rb");
        UInt32 sum = 0;
        SInt16 c;
        while ((c = ReadCar()) >= 0) sum += UInt32(c);
        CloseFile();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_ReadCar)->Unit(benchmark::kMillisecond);

void BM_GetcUnlocked(benchmark::State &state) {
    const std::string &path = FichierOctets();
    for (auto _ : state) {
        FILE *f = fopen(path.c_str(), "rb");
        UInt32 sum = 0;
        int c;
        while ((c = getc_unlocked(f)) != EOF) sum += UInt32(c);
        fclose(f);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_GetcUnlocked)->Unit(benchmark::kMillisecond);

const std::string &OctetsSceau() {
    static std::string bytes;
    if (bytes.empty()) {
        std::mt19937 random(9);
        bytes.resize(kSceau);
        for (char &c : bytes) c = char(random());
    }
    return bytes;
}

void BM_CalculeSceauCompletMD5(benchmark::State &state) {
    const std::string &bytes = OctetsSceau();
    SceauMD5 seal;
    for (auto _ : state) {
        CalculeSceauCompletMD5(bytes.data(), SInt32(bytes.size()), &seal);
        benchmark::DoNotOptimize(seal);
    }
}
BENCHMARK(BM_CalculeSceauCompletMD5)->Unit(benchmark::kMillisecond);

void BM_GLibMd5(benchmark::State &state) {
    const std::string &bytes = OctetsSceau();
    for (auto _ : state) {
        gchar *digest = g_compute_checksum_for_data(G_CHECKSUM_MD5, reinterpret_cast<const guchar *>(bytes.data()),
                                                    bytes.size());
        benchmark::DoNotOptimize(digest);
        g_free(digest);
    }
}
BENCHMARK(BM_GLibMd5)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"LZW coding / compress2 level 6", "BM_LzwCode", "BM_Compress2", 1.0},
    {"LZW decoding / uncompress", "BM_LzwDecode", "BM_Uncompress", 3.0},
    {"ReadCar / getc_unlocked", "BM_ReadCar", "BM_GetcUnlocked", 2.0},
    {"CalculeSceauCompletMD5 / GLib MD5", "BM_CalculeSceauCompletMD5", "BM_GLibMd5", 1.5},
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(kGoals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
