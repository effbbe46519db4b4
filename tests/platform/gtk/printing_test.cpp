// ctest-labels: pictures pictures.print
// The Printing Manager through its PDF export seam, checked with pdfinfo and pdftoppm.
#include <gtest/gtest.h>

#include <cairo.h>
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/gtk/printing.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

namespace {

// The value after "key:" in pdfinfo's output, spaces trimmed.
std::string InfoLine(const std::string &info, const std::string &key) {
    size_t at = info.find(key + ":");
    if (at == std::string::npos) return "";
    size_t start = info.find_first_not_of(' ', at + key.size() + 1), end = info.find('\n', at);
    return info.substr(start, end - start);
}

void *LetterQuarterInch(void *) {
    GtkPageSetup *setup = gtk_page_setup_new();
    GtkPaperSize *letter = gtk_paper_size_new(GTK_PAPER_NAME_LETTER);
    gtk_page_setup_set_paper_size(setup, letter);
    gtk_paper_size_free(letter);
    gtk_page_setup_set_top_margin(setup, 18, GTK_UNIT_POINTS);
    gtk_page_setup_set_bottom_margin(setup, 18, GTK_UNIT_POINTS);
    gtk_page_setup_set_left_margin(setup, 18, GTK_UNIT_POINTS);
    gtk_page_setup_set_right_margin(setup, 18, GTK_UNIT_POINTS);
    return setup;
}

Rect RectAt(THPrint h, SInt32 offset) {
    Rect r;
    std::memcpy(&r, *h + offset, sizeof r);
    return r;
}

SInt16 WordAt(THPrint h, SInt32 offset) {
    SInt16 v;
    std::memcpy(&v, *h + offset, 2);
    return v;
}

class Printing : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        OpenTestPort(&port, 100, 100);
        OrvaSetPageSetupHook(LetterQuarterInch);
    }
    void TearDown() override {
        OrvaSetPageSetupHook(nullptr);
        OrvaSetPrintExportFile(nullptr);
        if (port.visRgn) ClosePort(&port);
    }
    void PrintTwoPages(THPrint h, const std::string &pdf) {
        OrvaSetPrintExportFile(pdf.c_str());
        PrJobDialog(h);
        PrOpenDoc(h, &port, nullptr);
        for (int page = 0; page < 2; page++) {
            PrOpenPage(h, nullptr);
            Rect quarter = {0, 0, 3150, 2400};  // the top-left quarter of the page Rect
            PaintRect(&quarter);
            PrClosePage(&port);
        }
        PrCloseDoc(&port);
    }
};

TEST_F(Printing, TwoDocumentsInOneOpenGiveTwoLetterPdfs) {
    PrOpen();
    THPrint h = NewHandleClear(kTPrintBytes);
    PrintDefault(h);
    EXPECT_TRUE(PrStlDialog(h));
    Rect page = RectAt(h, kPrOffsetPage), paper = RectAt(h, kPrOffsetPaper);
    EXPECT_EQ(page.bottom, 6300);
    EXPECT_EQ(page.right, 4800);
    EXPECT_EQ(paper.top, -150);
    EXPECT_EQ(paper.left, -150);
    EXPECT_EQ(paper.bottom, 6450);
    EXPECT_EQ(paper.right, 4950);
    EXPECT_EQ(WordAt(h, kPrOffsetVRes), 600);

    for (const char *name : {"print.pdf", "print2.pdf"}) {
        std::string pdf = BuildTreePath(name);
        std::remove(pdf.c_str());
        PrintTwoPages(h, pdf);
        EXPECT_EQ(PrError(), 0);
        int status = -1;
        std::string info = RunCommand("pdfinfo '" + pdf + "' 2>&1", &status);
        EXPECT_EQ(InfoLine(info, "Pages"), "2") << info;
        EXPECT_EQ(InfoLine(info, "Page size"), "612 x 792 pts (letter)") << info;
    }
    // Page 1 at 50 dpi: the quarter of the printable area, placed inside the margins.
    std::string prefix = BuildTreePath("print-page");
    int status = -1;
    RunCommand("pdftoppm -r 50 -png -f 1 -l 1 -singlefile '" + BuildTreePath("print.pdf") + "' '" + prefix + "'", &status);
    cairo_surface_t *png = cairo_image_surface_create_from_png((prefix + ".png").c_str());
    ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
    SInt32 w = cairo_image_surface_get_width(png), hgt = cairo_image_surface_get_height(png);
    const UInt8 *data = cairo_image_surface_get_data(png);
    SInt32 stride = cairo_image_surface_get_stride(png), ink = 0;
    for (SInt32 y = 0; y < hgt; y++)
        for (SInt32 x = 0; x < w; x++) ink += data[y * stride + 4 * x + 1] < 128;
    double expected = (576.0 / 2 * 50 / 72) * (756.0 / 2 * 50 / 72);
    EXPECT_NEAR(ink, expected, expected * 0.05);
    EXPECT_GT(data[5 * stride + 4 * 5 + 1], 128);  // in the margin
    EXPECT_LT(data[20 * stride + 4 * 20 + 1], 128);  // inside the page
    cairo_surface_destroy(png);
    PrClose();
    DisposHandle(h);
}

TEST_F(Printing, SetResolutionRescalesTheRecord) {
    PrOpen();
    THPrint h = NewHandleClear(kTPrintBytes);
    PrStlDialog(h);
    UInt8 block[32] = {};
    auto request = [&](SInt16 hRes, SInt16 vRes) {
        std::memset(block, 0, sizeof block);
        SInt16 op = kPrSetResolution;
        std::memcpy(block, &op, 2);
        std::memcpy(block + 8, &h, sizeof h);
        std::memcpy(block + 8 + sizeof h, &hRes, 2);
        std::memcpy(block + 10 + sizeof h, &vRes, 2);
        PrGeneral((Ptr)block);
    };
    auto word = [&](SInt32 offset) {
        SInt16 v;
        std::memcpy(&v, block + offset, 2);
        return v;
    };
    request(14, 300);
    EXPECT_EQ(word(2), 1);
    EXPECT_EQ(word(8 + sizeof h), 72);
    EXPECT_EQ(word(10 + sizeof h), 72);
    EXPECT_EQ(RectAt(h, kPrOffsetPage).bottom, 6300);
    request(300, 300);
    EXPECT_EQ(word(2), 0);
    EXPECT_EQ(RectAt(h, kPrOffsetPage).bottom, 3150);
    EXPECT_EQ(RectAt(h, kPrOffsetPaper).left, -75);
    // A record of resolution 0 holds 600-dpi values.
    SInt16 zero = 0;
    std::memcpy(*h + kPrOffsetVRes, &zero, 2);
    std::memcpy(*h + kPrOffsetHRes, &zero, 2);
    Rect page = {0, 0, 6000, 4800};
    std::memcpy(*h + kPrOffsetPage, &page, sizeof page);
    request(72, 72);
    EXPECT_EQ(RectAt(h, kPrOffsetPage).bottom, 720);
    EXPECT_EQ(RectAt(h, kPrOffsetPage).right, 576);
    PrClose();
    DisposHandle(h);
}

}  // namespace
