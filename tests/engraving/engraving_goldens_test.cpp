// ctest-labels: engraving
// omrender's pictures of eight demo scores against their reviewed golden images: at most half a
// percent of the pixels may differ (antialiased edges of glyphs and curves move with the
// libraries' versions). A mismatch leaves the actual image and a difference image in the
// temporary folder. The goldens change only by hand:
//   build/dev/tools/omrender --demo NAME --strip -o tests/golden/engraving/NAME.png
// then review.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/tool_support.h"

namespace {

const double kShareMax = 0.005;

// Compares two PNG files pixel by pixel; on a mismatch above the share, writes a difference
// image (red where they differ).
::testing::AssertionResult AlmostSameImage(const std::string &actual, const std::string &golden, const std::string &diff) {
    cairo_surface_t *a = cairo_image_surface_create_from_png(actual.c_str());
    cairo_surface_t *g = cairo_image_surface_create_from_png(golden.c_str());
    ::testing::AssertionResult result = ::testing::AssertionSuccess();
    if (cairo_surface_status(a) || cairo_surface_status(g)) {
        result = ::testing::AssertionFailure() << "cannot read " << actual << " or " << golden;
    } else if (cairo_image_surface_get_width(a) != cairo_image_surface_get_width(g) ||
               cairo_image_surface_get_height(a) != cairo_image_surface_get_height(g)) {
        result = ::testing::AssertionFailure() << "sizes differ";
    } else {
        int width = cairo_image_surface_get_width(a), height = cairo_image_surface_get_height(a);
        long wrong = 0;
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
        if (wrong > kShareMax * width * height) {
            cairo_surface_write_to_png(d, diff.c_str());
            result = ::testing::AssertionFailure() << wrong << " of " << width * height << " pixels differ; actual "
                                                   << actual << ", difference " << diff;
        }
        cairo_surface_destroy(d);
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(g);
    return result;
}

TEST(EngravingGoldens, DemoScoresMatchTheirReviewedImages) {
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    for (const char *demo : {"scale", "bass", "eighths", "ties", "chords", "rests", "repeats", "showcase"}) {
        SCOPED_TRACE(demo);
        std::string actual = TempFile(std::string(demo) + ".png");
        int status = -1;
        std::string out = RunCommand(ToolPath("omrender") + " --demo " + demo + " --strip -o " + actual + " 2>&1", &status);
        ASSERT_EQ(status, 0) << out;
        std::string golden = std::string(source) + "/tests/golden/engraving/" + demo + ".png";
        ::testing::AssertionResult same = AlmostSameImage(actual, golden, TempFile(std::string(demo) + "_diff.png"));
        EXPECT_TRUE(same);
        if (same) std::remove(actual.c_str());
    }
}

}  // namespace
