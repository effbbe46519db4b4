#include "sound/bank_generators.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/bank_format.h"
#include "sound/bank_sf2.h"
#include "sound/sound_bank.h"

static const UInt32 kSyntheticRate = 44100;
static const UInt32 kWaveFrames = 4096;       // one loop of a program's wave
static const double kPeak = 0.7 * 32767;       // the loudest sample a generated wave reaches
static const UInt8 kFirstDrum = 35, kLastDrum = 81;
static const SInt16 kDrumGain = -51;            // the kits' level matched as the families'

// A family of eight programs: the shape of its wave (harmonic count and fall-off, odd
// harmonics only) and of its notes (milliseconds, sustain per mille, gain in centibels).
// A wave peaks at kPeak, far louder than a recorded instrument; the gains bring each family to
// the level of the same family of the sampled General MIDI bank ("OMS Full"): the median of its
// eight programs, one note (key 60, velocity 100) over a second and a half. The pianos, which
// most scores play, are matched on whole pieces (the demos "scale", "ensemble" and "large"):
// their synthetic tone holds where a struck string falls fast, so one note undercounts them.
struct FamilyRow {
    UInt8 harmonics;
    float rolloff;       // harmonic h has amplitude 1 / h^rolloff
    UInt8 oddOnly;
    UInt16 attack, decay, sustain, release;
    SInt16 gain;
};
static const FamilyRow kFamilies[16] = {
    {12, 1.6f, 0, 2, 3000, 0, 300, -150},      // pianos
    {8, 2.0f, 0, 1, 1200, 0, 250, -81},        // chromatic percussion
    {10, 1.2f, 0, 8, 0, 1000, 80, -127},       // organs
    {14, 1.4f, 0, 2, 2500, 0, 200, 4},         // guitars
    {6, 2.2f, 0, 4, 1500, 300, 120, -6},       // basses
    {16, 1.0f, 0, 80, 0, 1000, 300, -96},      // strings
    {16, 1.1f, 0, 60, 0, 1000, 400, -92},      // ensembles
    {12, 1.0f, 1, 30, 0, 1000, 150, -73},      // brass
    {10, 1.3f, 1, 40, 0, 1000, 150, -123},     // reeds
    {4, 2.5f, 0, 40, 0, 1000, 150, -124},      // pipes
    {18, 1.0f, 0, 5, 0, 1000, 200, -95},       // synth leads
    {10, 1.5f, 0, 300, 0, 1000, 800, -87},     // synth pads
    {14, 1.2f, 1, 100, 2000, 400, 600, -109},  // synth effects
    {10, 1.6f, 0, 2, 2000, 0, 250, -32},       // ethnic
    {6, 2.0f, 0, 1, 600, 0, 150, -19},         // percussive
    {20, 0.8f, 0, 50, 1500, 200, 500, 65},     // sound effects
};

// A drum's sound: a tone gliding from one pitch to another, noise through a one-pole low-pass
// of the given brightness (0 dark .. 1 bright), and its length.
struct DrumRow {
    UInt8 firstKey, lastKey;   // the keys of kit 0 it plays
    float toneStart, toneEnd;  // Hz; a tom's pitch rises with its key (see DrumTone)
    float tone, noise;         // levels
    float brightness;
    UInt16 ms;                 // to silence
};
static const DrumRow kDrums[] = {
    {35, 36, 120, 45, 1.0f, 0.15f, 0.2f, 350},   // kicks
    {37, 37, 800, 700, 0.5f, 0.5f, 0.9f, 60},    // side stick
    {38, 38, 200, 180, 0.4f, 0.8f, 0.7f, 250},   // snare
    {39, 39, 1000, 900, 0.0f, 1.0f, 0.8f, 180},  // clap
    {40, 40, 220, 190, 0.3f, 0.9f, 0.8f, 220},   // snare
    {41, 41, 90, 70, 1.0f, 0.1f, 0.3f, 450},     // low tom
    {42, 42, 0, 0, 0.0f, 1.0f, 1.0f, 80},        // closed hi-hat
    {43, 43, 100, 80, 1.0f, 0.1f, 0.3f, 420},    // tom
    {44, 44, 0, 0, 0.0f, 1.0f, 1.0f, 120},       // pedal hi-hat
    {45, 45, 115, 90, 1.0f, 0.1f, 0.3f, 400},    // tom
    {46, 46, 0, 0, 0.0f, 1.0f, 1.0f, 500},       // open hi-hat
    {47, 48, 130, 105, 1.0f, 0.1f, 0.3f, 380},   // toms
    {49, 49, 0, 0, 0.0f, 1.0f, 0.95f, 1500},     // crash
    {50, 50, 160, 130, 1.0f, 0.1f, 0.3f, 350},   // high tom
    {51, 53, 3000, 3000, 0.2f, 0.8f, 0.9f, 1200},  // rides
    {54, 54, 0, 0, 0.0f, 1.0f, 1.0f, 200},       // tambourine
    {55, 55, 0, 0, 0.0f, 1.0f, 0.95f, 1000},     // splash
    {56, 56, 560, 540, 1.0f, 0.05f, 0.5f, 300},  // cowbell
    {57, 57, 0, 0, 0.0f, 1.0f, 0.95f, 1500},     // crash
    {58, 58, 300, 250, 0.5f, 0.5f, 0.6f, 600},   // vibraslap
    {59, 59, 3200, 3200, 0.2f, 0.8f, 0.9f, 1200},  // ride
    {60, 68, 300, 260, 0.8f, 0.2f, 0.5f, 250},   // bongos, congas, timbales, agogos
    {69, 70, 0, 0, 0.0f, 1.0f, 0.9f, 150},       // cabasa, maracas
    {71, 72, 2500, 2200, 1.0f, 0.0f, 0.5f, 300},   // whistles
    {73, 74, 0, 0, 0.0f, 1.0f, 0.7f, 200},       // guiro
    {75, 77, 1200, 1100, 1.0f, 0.1f, 0.6f, 90},  // claves, wood blocks
    {78, 79, 400, 350, 0.8f, 0.3f, 0.5f, 200},   // cuicas
    {80, 81, 4000, 4000, 1.0f, 0.0f, 0.5f, 700},   // triangles
};

static OSErr SyntheticProgram(BankWriterRecord *writer, UInt32 program);
static OSErr SyntheticDrum(BankWriterRecord *writer, const DrumRow *row, UInt8 key);
static OSErr WriteSample(const BankWriterRecord *writer, UInt32 number, const BankSampleHeader *h, const SInt16 *data);
static bool ReadWholeFile(const char *path, Ptr *bytes, size_t *size);
static OSErr WriteSf2Sample(const BankWriterRecord *writer, const Sf2Reader *reader, UInt32 index, std::vector<bool> *written);

OSErr CreeBanqueSynthetique(const char *folder, char *message, size_t messageSize) {
    BankInfoRecord info = {"", 0, kSyntheticRate};
    snprintf(info.name, sizeof info.name, "%s", NomBanqueDuNiveau(0));
    BankWriterRecord writer;
    OSErr err = OuvreEcritureBanque(folder, &info, &writer, message, messageSize);
    for (UInt32 p = 0; err == noErr && p < 128; p++) err = SyntheticProgram(&writer, p);
    for (const DrumRow &row : kDrums)
        for (UInt8 key = row.firstKey; err == noErr && key <= row.lastKey; key++) err = SyntheticDrum(&writer, &row, key);
    if (err != noErr) {
        if (writer.resFile > 0) snprintf(message, messageSize, "cannot write the bank into %s", folder);
        FermeEcritureBanque(&writer, true);
        return err;
    }
    err = FermeEcritureBanque(&writer, false);
    if (err != noErr) snprintf(message, messageSize, "cannot write the bank into %s", folder);
    return err;
}

OSErr CreeBanqueDepuisSf2(const char *sf2Path, const char *folder, char *message, size_t messageSize) {
    Ptr bytes = nullptr;
    size_t size = 0;
    if (!ReadWholeFile(sf2Path, &bytes, &size)) {
        snprintf(message, messageSize, "cannot read %s", sf2Path);
        return fnfErr;
    }
    Sf2Reader reader;
    OSErr err = LitSf2(bytes, size, &reader, message, messageSize);
    if (err == noErr && kSf2FirstSample + reader.sampleCount > kSyntheticFirstSample) {
        snprintf(message, messageSize, "%u samples: too many", unsigned(reader.sampleCount));
        err = paramErr;
    }
    // Instruments in id order: each program, then each drum key of each kit; the first preset
    // of an id wins.
    struct Planned {
        SInt32 id, key;
        UInt32 preset;
    };
    std::vector<Planned> plan;
    for (UInt32 p = 0; err == noErr && p < reader.presetCount; p++) {
        Sf2PresetInfo info;
        InfoPresetSf2(&reader, p, &info);
        if (info.program > 127 || info.bank > 128) continue;
        if (info.bank < 128) plan.push_back({IdProgrammeBanque(info.program, info.bank), -1, p});
        else
            for (SInt32 key = 0; key < 128; key++) plan.push_back({IdBatterieBanque(info.program, key), key, p});
    }
    std::stable_sort(plan.begin(), plan.end(), [](const Planned &a, const Planned &b) { return a.id < b.id; });
    BankInfoRecord info = {"", 5, 44100};
    snprintf(info.name, sizeof info.name, "%s", NomBanqueDuNiveau(5));
    BankWriterRecord writer;
    memset(&writer, 0, sizeof writer);
    if (err == noErr) err = OuvreEcritureBanque(folder, &info, &writer, message, messageSize);
    std::vector<BankZone> zones(kBankMaxZones);
    std::vector<bool> written(reader.sampleCount, false);
    for (size_t i = 0; err == noErr && i < plan.size(); i++) {
        if (i > 0 && plan[i].id == plan[i - 1].id) continue;
        UInt32 count = 0;
        err = AplatitPresetSf2(&reader, plan[i].preset, plan[i].key, zones.data(), kBankMaxZones, &count);
        for (UInt32 z = 0; err == noErr && z < count; z++) {
            err = WriteSf2Sample(&writer, &reader, zones[z].sample, &written);
            zones[z].sample += kSf2FirstSample;
        }
        if (err == noErr && count) err = AjouteInstrumentBanque(&writer, plan[i].id, zones.data(), count);
        if (err != noErr) snprintf(message, messageSize, "instrument %d could not be written", int(plan[i].id));
    }
    DisposPtr(bytes);
    if (writer.resFile <= 0) return err;
    OSErr closed = FermeEcritureBanque(&writer, err != noErr);
    if (err == noErr && closed != noErr) snprintf(message, messageSize, "cannot write the bank into %s", folder);
    return err != noErr ? err : closed;
}

// A program's wave: harmonics of the family's shape, each program of the family a little
// brighter, in two zones (below and from C5) so high notes keep their harmonics below the
// Nyquist frequency two octaves up.
static OSErr SyntheticProgram(BankWriterRecord *writer, UInt32 program) {
    const FamilyRow &family = kFamilies[program / 8];
    const UInt8 roots[2] = {60, 84}, lows[2] = {0, 72}, highs[2] = {71, 127};
    BankZone zones[2];
    std::vector<SInt16> wave(kWaveFrames);
    for (UInt32 z = 0; z < 2; z++) {
        double rootHz = 440.0 * std::exp2((roots[z] - 69) / 12.0);
        UInt32 cycles = UInt32(std::lround(rootHz * kWaveFrames / kSyntheticRate));
        double waveHz = double(cycles) * kSyntheticRate / kWaveFrames;
        UInt32 limit = UInt32(0.45 * kSyntheticRate / (4 * rootHz));
        UInt32 harmonics = std::max(1u, std::min<UInt32>(family.harmonics, limit));
        float rolloff = family.rolloff - 0.08f * (program % 8);
        std::vector<double> sum(kWaveFrames, 0.0);
        double peak = 0;
        for (UInt32 i = 0; i < kWaveFrames; i++) {
            for (UInt32 h = 1; h <= harmonics; h++) {
                if (family.oddOnly && h % 2 == 0) continue;
                sum[i] += std::sin(6.283185307179586 * h * cycles * i / kWaveFrames) / std::pow(double(h), rolloff);
            }
            peak = std::max(peak, std::fabs(sum[i]));
        }
        for (UInt32 i = 0; i < kWaveFrames; i++) wave[i] = SInt16(std::lround(sum[i] / peak * kPeak));
        UInt32 number = kSyntheticFirstSample + 2 * program + z;
        BankSampleHeader header = {kSyntheticRate, kWaveFrames, 0, kWaveFrames, 1};
        OSErr err = WriteSample(writer, number, &header, wave.data());
        if (err != noErr) return err;
        BankZone &zone = zones[z];
        memset(&zone, 0, sizeof zone);
        zone.keyLow = lows[z], zone.keyHigh = highs[z], zone.velocityLow = 0, zone.velocityHigh = 127;
        zone.sample = number;
        zone.rootKey = roots[z];
        zone.loopMode = kBankLoopContinuous;
        zone.tune = SInt16(std::lround(1200.0 * std::log2(rootHz / waveHz)));
        zone.gain = family.gain;
        zone.attack = family.attack, zone.decay = family.decay, zone.sustain = family.sustain;
        zone.release = family.release;
    }
    return AjouteInstrumentBanque(writer, IdProgrammeBanque(SInt32(program), 0), zones, 2);
}

static OSErr SyntheticDrum(BankWriterRecord *writer, const DrumRow *row, UInt8 key) {
    UInt32 frames = UInt32(row->ms) * kSyntheticRate / 1000;
    std::vector<SInt16> data(frames);
    std::vector<double> sum(frames);
    // A tom or conga pitch rises with its key, by a whole tone a key.
    double rise = std::exp2((key - row->firstKey) * 2 / 12.0);
    UInt32 seed = 0x2545F491u * key + 1;
    double phase = 0, low = 0, peak = 1e-9;
    for (UInt32 i = 0; i < frames; i++) {
        double t = double(i) / frames;
        double hz = (row->toneStart + (row->toneEnd - row->toneStart) * t) * rise;
        phase += 6.283185307179586 * hz / kSyntheticRate;
        seed = seed * 1664525u + 1013904223u;
        double white = (seed >> 8) / double(1 << 24) * 2 - 1;
        low += (white - low) * row->brightness;
        double shape = std::exp(-5.0 * t) * std::min(1.0, i / 44.0);
        sum[i] = (row->tone * std::sin(phase) + row->noise * low) * shape;
        peak = std::max(peak, std::fabs(sum[i]));
    }
    for (UInt32 i = 0; i < frames; i++) data[i] = SInt16(std::lround(sum[i] / peak * kPeak));
    UInt32 number = kSyntheticFirstSample + 256 + (key - kFirstDrum);
    BankSampleHeader header = {kSyntheticRate, frames, 0, 0, 1};
    OSErr err = WriteSample(writer, number, &header, data.data());
    if (err != noErr) return err;
    BankZone zone;
    memset(&zone, 0, sizeof zone);
    zone.keyLow = zone.keyHigh = zone.rootKey = key;
    zone.velocityHigh = 127;
    zone.sample = number;
    zone.gain = kDrumGain;
    // A drum rings out whatever the note's length: it holds, and its release lasts the sample.
    zone.hold = row->ms;
    zone.sustain = 1000;
    zone.release = row->ms;
    return AjouteInstrumentBanque(writer, IdBatterieBanque(0, key), &zone, 1);
}

static OSErr WriteSample(const BankWriterRecord *writer, UInt32 number, const BankSampleHeader *h, const SInt16 *data) {
    char path[1200];
    NomFichierEchantillon(writer->folder, number, path, sizeof path);
    return EcritFichierEchantillon(path, h, data);
}

static bool ReadWholeFile(const char *path, Ptr *bytes, size_t *size) {
    *bytes = nullptr;
    FILE *f = fopen(path, "rb");
    if (!f) return false;
    bool ok = fseek(f, 0, SEEK_END) == 0;
    long length = ok ? ftell(f) : -1;
    ok = ok && length > 0 && UInt64(length) <= kSf2MaxFileBytes && fseek(f, 0, SEEK_SET) == 0;
    *bytes = ok ? NewPtr(UInt32(length)) : nullptr;
    ok = *bytes && fread(*bytes, 1, size_t(length), f) == size_t(length);
    fclose(f);
    if (!ok && *bytes) DisposPtr(*bytes);
    if (!ok) *bytes = nullptr;
    *size = ok ? size_t(length) : 0;
    return ok;
}

static OSErr WriteSf2Sample(const BankWriterRecord *writer, const Sf2Reader *reader, UInt32 index, std::vector<bool> *written) {
    if ((*written)[index]) return noErr;
    BankSampleHeader header;
    const UInt8 *data;
    OSErr err = InfoEchantillonSf2(reader, index, &header, &data);
    if (err != noErr) return err;
    ByteReader c = OrvaByteReader(data, size_t(header.frames) * 2);
    std::vector<SInt16> samples(header.frames);
    for (UInt32 i = 0; i < header.frames; i++) samples[i] = SInt16(Get16LE(&c));
    err = WriteSample(writer, kSf2FirstSample + index, &header, samples.data());
    if (err == noErr) (*written)[index] = true;
    return err;
}
