// ctest-labels: images images.core
// The image record: creation, pixel access, painting, copies, compositing modes, margins and
// cropping, flips, images without planes, and drawing images into image and ordinary ports.
#include <gtest/gtest.h>

#include <tuple>

#include "graphics/images/images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "support/graphics/image_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"

namespace {

class ImageCore : public ImageTest {
protected:
    void SetUp() override {
        ImageTest::SetUp();
        OrvaSetCopybitAntialias(false, true);
    }
    // A 24-bit port without a plane, as made elsewhere.
    Offscreen Plain(SInt16 width, SInt16 height, UInt32 rgb) { return Keep(NewFilledOffscreen(width, height, 24, rgb)); }
};

TEST_F(ImageCore, CreationInfoAndPixelAccess) {
    Rect r = {0, 0, 10, 20};
    Offscreen image = Keep(OffscreenCreate(&r));
    ASSERT_NE(image, nullptr);
    Rect bounds;
    Ptr base, plane;
    SInt16 rowBytes, step, planeRow, planeStep;
    OffscreenGetInfo(image, &bounds, &base, &rowBytes, &step, &plane, &planeRow, &planeStep);
    EXPECT_EQ(WH(bounds), std::make_pair(20, 10));
    EXPECT_GE(rowBytes, 80);
    EXPECT_EQ(step, 4);
    EXPECT_EQ(planeRow, 20);
    EXPECT_EQ(planeStep, 1);
    ASSERT_NE(plane, nullptr);
    for (int i = 0; i < 200; i++) EXPECT_EQ(plane[i], 0);
    OffscreenSetPixel(image, 19, 9, 1, 2, 3, 4);
    EXPECT_EQ(ImagePixel(image, 19, 9), 0x04010203u);
    EXPECT_EQ(UInt8(base[9 * rowBytes + 19 * 4]), 3);  // byte 0 is blue
    OffscreenSetPixel(image, 19, 9, 9, 9, 9, -1);      // opacity kept
    EXPECT_EQ(ImagePixel(image, 19, 9), 0x04090909u);
    OffscreenSetPixel(image, 20, 0, 9, 9, 9, 9);       // outside: nothing, and reads give zeros
    EXPECT_EQ(ImagePixel(image, 20, 0), 0u);
    EXPECT_EQ(ImagePixel(image, -1, 5), 0u);

    const Rect bad[] = {{0, 0, 0, 5}, {0, 0, 5, 0}, {0, 0, -3, 5}, {0, 0, 5, 8192}, {0, 0, 5, -1}};
    for (const Rect &b : bad) EXPECT_EQ(OffscreenCreate(&b), nullptr);
    EXPECT_EQ(OffscreenCreate(nullptr), nullptr);
}

TEST_F(ImageCore, ColourTexts) {
    RGBColor c;
    CvtColorTxtToRGB("FF8000", &c);
    EXPECT_EQ(std::make_tuple(c.red, c.green, c.blue), std::make_tuple(0xFF00, 0x8000, 0x0000));
    CvtColorTxtToRGB("0000ff", &c);
    EXPECT_EQ(c.blue, 0xFF00);
    CvtColorTxtToRGB("not a colour", &c);
    EXPECT_EQ(c.red | c.green | c.blue, 0);
}

TEST_F(ImageCore, PaintingAndOpacity) {
    Offscreen image = Image(4, 4, 0x000000, 0);
    Rect all = {-5, -5, 50, 50};
    OffscreenPaintRect(image, &all, 10, 20, 30, 100, 0);
    EXPECT_EQ(ImagePixel(image, 3, 3), 0x000A141Eu);  // exact colour, plane untouched
    Offscreen half = Image(4, 4, 0x000000, 0);
    Rect part = {1, 1, 3, 3};
    OffscreenPaintRect(half, &part, 255, 0, 200, 50, 1);  // a = 127
    EXPECT_EQ(ImagePixel(half, 1, 1), 0x7F7F0063u);
    EXPECT_EQ(ImagePixel(half, 0, 0), 0u);
    EXPECT_EQ(ImagePixel(half, 3, 2), 0u);
    OffscreenPaintRect(half, &part, 255, 0, 200, 50, 1);  // coverages unite: 127 + 127 - 63
    EXPECT_EQ(ImagePixel(half, 2, 2) >> 24, 191u);
    for (auto percent : {std::make_pair(50, 127u), std::make_pair(5000, 255u), std::make_pair(-7, 0u)}) {
        OffscreenSetOpacity(image, SInt16(percent.first));
        EXPECT_EQ(ImagePixel(image, 0, 0) >> 24, percent.second) << percent.first;
    }
}

TEST_F(ImageCore, EmbedModes) {
    struct Row {
        SInt16 mode;
        UInt32 source, destination;
        SInt16 sourceOpacity;
        UInt32 expected;
    };
    const Row rows[] = {
        {kEmbedBlend, 0xFF0000, 0x00FF00, 0, 0x4000FF00},       // transparent source: unchanged
        {kEmbedBlend, 0xFF0000, 0x00FF00, 255, 0xFFFF0000},     // opaque source: copied, opaque
        {kEmbedBlend, 0xC80000, 0x000064, 102, 0x8C50003C},     // w = 0.4: 80, 0, 60; 102 + 64 - 25.6
        {kEmbedReplace, 0x123456, 0xFFFFFF, 9, 0x09123456},
        {kEmbedColour, 0x123456, 0xFFFFFF, 9, 0x40123456},
        {kEmbedAdd, 0xC8C8C8, 0x6400C8, 255, 0x40FFC8FF},       // 200 + 100 gives 255
        {kEmbedSubtract, 0x64C800, 0xC86432, 255, 0x40640032},
        {kEmbedDarken, 0x64C800, 0xC86432, 255, 0x40646400},
        {kEmbedLighten, 0x64C800, 0xC86432, 255, 0x40C8C832},
        {kEmbedMultiply, 0xFF8000, 0x80FFFF, 255, 0x40808000},  // 255 x 128 gives 128
        {kEmbedDoubleMultiply, 0x80FF40, 0x80FF40, 255, 0x4080FF20},
        {kEmbedDoubleMultiply, 0x80FF40, 0x80FF40, 0, 0x4080FF40},
        {9, 0x000000, 0x123456, 255, 0x40123456},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.mode);
        Offscreen s = Image(1, 1, row.source, row.sourceOpacity), d = Image(1, 1, row.destination, 64);
        OffscreenEmbed(s, d, 0, 0, row.mode);
        EXPECT_EQ(ImagePixel(d, 0, 0), row.expected);
    }
}

TEST_F(ImageCore, EmbedPlacesAndCutsTheSource) {
    Offscreen s = Image(3, 3, 0xFF0000, 255), d = Image(4, 4, 0x0000FF, 255);
    OffscreenSetPixel(s, 1, 1, 0, 255, 0, 255);
    OffscreenEmbed(s, d, -1, 2, kEmbedReplace);
    EXPECT_EQ(ImagePixel(d, 0, 3), 0xFF00FF00u);  // source (1, 1)
    EXPECT_EQ(ImagePixel(d, 1, 2), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(d, 2, 2), 0xFF0000FFu);
    EXPECT_EQ(ImagePixel(d, 0, 1), 0xFF0000FFu);
    OffscreenEmbed(s, d, 32000, -32000, kEmbedReplace);  // wholly outside
    OffscreenEmbed(nullptr, d, 0, 0, kEmbedReplace);
    EXPECT_EQ(ImagePixel(d, 3, 0), 0xFF0000FFu);
}

TEST_F(ImageCore, CopiesWholeAndCentred) {
    Offscreen wide = Image(10, 2, 0, 200), narrow = Image(6, 2, 0, 0);
    for (SInt16 x = 0; x < 10; x++) OffscreenSetPixel(wide, x, 0, UInt8(x), 0, 0, SInt16(x * 10));
    OffscreenCopy(wide, narrow, 0, 0, 0, 0);
    for (SInt16 x = 0; x < 6; x++) EXPECT_EQ(ImagePixel(narrow, x, 0), UInt32(x + 2) * 10 << 24 | UInt32(x + 2) << 16);
    Offscreen big = Image(12, 4, 0, 0);
    OffscreenCopy(narrow, big, 1, 2, 3, 77);  // the fill is red, blue, green
    EXPECT_EQ(ImagePixel(big, 0, 0), 0x4D010302u);
    EXPECT_EQ(ImagePixel(big, 3, 1), 0x14020000u);  // narrow (0, 0)
    EXPECT_EQ(ImagePixel(big, 9, 3), 0x4D010302u);
    Offscreen copy = Keep(OffscreenDuplicate(wide));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(ImagePixel(copy, 9, 0), 0x5A090000u);
    EXPECT_EQ(ImagePixel(copy, 9, 1), 0xC8000000u);
}

TEST_F(ImageCore, MarginsAndCropping) {
    Offscreen image = Image(8, 6, 0, 255);
    for (SInt16 y = 0; y < 6; y++)
        for (SInt16 x = 0; x < 8; x++) OffscreenSetPixel(image, x, y, UInt8(x), UInt8(y), 0, 255);
    Rect r = {2, 3, 5, 7};
    Offscreen crop = Keep(OffscreenCrop(image, &r));
    ASSERT_NE(crop, nullptr);
    EXPECT_EQ(ImageWH(crop), std::make_pair(4, 3));
    EXPECT_EQ(ImagePixel(crop, 0, 0), 0xFF030200u);
    EXPECT_EQ(ImagePixel(crop, 3, 2), 0xFF060400u);
    Rect outside = {-10, 6, -8, 30};  // partly beyond: transparent there
    Offscreen edge = Keep(OffscreenCrop(image, &outside));
    ASSERT_NE(edge, nullptr);
    EXPECT_EQ(ImagePixel(edge, 0, 0), 0u);
    Rect empty = {3, 3, 3, 9}, extreme = {-32768, -32768, 32767, 32767};
    EXPECT_EQ(OffscreenCrop(image, &empty), nullptr);
    EXPECT_EQ(OffscreenCrop(image, &extreme), nullptr);  // beyond the port limit

    OrvaMarginsRecord m = {1, 2, 3, 4};
    Offscreen framed = Keep(OffscreenAddMargins(image, &m, 255, 0, 0, 50));
    ASSERT_NE(framed, nullptr);
    EXPECT_EQ(ImageWH(framed), std::make_pair(14, 10));
    EXPECT_EQ(ImagePixel(framed, 0, 0), 0x7FFF0000u);
    EXPECT_EQ(ImagePixel(framed, 2, 1), 0xFF000000u);
    EXPECT_EQ(ImagePixel(framed, 9, 6), 0xFF070500u);
    OrvaMarginsRecord cut = {-3, -4, -3, -4};
    EXPECT_EQ(OffscreenAddMargins(image, &cut, 0, 0, 0, 0), nullptr);
}

TEST_F(ImageCore, FlipsAndMirrors) {
    Offscreen row = Image(3, 1, 0, 0);
    for (SInt16 x = 0; x < 3; x++) OffscreenSetPixel(row, x, 0, UInt8(x), 0, 0, x);
    OffscreenFlip(row);
    EXPECT_EQ(ImagePixel(row, 0, 0), 0u);
    OffscreenMirror(row);
    EXPECT_EQ(ImagePixels(row), (std::vector<UInt32>{0x02020000, 0x01010000, 0}));
    Offscreen column = Image(1, 3, 0, 0);
    for (SInt16 y = 0; y < 3; y++) OffscreenSetPixel(column, 0, y, 0, UInt8(y), 0, y);
    OffscreenFlip(column);
    EXPECT_EQ(ImagePixels(column), (std::vector<UInt32>{0x02000200, 0x01000100, 0}));
}

TEST_F(ImageCore, ImagesWithoutPlanesAreOpaque) {
    Offscreen source = Plain(2, 2, 0x112233);
    EXPECT_EQ(ImagePixel(source, 1, 1), 0xFF112233u);
    SetStorePixel(source, 0, 0, 0xABCDEF);
    for (SInt16 mode : {kEmbedBlend, kEmbedReplace, kEmbedDoubleMultiply}) {
        SCOPED_TRACE(mode);
        Offscreen d = Image(2, 2, 0xFFFFFF, 0);
        OffscreenEmbed(source, d, 0, 0, mode);
        EXPECT_EQ(ImagePixel(d, 1, 1) >> 24, mode == kEmbedDoubleMultiply ? 0u : 255u);
        if (mode != kEmbedDoubleMultiply) {
            EXPECT_EQ(ImagePixel(d, 0, 0), 0xFFABCDEFu);
        }
        Offscreen bare = Plain(3, 3, 0x000000);
        OffscreenEmbed(d, bare, 1, 1, mode);
        EXPECT_NE(bare->opacity, nullptr);
    }
    Offscreen copy = Plain(2, 2, 0);
    OffscreenCopy(source, copy, 0, 0, 0, 0);
    ASSERT_NE(copy->opacity, nullptr);
    EXPECT_EQ(ImagePixel(copy, 0, 0), 0xFFABCDEFu);
    Offscreen small = Image(1, 1, 0, 0);
    OffscreenCopy(source, small, 0, 0, 0, 0);
    EXPECT_EQ(ImagePixel(small, 0, 0), 0xFFABCDEFu);  // centred: offset (2 - 1) / 2 = 0
    OffscreenFlip(source);
    EXPECT_EQ(ImagePixel(source, 0, 1), 0xFFABCDEFu);
    OffscreenMirror(source);
    EXPECT_EQ(ImagePixel(source, 1, 1), 0xFFABCDEFu);
    EXPECT_NE(source->opacity, nullptr);
    Offscreen duplicate = Keep(OffscreenDuplicate(Plain(3, 2, 0x010203)));
    EXPECT_EQ(ImagePixel(duplicate, 2, 1), 0xFF010203u);
}

TEST_F(ImageCore, DrawingIntoAnImageBlendsThroughThePlane) {
    Offscreen target = Image(8, 8, 0x0000FF, 255);
    Offscreen picture = Image(4, 4, 0xFF0000, 255);
    OffscreenSetPixel(picture, 0, 0, 0, 255, 0, 0);  // transparent corner
    SetPort(target);
    Rect src = {0, 0, 4, 4}, dst = {2, 2, 6, 6};
    OffscreenCopyBits(picture, &src, &dst, 1);
    EXPECT_EQ(qd.thePort, target);
    EXPECT_EQ(ImagePixel(target, 2, 2), 0xFF0000FFu);
    EXPECT_EQ(ImagePixel(target, 3, 3), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(target, 6, 6), 0xFF0000FFu);
    Rect half = {2, 2, 4, 4}, scaled = {0, 0, 8, 8};  // a crop drawn at twice its size
    OffscreenCopyBits(picture, &half, &scaled, 1);
    EXPECT_EQ(ImagePixel(target, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(ImagePixel(target, 7, 7), 0xFFFF0000u);
    Rect none = {0, 0, 0, 0};
    OffscreenCopyBits(picture, &src, &none, 1);  // nothing to draw
}

TEST_F(ImageCore, DrawingIntoAnOrdinaryPortMasksThroughCopyBits) {
    GrafPort port;
    OpenTestPort(&port, 6, 6);
    Offscreen picture = Image(2, 1, 0xFF0000, 255);
    OffscreenSetPixel(picture, 1, 0, 0, 255, 0, 0);
    Rect src = {0, 0, 1, 2}, dst = {1, 1, 2, 3};
    RGBColor white = {0xFFFF, 0xFFFF, 0xFFFF};
    RGBForeColor(&white);
    PaintRect(&port.portRect);
    OffscreenCopyBits(picture, &src, &dst, 1);
    EXPECT_EQ(PortPixel(&port, 1, 1), 0xFF0000u);
    EXPECT_EQ(PortPixel(&port, 2, 1), 0xFFFFFFu);  // transparent: not drawn
    OffscreenCopyBits(picture, &src, &dst, 0);     // plane ignored
    EXPECT_EQ(PortPixel(&port, 2, 1), 0x00FF00u);
    EXPECT_NE(picture->opacity, nullptr);
    SetPort(nullptr);
    ClosePort(&port);
}

}  // namespace
