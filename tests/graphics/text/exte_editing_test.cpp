// ctest-labels: exte-edit exte.editing
// Extended TextEdit editing by scripted keys, ticks and mouse: deletion at the ends, UTF-8
// steps, the maximum length and refused characters, shift and command moves, block indent,
// overwrite mode, clicks (double, triple, timed out, dragged out of the view, in the plug-in),
// the scrap with characters past U+FFFF and hostile entries, and appending without layout.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/scrap.h"
#include "platform/core/unicode_mode.h"
#include "platform/gtk/keyboard_mouse.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_support.h"

namespace {

enum : UInt16 { kLeft = 28, kRight = 29, kUp = 30, kDown = 31, kHome = 1, kEnd = 4, kBackspace = 8, kDelete = 127 };
const ResType kText = FourCC("TEXT"), kUnicode = FourCC("utxt"), kStyles = FourCC("styl");

class ExteEditing : public ExtendedPortTest {
protected:
    void SetUp() override {
        ExtendedPortTest::SetUp();
        OrvaExtendedTESetInsertMode(kTrue);
        HoldKeys(false, false);
        SetTestTicks(100000);
        ZeroScrap();
    }
    void TearDown() override {
        HoldKeys(false, false);
        OrvaExtendedTESetInsertMode(kTrue);
        OrvaSetStillDownHook(nullptr);
        orvaSettings.pluginFlag = 1;
        ResetTestTicks();
        ZeroScrap();
        ExtendedPortTest::TearDown();
    }
    static void Keys(ExtendedTEHandle te, const std::vector<UInt16> &keys, bool shift = false, bool command = false) {
        HoldKeys(shift, command);
        for (UInt16 k : keys) ExtendedTEKey(k, te);
        HoldKeys(false, false);
    }
};

std::string Sel(ExtendedTEHandle te) { return std::to_string((*te)->selStart) + ".." + std::to_string((*te)->selEnd); }

std::string ScrapEntry(ResType type) {
    Handle h = NewHandle(0);
    SInt32 offset = 0, length = GetScrap(h, type, &offset);
    std::string bytes = length > 0 ? std::string(*h, size_t(length)) : std::string();
    DisposeHandle(h);
    return bytes;
}

std::vector<SInt32> RunStarts(ExtendedTEHandle te) {
    std::vector<SInt32> starts;
    for (SInt32 i = 0; i < (*(*te)->styleHandle)->nRuns; i++) starts.push_back((*(*te)->styleHandle)->runs[i].startChar);
    return starts;
}

// A style scrap in memory order: count, then elements {start, height, ascent, font, face, size, colour}.
std::string StyleScrap(const std::vector<std::pair<SInt32, UInt8>> &elements, SInt16 count) {
    std::string bytes(2 + 20 * elements.size(), '\0');
    std::memcpy(&bytes[0], &count, 2);
    for (size_t i = 0; i < elements.size(); i++) {
        char *e = &bytes[2 + 20 * i];
        SInt16 height = kMonoLine, ascent = kMonoAscent, font = kMonoFont, size = kMonoSize;
        std::memcpy(e, &elements[i].first, 4);
        std::memcpy(e + 4, &height, 2);
        std::memcpy(e + 6, &ascent, 2);
        std::memcpy(e + 8, &font, 2);
        e[10] = char(elements[i].second);
        std::memcpy(e + 12, &size, 2);
    }
    return bytes;
}

void Put(ResType type, const std::string &bytes) { PutScrap(SInt32(bytes.size()), type, bytes.data()); }

TEST_F(ExteEditing, DeletingAtTheEndsChangesNothingAndStepsTakeWholeCharacters) {
    const std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E" "b";  // 1, 2, 3, 4 and 1 bytes
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, text);
    ExtendedTESetSelect(0, 0, te);
    Keys(te, {kBackspace});
    ExtendedTESetSelect(11, 11, te);
    Keys(te, {kDelete});
    EXPECT_EQ(ExtendedText(te), text);
    std::vector<SInt32> lefts;
    for (int i = 0; i < 5; i++) {
        Keys(te, {kLeft});
        lefts.push_back((*te)->selStart);
    }
    EXPECT_EQ(lefts, (std::vector<SInt32>{10, 6, 3, 1, 0}));
    Keys(te, {kRight, kRight});
    EXPECT_EQ(Sel(te), "3..3");
    Keys(te, {kDelete});  // takes the euro sign's three bytes
    EXPECT_EQ(ExtendedText(te), "a\xC3\xA9\xF0\x9D\x84\x9E" "b");
    Keys(te, {kBackspace});  // and the two of e-acute
    EXPECT_EQ(ExtendedText(te), "a\xF0\x9D\x84\x9E" "b");
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, true), "");
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, MaximumLengthAndRefusedCharacters) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "0123456789");
    ExtendedTESetMaxSize(te, 10);
    ExtendedTESetSelect(3, 3, te);
    SInt32 top = (*te)->destRect.top;
    Keys(te, {'x', 9, 11});
    EXPECT_EQ(ExtendedText(te), "0123456789");
    EXPECT_EQ((*te)->destRect.top, top);
    ExtendedTESetMaxSize(te, 12);  // a three-byte character does not fit in the two bytes left
    Keys(te, {0x20AC});
    EXPECT_EQ(ExtendedText(te), "0123456789");
    ExtendedTESetMaxSize(te, 0);
    ExtendedTESetText("", 0, te);
    struct Row {
        UInt32 mask;
        std::string refused, accepted;
    };
    const Row rows[] = {
        {kExtendedRefuseDigits, "5", "a"},
        {kExtendedRefusePunctuation, "!", "a5+. "},
        {kExtendedRefuseLineEnd, "\r\n", "a"},
        {kExtendedRefuseLetters, "aZ", "5!"},
        {kExtendedRefuseDecimal, ".,", "a-"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.mask);
        ExtendedTESetForbidden(te, row.mask);
        ExtendedTESetText("", 0, te);
        for (char c : row.refused) Keys(te, {UInt16(UInt8(c))});
        EXPECT_EQ(ExtendedText(te), "");
        for (char c : row.accepted) Keys(te, {UInt16(UInt8(c))});
        EXPECT_EQ(ExtendedText(te), row.accepted);
    }
    ExtendedTESetForbidden(te, kExtendedRefuseHigh);
    Keys(te, {0xE9});
    EXPECT_EQ(ExtendedText(te), "a-");
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, ShiftExtendsCommandMovesByWordsAndHomeEndFollowTheLine) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "first second\rthird");
    ExtendedTESetSelect(8, 8, te);
    Keys(te, {kRight}, true);
    EXPECT_EQ(Sel(te), "8..9");
    Keys(te, {kRight}, true);
    EXPECT_EQ(Sel(te), "8..10");
    Keys(te, {kRight});  // a selection collapses to its end
    EXPECT_EQ(Sel(te), "10..10");
    Keys(te, {kLeft}, false, true);  // inside "second": its start
    EXPECT_EQ(Sel(te), "6..6");
    ExtendedTESetSelect(9, 9, te);
    Keys(te, {kRight}, false, true);  // its end
    EXPECT_EQ(Sel(te), "12..12");
    Keys(te, {kLeft}, false, true);
    Keys(te, {kLeft}, false, true);
    EXPECT_EQ(Sel(te), "0..0");
    Keys(te, {kEnd});
    EXPECT_EQ(Sel(te), "12..12");
    Keys(te, {kDown});
    EXPECT_EQ((*te)->selStart, 18);
    Keys(te, {kUp});
    EXPECT_EQ(Sel(te), "5..5");
    Keys(te, {kHome});
    EXPECT_EQ(Sel(te), "0..0");
    Keys(te, {kEnd}, false, true);
    EXPECT_EQ(Sel(te), "18..18");
    ExtendedTEDispose(te);
}

// End on a wrapped line stops before its last character, never inside it; the page keys never
// scroll past the text's ends.
TEST_F(ExteEditing, EndStopsOnACharacterAndPageKeysStayWithinTheText) {
    const std::string text = "abc\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC end";
    Rect dest = {10, 10, 400, 10 + 6 * kMonoAdvance}, view = {10, 10, 10 + 2 * kMonoLine, 300};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    ASSERT_GT((*te)->nLines, 1);
    SInt32 next = (*te)->lineStarts[1];
    ExtendedTESetSelect(0, 0, te);
    Keys(te, {kEnd});
    EXPECT_EQ((*te)->selStart, ExtendedPreviousChar(te, next));
    EXPECT_EQ(ExtendedNextChar(te, ExtendedPreviousChar(te, (*te)->selStart)), (*te)->selStart);
    Keys(te, {11});  // page up at the top: nothing moves
    EXPECT_EQ((*te)->destRect.top, 10);
    Keys(te, {12});
    EXPECT_EQ((*te)->destRect.top, 10 - 2 * kMonoLine);
    for (int i = 0; i < 10; i++) Keys(te, {12});
    EXPECT_GE((*te)->destRect.top + ExtendedTEGetHeight(0, (*te)->nLines, te), view.bottom);
    for (int i = 0; i < 10; i++) Keys(te, {11});
    EXPECT_EQ((*te)->destRect.top, 10);
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, TabIndentsSelectedLinesAndShiftTabTakesTheIndentBack) {
    const std::string text = "one\rtwo\rthree\rfour";
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 200, 300}, true, text);
    ExtendedTEActivate(te);
    ExtendedTESetSelect(1, 10, te);
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te), "\tone\r\ttwo\r\tthree\rfour");
    EXPECT_EQ(Sel(te), "0..17");
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    Keys(te, {9}, true);
    EXPECT_EQ(ExtendedText(te), text);
    EXPECT_EQ(Sel(te), "0..14");
    ExtendedTESetSelect(0, 8, te);  // ends right after the return of "two": "three" stays
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te), "\tone\r\ttwo\rthree\rfour");
    ExtendedTESetSelect(2, 2, te);  // one line: an ordinary tab character
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te), "\to\tne\r\ttwo\rthree\rfour");
    ExtendedTEDispose(te);
}

// A selection ending at a wrap point reaches the line that starts there, as the caret does:
// both lines are indented, not the selection replaced by a tab.
TEST_F(ExteEditing, TabOverASelectionEndingAtAWrapPointIndentsTheNextLineToo) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 200, 10 + 5 * kMonoAdvance}, true, "aaaa bbbb cccc");
    ASSERT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 5, 10, 14}));
    ExtendedTESetSelect(0, 5, te);
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te).substr(0, 12), "\taaaa \tbbbb ");
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    Keys(te, {9}, true);
    EXPECT_EQ(ExtendedText(te), "aaaa bbbb cccc");
    // Lines ended by LF: the last one, up to the end of the text, is indented too.
    ExtendedTESetText("one\ntwo\n", 8, te);
    ExtendedTESetSelect(0, 8, te);
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te), "\tone\n\ttwo\n");
    ExtendedTESetText("one\rtwo\r", 8, te);
    ExtendedTESetSelect(0, 8, te);
    Keys(te, {9});
    EXPECT_EQ(ExtendedText(te), "\tone\r\ttwo\r");
    ExtendedTEDispose(te);
}

// With the text at its maximum length the page keys are refused like any other key.
TEST_F(ExteEditing, AtTheMaximumLengthThePageKeysDoNothing) {
    std::string text;
    for (int i = 0; i < 20; i++) text += "line\r";
    Rect dest = {10, 10, 400, 300}, view = {10, 10, SInt16(10 + 3 * kMonoLine), 300};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    ExtendedTESetSelect(0, 0, te);
    ExtendedTESetMaxSize(te, UInt32(text.size()));
    Keys(te, {12});
    EXPECT_EQ((*te)->destRect.top, 10);
    ExtendedTESetMaxSize(te, 0);
    Keys(te, {12});
    EXPECT_EQ((*te)->destRect.top, 10 - 3 * kMonoLine);
    ExtendedTESetMaxSize(te, UInt32(text.size()));
    Keys(te, {11});
    EXPECT_EQ((*te)->destRect.top, 10 - 3 * kMonoLine);
    ExtendedTESetMaxSize(te, 0);
    Keys(te, {11});
    EXPECT_EQ((*te)->destRect.top, 10);
    EXPECT_EQ(ExtendedText(te), text);
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, OverwriteReplacesCharactersButNotLineEnds) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "ab\xC3\xA9\rcd");
    Keys(te, {5});
    EXPECT_FALSE(OrvaExtendedTEGetInsertMode());
    ExtendedTESetSelect(1, 1, te);
    Keys(te, {'X', 'Y', 'Z'});
    EXPECT_EQ(ExtendedText(te), "aXYZ\rcd");
    Keys(te, {5});
    EXPECT_TRUE(OrvaExtendedTEGetInsertMode());
    Keys(te, {'W'});
    EXPECT_EQ(ExtendedText(te), "aXYZW\rcd");
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, KeyCodesOfAnySixteenBitValueLeaveWholeCharacters) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true);
    for (UInt32 key = 0; key <= 0xFFFF; key += 1009) {
        ExtendedTEKey(UInt16(key), te);
        ExtendedTEKey(0xD800, te);
        ExtendedTEKey(0xFFFF, te);
    }
    std::string text = ExtendedText(te);
    for (SInt32 at = 0; at < (*te)->teLength; at = ExtendedNextChar(te, at)) {
        UInt8 b = UInt8(text[size_t(at)]);
        ASSERT_FALSE(b >= 0x80 && b < 0xC0) << at;  // every character starts with a lead byte
    }
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, true), "");
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, DoubleClickSelectsTheWordTripleTheLineLaterClicksAreSingle) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "alpha beta gamma\rnext line");
    ExtendedTEActivate(te);
    Point inBeta = {15, SInt16(10 + 8 * kMonoAdvance)};
    ExtendedTEClick(inBeta, kFalse, te);
    EXPECT_EQ(Sel(te), "8..8");
    SetTestTicks(100000 + 5);
    ExtendedTEClick(inBeta, kFalse, te);
    EXPECT_EQ(Sel(te), "6..10");
    SetTestTicks(100000 + 10);
    ExtendedTEClick(inBeta, kFalse, te);
    EXPECT_EQ(Sel(te), "0..17");  // the line with its return
    SetTestTicks(100000 + 10 + GetDblTime() + 1);
    ExtendedTEClick(inBeta, kFalse, te);
    EXPECT_EQ(Sel(te), "8..8");
    EXPECT_EQ((*te)->clickCount, 0);
    ExtendedTESelectWord(Point{25, SInt16(10 + 2 * kMonoAdvance)}, te);
    EXPECT_EQ(Sel(te), "17..21");
    ExtendedTEDispose(te);
}

// A click on a turned record lands on the character drawn under it.
TEST_F(ExteEditing, ClickOnATurnedRecordFindsTheCharacterDrawnThere) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{50, 50, 150, 250}, true, "abcdefghij\rklmnopqrst");
    ExtendedTESetRotation(te, 40);
    for (SInt32 offset : {2, 5, 14}) {
        BigPoint p;
        ExtendedTEGetPoint(offset, te, &p);
        Point turned;
        ExtendedRotateTransformPoint(te, Point{SInt16(p.v - kMonoLine / 2), SInt16(p.h)}, &turned);
        SetTestTicks(300000 + UInt32(offset) * 1000);
        ExtendedTEClick(turned, kFalse, te);
        EXPECT_EQ(Sel(te), std::to_string(offset) + ".." + std::to_string(offset));
    }
    ExtendedTEDispose(te);
}

int gPolls = 0;
Boolean FivePolls() {
    gPolls++;
    return gPolls < 5;
}

// Outside the browser the drag follows the mouse until the button comes up; below the view the
// default click loop scrolls the text up.
TEST_F(ExteEditing, DragOutOfTheViewScrollsAndEndsWhenTheButtonComesUp) {
    std::string text;
    for (int i = 0; i < 40; i++) text += "drag line " + std::to_string(i) + "\r";
    Rect dest = {10, 10, 1000, 300}, view = {10, 10, 10 + 8 * kMonoLine, 300};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    ExtendedTEAutoView(kTrue, te);
    ExtendedTEUpdate(&view, te);
    ExtendedTESetSelect(0, 0, te);
    orvaSettings.pluginFlag = 0;
    gPolls = 0;
    OrvaSetStillDownHook(FivePolls);
    OrvaSetMousePos(Point{SInt16(view.bottom + 30), 50}, kFalse);
    ExtendedTEClick(Point{12, 12}, kFalse, te);
    EXPECT_EQ(gPolls, 5);
    EXPECT_LT((*te)->destRect.top, 10);
    EXPECT_EQ((*te)->anchor, 0);
    EXPECT_GT((*te)->selEnd, 8 * 11);  // the selection reached below the first view
    ExtendedTEDispose(te);
}

// Inside the browser no mouse-up can come while the click runs: one pass, with the press point.
TEST_F(ExteEditing, InThePluginAClickMakesOnePass) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "a short text to click in");
    ExtendedTEAutoView(kTrue, te);
    gPolls = 0;
    OrvaSetStillDownHook(FivePolls);
    OrvaSetMousePos(Point{500, 500}, kFalse);
    ExtendedTEClick(Point{12, SInt16(10 + 4 * kMonoAdvance)}, kFalse, te);
    EXPECT_EQ(gPolls, 0);
    EXPECT_EQ(Sel(te), "4..4");
    HoldKeys(true, false);
    SetTestTicks(200000);
    ExtendedTEClick(Point{12, SInt16(10 + 9 * kMonoAdvance)}, kTrue, te);  // shift-click extends
    EXPECT_EQ(Sel(te), "4..9");
    ExtendedTEDispose(te);
}

// A character past U+FFFF is two UTF-16 units: 'utxt' holds its pair and 'styl' counts it twice.
TEST_F(ExteEditing, CopyAndPasteCharactersPastTheBasicPlaneWithTheirStyles) {
    const std::string clef = "\xF0\x9D\x84\x9E";
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, clef + "b");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStartEnd(te, 4, 5);
    ExtendedTESetStyle(doFace, &bold, kFalse, te);
    ExtendedTESetSelect(0, 5, te);
    ExtendedTECopy(te);
    EXPECT_EQ(ScrapEntry(kText), clef + "b");
    const UniChar units[3] = {0xD834, 0xDD1E, 'b'};
    EXPECT_EQ(ScrapEntry(kUnicode), std::string((const char *)units, sizeof units));
    std::string styles = ScrapEntry(kStyles);
    ASSERT_EQ(styles.size(), 2u + 2 * 20);
    SInt32 second = 0;
    std::memcpy(&second, &styles[2 + 20], 4);
    EXPECT_EQ(second, 2);
    ExtendedTESetText("", 0, te);
    ExtendedTEStylPaste(te);
    EXPECT_EQ(ExtendedText(te), clef + "b");
    EXPECT_EQ(RunStarts(te), (std::vector<SInt32>{0, 4}));
    // The two-byte case counts one unit a character.
    ExtendedTESetText("\xC3\xA9x", 3, te);
    ExtendedTESetStartEnd(te, 2, 3);
    ExtendedTESetStyle(doFace, &bold, kFalse, te);
    ExtendedTESetSelect(0, 3, te);
    ExtendedTECopy(te);
    std::memcpy(&second, &ScrapEntry(kStyles)[2 + 20], 4);
    EXPECT_EQ(second, 1);
    ExtendedTESetText("", 0, te);
    ExtendedTEStylPaste(te);
    EXPECT_EQ(RunStarts(te), (std::vector<SInt32>{0, 2}));
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, HostileScrapEntriesPasteSafely) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true);
    const UniChar lone[4] = {'a', 0xDC00, 0xD800, 'b'};
    Put(kUnicode, std::string((const char *)lone, sizeof lone) + "z");  // an odd last byte too
    ExtendedTEPaste(te);
    EXPECT_EQ(ExtendedText(te), "a\xEF\xBF\xBD\xEF\xBF\xBD" "b");
    struct Row {
        std::string label, styl;
    };
    const Row rows[] = {
        {"count beyond the handle", StyleScrap({{0, 0}, {2, 1}}, 30)},
        {"starts beyond the text", StyleScrap({{0, 1}, {400, 0}, {-7, 1}}, 3)},
        {"negative count", StyleScrap({{0, 1}}, -4)},
        {"starts going back", StyleScrap({{3, 1}, {1, 0}, {2, 1}}, 3)},
        {"short header", std::string("\x01", 1)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ZeroScrap();
        Put(kUnicode, std::string((const char *)lone, sizeof lone));
        Put(kStyles, row.styl);
        ExtendedTESetText("xy", 2, te);
        ExtendedTESetSelect(1, 1, te);
        ExtendedTEStylPaste(te);
        EXPECT_EQ(ExtendedText(te), "xa\xEF\xBF\xBD\xEF\xBF\xBD" "by");
        EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, true), "");
        for (SInt32 s : RunStarts(te)) {
            if (s == 0) continue;
            EXPECT_EQ(ExtendedNextChar(te, ExtendedPreviousChar(te, s)), s) << s;
        }
    }
    ZeroScrap();  // no entries: nothing happens
    ExtendedTEStylPaste(te);
    EXPECT_EQ((*te)->teLength, 10);
    ExtendedTEDispose(te);
}

TEST_F(ExteEditing, FastAddDataAppendsWithoutLayoutOrDrawing) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 300}, true, "first");
    ExtendedTESetSelect(2, 2, te);
    std::string before = PortPixels(&port);
    ExtendedTEFastAddData("\rsecond", 7, te);
    EXPECT_EQ(ExtendedText(te), "first\rsecond");
    EXPECT_EQ(Sel(te), "12..12");
    EXPECT_EQ((*te)->nLines, 1);  // not laid out
    EXPECT_TRUE(PortPixels(&port) == before);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, true), "");
    ExtendedTECalText(te);
    EXPECT_EQ((*te)->nLines, 2);
    ExtendedTEDispose(te);
}

}  // namespace
