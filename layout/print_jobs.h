// Printing documents through the Printing Manager: the print record, kept for the whole process
// and in "TPRINT.PRM" of the preferences folder (its raw 120 bytes), the page setup and print
// dialogs, page-by-page printing, and the print of a document's pages that the player's print
// command and omrender share. Main thread only: the record is process-wide (print_jobs.cpp).
#pragma once

#include "graphics/pictures/pictures.h"
#include "platform/gtk/printing.h"
#include "score/score_model.h"

enum : SInt32 { kTailleTPrint = kTPrintBytes };
extern const char kNomFichierTPrint[];  // "TPRINT.PRM"

// The print record: read from "TPRINT.PRM" the first time (Printing Manager defaults when the
// file is missing, of another size or holds values out of range); null without memory.
THPrint GetEnregistrementImpression();
// Replaces the record by size bytes of a stored one: noErr when they are a usable record;
// paramErr (the record takes the defaults) for another size, resolutions outside 15..1540 dpi
// or empty or inverted page rectangles.
OSErr LitEnregistrementImpression(const UInt8 *bytes, UInt32 size);
OSErr SauveEnregistrementImpression();  // writes the record to "TPRINT.PRM"; ioErr when it cannot
void LibereEnregistrementImpression();  // forgets the record (read again on next use)
// The path of "TPRINT.PRM" into path (size bytes); false without a preferences folder.
Boolean GetCheminEnregistrementImpression(char *path, size_t size);

// The page setup dialog (PrStlDialog); when confirmed the record is saved. True when confirmed.
Boolean DoMiseEnPage();
// Notice that the printer's configuration changed: the record is validated again and saved.
void JeTePreviensConfigImprimanteChange();
// Asks the printer for kDpiImpression (PrGeneral); the record keeps what it grants.
void FixeResolutionMaxImprimante();
// The record's resolutions (kDpiImpression when it has none); either output may be null.
void GetResolutionImprimante(SInt16 *hRes, SInt16 *vRes);
// The print dialog for pages [first, last]: the range goes into the record (offsets 70 and 72),
// and with dialog set the Printing Manager's job dialog runs. True when confirmed.
Boolean DoJobImprimante(SInt16 first, SInt16 last, Boolean dialog);
// Starts a printer page (opening the document on the first one): *sheet gets the whole sheet in
// the record's units, the page rectangle grown by the paper's margins, where a page picture of
// the document is drawn. noErr, or the Printing Manager's error.
OSErr NouvellePageImprimante(Rect *sheet);
OSErr ImprimePageImprimante();  // ends the printer page; answers PrError (0 when printed)
void FermeImprimante();         // ends the document (the pages go to the printer) and PrClose

// Prints pages [first, last] of the document (cut to its pages), each copies times (the
// record's count when copies < 1), on paper of the document's size: each page is recorded as a
// picture at the output resolution and drawn onto the whole sheet. Answers the first error;
// paramErr for a document without a score or an empty range (nothing is printed, the printer is
// not opened). *printed (may be null) gets the printer pages made.
OSErr ImprimeDocument(DocumentRecord *document, SInt16 first, SInt16 last, SInt16 copies, SInt32 *printed);
