// ctest-labels: playback
// Bytes as a score of measures and random ruptures: kind, place, ending flags, pass count,
// jump index, repetition mode and action. The played-measure table always ends, holds at most
// 9999 measures that exist, and its duration, tempo map and played positions agree with it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "score/played_measures.h"
#include "score/ruptures.h"
#include "score/score_hooks.h"
#include "score/tempo_map.h"
#include "tests/support/score_support.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

struct Bytes {
    const uint8_t *data;
    size_t size, at;
    UInt8 Next() { return at < size ? data[at++] : 0; }
};

void AddRupture(ScoreHandle score, Bytes &b) {
    SInt16 kind = SInt16(b.Next() % 18) - 1;  // -1 and 17: refused
    SInt32 measure = b.Next() % ((*score)->measureCount + 1);
    UInt8 place = b.Next();
    SInt32 start = CvtMesureEnTemps(score, measure);
    SInt32 time = place < 100 ? start : place < 200 ? start - kRuptureAvantFin : start + place;
    SInt32 index = AjouteRupture(score, kind, time);
    RuptureRecord *r = GetRupturePtr(score, index);
    UInt16 endings = UInt16(b.Next() << 8 | b.Next());
    UInt8 passes = b.Next(), parameter = b.Next(), flags = b.Next();
    if (!r) return;
    for (SInt32 n = 0; n < kRuptureFins; n++) r->endings[n] = UInt8((endings >> n) & 1);
    r->passCount = SInt16(passes < 250 ? passes % 8 : 32767 - passes);
    r->parameter = SInt16(parameter % 4);
    if (flags & 1) r->repetitionMode = kRepetitionSeulementPassage;
    if (flags & 2) r->action = UInt8(flags >> 2) % 10;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = (FuzzQuietMessages(), true);
    (void)quiet;
    Bytes b = {data, size, 0};
    ScoreFixture f;
    SInt32 measures = 1 + b.Next() % 40;
    for (SInt32 m = 1; m < measures; m++) {
        TimeSignature signature = Signature(SInt16(1 + b.Next() % 7), 4);
        Check(InsereMesureChangeEchelleMesure(f.score, m, 1, 0, &signature, 1) == noErr);
    }
    UInt8 how = b.Next();
    while (b.at < size) AddRupture(f.score, b);
    if (how & 1) RemetRupturesEnForme(f.score);
    else CalculeTabCvtMesure(f.score);
    SInt32 count = GetNbMesuresJouees(f.score);
    Check(count >= 0 && count <= kMaxMesuresJouees);
    SInt64 total = 0;
    for (SInt32 k = 0; k < count; k++) {
        SInt32 m = CvtMesureJoueeEnMesure(f.score, k);
        Check(m >= 0 && m < (*f.score)->measureCount);
        total += CvtMesureEnDureeMesure(f.score, m);
    }
    Check(DureeTotaleMusique(f.score) == std::min<SInt64>(total, kTempsMax));
    SInt32 previous = -1, step = DureeTotaleMusique(f.score) / 16 + 1;
    for (SInt32 t = 0; t < DureeTotaleMusique(f.score); t += step) {
        SInt32 ms = CvtTempsJoueEnMs(f.score, t, true);
        Check(ms >= previous);
        previous = ms;
        SInt32 written = CvtTempsJoueEnTempsEcrit(f.score, t);
        Check(written >= 0 && written <= CvtMesureEnTemps(f.score, (*f.score)->measureCount));
    }
    return 0;
}
