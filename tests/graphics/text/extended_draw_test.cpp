// ctest-labels: exte-edit exte.drawing
// Extended TextEdit drawing: the caret and the inverted, blended and outlined highlights come
// off as they went on, byte for byte; scrolling away and back restores the view; deleted lines
// leave a clean band; right-to-left words reach the draw-text hook in visual order; nothing is
// drawn while drawing is suspended.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_support.h"
#include "support/tool_support.h"

namespace {

const RGBColor kBlendColor = {0x8000, 0xC000, 0xFFFF};
const std::string kAlef = "\xD7\x90", kBet = "\xD7\x91", kGimel = "\xD7\x92", kDalet = "\xD7\x93";

class ExteDrawing : public ExtendedPortTest {
protected:
    ExteDrawing() : ExtendedPortTest(300, 200) {}
    void SetUp() override {
        ExtendedPortTest::SetUp();
        OrvaExtendedTESetInsertMode(kTrue);
    }
    void TearDown() override {
        OrvaExtendedTESetInsertMode(kTrue);
        ExtendedPortTest::TearDown();
    }
    // A styled record drawn on a white port.
    ExtendedTEHandle Drawn(const Rect &box, const std::string &text) {
        PaintPortWhite(&port);
        ExtendedTEHandle te = NewExtendedRecord(box, true, text);
        Rect view = (*te)->viewRect;
        ExtendedTEUpdate(&view, te);
        return te;
    }
};

// The box of the pixels that differ from before, or "none".
std::string Changed(const GrafPort *port, const std::string &before) {
    if (PortPixels(port) == before) return "none";
    Rect r = InkBox(port, &before);
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::vector<std::string> gDrawn;
UInt8 RecordDrawText(ExtendedTEHandle, SInt32, const char *bytes, SInt32 count) {
    gDrawn.emplace_back(bytes, size_t(count));
    return 1;
}

SInt32 gWidthCalls = 0;
SInt32 CountingWidth(ExtendedTEHandle te, SInt32 line, const char *text, SInt32 start, SInt32 count) {
    gWidthCalls++;
    return ExtendedFastWidth(te, line, text, start, count);
}

TEST_F(ExteDrawing, CaretInBothShapesComesOffAsItWentOn) {
    ExtendedTEHandle te = Drawn(Rect{10, 10, 100, 200}, "caret here\rsecond");
    ExtendedTESetSelect(3, 3, te);
    for (Boolean insert : {kTrue, kFalse}) {
        SCOPED_TRACE(insert ? "insert" : "overwrite");
        OrvaExtendedTESetInsertMode(insert);
        std::string before = PortPixels(&port);
        ExtendedAfficheCurseur(te, kTrue);
        Rect ink = InkBox(&port, &before);
        EXPECT_EQ(ink.left, 10 + 3 * kMonoAdvance);
        EXPECT_EQ(ink.right - ink.left, insert ? 1 : kMonoAdvance);
        EXPECT_EQ(ink.top, 10);
        EXPECT_EQ(ink.bottom, 10 + kMonoLine);
        // The text moves under a shown caret: hiding it still takes exactly those pixels back.
        (*te)->selPoint.h += 12;
        ExtendedAfficheCurseur(te, kFalse);
        (*te)->selPoint.h -= 12;
        EXPECT_EQ(Changed(&port, before), "none");
    }
    ExtendedTEDispose(te);
}

// Each highlight shown over the drawn text and taken off again leaves the pixels as they were;
// showing it again gives the same highlighted pixels.
TEST_F(ExteDrawing, InvertedBlendedAndOutlinedHighlightsComeOffAsTheyWentOn) {
    enum Kind { kInverted, kBlended, kOutlined };
    for (Kind kind : {kInverted, kBlended, kOutlined}) {
        SCOPED_TRACE(kind);
        ExtendedTEHandle te = Drawn(Rect{10, 10, 100, 200}, "first line of text\rsecond line\rthird");
        if (kind == kBlended) ExtendedActiveModeBlendSelection(te, &kBlendColor);
        if (kind != kOutlined) ExtendedTEActivate(te);
        ExtendedAfficheCurseur(te, kFalse);  // the caret at the end would otherwise come off below
        std::string plain = PortPixels(&port);
        ExtendedTESetSelect(6, 25, te);
        std::string shown = PortPixels(&port);
        Rect ink = InkBox(&port, &plain);
        EXPECT_EQ(ink.top, 10);
        EXPECT_EQ(ink.bottom, 10 + 2 * kMonoLine);
        if (kind == kBlended) {  // the blend lies between the background and the blend colour
            UInt32 pixel = PortPixel(&port, 150, 12);
            EXPECT_NE(pixel, 0xFFFFFFu);
            EXPECT_GE(pixel & 0xFF, 0x80u);
        }
        ExtendedEffaceAireSelectTexte(te);
        EXPECT_EQ(Changed(&port, plain), "none");
        ExtendedRetraceAireSelectTexte(te);
        EXPECT_EQ(Changed(&port, shown), "none");
        if (kind != kBlended) {  // the XOR forms drawn twice over the plain text restore it
            ExtendedEffaceAireSelectTexte(te);
            ExtendedInvertText(6, 25, kind == kOutlined, te);
            EXPECT_NE(Changed(&port, plain), "none");
            ExtendedInvertText(6, 25, kind == kOutlined, te);
            EXPECT_EQ(Changed(&port, plain), "none");
        }
        ExtendedTEDispose(te);
    }
}

// A turned record turns its highlight with its text, and taking it off redraws cleanly.
TEST_F(ExteDrawing, TurnedHighlightComesOffAsItWentOn) {
    PaintPortWhite(&port);
    Rect dest = {60, 60, 140, 240}, view = {5, 5, 195, 295};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText("turned and highlighted\rsecond turned line", 41, te);
    ExtendedTESetRotation(te, 30);
    ExtendedActiveModeBlendSelection(te, &kBlendColor);
    ExtendedTEUpdate(&view, te);
    std::string plain = PortPixels(&port);
    ExtendedTESetSelect(3, 30, te);
    std::string shown = PortPixels(&port);
    Rect ink = InkBox(&port, &plain);
    EXPECT_LT(ink.top, 60);  // turned up to the right beyond the unturned first line
    ExtendedEffaceAireSelectTexte(te);
    EXPECT_EQ(Changed(&port, plain), "none");
    ExtendedRetraceAireSelectTexte(te);
    EXPECT_EQ(Changed(&port, shown), "none");
    ExtendedTEDispose(te);
}

TEST_F(ExteDrawing, ScrollingThreeLinesAndBackRestoresTheView) {
    std::string text;
    for (int i = 0; i < 30; i++) text += "scrolled line " + std::to_string(i) + "\r";
    PaintPortWhite(&port);
    Rect dest = {10, 10, 1000, 200}, view = {10, 10, 10 + 10 * kMonoLine, 200};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    ExtendedTEUpdate(&view, te);
    ExtendedTESetSelect(20, 60, te);
    ExtendedTEActivate(te);
    std::string before = PortPixels(&port);
    ExtendedTEScroll(0, -3 * kMonoLine, te);
    std::string scrolled = PortPixels(&port);
    EXPECT_FALSE(scrolled == before);
    EXPECT_EQ((*te)->destRect.top, 10 - 3 * kMonoLine);
    ExtendedTEScroll(0, 3 * kMonoLine, te);
    EXPECT_EQ(Changed(&port, before), "none");
    // The scrolled view is what drawing the scrolled record afresh gives.
    ExtendedTEScroll(0, -3 * kMonoLine, te);
    PaintPortWhite(&port);
    ExtendedTEUpdate(&view, te);
    EXPECT_EQ(Changed(&port, scrolled), "none");
    ExtendedTEDispose(te);
}

TEST_F(ExteDrawing, DeletingLinesErasesTheBandTheyOccupied) {
    for (bool styled : {false, true}) {
        SCOPED_TRACE(styled);
        PaintPortWhite(&port);
        ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 150, 200}, styled, "one\rtwo\rthree\rfour\rfive");
        Rect view = (*te)->viewRect;
        ExtendedTEUpdate(&view, te);
        ASSERT_EQ((*te)->nLines, 5);
        ExtendedTESetSelect(7, 23, te);  // the return ending "two" to the end
        ExtendedTEDelete(te);
        EXPECT_EQ(ExtendedText(te), "one\rtwo");
        for (SInt32 y = 10 + 2 * kMonoLine; y < 10 + 5 * kMonoLine; y++)
            for (SInt32 x = 10; x < 200; x++) ASSERT_EQ(PortPixel(&port, x, y), 0xFFFFFFu) << x << "," << y;
        EXPECT_NE(InkBox(&port).bottom, 0);
        ExtendedTEDispose(te);
    }
}

// A centred plain line that shrinks leaves nothing of its old glyphs on either side.
TEST_F(ExteDrawing, ShrinkingCentredPlainLineLeavesNothingBehind) {
    PaintPortWhite(&port);
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 200}, false, "a long centred line");
    ExtendedTESetJust(kExtendedJustCenter, te);
    Rect view = (*te)->viewRect;
    ExtendedTEUpdate(&view, te);
    ExtendedTESetSelect(0, 10, te);
    ExtendedTEDelete(te);
    std::string shrunk = PortPixels(&port);
    PaintPortWhite(&port);
    ExtendedTEUpdate(&view, te);  // the same text drawn on a clean port
    EXPECT_EQ(Changed(&port, shrunk), "none");
    ExtendedTEDispose(te);
}

// "abc ", a bold Hebrew word, a space, a second word, " xyz": the right-to-left run (first
// word, spaces, second word) is drawn from its last segment to its first.
TEST_F(ExteDrawing, RightToLeftWordsReachTheHookInVisualOrder) {
    const std::string first = kAlef + kBet, second = kGimel + kDalet;
    ExtendedTEHandle te = Drawn(Rect{10, 10, 100, 280}, "abc " + first + " " + second + " xyz");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStartEnd(te, 4, 4 + SInt32(first.size()));
    ExtendedTESetStyle(doFace, &bold, kFalse, te);
    (*te)->drawText = RecordDrawText;
    gDrawn.clear();
    Rect view = (*te)->viewRect;
    ExtendedTEUpdate(&view, te);
    const std::vector<std::string> expected = {"abc ", " " + second + " ", first, "xyz"};
    EXPECT_EQ(gDrawn, expected);
    ExtendedTEDispose(te);
}

TEST_F(ExteDrawing, NothingIsDrawnWhileSuspendedAndResumingLaysOutOnce) {
    ExtendedTEHandle te = Drawn(Rect{10, 10, 100, 200}, "suspended record");
    (*te)->textWidth = CountingWidth;
    ExtendedTEActivate(te);
    ExtendedDeactivateDraw(te);
    std::string before = PortPixels(&port);
    ExtendedTESetSelect(5, 5, te);
    ExtendedTEInsert(" and\rmore lines\rof text", 22, te);
    Rect view = (*te)->viewRect;
    ExtendedTEUpdate(&view, te);
    ExtendedTEScroll(0, -5, te);
    ExtendedInvertText(0, 10, kFalse, te);
    ExtendedAfficheCurseur(te, kFalse);
    ExtendedAfficheCurseur(te, kTrue);
    EXPECT_EQ(Changed(&port, before), "none");
    EXPECT_EQ((*te)->nLines, 1);  // the lines are not laid out again meanwhile
    EXPECT_EQ((*te)->lineStarts[1], 16);
    SInt32 beforeResume = gWidthCalls;
    ExtendedActivateDraw(te);
    SInt32 resume = gWidthCalls - beforeResume;
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    EXPECT_EQ((*te)->nLines, 3);
    EXPECT_EQ(Changed(&port, before), "none");  // resuming draws nothing either
    ExtendedTECalText(te);  // one whole layout measures as much as the resume did
    EXPECT_EQ(gWidthCalls - beforeResume - resume, resume);
    ExtendedTEDispose(te);
}

// qdscene's exte scene, run as a program: it reports its record and writes its picture.
TEST(ExteScene, ReportsLinesCaretAndSelectionAndWritesThePicture) {
    std::string png = BuildTreePath("exte_scene_test.png");
    std::remove(png.c_str());
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " exte " + png, &status);
    EXPECT_EQ(status, 0);
    int lines = 0, h = 0, v = 0, a = 0, b = 0;
    ASSERT_EQ(std::sscanf(out.c_str(), "exte lines %d caret (%d,%d) sel %d..%d", &lines, &h, &v, &a, &b), 5) << out;
    EXPECT_GE(lines, 3);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 22);
    FILE *f = std::fopen(png.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char signature[8] = {0};
    EXPECT_EQ(std::fread(signature, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(signature[1], 'P');
    std::remove(png.c_str());
}

}  // namespace
