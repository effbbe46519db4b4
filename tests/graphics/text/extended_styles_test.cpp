// ctest-labels: exte-model exte.styles
// Extended TextEdit styles: run upkeep through random operations, restyling ranges, the null
// style, continuous styles, zoom, the style scrap in both byte orders and hostile scraps, and
// the music print font's quartered metrics and private-use mapping.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/memory.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_support.h"

namespace {

const Rect kDest = {0, 0, 300, 400};
const RGBColor kBlack = {0, 0, 0};
const RGBColor kRed = {0xFFFF, 0, 0};

class ExtendedStyles : public ExtendedPortTest {
protected:
    void TearDown() override {
        SInt16 none[kLentaraScreenFonts] = {0, 0, 0};
        OrvaSetFontesLentara(none, 0);
        ExtendedPortTest::TearDown();
    }
};

TextStyle Style(UInt8 face, SInt16 size = kMonoSize, RGBColor colour = kBlack) {
    return TextStyle{kMonoFont, face, 0, size, colour};
}

struct RunView {
    SInt32 start;
    UInt8 face;
    bool operator==(const RunView &o) const { return start == o.start && face == o.face; }
};

std::vector<RunView> Runs(ExtendedStylHandle styles) {
    std::vector<RunView> runs;
    for (SInt32 i = 0; i < (*styles)->nRuns; i++) {
        const ExtendedStyleRun &r = (*styles)->runs[i];
        runs.push_back({r.startChar, (*(*styles)->styleTab)[r.styleIndex].stFace});
    }
    return runs;
}

// The selection a..b, as the editing calls leave it.
void Select(ExtendedTEHandle te, SInt32 a, SInt32 b) {
    (*te)->selStart = (*te)->anchor = a;
    (*te)->selEnd = (*te)->activeEnd = b;
}

// A style handle over length bytes in one plain style.
ExtendedStylHandle NewStyles(SInt32 length) {
    ExtendedStylHandle styles = ExtendedNewStylHandle();
    TextStyle plain = Style(0);
    ExtendedInitStylHandle(styles, &plain, length);
    return styles;
}

TEST_F(ExtendedStyles, RandomRunOperationsKeepTheInvariants) {
    std::mt19937 random(12);
    ExtendedStylHandle styles = NewStyles(100);
    SInt32 length = 100;
    const TextStyle palette[] = {Style(0), Style(1), Style(2), Style(0, 12), Style(1, 9, kRed)};
    for (int op = 0; op < 20000; op++) {
        SInt32 a = SInt32(random() % UInt32(length + 1)), b = SInt32(random() % UInt32(length + 1));
        switch (random() % 6) {
        case 0: {  // an insertion
            SInt32 n = SInt32(random() % 8) + 1;
            ExtendedRunAdjust(a, n, styles);
            length += n;
            break;
        }
        case 1: {  // a deletion
            SInt32 n = std::min<SInt32>(SInt32(random() % 8) + 1, length - a);
            if (n <= 0) break;
            ExtendedRunAdjust(a, -n, styles);
            length -= n;
            break;
        }
        case 2:
            if ((*styles)->nStyles > 0) Extended_NewRun(a, SInt16(random() % UInt32((*styles)->nStyles)), styles);
            break;
        case 3:
            Extended_CleanRun(styles, 0, (*styles)->nRuns);
            ASSERT_EQ(ExtendedStyleFault(styles, length, true), "") << "op " << op;
            break;
        default: {
            static const SInt16 modes[] = {doFace, doSize, doColor, doAll, doToggle, addSize, doFont | doFace};
            ExtendedTESetStyleRange(modes[random() % 7], &palette[random() % 5], std::min(a, b), std::max(a, b),
                                    styles);
            break;
        }
        }
        ASSERT_EQ(ExtendedStyleFault(styles, length, false), "") << "op " << op;
    }
    Extended_CleanRun(styles, 0, (*styles)->nRuns);
    EXPECT_EQ(ExtendedStyleFault(styles, length, true), "");
    ExtendedDisposeStylHandle(styles);
}

TEST_F(ExtendedStyles, BoldInTheMiddleSplitsAndPlainMergesBack) {
    ExtendedStylHandle styles = NewStyles(30);
    TextStyle bold = Style(1), plain = Style(0);
    EXPECT_TRUE(ExtendedTESetStyleRange(doFace, &bold, 10, 20, styles));
    EXPECT_EQ(Runs(styles), (std::vector<RunView>{{0, 0}, {10, 1}, {20, 0}}));
    EXPECT_EQ((*styles)->nStyles, 2);
    ExtendedTESetStyleRange(doFace, &plain, 10, 20, styles);
    EXPECT_EQ(Runs(styles), (std::vector<RunView>{{0, 0}}));
    EXPECT_EQ((*styles)->nStyles, 1);
    EXPECT_EQ(ExtendedStyleFault(styles, 30, true), "");
    // Bold to the end of a bold run's neighbour merges them.
    ExtendedTESetStyleRange(doFace, &bold, 0, 10, styles);
    ExtendedTESetStyleRange(doFace, &bold, 5, 30, styles);
    EXPECT_EQ(Runs(styles), (std::vector<RunView>{{0, 1}}));
    ExtendedDisposeStylHandle(styles);
}

TEST_F(ExtendedStyles, ToggleInvertsEachPartOfTheRange) {
    ExtendedStylHandle styles = NewStyles(30);
    TextStyle bold = Style(1);
    ExtendedTESetStyleRange(doFace, &bold, 0, 10, styles);
    ExtendedTESetStyleRange(doToggle, &bold, 5, 15, styles);
    EXPECT_EQ(Runs(styles), (std::vector<RunView>{{0, 1}, {5, 0}, {10, 1}, {15, 0}}));
    EXPECT_EQ(ExtendedStyleFault(styles, 30, true), "");
    ExtendedDisposeStylHandle(styles);
}

TEST_F(ExtendedStyles, EmptyRangeChangesTheNullStyleAndTheRunOfAnEmptyText) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abc");
    Select(te, 1, 1);
    TextStyle red = Style(0, kMonoSize, kRed);
    ExtendedTESetStyle(doColor, &red, kFalse, te);
    ExtendedSTElement null;
    ExtendedGetStyleNull((*te)->styleHandle, &null);
    EXPECT_EQ(null.stColor.red, 0xFFFF);
    EXPECT_EQ(null.stFont, kMonoFont);
    TextStyle at;
    ExtendedTEGetStyle(1, &at, nullptr, nullptr, te);
    EXPECT_EQ(at.tsColor.red, 0);  // the text keeps its style
    ExtendedTEDispose(te);

    te = NewExtendedRecord(kDest, true);
    ExtendedTESetStyle(doColor, &red, kFalse, te);
    ExtendedTEGetStyle(0, &at, nullptr, nullptr, te);
    EXPECT_EQ(at.tsColor.red, 0xFFFF);  // the single run of an empty text too
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 0, true), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, NumRunFindsTheLastRunAtTheLength) {
    ExtendedStylHandle styles = NewStyles(30);
    TextStyle bold = Style(1);
    ExtendedTESetStyleRange(doFace, &bold, 10, 30, styles);
    struct Row {
        SInt32 offset, run;
    } rows[] = {{-1, 0}, {0, 0}, {9, 0}, {10, 1}, {29, 1}, {30, 1}, {31, -1}, {1000, -1}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.offset);
        EXPECT_EQ(Extended_NumRun(row.offset, styles), row.run);
    }
    EXPECT_EQ(ExtendedLocStyle(31, styles), nullptr);
    EXPECT_EQ(ExtendedLocStyle(0, nullptr), nullptr);
    ExtendedDisposeStylHandle(styles);
}

TEST_F(ExtendedStyles, ScrapOfARangeStartsAtZero) {
    ExtendedStylHandle styles = NewStyles(30);
    TextStyle bold = Style(1), big = Style(0, 14);
    ExtendedTESetStyleRange(doFace, &bold, 5, 15, styles);
    ExtendedTESetStyleRange(doSize, &big, 15, 30, styles);
    StScrpHandle scrap = ExtendedGetStylScrapFromStyleHandle(nullptr, styles, 10, 20);
    ASSERT_EQ(OrvaStScrpCount(scrap), 2);
    ScrpSTElement first, second;
    OrvaGetStScrpElement(scrap, 0, &first);
    OrvaGetStScrpElement(scrap, 1, &second);
    EXPECT_EQ(first.scrpStartChar, 0);
    EXPECT_EQ(first.scrpFace, 1);
    EXPECT_EQ(second.scrpStartChar, 5);
    EXPECT_EQ(second.scrpSize, 14);
    EXPECT_EQ(first.scrpHeight, kMonoLine);
    DisposHandle(scrap);
    ExtendedDisposeStylHandle(styles);
}

TEST_F(ExtendedStyles, ScrapAppliedToAnInsertionKeepsTheTextAfterIt) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abcdef");
    ExtendedStylHandle styles = (*te)->styleHandle;
    // "XY" went in at 3 as the editing code does it: runs shifted, selection after it.
    std::string text = "abcXYdef";
    SetHandleSize((*te)->hText, 8);
    std::memcpy(*(*te)->hText, text.data(), 8);
    ExtendedRunAdjust(3, 2, styles);
    (*te)->teLength = 8;
    Select(te, 5, 5);
    StScrpHandle scrap = OrvaNewStScrp(2);
    ScrpSTElement bold = {0, kMonoLine, kMonoAscent, kMonoFont, 1, kMonoSize, kBlack};
    ScrpSTElement red = {1, kMonoLine, kMonoAscent, kMonoFont, 0, kMonoSize, kRed};
    OrvaSetStScrpElement(scrap, 0, &bold);
    OrvaSetStScrpElement(scrap, 1, &red);
    ExtendedSetStylScrap(3, 5, scrap, kFalse, te);
    EXPECT_EQ(Runs(styles), (std::vector<RunView>{{0, 0}, {3, 1}, {4, 0}, {5, 0}}));
    TextStyle at;
    ExtendedTEGetStyle(4, &at, nullptr, nullptr, te);
    EXPECT_EQ(at.tsColor.red, 0xFFFF);
    ExtendedTEGetStyle(5, &at, nullptr, nullptr, te);
    EXPECT_EQ(at.tsColor.red, 0);
    EXPECT_EQ(ExtendedStyleFault(styles, 8, true), "");
    DisposHandle(scrap);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, HostileScrapsAreBoundedAndIgnoredPastTheText) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abcdef");
    Select(te, 0, 6);
    // A count of 1000 in a handle of two elements; the second begins far past the text.
    StScrpHandle scrap = OrvaNewStScrp(2);
    ScrpSTElement bold = {0, kMonoLine, kMonoAscent, kMonoFont, 1, kMonoSize, kBlack};
    ScrpSTElement far = {100000, kMonoLine, kMonoAscent, kMonoFont, 2, kMonoSize, kBlack};
    OrvaSetStScrpElement(scrap, 0, &bold);
    OrvaSetStScrpElement(scrap, 1, &far);
    SInt16 huge = 1000;
    std::memcpy(*scrap, &huge, 2);
    EXPECT_EQ(OrvaStScrpCount(scrap), 2);
    ExtendedSetStylScrap(0, 6, scrap, kFalse, te);
    EXPECT_EQ(Runs((*te)->styleHandle), (std::vector<RunView>{{0, 1}}));
    // Negative starts and counts, a scrap too short for its header.
    ScrpSTElement back = {-50, kMonoLine, kMonoAscent, kMonoFont, 0, kMonoSize, kBlack};
    OrvaSetStScrpElement(scrap, 0, &back);
    ExtendedSetStylScrap(2, 4, scrap, kFalse, te);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 6, true), "");
    ExtendedSetStylScrap(-3, 4, scrap, kFalse, te);  // a range starting before the text
    Extended_NewRun(-5, 0, (*te)->styleHandle);
    ExtendedRunAdjust(-2, 1, (*te)->styleHandle);
    ExtendedRunAdjust(0, -1, (*te)->styleHandle);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 6, true), "");
    SInt16 negative = -3;
    std::memcpy(*scrap, &negative, 2);
    ExtendedSetStylScrap(0, 6, scrap, kFalse, te);
    SetHandleSize(scrap, 1);
    ExtendedSetStylScrap(0, 6, scrap, kFalse, te);
    ExtendedCvtStScrpHandleMacToPc(scrap);
    ExtendedCvtStScrpHandlePcToMac(scrap);
    ExtendedSetStylScrap(0, 6, nullptr, kFalse, te);
    EXPECT_EQ(ExtendedStyleFault((*te)->styleHandle, 6, true), "");
    DisposHandle(scrap);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, BigEndianScrapConvertsAndBackByteForByte) {
    // Two elements as the scrap of another machine holds them, big-endian.
    const UInt8 mac[] = {0x00, 0x02,
                         0x00, 0x00, 0x00, 0x00, 0x00, 0x0B, 0x00, 0x08, 0x00, 0x16, 0x01, 0x00, 0x00, 0x0A,
                         0xFF, 0xFF, 0x00, 0x00, 0x12, 0x34,
                         0x00, 0x01, 0x02, 0x03, 0x00, 0x0E, 0x00, 0x0B, 0x00, 0x03, 0x02, 0x00, 0x00, 0x0C,
                         0x00, 0x00, 0x80, 0x00, 0x00, 0x01};
    Handle scrap = NewHandle(sizeof mac);
    std::memcpy(*scrap, mac, sizeof mac);
    ExtendedCvtStScrpHandleMacToPc(scrap);
    ASSERT_EQ(OrvaStScrpCount(scrap), 2);
    ScrpSTElement e;
    ASSERT_TRUE(OrvaGetStScrpElement(scrap, 1, &e));
    EXPECT_EQ(e.scrpStartChar, 0x00010203);
    EXPECT_EQ(e.scrpHeight, 14);
    EXPECT_EQ(e.scrpAscent, 11);
    EXPECT_EQ(e.scrpFont, 3);
    EXPECT_EQ(e.scrpFace, 2);
    EXPECT_EQ(e.scrpSize, 12);
    EXPECT_EQ(e.scrpColor.green, 0x8000);
    EXPECT_EQ(e.scrpColor.blue, 1);
    ASSERT_TRUE(OrvaGetStScrpElement(scrap, 0, &e));
    EXPECT_EQ(e.scrpFont, 22);
    EXPECT_EQ(e.scrpColor.red, 0xFFFF);
    EXPECT_EQ(e.scrpColor.blue, 0x1234);
    ExtendedCvtStScrpHandlePcToMac(scrap);
    EXPECT_EQ(std::memcmp(*scrap, mac, sizeof mac), 0);
    ExtendedCvtStScrpHandle(scrap);
    EXPECT_EQ(OrvaStScrpCount(scrap), 2);
    DisposHandle(scrap);
}

TEST_F(ExtendedStyles, ContinuousStyleClearsWhatVaries) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abcdefghij");
    TextStyle bold = Style(1);
    ExtendedTESetStyleRange(doFace, &bold, 5, 10, (*te)->styleHandle);
    Select(te, 2, 8);
    SInt16 mode = doAll;
    TextStyle style;
    EXPECT_FALSE(ExtendedTEContinuousStyle(&mode, &style, te));
    EXPECT_EQ(mode, doFont | doSize | doColor);
    Select(te, 6, 8);
    mode = doAll;
    EXPECT_TRUE(ExtendedTEContinuousStyle(&mode, &style, te));
    EXPECT_EQ(style.tsFace, 1);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, NullStyleFollowsTheCharacterBeforeTheCaret) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abcdef");
    TextStyle bold = Style(1);
    ExtendedTESetStyleRange(doFace, &bold, 0, 3, (*te)->styleHandle);
    Select(te, 3, 3);
    ExtendedFixeStyleNull(te);
    ExtendedSTElement null;
    ExtendedGetStyleNull((*te)->styleHandle, &null);
    EXPECT_EQ(null.stFace, 1);
    Select(te, 4, 4);
    ExtendedFixeStyleNull(te);
    ExtendedGetStyleNull((*te)->styleHandle, &null);
    EXPECT_EQ(null.stFace, 0);
    ExtendedGetStyleNull(nullptr, &null);
    EXPECT_EQ(null.stFont, 1);
    EXPECT_EQ(null.stSize, 0);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, GlobalStyleNeedsAKnownFont) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abc");
    Select(te, 0, 3);
    Boolean strict = OrvaGetFontSearchStrict();
    OrvaSetFontSearchStrict(kTrue);  // else an unknown name finds the default font
    EXPECT_FALSE(ExtendedTEGlobalStyle("No Such Font At All", 0, 12, te));
    OrvaSetFontSearchStrict(strict);
    EXPECT_TRUE(ExtendedTEGlobalStyle("FreeMono", 1, 12, te));
    TextStyle style;
    ExtendedTEGetStyle(1, &style, nullptr, nullptr, te);
    EXPECT_EQ(style.tsSize, 12);
    EXPECT_EQ(style.tsFace, 1);
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, ZoomScalesSizesAndHeights) {
    Rect narrow = {0, 0, 100, 60};  // 10 characters a line at size 10
    ExtendedTEHandle te = NewExtendedRecord(narrow, true, "aaaa bbbb cccc dddd");
    EXPECT_EQ((*te)->nLines, 2);
    ExtendedSetViewZoom(te, 1.5f);
    EXPECT_EQ(ExtendedTEGetHeight(0, 0, te), 16);  // 11 x 1.5 truncated
    ExtendedZoomText(2.0f, te);
    TextStyle style;
    ExtendedTEGetStyle(0, &style, nullptr, nullptr, te);
    EXPECT_EQ(style.tsSize, 20);
    EXPECT_GE((*te)->nLines, 4);  // 20-point text at 1.5 zoom: 30 pixels a character
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, AbsurdSizesAreHeldToWhatTheTextLayerDraws) {
    ExtendedTEHandle te = NewExtendedRecord(kDest, true, "abc def");
    TextStyle negative = Style(0, -16), huge = Style(0, 30000);
    ExtendedTESetStyleRange(doSize, &negative, 0, 3, (*te)->styleHandle);
    ExtendedTESetStyleRange(doSize, &huge, 4, 7, (*te)->styleHandle);
    ExtendedTECalText(te);
    TextStyle style;
    SInt16 height = 0;
    ExtendedTEGetStyle(0, &style, &height, nullptr, te);
    EXPECT_EQ(style.tsSize, 0);  // the default size
    EXPECT_GT(height, 0);
    ExtendedTEGetStyle(5, &style, &height, nullptr, te);
    EXPECT_EQ(style.tsSize, kTEStyleSizeMax);
    EXPECT_EQ(ExtendedLayoutFault(te), "");
    ExtendedTEDispose(te);
}

TEST_F(ExtendedStyles, DuplicateAndDisposeOwnEverything) {
    ExtendedStylHandle styles = NewStyles(10);
    TextStyle bold = Style(1);
    ExtendedTESetStyleRange(doFace, &bold, 0, 5, styles);
    ExtendedTESetStyleRange(doFace, &bold, 7, 7, styles);  // a null style with a scrap
    ExtendedStylHandle copy = ExtendedDupStyleHandle(styles);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(Runs(copy), Runs(styles));
    EXPECT_NE((*(*copy)->nullStyle)->nullScrap, (*(*styles)->nullStyle)->nullScrap);
    ExtendedDisposeStylHandle(styles);
    EXPECT_EQ(ExtendedStyleFault(copy, 10, true), "");
    ExtendedDisposeStylHandle(copy);
    ExtendedDisposeStylHandle(nullptr);
    ExtendedInitStylHandle(nullptr, &bold, 3);
    EXPECT_EQ(ExtendedDupStyleHandle(nullptr), nullptr);
}

TEST_F(ExtendedStyles, MusicPrintFontMetricsAreQuartered) {
    SInt16 screen[kLentaraScreenFonts] = {0, 0, 0};
    SInt16 symbol = SInt16(TestSymbolFontID());
    ASSERT_GT(symbol, 0);
    OrvaSetFontesLentara(screen, symbol);
    ExtendedStylHandle styles = NewStyles(4);
    TextStyle music = {symbol, 0, 0, 40, kBlack};
    SInt16 index = ExtendedAddStyle(&music, styles);
    ASSERT_GE(index, 0);
    FontInfo info = {0, 0, 0, 0};
    TextFont(symbol);
    TextSize(40);
    GetFontInfo(&info);
    TextFont(kMonoFont);
    TextSize(kMonoSize);
    const ExtendedSTElement &entry = (*(*styles)->styleTab)[index];
    EXPECT_EQ(entry.stAscent, info.ascent / 4);
    EXPECT_EQ(entry.stHeight, info.ascent / 4 + info.descent / 4 + info.leading / 4);
    EXPECT_LT(entry.stHeight, info.ascent);
    ExtendedDisposeStylHandle(styles);

    // Measured in that font, 'I' (0x49) is the symbol at U+F049, which shows an 'R'.
    TextFont(symbol);
    TextSize(40);
    SInt16 width = UTFTextWidth(&port, "I", 0, 1);
    TextFont(kMonoFont);
    TextSize(kMonoSize);
    EXPECT_EQ(width, PangoReferenceWidth("OrvaTestSymbol", 40, "\xef\x81\x89"));
    EXPECT_GT(width, 0);
}

}  // namespace
