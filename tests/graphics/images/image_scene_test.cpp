// ctest-labels: images images.scene
// qdscene's effects scene against its golden: a checkerboard with a soft disc rotated, skewed,
// tilted, shadowed, blurred, hue-shifted and distorted, each result's size and origin printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/graphics/transfer_support.h"
#include "support/tool_support.h"

namespace {

TEST(ImageScene, EffectsMatchTheirGolden) {
    std::string png = TempFile("effects.png");
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " effects " + png, &status);
    ASSERT_EQ(status, 0);
    EXPECT_NE(out.find("rotate 30: 163x163 origin (0,0)"), std::string::npos) << out;
    EXPECT_NE(out.find("skew 20: 164x120 origin (0,0)"), std::string::npos) << out;
    EXPECT_NE(out.find("perspective 40: 120x120 origin (0,34)"), std::string::npos) << out;
    EXPECT_NE(out.find("shadows: 131x131 origin (0,0)"), std::string::npos) << out;
    EXPECT_EQ(out.find("none"), std::string::npos) << out;
    EXPECT_EQ(CompareWithGolden(png, "effects.png", 1), "");
    std::remove(png.c_str());
}

}  // namespace
