// What page layout keeps per staff beside the score model's fields: the staff-height events
// that change a staff's band, depth and indents over a range of measures (the importers' page
// layout), the printable flag and the staff's zoomed and ribbon sizes. Events live in the
// staff's collection (tag 'Hevt'), so the model frees them with the staff. Main thread only.
#pragma once

#include "score/score_model.h"

// Kinds of staff-height events; values are points at the document's zoom (signed).
enum : SInt16 {
    kEvtDecalageHaut = 65,       // the staff's depth in its band (its bottom line) changes by value
    kEvtDecalageHautZoom = 66,   // the same for the zoomed form: follows 65
    kEvtRetraitDroit = 68,       // the system ends value points left of the right margin
    kEvtRetraitGauche = 71,      // the system starts value points right of the left margin
    kEvtBande = 72,              // the staff's band grows by value
    kEvtDescentePremierSysteme = 77,  // the first system of a page starts value points lower
    kEvtDecalageHautPositions = 80,   // positions that follow the depth: follow 65
    kEvtDecalageTablature = 84,       // a tablature's base line: follows 65
};
enum : SInt32 { kMaxEvenementsHauteur = 65536 };  // events of one staff

struct StaffHeightEvent {
    SInt16 kind;
    SInt16 unused;
    SInt32 firstMeasure;  // from 0, both ends included
    SInt32 lastMeasure;
    SInt32 value;
};

// Records an event over measures [first, last] of the staff (from 0; first > last is taken
// the other way round). paramErr for a staff that is not live, an unknown kind, a negative
// measure or a staff already holding kMaxEvenementsHauteur events; memFullErr without memory.
OSErr AddEventStaffHeighRange(StaffHandle staff, SInt16 kind, SInt32 first, SInt32 last, SInt32 value);
SInt32 NbEvenementsHauteur(StaffHandle staff);
// The events of the staff, in the order they were added, into out (capacity entries at most);
// answers how many were copied.
SInt32 GetEvenementsHauteur(StaffHandle staff, StaffHeightEvent *out, SInt32 capacity);
void SupprimeEvenementsHauteur(StaffHandle staff);  // forgets them all

// Marks the staff printable (printed and shown on pages) or not; setup is not read.
void FixePorteeImprimable(const PageSetupRecord *setup, StaffHandle staff, Boolean printable);
// Recomputes the staff's spacing value (size x 6 x score resolution / 5184, x 8 instead of 6 for
// Gregorian staves) and the zoomed and ribbon forms of its band and depth.
void InitTailleRubanPortee(ScoreHandle score, StaffHandle staff);
