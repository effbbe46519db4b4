// ctest-labels: engraving
// omrender's pictures of eight demo scores against their reviewed golden images: at most half a
// percent of the pixels may differ (antialiased edges of glyphs and curves move with the
// libraries' versions). A mismatch leaves the actual image and a difference image in the
// temporary folder. The goldens change only by hand:
//   build/dev/tools/omrender --demo NAME --strip -o tests/golden/engraving/NAME.png
// then review.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/graphics/golden_support.h"
#include "support/tool_support.h"

namespace {

const double kShareMax = 0.005;

TEST(EngravingGoldens, DemoScoresMatchTheirReviewedImages) {
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char *demo : {"scale", "bass", "eighths", "ties", "chords", "rests", "repeats", "showcase"}) {
        SCOPED_TRACE(demo);
        std::string actual = TempFile(std::string(demo) + ".png");
        int status = -1;
        std::string out = RunCommand(ToolPath("omrender") + " --demo " + demo + " --strip -o " + actual + " 2>&1", &status);
        ASSERT_EQ(status, 0) << out;
        std::string golden = std::string(source) + "/tests/golden/engraving/" + demo + ".png";
        ::testing::AssertionResult same = SameImage(actual, golden, TempFile(std::string(demo) + "_diff.png"), kShareMax);
        EXPECT_TRUE(same);
        if (same) std::remove(actual.c_str());
    }
}

}  // namespace
