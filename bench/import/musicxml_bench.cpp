// The MusicXML load against its own parts in the same run: the whole load (staves, measures,
// notes and what hangs on them) against the parse alone, and the compressed forms against
// their plain documents.
#include "../ratio_reporter.h"
#include "import_bench.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "import/musicxml/musicxml_import.h"
#include "import/xml/zip_members.h"
#include "platform/core/memory.h"
#include "score/preferences.h"
#include "score/score_formats.h"

namespace {

const char kSchumann[] = "Schumann_The_Wild_Horseman_Op._68_No._8";

// A fresh document loaded through the row of the file's extension, then freed.
void Load(benchmark::State &state, const std::string &path) {
    const ScoreFormatOps *row = RechercheFormatPartition(path.c_str());
    for (auto _ : state) {
        DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        if (!row || !row->load(document, path.c_str(), -1)) state.SkipWithError("load failed");
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
        BenchTrim(state);
    }
}

// The Schumann score's member, extracted once into a plain file.
std::string gMember;

const std::string &Member() {
    if (!gMember.empty()) return gMember;
    Handle h = UnzipFile(BenchCorpusFile(std::string(kSchumann) + ".mxl").c_str(), (std::string(kSchumann) + ".xml").c_str());
    gMember = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") + "/musicxml_bench_" + std::to_string(getpid()) + ".xml";
    FILE *f = fopen(gMember.c_str(), "wb");
    if (!h || !f || fwrite(*h, 1, GetHandleSize(h), f) != GetHandleSize(h)) abort();
    fclose(f);
    DisposeZipHandle(h);
    return gMember;
}

void BM_BrowseGounod(benchmark::State &s) { BenchParse(s, BenchCorpusFile("CharlesGounod_Meditation.xml")); }
void BM_LoadGounod(benchmark::State &s) { Load(s, BenchCorpusFile("CharlesGounod_Meditation.xml")); }
void BM_BrowseEntertainer(benchmark::State &s) { BenchParse(s, BenchCorpusFile("ScottJoplin_The_Entertainer.xml")); }
void BM_LoadEntertainer(benchmark::State &s) { Load(s, BenchCorpusFile("ScottJoplin_The_Entertainer.xml")); }
void BM_LoadLyricsXml(benchmark::State &s) { Load(s, BenchCorpusFile("61b-MultipleLyrics.xml")); }
void BM_LoadLyricsXmz(benchmark::State &s) { Load(s, BenchCorpusFile("61b-MultipleLyrics.xmz")); }
void BM_LoadSchumannXml(benchmark::State &s) { Load(s, Member()); }
void BM_LoadSchumannMxl(benchmark::State &s) { Load(s, BenchCorpusFile(std::string(kSchumann) + ".mxl")); }

BENCHMARK(BM_BrowseGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadGounod)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BrowseEntertainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadEntertainer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLyricsXml)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadLyricsXmz)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadSchumannXml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSchumannMxl)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    BenchStartImport(&argc, argv);
    FixePrefStd();
    XMLEnregistreFormats();
    RatioReporter reporter({
        {"ChargeMusiqueXML / BrowseXMLFile, Gounod", "BM_LoadGounod", "BM_BrowseGounod", 4},
        {"ChargeMusiqueXML / BrowseXMLFile, Entertainer", "BM_LoadEntertainer", "BM_BrowseEntertainer", 4},
        {".xmz / .xml, 61b-MultipleLyrics", "BM_LoadLyricsXmz", "BM_LoadLyricsXml", 1.1},
        {".mxl / its member, Schumann", "BM_LoadSchumannMxl", "BM_LoadSchumannXml", 1.1},
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (!gMember.empty()) remove(gMember.c_str());
    return 0;
}
