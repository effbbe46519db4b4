// ctest-labels: score-storage
// Any bytes as a native score file: a load fails cleanly or gives a score that keeps the
// model's invariants, which saves (coded) and loads back to the same counts.
// Seeded with the demo scores saved plain and coded.
#include <cstdint>
#include <cstdlib>

#include "fuzz_support.h"
#include "score/byte_stream.h"
#include "score/native_score.h"
#include "score/score_hooks.h"
#include "tests/support/score_support.h"

namespace {

enum : size_t { kMaxInput = 1 << 20 };

void Check(bool ok) {
    if (!ok) abort();
}


// Loads bytes into a fresh document; null when the load fails.
DocumentRecord *Load(const void *data, size_t size) {
    FILE *file = fmemopen(const_cast<void *>(data), size, "rb");
    if (!file) return nullptr;
    FixeFichierCourant(file, kFalse, "fuzz.oms");
    DocumentRecord *document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
    Boolean ok = ChargeMusiqueStandard(document);
    CloseFile();
    if (!ok) {
        Check(document->scoreCount == 0);
        DisposPtr(reinterpret_cast<Ptr>(document));
        return nullptr;
    }
    return document;
}

void Free(DocumentRecord *document) {
    VideDocument(document);
    DisposPtr(reinterpret_cast<Ptr>(document));
}

SInt64 Notes(ScoreHandle score) {
    SInt64 notes = 0;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) notes += (*GetPortee(score, s))->noteCount;
    return notes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = [] {
        FuzzFolder();
        FixePrefStd();
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    if (size == 0 || size > kMaxInput) return 0;
    DocumentRecord *document = Load(data, size);
    if (!document) return 0;
    ScoreHandle score = document->score;
    Check(ScoreInvariantFault(score).empty());
    char *saved = nullptr;
    size_t savedSize = 0;
    FixeFichierCourant(open_memstream(&saved, &savedSize), kTrue, "fuzz-saved.oms");
    Check(SauveMusiqueStandard(document, kTrue));
    Check(CloseFile());
    DocumentRecord *again = Load(saved, savedSize);
    Check(again != nullptr);
    ScoreHandle back = again->score;
    Check((*back)->staffCount == (*score)->staffCount && (*back)->measureCount == (*score)->measureCount &&
          (*back)->instrumentCount == (*score)->instrumentCount && Notes(back) == Notes(score));
    Free(again);
    Free(document);
    free(saved);
    return 0;
}
