// ctest-labels: exte-model exte.record
// Extended TextEdit records: creation in a port, the setters, the text and its copy, the
// caret blink and the input-method position, failed allocations, and UTF-8 stepping over
// broken sequences.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "graphics/text/extended_textedit.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/os_utilities.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_support.h"

namespace {

const Rect kDest = {10, 20, 200, 320};  // top, left, bottom, right

class ExtendedRecord : public ExtendedPortTest {
protected:
    void TearDown() override {
        OrvaExtendedTESetAllocationHook(nullptr);
        ResetTestTicks();
        ExtendedPortTest::TearDown();
    }
};

UInt32 gRefusedSize = 0;
Boolean RefuseSize(UInt32 size) { return size == gRefusedSize; }
Boolean RefuseAll(UInt32) { return kTrue; }

TEST_F(ExtendedRecord, NewStyledRecordStartsEmptyWithOneLine) {
    ExtendedTEHandle te = ExtendedTEStylNew(&kDest, &kDest);
    ASSERT_NE(te, nullptr);
    const ExtendedTERec &r = **te;
    EXPECT_EQ(r.teLength, 0);
    EXPECT_EQ(r.nLines, 1);
    EXPECT_EQ(r.lineStarts[0], 0);
    EXPECT_EQ(r.lineStarts[1], 0);
    EXPECT_EQ(r.selStart, 0);
    EXPECT_EQ(r.selEnd, 0);
    EXPECT_EQ(r.eraseBackground, 1);
    EXPECT_EQ(r.noWrap, 0);
    EXPECT_EQ(r.noClipToView, 0);
    EXPECT_EQ(r.encodingMode, UInt32(kExtendedModeUTF8));
    EXPECT_EQ(r.lineHeight, -1);
    EXPECT_EQ(r.fontAscent, -1);
    EXPECT_EQ(r.inPort, &port);
    EXPECT_EQ(r.destRect.left, 20);
    EXPECT_EQ(r.destRect.right, 320);
    EXPECT_EQ(r.backColor.red, 0xFFFF);
    ASSERT_NE(r.styleHandle, nullptr);
    EXPECT_EQ((*r.styleHandle)->nRuns, 1);
    EXPECT_FLOAT_EQ((*r.styleHandle)->zoom, 1.0f);
    // The single style and the null style are the port's font in black.
    TextStyle style;
    SInt16 height = 0, ascent = 0;
    ExtendedTEGetStyle(0, &style, &height, &ascent, te);
    EXPECT_EQ(style.tsFont, kMonoFont);
    EXPECT_EQ(style.tsSize, kMonoSize);
    EXPECT_EQ(height, kMonoLine);
    EXPECT_EQ(ascent, kMonoAscent);
    ExtendedSTElement null;
    ExtendedGetStyleNull(r.styleHandle, &null);
    EXPECT_EQ(null.stFont, kMonoFont);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, PlainRecordTakesThePortFont) {
    ExtendedTEHandle te = ExtendedTENew(&kDest, &kDest);
    ASSERT_NE(te, nullptr);
    EXPECT_EQ((*te)->lineHeight, kMonoLine);
    EXPECT_EQ((*te)->fontAscent, kMonoAscent);
    EXPECT_EQ((*te)->txFont, kMonoFont);
    EXPECT_EQ((*te)->styleHandle, nullptr);
    ExtendedTESetText("abc\rdef", 7, te);
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 4, 7}));
    EXPECT_EQ(ExtendedTEGetHeight(0, 1, te), 2 * kMonoLine);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, CreationFailsCleanly) {
    OrvaExtendedTESetAllocationHook(RefuseAll);
    EXPECT_EQ(ExtendedTENew(&kDest, &kDest), nullptr);
    EXPECT_EQ(ExtendedTEStylNew(&kDest, &kDest), nullptr);
    OrvaExtendedTESetAllocationHook(nullptr);
    SetPort(nullptr);
    EXPECT_EQ(ExtendedTEStylNew(&kDest, &kDest), nullptr);  // no port to measure in
    SetPort(&port);
    ExtendedTEDispose(nullptr);
}

// Only the setters that do more than store: wrap is stored inverted, rotation is refused
// outside the Unicode application mode.
TEST_F(ExtendedRecord, WrapIsStoredInvertedAndRotationNeedsUnicodeMode) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true);
    ExtendedTESetWrap(kTrue, te);
    EXPECT_EQ((*te)->noWrap, 0);
    ExtendedTESetWrap(kFalse, te);
    EXPECT_EQ((*te)->noWrap, 1);
    ExtendedTESetRotation(te, 30);
    EXPECT_EQ((*te)->rotation, 30);
    SetUnicodeApplication(kFalse);
    ExtendedTESetRotation(te, 45);
    EXPECT_EQ((*te)->rotation, 30);
    SetUnicodeApplication(kTrue);
    ExtendedSetWordBreak(nullptr, te);
    EXPECT_EQ((*te)->wordBreak, ExtendedDefaultWordBreak);  // a null hook is the default one
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, SetTextPutsTheCaretAtTheEndAndKeepsOneRun) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "hello world");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStyleRange(doFace, &bold, 0, 5, (*te)->styleHandle);
    ASSERT_EQ((*(*te)->styleHandle)->nRuns, 2);
    ExtendedTESetText("caf\xc3\xa9", 5, te);
    EXPECT_EQ(ExtendedText(te), "caf\xc3\xa9");
    EXPECT_EQ((*te)->selStart, 5);
    EXPECT_EQ((*te)->selEnd, 5);
    EXPECT_EQ((*te)->anchor, 5);
    EXPECT_EQ((*(*te)->styleHandle)->nRuns, 1);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 5, true), "");
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, SetTextWithoutMemoryForStylesKeepsRunsOverTheNewText) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "bold plain");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStyleRange(doFace, &bold, 0, 4, (*te)->styleHandle);
    gRefusedSize = sizeof(ExtendedSTElement);  // the new style table
    OrvaExtendedTESetAllocationHook(RefuseSize);
    ExtendedTESetText("a longer text than before", 25, te);
    OrvaExtendedTESetAllocationHook(nullptr);
    EXPECT_EQ(ExtendedText(te), "a longer text than before");
    EXPECT_EQ((*(*te)->styleHandle)->nRuns, 1);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 25, false), "");
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, FailedSetTextKeepsTheOldTextAndLayout) {
    Rect narrow = {0, 0, 100, 30};  // 5 characters a line
    ExtendedTEHandle te = NewExtendedRecord(narrow, true, "one two three");
    std::vector<SInt32> lines = ExtendedLineStarts(te);
    ASSERT_GT(lines.size(), 2u);
    gRefusedSize = 6;
    OrvaExtendedTESetAllocationHook(RefuseSize);
    ExtendedTESetText("world!", 6, te);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(ExtendedText(te), "one two three");
    EXPECT_EQ(ExtendedLineStarts(te), lines);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 13, true), "");
    OrvaExtendedTESetAllocationHook(nullptr);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, LayoutWithoutMemoryShowsOneLine) {
    Rect narrow = {0, 0, 100, 30};
    ExtendedTEHandle te = NewExtendedRecord(narrow, true, "a");
    OrvaExtendedTESetAllocationHook(RefuseAll);
    ExtendedTESetText("one two three", 13, te);  // refused: the text stays
    EXPECT_EQ(ExtendedText(te), "a");
    OrvaExtendedTESetAllocationHook(nullptr);
    ExtendedTESetText("one two three", 13, te);
    OrvaExtendedTESetAllocationHook(RefuseAll);
    std::string more = "one two three four five six seven eight";
    // The text goes in by hand, as an insertion would, and the layout cannot grow.
    SetHandleSize((*te)->hText, UInt32(more.size()));
    std::memcpy(*(*te)->hText, more.data(), more.size());
    ExtendedRunAdjust(13, SInt32(more.size()) - 13, (*te)->styleHandle);
    (*te)->teLength = SInt32(more.size());
    ExtendedTERecalText(13, -1, SInt32(more.size()) - 13, te, nullptr, nullptr);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    OrvaExtendedTESetAllocationHook(nullptr);
    ExtendedTECalText(te);
    EXPECT_GT((*te)->nLines, 4);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, CopyDuplicatesTextAndStyles) {
    ExtendedTEHandle source = NewExtendedRecord(kDest, true, "bold plain");
    ExtendedTEHandle target = NewExtendedRecord(kDest, true, "x");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStyleRange(doFace, &bold, 0, 4, (*source)->styleHandle);
    ExtendedCopyTEHandle(source, target);
    EXPECT_EQ(ExtendedText(target), "bold plain");
    ExtendedStylHandle copy = (*target)->styleHandle;
    ASSERT_NE(copy, (*source)->styleHandle);
    EXPECT_NE((*copy)->styleTab, (*(*source)->styleHandle)->styleTab);
    EXPECT_NE((*copy)->nullStyle, (*(*source)->styleHandle)->nullStyle);
    EXPECT_EQ((*copy)->nRuns, 2);
    // Restyling the source leaves the copy alone.
    ExtendedTESetStyleRange(doFace, &bold, 0, 10, (*source)->styleHandle);
    EXPECT_EQ((*(*source)->styleHandle)->nRuns, 1);
    EXPECT_EQ((*copy)->nRuns, 2);
    EXPECT_EQ(ExtendedStyleFault(copy, 10, true), "");
    ExtendedTEDispose(source);
    ExtendedTEDispose(target);
}

// A plain record copied into a styled one: the target's runs cover the copied text, in the
// source's style, and editing it goes on soundly.
TEST_F(ExtendedRecord, CopyOfAPlainRecordGivesTheStyledTargetRunsOverTheNewText) {
    ExtendedTEHandle plain = NewExtendedRecord(kDest, false, "a plain text\rof two lines");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStyle(doFace, &bold, kFalse, plain);
    ExtendedTEHandle styled = NewExtendedRecord(kDest, true, "x");
    ExtendedCopyTEHandle(plain, styled);
    EXPECT_EQ(ExtendedText(styled), "a plain text\rof two lines");
    EXPECT_EQ(ExtendedStyleFault((*styled)->styleHandle, 25, true), "");
    TextStyle style;
    ExtendedTEGetStyle(20, &style, nullptr, nullptr, styled);
    EXPECT_EQ(style.tsFace, 1);
    ExtendedTECalText(styled);
    ExtendedTESetSelect(3, 20, styled);
    ExtendedTEKey('z', styled);
    EXPECT_EQ(ExtendedText(styled), "a pzlines");
    EXPECT_EQ(ExtendedStyleFault((*styled)->styleHandle, (*styled)->teLength, true), "");
    EXPECT_EQ(ExtendedLayoutFault(styled), "");
    ExtendedTEDispose(plain);
    ExtendedTEDispose(styled);
}

TEST_F(ExtendedRecord, IdleBlinksOnlyAnActiveRecord) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abc");
    SystemDependantIMESetPosition(-1, -1, nullptr);
    SetTestTicks(1000);
    ExtendedTEIdle(te);
    EXPECT_EQ((*te)->caretState, 0);
    EXPECT_EQ((*te)->caretTime, 0u);
    Point hidden = OrvaGetStandInIMEPosition();
    EXPECT_EQ(hidden.h, -1);
    EXPECT_EQ(hidden.v, -1);

    ExtendedTEActivate(te);
    EXPECT_EQ((*te)->active, 1);
    EXPECT_EQ((*te)->caretState, 1);  // shown at once
    (*te)->caretTime = 0;
    ExtendedTEIdle(te);
    EXPECT_EQ((*te)->caretState, 0);  // the blink was due
    EXPECT_EQ((*te)->caretTime, 1000u + UInt32(GetCaretTime()));
    ExtendedTEIdle(te);
    EXPECT_EQ((*te)->caretState, 0);  // not yet
    SetTestTicks(1000 + UInt32(GetCaretTime()));
    ExtendedTEIdle(te);
    EXPECT_EQ((*te)->caretState, 1);

    ExtendedTEDeactivate(te);
    EXPECT_EQ((*te)->active, 0);
    EXPECT_EQ((*te)->caretState, 0);
    ExtendedTEDispose(te);
}

// Each idle call of an active record tells the input method where the caret stands, in global
// coordinates, and the style there: the next typed character's in a styled record, the
// record's own font in black otherwise.
TEST_F(ExtendedRecord, IdleTellsTheInputMethodTheCaretPointAndItsStyle) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "bold plain");
    TextStyle bold = {kMonoFont, 1, 0, kMonoSize, {0, 0, 0}};
    ExtendedTESetStyleRange(doFace, &bold, 0, 4, (*te)->styleHandle);
    ExtendedTESetSelect(4, 4, te);  // after "bold": the next character is bold
    ExtendedTEActivate(te);
    SetTestTicks(5000);
    ExtendedTEIdle(te);
    BigPoint p;
    ExtendedTEGetPoint(4, te, &p);
    Point expected = {SInt16(p.v), SInt16(p.h)};
    LocalToGlobal(&expected);
    Point where = OrvaGetStandInIMEPosition();
    EXPECT_EQ(where.h, expected.h);
    EXPECT_EQ(where.v, expected.v);
    TextStyle style;
    ASSERT_TRUE(OrvaGetIMEStyle(&style));
    EXPECT_EQ(style.tsFace, 1);
    EXPECT_EQ(style.tsFont, kMonoFont);
    EXPECT_EQ(style.tsSize, kMonoSize);
    ExtendedTEDispose(te);

    te = NewExtendedRecord(kDest, false, "plain");
    TextStyle red = {kMonoFont, 2, 0, kMonoSize, {0xFFFF, 0, 0}};
    ExtendedTESetStyle(doFace | doColor, &red, kFalse, te);
    ExtendedTESetSelect(2, 2, te);
    ExtendedTEActivate(te);
    ExtendedTEIdle(te);
    ASSERT_TRUE(OrvaGetIMEStyle(&style));
    EXPECT_EQ(style.tsFace, 2);
    EXPECT_EQ(style.tsColor.red, 0);  // black whatever the record's colour
    ExtendedTEDispose(te);
}

// Key 5 typed into one record switches every record to overwrite: another record then
// replaces what it types over and shows the wide caret.
TEST_F(ExtendedRecord, InsertModeIsSharedByEveryRecord) {
    EXPECT_TRUE(OrvaExtendedTEGetInsertMode());
    ExtendedTEHandle a = NewExtendedRecord(Rect{10, 20, 100, 320}, true, "abc");
    ExtendedTEHandle b = NewExtendedRecord(Rect{150, 20, 240, 320}, true, "xyz");
    ExtendedTESetSelect(0, 0, a);
    ExtendedTEKey(5, a);
    EXPECT_FALSE(OrvaExtendedTEGetInsertMode());
    ExtendedTESetSelect(0, 0, b);
    ExtendedTEKey('Q', b);
    EXPECT_EQ(ExtendedText(b), "Qyz");
    auto caretWidth = [this](ExtendedTEHandle te) {
        std::string before = PortPixels(&port);
        ExtendedAfficheCurseur(te, kTrue);
        Rect ink = InkBox(&port, &before);
        ExtendedAfficheCurseur(te, kFalse);
        EXPECT_TRUE(PortPixels(&port) == before);
        return ink.right - ink.left;
    };
    ExtendedAfficheCurseur(b, kFalse);
    EXPECT_EQ(caretWidth(b), kMonoAdvance);  // as wide as the 'y' after it
    ExtendedTEKey(5, b);                     // back to insert mode, for a too
    EXPECT_TRUE(OrvaExtendedTEGetInsertMode());
    ExtendedTEKey('R', a);
    EXPECT_EQ(ExtendedText(a), "Rabc");
    EXPECT_EQ(caretWidth(b), 1);
    OrvaExtendedTESetInsertMode(kTrue);
    ExtendedTEDispose(a);
    ExtendedTEDispose(b);
}

TEST_F(ExtendedRecord, DefaultWordHookKeepsMultiByteCharactersInWords) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, false, "a-\xc3\xa9 b");
    struct Row {
        SInt32 offset;
        UInt16 word;
    } rows[] = {{0, 1}, {1, 0}, {2, 1}, {3, 1}, {4, 0}, {5, 1}, {6, 0}, {-1, 0}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.offset);
        EXPECT_EQ(ExtendedDefaultWordBreak(te, row.offset), row.word);
    }
    ExtendedSetUnicodeMode(te, kFalse);
    ExtendedTESetText(" a", 2, te);
    EXPECT_EQ(ExtendedDefaultWordBreak(te, 0), 0);  // 8-bit mode: offset 0 is only its byte
    ExtendedTEDispose(te);
}

TEST_F(ExtendedRecord, SteppingVisitsTheSameBoundariesBothWays) {
    // Stray continuation bytes, sequences cut short, a sequence cut by the end.
    std::mt19937 random(7);
    const UInt8 pool[] = {'a', ' ', 0xC3, 0xA9, 0xE3, 0x81, 0x82, 0xF0, 0x9D, 0x84, 0x9E, 0x80, 0xBF, 0xFF, 13};
    ExtendedTEHandle te = NewExtendedRecord(kDest, false);
    for (int round = 0; round < 300; round++) {
        std::string text;
        size_t n = random() % 24;
        for (size_t i = 0; i < n; i++) text += char(pool[random() % sizeof pool]);
        ExtendedTESetText(text.data(), SInt32(text.size()), te);
        SCOPED_TRACE(round);
        std::set<SInt32> forward, backward;
        for (SInt32 p = 0; p < SInt32(text.size()); p = ExtendedNextChar(te, p)) forward.insert(p);
        forward.insert(SInt32(text.size()));
        for (SInt32 p = SInt32(text.size()); p > 0; p = ExtendedPreviousChar(te, p)) backward.insert(p);
        backward.insert(0);
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(ExtendedNextChar(te, SInt32(text.size()) + 5), SInt32(text.size()));
        EXPECT_EQ(ExtendedPreviousChar(te, -3), 0);
    }
    ExtendedTEDispose(te);
}

}  // namespace
