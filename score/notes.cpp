// The note list of a staff.
#include "score/notes.h"

#include <cstring>

#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/score_hooks.h"

namespace {

const UInt32 kCapaciteInitiale = 16;
const UInt8 kVelociteDefaut = 100;
const UInt16 kRelachementDefaut = 100;

SInt32 InsereNoteInterne(StaffHandle staff, const NoteRecord *note, SInt32 time, Boolean extend);
Boolean AssureCapacite(StaffHandle staff, SInt32 count);
Boolean IsChainable(const NoteRecord &note);
SInt32 PremierApres(const NoteRecord *notes, SInt32 count, SInt32 time);
SInt32 PremierAPartir(const NoteRecord *notes, SInt32 count, SInt32 time);
void RepareChaine(NoteRecord *notes, SInt32 count, SInt32 index);

}  // namespace

SInt32 InsereNote(StaffHandle staff, const NoteRecord *note, SInt32 time, SInt16, SInt16 extend) {
    if (!IsPorteeValide(staff) || !note) return -1;
    if ((*staff)->type == kPorteeRythmique && time >= 0)
        time = SInt32((SInt64(time) + kGrilleRythmique / 2) / kGrilleRythmique * kGrilleRythmique);
    HookPorteeACalculer(staff);
    return InsereNoteInterne(staff, note, time, extend != 0);
}

SInt32 AjouteNote(StaffHandle staff, const NoteRecord *note, SInt32 time, SInt16 extend) {
    if (!IsPorteeValide(staff) || !note || note->pitch < 0) return -1;
    return InsereNoteInterne(staff, note, time, extend != 0);
}

void RazNote(NoteRecord *note, SInt16 pitch, SInt32 duration) {
    if (!note) return;
    std::memset(note, 0, sizeof *note);
    note->pitch = SInt8(pitch);
    note->velocity = kVelociteDefaut;
    note->accidental = kAlterationAucune;
    note->duration = UInt32(duration > 0 ? duration : 0);
    note->release = kRelachementDefaut;
    note->noteParam = kAucunParametreNote;
}

NoteRecord *GetNotePtr(StaffHandle staff, SInt32 index) {
    if (!IsPorteeValide(staff) || index < 0 || index >= (*staff)->noteCount) return nullptr;
    return reinterpret_cast<NoteRecord *>(*(*staff)->notes) + index;
}

SInt32 CvtTempsEnIndexNote(StaffHandle staff, SInt32 time) {
    if (!IsPorteeValide(staff) || (*staff)->noteCount == 0) return 0;
    return PremierAPartir(GetNotePtr(staff, 0), (*staff)->noteCount, time);
}

SInt32 RechercheSignePrecedent(StaffHandle staff, SInt32 time) {
    SInt32 index = CvtTempsEnIndexNote(staff, time) - 1;
    return index < 0 ? 0 : index;
}

SInt32 SupprimeNotesIntervalle(StaffHandle staff, SInt32 from, SInt32 to, SInt32 shift) {
    if (!IsPorteeValide(staff) || (*staff)->noteCount == 0 || to < from) return 0;
    SInt32 count = (*staff)->noteCount;
    NoteRecord *notes = GetNotePtr(staff, 0);
    SInt32 a = PremierAPartir(notes, count, from);
    SInt32 b = PremierAPartir(notes, count, to);
    std::memmove(notes + a, notes + b, size_t(count - b) * sizeof(NoteRecord));
    count -= b - a;
    (*staff)->noteCount = count;
    for (SInt32 i = a; i < count; i++) notes[i].time += shift;
    if (a > 0) RepareChaine(notes, count, a - 1);
    return b - a;
}

void ReplieNotesIntervalle(StaffHandle staff, SInt32 from, SInt32 to) {
    if (!IsPorteeValide(staff) || (*staff)->noteCount == 0 || to <= from) return;
    SInt32 count = (*staff)->noteCount;
    NoteRecord *notes = GetNotePtr(staff, 0);
    SInt32 a = PremierAPartir(notes, count, from);
    SInt32 b = PremierAPartir(notes, count, to);
    for (SInt32 i = a; i < b; i++) notes[i].time = from;
    for (SInt32 i = b; i < count; i++) notes[i].time -= to - from;
    for (SInt32 i = a > 0 ? a - 1 : 0; i < b; i++) RepareChaine(notes, count, i);
}

void DecaleNotes(StaffHandle staff, SInt32 from, SInt32 shift) {
    if (!IsPorteeValide(staff) || (*staff)->noteCount == 0) return;
    SInt32 count = (*staff)->noteCount;
    NoteRecord *notes = GetNotePtr(staff, 0);
    SInt32 a = PremierAPartir(notes, count, from);
    for (SInt32 i = a; i < count; i++) notes[i].time += shift;
    if (a > 0) RepareChaine(notes, count, a - 1);
}

Handle GetLigneTextePortee(StaffHandle staff, SInt16 line) {
    if (!IsPorteeValide(staff) || line < 1 || line > 2 || !(*staff)->textLineEnabled[line - 1]) return nullptr;
    Handle text = HookLigneTexte(staff, line);
    return text ? text : NewHandleClear(sizeof(UniChar));
}

SInt32 GetChordIndexAtTime(StaffHandle staff, SInt32 time) {
    return IsPorteeValide(staff) ? HookChordIndexAtTime(staff, time) : 0;
}

void MetsEnFormeLigneTexteAccords(StaffHandle) {}

namespace {

SInt32 InsereNoteInterne(StaffHandle staff, const NoteRecord *note, SInt32 time, Boolean extend) {
    if (note->pitch < kPitchRepetitionMesure) return -1;
    if (time < 0 || time > kTempsMax || note->duration == 0 || note->duration > UInt32(kTempsMax - time)) return -1;
    SInt32 count = (*staff)->noteCount;
    if (count >= kMaxNotesPortee || !AssureCapacite(staff, count + 1)) return -1;
    NoteRecord *notes = reinterpret_cast<NoteRecord *>(*(*staff)->notes);
    SInt32 index = count == 0 || notes[count - 1].time <= time ? count : PremierApres(notes, count, time);
    std::memmove(notes + index + 1, notes + index, size_t(count - index) * sizeof(NoteRecord));
    NoteRecord &inserted = notes[index];
    inserted = *note;
    inserted.time = time;
    inserted.chordFlags &= UInt8(~kAccordChaine);
    inserted.id = (*staff)->nextNoteId;
    (*staff)->nextNoteId = (*staff)->nextNoteId == 0xFFFFFFFF ? 1 : (*staff)->nextNoteId + 1;
    if (index > 0 && notes[index - 1].time == time && IsChainable(notes[index - 1]) && IsChainable(inserted))
        notes[index - 1].chordFlags |= kAccordChaine;
    (*staff)->noteCount = count + 1;
    if (extend) EtendTableMesures((*staff)->score, time + SInt32(note->duration));
    return index;
}

// Room for count notes; the handle doubles so that n insertions cost n copies in all.
Boolean AssureCapacite(StaffHandle staff, SInt32 count) {
    Handle notes = (*staff)->notes;
    UInt32 capacity = notes ? GetHandleSize(notes) / sizeof(NoteRecord) : 0;
    if (UInt32(count) <= capacity) return kTrue;
    UInt32 wanted = capacity < kCapaciteInitiale ? kCapaciteInitiale : capacity * 2;
    if (wanted > UInt32(kMaxNotesPortee)) wanted = kMaxNotesPortee;
    if (!notes) {
        notes = NewHandle(wanted * sizeof(NoteRecord));
        if (!notes) return kFalse;
        (*staff)->notes = notes;
        return kTrue;
    }
    SetHandleSize(notes, wanted * sizeof(NoteRecord));
    return MemError() == noErr;
}

// Rests and measure-repeat signs stand alone.
Boolean IsChainable(const NoteRecord &note) { return note.pitch >= 0 || note.pitch == kPitchSuiteAccord; }

SInt32 PremierApres(const NoteRecord *notes, SInt32 count, SInt32 time) {
    SInt32 low = 0;
    SInt32 high = count;
    while (low < high) {
        SInt32 middle = low + (high - low) / 2;
        if (notes[middle].time <= time) low = middle + 1;
        else high = middle;
    }
    return low;
}

SInt32 PremierAPartir(const NoteRecord *notes, SInt32 count, SInt32 time) {
    SInt32 low = 0;
    SInt32 high = count;
    while (low < high) {
        SInt32 middle = low + (high - low) / 2;
        if (notes[middle].time < time) low = middle + 1;
        else high = middle;
    }
    return low;
}

// The note at index loses its chain bit when its next note no longer stands at the same time.
void RepareChaine(NoteRecord *notes, SInt32 count, SInt32 index) {
    if (index < 0 || index >= count) return;
    Boolean chained = index + 1 < count && notes[index + 1].time == notes[index].time &&
                      IsChainable(notes[index]) && IsChainable(notes[index + 1]);
    if (!chained) notes[index].chordFlags &= UInt8(~kAccordChaine);
}

}  // namespace
