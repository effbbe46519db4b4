// Tempo marks.
#include "score/tempo_objects.h"

#include <cmath>
#include <cstring>

namespace {

const SInt32 kHautTempo = -48;        // points: the mark's box stands four spaces above the top line
const SInt32 kHauteurTempo = 16;

}  // namespace

SInt32 AjouteObjetTempo(ScoreHandle score, StaffHandle staff, SInt32 time, float tempo) {
    if (!IsPorteeValide(staff) || (*staff)->score != score) return -1;
    SInt32 index = NewDynamique(staff);
    if (index < 0) return -1;
    DynamicsObject *object = GetDynamiquePtr(staff, index);
    object->kind = kDynamiqueTempo;
    object->inUse = 1;
    object->startTime = time;
    object->endTime = time < kTempsMax - kTempsNoire ? time + kTempsNoire : kTempsMax;
    object->top = kHautTempo;
    object->bottom = kHautTempo + kHauteurTempo;
    object->tempoPercent = kTempoPourcentNormal;
    object->beatUnit = kTempsNoire;
    object->secondFlag = 1;
    InjecteTempoDansDynamique(object, tempo);
    return index;
}
