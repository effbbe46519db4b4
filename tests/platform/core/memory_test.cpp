// ctest-labels: threads
// Handles, pointers and their copies, including addresses that are not handles at all.
#include "platform/core/memory.h"

#include <cstring>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "platform/core/errors.h"

namespace {

TEST(Memory, SixteenThousandHandlesFillTheFirstBlockAndTheNextStartsASecond) {
    UInt32 blocks0, live0;
    OrvaCalculeNbHandle(&blocks0, &live0);
    ASSERT_LE(blocks0, 1u);  // nothing else in this program made thousands of handles
    std::vector<Handle> handles;
    for (UInt32 i = live0; i < 16385; i++) handles.push_back(NewHandle(4));
    UInt32 blocks, live;
    OrvaCalculeNbHandle(&blocks, &live);
    EXPECT_EQ(blocks, 2u);
    EXPECT_EQ(live, 16385u);

    // A disposed record is the next one handed out.
    Handle middle = handles[1000];
    DisposHandle(middle);
    EXPECT_EQ(MemError(), noErr);
    Handle again = NewHandle(8);
    EXPECT_EQ(again, middle);
    handles[1000] = again;

    for (Handle h : handles) DisposHandle(h);
    OrvaCalculeNbHandle(&blocks, &live);
    EXPECT_EQ(blocks, 2u);  // blocks are never released
    EXPECT_EQ(live, live0);
}

TEST(Memory, ZeroSizedHandleGrowsAndShrinks) {
    Handle h = NewHandle(0);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(*h, nullptr);
    EXPECT_EQ(GetHandleSize(h), 0u);
    SetHandleSize(h, 100);
    ASSERT_EQ(MemError(), noErr);
    ASSERT_NE(*h, nullptr);
    memset(*h, 7, 100);
    SetHandleSize(h, 10000);
    EXPECT_EQ((*h)[99], 7);
    SetHandleSize(h, 0);
    EXPECT_EQ(*h, nullptr);
    EXPECT_EQ(GetHandleSize(h), 0u);
    DisposHandle(h);
}

TEST(Memory, LockingRefusesResizeAndNestsThroughState) {
    Handle h = NewHandleClear(16);
    HLock(h);
    EXPECT_EQ(MemError(), noErr);
    HLock(h);
    EXPECT_EQ(MemError(), memLockedErr);
    SetHandleSize(h, 32);
    EXPECT_EQ(MemError(), memLockedErr);
    EXPECT_EQ(GetHandleSize(h), 16u);
    EXPECT_EQ(HGetState(h), 0x80);
    HSetState(h, 0x80);  // already locked: nothing changes
    EXPECT_EQ(HGetState(h), 0x80);
    HSetState(h, 0);
    EXPECT_EQ(HGetState(h), 0);
    SetHandleSize(h, 32);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h), 32u);
    DisposHandle(h);
}

TEST(Memory, AddressesThatAreNotHandlesAnswerErrorsWithoutCrashing) {
    DisposHandle(nullptr);
    EXPECT_EQ(MemError(), nilHandleErr);
    EXPECT_EQ(GetHandleSize(nullptr), 0u);
    EXPECT_EQ(MemError(), nilHandleErr);

    char stackBytes[64] = {};
    Handle garbage = reinterpret_cast<Handle>(stackBytes);
    DisposHandle(garbage);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetHandleSize(garbage), 0u);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetHandleSize(reinterpret_cast<Handle>(uintptr_t(0x10))), 0u);
    EXPECT_EQ(MemError(), memWZErr);

    Handle live = NewHandle(8);
    Handle misaligned = reinterpret_cast<Handle>(reinterpret_cast<char *>(live) + 1);
    EXPECT_EQ(GetHandleSize(misaligned), 0u);
    EXPECT_EQ(MemError(), memWZErr);
    HLock(misaligned);
    EXPECT_EQ(MemError(), memWZErr);

    DisposHandle(live);
    DisposHandle(live);  // freed record
    EXPECT_EQ(MemError(), memWZErr);
    SetHandleSize(live, 4);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_FALSE(OrvaIsValidHandle(live));

    DisposPtr(nullptr);
    EXPECT_EQ(MemError(), memWZErr);
}

TEST(Memory, CopiesWhoseSourceLiesInsideTheDestination) {
    Handle h = NewHandle(0);
    ASSERT_EQ(PtrToXHand("abcdefgh", h, 8), noErr);
    // Appending the handle's own bytes: the resize may move them under the copy.
    for (int i = 0; i < 12; i++) ASSERT_EQ(PtrAndHand(*h + 2, h, 4), noErr);
    ASSERT_EQ(GetHandleSize(h), 8u + 48u);
    EXPECT_EQ(std::string(*h, 12), "abcdefghcdef");
    ASSERT_EQ(HandAndHand(h, h), noErr);
    EXPECT_EQ(GetHandleSize(h), 112u);
    EXPECT_EQ(memcmp(*h, *h + 56, 56), 0);
    ASSERT_EQ(PtrToXHand(*h + 4, h, 4), noErr);
    EXPECT_EQ(std::string(*h, 4), "efgh");

    Handle copy = nullptr;
    ASSERT_EQ(PtrToHand("xyz", &copy, 3), noErr);
    EXPECT_EQ(GetHandleSize(copy), 3u);
    EXPECT_EQ(RecoverHandle(*copy), copy);
    char other[4];
    EXPECT_EQ(RecoverHandle(other), nullptr);
    DisposHandle(copy);
    DisposHandle(h);
}

TEST(Memory, BlockMoveOverlapsBothWaysAndRefusesNegativeCounts) {
    char b[] = "0123456789";
    BlockMove(b, b + 2, 5);
    EXPECT_STREQ(b, "0101234789");
    BlockMove(b + 2, b, 5);
    EXPECT_STREQ(b, "0123434789");
    BlockMove(b, b + 1, -3);
    EXPECT_STREQ(b, "0123434789");
}

TEST(Memory, PointerAllocationFailureAlwaysSetsTheError) {
    OrvaSetMemErrorBox(0);
    Ptr p = NewPtr(0xFFFFFFF0u);
    if (!p) {
        EXPECT_EQ(MemError(), memFullErr);  // an overcommitting kernel may grant it
    }
    DisposPtr(p);
    Handle h = NewHandle(8);
    SetHandleSize(h, 0xFFFFFFF0u);
    if (MemError() != noErr) {
        EXPECT_EQ(MemError(), memFullErr);
        EXPECT_EQ(GetHandleSize(h), 8u);
    }
    DisposHandle(h);
    OrvaSetMemErrorBox(1);
    EXPECT_EQ(NewPtr(0), nullptr);
    EXPECT_EQ(MemError(), noErr);
}

TEST(Memory, ThreadsAllocateAndDisposeConcurrently) {
    std::vector<std::thread> threads;
    std::atomic<int> bad{0};
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&bad, t] {
            std::vector<Handle> mine;
            for (int i = 0; i < 3000; i++) {
                Handle h = NewHandle(16);
                if (!h) { bad++; continue; }
                memset(*h, t, 16);
                mine.push_back(h);
                if (i % 3 == 0) {
                    SetHandleSize(mine.front(), 64);
                    DisposHandle(mine.front());
                    mine.erase(mine.begin());
                }
                Ptr p = NewPtr(32);
                DisposPtr(p);
            }
            for (Handle h : mine) {
                if ((*h)[0] != t) bad++;
                DisposHandle(h);
            }
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(bad.load(), 0);
}

TEST(Memory, GranularSizesRoundUpByLevel) {
    EXPECT_EQ(OrvaGetTailleHandleGranuleuse(255, 3, 1), 65536u);
    EXPECT_EQ(OrvaGetTailleHandleGranuleuse(21, 2, 8193), 16384u);
    EXPECT_EQ(OrvaGetTailleHandleGranuleuse(11, 1, 257), 512u);
    EXPECT_EQ(OrvaGetTailleHandleGranuleuse(5, 1, 257), 257u);
}

}  // namespace
