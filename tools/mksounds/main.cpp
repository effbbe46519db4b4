// mksounds OUTDIR: synthesises the plug-in's interface sounds into OUTDIR/sndID.snd, each the
// bytes of a 'snd ' resource (format 2, an extended header from the Sound Manager's own
// SetupSndHeader, then 16-bit big-endian mono samples at 22050 Hz), writes OUTDIR/sounds.desc
// listing them, and the system beep OUTDIR/beep.brt: 880 Hz for 150 ms, headerless signed
// 16-bit little-endian mono samples at 44100 Hz. Everything is computed, so every run gives
// the same bytes.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/gtk/sound_manager.h"

namespace {

const double kPi = 3.14159265358979323846;
const int kRate = 22050, kBeepRate = 44100;
const double kBeepHz = 880, kBeepSeconds = 0.150, kFadeSeconds = 0.005;
const double kLevel = 0.5;  // of full scale, at a sound's loudest
const SInt16 kBaseNote = 60;

// One struck tone: a fundamental with two fainter partials, dying away exponentially.
struct Strike {
    double at;      // seconds from the sound's start
    double hz;
    double decay;   // seconds for the level to fall by e
    double gain;    // 0..1
};

struct SoundRow {
    SInt16 id;
    const char *name;
    double seconds;
    Strike strikes[3];
    int strikeCount;
};

const double kC6 = 1046.50, kE6 = 1318.51, kG6 = 1567.98;

// 128 and 129 chime high and low (a film cue plays them in turn), 130 is the click of the
// film's buttons, 131 and 132 rise and fall, 133 is a double tick.
const SoundRow kSounds[] = {
    {128, "chime high", 0.60, {{0, kE6, 0.22, 1}}, 1},
    {129, "chime low", 0.70, {{0, kC6, 0.26, 1}}, 1},
    {130, "click", 0.03, {{0, 2400, 0.003, 1}}, 1},
    {131, "chime up", 0.80, {{0, kC6, 0.15, 0.8}, {0.12, kE6, 0.15, 0.8}, {0.24, kG6, 0.22, 1}}, 3},
    {132, "chime down", 0.80, {{0, kG6, 0.15, 0.8}, {0.12, kE6, 0.15, 0.8}, {0.24, kC6, 0.22, 1}}, 3},
    {133, "ticks", 0.20, {{0, 1800, 0.008, 1}, {0.1, 1800, 0.008, 1}}, 2},
};

std::vector<double> Synthesise(const SoundRow &sound);
bool WriteSnd(const std::vector<double> &samples, const std::string &path);
bool WriteBeep(const std::string &path);
bool WriteBytes(const std::string &path, const void *bytes, size_t size);
SInt16 ToSample(double value);

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: mksounds OUTDIR\n");
        return 2;
    }
    std::string folder = std::string(argv[1]) + "/";
    std::string description = "# The interface sounds of the plug-in, written by mksounds.\n";
    for (const SoundRow &sound : kSounds) {
        std::string leaf = "snd" + std::to_string(sound.id) + ".snd";
        if (!WriteSnd(Synthesise(sound), folder + leaf)) {
            std::fprintf(stderr, "mksounds: cannot write %s%s\n", folder.c_str(), leaf.c_str());
            return 1;
        }
        description += "\nresource 'snd ' " + std::to_string(sound.id) + " \"" + sound.name + "\"\n    file \"" + leaf + "\"\n";
    }
    if (!WriteBytes(folder + "sounds.desc", description.data(), description.size()) || !WriteBeep(folder + "beep.brt")) {
        std::fprintf(stderr, "mksounds: cannot write into %s\n", folder.c_str());
        return 1;
    }
    return 0;
}

namespace {

std::vector<double> Synthesise(const SoundRow &sound) {
    const double partials[3][2] = {{1, 1}, {2.0, 0.35}, {3.01, 0.15}};  // ratio, gain
    const double attack = 0.002;
    std::vector<double> out(size_t(sound.seconds * kRate), 0.0);
    for (int s = 0; s < sound.strikeCount; s++) {
        const Strike &k = sound.strikes[s];
        for (size_t i = size_t(k.at * kRate); i < out.size(); i++) {
            double t = double(i) / kRate - k.at;
            double envelope = k.gain * std::exp(-t / k.decay) * (t < attack ? t / attack : 1);
            for (const auto &p : partials) out[i] += envelope * p[1] * std::sin(2 * kPi * k.hz * p[0] * t);
        }
    }
    double peak = 0;
    for (double v : out) peak = std::fmax(peak, std::fabs(v));
    // The last 5 ms fade to nothing, so that no sound ends on a step.
    size_t fade = size_t(kFadeSeconds * kRate);
    for (size_t i = 0; i < out.size(); i++) {
        double tail = out.size() - i < fade ? double(out.size() - i) / fade : 1;
        out[i] = peak > 0 ? out[i] / peak * kLevel * tail : 0;
    }
    return out;
}

bool WriteSnd(const std::vector<double> &samples, const std::string &path) {
    Handle sound = NewHandle(0);
    if (!sound) return false;
    SInt16 headerLength = 0;
    OSErr err = SetupSndHeader(sound, 1, UInt32(kRate) << 16, 16, FourCC("NONE"), kBaseNote,
                               UInt32(samples.size() * 2), &headerLength);
    ByteWriter w = OrvaByteWriter(sound, size_t(headerLength));
    for (double v : samples) Put16(&w, UInt16(ToSample(v)));
    bool ok = err == noErr && FinishByteWriter(&w) && WriteBytes(path, *sound, w.size);
    DisposHandle(sound);
    return ok;
}

bool WriteBeep(const std::string &path) {
    size_t count = size_t(kBeepSeconds * kBeepRate), fade = size_t(kFadeSeconds * kBeepRate);
    Handle beep = NewHandle(0);
    if (!beep) return false;
    ByteWriter w = OrvaByteWriter(beep);
    for (size_t i = 0; i < count; i++) {
        double ramp = i < fade ? double(i) / fade : count - i < fade ? double(count - i) / fade : 1;
        Put16LE(&w, UInt16(ToSample(kLevel * ramp * std::sin(2 * kPi * kBeepHz * double(i) / kBeepRate))));
    }
    bool ok = FinishByteWriter(&w) && WriteBytes(path, *beep, w.size);
    DisposHandle(beep);
    return ok;
}

bool WriteBytes(const std::string &path, const void *bytes, size_t size) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

SInt16 ToSample(double value) { return SInt16(std::lround(std::fmax(-1.0, std::fmin(1.0, value)) * 32767)); }

}  // namespace
