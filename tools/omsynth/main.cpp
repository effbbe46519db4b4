// omsynth: renders a hand-made list of notes through the synthesiser into a WAV file.
//   omsynth [--bank NAME] [--bank-folder DIR] [--quality low|medium|high] [--no-reverb]
//           [--volume V] [--pan P] [--oscillator] (--demo scale|chord|drums | --events FILE)
//           --wav OUT
// Events files hold one note a line: onset ms, length ms, staff, instrument id, key, velocity
// ('#' starts a comment). Without --bank-folder the banks are looked for in SoundBank/ beside
// the tools folder. Prints "frames=F voices=V stolen=S" on success.
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/digit_params.h"
#include "sound/sound_bank.h"
#include "sound/synth.h"
#include "tools/demo_scores/build_tree.h"

struct Options {
    const char *bank = "OMS Basic", *folder = nullptr, *demo = nullptr, *events = nullptr, *wav = nullptr;
    SInt16 quality = kDigitQualityHigh;
    bool reverb = true, oscillator = false;
    int volume = 127, pan = 0;
};

// A demo: its name and how its notes are made.
struct DemoRow {
    const char *name;
    void (*make)(std::vector<SoundEvent> *events);
};

static void DemoScale(std::vector<SoundEvent> *events);
static void DemoChord(std::vector<SoundEvent> *events);
static void DemoDrums(std::vector<SoundEvent> *events);
static const DemoRow kDemos[] = {{"scale", DemoScale}, {"chord", DemoChord}, {"drums", DemoDrums}};

static bool ParseOptions(int argc, char **argv, Options *o);
static bool ReadEvents(const char *path, std::vector<SoundEvent> *events);

int main(int argc, char **argv) {
    char here[4096];
    if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
    Options o;
    if (!ParseOptions(argc, argv, &o)) {
        fprintf(stderr, "usage: omsynth [--bank NAME] [--bank-folder DIR] [--quality low|medium|high] [--no-reverb]\n"
                        "               [--volume V] [--pan P] [--oscillator] (--demo scale|chord|drums | --events FILE)\n"
                        "               --wav OUT\n");
        return 2;
    }
    std::vector<SoundEvent> events;
    if (o.events && !ReadEvents(o.events, &events)) {
        fprintf(stderr, "omsynth: cannot read the events of %s\n", o.events);
        return 1;
    }
    for (const DemoRow &row : kDemos)
        if (o.demo && strcmp(o.demo, row.name) == 0) row.make(&events);
    if (o.demo && events.empty()) {
        fprintf(stderr, "omsynth: no demo %s\n", o.demo);
        return 2;
    }
    std::string folder = o.folder ? o.folder : DossierBanquesConstruites();
    FixeDossierBanqueSon(folder.c_str());
    SInt16 level = LevelBase(o.bank);
    if (!o.oscillator && (level >= kBankLevelDefault || !InitFichiersRessourcesDigitPlugIn(level))) {
        fprintf(stderr, "omsynth: no bank \"%s\" in %s %s\n", o.bank, folder.c_str(), BankErrorMessage());
        return 1;
    }
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, o.quality);
    if (!o.reverb) params.reverb = 0;
    UInt32 staffCount = 1;
    for (const SoundEvent &e : events) staffCount = std::max<UInt32>(staffCount, e.staff + 1u);
    std::vector<SoundStaffBlock> staves(staffCount);
    for (SoundStaffBlock &s : staves)
        s = {UInt8(o.volume), SInt8(o.pan), 1, UInt8(o.oscillator ? kSoundSourceOscillator : kSoundSourceBank), 0, 0, 0};
    SoundRenderRequest request = {&params, events.data(), UInt32(events.size()), true, staves.data(), staffCount,
                                  nullptr, 0, UInt32(o.reverb ? 3000 : 300), 0};
    SInt16 *samples = nullptr;
    UInt32 frames = 0;
    SoundEngineStats stats;
    OSErr err = RenduSonHorsLigne(&request, &samples, &frames, &stats);
    if (err == noErr) err = EcritFichierWav(o.wav, samples, frames, params.stereo ? 2 : 1, DigitRateHz(&params));
    if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
    CloseFichiersRessourcesDigit();
    if (err != noErr) {
        fprintf(stderr, "omsynth: rendering failed (error %d)\n", err);
        return 1;
    }
    printf("frames=%u voices=%u stolen=%u\n", unsigned(frames), unsigned(stats.voicesPeak), unsigned(stats.voicesStolen));
    return 0;
}

// C4 up to C5, a note each half second, each 0.4 s long, on the piano.
static void DemoScale(std::vector<SoundEvent> *events) {
    const UInt8 keys[8] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int i = 0; i < 8; i++) events->push_back({500 * i, 400, 0, 0, keys[i], 100});
}

// C major held for two seconds on the strings.
static void DemoChord(std::vector<SoundEvent> *events) {
    const UInt8 keys[4] = {48, 60, 64, 67};
    for (UInt8 k : keys) events->push_back({0, 2000, 48, 0, k, 90});
}

// Bass drum, snare and closed hi-hat in a bar of eighths.
static void DemoDrums(std::vector<SoundEvent> *events) {
    for (int i = 0; i < 8; i++) {
        UInt8 key = i % 4 == 0 ? 36 : i % 4 == 2 ? 38 : 42;
        events->push_back({250 * i, 200, IdBatterieBanque(0, 0), 0, key, 100});
    }
}

static bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--no-reverb") o->reverb = false;
        else if (a == "--oscillator") o->oscillator = true;
        else if (!next) return false;
        else if (a == "--bank") o->bank = argv[++i];
        else if (a == "--bank-folder") o->folder = argv[++i];
        else if (a == "--demo") o->demo = argv[++i];
        else if (a == "--events") o->events = argv[++i];
        else if (a == "--wav") o->wav = argv[++i];
        else if (a == "--volume") o->volume = atoi(argv[++i]);
        else if (a == "--pan") o->pan = atoi(argv[++i]);
        else if (a == "--quality") {
            std::string q = argv[++i];
            o->quality = q == "low" ? kDigitQualityLow : q == "medium" ? kDigitQualityMedium : kDigitQualityHigh;
            if (q != "low" && q != "medium" && q != "high") return false;
        } else return false;
    }
    return o->wav && (o->demo || o->events) && o->volume >= 0 && o->volume <= 127 && o->pan >= -100 && o->pan <= 100;
}

static bool ReadEvents(const char *path, std::vector<SoundEvent> *events) {
    FILE *f = fopen(path, "r");
    if (!f) return false;
    char line[512];
    bool ok = true;
    while (ok && fgets(line, sizeof line, f)) {
        char *hash = strchr(line, '#');
        if (hash) *hash = 0;
        long long onset;
        long length, staff, instrument, key, velocity;
        int fields = sscanf(line, "%lld %ld %ld %ld %ld %ld", &onset, &length, &staff, &instrument, &key, &velocity);
        if (fields <= 0) continue;
        ok = fields == 6 && onset >= 0 && length >= 0 && length <= INT_MAX && staff >= 0 && staff < kSynthMaxStaves &&
             instrument >= 0 && instrument <= kBankMaxInstrumentId && key >= 0 && key <= 127 && velocity >= 0 &&
             velocity <= 127;
        if (ok) events->push_back({onset, SInt32(length), SInt32(instrument), UInt16(staff), UInt8(key), UInt8(velocity)});
    }
    fclose(f);
    return ok;
}
