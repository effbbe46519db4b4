// Stand-ins for the port and QuickDraw-globals accessors until QuickDraw's ports exist:
// there is no port, so every field reads as zero and every copy leaves an empty result.
#include <cstring>

#include "toolbox/toolbox_services.h"

SInt16 GetPortTextFont(GrafPtr) { return 0; }
UInt8 GetPortTextFace(GrafPtr) { return 0; }
SInt16 GetPortTextMode(GrafPtr) { return 0; }
SInt16 GetPortTextSize(GrafPtr) { return 0; }
Fixed GetPortSpExtra(GrafPtr) { return 0; }

Point *GetPortPenLocation(GrafPtr, Point *penLocation) {
    if (penLocation) *penLocation = Point{0, 0};
    return penLocation;
}

SInt32 GetPortPenMode(GrafPtr) { return 0; }

RGBColor *GetPortForeColor(GrafPtr, RGBColor *color) {
    if (color) *color = RGBColor{0, 0, 0};
    return color;
}

RGBColor *GetPortBackColor(GrafPtr, RGBColor *color) {
    if (color) *color = RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    return color;
}

Rect *GetPortBounds(GrafPtr, Rect *r) {
    if (r) *r = Rect{0, 0, 0, 0};
    return r;
}

Rect *GetRegionBounds(RgnHandle, Rect *r) {
    if (r) *r = Rect{0, 0, 0, 0};
    return r;
}

GrafPtr GetQDGlobalsThePort() { return nullptr; }
BitMap *GetQDGlobalsScreenBits(BitMap *screenBits) { return screenBits; }
Cursor *GetQDGlobalsArrow(Cursor *arrow) { return arrow; }
SInt32 GetQDGlobalsRandomSeed() { return 0; }
void SetQDGlobalsRandomSeed(SInt32) {}
Boolean IsPortPictureBeingDefined(GrafPtr) { return kFalse; }
RgnHandle GetPortVisibleRegion(GrafPtr, RgnHandle visibleRegion) { return visibleRegion; }
RgnHandle GetPortClipRegion(GrafPtr, RgnHandle clipRegion) { return clipRegion; }
void SetPortVisibleRegion(GrafPtr, RgnHandle) {}
void SetPortClipRegion(GrafPtr, RgnHandle) {}
GrafPtr CreateNewPort() { return nullptr; }
void DisposePort(GrafPtr) {}
PixMapHandle GetPortPixMap(GrafPtr) { return nullptr; }
SInt16 GetPixDepth(PixMapHandle) { return 0; }
Boolean IsPortColor(GrafPtr) { return kFalse; }
const BitMap *GetPortBitMapForCopyBits(GrafPtr) { return nullptr; }
