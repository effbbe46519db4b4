// Colour icons: read once into a pixel map, colours and mask; drawn through CopyDeepMask.
#include "toolbox/color_icons.h"

#include <cstring>

#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "toolbox/resource_layouts.h"

namespace {

enum : SInt16 { kSrcCopy = 0 };

CTabHandle ColorTableOf(const UInt8 *bytes, const ColorIconLayout &layout);

}  // namespace

CIconHandle GetCIcon(SInt16 id) {
    Handle resource = GetResource(FourCC("cicn"), id);
    if (!resource) return nullptr;
    UInt8 state = HGetState(resource);
    HLock(resource);
    CIconHandle icon = OrvaColorIconFromBytes(reinterpret_cast<const UInt8 *>(*resource), GetHandleSize(resource));
    HSetState(resource, state);
    return icon;
}

CIconHandle OrvaColorIconFromBytes(const UInt8 *bytes, UInt32 size) {
    ColorIconLayout layout;
    if (!bytes || !OrvaReadColorIcon(bytes, size, &layout)) return nullptr;
    SInt32 height = layout.map.bounds.bottom - layout.map.bounds.top;
    UInt32 pixelBytes = UInt32(layout.map.rowBytes & 0x3FFF) * UInt32(height);
    UInt32 maskBytes = UInt32(layout.maskRowBytes) * UInt32(height);
    CIconHandle icon = reinterpret_cast<CIconHandle>(NewHandleClear(sizeof(ColorIconRecord)));
    Ptr pixels = NewPtr(pixelBytes), mask = NewPtr(maskBytes);
    CTabHandle table = ColorTableOf(bytes, layout);
    if (!icon || !pixels || !mask || !table) {
        if (icon) DisposHandle(reinterpret_cast<Handle>(icon));
        if (pixels) DisposPtr(pixels);
        if (mask) DisposPtr(mask);
        if (table) DisposHandle(reinterpret_cast<Handle>(table));
        return nullptr;
    }
    memcpy(pixels, bytes + layout.pixelOffset, pixelBytes);
    memcpy(mask, bytes + layout.maskOffset, maskBytes);
    ColorIconRecord &r = **icon;
    r.iconPMap = layout.map;
    r.iconPMap.baseAddr = pixels;
    r.iconPMap.pmTable = table;
    r.iconMask = BitMap{mask, layout.maskRowBytes, layout.map.bounds};
    return icon;
}

void PlotCIcon(const Rect *r, CIconHandle icon) {
    if (!r || !icon || !*icon || !qd.thePort) return;
    UInt8 state = HGetState(reinterpret_cast<Handle>(icon));
    HLock(reinterpret_cast<Handle>(icon));
    ColorIconRecord &c = **icon;
    CopyDeepMask(reinterpret_cast<const BitMap *>(&c.iconPMap), &c.iconMask, &qd.thePort->portBits,
                 &c.iconPMap.bounds, &c.iconMask.bounds, r, kSrcCopy, nullptr);
    HSetState(reinterpret_cast<Handle>(icon), state);
}

void DisposCIcon(CIconHandle icon) {
    if (!icon || !OrvaIsValidHandle(reinterpret_cast<Handle>(icon))) return;
    ColorIconRecord &r = **icon;
    if (r.iconPMap.baseAddr) DisposPtr(r.iconPMap.baseAddr);
    if (r.iconMask.baseAddr) DisposPtr(r.iconMask.baseAddr);
    if (r.iconPMap.pmTable) DisposHandle(reinterpret_cast<Handle>(r.iconPMap.pmTable));
    DisposHandle(reinterpret_cast<Handle>(icon));
}

namespace {

CTabHandle ColorTableOf(const UInt8 *bytes, const ColorIconLayout &layout) {
    SInt32 count = layout.colorCount;
    CTabHandle table = reinterpret_cast<CTabHandle>(NewHandleClear(UInt32(8 + 8 * count)));
    if (!table) return nullptr;
    ColorTable &t = **table;
    t.ctSize = SInt16(count - 1);
    for (SInt32 i = 0; i < count; i++) t.ctTable[i] = ColorSpec{SInt16(i), OrvaColorIconEntry(bytes, &layout, i)};
    return table;
}

}  // namespace
