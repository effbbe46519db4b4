// wavnotes: lists the notes heard in a 16-bit WAV file.
//   wavnotes FILE [--level] [--rise DB] [--floor DB]
// Prints "onsets=N", then one line per onset: its time in seconds, the strongest frequency of
// the note (from 50 ms after the onset, for 300 ms or up to the next onset), the nearest note
// name and the note's RMS level in dBFS over that stretch ("0.500 293.7 D4 -18.2"). Onsets are
// where new frequencies appear in the spectrum (legato notes included), above --floor dBFS
// (-40); with --level, rises of the 10 ms level by more than --rise dB (12) instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/audio_support.h"

namespace {

const char *const kNoms[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

std::string NomNote(double hz) {
    if (!(hz > 0)) return "?";
    int midi = int(std::lround(69 + 12 * std::log2(hz / 440.0)));
    if (midi < 0 || midi > 127) return "?";
    return std::string(kNoms[midi % 12]) + std::to_string(midi / 12 - 1);
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = nullptr;
    double rise = 12, floor = -40;
    bool level = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--rise" && i + 1 < argc) rise = atof(argv[++i]);
        else if (a == "--floor" && i + 1 < argc) floor = atof(argv[++i]);
        else if (a == "--level") level = true;
        else if (!path && a[0] != '-') path = argv[i];
        else path = nullptr, i = argc;
    }
    if (!path) {
        fprintf(stderr, "usage: wavnotes FILE [--rise DB] [--floor DB]\n");
        return 2;
    }
    Audio audio;
    if (!ReadWav(path, &audio)) {
        fprintf(stderr, "wavnotes: %s is not a 16-bit PCM WAV file\n", path);
        return 1;
    }
    std::vector<double> onsets = level ? Onsets(audio, rise, floor) : SpectralOnsets(audio, floor);
    printf("onsets=%zu\n", onsets.size());
    double duration = double(audio.left.size()) / audio.rate;
    for (size_t i = 0; i < onsets.size(); i++) {
        double from = onsets[i] + 0.05;
        double to = std::min({from + 0.3, i + 1 < onsets.size() ? onsets[i + 1] : duration, duration});
        double hz = to - from > 0.02 ? DominantHz(audio, from, to - from) : 0;
        printf("%.3f %.1f %s %.1f\n", onsets[i], hz, NomNote(hz).c_str(), LevelDb(audio, from, to));
    }
    return 0;
}
