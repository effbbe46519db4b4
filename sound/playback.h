// Real-time playback: a writer thread mixes the prepared events step by step into the sound
// output while the main thread stays free; the player reads what is heard now (the output's
// delay taken off), the staves' levels and the end of the music, and pauses, resumes, winds
// and re-times the music while it plays. Code: playback_transport.cpp (starting, stopping,
// seeking, hooks), playback_writer.cpp (the writer thread and its passes),
// playback_position.cpp (the tick ring, the tempo map and the readers).
#pragma once

#include "platform/core/mac_types.h"
#include "sound/synth.h"

struct DocumentRecord;
struct ScoreRecord;
struct StaffRecord;
typedef ScoreRecord *ScorePtr;
typedef ScorePtr *ScoreHandle;
typedef StaffRecord *StaffPtr;
typedef StaffPtr *StaffHandle;

enum : UInt32 {
    kTickRingEntries = 4096,     // steps of history the heard position is read from (20 s)
    kWriterMaxStepsPerPass = 40, // a device that never says "full" still gets at most 40 steps a pass
    kWriterWakeMicros = 2500,    // the writer's period on the monotonic clock
    kEndReleaseMs = 2000,        // how long releases may ring once the end is reached
};

// One point of the map from frames of the events to score time: the score's played tempo map
// (score/tempo_map.h) sampled at the output rate, with written positions. Between two points
// the played position runs linearly from one point's to the next's; the written position
// follows the played one from the point's own written position (a repeat makes it jump at a
// point). After the last point the position stays at the last point's.
struct PlaybackTempoPoint {
    SInt64 frame;     // frames from the first event's origin, rising
    SInt32 played;    // played position (score units, repeats unrolled), rising
    SInt32 written;   // position in the score as written (score units)
};

// What the score side hands over to play a document: its events and tempo map at the output
// rate, its staves' blocks, where play starts and ends. The plan is the first field of a record
// of the score side's, which keeps it and its arrays (they must not move) until its release
// slot frees them; playback reads it in place and only ever clears eventCount, to silence a
// plan the synthesiser refused.
struct PlaybackPlan {
    const SoundEvent *events;          // sorted by onset; frames at the asked rate
    UInt32 eventCount;
    const PlaybackTempoPoint *tempo;   // 1 or more points
    UInt32 tempoCount;
    const SoundStaffBlock *staves;     // staffCount blocks as prepared; null: refreshStaves gives them
    UInt32 staffCount;                 // 1..kSynthMaxStaves
    SoundStreamReader streams;         // read null: no audio streams
    SInt32 startTick;                  // played position play starts at (below 0: a count-in first)
    SInt32 endTick;                    // the end: the total duration or the selection's end
    Boolean loop;                      // at endTick play goes back to loopTick, for ever
    SInt32 loopTick;
};

// The score side of playback, installed by it (the plug-in's start-up installs the sequencer's):
// main thread only. Playback calls each slot through one wrapper, which answers the default
// for a null slot.
struct PlaybackScoreOps {
    // Flattens the document's score (its selection, its tempo now) into a plan of the score
    // side's (*plan); an error, *plan untouched, when there is nothing to play. Default: paramErr.
    OSErr (*prepare)(DocumentRecord *document, UInt32 rate, PlaybackPlan **plan);
    void (*release)(DocumentRecord *document, PlaybackPlan *plan);  // frees a prepared plan; default nothing
    // Fills every field of the blocks but the peaks from the staves (volumes, pans, heard
    // flags, the metronome staff, sources, streams). Default: leaves them.
    void (*refreshStaves)(DocumentRecord *document, SoundStaffBlock *staves, UInt32 count);
    SInt32 (*resumePosition)(DocumentRecord *document);  // played position to resume at; default 0
    SInt32 (*staffIndex)(DocumentRecord *document, StaffHandle staff);  // block of a staff; default -1
    void (*playing)(DocumentRecord *document);  // the document now playing, null at the stop; default nothing
    void (*refillStreams)();                    // reads file-backed streams ahead, section 257 held
};

// Hooks of the player's on-screen keyboard. The slots run on the writer thread inside section
// 256, never with 257, at each note's onset; they must not block or draw. Defaults do nothing
// (isClavierActive answers false). Playback's trace lines go to the runtime's PlugTrace.
struct PlaybackPluginHooks {
    Boolean (*isClavierActive)();
    void (*clavierNoteOn)(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger);
    void (*clavierNoteOff)(SInt32 instrument, SInt16 pitch, Boolean force);
    void (*clavierReset)();
};

// Hooks of the singer. idleLyrovox renders sung streams ahead, taking section 257 itself; the
// writer calls it from its idle routine inside 256. Defaults: false, nothing.
struct PlaybackSingerHooks {
    Boolean (*idleLyrovox)(UInt8 update);
    void (*libereLyrovox)();
};

// Installers (main thread, nothing playing): the record is copied; null restores the defaults.
void FixeOpsPartitionLecture(const PlaybackScoreOps *ops);
void FixeHooksPluginLecture(const PlaybackPluginHooks *hooks);
void FixeHooksChanteurLecture(const PlaybackSingerHooks *hooks);

// Transport, main thread. Starting stops whatever plays first.
Boolean LanceMusique(DocumentRecord *document);              // true once it plays
Boolean ReLanceMusiqueApresPause(DocumentRecord *document);  // plays from its resume position
// Stops and joins the writer, frees the voices and events, releases the singer and closes the
// device: flag non-zero drops what the device still holds, 0 lets it play out first (at most
// one buffer). Nothing playing: nothing.
void ArreteMusique(SInt16 flag);
void StopMusiqueHardware();   // parks the writer after its pass, position kept; returns once parked
void StartMusiqueHardware();  // copies the staves' settings and resumes; while running only copies
// After a tempo change: the events are made again at the new tempo and play goes on from
// position (kept within 0 .. the end).
void RecaleMusiqueSurTick(SInt32 position);
// Stops every note of the music playing (when score is partitionEnCours, or null): the voices
// go into their release inside section 256, and the keyboard is reset. Main thread.
void ForceArreteToutesNotes(ScoreHandle score);

// Readers: any thread, no lock. Positions are score units, negative when nothing plays.
SInt32 GetPosTickInstant();          // the sequencer's position (ahead of what is heard)
SInt32 GetPosTickMusique();          // the same
SInt32 GetPosTickMusiqueEntendue();  // the played position heard now; never decreasing but at seeks and wraps
SInt32 GetPosTempsMusiqueEntendue(); // the same
SInt32 GetTempsEcritJoue();          // the written position heard now; -1 before the start
DocumentRecord *GetDialogMusiqueEnCours();  // main thread: the document playing, or null
// Main thread, every idle: copies the staves' settings to the mixer and answers whether the
// end has been heard (true from then until the next start).
Boolean IsFinDeMusiqueEntendue();
// Main thread: the staff's level meters as heard now, 0 to 200 for full scale (more when
// clipping); 0 when nothing plays or for a staff not of the playing score.
void GetVolumePorteeEntendu(StaffHandle staff, SInt16 *left, SInt16 *right);

// Opens and closes the output device the plug-in chose (main thread); false when it cannot be
// opened: play then goes to the clocked null output (traced once).
Boolean InitConfigurationPeriphWindow();
// Reads file-backed streams ahead (section 257); any thread holding no section but 256.
void IdlePlayPisteNumerique();
// Frees the tick ring (stopping the music first). Main thread, with no reader on another thread.
void LibereTabCircTick();

// Section 256 for whoever changes what the mixer reads. Entering it while holding 257 breaks
// the lock order and is reported through the error sink (and stops a debug build).
void EntreSectionMixage();
void QuitteSectionMixage();

enum : UInt32 {
    kPlaybackStepBuckets = 100,      // the writer files its steps' durations in buckets of 10 us
    kPlaybackStepBucketMicros = 10,
};

// What the writer did since the last start.
struct PlaybackStats {
    UInt32 passes;
    UInt32 steps;          // mixing steps written
    UInt32 underruns;      // the device ran dry while the writer was not parked
    UInt32 starvedSteps;   // steps written with less than one step left in the device
    UInt32 fallbacks;      // failed devices replaced by the clocked null output
    UInt32 idleRuns;       // runs of the general idle routine
    UInt32 wraps;          // loop wraps
    SInt64 framesWritten;  // frames the output took
    Boolean paced;         // the device paces the writer (no wall-clock cap)
    Boolean finished;      // everything to play has been mixed
    UInt32 stepMicros99;   // 99 % of the steps took at most this (mixing, ring and write), us
    UInt32 longestGapMicros;  // the longest time between two passes (the system held the writer up)
};
void GetStatsLecture(PlaybackStats *stats);
