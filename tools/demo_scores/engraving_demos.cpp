// The demo scores that show engraving: the bass clef, beamed eighths, ties, rests, repeats with
// endings, a showcase of marks, ornaments and staff objects, and a large score for benchmarks.
#include "tools/demo_scores/demo_builders.h"

#include <cstring>
#include <initializer_list>

#include "engraving/links.h"
#include "score/tempo_objects.h"
#include "platform/core/memory.h"
#include "score/dynamics_objects.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/note_params.h"
#include "score/notes.h"
#include "score/ruptures.h"
#include "tools/demo_scores/demo_documents.h"

namespace {

const SInt32 kCroche = kTempsNoire / 2;
const SInt32 kDoubleCroche = kTempsNoire / 4;
const SInt32 kBlanche = 2 * kTempsNoire;
const SInt32 kMesure = kTempsRonde;  // a 4/4 measure
const UInt8 kTriolet = 0x23;          // three in the time of two
const SInt32 kMesuresGrande = 120;
const SInt16 kPorteesGrande = 5;

SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time, SInt32 duration, UInt8 accidental = kAlterationAucune,
            UInt8 flags = 0, UInt8 tuplet = 0);
void Marque(StaffHandle staff, SInt32 index, UInt8 type, UInt8 placement = 0);
SInt32 Objet(StaffHandle staff, UInt32 kind, SInt32 start, SInt32 end, SInt32 top, SInt32 bottom);
OSErr Rupture(ScoreHandle score, SInt16 kind, SInt32 time, SInt32 ending, const char *text);

}  // namespace

OSErr ConstruitBasse(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    if (FixeClefMesure(score, staff, 0, &bass, 0) != noErr) return paramErr;
    const SInt16 pitches[8] = {48, 50, 52, 53, 55, 57, 59, 60};
    for (SInt32 i = 0; i < 8; i++)
        if (Pose(staff, pitches[i], i * kTempsNoire, kTempsNoire) < 0) return memFullErr;
    return TermineDemo(score);
}

OSErr ConstruitCroches(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    const SInt16 pitches[8] = {60, 64, 67, 64, 74, 71, 67, 71};
    for (SInt32 i = 0; i < 16; i++)
        if (Pose(staff, pitches[i % 8], i * kCroche, kCroche, kAlterationAucune, i % 4 != 3 ? kAccordGroupe : 0) < 0)
            return memFullErr;
    return TermineDemo(score);
}

OSErr ConstruitLiaisons(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    SInt32 a = Pose(staff, 69, 0, kBlanche);
    SInt32 b = Pose(staff, 69, kBlanche, kTempsNoire);
    SInt32 c = Pose(staff, 62, 3 * kTempsNoire, kTempsNoire);
    SInt32 d = Pose(staff, 62, kMesure, kBlanche);
    if (d < 0 || Pose(staff, 71, kMesure + kBlanche, kBlanche) < 0) return memFullErr;
    if (!LieDeuxNotes(staff, a, b) || !LieDeuxNotes(staff, c, d)) return paramErr;
    return TermineDemo(score);
}

OSErr ConstruitSilences(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    if (Pose(staff, kPitchSilence, 0, kTempsNoire) < 0 || Pose(staff, kPitchSilence, kTempsNoire, kCroche) < 0 ||
        Pose(staff, 67, kTempsNoire + kCroche, kCroche) < 0 || Pose(staff, kPitchSilence, kBlanche, kBlanche) < 0 ||
        Pose(staff, kPitchSilence, kMesure, kMesure) < 0)
        return memFullErr;
    return TermineDemo(score);
}

OSErr ConstruitReprises(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    const SInt16 pitches[8] = {67, 71, 69, 72, 71, 74, 72, 76};
    for (SInt32 i = 0; i < 8; i++)
        if (Pose(staff, pitches[i], i * kBlanche, kBlanche) < 0) return memFullErr;
    OSErr err = Rupture(score, kRuptureDebutReprise, kMesure, 0, nullptr);
    if (err == noErr) err = Rupture(score, kRuptureDebutFin, 2 * kMesure, 1, nullptr);
    if (err == noErr) err = Rupture(score, kRuptureFinReprise, 3 * kMesure - 2, 0, nullptr);
    if (err == noErr) err = Rupture(score, kRuptureDebutFin, 3 * kMesure, 2, nullptr);
    if (err == noErr) err = Rupture(score, kRuptureFinFin, 4 * kMesure - 2, 0, nullptr);
    return err != noErr ? err : TermineDemo(score);
}

OSErr ConstruitVitrine(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    // Measure 0: articulations, a fermata, tempo, piano and a crescendo.
    Marque(staff, Pose(staff, 72, 0, kTempsNoire), 60);
    Marque(staff, Pose(staff, 74, kTempsNoire, kTempsNoire), 94);
    Marque(staff, Pose(staff, 76, kBlanche, kBlanche), 49);
    AjouteObjetTempo(score, staff, 0, 96.0f);
    Objet(staff, 5, 0, kCroche, 10, 26);
    Objet(staff, kDynamiqueCrescendo, kBlanche, kMesure + kTempsNoire, 10, 22);
    // Measure 1: a triplet, a rest, a grace note before a quarter, sixteenths.
    SInt32 t = kMesure;
    const SInt16 triplet[3] = {64, 65, 67}, sixteenths[4] = {71, 72, 74, 76};
    for (SInt32 i = 0; i < 3; i++)
        Pose(staff, triplet[i], t + i * kTempsNoire / 3, kTempsNoire / 3, kAlterationAucune, i < 2 ? kAccordGroupe : 0,
             kTriolet);
    Pose(staff, kPitchSilence, t + kTempsNoire, kTempsNoire);
    SInt32 main = Pose(staff, 69, t + kBlanche, kTempsNoire);
    NoteEffectRecord *record = CreeParamEffetIndexNote(staff, main);
    if (!record) return memFullErr;
    record->grace = 1;
    record->graces[0] = GraceEntry{1, kAppoggiatureAvant, -2, kAlterationAucune, 1, 255, 0};
    record->graceSlash = 1;
    record->graceSlurred = 1;
    for (SInt32 i = 0; i < 4; i++)
        Pose(staff, sixteenths[i], t + 3 * kTempsNoire + i * kDoubleCroche, kDoubleCroche, kAlterationAucune,
             i < 3 ? kAccordGroupe : 0);
    // Measure 2: a chord with a second and a sharp, a dotted quarter and an eighth, a segno.
    t = 2 * kMesure;
    for (SInt16 pitch : {60, 62, 66}) Pose(staff, pitch, t, kBlanche, pitch == 66 ? kAlterationDiese : kAlterationAucune);
    Pose(staff, 67, t + kBlanche, 3 * kCroche);
    Pose(staff, 69, t + kBlanche + 3 * kCroche, kCroche);
    Rupture(score, kRuptureSegno, t, 0, nullptr);
    // Measure 3: D major, ledger lines above, a slur over the measure, forte.
    t = 3 * kMesure;
    SInt32 first = Pose(staff, 66, t, kTempsNoire);
    Pose(staff, 73, t + kTempsNoire, kTempsNoire);
    Pose(staff, 81, t + kBlanche, kTempsNoire);
    SInt32 last = Pose(staff, 86, t + 3 * kTempsNoire, kTempsNoire);
    KeySignature d;
    CvtTonaliteStdEnTonalite(2, kModeMajeur, &d);
    if (FixeTonaliteMesure(score, staff, 3, &d, 0) != noErr || !SetLiaison(staff, first, staff, last, kLiaisonCoule))
        return paramErr;
    Objet(staff, 8, t, t + kCroche, 10, 26);
    // Measures 4 to 7 in 3/4: a tie and the pedal, an octave line and a coda, the bass clef and
    // a diminuendo, a measure repeated, and the jump back.
    TimeSignature three = {};
    three.numerator = three.shownNumerator = 3;
    three.denominator = 4;
    three.shownDenominator = 4;
    GetDefautMasqueAccroche(3, three.beamMask);
    if (EtendTableMesures(score, 5 * kMesure) != noErr ||
        FixeDivisionMesurePartition(score, 4, &three, 1, 0, 1) != noErr)
        return paramErr;
    const SInt32 bar = 3 * kTempsNoire;
    t = 4 * kMesure;
    SInt32 tied = Pose(staff, 71, t, kBlanche);
    if (!LieDeuxNotes(staff, tied, Pose(staff, 71, t + kBlanche, kTempsNoire))) return paramErr;
    Objet(staff, kDynamiquePedaleBas, t, t + kCroche, 26, 34);
    Objet(staff, kDynamiquePedaleHaut, t + kBlanche + kCroche, t + kBlanche + kTempsNoire, 26, 34);
    t += bar;
    const SInt16 high[3] = {84, 88, 91}, low[3] = {48, 52, 55};
    for (SInt32 i = 0; i < 3; i++) Pose(staff, high[i], t + i * kTempsNoire, kTempsNoire);
    Objet(staff, kDynamiqueOctaveHaut, t, t + bar - 2, -42, -32);
    Rupture(score, kRuptureCoda, t, 0, nullptr);
    t += bar;
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    for (SInt32 i = 0; i < 3; i++) Pose(staff, low[i], t + i * kTempsNoire, kTempsNoire);
    if (FixeClefMesure(score, staff, 6, &bass, 0) != noErr) return paramErr;
    Objet(staff, kDynamiqueDiminuendo, t, t + bar - kTempsNoire, 16, 28);
    t += bar;
    Pose(staff, kPitchRepetitionMesure, t, bar);
    OSErr err = Rupture(score, kRuptureDalSegno, t + bar - 2, 0, nullptr);
    GetRupturePtr(score, (*score)->ruptureCount - 1)->passage = 1;
    return err != noErr ? err : TermineDemo(score);
}

OSErr ConstruitGrande(DocumentRecord *document) {
    ScoreHandle score = CreePartitionVide(document);
    if (!score) return memFullErr;
    SInt16 instrument = AjouteInstrument(score);
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    const SInt16 kMelodie[8] = {0, 2, 4, 5, 7, 9, 11, 12};
    for (SInt16 s = 0; s < kPorteesGrande; s++) {
        StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
        if (!staff) return memFullErr;
        (*staff)->instrument = instrument;
        Boolean treble = s < 3;
        if (!treble && FixeClefMesure(score, staff, 0, &bass, 0) != noErr) return paramErr;
        SInt16 base = treble ? SInt16(60 + 12 * (s == 0)) : SInt16(43 + 12 * (s == 3));
        for (SInt32 m = 0; m < kMesuresGrande; m++) {
            SInt32 t = m * kMesure;
            SInt32 firstEighth = -1, quarter = -1;
            for (SInt32 i = 0; i < 4; i++) {
                SInt16 pitch = SInt16(base + kMelodie[(m + i + s) % 8]);
                UInt8 accidental = (m + i) % 11 == 0 ? kAlterationDiese : kAlterationAucune;
                if (accidental == kAlterationDiese) pitch++;
                SInt32 index = Pose(staff, pitch, t + i * kCroche, kCroche, accidental, i < 3 ? kAccordGroupe : 0);
                if (index < 0) return memFullErr;
                if (i == 0) {
                    if (Pose(staff, SInt16(pitch + 4), t, kCroche, kAlterationAucune, kAccordGroupe) < 0) return memFullErr;
                    firstEighth = index;
                }
            }
            for (SInt32 i = 0; i < 2; i++) {
                quarter = Pose(staff, SInt16(base + kMelodie[(m * 3 + i) % 8]), t + kBlanche + i * kTempsNoire, kTempsNoire);
                if (quarter < 0) return memFullErr;
            }
            if (m % 4 == 1) SetLiaison(staff, firstEighth, staff, quarter, kLiaisonCoule);
            if (m % 8 == 0) Objet(staff, m % 16 ? 8 : 5, t, t + kCroche, 10, 26);
            if (m % 8 == 4) Objet(staff, kDynamiqueCrescendo, t, t + kBlanche, 12, 22);
        }
    }
    KeySignature g;
    CvtTonaliteStdEnTonalite(1, kModeMajeur, &g);
    if (FixeTonaliteMesure(score, nullptr, kMesuresGrande / 2, &g, 0) != noErr) return paramErr;
    return TermineDemo(score);
}

namespace {

SInt32 Pose(StaffHandle staff, SInt16 pitch, SInt32 time, SInt32 duration, UInt8 accidental, UInt8 flags, UInt8 tuplet) {
    NoteRecord note;
    RazNote(&note, pitch, duration);
    note.accidental = accidental;
    note.chordFlags = flags;
    note.tuplet = tuplet;
    return InsereNote(staff, &note, time, 0, 1);
}

void Marque(StaffHandle staff, SInt32 index, UInt8 type, UInt8 placement) {
    MarkRecord mark;
    std::memset(&mark, 0, sizeof mark);
    mark.type = type;
    mark.placement = placement;
    mark.prepared = 1;
    AjouteMarqueNote(staff, index, &mark);
}

SInt32 Objet(StaffHandle staff, UInt32 kind, SInt32 start, SInt32 end, SInt32 top, SInt32 bottom) {
    SInt32 index = NewDynamique(staff);
    DynamicsObject *object = GetDynamiquePtr(staff, index);
    if (!object) return -1;
    object->kind = kind;
    object->inUse = 1;
    object->startTime = start;
    object->endTime = end;
    object->top = top;
    object->bottom = bottom;
    object->secondFlag = 1;
    return index;
}

// Adds a rupture with its kind's action: an ending number from 1, 0 for none.
OSErr Rupture(ScoreHandle score, SInt16 kind, SInt32 time, SInt32 ending, const char *text) {
    RuptureRecord *r = GetRupturePtr(score, AjouteRupture(score, kind, time));
    if (!r) return memFullErr;
    if (ending >= 1 && ending <= kRuptureFins) r->endings[ending - 1] = 1;
    if (text) strncpy(r->text, text, kRuptureTexteTaille - 1);
    return noErr;
}

}  // namespace
