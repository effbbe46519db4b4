// The two destinations of the element tree's and zip readers' messages, with their defaults.
#include "import/xml/xml_reports.h"

#include <cstdarg>
#include <cstdio>

#include "platform/core/runtime.h"

namespace {

enum : int { kReportMessageSize = 512 };

XMLReportHooks gReportHooks = {nullptr, nullptr};  // main thread only

void DefaultFailure(const char *message);
void DefaultTrace(const char *message);
void Deliver(void (*destination)(const char *message), const char *format, va_list args);

}  // namespace

void XMLSetReportHooks(const XMLReportHooks *hooks) { gReportHooks = hooks ? *hooks : XMLReportHooks{nullptr, nullptr}; }

void XMLReportFailure(const char *format, ...) {
    va_list args;
    va_start(args, format);
    Deliver(gReportHooks.failure ? gReportHooks.failure : DefaultFailure, format, args);
    va_end(args);
}

void XMLTrace(const char *format, ...) {
    va_list args;
    va_start(args, format);
    Deliver(gReportHooks.trace ? gReportHooks.trace : DefaultTrace, format, args);
    va_end(args);
}

namespace {

// The runtime's message routines, which the plug-in fills with its report and trace.
void DefaultFailure(const char *message) { Collapse("%s", message); }

void DefaultTrace(const char *message) { PlugTrace("%s", message); }

void Deliver(void (*destination)(const char *message), const char *format, va_list args) {
    char message[kReportMessageSize];
    vsnprintf(message, sizeof message, format, args);
    destination(message);
}

}  // namespace
