// wavnotes listening to a four-minute render (the "ensemble" demo played by omplay on the
// "OMS Basic" bank) against sox reading the same file for its statistics: goal, at most three
// times sox's wall time. Skipped without sox or without the tools of this build tree.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "../ratio_reporter.h"
#include "tools/demo_scores/build_tree.h"

namespace {

std::string Temp(const char *leaf) {
    const char *base = getenv("TMPDIR");
    return std::string(base && base[0] ? base : "/tmp") + "/wavnotes-bench-" + std::to_string(getpid()) + "-" + leaf;
}

// Runs a shell command, its output discarded; false when it fails.
bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Tool(const char *name) { return "'" + DossierArbreConstruction() + "/tools/" + name + "'"; }

// The render, made once for both benchmarks; "" when it cannot be made.
const std::string &Render() {
    static std::string wav;
    static bool tried = false;
    if (!tried) {
        tried = true;
        std::string path = Temp("ensemble.wav");
        if (Run(Tool("omplay") + " --demo ensemble --bank 'OMS Basic' --wav '" + path + "'")) wav = path;
    }
    return wav;
}

void Timed(benchmark::State &state, const std::string &command) {
    if (Render().empty()) return state.SkipWithError("omplay could not render the ensemble demo");
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!Run(command)) return state.SkipWithError(("failed: " + command).c_str());
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_WavnotesFourMinutes(benchmark::State &state) { Timed(state, Tool("wavnotes") + " '" + Render() + "'"); }

void BM_SoxStatFourMinutes(benchmark::State &state) {
    if (!Run("command -v sox")) return state.SkipWithError("sox is not installed");
    Timed(state, "sox '" + Render() + "' -n stat");
}

}  // namespace

BENCHMARK(BM_WavnotesFourMinutes)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SoxStatFourMinutes)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"wavnotes / sox stat, four minutes", "BM_WavnotesFourMinutes/iterations:5/manual_time",
                             "BM_SoxStatFourMinutes/iterations:5/manual_time", 3.0}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!Render().empty()) remove(Render().c_str());
    return 0;
}
