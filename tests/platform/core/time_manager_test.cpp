// ctest-labels: threads
// The Time Manager tick driven by hand, the timer thread in real time, queues, clocks and dates.
#include "platform/core/time_manager.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"

namespace {

UInt64 NowMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return UInt64(ts.tv_sec) * 1000 + UInt64(ts.tv_nsec) / 1000000;
}

// Polls pred every millisecond; false after ten seconds (a generous bound for a loaded machine).
template <typename Pred>
bool WaitUntil(Pred pred) {
    UInt64 start = NowMs();
    while (!pred()) {
        if (NowMs() - start > 10000) return false;
        SystemDependantSleepMs(1);
    }
    return true;
}

// A task that records each call and re-arms itself with its period (0: it does not).
struct TestTask {
    TMTask task;  // first, so the procedure finds the record from the task pointer
    SInt32 period = 0;
    std::atomic<UInt32> calls{0};
    std::vector<UInt32> callTicks;  // tick numbers of the calls (hand-driven tests only)
    UInt32 *tickNumber = nullptr;
    void (*extra)(TestTask *self) = nullptr;
};

void TestTaskProc(TMTaskPtr t) {
    TestTask *self = reinterpret_cast<TestTask *>(t);
    self->calls++;
    if (self->tickNumber) self->callTicks.push_back(*self->tickNumber);
    if (self->period) PrimeTime(t, self->period);
    if (self->extra) self->extra(self);
}

void InitTask(TestTask &t, SInt32 period) {
    memset(&t.task, 0, sizeof t.task);
    t.task.tmAddr = TestTaskProc;
    t.period = period;
}

class TimeManager : public ::testing::Test {
protected:
    void SetUp() override {
        OrvaStopTimer1000();
        SystemDependantStopTimer();
    }
    void TearDown() override {
        for (auto &t : tasks_) RmvTime(&t->task);
        OrvaStopTimer1000();
        SystemDependantStopTimer();
    }
    // A task owned by the test, removed from the queue before it is freed.
    TestTask &Task(SInt32 period) {
        tasks_.push_back(std::make_unique<TestTask>());
        InitTask(*tasks_.back(), period);
        return *tasks_.back();
    }
    void Prime(TestTask &t, SInt32 ms) { PrimeTime(&t.task, ms); }
    // Runs n ticks by hand, numbering them from 1.
    void Ticks(int n) {
        for (int i = 0; i < n; i++) {
            tick_++;
            OrvaTimeManagerTick();
        }
    }
    UInt32 tick_ = 0;
    std::vector<std::unique_ptr<TestTask>> tasks_;
};

// ---- The tick, driven by hand -------------------------------------------------------------

TEST_F(TimeManager, LatenessIsCarriedIntoTheNextPeriod) {
    TestTask &t = Task(10);
    t.tickNumber = &tick_;
    Prime(t, -4);  // due at the first tick, 5 ms late
    Ticks(40);
    // The 5 ms of lateness shorten the first period only.
    EXPECT_EQ(t.callTicks, (std::vector<UInt32>{1, 6, 16, 26, 36}));
}

TEST_F(TimeManager, ATaskLateByTwentyFiveRunsThreeTimesInOneTick) {
    TestTask &t = Task(10);
    t.tickNumber = &tick_;
    Prime(t, -24);  // falls due at the next tick with a lateness of 25
    Ticks(1);
    EXPECT_EQ(t.calls.load(), 3u);   // lateness 25, then 15, then 5
    EXPECT_EQ(t.task.tmReserved, -5);
    EXPECT_EQ(t.task.tmCount, 10);
    EXPECT_EQ(OrvaGetTMTaskAddr(), &t.task);
    Ticks(10);
    EXPECT_EQ(t.callTicks, (std::vector<UInt32>{1, 1, 1, 6}));  // the 5 carried shorten the next period
}

TEST_F(TimeManager, ASelfReArmingTaskKeepsItsPeriodOnAverage) {
    OrvaSetTimer1000(41);
    TestTask &t = Task(10);
    Prime(t, 10);
    Ticks(10000);
    EXPECT_EQ(t.calls.load(), 1000u);
    EXPECT_EQ(OrvaGetTimer1000(), 41u);  // the millisecond counter runs only when started
}

TEST_F(TimeManager, PrimingWithZeroLeavesTheTaskInactiveAndNegativeDelaysFireAtTheNextTick) {
    TestTask &idle = Task(0);
    TestTask &negative = Task(0);
    Prime(idle, 0);
    Prime(negative, -1);
    Ticks(1);
    EXPECT_EQ(negative.calls.load(), 1u);
    Ticks(100);
    EXPECT_EQ(idle.calls.load(), 0u);
    EXPECT_EQ(negative.calls.load(), 1u);  // fired once, then inactive
    EXPECT_EQ(idle.task.tmCount, 0);

    TestTask &huge = Task(1);
    Prime(huge, -2000000000);  // would be two billion immediate calls: caught up in bounded steps
    Ticks(1);
    EXPECT_LE(huge.calls.load(), 500u);
    EXPECT_GE(huge.calls.load(), 1u);
}

// Tasks that remove themselves or another task while the tick walks the queue.
struct RemovalCase {
    const char *label;
    int remover;              // index of the task whose procedure removes
    int removed;              // index of the task it removes (and frees)
    UInt32 expectedCalls[4];  // calls per task after two ticks; ~0u for the freed task
};

TestTask *gTasks[4];
int gRemoved;

void RemoveTheVictim(TestTask *) {
    if (gRemoved < 0 || !gTasks[gRemoved]) return;
    TestTask *victim = gTasks[gRemoved];
    gTasks[gRemoved] = nullptr;
    RmvTime(&victim->task);
    delete victim;  // a later read of its link would be a use after free
}

TEST_F(TimeManager, TasksMayRemoveAndFreeThemselvesOrOthersDuringTheWalk) {
    const UInt32 kFreed = ~0u;
    const RemovalCase cases[] = {
        {"first removes itself", 0, 0, {kFreed, 2, 2, 2}},
        {"middle removes itself", 1, 1, {2, kFreed, 2, 2}},
        {"last removes itself", 3, 3, {2, 2, 2, kFreed}},
        {"first removes the next", 0, 1, {2, kFreed, 2, 2}},
        {"first removes the last", 0, 3, {2, 2, 2, kFreed}},
        {"third removes the last", 2, 3, {2, 2, 2, kFreed}},
        {"last removes the first", 3, 0, {kFreed, 2, 2, 2}},
    };
    for (const RemovalCase &c : cases) {
        SCOPED_TRACE(c.label);
        for (int i = 0; i < 4; i++) {
            gTasks[i] = new TestTask;
            InitTask(*gTasks[i], 1);
            if (i == c.remover) gTasks[i]->extra = RemoveTheVictim;
            PrimeTime(&gTasks[i]->task, 1);
        }
        gRemoved = c.removed;
        Ticks(1);
        gRemoved = -1;
        Ticks(1);
        for (int i = 0; i < 4; i++) {
            if (c.expectedCalls[i] == kFreed) {
                EXPECT_EQ(gTasks[i], nullptr);
                continue;
            }
            EXPECT_EQ(gTasks[i]->calls.load(), c.expectedCalls[i]) << "task " << i;
        }
        for (int i = 0; i < 4; i++) {
            if (!gTasks[i]) continue;
            RmvTime(&gTasks[i]->task);
            delete gTasks[i];
            gTasks[i] = nullptr;
        }
    }
}

void MoveToTheTail(TestTask *self) {
    RmvTime(&self->task);
    PrimeTime(&self->task, 1);
}

TEST_F(TimeManager, ATaskThatRequeuesItselfIsNotCountedTwiceInOneTick) {
    TestTask &first = Task(0);
    TestTask &second = Task(1);
    first.extra = MoveToTheTail;  // now behind second
    Prime(first, 1);
    Prime(second, 1);
    Ticks(1);
    EXPECT_EQ(first.calls.load(), 1u);
    EXPECT_EQ(first.task.tmCount, 1);  // primed, not yet counted down
    Ticks(1);
    EXPECT_EQ(first.calls.load(), 2u);
    EXPECT_EQ(second.calls.load(), 2u);
}

void CallTheTick(TestTask *) { OrvaTimeManagerTick(); }

TEST_F(TimeManager, ATickCalledFromAProcedureOnlyCounts) {
    TestTask &t = Task(1);
    t.extra = CallTheTick;
    Prime(t, 1);
    Ticks(3);
    EXPECT_EQ(t.calls.load(), 3u);
}

// ---- Queues -------------------------------------------------------------------------------

TEST(Queues, EnqueueAndDequeueKeepHeadAndTailRight) {
    QElem e[3] = {};
    QHdr q = {};
    for (QElem &x : e) Enqueue(&x, &q);
    Enqueue(&e[1], &q);  // already queued: not added twice
    EXPECT_EQ(q.qHead, &e[0]);
    EXPECT_EQ(e[0].qLink, &e[1]);
    EXPECT_EQ(e[1].qLink, &e[2]);
    EXPECT_EQ(q.qTail, &e[2]);

    QElem stranger = {};
    Dequeue(&stranger, &q);  // not queued: nothing changes
    EXPECT_EQ(q.qHead, &e[0]);
    EXPECT_EQ(q.qTail, &e[2]);

    Dequeue(&e[2], &q);  // the tail moves back to its predecessor
    EXPECT_EQ(q.qTail, &e[1]);
    EXPECT_EQ(e[1].qLink, nullptr);
    Dequeue(&e[0], &q);
    EXPECT_EQ(q.qHead, &e[1]);
    EXPECT_FALSE(OrvaIsInQueue(&e[0], &q));
    EXPECT_TRUE(OrvaIsInQueue(&e[1], &q));
    Dequeue(&e[1], &q);
    EXPECT_EQ(q.qHead, nullptr);
    EXPECT_EQ(q.qTail, nullptr);

    Enqueue(&e[2], &q);  // an emptied queue takes elements again
    EXPECT_EQ(q.qHead, &e[2]);
    EXPECT_EQ(q.qTail, &e[2]);

    Enqueue(nullptr, &q);
    Dequeue(nullptr, &q);
    Enqueue(&e[0], nullptr);
    Dequeue(&e[0], nullptr);
    EXPECT_FALSE(OrvaIsInQueue(nullptr, &q));
    EXPECT_EQ(q.qHead, &e[2]);
}

// ---- Dates --------------------------------------------------------------------------------

class Dates : public ::testing::Test {
protected:
    void SetUp() override {
        const char *tz = getenv("TZ");
        hadTz_ = tz != nullptr;
        if (tz) savedTz_ = tz;
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", savedTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    void UseZone(const char *zone) {
        setenv("TZ", zone, 1);
        tzset();
    }
    bool hadTz_ = false;
    std::string savedTz_;
};

TEST_F(Dates, KnownDatesConvertBothWays) {
    UseZone("UTC0");
    struct Row {
        DateTimeRec date;
        UInt32 secs;
    };
    const Row rows[] = {
        {{1904, 1, 1, 0, 0, 0, 6}, 0u},                    // a Friday
        {{1970, 1, 1, 0, 0, 0, 5}, kSecondsFrom1904To1970},  // a Thursday
        {{2000, 1, 1, 0, 0, 0, 7}, 3029529600u},           // a Saturday
        {{2024, 2, 29, 23, 59, 59, 5}, 3792095999u},       // a Thursday
        {{2040, 2, 6, 6, 28, 15, 2}, 4294967295u},         // the last second, a Monday
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.secs);
        UInt32 secs = 1;
        Date2Secs(&row.date, &secs);
        EXPECT_EQ(secs, row.secs);
        DateTimeRec back = {};
        Secs2Date(row.secs, &back);
        EXPECT_EQ(memcmp(&back, &row.date, sizeof back), 0)
            << back.year << "-" << back.month << "-" << back.day << " " << back.hour << ":" << back.minute << ":"
            << back.second << " dow " << back.dayOfWeek;
    }
}

TEST_F(Dates, YearTwoThousandAndYearHundredAreTheSameYear) {
    UseZone("CET-1CEST,M3.5.0,M10.5.0/3");
    DateTimeRec full = {2000, 7, 14, 12, 30, 15, 0};
    DateTimeRec short_ = full;
    short_.year = 100;  // years since 1900
    UInt32 a = 0, b = 1;
    Date2Secs(&full, &a);
    Date2Secs(&short_, &b);
    EXPECT_EQ(a, b);
    DateTimeRec back = {};
    Secs2Date(a, &back);
    EXPECT_EQ(back.year, 2000);
    EXPECT_EQ(back.hour, 12);  // summer time decided by the system
}

TEST_F(Dates, GetDateTimeIsTheLocalTimeNow) {
    UseZone("EST5EDT,M3.2.0,M11.1.0");
    for (int attempt = 0; attempt < 3; attempt++) {  // the second may turn between the readings
        time_t now = time(nullptr);
        UInt32 secs = 0;
        EXPECT_EQ(GetDateTime(&secs), noErr);
        if (time(nullptr) != now) continue;
        struct tm t;
        localtime_r(&now, &t);
        const DateTimeRec expected = {SInt16(t.tm_year + 1900), SInt16(t.tm_mon + 1), SInt16(t.tm_mday),
                                      SInt16(t.tm_hour), SInt16(t.tm_min), SInt16(t.tm_sec), SInt16(t.tm_wday + 1)};
        DateTimeRec d = {};
        Secs2Date(secs, &d);
        EXPECT_EQ(memcmp(&d, &expected, sizeof d), 0) << d.year << "-" << d.month << "-" << d.day << " " << d.hour
                                                       << ":" << d.minute << ":" << d.second << " dow " << d.dayOfWeek;
        DateTimeRec g = {};
        g.dayOfWeek = 99;
        GetTime(&g);
        EXPECT_EQ(g.year, d.year);
        EXPECT_EQ(g.dayOfWeek, 99);  // not written by GetTime
        return;
    }
    FAIL() << "the clock kept turning";
}

// ---- The timer thread in real time ---------------------------------------------------------

// Calls per second of real time of tasks re-arming themselves with their period. The count may
// lag real time by the thread's scheduling delay at either end of the second, so on a loaded
// machine one reading can be off: up to three seconds are measured until one is in range.
TEST_F(TimeManager, OneAndTenMillisecondTasksFireAThousandAndAHundredTimesASecond) {
    for (SInt32 period : {1, 10}) {
        SCOPED_TRACE(period);
        OrvaStartTimer1000();
        const double low = 950.0 / period, high = 1050.0 / period;
        TestTask &t = Task(period);
        Prime(t, period);
        ASSERT_TRUE(WaitUntil([&] { return t.calls.load() > 0; }));
        std::string rates;
        bool inRange = false;
        for (int attempt = 0; attempt < 3 && !inRange; attempt++) {
            UInt64 t0 = NowMs();
            UInt32 c0 = t.calls.load();
            while (NowMs() - t0 < 1000) SystemDependantSleepMs(5);
            UInt32 c1 = t.calls.load();
            double rate = double(c1 - c0) * 1000.0 / double(NowMs() - t0);
            inRange = rate >= low && rate <= high;
            rates += std::to_string(rate) + " ";
        }
        EXPECT_TRUE(inRange) << rates;
        RmvTime(&t.task);
        OrvaStopTimer1000();
        SystemDependantStopTimer();
    }
}

TEST_F(TimeManager, TheFirstWakeUpCountsOnlyTheTimeThatPassed) {
    TestTask &t = Task(0);
    for (int attempt = 0; attempt < 3; attempt++) {
        Prime(t, 300);
        UInt64 before = NowMs();
        OrvaStartTimer1000();
        SystemDependantSleepMs(50);
        UInt32 calls = t.calls.load();
        UInt64 after = NowMs();
        OrvaStopTimer1000();
        SystemDependantStopTimer();
        if (after - before >= 300) continue;  // this machine was too slow to tell
        // Ticks come from the monotonic clock since the thread started: 300 ms have not passed.
        EXPECT_EQ(calls, 0u);
        char log[256];
        OrvaGetTimerInitResult(log, sizeof log);
        EXPECT_NE(strstr(log, "Using thread type 1 priority"), nullptr) << log;
        char small[6];
        OrvaGetTimerInitResult(small, sizeof small);
        EXPECT_STREQ(small, "Using");
        return;
    }
    FAIL() << "50 ms sleeps took 300 ms three times";
}

TEST_F(TimeManager, TickCountAdvancesSixtyASecond) {
    for (int attempt = 0; attempt < 3; attempt++) {
        UInt64 a0 = NowMs();
        UInt32 ticks0 = TickCount();
        UInt64 b0 = NowMs();
        SystemDependantSleepMs(1000);
        UInt64 a1 = NowMs();
        UInt32 ticks1 = TickCount();
        UInt64 b1 = NowMs();
        if (b0 - a0 > 2 || b1 - a1 > 2 || a1 - b0 > 1016) continue;  // preempted around a reading
        UInt32 advanced = ticks1 - ticks0;
        EXPECT_GE(advanced, 59u);
        EXPECT_LE(advanced, 61u);
        EXPECT_GE(advanced, UInt32((a1 - b0) * 60 / 1000));
        EXPECT_LE(advanced, UInt32((b1 - a0) * 60 / 1000 + 1));
        return;
    }
    FAIL() << "could not read the clocks undisturbed";
}

void RemoveItself(TestTask *self) { RmvTime(&self->task); }

TEST_F(TimeManager, ATaskThatEmptiesTheQueueStopsTheThreadWithoutWaitingForItself) {
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);  // counter not running
    TestTask &t = Task(0);
    t.extra = RemoveItself;
    PrimeTime(&t.task, 1);
    ASSERT_TRUE(WaitUntil([&] { return t.calls.load() == 1; }));
    // The thread was only asked to stop from inside the tick; it ends, and the stop from this
    // thread joins it.
    SystemDependantStopTimer();
    TestTask &later = Task(0);
    Prime(later, 1);
    SystemDependantSleepMs(20);
    EXPECT_EQ(later.calls.load(), 0u);
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);
    EXPECT_TRUE(WaitUntil([&] { return later.calls.load() == 1; }));
}

void RemoveItselfThenComeBack(TestTask *self) {
    RmvTime(&self->task);  // the queue is empty: the thread is asked to stop
    PrimeTime(&self->task, 1);
    SystemDependantStartTimer(OrvaTimeManagerTick);  // and the request is taken back
}

TEST_F(TimeManager, ATaskMayTakeBackTheStopItCaused) {
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);
    TestTask &t = Task(0);
    t.extra = RemoveItselfThenComeBack;
    Prime(t, 1);
    EXPECT_TRUE(WaitUntil([&] { return t.calls.load() >= 20; }));  // the same thread goes on
}

TEST_F(TimeManager, RemovingTheLastTaskWhileHoldingSectionZeroDoesNotDeadlock) {
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);
    TestTask &t = Task(1);
    PrimeTime(&t.task, 1);
    ASSERT_TRUE(WaitUntil([&] { return t.calls.load() > 5; }));
    StartTimerCriticalSection();
    RmvTime(&t.task);  // empties the queue: asks for the stop, cannot wait here
    EndTimerCriticalSection();
    SystemDependantStopTimer();  // joins
    UInt32 calls = t.calls.load();
    SystemDependantSleepMs(5);
    EXPECT_EQ(t.calls.load(), calls);
}

int CountThreadStarts() {
    static char log[65536];
    OrvaGetTimerInitResult(log, sizeof log);
    int count = 0;
    for (const char *p = log; (p = strstr(p, "Using thread type")) != nullptr; p++) count++;
    return count;
}

TEST_F(TimeManager, StartingTwiceKeepsOneThread) {
    int before = CountThreadStarts();
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);
    ASSERT_EQ(SystemDependantStartTimer(OrvaTimeManagerTick), 1u);
    EXPECT_EQ(CountThreadStarts(), before + 1);
}

}  // namespace
