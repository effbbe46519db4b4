// The span fill: pen runs to buffer rectangles, clipped band by band against the effective clip
// whose current line state stays cached between calls, so that runs drawn downwards continue
// the walk where the previous one stopped.
#include "graphics/quickdraw/raster.h"

#include <algorithm>
#include <cstdlib>

#include "graphics/quickdraw/region_drawing.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"

namespace {

// The painter of pixel patterns, installed by their owner. Main thread only.
PixPatPainterProc gPixPatPainter;

enum : SInt16 { kModeNoPixPat = 2 };  // pnMode bit that keeps the pixel pattern out

}  // namespace

static void EnsurePortBuffer(GrafPtr port);
static Boolean EnsureCacheRoom(SInt32 values);
static Boolean SeekBand(SInt32 v, const Rect &box);
static void FillBand(SInt32 ha, SInt32 hb, SInt32 top, SInt32 bottom);
static SInt16 Clamp16(SInt32 v);

void LineH(SInt16 h1, SInt16 v, SInt16 h2) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    OrvaLineHSized(h1, v, h2, port->pnSize.h, port->pnSize.v);
}

void LineV(SInt16 h, SInt16 va, SInt16 vb) { OrvaLineVSized(h, va, vb); }

void OrvaLineVSized(SInt32 h, SInt32 va, SInt32 vb) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (!port->rgnSave) OrvaLineHSized(h, std::min(va, vb), h, port->pnSize.h, std::abs(vb - va) + port->pnSize.v);
    port->pnLoc.h = Clamp16(h);
    port->pnLoc.v = Clamp16(vb);
}

void orva_Bar(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) {
    GrafPtr port = qd.thePort;
    if (!port || right <= left || bottom <= top) return;
    OrvaLineHSized(left, top, SInt32(right) - 1, port->pnSize.h, SInt32(bottom) - top);
}

void OrvaLineHSized(SInt32 h1, SInt32 v, SInt32 h2, SInt32 penWidth, SInt32 penHeight) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    port->pnLoc.h = Clamp16(h2);
    port->pnLoc.v = Clamp16(v);
    SInt32 left = std::min(h1, h2), right = std::max(h1, h2) + penWidth - 1;
    SInt32 top = v, bottom = v + penHeight - 1;
    if (right < left || bottom < top) return;
    if (port->pnPixPat && !(port->pnMode & kModeNoPixPat) && gPixPatPainter) {
        Rect r = {Clamp16(top), Clamp16(left), Clamp16(bottom + 1), Clamp16(right + 1)};
        gPixPatPainter(&r, port->pnPixPat);
        return;
    }
    const Rect &b = port->portBits.bounds;
    trace_rect_clip(left - b.left, top - b.top, right - b.left, bottom - b.top);
}

void trace_rect_clip(SInt32 ha, SInt32 va, SInt32 hb, SInt32 vb) {
    OrvaRecalculeRgnClip();
    GrafPtr port = qd.thePort;
    if (!port || !OrvaRgnClip || !*OrvaRgnClip) return;
    if (!OrvaIsCollectingLines()) EnsurePortBuffer(port);
    const Rect box = (*OrvaRgnClip)->rgnBBox;
    if (ha >= box.right || hb < box.left || va >= box.bottom || vb < box.top) return;
    ha = std::max<SInt32>(ha, box.left);
    hb = std::min<SInt32>(hb, box.right - 1);
    va = std::max<SInt32>(va, box.top);
    vb = std::min<SInt32>(vb, box.bottom - 1);
    if (ha > hb || va > vb || !video.fillRect) return;
    ClipCacheRecord &cache = orvaClipCache;
    if (OrvaRgnWords(OrvaRgnClip) <= 5) {
        if (!EnsureCacheRoom(3)) return;
        cache.premLigneSeg = box.top;
        cache.derLigneSeg = box.bottom;
        cache.seglist_clip[0] = box.left;
        cache.seglist_clip[1] = box.right;
        cache.seglist_clip[2] = kRgnEnd;
        video.fillRect(SInt16(ha), SInt16(va), SInt16(hb), SInt16(vb));
        return;
    }
    // Band by band down to the requested bottom.
    for (SInt32 v = va; v <= vb;) {
        if (!SeekBand(v, box)) return;
        SInt32 bandBottom = std::min<SInt32>(vb, cache.derLigneSeg - 1);
        FillBand(ha, hb, v, bandBottom);
        v = bandBottom + 1;
    }
}

void OrvaSetPixPatPainter(PixPatPainterProc painter) { gPixPatPainter = painter; }

// The current port gets a buffer when it has none and may have one.
static void EnsurePortBuffer(GrafPtr port) {
    if (port->surface || port->noBuffer) return;
    if (port->depth == 0) port->depth = 24;
    const Rect &r = port->portRect;
    OrvaPortSize(port, SInt16(std::max(0, r.right - r.left)), SInt16(std::max(0, r.bottom - r.top)), 0, 0, true);
}

// Room for values in the cached line state; a state never holds more values than the clip
// region has words. False without memory (the cache is then emptied).
static Boolean EnsureCacheRoom(SInt32 values) {
    ClipCacheRecord &cache = orvaClipCache;
    if (cache.seglist_clip && cache.capacity >= values) return true;
    SInt32 capacity = std::max<SInt32>(values, 256);
    Seglist *grown = (Seglist *)NewPtr(UInt32(capacity) * sizeof(Seglist));
    if (!grown) return false;
    if (cache.seglist_clip) DisposPtr((Ptr)cache.seglist_clip);
    cache.seglist_clip = grown;
    cache.capacity = capacity;
    OrvaResetClipCache();
    return true;
}

// Makes the cached band hold row v: from the top of the region when v lies above the band,
// else onwards from where the last walk stopped.
static Boolean SeekBand(SInt32 v, const Rect &box) {
    ClipCacheRecord &cache = orvaClipCache;
    if (cache.seglist_clip && cache.premLigneSeg != kRgnMaxCoord && v >= cache.premLigneSeg && v < cache.derLigneSeg)
        return true;
    SInt32 words = OrvaRgnWords(OrvaRgnClip);
    if (!EnsureCacheRoom(words + 1)) return false;
    if (cache.premLigneSeg == kRgnMaxCoord || v < cache.premLigneSeg || cache.posRgnClip < 5) {
        cache.seglist_clip[0] = kRgnEnd;
        cache.posRgnClip = 5;
    }
    const SInt16 *data = (const SInt16 *)*OrvaRgnClip;
    const SInt16 *end = data + words, *line = data + cache.posRgnClip;
    SInt32 bandTop = cache.premLigneSeg == kRgnMaxCoord ? box.top : cache.premLigneSeg;
    while (line < end && *line != kRgnEnd && *line <= v) {
        bandTop = *line;
        line = orva_complete_seglist(cache.seglist_clip, cache.capacity, *line, line, end);
        if (!line) {
            OrvaResetClipCache();
            return false;
        }
    }
    cache.posRgnClip = SInt32(line - data);
    cache.premLigneSeg = SInt16(bandTop);
    cache.derLigneSeg = (line < end && *line != kRgnEnd) ? *line : box.bottom;
    return cache.derLigneSeg > v;
}

// One band of rows: a run inside the first interval goes out whole, else a piece per interval.
static void FillBand(SInt32 ha, SInt32 hb, SInt32 top, SInt32 bottom) {
    const Seglist *state = orvaClipCache.seglist_clip;
    if (state[0] != kRgnEnd && state[1] != kRgnEnd && state[0] <= ha && hb < state[1]) {
        video.fillRect(SInt16(ha), SInt16(top), SInt16(hb), SInt16(bottom));
        return;
    }
    for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2) {
        if (state[i + 1] <= ha) continue;
        if (state[i] > hb) break;
        video.fillRect(SInt16(std::max<SInt32>(ha, state[i])), SInt16(top), SInt16(std::min<SInt32>(hb, state[i + 1] - 1)),
                       SInt16(bottom));
    }
}

static SInt16 Clamp16(SInt32 v) { return SInt16(std::min<SInt32>(std::max<SInt32>(v, -32768), 32767)); }
