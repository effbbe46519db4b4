// The engraver's drawing kit: filled rectangles, strokes and polygons, filled curves, glyphs of
// the music font and texts with escapes, all through QuickDraw in the current port.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "graphics/quickdraw/bezier.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/utf_text.h"

namespace {

const float kCoordonneeMax = 30000.0f;  // within the ports' 16-bit coordinates, with room for pens
const SInt16 kFonteTexte = 20;          // the serif text font of pages
const float kEchelleNoteTexte = 0.6f;   // note values in texts, of the staff's size
const float kTigeNoteTexte = 2.6f;      // their stems, staff spaces at that size
const size_t kMaxTexteEchappe = 4096;   // bytes of a text read
const size_t kMorceauTexte = 255;       // bytes drawn by one text call

struct TextRunState {
    const SegmentContext *c;
    float x;
    float baseline;
    SInt16 textSize;
    Boolean draw;
};

SInt16 Arrondi(float v) { return SInt16(std::lround(Borne(v))); }
Boolean IsUTF8(const char *text, size_t length);
void RunTexte(TextRunState *state, const char *text, size_t length);
void RunGlyphe(TextRunState *state, UInt16 code);
void RunNote(TextRunState *state, SInt32 value);
float EchappeTexte(TextRunState *state, const char *text, SInt16 index, SInt16 passes);

}  // namespace

float Borne(float v) {
    if (!(v == v)) return 0;  // NaN
    return std::max(-kCoordonneeMax, std::min(kCoordonneeMax, v));
}

const MusicGlyphMetrics *MetriqueGlyphe(UInt16 code) {
    const MusicGlyphMetrics *first = kMusicGlyphMetrics;
    const MusicGlyphMetrics *last = kMusicGlyphMetrics + sizeof kMusicGlyphMetrics / sizeof kMusicGlyphMetrics[0];
    const MusicGlyphMetrics *found =
        std::lower_bound(first, last, code, [](const MusicGlyphMetrics &m, UInt16 k) { return m.code < k; });
    return found != last && found->code == code && code != kGlyphSpace ? found : nullptr;
}

UInt16 GlypheAlteration(UInt8 code) {
    switch (code) {
        case kAlterationBecarre: return kGlyphAccNatural;
        case kAlterationDiese: return kGlyphAccSharp;
        case kAlterationBemol: return kGlyphAccFlat;
        case kAlterationDoubleDiese: return kGlyphAccDoubleSharp;
        case kAlterationDoubleBemol: return kGlyphAccDoubleFlat;
        default: return 0;
    }
}

float PixelsUnites(const SegmentContext *c, float units, float scale) {
    SInt32 size = std::lround(c->glyphSize * scale);
    return units * float(size) / kMusicFontUnitsPerEm;
}

float AvanceGlyphe(const SegmentContext *c, UInt16 code, float scale) {
    const MusicGlyphMetrics *m = MetriqueGlyphe(code);
    return m ? PixelsUnites(c, m->advance, scale) : 0;
}

void TraceGlyphe(const SegmentContext *c, UInt16 code, float x, float y, float scale) {
    if (!c->font || !MetriqueGlyphe(code)) return;
    SInt32 size = std::lround(c->glyphSize * scale);
    if (size < 1 || size > 32767) return;
    TextFont(c->font);
    TextSize(SInt16(size));
    TextFace(0);
    _MoveTo(Arrondi(x), Arrondi(y));
    if (code < kGlyphMarkBase) {
        // The symbol page answers to 8-bit text: recorded pages keep plain text opcodes.
        char byte = char(code & 0xFF);
        _DrawText(&byte, 0, 1);
    } else {
        const char utf8[3] = {char(0xE0 | (code >> 12)), char(0x80 | ((code >> 6) & 0x3F)), char(0x80 | (code & 0x3F))};
        UTFDrawText(qd.thePort, utf8, 0, 3, 0);
    }
}

void RectangleNoir(float left, float top, float right, float bottom) {
    Rect r;
    r.left = Arrondi(left);
    r.top = Arrondi(top);
    r.right = Arrondi(right);
    r.bottom = Arrondi(bottom);
    if (r.right <= r.left) r.right = SInt16(r.left + 1);
    if (r.bottom <= r.top) r.bottom = SInt16(r.top + 1);
    PaintRect(&r);
}

void LigneHorizontale(float x0, float x1, float y, float width) {
    float w = std::max(1.0f, std::round(width));
    float top = std::round(y - w / 2);
    RectangleNoir(std::min(x0, x1), top, std::max(x0, x1), top + w);
}

void LigneVerticale(float x, float y0, float y1, float width) {
    float w = std::max(1.0f, std::round(width));
    float left = std::round(x - w / 2);
    RectangleNoir(left, std::min(y0, y1), left + w, std::max(y0, y1));
}

void Trait(float x0, float y0, float x1, float y1, float width) {
    float dx = x1 - x0, dy = y1 - y0;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length < 0.01f) return;
    float nx = -dy / length * width / 2, ny = dx / length * width / 2;
    const float xs[4] = {x0 + nx, x1 + nx, x1 - nx, x0 - nx};
    const float ys[4] = {y0 + ny, y1 + ny, y1 - ny, y0 - ny};
    Quadrilatere(xs, ys);
}

void Quadrilatere(const float x[4], const float y[4]) {
    PolyHandle poly = OpenPoly();
    if (!poly) return;
    _MoveTo(Arrondi(x[0]), Arrondi(y[0]));
    for (SInt32 i = 1; i <= 4; i++) _LineTo(Arrondi(x[i % 4]), Arrondi(y[i % 4]));
    ClosePoly();
    PaintPoly(poly);
    KillPoly(poly);
}

void Courbe(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float thickness) {
    // The inner edge's control points stand back from the outer ones toward the chord, by the
    // thickness over the three quarters of their offset that a cubic curve reaches.
    float mx = (x1 + x2) / 2 - (x0 + x3) / 2, my = (y1 + y2) / 2 - (y0 + y3) / 2;
    float length = std::sqrt(mx * mx + my * my);
    if (length < 0.01f) {
        float dx = x3 - x0, dy = y3 - y0;
        float chord = std::sqrt(dx * dx + dy * dy);
        if (chord < 0.01f) return;
        mx = dy / chord, my = -dx / chord, length = 1;
    }
    float back = thickness * 4 / 3;
    float bx = mx / length * back, by = my / length * back;
    BezierPoint points[2];
    points[0] = {Borne(x0), Borne(y0), Borne(x1 - bx), Borne(y1 - by), Borne(x1), Borne(y1)};
    points[1] = {Borne(x3), Borne(y3), Borne(x2), Borne(y2), Borne(x2 - bx), Borne(y2 - by)};
    OrvaDrawBezier(points, 2, kBezierFilled, kBezierCapRound, kBezierJoinRound, 0, kTrue);
}

float TraceTexteEchappe(const SegmentContext *c, const char *text, float x, float y, float points, SInt16 align,
                        SInt16 index, SInt16 passes) {
    if (!text || !text[0]) return 0;
    float width = LargeurTexteEchappe(c, text, points, index, passes);
    TextRunState state = {c, x - (align == 1 ? width / 2 : align == 2 ? width : 0), y,
                          SInt16(std::max(1L, std::min(500L, std::lround(points * c->g->zoom)))), kTrue};
    EchappeTexte(&state, text, index, passes);
    return width;
}

float LargeurTexteEchappe(const SegmentContext *c, const char *text, float points, SInt16 index, SInt16 passes) {
    if (!text || !text[0]) return 0;
    TextRunState state = {c, 0, 0, SInt16(std::max(1L, std::min(500L, std::lround(points * c->g->zoom)))), kFalse};
    return EchappeTexte(&state, text, index, passes);
}

namespace {

// Walks the text, run by run; answers the width covered.
float EchappeTexte(TextRunState *state, const char *text, SInt16 index, SInt16 passes) {
    float start = state->x;
    size_t length = strnlen(text, kMaxTexteEchappe);
    size_t run = 0;
    for (size_t i = 0; i < length;) {
        if (text[i] != '$' || i + 1 >= length) {
            i++;
            continue;
        }
        RunTexte(state, text + run, i - run);
        char next = text[i + 1];
        if (next == '(' && i + 3 < length && text[i + 3] == ')' && text[i + 2] >= '1' && text[i + 2] <= '4') {
            RunNote(state, kValeurRonde >> (text[i + 2] - '1'));
            i += 4;
        } else if (next == 'N' || next == 'P') {
            char number[16];
            snprintf(number, sizeof number, "%d", next == 'N' ? SInt32(index) + 1 : SInt32(passes));
            RunTexte(state, number, strlen(number));
            i += 2;
        } else {
            RunGlyphe(state, UInt16(0xF000 + UInt8(next)));
            i += 2;
        }
        run = i;
    }
    RunTexte(state, text + run, length - run);
    return state->x - start;
}

void RunTexte(TextRunState *state, const char *text, size_t length) {
    while (length > kMorceauTexte) {
        size_t cut = kMorceauTexte;
        while (cut > 1 && (UInt8(text[cut]) & 0xC0) == 0x80) cut--;
        RunTexte(state, text, cut);
        text += cut;
        length -= cut;
    }
    if (length == 0) return;
    SInt16 count = SInt16(length);
    TextFont(kFonteTexte);
    TextSize(state->textSize);
    TextFace(0);
    Boolean utf8 = IsUTF8(text, size_t(count));
    float width = utf8 ? UTFTextWidth(qd.thePort, text, 0, count) : TextWidth(text, 0, count);
    if (state->draw) {
        _MoveTo(Arrondi(state->x), Arrondi(state->baseline));
        if (utf8) UTFDrawText(qd.thePort, text, 0, count, 0);
        else _DrawText(text, 0, count);
    }
    state->x += width;
}

// A glyph inside a text: dynamics letters stand on the baseline, segno and coda are lifted so
// that their ink stands on it too.
void RunGlyphe(TextRunState *state, UInt16 code) {
    const MusicGlyphMetrics *m = MetriqueGlyphe(code);
    if (!m) return;
    const SegmentContext *c = state->c;
    float lift = code == kGlyphSegno || code == kGlyphCoda ? -PixelsUnites(c, m->yMin) : 0;
    float left = std::min(0.0f, PixelsUnites(c, m->xMin));
    if (state->draw) TraceGlyphe(c, code, state->x - left, state->baseline - lift);
    state->x += PixelsUnites(c, m->advance) - left + c->space * 0.1f;
}

// A note value: a small head with its stem, and a flag for the eighth.
void RunNote(TextRunState *state, SInt32 value) {
    const SegmentContext *c = state->c;
    UInt16 head = value >= kValeurRonde ? kGlyphHeadWhole : value >= kValeurBlanche ? kGlyphHeadHalf : kGlyphHeadBlack;
    float width = AvanceGlyphe(c, head, kEchelleNoteTexte);
    float small = c->space * kEchelleNoteTexte;
    float y = state->baseline - small / 2;
    if (state->draw) {
        TraceGlyphe(c, head, state->x, y, kEchelleNoteTexte);
        if (value < kValeurRonde) {
            float stemX = state->x + width - c->stemWidth / 2;
            LigneVerticale(stemX, y, y - kTigeNoteTexte * small, c->stemWidth);
            if (value <= kValeurCroche) TraceGlyphe(c, kGlyphFlagUp8th, stemX - c->stemWidth / 2, y - kTigeNoteTexte * small,
                                                    kEchelleNoteTexte);
        }
    }
    state->x += width + (value <= kValeurCroche ? AvanceGlyphe(c, kGlyphFlagUp8th, kEchelleNoteTexte) : 0) + small * 0.3f;
}

Boolean IsUTF8(const char *text, size_t length) {
    for (size_t i = 0; i < length;) {
        UInt8 b = UInt8(text[i]);
        size_t extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : 9;
        if (extra == 9 || (extra > 0 && i + extra >= length)) return kFalse;
        for (size_t k = 1; k <= extra; k++)
            if ((UInt8(text[i + k]) & 0xC0) != 0x80) return kFalse;
        i += extra + 1;
    }
    return kTrue;
}

}  // namespace
