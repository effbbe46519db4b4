// Accessors of ports, the current port, the QuickDraw globals, the standard patterns, pictures
// and regions: they read and write the port record through QuickDraw.
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "platform/core/memory.h"
#include "platform/gtk/carbon_accessors.h"

namespace {

enum : UInt32 { kPicFrameEnd = 14 };  // bytes up to the library's own-form mark (12-13)

RgnHandle CopyOfRegion(RgnHandle region);
Rect *BoundsOf(RgnHandle region, Rect *r);
void StoreRegion(GrafPtr port, RgnHandle into, RgnHandle region);

}  // namespace

void CarboniseSetPort(GrafPtr port) { SetPort(port); }
void CarboniseSetPortWindow(WindowPtr window) { SetPort(GetWindowPort(window)); }
void CarboniseSetPortDialog(DialogPtr dialog) { SetPort(GetDialogPort(dialog)); }
void CarboniseSetPortListe(ListHandle list) { SetPort(GetListPort(list)); }

Rect *CarboniseGetRectPort(GrafPtr port, Rect *r) {
    if (r) *r = port ? port->portRect : Rect{0, 0, 0, 0};
    return r;
}

const BitMap *CarboniseGetPortBitMapForCopyBits(GrafPtr port) { return port ? &port->portBits : nullptr; }
RgnHandle CarboniseGetPortClipRegion(GrafPtr port) { return CopyOfRegion(port ? port->clipRgn : nullptr); }
RgnHandle CarboniseGetPortVisibleRegion(GrafPtr port) { return CopyOfRegion(port ? port->visRgn : nullptr); }
Rect *CarboniseGetPortClipRect(GrafPtr port, Rect *r) { return BoundsOf(port ? port->clipRgn : nullptr, r); }

void CarboniseSetPortClipRegion(GrafPtr port, RgnHandle region) {
    if (port) StoreRegion(port, port->clipRgn, region);
}

void CarboniseSetPortVisibleRegion(GrafPtr port, RgnHandle region) {
    if (port) StoreRegion(port, port->visRgn, region);
}

GrafPtr CarboniseCreatePort() {
    GrafPtr port = reinterpret_cast<GrafPtr>(NewPtrClear(sizeof(GrafPort)));
    if (!port) return nullptr;
    GrafPtr saved;
    GetPort(&saved);
    OpenPort(port);
    SetPort(saved);
    return port;
}

void CarboniseDisposePort(GrafPtr port) {
    if (!port) return;
    ClosePort(port);
    DisposPtr(reinterpret_cast<Ptr>(port));
}

void CarboniseSetPortGrafProcs(GrafPtr port, GrafProcs *procs) { SetPortGrafProcs(port, procs); }
GrafProcs *CarboniseGetPortGrafProcs(GrafPtr port) { return GetPortGrafProcs(port); }
GrafPtr CarboniseGetPortListe(ListHandle list) { return GetListPort(list); }

GrafPtr CarboniseGetCurrentPort() { return qd.thePort; }
RgnHandle CarboniseGetCurrentPortClipRegion() { return CarboniseGetPortClipRegion(qd.thePort); }

void CarboniseSetCurrentPortClipRegion(RgnHandle region) {
    if (region) SetClip(region);
}

const BitMap *CarboniseGetScreenBitsPortCourant() { return CarboniseGetPortBitMapForCopyBits(qd.thePort); }
Boolean CarboniseIsPicturePort(GrafPtr port) { return port && port->picSave; }
Boolean CarboniseIsPicturePortCourant() { return CarboniseIsPicturePort(qd.thePort); }
Rect *CarboniseGetRectPortCourant(Rect *r) { return CarboniseGetRectPort(qd.thePort, r); }
SInt16 CarboniseGetTextSizePortCourant() { return CarboniseGetTextSizePort(qd.thePort); }
SInt16 CarboniseGetTextSizePort(GrafPtr port) { return port ? port->txSize : 0; }
SInt16 CarboniseGetTextFontPort(GrafPtr port) { return port ? port->txFont : 0; }
SInt16 CarboniseGetTextFontPortCourant() { return CarboniseGetTextFontPort(qd.thePort); }
UInt8 CarboniseGetTextFacePortCourant() { return CarboniseGetTextFacePort(qd.thePort); }
UInt8 CarboniseGetTextFacePort(GrafPtr port) { return port ? port->txFace : 0; }
SInt16 CarboniseGetTextModePortCourant() { return qd.thePort ? qd.thePort->txMode : 0; }
Fixed CarboniseGetTextSpExtraPortCourant() { return qd.thePort ? qd.thePort->spExtra : 0; }

Point *CarboniseGetPenLocPortCourant(Point *location) {
    if (location) *location = qd.thePort ? qd.thePort->pnLoc : Point{0, 0};
    return location;
}

SInt16 CarboniseGetPenMode() { return qd.thePort ? qd.thePort->pnMode : 0; }

RGBColor *CarboniseGetRgbForeColor(RGBColor *color) {
    if (color) *color = qd.thePort ? qd.thePort->rgbFgColor : RGBColor{0, 0, 0};
    return color;
}

RGBColor *CarboniseGetRgbBackColor(RGBColor *color) {
    if (color) *color = qd.thePort ? qd.thePort->rgbBkColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    return color;
}

TextStyle *CarboniseGetCurrentTextStylePort(TextStyle *style) {
    if (!style) return nullptr;
    *style = TextStyle{};
    GrafPtr port = qd.thePort;
    if (!port) return style;
    style->tsFont = port->txFont;
    style->tsFace = port->txFace;
    style->tsSize = port->txSize;
    style->tsColor = port->rgbFgColor;
    return style;
}

BitMap *CarboniseGetQDScreenBits(BitMap *bits) {
    if (bits) *bits = qd.screenBits;
    return bits;
}

Rect *CarboniseGetQDRectScreenBits(Rect *r) {
    if (r) *r = qd.screenBits.bounds;
    return r;
}

SInt32 CarboniseGetRandSeed() { return qd.randSeed; }
void CarboniseSetRandSeed(SInt32 seed) { qd.randSeed = seed; }
void CarboniseSetCursorArrow() { _SetCursor(&qd.arrow); }

void CarboniseSetPatWhite() { PenPat(&qd.white); }
void CarboniseSetPatLtGray() { PenPat(&qd.ltGray); }
void CarboniseSetPatGray() { PenPat(&qd.gray); }
void CarboniseSetPatDkGray() { PenPat(&qd.dkGray); }
void CarboniseSetPatBlack() { PenPat(&qd.black); }
void CarboniseBackPatWhite() { BackPat(&qd.white); }
void CarboniseBackPatLtGray() { BackPat(&qd.ltGray); }
void CarboniseBackPatGray() { BackPat(&qd.gray); }
void CarboniseBackPatDkGray() { BackPat(&qd.dkGray); }
void CarboniseBackPatBlack() { BackPat(&qd.black); }

Pattern *CarboniseGetPatBlack(Pattern *pattern) {
    if (pattern) *pattern = qd.black;
    return pattern;
}

Pattern *CarboniseGetPatDarkGray(Pattern *pattern) {
    if (pattern) *pattern = qd.dkGray;
    return pattern;
}

// A handle too short to hold the mark is no picture this could read a frame from.
Rect *CarboniseGetPicFrame(PicHandle picture, Rect *frame) {
    if (!frame) return nullptr;
    *frame = Rect{0, 0, 0, 0};
    if (picture && *picture && GetHandleSize(reinterpret_cast<Handle>(picture)) >= kPicFrameEnd)
        OrvaGetPicFrame(picture, frame);
    return frame;
}

Rect *CarboniseGetRegionBounds(RgnHandle region, Rect *r) { return BoundsOf(region, r); }

namespace {

RgnHandle CopyOfRegion(RgnHandle region) {
    RgnHandle copy = NewRgn();
    if (copy && region) _CopyRgn(region, copy);
    return copy;
}

Rect *BoundsOf(RgnHandle region, Rect *r) {
    if (r) *r = region && *region ? (*region)->rgnBBox : Rect{0, 0, 0, 0};
    return r;
}

// Copies region into one of port's own regions; the effective clip of the current port follows.
void StoreRegion(GrafPtr port, RgnHandle into, RgnHandle region) {
    if (!into || !region) return;
    _CopyRgn(region, into);
    if (port == qd.thePort) calcule_portclip();
}

}  // namespace
