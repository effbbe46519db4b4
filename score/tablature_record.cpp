// The tablature record of a tablature staff.
#include "score/tablature_record.h"

#include <cstring>

#include "platform/core/memory.h"

namespace {

// Open strings of a guitar from the highest: E4 B3 G3 D3 A2 E2.
const UInt16 kAccordGuitare[] = {64, 59, 55, 50, 45, 40};
const UInt8 kCasesGuitare = 21;
const SInt16 kTailleChiffres = 10;

}  // namespace

OSErr InitPorteeTablature(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return paramErr;
    if ((*staff)->tablature) return noErr;
    Handle record = NewHandleClear(sizeof(TablatureRecord));
    if (!record) return memFullErr;
    TablatureRecord *tab = reinterpret_cast<TablatureRecord *>(*record);
    tab->kind = kTablatureGuitare;
    tab->stringCount = SInt16(sizeof kAccordGuitare / sizeof kAccordGuitare[0]);
    tab->fretTextSize = kTailleChiffres;
    for (SInt32 k = 0; k < kMaxCordesTablature; k++)
        tab->strings[k] = TabStringRecord{k < tab->stringCount ? kAccordGuitare[k] : UInt16(kCordeSansHauteur),
                                          kCasesGuitare, 0};
    (*staff)->tablature = record;
    return noErr;
}

TablatureRecord *GetTablaturePtr(StaffHandle staff) {
    if (!IsPorteeValide(staff) || !(*staff)->tablature ||
        GetHandleSize((*staff)->tablature) < sizeof(TablatureRecord))
        return nullptr;
    return reinterpret_cast<TablatureRecord *>(*(*staff)->tablature);
}
