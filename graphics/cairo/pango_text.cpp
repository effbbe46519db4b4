// Text on pango: every run the library measures or draws is turned into UTF-8 by the text rule
// of its font, laid out by pango in the port's font, size and face, and measured or painted on
// the port's cairo context at the pen. A layout lives for one run.
#include "graphics/cairo/pango_text.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/cairo/dirty_areas.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "platform/core/text_encodings.h"

namespace {

enum : SInt32 {
    kUTF8PerUnit = 3,           // most UTF-8 bytes one byte or UTF-16 unit of a run can give
    kStackRunBytes = 1024,      // runs whose UTF-8 fits here need no allocation
    kControlLimit = 32,         // characters below this cut a run and are neither drawn nor measured
    kShadowGreyLimit = 1535,
};

const UInt16 kSymbolPage = 0xF000;
const double kPrintShadowGrey = 51199.0 / 65535.0;

// The UTF-8 of one run: in the stack buffer when it fits, else in a pointer of its own.
struct UTF8RunRecord {
    char stack[kStackRunBytes];
    char *bytes;
    SInt32 length;
};

}  // namespace

static Boolean ConvertRun(const void *text, SInt32 length, Boolean isUnicode, UInt16 fontID, UTF8RunRecord *run);
static void FreeRun(UTF8RunRecord *run);
static SInt32 PutUTF8(UInt32 code, char *out);
static SInt32 UnicodeRunToUTF8(const UniChar *text, SInt32 length, Boolean symbolPage, char *out);
static Boolean IsSymbolFont(UInt16 fontID);
static PangoFontDescription *NewDescription(UInt16 fontID, UInt8 face, SInt32 size);
static void AddFaceAttributes(PangoLayout *layout, UInt8 face, SInt32 size);
static double ShadowOffset(SInt32 size);
static void ShadowColour(const RGBColor *back, double rgb[3]);
static SInt32 PositiveSize(SInt32 size);
static float NormalAngle(float degrees);
static void PaintRun(GrafPtr port, PangoLayout *layout, SInt32 width, float angle);
static void AddRunDirtyArea(GrafPtr port, PangoLayout *layout, SInt32 width, SInt32 wholeAngle);
static void AdvancePen(GrafPtr port, SInt32 width, float angle);
static SInt16 ClampCoordinate(double v);
static SInt32 PieceEnd(const void *text, SInt32 start, SInt32 end, Boolean isUnicode, Boolean control);
static const void *UnitAt(const void *text, SInt32 index, Boolean isUnicode);

SInt16 OrvaTextWidth(const void *text, SInt32 offset, SInt32 length, Boolean isUnicode) {
    if (!text || offset < 0 || length <= 0) return 0;
    if (isUnicode) OrvaFixeRLSelonTexte((const UniChar *)text + offset);
    SInt32 total = 0;
    SInt32 end = offset + length;
    for (SInt32 start = offset; start < end && total < kTextWidthMax;) {
        SInt32 pieceEnd = PieceEnd(text, start, end, isUnicode, false);
        if (pieceEnd > start) total += SystemDependantTextWidth(UnitAt(text, start, isUnicode), pieceEnd - start, isUnicode);
        start = PieceEnd(text, pieceEnd, end, isUnicode, true);
    }
    if (isUnicode) OrvaFixeScriptRL(0);
    return SInt16(std::min<SInt32>(total, kTextWidthMax));
}

SInt16 OrvaPortTextWidth(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode) {
    GrafPtr saved = qd.thePort;
    SetPort(port);
    SInt16 width = OrvaTextWidth(text, offset, length, isUnicode);
    SetPort(saved);
    return width;
}

void OrvaDrawText(const void *text, SInt32 offset, SInt32 length, Boolean isUnicode) {
    if (!text || offset < 0 || length <= 0) return;
    if (isUnicode) OrvaFixeRLSelonTexte((const UniChar *)text + offset);
    SInt32 end = offset + length;
    for (SInt32 start = offset; start < end;) {
        SInt32 pieceEnd = PieceEnd(text, start, end, isUnicode, false);
        if (pieceEnd > start) SystemDependantDrawText(UnitAt(text, start, isUnicode), pieceEnd - start, isUnicode);
        start = PieceEnd(text, pieceEnd, end, isUnicode, true);
    }
    if (isUnicode) OrvaFixeScriptRL(0);
}

void OrvaPortDrawText(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode) {
    GrafPtr saved = qd.thePort;
    SetPort(port);
    OrvaDrawText(text, offset, length, isUnicode);
    SetPort(saved);
}

void OrvaPortDrawClippedText(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode,
                             float angle) {
    if (!port) return;
    GrafPtr saved = qd.thePort;
    SetPort(port);
    OrvaRecalculeRgnClip();
    Handle clip = SystemDependantConvertRgn(OrvaRgnClip);
    SystemDependantSetRgnClip(port, clip);
    float previous = OrvaGetFontAngle();
    OrvaSetFontAngle(angle);
    OrvaDrawText(text, offset, length, isUnicode);
    OrvaSetFontAngle(previous);
    SystemDependantSetRgnClip(port, nullptr);
    SystemDependantFreeRgn(clip);
    SetPort(saved);
}

void OrvaGetFontInfo(UInt16 fontID, SInt16 size, FontInfo *info) {
    if (!info) return;
    if (SystemDependantGetFontInfo(fontID, size, info)) return;
    const OrvaFontStruct *font = OrvaGetFontStructFromID(fontID);
    if (!font) font = OrvaGetFontStructFromID(0);
    if (!font) {
        info->ascent = info->descent = info->widMax = info->leading = 0;
        return;
    }
    SInt64 s = PositiveSize(size);
    auto scaled = [s](SInt32 perMille) { return SInt16(std::clamp<SInt64>(s * perMille / 1000, -32768, 32767)); };
    info->ascent = scaled(font->ascent);
    info->descent = scaled(font->descent);
    info->leading = scaled(font->leading);
    if (info->leading < 1 && font->leading != 0) info->leading = 1;
}

Boolean SystemDependantGetFontInfo(UInt16, SInt16, FontInfo *) { return false; }

SInt16 SystemDependantTextWidth(const void *text, SInt32 length, Boolean isUnicode) {
    GrafPtr port = qd.thePort;
    if (!port || !port->context || !text || length <= 0) return 0;
    UTF8RunRecord run;
    if (!ConvertRun(text, length, isUnicode, UInt16(port->txFont), &run)) return 0;
    PangoLayout *layout = OrvaNewTextLayout(port->context, UInt16(port->txFont), port->txFace, port->txSize);
    Rect bounds;
    GTKGetTextBounds(layout, run.bytes, run.length, &bounds);
    g_object_unref(layout);
    FreeRun(&run);
    return std::max<SInt16>(bounds.right, 0);
}

void SystemDependantDrawText(const void *text, SInt32 length, Boolean isUnicode) {
    float angle = NormalAngle(OrvaGetFontAngle());
    GrafPtr port = qd.thePort;
    if (!port || !port->context || !text || length <= 0) return;
    UTF8RunRecord run;
    if (!ConvertRun(text, length, isUnicode, UInt16(port->txFont), &run)) return;
    PangoLayout *layout = OrvaNewTextLayout(port->context, UInt16(port->txFont), port->txFace, port->txSize);
    Rect bounds;
    GTKGetTextBounds(layout, run.bytes, run.length, &bounds);
    SInt32 width = std::max<SInt32>(bounds.right, 0);
    // A hidden pen or a recording port still moves the pen by the width.
    if (port->pnVis >= 0 && !port->picSave && width >= 1) PaintRun(port, layout, width, angle);
    AdvancePen(port, width, angle);
    g_object_unref(layout);
    FreeRun(&run);
}

void GTKGetTextBounds(PangoLayout *layout, const char *utf8, SInt32 byteLength, Rect *bounds) {
    *bounds = Rect{0, 0, 0, 0};
    if (!layout) return;
    pango_layout_set_text(layout, utf8 ? utf8 : "", utf8 ? byteLength : 0);
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    int baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
    bounds->top = ClampCoordinate(-baseline);
    bounds->left = 0;
    bounds->bottom = ClampCoordinate(height - baseline);
    bounds->right = ClampCoordinate(width);
}

// Shows layout with its top-left at (x, top): the shadow face first, offset by d in the shadow
// colour, then the outline face as the back colour stroked in the fore colour, or plain text in
// the fore colour.
static void ShowFacedLayout(cairo_t *cr, PangoLayout *layout, double x, double top, UInt8 face, double d,
                            const double shadow[3], const RGBColor &back, const RGBColor &fore) {
    cairo_set_line_width(cr, 1.0);
    if (face & kFaceShadow) {
        cairo_set_source_rgb(cr, shadow[0], shadow[1], shadow[2]);
        cairo_move_to(cr, x + d, top + d);
        if (face & kFaceOutline) {
            pango_cairo_layout_path(cr, layout);
            cairo_stroke(cr);
        } else {
            pango_cairo_show_layout(cr, layout);
        }
    }
    cairo_move_to(cr, x, top);
    if (face & kFaceOutline) {
        cairo_set_source_rgb(cr, back.red / 65535.0, back.green / 65535.0, back.blue / 65535.0);
        pango_cairo_show_layout(cr, layout);
        cairo_move_to(cr, x, top);
        pango_cairo_layout_path(cr, layout);
        cairo_set_source_rgb(cr, fore.red / 65535.0, fore.green / 65535.0, fore.blue / 65535.0);
        cairo_stroke(cr);
    } else {
        cairo_set_source_rgb(cr, fore.red / 65535.0, fore.green / 65535.0, fore.blue / 65535.0);
        pango_cairo_show_layout(cr, layout);
    }
}

void SystemDependantPrintText(cairo_t *context, const void *text, SInt32 offset, SInt32 length, double x, double y,
                              UInt16 fontID, UInt8 face, float size, const RGBColor *colour, float angle,
                              Boolean isUnicode) {
    if (!context || !text || offset < 0 || length <= 0) return;
    SInt32 count = 0;
    EncodedStr utf8 = isUnicode ? nullptr : MacRomanTextToUTF(text, offset, length, &count);
    char *own = nullptr;
    if (isUnicode) {
        own = (char *)NewPtr(UInt32(length) * kUTF8PerUnit + 1);
        if (own) count = UnicodeRunToUTF8((const UniChar *)text + offset, length, false, own);
    }
    const char *bytes = isUnicode ? own : utf8;
    SInt32 whole = SInt32(NormalAngle(angle));
    SInt32 pixels = std::isfinite(size) && size >= 1.0f && size < 32768.0f ? SInt32(size) : kTextDefaultSize;
    PangoLayout *layout = bytes ? OrvaNewTextLayout(context, fontID, face, pixels) : nullptr;
    if (layout) {
        pango_layout_set_text(layout, bytes, count);
        double baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
        double d = ShadowOffset(pixels);
        RGBColor black = {0, 0, 0};
        const RGBColor &c = colour ? *colour : black;
        cairo_save(context);
        if (whole != 0) {
            cairo_translate(context, x, y);
            cairo_rotate(context, -whole * M_PI / 180.0);
            x = y = 0;
        }
        const double shadow[3] = {kPrintShadowGrey, kPrintShadowGrey, kPrintShadowGrey};
        const RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
        ShowFacedLayout(context, layout, x, y - baseline, face, d, shadow, white, c);
        cairo_restore(context);
        g_object_unref(layout);
    }
    if (utf8) DisposeEncodedStr(utf8);
    if (own) DisposPtr(own);
}

Boolean SystemDependantCanAntialiasFonts() { return true; }

void SystemDependantForceFixeFonte() {}

void OrvaSetTextContextOptions(PangoContext *context) {
    static cairo_font_options_t *options = nullptr;
    if (!options) {
        options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    }
    if (context) pango_cairo_context_set_font_options(context, options);
}

PangoLayout *OrvaNewTextLayout(cairo_t *context, UInt16 fontID, UInt8 face, SInt32 size) {
    if (!context) return nullptr;
    PangoLayout *layout = pango_cairo_create_layout(context);
    OrvaSetTextContextOptions(pango_layout_get_context(layout));
    pango_layout_context_changed(layout);
    PangoFontDescription *description = NewDescription(fontID, face, size);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    AddFaceAttributes(layout, face, size);
    return layout;
}

SInt32 OrvaTextRunToUTF8(const void *text, SInt32 length, Boolean isUnicode, UInt16 fontID, char *out,
                         SInt32 capacity) {
    if (!text || length <= 0 || !out || capacity < length * kUTF8PerUnit) return 0;
    if (isUnicode) return UnicodeRunToUTF8((const UniChar *)text, length, IsSymbolFont(fontID), out);
    const UInt8 *bytes = (const UInt8 *)text;
    if (OrvaGetFontTranscoding(fontID)) {
        // MacRoman's lower half is ASCII: such runs need no conversion.
        Boolean japanese = IsCurrentLanguageJaponais();
        SInt32 ascii = 0;
        while (!japanese && ascii < length && bytes[ascii] < 0x80) ascii++;
        if (ascii == length) {
            std::memcpy(out, bytes, size_t(length));
            return length;
        }
        SInt32 count = 0;
        EncodedStr converted = japanese ? ShiftJisTextToUTF(bytes, 0, length, &count)
                                        : MacRomanTextToUTF(bytes, 0, length, &count);
        count = std::min(count, capacity);
        if (converted) std::memcpy(out, converted, size_t(count));
        DisposeEncodedStr(converted);
        return converted ? count : 0;
    }
    // A text font reads its bytes as Latin-1, a symbol font from the U+F000 page.
    UInt32 base = IsSymbolFont(fontID) ? kSymbolPage : 0;
    SInt32 written = 0;
    for (SInt32 i = 0; i < length; i++) written += PutUTF8(bytes[i] | base, out + written);
    return written;
}

// ---- conversion -------------------------------------------------------------------------------

static Boolean ConvertRun(const void *text, SInt32 length, Boolean isUnicode, UInt16 fontID, UTF8RunRecord *run) {
    SInt64 capacity = SInt64(length) * kUTF8PerUnit;
    run->bytes = run->stack;
    if (capacity > kStackRunBytes) {
        run->bytes = capacity < 0x7FFFFFFF ? (char *)NewPtr(UInt32(capacity)) : nullptr;
        if (!run->bytes) return false;
    }
    run->length = OrvaTextRunToUTF8(text, length, isUnicode, fontID, run->bytes, SInt32(capacity));
    if (run->length > 0) return true;
    FreeRun(run);
    return false;
}

static void FreeRun(UTF8RunRecord *run) {
    if (run->bytes && run->bytes != run->stack) DisposPtr(run->bytes);
    run->bytes = nullptr;
}

static SInt32 PutUTF8(UInt32 code, char *out) {
    UInt8 *o = (UInt8 *)out;
    if (code < 0x80) {
        o[0] = UInt8(code);
        return 1;
    }
    if (code < 0x800) {
        o[0] = UInt8(0xC0 | (code >> 6));
        o[1] = UInt8(0x80 | (code & 0x3F));
        return 2;
    }
    if (code < 0x10000) {
        o[0] = UInt8(0xE0 | (code >> 12));
        o[1] = UInt8(0x80 | ((code >> 6) & 0x3F));
        o[2] = UInt8(0x80 | (code & 0x3F));
        return 3;
    }
    o[0] = UInt8(0xF0 | (code >> 18));
    o[1] = UInt8(0x80 | ((code >> 12) & 0x3F));
    o[2] = UInt8(0x80 | ((code >> 6) & 0x3F));
    o[3] = UInt8(0x80 | (code & 0x3F));
    return 4;
}

// UTF-16 to UTF-8 on a copy of each unit: in a symbol font every unit above 127 is read from
// the U+F000 page. A valid surrogate pair becomes its character; a lone surrogate becomes '?'.
static SInt32 UnicodeRunToUTF8(const UniChar *text, SInt32 length, Boolean symbolPage, char *out) {
    SInt32 written = 0;
    for (SInt32 i = 0; i < length; i++) {
        UInt32 unit = text[i];
        if (symbolPage && unit > 127) unit |= kSymbolPage;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            i++;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            unit = '?';
        }
        written += PutUTF8(unit, out + written);
    }
    return written;
}

static Boolean IsSymbolFont(UInt16 fontID) {
    const OrvaFontStruct *font = OrvaGetFontStructFromID(fontID);
    return font && font->transcoding == 0;
}

// ---- layout -----------------------------------------------------------------------------------

// The family is set as a name, never parsed: a family name ending in a style word or a number
// would otherwise lose those words to the style and size.
static PangoFontDescription *NewDescription(UInt16 fontID, UInt8 face, SInt32 size) {
    PangoFontDescription *description = pango_font_description_new();
    pango_font_description_set_family(description, OrvaGetFontNameFromID(fontID));
    pango_font_description_set_weight(description, (face & kFaceBold) ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(description, (face & kFaceItalic) ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    UInt8 stretch = face & (kFaceCondense | kFaceExtend);
    pango_font_description_set_stretch(description, stretch == kFaceCondense ? PANGO_STRETCH_CONDENSED
                                                    : stretch == kFaceExtend ? PANGO_STRETCH_EXPANDED
                                                                             : PANGO_STRETCH_NORMAL);
    pango_font_description_set_absolute_size(description, double(PositiveSize(size)) * PANGO_SCALE);
    return description;
}

// Underline over the whole text; the shadow's letter spacing is the bare count in pango units.
static void AddFaceAttributes(PangoLayout *layout, UInt8 face, SInt32 size) {
    if (!(face & (kFaceUnderline | kFaceShadow))) return;
    PangoAttrList *list = pango_attr_list_new();
    if (face & kFaceUnderline) {
        PangoAttribute *underline = pango_attr_underline_new(PANGO_UNDERLINE_SINGLE);
        underline->start_index = 0;
        underline->end_index = 0x7FFFFFFF;
        pango_attr_list_insert(list, underline);
    }
    if (face & kFaceShadow) {
        PangoAttribute *spacing = pango_attr_letter_spacing_new(std::max<SInt32>(1, (PositiveSize(size) + 8) / 16));
        spacing->start_index = 0;
        spacing->end_index = 0x7FFFFFFF;
        pango_attr_list_insert(list, spacing);
    }
    pango_layout_set_attributes(layout, list);
    pango_attr_list_unref(list);
}

static double ShadowOffset(SInt32 size) { return size != 0 ? std::max<SInt32>(1, (PositiveSize(size) + 8) / 16) : 1.0; }

static void ShadowColour(const RGBColor *back, double rgb[3]) {
    UInt32 r = back->red, g = back->green, b = back->blue;
    if (r > kShadowGreyLimit || g > kShadowGreyLimit || b > kShadowGreyLimit) {
        r = (r * 200) >> 8;
        g = (g * 200) >> 8;
        b = (b * 200) >> 8;
    } else {
        r *= 4;
        g *= 2;
        if (r <= kShadowGreyLimit && g <= kShadowGreyLimit) r = g = b = kShadowGreyLimit + 1;
    }
    rgb[0] = r / 65535.0;
    rgb[1] = g / 65535.0;
    rgb[2] = b / 65535.0;
}

static SInt32 PositiveSize(SInt32 size) { return size > 0 ? size : kTextDefaultSize; }

// Any angle: non-finite ones count as 0, others are brought into (-360, 360).
static float NormalAngle(float degrees) { return std::isfinite(degrees) ? std::fmod(degrees, 360.0f) : 0.0f; }

// ---- painting ---------------------------------------------------------------------------------

static void PaintRun(GrafPtr port, PangoLayout *layout, SInt32 width, float angle) {
    OrvaRecalculeRgnClip();
    Handle clip = SystemDependantConvertRgn(OrvaRgnClip);
    SystemDependantSetRgnClip(port, clip);
    cairo_t *cr = port->context;
    SInt32 marginH = port->systemDraw ? 0 : port->marginLeft, marginV = port->systemDraw ? 0 : port->marginTop;
    double x = double(port->pnLoc.h) + marginH - port->portBits.bounds.left;
    double y = double(port->pnLoc.v) + marginV - port->portBits.bounds.top;
    double baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
    SInt32 whole = SInt32(angle);
    UInt8 face = port->txFace;
    const RGBColor &fore = port->rgbFgColor, &back = port->rgbBkColor;
    cairo_save(cr);
    if (whole != 0) {
        cairo_translate(cr, x, y);
        cairo_rotate(cr, -whole * M_PI / 180.0);
        x = y = 0;
    }
    double rgb[3];
    ShadowColour(&back, rgb);
    ShowFacedLayout(cr, layout, x, y - baseline, face, ShadowOffset(port->txSize), rgb, back, fore);
    cairo_restore(cr);
    cairo_surface_flush(cairo_get_target(cr));
    AddRunDirtyArea(port, layout, width, whole);
    SystemDependantSetRgnClip(port, nullptr);
    SystemDependantFreeRgn(clip);
}

// The changed area: the run's box (its ink and logical extents together, with the shadow's
// offset and the outline's stroke), turned with the text about the pen, widened by a pixel
// when turned, cut to the effective clip.
static void AddRunDirtyArea(GrafPtr port, PangoLayout *layout, SInt32 width, SInt32 wholeAngle) {
    PangoRectangle ink, logical;
    pango_layout_get_pixel_extents(layout, &ink, &logical);
    double baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
    double left = std::min(0, ink.x), right = std::max<double>(width, ink.x + ink.width);
    double top = std::min(-baseline, ink.y - baseline);
    double bottom = std::max(logical.height - baseline, ink.y + ink.height - baseline);
    UInt8 face = port->txFace;
    if (face & kFaceShadow) {
        right += ShadowOffset(port->txSize);
        bottom += ShadowOffset(port->txSize);
    }
    if (face & kFaceOutline) {
        left -= 1;
        top -= 1;
        right += 1;
        bottom += 1;
    }
    if (wholeAngle != 0) {
        double a = wholeAngle * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
        const double xs[4] = {left, right, left, right}, ys[4] = {top, top, bottom, bottom};
        double minX = 1e300, minY = 1e300, maxX = -1e300, maxY = -1e300;
        for (int i = 0; i < 4; i++) {
            // The context turned by -angle: (x, y) goes to (x cos + y sin, -x sin + y cos).
            double rx = xs[i] * c + ys[i] * s, ry = -xs[i] * s + ys[i] * c;
            minX = std::min(minX, rx);
            maxX = std::max(maxX, rx);
            minY = std::min(minY, ry);
            maxY = std::max(maxY, ry);
        }
        left = std::floor(minX) - 1;
        top = std::floor(minY) - 1;
        right = std::ceil(maxX) + 1;
        bottom = std::ceil(maxY) + 1;
    }
    double h = double(port->pnLoc.h) - port->portBits.bounds.left, v = double(port->pnLoc.v) - port->portBits.bounds.top;
    Rect area = {ClampCoordinate(std::floor(v + top)), ClampCoordinate(std::floor(h + left)),
                 ClampCoordinate(std::ceil(v + bottom)), ClampCoordinate(std::ceil(h + right))};
    if (OrvaRgnClip) {
        const Rect &box = (*OrvaRgnClip)->rgnBBox;
        area.top = std::max(area.top, box.top);
        area.left = std::max(area.left, box.left);
        area.bottom = std::min(area.bottom, box.bottom);
        area.right = std::min(area.right, box.right);
    }
    if (area.right > area.left && area.bottom > area.top)
        OrvaAddDirtyRect(area.left, area.top, SInt16(area.right - 1), SInt16(area.bottom - 1));
}

static void AdvancePen(GrafPtr port, SInt32 width, float angle) {
    if (angle == 0.0f) {
        port->pnLoc.h = ClampCoordinate(double(port->pnLoc.h) + width);
        return;
    }
    double a = angle * M_PI / 180.0;
    port->pnLoc.h = ClampCoordinate(port->pnLoc.h + std::round(width * std::cos(a)));
    port->pnLoc.v = ClampCoordinate(port->pnLoc.v - std::round(width * std::sin(a)));
}

static SInt16 ClampCoordinate(double v) { return SInt16(std::clamp(v, -32768.0, 32767.0)); }

// ---- pieces -----------------------------------------------------------------------------------

// From start, the end of the stretch of units that are (control) or are not control characters.
static SInt32 PieceEnd(const void *text, SInt32 start, SInt32 end, Boolean isUnicode, Boolean control) {
    SInt32 i = start;
    if (isUnicode) {
        const UniChar *units = (const UniChar *)text;
        while (i < end && (units[i] < kControlLimit) == control) i++;
    } else {
        const UInt8 *bytes = (const UInt8 *)text;
        while (i < end && (bytes[i] < kControlLimit) == control) i++;
    }
    return i;
}

static const void *UnitAt(const void *text, SInt32 index, Boolean isUnicode) {
    return isUnicode ? (const void *)((const UniChar *)text + index) : (const void *)((const UInt8 *)text + index);
}
