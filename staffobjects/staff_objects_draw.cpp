// Lyrics, chord symbols, chord diagrams and text objects of a staff segment.
#include "staffobjects/staff_objects_draw.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "engraving/staff_type_rows.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/utf_text.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "staffobjects/chord_diagrams.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/text_objects.h"

namespace {

const SInt16 kPoliceParoles = 20;       // serif
const SInt16 kPoliceAccords = 21;       // sans-serif
const float kEcartLignesParoles = 1.2f; // verses, in text heights
const float kDessousPortee = 2.0f;      // spaces between the bottom line and the first verse's top
const float kDessusPortee = 1.5f;       // spaces between the top line and the chord symbols' baseline
const float kDessusDiagramme = 4.0f;    // spaces above the top line a frame without offset ends
const float kEpaisseurTiret = 0.08f;    // spaces: hyphens and extenders
const float kLongueurTiret = 0.45f;     // text heights a hyphen is long
const float kMargeTiret = 0.3f;         // spaces kept free each side of a hyphen
const SInt32 kSyllabeDessinee = 1024;   // bytes of a syllable drawn at most
const SInt32 kMaxObjetsDessines = 100000;

// One syllable of one verse as placed.
struct PlacedSyllable {
    std::string text;     // as shown
    float centre;         // of its note's head
    float headRight;      // right edge of that head
    float left, right;    // its ink
    char separator;       // ' ', '-', '_', or 0 at the end of a cell
    Boolean empty;        // a syllable of its separator alone: the note sings on
    SInt32 measure;
};

// Where the engraver puts a chord's heads: its time, left edge and head width.
struct HeadPlace {
    SInt32 time;
    float x;
    float width;
};

// Syllable widths from the advances of their characters, each measured once a drawing (eight
// copies at a time, to a tenth of a pixel): laying a text out costs about what drawing it does,
// and the syllables of lyrics share their letters. Text with characters of scripts that shape
// their letters (from U+0590 on) is measured whole. The port's text font, size and face key it.
struct AdvanceCache {
    SInt16 font = -1, size = -1, face = -1;
    std::unordered_map<UInt32, float> advances;
};

// What the port had before drawing.
struct SavedPort {
    PenState pen;
    SInt16 font, size, face;
    RGBColor fore;
};

void PrepareContexte(SegmentContext *c, StaffHandle staff, const GeometrieSegment *g);
void Sauve(SavedPort *saved);
void Restaure(const SavedPort *saved);
SInt16 Pixels(const SegmentContext *c, SInt16 points);
std::vector<HeadPlace> PlacesTetes(StaffHandle source, const GeometrieSegment *g);
void PlaceTaquet(const SegmentContext *c, const std::vector<HeadPlace> &heads, SInt32 time, float *centre, float *right);
void Police(SInt16 font, SInt16 size, SInt16 face, const TextStyleRecord *style, const RGBColor &ink);
float Largeur(const std::string &text);
float LargeurSyllabe(AdvanceCache *cache, const std::string &text);
void Texte(const std::string &text, float x, float baseline);
std::string Montre(const char *raw, SInt32 length, char *separator);
void TraceParoles(const SegmentContext *c, const std::vector<HeadPlace> &heads, const RGBColor &ink);
void TraceCouplet(const SegmentContext *c, const std::vector<PlacedSyllable> &line, float baseline, float height);
void TraceAccords(const SegmentContext *c, const std::vector<HeadPlace> &heads, const RGBColor &ink);
void TraceDiagrammes(const SegmentContext *c, const RGBColor &ink);
void TraceDiagramme(const SegmentContext *c, const ChordDiagramObject &d, const RGBColor &ink);
void TraceTextes(const SegmentContext *c, const RGBColor &ink);

}  // namespace

OSErr TraceObjetsPortee(StaffHandle staff, const GeometrieSegment *geometry) {
    if (!IsGeometrieSegmentValide(staff, geometry)) return paramErr;
    const EngravingStaffType *row = GetTypePorteeGravure(staff);
    if (!row->drawn) return noErr;
    SegmentContext c;
    PrepareContexte(&c, staff, geometry);
    SavedPort saved;
    Sauve(&saved);
    StaffHandle source = GetPorteeTaquets(staff);
    std::vector<HeadPlace> heads;
    if (source && ((*staff)->textLineEnabled[0] || (*staff)->textLineEnabled[1])) heads = PlacesTetes(source, geometry);
    TraceParoles(&c, heads, saved.fore);
    TraceAccords(&c, heads, saved.fore);
    TraceDiagrammes(&c, saved.fore);
    TraceTextes(&c, saved.fore);
    Restaure(&saved);
    return noErr;
}

void GetPositionParoles(StaffHandle staff, const GeometrieSegment *g, float *baseline, float *step) {
    if (baseline) *baseline = 0;
    if (step) *step = 0;
    if (!IsPorteeValide(staff) || !g) return;
    SegmentContext c;
    c.staff = staff;
    c.g = g;
    c.space = g->space;
    c.top = g->top;
    SInt16 lines = (*staff)->lineCount;
    c.bottom = g->top + float(std::max<SInt16>(0, SInt16(lines - 1))) * g->space;
    TextStyleRecord style = (*staff)->karaokeStyle;
    SInt16 size = Pixels(&c, style.size > 0 ? style.size : SInt16(kTailleParolesDefaut));
    if (baseline) *baseline = c.bottom + kDessousPortee * c.space + size * 0.8f;
    if (step) *step = kEcartLignesParoles * size;
}

namespace {

void PrepareContexte(SegmentContext *c, StaffHandle staff, const GeometrieSegment *g) {
    c->staff = staff;
    c->score = (*staff)->score;
    c->g = g;
    c->row = GetTypePorteeGravure(staff);
    c->space = g->space;
    c->unit = g->space / 6;
    c->top = g->top;
    SInt16 lines = std::min<SInt16>((*staff)->lineCount, kMaxLignesPortee);
    c->bottom = g->top + float(std::max<SInt16>(0, SInt16(lines - 1))) * g->space;
    c->right = g->measureX[g->measureCount];
    c->tStart = CvtMesureEnTemps(c->score, g->firstMeasure);
    c->tEnd = CvtMesureEnTemps(c->score, g->firstMeasure + g->measureCount);
    c->font = lentaraPrint;
    c->glyphSize = SInt16(std::lround(4 * g->space));
    c->lineWidth = c->stemWidth = c->ledgerWidth = c->thinBar = std::max(1.0f, 0.12f * g->space);
    c->thickBar = c->beamThickness = std::max(1.0f, 0.5f * g->space);
}

void Sauve(SavedPort *saved) {
    GetPenState(&saved->pen);
    saved->font = qd.thePort->txFont;
    saved->size = qd.thePort->txSize;
    saved->face = qd.thePort->txFace;
    GetForeColor(&saved->fore);
    PenNormal();
}

void Restaure(const SavedPort *saved) {
    SetPenState(&saved->pen);
    TextFont(saved->font);
    TextSize(saved->size);
    TextFace(saved->face);
    RGBForeColor(&saved->fore);
}

// Pixels of a text size in points at the segment's zoom, scaled with the staff.
SInt16 Pixels(const SegmentContext *c, SInt16 points) {
    float scale = (*c->staff)->size > 0 ? (*c->staff)->size / 72.0f : 1.0f;
    return SInt16(std::max(1L, std::min(500L, std::lround(points * c->g->zoom * scale))));
}

// The chords of the source staff in the segment as the engraver lays them out, in time order.
std::vector<HeadPlace> PlacesTetes(StaffHandle source, const GeometrieSegment *g) {
    SegmentContext c;
    PrepareContexte(&c, source, g);
    CalculeAccords(&c);
    std::vector<HeadPlace> heads;
    for (const ChordLayout &chord : c.chords)
        if (!chord.rest && !chord.repeatSign) heads.push_back(HeadPlace{chord.time, chord.x, chord.headWidth});
    return heads;
}

// The middle and right edge of the heads of the chord at a time; where the time falls, a head's
// default width, without one.
void PlaceTaquet(const SegmentContext *c, const std::vector<HeadPlace> &heads, SInt32 time, float *centre, float *right) {
    auto at = std::lower_bound(heads.begin(), heads.end(), time, [](const HeadPlace &h, SInt32 t) { return h.time < t; });
    float x = XTemps(c, time), width = 1.3f * c->space;
    if (at != heads.end() && at->time == time) x = at->x, width = at->width;
    *centre = x + width / 2;
    *right = x + width;
}

// A style given (size above 0) brings its font, face and colour; else the default font and the
// port's own ink.
void Police(SInt16 font, SInt16 size, SInt16 face, const TextStyleRecord *style, const RGBColor &ink) {
    if (style && style->size > 0) {
        TextFont(style->font);
        TextFace(SInt16(style->face & 0x7F));
        RGBForeColor(&style->color);
    } else {
        TextFont(font);
        TextFace(face);
        RGBForeColor(&ink);
    }
    TextSize(size);
}

float Largeur(const std::string &text) {
    return text.empty() ? 0 : UTFTextWidth(qd.thePort, text.data(), 0, SInt32(text.size()));
}

float LargeurSyllabe(AdvanceCache *cache, const std::string &text) {
    const GrafPort *port = qd.thePort;
    if (cache->font != port->txFont || cache->size != port->txSize || cache->face != port->txFace) {
        cache->advances.clear();
        cache->font = port->txFont, cache->size = port->txSize, cache->face = port->txFace;
    }
    const SInt32 kCopies = 8;
    float width = 0;
    const UInt8 *p = reinterpret_cast<const UInt8 *>(text.data()), *end = p + text.size();
    while (p < end) {
        SInt32 n = *p >= 0xF0 ? 4 : *p >= 0xE0 ? 3 : *p >= 0xC0 ? 2 : 1;
        n = std::min<SInt32>(n, SInt32(end - p));
        UInt32 key = 0;
        for (SInt32 i = 0; i < n; i++) key = key << 8 | p[i];
        if (n >= 2 && key >= 0xD690) return Largeur(text);  // U+0590 and above
        auto found = cache->advances.find(key);
        if (found == cache->advances.end()) {
            std::string copies;
            for (SInt32 i = 0; i < kCopies; i++) copies.append(reinterpret_cast<const char *>(p), size_t(n));
            found = cache->advances.emplace(key, Largeur(copies) / kCopies).first;
        }
        width += found->second;
        p += n;
    }
    return width;
}

void Texte(const std::string &text, float x, float baseline) {
    if (text.empty()) return;
    _MoveTo(SInt16(std::lround(Borne(x))), SInt16(std::lround(Borne(baseline))));
    UTFDrawText(qd.thePort, text.data(), 0, SInt32(text.size()), 0);
}

// A syllable as shown: its separator taken off (into *separator), '^' a blank, '=' a hyphen,
// line breaks left out, at most kSyllabeDessinee bytes.
std::string Montre(const char *raw, SInt32 length, char *separator) {
    *separator = 0;
    if (length > 0 && (raw[length - 1] == ' ' || raw[length - 1] == '-' || raw[length - 1] == '_'))
        *separator = raw[--length];
    std::string out;
    for (SInt32 i = 0; i < length; i++) {
        char ch = raw[i];
        if (ch == '\r' || ch == '\n') continue;
        out += ch == '^' ? ' ' : ch == '=' ? '-' : ch;
    }
    if (SInt32(out.size()) > kSyllabeDessinee)
        out.resize(size_t(DebutCaractereUTF8(out.data(), SInt32(out.size()), kSyllabeDessinee)));
    return out;
}

// Every verse of every measure of the segment, placed syllable by syllable, then drawn.
void TraceParoles(const SegmentContext *c, const std::vector<HeadPlace> &heads, const RGBColor &ink) {
    StaffHandle source = GetPorteeTaquets(c->staff);
    SInt16 verses = SInt16(std::min<SInt32>((*c->staff)->verseLineCount, kMaxCouplets));
    if (!source || verses == 0 || !(*c->staff)->textLineEnabled[kLigneParoles - 1]) return;
    TextStyleRecord staffStyle = (*c->staff)->karaokeStyle;
    SInt16 size = Pixels(c, staffStyle.size > 0 ? staffStyle.size : SInt16(kTailleParolesDefaut));
    float baseline = 0, step = 0;
    GetPositionParoles(c->staff, c->g, &baseline, &step);
    std::vector<std::vector<PlacedSyllable>> lines(static_cast<size_t>(verses));
    std::vector<TaquetRecord> slots(kNbMaxTaquets);
    AdvanceCache advances;
    for (SInt32 m = c->g->firstMeasure; m < c->g->firstMeasure + c->g->measureCount; m++) {
        SInt32 count = CalculeTableauTaquetKaraokeMesure(slots.data(), c->staff, 3, 0, m, 0, 1, 0);
        if (count == 0) continue;
        SInt32 start = CvtMesureEnTemps(c->score, m);
        for (SInt16 v = 0; v < verses; v++) {
            const char *stored = nullptr;
            SInt32 length = 0;
            if (!GetTexteEnPlaceCellule(c->staff, kLigneParoles, m, v, &stored, &length)) continue;
            std::string cell(stored, size_t(length));  // a copy: measuring may move memory
            StyledStringHandle styled = GetTexteStyleKaraokeCellule(c->staff, m, v);
            TextStyleRecord style = staffStyle;
            GetStyleChaineStyle(styled, 0, &style);
            DisposeChaineStyle(&styled);
            Police(kPoliceParoles, size, 0, style.size > 0 ? &style : nullptr, ink);
            for (SInt32 k = 0, at = 0; at < length; k++) {
                // Syllables past the last slot join the last one.
                SInt32 end = k + 1 < count ? FinSyllabe(cell.data(), length, at) : length;
                PlacedSyllable s;
                s.text = Montre(cell.data() + at, end - at, &s.separator);
                SInt32 slot = std::min(k, count - 1);
                PlaceTaquet(c, heads, start + slots[size_t(slot)].time, &s.centre, &s.headRight);
                float width = LargeurSyllabe(&advances, s.text);
                s.left = s.centre - width / 2;
                s.right = s.centre + width / 2;
                s.empty = s.text.find_first_not_of(' ') == std::string::npos;
                s.measure = m;
                if (!s.empty) Texte(s.text, s.left, baseline + v * step);
                lines[size_t(v)].push_back(s);
                at = end;
            }
        }
    }
    Police(kPoliceParoles, size, 0, nullptr, ink);
    for (SInt16 v = 0; v < verses; v++) TraceCouplet(c, lines[size_t(v)], baseline + v * step, size);
}

// The hyphens and extenders of one verse line.
void TraceCouplet(const SegmentContext *c, const std::vector<PlacedSyllable> &line, float baseline, float height) {
    float thickness = std::max(1.0f, kEpaisseurTiret * c->space);
    float hyphen = kLongueurTiret * height, margin = kMargeTiret * c->space;
    for (size_t i = 0; i < line.size(); i++) {
        const PlacedSyllable &s = line[i];
        if (s.empty) continue;
        size_t next = i + 1;
        while (next < line.size() && line[next].empty) next++;
        if (s.separator == '-') {
            // Centred in the gap to the next syllable (or to the segment's end), when it fits.
            float to = next < line.size() ? line[next].left : c->right;
            float gap = to - s.right;
            if (gap >= hyphen + 2 * margin) {
                float middle = s.right + gap / 2;
                LigneHorizontale(middle - hyphen / 2, middle + hyphen / 2, baseline - height * 0.3f, thickness);
            }
        } else if (s.separator == '_' || (s.separator == ' ' && next > i + 1)) {
            // Under the notes that sing on: to the right edge of the last of them.
            size_t last = next - 1;
            if (s.separator == '_' && last == i) continue;
            float end = line[last].headRight;
            if (end > s.right + margin) LigneHorizontale(s.right + margin / 2, end, baseline, thickness);
        }
    }
}

// The words of the chord-symbol cells, each starting at its note above the staff.
void TraceAccords(const SegmentContext *c, const std::vector<HeadPlace> &heads, const RGBColor &ink) {
    StaffHandle source = GetPorteeTaquets(c->staff);
    if (!source || !(*c->staff)->textLineEnabled[kLigneAccords - 1]) return;
    SInt16 size = Pixels(c, kTailleAccordsDefaut);
    float baseline = c->top - kDessusPortee * c->space;
    std::vector<TaquetRecord> slots(kNbMaxTaquets);
    for (SInt32 m = c->g->firstMeasure; m < c->g->firstMeasure + c->g->measureCount; m++) {
        const char *stored = nullptr;
        SInt32 length = 0;
        if (!GetTexteEnPlaceCellule(c->staff, kLigneAccords, m, 0, &stored, &length)) continue;
        std::string cell(stored, size_t(length));
        StyledStringHandle styled = GetTexteStyleKaraokeCellule(c->staff, m, 0, kLigneAccords);
        TextStyleRecord style = {};
        GetStyleChaineStyle(styled, 0, &style);
        DisposeChaineStyle(&styled);
        SInt32 count = CalculeTableauTaquetKaraokeMesure(slots.data(), c->staff, 3, 0, m, 0, 1, 0);
        if (count == 0) continue;
        SInt32 start = CvtMesureEnTemps(c->score, m);
        Police(kPoliceAccords, size, 0, style.size > 0 ? &style : nullptr, ink);
        for (SInt32 k = 0, at = 0; at < length && k < count; k++) {
            SInt32 end = FinSyllabe(cell.data(), length, at);
            char separator = 0;
            std::string word = Montre(cell.data() + at, end - at, &separator);
            float centre = 0, right = 0;
            PlaceTaquet(c, heads, start + slots[size_t(k)].time, &centre, &right);
            Texte(word, 2 * centre - right, baseline);
            at = end;
        }
    }
}

void TraceDiagrammes(const SegmentContext *c, const RGBColor &ink) {
    SInt32 count = std::min<SInt32>(GetNbDiagrammes(c->staff), kMaxObjetsDessines);
    for (SInt32 i = 0; i < count; i++) {
        ChordDiagramObject d = *GetDiagrammePtr(c->staff, i);  // a copy: drawing may move memory
        if (!d.inUse || d.time < c->tStart || d.time >= c->tEnd || !IsFormeDiagrammeValide(&d.shape)) continue;
        TraceDiagramme(c, d, ink);
    }
}

// A frame: its name, the x and o marks, the strings and frets (a nut on the first fret, else the
// first fret's number), the dots and barres.
void TraceDiagramme(const SegmentContext *c, const ChordDiagramObject &d, const RGBColor &ink) {
    const DiagramShape &s = d.shape;
    float widthPoints = d.width > 0 ? d.width / 32.0f : s.stringCount * 7.0f;
    float heightPoints = d.height > 0 ? d.height / 10.0f : (s.fretCount + 2) * 10.0f;
    float w = std::min(widthPoints * c->unit, 40 * c->space), h = std::min(heightPoints * c->unit, 40 * c->space);
    float row = h / (s.fretCount + 2);
    float bottom = d.offsets[0] ? c->top + d.offsets[0] * c->unit : c->top - kDessusDiagramme * c->space;
    float top = bottom - h, left = XTemps(c, d.time);
    float gridTop = top + 2 * row;
    float pitch = s.stringCount > 1 ? w / (s.stringCount - 1) : 0;
    float line = std::max(1.0f, 0.08f * c->space);
    SInt16 size = SInt16(std::max(1L, std::min(500L, std::lround(row * 0.9f))));
    Police(kPoliceAccords, size, 0, nullptr, ink);
    std::string name(d.name, strnlen(d.name, sizeof d.name));
    name.resize(size_t(DebutCaractereUTF8(name.data(), SInt32(name.size()), SInt32(name.size()))));
    Texte(name, left + w / 2 - Largeur(name) / 2, top + row * 0.85f);
    for (SInt32 k = 0; k < s.stringCount; k++) LigneVerticale(left + k * pitch, gridTop, bottom, line);
    for (SInt32 f = 0; f <= s.fretCount; f++)
        LigneHorizontale(left, left + w, gridTop + f * (bottom - gridTop) / s.fretCount, f == 0 && s.firstFret == 1 ? 3 * line : line);
    float fret = (bottom - gridTop) / s.fretCount;
    if (s.firstFret > 1) {
        std::string number = std::to_string(s.firstFret);
        Texte(number, left - Largeur(number) - 0.3f * c->space, gridTop + fret * 0.8f);
    }
    float dot = std::min(pitch > 0 ? pitch : fret, fret) * 0.7f;
    for (SInt32 k = 0; k < s.stringCount; k++)
        if (s.marks[k] == kCordeMuette) Texte("x", left + k * pitch - Largeur("x") / 2, gridTop - row * 0.2f);
    for (SInt32 b = 0; b < s.barreCount; b++) {
        const BarreRecord &r = s.barres[b];
        if (r.fret < 0) {
            for (SInt32 k = r.from; k <= r.to; k++) {
                float x = left + k * pitch, y = gridTop - row * 0.5f;
                Rect o = {SInt16(std::lround(y - dot / 2)), SInt16(std::lround(x - dot / 2)), SInt16(std::lround(y + dot / 2)),
                          SInt16(std::lround(x + dot / 2))};
                FrameOval(&o);
            }
            continue;
        }
        float y = gridTop + (r.fret + 0.5f) * fret;
        Rect shape = {SInt16(std::lround(y - dot / 2)), SInt16(std::lround(left + r.from * pitch - dot / 2)),
                      SInt16(std::lround(y + dot / 2)), SInt16(std::lround(left + r.to * pitch + dot / 2))};
        PaintRoundRect(&shape, SInt16(std::lround(dot)), SInt16(std::lround(dot)));
    }
}

// Each text object at its time and offsets, in its font, size, face and colour.
void TraceTextes(const SegmentContext *c, const RGBColor &ink) {
    SInt32 count = std::min<SInt32>(GetNbObjetsTexte(c->staff), kMaxObjetsDessines);
    std::vector<char> text(size_t(kMaxTexteObjet) + 1);
    for (SInt32 i = 0; i < count; i++) {
        TextObject o = *GetObjetTextePtr(c->staff, i);
        if (!o.inUse || o.time < c->tStart || o.time >= c->tEnd) continue;
        GetTexteObjetTexte(c->staff, i, text.data(), SInt32(text.size()));
        TextStyleRecord style = {o.font, o.face, o.size > 0 ? o.size : SInt16(12), o.color};
        Police(o.font, Pixels(c, style.size), 0, &style, ink);
        FontInfo info;
        GetFontInfo(&info);
        float x = XTemps(c, o.time) + o.offsets[0] * c->unit;
        Texte(text.data(), x, c->top + o.vertical * c->unit + info.ascent);
    }
}

}  // namespace
