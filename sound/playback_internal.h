// The playback state shared by the playback files only (see playback.h for their topics).
#pragma once

#include <atomic>
#include <pthread.h>

#include "sound/output_driver.h"
#include "sound/playback.h"

// One mixing step as the readers see it: where its frames lie in the output and the score
// positions at its two ends. Fields are read without a lock: only through the atomic accessors
// of playback_position.cpp.
struct TickRingEntry {
    SInt64 frame;         // output frame of the step's first frame
    UInt32 frames;
    SInt32 playedStart, playedEnd;
    SInt32 writtenStart, writtenEnd;
};

// The ring of the last kTickRingEntries steps. The writer begins entry i by raising begun to
// i + 1 and publishes it by raising head to i + 1; a reader trusts what it read of entries
// above begun - kTickRingEntries.
struct TickRing {
    TickRingEntry *entries;        // kTickRingEntries, a Ptr
    UInt32 *peaks;                 // per entry, staffCapacity words: left << 16 | right
    UInt32 staffCapacity;
    std::atomic<UInt64> begun{0};
    std::atomic<UInt64> head{0};
};

struct PlaybackCounters {
    std::atomic<UInt32> passes{0}, steps{0}, underruns{0}, starvedSteps{0}, fallbacks{0}, idleRuns{0}, wraps{0};
    std::atomic<SInt64> framesWritten{0};
    std::atomic<bool> paced{false};
    std::atomic<bool> finished{false};    // everything to play has been mixed (read while parked too)
    std::atomic<UInt32> stepTimes[kPlaybackStepBuckets] = {};  // steps by duration
    std::atomic<UInt32> longestGap{0};                           // us between two passes
};

// The process-wide playback record. Lock of each group beside it.
struct PlaybackState {
    // Main thread.
    DocumentRecord *document;
    PlaybackPlan *plan;            // the score side's, read in place; null when there is none
    SoundStaffBlock *staging;      // the score's settings, copied into staves under 256
    pthread_t thread;
    Boolean threadStarted;
    char device[kOutputDeviceNameSize];  // the device the writer opens (copied before it starts)
    Boolean deviceRefused;               // the probe could not open that device
    SInt16 stopFlag;                     // ArreteMusique's flag, read by the writer as it ends

    // Section 256: what mixing reads and moves.
    SoundEngineRecord *engine;
    SoundStaffBlock *staves;       // the mixer's blocks
    UInt32 *offOrder;              // event indices by release frame, for the keyboard
    UInt32 nextOn, nextOff;        // keyboard cursors
    SInt64 seekFrame;              // notes starting before it get no note-off
    SInt64 endEventFrame;          // frame of plan.endTick
    SInt64 loopFrame;              // frame of plan.loopTick
    Boolean eventsEnded;           // the end was reached: no more notes, releases ring
    SInt64 releaseLimit;           // output frame by which the releases are cut
    Boolean resetKeyboard;         // the keyboard must be cleared at the next step

    // Writer thread.
    OutputRecord *out;
    SInt16 *stepBuffer;            // one step of frames
    UInt32 pendingFrames, pendingOffset;  // of stepBuffer, not yet taken by the device
    SInt64 mixed;                  // output frames mixed (the next step's output frame)
    SInt64 written;                // output frames taken by the device
    SInt64 clockOrigin;            // device clock at output frame 0, for devices that do not pace
    Boolean resumed;               // the first passes after a park: a dry device is no underrun
    SInt64 lastPass;               // monotonic us when the last pass began, 0 after a park

    // Control: lock, taken alone and never with a section.
    pthread_mutex_t lock;
    pthread_cond_t wake;           // the writer's sleep (monotonic clock)
    pthread_cond_t parkedChanged;
    Boolean stop, park, parked, exited;
    std::atomic<bool> interrupt{false};  // stop or park asked: the pass ends after its step

    // Any thread.
    std::atomic<bool> playing{false};
    std::atomic<SInt32> instant{-1};
    std::atomic<SInt64> endFrame{-1};    // output frame where the music ends, once known
    std::atomic<bool> endHeard{false};
    TickRing ring;
    std::atomic<SInt64> heard{-1};       // output frame heard at the writer's last measure
    PlaybackCounters counters;
};
extern PlaybackState gPlay;

// playback_transport.cpp
Boolean HookIsClavierActive();
void HookClavierNoteOn(SInt32 instrument, SInt16 pitch, SInt16 velocity, SInt16 finger);
void HookClavierNoteOff(SInt32 instrument, SInt16 pitch, Boolean force);
void HookClavierReset();
Boolean HookIdleLyrovox(UInt8 update);
// Traces a device problem once for each device name in a row of the same problem.
void TraceSortieUneFois(const char *device, const char *problem);

// playback_writer.cpp
void *BoucleEcrivain(void *);
Boolean EstThreadEcrivain();  // the calling thread is the writer
// Section 256 held (or the writer not started): the sequencer and both keyboard cursors (by
// binary search) to frame of the events; the keyboard is cleared at the next step.
void PlaceSequenceur(SInt64 frame);

// playback_position.cpp
SInt32 JoueAFrame(const PlaybackPlan *plan, SInt64 frame);
SInt32 EcritAFrame(const PlaybackPlan *plan, SInt64 frame);
SInt64 FrameAJoue(const PlaybackPlan *plan, SInt32 played);
OSErr PrepareTabCircTick(UInt32 staffCount);  // main thread, writer stopped: ring empty, room for the staves
void LibereTabCircTickMemoire();              // main thread, writer stopped
void PousseTabCircTick(const TickRingEntry *entry, const SoundStaffBlock *staves, UInt32 staffCount);
void PublieEntendu(SInt64 heard);             // writer thread: never lowers the frame heard
void RepartEntendu();                          // main thread, writer stopped: a new start
SInt64 FrameEntendue();                        // -1: nothing heard yet
Boolean LitCretesEntendues(UInt32 staff, UInt16 *left, UInt16 *right);  // false: nothing heard
