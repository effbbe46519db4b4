// Tempo marks as dynamics objects, and the tempo a score ends with. Main thread only.
#pragma once

#include "score/dynamics_objects.h"

enum : SInt32 { kTempoMin = 1, kTempoMax = 5000 };

// Adds a tempo mark (kind 22, a quarter beat, above the staff) at time on the
// staff; its index, or -1 for a staff that is not live or no memory.
SInt32 AjouteObjetTempo(ScoreHandle score, StaffHandle staff, SInt32 time, float tempo);
// Stores tempo + 0.005, kept within kTempoMin..kTempoMax, as its whole part and hundredths in
// the object's two values; a value that is not a number leaves the object as it was.
void InjecteTempoDansDynamique(DynamicsObject *object, float tempo);
// The score's tempo with its fraction: tempo + fraction / 65535; 0 for no score.
float GetTempoFinPartition(ScoreHandle score);
