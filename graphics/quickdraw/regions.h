// Regions: arbitrary pixel sets in the scan-line inversion-point form, their set operations,
// hit tests and offsetting, and the line states through which every region walker goes.
// Main thread only: the work buffers of the set operations are process-wide and unguarded.
#pragma once

#include "platform/core/mac_types.h"

// A region's data, 16-bit words in memory byte order. With rgnSize 10 the region is exactly
// rgnBBox (empty when the box is). Otherwise scan data follows: lines {row, ascending inversion
// points, kRgnEnd}, rows ascending, then one more kRgnEnd. The pixels of row y are the XOR of
// the inversion lists of every line whose row is <= y, read as half-open pairs [x1, x2).
struct MacRegion {
    SInt16 rgnSize;  // bytes of the whole record, this field included; even, 10..kRgnMaxBytes
    Rect rgnBBox;    // bounding box, right and bottom exclusive; 0,0,0,0 when empty
};
typedef MacRegion *RgnPtr;
typedef RgnPtr *RgnHandle;

enum : SInt16 {
    kRgnEnd = 32767,        // ends an inversion list, and the scan data
    kRgnRectSize = 10,      // header only
    kRgnMinCoord = -32767,  // range of rows and inversion points inside scan data
    kRgnMaxCoord = 32766,
};

enum : SInt32 {
    kRgnMaxBytes = 32766,                    // largest even size rgnSize can hold
    kSeglistBytes = 64000,                   // one line-state buffer of the set operations
    kSeglistWords = kSeglistBytes / 2,
};

// A line state ("seglist"): ascending x values read as pairs [start, end), ended by kRgnEnd.
typedef SInt16 Seglist;

RgnHandle NewRgn();  // empty 10-byte region; null (MemError set) without memory
void DisposeRgn(RgnHandle rgn);
#define DisposRgn DisposeRgn
void SetEmptyRgn(RgnHandle rgn);                // size 10, box 0,0,0,0; nothing for null
void RectRgn(RgnHandle rgn, const Rect *r);     // size 10, box r as given; nothing for null
void _SetRectRgn(RgnHandle rgn, SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);
void _CopyRgn(RgnHandle src, RgnHandle dst);    // byte copy of src's rgnSize bytes; nothing for null
void _OffsetRgn(RgnHandle rgn, SInt16 dh, SInt16 dv);  // coordinates saturate at the 16-bit range

// Set operations; dst may be a or b. A result larger than kRgnMaxBytes, or one whose line states
// outgrow the work buffers, becomes the empty region and is reported once through OrvaErreur.
void SectRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void _UnionRgn(RgnHandle a, RgnHandle b, RgnHandle dst);
void DiffRgn(RgnHandle a, RgnHandle b, RgnHandle dst);  // a minus b
void XorRgn(RgnHandle a, RgnHandle b, RgnHandle dst);

Boolean EmptyRgn(RgnHandle rgn);                   // the box is empty (true for null)
Boolean PtInRgn(Point pt, RgnHandle rgn);          // every segment of the row is examined
Boolean RectInRgn(const Rect *r, RgnHandle rgn);   // some pixel of r lies in rgn

// Checks a region taken from outside (a file, a picture): the handle holds rgnSize bytes, the
// size is even, rows and inversion points ascend within -32767..32766, every list has an even
// count and its end marker, the scan data ends with kRgnEnd at rgnSize and every row closes.
Boolean OrvaRegionIsValid(RgnHandle rgn);

// Calls band for every run of rows [top, bottom) that share one non-empty line state, from the
// top of the region down; a rectangular region is one band. state is valid during the call only.
typedef void (*RgnBandProc)(void *context, SInt16 top, SInt16 bottom, const Seglist *state);
void OrvaForEachRgnBand(RgnHandle rgn, RgnBandProc band, void *context);

// Line-state routines shared with the span fill and the picture player.
SInt32 orva_taille_seglist(const Seglist *list);  // bytes, end marker included
void reduit_liste(Seglist *list);                 // joins touching segments in place
// Applies to state (room for capacity values) every line of [lines, linesEnd) whose row is <= y.
// Answers the first line not applied, or null when the state would outgrow its room.
const SInt16 *orva_complete_seglist(Seglist *state, SInt32 capacity, SInt32 y, const SInt16 *lines,
                                    const SInt16 *linesEnd);
// Normalises a region after its scan data was written: one rectangle or nothing becomes the
// 10-byte form; otherwise the box is computed from the lines.
void orva_calcule_BBox(RgnHandle rgn);

// Number of 16-bit words of rgn's data that readers may use: rgnSize bounded by the handle's
// size; 5 (the header alone) for a region read as rectangular.
SInt32 OrvaRgnWords(RgnHandle rgn);
