// ctest-labels: textedit textedit.layout
// Line layout and measuring of TextEdit records in FreeMono 10, where every character is 6
// pixels wide and every line 11 high, so that breaks, points and offsets are known by hand.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "support/graphics/textedit_invariants.h"
#include "support/graphics/textedit_support.h"

namespace {

class TextEditLayout : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override { OpenTextEditPort(&port, 400, 300); }
    void TearDown() override { ClosePort(&port); }
};

TEST_F(TextEditLayout, LinesBreakBeforeTheWordThatReachesTheWidthAndLongWordsBetweenBytes) {
    struct Row {
        const char *label;
        SInt16 width;
        std::string text;
        std::vector<UInt16> starts;
    } rows[] = {
        {"three words", 60, "aaaa bbbb cccc", {0, 10, 14}},
        {"a 25-byte word", 60, std::string(25, 'w'), {0, 9, 18, 25}},
        {"a word after a space", 60, "ab " + std::string(12, 'x'), {0, 3, 12, 15}},
        {"paragraphs", 60, "ab\rcd\r", {0, 3, 6}},
        {"exactly the width stays one line", 60, "0123456789", {0, 10}},
        {"a word reaching the width moves down", 60, "aaaa bbbbb c", {0, 5, 12}},
        {"zero width: one byte a line", 0, "abc", {0, 1, 2, 3}},
        {"negative width: one byte a line", -20, "ab", {0, 1, 2}},
        {"control bytes have no width", 12, "\t\t\t\t\t\t", {0, 6}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TEHandle te = NewTestRecord({0, 0, 200, row.width}, false, row.text);
        EXPECT_EQ(TELineStarts(te), row.starts);
        EXPECT_EQ(TEInvariantFault(te), "");
        TEDispose(te);
    }
}

TEST_F(TextEditLayout, CaretPointsFollowTheLines) {
    TEHandle te = NewTestRecord({10, 20, 200, 80}, false, "aaaa bbbb cccc\r");
    // Lines: "aaaa bbbb " (0..10), "cccc\r" (10..15), and the empty line after the return.
    struct Row {
        const char *label;
        SInt32 offset;
        SInt32 line;
        Point point;
    } rows[] = {
        {"start", 0, 0, {21, 20}},
        {"inside the first line", 3, 0, {21, 38}},
        {"soft break: end of the upper line", 10, 0, {21, 80}},
        {"before the return", 14, 1, {32, 44}},
        {"after a final return: an extra line", 15, 2, {43, 20}},
        {"beyond the text: clamped", 99, 2, {43, 20}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        Point p = TEGetPoint(row.offset, te);
        EXPECT_EQ(p.v, row.point.v);
        EXPECT_EQ(p.h, row.point.h);
        if (row.offset != 10) {
            EXPECT_EQ(orva_NumLigne(row.offset, te), row.line);
        }
    }
    EXPECT_EQ(orva_NumLigne(10, te), 1);  // the line index of a soft break is the lower line
    TEDispose(te);
}

TEST_F(TextEditLayout, OffsetsOfPointsAroundTheText) {
    TEHandle te = NewTestRecord({10, 20, 200, 80}, false, "aaaa bbbb cccc\rdd");
    struct Row {
        const char *label;
        Point pt;
        SInt32 offset;
    } rows[] = {
        {"above the text", {5, 50}, 0},
        {"left of the second line: its start", {25, 0}, 10},
        {"nearer the next character", {15, 20 + 10}, 2},
        {"a tie goes to the earlier", {15, 20 + 9}, 1},
        {"right of a paragraph: before its return", {25, 200}, 14},
        {"right of a soft line: its end", {15, 200}, 10},
        {"right of the last line", {40, 200}, 17},
        {"below the text", {100, 30}, 17},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(TEGetOffset(row.pt, te), row.offset);
    }
    TEDispose(te);
}

TEST_F(TextEditLayout, EveryOffsetOfAFixtureComesBackFromItsPoint) {
    std::string text = ReadTestData("prose_2000.txt");
    ASSERT_EQ(text.size(), 2000u);
    TEHandle te = NewTestRecord({0, 0, 2000, 180}, false, text);
    ASSERT_GT((*te)->nLines, 60);
    for (SInt32 offset = 0; offset <= 2000; offset++) {
        Point p = TEGetPoint(offset, te);
        ASSERT_EQ(TEGetOffset(p, te), offset) << "point " << p.h << "," << p.v;
    }
    TEDispose(te);
}

TEST_F(TextEditLayout, HeightsCountTheLineAfterAFinalReturn) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, false, "aaaa bbbb cccc");
    EXPECT_EQ(TEGetHeight((*te)->nLines, 0, te), 2 * kMonoLine);
    EXPECT_EQ(TEGetHeight(0, 1, te), 2 * kMonoLine);  // either order
    EXPECT_EQ(TEGetHeight(1, 1, te), kMonoLine);
    TESetText("ab\r", 3, te);
    EXPECT_EQ(TEGetHeight((*te)->nLines, 0, te), 2 * kMonoLine);
    TESetText("", 0, te);
    EXPECT_EQ(TEGetHeight((*te)->nLines, 0, te), 0);
    EXPECT_EQ(TEGetPoint(0, te).v, kMonoLine);  // the caret of an empty text stands on line 0
    TEDispose(te);
}

TEST_F(TextEditLayout, JustificationMovesLinesInTheWidth) {
    TEHandle te = NewTestRecord({0, 0, 200, 60}, false, "ab");
    EXPECT_EQ(TEGetPoint(0, te).h, 0);
    TESetJust(teFlushRight, te);
    EXPECT_EQ(TEGetPoint(0, te).h, 48);
    TESetJust(teCenter, te);
    EXPECT_EQ(TEGetPoint(0, te).h, 24);
    EXPECT_EQ(TEGetOffset(Point{5, 30}, te), 1);
    TEDispose(te);
}

// Old lines as strings, to find the lines an edit changed.
std::vector<std::string> LineTexts(TEHandle te) {
    std::vector<std::string> lines;
    std::string text = TEText(te);
    for (SInt32 i = 0; i < (*te)->nLines; i++)
        lines.push_back(text.substr((*te)->lineStarts[i], (*te)->lineStarts[i + 1] - (*te)->lineStarts[i]));
    return lines;
}

TEST_F(TextEditLayout, RelayoutAfterRandomEditsMatchesAFullLayoutAndCoversWhatChanged) {
    std::string base = ReadTestData("prose_2000.txt");
    TEHandle te = NewTestRecord({0, 0, 4000, 150}, false, base);
    TEHandle full = NewTestRecord({0, 0, 4000, 150}, false);
    std::mt19937 random(2024);
    const char pieces[] = "abcdefghij    \r";
    for (int edit = 0; edit < 2000; edit++) {
        SCOPED_TRACE(edit);
        std::vector<std::string> before = LineTexts(te);
        SInt32 oldLines = (*te)->nLines, length = (*te)->teLength;
        SInt32 start = SInt32(random() % UInt32(length + 1)), delta;
        Handle text = (*te)->hText;
        if (random() % 2 || length < 50) {
            std::string insert;
            for (UInt32 n = random() % 12 + 1; n > 0; n--) insert += pieces[random() % (sizeof pieces - 1)];
            delta = SInt32(insert.size());
            SetHandleSize(text, UInt32(length + delta));
            std::memmove(*text + start + delta, *text + start, size_t(length - start));
            std::memcpy(*text + start, insert.data(), insert.size());
        } else {
            delta = -std::min<SInt32>(SInt32(random() % 15 + 1), length - start);
            if (delta == 0) continue;
            std::memmove(*text + start, *text + start - delta, size_t(length - start + delta));
            SetHandleSize(text, UInt32(length + delta));
        }
        (*te)->teLength = UInt16(length + delta);
        (*te)->selStart = (*te)->selEnd = 0;
        SInt32 first = -1, last = -1;
        TERecalText(start, -1, delta, te, &first, &last);
        std::string now = TEText(te);
        TESetText(now.data(), SInt32(now.size()), full);
        std::vector<UInt16> relaid = TELineStarts(te), whole = TELineStarts(full);
        ASSERT_EQ(relaid, whole) << "edit at " << start << " by " << delta;
        ASSERT_EQ(TEInvariantFault(te), "");
        std::vector<std::string> after = LineTexts(te);
        SInt32 firstLine = orva_NumLigne(first, te), lastLine = orva_NumLigne(last, te);
        for (SInt32 i = 0; i < SInt32(after.size()); i++) {
            if (i < SInt32(before.size()) && before[i] == after[i]) continue;
            ASSERT_TRUE(i >= firstLine && i <= lastLine) << "line " << i << " changed outside " << first << ".." << last;
        }
        if ((*te)->nLines != oldLines) {
            ASSERT_GE(last, (*te)->teLength - 1);
        }
    }
    TEDispose(te);
    TEDispose(full);
}

TEST_F(TextEditLayout, TextBoxSizeOfAFixture) {
    std::string text = ReadTestData("box.txt");
    // "Hello " | "world\r" | "This is a " | "test of " | "the box": five lines, the widest
    // ten characters.
    Point size;
    OrvaTailleTextBox(text.data(), SInt32(text.size()), 60, &size);
    EXPECT_EQ(size.v, 5 * kMonoLine);
    EXPECT_EQ(size.h, 10 * kMonoAdvance);
    OrvaTailleTextBox(text.data(), SInt32(text.size()), 400, &size);
    EXPECT_EQ(size.v, 2 * kMonoLine);
    EXPECT_EQ(size.h, 25 * kMonoAdvance);
    GrafPtr saved = qd.thePort;
    SetPort(nullptr);
    OrvaTailleTextBox(text.data(), SInt32(text.size()), 60, &size);
    EXPECT_EQ(size.v, 0);
    EXPECT_EQ(size.h, 0);
    SetPort(saved);
}

TEST_F(TextEditLayout, TheLongestTextLaysOutOneByteALine) {
    std::string text(kTEMaxLength, 'x');
    TEHandle te = NewTestRecord({0, 0, 100, 0}, false, text);
    EXPECT_EQ((*te)->teLength, kTEMaxLength);
    EXPECT_EQ((*te)->nLines, SInt32(kTEMaxLength));
    EXPECT_EQ(TEInvariantFault(te), "");
    Point last = TEGetPoint(kTEMaxLength, te);
    EXPECT_EQ(last.v, 32767);  // clamped to the coordinate space
    EXPECT_EQ(TEGetOffset(Point{-5, 0}, te), 0);
    TEDispose(te);
}

}  // namespace
