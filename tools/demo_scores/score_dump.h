// The text dump of a document's current score (docs/score-dump.md): one line for the score,
// one a measure, then each staff with one line a note. The tools print it; tests compare it.
#pragma once

#include <cstdio>

#include "score/score_model.h"

void EcritDumpPartition(FILE *out, ScoreHandle score);
// A note's name as the dump gives it ("C4", "F#4", "Bb4", "rest"), in its key at its time.
void NomNoteDump(StaffHandle staff, SInt32 index, char name[16]);
