// Page layout against MuseScore 3 on the same notes: the "large" demo (5 staves, 120 measures),
// which omscore writes as MusicXML for the peer, until the MusicXML importer lays out the notes
// of CharlesGounod_Meditation.xml; then that score on both sides. Goals, as ratios of wall times in one run:
// - load, layout and every page to PNG at 300 dpi (omrender): at most 0.5 x mscore3 -r 300;
// - load and layout alone: at most 0.5 x mscore3's load, layout and save to .mscx;
// - one page at 96 dpi recorded as a picture and played into a port: at most 0.5 x mscore3's
//   cost of a page at 96 dpi (its -r 96 run less its .mscx run, over its pages);
// - every page printed to a PDF: at most mscore3 -o out.pdf.
// The peer runs as QT_QPA_PLATFORM=offscreen HOME=<empty folder> mscore3 -o OUT SCORE. Its
// benchmarks are skipped, with a message, when mscore3 is missing (scripts/install-deps.sh
// --bench installs it); the PDF ones also without a display.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <glob.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "../bench_support.h"
#include "engraving/engraver.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/text/utf_text.h"
#include "import/musicxml/musicxml_import.h"
#include "layout/drawing_kit.h"
#include "platform/core/memory.h"
#include "layout/layout_start.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/units.h"
#include "graphics/cairo/port_surfaces.h"
#include "score/engine_facade.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "tools/demo_scores/build_tree.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const char kDemo[] = "large";
const char kMeditation[] = ORVA_SOURCE_DIR "/tests/data/corpus/musicxml/CharlesGounod_Meditation.xml";

std::string Temp(const std::string &leaf) {
    const char *base = getenv("TMPDIR");
    return std::string(base && base[0] ? base : "/tmp") + "/layout-bench-" + std::to_string(getpid()) + "-" + leaf;
}

bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string Tool(const char *name) { return "'" + DossierArbreConstruction() + "/tools/" + name + "'"; }

// Whether the importer lays out the notes of the real score: then both sides engrave it.
bool Meditation() {
    static int known = -1;
    if (known < 0) {
        FILE *out = popen((Tool("omrender") + " --load '" + kMeditation + "' -o /dev/null 2>/dev/null").c_str(), "r");
        char line[256];
        int notes = 0;
        while (out && fgets(line, sizeof line, out))
            if (const char *at = strstr(line, "notes=")) notes = atoi(at + 6);
        if (out) pclose(out);
        known = notes > 0;
    }
    return known == 1;
}

// omrender's score argument.
std::string NotreSource() { return Meditation() ? std::string("--load '") + kMeditation + "'" : std::string("--demo ") + kDemo; }

// The score the peer engraves: the real one, or the demo written once as MusicXML.
const std::string &Partition() {
    static std::string path;
    if (path.empty()) {
        path = Temp(std::string(kDemo) + ".musicxml");
        if (Meditation()) path = kMeditation;
        else if (!Run(Tool("omscore") + " --demo " + kDemo + " --musicxml '" + path + "'")) path = "-";
    }
    return path;
}

// The score in process, as omrender loads it.
DocumentRecord *Charge() {
    if (!Meditation()) return CreeDemoScore(kDemo);
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    const ScoreFormatOps *row = RechercheFormatPartition(kMeditation);
    if (!document) return nullptr;
    FixeMiseEnPageStandardDocument(document);
    if (!row || !row->load(document, kMeditation, -1)) LibereDemoScore(&document);
    return document;
}

const char *PairManquant() {
    static std::string why;
    if (!Run("command -v mscore3")) why = "mscore3 is not installed (scripts/install-deps.sh --bench)";
    else if (Partition() == "-") why = "omscore --musicxml failed";
    return why.empty() ? nullptr : why.c_str();
}

std::string Pair(const std::string &output, const std::string &options = "") {
    static std::string home;
    if (home.empty()) {
        char folder[] = "/tmp/layout-bench-home-XXXXXX";
        home = mkdtemp(folder) ? folder : "/tmp";
    }
    return "QT_QPA_PLATFORM=offscreen HOME='" + home + "' mscore3 " + options + " -o '" + output + "' '" + Partition() + "'";
}

double Chrono(const std::string &command, bool *ok) {
    auto start = std::chrono::steady_clock::now();
    *ok = Run(command);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Commande(benchmark::State &state, const std::string &command, const std::string &cleanup) {
    for (auto _ : state) {
        bool ok = false;
        state.SetIterationTime(Chrono(command, &ok));
        Run(cleanup);
        if (!ok) return state.SkipWithError(("failed: " + command).c_str());
    }
}

bool Affichage() { return getenv("DISPLAY") && getenv("DISPLAY")[0]; }

// ---- Load, layout and every page to PNG at 300 dpi -----------------------------------------------

void BM_OursPagesPng300(benchmark::State &state) {
    std::string out = Temp("ours-%d.png");
    Commande(state, Tool("omrender") + " " + NotreSource() + " --all-pages --dpi 300 -o '" + out + "'",
             "rm -f '" + Temp("ours-") + "'*.png");
}

void BM_PeerPagesPng300(benchmark::State &state) {
    if (const char *why = PairManquant()) return state.SkipWithError(why);
    Commande(state, Pair(Temp("peer.png"), "-r 300"), "rm -f '" + Temp("peer") + "'*.png");
}

// ---- Load and layout alone ----------------------------------------------------------------------

void BM_OursLayout(benchmark::State &state) {
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        DocumentRecord *document = Charge();
        SInt16 pages = document ? CombienDePages(document->score) : 0;
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        LibereDemoScore(&document);
        if (pages < 1) return state.SkipWithError("layout failed");
    }
}

void BM_PeerMscx(benchmark::State &state) {
    if (const char *why = PairManquant()) return state.SkipWithError(why);
    Commande(state, Pair(Temp("peer.mscx")), "rm -f '" + Temp("peer.mscx") + "'");
}

// ---- One page at 96 dpi, recorded and played ---------------------------------------------------

void BM_OursPage96(benchmark::State &state) {
    DocumentRecord *document = Charge();
    if (!document) return state.SkipWithError("no demo");
    SetDpiDest(96);
    CombienDePages(document->score);
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    GrafPort port;
    BenchOpenPort(&port, SInt16(width), SInt16(height));
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        GrafPtr saved = SetPortTemporaire();
        PicHandle picture = CreePicturePage(document, std::min<SInt16>(2, GetNbPagesDocument(document)));
        SetPort(saved);
        Rect frame = {0, 0, SInt16(height), SInt16(width)};
        DrawUTFPicture(picture, &frame);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (picture) KillPicture(picture);
    }
    ClosePort(&port);
    LibereDemoScore(&document);
}

// The peer's cost of one page: its run at 96 dpi less its run to .mscx, over the pages it made.
void BM_PeerPage96(benchmark::State &state) {
    if (const char *why = PairManquant()) return state.SkipWithError(why);
    std::string prefix = Temp("peer96");
    for (auto _ : state) {
        bool ok = false, saved = false;
        double png = Chrono(Pair(prefix + ".png", "-r 96"), &ok);
        double mscx = Chrono(Pair(prefix + ".mscx"), &saved);
        // Its pages are numbered with as many digits as the last one needs: "-1", "-01" ...
        glob_t found;
        int pages = glob((prefix + "-*.png").c_str(), 0, nullptr, &found) == 0 ? int(found.gl_pathc) : 0;
        globfree(&found);
        Run("rm -f '" + prefix + "'*");
        if (!ok || !saved || pages < 1) return state.SkipWithError("mscore3 failed");
        state.SetIterationTime(std::max(1e-6, (png - mscx) / pages));
    }
}

// ---- Every page printed to a PDF ----------------------------------------------------------------

void BM_OursPdf(benchmark::State &state) {
    if (!Affichage()) return state.SkipWithError("printing needs a display (xvfb-run)");
    Commande(state, Tool("omrender") + " " + NotreSource() + " --pdf '" + Temp("ours.pdf") + "'",
             "rm -f '" + Temp("ours.pdf") + "'");
}

void BM_PeerPdf(benchmark::State &state) {
    if (const char *why = PairManquant()) return state.SkipWithError(why);
    Commande(state, Pair(Temp("peer.pdf")), "rm -f '" + Temp("peer.pdf") + "'");
}

}  // namespace

BENCHMARK(BM_OursPagesPng300)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPagesPng300)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursLayout)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerMscx)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursPage96)->UseManualTime()->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPage96)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursPdf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeerPdf)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    FixePrefStd();
    InitGravure();
    std::string font = DossierArbreConstruction() + "/fonts/Quorella.ttf";
    if (!SystemDependantInstalleFonteLocale(font.c_str(), true) || !InitLentara())
        fprintf(stderr, "layout_bench: the music font %s is not installed\n", font.c_str());
    InitMiseEnPage();
    EnregistreFormatsStockage();
    XMLEnregistreFormats();
    BenchRun({{"pages to PNG at 300 dpi / mscore3", "BM_OursPagesPng300/iterations:3/manual_time",
               "BM_PeerPagesPng300/iterations:3/manual_time", 0.5},
              {"layout / mscore3 to .mscx", "BM_OursLayout/iterations:10/manual_time", "BM_PeerMscx/iterations:3/manual_time",
               0.5},
              {"a page at 96 dpi / mscore3's page", "BM_OursPage96/iterations:10/manual_time",
               "BM_PeerPage96/iterations:3/manual_time", 0.5},
              {"PDF of every page / mscore3", "BM_OursPdf/iterations:3/manual_time", "BM_PeerPdf/iterations:3/manual_time",
               1.0}});
    if (Partition() != "-" && !Meditation()) std::remove(Partition().c_str());
    FinMiseEnPage();
    FinGravure();
    return 0;
}
