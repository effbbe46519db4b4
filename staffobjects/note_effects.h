// What a note carries beyond its NoteRecord, as the importers and the player add it: marks with
// their effect on how the note plays, grace notes, and the spread of arpeggiated chords. The
// records themselves (NoteEffectRecord, MarkRecord, GetParamEffetIndexNote) are the score
// model's (score/note_params.h). Main thread only.
#pragma once

#include "score/note_params.h"

// Mark types whose effect changes how a note plays (the music font draws every type).
enum : UInt8 {
    kMarqueAccent = '^',            // velocity + 20 %
    kMarqueAccentFortHaut = '7',    // strong accent: velocity + 30 %
    kMarqueAccentFortBas = '8',
    kMarqueStaccato = '<',          // sounds 50 % of its length
    kMarqueStaccatissimoHaut = 'e', // 25 %
    kMarqueStaccatissimoBas = 'f',
    kMarqueTenuto = ';',            // 100 %
    kMarqueTrille = 31,             // trill; 32 flat, 33 sharp, 34 natural upper note
    kMarqueTrilleBemol = 32,
    kMarqueTrilleDiese = 33,
    kMarqueTrilleBecarre = 34,
};
// Attack offsets count 1/256 of a quarter note: a 64th note is 16 of them.
enum : SInt16 { kEcartArpege = 16 };
enum : UInt8 { kAppoggiatureVelociteNote = 255 };  // a grace entry plays at the main note's velocity

// Adds a mark of that type to the note (making its note-parameter record), its next three
// fields (placement, horizontal and vertical offset) from the parameters, applies the type's
// effect (release, velocity, trill, arpeggio) and answers the mark's index among the note's
// marks; -1 for a rest, an index outside the staff, kMaxMarquesNote marks or no memory.
// Moves memory.
SInt32 AddMarkNote(StaffHandle staff, SInt32 index, UInt8 type, SInt16 placement, SInt16 offsetX, SInt16 offsetY);
// Adds a grace note to the note: placement kAppoggiatureAvant or kAppoggiatureApres, interval in
// semitones from the note (held to -128..127), accidental code. With defaults set, a note without
// grace entries first gets the default group settings (no time share, normal size, neither
// slurred, slashed nor stem down). The entry takes the first free of the kMaxAppoggiatures places,
// or is inserted before the used entry of rank insertAt (an index past the used entries, or -1,
// appends); its velocity is kAppoggiatureVelociteNote and its type an eighth. False, and nothing
// changed, for a rest, an index outside the staff, ten entries already or no memory. Moves memory.
Boolean AddGraceNote(StaffHandle staff, SInt32 index, UInt8 placement, SInt16 interval, UInt8 accidental,
                     Boolean defaults, SInt32 insertAt);
// Spreads the attack offsets of the chord holding notes[index] (its members chained at one
// time, rests left out) a step apart from the first sounding one, with a note-parameter
// record's three arpeggio fields: upward from the lowest pitch, or downward from the highest
// when direction is 1; nothing when spread is 0; the step is step in 1/256 of a quarter, a 64th
// note (kEcartArpege) when 0 or less. count is the number of notes; nothing happens for an index
// outside them.
void AppliqueArpeggio(NoteRecord *notes, SInt32 index, SInt32 count, SInt16 direction, SInt16 spread, SInt16 step);
// Spreads every chord of the staff whose note holds an arpeggio mark and a set spread field,
// once per chord.
void RecalculeArpeggio(StaffHandle staff);
