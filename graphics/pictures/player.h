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
