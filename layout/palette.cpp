// The player's 256-colour palette and the colour icons converted to it.
#include "layout/palette.h"

#include <cmath>
#include <cstring>

#include "graphics/quickdraw/color.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "toolbox/resource_layouts.h"

namespace {

const SInt16 kIndexNoir = 255;
const OSErr kResNotFound = -192;

// Process-wide, main thread only: filled by InitPalette256Couleurs.
struct PaletteRecord {
    RGBColor colors[kCouleursPalette];
    Boolean ready;   // colors holds a palette
    Boolean system;  // it is the Color Manager's default table
};
PaletteRecord gPalette;

Boolean CopieTable(CTabHandle table);
SInt16 TailleQuiTient(SInt16 size, SInt32 bytes);
void RemplitIcone(const UInt8 *bytes, const ColorIconLayout *icon, SInt16 size, UInt8 *out);

}  // namespace

void InitPalette256Couleurs() {
    gPalette.system = CopieTable(OrvaDefault8BitsColorTable);
    gPalette.ready = gPalette.system || CopieTable(OrvaGray8BitsColorTable);
    if (gPalette.ready) return;
    for (SInt32 i = 0; i < kCouleursPalette; i++) {
        UInt16 level = UInt16(65535 - 257 * i);
        gPalette.colors[i] = {level, level, level};
    }
    gPalette.ready = kTrue;
}

Boolean IsPalette256Chargee() { return gPalette.system; }

void GetCouleurPalette256(SInt16 index, RGBColor *rgb) {
    if (!rgb) return;
    *rgb = {0, 0, 0};
    if (gPalette.ready && index >= 0 && index < kCouleursPalette) *rgb = gPalette.colors[index];
}

SInt16 CvtRGBEnIndexProche(const RGBColor *rgb) {
    if (!rgb || !gPalette.ready) return kIndexNoir;
    SInt16 best = kIndexNoir;
    SInt64 bestDistance = -1;
    for (SInt16 i = 0; i < kCouleursPalette; i++) {
        const RGBColor &c = gPalette.colors[i];
        SInt64 dr = SInt64(c.red) - rgb->red, dg = SInt64(c.green) - rgb->green, db = SInt64(c.blue) - rgb->blue;
        SInt64 distance = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

OSErr CvtIconEnIconCustom(SInt16 iconId, SInt16 smallSize, SInt16 largeSize, UInt8 *small, UInt8 *large,
                          SInt16 *smallUsed, SInt16 *largeUsed) {
    if (smallUsed) *smallUsed = 0;
    if (largeUsed) *largeUsed = 0;
    if ((small && smallSize < 1) || (large && largeSize < 1)) return paramErr;
    Handle resource = GetResource(FourCC("cicn"), iconId);
    if (!resource || !*resource) return kResNotFound;
    UInt8 state = HGetState(resource);
    HLock(resource);
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(*resource);
    ColorIconLayout icon;
    OSErr err = kResNotFound;
    if (OrvaReadColorIcon(bytes, GetHandleSize(resource), &icon)) {
        if (!gPalette.ready) InitPalette256Couleurs();
        SInt16 s = TailleQuiTient(smallSize, kIconeCustomPetite), l = TailleQuiTient(largeSize, kIconeCustomGrande);
        if (small) RemplitIcone(bytes, &icon, s, small);
        if (large) RemplitIcone(bytes, &icon, l, large);
        if (smallUsed && small) *smallUsed = s;
        if (largeUsed && large) *largeUsed = l;
        err = noErr;
    }
    HSetState(resource, state);
    return err;
}

namespace {

Boolean CopieTable(CTabHandle table) {
    if (!table || !*table) return kFalse;
    size_t needed = offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * kCouleursPalette;
    if (GetHandleSize(reinterpret_cast<Handle>(table)) < needed || (*table)->ctSize < kCouleursPalette - 1)
        return kFalse;
    for (SInt32 i = 0; i < kCouleursPalette; i++) gPalette.colors[i] = (*table)->ctTable[i].rgb;
    return kTrue;
}

// The largest side up to size whose square fits in bytes.
SInt16 TailleQuiTient(SInt16 size, SInt32 bytes) {
    SInt32 side = size;
    while (side > 1 && side * side > bytes) side--;
    return SInt16(side);
}

// Nearest-neighbour sampling of the icon into size x size palette indices.
void RemplitIcone(const UInt8 *bytes, const ColorIconLayout *icon, SInt16 size, UInt8 *out) {
    SInt32 width = icon->map.bounds.right - icon->map.bounds.left;
    SInt32 height = icon->map.bounds.bottom - icon->map.bounds.top;
    for (SInt32 y = 0; y < size; y++) {
        for (SInt32 x = 0; x < size; x++) {
            UInt8 index = 0;
            if (width > 0 && height > 0) {
                SInt32 sx = x * width / size, sy = y * height / size;
                if (OrvaColorIconMasked(bytes, icon, sx, sy)) {
                    SInt32 entry = OrvaColorIconIndex(bytes, icon, sx, sy);
                    RGBColor rgb = OrvaColorIconEntry(bytes, icon, entry < icon->colorCount ? entry : 0);
                    index = UInt8(CvtRGBEnIndexProche(&rgb));
                }
            }
            out[y * size + x] = index;
        }
    }
}

}  // namespace
