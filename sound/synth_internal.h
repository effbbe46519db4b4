// The synthesiser's records, shared by its files only (see synth.h for the files' topics).
#pragma once

#include "sound/sound_bank.h"
#include "sound/synth.h"

enum : UInt8 { kVoiceFree = 0, kVoiceAttack, kVoiceHold, kVoiceDecay, kVoiceSustain, kVoiceRelease };
enum : UInt32 {
    kSynthWaveSize = 2048,        // samples of one period of the oscillator's wave
    kSynthCombs = 8,              // reverb combs per channel
    kSynthAllPasses = 4,          // reverb all-passes per channel
};

// One sounding note of one zone. Frame positions are 32.32 fixed point in the sample.
struct SynthVoice {
    UInt8 stage;              // kVoice...
    UInt8 oscillator;         // 1: plays the built-in wave instead of a sample
    UInt8 loopMode;           // kBankLoop...
    UInt8 channels;           // of the sample, 1 or 2
    UInt8 filtered;           // 1: the low-pass runs
    UInt16 staff;
    UInt32 serial;            // start order: the smallest is the oldest
    SInt64 releaseFrame;      // absolute frame where the release starts
    UInt32 startOffset;       // frames of the current step before the note starts
    const SInt16 *data;       // the sample's frames, owned by the bank
    UInt64 position, increment;
    UInt32 end, loopStart, loopEnd;  // frames
    float gainLeft, gainRight;       // velocity, zone gain and zone pan
    float env;                       // envelope level, 0..1
    float attackStep;                // added per frame during the attack
    UInt32 stageLeft;                // frames left in the attack or the hold
    UInt32 holdFrames;               // the hold that follows the attack
    float decayFactor, sustain, releaseFactor;  // per-frame factors towards sustain / silence
    float b0, b1, b2, a1, a2;        // low-pass coefficients
    float x1[2], x2[2], y1[2], y2[2];  // its last two inputs and outputs per channel
};

struct SynthComb {
    float *buffer;
    UInt32 length, index;
    float store;              // the damping low-pass's state
};
struct SynthAllPass {
    float *buffer;
    UInt32 length, index;
};
struct SynthReverb {
    SynthComb combs[2][kSynthCombs];
    SynthAllPass passes[2][kSynthAllPasses];
    float feedback, damp, wet;
};

struct SoundEngineRecord {
    UInt32 rate;
    UInt16 channels;
    UInt32 voiceLimit;        // voices that may sound, 1..kDigitMaxVoices
    UInt8 cubic;
    UInt8 reverbOn;
    float tuning;             // pitch reference / 4400
    UInt32 stepBase, stepRemainder, carry, maxStep;
    SInt64 position;          // frames mixed so far
    const SoundEvent *events;
    UInt32 eventCount, nextEvent;
    const BankInstrument **resolved;  // per event; kSynthOscillator or null (silent) too
    UInt32 resolvedCapacity;
    SoundStaffBlock *staves;
    UInt32 staffCount, staffCapacity;
    SoundStreamReader reader;
    SInt64 startMs;
    SynthVoice *voices;       // voiceLimit records
    UInt32 serial;
    float *bus;               // staffCapacity x maxStep x 2, left then right per staff
    UInt8 *busActive;         // per staff: 1 once its bus holds this step's sound
    UInt16 *activeList;
    UInt32 activeCount;
    float *mixLeft, *mixRight, *reverbIn;
    float *source;            // maxStep x 2: a voice's frames before the envelope
    float *envelope;          // maxStep
    SInt16 *streamSamples;    // room for one step of a stream at 44.1 kHz
    UInt32 streamRoom;
    float *wave;              // kSynthWaveSize + 1 samples of the oscillator
    SynthReverb reverb;
    SoundEngineStats stats;
};

// The marker in resolved[] for notes the oscillator plays.
extern const BankInstrument kSynthOscillator;

Ptr SynthAllocate(UInt32 size);          // NewPtrClear, counted for the allocation seam
void SynthFree(void *block);
// synth_voice.cpp
void DemarreVoixSon(SoundEngineRecord *e, SynthVoice *v, const SoundEvent *event, const BankZone *zone,
                    const BankSample *sample);
void DemarreVoixOscillateur(SoundEngineRecord *e, SynthVoice *v, const SoundEvent *event);
// Renders frames [from, to) of the step into the staff's bus; the voice may end (kVoiceFree).
void RendVoixSon(SoundEngineRecord *e, SynthVoice *v, UInt32 from, UInt32 to);
void CalculeOndeOscillateur(float *wave);
// synth_effects.cpp
OSErr PrepareReverbSon(SoundEngineRecord *e, const DigitOutputParams *params);
void LibereReverbSon(SoundEngineRecord *e);
float *BusPorteeSon(SoundEngineRecord *e, UInt32 staff);  // zeroed on first use in a step
void MixeFluxSon(SoundEngineRecord *e, UInt32 frames);
void MixeBusEtSortie(SoundEngineRecord *e, UInt32 frames, SInt16 *out);
