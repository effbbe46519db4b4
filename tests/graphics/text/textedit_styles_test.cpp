// ctest-labels: textedit textedit.styles
// Styled TextEdit records: runs and the style table through random edits, the null style,
// continuous styles, per-line heights, the style scrap in both byte orders and through the
// desktop scrap, and hostile style scraps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "support/graphics/textedit_invariants.h"
#include "support/graphics/textedit_support.h"

namespace {

const RGBColor kRed = {0xFFFF, 0, 0};
const RGBColor kBlack = {0, 0, 0};

class TextEditStyles : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override { OpenTextEditPort(&port, 400, 300); }
    void TearDown() override { ClosePort(&port); }
};

TextStyle Style(SInt16 font, SInt16 size, UInt8 face = 0, RGBColor colour = kBlack) {
    return TextStyle{font, face, 0, size, colour};
}

struct RunView {
    SInt32 start;
    SInt16 font, size;
    UInt8 face;
    UInt16 red;
    bool operator==(const RunView &o) const {
        return start == o.start && font == o.font && size == o.size && face == o.face && red == o.red;
    }
};

std::vector<RunView> Runs(TEHandle te) {
    std::vector<RunView> runs;
    const TEStyleRec &s = **GetStylHandle(te);
    for (SInt32 i = 0; i < s.nRuns; i++) {
        const STElement &e = (*s.styleTab)[s.runs[i].styleIndex];
        runs.push_back(RunView{s.runs[i].startChar, SInt16(e.stFont), SInt16(e.stSize), e.stFace, e.stColor.red});
    }
    return runs;
}

void SetStyleOf(TEHandle te, SInt32 start, SInt32 end, SInt16 mode, const TextStyle &style) {
    TESetSelect(start, end, te);
    TESetStyle(mode, &style, kTrue, te);
}

TEST_F(TextEditStyles, ANewStyledRecordHasOneRunOfThePortsStyle) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, true, "hello");
    EXPECT_EQ((*te)->txSize, -1);
    EXPECT_EQ((*te)->lineHeight, -1);
    ASSERT_NE(GetStylHandle(te), nullptr);
    EXPECT_EQ(Runs(te), (std::vector<RunView>{{0, kMonoFont, kMonoSize, 0, 0}}));
    EXPECT_EQ(TEInvariantFault(te), "");
    TEHandle plain = NewTestRecord({0, 0, 200, 60}, false, "x");
    EXPECT_EQ(GetStylHandle(plain), nullptr);
    TEDispose(plain);
    TEDispose(te);
}

TEST_F(TextEditStyles, AStyleAndThenThePreviousOneAgainLeaveOneRunAndOneStyle) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, true, "hello world");
    SetStyleOf(te, 0, 11, doFace, Style(0, 0, kFaceBold));
    EXPECT_EQ(Runs(te), (std::vector<RunView>{{0, kMonoFont, kMonoSize, kFaceBold, 0}}));
    SetStyleOf(te, 0, 11, doFace, Style(0, 0, 0));
    EXPECT_EQ((**GetStylHandle(te)).nRuns, 1);
    EXPECT_EQ((**GetStylHandle(te)).nStyles, 1);
    SetStyleOf(te, 3, 5, doColor, Style(0, 0, 0, kRed));
    EXPECT_EQ(Runs(te), (std::vector<RunView>{{0, kMonoFont, kMonoSize, 0, 0},
                                              {3, kMonoFont, kMonoSize, 0, 0xFFFF},
                                              {5, kMonoFont, kMonoSize, 0, 0}}));
    EXPECT_EQ((**GetStylHandle(te)).nStyles, 2);
    SetStyleOf(te, 3, 5, doColor, Style(0, 0, 0, kBlack));
    EXPECT_EQ((**GetStylHandle(te)).nRuns, 1);
    EXPECT_EQ((**GetStylHandle(te)).nStyles, 1);
    EXPECT_EQ(TEInvariantFault(te), "");
    TEDispose(te);
}

TEST_F(TextEditStyles, TypingAfterANullStyleChangeUsesTheNewStyle) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, true, "abc");
    TESetSelect(3, 3, te);
    TextStyle big = Style(0, 20);
    TESetStyle(doSize, &big, kTrue, te);
    TEKey('d', te);
    EXPECT_EQ(Runs(te), (std::vector<RunView>{{0, kMonoFont, kMonoSize, 0, 0}, {3, kMonoFont, 20, 0, 0}}));
    TextStyle at;
    SInt16 height = 0, ascent = 0;
    TEGetStyle(3, &at, &height, &ascent, te);
    FontInfo info;
    OrvaGetFontInfo(kMonoFont, 20, &info);
    EXPECT_EQ(at.tsSize, 20);
    EXPECT_EQ(height, info.ascent + info.descent + info.leading);
    EXPECT_EQ(ascent, info.ascent);
    // The line is as tall as its tallest run.
    EXPECT_EQ(TEGetHeight(0, 0, te), height);
    EXPECT_EQ(TEGetPoint(0, te).v, height);
    TEDispose(te);
}

TEST_F(TextEditStyles, ContinuousStyleClearsTheBitsThatDiffer) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, true, "small large");
    SetStyleOf(te, 6, 11, doSize, Style(0, 14));
    TESetSelect(2, 9, te);
    SInt16 mode = doFont | doSize;
    TextStyle style;
    EXPECT_FALSE(TEContinuousStyle(&mode, &style, te));
    EXPECT_EQ(mode, doFont);
    EXPECT_EQ(style.tsFont, kMonoFont);
    TESetSelect(6, 9, te);
    mode = doAll;
    EXPECT_TRUE(TEContinuousStyle(&mode, &style, te));
    EXPECT_EQ(mode, doAll);
    EXPECT_EQ(style.tsSize, 14);
    TESetSelect(4, 4, te);  // an empty selection answers the null style
    EXPECT_TRUE(TEContinuousStyle(&mode, &style, te));
    EXPECT_EQ(style.tsSize, kMonoSize);
    TEDispose(te);
}

TEST_F(TextEditStyles, AnInsertionPastTheLimitIsCutToFit) {
    std::string text(kTEMaxLength - 4, 'a');
    TEHandle te = NewTestRecord({0, 0, 200, 400}, true, text);
    TESetSelect(10, 10, te);
    TEStylInsert("0123456789", 10, nullptr, te);
    EXPECT_EQ((*te)->teLength, kTEMaxLength);
    EXPECT_EQ(TEText(te).substr(10, 5), "0123a");
    EXPECT_EQ(TEInvariantFault(te), "");
    TEDispose(te);
}

TEST_F(TextEditStyles, RandomEditsKeepTheRunsAndLinesSound) {
    TEHandle te = NewTestRecord({0, 0, 4000, 120}, true, "The quick brown fox jumps over the lazy dog.\r");
    TEStyleHandle styles = GetStylHandle(te);
    std::mt19937 random(77);
    const SInt16 fonts[] = {kMonoFont, 20, 21, 4321};
    const SInt16 sizes[] = {9, 10, 14, 20};
    const RGBColor colours[] = {kBlack, kRed, {0, 0x8000, 0}};
    const char letters[] = "abcdefgh ij\r";
    SInt32 mostRuns = 0, mostLines = 0;
    for (int step = 0; step < 10000; step++) {
        SCOPED_TRACE(step);
        SInt32 length = (*te)->teLength;
        // Mostly carets and short selections, so that the text grows to many lines and runs.
        SInt32 a = SInt32(random() % UInt32(length + 1)), b = a;
        if (random() % 3 == 0) b = std::min<SInt32>(length, a + SInt32(random() % 12));
        if (random() % 50 == 0) b = SInt32(random() % UInt32(length + 1));
        TESetSelect(a, b, te);
        switch (random() % 4) {
        case 0:
        case 1: {
            char key = letters[random() % (sizeof letters - 1)];
            TEKey(UInt8(key), te);
            break;
        }
        case 2:
            if (length > 400 || random() % 2) TEDelete(te);
            else TEInsert("xyz ", 4, te);
            break;
        default: {
            TextStyle style = Style(fonts[random() % 4], sizes[random() % 4], UInt8(random() % 4),
                                    colours[random() % 3]);
            TESetStyle(SInt16(random() % 32), &style, random() % 2, te);
            break;
        }
        }
        ASSERT_EQ(TEInvariantFault(te), "");
        ASSERT_EQ(GetStylHandle(te), styles);
        mostRuns = std::max(mostRuns, (**styles).nRuns);
        mostLines = std::max(mostLines, (*te)->nLines);
        if (step % 50 == 0) {
            // The relaid lines and heights are those of a full layout.
            std::vector<UInt16> starts = TELineStarts(te);
            LHHandle table = (**styles).lhTab;
            std::vector<LHElement> heights(*table, *table + (*te)->nLines + 1);
            TECalText(te);
            ASSERT_EQ(TELineStarts(te), starts);
            for (SInt32 i = 0; i <= (*te)->nLines; i++) {
                ASSERT_EQ((*(**styles).lhTab)[i].lhHeight, heights[i].lhHeight) << i;
                ASSERT_EQ((*(**styles).lhTab)[i].lhAscent, heights[i].lhAscent) << i;
            }
        }
    }
    EXPECT_GT(mostRuns, 20);  // the script reaches many runs and lines
    EXPECT_GT(mostLines, 20);
    TEDispose(te);
}

TEST_F(TextEditStyles, TheStyleHandleSurvivesEveryOperation) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, true, "text");
    TEStyleHandle styles = GetStylHandle(te);
    TextStyle bold = Style(0, 0, kFaceBold);
    SetStyleOf(te, 0, 2, doFace, bold);
    TEKey('x', te);
    TESetSelect(0, 3, te);
    TECopy(te);
    TEDelete(te);
    TEStylPaste(te);
    TESetText("new text", 8, te);
    TEPaste(te);
    TECalText(te);
    EXPECT_EQ(GetStylHandle(te), styles);
    EXPECT_EQ(TEInvariantFault(te), "");
    TEDispose(te);
}

// A style scrap in the big-endian order other systems write: two elements, then a count that
// claims five.
std::vector<UInt8> BigEndianScrap(SInt16 count) {
    std::vector<UInt8> bytes = {UInt8(count >> 8), UInt8(count)};
    const UInt8 elements[2][20] = {
        {0, 0, 0, 0, 0, 11, 0, 8, 0, 22, 1, 0, 0, 10, 0xFF, 0xFF, 0, 0, 0, 0},
        {0, 0, 0, 4, 0, 14, 0, 11, 0, 20, 2, 0, 0, 14, 0, 0, 0x80, 0x00, 0x12, 0x34},
    };
    for (const auto &e : elements) bytes.insert(bytes.end(), e, e + 20);
    return bytes;
}

TEST_F(TextEditStyles, ABigEndianStyleScrapConvertsToMemoryOrderAndBack) {
    for (SInt16 count : {SInt16(2), SInt16(5), SInt16(-3)}) {
        SCOPED_TRACE(count);
        std::vector<UInt8> original = BigEndianScrap(count);
        Handle h = NewHandle(UInt32(original.size()));
        std::memcpy(*h, original.data(), original.size());
        OrvaCvtStScrpHandle(h);
        EXPECT_EQ(OrvaStScrpCount(h), count < 0 ? 0 : 2);
        // Every field's swap is checked by the Extended TextEdit's scrap test (the same swapper).
        ScrpSTElement e;
        if (count > 0) {
            ASSERT_TRUE(OrvaGetStScrpElement(h, 1, &e));
            EXPECT_EQ(e.scrpStartChar, 4);
            EXPECT_EQ(e.scrpColor.blue, 0x1234);
        }
        EXPECT_FALSE(OrvaGetStScrpElement(h, 2, &e));
        OrvaCvtScrpHandlePCToMac(h);
        EXPECT_EQ(std::vector<UInt8>(*h, *h + original.size()), original);
        DisposHandle(h);
    }
}

TEST_F(TextEditStyles, CopyThenStyledPasteReproducesTheRuns) {
    TEHandle from = NewTestRecord({0, 0, 300, 200}, true, "plain bold red big end");
    SetStyleOf(from, 6, 10, doFace, Style(0, 0, kFaceBold));
    SetStyleOf(from, 11, 14, doColor, Style(0, 0, 0, kRed));
    SetStyleOf(from, 15, 18, doSize | doFont, Style(20, 14));
    TESetSelect(4, 20, from);
    ZeroScrap();
    TECopy(from);
    TEHandle to = NewTestRecord({0, 0, 300, 200}, true, "");
    TEStylPaste(to);
    EXPECT_EQ(TEText(to), "n bold red big e");
    std::vector<RunView> expected = {{0, kMonoFont, kMonoSize, 0, 0},        {2, kMonoFont, kMonoSize, kFaceBold, 0},
                                     {6, kMonoFont, kMonoSize, 0, 0},        {7, kMonoFont, kMonoSize, 0, 0xFFFF},
                                     {10, kMonoFont, kMonoSize, 0, 0},       {11, 20, 14, 0, 0},
                                     {14, kMonoFont, kMonoSize, 0, 0}};
    EXPECT_EQ(Runs(to), expected);
    EXPECT_EQ(TEInvariantFault(to), "");
    // A plain paste of the same scrap takes the null style.
    TEHandle other = NewTestRecord({0, 0, 300, 200}, true, "");
    TEPaste(other);
    EXPECT_EQ((**GetStylHandle(other)).nRuns, 1);
    TEDispose(other);
    TEDispose(to);
    TEDispose(from);
    ZeroScrap();
}

// A memory-order style scrap of count elements (starts given), in a handle of room elements.
Handle MemoryScrap(SInt16 count, const std::vector<SInt32> &starts, SInt32 room) {
    Handle h = NewHandleClear(UInt32(kStScrpHeaderBytes + room * kStScrpElementBytes));
    std::memcpy(*h, &count, 2);
    for (SInt32 i = 0; i < room && i < SInt32(starts.size()); i++) {
        ScrpSTElement e{starts[size_t(i)], 0, 0, SInt16(i % 2 ? 20 : kMonoFont), 0, SInt16(10 + i), kBlack};
        OrvaSetStScrpElement(h, i, &e);
    }
    return h;
}

TEST_F(TextEditStyles, HostileStyleScrapsAreBoundedAndIgnoredPastTheText) {
    struct Row {
        const char *label;
        SInt16 count;
        std::vector<SInt32> starts;
        SInt32 room;
    } rows[] = {
        {"count beyond the handle", 3000, {0, 2}, 2},
        {"starts beyond the text", 3, {0, 500, 70000}, 3},
        {"negative starts", 2, {-40, -1}, 2},
        {"unsorted starts", 4, {3, 0, 2, 1}, 4},
        {"a negative count", -7, {0}, 1},
        {"unknown fonts", 1, {0}, 1},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TEHandle te = NewTestRecord({0, 0, 300, 200}, true, "0123");
        Handle scrap = MemoryScrap(row.count, row.starts, row.room);
        if (std::string(row.label) == "unknown fonts") {
            ScrpSTElement e{0, 0, 0, 4321, 0, 12, kBlack};
            OrvaSetStScrpElement(scrap, 0, &e);
        }
        TESetSelect(2, 2, te);
        TEStylInsert("abcdef", 6, scrap, te);
        EXPECT_EQ(TEText(te), "01abcdef23");
        EXPECT_EQ(TEInvariantFault(te), "");
        for (const RunView &run : Runs(te)) EXPECT_LT(run.start, 10);
        DisposHandle(scrap);
        TEDispose(te);
    }
}

TEST_F(TextEditStyles, StyledLinesBreakByTheirOwnWidths) {
    TEHandle te = NewTestRecord({0, 0, 300, 60}, true, "aaaa bbbb cccc");
    EXPECT_EQ(TELineStarts(te), (std::vector<UInt16>{0, 10, 14}));
    // Twice the size, twice the width: "aaaa" alone is 48 pixels, "aaaa bbbb" 108.
    SetStyleOf(te, 0, 14, doSize, Style(0, 20));
    EXPECT_EQ(TELineStarts(te), (std::vector<UInt16>{0, 5, 10, 14}));
    EXPECT_EQ(TEInvariantFault(te), "");
    TEDispose(te);
}

}  // namespace
