// The pen and the classic colour state of the current port: setters that record their opcode
// into an open picture before they store the new value, and the recording side of lines.
// Every setter does nothing without a current port.
#pragma once

#include "graphics/quickdraw/ports.h"

void HidePen();                          // pnVis - 1: shapes are no longer drawn
void ShowPen();                          // pnVis + 1
void PenSize(SInt16 width, SInt16 height);  // records PnSize
void PenMode(SInt16 mode);               // records PnMode
void PenPat(const Pattern *pat);         // clears pnPixPat; records PnPat
void BackPat(const Pattern *pat);        // clears bkPixPat; records BkPat
void PenNormal();                        // 1x1, mode 8, black pattern
void GetPen(Point *pt);
void GetPenState(PenState *state);       // zeros without a port
void SetPenState(const PenState *state);
// The pen and the colours of the current port together, saved and restored around drawing
// that changes them; nothing is recorded.
struct PenColorState {
    PenState pen;
    RGBColor fore;
    RGBColor back;
    SInt32 fgColor;    // classic colour codes
    SInt32 bkColor;
    UInt32 forePixel;
    UInt32 backPixel;
};
void OrvaGetPenColorState(PenColorState *state);        // zeros without a port
void OrvaSetPenColorState(const PenColorState *state);  // nothing without a port
// Classic colour code; with the colour tables also the fore pixel and RGB colour of the code's
// predefined index. Records FgColor.
void ForeColor(SInt32 code);
void BackColor(SInt32 code);             // records BkColor
void RGBForeColor(const RGBColor *c);    // the colour and its nearest index; records RGBFgCol
void RGBBackColor(const RGBColor *c);    // records RGBBkCol
void SpaceExtra(Fixed extra);            // records SpExtra
void _MoveTo(SInt16 h, SInt16 v);        // notes a pending move for the next recorded line
void Move(SInt16 dh, SInt16 dv);
// Lines: recorded as LineFrom (or Line after a move), drawn with LineAbs while the pen is
// visible; the pen ends at the point.
void _LineTo(SInt16 h, SInt16 v);
void Line(SInt16 dh, SInt16 dv);
Boolean orva_EqualPattern(const Pattern *a, const Pattern *b);
