// ctest-labels: layout
// DrawBMP with files made here byte by byte: every depth, bit fields, RLE, top-down rows and the
// OS/2 header, drawn into a port and read back pixel by pixel; and files that are cut short,
// claim impossible sizes or are not BMPs, which draw an empty frame.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/quickdraw/shapes.h"
#include "layout/bmp_images.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"

namespace {

typedef std::vector<UInt8> Bytes;

void Le16(Bytes *b, UInt32 v) {
    b->push_back(UInt8(v));
    b->push_back(UInt8(v >> 8));
}
void Le32(Bytes *b, UInt32 v) {
    Le16(b, v & 0xFFFF);
    Le16(b, v >> 16);
}

// A BMP file: the 14-byte file header, a 40-byte (or 12-byte OS/2) header, the masks, the
// palette (blue, green, red, 0 each) and the pixel bytes as given.
Bytes Bmp(SInt32 width, SInt32 height, UInt16 bits, UInt32 compression, const std::vector<UInt32> &palette,
          const Bytes &pixels, bool os2 = false, const std::vector<UInt32> &masks = {}) {
    Bytes info;
    if (os2) {
        Le32(&info, 12);
        Le16(&info, UInt32(width));
        Le16(&info, UInt32(height));
        Le16(&info, 1);
        Le16(&info, bits);
    } else {
        Le32(&info, 40);
        Le32(&info, UInt32(width));
        Le32(&info, UInt32(height));
        Le16(&info, 1);
        Le16(&info, bits);
        Le32(&info, compression);
        Le32(&info, UInt32(pixels.size()));
        Le32(&info, 2835);
        Le32(&info, 2835);
        Le32(&info, UInt32(palette.size()));
        Le32(&info, 0);
        for (UInt32 m : masks) Le32(&info, m);
    }
    for (UInt32 c : palette) {
        info.push_back(UInt8(c));          // blue
        info.push_back(UInt8(c >> 8));     // green
        info.push_back(UInt8(c >> 16));    // red
        if (!os2) info.push_back(0);
    }
    Bytes file = {'B', 'M'};
    Le32(&file, UInt32(14 + info.size() + pixels.size()));
    Le32(&file, 0);
    Le32(&file, UInt32(14 + info.size()));
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

const UInt32 kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF, kBlack = 0;

class BMPImages : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override { OpenTestPort(&port, 40, 40); }
    void TearDown() override { ClosePort(&port); }
    // Draws the file 1:1 at (10, 10), the port grey around it; answers DrawBMP's result.
    OSErr Draw(const Bytes &file, SInt16 width, SInt16 height) {
        OrvaFillSurfaceRect(&port, 0, 0, 39, 39, 0x808080);
        Handle h = NewHandle(UInt32(file.size()));
        std::memcpy(*h, file.data(), file.size());
        Rect r = {10, 10, SInt16(10 + height), SInt16(10 + width)};
        OSErr err = DrawBMP(h, &r);
        DisposHandle(h);
        return err;
    }
    UInt32 At(SInt32 x, SInt32 y) { return PortPixel(&port, 10 + x, 10 + y); }
};

TEST_F(BMPImages, EveryDepthReadsBackItsPixels) {
    const struct {
        const char *label;
        Bytes file;
        SInt16 width, height;
        std::vector<UInt32> expected;  // row after row from the top
    } rows[] = {
        // 24 bits, bottom-up: the bottom row first, rows padded to four bytes.
        {"24 bits", Bmp(2, 2, 24, 0, {}, {255, 0, 0, 255, 255, 255, 0, 0, /**/ 0, 0, 255, 0, 255, 0, 0, 0}), 2, 2,
         {kRed, kGreen, kBlue, kWhite}},
        // 8 bits through the palette, top-down (a negative height).
        {"8 bits top-down", Bmp(3, -2, 8, 0, {kBlack, kRed, kGreen, kBlue}, {1, 2, 3, 0, 3, 2, 1, 0}), 3, 2,
         {kRed, kGreen, kBlue, kBlue, kGreen, kRed}},
        // 4 bits: two pixels a byte, high nibble first.
        {"4 bits", Bmp(3, 1, 4, 0, {kBlack, kRed, kGreen, kBlue}, {0x12, 0x30, 0, 0}), 3, 1, {kRed, kGreen, kBlue}},
        // 1 bit: the most significant bit first.
        {"1 bit", Bmp(4, 1, 1, 0, {kWhite, kBlack}, {0xA0, 0, 0, 0}), 4, 1, {kBlack, kWhite, kBlack, kWhite}},
        // 16 bits, the default 5-5-5 fields, little-endian words.
        {"16 bits", Bmp(2, 1, 16, 0, {}, {0x00, 0x7C, 0x1F, 0x00}), 2, 1, {kRed, kBlue}},
        // 32 bits with 5-6-5-style fields given.
        {"32 bits with fields", Bmp(2, 1, 32, 3, {}, {0x00, 0xFF, 0, 0, 0, 0, 0xFF, 0}, false, {0xFF00, 0xFF0000, 0xFF}),
         2, 1, {kRed, kGreen}},
        // RLE8: a run of three red, a literal of three (padded to a word), the end of the line,
        // then of the image.
        {"RLE8", Bmp(6, 1, 8, 1, {kBlack, kRed, kGreen, kBlue}, {3, 1, 0, 3, 2, 3, 1, 0, 0, 0, 0, 1}), 6, 1,
         {kRed, kRed, kRed, kGreen, kBlue, kRed}},
        // RLE4: a run alternating its two nibbles.
        {"RLE4", Bmp(4, 1, 4, 2, {kBlack, kRed, kGreen, kBlue}, {4, 0x12, 0, 1}), 4, 1, {kRed, kGreen, kRed, kGreen}},
        // The OS/2 header with three-byte palette entries.
        {"OS/2", Bmp(2, 1, 8, 0, {kBlue, kGreen}, {1, 0, 0, 0}, true), 2, 1, {kGreen, kBlue}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(Draw(row.file, row.width, row.height), noErr);
        for (SInt16 y = 0; y < row.height; y++)
            for (SInt16 x = 0; x < row.width; x++)
                EXPECT_EQ(At(x, y), row.expected[size_t(y * row.width + x)]) << x << "," << y;
        EXPECT_EQ(At(-1, 0), 0x808080u);  // nothing outside the rectangle
    }
}

TEST_F(BMPImages, FilesThatDoNotDecodeDrawAnEmptyFrame) {
    Bytes good = Bmp(4, 4, 24, 0, {}, Bytes(48, 0));
    Bytes huge = Bmp(100000, 100000, 24, 0, {}, Bytes(48, 0));
    Bytes depth = Bmp(4, 4, 7, 0, {}, Bytes(48, 0));
    Bytes cut(good.begin(), good.begin() + 30);   // the header itself cut short
    Bytes notBmp(good);
    notBmp[0] = 'P';
    Bytes rle24 = Bmp(4, 4, 24, 1, {}, Bytes(48, 0));  // RLE only goes with 4 and 8 bits
    for (const Bytes *file : {&huge, &depth, &cut, &notBmp, &rle24}) {
        SCOPED_TRACE(file == &huge ? "huge" : file == &depth ? "depth" : file == &cut ? "cut" : file == &notBmp ? "not" : "rle24");
        EXPECT_EQ(Draw(*file, 4, 4), paramErr);
        EXPECT_EQ(At(0, 0), 0u);         // the frame
        EXPECT_EQ(At(3, 3), 0u);
        EXPECT_EQ(At(1, 1), 0x808080u);  // and nothing inside it
    }
    Offscreen image = reinterpret_cast<Offscreen>(1);
    EXPECT_EQ(DecodeBMP(nullptr, 0, &image), paramErr);
    EXPECT_EQ(image, nullptr);
    Rect r = {0, 0, 4, 4};
    EXPECT_EQ(DrawBMP(nullptr, &r), paramErr);
}

TEST_F(BMPImages, PixelDataCutShortLeavesTheMissingRowsWhite) {
    // Two rows of red and green declared; the file ends inside the second row stored, the top one.
    Bytes file = Bmp(1, 2, 24, 0, {}, {0, 0, 255, 0, 0, 255});
    ASSERT_EQ(Draw(file, 1, 2), noErr);
    EXPECT_EQ(At(0, 1), kRed);    // the bottom row, stored first
    EXPECT_EQ(At(0, 0), kWhite);  // the top row is missing
}

}  // namespace
