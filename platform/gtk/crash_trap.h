// The crash trap of the standalone application: on a fatal signal it appends a plain-text
// report to "crash.log" in the user's documents folder, offers to open the troubleshooting
// page with the report, and ends the process with SIGTERM. Never installed in the plug-in.
#pragma once

#include <cstddef>
#include <signal.h>

#include "platform/core/mac_types.h"

enum : SInt32 {
    kCrashReportMax = 2048,     // bytes of a report, and of the page address
    kCrashDialogYes = -8,       // the dialog's answer that opens the page
    kCrashDialogNo = -9,
    kCrashDialogTextSize = 8192,
};

// Installs the handler for SIGSEGV, SIGILL, SIGABRT, SIGFPE and SIGUSR1 and gathers, there and
// then, what a report needs (program name, version, system description, report path), since
// the handler may call only signal-safe services. Nothing in the plug-in. Main thread.
void SystemDependantInitCrashTrap();
// Whether the trap's handler is installed in this process.
Boolean OrvaIsCrashTrapInstalled();

// Builds the report of signal (its information and interrupted context as the handler gets
// them; either may be null) into out, at most kCrashReportMax bytes with the terminator.
// Addresses that cannot be read show as dashes. Signal-safe.
size_t OrvaBuildCrashReport(int signal, const siginfo_t *info, const void *context, char *out, size_t size);
// Writes text URL-encoded to out (size bytes with the terminator): letters and digits stay, a
// blank becomes '+', carriage returns are dropped, anything else is '%' and two upper-case
// hexadecimal digits. An escape that does not fit whole is left out with all that follows.
// Answers the length written. Signal-safe.
size_t OrvaUrlEncode(const char *text, char *out, size_t size);
// The troubleshooting page's address for a report, at most kCrashReportMax bytes; the encoded
// report is cut at a whole escape to fit. Signal-safe.
size_t OrvaCrashPageAddress(const char *languageCode, const char *report, char *out, size_t size);
// The two-letter code of an interface language: 0 "FR", 1 "EN", 2 "IT", 3 "DE", 4 "ES",
// 5 "JP", any other "EN".
const char *OrvaCrashLanguageCode(SInt16 language);
// The dialog's text: French for the code "FR" (either case), else English. Signal-safe.
size_t OrvaCrashDialogText(const char *languageCode, const char *program, const char *reportPath, char *out,
                           size_t size);

// Test seams. The hook answers the dialog instead of the screen (it gets the dialog's text and
// answers kCrashDialogYes or another value); null restores the dialog. The program Yes runs
// with the page address as its one argument; null restores "/usr/bin/xdg-open".
void OrvaSetCrashDialogHook(SInt16 (*hook)(const char *text));
void OrvaSetCrashOpenProgram(const char *path);
// The report file the trap appends to (gathered when it was installed), or "".
const char *OrvaGetCrashReportPath();
