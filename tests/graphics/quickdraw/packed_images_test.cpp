// ctest-labels: transfer transfer.packbits
// PackBits and the packed images of pictures: the packet cases, round trips of random rows,
// direct and indexed images drawn into a port, large images in bands, and broken packed data
// that must stop at the end of the image data.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"

namespace {

typedef std::vector<UInt8> Bytes;

Bytes Pack(const Bytes &in) {
    Bytes out(size_t(OrvaPackBitsBound(SInt32(in.size()))) + 1);
    Ptr s = (Ptr)in.data(), d = (Ptr)out.data();
    PackBits(&s, &d, SInt32(in.size()));
    EXPECT_EQ(s, (Ptr)in.data() + in.size());
    out.resize(size_t(d - (Ptr)out.data()));
    return out;
}

// Rows packed with their lengths, as a picture stores them.
Bytes PackedRows(const std::vector<Bytes> &rows, SInt32 rowBytes) {
    Bytes out;
    for (const Bytes &row : rows) {
        Bytes packed(size_t(2 + OrvaPackBitsBound(SInt32(row.size()))));
        SInt32 n = OrvaPackPictRow(row.data(), SInt32(row.size()), rowBytes, packed.data());
        out.insert(out.end(), packed.begin(), packed.begin() + n);
    }
    return out;
}

// A picture's pixel-map header: no pixels of its own.
PixMap Header(SInt16 rowBytes, Rect bounds, SInt16 pixelSize, SInt16 packType = 0, SInt16 cmpCount = 0) {
    PixMap map;
    std::memset(&map, 0, sizeof map);
    map.rowBytes = SInt16(rowBytes | kPixMapFlag);
    map.bounds = bounds;
    map.pixelSize = pixelSize;
    map.packType = packType;
    map.cmpCount = cmpCount;
    return map;
}

class PackedImages : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        OpenTestPort(&port, 64, 64);
        OrvaFillSurfaceRect(&port, 0, 0, 63, 63, 0x00FF00);
    }
    void TearDown() override { ClosePort(&port); }
};

TEST(PackBits, PacketCases) {
    struct Row {
        Bytes in, out;
    };
    const Row rows[] = {
        {{7, 7, 7, 7, 7}, {0xFC, 7}},
        {{1, 2, 3, 3, 3, 4}, {0x01, 1, 2, 0xFE, 3, 0x00, 4}},
        {{1, 2, 3, 3, 3}, {0x04, 1, 2, 3, 3, 3}},
        {{9}, {0x00, 9}},
        {{5, 5}, {0x01, 5, 5}},
    };
    for (const Row &row : rows) EXPECT_EQ(Pack(row.in), row.out);
    // Runs and literals stop at 127 bytes.
    Bytes run(300, 0xAA);
    EXPECT_EQ(Pack(run), (Bytes{0x82, 0xAA, 0x82, 0xAA, 0xD3, 0xAA}));
}

TEST(PackBits, RandomRowsRoundTrip) {
    std::mt19937 random(1234);
    for (int n = 0; n < 10000; n++) {
        SInt32 width = 1 + SInt32(random() % 600);
        Bytes row(static_cast<size_t>(width));
        // Few distinct values, so that runs of every length occur.
        UInt32 alphabet = 1 + random() % 4;
        for (UInt8 &b : row) b = UInt8(random() % alphabet);
        if (n % 3 == 0)
            for (UInt8 &b : row) b = UInt8(random());
        Bytes packed = Pack(row);
        ASSERT_LE(SInt32(packed.size()), OrvaPackBitsBound(width));
        Bytes out(static_cast<size_t>(width));
        SInt32 produced = -1;
        ASSERT_TRUE(OrvaUnpackRow(packed.data(), SInt32(packed.size()), 1, out.data(), width, &produced));
        ASSERT_EQ(produced, width);
        ASSERT_EQ(out, row) << n;
    }
}

TEST(PackBits, UnpackingStopsAtItsBoundsAndSkipsALoneFlag) {
    Bytes out(4, 0);
    SInt32 produced;
    const UInt8 lone[] = {0x01, 5, 6, 0x00};  // the last flag has nothing after it
    EXPECT_TRUE(OrvaUnpackRow(lone, 4, 1, out.data(), 4, &produced));
    EXPECT_EQ(produced, 2);
    const UInt8 tooLong[] = {0xF0, 1};  // 17 bytes into 4
    EXPECT_FALSE(OrvaUnpackRow(tooLong, 2, 1, out.data(), 4, &produced));
    const UInt8 cut[] = {0x03, 1, 2};  // a literal of 4 with 2 bytes left
    EXPECT_FALSE(OrvaUnpackRow(cut, 3, 1, out.data(), 4, &produced));
    const UInt8 words[] = {0xFF, 0x12, 0x34};  // a word repeated twice
    EXPECT_TRUE(OrvaUnpackRow(words, 3, 2, out.data(), 4, &produced));
    EXPECT_EQ(out, (Bytes{0x12, 0x34, 0x12, 0x34}));
}

TEST(PackBits, PiqueReadsBigEndianAndTheFrameFollowsThePictureKind) {
    const UInt8 data[] = {0x81, 0x12, 0x34, 0xFF, 0xFE, 0x00, 0x01};
    const UInt8 *p = data;
    EXPECT_EQ(pique(&p), 0x81);
    EXPECT_EQ(pique_mot(&p), 0x1234);
    EXPECT_EQ(pique_long(&p), SInt32(0xFFFE0001));
    EXPECT_EQ(p, data + 7);
    Handle pic = NewHandleClear(16);
    const UInt8 big[] = {0, 0, 0, 1, 0, 2, 0, 30, 0, 40};
    std::memcpy(*pic, big, sizeof big);
    Rect frame;
    OrvaGetPicFrame((PicHandle)pic, &frame);
    EXPECT_EQ(frame.top, 1);
    EXPECT_EQ(frame.right, 40);
    const UInt8 own[] = {0x00, 0x11, 0xCA, 0xFE};
    std::memcpy(*pic + 10, own, 4);
    Rect memoryOrder = {3, 4, 50, 60};
    std::memcpy(*pic + 2, &memoryOrder, 8);
    OrvaGetPicFrame((PicHandle)pic, &frame);
    EXPECT_EQ(frame.bottom, 50);
    EXPECT_EQ(frame.right, 60);
    DisposeHandle(pic);
}

TEST_F(PackedImages, SixteenBitWhiteIs248) {
    // packType 3: words, big-endian; 7FFF repeated 4 times, then 7C00 4 times.
    const UInt8 rows[] = {6, 0xFD, 0x7F, 0xFF, 0xFD, 0x7C, 0x00};
    PixMap map = Header(16, {0, 0, 1, 8}, 16, 3);
    Rect r = {0, 0, 1, 8};
    EXPECT_EQ(PutPicture24Bits(rows, rows + sizeof rows, &map, &r, &r, srcCopy), rows + sizeof rows);
    EXPECT_EQ(PortPixel(&port, 0, 0), 0xF8F8F8u);
    EXPECT_EQ(PortPixel(&port, 7, 0), 0xF80000u);
}

TEST_F(PackedImages, ThirtyTwoBitPlanesWithAndWithoutAlpha) {
    for (SInt16 planes : {3, 4}) {
        SCOPED_TRACE(planes);
        SInt16 width = 10, height = 3;
        std::vector<Bytes> rows;
        for (SInt32 y = 0; y < height; y++) {
            Bytes row;
            if (planes == 4) row.insert(row.end(), size_t(width), 0x77);  // alpha: set aside
            for (SInt32 k = 0; k < 3; k++)
                for (SInt32 x = 0; x < width; x++) row.push_back(UInt8(x * 20 + k * 5 + y));
            rows.push_back(row);
        }
        Bytes data = PackedRows(rows, width * 4);
        PixMap map = Header(SInt16(width * 4), {10, 20, SInt16(10 + height), SInt16(20 + width)}, 32, 4, planes);
        Rect src = {11, 22, 13, 30}, dst = {0, 0, 2, 8};
        EXPECT_EQ(PutPicture24Bits(data.data(), data.data() + data.size(), &map, &src, &dst, srcCopy),
                  data.data() + data.size());
        for (SInt32 y = 0; y < 2; y++)
            for (SInt32 x = 0; x < 8; x++) {
                UInt32 sx = UInt32(x + 2), sy = UInt32(y + 1);
                UInt32 expected = (sx * 20 + sy) << 16 | (sx * 20 + 5 + sy) << 8 | (sx * 20 + 10 + sy);
                EXPECT_EQ(PortPixel(&port, x, y), expected) << x << "," << y;
            }
    }
}

TEST_F(PackedImages, ShortBitmapRowsAreCopiedAsTheyAre) {
    // rowBytes 6 (below 8): rows stored raw, 6 bytes each, 2 rows.
    const UInt8 data[] = {0xF0, 0, 0, 0, 0, 0, 0x0F, 0, 0, 0, 0, 0};
    BitMap bits;
    bits.baseAddr = nullptr;
    bits.rowBytes = 6;
    bits.bounds = {0, 0, 2, 48};
    Rect r = {0, 0, 2, 8};
    EXPECT_EQ(PutPicture(data, data + sizeof data, &bits, &r, &r, srcCopy), data + 12);
    EXPECT_EQ(PortPixel(&port, 0, 0), 0u);
    EXPECT_EQ(PortPixel(&port, 4, 0), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 0, 1), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 7, 1), 0u);
    // Cut short: nothing is drawn and the position moves to the end.
    OrvaFillSurfaceRect(&port, 0, 0, 63, 63, 0x00FF00);
    EXPECT_EQ(PutPicture(data, data + 7, &bits, &r, &r, srcCopy), data + 7);
    EXPECT_EQ(PortPixel(&port, 0, 0), 0x00FF00u);
}

TEST_F(PackedImages, PackedIndexedRowsAndTheirBreakage) {
    CTabHandle table = (CTabHandle)NewHandleClear(sizeof(ColorTable) + sizeof(ColorSpec));
    (*table)->ctSize = 1;
    (*table)->ctTable[0].rgb = {0xFFFF, 0, 0};
    (*table)->ctTable[1].rgb = {0, 0, 0xFFFF};
    std::vector<Bytes> rows = {Bytes(10, 0), Bytes(10, 1)};
    rows[0][9] = 1;
    Bytes data = PackedRows(rows, 10);
    PixMap map = Header(10, {0, 0, 2, 10}, 8);
    map.pmTable = table;
    Rect r = {0, 0, 2, 10};
    const UInt8 *end = data.data() + data.size();
    EXPECT_EQ(PutPicture(data.data(), end, (const BitMap *)&map, &r, &r, srcCopy), end);
    EXPECT_EQ(PortPixel(&port, 0, 0), 0xFF0000u);
    EXPECT_EQ(PortPixel(&port, 9, 0), 0x0000FFu);
    EXPECT_EQ(PortPixel(&port, 3, 1), 0x0000FFu);
    // The pen hidden: nothing drawn, the rows still consumed.
    OrvaFillSurfaceRect(&port, 0, 0, 63, 63, 0x00FF00);
    port.pnVis = -1;
    EXPECT_EQ(PutPicture(data.data(), end, (const BitMap *)&map, &r, &r, srcCopy), end);
    port.pnVis = 0;
    EXPECT_EQ(PortPixel(&port, 0, 0), 0x00FF00u);
    // A length past the data, and packets unpacking beyond rowBytes: the image ends there.
    Bytes broken = data;
    broken[0] = 200;
    EXPECT_EQ(PutPicture(broken.data(), broken.data() + broken.size(), (const BitMap *)&map, &r, &r, srcCopy),
              broken.data() + broken.size());
    Bytes overlong = {3, 0xE0, 1, 0};  // a run of 33 into rows of 10
    EXPECT_EQ(PutPicture(overlong.data(), overlong.data() + overlong.size(), (const BitMap *)&map, &r, &r, srcCopy),
              overlong.data() + overlong.size());
    EXPECT_EQ(PortPixel(&port, 0, 0), 0x00FF00u);
    DisposeHandle((Handle)table);
}

TEST_F(PackedImages, LargeImagesAreDrawnInBandsThatMeet) {
    // 16000 pixels wide: bands of 125 rows. A 60-column window of 300 rows at 1:1.
    SInt32 width = 16000, height = 300, rowBytes = width / 8;
    std::vector<Bytes> rows;
    Bytes plain;
    for (SInt32 y = 0; y < height; y++) {
        Bytes row(static_cast<size_t>(rowBytes));
        for (SInt32 i = 0; i < rowBytes; i++) row[size_t(i)] = UInt8((i * 37 + y * 11) ^ (y >> 3));
        plain.insert(plain.end(), row.begin(), row.end());
        rows.push_back(row);
    }
    Bytes data = PackedRows(rows, rowBytes);
    GrafPtr banded = NewFilledOffscreen(60, 300, 24, 0x00FF00), whole = NewFilledOffscreen(60, 300, 24, 0x00FF00);
    BitMap bits;
    bits.baseAddr = nullptr;
    bits.rowBytes = SInt16(rowBytes);
    bits.bounds = {0, 0, SInt16(height), SInt16(width)};
    Rect src = {0, 8000, 300, 8060}, dst = {0, 0, 300, 60};
    SetPort(banded);
    EXPECT_EQ(PutPicture(data.data(), data.data() + data.size(), &bits, &src, &dst, srcCopy), data.data() + data.size());
    SetPort(whole);
    bits.baseAddr = (Ptr)plain.data();
    CopyBits(&bits, nullptr, &src, &dst, srcCopy, nullptr);
    for (SInt32 y = 0; y < 300; y++)
        for (SInt32 x = 0; x < 60; x++) ASSERT_EQ(StorePixel(banded, x, y), StorePixel(whole, x, y)) << x << "," << y;
    SetPort(&port);
    OrvaClosePortOffscreen(banded);
    OrvaClosePortOffscreen(whole);
}

TEST_F(PackedImages, MutatedImagesStayInsideTheirData) {
    // A valid packed image of each kind, then 1000 mutations of each, drawn into the port.
    std::mt19937 random(77);
    std::vector<Bytes> rows;
    for (SInt32 y = 0; y < 6; y++) {
        Bytes row(36);
        for (size_t i = 0; i < row.size(); i++) row[i] = UInt8(i < 12 ? y : random() % 3);
        rows.push_back(row);
    }
    const Bytes base = PackedRows(rows, 36);
    for (int n = 0; n < 1000; n++) {
        Bytes data = base;
        for (int k = 0; k < 1 + n % 4; k++) data[random() % data.size()] = UInt8(random());
        if (n % 7 == 0) data.resize(random() % data.size());
        PixMap map;
        std::memset(&map, 0, sizeof map);
        map.rowBytes = SInt16((n % 5 == 0 ? 36 + random() % 300 : 36) | kPixMapFlag);
        map.bounds = {0, 0, SInt16(1 + random() % 12), SInt16(1 + random() % 12)};
        map.pixelSize = SInt16(1 << (random() % 6));
        map.cmpCount = SInt16(3 + random() % 2);
        map.packType = SInt16(n % 3 == 0 ? random() % 5 : 4);
        Rect r = {SInt16(random() % 8), SInt16(random() % 8), 40, 40};
        // The vector holds exactly the image, so that the sanitizers see every read past it.
        const UInt8 *begin = data.empty() ? nullptr : data.data(), *end = begin + data.size();
        const UInt8 *after = PutPicture24Bits(begin, end, &map, &r, &r, srcCopy);
        EXPECT_TRUE(after >= begin && after <= end);
        if (n % 2) map.rowBytes = SInt16(map.rowBytes & 0x7FFF);
        after = PutPicture(begin, end, (const BitMap *)&map, &r, &r, srcCopy);
        EXPECT_TRUE(after == nullptr || (after >= begin && after <= end));
    }
}

}  // namespace
