// The synthesiser: a flat array of note events and a block of per-staff levels in, mixed
// 16-bit frames out, one step of 1/200 s at a time. Sample voices from the sound bank (or a
// built-in oscillator), voice stealing, per-staff buses with level peaks, audio streams,
// reverb and a soft clip. Code: synth_engine.cpp (events, voices, stealing, the step),
// synth_voice.cpp (rendering one voice), synth_effects.cpp (buses, streams, reverb, clip),
// synth_render.cpp (offline rendering and WAV files).
#pragma once

#include <cstddef>
#include <cstdio>

#include "platform/core/mac_types.h"
#include "sound/digit_params.h"

enum : UInt32 {
    kSynthStepsPerSecond = 200,      // a step mixes rate / 200 frames (the remainder carried)
    kSynthPeakFullScale = 200,       // a staff peak of 200 is a full-scale sample
    kSynthMaxStaves = 1024,          // staff blocks one engine mixes
    kSynthStreamRate = 44100,        // audio streams hold 44.1 samples a millisecond
    kSynthMinRate = 8000,            // output rates the engine accepts, Hz
    kSynthMaxRate = 96000,
};
enum : UInt8 {
    kSoundSourceBank = 6,            // staff's notes play the bank's instruments
    kSoundSourceOscillator = 9,      // no bank: the built-in oscillator plays them
};

// One note. The array a caller hands over is sorted by onset and stays in place (it is read,
// never moved) until the engine is disposed or given another array.
struct SoundEvent {
    SInt64 onset;          // frames from the first step (milliseconds where a render says so)
    SInt32 length;         // frames (milliseconds) from the onset to the release; below 1: none
    SInt32 instrument;     // bank id: program + 128 bank, or any id of a kit (16384 + 128 kit)
    UInt16 staff;          // index of the staff's block
    UInt8 key;             // MIDI key, 0..127 (for a kit: the drum)
    UInt8 velocity;        // 1..127; 0 plays nothing
};

// A staff as the mixer sees it: the main thread writes the first four fields whenever the
// user changes them; the mixer writes the peaks at every step.
struct SoundStaffBlock {
    UInt8 volume;          // 0..127, linear in amplitude (64 is about -6 dB)
    SInt8 pan;             // -100 left .. 0 centre .. 100 right
    UInt8 heard;           // 0: new notes of the staff do not start and it is muted
    UInt8 source;          // kSoundSource...
    SInt16 stream;         // the staff's audio stream number, 0 for none
    UInt16 peakLeft;       // the last step's peaks, kSynthPeakFullScale = full scale
    UInt16 peakRight;
};

// How the mixer reads audio streams (mono 16-bit at 44100 Hz). read copies up to count
// samples of stream from sample first on into samples and answers how many it copied (fewer,
// or 0, past the stream's end). It is called inside the stream critical section (257) on the
// mixing thread, and must neither allocate nor wait for the main thread.
struct SoundStreamReader {
    SInt32 (*read)(void *context, SInt16 stream, SInt64 first, SInt32 count, SInt16 *samples);
    void *context;
};

struct SoundEngineStats {
    UInt32 voicesNow;      // voices sounding after the last step
    UInt32 voicesPeak;     // most voices sounding at once
    UInt32 voicesStolen;   // notes that took a sounding voice
    UInt32 notesStarted;
    UInt32 notesSkipped;   // events that named a bad staff or nothing to play
};

struct SoundEngineRecord;

// A new engine for the output format (rate, channels, voices, interpolation, reverb and its
// preset, pitch reference) and up to staffCount staves; everything the steps use is allocated
// here. paramErr for a rate outside 8000..96000 Hz or a bad staff count; memFullErr.
OSErr NewSoundEngine(const DigitOutputParams *params, UInt32 staffCount, SoundEngineRecord **engine);
void DisposeSoundEngine(SoundEngineRecord **engine);  // clears *engine
// Main thread: gives the engine its events (sorted by onset, in frames) and staff blocks
// (staffCount of them, kept by the caller), loads every instrument they play from the open
// bank, and rewinds to frame 0, where the played position is startMs (streams start there).
// The instruments found stay the engine's until the bank closes: closing it means preparing
// again. paramErr for unsorted events or too many staves; memFullErr.
OSErr PrepareSonEvenements(SoundEngineRecord *engine, const SoundEvent *events, UInt32 count,
                           SoundStaffBlock *staves, UInt32 staffCount, SInt64 startMs);
void FixeLecteurFluxSon(SoundEngineRecord *engine, const SoundStreamReader *reader);  // null: none
// Mixes the next step into out (interleaved, SoundEngineMaxStepFrames x channels samples of
// room) and answers its frame count. Allocates nothing, takes no lock but section 257 around
// stream reads; called on the mixing thread inside section 256.
UInt32 MixeEtapeSon(SoundEngineRecord *engine, SInt16 *out);
UInt32 SoundEngineMaxStepFrames(const SoundEngineRecord *engine);
UInt16 SoundEngineChannels(const SoundEngineRecord *engine);
UInt32 SoundEngineRate(const SoundEngineRecord *engine);
SInt64 SoundEnginePosition(const SoundEngineRecord *engine);  // frames mixed so far
// True once every event has started and no voice sounds (the reverb may still ring).
Boolean SoundEngineFinished(const SoundEngineRecord *engine);
// Releases every sounding voice at once (their release stage still plays).
void SoundEngineReleaseAll(SoundEngineRecord *engine);
// Moves the sequencer to frame of the events: the next note started is the first whose onset
// is at or after it, voices still sounding go into their release there, and streams are read
// from the played position of that frame. Mixing thread inside section 256, or main thread.
void PositionneSonEvenements(SoundEngineRecord *engine, SInt64 frame);
// No further event starts; voices sounding carry on (the end of a selection).
void ArreteEvenementsSon(SoundEngineRecord *engine);
void SoundEngineGetStats(const SoundEngineRecord *engine, SoundEngineStats *stats);
// Test seam: memory blocks the synthesiser has allocated since start-up.
UInt32 SoundEngineAllocations();

// Offline rendering: the events (in frames, or in milliseconds when inMs) mixed from frame 0
// until tailMs after the last voice ends; unsorted events are sorted first. The open bank
// plays them (the oscillator where a staff asks for it or no bank is open).
struct SoundRenderRequest {
    const DigitOutputParams *params;
    const SoundEvent *events;
    UInt32 eventCount;
    Boolean inMs;
    SoundStaffBlock *staves;
    UInt32 staffCount;
    const SoundStreamReader *streams;  // null: none
    SInt64 startMs;                    // played position of frame 0, for streams
    UInt32 tailMs;                     // rendered after the last voice ends
    UInt32 minimumMs;                  // rendered at least (a stream may outlast the notes)
};
enum : UInt32 { kSoundRenderMaxSeconds = 1800 };
// A new Ptr of frames x channels samples (caller disposes). paramErr (also for more than
// kSoundRenderMaxSeconds of sound), memFullErr.
OSErr RenduSonHorsLigne(const SoundRenderRequest *request, SInt16 **samples, UInt32 *frames,
                        SoundEngineStats *stats);
enum : UInt32 {
    kWavHeaderSize = 44,           // bytes before the samples of the WAV files written here
    kWavMaxFrames = 0x3FFFFFF0u / 4,
};
// Writes 16-bit PCM samples as a RIFF WAVE file: noErr, paramErr or ioErr.
OSErr EcritFichierWav(const char *path, const SInt16 *samples, UInt32 frames, UInt16 channels, UInt32 rate);
// The kWavHeaderSize bytes that open such a file of frames 16-bit frames (at most kWavMaxFrames).
void RemplitEnteteWav(UInt8 *header, UInt32 frames, UInt16 channels, UInt32 rate);
// Appends count samples to an open file in the little-endian order of WAV data: noErr or ioErr.
OSErr AjouteEchantillonsWav(FILE *file, const SInt16 *samples, size_t count);
