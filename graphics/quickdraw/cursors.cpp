// The cursor calls: the cursor in force with its private colour copies, the 'crsr' reader and
// the hand-over to the platform layer.
#include "graphics/quickdraw/cursors.h"

#include <cstring>

#include "graphics/quickdraw/pixmap_resources.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"

namespace {

// The cursor in force, the record last set and the scale. Main thread only.
struct CursorStateRecord {
    OrvaCursorArea area;
    const void *lastSet;   // the Cursor or CCrsrHandle last set, or null
    float scale;
    void (*show)(const OrvaCursorArea *area);
};
CursorStateRecord gCursor = {{}, nullptr, 1.25f, nullptr};

// Sizes of the 'crsr' header's parts.
enum : UInt32 {
    kUnusedBytes = 10,  // crsrXData, crsrXValid, crsrXHandle: unset in the resource
    kCursorBytes = 32,
};

}  // namespace

static void FreeColorCopies();
static void Show();
static PixMapHandle CopyPixMap(PixMapHandle map, SInt32 dataBytes);
static void DisposePixMapCopy(PixMapHandle map);

void _SetCursor(const Cursor *cursor) {
    if (OrvaIsPlugin() || !cursor || cursor == gCursor.lastSet) return;
    FreeColorCopies();
    gCursor.area.cursor = *cursor;
    Boolean platform = cursor->hotSpot.v == kCursorKindPlatform;
    gCursor.area.kind = platform ? kCursorKindPlatform : 0;
    gCursor.area.id = platform ? UInt32(UInt16(cursor->hotSpot.h)) : 0;
    gCursor.lastSet = cursor;
    Show();
}

void InitCursor() { _SetCursor(&qd.arrow); }

void SetCCursor(CCrsrHandle cursor) {
    if (OrvaIsPlugin() || !cursor || !*cursor || cursor == gCursor.lastSet) return;
    FreeColorCopies();
    const CCrsr &c = **cursor;
    OrvaCursorArea &area = gCursor.area;
    area.kind = kCursorKindColor;
    area.id = c.crsrID;
    std::memcpy(area.cursor.data, c.crsr1Data, sizeof area.cursor.data);
    std::memcpy(area.cursor.mask, c.crsrMask, sizeof area.cursor.mask);
    area.cursor.hotSpot = c.crsrHotSpot;
    area.colorMap = CopyPixMap(c.crsrMap, (*cursor)->crsrXHandle);
    if (PtrToHand((*cursor)->crsrMask, &area.colorMask, kCursorBytes) != noErr) area.colorMask = nullptr;
    gCursor.lastSet = cursor;
    Show();
}

void OrvaGetCurrentCurs(Cursor *out) {
    if (out) *out = gCursor.area.cursor;
}

const OrvaCursorArea *OrvaGetCursorInForce() { return &gCursor.area; }

CCrsrHandle GetCCursor(SInt16 id) {
    Handle resource = GetResource(FourCC("crsr"), id);
    if (!resource) return nullptr;
    CCrsrHandle cursor = OrvaCCursorFromBytes((const UInt8 *)*resource, GetHandleSize(resource), id, HomeResFile(resource));
    ReleaseResource(resource);
    return cursor;
}

CCrsrHandle OrvaCCursorFromBytes(const UInt8 *bytes, UInt32 size, SInt16 id, SInt16 homeFile) {
    // Type, pixel map offset, pixel data offset, three unused fields, the one-bit
    // image, its mask, the hot spot (v, h).
    ByteReader resource = OrvaByteReader(bytes, size);
    SInt16 type = SInt16(Get16(&resource));
    UInt32 mapOffset = Get32(&resource);
    UInt32 dataOffset = Get32(&resource);
    Skip(&resource, kUnusedBytes);
    UInt16 image[16], mask[16];
    for (UInt16 &row : image) row = Get16(&resource);
    for (UInt16 &row : mask) row = Get16(&resource);
    Point hotSpot;
    hotSpot.v = SInt16(Get16(&resource));
    hotSpot.h = SInt16(Get16(&resource));
    if (resource.failed || size < kResCCrsrBytes) return nullptr;
    PixMap map;
    UInt32 tableOffset;
    if (!OrvaReadResPixMap(OrvaByteReader(bytes, size), mapOffset, &map, &tableOffset)) return nullptr;
    SInt64 count = OrvaResPixelBytes(size, dataOffset, tableOffset, &map);
    if (count < 0) return nullptr;
    CCrsrHandle cursor = (CCrsrHandle)NewHandleClear(sizeof(CCrsr));
    PixMapHandle mapHandle = (PixMapHandle)NewHandleClear(sizeof(PixMap));
    Ptr data = NewPtr(UInt32(count));
    CTabHandle table = OrvaReadResColorTable(OrvaByteReader(bytes, size), tableOffset);
    if (!cursor || !mapHandle || (count && !data) || !table) {
        if (cursor) DisposHandle((Handle)cursor);
        if (mapHandle) DisposHandle((Handle)mapHandle);
        if (data) DisposPtr(data);
        if (table) DisposHandle((Handle)table);
        return nullptr;
    }
    OrvaCopyResPixels(OrvaByteReader(bytes, size), dataOffset, count, &map, (UInt8 *)data);
    map.baseAddr = data;
    map.pmTable = table;
    **mapHandle = map;
    CCrsr *c = *cursor;
    c->crsrType = type;
    c->crsrMap = mapHandle;
    c->crsrXHandle = SInt32(count);
    std::memcpy(c->crsr1Data, image, sizeof image);
    std::memcpy(c->crsrMask, mask, sizeof mask);
    c->crsrHotSpot = hotSpot;
    c->crsrID = (UInt32(UInt16(id)) << 16) + UInt32(SInt32(homeFile));
    return cursor;
}

void DisposeCCursor(CCrsrHandle cursor) {
    if (!cursor) return;
    // A later cursor made at the same address must not pass for the one in force.
    if (gCursor.lastSet == cursor) gCursor.lastSet = nullptr;
    if (*cursor) DisposePixMapCopy((*cursor)->crsrMap);
    DisposHandle((Handle)cursor);
}

Handle DupliqueHandle(Handle h) {
    if (!h) return nullptr;
    UInt32 size = GetHandleSize(h);
    Handle copy = NewHandle(size);
    if (copy && size) std::memcpy(*copy, *h, size);
    return copy;
}

void OrvaSetCursorScale(float scale) { gCursor.scale = scale; }

float OrvaGetCursorScale() { return gCursor.scale; }

void OrvaSetCursorShowHook(void (*show)(const OrvaCursorArea *area)) { gCursor.show = show; }

static void FreeColorCopies() {
    OrvaCursorArea &area = gCursor.area;
    if (area.kind != kCursorKindColor) return;
    DisposePixMapCopy(area.colorMap);
    if (area.colorMask) DisposHandle(area.colorMask);
    area.colorMap = nullptr;
    area.colorMask = nullptr;
    area.kind = 0;
}

static void Show() {
    if (gCursor.show) gCursor.show(&gCursor.area);
    else orva_setCursor(&gCursor.area);
}

// A copy of a cursor's pixel map with copies of its colour table and dataBytes of pixels.
static PixMapHandle CopyPixMap(PixMapHandle map, SInt32 dataBytes) {
    if (!map || !*map) return nullptr;
    PixMapHandle copy = (PixMapHandle)DupliqueHandle((Handle)map);
    if (!copy) return nullptr;
    (*copy)->pmTable = (CTabHandle)DupliqueHandle((Handle)(*map)->pmTable);
    (*copy)->baseAddr = nullptr;
    if ((*map)->baseAddr && dataBytes > 0) {
        Ptr data = NewPtr(UInt32(dataBytes));
        if (data) std::memcpy(data, (*map)->baseAddr, size_t(dataBytes));
        (*copy)->baseAddr = data;
    }
    return copy;
}

static void DisposePixMapCopy(PixMapHandle map) {
    if (!map) return;
    if (*map) {
        if ((*map)->baseAddr) DisposPtr((*map)->baseAddr);
        if ((*map)->pmTable) DisposHandle((Handle)(*map)->pmTable);
    }
    DisposHandle((Handle)map);
}
