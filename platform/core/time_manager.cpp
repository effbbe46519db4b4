// The Time Manager on a 1 kHz POSIX thread, the Toolbox clocks, the queue operations and dates.
#include "platform/core/time_manager.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>
#include <sched.h>

#include "platform/core/critical_sections.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// A long stall (or a suspended process) costs at most this many simulated milliseconds.
constexpr UInt32 kMaxTicksPerWakeUp = 500;
constexpr long kWakeUpPeriodNs = 1000000;  // one millisecond
constexpr int kStartLogLineSize = 1024;

// The thread's life. Start, join and the start log are serialised by lock; the timer
// thread, and a thread holding section 0, touch only the atomics, so a stop asked for
// from a task procedure can never wait for the tick that runs it.
enum : int {
    kThreadRun = 0,        // keep ticking
    kThreadStopAsked = 1,    // stop at the next check (a start may still take it back)
    kThreadStopJoining = 2,  // stop: a thread waits for the end (nothing takes it back)
    kThreadStopping = 3,     // the thread saw the request and is ending
};
struct TimerThreadState {
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    std::atomic<void (*)()> callback{nullptr};
    std::atomic<int> phase{kThreadRun};
    bool joinable = false;      // a thread was created and not joined yet (lock)
    pthread_t thread{};         // valid while joinable (lock)
    Handle startLog = nullptr;  // created empty on the first message (lock)
};
TimerThreadState gThread;

thread_local bool tIsTimerThread = false;

// The state of the tick. Queue, guard and walk are guarded by critical section 0.
struct TickState {
    std::atomic<SInt16> period{1};  // ms per tick call: 1, or 0 once starting the thread failed
    std::atomic<bool> counterRunning{false};
    std::atomic<UInt32> timer1000{0};
    std::atomic<TMTaskPtr> lastCalled{nullptr};
    std::atomic<bool> exitHandlerRegistered{false};
    bool inTick = false;  // re-entry guard
    QHdr queue{};
    // The walk in progress: the next element to visit and the last one to visit (the tail
    // when the walk began). Dequeue moves them when it unlinks them, so a procedure may
    // remove and free any task, itself included, while the tick walks the queue.
    QHdrPtr walkQueue = nullptr;
    QElemPtr walkNext = nullptr;
    QElemPtr walkLast = nullptr;
};
TickState gTick;

// Test seam: when set, TickCount answers it instead of the clock.
std::atomic<UInt32 (*)()> gTickCountSource{nullptr};

UInt64 MonotonicMs();
void *TimerThreadLoop(void *);
void AppendStartLog(const char *format, ...) __attribute__((format(printf, 1, 2)));
void JoinThread();
bool StopWanted();
void CountDownTask(TMTaskPtr task, SInt16 period);
void FireTask(TMTaskPtr task, SInt32 lateness);
void SleepNs(UInt64 ns);
void FillDate(const struct tm &t, DateTimeRec *date);

}  // namespace

// ---- Timer thread -------------------------------------------------------------------------

UInt32 SystemDependantStartTimer(void (*callback)()) {
    gThread.callback.store(callback);
    if (tIsTimerThread) {
        // A task asked for a stop and starts the timer again: this thread goes on.
        int asked = kThreadStopAsked;
        gThread.phase.compare_exchange_strong(asked, kThreadRun);
        return 1;
    }
    pthread_mutex_lock(&gThread.lock);
    if (gThread.joinable) {
        int asked = kThreadStopAsked;
        if (gThread.phase.load() == kThreadRun ||
            gThread.phase.compare_exchange_strong(asked, kThreadRun)) {
            pthread_mutex_unlock(&gThread.lock);
            return 1;  // running, or a pending stop taken back
        }
        JoinThread();  // it is ending and needs nothing more to end
    }
    gThread.phase.store(kThreadRun);
    pthread_t thread;
    static char argument[] = "1";
    if (pthread_create(&thread, nullptr, TimerThreadLoop, argument) != 0) {
        AppendStartLog("Cannot create thread.\n");
        pthread_mutex_unlock(&gThread.lock);
        return 0;
    }
    // Real-time scheduling keeps the tick regular under load; without the privilege the
    // thread simply runs at its default scheduling.
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    pthread_setschedparam(thread, SCHED_FIFO, &param);
    AppendStartLog("Using thread type %ld priority %ld.\n", long(SCHED_FIFO), long(param.sched_priority));
    gThread.thread = thread;
    gThread.joinable = true;
    pthread_mutex_unlock(&gThread.lock);
    return 1;
}

void SystemDependantStopTimer() {
    int running = kThreadRun;
    if (tIsTimerThread || OrvaIsCriticalSectionHeld(kTimerCriticalSection)) {
        // The timer thread cannot wait for itself, and a thread holding section 0 would
        // wait for a tick that waits for it: only ask. The next start, or a stop from a
        // free thread (at the latest the exit handler), joins the finished thread.
        gThread.phase.compare_exchange_strong(running, kThreadStopAsked);
        return;
    }
    pthread_mutex_lock(&gThread.lock);
    if (gThread.joinable) {
        int phase = gThread.phase.load();
        while (phase != kThreadStopping && !gThread.phase.compare_exchange_weak(phase, kThreadStopJoining)) {
        }
        JoinThread();
    }
    pthread_mutex_unlock(&gThread.lock);
}

UInt32 SystemDependantInitTimer() { return 100; }

UInt32 SystemDependantGetTickCountMs() { return UInt32(MonotonicMs()); }

void SystemDependantSleepMs(UInt32 ms) { SleepNs(UInt64(ms) * 1000000u); }

void GtkSleep(UInt32 ms) { SleepNs(UInt64(ms) * 1000000u); }

// ---- Time Manager -------------------------------------------------------------------------

void OrvaStartTimer1000() {
    UInt32 started = SystemDependantStartTimer(OrvaTimeManagerTick);
    gTick.period.store(SInt16(started));
    if (!started) OrvaErreur("StartTimer1000: Impossible de lancer un timer");
    gTick.counterRunning.store(true);
    bool expected = false;
    if (gTick.exitHandlerRegistered.compare_exchange_strong(expected, true)) atexit(SystemDependantStopTimer);
}

void OrvaStopTimer1000() {
    gTick.counterRunning.store(false);
    StartTimerCriticalSection();
    bool empty = gTick.queue.qHead == nullptr;
    EndTimerCriticalSection();
    if (empty) SystemDependantStopTimer();
}

UInt32 OrvaGetTimer1000() { return gTick.timer1000.load(); }

void OrvaSetTimer1000(UInt32 ms) { gTick.timer1000.store(ms); }

TMTaskPtr OrvaGetTMTaskAddr() { return gTick.lastCalled.load(); }

void OrvaGetTimerInitResult(char *buffer, SInt32 size) {
    if (!buffer || size <= 0) return;
    pthread_mutex_lock(&gThread.lock);
    if (gThread.startLog) {
        UInt32 length = GetHandleSize(gThread.startLog);
        if (length > UInt32(size - 1)) length = UInt32(size - 1);
        if (length) memcpy(buffer, *gThread.startLog, length);
        buffer[length] = 0;
    } else {
        snprintf(buffer, size_t(size), "%s", "- Not inited -\n");
    }
    pthread_mutex_unlock(&gThread.lock);
}

void OrvaTimeManagerTick() {
    SInt16 period = gTick.period.load();
    if (gTick.counterRunning.load()) gTick.timer1000.fetch_add(UInt32(period));
    StartTimerCriticalSection();
    if (gTick.inTick) {  // a procedure called the tick: count only
        EndTimerCriticalSection();
        return;
    }
    gTick.inTick = true;
    gTick.walkQueue = &gTick.queue;
    gTick.walkNext = gTick.queue.qHead;
    gTick.walkLast = gTick.queue.qTail;
    while (gTick.walkNext) {
        TMTaskPtr task = reinterpret_cast<TMTaskPtr>(gTick.walkNext);
        bool last = gTick.walkNext == gTick.walkLast;
        gTick.walkNext = last ? nullptr : task->qLink;
        CountDownTask(task, period);
    }
    gTick.walkQueue = nullptr;
    gTick.walkLast = nullptr;
    gTick.inTick = false;
    EndTimerCriticalSection();
}

void OrvaInitTimeMgr() {}

void InsTime(TMTaskPtr task) {
    if (!task) return;
    if (SystemDependantInitTimer() == 0) OrvaErreur("Ins(X)Time: Impossible de lancer un timer");
    // Reset under the lock: the task may already be queued and counted down by the tick.
    StartTimerCriticalSection();
    task->qType = 0;
    task->tmCount = 0;
    task->tmWakeUp = 0;
    task->tmReserved = 0;
    Enqueue(reinterpret_cast<QElemPtr>(task), &gTick.queue);
    EndTimerCriticalSection();
}

void PrimeTime(TMTaskPtr task, SInt32 ms) {
    if (!task) return;
    StartTimerCriticalSection();
    if (!OrvaIsInQueue(reinterpret_cast<QElemPtr>(task), &gTick.queue)) InsTime(task);
    task->tmCount = ms;
    task->tmWakeUp = ms;
    EndTimerCriticalSection();
}

void RmvTime(TMTaskPtr task) {
    if (!task) return;
    StartTimerCriticalSection();
    Dequeue(reinterpret_cast<QElemPtr>(task), &gTick.queue);
    bool stop = gTick.queue.qHead == nullptr && !gTick.counterRunning.load();
    EndTimerCriticalSection();
    if (stop) SystemDependantStopTimer();
}

// ---- Queues -------------------------------------------------------------------------------

void Enqueue(QElemPtr element, QHdrPtr queue) {
    if (!element || !queue) return;
    StartTimerCriticalSection();
    if (!OrvaIsInQueue(element, queue)) {
        element->qLink = nullptr;
        if (queue->qTail)
            queue->qTail->qLink = element;
        else
            queue->qHead = element;
        queue->qTail = element;
    }
    EndTimerCriticalSection();
}

void Dequeue(QElemPtr element, QHdrPtr queue) {
    if (!element || !queue) return;
    StartTimerCriticalSection();
    QElemPtr previous = nullptr;
    QElemPtr e = queue->qHead;
    while (e && e != element) {
        previous = e;
        e = e->qLink;
    }
    if (e) {
        if (queue == gTick.walkQueue) {
            // Keep the tick's walk on elements that are still queued.
            if (element == gTick.walkLast) {
                if (element == gTick.walkNext) gTick.walkNext = nullptr;  // all that follows is new
                gTick.walkLast = previous;
            } else if (element == gTick.walkNext) {
                gTick.walkNext = element->qLink;
            }
        }
        if (previous)
            previous->qLink = element->qLink;
        else
            queue->qHead = element->qLink;
        if (queue->qTail == element) queue->qTail = previous;
        element->qLink = nullptr;
    }
    EndTimerCriticalSection();
}

Boolean OrvaIsInQueue(QElemPtr element, QHdrPtr queue) {
    if (!element || !queue) return kFalse;
    StartTimerCriticalSection();
    QElemPtr e = queue->qHead;
    while (e && e != element) e = e->qLink;
    EndTimerCriticalSection();
    return e != nullptr;
}

// ---- Clocks -------------------------------------------------------------------------------

UInt32 TickCount() {
    if (UInt32 (*source)() = gTickCountSource.load()) return source();
    // From the 64-bit count, so the 32-bit result wraps only at 2^32 like every Toolbox clock.
    return UInt32(MonotonicMs() * 3u / 50u);
}

UInt32 OrvaCoarseTickCount() {
    if (UInt32 (*source)() = gTickCountSource.load()) return source();
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return UInt32((UInt64(ts.tv_sec) * 1000u + UInt64(ts.tv_nsec) / 1000000u) * 3u / 50u);
}

void OrvaSetTickCountSource(UInt32 (*source)()) { gTickCountSource.store(source); }

void Delay(UInt32 ticks, UInt32 *finalTicks) {
    SystemDependantSleepMs(UInt32(ticks * 1000u) / 60u);
    if (finalTicks) *finalTicks = TickCount();
}

void OrvaPause(SInt16 ticks) {
    UInt32 target = TickCount() + UInt32(SInt32(ticks));
    // Compared as a wrapping difference: correct across the 32-bit wrap, and a negative
    // count returns at once.
    while (SInt32(TickCount() - target) < 0) SystemDependantSleepMs(1);
}

// ---- Dates --------------------------------------------------------------------------------

OSErr GetDateTime(UInt32 *secs) {
    if (secs) *secs = UInt32(UInt64(time(nullptr)) + kSecondsFrom1904To1970);
    return noErr;
}

OSErr SetDateTime(UInt32) { return noErr; }

void SetTime(const DateTimeRec *) { OrvaErreur("SetTime not implemented on MWERKS"); }

void Date2Secs(const DateTimeRec *date, UInt32 *secs) {
    if (!date || !secs) return;
    struct tm t{};
    t.tm_year = date->year > 1900 ? date->year - 1900 : date->year;
    t.tm_mon = date->month - 1;
    t.tm_mday = date->day;
    t.tm_hour = date->hour;
    t.tm_min = date->minute;
    t.tm_sec = date->second;
    t.tm_isdst = -1;  // the record carries no daylight-saving flag: the system decides
    time_t seconds = mktime(&t);
    *secs = UInt32(UInt64(SInt64(seconds)) + kSecondsFrom1904To1970);
}

void Secs2Date(UInt32 secs, DateTimeRec *date) {
    if (!date) return;
    // Signed, so that dates between 1904 and 1970 stay before 1970.
    time_t seconds = time_t(SInt64(secs) - SInt64(kSecondsFrom1904To1970));
    struct tm t{};
    if (!localtime_r(&seconds, &t)) {
        seconds = 0;
        localtime_r(&seconds, &t);
    }
    FillDate(t, date);
    date->dayOfWeek = SInt16(t.tm_wday + 1);
}

void GetTime(DateTimeRec *date) {
    if (!date) return;
    time_t now = time(nullptr);
    struct tm t{};
    localtime_r(&now, &t);
    FillDate(t, date);
}

// ---- Helpers ------------------------------------------------------------------------------

namespace {

UInt64 MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return UInt64(ts.tv_sec) * 1000u + UInt64(ts.tv_nsec) / 1000000u;
}

void *TimerThreadLoop(void *) {
    tIsTimerThread = true;
    // The first reading is taken now: the first wake-up counts only what really elapsed.
    UInt32 lastReading = SystemDependantGetTickCountMs();
    while (!StopWanted()) {
        UInt32 reading = SystemDependantGetTickCountMs();
        UInt32 elapsed = reading - lastReading;
        lastReading = reading;
        if (elapsed > kMaxTicksPerWakeUp) elapsed = kMaxTicksPerWakeUp;
        void (*callback)() = gThread.callback.load();
        for (UInt32 i = 0; callback && i < elapsed; i++) {
            if (gThread.phase.load() != kThreadRun) break;
            callback();
        }
        SleepNs(kWakeUpPeriodNs);
    }
    return nullptr;
}

// On the timer thread: true once a stop was asked for and not taken back; from then on
// the thread only ends.
bool StopWanted() {
    int phase = gThread.phase.load();
    while (phase == kThreadStopAsked || phase == kThreadStopJoining) {
        if (gThread.phase.compare_exchange_weak(phase, kThreadStopping)) return true;
    }
    return phase == kThreadStopping;
}

// Caller holds gThread.lock.
void AppendStartLog(const char *format, ...) {
    char line[kStartLogLineSize];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (length < 0) return;
    if (length >= int(sizeof line)) length = int(sizeof line) - 1;
    if (!gThread.startLog) gThread.startLog = NewHandle(0);
    if (gThread.startLog) PtrAndHand(line, gThread.startLog, length);
}

// Caller holds gThread.lock and is not the timer thread; the thread was asked to stop.
void JoinThread() {
    pthread_join(gThread.thread, nullptr);
    gThread.joinable = false;
}

// Section 0 is held.
void CountDownTask(TMTaskPtr task, SInt16 period) {
    if (task->tmCount == 0) return;
    SInt64 remaining = SInt64(task->tmCount) - period + task->tmReserved;
    task->tmReserved = 0;
    if (remaining > 0) {
        task->tmCount = SInt32(remaining);
        return;
    }
    if (remaining < INT32_MIN) remaining = INT32_MIN;  // a hostile negative delay
    FireTask(task, SInt32(remaining));
}

// Section 0 is held. Calls the procedure, again at once while a re-armed task is still late
// by its whole new period, so that a self-re-arming task keeps its period without drift.
// The calls of one tick are capped like the wake-ups of the thread; lateness beyond the cap
// stays carried and is caught up by the following ticks.
void FireTask(TMTaskPtr task, SInt32 lateness) {
    task->tmReserved = lateness;
    task->tmCount = 0;
    for (UInt32 calls = 0;; calls++) {
        gTick.lastCalled.store(task);
        if (task->tmAddr) task->tmAddr(task);
        // The procedure may have removed and freed its own task: look no further then.
        if (!OrvaIsInQueue(reinterpret_cast<QElemPtr>(task), &gTick.queue)) return;
        // A negative new delay is not "late by a period": it fires at the next tick.
        if (task->tmCount <= 0 || SInt64(task->tmCount) >= -SInt64(task->tmReserved)) return;
        if (calls + 1 >= kMaxTicksPerWakeUp) return;
        task->tmReserved += task->tmCount;
        task->tmCount = 0;
    }
}

void SleepNs(UInt64 ns) {
    timespec ts;
    ts.tv_sec = time_t(ns / 1000000000u);
    ts.tv_nsec = long(ns % 1000000000u);
    while (nanosleep(&ts, &ts) == -1 && errno == EINTR) {
    }
}

void FillDate(const struct tm &t, DateTimeRec *date) {
    SInt32 year = t.tm_year;
    if (year <= 999) year += 1900;
    date->year = SInt16(year);
    date->month = SInt16(t.tm_mon + 1);
    date->day = SInt16(t.tm_mday);
    date->hour = SInt16(t.tm_hour);
    date->minute = SInt16(t.tm_min);
    date->second = SInt16(t.tm_sec);
}

}  // namespace
