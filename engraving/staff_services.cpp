// Staff heights, shown lines, the chord-symbol line and the tablature base line.
#include "engraving/staff_services.h"

#include <algorithm>
#include <cmath>

#include "engraving/staff_type_rows.h"

void CheckHauteurPortee(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return;
    SInt16 height = GetTypePorteeGravure(staff)->height(staff);
    (*staff)->height = SInt16(std::max<SInt32>(height, HauteurLignesPortee(staff)));
}

OSErr SetHauteurPortee(StaffHandle staff, SInt16 height) {
    if (!IsPorteeValide(staff)) return paramErr;
    (*staff)->height = SInt16(std::max<SInt32>(height, HauteurLignesPortee(staff)));
    return noErr;
}

OSErr SetAfficheLignePortee(StaffHandle staff, SInt16 line, SInt16 show) {
    if (!IsPorteeValide(staff) || line < 0 || line >= kMaxLignesPortee) return paramErr;
    UInt16 bit = UInt16(1u << line);
    if (show) (*staff)->shownLines |= bit;
    else (*staff)->shownLines &= UInt16(~bit);
    return noErr;
}

OSErr SetDefaultLignesAccordPortee(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return paramErr;
    (*staff)->textLineEnabled[1] = 1;
    CheckHauteurPortee(staff);
    return noErr;
}

OSErr SetLigneBaseTablature(StaffHandle staff, SInt16 baseLine) {
    if (!IsPorteeValide(staff) || (*staff)->type != kPorteeTablature) return paramErr;
    (*staff)->verticalReference = baseLine;
    return noErr;
}
