// The play selection of a score, kept once, in its record (selectionPlay, the parts and the
// written range [selectionStart, selectionEnd)), and the selection the exported play call
// leaves for the player's next start. Ranges come as bar numbers from 1, which the importer's
// hook turns into measures (MusicXML bars after an import; a bar is its measure otherwise).
// Re-timing a score that plays is playback's (FixeJoueSelection, sound/sequencer.h).
// Main thread only.
#pragma once

#include "score/score_model.h"

// A selection of parts and measures (from 0).
struct PlaySelectionRecord {
    SInt32 firstPart;
    SInt32 lastPart;
    SInt32 firstMeasure;
    SInt32 lastMeasure;
};

// Stores parts firstPart..lastPart and bars firstBar..lastBar in the score: the written range
// runs from the start of the first bar's measure to the start of the measure after the last
// bar's (bars past the end are the last measure). With play set, play takes only that range
// (selectionPlay); otherwise the flag stays as it was. False, the score unchanged, for a score
// without measures or a range whose last measure comes before its first.
Boolean FixeSelectionPartition(ScoreHandle score, SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar,
                               Boolean play);
void EffaceSelectionPartition(ScoreHandle score);  // play takes the whole score again

// The exported play call: bars firstBar..lastBar of partitionEnCours (bars themselves without
// it) become the pending selection the player's next start takes. False for an empty range.
Boolean JoueMusiqueCadenzo(SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar);
// Takes the pending selection (measures, from 0) and clears it; false when there is none.
Boolean PrendSelectionEnAttente(PlaySelectionRecord *selection);
