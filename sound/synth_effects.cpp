// Staff buses and their peaks, audio streams, the reverb and the soft clip that make a step's
// output.
#include "sound/synth_internal.h"

#include <cmath>
#include <cstring>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"

// Reverb tuning: comb and all-pass delays in milliseconds (unrelated lengths, so that their
// echoes do not pile up), the right channel's delays a little longer for width.
static const float kCombMs[kSynthCombs] = {25.3f, 26.9f, 29.0f, 30.7f, 32.2f, 33.8f, 35.3f, 36.7f};
static const float kAllPassMs[kSynthAllPasses] = {12.6f, 10.0f, 7.7f, 5.1f};
static const float kRightSpreadMs = 0.52f;
static const float kReverbInputGain = 0.015f;  // the combs' sum is loud; this keeps the tail in range
static const float kReverbOutputGain = 3.0f;   // wet 1.0 gives a tail about as loud as the sound
static const float kAllPassFeedback = 0.5f;
static const float kAntiDenormal = 1e-18f;     // keeps silent delay lines out of denormal numbers
static const float kClipKnee = 0.8f;           // levels above are bent smoothly towards full scale

static UInt32 Frames(float ms, UInt32 rate);
static void Reverb(SynthReverb *r, const float *in, float *left, float *right, UInt32 frames);
static float SoftClip(float x);
static SInt16 ToSample(float x);

OSErr PrepareReverbSon(SoundEngineRecord *e, const DigitOutputParams *params) {
    SynthReverb *r = &e->reverb;
    r->feedback = 0.7f + 0.28f * params->reverbRoom / 1000.0f;
    r->damp = 0.4f * params->reverbDamping / 1000.0f;
    r->wet = kReverbOutputGain * params->reverbWet / 1000.0f;
    for (UInt32 c = 0; c < 2; c++) {
        float spread = c ? kRightSpreadMs : 0.0f;
        for (UInt32 i = 0; i < kSynthCombs; i++) {
            SynthComb *comb = &r->combs[c][i];
            comb->length = Frames(kCombMs[i] + spread, e->rate);
            comb->buffer = reinterpret_cast<float *>(SynthAllocate(comb->length * sizeof(float)));
            if (!comb->buffer) return memFullErr;
        }
        for (UInt32 i = 0; i < kSynthAllPasses; i++) {
            SynthAllPass *pass = &r->passes[c][i];
            pass->length = Frames(kAllPassMs[i] + spread, e->rate);
            pass->buffer = reinterpret_cast<float *>(SynthAllocate(pass->length * sizeof(float)));
            if (!pass->buffer) return memFullErr;
        }
    }
    return noErr;
}

void LibereReverbSon(SoundEngineRecord *e) {
    for (UInt32 c = 0; c < 2; c++) {
        for (UInt32 i = 0; i < kSynthCombs; i++) SynthFree(e->reverb.combs[c][i].buffer);
        for (UInt32 i = 0; i < kSynthAllPasses; i++) SynthFree(e->reverb.passes[c][i].buffer);
    }
    memset(&e->reverb, 0, sizeof e->reverb);
}

float *BusPorteeSon(SoundEngineRecord *e, UInt32 staff) {
    float *bus = e->bus + size_t(staff) * e->maxStep * 2;
    if (!e->busActive[staff]) {
        memset(bus, 0, e->maxStep * 2 * sizeof(float));
        e->busActive[staff] = 1;
        e->activeList[e->activeCount++] = UInt16(staff);
    }
    return bus;
}

// Each heard staff with a stream adds its samples at the played position, resampled from
// 44.1 kHz by straight lines between samples.
void MixeFluxSon(SoundEngineRecord *e, UInt32 frames) {
    if (!e->reader.read) return;
    double step = double(kSynthStreamRate) / e->rate;
    double base = e->startMs * (kSynthStreamRate / 1000.0) + double(e->position) * step;
    SInt64 first = SInt64(std::floor(base));
    SInt32 count = SInt32(frames * step) + 3;
    if (UInt32(count) > e->streamRoom) count = SInt32(e->streamRoom);
    for (UInt32 s = 0; s < e->staffCount; s++) {
        const SoundStaffBlock *block = &e->staves[s];
        if (!block->stream || !block->heard || first < 0) continue;
        StartFluxCriticalSection();
        SInt32 got = e->reader.read(e->reader.context, block->stream, first, count, e->streamSamples);
        EndFluxCriticalSection();
        if (got <= 0) continue;
        if (got > count) got = count;
        memset(e->streamSamples + got, 0, size_t(count - got) * sizeof(SInt16));
        float *left = BusPorteeSon(e, s), *right = left + e->maxStep;
        const SInt16 *in = e->streamSamples;
        for (UInt32 i = 0; i < frames; i++) {
            double x = base + i * step - double(first);
            SInt32 at = SInt32(x);
            if (at + 1 >= count) break;
            float t = float(x - at);
            float sample = (in[at] + (in[at + 1] - in[at]) * t) * (1.0f / 32768.0f);
            left[i] += sample;
            right[i] += sample;
        }
    }
}

// Staff buses at their volume and pan into the mix (peaks kept per staff), the reverb on the
// mix, then the soft clip into 16-bit frames.
void MixeBusEtSortie(SoundEngineRecord *e, UInt32 frames, SInt16 *out) {
    float *mixLeft = e->mixLeft, *mixRight = e->mixRight;
    memset(mixLeft, 0, frames * sizeof(float));
    memset(mixRight, 0, frames * sizeof(float));
    for (UInt32 s = 0; s < e->staffCount; s++) {
        SoundStaffBlock *block = &e->staves[s];
        if (!e->busActive[s]) {
            block->peakLeft = block->peakRight = 0;
            continue;
        }
        float volume = block->heard ? (block->volume > 127 ? 127 : block->volume) / 127.0f : 0.0f;
        float pan = block->pan < -100 ? -1.0f : block->pan > 100 ? 1.0f : block->pan / 100.0f;
        float gl = volume * (pan > 0 ? 1 - pan : 1), gr = volume * (pan < 0 ? 1 + pan : 1);
        const float *left = e->bus + size_t(s) * e->maxStep * 2, *right = left + e->maxStep;
        float peakLeft = 0, peakRight = 0;
        for (UInt32 i = 0; i < frames; i++) {
            float l = left[i] * gl, r = right[i] * gr;
            mixLeft[i] += l;
            mixRight[i] += r;
            float al = std::fabs(l), ar = std::fabs(r);
            peakLeft = al > peakLeft ? al : peakLeft;
            peakRight = ar > peakRight ? ar : peakRight;
        }
        block->peakLeft = UInt16(std::fmin(peakLeft * kSynthPeakFullScale, 65535.0f));
        block->peakRight = UInt16(std::fmin(peakRight * kSynthPeakFullScale, 65535.0f));
    }
    for (UInt32 a = 0; a < e->activeCount; a++) e->busActive[e->activeList[a]] = 0;
    e->activeCount = 0;
    if (e->reverbOn && e->reverb.wet > 0) {
        float *in = e->reverbIn;
        for (UInt32 i = 0; i < frames; i++) in[i] = (mixLeft[i] + mixRight[i]) * kReverbInputGain + kAntiDenormal;
        Reverb(&e->reverb, in, mixLeft, mixRight, frames);
    }
    if (e->channels == 2) {
        for (UInt32 i = 0; i < frames; i++) {
            out[2 * i] = ToSample(mixLeft[i]);
            out[2 * i + 1] = ToSample(mixRight[i]);
        }
    } else {
        for (UInt32 i = 0; i < frames; i++) out[i] = ToSample(0.5f * (mixLeft[i] + mixRight[i]));
    }
}

static UInt32 Frames(float ms, UInt32 rate) {
    UInt32 frames = UInt32(ms * rate / 1000.0f + 0.5f);
    return frames < 1 ? 1 : frames;
}

// Per channel: eight damped feedback combs side by side, then four all-passes in a row; the
// result is added to the channel at the wet level.
static void Reverb(SynthReverb *r, const float *in, float *left, float *right, UInt32 frames) {
    float *outs[2] = {left, right};
    // In locals: the delay lines' stores could alias the record's fields.
    const float damp = r->damp, undamped = 1.0f - r->damp, feedback = r->feedback;
    for (UInt32 c = 0; c < 2; c++) {
        float *out = outs[c];
        for (UInt32 i = 0; i < frames; i++) {
            float x = in[i], sum = 0.0f;
            for (UInt32 k = 0; k < kSynthCombs; k++) {
                SynthComb *comb = &r->combs[c][k];
                float y = comb->buffer[comb->index];
                comb->store = y * undamped + comb->store * damp;
                comb->buffer[comb->index] = x + comb->store * feedback;
                if (++comb->index == comb->length) comb->index = 0;
                sum += y;
            }
            for (UInt32 k = 0; k < kSynthAllPasses; k++) {
                SynthAllPass *pass = &r->passes[c][k];
                float b = pass->buffer[pass->index];
                pass->buffer[pass->index] = sum + b * kAllPassFeedback;
                if (++pass->index == pass->length) pass->index = 0;
                sum = b - sum;
            }
            out[i] += sum * r->wet;
        }
    }
}

static float SoftClip(float x) {
    float a = std::fabs(x);
    if (a <= kClipKnee) return x;
    float bent = kClipKnee + (1.0f - kClipKnee) * std::tanh((a - kClipKnee) / (1.0f - kClipKnee));
    return x < 0 ? -bent : bent;
}

static SInt16 ToSample(float x) {
    float y = SoftClip(x) * 32767.0f;
    if (!(y == y)) return 0;  // never let a NaN through
    return SInt16(y > 32767.0f ? 32767.0f : y < -32768.0f ? -32768.0f : y);
}
