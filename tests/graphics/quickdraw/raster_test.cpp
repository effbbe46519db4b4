// ctest-labels: raster raster.core
// The raster core: the clipped span fill seen through a counting rectangle filler, the pixel
// writers of 8-bit and 32-bit stores, pixel-map sampling, mob blocks and bitmap glyphs.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/mob.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_writers.h"
#include "graphics/quickdraw/raster.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

struct FillCall {
    SInt16 left, top, right, bottom;
    bool operator==(const FillCall &o) const { return left == o.left && top == o.top && right == o.right && bottom == o.bottom; }
};
void PrintTo(const FillCall &c, std::ostream *out) { *out << c.left << "," << c.top << "-" << c.right << "," << c.bottom; }
typedef std::vector<FillCall> Calls;
std::vector<FillCall> gCalls;
void CountingFill(SInt16 left, SInt16 top, SInt16 right, SInt16 bottom) { gCalls.push_back({left, top, right, bottom}); }

class RasterCore : public ::testing::Test {
protected:
    GrafPort port;
    VideoOps saved;
    void SetUp() override {
        OpenTestPort(&port, 1300, 120);
        saved = video;
        video.fillRect = CountingFill;
        gCalls.clear();
    }
    void TearDown() override {
        video = saved;
        ClosePort(&port);
    }
    void UseClip(RgnHandle rgn) {
        SetClip(rgn);
        OrvaRecalculeRgnClip();
        gCalls.clear();
    }
};

// A region from its rows and inversion lists (each list ends where the next row starts).
RgnHandle RegionOf(const std::vector<std::pair<SInt16, std::vector<SInt16>>> &lines) {
    std::vector<SInt16> words = {0, 0, 0, 0, 0};
    for (const auto &line : lines) {
        words.push_back(line.first);
        words.insert(words.end(), line.second.begin(), line.second.end());
        words.push_back(kRgnEnd);
    }
    words.push_back(kRgnEnd);
    words[0] = SInt16(words.size() * 2);
    RgnHandle rgn = NewRgn();
    SetHandleSize((Handle)rgn, UInt32(words.size() * 2));
    std::memcpy(*rgn, words.data(), words.size() * 2);
    orva_calcule_BBox(rgn);
    return rgn;
}

// A staircase of rectangles: every band has a different set of segments.
RgnHandle Staircase() {
    RgnHandle rgn = NewRgn(), part = NewRgn();
    for (SInt16 i = 0; i < 8; i++) {
        _SetRectRgn(part, SInt16(10 + 12 * i), SInt16(5 + 10 * i), SInt16(30 + 12 * i), SInt16(25 + 10 * i));
        _UnionRgn(rgn, part, rgn);
        _SetRectRgn(part, SInt16(200 - 9 * i), SInt16(3 + 11 * i), SInt16(215 - 9 * i), SInt16(9 + 11 * i));
        _UnionRgn(rgn, part, rgn);
    }
    DisposeRgn(part);
    return rgn;
}

// The pixels the calls covered; each pixel once, or the set gets an impossible marker.
std::set<std::pair<int, int>> Covered() {
    std::set<std::pair<int, int>> pixels;
    for (const FillCall &c : gCalls)
        for (int y = c.top; y <= c.bottom; y++)
            for (int x = c.left; x <= c.right; x++)
                if (!pixels.insert({x, y}).second) pixels.insert({-99999, -99999});
    return pixels;
}

std::set<std::pair<int, int>> Expected(RgnHandle rgn, int left, int top, int right, int bottom) {
    std::set<std::pair<int, int>> pixels;
    for (int y = top; y <= bottom; y++)
        for (int x = left; x <= right; x++)
            if (PtInRgn(Point{SInt16(y), SInt16(x)}, rgn)) pixels.insert({x, y});
    return pixels;
}

TEST_F(RasterCore, ASpanOutsideTheClipBoxKeepsTheCacheAndABandAboveItRebuildsIt) {
    RgnHandle clip = Staircase();
    UseClip(clip);
    trace_rect_clip(0, 40, 300, 40);
    ClipCacheRecord before = orvaClipCache;
    gCalls.clear();
    const SInt32 outside[][4] = {{0, 100, 300, 110}, {250, 0, 300, 90}, {0, -20, 300, -1}, {-50, 0, 5, 90}};
    for (const auto &r : outside) trace_rect_clip(r[0], r[1], r[2], r[3]);
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(orvaClipCache.premLigneSeg, before.premLigneSeg);
    EXPECT_EQ(orvaClipCache.derLigneSeg, before.derLigneSeg);
    EXPECT_EQ(orvaClipCache.posRgnClip, before.posRgnClip);
    // A band above the cache's is found again from the top.
    trace_rect_clip(0, 80, 299, 80);
    EXPECT_GT(orvaClipCache.premLigneSeg, 10);
    gCalls.clear();
    trace_rect_clip(0, 8, 299, 8);
    EXPECT_LE(orvaClipCache.premLigneSeg, 8);
    EXPECT_EQ(Covered(), Expected(clip, 0, 8, 299, 8));
    DisposeRgn(clip);
}

TEST_F(RasterCore, OneSpanAcrossTwoRectanglesArrivesAsTwoPieces) {
    RgnHandle clip = NewRgn(), right = NewRgn();
    _SetRectRgn(clip, 10, 10, 30, 40);
    _SetRectRgn(right, 50, 10, 70, 40);
    _UnionRgn(clip, right, clip);
    UseClip(clip);
    LineH(0, 20, 99);
    EXPECT_EQ(gCalls, (Calls{{10, 20, 29, 20}, {50, 20, 69, 20}}));
    DisposeRgn(clip);
    DisposeRgn(right);
}

TEST_F(RasterCore, SpansInAnyOrderFillExactlyTheClippedPixels) {
    RgnHandle clip = Staircase();
    UseClip(clip);
    // Downwards (continuing the walk), upwards (rebuilding from the top) and tall rectangles
    // crossing every band.
    const SInt32 spans[][4] = {{0, 60, 299, 60}, {0, 61, 299, 70}, {0, 4, 299, 6}, {15, 30, 210, 30},
                               {0, 0, 299, 119}, {100, 50, 205, 52}, {0, 7, 40, 7}, {20, 90, 120, 90}};
    for (const auto &s : spans) {
        SCOPED_TRACE(s[1]);
        gCalls.clear();
        trace_rect_clip(s[0], s[1], s[2], s[3]);
        EXPECT_EQ(Covered(), Expected(clip, s[0], s[1], s[2], s[3]));
    }
    DisposeRgn(clip);
}

TEST_F(RasterCore, AClipOf600IntervalsOnARowFillsExactlyItsSegments) {
    std::vector<SInt16> points;
    for (SInt16 i = 0; i < 600; i++) {
        points.push_back(SInt16(2 * i));
        points.push_back(SInt16(2 * i + 1));
    }
    RgnHandle clip = RegionOf({{5, points}, {9, points}});
    ASSERT_TRUE(OrvaRegionIsValid(clip));
    UseClip(clip);
    trace_rect_clip(-10, 0, 1299, 20);
    ASSERT_EQ(gCalls.size(), 600u);
    for (SInt32 i = 0; i < 600; i++) {
        EXPECT_EQ(gCalls[size_t(i)].left, 2 * i);
        EXPECT_EQ(gCalls[size_t(i)].right, 2 * i);
        EXPECT_EQ(gCalls[size_t(i)].top, 5);
        EXPECT_EQ(gCalls[size_t(i)].bottom, 8);
    }
    DisposeRgn(clip);
}

TEST_F(RasterCore, LinesAndBarsBecomePenSizedRuns) {
    PenSize(3, 2);
    LineH(20, 10, 10);  // ends swapped; the pen adds width and height
    EXPECT_EQ(port.pnLoc.h, 10);
    LineV(5, 30, 20);
    EXPECT_EQ(port.pnLoc.v, 20);
    PenSize(1, 1);
    orva_Bar(4, 4, 9, 7);
    orva_Bar(4, 4, 4, 7);  // empty
    EXPECT_EQ(gCalls, (Calls{{10, 10, 22, 11}, {5, 20, 7, 31}, {4, 4, 8, 6}}));
    // While a region is recorded a vertical line only moves the pen.
    gCalls.clear();
    RgnHandle rgn = NewRgn();
    port.rgnSave = (Handle)rgn;
    LineV(6, 5, 25);
    port.rgnSave = nullptr;
    EXPECT_TRUE(gCalls.empty());
    EXPECT_EQ(HV(port.pnLoc), std::make_pair(6, 25));
    DisposeRgn(rgn);
}

TEST_F(RasterCore, PenSizesAtTheEdgesOfTheCoordinateSpaceDoNotWrap) {
    PenSize(32767, 32767);
    LineH(32767, 32767, 32767);
    LineH(-32768, -32768, 32767);
    PenSize(-5, 0);
    LineH(0, 0, 10);
    for (const FillCall &c : gCalls) {
        EXPECT_LE(c.left, c.right);
        EXPECT_GE(c.left, 0);
        EXPECT_LT(c.right, 1300);
    }
    PenSize(1, 1);
}

// The 32-bit writer, the real one.
class PixelWriters : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 64, 32);
        Rect all = {0, 0, 32, 64};
        PenNormal();
        EraseRect(&all);
    }
    void TearDown() override { ClosePort(&port); }
};

TEST_F(PixelWriters, PatternsAreAnchoredAtTheBufferOrigin) {
    PenPat(&qd.gray);
    Rect r = {3, 5, 11, 20};
    PaintRect(&r);
    for (SInt32 y = 0; y < 32; y++)
        for (SInt32 x = 0; x < 64; x++) {
            bool inside = y >= 3 && y < 11 && x >= 5 && x < 20;
            bool set = (qd.gray.pat[y & 7] & (0x80 >> (x & 7))) != 0;
            ASSERT_EQ(PortPixel(&port, x, y), inside && set ? 0u : 0xFFFFFFu) << x << "," << y;
        }
}

TEST_F(PixelWriters, ModesCopyOrInvertSkipBlendAndHighlight) {
    struct Row {
        const char *label;
        SInt16 mode;
        const Pattern *pat;
        UInt32 ground;       // pixel before
        UInt32 onSet;        // expected where the pattern bit is set
        UInt32 onClear;      // where it is clear
    } rows[] = {
        {"patCopy", 8, &qd.gray, 0x123456, 0xFF0000, 0xFFFFFF},
        {"patOr", 9, &qd.gray, 0x123456, 0xFF0000, 0x123456},
        {"patXor", 10, &qd.gray, 0x123456, 0xEDCBA9, 0x123456},
        {"notPatCopy", 12, &qd.gray, 0x123456, 0xFFFFFF, 0xFF0000},
        {"blend", 32, &qd.black, 0x000000, 0x800000, 0x800000},
        {"highlight swaps back", 138, &qd.gray, 0xFFFFFF, 0x00F080, 0x00F080},
        {"highlight swaps hilite", 138, &qd.gray, 0x00F080, 0xFFFFFF, 0xFFFFFF},
        {"highlight keeps others", 138, &qd.gray, 0x123456, 0x123456, 0x123456},
    };
    const RGBColor red = {0xFFFF, 0, 0}, half = {0x8000, 0x8000, 0x8000};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        PenNormal();
        OrvaFillSurfaceRect(&port, 0, 0, 63, 31, row.ground);
        RGBForeColor(&red);
        OpColor(&half);
        PenPat(row.pat);
        PenMode(row.mode);
        Rect r = {0, 0, 8, 8};
        PaintRect(&r);
        for (SInt32 y = 0; y < 8; y++)
            for (SInt32 x = 0; x < 8; x++) {
                bool set = (row.pat->pat[y] & (0x80 >> x)) != 0;
                ASSERT_EQ(PortPixel(&port, x, y), set ? row.onSet : row.onClear) << x << "," << y;
            }
        EXPECT_EQ(PortPixel(&port, 8, 0), row.ground);
    }
    const RGBColor black = {0, 0, 0};
    RGBForeColor(&black);
    PenNormal();
}

TEST_F(PixelWriters, SetAndGetAPixelThroughThePort) {
    const RGBColor green = {0, 0x8000, 0};
    PenSize(2, 2);
    _MoveTo(1, 1);
    SetCPixel(10, 5, &green);
    EXPECT_EQ(PortPixel(&port, 10, 5), 0x008000u);
    EXPECT_EQ(PortPixel(&port, 11, 6), 0x008000u);
    EXPECT_EQ(PortPixel(&port, 12, 5), 0xFFFFFFu);
    EXPECT_EQ(port.rgbFgColor.green, 0);
    EXPECT_EQ(port.pnLoc.h, 1);
    RGBColor read;
    GetCPixel(10, 5, &read);
    EXPECT_EQ(read.green, 0x8000);
    GetCPixel(200, 5, &read);  // outside the port: white
    EXPECT_EQ(read.red, 0xFFFF);
    PenNormal();
}

TEST_F(PixelWriters, WritesAreCutToTheSurfaceAndReported) {
    for (Rect &slot : port.dirty) _SetRect(&slot, 0, 0, 0, 0);
    WindowRectangleHardAss(-10, -10, 5, 3);
    WindowRectangleHardAss(60, 30, 32767, 32767);
    WindowRectangleHardAss(100, 0, 200, 10);  // wholly outside
    EXPECT_EQ(PortPixel(&port, 0, 0), 0u);
    EXPECT_EQ(PortRow(&port, 3, 5, 2), (std::vector<UInt32>{0, 0xFFFFFF}));
    EXPECT_EQ(PortPixel(&port, 63, 31), 0u);
    EXPECT_EQ(port.dirty[0].top, 0);
    EXPECT_EQ(port.dirty[0].right, 6);
    EXPECT_EQ(port.dirty[0].bottom, 4);
}

TEST_F(PixelWriters, ReadingAndMovingPixels) {
    OrvaFillSurfaceRect(&port, 0, 0, 9, 0, 0x102030);
    OrvaFillSurfaceRect(&port, 10, 0, 19, 0, 0x405060);
    RGBColor c;
    WindowGetPixelAss(12, 0, &c);
    EXPECT_EQ(c.red, 0x4000);
    EXPECT_EQ(c.blue, 0x6000);
    WindowGetPixelAss(64, 0, &c);
    EXPECT_EQ(c.red, 0xFFFF);
    // Overlapping move to the right, and a move cut at the right edge.
    WindowMoveLineAss(0, 0, 19, 5, 0);
    EXPECT_EQ(PortPixel(&port, 4, 0), 0x102030u);
    EXPECT_EQ(PortRow(&port, 0, 14, 2), (std::vector<UInt32>{0x102030, 0x405060}));
    EXPECT_EQ(PortRow(&port, 0, 24, 2), (std::vector<UInt32>{0x405060, 0xFFFFFF}));
    WindowMoveLineAss(0, 0, 19, 60, 5);
    EXPECT_EQ(PortPixel(&port, 63, 5), 0x102030u);
}

// An 8-bit store: a byte a pixel at the start of each row of the same surface.
class IndexedStore : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 32, 16);
        ASSERT_TRUE(StartColorsForTests());
        port.depth = 8;
        port.forePixel = 5;
        port.backPixel = 0;
        PenNormal();
        OrvaFillSurfaceRect(&port, 0, 0, 31, 15, 0);
    }
    void TearDown() override { ClosePort(&port); }
    UInt8 Index(SInt32 x, SInt32 y) { return ((const UInt8 *)port.effectiveBase)[y * port.rowStride + x]; }
};

TEST_F(IndexedStore, FillsXorsAndHighlightsIndices) {
    Rect r = {0, 0, 8, 8};
    PenPat(&qd.gray);
    PaintRect(&r);
    for (SInt32 x = 0; x < 8; x++) EXPECT_EQ(Index(x, 0), (qd.gray.pat[0] & (0x80 >> x)) ? 5 : 0);
    PenPat(&qd.black);
    PenMode(10);
    PaintRect(&r);
    EXPECT_EQ(Index(0, 0), OrvaIndexXorCouleur[0]);
    EXPECT_EQ(Index(1, 0), OrvaIndexXorCouleur[5]);
    PenMode(11);
    PaintRect(&r);
    EXPECT_EQ(Index(1, 0), OrvaIndexXorCouleur[5]);
    // Highlighting swaps the highlight index with the background index and leaves the rest.
    OrvaFillSurfaceRect(&port, 0, 0, 2, 0, kHiliteIndex);
    OrvaFillSurfaceRect(&port, 3, 0, 4, 0, 0);
    OrvaFillSurfaceRect(&port, 5, 0, 5, 0, 77);
    PenMode(138);
    PaintRect(&r);
    EXPECT_EQ(Index(0, 0), 0);
    EXPECT_EQ(Index(3, 0), kHiliteIndex);
    EXPECT_EQ(Index(5, 0), 77);
    RGBColor c;
    WindowGetPixelAss(3, 0, &c);
    RGBColor expected;
    Index2Color(kHiliteIndex, &expected);
    EXPECT_EQ(c.green, expected.green);
    PenNormal();
}

class Sampling : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartColorsForTests()); }
    void TearDown() override {
        OrvaSetDithering(false);
        OrvaSetPixmapSource(nullptr, 0, 1);
    }
};

TEST_F(Sampling, OneBitPixelsReadMostSignificantFirst) {
    const UInt8 rows[2][2] = {{0x00, 0x40}, {0xFF, 0xFF}};
    OrvaSetPixmapSource(rows, 2, 1);
    calcule_lut(nullptr);
    EXPECT_EQ(saisie_point_pixmap(9, 0), 255);  // bit 6 of the second byte: set, black
    EXPECT_EQ(saisie_point_pixmap(8, 0), 0);
    EXPECT_EQ(saisie_point_pixmap(10, 0), 0);
    EXPECT_EQ(saisie_point_pixmap(3, 1), 255);
    const UInt8 nibbles[1] = {0x10}, pairs[1] = {0x04};
    OrvaSetPixmapSource(nibbles, 1, 4);
    EXPECT_EQ(saisie_point_pixmap(0, 0), 255);
    EXPECT_EQ(saisie_point_pixmap(1, 0), 0);
    OrvaSetPixmapSource(pairs, 1, 2);
    EXPECT_EQ(saisie_point_pixmap(2, 0), 255);
    EXPECT_EQ(saisie_point_pixmap(3, 0), 0);
}

TEST_F(Sampling, DitheringAWideRowStaysInsideItsErrorRow) {
    const SInt32 width = 3000;
    std::vector<UInt8> pixels(size_t(width) * 3);
    for (SInt32 i = 0; i < SInt32(pixels.size()); i++) pixels[size_t(i)] = UInt8(i * 7);
    CTabHandle table = (CTabHandle)NewHandleClear(UInt32(offsetof(ColorTable, ctTable) + 256 * sizeof(ColorSpec)));
    (*table)->ctSize = 255;
    for (SInt32 i = 0; i < 256; i++) (*table)->ctTable[i] = {SInt16(i), {UInt16(i * 257), UInt16(65535 - i * 200), UInt16(i * 100)}};
    OrvaSetPixmapSource(pixels.data(), width, 8);
    calcule_lut(table);
    OrvaSetDithering(true);
    for (SInt32 v = 0; v < 3; v++)
        for (SInt32 h = 0; h < width; h++) saisie_point_pixmap(h, v);
    // Exact palette colours carry no error: white and black samples answer their own index.
    (*table)->ctTable[0].rgb = {0xFFFF, 0xFFFF, 0xFFFF};
    (*table)->ctTable[1].rgb = {0, 0, 0};
    calcule_lut(table);
    const UInt8 plain[2] = {0, 1};
    OrvaSetPixmapSource(plain, 2, 8);
    EXPECT_EQ(saisie_point_pixmap(0, 0), 0);
    EXPECT_EQ(saisie_point_pixmap(1, 0), 255);
    DisposHandle((Handle)table);
}

TEST(Mob, BlocksArePaintedRunByRunInTheirColours) {
    GrafPort port;
    OpenTestPort(&port, 16, 8);
    ASSERT_TRUE(StartColorsForTests());
    OrvaFillSurfaceRect(&port, 0, 0, 15, 7, 0x0000FF);
    const UInt8 block[2][4] = {{kMobTransparent, 255, 255, 0}, {215, kMobTransparent, kMobTransparent, 215}};
    transfere_mob(&block[0][0], 4, 2, kMobTransparent, 3, 2);
    EXPECT_EQ(PortRow(&port, 2, 3, 4), (std::vector<UInt32>{0x0000FF, 0x000000, 0x000000, 0xFFFFFF}));
    EXPECT_EQ(PortRow(&port, 3, 3, 4), (std::vector<UInt32>{0xEE0000, 0x0000FF, 0x0000FF, 0xEE0000}));
    EXPECT_EQ(port.pnMode, 8);  // the pen is the caller's again
    EXPECT_EQ(port.rgbFgColor.red, 0);
    ClosePort(&port);
}

// A hand-made strike: 'A' (3 pixels wide), 'B' (2 wide), the missing glyph (1 wide), 4 rows.
const UInt8 kStrike[4][2] = {{0x50, 0x00}, {0xB8, 0x00}, {0xE8, 0x00}, {0xB8, 0x00}};
const SInt16 kLoc[4] = {0, 3, 5, 6};
const SInt16 kOw[3] = {SInt16(0x0004), SInt16(0x0103), SInt16(0x0002)};

Boolean HandMadeFont(SInt16 font, SInt16 size, UInt8, OrvaBitmapFontRecord *record) {
    if (font != 7) return false;
    *record = {'A', 'B', 4, 3, 1, size == 16 ? SInt16(16) : SInt16(8), &kStrike[0][0], kLoc, kOw};
    return true;
}

TEST(BitmapGlyphs, AHandMadeFontGivesBlocksOffsetsAndAdvances) {
    GrafPort port;
    OpenTestPort(&port, 8, 8);
    OrvaSetBitmapFontLoader(HandMadeFont);
    SInt32 w, h, oh, ov, advance;
    const UInt8 *a = OrvaCalculeBitmapCar('A', 7, 8, 0, &w, &h, &oh, &ov, &advance);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(w, 3);
    EXPECT_EQ(h, 4);
    EXPECT_EQ(ov, -3);
    EXPECT_EQ(advance, 4);
    const UInt8 expected[4][3] = {{10, 0, 10}, {0, 10, 0}, {0, 0, 0}, {0, 10, 0}};
    EXPECT_EQ(std::memcmp(a, expected, sizeof expected), 0);
    const UInt8 *b = OrvaCalculeBitmapCar('B', 7, 8, 0, &w, &h, &oh, &ov, &advance);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(oh, 1);
    EXPECT_EQ(w, 2);
    OrvaCalculeBitmapCar('Z', 7, 8, 0, &w, &h, &oh, &ov, &advance);  // outside: the missing glyph
    EXPECT_EQ(w, 1);
    EXPECT_EQ(advance, 2);
    // Twice the size: everything doubles and the block gets a pixel more each way.
    OrvaCalculeBitmapCar('A', 7, 16, 0, &w, &h, &oh, &ov, &advance);
    EXPECT_EQ(w, 3);  // the loader says the design size is 16 too
    OrvaCalculeBitmapCar('A', 7, 12, 0, &w, &h, &oh, &ov, &advance);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 7);
    EXPECT_EQ(advance, 6);
    // Bold widens by a pixel and advances one more; underline fills the row below the baseline.
    const UInt8 *bold = OrvaCalculeBitmapCar('A', 7, 8, 1 | 4, &w, &h, &oh, &ov, &advance);
    ASSERT_NE(bold, nullptr);
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 5);
    EXPECT_EQ(advance, 5);
    EXPECT_EQ(bold[4 * w + 4], kMobInk);
    EXPECT_EQ(OrvaCalculeBitmapCar('A', 9, 8, 0, &w, &h, &oh, &ov, &advance), nullptr);
    OrvaSetBitmapFontLoader(nullptr);
    ClosePort(&port);
}

TEST(BitmapGlyphs, SpacesCarryTheFractionOfSpExtraUntilDrawTextStartsARun) {
    GrafPort port;
    OpenTestPort(&port, 8, 8);
    OrvaSetBitmapFontLoader(HandMadeFont);
    _DrawText(" ", 0, 0);  // whatever ran before, no fraction is carried in
    port.spExtra = 0x8000;  // half a pixel a space
    SInt32 w, h, oh, ov, advance, advances[4];
    for (SInt32 &a : advances) {
        ASSERT_NE(OrvaCalculeBitmapCar(' ', 7, 8, 0, &w, &h, &oh, &ov, &advance), nullptr);
        a = advance;
    }
    // A space is the missing glyph (2 wide): the halves add up to a pixel every second space.
    EXPECT_EQ(advances[0], 2);
    EXPECT_EQ(advances[1], 3);
    EXPECT_EQ(advances[2], 2);
    EXPECT_EQ(advances[3], 3);
    OrvaCalculeBitmapCar(' ', 7, 8, 0, &w, &h, &oh, &ov, &advance);  // half a pixel carried now
    _DrawText(" ", 0, 0);
    OrvaCalculeBitmapCar(' ', 7, 8, 0, &w, &h, &oh, &ov, &advance);
    EXPECT_EQ(advance, 2);  // the run starts afresh
    OrvaSetBitmapFontLoader(nullptr);
    ClosePort(&port);
}

}  // namespace
