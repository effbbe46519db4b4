// Bezier curves: chains of cubic segments in floating point, their smoothing from a closed
// polygon, bounding box and drawing, and their passage through pictures as text comments of
// kind 5479 between "START" and "STOP" with a raster fallback between them. OrvaDrawPicture
// plays a picture with Bezier-aware bottlenecks. Main thread only: the playback state is
// process-wide.
#pragma once

#include "graphics/pictures/pictures.h"

struct BezierPoint {  // local coordinates of the port
    float x, y;
    float inX, inY;    // incoming handle
    float outX, outY;  // outgoing handle
};

enum : SInt16 {
    kBezierFilled = 0,
    kBezierOpenStroke = 1,
    kBezierClosedStroke = 2,
    kBezierCapRound = 0,
    kBezierCapSquare = 1,
    kBezierCapButt = 2,
    kBezierJoinMiter = 0,
    kBezierJoinBevel = 1,
    kBezierJoinRound = 2,
    kPictCommentBezier = 5479,
    kBezierPointsPerComment = 100,
};

float BzLength(float x1, float y1, float x2, float y2);
void BzNormalise(float *x, float *y);
void BzRotateClockwise(float *x, float *y);         // (x, y) becomes (-y, x)
void BzRotateCounterclockwise(float *x, float *y);  // (x, y) becomes (y, -x)
void BzGetTangente(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty);
void BzGetMedianeDroite(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty);
void BzGetMedianeGauche(float px, float py, float cx, float cy, float nx, float ny, float *tx, float *ty);
void BzSmoothPolygon(BezierPoint *points, SInt32 n, float factor, Boolean roundEnds);
void BzGetBBox(const BezierPoint *points, SInt32 n, Rect *rect);
// Segments drawn for a chain of n points of kind.
SInt32 BzSegmentCount(const BezierPoint *points, SInt32 n, SInt16 kind);
// The reduction of the raster fallback for a w x h box: the smallest k from 2 up that brings
// (w / k) x (h / k) to a million pixels at most, or 1 when the box is that small already.
SInt32 BzFallbackReduction(SInt32 w, SInt32 h);
// "%.3f" in the C locale, trailing zeros and point removed, then one space.
void BzFormatNumber(float value, char *out, size_t room);

void OrvaDrawBezier(const BezierPoint *points, SInt32 n, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                    Boolean antialias);
// Interprets one comment text; 1 when it was a Bezier command. map maps a point in place.
SInt16 BzProcessBezierCommand(const char *text, SInt32 length, Boolean recording, Boolean direct,
                              void (*map)(float *x, float *y));
void BzSetBezierEngagedInDrawPict(Boolean engaged);
Boolean BzIsBezierEngagedInDrawPict();
void OrvaDrawPicture(PicHandle picture, const Rect *dstRect);

// Draws a chain on port's cairo context (platform layer).
void SystemDependantBezierShape(GrafPtr port, const BezierPoint *points, SInt32 n, UInt16 red, UInt16 green, UInt16 blue,
                                SInt16 penMode, SInt16 kind, SInt16 cap, SInt16 join, float miterLimit,
                                Boolean antialias);
