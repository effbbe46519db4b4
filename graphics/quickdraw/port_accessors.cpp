// The port and QuickDraw-globals accessors: plain reads and writes of the port record and of
// `qd`. A null port reads as an empty, black-on-white port.
#include "graphics/quickdraw/port_accessors.h"

#include <cstring>

#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"

namespace {

enum : SInt32 {
    kPixMapRowBytesMask = 0x3FFF, // the bytes per row that fit the field
    kPixelTypeDirect = 16,        // RGBDirect
    kPortDpi = 72 << 16,
};

}  // namespace

SInt16 GetPortTextFont(GrafPtr port) { return port ? port->txFont : 0; }
UInt8 GetPortTextFace(GrafPtr port) { return port ? port->txFace : 0; }
SInt16 GetPortTextMode(GrafPtr port) { return port ? port->txMode : 0; }
SInt16 GetPortTextSize(GrafPtr port) { return port ? port->txSize : 0; }
Fixed GetPortSpExtra(GrafPtr port) { return port ? port->spExtra : 0; }

Point *GetPortPenLocation(GrafPtr port, Point *penLocation) {
    if (penLocation) *penLocation = port ? port->pnLoc : Point{0, 0};
    return penLocation;
}

SInt32 GetPortPenMode(GrafPtr port) { return port ? port->pnMode : 0; }

RGBColor *GetPortForeColor(GrafPtr port, RGBColor *color) {
    if (color) *color = port ? port->rgbFgColor : RGBColor{0, 0, 0};
    return color;
}

RGBColor *GetPortBackColor(GrafPtr port, RGBColor *color) {
    if (color) *color = port ? port->rgbBkColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
    return color;
}

Rect *GetPortBounds(GrafPtr port, Rect *r) {
    if (r) *r = port ? port->portRect : Rect{0, 0, 0, 0};
    return r;
}

Rect *GetRegionBounds(RgnHandle region, Rect *r) {
    if (r) *r = (region && *region) ? (**region).rgnBBox : Rect{0, 0, 0, 0};
    return r;
}

GrafPtr GetQDGlobalsThePort() { return qd.thePort; }

BitMap *GetQDGlobalsScreenBits(BitMap *screenBits) {
    if (screenBits) *screenBits = qd.screenBits;
    return screenBits;
}

Cursor *GetQDGlobalsArrow(Cursor *arrow) {
    if (arrow) *arrow = qd.arrow;
    return arrow;
}

SInt32 GetQDGlobalsRandomSeed() { return qd.randSeed; }
void SetQDGlobalsRandomSeed(SInt32 seed) { qd.randSeed = seed; }
Boolean IsPortPictureBeingDefined(GrafPtr port) { return port && port->picSave ? kTrue : kFalse; }

RgnHandle GetPortVisibleRegion(GrafPtr port, RgnHandle visibleRegion) {
    if (port && port->visRgn) _CopyRgn(port->visRgn, visibleRegion);
    return visibleRegion;
}

RgnHandle GetPortClipRegion(GrafPtr port, RgnHandle clipRegion) {
    if (port && port->clipRgn) _CopyRgn(port->clipRgn, clipRegion);
    return clipRegion;
}

void SetPortVisibleRegion(GrafPtr port, RgnHandle region) {
    if (!port || !port->visRgn || !region) return;
    _CopyRgn(region, port->visRgn);
    calcule_portclip();
}

void SetPortClipRegion(GrafPtr port, RgnHandle region) {
    if (!port || !port->clipRgn || !region) return;
    _CopyRgn(region, port->clipRgn);
    calcule_portclip();
}

GrafPtr CreateNewPort() {
    GrafPtr saved = qd.thePort;
    GrafPtr port = reinterpret_cast<GrafPtr>(NewPtrClear(sizeof(GrafPort)));
    if (!port) return nullptr;
    OpenPort(port);  // makes it current, as a new port is
    if (saved) SetPort(saved);
    return port;
}

void DisposePort(GrafPtr port) {
    if (!port) return;
    if (qd.thePort == port) qd.thePort = nullptr;
    ClosePort(port);
    DisposPtr(reinterpret_cast<Ptr>(port));
}

PixMapHandle GetPortPixMap(GrafPtr port) {
    if (!port) return nullptr;
    if (!port->pixMap) port->pixMap = reinterpret_cast<PixMapHandle>(NewHandleClear(sizeof(PixMap)));
    if (!port->pixMap) return nullptr;
    // Described afresh on every call: the surface may have been replaced by a resize.
    PixMap &map = **port->pixMap;
    bool direct = port->depth != 8;
    map.baseAddr = port->effectiveBase;
    map.rowBytes = SInt16((port->rowStride & kPixMapRowBytesMask) | UInt16(kPixMapFlag));
    map.bounds = port->portBits.bounds;
    map.hRes = map.vRes = kPortDpi;
    map.pixelType = direct ? kPixelTypeDirect : 0;
    map.pixelSize = direct ? 32 : 8;
    map.cmpCount = direct ? 3 : 1;
    map.cmpSize = 8;
    return port->pixMap;
}
SInt16 GetPixDepth(PixMapHandle map) { return map && *map ? (**map).pixelSize : 0; }
Boolean IsPortColor(GrafPtr port) { return port && OrvaIsColorPort(port) ? kTrue : kFalse; }
const BitMap *GetPortBitMapForCopyBits(GrafPtr port) { return port ? &port->portBits : nullptr; }
