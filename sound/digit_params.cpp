#include "sound/digit_params.h"

#include "platform/core/errors.h"

// Rows of the quality setting: rate, channels, voices, cubic interpolation, reverb.
struct DigitQualityRow {
    UInt32 rateHz;
    UInt8 stereo;
    SInt16 voices;
    UInt8 cubic;
    UInt8 reverb;
};
static const DigitQualityRow kQualityRows[] = {
    {11025, 0, 32, 0, 0},
    {22050, 0, 64, 0, 1},
    {44100, 1, 512, 1, 1},
};

// Rows of the output presets: room size, damping and wet level, per mille.
struct DigitPresetRow {
    UInt16 room, damping, wet;
};
static const DigitPresetRow kPresetRows[] = {
    {500, 500, 0},
    {500, 500, 200},
};

DigitOutputParams GlobalDigitParam = {44100u << 16, 16, 1, 512, 1, 1, 500, 500, 200, kDigitPitchReference, 0};

void RemplitParamDigitQualite(DigitOutputParams *params, SInt16 quality) {
    if (quality < kDigitQualityLow) quality = kDigitQualityLow;
    if (quality > kDigitQualityHigh) quality = kDigitQualityHigh;
    const DigitQualityRow &row = kQualityRows[quality];
    params->rate = row.rateHz << 16;
    params->sampleSize = 16;
    params->stereo = row.stereo;
    params->voiceCount = row.voices;
    params->cubic = row.cubic;
    params->reverb = row.reverb;
    SetParamDigitPreset(params, kDigitPresetRoom);
    params->pitchReference = kDigitPitchReference;
    params->pitchSpare = 0;
}

OSErr SetParamDigitPreset(DigitOutputParams *params, SInt16 preset) {
    if (preset < 0 || preset >= SInt16(sizeof kPresetRows / sizeof kPresetRows[0])) return paramErr;
    params->reverbRoom = kPresetRows[preset].room;
    params->reverbDamping = kPresetRows[preset].damping;
    params->reverbWet = kPresetRows[preset].wet;
    return noErr;
}

UInt32 DigitRateHz(const DigitOutputParams *params) { return params->rate >> 16; }
