// Interim definitions until the runtime core, the Time Manager and the host services land.
#include <cstdarg>
#include <cstdio>
#include <ctime>

#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "plugin/host_services.h"

OrvaSettings orvaSettings = {};

UInt32 TickCount() {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return UInt32((UInt64(now.tv_sec) * 1000 + UInt64(now.tv_nsec) / 1000000) * 3 / 50);
}

void Collapse(const char *format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    OrvaErreur(message);
}
