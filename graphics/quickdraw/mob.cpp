// Mob blocks: pixel-map sampling with its colour conversion and dithering, bitmap glyphs with
// their face passes, and the painting of blocks run by run.
#include "graphics/quickdraw/mob.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"

namespace {

// What saisie_point_pixmap samples, with the dithering memory. Main thread only.
struct PixmapSamplingRecord {
    const UInt8 *pix_adr;           // first row
    SInt32 pix_rowbyte;
    SInt16 pix_taille;              // bits per pixel
    UInt8 conversion[256];          // source value to colour index
    RGBColor OrvaRGBSource[256];    // source value to colour
    Boolean dithering;
    std::vector<SInt32> errors;     // three components a column, grown to the widest row sampled
    const UInt8 *row;               // the last row sampled
    SInt32 lastRow, lastColumn;
};
PixmapSamplingRecord gSampling = {nullptr, 0, 1, {0}, {}, false, {}, nullptr, -1, -1};

// The glyph saisie_point_car reads, and the buffers that blocks live in.
struct GlyphStateRecord {
    const UInt8 *strike;
    SInt32 rowBytes, rows;
    SInt32 left, right;             // bit columns of the glyph in the strike
    BitmapFontLoaderProc loader;
    Fixed spaceFraction;            // the part of spExtra the last spaces did not use
    std::vector<UInt8> block;       // the block fabrique_mob made last
    std::vector<UInt8> glyph;       // the block of OrvaCalculeBitmapCar
};
GlyphStateRecord gGlyph;

enum : SInt32 { kNoErrorDark = 513, kNoErrorLight = 65024, kUnderlineGap = 1 };
enum : UInt8 { kFaceBold = 1, kFaceItalic = 2, kFaceUnderline = 4, kFaceOutline = 8, kFaceShadow = 16 };

}  // namespace

static UInt8 SourceValue(SInt32 h);
static UInt8 Dither(SInt32 h, UInt8 value);
static void ApplyFace(UInt8 face, SInt32 *width, SInt32 *height, SInt32 baseline, SInt32 advance, UInt8 inside);
static void Outline(std::vector<UInt8> &g, SInt32 width, SInt32 height, UInt8 inside);

void OrvaSetPixmapSource(const void *base, SInt32 rowBytes, SInt16 depth) {
    gSampling.pix_adr = (const UInt8 *)base;
    gSampling.pix_rowbyte = rowBytes;
    gSampling.pix_taille = depth;
    gSampling.row = nullptr;
    gSampling.lastRow = gSampling.lastColumn = -1;
}

void OrvaSetDithering(Boolean on) { gSampling.dithering = on; }

void calcule_lut(CTabHandle table) {
    if (!table || !*table) {
        // A 1-bit source: a clear bit is white, a set bit black, whatever order the table has.
        const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF}, black = {0, 0, 0};
        gSampling.conversion[0] = UInt8(Color2Index(&white));
        gSampling.conversion[1] = UInt8(Color2Index(&black));
        gSampling.OrvaRGBSource[0] = white;
        gSampling.OrvaRGBSource[1] = black;
        return;
    }
    RGBColor black = {0, 0, 0};
    std::memset(gSampling.conversion, UInt8(Color2Index(&black)), sizeof gSampling.conversion);
    SInt32 held = SInt32((GetHandleSize((Handle)table) - offsetof(ColorTable, ctTable)) / sizeof(ColorSpec));
    SInt32 entries = std::min<SInt32>(std::min<SInt32>((*table)->ctSize + 1, held), 256);
    for (SInt32 i = 0; i < entries; i++) {
        ColorSpec spec = (*table)->ctTable[i];
        SInt32 index = spec.value >= 0 && spec.value < 256 ? spec.value : i;
        gSampling.OrvaRGBSource[index] = spec.rgb;
        gSampling.conversion[index] = UInt8(Color2Index(&spec.rgb));
    }
}

UInt8 saisie_point_pixmap(SInt32 h, SInt32 v) {
    PixmapSamplingRecord &s = gSampling;
    if (!s.pix_adr || h < 0 || v < 0) return s.conversion[0];
    if (v != s.lastRow || !s.row) {
        s.row = s.pix_adr + SInt64(v) * s.pix_rowbyte;
        if (s.dithering && v != s.lastRow + 1) std::fill(s.errors.begin(), s.errors.end(), 0);
        s.lastRow = v;
    }
    UInt8 value = SourceValue(h);
    UInt8 answer = s.dithering ? Dither(h, value) : s.conversion[value];
    s.lastColumn = h;
    return answer;
}

UInt8 saisie_point_car(SInt32 h, SInt32 v) {
    const GlyphStateRecord &g = gGlyph;
    if (!g.strike || v < 0 || v >= g.rows || h < g.left || h >= g.right || h >= g.rowBytes * 8) return kMobTransparent;
    return (g.strike[SInt64(v) * g.rowBytes + h / 8] & (0x80 >> (h % 8))) ? kMobInk : kMobTransparent;
}

UInt8 *fabrique_mob(const Rect *source, SInt32 width, SInt32 height, MobReaderProc reader, UInt8 background,
                    Boolean scale) {
    if (!source || !reader || width <= 0 || height <= 0 || SInt64(width) * height > (1 << 26)) return nullptr;
    std::vector<UInt8> &block = gGlyph.block;
    block.assign(size_t(width) * size_t(height), background);
    SInt64 sourceWidth = SInt64(source->right) - source->left, sourceHeight = SInt64(source->bottom) - source->top;
    for (SInt32 y = 0; y < height; y++) {
        if (!scale && y >= sourceHeight) break;
        SInt32 sy = SInt32(source->top + (scale ? SInt64(y) * sourceHeight / height : y));
        for (SInt32 x = 0; x < width; x++) {
            if (!scale && x >= sourceWidth) break;
            SInt32 sx = SInt32(source->left + (scale ? SInt64(x) * sourceWidth / width : x));
            block[size_t(y) * size_t(width) + size_t(x)] = reader(sx, sy);
        }
    }
    return block.data();
}

void transfere_mob(const UInt8 *block, SInt32 width, SInt32 height, UInt8 transparent, SInt16 h, SInt16 v) {
    GrafPtr port = qd.thePort;
    if (!port || !block || width <= 0 || height <= 0) return;
    OrvaPenAndColorState saved;
    OrvaBeginVerb(kVerbBlackCopy, &saved);
    const Rect &bounds = port->portBits.bounds;
    for (SInt32 y = 0; y < height; y++) {
        const UInt8 *row = block + SInt64(y) * width;
        for (SInt32 x = 0; x < width;) {
            SInt32 end = x;
            while (end + 1 < width && row[end + 1] == row[x]) end++;
            if (row[x] != transparent) {
                port->forePixel = row[x];
                Index2Color(row[x], &port->rgbFgColor);
                SInt32 left = SInt32(h) + x - bounds.left, top = SInt32(v) + y - bounds.top;
                trace_rect_clip(left, top, left + end - x, top);
            }
            x = end + 1;
        }
    }
    OrvaEndVerb(&saved);
}

void OrvaSetBitmapFontLoader(BitmapFontLoaderProc loader) { gGlyph.loader = loader; }

void OrvaResetSpaceFraction() { gGlyph.spaceFraction = 0; }

UInt8 *OrvaCalculeBitmapCar(UInt8 character, SInt16 font, SInt16 size, UInt8 face, SInt32 *width, SInt32 *height,
                            SInt32 *originH, SInt32 *originV, SInt32 *advance) {
    SInt32 *outs[] = {width, height, originH, originV, advance};
    for (SInt32 *out : outs)
        if (out) *out = 0;
    OrvaBitmapFontRecord f;
    if (!gGlyph.loader || !gGlyph.loader(font, size, face, &f) || !f.strike || !f.locTable || !f.owTable ||
        f.lastChar < f.firstChar || f.fRectHeight <= 0 || f.rowWords <= 0)
        return nullptr;
    SInt32 missing = f.lastChar - f.firstChar + 1;
    SInt32 index = SInt32(character) - f.firstChar;
    if (index < 0 || index >= missing || f.owTable[index] == -1 || (f.owTable[index] & 0xFF) == 0xFF) index = missing;
    if (f.owTable[index] == -1) return nullptr;
    SInt32 left = f.locTable[index], right = f.locTable[index + 1];
    SInt32 glyphWidth = std::max<SInt32>(0, right - left), rows = f.fRectHeight;
    SInt32 offset = SInt8(UInt8(UInt16(f.owTable[index]) >> 8)), step = f.owTable[index] & 0xFF, ascent = f.ascent;
    Boolean scaled = f.designSize > 0 && size > 0 && size != f.designSize;
    SInt32 blockWidth = glyphWidth, blockHeight = rows;
    if (scaled) {
        auto scale = [&](SInt32 v) { return SInt32(SInt64(v) * size / f.designSize); };
        blockWidth = scale(glyphWidth) + 1;
        blockHeight = scale(rows) + 1;
        offset = scale(offset);
        step = scale(step);
        ascent = scale(ascent);
    }
    if (character == ' ' && qd.thePort) {
        Fixed total = qd.thePort->spExtra + gGlyph.spaceFraction;
        step += total >> 16;
        gGlyph.spaceFraction = total & 0xFFFF;
    } else {
        step += ((face & kFaceBold) ? 1 : 0) + ((face & kFaceOutline) ? 1 : 0) + ((face & kFaceShadow) ? 2 : 0);
    }
    gGlyph.strike = f.strike;
    gGlyph.rowBytes = 2 * f.rowWords;
    gGlyph.rows = rows;
    gGlyph.left = left;
    gGlyph.right = right;
    std::vector<UInt8> &g = gGlyph.glyph;
    g.clear();
    if (glyphWidth > 0) {
        Rect source = {0, SInt16(left), SInt16(rows), SInt16(right)};
        if (!fabrique_mob(&source, blockWidth, blockHeight, saisie_point_car, kMobTransparent, scaled)) return nullptr;
        g = gGlyph.block;
    } else {
        blockWidth = 0;
    }
    UInt8 inside = UInt8(qd.thePort ? qd.thePort->backPixel : 0);
    ApplyFace(face, &blockWidth, &blockHeight, ascent, step, inside);
    if (g.empty()) return nullptr;
    if (width) *width = blockWidth;
    if (height) *height = blockHeight;
    if (originH) *originH = offset;
    if (originV) *originV = -ascent;
    if (advance) *advance = step;
    return g.data();
}

// The source value of column h on the current row.
static UInt8 SourceValue(SInt32 h) {
    const PixmapSamplingRecord &s = gSampling;
    SInt32 depth = s.pix_taille;
    if (depth == 8) return s.row[h];
    if (depth == 1) return (s.row[h / 8] & (0x80 >> (h % 8))) ? 1 : 0;
    if (depth == 2 || depth == 4) {
        SInt64 bit = SInt64(h) * depth;
        return UInt8((s.row[bit / 8] >> (8 - bit % 8 - depth)) & ((1 << depth) - 1));
    }
    return 0;
}

// The wanted colour is the source colour plus half the error left in this column and half the
// error of the column just sampled to its left; the error row grows with the widest row met.
static UInt8 Dither(SInt32 h, UInt8 value) {
    PixmapSamplingRecord &s = gSampling;
    if (s.errors.size() < size_t(h + 1) * 3) s.errors.resize(size_t(h + 1) * 3, 0);
    const RGBColor &source = s.OrvaRGBSource[value];
    Boolean dark = source.red < kNoErrorDark && source.green < kNoErrorDark && source.blue < kNoErrorDark;
    Boolean light = source.red >= kNoErrorLight && source.green >= kNoErrorLight && source.blue >= kNoErrorLight;
    SInt32 *error = &s.errors[size_t(h) * 3];
    const UInt16 components[3] = {source.red, source.green, source.blue};
    SInt32 wanted[3];
    for (SInt32 k = 0; k < 3; k++) {
        SInt32 c = components[k];
        if (!dark && !light) {
            c += error[k] / 2;
            if (h > 0 && h == s.lastColumn + 1) c += error[k - 3] / 2;
        }
        wanted[k] = std::min<SInt32>(std::max<SInt32>(c, 0), 65535);
    }
    RGBColor color = {UInt16(wanted[0]), UInt16(wanted[1]), UInt16(wanted[2])}, got;
    UInt8 answer = UInt8(Color2Index(&color));
    Index2Color(answer, &got);
    error[0] = wanted[0] - got.red;
    error[1] = wanted[1] - got.green;
    error[2] = wanted[2] - got.blue;
    return answer;
}

// The face passes on the glyph block: bold spreads ink one pixel right, italic shears the rows
// above the bottom right by a quarter of their height, outline keeps the edge of the ink and
// leaves its inside in the background index, shadow adds the outline moved one pixel down and
// right, underline draws the row below the baseline across the advance with a gap beside
// descenders.
static void ApplyFace(UInt8 face, SInt32 *width, SInt32 *height, SInt32 baseline, SInt32 advance, UInt8 inside) {
    std::vector<UInt8> &g = gGlyph.glyph;
    SInt32 w = *width, h = *height;
    auto grow = [&](SInt32 newWidth, SInt32 newHeight, SInt32 dx, SInt32 dy) {
        std::vector<UInt8> out(size_t(newWidth) * size_t(newHeight), kMobTransparent);
        for (SInt32 y = 0; y < h; y++)
            for (SInt32 x = 0; x < w; x++)
                out[size_t(y + dy) * size_t(newWidth) + size_t(x + dx)] = g[size_t(y) * size_t(w) + size_t(x)];
        g.swap(out);
        w = newWidth;
        h = newHeight;
    };
    if (!g.empty() && (face & kFaceBold)) {
        grow(w + 1, h, 0, 0);
        for (SInt32 y = 0; y < h; y++)
            for (SInt32 x = w - 1; x > 0; x--)
                if (g[size_t(y * w + x - 1)] == kMobInk) g[size_t(y * w + x)] = kMobInk;
    }
    if (!g.empty() && (face & kFaceItalic)) {
        SInt32 slant = (h - 1) / 4;
        grow(w + slant, h, 0, 0);
        for (SInt32 y = 0; y < h; y++) {
            SInt32 shift = (h - 1 - y) / 4;
            UInt8 *row = &g[size_t(y * w)];
            std::memmove(row + shift, row, size_t(w - shift));
            std::fill(row, row + shift, kMobTransparent);
        }
    }
    if (!g.empty() && (face & (kFaceOutline | kFaceShadow))) {
        grow(w + 2, h + 2, 1, 1);
        Outline(g, w, h, inside);
        if (face & kFaceShadow) {
            grow(w + 1, h + 1, 0, 0);
            for (SInt32 y = h - 1; y > 0; y--)
                for (SInt32 x = w - 1; x > 0; x--)
                    if (g[size_t((y - 1) * w + x - 1)] == kMobInk && g[size_t(y * w + x)] == kMobTransparent)
                        g[size_t(y * w + x)] = kMobInk;
        }
    }
    if ((face & kFaceUnderline) && advance > 0) {
        if (w < advance || h < baseline + 2) grow(std::max(w, advance), std::max(h, baseline + 2), 0, 0);
        SInt32 row = baseline + 1;
        for (SInt32 x = 0; x < advance; x++) {
            Boolean descender = false;
            for (SInt32 dx = -kUnderlineGap; dx <= kUnderlineGap; dx++) {
                SInt32 cx = x + dx;
                if (cx >= 0 && cx < w && g[size_t(row * w + cx)] == kMobInk) descender = true;
            }
            if (!descender) g[size_t(row * w + x)] = kMobInk;
        }
    }
    *width = w;
    *height = h;
}

// Ink stays only where it touches a pixel without ink; the rest of the ink becomes inside.
static void Outline(std::vector<UInt8> &g, SInt32 width, SInt32 height, UInt8 inside) {
    std::vector<UInt8> source = g;
    auto ink = [&](SInt32 x, SInt32 y) {
        return x >= 0 && y >= 0 && x < width && y < height && source[size_t(y * width + x)] == kMobInk;
    };
    for (SInt32 y = 0; y < height; y++)
        for (SInt32 x = 0; x < width; x++) {
            Boolean near = false;
            for (SInt32 dy = -1; dy <= 1; dy++)
                for (SInt32 dx = -1; dx <= 1; dx++) near = near || ink(x + dx, y + dy);
            if (ink(x, y)) g[size_t(y * width + x)] = inside;
            else if (near) g[size_t(y * width + x)] = kMobInk;
        }
}
