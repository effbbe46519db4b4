// Pitch spelling, the accidentals shown in a measure, and transposition.
#include <cstring>
#include <initializer_list>

#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/preferences.h"
#include "score/score_hooks.h"
#include "score/staff_types.h"

namespace {

const SInt16 kDegreNaturel[12] = {0, -1, 1, -1, 2, 3, -1, 4, -1, 5, -1, 6};  // pitch class -> degree
const SInt16 kPositions = 7 * 11 + 7;  // diatonic positions of MIDI pitches 0..127 and their neighbours

// Spellings to try for each written accidental code, most wanted first.
struct SpellingOrder {
    SInt16 alterations[5];
};
const SpellingOrder kOrdreParCode[] = {
    {{0, 1, -1, 2, -2}},   // natural: the letter itself, then as for no accidental
    {{1, 0, -1, 2, -2}},   // sharp: the lower letter
    {{0, 1, -1, 2, -2}},   // none: see EpelleHauteur
    {{-1, 0, 1, -2, 2}},   // flat: the upper letter
    {{2, 1, 0, -1, -2}},   // double sharp
    {{-2, -1, 0, 1, 2}},   // double flat
};

SInt16 CoteTonalite(const KeySignature *key);
SInt16 AlterationDegre(UInt8 keyByte);
UInt8 CodePourAlteration(SInt16 alteration);
Boolean EssaieAlteration(SInt16 pitch, SInt16 alteration, SpellingRecord *spelling);
void TransposePortee(StaffHandle staff, SInt16 semitones);
SInt16 Accidents(SInt16 number);
SInt16 ClasseTonique(SInt16 number, UInt32 mode);

}  // namespace

Boolean EpelleHauteur(SInt16 pitch, UInt8 accidental, const KeySignature *key, SpellingRecord *spelling) {
    if (!spelling || pitch < 0 || pitch > 127) return kFalse;
    UInt8 code = UInt8(accidental & kAlterationCode);
    if (code > kAlterationDoubleBemol) code = kAlterationAucune;
    if (code == kAlterationAucune && key) {
        // Without a written accidental the key's own degree wins (E# in F# major), then its side.
        for (SInt16 alteration : {0, 1, -1}) {
            SpellingRecord candidate;
            if (EssaieAlteration(pitch, alteration, &candidate) &&
                AlterationDegre(key->degrees[candidate.degree]) == alteration) {
                *spelling = candidate;
                return kTrue;
            }
        }
        SInt16 side = CoteTonalite(key);
        if (EssaieAlteration(pitch, 0, spelling) || EssaieAlteration(pitch, side, spelling)) return kTrue;
    }
    for (SInt16 alteration : kOrdreParCode[code].alterations)
        if (EssaieAlteration(pitch, alteration, spelling)) return kTrue;
    return kFalse;
}

void CalcPosAlterationFnNote(StaffHandle staff, const NoteRecord *note, SInt16 *position, SInt16 *accidental,
                             SInt32 index, SInt32 time) {
    if (position) *position = 0;
    if (accidental) *accidental = kAlterationAucune;
    if (!note || !IsPorteeValide(staff) || note->pitch < 0) return;
    KeySignature key;
    CvtTempsEnTonalite(staff, time, &key);
    SpellingRecord spelling;
    if (!EpelleHauteur(note->pitch, note->accidental, &key, &spelling)) return;
    if (position) *position = spelling.position;
    if (!accidental) return;

    // The alteration in force on each position (or degree), from the key and the notes before
    // this one in its measure.
    ScoreHandle score = (*staff)->score;
    SInt32 measure = CvtTempsEnMesure(score, time);
    SInt32 measureStart = measure >= 0 ? CvtMesureEnTemps(score, measure) : time;
    Boolean allOctaves = pref.accidentalsAllOctaves != 0;
    SInt8 inForce[kPositions];
    for (SInt16 p = 0; p < kPositions; p++) inForce[p] = SInt8(AlterationDegre(key.degrees[p % 7]));
    SInt32 count = (*staff)->noteCount;
    SInt32 end = index >= 0 && index < count ? index : CvtTempsEnIndexNote(staff, time);
    for (SInt32 i = CvtTempsEnIndexNote(staff, measureStart); i < end; i++) {
        const NoteRecord *earlier = GetNotePtr(staff, i);
        SpellingRecord s;
        if (earlier->pitch < 0 || earlier->time > time || !EpelleHauteur(earlier->pitch, earlier->accidental, &key, &s))
            continue;
        if (!allOctaves) inForce[s.position] = SInt8(s.alteration);
        else
            for (SInt16 p = s.degree; p < kPositions; p += 7) inForce[p] = SInt8(s.alteration);
    }
    *accidental = inForce[spelling.position] == spelling.alteration ? UInt8(kAlterationAucune)
                                                                     : CodePourAlteration(spelling.alteration);
}

Boolean GetDiatonicInfo(StaffHandle staff, SInt32 index, SInt16 *degree, SInt16 *alteration, SInt16 *octave) {
    const NoteRecord *note = IsPorteeValide(staff) ? GetNotePtr(staff, index) : nullptr;
    if (!note || note->pitch < 0) return kFalse;
    KeySignature key;
    CvtTempsEnTonalite(staff, note->time, &key);
    SpellingRecord spelling;
    if (!EpelleHauteur(note->pitch, note->accidental, &key, &spelling)) return kFalse;
    if (degree) *degree = spelling.degree;
    if (alteration) *alteration = spelling.alteration;
    if (octave) *octave = spelling.octave;
    return kTrue;
}

SInt16 CalculeSensHampe(StaffHandle staff, SInt32 noteIndex) {
    const NoteRecord *stored = GetNotePtr(staff, noteIndex);
    if (!stored || stored->pitch < 0) return 0;
    const StaffTypeOps *row = (*staff)->ops ? (*staff)->ops : GetTypePortee((*staff)->type);
    if (row->stem) return row->stem(staff, noteIndex);
    NoteRecord note = *stored;
    SInt16 position = 0;
    SInt16 accidental = 0;
    CalcPosAlterationFnNote(staff, &note, &position, &accidental, noteIndex, note.time);
    return position >= PositionLigneMediane(staff, note.time) ? -1 : 1;
}

OSErr DoTransposeRapide(DocumentRecord *document, SInt16 semitones) {
    if (!document || semitones < -12 || semitones > 12) return paramErr;
    if (semitones == 0) return noErr;
    for (SInt16 i = 0; i < document->scoreCount; i++) {
        ScoreHandle score = GetPartitionDocument(document, i);
        for (SInt16 s = 0; s < (*score)->staffCount; s++) TransposePortee(GetPortee(score, s), semitones);
    }
    return noErr;
}

SInt16 TransposeTonaliteStd(SInt16 number, UInt32 mode, SInt16 semitones) {
    if (number < 0 || number >= SInt16(kTonalitesStandard)) return 0;
    SInt16 tonic = SInt16(((ClasseTonique(number, mode) + semitones) % 12 + 12) % 12);
    SInt16 best = -1;
    for (SInt16 n = 0; n < SInt16(kTonalitesStandard); n++) {
        if (ClasseTonique(n, mode) != tonic) continue;
        // Fewer accidentals win; at six apiece the flats do.
        if (best < 0 || Accidents(n) < Accidents(best) || (Accidents(n) == Accidents(best) && n >= 8)) best = n;
    }
    return best < 0 ? 0 : best;
}

namespace {

// +1 for a key written with sharps (or none), -1 with flats.
SInt16 CoteTonalite(const KeySignature *key) {
    SInt16 sharps = 0;
    SInt16 flats = 0;
    for (UInt8 degree : key->degrees) {
        if (degree == kAlterationDiese) sharps++;
        if (degree == kAlterationBemol) flats++;
    }
    return flats > sharps ? -1 : 1;
}

SInt16 AlterationDegre(UInt8 keyByte) {
    return keyByte == kAlterationDiese ? 1 : keyByte == kAlterationBemol ? -1 : 0;
}

UInt8 CodePourAlteration(SInt16 alteration) {
    switch (alteration) {
        case 1: return kAlterationDiese;
        case -1: return kAlterationBemol;
        case 2: return kAlterationDoubleDiese;
        case -2: return kAlterationDoubleBemol;
        default: return kAlterationBecarre;
    }
}

// The pitch as its natural degree moved by alteration, when that degree exists.
Boolean EssaieAlteration(SInt16 pitch, SInt16 alteration, SpellingRecord *spelling) {
    SInt16 natural = SInt16(pitch - alteration);
    SInt16 degree = kDegreNaturel[((natural % 12) + 12) % 12];
    if (degree < 0) return kFalse;
    SInt16 octave = SInt16(natural >= 0 ? natural / 12 : -1);
    spelling->degree = degree;
    spelling->alteration = alteration;
    spelling->octave = octave;
    spelling->position = SInt16(7 * octave + degree);
    if (spelling->position < 0 || spelling->position >= kPositions) return kFalse;
    return kTrue;
}

// Pitched notes move (an octave back when they would leave 0..127) and lose their written
// spelling so that the new key spells them; keys move round the circle of fifths.
void TransposePortee(StaffHandle staff, SInt16 semitones) {
    UInt32 type = (*staff)->type;
    if (!IsPorteeDeNotes(staff) || type == kPorteePercussion) return;
    for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
        NoteRecord *note = GetNotePtr(staff, i);
        if (note->pitch < 0) continue;
        SInt16 pitch = SInt16(note->pitch + semitones);
        while (pitch > 127) pitch = SInt16(pitch - 12);
        while (pitch < 0) pitch = SInt16(pitch + 12);
        note->pitch = SInt8(pitch);
        note->accidental = UInt8((note->accidental & ~kAlterationCode) | kAlterationAucune);
    }
    KeyClefChange *changes = reinterpret_cast<KeyClefChange *>(*(*staff)->changes);
    for (SInt32 i = 0; i < (*staff)->changeCount; i++) {
        KeySignature &key = changes[i].key;
        CvtTonaliteStdEnTonalite(TransposeTonaliteStd(SInt16(key.kind), key.mode, semitones), SInt16(key.mode), &key);
    }
    HookPorteeACalculer(staff);
}

SInt16 Accidents(SInt16 number) { return number <= 7 ? number : SInt16(number - 7); }

// Pitch class of the tonic of a standard key in a mode.
SInt16 ClasseTonique(SInt16 number, UInt32 mode) {
    static const SInt16 kMajeures[kTonalitesStandard] = {0, 7, 2, 9, 4, 11, 6, 1, 5, 10, 3, 8, 1, 6, 11};
    SInt16 major = kMajeures[number];
    return mode == kModeMajeur ? major : SInt16((major + 9) % 12);
}

}  // namespace
