// Comparing pictures with golden images.
#include "support/graphics/golden_support.h"

#include <cairo.h>

::testing::AssertionResult SameImage(const std::string &actual, const std::string &golden, const std::string &diff,
                                     double share) {
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
        if (wrong > share * width * height) {
            cairo_surface_write_to_png(d, diff.c_str());
            result = ::testing::AssertionFailure() << wrong << " of " << long(width) * height << " pixels differ; actual "
                                                   << actual << ", difference " << diff;
        }
        cairo_surface_destroy(d);
    }
    cairo_surface_destroy(a);
    cairo_surface_destroy(g);
    return result;
}
