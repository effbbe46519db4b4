// Picture playback: DrawPicture plays a picture of any of the three kinds into a rectangle of
// the current port through the ordinary drawing calls, on a private copy of the port, so that a
// recording port records the played calls already mapped. Every operand is read within the
// picture's handle. Main thread only.
#pragma once

#include "graphics/pictures/pict_format.h"

enum : UInt16 {
    kPictMissingFont = 0xE200,  // local id of a picture font no installed font answers
};

void DrawPicture(PicHandle picture, const Rect *dst);
// The standard text and line bottlenecks that playback calls when the port has none.
void StdText(SInt16 count, const void *text, Point numer, Point denom);
void StdLine(Point newPt);

// Mapping helpers of playback, exposed for the other players.
SInt32 PictMulDivRound(SInt32 a, SInt32 b, SInt32 c);  // a * b / c rounded; 0 when c is 0
SInt16 PictClampCoord(SInt32 v);  // -32766..32766, except region markers outside +-29999

// The operands of a bit, pixel or direct image opcode (BitsRect to DirectBitsRgn) in machine
// order. The colour table of a pixel map is a new handle in map.pmTable (the caller disposes);
// rows point into the picture. False without memory.
struct PictImageRecord {
    PixMap map;
    Boolean isPixMap;
    Rect src;
    Rect dst;  // as recorded
    SInt16 mode;
    const PictFieldRecord *mask;  // the mask region field of the Rgn forms, or null
    const UInt8 *rows;
    UInt32 rowsLength;
};
Boolean OrvaPictReadImage(const PictWalkRecord *walk, const PictOpRecord *op, PictImageRecord *image);
