// What the import benchmarks share: their start with the importers' messages silenced, the
// corpus files of the tests, and parsing a document into an element tree from memory the heap
// has handed back to the system.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>

#include "import/xml/xml_tree.h"
#include "platform/core/runtime.h"

// tests/data/corpus/musicxml/<name> of the source tree.
inline std::string BenchCorpusFile(const std::string &name) {
    std::string here = __FILE__;  // .../bench/import/import_bench.h
    const char *root = getenv("ORVA_SOURCE_DIR");
    return (root ? std::string(root) : here.substr(0, here.rfind("/bench/"))) + "/tests/data/corpus/musicxml/" + name;
}

// Each round starts from memory the heap has handed back to the system, as a document loaded in
// the browser does and as a peer program, a new process, does: otherwise a small document would
// run in memory left warm by the previous round and a large one would not, and the per-megabyte
// comparison would measure the heap's trimming rule instead of the work.
inline void BenchTrim(benchmark::State &state) {
    state.PauseTiming();
    malloc_trim(0);
    state.ResumeTiming();
}

// Parses the file into an element tree and disposes it, every round.
inline void BenchParse(benchmark::State &state, const std::string &path) {
    for (auto _ : state) {
        FILE *f = fopen(path.c_str(), "rb");
        XMLBrowser *tree = BrowseXMLFile(nullptr, f, nullptr, kTrue);
        if (tree == nullptr) state.SkipWithError("parse failed");
        XMLBrowserDispose(tree);
        if (f) fclose(f);
        BenchTrim(state);
    }
}

inline void BenchQuiet(const char *) {}
inline void BenchQuietWarning(SInt16) {}
const OrvaMessageHooks kBenchQuietMessages = {BenchQuiet, BenchQuiet, BenchQuietWarning, BenchQuiet};

// Reads the benchmark options and silences the runtime's messages (the importers' included).
inline void BenchStartImport(int *argc, char **argv) {
    benchmark::Initialize(argc, argv);
    OrvaSetMessageHooks(&kBenchQuietMessages);
}
