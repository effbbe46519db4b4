// Bar lines from the score's ruptures: plain, double, final, heavy and dotted bars, repeat
// signs, and above the system's top staff the endings (voltas), jumps and repeat counts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/ruptures.h"

namespace {

const float kEcartBarres = 0.35f;       // spaces between the lines of a double or repeat bar
const float kEcartPointsReprise = 0.35f;  // spaces between a repeat bar and its dots
const float kRepriseDebut = 1.6f;       // spaces a repeat sign takes at the start of a system
const float kHauteurVolta = 3.0f;       // spaces above the top line
const float kCrochetVolta = 1.5f;       // spaces of its hooks
const float kTexteVolta = 1.5f;         // text height, spaces
const float kHauteurSaut = 1.5f;        // spaces above the top line where jump texts stand
const float kTirets = 0.5f;             // spaces of dash and gap on a dotted bar
const SInt32 kRupturesLuesMax = 100000;     // ruptures read per segment

// Bit k of a boundary's kinds: a rupture of kind k stands there. These kinds set the bar's style.
const UInt32 kKindsStyle = 1u << kRuptureSansBarre | 1u << kRuptureDebutEpaisse | 1u << kRuptureFinale |
                           1u << kRuptureDoubleBarre | 1u << kRuptureEpaisse | 1u << kRupturePointillee;

// What stands at each boundary of the segment (0: its start, count: its end).
struct BoundaryRecord {
    UInt32 kinds;
};

SInt32 Frontiere(ScoreHandle score, SInt32 time);
void CollecteFrontieres(SegmentContext *c, std::vector<BoundaryRecord> *boundaries);
void TraceBarre(SegmentContext *c, float x, UInt32 kinds, Boolean segmentEnd, Boolean scoreEnd);
void TraceReprise(SegmentContext *c, float x, Boolean before);
void TracePointsReprise(SegmentContext *c, float x);
void BarreLigne(SegmentContext *c, float left, float width);
void TraceVoltas(SegmentContext *c);
void TraceTextesRuptures(SegmentContext *c);
void TexteVolta(const RuptureRecord &r, char *out, size_t room);
float PointsTexte(const SegmentContext *c, const RuptureRecord &r, float spaces);

}  // namespace

void TraceBarres(SegmentContext *c) {
    std::vector<BoundaryRecord> boundaries(size_t(c->g->measureCount + 1), BoundaryRecord{0});
    CollecteFrontieres(c, &boundaries);
    SInt32 count = c->g->measureCount;
    if (boundaries[0].kinds & (1u << kRuptureDebutReprise))
        TraceReprise(c, c->g->notesX[0] - kRepriseDebut * c->space, kFalse);
    for (SInt32 b = 1; b <= count; b++)
        TraceBarre(c, c->g->measureX[b], boundaries[size_t(b)].kinds, b == count,
                   c->g->firstMeasure + b == (*c->score)->measureCount);
    if (c->g->flags & kSegmentMarquesSysteme) {
        TraceVoltas(c);
        TraceTextesRuptures(c);
    }
}

Boolean RepriseEnDebut(ScoreHandle score, SInt32 measure) {
    for (SInt32 i = 0; i < (*score)->ruptureCount && i < kRupturesLuesMax; i++) {
        const RuptureRecord *r = GetRupturePtr(score, i);
        if (r && r->kind == kRuptureDebutReprise && Frontiere(score, r->time) == measure) return kTrue;
    }
    return kFalse;
}

float LargeurRepriseDebut(float space) { return kRepriseDebut * space; }

namespace {

// The measure boundary nearest a time: a rupture 2 units before a measure's end, or at its start.
SInt32 Frontiere(ScoreHandle score, SInt32 time) {
    if (time < 0) return -1;
    SInt32 measure = CvtTempsEnMesure(score, time);
    if (measure < 0) return (*score)->measureCount;
    SInt32 start = CvtMesureEnTemps(score, measure), length = CvtMesureEnDureeMesure(score, measure);
    return time - start > length / 2 ? measure + 1 : measure;
}

void CollecteFrontieres(SegmentContext *c, std::vector<BoundaryRecord> *boundaries) {
    for (SInt32 i = 0; i < (*c->score)->ruptureCount && i < kRupturesLuesMax; i++) {
        const RuptureRecord *r = GetRupturePtr(c->score, i);
        if (!r || r->kind < 0 || r->kind > kRuptureDalSegno) continue;
        SInt32 b = Frontiere(c->score, r->time) - c->g->firstMeasure;
        if (b < 0 || b > c->g->measureCount) continue;
        (*boundaries)[size_t(b)].kinds |= 1u << r->kind;
    }
}

// The bar at a boundary: repeat signs first, then the bar's own style; an unmarked end of the
// score takes the final bar.
void TraceBarre(SegmentContext *c, float x, UInt32 kinds, Boolean segmentEnd, Boolean scoreEnd) {
    Boolean end = kinds & (1u << kRuptureFinReprise);
    Boolean start = !segmentEnd && (kinds & (1u << kRuptureDebutReprise));
    float s = c->space;
    if (end && start) {
        float gap = kEcartBarres * s;
        BarreLigne(c, x - c->thickBar / 2, c->thickBar);
        TraceReprise(c, x - c->thickBar / 2 - gap - c->thinBar, kTrue);
        TraceReprise(c, x + c->thickBar / 2 + gap, kFalse);
        return;
    }
    if (end) {
        TraceReprise(c, x - c->thickBar, kTrue);
        return;
    }
    if (start) {
        TraceReprise(c, x, kFalse);
        return;
    }
    auto has = [&](SInt16 kind) { return (kinds & (1u << kind)) != 0; };
    if (has(kRuptureFinale) || (scoreEnd && !(kinds & kKindsStyle))) {
        BarreLigne(c, x - c->thickBar, c->thickBar);
        BarreLigne(c, x - c->thickBar - kEcartBarres * s - c->thinBar, c->thinBar);
    } else if (has(kRuptureDebutEpaisse)) {
        BarreLigne(c, x - c->thickBar - kEcartBarres * s - c->thinBar, c->thickBar);
        BarreLigne(c, x - c->thinBar, c->thinBar);
    } else if (has(kRuptureEpaisse)) {
        BarreLigne(c, x - c->thickBar, c->thickBar);
    } else if (has(kRuptureDoubleBarre)) {
        BarreLigne(c, x - c->thinBar, c->thinBar);
        BarreLigne(c, x - 2 * c->thinBar - kEcartBarres * s, c->thinBar);
    } else if (has(kRupturePointillee)) {
        float top = c->top, bottom = c->top + std::max(1, (*c->staff)->lineCount - 1) * s;
        for (float y = top; y < bottom; y += 2 * kTirets * s)
            LigneVerticale(x - c->thinBar / 2, y, std::min(bottom, y + kTirets * s), c->thinBar);
    } else if (!has(kRuptureSansBarre)) {
        BarreLigne(c, x - c->thinBar / 2, c->thinBar);
    }
}

// A repeat bar from x: ":|" ends at x + its width (before: dots first), "|:" starts at x.
void TraceReprise(SegmentContext *c, float x, Boolean before) {
    float s = c->space, gap = kEcartBarres * s;
    float dot = AvanceGlyphe(c, kGlyphDot);
    if (before) {
        float thin = x - gap - c->thinBar;
        TracePointsReprise(c, thin - kEcartPointsReprise * s - dot);
        BarreLigne(c, thin, c->thinBar);
        BarreLigne(c, x, c->thickBar);
    } else {
        BarreLigne(c, x, c->thickBar);
        float thin = x + c->thickBar + gap;
        BarreLigne(c, thin, c->thinBar);
        TracePointsReprise(c, thin + c->thinBar + kEcartPointsReprise * s);
    }
}

void TracePointsReprise(SegmentContext *c, float x) {
    TraceGlyphe(c, kGlyphDot, x, c->top + 1.5f * c->space);
    TraceGlyphe(c, kGlyphDot, x, c->top + 2.5f * c->space);
}

// A bar line over the staff's lines (a space either side of a staff of one line or none).
void BarreLigne(SegmentContext *c, float left, float width) {
    SInt32 lines = std::min<SInt32>((*c->staff)->lineCount, 16);
    float top = lines > 1 ? c->top : c->top - c->space;
    float bottom = lines > 1 ? c->top + (lines - 1) * c->space : c->top + c->space;
    RectangleNoir(left, top, left + std::max(1.0f, width), bottom);
}

// Each ending runs from its rupture to the next ending, the rupture that stops it (whose end
// gets a hook), or the end of the score; the part in the segment is drawn.
void TraceVoltas(SegmentContext *c) {
    ScoreHandle score = c->score;
    SInt32 count = std::min<SInt32>((*score)->ruptureCount, kRupturesLuesMax);
    std::vector<SInt32> order;
    for (SInt32 i = 0; i < count; i++)
        if (GetRupturePtr(score, i)) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](SInt32 a, SInt32 b) { return GetRupturePtr(score, a)->time < GetRupturePtr(score, b)->time; });
    SInt32 first = c->g->firstMeasure, last = first + c->g->measureCount;
    for (size_t k = 0; k < order.size(); k++) {
        RuptureRecord r = *GetRupturePtr(score, order[k]);
        Boolean volta = kFalse;
        for (UInt8 e : r.endings) volta = volta || e;
        if (!volta) continue;
        SInt32 from = Frontiere(score, r.time), to = (*score)->measureCount;
        Boolean hook = kFalse;
        for (size_t j = k + 1; j < order.size(); j++) {
            const RuptureRecord *next = GetRupturePtr(score, order[j]);
            Boolean nextVolta = kFalse;
            for (UInt8 e : next->endings) nextVolta = nextVolta || e;
            if (next->time <= r.time || (next->kind != kRuptureFinFin && !nextVolta)) continue;
            to = Frontiere(score, next->time);
            hook = next->kind == kRuptureFinFin;
            break;
        }
        if (to <= first || from >= last || to <= from) continue;
        float s = c->space;
        float y = c->top - kHauteurVolta * s;
        Boolean begins = from >= first, ends = to <= last;
        float x0 = begins ? c->g->measureX[from - first] + 0.3f * s : c->g->left;
        float x1 = ends ? c->g->measureX[to - first] - 0.3f * s : c->right;
        LigneHorizontale(x0, x1, y, c->thinBar);
        if (begins) {
            LigneVerticale(x0, y, y + kCrochetVolta * s, c->thinBar);
            char text[kRuptureTexteTaille + 64];
            TexteVolta(r, text, sizeof text);
            TraceTexteEchappe(c, text, x0 + 0.4f * s, y + kTexteVolta * s, PointsTexte(c, r, kTexteVolta), 0, r.parameter,
                              r.passCount);
        }
        if (ends && hook) LigneVerticale(x1, y, y + kCrochetVolta * s, c->thinBar);
    }
}

// Jumps and repeat counts: a segno or coda over its place, the other texts ending at their bar.
void TraceTextesRuptures(SegmentContext *c) {
    ScoreHandle score = c->score;
    for (SInt32 i = 0; i < (*score)->ruptureCount && i < kRupturesLuesMax; i++) {
        const RuptureRecord *stored = GetRupturePtr(score, i);
        if (!stored || stored->kind == kRuptureDebutFin) continue;
        RuptureRecord r = *stored;
        r.text[kRuptureTexteTaille - 1] = 0;
        char text[kRuptureTexteTaille + 32];
        snprintf(text, sizeof text, "%s", r.text);
        if (!text[0]) {
            static const char *const kDefauts[] = {"$S", "$C", "Fine", "To Coda $C", "D.C.", "D.S."};
            if (r.kind < kRuptureSegno || r.kind > kRuptureDalSegno) continue;
            snprintf(text, sizeof text, "%s%s", kDefauts[r.kind - kRuptureSegno],
                     r.kind >= kRuptureDaCapo ? (r.passage == 1 ? " al Coda" : r.passage == 2 ? " al Fine" : "") : "");
        }
        SInt32 b = Frontiere(score, r.time) - c->g->firstMeasure;
        if (r.time < c->tStart || r.time >= c->tEnd || b < 0 || b > c->g->measureCount) continue;
        float y = c->top - kHauteurSaut * c->space;
        Boolean sign = r.kind == kRuptureSegno || r.kind == kRuptureCoda;
        float x = sign ? XTemps(c, r.time) : c->g->measureX[b];
        TraceTexteEchappe(c, text, x, y, PointsTexte(c, r, kTexteVolta), sign ? 1 : 2, r.parameter, r.passCount);
    }
}

// "1." for the first ending, "1, 2." for the first two; an ending rupture's own text wins.
void TexteVolta(const RuptureRecord &r, char *out, size_t room) {
    if (r.text[0] && r.kind == kRuptureDebutFin) {
        snprintf(out, room, "%.*s", int(kRuptureTexteTaille - 1), r.text);
        return;
    }
    size_t used = 0;
    out[0] = 0;
    for (SInt32 n = 0; n < kRuptureFins && used + 8 < room; n++)
        if (r.endings[n]) used += size_t(snprintf(out + used, room - used, "%s%d", used ? ", " : "", n + 1));
    if (used + 1 < room) strcat(out, ".");
}

float PointsTexte(const SegmentContext *c, const RuptureRecord &r, float spaces) {
    return r.textSize > 0 && r.textSize < 200 ? float(r.textSize) : spaces * c->space / c->g->zoom;
}

}  // namespace
