// ctest-labels: periphery
// Strings, type codes, bit extraction, 16.16 fixed point, the string comparisons and the
// command-key test.
#include "platform/core/utilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/core/back_end.h"

namespace {

TEST(Strings, CAndLengthPrefixedFormsConvertInPlaceKeepingAtMost255) {
    char empty[1] = "";
    EXPECT_EQ(C2Pas(empty)[0], 0);
    char text[8] = "abc";
    StringPtr p = C2Pas(text);
    EXPECT_EQ(p[0], 3);
    EXPECT_EQ(memcmp(p + 1, "abc", 3), 0);
    EXPECT_STREQ(Pas2C(p), "abc");

    char longText[301];
    for (int i = 0; i < 300; i++) longText[i] = char('a' + i % 26);
    longText[300] = 0;
    std::string original(longText);
    p = C2Pas(longText);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(p + 1), 255), original.substr(0, 255));
    p[0] = 200;
    EXPECT_EQ(std::string(Pas2C(p)), original.substr(0, 200));

    char code[kTypeCodeBufferSize];
    EXPECT_STREQ(cvttype(FourCC("PICT"), code), "PICT");
}

TEST(Bits, ExtractionTakesTheTopBitsAndShifts) {
    UInt16 word = 0xA000;
    EXPECT_EQ(orva_extrait_bit(&word, 3), 5);
    EXPECT_EQ(word, 0);
    word = 0xA000;
    EXPECT_EQ(orva_extrait_bit(&word, 0), 0);
    EXPECT_EQ(word, 0xA000);
    word = 0x8001;
    EXPECT_EQ(orva_extrait_bit(&word, 16), 0x8001);
    EXPECT_EQ(word, 0);
    Rect r = {10, 20, 30, 40};
    EXPECT_TRUE(orva_dans_rect(20, 10, &r));
    EXPECT_FALSE(orva_dans_rect(40, 10, &r));
    EXPECT_FALSE(orva_dans_rect(20, 30, &r));
}

TEST(FixedPoint, ProductsRatiosRoundingAndShifts) {
    struct Row {
        const char *label;
        Fixed got, expected;
    } rows[] = {
        {"FixMul just below one", FixMul(0xFFFF, 0xFFFF), 0xFFFE},
        {"FixMul 2 x -1.5", FixMul(0x20000, -0x18000), -0x30000},
        {"FixRatio 1/3", FixRatio(1, 3), 0x5555},
        {"FixRatio -1/0", FixRatio(-1, 0), Fixed(0x80000001)},
        {"FixRatio 1/0", FixRatio(1, 0), 0x7FFFFFFF},
        {"FixRatio -32768/-1", FixRatio(-32768, -1), 0x7FFFFFFF},
        {"FixRatio -1/2", FixRatio(-1, 2), -0x8000},
        {"FixDiv 1/4", FixDiv(0x10000, 0x40000), 0x4000},
        {"FixDiv -3/2", FixDiv(-0x30000, 0x20000), -0x18000},
        {"FixDiv by zero", FixDiv(0x10000, 0), -1},
        {"FixDiv negative by zero", FixDiv(-0x10000, 0), 1},
        {"FixRound 1.5", FixRound(0x18000), 2},
        {"FixRound -1.5", FixRound(-0x18000), -1},
        {"FixRound 1.25", FixRound(0x14000), 1},
        {"Fix2Long -0.5", Fix2Long(-0x8000), -1},
        {"Long2Fix -3", Long2Fix(-3), -0x30000},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.got, row.expected);
    }
}

TEST(Comparisons, OrderCaseAndPrefixes) {
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\005Hello", (ConstStr255Param) "\005hELLO"), 0);
    EXPECT_EQ(IUCompString((ConstStr255Param) "\005Hello", (ConstStr255Param) "\005hello"), -1);
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\002ab", (ConstStr255Param) "\003abc"), -1);
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\003abc", (ConstStr255Param) "\002ab"), 1);
    EXPECT_EQ(IUCompString((ConstStr255Param) "\002ab", (ConstStr255Param) "\002ab"), 0);
    // A prefix sorts first, without reading past the shorter string.
    EXPECT_EQ(IUMagString("ab", "abc", 2, 3), -1);
    EXPECT_EQ(IUMagString("abc", "ab", 3, 2), 1);
    EXPECT_EQ(IUMagString("ab", "abc", 2, 2), 0);
    EXPECT_EQ(IUMagString("b", "a", 1, 1), 1);
    EXPECT_EQ(IUMagString("a", "b", 1, 1), -1);
    // Bytes from 0x80 compare as negative: they sort before ASCII.
    EXPECT_EQ(IUMagString("\x80", "a", 1, 1), -1);
    EXPECT_EQ(IUMagIDString("", "", 0, 0), 0);
}

TEST(Bits, BitsCountFromTheMostSignificantBit) {
    UInt8 bytes[2] = {0x80, 0x01};
    EXPECT_TRUE(BitTst(bytes, 0));
    EXPECT_FALSE(BitTst(bytes, 1));
    EXPECT_TRUE(BitTst(bytes, 15));
    EXPECT_FALSE(BitTst(bytes, -1));
    BitSet(bytes, 9);
    EXPECT_EQ(bytes[1], 0x41);
    BitClr(bytes, 0);
    BitSet(bytes, -3);
    EXPECT_EQ(bytes[0], 0x00);
    EXPECT_EQ(LoWord(0x12345678), 0x5678);
    EXPECT_EQ(HiWord(SInt32(0xFEDC1234)), SInt16(0xFEDC));
}

TEST(Keyboard, OnlyTheCommandKeyCountsAsCommand) {
    // Key k: word k / 32, bit (k ^ 24) & 31 of the back end's key map: key 32 (U) is bit 24 and
    // key 55 (command) bit 15 of word 1.
    const UInt32 none[4] = {}, letterU[4] = {0, 1u << 24, 0, 0}, command[4] = {0, 1u << 15, 0, 0};
    OrvaSetStandInKeyMap(none);
    EXPECT_FALSE(is_command());
    OrvaSetStandInKeyMap(letterU);  // key 32, in the same key-map word
    EXPECT_FALSE(is_command());
    OrvaSetStandInKeyMap(command);
    EXPECT_TRUE(is_command());
    OrvaSetStandInKeyMap(nullptr);
}

}  // namespace
