// The pixel transfer: the source, the mask and the destination are brought to 32 bits over the
// part of the destination that the clip lets through, the blend kernel runs on every clip
// piece, and 8-bit destinations are written back through their colour indices.
#include "graphics/quickdraw/transfer.h"

#include <algorithm>
#include <cairo.h>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/transfer_internal.h"
#include "graphics/cairo/dirty_areas.h"
#include "platform/core/runtime.h"

namespace {

enum : UInt32 {
    kWhite = 0x00FFFFFF,
    kBlack = 0x00000000,
    kRgb = 0x00FFFFFF,
};
enum : SInt16 {
    kModeOpBits = 1 | 2 | 4 | 32,  // a mode with none of these copies rows as they are
    kModeOpMask = 7,
};

const char kUnsupportedDepth[] = "Profondeur non geree en CopyBits ";

// How the kernel treats every pixel of one transfer.
struct KernelRecord {
    SInt16 mode;
    UInt32 fore, back, op;  // 0x00RRGGBB: the current port's colours
    Boolean plain;          // fore black, back white and a mode without kModeOpBits
};

// One transfer under way: the converted blocks and where they lie in the destination store.
struct TransferRecord {
    KernelRecord kernel;
    PixelBlockRecord source;
    PixelBlockRecord mask;       // base null: no mask image
    PixelBlockRecord target;     // the destination pixels of the area, 32 bits
    const PixelSourceRecord *destination;
    Boolean writeBack;           // target is a copy of an 8-bit store
    SInt32 areaLeft, areaTop;    // store position of the blocks' pixel (0, 0)
};

}  // namespace

static void Transfer(const PixelSourceRecord *src, const PixelSourceRecord *mask, const BitMap *dstBits,
                     const Rect *srcRect, const Rect *maskRect, const Rect *dstRect, SInt16 mode, RgnHandle maskRgn);
static Boolean WorkArea(const PixelSourceRecord *dst, SInt32 dx, SInt32 dy, SInt32 dw, SInt32 dh, RgnHandle maskRgn,
                        Rect *area);
static Boolean SameStore(const PixelSourceRecord *a, const PixelSourceRecord *b);
static Boolean TargetBlock(const PixelSourceRecord *dst, const TransferAreaRecord *area, SInt32 dx, SInt32 dy,
                           PixelBlockRecord *out, Boolean *writeBack);
static void KernelFor(GrafPtr port, SInt16 mode, KernelRecord *kernel);
static void RunPieces(TransferRecord *t, const Rect *area, RgnHandle maskRgn, RgnHandle clipRgn);
static void BandPieces(void *context, SInt16 top, SInt16 bottom, const Seglist *state);
static void Piece(TransferRecord *t, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom);
static void BlendRow(const KernelRecord *k, const UInt8 *s, const UInt8 *m, UInt8 *d, SInt32 count);
static UInt32 Combine(const KernelRecord *k, UInt32 s, UInt32 d);
static UInt32 MixMask(UInt32 r, UInt32 d, UInt32 m);
static UInt32 Div255(UInt32 x);
static void WriteBackRow(const TransferRecord *t, SInt32 left, SInt32 y, SInt32 count);
static UInt32 Rgb24(const RGBColor *c);
static UInt32 Load(const UInt8 *p);
static void Store(UInt8 *p, UInt32 v);

void CopyBits(const BitMap *srcBits, const BitMap *dstBits, const Rect *srcRect, const Rect *dstRect, SInt16 mode,
              RgnHandle maskRgn) {
    GrafPtr port = qd.thePort;
    if (!port || !srcBits || !srcRect || !dstRect) return;
    if (port->picSave) {
        OrvaRecordTransfer(srcBits, srcRect, dstRect, mode);
        return;
    }
    PixelSourceRecord src, opacity;
    if (!OrvaDescribeBits(srcBits, &src)) return;
    if (src.port && src.port->opacity) {
        // The opacity plane is the mask, read over the same rectangle as the source.
        OrvaDescribeOpacity(src.port, &opacity);
        Transfer(&src, &opacity, dstBits, srcRect, srcRect, dstRect, mode, maskRgn);
        return;
    }
    Transfer(&src, nullptr, dstBits, srcRect, nullptr, dstRect, mode, maskRgn);
}

void CopyMask(const BitMap *srcBits, const BitMap *maskBits, const BitMap *dstBits, const Rect *srcRect,
              const Rect *maskRect, const Rect *dstRect) {
    CopyDeepMask(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, srcCopy, nullptr);
}

void CopyDeepMask(const BitMap *srcBits, const BitMap *maskBits, const BitMap *dstBits, const Rect *srcRect,
                  const Rect *maskRect, const Rect *dstRect, SInt16 mode, RgnHandle maskRgn) {
    if (!qd.thePort || !srcBits || !srcRect || !dstRect) return;
    PixelSourceRecord src, mask;
    if (!OrvaDescribeBits(srcBits, &src)) return;
    Boolean withMask = maskBits && maskRect;
    if (withMask && !OrvaDescribeBits(maskBits, &mask)) return;
    Transfer(&src, withMask ? &mask : nullptr, dstBits, srcRect, maskRect, dstRect, mode, maskRgn);
}

Boolean OrvaBitmap2Mob(const void *base, SInt32 rowBytes, SInt32 bitOffset, SInt32, SInt32 n, UInt8 *out,
                       SInt16 depth, UInt8 setValue, UInt8 clearValue) {
    if (depth != 1) return false;
    if (!base || !out || n <= 0 || bitOffset < 0) return true;
    const UInt8 *bytes = (const UInt8 *)base;
    for (SInt32 y = 0; y < n; y++) {
        const UInt8 *row = bytes + SInt64(y) * rowBytes;
        for (SInt32 x = 0; x < n; x++) {
            SInt64 bit = SInt64(bitOffset) + x;
            *out++ = (row[bit >> 3] & (0x80 >> (bit & 7))) ? setValue : clearValue;
        }
    }
    return true;
}

// The whole transfer after the bits are described. Nothing without an effective clip, for
// empty rectangles, or when a block cannot be allocated.
static void Transfer(const PixelSourceRecord *src, const PixelSourceRecord *mask, const BitMap *dstBits,
                     const Rect *srcRect, const Rect *maskRect, const Rect *dstRect, SInt16 mode, RgnHandle maskRgn) {
    GrafPtr port = qd.thePort;
    OrvaRecalculeRgnClip();
    if (!OrvaRgnClip || EmptyRgn(OrvaRgnClip) || EmptyRect(srcRect) || EmptyRect(dstRect)) return;
    if (mask && EmptyRect(maskRect)) return;
    PixelSourceRecord dst;
    if (!OrvaDescribeBits(dstBits ? dstBits : &port->portBits, &dst)) return;
    if (!(dst.depth == 24 || dst.depth == 8) || !dst.supported) return;  // other stores are left as they are

    SInt32 dw = std::min<SInt32>(SInt32(dstRect->right) - dstRect->left, kMaxTransferWidth);
    SInt32 dh = SInt32(dstRect->bottom) - dstRect->top;
    SInt32 dx = SInt32(dstRect->left) - dst.bounds.left, dy = SInt32(dstRect->top) - dst.bounds.top;
    Rect area;
    if (!WorkArea(&dst, dx, dy, dw, dh, maskRgn, &area)) return;
    // The area relative to the destination rectangle, cut to what the source and mask produce.
    TransferAreaRecord part = {area.left - dx, area.top - dy, area.right - dx, area.bottom - dy};
    ScaleRecord srcScale = {SInt32(srcRect->left) - src->bounds.left, SInt32(srcRect->top) - src->bounds.top,
                            SInt32(srcRect->right) - srcRect->left, SInt32(srcRect->bottom) - srcRect->top, dw, dh};
    ScaleRecord maskScale = srcScale;
    const PixelSourceRecord *limits[2] = {src, mask};
    const ScaleRecord *scales[2] = {&srcScale, &maskScale};
    if (mask)
        maskScale = {SInt32(maskRect->left) - mask->bounds.left, SInt32(maskRect->top) - mask->bounds.top,
                     SInt32(maskRect->right) - maskRect->left, SInt32(maskRect->bottom) - maskRect->top, dw, dh};
    for (SInt32 k = 0; k < (mask ? 2 : 1); k++) {
        TransferAreaRecord produced = OrvaProducedArea(limits[k], scales[k]);
        part.right = std::min(part.right, produced.right);
        part.bottom = std::min(part.bottom, produced.bottom);
    }
    if (part.right <= part.left || part.bottom <= part.top) return;
    area = {SInt16(part.top + dy), SInt16(part.left + dx), SInt16(part.bottom + dy), SInt16(part.right + dx)};
    if (!src->supported || (mask && !mask->supported)) OrvaErreur(kUnsupportedDepth);

    TransferRecord t;
    std::memset(&t, 0, sizeof t);
    t.destination = &dst;
    t.areaLeft = area.left;
    t.areaTop = area.top;
    KernelFor(port, mode, &t.kernel);
    // A store read in place while it is written would read pixels already changed.
    Boolean ok = OrvaConvertSource(src, &srcScale, &part, !SameStore(src, &dst), &t.source) &&
                 (!mask || OrvaConvertSource(mask, &maskScale, &part, !SameStore(mask, &dst), &t.mask)) &&
                 TargetBlock(&dst, &part, dx, dy, &t.target, &t.writeBack);
    if (ok) {
        RgnHandle clip = NewRgn();
        if (clip) {
            if (dst.port) cairo_surface_flush(dst.port->surface);
            RunPieces(&t, &area, maskRgn, clip);
            Rect changed = (*clip)->rgnBBox;
            if (dst.port && !EmptyRect(&changed)) {
                SInt32 originX = dst.port->systemDraw ? 0 : dst.port->marginLeft;
                SInt32 originY = dst.port->systemDraw ? 0 : dst.port->marginTop;
                cairo_surface_mark_dirty_rectangle(dst.port->surface, changed.left + originX, changed.top + originY,
                                                   changed.right - changed.left, changed.bottom - changed.top);
                OrvaAddDirtyRectPort(dst.port, changed.left, changed.top, SInt16(changed.right - 1),
                                     SInt16(changed.bottom - 1));
            }
            DisposeRgn(clip);
        }
    }
    OrvaDisposePixelBlock(&t.source);
    OrvaDisposePixelBlock(&t.mask);
    OrvaDisposePixelBlock(&t.target);
}

// The part of the destination rectangle (store pixels dx, dy, dw x dh) that can change: inside
// the store, the effective clip's box and the mask region's box. False when empty.
static Boolean WorkArea(const PixelSourceRecord *dst, SInt32 dx, SInt32 dy, SInt32 dw, SInt32 dh, RgnHandle maskRgn,
                        Rect *area) {
    const Rect &clip = (*OrvaRgnClip)->rgnBBox;
    SInt32 left = std::max<SInt32>({dx, 0, clip.left}), top = std::max<SInt32>({dy, 0, clip.top});
    SInt32 right = std::min<SInt32>({dx + dw, dst->width, clip.right});
    SInt32 bottom = std::min<SInt32>({dy + dh, dst->height, clip.bottom});
    if (maskRgn && *maskRgn) {
        const Rect &m = (*maskRgn)->rgnBBox;
        left = std::max<SInt32>(left, m.left - dst->bounds.left);
        top = std::max<SInt32>(top, m.top - dst->bounds.top);
        right = std::min<SInt32>(right, m.right - dst->bounds.left);
        bottom = std::min<SInt32>(bottom, m.bottom - dst->bounds.top);
    }
    if (right <= left || bottom <= top) return false;
    *area = {SInt16(top), SInt16(left), SInt16(bottom), SInt16(right)};
    return true;
}

static Boolean SameStore(const PixelSourceRecord *a, const PixelSourceRecord *b) {
    return a->base == b->base || (a->port && a->port == b->port);
}

// The destination pixels of the area as 32 bits: a 32-bit store in place, an 8-bit store copied
// (and written back afterwards).
static Boolean TargetBlock(const PixelSourceRecord *dst, const TransferAreaRecord *area, SInt32 dx, SInt32 dy,
                           PixelBlockRecord *out, Boolean *writeBack) {
    SInt32 width = area->right - area->left, height = area->bottom - area->top;
    ScaleRecord same = {dx + area->left, dy + area->top, width, height, width, height};
    TransferAreaRecord whole = {0, 0, width, height};
    *writeBack = dst->depth != 24;
    return OrvaConvertSource(dst, &same, &whole, true, out);
}

static void KernelFor(GrafPtr port, SInt16 mode, KernelRecord *kernel) {
    kernel->mode = mode;
    kernel->fore = Rgb24(&port->rgbFgColor);
    kernel->back = Rgb24(&port->rgbBkColor);
    kernel->op = Rgb24(&port->rgbOpColor);
    kernel->plain = kernel->fore == kBlack && kernel->back == kWhite && (mode & kModeOpBits) == 0;
}

// The clip pieces of the area: the effective clip and the mask region (moved to store
// coordinates) cut to the area, one piece per band interval. clip receives that region.
static void RunPieces(TransferRecord *t, const Rect *area, RgnHandle maskRgn, RgnHandle clip) {
    RectRgn(clip, area);
    SectRgn(OrvaRgnClip, clip, clip);
    if (maskRgn && *maskRgn) {
        RgnHandle moved = NewRgn();
        if (!moved) {
            SetEmptyRgn(clip);
            return;
        }
        _CopyRgn(maskRgn, moved);
        _OffsetRgn(moved, SInt16(-t->destination->bounds.left), SInt16(-t->destination->bounds.top));
        SectRgn(clip, moved, clip);
        DisposeRgn(moved);
    }
    OrvaForEachRgnBand(clip, BandPieces, t);
}

static void BandPieces(void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
    TransferRecord *t = (TransferRecord *)context;
    for (SInt32 i = 0; state[i] != kRgnEnd && state[i + 1] != kRgnEnd; i += 2) Piece(t, state[i], top, state[i + 1], bottom);
}

// One clip piece, store coordinates, right and bottom exclusive.
static void Piece(TransferRecord *t, SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) {
    SInt32 x0 = left - t->areaLeft, count = right - left;
    for (SInt32 y = top - t->areaTop; y < bottom - t->areaTop; y++) {
        const UInt8 *s = t->source.base + SInt64(y) * t->source.rowBytes + SInt64(x0) * 4;
        const UInt8 *m = t->mask.base ? t->mask.base + SInt64(y) * t->mask.rowBytes + SInt64(x0) * 4 : nullptr;
        UInt8 *d = t->target.base + SInt64(y) * t->target.rowBytes + SInt64(x0) * 4;
        BlendRow(&t->kernel, s, m, d, count);
        if (t->writeBack) WriteBackRow(t, x0, y, count);
    }
}

// The blend kernel on one row of count pixels.
static void BlendRow(const KernelRecord *k, const UInt8 *s, const UInt8 *m, UInt8 *d, SInt32 count) {
    if (k->plain && !m) {
        std::memmove(d, s, size_t(count) * 4);
        return;
    }
    for (SInt32 i = 0; i < count; i++, s += 4, d += 4) {
        UInt32 sp = Load(s) & kRgb, dp = Load(d) & kRgb;
        UInt32 r = k->plain ? sp : Combine(k, sp, dp);
        if (m) {
            UInt32 mp = Load(m) & kRgb;
            m += 4;
            if (mp == kWhite) continue;
            if (mp != kBlack) r = MixMask(r, dp, mp);
        }
        Store(d, r);
    }
}

// One pixel of a mode other than a plain copy.
static UInt32 Combine(const KernelRecord *k, UInt32 s, UInt32 d) {
    if (k->mode == blend) {
        UInt32 out = 0;
        for (SInt32 shift = 0; shift <= 16; shift += 8) {
            UInt32 sc = (s >> shift) & 255, dc = (d >> shift) & 255, w = (k->op >> shift) & 255;
            out |= Div255(sc * w + dc * (255 - w)) << shift;
        }
        return out;
    }
    if (k->mode == transparent) return s == k->back ? d : s;
    switch (k->mode & kModeOpMask) {
        case srcCopy: return s == kWhite ? k->back : (s == kBlack ? k->fore : s);
        case srcOr: return s == kBlack ? k->fore : (s == kWhite ? d : s);
        case srcXor: return ~(s ^ d) & kRgb;
        default: return s;
    }
}

// Each component (d m + r (255 - m)) / 255: m = 0 takes r, 255 keeps d.
static UInt32 MixMask(UInt32 r, UInt32 d, UInt32 m) {
    UInt32 out = 0;
    for (SInt32 shift = 0; shift <= 16; shift += 8) {
        UInt32 rc = (r >> shift) & 255, dc = (d >> shift) & 255, mc = (m >> shift) & 255;
        out |= Div255(dc * mc + rc * (255 - mc)) << shift;
    }
    return out;
}

// x / 255, truncated, for x up to 255 x 255, by a multiply and shift.
static UInt32 Div255(UInt32 x) { return (x + 1 + (x >> 8)) >> 8; }

// The colour indices of count changed pixels of an 8-bit store.
static void WriteBackRow(const TransferRecord *t, SInt32 left, SInt32 y, SInt32 count) {
    const PixelSourceRecord *dst = t->destination;
    UInt8 *row = (UInt8 *)dst->base + SInt64(t->areaTop + y) * dst->rowBytes + (t->areaLeft + left);
    const UInt8 *block = t->target.base + SInt64(y) * t->target.rowBytes + SInt64(left) * 4;
    // Color2Index answers gray levels while the current port is a 256-gray one; a store with
    // the standard table is looked up with no port current meanwhile.
    GrafPtr current = qd.thePort;
    if (!dst->gray && OrvaIsGrayPort(current)) qd.thePort = nullptr;
    for (SInt32 i = 0; i < count; i++, block += 4) {
        UInt32 r = block[2] * 257u, g = block[1] * 257u, b = block[0] * 257u;
        if (dst->gray) {
            row[i] = UInt8(255 - (r + g + b) / 768);
        } else {
            RGBColor c = {UInt16(r), UInt16(g), UInt16(b)};
            row[i] = UInt8(Color2Index(&c));
        }
    }
    qd.thePort = current;
}

static UInt32 Rgb24(const RGBColor *c) { return UInt32(c->red >> 8) << 16 | UInt32(c->green >> 8) << 8 | (c->blue >> 8); }

static UInt32 Load(const UInt8 *p) {
    UInt32 v;
    std::memcpy(&v, p, 4);
    return v;
}

static void Store(UInt8 *p, UInt32 v) { std::memcpy(p, &v, 4); }
