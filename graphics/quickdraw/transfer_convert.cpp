// Reading pixel stores of every depth as 32-bit pixels, and scaling a source rectangle to a
// destination size: 1:1 (referenced in place when it is already 32 bits), averaging, bilinear
// interpolation or the nearest pixel, with 16.16 fixed-point steps.
#include <algorithm>
#include <cairo.h>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/transfer_internal.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// The smoothing switches and the count of allocated blocks. Main thread only.
struct SmoothingRecord {
    Boolean averaging;
    Boolean bilinear;
    UInt32 blocks;
};
SmoothingRecord gSmoothing = {false, true, 0};

enum : UInt32 {
    kWhite = 0x00FFFFFF,
    kBlack = 0x00000000,
    kPixMapRowMask = 0x7FFF,
};
enum : SInt64 { kOne = 0x10000 };  // one pixel in 16.16

const char kUnsupportedDepth[] = "Profondeur non geree en CopyBits ";

// The steps of a scaled conversion and the source position of each produced column and row.
struct StepsRecord {
    SInt64 stepX, stepY;            // 16.16 source pixels per destination pixel
    std::vector<SInt64> posX, posY; // 16.16 source positions, relative to the rectangle
};

}  // namespace

static SInt32 TableEntries(CTabHandle table);
static UInt32 TableColor(CTabHandle table, SInt32 entries, SInt32 index);
static void BuildPalette(const PixelSourceRecord *src, UInt32 palette[256]);
static UInt32 ReadPixel(const PixelSourceRecord *src, const UInt32 *palette, SInt32 x, SInt32 y);
static void ReadRow(const PixelSourceRecord *src, const UInt32 *palette, SInt32 x, SInt32 y, SInt32 count,
                    UInt32 *out);
static SInt64 Step(SInt32 sourceSize, SInt32 destinationSize);
static SInt32 Clamp(SInt32 v, SInt32 low, SInt32 high);
static void ConvertOneToOne(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                            const TransferAreaRecord *area, PixelBlockRecord *out);
static void ConvertNearest(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                           const StepsRecord *steps, PixelBlockRecord *out);
static void ConvertBilinear(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                            const StepsRecord *steps, PixelBlockRecord *out);
static void ConvertAveraging(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                             const StepsRecord *steps, PixelBlockRecord *out);
static UInt32 Mix4(UInt32 tl, UInt32 tr, UInt32 bl, UInt32 br, UInt32 fx, UInt32 fy);
static void FillBlock(PixelBlockRecord *block, UInt32 pixel);
static UInt32 *BlockRow(const PixelBlockRecord *block, SInt32 y);

void OrvaSetCopybitAntialias(Boolean averaging, Boolean bilinear) {
    gSmoothing.averaging = averaging;
    gSmoothing.bilinear = bilinear;
}

UInt32 OrvaTransferBlockCount() { return gSmoothing.blocks; }

void GetPixMapRGB(const void *base, SInt32 rowBytes, SInt16 depth, CTabHandle table, SInt32 x, SInt32 y,
                  const Rect *bounds, UInt8 *red, UInt8 *green, UInt8 *blue) {
    UInt32 pixel = kWhite;
    Boolean supported = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 || depth == 24 || depth == 32;
    if (!supported) OrvaErreur(kUnsupportedDepth);
    if (supported && base && bounds) {
        PixelSourceRecord src;
        std::memset(&src, 0, sizeof src);
        src.base = (const UInt8 *)base;
        src.rowBytes = rowBytes;
        src.depth = depth == 32 ? 24 : depth;
        src.supported = true;
        src.table = table;
        src.width = bounds->right;
        src.height = bounds->bottom;
        x = std::max<SInt32>(std::max<SInt32>(x, bounds->left), 0);
        y = std::max<SInt32>(std::max<SInt32>(y, bounds->top), 0);
        UInt32 palette[256];
        BuildPalette(&src, palette);
        if (src.width > 0 && src.height > 0) pixel = ReadPixel(&src, palette, x, y);
    }
    if (red) *red = UInt8(pixel >> 16);
    if (green) *green = UInt8(pixel >> 8);
    if (blue) *blue = UInt8(pixel);
}

Boolean OrvaDescribeBits(const BitMap *bits, PixelSourceRecord *out) {
    std::memset(out, 0, sizeof *out);
    if (!bits) return false;
    out->bounds = bits->bounds;
    SInt32 width = SInt32(bits->bounds.right) - bits->bounds.left;
    SInt32 height = SInt32(bits->bounds.bottom) - bits->bounds.top;
    if (OrvaIsOffscreen(bits)) {
        // A marked bitmap is always the portBits of a port.
        GrafPtr port = (GrafPtr)((const char *)bits - offsetof(GrafPort, portBits));
        if (!port->surface || !port->effectiveBase) return false;
        cairo_surface_flush(port->surface);
        SInt32 originX = port->systemDraw ? 0 : port->marginLeft;
        SInt32 originY = port->systemDraw ? 0 : port->marginTop;
        out->port = port;
        out->base = (const UInt8 *)port->effectiveBase;
        out->rowBytes = port->rowStride;
        out->depth = port->depth == 24 ? 24 : 8;
        out->gray = out->depth == 8 && port->device == kGrayPortDevice;
        out->table = out->depth == 8 && !out->gray ? OrvaDefault8BitsColorTable : nullptr;
        width = std::min<SInt32>(width, port->width - originX);
        height = std::min<SInt32>(height, port->height - originY);
    } else {
        if (!bits->baseAddr) return false;
        out->base = (const UInt8 *)bits->baseAddr;
        out->rowBytes = bits->rowBytes & kPixMapRowMask;
        out->depth = 1;
        if (bits->rowBytes & kPixMapFlag) {
            const PixMap *map = (const PixMap *)bits;
            out->depth = map->pixelSize == 32 ? 24 : map->pixelSize;
            out->table = map->pmTable;
        }
    }
    SInt16 d = out->depth;
    out->supported = d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 24;
    out->width = width;
    out->height = height;
    if (width <= 0 || height <= 0) return false;
    SInt64 bitsPerRow = SInt64(width) * (d == 24 ? 32 : d);
    return !out->supported || out->rowBytes * 8 >= bitsPerRow;
}

void OrvaDescribeOpacity(GrafPtr port, PixelSourceRecord *out) {
    std::memset(out, 0, sizeof *out);
    if (!port || !port->opacity) return;
    out->bounds = port->portBits.bounds;
    out->base = (const UInt8 *)port->opacity;
    out->width = SInt32(out->bounds.right) - out->bounds.left;
    out->height = SInt32(out->bounds.bottom) - out->bounds.top;
    out->rowBytes = out->width;
    out->depth = 8;
    out->supported = true;
    out->opacity = true;
}

TransferAreaRecord OrvaProducedArea(const PixelSourceRecord *src, const ScaleRecord *scale) {
    TransferAreaRecord area = {0, 0, scale->dw, scale->dh};
    if (scale->sx + SInt64(scale->sw) > src->width)
        area.right = SInt32(std::max<SInt64>(0, src->width - SInt64(scale->sx)) * scale->dw / scale->sw);
    if (scale->sy + SInt64(scale->sh) > src->height)
        area.bottom = SInt32(std::max<SInt64>(0, src->height - SInt64(scale->sy)) * scale->dh / scale->sh);
    return area;
}

Boolean OrvaConvertSource(const PixelSourceRecord *src, const ScaleRecord *scale, const TransferAreaRecord *area,
                          Boolean mayReference, PixelBlockRecord *out) {
    std::memset(out, 0, sizeof *out);
    SInt32 width = area->right - area->left, height = area->bottom - area->top;
    if (width <= 0 || height <= 0) return false;
    Boolean equal = scale->sw == scale->dw && scale->sh == scale->dh;
    Boolean inside = scale->sx >= 0 && scale->sy >= 0 && scale->sx + SInt64(scale->sw) <= src->width &&
                     scale->sy + SInt64(scale->sh) <= src->height;
    if (equal && inside && mayReference && src->supported && src->depth == 24 && !src->opacity) {
        out->base = (UInt8 *)src->base + (scale->sy + area->top) * src->rowBytes + SInt64(scale->sx + area->left) * 4;
        out->rowBytes = src->rowBytes;
        out->width = width;
        out->height = height;
        return true;
    }
    if (!OrvaNewPixelBlock(width, height, out)) return false;
    if (!src->supported) {
        FillBlock(out, kWhite);
        return true;
    }
    UInt32 palette[256];
    BuildPalette(src, palette);
    if (equal && inside) {
        ConvertOneToOne(src, palette, scale, area, out);
        return true;
    }
    StepsRecord steps;
    steps.stepX = Step(scale->sw, scale->dw);
    steps.stepY = Step(scale->sh, scale->dh);
    steps.posX.resize(size_t(width));
    steps.posY.resize(size_t(height));
    for (SInt32 i = 0; i < width; i++) steps.posX[size_t(i)] = SInt64(area->left + i) * steps.stepX;
    for (SInt32 j = 0; j < height; j++) steps.posY[size_t(j)] = SInt64(area->top + j) * steps.stepY;
    if (gSmoothing.averaging && steps.stepX >= kOne && steps.stepY >= kOne)
        ConvertAveraging(src, palette, scale, &steps, out);
    else if (gSmoothing.bilinear)
        ConvertBilinear(src, palette, scale, &steps, out);
    else
        ConvertNearest(src, palette, scale, &steps, out);
    return true;
}

Boolean OrvaNewPixelBlock(SInt32 width, SInt32 height, PixelBlockRecord *out) {
    std::memset(out, 0, sizeof *out);
    UInt64 bytes = UInt64(width) * UInt64(height) * 4;
    if (width <= 0 || height <= 0 || bytes > 0xFFFFFFFFull) return false;
    // A conversion that cannot get its block abandons the transfer without a message.
    Boolean box = OrvaGetMemErrorBox();
    OrvaSetMemErrorBox(false);
    Ptr p = NewPtr(UInt32(bytes));
    OrvaSetMemErrorBox(box);
    if (!p) return false;
    gSmoothing.blocks++;
    out->base = (UInt8 *)p;
    out->rowBytes = SInt64(width) * 4;
    out->width = width;
    out->height = height;
    out->owned = true;
    return true;
}

void OrvaDisposePixelBlock(PixelBlockRecord *block) {
    if (block->owned && block->base) DisposPtr((Ptr)block->base);
    std::memset(block, 0, sizeof *block);
}

void OrvaReadStoreRow(const PixelSourceRecord *src, SInt32 x, SInt32 y, SInt32 count, UInt32 *out) {
    if (!src->supported) {
        std::fill(out, out + count, UInt32(kWhite));
        return;
    }
    UInt32 palette[256];
    BuildPalette(src, palette);
    ReadRow(src, palette, x, y, count, out);
}

// Entries a colour table really holds: ctSize + 1, bounded by the handle's size.
static SInt32 TableEntries(CTabHandle table) {
    if (!table || !*table) return 0;
    SInt64 held = (SInt64(GetHandleSize((Handle)table)) - SInt64(offsetof(ColorTable, ctTable))) / SInt64(sizeof(ColorSpec));
    return SInt32(std::max<SInt64>(0, std::min<SInt64>(held, SInt64((*table)->ctSize) + 1)));
}

static UInt32 TableColor(CTabHandle table, SInt32 entries, SInt32 index) {
    if (index < 0 || index >= entries) return kBlack;
    const RGBColor &c = (*table)->ctTable[index].rgb;
    return UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | UInt32(c.blue >> 8);
}

// The colour of every index of an indexed store, as 0x00RRGGBB.
static void BuildPalette(const PixelSourceRecord *src, UInt32 palette[256]) {
    if (src->gray || src->opacity) {
        // Gray level i is white at 0 and black at 255; an opacity byte o reads as 255 - o.
        for (UInt32 i = 0; i < 256; i++) palette[i] = (255 - i) * 0x010101u;
        return;
    }
    SInt32 entries = TableEntries(src->table);
    for (SInt32 i = 0; i < 256; i++) palette[i] = TableColor(src->table, entries, i);
    if (src->depth == 1) {
        palette[0] = entries >= 1 ? TableColor(src->table, entries, 0) : kWhite;
        palette[1] = entries >= 2 ? TableColor(src->table, entries, 1) : kBlack;
    }
}

// One pixel, x and y clamped into the store.
static UInt32 ReadPixel(const PixelSourceRecord *src, const UInt32 *palette, SInt32 x, SInt32 y) {
    x = Clamp(x, 0, src->width - 1);
    y = Clamp(y, 0, src->height - 1);
    UInt32 pixel;
    ReadRow(src, palette, x, y, 1, &pixel);
    return pixel;
}

// count pixels of row y from column x, all inside the store, as 0x00RRGGBB.
static void ReadRow(const PixelSourceRecord *src, const UInt32 *palette, SInt32 x, SInt32 y, SInt32 count,
                    UInt32 *out) {
    const UInt8 *row = src->base + SInt64(y) * src->rowBytes;
    switch (src->depth) {
        case 24:
            for (SInt32 i = 0; i < count; i++) {
                UInt32 p;
                std::memcpy(&p, row + SInt64(x + i) * 4, 4);
                out[i] = p & kWhite;
            }
            break;
        case 16:
            for (SInt32 i = 0; i < count; i++) {
                UInt16 p;
                std::memcpy(&p, row + SInt64(x + i) * 2, 2);
                out[i] = UInt32((p >> 10) & 31) << 19 | UInt32((p >> 5) & 31) << 11 | UInt32(p & 31) << 3;
            }
            break;
        case 8:
            for (SInt32 i = 0; i < count; i++) out[i] = palette[row[x + i]];
            break;
        default: {
            // 1, 2 or 4 bits a pixel, high bits first.
            SInt32 depth = src->depth, perByte = 8 / depth, mask = (1 << depth) - 1;
            for (SInt32 i = 0; i < count; i++) {
                SInt32 h = x + i;
                SInt32 shift = 8 - (h % perByte + 1) * depth;
                out[i] = palette[(row[h / perByte] >> shift) & mask];
            }
            break;
        }
    }
}

// The first and last destination pixels fall on the first and last source pixels; equal sizes
// give exactly one pixel. 64-bit: sources 32768 pixels wide and more do not overflow.
static SInt64 Step(SInt32 sourceSize, SInt32 destinationSize) {
    if (destinationSize <= 1) return 0;
    return ((SInt64(sourceSize) << 16) + (destinationSize - 1) / 2 - kOne) / (destinationSize - 1);
}

static SInt32 Clamp(SInt32 v, SInt32 low, SInt32 high) { return v < low ? low : (v > high ? high : v); }

static void ConvertOneToOne(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                            const TransferAreaRecord *area, PixelBlockRecord *out) {
    for (SInt32 j = 0; j < out->height; j++)
        ReadRow(src, palette, scale->sx + area->left, scale->sy + area->top + j, out->width, BlockRow(out, j));
}

// The source pixel each destination pixel falls on, truncating; 1:1 rows inside the store are
// read whole.
static void ConvertNearest(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                           const StepsRecord *steps, PixelBlockRecord *out) {
    SInt32 firstColumn = scale->sx + SInt32(steps->posX[0] >> 16);
    Boolean wholeRows = steps->stepX == kOne && firstColumn >= 0 && firstColumn + out->width <= src->width;
    std::vector<SInt32> columns(size_t(out->width));
    for (SInt32 i = 0; i < out->width; i++)
        columns[size_t(i)] = Clamp(scale->sx + SInt32(steps->posX[size_t(i)] >> 16), 0, src->width - 1);
    for (SInt32 j = 0; j < out->height; j++) {
        SInt32 y = Clamp(scale->sy + SInt32(steps->posY[size_t(j)] >> 16), 0, src->height - 1);
        UInt32 *row = BlockRow(out, j);
        if (wholeRows) {
            ReadRow(src, palette, firstColumn, y, out->width, row);
            continue;
        }
        if (src->depth == 24) {
            const UInt8 *line = src->base + SInt64(y) * src->rowBytes;
            for (SInt32 i = 0; i < out->width; i++) {
                std::memcpy(&row[i], line + SInt64(columns[size_t(i)]) * 4, 4);
                row[i] &= kWhite;
            }
        } else {
            for (SInt32 i = 0; i < out->width; i++) ReadRow(src, palette, columns[size_t(i)], y, 1, &row[i]);
        }
    }
}

// Each destination pixel mixes the four source pixels around its position by the 8-bit
// fractions of the position; the last column and row are their own neighbours.
static void ConvertBilinear(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                            const StepsRecord *steps, PixelBlockRecord *out) {
    std::vector<SInt32> left(size_t(out->width)), right(size_t(out->width));
    std::vector<UInt32> fx(size_t(out->width));
    for (SInt32 i = 0; i < out->width; i++) {
        SInt64 pos = steps->posX[size_t(i)];
        SInt32 c = scale->sx + SInt32(pos >> 16);
        left[size_t(i)] = Clamp(c, 0, src->width - 1);
        right[size_t(i)] = Clamp(c + 1, 0, src->width - 1);
        fx[size_t(i)] = UInt32((pos >> 8) & 255);
    }
    std::vector<UInt32> top(size_t(out->width)), below(size_t(out->width));
    for (SInt32 j = 0; j < out->height; j++) {
        SInt64 pos = steps->posY[size_t(j)];
        SInt32 r = scale->sy + SInt32(pos >> 16);
        SInt32 y0 = Clamp(r, 0, src->height - 1), y1 = Clamp(r + 1, 0, src->height - 1);
        UInt32 fy = UInt32((pos >> 8) & 255);
        UInt32 *row = BlockRow(out, j);
        if (src->depth == 24) {
            const UInt8 *a = src->base + SInt64(y0) * src->rowBytes, *b = src->base + SInt64(y1) * src->rowBytes;
            for (SInt32 i = 0; i < out->width; i++) {
                const UInt8 *tl = a + SInt64(left[size_t(i)]) * 4, *tr = a + SInt64(right[size_t(i)]) * 4;
                const UInt8 *bl = b + SInt64(left[size_t(i)]) * 4, *br = b + SInt64(right[size_t(i)]) * 4;
                UInt32 wx = fx[size_t(i)], ux = 256 - wx, uy = 256 - fy, pixel = 0;
                for (SInt32 k = 0; k < 3; k++) {
                    UInt32 upper = tl[k] * ux + tr[k] * wx, lower = bl[k] * ux + br[k] * wx;
                    pixel |= ((upper * uy + lower * fy) >> 16) << (8 * k);
                }
                row[i] = pixel;
            }
            continue;
        }
        // Other depths: the two source rows are read once, then mixed.
        for (SInt32 i = 0; i < out->width; i++) {
            UInt32 pixels[4];
            ReadRow(src, palette, left[size_t(i)], y0, 1, &pixels[0]);
            ReadRow(src, palette, right[size_t(i)], y0, 1, &pixels[1]);
            ReadRow(src, palette, left[size_t(i)], y1, 1, &pixels[2]);
            ReadRow(src, palette, right[size_t(i)], y1, 1, &pixels[3]);
            row[i] = Mix4(pixels[0], pixels[1], pixels[2], pixels[3], fx[size_t(i)], fy);
        }
    }
}

// Each destination pixel is the mean of the source block from its own position to the next
// one's, sampled every (span >> 4) + 1 pixels of a 32-bit store (the block cut to the store;
// an empty block is white) and every span / 8 + 1 pixels of other depths (clamped reads).
static void ConvertAveraging(const PixelSourceRecord *src, const UInt32 *palette, const ScaleRecord *scale,
                             const StepsRecord *steps, PixelBlockRecord *out) {
    Boolean direct = src->depth == 24;
    for (SInt32 j = 0; j < out->height; j++) {
        SInt64 py = steps->posY[size_t(j)];
        SInt32 r0 = scale->sy + SInt32(py >> 16), r1 = scale->sy + SInt32((py + steps->stepY) >> 16);
        SInt32 spanY = r1 - r0, strideY = direct ? (spanY >> 4) + 1 : spanY / 8 + 1;
        UInt32 *row = BlockRow(out, j);
        for (SInt32 i = 0; i < out->width; i++) {
            SInt64 px = steps->posX[size_t(i)];
            SInt32 c0 = scale->sx + SInt32(px >> 16), c1 = scale->sx + SInt32((px + steps->stepX) >> 16);
            SInt32 spanX = c1 - c0, strideX = direct ? (spanX >> 4) + 1 : spanX / 8 + 1;
            UInt32 sum[3] = {0, 0, 0}, count = 0;
            for (SInt32 y = r0; y < r1; y += strideY) {
                if (direct && (y < 0 || y >= src->height)) continue;
                for (SInt32 x = c0; x < c1; x += strideX) {
                    if (direct && (x < 0 || x >= src->width)) continue;
                    UInt32 p = ReadPixel(src, palette, x, y);
                    sum[0] += p & 255;
                    sum[1] += (p >> 8) & 255;
                    sum[2] += (p >> 16) & 255;
                    count++;
                }
            }
            row[i] = count ? (sum[0] / count) | (sum[1] / count) << 8 | (sum[2] / count) << 16 : kWhite;
        }
    }
}

// (tl (256 - fx)(256 - fy) + tr fx (256 - fy) + bl (256 - fx) fy + br fx fy) >> 16, per component.
static UInt32 Mix4(UInt32 tl, UInt32 tr, UInt32 bl, UInt32 br, UInt32 fx, UInt32 fy) {
    UInt32 pixel = 0, ux = 256 - fx, uy = 256 - fy;
    for (SInt32 shift = 0; shift <= 16; shift += 8) {
        UInt32 upper = ((tl >> shift) & 255) * ux + ((tr >> shift) & 255) * fx;
        UInt32 lower = ((bl >> shift) & 255) * ux + ((br >> shift) & 255) * fx;
        pixel |= ((upper * uy + lower * fy) >> 16) << shift;
    }
    return pixel;
}

static void FillBlock(PixelBlockRecord *block, UInt32 pixel) {
    for (SInt32 j = 0; j < block->height; j++) std::fill(BlockRow(block, j), BlockRow(block, j) + block->width, pixel);
}

static UInt32 *BlockRow(const PixelBlockRecord *block, SInt32 y) {
    return (UInt32 *)(block->base + SInt64(y) * block->rowBytes);
}
