// The ruptures of a score: adding, finding, moving and normalising them.
#include "score/ruptures.h"

#include <algorithm>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/measures.h"
#include "score/musical_arithmetic.h"
#include "score/played_measures.h"

namespace {

// What each kind does and where it stands; index = kind. closes: AjouteRuptureEnMesure puts it
// at the end of its measure. barLine: a bar line that closes a measure, so that standing on
// the next measure's start (where the ABC importer writes it) it still closes the one before.
struct RuptureKindRow {
    UInt8 action;
    Boolean closes;
    Boolean barLine;
    const char *text;    // the text of a predefined rupture
};
const RuptureKindRow kKindRows[kRuptureDernierType + 1] = {
    {kActionAucune, false, false, ""},          // 0 no bar line
    {kActionAucune, false, false, ""},          // 1 heavy-light
    {kActionAucune, true, true, ""},            // 2 final
    {kActionDebutReprise, false, false, ""},    // 3 repeat start
    {kActionFinReprise, true, true, ""},        // 4 repeat end
    {kActionAucune, false, false, ""},          // 5 split measure
    {kActionAucune, false, false, ""},          // 6 double bar
    {kActionAucune, false, false, ""},          // 7 heavy
    {kActionAucune, false, false, ""},          // 8 dotted
    {kActionAucune, false, false, ""},          // 9 ending start
    {kActionAucune, true, true, ""},            // 10 ending end
    {kActionSegno, false, false, "$S"},         // 11 segno
    {kActionCoda, false, false, "$C"},          // 12 coda
    {kActionFine, true, false, "Fine"},         // 13 fine
    {kActionVersCoda, true, false, "To Coda"},  // 14 to coda
    {kActionDaCapo, true, false, "D.C."},       // 15 da capo
    {kActionDalSegno, true, false, "D.S."},     // 16 dal segno
};

Boolean IsTypeValide(SInt16 kind) { return kind >= 0 && kind <= kRuptureDernierType; }
RuptureRecord *Ruptures(ScoreHandle score) { return reinterpret_cast<RuptureRecord *>(*(*score)->ruptures); }
SInt32 FinPartition(ScoreHandle score);
Boolean AvantRupture(const RuptureRecord &a, const RuptureRecord &b);
void InitRupture(RuptureRecord *rupture, SInt16 kind, SInt32 time);
Boolean OuvreUneMesure(const RuptureRecord &rupture);
void Recale(ScoreHandle score, RuptureRecord *rupture);

}  // namespace

SInt32 AjouteRupture(ScoreHandle score, SInt16 kind, SInt32 time) {
    if (!IsPartitionValide(score) || !IsTypeValide(kind) || time < 0 || time > kTempsMax) return -1;
    SInt32 count = (*score)->ruptureCount;
    for (SInt32 i = 0; i < count; i++) {
        RuptureRecord *rupture = &Ruptures(score)[i];
        if (rupture->kind == kind && rupture->time == time) {
            InitRupture(rupture, kind, time);
            return i;
        }
    }
    if (count >= kMaxRuptures) return -1;
    RuptureRecord added;
    InitRupture(&added, kind, time);
    Handle table = (*score)->ruptures;
    UInt32 size = UInt32(count + 1) * sizeof(RuptureRecord);
    if (table) SetHandleSize(table, size);
    else table = NewHandle(size);
    if (!table || GetHandleSize(table) != size) return -1;
    (*score)->ruptures = table;
    RuptureRecord *ruptures = Ruptures(score);
    SInt32 at = SInt32(std::upper_bound(ruptures, ruptures + count, added, AvantRupture) - ruptures);
    std::memmove(ruptures + at + 1, ruptures + at, size_t(count - at) * sizeof(RuptureRecord));
    ruptures[at] = added;
    (*score)->ruptureCount = count + 1;
    return at;
}

SInt32 AjouteRuptureEnMesure(ScoreHandle score, SInt16 kind, SInt32 measure, SInt16 predefined) {
    if (!IsTypeValide(kind)) return -1;
    SInt32 start = CvtMesureEnTemps(score, measure), length = CvtMesureEnDureeMesure(score, measure);
    if (start < 0 || length < 1) return -1;
    SInt32 time = kKindRows[kind].closes ? start + std::max<SInt32>(0, length - kRuptureAvantFin) : start;
    SInt32 index = AjouteRupture(score, kind, time);
    if (index >= 0 && predefined) strcpy(Ruptures(score)[index].text, kKindRows[kind].text);
    return index;
}

RuptureRecord *GetRupturePtr(ScoreHandle score, SInt32 index) {
    if (!IsPartitionValide(score) || !(*score)->ruptures || index < 0 || index >= (*score)->ruptureCount) return nullptr;
    if (UInt32(index + 1) * sizeof(RuptureRecord) > GetHandleSize((*score)->ruptures)) return nullptr;
    return &Ruptures(score)[index];
}

SInt32 GetIndexTypeRupturePresent(ScoreHandle score, SInt16 kind, SInt32 measure) {
    if (!IsPartitionValide(score)) return -1;
    for (SInt32 i = 0; i < (*score)->ruptureCount; i++) {
        const RuptureRecord *rupture = GetRupturePtr(score, i);
        if (rupture && rupture->kind == kind && CvtRuptureEnMesure(score, rupture) == measure) return i;
    }
    return -1;
}

SInt32 CvtRuptureEnMesure(ScoreHandle score, const RuptureRecord *rupture) {
    if (!rupture || !IsPartitionValide(score)) return -1;
    Boolean barLine = IsTypeValide(rupture->kind) && kKindRows[rupture->kind].barLine;
    if (barLine && rupture->time > 0) {
        SInt32 before = CvtTempsEnMesure(score, rupture->time - 1);
        if (before >= 0 && CvtMesureEnTemps(score, before + 1) == rupture->time) return before;
    }
    return CvtTempsEnMesure(score, rupture->time);
}

OSErr ReporteRuptureFinMesureSurMesureSuivante(ScoreHandle score, SInt32 measure) {
    SInt32 end = CvtMesureEnTemps(score, measure + 1);
    SInt32 nextEnd = CvtMesureEnTemps(score, measure + 2);
    if (measure < 0 || end < 0 || nextEnd < 0) return paramErr;
    RuptureRecord *ruptures = Ruptures(score);
    for (SInt32 i = 0; i < (*score)->ruptureCount; i++)
        if (ruptures[i].time >= end - kRuptureAvantFin && ruptures[i].time < end)
            ruptures[i].time = nextEnd - (end - ruptures[i].time);
    std::stable_sort(ruptures, ruptures + (*score)->ruptureCount, AvantRupture);
    return noErr;
}

void RemetRupturesEnForme(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    SInt32 count = (*score)->ruptureCount, kept = 0;
    if (count > 0 && !(*score)->ruptures) count = 0;
    RuptureRecord *ruptures = count ? Ruptures(score) : nullptr;
    for (SInt32 i = 0; i < count; i++) {
        RuptureRecord rupture = ruptures[i];
        if (!IsTypeValide(rupture.kind) || rupture.time < 0) continue;
        if (rupture.action == kActionAucune) rupture.action = kKindRows[rupture.kind].action;
        rupture.text[kRuptureTexteTaille - 1] = 0;
        Recale(score, &rupture);
        ruptures[kept++] = rupture;
    }
    std::stable_sort(ruptures, ruptures + kept, AvantRupture);
    // Of a kind at one time the last added stays, as AjouteRupture would have kept it.
    SInt32 unique = 0;
    for (SInt32 i = 0; i < kept; i++) {
        if (unique > 0 && ruptures[unique - 1].kind == ruptures[i].kind && ruptures[unique - 1].time == ruptures[i].time)
            unique--;
        ruptures[unique++] = ruptures[i];
    }
    (*score)->ruptureCount = unique;
    if ((*score)->ruptures) SetHandleSize((*score)->ruptures, UInt32(unique) * sizeof(RuptureRecord));
    CalculeTabCvtMesure(score);
    SetTabEltMesureModifie(score, kTabEltMiseEnPage);
}

UInt8 ActionDeTypeRupture(SInt16 kind) { return IsTypeValide(kind) ? kKindRows[kind].action : UInt8(kActionAucune); }

namespace {

SInt32 FinPartition(ScoreHandle score) { return CvtMesureEnTemps(score, (*score)->measureCount); }

Boolean AvantRupture(const RuptureRecord &a, const RuptureRecord &b) {
    return a.time != b.time ? a.time < b.time : a.kind < b.kind;
}

void InitRupture(RuptureRecord *rupture, SInt16 kind, SInt32 time) {
    std::memset(rupture, 0, sizeof *rupture);
    rupture->kind = kind;
    rupture->time = time;
    rupture->action = kKindRows[kind].action;
    rupture->passCount = 1;
}

Boolean OuvreUneMesure(const RuptureRecord &rupture) {
    if (rupture.action == kActionDebutReprise || rupture.kind == kRuptureDebutFin) return true;
    if (rupture.kind != kRuptureDebutEpaisse) return false;
    for (UInt8 flag : rupture.endings)
        if (flag) return true;
    return false;
}

// Closing kinds written at a bar line's time (the next measure's start, or the score's end)
// go back into the measure they close; opening kinds written at a right bar line go forward
// to the start of the measure they open.
void Recale(ScoreHandle score, RuptureRecord *rupture) {
    SInt32 end = FinPartition(score);
    if (kKindRows[rupture->kind].barLine) {
        SInt32 measure = CvtRuptureEnMesure(score, rupture);
        if (measure < 0 && rupture->time >= end && end > 0) measure = (*score)->measureCount - 1;
        SInt32 next = CvtMesureEnTemps(score, measure + 1);
        if (measure >= 0 && rupture->time >= next - kRuptureAvantFin)
            rupture->time = std::max(CvtMesureEnTemps(score, measure), next - SInt32(kRuptureAvantFin));
        return;
    }
    if (!OuvreUneMesure(*rupture)) return;
    SInt32 measure = CvtTempsEnMesure(score, rupture->time);
    SInt32 next = CvtMesureEnTemps(score, measure + 1);
    if (measure >= 0 && next < end && rupture->time >= next - kRuptureAvantFin && rupture->time > CvtMesureEnTemps(score, measure))
        rupture->time = next;
}

}  // namespace
