// The notes of a staff: one handle of NoteRecords kept in time order, chords chained, and the
// staff's text lines. The handle grows by doubling; a pointer into it dies at the next call
// that inserts. Main thread only.
#pragma once

#include "score/score_model.h"

// Inserts a note or rest at a time and answers its index, -1 on failure (bad record, time or
// duration, kMaxNotesPortee reached, no memory). A note where a chord stands goes after its last
// member, which gets the chain bit; rests never chain. Staves of type 2 snap times to 2520 units.
// The singer is told that the staff changed. undo: ignored by the player; extend: the measure
// table grows to cover the note.
SInt32 InsereNote(StaffHandle staff, const NoteRecord *note, SInt32 time, SInt16 undo, SInt16 extend);
// Adds a note (not a rest: -1 when the first byte is negative) at exactly that time, as InsereNote.
SInt32 AjouteNote(StaffHandle staff, const NoteRecord *note, SInt32 time, SInt16 extend);
// Clears a record to the defaults (velocity 100, no accidental, release 100, no parameters) and
// sets the pitch (-1 a rest) and the duration.
void RazNote(NoteRecord *note, SInt16 pitch, SInt32 duration);
// The note at index, in place (valid until the next insertion); null outside.
NoteRecord *GetNotePtr(StaffHandle staff, SInt32 index);
SInt32 CvtTempsEnIndexNote(StaffHandle staff, SInt32 time);  // first note at or after time; count when none
SInt32 RechercheSignePrecedent(StaffHandle staff, SInt32 time);  // last note before time, at least 0
// Removes the notes whose time lies in [from, to) and moves later ones by shift units; chains
// stay whole. Answers the count removed.
SInt32 SupprimeNotesIntervalle(StaffHandle staff, SInt32 from, SInt32 to, SInt32 shift);
// The notes whose time lies in [from, to) move to from, in their order; later ones move earlier
// by to - from.
void ReplieNotesIntervalle(StaffHandle staff, SInt32 from, SInt32 to);
void DecaleNotes(StaffHandle staff, SInt32 from, SInt32 shift);  // notes at or after from move by shift

// ---- Text lines (1 lyrics, 2 chord symbols) -------------------------------------------------------
// The cells are the staff objects'; these reach them through the staff-object hooks
// (score/score_hooks.h).
// A text line as a new handle of NUL-terminated UTF-16 (caller disposes) when the line is
// enabled in the staff, else null; empty until the staff objects answer.
Handle GetLigneTextePortee(StaffHandle staff, SInt16 line);
SInt32 GetChordIndexAtTime(StaffHandle staff, SInt32 time);  // 1 + chord cell index, 0 when none
void MetsEnFormeLigneTexteAccords(StaffHandle staff);       // nothing to lay out without cells
