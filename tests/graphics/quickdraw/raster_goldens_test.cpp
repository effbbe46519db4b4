// ctest-labels: raster raster.shapes raster.regions_draw
// The qdscene raster scenes against their reviewed golden images, pixel for pixel. A mismatch
// leaves the actual image and a difference image in the temporary folder. The goldens change
// only by hand: build/dev/tools/qdscene SCENE tests/golden/graphics/SCENE.png, then review.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "support/graphics/golden_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

namespace {

int RunCommand(const std::string &command) { return std::system(command.c_str()); }

TEST(RasterGoldens, ScenesMatchTheirReviewedImages) {
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char *scene : {"shapes", "regions"}) {
        SCOPED_TRACE(scene);
        std::string actual = TempFile(std::string(scene) + ".png");
        ASSERT_EQ(RunCommand(BuildTreePath("tools/qdscene") + " " + scene + " " + actual + " >/dev/null"), 0);
        std::string golden = std::string(source) + "/tests/golden/graphics/" + scene + ".png";
        ::testing::AssertionResult same = SameImage(actual, golden, TempFile(std::string(scene) + "_diff.png"));
        EXPECT_TRUE(same);
        if (same) std::remove(actual.c_str());
    }
}

}  // namespace
