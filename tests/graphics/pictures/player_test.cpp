// ctest-labels: pictures pictures.roundtrip pictures.nested pictures.hostile
// Picture playback: recorded scenes played back at 1x and 2x against the scene drawn directly,
// playback into a recording port, CloseRgn of recorded outlines, and hostile pictures.
#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/pictures/cairo_player.h"
#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pict_rewriter.h"
#include "graphics/pictures/pictures.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {

const SInt16 kSize = 240;

std::vector<UInt16> Opcodes(PicHandle pic) {
    std::vector<UInt16> out;
    for (const PictureOp &op : PictureOps(pic, {})) out.push_back(op.opcode);
    return out;
}

// Shapes whose scaled form is exact: rectangles, lines, a polygon and a region, at scale s.
void ExactScene(SInt16 s) {
    PenSize(SInt16(2 * s), SInt16(2 * s));
    Rect r = {SInt16(10 * s), SInt16(10 * s), SInt16(40 * s), SInt16(60 * s)};
    _FrameRect(&r);
    Rect r2 = {SInt16(50 * s), SInt16(12 * s), SInt16(70 * s), SInt16(30 * s)};
    PaintRect(&r2);
    _MoveTo(SInt16(5 * s), SInt16(100 * s));
    _LineTo(SInt16(90 * s), SInt16(80 * s));
    _LineTo(SInt16(100 * s), SInt16(110 * s));
    PenSize(1, 1);
    PolyHandle poly = OpenPoly();
    _MoveTo(SInt16(70 * s), SInt16(10 * s));
    _LineTo(SInt16(110 * s), SInt16(20 * s));
    _LineTo(SInt16(90 * s), SInt16(45 * s));
    _LineTo(SInt16(70 * s), SInt16(10 * s));
    ClosePoly();
    PaintPoly(poly);
    KillPoly(poly);
    RgnHandle a = NewRgn(), b = NewRgn();
    _SetRectRgn(a, SInt16(10 * s), SInt16(60 * s), SInt16(40 * s), SInt16(90 * s));
    _SetRectRgn(b, SInt16(25 * s), SInt16(70 * s), SInt16(55 * s), SInt16(100 * s));
    XorRgn(a, b, a);
    _PaintRgn(a);
    DisposeRgn(a);
    DisposeRgn(b);
}

// Curved shapes at scale s.
void CurvedScene(SInt16 s) {
    PenSize(s, s);
    Rect o = {SInt16(10 * s), SInt16(10 * s), SInt16(50 * s), SInt16(70 * s)};
    FrameOval(&o);
    Rect p = {SInt16(60 * s), SInt16(10 * s), SInt16(100 * s), SInt16(50 * s)};
    PaintOval(&p);
    Rect q = {SInt16(60 * s), SInt16(60 * s), SInt16(110 * s), SInt16(110 * s)};
    PaintArc(&q, 30, 120);
    Rect rr = {SInt16(10 * s), SInt16(80 * s), SInt16(50 * s), SInt16(115 * s)};
    PaintRoundRect(&rr, SInt16(16 * s), SInt16(16 * s));
}

SInt32 InkCount(const GrafPort *port) {
    SInt32 n = 0;
    for (SInt32 y = 0; y < kSize; y++)
        for (SInt32 x = 0; x < kSize; x++) n += PortPixel(port, x, y) != 0xFFFFFF;
    return n;
}

SInt32 Differences(const GrafPort *a, const GrafPort *b) {
    SInt32 n = 0;
    for (SInt32 y = 0; y < kSize; y++)
        for (SInt32 x = 0; x < kSize; x++) n += PortPixel(a, x, y) != PortPixel(b, x, y);
    return n;
}

class Player : public ::testing::Test {
protected:
    GrafPort direct, played;
    void SetUp() override {
        ASSERT_TRUE(StartColorsForTests());
        OpenTestPort(&direct, kSize, kSize);
        EraseRect(&direct.portRect);
        OpenTestPort(&played, kSize, kSize);
        EraseRect(&played.portRect);
        CapturedErrors().clear();
    }
    void TearDown() override {
        ClosePort(&direct);
        ClosePort(&played);
    }
    PicHandle Record(void (*scene)(SInt16), SInt16 scale, const Rect &frame) {
        SetPort(&played);
        PicHandle pic = OpenPicture(&frame);
        scene(scale);
        ClosePicture();
        return pic;
    }
    void Play(PicHandle pic, const Rect &dst) {
        SetPort(&played);
        EraseRect(&played.portRect);
        DrawPicture(pic, &dst);
    }
    void Draw(void (*scene)(SInt16), SInt16 scale) {
        SetPort(&direct);
        scene(scale);
    }
};

TEST_F(Player, OneToOnePlaybackEqualsTheDirectDrawing) {
    Rect frame = {0, 0, 120, 120};
    for (auto scene : {ExactScene, CurvedScene}) {
        SetPort(&direct);
        EraseRect(&direct.portRect);
        PicHandle pic = Record(scene, 1, frame);
        Play(pic, frame);
        Draw(scene, 1);
        EXPECT_GT(InkCount(&direct), 1000);
        EXPECT_EQ(Differences(&direct, &played), 0);
        // The big-endian copy plays the same.
        ASSERT_TRUE(CvtPict2MacPict(pic, false));
        ASSERT_EQ(OrvaPictKind((const UInt8 *)*pic, GetHandleSize((Handle)pic)), kPictKindVersion2);
        Play(pic, frame);
        EXPECT_EQ(Differences(&direct, &played), 0);
        KillPicture(pic);
    }
    EXPECT_TRUE(CapturedErrors().empty());
}

TEST_F(Player, DoubledPlaybackEqualsTheDoubledScene) {
    Rect frame = {0, 0, 120, 120}, dst = {0, 0, 240, 240};
    PicHandle pic = Record(ExactScene, 1, frame);
    Play(pic, dst);
    Draw(ExactScene, 2);
    EXPECT_EQ(Differences(&direct, &played), 0);
    KillPicture(pic);

    SetPort(&direct);
    EraseRect(&direct.portRect);
    pic = Record(CurvedScene, 1, frame);
    Play(pic, dst);
    Draw(CurvedScene, 2);
    SInt32 ink = InkCount(&direct);
    EXPECT_NEAR(InkCount(&played), ink, ink * 0.02);
    KillPicture(pic);
}

TEST_F(Player, TextPlaysTwiceAsHigh) {
    Rect frame = {0, 0, 120, 120}, dst = {0, 0, 240, 240};
    SetPort(&played);
    PicHandle pic = OpenPicture(&frame);
    TextSize(24);
    _MoveTo(5, 50);
    _DrawText("Hxg", 0, 3);
    ClosePicture();
    auto inkHeight = [](const GrafPort *port) { return InkBox(port).bottom - InkBox(port).top; };
    Play(pic, frame);
    SInt32 single = inkHeight(&played);
    Play(pic, dst);
    SInt32 twice = inkHeight(&played);
    ASSERT_GT(single, 10);
    EXPECT_NEAR(twice, 2 * single, 0.1 * 2 * single);
    EXPECT_EQ(played.txSize, 24);  // the caller's own size
    KillPicture(pic);
}

TEST_F(Player, NothingIsPlayedForNullEmptyOrFramelessPictures) {
    Rect frame = {0, 0, 120, 120}, empty = {10, 10, 10, 50};
    PicHandle pic = Record(ExactScene, 1, frame);
    SetPort(&played);
    EraseRect(&played.portRect);
    DrawPicture(nullptr, &frame);
    DrawPicture(pic, &empty);
    Handle header = NewHandleClear(10);  // picSize and frame only
    DrawPicture((PicHandle)header, &frame);
    DisposHandle(header);
    // A zero-width frame plays nothing and leaves the port as it was.
    std::vector<UInt8> bytes = PictureBytes(pic);
    bytes[8] = bytes[4];
    bytes[9] = bytes[5];  // right = left
    PicHandle flat = PictureFromBytes(bytes);
    PenSize(3, 4);
    DrawPicture(flat, &frame);
    EXPECT_EQ(InkCount(&played), 0);
    EXPECT_EQ(played.pnSize.h, 3);
    EXPECT_EQ(played.pnSize.v, 4);
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(flat);
    KillPicture(pic);
}

TEST_F(Player, APictureOf65536BytesStillPlays) {
    Rect frame = {0, 0, 120, 120};
    SetPort(&played);
    Handle data = NewHandleClear(20000);
    auto record = [&](SInt16 extra) {
        PicHandle pic = OpenPicture(&frame);
        PicComment(100, 20000, data);
        PicComment(100, 20000, data);
        PicComment(100, SInt16(20000 + extra), data);
        Rect r = {10, 10, 50, 50};
        PaintRect(&r);
        ClosePicture();
        return pic;
    };
    SetHandleSize(data, 32000);
    PicHandle probe = record(0);
    SInt32 extra = 65536 - SInt32(GetHandleSize((Handle)probe));
    KillPicture(probe);
    PicHandle pic = record(SInt16(extra));
    ASSERT_EQ(GetHandleSize((Handle)pic), 65536u);
    EXPECT_EQ((*pic)->picSize, 0);
    Play(pic, frame);
    EXPECT_EQ(PortPixel(&played, 20, 20), 0x000000u);
    KillPicture(pic);
    DisposHandle(data);
}

TEST_F(Player, LineFromContinuesFromTheLinePenAfterText) {
    Rect frame = {0, 0, 120, 120};
    SetPort(&played);
    PicHandle pic = OpenPicture(&frame);
    _MoveTo(10, 10);
    _LineTo(50, 10);
    _MoveTo(80, 80);
    _DrawText("a", 0, 1);
    ClosePicture();
    // Append a LineFrom by hand just before the end: it starts at (50, 10).
    std::vector<UInt8> bytes = PictureBytes(pic);
    bytes.pop_back();
    bytes.pop_back();
    const SInt16 ops[] = {0x2100, 40, 50};  // LineFrom (opcodes big-endian) to v 40, h 50
    for (SInt16 w : ops) bytes.insert(bytes.end(), (const UInt8 *)&w, (const UInt8 *)&w + 2);
    bytes.push_back(0x00);
    bytes.push_back(0xFF);
    KillPicture(pic);
    pic = PictureFromBytes(bytes);
    Play(pic, frame);
    EXPECT_EQ(PortPixel(&played, 50, 25), 0x000000u);
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(pic);
}

TEST_F(Player, AnAbsentPictureFontPlaysAsTheMissingFontId) {
    Rect frame = {0, 0, 120, 120};
    // Own-form FontName for picture id 300 named "NoSuchFontAnywhere", TxFont 300 and TxFont 20,
    // each followed by a one-character LongText.
    std::vector<UInt8> bytes;
    SetPort(&played);
    PicHandle pic = OpenPicture(&frame);
    ClosePicture();
    bytes = PictureBytes(pic);
    KillPicture(pic);
    bytes.resize(bytes.size() - 2);
    auto word = [&bytes](SInt16 w) { bytes.insert(bytes.end(), (const UInt8 *)&w, (const UInt8 *)&w + 2); };
    auto opcode = [&bytes](UInt8 op) { bytes.insert(bytes.end(), {0, op}); };
    const std::string name = "NoSuchFontAnywhere";
    opcode(0x2C);
    word(SInt16(3 + name.size()));
    word(300);
    bytes.push_back(UInt8(name.size()));
    bytes.insert(bytes.end(), name.begin(), name.end());
    if (bytes.size() & 1) bytes.push_back(0);
    for (SInt16 id : {300, 20}) {
        opcode(0x03);
        word(id);
        opcode(0x28);
        word(50);
        word(10);
        bytes.push_back(1);
        bytes.push_back('x');
    }
    opcode(0xFF);
    pic = PictureFromBytes(bytes);
    static std::vector<SInt32> fonts;
    fonts.clear();
    GrafProcs procs = {};
    procs.textProc = [](SInt16, const void *, Point, Point) { fonts.push_back(UInt16(qd.thePort->txFont)); };
    SetPortGrafProcs(&played, &procs);
    Play(pic, frame);
    SetPortGrafProcs(&played, nullptr);
    EXPECT_EQ(fonts, (std::vector<SInt32>{kPictMissingFont, 20}));
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(pic);
}

TEST_F(Player, PlayingIntoARecordingPortRecordsMappedShapesAndRestoresTheCaller) {
    Rect frame = {0, 0, 120, 120}, dst = {0, 0, 240, 240};
    PicHandle inner = Record(ExactScene, 1, frame);
    SetPort(&played);
    PenSize(3, 3);
    RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    PicHandle outer = OpenPicture(&dst);
    DrawPicture(inner, &dst);
    ClosePicture();
    EXPECT_EQ(played.pnSize.h, 3);
    EXPECT_EQ(played.rgbFgColor.red, 0xFFFF);
    EXPECT_EQ(played.rgbFgColor.green, 0);
    // The outer picture plays like the doubled scene, in red pen colour restored at its end.
    std::vector<UInt16> ops = Opcodes(outer);
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.back(), 0xFF);
    EXPECT_NE(std::find(ops.begin(), ops.end(), 0x1A), ops.end());
    SetPort(&direct);
    ForeColor(33);
    Draw(ExactScene, 2);
    SetPort(&played);
    ForeColor(33);
    PenSize(1, 1);
    Play(outer, dst);
    EXPECT_EQ(Differences(&direct, &played), 0);
    KillPicture(outer);
    KillPicture(inner);
}

TEST_F(Player, BitImagesAreRecordedOnceAndDirectImagesOnce) {
    Rect frame = {0, 0, 120, 120};
    // A bit image (16 x 8, one bit a pixel) and a direct image from the port's own buffer.
    SetPort(&played);
    EraseRect(&played.portRect);
    Rect box = {0, 0, 8, 8};
    PaintRect(&box);
    UInt8 bits[2 * 8];
    std::memset(bits, 0xF0, sizeof bits);
    BitMap map = {(Ptr)bits, 2, {0, 0, 8, 16}};
    Rect src = {0, 0, 8, 16}, to = {20, 20, 28, 36}, portSrc = {0, 0, 8, 8}, portTo = {40, 40, 48, 48};
    PicHandle inner = OpenPicture(&frame);
    CopyBits(&map, &played.portBits, &src, &to, 0, nullptr);
    CopyBits(&played.portBits, &played.portBits, &portSrc, &portTo, 0, nullptr);
    ClosePicture();
    std::vector<UInt16> innerOps = Opcodes(inner);
    ASSERT_EQ(std::count(innerOps.begin(), innerOps.end(), 0x90), 1);
    ASSERT_EQ(std::count(innerOps.begin(), innerOps.end(), 0x9A), 1);
    PicHandle outer = OpenPicture(&frame);
    DrawPicture(inner, &frame);
    ClosePicture();
    std::vector<UInt16> ops = Opcodes(outer);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), 0x90), 1);
    EXPECT_EQ(std::count(ops.begin(), ops.end(), 0x9A), 1);
    Play(outer, frame);
    EXPECT_EQ(PortPixel(&played, 21, 21), 0x000000u);
    EXPECT_EQ(PortPixel(&played, 25, 21), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&played, 41, 41), 0x000000u);
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(outer);
    KillPicture(inner);
}

TEST_F(Player, DirtyAreasReachTheCaller) {
    Rect frame = {0, 0, 120, 120};
    PicHandle pic = Record(ExactScene, 1, frame);
    SetPort(&played);
    std::memset(played.dirty, 0, sizeof played.dirty);
    DrawPicture(pic, &frame);
    Rect all = {0, 0, 0, 0};
    for (const Rect &d : played.dirty) _UnionRect(&all, &d, &all);
    EXPECT_LE(all.top, 12);
    EXPECT_GE(all.bottom, 100);
    KillPicture(pic);
}

TEST_F(Player, ACallerWithoutBufferGetsOne) {
    Rect frame = {0, 0, 120, 120};
    PicHandle pic = Record(ExactScene, 1, frame);
    GrafPort bare;
    std::memset(&bare, 0, sizeof bare);
    OpenPort(&bare);
    OrvaDisposePortData(&bare);  // a port without its buffer yet
    Rect r = {0, 0, 120, 120};
    bare.portRect = r;
    std::memset(bare.dirty, 0, sizeof bare.dirty);
    DrawPicture(pic, &frame);
    ASSERT_NE(bare.surface, nullptr);
    EXPECT_EQ(PortPixel(&bare, 20, 55), 0x000000u);
    ClosePort(&bare);
    KillPicture(pic);
}

TEST_F(Player, CloseRgnOfRecordedOutlinesEqualsTheirDirectTracing) {
    SetPort(&played);
    static Rect r = {12, 17, 71, 93};
    void (*outlines[])(void *) = {[](void *) { _FrameRect(&r); }, [](void *) { FrameOval(&r); },
                                  [](void *) { FrameRoundRect(&r, 20, 14); }};
    for (auto outline : outlines) {
        RgnHandle recorded = NewRgn(), traced = NewRgn();
        OpenRgn();
        outline(nullptr);
        CloseRgn(recorded);
        OrvaTraceRgn(traced, outline, nullptr);
        ASSERT_FALSE(EmptyRgn(recorded));
        ASSERT_EQ(GetHandleSize((Handle)recorded) >= UInt32((*recorded)->rgnSize), true);
        EXPECT_EQ((*recorded)->rgnSize, (*traced)->rgnSize);
        EXPECT_EQ(std::memcmp(*recorded, *traced, size_t((*traced)->rgnSize)), 0);
        DisposeRgn(recorded);
        DisposeRgn(traced);
    }
}

TEST_F(Player, HostilePicturesPlayOrEndWithOneMessage) {
    Rect frame = {0, 0, 120, 120}, dst = {0, 0, 200, 160};
    PicHandle own = Record(ExactScene, 1, frame);
    SetPort(&played);
    PicHandle curved = Record(CurvedScene, 1, frame);
    std::vector<std::vector<UInt8>> seeds = {PictureBytes(own), PictureBytes(curved)};
    ASSERT_TRUE(CvtPict2MacPict(own, false));
    seeds.push_back(PictureBytes(own));
    // A hand-made version 1 picture: PnSize, frameRect, paintOval, line, end.
    seeds.push_back({0, 40, 0, 0, 0, 0, 0, 100, 0, 100, 0x11, 0x01, 0x07, 0, 2, 0, 2, 0x30, 0, 10, 0, 10, 0, 50, 0, 60,
                     0x51, 0, 20, 0, 20, 0, 80, 0, 90, 0x20, 0, 5, 0, 5, 0, 90, 0, 70, 0xFF});
    KillPicture(own);
    KillPicture(curved);
    std::mt19937 rng(9);
    cairo_surface_t *page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 60, 40);
    for (int i = 0; i < 5000; i++) {
        std::vector<UInt8> bytes = seeds[size_t(i) % seeds.size()];
        int kind = i % 4;
        if (kind == 0) {
            bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size())(rng));
        } else {
            int flips = 1 + int(rng() % 6);
            for (int k = 0; k < flips && !bytes.empty(); k++) {
                size_t at = rng() % bytes.size();
                bytes[at] = kind == 1 ? UInt8(bytes[at] ^ (1u << (rng() % 8))) : UInt8(rng());
            }
        }
        if (bytes.empty()) continue;
        PicHandle pic = PictureFromBytes(bytes);
        CapturedErrors().clear();
        DrawPicture(pic, &dst);
        EXPECT_LE(CapturedErrors().size(), 1u) << "mutation " << i;
        EXPECT_EQ(qd.thePort, &played);
        PictInfo info;
        GetPictInfo(pic, &info);
        CapturedErrors().clear();
        cairo_t *cr = cairo_create(page);
        GTKTracePicture(pic, cr, 60, 40);
        cairo_destroy(cr);
        EXPECT_LE(CapturedErrors().size(), 1u) << "mutation " << i;
        EXPECT_EQ(qd.thePort, &played);
        PicHandle adapted = AdaptePicture(pic, 1, 3);
        if (adapted) {
            DrawPicture(adapted, &frame);
            KillPicture(adapted);
        }
        CvtPict2MacPict(pic, false);
        DrawPicture(pic, &frame);
        KillPicture(pic);
    }
    cairo_surface_destroy(page);
    CapturedErrors().clear();
}

TEST_F(Player, UnknownOpcodesAndBadVersionsGiveTheirMessages) {
    Rect frame = {0, 0, 120, 120};
    PicHandle pic = Record(ExactScene, 1, frame);
    std::vector<UInt8> bytes = PictureBytes(pic);
    KillPicture(pic);
    std::vector<UInt8> unknown = bytes;
    unknown.insert(unknown.end() - 2, {0x00, 0x13});
    pic = PictureFromBytes(unknown);
    Play(pic, frame);
    EXPECT_EQ(CapturedErrors(), (std::vector<std::string>{"PICT 2: Opcode $0013 inconnu"}));
    EXPECT_EQ(PortPixel(&played, 20, 55), 0x000000u);  // what came before stays
    KillPicture(pic);
    CapturedErrors().clear();
    std::vector<UInt8> version = bytes;
    version[12] = 0x12;
    pic = PictureFromBytes(version);
    Play(pic, frame);
    EXPECT_EQ(CapturedErrors(), (std::vector<std::string>{"PICT 2: Bad version"}));
    KillPicture(pic);
    CapturedErrors().clear();
    std::vector<UInt8> kind = bytes;
    kind[10] = 0x12;
    kind[11] = 0x34;
    pic = PictureFromBytes(kind);
    Play(pic, frame);
    EXPECT_EQ(CapturedErrors(), (std::vector<std::string>{"Type de PICT inconnu :1234"}));
    KillPicture(pic);
}

}  // namespace
