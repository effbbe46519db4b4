// omplay: plays a demo score (tools/demo_scores) through the sequencer and the synthesiser.
//   omplay --demo NAME [--bank NAME] [--bank-folder DIR] [--quality low|medium|high] [--no-reverb]
//          [--count-in BARS] [--tempo T] [--played TEXT] (--wav OUT | --midi OUT | --order)
// --wav renders offline into a WAV file and prints "frames=F events=E voices=V"; --midi writes
// the same notes as a standard MIDI file; --order prints the played measures ("1 2 1 3 4").
// --played sets a custom played-measures text ("1-8,1-4"). Without --bank-folder the banks are
// looked for in SoundBank/ beside the tools folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "score/played_measures.h"
#include "score/preferences.h"
#include "sound/digit_params.h"
#include "sound/midi_file.h"
#include "sound/play_instruments.h"
#include "sound/sequencer.h"
#include "sound/sound_bank.h"
#include "tools/demo_scores/build_tree.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

struct Options {
    const char *demo = nullptr, *bank = "OMS Basic", *folder = nullptr, *wav = nullptr, *midi = nullptr;
    const char *played = nullptr;
    SInt16 quality = kDigitQualityHigh;
    bool reverb = true, order = false;
    int countIn = 0, tempo = 0;
};

bool ParseOptions(int argc, char **argv, Options *o);
int Usage();
int Render(const Options &o, ScoreHandle score);
int WriteMidi(const Options &o, ScoreHandle score);
bool SetPlayed(ScoreHandle score, const char *text);

}  // namespace

int main(int argc, char **argv) {
    FixeDossierSystemeOutil();
    Options o;
    if (!ParseOptions(argc, argv, &o)) return Usage();
    FixePrefStd();
    DocumentRecord *document = CreeDemoScore(o.demo);
    if (!document) {
        fprintf(stderr, "omplay: no demo score '%s'\n", o.demo);
        return 2;
    }
    ScoreHandle score = document->score;
    if (o.tempo) (*score)->tempo = SInt16(o.tempo);
    if (o.played && !SetPlayed(score, o.played)) {
        fprintf(stderr, "omplay: no measure in the played-measures text '%s'\n", o.played);
        LibereDemoScore(&document);
        return 2;
    }
    int status = 0;
    if (o.order) {
        CalculeTabCvtMesure(score);
        for (SInt32 k = 0; k < GetNbMesuresJouees(score); k++)
            printf("%s%d", k ? " " : "", int(CvtMesureJoueeEnMesure(score, k) + 1));
        printf("\n");
    }
    if (o.wav) status = Render(o, score);
    if (status == 0 && o.midi) status = WriteMidi(o, score);
    LibereDemoScore(&document);
    return status;
}

namespace {

int Usage() {
    fprintf(stderr, "usage: omplay --demo NAME [--bank NAME] [--bank-folder DIR] [--quality low|medium|high]\n"
                    "              [--no-reverb] [--count-in BARS] [--tempo T] [--played TEXT]\n"
                    "              (--wav OUT | --midi OUT | --order)\n");
    return 2;
}

int Render(const Options &o, ScoreHandle score) {
    std::string folder = o.folder ? o.folder : DossierBanquesConstruites();
    FixeDossierBanqueSon(folder.c_str());
    SInt16 level = LevelBase(o.bank);
    if (level >= kBankLevelDefault || !InitFichiersRessourcesDigitPlugIn(level)) {
        // The bank's own message says what went wrong with a bank that is there.
        const char *why = level < kBankLevelDefault ? BankErrorMessage() : "";
        if (why[0] && strncmp(why, "no bank", 7) != 0)
            fprintf(stderr, "omplay: the bank \"%s\" in %s cannot be read: %s\n", o.bank, folder.c_str(), why);
        else
            fprintf(stderr, "omplay: no bank \"%s\" in %s (cmake --build <build tree> --target tools makes the banks)\n",
                    o.bank, folder.c_str());
        return 1;
    }
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, o.quality);
    if (!o.reverb) params.reverb = 0;
    SonRenduPartition request = {score, &params, SInt16(o.countIn), nullptr, UInt32(o.reverb ? 3000 : 300)};
    SInt16 *samples = nullptr;
    UInt32 frames = 0;
    SoundEngineStats stats;
    OSErr err = RenduPartitionHorsLigne(&request, &samples, &frames, &stats);
    if (err == noErr) err = EcritFichierWav(o.wav, samples, frames, params.stereo ? 2 : 1, DigitRateHz(&params));
    if (samples) DisposPtr(reinterpret_cast<Ptr>(samples));
    CloseFichiersRessourcesDigit();
    if (err != noErr) {
        fprintf(stderr, "omplay: rendering failed (error %d)\n", err);
        return 1;
    }
    printf("frames=%u events=%u voices=%u\n", unsigned(frames), unsigned(stats.notesStarted + stats.notesSkipped),
           unsigned(stats.voicesPeak));
    return 0;
}

int WriteMidi(const Options &o, ScoreHandle score) {
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, o.quality);
    SonPreparationRequest request = {score, DigitRateHz(&params), SInt16(o.countIn)};
    PartitionSonRecord prepared;
    OSErr err = PreparePartitionSon(&request, &prepared);
    if (err == noErr) err = EcritFichierMidi(o.midi, &prepared);
    LiberePartitionSon(&prepared);
    if (err != noErr) {
        fprintf(stderr, "omplay: cannot write %s (error %d)\n", o.midi, err);
        return 1;
    }
    return 0;
}

bool SetPlayed(ScoreHandle score, const char *text) {
    Handle logical = CvtStringToTabMesures(score, text, SInt32(strlen(text)));
    Handle physical = logical ? ConvertTabMesureLogiqueEnPhysique(score, logical) : nullptr;
    bool ok = physical && FixeTabMesuresJouees(score, physical) == noErr;
    if (ok) (*score)->customPlay = 1;
    if (logical) DisposHandle(logical);
    if (physical) DisposHandle(physical);
    return ok;
}

bool ParseOptions(int argc, char **argv, Options *o) {
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--no-reverb") o->reverb = false;
        else if (a == "--order") o->order = true;
        else if (!next) return false;
        else if (a == "--demo") o->demo = argv[++i];
        else if (a == "--bank") o->bank = argv[++i];
        else if (a == "--bank-folder") o->folder = argv[++i];
        else if (a == "--wav") o->wav = argv[++i];
        else if (a == "--midi") o->midi = argv[++i];
        else if (a == "--played") o->played = argv[++i];
        else if (a == "--count-in") o->countIn = atoi(argv[++i]);
        else if (a == "--tempo") o->tempo = atoi(argv[++i]);
        else if (a == "--quality") {
            std::string q = argv[++i];
            if (q != "low" && q != "medium" && q != "high") return false;
            o->quality = q == "low" ? kDigitQualityLow : q == "medium" ? kDigitQualityMedium : kDigitQualityHigh;
        } else return false;
    }
    return o->demo && (o->wav || o->midi || o->order) && o->countIn >= 0 && o->countIn <= kMaxMesuresDecompte &&
           o->tempo >= 0 && o->tempo <= 5000;
}

}  // namespace
