// ctest-labels: score-model
// The engine facade: the play selection with and without playback, the pending selection of
// the exported play call, warnings, the folder tree and "chemins.cfg", the music font, the
// resource-file version and the singing set-up of a staff.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
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
    SInt32 start = -1, end = -1;
    SInt32 voices = 0;
} gRecorded;

Boolean Playing(ScoreHandle) { return kTrue; }
void Retime(ScoreHandle, SInt32 start, SInt32 end) { gRecorded.start = start, gRecorded.end = end; }
SInt32 BarsShiftedByOne(ScoreHandle, SInt32 bar) { return bar + 1; }
Boolean Sung(StaffHandle) { return kTrue; }
Handle NewVoice() {
    gRecorded.voices++;
    return NewHandleClear(16);
}

TEST(EngineFacade, TheSelectionIsStoredAndRetimesAPlayingScore) {
    ScoreFixture f;
    TimeSignature four = Signature(4, 4);
    ASSERT_EQ(InsereMesureChangeEchelleMesure(f.score, 1, 9, 0, &four, 1), noErr);
    partitionEnCours = f.score;
    FixeJoueSelection(0, 3, 2, 4);  // no playback: only stored
    PlaySelectionRecord selection;
    GetJoueSelection(&selection);
    EXPECT_EQ(selection.firstPart, 0);
    EXPECT_EQ(selection.lastMeasure, 4);
    EXPECT_EQ((*f.score)->selectionPlay, 0);
    ScorePlaybackHooks playback = {};
    playback.isPlaying = Playing;
    playback.retimeSelection = Retime;
    ScoreImportHooks import = {BarsShiftedByOne};
    OrvaSetScorePlaybackHooks(&playback);
    OrvaSetScoreImportHooks(&import);
    FixeJoueSelection(0, 3, 2, 4);  // bars 2..4 are measures 3..5 (indices 2..4)
    EXPECT_EQ(gRecorded.start, 2 * 161280);
    EXPECT_EQ(gRecorded.end, 5 * 161280);
    EXPECT_EQ((*f.score)->selectionPlay, 1);
    FixeJoueSelection(0, 0, -1, -1);
    EXPECT_EQ(gRecorded.start, 0);
    EXPECT_EQ(gRecorded.end, 10 * 161280);
    EXPECT_EQ((*f.score)->selectionPlay, 0);
    EXPECT_FALSE(JoueMusiqueCadenzo(0, 1, 3, 2));
    ASSERT_TRUE(JoueMusiqueCadenzo(1, 2, 1, 50));
    ASSERT_TRUE(PrendSelectionEnAttente(&selection));
    EXPECT_EQ(selection.firstMeasure, 1);
    EXPECT_EQ(selection.lastMeasure, 9);  // bar 50 lies past the end: the last measure
    EXPECT_FALSE(PrendSelectionEnAttente(&selection));
    OrvaSetScorePlaybackHooks(nullptr);
    OrvaSetScoreImportHooks(nullptr);
    partitionEnCours = nullptr;
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

TEST(EngineFacade, TheMusicFontIsFoundOrLeftOut) {
    EXPECT_FALSE(InitLentara());
    EXPECT_EQ(lentaraPrint, 0);
    OrvaFontStruct font = {};
    font.fontID = kFontIDUnassigned;
    strcpy(font.name, kNomFonteMusique);
    ASSERT_TRUE(OrvaAddFont(&font));
    ASSERT_TRUE(InitLentara());
    UInt16 id = OrvaGetFontIDFromNameStrict(kNomFonteMusique);
    EXPECT_EQ(lentaraPrint, SInt16(id));
    EXPECT_TRUE(IsFonteLentaraScreen(SInt16(id)));
    EXPECT_FALSE(OrvaGetFontTranscoding(id));
    OrvaDisposeFontList();
    OrvaSetFontesLentara(nullptr, 0);
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
