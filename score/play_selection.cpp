// The play selection in the score record and the pending selection of the exported play call.
#include "score/play_selection.h"

#include "score/musical_arithmetic.h"
#include "score/score_hooks.h"

namespace {

// The selection the exported play call left for the player's next start. Main thread only.
struct PendingSelectionRecord {
    PlaySelectionRecord selection;
    Boolean waiting;
};
PendingSelectionRecord gPending = {{0, 0, -1, -1}, kFalse};

SInt32 MesureDeBarre(ScoreHandle score, SInt32 bar);

}  // namespace

Boolean FixeSelectionPartition(ScoreHandle score, SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar,
                               Boolean play) {
    if (!IsPartitionValide(score)) return kFalse;
    SInt32 first = MesureDeBarre(score, firstBar);
    SInt32 last = MesureDeBarre(score, lastBar);
    if (first < 0 || last < first) return kFalse;
    SInt32 start = CvtMesureEnTemps(score, first);
    SInt32 end = CvtMesureEnTemps(score, last + 1);
    ScoreRecord *s = *score;
    if (play) s->selectionPlay = 1;
    s->selectionFirstPart = firstPart;
    s->selectionLastPart = lastPart;
    s->selectionStart = start;
    s->selectionEnd = end;
    return kTrue;
}

void EffaceSelectionPartition(ScoreHandle score) {
    if (IsPartitionValide(score)) (*score)->selectionPlay = 0;
}

Boolean JoueMusiqueCadenzo(SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar) {
    if (firstBar < 1 || lastBar < firstBar) return kFalse;
    ScoreHandle score = partitionEnCours;
    SInt32 first = firstBar - 1;
    SInt32 last = lastBar - 1;
    if (IsPartitionValide(score)) {
        first = MesureDeBarre(score, firstBar);
        last = MesureDeBarre(score, lastBar);
        if (first < 0 || last < first) return kFalse;
    }
    gPending = {{firstPart, lastPart, first, last}, kTrue};
    return kTrue;
}

Boolean PrendSelectionEnAttente(PlaySelectionRecord *selection) {
    if (!gPending.waiting) return kFalse;
    if (selection) *selection = gPending.selection;
    gPending.waiting = kFalse;
    return kTrue;
}

namespace {

// The measure (from 0, within the score) of a bar number (from 1); -1 for a score without measures.
SInt32 MesureDeBarre(ScoreHandle score, SInt32 bar) {
    SInt32 count = (*score)->measureCount;
    if (count == 0) return -1;
    SInt32 measure = HookCvtBarEnMesure(score, bar) - 1;
    if (measure < 0) measure = 0;
    return measure >= count ? count - 1 : measure;
}

}  // namespace
