// ctest-labels: exte-model exte.layout
// Extended TextEdit line layout: partial relayout after random edits against a full layout,
// the redraw range, line ends and pairs, narrow and huge boxes, wrap off, zoom, heights,
// line lookups, measuring without line ends and a 200,000-byte paragraph.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "platform/core/memory.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/textedit_support.h"

namespace {

const RGBColor kBlack = {0, 0, 0};

class ExtendedLayout : public ExtendedPortTest {};

Rect Box(SInt16 width) { return Rect{0, 0, 200, width}; }

void SetWidth(ExtendedTEHandle te, SInt32 width) {
    (*te)->destRect.left = 7;
    (*te)->destRect.right = 7 + width;
}

// Replaces bytes [at, at + removed) by inserted as the editing code does: the runs follow,
// then the lines are laid out again from the edit.
void Splice(ExtendedTEHandle te, SInt32 at, SInt32 removed, const std::string &inserted, SInt32 *first, SInt32 *last) {
    std::string text = ExtendedText(te);
    text.replace(size_t(at), size_t(removed), inserted);
    SInt32 delta = SInt32(inserted.size()) - removed;
    SetHandleSize((*te)->hText, UInt32(text.size()));
    if (!text.empty()) std::memcpy(*(*te)->hText, text.data(), text.size());
    if ((*te)->styleHandle) ExtendedRunAdjust(at, delta, (*te)->styleHandle);
    (*te)->teLength = SInt32(text.size());
    ExtendedTERecalText(at, -1, delta, te, first, last);
}

struct Layout {
    std::string text;
    std::vector<SInt32> starts;
    std::vector<std::pair<SInt16, SInt16>> heights;
};

Layout Snapshot(ExtendedTEHandle te) { return Layout{ExtendedText(te), ExtendedLineStarts(te), ExtendedHeights(te)}; }

// What a full layout of te's text and styles gives, in a second record set up the same way.
Layout FullLayoutOf(ExtendedTEHandle te, ExtendedTEHandle reference) {
    ExtendedCopyTEHandle(te, reference);
    (*reference)->destRect = (*te)->destRect;
    (*reference)->noWrap = (*te)->noWrap;
    (*reference)->textWidth = (*te)->textWidth;
    ExtendedTECalText(reference);
    return Snapshot(reference);
}

// Every line whose bytes, height or top changed lies in the lines of first..last.
std::string RedrawFault(const Layout &before, const Layout &after, ExtendedTEHandle te, SInt32 first, SInt32 last) {
    SInt32 count = SInt32(after.starts.size()) - 1, oldCount = SInt32(before.starts.size()) - 1;
    SInt32 from = ExtendedGetNumLigneTexte(te, first), to = ExtendedGetNumLigneTexte(te, last);
    if (count != oldCount && to != count - 1) return "line count changed but the range stops at line " + std::to_string(to);
    SInt32 top = 0, oldTop = 0;
    for (SInt32 i = 0; i < count; i++) {
        bool changed = i >= oldCount || top != oldTop;
        if (!changed) {
            std::string now = after.text.substr(size_t(after.starts[i]), size_t(after.starts[i + 1] - after.starts[i]));
            std::string was =
                before.text.substr(size_t(before.starts[i]), size_t(before.starts[i + 1] - before.starts[i]));
            changed = now != was || (!after.heights.empty() && after.heights[i] != before.heights[i]);
        }
        if (changed && (i < from || i > to))
            return "line " + std::to_string(i) + " changed outside lines " + std::to_string(from) + ".." +
                   std::to_string(to);
        if (!after.heights.empty()) {
            top += after.heights[i].first;
            if (i < oldCount) oldTop += before.heights[i].first;
        }
    }
    return "";
}

std::string Dump(const Layout &l) {
    std::string out;
    for (size_t i = 0; i + 1 < l.starts.size(); i++) {
        std::string line = l.text.substr(size_t(l.starts[i]), size_t(l.starts[i + 1] - l.starts[i]));
        for (char &c : line) {
            if (c == '\r') c = '|';
            if (c == '\n') c = '~';
        }
        out += std::to_string(l.starts[i]) + "[" + line + "]";
    }
    return out;
}

const char *const kPieces[] = {"a", "word", "wide words", " ", "  ", "-", "\t", "\xc3\xa9", "\xe6\x97\xa5",
                               "\xf0\x9d\x84\x9e", "\r", "\n", "\r\n", "\n\r", "\x80", "\xe6\x97"};

// A random character boundary of te's text.
SInt32 RandomBoundary(ExtendedTEHandle te, std::mt19937 &random) {
    SInt32 length = (*te)->teLength;
    SInt32 at = length > 0 ? SInt32(random() % UInt32(length + 1)) : 0;
    return ExtendedNextChar(te, ExtendedPreviousChar(te, at)) == at ? at : ExtendedPreviousChar(te, at);
}

void RandomEdits(ExtendedTEHandle te, ExtendedTEHandle reference, int edits, unsigned seed) {
    std::mt19937 random(seed);
    const SInt32 widths[] = {1, 5, 13, 61, 120, 300, 32000};
    const TextStyle palette[] = {{kMonoFont, 0, 0, 10, kBlack}, {kMonoFont, 1, 0, 14, kBlack},
                                 {kMonoFont, 0, 0, 7, kBlack}, {kMonoFont, 2, 0, 10, {0xFFFF, 0, 0}}};
    for (int edit = 0; edit < edits; edit++) {
        SCOPED_TRACE("edit " + std::to_string(edit));
        UInt32 kind = random() % 20;
        if (kind == 0) {  // the box, wrap or zoom change: everything is laid out again
            SetWidth(te, random() % 4 == 0 ? SInt32(random() % 32000) + 1 : widths[random() % 7]);
            if (random() % 5 == 0) ExtendedTESetWrap(random() % 2 == 0, te);
            if ((*te)->styleHandle) ExtendedSetViewZoom(te, random() % 2 == 0 ? 1.0f : 1.5f);
            ExtendedTECalText(te);
            continue;
        }
        Layout before = Snapshot(te);
        SInt32 first = -1, last = -1;
        SInt32 length = (*te)->teLength;
        if (kind < 11 || length > 600) {
            bool deletion = length > 600 || (kind < 5 && length > 0);
            if (deletion) {
                SInt32 a = RandomBoundary(te, random), b = RandomBoundary(te, random);
                if (a > b) std::swap(a, b);
                if (b - a > 40) b = ExtendedPreviousChar(te, ExtendedNextChar(te, a + 40));
                if (b <= a) continue;
                Splice(te, a, b - a, "", &first, &last);
            } else {
                std::string inserted;
                for (UInt32 n = random() % 4 + 1; n > 0; n--) inserted += kPieces[random() % 16];
                Splice(te, RandomBoundary(te, random), 0, inserted, &first, &last);
            }
        } else if ((*te)->styleHandle) {
            SInt32 a = RandomBoundary(te, random), b = RandomBoundary(te, random);
            if (a > b) std::swap(a, b);
            static const SInt16 modes[] = {doSize, doFace, doAll, addSize};
            ExtendedTESetStyleRange(modes[random() % 4], &palette[random() % 4], a, b, (*te)->styleHandle);
            ExtendedTERecalText(a, b, 0, te, &first, &last);
        } else {
            continue;
        }
        ASSERT_EQ(ExtendedLayoutFault(te), "") << ExtendedText(te);
        if ((*te)->styleHandle) {
            ASSERT_EQ(ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, true), "");
        }
        Layout after = Snapshot(te);
        Layout full = FullLayoutOf(te, reference);
        ASSERT_EQ(after.starts, full.starts) << "width " << (*te)->destRect.right - (*te)->destRect.left;
        ASSERT_EQ(after.heights, full.heights);
        ASSERT_LE(first, last);
        ASSERT_EQ(RedrawFault(before, after, te, first, last), "") << Dump(before) << "\n" << Dump(after) << "\n"
                                                                   << first << ".." << last;
    }
}

// Styled and plain records with the fixed-advance measure, and a styled one measured by pango.
TEST_F(ExtendedLayout, RandomEditsRelayOutAsAFullLayoutWould) {
    struct Row {
        SInt16 width;
        bool styled, fast;
        const char *text;
        int edits;
    } rows[] = {{120, true, true, "Some words to start with.\rAnd a second line.", 5000},
                {120, false, true, "plain", 1500},
                {90, true, false, "Mixed \xe6\x97\xa5\xe6\x9c\xac text", 400}};
    unsigned seed = 1;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        ExtendedTEHandle te = NewExtendedRecord(Box(row.width), row.styled, row.text);
        ExtendedTEHandle reference = NewExtendedRecord(Box(row.width), row.styled);
        if (row.fast) (*te)->textWidth = ExtendedFastWidth;
        RandomEdits(te, reference, row.edits, seed++);
        ExtendedTEDispose(te);
        ExtendedTEDispose(reference);
    }
}

TEST_F(ExtendedLayout, LineEndsAndPairs) {
    struct Row {
        const char *text;
        std::vector<SInt32> starts;
    } rows[] = {
        {"", {0, 0}},
        {"abc\r\ndef", {0, 5, 8}},
        {"a\r\rb", {0, 2, 3, 4}},
        {"a\n\rb", {0, 3, 4}},
        {"a\r\n\rb", {0, 3, 4, 5}},
        {"abc\r", {0, 4}},
        {"\r\n", {0, 2}},
    };
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        ExtendedTESetText(row.text, SInt32(std::strlen(row.text)), te);
        EXPECT_EQ(ExtendedLineStarts(te), row.starts);
        EXPECT_EQ(ExtendedLayoutFault(te), "");
    }
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, NarrowBoxesHoldOneCharacterALine) {
    ExtendedTEHandle te = NewExtendedRecord(Box(3), true, "ab\xc3\xa9" "d");
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 1, 2, 4, 5}));
    SetWidth(te, 0);
    ExtendedTECalText(te);
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 1, 2, 4, 5}));
    (*te)->destRect.right = (*te)->destRect.left - 50;  // negative width counts as 0
    ExtendedTECalText(te);
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 1, 2, 4, 5}));
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, WordsWrapAndWrapOffKeepsTheParagraph) {
    // 6 pixels a character: 60 pixels hold "aaaa bbbb" but not "aaaa bbbb c".
    ExtendedTEHandle te = NewExtendedRecord(Box(60), true, "aaaa bbbb cccc dddd");
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 10, 19}));
    ExtendedTESetWrap(kFalse, te);
    ExtendedTECalText(te);
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 19}));
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, HugeBoxesNeverBreakInsideAWord) {
    std::string word(6000, 'a');  // 36,000 pixels
    ExtendedTEHandle te = NewExtendedRecord(Box(100), true, word + " bb");
    (*te)->destRect.right = 40000;  // held to 32000
    ExtendedTECalText(te);
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 6000, 6003}));
    SetWidth(te, 31999);  // below the limit a word that long is cut
    ExtendedTECalText(te);
    EXPECT_EQ((*te)->lineStarts[1], 5333);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, TypingAtAParagraphEndRelaysOutOnlyThatParagraph) {
    std::string text = "first paragraph\rsecond one here\rthird paragraph";
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true, text);
    static std::vector<SInt32> measured;
    (*te)->textWidth = [](ExtendedTEHandle record, SInt32 line, const char *bytes, SInt32 start, SInt32 count) {
        measured.push_back(start);
        return ExtendedDefaultTextWidth(record, line, bytes, start, count);
    };
    measured.clear();
    SInt32 first = -1, last = -1;
    Splice(te, 31, 0, "x", &first, &last);  // before the second CR
    EXPECT_EQ((*te)->nLines, 3);
    EXPECT_GE(first, 16);
    EXPECT_LE(last, 32);
    for (SInt32 start : measured) {
        EXPECT_GE(start, 16);
        EXPECT_LT(start, 33);
    }
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, MeasuringLeavesLineEndsOut) {
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true, "abc\r\nde\n");
    EXPECT_EQ(ExtendedTailleTexte(te, 0, 0, 5, kTrue), 3 * kMonoAdvance);
    EXPECT_EQ(ExtendedTailleTexte(te, 0, 0, 3, kFalse), 3 * kMonoAdvance);
    EXPECT_EQ(ExtendedTailleTexte(te, 1, 5, 100, kFalse), 2 * kMonoAdvance);
    EXPECT_EQ(ExtendedTailleTexte(te, 0, 8, 4, kFalse), 0);
    EXPECT_EQ(ExtendedTailleTexte(te, 0, -2, 4, kFalse), 0);
    EXPECT_EQ(ExtendedTailleMaxTexte(te, 0, 0, 3, kFalse), 3 * kMonoSize);
    EXPECT_GE(ExtendedTailleMaxTexte(te, 0, 0, 5, kFalse), ExtendedTailleTexte(te, 0, 0, 5, kFalse));
    EXPECT_EQ(port.txFont, kMonoFont);  // the port's own settings are back
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, HeightsCountTheLineAfterTheLast) {
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true, "ab\rcd");
    EXPECT_EQ(ExtendedTEGetHeight(0, 1, te), 2 * kMonoLine);
    EXPECT_EQ(ExtendedTEGetHeight(0, (*te)->nLines, te), 3 * kMonoLine);
    EXPECT_EQ(ExtendedTEGetHeight(5, -4, te), 3 * kMonoLine);  // clamped and ordered
    ExtendedSetViewZoom(te, 1.5f);
    EXPECT_EQ(ExtendedTEGetHeight(0, 1, te), 32);  // 16.5 added, truncated after each line: 16, 32
    ExtendedTEDispose(te);

    te = NewExtendedRecord(Box(300), false, "ab\rcd");
    EXPECT_EQ(ExtendedTEGetHeight(0, (*te)->nLines, te), 2 * kMonoLine);  // no final CR
    ExtendedTESetText("ab\rcd\r", 6, te);
    EXPECT_EQ(ExtendedTEGetHeight(0, (*te)->nLines, te), 3 * kMonoLine);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, LineLookups) {
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true, "ab\rcd\r");
    struct Row {
        SInt32 offset, caretLine, textLine, lineStart;
    } rows[] = {{0, 0, 0, 0}, {2, 0, 0, 0}, {3, 1, 1, 3}, {5, 1, 1, 3}, {6, 2, 1, 3}, {99, 2, 1, 3}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.offset);
        EXPECT_EQ(ExtendedNumLigne(row.offset, te), row.caretLine);
        EXPECT_EQ(ExtendedGetNumLigneTexte(te, row.offset), row.textLine);
        EXPECT_EQ(ExtendedGetPosDebutLigne(te, row.offset), row.lineStart);
    }
    ExtendedTESetText("ab\rcd", 5, te);
    EXPECT_EQ(ExtendedNumLigne(5, te), 1);  // no final CR: the caret stays on the last line
    ExtendedTESetText("", 0, te);
    EXPECT_EQ(ExtendedNumLigne(0, te), 0);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, TallStylesMakeTallLines) {
    ExtendedTEHandle te = NewExtendedRecord(Box(300), true, "small\rbig here");
    TextStyle big = {kMonoFont, 0, 0, 20, kBlack};
    SInt32 first = -1, last = -1;
    ExtendedTESetStyleRange(doSize, &big, 6, 9, (*te)->styleHandle);
    ExtendedTERecalText(6, 9, 0, te, &first, &last);
    std::vector<std::pair<SInt16, SInt16>> heights = ExtendedHeights(te);
    ASSERT_EQ(heights.size(), 3u);
    EXPECT_EQ(heights[0].first, kMonoLine);
    EXPECT_GT(heights[1].first, kMonoLine);
    EXPECT_EQ(heights[2], heights[1]);
    EXPECT_LE(first, 6);
    EXPECT_GE(last, 8);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, AParagraphOf200000BytesLaysOut) {
    std::string text;
    while (text.size() < 200000) text += "abcd ";
    ExtendedTEHandle te = NewExtendedRecord(Box(10), true);
    (*te)->textWidth = ExtendedFastWidth;  // 6 pixels a character
    SetWidth(te, 120);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    ASSERT_EQ(ExtendedLayoutFault(te), "");
    // "abcd abcd abcd abcd" is 114 pixels: four words a line, the space after them kept.
    EXPECT_EQ((*te)->nLines, 10000);
    for (SInt32 i = 0; i <= (*te)->nLines; i++) ASSERT_EQ((*te)->lineStarts[i], i * 20) << i;
    // A box of 20,000 pixels: 3,333 characters, ending after a word's space.
    SetWidth(te, 20000);
    ExtendedTECalText(te);
    ASSERT_EQ(ExtendedLayoutFault(te), "");
    EXPECT_EQ((*te)->lineStarts[1], 3330);
    // Typing in the middle relays out from the paragraph's start and matches a full layout.
    SInt32 first, last;
    Splice(te, 100000, 0, "x", &first, &last);
    ExtendedTEHandle reference = NewExtendedRecord(Box(10), true);
    EXPECT_EQ(ExtendedLineStarts(te), FullLayoutOf(te, reference).starts);
    ExtendedTEDispose(reference);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, TheFirstLineIsNotReusedAfterTextGoesInBeforeIt) {
    // At offset 0 the space counts as a word character: " m" fits as one line there, but not
    // once three blanks come before it.
    ExtendedTEHandle te = NewExtendedRecord(Box(180), true, " mn");
    TextStyle big = {kMonoFont, 0, 0, 101, kBlack};
    ExtendedTESetStyleRange(doSize, &big, 0, 3, (*te)->styleHandle);
    ExtendedTECalText(te);
    ASSERT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 2, 3}));
    SInt32 first, last;
    Splice(te, 0, 0, std::string("\x10\x01\x00", 3), &first, &last);
    ExtendedTEHandle reference = NewExtendedRecord(Box(10), true);
    EXPECT_EQ(ExtendedLineStarts(te), FullLayoutOf(te, reference).starts);
    ExtendedTEDispose(reference);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedLayout, MisdescribedEditsFallBackToAFullLayout) {
    ExtendedTEHandle te = NewExtendedRecord(Box(60), true, "aaaa bbbb cccc dddd");
    SInt32 first, last;
    ExtendedTERecalText(5, -1, 7, te, &first, &last);  // no such insertion happened
    EXPECT_EQ(ExtendedLineStarts(te), (std::vector<SInt32>{0, 10, 19}));
    ExtendedTERecalText(500, -1, -3, te, &first, &last);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    EXPECT_EQ(first, 0);
    ExtendedTERecalText(0, 0, 0, nullptr, &first, &last);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(last, 0);
    ExtendedTEDispose(te);
}

}  // namespace
