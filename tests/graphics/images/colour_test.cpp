// ctest-labels: images images.colour
// Colour adjustments: brightness/contrast/saturation, integer HSL, highlight, channel mixer,
// glow and the height-map distortion, with settings beyond their ranges.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "graphics/images/images.h"
#include "support/graphics/image_support.h"
#include "support/graphics/quickdraw_support.h"

namespace {

const UInt32 kSamples[] = {0x000000, 0xFFFFFF, 0x808080, 0xFF0000, 0x00FF00, 0x0000FF, 0x336699, 0xC81E64};

class ImageColour : public ImageTest {
protected:
    // One pixel per sample, opacity 200.
    Offscreen Samples() {
        Rect r = {0, 0, 1, 8};
        Offscreen image = Keep(OffscreenCreate(&r));
        for (SInt16 x = 0; x < 8; x++) {
            UInt32 c = kSamples[x];
            OffscreenSetPixel(image, x, 0, UInt8(c >> 16), UInt8(c >> 8), UInt8(c), 200);
        }
        return image;
    }
};

TEST_F(ImageColour, NeutralSettingsChangeNothing) {
    Offscreen image = Samples();
    std::vector<UInt32> before = ImagePixels(image);
    OffscreenBCS(image, 0, 0, 0);
    EXPECT_EQ(ImagePixels(image), before);
    OffscreenChannelMixer(image, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    EXPECT_EQ(ImagePixels(image), before);
    OffscreenHSL(image, 0, 0, 0);
    for (int x : {0, 1, 2, 3, 4, 5}) EXPECT_EQ(ImagePixel(image, SInt16(x), 0), before[size_t(x)]);  // primaries, greys
    Offscreen glow = Samples();
    OffscreenGlow(glow, 1.0f);
    EXPECT_EQ(ImagePixel(glow, 0, 0), 0xC8000000u);
    EXPECT_EQ(ImagePixel(glow, 1, 0), 0xC8FFFFFFu);
}

TEST_F(ImageColour, HueSaturationAndLightness) {
    Offscreen grey = Samples();
    OffscreenHSL(grey, 0, -100, 0);
    EXPECT_EQ(ImagePixel(grey, 3, 0), 0xC87F7F7Fu);  // (255 + 0) / 2
    EXPECT_EQ(ImagePixel(grey, 7, 0), 0xC8737373u);  // (200 + 30) / 2
    Offscreen a = Samples(), b = Samples(), c = Samples(), d = Samples();
    OffscreenHSL(a, 180, 0, 0);
    OffscreenHSL(b, -180, 0, 0);
    EXPECT_EQ(ImagePixels(a), ImagePixels(b));
    EXPECT_NE(ImagePixels(a), ImagePixels(c));
    OffscreenHSL(c, 360, 0, 0);
    OffscreenHSL(d, 0, 0, 0);
    EXPECT_EQ(ImagePixels(c), ImagePixels(d));
    Offscreen white = Samples(), black = Samples();
    OffscreenHSL(white, 0, 0, 100);
    OffscreenHSL(black, 0, 0, -100);
    EXPECT_EQ(ImagePixels(white), std::vector<UInt32>(8, 0xC8FFFFFFu));
    EXPECT_EQ(ImagePixels(black), std::vector<UInt32>(8, 0xC8000000u));
    Offscreen s100 = Samples(), s150 = Samples(), huge = Samples();
    OffscreenHSL(s100, 30, 100, 0);
    OffscreenHSL(s150, 30, 150, 0);
    EXPECT_EQ(ImagePixels(s100), ImagePixels(s150));
    OffscreenHSL(huge, -32768, 32767, 32767);  // held to the ranges
    EXPECT_EQ(ImagePixels(huge), std::vector<UInt32>(8, 0xC8FFFFFFu));
}

TEST_F(ImageColour, HighlightMixerAndGlow) {
    Rect r = {0, 0, 1, 2};
    Offscreen image = Keep(OffscreenCreate(&r));
    OffscreenSetPixel(image, 0, 0, 100, 200, 10, 255);
    OffscreenHighlight(image, 2.0f);
    EXPECT_EQ(ImagePixel(image, 0, 0), 0xFFC8FF14u);
    OffscreenHighlight(image, -1.0f);
    EXPECT_EQ(ImagePixel(image, 0, 0), 0xFF000000u);
    OffscreenSetPixel(image, 0, 0, 100, 200, 10, 255);
    OffscreenHighlight(image, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(ImagePixel(image, 0, 0), 0xFF000000u);
    OffscreenSetPixel(image, 0, 0, 100, 200, 10, 255);
    OffscreenChannelMixer(image, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0);  // red and blue swapped
    EXPECT_EQ(ImagePixel(image, 0, 0), 0xFF0AC864u);
    OffscreenChannelMixer(image, 300, 1, 1, 1, -500, 0, 0, 0, 0.5f, 0, 0, 0.5f);
    EXPECT_EQ(ImagePixel(image, 0, 0), 0xFFFF0032u);
    Offscreen grey = Samples();
    OffscreenGlow(grey, 0.01f);  // k = 128^3 / 255^3 = 0.1265: 128 + 127 x 0.1265 = 144.06
    EXPECT_EQ(ImagePixel(grey, 2, 0), 0xC8909090u);
    OffscreenGlow(grey, -1e30f);
    EXPECT_EQ(ImagePixel(grey, 2, 0), 0xC8000000u);
}

TEST_F(ImageColour, Distortion) {
    Rect r = {0, 0, 9, 9};
    Offscreen flat = Keep(OffscreenCreate(&r)), target = Keep(OffscreenCreate(&r));
    OffscreenPaintRect(flat, &r, 90, 90, 90, 100, 0);
    for (SInt16 y = 0; y < 9; y++)
        for (SInt16 x = 0; x < 9; x++) OffscreenSetPixel(target, x, y, UInt8(x * 25), UInt8(y * 25), 100, 255);
    std::vector<UInt32> before = ImagePixels(target);
    OffscreenDistort(flat, target, 0, 0, 5, 1, 1);
    EXPECT_EQ(ImagePixels(target), before);

    // A ridge rising to the right: pixels read from further right, lightened or darkened by the
    // distance moved.
    Offscreen ridge = Keep(OffscreenCreate(&r));
    for (SInt16 y = 0; y < 9; y++)
        for (SInt16 x = 0; x < 9; x++) OffscreenSetPixel(ridge, x, y, UInt8(x * 30), UInt8(x * 30), UInt8(x * 30), 255);
    Offscreen moved = Keep(OffscreenDuplicate(target)), light = Keep(OffscreenDuplicate(target)),
              dark = Keep(OffscreenDuplicate(target));
    OffscreenDistort(ridge, moved, 0, 0, 0.5f, 0, 0);
    // At (2, 4): c = 60, gx = 60 + 0.707 x 120 = 144.84, gx' = 4.26; sx = 2 + 2.13 = 4.13.
    EXPECT_EQ(ImagePixel(moved, 2, 4), before[4 * 9 + 4]);
    OffscreenDistort(ridge, light, 0, 0, 0.5f, 2, 0);
    OffscreenDistort(ridge, dark, 0, 0, 0.5f, -2, 0);
    // The source pixel (4, 4) is grey 100; f = 2.13 x 2 / 20 = 0.213: 100 + 155 x 0.213 = 133.0
    // lighter, 100 x (1 - 0.213) = 78.7 darker.
    EXPECT_EQ(ImagePixel(light, 2, 4), 0xFF858585u);
    EXPECT_EQ(ImagePixel(dark, 2, 4), 0xFF4E4E4Eu);
    OffscreenDistort(ridge, dark, 0, 0, std::numeric_limits<float>::infinity(), -1e30f, 1e30f);
    OffscreenDistort(ridge, dark, -32768, 32767, 1, 1, 1);
}

}  // namespace
