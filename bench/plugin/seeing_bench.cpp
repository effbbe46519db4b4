// The player's display against MuseScore 3 and against the QuickDraw calls it is built on. Goals,
// as ratios of wall times in one run:
// - first page shown: Schumann_The_Wild_Horseman_Op._68_No._8.mxl from its file to the pixels of
//   an 800 x 600 instance (load, layout, page 1 recorded, played supersampled twice, the title
//   and bars drawn): at most 0.5 x mscore3 -r 96 -o out.png on the same file;
// - page turn of ScottJoplin_The_Entertainer.xml (page 2 recorded and played, the document
//   loaded): at most 0.25 x that file's first page shown; a redraw with the pictures held: at
//   most 0.5 x the page turn;
// - PlugFillRectShadow of 1024 x 22: at most 8 x PaintRect of it; PlugDrawSoftShadow of a
//   300 x 200 mask: at most 6 x the CopyDeepMask it ends with.
// The peer runs as QT_QPA_PLATFORM=offscreen HOME=<empty folder> mscore3; its benchmark is
// skipped, with a message, when mscore3 is missing (scripts/install-deps.sh --bench installs it).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "../bench_support.h"
#include "engraving/engraver.h"
#include "engraving/music_font.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/quickdraw/window_record.h"
#include "graphics/text/font_table.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/layout_start.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "plugin/instance.h"
#include "plugin/interface/areas.h"
#include "plugin/interface/drawing.h"
#include "plugin/interface/shading.h"
#include "plugin/startup.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "staffobjects/staff_objects.h"
#include "tools/demo_scores/build_tree.h"

namespace {

const std::string kCorpus = std::string(ORVA_SOURCE_DIR) + "/tests/data/corpus/musicxml/";
const std::string kSchumann = kCorpus + "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
const std::string kJoplin = kCorpus + "ScottJoplin_The_Entertainer.xml";
const SInt16 kWidth = 800, kHeight = 600;

// An instance of 800 x 600 with a window and port of its own, as the browser gives them.
struct BenchInstance {
    PlugInInstance record;
    WindowRecord window;
    PlugInWindowLink link;
    PlugInWindow described;
    BenchInstance() : record() {
        std::memset(&window, 0, sizeof window);
        GrafPtr saved;
        GetPort(&saved);
        BenchOpenPort(&window.port, kWidth, kHeight);
        SetPort(saved);
        link = PlugInWindowLink{&window, nullptr, nullptr, nullptr};
        described = PlugInWindow{&link, 0, 0, kWidth, kHeight, {-32000, -32000, 32000, 32000}};
        PlugInDefaultInstance(&record, nullptr);
        record.window = &described;
        PlugInCalculeAireAffichables(&record, kWidth, kHeight);
        record.keepLoaded = record.docInCache = 1;
    }
    ~BenchInstance() {
        Release();
        ClosePort(&window.port);
    }
    // The score from its file, laid out, held by the instance.
    bool Load(const std::string &path) {
        Release();
        const ScoreFormatOps *row = RechercheFormatPartition(path.c_str());
        DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        if (!document) return false;
        FixeMiseEnPageStandardDocument(document);
        record.document = document;
        if (!row || !row->load(document, path.c_str(), -1) || !IsPartitionValide(document->score)) return false;
        InitPortees(document->score);
        FixeMiseEnPageNonCalculee(document);
        record.pageCount = CombienDePages(document->score);
        record.documentReady = 1;
        std::snprintf(record.docTitle, sizeof record.docTitle, "%s", "score");
        return record.pageCount > 0;
    }
    void Release() {
        PlugInDeletePicture(&record);
        if (record.document) {
            VideDocument(record.document);
            DisposPtr(reinterpret_cast<Ptr>(record.document));
        }
        record.document = nullptr;
        record.documentReady = 0;
    }
};

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Load, layout and page 1 drawn, from the file.
void PremierePage(benchmark::State &state, const std::string &path) {
    BenchInstance instance;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = instance.Load(path);
        instance.record.currentPage = 1;
        PlugInRedrawInstance(&instance.record);
        state.SetIterationTime(Since(start));
        if (!ok || !instance.record.pictOdd) return state.SkipWithError(("cannot show " + path).c_str());
        instance.Release();
    }
}

void BM_OursFirstPage(benchmark::State &state) { PremierePage(state, kSchumann); }
void BM_JoplinFirstPage(benchmark::State &state) { PremierePage(state, kJoplin); }

bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_PeerFirstPage(benchmark::State &state) {
    if (!Run("command -v mscore3")) return state.SkipWithError("mscore3 is not installed (scripts/install-deps.sh --bench)");
    char home[] = "/tmp/seeing-bench-home-XXXXXX";
    if (!mkdtemp(home)) return state.SkipWithError("no private home");
    std::string out = std::string(home) + "/out.png";
    std::string command = "QT_QPA_PLATFORM=offscreen HOME='" + std::string(home) + "' mscore3 -r 96 -o '" + out + "' '" +
                          kSchumann + "'";
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        bool ok = Run(command);
        state.SetIterationTime(Since(start));
        if (!ok) return state.SkipWithError(("failed: " + command).c_str());
    }
    Run("rm -rf '" + std::string(home) + "'");
}

// Page 2 recorded and played, the document loaded, as a page turn draws it: the display area
// drawn again; then the redraw with both pictures held.
void BM_PageTurn(benchmark::State &state) {
    BenchInstance instance;
    if (!instance.Load(kJoplin) || instance.record.pageCount < 2) return state.SkipWithError("no second page");
    for (auto _ : state) {
        instance.record.currentPage = 1;
        PlugInRedrawInstance(&instance.record);
        auto start = std::chrono::steady_clock::now();
        instance.record.currentPage = 2;
        RedrawDocumentInstance(&instance.record);
        state.SetIterationTime(Since(start));
    }
}

void BM_RedrawHeld(benchmark::State &state) {
    BenchInstance instance;
    if (!instance.Load(kJoplin)) return state.SkipWithError("cannot load");
    PlugInRedrawInstance(&instance.record);
    for (auto _ : state) PlugInRedrawInstance(&instance.record);
}

// ---- Shaded fills and soft shadows --------------------------------------------------------------

const Rect kBar = {0, 0, 22, 1024};
const RGBColor kGrey = {0xE000, 0xE000, 0xE000};

void BM_FillRectShadow(benchmark::State &state) {
    GrafPort port;
    BenchOpenPort(&port, 1024, 22);
    for (auto _ : state) PlugFillRectShadow(&kBar, &kGrey);
    ClosePort(&port);
}

void BM_PaintRect(benchmark::State &state) {
    GrafPort port;
    BenchOpenPort(&port, 1024, 22);
    RGBForeColor(&kGrey);
    for (auto _ : state) PaintRect(&kBar);
    ClosePort(&port);
}

const SInt32 kMaskWidth = 300, kMaskHeight = 200;

// A mask of a rectangle with the shadow's margin round it.
void MakeMask(UInt8 *mask) {
    for (SInt32 y = 0; y < kMaskHeight; y++)
        for (SInt32 x = 0; x < kMaskWidth; x++)
            mask[y * kMaskWidth + x] = x >= 4 && x < kMaskWidth - 4 && y >= 4 && y < kMaskHeight - 4 ? 0 : 255;
}

void BM_SoftShadow(benchmark::State &state) {
    GrafPort port;
    BenchOpenPort(&port, kMaskWidth, kMaskHeight);
    static UInt8 mask[kMaskWidth * kMaskHeight];
    for (auto _ : state) {
        MakeMask(mask);
        PlugDrawSoftShadow(mask, kMaskWidth, kMaskHeight, 0, 0, 50, 60);
    }
    ClosePort(&port);
}

// The transfer PlugDrawSoftShadow ends with: black through the blurred mask, as grey.
void BM_CopyDeepMask(benchmark::State &state) {
    GrafPort port;
    BenchOpenPort(&port, kMaskWidth, kMaskHeight);
    static UInt8 mask[kMaskWidth * kMaskHeight];
    MakeMask(mask);
    PlugBlurShadowMask(mask, kMaskWidth, kMaskHeight, 50, 60);
    GrafPtr grey = OrvaCreatePortOffscreen(kMaskWidth, kMaskHeight, 24);
    GrafPtr black = OrvaCreatePortOffscreen(kMaskWidth, kMaskHeight, 24);
    SInt32 rowBytes = 0;
    UInt8 *levels = reinterpret_cast<UInt8 *>(OrvaGetInfoOffscreen(grey, nullptr, &rowBytes, nullptr));
    for (SInt32 y = 0; levels && y < kMaskHeight; y++)
        for (SInt32 x = 0; x < kMaskWidth; x++) std::memset(levels + y * rowBytes + 4 * x, mask[y * kMaskWidth + x], 3);
    Rect r = {0, 0, kMaskHeight, kMaskWidth};
    for (auto _ : state)
        CopyDeepMask(&black->portBits, &grey->portBits, &port.portBits, &r, &r, &r, srcCopy, nullptr);
    OrvaClosePortOffscreen(grey);
    OrvaClosePortOffscreen(black);
    ClosePort(&port);
}

}  // namespace

BENCHMARK(BM_OursFirstPage)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerFirstPage)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JoplinFirstPage)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageTurn)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RedrawHeld)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillRectShadow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintRect)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SoftShadow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CopyDeepMask)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    OrvaSetCopybitAntialias(1, 1);
    FixePrefStd();
    InitGravure();
    InitObjetsPortee();
    std::string font = DossierArbreConstruction() + "/fonts/Quorella.ttf";
    if (!SystemDependantInstalleFonteLocale(font.c_str(), true) || !InitLentara())
        fprintf(stderr, "seeing_bench: the music font %s is not installed\n", font.c_str());
    InitMiseEnPage();
    SetDpiDest(72);  // the plug-in's output resolution once a score is loaded
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    resFilePlugIn = OpenResFile((DossierArbreConstruction() + "/resources/Ondrak Music Plugin.rsr").c_str());
    BenchRun({{"first page shown / mscore3 -r 96", "BM_OursFirstPage/iterations:5/manual_time",
               "BM_PeerFirstPage/iterations:3/manual_time", 0.5},
              {"page turn / first page shown", "BM_PageTurn/iterations:5/manual_time",
               "BM_JoplinFirstPage/iterations:5/manual_time", 0.25},
              {"redraw, pictures held / page turn", "BM_RedrawHeld", "BM_PageTurn/iterations:5/manual_time", 0.5},
              {"PlugFillRectShadow / PaintRect", "BM_FillRectShadow", "BM_PaintRect", 8.0},
              {"PlugDrawSoftShadow / CopyDeepMask", "BM_SoftShadow", "BM_CopyDeepMask", 6.0}});
    FinMiseEnPage();
    FinObjetsPortee();
    FinGravure();
    return 0;
}
