// ctest-labels: images images.opacity
// Opacity planes from colours, their combination and fades, the box blur against a naive
// window sum, and drop and inner shadows.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "graphics/images/images.h"
#include "support/graphics/image_support.h"
#include "support/graphics/quickdraw_support.h"

namespace {

using ImageOpacity = ImageTest;

// The naive blur: every output the mean of its 2r window, read from a snapshot of the pass's
// input (colours repeat the ends, opacity takes 0 or 255 outside).
void NaivePass(std::vector<UInt32> &px, int w, int h, int r, bool vertical, bool colour, bool opacity, bool edge,
               bool inner) {
    std::vector<UInt32> in = px;
    int lines = vertical ? w : h, length = vertical ? h : w;
    for (int n = 0; n < lines; n++)
        for (int i = 0; i < length; i++) {
            long sum[4] = {0, 0, 0, 0};
            for (int k = i - r; k < i + r; k++) {
                int kc = k < 0 ? 0 : k >= length ? length - 1 : k;
                UInt32 p = vertical ? in[size_t(kc * w + n)] : in[size_t(n * w + kc)];
                for (int c = 0; c < 3; c++) sum[c] += (p >> (8 * c)) & 255;
                sum[3] += k < 0 || k >= length ? (edge ? 255 : 0) : p >> 24;
            }
            size_t at = vertical ? size_t(i * w + n) : size_t(n * w + i);
            UInt32 v = in[at];
            if (colour) {
                v &= 0xFF000000u;
                for (int c = 0; c < 3; c++) v |= UInt32(sum[c] / (2 * r)) << (8 * c);
            }
            if (opacity) {
                long a = inner ? long(in[at] >> 24) * sum[3] / (long(r) * 510) : sum[3] / (2 * r);
                v = (v & 0xFFFFFFu) | UInt32(a) << 24;
            }
            px[at] = v;
        }
}

TEST_F(ImageOpacity, BlursEqualANaiveWindowSum) {
    const SInt16 sizes[][2] = {{1, 1}, {1, 50}, {50, 1}, {37, 23}};
    for (const auto &size : sizes) {
        const int w = size[0], h = size[1];
        for (int r = 1; r <= 20; r++)
            for (int kind = 0; kind < 5; kind++) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " r " << r << " kind " << kind);
                Offscreen image = Image(SInt16(w), SInt16(h), 0, 0);
                std::vector<UInt32> px(size_t(w * h));
                UInt32 seed = UInt32(r * 7919 + w);
                for (int i = 0; i < w * h; i++) {
                    seed = seed * 1103515245u + 12345u;
                    px[size_t(i)] = seed;
                    OffscreenSetPixel(image, SInt16(i % w), SInt16(i / w), UInt8(seed >> 16), UInt8(seed >> 8),
                                      UInt8(seed), SInt16(seed >> 24));
                }
                bool colour = kind == 0, edge = kind == 2 || kind == 4, inner = kind >= 3;
                if (colour) OffscreenBlur(image, r);
                else if (inner) OffscreenBlurInnerOpacity(image, r, edge);
                else OffscreenBlurOpacity(image, r, edge);
                NaivePass(px, w, h, r, false, colour, !colour, edge, inner);
                NaivePass(px, w, h, r, true, colour, !colour, edge, inner);
                EXPECT_EQ(ImagePixels(image), px);
                OrvaClosePortOffscreen(image);
                images.pop_back();
            }
    }
}

TEST_F(ImageOpacity, BlurEdgesAndRadii) {
    Offscreen row = Image(3, 1, 0, 255);
    OffscreenSetPixel(row, 0, 0, 100, 0, 0, 255);
    OffscreenSetPixel(row, 1, 0, 200, 0, 0, 255);
    OffscreenSetPixel(row, 2, 0, 0, 0, 0, 255);
    OffscreenBlurH(row, 1, false, true, false, false);  // window i - 1 .. i
    EXPECT_EQ(ImagePixel(row, 0, 0), 0xFF640000u);
    EXPECT_EQ(ImagePixel(row, 1, 0), 0xFF960000u);
    EXPECT_EQ(ImagePixel(row, 2, 0), 0xFF640000u);
    Offscreen opaque = Image(6, 6, 0, 255);
    OffscreenBlurOpacity(opaque, 2, true);
    for (SInt16 i = 0; i < 6; i++) EXPECT_EQ(ImagePixel(opaque, i, i) >> 24, 255u);
    OffscreenBlurOpacity(opaque, 2, false);
    EXPECT_LT(ImagePixel(opaque, 0, 0) >> 24, 255u);
    EXPECT_EQ(ImagePixel(opaque, 3, 3) >> 24, 255u);
    Offscreen still = Image(4, 4, 0x808080, 100);
    OffscreenSetPixel(still, 0, 0, 0, 0, 0, 0);
    for (SInt32 r : {0, -1, -10000}) {
        OffscreenBlur(still, r);
        OffscreenBlurOpacity(still, r, true);
        OffscreenBlurInnerOpacity(still, r, false);
    }
    EXPECT_EQ(ImagePixel(still, 0, 0), 0u);
    EXPECT_EQ(ImagePixel(still, 1, 0), 0x64808080u);
    std::vector<UInt32> px = ImagePixels(still);
    OffscreenBlur(still, 10000);  // a window far wider than the image: mostly the end pixels
    NaivePass(px, 4, 4, 10000, false, true, false, false, false);
    NaivePass(px, 4, 4, 10000, true, true, false, false, false);
    EXPECT_EQ(ImagePixels(still), px);
}

TEST_F(ImageOpacity, PlanesFromColours) {
    Offscreen image = Image(3, 1, 0, 7);
    OffscreenSetPixel(image, 1, 0, 255, 255, 255, -1);
    OffscreenSetPixel(image, 2, 0, 255, 0, 0, -1);
    OffscreenCreateOpacityFromLuminance(image);
    EXPECT_EQ(ImagePixel(image, 0, 0) >> 24, 0u);
    EXPECT_EQ(ImagePixel(image, 1, 0) >> 24, 255u);
    EXPECT_EQ(ImagePixel(image, 2, 0) >> 24, 85u);
    OffscreenCreateOpacityFromColor(image, "FF0000");
    EXPECT_EQ(ImagePixel(image, 2, 0) >> 24, 0u);
    EXPECT_EQ(ImagePixel(image, 1, 0) >> 24, 255u);
    OffscreenCreateOpacityFromColor(image, "not hex");  // black is the key
    EXPECT_EQ(ImagePixel(image, 0, 0) >> 24, 0u);
    OffscreenInvertOpacity(image);
    EXPECT_EQ(ImagePixel(image, 0, 0) >> 24, 255u);
    OffscreenSetPixel(image, 1, 0, 1, 2, 3, 77);
    OffscreenPixelsFromOpacity(image);
    EXPECT_EQ(ImagePixel(image, 1, 0), 0xFF4D4D4Du);
}

TEST_F(ImageOpacity, CombiningAndFading) {
    Offscreen a = Image(2, 2, 0, 255), b = Image(2, 2, 0, 255);
    OffscreenComputeOpacity(a, b, 1);
    EXPECT_EQ(ImagePixel(b, 0, 0) >> 24, 255u);
    Offscreen c = Image(2, 2, 0, 128), d = Image(2, 2, 0, 128);
    for (auto mode : {std::make_pair(1, 192u), std::make_pair(2, 64u), std::make_pair(3, 32u)}) {  // in turn on d
        OffscreenComputeOpacity(c, d, SInt16(mode.first));
        EXPECT_EQ(ImagePixel(d, 1, 1) >> 24, mode.second) << mode.first;
    }
    Offscreen big = Image(10, 10, 0, 0), small = Image(6, 6, 0, 0);
    for (SInt16 i = 0; i < 10; i++) OffscreenSetPixel(big, i, i, 0, 0, 0, SInt16(i * 10));
    OffscreenComputeOpacity(big, small, 0);
    for (SInt16 i = 0; i < 6; i++) EXPECT_EQ(ImagePixel(small, i, i) >> 24, UInt32(i + 2) * 10);
    Offscreen wide = Image(14, 14, 0, 99);
    OffscreenComputeOpacity(big, wide, 0);
    EXPECT_EQ(ImagePixel(wide, 0, 0) >> 24, 0u);
    EXPECT_EQ(ImagePixel(wide, 5, 5) >> 24, 30u);

    Offscreen fade = Image(2, 1, 0, 200);
    OffscreenSetPixel(fade, 1, 0, 0, 0, 0, 100);
    OffscreenFadeOpacity(fade, 200);
    EXPECT_EQ(ImagePixel(fade, 0, 0) >> 24, 255u);
    EXPECT_EQ(ImagePixel(fade, 1, 0) >> 24, 200u);
    OffscreenFadeOpacity(fade, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(ImagePixel(fade, 0, 0) >> 24, 0u);
    Offscreen ramp = Image(4, 1, 0, 200);
    OffscreenProgressiveFadeOpacity(ramp, 100, 0, 100, 0);
    EXPECT_EQ(ImagePixel(ramp, 0, 0) >> 24, 200u);
    EXPECT_EQ(ImagePixel(ramp, 2, 0) >> 24, 100u);
    EXPECT_EQ(ImagePixel(ramp, 3, 0) >> 24, 50u);  // 3/4 of the way: the right percentage is never reached
}

TEST_F(ImageOpacity, Shadows) {
    Offscreen image = Image(10, 10, 0xFFFFFF, 255);
    SInt16 ox = -1, oy = -1;
    Offscreen shadow = Keep(OffscreenDropShadow(image, 5, 5, 0, 0, 0, 0, 100, &ox, &oy));
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(ImageWH(shadow), std::make_pair(15, 15));
    EXPECT_EQ(ox, 0);
    EXPECT_EQ(oy, 0);
    EXPECT_EQ(ImagePixel(shadow, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(ImagePixel(shadow, 14, 14), 0xFF000000u);
    EXPECT_EQ(ImagePixel(shadow, 14, 0) >> 24, 0u);
    Offscreen sharp = Keep(OffscreenDropShadow(image, -5, 0, 0, 0, 0, 0, 100, &ox, &oy));
    ASSERT_NE(sharp, nullptr);
    EXPECT_EQ(ox, 5);
    EXPECT_EQ(oy, 0);
    EXPECT_EQ(ImagePixel(sharp, 0, 0), 0xFF000000u);
    Offscreen left = Keep(OffscreenDropShadow(image, -5, 0, 0, 0, 0, 2, 50, &ox, &oy));
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(ox, 7);
    EXPECT_EQ(oy, 2);
    EXPECT_EQ(ImageWH(left), std::make_pair(17, 14));  // from -7 to 10
    EXPECT_EQ(ImagePixel(left, 7, 2), 0xFFFFFFFFu);
    EXPECT_EQ(OffscreenDropShadow(image, 0, 0, 0, 0, 0, 9000, 50, nullptr, nullptr), nullptr);

    Offscreen inner = Image(10, 10, 0xFFFFFF, 255);
    OffscreenDropInnerShadow(inner, 3, 3, 0, 0, 0, 0, 100);
    EXPECT_EQ(ImagePixel(inner, 0, 0), 0xFF000000u);  // the shifted plane leaves a gap at the top left
    EXPECT_EQ(ImagePixel(inner, 5, 5), 0xFFFFFFFFu);
    Offscreen strong = Image(10, 10, 0xFFFFFF, 255);
    OffscreenDropInnerShadow(strong, 3, 3, 0, 0, 0, 1, 200);  // held at full strength, no wrap
    EXPECT_EQ(ImagePixel(strong, 0, 0), 0xFF000000u);
    EXPECT_EQ(ImagePixel(strong, 9, 9), 0xFFFFFFFFu);
}

}  // namespace
