// Drawing what rides on a staff besides its notes: the lyrics under them, chord symbols above,
// chord diagrams and text objects. Page layout calls it for each staff of a system right after
// the engraver (TracePorteeSegment) with the same geometry. Main thread only; everything goes
// through QuickDraw into the current port, so recorded pages play and print alike.
#pragma once

#include "engraving/engraver.h"

enum : SInt16 {
    kTailleParolesDefaut = 10,   // points of lyrics without a style (serif)
    kTailleAccordsDefaut = 10,   // points of chord symbols without a style (sans-serif)
};

// Draws the staff's staff objects for the segment's measures into the current port and restores
// the port's pen, text and colour settings. Syllables stand centred under their notes (a lyrics
// staff takes the notes of the staff above), verses 1.2 lines apart below the staff, a hyphen
// centred in the gap between the syllables of a word when it fits, an extender under a melisma;
// chord symbols start at their note above the staff. paramErr for what TracePorteeSegment
// refuses; staves of types that are not drawn answer noErr.
OSErr TraceObjetsPortee(StaffHandle staff, const GeometrieSegment *geometry);
// Where the staff's lyrics fall in a segment whose top line is at top: the baseline of verse 0
// and the step between verses, in pixels (for layout and tests).
void GetPositionParoles(StaffHandle staff, const GeometrieSegment *geometry, float *baseline, float *step);
