// Tempo marks as dynamics objects. Main thread only.
#pragma once

#include "score/dynamics_objects.h"
#include "score/tempo_map.h"  // InjecteTempoDansDynamique, kTempoMin, kTempoMax, GetTempoFinPartition

// Adds a tempo mark (kind 22, a quarter beat, above the staff) at time on the
// staff; its index, or -1 for a staff that is not live or no memory.
SInt32 AjouteObjetTempo(ScoreHandle score, StaffHandle staff, SInt32 time, float tempo);
