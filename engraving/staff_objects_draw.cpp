// The staff's dynamics objects in the segment: dynamics letters and texts, hairpins, octave
// lines, tempo marks and pedal marks. Objects that began in an earlier system or go on into a
// later one are drawn as their piece within the segment.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "score/dynamics_objects.h"

namespace {

const float kTexteDynamique = 1.6f;      // text height of dynamics and marks, spaces
const float kEpaisseurSoufflet = 0.1f;   // spaces
const float kOuvertureMin = 0.5f;        // spaces a hairpin opens at least
const float kDessousDefaut = 3.0f;       // spaces below the bottom line for an object placed nowhere
const float kDessusDefaut = 3.0f;        // spaces above the top line for octave lines placed nowhere
const float kTiret = 0.5f;               // spaces of dash and of gap in octave lines
const SInt32 kMaxObjets = 100000;

// The letters of the dynamics kinds.
struct LettersRow {
    UInt32 kind;
    const char *letters;
};
const LettersRow kLetters[] = {
    {3, "ppp"},  {4, "pp"},   {5, "p"},    {6, "mp"},    {7, "mf"},     {8, "f"},      {9, "ff"},
    {10, "fff"}, {11, "sf"},  {12, "fz"},  {13, "fp"},   {14, "fpp"},   {15, "sfz"},   {16, "sffz"},
    {17, "sfpp"}, {25, "sfp"}, {26, "pppppp"}, {27, "ppppp"}, {28, "pppp"}, {29, "ffffff"}, {30, "fffff"},
    {31, "ffff"}, {32, "rf"},  {33, "rfz"},
};

struct Span {
    float x0, x1;     // the piece in the segment
    float f0, f1;     // where it starts and ends within the whole object, 0..1
    Boolean begins;   // the object starts in the segment
    Boolean ends;     // and ends there
};

Span Etendue(const SegmentContext *c, const DynamicsObject &o);
float YObjet(const SegmentContext *c, const DynamicsObject &o, float fallback);
void TraceLettres(SegmentContext *c, const DynamicsObject &o);
void TraceSoufflet(SegmentContext *c, const DynamicsObject &o);
void TraceOctave(SegmentContext *c, const DynamicsObject &o);
void TraceTempo(SegmentContext *c, const DynamicsObject &o);
float Points(const SegmentContext *c) { return kTexteDynamique * c->space / c->g->zoom; }

}  // namespace

void TraceObjetsDynamiques(SegmentContext *c) {
    SInt32 count = std::min<SInt32>((*c->staff)->dynamicsCount, kMaxObjets);
    for (SInt32 i = 0; i < count; i++) {
        const DynamicsObject *stored = GetDynamiquePtr(c->staff, i);
        if (!stored || !stored->inUse) continue;
        DynamicsObject o = *stored;  // drawing text may move memory
        o.text[kTexteDynamiqueTaille - 1] = 0;
        SInt32 end = std::max(o.startTime, o.endTime);
        if (end < c->tStart || o.startTime >= c->tEnd) continue;
        switch (o.kind) {
            case kDynamiqueCrescendo:
            case kDynamiqueDiminuendo: TraceSoufflet(c, o); break;
            case kDynamiqueOctaveHaut:
            case kDynamiqueOctaveBas:
            case kDynamiqueDeuxOctavesHaut:
            case kDynamiqueDeuxOctavesBas: TraceOctave(c, o); break;
            case kDynamiqueTempo: TraceTempo(c, o); break;
            case kDynamiquePedaleBas:
            case kDynamiquePedaleHaut:
                if (o.startTime >= c->tStart)
                    TraceGlyphe(c, o.kind == kDynamiquePedaleBas ? kGlyphPedalDown : kGlyphPedalUp,
                                Etendue(c, o).x0, YObjet(c, o, c->bottom + kDessousDefaut * c->space));
                break;
            default: TraceLettres(c, o); break;
        }
    }
}

namespace {

Span Etendue(const SegmentContext *c, const DynamicsObject &o) {
    Span s;
    SInt32 end = std::max(o.startTime, o.endTime);
    s.begins = o.startTime >= c->tStart;
    s.ends = end < c->tEnd;
    s.x0 = s.begins ? XTemps(c, o.startTime) + o.startOffset * c->unit : c->g->notesX[0] - c->space;
    s.x1 = s.ends ? XTemps(c, end) + o.endOffset * c->unit : c->right - 0.5f * c->space;
    double length = std::max<double>(1, double(end) - o.startTime);
    s.f0 = s.begins ? 0 : float((double(c->tStart) - o.startTime) / length);
    s.f1 = s.ends ? 1 : float((double(c->tEnd) - o.startTime) / length);
    s.f0 = std::max(0.0f, std::min(1.0f, s.f0));
    s.f1 = std::max(0.0f, std::min(1.0f, s.f1));
    return s;
}

// The middle of the object's box, points below the bottom line; fallback for a box placed nowhere.
float YObjet(const SegmentContext *c, const DynamicsObject &o, float fallback) {
    if (o.top == 0 && o.bottom == 0) return fallback;
    double middle = (double(o.top) + o.bottom) / 2;
    return Borne(float(c->bottom + middle * c->unit));
}

// Letters of the music font: the kind's own, or the object's text (its "$c" escapes kept,
// plain letters taken from the music font).
void TraceLettres(SegmentContext *c, const DynamicsObject &o) {
    if (o.startTime < c->tStart) return;
    char text[2 * kTexteDynamiqueTaille + 1];
    const char *letters = nullptr;
    if (o.text[0]) letters = o.text;
    else
        for (const LettersRow &row : kLetters)
            if (row.kind == o.kind) letters = row.letters;
    if (!letters) return;
    if (strchr(letters, '$')) {
        snprintf(text, sizeof text, "%s", letters);
    } else {
        size_t used = 0;
        for (const char *l = letters; *l && used + 2 < sizeof text; l++) {
            text[used++] = '$';
            text[used++] = *l;
        }
        text[used] = 0;
    }
    float y = YObjet(c, o, c->bottom + kDessousDefaut * c->space) + 0.4f * c->space;
    TraceTexteEchappe(c, text, Etendue(c, o).x0, y, Points(c), 0, 0, 0);
}

// Two strokes from a point (or the opening, for a diminuendo) to the opening, each piece
// opening as far as its part of the whole.
void TraceSoufflet(SegmentContext *c, const DynamicsObject &o) {
    Span s = Etendue(c, o);
    float y = YObjet(c, o, c->bottom + kDessousDefaut * c->space);
    float open = std::max(kOuvertureMin * c->space, Borne(float((double(o.bottom) - o.top) * c->unit)));
    open = std::min(open, 4 * c->space);
    Boolean crescendo = o.kind == kDynamiqueCrescendo;
    float a = open * (crescendo ? s.f0 : 1 - s.f0) / 2, b = open * (crescendo ? s.f1 : 1 - s.f1) / 2;
    float w = std::max(1.0f, kEpaisseurSoufflet * c->space);
    Trait(s.x0, y - a, s.x1, y - b, w);
    Trait(s.x0, y + a, s.x1, y + b, w);
}

// "8va" and its kin, then a dashed line to the end, hooked toward the staff where it ends.
void TraceOctave(SegmentContext *c, const DynamicsObject &o) {
    static const char *const kTextes[4] = {"8va", "8vb", "15ma", "15mb"};
    Boolean above = o.kind == kDynamiqueOctaveHaut || o.kind == kDynamiqueDeuxOctavesHaut;
    Span s = Etendue(c, o);
    float y = YObjet(c, o, above ? c->top - kDessusDefaut * c->space : c->bottom + kDessousDefaut * c->space);
    float x = s.x0;
    if (s.begins) x += TraceTexteEchappe(c, kTextes[o.kind - kDynamiqueOctaveHaut], x, y + 0.5f * c->space, Points(c),
                                         0, 0, 0) + 0.3f * c->space;
    float w = std::max(1.0f, c->thinBar);
    SInt32 dashes = 0;
    for (float at = x; at < s.x1 && dashes < 4000; at += 2 * kTiret * c->space, dashes++)
        LigneHorizontale(at, std::min(s.x1, at + kTiret * c->space), y, w);
    if (s.ends) LigneVerticale(s.x1, y, y + (above ? 1 : -1) * c->space, w);
}

// A tempo mark: its words, then the beat's note and the tempo ("$(3) = 120"), on the bottom of
// its box; words without a note code stand alone.
void TraceTempo(SegmentContext *c, const DynamicsObject &o) {
    if (o.startTime < c->tStart) return;
    const char *words = o.text;
    char code[5] = "$(3)";
    Boolean coded = strncmp(words, "$(", 2) == 0 && words[2] >= '1' && words[2] <= '4' && words[3] == ')';
    if (coded) {
        code[2] = words[2];
        words += 4;
    } else if (o.beatUnit == kValeurRonde || o.beatUnit == kValeurBlanche || o.beatUnit == kValeurCroche) {
        code[2] = o.beatUnit == kValeurRonde ? '1' : o.beatUnit == kValeurBlanche ? '2' : '4';
    }
    char tempo[16];
    if (o.values[1]) snprintf(tempo, sizeof tempo, "%u.%02u", unsigned(o.values[0]), unsigned(o.values[1] % 100));
    else snprintf(tempo, sizeof tempo, "%u", unsigned(o.values[0]));
    char text[kTexteDynamiqueTaille + 64];
    if (!words[0]) snprintf(text, sizeof text, "%s = %s", code, tempo);
    else if (coded) snprintf(text, sizeof text, "%s %s = %s", words, code, tempo);
    else snprintf(text, sizeof text, "%s", words);
    // The text stands on the box's bottom.
    float y = o.top == 0 && o.bottom == 0 ? c->top - 1.5f * c->space : Borne(float(c->bottom + double(o.bottom) * c->unit));
    TraceTexteEchappe(c, text, Etendue(c, o).x0, y, Points(c), 0, 0, 0);
}

}  // namespace
