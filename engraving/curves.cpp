// Ties and slurs as filled Bezier curves: whole within the segment, or as the piece that leaves
// it toward a later system or enters it from an earlier one.
#include <algorithm>
#include <cmath>
#include <utility>

#include "engraving/engraver_internal.h"
#include "engraving/engraving_hooks.h"
#include "engraving/links.h"
#include "engraving/staff_type_rows.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"

namespace {

const float kEcartLiaison = 0.35f;       // spaces between a tie's end and its head
const float kEpaisseurLiaison = 0.22f;   // spaces at a tie's middle
const float kLongueurLiaisonCourte = 4.0f;   // spaces: longer curves rise more
const float kAllongementHauteur = 16.0f;     // spaces of length that double the rise
const float kHauteurMax = 2.0f;              // times the rise asked for, at most
const float kMargePiece = 0.5f;          // spaces between a piece and the segment's end
const float kEntreePiece = 2.5f;         // spaces before the notes where an entering piece starts

// Where a curve's end stands: the head's left edge, middle and width.
struct CurveEnd {
    float x, y, width;
};

typedef std::vector<std::pair<SInt32, SInt32>> NoteIndex;  // staff index -> NoteLayout

void IndexeNotes(const SegmentContext *c, NoteIndex *index);
const NoteLayout *Cherche(const SegmentContext *c, const NoteIndex &index, SInt32 note);
CurveEnd BoutHorsSegment(const SegmentContext *c, SInt32 note, float x, float width);
void TraceCourbeLiaison(SegmentContext *c, SInt32 source, SInt32 destination, CurveEnd from, CurveEnd to,
                        Boolean enters, Boolean leaves);
void FormeLiaison(const SegmentContext *c, SInt32 source, SInt32 destination, TieDataRecord *tie);

}  // namespace

// FIXME: a slur whose ends lie on two staves is not drawn: each staff is drawn alone.
void TraceLiaisons(SegmentContext *c) {
    NoteIndex index;
    IndexeNotes(c, &index);
    for (const NoteLayout &n : c->notes) {
        LinkEndRecord other;
        if (GetAutreBoutLiaison(c->staff, n.index, kLiaisonSource, kLiaisonCoule, &other) && other.staff == c->staff) {
            const NoteLayout *end = Cherche(c, index, other.index);
            CurveEnd from = {n.x, n.y, n.width};
            if (end) {
                TraceCourbeLiaison(c, n.index, other.index, from, CurveEnd{end->x, end->y, end->width}, kFalse, kFalse);
            } else if (GetNotePtr(c->staff, other.index)->time >= c->tEnd) {
                CurveEnd to = BoutHorsSegment(c, other.index, c->right - kMargePiece * c->space, from.width);
                TraceCourbeLiaison(c, n.index, other.index, from, to, kFalse, kTrue);
            }
        }
        if (GetAutreBoutLiaison(c->staff, n.index, kLiaisonDestination, kLiaisonCoule, &other) && other.staff == c->staff &&
            GetNotePtr(c->staff, other.index)->time < c->tStart) {
            CurveEnd from = BoutHorsSegment(c, other.index, c->g->notesX[0] - kEntreePiece * c->space, n.width);
            TraceCourbeLiaison(c, other.index, n.index, from, CurveEnd{n.x, n.y, n.width}, kTrue, kFalse);
        }
    }
}

namespace {

void IndexeNotes(const SegmentContext *c, NoteIndex *index) {
    for (size_t i = 0; i < c->notes.size(); i++) index->push_back({c->notes[i].index, SInt32(i)});
    std::sort(index->begin(), index->end());
}

const NoteLayout *Cherche(const SegmentContext *c, const NoteIndex &index, SInt32 note) {
    auto found = std::lower_bound(index.begin(), index.end(), std::make_pair(note, SInt32(-1)));
    return found != index.end() && found->first == note ? &c->notes[size_t(found->second)] : nullptr;
}

// The end of a curve whose note lies in another segment: at x, at the height the note would
// have on this staff at the segment's edge.
CurveEnd BoutHorsSegment(const SegmentContext *c, SInt32 note, float x, float width) {
    NoteRecord copy = *GetNotePtr(c->staff, note);
    SInt16 position = 0;
    CalcPosAlterationFnNote(c->staff, &copy, &position, nullptr, note, copy.time);
    SInt32 time = copy.time < c->tStart ? c->tStart : c->tEnd - 1;
    return CurveEnd{x, YPosition(c, time, SInt16(position - DecalageOctave(c, copy.time))), width};
}

// A tie joins the heads' sides with its block's shape; a slur joins their middles with the
// source's slur shape. The rise grows with the curve's length.
void TraceCourbeLiaison(SegmentContext *c, SInt32 source, SInt32 destination, CurveEnd from, CurveEnd to,
                        Boolean enters, Boolean leaves) {
    float x0, y0, x3, y3, tension, height, thickness;
    Boolean slur = kTrue;
    if (IsCoulePourLieIndex(c->staff, source, destination)) {
        TieDataRecord tie;
        FormeLiaison(c, source, destination, &tie);
        x0 = enters ? from.x : from.x + from.width + kEcartLiaison * c->space;
        x3 = leaves ? to.x : to.x - kEcartLiaison * c->space + tie.endX * c->unit;
        y0 = (enters ? to.y : from.y) + tie.startY * c->unit;
        y3 = (leaves ? from.y : to.y) + tie.endY * c->unit;
        tension = tie.tension;
        height = tie.curvature / 100.0f * c->unit;
        thickness = kEpaisseurLiaison * c->space;
        slur = kFalse;
    } else {
        const NoteEffectRecord *record = GetParamEffetIndexNote(c->staff, source);
        if (!record) return;
        SInt8 start[2] = {record->slurStart[0], record->slurStart[1]};
        SInt8 end[2] = {record->slurEnd[0], record->slurEnd[1]};
        SInt16 control[2] = {record->slurControl[0], record->slurControl[1]};
        if (!start[0] && !start[1] && !end[0] && !end[1] && !control[0] && !control[1]) {
            const SlurDefaultsRecord *d = GetLiaisonCouleDefaut();
            SInt32 row = SensHampeNote(c->staff, source) < 0 ? 0 : 1;
            start[0] = d->start[row][0], start[1] = d->start[row][1];
            end[0] = d->end[row][0], end[1] = d->end[row][1];
            control[0] = d->control[row][0], control[1] = d->control[row][1];
        }
        x0 = (enters ? from.x : from.x + from.width / 2 + start[0] * c->unit);
        y0 = from.y + start[1] * c->unit;
        x3 = (leaves ? to.x : to.x + to.width / 2 + end[0] * c->unit);
        y3 = to.y + end[1] * c->unit;
        tension = control[0];
        height = control[1] / 100.0f * c->unit;
        thickness = (record->slurThickness ? record->slurThickness : GetLiaisonCouleDefaut()->thickness) / 10.0f * c->unit;
    }
    if (x3 - x0 < 0.5f * c->space) {
        float middle = (x0 + x3) / 2;
        x0 = middle - 0.25f * c->space;
        x3 = middle + 0.25f * c->space;
    }
    float length = x3 - x0;
    float f = std::max(0.05f, std::min(0.45f, (1000 - tension) / 2000.0f));
    // Slurs rise with their length; ties keep their rise, off the lines they run between.
    float grow = 1 + std::max(0.0f, length - kLongueurLiaisonCourte * c->space) / (kAllongementHauteur * c->space);
    if (slur) height *= std::min(kHauteurMax, grow);
    thickness = std::max(1.0f, std::min(thickness, c->space));
    Courbe(x0, y0, x0 + f * length, y0 + height, x3 - f * length, y3 + height, x3, y3, thickness);
}

// A tie with a shaped block keeps it; otherwise the tie hook shapes it for this drawing.
void FormeLiaison(const SegmentContext *c, SInt32 source, SInt32 destination, TieDataRecord *tie) {
    GetDataLiaisonNote(c->staff, source, tie);
    if (tie->mode == kCouleForme) return;
    const NoteRecord *note = GetNotePtr(c->staff, source);
    HookAdjustTie(tie, CouleDessusNote(c->staff, source), SensHampeNote(c->staff, source) < 0,
                  SensHampeNote(c->staff, destination) < 0, (note->chordFlags & kAccordChaine) != 0,
                  PositionLiaisonNote(c->staff, source));
}

}  // namespace
