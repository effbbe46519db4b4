// A plain layout of measures on one line, for the tools, tests, fuzz target and benchmarks that
// draw staves without page layout (no part of the plug-in): each measure gets the room its
// start needs on any staff, then room proportional to its length. Main thread only.
#pragma once

#include "engraving/engraver.h"

// Fills measureX (count + 1 values) and notesX (count values) for measures [first, first +
// count) from x = left, at that staff space, with quarterWidth pixels a quarter note.
// systemStart: the first measure starts a system. paramErr for a range outside the score or
// sizes out of range.
OSErr CalculeGeometrieBande(ScoreHandle score, SInt32 first, SInt32 count, float left, float space, float quarterWidth,
                            Boolean systemStart, float *measureX, float *notesX);
