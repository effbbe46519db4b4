// ctest-labels: raster raster.regions_draw
// Regions drawn and regions made by drawing: the region verbs, outlines traced directly and
// through OpenRgn / CloseRgn, the accumulator's limits, and ScrollRect.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

const UInt32 kWhite = 0xFFFFFF, kBlack = 0;
const SInt16 kWidth = 120, kHeight = 100;

class RegionsDraw : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, kWidth, kHeight);
        Clear();
    }
    void TearDown() override {
        OrvaSetRgnPicturePlayer(nullptr);
        ClosePort(&port);
    }
    void Clear() {
        OrvaFillSurfaceRect(&port, 0, 0, kWidth - 1, kHeight - 1, kWhite);
        PenNormal();
    }
    std::vector<UInt32> Pixels() {
        std::vector<UInt32> out;
        for (SInt32 y = 0; y < kHeight; y++)
            for (SInt32 x = 0; x < kWidth; x++) out.push_back(PortPixel(&port, x, y));
        return out;
    }
};

void TraceFrameRect(void *r) { _FrameRect((const Rect *)r); }
void TraceFrameOval(void *r) { FrameOval((const Rect *)r); }

RgnHandle Traced(void (*outline)(void *), const Rect &r) {
    RgnHandle rgn = NewRgn();
    Rect copy = r;
    OrvaTraceRgn(rgn, outline, &copy);
    return rgn;
}

// A stand-in for picture playback: draws the rectangles and ovals an outline recording holds.
void PlayShapes(PicHandle picture, const Rect *) {
    PictWalkRecord walk;
    PictOpRecord op;
    if (OrvaPictBeginWalk((const UInt8 *)*picture, GetHandleSize((Handle)picture), &walk) != noErr) return;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
        if (op.fieldCount < 1) continue;
        Rect r = OrvaPictRect(&walk, op.fields[0].offset);
        if (op.opcode == kPictOpFrameRect) _FrameRect(&r);
        if (op.opcode == kPictOpFrameOval) FrameOval(&r);
        if (op.opcode == kPictOpFrameRRect) FrameRoundRect(&r, 16, 16);
    }
}

TEST_F(RegionsDraw, ATracedFrameHoldsItsInteriorAndPaintsLikeTheFill) {
    Rect r = {10, 20, 60, 90};
    RgnHandle rect = Traced(TraceFrameRect, r);
    ASSERT_EQ((*rect)->rgnSize, kRgnRectSize);
    EXPECT_TRUE(_EqualRect(&(*rect)->rgnBBox, &r));
    _PaintRgn(rect);
    std::vector<UInt32> painted = Pixels();
    Clear();
    PaintRect(&r);
    EXPECT_EQ(Pixels(), painted);

    // A 1x1 frame of r lies on the oval of r less a pixel at the right and bottom; the region
    // traced from it is that oval, frame and inside.
    for (const Rect &o : {r, Rect{2, 2, 7, 12}, Rect{2, 2, 14, 26}, Rect{2, 2, 35, 68}}) {
        RgnHandle oval = Traced(TraceFrameOval, o);
        ASSERT_TRUE(OrvaRegionIsValid(oval));
        Clear();
        _PaintRgn(oval);
        painted = Pixels();
        Clear();
        Rect inner = {o.top, o.left, SInt16(o.bottom - 1), SInt16(o.right - 1)};
        PaintOval(&inner);
        EXPECT_EQ(Pixels(), painted) << o.bottom;
        DisposeRgn(oval);
    }
    // And InvertOval inverts exactly what PaintOval paints.
    for (SInt16 w = 2; w <= 40; w++)
        for (SInt16 h = 1; h <= 40; h++) {
            Rect o = {5, 5, SInt16(5 + h), SInt16(5 + w)};
            Clear();
            PaintOval(&o);
            painted = Pixels();
            Clear();
            InvertOval(&o);
            ASSERT_EQ(Pixels(), painted) << w << "x" << h;
        }
    DisposeRgn(rect);
}

TEST_F(RegionsDraw, AFilledRoundedRectangleCoversItsFrameAndInside) {
    const SInt16 sizes[][4] = {{10, 10, 50, 70}, {0, 0, 7, 9}, {20, 5, 90, 40}};
    for (const auto &size : sizes)
        for (SInt16 oval : {0, 4, 10, 25, 60, 400, -10}) {
            SCOPED_TRACE(testing::Message() << size[2] << " oval " << oval);
            Rect r = {size[0], size[1], size[2], size[3]};
            Clear();
            FrameRoundRect(&r, oval, oval);
            std::vector<UInt32> frame = Pixels();
            Clear();
            PaintRoundRect(&r, oval, oval);
            for (SInt32 y = 0; y < kHeight; y++) {
                SInt32 first = -1, last = -1;
                for (SInt32 x = 0; x < kWidth; x++)
                    if (frame[size_t(y * kWidth + x)] == kBlack) last = x, first = first < 0 ? x : first;
                for (SInt32 x = 0; x < kWidth; x++)
                    ASSERT_EQ(PortPixel(&port, x, y) == kBlack, first >= 0 && x >= first && x <= last) << x << "," << y;
            }
        }
}

TEST_F(RegionsDraw, EveryTracedShapeIsAWellFormedRegion) {
    struct Outline {
        Rect r;
        SInt16 ovalSize;
        SInt16 start, arc;
    };
    const Outline outlines[] = {{{0, 0, 1, 1}, 0, 0, 360}, {{5, 5, 45, 25}, 10, 30, 90}, {{-40, -40, 40, 40}, 100, -90, 270},
                                {{10, 10, 90, 110}, 31, 270, -540}, {{3, 3, 6, 80}, 0, 10, 20}};
    for (const Outline &o : outlines) {
        SCOPED_TRACE(o.r.right);
        RgnHandle rgn = NewRgn();
        Rect r = o.r;
        PaintRoundRect(&r, o.ovalSize, o.ovalSize);
        PaintArc(&r, o.start, o.arc);
        InvertOval(&r);
        OrvaTraceRgn(rgn, TraceFrameOval, &r);
        EXPECT_TRUE(OrvaRegionIsValid(rgn));
        for (SInt16 size = 1; size <= 30; size += 7) {
            Rect small = {0, 0, size, SInt16(size * 2)};
            OrvaTraceRgn(rgn, TraceFrameOval, &small);
            EXPECT_TRUE(OrvaRegionIsValid(rgn));
            EXPECT_LE((*rgn)->rgnBBox.bottom, size);
        }
        DisposeRgn(rgn);
    }
}

TEST_F(RegionsDraw, OpenRgnRecordsAndCloseRgnTracesLikeTheDirectTracing) {
    Rect r = {10, 10, 50, 70};
    RgnHandle direct = Traced(TraceFrameOval, r), recorded = NewRgn();
    // Without a picture player there is nothing to trace.
    OpenRgn();
    FrameOval(&r);
    CloseRgn(recorded);
    EXPECT_TRUE(EmptyRgn(recorded));
    EXPECT_EQ(port.pnVis, 0);
    OrvaSetRgnPicturePlayer(PlayShapes);
    OpenRgn();
    FrameOval(&r);
    EXPECT_EQ(Pixels(), std::vector<UInt32>(size_t(kWidth) * kHeight, kWhite));  // recorded, not drawn
    CloseRgn(recorded);
    EXPECT_EQ(port.picSave, nullptr);
    ASSERT_EQ((*recorded)->rgnSize, (*direct)->rgnSize);
    EXPECT_EQ(std::memcmp(*recorded, *direct, size_t((*direct)->rgnSize)), 0);
    // A rectangle and an oval side by side: both shapes in one region.
    Rect left = {10, 5, 40, 30}, right = {10, 60, 40, 100};
    OpenRgn();
    _FrameRect(&left);
    FrameOval(&right);
    CloseRgn(recorded);
    EXPECT_TRUE(PtInRgn(Point{20, 15}, recorded));
    EXPECT_TRUE(PtInRgn(Point{25, 80}, recorded));
    EXPECT_FALSE(PtInRgn(Point{25, 45}, recorded));
    DisposeRgn(direct);
    DisposeRgn(recorded);
}

TEST_F(RegionsDraw, CollectedLinesMakeTheRegionTheyEnclose) {
    RgnHandle rgn = NewRgn();
    OrvaTraceRgn(
        rgn,
        [](void *) {
            _MoveTo(10, 10);
            _LineTo(80, 10);
            _LineTo(80, 60);
            _LineTo(10, 60);
            _LineTo(10, 10);
        },
        nullptr);
    ASSERT_TRUE(OrvaRegionIsValid(rgn));
    EXPECT_TRUE(PtInRgn(Point{30, 40}, rgn));
    EXPECT_TRUE(PtInRgn(Point{10, 10}, rgn));
    EXPECT_FALSE(PtInRgn(Point{70, 40}, rgn));
    EXPECT_FALSE(PtInRgn(Point{30, 90}, rgn));
    // A triangle: its slanted sides meet at the apex without leaving a column open below it.
    OrvaTraceRgn(
        rgn,
        [](void *) {
            _MoveTo(50, 10);
            _LineTo(90, 70);
            _LineTo(10, 70);
            _LineTo(50, 10);
        },
        nullptr);
    ASSERT_TRUE(OrvaRegionIsValid(rgn));
    EXPECT_TRUE(PtInRgn(Point{50, 50}, rgn));
    EXPECT_FALSE(PtInRgn(Point{20, 20}, rgn));
    EXPECT_FALSE(PtInRgn(Point{80, 50}, rgn));
    DisposeRgn(rgn);
}

void TraceDiamond(void *) {
    _MoveTo(10, 2);
    _LineTo(18, 10);
    _LineTo(10, 18);
    _LineTo(2, 10);
    _LineTo(10, 2);
}

// Nothing of the region lies outside the diamond's bounding box rows, and no column stays open
// below the left and right points, where two slanted sides meet coming from opposite sides.
void ExpectDiamond(RgnHandle rgn) {
    ASSERT_TRUE(OrvaRegionIsValid(rgn));
    EXPECT_TRUE(PtInRgn(Point{10, 10}, rgn));
    EXPECT_TRUE(PtInRgn(Point{10, 2}, rgn));
    EXPECT_TRUE(PtInRgn(Point{10, 18}, rgn));
    for (SInt16 v = 12; v <= 18; v++) {
        EXPECT_FALSE(PtInRgn(Point{v, 2}, rgn)) << v;
        EXPECT_FALSE(PtInRgn(Point{v, 18}, rgn)) << v;
    }
    EXPECT_FALSE(PtInRgn(Point{17, 4}, rgn));
    EXPECT_FALSE(PtInRgn(Point{4, 16}, rgn));
}

TEST_F(RegionsDraw, SlantedSidesMeetingAtTheSidePointsCloseTheOutline) {
    RgnHandle direct = NewRgn(), recorded = NewRgn();
    OrvaTraceRgn(direct, TraceDiamond, nullptr);
    ExpectDiamond(direct);
    // Recorded and replayed by picture playback, the lines are collected as in the direct
    // tracing, so both make the same region.
    OrvaSetRgnPicturePlayer(DrawPicture);
    OpenRgn();
    TraceDiamond(nullptr);
    CloseRgn(recorded);
    ExpectDiamond(recorded);
    ASSERT_EQ((*recorded)->rgnSize, (*direct)->rgnSize);
    EXPECT_EQ(std::memcmp(*recorded, *direct, size_t((*direct)->rgnSize)), 0);
    DisposeRgn(direct);
    DisposeRgn(recorded);
}

TEST_F(RegionsDraw, AnOutlineTooBusyForARegionStopsAtTheSizeLimit) {
    RgnHandle rgn = NewRgn();
    OrvaTraceRgn(
        rgn,
        [](void *) {
            for (SInt16 i = 0; i < 3000; i++) {
                _MoveTo(SInt16(i * 3), SInt16(i));
                _LineTo(SInt16(i * 3 + 1), SInt16(i + 2000));
            }
        },
        nullptr);
    EXPECT_TRUE(OrvaRegionIsValid(rgn));
    EXPECT_LE(GetHandleSize((Handle)rgn), UInt32(kRgnMaxBytes));
    DisposeRgn(rgn);
}

TEST_F(RegionsDraw, RegionVerbsPaintEraseInvertFillAndFrame) {
    RgnHandle rgn = NewRgn(), part = NewRgn();
    _SetRectRgn(rgn, 10, 10, 50, 30);
    _SetRectRgn(part, 10, 30, 25, 60);
    _UnionRgn(rgn, part, rgn);
    _PaintRgn(rgn);
    EXPECT_EQ(PortPixel(&port, 12, 55), kBlack);
    EXPECT_EQ(PortPixel(&port, 40, 40), kWhite);
    _InvertRgn(rgn);
    EXPECT_EQ(PortPixel(&port, 12, 55), kWhite);
    _FillRgn(rgn, &qd.gray);
    EXPECT_EQ(PortPixel(&port, 13, 55) == kBlack, (qd.gray.pat[55 & 7] & (0x80 >> (13 & 7))) != 0);
    EXPECT_EQ(std::memcmp(port.fillPat.pat, qd.gray.pat, 8), 0);
    EraseRgn(rgn);
    EXPECT_EQ(PortPixel(&port, 13, 55), kWhite);
    PenSize(2, 2);
    _FrameRgn(rgn);
    // The outline stays inside the region's right and bottom edges.
    EXPECT_EQ(PortPixel(&port, 10, 10), kBlack);
    EXPECT_EQ(PortPixel(&port, 49, 15), kBlack);
    EXPECT_EQ(PortPixel(&port, 50, 15), kWhite);
    EXPECT_EQ(PortPixel(&port, 15, 59), kBlack);
    EXPECT_EQ(PortPixel(&port, 15, 60), kWhite);
    EXPECT_EQ(PortPixel(&port, 30, 20), kWhite);
    EXPECT_EQ(port.pnSize.h, 2);
    DisposeRgn(rgn);
    DisposeRgn(part);
}

class Scrolling : public RegionsDraw {
protected:
    UInt32 Original(SInt32 x, SInt32 y) { return UInt32((x * 2) | (y << 8) | 0x10000); }
    void FillDistinct() {
        for (SInt32 y = 0; y < kHeight; y++)
            for (SInt32 x = 0; x < kWidth; x++) OrvaFillSurfaceRect(&port, x, y, x, y, Original(x, y));
    }
};

TEST_F(Scrolling, PixelsMoveByTheOffsetAndTheUncoveredBandIsErasedAndReturned) {
    // No offset moves nothing and gives an empty region in place of the stale one.
    const SInt16 moves[][2] = {{7, 0}, {-7, 0}, {0, 7}, {0, -7}, {5, -3}, {0, 0}};
    Rect r = {5, 10, 45, 70};
    for (const auto &m : moves) {
        SCOPED_TRACE(testing::Message() << m[0] << "," << m[1]);
        FillDistinct();
        RgnHandle update = NewRgn();
        _SetRectRgn(update, 1, 2, 3, 4);
        ScrollRect(&r, m[0], m[1], update);
        RgnHandle band = NewRgn(), moved = NewRgn();
        RectRgn(band, &r);
        RectRgn(moved, &r);
        _OffsetRgn(moved, m[0], m[1]);
        DiffRgn(band, moved, band);
        ASSERT_EQ((*update)->rgnSize, (*band)->rgnSize);
        EXPECT_EQ(std::memcmp(*update, *band, size_t((*band)->rgnSize)), 0);
        for (SInt32 y = 0; y < kHeight; y++)
            for (SInt32 x = 0; x < kWidth; x++) {
                Point p = {SInt16(y), SInt16(x)};
                UInt32 want = Original(x, y);
                if (_PtInRect(p, &r)) want = PtInRgn(p, band) ? kWhite : Original(x - m[0], y - m[1]);
                ASSERT_EQ(PortPixel(&port, x, y), want) << x << "," << y;
            }
        DisposeRgn(update);
        DisposeRgn(band);
        DisposeRgn(moved);
    }
    ScrollRect(&r, 3, 3, nullptr);  // no region asked for
}

TEST_F(Scrolling, OnlyPixelsWhoseSourceAndDestinationAreVisibleMove) {
    FillDistinct();
    RgnHandle clip = NewRgn(), hole = NewRgn();
    _SetRectRgn(clip, 0, 0, kWidth, kHeight);
    _SetRectRgn(hole, 30, 20, 40, 30);
    DiffRgn(clip, hole, clip);
    SetClip(clip);
    Rect r = {0, 0, 60, 80};
    ScrollRect(&r, 4, 0, nullptr);
    EXPECT_EQ(PortPixel(&port, 35, 25), Original(35, 25));  // hidden: untouched
    EXPECT_EQ(PortPixel(&port, 41, 25), kWhite);  // its source is hidden: uncovered
    EXPECT_EQ(PortPixel(&port, 45, 25), Original(41, 25));
    EXPECT_EQ(PortPixel(&port, 30, 10), Original(26, 10));
    DisposeRgn(clip);
    DisposeRgn(hole);
}

}  // namespace
