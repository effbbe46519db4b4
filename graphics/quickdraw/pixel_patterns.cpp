// Pixel patterns: the 'ppat' reader and the tiled painting, which copies the pattern's pixel
// map (converted once to 32 bits when several tiles are needed) tile after tile.
#include "graphics/quickdraw/pixel_patterns.h"

#include <algorithm>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pixmap_resources.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"

namespace {

// Where the 'ppat' header keeps its one-bit pattern.
enum : UInt32 { kOffPat1Data = 20 };
enum : SInt16 { kDirectCmpSize = 24, kWhiteCode = 30, kMaxCoord = 32767 };

}  // namespace

static SInt32 FloorMultiple(SInt32 v, SInt32 step);
static void PaintTiles(const Rect *r, const BitMap *tile, SInt16 w, SInt16 h, const Rect *clipBox);

PixPatHandle GetPixPat(SInt16 id) {
    Handle resource = GetResource(FourCC("ppat"), id);
    if (!resource) return nullptr;
    PixPatHandle pattern = OrvaPixPatFromBytes((const UInt8 *)*resource, GetHandleSize(resource));
    ReleaseResource(resource);
    return pattern;
}

PixPatHandle OrvaPixPatFromBytes(const UInt8 *bytes, UInt32 size) {
    ByteReader resource = OrvaByteReader(bytes, size);
    // The header: type, pixel map offset, pixel data offset; the one-bit pattern at 20.
    SInt16 patType = SInt16(Get16(&resource));
    UInt32 mapOffset = Get32(&resource);
    UInt32 dataOffset = Get32(&resource);
    Seek(&resource, kOffPat1Data);
    UInt8 pat1Data[8];
    Bytes(&resource, pat1Data, sizeof pat1Data);
    if (resource.failed || size < kResPixPatBytes) return nullptr;
    PixMap map;
    UInt32 tableOffset;
    if (!OrvaReadResPixMap(OrvaByteReader(bytes, size), mapOffset, &map, &tableOffset)) return nullptr;
    SInt64 count = OrvaResPixelBytes(size, dataOffset, tableOffset, &map);
    if (count < 0) return nullptr;
    PixPatHandle pattern = (PixPatHandle)NewHandleClear(sizeof(PixPat));
    PixMapHandle mapHandle = (PixMapHandle)NewHandleClear(sizeof(PixMap));
    Handle data = NewHandle(UInt32(count));
    CTabHandle table = OrvaReadResColorTable(OrvaByteReader(bytes, size), tableOffset);
    if (!pattern || !mapHandle || !data || !table) {
        if (pattern) DisposHandle((Handle)pattern);
        if (mapHandle) DisposHandle((Handle)mapHandle);
        if (data) DisposHandle(data);
        if (table) DisposHandle((Handle)table);
        return nullptr;
    }
    OrvaCopyResPixels(OrvaByteReader(bytes, size), dataOffset, count, &map, (UInt8 *)*data);
    map.pmTable = table;
    **mapHandle = map;
    PixPat *p = *pattern;
    p->patType = patType;
    p->patMap = mapHandle;
    p->patData = data;
    std::memcpy(p->pat1Data.pat, pat1Data, 8);
    return pattern;
}

void DisposePixPat(PixPatHandle pattern) {
    if (!pattern || !*pattern) return;
    PixMapHandle map = (*pattern)->patMap;
    if (map && *map && (*map)->pmTable) DisposHandle((Handle)(*map)->pmTable);
    if (map) DisposHandle((Handle)map);
    if ((*pattern)->patData) DisposHandle((*pattern)->patData);
    DisposHandle((Handle)pattern);
}

void PenPixPat(PixPatHandle pattern) {
    if (!qd.thePort) return;
    qd.thePort->pnPixPat = pattern;
    OrvaSetPixPatPainter(OrvaPaintRectPixPat);
}

void BackPixPat(PixPatHandle pattern) {
    if (!qd.thePort) return;
    qd.thePort->bkPixPat = pattern;
    OrvaSetPixPatPainter(OrvaPaintRectPixPat);
}

void OrvaPaintRectPixPat(const Rect *r, PixPatHandle pattern) {
    GrafPtr port = qd.thePort;
    if (!port || !r || !pattern || !*pattern || (*pattern)->patType != kPixPatFullColor) return;
    PixMapHandle mapHandle = (*pattern)->patMap;
    Handle data = (*pattern)->patData;
    if (!mapHandle || !*mapHandle || !data) return;
    PixMap map = **mapHandle;
    SInt16 w = SInt16(map.bounds.right - map.bounds.left), h = SInt16(map.bounds.bottom - map.bounds.top);
    if (w <= 0 || h <= 0 || r->right >= kMaxCoord - w || r->bottom >= kMaxCoord - h) return;

    OrvaPenAndColorState saved;
    OrvaBeginVerb(kVerbBlackCopy, &saved);
    port->bkColor = kWhiteCode;
    port->rgbBkColor = {0xFFFF, 0xFFFF, 0xFFFF};
    OrvaClassicColor(port, kWhiteCode, &port->backPixel, &port->rgbBkColor);
    // The clip becomes the port's clip within r for the painting; nothing of it is recorded.
    RgnHandle savedClip = NewRgn(), rectRgn = NewRgn();
    if (savedClip && rectRgn) {
        _CopyRgn(port->clipRgn, savedClip);
        RectRgn(rectRgn, r);
        SectRgn(port->clipRgn, rectRgn, port->clipRgn);
        calcule_portclip();
        Rect clipBox = (*port->clipRgn)->rgnBBox;
        UInt8 dataState = HGetState(data);
        HLock(data);
        map.baseAddr = *data;
        Boolean convert = map.cmpSize != kDirectCmpSize &&
                          (r->right - FloorMultiple(r->left, w) > w || r->bottom - FloorMultiple(r->top, h) > h);
        GrafPort tile;
        std::memset(&tile, 0, sizeof tile);
        if (convert && OrvaOpenPortOffscreen(&tile, w, h, 24)) {
            Rect whole = {0, 0, h, w};
            CopyBits((const BitMap *)&map, &tile.portBits, &map.bounds, &whole, srcCopy, nullptr);
            SetPort(port);
            PaintTiles(r, &tile.portBits, w, h, &clipBox);
        } else if (!convert) {
            SetPort(port);
            PaintTiles(r, (const BitMap *)&map, w, h, &clipBox);
        }
        SetPort(port);
        if (tile.surface || tile.visRgn) OrvaClosePortOffscreenNonAlloue(&tile);
        SetPort(port);
        HSetState(data, dataState);
        _CopyRgn(savedClip, port->clipRgn);
        calcule_portclip();
    }
    if (savedClip) DisposeRgn(savedClip);
    if (rectRgn) DisposeRgn(rectRgn);
    OrvaEndVerb(&saved);
}

// The largest multiple of step at or below v: tiles cover negative coordinates as well.
static SInt32 FloorMultiple(SInt32 v, SInt32 step) {
    SInt32 r = v % step;
    return r < 0 ? v - r - step : v - r;
}

// Every tile position from the anchored first row and column that meets the clip's box.
static void PaintTiles(const Rect *r, const BitMap *tile, SInt16 w, SInt16 h, const Rect *clipBox) {
    GrafPtr port = qd.thePort;
    Rect source = tile->bounds;
    for (SInt32 top = FloorMultiple(r->top, h); top < r->bottom; top += h) {
        for (SInt32 left = FloorMultiple(r->left, w); left < r->right; left += w) {
            Rect dest = {SInt16(top), SInt16(left), SInt16(top + h), SInt16(left + w)};
            if (SectRect(&dest, clipBox, nullptr)) CopyBits(tile, &port->portBits, &source, &dest, srcCopy, nullptr);
        }
    }
}
