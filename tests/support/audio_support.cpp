#include "support/audio_support.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>

namespace {

unsigned Le(const unsigned char *p, int n) {
    unsigned v = 0;
    for (int i = n - 1; i >= 0; i--) v = v << 8 | p[i];
    return v;
}

// In-place radix-2 FFT of a power-of-two length.
void Fft(std::vector<std::complex<double>> *data) {
    std::vector<std::complex<double>> &x = *data;
    size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; i++) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        std::complex<double> w = std::polar(1.0, -2 * M_PI / double(len));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> t = 1;
            for (size_t k = 0; k < len / 2; k++, t *= w) {
                std::complex<double> u = x[i + k], v = x[i + k + len / 2] * t;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
            }
        }
    }
}

std::vector<double> Spectrum(const Audio &a, double from, double length, size_t *size) {
    size_t first = size_t(std::max(0.0, from) * a.rate), count = size_t(length * a.rate);
    size_t n = 1;
    while (n < count * 4) n <<= 1;  // zero-padded for finer bins
    std::vector<std::complex<double>> x(n, 0.0);
    for (size_t i = 0; i < count && first + i < a.left.size(); i++)
        x[i] = a.left[first + i] * (0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(count)));
    Fft(&x);
    std::vector<double> magnitude(n / 2);
    for (size_t i = 0; i < n / 2; i++) magnitude[i] = std::abs(x[i]);
    *size = n;
    return magnitude;
}

}  // namespace

bool ReadWav(const std::string &path, Audio *audio) {
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return false;
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0) bytes.insert(bytes.end(), block, block + got);
    fclose(f);
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" || Le(&bytes[20], 2) != 1 ||
        Le(&bytes[34], 2) != 16 || std::string(bytes.begin() + 36, bytes.begin() + 40) != "data")
        return false;
    int channels = int(Le(&bytes[22], 2));
    size_t frames = std::min<size_t>(Le(&bytes[40], 4), bytes.size() - 44) / (2 * channels);
    std::vector<short> samples(frames * channels);
    for (size_t i = 0; i < samples.size(); i++) samples[i] = short(Le(&bytes[44 + 2 * i], 2));
    *audio = AudioFrom(samples.data(), frames, channels, int(Le(&bytes[24], 4)));
    return true;
}

Audio AudioFrom(const short *samples, size_t frames, int channels, int rate) {
    Audio a;
    a.rate = rate;
    a.channels = channels;
    for (size_t i = 0; i < frames; i++) {
        a.left.push_back(samples[i * channels] / 32768.0f);
        a.right.push_back(samples[i * channels + channels - 1] / 32768.0f);
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

double DominantHz(const Audio &a, double from, double length) {
    size_t n;
    std::vector<double> m = Spectrum(a, from, length, &n);
    size_t best = 1;
    for (size_t i = 1; i + 1 < m.size(); i++)
        if (m[i] > m[best]) best = i;
    double l = m[best - 1], c = m[best], r = m[best + 1];
    double shift = (l - 2 * c + r) != 0 ? 0.5 * (l - r) / (l - 2 * c + r) : 0;
    return (double(best) + shift) * a.rate / double(n);
}

double RelativeMagnitudeAt(const Audio &a, double from, double length, double hz) {
    size_t n;
    std::vector<double> m = Spectrum(a, from, length, &n);
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

std::vector<double> SpectralOnsets(const Audio &a, double floorDb) {
    const double hop = 0.002, frame = 0.01, back = 0.02, apart = 0.1, threshold = 0.3;
    double duration = double(a.left.size()) / a.rate;
    const double window = 1.0, span = 24;  // a note stands within 24 dB of the last second's loudest
    std::vector<double> times, flux, levels;
    std::vector<std::vector<double>> history;  // the spectra of the frames before
    size_t lag = size_t(std::lround(back / hop));
    for (double t = 0; t + frame < duration; t += hop) {
        size_t n;
        std::vector<double> m = Spectrum(a, t, frame, &n);
        double rise = 0, total = 0;
        const std::vector<double> *old = history.size() >= lag ? &history[history.size() - lag] : nullptr;
        for (size_t k = 0; k < m.size(); k++) {
            total += m[k];
            rise += std::max(0.0, m[k] - (old ? (*old)[k] : 0.0));
        }
        history.push_back(std::move(m));
        times.push_back(t);
        double level = LevelDb(a, t, t + frame), before = LevelDb(a, t - back, t - back + frame), loudest = level;
        for (size_t j = levels.size(); j > 0 && times[j - 1] > t - window; j--) loudest = std::max(loudest, levels[j - 1]);
        levels.push_back(level);
        flux.push_back(total > 0 && level > floorDb && level > before - 3 && level > loudest - span ? rise / total : 0);
    }
    std::vector<double> onsets;
    for (size_t i = 0; i < flux.size(); i++) {
        if (flux[i] <= threshold) continue;
        bool peak = true;
        for (size_t j = i > 5 ? i - 5 : 0; j < std::min(flux.size(), i + 6) && peak; j++) peak = flux[j] <= flux[i] || j == i;
        if (!peak || (!onsets.empty() && times[i] - onsets.back() < apart)) continue;
        // The rise's leading edge: the first frame within 20 ms before the peak past half of it.
        size_t first = i;
        while (first > 0 && i - first < 10 && flux[first - 1] > 0.5 * flux[i]) first--;
        onsets.push_back(times[first]);
    }
    return onsets;
}
