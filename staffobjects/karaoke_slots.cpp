// Slots of a measure, the syllable of a slot in a cell, and chord indices.
#include "staffobjects/karaoke_cells.h"

#include <algorithm>

#include "engraving/links.h"
#include "platform/core/errors.h"
#include "platform/core/runtime.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const SInt16 kTaquetsNotes = 3;  // the kind of slots the callers ask for: note positions

// Whether a measure with more slots than a table holds was already traced. Process-wide, main
// thread only: one line for the process is enough to tell a score is too dense.
struct SlotTraceRecord {
    Boolean traced;
};
SlotTraceRecord gTraceTaquets;

Boolean SuiteLiaison(StaffHandle staff, SInt32 index);
SInt32 ScanneTaquets(StaffHandle source, SInt32 *next, SInt32 measure, SInt32 start, SInt32 end, SInt16 ties,
                     TaquetRecord *table);
Boolean IsSeparateur(char c) { return c == ' ' || c == '-' || c == '_'; }

}  // namespace

StaffHandle GetPorteeTaquets(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return nullptr;
    if ((*staff)->type != kPorteeParoles) return staff;
    ScoreHandle score = (*staff)->score;
    for (SInt16 s = SInt16((*staff)->index - 1); s >= 0; s--) {
        StaffHandle above = GetPortee(score, s);
        if (above && IsPorteeDeNotes(above) && (*above)->noteCount > 0) return above;
    }
    return nullptr;
}

SInt32 CalculeTableauTaquetKaraokeMesure(TaquetRecord *table, StaffHandle staff, SInt16 kind, SInt16, SInt32 measure,
                                         SInt16, SInt16 ties, SInt16) {
    StaffHandle source = GetPorteeTaquets(staff);
    if (!table || !source || kind != kTaquetsNotes) return 0;
    ScoreHandle score = (*source)->score;
    SInt32 start = CvtMesureEnTemps(score, measure);
    SInt32 length = CvtMesureEnDureeMesure(score, measure);
    if (measure < 0 || start < 0 || length <= 0) return 0;
    SInt32 next = CvtTempsEnIndexNote(source, start);
    return ScanneTaquets(source, &next, measure, start, start + length, ties, table);
}

OSErr CalculeTaquetsPortee(StaffHandle staff, std::vector<TaquetRecord> *slots, std::vector<SInt32> *firsts) {
    slots->clear();
    firsts->clear();
    if (!IsPorteeValide(staff)) return paramErr;
    StaffHandle source = GetPorteeTaquets(staff);
    ScoreHandle score = (*staff)->score;
    SInt32 measures = (*score)->measureCount, next = 0;
    firsts->reserve(size_t(measures) + 1);
    TaquetRecord table[kNbMaxTaquets];
    for (SInt32 m = 0; m < measures; m++) {
        firsts->push_back(SInt32(slots->size()));
        // The measure table in place: scanning notes moves no memory.
        const MeasureElement *e = source ? GetMesurePtr(score, 0) + m : nullptr;
        if (!e || e->length <= 0) continue;
        SInt32 count = ScanneTaquets(source, &next, m, e->start, e->start + e->length, 1, table);
        slots->insert(slots->end(), table, table + count);
    }
    firsts->push_back(SInt32(slots->size()));
    return noErr;
}

Boolean GetBoundsStringTaquet(const char *text, SInt32 length, SInt32 slot, SInt32 *start, SInt32 *end,
                              SInt32 *missing) {
    if (start) *start = 0;
    if (end) *end = 0;
    if (missing) *missing = 0;
    if (slot < 0) return kFalse;
    if (!text) length = 0;
    SInt32 at = 0, k = 0;
    while (at < length) {
        SInt32 after = FinSyllabe(text, length, at);
        if (k == slot) {
            if (start) *start = at;
            if (end) *end = after;
            return kTrue;
        }
        k++;
        at = after;
    }
    // A last syllable without its separator takes one blank before the slot's own.
    Boolean open = length > 0 && !IsSeparateur(text[length - 1]);
    if (start) *start = length;
    if (end) *end = length;
    if (missing) *missing = slot - k + (open ? 1 : 0);
    return kTrue;
}

SInt32 FinSyllabe(const char *text, SInt32 length, SInt32 at, Boolean *marks) {
    Boolean marked = kFalse;
    if (!text || at >= length) at = length;
    for (; at < length && !IsSeparateur(text[at]); at++) marked = marked || text[at] == '^' || text[at] == '=';
    if (marks) *marks = marked;
    return at < length ? at + 1 : length;  // the separator stays with its syllable
}

SInt32 GetChordIndexAtTimeObjets(StaffHandle staff, SInt32 time) {
    if (!IsPorteeValide(staff) || !(*staff)->textLineEnabled[kLigneAccords - 1]) return 0;
    ScoreHandle score = (*staff)->score;
    SInt32 measure = CvtTempsEnMesure(score, time);
    if (measure < 0) return 0;
    TaquetRecord table[kNbMaxTaquets];
    SInt32 count = CalculeTableauTaquetKaraokeMesure(table, staff, kTaquetsNotes, 0, measure, 0, 1, 0);
    SInt32 offset = time - CvtMesureEnTemps(score, measure);
    for (SInt32 k = 0; k < count; k++)
        if (table[k].time == offset) return k + 1;
    return 0;
}

namespace {

// The slots of the notes from *next on that start before end (from start on; *next moves past
// them), into table (kNbMaxTaquets entries). Answers their count; the measure's slots past the
// table are dropped with one trace for the process.
SInt32 ScanneTaquets(StaffHandle source, SInt32 *next, SInt32 measure, SInt32 start, SInt32 end, SInt16 ties,
                     TaquetRecord *table) {
    SInt32 count = 0, noteCount = (*source)->noteCount, i = *next;
    Boolean dropped = kFalse;
    // The notes in place: nothing here moves memory.
    const NoteRecord *notes = noteCount > 0 ? GetNotePtr(source, 0) : nullptr;
    while (i < noteCount && notes[i].time < start) i++;
    while (i < noteCount) {
        SInt32 time = notes[i].time;
        if (time >= end) break;
        TaquetRecord slot = {time - start, -1, 0, -1, kTaquetLie, 0, {0}};
        for (; i < noteCount && notes[i].time == time; i++) {
            const NoteRecord &member = notes[i];
            if (member.pitch < 0) continue;
            if (slot.noteIndex < 0) slot.noteIndex = i;
            UInt32 duration = member.duration;  // a copy: the record is packed
            SInt16 pitch = member.pitch;
            slot.duration = std::max<SInt32>(slot.duration, SInt32(std::min<UInt32>(duration, kTempsMax)));
            slot.pitch = std::max(slot.pitch, pitch);
            slot.noteCount++;
            // Only a note with a parameter record holds links.
            if (member.noteParam == kAucunParametreNote || !SuiteLiaison(source, i)) slot.flags = 0;
        }
        if (slot.noteCount == 0 || (slot.flags & kTaquetLie && ties != 1)) continue;
        if (count >= kNbMaxTaquets) {
            dropped = kTrue;
            continue;
        }
        table[count++] = slot;
    }
    *next = i;
    if (dropped && !gTraceTaquets.traced) {
        gTraceTaquets.traced = kTrue;
        PlugTrace("lyrics: measure %ld has more than %ld note positions; the others take no syllable", long(measure + 1),
                  long(kNbMaxTaquets));
    }
    return count;
}

// The note continues a tie: it ends a tie or slur from a note of its pitch that ends where it starts.
Boolean SuiteLiaison(StaffHandle staff, SInt32 index) {
    if (!GetLiaisonDestNote(staff, index, kLiaisonCoule, nullptr)) return kFalse;
    LinkEndRecord other;
    if (!GetAutreBoutLiaison(staff, index, kLiaisonDestination, kLiaisonCoule, &other) || other.staff != staff)
        return kFalse;
    return IsCoulePourLieIndex(staff, other.index, index);
}

}  // namespace
