// Demo plans: hand-made notes in score units at one tempo that the real-time engine's tests,
// omsynth and the real-time benchmark play, flattened into plans by score ops of their own,
// apart from the score model (the demo scores of demo_scores.h are scores of the model). No
// part of the plug-in.
#pragma once

#include "sound/playback.h"

enum : SInt32 {
    kDemoQuarter = 40320,    // score units of a quarter note
    kDemoMaxStaves = 16,
};

struct DemoNote {
    SInt32 onset, length;    // score units
    SInt32 instrument;       // bank id
    UInt16 staff;
    UInt8 key, velocity;
};

// A demo document. The main thread may change the tempo, staves, selection, loop and resume
// position; the ops read them on the main thread only.
struct DemoPlanRecord {
    const char *name;
    DemoNote *notes;                 // a Ptr, sorted by onset
    UInt32 noteCount;
    SInt32 duration;                 // score units
    SInt32 tempo;                    // quarter notes a minute, 10..300
    UInt32 staffCount;
    SoundStaffBlock staves[kDemoMaxStaves];  // peaks unused
    StaffPtr staffIds[kDemoMaxStaves];       // their addresses are the staves' handles
    SInt32 selectionStart;           // played positions; selectionEnd 0: the whole score
    SInt32 selectionEnd;
    Boolean loop;
    SInt32 resumePosition;
    SInt64 streamSamples;            // length of its streams: the demo at 120, never changed
};

// A new demo: "scale" (C major, eight quarter notes at 120), "chord" (C major held two
// seconds), "drums" (a bar of eighths), "tone" (two staves of full-scale 441 Hz streams,
// 4 s), "large" (16 staves, 64 bars, 64 voices sounding). paramErr for another name.
OSErr NouvelleDemo(const char *name, DemoPlanRecord **demo);
void DisposeDemo(DemoPlanRecord **demo);  // clears *demo
DocumentRecord *DocumentDeDemo(DemoPlanRecord *demo);
StaffHandle PorteeDeDemo(DemoPlanRecord *demo, UInt32 staff);
// Installs the score ops that play demo documents (and only them).
void InstalleOpsDemo();
// The frame at rate of a played position, at the demo's tempo.
SInt64 FrameDeDemo(const DemoPlanRecord *demo, SInt32 played, UInt32 rate);
// Every event of the demo in frames at rate (a new Ptr, the caller's): what playback plays.
OSErr EvenementsDemo(const DemoPlanRecord *demo, UInt32 rate, SoundEvent **events, UInt32 *count);
// The reader of the demo's streams: each stream is a full-scale 441 Hz sine.
SoundStreamReader FluxDeDemo(const DemoPlanRecord *demo);
