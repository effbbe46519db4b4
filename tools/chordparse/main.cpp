// chordparse: what the engine reads of chord names, one line each.
//   chordparse NAME...
// Each line: the name, then "root=" the root's letter with its alteration in semitones ("F+1"),
// or "none" for "N.C."; "kind=" the kind number; "bass=" the bass when one is given; "degrees="
// the changes to the kind ("add9", "alt5-1", "omit3") when there are any. A name that cannot be
// read prints "NAME error". Exit status: 0, or 1 when a name could not be read, 2 without names.
#include <cstdio>
#include <string>

#include "score/preferences.h"
#include "staffobjects/chord_names.h"
#include "staffobjects/note_names.h"

namespace {

std::string Note(SInt16 degree, SInt16 alteration) {
    std::string out(1, "CDEFGAB"[degree]);
    if (alteration) out += (alteration > 0 ? "+" : "") + std::to_string(alteration);
    return out;
}

std::string Degrees(const ChordRecord &chord) {
    static const char *const kTypes[3] = {"add", "alt", "omit"};
    std::string out;
    for (SInt16 word : chord.degrees) {
        SInt16 degree = 0, type = 0, alteration = 0;
        if (!DegreAccord(word, &degree, &type, &alteration)) continue;
        if (!out.empty()) out += ",";
        out += kTypes[type] + std::to_string(degree);
        if (alteration && type != kDegreRetire) out += (alteration > 0 ? "+" : "") + std::to_string(alteration);
    }
    return out;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: chordparse NAME...\n");
        return 2;
    }
    FixePrefStd();
    InitTabNomNote();
    int status = 0;
    for (int i = 1; i < argc; i++) {
        ChordRecord chord;
        if (!CvtChaineEnAccord(argv[i], -1, &chord)) {
            printf("%s error\n", argv[i]);
            status = 1;
            continue;
        }
        if (chord.root == kAccordSansNote) {
            printf("%s root=none\n", argv[i]);
            continue;
        }
        std::string line = std::string(argv[i]) + " root=" + Note(chord.root, chord.rootAlteration) +
                           " kind=" + std::to_string(chord.kind);
        if (chord.bass != kAccordSansNote) line += " bass=" + Note(chord.bass, chord.bassAlteration);
        std::string degrees = Degrees(chord);
        if (!degrees.empty()) line += " degrees=" + degrees;
        printf("%s\n", line.c_str());
    }
    return status;
}
