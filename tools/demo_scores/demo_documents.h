// The documents the demo scores live in: made from a builder, freed, and the first staff of a
// demo's new score. They need the score model alone, so that the score's own tests may build
// the demos that need no more (playback_demos.h). Main thread only.
#pragma once

#include "score/score_model.h"

// A new document (NewPtrClear) filled by build; null without memory or when build fails.
DocumentRecord *CreeDocumentDemo(OSErr (*build)(DocumentRecord *document));
void LibereDemoScore(DocumentRecord **document);  // empties and frees the document, clears *document
// A new score (the document's current one) of one standard staff playing instrument 0, the
// piano; null without memory.
StaffHandle NouvellePorteeDemo(DocumentRecord *document, ScoreHandle *score);
// Marks every element of the score's measures changed and brings them up to date.
OSErr TermineDemo(ScoreHandle score);
