// ctest-labels: layout
// Printing a laid-out document through the Printing Manager's PDF seam: a page range in copies,
// the page-by-page calls and their answers, the paper the document asks for, and the print
// record kept in "TPRINT.PRM" (a stored record of the wrong size or with values out of range
// gives the defaults).
#include <gtest/gtest.h>

#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/quickdraw/shapes.h"
#include "layout/page_drawing.h"
#include "layout/pagination.h"
#include "layout/print_jobs.h"
#include "layout/units.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/layout/layout_support.h"
#include "support/tool_support.h"
#include "tools/demo_scores/demo_scores.h"

namespace {

class Printing : public ::testing::Test {
protected:
    DocumentRecord *document = nullptr;
    void SetUp() override {
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        ASSERT_TRUE(DemarreMiseEnPagePourTests());
        SetDpiDest(300);
        document = CreeDemoScore("orchestra");
        ASSERT_NE(document, nullptr);
    }
    void TearDown() override {
        OrvaSetPrintExportFile(nullptr);
        LibereDemoScore(&document);
        ArreteMiseEnPagePourTests();
        SetDpiDest(kDpiEcran);
    }
};

TEST_F(Printing, PagesTwoToThreeInTwoCopiesGiveFourPdfPagesOnTheDocumentsPaper) {
    std::string pdf = TempFile("range.pdf");
    std::remove(pdf.c_str());
    OrvaSetPrintExportFile(pdf.c_str());
    SInt32 printed = 0;
    EXPECT_EQ(ImprimeDocument(document, 2, 3, 2, &printed), noErr);
    EXPECT_EQ(printed, 4);
    EXPECT_EQ(InfoPdf(pdf, "Pages"), "4");
    EXPECT_EQ(InfoPdf(pdf, "Page size"), "595 x 842 pts (A4)");
    // Copies are collated page by page: the first two PDF pages are the same page.
    std::string a = TempFile("copy-a"), b = TempFile("copy-b");
    int status = -1;
    RunCommand("pdftotext -f 1 -l 1 '" + pdf + "' '" + a + "'; pdftotext -f 2 -l 2 '" + pdf + "' '" + b + "'", &status);
    std::string first = RunCommand("cat '" + a + "'", &status), second = RunCommand("cat '" + b + "'", &status);
    EXPECT_EQ(first, second);
    for (const std::string &file : {pdf, a, b}) std::remove(file.c_str());
    // A range that holds no page prints nothing.
    printed = -1;
    EXPECT_EQ(ImprimeDocument(document, 3, 2, 1, &printed), paramErr);
    EXPECT_EQ(printed, 0);
}

TEST_F(Printing, ThePageByPageCallsAnswerNoErrorAndTheSheetHoldsThePage) {
    std::string pdf = TempFile("one.pdf");
    OrvaSetPrintExportFile(pdf.c_str());
    FixeResolutionMaxImprimante();
    SInt16 hRes = 0, vRes = 0;
    GetResolutionImprimante(&hRes, &vRes);
    EXPECT_EQ(hRes, kDpiImpression);
    EXPECT_TRUE(DoJobImprimante(1, 1, kFalse));
    GrafPort port;
    OpenTestPort(&port, 100, 100);
    Rect sheet;
    ASSERT_EQ(NouvellePageImprimante(&sheet), noErr);
    // The sheet: A4 at the printer's resolution, wider than the printable page.
    EXPECT_NEAR(sheet.right - sheet.left, 595.0 * 600 / 72, 3);
    EXPECT_NEAR(sheet.bottom - sheet.top, 842.0 * 600 / 72, 3);
    PaintRect(&sheet);
    EXPECT_EQ(ImprimePageImprimante(), 0);
    FermeImprimante();
    ClosePort(&port);
    EXPECT_EQ(InfoPdf(pdf, "Pages"), "1");
    std::remove(pdf.c_str());
}

void *A5(void *) {
    GtkPageSetup *setup = gtk_page_setup_new();
    GtkPaperSize *paper = gtk_paper_size_new(GTK_PAPER_NAME_A5);
    gtk_page_setup_set_paper_size(setup, paper);
    gtk_paper_size_free(paper);
    return setup;
}

TEST_F(Printing, AConfirmedPageSetupIsKeptInTheRecordFile) {
    char path[1024];
    ASSERT_TRUE(GetCheminEnregistrementImpression(path, sizeof path));
    std::remove(path);
    OrvaSetPageSetupHook(A5);
    EXPECT_TRUE(DoMiseEnPage());
    OrvaSetPageSetupHook(nullptr);
    FILE *file = std::fopen(path, "rb");
    ASSERT_NE(file, nullptr);
    UInt8 bytes[kTailleTPrint + 1];
    size_t read = std::fread(bytes, 1, sizeof bytes, file);
    std::fclose(file);
    ASSERT_EQ(read, size_t(kTailleTPrint));
    Rect paper;
    std::memcpy(&paper, bytes + kPrOffsetPaper, sizeof paper);
    EXPECT_NEAR(paper.right - paper.left, 148.0 / 25.4 * 600, 3);  // A5 at 600 dpi
    JeTePreviensConfigImprimanteChange();
    std::remove(path);
}

TEST_F(Printing, TheRecordSurvivesInItsFileAndBadStoredRecordsGiveTheDefaults) {
    THPrint h = GetEnregistrementImpression();
    ASSERT_NE(h, nullptr);
    std::vector<UInt8> good(*h, *h + kTailleTPrint);
    ASSERT_EQ(LitEnregistrementImpression(good.data(), kTailleTPrint), noErr);
    // The copies of a saved record come back from the file.
    SInt16 copies = 3;
    std::memcpy(*h + kPrOffsetCopies, &copies, 2);
    ASSERT_EQ(SauveEnregistrementImpression(), noErr);
    LibereEnregistrementImpression();
    h = GetEnregistrementImpression();
    SInt16 read = 0;
    std::memcpy(&read, *h + kPrOffsetCopies, 2);
    EXPECT_EQ(read, 3);
    const struct {
        const char *label;
        size_t size;
        SInt32 offset;
        SInt16 value;
    } rows[] = {
        {"short", kTailleTPrint - 1, 0, 0},
        {"long", kTailleTPrint + 8, 0, 0},
        {"resolution 0", kTailleTPrint, kPrOffsetVRes, 0},
        {"resolution 9999", kTailleTPrint, kPrOffsetHRes, 9999},
        {"inverted page", kTailleTPrint, kPrOffsetPage + 4, -10},  // page bottom above its top
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<UInt8> bytes(good);
        bytes.resize(row.size, 0);
        if (row.offset) std::memcpy(bytes.data() + row.offset, &row.value, 2);
        EXPECT_EQ(LitEnregistrementImpression(bytes.data(), UInt32(bytes.size())), paramErr);
        h = GetEnregistrementImpression();
        SInt16 v = 0;
        std::memcpy(&v, *h + kPrOffsetVRes, 2);
        EXPECT_EQ(v, 600);  // the Printing Manager's defaults
    }
    // The file itself cut short is read as the defaults too.
    char path[1024];
    ASSERT_TRUE(GetCheminEnregistrementImpression(path, sizeof path));
    FILE *file = std::fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(good.data(), 1, 50, file);
    std::fclose(file);
    LibereEnregistrementImpression();
    h = GetEnregistrementImpression();
    ASSERT_NE(h, nullptr);
    std::memcpy(&read, *h + kPrOffsetCopies, 2);
    EXPECT_EQ(read, 1);
    std::remove(path);
}

}  // namespace
