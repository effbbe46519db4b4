// The MusicXML load against its own parts in the same run: the whole load with the passes so
// far against the parse alone, and the compressed forms against their plain documents.
#include "../ratio_reporter.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <string>
#include <unistd.h>

#include "import/musicxml/musicxml_import.h"
#include "import/xml/xml_reports.h"
#include "import/xml/xml_tree.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "score/preferences.h"
#include "score/score_formats.h"

namespace {

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8";

std::string CorpusFile(const std::string &name) {
    std::string here = __FILE__;  // .../bench/import/musicxml_bench.cpp
    const char *root = getenv("ORVA_SOURCE_DIR");
    return (root ? std::string(root) : here.substr(0, here.rfind("/bench/"))) + "/tests/data/corpus/musicxml/" + name;
}

// Each round starts from memory handed back to the system, as xml_bench does, so that both
// sides of a ratio pay the same for fresh pages.
void Trim(benchmark::State &state) {
    state.PauseTiming();
    malloc_trim(0);
    state.ResumeTiming();
}

void Browse(benchmark::State &state, const std::string &path) {
    for (auto _ : state) {
        FILE *f = fopen(path.c_str(), "rb");
        XMLBrowser *tree = BrowseXMLFile(nullptr, f, nullptr, kTrue);
        if (!tree) state.SkipWithError("parse failed");
        XMLBrowserDispose(tree);
        fclose(f);
        Trim(state);
    }
}

// A fresh document loaded through the row of the file's extension, then freed.
void Load(benchmark::State &state, const std::string &path) {
    const ScoreFormatOps *row = RechercheFormatPartition(path.c_str());
    for (auto _ : state) {
        DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        if (!row || !row->load(document, path.c_str(), -1)) state.SkipWithError("load failed");
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
        Trim(state);
    }
}

// The Schumann score's member, extracted once into a plain file.
std::string gMember;

const std::string &Member() {
    if (!gMember.empty()) return gMember;
    Handle h = UnzipFile(CorpusFile(std::string(kSchumann) + ".mxl").c_str(), (std::string(kSchumann) + ".xml").c_str());
    gMember = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/musicxml_bench_" + std::to_string(getpid()) + ".xml";
    FILE *f = fopen(gMember.c_str(), "wb");
    if (!h || !f || fwrite(*h, 1, GetHandleSize(h), f) != GetHandleSize(h)) abort();
    fclose(f);
    DisposeZipHandle(h);
    return gMember;
}

void BM_BrowseGounod(benchmark::State &s) { Browse(s, CorpusFile("CharlesGounod_Meditation.xml")); }
void BM_LoadGounod(benchmark::State &s) { Load(s, CorpusFile("CharlesGounod_Meditation.xml")); }
void BM_LoadLyricsXml(benchmark::State &s) { Load(s, CorpusFile("61b-MultipleLyrics.xml")); }
void BM_LoadLyricsXmz(benchmark::State &s) { Load(s, CorpusFile("61b-MultipleLyrics.xmz")); }
void BM_LoadSchumannXml(benchmark::State &s) { Load(s, Member()); }
void BM_LoadSchumannMxl(benchmark::State &s) { Load(s, CorpusFile(std::string(kSchumann) + ".mxl")); }

BENCHMARK(BM_BrowseGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLyricsXml)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadLyricsXmz)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSchumannXml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSchumannMxl)->Unit(benchmark::kMillisecond);

void Quiet(const char *) {}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    XMLReportHooks hooks = {Quiet, Quiet};
    XMLSetReportHooks(&hooks);
    FixePrefStd();
    XMLEnregistreFormats();
    RatioReporter reporter({
        {"ChargeMusiqueXML / BrowseXMLFile, Gounod", "BM_LoadGounod", "BM_BrowseGounod", 1.3},
        {".xmz / .xml, 61b-MultipleLyrics", "BM_LoadLyricsXmz", "BM_LoadLyricsXml", 1.1},
        {".mxl / its member, Schumann", "BM_LoadSchumannMxl", "BM_LoadSchumannXml", 1.1},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!gMember.empty()) remove(gMember.c_str());
    return 0;
}
