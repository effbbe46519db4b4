// Installing the staff objects into the model and the engraver.
#include "staffobjects/staff_objects.h"

#include "engraving/staff_type_rows.h"
#include "score/score_hooks.h"
#include "staffobjects/chord_diagrams.h"
#include "staffobjects/karaoke_cells.h"
#include "staffobjects/tablature.h"

void InitObjetsPortee() {
    static const ScoreStaffObjectHooks kHooks = {GetTexteUTF16LigneCellules, GetChordIndexAtTimeObjets};
    OrvaSetScoreStaffObjectHooks(&kHooks);
    EnregistreTypePorteeGravure(GetTypeTablatureGravure());
}

void FinObjetsPortee() {
    OrvaSetScoreStaffObjectHooks(nullptr);
    VideBibliothequeDiagrammes();
}
