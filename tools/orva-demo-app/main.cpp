// orva-demo-app [DOCUMENT...]: the library started as a standalone application. The first
// instance installs an open-documents handler, prints "open NAME in FOLDER" for every document
// it is asked to open (its own and those a later start hands over) and runs until SIGTERM or
// SIGINT. A later start hands its documents over and ends: 0 when all arrived.
// ORVA_DEMO_APP_NAME sets the application name (queue and pid file); ORVA_DEMO_APP_SECONDS
// stops the first instance after that many seconds.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "platform/core/folders.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/apple_events.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/standalone.h"

namespace {

volatile sig_atomic_t gStop = 0;

void OnStop(int) { gStop = 1; }

void FillSettings() {
    const char *name = getenv("ORVA_DEMO_APP_NAME");
    snprintf(orvaSettings.applicationName, sizeof orvaSettings.applicationName, "%s",
             name && name[0] ? name : "orva-demo-app");
    orvaSettings.version = "demo";
    orvaSettings.pluginFlag = 0;
    orvaSettings.singleInstance = 1;
}

OSErr OpenDocuments(const AppleEvent *event, AppleEvent *, long) {
    AEDescList documents{0, nullptr};
    OSErr err = AEGetParamDesc(event, FourCC("----"), FourCC("list"), &documents);
    if (err != noErr) return err;
    SInt32 count = 0;
    AECountItems(&documents, &count);
    for (SInt32 i = 1; i <= count; i++) {
        OrvaDocumentSpec spec;
        Size size = 0;
        if (AEGetNthPtr(&documents, i, FourCC("fss "), nullptr, nullptr, &spec, sizeof spec, &size) != noErr) continue;
        char folder[kOrvaPathMax + 1];
        OrvaGetNomChemin(spec.parID, folder);
        printf("open %s in %s\n", spec.name, folder);
    }
    fflush(stdout);
    AEDisposeDesc(&documents);
    return noErr;
}

int DemoMain(int, char **) {
    struct sigaction stop;
    memset(&stop, 0, sizeof stop);
    stop.sa_handler = OnStop;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    AEInstallEventHandler(FourCC("aevt"), kAEOpenDocumentsSlot, NewAEEventHandlerProc(OpenDocuments), 0, kFalse);
    printf("ready: %s\n", orvaSettings.applicationName);
    fflush(stdout);
    const char *limit = getenv("ORVA_DEMO_APP_SECONDS");
    UInt32 seconds = limit ? UInt32(strtoul(limit, nullptr, 10)) : 0;
    UInt32 start = SystemDependantGetTickCountMs();
    while (!gStop && (seconds == 0 || SystemDependantGetTickCountMs() - start < seconds * 1000)) {
        SystemDependantWaitAndDoEvent(3);
        EventRecord event;
        while (GetNextEvent(highLevelEventMask, &event)) AEProcessAppleEvent(&event);
    }
    printf("stopped\n");
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    OrvaStandaloneApp app{FillSettings, DemoMain};
    return OrvaStandaloneMain(argc, argv, &app);
}
