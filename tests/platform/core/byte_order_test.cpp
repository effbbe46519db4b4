// ctest-labels: raster
// Byte-order swaps and the overlap-safe block helpers.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/core/byte_order.h"

namespace {

TEST(ByteOrder, SwapsWordsLongsAndRectangles) {
    EXPECT_EQ(wintel2moto(0x1234), 0x3412);
    EXPECT_EQ(lintel2moto(0x12345678u), 0x78563412u);
    EXPECT_EQ(long_to_os(0x000000FFu), 0xFF000000u);
    Rect r = {0x0102, 0x0304, SInt16(0x8000), -1};
    rintel2moto(&r);
    EXPECT_EQ(r.top, 0x0201);
    EXPECT_EQ(r.left, 0x0403);
    EXPECT_EQ(r.bottom, 0x0080);
    EXPECT_EQ(r.right, -1);
}

TEST(ByteOrder, ZonesSwapWholeWordsOnly) {
    UInt8 block[7] = {1, 2, 3, 4, 5, 6, 7};
    ZoneWintel2moto(block, 1);
    EXPECT_EQ(block[0], 1);
    ZoneWintel2moto(block, 5);
    const UInt8 words[7] = {2, 1, 4, 3, 5, 6, 7};
    EXPECT_EQ(std::memcmp(block, words, 7), 0);
    ZoneLintel2moto(block, 7);
    const UInt8 longs[7] = {3, 4, 1, 2, 5, 6, 7};
    EXPECT_EQ(std::memcmp(block, longs, 7), 0);
    ZoneLintel2moto(block, 3);
    EXPECT_EQ(std::memcmp(block, longs, 7), 0);
}

TEST(ByteOrder, BlockCopiesOverlapSafelyAndAnswerWhereToGoOn) {
    char text[] = "abcdefgh";
    EXPECT_EQ(FastMemCpy(text + 2, text, 4), text + 2);
    EXPECT_STREQ(text, "ababcdgh");
    const void *next = Blitte(text, text + 1, 3);
    EXPECT_EQ(next, text + 4);
    EXPECT_STREQ(text, "babbcdgh");
    EXPECT_EQ(RemplitZone(text, 2, 'z'), text + 2);
    EXPECT_STREQ(text, "zzbbcdgh");
    EXPECT_EQ(FastMemCpy(text, text + 1, -3), text);
    EXPECT_STREQ(text, "zzbbcdgh");
}

}  // namespace
