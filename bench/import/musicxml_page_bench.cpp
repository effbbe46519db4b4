// A MusicXML file to its first page against MuseScore 3 on the same one-page files (the
// Schumann .mxl, 61a-Lyrics.xml): import, layout and the first page drawn at 300 dpi into an
// offscreen port and written as a PNG (scoredump --layout --page 1 --png) at most 0.5 x
// MuseScore's load, layout and page at 300 dpi (mscore3 -r 300 -o out.png). Both sides run as
// programs spawned by the benchmark, timed by the wall clock; the peer as
// QT_QPA_PLATFORM=offscreen HOME=<empty folder> mscore3, skipped with a message when it is
// missing (scripts/install-deps.sh --bench installs it).
#include "../ratio_reporter.h"
#include "import_bench.h"
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "tools/demo_scores/build_tree.h"

namespace {

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
const char kLyrics[] = "61a-Lyrics.xml";

std::string Temp(const std::string &leaf) {
    const char *base = getenv("TMPDIR");
    return std::string(base && base[0] ? base : "/tmp") + "/musicxml-page-bench-" + std::to_string(getpid()) + "-" + leaf;
}

bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

const char *PeerMissing() {
    static int missing = -1;
    if (missing < 0) missing = !Run("command -v mscore3");
    return missing ? "mscore3 is not installed (scripts/install-deps.sh --bench)" : nullptr;
}

std::string Peer(const std::string &score, const std::string &output) {
    static std::string home;
    if (home.empty()) {
        char folder[] = "/tmp/musicxml-page-bench-home-XXXXXX";
        home = mkdtemp(folder) ? folder : "/tmp";
    }
    return "QT_QPA_PLATFORM=offscreen HOME='" + home + "' mscore3 -r 300 -o '" + output + "' '" + score + "'";
}

void Command(benchmark::State &state, const std::string &command, const std::string &cleanup) {
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = Run(command);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        Run(cleanup);
        if (!ok) return state.SkipWithError(("failed: " + command).c_str());
    }
}

void Ours(benchmark::State &state, const char *file) {
    std::string out = Temp("ours.png");
    Command(state, "'" + DossierArbreConstruction() + "/tools/scoredump' '" + BenchCorpusFile(file) +
                       "' --layout --page 1 --png '" + out + "'",
            "rm -f '" + out + "'");
}

void Theirs(benchmark::State &state, const char *file) {
    if (const char *why = PeerMissing()) return state.SkipWithError(why);
    Command(state, Peer(BenchCorpusFile(file), Temp("peer.png")), "rm -f '" + Temp("peer") + "'*.png");
}

void BM_OursSchumann(benchmark::State &s) { Ours(s, kSchumann); }
void BM_PeerSchumann(benchmark::State &s) { Theirs(s, kSchumann); }
void BM_OursLyrics(benchmark::State &s) { Ours(s, kLyrics); }
void BM_PeerLyrics(benchmark::State &s) { Theirs(s, kLyrics); }

BENCHMARK(BM_OursSchumann)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PeerSchumann)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OursLyrics)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_PeerLyrics)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char **argv) {
    BenchStartImport(&argc, argv);
    RatioReporter reporter({
        {"first page at 300 dpi / mscore3 -r 300, Schumann", "BM_OursSchumann/iterations:5/manual_time",
         "BM_PeerSchumann/iterations:5/manual_time", 0.5},
        {"first page at 300 dpi / mscore3 -r 300, 61a-Lyrics", "BM_OursLyrics/iterations:5/manual_time",
         "BM_PeerLyrics/iterations:5/manual_time", 0.5},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
