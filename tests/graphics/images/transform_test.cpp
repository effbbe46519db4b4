// ctest-labels: images images.transform
// Rotation, perspective and skew: rotated bounds, rotations by 0 and 45 degrees, tilts that
// change nothing, distances and angles with no defined view, shears and angles that are not
// numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "graphics/images/images.h"
#include "support/graphics/image_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"

namespace {

class ImageTransform : public ImageTest {
protected:
    // A w x h image of distinct opaque colours with a transparent pixel at (1, 1).
    Offscreen Pattern(SInt16 w, SInt16 h) {
        Rect r = {0, 0, h, w};
        Offscreen image = Keep(OffscreenCreate(&r));
        EXPECT_NE(image, nullptr);
        for (SInt16 y = 0; y < h; y++)
            for (SInt16 x = 0; x < w; x++) OffscreenSetPixel(image, x, y, UInt8(x * 20), UInt8(y * 20), 99, 255);
        OffscreenSetPixel(image, 1, 1, 50, 60, 70, 0);
        return image;
    }
};

TEST_F(ImageTransform, RotatedBounds) {
    Rect r = {0, 0, 50, 100}, out;
    OffscreenGetRotatedBoundRect(&r, 0.0f, &out);
    EXPECT_EQ(WH(out), std::make_pair(100, 50));
    OffscreenGetRotatedBoundRect(&r, 90.0f, &out);
    EXPECT_EQ(WH(out), std::make_pair(50, 99));  // the top extent -24.5 truncates toward zero
    OffscreenGetRotatedBoundRect(&r, 45.0f, &out);
    EXPECT_EQ(WH(out), std::make_pair(105, 105));
    OffscreenGetRotatedBoundRect(&r, std::numeric_limits<float>::quiet_NaN(), &out);
    EXPECT_EQ(out.right, 0);
}

TEST_F(ImageTransform, RotationByZeroKeepsTheVisiblePixels) {
    Offscreen image = Pattern(7, 5);
    Offscreen same = Keep(OffscreenRotate(image, 0.0f, 1, 2, 3, 0));
    ASSERT_NE(same, nullptr);
    EXPECT_EQ(ImageWH(same), std::make_pair(7, 5));
    std::vector<UInt32> expected = ImagePixels(image);
    expected[1 * 7 + 1] = 0;  // the transparent pixel loses its colour
    EXPECT_EQ(ImagePixels(same), expected);
}

TEST_F(ImageTransform, RotationBy45HasTransparentCornersAndSoftEdges) {
    Rect r = {0, 0, 20, 20};
    Offscreen square = Keep(OffscreenCreate(&r));
    OffscreenPaintRect(square, &r, 200, 0, 0, 100, 1);
    Offscreen turned = Keep(OffscreenRotate(square, 45.0f, 0, 0, 255, 0));
    ASSERT_NE(turned, nullptr);
    Rect size = ImageSize(turned);
    EXPECT_EQ(WH(size), std::make_pair(27, 27));  // extents -4.14 and 24.14 round to -3 and 24
    EXPECT_EQ(ImagePixel(turned, 0, 0) >> 24, 0u);
    EXPECT_EQ(ImagePixel(turned, 26, 26) >> 24, 0u);
    EXPECT_EQ(ImagePixel(turned, 13, 13), 0xFFC80000u);
    // Along the diagonal from a corner to the centre the opacity rises from 0 through partial values to 255.
    bool partial = false;
    for (SInt16 x = 0; x < 13; x++) {
        UInt32 a = ImagePixel(turned, x, x) >> 24;
        if (a > 0 && a < 255) {
            partial = true;
            EXPECT_EQ(ImagePixel(turned, x, x) & 0xFFFFFF, 0xC80000u);  // the transparent fill lends no colour
        }
    }
    EXPECT_TRUE(partial);
}

// Rotation of a 20 x 10 image by 30 degrees worked out in double precision with the same
// sampling: the single-precision stepping agrees within 1 per component (colours where the
// pixel is more than a quarter opaque).
struct Ref {
    double b, g, r, a;
};
Ref RefNeighbour(Offscreen image, int x, int y) {
    if (x < 0 || y < 0 || x >= 20 || y >= 10) return {0, 0, 0, 0};
    SInt16 r, g, b, a;
    OffscreenGetPixel(image, SInt16(x), SInt16(y), &r, &g, &b, &a);
    return {double(b), double(g), double(r), double(a)};
}
Ref RefMix(Ref p, Ref q, double f) {
    double w0 = p.a * (1 - f), w1 = q.a * f, sum = w0 + w1;
    if (sum == 0) return {0, 0, 0, 0};
    return {std::trunc((p.b * w0 + q.b * w1) / sum), std::trunc((p.g * w0 + q.g * w1) / sum),
            std::trunc((p.r * w0 + q.r * w1) / sum), std::trunc(sum)};
}
Ref RefRow(Offscreen image, int row, double sx) {
    if (row < 0 || row >= 10 || sx < -1 || sx >= 20) return {0, 0, 0, 0};
    double x0 = std::floor(sx);
    return RefMix(RefNeighbour(image, int(x0), row), RefNeighbour(image, int(x0) + 1, row), sx - x0);
}

TEST_F(ImageTransform, RotationBy30MatchesTheFormulaInDoublePrecision) {
    Rect r = {0, 0, 10, 20};
    Offscreen image = Keep(OffscreenCreate(&r));
    for (SInt16 y = 0; y < 10; y++)
        for (SInt16 x = 0; x < 20; x++)
            OffscreenSetPixel(image, x, y, UInt8(x * 12), UInt8(y * 25), UInt8((x * y) % 256), (x + y) % 5 ? 255 : 90);
    Offscreen turned = Keep(OffscreenRotate(image, 30.0f, 0, 0, 0, 0));
    ASSERT_NE(turned, nullptr);
    Rect size = ImageSize(turned);
    // Extents -1.16 and 21.16 round to 0 and 21, -4.33 and 14.33 to -3 and 14.
    EXPECT_EQ(WH(size), std::make_pair(21, 17));
    const double c = std::cos(30 * 3.1415926 / 180), s = std::sin(30 * 3.1415926 / 180);
    for (int j = 0; j < size.bottom; j++)
        for (int i = 0; i < size.right; i++) {
            double dc = i - (size.right - 1) / 2.0, dr = j - (size.bottom - 1) / 2.0;
            double sx = 9.5 + dc * c + dr * s, sy = 4.5 - dc * s + dr * c, y0 = std::floor(sy);
            Ref want = RefMix(RefRow(image, int(y0), sx), RefRow(image, int(y0) + 1, sx), sy - y0);
            UInt32 got = ImagePixel(turned, SInt16(i), SInt16(j));
            SCOPED_TRACE(testing::Message() << i << "," << j);
            EXPECT_NEAR(double(got >> 24), want.a, 1.0);
            // Faint edge pixels amplify the one-off row weights into their colour.
            if (want.a > 64) {
                EXPECT_NEAR(double((got >> 16) & 255), want.r, 1.0);
                EXPECT_NEAR(double((got >> 8) & 255), want.g, 1.0);
                EXPECT_NEAR(double(got & 255), want.b, 1.0);
            }
        }
}

TEST_F(ImageTransform, PerspectiveWithoutAViewChangesNothing) {
    Offscreen image = Pattern(6, 6);
    Offscreen before = Keep(OffscreenDuplicate(image));
    EXPECT_EQ(OffscreenPerspective(image, 0.0f, 0, 0, 100.0f), 0);
    EXPECT_EQ(OffscreenPerspective(image, 30.0f, 0, 0, 0.0f), 0);
    EXPECT_EQ(OffscreenPerspective(image, 30.0f, 0, 0, -5.0f), 0);
    EXPECT_EQ(OffscreenPerspective(image, std::numeric_limits<float>::infinity(), 0, 0, 50.0f), 0);
    EXPECT_EQ(ImagePixels(image), ImagePixels(before));
}

TEST_F(ImageTransform, PerspectiveTiltsTheTopAway) {
    Offscreen image = Pattern(40, 40);
    OffscreenPerspective(image, 40.0f, 0, 0, 200.0f);
    EXPECT_EQ(ImagePixel(image, 20, 39) >> 24, 255u);  // the bottom edge stays
    EXPECT_EQ(ImagePixel(image, 0, 0) >> 24, 0u);      // the top corners narrow away
    Offscreen edgeOn = Pattern(10, 10);
    OffscreenPerspective(edgeOn, 90.0f, 0, 0, 30.0f);  // seen edge-on: defined pixels only
    for (SInt16 y = 0; y < 10; y++)
        for (SInt16 x = 0; x < 10; x++) EXPECT_LE(ImagePixel(edgeOn, x, y) >> 24, 255u);
    Offscreen behind = Pattern(10, 10);
    OffscreenPerspective(behind, 170.0f, 0, 0, 1.0f);
    OffscreenPerspective(behind, -89.0f, 0, 0, 1e30f);
}

TEST_F(ImageTransform, Skews) {
    Offscreen image = Pattern(10, 10);
    Offscreen right = Keep(OffscreenRightSkew(image, 45.0f, 0, 0, 0, 0));
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(ImageWH(right), std::make_pair(20, 10));
    Offscreen steep = Keep(OffscreenRightSkew(image, 60.0f, 0, 0, 0, 0));
    ASSERT_NE(steep, nullptr);
    EXPECT_EQ(ImagePixels(steep), ImagePixels(right));
    EXPECT_EQ(ImagePixel(right, 0, 0) >> 24, 0u);  // the top leans right
    EXPECT_GT(ImagePixel(right, 1, 9) >> 24, 250u);
    EXPECT_EQ(ImagePixel(right, 19, 9) >> 24, 0u);
    for (float angle : {0.0f, -0.0f}) {
        Offscreen flat = Keep(OffscreenRightSkew(image, angle, 0, 0, 0, 0));
        Offscreen tall = Keep(OffscreenBottomSkew(image, angle, 0, 0, 0, 0));
        ASSERT_NE(flat, nullptr);
        ASSERT_NE(tall, nullptr);
        EXPECT_EQ(ImageSize(flat).right, 10);
        EXPECT_EQ(ImageSize(tall).bottom, 10);
        for (SInt16 y = 0; y < 10; y++)
            for (SInt16 x = 0; x < 10; x++) {
                if (x == 1 && y == 1) continue;
                EXPECT_EQ(ImagePixel(flat, x, y), ImagePixel(image, x, y));
                EXPECT_EQ(ImagePixel(tall, x, y), ImagePixel(image, x, y));
            }
    }
    Offscreen down = Keep(OffscreenBottomSkew(image, -30.0f, 9, 9, 9, 255));
    ASSERT_NE(down, nullptr);
    EXPECT_EQ(ImageWH(down), std::make_pair(10, 16));  // trunc(0.577 x 10 + 10 + 0.5)
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(OffscreenRightSkew(image, nan, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(OffscreenBottomSkew(image, nan, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(OffscreenRotate(image, nan, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(OffscreenRotate(image, inf, 0, 0, 0, 0), nullptr);
    Offscreen clamped = Keep(OffscreenBottomSkew(image, inf, 0, 0, 0, 0));
    ASSERT_NE(clamped, nullptr);
    EXPECT_EQ(ImageSize(clamped).bottom, 20);
    Offscreen bare = Keep(NewFilledOffscreen(3, 3, 24, 0x102030));  // no plane
    Offscreen turned = Keep(OffscreenRotate(bare, 90.0f, 0, 0, 0, 0));
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(ImagePixel(turned, 1, 1), 0xFF102030u);  // taken as opaque
    EXPECT_EQ(bare->opacity, nullptr);             // and left as it was
}

}  // namespace
