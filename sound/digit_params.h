// The digital output format: the rate, size and channels of the mixed samples, the synthesis
// voices, interpolation and reverb, and the pitch reference, as the player's quality setting
// and the output presets fill them.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt16 {
    kDigitMaxVoices = 512,     // voices any output may ask for
    kDigitPitchReference = 4400,  // tenths of Hz of the A above middle C: 440.0 Hz
};
enum : SInt16 { kDigitQualityLow = 0, kDigitQualityMedium = 1, kDigitQualityHigh = 2 };
enum : SInt16 { kDigitPresetDry = 0, kDigitPresetRoom = 1 };

struct DigitOutputParams {
    UInt32 rate;            // 16.16 fixed Hz
    SInt16 sampleSize;      // bits of an output sample: 16
    UInt8 stereo;           // 1: two channels, 0: one
    SInt16 voiceCount;      // synthesis voices the output allocates, 1..kDigitMaxVoices
    UInt8 cubic;            // 1: cubic interpolation of samples, 0: linear
    UInt8 reverb;           // 1: the reverb runs
    UInt16 reverbRoom;      // per mille: 0 a small room .. 1000 a hall (set by the preset)
    UInt16 reverbDamping;   // per mille of high frequencies lost at each reflection
    UInt16 reverbWet;       // per mille of reverb added to the dry sound
    SInt16 pitchReference;  // tenths of Hz of A4; below 1 counts as 4400
    UInt8 pitchSpare;       // set to 0 with the reference; read by nobody
};

extern DigitOutputParams GlobalDigitParam;  // main thread writes it before playing

// Fills the quality's rate, channels, voices and flags (16-bit samples), then preset 1 and
// the pitch reference 4400. A quality outside 0..2 counts as the nearest one.
void RemplitParamDigitQualite(DigitOutputParams *params, SInt16 quality);
// Fills the reverb fields of a preset (0 dry, 1 room: 0.5, 0.5, 0.2); paramErr and nothing
// changed for another number.
OSErr SetParamDigitPreset(DigitOutputParams *params, SInt16 preset);
// The output rate in whole Hz (the integer part of the 16.16 value).
UInt32 DigitRateHz(const DigitOutputParams *params);
