// Chord symbols as the engine reads them: a chord name ("F#M7/A", "Cm7b5", "Do7", "N.C.")
// parsed into a ChordRecord of thirteen words.
// Main thread only (the note-name table is process-wide).
#pragma once

#include "score/music_records.h"

// Chord kinds, numbered as MusicXML's "kind" values are read by the importer.
enum : SInt16 {
    kAccordMajeur = 0, kAccordMineur = 1, kAccordAugmente = 2, kAccordDiminue = 3, kAccordSeptieme = 4,
    kAccordSeptiemeMajeure = 5, kAccordMineurSeptieme = 6, kAccordSeptiemeDiminuee = 7, kAccordSeptiemeAugmentee = 8,
    kAccordDemiDiminue = 9, kAccordMineurMajeur = 10, kAccordSixte = 11, kAccordMineurSixte = 12,
    kAccordNeuvieme = 13, kAccordNeuviemeMajeure = 14, kAccordMineurNeuvieme = 15, kAccordOnzieme = 16,
    kAccordOnziemeMajeure = 17, kAccordMineurOnzieme = 18, kAccordTreizieme = 19, kAccordTreiziemeMajeure = 20,
    kAccordMineurTreizieme = 21, kAccordSus2 = 22, kAccordSus4 = 23,
    kNbTypesAccord = 24,
};
enum : SInt16 { kAccordSansNote = -1 };  // the root of "N.C.", a bass that is not given
// A degree change's type.
enum : SInt16 { kDegreAjoute = 0, kDegreAltere = 1, kDegreRetire = 2 };
enum : SInt32 { kMaxDegresAccord = 8, kMaxNomAccord = 255 };

// Thirteen 16-bit words, stored with chord-symbol cells and diagrams.
struct ChordRecord {
    SInt16 root;            // degree 0..6 (C = 0), kAccordSansNote for "N.C."
    SInt16 rootAlteration;  // semitones -2..2
    SInt16 kind;            // kAccord...
    // Changes to the kind's degrees, 0 for an empty entry: degree (2..13) x 256 + type x 16 +
    // alteration + 8 (alteration -2..2). DegreAccord reads them.
    SInt16 degrees[kMaxDegresAccord];
    SInt16 bass;            // degree 0..6, kAccordSansNote when the bass is the root
    SInt16 bassAlteration;
};
static_assert(sizeof(ChordRecord) == 26, "a chord record is thirteen words");

// A degree change word and its parts; false for an empty or malformed word.
SInt16 MotDegreAccord(SInt16 degree, SInt16 type, SInt16 alteration);
Boolean DegreAccord(SInt16 word, SInt16 *degree, SInt16 *type, SInt16 *alteration);

// Parses a chord name (length bytes of MacRoman or UTF-8; < 0: up to its zero): a root in either
// naming with its "#" and "b", a quality in the spellings the importers write ("m", "dim", "dim7",
// "7", "9", "11", "13", "6", "M7", "Add9", "-9", "/9", "+9", "-5", "+5", "Omit5", "Sus2", "Sus4",
// "Add#11" ...) or by hand ("maj7", "min", "-", "m7b5", "aug", "+", "°", "ø", "Δ", "sus4",
// "7sus4", "mMaj7", "6/9", "7(b9,#11)", "no3"), then "/" and a bass note; or "N.C.". Case does
// not matter except for "m" (minor) against "M" (major). The kind is the one that needs the
// fewest degree changes (an added or altered degree counts one, a removed one two; the lower
// kind on a tie). True with the record filled; false with a zeroed record whose root and bass
// are kAccordSansNote when the name cannot be read (no root, an unknown sign, more than
// kMaxDegresAccord changes, more than kMaxNomAccord bytes).
Boolean CvtChaineEnAccord(const char *name, SInt32 length, ChordRecord *chord);
