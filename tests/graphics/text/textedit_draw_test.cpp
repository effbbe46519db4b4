// ctest-labels: textedit textedit.draw
// What TextEdit leaves on the port: the caret and highlight undone byte for byte, the overwrite
// caret's width, text kept inside its boxes, redraws after edits, scrolling against a direct
// drawing, and qdscene's TextEdit scene.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdio>
#include <string>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_invariants.h"
#include "support/graphics/textedit_support.h"
#include "support/tool_support.h"

namespace {

const UInt32 kWhite = 0xFFFFFF;

class TextEditDraw : public ::testing::Test {
protected:
    GrafPort port;
    TEHandle te = nullptr;
    void SetUp() override {
        OpenTextEditPort(&port, 300, 200);
        OrvaTESetInsertMode(kTrue);
    }
    void TearDown() override {
        if (te) TEDispose(te);
        OrvaTESetInsertMode(kTrue);
        ClosePort(&port);
    }
    void Show(const std::string &text, Rect box = {20, 30, 120, 150}, bool styled = false) {
        te = NewTestRecord(box, styled, text);
        ASSERT_NE(te, nullptr);
        TEUpdate(&box, te);
    }
    // The box of pixels that changed since before.
    Rect Changed(const std::string &before) { return InkBox(&port, &before); }
};

// The overwrite caret is as wide as the byte under it, 8 pixels at the end.
TEST_F(TextEditDraw, TheCaretDrawnTwiceRestoresThePixels) {
    Show("abc");
    struct Row {
        const char *label;
        Boolean insert;
        SInt32 offset, width;
    } rows[] = {{"insert", kTrue, 2, 1}, {"overwrite inside the text", kFalse, 1, kMonoAdvance},
                {"overwrite at its end", kFalse, 3, 8}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        OrvaTESetInsertMode(row.insert);
        TESetSelect(row.offset, row.offset, te);
        std::string before = PortPixels(&port);
        TEActivate(te);
        Rect caret = Changed(before);
        EXPECT_EQ(caret.left, 30 + row.offset * kMonoAdvance);
        EXPECT_EQ(caret.right - caret.left, row.width);
        EXPECT_EQ(caret.bottom, 20 + kMonoLine);  // from one pixel above selPoint, whose v is the line's bottom
        EXPECT_EQ(caret.bottom - caret.top, kMonoLine);
        TEDeactivate(te);
        EXPECT_TRUE(PortPixels(&port) == before);
    }
}

TEST_F(TextEditDraw, TheHighlightInvertedTwiceRestoresThePixels) {
    Show("first line\rsecond line\rthird", {20, 30, 120, 150});
    TESetSelect(3, 27, te);
    std::string before = PortPixels(&port);
    TEActivate(te);
    // Highlighted background takes the highlight colour, from the first offset's point to the
    // right edge, whole lines, and up to the second offset's point.
    RGBColor hilite = orvaSettings.invertColor;
    UInt32 colour = (UInt32(hilite.red >> 8) << 16) | (UInt32(hilite.green >> 8) << 8) | (hilite.blue >> 8);
    // Bottom rows of the lines: no glyph reaches them in these words.
    EXPECT_EQ(PortPixel(&port, 30 + 3 * kMonoAdvance, 30), colour);
    EXPECT_EQ(PortPixel(&port, 30 + 3 * kMonoAdvance - 1, 30), kWhite);
    EXPECT_EQ(PortPixel(&port, 149, 30), colour);
    EXPECT_EQ(PortPixel(&port, 30, 41), colour);
    EXPECT_EQ(PortPixel(&port, 30 + 4 * kMonoAdvance - 1, 52), colour);  // four bytes into "third"
    EXPECT_EQ(PortPixel(&port, 30 + 4 * kMonoAdvance, 52), kWhite);
    EXPECT_EQ(PortPixel(&port, 150, 30), kWhite);                       // the view's edge
    TESetSelect(5, 20, te);  // changing an active selection inverts only the difference
    TESetSelect(3, 27, te);
    TEDeactivate(te);
    EXPECT_TRUE(PortPixels(&port) == before);
}

TEST_F(TextEditDraw, ASelectionChangedPieceByPieceEndsAsIfDrawnAtOnce) {
    Show("alpha beta gamma delta epsilon zeta eta theta", {20, 30, 120, 110});
    TEActivate(te);
    TESetSelect(4, 9, te);
    TESetSelect(12, 30, te);
    TESetSelect(30, 45, te);
    TESetSelect(2, 33, te);
    std::string stepwise = PortPixels(&port);
    TEDeactivate(te);
    TESetSelect(2, 33, te);
    TEActivate(te);
    EXPECT_TRUE(PortPixels(&port) == stepwise);
}

TEST_F(TextEditDraw, TextBoxInkStaysInsideItsRectangle) {
    std::string text = "A text box wraps its words and clips whatever does not fit in the rectangle at all.";
    struct Row {
        const char *label;
        Rect box;
        SInt16 just;
    } rows[] = {
        {"left", {30, 40, 63, 130}, teFlushLeft},
        {"centred", {30, 40, 63, 130}, teCenter},
        {"right", {30, 40, 63, 130}, teFlushRight},
        {"narrower than a character", {100, 200, 180, 203}, teFlushDefault},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        PaintPortWhite(&port);
        std::string before = PortPixels(&port);
        TextBox(text.data(), SInt32(text.size()), &row.box, row.just);
        Rect ink = InkBox(&port);
        ASSERT_FALSE(EmptyRect(&ink));
        EXPECT_GE(ink.left, row.box.left);
        EXPECT_GE(ink.top, row.box.top);
        EXPECT_LE(ink.right, row.box.right);
        EXPECT_LE(ink.bottom, row.box.bottom);
    }
    EXPECT_EQ(port.txFont, kMonoFont);  // the port's text settings are left as they were
    EXPECT_EQ(port.txSize, kMonoSize);
}

TEST_F(TextEditDraw, DeletingTheLastLineErasesIt) {
    Show("abc\rdef\rghi", {20, 30, 120, 150});
    TEActivate(te);
    TESetSelect(8, 11, te);
    TEDelete(te);  // "abc\rdef\r": the empty line after the return stays, now without "ghi"
    TEDeactivate(te);
    EXPECT_LE(InkBox(&port).bottom, 42);  // the third line's band is white
    TESetSelect(0, 8, te);
    TEDelete(te);
    Rect ink = InkBox(&port);
    EXPECT_TRUE(EmptyRect(&ink));  // nothing left of the text
}

TEST_F(TextEditDraw, ScrollingMovesTheTextAsADirectDrawingWould) {
    std::string text = "one\rtwo\rthree\rfour\rfive\rsix\rseven";
    Show(text, {10, 10, 43, 100});
    TEScroll(4, -kMonoLine, te);
    std::string scrolled = PortPixels(&port);
    TEDispose(te);
    te = nullptr;
    PaintPortWhite(&port);
    Rect dest = {-1, 14, 32, 104}, view = {10, 10, 43, 100};
    TEHandle direct = TENew(&dest, &view);
    TESetText(text.data(), SInt32(text.size()), direct);
    TEUpdate(&view, direct);
    EXPECT_TRUE(PortPixels(&port) == scrolled);
    TEDispose(direct);
}

TEST_F(TextEditDraw, StyledRecordsDrawEachRunInItsColour) {
    Show("black red", {20, 30, 120, 150}, true);
    TESetSelect(6, 9, te);
    TextStyle red = {0, 0, 0, 0, {0xFFFF, 0, 0}};
    TESetStyle(doColor, &red, kTrue, te);
    TESetSelect(0, 0, te);
    // Ink is antialiased: red ink has far more red than green; black ink is grey.
    bool sawRed = false, sawBlack = false;
    for (SInt32 y = 20; y < 31; y++)
        for (SInt32 x = 30; x < 30 + 9 * kMonoAdvance; x++) {
            UInt32 p = PortPixel(&port, x, y);
            SInt32 r = SInt32(p >> 16), g = SInt32((p >> 8) & 0xFF), b = SInt32(p & 0xFF);
            bool reddish = r > g + 64 && r > b + 64, grey = p != kWhite && r == g && g == b;
            if (x < 30 + 6 * kMonoAdvance) {
                EXPECT_FALSE(reddish) << x << "," << y;
                sawBlack = sawBlack || grey;
            } else {
                EXPECT_FALSE(grey) << x << "," << y;
                sawRed = sawRed || reddish;
            }
        }
    EXPECT_TRUE(sawRed);
    EXPECT_TRUE(sawBlack);
    EXPECT_EQ(port.rgbFgColor.red, 0);  // the foreground is given back
}

TEST_F(TextEditDraw, TheQdsceneSceneReportsItsRecords) {
    std::string png = TempFile("te_scene.png");
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " textedit " + png, &status);
    ASSERT_EQ(status, 0) << out;
    // Plain, 180 pixels wide: "TextEdit wraps words in the " | "destination rectangle.\r" |
    // "A second paragraph follows " | "the return."; offset 60 is 9 bytes into the third line.
    // Styled, 360 wide: the first paragraph fits (41 bytes at 6 pixels, "big line" at 12, one
    // more at 6: 348), so two lines; the first as tall as FreeMono 20.
    FontInfo big;
    OrvaGetFontInfo(kMonoFont, 20, &big);
    char styled[128];
    std::snprintf(styled, sizeof styled, "styled lines 2 caret (62,%d) sel 7..30\n",
                  150 + big.ascent + big.descent + big.leading);
    EXPECT_EQ(out, "plain lines 4 caret (74,53) sel 60..60\n" + std::string(styled) +
                       "textedit rgnSize 10 bbox (0,0,300,400)\n");
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(image), 400);
    cairo_surface_destroy(image);
    std::remove(png.c_str());
}

}  // namespace
