// The note-name table, reading names in either naming, keys from their tonic, and pitches of
// staff steps.
#include "staffobjects/note_names.h"

#include <cstring>

#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/preferences.h"

namespace {

const SInt16 kDemiTonsNaturels[7] = {0, 2, 4, 5, 7, 9, 11};  // C D E F G A B
// Semitones of the scale degrees above the tonic.
const SInt16 kGammeMajeure[7] = {0, 2, 4, 5, 7, 9, 11};
const SInt16 kGammeMineure[7] = {0, 2, 3, 5, 7, 8, 10};
const char *const kLettres[7] = {"C", "D", "E", "F", "G", "A", "B"};
// Fixed-do syllables in MacRoman ("R\x8E" is "Ré").
const char *const kSyllabes[7] = {"Do", "R\x8E", "Mi", "Fa", "Sol", "La", "Si"};

// The syllables read, with their other spellings; the longest of a degree's come first.
struct SyllableRow {
    const char *text;  // lower case; \x8E and \xC3\xA9 are é in MacRoman and UTF-8
    SInt16 degree;
};
const SyllableRow kSyllabesLues[] = {
    {"do", 0},  {"ut", 0},      {"r\xc3\xa9", 1}, {"r\x8e", 1}, {"re", 1}, {"mi", 2},
    {"fa", 3},  {"sol", 4},     {"so", 4},        {"la", 5},    {"si", 6}, {"ti", 6},
};

// The table of names, process-wide and rebuilt by InitTabNomNote. Main thread only.
struct NoteNameTable {
    const char *const *names;
};
NoteNameTable gNoms = {kLettres};

SInt32 LitLettre(const char *text, SInt32 length, SInt16 *degree);
SInt32 LitSyllabe(const char *text, SInt32 length, SInt16 *degree);
SInt16 AlterationOctet(UInt8 keyByte);
UInt8 OctetAlteration(SInt16 alteration);

}  // namespace

void InitTabNomNote() { gNoms.names = pref.angloNotation ? kLettres : kSyllabes; }

void GetNomNote(char *destination, SInt16 degree, SInt16 alteration) {
    if (!destination) return;
    destination[0] = 0;
    if (degree < 0 || degree > 6) return;
    std::strcpy(destination, gNoms.names[degree]);
    if (alteration > 2) alteration = 2;
    if (alteration < -2) alteration = -2;
    for (SInt16 k = 0; k < (alteration < 0 ? -alteration : alteration); k++)
        std::strcat(destination, alteration > 0 ? "#" : "b");
}

SInt32 LitNomNote(const char *text, SInt32 length, Boolean fixedDoFirst, SInt16 *degree, SInt16 *alteration) {
    if (!text || length <= 0) return 0;
    SInt16 d = 0;
    SInt32 read = fixedDoFirst ? LitSyllabe(text, length, &d) : LitLettre(text, length, &d);
    if (read == 0) read = fixedDoFirst ? LitLettre(text, length, &d) : LitSyllabe(text, length, &d);
    if (read == 0) return 0;
    SInt16 alt = 0;
    while (read < length && (alt < 2 && alt > -2) && (text[read] == '#' || text[read] == 'b') &&
           (alt == 0 || (alt > 0) == (text[read] == '#'))) {
        alt = SInt16(alt + (text[read] == '#' ? 1 : -1));
        read++;
    }
    if (degree) *degree = d;
    if (alteration) *alteration = alt;
    return read;
}

Boolean CalculeArmureFnFondamentaleEtMode(KeySignature *key) {
    if (!key || key->tonicDegree > 6) return kFalse;
    SInt16 tonicAlteration = 0;
    switch (key->tonicAccidental & kAlterationCode) {
        case kAlterationDiese: tonicAlteration = 1; break;
        case kAlterationBemol: tonicAlteration = -1; break;
        case kAlterationDoubleDiese: tonicAlteration = 2; break;
        case kAlterationDoubleBemol: tonicAlteration = -2; break;
        default: break;
    }
    const SInt16 *scale = key->mode == kModeMajeur ? kGammeMajeure : kGammeMineure;
    SInt16 tonic = SInt16(kDemiTonsNaturels[key->tonicDegree] + tonicAlteration);
    SInt16 sharps = 0, flats = 0;
    for (SInt16 step = 0; step < 7; step++) {
        SInt16 degree = SInt16((key->tonicDegree + step) % 7);
        SInt16 difference = SInt16(((tonic + scale[step] - kDemiTonsNaturels[degree]) % 12 + 18) % 12 - 6);
        key->degrees[degree] = OctetAlteration(difference);
        if (difference > 0) sharps++;
        if (difference < 0) flats++;
    }
    // A standard key holds only sharps or only flats, a single accidental each.
    Boolean simple = kTrue;
    for (SInt16 d = 0; d < 7; d++)
        simple = simple && (key->degrees[d] == 0 || key->degrees[d] == kAlterationDiese || key->degrees[d] == kAlterationBemol);
    key->kind = simple && flats == 0 ? UInt32(sharps) : simple && sharps == 0 ? UInt32(flats ? 7 + flats : 0) : 0;
    return kTrue;
}

SInt16 GetDemiTonNoteDelta(StaffHandle staff, const KeySignature *key, SInt32 index, SInt16 steps, UInt8 accidental) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->pitch < 0) return -1;
    KeySignature own;
    if (!key) {
        CvtTempsEnTonalite(staff, note->time, &own);
        key = &own;
    }
    SpellingRecord spelling;
    if (!EpelleHauteur(note->pitch, note->accidental, key, &spelling)) return -1;
    SInt32 position = SInt32(spelling.position) + steps;
    SInt32 octave = position >= 0 ? position / 7 : (position - 6) / 7;
    SInt16 degree = SInt16(position - octave * 7);
    SInt16 alteration = 0;
    switch (accidental & kAlterationCode) {
        case kAlterationDiese: alteration = 1; break;
        case kAlterationBemol: alteration = -1; break;
        case kAlterationBecarre: alteration = 0; break;
        case kAlterationDoubleDiese: alteration = 2; break;
        case kAlterationDoubleBemol: alteration = -2; break;
        default: alteration = AlterationOctet(key->degrees[degree]); break;
    }
    SInt32 pitch = octave * 12 + kDemiTonsNaturels[degree] + alteration;
    return SInt16(pitch < 0 ? 0 : pitch > 127 ? 127 : pitch);
}

namespace {

SInt32 LitLettre(const char *text, SInt32, SInt16 *degree) {
    static const char kOrdre[] = "CDEFGAB";
    const char *at = std::strchr(kOrdre, text[0]);
    if (!text[0] || !at) return 0;
    *degree = SInt16(at - kOrdre);
    return 1;
}

SInt32 LitSyllabe(const char *text, SInt32 length, SInt16 *degree) {
    for (const SyllableRow &row : kSyllabesLues) {
        SInt32 n = SInt32(std::strlen(row.text));
        if (n > length) continue;
        Boolean same = kTrue;
        for (SInt32 i = 0; i < n && same; i++) {
            char c = text[i];
            if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
            // É (MacRoman 0x83, UTF-8 C3 89) reads as é.
            if (UInt8(c) == 0x83) c = char(0x8E);
            if (i > 0 && UInt8(text[i - 1]) == 0xC3 && UInt8(c) == 0x89) c = char(0xA9);
            same = c == row.text[i];
        }
        if (same) {
            *degree = row.degree;
            return n;
        }
    }
    return 0;
}

SInt16 AlterationOctet(UInt8 keyByte) {
    switch (keyByte) {
        case kAlterationDiese: return 1;
        case kAlterationBemol: return -1;
        case kAlterationDoubleDiese: return 2;
        case kAlterationDoubleBemol: return -2;
        default: return 0;
    }
}

UInt8 OctetAlteration(SInt16 alteration) {
    switch (alteration) {
        case 1: return kAlterationDiese;
        case -1: return kAlterationBemol;
        case 2: return kAlterationDoubleDiese;
        case -2: return kAlterationDoubleBemol;
        default: return 0;
    }
}

}  // namespace
