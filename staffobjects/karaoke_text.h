// The karaoke text of a lyric line: its cells joined into running text in the order they are
// sung (repeats unrolled), with a table of where each syllable lies and when it is sung, and the
// lookup of the syllable sung at a position. Main thread only.
#pragma once

#include "score/score_model.h"

// One sung syllable of the text: bytes [offset, offset + length) of the text, sung from start to
// end in score units of the played score (written units when the text is not in played order).
struct SyllabeKaraoke {
    SInt32 offset;
    SInt32 length;
    SInt32 start;
    SInt32 end;
};

// The syllable table is a handle of n syllables held field by field, so that the lookup reads
// the starts alone: n starts, then n offsets, n lengths and n ends (SInt32 each). Read it
// through GetNbSyllabesKaraoke and GetSyllabeKaraoke.
// Builds the text of the staff's text line (1 lyrics) as a new handle of UTF-8 without
// terminator (caller disposes) and fills syllables (a handle the caller made, resized here) with
// the sung syllables, in order. In played order, each played measure takes its
// cell of the verse of its pass (the k-th time a measure is played, verse k), else its last
// verse; otherwise the verses follow one another, each through every measure, a paragraph apart.
// A word's syllables join without their hyphens, words take one blank between them, line and
// paragraph breaks stay; '^' becomes a blank and '=' a hyphen. Syllables beyond the slots of a
// measure are sung with its last slot. Null (syllables emptied) for a staff that is not live, a
// line other than 1 or no memory.
Handle CreeTexteKaraoke(StaffHandle staff, SInt16 line, Boolean playedOrder, Handle syllables);
SInt32 GetNbSyllabesKaraoke(Handle syllables);  // 0 for null
// A copy of syllable index of the table; false (and zeros) outside.
Boolean GetSyllabeKaraoke(Handle syllables, SInt32 index, SyllabeKaraoke *syllable);
// The offset of the syllable sung at position (the last one that starts at or before it) and,
// in *length, its length; -1 (length 0) before the first one or for an empty table.
SInt32 CalculePosTexteKaraoke(StaffHandle staff, SInt32 position, SInt32 *length, Handle syllables);
// The place in the play order of the pass-th playing (from 0) of a measure; -1 when the measure
// is not played that many times.
SInt32 CvtPosMesureLigneEnMesureJouee(ScoreHandle score, SInt32 measure, SInt32 pass);
