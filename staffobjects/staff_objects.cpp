// Installing the staff objects into the model and the engraver.
#include "staffobjects/staff_objects.h"

#include "score/score_hooks.h"
#include "staffobjects/karaoke_cells.h"

void InitObjetsPortee() {
    static const ScoreStaffObjectHooks kHooks = {GetTexteUTF16LigneCellules, GetChordIndexAtTimeObjets};
    OrvaSetScoreStaffObjectHooks(&kHooks);
}

void FinObjetsPortee() { OrvaSetScoreStaffObjectHooks(nullptr); }
