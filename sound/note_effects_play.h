// What playback reads of a note's parameters (score/note_params.h): its grace notes, its trill
// and the ties that lengthen it. Main thread only.
#pragma once

#include "score/score_model.h"
#include "score/note_params.h"

enum : SInt32 {
    kAppoggiatureParDefaut = 5040,   // a grace note without a share of the note: a 32nd
    kMaxNotesTrille = 256,           // pieces one trill is cut into at most
};
enum : UInt8 { kVelociteDeLaNote = 255 };  // a grace entry's velocity: the main note's

// A grace note to play: interval from the main note, velocity, and its place inside the main
// note's time: before the beat (taken from the note's start) or after it (from its end).
struct GraceToPlay {
    SInt16 interval;     // semitones
    UInt8 velocity;      // 1..127, or kVelociteDeLaNote
    UInt8 after;         // 1: played at the end of the note
    SInt32 offset;       // score units from the note's start (before) or from the group's start (after)
    SInt32 duration;     // score units
};

// A piece of a trill: from offset (score units from the note's start) for length, at the note's
// pitch plus interval.
struct TrillPiece {
    SInt32 offset;
    SInt32 length;
    SInt16 interval;
};

// The grace notes of a note of length duration, in play order, into table (kMaxAppoggiatures
// entries); answers their count and what they take from the note's start and end. The group
// takes graceShare / 512 of its written values (eighth to 128th), or a 32nd each without a
// share, shared by written value, and at most half the note.
SInt32 ConstruitTableauAppoggiaturesAJouer(StaffHandle staff, SInt32 index, SInt32 duration, GraceToPlay *table,
                                           SInt32 *before, SInt32 *after);
// The pieces of the note's trill over duration units: the note and its upper neighbour in the
// key (or by the trill's accidental) alternating at the trill's speed over its share of the
// note, the last piece taking what remains. 0 when the note has no trill.
SInt32 ConstruitTrilleAJouer(StaffHandle staff, SInt32 index, SInt32 duration, TrillPiece *pieces, SInt32 room);
// The note a tie continues this one into (same pitch, starting where this one ends, on this
// staff, the two ends of one tie or slur link), or -1.
SInt32 NoteLieeSuivante(StaffHandle staff, SInt32 index);
