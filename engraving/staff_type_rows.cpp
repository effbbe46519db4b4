// The engraver's staff-type rows, their registry, and the stem rules.
#include "engraving/staff_type_rows.h"

#include <algorithm>
#include <cmath>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "score/musical_arithmetic.h"
#include "score/notes.h"
#include "score/part_groups.h"

namespace {

UInt16 TeteStandard(const SegmentContext *c, SInt32 index, SInt32 value);
UInt16 TeteCarree(const SegmentContext *c, SInt32 index, SInt32 value);
UInt16 SilenceStandard(const SegmentContext *c, SInt32 value);
float YPositionStandard(const SegmentContext *c, SInt32 time, SInt16 position);
void TraceClePercussion(SegmentContext *c, float x, SInt32 measure, Boolean change);
float LargeurClePercussion(const SegmentContext *c, SInt32 measure, Boolean change);
void TraceCleGregorienne(SegmentContext *c, float x, SInt32 measure, Boolean change);
float LargeurCleGregorienne(const SegmentContext *c, SInt32 measure, Boolean change);
SInt16 PositionsAccord(StaffHandle staff, SInt32 index, SInt16 *lowest, SInt16 *highest, SInt32 *first, SInt32 *last);
float Interligne(StaffHandle staff);

// {base {type, name, lines, stem}, drawn, key shown, stems, staff, clef, clef width, head, rest,
//  height, y of a position, notes}
const EngravingStaffType kRows[] = {
    {{kPorteeStandard, "standard", 5, SensHampeStandard}, kTrue, kTrue, kTrue, TraceLignesStandard, TraceCleStandard,
     LargeurCleStandard, TeteStandard, SilenceStandard, HauteurPorteeStandard, YPositionStandard, nullptr},
    {{kPorteeParoles, "lyrics", 0, SensHampeStandard}, kTrue, kFalse, kTrue, nullptr, nullptr, nullptr, TeteStandard,
     SilenceStandard, HauteurPorteeStandard, YPositionStandard, nullptr},
    {{kPorteeTempo, "tempo", 0, SensHampeStandard}, kFalse, kFalse, kFalse, nullptr, nullptr, nullptr, TeteStandard,
     SilenceStandard, HauteurPorteeStandard, YPositionStandard, nullptr},
    {{kPorteeMetronome, "metronome", 0, SensHampeStandard}, kFalse, kFalse, kFalse, nullptr, nullptr, nullptr,
     TeteStandard, SilenceStandard, HauteurPorteeStandard, YPositionStandard, nullptr},
    {{kPorteePercussion, "percussion", 5, SensHampeStandard}, kTrue, kFalse, kTrue, TraceLignesStandard,
     TraceClePercussion, LargeurClePercussion, TeteStandard, SilenceStandard, HauteurPorteeStandard,
     YPositionStandard, nullptr},
    {{kPorteeGregorienne, "gregorian", 4, SensHampeStandard}, kTrue, kFalse, kFalse, TraceLignesStandard,
     TraceCleGregorienne, LargeurCleGregorienne, TeteCarree, SilenceStandard, HauteurPorteeStandard,
     YPositionStandard, nullptr},
    {{kPorteeAudio, "audio", 0, SensHampeStandard}, kFalse, kFalse, kFalse, nullptr, nullptr, nullptr, TeteStandard,
     SilenceStandard, HauteurPorteeStandard, YPositionStandard, nullptr},
};

// The rows the engraver knows, its own and those registered through it. Main thread only.
struct EngravingRowRegistry {
    const EngravingStaffType *rows[kMaxTypesPortee];
    SInt32 count;
};
EngravingRowRegistry gRows;

// Heads by shape code: {whole, half, black}; the shape notes follow a staff in shape-note mode.
struct HeadRow {
    UInt8 code;
    UInt16 heads[3];
    UInt16 shapeHeads[3];
};
const HeadRow kHeads[] = {
    {0, {kGlyphHeadWhole, kGlyphHeadHalf, kGlyphHeadBlack}, {kGlyphHeadSolWhole, kGlyphHeadSolHalf, kGlyphHeadSol}},
    {1, {kGlyphHeadTriangleWhole, kGlyphHeadTriangleHalf, kGlyphHeadTriangle},
     {kGlyphHeadDoWhole, kGlyphHeadDoHalf, kGlyphHeadDo}},
    {2, {kGlyphHeadDiamondWhole, kGlyphHeadDiamondHalf, kGlyphHeadDiamond},
     {kGlyphHeadMiWhole, kGlyphHeadMiHalf, kGlyphHeadMi}},
    {3, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}},
    {4, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}},
    {5, {kGlyphHeadLaWhole, kGlyphHeadLaHalf, kGlyphHeadLa}, {kGlyphHeadLaWhole, kGlyphHeadLaHalf, kGlyphHeadLa}},
    {6, {kGlyphHeadSlashWhole, kGlyphHeadSlashHalf, kGlyphHeadSlash},
     {kGlyphHeadSlashWhole, kGlyphHeadSlashHalf, kGlyphHeadSlash}},
    {8, {kGlyphHeadFaUpWhole, kGlyphHeadFaUpHalf, kGlyphHeadFaUp}, {kGlyphHeadFaUpWhole, kGlyphHeadFaUpHalf, kGlyphHeadFaUp}},
    {9, {kGlyphHeadReWhole, kGlyphHeadReHalf, kGlyphHeadRe}, {kGlyphHeadReWhole, kGlyphHeadReHalf, kGlyphHeadRe}},
    {10, {kGlyphHeadTiWhole, kGlyphHeadTiHalf, kGlyphHeadTi}, {kGlyphHeadTiWhole, kGlyphHeadTiHalf, kGlyphHeadTi}},
    {22, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}, {kGlyphHeadXWhole, kGlyphHeadXHalf, kGlyphHeadX}},
};
const UInt8 kTeteAucune = 7;        // no head is drawn
const float kInterligneDefaut = 6.0f;     // points between the lines of a standard staff
const SInt16 kMargePorteeEspaces = 16;    // spaces of room a staff takes beside its lines
const SInt16 kEspacesParLigneTexte = 2;   // and for each text line
const UInt16 kModeTetesFormes = 2;  // the staff's shape-note mode

}  // namespace

void InitTypesPorteeGravure() {
    gRows = EngravingRowRegistry{};
    for (const EngravingStaffType &row : kRows) EnregistreTypePorteeGravure(&row);
}

OSErr EnregistreTypePorteeGravure(const EngravingStaffType *row) {
    if (!row) return paramErr;
    SInt32 slot = 0;
    while (slot < gRows.count && gRows.rows[slot]->base.type != row->base.type) slot++;
    if (slot == gRows.count && gRows.count >= kMaxTypesPortee) return paramErr;
    OSErr err = EnregistreTypePortee(&row->base);
    if (err != noErr) return err;
    gRows.rows[slot] = row;
    if (slot == gRows.count) gRows.count++;
    return noErr;
}

const EngravingStaffType *GetTypePorteeGravure(StaffHandle staff) {
    const StaffTypeOps *ops = staff && *staff ? (*staff)->ops : nullptr;
    if (!ops && staff && *staff) ops = GetTypePortee((*staff)->type);
    for (SInt32 i = 0; i < gRows.count; i++)
        if (&gRows.rows[i]->base == ops) return gRows.rows[i];
    // Before the rows are registered (or for a row the model made up) the type still decides.
    UInt32 type = staff && *staff ? (*staff)->type : kPorteeStandard;
    for (const EngravingStaffType &row : kRows)
        if (row.base.type == type) return &row;
    return &kRows[0];
}

SInt16 SensHampeNote(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note) return 1;
    if (note->stemDirection == 1) return -1;
    if (note->stemDirection == 2) return 1;
    if (note->chordFlags & kAccordHampeBas) return -1;
    SInt16 direction = CalculeSensHampe(staff, index);
    return direction < 0 ? -1 : 1;
}

Boolean CouleDessusNote(StaffHandle staff, SInt32 index) {
    SInt16 lowest = 0, highest = 0;
    SInt32 first = index, last = index;
    SInt16 position = PositionsAccord(staff, index, &lowest, &highest, &first, &last);
    if (last > first) return position * 2 >= lowest + highest;
    return SensHampeNote(staff, index) < 0;
}

SInt16 SensHampeStandard(StaffHandle staff, SInt32 index) {
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->pitch < 0) return 0;
    if ((*staff)->mergeMode == 2) return CvtPorteeEnPorteeDebutFusion(staff) == staff ? 1 : -1;
    SInt16 lowest = 0, highest = 0;
    SInt32 first = index, last = index;
    PositionsAccord(staff, index, &lowest, &highest, &first, &last);
    SInt16 middle = PositionLigneMediane(staff, note->time);
    return highest - middle >= middle - lowest ? -1 : 1;
}

void TraceLignesStandard(SegmentContext *c) {
    SInt32 lines = std::min<SInt32>((*c->staff)->lineCount, 16);
    UInt16 shown = (*c->staff)->shownLines;
    for (SInt32 k = 0; k < lines; k++)
        if (shown & (1u << k)) LigneHorizontale(c->g->left, c->right, c->top + k * c->space, c->lineWidth);
}

// A clef stands on the line it names; an octave lower than written takes the G clef with its 8.
void TraceCleStandard(SegmentContext *c, float x, SInt32 measure, Boolean change) {
    ClefRecord clef;
    CvtMesureEnClef(c->staff, measure, &clef);
    static const struct {
        UInt8 kind;
        SInt16 line;  // from the bottom, from 1
        UInt16 glyph, small;
    } kCles[] = {{kCleSol, 2, kGlyphClefG, kGlyphClefGChange},
                 {kCleFa, 4, kGlyphClefF, kGlyphClefFChange},
                 {kCleUt, 3, kGlyphClefC, kGlyphClefCChange}};
    for (const auto &row : kCles) {
        if (row.kind != clef.kind) continue;
        SInt16 line = SInt16(row.line + clef.lineOffset);
        UInt16 glyph = change ? row.small : row.glyph;
        if (clef.kind == kCleSol && clef.octave == -1) glyph = change ? kGlyphClefG8BelowChange : kGlyphClefG8Below;
        TraceGlyphe(c, glyph, x, c->top + float(5 - line) * c->space);
        return;
    }
    TraceGlyphe(c, change ? kGlyphClefGChange : kGlyphClefG, x, c->top + 3 * c->space);
}

float LargeurCleStandard(const SegmentContext *c, SInt32 measure, Boolean change) {
    ClefRecord clef;
    CvtMesureEnClef(c->staff, measure, &clef);
    UInt16 glyph = clef.kind == kCleFa ? kGlyphClefF : clef.kind == kCleUt ? kGlyphClefC : kGlyphClefG;
    return AvanceGlyphe(c, glyph, change ? 0.8f : 1.0f);
}

SInt16 HauteurPorteeStandard(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return 0;
    SInt32 textLines = (*staff)->verseLineCount + ((*staff)->textLineEnabled[1] ? 1 : 0);
    double height = HauteurLignesPortee(staff) + Interligne(staff) * (kMargePorteeEspaces + kEspacesParLigneTexte * textLines);
    return SInt16(std::min(32767.0, std::ceil(height)));
}

SInt32 HauteurLignesPortee(StaffHandle staff) {
    SInt32 lines = std::max<SInt32>(1, std::min<SInt32>((*staff)->lineCount, kMaxLignesPortee));
    return SInt32(std::ceil(std::max<float>(1, float(lines - 1)) * Interligne(staff)));
}

namespace {

UInt16 TeteStandard(const SegmentContext *c, SInt32 index, SInt32 value) {
    const NoteRecord *note = GetNotePtr(c->staff, index);
    UInt8 code = note ? note->notehead : 0;
    if (code == kTeteAucune) return 0;
    if (value >= kValeurCarree && code == 0) return kGlyphHeadBreve;
    SInt32 column = value >= kValeurRonde ? 0 : value >= kValeurBlanche ? 1 : 2;
    Boolean shapes = (*c->staff)->noteheadMode == kModeTetesFormes;
    for (const HeadRow &row : kHeads) {
        if (row.code != code) continue;
        UInt16 head = shapes ? row.shapeHeads[column] : row.heads[column];
        // Fa points the way of its stem.
        if (code == 8 && SensHampeNote(c->staff, index) < 0)
            head = UInt16(head + (kGlyphHeadFaDown - kGlyphHeadFaUp));
        return head;
    }
    return kHeads[0].heads[column];
}

UInt16 TeteCarree(const SegmentContext *, SInt32, SInt32) { return kGlyphHeadSquare; }

UInt16 SilenceStandard(const SegmentContext *, SInt32 value) {
    static const struct {
        SInt32 value;
        UInt16 glyph;
    } kRests[] = {{kValeurCarree, kGlyphRestBreve}, {kValeurRonde, kGlyphRestWhole},   {kValeurBlanche, kGlyphRestHalf},
                  {kValeurNoire, kGlyphRestQuarter}, {kValeurCroche, kGlyphRest8th},  {kValeurCroche / 2, kGlyphRest16th},
                  {kValeurCroche / 4, kGlyphRest32nd}, {kValeurCroche / 8, kGlyphRest64th}};
    for (const auto &row : kRests)
        if (value >= row.value) return row.glyph;
    return kGlyphRest128th;
}

// The five-line grid: the middle line holds the clef's middle position, lines two steps apart.
float YPositionStandard(const SegmentContext *c, SInt32 time, SInt16 position) {
    return c->top + float(PositionLigneMediane(c->staff, time) + 4 - position) * c->space / 2;
}

void TraceClePercussion(SegmentContext *c, float x, SInt32, Boolean change) {
    TraceGlyphe(c, change ? kGlyphClefPercussionChange : kGlyphClefPercussion, x, c->top + 2 * c->space);
}

float LargeurClePercussion(const SegmentContext *c, SInt32, Boolean change) {
    return AvanceGlyphe(c, change ? kGlyphClefPercussionChange : kGlyphClefPercussion);
}

// Four-line staves: a Fa clef for F clefs, else a Doh clef, on the line of the clef's note.
void TraceCleGregorienne(SegmentContext *c, float x, SInt32 measure, Boolean change) {
    ClefRecord clef;
    CvtMesureEnClef(c->staff, measure, &clef);
    Boolean fa = clef.kind == kCleFa;
    SInt32 time = CvtMesureEnTemps(c->score, measure);
    SInt16 position = SInt16(PositionLigneMediane(c->staff, time) + (fa ? 2 : 1));
    UInt16 glyph = fa ? (change ? kGlyphClefFaChange : kGlyphClefFa) : (change ? kGlyphClefDohChange : kGlyphClefDoh);
    TraceGlyphe(c, glyph, x, YPositionStandard(c, time, position));
}

float LargeurCleGregorienne(const SegmentContext *c, SInt32, Boolean) { return AvanceGlyphe(c, kGlyphClefFa); }

// The extreme positions of the notes of the chord that holds index (at most kMaxNotesAccord
// notes around it); answers the note's own position.
SInt16 PositionsAccord(StaffHandle staff, SInt32 index, SInt16 *lowest, SInt16 *highest, SInt32 *first, SInt32 *last) {
    const NoteRecord *note = GetNotePtr(staff, index);
    SInt32 a = index, b = index;
    while (a > 0 && index - a < kMaxNotesAccord) {
        const NoteRecord *before = GetNotePtr(staff, a - 1);
        if (!(before->chordFlags & kAccordChaine) || before->time != note->time) break;
        a--;
    }
    while (b - a < kMaxNotesAccord && (GetNotePtr(staff, b)->chordFlags & kAccordChaine) &&
           b + 1 < (*staff)->noteCount && GetNotePtr(staff, b + 1)->time == note->time)
        b++;
    SInt16 own = 0;
    *lowest = 32767;
    *highest = -32768;
    for (SInt32 i = a; i <= b; i++) {
        NoteRecord copy = *GetNotePtr(staff, i);
        if (copy.pitch < 0) continue;
        SInt16 position = 0;
        CalcPosAlterationFnNote(staff, &copy, &position, nullptr, i, copy.time);
        *lowest = std::min(*lowest, position);
        *highest = std::max(*highest, position);
        if (i == index) own = position;
    }
    if (*lowest > *highest) *lowest = *highest = own;
    *first = a;
    *last = b;
    return own;
}

// The staff's spacing; a spacing that is not a positive number counts as the standard one.
float Interligne(StaffHandle staff) {
    float spacing = (*staff)->lineSpacing;
    return spacing > 0 && spacing < 1000 ? spacing : kInterligneDefaut;
}

}  // namespace
