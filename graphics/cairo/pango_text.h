// Text on pango: 8-bit and UTF-16 runs measured and drawn in the current port's font, size and
// face on its cairo context (rotation, shadow, outline), the font metrics of the font table,
// and runs drawn on a printer's cairo context. No layout is kept between calls.
// Main thread only, as everything that touches cairo and pango.
#pragma once

#include "graphics/quickdraw/ports.h"

typedef struct _PangoLayout PangoLayout;
typedef struct _PangoContext PangoContext;

struct FontInfo {  // pixels at the size asked
    SInt16 ascent;
    SInt16 descent;
    SInt16 widMax;   // never written by OrvaGetFontInfo
    SInt16 leading;
};

// Face bits of a port's txFace.
enum : UInt8 {
    kFaceBold = 1,
    kFaceItalic = 2,
    kFaceUnderline = 4,
    kFaceOutline = 8,
    kFaceShadow = 16,
    kFaceCondense = 32,
    kFaceExtend = 64,
};

enum : SInt32 {
    kTextWidthMax = 32767,     // widths are capped here
    kTextDefaultSize = 12,     // a size of 0 (or below) means this
};

// Width in pixels of a run (UTF-16 when isUnicode, offset and length in units, else bytes),
// cut at every control character (below 32), capped at kTextWidthMax; 0 for length <= 0.
SInt16 OrvaTextWidth(const void *text, SInt32 offset, SInt32 length, Boolean isUnicode);
SInt16 OrvaPortTextWidth(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode);
// Draws a run at the pen and moves the pen by its width; control characters neither draw nor
// advance.
void OrvaDrawText(const void *text, SInt32 offset, SInt32 length, Boolean isUnicode);
void OrvaPortDrawText(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode);
// The drawing entry of DrawText and the UTF-16 calls: the effective clip set on the context and
// the font angle set to angle (degrees) for the call.
void OrvaPortDrawClippedText(GrafPtr port, const void *text, SInt32 offset, SInt32 length, Boolean isUnicode,
                             float angle);
// Ascent, descent and leading of a font at size (0 means 12) from the font table's metrics;
// unknown ids take font 0; with no font at all every field is 0. widMax is left alone.
void OrvaGetFontInfo(UInt16 fontID, SInt16 size, FontInfo *info);
Boolean SystemDependantGetFontInfo(UInt16 fontID, SInt16 size, FontInfo *info);  // false: use the table

// One run without control characters, in the current port.
SInt16 SystemDependantTextWidth(const void *text, SInt32 length, Boolean isUnicode);
void SystemDependantDrawText(const void *text, SInt32 length, Boolean isUnicode);
// Sets layout's text and answers its box relative to the baseline start: top -baseline, left 0,
// bottom height - baseline, right width. A null layout gives the empty Rect.
void GTKGetTextBounds(PangoLayout *layout, const char *utf8, SInt32 byteLength, Rect *bounds);
// Draws a run on a printer's context at (x, y), baseline-relative, in fontID, face, size
// (0 means 12) and colour, turned by angle degrees. MacRoman or UTF-16 text.
void SystemDependantPrintText(cairo_t *context, const void *text, SInt32 offset, SInt32 length, double x, double y,
                              UInt16 fontID, UInt8 face, float size, const RGBColor *colour, float angle,
                              Boolean isUnicode);
Boolean SystemDependantCanAntialiasFonts();  // true
void SystemDependantForceFixeFonte();        // nothing

// ---- Shared with the font list, the tools and the benchmarks --------------------------------
// Gives a pango context the text options of the whole library: grey antialiasing, no hinting,
// unhinted metrics, so that widths and ink agree and desktop settings do not leak in.
void OrvaSetTextContextOptions(PangoContext *context);
// A layout on context for fontID (by the font table's name), face and size in pixels (0 or
// below: 12), with the text options set. Caller releases it with g_object_unref.
PangoLayout *OrvaNewTextLayout(cairo_t *context, UInt16 fontID, UInt8 face, SInt32 size);
// The UTF-8 form of a run by the text rule of fontID (symbol page, transcoding, Latin-1):
// written to out (capacity bytes); answers the bytes needed, which may exceed capacity.
SInt32 OrvaTextRunToUTF8(const void *text, SInt32 length, Boolean isUnicode, UInt16 fontID, char *out,
                         SInt32 capacity);
