// One staff segment: its checks and context, the order of drawing, staff lines, clefs, key
// signatures and time signatures, and the engraver's start and end.
#include "engraving/engraver.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/engraving_hooks.h"
#include "engraving/glyphs.h"
#include "engraving/staff_type_rows.h"
#include "engraving/links.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"

namespace {

// Line widths, staff spaces; the score's engraving settings override them in their own unit.
const float kEpaisseurLigne = 0.11f;
const float kEpaisseurHampe = 0.12f;
const float kEpaisseurSupplementaire = 0.16f;
const float kEpaisseurBarreFine = 0.12f;
const float kEpaisseurBarreEpaisse = 0.5f;
const float kEpaisseurAccroche = 0.5f;
const float kUnitesParEspace = 41.0f;    // the settings' unit: a space is 41 of them
const float kPointsParEspace = 6.0f;     // dynamics, marks and links are in points of a standard staff
const float kMargeDebut = 0.5f;          // spaces before the first sign of a measure start
const float kEcartSignes = 0.5f;         // spaces between clef, key and time signature
const float kMargeFin = 1.0f;            // spaces after the last one, before the notes
const float kMargeClip = 40.0f;          // spaces above and below the staff kept by the clip
const float kEspaceMax = 1000.0f;
const float kCoordonneeMax = 1.0e6f;
const float kZoomMax = 100.0f;

// Positions of a key's accidentals over the middle line of a treble staff, by degree (C..B).
const SInt16 kPositionsDieses[7] = {1, 2, 3, 4, 5, -1, 0};
const SInt16 kPositionsBemols[7] = {1, 2, 3, -3, -2, -1, 0};
const SInt16 kOrdreDieses[7] = {3, 0, 4, 1, 5, 2, 6};  // F C G D A E B
const SInt16 kOrdreBemols[7] = {6, 2, 5, 1, 4, 0, 3};  // B E A D G C F
const SInt16 kMedianeSol = 41;                          // B4, the middle line of a treble staff

// What the engraver changes in the port, restored after each segment.
struct DrawingStateRecord {
    PenState pen;
    SInt16 font, size, face, mode;
    RgnHandle clip;
};

Boolean IsFini(float v) { return std::isfinite(v) && std::fabs(v) < kCoordonneeMax; }
void PrepareContexte(SegmentContext *c, StaffHandle staff, const GeometrieSegment *g, const EngravingStaffType *row);
float Epaisseur(SInt16 setting, float spaces, float space);
void SauveEtat(DrawingStateRecord *saved, const SegmentContext *c);
void RestaureEtat(DrawingStateRecord *saved);
void TraceDebutsMesures(SegmentContext *c);
float DebutMesure(SegmentContext *c, SInt32 measure, float x, Boolean systemStart, Boolean draw);
Boolean ChangeCle(const SegmentContext *c, SInt32 measure);
Boolean ChangeTonalite(const SegmentContext *c, SInt32 measure, KeySignature *before);
Boolean ChangeDivision(const SegmentContext *c, SInt32 measure);
float Armure(SegmentContext *c, SInt32 measure, float x, const KeySignature *before, Boolean draw);
float Chiffrage(SegmentContext *c, SInt32 measure, float x, Boolean draw);
float Nombre(SegmentContext *c, SInt32 number, float x, float baseline, Boolean draw);

}  // namespace

void InitGravure() {
    InitTypesPorteeGravure();
    ResetLiaisonCouleDefautNote();
}

OSErr TracePorteeSegment(StaffHandle staff, const GeometrieSegment *geometry) {
    if (!IsGeometrieSegmentValide(staff, geometry)) return paramErr;
    const EngravingStaffType *row = GetTypePorteeGravure(staff);
    if (!row->drawn) return noErr;
    SegmentContext c;
    PrepareContexte(&c, staff, geometry, row);
    DrawingStateRecord saved;
    SauveEtat(&saved, &c);
    if (row->drawStaff) row->drawStaff(&c);
    TraceDebutsMesures(&c);
    TraceBarres(&c);
    if (row->drawNotes) {
        row->drawNotes(&c);
    } else {
        CalculeAccords(&c);
        CalculeGroupes(&c);
        TraceAccords(&c);
        TraceGroupes(&c);
        TraceNolets(&c);
        TraceAppoggiatures(&c);
        TraceMarques(&c);
        TraceLiaisons(&c);
    }
    TraceObjetsDynamiques(&c);
    RestaureEtat(&saved);
    return noErr;
}

float LargeurDebutMesure(StaffHandle staff, SInt32 measure, float space, Boolean systemStart) {
    if (!IsPorteeValide(staff) || !(space >= 1 && space <= kEspaceMax)) return 0;
    ScoreHandle score = (*staff)->score;
    if (measure < 0 || measure >= (*score)->measureCount) return 0;
    const EngravingStaffType *row = GetTypePorteeGravure(staff);
    if (!row->drawn) return 0;
    SegmentContext c;
    c.staff = staff;
    c.score = score;
    c.row = row;
    c.space = space;
    c.glyphSize = SInt16(std::lround(4 * space));
    c.font = 0;
    c.top = 0;
    return DebutMesure(&c, measure, 0, systemStart, kFalse);
}

Boolean IsGeometrieSegmentValide(StaffHandle staff, const GeometrieSegment *g) {
    if (!qd.thePort || !g || !IsPorteeValide(staff)) return kFalse;
    ScoreHandle score = (*staff)->score;
    if (!IsPartitionValide(score) || g->measureCount < 1 || g->measureCount > kMaxMesuresSegment) return kFalse;
    if (g->firstMeasure < 0 || g->firstMeasure > (*score)->measureCount - g->measureCount) return kFalse;
    if (!g->measureX || !g->notesX || !IsFini(g->left) || !IsFini(g->top)) return kFalse;
    if (!(g->space >= 1 && g->space <= kEspaceMax) || !(g->zoom > 0 && g->zoom <= kZoomMax)) return kFalse;
    for (SInt32 i = 0; i <= g->measureCount; i++)
        if (!IsFini(g->measureX[i]) || (i < g->measureCount && !IsFini(g->notesX[i]))) return kFalse;
    return kTrue;
}

void FinGravure() {
    OublieTypesPortee();
    LibereSymboleRepete();
}

namespace {

void PrepareContexte(SegmentContext *c, StaffHandle staff, const GeometrieSegment *g, const EngravingStaffType *row) {
    c->staff = staff;
    c->score = (*staff)->score;
    c->g = g;
    c->row = row;
    c->space = g->space;
    c->unit = g->space / kPointsParEspace;
    c->top = g->top;
    c->bottom = g->top + 4 * g->space;
    c->right = g->measureX[g->measureCount];
    c->tStart = CvtMesureEnTemps(c->score, g->firstMeasure);
    c->tEnd = CvtMesureEnTemps(c->score, g->firstMeasure + g->measureCount);
    c->font = lentaraPrint;
    c->glyphSize = SInt16(std::lround(4 * g->space));
    const ScoreRecord *s = *c->score;
    c->lineWidth = Epaisseur(s->staffLineWidth, kEpaisseurLigne, c->space);
    c->stemWidth = Epaisseur(s->stemWidth, kEpaisseurHampe, c->space);
    c->ledgerWidth = Epaisseur(s->ledgerWidth, kEpaisseurSupplementaire, c->space);
    c->thinBar = Epaisseur(s->lightBarWidth, kEpaisseurBarreFine, c->space);
    c->thickBar = Epaisseur(s->heavyBarWidth, kEpaisseurBarreEpaisse, c->space);
    c->beamThickness = Epaisseur((*staff)->beamThickness, kEpaisseurAccroche, c->space);
}

float Epaisseur(SInt16 setting, float spaces, float space) {
    float width = setting > 0 ? setting * space / kUnitesParEspace : spaces * space;
    return std::max(1.0f, std::min(width, space));
}

void SauveEtat(DrawingStateRecord *saved, const SegmentContext *c) {
    GrafPtr port = qd.thePort;
    GetPenState(&saved->pen);
    saved->font = port->txFont;
    saved->size = port->txSize;
    saved->face = port->txFace;
    saved->mode = port->txMode;
    saved->clip = nullptr;
    PenNormal();
    TextMode(srcOr);
    if (IsKeyDebordePortee()) return;
    // Without the modifier nothing of the segment overflows its measures.
    saved->clip = NewRgn();
    RgnHandle own = NewRgn();
    if (!saved->clip || !own) {
        if (own) DisposeRgn(own);
        return;
    }
    GetClip(saved->clip);
    Rect r;
    r.left = SInt16(std::lround(Borne(std::min(c->g->left, c->g->measureX[0]) - c->space)));
    r.right = SInt16(std::lround(Borne(c->right + c->space)));
    r.top = SInt16(std::lround(Borne(c->top - kMargeClip * c->space)));
    r.bottom = SInt16(std::lround(Borne(c->bottom + kMargeClip * c->space)));
    RectRgn(own, &r);
    SectRgn(own, saved->clip, own);
    SetClip(own);
    DisposeRgn(own);
}

void RestaureEtat(DrawingStateRecord *saved) {
    if (saved->clip) {
        SetClip(saved->clip);
        DisposeRgn(saved->clip);
    }
    TextFont(saved->font);
    TextSize(saved->size);
    TextFace(saved->face);
    TextMode(saved->mode);
    SetPenState(&saved->pen);
}

// The start of the system, then the changes at each later measure.
void TraceDebutsMesures(SegmentContext *c) {
    const GeometrieSegment *g = c->g;
    Boolean systemStart = (g->flags & kSegmentDebutSysteme) != 0;
    if (systemStart) DebutMesure(c, g->firstMeasure, g->left, kTrue, kTrue);
    for (SInt32 i = systemStart ? 1 : 0; i < g->measureCount; i++)
        DebutMesure(c, g->firstMeasure + i, g->measureX[i], kFalse, kTrue);
}

// Lays out (and draws) what measure shows at its start from x; answers the room it takes.
float DebutMesure(SegmentContext *c, SInt32 measure, float x, Boolean systemStart, Boolean draw) {
    Boolean clef = c->row->drawClef && (systemStart || ChangeCle(c, measure));
    KeySignature before;
    Boolean key = c->row->keyShown && (systemStart || ChangeTonalite(c, measure, &before));
    Boolean time = ChangeDivision(c, measure);
    // A repeat that starts the measure stands after its signs, or at the bar line itself.
    Boolean repeat = c->row->drawStaff && RepriseEnDebut(c->score, measure);
    if (!clef && !key && !time && !systemStart) return repeat ? LargeurRepriseDebut(c->space) : 0;
    float at = x + kMargeDebut * c->space + (repeat && !systemStart ? LargeurRepriseDebut(c->space) : 0);
    if (clef) {
        Boolean change = !systemStart;
        if (draw) c->row->drawClef(c, at, measure, change);
        at += c->row->clefWidth(c, measure, change) + kEcartSignes * c->space;
    }
    if (key) {
        float width = Armure(c, measure, at, systemStart ? nullptr : &before, draw);
        if (width > 0) at += width + kEcartSignes * c->space;
    }
    if (time) at += Chiffrage(c, measure, at, draw) + kEcartSignes * c->space;
    if (repeat && systemStart) at += LargeurRepriseDebut(c->space);
    return at - x + (kMargeFin - kEcartSignes) * c->space;
}

Boolean ChangeCle(const SegmentContext *c, SInt32 measure) {
    const KeyClefChange *change = GetChangementEnVigueur(c->staff, measure);
    const MeasureElement *element = GetMesurePtr(c->score, measure);
    return change && measure > 0 && change->measure == measure && (change->changes & kChangeCle) && element &&
           !(element->hiddenMask & kCacheCle);
}

Boolean ChangeTonalite(const SegmentContext *c, SInt32 measure, KeySignature *before) {
    const KeyClefChange *change = GetChangementEnVigueur(c->staff, measure);
    const MeasureElement *element = GetMesurePtr(c->score, measure);
    if (!change || measure == 0 || change->measure != measure || !(change->changes & kChangeTonalite) || !element ||
        (element->hiddenMask & kCacheTonalite))
        return kFalse;
    const KeyClefChange *previous = GetChangementEnVigueur(c->staff, measure - 1);
    if (previous) *before = previous->key;
    else CvtTonaliteStdEnTonalite(0, kModeMajeur, before);
    return kTrue;
}

Boolean ChangeDivision(const SegmentContext *c, SInt32 measure) {
    if (c->row->drawStaff == nullptr) return kFalse;
    const MeasureElement *element = GetMesurePtr(c->score, measure);
    if (!element || (element->hiddenMask & kCacheDivision)) return kFalse;
    if (measure == 0) return kTrue;
    const TimeSignature &a = GetMesurePtr(c->score, measure - 1)->signature, &b = element->signature;
    return a.numerator != b.numerator || a.denominator != b.denominator || a.shownNumerator != b.shownNumerator ||
           a.shownSecond != b.shownSecond || a.shownDenominator != b.shownDenominator || a.symbol != b.symbol;
}

// The key of measure, after naturals for what the key before it had and it has not.
float Armure(SegmentContext *c, SInt32 measure, float x, const KeySignature *before, Boolean draw) {
    KeySignature key;
    const KeyClefChange *change = GetChangementEnVigueur(c->staff, measure);
    if (change) key = change->key;
    else CvtTonaliteStdEnTonalite(0, kModeMajeur, &key);
    SInt32 time = CvtMesureEnTemps(c->score, measure);
    SInt16 middle = PositionMedianeContexte(c, time);
    SInt16 shift = SInt16(7 * std::lround((middle - kMedianeSol) / 7.0));
    float at = x;
    auto sign = [&](UInt16 glyph, SInt16 degree, Boolean sharpSide) {
        SInt16 position = SInt16(kMedianeSol + shift + (sharpSide ? kPositionsDieses : kPositionsBemols)[degree]);
        if (draw) TraceGlyphe(c, glyph, at, YPosition(c, time, position));
        at += AvanceGlyphe(c, glyph) + 0.1f * c->space;
    };
    if (before) {
        for (SInt16 i = 0; i < 7; i++) {
            SInt16 degree = kOrdreDieses[i];
            if (before->degrees[degree] == kAlterationDiese && key.degrees[degree] == 0) sign(kGlyphAccNatural, degree, kTrue);
        }
        for (SInt16 i = 0; i < 7; i++) {
            SInt16 degree = kOrdreBemols[i];
            if (before->degrees[degree] == kAlterationBemol && key.degrees[degree] == 0) sign(kGlyphAccNatural, degree, kFalse);
        }
    }
    for (SInt16 i = 0; i < 7; i++)
        if (key.degrees[kOrdreDieses[i]] == kAlterationDiese) sign(kGlyphAccSharp, kOrdreDieses[i], kTrue);
    for (SInt16 i = 0; i < 7; i++)
        if (key.degrees[kOrdreBemols[i]] == kAlterationBemol) sign(kGlyphAccFlat, kOrdreBemols[i], kFalse);
    return at - x;
}

// The time signature: the common or cut time sign, or the numbers centred over each other.
float Chiffrage(SegmentContext *c, SInt32 measure, float x, Boolean draw) {
    const TimeSignature &s = GetMesurePtr(c->score, measure)->signature;
    if (s.symbol) {
        UInt16 glyph = s.numerator == 2 && s.denominator == 2 ? kGlyphTimeCut : kGlyphTimeCommon;
        if (draw) TraceGlyphe(c, glyph, x, c->top + 2 * c->space);
        return AvanceGlyphe(c, glyph);
    }
    SInt32 first = std::max<SInt32>(0, s.shownNumerator), second = std::max<SInt32>(0, s.shownSecond);
    float top = Nombre(c, first, 0, 0, kFalse);
    if (second > 0) top += c->space * 0.3f + Nombre(c, second, 0, 0, kFalse);
    Boolean denominator = s.shownDenominator != kSansDenominateurAffiche;
    float bottom = denominator ? Nombre(c, s.shownDenominator, 0, 0, kFalse) : 0;
    float width = std::max(top, bottom);
    if (draw) {
        float baseline = c->top + (denominator ? 2 : 3) * c->space;
        float at = x + (width - top) / 2;
        at += Nombre(c, first, at, baseline, kTrue);
        if (second > 0) Nombre(c, second, at + c->space * 0.3f, baseline, kTrue);
        if (denominator) Nombre(c, s.shownDenominator, x + (width - bottom) / 2, c->top + 4 * c->space, kTrue);
    }
    return width;
}

// The digits of number from x on the baseline; answers their width.
float Nombre(SegmentContext *c, SInt32 number, float x, float baseline, Boolean draw) {
    char digits[16];
    SInt32 count = 0;
    do {
        digits[count++] = char('0' + number % 10);
        number /= 10;
    } while (number > 0 && count < 15);
    float at = x;
    for (SInt32 i = count - 1; i >= 0; i--) {
        UInt16 glyph = UInt16(kGlyphDigit0 + (digits[i] - '0'));
        if (draw) TraceGlyphe(c, glyph, at, baseline);
        at += AvanceGlyphe(c, glyph);
    }
    return at - x;
}

}  // namespace
