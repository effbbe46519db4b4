// The layout of a segment's chords: which notes stand together, where their heads, accidentals
// and stems go, and how beam groups set their stems.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "engraving/staff_type_rows.h"
#include "engraving/links.h"
#include "score/dynamics_objects.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const float kLongueurHampe = 3.5f;       // spaces beyond the farthest head
const float kLongueurHampeGroupe = 3.0f;  // shortest stem under a beam
const float kAllongementCrochet = 0.5f;  // spaces more a flag past the second
const float kAllongementAccroche = 0.75f;  // spaces more a beam past the second
const float kPenteMax = 0.5f;            // spaces of rise per head width
const float kBordSurLigne = 0.15f;       // spaces: a beam edge this close to a line lies on it
const float kLargeurTeteDefaut = 1.3f;   // spaces, when no glyph gives it
const float kEcartAlteration = 0.5f;     // spaces between an accidental and its head
const float kEcartColonnes = 0.15f;      // spaces between columns of accidentals
const SInt16 kEcartPositionsAlterations = 6;  // accidentals this close in steps share no column
const SInt32 kValeurs[] = {kValeurCarree, kValeurRonde, kValeurBlanche, kValeurNoire, kValeurCroche,
                           kValeurCroche / 2, kValeurCroche / 4, kValeurCroche / 8, kValeur128};

void CollecteOctaves(SegmentContext *c);
void AjouteAccord(SegmentContext *c, SInt32 first, SInt32 last);
void AjouteNote(SegmentContext *c, ChordLayout *chord, SInt32 index);
void PlaceSilence(SegmentContext *c, ChordLayout *chord, SInt32 index);
void PlaceAlterations(SegmentContext *c, ChordLayout *chord);
Boolean Groupable(const ChordLayout &chord);
Boolean ContinueGroupe(const SegmentContext *c, const ChordLayout &chord);
void UnitLiensAccroche(SegmentContext *c, std::vector<SInt32> *parent);
SInt32 Racine(std::vector<SInt32> *parent, SInt32 k);
void FormeGroupe(SegmentContext *c, SInt32 first, SInt32 last);
SInt16 SensGroupe(const SegmentContext *c, SInt32 first, SInt32 last);
float YExtreme(const SegmentContext *c, const ChordLayout &chord, SInt16 direction);

}  // namespace

void CalculeAccords(SegmentContext *c) {
    CollecteOctaves(c);
    SInt32 first = CvtTempsEnIndexNote(c->staff, c->tStart);
    SInt32 end = CvtTempsEnIndexNote(c->staff, c->tEnd);
    for (SInt32 i = first; i < end;) {
        const NoteRecord *note = GetNotePtr(c->staff, i);
        // A chord runs while each note is chained to the next one at the same time.
        SInt32 last = i;
        while (last + 1 < end && (GetNotePtr(c->staff, last)->chordFlags & kAccordChaine) &&
               GetNotePtr(c->staff, last + 1)->time == note->time)
            last++;
        if (note->pitch >= kPitchRepetitionMesure) AjouteAccord(c, i, last);
        i = last + 1;
    }
}

void CalculeGroupes(SegmentContext *c) {
    SInt32 count = SInt32(c->chords.size());
    std::vector<SInt32> parent(static_cast<size_t>(count));
    for (SInt32 k = 0; k < count; k++) parent[size_t(k)] = k;
    for (SInt32 k = 0; k + 1 < count; k++)
        if (Groupable(c->chords[size_t(k)]) && Groupable(c->chords[size_t(k + 1)]) &&
            ContinueGroupe(c, c->chords[size_t(k)]))
            parent[size_t(Racine(&parent, k + 1))] = Racine(&parent, k);
    UnitLiensAccroche(c, &parent);
    for (SInt32 k = 0; k < count;) {
        SInt32 last = k;
        while (last + 1 < count && Racine(&parent, last + 1) == Racine(&parent, k)) last++;
        // Rests at either end stay out of the beam.
        SInt32 a = k, b = last;
        while (a < b && c->chords[size_t(a)].rest) a++;
        while (b > a && c->chords[size_t(b)].rest) b--;
        if (b > a) FormeGroupe(c, a, b);
        k = last + 1;
    }
}

void DecomposeValeur(UInt32 duration, UInt8 tuplet, SInt32 *value, SInt32 *base, UInt8 *dots, UInt8 *beams) {
    SInt64 v = duration;
    UInt8 actual = tuplet & 0x0F, normal = UInt8(tuplet >> 4);
    if (actual && normal) v = v * actual / normal;
    v = std::min<SInt64>(v, kTempsMax);
    SInt32 b = kValeur128;
    for (SInt32 candidate : kValeurs)
        if (v >= candidate) {
            b = candidate;
            break;
        }
    // Dots only when they make the value exactly.
    UInt8 d = 0;
    SInt64 rest = v - b, add = b / 2;
    while (d < 3 && add > 0 && rest >= add) {
        rest -= add;
        add /= 2;
        d++;
    }
    if (rest != 0) d = 0;
    UInt8 flags = 0;
    for (SInt32 unit = kValeurCroche; unit >= b && flags < 5; unit /= 2) flags++;
    *value = SInt32(v);
    *base = b;
    *dots = d;
    *beams = flags;
}

SInt16 DecalageOctave(const SegmentContext *c, SInt32 time) {
    for (const OctaveSpan &span : c->octaves)
        if (time >= span.start && time <= span.end) return span.steps;
    return 0;
}

void PlaceAccord(SegmentContext *c, ChordLayout *chord, SInt16 direction) {
    chord->direction = direction;
    if (chord->rest || chord->repeatSign || chord->noteCount == 0) return;
    NoteLayout *notes = &c->notes[size_t(chord->firstNote)];
    // Seconds: walking from the stem's base, a head a step from an undisplaced one moves across
    // the stem.
    SInt32 n = chord->noteCount;
    for (SInt32 k = 0; k < n; k++) {
        SInt32 i = direction > 0 ? k : n - 1 - k;
        SInt32 previous = direction > 0 ? i - 1 : i + 1;
        notes[i].displaced = k > 0 && std::abs(notes[i].position - notes[previous].position) == 1 && !notes[previous].displaced;
        float across = chord->headWidth - c->stemWidth;
        notes[i].x = chord->x + (notes[i].displaced ? (direction > 0 ? across : -across) : 0);
        notes[i].y = YPosition(c, chord->time, notes[i].position);
        notes[i].width = chord->headWidth;
    }
    chord->left = chord->x;
    chord->right = chord->x + chord->headWidth;
    for (SInt32 i = 0; i < n; i++) {
        chord->left = std::min(chord->left, notes[i].x);
        chord->right = std::max(chord->right, notes[i].x + chord->headWidth);
    }
    chord->top = std::min(notes[0].y, notes[n - 1].y) - c->space / 2;
    chord->bottom = std::max(notes[0].y, notes[n - 1].y) + c->space / 2;
    PlaceAlterations(c, chord);
    chord->stemX = direction > 0 ? chord->x + chord->headWidth - c->stemWidth / 2 : chord->x + c->stemWidth / 2;
    chord->stemBase = YExtreme(c, *chord, SInt16(-direction));
    const NoteRecord *note = GetNotePtr(c->staff, notes[0].index);
    float length = kLongueurHampe * c->space;
    if (chord->beams > 2) length += kAllongementCrochet * c->space * (chord->beams - 2);
    if (note && note->stemLength != 0) length += note->stemLength * c->space / 2;
    length = std::max(c->space, std::min(length, 12 * c->space));
    float end = YExtreme(c, *chord, direction) - direction * length;
    // Stems of notes far off the staff reach its middle line.
    float middle = c->top + 2 * c->space;
    if ((*c->staff)->lineCount > 0 && (direction > 0 ? end > middle : end < middle)) end = middle;
    chord->stemEnd = end;
    chord->markTop = std::min(chord->top, direction > 0 ? end : chord->top);
    chord->markBottom = std::max(chord->bottom, direction < 0 ? end : chord->bottom);
}

namespace {

void CollecteOctaves(SegmentContext *c) {
    c->octaves.clear();
    SInt32 count = (*c->staff)->dynamicsCount;
    for (SInt32 i = 0; i < count; i++) {
        const DynamicsObject *o = GetDynamiquePtr(c->staff, i);
        if (!o || !o->inUse || o->kind < kDynamiqueOctaveHaut || o->kind > kDynamiqueDeuxOctavesBas) continue;
        if (o->endTime < c->tStart || o->startTime >= c->tEnd) continue;
        static const SInt16 kSteps[4] = {7, -7, 14, -14};
        c->octaves.push_back(OctaveSpan{o->startTime, o->endTime, kSteps[o->kind - kDynamiqueOctaveHaut]});
    }
}

void AjouteAccord(SegmentContext *c, SInt32 first, SInt32 last) {
    const NoteRecord *note = GetNotePtr(c->staff, first);
    ChordLayout chord;
    std::memset(&chord, 0, sizeof chord);
    chord.index = first;
    chord.firstNote = SInt32(c->notes.size());
    chord.time = note->time;
    UInt32 duration = note->duration;  // a copy: the record is packed
    chord.duration = SInt32(duration < UInt32(kTempsMax) ? duration : UInt32(kTempsMax));
    chord.group = -1;
    chord.direction = 1;
    DecomposeValeur(note->duration, note->tuplet, &chord.value, &chord.base, &chord.dots, &chord.beams);
    chord.x = XTemps(c, chord.time) + note->offsetX * c->unit / 4;
    chord.headWidth = kLargeurTeteDefaut * c->space;
    if (note->pitch == kPitchSilence || note->pitch == kPitchRepetitionMesure) {
        chord.rest = note->pitch == kPitchSilence;
        chord.repeatSign = !chord.rest;
        if (chord.repeatSign) chord.x = XTemps(c, chord.time);
        PlaceSilence(c, &chord, first);
        c->chords.push_back(chord);
        return;
    }
    for (SInt32 i = first; i <= last && chord.noteCount < kMaxNotesAccord; i++) AjouteNote(c, &chord, i);
    if (chord.noteCount == 0) return;
    NoteLayout *notes = &c->notes[size_t(chord.firstNote)];
    std::stable_sort(notes, notes + chord.noteCount,
                     [](const NoteLayout &a, const NoteLayout &b) { return a.position < b.position; });
    for (SInt32 i = 0; i < chord.noteCount; i++) {
        const MusicGlyphMetrics *m = MetriqueGlyphe(notes[i].head);
        if (m) {
            chord.headWidth = PixelsUnites(c, m->advance);
            break;
        }
    }
    chord.stem = c->row->stems && chord.base < kValeurRonde;
    PlaceAccord(c, &chord, SensHampeNote(c->staff, notes[0].index));
    c->chords.push_back(chord);
}

void AjouteNote(SegmentContext *c, ChordLayout *chord, SInt32 index) {
    NoteRecord note = *GetNotePtr(c->staff, index);
    if (note.pitch < 0) return;
    NoteLayout layout;
    std::memset(&layout, 0, sizeof layout);
    layout.index = index;
    SInt16 position = 0, shown = kAlterationAucune;
    CalcPosAlterationFnNote(c->staff, &note, &position, &shown, index, note.time);
    layout.position = SInt16(position - DecalageOctave(c, note.time));
    if (note.accidental & kAlterationCachee) shown = kAlterationAucune;
    else if ((note.accidental & kAlterationMontree) && shown == kAlterationAucune) {
        KeySignature key;
        CvtTempsEnTonalite(c->staff, note.time, &key);
        SpellingRecord spelling;
        if (EpelleHauteur(note.pitch, note.accidental, &key, &spelling)) {
            static const UInt8 kCodes[5] = {kAlterationDoubleBemol, kAlterationBemol, kAlterationBecarre,
                                            kAlterationDiese, kAlterationDoubleDiese};
            shown = kCodes[spelling.alteration + 2];
        }
    }
    layout.accidental = UInt8(shown);
    layout.editorial = (note.accidental & kAlterationEditoriale) != 0 && shown != kAlterationAucune;
    layout.head = c->row->head(c, index, chord->value);
    c->notes.push_back(layout);
    chord->noteCount++;
}

// A rest stands on the middle line (a whole rest hangs from the line above it); one that fills
// its measure stands in the middle of the measure. Its own position moves it, in points.
void PlaceSilence(SegmentContext *c, ChordLayout *chord, SInt32 index) {
    const NoteRecord *note = GetNotePtr(c->staff, index);
    SInt32 m = MesureSegment(c, chord->time);
    SInt32 measure = c->g->firstMeasure + m;
    float middle = c->top + 2 * c->space;
    if (chord->repeatSign) {
        chord->x = (c->g->notesX[m] + c->g->measureX[m + 1]) / 2;
        chord->top = c->top;
        chord->bottom = c->bottom;
        return;
    }
    Boolean wholeMeasure = chord->time == CvtMesureEnTemps(c->score, measure) &&
                           chord->duration >= CvtMesureEnDureeMesure(c->score, measure);
    UInt16 glyph = c->row->rest(c, wholeMeasure && chord->value <= kValeurRonde ? kValeurRonde : chord->value);
    float y = glyph == kGlyphRestWhole ? middle - c->space : middle;
    y += note->restPosition * c->unit;
    if ((glyph == kGlyphRestWhole || glyph == kGlyphRestHalf) && (y < c->top || y > c->bottom))
        glyph = glyph == kGlyphRestWhole ? kGlyphRestWholeLedger : kGlyphRestHalfLedger;
    const MusicGlyphMetrics *m2 = MetriqueGlyphe(glyph);
    float width = m2 ? PixelsUnites(c, m2->advance) : c->space;
    if (wholeMeasure) chord->x = (c->g->notesX[m] + c->g->measureX[m + 1] - c->space) / 2 - width / 2;
    chord->headWidth = width;
    chord->left = chord->x;
    chord->right = chord->x + width;
    chord->top = m2 ? y - PixelsUnites(c, m2->yMax) : y - c->space;
    chord->bottom = m2 ? y - PixelsUnites(c, m2->yMin) : y + c->space;
    chord->markTop = chord->top;
    chord->markBottom = chord->bottom;
    chord->stem = kFalse;
    chord->restGlyph = glyph;
    chord->restY = y;
    chord->stemBase = chord->stemEnd = y;
}

// Accidentals from the top down, each in the first column clear of those near it.
void PlaceAlterations(SegmentContext *c, ChordLayout *chord) {
    NoteLayout *notes = &c->notes[size_t(chord->firstNote)];
    float headsLeft = chord->left;
    float column = AvanceGlyphe(c, kGlyphAccSharp) + kEcartColonnes * c->space;
    std::vector<SInt16> columns[8];
    for (SInt32 i = chord->noteCount - 1; i >= 0; i--) {
        NoteLayout &n = notes[i];
        if (n.accidental == kAlterationAucune || n.accidental > kAlterationDoubleBemol) continue;
        SInt32 k = 0;
        while (k < 7 && std::any_of(columns[k].begin(), columns[k].end(), [&](SInt16 p) {
                   return std::abs(p - n.position) < kEcartPositionsAlterations;
               }))
            k++;
        columns[k].push_back(n.position);
        UInt16 glyph = GlypheAlteration(n.accidental);
        float width = AvanceGlyphe(c, glyph);
        if (n.editorial) width += AvanceGlyphe(c, kGlyphAccParenLeft) + AvanceGlyphe(c, kGlyphAccParenRight);
        n.accidentalX = headsLeft - kEcartAlteration * c->space - width - k * column;
        chord->left = std::min(chord->left, n.accidentalX);
    }
}

Boolean Groupable(const ChordLayout &chord) { return !chord.repeatSign && (chord.rest || (chord.stem && chord.beams > 0)); }

// The beam goes on from a chord any of whose notes (or the rest) says so.
Boolean ContinueGroupe(const SegmentContext *c, const ChordLayout &chord) {
    if (chord.rest) return (GetNotePtr(c->staff, chord.index)->chordFlags & kAccordGroupe) != 0;
    for (SInt32 i = 0; i < chord.noteCount; i++) {
        const NoteRecord *note = GetNotePtr(c->staff, c->notes[size_t(chord.firstNote + i)].index);
        if (note && (note->chordFlags & kAccordGroupe)) return kTrue;
    }
    return kFalse;
}

// Beam links join the chords from their source to their destination when all can be beamed.
void UnitLiensAccroche(SegmentContext *c, std::vector<SInt32> *parent) {
    SInt32 count = SInt32(c->chords.size());
    for (SInt32 k = 0; k < count; k++) {
        const ChordLayout &chord = c->chords[size_t(k)];
        for (SInt32 i = 0; i < chord.noteCount; i++) {
            LinkEndRecord other;
            SInt32 index = c->notes[size_t(chord.firstNote + i)].index;
            if (!GetAutreBoutLiaison(c->staff, index, kLiaisonSource, kLiaisonAccroche, &other) || other.staff != c->staff)
                continue;
            SInt32 time = GetNotePtr(c->staff, other.index)->time;
            SInt32 j = k + 1;
            while (j < count && c->chords[size_t(j)].time < time) j++;
            if (j >= count || c->chords[size_t(j)].time != time) continue;
            Boolean all = kTrue;
            for (SInt32 m = k; m <= j && all; m++) all = Groupable(c->chords[size_t(m)]);
            if (!all) continue;
            for (SInt32 m = k + 1; m <= j; m++) (*parent)[size_t(Racine(parent, m))] = Racine(parent, k);
        }
    }
}

SInt32 Racine(std::vector<SInt32> *parent, SInt32 k) {
    while ((*parent)[size_t(k)] != k) {
        (*parent)[size_t(k)] = (*parent)[size_t((*parent)[size_t(k)])];
        k = (*parent)[size_t(k)];
    }
    return k;
}

// One stem direction for the group, then the beam's line: its natural slope, kept within
// kPenteMax, level when an inner chord reaches further than both ends, and moved so that every
// stem keeps its shortest length.
void FormeGroupe(SegmentContext *c, SInt32 first, SInt32 last) {
    std::vector<ChordLayout> &chords = c->chords;
    ChordLayout &a = chords[size_t(first)];
    SInt16 direction = SensGroupe(c, first, last);
    UInt8 levels = 1;
    for (SInt32 k = first; k <= last; k++) {
        ChordLayout &chord = chords[size_t(k)];
        chord.group = SInt32(c->groups.size());
        if (!chord.rest) PlaceAccord(c, &chord, direction);
        levels = std::max(levels, chord.beams);
    }
    ChordLayout &b = chords[size_t(last)];
    float extra = levels > 2 ? kAllongementAccroche * c->space * (levels - 2) : 0;
    float natural = direction * (kLongueurHampe * c->space + extra);
    float y0 = YExtreme(c, a, direction) - natural, y1 = YExtreme(c, b, direction) - natural;
    float x0 = a.stemX, x1 = b.stemX;
    float slope = x1 - x0 > 0.5f ? (y1 - y0) / (x1 - x0) : 0;
    float limit = kPenteMax * c->space / std::max(1.0f, a.headWidth);
    slope = std::max(-limit, std::min(limit, slope));
    BeamDataRecord block;
    GetDataAccrocheNote(c->staff, c->notes[size_t(a.firstNote)].index, &block);
    for (SInt32 k = first + 1; k < last; k++) {
        if (chords[size_t(k)].rest) continue;
        float inner = YExtreme(c, chords[size_t(k)], direction);
        float ends = direction > 0 ? std::min(YExtreme(c, a, 1), YExtreme(c, b, 1))
                                   : std::max(YExtreme(c, a, -1), YExtreme(c, b, -1));
        if (direction > 0 ? inner < ends : inner > ends) slope = 0;
    }
    if (block.flags & kAccrochePlate) slope = 0;
    if (block.startHeight >= 0 && block.endHeight >= 0 && x1 - x0 > 0.5f) {
        y0 = YExtreme(c, a, direction) - direction * block.startHeight * c->unit;
        y1 = YExtreme(c, b, direction) - direction * block.endHeight * c->unit;
        slope = (y1 - y0) / (x1 - x0);
    } else {
        // Every stem keeps its shortest length under the beam.
        float shift = 0;
        float shortest = kLongueurHampeGroupe * c->space + extra;
        for (SInt32 k = first; k <= last; k++) {
            const ChordLayout &chord = chords[size_t(k)];
            if (chord.rest) continue;
            float at = y0 + slope * (chord.stemX - x0);
            float limitY = YExtreme(c, chord, direction) - direction * shortest;
            float need = direction > 0 ? at - limitY : limitY - at;
            shift = std::max(shift, need);
        }
        y0 -= direction * shift;
        // A beam's outer edge on a line inside the staff would read as the end of a bar line:
        // the beam straddles the line instead.
        float fromTop = (y0 - c->top) / c->space;
        float nearest = std::round(fromTop);
        SInt32 lines = (*c->staff)->lineCount;
        if (nearest >= 0 && nearest < lines && std::fabs(fromTop - nearest) < kBordSurLigne)
            y0 = c->top + nearest * c->space - direction * c->beamThickness / 2;
    }
    for (SInt32 k = first; k <= last; k++) {
        ChordLayout &chord = chords[size_t(k)];
        if (chord.rest) continue;
        chord.stemEnd = y0 + slope * (chord.stemX - x0);
        chord.markTop = std::min(chord.top, chord.stemEnd);
        chord.markBottom = std::max(chord.bottom, chord.stemEnd);
    }
    c->groups.push_back(BeamGroupLayout{first, last, direction, x0, y0, x1, y0 + slope * (x1 - x0)});
}

// The first note's own direction, else down when the group reaches at least as far above the
// middle line as below it.
SInt16 SensGroupe(const SegmentContext *c, SInt32 first, SInt32 last) {
    const ChordLayout &a = c->chords[size_t(first)];
    const NoteRecord *lead = GetNotePtr(c->staff, c->notes[size_t(a.firstNote)].index);
    if (lead->stemDirection == 1 || lead->stemDirection == 2 || (lead->chordFlags & kAccordHampeBas))
        return SensHampeNote(c->staff, c->notes[size_t(a.firstNote)].index);
    float above = -1e9f, below = -1e9f, middle = c->top + 2 * c->space;
    for (SInt32 k = first; k <= last; k++) {
        const ChordLayout &chord = c->chords[size_t(k)];
        if (chord.rest) continue;
        above = std::max(above, middle - YExtreme(c, chord, 1));
        below = std::max(below, YExtreme(c, chord, -1) - middle);
    }
    return above >= below ? -1 : 1;
}

// The y of the chord's head farthest in a direction (1: the highest).
float YExtreme(const SegmentContext *c, const ChordLayout &chord, SInt16 direction) {
    if (chord.noteCount == 0) return chord.stemBase;
    const NoteLayout &low = c->notes[size_t(chord.firstNote)];
    const NoteLayout &high = c->notes[size_t(chord.firstNote + chord.noteCount - 1)];
    float yLow = YPosition(c, chord.time, low.position), yHigh = YPosition(c, chord.time, high.position);
    return direction > 0 ? std::min(yLow, yHigh) : std::max(yLow, yHigh);
}

}  // namespace
