// The text dump of a score.
#include "tools/demo_scores/score_dump.h"

#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const char kLettres[7] = {'C', 'D', 'E', 'F', 'G', 'A', 'B'};
const char *const kClefs[4] = {"?", "G", "F", "C"};

const char *NomAlteration(SInt16 code);
const char *SigneAlteration(SInt16 alteration);
void EcritPortee(FILE *out, StaffHandle staff);

}  // namespace

void EcritDumpPartition(FILE *out, ScoreHandle score) {
    if (!out || !IsPartitionValide(score)) return;
    UpdateTabEltMesure(score, kTabEltTout);
    fprintf(out, "score staves=%d measures=%d tempo=%d\n", (*score)->staffCount, int((*score)->measureCount),
            (*score)->tempo);
    for (SInt32 m = 0; m < (*score)->measureCount; m++) {
        const MeasureElement *element = GetMesurePtr(score, m);
        KeySignature key;
        SInt16 number = CvtMesureEnTonalite(score, m, &key);
        fprintf(out, "measure %d start=%d length=%d time=%d/%d key=%d%s\n", int(m + 1), int(element->start),
                int(element->length), element->signature.numerator, element->signature.denominator, number,
                key.mode == kModeMajeur ? "" : " minor");
    }
    for (SInt16 s = 0; s < (*score)->staffCount; s++) EcritPortee(out, GetPortee(score, s));
}

void NomNoteDump(StaffHandle staff, SInt32 index, char name[16]) {
    name[0] = 0;
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note) return;
    if (note->pitch < 0) {
        snprintf(name, 16, "%s", note->pitch == kPitchSilence ? "rest" : "sign");
        return;
    }
    KeySignature key;
    CvtTempsEnTonalite(staff, note->time, &key);
    SpellingRecord spelling;
    if (!EpelleHauteur(note->pitch, note->accidental, &key, &spelling)) return;
    snprintf(name, 16, "%c%s%d", kLettres[spelling.degree], SigneAlteration(spelling.alteration), spelling.octave - 1);
}

namespace {

const char *NomAlteration(SInt16 code) {
    switch (code) {
        case kAlterationBecarre: return "natural";
        case kAlterationDiese: return "sharp";
        case kAlterationBemol: return "flat";
        case kAlterationDoubleDiese: return "double-sharp";
        case kAlterationDoubleBemol: return "double-flat";
        default: return nullptr;
    }
}

const char *SigneAlteration(SInt16 alteration) {
    switch (alteration) {
        case 1: return "#";
        case 2: return "##";
        case -1: return "b";
        case -2: return "bb";
        default: return "";
    }
}

void EcritPortee(FILE *out, StaffHandle staff) {
    ClefRecord clef;
    CvtMesureEnClef(staff, 0, &clef);
    fprintf(out, "staff %d type=%u clef=%s notes=%d\n", (*staff)->index + 1, unsigned((*staff)->type),
            kClefs[clef.kind <= kCleUt ? clef.kind : 0], int((*staff)->noteCount));
    for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
        NoteRecord note = *GetNotePtr(staff, i);
        char name[16];
        NomNoteDump(staff, i, name);
        fprintf(out, "note %d t=%d d=%u %s", int(i), int(note.time), unsigned(note.duration), name);
        if (note.pitch >= 0) {
            SInt16 position = 0;
            SInt16 shown = kAlterationAucune;
            CalcPosAlterationFnNote(staff, &note, &position, &shown, i, note.time);
            SInt16 base = CvtTempsEnNoteDeBase(staff, note.time);
            SpellingRecord baseSpelling;
            EpelleHauteur(base, kAlterationAucune, nullptr, &baseSpelling);
            fprintf(out, " step=%d", position - baseSpelling.position);
            if (const char *accidental = NomAlteration(shown)) fprintf(out, " acc=%s", accidental);
        }
        if (note.chordFlags & kAccordChaine) fprintf(out, " chain");
        fputc('\n', out);
    }
}

}  // namespace
