// ctest-labels: layout
// What a reader sees of scores laid out on pages: omrender's pages of the orchestra demo read
// back by pngstaff (systems of five staves, braces, titles, bar lines that agree on every staff,
// lines justified to the right margin), the page count asked for, the PDF of the print path
// against the PNG pages, and real MusicXML scores laid out page by page.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/layout/layout_support.h"
#include "support/tool_support.h"

namespace {

// A4 less its 15 mm right margin, in pixels at dpi: where a justified system's staves end.
double MargeDroite(double dpi) { return (210.0 - 15.0) / 25.4 * dpi; }

std::string Source(const std::string &relative) {
    const char *root = std::getenv("ORVA_SOURCE_DIR");
    return std::string(root ? root : ".") + "/" + relative;
}

// Runs omrender with arguments; answers its output and expects exit status 0.
std::string Omrender(const std::string &arguments) {
    int status = -1;
    std::string out = RunCommand(ToolPath("omrender") + " " + arguments + " 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << arguments << "\n" << out;
    return out;
}

int Valeur(const std::string &out, const std::string &key) {
    size_t at = out.find(key + "=");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + key.size() + 1);
}

struct StaffRead {
    int system;
    double left, right;
    std::vector<double> bars;  // centres of the bar groups, left to right
};

// pngstaff --list's staves and their bar groups.
std::vector<StaffRead> Lit(const std::string &png, std::string *summary) {
    int status = -1;
    std::string out = RunCommand(ToolPath("pngstaff") + " --list " + png, &status);
    EXPECT_EQ(status, 0) << out;
    if (summary) *summary = out;
    std::vector<StaffRead> staves;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        int n = 0, system = 0;
        double top, bottom, left, right, space;
        if (std::sscanf(line.c_str(), "staff %d system=%d top=%lf bottom=%lf left=%lf right=%lf space=%lf", &n,
                        &system, &top, &bottom, &left, &right, &space) == 7) {
            staves.resize(size_t(n));
            staves[size_t(n - 1)] = StaffRead{system, left, right, {}};
        } else if (std::sscanf(line.c_str(), "bar staff=%d left=%lf right=%lf", &n, &left, &right) == 3 && n >= 1 &&
                   size_t(n) <= staves.size()) {
            staves[size_t(n - 1)].bars.push_back((left + right) / 2);
        }
    }
    return staves;
}

// The sum over the picture of each pixel's darkness (255 less its green), which antialiased
// edges add to in proportion to the ink they hold.
double Encre(const std::string &png) {
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return -1;
    }
    int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    int stride = cairo_image_surface_get_stride(image);
    const unsigned char *data = cairo_image_surface_get_data(image);
    double ink = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) ink += 255 - data[y * stride + 4 * x + 1];
    cairo_surface_destroy(image);
    return ink;
}

TEST(Pages, TheOrchestraReadsAsSystemsOfFiveStavesWithAlignedBarsAndJustifiedLines) {
    std::string pattern = TempFile("orchestra-p%d.png");
    std::string out = Omrender("--demo orchestra --all-pages --dpi 100 -o " + pattern);
    int pages = Valeur(out, "pages");
    ASSERT_GE(pages, 3) << out;
    for (int page = 1; page <= pages; page++) {
        SCOPED_TRACE(page);
        std::string png = pattern;
        png.replace(png.find("%d"), 2, std::to_string(page));
        std::string summary;
        std::vector<StaffRead> staves = Lit(png, &summary);
        std::remove(png.c_str());
        int systems = Valeur(summary, "systems");
        ASSERT_GE(systems, 1) << summary;
        EXPECT_NE(summary.find("systems=" + std::to_string(systems) + " staves=" + std::to_string(5 * systems) + "\n"),
                  std::string::npos)
            << summary;
        EXPECT_EQ(Valeur(summary, "braces"), systems) << summary;
        for (int s = 0; s < systems; s++) {  // each brace joins the piano's two staves, the last of a system
            std::string pair = "brace staves=" + std::to_string(5 * s + 4) + "-" + std::to_string(5 * s + 5) + " ";
            EXPECT_NE(summary.find(pair), std::string::npos) << pair << summary;
        }
        if (page == 1) {
            EXPECT_NE(summary.find("\nink-above=yes\n"), std::string::npos) << summary;
        }
        ASSERT_EQ(staves.size(), size_t(5 * systems));
        for (int s = 0; s < systems; s++) {
            const StaffRead &first = staves[size_t(5 * s)];
            for (int k = 1; k < 5; k++) {
                const StaffRead &other = staves[size_t(5 * s + k)];
                EXPECT_EQ(other.system, first.system);
                ASSERT_EQ(other.bars.size(), first.bars.size()) << "system " << s + 1 << " staff " << k + 1;
                for (size_t b = 0; b < first.bars.size(); b++) EXPECT_NEAR(other.bars[b], first.bars[b], 1.0) << b;
            }
            bool lastSystem = page == pages && s == systems - 1;
            for (int k = 0; k < 5 && !lastSystem; k++)
                EXPECT_NEAR(staves[size_t(5 * s + k)].right, MargeDroite(100), 1.0) << "system " << s + 1;
        }
    }
}

// The darkness (as Encre) of the rows [top, bottom) of a picture.
double EncreLignes(const std::string &png, int top, int bottom) {
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
    int stride = cairo_image_surface_get_stride(image);
    const unsigned char *data = cairo_image_surface_get_data(image);
    double ink = 0;
    for (int y = std::max(0, top); y < std::min(h, bottom) && data; y++)
        for (int x = 0; x < w; x++) ink += 255 - data[y * stride + 4 * x + 1];
    cairo_surface_destroy(image);
    return ink;
}

TEST(Pages, LyricsStandUnderTheirStaffOnThePage) {
    std::string png = TempFile("lyrics-page.png");
    EXPECT_EQ(Valeur(Omrender("--demo lyrics --dpi 100 -o " + png), "pages"), 1);
    std::vector<StaffRead> staves = Lit(png, nullptr);
    ASSERT_EQ(staves.size(), 1u);
    int status = -1;
    std::string list = RunCommand(ToolPath("pngstaff") + " --list " + png, &status);
    double bottom = 0, space = 0, top = 0, left = 0, right = 0;
    int n = 0, system = 0;
    ASSERT_EQ(std::sscanf(list.c_str() + list.find("staff 1 "), "staff %d system=%d top=%lf bottom=%lf left=%lf right=%lf space=%lf",
                          &n, &system, &top, &bottom, &left, &right, &space),
              7)
        << list;
    // Two verses in the four spaces below the staff; nothing further down.
    EXPECT_GT(EncreLignes(png, int(bottom + 1.5 * space), int(bottom + 6 * space)), 255.0 * 200);
    EXPECT_EQ(EncreLignes(png, int(bottom + 8 * space), int(bottom + 30 * space)), 0);
    std::remove(png.c_str());
}

TEST(Pages, TheScoreIsRescaledToThePagesAsked) {
    std::string out = Omrender("--demo orchestra --pages 2 -o " + TempFile("two.png"));
    EXPECT_EQ(Valeur(out, "pages"), 2) << out;
    std::remove(TempFile("two.png").c_str());
}

TEST(Pages, ThePrintedPdfHasTheSamePagesOnA4AndMatchesThePngs) {
    std::string pdf = TempFile("orchestra.pdf"), png = TempFile("orchestra-50.png");
    int pages = Valeur(Omrender("--demo orchestra --pdf " + pdf), "pages");
    EXPECT_EQ(InfoPdf(pdf, "Pages"), std::to_string(pages));
    EXPECT_EQ(InfoPdf(pdf, "Page size"), "595 x 842 pts (A4)");
    EXPECT_EQ(Valeur(Omrender("--demo orchestra --dpi 50 -o " + png), "pages"), pages);
    std::string prefix = TempFile("orchestra-pdf-50");
    int status = -1;
    RunCommand("pdftoppm -r 50 -png -f 1 -l 1 -singlefile '" + pdf + "' '" + prefix + "'", &status);
    double printed = Encre(prefix + ".png"), drawn = Encre(png);
    ASSERT_GT(drawn, 0);
    EXPECT_NEAR(printed / drawn, 1.0, 0.03) << printed << " " << drawn;
    for (const std::string &file : {pdf, png, prefix + ".png"}) std::remove(file.c_str());
}

TEST(Pages, MusicXmlScoresLayOutPageByPage) {
    std::string hello =
        Omrender("--load " + Source("tests/data/corpus/musicxml/w3c-tutorial-hello-world.musicxml") + " -o " +
                 TempFile("hello.png"));
    EXPECT_EQ(Valeur(hello, "pages"), 1) << hello;
    std::remove(TempFile("hello.png").c_str());
    std::string pattern = TempFile("meditation-p%d.png");
    std::string out =
        Omrender("--load " + Source("tests/data/corpus/musicxml/CharlesGounod_Meditation.xml") + " --all-pages --dpi 60 -o " +
                 pattern);
    int pages = Valeur(out, "pages");
    ASSERT_GE(pages, 1) << out;
    bool notes = Valeur(out, "notes") > 0;
    for (int page = 1; page <= pages; page++) {
        std::string png = pattern;
        png.replace(png.find("%d"), 2, std::to_string(page));
        std::string summary;
        std::vector<StaffRead> staves = Lit(png, &summary);
        std::remove(png.c_str());
        if (notes) {
            EXPECT_FALSE(staves.empty()) << "page " << page << "\n" << summary;
        }
    }
    if (!notes) GTEST_SKIP() << "the MusicXML importer does not lay out notes yet: " << out;
}

}  // namespace
