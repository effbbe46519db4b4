// The one built-in theme: drawing state, backgrounds, list-box frames and text boxes.
#include "toolbox/themes.h"

#include <cstdio>
#include <cstring>
#include <pango/pangocairo.h>

#include "graphics/cairo/pango_text.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/windows.h"

// The drawing state of a port as GetThemeDrawingState saved it (a zeroed pointer block).
struct OpaqueThemeDrawingState {
    RGBColor fore, back;
    SInt16 penMode, textMode, textFont, textSize;
    UInt8 textFace;
    Pattern backPattern, penPattern;
    PixPatHandle penPixPat, backPixPat;  // the port's own, put back as they were
    Point penLocation, penSize;
};

namespace {

enum : SInt32 { kThemeNameMax = 63 };
const UInt16 kTextInactiveGrey = 0xC000;

struct ThemeState {  // main thread
    char name[kThemeNameMax + 1] = "Default";
};
ThemeState gTheme;

// A line of a wrapped text: UTF-16 units from start, count long, width pixels.
struct TextLine {
    SInt32 start, count;
    SInt16 width;
};

struct TextUnits {
    UniChar *units = nullptr;  // g_malloc'd
    SInt32 count = 0;
    ~TextUnits() { g_free(units); }
};

bool UnitsOf(CFStringRef text, TextUnits *out);
SInt32 WrapLines(const TextUnits &text, SInt16 width, Boolean wrap, TextLine **lines);
SInt32 UnitOfByte(const TextUnits &text, const char *utf8, SInt32 byte);
bool FolderOfThemes(char *path);
void ReadSettings(const char *folder);

}  // namespace

OSStatus RegisterAppearanceClient() { return noErr; }

OSStatus OrvaThemeGetDrawingState(ThemeDrawingState *state) {
    if (!state) return paramErr;
    *state = nullptr;
    GrafPtr port = qd.thePort;
    if (!port) return paramErr;
    ThemeDrawingState s = reinterpret_cast<ThemeDrawingState>(NewPtrClear(sizeof(OpaqueThemeDrawingState)));
    if (!s) return memFullErr;
    s->fore = port->rgbFgColor;
    s->back = port->rgbBkColor;
    s->penMode = port->pnMode;
    s->textMode = port->txMode;
    s->textFont = port->txFont;
    s->textSize = port->txSize;
    s->textFace = port->txFace;
    s->backPattern = port->bkPat;
    s->penPattern = port->pnPat;
    s->penPixPat = port->pnPixPat;
    s->backPixPat = port->bkPixPat;
    s->penLocation = port->pnLoc;
    s->penSize = port->pnSize;
    *state = s;
    return noErr;
}

OSStatus OrvaThemeSetDrawingState(ThemeDrawingState s, Boolean disposeNow) {
    if (!s) return paramErr;
    if (qd.thePort) {
        RGBForeColor(&s->fore);
        RGBBackColor(&s->back);
        PenMode(s->penMode);
        PenSize(s->penSize.h, s->penSize.v);
        PenPat(&s->penPattern);
        BackPat(&s->backPattern);
        // PenPat and BackPat dropped the pixel patterns; the saved ones are the port's again.
        qd.thePort->pnPixPat = s->penPixPat;
        qd.thePort->bkPixPat = s->backPixPat;
        TextMode(s->textMode);
        TextFont(s->textFont);
        TextSize(s->textSize);
        TextFace(s->textFace);
        _MoveTo(s->penLocation.h, s->penLocation.v);
    }
    if (disposeNow) DisposPtr(reinterpret_cast<Ptr>(s));
    return noErr;
}

OSStatus NormalizeThemeDrawingState() {
    if (!qd.thePort) return paramErr;
    RGBColor black = {0, 0, 0}, white = {0xFFFF, 0xFFFF, 0xFFFF};
    BackColor(30);
    ForeColor(33);
    RGBForeColor(&black);  // the codes alone leave an RGB colour set since in place
    RGBBackColor(&white);
    BackPat(&qd.white);
    PenMode(8);
    PenSize(1, 1);
    PenPat(&qd.black);
    return noErr;
}

OSStatus SetThemeBackground(ThemeBrush brush, SInt16, Boolean) {
    if (!qd.thePort) return paramErr;
    UInt16 level = brush == kThemeBrushDialogBackground || brush == kThemeBrushPaletteBackground ? kThemeLightGrey
                                                                                                  : 0xFFFF;
    RGBColor c = {level, level, level};
    BackPat(&qd.white);
    RGBBackColor(&c);
    return noErr;
}

// A one-pixel frame just outside r; lighter while inactive.
OSStatus DrawThemeListBoxFrame(const Rect *r, ThemeDrawState state) {
    if (!r || !qd.thePort) return paramErr;
    OrvaPenAndColorState saved;
    OrvaGetPenAndColorState(&saved);
    PenNormal();
    UInt16 level = state ? kThemeFrameGrey : kThemeInactiveGrey;
    RGBColor c = {level, level, level};
    RGBForeColor(&c);
    Rect outside = *r;
    InsetRect(&outside, -1, -1);
    _FrameRect(&outside);
    OrvaSetPenAndColorState(&saved);
    return noErr;
}

OSStatus GetThemeTextDimensions(CFStringRef text, ThemeFontID font, ThemeDrawState, Boolean wrapToWidth,
                                Point *ioBounds, SInt16 *outBaseline) {
    if (!ioBounds) return paramErr;
    SInt16 wrapWidth = ioBounds->h;
    *ioBounds = Point{0, 0};
    if (outBaseline) *outBaseline = 0;
    TextUnits units;
    if (!UnitsOf(text, &units)) return paramErr;
    GrafPtr port = qd.thePort;
    if (!port) return paramErr;
    SInt16 fontID, size;
    UInt8 face;
    OrvaThemeFontOf(font, &fontID, &size, &face);
    SInt16 savedFont = port->txFont, savedSize = port->txSize;
    UInt8 savedFace = port->txFace;
    TextFont(fontID);
    TextSize(size);
    TextFace(face);
    FontInfo info;
    GetFontInfo(&info);
    TextLine *lines = nullptr;
    SInt32 count = WrapLines(units, wrapWidth, wrapToWidth, &lines);
    SInt16 widest = 0;
    for (SInt32 i = 0; i < count; i++) widest = lines[i].width > widest ? lines[i].width : widest;
    g_free(lines);
    ioBounds->h = widest;
    ioBounds->v = SInt16(count * (info.ascent + info.descent + info.leading));
    if (outBaseline) *outBaseline = SInt16(-info.descent);
    TextFont(savedFont);
    TextSize(savedSize);
    TextFace(savedFace);
    return noErr;
}

OSStatus DrawThemeTextBox(CFStringRef text, ThemeFontID font, ThemeDrawState state, Boolean wrapToWidth,
                          const Rect *box, SInt16 just) {
    GrafPtr port = qd.thePort;
    if (!box || !port) return paramErr;
    TextUnits units;
    if (!UnitsOf(text, &units)) return paramErr;
    SInt16 fontID, size;
    UInt8 face;
    OrvaThemeFontOf(font, &fontID, &size, &face);
    SInt16 savedFont = port->txFont, savedSize = port->txSize;
    UInt8 savedFace = port->txFace;
    RGBColor fore = port->rgbFgColor;
    Point pen = port->pnLoc;
    TextFont(fontID);
    TextSize(size);
    TextFace(face);
    if (!state) {
        RGBColor grey = {kTextInactiveGrey, kTextInactiveGrey, kTextInactiveGrey};
        RGBForeColor(&grey);
    }
    FontInfo info;
    GetFontInfo(&info);
    SInt16 lineHeight = SInt16(info.ascent + info.descent + info.leading);
    TextLine *lines = nullptr;
    SInt32 count = WrapLines(units, SInt16(box->right - box->left), wrapToWidth, &lines);
    // Drawn inside the box only: the lines beyond its bottom are left out.
    RgnHandle clip = NewRgn(), inside = NewRgn();
    if (clip && inside) {
        GetClip(clip);
        RectRgn(inside, box);
        SectRgn(clip, inside, inside);
        SetClip(inside);
    }
    for (SInt32 i = 0; i < count; i++) {
        SInt16 baseline = SInt16(box->top + info.ascent + i * lineHeight);
        if (baseline - info.ascent >= box->bottom) break;
        SInt16 slack = SInt16(box->right - box->left - lines[i].width);
        SInt16 h = just == kThemeCenter ? SInt16(box->left + slack / 2)
                   : just == kThemeFlushRight ? SInt16(box->left + slack)
                                              : box->left;
        _MoveTo(h, baseline);
        OrvaDrawText(units.units, lines[i].start, lines[i].count, kTrue);
    }
    if (clip && inside) SetClip(clip);
    DisposeRgn(clip);
    DisposeRgn(inside);
    g_free(lines);
    TextFont(savedFont);
    TextSize(savedSize);
    TextFace(savedFace);
    RGBForeColor(&fore);
    _MoveTo(pen.h, pen.v);
    return noErr;
}

void OrvaThemeUpdateFolder() {
    char path[kOrvaPathMax + 1];
    FolderOfThemes(path);
}

void OrvaThemeStart() {
    char path[kOrvaPathMax + 1];
    if (FolderOfThemes(path)) ReadSettings(path);
    for (WindowPtr w = WindowList; w; w = w->nextWindow) OrvaDrawWindowFrame(w);
    OrvaDrawMenuBar();
    OrvaGlobalInvalidateAllWindows();
}

void OrvaThemeAdjustDrawers(WindowPtr) {}

const char *OrvaThemeName() { return gTheme.name; }

void OrvaThemeFontOf(ThemeFontID font, SInt16 *fontID, SInt16 *size, UInt8 *face) {
    const ThemeMetricsRecord *m = OrvaGetThemeMetrics();
    if (font == kThemeCurrentPortFont && qd.thePort) {
        *fontID = qd.thePort->txFont;
        *size = qd.thePort->txSize;
        *face = qd.thePort->txFace;
        return;
    }
    bool small = font == kThemeSmallSystemFont || font == kThemeSmallEmphasizedSystemFont || font == kThemeLabelFont;
    bool bold = font == kThemeEmphasizedSystemFont || font == kThemeSmallEmphasizedSystemFont;
    *fontID = OrvaThemeFont();
    *size = SInt16(small ? m->fontSize - 1 : m->fontSize);
    *face = bold ? UInt8(1) : UInt8(0);
}

namespace {

// The object's units, without the terminator a string made from a C string may carry.
bool UnitsOf(CFStringRef text, TextUnits *out) {
    CFIndex count = CFStringGetLength(text);
    if (!text || count < 0) return false;
    out->units = static_cast<UniChar *>(g_malloc(size_t(count + 1) * sizeof(UniChar)));
    CFStringGetCharacters(text, 0, count, out->units);
    while (count > 0 && out->units[count - 1] == 0) count--;
    out->count = SInt32(count);
    return true;
}

// Lines of the text in the current port's font: broken at CR and LF, and, when wrap is set, at
// word boundaries within width (a word wider than width is broken where it must). Caller frees.
SInt32 WrapLines(const TextUnits &text, SInt16 width, Boolean wrap, TextLine **lines) {
    GrafPtr port = qd.thePort;
    glong bytes = 0;
    gchar *utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2 *>(text.units), text.count, nullptr, &bytes, nullptr);
    cairo_surface_t *scratch = nullptr;
    cairo_t *context = port ? port->context : nullptr;
    if (!context) {
        scratch = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        context = cairo_create(scratch);
    }
    PangoLayout *layout = OrvaNewTextLayout(context, UInt16(port ? port->txFont : 0), port ? port->txFace : 0,
                                            port ? port->txSize : 0);
    pango_layout_set_text(layout, utf8 ? utf8 : "", utf8 ? int(bytes) : 0);
    if (wrap && width > 0) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    SInt32 count = pango_layout_get_line_count(layout);
    *lines = static_cast<TextLine *>(g_malloc0(sizeof(TextLine) * size_t(count > 0 ? count : 1)));
    SInt32 made = 0;
    for (GSList *l = pango_layout_get_lines_readonly(layout); l; l = l->next) {
        PangoLayoutLine *line = static_cast<PangoLayoutLine *>(l->data);
        // Byte offsets back to UTF-16 units; surrogate pairs count two.
        SInt32 s = UnitOfByte(text, utf8, line->start_index);
        SInt32 e = UnitOfByte(text, utf8, line->start_index + line->length);
        while (e > s && (text.units[e - 1] == '\r' || text.units[e - 1] == '\n' || text.units[e - 1] == ' ')) e--;
        (*lines)[made] = TextLine{s, e - s, OrvaTextWidth(text.units, s, e - s, kTrue)};
        made++;
    }
    g_object_unref(layout);
    if (scratch) {
        cairo_destroy(context);
        cairo_surface_destroy(scratch);
    }
    g_free(utf8);
    return made;
}

// The UTF-16 unit where the character at byte of utf8 (the units' conversion) begins.
SInt32 UnitOfByte(const TextUnits &text, const char *utf8, SInt32 byte) {
    glong characters = g_utf8_pointer_to_offset(utf8, utf8 + byte);
    SInt32 unit = 0;
    for (glong c = 0; c < characters && unit < text.count; c++)
        unit += text.units[unit] >= 0xD800 && text.units[unit] < 0xDC00 ? 2 : 1;
    return unit < text.count ? unit : text.count;
}

bool FolderOfThemes(char *path) {
    SInt16 vRef;
    SInt32 dirID;
    path[0] = 0;
    if (FindFolder(0, FourCC("pref"), kTrue, &vRef, &dirID) != noErr || !OrvaGetNomChemin(dirID, path)) return false;
    OrvaAddPath(path, "Themes");
    return OrvaRecursiveMkDir(path);
}

// The theme's name, the first line of "settings.txt"; every name gives the built-in theme.
void ReadSettings(const char *folder) {
    char file[kOrvaPathMax + 16];
    snprintf(file, sizeof file, "%ssettings.txt", folder);
    FILE *f = fopen(file, "r");
    if (!f) return;
    char line[kThemeNameMax + 2] = "";
    if (fgets(line, sizeof line, f)) {
        line[strcspn(line, "\r\n")] = 0;
        if (line[0]) snprintf(gTheme.name, sizeof gTheme.name, "%s", line);
    }
    fclose(f);
}

}  // namespace
