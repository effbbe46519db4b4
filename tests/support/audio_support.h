// Listening to rendered sound in tests: WAV files read back, levels in dBFS, the strongest
// frequency of a stretch by FFT, and note onsets from a rise in level.
#pragma once

#include <string>
#include <vector>

struct Audio {
    int rate = 0, channels = 0;
    std::vector<float> left, right;  // full scale 1.0; right equals left for mono
};

// Reads a 16-bit PCM WAV file; false for anything else.
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
// Times (s) where new sound appears in the spectrum: what the magnitude spectrum of a 10 ms frame
// gains over the frame 20 ms before, as a share of the frame's whole spectrum, peaks above 0.3,
// with the level above floorDb, not 3 dB below that frame's and within 24 dB of the loudest of
// the second before (a reverberation's echoes stay out), at least 100 ms apart; the time is that of the peak's leading
// edge (past half of it). Finds legato notes whose level does not
// rise; a note's own beating or decay gains little.
std::vector<double> SpectralOnsets(const Audio &a, double floorDb = -40);
