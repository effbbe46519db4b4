// Installs page layout's hooks into the score model.
#include "layout/layout_start.h"

#include "layout/drawing_kit.h"
#include "layout/free_objects.h"
#include "layout/palette.h"
#include "layout/print_jobs.h"
#include "layout/spacing.h"
#include "score/score_hooks.h"

void InitMiseEnPage() {
    ScoreLayoutHooks hooks = {EspaceMesures, LibereObjetsLibres, LibereGraphiques};
    OrvaSetScoreLayoutHooks(&hooks);
    InitPalette256Couleurs();
    InitPortTemporaire();
}

void FinMiseEnPage() {
    OrvaSetScoreLayoutHooks(nullptr);
    LiberePortTemporaire();
    LibereEnregistrementImpression();
}
