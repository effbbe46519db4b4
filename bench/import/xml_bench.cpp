// Parsing documents into element trees and extracting zip members, each against the system's
// own tool on the same input, spawned from the benchmark.
#include "../ratio_reporter.h"
#include "import_bench.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "import/xml/xml_tree.h"
#include "import/xml/zip_members.h"

extern char **environ;

namespace {

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8";

// A document of one text of textBytes (lines of 79 letters) followed by elements small elements.
std::string Generated(int textBytes, int elements) {
    std::string path = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/xml_bench_" +
                       std::to_string(getpid()) + "_" + std::to_string(textBytes) + ".xml";
    FILE *f = fopen(path.c_str(), "wb");
    if (f == nullptr) abort();
    fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<score>\n<credit-words>", f);
    for (int i = 0; i < textBytes; i++) fputc(i % 80 == 79 ? '\n' : 'a' + i % 26, f);
    fputs("</credit-words>\n", f);
    for (int i = 0; i < elements; i++) fprintf(f, "  <note id=\"n%d\"><pitch>C</pitch></note>\n", i);
    fputs("</score>\n", f);
    fclose(f);
    return path;
}

// Runs the command with standard output and error thrown away and waits for it.
void Spawn(benchmark::State &state, const std::vector<std::string> &args) {
    std::vector<char *> argv;
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t pid;
        int status = 0;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0 || waitpid(pid, &status, 0) < 0 ||
            !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("peer failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

// The generated documents, made when first needed and removed at the end.
std::string gLarge, gSmall;

const std::string &Large() {
    if (gLarge.empty()) gLarge = Generated(10 << 20, 200000);
    return gLarge;
}

const std::string &Small() {
    if (gSmall.empty()) gSmall = Generated(1 << 20, 20000);
    return gSmall;
}

void BM_BrowseGounod(benchmark::State &s) { BenchParse(s, BenchCorpusFile("CharlesGounod_Meditation.xml")); }
void BM_XmllintGounod(benchmark::State &s) { Spawn(s, {"xmllint", "--noout", BenchCorpusFile("CharlesGounod_Meditation.xml")}); }
void BM_BrowseEntertainer(benchmark::State &s) { BenchParse(s, BenchCorpusFile("ScottJoplin_The_Entertainer.xml")); }
void BM_XmllintEntertainer(benchmark::State &s) {
    Spawn(s, {"xmllint", "--noout", BenchCorpusFile("ScottJoplin_The_Entertainer.xml")});
}
void BM_Browse20MB(benchmark::State &s) { BenchParse(s, Large()); }
// The peer refuses a text node over 10 MB unless told to take huge documents.
void BM_Xmllint20MB(benchmark::State &s) { Spawn(s, {"xmllint", "--noout", "--huge", Large()}); }
void BM_Browse2MB(benchmark::State &s) { BenchParse(s, Small()); }

void BM_UnzipSchumann(benchmark::State &state) {
    std::string archive = BenchCorpusFile(std::string(kSchumann) + ".mxl"), member = std::string(kSchumann) + ".xml";
    for (auto _ : state) {
        Handle h = UnzipFile(archive.c_str(), member.c_str());
        if (h == nullptr) state.SkipWithError("member missing");
        DisposeZipHandle(h);
    }
}
void BM_UnzipPSchumann(benchmark::State &s) {
    Spawn(s, {"unzip", "-p", BenchCorpusFile(std::string(kSchumann) + ".mxl"), std::string(kSchumann) + ".xml"});
}

BENCHMARK(BM_BrowseGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmllintGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowseEntertainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmllintEntertainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Browse20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Xmllint20MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Browse2MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnzipSchumann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnzipPSchumann)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    BenchStartImport(&argc, argv);
    RatioReporter reporter({
        {"BrowseXMLFile / xmllint, Gounod", "BM_BrowseGounod", "BM_XmllintGounod", 1.0},
        {"BrowseXMLFile / xmllint, Entertainer", "BM_BrowseEntertainer", "BM_XmllintEntertainer", 1.0},
        {"BrowseXMLFile / xmllint, 20 MB", "BM_Browse20MB", "BM_Xmllint20MB", 1.5},
        // Ten times the bytes may take at most 1.3 times as long per byte.
        {"20 MB / 2 MB document (10x the bytes)", "BM_Browse20MB", "BM_Browse2MB", 13.0},
        {"UnzipFile / unzip -p, Schumann", "BM_UnzipSchumann", "BM_UnzipPSchumann", 1.0},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!gLarge.empty()) remove(gLarge.c_str());
    if (!gSmall.empty()) remove(gSmall.c_str());
    return 0;
}
