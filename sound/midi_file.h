// A prepared score written as a standard MIDI file, so that another synthesiser can play the
// same notes (the benchmarks compare with one). Main thread only.
#pragma once

#include "sound/sequencer.h"

enum : UInt32 {
    kMidiTicksParNoire = 480,
    kMidiMicrosecondesParNoire = 500000,  // the file's one tempo: ticks are frames at 120
};

// Format 0, one track: a channel per instrument (drum kits on channel 10), its program and
// bank, the staff's volume and pan, every note on and off at the frames of the events.
// noErr, memFullErr or ioErr.
OSErr EcritFichierMidi(const char *path, const PartitionSonRecord *prepared);
