// ctest-labels: textedit textedit.editing
// Editing TextEdit records by scripted keys (modifiers 0x100 command, 0x200 shift), clicks with
// a scripted clock and mouse, the desktop scrap, scrolling and replacing the text.
#include <gtest/gtest.h>

#include <string>

#include "graphics/quickdraw/ports.h"
#include "graphics/text/textedit.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/back_end.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/runtime.h"
#include "platform/core/scrap.h"
#include "support/graphics/textedit_invariants.h"
#include "support/graphics/textedit_support.h"

namespace {

class TextEditEditing : public ::testing::Test {
protected:
    GrafPort port;
    TEHandle te = nullptr;
    void SetUp() override {
        OpenTextEditPort(&port, 400, 300);
        OrvaTESetInsertMode(kTrue);
        OrvaSetStandInModifiers(0);
        SetTestTicks(100000);
    }
    void TearDown() override {
        if (te) TEDispose(te);
        OrvaSetStandInModifiers(0);
        OrvaTESetInsertMode(kTrue);
        OrvaSetStillDownHook(nullptr);
        OrvaTESetAllocationHook(nullptr);
        orvaSettings.pluginFlag = 1;
        ResetTestTicks();
        ClosePort(&port);
    }
    void Make(const std::string &text, bool styled = false, Rect dest = {0, 0, 200, 60}) {
        te = NewTestRecord(dest, styled, text);
        ASSERT_NE(te, nullptr);
    }
    void Key(SInt16 key, UInt16 modifiers = 0) {
        OrvaSetStandInModifiers(modifiers);
        TEKey(key, te);
        OrvaSetStandInModifiers(0);
    }
    void Type(const std::string &keys) {
        for (char c : keys) Key(UInt8(c));
    }
    void ExpectSelection(SInt32 start, SInt32 end) {
        EXPECT_EQ((*te)->selStart, start);
        EXPECT_EQ((*te)->selEnd, end);
    }
    // The local point of the middle of the character at offset, on the line TEGetPoint shows.
    Point PointAt(SInt32 offset) {
        Point p = TEGetPoint(offset, te);
        return Point{SInt16(p.v - kMonoLine / 2), SInt16(p.h + kMonoAdvance / 2)};
    }
};

TEST_F(TextEditEditing, TypingInsertsAtTheCaretAndBackspaceDeletesOnlyTheSelection) {
    Make("hello world");
    TESetSelect(5, 5, te);
    Type(",");
    EXPECT_EQ(TEText(te), "hello, world");
    ExpectSelection(6, 6);
    TESetSelect(7, 12, te);
    Key(kTEKeyBackspace);
    EXPECT_EQ(TEText(te), "hello, ");
    ExpectSelection(7, 7);
    Key(kTEKeyBackspace);
    EXPECT_EQ(TEText(te), "hello,");
    TESetSelect(0, 0, te);
    Key(kTEKeyBackspace);  // nowhere to go
    EXPECT_EQ(TEText(te), "hello,");
    Key(kTEKeyDelete);
    EXPECT_EQ(TEText(te), "ello,");
    Key(kTEKeyFunction);
    Key(kTEKeyEscape);
    EXPECT_EQ(TEText(te), "ello,");
    EXPECT_EQ(TEInvariantFault(te), "");
}

TEST_F(TextEditEditing, OverwriteReplacesTheNextByteButNotAReturn) {
    Make("ab\rcd");
    TESetSelect(0, 0, te);
    Key(kTEKeyInsertMode);
    EXPECT_FALSE(OrvaTEGetInsertMode());
    Type("XY");
    EXPECT_EQ(TEText(te), "XY\rcd");
    Type("Z");  // before the return: inserted
    EXPECT_EQ(TEText(te), "XYZ\rcd");
    TESetSelect(6, 6, te);
    Type("!");  // at the end: inserted
    EXPECT_EQ(TEText(te), "XYZ\rcd!");
    Key(kTEKeyInsertMode);
    EXPECT_TRUE(OrvaTEGetInsertMode());
}

TEST_F(TextEditEditing, ArrowsMoveByCharactersWordsAndLines) {
    // Lines of the 60-pixel record: "alpha " (0..6) | "beta gamma\r" (6..17) | "delta" (17..22).
    Make("alpha beta gamma\rdelta");
    struct Row {
        const char *label;
        SInt32 start, end;
        SInt16 key;
        UInt16 modifiers;
        SInt32 newStart, newEnd;
    } rows[] = {
        {"right", 2, 2, kTEKeyRight, 0, 3, 3},
        {"left", 2, 2, kTEKeyLeft, 0, 1, 1},
        {"shift-right extends from the start", 2, 4, kTEKeyRight, kModifierShift, 2, 5},
        {"shift-left moves only the end", 2, 2, kTEKeyLeft, kModifierShift, 2, 1},
        {"command-left from a word's middle: its start", 8, 8, kTEKeyLeft, kModifierCommand, 6, 6},
        {"command-left over the space: the previous word", 6, 6, kTEKeyLeft, kModifierCommand, 0, 0},
        {"command-right from a word's middle: its end", 7, 7, kTEKeyRight, kModifierCommand, 10, 10},
        {"command-right from a word's end: the next one's", 10, 10, kTEKeyRight, kModifierCommand, 16, 16},
        {"up on the first line: 0", 3, 3, kTEKeyUp, 0, 0, 0},
        {"up from the second line", 8, 8, kTEKeyUp, 0, 2, 2},
        {"down to the next line", 2, 2, kTEKeyDown, 0, 8, 8},
        {"down on the last line: the end", 19, 19, kTEKeyDown, 0, 22, 22},
        {"home: the line's start", 8, 8, kTEKeyHome, 0, 6, 6},
        {"end: before the line's return", 7, 7, kTEKeyEnd, 0, 16, 16},
        {"end on the last line: the text's end", 18, 18, kTEKeyEnd, 0, 22, 22},
        {"command-home", 13, 13, kTEKeyHome, kModifierCommand, 0, 0},
        {"command-end", 1, 1, kTEKeyEnd, kModifierCommand, 22, 22},
        {"left at the start stays", 0, 0, kTEKeyLeft, 0, 0, 0},
        {"right at the end stays", 22, 22, kTEKeyRight, 0, 22, 22},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TESetSelect(row.start, row.end, te);
        Key(row.key, row.modifiers);
        ExpectSelection(row.newStart, row.newEnd);
        EXPECT_EQ(TEText(te), "alpha beta gamma\rdelta");
    }
}

TEST_F(TextEditEditing, ASecondClickWithinTheDoubleClickTimeSelectsTheWord) {
    Make("one two three");
    SetTestTicks(5000);
    TEClick(PointAt(5), kFalse, te);
    ExpectSelection(5, 5);
    SetTestTicks(5000 + GetDblTime() - 1);
    TEClick(PointAt(5), kFalse, te);
    ExpectSelection(4, 7);
    SetTestTicks(9000);
    TEClick(PointAt(9), kFalse, te);
    ExpectSelection(9, 9);
    SetTestTicks(9000 + GetDblTime());  // too late
    TEClick(PointAt(9), kFalse, te);
    ExpectSelection(9, 9);
    TEClick(PointAt(2), kTrue, te);  // shift-click before the selection extends from its end
    ExpectSelection(2, 9);
}

TEST_F(TextEditEditing, TheFirstClickOfARecordIsNeverADoubleClick) {
    Make("one two three");
    SetTestTicks(3);  // the clock just started
    TEClick(PointAt(5), kFalse, te);
    ExpectSelection(5, 5);
}

struct DragScript {
    int polls = 0;
    Point moves[4];
};
DragScript gDrag;

Boolean ScriptedButton() {
    gDrag.polls++;
    if (gDrag.polls <= 4) {
        OrvaSetMousePos(gDrag.moves[gDrag.polls - 1], kFalse);
        return kTrue;
    }
    return kFalse;  // released where the mouse last was
}

TEST_F(TextEditEditing, ADragFollowsTheMouseUntilTheButtonIsReleased) {
    Make("one two three");
    orvaSettings.pluginFlag = 0;
    gDrag = DragScript{};
    for (int i = 0; i < 4; i++) {
        Point p = PointAt(3 + 2 * i);
        LocalToGlobal(&p);
        gDrag.moves[i] = p;
    }
    Point press = PointAt(1), global = press;
    LocalToGlobal(&global);
    OrvaSetMousePos(global, kFalse);
    OrvaSetStillDownHook(ScriptedButton);
    TEClick(press, kFalse, te);
    EXPECT_EQ(gDrag.polls, 5);
    ExpectSelection(1, 9);
}

TEST_F(TextEditEditing, InsideTheBrowserAClickMakesOnePassAndReturns) {
    Make("one two three");
    ASSERT_TRUE(OrvaIsPlugin());
    gDrag = DragScript{};
    gDrag.moves[0] = gDrag.moves[1] = gDrag.moves[2] = gDrag.moves[3] = PointAt(9);
    OrvaSetMousePos(PointAt(11), kFalse);
    OrvaSetStillDownHook(ScriptedButton);
    TEClick(PointAt(3), kFalse, te);
    EXPECT_EQ(gDrag.polls, 0);
    ExpectSelection(3, 3);
}

TEST_F(TextEditEditing, CutCopyAndPasteGoThroughTheScrap) {
    Make("copy this text");
    ZeroScrap();
    TESetSelect(5, 10, te);
    TECopy(te);
    Handle h = NewHandle(0);
    SInt32 offset = 0;
    ASSERT_EQ(GetScrap(h, FourCC("TEXT"), &offset), 5);
    EXPECT_EQ(std::string(*h, 5), "this ");
    EXPECT_EQ(TEGetScrapLen(), 5);
    TECut(te);
    EXPECT_EQ(TEText(te), "copy text");
    ExpectSelection(5, 5);
    TESetSelect(9, 9, te);
    TEPaste(te);
    EXPECT_EQ(TEText(te), "copy textthis ");
    ExpectSelection(14, 14);
    ZeroScrap();
    TEPaste(te);  // an empty scrap inserts nothing
    EXPECT_EQ(TEText(te), "copy textthis ");
    TESetSelect(3, 3, te);
    TECopy(te);  // an empty selection puts nothing
    EXPECT_EQ(GetScrap(h, FourCC("TEXT"), &offset), noTypeErr);
    DisposHandle(h);
    EXPECT_EQ(TEInvariantFault(te), "");
}

TEST_F(TextEditEditing, AScrapTextTooLongForTheRecordIsCut) {
    Make("ab");
    std::string big(70000, 'q');
    ZeroScrap();
    PutScrap(SInt32(big.size()), FourCC("TEXT"), big.data());
    TESetSelect(1, 1, te);
    TEPaste(te);
    EXPECT_EQ((*te)->teLength, kTEMaxLength);
    EXPECT_EQ(TEText(te).substr(0, 3), "aqq");
    EXPECT_EQ(TEText(te).back(), 'b');  // the inserted text is cut, the record's own kept
    EXPECT_EQ(TEInvariantFault(te), "");
    ZeroScrap();
}

TEST_F(TextEditEditing, SetTextKeepsAtMostTheLimit) {
    Make("old");
    std::string big(70000, 'z');
    big[65533] = 'A';
    big[65534] = 'B';
    TESetText(big.data(), SInt32(big.size()), te);
    EXPECT_EQ((*te)->teLength, kTEMaxLength);
    EXPECT_EQ(GetHandleSize((*te)->hText), UInt32(kTEMaxLength));
    EXPECT_EQ(TEText(te).back(), 'A');
    ExpectSelection(kTEMaxLength, kTEMaxLength);
    EXPECT_EQ(TEInvariantFault(te), "");
    Type("x");  // full: nothing more goes in
    EXPECT_EQ((*te)->teLength, kTEMaxLength);
}

Boolean RefuseTextBlocks(UInt32 size) { return size >= 8; }

TEST_F(TextEditEditing, AFailedAllocationInSetTextKeepsTheOldText) {
    Make("kept text", true);
    TESetSelect(2, 4, te);
    TEStyleHandle styles = GetStylHandle(te);
    OrvaTESetAllocationHook(RefuseTextBlocks);
    TESetText("a longer replacement", 20, te);
    OrvaTESetAllocationHook(nullptr);
    EXPECT_EQ(TEText(te), "kept text");
    ExpectSelection(2, 4);
    EXPECT_EQ(GetStylHandle(te), styles);
    EXPECT_EQ(TEInvariantFault(te), "");
}

TEST_F(TextEditEditing, PinScrollKeepsTheTextInTheViewAndAutoViewFollowsTheCaret) {
    Make("one\rtwo\rthree\rfour\rfive\rsix", false, {0, 0, 33, 60});
    TEPinScroll(50, 0, te);
    EXPECT_EQ((*te)->destRect.left, 0);  // never right of the view's left
    TEPinScroll(0, 40, te);
    EXPECT_EQ((*te)->destRect.top, 0);
    TEPinScroll(0, -100, te);
    EXPECT_EQ((*te)->destRect.top, 33 - 6 * kMonoLine);  // the last line at the view's bottom
    TEScroll(-30, 0, te);
    EXPECT_EQ((*te)->destRect.left, -30);
    TEPinScroll(50, 0, te);
    EXPECT_EQ((*te)->destRect.left, 0);
    TEPinScroll(-10, 0, te);
    EXPECT_EQ((*te)->destRect.left, 0);  // the text is no wider than the view
    // Back at the top, with automatic view the selection scrolls into view.
    TEPinScroll(0, 100, te);
    TEAutoView(kTrue, te);
    TESetSelect(26, 26, te);
    EXPECT_EQ((*te)->destRect.top, 33 - 6 * kMonoLine);
    TESetSelect(0, 0, te);
    EXPECT_EQ((*te)->destRect.top, 0);
}

TEST_F(TextEditEditing, IdleBlinksTheCaretAndTellsTheInputMethodWhereItIs) {
    Make("abc");
    TESetSelect(1, 1, te);
    TEActivate(te);
    EXPECT_EQ((*te)->caretState, 1);
    Key('x');  // typing hides the caret and asks the next idle to show it at once
    EXPECT_EQ((*te)->caretState, 0);
    SetTestTicks(200000);
    TEIdle(te);
    EXPECT_EQ((*te)->caretState, 1);
    Point ime = OrvaGetStandInIMEPosition();
    Point expected = TEGetPoint(2, te);
    LocalToGlobal(&expected);
    EXPECT_EQ(ime.v, expected.v);
    EXPECT_EQ(ime.h, expected.h);
    TEIdle(te);  // not yet time
    EXPECT_EQ((*te)->caretState, 1);
    SetTestTicks(200000 + GetCaretTime());
    TEIdle(te);
    EXPECT_EQ((*te)->caretState, 0);
    TEDeactivate(te);
    EXPECT_EQ(OrvaGetStandInIMEPosition().v, -1);
}

}  // namespace
