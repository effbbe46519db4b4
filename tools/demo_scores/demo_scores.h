// Demo scores built through the score model's calls: a table of rows {name, builder}, so that a
// new demo is a function and a row. Main thread only.
#pragma once

#include "score/score_model.h"
#include "tools/demo_scores/demo_documents.h"

struct DemoScoreRow {
    const char *name;
    const char *description;
    OSErr (*build)(DocumentRecord *document);  // fills an empty document
};

const DemoScoreRow *GetDemoScores(SInt32 *count);
const DemoScoreRow *RechercheDemoScore(const char *name);  // null for an unknown name
// A new document holding the demo (NewPtrClear); null for an unknown name or on failure.
DocumentRecord *CreeDemoScore(const char *name);
// The "long" demo at another size: measures of four quarters on staves (half treble, half bass).
OSErr ConstruitDemoLongue(DocumentRecord *document, SInt32 measures, SInt16 staves);
