// The builders of the demo scores that show engraving (engraving_demos.cpp); demo_scores.cpp
// lists them. Each fills an empty document.
#pragma once

#include "score/score_model.h"

OSErr ConstruitBasse(DocumentRecord *document);
OSErr ConstruitCroches(DocumentRecord *document);
OSErr ConstruitLiaisons(DocumentRecord *document);
OSErr ConstruitSilences(DocumentRecord *document);
OSErr ConstruitReprises(DocumentRecord *document);
OSErr ConstruitVitrine(DocumentRecord *document);
OSErr ConstruitGrande(DocumentRecord *document);
OSErr ConstruitOrchestre(DocumentRecord *document);  // orchestra_demo.cpp
