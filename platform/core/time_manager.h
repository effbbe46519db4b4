// The Time Manager on a 1 kHz real-time thread, the Toolbox clocks, queues and dates.
#pragma once

#include "platform/core/mac_types.h"

struct TMTask;
typedef void (*TimerProcPtr)(TMTask *task);

struct TMTask {              // may open a larger record of the caller's own
    QElemPtr qLink;          // next queued element
    SInt16 qType;            // 0 once inserted
    TimerProcPtr tmAddr;     // called on the timer thread, section 0 held
    SInt32 tmCount;          // ms still to go; 0 inactive
    SInt32 tmWakeUp;         // the delay last given to PrimeTime
    SInt32 tmReserved;       // lateness carried from the last expiry (0 or negative)
};
typedef TMTask *TMTaskPtr;

struct DateTimeRec {
    SInt16 year;
    SInt16 month;      // 1..12
    SInt16 day;
    SInt16 hour;
    SInt16 minute;
    SInt16 second;
    SInt16 dayOfWeek;  // 1 = Sunday
};

enum : UInt32 { kSecondsFrom1904To1970 = 2082844800u };

// Timer thread (calls the callback once per elapsed millisecond, at most 500 a wake-up).
UInt32 SystemDependantStartTimer(void (*callback)());  // 1 started (or already running), 0 not
// Stops the thread and joins it. On the timer thread, or holding section 0, it only asks:
// the next start or stop from another thread joins the finished thread.
void SystemDependantStopTimer();
UInt32 SystemDependantInitTimer();                      // 100: a timer is available
UInt32 SystemDependantGetTickCountMs();                 // monotonic ms, wraps as unsigned 32-bit
void SystemDependantSleepMs(UInt32 ms);
void GtkSleep(UInt32 ms);

void OrvaStartTimer1000();
void OrvaStopTimer1000();
UInt32 OrvaGetTimer1000();
void OrvaSetTimer1000(UInt32 ms);
TMTaskPtr OrvaGetTMTaskAddr();
void OrvaGetTimerInitResult(char *buffer, SInt32 size);
void OrvaTimeManagerTick();  // one elapsed millisecond (the thread's callback; tests drive it directly)
void OrvaInitTimeMgr();

void InsTime(TMTaskPtr task);
void PrimeTime(TMTaskPtr task, SInt32 ms);
void RmvTime(TMTaskPtr task);

void Enqueue(QElemPtr element, QHdrPtr queue);  // section 0; an element already queued is not added twice
void Dequeue(QElemPtr element, QHdrPtr queue);  // section 0; an element not queued changes nothing
Boolean OrvaIsInQueue(QElemPtr element, QHdrPtr queue);

UInt32 TickCount();  // 60 a second
// TickCount read from the system's coarse clock, which lags by a few milliseconds at most and
// costs far less: what every queued event is stamped with. The test seam applies too.
UInt32 OrvaCoarseTickCount();
void OrvaSetTickCountSource(UInt32 (*source)());  // test seam: TickCount answers source(); null: the clock
void Delay(UInt32 ticks, UInt32 *finalTicks);
void OrvaPause(SInt16 ticks);

OSErr GetDateTime(UInt32 *secs);  // seconds since 1 January 1904
OSErr SetDateTime(UInt32 secs);
void SetTime(const DateTimeRec *date);
void Date2Secs(const DateTimeRec *date, UInt32 *secs);
void Secs2Date(UInt32 secs, DateTimeRec *date);
void GetTime(DateTimeRec *date);
