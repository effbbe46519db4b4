// ctest-labels: joints;plugin-shell
// Re-timing a playing selection with nothing but the product's own start-up: the plug-in is
// started as the browser starts it, which installs the score side of playback and the
// importer's bar numbers; a score then plays on the fake device and the player's selection
// call moves it to the selection and back.
#include <string>

#include "platform/core/runtime.h"
#include "score/score_model.h"
#include "sound/digit_params.h"
#include "sound/playback.h"
#include "sound/sequencer.h"
#include "sound/sound_bank.h"
#include "support/plugin_support.h"
#include "support/sound/playback_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

::testing::Environment *const gPlugIn = ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions()));

const SInt32 kMeasure = 4 * kTempsNoire;  // the scale's 4/4 measures, two seconds each at 120
const SInt32 kQuarterSecond = kTempsNoire / 2;

class SelectionRetiming : public ::testing::Test {
protected:
    void SetUp() override {
        FixeDossierBanqueSon(BuildTreePath("SoundBank").c_str());
        ASSERT_TRUE(InitFichiersRessourcesDigitPlugIn(0)) << "the OMS Basic bank is not built";
        RemplitParamDigitQualite(&GlobalDigitParam, kDigitQualityHigh);
        SetOutputDevice("fake");
        document_ = CreeDemoScore("scale");
        ASSERT_NE(document_, nullptr);
        ASSERT_TRUE(LanceMusique(document_));
        ASSERT_TRUE(WaitUntil(2, [] { return Stats().framesWritten >= 15 * 221; }));
    }
    void TearDown() override {
        ArreteMusique(1);
        SetOutputDevice("");
        LibereDemoScore(&document_);
    }
    DocumentRecord *document_ = nullptr;
};

TEST_F(SelectionRetiming, APlayingScoreGoesToItsSelectionAndBack) {
    ScoreHandle score = document_->score;
    ASSERT_EQ(partitionEnCours, score);  // the product's score side says what plays
    ASSERT_TRUE(AdvanceFakeClock(44100 / 4));
    EXPECT_LT(GetTempsEcritJoue(), kMeasure / 2);
    FixeJoueSelection(0, 9999, 2, 2);  // bar 2: the second measure
    EXPECT_EQ((*score)->selectionPlay, 1);
    EXPECT_EQ((*score)->selectionStart, kMeasure);
    EXPECT_EQ((*score)->selectionEnd, 2 * kMeasure);
    ASSERT_TRUE(AdvanceFakeClock(44100));
    EXPECT_NEAR(GetTempsEcritJoue(), kMeasure + kMeasure / 2, kQuarterSecond);
    FixeJoueSelection(0, 0, -1, -1);  // no selection: the score starts again from its start
    EXPECT_EQ((*score)->selectionPlay, 0);
    ASSERT_TRUE(AdvanceFakeClock(44100));
    EXPECT_NEAR(GetTempsEcritJoue(), kMeasure / 2, kQuarterSecond);
}

}  // namespace
