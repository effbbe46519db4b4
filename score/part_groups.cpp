// Part groups over staves, and merge groups.
#include "score/part_groups.h"

#include <cstring>

#include "platform/core/engine_utilities.h"
#include "platform/core/memory.h"

namespace {

const SInt16 kDeltaXSansGroupe = 2;

PartGroupRecord *Groupes(ScoreHandle score);
Handle CopieTexte(const char *utf8);
void LibereNomsGroupe(PartGroupRecord *group);
void RetireGroupe(ScoreHandle score, SInt32 index);

}  // namespace

SInt32 NewPartGroup(ScoreHandle score, SInt16 kind, SInt16 barlines, SInt16 first, SInt16 last, SInt16 x,
                    const char *longName, const char *shortName) {
    if (!IsPartitionValide(score)) return -1;
    SInt16 staves = (*score)->staffCount;
    if (first < 0 || last < first || last >= staves || (*score)->partGroupCount >= kMaxPartGroups) return -1;
    PartGroupRecord group;
    std::memset(&group, 0, sizeof group);
    group.kind = kind;
    group.barlines = barlines;
    group.firstStaff = first;
    group.lastStaff = last;
    group.x = x;
    group.longName = CopieTexte(longName);
    group.shortName = CopieTexte(shortName);
    if ((longName && longName[0] && !group.longName) || (shortName && shortName[0] && !group.shortName)) {
        LibereNomsGroupe(&group);
        return -1;
    }
    Handle list = (*score)->partGroups;
    SInt16 count = (*score)->partGroupCount;
    OSErr err = list ? PtrAndHand(&group, list, sizeof group) : PtrToHand(&group, &list, sizeof group);
    if (err != noErr) {
        LibereNomsGroupe(&group);
        return -1;
    }
    (*score)->partGroups = list;
    (*score)->partGroupCount = SInt16(count + 1);
    return count;
}

Boolean GetPartGroup(ScoreHandle score, SInt32 index, PartGroupRecord *group) {
    if (!group || !IsPartitionValide(score) || index < 0 || index >= (*score)->partGroupCount) return kFalse;
    *group = Groupes(score)[index];
    return kTrue;
}

OSErr FixeDernierePorteePartGroup(ScoreHandle score, SInt32 index, SInt16 last) {
    if (!IsPartitionValide(score) || index < 0 || index >= (*score)->partGroupCount) return paramErr;
    PartGroupRecord *group = &Groupes(score)[index];
    if (last >= (*score)->staffCount) last = SInt16((*score)->staffCount - 1);
    group->lastStaff = last < group->firstStaff ? group->firstStaff : last;
    return noErr;
}

SInt16 CalculeDeltaXDefaultPartGroup(ScoreHandle score, void *, SInt16 first, SInt16 last) {
    if (!IsPartitionValide(score)) return kDeltaXSansGroupe;
    SInt16 x = kDeltaXSansGroupe;
    const PartGroupRecord *groups = Groupes(score);
    for (SInt16 i = 0; i < (*score)->partGroupCount; i++) {
        if (groups[i].firstStaff > last || groups[i].lastStaff < first) continue;
        if (groups[i].x + kPasPartGroup > x) x = SInt16(groups[i].x + kPasPartGroup);
    }
    return x;
}

Boolean IsPorteeInAccolade(StaffHandle staff, SInt16 *first, SInt16 *last) {
    if (!IsPorteeValide(staff)) return kFalse;
    ScoreHandle score = (*staff)->score;
    SInt16 index = (*staff)->index;
    const PartGroupRecord *groups = Groupes(score);
    for (SInt16 i = 0; i < (*score)->partGroupCount; i++) {
        if (groups[i].kind != kGroupeAccolade || index < groups[i].firstStaff || index > groups[i].lastStaff)
            continue;
        if (first) *first = groups[i].firstStaff;
        if (last) *last = groups[i].lastStaff;
        return kTrue;
    }
    return kFalse;
}

void SupprimeTousPartGroups(ScoreHandle score) {
    if (!IsPartitionValide(score)) return;
    while ((*score)->partGroupCount > 0) RetireGroupe(score, (*score)->partGroupCount - 1);
}

void RetireIndicePortee(ScoreHandle score, SInt16 index) {
    if (!IsPartitionValide(score)) return;
    for (SInt32 i = (*score)->partGroupCount - 1; i >= 0; i--) {
        PartGroupRecord *group = &Groupes(score)[i];
        if (group->firstStaff > index) group->firstStaff--;
        if (group->lastStaff >= index) group->lastStaff--;
        if (group->lastStaff < group->firstStaff) RetireGroupe(score, i);
    }
}

SInt16 CvtIndexPorteeEnIndexPorteeDebutFusion(ScoreHandle score, SInt16 index) {
    if (!IsPartitionValide(score) || index < 0 || index >= (*score)->staffCount) return -1;
    while (index > 0 && (*GetPortee(score, SInt16(index - 1)))->continuedByNext) index--;
    return index;
}

StaffHandle CvtPorteeEnPorteeDebutFusion(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return nullptr;
    ScoreHandle score = (*staff)->score;
    return GetPortee(score, CvtIndexPorteeEnIndexPorteeDebutFusion(score, (*staff)->index));
}

namespace {

PartGroupRecord *Groupes(ScoreHandle score) {
    return (*score)->partGroups ? reinterpret_cast<PartGroupRecord *>(*(*score)->partGroups) : nullptr;
}

Handle CopieTexte(const char *utf8) {
    if (!utf8 || !utf8[0]) return nullptr;
    Handle h = nullptr;
    return PtrToHand(utf8, &h, SInt32(strlen(utf8) + 1)) == noErr ? h : nullptr;
}

void LibereNomsGroupe(PartGroupRecord *group) {
    LibereHandle(&group->longName);
    LibereHandle(&group->shortName);
}

void RetireGroupe(ScoreHandle score, SInt32 index) {
    PartGroupRecord *groups = Groupes(score);
    LibereNomsGroupe(&groups[index]);
    SInt16 count = (*score)->partGroupCount;
    std::memmove(groups + index, groups + index + 1, size_t(count - index - 1) * sizeof(PartGroupRecord));
    (*score)->partGroupCount = SInt16(count - 1);
    SetHandleSize((*score)->partGroups, UInt32(count - 1) * sizeof(PartGroupRecord));
}

}  // namespace
