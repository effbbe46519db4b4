// The Color Manager: palette loading, the 8-bit colour tables, the inverse table with its cache
// file, and the colour lookups both ways.
#include "graphics/quickdraw/color.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/files.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"

CTabHandle OrvaDefault8BitsColorTable;
CTabHandle OrvaGray8BitsColorTable;
PaletteHandle OrvaGray8BitsPalette;
SInt16 OrvaIndexPredefColor[kPredefColorSlots];
SInt16 OrvaIndexGrayColor[kPredefColorSlots];
UInt8 OrvaIndexXorCouleur[kColorCount];

namespace {

// The Color2Index memory of the last colour asked, and the count of computed inverse tables.
// Main thread only.
struct ColorStateRecord {
    RGBColor lastColor;   // (1,2,3) at start, a colour no caller asks first
    SInt32 lastIndex;
    Boolean lastValid;
    UInt32 computations;
};
ColorStateRecord gColorState = {{1, 2, 3}, 0, false, 0};

// The classic colours by code / 32; slots 9 and 11 have no colour and stay index 0.
struct PredefColorRow {
    SInt16 slot;
    RGBColor rgb;
};
const PredefColorRow kPredefColors[] = {
    {0, {65535, 65535, 65535}}, {1, {0, 0, 0}},         {2, {65535, 65535, 0}},
    {3, {24576, 24576, 24576}}, {4, {65535, 0, 65535}}, {5, {40960, 40960, 40960}},
    {6, {65535, 0, 0}},         {7, {49152, 49152, 49152}}, {8, {0, 65535, 65535}},
    {10, {0, 65535, 0}},        {12, {0, 0, 65535}},
};

// A colour as hue, saturation and value; hue -1 when undefined (black and grays).
struct HsvRecord {
    SInt32 hue;
    SInt32 saturation;
    SInt32 value;
};

const char kMissingPalette[] = "ORVA resources are not up to date. Missing standard palette.";
const char kCacheName[] = "InverseColorTable.cfg";
const char kOldCacheName[] = "InvTable.cfg";
const UInt8 kCacheHeader[4] = {0x00, 0x00, 0x01, 0x00};

enum : SInt32 {
    kMaxDistance = 2000000,   // above any distance of two colours
    kHueTurn = 65536,
    kClassicCodeLimit = kPredefColorSlots * 32,
    kGrayStep = 257,
    kGrayDivisor = 768,       // (r + g + b) / 768 maps 0..196605 onto 0..255
};
enum : SInt16 { kMinRes = 3, kMaxRes = 5 };

}  // namespace

static CTabHandle NewColorTable(SInt32 seed);
static SInt32 NearestByComponents(CTabHandle table, const RGBColor *rgb);
static SInt32 TableEntries(CTabHandle table);
static Handle DeviceITable();
static Boolean SizeITable(Handle itab, CTabHandle table, SInt16 res);
static Boolean PreferencesPath(const char *name, char *path);
static void DropOldCache();
static Boolean ReadCache(Handle itab);
static void WriteCache(Handle itab);
static void ComputeITable(CTabHandle table, Handle itab, SInt16 res);
static HsvRecord ToHsv(const RGBColor *rgb);
static SInt32 HsvDistance(const HsvRecord *a, const HsvRecord *b);
static SInt32 LookupITable(Handle itab, const RGBColor *rgb);
static void DisposeTables();

void OrvaInitColorManager() {
    DisposeTables();
    PaletteHandle palette = GetNewPalette(OrvaIsPlugin() ? kPluginPaletteId : kSystemPaletteId);
    if (!palette) {
        OrvaErreur(kMissingPalette);
        ExitToShell();
    } else if ((OrvaDefault8BitsColorTable = NewColorTable(kDefaultTableSeed)) != nullptr) {
        ColorTable *table = *OrvaDefault8BitsColorTable;
        SInt32 count = (*palette)->pmEntries;
        for (SInt32 i = 0; i < kColorCount && i < count; i++) table->ctTable[i].rgb = (*palette)->pmInfo[i].ciRGB;
        for (const PredefColorRow &row : kPredefColors)
            OrvaIndexPredefColor[row.slot] = SInt16(NearestByComponents(OrvaDefault8BitsColorTable, &row.rgb));
        for (SInt32 i = 0; i < kColorCount; i++) {
            const RGBColor &c = (*OrvaDefault8BitsColorTable)->ctTable[i].rgb;
            RGBColor complement = {UInt16(65535 - c.red), UInt16(65535 - c.green), UInt16(65535 - c.blue)};
            OrvaIndexXorCouleur[i] = UInt8(NearestByComponents(OrvaDefault8BitsColorTable, &complement));
        }
    }
    if (palette) DisposHandle((Handle)palette);

    OrvaGray8BitsPalette = (PaletteHandle)NewHandleClear(kPaletteHeaderBytes + kColorCount * kPaletteEntryBytes);
    OrvaGray8BitsColorTable = NewColorTable(kGrayTableSeed);
    if (OrvaGray8BitsPalette) (*OrvaGray8BitsPalette)->pmEntries = kColorCount;
    for (SInt32 i = 0; i < kColorCount; i++) {
        UInt16 level = UInt16(65535 - kGrayStep * i);
        RGBColor gray = {level, level, level};
        if (OrvaGray8BitsPalette) (*OrvaGray8BitsPalette)->pmInfo[i].ciRGB = gray;
        if (OrvaGray8BitsColorTable) (*OrvaGray8BitsColorTable)->ctTable[i].rgb = gray;
    }
    for (const PredefColorRow &row : kPredefColors)
        OrvaIndexGrayColor[row.slot] = SInt16(255 - (row.rgb.red + row.rgb.green + row.rgb.blue) / kGrayDivisor);
}

PaletteHandle GetNewPalette(SInt16 id) {
    Handle h = GetResource(FourCC("pltt"), id);
    if (!h) return nullptr;
    DetachResource(h);
    UInt32 size = GetHandleSize(h);
    if (size < UInt32(kPaletteHeaderBytes)) {
        DisposHandle(h);
        return nullptr;
    }
    // Resource data: a big-endian count in a 16-byte header, then 16-byte entries whose first
    // three words are red, green and blue. Each entry is read before it is overwritten in
    // memory order, in place.
    ByteReader resource = OrvaByteReader(*h, size);
    SInt32 count = SInt16(Get16(&resource));
    SInt32 held = SInt32((size - kPaletteHeaderBytes) / kPaletteEntryBytes);
    if (count < 0) count = 0;
    if (count > held) count = held;
    PaletteHandle palette = (PaletteHandle)h;
    (*palette)->pmEntries = SInt16(count);
    for (SInt32 i = 0; i < count; i++) {
        Seek(&resource, kPaletteHeaderBytes + UInt32(i) * kPaletteEntryBytes);
        RGBColor c;
        c.red = Get16(&resource);
        c.green = Get16(&resource);
        c.blue = Get16(&resource);
        (*palette)->pmInfo[i].ciRGB = c;
    }
    return palette;
}

void SetPalette(void *, PaletteHandle, Boolean) {}

void GetEntryColor(PaletteHandle palette, SInt16 index, RGBColor *rgb) {
    if (!palette || !*palette || !rgb || index < 0 || index >= (*palette)->pmEntries) return;
    *rgb = (*palette)->pmInfo[index].ciRGB;
}

void MakeITable(CTabHandle table, Handle itab, SInt16 res) {
    if (!table) table = OrvaDefault8BitsColorTable;
    if (!table || !*table) return;
    if (!itab) itab = DeviceITable();
    if (!itab) return;
    if (res < kMinRes || res > kMaxRes) res = kMaxRes;
    if (!SizeITable(itab, table, res)) return;
    if (itab == DeviceITable()) gColorState.lastValid = false;
    Boolean cached = table == OrvaDefault8BitsColorTable && res == kITableCacheRes;
    if (cached) {
        DropOldCache();
        if (ReadCache(itab)) return;
    }
    ComputeITable(table, itab, res);
    if (cached) WriteCache(itab);
}

SInt32 Color2Index(const RGBColor *rgb) {
    if (!rgb) return 0;
    if (OrvaIsGrayPort(qd.thePort)) return 255 - (SInt32(rgb->red) + rgb->green + rgb->blue) / kGrayDivisor;
    if (gColorState.lastValid && std::memcmp(&gColorState.lastColor, rgb, sizeof *rgb) == 0) return gColorState.lastIndex;
    Handle itab = DeviceITable();
    if (!itab) return 0;
    if (GetHandleSize(itab) <= UInt32(kITableHeaderBytes)) MakeITable(nullptr, itab, kITableCacheRes);
    if (GetHandleSize(itab) <= UInt32(kITableHeaderBytes)) return 0;
    gColorState.lastIndex = LookupITable(itab, rgb);
    gColorState.lastColor = *rgb;
    gColorState.lastValid = true;
    return gColorState.lastIndex;
}

void Index2Color(SInt32 index, RGBColor *rgb) {
    if (!rgb) return;
    *rgb = {0, 0, 0};
    CTabHandle table = OrvaIsGrayPort(qd.thePort) ? OrvaGray8BitsColorTable : OrvaDefault8BitsColorTable;
    if (!table || !*table || index < 0 || index > (*table)->ctSize || index >= TableEntries(table)) return;
    *rgb = (*table)->ctTable[index].rgb;
}

void GetSubTable(CTabHandle table, SInt16 res, CTabHandle match) {
    if (!table || !*table) return;
    Handle itab = nullptr;
    if (match) {
        itab = NewHandle(0);
        if (!itab) return;
        MakeITable(match, itab, res);
    } else {
        itab = DeviceITable();
        if (itab && GetHandleSize(itab) <= UInt32(kITableHeaderBytes)) MakeITable(nullptr, itab, kITableCacheRes);
    }
    if (itab && GetHandleSize(itab) > UInt32(kITableHeaderBytes)) {
        SInt32 entries = TableEntries(table);
        for (SInt32 i = 0; i < entries; i++) {
            RGBColor c = (*table)->ctTable[i].rgb;
            (*table)->ctTable[i].value = SInt16(LookupITable(itab, &c));
        }
    }
    if (match && itab) DisposHandle(itab);
}

void OpColor(const RGBColor *rgb) {
    if (qd.thePort && rgb) qd.thePort->rgbOpColor = *rgb;
}

void GetForeColor(RGBColor *rgb) {
    if (qd.thePort && rgb) *rgb = qd.thePort->rgbFgColor;
}

void GetBackColor(RGBColor *rgb) {
    if (qd.thePort && rgb) *rgb = qd.thePort->rgbBkColor;
}

void OrvaCvtCouleurMacEnWindows(const RGBColor *rgb, UInt8 *red, UInt8 *green, UInt8 *blue) {
    if (!rgb) return;
    if (red) *red = UInt8(rgb->red >> 8);
    if (green) *green = UInt8(rgb->green >> 8);
    if (blue) *blue = UInt8(rgb->blue >> 8);
}

Boolean OrvaIsGrayPort(const GrafPort *port) { return port && port->device == kGrayPortDevice; }

Boolean OrvaClassicColor(const GrafPort *port, SInt32 code, UInt32 *pixel, RGBColor *rgb) {
    if (!OrvaDefault8BitsColorTable || code < 0 || code >= kClassicCodeLimit) return false;
    Boolean gray = OrvaIsGrayPort(port);
    CTabHandle table = gray ? OrvaGray8BitsColorTable : OrvaDefault8BitsColorTable;
    SInt16 index = gray ? OrvaIndexGrayColor[code / 32] : OrvaIndexPredefColor[code / 32];
    if (!table || index < 0 || index >= TableEntries(table)) return false;
    if (pixel) *pixel = UInt32(index);
    if (rgb) *rgb = (*table)->ctTable[index].rgb;
    return true;
}

UInt32 OrvaITableComputations() { return gColorState.computations; }

// A zeroed 8-bit table: 257 slots, ctSize 256, entry i has value i.
static CTabHandle NewColorTable(SInt32 seed) {
    CTabHandle table = (CTabHandle)NewHandleClear(UInt32(offsetof(ColorTable, ctTable) + kColorTableSlots * sizeof(ColorSpec)));
    if (!table) return nullptr;
    (*table)->ctSeed = seed;
    (*table)->ctSize = kColorCount;
    for (SInt32 i = 0; i < kColorCount; i++) (*table)->ctTable[i].value = SInt16(i);
    return table;
}

// The first entry with the smallest sum of component differences.
static SInt32 NearestByComponents(CTabHandle table, const RGBColor *rgb) {
    SInt32 best = 0, bestDistance = 0x7FFFFFFF, entries = TableEntries(table);
    if (entries > kColorCount) entries = kColorCount;
    for (SInt32 i = 0; i < entries; i++) {
        const RGBColor &c = (*table)->ctTable[i].rgb;
        SInt32 d = std::abs(SInt32(c.red) - rgb->red) + std::abs(SInt32(c.green) - rgb->green) +
                   std::abs(SInt32(c.blue) - rgb->blue);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// Entry slots a table's handle really holds, never more than ctSize + 1.
static SInt32 TableEntries(CTabHandle table) {
    if (!table || !*table) return 0;
    UInt32 size = GetHandleSize((Handle)table);
    if (size < offsetof(ColorTable, ctTable)) return 0;
    SInt32 held = SInt32((size - offsetof(ColorTable, ctTable)) / sizeof(ColorSpec));
    SInt32 declared = (*table)->ctSize + 1;
    if (declared < 0) declared = 0;
    return held < declared ? held : declared;
}

static Handle DeviceITable() {
    GDHandle device = GetGDevice();
    if (!device) return nullptr;
    if (!(*device)->gdITable) {
        Handle itab = NewHandleClear(kITableHeaderBytes);
        if (!itab) return nullptr;
        (*device)->gdITable = itab;
    }
    return (*device)->gdITable;
}

// Sizes itab for res and writes its header; false without memory.
static Boolean SizeITable(Handle itab, CTabHandle table, SInt16 res) {
    SetHandleSize(itab, UInt32(kITableHeaderBytes + (1 << (3 * res))));
    if (MemError() != noErr) return false;
    SInt32 seed = (*table)->ctSeed;
    std::memcpy(*itab, &seed, 4);
    std::memcpy(*itab + 4, &res, 2);
    return true;
}

// The full path of name in the preferences folder (made when missing); false when there is none.
static Boolean PreferencesPath(const char *name, char *path) {
    SInt16 vRef;
    SInt32 dirID;
    char folder[kOrvaPathMax + 1] = "";
    if (FindFolder(-32768, FourCC("pref"), 1, &vRef, &dirID) != noErr || !OrvaGetNomChemin(dirID, folder) || !folder[0])
        return false;
    return std::snprintf(path, kOrvaPathMax + 1, "%s%s", folder, name) < kOrvaPathMax + 1;
}

// The cache of an older layout, recognised by the same header, is removed.
static void DropOldCache() {
    char path[kOrvaPathMax + 1];
    if (!PreferencesPath(kOldCacheName, path)) return;
    FILE *f = Orvafopen(path, "rb");
    if (!f) return;
    UInt8 header[4];
    Boolean ours = std::fread(header, 1, 4, f) == 4 && std::memcmp(header, kCacheHeader, 4) == 0;
    std::fclose(f);
    if (ours) Orvaremove(path);
}

// Reads the resolution-5 grid from the cache file: only a file of exactly the header and
// 32768 bytes is trusted.
static Boolean ReadCache(Handle itab) {
    char path[kOrvaPathMax + 1];
    if (!PreferencesPath(kCacheName, path)) return false;
    FILE *f = Orvafopen(path, "rb");
    if (!f) return false;
    UInt8 header[4];
    Boolean ok = std::fread(header, 1, 4, f) == 4 && std::memcmp(header, kCacheHeader, 4) == 0 &&
                 std::fread(*itab + kITableHeaderBytes, 1, kITableCacheBytes - 4, f) == size_t(kITableCacheBytes - 4) &&
                 std::fgetc(f) == EOF;
    std::fclose(f);
    return ok;
}

static void WriteCache(Handle itab) {
    char path[kOrvaPathMax + 1];
    if (!PreferencesPath(kCacheName, path)) return;
    FILE *f = Orvafopen(path, "wb");
    if (!f) return;
    Boolean ok = std::fwrite(kCacheHeader, 1, 4, f) == 4 &&
                 std::fwrite(*itab + kITableHeaderBytes, 1, kITableCacheBytes - 4, f) == size_t(kITableCacheBytes - 4);
    if (std::fclose(f) != 0 || !ok) Orvaremove(path);  // a cut file would only be rejected later
}

// The nearest entry of every grid cell by hue, saturation and value; the first entry wins ties.
static void ComputeITable(CTabHandle table, Handle itab, SInt16 res) {
    gColorState.computations++;
    SInt32 entries = TableEntries(table);
    if (entries > kColorCount) entries = kColorCount;
    HsvRecord *hsv = (HsvRecord *)NewPtr(UInt32(entries > 0 ? entries : 1) * sizeof(HsvRecord));
    if (!hsv) return;
    for (SInt32 i = 0; i < entries; i++) {
        RGBColor c = (*table)->ctTable[i].rgb;
        hsv[i] = ToHsv(&c);
    }
    SInt32 levels = 1 << res;
    UInt8 *cells = (UInt8 *)*itab + kITableHeaderBytes;
    for (SInt32 r = 0; r < levels; r++)
        for (SInt32 g = 0; g < levels; g++)
            for (SInt32 b = 0; b < levels; b++) {
                auto level = [res](SInt32 i) { return UInt16(std::min<SInt32>((2 * i + 1) << (15 - res), 65535)); };
                RGBColor cell = {level(r), level(g), level(b)};
                HsvRecord target = ToHsv(&cell);
                SInt32 best = kMaxDistance, index = 0;
                for (SInt32 i = 0; i < entries && best > 0; i++) {
                    SInt32 d = HsvDistance(&target, &hsv[i]);
                    if (d < best) {
                        best = d;
                        index = i;
                    }
                }
                cells[(r << (2 * res)) | (g << res) | b] = UInt8(index);
            }
    DisposPtr((Ptr)hsv);
}

static HsvRecord ToHsv(const RGBColor *rgb) {
    SInt32 r = rgb->red, g = rgb->green, b = rgb->blue;
    SInt32 max = std::max(r, std::max(g, b)), min = std::min(r, std::min(g, b));
    HsvRecord out = {-1, 0, max};
    if (max == 0) {
        out.value = 0;
        return out;
    }
    out.saturation = SInt32((SInt64(max - min) << 16) / max);
    if (out.saturation == 0) return out;
    double delta = max - min, rc = (max - r) / delta, gc = (max - g) / delta, bc = (max - b) / delta, h;
    if (max == r) h = min == g ? 5 + bc : 1 - gc;
    else if (max == g) h = min == b ? 1 + rc : 3 - bc;
    else h = min == r ? 3 + gc : 5 - rc;
    out.hue = SInt32(h * 65535 / 6);
    return out;
}

static SInt32 HsvDistance(const HsvRecord *a, const HsvRecord *b) {
    SInt32 dv = std::abs(a->value - b->value), ds = std::abs(a->saturation - b->saturation);
    if (a->hue < 0 || b->hue < 0) return ds + dv;
    SInt32 dh = std::abs(a->hue - b->hue);
    return dv / 2 + 2 * std::min(dh, kHueTurn - dh) + ds / 2;
}

static SInt32 LookupITable(Handle itab, const RGBColor *rgb) {
    SInt16 res;
    std::memcpy(&res, *itab + 4, 2);
    if (res < kMinRes || res > kMaxRes || GetHandleSize(itab) < UInt32(kITableHeaderBytes + (1 << (3 * res)))) return 0;
    SInt32 shift = 16 - res;
    SInt32 cell = ((rgb->red >> shift) << (2 * res)) | ((rgb->green >> shift) << res) | (rgb->blue >> shift);
    return ((const UInt8 *)*itab)[kITableHeaderBytes + cell];
}

static void DisposeTables() {
    Handle *tables[] = {(Handle *)&OrvaDefault8BitsColorTable, (Handle *)&OrvaGray8BitsColorTable,
                        (Handle *)&OrvaGray8BitsPalette};
    for (Handle *table : tables) {
        if (*table) DisposHandle(*table);
        *table = nullptr;
    }
    GDHandle device = GetGDevice();
    if (device && (*device)->gdITable) SetHandleSize((*device)->gdITable, kITableHeaderBytes);
    gColorState.lastValid = false;
    std::memset(OrvaIndexPredefColor, 0, sizeof OrvaIndexPredefColor);
    std::memset(OrvaIndexGrayColor, 0, sizeof OrvaIndexGrayColor);
    std::memset(OrvaIndexXorCouleur, 0, sizeof OrvaIndexXorCouleur);
}
