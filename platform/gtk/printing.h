// The Printing Manager on GTK's print operation: each page drawn between PrOpenPage and
// PrClosePage is recorded as a picture; PrCloseDoc runs the print dialog and plays page N onto
// the printer's cairo context when GTK asks for it. Lengths of the print record are in 1/600
// inch. Main thread only.
#pragma once

#include "graphics/pictures/pictures.h"

typedef Handle THPrint;  // the print record, at least kTPrintBytes

enum : SInt16 {
    kTPrintBytes = 120,
    kPrintResolution = 600,
    kPrOffsetVRes = 4,
    kPrOffsetHRes = 6,
    kPrOffsetPage = 8,
    kPrOffsetPaper = 16,
    kPrOffsetFirstPage = 70,
    kPrOffsetLastPage = 72,
    kPrOffsetCopies = 74,
    kPrOffsetSpare = 76,
    kPrGetResolution = 4,
    kPrSetResolution = 5,
};

void PrOpen();
void PrClose();
void PrintDefault(THPrint hPrint);
Boolean PrValidate(THPrint hPrint);  // false
Boolean PrStlDialog(THPrint hPrint);  // true
Boolean PrJobDialog(THPrint hPrint);  // true
GrafPtr PrOpenDoc(THPrint hPrint, GrafPtr port, Ptr ioBuffer);  // answers port
void PrOpenPage(THPrint hPrint, Rect *pageFrame);  // records the current port on the page Rect
void PrClosePage(GrafPtr port);
void PrCloseDoc(GrafPtr port);
void PrGeneral(Ptr block);
SInt16 PrError();
void PrSetError(SInt16 code);
void OrvaSetPrJobName(const char *name);  // null: "Orva"
// The paper of the next jobs, in points (a document's own paper); the margins stay. Sizes under
// an inch are ignored.
void OrvaSetPrintPaperSize(double widthPoints, double heightPoints);
void PrStlInit(THPrint hPrint);
void PrJobInit(THPrint hPrint);
void PrDlgMain(THPrint hPrint, void *init);
void PrJobMerge(THPrint src, THPrint dst);
void PrPicFile(THPrint hPrint, void *, Ptr, Ptr, void *);
SInt16 PrSetOrientation(SInt16 orientation);  // 0
void OrvaFixePageMaxImprimante(SInt16 pages);
SInt32 OrvaCreeHDCPrinterDefault();  // 0

// Test seams. With an export file, PrCloseDoc exports the pages to that PDF instead of showing
// the print dialog. The page-setup hook answers PrStlDialog instead of the dialog: it is given
// the current page setup (a GtkPageSetup) and answers the new one (owned by the caller) or null.
void OrvaSetPrintExportFile(const char *path);  // null: the dialog again
void OrvaSetPageSetupHook(void *(*hook)(void *currentSetup));
