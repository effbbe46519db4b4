// Slots of a measure, the syllable of a slot in a cell, and chord indices.
#include "staffobjects/karaoke_cells.h"

#include <algorithm>
#include <cstdio>

#include "engraving/links.h"
#include "platform/core/runtime.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/score_hooks.h"

namespace {

const SInt16 kTaquetsNotes = 3;  // the kind of slots the callers ask for: note positions

// Whether a measure with more slots than a table holds was already traced. Process-wide, main
// thread only: one line for the process is enough to tell a score is too dense.
struct SlotTraceRecord {
    Boolean traced;
};
SlotTraceRecord gTraceTaquets;

Boolean SuiteLiaison(StaffHandle staff, SInt32 index);
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
    SInt32 end = start + length, count = 0, noteCount = (*source)->noteCount;
    Boolean dropped = kFalse;
    for (SInt32 i = CvtTempsEnIndexNote(source, start); i < noteCount;) {
        const NoteRecord *note = GetNotePtr(source, i);
        SInt32 time = note->time;
        if (time >= end) break;
        TaquetRecord slot = {time - start, -1, 0, -1, kTaquetLie, 0, {0}};
        for (; i < noteCount && GetNotePtr(source, i)->time == time; i++) {
            const NoteRecord *member = GetNotePtr(source, i);
            if (member->pitch < 0) continue;
            if (slot.noteIndex < 0) slot.noteIndex = i;
            UInt32 duration = member->duration;  // a copy: the record is packed
            SInt16 pitch = member->pitch;
            slot.duration = std::max<SInt32>(slot.duration, SInt32(std::min<UInt32>(duration, kTempsMax)));
            slot.pitch = std::max(slot.pitch, pitch);
            slot.noteCount++;
            if (!SuiteLiaison(source, i)) slot.flags = 0;
        }
        if (slot.noteCount == 0 || (slot.flags & kTaquetLie && ties != 1)) continue;
        if (count >= kNbMaxTaquets) {
            dropped = kTrue;
            continue;
        }
        table[count++] = slot;
    }
    if (dropped && !gTraceTaquets.traced) {
        gTraceTaquets.traced = kTrue;
        char line[96];
        std::snprintf(line, sizeof line, "lyrics: measure %ld has more than %ld note positions; the others take no syllable",
                      long(measure + 1), long(kNbMaxTaquets));
        PlugTrace("%s", line);
    }
    return count;
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

SInt32 FinSyllabe(const char *text, SInt32 length, SInt32 at) {
    if (!text || at >= length) return length;
    while (at < length && !IsSeparateur(text[at])) at++;
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

// The note continues a tie: it ends a tie or slur from a note of its pitch that ends where it starts.
Boolean SuiteLiaison(StaffHandle staff, SInt32 index) {
    if (!GetLiaisonDestNote(staff, index, kLiaisonCoule, nullptr)) return kFalse;
    LinkEndRecord other;
    if (!GetAutreBoutLiaison(staff, index, kLiaisonDestination, kLiaisonCoule, &other) || other.staff != staff)
        return kFalse;
    return IsCoulePourLieIndex(staff, other.index, index);
}

}  // namespace
