// The score model against plain containers doing the same work. Goals (same-run ratios):
// 100,000 InsereNote in time order at most 3x vector push_back of the records, at random times
// at most 1.5x vector insert; UpdateTabEltMesure of every part on the "long" demo at most 5x a
// loop summing starts and widths into a plain array, 4,000 measures at most 2.2x 2,000;
// 1,000,000 CvtTempsEnMesure at most 2x std::upper_bound over the measure starts.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <random>
#include <vector>

#include "../ratio_reporter.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/preferences.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const SInt32 kNotes = 100000;
const SInt32 kConversions = 1000000;
const SInt32 kPasEnOrdre = 10080;  // a sixteenth: 100,000 of them stay within the score's time range

struct Document {
    DocumentRecord *document = nullptr;
    explicit Document(SInt32 measures) {
        document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        if (measures > 0) ConstruitDemoLongue(document, measures, 8);
        else CreePartitionVide(document);
    }
    ~Document() { LibereDemoScore(&document); }
    ScoreHandle Score() const { return document->score; }
};

std::vector<SInt32> TempsAleatoires(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<SInt32> times(kNotes);
    for (SInt32 &t : times) t = SInt32(random() % 4000) * kTempsNoire;
    return times;
}

// Each iteration inserts the notes into a fresh staff; only the insertions are timed.
void InsereAuxTemps(benchmark::State &state, const std::vector<SInt32> &times) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            Document doc(0);
            StaffHandle staff = CreePorteeVide(doc.Score(), kPorteeStandard, 1, 0);
            NoteRecord note;
            RazNote(&note, 60, kTempsNoire);
            state.ResumeTiming();
            for (SInt32 t : times) InsereNote(staff, &note, t, 0, 0);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

void BM_InsereNoteEnOrdre(benchmark::State &state) {
    std::vector<SInt32> times(kNotes);
    for (SInt32 i = 0; i < kNotes; i++) times[size_t(i)] = i * kPasEnOrdre;
    InsereAuxTemps(state, times);
}
BENCHMARK(BM_InsereNoteEnOrdre)->Unit(benchmark::kMillisecond);

void BM_VectorPushBack(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<NoteRecord> notes;
        NoteRecord note;
        RazNote(&note, 60, kTempsNoire);
        for (SInt32 i = 0; i < kNotes; i++) {
            note.time = i * kPasEnOrdre;
            notes.push_back(note);
        }
        benchmark::DoNotOptimize(notes.data());
    }
}
BENCHMARK(BM_VectorPushBack)->Unit(benchmark::kMillisecond);

void BM_InsereNoteAleatoire(benchmark::State &state) { InsereAuxTemps(state, TempsAleatoires(1)); }
BENCHMARK(BM_InsereNoteAleatoire)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_VectorInsertAleatoire(benchmark::State &state) {
    std::vector<SInt32> times = TempsAleatoires(1);
    for (auto _ : state) {
        std::vector<NoteRecord> notes;
        NoteRecord note;
        RazNote(&note, 60, kTempsNoire);
        for (SInt32 t : times) {
            note.time = t;
            auto at = std::upper_bound(notes.begin(), notes.end(), note,
                                       [](const NoteRecord &a, const NoteRecord &b) { return a.time < b.time; });
            notes.insert(at, note);
        }
        benchmark::DoNotOptimize(notes.data());
    }
}
BENCHMARK(BM_VectorInsertAleatoire)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_UpdateTabEltMesure(benchmark::State &state) {
    Document doc(SInt32(state.range(0)));
    ScoreHandle score = doc.Score();
    for (auto _ : state) {
        SetTabEltMesureModifie(score, kTabEltTout);
        UpdateTabEltMesure(score, kTabEltTout);
    }
}
BENCHMARK(BM_UpdateTabEltMesure)->Arg(2000)->Arg(4000)->Unit(benchmark::kMicrosecond);

void BM_SommeTableau(benchmark::State &state) {
    std::vector<SInt32> lengths(2000, kTempsRonde), widths(2000, 176), starts(2001), xs(2001);
    for (auto _ : state) {
        SInt32 time = 0;
        SInt32 x = 0;
        for (size_t i = 0; i < lengths.size(); i++) {
            starts[i] = time;
            xs[i] = x;
            time += lengths[i];
            x += widths[i];
        }
        starts[lengths.size()] = time;
        xs[lengths.size()] = x;
        benchmark::DoNotOptimize(starts.data());
        benchmark::DoNotOptimize(xs.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SommeTableau)->Unit(benchmark::kMicrosecond);

void BM_CvtTempsEnMesure(benchmark::State &state) {
    Document doc(2000);
    ScoreHandle score = doc.Score();
    std::vector<SInt32> times = TempsAleatoires(2);
    for (auto _ : state) {
        SInt64 sum = 0;
        for (SInt32 i = 0; i < kConversions; i++) sum += CvtTempsEnMesure(score, times[size_t(i % kNotes)]);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_CvtTempsEnMesure)->Unit(benchmark::kMillisecond);

void BM_UpperBound(benchmark::State &state) {
    std::vector<SInt32> starts(2000);
    for (SInt32 i = 0; i < 2000; i++) starts[size_t(i)] = i * kTempsRonde;
    std::vector<SInt32> times = TempsAleatoires(2);
    for (auto _ : state) {
        SInt64 sum = 0;
        for (SInt32 i = 0; i < kConversions; i++) {
            SInt32 t = times[size_t(i % kNotes)];
            sum += SInt32(std::upper_bound(starts.begin(), starts.end(), t) - starts.begin()) - 1;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_UpperBound)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"InsereNote in order / vector push_back", "BM_InsereNoteEnOrdre", "BM_VectorPushBack", 3.0},
    {"InsereNote at random / vector insert", "BM_InsereNoteAleatoire/iterations:1",
     "BM_VectorInsertAleatoire/iterations:1", 1.5},
    {"UpdateTabEltMesure long / plain sums", "BM_UpdateTabEltMesure/2000", "BM_SommeTableau", 5.0},
    {"UpdateTabEltMesure 4000 / 2000 measures", "BM_UpdateTabEltMesure/4000", "BM_UpdateTabEltMesure/2000", 2.2},
    {"CvtTempsEnMesure / std::upper_bound", "BM_CvtTempsEnMesure", "BM_UpperBound", 2.0},
};

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    FixePrefStd();
    RatioReporter reporter(kGoals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
