// The engraver's services on staves: heights, shown lines, the chord-symbol line and the
// tablature base line. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt16 { kMargePorteeEspaces = 16, kEspacesParLigneTexte = 2 };

// Recomputes the staff's height from its type, lines and text lines (the type's height).
void CheckHauteurPortee(StaffHandle staff);
// Sets the staff's height in points; it is never less than its lines need, so that systems do
// not overlap. paramErr for a staff that is not live.
OSErr SetHauteurPortee(StaffHandle staff, SInt16 height);
// The height of a staff of lines and text lines: the lines, sixteen spaces of room and two
// spaces a text line, in points.
SInt16 HauteurPorteeStandard(StaffHandle staff);
// Shows (show 1) or hides line k, counted from the top from 0; paramErr outside 0..15.
OSErr SetAfficheLignePortee(StaffHandle staff, SInt16 line, SInt16 show);
// Switches the staff's chord-symbol line on and makes room for it.
OSErr SetDefaultLignesAccordPortee(StaffHandle staff);
// The base line (points, the y of the reference line) of a tablature staff; paramErr for
// other staves.
OSErr SetLigneBaseTablature(StaffHandle staff, SInt16 baseLine);
