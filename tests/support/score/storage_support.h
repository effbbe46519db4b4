// What the storage tests share: trace lines caught from the runtime's message routines, files of bytes
// in the test's folder, the byte stream opened over them, a score with a bit of everything and
// the facts of a score a reader must give back.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/memory.h"
#include "score/byte_stream.h"
#include "score/instruments.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"
#include "score/preferences.h"
#include "support/message_catcher.h"
#include "support/test_home.h"

// Catches every trace line (warnings included) and every numbered notice while it lives,
// through the runtime's message routines.
struct TraceCatcher {
    MessageCatcher catcher;
    static std::vector<std::string> &Lines() { return MessageCatcher::Current()->traces; }
    static std::vector<SInt16> &Notices() { return MessageCatcher::Current()->warnings; }
    // Lines that hold text.
    static size_t Count(const char *text) { return MessageCatcher::Current()->Count(text); }
};

// A path in the test's own folder.
inline std::string StoragePath(const std::string &leaf) { return OrvaTestHome() + "/" + leaf; }

// Opens path as the current file for reading; false when it cannot.
inline bool OpenForReading(const std::string &path) { return CadenzoOpenFile(path.c_str(), "rb"); }


// A new empty document (NewPtrClear); LibereDocumentTest empties and frees it.
inline DocumentRecord *NouveauDocumentTest() {
    FixePrefStd();
    return reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
}
inline void LibereDocumentTest(DocumentRecord **document) {
    if (!*document) return;
    VideDocument(*document);
    DisposPtr(reinterpret_cast<Ptr>(*document));
    *document = nullptr;
}

// A score of staves x measures: a 3/4 measure in the middle, G major from the middle on, the
// lower half of the staves in the bass clef, chords, rests, names, an instrument and a brace.
inline DocumentRecord *DocumentDeTest(SInt32 measures, SInt16 staves) {
    DocumentRecord *document = NouveauDocumentTest();
    ScoreHandle score = CreePartitionVide(document);
    SInt16 instrument = AjouteInstrument(score);
    SetNomInstrument(score, instrument, "Piano");
    snprintf(document->titles[0].text, sizeof document->titles[0].text, "%s", "Essai");
    ClefRecord bass;
    CvtTypeClefEnClefStandard(kCleFa, &bass);
    for (SInt16 s = 0; s < staves; s++) {
        StaffHandle staff = CreePorteeVide(score, kPorteeStandard, 1, 0);
        (*staff)->instrument = instrument;
        SetNomPortee(staff, s == 0 ? "Main droite" : "Main gauche");
        if (s >= (staves + 1) / 2) FixeClefMesure(score, staff, 0, &bass, 0);
        for (SInt32 m = 0; m < measures; m++) {
            for (SInt32 beat = 0; beat < 4; beat++) {
                NoteRecord note;
                RazNote(&note, (m + beat) % 5 == 4 ? SInt16(kPitchSilence) : SInt16(55 + (m * 3 + beat + s) % 17), kTempsNoire);
                SInt32 time = m * kTempsRonde + beat * kTempsNoire;
                InsereNote(staff, &note, time, 0, 1);
                if (beat == 0 && note.pitch >= 0) {
                    note.pitch = SInt8(note.pitch + 4);
                    note.accidental = kAlterationDiese | kAlterationMontree;
                    InsereNote(staff, &note, time, 0, 1);
                }
            }
        }
    }
    TimeSignature waltz = {};
    waltz.numerator = waltz.shownNumerator = 3;
    waltz.denominator = 4;
    waltz.shownDenominator = 4;
    FixeDivisionMesurePartition(score, measures / 2, &waltz, 1, 0, 0);
    KeySignature g;
    CvtTonaliteStdEnTonalite(1, kModeMajeur, &g);
    FixeTonaliteMesure(score, nullptr, measures / 2, &g, 0);
    if (staves > 1) NewPartGroup(score, kGroupeAccolade, 1, 0, 1, 2, "Piano", "Pno.");
    RecalculeNbMesures(score, 1);
    return document;
}

// The facts of a score a reader must give back, one line each: measures, staves, their changes
// and notes, groups and instruments.
inline std::string DescriptionPartition(ScoreHandle score) {
    std::string text;
    char line[256];
    UpdateTabEltMesure(score, kTabEltTout);
    ScoreRecord *s = *score;
    snprintf(line, sizeof line, "score %d staves %d measures %d tempo %d groups %d instruments\n", s->staffCount,
             int(s->measureCount), s->tempo, s->partGroupCount, s->instrumentCount);
    text += line;
    for (SInt32 m = 0; m < (*score)->measureCount; m++) {
        const MeasureElement *e = GetMesurePtr(score, m);
        snprintf(line, sizeof line, "m %d %d %d/%d hide %d number %d\n", int(e->start), int(e->length),
                 e->signature.numerator, e->signature.denominator, e->hiddenMask, e->shownNumber);
        text += line;
    }
    for (SInt16 i = 0; i < (*score)->staffCount; i++) {
        StaffHandle staff = GetPortee(score, i);
        snprintf(line, sizeof line, "staff %u type %u name %s instrument %d changes %d\n", (*staff)->uniqueId,
                 unsigned((*staff)->type), (*staff)->longName ? *(*staff)->longName : "-", (*staff)->instrument,
                 int((*staff)->changeCount));
        text += line;
        for (SInt32 c = 0; c < (*staff)->changeCount; c++) {
            const KeyClefChange &k = reinterpret_cast<const KeyClefChange *>(*(*staff)->changes)[c];
            snprintf(line, sizeof line, " change %d %d key %u clef %d\n", int(k.measure), k.changes, unsigned(k.key.kind),
                     k.clef.kind);
            text += line;
        }
        for (SInt32 n = 0; n < (*staff)->noteCount; n++) {
            const NoteRecord *note = GetNotePtr(staff, n);
            snprintf(line, sizeof line, " note %d %d %u %d %d %u\n", int(note->time), note->pitch, unsigned(note->duration),
                     note->accidental, note->chordFlags, unsigned(note->id));
            text += line;
        }
    }
    for (SInt32 g = 0; g < (*score)->partGroupCount; g++) {
        PartGroupRecord group;
        GetPartGroup(score, g, &group);
        snprintf(line, sizeof line, "group %d %d-%d %s\n", group.kind, group.firstStaff, group.lastStaff,
                 group.longName ? *group.longName : "-");
        text += line;
    }
    return text;
}
