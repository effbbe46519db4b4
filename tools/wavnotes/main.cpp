// wavnotes: lists the notes heard in a 16-bit WAV file.
//   wavnotes FILE [--level] [--rise DB] [--floor DB]
// Prints "onsets=N", then one line per onset: its time in seconds, the strongest frequency of
// the note (from 50 ms after the onset, for 100 ms or up to the next onset), the nearest note
// name and the note's RMS level in dBFS over 300 ms or up to the next onset ("0.500 293.7 D4
// -18.2"). Onsets are where new sound appears in the spectrum (legato notes included; a chord
// is one onset, the echoes of the reverberation none), rising by --rise dB (3) above --floor
// dBFS (-40); with --level, rises of the 10 ms level by more than --rise dB (12) instead.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/audio_support.h"

namespace {

const char *const kNoms[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
const double kLevelRiseDb = 12;     // --level's default rise
const double kAfterOnset = 0.05;    // the attack is left out of what is measured
const double kPitchSeconds = 0.1, kLevelSeconds = 0.3;

std::string NomNote(double hz) {
    if (!(hz > 0)) return "?";
    int midi = int(std::lround(69 + 12 * std::log2(hz / 440.0)));
    if (midi < 0 || midi > 127) return "?";
    return std::string(kNoms[midi % 12]) + std::to_string(midi / 12 - 1);
}

int Usage() {
    fprintf(stderr, "usage: wavnotes FILE [--level] [--rise DB] [--floor DB]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    const char *path = nullptr;
    double rise = NAN, floor = -40;
    bool level = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--rise" && i + 1 < argc) rise = atof(argv[++i]);
        else if (a == "--floor" && i + 1 < argc) floor = atof(argv[++i]);
        else if (a == "--level") level = true;
        else if (!path && a[0] != '-') path = argv[i];
        else return Usage();
    }
    if (!path) return Usage();
    Audio audio;
    if (!ReadWav(path, &audio)) {
        fprintf(stderr, "wavnotes: %s is not a 16-bit PCM WAV file\n", path);
        return 1;
    }
    if (std::isnan(rise)) rise = level ? kLevelRiseDb : kSpectralRiseDb;
    std::vector<double> onsets = level ? Onsets(audio, rise, floor) : SpectralOnsets(audio, floor, rise);
    printf("onsets=%zu\n", onsets.size());
    double duration = double(audio.left.size()) / audio.rate;
    for (size_t i = 0; i < onsets.size(); i++) {
        double from = onsets[i] + kAfterOnset;
        double until = std::min(i + 1 < onsets.size() ? onsets[i + 1] : duration, duration);
        double pitchEnd = std::min(from + kPitchSeconds, until), levelEnd = std::min(from + kLevelSeconds, until);
        double hz = pitchEnd - from > 0.02 ? DominantHz(audio, from, pitchEnd - from) : 0;
        printf("%.3f %.1f %s %.1f\n", onsets[i], hz, NomNote(hz).c_str(), LevelDb(audio, from, levelEnd));
    }
    return 0;
}
