// Strings and frets of tablature notes, and the tablature staff's engraving row.
#include "staffobjects/tablature.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engraving/engraver_internal.h"
#include "engraving/glyphs.h"
#include "engraving/staff_type_rows.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/utf_text.h"
#include "score/notes.h"

namespace {

const SInt16 kPoliceChiffres = 21;      // sans-serif
const SInt16 kGras = 1;
const float kMargeChiffre = 0.15f;      // spaces of blank line beside a fret number
const float kLargeurCle = 1.6f;         // spaces the "TAB" clef takes
const SInt32 kMaxNotesAccordTab = kMaxCordesTablature;
// A staff without a record: a guitar in standard tuning, highest string first.
const UInt16 kGuitare[6] = {64, 59, 55, 50, 45, 40};
const UInt8 kCasesParDefaut = 21;

struct Tuning {
    SInt16 count;
    UInt16 pitch[kMaxCordesTablature];
    UInt8 frets[kMaxCordesTablature];
};

Tuning Accordage(StaffHandle staff);
SInt32 DebutAccordTab(StaffHandle staff, SInt32 index, SInt32 *last);
void AssigneCordes(StaffHandle staff, SInt32 first, SInt32 last, const Tuning &t, SInt16 *strings, SInt16 *frets);
SInt16 NombreLignes(const SegmentContext *c);
void TraceLignesTablature(SegmentContext *c);
void TraceCleTablature(SegmentContext *c, float x, SInt32 measure, Boolean change);
float LargeurCleTablature(const SegmentContext *c, SInt32 measure, Boolean change);
UInt16 TeteTablature(const SegmentContext *, SInt32, SInt32) { return 0; }
UInt16 SilenceTablature(const SegmentContext *, SInt32) { return 0; }
SInt16 HauteurTablature(StaffHandle staff) { return HauteurPorteeStandard(staff); }
float YTablature(const SegmentContext *c, SInt32, SInt16) { return c->top; }
void TraceNotesTablature(SegmentContext *c);
void TraceChiffre(const SegmentContext *c, const char *text, float centre, float y, SInt16 points);

const EngravingStaffType kTypeTablature = {
    {kPorteeTablature, "tablature", 6, nullptr}, kTrue, kFalse, kFalse, TraceLignesTablature, TraceCleTablature,
    LargeurCleTablature, TeteTablature, SilenceTablature, HauteurTablature, YTablature, TraceNotesTablature,
};

}  // namespace

Boolean CalculeCordeNote(StaffHandle staff, SInt32 index, SInt16 *string, SInt16 *fret) {
    if (string) *string = -1;
    if (fret) *fret = -1;
    const NoteRecord *note = GetNotePtr(staff, index);
    if (!note || note->pitch < 0) return kFalse;
    Tuning t = Accordage(staff);
    SInt32 last = index;
    SInt32 first = DebutAccordTab(staff, index, &last);
    SInt16 strings[kMaxNotesAccordTab], frets[kMaxNotesAccordTab];
    AssigneCordes(staff, first, last, t, strings, frets);
    SInt32 k = index - first;
    if (k >= kMaxNotesAccordTab) {  // past the chord's first sixteen notes: no string left
        if (string) *string = SInt16(t.count - 1);
        return kFalse;
    }
    if (string) *string = strings[k];
    if (fret) *fret = frets[k];
    return frets[k] >= 0;
}

const EngravingStaffType *GetTypeTablatureGravure() { return &kTypeTablature; }

namespace {

Tuning Accordage(StaffHandle staff) {
    Tuning t;
    std::memset(&t, 0, sizeof t);
    const TablatureRecord *tab = GetTablaturePtr(staff);
    if (tab && tab->stringCount >= 1 && tab->stringCount <= kMaxCordesTablature) {
        t.count = tab->stringCount;
        for (SInt16 k = 0; k < t.count; k++) {
            t.pitch[k] = tab->strings[k].pitch;
            t.frets[k] = tab->strings[k].fretCount ? tab->strings[k].fretCount : kCasesParDefaut;
        }
        return t;
    }
    t.count = 6;
    for (SInt16 k = 0; k < 6; k++) t.pitch[k] = kGuitare[k], t.frets[k] = kCasesParDefaut;
    return t;
}

// The chord around index: its first and last notes.
SInt32 DebutAccordTab(StaffHandle staff, SInt32 index, SInt32 *last) {
    SInt32 time = GetNotePtr(staff, index)->time, first = index;
    while (first > 0 && (GetNotePtr(staff, first - 1)->chordFlags & kAccordChaine) && GetNotePtr(staff, first - 1)->time == time)
        first--;
    *last = index;
    while ((GetNotePtr(staff, *last)->chordFlags & kAccordChaine) && *last + 1 < (*staff)->noteCount &&
           GetNotePtr(staff, *last + 1)->time == time)
        (*last)++;
    return first;
}

// Strings for the chord's first kMaxNotesAccordTab notes: notes whose own string and fret hold
// first, then the others from the highest pitch down.
void AssigneCordes(StaffHandle staff, SInt32 first, SInt32 last, const Tuning &t, SInt16 *strings, SInt16 *frets) {
    SInt32 n = std::min<SInt32>(last - first + 1, kMaxNotesAccordTab);
    Boolean taken[kMaxCordesTablature] = {};
    SInt32 order[kMaxNotesAccordTab];
    for (SInt32 k = 0; k < n; k++) {
        strings[k] = frets[k] = -1;
        order[k] = k;
        const NoteRecord *note = GetNotePtr(staff, first + k);
        SInt16 s = note->string, f = note->fret;
        if (note->pitch >= 0 && s < t.count && !taken[s] && t.pitch[s] != kCordeSansHauteur && t.pitch[s] + f == note->pitch &&
            f <= t.frets[s]) {
            strings[k] = s;
            frets[k] = f;
            taken[s] = kTrue;
        }
    }
    std::stable_sort(order, order + n, [staff, first](SInt32 a, SInt32 b) {
        return GetNotePtr(staff, first + a)->pitch > GetNotePtr(staff, first + b)->pitch;
    });
    for (SInt32 i = 0; i < n; i++) {
        SInt32 k = order[i];
        SInt16 pitch = GetNotePtr(staff, first + k)->pitch;
        if (strings[k] >= 0 || pitch < 0) continue;
        for (SInt16 s = 0; s < t.count; s++) {
            if (taken[s] || t.pitch[s] == kCordeSansHauteur || t.pitch[s] > pitch || pitch - t.pitch[s] > t.frets[s]) continue;
            strings[k] = s;
            frets[k] = SInt16(pitch - t.pitch[s]);
            taken[s] = kTrue;
            break;
        }
        if (strings[k] < 0) strings[k] = SInt16(t.count - 1);  // unplayable: an x on the lowest string
    }
}

SInt16 NombreLignes(const SegmentContext *c) {
    const TablatureRecord *tab = GetTablaturePtr(c->staff);
    SInt16 n = tab && tab->stringCount >= 1 && tab->stringCount <= kMaxCordesTablature ? tab->stringCount : 6;
    return n;
}

void TraceLignesTablature(SegmentContext *c) {
    SInt16 lines = NombreLignes(c);
    c->bottom = c->top + float(lines - 1) * c->space;
    for (SInt16 k = 0; k < lines; k++) LigneHorizontale(c->g->left, c->right, c->top + k * c->space, c->lineWidth);
}

// "T", "A" and "B" one under the other over the strings.
void TraceCleTablature(SegmentContext *c, float x, SInt32, Boolean change) {
    if (change) return;
    SInt16 lines = NombreLignes(c);
    float height = float(std::max<SInt16>(1, SInt16(lines - 1))) * c->space;
    SInt16 size = SInt16(std::max(1L, std::min(500L, std::lround(height / 3 * 1.15f))));
    TextFont(kPoliceChiffres);
    TextSize(size);
    TextFace(kGras);
    const char *letters[3] = {"T", "A", "B"};
    for (int i = 0; i < 3; i++) {
        float width = UTFTextWidth(qd.thePort, letters[i], 0, 1);
        float baseline = c->top + height * (i + 1) / 3.0f - height * 0.02f;
        _MoveTo(SInt16(std::lround(x + kLargeurCle * c->space / 2 - width / 2)), SInt16(std::lround(baseline)));
        UTFDrawText(qd.thePort, letters[i], 0, 1, 0);
    }
}

float LargeurCleTablature(const SegmentContext *c, SInt32, Boolean change) { return change ? 0 : kLargeurCle * c->space; }

// Each note's fret number centred where its head would be, on its string, the line blanked
// behind it; an unplayable note is an "x" on the lowest string.
void TraceNotesTablature(SegmentContext *c) {
    const TablatureRecord *tab = GetTablaturePtr(c->staff);
    SInt16 points = tab && tab->fretTextSize > 0 && tab->fretTextSize < 200 ? tab->fretTextSize : 10;
    SInt16 raise = tab ? tab->fretTextOffset : 0;
    const MusicGlyphMetrics *head = MetriqueGlyphe(kGlyphHeadBlack);
    float halfHead = head ? PixelsUnites(c, head->advance) / 2 : 0.65f * c->space;
    SInt32 count = (*c->staff)->noteCount;
    for (SInt32 i = CvtTempsEnIndexNote(c->staff, c->tStart); i < count; i++) {
        NoteRecord note = *GetNotePtr(c->staff, i);
        if (note.time >= c->tEnd) break;
        if (note.pitch < 0) continue;
        SInt16 string = -1, fret = -1;
        Boolean playable = CalculeCordeNote(c->staff, i, &string, &fret);
        char text[8];
        if (playable) std::snprintf(text, sizeof text, "%d", fret);
        else std::strcpy(text, "x");
        float centre = XTemps(c, note.time) + note.offsetX * c->unit / 4 + halfHead;
        TraceChiffre(c, text, centre, c->top + string * c->space - raise * c->unit, points);
    }
}

void TraceChiffre(const SegmentContext *c, const char *text, float centre, float y, SInt16 points) {
    SInt16 size = SInt16(std::max(1L, std::min(500L, std::lround(points * c->g->zoom))));
    TextFont(kPoliceChiffres);
    TextSize(size);
    TextFace(0);
    SInt32 length = SInt32(std::strlen(text));
    float width = UTFTextWidth(qd.thePort, text, 0, length);
    FontInfo info;
    GetFontInfo(&info);
    float ascent = info.ascent > 0 ? info.ascent * 0.72f : size * 0.72f;  // the digits' height
    float margin = kMargeChiffre * c->space;
    Rect blank = {SInt16(std::lround(y - ascent / 2 - margin / 2)), SInt16(std::lround(centre - width / 2 - margin)),
                  SInt16(std::lround(y + ascent / 2 + margin / 2)), SInt16(std::lround(centre + width / 2 + margin))};
    EraseRect(&blank);
    _MoveTo(SInt16(std::lround(centre - width / 2)), SInt16(std::lround(y + ascent / 2)));
    UTFDrawText(qd.thePort, text, 0, length, 0);
}

}  // namespace
