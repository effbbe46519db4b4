// ctest-labels: exte-edit exte.geometry
// Extended TextEdit geometry: positions and offsets at the edges, the offset of every
// character's position back again under each justification and zoom, selection regions of one,
// two and three rectangles, pinned scrolling, rotation, and hostile coordinates and offsets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/quickdraw/regions.h"
#include "graphics/text/extended_textedit.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/extended_fixture.h"
#include "support/graphics/extended_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"
#include "support/graphics/textedit_support.h"

namespace {

class ExteGeometry : public ExtendedPortTest {};

SInt32 Pack(SInt32 h, SInt32 v) { return SInt32((UInt32(UInt16(h)) << 16) | UInt16(v)); }

BigPoint PointOf(ExtendedTEHandle te, SInt32 offset) {
    BigPoint p;
    ExtendedTEGetPoint(offset, te, &p);
    return p;
}

std::vector<SInt32> Boundaries(ExtendedTEHandle te) {
    std::vector<SInt32> all = {0};
    while (all.back() < (*te)->teLength) all.push_back(ExtendedNextChar(te, all.back()));
    return all;
}

TEST_F(ExteGeometry, EmptyTextStandsAtTheFirstLineUnderEachJustification) {
    for (bool styled : {false, true}) {
        for (SInt16 just : {kExtendedJustLeft, kExtendedJustCenter, kExtendedJustRight}) {
            SCOPED_TRACE(std::to_string(styled) + " just " + std::to_string(just));
            ExtendedTEHandle te = NewExtendedRecord(Rect{20, 10, 120, 110}, styled);
            ExtendedTESetJust(just, te);
            SInt32 shift = just == kExtendedJustRight ? 100 : just == kExtendedJustCenter ? 50 : 0;
            BigPoint p = PointOf(te, 0);
            EXPECT_EQ(p.h, 10 + shift);
            EXPECT_EQ(p.v, 20 + kMonoLine);
            ExtendedTEDispose(te);
        }
    }
}

TEST_F(ExteGeometry, OffsetsOfPointsLeftAboveAndBelowTheText) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{20, 10, 200, 110}, true, "abcdef\rghijkl\rmn");
    EXPECT_EQ(ExtendedTEGetOffset(Pack(0, 20 + kMonoLine + 3), te), 7);   // left of line 1: its start
    EXPECT_EQ(ExtendedTEGetOffset(Pack(-500, 20 + 2), te), 0);
    EXPECT_EQ(ExtendedTEGetOffset(Pack(50, 190), te), 16);               // below every line: the length
    EXPECT_EQ(ExtendedTEGetOffset(Pack(50, 5), te), 0);                  // above the destination
    EXPECT_EQ(ExtendedTEGetOffset(Pack(300, 20 + kMonoLine), te), 6);    // a line's bottom edge is that line
    EXPECT_EQ(ExtendedTEGetOffset(Pack(10 + 3 * kMonoAdvance + 2, 22), te), 3);
    EXPECT_EQ(ExtendedTEGetOffset(Pack(10 + 3 * kMonoAdvance + 4, 22), te), 4);  // nearer the next boundary
    ExtendedTEDispose(te);
}

// Every boundary's position leads back to it, over 1- to 4-byte characters, wrapped lines, line
// ends, and each justification at zoom 1 and 1.5.
TEST_F(ExteGeometry, OffsetOfEachPositionIsThatOffset) {
    const std::string text = "a\xC3\xA9 \xE2\x82\xAC\xF0\x9D\x84\x9E b\xC3\xA9\xC3\xA9 word\rline \xE2\x82\xAC\xE2\x82\xAC two "
                             "\xF0\x9D\x84\x9E\xF0\x9D\x84\x9Ez end\r\rlast";
    for (float zoom : {1.0f, 1.5f}) {
        for (SInt16 just : {kExtendedJustLeft, kExtendedJustCenter, kExtendedJustRight}) {
            SCOPED_TRACE("zoom " + std::to_string(zoom) + " just " + std::to_string(just));
            ExtendedTEHandle te = NewExtendedRecord(Rect{5, 15, 290, 95}, true);
            ExtendedTESetJust(just, te);
            ExtendedSetViewZoom(te, zoom);
            ExtendedTESetText(text.data(), SInt32(text.size()), te);
            ASSERT_GT((*te)->nLines, 4);
            for (SInt32 o : Boundaries(te)) {
                BigPoint p = PointOf(te, o);
                EXPECT_EQ(ExtendedTEGetOffset(Pack(p.h, p.v - 1), te), o) << "offset " << o;
            }
            ExtendedTEDispose(te);
        }
    }
}

// Lines of 11 pixels from v 10; characters of 6 pixels from h 10; view 10..210.
TEST_F(ExteGeometry, SelectionRegionsOfOneTwoAndThreeRectangles) {
    for (bool styled : {false, true}) {
        SCOPED_TRACE(styled);
        ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 200, 210}, styled, "abcdefghij\rklmnopqrst\ruvwxyz");
        ASSERT_EQ(ExtendedTEGetHeight(0, 0, te), kMonoLine);
        struct Row {
            SInt32 a, b;
            Rect box;
            std::vector<Point> inside, outside;  // Point is {v, h}
        };
        const Row rows[] = {
            {2, 5, {10, 22, 21, 40}, {{10, 22}, {20, 39}}, {{10, 21}, {10, 40}, {21, 30}}},
            {2, 13, {10, 10, 32, 210}, {{10, 22}, {20, 209}, {21, 10}, {31, 21}}, {{20, 21}, {21, 22}, {32, 10}}},
            {2, 24, {10, 10, 43, 210}, {{10, 22}, {25, 10}, {25, 209}, {42, 21}}, {{10, 21}, {42, 22}, {43, 10}}},
            {23, 28, {32, 16, 43, 210}, {{32, 16}, {42, 209}}, {{32, 15}, {43, 100}}},  // to the end: the view's right
        };
        for (const Row &row : rows) {
            SCOPED_TRACE(std::to_string(row.a) + ".." + std::to_string(row.b));
            // The region drawn for the selection is that of ExtendedInvertText: seen through the
            // pixels its inversion changes.
            std::string before = PortPixels(&port);
            std::vector<UInt32> insideBefore, outsideBefore;
            for (const Point &pt : row.inside) insideBefore.push_back(PortPixel(&port, pt.h, pt.v));
            for (const Point &pt : row.outside) outsideBefore.push_back(PortPixel(&port, pt.h, pt.v));
            ExtendedInvertText(row.a, row.b, kFalse, te);
            Rect ink = InkBox(&port, &before);
            // The shape inside the box: its rectangles' corners in, the notches beside them out.
            for (size_t i = 0; i < row.inside.size(); i++)
                EXPECT_NE(PortPixel(&port, row.inside[i].h, row.inside[i].v), insideBefore[i])
                    << "inside (" << row.inside[i].h << "," << row.inside[i].v << ")";
            for (size_t i = 0; i < row.outside.size(); i++)
                EXPECT_EQ(PortPixel(&port, row.outside[i].h, row.outside[i].v), outsideBefore[i])
                    << "outside (" << row.outside[i].h << "," << row.outside[i].v << ")";
            ExtendedInvertText(row.a, row.b, kFalse, te);
            EXPECT_EQ(ink.top, row.box.top);
            EXPECT_EQ(ink.left, row.box.left);
            EXPECT_EQ(ink.bottom, row.box.bottom);
            EXPECT_EQ(ink.right, row.box.right);
        }
        ExtendedTEDispose(te);
    }
}

TEST_F(ExteGeometry, PinScrollNeverTakesTheTextTopBelowTheViewTop) {
    std::string text;
    for (int i = 0; i < 20; i++) text += "line " + std::to_string(i) + "\r";
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 120, 200}, true, text);
    ExtendedTEPinScroll(0, 50, te);
    EXPECT_EQ((*te)->destRect.top, 10);
    ExtendedTEPinScroll(0, -3 * kMonoLine, te);
    EXPECT_EQ((*te)->destRect.top, 10 - 3 * kMonoLine);
    ExtendedTEPinScroll(0, 1000, te);
    EXPECT_EQ((*te)->destRect.top, 10);
    ExtendedTEPinScroll(0, -100000, te);  // the text's bottom stops at the view's bottom
    EXPECT_EQ((*te)->destRect.top + ExtendedTEGetHeight(0, (*te)->nLines, te), 120);
    ExtendedTEPinScroll(40, 0, te);  // the left edge stays put
    EXPECT_EQ((*te)->destRect.left, 10);
    ExtendedTEDispose(te);
}

TEST_F(ExteGeometry, RotationTurnsPointsCounterClockwiseAboutTheDestinationCentre) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{0, 0, 40, 100}, true, "turn");
    Point moved;
    ExtendedRotateTransformXYMove(te, 10, 0, &moved);  // no rotation: unchanged
    EXPECT_EQ(moved.h, 10);
    EXPECT_EQ(moved.v, 0);
    ExtendedTESetRotation(te, 90);
    ASSERT_EQ((*te)->rotation, 90);
    ExtendedRotateTransformXYMove(te, 10, 0, &moved);
    EXPECT_EQ(moved.h, 0);
    EXPECT_EQ(moved.v, -10);
    // Centre (50, 20). A quarter turn takes an offset (dx, dy) to (dy, -dx) in exact numbers;
    // the float turn lands a hair to either side and is truncated toward zero: (-50, -20) gives
    // (-20.000..., 49.999...) -> (-20, 49); (50, -20) gives (-19.999..., -50) -> (-19, -50);
    // (50, 20) -> (20, -50); (-50, 20) -> (20, 50).
    Point tl, tr, bl, br;
    ExtendedRotateGetCorners(te, &tl, &tr, &bl, &br);
    const Point expected[4] = {{20 + 49, 50 - 20}, {20 - 50, 50 - 19}, {20 - 50, 50 + 20}, {20 + 50, 50 + 20}};
    const Point got[4] = {tl, tr, br, bl};
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(got[i].h, expected[i].h) << i;
        EXPECT_EQ(got[i].v, expected[i].v) << i;
    }
    Rect r = {0, 0, 40, 100};
    RgnHandle rgn = ExtendedRotateGetRgnFromRect(te, &r);
    ASSERT_NE(rgn, nullptr);
    EXPECT_TRUE(PtInRgn(Point{20, 50}, rgn));   // the centre stays inside
    EXPECT_FALSE(PtInRgn(Point{20, 5}, rgn));   // the old left end is outside once turned
    EXPECT_TRUE(PtInRgn(Point{-20, 45}, rgn));  // above the old box, inside the turned one
    DisposeRgn(rgn);
    PolyHandle poly = ExtendedRotateGetPolyFromRect(te, &r);
    ASSERT_NE(poly, nullptr);
    EXPECT_EQ((*poly)->polySize, 10 + 5 * 4);
    KillPoly(poly);
    ExtendedTEDispose(te);
}

TEST_F(ExteGeometry, HostileCoordinatesRotationsAndOffsetsStayInRange) {
    ExtendedTEHandle te = NewExtendedRecord(Rect{10, 10, 100, 100}, true, "ab\xC3\xA9" "cd\rsecond line");
    for (SInt32 h : {-32767, -1, 0, 32767})
        for (SInt32 v : {-32767, 0, 50, 32767}) {
            SInt32 o = ExtendedTEGetOffset(Pack(h, v), te);
            EXPECT_GE(o, 0);
            EXPECT_LE(o, (*te)->teLength);
            EXPECT_NE(o, 3);  // never inside the two-byte character
        }
    for (SInt16 degrees : {720, -1000, 361, 32767}) {
        ExtendedTESetRotation(te, degrees);
        Point moved, turned;
        ExtendedRotateTransformXYMove(te, 30000, -30000, &moved);
        ExtendedRotateTransformPoint(te, Point{-32767, 32767}, &turned);
        Rect view = (*te)->viewRect;
        ExtendedTEUpdate(&view, te);
    }
    ExtendedTESetRotation(te, 0);
    ExtendedFixeSelect(-5, 1000, te);
    EXPECT_EQ((*te)->selStart, 0);
    EXPECT_EQ((*te)->selEnd, (*te)->teLength);
    BigPoint far = PointOf(te, 1 << 30);
    EXPECT_EQ(far.v, PointOf(te, (*te)->teLength).v);
    // Empty view and destination rectangles draw, scroll and edit without harm.
    ExtendedTEHandle empty = NewExtendedRecord(Rect{50, 50, 50, 50}, true, "no room at all");
    ExtendedTEActivate(empty);
    Rect none = {50, 50, 50, 50};
    ExtendedTEUpdate(&none, empty);
    ExtendedTEScroll(5, -5, empty);
    ExtendedTEKey('x', empty);
    ExtendedTEClick(Point{50, 50}, kFalse, empty);
    EXPECT_EQ(ExtendedText(empty), "no room at allx");
    ExtendedTEDispose(empty);
    ExtendedTEDispose(te);
}

}  // namespace
