// Readers and writers of the classic dialog, alert, item-list, menu, colour-icon, string-list
// and version resources. Every read goes through one bounded cursor; a record is handed out
// only once the cursor has stayed inside the resource for all of it.
#include "toolbox/resource_layouts.h"

#include <cstring>

#include "graphics/quickdraw/pixmap_resources.h"

namespace {

// What an item kind carries as data.
struct DitlKindRow {
    UInt8 kind;
    Boolean carriesText;  // its title or text
    Boolean carriesId;    // a 16-bit resource id
};

const DitlKindRow kDitlKinds[] = {
    {kDitlUserItem, kFalse, kFalse},        {kDitlHelpItem, kFalse, kFalse},
    {kDitlButton, kTrue, kFalse},           {kDitlCheckBox, kTrue, kFalse},
    {kDitlRadioButton, kTrue, kFalse},      {kDitlResourceControl, kFalse, kTrue},
    {kDitlStaticText, kTrue, kFalse},       {kDitlEditText, kTrue, kFalse},
    {kDitlIcon, kFalse, kTrue},             {kDitlPicture, kFalse, kTrue},
};

enum : UInt32 {
    kItemPlaceholder = 4,      // a handle or procedure the Dialog Manager fills in
    kBitMapBytes = 14,         // base address, rowBytes, bounds
    kColorTableHeader = 8,     // ctSeed, ctFlags, ctSize
    kColorSpecBytes = 8,       // value, red, green, blue
    kMaxColorIconEntries = 256,
    kResolution72 = 0x00480000,  // 72 dpi in 16.16
};

const UInt16 kMidGrey = 0x8000;

const DitlKindRow *DitlKind(UInt8 kind);
Rect GetRect(ByteReader *r);
void GetPString(ByteReader *r, Str255 out);
UInt16 GetPosition(ByteReader *r);
Boolean ReadDitlItem(ByteReader *r, DitlItemRecord *item);
Boolean ReadMenuItem(ByteReader *r, MenuItemLayout *item, Boolean *ended);
Boolean SameSize(const Rect &a, const Rect &b);
Boolean PixelsIndexTable(const UInt8 *bytes, const ColorIconLayout *icon);
void PutRect(ByteWriter *w, const Rect &r);
void PutPString(ByteWriter *w, ConstStr255Param s);
void PutPosition(ByteWriter *w, size_t start, UInt16 position);
void PutBitMapHeader(ByteWriter *w, UInt32 rowBytes, SInt16 width, SInt16 height);

}  // namespace

Boolean OrvaReadDialogTemplate(const UInt8 *bytes, UInt32 size, DialogTemplateRecord *dialog) {
    std::memset(dialog, 0, sizeof *dialog);
    ByteReader r = OrvaByteReader(bytes, size);
    DialogTemplateRecord d = {};
    d.bounds = GetRect(&r);
    d.procID = SInt16(Get16(&r));
    d.visible = Get8(&r) != 0;
    Skip(&r, 1);
    d.goAway = Get8(&r) != 0;
    Skip(&r, 1);
    d.refCon = SInt32(Get32(&r));
    d.itemsID = SInt16(Get16(&r));
    GetPString(&r, d.title);
    d.position = GetPosition(&r);
    if (r.failed) return kFalse;
    *dialog = d;
    return kTrue;
}

Boolean OrvaReadAlertTemplate(const UInt8 *bytes, UInt32 size, AlertTemplateRecord *alert) {
    std::memset(alert, 0, sizeof *alert);
    ByteReader r = OrvaByteReader(bytes, size);
    AlertTemplateRecord a = {};
    a.bounds = GetRect(&r);
    a.itemsID = SInt16(Get16(&r));
    a.stages = Get16(&r);
    a.position = GetPosition(&r);
    if (r.failed) return kFalse;
    *alert = a;
    return kTrue;
}

Boolean OrvaReadDitl(const UInt8 *bytes, UInt32 size, DitlItemRecord *items, SInt32 capacity, SInt32 *count) {
    *count = 0;
    ByteReader r = OrvaByteReader(bytes, size);
    SInt32 n = SInt32(SInt16(Get16(&r))) + 1;
    // Each item takes at least its header: a count the bytes cannot hold fails before the walk.
    // Item numbers are 16-bit, so the highest count word (32768 items) names one too many.
    Boolean ok = !r.failed && n >= 0 && n <= 0x7FFF && UInt64(n) * kDitlItemHeader <= ByteReaderLeft(&r);
    SInt32 filled = 0;
    for (SInt32 i = 0; ok && i < n; i++) {
        DitlItemRecord item;
        ok = ReadDitlItem(&r, &item);
        if (ok && items && i < capacity) items[filled++] = item;
    }
    if (!ok) {
        if (items) std::memset(items, 0, sizeof *items * size_t(filled));
        return kFalse;
    }
    *count = n;
    return kTrue;
}

Boolean OrvaReadMenuTemplate(const UInt8 *bytes, UInt32 size, MenuTemplateRecord *menu, MenuItemLayout *items,
                             SInt32 capacity, SInt32 *count) {
    std::memset(menu, 0, sizeof *menu);
    *count = 0;
    ByteReader r = OrvaByteReader(bytes, size);
    MenuTemplateRecord m = {};
    m.menuID = SInt16(Get16(&r));
    m.width = SInt16(Get16(&r));
    m.height = SInt16(Get16(&r));
    m.procID = SInt16(Get16(&r));
    Skip(&r, 2);
    m.enableFlags = Get32(&r);
    GetPString(&r, m.title);
    SInt32 n = 0, filled = 0;
    Boolean ended = kFalse, ok = !r.failed;
    while (ok && !ended) {
        MenuItemLayout item;
        ok = ReadMenuItem(&r, &item, &ended);
        if (ok && !ended) {
            if (items && n < capacity) items[filled++] = item;
            n++;
        }
    }
    if (!ok) {
        if (items) std::memset(items, 0, sizeof *items * size_t(filled));
        return kFalse;
    }
    *menu = m;
    *count = n;
    return kTrue;
}

Boolean OrvaReadColorIcon(const UInt8 *bytes, UInt32 size, ColorIconLayout *icon) {
    std::memset(icon, 0, sizeof *icon);
    ColorIconLayout c;
    std::memset(&c, 0, sizeof c);
    UInt32 unusedTable;
    if (!bytes || size < kColorIconHeader || !OrvaReadResPixMap(OrvaByteReader(bytes, size), 0, &c.map, &unusedTable))
        return kFalse;
    SInt16 depth = c.map.pixelSize;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return kFalse;
    ByteReader r = OrvaByteReader(bytes, size);
    Seek(&r, kResPixMapBytes + 4);
    c.maskRowBytes = SInt16(Get16(&r));
    Rect maskBounds = GetRect(&r);
    Skip(&r, 4);
    c.bitmapRowBytes = SInt16(Get16(&r));
    Rect bitmapBounds = GetRect(&r);
    SInt64 width = SInt64(c.map.bounds.right) - c.map.bounds.left;
    SInt64 height = SInt64(c.map.bounds.bottom) - c.map.bounds.top;
    if (r.failed || !SameSize(maskBounds, c.map.bounds) || c.maskRowBytes <= 0 || c.maskRowBytes * 8 < width)
        return kFalse;
    if (c.bitmapRowBytes != 0 &&
        (!SameSize(bitmapBounds, c.map.bounds) || c.bitmapRowBytes < 0 || c.bitmapRowBytes * 8 < width))
        return kFalse;
    // Offsets are summed in 64 bits and compared with the size before any is kept.
    UInt64 at = kColorIconHeader;
    c.maskOffset = UInt32(at);
    at += UInt64(c.maskRowBytes) * UInt64(height);
    c.bitmapOffset = UInt32(at > size ? size : at);
    at += UInt64(c.bitmapRowBytes) * UInt64(height);
    if (at + kColorTableHeader > size) return kFalse;
    c.tableOffset = UInt32(at);
    Seek(&r, size_t(at) + 6);
    c.colorCount = SInt32(SInt16(Get16(&r))) + 1;
    if (c.colorCount < 1 || c.colorCount > SInt32(kMaxColorIconEntries)) return kFalse;
    at += kColorTableHeader + UInt64(c.colorCount) * kColorSpecBytes;
    c.pixelOffset = UInt32(at > size ? size : at);
    at += UInt64(c.map.rowBytes & 0x7FFF) * UInt64(height);
    if (at > size || !PixelsIndexTable(bytes, &c)) return kFalse;
    *icon = c;
    return kTrue;
}

UInt8 OrvaColorIconIndex(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 x, SInt32 y) {
    SInt32 depth = icon->map.pixelSize;
    UInt32 bit = UInt32(x) * UInt32(depth);
    UInt8 byte = bytes[icon->pixelOffset + UInt32(y) * UInt32(icon->map.rowBytes & 0x7FFF) + bit / 8];
    return UInt8((byte >> (8 - depth - bit % 8)) & ((1 << depth) - 1));
}

Boolean OrvaColorIconMasked(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 x, SInt32 y) {
    UInt8 byte = bytes[icon->maskOffset + UInt32(y) * UInt32(icon->maskRowBytes) + UInt32(x) / 8];
    return (byte >> (7 - x % 8)) & 1;
}

RGBColor OrvaColorIconEntry(const UInt8 *bytes, const ColorIconLayout *icon, SInt32 index) {
    ByteReader r = OrvaByteReader(bytes, icon->pixelOffset);
    Seek(&r, icon->tableOffset + kColorTableHeader + UInt32(index) * kColorSpecBytes + 2);
    RGBColor c;
    c.red = Get16(&r);
    c.green = Get16(&r);
    c.blue = Get16(&r);
    return c;
}

SInt32 OrvaStrListCount(const UInt8 *bytes, UInt32 size) {
    ByteReader r = OrvaByteReader(bytes, size);
    SInt32 n = Get16(&r);
    for (SInt32 i = 0; i < n && !r.failed; i++) Skip(&r, Get8(&r));
    return r.failed ? -1 : n;
}

Boolean OrvaStrListString(const UInt8 *bytes, UInt32 size, SInt32 index, Str255 out) {
    out[0] = 0;
    if (index < 1 || index > OrvaStrListCount(bytes, size)) return kFalse;
    ByteReader r = OrvaByteReader(bytes, size);
    Skip(&r, 2);
    for (SInt32 i = 1; i < index; i++) Skip(&r, Get8(&r));
    GetPString(&r, out);
    return kTrue;
}

Boolean OrvaReadVersion(const UInt8 *bytes, UInt32 size, VersionRecord *version) {
    std::memset(version, 0, sizeof *version);
    ByteReader r = OrvaByteReader(bytes, size);
    VersionRecord v = {};
    v.major = Get8(&r);
    v.minorAndBug = Get8(&r);
    v.stage = Get8(&r);
    v.release = Get8(&r);
    v.region = SInt16(Get16(&r));
    GetPString(&r, v.shortVersion);
    GetPString(&r, v.longVersion);
    if (r.failed) return kFalse;
    *version = v;
    return kTrue;
}

void OrvaWriteDialogTemplate(ByteWriter *w, const DialogTemplateRecord *dialog) {
    size_t start = w->size;
    PutRect(w, dialog->bounds);
    Put16(w, UInt16(dialog->procID));
    Put8(w, dialog->visible ? 1 : 0);
    Put8(w, 0);
    Put8(w, dialog->goAway ? 1 : 0);
    Put8(w, 0);
    Put32(w, UInt32(dialog->refCon));
    Put16(w, UInt16(dialog->itemsID));
    PutPString(w, dialog->title);
    PutPosition(w, start, dialog->position);
}

void OrvaWriteAlertTemplate(ByteWriter *w, const AlertTemplateRecord *alert) {
    size_t start = w->size;
    PutRect(w, alert->bounds);
    Put16(w, UInt16(alert->itemsID));
    Put16(w, alert->stages);
    PutPosition(w, start, alert->position);
}

void OrvaWriteDitl(ByteWriter *w, const DitlItemSource *items, SInt32 count) {
    size_t start = w->size;
    Put16(w, UInt16(count - 1));
    for (SInt32 i = 0; i < count; i++) {
        const DitlItemSource &item = items[i];
        const DitlKindRow *row = DitlKind(item.kind);
        Put32(w, 0);
        PutRect(w, item.rect);
        Put8(w, UInt32(item.kind) | (item.disabled ? kDitlDisabled : 0));
        if (row && row->carriesId) {
            Put8(w, 2);
            Put16(w, UInt16(item.resourceId));
        } else if (row && row->carriesText && item.text) {
            PutPString(w, item.text);
        } else {
            Put8(w, 0);
        }
        if ((w->size - start) & 1) Put8(w, 0);
    }
}

void OrvaWriteMenuTemplate(ByteWriter *w, const MenuTemplateRecord *menu, const MenuItemSource *items, SInt32 count) {
    Put16(w, UInt16(menu->menuID));
    Put16(w, UInt16(menu->width));
    Put16(w, UInt16(menu->height));
    Put16(w, UInt16(menu->procID));
    Put16(w, 0);
    Put32(w, menu->enableFlags);
    PutPString(w, menu->title);
    for (SInt32 i = 0; i < count; i++) {
        PutPString(w, items[i].text);
        Put8(w, items[i].icon);
        Put8(w, items[i].key);
        Put8(w, items[i].mark);
        Put8(w, items[i].style);
    }
    Put8(w, 0);
}

void OrvaWriteColorIcon(ByteWriter *w, SInt16 width, SInt16 height, const UInt8 *pixels, const RGBColor *colors,
                        SInt32 colorCount, const UInt8 *mask) {
    UInt32 rowBytes = (UInt32(width) + 1) & ~1u;
    UInt32 maskRowBytes = (UInt32(width) + 15) / 16 * 2;
    Put32(w, 0);  // baseAddr
    Put16(w, rowBytes | UInt16(kPixMapFlag));
    PutRect(w, Rect{0, 0, height, width});
    Put16(w, 0);  // pmVersion
    Put16(w, 0);  // packType
    Put32(w, 0);  // packSize
    Put32(w, kResolution72);
    Put32(w, kResolution72);
    Put16(w, 0);  // pixelType: indexed
    Put16(w, 8);  // pixelSize
    Put16(w, 1);  // cmpCount
    Put16(w, 8);  // cmpSize
    Put32(w, 0);  // planeBytes
    Put32(w, 0);  // pmTable: the table follows the bit maps instead
    Put32(w, 0);  // pmReserved
    PutBitMapHeader(w, maskRowBytes, width, height);
    PutBitMapHeader(w, maskRowBytes, width, height);
    Put32(w, 0);  // iconData
    for (int pass = 0; pass < 2; pass++) {  // the mask, then the 1-bit image
        for (SInt32 y = 0; y < height; y++) {
            for (UInt32 b = 0; b < maskRowBytes; b++) {
                UInt32 bits = 0;
                for (UInt32 k = 0; k < 8; k++) {
                    UInt32 x = b * 8 + k;
                    if (x >= UInt32(width) || !mask[UInt32(y) * UInt32(width) + x]) continue;
                    const RGBColor &c = colors[pixels[UInt32(y) * UInt32(width) + x]];
                    UInt32 luminance = (UInt32(c.red) * 30 + UInt32(c.green) * 59 + UInt32(c.blue) * 11) / 100;
                    if (pass == 0 || luminance < kMidGrey) bits |= 0x80u >> k;
                }
                Put8(w, bits);
            }
        }
    }
    Put32(w, 0);  // ctSeed
    Put16(w, 0);  // ctFlags
    Put16(w, UInt16(colorCount - 1));
    for (SInt32 i = 0; i < colorCount; i++) {
        Put16(w, UInt16(i));
        Put16(w, colors[i].red);
        Put16(w, colors[i].green);
        Put16(w, colors[i].blue);
    }
    for (SInt32 y = 0; y < height; y++) {
        PutBytes(w, pixels + UInt32(y) * UInt32(width), UInt32(width));
        if (rowBytes > UInt32(width)) Put8(w, 0);
    }
}

void OrvaWriteStrList(ByteWriter *w, const ConstStr255Param *strings, SInt32 count) {
    Put16(w, UInt16(count));
    for (SInt32 i = 0; i < count; i++) PutPString(w, strings[i]);
}

void OrvaWriteVersion(ByteWriter *w, const VersionRecord *version) {
    Put8(w, version->major);
    Put8(w, version->minorAndBug);
    Put8(w, version->stage);
    Put8(w, version->release);
    Put16(w, UInt16(version->region));
    PutPString(w, version->shortVersion);
    PutPString(w, version->longVersion);
}

namespace {

const DitlKindRow *DitlKind(UInt8 kind) {
    for (const DitlKindRow &row : kDitlKinds)
        if (row.kind == kind) return &row;
    return nullptr;
}

Rect GetRect(ByteReader *r) {
    Rect rect;
    rect.top = SInt16(Get16(r));
    rect.left = SInt16(Get16(r));
    rect.bottom = SInt16(Get16(r));
    rect.right = SInt16(Get16(r));
    return rect;
}

// A length byte and that many characters; empty when they pass the end.
void GetPString(ByteReader *r, Str255 out) {
    UInt8 length = Get8(r);
    const UInt8 *text = TakeBytes(r, length);
    out[0] = text ? length : 0;
    if (text) std::memcpy(out + 1, text, length);
}

// The optional positioning word at the next even offset; 0 when the resource ends before it.
UInt16 GetPosition(ByteReader *r) {
    if (r->failed) return 0;
    if ((r->position & 1) && ByteReaderLeft(r) > 0) Skip(r, 1);
    return ByteReaderLeft(r) >= 2 ? Get16(r) : 0;
}

Boolean ReadDitlItem(ByteReader *r, DitlItemRecord *item) {
    std::memset(item, 0, sizeof *item);
    Skip(r, kItemPlaceholder);
    item->rect = GetRect(r);
    UInt8 type = Get8(r);
    item->kind = type & 0x7F;
    item->disabled = (type & kDitlDisabled) != 0;
    item->dataLength = Get8(r);
    item->dataOffset = UInt32(r->position);
    ByteReader data = SubReader(r, item->dataLength);
    // Items start on even offsets; the last one may end without its pad byte.
    if ((r->position & 1) && ByteReaderLeft(r) > 0) Skip(r, 1);
    const DitlKindRow *row = DitlKind(item->kind);
    if (r->failed || !row) return kFalse;
    if (row->carriesId) {
        item->resourceId = SInt16(Get16(&data));
        if (data.failed) return kFalse;
    }
    return kTrue;
}

Boolean ReadMenuItem(ByteReader *r, MenuItemLayout *item, Boolean *ended) {
    std::memset(item, 0, sizeof *item);
    item->textLength = Get8(r);
    *ended = item->textLength == 0;
    if (r->failed || *ended) return !r->failed;
    item->textOffset = UInt32(r->position);
    Skip(r, item->textLength);
    item->icon = Get8(r);
    item->key = Get8(r);
    item->mark = Get8(r);
    item->style = Get8(r);
    return !r->failed;
}

Boolean SameSize(const Rect &a, const Rect &b) {
    return SInt32(a.right) - a.left == SInt32(b.right) - b.left && SInt32(a.bottom) - a.top == SInt32(b.bottom) - b.top;
}

Boolean PixelsIndexTable(const UInt8 *bytes, const ColorIconLayout *icon) {
    SInt32 width = SInt32(icon->map.bounds.right) - icon->map.bounds.left;
    SInt32 height = SInt32(icon->map.bounds.bottom) - icon->map.bounds.top;
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++)
            if (OrvaColorIconIndex(bytes, icon, x, y) >= icon->colorCount) return kFalse;
    return kTrue;
}

void PutRect(ByteWriter *w, const Rect &r) {
    Put16(w, UInt16(r.top));
    Put16(w, UInt16(r.left));
    Put16(w, UInt16(r.bottom));
    Put16(w, UInt16(r.right));
}

void PutPString(ByteWriter *w, ConstStr255Param s) {
    UInt8 length = s ? s[0] : 0;
    Put8(w, length);
    PutBytes(w, s ? s + 1 : nullptr, length);
}

// The positioning word after a pad to an even offset from the resource's start; none for 0.
void PutPosition(ByteWriter *w, size_t start, UInt16 position) {
    if (!position) return;
    if ((w->size - start) & 1) Put8(w, 0);
    Put16(w, position);
}

void PutBitMapHeader(ByteWriter *w, UInt32 rowBytes, SInt16 width, SInt16 height) {
    Put32(w, 0);
    Put16(w, rowBytes);
    PutRect(w, Rect{0, 0, height, width});
}

}  // namespace
