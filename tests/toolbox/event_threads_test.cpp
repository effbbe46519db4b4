// ctest-labels: threads;toolbox-core
// Posting from several threads while the main thread takes events: nothing is lost but what a
// full queue drops, and each thread's events come out in the order it posted them.
#include <gtest/gtest.h>
#include <thread>
#include <vector>

#include "support/toolbox/toolbox_support.h"
#include "toolbox/events.h"

namespace {

TEST(EventThreads, FourPostingThreadsLoseNothingButWhatIsCounted) {
    StartToolboxForTests();
    FlushEvents(everyEvent, 0);
    enum { kThreads = 4, kEach = 1000 };
    UInt32 droppedBefore = OrvaGetDroppedEventCount();
    std::vector<std::thread> posters;
    for (UInt32 t = 0; t < kThreads; t++)
        posters.emplace_back([t] {
            for (UInt32 i = 0; i < kEach; i++) PostEvent(keyDown, (t << 16) | i);
        });
    std::vector<SInt64> last(kThreads, -1);
    UInt32 received = 0;
    bool ordered = true;
    auto take = [&]() {
        EventRecord e;
        while (GetNextEvent(everyEvent, &e)) {
            UInt32 t = UInt32(e.message >> 16), i = UInt32(e.message & 0xFFFF);
            if (t >= kThreads || SInt64(i) <= last[t]) ordered = false;
            else last[t] = i;
            received++;
        }
    };
    while (received + (OrvaGetDroppedEventCount() - droppedBefore) < kThreads * kEach) {
        take();
        std::this_thread::yield();
    }
    for (std::thread &poster : posters) poster.join();
    take();
    EXPECT_TRUE(ordered);
    EXPECT_EQ(received + (OrvaGetDroppedEventCount() - droppedBefore), UInt32(kThreads * kEach));
}

}  // namespace
