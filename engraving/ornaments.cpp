// Grace notes before and after their main notes, and the marks of notes and rests.
#include <algorithm>
#include <cmath>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const float kTailleAppoggiature = 0.6f;   // of the normal size, when the record gives none
const float kPasAppoggiature = 1.5f;      // spaces between grace heads, at their size
const float kEcartAppoggiature = 0.4f;    // spaces between the graces and their main note
const float kHampeAppoggiature = 3.0f;    // spaces, at their size
const float kEcartMarque = 0.3f;          // spaces between stacked marks
const float kEcartMarqueNote = 0.5f;      // spaces between the heads or stem and the first mark
const float kEchelleAlterationMarque = 0.6f;
const UInt8 kTypesPres[] = {59, 60, 62, 94, 101, 102};  // marks that sit by the heads, inside the staff
const UInt8 kTremoloPremier = 51, kTremoloDernier = 54;

struct MarkStack {
    float above;  // y where the next mark above may end
    float below;
};

void TraceAppoggiaturesNote(SegmentContext *c, const ChordLayout &chord, const NoteLayout &main,
                            const NoteEffectRecord &record, UInt8 placement);
void TraceMarque(SegmentContext *c, const ChordLayout &chord, const MarkRecord &mark, MarkStack *stack);
void TraceArpege(SegmentContext *c, const ChordLayout &chord);
Boolean EstPres(UInt8 type);

}  // namespace

void TraceAppoggiatures(SegmentContext *c) {
    for (const ChordLayout &chord : c->chords) {
        for (SInt32 k = 0; k < chord.noteCount; k++) {
            const NoteLayout &main = c->notes[size_t(chord.firstNote + k)];
            const NoteEffectRecord *stored = GetParamEffetIndexNote(c->staff, main.index);
            if (!stored) continue;
            NoteEffectRecord record = *stored;  // drawing may move the records
            TraceAppoggiaturesNote(c, chord, main, record, kAppoggiatureAvant);
            TraceAppoggiaturesNote(c, chord, main, record, kAppoggiatureApres);
        }
    }
}

void TraceMarques(SegmentContext *c) {
    for (const ChordLayout &chord : c->chords) {
        if (chord.repeatSign) continue;
        MarkStack stack = {chord.markTop - kEcartMarqueNote * c->space, chord.markBottom + kEcartMarqueNote * c->space};
        Boolean arpeggio = kFalse;
        SInt32 count = std::max<SInt32>(1, chord.noteCount);
        for (SInt32 k = 0; k < count; k++) {
            SInt32 index = chord.noteCount ? c->notes[size_t(chord.firstNote + k)].index : chord.index;
            SInt32 marks = GetNbMarquesNote(c->staff, index);
            for (SInt32 i = 0; i < marks; i++) {
                MarkRecord mark;
                if (!GetMarqueNote(c->staff, index, i, &mark)) continue;
                if (mark.type == kMarqueArpege) arpeggio = kTrue;
                else TraceMarque(c, chord, mark, &stack);
            }
        }
        if (arpeggio && chord.noteCount) TraceArpege(c, chord);
    }
}

namespace {

void TraceAppoggiaturesNote(SegmentContext *c, const ChordLayout &chord, const NoteLayout &main,
                            const NoteEffectRecord &record, UInt8 placement) {
    SInt32 count = 0;
    for (const GraceEntry &e : record.graces) count += e.used && e.placement == placement;
    if (count == 0) return;
    float scale = record.graceSize ? std::max(0.3f, std::min(1.0f, record.graceSize / 100.0f)) : kTailleAppoggiature;
    float small = c->space * scale;
    float step = kPasAppoggiature * small + AvanceGlyphe(c, kGlyphHeadBlack, scale) * 0.5f;
    float x = placement == kAppoggiatureAvant ? chord.left - kEcartAppoggiature * c->space - count * step
                                              : chord.right + kEcartAppoggiature * c->space + c->space;
    SInt16 direction = record.graceStemDown ? -1 : 1;
    const NoteRecord *mainNote = GetNotePtr(c->staff, main.index);
    KeySignature key;
    CvtTempsEnTonalite(c->staff, chord.time, &key);
    float headWidth = AvanceGlyphe(c, kGlyphHeadBlack, scale);
    float stemEnd = direction > 0 ? 1e9f : -1e9f;
    float firstStem = 0, lastStem = 0, firstY = 0;
    UInt8 levels = 1;
    SInt32 drawn = 0;
    for (const GraceEntry &e : record.graces) {
        if (!e.used || e.placement != placement) continue;
        SInt16 pitch = SInt16(std::max(0, std::min(127, mainNote->pitch + e.interval)));
        SpellingRecord spelling;
        if (!EpelleHauteur(pitch, e.accidental, &key, &spelling)) continue;
        SInt16 position = SInt16(spelling.position - DecalageOctave(c, chord.time));
        float y = YPosition(c, chord.time, position);
        SInt16 topLine = SInt16(PositionMedianeContexte(c, chord.time) + 4);
        for (SInt32 p = topLine + 2, n = 0; p <= position && n < kMaxLignesSupplementaires; p += 2, n++)
            LigneHorizontale(x - 0.3f * small, x + headWidth + 0.3f * small, YPosition(c, chord.time, SInt16(p)), c->ledgerWidth);
        for (SInt32 p = topLine - 10, n = 0; p >= position && n < kMaxLignesSupplementaires; p -= 2, n++)
            LigneHorizontale(x - 0.3f * small, x + headWidth + 0.3f * small, YPosition(c, chord.time, SInt16(p)), c->ledgerWidth);
        TraceGlyphe(c, kGlyphHeadBlack, x, y, scale);
        UInt16 accidental = GlypheAlteration(e.accidental & kAlterationCode);
        if (accidental) TraceGlyphe(c, accidental, x - AvanceGlyphe(c, accidental, scale) - 0.1f * small, y, scale);
        float stemX = direction > 0 ? x + headWidth - c->stemWidth / 2 : x + c->stemWidth / 2;
        stemEnd = direction > 0 ? std::min(stemEnd, y - kHampeAppoggiature * small)
                                : std::max(stemEnd, y + kHampeAppoggiature * small);
        LigneVerticale(stemX, y, y - direction * kHampeAppoggiature * small, c->stemWidth);
        if (drawn == 0) firstStem = stemX, firstY = y;
        lastStem = stemX;
        levels = std::max<UInt8>(levels, UInt8(std::min(5, e.noteType + 1)));
        x += step;
        drawn++;
    }
    if (drawn == 0) return;
    if (drawn == 1) {
        UInt16 flag = UInt16((direction > 0 ? kGlyphFlagUp8th : kGlyphFlagDown8th) + std::min<SInt32>(levels - 1, 2));
        TraceGlyphe(c, flag, firstStem - c->stemWidth / 2, firstY - direction * kHampeAppoggiature * small, scale);
    } else {
        // The stems of a group meet one beam (and more for shorter values).
        for (SInt32 level = 0; level < levels; level++) {
            float y = stemEnd + direction * level * 0.75f * small;
            const float xs[4] = {firstStem, lastStem, lastStem, firstStem};
            const float ys[4] = {y, y, y + direction * 0.5f * small, y + direction * 0.5f * small};
            Quadrilatere(xs, ys);
        }
    }
    if (record.graceSlash)
        Trait(firstStem - 0.8f * small, firstY - direction * 1.2f * small, firstStem + 0.8f * small,
              firstY - direction * 2.4f * small, c->stemWidth);
    if (record.graceSlurred) {
        float from = placement == kAppoggiatureAvant ? chord.left - kEcartAppoggiature * c->space - count * step : main.x;
        float to = placement == kAppoggiatureAvant ? main.x : lastStem;
        float y = std::max(firstY, main.y) + direction * 0.8f * small;
        float rise = direction * 0.8f * c->space;
        Courbe(from, y, from + (to - from) / 3, y + rise, to - (to - from) / 3, y + rise, to, y, 0.1f * c->space);
    }
}

// A mark over or under its chord: the placement bit means below, or with a stem-relative mark
// the stem's side; marks stack outward, those not kept by the heads clear of the staff. Tremolo
// strokes cross the stem.
void TraceMarque(SegmentContext *c, const ChordLayout &chord, const MarkRecord &mark, MarkStack *stack) {
    UInt16 code = UInt16(kGlyphMarkBase + mark.type);
    float scale = 1;
    if (mark.type == kMarqueAccident) {
        if (mark.symbol == 'b') code = kGlyphAccFlat, scale = kEchelleAlterationMarque;
        else if (mark.symbol == 'n') code = kGlyphAccNatural, scale = kEchelleAlterationMarque;
    }
    const MusicGlyphMetrics *m = MetriqueGlyphe(code);
    if (!m) return;
    float dx = mark.offsetX * c->unit, dy = mark.offsetY * c->unit;
    float centre = chord.noteCount ? chord.x + chord.headWidth / 2 : (chord.left + chord.right) / 2;
    float originX = centre - PixelsUnites(c, m->xMin + m->xMax, scale) / 2 + dx;
    if (code >= kGlyphMarkBase + kTremoloPremier && code <= kGlyphMarkBase + kTremoloDernier) {
        if (!chord.stem) return;
        float middle = (chord.stemBase + chord.stemEnd) / 2;
        TraceGlyphe(c, code, chord.stemX - PixelsUnites(c, m->xMin + m->xMax) / 2 + dx,
                    middle + PixelsUnites(c, m->yMin + m->yMax) / 2 + dy);
        return;
    }
    Boolean below = (mark.placement & kMarqueDessous) != 0;
    if (mark.stemRelative) {
        Boolean stemSide = below;
        below = stemSide ? chord.direction < 0 : chord.direction > 0;
        if (chord.rest) below = kFalse;
    }
    float height = PixelsUnites(c, m->yMax - m->yMin, scale);
    if (below) {
        float base = EstPres(mark.type) ? stack->below : std::max(stack->below, c->bottom + c->space);
        TraceGlyphe(c, code, originX, base + PixelsUnites(c, m->yMax, scale) + dy, scale);
        stack->below = base + height + kEcartMarque * c->space;
    } else {
        float base = EstPres(mark.type) ? stack->above : std::min(stack->above, c->top - c->space);
        TraceGlyphe(c, code, originX, base + PixelsUnites(c, m->yMin, scale) + dy, scale);
        stack->above = base - height - kEcartMarque * c->space;
    }
}

// The arpeggio's wavy line left of the chord, from its lowest head to its highest.
void TraceArpege(SegmentContext *c, const ChordLayout &chord) {
    const MusicGlyphMetrics *m = MetriqueGlyphe(kGlyphArpeggio);
    if (!m) return;
    float step = c->space;
    float x = chord.left - 0.3f * c->space - PixelsUnites(c, m->advance);
    float bottom = chord.bottom, top = chord.top;
    SInt32 count = 0;
    for (float y = bottom; y > top - step / 2 && count < 400; y -= step, count++) TraceGlyphe(c, kGlyphArpeggio, x, y);
}

Boolean EstPres(UInt8 type) { return std::find(std::begin(kTypesPres), std::end(kTypesPres), type) != std::end(kTypesPres); }

}  // namespace
