// The tempo of a score: its own tempo, then its tempo marks (dynamics objects of kind 22 on any
// staff), as two maps from score time to milliseconds, one over played time (repeats unrolled)
// and one over written time. A map is an array of TempoSegment: the score's `tempoMapPlayed`
// and `tempoMapWritten` handles (built on first use, dropped by LibereTableauCvtSec), or a Ptr
// of the sequencer's. Playback samples the played map at its output rate into its plan's
// points (sound/playback.h). Main thread only.
#pragma once

#include "score/score_model.h"

struct DynamicsObject;

// One segment of a map: from time on, each score unit lasts msPerUnit milliseconds. Segments
// are sorted by time, the first at 0 and 0 ms.
struct TempoSegment {
    SInt32 time;          // score units
    double ms;            // milliseconds at time
    double msPerUnit;
};

enum : SInt32 {
    kTempoMin = 1,          // beats (of a score: quarter notes) a minute
    kTempoMax = 5000,
    kTempoDeSecours = 120,  // stands for a score tempo below 1
    kMaxSegmentsTempo = 1 << 24,  // segments of one map; a larger one is memFullErr
};
enum : UInt16 { kTempoPourcentNormal = 100 };  // a tempo mark's percent field

// The score's tempo as it stores it, in quarter notes a minute: its tempo field plus its
// fraction field / 65535; 0 for no score. GetTempoFinPartition answers the same as a float.
double TempoPartition(ScoreHandle score);
float GetTempoFinPartition(ScoreHandle score);
// The tempo a score plays at: TempoPartition, below 1 counting as 120 (traced once), then kept
// within kTempoMin..kTempoMax.
double GetTempoDepartPartition(ScoreHandle score);
// The one rule every tempo is kept within: kTempoMin..kTempoMax, a NaN as kTempoMin.
double BorneTempo(double quarters);
// A tempo mark's tempo in quarter notes a minute (its beats a minute times its beat unit, kept
// within the rule), 0 for an object that is not a tempo mark in use or holds no tempo.
double GetTempoMarque(const DynamicsObject *object);
// Stores tempo + 0.005, kept within kTempoMin..kTempoMax, as its whole part and hundredths in
// the object's two values; a value that is not a number leaves the object as it was.
void InjecteTempoDansDynamique(DynamicsObject *object, float tempo);

// Drops both maps and builds them again from the tempo, the marks and the played-measure table.
void PrepareDynamiquesTempoPartition(ScoreHandle score);
void LibereTableauCvtSec(ScoreHandle score);  // drops both maps; the next conversion builds them
// Milliseconds of a time through the played (played true) or the written map: the entry that
// starts at or before it (the first one for a time before them all), rounded. 0 without map.
SInt32 CvtTempsJoueEnMs(ScoreHandle score, SInt32 time, Boolean played);
// Score time at a number of milliseconds, truncated; 0 before the first entry or without map.
SInt32 CvtMsEnTempsJoue(ScoreHandle score, SInt32 ms, Boolean played);
// After the score's tempo changed from oldTempo (quarters a minute, as the score held it), every
// tempo mark is scaled by new / old so that the marks keep their ratio to the score's tempo; the
// sung staves are marked to be sung again and the maps dropped. An old tempo below 1 (or NaN)
// leaves the marks as they are.
void ReajusteValeurDynamiqueTempoAffiche(ScoreHandle score, float oldTempo);

// The map of the score (played or written) as a new Ptr of segments (caller disposes), at least
// one; memFullErr (also past kMaxSegmentsTempo) or paramErr.
OSErr CalculeSegmentsTempo(ScoreHandle score, Boolean played, TempoSegment **segments, SInt32 *count);
// Milliseconds at a time through segments (before the first: through the first).
double MsDeSegments(const TempoSegment *segments, SInt32 count, double time);
// The time at a number of milliseconds through segments (before the first: its time).
double TempsDeSegments(const TempoSegment *segments, SInt32 count, double ms);

// ---- Played time ------------------------------------------------------------------------------

// The written time heard at a sample of a digital track (44100 samples a second, played time,
// through the score's played map).
SInt32 CvtPosPisteEnTempsEcrit(ScoreHandle score, SInt32 samplePosition);
