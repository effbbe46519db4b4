// ctest-labels: transfer transfer.copybits
// CopyBits, CopyMask and CopyDeepMask seen in the destination's pixels: scaling and its
// smoothing switches, the transfer modes, mask images and regions, 8-bit and 256-gray
// destinations, the clip, and hostile depths, rectangles and scales.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"
#include "support/tool_support.h"

namespace {

const UInt32 kWhite = 0xFFFFFF, kBlack = 0x000000, kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;
typedef std::vector<UInt32> Pixels;

class CopyBitsTest : public ::testing::Test {
protected:
    std::vector<GrafPtr> ports;
    void SetUp() override {
        StartQuickDrawForTests();
        OrvaSetCopybitAntialias(false, true);
        CapturedErrors().clear();
    }
    void TearDown() override {
        OrvaSetCopybitAntialias(false, true);
        SetPort(nullptr);
        for (GrafPtr p : ports) OrvaClosePortOffscreen(p);
    }
    GrafPtr Port(SInt16 width, SInt16 height, UInt32 fill, SInt16 depth = 24) {
        GrafPtr p = NewFilledOffscreen(width, height, depth, fill);
        ports.push_back(p);
        return p;
    }
    // A 32-bit source whose pixels are given row after row.
    GrafPtr Source(SInt16 width, SInt16 height, const std::vector<UInt32> &pixels) {
        GrafPtr p = Port(width, height, kWhite);
        for (SInt32 i = 0; i < SInt32(pixels.size()); i++) SetStorePixel(p, i % width, i / width, pixels[size_t(i)]);
        return p;
    }
    void Copy(GrafPtr src, const Rect &s, GrafPtr dst, const Rect &d, SInt16 mode = srcCopy, RgnHandle mask = nullptr) {
        SetPort(dst);
        CopyBits(&src->portBits, &dst->portBits, &s, &d, mode, mask);
    }
};

TEST_F(CopyBitsTest, ScalingTwoPixelsToFiveLandsTheEndsOnTheSourceEnds) {
    GrafPtr src = Source(2, 1, {kRed, kBlue});
    for (int flags = 0; flags < 4; flags++) {  // averaging does not touch enlargements
        SCOPED_TRACE(flags);
        Boolean averaging = flags >> 1, bilinear = flags & 1;
        OrvaSetCopybitAntialias(averaging, bilinear);
        GrafPtr dst = Port(5, 1, kBlack);
        Copy(src, {0, 0, 1, 2}, dst, {0, 0, 1, 5});
        EXPECT_EQ(StorePixel(dst, 0, 0), kRed);
        EXPECT_EQ(StorePixel(dst, 4, 0), kBlue);
        // Between them: the nearest pixel, or a mix at the half-way pixel.
        EXPECT_EQ(StorePixel(dst, 2, 0), bilinear ? 0x7F007Fu : kRed);
    }
}

TEST_F(CopyBitsTest, SrcCopyInBlackAndWhiteCopiesBytesAndColourisesOtherwise) {
    std::vector<UInt32> pixels;
    for (UInt32 i = 0; i < 64; i++) pixels.push_back((i * 0x3A5F17u) & 0xFFFFFF);
    pixels[3] = kBlack;
    pixels[5] = kWhite;
    GrafPtr src = Source(8, 8, pixels);
    GrafPtr dst = Port(8, 8, kGreen);
    Copy(src, {0, 0, 8, 8}, dst, {0, 0, 8, 8});
    for (SInt32 i = 0; i < 64; i++) EXPECT_EQ(StorePixel(dst, i % 8, i / 8), pixels[size_t(i)]) << i;
    // A red fore colour turns black pixels red; white becomes the (white) back colour.
    RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    OrvaFillSurfaceRect(dst, 0, 0, 7, 7, kGreen);
    Copy(src, {0, 0, 8, 8}, dst, {0, 0, 8, 8});
    EXPECT_EQ(StorePixel(dst, 3, 0), kRed);
    EXPECT_EQ(StorePixel(dst, 5, 0), kWhite);
    EXPECT_EQ(StorePixel(dst, 7, 3), pixels[31]);
}

TEST_F(CopyBitsTest, ModesOrXorBlendAndTransparent) {
    // Sources black, white, gray and blue over the ground 33 66 99, fore red, op colour half.
    GrafPtr src = Source(4, 1, {kBlack, kWhite, 0x808080, kBlue});
    struct Row {
        const char *label;
        SInt16 mode;
        UInt32 expected[4];
    };
    const Row rows[] = {
        {"srcOr", srcOr, {kRed, 0x336699, 0x808080, kBlue}},          // black takes the fore colour
        {"srcXor", srcXor, {0xCC9966, 0x336699, 0x4C19E6, 0xCC9999}},  // black inverts, white keeps
        {"transparent", transparent, {kBlack, 0x336699, 0x808080, kBlue}},  // the back colour keeps d
        {"blend", blend, {0x19324C, 0x99B2CC, 0x59738C, 0x1932CC}},    // (s 128 + d 127) / 255
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        GrafPtr dst = Port(4, 1, 0x336699);
        SetPort(dst);
        RGBColor red = {0xFFFF, 0, 0}, half = {0x8000, 0x8000, 0x8000};
        RGBForeColor(&red);
        OpColor(&half);
        Copy(src, {0, 0, 1, 4}, dst, {0, 0, 1, 4}, row.mode);
        for (SInt32 x = 0; x < 4; x++) EXPECT_EQ(StorePixel(dst, x, 0), row.expected[x]) << x;
    }
}

TEST_F(CopyBitsTest, PatBicFillOfA32BitPortChangesNothing) {
    GrafPtr dst = Source(3, 1, {kRed, kGreen, kBlue});
    SetPort(dst);
    PenMode(11);
    Rect r = {0, 0, 1, 3};
    PaintRect(&r);
    EXPECT_EQ(StoreRow(dst, 0, 0, 3), (Pixels{kRed, kGreen, kBlue}));
}

TEST_F(CopyBitsTest, MaskImagesMixAndMaskRegionsCut) {
    GrafPtr src = Source(4, 1, {kRed, kRed, kRed, kRed});
    GrafPtr mask = Source(4, 1, {kBlack, kWhite, 0x808080, 0x00FF00});
    GrafPtr dst = Port(4, 1, kBlue);
    SetPort(dst);
    Rect r = {0, 0, 1, 4};
    CopyMask(&src->portBits, &mask->portBits, &dst->portBits, &r, &r, &r);
    // Black takes the source, white keeps the destination, gray mixes each component
    // (d m + s (255 - m)) / 255, and a green mask keeps only the destination's green.
    const UInt32 mixed = UInt32((255 * 127) / 255) << 16 | UInt32((255 * 128) / 255);
    EXPECT_EQ(StoreRow(dst, 0, 0, 4), (Pixels{kRed, kBlue, mixed, kRed}));

    GrafPtr dst2 = Port(6, 6, kBlue);
    GrafPtr big = Port(6, 6, kRed);
    RgnHandle cross = NewRgn(), bar = NewRgn();
    _SetRectRgn(cross, 2, 0, 4, 6);
    _SetRectRgn(bar, 0, 2, 6, 4);
    _UnionRgn(cross, bar, cross);
    Copy(big, {0, 0, 6, 6}, dst2, {0, 0, 6, 6}, srcCopy, cross);
    for (SInt32 y = 0; y < 6; y++)
        for (SInt32 x = 0; x < 6; x++)
            EXPECT_EQ(StorePixel(dst2, x, y), PtInRgn(Point{SInt16(y), SInt16(x)}, cross) ? kRed : kBlue) << x << "," << y;
    DisposeRgn(cross);
    DisposeRgn(bar);
}

TEST_F(CopyBitsTest, EightBitAndGrayDestinationsAreWrittenBackAsIndices) {
    ASSERT_TRUE(StartColorsForTests());
    GrafPtr src = Source(3, 1, {kRed, kWhite, 0x404040});
    GrafPtr indexed = Port(3, 1, 0, 8);
    Copy(src, {0, 0, 1, 3}, indexed, {0, 0, 1, 3});
    SetPort(nullptr);
    const RGBColor colours[3] = {{0xFFFF, 0, 0}, {0xFFFF, 0xFFFF, 0xFFFF}, {0x4040, 0x4040, 0x4040}};
    for (SInt32 x = 0; x < 3; x++) EXPECT_EQ(StorePixel(indexed, x, 0), UInt32(Color2Index(&colours[x]))) << x;

    GrafPtr gray = OrvaCreatePortOffscreen(3, 1, 1);
    ports.push_back(gray);
    ASSERT_EQ(gray->device, kGrayPortDevice);
    Copy(src, {0, 0, 1, 3}, gray, {0, 0, 1, 3});
    EXPECT_EQ(StoreRow(gray, 0, 0, 3), (Pixels{255u - 0xFFFFu / 768, 0, 255u - 3u * 0x4040 / 768}));
    // And back: a gray source reads as its levels.
    GrafPtr back = Port(3, 1, kBlack);
    Copy(gray, {0, 0, 1, 3}, back, {0, 0, 1, 3});
    EXPECT_EQ(StoreRow(back, 0, 1, 2), (Pixels{kWhite, 0x404040}));
}

TEST_F(CopyBitsTest, AnEqualSize32BitSourceIsReadInPlace) {
    GrafPtr src = Port(50, 40, kRed), dst = Port(50, 40, kBlue);
    UInt32 before = OrvaTransferBlockCount();
    Copy(src, {5, 5, 25, 25}, dst, {10, 10, 30, 30});
    EXPECT_EQ(OrvaTransferBlockCount(), before);
    EXPECT_EQ(StorePixel(dst, 10, 10), kRed);
    EXPECT_EQ(StorePixel(dst, 9, 10), kBlue);
    // Scaling or an 8-bit destination needs blocks.
    Copy(src, {5, 5, 25, 25}, dst, {10, 10, 40, 30});
    EXPECT_GT(OrvaTransferBlockCount(), before);
}

TEST_F(CopyBitsTest, AveragingAndBilinearSwitchesChooseTheSmoothing) {
    // Four columns shrunk to two: positions 0 and 3 of the source.
    GrafPtr src = Source(4, 2, {0x000000, 0x303030, 0x606060, 0xF0F0F0, 0x000000, 0x303030, 0x606060, 0xF0F0F0});
    struct Row {
        Boolean averaging, bilinear;
        UInt32 first;
    };
    const Row rows[] = {{false, true, 0x000000}, {true, true, 0x303030}, {true, false, 0x303030}, {false, false, 0x000000}};
    for (const Row &row : rows) {
        SCOPED_TRACE(int(row.averaging) * 2 + row.bilinear);
        OrvaSetCopybitAntialias(row.averaging, row.bilinear);
        GrafPtr dst = Port(2, 2, kRed);
        Copy(src, {0, 0, 2, 4}, dst, {0, 0, 2, 2});
        EXPECT_EQ(StorePixel(dst, 0, 0), row.first);  // the mean of columns 0..2 when averaging
        EXPECT_EQ(StorePixel(dst, 1, 1), 0xF0F0F0u);  // the last block is cut to the source
    }
}

TEST_F(CopyBitsTest, TheDestinationWidthIsHeldAt10900) {
    GrafPtr src = Port(12000, 1, kRed), dst = Port(12000, 1, kBlue);
    Copy(src, {0, 0, 1, 12000}, dst, {0, 0, 1, 12000});
    EXPECT_EQ(StorePixel(dst, 10899, 0), kRed);
    EXPECT_EQ(StorePixel(dst, 10900, 0), kBlue);
    EXPECT_EQ(StorePixel(dst, 11999, 0), kBlue);
}

TEST_F(CopyBitsTest, APartialCopyOfAnImageWithOpacityUsesTheMatchingMask) {
    GrafPtr src = Port(4, 1, kRed);
    src->opacity = NewPtrClear(4);
    src->opacity[0] = src->opacity[1] = char(255);  // left half opaque, right half transparent
    GrafPtr dst = Port(2, 1, kBlue);
    Copy(src, {0, 2, 1, 4}, dst, {0, 0, 1, 2});
    EXPECT_EQ(StoreRow(dst, 0, 0, 2), (Pixels{kBlue, kBlue}));
    Copy(src, {0, 0, 1, 2}, dst, {0, 0, 1, 2});
    EXPECT_EQ(StoreRow(dst, 0, 0, 2), (Pixels{kRed, kRed}));
}

TEST_F(CopyBitsTest, TheCurrentPortsClipGovernsACopyIntoAnotherPort) {
    GrafPtr current = Port(20, 20, kWhite), src = Port(20, 20, kRed), dst = Port(20, 20, kBlue);
    SetPort(current);
    Rect clip = {5, 5, 10, 10};
    ClipRect(&clip);
    Rect all = {0, 0, 20, 20};
    CopyBits(&src->portBits, &dst->portBits, &all, &all, srcCopy, nullptr);
    EXPECT_EQ(StorePixel(dst, 5, 5), kRed);
    EXPECT_EQ(StorePixel(dst, 9, 9), kRed);
    EXPECT_EQ(StorePixel(dst, 10, 9), kBlue);
    EXPECT_EQ(StorePixel(dst, 4, 5), kBlue);
    EXPECT_EQ(StorePixel(current, 5, 5), kWhite);
}

TEST_F(CopyBitsTest, AnUnsupportedDepthDrawsWhiteAndReportsOnce) {
    std::vector<UInt8> bytes(64, 0x5A);
    PixMap odd = RawPixMap(&bytes, 8, 4, 4, 3);
    GrafPtr dst = Port(4, 4, kBlue);
    SetPort(dst);
    Rect r = {0, 0, 4, 4}, big = {0, 0, 4, 8};
    CopyBits((const BitMap *)&odd, nullptr, &r, &big, srcCopy, nullptr);
    EXPECT_EQ(StorePixel(dst, 0, 0), kWhite);
    EXPECT_EQ(StorePixel(dst, 3, 3), kWhite);
    ASSERT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(CapturedErrors()[0], "Profondeur non geree en CopyBits ");
    UInt8 red = 1, green = 2, blue = 3;
    GetPixMapRGB(bytes.data(), 8, 3, nullptr, 0, 0, &r, &red, &green, &blue);
    EXPECT_EQ(red & green & blue, 255);
}

TEST_F(CopyBitsTest, IndexedAndSixteenBitSourcesReadThroughTheirTables) {
    CTabHandle table = (CTabHandle)NewHandleClear(sizeof(ColorTable) + 3 * sizeof(ColorSpec));
    (*table)->ctSize = 3;
    const RGBColor colours[4] = {{0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0, 0}, {0, 0xFFFF, 0}, {0, 0, 0xFFFF}};
    for (int i = 0; i < 4; i++) (*table)->ctTable[i].rgb = colours[i];
    std::vector<UInt8> two = {0x1B, 0xE4};  // 2 bits a pixel: 0 1 2 3, 3 2 1 0
    PixMap map = RawPixMap(&two, 1, 4, 2, 2, table);
    GrafPtr dst = Port(4, 2, kBlack);
    SetPort(dst);
    Rect r = {0, 0, 2, 4};
    CopyBits((const BitMap *)&map, nullptr, &r, &r, srcCopy, nullptr);
    const UInt32 expected[8] = {kWhite, kRed, kGreen, kBlue, kBlue, kGreen, kRed, kWhite};
    for (SInt32 i = 0; i < 8; i++) EXPECT_EQ(StorePixel(dst, i % 4, i / 4), expected[i]) << i;
    // A 1-bit bitmap without a table: set bits black, clear bits white.
    std::vector<UInt8> one = {0xA0};
    BitMap bits = RawBitMap(&one, 1, 4, 1);
    Rect line = {0, 0, 1, 4};
    CopyBits(&bits, nullptr, &line, &line, srcCopy, nullptr);
    EXPECT_EQ(StoreRow(dst, 0, 0, 3), (Pixels{kBlack, kWhite, kBlack}));
    // 16 bits: x RRRRR GGGGG BBBBB, each component times 8.
    std::vector<UInt8> words(4);
    UInt16 w0 = 0x7FFF, w1 = 0x7C00;
    std::memcpy(&words[0], &w0, 2);
    std::memcpy(&words[2], &w1, 2);
    PixMap direct = RawPixMap(&words, 4, 2, 1, 16);
    Rect pair = {0, 0, 1, 2};
    CopyBits((const BitMap *)&direct, nullptr, &pair, &pair, srcCopy, nullptr);
    EXPECT_EQ(StoreRow(dst, 0, 0, 2), (Pixels{0xF8F8F8, 0xF80000}));
    // A table claiming more entries than its handle holds, or fewer than none: indices past
    // what it holds read black.
    std::vector<UInt8> eight = {3, 200};
    PixMap map8 = RawPixMap(&eight, 2, 2, 1, 8, table);
    for (SInt16 size : {SInt16(255), SInt16(-5)}) {
        (*table)->ctSize = size;
        CopyBits((const BitMap *)&map8, nullptr, &pair, &pair, srcCopy, nullptr);
        EXPECT_EQ(StoreRow(dst, 0, 0, 2), (Pixels{size > 0 ? kBlue : kBlack, kBlack}));
    }
    DisposeHandle((Handle)table);
}

TEST_F(CopyBitsTest, CallersPixelMapsAreWrittenInPlaceOrLeftAlone) {
    ASSERT_TRUE(StartColorsForTests());
    GrafPtr current = Port(8, 8, kWhite), src = Source(2, 1, {kRed, kBlue});
    SetPort(current);
    Rect r = {0, 0, 1, 2};
    std::vector<UInt8> direct(8, 0);
    PixMap map32 = RawPixMap(&direct, 8, 2, 1, 32);
    CopyBits(&src->portBits, (const BitMap *)&map32, &r, &r, srcCopy, nullptr);
    const UInt8 expected[8] = {0, 0, 255, 0, 255, 0, 0, 0};  // blue, green, red, spare
    EXPECT_EQ(std::memcmp(direct.data(), expected, 8), 0);
    std::vector<UInt8> indexed(2, 0);
    PixMap map8 = RawPixMap(&indexed, 2, 2, 1, 8, OrvaDefault8BitsColorTable);
    CopyBits(&src->portBits, (const BitMap *)&map8, &r, &r, srcCopy, nullptr);
    const RGBColor red = {0xFFFF, 0, 0};
    EXPECT_EQ(indexed[0], UInt8(Color2Index(&red)));
    std::vector<UInt8> one = {0x5A};
    BitMap bits = RawBitMap(&one, 1, 8, 1);
    CopyBits(&src->portBits, &bits, &r, &r, srcCopy, nullptr);
    EXPECT_EQ(one[0], 0x5A);  // 1-bit destinations are left as they are
    EXPECT_EQ(StorePixel(current, 0, 0), kWhite);
}

TEST_F(CopyBitsTest, ColumnsPastTheSourcesRightEdgeLeaveTheDestination) {
    GrafPtr src = Port(4, 4, kRed), dst = Port(8, 4, kBlue);
    // Equal size, reaching 2 columns past the source: those stay.
    Copy(src, {0, 2, 4, 6}, dst, {0, 0, 4, 4});
    EXPECT_EQ(StoreRow(dst, 0, 1, 2), (Pixels{kRed, kBlue}));
    // Scaled: half of an 8-wide source rectangle exists, so half of the 8 columns are made.
    OrvaFillSurfaceRect(dst, 0, 0, 7, 3, kBlue);
    Copy(src, {0, 0, 4, 8}, dst, {0, 0, 4, 8});
    EXPECT_EQ(StoreRow(dst, 3, 3, 2), (Pixels{kRed, kBlue}));
}

TEST_F(CopyBitsTest, SourcesWiderThan32767PixelsScaleWithoutOverflow) {
    // A 1-bit row of 40000 pixels, only the last one set, shrunk to 3 pixels.
    std::vector<UInt8> row(5000, 0);
    row[4999] = 0x01;
    BitMap bits = RawBitMap(&row, 5000, 0, 1);
    bits.bounds = {0, -20000, 1, 20000};
    GrafPtr dst = Port(3, 1, kBlue);
    SetPort(dst);
    Rect s = {0, -20000, 1, 20000}, d = {0, 0, 1, 3};
    OrvaSetCopybitAntialias(false, false);
    CopyBits(&bits, nullptr, &s, &d, srcCopy, nullptr);
    EXPECT_EQ(StorePixel(dst, 0, 0), kWhite);
    EXPECT_EQ(StorePixel(dst, 2, 0), kBlack);
}

TEST_F(CopyBitsTest, ACopyWithinOnePortThatOverlapsItselfMovesThePixels) {
    std::vector<UInt32> pixels;
    for (UInt32 i = 0; i < 16; i++) pixels.push_back(i * 0x0F0F0F);
    GrafPtr port = Source(16, 1, pixels);
    Copy(port, {0, 0, 1, 12}, port, {0, 4, 1, 16});
    for (SInt32 x = 4; x < 16; x++) EXPECT_EQ(StorePixel(port, x, 0), pixels[size_t(x - 4)]) << x;
}

TEST_F(CopyBitsTest, HostileRectanglesAndScalesDrawWithinThePort) {
    GrafPtr src = Port(16, 16, kRed), dst = Port(32, 32, kBlue);
    const Rect cases[][2] = {
        {{-32767, -32767, 32767, 32767}, {-32767, -32767, 32767, 32767}},
        {{0, 0, 16, 16}, {-32767, -32767, 32767, 32767}},
        {{0, 0, 1, 1}, {0, 0, 32767, 32767}},   // 1 : 32767
        {{-32767, -32767, 32767, 32767}, {0, 0, 1, 1}},
        {{0, 0, 16, 16}, {20, 20, 10, 10}},     // inverted
        {{5, 5, 5, 9}, {0, 0, 8, 8}},           // empty
    };
    for (const auto &c : cases) {
        Copy(src, c[0], dst, c[1]);
        for (Boolean averaging : {false, true}) {
            OrvaSetCopybitAntialias(averaging, !averaging);
            Copy(src, c[0], dst, c[1], blend);
        }
    }
    EXPECT_EQ(StorePixel(dst, 0, 0), kRed);
}

TEST_F(CopyBitsTest, BitmapExpansionWritesOneBytePerPixel) {
    const UInt8 rows[4] = {0xB0, 0x00, 0x60, 0x00};  // rows of 2 bytes: 1011 0000, 0110 0000
    UInt8 out[4];
    EXPECT_TRUE(OrvaBitmap2Mob(rows, 2, 1, 99, 2, out, 1, 7, 9));
    const UInt8 expected[4] = {9, 7, 7, 7};
    EXPECT_EQ(std::memcmp(out, expected, 4), 0);
    EXPECT_FALSE(OrvaBitmap2Mob(rows, 2, 0, 2, 2, out, 8, 7, 9));
}

TEST(CopyBitsScene, EqualsItsGolden) {
    std::string png = TempFile("copybits.png");
    int status = -1;
    RunCommand(ToolPath("qdscene") + " copybits " + png, &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(CompareWithGolden(png, "copybits.png", 1), "");
    std::remove(png.c_str());
}

}  // namespace
