// The playback demos: dynamics, tempo, metronome, and repeats, endings and jumps.
#include "tools/demo_scores/playback_demos.h"

#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/dynamics_objects.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/notes.h"
#include "score/played_measures.h"
#include "score/ruptures.h"
#include "score/tempo_map.h"
#include "tools/demo_scores/demo_documents.h"

namespace {

// The whole note of each measure of a repeat demo: C4 D4 E4 F4 G4 A4 B4 C5.
const SInt16 kHauteursMesures[8] = {60, 62, 64, 65, 67, 69, 71, 72};

OSErr NotesRegulieres(StaffHandle staff, SInt16 pitch, SInt32 count, SInt32 length);
OSErr AjouteObjet(StaffHandle staff, UInt32 kind, SInt32 start, SInt32 end);

}  // namespace

const RepeatDemoRow kRepeatDemos[kDemosReprise] = {
    // |: A B :| C  D.C. al Fine, Fine at B
    {3, {{kRuptureDebutReprise, 0, 0, 0, 0}, {kRuptureFinReprise, 1, 0, 0, 0}, {kRuptureFine, 1, 0, 0, 0},
         {kRuptureDaCapo, 2, 0, 0, 0}}, 4, nullptr},
    // |: A |1 B :|2 C | D
    {4, {{kRuptureDebutReprise, 0, 0, 0, 0}, {kRuptureDebutFin, 1, 1, 0, 0}, {kRuptureFinReprise, 1, 0, 0, 0},
         {kRuptureDebutFin, 2, 2, 0, 0}, {kRuptureFinFin, 2, 0, 0, 0}}, 5, nullptr},
    // |: A |1,2 B :|3 C | D
    {4, {{kRuptureDebutReprise, 0, 0, 0, 0}, {kRuptureDebutFin, 1, 3, 0, 0}, {kRuptureFinReprise, 1, 0, 0, 0},
         {kRuptureDebutFin, 2, 4, 0, 0}, {kRuptureFinFin, 2, 0, 0, 0}}, 5, nullptr},
    // |: A |: B :| C :|
    {3, {{kRuptureDebutReprise, 0, 0, 0, 0}, {kRuptureDebutReprise, 1, 0, 0, 0}, {kRuptureFinReprise, 1, 0, 0, 0},
         {kRuptureFinReprise, 2, 0, 0, 0}}, 4, nullptr},
    // |: A :| three times
    {1, {{kRuptureDebutReprise, 0, 0, 0, 0}, {kRuptureFinReprise, 0, 0, 3, 0}}, 2, nullptr},
    // A :| B
    {2, {{kRuptureFinReprise, 0, 0, 0, 0}}, 1, nullptr},
    // A, segno B, C "to coda", D "D.S. al Coda", coda E
    {5, {{kRuptureSegno, 1, 0, 0, 0}, {kRuptureVersCoda, 2, 0, 0, 0}, {kRuptureDalSegno, 3, 0, 0, 0},
         {kRuptureCoda, 4, 0, 0, 0}}, 4, nullptr},
    // A, segno B "fine", C "D.S. al Fine"
    {3, {{kRuptureSegno, 1, 0, 0, 0}, {kRuptureFine, 1, 0, 0, 0}, {kRuptureDalSegno, 2, 0, 0, 0}}, 3, nullptr},
    // A B C played as "1-2,1,3"
    {3, {}, 0, "1-2,1,3"},
};

OSErr ConstruitDemoReprise(DocumentRecord *document, const RepeatDemoRow *row) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff || row->measures < 1 || row->measures > 8) return memFullErr;
    for (SInt32 m = 0; m < row->measures; m++) {
        NoteRecord note;
        RazNote(&note, kHauteursMesures[m], kTempsRonde);
        if (InsereNote(staff, &note, m * kTempsRonde, 0, 1) < 0) return memFullErr;
    }
    OSErr err = TermineDemo(score);
    for (SInt32 i = 0; err == noErr && i < row->rupturesCount; i++) {
        const RuptureDemoRecord &r = row->ruptures[i];
        SInt32 index = AjouteRuptureEnMesure(score, r.kind, r.measure, 1);
        RuptureRecord *rupture = GetRupturePtr(score, index);
        if (!rupture) return memFullErr;
        for (SInt32 n = 0; n < kRuptureFins; n++) rupture->endings[n] = UInt8((r.endings >> n) & 1);
        if (r.passCount) rupture->passCount = r.passCount;
        rupture->parameter = r.parameter;
    }
    RemetRupturesEnForme(score);
    if (err != noErr || !row->custom) return err;
    Handle logical = CvtStringToTabMesures(score, row->custom, SInt32(strlen(row->custom)));
    Handle physical = logical ? ConvertTabMesureLogiqueEnPhysique(score, logical) : nullptr;
    err = physical ? FixeTabMesuresJouees(score, physical) : OSErr(paramErr);
    if (err == noErr) (*score)->customPlay = 1;
    if (logical) DisposHandle(logical);
    if (physical) DisposHandle(physical);
    return err;
}

// Four quarters of C4 under "p", then four under "f".
OSErr ConstruitDynamiques(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    OSErr err = NotesRegulieres(staff, 60, 8, kTempsNoire);
    if (err == noErr) err = AjouteObjet(staff, kDynamiquePPP + 2, 0, kTempsNoire / 2);
    if (err == noErr) err = AjouteObjet(staff, kDynamiquePPP + 5, kTempsRonde, kTempsRonde + kTempsNoire / 2);
    return err == noErr ? TermineDemo(score) : err;
}

// Eight quarters of C4 under a crescendo from "p" to the "f" of the ninth.
OSErr ConstruitCrescendo(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    OSErr err = NotesRegulieres(staff, 60, 9, kTempsNoire);
    if (err == noErr) err = AjouteObjet(staff, kDynamiquePPP + 2, 0, kTempsNoire / 2);
    if (err == noErr) err = AjouteObjet(staff, kDynamiqueCrescendo, 0, 2 * kTempsRonde);
    if (err == noErr) err = AjouteObjet(staff, kDynamiquePPP + 5, 2 * kTempsRonde, 2 * kTempsRonde + kTempsNoire / 2);
    return err == noErr ? TermineDemo(score) : err;
}

// Four quarters at the score's 120, then a tempo mark of 60 and four more.
OSErr ConstruitTempo(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    OSErr err = NotesRegulieres(staff, 60, 8, kTempsNoire);
    if (err == noErr) err = AjouteObjet(staff, kDynamiqueTempo, kTempsRonde, kTempsRonde + kTempsNoire / 2);
    return err == noErr ? TermineDemo(score) : err;
}

// Two empty 4/4 measures and the metronome staff.
OSErr ConstruitMetronome(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    TimeSignature four = GetMesurePtr(score, 0)->signature;
    if (InsereMesureChangeEchelleMesure(score, 1, 1, 0, &four, 1) != noErr) return memFullErr;
    if (!CreePorteeMetronome(score)) return memFullErr;
    return TermineDemo(score);
}

namespace {

OSErr NotesRegulieres(StaffHandle staff, SInt16 pitch, SInt32 count, SInt32 length) {
    for (SInt32 i = 0; i < count; i++) {
        NoteRecord note;
        RazNote(&note, pitch, length);
        if (InsereNote(staff, &note, i * length, 0, 1) < 0) return memFullErr;
    }
    return noErr;
}

// Appends a dynamics object: a mark, a hairpin (velocities 50 to 100 or 100 to 50) or a tempo
// mark of 60 quarters a minute.
OSErr AjouteObjet(StaffHandle staff, UInt32 kind, SInt32 start, SInt32 end) {
    DynamicsObject *object = GetDynamiquePtr(staff, NewDynamique(staff));
    if (!object) return memFullErr;
    object->kind = kind;
    object->inUse = 1;
    object->startTime = start;
    object->endTime = end;
    object->values[0] = 65535;
    object->values[1] = 16383;
    object->tempoPercent = kTempoPourcentNormal;
    object->beatUnit = kTempsNoire;
    object->secondFlag = 1;
    if (kind == kDynamiqueTempo) InjecteTempoDansDynamique(object, 60);
    object->startVelocity = kind == kDynamiqueCrescendo ? 50 : 100;
    object->endVelocity = kind == kDynamiqueDiminuendo ? 50 : 100;
    return noErr;
}


}  // namespace
