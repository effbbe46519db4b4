// Part groups (braces, brackets and lines over a range of staves) and the merge groups of
// staves shown as one. Main thread only.
#pragma once

#include "score/score_model.h"

// Appends a group over staves [first, last] and answers its index; -1 for a bad range, past
// kMaxPartGroups or without memory. Names are UTF-8 (null or "" for none).
SInt32 NewPartGroup(ScoreHandle score, SInt16 kind, SInt16 barlines, SInt16 first, SInt16 last, SInt16 x,
                    const char *longName, const char *shortName);
// A copy of group index (its name handles stay the score's); false outside.
Boolean GetPartGroup(ScoreHandle score, SInt32 index, PartGroupRecord *group);
// Sets the last staff of a group (clamped to the score's staves, at least its first); paramErr outside.
OSErr FixeDernierePorteePartGroup(ScoreHandle score, SInt32 index, SInt16 last);
// The horizontal offset of a new group over [first, last]: 2 without a group reaching those
// staves, else one step (kPasPartGroup) left of the outermost group that overlaps or encloses them.
SInt16 CalculeDeltaXDefaultPartGroup(ScoreHandle score, void *unused, SInt16 first, SInt16 last);
enum : SInt16 { kPasPartGroup = 8 };
// The staff lies under a brace; first and last (either may be null) get the brace's staves.
Boolean IsPorteeInAccolade(StaffHandle staff, SInt16 *first, SInt16 *last);
void SupprimeTousPartGroups(ScoreHandle score);
void RetireIndicePortee(ScoreHandle score, SInt16 index);  // staff index removed: groups follow
// The first staff of the merge group holding a staff: the staves before it that are continued
// by their next one belong to it. -1 outside.
SInt16 CvtIndexPorteeEnIndexPorteeDebutFusion(ScoreHandle score, SInt16 index);
StaffHandle CvtPorteeEnPorteeDebutFusion(StaffHandle staff);
