// A test fixture for the image library: QuickDraw started, and images made by the test
// closed at its end; and the reads of an image's pixels and bounds that its tests compare.
#pragma once

#include <gtest/gtest.h>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/quickdraw/transfer.h"
#include "support/graphics/quickdraw_support.h"

// Pixel (x, y) of image as 0xAARRGGBB.
inline UInt32 ImagePixel(Offscreen image, SInt16 x, SInt16 y) {
    SInt16 r, g, b, a;
    OffscreenGetPixel(image, x, y, &r, &g, &b, &a);
    return UInt32(a) << 24 | UInt32(r) << 16 | UInt32(g) << 8 | UInt32(b);
}

// The image's bounds.
inline Rect ImageSize(Offscreen image) {
    Rect bounds;
    OffscreenGetInfo(image, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return bounds;
}

// The image's width and height.
inline std::pair<int, int> ImageWH(Offscreen image) { return WH(ImageSize(image)); }

// Every pixel of image, row after row, as ImagePixel reads them.
inline std::vector<UInt32> ImagePixels(Offscreen image) {
    std::vector<UInt32> pixels;
    Rect bounds = ImageSize(image);
    for (SInt16 y = 0; y < bounds.bottom; y++)
        for (SInt16 x = 0; x < bounds.right; x++) pixels.push_back(ImagePixel(image, x, y));
    return pixels;
}

class ImageTest : public ::testing::Test {
protected:
    std::vector<GrafPtr> images;
    void SetUp() override { StartQuickDrawForTests(); }
    void TearDown() override {
        SetPort(nullptr);
        for (GrafPtr p : images) OrvaClosePortOffscreen(p);
    }
    // Closes image when the test ends.
    Offscreen Keep(Offscreen image) {
        if (image) images.push_back(image);
        return image;
    }
    // A new image filled with 0xRRGGBB at opacity.
    Offscreen Image(SInt16 width, SInt16 height, UInt32 rgb, SInt16 opacity) {
        Rect r = {0, 0, height, width};
        Offscreen image = Keep(OffscreenCreate(&r));
        EXPECT_NE(image, nullptr);
        for (SInt16 y = 0; y < height; y++)
            for (SInt16 x = 0; x < width; x++)
                OffscreenSetPixel(image, x, y, UInt8(rgb >> 16), UInt8(rgb >> 8), UInt8(rgb), opacity);
        return image;
    }
};
