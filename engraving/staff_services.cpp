// Staff heights, shown lines, the chord-symbol line and the tablature base line.
#include "engraving/staff_services.h"

#include <algorithm>
#include <cmath>

#include "engraving/staff_type_rows.h"

namespace {

const float kInterligneDefaut = 6.0f;  // points between lines of a standard staff
const SInt16 kLignesMax = 16;          // lines a staff can show

float Interligne(StaffHandle staff);
SInt32 HauteurLignes(StaffHandle staff);

}  // namespace

void CheckHauteurPortee(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return;
    SInt16 height = GetTypePorteeGravure(staff)->height(staff);
    (*staff)->height = SInt16(std::max<SInt32>(height, HauteurLignes(staff)));
}

OSErr SetHauteurPortee(StaffHandle staff, SInt16 height) {
    if (!IsPorteeValide(staff)) return paramErr;
    (*staff)->height = SInt16(std::max<SInt32>(height, HauteurLignes(staff)));
    return noErr;
}

SInt16 HauteurPorteeStandard(StaffHandle staff) {
    if (!IsPorteeValide(staff)) return 0;
    float spacing = Interligne(staff);
    SInt32 textLines = (*staff)->verseLineCount + ((*staff)->textLineEnabled[1] ? 1 : 0);
    double height = HauteurLignes(staff) + spacing * (kMargePorteeEspaces + kEspacesParLigneTexte * textLines);
    return SInt16(std::min(32767.0, std::ceil(height)));
}

OSErr SetAfficheLignePortee(StaffHandle staff, SInt16 line, SInt16 show) {
    if (!IsPorteeValide(staff) || line < 0 || line >= kLignesMax) return paramErr;
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

namespace {

// The staff's spacing; a spacing that is not a positive number counts as the standard one.
float Interligne(StaffHandle staff) {
    float spacing = (*staff)->lineSpacing;
    return spacing > 0 && spacing < 1000 ? spacing : kInterligneDefaut;
}

// What the lines span, at least one spacing (a one-line staff still has a height).
SInt32 HauteurLignes(StaffHandle staff) {
    SInt32 lines = std::max<SInt32>(1, std::min<SInt32>((*staff)->lineCount, kLignesMax));
    return SInt32(std::ceil(std::max<float>(1, float(lines - 1)) * Interligne(staff)));
}

}  // namespace
