// Recording a transfer into the current port's picture. A port's buffer (24-bit, 8-bit, with or
// without an opacity plane) becomes DirectBitsRect: its pixels as component planes per row;
// a caller's bitmap or pixel map becomes BitsRect with its rows as they are. Header fields are
// in memory order as everything the recorder writes; address fields are 0.
#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/transfer_internal.h"
#include "platform/core/memory.h"

namespace {

enum : SInt32 {
    kResolution72 = 72 << 16,   // 72 dots per inch, 16.16
    kDirectPackType = 4,        // component planes, each row packed
    kMaxRecordedWidth = 0x7FFF / 4,  // rowBytes of 4 bytes a pixel must fit in 15 bits
};

// Operand bytes in memory order.
struct OperandsRecord {
    std::vector<UInt8> bytes;
    void Word(SInt16 v) { Add(&v, 2); }
    void Long(SInt32 v) { Add(&v, 4); }
    void Box(const Rect &r) { Add(&r, 8); }
    void Add(const void *p, size_t n) { bytes.insert(bytes.end(), (const UInt8 *)p, (const UInt8 *)p + n); }
};

}  // namespace

static void RecordDirect(const PixelSourceRecord *src, const Rect *srcRect, const Rect *dstRect, SInt16 mode);
static void RecordBits(const BitMap *bits, const PixelSourceRecord *src, const Rect *srcRect, const Rect *dstRect,
                       SInt16 mode);
static void AddColorTable(OperandsRecord *ops, CTabHandle table);
static void RecordRow(const UInt8 *row, SInt32 count, SInt32 rowBytes, std::vector<UInt8> *packed);

void OrvaRecordTransfer(const BitMap *srcBits, const Rect *srcRect, const Rect *dstRect, SInt16 mode) {
    PixelSourceRecord src;
    // Unreadable bits and depths that draw nothing but white record nothing.
    if (!OrvaDescribeBits(srcBits, &src) || !src.supported) return;
    if (src.port) RecordDirect(&src, srcRect, dstRect, mode);
    else RecordBits(srcBits, &src, srcRect, dstRect, mode);
}

// A port's buffer: pixel size 24 with red, green and blue planes, or 32 with the opacity plane
// first. An 8-bit buffer is recorded by its colours.
static void RecordDirect(const PixelSourceRecord *src, const Rect *srcRect, const Rect *dstRect, SInt16 mode) {
    SInt32 width = src->width, height = src->height;
    if (width > kMaxRecordedWidth) return;
    const UInt8 *opacity = src->depth == 24 ? (const UInt8 *)src->port->opacity : nullptr;
    SInt16 planes = opacity ? 4 : 3, pixelSize = opacity ? 32 : 24;
    SInt16 rowBytes = SInt16(width * 4);
    Rect bounds = {src->bounds.top, src->bounds.left, SInt16(src->bounds.top + height), SInt16(src->bounds.left + width)};
    OperandsRecord ops;
    ops.Long(0);  // baseAddr
    ops.Word(SInt16(rowBytes | kPixMapFlag));
    ops.Box(bounds);
    ops.Word(0);  // pmVersion
    ops.Word(kDirectPackType);
    ops.Long(0);  // packSize
    ops.Long(kResolution72);
    ops.Long(kResolution72);
    ops.Word(0);  // pixelType
    ops.Word(pixelSize);
    ops.Word(planes);
    ops.Word(pixelSize);  // cmpSize
    ops.Long(0);  // planeBytes
    ops.Long(0);  // pmTable
    ops.Long(0);  // pmReserved
    ops.Box(*srcRect);
    ops.Box(*dstRect);
    ops.Word(mode);
    RecordPictAction(kPictOpDirectBitsRect, ops.bytes.data(), UInt32(ops.bytes.size()));
    std::vector<UInt32> pixels(static_cast<size_t>(width));
    // Rows of fewer than 8 bytes are stored as they are: the planes, padded to rowBytes.
    std::vector<UInt8> planeRow(size_t(std::max<SInt32>(rowBytes, planes * width)), 0), packed;
    for (SInt32 y = 0; y < height; y++) {
        OrvaReadStoreRow(src, 0, y, width, pixels.data());
        UInt8 *plane = planeRow.data();
        if (opacity) {
            std::memcpy(plane, opacity + SInt64(y) * width, size_t(width));
            plane += width;
        }
        for (SInt32 shift = 16; shift >= 0; shift -= 8, plane += width)
            for (SInt32 x = 0; x < width; x++) plane[x] = UInt8(pixels[size_t(x)] >> shift);
        RecordRow(planeRow.data(), planes * width, rowBytes, &packed);
    }
}

// A bitmap: rowBytes and bounds; a pixel map: its fields and colour table. Rows as they are.
static void RecordBits(const BitMap *bits, const PixelSourceRecord *src, const Rect *srcRect, const Rect *dstRect,
                       SInt16 mode) {
    SInt32 rowBytes = bits->rowBytes & 0x7FFF;
    SInt32 height = SInt32(bits->bounds.bottom) - bits->bounds.top;
    OperandsRecord ops;
    ops.Word(bits->rowBytes);
    ops.Box(bits->bounds);
    if (bits->rowBytes & kPixMapFlag) {
        const PixMap *map = (const PixMap *)bits;
        ops.Word(map->pmVersion);
        ops.Word(map->packType);
        ops.Long(map->packSize);
        ops.Long(map->hRes);
        ops.Long(map->vRes);
        ops.Word(map->pixelType);
        ops.Word(map->pixelSize);
        ops.Word(map->cmpCount);
        ops.Word(map->cmpSize);
        ops.Long(map->planeBytes);
        ops.Long(0);  // pmTable: the table follows
        ops.Long(map->pmReserved);
        AddColorTable(&ops, map->pmTable);
    }
    ops.Box(*srcRect);
    ops.Box(*dstRect);
    ops.Word(mode);
    RecordPictAction(kPictOpBitsRect, ops.bytes.data(), UInt32(ops.bytes.size()));
    std::vector<UInt8> packed;
    for (SInt32 y = 0; y < height; y++) RecordRow(src->base + SInt64(y) * rowBytes, rowBytes, rowBytes, &packed);
}

// seed, flags, size (entries - 1), then value, red, green, blue of each entry the handle holds.
static void AddColorTable(OperandsRecord *ops, CTabHandle table) {
    SInt32 entries = 0;
    if (table && *table) {
        SInt64 held = (SInt64(GetHandleSize((Handle)table)) - SInt64(offsetof(ColorTable, ctTable))) / SInt64(sizeof(ColorSpec));
        entries = SInt32(std::max<SInt64>(0, std::min<SInt64>(held, SInt64((*table)->ctSize) + 1)));
    }
    ops->Long(entries ? (*table)->ctSeed : 0);
    ops->Word(entries ? (*table)->ctFlags : 0);
    ops->Word(SInt16(entries - 1));
    for (SInt32 i = 0; i < entries; i++) {
        const ColorSpec spec = (*table)->ctTable[i];
        ops->Word(spec.value);
        ops->Word(SInt16(spec.rgb.red));
        ops->Word(SInt16(spec.rgb.green));
        ops->Word(SInt16(spec.rgb.blue));
    }
}

// One row: as it is below 8 row bytes (rowBytes bytes), else packed after its length.
static void RecordRow(const UInt8 *row, SInt32 count, SInt32 rowBytes, std::vector<UInt8> *packed) {
    if (rowBytes < kPackedRowMinBytes) {
        RecordPictAction(kPictOpAppend, row, UInt32(rowBytes));
        return;
    }
    packed->resize(size_t(2 + OrvaPackBitsBound(count)));
    SInt32 length = OrvaPackPictRow(row, count, rowBytes, packed->data());
    RecordPictAction(kPictOpAppend, packed->data(), UInt32(length));
}
