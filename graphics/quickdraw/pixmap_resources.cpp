// Readers of the pixel maps, colour tables and pixel data of 'ppat' and 'crsr' resources.
#include "graphics/quickdraw/pixmap_resources.h"

#include <cstring>

#include "platform/core/memory.h"

Boolean OrvaReadResPixMap(ByteReader resource, UInt32 offset, PixMap *map, UInt32 *tableOffset) {
    std::memset(map, 0, sizeof *map);
    Seek(&resource, offset);
    Skip(&resource, 4);  // baseAddr
    map->rowBytes = SInt16(Get16(&resource));
    map->bounds.top = SInt16(Get16(&resource));
    map->bounds.left = SInt16(Get16(&resource));
    map->bounds.bottom = SInt16(Get16(&resource));
    map->bounds.right = SInt16(Get16(&resource));
    map->pmVersion = SInt16(Get16(&resource));
    map->packType = SInt16(Get16(&resource));
    map->packSize = SInt32(Get32(&resource));
    map->hRes = Fixed(Get32(&resource));
    map->vRes = Fixed(Get32(&resource));
    map->pixelType = SInt16(Get16(&resource));
    map->pixelSize = SInt16(Get16(&resource));
    map->cmpCount = SInt16(Get16(&resource));
    map->cmpSize = SInt16(Get16(&resource));
    map->planeBytes = SInt32(Get32(&resource));
    *tableOffset = Get32(&resource);
    map->pmReserved = SInt32(Get32(&resource));
    if (resource.failed) {
        std::memset(map, 0, sizeof *map);
        *tableOffset = 0;
        return false;
    }
    SInt32 width = SInt32(map->bounds.right) - map->bounds.left, height = SInt32(map->bounds.bottom) - map->bounds.top;
    SInt16 d = map->pixelSize;
    Boolean depthOk = d == 1 || d == 2 || d == 4 || d == 8 || d == 16 || d == 32;
    return depthOk && width > 0 && height > 0 && SInt64(map->rowBytes & 0x7FFF) * 8 >= SInt64(width) * d;
}

CTabHandle OrvaReadResColorTable(ByteReader resource, UInt32 offset) {
    Seek(&resource, offset);
    SInt32 seed = SInt32(Get32(&resource));
    SInt16 flags = SInt16(Get16(&resource));
    SInt32 ctSize = SInt16(Get16(&resource));
    if (resource.failed || ctSize < -1 || ByteReaderLeft(&resource) / kResColorSpecBytes < UInt32(ctSize + 1)) return nullptr;
    CTabHandle table = (CTabHandle)NewHandleClear(UInt32(offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * (ctSize + 1)));
    if (!table) return nullptr;
    ColorTable *t = *table;
    t->ctSeed = seed;
    t->ctFlags = flags;
    t->ctSize = SInt16(ctSize);
    for (SInt32 i = 0; i <= ctSize; i++) {
        t->ctTable[i].value = SInt16(Get16(&resource));
        t->ctTable[i].rgb.red = Get16(&resource);
        t->ctTable[i].rgb.green = Get16(&resource);
        t->ctTable[i].rgb.blue = Get16(&resource);
    }
    return table;
}

SInt64 OrvaResPixelBytes(UInt32 size, UInt32 dataOffset, UInt32 tableOffset, const PixMap *map) {
    if (dataOffset > tableOffset || tableOffset > size) return -1;
    SInt64 count = SInt64(tableOffset) - dataOffset;
    SInt64 needed = SInt64(map->rowBytes & 0x7FFF) * (SInt32(map->bounds.bottom) - map->bounds.top);
    return count >= needed ? count : -1;
}

void OrvaCopyResPixels(ByteReader resource, UInt32 dataOffset, SInt64 count, const PixMap *map, UInt8 *out) {
    Seek(&resource, dataOffset);
    ByteReader data = SubReader(&resource, size_t(count));
    if (map->pixelSize == 16) {
        for (SInt64 i = 0; i + 1 < count; i += 2) {
            UInt16 v = Get16(&data);
            std::memcpy(out + i, &v, 2);
        }
        if (count & 1) out[count - 1] = Get8(&data);
    } else if (map->pixelSize == 32) {
        // x, red, green, blue in the resource.
        for (SInt64 i = 0; i + 3 < count; i += 4) {
            UInt32 v = Get32(&data);
            std::memcpy(out + i, &v, 4);
        }
        Bytes(&data, out + (count & ~SInt64(3)), size_t(count & 3));
    } else {
        Bytes(&data, out, size_t(count));
    }
}
