// ctest-labels: pictures pictures.cairo
// The picture player on cairo, onto RGB24 image surfaces standing for print pages.
#include <gtest/gtest.h>

#include <cairo.h>

#include <cstring>
#include <functional>
#include <vector>

#include "graphics/pictures/cairo_drawing.h"
#include "graphics/pictures/cairo_player.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"

namespace {

struct Page {
    cairo_surface_t *surface;
    SInt32 width, height;
    Page(SInt32 w, SInt32 h) : width(w), height(h) {
        surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
        cairo_t *cr = cairo_create(surface);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    ~Page() { cairo_surface_destroy(surface); }
    void Play(PicHandle pic) {
        cairo_t *cr = cairo_create(surface);
        GTKTracePicture(pic, cr, width, height);
        cairo_destroy(cr);
        cairo_surface_flush(surface);
    }
    UInt32 Pixel(SInt32 x, SInt32 y) const {
        const UInt8 *data = cairo_image_surface_get_data(surface);
        UInt32 v;
        std::memcpy(&v, data + y * cairo_image_surface_get_stride(surface) + 4 * x, 4);
        return v & 0xFFFFFF;
    }
    bool Ink(SInt32 x, SInt32 y) const { return ((Pixel(x, y) >> 8) & 0xFF) < 128; }
    // Ink count in [left, right) x [top, bottom).
    SInt32 InkIn(SInt32 left, SInt32 top, SInt32 right, SInt32 bottom) const {
        SInt32 n = 0;
        for (SInt32 y = std::max(0, top); y < std::min(height, bottom); y++)
            for (SInt32 x = std::max(0, left); x < std::min(width, right); x++) n += Ink(x, y);
        return n;
    }
    SInt32 InkAll() const { return InkIn(0, 0, width, height); }
    // Rows holding ink in column x.
    SInt32 InkRows(SInt32 x) const {
        SInt32 n = 0;
        for (SInt32 y = 0; y < height; y++) n += Ink(x, y);
        return n;
    }
};

class CairoPlayer : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        ASSERT_TRUE(StartColorsForTests());
        OpenTestPort(&port, 200, 200);
        EraseRect(&port.portRect);
        CapturedErrors().clear();
    }
    void TearDown() override { ClosePort(&port); }
    PicHandle Record(Rect frame, const std::function<void()> &draw) {
        SetPort(&port);
        PicHandle pic = OpenPicture(&frame);
        draw();
        ClosePicture();
        return pic;
    }
};

TEST_F(CairoPlayer, AZeroWidthFramePrintsNothing) {
    PicHandle pic = Record({0, 0, 100, 0}, [] {
        Rect r = {0, 0, 50, 50};
        PaintRect(&r);
    });
    Page page(100, 100);
    page.Play(pic);
    EXPECT_EQ(page.InkAll(), 0);
    KillPicture(pic);
}

TEST_F(CairoPlayer, ALetterPageFillsAThreeHundredDpiArea) {
    PicHandle pic = Record({0, 0, 792, 612}, [] {
        Rect r = {72, 72, 144, 144};
        PaintRect(&r);
    });
    Page page(2550, 3300);
    page.Play(pic);
    // 72 units become 300 device pixels: the square spans 300..600.
    EXPECT_TRUE(page.Ink(301, 301));
    EXPECT_TRUE(page.Ink(598, 598));
    EXPECT_FALSE(page.Ink(297, 450));
    EXPECT_FALSE(page.Ink(603, 450));
    EXPECT_NEAR(page.InkAll(), 300 * 300, 2 * 300 * 2);
    KillPicture(pic);
}

TEST_F(CairoPlayer, PensPrintAsHairlinesOrSweptAreas) {
    PicHandle pic = Record({0, 0, 792, 612}, [] {
        _MoveTo(100, 100);
        _LineTo(100, 200);  // 1 x 1: a stroke sx wide
        PenSize(3, 3);
        _MoveTo(200, 100);
        _LineTo(300, 100);  // horizontal: a rectangle 3 x sy high
        PenSize(2, 2);
        _MoveTo(400, 100);
        _LineTo(500, 150);  // slanted: a hexagon
    });
    Page page(2550, 3300);
    page.Play(pic);
    double s = 2550.0 / 612;
    SInt32 hairline = 0;
    for (SInt32 x = SInt32(100 * s) - 5; x < SInt32(100 * s) + 10; x++) hairline += page.Ink(x, SInt32(150 * s));
    EXPECT_NEAR(hairline, s, 1.5);
    EXPECT_NEAR(page.InkRows(SInt32(250 * s)), 3 * s, 1.5);
    EXPECT_TRUE(page.Ink(SInt32(450 * s), SInt32(125 * s + s)));
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(pic);
}

TEST_F(CairoPlayer, ArcsAndOvalsKeepToTheirRectangles) {
    Rect r = {0, 0, 100, 100};
    PicHandle paint = Record(r, [] {
        Rect q = {0, 0, 100, 100};
        PaintArc(&q, 0, 90);
    });
    Page a(400, 400);
    a.Play(paint);
    EXPECT_GT(a.InkIn(200, 0, 400, 200), 25000);  // upper right
    EXPECT_EQ(a.InkIn(0, 0, 195, 400), 0);
    EXPECT_EQ(a.InkIn(0, 205, 400, 400), 0);
    KillPicture(paint);

    PicHandle frame = Record(r, [] {
        Rect q = {0, 0, 100, 100};
        PenSize(2, 2);
        FrameArc(&q, 300, 60);
    });
    Page b(400, 400);
    b.Play(frame);
    EXPECT_GT(b.InkAll(), 100);
    EXPECT_EQ(b.InkAll(), b.InkIn(0, 0, 202, 202));  // upper-left part only
    EXPECT_EQ(b.InkIn(0, 110, 400, 400), 0);          // within its sixth
    KillPicture(frame);

    PicHandle oval = Record(r, [] {
        Rect q = {20, 20, 80, 80};
        PenSize(5, 5);
        FrameOval(&q);
    });
    Page c(400, 400);
    c.Play(oval);
    EXPECT_GT(c.InkAll(), 1000);
    EXPECT_EQ(c.InkAll(), c.InkIn(80, 80, 320, 320));
    KillPicture(oval);
}

TEST_F(CairoPlayer, ColourCodeThirtyThreePrintsBlack) {
    PicHandle pic = Record({0, 0, 100, 100}, [] {
        RGBColor red = {0xFFFF, 0, 0};
        RGBForeColor(&red);
        Rect a = {0, 0, 50, 50};
        PaintRect(&a);
        ForeColor(33);
        Rect b = {50, 50, 100, 100};
        PaintRect(&b);
    });
    Page page(100, 100);
    page.Play(pic);
    EXPECT_EQ(page.Pixel(25, 25), 0xFF0000u);
    EXPECT_EQ(page.Pixel(75, 75), 0x000000u);
    KillPicture(pic);
}

TEST_F(CairoPlayer, ClipBandsLowOnAHighResolutionPageAreKept) {
    PicHandle pic = Record({0, 0, 792, 612}, [] {
        RgnHandle a = NewRgn(), b = NewRgn();
        _SetRectRgn(a, 0, 500, 300, 700);
        _SetRectRgn(b, 300, 600, 612, 792);
        _UnionRgn(a, b, a);
        SetClip(a);
        Rect all = {0, 0, 792, 612};
        PaintRect(&all);
        DisposeRgn(a);
        DisposeRgn(b);
    });
    Page page(2550, 3300);
    page.Play(pic);
    EXPECT_TRUE(page.Ink(100, 2500));   // in the first band
    EXPECT_TRUE(page.Ink(2000, 3000));  // in the second
    EXPECT_FALSE(page.Ink(2000, 2300));
    EXPECT_FALSE(page.Ink(100, 1000));
    KillPicture(pic);
}

TEST_F(CairoPlayer, PagesShareOneScratchPortAndAgreeWithThePortPlayer) {
    Rect frame = {0, 0, 200, 200};
    PicHandle pic = Record(frame, [] {
        Rect r = {10, 10, 60, 90};
        PaintRect(&r);
        Rect o = {70, 20, 150, 100};
        PaintOval(&o);
        Rect rr = {110, 110, 190, 190};
        PaintRoundRect(&rr, 20, 20);
        PenSize(3, 3);
        Rect f = {20, 120, 90, 190};
        _FrameRect(&f);
    });
    SetPort(&port);
    EraseRect(&port.portRect);
    DrawPicture(pic, &frame);
    SInt32 portInk = 0;
    for (SInt32 y = 0; y < 200; y++)
        for (SInt32 x = 0; x < 200; x++) portInk += PortPixel(&port, x, y) != 0xFFFFFF;
    GrafPtr scratch = nullptr;
    for (int i = 0; i < 10; i++) {
        Page page(200, 200);
        page.Play(pic);
        EXPECT_NEAR(page.InkAll(), portInk, portInk * 0.03);
        if (i == 0) scratch = OrvaCairoScratchPort();
        EXPECT_EQ(OrvaCairoScratchPort(), scratch);
        EXPECT_EQ(qd.thePort, &port);
    }
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(pic);
}

TEST_F(CairoPlayer, DamagedPicturesStopWithOneMessage) {
    PicHandle pic = Record({0, 0, 100, 100}, [] {
        Rect r = {10, 10, 50, 50};
        PaintOval(&r);
    });
    std::vector<UInt8> bytes = PictureBytes(pic);
    KillPicture(pic);
    bytes.resize(bytes.size() - 6);
    PicHandle cut = PictureFromBytes(bytes);
    Page page(100, 100);
    page.Play(cut);
    EXPECT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(qd.thePort, &port);
    KillPicture(cut);
}

}  // namespace
