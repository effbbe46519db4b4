// Dynamics as playback hears them: per staff a curve of velocity percentages made from its
// dynamics marks (steps) and hairpins (ramps), kept in the staff's `velocityCurve` handle, and
// the velocity of a note under it. Main thread only.
#pragma once

#include "score/score_model.h"

enum : SInt16 {
    kVelociteSansValeur = 80,      // a note whose velocity is 0 plays at 80
    kPourcentVelociteMax = 200,    // no hairpin raises the level above 200 %
};

// One point of a curve: from time on the level is percent, ramping linearly to the next point
// when ramp is set.
struct VelocityCurvePoint {
    SInt32 time;         // score units
    float percent;
    UInt8 ramp;
};

// The level of a dynamics kind: 3 to 10 (ppp to fff) give 20, 40, 60, 80, 100, 120, 160, 200;
// any other kind 100.
SInt16 CvtTypeDynamiqueEnPourcentVelocite(UInt32 kind);
// Builds every staff's curve again: a mark (kinds 3 to 10) sets its level from its start; a
// hairpin (1 crescendo, 2 diminuendo) ramps from the level at its start to the level of the
// next mark when one follows before the next hairpin (reached at the hairpin's end, or at the
// mark when it comes sooner), else to the level times its end / start percentages (2 or 0.5
// when they are missing), at most 200 %. A staff whose curve cannot be made keeps none (100 %).
void PrepareDynamiquesPartition(ScoreHandle score);
// The staff's level at a time in percent: 100 before its first mark or without a curve (built
// first when the staff has none).
double PourcentVelociteA(StaffHandle staff, SInt32 time);
// A velocity after the dynamics in force at that time, rounded and clamped to 0..127.
SInt16 AppliquePourcentVelocite(StaffHandle staff, SInt16 velocity, SInt32 time);
// The range of note indices that a dynamics object of the staff covers: the notes starting
// from its start time to its end time (both included). False, and -1 in both, when it covers
// none or the object does not exist.
Boolean CvtDynamiqueEnIndexNotes(StaffHandle staff, SInt32 object, SInt32 *first, SInt32 *last);
