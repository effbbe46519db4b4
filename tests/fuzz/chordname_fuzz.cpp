// ctest-labels: staffobjects
// Bytes as a chord name read into a chord record: a name that reads gives a root, kind, degree
// changes and bass in their ranges; one that does not leaves the zeroed record with no root.
// Seeded with the importers' spellings and hand spellings.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "score/preferences.h"
#include "staffobjects/chord_names.h"
#include "staffobjects/note_names.h"

namespace {

enum : size_t { kMaxInput = 4096 };

void Check(bool ok) {
    if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool started = [] {
        FuzzFolder();
        FixePrefStd();
        InitTabNomNote();
        return true;
    }();
    (void)started;
    if (size > kMaxInput) return 0;
    // The first byte chooses the naming tried first; the rest is the name.
    pref.angloNotation = size > 0 && (data[0] & 1);
    const char *name = size > 0 ? reinterpret_cast<const char *>(data + 1) : "";
    SInt32 length = size > 0 ? SInt32(size - 1) : 0;
    ChordRecord chord;
    memset(&chord, 0x5A, sizeof chord);
    if (CvtChaineEnAccord(name, length, &chord)) {
        Check(chord.root >= kAccordSansNote && chord.root <= 6 && chord.rootAlteration >= -2 && chord.rootAlteration <= 2);
        Check(chord.kind >= 0 && chord.kind < kNbTypesAccord);
        Check(chord.bass >= kAccordSansNote && chord.bass <= 6 && chord.bassAlteration >= -2 && chord.bassAlteration <= 2);
        for (SInt16 word : chord.degrees) Check(word == 0 || DegreAccord(word, nullptr, nullptr, nullptr));
    } else {
        ChordRecord zero;
        memset(&zero, 0, sizeof zero);
        zero.root = zero.bass = kAccordSansNote;
        Check(memcmp(&chord, &zero, sizeof chord) == 0);
    }
    // A name without its length (up to its zero) reads the same way as its first bytes.
    ChordRecord again;
    char copy[kMaxInput + 1];
    memcpy(copy, name, size_t(length));
    copy[length] = 0;
    CvtChaineEnAccord(copy, -1, &again);
    if (strlen(copy) == size_t(length)) Check(memcmp(&again, &chord, sizeof chord) == 0);
    return 0;
}
