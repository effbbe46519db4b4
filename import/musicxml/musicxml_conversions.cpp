// Small conversions the MusicXML passes share: accidental names to codes, and octave shifts of
// the notes under an octave-shift mark.
#include "import/musicxml/musicxml_import.h"

#include <cstring>

#include "score/notes.h"
#include "score/part_groups.h"

namespace {

struct AccidentalRow {
    const char *name;
    UInt8 code;
};

const AccidentalRow kAccidentals[] = {
    {"natural", kAlterationBecarre},          {"sharp", kAlterationDiese},
    {"flat", kAlterationBemol},               {"double-sharp", kAlterationDoubleDiese},
    {"sharp-sharp", kAlterationDoubleDiese},  {"flat-flat", kAlterationDoubleBemol},
};

const SInt32 kPasOctaveHampe = 21;  // a stem tip is counted 21 to the octave

void DecaleNotesPortee(StaffHandle staff, SInt32 from, SInt32 to, SInt16 octaves);

}  // namespace

UInt8 XMLGetAccidentalCode(const char *name) {
    for (const AccidentalRow &row : kAccidentals)
        if (name && strcmp(name, row.name) == 0) return row.code;
    return kAlterationAucune;
}

void XMLShiftOctaves(ScoreHandle score, SInt16 staff, SInt32 from, SInt32 to, SInt16 octaves) {
    if (!IsPartitionValide(score)) return;
    SInt16 index = CvtIndexPorteeEnIndexPorteeDebutFusion(score, staff);
    for (; index >= 0 && index < (*score)->staffCount; index++) {
        StaffHandle member = GetPortee(score, index);
        DecaleNotesPortee(member, from, to, octaves);
        if (!(*member)->continuedByNext) break;
    }
}

namespace {

// Pitches stay MIDI pitches: a note that an octave would carry outside 0..127 is left as written.
void DecaleNotesPortee(StaffHandle staff, SInt32 from, SInt32 to, SInt16 octaves) {
    for (SInt32 i = CvtTempsEnIndexNote(staff, from); i < (*staff)->noteCount; i++) {
        NoteRecord *note = GetNotePtr(staff, i);
        if (note->time >= to) break;
        if (note->pitch <= 0) continue;
        SInt32 pitch = note->pitch - 12 * SInt32(octaves);
        if (pitch < 0 || pitch > 127) continue;
        note->pitch = SInt8(pitch);
        if (note->stemTip == 0 || note->stemTip == kPasOctaveHampe) continue;
        SInt32 shift = kPasOctaveHampe * octaves * ((note->chordFlags & kAccordHampeBas) ? -1 : 1);
        SInt32 tip = note->stemTip + shift;
        if (tip > 0 && tip <= 255) note->stemTip = UInt8(tip);
    }
}

}  // namespace
