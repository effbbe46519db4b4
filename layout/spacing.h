// The horizontal spacing of measures: the score model's spacing hook fills each measure's start
// margin (clef, key and time signature when shown), proportional part and end margin (bar line,
// repeat dots), in pixels at a resolution and at zoom 1; and the room of the signs a system
// opens with. Main thread only.
#pragma once

#include "score/score_model.h"

// The spacing hook (ScoreLayoutHooks::espaceMesures): the three pixel fields of measures
// [first, first + count) at dpi. The proportional part is 10 pixels per 10080 units at 72 dpi
// times the measure's scale, raised so that the measure's shortest note keeps the room of a
// head, an accidental and a dot and the measure's minimum gap. A range outside the score is
// cut to it.
void EspaceMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi);
// The staff space in pixels at dpi and zoom 1 that spacing is measured with: the largest
// space among the staves that are drawn (6 points at size 72).
float EspaceReference(ScoreHandle score, SInt16 dpi);
// The room, pixels at dpi and zoom 1, of the clef, key and signatures a system opens with at
// measure: the widest over the drawn staves, with the gap before the first note.
float LargeurDebutSysteme(ScoreHandle score, SInt32 measure, SInt16 dpi);
// Whether the engraver draws the staff (its type's row) at all.
Boolean IsPorteeTracee(StaffHandle staff);
