// The demo scores.
#include "tools/demo_scores/demo_scores.h"

#include <cstring>

#include "platform/core/memory.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "tools/demo_scores/demo_builders.h"
#include "tools/demo_scores/playback_demos.h"

namespace {

const SInt32 kMesuresLongue = 2000;
const SInt16 kPorteesLongue = 8;
const SInt32 kMesuresEnsemble = 120;
const SInt16 kPorteesEnsemble = 5;
const SInt16 kGammeMajeure[8] = {0, 2, 4, 5, 7, 9, 11, 12};

OSErr ConstruitGamme(DocumentRecord *document);
OSErr ConstruitAccords(DocumentRecord *document);
OSErr ConstruitAlterations(DocumentRecord *document);
OSErr ConstruitLongue(DocumentRecord *document);
OSErr ConstruitEnsemble(DocumentRecord *document);

const DemoScoreRow kDemos[] = {
    {"scale", "C major scale, C4 to C5 in quarters, 4/4", ConstruitGamme},
    {"chords", "C-E-G then C-D, half notes", ConstruitAccords},
    {"accidentals", "F#4 Bb4 F#4 F4 in one measure", ConstruitAlterations},
    {"long", "2,000 measures of quarters on 8 staves", ConstruitLongue},
    {"bass", "C3 to C4 in quarters under the bass clef", ConstruitBasse},
    {"eighths", "two 4/4 measures of eighths beamed by half bar", ConstruitCroches},
    {"ties", "a tie within a measure and one across the bar line", ConstruitLiaisons},
    {"rests", "quarter, eighth and half rests, then a whole-measure rest", ConstruitSilences},
    {"repeats", "a repeat with first and second endings", ConstruitReprises},
    {"showcase", "marks, ornaments, tuplets, slurs, clef, key and time changes, staff objects, jumps", ConstruitVitrine},
    {"large", "5 staves, 120 measures, about 4,000 notes, slurs and dynamics", ConstruitGrande},
    {"orchestra", "flute, violin, cello and piano, 64 measures with a title, for pages", ConstruitOrchestre},
    {"ensemble", "120 measures of quarters on 5 staves, four minutes at 120", ConstruitEnsemble},
    {"dynamics", "four quarters of C4 under p, then four under f", ConstruitDynamiques},
    {"crescendo", "eight quarters of C4 in a crescendo from p to the f of a ninth", ConstruitCrescendo},
    {"tempo", "four quarters at 120, then a tempo mark of 60 and four more", ConstruitTempo},
    {"metronome", "two empty 4/4 measures and the metronome staff", ConstruitMetronome},
    {"repeat-dc", "|: A B :| C, D.C. al Fine, Fine at B", ConstruitDemoRepriseRang<0>},
    {"endings", "|: A |1 B :|2 C | D", ConstruitDemoRepriseRang<1>},
    {"endings3", "|: A |1,2 B :|3 C | D", ConstruitDemoRepriseRang<2>},
    {"nested", "|: A |: B :| C :|", ConstruitDemoRepriseRang<3>},
    {"times3", "|: A :| played three times", ConstruitDemoRepriseRang<4>},
    {"no-start", "A :| B", ConstruitDemoRepriseRang<5>},
    {"ds-coda", "A, segno B, C to coda, D D.S. al Coda, coda E", ConstruitDemoRepriseRang<6>},
    {"ds-fine", "A, segno B with Fine, C D.S. al Fine", ConstruitDemoRepriseRang<7>},
    {"custom", "A B C played as 1-2,1,3", ConstruitDemoRepriseRang<8>},
};

struct NoteDemo {
    SInt16 pitch;
    UInt8 accidental;
    SInt32 time;
    SInt32 duration;
};

OSErr InsereNotes(StaffHandle staff, const NoteDemo *notes, SInt32 count);

}  // namespace

const DemoScoreRow *GetDemoScores(SInt32 *count) {
    if (count) *count = SInt32(sizeof kDemos / sizeof kDemos[0]);
    return kDemos;
}

const DemoScoreRow *RechercheDemoScore(const char *name) {
    if (!name) return nullptr;
    for (const DemoScoreRow &row : kDemos)
        if (strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

DocumentRecord *CreeDemoScore(const char *name) {
    const DemoScoreRow *row = RechercheDemoScore(name);
    return row ? CreeDocumentDemo(row->build) : nullptr;
}

OSErr ConstruitDemoLongue(DocumentRecord *document, SInt32 measures, SInt16 staves) {
    ScoreHandle score = CreePartitionVide(document);
    if (!score || measures < 1 || staves < 1) return paramErr;
    SInt16 instrument = AjouteInstrument(score);
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    for (SInt16 s = 0; s < staves; s++) {
        StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
        if (!staff) return memFullErr;
        (*staff)->instrument = instrument;
        Boolean treble = s < (staves + 1) / 2;
        if (!treble && FixeClefMesure(score, staff, 0, &bass, 0) != noErr) return paramErr;
        SInt16 base = treble ? 60 : 48;
        for (SInt32 m = 0; m < measures; m++) {
            for (SInt32 beat = 0; beat < 4; beat++) {
                NoteRecord note;
                RazNote(&note, SInt16(base + kGammeMajeure[(m * 3 + beat + s) % 8]), kTempsNoire);
                SInt32 time = m * kTempsRonde + beat * kTempsNoire;
                if (InsereNote(staff, &note, time, 0, 1) < 0) return memFullErr;
                if (s == 0 && beat == 0 && m % 8 == 0) {
                    note.pitch = SInt8(note.pitch + 4);
                    if (InsereNote(staff, &note, time, 0, 1) < 0) return memFullErr;
                }
            }
        }
    }
    KeySignature g;
    CvtTonaliteStdEnTonalite(1, kModeMajeur, &g);
    if (measures > 1 && FixeTonaliteMesure(score, nullptr, measures / 2, &g, 0) != noErr) return paramErr;
    return TermineDemo(score);
}

namespace {

OSErr ConstruitGamme(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    NoteDemo notes[8];
    for (SInt32 i = 0; i < 8; i++) notes[i] = {SInt16(60 + kGammeMajeure[i]), kAlterationAucune, i * kTempsNoire, kTempsNoire};
    return InsereNotes(staff, notes, 8);
}

OSErr ConstruitAccords(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    const SInt32 half = 2 * kTempsNoire;
    const NoteDemo notes[] = {{60, kAlterationAucune, 0, half},    {64, kAlterationAucune, 0, half},
                              {67, kAlterationAucune, 0, half},    {60, kAlterationAucune, half, half},
                              {62, kAlterationAucune, half, half}};
    return InsereNotes(staff, notes, SInt32(sizeof notes / sizeof notes[0]));
}

OSErr ConstruitAlterations(DocumentRecord *document) {
    ScoreHandle score = nullptr;
    StaffHandle staff = NouvellePorteeDemo(document, &score);
    if (!staff) return memFullErr;
    const NoteDemo notes[] = {{66, kAlterationDiese, 0, kTempsNoire},
                              {70, kAlterationBemol, kTempsNoire, kTempsNoire},
                              {66, kAlterationDiese, 2 * kTempsNoire, kTempsNoire},
                              {65, kAlterationBecarre, 3 * kTempsNoire, kTempsNoire}};
    return InsereNotes(staff, notes, SInt32(sizeof notes / sizeof notes[0]));
}

OSErr ConstruitLongue(DocumentRecord *document) { return ConstruitDemoLongue(document, kMesuresLongue, kPorteesLongue); }

OSErr ConstruitEnsemble(DocumentRecord *document) { return ConstruitDemoLongue(document, kMesuresEnsemble, kPorteesEnsemble); }

OSErr InsereNotes(StaffHandle staff, const NoteDemo *notes, SInt32 count) {
    for (SInt32 i = 0; i < count; i++) {
        NoteRecord note;
        RazNote(&note, notes[i].pitch, notes[i].duration);
        note.accidental = notes[i].accidental;
        if (InsereNote(staff, &note, notes[i].time, 0, 1) < 0) return memFullErr;
    }
    return TermineDemo((*staff)->score);
}

}  // namespace
