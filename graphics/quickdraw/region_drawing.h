// Regions drawn, and regions made by drawing: the region verbs, OpenRgn / CloseRgn with the
// line collector and the accumulator that turns drawn runs into scan lines, the direct tracing
// of outlines for the composite shape verbs, ScrollRect and its pixel mover.
// Main thread only: the recording and tracing state is process-wide.
#pragma once

#include "graphics/pictures/pictures.h"

// The region verbs: each saves the pen and colours, sets the pen for its action, fills (only
// while the pen is visible) and restores; while a picture is open it records 0x80..0x84 with
// the region's data.
void _PaintRgn(RgnHandle rgn);
void EraseRgn(RgnHandle rgn);
void _InvertRgn(RgnHandle rgn);
void _FillRgn(RgnHandle rgn, const Pattern *pat);
void _FrameRgn(RgnHandle rgn);  // the outline lies inside the right and bottom edges
// The filling step shared by the verbs: every segment of every band of identical rows as one
// stroke of the current pen, nothing recorded. Nothing while the pen is hidden.
void OrvaFillRgn(RgnHandle rgn);

// Outline recording: OpenRgn records every drawing call of the current port into a picture;
// CloseRgn plays it through the installed picture player with lines collected, and makes rgn
// of what was drawn (empty when no player is installed). OpenRgn does not nest.
void OpenRgn();
void CloseRgn(RgnHandle rgn);
typedef void (*RgnPicturePlayerProc)(PicHandle picture, const Rect *frame);
void OrvaSetRgnPicturePlayer(RgnPicturePlayerProc player);  // installed by picture playback
// The direct tracing of the composite verbs: outline (context) runs in the tracing port with a
// 1x1 pen and lines collected, and rgn becomes what it drew, as CloseRgn would make it from a
// recording of the same calls. Tracings nest.
void OrvaTraceRgn(RgnHandle rgn, void (*outline)(void *context), void *context);
Boolean OrvaIsCollectingLines();  // lines go to the collector instead of the pixels
// While on, runs reaching the tracing change its scan lines but are not counted as drawn.
void OrvaTraceChangesOnly(Boolean on);
// Collects a line (a zero-length one is ignored; a vertical one sharing an end with a collected
// vertical line at the same h extends it).
void OrvaAddLine2Rgn(SInt16 startH, SInt16 startV, SInt16 endH, SInt16 endV);

// Moves the pixels of r (local) by (dh, dv) within the effective clip, erases the uncovered
// part and gives it in updateRgn (may be null). (0, 0) only empties updateRgn.
void ScrollRect(const Rect *r, SInt16 dh, SInt16 dv, RgnHandle updateRgn);
// Copies the buffer pixels of src to dstTopLeft, only where both a pixel and its destination
// lie in clip (buffer coordinates), through the line-move slot; overlap-safe.
void orva_CopyScreen(const Rect *src, Point dstTopLeft, RgnHandle clip);
