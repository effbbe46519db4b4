// Engraving one system of four staves and eight measures of the "large" demo (heads, beams,
// chords, accidentals, slurs, dynamics) into a 2000 x 600 image port. Goals (same-run ratios):
// engraving it at most 1.5x playing the picture recorded of it into the same port; engraving it
// into an open picture at most 1.2x engraving it straight into the port.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../bench_support.h"
#include "engraving/engraver.h"
#include "tools/demo_scores/strip_geometry.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_table.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "engraving/music_font.h"
#include "score/preferences.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const SInt16 kLargeur = 2000, kHauteur = 600;
const SInt16 kPortees = 4;
const SInt32 kMesures = 8;
const float kEspace = 12, kEcartPortees = 11;

// The system as page layout would give it: the staves' geometry over measures 8..15.
struct SystemRecord {
    DocumentRecord *document = nullptr;
    std::vector<float> measureX, notesX;
    GrafPort port;
};
SystemRecord gSystem;

void Engrave() {
    ScoreHandle score = gSystem.document->score;
    for (SInt16 s = 0; s < kPortees; s++) {
        GeometrieSegment g = {kMesures, kMesures, gSystem.measureX.data(), gSystem.notesX.data(), nullptr, nullptr, 20,
                              60 + s * kEcartPortees * kEspace, kEspace, 1.2f,
                              UInt8(kSegmentDebutSysteme | (s == 0 ? kSegmentMarquesSysteme : 0))};
        TracePorteeSegment(GetPortee(score, s), &g);
    }
}

void Clear() { OrvaFillSurfaceRect(&gSystem.port, 0, 0, kLargeur - 1, kHauteur - 1, 0xFFFFFF); }

void BM_EngraveSystem(benchmark::State &state) {
    for (auto _ : state) {
        Clear();
        Engrave();
    }
}
BENCHMARK(BM_EngraveSystem)->Unit(benchmark::kMillisecond);

void BM_PlaySystemPicture(benchmark::State &state) {
    Rect frame = {0, 0, kHauteur, kLargeur};
    PicHandle picture = OpenPicture(&frame);
    Engrave();
    ClosePicture();
    for (auto _ : state) {
        Clear();
        DrawUTFPicture(picture, &frame);
    }
    KillPicture(picture);
}
BENCHMARK(BM_PlaySystemPicture)->Unit(benchmark::kMillisecond);

void BM_EngraveSystemIntoPicture(benchmark::State &state) {
    Rect frame = {0, 0, kHauteur, kLargeur};
    for (auto _ : state) {
        Clear();
        PicHandle picture = OpenPicture(&frame);
        Engrave();
        ClosePicture();
        KillPicture(picture);
    }
}
BENCHMARK(BM_EngraveSystemIntoPicture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    FixePrefStd();
    if (!SystemDependantInstalleFonteLocale(BenchPoliceMusique().c_str(), true) || !InitLentara()) {
        fprintf(stderr, "engraving_bench: the music font is missing (%s)\n", BenchPoliceMusique().c_str());
        return 1;
    }
    InitGravure();
    gSystem.document = CreeDemoScore("large");
    if (!gSystem.document) return 1;
    gSystem.measureX.resize(kMesures + 1);
    gSystem.notesX.resize(kMesures);
    if (CalculeGeometrieBande(gSystem.document->score, kMesures, kMesures, 20, kEspace, 5 * kEspace, kTrue,
                              gSystem.measureX.data(), gSystem.notesX.data()) != noErr)
        return 1;
    BenchOpenPort(&gSystem.port, kLargeur, kHauteur);
    ForeColor(33);
    BenchRun({{"engrave / play its picture", "BM_EngraveSystem", "BM_PlaySystemPicture", 1.5},
              {"engrave into a picture / engrave", "BM_EngraveSystemIntoPicture", "BM_EngraveSystem", 1.2}});
    ClosePort(&gSystem.port);
    LibereDemoScore(&gSystem.document);
    FinGravure();
    return 0;
}
