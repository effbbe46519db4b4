// ctest-labels: threads
// Re-entrancy, exclusion and refusal of the numbered critical sections.
#include "platform/core/critical_sections.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

TEST(CriticalSections, NestedEntriesFromFourThreadsCountExactly) {
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; t++) {
        threads.emplace_back([&counter] {
            for (int i = 0; i < 250000; i++) {
                SystemDependantStartCriticalSection(5);
                SystemDependantStartCriticalSection(5);
                SystemDependantStartCriticalSection(5);
                counter++;
                SystemDependantEndCriticalSection(5);
                SystemDependantEndCriticalSection(5);
                SystemDependantEndCriticalSection(5);
            }
        });
    }
    for (auto &t : threads) t.join();
    EXPECT_EQ(counter, 1000000);
}

TEST(CriticalSections, AnotherThreadCanNeitherEnterNorLeaveAHeldSection) {
    ASSERT_EQ(SystemDependantStartCriticalSection(6), 1u);
    UInt32 fromOther = 99;
    std::thread([&] { fromOther = SystemDependantCheckOrStartCriticalSection(6); }).join();
    EXPECT_EQ(fromOther, 0u);
    UInt32 before = OrvaGetForeignLeaveCount();
    std::thread([] { SystemDependantEndCriticalSection(6); }).join();
    EXPECT_EQ(OrvaGetForeignLeaveCount(), before + 1);
    EXPECT_TRUE(OrvaIsCriticalSectionHeld(6));
    // The holder itself nests: two leaves are then needed, the foreign one having counted for nothing.
    EXPECT_EQ(SystemDependantCheckOrStartCriticalSection(6), 1u);
    SystemDependantEndCriticalSection(6);
    EXPECT_TRUE(OrvaIsCriticalSectionHeld(6));
    SystemDependantEndCriticalSection(6);
    EXPECT_FALSE(OrvaIsCriticalSectionHeld(6));
    std::thread([&] {
        fromOther = SystemDependantCheckOrStartCriticalSection(6);
        SystemDependantEndCriticalSection(6);
    }).join();
    EXPECT_EQ(fromOther, 1u);
}

TEST(CriticalSections, EntryBlocksUntilTheLastLeave) {
    std::atomic<int> stage{0};
    SystemDependantStartCriticalSection(8);
    SystemDependantStartCriticalSection(8);
    std::thread other([&] {
        SystemDependantStartCriticalSection(8);
        stage = 2;
        SystemDependantEndCriticalSection(8);
    });
    SystemDependantEndCriticalSection(8);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(stage.load(), 0);  // still held once
    SystemDependantEndCriticalSection(8);
    other.join();
    EXPECT_EQ(stage.load(), 2);
}

TEST(CriticalSections, ThreadsRacingIntoAFreshSectionAllGetThrough) {
    // The first entry creates the section; a creation racing with another thread's entry
    // must not disturb that thread's nesting count (it would never leave the section).
    for (SInt16 n = 100; n < 300; n++) {
        std::atomic<int> ready{0};
        long inside = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < 6; t++) {
            threads.emplace_back([&, n] {
                ready++;
                while (ready.load() < 6) {
                }
                for (int i = 0; i < 20; i++) {
                    SystemDependantStartCriticalSection(n);
                    inside++;
                    SystemDependantEndCriticalSection(n);
                }
            });
        }
        for (auto &t : threads) t.join();
        ASSERT_EQ(inside, 120);
        ASSERT_EQ(SystemDependantCheckOrStartCriticalSection(n), 1u);
        SystemDependantEndCriticalSection(n);
    }
}

TEST(CriticalSections, BadNumbersAndHeldSectionsAreRefused) {
    EXPECT_EQ(SystemDependantStartCriticalSection(-1), 0u);
    EXPECT_EQ(SystemDependantStartCriticalSection(513), 0u);
    EXPECT_EQ(SystemDependantCheckOrStartCriticalSection(600), 0u);
    EXPECT_EQ(SystemDependantNewCriticalSection(-5), 0u);
    EXPECT_EQ(SystemDependantEndCriticalSection(20), 1u);  // never created: nothing happens
    EXPECT_EQ(SystemDependantStartCriticalSection(512), 1u);
    EXPECT_EQ(SystemDependantDeleteCriticalSection(512), 0u);
    EXPECT_EQ(SystemDependantNewCriticalSection(512), 0u);
    EXPECT_TRUE(OrvaIsCriticalSectionHeld(512));
    SystemDependantEndCriticalSection(512);
    EXPECT_EQ(SystemDependantDeleteCriticalSection(512), 1u);
}

TEST(CriticalSections, NamedSectionIsCreatedAgainAfterItsExitRoutine) {
    OrvaStartPluginCriticalSection();
    OrvaEndPluginCriticalSection();
    OrvaExitPluginCriticalSection();
    EXPECT_EQ(OrvaCheckOrStartPluginCriticalSection(), 1u);
    EXPECT_TRUE(OrvaIsCriticalSectionHeld(kPluginCriticalSection));
    OrvaEndPluginCriticalSection();
    StartDblBuffCriticalSection();
    StartFluxCriticalSection();
    EXPECT_TRUE(OrvaIsCriticalSectionHeld(kFluxCriticalSection));
    EndFluxCriticalSection();
    EndDblBuffCriticalSection();
}

}  // namespace
