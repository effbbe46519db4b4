// ctest-labels: score-model
// The engine facade: warnings, the folder tree and "chemins.cfg", the resource-file version and
// the singing set-up of a staff.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/folders.h"
#include "platform/core/resource_files.h"
#include "score/engine_facade.h"
#include "score/paths.h"
#include "score/score_hooks.h"
#include "support/message_catcher.h"
#include "support/resource_test_support.h"
#include "support/score_support.h"

namespace {

struct Recorded {
    SInt32 voices = 0;
} gRecorded;

Boolean Sung(StaffHandle) { return kTrue; }
Handle NewVoice() {
    gRecorded.voices++;
    return NewHandleClear(16);
}

TEST(EngineFacade, WarningsGoToTheTrace) {
    MessageCatcher messages;
    EXPECT_EQ(Avertissement(nullptr, 0, "Part '%c' defined twice", 'A'), 0);
    ASSERT_EQ(messages.traces.size(), 1u);
    EXPECT_EQ(messages.traces[0], "-- AVERTISSEMENT -- Part 'A' defined twice");
    std::string huge(20000, 'x');
    Avertissement(nullptr, 0, "%s", huge.c_str());
    ASSERT_EQ(messages.traces.size(), 2u);
    EXPECT_EQ(messages.traces[1].size(), 511u);  // a trace line holds 511 characters
    EXPECT_EQ(messages.traces[1].substr(0, 21), "-- AVERTISSEMENT -- x");
}

TEST(EngineFacade, FoldersComeFromTheBaseAndChemins) {
    std::string base = restest::FreshFolder();
    ASSERT_EQ(InitChemins(base.c_str()), noErr);
    char path[kOrvaPathMax + 1];
    ASSERT_TRUE(GetCheminDossier(kDossierLyrovoxVoix, path));
    EXPECT_EQ(std::string(path), base + "/Lyrovox/Voices/");
    ASSERT_TRUE(GetCheminDossier(kDossierPreferences, path));
    std::string cfg = std::string(path) + "chemins.cfg";
    FILE *file = fopen(cfg.c_str(), "w");
    ASSERT_NE(file, nullptr);
    fprintf(file, "# comment\nSOUNDBANK=%s/bank\nnothing=/x\nfonts=\nthemes=/t\nthemes=/%s\n", base.c_str(),
            std::string(3000, 'a').c_str());  // the over-long line is passed over
    fclose(file);
    ASSERT_EQ(InitChemins(base.c_str()), noErr);
    remove(cfg.c_str());
    GetCheminDossier(kDossierBanqueSon, path);
    EXPECT_EQ(std::string(path), base + "/bank/");
    GetCheminDossier(kDossierFontes, path);
    EXPECT_EQ(std::string(path), base + "/Fonts/");  // an empty value changes nothing
    GetCheminDossier(kDossierThemes, path);
    EXPECT_EQ(std::string(path), "/t/");
    ASSERT_EQ(mkdir((base + "/Lyrovox").c_str(), 0755) | mkdir((base + "/Lyrovox/Data").c_str(), 0755), 0);
    ASSERT_EQ(SetPathLyrovoxData(), 0);
    char current[kOrvaPathMax + 1];
    OrvaGetDir(current);
    EXPECT_EQ(std::string(current).find("/Lyrovox/Data"), base.size());
    EXPECT_NE(SetPathLyrovoxLanguages(), 0);  // missing folder
}

TEST(EngineFacade, ResourceFileVersions) {
    std::string folder = restest::FreshFolder();
    restest::WriteAll(folder + "/v.rsr", restest::BuildFile({{"Rver", 128, false, "", {0, 0, 3, 32}}}));
    restest::WriteAll(folder + "/none.rsr", restest::BuildFile({{"STR ", 128, false, "", {1, 'x'}}}));
    SInt16 versioned = OpenResFile("v.rsr");
    SInt16 plain = OpenResFile("none.rsr");
    ASSERT_GT(versioned, 0);
    EXPECT_EQ(GetVersionFichierRessource(versioned), 800);
    EXPECT_EQ(CurResFile(), plain);
    EXPECT_EQ(GetVersionFichierRessource(plain), 0);
    EXPECT_EQ(GetVersionFichierRessource(-7), 0);
    CloseResFile(plain);
    CloseResFile(versioned);
}

TEST(EngineFacade, SungStavesGetOneVoiceRecord) {
    ScoreFixture f;
    StaffHandle staff = f.Staff();
    InitChantConfigPortee(staff);  // no singer: nothing
    EXPECT_EQ((*staff)->voiceParams, nullptr);
    ScoreSingerHooks singer = {};
    singer.isPorteeChantee = Sung;
    singer.nouveauParamVoix = NewVoice;
    OrvaSetScoreSingerHooks(&singer);
    InitChantConfigPortee(staff);
    InitChantConfigPortee(staff);
    EXPECT_EQ(gRecorded.voices, 1);
    EXPECT_EQ((*staff)->configured, 1);
    EXPECT_EQ((*staff)->sung, 1);
    OrvaSetScoreSingerHooks(nullptr);  // the staff's record is freed with it
}

}  // namespace
