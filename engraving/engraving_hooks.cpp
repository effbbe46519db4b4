// The engraver's hook record and its wrappers.
#include "engraving/engraving_hooks.h"

namespace {

// Process-wide: installed at start-up by the floors above, main thread only.
EngravingHooks gHooks;

// The default tie keeps clear of the staff's lines: its ends stand in the space beside the
// heads (half a space off a head on a line, five sixths off a head in a space) and it rises
// less than the rest of that space.
const SInt8 kDecalageLigne = 3;           // points
const SInt8 kDecalageInterligne = 5;
const SInt16 kCourbureLigne = 250;        // hundredths of a point
const SInt16 kCourbureInterligne = 360;
const SInt16 kTensionDefaut = 300;        // control points well inside: the tie rises in its middle

}  // namespace

void OrvaSetEngravingHooks(const EngravingHooks *hooks) { gHooks = hooks ? *hooks : EngravingHooks{}; }

void OrvaGetEngravingHooks(EngravingHooks *hooks) {
    if (hooks) *hooks = gHooks;
}

void HookAdjustTie(TieDataRecord *tie, Boolean over, Boolean stemDown, Boolean nextStemDown, Boolean chained,
                   SInt16 staffPosition) {
    if (!tie) return;
    if (gHooks.adjustTie) gHooks.adjustTie(tie, over, stemDown, nextStemDown, chained, staffPosition);
    else FormeLiaisonDefaut(tie, over, staffPosition % 2 == 0);
}

Boolean IsKeyDebordePortee() { return gHooks.isKeyDebordePortee ? gHooks.isKeyDebordePortee() : Boolean(kFalse); }

void FormeLiaisonDefaut(TieDataRecord *tie, Boolean over, Boolean onLine) {
    if (!tie) return;
    SInt8 offset = onLine ? kDecalageLigne : kDecalageInterligne;
    tie->mode = kCouleForme;
    tie->shape = over ? 5 : 4;
    tie->startY = over ? SInt8(-offset) : offset;
    tie->endY = tie->startY;
    tie->tension = kTensionDefaut;
    SInt16 curvature = onLine ? kCourbureLigne : kCourbureInterligne;
    tie->curvature = over ? SInt16(-curvature) : curvature;
    tie->endX = 0;
    tie->flag = 0;
}
