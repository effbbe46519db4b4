#include "support/audio_support.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/core/byte_reader.h"

namespace {

// A radix-2 FFT of n = 2^k points: bit-reversed order and, for each stage of half-length h
// (1, 2, 4 ... n / 2), its h twiddles e^(-pi i k / h), one stage after the other.
struct FftPlan {
    size_t n = 0;
    std::vector<float> cosines, sines;  // n - 1 each
    std::vector<uint32_t> reversed;     // n
};

FftPlan MakePlan(size_t n) {
    FftPlan plan;
    plan.n = n;
    for (size_t half = 1; half < n; half <<= 1) {
        for (size_t k = 0; k < half; k++) {
            plan.cosines.push_back(float(std::cos(M_PI * double(k) / double(half))));
            plan.sines.push_back(float(-std::sin(M_PI * double(k) / double(half))));
        }
    }
    plan.reversed.resize(n);
    for (size_t i = 1, j = 0; i < n; i++) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        plan.reversed[i] = uint32_t(j);
    }
    return plan;
}

// In place: re and im hold plan.n values each.
void Fft(const FftPlan &plan, float *re, float *im) {
    size_t n = plan.n;
    for (size_t i = 1; i < n; i++) {
        size_t j = plan.reversed[i];
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
    // The first two stages turn by 1, -1 and -i only.
    for (size_t i = 0; i + 1 < n; i += 2) {
        float xr = re[i + 1], xi = im[i + 1];
        re[i + 1] = re[i] - xr;
        im[i + 1] = im[i] - xi;
        re[i] += xr;
        im[i] += xi;
    }
    for (size_t i = 0; i + 3 < n; i += 4) {
        float xr = re[i + 2], xi = im[i + 2], yr = im[i + 3], yi = -re[i + 3];
        re[i + 2] = re[i] - xr;
        im[i + 2] = im[i] - xi;
        re[i] += xr;
        im[i] += xi;
        re[i + 3] = re[i + 1] - yr;
        im[i + 3] = im[i + 1] - yi;
        re[i + 1] += yr;
        im[i + 1] += yi;
    }
    const float *wr = plan.cosines.data() + 3, *wi = plan.sines.data() + 3;
    for (size_t half = 4; half < n; wr += half, wi += half, half <<= 1) {
        for (size_t i = 0; i < n; i += 2 * half) {
            float *ar = re + i, *ai = im + i, *br = ar + half, *bi = ai + half;
            for (size_t k = 0; k < half; k++) {
                float xr = br[k] * wr[k] - bi[k] * wi[k], xi = br[k] * wi[k] + bi[k] * wr[k];
                br[k] = ar[k] - xr;
                bi[k] = ai[k] - xi;
                ar[k] += xr;
                ai[k] += xi;
            }
        }
    }
}

// Plans are kept per size for the thread's later transforms.
const FftPlan &PlanFor(size_t n) {
    thread_local std::map<size_t, FftPlan> plans;
    auto found = plans.find(n);
    if (found == plans.end()) found = plans.emplace(n, MakePlan(n)).first;
    return found->second;
}

// Hann windows are kept per length too.
const std::vector<float> &Hann(size_t count) {
    thread_local std::map<size_t, std::vector<float>> windows;
    std::vector<float> &w = windows[count];
    if (w.size() != count) {
        w.resize(count);
        for (size_t i = 0; i < count; i++) w[i] = float(0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(count)));
    }
    return w;
}

// Magnitudes of bins 0 .. n/2 - 1 of the left channel's [from, from + length) seconds,
// Hann-windowed and zero-padded to n, a power of two at least pad times its samples; *size
// gets n.
std::vector<double> Spectrum(const Audio &a, double from, double length, size_t pad, size_t *size) {
    size_t first = size_t(std::max(0.0, from) * a.rate), count = size_t(length * a.rate);
    size_t n = 1;
    while (n < count * pad || n < 2) n <<= 1;
    const FftPlan &plan = PlanFor(n);
    std::vector<float> re(n, 0.0f), im(n, 0.0f);
    const std::vector<float> &w = Hann(count);
    for (size_t i = 0; i < count && first + i < a.left.size(); i++) re[i] = a.left[first + i] * w[i];
    Fft(plan, re.data(), im.data());
    std::vector<double> magnitude(n / 2);
    for (size_t i = 0; i < n / 2; i++) magnitude[i] = std::sqrt(double(re[i]) * re[i] + double(im[i]) * im[i]);
    *size = n;
    return magnitude;
}

}  // namespace

// A RIFF WAVE file: "RIFF", size, "WAVE", then chunks of a four-letter id, a little-endian
// length and the bytes (padded to an even length): "fmt " holds the format (1 is PCM), the
// channel count, the rate and at offset 14 the bits per sample; "data" holds the samples, read
// a block at a time.
bool ReadWav(const std::string &path, Audio *audio) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    size_t dataSize = 0;
    bool found = false;
    unsigned char header[12];
    if (fread(header, 1, sizeof header, f) == sizeof header && memcmp(header, "RIFF", 4) == 0 &&
        memcmp(header + 8, "WAVE", 4) == 0) {
        unsigned char chunk[8], fmt[16];
        while (!found && fread(chunk, 1, sizeof chunk, f) == sizeof chunk) {
            ByteReader r = OrvaByteReader(chunk + 4, 4);
            long length = long(Get32LE(&r));
            if (memcmp(chunk, "data", 4) == 0) {
                dataSize = size_t(length);
                found = true;
            } else if (memcmp(chunk, "fmt ", 4) == 0 && length >= 16 && fread(fmt, 1, 16, f) == 16) {
                ByteReader c = OrvaByteReader(fmt, sizeof fmt);
                format = Get16LE(&c);
                channels = Get16LE(&c);
                rate = int(Get32LE(&c));
                Skip(&c, 6);
                bits = Get16LE(&c);
                if (fseek(f, length - 16 + length % 2, SEEK_CUR) != 0) break;
            } else if (fseek(f, length + length % 2, SEEK_CUR) != 0) {
                break;
            }
        }
    }
    if (!found || format != 1 || bits != 16 || channels < 1 || channels > 8 || rate < 1) {
        fclose(f);
        return false;
    }
    Audio &a = *audio;
    a = Audio();
    a.rate = rate;
    a.channels = channels;
    const size_t frameBytes = 2 * size_t(channels);
    std::vector<unsigned char> block(4096 * frameBytes);
    size_t left = dataSize / frameBytes * frameBytes, got;
    a.left.reserve(left / frameBytes);
    a.right.reserve(left / frameBytes);
    while (left > 0 && (got = fread(block.data(), 1, std::min(left, block.size()), f)) >= frameBytes) {
        got -= got % frameBytes;
        left -= got;
        ByteReader in = OrvaByteReader(block.data(), got);
        for (size_t i = 0; i < got / frameBytes; i++) {
            a.left.push_back(SInt16(Get16LE(&in)) / 32768.0f);
            Skip(&in, frameBytes - (channels > 1 ? 4 : 2));
            a.right.push_back(channels > 1 ? SInt16(Get16LE(&in)) / 32768.0f : a.left.back());
        }
    }
    fclose(f);
    return true;
}

Audio AudioFrom(const short *samples, size_t frames, int channels, int rate) {
    Audio a;
    a.rate = rate;
    a.channels = channels;
    a.left.resize(frames);
    a.right.resize(frames);
    for (size_t i = 0; i < frames; i++) {
        a.left[i] = samples[i * size_t(channels)] / 32768.0f;
        a.right[i] = samples[i * size_t(channels) + size_t(channels) - 1] / 32768.0f;
    }
    return a;
}

double LevelDb(const Audio &a, double from, double to) {
    size_t first = size_t(std::max(0.0, from) * a.rate), last = std::min(a.left.size(), size_t(to * a.rate));
    double sum = 0;
    for (size_t i = first; i < last; i++) sum += 0.5 * (a.left[i] * a.left[i] + a.right[i] * a.right[i]);
    return last > first && sum > 0 ? 10 * std::log10(sum / double(last - first)) : -200;
}

double PeakDb(const Audio &a, double from, double to) {
    size_t first = size_t(std::max(0.0, from) * a.rate), last = std::min(a.left.size(), size_t(to * a.rate));
    double peak = 0;
    for (size_t i = first; i < last; i++) peak = std::max({peak, double(std::fabs(a.left[i])), double(std::fabs(a.right[i]))});
    return peak > 0 ? 20 * std::log10(peak) : -200;
}

// Zero-padded to a power of two; the peak's place from a parabola through the logarithms of
// the three bins around it, which a Hann window's peak nearly follows.
double DominantHz(const Audio &a, double from, double length) {
    size_t n;
    std::vector<double> m = Spectrum(a, from, length, 1, &n);
    size_t best = 1;
    for (size_t i = 1; i + 1 < m.size(); i++)
        if (m[i] > m[best]) best = i;
    double l = std::log(m[best - 1] + 1e-12), c = std::log(m[best] + 1e-12), r = std::log(m[best + 1] + 1e-12);
    double shift = (l - 2 * c + r) != 0 ? 0.5 * (l - r) / (l - 2 * c + r) : 0;
    return (double(best) + shift) * a.rate / double(n);
}

double RelativeMagnitudeAt(const Audio &a, double from, double length, double hz) {
    size_t n;
    std::vector<double> m = Spectrum(a, from, length, 4, &n);
    double strongest = *std::max_element(m.begin(), m.end()), near = 0;
    for (size_t i = 0; i < m.size(); i++) {
        double f = double(i) * a.rate / double(n);
        if (std::fabs(f - hz) <= 0.02 * hz) near = std::max(near, m[i]);
    }
    return strongest > 0 ? near / strongest : 0;
}

std::vector<double> Onsets(const Audio &a, double riseDb, double floorDb) {
    std::vector<double> onsets;
    double duration = double(a.left.size()) / a.rate;
    for (double t = 0; t + 0.01 < duration; t += 0.002) {
        double now = LevelDb(a, t, t + 0.01), before = LevelDb(a, t - 0.03, t);
        if (now > floorDb && now - before > riseDb && (onsets.empty() || t - onsets.back() > 0.1)) onsets.push_back(t);
    }
    return onsets;
}

std::vector<double> SpectralOnsets(const Audio &a, double floorDb, double riseDb) {
    // Above 32 kHz the sound is looked at in pairs of samples: onsets need no higher frequencies.
    const size_t pairs = a.rate >= 32000 ? 2 : 1;
    const double rate = double(a.rate) / double(pairs);
    const size_t hop = std::max<size_t>(1, size_t(rate / 200));    // 5 ms
    size_t n = 16;
    while (double(n) < rate / 50) n <<= 1;                         // about 20 ms
    const size_t back = (n + hop - 1) / hop, bins = n / 2;           // frames to the one before
    // The sound in mono, after a frame of silence: a note at the very start rises as any other.
    std::vector<float> mono(n + a.left.size() / pairs, 0.0f);
    for (size_t i = 0; i + n < mono.size(); i++) {
        float sum = 0;
        for (size_t j = i * pairs; j < (i + 1) * pairs; j++) sum += a.left[j] + a.right[j];
        mono[n + i] = sum / float(2 * pairs);
    }
    const size_t frames = (mono.size() - n) / hop + 1;
    const FftPlan &plan = PlanFor(n);
    const std::vector<float> &window = Hann(n);
    std::vector<float> re(n), im(n);
    double windowPower = 0;
    for (float w : window) windowPower += double(w) * w;
    // The power of a frame whose level is floorDb, as the bins sum it.
    const double floorPower = 0.5 * double(n) * windowPower * std::pow(10.0, floorDb / 10);
    std::vector<std::vector<float>> ring(back + 2, std::vector<float>(bins));  // the last spectra, two made at once
    std::vector<double> gained(frames), rise(frames), level(frames);
    for (size_t t = 0; t < frames; t += 2) {
        // Two frames in one transform: the first in the real part, the second in the imaginary.
        size_t s0 = t * hop, s1 = std::min(t + 1, frames - 1) * hop;
        float sum0 = 0, sum1 = 0;
        for (size_t i = 0; i < n; i++) {
            float x = mono[s0 + i], y = mono[s1 + i];
            sum0 += x * x;
            sum1 += y * y;
            re[i] = x * window[i];
            im[i] = y * window[i];
        }
        Fft(plan, re.data(), im.data());
        std::vector<float> &p0 = ring[t % ring.size()], &p1 = ring[(t + 1) % ring.size()];
        for (size_t k = 0; k < bins; k++) {
            size_t j = (n - k) % n;
            float ar = 0.5f * (re[k] + re[j]), ai = 0.5f * (im[k] - im[j]);
            float br = 0.5f * (im[k] + im[j]), bi = 0.5f * (re[j] - re[k]);
            p0[k] = ar * ar + ai * ai;
            p1[k] = br * br + bi * bi;
        }
        for (size_t u = t; u < std::min(t + 2, frames); u++) {
            const std::vector<float> &now = ring[u % ring.size()];
            float before = 0, gain = 0;
            if (u >= back) {
                const float *old = ring[(u - back) % ring.size()].data();
                for (size_t k = 0; k < bins; k++) {
                    float louder = std::max(old[k], std::max(old[k ? k - 1 : 0], old[k + 1 < bins ? k + 1 : k]));
                    before += louder;
                    gain += std::max(0.0f, now[k] - louder);
                }
            } else {
                for (size_t k = 0; k < bins; k++) gain += now[k];
            }
            gained[u] = gain;
            rise[u] = 10 * std::log10((before + gain + floorPower) / (before + floorPower));
            double meanSquare = (u == t ? sum0 : sum1) / double(n);
            level[u] = meanSquare > 0 ? 10 * std::log10(meanSquare) : -200;
        }
    }
    std::vector<double> onsets;
    const size_t around = std::max<size_t>(1, size_t(0.02 * rate) / hop);
    for (size_t t = 0; t < frames; t++) {
        if (rise[t] < riseDb || level[t] <= floorDb) continue;
        bool peak = true;
        for (size_t u = t > around ? t - around : 0; u <= std::min(frames - 1, t + around) && peak; u++)
            peak = rise[u] < rise[t] || (rise[u] == rise[t] && u >= t);
        if (!peak) continue;
        // Back to where the new sound first reached half of this frame's, between two frames.
        size_t first = t;
        while (first > 0 && t - first < 2 * back && gained[first - 1] >= 0.5 * gained[t]) first--;
        double at = double(first);
        if (first > 0 && gained[first] > gained[first - 1])
            at -= (gained[first] - 0.5 * gained[t]) / (gained[first] - gained[first - 1]);
        double time = std::max(0.0, at * double(hop) - 0.5 * double(n)) / rate;
        if (!onsets.empty() && time - onsets.back() < kOnsetGapSeconds) continue;
        onsets.push_back(time);
    }
    return onsets;
}
