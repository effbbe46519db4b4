// The hook records of the score model and their wrappers.
#include "score/score_hooks.h"

#include "platform/core/memory.h"

namespace {

// Process-wide: installed at start-up by the floors above, main thread only.
struct ScoreHooksRecord {
    ScoreSingerHooks singer;
    ScoreImportHooks import;
    ScoreLayoutHooks layout;
    ScoreDisposeHooks dispose;
    ScoreStaffObjectHooks staffObjects;
};
ScoreHooksRecord gHooks;

template <typename T>
void Install(T *slot, const T *hooks) {
    *slot = hooks ? *hooks : T{};
}

}  // namespace

void OrvaSetScoreSingerHooks(const ScoreSingerHooks *hooks) { Install(&gHooks.singer, hooks); }
void OrvaSetScoreImportHooks(const ScoreImportHooks *hooks) { Install(&gHooks.import, hooks); }
void OrvaSetScoreLayoutHooks(const ScoreLayoutHooks *hooks) { Install(&gHooks.layout, hooks); }
void OrvaSetScoreDisposeHooks(const ScoreDisposeHooks *hooks) { Install(&gHooks.dispose, hooks); }
void OrvaSetScoreStaffObjectHooks(const ScoreStaffObjectHooks *hooks) { Install(&gHooks.staffObjects, hooks); }

void HookPorteeACalculer(StaffHandle staff) {
    if (gHooks.singer.porteeACalculer) gHooks.singer.porteeACalculer(staff);
}

Boolean HookIsPorteeChantee(StaffHandle staff) {
    return gHooks.singer.isPorteeChantee ? gHooks.singer.isPorteeChantee(staff) : Boolean(kFalse);
}

Handle HookNouveauParamVoix() { return gHooks.singer.nouveauParamVoix ? gHooks.singer.nouveauParamVoix() : nullptr; }

Boolean HookChargeExpression(Handle voice, const char *name) {
    return gHooks.singer.chargeExpression ? gHooks.singer.chargeExpression(voice, name) : Boolean(kFalse);
}

void HookLibereParamVoix(Handle voice) {
    if (!voice) return;
    if (gHooks.singer.libereParamVoix) gHooks.singer.libereParamVoix(voice);
    else DisposHandle(voice);
}

void HookReadParamsLyrovox(StaffHandle staff, UInt32 version) {
    if (gHooks.singer.readParams) gHooks.singer.readParams(staff, version);
}

Boolean HookWriteParamsLyrovox(StaffHandle staff) {
    if (!gHooks.singer.writeParams) return kFalse;
    gHooks.singer.writeParams(staff);
    return kTrue;
}

SInt32 HookCvtBarEnMesure(ScoreHandle score, SInt32 bar) {
    return gHooks.import.cvtBarEnMesure ? gHooks.import.cvtBarEnMesure(score, bar) : bar;
}

Boolean HookEspaceMesures(ScoreHandle score, SInt32 first, SInt32 count, SInt16 dpi) {
    if (!gHooks.layout.espaceMesures) return kFalse;
    gHooks.layout.espaceMesures(score, first, count, dpi);
    return kTrue;
}

void HookLibereMiseEnPageScore(ScoreHandle score) {
    if (gHooks.layout.libereScore) gHooks.layout.libereScore(score);
}

void HookLibereMiseEnPagePortee(StaffHandle staff) {
    if (gHooks.layout.liberePortee) gHooks.layout.liberePortee(staff);
}

void HookDisposeStaff(StaffHandle staff) {
    if (gHooks.dispose.staff) gHooks.dispose.staff(staff);
}

void HookDisposeScore(ScoreHandle score) {
    if (gHooks.dispose.score) gHooks.dispose.score(score);
}

Handle HookLigneTexte(StaffHandle staff, SInt16 line) {
    return gHooks.staffObjects.ligneTexte ? gHooks.staffObjects.ligneTexte(staff, line) : nullptr;
}

SInt32 HookChordIndexAtTime(StaffHandle staff, SInt32 time) {
    return gHooks.staffObjects.chordIndexAtTime ? gHooks.staffObjects.chordIndexAtTime(staff, time) : 0;
}
