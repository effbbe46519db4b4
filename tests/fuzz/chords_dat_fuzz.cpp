// ctest-labels: staffobjects
// Bytes as a "Chords.dat" file loaded into the chord-diagram library: every entry kept has a
// valid shape whose seal finds it, and the library written back and loaded again holds the same
// entries. Seeded with the writer's own files.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "staffobjects/chord_diagrams.h"

namespace {

enum : size_t { kMaxInput = 1 << 16 };

void Check(bool ok) {
    if (!ok) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static std::string folder = [] {
        std::string f = FuzzFolder();
        FuzzQuietMessages();
        return f;
    }();
    if (size > kMaxInput) return 0;
    std::string path = folder + "/Chords.dat", again = folder + "/Chords-again.dat";
    FuzzWriteFile(path, data, size);
    Check(ChargeDiagrammesAccordGeneral(path.c_str()) == noErr);
    SInt32 count = GetNbDiagrammesBibliotheque();
    Check(count >= 0 && count <= kMaxDiagrammesBibliotheque);
    for (SInt32 i = 0; i < count; i++) {
        ChordDiagramRecord entry;
        Check(GetDiagrammeBibliotheque(i, &entry) && IsFormeDiagrammeValide(&entry.shape));
        Check(entry.seal == ScelleFormeDiagramme(&entry.shape) && RechercheDiagrammeAccordParIdUnique(entry.seal) == i);
        Check(strnlen(entry.name, sizeof entry.name) < sizeof entry.name);
    }
    Check(EcritDiagrammesAccordGeneral(again.c_str()));
    Check(ChargeDiagrammesAccordGeneral(again.c_str()) == noErr && GetNbDiagrammesBibliotheque() == count);
    VideBibliothequeDiagrammes();
    return 0;
}
