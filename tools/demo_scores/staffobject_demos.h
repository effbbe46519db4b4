// The demo scores that show staff objects (lyrics and tablature), at the staff objects' floor, so
// that the engraving demos below them stay free of it. omscore and omrender look a name up here
// first. Main thread only.
#pragma once

#include "tools/demo_scores/demo_scores.h"

// The rows of these demos; *count receives their number.
const DemoScoreRow *GetDemoScoresObjets(SInt32 *count);
// The row of that name, or the general demos' row (RechercheDemoScore); null for an unknown name.
const DemoScoreRow *RechercheDemoScoreObjets(const char *name);
// A new document holding the demo of either table; null for an unknown name or on failure.
DocumentRecord *CreeDemoScoreObjets(const char *name);
