// The engraver's services on staves: heights, shown lines, the chord-symbol line and the
// tablature base line. Main thread only.
#pragma once

#include "score/score_model.h"

// Recomputes the staff's height from its type, lines and text lines (the type's height, never
// less than the lines span).
void CheckHauteurPortee(StaffHandle staff);
// Sets the staff's height in points; it is never less than its lines need, so that systems do
// not overlap. paramErr for a staff that is not live.
OSErr SetHauteurPortee(StaffHandle staff, SInt16 height);
// Shows (show 1) or hides line k, counted from the top from 0; paramErr outside 0..15.
OSErr SetAfficheLignePortee(StaffHandle staff, SInt16 line, SInt16 show);
// Switches the staff's chord-symbol line on and makes room for it.
OSErr SetDefaultLignesAccordPortee(StaffHandle staff);
// The base line (points, the y of the reference line) of a tablature staff; paramErr for
// other staves.
OSErr SetLigneBaseTablature(StaffHandle staff, SInt16 baseLine);
