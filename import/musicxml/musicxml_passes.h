// The passes of a MusicXML load, in the order the driver runs them, each given the load's state.
// musicxml_infos.cpp: titles and scale; musicxml_staves.cpp: staves, instruments and bars;
// musicxml_frame.cpp and musicxml_events.cpp: measures; musicxml_notes.cpp and
// musicxml_notations.cpp: notes; musicxml_later_passes.cpp: the passes still to come (chord
// symbols, directions, lyrics and texts, pagination and appearance), which change nothing yet.
// Main thread only.
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

// The measure-frame pass (musicxml_frame.cpp, musicxml_events.cpp): the score's measures from the
// bar records, every note element annotated with its timing ("czdur", "czdispdur", "czpos",
// "cztuplet", "curdiv"), the measure-level elements of all parts handled in time order.
void XMLCreateMusicFrame(XMLImportState *state);
// The record of a measure: the one at ordinal when its number is exactly number, else the
// first one of that number; -1 when none (or no number).
SInt32 XMLGetBarNumberingIndexFromIndexAndName(XMLImportState *state, SInt32 ordinal, const char *number);
SInt16 XMLGetPlacement(XMLElt *element);  // "below" 0, "above" 1, anything else -1
struct XMLMeasureEvent;
void XMLProcessEvent(XMLImportState *state, const XMLMeasureEvent *event);

// The notes pass (musicxml_notes.cpp, musicxml_notations.cpp): notes, rests and chords with what
// hangs on them, part groups, grace notes and the final fix-ups.
void XMLAddNotes(XMLImportState *state);
void XMLDisposeJumpDict(XMLImportState *state);

// ---- Still to come ----------------------------------------------------------------------------
// Each keeps its place in the order of the passes and changes nothing yet.
void XMLClearAppearance(XMLImportState *state);
void XMLClearPagination(XMLImportState *state, DocumentRecord *document);  // null: at the end of the load
void XMLFinalizeLyrics(XMLImportState *state);
void XMLFinalizeDynamics(XMLImportState *state);
void XMLFinalizeAppearance(XMLImportState *state);
void XMLPaginationRecalculeLargeurObjetsTexte(XMLImportState *state);
void XMLPaginationRecalculeLargeurDiagrammes(XMLImportState *state);
void XMLSetSilenceMultiple(XMLImportState *state, SInt32 count);
void XMLSetStaffHeight(XMLImportState *state, SInt32 part, SInt16 staff, float tenths);  // staff from 1
// Pagination: a bar's width in tenths (1e30 none), page and system commands and layouts.
void XMLSetBarWidth(XMLImportState *state, SInt32 bar, float tenths);
void XMLNewPageCommand(XMLImportState *state, SInt32 bar, long pageNumber);  // -1: no number
void XMLNewSystemCommand(XMLImportState *state, SInt32 bar);
void XMLNewPageLayout(XMLImportState *state, SInt32 bar, XMLElt *element);
void XMLNewSystemLayout(XMLImportState *state, SInt32 bar, XMLElt *element);
void XMLNewStaffLayout(XMLImportState *state, SInt32 bar, SInt32 part, long number, XMLElt *element);
void XMLSetStaffSpacing(XMLImportState *state, float tenths);  // 1e30: the default spacing
void XMLAppliquePagination(XMLImportState *state, DocumentRecord *document);
// Directions of a staff at a time (noteIndex: the note they belong to, or -1); placement as
// XMLGetPlacement gives it.
void XMLProcessDynamic(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                       SInt32 divisions, SInt16 placement);
void XMLProcessWedge(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                     SInt32 divisions, SInt16 placement);
void XMLProcessPedal(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                     SInt32 divisions, SInt16 placement);
void XMLProcessOctaveShift(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                           SInt32 divisions, SInt16 placement);
void XMLProcessLocalImage(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                          SInt32 divisions, SInt16 placement);
void XMLProcessWord(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 time, SInt32 noteIndex,
                    SInt32 divisions, SInt16 placement);
// Where a direction stands: x a score time, y points below the staff's top (negative above),
// relativeX points.
void XMLCalculePosXY(XMLImportState *state, XMLElt *element, StaffHandle staff, SInt32 noteIndex, SInt32 time,
                     SInt32 divisions, float *x, float *y, SInt16 placement, float *relativeX);
void XMLProcessImages(XMLImportState *state);
void XMLProcessExtraGraphics(XMLImportState *state);
void XMLProcessChordSymbol(XMLImportState *state, const XMLMeasureEvent *event);
// Texts: the lyric of a note at a time, the credits and the titles they hold.
void XMLProcessLyric(XMLImportState *state, StaffHandle staff, SInt32 time, XMLElt *lyric);
void XMLProcessCredits(XMLImportState *state);
void XMLConvertFreeObjectsToDocumentInfo(XMLImportState *state, DocumentRecord *document);
