// The passes of a MusicXML load, in the order the driver runs them, each given the load's state.
// musicxml_infos.cpp: titles and scale; musicxml_staves.cpp: staves, instruments and bars;
// musicxml_later_passes.cpp: the passes still to come (measures, notes, directions, lyrics,
// pagination and appearance), which change nothing yet. Main thread only.
#pragma once

#include "import/musicxml/musicxml_state.h"

// Titles and creators into the document's three title slots (title, composer, poet).
void XMLGetInfos(XMLImportState *state);
// The scale of the "scaling" child of "defaults": millimetres per tenth, 0.15 when not given.
void XMLGetScaling(XMLImportState *state);
float XMLGetCurMMParTenth(const XMLImportState *state);

// Replaces the score's staves with one per part, staff number, voice and instrument, makes the
// instruments and the bar-numbering records. memFullErr when the tables cannot grow.
OSErr XMLCreePortees(XMLImportState *state);

// ---- Still to come ----------------------------------------------------------------------------
void XMLClearAppearance(XMLImportState *state);
void XMLClearPagination(XMLImportState *state, DocumentRecord *document);  // null: at the end of the load
void XMLCreateMusicFrame(XMLImportState *state);
void XMLAddNotes(XMLImportState *state);
void XMLFinalizeLyrics(XMLImportState *state);
void XMLFinalizeDynamics(XMLImportState *state);
void XMLFinalizeAppearance(XMLImportState *state);
void XMLDisposeJumpDict(XMLImportState *state);
void XMLPaginationRecalculeLargeurObjetsTexte(XMLImportState *state);
void XMLPaginationRecalculeLargeurDiagrammes(XMLImportState *state);
void XMLSetSilenceMultiple(XMLImportState *state, SInt32 count);
void XMLSetStaffHeight(XMLImportState *state, SInt32 part, SInt16 staff, float tenths);  // staff from 1
