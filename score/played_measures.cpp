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

// What the ruptures say about each measure, and the repeat sections found in written order.
struct Structure {
    SInt32 count;              // measures
    SInt32 *endRupture;        // per measure: its repeat end's rupture index, -1
    SInt32 *section;           // per measure: the section of its repeat end, -1
    SInt32 *span;              // per measure: its ending span, -1
    SInt32 *firstRupture;      // count + 1: the ruptures of measure m are order[first[m] .. first[m+1])
    SInt32 *order;             // rupture indices by measure
    UInt16 *spanMask;          // per span (at most one a rupture): bit p - 1 set when pass p plays it
    SInt32 *spanOwner;         // per span: its section, -1
    SInt32 spanCount;
    SInt32 *start, *lastEnd, *passes, *pass;  // per section
    SInt32 *firstSection, *nextSection;       // the sections starting at a measure, linked
    SInt32 sectionCount;
    SInt32 *visits;            // per measure, during the walk
    UInt8 *taken;              // per rupture: a D.C. or D.S. already taken
};

OSErr PrepareStructure(ScoreHandle score, Structure *s);
void LibereStructure(Structure *s);
void TrouveFins(ScoreHandle score, Structure *s);
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

namespace {

OSErr PrepareStructure(ScoreHandle score, Structure *s) {
    std::memset(s, 0, sizeof *s);
    SInt32 n = (*score)->measureCount, r = (*score)->ruptures ? (*score)->ruptureCount : 0;
    s->count = n;
    UInt32 perMeasure = UInt32(n + 2) * sizeof(SInt32);
    SInt32 **arrays[] = {&s->endRupture, &s->section, &s->span,   &s->firstRupture, &s->start,      &s->lastEnd,
                         &s->passes,     &s->pass,    &s->visits, &s->firstSection, &s->nextSection};
    Boolean ok = true;
    for (SInt32 **array : arrays) ok = ok && (*array = reinterpret_cast<SInt32 *>(NewPtrClear(perMeasure)));
    // Every ending span opens at a rupture: several may open in one measure.
    s->order = reinterpret_cast<SInt32 *>(NewPtrClear(UInt32(r + 1) * sizeof(SInt32)));
    s->spanOwner = reinterpret_cast<SInt32 *>(NewPtrClear(UInt32(r + 1) * sizeof(SInt32)));
    s->spanMask = reinterpret_cast<UInt16 *>(NewPtrClear(UInt32(r + 1) * sizeof(UInt16)));
    s->taken = reinterpret_cast<UInt8 *>(NewPtrClear(UInt32(r + 1)));
    SInt32 *measureOf = reinterpret_cast<SInt32 *>(NewPtr(UInt32(r + 1) * sizeof(SInt32)));
    if (!ok || !s->order || !s->spanOwner || !s->spanMask || !s->taken || !measureOf) {
        if (measureOf) DisposPtr(reinterpret_cast<Ptr>(measureOf));
        LibereStructure(s);
        return memFullErr;
    }
    // The ruptures by measure: a counting sort that keeps their order inside a measure.
    for (SInt32 i = 0; i < r; i++) {
        measureOf[i] = CvtRuptureEnMesure(score, Rupture(score, i));
        if (measureOf[i] >= 0) s->firstRupture[measureOf[i] + 1]++;
    }
    for (SInt32 m = 0; m < n; m++) s->firstRupture[m + 1] += s->firstRupture[m];
    SInt32 *fill = s->visits;
    std::memcpy(fill, s->firstRupture, UInt32(n) * sizeof(SInt32));
    for (SInt32 i = 0; i < r; i++)
        if (measureOf[i] >= 0) s->order[fill[measureOf[i]]++] = i;
    std::memset(s->visits, 0, perMeasure);
    DisposPtr(reinterpret_cast<Ptr>(measureOf));
    TrouveFins(score, s);
    TrouveSections(score, s);
    return noErr;
}

void LibereStructure(Structure *s) {
    void *blocks[] = {s->endRupture, s->section, s->span,   s->firstRupture, s->order,        s->spanMask,
                      s->spanOwner,  s->start,   s->lastEnd, s->passes,      s->pass,         s->visits,
                      s->taken,      s->firstSection, s->nextSection};
    for (void *block : blocks)
        if (block) DisposPtr(static_cast<Ptr>(block));
    std::memset(s, 0, sizeof *s);
}

// Repeat ends and ending spans, measure by measure.
void TrouveFins(ScoreHandle score, Structure *s) {
    SInt32 open = -1;
    for (SInt32 m = 0; m < s->count; m++) {
        s->endRupture[m] = -1;
        Boolean closes = false;
        for (SInt32 k = s->firstRupture[m]; k < s->firstRupture[m + 1]; k++) {
            const RuptureRecord &rupture = *Rupture(score, s->order[k]);
            if (OuvreFin(rupture)) {
                UInt16 mask = MasqueFins(rupture);
                open = mask ? s->spanCount++ : -1;
                if (open >= 0) {
                    s->spanMask[open] = mask;
                    s->spanOwner[open] = -1;
                }
            }
            if (rupture.action == kActionFinReprise) s->endRupture[m] = s->order[k];
            if (rupture.kind == kRuptureFinFin) closes = true;
        }
        s->span[m] = open;
        if (closes || s->endRupture[m] >= 0) open = -1;
    }
}

// Sections in written order: a stack of open repeat starts; the repeat ends of one group of
// endings share the section of the first of them.
void TrouveSections(ScoreHandle score, Structure *s) {
    SInt32 *stack = s->passes;  // the starts still open; passes is filled only afterwards
    SInt32 depth = 0, previousEnd = -1, previousSection = -1;
    for (SInt32 m = 0; m < s->count; m++) {
        s->section[m] = -1;
        for (SInt32 k = s->firstRupture[m]; k < s->firstRupture[m + 1]; k++)
            if (Rupture(score, s->order[k])->action == kActionDebutReprise && (depth == 0 || stack[depth - 1] != m))
                stack[depth++] = m;
        SInt32 span = s->span[m];
        // A span opening right after a repeat end belongs to that end's section.
        if (span >= 0 && (m == 0 || s->span[m - 1] != span) && s->spanOwner[span] < 0) {
            if (m > 0 && s->span[m - 1] >= 0 && s->span[m - 1] != span) s->spanOwner[span] = s->spanOwner[s->span[m - 1]];
            else if (m > 0 && s->endRupture[m - 1] >= 0) s->spanOwner[span] = s->section[m - 1];
        }
        if (s->endRupture[m] < 0) continue;
        SInt32 section = -1;
        Boolean grouped = span >= 0 && previousEnd >= 0 && s->span[previousEnd] >= 0 && previousSection >= 0;
        for (SInt32 k = previousEnd + 1; grouped && k <= m; k++) grouped = s->span[k] >= 0;
        if (grouped) section = previousSection;
        else {
            section = s->sectionCount++;
            s->start[section] = depth > 0 ? stack[--depth] : previousEnd + 1;
        }
        const RuptureRecord &end = *Rupture(score, s->endRupture[m]);
        s->section[m] = section;
        s->lastEnd[section] = m;
        s->pass[section] = std::max<SInt32>(std::max<SInt32>(s->pass[section], 2), end.passCount);
        if (span >= 0) s->spanOwner[span] = section;
        previousEnd = m;
        previousSection = section;
    }
    // The passes of a section: also as many as its highest ending number.
    for (SInt32 sec = 0; sec < s->sectionCount; sec++) s->passes[sec] = s->pass[sec];
    for (SInt32 span = 0; span < s->spanCount; span++) {
        SInt32 owner = s->spanOwner[span];
        if (owner < 0) continue;
        SInt32 highest = 0;
        for (SInt32 bit = 0; bit < kRuptureFins; bit++)
            if (s->spanMask[span] & (1u << bit)) highest = bit + 1;
        s->passes[owner] = std::max(s->passes[owner], highest);
    }
    for (SInt32 m = 0; m < s->count; m++) s->firstSection[m] = -1;
    for (SInt32 sec = s->sectionCount - 1; sec >= 0; sec--) {
        s->pass[sec] = 0;
        s->nextSection[sec] = s->firstSection[s->start[sec]];
        s->firstSection[s->start[sec]] = sec;
    }
}

SInt32 Deroule(ScoreHandle score, Structure *s, UInt16 *out) {
    SInt32 count = 0, pos = 0, previous = -1, steps = 0;
    Boolean afterJump = false, stop = false, jumped = true;
    while (pos >= 0 && pos < s->count && count < kMaxMesuresJouees && steps++ < kMaxPasDeroulement && !stop) {
        SInt32 m = pos;
        // A section is entered afresh unless the music comes from inside it.
        for (SInt32 sec = s->firstSection[m]; sec >= 0; sec = s->nextSection[sec])
            if (jumped || previous < s->start[sec] || previous > s->lastEnd[sec]) s->pass[sec] = 1;
        jumped = false;
        previous = m;
        SInt32 span = s->span[m];
        if (span >= 0 && s->spanOwner[span] >= 0) {
            SInt32 owner = s->spanOwner[span];
            SInt32 pass = afterJump ? s->passes[owner] : std::max<SInt32>(1, s->pass[owner]);
            if (pass > kRuptureFins || !(s->spanMask[span] & (1u << (pass - 1)))) {
                pos = m + 1;
                continue;
            }
        }
        out[count++] = UInt16(m);
        s->visits[m]++;
        pos = ActionFinDeMesure(score, s, m, &afterJump, &jumped, &stop);
    }
    return count;
}

// Where the music goes after measure m: fine and "to coda" (after a jump, or on their pass),
// then the repeat end, then a D.C. or D.S. not yet taken. jump: the music leaves by a jump.
SInt32 ActionFinDeMesure(ScoreHandle score, Structure *s, SInt32 m, Boolean *afterJump, Boolean *jump, Boolean *stop) {
    *jump = true;
    for (SInt32 k = s->firstRupture[m]; k < s->firstRupture[m + 1]; k++) {
        const RuptureRecord &r = *Rupture(score, s->order[k]);
        Boolean onItsPass = r.repetitionMode == kRepetitionSeulementPassage;
        if (onItsPass && s->visits[m] != r.passCount) continue;
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
    SInt32 section = s->section[m];
    if (!*afterJump && section >= 0 && s->pass[section] < s->passes[section]) {
        s->pass[section]++;
        return s->start[section];
    }
    for (SInt32 k = s->firstRupture[m]; k < s->firstRupture[m + 1]; k++) {
        SInt32 index = s->order[k];
        const RuptureRecord &r = *Rupture(score, index);
        if ((r.action != kActionDaCapo && r.action != kActionDalSegno) || s->taken[index]) continue;
        if (r.repetitionMode == kRepetitionSeulementPassage && s->visits[m] != r.passCount) continue;
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
        for (SInt32 k = s->firstRupture[m]; k < s->firstRupture[m + 1]; k++) {
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
