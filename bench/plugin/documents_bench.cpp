// The plug-in's documents against their references, in one run. Goals, as ratios of wall times:
// - the reload that a released document costs for each new page picture or play (PlugBeginFile
//   then PlugEndFile of the downloaded ScottJoplin_The_Entertainer.xml): at most 0.5 x MuseScore
//   3's load, layout and save of it (QT_QPA_PLATFORM=offscreen HOME=<empty folder> mscore3 -o
//   out.mscx), skipped with a message when mscore3 is missing (scripts/install-deps.sh --bench);
// - 1 MB streamed in 8 KB writes into the private cache: at most 1.5 x fwrite of the same blocks
//   into a file of the same folder.
// The plug-in runs in this process behind the test host; its title bar draws nothing yet.
#include "../ratio_reporter.h"
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "browser_host.h"
#include "plugin/cache_files.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/instance.h"

namespace {

const char kEntertainer[] = ORVA_SOURCE_TREE "/tests/data/corpus/musicxml/ScottJoplin_The_Entertainer.xml";
constexpr size_t kStreamBytes = 1 << 20, kBlockBytes = 8 << 10;

int gReloaded;        // the instance holding the Entertainer
int gStreamed;        // the instance the megabyte streams into
std::string gFolder;  // this run's temporary folder (TMPDIR)

bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_OursReload(benchmark::State &state) {
    PlugInInstance *instance = PlugInFromNPP(NpHostInstance(gReloaded));
    if (!instance || !instance->docInCache) return state.SkipWithError("the Entertainer did not download");
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        Boolean loaded = PlugBeginFile(instance);
        PlugEndFile(instance);
        state.SetIterationTime(Since(start));
        if (!loaded) return state.SkipWithError("the Entertainer did not load");
    }
}
BENCHMARK(BM_OursReload)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PeerMscx(benchmark::State &state) {
    if (!Run("command -v mscore3")) return state.SkipWithError("mscore3 is not installed (scripts/install-deps.sh --bench)");
    std::string home = gFolder + "/peer-home";
    std::string out = gFolder + "/peer.mscx";
    Run("mkdir -p '" + home + "'");
    std::string command = "QT_QPA_PLATFORM=offscreen HOME='" + home + "' mscore3 -o '" + out + "' '" + kEntertainer + "'";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = Run(command);
        state.SetIterationTime(Since(start));
        unlink(out.c_str());
        if (!ok) return state.SkipWithError(("failed: " + command).c_str());
    }
}
BENCHMARK(BM_PeerMscx)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// The browser's calls of one download, without the host's log: the stream ends as a user's
// break, so that its file goes at once and no load follows.
void BM_OursStream(benchmark::State &state) {
    const NPPluginFuncs &table = NpHostPluginTable();
    NPP npp = NpHostInstance(gStreamed);
    std::vector<char> block(kBlockBytes, 'x');
    for (auto _ : state) {
        NPStream stream = {nullptr, nullptr, "http://example.org/megabyte.oms", uint32_t(kStreamBytes), 0, nullptr, nullptr};
        uint16_t type = 0;
        char mime[] = "application/x-ondrak-music";
        table.newstream(npp, mime, &stream, 0, &type);
        for (size_t written = 0; written < kStreamBytes; written += kBlockBytes) {
            table.writeready(npp, &stream);
            table.write(npp, &stream, int32_t(written), int32_t(kBlockBytes), block.data());
        }
        table.destroystream(npp, &stream, NPRES_USER_BREAK);
    }
}
BENCHMARK(BM_OursStream)->Unit(benchmark::kMicrosecond);

void BM_Fwrite(benchmark::State &state) {
    std::string path = std::string(GetCheminCache()) + "fwrite-reference";
    std::vector<char> block(kBlockBytes, 'x');
    for (auto _ : state) {
        FILE *file = fopen(path.c_str(), "wb");
        for (size_t written = 0; written < kStreamBytes; written += kBlockBytes) fwrite(block.data(), 1, kBlockBytes, file);
        fclose(file);
        unlink(path.c_str());
    }
}
BENCHMARK(BM_Fwrite)->Unit(benchmark::kMicrosecond);

const std::vector<RatioGoal> kGoals = {
    {"reload of a released document / mscore3 -o .mscx", "BM_OursReload/manual_time", "BM_PeerMscx/iterations:3/manual_time", 0.5},
    {"1 MB streamed in 8 KB writes / fwrite", "BM_OursStream", "BM_Fwrite", 1.5},
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    char folder[] = "/tmp/documents-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    gFolder = folder;
    setenv("TMPDIR", folder, 1);  // the plug-in's cache folder lies in it
    NpHostOptions options;
    options.timers = true;
    NpHostStart(options);
    NpHostPlugin plugin = {NP_GetMIMEDescription, NP_GetValue, NP_Initialize, NP_Shutdown};
    if (NpHostInitialize(plugin) != NPERR_NO_ERROR) return 1;
    gReloaded = NpHostOpen({}, NpHostElement());
    NpHostStreamOptions stream;
    stream.url = "http://example.org/ScottJoplin_The_Entertainer.xml";
    if (!gReloaded || !NpHostStreamWith(gReloaded, kEntertainer, stream)) return 1;
    gStreamed = NpHostOpen({}, NpHostElement());
    if (!gStreamed) return 1;
    RatioReporter reporter(kGoals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    NpHostEnd();
    Run(std::string("rm -rf '") + folder + "'");
    return 0;
}
