// Resolutions, zoom and units of page layout: the output resolution pages are drawn at, the
// zoomed forms of staff values, tenths of a millimetre, the print zoom and the clamp of 32-bit
// rectangles to QuickDraw's. Main thread only: the resolution is process-wide (kept in the
// layout state record of units.cpp).
#pragma once

#include "graphics/quickdraw/big_rect.h"
#include "score/score_model.h"

enum : SInt16 {
    kDpiEcran = 72,        // the ribbon's and the first output resolution
    kDpiImpression = 600,  // what printing asks of the printer (FixeResolutionMaxImprimante)
    kDpiMax = 9600,        // higher output resolutions are held here
};

// The output resolution of pages, in dots per inch. A value of 0 or less is ignored (every
// conversion divides by it): the previous one is kept, 72 at first; values above kDpiMax are
// held there.
void SetDpiDest(SInt16 dpi);
SInt16 GetDpiDest();
// The output resolution for a score: its zoom (72.0 once loaded) times the screen's scale (1
// here), through SetDpiDest. Nothing for an invalid score.
void SetDpiPartition(ScoreHandle score);

// A value of points (72 dpi, zoom 1) at the page zoom last laid out (the document's zoom) and the
// output resolution, rounded; ZoomRuban: at the score's ribbon resolution.
SInt32 Zoom(SInt32 value);
SInt32 ZoomRuban(ScoreHandle score, SInt32 value);
void FixeZoomPage(float zoom);  // the document zoom Zoom applies (layout sets it; 1 at first)
float GetZoomPage();

// Lengths in pixels as tenths of a millimetre, rounded: at the page setup's horizontal
// resolution (the output resolution when it has none, or setup is null), or at 72 dpi.
SInt32 CvtPixelEnPosDixiemeMM(const PageSetupRecord *setup, SInt32 pixels);
SInt32 CvtPixel72EnPosDixiemeMM(const PageSetupRecord *setup, SInt32 pixels);
// Tenths of a millimetre as pixels at dpi (a float: callers round where they draw).
float CvtDixiemeMMEnPixels(SInt32 tenths, float dpi);

// Divides the rectangle by the print zoom (printer over output resolution), held at 0.1 at
// least; a zoom that is not a number counts as 1.
void AppliqueZoomPrintDocumentAuRect(float zoom, Rect *rect);
// A 32-bit rectangle in QuickDraw's plane: each side clamped to -32767..32767.
void CvtBigRectEnRect(const BigRect *big, Rect *rect);
SInt16 BornePixel(float value);  // a coordinate rounded and clamped the same way
