// Breaking a score into lines and pages, and the accessors of the layout handle.
#include "layout/pagination.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engraving/engraver.h"
#include "engraving/glyphs.h"
#include "layout/drawing_kit.h"
#include "layout/spacing.h"
#include "layout/staff_heights.h"
#include "layout/units.h"
#include "layout/views.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"
#include "score/score_hooks.h"

namespace {

const UInt32 kMagiqueMiseEnPage = FourCC("Mpag");
const float kPointsParEspace = 6.0f;
const float kEcartSystemes = 3.0f;     // spaces between two systems of a page, beyond their bands
const float kEcartTitres = 2.0f;       // spaces between the titles and the first system
const float kEcartNoms = 1.0f;         // spaces between the names and the braces
const float kLargeurCrochet = 0.9f;    // spaces a bracket or a plain line takes left of the staves
const float kLargeurMinimale = 4.0f;   // spaces of a system at least, whatever the margins
const float kZoomMin = 0.02f, kZoomMax = 50.0f;
const SInt16 kTailleNomsDefaut = 10;   // points of staff names without a size
const float kMargeMaxPart = 0.4f;      // a margin takes at most this part of the paper

// The flat layout handle: this header, then the pages, the lines, the staff y table (lineCount
// x staffCount) and the measure x tables (bar x and notes x per entry).
struct LayoutHeader {
    UInt32 magic;
    SInt32 pageCount;
    SInt32 lineCount;
    SInt32 staffCount;
    SInt32 xCount;
    SInt32 measureCount;     // of the score laid out
    ScoreHandle score;       // the score laid out
    float paperWidth;        // pixels at kDpiMiseEnPage
    float paperHeight;
    float zoom;
};

// One shown staff of the layout.
struct SlotRecord {
    SInt16 staff;            // score index
    SInt16 mergedInto;       // -1, or the slot whose place it shares (a merge group)
    float space, linesSpan, band, depth;  // pixels: band height, top line below the band's top
    std::vector<StaffHeightEvent> events;
};

struct LineBuild {
    SInt32 first = 0, closing = 0;
    SInt16 names = 1;
    float left = 0, right = 0, namesRight = 0, top = 0, height = 0, drop = 0;
    std::vector<float> bars, notes;  // bars: closing - first + 1 values, notes: closing - first
    std::vector<float> y;            // per staff of the score, -1 not shown
};

struct PageBuild {
    SInt32 firstLine = 0, lineCount = 0;
    float contentTop = 0;
    UInt8 titles = 0, reserved = 0;
};

struct LayoutContext {
    DocumentRecord *document;
    ScoreHandle score;
    float zoom, pointPixels;             // pixels a point of music at kDpiMiseEnPage
    float paperW, paperH, marginL, marginT, marginR, marginB;
    float space;                          // the reference staff space
    float longNames, shortNames, groupRoom, firstIndent, titlesBottom;
    std::vector<SlotRecord> slots;
    std::vector<float> start, proportional, end;
    std::vector<UInt8> allowed, forced, pageBreak;
    Boolean traced;
};

Boolean PrepareContexte(LayoutContext *c, DocumentRecord *document, const PageSetupRecord *setup);
void PrepareMarges(LayoutContext *c, const PageSetupRecord *setup);
void PreparePortees(LayoutContext *c);
void PrepareMesures(LayoutContext *c);
void PrepareNoms(LayoutContext *c);
void PrepareCoupures(LayoutContext *c);
SInt32 SommeEvenements(const SlotRecord &slot, SInt16 kind, SInt32 measure);
float Evenement(const LayoutContext &c, SInt16 kind, SInt32 measure);
void CoupeLignes(LayoutContext *c, std::vector<LineBuild> *lines);
SInt32 FinLigne(LayoutContext *c, SInt32 first, float available, float opening);
void JustifieLigne(const LayoutContext &c, LineBuild *line, float available, float opening, Boolean last);
void PlaceVerticalement(const LayoutContext &c, LineBuild *line);
void EmpilePages(LayoutContext *c, std::vector<LineBuild> *lines, std::vector<PageBuild> *pages);
OSErr EcritMiseEnPage(const LayoutContext &c, const std::vector<LineBuild> &lines, const std::vector<PageBuild> &pages);
const LayoutHeader *Entete(DocumentRecord *document);
const PageRecord *Pages(const LayoutHeader *h);
const LigneRecord *Lignes(const LayoutHeader *h);
const float *TableY(const LayoutHeader *h);
const float *TableBarres(const LayoutHeader *h);
const float *TableNotes(const LayoutHeader *h);
const LigneRecord *LigneBrute(DocumentRecord *document, SInt16 page, SInt32 line);
float Echelle();

}  // namespace

OSErr MetsEnPageDocument(DocumentRecord *document, const PageSetupRecord *setup, const PrintInfoRecord *) {
    if (!document) return paramErr;
    LayoutContext c;
    if (!PrepareContexte(&c, document, setup ? setup : &document->pageSetup)) return paramErr;
    std::vector<LineBuild> lines;
    CoupeLignes(&c, &lines);
    std::vector<PageBuild> pages;
    EmpilePages(&c, &lines, &pages);
    OSErr err = EcritMiseEnPage(c, lines, pages);
    if (err == noErr) FixeZoomPage(c.zoom);
    return err;
}

SInt16 CombienDePages(ScoreHandle score) {
    if (!IsPartitionValide(score) || !(*score)->document) return 0;
    DocumentRecord *document = (*score)->document;
    if ((*score)->pendingMask) UpdateTabEltMesure(score, (*score)->pendingMask);
    const LayoutHeader *h = Entete(document);
    Boolean fits = h && h->score == score && h->measureCount == (*score)->measureCount &&
                   h->staffCount == (*score)->staffCount && document->score == score;
    if (!IsMiseEnPageCalculee(document) || !fits) MetsEnPageDocument(document, nullptr, nullptr);
    return GetNbPagesDocument(document);
}

void FixeMiseEnPageNonCalculee(DocumentRecord *document) {
    if (document) document->layoutComputed = 0;
}

Boolean IsMiseEnPageCalculee(DocumentRecord *document) { return document && document->layoutComputed && Entete(document); }

SInt16 GetNbPagesDocument(DocumentRecord *document) {
    const LayoutHeader *h = Entete(document);
    return h ? SInt16(h->pageCount) : 0;
}

Boolean GetPageMiseEnPage(DocumentRecord *document, SInt16 page, PageRecord *out) {
    const LayoutHeader *h = Entete(document);
    if (!out || !h || page < 1 || page > h->pageCount) return kFalse;
    *out = Pages(h)[page - 1];
    out->contentTop *= Echelle();
    return kTrue;
}

Boolean GetLigneMiseEnPage(DocumentRecord *document, SInt16 page, SInt32 line, LigneRecord *out) {
    const LigneRecord *raw = LigneBrute(document, page, line);
    if (!out || !raw) return kFalse;
    float k = Echelle();
    *out = *raw;
    out->top *= k;
    out->bottom *= k;
    out->left *= k;
    out->right *= k;
    out->namesRight *= k;
    out->space *= k;
    out->pointPixels *= k;
    return kTrue;
}

float GetYPorteeLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt16 staff) {
    const LigneRecord *raw = LigneBrute(document, page, line);
    const LayoutHeader *h = Entete(document);
    if (!raw || staff < 0 || staff >= h->staffCount) return -1;
    float y = TableY(h)[raw->yIndex + staff];
    return y < 0 ? -1 : y * Echelle();
}

Boolean GetXMesureLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt32 measure, float *barX, float *notesX) {
    const LigneRecord *raw = LigneBrute(document, page, line);
    if (!raw || measure < raw->firstMeasure || measure > raw->closingMeasure) return kFalse;
    const LayoutHeader *h = Entete(document);
    SInt32 i = raw->xIndex + measure - raw->firstMeasure;
    float k = Echelle();
    if (barX) *barX = TableBarres(h)[i] * k;
    if (notesX) *notesX = (measure < raw->closingMeasure ? TableNotes(h)[i] : TableBarres(h)[i]) * k;
    return kTrue;
}

float CvtTempsEnXLigne(DocumentRecord *document, SInt16 page, SInt32 line, SInt32 time) {
    const LigneRecord *raw = LigneBrute(document, page, line);
    if (!raw) return 0;
    const LayoutHeader *h = Entete(document);
    ScoreHandle score = h->score;
    SInt32 measure = CvtTempsEnMesure(score, std::max<SInt32>(0, time));
    if (measure < 0) measure = (*score)->measureCount;
    measure = std::max(raw->firstMeasure, std::min(measure, raw->closingMeasure));
    SInt32 i = raw->xIndex + measure - raw->firstMeasure;
    float k = Echelle();
    if (measure >= raw->closingMeasure) return TableBarres(h)[i] * k;
    SInt32 start = CvtMesureEnTemps(score, measure), length = std::max<SInt32>(1, CvtMesureEnDureeMesure(score, measure));
    float from = TableNotes(h)[i], to = TableBarres(h)[i + 1] - raw->space;  // the engraver's end room
    float fraction = float(std::max<SInt32>(0, std::min(time - start, length))) / float(length);
    return (from + fraction * std::max(0.0f, to - from)) * k;
}

SInt16 GetPageMesure(DocumentRecord *document, SInt32 measure) {
    const LayoutHeader *h = Entete(document);
    if (!h) return 0;
    for (SInt32 p = 0; p < h->pageCount; p++) {
        const PageRecord &page = Pages(h)[p];
        for (SInt32 l = 0; l < page.lineCount; l++) {
            const LigneRecord &line = Lignes(h)[page.firstLine + l];
            if (measure >= line.firstMeasure && measure < line.closingMeasure) return SInt16(p + 1);
        }
    }
    return 0;
}

void GetTaillePapier(DocumentRecord *document, float *width, float *height) {
    const LayoutHeader *h = Entete(document);
    float w = 0, ht = 0;
    if (h) {
        w = h->paperWidth * Echelle();
        ht = h->paperHeight * Echelle();
    } else if (document) {
        GetPapierMiseEnPage(&document->pageSetup, &w, &ht);
        w *= float(GetDpiDest()) / kDpiEcran;
        ht *= float(GetDpiDest()) / kDpiEcran;
    }
    if (width) *width = w;
    if (height) *height = ht;
}

namespace {

Boolean PrepareContexte(LayoutContext *c, DocumentRecord *document, const PageSetupRecord *setup) {
    c->document = document;
    c->score = IsPartitionValide(document->score) ? document->score : nullptr;
    c->traced = kFalse;
    c->longNames = c->shortNames = c->groupRoom = c->firstIndent = c->titlesBottom = 0;
    float zoom = std::isfinite(document->zoom) && document->zoom > 0 ? document->zoom : 1.0f;
    c->zoom = std::max(kZoomMin, std::min(kZoomMax, zoom));
    c->pointPixels = c->zoom * float(kDpiMiseEnPage) / kDpiEcran;
    c->space = kPointsParEspace * c->pointPixels;
    PrepareMarges(c, setup);
    if (!c->score) return kTrue;
    PreparePortees(c);
    PrepareMesures(c);
    PrepareNoms(c);
    PrepareCoupures(c);
    return kTrue;
}

// Paper and margins in pixels; margins are never negative nor more than kMargeMaxPart of the paper.
void PrepareMarges(LayoutContext *c, const PageSetupRecord *setup) {
    float width = 0, height = 0;
    GetPapierMiseEnPage(setup, &width, &height);
    float k = float(kDpiMiseEnPage) / kDpiEcran;
    c->paperW = width * k;
    c->paperH = height * k;
    auto margin = [&](SInt32 tenths, float extent) {
        return std::min(CvtDixiemeMMEnPixels(std::max<SInt32>(0, tenths), kDpiMiseEnPage), kMargeMaxPart * extent);
    };
    SInt32 margins[4];
    GetMargesMiseEnPage(setup, margins);
    c->marginL = margin(margins[0], c->paperW);
    c->marginT = margin(margins[1], c->paperH);
    c->marginR = margin(margins[2], c->paperW);
    c->marginB = margin(margins[3], c->paperH);
    if (c->document->firstSystemIndent > 0)
        c->firstIndent = std::min(float(c->document->firstSystemIndent) / 10.0f * c->pointPixels, c->paperW / 2);
    SInt32 titles = GetBasTitres(c->document);
    if (titles > 0) c->titlesBottom = CvtDixiemeMMEnPixels(titles, kDpiMiseEnPage) + kEcartTitres * c->space;
}

// The staves a page shows: drawn by the engraver, printable, in the current view; the staves
// that continue a merge group share the place of its first.
void PreparePortees(LayoutContext *c) {
    ScoreHandle score = c->score;
    float reference = 0;
    for (SInt16 s = 0; s < (*score)->staffCount; s++) {
        StaffHandle staff = GetPortee(score, s);
        if (!IsPorteeTracee(staff) || !(*staff)->printable || !IsPorteeDansVueCourante(c->document, staff)) continue;
        SlotRecord slot;
        slot.staff = s;
        slot.mergedInto = -1;
        SInt16 head = CvtIndexPorteeEnIndexPorteeDebutFusion(score, s);
        for (size_t k = 0; k < c->slots.size() && head != s; k++)
            if (c->slots[k].staff == head) slot.mergedInto = SInt16(k);
        const StaffRecord *p = *staff;
        float size = p->size > 0 ? std::min<float>(p->size, 2000) : 72;
        float lineSpacing = p->lineSpacing > 0 && p->lineSpacing < 1000 ? p->lineSpacing : kPointsParEspace;
        slot.space = std::max(0.5f, lineSpacing * size / 72.0f * c->pointPixels);
        slot.linesSpan = float(std::max<SInt16>(1, std::min<SInt16>(p->lineCount, 16)) - 1) * slot.space;
        float own = p->band > 0 ? float(p->band) : float(std::max<SInt16>(p->height, 0)) * size / 72.0f;
        slot.band = std::max(own * c->pointPixels, slot.linesSpan + 2 * slot.space);
        slot.depth = p->topOffset > 0 ? float(p->topOffset) * c->pointPixels - slot.linesSpan
                                      : (slot.band - slot.linesSpan) / 2;
        slot.depth = std::max(0.0f, std::min(slot.depth, slot.band - slot.linesSpan));
        SInt32 events = NbEvenementsHauteur(staff);
        slot.events.resize(size_t(events));
        slot.events.resize(size_t(GetEvenementsHauteur(staff, slot.events.data(), events)));
        reference = std::max(reference, slot.space);
        c->slots.push_back(std::move(slot));
    }
    if (reference > 0) c->space = reference;
}

// Each measure's three widths, computed at the layout's resolution then zoomed.
void PrepareMesures(LayoutContext *c) {
    ScoreHandle score = c->score;
    SInt32 count = (*score)->measureCount;
    if (count > 0) CalculePosTempsPixelTabElt(score, 0, nullptr, 0, count, kDpiMiseEnPage, -1);
    c->start.resize(size_t(count));
    c->proportional.resize(size_t(count));
    c->end.resize(size_t(count));
    for (SInt32 i = 0; i < count; i++) {
        const MeasureElement *m = GetMesurePtr(score, i);
        // Packed fields: read by value.
        SInt32 start = m->startMarginPixels, proportional = m->proportionalPixels, end = m->endMarginPixels;
        c->start[size_t(i)] = float(std::max<SInt32>(0, start)) * c->zoom;
        c->proportional[size_t(i)] = float(std::max<SInt32>(0, proportional)) * c->zoom;
        c->end[size_t(i)] = float(std::max<SInt32>(0, end)) * c->zoom;
    }
}

// The widest long and short names of the shown staves and of the groups over them, and the
// room the braces, brackets and lines of the groups take left of the staves.
void PrepareNoms(LayoutContext *c) {
    ScoreHandle score = c->score;
    float gap = kEcartNoms * c->space;
    for (const SlotRecord &slot : c->slots) {
        if (slot.mergedInto >= 0) continue;
        StaffHandle staff = GetPortee(score, slot.staff);
        for (Boolean shortName : {kFalse, kTrue}) {
            Handle name = shortName ? (*staff)->shortName : (*staff)->longName;
            if (!name || !*name) continue;
            TextStyleRecord style = shortName ? (*staff)->shortNameStyle : (*staff)->longNameStyle;
            std::vector<char> text(*name, *name + GetHandleSize(name));
            text.push_back(0);
            float width = LargeurTexteStyle(text.data(), &style, c->pointPixels, kTailleNomsDefaut) + gap;
            float &slotWidth = shortName ? c->shortNames : c->longNames;
            slotWidth = std::max(slotWidth, width);
        }
    }
    for (SInt32 g = 0; g < (*score)->partGroupCount; g++) {
        PartGroupRecord group;
        if (!GetPartGroup(score, g, &group)) continue;
        float height = 0;
        for (const SlotRecord &slot : c->slots)
            if (slot.staff >= group.firstStaff && slot.staff <= group.lastStaff) height += slot.band;
        if (height <= 0) continue;
        float width = kLargeurCrochet * c->space;
        if (group.kind == kGroupeAccolade) {
            for (const MusicGlyphMetrics &m : kMusicGlyphMetrics)
                if (m.code == kGlyphBrace) width = float(m.advance) * (height / 4) / kMusicFontUnitsPerEm;
        }
        float offset = std::max(0.0f, std::min(float(group.x), 1000.0f)) * c->pointPixels;
        c->groupRoom = std::max(c->groupRoom, offset + width);
        for (Boolean shortName : {kFalse, kTrue}) {
            Handle name = shortName ? group.shortName : group.longName;
            if (!name || !*name) continue;
            std::vector<char> text(*name, *name + GetHandleSize(name));
            text.push_back(0);
            TextStyleRecord style = shortName ? group.shortNameStyle : group.longNameStyle;
            float w = LargeurTexteStyle(text.data(), &style, c->pointPixels, kTailleNomsDefaut) + gap;
            float &slotWidth = shortName ? c->shortNames : c->longNames;
            slotWidth = std::max(slotWidth, w);
        }
    }
}

// Where lines may and must end: break flags, and no break inside a run of empty measures that
// is shown as one multi-measure rest.
void PrepareCoupures(LayoutContext *c) {
    ScoreHandle score = c->score;
    SInt32 count = (*score)->measureCount;
    c->allowed.assign(size_t(count), 1);
    c->forced.assign(size_t(count), 0);
    c->pageBreak.assign(size_t(count), 0);
    for (SInt32 i = 0; i < count; i++) {
        const MeasureElement *m = GetMesurePtr(score, i);
        c->allowed[size_t(i)] = !m->breakForbidden;
        c->forced[size_t(i)] = m->systemBreak || m->pageBreak;
        c->pageBreak[size_t(i)] = m->pageBreak != 0;
    }
    if (!(c->document->multiRestOption & 1)) return;
    std::vector<UInt8> empty(size_t(count), 1);
    for (const SlotRecord &slot : c->slots) {
        StaffHandle staff = GetPortee(score, slot.staff);
        for (SInt32 n = 0; n < (*staff)->noteCount; n++) {
            const NoteRecord *note = GetNotePtr(staff, n);
            SInt32 measure = note->pitch >= 0 ? CvtTempsEnMesure(score, note->time) : -1;
            if (measure >= 0) empty[size_t(measure)] = 0;
        }
    }
    for (SInt32 i = 0; i + 1 < count; i++)
        if (empty[size_t(i)] && empty[size_t(i + 1)]) c->allowed[size_t(i)] = 0;
}

SInt32 SommeEvenements(const SlotRecord &slot, SInt16 kind, SInt32 measure) {
    SInt64 sum = 0;
    for (const StaffHeightEvent &e : slot.events)
        if (e.kind == kind && measure >= e.firstMeasure && measure <= e.lastMeasure) sum += e.value;
    return SInt32(std::max<SInt64>(-1000000, std::min<SInt64>(1000000, sum)));
}

// The largest value the shown staves give an event kind at a measure, in pixels (0 at least).
float Evenement(const LayoutContext &c, SInt16 kind, SInt32 measure) {
    float best = 0;
    for (const SlotRecord &slot : c.slots) best = std::max(best, float(SommeEvenements(slot, kind, measure)));
    return best * c.pointPixels;
}

void CoupeLignes(LayoutContext *c, std::vector<LineBuild> *lines) {
    if (!c->score) return;
    SInt32 count = (*c->score)->measureCount;
    SInt32 first = 0;
    while (first < count) {
        LineBuild line;
        line.first = first;
        line.names = lines->empty() ? 1 : 2;
        float names = lines->empty() ? c->longNames : c->shortNames;
        float indentLeft = std::min(Evenement(*c, kEvtRetraitGauche, first), c->paperW / 2);
        float indentRight = std::min(Evenement(*c, kEvtRetraitDroit, first), c->paperW / 2);
        line.namesRight = c->marginL + indentLeft + (lines->empty() ? c->firstIndent : 0) + names - kEcartNoms * c->space;
        line.left = c->marginL + indentLeft + (lines->empty() ? c->firstIndent : 0) + names + c->groupRoom;
        float right = c->paperW - c->marginR - indentRight;
        float available = std::max(right - line.left, kLargeurMinimale * c->space);
        float opening = LargeurDebutSysteme(c->score, first, kDpiMiseEnPage) * c->zoom;
        line.closing = FinLigne(c, first, available, opening) + 1;
        JustifieLigne(*c, &line, available, opening, line.closing >= count);
        PlaceVerticalement(*c, &line);
        first = line.closing;
        lines->push_back(std::move(line));
    }
}

// The last measure of the line that starts at first: as many as fit, ending where a line may
// end; at least one.
SInt32 FinLigne(LayoutContext *c, SInt32 first, float available, float opening) {
    SInt32 count = (*c->score)->measureCount;
    SInt32 last = first;
    float width = opening + c->proportional[size_t(first)] + c->end[size_t(first)];
    while (!c->forced[size_t(last)] && last + 1 < count && last + 1 - first < kMaxMesuresSegment) {
        SInt32 next = last + 1;
        float more = c->start[size_t(next)] + c->proportional[size_t(next)] + c->end[size_t(next)];
        if (width + more > available) break;
        width += more;
        last = next;
    }
    if (c->forced[size_t(last)] || last + 1 >= count || c->allowed[size_t(last)]) return last;
    for (SInt32 b = last - 1; b >= first; b--)
        if (c->allowed[size_t(b)]) return b;
    // A run of measures that may not be broken is wider than the system: it breaks here.
    if (!c->traced) {
        c->traced = kTrue;
        char line[96];
        snprintf(line, sizeof line, "MetsEnPageDocument: unbreakable measures %ld to %ld broken", long(first + 1),
                 long(last + 1));
        PlugTrace("%s", line);
    }
    return last;
}

// The x of each bar and where the notes of each measure begin. Only the proportional parts
// stretch (or shrink) so that the line fills its width; the last line of the score keeps its
// natural width when it is narrower. When even the margins are wider than the line, they
// shrink too.
void JustifieLigne(const LayoutContext &c, LineBuild *line, float available, float opening, Boolean last) {
    SInt32 n = line->closing - line->first;
    float fixed = opening, proportional = 0;
    for (SInt32 i = 0; i < n; i++) {
        size_t m = size_t(line->first + i);
        fixed += (i > 0 ? c.start[m] : 0) + c.end[m];
        proportional += c.proportional[m];
    }
    float stretch = 1, squeeze = 1;
    if (!(last && fixed + proportional <= available)) {
        if (fixed >= available) {
            stretch = 0;
            squeeze = fixed > 0 ? available / fixed : 1;
        } else {
            stretch = proportional > 0 ? (available - fixed) / proportional : 1;
        }
    }
    line->bars.resize(size_t(n + 1));
    line->notes.resize(size_t(n));
    float x = line->left;
    for (SInt32 i = 0; i < n; i++) {
        size_t m = size_t(line->first + i);
        line->bars[size_t(i)] = x;
        x += (i == 0 ? opening : c.start[m]) * squeeze;
        line->notes[size_t(i)] = x;
        x += c.proportional[m] * stretch + c.end[m] * squeeze;
    }
    line->bars[size_t(n)] = x;
    line->right = x;
}

// The staves' places from the line's top (0 until the page is known), with the band, depth and
// first-system events at its first measure.
void PlaceVerticalement(const LayoutContext &c, LineBuild *line) {
    line->y.assign(size_t((*c.score)->staffCount), -1.0f);
    std::vector<float> own(c.slots.size(), 0.0f);
    float y = 0;
    for (size_t k = 0; k < c.slots.size(); k++) {
        const SlotRecord &slot = c.slots[k];
        if (slot.mergedInto >= 0) {
            own[k] = own[size_t(slot.mergedInto)];
            line->y[size_t(slot.staff)] = own[k];
            continue;
        }
        float band = slot.band + float(SommeEvenements(slot, kEvtBande, line->first)) * c.pointPixels;
        band = std::max(band, slot.linesSpan + slot.space);
        float depth = slot.depth + float(SommeEvenements(slot, kEvtDecalageHaut, line->first)) * c.pointPixels;
        depth = std::max(0.0f, std::min(depth, band - slot.linesSpan));
        own[k] = y + depth;
        line->y[size_t(slot.staff)] = own[k];
        y += band;
    }
    line->height = y;
    line->drop = std::min(Evenement(c, kEvtDescentePremierSysteme, line->first), c.paperH / 2);
}

void EmpilePages(LayoutContext *c, std::vector<LineBuild> *lines, std::vector<PageBuild> *pages) {
    SInt32 reserved = std::max<SInt32>(0, std::min<SInt32>(c->document->reservedPages, kMaxPagesReservees));
    for (SInt32 p = 0; p < reserved; p++) {
        PageBuild page;
        page.reserved = 1;
        page.firstLine = 0;
        pages->push_back(page);
    }
    PageBuild page;
    page.titles = 1;
    page.contentTop = c->marginT + c->titlesBottom;
    page.firstLine = 0;
    float bottom = c->paperH - c->marginB, y = page.contentTop;
    float gap = kEcartSystemes * c->space;
    for (size_t i = 0; i < lines->size(); i++) {
        LineBuild &line = (*lines)[i];
        if (page.lineCount > 0 && y + line.height > bottom && SInt32(pages->size()) + 1 < kMaxPagesMiseEnPage) {
            pages->push_back(page);
            page = PageBuild();
            page.firstLine = SInt32(i);
            page.contentTop = c->marginT;
            y = page.contentTop;
        }
        if (page.lineCount == 0) y += line.drop;
        line.top = y;
        for (float &staffY : line.y)
            if (staffY >= 0) staffY += y;
        y += line.height + gap;
        page.lineCount++;
        Boolean breakHere = c->pageBreak[size_t(line.closing - 1)] && i + 1 < lines->size();
        if (breakHere && SInt32(pages->size()) + 1 < kMaxPagesMiseEnPage) {
            pages->push_back(page);
            page = PageBuild();
            page.firstLine = SInt32(i + 1);
            page.contentTop = c->marginT;
            y = page.contentTop;
        }
    }
    pages->push_back(page);
}

OSErr EcritMiseEnPage(const LayoutContext &c, const std::vector<LineBuild> &lines, const std::vector<PageBuild> &pages) {
    SInt32 staffCount = c.score ? (*c.score)->staffCount : 0;
    SInt32 xCount = 0;
    for (const LineBuild &line : lines) xCount += SInt32(line.bars.size());
    size_t bytes = sizeof(LayoutHeader) + pages.size() * sizeof(PageRecord) + lines.size() * sizeof(LigneRecord) +
                   lines.size() * size_t(staffCount) * sizeof(float) + 2 * size_t(xCount) * sizeof(float);
    if (bytes > 0x7FFFFFFF) return memFullErr;
    Handle h = NewHandleClear(UInt32(bytes));
    if (!h) return memFullErr;
    LayoutHeader *header = reinterpret_cast<LayoutHeader *>(*h);
    *header = LayoutHeader{kMagiqueMiseEnPage, SInt32(pages.size()), SInt32(lines.size()), staffCount, xCount,
                           c.score ? (*c.score)->measureCount : 0, c.score, c.paperW, c.paperH, c.zoom};
    PageRecord *pageOut = const_cast<PageRecord *>(Pages(header));
    for (size_t p = 0; p < pages.size(); p++)
        pageOut[p] = PageRecord{pages[p].firstLine, pages[p].lineCount, pages[p].contentTop, pages[p].titles,
                                pages[p].reserved, {0, 0}};
    LigneRecord *lineOut = const_cast<LigneRecord *>(Lignes(header));
    float *y = const_cast<float *>(TableY(header));
    float *bars = const_cast<float *>(TableBarres(header));
    float *notes = const_cast<float *>(TableNotes(header));
    SInt32 x = 0;
    for (size_t l = 0; l < lines.size(); l++) {
        const LineBuild &line = lines[l];
        lineOut[l] = LigneRecord{1, line.names, line.first, line.closing, line.top, line.top + line.height,
                                 line.left, line.right, line.namesRight, c.space, c.pointPixels, x,
                                 SInt32(l) * staffCount};
        std::copy(line.y.begin(), line.y.end(), y + l * size_t(staffCount));
        std::copy(line.bars.begin(), line.bars.end(), bars + x);
        std::copy(line.notes.begin(), line.notes.end(), notes + x);
        x += SInt32(line.bars.size());
    }
    if (c.document->pages) DisposHandle(c.document->pages);
    c.document->pages = h;
    c.document->pageCount = SInt16(pages.size());
    c.document->layoutComputed = 1;
    return noErr;
}

const LayoutHeader *Entete(DocumentRecord *document) {
    if (!document || !document->pages || GetHandleSize(document->pages) < sizeof(LayoutHeader)) return nullptr;
    const LayoutHeader *h = reinterpret_cast<const LayoutHeader *>(*document->pages);
    return h->magic == kMagiqueMiseEnPage ? h : nullptr;
}

const PageRecord *Pages(const LayoutHeader *h) { return reinterpret_cast<const PageRecord *>(h + 1); }

const LigneRecord *Lignes(const LayoutHeader *h) {
    return reinterpret_cast<const LigneRecord *>(Pages(h) + h->pageCount);
}

const float *TableY(const LayoutHeader *h) { return reinterpret_cast<const float *>(Lignes(h) + h->lineCount); }
const float *TableBarres(const LayoutHeader *h) { return TableY(h) + size_t(h->lineCount) * size_t(h->staffCount); }
const float *TableNotes(const LayoutHeader *h) { return TableBarres(h) + h->xCount; }

const LigneRecord *LigneBrute(DocumentRecord *document, SInt16 page, SInt32 line) {
    const LayoutHeader *h = Entete(document);
    if (!h || page < 1 || page > h->pageCount) return nullptr;
    const PageRecord &p = Pages(h)[page - 1];
    if (line < 0 || line >= p.lineCount) return nullptr;
    return &Lignes(h)[p.firstLine + line];
}

// Layout pixels to output pixels.
float Echelle() { return float(GetDpiDest()) / float(kDpiMiseEnPage); }

}  // namespace
