// The BMP decoder and DrawBMP. Stored fields are little-endian and read through the byte cursor.
#include "layout/bmp_images.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "graphics/quickdraw/shapes.h"
#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

enum : UInt32 {
    kEnteteFichier = 14,   // "BM", file size, two reserved words, offset of the pixels
    kEnteteCore = 12,      // OS/2: size, u16 width, u16 height, planes, bit count
    kEnteteInfo = 40,
    kCompressionRGB = 0,
    kCompressionRLE8 = 1,
    kCompressionRLE4 = 2,
    kCompressionChamps = 3,
};

struct BMPHeader {
    SInt32 width, height;   // height > 0: rows bottom-up
    Boolean topDown;
    UInt16 bitCount;
    UInt32 compression;
    UInt32 masks[3];        // red, green, blue bit fields
    UInt32 pixelOffset;
    UInt32 paletteOffset;
    UInt32 paletteEntries;
    UInt32 paletteStep;     // 4 bytes an entry, 3 in OS/2 files
};

Boolean LitEntete(ByteReader *r, UInt32 size, BMPHeader *h);
Boolean LitPalette(const UInt8 *bytes, UInt32 size, const BMPHeader &h, UInt8 palette[256][3]);
UInt8 Champ(UInt32 value, UInt32 mask);
void DecodeLignes(const UInt8 *bytes, UInt32 size, const BMPHeader &h, const UInt8 palette[256][3], UInt8 *pixels,
                  SInt32 rowBytes);
void DecodeRLE(const UInt8 *bytes, UInt32 size, const BMPHeader &h, const UInt8 palette[256][3], UInt8 *pixels,
               SInt32 rowBytes);
void Pose(UInt8 *pixels, SInt32 rowBytes, const BMPHeader &h, SInt32 x, SInt32 row, const UInt8 *rgb);

}  // namespace

OSErr DecodeBMP(const UInt8 *bytes, UInt32 size, Offscreen *image) {
    if (!image) return paramErr;
    *image = nullptr;
    if (!bytes) return paramErr;
    ByteReader r = OrvaByteReader(bytes, size);
    BMPHeader h;
    if (!LitEntete(&r, size, &h)) return paramErr;
    UInt8 palette[256][3];
    if (!LitPalette(bytes, size, h, palette)) return paramErr;
    Rect bounds = {0, 0, SInt16(h.height), SInt16(h.width)};
    Offscreen result = OffscreenCreate(&bounds);
    if (!result) return memFullErr;
    Ptr base = nullptr, opacity = nullptr;
    SInt16 rowBytes = 0;
    OffscreenGetInfo(result, nullptr, &base, &rowBytes, nullptr, &opacity, nullptr, nullptr);
    if (opacity) std::memset(opacity, 0xFF, size_t(h.width) * size_t(h.height));
    UInt8 *pixels = reinterpret_cast<UInt8 *>(base);
    for (SInt32 y = 0; y < h.height; y++) std::memset(pixels + SInt64(y) * rowBytes, 0xFF, size_t(h.width) * 4);
    if (h.compression == kCompressionRLE8 || h.compression == kCompressionRLE4)
        DecodeRLE(bytes, size, h, palette, pixels, rowBytes);
    else
        DecodeLignes(bytes, size, h, palette, pixels, rowBytes);
    *image = result;
    return noErr;
}

OSErr DrawBMP(Handle bmp, const Rect *rect) {
    if (!rect) return paramErr;
    Offscreen image = nullptr;
    OSErr err = paramErr;
    if (bmp && *bmp) {
        UInt8 state = HGetState(bmp);
        HLock(bmp);
        err = DecodeBMP(reinterpret_cast<const UInt8 *>(*bmp), GetHandleSize(bmp), &image);
        HSetState(bmp, state);
    }
    if (err != noErr || !image) {
        _FrameRect(rect);
        return err != noErr ? err : OSErr(paramErr);
    }
    Rect source;
    OffscreenGetInfo(image, &source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    OffscreenCopyBits(image, &source, rect, 0);
    OrvaClosePortOffscreen(image);
    return noErr;
}

namespace {

Boolean LitEntete(ByteReader *r, UInt32 size, BMPHeader *h) {
    std::memset(h, 0, sizeof *h);
    if (Get8(r) != 'B' || Get8(r) != 'M') return kFalse;
    Skip(r, 8);
    h->pixelOffset = Get32LE(r);
    UInt32 infoSize = Get32LE(r);
    if (r->failed || infoSize < kEnteteCore || infoSize > size - kEnteteFichier) return kFalse;
    if (infoSize == kEnteteCore) {
        h->width = Get16LE(r);
        h->height = SInt16(Get16LE(r));
        Skip(r, 2);
        h->bitCount = Get16LE(r);
        h->paletteStep = 3;
    } else {
        if (infoSize < kEnteteInfo) return kFalse;
        h->width = SInt32(Get32LE(r));
        h->height = SInt32(Get32LE(r));
        Skip(r, 2);
        h->bitCount = Get16LE(r);
        h->compression = Get32LE(r);
        Skip(r, 12);
        h->paletteEntries = Get32LE(r);
        Skip(r, 4);
        h->paletteStep = 4;
        // Bit fields follow a 40-byte header, or lie inside the longer ones.
        if (h->compression == kCompressionChamps)
            for (UInt32 &mask : h->masks) mask = Get32LE(r);
    }
    if (r->failed) return kFalse;
    h->paletteOffset = kEnteteFichier + infoSize;
    h->topDown = h->height < 0;
    // The most negative height has no positive twin: it is refused with the others out of range.
    if (h->topDown) h->height = h->height == INT32_MIN ? 0 : -h->height;
    if (h->width < 1 || h->height < 1 || h->width > kBMPCoteMax || h->height > kBMPCoteMax ||
        SInt64(h->width) * h->height > kBMPPixelsMax)
        return kFalse;
    if (h->pixelOffset >= size) return kFalse;
    switch (h->compression) {
    case kCompressionRGB: return h->bitCount == 1 || h->bitCount == 4 || h->bitCount == 8 || h->bitCount == 16 ||
                                 h->bitCount == 24 || h->bitCount == 32;
    case kCompressionRLE8: return h->bitCount == 8 && !h->topDown;
    case kCompressionRLE4: return h->bitCount == 4 && !h->topDown;
    case kCompressionChamps:
        return (h->bitCount == 16 || h->bitCount == 32) && h->masks[0] && h->masks[1] && h->masks[2];
    default: return kFalse;
    }
}

Boolean LitPalette(const UInt8 *bytes, UInt32 size, const BMPHeader &h, UInt8 palette[256][3]) {
    std::memset(palette, 0, 256 * 3);
    if (h.bitCount > 8) return kTrue;
    UInt32 entries = h.paletteEntries ? h.paletteEntries : (1u << h.bitCount);
    if (entries > (1u << h.bitCount)) entries = 1u << h.bitCount;
    // The palette ends where the pixels begin: a shorter one leaves the other indices black.
    if (h.pixelOffset > h.paletteOffset) entries = std::min(entries, (h.pixelOffset - h.paletteOffset) / h.paletteStep);
    ByteReader r = OrvaByteReader(bytes, size);
    Skip(&r, h.paletteOffset);
    for (UInt32 i = 0; i < entries; i++) {
        UInt8 blue = Get8(&r), green = Get8(&r), red = Get8(&r);
        if (h.paletteStep == 4) Skip(&r, 1);
        palette[i][0] = red;
        palette[i][1] = green;
        palette[i][2] = blue;
    }
    return !r.failed;
}

// A bit field's value scaled to 0..255.
UInt8 Champ(UInt32 value, UInt32 mask) {
    if (!mask) return 0;
    UInt32 shift = 0;
    while (!((mask >> shift) & 1)) shift++;
    UInt32 top = mask >> shift;
    return UInt8(((value & mask) >> shift) * 255u / top);
}

// Plain rows, padded to four bytes; a file cut short leaves its last rows white.
void DecodeLignes(const UInt8 *bytes, UInt32 size, const BMPHeader &h, const UInt8 palette[256][3], UInt8 *pixels,
                  SInt32 rowBytes) {
    UInt64 stride = ((UInt64(h.width) * h.bitCount + 31) / 32) * 4;
    for (SInt32 row = 0; row < h.height; row++) {
        UInt64 at = h.pixelOffset + stride * UInt64(row);
        if (at >= size) return;
        ByteReader r = OrvaByteReader(bytes + at, size_t(size - at));
        UInt32 bits = 0, count = 0;
        for (SInt32 x = 0; x < h.width && !r.failed; x++) {
            UInt8 rgb[3] = {0, 0, 0};
            if (h.bitCount <= 8) {
                if (count == 0) {
                    bits = Get8(&r);
                    count = 8;
                }
                count -= h.bitCount;
                UInt32 index = (bits >> count) & ((1u << h.bitCount) - 1);
                std::memcpy(rgb, palette[index], 3);
            } else if (h.bitCount == 16) {
                UInt32 v = Get16LE(&r);
                UInt32 red = h.masks[0] ? h.masks[0] : 0x7C00, green = h.masks[1] ? h.masks[1] : 0x03E0,
                       blue = h.masks[2] ? h.masks[2] : 0x001F;
                rgb[0] = Champ(v, red), rgb[1] = Champ(v, green), rgb[2] = Champ(v, blue);
            } else if (h.bitCount == 24) {
                rgb[2] = Get8(&r), rgb[1] = Get8(&r), rgb[0] = Get8(&r);
            } else {
                UInt32 v = Get32LE(&r);
                UInt32 red = h.masks[0] ? h.masks[0] : 0x00FF0000, green = h.masks[1] ? h.masks[1] : 0x0000FF00,
                       blue = h.masks[2] ? h.masks[2] : 0x000000FF;
                rgb[0] = Champ(v, red), rgb[1] = Champ(v, green), rgb[2] = Champ(v, blue);
            }
            if (!r.failed) Pose(pixels, rowBytes, h, x, row, rgb);
        }
    }
}

// Run-length rows: pairs (count, index) or escapes 0 (end of line), 1 (end of image), 2 (move
// by two bytes) and 3..255 (literal indices, padded to a word).
void DecodeRLE(const UInt8 *bytes, UInt32 size, const BMPHeader &h, const UInt8 palette[256][3], UInt8 *pixels,
               SInt32 rowBytes) {
    ByteReader r = OrvaByteReader(bytes, size);
    Skip(&r, h.pixelOffset);
    Boolean four = h.compression == kCompressionRLE4;
    SInt32 x = 0, row = 0;
    auto put = [&](UInt32 index) {
        if (x < h.width && row < h.height) Pose(pixels, rowBytes, h, x, row, palette[index & 0xFF]);
        x++;
    };
    while (!r.failed && row < h.height) {
        UInt8 count = Get8(&r), value = Get8(&r);
        if (r.failed) break;
        if (count > 0) {
            for (UInt32 i = 0; i < count; i++) put(four ? (i % 2 ? value & 0x0F : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            row++;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += Get8(&r);
            row += Get8(&r);
        } else {
            UInt32 bytesUsed = four ? (value + 1u) / 2 : value;
            for (UInt32 i = 0; i < value; i++) {
                if (four && i % 2 == 1) {
                    put(bytes[r.position - 1] & 0x0F);
                    continue;
                }
                UInt8 b = Get8(&r);
                if (r.failed) break;
                put(four ? b >> 4 : b);
            }
            if (bytesUsed % 2) Skip(&r, 1);
        }
    }
}

void Pose(UInt8 *pixels, SInt32 rowBytes, const BMPHeader &h, SInt32 x, SInt32 row, const UInt8 *rgb) {
    SInt32 y = h.topDown ? row : h.height - 1 - row;
    UInt8 *p = pixels + SInt64(y) * rowBytes + SInt64(x) * 4;
    // Pixels of 24-bit ports are blue, green, red, spare.
    p[0] = rgb[2];
    p[1] = rgb[1];
    p[2] = rgb[0];
    p[3] = 0;
}

}  // namespace
