// Playing a score against FluidSynth on the same notes (the "ensemble" demo, 120 measures on 5
// staves): omplay rendering it with the "OMS Full" bank at high quality, reverb on, against
// fluidsynth rendering the MIDI file omplay writes with FluidR3_GM.sf2 (reverb and chorus on):
// goal, at most the same wall time for the same audio (a real-time factor at least FluidSynth's).
// Preparing play (flattening and loading samples, the file cache warm) against FluidSynth's
// whole run of a one-note MIDI file: goal, at most its time. Skipped without fluidsynth, the
// SF2 file or the "OMS Full" bank.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "../ratio_reporter.h"
#include "platform/core/memory.h"
#include "score/preferences.h"
#include "sound/digit_params.h"
#include "sound/midi_file.h"
#include "sound/sequencer.h"
#include "sound/sound_bank.h"
#include "tools/demo_scores/build_tree.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

const char *const kSf2 = "/usr/share/sounds/sf2/FluidR3_GM.sf2";

std::string Temp(const char *leaf) {
    const char *base = getenv("TMPDIR");
    return std::string(base && base[0] ? base : "/tmp") + "/omplay-bench-" + std::to_string(getpid()) + "-" + leaf;
}

bool Exists(const std::string &path) { return access(path.c_str(), R_OK) == 0; }

// Runs a shell command, its output discarded; false when it fails.
bool Run(const std::string &command) {
    int status = system((command + " >/dev/null 2>&1").c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Writes the MIDI file of a demo with omplay, or of one half-second C4 when demo is null.
bool WriteMidi(const char *demo, const std::string &path) {
    if (demo) return Run("'" + DossierArbreConstruction() + "/tools/omplay' --demo " + demo + " --midi '" + path + "'");
    SoundEvent note = {0, 22050, 0, 0, 60, 100};
    SoundStaffBlock staff = {127, 0, 1, kSoundSourceBank, 0, 0, 0};
    PartitionSonRecord one = {};
    one.plan.events = &note;
    one.plan.eventCount = 1;
    one.staves = &staff;
    one.plan.staffCount = 1;
    one.rate = 44100;
    return EcritFichierMidi(path.c_str(), &one) == noErr;
}

const char *Missing() {
    static std::string why;
    if (!Run("command -v fluidsynth")) why = "fluidsynth is not installed";
    else if (!Exists(kSf2)) why = "FluidR3_GM.sf2 is not installed";
    else if (!Exists(DossierArbreConstruction() + "/SoundBank/OMS Full.rsr")) why = "the OMS Full bank is not built";
    return why.empty() ? nullptr : why.c_str();
}

void Timed(benchmark::State &state, const std::string &command) {
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!Run(command)) {
            state.SkipWithError(("failed: " + command).c_str());
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

void BM_OmplayEnsemble(benchmark::State &state) {
    if (const char *why = Missing()) return state.SkipWithError(why);
    std::string wav = Temp("ours.wav");
    Timed(state, "'" + DossierArbreConstruction() + "/tools/omplay' --demo ensemble --bank 'OMS Full' --quality high --wav '" + wav + "'");
    remove(wav.c_str());
}

void BM_FluidsynthEnsemble(benchmark::State &state) {
    if (const char *why = Missing()) return state.SkipWithError(why);
    std::string midi = Temp("ensemble.mid"), wav = Temp("theirs.wav");
    if (!WriteMidi("ensemble", midi)) return state.SkipWithError("omplay --midi failed");
    Timed(state, std::string("fluidsynth -ni -q -F '") + wav + "' -r 44100 " + kSf2 + " '" + midi + "'");
    remove(midi.c_str());
    remove(wav.c_str());
}

void BM_FluidsynthOneNote(benchmark::State &state) {
    if (const char *why = Missing()) return state.SkipWithError(why);
    std::string midi = Temp("note.mid"), wav = Temp("note.wav");
    if (!WriteMidi(nullptr, midi)) return state.SkipWithError("omplay --midi failed");
    Timed(state, std::string("fluidsynth -ni -q -F '") + wav + "' -r 44100 " + kSf2 + " '" + midi + "'");
    remove(midi.c_str());
    remove(wav.c_str());
}

// Flattening the score and loading every instrument and sample it plays from the bank.
void BM_PrepareEnsemble(benchmark::State &state) {
    if (const char *why = Missing()) return state.SkipWithError(why);
    FixePrefStd();
    DocumentRecord *document = CreeDemoScore("ensemble");
    FixeDossierBanqueSon(DossierBanquesConstruites().c_str());
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, kDigitQualityHigh);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        if (!InitFichiersRessourcesDigitPlugIn(5)) return state.SkipWithError(BankErrorMessage());
        SonPreparationRequest request = {document->score, DigitRateHz(&params), 0};
        PartitionSonRecord prepared;
        SoundEngineRecord *engine = nullptr;
        OSErr err = PreparePartitionSon(&request, &prepared);
        if (err == noErr) err = NewSoundEngine(&params, prepared.plan.staffCount, &engine);
        if (err == noErr)
            err = PrepareSonEvenements(engine, prepared.plan.events, prepared.plan.eventCount, prepared.staves,
                                       prepared.plan.staffCount, 0);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        DisposeSoundEngine(&engine);
        LiberePartitionSon(&prepared);
        CloseFichiersRessourcesDigit();  // the next pass loads the samples again
        if (err != noErr) return state.SkipWithError("preparing failed");
    }
    LibereDemoScore(&document);
}

}  // namespace

BENCHMARK(BM_OmplayEnsemble)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FluidsynthEnsemble)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PrepareEnsemble)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FluidsynthOneNote)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
    char here[4096];
    if (getcwd(here, sizeof here)) setenv("WORVA", here, 0);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"omplay / fluidsynth, same score", "BM_OmplayEnsemble/iterations:3/manual_time",
                             "BM_FluidsynthEnsemble/iterations:3/manual_time", 1.0},
                            {"preparing play / fluidsynth one note", "BM_PrepareEnsemble/iterations:5/manual_time",
                             "BM_FluidsynthOneNote/iterations:5/manual_time", 1.0}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
