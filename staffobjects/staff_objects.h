// The staff objects' start: what the player installs once, after the score model and the
// engraver (InitGravure): the score model's staff-object hooks (text lines, chord indices) and
// the tablature staff type's engraving row. Main thread only.
#pragma once

#include "score/score_model.h"

// Installs the hooks and registers the rows; safe to call again after InitGravure ran again.
void InitObjetsPortee();
// Removes the hooks (the model's defaults answer again) and forgets the chord-diagram library.
void FinObjetsPortee();
