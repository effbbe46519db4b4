// Tempo marks as dynamics objects, and the tempo a score ends with. Main thread only.
#pragma once

#include "score/dynamics_objects.h"
#include "score/tempo_map.h"  // InjecteTempoDansDynamique, kTempoMin, kTempoMax

// Adds a tempo mark (kind 22, a quarter beat, above the staff) at time on the
// staff; its index, or -1 for a staff that is not live or no memory.
SInt32 AjouteObjetTempo(ScoreHandle score, StaffHandle staff, SInt32 time, float tempo);
// The score's tempo with its fraction: tempo + fraction / 65535; 0 for no score.
float GetTempoFinPartition(ScoreHandle score);
