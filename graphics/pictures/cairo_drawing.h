// Vector primitives on a foreign cairo context (a print page): the graphic context that the
// picture player on cairo sets up, and lines, rectangles, ovals, arcs, rounded rectangles,
// polygons, colours, patterns and clips in the context's user space. Stroked shapes lie inside
// their rectangle. Main thread only: one graphic context at a time.
#pragma once

#include "graphics/pictures/pictures.h"

struct CairoPictState {
    cairo_t *context;
    SInt16 frameBottom;
    SInt16 frameRight;
    double penWidth;   // device units
    double penHeight;
    double x;          // current point, device units
    double y;
    RGBColor foreground;
    RGBColor background;
    Pattern fillPat;
    Pattern penPat;
    Pattern spare[2];
    UInt16 fontId;
    UInt16 face;
    UInt16 textMode;
    double textSize;   // device units
    UInt32 spaceExtra;
};

extern CairoPictState gCairoPict;

// Zeroes the state, keeps context and the frame, and makes the scratch port current with
// context as its cairo context. The scratch port is opened once, without a pixel buffer.
CairoPictState *SystemDependantInitGraphicContext(cairo_t *context, SInt16 frameRight, SInt16 frameBottom);
GrafPtr OrvaCairoScratchPort();
void SystemDependantPenSize(double width, double height);
void SystemDependantMoveTo(double x, double y);
void SystemDependantLineTo(double x, double y);
void SystemDependantRect(Boolean stroke, double left, double top, double right, double bottom);
void SystemDependantOval(Boolean stroke, double left, double top, double right, double bottom);
// Degrees clockwise from 12 o'clock; a filled arc is the wedge from the centre.
void SystemDependantArc(Boolean stroke, double left, double top, double right, double bottom, SInt16 start, SInt16 arcAngle);
void SystemDependantRoundRect(Boolean stroke, double left, double right, double top, double bottom, double ovalW,
                              double ovalH);
void SystemDependantPolygon(Boolean stroke, const double *points, SInt32 count);
void SystemDependantRGBForeColor(const RGBColor *c);
void SystemDependantRGBBackColor(const RGBColor *c);
void SystemDependantSetPattern(const Pattern *pat);
// Plays picture into r of the current port (DrawPicture); true.
Boolean SystemDependantPrintPicture(PicHandle picture, const Rect *r);
// Clips to the rectangle and, for a non-rectangular region, to its bands mapped onto it.
void SystemDependantSetClipRgn(double x0, double y0, double x1, double y1, RgnHandle rgn);
