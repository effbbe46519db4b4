// The verb machinery shared by every composite shape call (save the pen and colours, set the
// pen for the action, restore), rectangles, and lines drawn in pen-size runs.
#include "graphics/quickdraw/shapes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"

UInt8 HiliteMode = 0x80;

namespace {

// Where a verb takes the pen pattern and pixel pattern from, and which mode it sets.
enum PatternSource : UInt8 { kPatKeep, kPatFill, kPatBack, kPatBlack };
enum PixPatSource : UInt8 { kPixKeep, kPixBack, kPixNone };
enum : SInt16 { kModeKeep = -1, kModeText = -2, kPatCopy = 8, kPatXor = 10, kHilite = 138 };
enum : UInt8 { kHiliteBit = 0x80 };
enum : SInt32 { kBlackCode = 33, kFixedOne = 32768, kRoundHalf = 16383 };

struct VerbRow {
    ShapeVerb verb;
    PatternSource pattern;
    PixPatSource pixPat;
    SInt16 mode;
    Boolean blackFore;  // the foreground becomes black
};

const VerbRow kVerbRows[] = {
    {kVerbPaint, kPatKeep, kPixKeep, kModeKeep, false},
    {kVerbErase, kPatBack, kPixBack, kPatCopy, false},
    {kVerbInvert, kPatBlack, kPixNone, kPatXor, true},
    {kVerbFill, kPatFill, kPixNone, kPatCopy, false},
    {kVerbBlackCopy, kPatBlack, kPixNone, kPatCopy, false},
    {kVerbText, kPatBlack, kPixNone, kModeText, false},
    {kVerbHilite, kPatKeep, kPixNone, kHilite, false},
};

// Consecutive runs of a line that cover the same visible pixels (a pen larger than the clip
// makes thousands of them) are drawn once, twice never for an inverting mode, as often as they
// came for a blending one: the pixels end the same.
struct RunBatchRecord {
    Boolean direct;     // every run goes straight to the raster core
    Boolean parity;     // drawing twice undoes drawing once
    Boolean repeat;     // every run counts
    Rect clip;          // the effective clip's box, local coordinates
    SInt32 left, top, right, bottom;  // the pending run, cut to the clip box
    SInt32 count;
};

}  // namespace

static void BeginBatch(RunBatchRecord *batch);
static void BatchRun(RunBatchRecord *batch, SInt32 h1, SInt32 v, SInt32 h2, SInt32 penWidth, SInt32 penHeight);
static void FlushBatch(RunBatchRecord *batch);
static void DrawSteepLine(SInt32 x0, SInt32 y0, SInt32 x1, SInt32 y1);
static void DrawShallowLine(SInt32 x0, SInt32 y0, SInt32 x1, SInt32 y1);
static void RecordRect(UInt16 opcode, const Rect *r);
static void BarVerb(const Rect *r, ShapeVerb verb);

void OrvaGetPenAndColorState(OrvaPenAndColorState *state) {
    if (!state) return;
    std::memset(state, 0, sizeof *state);
    GrafPtr port = qd.thePort;
    if (!port) return;
    state->pen = {port->pnLoc, port->pnSize, port->pnMode, port->pnPat};
    state->fgColor = port->fgColor;
    state->bkColor = port->bkColor;
    state->forePixel = port->forePixel;
    state->backPixel = port->backPixel;
    state->rgbFgColor = port->rgbFgColor;
    state->rgbBkColor = port->rgbBkColor;
    state->pnPixPat = port->pnPixPat;
    state->bkPixPat = port->bkPixPat;
}

void OrvaSetPenAndColorState(const OrvaPenAndColorState *state) {
    GrafPtr port = qd.thePort;
    if (!port || !state) return;
    port->pnLoc = state->pen.pnLoc;
    port->pnSize = state->pen.pnSize;
    port->pnMode = state->pen.pnMode;
    port->pnPat = state->pen.pnPat;
    port->fgColor = state->fgColor;
    port->bkColor = state->bkColor;
    port->forePixel = state->forePixel;
    port->backPixel = state->backPixel;
    port->rgbFgColor = state->rgbFgColor;
    port->rgbBkColor = state->rgbBkColor;
    port->pnPixPat = state->pnPixPat;
    port->bkPixPat = state->bkPixPat;
}

// The fields are set directly, so nothing reaches an open picture.
void OrvaBeginVerb(ShapeVerb verb, OrvaPenAndColorState *saved) {
    OrvaGetPenAndColorState(saved);
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (verb == kVerbInvert && !(HiliteMode & kHiliteBit)) {
        verb = kVerbHilite;
        HiliteMode |= kHiliteBit;
    }
    const VerbRow &row = kVerbRows[verb];
    port->pnSize.h = port->pnSize.v = 1;
    if (row.pattern == kPatFill) port->pnPat = port->fillPat;
    else if (row.pattern == kPatBack) port->pnPat = port->bkPat;
    else if (row.pattern == kPatBlack) port->pnPat = qd.black;
    if (row.pixPat == kPixBack) port->pnPixPat = port->bkPixPat;
    else if (row.pixPat == kPixNone) port->pnPixPat = nullptr;
    if (row.mode == kModeText) port->pnMode = port->txMode;
    else if (row.mode != kModeKeep) port->pnMode = row.mode;
    if (row.blackFore) {
        port->fgColor = kBlackCode;
        port->rgbFgColor = {0, 0, 0};
        OrvaClassicColor(port, kBlackCode, &port->forePixel, &port->rgbFgColor);
    }
}

void OrvaEndVerb(const OrvaPenAndColorState *saved) { OrvaSetPenAndColorState(saved); }

void LineAbs(SInt16 ha, SInt16 va, SInt16 hb, SInt16 vb) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (OrvaIsCollectingLines()) {
        OrvaAddLine2Rgn(ha, va, hb, vb);
    } else if (va == vb) {
        LineH(ha, va, hb);
    } else if (ha == hb) {
        LineV(ha, va, vb);
    } else {
        SInt32 x0 = ha, y0 = va, x1 = hb, y1 = vb;
        if (y0 > y1) {
            std::swap(x0, x1);
            std::swap(y0, y1);
        }
        if (std::abs(x1 - x0) <= y1 - y0 && !port->rgnSave) DrawSteepLine(x0, y0, x1, y1);
        else DrawShallowLine(x0, y0, x1, y1);
    }
    port->pnLoc.h = hb;
    port->pnLoc.v = vb;
}

void SetCPixel(SInt16 h, SInt16 v, const RGBColor *rgb) {
    GrafPtr port = qd.thePort;
    if (!port || !rgb) return;
    RGBColor fore = port->rgbFgColor;
    Point location = port->pnLoc;
    RGBForeColor(rgb);
    _MoveTo(h, v);
    Line(0, 0);
    RGBForeColor(&fore);
    port->pnLoc = location;
}

void _FrameRect(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    RecordRect(kPictOpFrameRect, r);
    if (port->pnVis >= 0) orva_Rectangle(r);
}

void PaintRect(const Rect *r) {
    RecordRect(kPictOpFrameRect + kPictVerbPaint, r);
    BarVerb(r, kVerbPaint);
}

void EraseRect(const Rect *r) {
    RecordRect(kPictOpFrameRect + kPictVerbErase, r);
    BarVerb(r, kVerbErase);
}

void _InvertRect(const Rect *r) {
    RecordRect(kPictOpFrameRect + kPictVerbInvert, r);
    if (qd.thePort && qd.thePort->pnVis >= 0) OrvaInvertRect(r);
}

void _FillRect(const Rect *r, const Pattern *pat) {
    GrafPtr port = qd.thePort;
    if (!port || !r || !pat) return;
    port->fillPat = *pat;
    if (port->picSave) RecordPictAction(kPictOpFillPat, pat->pat, sizeof pat->pat);
    RecordRect(kPictOpFrameRect + kPictVerbFill, r);
    BarVerb(r, kVerbFill);
}

void orva_Rectangle(const Rect *r) {
    GrafPtr port = qd.thePort;
    if (!port || !r) return;
    Point saved = port->pnLoc;
    SInt32 left = std::min(r->left, r->right), right = std::max(r->left, r->right);
    SInt32 top = std::min(r->top, r->bottom), bottom = std::max(r->top, r->bottom);
    SInt32 b = bottom - port->pnSize.v, rr = right - port->pnSize.h;
    OrvaLineHSized(left, top, rr, port->pnSize.h, port->pnSize.v);
    OrvaLineHSized(left, b, rr, port->pnSize.h, port->pnSize.v);
    if (b > top + 1) {
        OrvaLineVSized(left, top, b);
        OrvaLineVSized(rr, top, b);
    }
    port->pnLoc = saved;
}

void OrvaInvertRect(const Rect *r) {
    if (!qd.thePort || !r) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(kVerbInvert, &saved);
    orva_Bar(r->left, r->top, r->right, r->bottom);
    OrvaEndVerb(&saved);
}

void orva_EraseBar(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    if (!qd.thePort) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(kVerbErase, &saved);
    orva_Bar(left, top, right, bottom);
    OrvaEndVerb(&saved);
}

// One vertical run per column: the row where each column ends follows the line's slope in
// 17.15 fixed point, rounded from half a pixel below.
static void DrawSteepLine(SInt32 x0, SInt32 y0, SInt32 x1, SInt32 y1) {
    GrafPtr port = qd.thePort;
    RunBatchRecord batch;
    BeginBatch(&batch);
    SInt64 step = SInt64(y1 - y0) * kFixedOne / std::abs(x1 - x0);
    SInt64 acc = SInt64(y0) * kFixedOne + kRoundHalf;
    SInt32 y = y0, dx = x1 > x0 ? 1 : -1;
    for (SInt32 x = x0;; x += dx) {
        acc += step;
        SInt32 n = SInt32(std::min<SInt64>(acc >> 15, y1));
        SInt32 end = n == y ? y : n - 1;
        BatchRun(&batch, x, std::min(y, end), x, port->pnSize.h, std::abs(end - y) + port->pnSize.v);
        y = n;
        if (x == x1) break;
    }
    FlushBatch(&batch);
}

// One horizontal run per row, from where the previous row's run stopped.
static void DrawShallowLine(SInt32 x0, SInt32 y0, SInt32 x1, SInt32 y1) {
    GrafPtr port = qd.thePort;
    RunBatchRecord batch;
    BeginBatch(&batch);
    SInt64 step = SInt64(std::abs(x1 - x0)) * kFixedOne / (y1 - y0);
    SInt64 acc = SInt64(x0) * kFixedOne + kRoundHalf;
    SInt32 x = x0;
    for (SInt32 y = y0; y <= y1; y++) {
        SInt32 n;
        if (x1 < x0) {
            acc -= step;
            n = SInt32(std::max<SInt64>(acc >> 15, x1));
            if (n == x) BatchRun(&batch, n, y, n, port->pnSize.h, port->pnSize.v);
            else BatchRun(&batch, n + 1, y, x, port->pnSize.h, port->pnSize.v);
        } else {
            acc += step;
            n = SInt32(std::min<SInt64>(acc >> 15, x1));
            if (n == x) BatchRun(&batch, n, y, n, port->pnSize.h, port->pnSize.v);
            else BatchRun(&batch, x, y, n - 1, port->pnSize.h, port->pnSize.v);
        }
        x = n;
    }
    FlushBatch(&batch);
}

// Runs are batched only where the raster core would clip them to a box and fill them: not
// while a region is being built, nor through a pixel pattern.
static void BeginBatch(RunBatchRecord *batch) {
    GrafPtr port = qd.thePort;
    std::memset(batch, 0, sizeof *batch);
    OrvaRecalculeRgnClip();
    batch->direct = port->rgnSave || port->pnPixPat || !OrvaRgnClip || !*OrvaRgnClip;
    if (batch->direct) return;
    SInt16 mode = port->pnMode;
    Boolean blend = (mode & 0xFB) == 32, invert = (mode & 3) == 2;
    batch->parity = (mode & 0x80) || (invert && !blend && port->depth == 24);
    batch->repeat = !batch->parity && (blend || invert);
    batch->clip = (*OrvaRgnClip)->rgnBBox;
    _OffsetRect(&batch->clip, port->portBits.bounds.left, port->portBits.bounds.top);
}

static void BatchRun(RunBatchRecord *batch, SInt32 h1, SInt32 v, SInt32 h2, SInt32 penWidth, SInt32 penHeight) {
    if (batch->direct || batch->repeat) {
        OrvaLineHSized(h1, v, h2, penWidth, penHeight);
        return;
    }
    SInt32 left = std::max<SInt32>(std::min(h1, h2), batch->clip.left);
    SInt32 right = std::min<SInt32>(std::max(h1, h2) + penWidth - 1, batch->clip.right - 1);
    SInt32 top = std::max<SInt32>(v, batch->clip.top), bottom = std::min<SInt32>(v + penHeight - 1, batch->clip.bottom - 1);
    if (left > right || top > bottom) return;
    if (batch->count && left == batch->left && right == batch->right && top == batch->top && bottom == batch->bottom) {
        batch->count++;
        return;
    }
    FlushBatch(batch);
    batch->left = left;
    batch->right = right;
    batch->top = top;
    batch->bottom = bottom;
    batch->count = 1;
}

static void FlushBatch(RunBatchRecord *batch) {
    if (batch->count == 0) return;
    if (!batch->parity || (batch->count & 1))
        OrvaLineHSized(batch->left, batch->top, batch->right, 1, batch->bottom - batch->top + 1);
    batch->count = 0;
}

static void RecordRect(UInt16 opcode, const Rect *r) {
    if (qd.thePort && qd.thePort->picSave && r) RecordPictAction(opcode, r, sizeof *r);
}

static void BarVerb(const Rect *r, ShapeVerb verb) {
    GrafPtr port = qd.thePort;
    if (!port || !r || port->pnVis < 0) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(verb, &saved);
    orva_Bar(r->left, r->top, r->right, r->bottom);
    OrvaEndVerb(&saved);
}
