// The calls the engraver makes upward, through a hook record that the higher floors install at
// start-up: the importers' tie shaping and the plug-in's overflow modifier. A slot left null
// answers as said beside it. Main thread only: the record is process-wide and unguarded.
#pragma once

#include "score/note_params.h"

struct EngravingHooks {
    // Shapes a tie's data block: over (drawn above), the stem-down bits of the tie's first and
    // second notes, whether the first is chained to the next note of its chord, and its staff
    // position (PositionLiaisonNote, even on a line). Default: the engraver's own shape
    // (FormeLiaisonDefaut).
    void (*adjustTie)(TieDataRecord *tie, Boolean over, Boolean stemDown, Boolean nextStemDown, Boolean chained,
                      SInt16 staffPosition);
    // Whether the modifier that lets drawing overflow the staff's ends is held; default false,
    // and the engraver clips each staff segment to its measures.
    Boolean (*isKeyDebordePortee)();
};

void OrvaSetEngravingHooks(const EngravingHooks *hooks);  // null restores the defaults; copied
// The record in force, so that a floor can fill its own slot and keep the others'.
void OrvaGetEngravingHooks(EngravingHooks *hooks);

void HookAdjustTie(TieDataRecord *tie, Boolean over, Boolean stemDown, Boolean nextStemDown, Boolean chained,
                   SInt16 staffPosition);
Boolean IsKeyDebordePortee();
// The engraver's tie shape without the importers: over or under the heads of a note on a line
// or in a space, level ends.
void FormeLiaisonDefaut(TieDataRecord *tie, Boolean over, Boolean onLine);
