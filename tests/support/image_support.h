// A test fixture for the image library: QuickDraw started, and images made by the test
// closed at its end.
#pragma once

#include <gtest/gtest.h>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/quickdraw/transfer.h"
#include "support/quickdraw_support.h"

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
