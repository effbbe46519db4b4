// What the sequencer's files share: the measures to flatten and the growing event array.
#pragma once

#include "score/tempo_map.h"
#include "sound/sequencer.h"

// One measure as it is played: which written measure, where it starts in both times.
struct PlayedMeasureRecord {
    SInt32 measure;      // written measure index
    SInt32 written;      // its written start
    SInt32 length;       // score units, above 0
    SInt32 played;       // its played start
};

struct FlattenRecord {
    ScoreHandle score;
    UInt32 rate;
    const TempoSegment *segments;     // played time (written time for a selection) to ms
    SInt32 segmentCount;
    SInt32 startTick;                 // played position where play starts
    double msAtStart;                 // ms of startTick
    SInt64 startFrame;                // frame of startTick
    const PlayedMeasureRecord *measures;
    SInt32 measureCount;
    SInt32 rangeStart, rangeEnd;      // written range of notes that sound (a selection), else all
    SoundEvent *events;               // a Ptr growing by doubling
    UInt32 count, capacity;
    OSErr err;                        // the first failure; later additions do nothing
};

// The frame of a played position (fractions of a unit allowed) through the tempo segments:
// its milliseconds at the rate, from startFrame at startTick. The plan's points are sampled
// from it; playback reads them back with FrameAJoue (sound/playback_internal.h).
SInt64 FrameDeSegments(const FlattenRecord *f, double played);
// Appends a note of length units at a played onset; a length below one frame plays one frame.
void AjouteEvenementSon(FlattenRecord *f, double onset, double length, SInt32 instrument, UInt16 staff, SInt32 key,
                        SInt32 velocity);
// Appends an event already in frames.
void AjouteEvenementFrames(FlattenRecord *f, const SoundEvent &event);
// sequencer_notes.cpp: the notes of a staff that sounds, and the metronome's clicks.
void AplatitPortee(FlattenRecord *f, StaffHandle staff);
void AplatitMetronome(FlattenRecord *f, StaffHandle staff, SInt16 countInBars, double countInMs);
// The count-in's length in ms for a number of bars of the first measure played.
double DureeDecompteMs(const FlattenRecord *f, SInt16 bars);
