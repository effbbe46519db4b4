// The passes of the load that are still to come. Each keeps its place in the driver's order and
// changes nothing yet: the imported score has its staves, instruments and bar records, but no
// measures, notes, directions, lyrics or page layout of the document.
#include "import/musicxml/musicxml_passes.h"

// FIXME: without these passes an imported score shows empty staves over one measure.
void XMLClearAppearance(XMLImportState *) {}
void XMLClearPagination(XMLImportState *, DocumentRecord *) {}
void XMLCreateMusicFrame(XMLImportState *) {}
void XMLAddNotes(XMLImportState *) {}
void XMLFinalizeLyrics(XMLImportState *) {}
void XMLFinalizeDynamics(XMLImportState *) {}
void XMLFinalizeAppearance(XMLImportState *) {}
void XMLDisposeJumpDict(XMLImportState *) {}
void XMLPaginationRecalculeLargeurObjetsTexte(XMLImportState *) {}
void XMLPaginationRecalculeLargeurDiagrammes(XMLImportState *) {}
void XMLSetSilenceMultiple(XMLImportState *, SInt32) {}
void XMLSetStaffHeight(XMLImportState *, SInt32, SInt16, float) {}
