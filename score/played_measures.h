// The played-measure table: the written measures in the order they are played, repeats,
// endings and jumps unrolled; its text form ("1-8,1-4,9-16"); and the conversions between
// played and written time. The table is the score's `playedMeasures` handle of UInt16 written
// measure indices (`playedCount` of them); a score without one plays its measures in order.
// Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt32 {
    kMaxMesuresJouees = 9999,     // entries of a played-measure table
    kMaxTexteMesuresJouees = 65536,  // bytes of a played-measures text read
};

// Builds the table from the ruptures (score/ruptures.h). Jumps act at the end of their measure
// and lead to a measure's start. A repeat end goes back to the innermost open repeat start
// (without one: to the measure after the previous repeat end, else to measure 0); its section
// plays max(its pass count, 2, the highest ending number of its endings) times, counted again
// each time the section is entered. An ending runs from a rupture with ending flags to a
// kind 10, the next ending or the measure of a repeat end, and pass p plays it only when it
// carries flag p. D.C. and D.S. are each taken once; after one no repeat is taken, endings play
// as on their section's last pass, "to coda" goes to the coda of equal parameter and "fine"
// ends. Before one, both are passed over. A rupture whose repetition mode is 2 acts only on the
// pass of its measure that its pass count names. With the custom-play flag set the table in
// place is kept (entries past the measures dropped). On failure the score keeps no table.
void CalculeTabCvtMesure(ScoreHandle score);
// Parses a played-measures text: items "n" or "a-b" (a <= b) of displayed measure numbers from
// 1, separated by commas; blanks are ignored. A new handle of UInt16 numbers (caller disposes),
// at most kMaxMesuresJouees; items that do not read or name no measure are skipped with one
// trace. Null when no item is valid (the computed table then stays).
Handle CvtStringToTabMesures(ScoreHandle score, const char *text, SInt32 length);
// The measure indices of a table of displayed numbers: each number gives its measure and the
// uncounted measures after it (measures before the first counted one go with number 1). A new
// handle (caller disposes), at most kMaxMesuresJouees entries; null when nothing is left.
Handle ConvertTabMesureLogiqueEnPhysique(ScoreHandle score, Handle logical);
// Replaces the score's table by a copy of table (UInt16 measure indices); paramErr for a bad
// handle or an index past the measures, memFullErr.
OSErr FixeTabMesuresJouees(ScoreHandle score, Handle table);

// ---- Played and written time ---------------------------------------------------------------------

SInt32 GetNbMesuresJouees(ScoreHandle score);                 // the table's count, else measures
SInt32 CvtMesureJoueeEnMesure(ScoreHandle score, SInt32 played);   // the written measure; -1 outside
// The total played duration in score units (repeats unrolled); saturates at kTempsMax.
SInt32 DureeTotaleMusique(ScoreHandle score);
SInt32 CvtMesureJoueeEnTempsJoue(ScoreHandle score, SInt32 played);  // its start; the total past the end
// The played measure holding a played time, and the time left inside it (remainder may be
// null); -1 before 0 or from the end on.
SInt32 CvtTempsJoueEnMesureJouee(ScoreHandle score, SInt32 time, SInt32 *remainder);
// The written time of a played time: 0 before 0, the end of the score from the end of the
// played measures on.
SInt32 CvtTempsJoueEnTempsEcrit(ScoreHandle score, SInt32 played);
