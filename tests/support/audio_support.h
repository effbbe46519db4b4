// Listening to rendered sound in tests and in tools/wavnotes: WAV files read back, levels in
// dBFS, the strongest frequency of a stretch by FFT, and note onsets from spectral flux or from
// a rise in level.
#pragma once

#include <string>
#include <vector>

struct Audio {
    int rate = 0, channels = 0;
    std::vector<float> left, right;  // full scale 1.0; right equals left for mono
};

// Reads a 16-bit PCM WAV file (its chunks in any order); false for anything else.
bool ReadWav(const std::string &path, Audio *audio);
// From interleaved 16-bit samples.
Audio AudioFrom(const short *samples, size_t frames, int channels, int rate);
// RMS level of left+right over [from, to) seconds, in dBFS (-200 for silence).
double LevelDb(const Audio &a, double from, double to);
// Peak level over [from, to) seconds, in dBFS.
double PeakDb(const Audio &a, double from, double to);
// The strongest frequency (Hz) in [from, from + length) seconds of the left channel, from a
// Hann-windowed FFT with the peak's neighbours interpolated.
double DominantHz(const Audio &a, double from, double length);
// The FFT magnitude near hz (the largest bin within 2 % of it), relative to the strongest bin.
double RelativeMagnitudeAt(const Audio &a, double from, double length, double hz);
// Times (s) where the 10 ms level rises by more than riseDb over the previous 30 ms and
// above floorDb, at least 100 ms apart.
std::vector<double> Onsets(const Audio &a, double riseDb = 12, double floorDb = -40);

// Spectral onsets: the default rise and the shortest time between two onsets.
constexpr double kSpectralRiseDb = 3.0;
constexpr double kOnsetGapSeconds = 0.1;
// Times (s) where new sound appears in the spectrum, legato notes included. Every 5 ms, a
// frame of about 20 ms is compared with the frame that ended just before it: the new sound is
// the power its bins gain over the louder of each bin and its two neighbours there (so that a
// note's own beating and vibrato gain little). An onset is a peak of the rise, the level of
// what sounds before plus the new sound over what sounded before (from silence: over
// floorDb), by at least riseDb, in a frame above floorDb, at least kOnsetGapSeconds after the
// last onset: a chord is one onset, the echoes of a reverberation and a note's decay are none.
// The time is where the new sound reaches half its peak, at the centre of the frame.
std::vector<double> SpectralOnsets(const Audio &a, double floorDb = -40, double riseDb = kSpectralRiseDb);
