// omsynth: plays a hand-made list of notes through the synthesiser, into a WAV file or in real
// time on the sound output.
//   omsynth [--bank NAME] [--bank-folder DIR] [--quality low|medium|high] [--no-reverb]
//           [--volume V] [--pan P] [--oscillator] (--demo NAME | --events FILE)
//           (--wav OUT | --realtime [--device NAME] [--positions])
// Demos: scale, chord, drums, tone, large. Events files hold one note a line: onset ms, length
// ms, staff, instrument id, key, velocity ('#' starts a comment); they render to a file only.
// Without --bank-folder the banks are looked for in SoundBank/ beside the tools folder.
// A file render prints "frames=F voices=V stolen=S". In real time the demo plays on the
// output device the plug-in would use (--device: "none", "file:PATH", an ALSA name); with
// --positions it prints "t=MS instant=TICKS heard=TICKS" every 20 ms, then
// "end-heard=SECONDS" once the end is heard and "wall=SECONDS steps=N underruns=U".
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "tools/demo_scores/demo_plans.h"
#include "sound/digit_params.h"
#include "sound/playback.h"
#include "sound/sound_bank.h"
#include "sound/synth.h"
#include "tools/demo_scores/build_tree.h"

struct Options {
    const char *bank = "OMS Basic", *folder = nullptr, *demo = nullptr, *events = nullptr, *wav = nullptr;
    const char *device = nullptr;
    SInt16 quality = kDigitQualityHigh;
    bool reverb = true, oscillator = false, realtime = false, positions = false;
    int volume = 127, pan = 0;
};

static const UInt32 kPositionPeriodMs = 20, kIdlePeriodMs = 100, kGiveUpAfterEndMs = 10000;

static bool ParseOptions(int argc, char **argv, Options *o);
static bool ReadEvents(const char *path, std::vector<SoundEvent> *events);
static int RenderToFile(const Options &o, const DigitOutputParams &params, DemoPlanRecord *demo);
static int PlayInRealTime(const Options &o, DemoPlanRecord *demo);
static double Seconds();
static void TraceToError(const char *line);

int main(int argc, char **argv) {
    FixeDossierSystemeOutil();
    Options o;
    if (!ParseOptions(argc, argv, &o)) {
        fprintf(stderr, "usage: omsynth [--bank NAME] [--bank-folder DIR] [--quality low|medium|high] [--no-reverb]\n"
                        "               [--volume V] [--pan P] [--oscillator] (--demo NAME | --events FILE)\n"
                        "               (--wav OUT | --realtime [--device NAME] [--positions])\n");
        return 2;
    }
    DemoPlanRecord *demo = nullptr;
    if (o.demo && NouvelleDemo(o.demo, &demo) != noErr) {
        fprintf(stderr, "omsynth: no demo %s\n", o.demo);
        return 2;
    }
    std::string folder = o.folder ? o.folder : DossierBanquesConstruites();
    FixeDossierBanqueSon(folder.c_str());
    SInt16 level = LevelBase(o.bank);
    if (!o.oscillator && (level >= kBankLevelDefault || !InitFichiersRessourcesDigitPlugIn(level))) {
        fprintf(stderr, "omsynth: no bank \"%s\" in %s %s\n", o.bank, folder.c_str(), BankErrorMessage());
        DisposeDemo(&demo);
        return 1;
    }
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, o.quality);
    if (!o.reverb) params.reverb = 0;
    if (demo) {
        for (UInt32 s = 0; s < demo->staffCount; s++) {
            demo->staves[s].volume = UInt8(o.volume);
            demo->staves[s].pan = SInt8(o.pan);
            demo->staves[s].source = UInt8(o.oscillator ? kSoundSourceOscillator : kSoundSourceBank);
        }
    }
    int status;
    if (o.realtime) {
        GlobalDigitParam = params;
        status = PlayInRealTime(o, demo);
    } else {
        status = RenderToFile(o, params, demo);
    }
    DisposeDemo(&demo);
    CloseFichiersRessourcesDigit();
    return status;
}

static int RenderToFile(const Options &o, const DigitOutputParams &params, DemoPlanRecord *demo) {
    std::vector<SoundEvent> events;
    std::vector<SoundStaffBlock> staves;
    SoundStreamReader streams = {nullptr, nullptr};
    UInt32 rate = DigitRateHz(&params);
    if (demo) {
        SoundEvent *made = nullptr;
        UInt32 count = 0;
        if (EvenementsDemo(demo, rate, &made, &count) != noErr) return 1;
        events.assign(made, made + count);
        DisposPtr(reinterpret_cast<Ptr>(made));
        staves.assign(demo->staves, demo->staves + demo->staffCount);
        streams = FluxDeDemo(demo);
    } else if (!ReadEvents(o.events, &events)) {
        fprintf(stderr, "omsynth: cannot read the events of %s\n", o.events);
        return 1;
    }
    UInt32 staffCount = UInt32(staves.size());
    for (const SoundEvent &e : events) staffCount = std::max<UInt32>(staffCount, e.staff + 1u);
    staffCount = std::max<UInt32>(staffCount, 1);
    staves.resize(staffCount, SoundStaffBlock{UInt8(o.volume), SInt8(o.pan), 1,
                                              UInt8(o.oscillator ? kSoundSourceOscillator : kSoundSourceBank), 0, 0, 0});
    UInt32 minimumMs = demo ? UInt32(FrameDeDemo(demo, demo->duration, 1000)) : 0;
    SoundRenderRequest request = {&params, events.data(), UInt32(events.size()), !demo, staves.data(), staffCount,
                                  demo ? &streams : nullptr, 0, UInt32(o.reverb ? 3000 : 300), minimumMs};
    SInt16 *samples = nullptr;
    UInt32 frames = 0;
    SoundEngineStats stats;
    OSErr err = RenduSonHorsLigne(&request, &samples, &frames, &stats);
    if (err == noErr) err = EcritFichierWav(o.wav, samples, frames, params.stereo ? 2 : 1, rate);
    if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
    if (err != noErr) {
        fprintf(stderr, "omsynth: rendering failed (error %d)\n", err);
        return 1;
    }
    printf("frames=%u voices=%u stolen=%u\n", unsigned(frames), unsigned(stats.voicesPeak), unsigned(stats.voicesStolen));
    return 0;
}

// Plays as the plug-in does: probe the device, start, then an idle every 100 ms (20 ms with
// positions) until the end is heard, and stop.
static int PlayInRealTime(const Options &o, DemoPlanRecord *demo) {
    if (o.device) snprintf(OrvaGetDigitalOutputDevice(), kDigitalOutputDeviceSize, "%s", o.device);
    static const OrvaMessageHooks kMessages = {nullptr, nullptr, nullptr, TraceToError};
    OrvaSetMessageHooks(&kMessages);
    InstalleOpsDemo();
    InitConfigurationPeriphWindow();
    double start = Seconds();
    if (!LanceMusique(DocumentDeDemo(demo))) {
        fprintf(stderr, "omsynth: the demo cannot play\n");
        return 1;
    }
    double limit = double(FrameDeDemo(demo, demo->duration, 1000) + kGiveUpAfterEndMs) / 1000;
    bool ended = false;
    while (!ended && Seconds() - start < limit) {
        usleep((o.positions ? kPositionPeriodMs : kIdlePeriodMs) * 1000);
        ended = IsFinDeMusiqueEntendue();
        if (o.positions)
            printf("t=%ld instant=%ld heard=%ld\n", long((Seconds() - start) * 1000), long(GetPosTickInstant()),
                   long(GetPosTickMusiqueEntendue()));
        if (ended && o.positions) printf("end-heard=%.3f\n", Seconds() - start);
    }
    PlaybackStats stats;
    GetStatsLecture(&stats);
    ArreteMusique(0);
    LibereTabCircTick();
    printf("wall=%.3f steps=%u underruns=%u\n", Seconds() - start, unsigned(stats.steps), unsigned(stats.underruns));
    if (!ended) fprintf(stderr, "omsynth: the end was never heard\n");
    return ended ? 0 : 1;
}

static double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}

static void TraceToError(const char *line) { fprintf(stderr, "omsynth: %s\n", line); }

static bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--no-reverb") o->reverb = false;
        else if (a == "--oscillator") o->oscillator = true;
        else if (a == "--realtime") o->realtime = true;
        else if (a == "--positions") o->positions = true;
        else if (!next) return false;
        else if (a == "--bank") o->bank = argv[++i];
        else if (a == "--bank-folder") o->folder = argv[++i];
        else if (a == "--demo") o->demo = argv[++i];
        else if (a == "--events") o->events = argv[++i];
        else if (a == "--wav") o->wav = argv[++i];
        else if (a == "--device") o->device = argv[++i];
        else if (a == "--volume") o->volume = atoi(argv[++i]);
        else if (a == "--pan") o->pan = atoi(argv[++i]);
        else if (a == "--quality") {
            std::string q = argv[++i];
            o->quality = q == "low" ? kDigitQualityLow : q == "medium" ? kDigitQualityMedium : kDigitQualityHigh;
            if (q != "low" && q != "medium" && q != "high") return false;
        } else return false;
    }
    bool output = o->realtime ? o->demo && !o->wav : o->wav && !o->device && !o->positions;
    return output && (o->demo || o->events) && o->volume >= 0 && o->volume <= 127 && o->pan >= -100 && o->pan <= 100;
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

