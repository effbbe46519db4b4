// Drawing the laid-out chords: ledger lines, heads, accidentals, dots, stems and flags, rests,
// measure-repeat signs, beams and tuplets.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const float kDebordSupplementaire = 0.3f;  // spaces a ledger line reaches past the heads
const float kEcartPoint = 0.4f;            // spaces between the heads and the first dot
const float kEcartPoints = 0.5f;           // spaces between dots
const float kEcartAccroches = 0.25f;       // spaces between beams
const float kEchelleChiffreNolet = 0.5f;   // tuplet digits, of the time signature's size
const float kEcartNolet = 0.6f;            // spaces between the beam or stems and the tuplet
const float kCrochetNolet = 0.5f;          // spaces of a tuplet bracket's ends
const UInt16 kCrochetsHaut[5] = {kGlyphFlagUp8th, kGlyphFlagUp16th, kGlyphFlagUp32nd, kGlyphFlagUp64th,
                                 kGlyphFlagUp128th};
const UInt16 kCrochetsBas[5] = {kGlyphFlagDown8th, kGlyphFlagDown16th, kGlyphFlagDown32nd, kGlyphFlagDown64th,
                                kGlyphFlagDown128th};

void TraceLignesSupplementaires(SegmentContext *c, const ChordLayout &chord);
void TraceTetes(SegmentContext *c, const ChordLayout &chord);
void TracePoints(SegmentContext *c, const ChordLayout &chord);
void TraceSigneRepetition(SegmentContext *c, const ChordLayout &chord);
void TraceAccroche(SegmentContext *c, const BeamGroupLayout &group, float xa, float xb, SInt32 level);
void TraceNolet(SegmentContext *c, SInt32 first, SInt32 last, UInt8 actual);

}  // namespace

void TraceAccords(SegmentContext *c) {
    for (const ChordLayout &chord : c->chords) {
        if (chord.repeatSign) {
            TraceSigneRepetition(c, chord);
            continue;
        }
        if (chord.rest) {
            TraceGlyphe(c, chord.restGlyph, chord.x, chord.restY);
            TracePoints(c, chord);
            continue;
        }
        TraceLignesSupplementaires(c, chord);
        TraceTetes(c, chord);
        TracePoints(c, chord);
        if (!chord.stem) continue;
        LigneVerticale(chord.stemX, chord.stemBase, chord.stemEnd, c->stemWidth);
        if (chord.group < 0 && chord.beams > 0) {
            SInt32 level = chord.beams > 5 ? 5 : chord.beams;
            UInt16 flag = (chord.direction > 0 ? kCrochetsHaut : kCrochetsBas)[level - 1];
            TraceGlyphe(c, flag, chord.stemX - c->stemWidth / 2, chord.stemEnd);
        }
    }
}

// The first beam spans the group; each further beam spans the chords that need it, a chord alone
// taking a hook a head wide toward its neighbour in the group.
void TraceGroupes(SegmentContext *c) {
    for (const BeamGroupLayout &group : c->groups) {
        TraceAccroche(c, group, group.x0, group.x1, 1);
        UInt8 levels = 1;
        for (SInt32 k = group.first; k <= group.last; k++) levels = std::max(levels, c->chords[size_t(k)].beams);
        for (SInt32 level = 2; level <= std::min<SInt32>(levels, 5); level++) {
            for (SInt32 k = group.first; k <= group.last;) {
                const ChordLayout &chord = c->chords[size_t(k)];
                if (chord.rest || chord.beams < level) {
                    k++;
                    continue;
                }
                SInt32 end = k;
                while (end + 1 <= group.last && !c->chords[size_t(end + 1)].rest && c->chords[size_t(end + 1)].beams >= level)
                    end++;
                float xa = chord.stemX, xb = c->chords[size_t(end)].stemX;
                if (end == k) {
                    float hook = chord.headWidth;
                    if (k == group.last) xa -= hook;
                    else xb += hook;
                }
                TraceAccroche(c, group, xa, xb, level);
                k = end + 1;
            }
        }
    }
}

// Runs of notes under one tuplet code: the run closes when it spans the time of its actual
// number of its first note's values.
void TraceNolets(SegmentContext *c) {
    SInt32 count = SInt32(c->chords.size());
    for (SInt32 k = 0; k < count;) {
        const NoteRecord *note = GetNotePtr(c->staff, c->chords[size_t(k)].index);
        UInt8 code = note ? note->tuplet : 0;
        UInt8 actual = code & 0x0F;
        if (!actual || !(code >> 4) || c->chords[size_t(k)].repeatSign) {
            k++;
            continue;
        }
        SInt64 span = SInt64(actual) * c->chords[size_t(k)].duration, covered = 0;
        SInt32 last = k;
        for (SInt32 j = k; j < count; j++) {
            const NoteRecord *other = GetNotePtr(c->staff, c->chords[size_t(j)].index);
            if (!other || other->tuplet != code) break;
            last = j;
            covered += c->chords[size_t(j)].duration;
            if (covered >= span) break;
        }
        TraceNolet(c, k, last, actual);
        k = last + 1;
    }
}

namespace {

void TraceLignesSupplementaires(SegmentContext *c, const ChordLayout &chord) {
    SInt32 lines = std::min<SInt32>((*c->staff)->lineCount, 16);
    if (lines <= 0 || chord.noteCount == 0) return;
    SInt16 topLine = SInt16(PositionMedianeContexte(c, chord.time) + 4);
    SInt16 bottomLine = SInt16(topLine - 2 * (lines - 1));
    const NoteLayout &low = c->notes[size_t(chord.firstNote)];
    const NoteLayout &high = c->notes[size_t(chord.firstNote + chord.noteCount - 1)];
    float x0 = chord.x - kDebordSupplementaire * c->space, x1 = chord.x + chord.headWidth + kDebordSupplementaire * c->space;
    for (SInt32 k = 0; k < chord.noteCount; k++) {
        const NoteLayout &n = c->notes[size_t(chord.firstNote + k)];
        x0 = std::min(x0, n.x - kDebordSupplementaire * c->space);
        x1 = std::max(x1, n.x + chord.headWidth + kDebordSupplementaire * c->space);
    }
    SInt32 drawn = 0;
    for (SInt32 p = topLine + 2; p <= high.position && drawn < kMaxLignesSupplementaires; p += 2, drawn++)
        LigneHorizontale(x0, x1, YPosition(c, chord.time, SInt16(p)), c->ledgerWidth);
    drawn = 0;
    for (SInt32 p = bottomLine - 2; p >= low.position && drawn < kMaxLignesSupplementaires; p -= 2, drawn++)
        LigneHorizontale(x0, x1, YPosition(c, chord.time, SInt16(p)), c->ledgerWidth);
}

void TraceTetes(SegmentContext *c, const ChordLayout &chord) {
    for (SInt32 k = 0; k < chord.noteCount; k++) {
        const NoteLayout &n = c->notes[size_t(chord.firstNote + k)];
        TraceGlyphe(c, n.head, n.x, n.y);
        UInt16 accidental = GlypheAlteration(n.accidental);
        if (!accidental) continue;
        float x = n.accidentalX;
        if (n.editorial) {
            TraceGlyphe(c, kGlyphAccParenLeft, x, n.y);
            x += AvanceGlyphe(c, kGlyphAccParenLeft);
        }
        TraceGlyphe(c, accidental, x, n.y);
        if (n.editorial) TraceGlyphe(c, kGlyphAccParenRight, x + AvanceGlyphe(c, accidental), n.y);
    }
}

// Dots stand in the space of their note, or in the space above a note on a line.
void TracePoints(SegmentContext *c, const ChordLayout &chord) {
    if (chord.dots == 0) return;
    float x = chord.right + kEcartPoint * c->space;
    float dot = AvanceGlyphe(c, kGlyphDot) + kEcartPoints * c->space * 0.5f;
    auto row = [&](float y) {
        for (UInt8 d = 0; d < chord.dots; d++) TraceGlyphe(c, kGlyphDot, x + d * dot, y);
    };
    if (chord.rest) {
        row(c->top + 1.5f * c->space);
        return;
    }
    SInt16 topLine = SInt16(PositionMedianeContexte(c, chord.time) + 4);
    float previous = -1e9f;
    for (SInt32 k = chord.noteCount - 1; k >= 0; k--) {
        const NoteLayout &n = c->notes[size_t(chord.firstNote + k)];
        float y = ((topLine - n.position) % 2 == 0) ? n.y - c->space / 2 : n.y;
        if (std::fabs(y - previous) < c->space / 4) continue;
        row(y);
        previous = y;
    }
}

// A measure repeated: one slash between two dots in the middle of its measure; over two
// measures, the two-measure symbol on the bar line between them.
void TraceSigneRepetition(SegmentContext *c, const ChordLayout &chord) {
    SInt32 m = MesureSegment(c, chord.time);
    SInt32 measure = c->g->firstMeasure + m;
    SInt32 length = CvtMesureEnDureeMesure(c->score, measure);
    if (chord.duration > length && measure + 1 < (*c->score)->measureCount) {
        TraceSymboleRepeteDeuxDernieresMesures(c->staff, c->g->measureX[m + 1], c->top, c->space);
        return;
    }
    float x = chord.x, s = c->space;
    const float xs[4] = {x - 1.0f * s, x + 0.4f * s, x + 1.0f * s, x - 0.4f * s};
    const float ys[4] = {c->top + 3 * s, c->top + s, c->top + s, c->top + 3 * s};
    Quadrilatere(xs, ys);
    float dot = AvanceGlyphe(c, kGlyphDot);
    TraceGlyphe(c, kGlyphDot, x - 1.1f * s - dot / 2, c->top + 1.5f * s);
    TraceGlyphe(c, kGlyphDot, x + 1.1f * s - dot / 2, c->top + 2.5f * s);
}

// A beam from xa to xb: level 1 has its outer edge on the stems' ends, later levels move
// toward the heads.
void TraceAccroche(SegmentContext *c, const BeamGroupLayout &group, float xa, float xb, SInt32 level) {
    float slope = group.x1 - group.x0 > 0.5f ? (group.y1 - group.y0) / (group.x1 - group.x0) : 0;
    float t = c->beamThickness;
    float offset = group.direction * (level - 1) * (t + kEcartAccroches * c->space);
    float half = c->stemWidth / 2;
    xa -= half;
    xb += half;
    float ya = group.y0 + slope * (xa - group.x0) + offset, yb = group.y0 + slope * (xb - group.x0) + offset;
    float inward = group.direction * t;
    const float xs[4] = {xa, xb, xb, xa};
    const float ys[4] = {ya, yb, yb + inward, ya + inward};
    Quadrilatere(xs, ys);
}

// The number on the stems' side, over the beam when the run is one beam group, else in a
// bracket; a bracket also when the first note asks for one.
void TraceNolet(SegmentContext *c, SInt32 first, SInt32 last, UInt8 actual) {
    const ChordLayout &a = c->chords[size_t(first)], &b = c->chords[size_t(last)];
    const NoteRecord *note = GetNotePtr(c->staff, a.index);
    Boolean beamed = a.group >= 0 && a.group == b.group;
    Boolean bracket = !beamed || (note->tupletBracket & 6);
    SInt16 direction = a.rest ? 1 : a.direction;
    float x0 = a.left, x1 = b.right;
    float y = direction > 0 ? 1e9f : -1e9f;
    for (SInt32 k = first; k <= last; k++) {
        const ChordLayout &chord = c->chords[size_t(k)];
        float reach = direction > 0 ? std::min(chord.markTop, c->top) : std::max(chord.markBottom, c->bottom);
        y = direction > 0 ? std::min(y, reach) : std::max(y, reach);
    }
    y -= direction * kEcartNolet * c->space;
    char digits[4];
    snprintf(digits, sizeof digits, "%u", unsigned(actual));
    float digitHeight = 2 * c->space * kEchelleChiffreNolet;
    float width = 0;
    for (const char *d = digits; *d; d++) width += AvanceGlyphe(c, UInt16(kGlyphDigit0 + (*d - '0')), kEchelleChiffreNolet);
    float middle = (x0 + x1) / 2;
    float baseline = direction > 0 ? y : y + digitHeight;
    float at = middle - width / 2;
    for (const char *d = digits; *d; d++) {
        UInt16 glyph = UInt16(kGlyphDigit0 + (*d - '0'));
        TraceGlyphe(c, glyph, at, baseline, kEchelleChiffreNolet);
        at += AvanceGlyphe(c, glyph, kEchelleChiffreNolet);
    }
    if (!bracket) return;
    float line = baseline - digitHeight / 2;
    float gap = width / 2 + 0.3f * c->space;
    float hook = direction * kCrochetNolet * c->space;
    LigneHorizontale(x0, middle - gap, line, c->stemWidth);
    LigneHorizontale(middle + gap, x1, line, c->stemWidth);
    LigneVerticale(x0, line, line + hook, c->stemWidth);
    LigneVerticale(x1, line, line + hook, c->stemWidth);
}

}  // namespace
