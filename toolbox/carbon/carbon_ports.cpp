// Accessors of ports, the current port, the QuickDraw globals, the standard patterns, pictures
// and regions: they read and write the port record through the port accessors and QuickDraw.
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/pen.h"
#include "toolbox/carbon/carbon_accessors.h"
#include "platform/core/memory.h"

namespace {

enum : UInt32 { kPicFrameEnd = 14 };  // bytes up to the library's own-form mark (12-13)

}  // namespace

void CarboniseSetPort(GrafPtr port) { SetPort(port); }
void CarboniseSetPortWindow(WindowPtr window) { SetPort(GetWindowPort(window)); }
void CarboniseSetPortDialog(DialogPtr dialog) { SetPort(GetDialogPort(dialog)); }
void CarboniseSetPortListe(ListHandle list) { SetPort(GetListPort(list)); }

Rect *CarboniseGetRectPort(GrafPtr port, Rect *r) { return GetPortBounds(port, r); }

const BitMap *CarboniseGetPortBitMapForCopyBits(GrafPtr port) { return GetPortBitMapForCopyBits(port); }

RgnHandle CarboniseGetPortClipRegion(GrafPtr port) {
    RgnHandle region = NewRgn();
    return region ? GetPortClipRegion(port, region) : nullptr;
}

RgnHandle CarboniseGetPortVisibleRegion(GrafPtr port) {
    RgnHandle region = NewRgn();
    return region ? GetPortVisibleRegion(port, region) : nullptr;
}

Rect *CarboniseGetPortClipRect(GrafPtr port, Rect *r) { return GetRegionBounds(port ? port->clipRgn : nullptr, r); }

void CarboniseSetPortClipRegion(GrafPtr port, RgnHandle region) { SetPortClipRegion(port, region); }
void CarboniseSetPortVisibleRegion(GrafPtr port, RgnHandle region) { SetPortVisibleRegion(port, region); }
GrafPtr CarboniseCreatePort() { return CreateNewPort(); }
void CarboniseDisposePort(GrafPtr port) { DisposePort(port); }

void CarboniseSetPortGrafProcs(GrafPtr port, GrafProcs *procs) { SetPortGrafProcs(port, procs); }
GrafProcs *CarboniseGetPortGrafProcs(GrafPtr port) { return GetPortGrafProcs(port); }
GrafPtr CarboniseGetPortListe(ListHandle list) { return GetListPort(list); }

GrafPtr CarboniseGetCurrentPort() { return qd.thePort; }
RgnHandle CarboniseGetCurrentPortClipRegion() { return CarboniseGetPortClipRegion(qd.thePort); }

void CarboniseSetCurrentPortClipRegion(RgnHandle region) {
    if (region) SetClip(region);
}

const BitMap *CarboniseGetScreenBitsPortCourant() { return CarboniseGetPortBitMapForCopyBits(qd.thePort); }
Boolean CarboniseIsPicturePort(GrafPtr port) { return IsPortPictureBeingDefined(port); }
Boolean CarboniseIsPicturePortCourant() { return CarboniseIsPicturePort(qd.thePort); }
Rect *CarboniseGetRectPortCourant(Rect *r) { return CarboniseGetRectPort(qd.thePort, r); }
SInt16 CarboniseGetTextSizePortCourant() { return CarboniseGetTextSizePort(qd.thePort); }
SInt16 CarboniseGetTextSizePort(GrafPtr port) { return GetPortTextSize(port); }
SInt16 CarboniseGetTextFontPort(GrafPtr port) { return GetPortTextFont(port); }
SInt16 CarboniseGetTextFontPortCourant() { return CarboniseGetTextFontPort(qd.thePort); }
UInt8 CarboniseGetTextFacePortCourant() { return CarboniseGetTextFacePort(qd.thePort); }
UInt8 CarboniseGetTextFacePort(GrafPtr port) { return GetPortTextFace(port); }
SInt16 CarboniseGetTextModePortCourant() { return GetPortTextMode(qd.thePort); }
Fixed CarboniseGetTextSpExtraPortCourant() { return GetPortSpExtra(qd.thePort); }
Point *CarboniseGetPenLocPortCourant(Point *location) { return GetPortPenLocation(qd.thePort, location); }
SInt16 CarboniseGetPenMode() { return SInt16(GetPortPenMode(qd.thePort)); }
RGBColor *CarboniseGetRgbForeColor(RGBColor *color) { return GetPortForeColor(qd.thePort, color); }
RGBColor *CarboniseGetRgbBackColor(RGBColor *color) { return GetPortBackColor(qd.thePort, color); }

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

BitMap *CarboniseGetQDScreenBits(BitMap *bits) { return GetQDGlobalsScreenBits(bits); }

Rect *CarboniseGetQDRectScreenBits(Rect *r) {
    if (r) *r = qd.screenBits.bounds;
    return r;
}

SInt32 CarboniseGetRandSeed() { return GetQDGlobalsRandomSeed(); }
void CarboniseSetRandSeed(SInt32 seed) { SetQDGlobalsRandomSeed(seed); }
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

Rect *CarboniseGetRegionBounds(RgnHandle region, Rect *r) { return GetRegionBounds(region, r); }
