// orva-crash-demo CRASH [OPTIONS]: installs the crash trap and crashes, for the trap to write
// its report and end the process. The dialog is answered No unless asked otherwise.
//   CRASH: --segv (a write to an unmapped address), --jump0 (a call to address 0),
//          --signal N (raises signal N), --thread (a write to an unmapped address on a
//          second thread), --recurse (a recursion that runs out of stack)
//   --yes               answer Yes: the open program receives the page address
//   --open PROGRAM      the program Yes runs (default /usr/bin/xdg-open)
//   --ask               show the real dialog instead of answering it
//   --language N        interface language (0 French, 1 English ...)
//   --dialog-text FILE  write the dialog's text to FILE
//   --fault-in-dialog   fault again while the dialog is being answered
#include <fcntl.h>
#include <gtk/gtk.h>
#include <pthread.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "platform/core/language.h"
#include "platform/core/runtime.h"
#include "platform/gtk/crash_trap.h"
#include "toolbox/toolbox_services.h"

namespace {

// Read through volatile so that the compiler cannot see the faults coming.
volatile uintptr_t gBadAddress = 16;
void (*volatile gNullCode)() = nullptr;

const char *gDialogTextFile = nullptr;
bool gYes = false;
bool gFaultInDialog = false;

void WriteToBadAddress() { *reinterpret_cast<volatile int *>(gBadAddress) = 1; }

// Runs inside the signal handler: open and write only.
SInt16 AnswerDialog(const char *text) {
    if (gDialogTextFile) {
        int fd = open(gDialogTextFile, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            ssize_t ignored = write(fd, text, strlen(text));
            (void)ignored;
            close(fd);
        }
    }
    if (gFaultInDialog) WriteToBadAddress();
    return gYes ? SInt16(kCrashDialogYes) : SInt16(kCrashDialogNo);
}

// Never stops: the limit is only there so that the compiler sees a way out.
volatile int gRecursionLimit = 0;
int Recurse(int depth) {
    volatile char frame[256];
    frame[0] = char(depth);
    if (gRecursionLimit && depth >= gRecursionLimit) return frame[0];
    return Recurse(depth + 1) + frame[0];
}

void *FaultingThread(void *) {
    WriteToBadAddress();
    return nullptr;
}

int Usage() {
    fprintf(stderr,
            "usage: orva-crash-demo --segv|--jump0|--signal N|--thread|--recurse [--yes] [--open PROGRAM] [--ask]\n"
            "       [--language N] [--dialog-text FILE] [--fault-in-dialog]\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    const char *crash = nullptr;
    int signal = 0;
    bool ask = false;
    snprintf(orvaSettings.applicationName, sizeof orvaSettings.applicationName, "%s", "orva-crash-demo");
    orvaSettings.version = "demo";
    orvaSettings.pluginFlag = 0;
    OrvaSetMainThread();
    for (int i = 1; i < argc; i++) {
        const char *a = argv[i];
        bool hasValue = i + 1 < argc;
        if (!strcmp(a, "--segv") || !strcmp(a, "--jump0") || !strcmp(a, "--thread") || !strcmp(a, "--recurse"))
            crash = a;
        else if (!strcmp(a, "--signal") && hasValue) crash = a, signal = atoi(argv[++i]);
        else if (!strcmp(a, "--yes")) gYes = true;
        else if (!strcmp(a, "--open") && hasValue) OrvaSetCrashOpenProgram(argv[++i]);
        else if (!strcmp(a, "--ask")) ask = true;
        else if (!strcmp(a, "--language") && hasValue) OrvaFixeLangue(SInt16(atoi(argv[++i])));
        else if (!strcmp(a, "--dialog-text") && hasValue) gDialogTextFile = argv[++i];
        else if (!strcmp(a, "--fault-in-dialog")) gFaultInDialog = true;
        else return Usage();
    }
    if (!crash) return Usage();
    SystemDependantInitCrashTrap();
    if (!ask) OrvaSetCrashDialogHook(AnswerDialog);
    else if (!gtk_init_check(nullptr, nullptr)) fprintf(stderr, "orva-crash-demo: no display, the dialog answers No\n");
    if (!strcmp(crash, "--segv")) {
        WriteToBadAddress();
    } else if (!strcmp(crash, "--jump0")) {
        gNullCode();
    } else if (!strcmp(crash, "--signal")) {
        raise(signal);
    } else if (!strcmp(crash, "--recurse")) {
        fprintf(stderr, "orva-crash-demo: %d\n", Recurse(0));
    } else {
        pthread_t thread;
        if (pthread_create(&thread, nullptr, FaultingThread, nullptr) == 0) pthread_join(thread, nullptr);
    }
    fprintf(stderr, "orva-crash-demo: still running after %s\n", crash);
    return 1;
}
