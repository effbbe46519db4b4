// Packed pixel images: PackBits and its inverse, and the drawing of the bit and pixel images of
// pictures. Every read is bounded by the end of the image data the caller gives and every
// write by the row being unpacked: an image whose rows break either is not drawn, and the
// read position moves to the end of the data.
#include "graphics/quickdraw/packed_images.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstring>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"

namespace {

enum : SInt32 {
    kMaxRun = 127,               // bytes of one run or literal packet
    kBandMemoryReserve = 10000,  // kept free when the rows of a large image are given memory
    kBandMinBudget = 64000,      // below it images are not cut into bands
    kBandMaxPixels = 2000000,    // pixels of one band at most
    kRowMask = 0x7FFF,
    kDirectPackType = 4,         // component planes
    kWordPackType = 3,           // 16-bit pixels
};

}  // namespace

static Boolean NextRow(ByteReader *walk, SInt32 rowBytes, const UInt8 **packed, SInt32 *length);
static const UInt8 *After(const ByteReader *walk, const UInt8 *end);
static const UInt8 *SkipRows(const UInt8 *data, const UInt8 *end, SInt32 rowBytes, SInt32 height);
static Boolean RowsFit(const UInt8 *data, const UInt8 *end, SInt32 rowBytes, SInt32 height);
static const UInt8 *PutPictureBands(const UInt8 *data, const UInt8 *end, const PixMap *map, const Rect *srcRect,
                                    const Rect *dstRect, SInt16 mode, SInt32 bandRows);
static Ptr NewQuietPtr(UInt64 bytes);
static void FillOffscreen(GrafPtr off, const UInt8 *rows, SInt64 slot, const SInt32 *produced, const PixMap *pixmap);

void PackBits(Ptr *src, Ptr *dst, SInt32 count) {
    if (!src || !dst || !*src || !*dst) return;
    const UInt8 *s = (const UInt8 *)*src;
    UInt8 *d = (UInt8 *)*dst;
    while (count > 0) {
        if (count >= 3 && s[0] == s[1] && s[1] == s[2]) {
            SInt32 n = 3;
            while (n < kMaxRun && n < count && s[n] == s[0]) n++;
            *d++ = UInt8(1 - n);
            *d++ = s[0];
            s += n;
            count -= n;
            continue;
        }
        // A literal stops before the first three equal bytes, which start a run.
        SInt32 m = 1, literal = -1;
        while (m < kMaxRun && m < count) {
            if (m <= count - 3 && s[m - 1] == s[m] && s[m] == s[m + 1]) {
                literal = m - 1;
                break;
            }
            m++;
        }
        if (literal < 0) literal = m;
        *d++ = UInt8(literal - 1);
        std::memcpy(d, s, size_t(literal));
        d += literal;
        s += literal;
        count -= literal;
    }
    *src = (Ptr)s;
    *dst = (Ptr)d;
}

SInt32 OrvaPackBitsBound(SInt32 count) { return count <= 0 ? 0 : count + (count + kMaxRun - 1) / kMaxRun; }

SInt32 OrvaPackPictRow(const UInt8 *row, SInt32 count, SInt32 rowBytes, UInt8 *out) {
    SInt32 lengthBytes = rowBytes > kPackedByteCountLimit ? 2 : 1;
    Ptr s = (Ptr)row, d = (Ptr)out + lengthBytes;
    PackBits(&s, &d, count);
    SInt32 length = SInt32(d - (Ptr)out) - lengthBytes;
    if (lengthBytes == 2) {
        out[0] = UInt8(length >> 8);
        out[1] = UInt8(length);
    } else {
        out[0] = UInt8(length);
    }
    return length + lengthBytes;
}

Boolean OrvaUnpackRow(const UInt8 *packed, SInt32 packedBytes, SInt32 itemBytes, UInt8 *out, SInt32 room,
                      SInt32 *produced) {
    SInt32 in = 0, written = 0;
    *produced = 0;
    while (in < packedBytes) {
        SInt32 flag = SInt8(packed[in++]);
        if (in == packedBytes) break;  // a flag left alone ends the row
        SInt32 items = flag >= 0 ? flag + 1 : 1 - flag;
        SInt64 bytes = SInt64(items) * itemBytes;
        if (written + bytes > room) return false;
        if (flag >= 0) {
            if (in + bytes > packedBytes) return false;
            std::memcpy(out + written, packed + in, size_t(bytes));
            in += SInt32(bytes);
        } else {
            if (in + itemBytes > packedBytes) return false;
            for (SInt32 i = 0; i < items; i++) std::memcpy(out + written + i * itemBytes, packed + in, size_t(itemBytes));
            in += itemBytes;
        }
        written += SInt32(bytes);
        *produced = written;
    }
    return true;
}

const UInt8 *PutPicture(const UInt8 *data, const UInt8 *end, const BitMap *bits, const Rect *srcRect,
                        const Rect *dstRect, SInt16 mode) {
    if (!data || !end || !bits || !srcRect || !dstRect || data > end) return end;
    SInt32 rowBytes = bits->rowBytes & kRowMask;
    SInt32 width = SInt32(bits->bounds.right) - bits->bounds.left, height = SInt32(bits->bounds.bottom) - bits->bounds.top;
    if (height <= 0) return data;
    Boolean isPixMap = (bits->rowBytes & kPixMapFlag) != 0;
    PixMap map;
    std::memset(&map, 0, sizeof map);
    std::memcpy(&map, bits, isPixMap ? sizeof(PixMap) : sizeof(BitMap));
    GrafPtr port = qd.thePort;
    if (rowBytes < kPackedRowMinBytes) {
        SInt64 bytes = SInt64(height) * rowBytes;
        if (bytes > end - data) return end;
        map.baseAddr = (Ptr)data;
        if (port && port->pnVis >= 0) CopyBits((const BitMap *)&map, &port->portBits, srcRect, dstRect, mode, nullptr);
        return data + bytes;
    }
    // Large images go in bands of rows, each unpacked and drawn alone.
    SInt64 estimate = isPixMap ? (SInt64(map.pixelSize) * width + 7) / 8 + width : (SInt64(width) + 7) / 8;
    SInt64 budget = SInt64(FreeMem()) - kBandMemoryReserve;
    if (budget > kBandMinBudget && width > 0) {
        SInt64 rows = std::min<SInt64>({budget / std::max<SInt64>(estimate, 1), kBandMaxPixels / width,
                                        kMaxUnpackedImageBytes / rowBytes});
        if (rows < height) return PutPictureBands(data, end, &map, srcRect, dstRect, mode, SInt32(std::max<SInt64>(rows, 1)));
    }
    UInt64 bytes = UInt64(height) * UInt64(rowBytes);
    if (!RowsFit(data, end, rowBytes, height)) return end;
    if (bytes > UInt64(kMaxUnpackedImageBytes)) return SkipRows(data, end, rowBytes, height);
    Ptr buffer = NewQuietPtr(bytes);
    if (!buffer) return nullptr;
    ByteReader walk = OrvaByteReader(data, size_t(end - data));
    for (SInt32 y = 0; y < height && !walk.failed; y++) {
        const UInt8 *packed;
        SInt32 length, produced;
        if (NextRow(&walk, rowBytes, &packed, &length) &&
            !OrvaUnpackRow(packed, length, 1, (UInt8 *)buffer + SInt64(y) * rowBytes, rowBytes, &produced))
            walk.failed = kTrue;
    }
    if (!walk.failed) {
        map.baseAddr = buffer;
        if (port && port->pnVis >= 0) CopyBits((const BitMap *)&map, &port->portBits, srcRect, dstRect, mode, nullptr);
    }
    DisposPtr(buffer);
    return After(&walk, end);
}

const UInt8 *PutPicture24Bits(const UInt8 *data, const UInt8 *end, const PixMap *pixmap, const Rect *srcRect,
                              const Rect *dstRect, SInt16 mode) {
    if (!data || !end || !pixmap || !srcRect || !dstRect || data > end) return end;
    SInt32 rowBytes = pixmap->rowBytes & kRowMask;
    SInt32 width = SInt32(pixmap->bounds.right) - pixmap->bounds.left;
    SInt32 height = SInt32(pixmap->bounds.bottom) - pixmap->bounds.top;
    if (height <= 0) return data;
    SInt32 itemBytes = pixmap->packType == kWordPackType ? 2 : 1;
    SInt32 planes = pixmap->cmpCount == 4 ? 4 : 3;
    // Each row unpacks into its own slot; writes past it break the image.
    SInt64 slot = std::max<SInt64>(rowBytes, pixmap->packType == kWordPackType ? 2 * SInt64(width) : planes * SInt64(width));
    UInt64 bytes = UInt64(slot) * UInt64(height);
    Boolean known = pixmap->packType == kDirectPackType || pixmap->packType == kWordPackType;
    if (!RowsFit(data, end, rowBytes, height)) return end;
    if (!known || width <= 0 || bytes > UInt64(kMaxUnpackedImageBytes)) return SkipRows(data, end, rowBytes, height);
    Ptr rows = NewQuietPtr(bytes);
    SInt32 *produced = (SInt32 *)NewQuietPtr(UInt64(height) * sizeof(SInt32));
    ByteReader walk = OrvaByteReader(data, size_t(end - data));
    for (SInt32 y = 0; rows && produced && y < height && !walk.failed; y++) {
        UInt8 *out = (UInt8 *)rows + SInt64(y) * slot;
        produced[y] = 0;
        if (rowBytes < kPackedRowMinBytes) {
            // Rows as they are, rowBytes bytes each.
            const UInt8 *row = TakeBytes(&walk, size_t(rowBytes));
            if (!row) break;
            produced[y] = SInt32(std::min<SInt64>(rowBytes, slot));
            std::memcpy(out, row, size_t(produced[y]));
            continue;
        }
        const UInt8 *packed;
        SInt32 length;
        if (NextRow(&walk, rowBytes, &packed, &length) &&
            !OrvaUnpackRow(packed, length, itemBytes, out, SInt32(slot), &produced[y]))
            walk.failed = kTrue;
    }
    const UInt8 *after = After(&walk, end);
    if (!rows || !produced) after = SkipRows(data, end, rowBytes, height);
    GrafPtr port = qd.thePort;
    if (rows && produced && !walk.failed) {
        GrafPtr off = OrvaCreatePortOffscreen(SInt16(std::min<SInt32>(width, 32767)), SInt16(std::min<SInt32>(height, 32767)), 24);
        if (off) {
            FillOffscreen(off, (const UInt8 *)rows, slot, produced, pixmap);
            SetPort(port);
            Rect source = *srcRect;
            source.left = SInt16(source.left - pixmap->bounds.left);
            source.right = SInt16(source.right - pixmap->bounds.left);
            source.top = SInt16(source.top - pixmap->bounds.top);
            source.bottom = SInt16(source.bottom - pixmap->bounds.top);
            CopyBits(&off->portBits, nullptr, &source, dstRect, mode, nullptr);
            OrvaClosePortOffscreen(off);
        }
    }
    if (rows) DisposPtr(rows);
    if (produced) DisposPtr((Ptr)produced);
    return after;
}

// The callers of these know the bytes are there: each reads through a cursor over exactly the
// bytes it takes.
UInt8 pique(const UInt8 **p) {
    ByteReader at = OrvaByteReader(*p, 1);
    *p += 1;
    return Get8(&at);
}

SInt16 pique_mot(const UInt8 **p) {
    ByteReader at = OrvaByteReader(*p, 2);
    *p += 2;
    return SInt16(Get16(&at));
}

SInt32 pique_long(const UInt8 **p) {
    ByteReader at = OrvaByteReader(*p, 4);
    *p += 4;
    return SInt32(Get32(&at));
}

// The frame follows the 2-byte size: big-endian in a stored picture, in memory order in the
// library's own form, which is marked by 0xCAFE at 12.
void OrvaGetPicFrame(PicHandle pic, Rect *frame) {
    if (!frame) return;
    *frame = {0, 0, 0, 0};
    UInt32 size = pic ? GetHandleSize((Handle)pic) : 0;
    if (size < 10) return;
    ByteReader picture = OrvaByteReader(*pic, size), marker = picture;
    Seek(&marker, 12);
    Boolean own = Get16(&marker) == 0xCAFE;
    Seek(&picture, 2);
    UInt16 (*field)(ByteReader *) = own ? Get16LE : Get16;
    frame->top = SInt16(field(&picture));
    frame->left = SInt16(field(&picture));
    frame->bottom = SInt16(field(&picture));
    frame->right = SInt16(field(&picture));
}

// The next packed row: its length (one byte up to 250 row bytes, else a big-endian word) and
// its bytes. False, with the walk failed, when they pass the end of the data.
static Boolean NextRow(ByteReader *walk, SInt32 rowBytes, const UInt8 **packed, SInt32 *length) {
    *length = rowBytes > kPackedByteCountLimit ? Get16(walk) : Get8(walk);
    *packed = TakeBytes(walk, size_t(*length));
    return !walk->failed;
}

// Where the rows' bytes end: after the last row read, or the end of the data when they broke.
static const UInt8 *After(const ByteReader *walk, const UInt8 *end) {
    return walk->failed ? end : walk->bytes + walk->position;
}

// The pointer past height rows that are not drawn; end when they pass it.
static const UInt8 *SkipRows(const UInt8 *data, const UInt8 *end, SInt32 rowBytes, SInt32 height) {
    if (rowBytes < kPackedRowMinBytes) {
        SInt64 bytes = SInt64(height) * rowBytes;
        return bytes > end - data ? end : data + bytes;
    }
    ByteReader walk = OrvaByteReader(data, size_t(end - data));
    const UInt8 *packed;
    SInt32 length;
    for (SInt32 y = 0; y < height; y++)
        if (!NextRow(&walk, rowBytes, &packed, &length)) return end;
    return After(&walk, end);
}

// Whether the data can hold the rows at all: raw rows whole, packed rows at least their
// lengths. Checked before the rows are given memory.
static Boolean RowsFit(const UInt8 *data, const UInt8 *end, SInt32 rowBytes, SInt32 height) {
    SInt64 least = SInt64(height) * (rowBytes < kPackedRowMinBytes ? rowBytes : (rowBytes > kPackedByteCountLimit ? 2 : 1));
    return least <= end - data;
}

// Bands of bandRows rows of the bounds, each drawn with the source rectangle cut to it and the
// destination cut in proportion, the running top rounded.
static const UInt8 *PutPictureBands(const UInt8 *data, const UInt8 *end, const PixMap *map, const Rect *srcRect,
                                    const Rect *dstRect, SInt16 mode, SInt32 bandRows) {
    SInt32 srcHeight = SInt32(srcRect->bottom) - srcRect->top;
    double scale = srcHeight > 0 ? double(SInt32(dstRect->bottom) - dstRect->top) / srcHeight : 0.0;
    const UInt8 *p = data;
    for (SInt32 top = map->bounds.top; top < map->bounds.bottom && p && p != end; top += bandRows) {
        SInt32 bottom = std::min<SInt32>(top + bandRows, map->bounds.bottom);
        PixMap band = *map;
        band.bounds.top = SInt16(top);
        band.bounds.bottom = SInt16(bottom);
        Rect src = *srcRect, dst = *dstRect;
        src.top = SInt16(std::max<SInt32>(srcRect->top, top));
        src.bottom = SInt16(std::max<SInt32>(src.top, std::min<SInt32>(srcRect->bottom, bottom)));
        dst.top = SInt16(dstRect->top + std::lround((src.top - srcRect->top) * scale));
        dst.bottom = SInt16(dstRect->top + std::lround((src.bottom - srcRect->top) * scale));
        p = PutPicture(p, end, (const BitMap *)&band, &src, &dst, mode);
    }
    return p;
}

// A block that may fail without a message box.
static Ptr NewQuietPtr(UInt64 bytes) {
    if (bytes == 0 || bytes > 0xFFFFFFFFull) return nullptr;
    Boolean box = OrvaGetMemErrorBox();
    OrvaSetMemErrorBox(false);
    Ptr p = NewPtrClear(UInt32(bytes));
    OrvaSetMemErrorBox(box);
    return p;
}

// The unpacked rows as the offscreen's pixels. A row of planes holds each plane over a
// produced / planes width; 16-bit pixels are big-endian words x RRRRR GGGGG BBBBB.
static void FillOffscreen(GrafPtr off, const UInt8 *rows, SInt64 slot, const SInt32 *produced, const PixMap *pixmap) {
    SInt32 width = off->portRect.right, height = off->portRect.bottom;
    Boolean words = pixmap->packType == kWordPackType;
    SInt32 planes = pixmap->cmpCount == 4 ? 4 : 3, firstColour = planes - 3;
    cairo_surface_flush(off->surface);
    for (SInt32 y = 0; y < height; y++) {
        const UInt8 *row = rows + SInt64(y) * slot;
        UInt8 *out = (UInt8 *)off->effectiveBase + SInt64(y) * off->rowStride;
        SInt32 planeWidth = produced[y] / planes, wordCount = produced[y] / 2;
        ByteReader pixels = OrvaByteReader(row, size_t(produced[y]));
        for (SInt32 x = 0; x < width; x++, out += 4) {
            UInt8 red = 0, green = 0, blue = 0;
            if (words && x < wordCount) {
                UInt32 v = Get16(&pixels);
                red = UInt8(((v >> 10) & 31) * 8);
                green = UInt8(((v >> 5) & 31) * 8);
                blue = UInt8((v & 31) * 8);
            } else if (!words && x < planeWidth) {
                red = row[(firstColour + 0) * planeWidth + x];
                green = row[(firstColour + 1) * planeWidth + x];
                blue = row[(firstColour + 2) * planeWidth + x];
            }
            out[0] = blue;
            out[1] = green;
            out[2] = red;
        }
    }
    cairo_surface_mark_dirty(off->surface);
}
