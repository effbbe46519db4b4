// What the Extended TextEdit geometry, drawing and editing files share and nobody else calls:
// line geometry in pixels, character boundaries, the selection region, the record's port made
// current with a limited clip, and the caret's shape. Main thread only.
// extended_geometry.cpp: positions, offsets, rotation, the selection region.
// extended_draw.cpp: drawing, highlighting, the caret, scrolling.
// extended_edit.cpp: selection, insertion, deletion, the scrap. extended_keys.cpp: keys, clicks.
#pragma once

#include "graphics/text/extended_textedit.h"

// Serves pending updates while the mouse is tracked (the Carbon-style accessors).
void CarboniseValideUpdate();

enum : SInt32 {
    kExtendedFarPosition = 32000,   // h of a position asked of a record never laid out
    kExtendedFarOffset = 5000,      // offsets above this in such a record answer it at once
    kExtendedPositionLimit = 30000, // v of positions is held within +- this for regions
};

// The record's port made current; the port current before put back.
struct ExtendedViewPort {
    GrafPtr former;
};
void ExtendedViewEnter(ExtendedTEHandle te, ExtendedViewPort *save);
void ExtendedViewLeave(const ExtendedViewPort *save);

// The current port's clip limited to a rectangle or a region, and put back. False (nothing
// changed) without memory.
struct ExtendedClipSave {
    RgnHandle saved;  // the clip before; null when nothing was changed
};
Boolean ExtendedClipToRect(const Rect *r, ExtendedClipSave *save);
Boolean ExtendedClipToRgn(RgnHandle rgn, ExtendedClipSave *save);
void ExtendedClipRestore(ExtendedClipSave *save);

SInt16 ExtendedClamp16(SInt32 value);
SInt32 ExtendedClampOffset(ExtendedTEHandle te, SInt32 offset);  // into 0..teLength
// Whether offset starts a character (UTF-8 mode); every offset in 8-bit mode.
Boolean ExtendedIsBoundary(ExtendedTEHandle te, SInt32 offset);
SInt32 ExtendedSnapBack(ExtendedTEHandle te, SInt32 offset);  // the boundary at or before offset
float ExtendedViewZoom(ExtendedTEHandle te);  // 1 without style handle

// Line geometry in pixels at the zoom. line may be nLines: the line after a final CR.
SInt32 ExtendedLineHeightPx(ExtendedTEHandle te, SInt32 line);
SInt32 ExtendedLineAscentPx(ExtendedTEHandle te, SInt32 line);
SInt32 ExtendedLineTop(ExtendedTEHandle te, SInt32 line);  // local v of its top
SInt32 ExtendedLineStart(ExtendedTEHandle te, SInt32 line);
SInt32 ExtendedLineNext(ExtendedTEHandle te, SInt32 line);  // next line's start, teLength for the last
SInt32 ExtendedJustOffset(ExtendedTEHandle te, SInt32 line);
SInt32 ExtendedTextHeight(ExtendedTEHandle te);  // ExtendedTEGetHeight of every line
// ExtendedTEGetPoint, also answering the line the position stands on.
BigPoint ExtendedPointOf(ExtendedTEHandle te, SInt32 offset, SInt32 *line);
SInt32 ExtendedOffsetAt(ExtendedTEHandle te, SInt32 h, SInt32 v);  // ExtendedTEGetOffset unpacked
SInt32 ExtendedPack(SInt32 h, SInt32 v);  // h in the high 16 bits, v in the low
// A point of the port turned back about the destination's centre: where it falls in the text
// as laid out, before the record's rotation. The point itself without rotation.
Point ExtendedUnturnPoint(ExtendedTEHandle te, Point point);
// The region of a..b (a <= b) as up to three rectangles; a new region (caller disposes), null
// without memory.
RgnHandle ExtendedSelectionRgn(ExtendedTEHandle te, SInt32 a, SInt32 b);

// The caret drawn by XOR where the record's caret stands (extended_draw.cpp); used by the
// selection code to put a shown caret back after a redraw.
void ExtendedXorCaret(ExtendedTEHandle te);
// The bytes of a UTF-8 text as UTF-16, pairs for characters past U+FFFF, and back; lone
// surrogates read as U+FFFD (extended_edit.cpp).
void ExtendedUTF8ToUnits(const UInt8 *text, SInt32 count, UniChar *units, SInt32 *unitCount);
SInt32 ExtendedUnitsToUTF8(const UniChar *units, SInt32 count, UInt8 *text);  // text: 3 bytes a unit
