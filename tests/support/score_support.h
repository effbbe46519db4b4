// A document with one empty score for the score-model tests, freed at the end of the test, and
// the checks of the model's invariants that the tests and the fuzz target share.
#pragma once

#include <string>

#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/preferences.h"

struct ScoreFixture {
    DocumentRecord *document;
    ScoreHandle score;
    ScoreFixture() {
        FixePrefStd();
        document = reinterpret_cast<DocumentRecord *>(NewPtrClear(sizeof(DocumentRecord)));
        score = CreePartitionVide(document);
    }
    ~ScoreFixture() {
        VideDocument(document);
        DisposPtr(reinterpret_cast<Ptr>(document));
    }
    ScoreFixture(const ScoreFixture &) = delete;
    ScoreFixture &operator=(const ScoreFixture &) = delete;
    StaffHandle Staff() { return CreePorteeVide(score, kPorteeStandard, 1, 0); }
};

inline TimeSignature Signature(SInt16 numerator, SInt16 denominator) {
    TimeSignature signature = {};
    signature.numerator = signature.shownNumerator = numerator;
    signature.denominator = denominator;
    signature.shownDenominator = UInt16(denominator);
    return signature;
}

inline SInt32 AddNote(StaffHandle staff, SInt16 pitch, SInt32 time, SInt32 duration = 40320) {
    NoteRecord note;
    RazNote(&note, pitch, duration);
    return InsereNote(staff, &note, time, 0, 1);
}

// "" when the score keeps its invariants: notes in time order, chain bits only between
// chordable notes of one time, measure starts without gaps and an index that agrees.
inline std::string ScoreInvariantFault(ScoreHandle score) {
    SInt32 time = 0;
    for (SInt32 m = 0; m < (*score)->measureCount; m++) {
        const MeasureElement *element = GetMesurePtr(score, m);
        if (element->start != time || CvtMesureEnTemps(score, m) != time) return "gap before measure " + std::to_string(m);
        time += element->length;
    }
    if (CvtMesureEnTemps(score, (*score)->measureCount) != time) return "end of the measure index";
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            const NoteRecord *note = GetNotePtr(staff, i);
            const NoteRecord *next = i + 1 < (*staff)->noteCount ? GetNotePtr(staff, i + 1) : nullptr;
            if (next && next->time < note->time) return "order at note " + std::to_string(i);
            if ((note->chordFlags & kAccordChaine) &&
                (!next || next->time != note->time || note->pitch == kPitchSilence || next->pitch == kPitchSilence))
                return "chain bit of note " + std::to_string(i);
        }
    }
    return "";
}

// "" when the score has a measure and every note a pitch the model knows (MIDI, a rest, a chord
// continuation or a repeat sign) and an end within the measures.
inline std::string NoteBoundsFault(ScoreHandle score) {
    if ((*score)->measureCount < 1) return "no measure";
    const MeasureElement *last = GetMesurePtr(score, (*score)->measureCount - 1);
    SInt64 end = SInt64(last->start) + last->length;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        for (SInt32 i = 0; i < (*staff)->noteCount; i++) {
            const NoteRecord *note = GetNotePtr(staff, i);
            if (note->pitch < kPitchRepetitionMesure) return "pitch of note " + std::to_string(i);
            if (note->time < 0 || note->time + SInt64(note->duration) > end) return "end of note " + std::to_string(i);
        }
    }
    return "";
}
