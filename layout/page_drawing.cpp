// The drawing of one page: paper, titles, free objects and systems.
#include "layout/page_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/glyphs.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/utf_text.h"
#include "layout/drawing_kit.h"
#include "layout/free_objects.h"
#include "layout/pagination.h"
#include "layout/spacing.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/part_groups.h"
#include "staffobjects/staff_objects_draw.h"

namespace {

const SInt16 kTailleTitreDefaut = 12;
const SInt16 kPoliceTitre = 20;        // serif
const SInt16 kTailleNomsDefaut = 10;
const SInt16 kTailleNumeroMesure = 9;
const SInt16 kFaceItalique = 2;
const float kHauteurNumero = 1.2f;     // spaces between a measure number's baseline and the top line
const float kEpaisseurBarre = 0.12f;   // spaces: a bar line, as the engraver draws it
const float kEpaisseurLigne = 0.11f;   // spaces: a staff line
const float kEpaisseurBarreEpaisse = 0.5f;
const float kEcartBarres = 0.35f;
const float kEpaisseurCrochet = 0.5f;  // spaces: a bracket's line
const float kDebordCrochet = 0.5f;     // spaces a bracket reaches beyond its staves

// One system as drawn: the line's record and its geometry at the output scale.
struct SystemDrawing {
    DocumentRecord *document;
    ScoreHandle score;
    LigneRecord line;        // pixels at the output scale
    std::vector<float> bars, notes;
    std::vector<float> y;    // per staff of the score, -1 not shown
    std::vector<float> span; // per staff: its lines' span
    std::vector<float> space;
    float scale;             // layout pixels to drawn pixels
};

Boolean PrepareSysteme(DocumentRecord *document, SInt16 page, SInt32 index, float scale, SystemDrawing *s);
void TracePapier(float width, float height);
void TraceTitres(DocumentRecord *document, const PageRecord &page, float scale);
void TraceSysteme(const SystemDrawing &s);
void TraceLigneSysteme(const SystemDrawing &s);
void TraceGroupes(const SystemDrawing &s);
void TraceAccolade(const SystemDrawing &s, float right, float top, float bottom);
void TraceBarresGroupe(const SystemDrawing &s, const PartGroupRecord &group);
void TraceNoms(const SystemDrawing &s);
void TraceNom(Handle name, const TextStyleRecord &style, float right, float middle, float pointPixels);
void TraceNumeroMesure(const SystemDrawing &s);
void TraceGraphiques(const SystemDrawing &s, StaffHandle staff, float y);
void TraceTexte(const char *text, float x, float baseline);
void Rectangle(float left, float top, float right, float bottom);
float Echelle(float scale);

}  // namespace

OSErr TracePageDocument(DocumentRecord *document, SInt16 page, float scale, SInt16, SInt16) {
    if (!document || !qd.thePort) return paramErr;
    if (!(std::isfinite(scale) && scale > 0)) scale = 1;
    SInt16 pages = IsPartitionValide(document->score) ? CombienDePages(document->score) : 0;
    if (pages == 0 && !IsMiseEnPageCalculee(document)) MetsEnPageDocument(document, nullptr, nullptr);
    pages = GetNbPagesDocument(document);
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    PenState pen;
    GetPenState(&pen);
    TracePapier(width * scale, height * scale);
    PageRecord record;
    if (page >= 1 && page <= pages && GetPageMiseEnPage(document, page, &record)) {
        float k = Echelle(scale);
        float pointPixels = document->zoom > 0 ? document->zoom : 1.0f;
        pointPixels *= float(GetDpiDest()) * scale / kDpiEcran;
        if (IsPartitionValide(document->score))
            TraceObjetsLibresPage(document->score, page - 1, float(kDpiMiseEnPage) * k / 254.0f, pointPixels);
        if (record.titles) TraceTitres(document, record, scale);
        for (SInt32 line = 0; line < record.lineCount; line++) {
            SystemDrawing s;
            if (PrepareSysteme(document, page, line, scale, &s)) TraceSysteme(s);
        }
    }
    SetPenState(&pen);
    ForeColor(33);
    return noErr;
}

PicHandle CreePicturePage(DocumentRecord *document, SInt16 page) {
    if (!document || !qd.thePort) return nullptr;
    if (IsPartitionValide(document->score)) CombienDePages(document->score);
    float width = 0, height = 0;
    GetTaillePapier(document, &width, &height);
    Rect frame = {0, 0, BornePixel(height), BornePixel(width)};
    PicHandle picture = OpenPicture(&frame);
    if (!picture) return nullptr;
    ForeColor(33);
    BackColor(30);
    TracePageDocument(document, page, 1, page, GetNbPagesDocument(document));
    ClosePicture();
    return picture;
}

namespace {

// The line's geometry at the drawing scale, with each shown staff's place and size.
Boolean PrepareSysteme(DocumentRecord *document, SInt16 page, SInt32 index, float scale, SystemDrawing *s) {
    s->document = document;
    s->score = document->score;
    s->scale = scale;
    if (!IsPartitionValide(s->score) || !GetLigneMiseEnPage(document, page, index, &s->line)) return kFalse;
    LigneRecord &l = s->line;
    for (float *v : {&l.top, &l.bottom, &l.left, &l.right, &l.namesRight, &l.space, &l.pointPixels}) *v *= scale;
    SInt32 n = l.closingMeasure - l.firstMeasure;
    if (n < 1 || n > kMaxMesuresSegment) return kFalse;
    s->bars.resize(size_t(n + 1));
    s->notes.resize(size_t(n));
    for (SInt32 i = 0; i <= n; i++) {
        float bar = 0, notes = 0;
        GetXMesureLigne(document, page, index, l.firstMeasure + i, &bar, &notes);
        s->bars[size_t(i)] = bar * scale;
        if (i < n) s->notes[size_t(i)] = notes * scale;
    }
    SInt16 staves = (*s->score)->staffCount;
    s->y.assign(size_t(staves), -1);
    s->span.assign(size_t(staves), 0);
    s->space.assign(size_t(staves), 0);
    for (SInt16 st = 0; st < staves; st++) {
        float y = GetYPorteeLigne(document, page, index, st);
        if (y < 0) continue;
        const StaffRecord *p = *GetPortee(s->score, st);
        float lineSpacing = p->lineSpacing > 0 && p->lineSpacing < 1000 ? p->lineSpacing : 6.0f;
        float size = p->size > 0 ? std::min<float>(p->size, 2000) : 72;
        s->y[size_t(st)] = y * scale;
        s->space[size_t(st)] = std::max(1.0f, std::min(1000.0f, lineSpacing * size / 72.0f * l.pointPixels));
        s->span[size_t(st)] = float(std::max<SInt16>(1, std::min<SInt16>(p->lineCount, 16)) - 1) * s->space[size_t(st)];
    }
    return kTrue;
}

void TracePapier(float width, float height) {
    Rect paper = {0, 0, BornePixel(height), BornePixel(width)};
    RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
    RGBBackColor(&white);
    EraseRect(&paper);
    ForeColor(33);
}

// The three title slots: each at its place below the top margin, its lines placed by its
// justification, in its style (serif 12 points when it has none).
void TraceTitres(DocumentRecord *document, const PageRecord &, float scale) {
    float dpi = float(GetDpiDest()) * scale;
    float paperWidth = 0;
    GetTaillePapier(document, &paperWidth, nullptr);
    paperWidth *= scale;
    SInt32 margins[4];
    GetMargesMiseEnPage(&document->pageSetup, margins);
    float left = CvtDixiemeMMEnPixels(margins[0], dpi);
    float right = paperWidth - CvtDixiemeMMEnPixels(margins[2], dpi);
    float top = CvtDixiemeMMEnPixels(margins[1], dpi);
    float pointPixels = dpi / kDpiEcran;
    for (SInt16 index = 0; index < 3; index++) {
        const TitleSlot &slot = document->titles[index];
        size_t length = strnlen(slot.text, sizeof slot.text);
        if (length == 0) continue;
        TextStyleRecord style = slot.style;
        if (style.font == 0) style.font = kPoliceTitre;
        float lineHeight = 0, ascent = 0;
        HauteurTexteStyle(&style, pointPixels, kTailleTitreDefaut, &lineHeight, &ascent);
        RGBForeColor(&style.color);
        TextFont(style.font);
        TextFace(style.face & 0x7F);
        TextSize(TailleTextePixels(&style, pointPixels, kTailleTitreDefaut));
        float y = top + CvtDixiemeMMEnPixels(GetPosTitre(document, index), dpi) + ascent;
        float offset = CvtDixiemeMMEnPixels(slot.horizontal, dpi);
        std::string text(slot.text, length);
        for (size_t start = 0; start < text.size();) {
            size_t end = std::min(text.find_first_of("\r\n", start), text.size());
            SInt32 count = SInt32(end - start);
            float width = UTFTextWidth(qd.thePort, text.c_str(), SInt32(start), count);
            float x = slot.justification == 1 ? (paperWidth - width) / 2 + offset
                      : slot.justification < 0 ? right - offset - width : left + offset;
            _MoveTo(BornePixel(x), BornePixel(y));
            UTFDrawText(qd.thePort, text.c_str(), SInt32(start), count, 0);
            y += lineHeight;
            start = end + (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n' ? 2 : 1);
        }
    }
    ForeColor(33);
}

void TraceSysteme(const SystemDrawing &s) {
    TraceLigneSysteme(s);
    TraceGroupes(s);
    TraceNoms(s);
    TraceNumeroMesure(s);
    SInt32 n = s.line.closingMeasure - s.line.firstMeasure;
    Boolean first = kTrue;
    for (SInt16 st = 0; st < (*s.score)->staffCount; st++) {
        if (s.y[size_t(st)] < 0) continue;
        StaffHandle staff = GetPortee(s.score, st);
        GeometrieSegment g = {s.line.firstMeasure, n, s.bars.data(), s.notes.data(), nullptr, nullptr,
                              s.line.left, s.y[size_t(st)], s.space[size_t(st)], std::max(0.01f, s.line.pointPixels),
                              UInt8(kSegmentDebutSysteme | (first ? kSegmentMarquesSysteme : 0))};
        TracePorteeSegment(staff, &g);
        TraceObjetsPortee(staff, &g);
        TraceGraphiques(s, staff, s.y[size_t(st)]);
        first = kFalse;
    }
}

// The line that joins the staves of a system at their left end.
void TraceLigneSysteme(const SystemDrawing &s) {
    float top = -1, bottom = -1;
    SInt32 shown = 0;
    for (size_t st = 0; st < s.y.size(); st++) {
        if (s.y[st] < 0) continue;
        if (top < 0) top = s.y[st];
        bottom = std::max(bottom, s.y[st] + s.span[st]);
        shown++;
    }
    if (shown < 2) return;
    // From the top of the first staff's top line to the bottom of the last staff's bottom line.
    float width = std::max(1.0f, kEpaisseurBarre * s.line.space), line = std::max(1.0f, kEpaisseurLigne * s.line.space);
    Rectangle(s.line.left - width / 2, top - line / 2, s.line.left + width / 2, bottom + line / 2);
}

// Braces, brackets and plain lines left of the staves of each group, then the bar lines of the
// groups that draw them through.
void TraceGroupes(const SystemDrawing &s) {
    for (SInt32 g = 0; g < (*s.score)->partGroupCount; g++) {
        PartGroupRecord group;
        if (!GetPartGroup(s.score, g, &group)) continue;
        float top = -1, bottom = -1;
        for (SInt16 st = std::max<SInt16>(0, group.firstStaff); st <= group.lastStaff && st < SInt16(s.y.size()); st++) {
            if (s.y[size_t(st)] < 0) continue;
            if (top < 0) top = s.y[size_t(st)];
            bottom = std::max(bottom, s.y[size_t(st)] + s.span[size_t(st)]);
        }
        if (top < 0) continue;
        float right = s.line.left - std::max(0.0f, std::min(float(group.x), 1000.0f)) * s.line.pointPixels;
        float space = s.line.space;
        if (group.kind == kGroupeAccolade) {
            TraceAccolade(s, right, top, bottom);
        } else if (group.kind == kGroupeCrochet) {
            float thick = std::max(1.0f, kEpaisseurCrochet * space);
            Rectangle(right - thick, top - kDebordCrochet * space, right, bottom + kDebordCrochet * space);
        } else {
            float thin = std::max(1.0f, kEpaisseurBarre * space);
            Rectangle(right - thin, top, right, bottom);
        }
        if (group.barlines == 1 || group.barlines == 2) TraceBarresGroupe(s, group);
    }
}

// The brace glyph, 16 spaces of the font high: drawn at a size of a quarter of its height,
// its right edge at right and its middle on the baseline.
void TraceAccolade(const SystemDrawing &s, float right, float top, float bottom) {
    const MusicGlyphMetrics *brace = nullptr;
    for (const MusicGlyphMetrics &m : kMusicGlyphMetrics)
        if (m.code == kGlyphBrace) brace = &m;
    float height = bottom - top;
    if (!brace || !lentaraPrint || height < 4) {
        Rectangle(right - std::max(1.0f, 0.3f * s.line.space), top, right, bottom);
        return;
    }
    float size = height / 4;
    float x = right - float(brace->xMax) * size / kMusicFontUnitsPerEm;
    TextFont(lentaraPrint);
    TextFace(0);
    TextSize(BornePixel(size));
    _MoveTo(BornePixel(x), BornePixel((top + bottom) / 2));
    char byte = char(kGlyphBrace & 0xFF);
    _DrawText(&byte, 0, 1);
}

// Between each shown staff of the group and the next, at each bar of the line; the end of the
// score takes the final bar's heavy line too.
void TraceBarresGroupe(const SystemDrawing &s, const PartGroupRecord &group) {
    std::vector<SInt16> staves;
    for (SInt16 st = std::max<SInt16>(0, group.firstStaff); st <= group.lastStaff && st < SInt16(s.y.size()); st++)
        if (s.y[size_t(st)] >= 0) staves.push_back(st);
    if (staves.size() < 2) return;
    float space = s.line.space;
    float thin = std::max(1.0f, kEpaisseurBarre * space), thick = std::max(1.0f, kEpaisseurBarreEpaisse * space);
    Boolean scoreEnd = s.line.closingMeasure >= (*s.score)->measureCount;
    for (size_t b = 1; b < s.bars.size(); b++) {
        float x = s.bars[b];
        Boolean last = scoreEnd && b + 1 == s.bars.size();
        for (size_t k = 0; k + 1 < staves.size(); k++) {
            float from = s.y[size_t(staves[k])] + s.span[size_t(staves[k])], to = s.y[size_t(staves[k + 1])];
            if (last) {
                Rectangle(x - thick, from, x, to);
                Rectangle(x - thick - kEcartBarres * space - thin, from, x - thick - kEcartBarres * space, to);
            } else {
                Rectangle(x - thin / 2, from, x + thin / 2, to);
            }
        }
    }
}

// Long names on the first system, short ones later: a staff's beside its middle line, a
// group's beside the middle of its staves when its staves have none.
void TraceNoms(const SystemDrawing &s) {
    Boolean longNames = s.line.names == 1;
    float right = s.line.namesRight;
    for (SInt16 st = 0; st < SInt16(s.y.size()); st++) {
        // A staff that continues a merge group shares its first staff's place and name.
        if (s.y[size_t(st)] < 0 || CvtIndexPorteeEnIndexPorteeDebutFusion(s.score, st) != st) continue;
        StaffHandle staff = GetPortee(s.score, st);
        Handle name = longNames ? (*staff)->longName : (*staff)->shortName;
        TextStyleRecord style = longNames ? (*staff)->longNameStyle : (*staff)->shortNameStyle;
        TraceNom(name, style, right, s.y[size_t(st)] + s.span[size_t(st)] / 2, s.line.pointPixels);
    }
    for (SInt32 g = 0; g < (*s.score)->partGroupCount; g++) {
        PartGroupRecord group;
        if (!GetPartGroup(s.score, g, &group)) continue;
        float top = -1, bottom = -1;
        Boolean named = kFalse;
        for (SInt16 st = std::max<SInt16>(0, group.firstStaff); st <= group.lastStaff && st < SInt16(s.y.size()); st++) {
            if (s.y[size_t(st)] < 0) continue;
            StaffHandle staff = GetPortee(s.score, st);
            named = named || (longNames ? (*staff)->longName : (*staff)->shortName);
            if (top < 0) top = s.y[size_t(st)];
            bottom = s.y[size_t(st)] + s.span[size_t(st)];
        }
        if (top < 0 || named) continue;
        TraceNom(longNames ? group.longName : group.shortName, longNames ? group.longNameStyle : group.shortNameStyle,
                 right, (top + bottom) / 2, s.line.pointPixels);
    }
}

void TraceNom(Handle name, const TextStyleRecord &style, float right, float middle, float pointPixels) {
    if (!name || !*name || GetHandleSize(name) == 0) return;
    std::string text(*name, *name + GetHandleSize(name));
    text = text.substr(0, text.find('\0'));
    if (text.empty()) return;
    float ascent = 0;
    HauteurTexteStyle(&style, pointPixels, kTailleNomsDefaut, nullptr, &ascent);
    RGBForeColor(&style.color);
    TextFont(style.font);
    TextFace(style.face & 0x7F);
    TextSize(TailleTextePixels(&style, pointPixels, kTailleNomsDefaut));
    float width = UTFTextWidth(qd.thePort, text.c_str(), 0, SInt32(text.size()));
    _MoveTo(BornePixel(right - width), BornePixel(middle + ascent / 3));
    UTFDrawText(qd.thePort, text.c_str(), 0, SInt32(text.size()), 0);
    ForeColor(33);
}

// The number of the line's first measure above its top staff, from the second line on.
void TraceNumeroMesure(const SystemDrawing &s) {
    if (s.line.firstMeasure == 0) return;
    const MeasureElement *m = GetMesurePtr(s.score, s.line.firstMeasure);
    if (!m || m->shownNumber == 0) return;
    for (size_t st = 0; st < s.y.size(); st++) {
        if (s.y[st] < 0) continue;
        char text[8];
        snprintf(text, sizeof text, "%u", unsigned(m->shownNumber));
        TextFont(kPoliceTitre);
        TextFace(kFaceItalique);
        TextSize(BornePixel(std::max(1.0f, kTailleNumeroMesure * s.line.pointPixels)));
        TraceTexte(text, s.line.left, s.y[st] - kHauteurNumero * s.space[st]);
        return;
    }
}

// The staff's graphics whose anchor starts on the line.
void TraceGraphiques(const SystemDrawing &s, StaffHandle staff, float y) {
    SInt32 from = CvtMesureEnTemps(s.score, s.line.firstMeasure), to = CvtMesureEnTemps(s.score, s.line.closingMeasure);
    for (SInt32 i = 0; i < NbGraphiques(staff); i++) {
        GraphicRecord g = *GetGraphiquePtr(staff, i);
        if (g.anchor[1] < from || g.anchor[1] >= to) continue;
        SInt16 page = GetPageMesure(s.document, s.line.firstMeasure);
        SInt32 line = -1;
        PageRecord record;
        if (GetPageMiseEnPage(s.document, page, &record))
            for (SInt32 l = 0; l < record.lineCount && line < 0; l++) {
                LigneRecord other;
                if (GetLigneMiseEnPage(s.document, page, l, &other) && other.firstMeasure == s.line.firstMeasure) line = l;
            }
        if (line < 0) continue;
        float x = CvtTempsEnXLigne(s.document, page, line, g.anchor[1]) * s.scale + g.offsets[0] * s.line.pointPixels;
        float width = float(SInt64(g.anchor[3]) - g.anchor[1]) / 1008.0f * s.line.pointPixels;
        Rect r = {BornePixel(y + g.anchor[0] * s.line.pointPixels), BornePixel(x),
                  BornePixel(y + g.anchor[2] * s.line.pointPixels), BornePixel(x + std::max(1.0f, width))};
        GrafPtr cache = g.image;
        TraceImageFormat(g.data, g.format, &cache, &r);
        if (GraphicRecord *stored = GetGraphiquePtr(staff, i)) stored->image = cache;
    }
}

void TraceTexte(const char *text, float x, float baseline) {
    _MoveTo(BornePixel(x), BornePixel(baseline));
    UTFDrawText(qd.thePort, text, 0, SInt32(std::strlen(text)), 0);
}

void Rectangle(float left, float top, float right, float bottom) {
    Rect r = {BornePixel(top), BornePixel(left), BornePixel(bottom), BornePixel(right)};
    if (r.right <= r.left) r.right = SInt16(r.left + 1);
    if (r.bottom <= r.top) r.bottom = SInt16(r.top + 1);
    PaintRect(&r);
}

// Layout pixels (at the output resolution) to drawn pixels.
float Echelle(float scale) { return float(GetDpiDest()) / float(kDpiMiseEnPage) * scale; }

}  // namespace
