// ctest-labels: ports;ports.regions
// Regions: set operations against a bit grid, canonical forms, limits and malformed input.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

// The test window: every region of the differential test stays inside it.
const SInt16 kLeft = -30, kTop = -20, kSize = 64;

struct Grid {
    bool bit[kSize][kSize] = {};
    bool At(SInt32 x, SInt32 y) const {
        x -= kLeft;
        y -= kTop;
        return x >= 0 && y >= 0 && x < kSize && y < kSize && bit[y][x];
    }
};

std::vector<SInt16> Words(RgnHandle rgn) {
    SInt16 size = (*rgn)->rgnSize;
    std::vector<SInt16> w(size / 2);
    std::memcpy(w.data(), *rgn, size);
    return w;
}

std::vector<SInt16> Boundaries(const Grid &g, SInt32 y) {
    std::vector<SInt16> out;
    bool inside = false;
    for (SInt32 x = kLeft; x <= kLeft + kSize; x++) {
        bool b = g.At(x, y);
        if (b != inside) out.push_back(SInt16(x));
        inside = b;
    }
    return out;
}

// The canonical region of a grid, built row by row without the region code.
std::vector<SInt16> Canonical(const Grid &g) {
    std::vector<SInt16> w = {0, 0, 0, 0, 0};
    std::vector<SInt16> previous;
    SInt16 left = 32767, right = -32768, top = 0, bottom = 0;
    int lines = 0;
    for (SInt32 y = kTop; y <= kTop + kSize; y++) {
        std::vector<SInt16> now = Boundaries(g, y), change;
        size_t i = 0, j = 0;
        while (i < now.size() || j < previous.size()) {
            if (i < now.size() && j < previous.size() && now[i] == previous[j]) i++, j++;
            else if (j >= previous.size() || (i < now.size() && now[i] < previous[j])) change.push_back(now[i++]);
            else change.push_back(previous[j++]);
        }
        if (change.empty()) continue;
        if (lines++ == 0) top = SInt16(y);
        bottom = SInt16(y);
        left = std::min(left, change.front());
        right = std::max(right, change.back());
        w.push_back(SInt16(y));
        w.insert(w.end(), change.begin(), change.end());
        w.push_back(kRgnEnd);
        previous = now;
    }
    w.push_back(kRgnEnd);
    if (lines == 0) return {10, 0, 0, 0, 0};
    if (w.size() == 14) return {10, w[5], w[6], w[9], w[7]};
    w[0] = SInt16(w.size() * 2);
    w[1] = top;
    w[2] = left;
    w[3] = bottom;
    w[4] = right;
    return w;
}

RgnHandle RectRegion(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
    RgnHandle r = NewRgn();
    Rect box = {top, left, bottom, right};
    RectRgn(r, &box);
    return r;
}

// A region of n one-pixel columns at even x from 0, rows 0 and 1.
RgnHandle Comb(int n) {
    RgnHandle comb = NewRgn(), tooth = NewRgn();
    for (int i = 0; i < n; i++) {
        _SetRectRgn(tooth, SInt16(2 * i), 0, SInt16(2 * i + 1), 2);
        _UnionRgn(comb, tooth, comb);
    }
    DisposeRgn(tooth);
    return comb;
}

class Regions : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();
        CapturedErrors().clear();
    }
};

TEST_F(Regions, RandomOperationsMatchABitGrid) {
    std::mt19937 random(20240611);
    auto coord = [&](int span) { return SInt16(std::uniform_int_distribution<int>(0, span)(random)); };
    const int kPool = 6;
    std::vector<RgnHandle> rgn(kPool);
    std::vector<Grid> grid(kPool);
    for (int i = 0; i < kPool; i++) rgn[i] = NewRgn();
    RgnHandle window = RectRegion(kTop, kLeft, kTop + kSize, kLeft + kSize);
    int pixelChecks = 0;
    for (int step = 0; step < 20000; step++) {
        int a = coord(kPool - 1), b = coord(kPool - 1), d = coord(kPool - 1), op = coord(5);
        Grid result;
        if (op == 0) {  // a fresh rectangle, sometimes empty
            SInt16 l = coord(kSize), t = coord(kSize), r = coord(kSize), bt = coord(kSize);
            Rect box = {SInt16(kTop + t), SInt16(kLeft + l), SInt16(kTop + bt), SInt16(kLeft + r)};
            RectRgn(rgn[d], &box);
            for (int y = t; y < bt; y++)
                for (int x = l; x < r; x++) result.bit[y][x] = true;
            grid[d] = result;
            if (EmptyRect(&box)) {  // an empty rectangle region keeps the box it was given
                ASSERT_EQ(Words(rgn[d]), (std::vector<SInt16>{10, box.top, box.left, box.bottom, box.right}));
                continue;
            }
        } else if (op == 5) {  // offset, then cut back to the window
            SInt16 dh = SInt16(coord(40) - 20), dv = SInt16(coord(40) - 20);
            _CopyRgn(rgn[a], rgn[d]);
            _OffsetRgn(rgn[d], dh, dv);
            SectRgn(rgn[d], window, rgn[d]);
            for (int y = 0; y < kSize; y++)
                for (int x = 0; x < kSize; x++) result.bit[y][x] = grid[a].At(kLeft + x - dh, kTop + y - dv);
        } else {
            void (*ops[])(RgnHandle, RgnHandle, RgnHandle) = {_UnionRgn, SectRgn, DiffRgn, XorRgn};
            ops[op - 1](rgn[a], rgn[b], rgn[d]);
            for (int y = 0; y < kSize; y++)
                for (int x = 0; x < kSize; x++) {
                    bool p = grid[a].bit[y][x], q = grid[b].bit[y][x];
                    bool v[] = {p || q, p && q, p && !q, p != q};
                    result.bit[y][x] = v[op - 1];
                }
        }
        grid[d] = result;
        SCOPED_TRACE(testing::Message() << "step " << step << " op " << op);
        std::vector<SInt16> expected = Canonical(result);
        // A union with an empty operand copies the other, which may be an empty rectangle
        // that kept the box it was given.
        if (expected[0] == 10 && EmptyRect(&(*rgn[d])->rgnBBox)) expected = Words(rgn[d]);
        ASSERT_EQ(Words(rgn[d]), expected);
        ASSERT_TRUE(OrvaRegionIsValid(rgn[d]));
        // Every pixel on a share of the steps, a sample on the others.
        bool full = step % 16 == 0;
        for (int k = 0; k < (full ? (kSize + 2) * (kSize + 2) : 48); k++) {
            SInt16 x = full ? SInt16(kLeft - 1 + k % (kSize + 2)) : SInt16(kLeft + coord(kSize) - 1);
            SInt16 y = full ? SInt16(kTop - 1 + k / (kSize + 2)) : SInt16(kTop + coord(kSize) - 1);
            Point pt = {y, x};
            ASSERT_EQ(PtInRgn(pt, rgn[d]), result.At(x, y)) << "at " << x << "," << y;
            pixelChecks++;
        }
        for (int k = 0; k < 4; k++) {
            SInt16 l = coord(kSize), t = coord(kSize), w = SInt16(1 + coord(12)), h = SInt16(1 + coord(12));
            Rect r = {SInt16(kTop + t), SInt16(kLeft + l), SInt16(kTop + t + h), SInt16(kLeft + l + w)};
            bool any = false;
            for (int y = r.top; y < r.bottom; y++)
                for (int x = r.left; x < r.right; x++) any = any || result.At(x, y);
            ASSERT_EQ(RectInRgn(&r, rgn[d]), any) << "rect " << r.top << "," << r.left << "," << r.bottom << "," << r.right;
        }
    }
    EXPECT_GT(pixelChecks, 1000000);
    EXPECT_TRUE(CapturedErrors().empty());
    for (RgnHandle r : rgn) DisposeRgn(r);
    DisposeRgn(window);
}

TEST_F(Regions, CanonicalFormsAreByteExact) {
    RgnHandle a = RectRegion(10, 20, 30, 40), b = NewRgn(), d = NewRgn();
    EXPECT_EQ(Words(a), (std::vector<SInt16>{10, 10, 20, 30, 40}));
    EXPECT_EQ(GetHandleSize((Handle)a), 10u);
    EXPECT_EQ(Words(b), (std::vector<SInt16>{10, 0, 0, 0, 0}));

    RgnHandle l = RectRegion(0, 0, 10, 10), r = RectRegion(0, 5, 20, 15);
    _UnionRgn(l, r, a);
    std::vector<SInt16> lShape = Words(a);
    _UnionRgn(a, b, d);  // union with the empty region copies the other byte for byte
    EXPECT_EQ(Words(d), lShape);
    EXPECT_EQ(GetHandleSize((Handle)d), GetHandleSize((Handle)a));
    _UnionRgn(b, a, d);
    EXPECT_EQ(Words(d), lShape);

    XorRgn(a, a, d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{10, 0, 0, 0, 0}));
    SectRgn(l, RectRegion(50, 50, 60, 60), d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{10, 0, 0, 0, 0}));

    // Two touching rectangles make one rectangle again.
    RgnHandle top = RectRegion(0, 0, 5, 10), bottom = RectRegion(5, 0, 9, 10);
    _UnionRgn(top, bottom, d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{10, 0, 0, 9, 10}));
    for (RgnHandle h : {a, b, d, l, r, top, bottom}) DisposeRgn(h);
}

TEST_F(Regions, EdgesOfTheCoordinateSpaceAreClamped) {
    RgnHandle huge = RectRegion(-32768, -32768, 32767, 32767), hole = RectRegion(0, 0, 10, 10), d = NewRgn();
    _UnionRgn(huge, hole, d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{10, -32767, -32767, 32766, 32766}));
    DiffRgn(huge, hole, d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{44, -32767, -32767, 32766, 32766, -32767, -32767, 32766, kRgnEnd, 0, 0, 10,
                                             kRgnEnd, 10, 0, 10, kRgnEnd, 32766, -32767, 32766, kRgnEnd, kRgnEnd}));
    EXPECT_TRUE(OrvaRegionIsValid(d));
    Point inHole = {5, 5}, outside = {-5, 5};
    EXPECT_FALSE(PtInRgn(inHole, d));
    EXPECT_TRUE(PtInRgn(outside, d));
    // An offset that runs past the edge saturates and keeps the region well formed.
    _OffsetRgn(d, 20000, 0);
    EXPECT_TRUE(OrvaRegionIsValid(d));
    EXPECT_EQ((*d)->rgnBBox.right, 32766);
    for (RgnHandle h : {huge, hole, d}) DisposeRgn(h);
}

TEST_F(Regions, PointTestsExamineEverySegmentOfALongRow) {
    RgnHandle comb = Comb(300);
    EXPECT_TRUE(OrvaRegionIsValid(comb));
    for (int i : {0, 126, 127, 128, 200, 299}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(PtInRgn(Point{1, SInt16(2 * i)}, comb));
        EXPECT_FALSE(PtInRgn(Point{1, SInt16(2 * i + 1)}, comb));
    }
    EXPECT_FALSE(PtInRgn(Point{2, 0}, comb));  // the closing row is outside
    Rect gap = {0, 401, 2, 402}, tooth = {0, 400, 2, 401};
    EXPECT_FALSE(RectInRgn(&gap, comb));
    EXPECT_TRUE(RectInRgn(&tooth, comb));
    DisposeRgn(comb);
}

TEST_F(Regions, RectInRgnIgnoresASegmentEndingAtTheRectangle) {
    RgnHandle l = RectRegion(0, 0, 10, 10), r = RectRegion(0, 20, 10, 30), both = NewRgn();
    _UnionRgn(l, r, both);
    Rect justRight = {2, 10, 4, 20}, touching = {2, 10, 4, 21};
    EXPECT_FALSE(RectInRgn(&justRight, both));
    EXPECT_TRUE(RectInRgn(&touching, both));
    for (RgnHandle h : {l, r, both}) DisposeRgn(h);
}

TEST_F(Regions, AnOversizedResultBecomesEmptyWithOneMessage) {
    // Even rows meet even columns: every row changes at 240 points, far beyond 32766 bytes.
    RgnHandle rows = NewRgn(), cols = NewRgn(), piece = NewRgn(), d = NewRgn();
    for (int i = 0; i < 120; i++) {
        _SetRectRgn(piece, 0, SInt16(2 * i), 240, SInt16(2 * i + 1));
        _UnionRgn(rows, piece, rows);
        _SetRectRgn(piece, SInt16(2 * i), 0, SInt16(2 * i + 1), 240);
        _UnionRgn(cols, piece, cols);
    }
    ASSERT_TRUE(CapturedErrors().empty());
    SectRgn(rows, cols, d);
    EXPECT_EQ(Words(d), (std::vector<SInt16>{10, 0, 0, 0, 0}));
    EXPECT_EQ(CapturedErrors().size(), 1u);
    for (RgnHandle h : {rows, cols, piece, d}) DisposeRgn(h);
}

TEST_F(Regions, MalformedRegionsAreRefused) {
    struct Case {
        const char *label;
        std::vector<SInt16> words;
        bool valid;
    };
    const Case cases[] = {
        {"rectangle", {10, 0, 0, 5, 5}, true},
        {"end marker only", {12, 0, 0, 0, 0, kRgnEnd}, true},
        {"two bands", {36, 0, 0, 4, 3, 0, 0, 2, kRgnEnd, 2, 2, 3, kRgnEnd, 4, 0, 3, kRgnEnd, kRgnEnd}, true},
        {"one rectangle in scan form", {28, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, 2, 0, 2, kRgnEnd, kRgnEnd}, true},
        {"size below the header", {8, 0, 0, 5, 5}, false},
        {"odd size", {27, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, 2, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"size past the handle", {40, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, 2, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"unsorted points", {28, 0, 0, 2, 2, 0, 2, 0, kRgnEnd, 2, 2, 0, kRgnEnd, kRgnEnd}, false},
        {"rows out of order", {28, 0, 0, 2, 2, 2, 0, 2, kRgnEnd, 0, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"odd list", {24, 0, 0, 2, 2, 0, 0, kRgnEnd, 2, 0, kRgnEnd, kRgnEnd}, false},
        {"row never closes", {20, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"no final marker", {26, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, 2, 0, 2, kRgnEnd}, false},
        {"box not the lines' box", {28, 0, 0, 2, 3, 0, 0, 2, kRgnEnd, 2, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"empty line", {32, 0, 0, 2, 2, 0, 0, 2, kRgnEnd, 1, kRgnEnd, 2, 0, 2, kRgnEnd, kRgnEnd}, false},
        {"coordinate -32768", {28, 0, 0, 2, 2, 0, -32768, 2, kRgnEnd, 2, -32768, 2, kRgnEnd, kRgnEnd}, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        Handle h = NewHandle(UInt32(c.words.size() * 2));
        std::memcpy(*h, c.words.data(), c.words.size() * 2);
        EXPECT_EQ(bool(OrvaRegionIsValid((RgnHandle)h)), c.valid);
        // Whatever the verdict, the readers stay inside the handle.
        Point pt = {1, 1};
        Rect r = {0, 0, 3, 3};
        PtInRgn(pt, (RgnHandle)h);
        RectInRgn(&r, (RgnHandle)h);
        DisposHandle(h);
    }
    EXPECT_FALSE(OrvaRegionIsValid(nullptr));
}

TEST_F(Regions, BandsCoverTheRegionOnce) {
    RgnHandle l = RectRegion(0, 0, 100, 200), r = RectRegion(100, 0, 200, 100), both = NewRgn();
    _UnionRgn(l, r, both);
    long area = 0;
    OrvaForEachRgnBand(
        both,
        [](void *context, SInt16 top, SInt16 bottom, const Seglist *state) {
            for (int i = 0; state[i] != kRgnEnd; i += 2) *(long *)context += long(bottom - top) * (state[i + 1] - state[i]);
        },
        &area);
    EXPECT_EQ(area, 100 * 200 + 100 * 100);
    for (RgnHandle h : {l, r, both}) DisposeRgn(h);
}

}  // namespace
