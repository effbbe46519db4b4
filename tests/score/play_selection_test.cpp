// ctest-labels: score-model
// The play selection kept in the score record, and the pending selection of the exported play
// call, with bars read as measures (no importer installed).
#include <gtest/gtest.h>

#include "score/play_selection.h"
#include "support/score_support.h"

namespace {

const SInt32 kMeasure = 4 * 40320;  // a 4/4 measure

struct TenMeasures : ScoreFixture {
    TenMeasures() {
        TimeSignature four = Signature(4, 4);
        EXPECT_EQ(InsereMesureChangeEchelleMesure(score, 1, 9, 0, &four, 1), noErr);
    }
};

TEST(PlaySelection, BarsBecomeTheScoresWrittenRange) {
    TenMeasures f;
    const struct {
        const char *label;
        SInt32 firstBar, lastBar;
        Boolean play, stored;
        SInt32 start, end;
    } rows[] = {
        {"bars 2..4, kept aside", 2, 4, kFalse, kTrue, kMeasure, 4 * kMeasure},
        {"bars 2..4, played", 2, 4, kTrue, kTrue, kMeasure, 4 * kMeasure},
        {"one bar", 7, 7, kTrue, kTrue, 6 * kMeasure, 7 * kMeasure},
        {"past the end: the last measure", 9, 50, kTrue, kTrue, 8 * kMeasure, 10 * kMeasure},
        {"before the start: the first measure", -3, 1, kTrue, kTrue, 0, kMeasure},
        {"backwards", 5, 3, kTrue, kFalse, 0, 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        (*f.score)->selectionPlay = 0;
        (*f.score)->selectionStart = (*f.score)->selectionEnd = 0;
        EXPECT_EQ(FixeSelectionPartition(f.score, 1, 3, row.firstBar, row.lastBar, row.play), row.stored);
        EXPECT_EQ((*f.score)->selectionPlay, row.stored && row.play ? 1 : 0);
        EXPECT_EQ((*f.score)->selectionStart, row.start);
        EXPECT_EQ((*f.score)->selectionEnd, row.end);
        if (row.stored) EXPECT_EQ((*f.score)->selectionLastPart, 3);
    }
    EffaceSelectionPartition(f.score);
    EXPECT_EQ((*f.score)->selectionPlay, 0);
}

TEST(PlaySelection, TheExportedPlayCallLeavesOnePendingSelection) {
    PlaySelectionRecord selection;
    EXPECT_FALSE(PrendSelectionEnAttente(&selection));
    partitionEnCours = nullptr;
    EXPECT_FALSE(JoueMusiqueCadenzo(0, 1, 3, 2));
    EXPECT_FALSE(JoueMusiqueCadenzo(0, 1, 0, 2));
    ASSERT_TRUE(JoueMusiqueCadenzo(0, 1, 3, 5));  // no score: the bars are taken as they are
    ASSERT_TRUE(PrendSelectionEnAttente(&selection));
    EXPECT_EQ(selection.firstMeasure, 2);
    EXPECT_EQ(selection.lastMeasure, 4);
    TenMeasures f;
    partitionEnCours = f.score;
    ASSERT_TRUE(JoueMusiqueCadenzo(1, 2, 1, 50));
    ASSERT_TRUE(PrendSelectionEnAttente(&selection));
    EXPECT_EQ(selection.firstPart, 1);
    EXPECT_EQ(selection.lastPart, 2);
    EXPECT_EQ(selection.firstMeasure, 0);
    EXPECT_EQ(selection.lastMeasure, 9);  // bar 50 lies past the end: the last measure
    EXPECT_FALSE(PrendSelectionEnAttente(&selection));
    partitionEnCours = nullptr;
}

}  // namespace
