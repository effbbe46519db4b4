// ctest-labels: toolbox-ui
// A window's shape takes all seven words, so that its last corner radius rounds that corner.
#include <gtest/gtest.h>
#include <glib.h>

#include "platform/gtk/platform_windows.h"
#include "support/graphics/window_support.h"

namespace {

bool Bit(const UInt8 *bits, SInt32 stride, SInt32 x, SInt32 y) { return (bits[y * stride + x / 8] >> (x % 8)) & 1; }

TEST(WindowShape, TheSeventhWordsRadiusRoundsTheLastCorner) {
    WindowPtr w = NewTestWindow(Rect{10, 10, 60, 90}, kFalse);
    ASSERT_NE(w, nullptr);
    const SInt16 shape[7] = {0, 0, 0, 0, 0, 9, 0};  // only the bottom-right corner, radius 9
    SystemDependantSetWindowShape(w, 0, shape);
    EXPECT_EQ(w->shape[5], 9);
    SInt32 stride = 0;
    UInt8 *bits = OrvaBuildWindowShapeMask(w->shape, 80, 50, &stride);
    ASSERT_NE(bits, nullptr);
    EXPECT_FALSE(Bit(bits, stride, 79, 49));  // the rounded corner is cut
    EXPECT_FALSE(Bit(bits, stride, 77, 48));
    EXPECT_TRUE(Bit(bits, stride, 70, 40));   // inside its circle
    EXPECT_TRUE(Bit(bits, stride, 0, 0));     // the other corners stay square
    EXPECT_TRUE(Bit(bits, stride, 79, 0));
    EXPECT_TRUE(Bit(bits, stride, 0, 49));
    g_free(bits);
    DisposeTestWindow(w);
}

}  // namespace
