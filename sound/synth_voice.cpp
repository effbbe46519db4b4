// One voice: starting it from a zone or the oscillator, its envelope, its frames and its
// low-pass, mixed into its staff's bus.
#include "sound/synth_internal.h"

#include <cmath>
#include <cstring>

static const float kSilence = 1e-5f;          // -100 dB: a decaying voice below it has ended
static const float kFixedOne = 4294967296.0f; // 1.0 in 32.32 fixed point
static const UInt32 kMinimumReleaseMs = 2;    // shorter releases click
static const double kMaxRatio = 64.0;         // six octaves above the recorded pitch at most

// The built-in oscillator's note shape: a soft organ-like tone.
struct OscillatorShape {
    UInt16 attackMs, decayMs, sustain, releaseMs;  // sustain per mille
    float gain;
};
static const OscillatorShape kOscillatorShape = {5, 1500, 500, 150, 0.5f};

static void StartEnvelope(SoundEngineRecord *e, SynthVoice *v, UInt32 attackMs, UInt32 holdMs, UInt32 decayMs,
                          UInt32 sustain, UInt32 releaseMs);
static float FactorOver(UInt32 rate, UInt32 ms);
static void SetLowPass(SoundEngineRecord *e, SynthVoice *v, UInt32 cutoff, UInt32 resonance);
static UInt32 ChunkLength(SoundEngineRecord *e, SynthVoice *v, UInt32 frame, UInt32 frames);
static void Envelope(SynthVoice *v, float *env, UInt32 n);
static float Decline(float level, float factor, float floor, float *env, UInt32 n);
static UInt32 SampleFrames(SoundEngineRecord *e, SynthVoice *v, float *out, UInt32 n);
static UInt32 OscillatorFrames(SoundEngineRecord *e, SynthVoice *v, float *out, UInt32 n);
static float FrameAt(const SynthVoice *v, SInt64 frame, UInt32 channel, bool looping);
static void LowPass(SynthVoice *v, float *samples, UInt32 n);
static void MixInto(SoundEngineRecord *e, SynthVoice *v, UInt32 at, UInt32 n);

void DemarreVoixSon(SoundEngineRecord *e, SynthVoice *v, const SoundEvent *event, const BankZone *zone,
                    const BankSample *sample) {
    UInt32 serial = v->serial;
    memset(v, 0, sizeof *v);
    v->serial = serial;
    v->staff = event->staff;
    v->releaseFrame = event->onset + event->length;
    v->data = sample->data;
    v->channels = UInt8(sample->channels);
    v->loopMode = zone->loopMode;
    v->end = zone->end;
    v->loopStart = zone->loopStart;
    v->loopEnd = zone->loopEnd;
    v->position = UInt64(zone->start) << 32;
    double semitones = double(event->key) - zone->rootKey + zone->tune / 100.0;
    double ratio = std::exp2(semitones / 12.0) * sample->rate / e->rate * e->tuning;
    v->increment = UInt64((ratio > kMaxRatio ? kMaxRatio : ratio) * kFixedOne);
    float velocity = event->velocity / 127.0f;
    float gain = velocity * velocity * std::pow(10.0f, zone->gain / 200.0f);
    float pan = zone->pan / 500.0f;
    v->gainLeft = gain * (pan > 0 ? 1 - pan : 1);
    v->gainRight = gain * (pan < 0 ? 1 + pan : 1);
    StartEnvelope(e, v, zone->attack, zone->hold, zone->decay, zone->sustain, zone->release);
    SetLowPass(e, v, zone->cutoff, zone->resonance);
}

void DemarreVoixOscillateur(SoundEngineRecord *e, SynthVoice *v, const SoundEvent *event) {
    UInt32 serial = v->serial;
    memset(v, 0, sizeof *v);
    v->serial = serial;
    v->oscillator = 1;
    v->channels = 1;
    v->loopMode = kBankLoopContinuous;
    v->staff = event->staff;
    v->releaseFrame = event->onset + event->length;
    double hz = 440.0 * std::exp2((event->key - 69) / 12.0) * e->tuning;
    v->increment = UInt64(hz * kSynthWaveSize / e->rate * kFixedOne);
    float velocity = event->velocity / 127.0f;
    v->gainLeft = v->gainRight = velocity * velocity * kOscillatorShape.gain;
    const OscillatorShape &s = kOscillatorShape;
    StartEnvelope(e, v, s.attackMs, 0, s.decayMs, s.sustain, s.releaseMs);
}

void RendVoixSon(SoundEngineRecord *e, SynthVoice *v, UInt32 from, UInt32 to) {
    UInt32 frame = from;
    while (frame < to && v->stage != kVoiceFree) {
        UInt32 n = ChunkLength(e, v, frame, to - frame);
        if (n == 0) continue;  // the release started at this frame
        Envelope(v, e->envelope, n);
        UInt32 made = v->oscillator ? OscillatorFrames(e, v, e->source, n) : SampleFrames(e, v, e->source, n);
        if (v->filtered) LowPass(v, e->source, made);
        MixInto(e, v, frame, made);
        if (made < n) v->stage = kVoiceFree;  // the sample ended
        frame += n;
    }
}

// One period of the oscillator: a fundamental with two quieter harmonics; the extra last
// sample repeats the first so interpolation needs no wrap.
void CalculeOndeOscillateur(float *wave) {
    const double kTwoPi = 6.283185307179586;
    for (UInt32 i = 0; i <= kSynthWaveSize; i++) {
        double phase = kTwoPi * (i % kSynthWaveSize) / kSynthWaveSize;
        wave[i] = float((std::sin(phase) + 0.4 * std::sin(2 * phase) + 0.2 * std::sin(3 * phase)) / 1.35);
    }
}

// Attack linear in level; decay and release fall 100 dB over their time, the decay stopping
// at the sustain level.
static void StartEnvelope(SoundEngineRecord *e, SynthVoice *v, UInt32 attackMs, UInt32 holdMs, UInt32 decayMs,
                          UInt32 sustain, UInt32 releaseMs) {
    UInt32 attack = UInt32(UInt64(attackMs) * e->rate / 1000);
    v->holdFrames = UInt32(UInt64(holdMs) * e->rate / 1000);
    v->stage = attack ? kVoiceAttack : kVoiceHold;
    v->env = attack ? 0.0f : 1.0f;
    v->attackStep = attack ? 1.0f / attack : 0.0f;
    v->stageLeft = attack ? attack : v->holdFrames;
    v->sustain = sustain / 1000.0f;
    v->decayFactor = FactorOver(e->rate, decayMs);
    v->releaseFactor = FactorOver(e->rate, releaseMs < kMinimumReleaseMs ? kMinimumReleaseMs : releaseMs);
}

// The per-frame factor that takes a level down 100 dB in ms milliseconds (0 for no time).
static float FactorOver(UInt32 rate, UInt32 ms) {
    double frames = double(ms) * rate / 1000.0;
    return frames < 1 ? 0.0f : float(std::exp(std::log(1e-5) / frames));
}

static void SetLowPass(SoundEngineRecord *e, SynthVoice *v, UInt32 cutoff, UInt32 resonance) {
    v->filtered = cutoff > 0 && cutoff < 0.45 * e->rate;
    if (!v->filtered) return;
    const double kPi = 3.141592653589793;
    double w0 = 2 * kPi * cutoff / e->rate, q = 0.7071 * std::pow(10.0, resonance / 200.0);
    double alpha = std::sin(w0) / (2 * q), c = std::cos(w0), a0 = 1 + alpha;
    v->b0 = float((1 - c) / 2 / a0);
    v->b1 = float((1 - c) / a0);
    v->b2 = v->b0;
    v->a1 = float(-2 * c / a0);
    v->a2 = float((1 - alpha) / a0);
}

// Takes the stage changes due at this frame and answers how many frames can be rendered
// before the next one (0 after a change: the caller asks again).
static UInt32 ChunkLength(SoundEngineRecord *e, SynthVoice *v, UInt32 frame, UInt32 frames) {
    SInt64 now = e->position + frame;
    UInt32 n = frames;
    if (v->stage != kVoiceRelease) {
        if (now >= v->releaseFrame) {
            v->stage = kVoiceRelease;
            return 0;
        }
        if (v->releaseFrame - now < SInt64(n)) n = UInt32(v->releaseFrame - now);
    }
    if (v->stage == kVoiceAttack || v->stage == kVoiceHold) {
        if (v->stageLeft == 0) {
            if (v->stage == kVoiceAttack) v->env = 1.0f;
            v->stage = v->stage == kVoiceAttack ? kVoiceHold : kVoiceDecay;
            v->stageLeft = v->stage == kVoiceHold ? v->holdFrames : 0;
            return 0;
        }
        if (v->stageLeft < n) n = v->stageLeft;
    }
    return n;
}

static void Envelope(SynthVoice *v, float *env, UInt32 n) {
    float level = v->env;
    switch (v->stage) {
    case kVoiceAttack: {
        const float step = v->attackStep;
        for (UInt32 i = 0; i < n; i++) {
            float l = level + step * float(i + 1);
            env[i] = l < 1.0f ? l : 1.0f;
        }
        level += step * float(n);
        v->stageLeft -= n;
        break;
    }
    case kVoiceDecay:
        level = Decline(level, v->decayFactor, v->sustain, env, n);
        if (level <= v->sustain) v->stage = kVoiceSustain;
        break;
    case kVoiceRelease:
        level = Decline(level, v->releaseFactor, 0.0f, env, n);
        break;
    default:
        if (v->stage == kVoiceHold) v->stageLeft -= n;
        for (UInt32 i = 0; i < n; i++) env[i] = level;
        break;
    }
    v->env = level;
    if (level < kSilence && v->stage != kVoiceAttack && v->stage != kVoiceHold) v->stage = kVoiceFree;
}

// level x factor^(i + 1), not below floor, for the n frames; answers the last. Four chains of
// products, each a step of factor^4, so that the frames do not wait for each other.
static float Decline(float level, float factor, float floor, float *env, UInt32 n) {
    float f2 = factor * factor, f4 = f2 * f2;
    float l[4] = {level * factor, level * f2, level * f2 * factor, level * f4};
    UInt32 i = 0;
    for (; i + 4 <= n; i += 4) {
        for (UInt32 k = 0; k < 4; k++) {
            env[i + k] = l[k] > floor ? l[k] : floor;
            l[k] *= f4;
        }
    }
    for (UInt32 k = 0; i < n; i++, k++) env[i] = l[k] > floor ? l[k] : floor;
    return n ? env[n - 1] : level;
}

template <bool kCubic>
static inline float Interpolate(float s0, float s1, float s2, float s3, float t) {
    if (!kCubic) return s1 + (s2 - s1) * t;
    float a = -0.5f * s0 + 1.5f * s1 - 1.5f * s2 + 0.5f * s3;
    float b = s0 - 2.5f * s1 + 2.0f * s2 - 0.5f * s3;
    float c = 0.5f * (s2 - s0);
    return ((a * t + b) * t + c) * t + s1;
}

// The voice's next n frames of its sample (channels interleaved, full scale 1.0); fewer when
// the sample ends without a loop. The channel count is a template argument so that mono
// samples, the most common, run without an inner loop.
template <bool kCubic, UInt32 kChannels>
static UInt32 SampleFramesOf(SynthVoice *v, float *out, UInt32 n) {
    const float kScale = 1.0f / 32768.0f, kFraction = 1.0f / kFixedOne;
    const UInt32 ch = kChannels;
    bool looping = v->loopMode == kBankLoopContinuous || (v->loopMode == kBankLoopUntilRelease && v->stage != kVoiceRelease);
    UInt32 limit = looping ? v->loopEnd : v->end;
    UInt64 loopStart = UInt64(v->loopStart) << 32, loopLength = UInt64(v->loopEnd - v->loopStart) << 32;
    UInt64 pos = v->position;
    const UInt64 increment = v->increment;
    const SInt16 *d = v->data;
    for (UInt32 i = 0; i < n; i++) {
        UInt32 idx = UInt32(pos >> 32);
        if (idx >= limit) {
            if (!looping) {
                v->position = pos;
                return i;
            }
            pos = loopStart + (pos - loopStart) % loopLength;
            idx = UInt32(pos >> 32);
        }
        float t = float(pos & 0xFFFFFFFFu) * kFraction;
        if (idx >= 1 && idx + 2 < limit) {
            const SInt16 *p = d + size_t(idx - 1) * ch;
            for (UInt32 c = 0; c < ch; c++)
                out[i * ch + c] = Interpolate<kCubic>(p[c], p[ch + c], p[2 * ch + c], p[3 * ch + c], t) * kScale;
        } else {
            for (UInt32 c = 0; c < ch; c++) {
                float s0 = FrameAt(v, SInt64(idx) - 1, c, looping), s1 = FrameAt(v, idx, c, looping);
                float s2 = FrameAt(v, SInt64(idx) + 1, c, looping), s3 = FrameAt(v, SInt64(idx) + 2, c, looping);
                out[i * ch + c] = Interpolate<kCubic>(s0, s1, s2, s3, t) * kScale;
            }
        }
        pos += increment;
    }
    v->position = pos;
    return n;
}

static UInt32 SampleFrames(SoundEngineRecord *e, SynthVoice *v, float *out, UInt32 n) {
    if (v->channels == 2) return e->cubic ? SampleFramesOf<true, 2>(v, out, n) : SampleFramesOf<false, 2>(v, out, n);
    return e->cubic ? SampleFramesOf<true, 1>(v, out, n) : SampleFramesOf<false, 1>(v, out, n);
}

static UInt32 OscillatorFrames(SoundEngineRecord *e, SynthVoice *v, float *out, UInt32 n) {
    const float kFraction = 1.0f / kFixedOne;
    const UInt64 kWrap = (UInt64(kSynthWaveSize) << 32) - 1;
    const float *w = e->wave;
    UInt64 pos = v->position;
    for (UInt32 i = 0; i < n; i++) {
        UInt32 idx = UInt32(pos >> 32);
        float t = float(pos & 0xFFFFFFFFu) * kFraction;
        out[i] = w[idx] + (w[idx + 1] - w[idx]) * t;
        pos = (pos + v->increment) & kWrap;
    }
    v->position = pos;
    return n;
}

// A frame near the ends of the played range: past the loop's end the loop goes on, past the
// sample's end and before its start there is silence.
static float FrameAt(const SynthVoice *v, SInt64 frame, UInt32 channel, bool looping) {
    if (frame < 0) return 0.0f;
    if (looping && frame >= SInt64(v->loopEnd)) frame = v->loopStart + (frame - v->loopEnd) % (v->loopEnd - v->loopStart);
    if (frame >= SInt64(v->end)) return 0.0f;
    return v->data[size_t(frame) * v->channels + channel];
}

// Direct form I: the part of each output that the output just before does not touch is
// summed first, so that one multiply and one subtraction stand between two outputs.
static void LowPass(SynthVoice *v, float *samples, UInt32 n) {
    UInt32 ch = v->channels;
    // The coefficients in locals: stores into samples could alias the voice's fields, which
    // would make every frame read them again.
    const float b0 = v->b0, b1 = v->b1, b2 = v->b2, a1 = v->a1, a2 = v->a2;
    const float kTiny = 1e-20f;
    for (UInt32 c = 0; c < ch; c++) {
        float x1 = v->x1[c], x2 = v->x2[c], y1 = v->y1[c], y2 = v->y2[c];
        for (UInt32 i = 0; i < n; i++) {
            float x = samples[i * ch + c];
            float y = (b0 * x + b1 * x1 + b2 * x2 - a2 * y2) - a1 * y1;
            x2 = x1, x1 = x, y2 = y1, y1 = y;
            samples[i * ch + c] = y;
        }
        // Tiny states left by silence would slow every later frame down.
        v->x1[c] = x1, v->x2[c] = x2;
        v->y1[c] = std::fabs(y1) < kTiny ? 0.0f : y1;
        v->y2[c] = std::fabs(y2) < kTiny ? 0.0f : y2;
    }
}

static void MixInto(SoundEngineRecord *e, SynthVoice *v, UInt32 at, UInt32 n) {
    float *left = BusPorteeSon(e, v->staff) + at, *right = left + e->maxStep;
    const float *src = e->source, *env = e->envelope;
    float gl = v->gainLeft, gr = v->gainRight;
    if (v->channels == 1) {
        for (UInt32 i = 0; i < n; i++) {
            float s = src[i] * env[i];
            left[i] += s * gl;
            right[i] += s * gr;
        }
    } else {
        for (UInt32 i = 0; i < n; i++) {
            left[i] += src[2 * i] * env[i] * gl;
            right[i] += src[2 * i + 1] * env[i] * gr;
        }
    }
}
