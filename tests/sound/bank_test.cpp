// ctest-labels: playback
// The sound bank: the generator and info tools, zones written and read back, damaged banks,
// bank levels and opening, instrument fallbacks, and the bank made from the SF2 file.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "sound/bank_format.h"
#include "sound/sound_bank.h"
#include "sound/synth.h"
#include "support/audio_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"

namespace {

std::string Slurp(const std::string &path) {
    restest::Bytes bytes = restest::ReadAll(path);
    return std::string(bytes.begin(), bytes.end());
}

BankZone Zone(UInt8 low, UInt8 high, UInt32 sample) {
    BankZone z;
    memset(&z, 0, sizeof z);
    z.keyLow = low, z.keyHigh = high, z.velocityHigh = 127, z.sample = sample, z.rootKey = 69;
    z.loopMode = kBankLoopContinuous, z.tune = -7, z.gain = -60, z.pan = 250;
    z.start = 2, z.end = 900, z.loopStart = 100, z.loopEnd = 800;
    z.attack = 3, z.hold = 4, z.decay = 500, z.release = 120, z.sustain = 700, z.cutoff = 5000, z.resonance = 30;
    return z;
}

// Writes "OMS Small" (level 1) into folder with the instruments given; sample 7 is a 1000-frame
// sine of 440 Hz at 44.1 kHz.
void WriteBank(const std::string &folder, const std::vector<std::pair<SInt32, std::vector<BankZone>>> &instruments) {
    BankInfoRecord info = {"OMS Small", 1, 44100};
    BankWriterRecord writer;
    char message[200];
    ASSERT_EQ(noErr, OuvreEcritureBanque(folder.c_str(), &info, &writer, message, sizeof message)) << message;
    for (const auto &instrument : instruments)
        ASSERT_EQ(noErr, AjouteInstrumentBanque(&writer, instrument.first, instrument.second.data(),
                                                UInt32(instrument.second.size())));
    ASSERT_EQ(noErr, FermeEcritureBanque(&writer, false));
    std::vector<SInt16> sine(1000);
    for (size_t i = 0; i < sine.size(); i++) sine[i] = SInt16(10000 * std::sin(2 * M_PI * 440 * double(i) / 44100));
    BankSampleHeader header = {44100, 1000, 0, 0, 1};
    char path[1200];
    NomFichierEchantillon(folder.c_str(), 7, path, sizeof path);
    ASSERT_EQ(noErr, EcritFichierEchantillon(path, &header, sine.data()));
}

std::string BuiltBanks() { return BuildTreePath("SoundBank"); }

class Bank : public ::testing::Test {
protected:
    void SetUp() override { folder_ = restest::FreshFolder(); }
    void TearDown() override {
        CloseFichiersRessourcesDigit();
        FixeDossierBanqueSon(nullptr);
    }
    std::string folder_;
};

TEST_F(Bank, SyntheticBankIsCountedByBankinfoAndMadeTheSameTwice) {
    std::string again = folder_ + "/again";
    int status = -1;
    RunCommand("'" + ToolPath("mkbank") + "' --synthetic -o '" + folder_ + "'", &status);
    ASSERT_EQ(0, status);
    RunCommand("'" + ToolPath("mkbank") + "' --synthetic -o '" + again + "'", &status);
    ASSERT_EQ(0, status);
    std::string out = RunCommand("'" + ToolPath("bankinfo") + "' '" + folder_ + "/OMS Basic.rsr'", &status);
    EXPECT_EQ("level=0 programs=128 drums=47\n", out);
    for (const char *leaf : {"/OMS Basic.rsr", "/Samples/90000.rsd", "/Samples/90302.rsd"}) {
        SCOPED_TRACE(leaf);
        std::string first = Slurp(folder_ + leaf);
        EXPECT_FALSE(first.empty());
        EXPECT_EQ(first, Slurp(again + leaf));
    }
    RunCommand("'" + ToolPath("bankinfo") + "' /dev/null 2>/dev/null", &status);
    EXPECT_NE(0, status);
}

TEST_F(Bank, ZonesReadBackAsWritten) {
    std::vector<BankZone> zones = {Zone(0, 59, 7), Zone(60, 127, 7)};
    zones[1].loopMode = kBankLoopUntilRelease, zones[1].velocityLow = 64, zones[1].pan = -500;
    WriteBank(folder_, {{IdProgrammeBanque(5, 2), zones}});
    FixeDossierBanqueSon(folder_.c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(1));
    EXPECT_STREQ("OMS Small", GetNameSoundDataBase());
    const BankInstrument *instrument = ChargeInstrumentBanque(261, 60);
    ASSERT_NE(nullptr, instrument);
    EXPECT_EQ(261, instrument->id);
    ASSERT_EQ(2u, instrument->zoneCount);
    for (UInt32 i = 0; i < 2; i++) EXPECT_EQ(0, memcmp(&zones[i], &instrument->zones[i], sizeof(BankZone))) << i;
    EXPECT_EQ(1000u, instrument->samples[0]->frames);
    EXPECT_EQ(instrument->samples[0], instrument->samples[1]);  // one sample loaded once
}

// Each damaged instrument is refused with a message; the bank keeps working.
TEST_F(Bank, DamagedInstrumentsAndSamplesGiveErrors) {
    BankZone reversed = Zone(70, 20, 7), missing = Zone(0, 127, 8), pastEnd = Zone(0, 127, 7);
    pastEnd.loopEnd = 5000;
    BankZone cutShort = Zone(0, 127, 9), rateZero = Zone(0, 127, 10);
    WriteBank(folder_, {{1, {reversed}}, {2, {missing}}, {3, {pastEnd}}, {4, {cutShort}}, {5, {rateZero}}, {6, {Zone(0, 127, 7)}}});
    char path[1200];
    NomFichierEchantillon(folder_.c_str(), 7, path, sizeof path);
    std::string good = Slurp(path);
    std::string truncated = good.substr(0, good.size() / 2), zeroRate = good;
    zeroRate[4] = zeroRate[5] = zeroRate[6] = zeroRate[7] = 0;
    const std::pair<UInt32, std::string> files[] = {{9, truncated}, {10, zeroRate}};
    for (const auto &f : files) {
        NomFichierEchantillon(folder_.c_str(), f.first, path, sizeof path);
        FILE *out = fopen(path, "wb");
        fwrite(f.second.data(), 1, f.second.size(), out);
        fclose(out);
    }
    FixeDossierBanqueSon(folder_.c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(1));
    struct Row {
        SInt32 id;
        OSErr error;
        const char *words;
    } rows[] = {
        {1, paramErr, "key range 70..20"}, {2, fnfErr, "no sample file"}, {4, eofErr, "cut short"}, {5, paramErr, "sample rate 0"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.id);
        const BankInstrument *instrument = ChargeInstrumentBanque(row.id, 60);
        EXPECT_EQ(nullptr, instrument);  // nor is there a program 0 to fall back on
        EXPECT_EQ(row.error, BankError());
        EXPECT_NE(nullptr, strstr(BankErrorMessage(), row.words)) << BankErrorMessage();
    }
    const BankInstrument *loopPastEnd = ChargeInstrumentBanque(3, 60);
    ASSERT_NE(nullptr, loopPastEnd);
    EXPECT_EQ(kBankLoopNone, loopPastEnd->zones[0].loopMode);
}

TEST_F(Bank, LevelsAndOpening) {
    const std::pair<const char *, SInt16> levels[] = {{"OMS Basic", 0}, {"OMS Full", 5}, {"oms full", 5}, {"x", 6}, {"", 6}};
    for (const auto &l : levels) EXPECT_EQ(l.second, LevelBase(l.first)) << l.first;
    WriteBank(folder_, {{0, {Zone(0, 127, 7)}}});
    FixeDossierBanqueSon(folder_.c_str());
    EXPECT_FALSE(InitFichiersRessourcesDigitPlugIn(0));  // no "OMS Basic" here
    EXPECT_STREQ("", GetNameSoundDataBase());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(999));  // the default: the best present
    EXPECT_EQ(1, LevelBase(GetNameSoundDataBase()));
    UInt32 opened = BankFilesOpened();
    EXPECT_TRUE(InitFichiersRessourcesDigitPlugIn(999));
    EXPECT_TRUE(InitFichiersRessourcesDigitPlugIn(1));
    EXPECT_EQ(opened, BankFilesOpened());
}

TEST_F(Bank, MissingInstrumentsFallBack) {
    WriteBank(folder_, {{0, {Zone(0, 127, 7)}}, {52, {Zone(0, 127, 7)}}, {72, {Zone(0, 127, 7)}},
                        {IdBatterieBanque(0, 36), {Zone(36, 36, 7)}}, {IdBatterieBanque(3, 38), {Zone(38, 38, 7)}}});
    FixeDossierBanqueSon(folder_.c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(1));
    struct Row {
        SInt32 id;
        UInt8 key;
        SInt32 plays;  // -1: nothing
    } rows[] = {
        {IdProgrammeBanque(72, 1), 60, 72}, {13, 60, 0}, {5220, 60, 52}, {-4, 60, 0}, {IdBatterieBanque(5, 0), 36, IdBatterieBanque(0, 36)},
        {IdBatterieBanque(3, 0), 38, IdBatterieBanque(3, 38)}, {IdBatterieBanque(3, 0), 40, -1},
    };
    for (const Row &row : rows) {
        const BankInstrument *instrument = ChargeInstrumentBanque(row.id, row.key);
        EXPECT_EQ(row.plays, instrument ? instrument->id : -1) << row.id << " key " << int(row.key);
    }
}

// Two small SF2 files: generators of the preset's global zone add to the instrument's, whose
// global zone lends its own to each zone; a kit's keys are split and keep the file's pitch.
TEST_F(Bank, Sf2ZonesAreFlattenedFromGenerators) {
    std::string source = std::string(getenv("ORVA_SOURCE_DIR")) + "/tests/data/fuzz/sf2/";
    int status = -1;
    for (const char *name : {"melodic", "kit"}) {
        RunCommand("'" + ToolPath("mkbank") + "' --from-sf2 '" + source + name + ".sf2' -o " + name, &status);
        ASSERT_EQ(0, status) << name;
    }
    EXPECT_EQ("level=5 programs=1 drums=0\n", RunCommand("'" + ToolPath("bankinfo") + "' 'melodic/OMS Full.rsr'", &status));
    EXPECT_EQ("level=5 programs=0 drums=6\n", RunCommand("'" + ToolPath("bankinfo") + "' 'kit/OMS Full.rsr'", &status));
    FixeDossierBanqueSon((folder_ + "/melodic").c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(5));
    const BankInstrument *piano = ChargeInstrumentBanque(0, 60);
    ASSERT_NE(nullptr, piano);
    ASSERT_EQ(2u, piano->zoneCount);
    struct Row {
        int keyLow, keyHigh, velocityLow, tune, pan, attack, cutoff;
    } rows[] = {{0, 71, 0, 197, -150, 18, 0}, {72, 127, 64, -3, 100, 18, 1480}};
    for (UInt32 i = 0; i < 2; i++) {
        const BankZone &z = piano->zones[i];
        const Row &r = rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(r.keyLow, z.keyLow);
        EXPECT_EQ(r.keyHigh, z.keyHigh);
        EXPECT_EQ(r.velocityLow, z.velocityLow);
        EXPECT_EQ(69, z.rootKey);
        EXPECT_EQ(r.tune, z.tune);
        EXPECT_EQ(r.pan, z.pan);
        EXPECT_EQ(r.attack, z.attack);
        EXPECT_EQ(r.cutoff, z.cutoff);
        EXPECT_EQ(kBankLoopContinuous, z.loopMode);
        EXPECT_EQ(100u, z.loopStart);
        EXPECT_EQ(1900u, z.loopEnd);
        EXPECT_EQ(1000, z.sustain);
    }
    FixeDossierBanqueSon((folder_ + "/kit").c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(5));
    const BankInstrument *drum = ChargeInstrumentBanque(IdBatterieBanque(0, 0), 36);
    ASSERT_NE(nullptr, drum);
    EXPECT_EQ(36, drum->zones[0].rootKey);
    EXPECT_EQ(-3, drum->zones[0].tune);  // the kit does not follow the scale: key 36 sounds as 38 does
    EXPECT_EQ(kBankLoopNone, drum->zones[0].loopMode);
}

// The build's "OMS Full" when the SF2 package is installed.
TEST_F(Bank, FullBankHasEveryProgramAndKitZeroAndAPianoInTune) {
    std::string full = BuiltBanks() + "/OMS Full.rsr";
    struct stat st;
    if (stat(full.c_str(), &st) != 0) GTEST_SKIP() << "no OMS Full (fluid-soundfont-gm missing)";
    FixeDossierBanqueSon(BuiltBanks().c_str());
    ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(5));
    for (SInt32 p = 0; p < 128; p++) {
        const BankInstrument *instrument = ChargeInstrumentBanque(p, 60);
        ASSERT_NE(nullptr, instrument);
        EXPECT_EQ(p, instrument->id);
    }
    const BankInstrument *kick = ChargeInstrumentBanque(IdBatterieBanque(0, 0), 36);
    ASSERT_NE(nullptr, kick);
    EXPECT_EQ(IdBatterieBanque(0, 36), kick->id);
    DigitOutputParams params;
    RemplitParamDigitQualite(&params, kDigitQualityHigh);
    params.reverb = 0;
    SoundEvent a4 = {0, 1500, 0, 0, 69, 100};
    SoundStaffBlock staff = {127, 0, 1, kSoundSourceBank, 0, 0, 0};
    SoundRenderRequest request = {&params, &a4, 1, true, &staff, 1, nullptr, 0, 100, 0};
    SInt16 *samples;
    UInt32 frames;
    ASSERT_EQ(noErr, RenduSonHorsLigne(&request, &samples, &frames, nullptr));
    Audio audio = AudioFrom(samples, frames, 2, 44100);
    DisposPtr(reinterpret_cast<Ptr>(samples));
    EXPECT_NEAR(440.0, DominantHz(audio, 0.3, 0.5), 4.4);
}

}  // namespace
