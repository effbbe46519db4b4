// The QuickDraw shape verbs on the current port: lines, and frame, paint, erase, invert and
// fill of rectangles, rounded rectangles, ovals, arcs and polygons. Shapes become pen-sized runs
// of the raster core, or regions traced from their outline and painted. While a picture is
// open each verb records exactly one opcode (and OvSize or FillPat before it); the pen that
// OpenPicture hides keeps the port's pixels unchanged. shapes.cpp holds the verb machinery,
// rectangles and lines, ovals.cpp ovals, rounded rectangles and arcs, polygons.cpp polygons.
// Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

// Everything a composite verb changes, saved before and restored after it.
struct OrvaPenAndColorState {
    PenState pen;
    SInt32 fgColor;
    SInt32 bkColor;
    UInt32 forePixel;
    UInt32 backPixel;
    RGBColor rgbFgColor;
    RGBColor rgbBkColor;
    PixPatHandle pnPixPat;
    PixPatHandle bkPixPat;
};

// How a composite verb sets the pen before drawing (pen size 1x1 in every case).
enum ShapeVerb : UInt8 {
    kVerbPaint,      // pattern, pixel pattern and mode unchanged
    kVerbErase,      // bkPat (and bkPixPat), patCopy
    kVerbInvert,     // black, patXor; highlights once when HiliteMode's bit 7 is clear
    kVerbFill,       // fillPat, patCopy
    kVerbBlackCopy,  // black, patCopy
    kVerbText,       // black, txMode
    kVerbHilite,     // pattern unchanged, highlight mode
};

struct PolygonRecord {
    SInt16 polySize;   // 10 + 4 x points, in bytes
    Rect polyBBox;     // right and bottom one past the largest h and v
    Point polyPoints[1];
};
typedef PolygonRecord *PolyPtr;
typedef PolyPtr *PolyHandle;

enum : SInt16 {
    kPolyHeaderBytes = 10,
    kPolyMaxPoints = (32767 - kPolyHeaderBytes) / 4,
};

// Bit 7 clear: the next invert verb highlights instead, and sets the bit again. Starts 0x80.
extern UInt8 HiliteMode;

void OrvaGetPenAndColorState(OrvaPenAndColorState *state);   // zeros without a port
void OrvaSetPenAndColorState(const OrvaPenAndColorState *state);
// Saves the pen and colours into saved and sets the pen for verb, recording nothing.
void OrvaBeginVerb(ShapeVerb verb, OrvaPenAndColorState *saved);
void OrvaEndVerb(const OrvaPenAndColorState *saved);  // restores, recording nothing

// Lines: from (ha, va) to (hb, vb) in pen-size runs, or collected while a region is traced.
void LineAbs(SInt16 ha, SInt16 va, SInt16 hb, SInt16 vb);
// A pen-sized dot at (h, v) in rgb (Line (0, 0) with the current pen); the foreground colour
// and the pen location are restored afterwards.
void SetCPixel(SInt16 h, SInt16 v, const RGBColor *rgb);

// Rectangles.
void _FrameRect(const Rect *r);
void PaintRect(const Rect *r);
void EraseRect(const Rect *r);
void _InvertRect(const Rect *r);
void _FillRect(const Rect *r, const Pattern *pat);
void orva_Rectangle(const Rect *r);       // the frame drawing of _FrameRect, not recorded
void OrvaInvertRect(const Rect *r);       // the invert drawing, never recorded
void orva_EraseBar(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom);  // not recorded

// Rounded rectangles: one corner radius (ovalW + ovalH) / 4, cut to half the rectangle.
void FrameRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH);
void PaintRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH);
void EraseRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH);
void InvertRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH);
void FillRoundRect(const Rect *r, SInt16 ovalW, SInt16 ovalH, const Pattern *pat);

// Ovals: the frame lies on the oval of r less the pen size; fills cover the oval of r. Every
// row is drawn once, and both are mirror-symmetric.
void FrameOval(const Rect *r);
void PaintOval(const Rect *r);
void EraseOval(const Rect *r);
void InvertOval(const Rect *r);  // inverts the region traced from FrameOval; records InvertRgn
void FillOval(const Rect *r, const Pattern *pat);

// Arcs: degrees clockwise from 12 o'clock; the wedges are traced as regions and painted.
void FrameArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle);
void PaintArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle);
void EraseArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle);
void InvertArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle);
void FillArc(const Rect *r, SInt16 startAngle, SInt16 arcAngle);  // with the port's fillPat

// Polygons. A polygon whose polySize is below two points or above its handle draws nothing.
PolyHandle OpenPoly();   // null without a port or memory; lines drawn until ClosePoly add points
void ClosePoly();
void KillPoly(PolyHandle poly);
void OffsetPoly(PolyHandle poly, SInt16 dh, SInt16 dv);
// Called by the recorder for every line while a polygon is open in the recording port: adds
// from (when asked, or when the polygon has no point yet) and to. Nothing past kPolyMaxPoints.
void orva_ajoute_ligne_poly(Point from, Point to, Boolean withStart);
Boolean OrvaIsPolygonPicture(Handle picture);  // the dummy picture of the open polygon
void FramePoly(PolyHandle poly);
void PaintPoly(PolyHandle poly);  // even-odd scan lines, spans half-open on the right
void ErasePoly(PolyHandle poly);
void InvertPoly(PolyHandle poly);
void FillPoly(PolyHandle poly, const Pattern *pat);
