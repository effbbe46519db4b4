// The parts of the load that are still to come. Each keeps its place in the driver's order and
// in the measure-frame and notes passes, and changes nothing yet: the imported score has its
// staves, measures, notes, ties, slurs, beams, marks, repeats and tempo marks, but no chord
// symbols, dynamics, hairpins, pedals, octave shifts, words, lyrics, credits, pictures or page
// layout of the document.
#include "import/musicxml/musicxml_passes.h"

// FIXME: without these an imported score shows no dynamics, texts or lyrics and takes the
// default page layout.
void XMLClearAppearance(XMLImportState *) {}
void XMLClearPagination(XMLImportState *, DocumentRecord *) {}
void XMLFinalizeLyrics(XMLImportState *) {}
void XMLFinalizeDynamics(XMLImportState *) {}
void XMLFinalizeAppearance(XMLImportState *) {}
void XMLPaginationRecalculeLargeurObjetsTexte(XMLImportState *) {}
void XMLPaginationRecalculeLargeurDiagrammes(XMLImportState *) {}
void XMLSetSilenceMultiple(XMLImportState *, SInt32) {}
void XMLSetStaffHeight(XMLImportState *, SInt32, SInt16, float) {}
void XMLSetBarWidth(XMLImportState *, SInt32, float) {}
void XMLNewPageCommand(XMLImportState *, SInt32, long) {}
void XMLNewSystemCommand(XMLImportState *, SInt32) {}
void XMLNewPageLayout(XMLImportState *, SInt32, XMLElt *) {}
void XMLNewSystemLayout(XMLImportState *, SInt32, XMLElt *) {}
void XMLNewStaffLayout(XMLImportState *, SInt32, SInt32, long, XMLElt *) {}
void XMLSetStaffSpacing(XMLImportState *, float) {}
void XMLAppliquePagination(XMLImportState *, DocumentRecord *) {}
void XMLProcessDynamic(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessWedge(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessPedal(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessOctaveShift(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessLocalImage(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessWord(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32, SInt32, SInt16) {}
void XMLProcessImages(XMLImportState *) {}
void XMLProcessExtraGraphics(XMLImportState *) {}
void XMLProcessChordSymbol(XMLImportState *, const XMLMeasureEvent *) {}
void XMLProcessLyric(XMLImportState *, StaffHandle, SInt32, XMLElt *) {}
void XMLProcessCredits(XMLImportState *) {}
void XMLConvertFreeObjectsToDocumentInfo(XMLImportState *, DocumentRecord *) {}

// Until directions are placed from their offsets, a direction stands at its time, a space and a
// half above the staff.
void XMLCalculePosXY(XMLImportState *, XMLElt *, StaffHandle, SInt32, SInt32 time, SInt32, float *x, float *y, SInt16,
                     float *relativeX) {
    if (x) *x = float(time);
    if (y) *y = -9.0f;
    if (relativeX) *relativeX = 0.0f;
}
