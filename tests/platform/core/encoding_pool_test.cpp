// ctest-labels: encodings-files;threads
// The pool of converter results: four slots claimed atomically, the heap beyond them.
#include "platform/core/text_encodings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/core/memory.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

TEST(Pool, FiveResultsHeldAtOnceUseFourSlotsAndTheHeap) {
    ASSERT_EQ(OrvaEncodedStrSlotsInUse(), 0);
    EncodedStr held[5];
    SInt32 n = 0;
    for (int i = 0; i < 5; i++) {
        held[i] = MacRomanTextToUnicode("abc", 0, 4, &n);
        ASSERT_NE(held[i], nullptr);
    }
    EXPECT_EQ(OrvaEncodedStrSlotsInUse(), 4);
    EXPECT_FALSE(OrvaReleaseEncodedStrSlot(held[4]));  // the fifth is a heap block
    for (int i = 0; i < 5; i++) DisposeEncodedStr(held[i]);
    EXPECT_EQ(OrvaEncodedStrSlotsInUse(), 0);
    // Disposing with the memory manager hands a pool buffer back too.
    EncodedStr a = NewEncodedStr(1024, FourCC("test"));
    EncodedStr big = NewEncodedStr(1025, FourCC("test"));
    EXPECT_EQ(OrvaEncodedStrSlotsInUse(), 1);
    DisposPtr(a);
    EXPECT_EQ(OrvaEncodedStrSlotsInUse(), 0);
    DisposeEncodedStr(big);
    DisposeEncodedStr(nullptr);
    EXPECT_EQ(NewEncodedStr(0, FourCC("test")), nullptr);
}

TEST(Pool, TwoThreadsNeverShareASlot) {
    std::atomic<int> failures{0};
    auto work = [&failures](char mark) {
        char text[40];
        memset(text, mark, sizeof text - 1);
        text[sizeof text - 1] = 0;
        for (int i = 0; i < 100000; i++) {
            SInt32 n = 0;
            EncodedStr r = MacRomanTextToUTF(text, 0, sizeof text, &n);
            if (r == nullptr || n != SInt32(sizeof text) || memcmp(r, text, sizeof text) != 0) failures++;
            DisposeEncodedStr(r);
        }
    };
    std::thread a(work, 'a'), b(work, 'b');
    a.join();
    b.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(OrvaEncodedStrSlotsInUse(), 0);
}

}  // namespace
