// The sequencer: a score flattened into the synthesiser's note events (sound/synth.h), its staff
// blocks and its tempo map, ready to play in real time or to render offline. Per played measure
// (repeats and jumps unrolled), per staff that can sound and per note: the onset at its played
// time plus its attack, a tie chain's length times its release, the velocity through the
// staff's dynamics, grace notes and trills; the metronome staff's clicks and count-in; audio
// streams on digital-audio and sung staves. Code: sequencer.cpp (preparing and the tempo
// points), sequencer_notes.cpp (one staff's notes), sequencer_render.cpp (offline rendering),
// score_playback.cpp (the score side of real-time playback). Main thread only.
#pragma once

#include "score/score_model.h"
#include "sound/playback.h"
#include "sound/synth.h"

enum : UInt32 {
    kMaxEvenementsSon = 1u << 22,   // events one score may flatten into
    kDureeClicMetronomeMs = 60,     // a metronome click's length
};
enum : UInt8 {
    kVelociteTempsFort = 127,       // metronome downbeats
    kVelociteTempsFaible = 90,      // the other beats: 6 dB softer
};

struct SonPreparationRequest {
    ScoreHandle score;
    UInt32 rate;        // frames a second of the events, 8000..96000
    SInt16 countInBars; // metronome bars before the music; -1: SetRealTimeMetronome's setting
};

// A prepared score: first the plan real-time playback plays in place (sound/playback.h), then
// what offline rendering needs besides. Its arrays are Ptrs of its own (LiberePartitionSon
// frees them) that never move, as the synthesiser needs. With the score's selection play on,
// only the written range [selectionStart, selectionEnd) of staves selectionFirstPart..
// selectionLastPart plays, without repeats, and played positions there are written positions.
// In the plan: events sorted by onset, frames at rate; tempo points (at least two: each played
// measure's start, each change of tempo, the end; under a count-in a first point at frame 0
// stands 1 unit before the music's start, and play starts there); the staves' blocks, one per
// staff of the score in staff order, made once; the end; a looped selection goes back to its start.
struct PartitionSonRecord {
    PlaybackPlan plan;
    SoundStaffBlock *staves;  // plan.staves, which offline rendering writes its peaks into
    UInt32 rate;
    SInt32 musicTick;         // played position where the music starts (a selection's start, else 0)
    SInt64 startFrame;        // frame of musicTick; the count-in's clicks come before it
    SInt64 endFrame;          // frame of plan.endTick
    SInt64 startMs;           // played time in ms at frame 0 (negative under a count-in): streams
};

// Flattens the score: played-measure table and tempo maps made again, dynamics prepared.
// paramErr for a bad score or rate, memFullErr (also past kMaxEvenementsSon events); on failure
// the record is cleared.
OSErr PreparePartitionSon(const SonPreparationRequest *request, PartitionSonRecord *prepared);
void LiberePartitionSon(PartitionSonRecord *prepared);  // frees the arrays, clears the record
// Fills every field but the peaks of the staff blocks from the staves: volume and pan (the
// staff's own when it carries them, else its instrument's), heard, source (the oscillator for
// an instrument of source code 9), stream (digital-audio staves, and sung staves while sung
// tracks may play).
void RafraichitBlocsPorteesSon(ScoreHandle score, SoundStaffBlock *staves, UInt32 count);
// ---- Offline rendering (sequencer_render.cpp) -----------------------------------------------------

struct SonRenduPartition {
    ScoreHandle score;
    const DigitOutputParams *params;
    SInt16 countInBars;               // as in SonPreparationRequest
    const SoundStreamReader *streams; // null: none
    UInt32 tailMs;                    // rendered after the last voice ends
};
// Prepares and renders the whole score (or its selection, once) into a new Ptr of frames x
// channels samples (caller disposes). The player's keyboard (PlaybackPluginHooks) hears every
// note start and stop in order. Errors of PreparePartitionSon and RenduSonHorsLigne.
OSErr RenduPartitionHorsLigne(const SonRenduPartition *request, SInt16 **samples, UInt32 *frames,
                              SoundEngineStats *stats);

// ---- Real-time playback of documents (score_playback.cpp) ---------------------------------------

// Installs the score side of real-time playback (sound/playback.h): documents play their
// current score, flattened by PreparePartitionSon at the count-in SetRealTimeMetronome set;
// their staves' blocks come from RafraichitBlocsPorteesSon; they resume at their resume
// position; the score playing is partitionEnCours. Main thread, nothing playing. The plug-in's
// start-up installs them.
void InstalleOpsPartitionLecture();
// The play selection of partitionEnCours (score/play_selection.h): a negative first measure
// clears it, and a score that plays starts again from its start without it; otherwise parts
// firstPart..lastPart and bars firstMeasure..lastMeasure are stored in the score and, when it
// plays, playback is paused, re-timed to the selection and resumed, at the written position
// heard when it lies inside the selection, else at its start. Nothing without a score.
// Main thread.
void FixeJoueSelection(SInt32 firstPart, SInt32 lastPart, SInt32 firstMeasure, SInt32 lastMeasure);
