// ctest-labels: playback
// Bytes as a played-measures text for a score of measures of which some go on with the number
// of the measure before. What is read names only measures that exist, at most 9999 of them,
// and the score's table takes it whole.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "score/played_measures.h"
#include "tests/support/score_support.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = [] {
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    if (size < 2) return 0;
    ScoreFixture f;
    SInt32 measures = 1 + data[0] % 30;
    UInt8 uncounted = data[1];
    TimeSignature four = Signature(4, 4);
    if (measures > 1) Check(InsereMesureChangeEchelleMesure(f.score, 1, measures - 1, 0, &four, 1) == noErr);
    for (SInt32 m = 0; m < measures && m < 8; m++)
        if (uncounted & (1 << m)) FixeEtatComptageMesurePartition(f.score, m, 1);
    Handle logical = CvtStringToTabMesures(f.score, reinterpret_cast<const char *>(data + 2), SInt32(size - 2));
    if (!logical) return 0;
    SInt32 count = SInt32(GetHandleSize(logical) / sizeof(UInt16));
    Check(count >= 1 && count <= kMaxMesuresJouees);
    for (SInt32 i = 0; i < count; i++) Check(reinterpret_cast<UInt16 *>(*logical)[i] >= 1);
    Handle physical = ConvertTabMesureLogiqueEnPhysique(f.score, logical);
    Check(physical != nullptr);
    SInt32 entries = SInt32(GetHandleSize(physical) / sizeof(UInt16));
    Check(entries >= count || entries == kMaxMesuresJouees);
    for (SInt32 i = 0; i < entries; i++) Check(reinterpret_cast<UInt16 *>(*physical)[i] < measures);
    Check(FixeTabMesuresJouees(f.score, physical) == noErr);
    Check(GetNbMesuresJouees(f.score) == entries);
    DisposHandle(logical);
    DisposHandle(physical);
    return 0;
}
