// ctest-labels: playback
// Bytes as a bank: a two-byte length, that many bytes of an 'INST' resource, the rest a sample
// file named after the instrument's first zone. The description and the instrument are read,
// a bank of them is written, opened and played offline at three keys with reverb, so that
// damaged ranges, loops and envelopes reach the voices.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "tests/fuzz/fuzz_support.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/bank_format.h"
#include "sound/sound_bank.h"
#include "sound/synth.h"

static void Play() {
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, kDigitQualityLow);
    params.reverb = 1;
    SoundEvent notes[3] = {{0, 30, 0, 0, 0, 1}, {5, 60, 0, 0, 60, 100}, {10, 90, 0, 0, 127, 127}};
    SoundStaffBlock staff = {127, 0, 1, kSoundSourceBank, 0, 0, 0};
    SoundRenderRequest request = {&params, notes, 3, true, &staff, 1, nullptr, 0, 50, 0};
    SInt16 *samples = nullptr;
    UInt32 frames = 0;
    if (RenduSonHorsLigne(&request, &samples, &frames, nullptr) == noErr) DisposPtr(reinterpret_cast<Ptr>(samples));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2 || size > (1u << 20)) return 0;
    const std::string &folder = FuzzFolder();
    size_t instBytes = size_t(data[0]) << 8 | data[1];
    if (instBytes > size - 2) instBytes = size - 2;
    const uint8_t *inst = data + 2, *sample = inst + instBytes;
    size_t sampleBytes = size - 2 - instBytes;
    BankInfoRecord info;
    LitInfoBanque(inst, instBytes, &info, nullptr, 0);
    static BankZone zones[kBankMaxZones];
    UInt32 count = 0;
    if (LitZonesInstrument(inst, instBytes, zones, kBankMaxZones, &count, nullptr, 0) != noErr) return 0;
    BankInfoRecord bank = {"OMS Basic", 0, 44100};
    BankWriterRecord writer;
    if (OuvreEcritureBanque(folder.c_str(), &bank, &writer, nullptr, 0) != noErr) return 0;
    AjouteInstrumentBanque(&writer, 0, zones, count);
    FermeEcritureBanque(&writer, false);
    char path[1200];
    NomFichierEchantillon(folder.c_str(), zones[0].sample, path, sizeof path);
    FuzzWriteFile(path, sample, sampleBytes);
    FixeDossierBanqueSon(folder.c_str());
    if (InitFichiersRessourcesDigitPlugIn(0)) Play();
    CloseFichiersRessourcesDigit();
    remove(path);
    return 0;
}
