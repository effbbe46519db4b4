// Staff-height events, the printable flag and the ribbon sizes of staves.
#include "layout/staff_heights.h"

#include <algorithm>
#include <cmath>

#include "layout/units.h"
#include "toolbox/toolbox_services.h"

namespace {

const OSType kTagEvenements = FourCC("Hevt");
const SInt32 kIdNombre = -1;  // the item holding the count; events are items 0, 1 ...
const float kPointsParEspace = 6.0f;
const float kPointsParEspaceGregorien = 8.0f;
const float kDiviseurEspacement = 5184.0f;  // 72 x 72

Boolean IsKindConnu(SInt16 kind);
SInt32 LitNombre(Collection collection);

}  // namespace

OSErr AddEventStaffHeighRange(StaffHandle staff, SInt16 kind, SInt32 first, SInt32 last, SInt32 value) {
    if (!IsPorteeValide(staff) || !IsKindConnu(kind) || first < 0 || last < 0) return paramErr;
    if (first > last) std::swap(first, last);
    if (!(*staff)->collection) {
        Collection created = NewCollection();
        if (!created) return memFullErr;
        (*staff)->collection = created;
    }
    Collection collection = (*staff)->collection;
    SInt32 count = LitNombre(collection);
    if (count >= kMaxEvenementsHauteur) return paramErr;
    StaffHeightEvent event = {kind, 0, first, last, value};
    OSErr err = AddCollectionItem(collection, kTagEvenements, count, sizeof event, &event);
    if (err != noErr) return err;
    count++;
    return AddCollectionItem(collection, kTagEvenements, kIdNombre, sizeof count, &count);
}

SInt32 NbEvenementsHauteur(StaffHandle staff) {
    return IsPorteeValide(staff) ? LitNombre((*staff)->collection) : 0;
}

SInt32 GetEvenementsHauteur(StaffHandle staff, StaffHeightEvent *out, SInt32 capacity) {
    SInt32 count = std::min(NbEvenementsHauteur(staff), capacity), copied = 0;
    for (SInt32 i = 0; i < count && out; i++) {
        SInt32 size = sizeof(StaffHeightEvent);
        StaffHeightEvent event;
        if (GetCollectionItem((*staff)->collection, kTagEvenements, i, &size, &event) != noErr ||
            size != SInt32(sizeof event))
            continue;
        out[copied++] = event;
    }
    return copied;
}

void SupprimeEvenementsHauteur(StaffHandle staff) {
    if (!IsPorteeValide(staff) || !(*staff)->collection) return;
    SInt32 zero = 0;
    AddCollectionItem((*staff)->collection, kTagEvenements, kIdNombre, sizeof zero, &zero);
}

void FixePorteeImprimable(const PageSetupRecord *, StaffHandle staff, Boolean printable) {
    if (IsPorteeValide(staff)) (*staff)->printable = printable ? 1 : 0;
}

void InitTailleRubanPortee(ScoreHandle score, StaffHandle staff) {
    if (!IsPartitionValide(score) || !IsPorteeValide(staff)) return;
    SInt16 resolution = (*score)->resolution > 0 ? (*score)->resolution : SInt16(kDpiEcran);
    float perSpace = (*staff)->type == kPorteeGregorienne ? kPointsParEspaceGregorien : kPointsParEspace;
    StaffRecord *p = *staff;
    p->spacing = float(p->size) * perSpace * resolution / kDiviseurEspacement;
    auto word = [](SInt32 v) { return SInt16(std::max<SInt32>(-32768, std::min<SInt32>(32767, v))); };
    p->bandZoom = word(Zoom(p->band));
    p->bandRibbon = word(ZoomRuban(score, p->band));
    p->topOffsetZoom = word(Zoom(p->topOffset));
    p->topOffsetRibbon = word(ZoomRuban(score, p->topOffset));
}

namespace {

Boolean IsKindConnu(SInt16 kind) {
    switch (kind) {
    case kEvtDecalageHaut:
    case kEvtDecalageHautZoom:
    case kEvtRetraitDroit:
    case kEvtRetraitGauche:
    case kEvtBande:
    case kEvtDescentePremierSysteme:
    case kEvtDecalageHautPositions:
    case kEvtDecalageTablature: return kTrue;
    default: return kFalse;
    }
}

SInt32 LitNombre(Collection collection) {
    SInt32 count = 0, size = sizeof count;
    if (!collection || GetCollectionItem(collection, kTagEvenements, kIdNombre, &size, &count) != noErr ||
        size != SInt32(sizeof count))
        return 0;
    return std::max<SInt32>(0, std::min<SInt32>(count, kMaxEvenementsHauteur));
}

}  // namespace
