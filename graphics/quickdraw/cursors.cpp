// The cursor calls: the cursor in force with its private colour copies, the 'crsr' reader and
// the hand-over to the platform layer.
#include "graphics/quickdraw/cursors.h"

#include <cstring>

#include "graphics/quickdraw/pixmap_resources.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "graphics/toolbox_hooks.h"

namespace {

// The cursor in force, the record last set and the scale. Main thread only.
struct CursorStateRecord {
    OrvaCursorArea area;
    const void *lastSet;   // the Cursor or CCrsrHandle last set, or null
    float scale;
    void (*show)(const OrvaCursorArea *area);
};
CursorStateRecord gCursor = {{}, nullptr, 1.25f, nullptr};

// Byte offsets of the 'crsr' header.
enum : UInt32 {
    kOffType = 0,
    kOffMap = 2,
    kOffData = 6,
    kOff1Data = 20,
    kOffMask = 52,
    kOffHotSpot = 84,
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
    if (!bytes || size < kResCCrsrBytes) return nullptr;
    PixMap map;
    UInt32 tableOffset, dataOffset = OrvaResLong(bytes + kOffData);
    if (!OrvaReadResPixMap(bytes, size, OrvaResLong(bytes + kOffMap), &map, &tableOffset)) return nullptr;
    SInt64 count = OrvaResPixelBytes(size, dataOffset, tableOffset, &map);
    if (count < 0) return nullptr;
    CCrsrHandle cursor = (CCrsrHandle)NewHandleClear(sizeof(CCrsr));
    PixMapHandle mapHandle = (PixMapHandle)NewHandleClear(sizeof(PixMap));
    Ptr data = NewPtr(UInt32(count));
    CTabHandle table = OrvaReadResColorTable(bytes, size, tableOffset);
    if (!cursor || !mapHandle || (count && !data) || !table) {
        if (cursor) DisposHandle((Handle)cursor);
        if (mapHandle) DisposHandle((Handle)mapHandle);
        if (data) DisposPtr(data);
        if (table) DisposHandle((Handle)table);
        return nullptr;
    }
    OrvaCopyResPixels(bytes + dataOffset, count, &map, (UInt8 *)data);
    map.baseAddr = data;
    map.pmTable = table;
    **mapHandle = map;
    CCrsr *c = *cursor;
    c->crsrType = SInt16(OrvaResWord(bytes + kOffType));
    c->crsrMap = mapHandle;
    c->crsrXHandle = SInt32(count);
    for (SInt32 i = 0; i < 16; i++) {
        c->crsr1Data[i] = OrvaResWord(bytes + kOff1Data + 2 * i);
        c->crsrMask[i] = OrvaResWord(bytes + kOffMask + 2 * i);
    }
    c->crsrHotSpot = {SInt16(OrvaResWord(bytes + kOffHotSpot)), SInt16(OrvaResWord(bytes + kOffHotSpot + 2))};
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
