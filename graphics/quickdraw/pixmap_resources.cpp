// Readers of the pixel maps, colour tables and pixel data of 'ppat' and 'crsr' resources.
#include "graphics/quickdraw/pixmap_resources.h"

#include <cstring>

#include "platform/core/memory.h"

namespace {

// Byte offsets inside a resource's pixel map.
enum : UInt32 {
    kOffRowBytes = 4,
    kOffBounds = 6,
    kOffVersion = 14,
    kOffPackType = 16,
    kOffPackSize = 18,
    kOffHRes = 22,
    kOffVRes = 26,
    kOffPixelType = 30,
    kOffPixelSize = 32,
    kOffCmpCount = 34,
    kOffCmpSize = 36,
    kOffPlaneBytes = 38,
    kOffTable = 42,
    kOffReserved = 46,
};

}  // namespace

UInt16 OrvaResWord(const UInt8 *p) { return UInt16(p[0] << 8 | p[1]); }

UInt32 OrvaResLong(const UInt8 *p) { return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]; }

Boolean OrvaReadResPixMap(const UInt8 *bytes, UInt32 size, UInt32 offset, PixMap *map, UInt32 *tableOffset) {
    std::memset(map, 0, sizeof *map);
    *tableOffset = 0;
    if (!bytes || offset > size || size - offset < kResPixMapBytes) return false;
    const UInt8 *p = bytes + offset;
    map->rowBytes = SInt16(OrvaResWord(p + kOffRowBytes));
    map->bounds = {SInt16(OrvaResWord(p + kOffBounds)), SInt16(OrvaResWord(p + kOffBounds + 2)),
                   SInt16(OrvaResWord(p + kOffBounds + 4)), SInt16(OrvaResWord(p + kOffBounds + 6))};
    map->pmVersion = SInt16(OrvaResWord(p + kOffVersion));
    map->packType = SInt16(OrvaResWord(p + kOffPackType));
    map->packSize = SInt32(OrvaResLong(p + kOffPackSize));
    map->hRes = Fixed(OrvaResLong(p + kOffHRes));
    map->vRes = Fixed(OrvaResLong(p + kOffVRes));
    map->pixelType = SInt16(OrvaResWord(p + kOffPixelType));
    map->pixelSize = SInt16(OrvaResWord(p + kOffPixelSize));
    map->cmpCount = SInt16(OrvaResWord(p + kOffCmpCount));
    map->cmpSize = SInt16(OrvaResWord(p + kOffCmpSize));
    map->planeBytes = SInt32(OrvaResLong(p + kOffPlaneBytes));
    map->pmReserved = SInt32(OrvaResLong(p + kOffReserved));
    *tableOffset = OrvaResLong(p + kOffTable);
    SInt32 width = SInt32(map->bounds.right) - map->bounds.left, height = SInt32(map->bounds.bottom) - map->bounds.top;
    SInt16 d = map->pixelSize;
    Boolean depthOk = d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32;
    return depthOk && width > 0 && height > 0 && SInt64(map->rowBytes & 0x7FFF) * 8 >= SInt64(width) * d;
}

CTabHandle OrvaReadResColorTable(const UInt8 *bytes, UInt32 size, UInt32 offset) {
    if (!bytes || offset > size || size - offset < kResColorTableHeader) return nullptr;
    const UInt8 *p = bytes + offset;
    SInt32 ctSize = SInt16(OrvaResWord(p + 6));
    if (ctSize < -1 || (size - offset - kResColorTableHeader) / kResColorSpecBytes < UInt32(ctSize + 1)) return nullptr;
    CTabHandle table = (CTabHandle)NewHandleClear(UInt32(offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * (ctSize + 1)));
    if (!table) return nullptr;
    ColorTable *t = *table;
    t->ctSeed = SInt32(OrvaResLong(p));
    t->ctFlags = SInt16(OrvaResWord(p + 4));
    t->ctSize = SInt16(ctSize);
    for (SInt32 i = 0; i <= ctSize; i++) {
        const UInt8 *e = p + kResColorTableHeader + kResColorSpecBytes * UInt32(i);
        t->ctTable[i].value = SInt16(OrvaResWord(e));
        t->ctTable[i].rgb = {OrvaResWord(e + 2), OrvaResWord(e + 4), OrvaResWord(e + 6)};
    }
    return table;
}

SInt64 OrvaResPixelBytes(UInt32 size, UInt32 dataOffset, UInt32 tableOffset, const PixMap *map) {
    if (dataOffset > tableOffset || tableOffset > size) return -1;
    SInt64 count = SInt64(tableOffset) - dataOffset;
    SInt64 needed = SInt64(map->rowBytes & 0x7FFF) * (SInt32(map->bounds.bottom) - map->bounds.top);
    return count >= needed ? count : -1;
}

void OrvaCopyResPixels(const UInt8 *data, SInt64 count, const PixMap *map, UInt8 *out) {
    std::memcpy(out, data, size_t(count));
    if (map->pixelSize == 16) {
        for (SInt64 i = 0; i + 1 < count; i += 2) {
            UInt16 v = OrvaResWord(data + i);
            std::memcpy(out + i, &v, 2);
        }
    } else if (map->pixelSize == 32) {
        // x, red, green, blue in the resource.
        for (SInt64 i = 0; i + 3 < count; i += 4) {
            out[i] = data[i + 3];
            out[i + 1] = data[i + 2];
            out[i + 2] = data[i + 1];
            out[i + 3] = data[i];
        }
    }
}
