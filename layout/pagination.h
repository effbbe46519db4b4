// Page layout of a document: its current score laid out in systems (lines) and pages for the
// document's page setup, zoom and current view. Geometry is computed at kDpiMiseEnPage whatever
// the output resolution, so that the same document breaks into the same lines and pages at every
// resolution; the accessors answer pixels at the output resolution (GetDpiDest). The layout is
// one flat handle in DocumentRecord::pages: a header, the page records, the line records, the
// y of each staff on each line and the x of each measure on its line.
// pagination.cpp: breaking into lines and pages. page_setup.cpp: page setups, print
// information, titles and rescaling. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt32 {
    kDpiMiseEnPage = 600,       // resolution the geometry is computed at
    kMaxPagesMiseEnPage = 32000,
    kMaxPagesReservees = 100,   // reserved pages (covers) before the music, at most
    kLayoutsRecalculMax = 12,   // layouts RecalculeEchellePourNombreDePage tries at most
};

// What the printer offers for a document: its resolutions and the paper at them.
struct PrintInfoRecord {
    SInt16 hRes;        // dots per inch
    SInt16 vRes;
    SInt32 pageWidth;   // the paper in dots
    SInt32 pageHeight;
};

// One page: its lines, and where its music starts.
struct PageRecord {
    SInt32 firstLine;   // index of its first line among all lines
    SInt32 lineCount;   // 0 on reserved pages and on the page of a score without measures
    float contentTop;   // pixels: below the titles on the page that shows them
    UInt8 titles;       // the titles are drawn on this page
    UInt8 reserved;     // a reserved page: paper and free objects only
    UInt8 unused[2];
};

// One system of a page.
struct LigneRecord {
    SInt16 inUse;            // 1
    SInt16 names;            // 1: long names shown at its left, 2: short names
    SInt32 firstMeasure;
    SInt32 closingMeasure;   // the measure after its last: it spans [first, closing)
    float top, bottom;       // pixels: the bands of its staves, top of the first to bottom of the last
    float left, right;       // pixels: where its staves' lines begin and end
    float namesRight;        // pixels: the names end here (right-aligned), left of the braces
    float space;             // pixels of the reference staff space (the largest staff's)
    float pointPixels;       // pixels per point of text and marks (zoom x resolution / 72)
    SInt32 xIndex;           // private: its measures' x in the layout's table
    SInt32 yIndex;           // private: its staves' y in the layout's table
};

// Lays the document's current score out for the page setup (null: the document's) at the
// document's zoom (0: 1.0) and current view. noErr (the layout stands in document->pages and
// document->pageCount, and layoutComputed is set); paramErr without a document; memFullErr
// without memory (the previous layout is kept). A score without measures gets one page with the
// titles. A measure wider than its system is squeezed onto a system of its own; a run of
// break-forbidden measures wider than a system is broken where it must be (traced once).
OSErr MetsEnPageDocument(DocumentRecord *document, const PageSetupRecord *setup, const PrintInfoRecord *info);
// Brings the score's measure table up to date, lays its document out when the layout is not
// computed or no longer fits the score, and answers the number of pages (reserved ones
// included); 0 for an invalid score or one without a document.
SInt16 CombienDePages(ScoreHandle score);
void FixeMiseEnPageNonCalculee(DocumentRecord *document);  // the next CombienDePages lays out again
Boolean IsMiseEnPageCalculee(DocumentRecord *document);

// Accessors, pixels at the output resolution. Pages count from 1, lines from 0 within a page.
SInt16 GetNbPagesDocument(DocumentRecord *document);  // as laid out; 0 before
Boolean GetPageMiseEnPage(DocumentRecord *document, SInt16 page, PageRecord *out);
Boolean GetLigneMiseEnPage(DocumentRecord *document, SInt16 page, SInt32 line, LigneRecord *out);
// The y of the top line of staff (score index) on a line; -1 when the line does not show it.
float GetYPorteeLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt16 staff);
// The x of the bar line before measure and where its notes begin, on the line that shows it;
// false when the line does not. measure may be the line's closing measure (its end).
Boolean GetXMesureLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt32 measure, float *barX, float *notesX);
// The x of a score time on a line: proportional inside its measure, as the engraver places notes;
// times outside the line answer its ends.
float CvtTempsEnXLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt32 time);
// The page (from 1) showing the measure; 0 when none does.
SInt16 GetPageMesure(DocumentRecord *document, SInt32 measure);
// The paper's size in pixels.
void GetTaillePapier(DocumentRecord *document, float *width, float *height);

// ---- page_setup.cpp ----------------------------------------------------------------------------
// The standard page setup: A4 (595 x 842 points), 15 mm margins, the printer's resolution.
void FixeMiseEnPageStandardDocument(DocumentRecord *document);
// The paper of a page setup in points; A4 when the setup gives none or a paper under an inch,
// held at 5 m a side.
void GetPapierMiseEnPage(const PageSetupRecord *setup, float *width, float *height);
// The margins of a page setup in tenths of a millimetre (left, top, right, bottom), none negative;
// the standard ones when the setup gives no paper.
void GetMargesMiseEnPage(const PageSetupRecord *setup, SInt32 margins[4]);
// The printer's resolutions (those of the print record, 600 before printing is prepared) and
// the document's paper at them.
void GetPrInfoDocument(DocumentRecord *document, PrintInfoRecord *info);
// The bottom of a title block, tenths of a millimetre below the top margin: its place plus the
// height of its lines in its style; its place alone for an empty title. layout is not read.
SInt32 GetPosBasTitre(const PageLayoutRecord *layout, const TitleSlot *title);
// Where the document's title slot (0 title, 1 composer, 2 poet) stands, tenths of a millimetre
// below the top margin: its own place, except that a slot at 0 that follows a slot shown above
// it (also at 0) goes below that slot's block, so that titles never print over each other.
SInt32 GetPosTitre(DocumentRecord *document, SInt16 slot);
// The bottom of the lowest title block of the document (GetPosTitre plus its lines), 0 without titles.
SInt32 GetBasTitres(DocumentRecord *document);
// Rescales the document (its zoom) so that it lays out on wanted pages: a bisection over the
// zoom of at most kLayoutsRecalculMax layouts that keeps the zoom giving the nearest count
// (the largest such zoom), then lays the document out with it. Answers the page count reached;
// 0 for a document without a score or wanted below 1.
SInt16 RecalculeEchellePourNombreDePage(DocumentRecord *document, SInt16 wanted);
