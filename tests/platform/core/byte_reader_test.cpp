// ctest-labels: layers
// The bounded byte cursor and its writer: every width at the last offset that holds it and one
// past, the sticky failure, and a writer that grows, trims and fails cleanly.
#include "platform/core/byte_reader.h"

#include <gtest/gtest.h>

#include "platform/core/memory.h"

namespace {

const UInt8 kBytes[8] = {0x01, 0x82, 0x03, 0x84, 0x05, 0x86, 0x07, 0x88};

TEST(ByteReader, EveryWidthReadsAtTheLastOffsetThatHoldsItAndFailsOnePast) {
    const struct {
        const char *label;
        size_t width;
        UInt32 (*read)(ByteReader *);
        UInt32 last;  // the value at offset 8 - width
    } rows[] = {
        {"8", 1, [](ByteReader *r) { return UInt32(Get8(r)); }, 0x88},
        {"16", 2, [](ByteReader *r) { return UInt32(Get16(r)); }, 0x0788},
        {"24", 3, [](ByteReader *r) { return Get24(r); }, 0x860788},
        {"32", 4, [](ByteReader *r) { return Get32(r); }, 0x05860788},
        {"16LE", 2, [](ByteReader *r) { return UInt32(Get16LE(r)); }, 0x8807},
        {"32LE", 4, [](ByteReader *r) { return Get32LE(r); }, 0x88078605},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.label);
        ByteReader r = OrvaByteReader(kBytes, sizeof kBytes);
        Seek(&r, sizeof kBytes - row.width);
        EXPECT_EQ(row.read(&r), row.last);
        EXPECT_FALSE(r.failed);
        EXPECT_EQ(ByteReaderLeft(&r), 0u);
        ByteReader past = OrvaByteReader(kBytes, sizeof kBytes);
        Seek(&past, sizeof kBytes - row.width + 1);
        EXPECT_EQ(row.read(&past), 0u);
        EXPECT_TRUE(past.failed);
        EXPECT_EQ(past.position, sizeof kBytes);  // moved to the end, nothing read
    }
}

TEST(ByteReader, AFailureStaysAndLaterReadsAnswerZero) {
    ByteReader r = OrvaByteReader(kBytes, sizeof kBytes);
    Skip(&r, 9);
    EXPECT_TRUE(r.failed);
    Seek(&r, 0);  // a seek inside does not mend it
    EXPECT_EQ(Get8(&r), 0x01);
    EXPECT_TRUE(r.failed);
    UInt8 out[4] = {9, 9, 9, 9};
    ByteReader empty = OrvaByteReader(nullptr, 100);  // no buffer: nothing to read
    EXPECT_FALSE(Bytes(&empty, out, sizeof out));
    EXPECT_EQ(out[3], 0);  // zeroed
    ByteReader whole = OrvaByteReader(kBytes, sizeof kBytes);
    Skip(&whole, 2);
    ByteReader sub = SubReader(&whole, 3);
    EXPECT_EQ(Get24(&sub), 0x038405u);
    EXPECT_EQ(Get8(&sub), 0);
    EXPECT_TRUE(sub.failed);
    EXPECT_FALSE(whole.failed);
    ByteReader cut = SubReader(&whole, 4);  // three bytes remain: the chunk keeps them
    EXPECT_TRUE(whole.failed);
    EXPECT_EQ(Get24(&cut), 0x860788u);
    UInt8 rest[4];
    ByteReader tail = OrvaByteReader(kBytes, sizeof kBytes);
    Seek(&tail, 6);
    EXPECT_FALSE(Bytes(&tail, rest, sizeof rest));
    EXPECT_EQ(rest[0], 0x07);  // what remained, then zeros
    EXPECT_EQ(rest[2], 0);
}

TEST(ByteWriter, GrowsTrimsAndReadsBack) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    for (UInt32 i = 0; i < 100; i++) Put32(&w, i * 0x01010101u);
    Put24(&w, 0xABCDEF);
    Put16LE(&w, 0x1234);
    Put32LE(&w, 0x89ABCDEF);
    Put16(&w, 0x5678);
    Put8(&w, 0x9A);
    ASSERT_TRUE(FinishByteWriter(&w));
    ASSERT_EQ(GetHandleSize(h), 400u + 3 + 2 + 4 + 2 + 1);
    ByteReader r = OrvaByteReader(*h, GetHandleSize(h));
    Skip(&r, 99 * 4);
    EXPECT_EQ(Get32(&r), 99u * 0x01010101u);
    EXPECT_EQ(Get24(&r), 0xABCDEFu);
    EXPECT_EQ(Get16LE(&r), 0x1234);
    EXPECT_EQ(Get32LE(&r), 0x89ABCDEFu);
    EXPECT_EQ(Get16(&r), 0x5678);
    EXPECT_EQ(Get8(&r), 0x9A);
    EXPECT_FALSE(r.failed);
    DisposHandle(h);
}

TEST(ByteWriter, NoRoomToGrowFailsAndKeepsWhatWasWritten) {
    Handle h = NewHandle(4);
    HLock(h);  // a locked handle cannot grow
    ByteWriter w = OrvaByteWriter(h);
    Put32(&w, 0x01020304);
    Put8(&w, 5);
    Put8(&w, 6);
    EXPECT_FALSE(FinishByteWriter(&w));
    EXPECT_EQ(GetHandleSize(h), 4u);
    ByteReader r = OrvaByteReader(*h, 4);
    EXPECT_EQ(Get32(&r), 0x01020304u);
    HUnlock(h);
    DisposHandle(h);
    ByteWriter none = OrvaByteWriter(nullptr);
    Put8(&none, 1);
    EXPECT_FALSE(FinishByteWriter(&none));
}

}  // namespace
