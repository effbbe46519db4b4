// The pen and colour setters of the current port, and lines. Each setter hands its opcode to
// the recorder first, so that the recorder's redundancy filter sees the old value in the port.
#include "graphics/quickdraw/pen.h"

#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/shapes.h"

namespace {
enum : SInt16 { kPatCopy = 8 };
}

static GrafPtr RecordingPort();

void HidePen() {
    if (qd.thePort) qd.thePort->pnVis--;
}

void ShowPen() {
    if (qd.thePort) qd.thePort->pnVis++;
}

void PenSize(SInt16 width, SInt16 height) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    Point size = {height, width};
    if (RecordingPort()) RecordPictAction(kPictOpPnSize, &size, sizeof size);
    port->pnSize = size;
}

void PenMode(SInt16 mode) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (RecordingPort()) RecordPictAction(kPictOpPnMode, &mode, sizeof mode);
    port->pnMode = mode;
}

void PenPat(const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !pat) return;
    Pattern copy = *pat;
    if (RecordingPort()) RecordPictAction(kPictOpPnPat, copy.pat, sizeof copy.pat);
    port->pnPat = copy;
    port->pnPixPat = nullptr;
}

void BackPat(const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !pat) return;
    Pattern copy = *pat;
    if (RecordingPort()) RecordPictAction(kPictOpBkPat, copy.pat, sizeof copy.pat);
    port->bkPat = copy;
    port->bkPixPat = nullptr;
}

void PenNormal() {
    if (!qd.thePort) return;
    PenSize(1, 1);
    PenMode(kPatCopy);
    PenPat(&qd.black);
}

void GetPen(Point *pt) {
    if (!pt) return;
    if (qd.thePort) *pt = qd.thePort->pnLoc;
    else pt->h = pt->v = 0;
}

void GetPenState(PenState *state) {
    if (!state) return;
    GrafPtr port = qd.thePort;
    if (!port) {
        std::memset(state, 0, sizeof *state);
        return;
    }
    state->pnLoc = port->pnLoc;
    state->pnSize = port->pnSize;
    state->pnMode = port->pnMode;
    state->pnPat = port->pnPat;
}

void SetPenState(const PenState *state) {
    GrafPtr port = qd.thePort;
    if (!port || !state) return;
    port->pnLoc = state->pnLoc;
    port->pnSize = state->pnSize;
    port->pnMode = state->pnMode;
    port->pnPat = state->pnPat;
}

void OrvaGetPenColorState(PenColorState *state) {
    if (!state) return;
    *state = PenColorState{};
    GrafPtr port = qd.thePort;
    if (!port) return;
    GetPenState(&state->pen);
    state->fore = port->rgbFgColor;
    state->back = port->rgbBkColor;
    state->fgColor = port->fgColor;
    state->bkColor = port->bkColor;
    state->forePixel = port->forePixel;
    state->backPixel = port->backPixel;
}

void OrvaSetPenColorState(const PenColorState *state) {
    GrafPtr port = qd.thePort;
    if (!state || !port) return;
    SetPenState(&state->pen);
    port->rgbFgColor = state->fore;
    port->rgbBkColor = state->back;
    port->fgColor = state->fgColor;
    port->bkColor = state->bkColor;
    port->forePixel = state->forePixel;
    port->backPixel = state->backPixel;
}

void ForeColor(SInt32 code) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (RecordingPort()) RecordPictAction(kPictOpFgColor, &code, sizeof code);
    port->fgColor = code;
    OrvaClassicColor(port, code, &port->forePixel, &port->rgbFgColor);
}

void BackColor(SInt32 code) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (RecordingPort()) RecordPictAction(kPictOpBkColor, &code, sizeof code);
    port->bkColor = code;
    OrvaClassicColor(port, code, &port->backPixel, &port->rgbBkColor);
}

void RGBForeColor(const RGBColor *c) {
    GrafPtr port = qd.thePort;
    if (!port || !c) return;
    RGBColor copy = *c;
    if (RecordingPort()) RecordPictAction(kPictOpRGBFgCol, &copy, sizeof copy);
    port->rgbFgColor = copy;
    port->forePixel = UInt32(Color2Index(&copy));
}

void RGBBackColor(const RGBColor *c) {
    GrafPtr port = qd.thePort;
    if (!port || !c) return;
    RGBColor copy = *c;
    if (RecordingPort()) RecordPictAction(kPictOpRGBBkCol, &copy, sizeof copy);
    port->rgbBkColor = copy;
    port->backPixel = UInt32(Color2Index(&copy));
}

void SpaceExtra(Fixed extra) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (RecordingPort()) RecordPictAction(kPictOpSpExtra, &extra, sizeof extra);
    port->spExtra = extra;
}

void _MoveTo(SInt16 h, SInt16 v) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (RecordingPort()) RecordPictAction(kPictOpMove, nullptr, 0);
    port->pnLoc.h = h;
    port->pnLoc.v = v;
}

void Move(SInt16 dh, SInt16 dv) {
    GrafPtr port = qd.thePort;
    if (port) _MoveTo(SInt16(port->pnLoc.h + dh), SInt16(port->pnLoc.v + dv));
}

void _LineTo(SInt16 h, SInt16 v) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    Point end = {v, h};
    if (RecordingPort()) RecordPictAction(kPictOpLineFrom, &end, sizeof end);
    if (port->pnVis >= 0) LineAbs(port->pnLoc.h, port->pnLoc.v, h, v);
    port->pnLoc = end;
}

void Line(SInt16 dh, SInt16 dv) {
    GrafPtr port = qd.thePort;
    if (port) _LineTo(SInt16(port->pnLoc.h + dh), SInt16(port->pnLoc.v + dv));
}

Boolean orva_EqualPattern(const Pattern *a, const Pattern *b) { return std::memcmp(a->pat, b->pat, 8) == 0; }

static GrafPtr RecordingPort() { return qd.thePort && qd.thePort->picSave ? qd.thePort : nullptr; }
