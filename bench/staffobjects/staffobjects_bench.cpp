// Staff objects. Goals (same-run ratios):
// - the karaoke text of a 4-verse, 200-measure staff played with repeats (400 played measures)
//   at most 3x joining the same cells' plain text into one buffer;
// - the syllable sung at 100,000 positions at most 1.5x std::upper_bound over the same start times;
// - engraving a system of one staff with 4 verses and chord symbols at most 1.3x engraving it
//   without them plus DrawText of the same syllables and symbols at the same places.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "../bench_support.h"
#include "engraving/engraver.h"
#include "tools/demo_scores/strip_geometry.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "score/engine_facade.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/karaoke_text.h"
#include "staffobjects/staff_objects.h"
#include "staffobjects/staff_objects_draw.h"

namespace {

const SInt32 kMesures = 200, kCouplets = 4, kPositions = 100000;
const SInt16 kLargeur = 1600, kHauteur = 400;
const SInt32 kMesuresSysteme = 8;
const float kEspace = 12;
const char *const kMots[] = {"sing", "a-long", "the", "riv-er", "light", "and", "mor-ning", "song"};

// A staff of quarters, four verses of four syllables a measure, played |: 1 2 :| |: 3 4 :| ...
struct KaraokeScore {
    DocumentRecord *document = nullptr;
    StaffHandle staff = nullptr;
    Handle syllables = nullptr;
    std::vector<SInt32> starts;
    GrafPort port;
    std::vector<float> measureX, notesX;
    // Syllables and symbols as TraceObjetsPortee places them, for the text-only reference.
    struct Placed {
        std::string text;
        SInt16 x, y, size, font;
    };
    std::vector<Placed> texts;
};
KaraokeScore gScore;

OSErr Construit() {
    gScore.document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    ScoreHandle score = CreePartitionVide(gScore.document);
    gScore.staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
    if (!gScore.staff) return memFullErr;
    for (SInt32 i = 0; i < kMesures * 4; i++) {
        NoteRecord note;
        RazNote(&note, SInt16(60 + (i * 5) % 12), kTempsNoire);
        if (InsereNote(gScore.staff, &note, i * kTempsNoire, 0, 1) < 0) return memFullErr;
    }
    std::vector<UInt16> order;
    for (SInt32 m = 0; m < kMesures; m += 2)
        for (int pass = 0; pass < 2; pass++) order.insert(order.end(), {UInt16(m), UInt16(m + 1)});
    Handle table = NewHandle(UInt32(order.size() * sizeof(UInt16)));
    std::memcpy(*table, order.data(), order.size() * sizeof(UInt16));
    FixeTabMesuresJouees(score, table);
    DisposHandle(table);
    (*score)->customPlay = 1;
    for (SInt32 m = 0; m < kMesures; m++)
        for (SInt16 v = 0; v < kCouplets; v++) {
            std::string cell;
            for (int k = 0; k < 3; k++) cell += std::string(kMots[(m + v + k) % 8]) + " ";
            if (cell.find('-') == std::string::npos) cell += "la";
            OSErr err = SetTexteKaraokeCellule(gScore.staff, m, v, kLigneParoles, cell.c_str());
            if (err != noErr) return err;
        }
    for (SInt32 m = 0; m < kMesures; m++)
        if (SetTexteKaraokeCellule(gScore.staff, m, 0, kLigneAccords, "C G7 Am F ") != noErr) return memFullErr;
    return noErr;
}

void BM_CreeTexteKaraoke(benchmark::State &state) {
    Handle syllables = NewHandle(0);
    for (auto _ : state) {
        Handle text = CreeTexteKaraoke(gScore.staff, kLigneParoles, kTrue, syllables);
        benchmark::DoNotOptimize(text);
        DisposHandle(text);
    }
    DisposHandle(syllables);
}
BENCHMARK(BM_CreeTexteKaraoke)->Unit(benchmark::kMicrosecond);

// The reference: each played measure's cell of its pass, found and appended as it is.
void BM_JoindreCellules(benchmark::State &state) {
    ScoreHandle score = (*gScore.staff)->score;
    for (auto _ : state) {
        std::string joined;
        std::vector<UInt16> passes(kMesures, 0);
        for (SInt32 p = 0; p < GetNbMesuresJouees(score); p++) {
            SInt32 m = CvtMesureJoueeEnMesure(score, p);
            const char *text = nullptr;
            SInt32 length = 0;
            if (GetTexteEnPlaceCellule(gScore.staff, kLigneParoles, m, SInt16(passes[size_t(m)]++), &text, &length))
                joined.append(text, size_t(length));
        }
        benchmark::DoNotOptimize(joined.data());
    }
}
BENCHMARK(BM_JoindreCellules)->Unit(benchmark::kMicrosecond);

void BM_CalculePosTexteKaraoke(benchmark::State &state) {
    SInt32 end = gScore.starts.back() + kTempsNoire;
    for (auto _ : state) {
        SInt64 sum = 0;
        SInt32 length = 0;
        for (SInt32 i = 0; i < kPositions; i++)
            sum += CalculePosTexteKaraoke(gScore.staff, SInt32(SInt64(i) * end / kPositions), &length, gScore.syllables);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_CalculePosTexteKaraoke)->Unit(benchmark::kMicrosecond);

void BM_UpperBound(benchmark::State &state) {
    SInt32 end = gScore.starts.back() + kTempsNoire;
    for (auto _ : state) {
        SInt64 sum = 0;
        for (SInt32 i = 0; i < kPositions; i++)
            sum += std::upper_bound(gScore.starts.begin(), gScore.starts.end(), SInt32(SInt64(i) * end / kPositions)) -
                   gScore.starts.begin();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_UpperBound)->Unit(benchmark::kMicrosecond);

GeometrieSegment Geometrie() {
    return GeometrieSegment{0, kMesuresSysteme, gScore.measureX.data(), gScore.notesX.data(), nullptr, nullptr, 20, 80,
                            kEspace, 1.2f, kSegmentDebutSysteme};
}

void Clear() { OrvaFillSurfaceRect(&gScore.port, 0, 0, kLargeur - 1, kHauteur - 1, 0xFFFFFF); }

void BM_GraveSystemeAvecObjets(benchmark::State &state) {
    GeometrieSegment g = Geometrie();
    for (auto _ : state) {
        Clear();
        TracePorteeSegment(gScore.staff, &g);
        TraceObjetsPortee(gScore.staff, &g);
    }
}
BENCHMARK(BM_GraveSystemeAvecObjets)->Unit(benchmark::kMillisecond);

void BM_GraveSystemePuisTextes(benchmark::State &state) {
    GeometrieSegment g = Geometrie();
    for (auto _ : state) {
        Clear();
        TracePorteeSegment(gScore.staff, &g);
        for (const KaraokeScore::Placed &t : gScore.texts) {
            TextFont(t.font);
            TextSize(t.size);
            _MoveTo(t.x, t.y);
            UTFDrawText(qd.thePort, t.text.data(), 0, SInt32(t.text.size()), 0);
        }
    }
}
BENCHMARK(BM_GraveSystemePuisTextes)->Unit(benchmark::kMillisecond);

// The syllables and chord symbols the staff objects draw, at their places and sizes.
void CollecteTextes() {
    GeometrieSegment g = Geometrie();
    float baseline = 0, step = 0;
    GetPositionParoles(gScore.staff, &g, &baseline, &step);
    SInt16 lyricSize = SInt16(kTailleParolesDefaut * g.zoom + 0.5f), chordSize = SInt16(kTailleAccordsDefaut * g.zoom + 0.5f);
    ScoreHandle score = (*gScore.staff)->score;
    for (SInt32 m = 0; m < kMesuresSysteme; m++) {
        TaquetRecord slots[kNbMaxTaquets];
        SInt32 count = CalculeTableauTaquetKaraokeMesure(slots, gScore.staff, 3, 0, m, 0, 1, 0);
        SInt32 start = CvtMesureEnTemps(score, m);
        for (SInt16 v = 0; v <= kCouplets; v++) {
            SInt16 line = v == kCouplets ? kLigneAccords : kLigneParoles;
            const char *text = nullptr;
            SInt32 length = 0;
            if (!GetTexteEnPlaceCellule(gScore.staff, line, m, v == kCouplets ? 0 : v, &text, &length)) continue;
            std::string cell(text, size_t(length));
            for (SInt32 k = 0, at = 0; at < length && k < count; k++) {
                SInt32 end = FinSyllabe(cell.data(), length, at);
                std::string word = cell.substr(size_t(at), size_t(end - at));
                while (!word.empty() && (word.back() == ' ' || word.back() == '-')) word.pop_back();
                float x = XTempsSegment(score, &g, start + slots[k].time);
                float y = line == kLigneAccords ? g.top - 1.5f * g.space : baseline + v * step;
                gScore.texts.push_back({word, SInt16(x), SInt16(y), line == kLigneAccords ? chordSize : lyricSize,
                                        SInt16(line == kLigneAccords ? 21 : 20)});
                at = end;
            }
        }
    }
}

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    FixePrefStd();
    if (!SystemDependantInstalleFonteLocale(BenchPoliceMusique().c_str(), true) || !InitLentara()) {
        fprintf(stderr, "staffobjects_bench: the music font is missing (%s)\n", BenchPoliceMusique().c_str());
        return 1;
    }
    InitGravure();
    InitObjetsPortee();
    if (Construit() != noErr) return 1;
    gScore.syllables = NewHandle(0);
    Handle text = CreeTexteKaraoke(gScore.staff, kLigneParoles, kTrue, gScore.syllables);
    if (!text) return 1;
    DisposHandle(text);
    for (SInt32 i = 0; i < GetNbSyllabesKaraoke(gScore.syllables); i++) {
        SyllabeKaraoke s;
        GetSyllabeKaraoke(gScore.syllables, i, &s);
        gScore.starts.push_back(s.start);
    }
    gScore.measureX.resize(kMesuresSysteme + 1);
    gScore.notesX.resize(kMesuresSysteme);
    if (CalculeGeometrieBande((*gScore.staff)->score, 0, kMesuresSysteme, 20, kEspace, 5 * kEspace, kTrue,
                              gScore.measureX.data(), gScore.notesX.data()) != noErr)
        return 1;
    BenchOpenPort(&gScore.port, kLargeur, kHauteur);
    ForeColor(33);
    CollecteTextes();
    BenchRun({{"karaoke text / joining its cells", "BM_CreeTexteKaraoke", "BM_JoindreCellules", 3.0},
              {"syllable at a position / upper_bound", "BM_CalculePosTexteKaraoke", "BM_UpperBound", 1.5},
              {"system with objects / system and texts", "BM_GraveSystemeAvecObjets", "BM_GraveSystemePuisTextes", 1.3}});
    ClosePort(&gScore.port);
    DisposHandle(gScore.syllables);
    VideDocument(gScore.document);
    DisposPtr(reinterpret_cast<Ptr>(gScore.document));
    FinObjetsPortee();
    FinGravure();
    return 0;
}
