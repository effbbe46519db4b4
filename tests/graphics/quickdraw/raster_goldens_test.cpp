// ctest-labels: raster raster.shapes raster.regions_draw
// The qdscene raster scenes against their reviewed golden images, pixel for pixel. A mismatch
// leaves the actual image and a difference image in the temporary folder. The goldens change
// only by hand: build/dev/tools/qdscene SCENE tests/golden/graphics/SCENE.png, then review.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

namespace {

// Compares two PNG files pixel by pixel (the spare byte of RGB24 ignored); writes a difference
// image (red where they differ) when they do not match.
::testing::AssertionResult SameImage(const std::string &actual, const std::string &golden, const std::string &diff) {
    cairo_surface_t *a = cairo_image_surface_create_from_png(actual.c_str());
    cairo_surface_t *g = cairo_image_surface_create_from_png(golden.c_str());
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    if (cairo_surface_status(a) || cairo_surface_status(g)) {
        result = ::testing::AssertionFailure() << "cannot read " << actual << " or " << golden;
    } else if (cairo_image_surface_get_width(a) != cairo_image_surface_get_width(g) ||
               cairo_image_surface_get_height(a) != cairo_image_surface_get_height(g)) {
        result = ::testing::AssertionFailure() << "sizes differ";
    } else {
        int width = cairo_image_surface_get_width(a), height = cairo_image_surface_get_height(a), wrong = 0;
        cairo_surface_t *d = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_surface_flush(d);
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                unsigned pa = ((const unsigned *)(cairo_image_surface_get_data(a) + y * cairo_image_surface_get_stride(a)))[x];
                unsigned pg = ((const unsigned *)(cairo_image_surface_get_data(g) + y * cairo_image_surface_get_stride(g)))[x];
                bool same = (pa & 0xFFFFFF) == (pg & 0xFFFFFF);
                wrong += !same;
                ((unsigned *)(cairo_image_surface_get_data(d) + y * cairo_image_surface_get_stride(d)))[x] =
                    same ? ((pg & 0xFEFEFE) >> 1) | 0x808080 : 0xFF0000;
            }
        cairo_surface_mark_dirty(d);
        if (wrong) {
            cairo_surface_write_to_png(d, diff.c_str());
            result = ::testing::AssertionFailure() << wrong << " pixels differ; actual " << actual << ", difference " << diff;
        }
        cairo_surface_destroy(d);
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(g);
    return result;
}

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
