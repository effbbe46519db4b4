// orva-demo-timer OUTDIR: starts the runtime as the plug-in does, runs a 10 ms Time Manager
// task for two seconds and writes what it saw to OUTDIR/timer.txt.
#include <atomic>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "plugin/host_services.h"

namespace {

struct CountingTask {
    TMTask task;  // first, so the procedure reaches the record from the task
    std::atomic<long> fired;
};

void Fire(TMTask *task) {
    CountingTask *t = reinterpret_cast<CountingTask *>(task);
    t->fired++;
    PrimeTime(task, 10);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: orva-demo-timer OUTDIR\n");
        return 2;
    }
    std::string outDir = argv[1];
    mkdir(outDir.c_str(), 0755);
    std::string path = outDir + "/timer.txt";
    FILE *out = fopen(path.c_str(), "w");
    if (!out) {
        fprintf(stderr, "orva-demo-timer: cannot write %s\n", path.c_str());
        return 1;
    }

    OrvaInitSettings();
    OrvaStartTimer1000();

    Handle h = NewHandleClear(1000);
    fprintf(out, "application: %s\n", orvaSettings.applicationName);
    fprintf(out, "handle of %u bytes, MemError %d\n", GetHandleSize(h), MemError());
    DisposHandle(h);

    CountingTask counter = {};
    counter.task.tmAddr = Fire;
    UInt32 ticks0 = TickCount();
    PrimeTime(&counter.task, 10);
    SystemDependantSleepMs(2000);
    RmvTime(&counter.task);
    UInt32 ticks = TickCount() - ticks0;

    char log[1024];
    OrvaGetTimerInitResult(log, sizeof log);
    fprintf(out, "timer thread: %s", log);
    fprintf(out, "a 10 ms task fired %ld times in 2 s; TickCount advanced %u\n", counter.fired.load(), ticks);
    UInt32 secs;
    GetDateTime(&secs);
    DateTimeRec date;
    Secs2Date(secs, &date);
    fprintf(out, "date: %04d-%02d-%02d %02d:%02d:%02d\n", date.year, date.month, date.day, date.hour, date.minute,
            date.second);
    fclose(out);
    SystemDependantStopTimer();
    printf("wrote %s\n", path.c_str());
    return 0;
}
