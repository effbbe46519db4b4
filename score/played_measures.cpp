// The played-measure table: unrolling the ruptures, the played-measures text, and the
// conversions between played and written time.
#include "score/played_measures.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/ruptures.h"

namespace {

// The unrolling walks at most this many measures, played or skipped, so that hostile
// ruptures (sections of 32767 passes over skipped endings) end in bounded time.
const SInt32 kMaxPasDeroulement = 1 << 20;

// What the ruptures say about one measure, and how often the walk has played it.
struct MesureDeroulee {
    SInt32 firstRupture;  // its ruptures are order[firstRupture .. the next measure's firstRupture)
    SInt32 endRupture;    // the rupture index of its repeat end, -1
    SInt32 section;       // the section its repeat end closes, -1
    SInt32 span;          // the ending span it lies in, -1
    SInt32 firstSection;  // the first of the sections that start at it, -1 (linked by nextSection)
    SInt32 visits;        // times the walk has played it
};

// A repeat section: from its start to its last repeat end, played passes times.
struct SectionDeroulee {
    SInt32 start;         // its first measure
    SInt32 lastEnd;       // the measure of its last repeat end
    SInt32 endPasses;     // the most its repeat ends ask: their pass counts, at least 2
    SInt32 passes;        // how often it plays: endPasses, or more when an ending is numbered higher
    SInt32 pass;          // the pass playing now, 0 before the walk enters it
    SInt32 nextSection;   // the next section starting at the same measure, -1
};

// An ending span: from a rupture with ending flags to the end of its ending.
struct SpanDeroulee {
    UInt16 mask;          // bit p - 1 set when pass p plays it
    SInt32 owner;         // its section, -1
};

// The ruptures of a score read per measure, its sections and spans, and the walk's state.
struct Structure {
    SInt32 count;                 // measures
    MesureDeroulee *measures;     // count + 1 records (the last ends the rupture order)
    SInt32 *order;                // rupture indices by measure
    SpanDeroulee *spans;          // at most one a rupture
    SInt32 spanCount;
    SectionDeroulee *sections;    // at most one a measure
    SInt32 sectionCount;
    SInt32 *stack;                // the repeat starts still open while sections are found
    UInt8 *taken;                 // per rupture: a D.C. or D.S. already taken
};

OSErr PrepareStructure(ScoreHandle score, Structure *s);
void LibereStructure(Structure *s);
OSErr LitRuptures(ScoreHandle score, Structure *s);
void TrouveSections(ScoreHandle score, Structure *s);
SInt32 Deroule(ScoreHandle score, Structure *s, UInt16 *out);
SInt32 ActionFinDeMesure(ScoreHandle score, Structure *s, SInt32 m, Boolean *afterJump, Boolean *jump, Boolean *stop);
SInt32 MesureCible(ScoreHandle score, const Structure *s, UInt8 action, SInt16 parameter);
UInt16 MasqueFins(const RuptureRecord &rupture);
Boolean OuvreFin(const RuptureRecord &rupture);
const RuptureRecord *Rupture(ScoreHandle score, SInt32 index);
SInt32 LitNombre(const char *text, SInt32 length, SInt32 *at, Boolean *ok);
void SauteBlancs(const char *text, SInt32 length, SInt32 *at);
SInt32 CompteNumerotees(ScoreHandle score);
const UInt16 *Table(ScoreHandle score);
SInt32 DureeMesureJouee(ScoreHandle score, SInt32 played);
Handle TermineTable(Handle table, SInt32 count);

}  // namespace

void CalculeTabCvtMesure(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    if ((*score)->customPlay && (*score)->playedMeasures && (*score)->playedCount > 0) {
        // The custom order stays; measures deleted since then drop out of it.
        UInt16 *table = reinterpret_cast<UInt16 *>(*(*score)->playedMeasures);
        SInt32 kept = 0;
        for (SInt32 i = 0; i < (*score)->playedCount; i++)
            if (table[i] < (*score)->measureCount) table[kept++] = table[i];
        (*score)->playedCount = kept;
        SetHandleSize((*score)->playedMeasures, UInt32(kept) * sizeof(UInt16));
        return;
    }
    Structure s;
    Handle table = NewHandle(kMaxMesuresJouees * sizeof(UInt16));
    OSErr err = table ? PrepareStructure(score, &s) : OSErr(memFullErr);
    SInt32 count = 0;
    if (err == noErr) {
        count = Deroule(score, &s, reinterpret_cast<UInt16 *>(*table));
        LibereStructure(&s);
        SetHandleSize(table, UInt32(count) * sizeof(UInt16));
    }
    if ((*score)->playedMeasures) DisposHandle((*score)->playedMeasures);
    (*score)->playedMeasures = err == noErr ? table : nullptr;
    (*score)->playedCount = err == noErr ? count : 0;
    if (err != noErr && table) DisposHandle(table);
}

Handle CvtStringToTabMesures(ScoreHandle score, const char *text, SInt32 length) {
    if (!IsPartitionValide(score) || !text || length <= 0) return nullptr;
    length = std::min<SInt32>(length, kMaxTexteMesuresJouees);
    length = SInt32(strnlen(text, size_t(length)));
    SInt32 numbered = CompteNumerotees(score);
    Handle table = NewHandle(kMaxMesuresJouees * sizeof(UInt16));
    if (!table) return nullptr;
    SInt32 count = 0, bad = 0, at = 0;
    Boolean full = false;
    while (at < length) {
        Boolean ok = true;
        SInt32 first = LitNombre(text, length, &at, &ok), last = first;
        SauteBlancs(text, length, &at);
        if (at < length && text[at] == '-') {
            at++;
            last = LitNombre(text, length, &at, &ok);
            SauteBlancs(text, length, &at);
        }
        if (at < length && text[at] != ',') ok = false;
        while (at < length && text[at] != ',') at++;
        at++;
        if (!ok || first < 1 || last < first || last > numbered) {
            bad++;
            continue;
        }
        for (SInt32 n = first; n <= last; n++) {
            if (count >= kMaxMesuresJouees) {
                full = true;
                break;
            }
            reinterpret_cast<UInt16 *>(*table)[count++] = UInt16(n);
        }
    }
    if (bad || full)
        PlugTrace("Played measures: %ld item(s) skipped%s", long(bad), full ? ", the table stops at 9999 measures" : "");
    return TermineTable(table, count);
}

Handle ConvertTabMesureLogiqueEnPhysique(ScoreHandle score, Handle logical) {
    if (!IsPartitionValide(score) || !logical) return nullptr;
    SInt32 measures = (*score)->measureCount;
    // first[n] is the first measure of displayed number n, first[numbered + 1] the end.
    SInt32 numbered = CompteNumerotees(score);
    SInt32 *first = reinterpret_cast<SInt32 *>(NewPtrClear(UInt32(numbered + 2) * sizeof(SInt32)));
    Handle table = first ? NewHandle(kMaxMesuresJouees * sizeof(UInt16)) : nullptr;
    if (!table) {
        if (first) DisposPtr(reinterpret_cast<Ptr>(first));
        return nullptr;
    }
    SInt32 number = 0;
    for (SInt32 m = 0; m < measures; m++)
        if (!(GetMesurePtr(score, m)->state & kMesureHorsNumerotation) && number < numbered) first[++number] = m;
    first[1] = 0;
    first[numbered + 1] = measures;
    SInt32 count = 0, entries = SInt32(GetHandleSize(logical) / sizeof(UInt16));
    for (SInt32 i = 0; i < entries && count < kMaxMesuresJouees; i++) {
        SInt32 n = reinterpret_cast<const UInt16 *>(*logical)[i];
        if (n < 1 || n > numbered) continue;
        for (SInt32 m = first[n]; m < first[n + 1] && count < kMaxMesuresJouees; m++)
            reinterpret_cast<UInt16 *>(*table)[count++] = UInt16(m);
    }
    DisposPtr(reinterpret_cast<Ptr>(first));
    return TermineTable(table, count);
}

OSErr FixeTabMesuresJouees(ScoreHandle score, Handle table) {
    if (!IsPartitionValide(score) || !table) return paramErr;
    SInt32 count = SInt32(GetHandleSize(table) / sizeof(UInt16));
    if (count > kMaxMesuresJouees) return paramErr;
    for (SInt32 i = 0; i < count; i++)
        if (reinterpret_cast<const UInt16 *>(*table)[i] >= (*score)->measureCount) return paramErr;
    Handle copy = nullptr;
    if (PtrToHand(*table, &copy, SInt32(count * sizeof(UInt16))) != noErr) return memFullErr;
    if ((*score)->playedMeasures) DisposHandle((*score)->playedMeasures);
    (*score)->playedMeasures = copy;
    (*score)->playedCount = count;
    return noErr;
}

SInt32 GetNbMesuresJouees(ScoreHandle score) {
    if (!IsPartitionValide(score)) return 0;
    return Table(score) ? (*score)->playedCount : (*score)->measureCount;
}

SInt32 CvtMesureJoueeEnMesure(ScoreHandle score, SInt32 played) {
    if (played < 0 || played >= GetNbMesuresJouees(score)) return -1;
    const UInt16 *table = Table(score);
    SInt32 measure = table ? table[played] : played;
    return measure < (*score)->measureCount ? measure : -1;
}

SInt32 DureeTotaleMusique(ScoreHandle score) { return CvtMesureJoueeEnTempsJoue(score, GetNbMesuresJouees(score)); }

SInt32 CvtMesureJoueeEnTempsJoue(ScoreHandle score, SInt32 played) {
    SInt64 time = 0;
    SInt32 count = std::min(played, GetNbMesuresJouees(score));
    for (SInt32 i = 0; i < count && time < kTempsMax; i++) time += DureeMesureJouee(score, i);
    return SInt32(std::min<SInt64>(time, kTempsMax));
}

SInt32 CvtTempsJoueEnMesureJouee(ScoreHandle score, SInt32 time, SInt32 *remainder) {
    if (remainder) *remainder = 0;
    if (time < 0) return -1;
    SInt32 count = GetNbMesuresJouees(score);
    SInt64 start = 0;
    for (SInt32 i = 0; i < count; i++) {
        SInt32 length = DureeMesureJouee(score, i);
        if (time < start + length) {
            if (remainder) *remainder = SInt32(time - start);
            return i;
        }
        start += length;
    }
    return -1;
}

SInt32 CvtTempsJoueEnTempsEcrit(ScoreHandle score, SInt32 played) {
    if (!IsPartitionValide(score) || played <= 0) return 0;
    SInt32 remainder = 0;
    SInt32 measure = CvtMesureJoueeEnMesure(score, CvtTempsJoueEnMesureJouee(score, played, &remainder));
    return measure < 0 ? CvtMesureEnTemps(score, (*score)->measureCount) : CvtMesureEnTemps(score, measure) + remainder;
}

namespace {

OSErr PrepareStructure(ScoreHandle score, Structure *s) {
    std::memset(s, 0, sizeof *s);
    SInt32 n = (*score)->measureCount, r = (*score)->ruptures ? (*score)->ruptureCount : 0;
    s->count = n;
    s->measures = reinterpret_cast<MesureDeroulee *>(NewPtrClear(UInt32(n + 1) * sizeof(MesureDeroulee)));
    s->sections = reinterpret_cast<SectionDeroulee *>(NewPtrClear(UInt32(n + 1) * sizeof(SectionDeroulee)));
    s->stack = reinterpret_cast<SInt32 *>(NewPtrClear(UInt32(n + 1) * sizeof(SInt32)));
    s->order = reinterpret_cast<SInt32 *>(NewPtrClear(UInt32(r + 1) * sizeof(SInt32)));
    s->spans = reinterpret_cast<SpanDeroulee *>(NewPtrClear(UInt32(r + 1) * sizeof(SpanDeroulee)));
    s->taken = reinterpret_cast<UInt8 *>(NewPtrClear(UInt32(r + 1)));
    OSErr err = s->measures && s->sections && s->stack && s->order && s->spans && s->taken ? LitRuptures(score, s)
                                                                                         : OSErr(memFullErr);
    if (err != noErr) {
        LibereStructure(s);
        return err;
    }
    TrouveSections(score, s);
    return noErr;
}

void LibereStructure(Structure *s) {
    void *blocks[] = {s->measures, s->order, s->spans, s->sections, s->stack, s->taken};
    for (void *block : blocks)
        if (block) DisposPtr(static_cast<Ptr>(block));
    std::memset(s, 0, sizeof *s);
}

// The ruptures by measure (a counting sort that keeps their order inside a measure), then each
// measure's repeat end and ending span.
OSErr LitRuptures(ScoreHandle score, Structure *s) {
    SInt32 n = s->count, r = (*score)->ruptures ? (*score)->ruptureCount : 0;
    SInt32 *measureOf = reinterpret_cast<SInt32 *>(NewPtr(UInt32(r + 1) * sizeof(SInt32)));
    SInt32 *fill = reinterpret_cast<SInt32 *>(NewPtr(UInt32(n + 1) * sizeof(SInt32)));
    if (!measureOf || !fill) {
        if (measureOf) DisposPtr(reinterpret_cast<Ptr>(measureOf));
        if (fill) DisposPtr(reinterpret_cast<Ptr>(fill));
        return memFullErr;
    }
    MesureDeroulee *measures = s->measures;
    for (SInt32 i = 0; i < r; i++) {
        measureOf[i] = CvtRuptureEnMesure(score, Rupture(score, i));
        if (measureOf[i] >= 0 && measureOf[i] < n) measures[measureOf[i] + 1].firstRupture++;
    }
    for (SInt32 m = 0; m < n; m++) measures[m + 1].firstRupture += measures[m].firstRupture;
    for (SInt32 m = 0; m <= n; m++) fill[m] = measures[m].firstRupture;
    for (SInt32 i = 0; i < r; i++)
        if (measureOf[i] >= 0 && measureOf[i] < n) s->order[fill[measureOf[i]]++] = i;
    DisposPtr(reinterpret_cast<Ptr>(measureOf));
    DisposPtr(reinterpret_cast<Ptr>(fill));
    SInt32 open = -1;
    for (SInt32 m = 0; m < n; m++) {
        MesureDeroulee &measure = measures[m];
        measure.endRupture = measure.section = measure.firstSection = -1;
        Boolean closes = false;
        for (SInt32 k = measure.firstRupture; k < measures[m + 1].firstRupture; k++) {
            const RuptureRecord &rupture = *Rupture(score, s->order[k]);
            if (OuvreFin(rupture)) {
                UInt16 mask = MasqueFins(rupture);
                open = mask ? s->spanCount++ : -1;
                if (open >= 0) s->spans[open] = {mask, -1};
            }
            if (rupture.action == kActionFinReprise) measure.endRupture = s->order[k];
            if (rupture.kind == kRuptureFinFin) closes = true;
        }
        measure.span = open;
        if (closes || measure.endRupture >= 0) open = -1;
    }
    return noErr;
}

// Sections in written order: a stack of open repeat starts; the repeat ends of one group of
// endings share the section of the first of them. Then how often each plays, and the sections
// that start at each measure.
void TrouveSections(ScoreHandle score, Structure *s) {
    MesureDeroulee *measures = s->measures;
    SInt32 depth = 0, previousEnd = -1, previousSection = -1;
    for (SInt32 m = 0; m < s->count; m++) {
        MesureDeroulee &measure = measures[m];
        for (SInt32 k = measure.firstRupture; k < measures[m + 1].firstRupture; k++)
            if (Rupture(score, s->order[k])->action == kActionDebutReprise && (depth == 0 || s->stack[depth - 1] != m))
                s->stack[depth++] = m;
        SInt32 span = measure.span;
        // A span opening right after a repeat end belongs to that end's section.
        if (span >= 0 && (m == 0 || measures[m - 1].span != span) && s->spans[span].owner < 0) {
            if (m > 0 && measures[m - 1].span >= 0 && measures[m - 1].span != span)
                s->spans[span].owner = s->spans[measures[m - 1].span].owner;
            else if (m > 0 && measures[m - 1].endRupture >= 0)
                s->spans[span].owner = measures[m - 1].section;
        }
        if (measure.endRupture < 0) continue;
        Boolean grouped = span >= 0 && previousEnd >= 0 && measures[previousEnd].span >= 0 && previousSection >= 0;
        for (SInt32 k = previousEnd + 1; grouped && k <= m; k++) grouped = measures[k].span >= 0;
        SInt32 section = grouped ? previousSection : s->sectionCount++;
        SectionDeroulee &owner = s->sections[section];
        if (!grouped) owner.start = depth > 0 ? s->stack[--depth] : previousEnd + 1;
        const RuptureRecord &end = *Rupture(score, measure.endRupture);
        measure.section = section;
        owner.lastEnd = m;
        owner.endPasses = std::max<SInt32>(std::max<SInt32>(owner.endPasses, 2), end.passCount);
        if (span >= 0) s->spans[span].owner = section;
        previousEnd = m;
        previousSection = section;
    }
    // The passes of a section: also as many as its highest ending number.
    for (SInt32 sec = 0; sec < s->sectionCount; sec++) s->sections[sec].passes = s->sections[sec].endPasses;
    for (SInt32 span = 0; span < s->spanCount; span++) {
        SInt32 owner = s->spans[span].owner;
        if (owner < 0) continue;
        SInt32 highest = 0;
        for (SInt32 bit = 0; bit < kRuptureFins; bit++)
            if (s->spans[span].mask & (1u << bit)) highest = bit + 1;
        s->sections[owner].passes = std::max(s->sections[owner].passes, highest);
    }
    for (SInt32 sec = s->sectionCount - 1; sec >= 0; sec--) {
        SectionDeroulee &section = s->sections[sec];
        section.nextSection = measures[section.start].firstSection;
        measures[section.start].firstSection = sec;
    }
}

// Walks the measures from the first, each section entered afresh unless the music comes from
// inside it, endings played on their passes, until the end, a fine or a bound.
SInt32 Deroule(ScoreHandle score, Structure *s, UInt16 *out) {
    SInt32 count = 0, pos = 0, previous = -1, steps = 0;
    Boolean afterJump = false, stop = false, jumped = true;
    while (pos >= 0 && pos < s->count && count < kMaxMesuresJouees && steps++ < kMaxPasDeroulement && !stop) {
        SInt32 m = pos;
        for (SInt32 sec = s->measures[m].firstSection; sec >= 0; sec = s->sections[sec].nextSection) {
            SectionDeroulee &section = s->sections[sec];
            if (jumped || previous < section.start || previous > section.lastEnd) section.pass = 1;
        }
        jumped = false;
        previous = m;
        SInt32 span = s->measures[m].span;
        if (span >= 0 && s->spans[span].owner >= 0) {
            const SectionDeroulee &owner = s->sections[s->spans[span].owner];
            SInt32 pass = afterJump ? owner.passes : std::max<SInt32>(1, owner.pass);
            if (pass > kRuptureFins || !(s->spans[span].mask & (1u << (pass - 1)))) {
                pos = m + 1;
                continue;
            }
        }
        out[count++] = UInt16(m);
        s->measures[m].visits++;
        pos = ActionFinDeMesure(score, s, m, &afterJump, &jumped, &stop);
    }
    return count;
}

// Where the music goes after measure m: fine and "to coda" (after a jump, or on their pass),
// then the repeat end, then a D.C. or D.S. not yet taken. jump: the music leaves by a jump.
SInt32 ActionFinDeMesure(ScoreHandle score, Structure *s, SInt32 m, Boolean *afterJump, Boolean *jump, Boolean *stop) {
    *jump = true;
    for (SInt32 k = s->measures[m].firstRupture; k < s->measures[m + 1].firstRupture; k++) {
        const RuptureRecord &r = *Rupture(score, s->order[k]);
        Boolean onItsPass = r.repetitionMode == kRepetitionSeulementPassage;
        if (onItsPass && s->measures[m].visits != r.passCount) continue;
        if (!*afterJump && !onItsPass) continue;
        if (r.action == kActionFine) {
            *stop = true;
            return m + 1;
        }
        if (r.action == kActionVersCoda) {
            SInt32 coda = MesureCible(score, s, kActionCoda, r.parameter);
            if (coda >= 0) return coda;
        }
    }
    *jump = false;
    SInt32 section = s->measures[m].section;
    if (!*afterJump && section >= 0 && s->sections[section].pass < s->sections[section].passes) {
        s->sections[section].pass++;
        return s->sections[section].start;
    }
    for (SInt32 k = s->measures[m].firstRupture; k < s->measures[m + 1].firstRupture; k++) {
        SInt32 index = s->order[k];
        const RuptureRecord &r = *Rupture(score, index);
        if ((r.action != kActionDaCapo && r.action != kActionDalSegno) || s->taken[index]) continue;
        if (r.repetitionMode == kRepetitionSeulementPassage && s->measures[m].visits != r.passCount) continue;
        s->taken[index] = 1;
        SInt32 target = r.action == kActionDaCapo ? 0 : MesureCible(score, s, kActionSegno, r.parameter);
        if (target < 0) continue;
        *afterJump = true;
        *jump = true;
        return target;
    }
    return m + 1;
}

// The first measure holding a rupture of that action and parameter; else of that action; else -1.
SInt32 MesureCible(ScoreHandle score, const Structure *s, UInt8 action, SInt16 parameter) {
    SInt32 any = -1;
    for (SInt32 m = 0; m < s->count; m++) {
        for (SInt32 k = s->measures[m].firstRupture; k < s->measures[m + 1].firstRupture; k++) {
            const RuptureRecord &r = *Rupture(score, s->order[k]);
            if (r.action != action) continue;
            if (r.parameter == parameter) return m;
            if (any < 0) any = m;
        }
    }
    return any;
}

UInt16 MasqueFins(const RuptureRecord &rupture) {
    UInt16 mask = 0;
    for (SInt32 i = 0; i < kRuptureFins; i++)
        if (rupture.endings[i]) mask = UInt16(mask | (1u << i));
    return mask;
}

Boolean OuvreFin(const RuptureRecord &rupture) {
    return rupture.kind == kRuptureDebutFin || (rupture.kind == kRuptureDebutEpaisse && MasqueFins(rupture));
}

const RuptureRecord *Rupture(ScoreHandle score, SInt32 index) {
    return reinterpret_cast<const RuptureRecord *>(*(*score)->ruptures) + index;
}

// A decimal number after blanks; ok cleared when there is none or it passes 999999.
SInt32 LitNombre(const char *text, SInt32 length, SInt32 *at, Boolean *ok) {
    SauteBlancs(text, length, at);
    SInt32 value = 0, digits = 0;
    while (*at < length && text[*at] >= '0' && text[*at] <= '9' && digits < 7) {
        value = value * 10 + (text[(*at)++] - '0');
        digits++;
    }
    if (digits == 0 || digits == 7) *ok = false;
    return value;
}

void SauteBlancs(const char *text, SInt32 length, SInt32 *at) {
    while (*at < length && (text[*at] == ' ' || text[*at] == '\t' || text[*at] == '\r' || text[*at] == '\n')) (*at)++;
}

// The highest displayed number: the measures counted in the numbering (at least 1 when the
// score has measures, leading uncounted ones going with number 1).
SInt32 CompteNumerotees(ScoreHandle score) {
    SInt32 counted = 0;
    for (SInt32 m = 0; m < (*score)->measureCount; m++)
        if (!(GetMesurePtr(score, m)->state & kMesureHorsNumerotation)) counted++;
    return counted == 0 && (*score)->measureCount > 0 ? 1 : counted;
}

const UInt16 *Table(ScoreHandle score) {
    if (!IsPartitionValide(score) || !(*score)->playedMeasures || (*score)->playedCount <= 0) return nullptr;
    if (GetHandleSize((*score)->playedMeasures) < UInt32((*score)->playedCount) * sizeof(UInt16)) return nullptr;
    return reinterpret_cast<const UInt16 *>(*(*score)->playedMeasures);
}

SInt32 DureeMesureJouee(ScoreHandle score, SInt32 played) {
    SInt32 length = CvtMesureEnDureeMesure(score, CvtMesureJoueeEnMesure(score, played));
    return length > 0 ? length : 0;
}

// The table cut to its count; disposed and null when it holds nothing.
Handle TermineTable(Handle table, SInt32 count) {
    if (count == 0) {
        DisposHandle(table);
        return nullptr;
    }
    SetHandleSize(table, UInt32(count) * sizeof(UInt16));
    return table;
}

}  // namespace
