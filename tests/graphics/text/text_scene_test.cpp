// ctest-labels: text text.draw
// The reviewer's text sheet: qdscene's text scene run as a program, its report read back and
// checked against the library's own measures, and the same scene recorded as a picture.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/tool_support.h"

namespace {

struct RunLine {
    int font, size, face, angle, width, left, top, right, bottom;
};

TEST(TextScene, TheSheetReportsEveryRunAsTheLibraryMeasuresIt) {
    StartTextForTests();
    std::string png = TempFile("text.png"), pict = TempFile("text.pict");
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " text " + png, &status);
    ASSERT_EQ(status, 0) << out;
    std::vector<RunLine> runs;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        RunLine r;
        if (std::sscanf(line.c_str(), "font %d size %d face %d angle %d width %d ink (%d,%d,%d,%d)", &r.font, &r.size,
                        &r.face, &r.angle, &r.width, &r.left, &r.top, &r.right, &r.bottom) == 9)
            runs.push_back(r);
    }
    ASSERT_EQ(runs.size(), 17u) << out;
    EXPECT_NE(out.find("text rgnSize"), std::string::npos);

    GrafPort port;
    OpenTestPort(&port, 50, 50);
    bool sawSymbol = false, saw90 = false, saw30 = false;
    for (const RunLine &r : runs) {
        SCOPED_TRACE(r.font);
        EXPECT_GE(r.size, 9);
        EXPECT_LE(r.size, 36);
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, 600);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, 400);
        EXPECT_LT(r.left, r.right);
        EXPECT_LT(r.top, r.bottom);
        EXPECT_GT(r.width, 0);
        sawSymbol |= UInt16(r.font) == TestSymbolFontID();
        saw90 |= r.angle == 90 && r.bottom - r.top > r.right - r.left;
        saw30 |= r.angle == 30;
        if (r.angle == 0) {
            EXPECT_LE(r.right - r.left, r.width + 4);
        }
    }
    EXPECT_TRUE(sawSymbol);
    EXPECT_TRUE(saw90);
    EXPECT_TRUE(saw30);
    // The first run, measured here the same way.
    TextFont(3);
    TextSize(9);
    TextFace(0);
    EXPECT_EQ(StringWidth("System font 3 at 9, plain"), runs[0].width);
    ClosePort(&port);

    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 600);
    EXPECT_EQ(cairo_image_surface_get_height(image), 400);
    cairo_surface_destroy(image);

    // Recorded, the sheet draws nothing and its picture carries every run.
    out = RunCommand(ToolPath("qdscene") + " text --record " + pict, &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find("ink none"), std::string::npos);
    std::string listing = RunCommand(ToolPath("pictdump") + " " + pict, &status);
    EXPECT_EQ(status, 0);
    size_t texts = 0;
    for (size_t at = listing.find("LongText"); at != std::string::npos; at = listing.find("LongText", at + 1)) texts++;
    EXPECT_EQ(texts, 17u);
    EXPECT_NE(listing.find("FontName length 12 font 20 9 \"FreeSerif\""), std::string::npos);
    std::remove(png.c_str());
    std::remove(pict.c_str());
}

}  // namespace
