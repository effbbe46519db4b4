// orva-demo-app [DOCUMENT...]: the library started as a standalone application. The first
// instance starts QuickDraw and the toolbox from the system files it finds (those of the build
// tree when it runs there), shows its menu bar with the standard Edit menu and says so on
// stderr ("menu bar: mapped, 22 pixels high"), installs an open-documents handler, prints "open
// NAME in FOLDER" for every document it is asked to open (its own and those a later start hands
// over) and runs until SIGTERM or SIGINT. A later start hands its documents over and ends: 0
// when all arrived.
// ORVA_DEMO_APP_NAME sets the application name (queue and pid file); ORVA_DEMO_APP_SECONDS
// stops the first instance after that many seconds.
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gtk/gtk.h>

#include "platform/core/folders.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/apple_events.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/standalone.h"
#include "toolbox/menus.h"
#include "toolbox/toolbox_install.h"

namespace {

enum : SInt16 { kEditMenu = 130 };  // the system files' standard Edit menu

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

void StartToolbox() {
    OrvaInitToolboxManagers();
    if (MenuHandle edit = GetMenu(kEditMenu)) InsertMenu(edit, 0);
    DrawMenuBar();
    SInt16 height = 0;
    GetThemeMenuBarHeight(&height);
    GtkWidget *bar = GTKGetMenuBarWidget();
    fprintf(stderr, "menu bar: %s, %d pixels high\n", bar && gtk_widget_get_mapped(bar) ? "mapped" : "not mapped",
            height);
}

int DemoMain(int, char **) {
    StartToolbox();
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
    // First of all: the start-up posts the program's own documents as events into its queue.
    OrvaInstallToolbox();
    OrvaStandaloneApp app{FillSettings, DemoMain};
    return OrvaStandaloneMain(argc, argv, &app);
}
