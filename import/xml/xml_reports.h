// Where the element tree and the zip readers send what they have to say: the fatal-error report
// for a private fragment that does not parse, and the trace for the zip readers' progress.
#pragma once

#include "platform/core/mac_types.h"

// One row of destinations; a null slot takes the default. Process-wide, main thread only.
struct XMLReportHooks {
    void (*failure)(const char *message);  // default: the fatal-error report, which shows it and returns
    void (*trace)(const char *message);    // default: the trace log (silent while tracing is off)
};

void XMLSetReportHooks(const XMLReportHooks *hooks);  // copies the row; null restores the defaults
void XMLReportFailure(const char *format, ...) __attribute__((format(printf, 1, 2)));
void XMLTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));
