// ctest-labels: images images.resize
// Plain and smooth resizing and zoom: sizes, transparent edges, opacity-weighted colours, a
// 4 x 4 fixture resampled to 6.0 and 2.5 against samples worked out by hand (stepping in single
// precision as the resize does), and sizes that give no image.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/images/images.h"
#include "graphics/quickdraw/transfer.h"
#include "support/graphics/image_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"

namespace {

class ImageResize : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        OrvaSetCopybitAntialias(false, true);
    }
    // Red by column and green by row 0, 100, 207, 250; blue 7; the last column transparent.
    Offscreen Fixture() {
        const UInt8 levels[4] = {0, 100, 207, 250};
        Offscreen image = Image(4, 4, 0, 0);
        for (SInt16 y = 0; y < 4; y++)
            for (SInt16 x = 0; x < 4; x++) OffscreenSetPixel(image, x, y, levels[x], levels[y], 7, x == 3 ? 0 : 255);
        return image;
    }
};

TEST_F(ImageResize, HalvingLeavesTheExtraColumnAndRowTransparent) {
    Offscreen image = Image(10, 10, 0x336699, 255);
    Offscreen half = Keep(OffscreenSmoothResize(image, 5.0f, 5.0f));
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(ImageWH(half), std::make_pair(6, 6));
    for (SInt16 y = 0; y < 6; y++)
        for (SInt16 x = 0; x < 6; x++)
            EXPECT_EQ(ImagePixel(half, x, y), x == 5 || y == 5 ? 0u : 0xFF336699u) << x << "," << y;
}

TEST_F(ImageResize, TransparentPixelsLendNoColour) {
    Offscreen image = Image(3, 1, 0xFF0000, 255);
    OffscreenSetPixel(image, 2, 0, 0, 0, 255, 0);  // a transparent blue pixel
    Offscreen wide = Keep(OffscreenSmoothResize(image, 6.0f, 1.0f));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(ImagePixel(wide, 1, 0), 0xFFFF0000u);  // half-way between two opaque pixels
    EXPECT_EQ(ImagePixel(wide, 2, 0), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(wide, 3, 0), 0x7FFF0000u);  // half-way to the transparent one: its colour unmixed
    EXPECT_EQ(ImagePixel(wide, 4, 0), 0u);           // the transparent pixel itself
    EXPECT_EQ(ImagePixel(wide, 0, 1), 0u);           // the extra row
}

TEST_F(ImageResize, FixtureToSixBySix) {
    Offscreen big = Keep(OffscreenSmoothResize(Fixture(), 6.0f, 6.0f));
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(ImageWH(big), std::make_pair(7, 7));
    // Steps of 2/3: columns sample 0, .667, 1.333, 2, 2.667, 3.333 and 4.
    EXPECT_EQ(ImagePixel(big, 0, 0), 0xFF000007u);
    EXPECT_EQ(ImagePixel(big, 1, 0), 0xFF420007u);  // 100 x 2/3 = 66.7
    EXPECT_EQ(ImagePixel(big, 2, 0), 0xFF870007u);  // 100 / 3 + 207 x 2/3... 66.7 + 69 = 135.7
    EXPECT_EQ(ImagePixel(big, 3, 0), 0xFFCF0007u);  // exactly column 2
    // Column 2 beside the transparent column 3: its colour at a third of the weight; the
    // single-precision step puts 2.6666667 here, so 255 x 0.33333325 = 84.99998, and blue
    // 7 x 84.99998 / 84.99998 comes out a hair below 7.
    EXPECT_EQ(ImagePixel(big, 4, 0), 0x54CF0006u);
    EXPECT_EQ(ImagePixel(big, 5, 0), 0u);
    EXPECT_EQ(ImagePixel(big, 6, 0), 0u);
    EXPECT_EQ(ImagePixel(big, 1, 1) & 0xFFFF00u, 0x424200u);
    EXPECT_EQ(ImagePixel(big, 2, 2) & 0xFFFF00u, 0x878700u);
    EXPECT_EQ(ImagePixel(big, 0, 6), 0u);  // row 4 lies outside
}

TEST_F(ImageResize, FixtureToTwoAndAHalf) {
    Offscreen small = Keep(OffscreenSmoothResize(Fixture(), 2.5f, 2.5f));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(ImageWH(small), std::make_pair(3, 3));
    // Steps of 1.6: samples at 0, 1.6 and 3.2.
    EXPECT_EQ(ImagePixel(small, 0, 0), 0xFF000007u);
    EXPECT_EQ(ImagePixel(small, 1, 0), 0xFFA40007u);  // 100 x 0.4 + 207 x 0.6 = 164.2
    EXPECT_EQ(ImagePixel(small, 2, 0), 0u);           // column 3 transparent, column 4 outside
    EXPECT_EQ(ImagePixel(small, 1, 1) & 0xFFFFFF00u, 0xFFA4A400u);
    // Row 3 and the missing row 4 at 0.2: row 3's colour, weight 255 x 0.79999995 = 203.99998.
    EXPECT_EQ(ImagePixel(small, 0, 2), 0xCB00FA07u);
}

TEST_F(ImageResize, PlainResizeAndZoom) {
    Offscreen image = Fixture();
    Offscreen same = Keep(OffscreenZoom(image, 100.0f, 100.0f, 0));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(ImagePixels(same), ImagePixels(image));
    Offscreen doubled = Keep(OffscreenZoom(image, 200.0f, 50.0f, 0));
    ASSERT_NE(doubled, nullptr);
    EXPECT_EQ(ImageWH(doubled), std::make_pair(8, 2));
    EXPECT_EQ(ImagePixel(doubled, 0, 0) >> 24, 255u);
    EXPECT_EQ(ImagePixel(doubled, 7, 0) >> 24, 0u);
    Offscreen smooth = Keep(OffscreenZoom(image, 150.0f, 150.0f, 1));
    ASSERT_NE(smooth, nullptr);
    EXPECT_EQ(ImageSize(smooth).right, 7);

    Offscreen bare = Keep(NewFilledOffscreen(4, 2, 24, 0x00FF00));
    Rect r = {0, 0, 4, 8};
    Offscreen scaled = Keep(OffscreenResize(bare, &r));
    ASSERT_NE(scaled, nullptr);
    EXPECT_EQ(scaled->opacity, nullptr);
    EXPECT_EQ(StorePixel(scaled, 7, 3), 0x00FF00u);
    Offscreen smoothBare = Keep(OffscreenSmoothResize(bare, 8.0f, 4.0f));  // taken as opaque
    ASSERT_NE(smoothBare, nullptr);
    EXPECT_EQ(ImagePixel(smoothBare, 3, 1), 0xFF00FF00u);
    EXPECT_EQ(bare->opacity, nullptr);
}

TEST_F(ImageResize, SizesThatGiveNoImage) {
    Offscreen image = Image(4, 4, 0, 255);
    GrafPtr before = qd.thePort;
    const Rect empty[] = {{0, 0, 0, 5}, {0, 0, 5, 0}, {0, 0, -2, 5}, {0, 0, 5, 9000}};
    for (const Rect &r : empty) EXPECT_EQ(OffscreenResize(image, &r), nullptr);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const float bad[] = {0.0f, -3.0f, nan, inf, -inf, 8191.0f, 1e30f};
    for (float b : bad) {
        EXPECT_EQ(OffscreenSmoothResize(image, b, 2.0f), nullptr) << b;
        EXPECT_EQ(OffscreenSmoothResize(image, 2.0f, b), nullptr) << b;
    }
    const float percents[] = {0.0f, -3.0f, nan, inf, -inf, 1e30f, 204800.0f};
    for (float b : percents) {
        EXPECT_EQ(OffscreenZoom(image, b, 100.0f, 0), nullptr) << b;
        EXPECT_EQ(OffscreenZoom(image, 100.0f, b, 1), nullptr) << b;
    }
    EXPECT_EQ(OffscreenZoom(image, 10.0f, 100.0f, 0), nullptr);  // 0.4 pixels wide
    EXPECT_EQ(OffscreenSmoothResize(nullptr, 2.0f, 2.0f), nullptr);
    EXPECT_EQ(qd.thePort, before);
}

}  // namespace
