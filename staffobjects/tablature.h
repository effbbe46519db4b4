// Tablature staves: the string and fret each note is played on, and the staff type's engraving
// row (its lines, a "TAB" clef and fret numbers on the strings). The record itself is the score
// model's (score/tablature_record.h). Main thread only.
#pragma once

#include "score/tablature_record.h"

struct EngravingStaffType;

// The string (from 0, the highest) and fret of the note at index. A note whose own string and
// fret give its pitch keeps them; the others take, from the chord's highest note down, the
// highest string at or below their pitch (the smallest fret) that no other note of the chord
// holds and that reaches it within its frets. False for a note no string can play: it goes on
// the lowest string with no fret (*fret -1). False too for a rest or an index outside the staff
// (*string and *fret -1). A staff without a record counts as a six-string guitar.
Boolean CalculeCordeNote(StaffHandle staff, SInt32 index, SInt16 *string, SInt16 *fret);
// The tablature staff type's engraving row (InitObjetsPortee registers it).
const EngravingStaffType *GetTypeTablatureGravure();
