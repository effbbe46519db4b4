// The "orchestra" demo, a score to lay out on pages: a title and a composer, flute, violin and
// cello, and a piano on two staves under a brace whose bar lines run through, 64 measures of
// four-measure phrases in G major and 4/4.
#include "tools/demo_scores/demo_builders.h"

#include <cstring>

#include "engraving/staff_services.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"
#include "tools/demo_scores/demo_documents.h"

namespace {

const SInt32 kMesuresOrchestre = 64;
const SInt32 kMesure = kTempsRonde;
const SInt32 kCroche = kTempsNoire / 2;
const SInt32 kBlanche = 2 * kTempsNoire;
const float kZoomOrchestre = 0.75f;        // the document's zoom: staves of 4.5-point spaces
const SInt16 kHauteurInstrument = 78;      // points a melody staff takes (13 spaces)
const SInt16 kHauteurPiano = 66;
// G major over two octaves from G3, by degree.
const SInt16 kGammeSol[15] = {55, 57, 59, 60, 62, 64, 66, 67, 69, 71, 72, 74, 76, 78, 79};
// The bass of each measure of a four-measure phrase (degree of the scale) and its chord.
const SInt16 kBasses[4] = {0, 3, 4, 0};

struct PartRecord {
    const char *longName, *shortName;
    SInt16 program;
    UInt8 clef;
};
const PartRecord kParties[5] = {
    {"Flute", "Fl.", 73, kCleSol}, {"Violin", "Vln.", 40, kCleSol}, {"Cello", "Vc.", 42, kCleFa},
    {nullptr, nullptr, 0, kCleSol}, {nullptr, nullptr, 0, kCleFa},
};

SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time, SInt32 duration, UInt8 flags = 0);
OSErr Flute(StaffHandle staff, SInt32 m);
OSErr Violon(StaffHandle staff, SInt32 m);
OSErr Violoncelle(StaffHandle staff, SInt32 m);
OSErr PianoDroite(StaffHandle staff, SInt32 m);
OSErr PianoGauche(StaffHandle staff, SInt32 m);
void Titre(TitleSlot *slot, const char *text, SInt16 justification, SInt16 size, SInt32 vertical);

}  // namespace

OSErr ConstruitOrchestre(DocumentRecord *document) {
    ScoreHandle score = CreePartitionVide(document);
    if (!score) return memFullErr;
    KeySignature g;
    CvtTonaliteStdEnTonalite(1, kModeMajeur, &g);
    OSErr (*const parts[5])(StaffHandle, SInt32) = {Flute, Violon, Violoncelle, PianoDroite, PianoGauche};
    SInt16 piano = -1;
    for (SInt16 s = 0; s < 5; s++) {
        const PartRecord &part = kParties[s];
        StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
        if (!staff) return memFullErr;
        if (s < 3 || piano < 0) {
            SInt16 instrument = AjouteInstrument(score);
            if (instrument < 0) return memFullErr;
            InstrumentRecord *record = GetInstrumentPtr(score, instrument);
            record->program = part.program;
            record->channel = SInt16(s + 1);
            std::strcpy(record->name, part.longName ? part.longName : "Piano");
            if (s >= 3) piano = instrument;
            (*staff)->instrument = instrument;
        } else {
            (*staff)->instrument = piano;
        }
        ClefRecord clef;
        CvtTypeClefEnClefStandard(part.clef, &clef);
        if (FixeClefMesure(score, staff, 0, &clef, 0) != noErr) return paramErr;
        if (part.longName && (SetNomPortee(staff, part.longName) != noErr || SetNomAbregePortee(staff, part.shortName) != noErr))
            return memFullErr;
        SetHauteurPortee(staff, s < 3 ? kHauteurInstrument : kHauteurPiano);
        for (SInt32 m = 0; m < kMesuresOrchestre; m++)
            if (parts[s](staff, m) != noErr) return memFullErr;
    }
    if (FixeTonaliteMesure(score, nullptr, 0, &g, 0) != noErr) return paramErr;
    if (NewPartGroup(score, kGroupeAccolade, 1, 3, 4, 2, "Piano", "Pno.") < 0) return memFullErr;
    Titre(&document->titles[0], "Orchestra", 1, 24, 0);
    Titre(&document->titles[1], "Ondrak Music Demo", -1, 11, 120);
    document->zoom = kZoomOrchestre;
    return TermineDemo(score);
}

namespace {

SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time, SInt32 duration, UInt8 flags) {
    NoteRecord note;
    RazNote(&note, pitch, duration);
    note.chordFlags = flags;
    return InsereNote(staff, &note, time, 0, 1);
}

SInt16 Degre(SInt32 degree) { return kGammeSol[(degree % 15 + 15) % 15]; }

// Eighths up the chord and back in odd phrases, quarters in even ones, a half note to end each phrase.
OSErr Flute(StaffHandle staff, SInt32 m) {
    SInt32 t = m * kMesure, root = kBasses[m % 4] + 7;
    if (m % 4 == 3) {
        if (Pose(staff, Degre(root + 2), t, kBlanche) < 0 || Pose(staff, Degre(root), t + kBlanche, kBlanche) < 0)
            return memFullErr;
        return noErr;
    }
    if ((m / 4) % 2 == 0) {
        for (SInt32 i = 0; i < 8; i++)
            if (Pose(staff, Degre(root + (i < 4 ? i : 7 - i) * 2 % 7), t + i * kCroche, kCroche, i % 4 != 3 ? kAccordGroupe : 0) < 0)
                return memFullErr;
        return noErr;
    }
    for (SInt32 i = 0; i < 4; i++)
        if (Pose(staff, Degre(root + 4 - i), t + i * kTempsNoire, kTempsNoire) < 0) return memFullErr;
    return noErr;
}

OSErr Violon(StaffHandle staff, SInt32 m) {
    SInt32 t = m * kMesure, root = kBasses[m % 4] + 2;
    for (SInt32 i = 0; i < 4; i++)
        if (Pose(staff, Degre(root + (i % 2) * 2), t + i * kTempsNoire, kTempsNoire) < 0) return memFullErr;
    return noErr;
}

OSErr Violoncelle(StaffHandle staff, SInt32 m) {
    SInt32 t = m * kMesure;
    SInt16 bass = SInt16(Degre(kBasses[m % 4]) - 12);
    if (Pose(staff, bass, t, kBlanche) < 0 || Pose(staff, SInt16(bass + 7), t + kBlanche, kBlanche) < 0) return memFullErr;
    return noErr;
}

// Half-note chords on the root, third and fifth.
OSErr PianoDroite(StaffHandle staff, SInt32 m) {
    SInt32 t = m * kMesure, root = kBasses[m % 4] + 3;
    for (SInt32 half = 0; half < 2; half++)
        for (SInt32 k = 0; k < 3; k++)
            if (Pose(staff, Degre(root + 2 * k + half), t + half * kBlanche, kBlanche) < 0) return memFullErr;
    return noErr;
}

OSErr PianoGauche(StaffHandle staff, SInt32 m) {
    SInt32 t = m * kMesure;
    SInt16 bass = SInt16(Degre(kBasses[m % 4]) - 12);
    const SInt16 steps[4] = {0, 7, 12, 7};
    for (SInt32 i = 0; i < 4; i++)
        if (Pose(staff, SInt16(bass + steps[i]), t + i * kTempsNoire, kTempsNoire) < 0) return memFullErr;
    return noErr;
}

void Titre(TitleSlot *slot, const char *text, SInt16 justification, SInt16 size, SInt32 vertical) {
    std::memset(slot, 0, sizeof *slot);
    std::strncpy(slot->text, text, sizeof slot->text - 1);
    slot->justification = justification;
    slot->style.font = 20;
    slot->style.size = size;
    slot->vertical = vertical;
}

}  // namespace
