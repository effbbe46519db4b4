// The five exports and the glue entries of the plug-in table (painting, events, timers and the
// changed areas are in glue_drawing.cpp).
#include "plugin/glue.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <unistd.h>

#include "graphics/quickdraw/transfer.h"
#include "platform/core/critical_sections.h"
#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/core/linux_files.h"
#include "plugin/browser_calls.h"
#include "plugin/clicks.h"
#include "plugin/documents.h"
#include "plugin/embed_params.h"
#include "plugin/engine_hooks.h"
#include "plugin/glue_internal.h"
#include "plugin/host_services.h"
#include "plugin/instance.h"
#include "plugin/scripting.h"
#include "plugin/shell_standins.h"
#include "plugin/startup.h"
#include "sound/playback.h"
#include "score/paths.h"
#include "graphics/quickdraw/window_record.h"

namespace {

const char kMimeDescription[] = "application/x-ondrak-music:oms:OndrakMusicPlugIn";
const char kPluginName[] = "Ondrak Music Plug-in";
const char kPluginDescription[] = "Play, display or print music score files";
const char kPluginVersion[] = "5.6.2n";
const char kFallbackLibraryPath[] = "/usr/lib/mozilla/plugins/npOmsMusDebug.so";
constexpr SInt32 kTimerIntervalMs = 100;

// Process-wide start-up state; main thread.
struct GlueStartState {
    UInt8 settingsInitialised;    // OrvaInitSettings ran (once per process)
    UInt8 startupTraceHeld;       // start-up lines are held until an instance turns tracing on
    char entryDirectory[PATH_MAX];  // the plug-in's folder, current again after NP_Shutdown
};
GlueStartState gStart;

}  // namespace

GlueState gGlue;

static void MakePluginFolderCurrent();
static void FillPluginTable(NPPluginFuncs *table);
static PlugInWindow *NewPlugInWindow(NPP instance);
static void DisposePlugInWindow(PlugInWindow *window);
static void EndStartupTrace();
static void EnterGlue(NPP instance, const char *name, Boolean fitPort);
static void LeaveGlue();

const char *NP_GetMIMEDescription() { return kMimeDescription; }

// The browser asks these while it scans its plug-in folders: nothing is started or written.
NPError NP_GetValue(void *, NPPVariable variable, void *value) {
    if (!value) return NPERR_INVALID_PARAM;
    if (variable == NPPVpluginNameString) {
        *static_cast<const char **>(value) = kPluginName;
        return NPERR_NO_ERROR;
    }
    if (variable == NPPVpluginDescriptionString) {
        *static_cast<const char **>(value) = kPluginDescription;
        return NPERR_NO_ERROR;
    }
    return NPERR_INVALID_PARAM;
}

const char *NP_GetPluginVersion() {
    PlugTrace("NP_GetPluginVersion");
    return kPluginVersion;
}

NPError NP_Initialize(NPBrowserFuncs *browserFuncs, NPPluginFuncs *pluginFuncs) {
    if (!gStart.settingsInitialised) {
        OrvaInitSettings();
        gStart.settingsInitialised = 1;
        gStart.startupTraceHeld = 1;
        PlugHoldTrace(kTrue);
    }
    PlugTrace("NP_Initialize");
    browser = browserFuncs;
    // A table too short for the slots filled below is refused before anything changes.
    if (!pluginFuncs || pluginFuncs->size < sizeof(NPPluginFuncs)) return NPERR_INVALID_FUNCTABLE_ERROR;
    gtk_init_check(nullptr, nullptr);
    MakePluginFolderCurrent();
    InitChemins(nullptr);
    PlugTraceFolders();
    if (!getcwd(gStart.entryDirectory, sizeof gStart.entryDirectory)) gStart.entryDirectory[0] = 0;
    PlugTrace("Entry %s", gStart.entryDirectory);
    FillPluginTable(pluginFuncs);
    OrvaInitPluginSystem();
    OrvaSetCopybitAntialias(1, 1);
    OrvaPluginSetResizeCallback(GlueSetSize);
    PlugInInstalleMoteur();
    NPError result = NPP_Initialize();
    PlugTrace("Starting timer 1000");
    OrvaStartTimer1000();
    char *device = OrvaGetDigitalOutputDevice();
    if (!device[0]) snprintf(device, kDigitalOutputDeviceSize, "%s", "default");
    InitConfigurationPeriphWindow();
    PlugTrace("NP_InitializeOK");
    return result;
}

NPError NP_Shutdown() {
    PlugTrace("NP_Shutdown");
    NPP_Shutdown();
    char folder[PATH_MAX];
    PlugTrace("Sortie %s", getcwd(folder, sizeof folder) ? folder : "");
    GlueDisposeAllWindows();
    OrvaExitPluginSystem();
    browser = nullptr;
    if (gStart.entryDirectory[0] && chdir(gStart.entryDirectory) != 0) PlugTrace("Can't go back to %s", gStart.entryDirectory);
    OrvaPluginSetResizeCallback(nullptr);
    ArreteMusique(1);
    OrvaStopTimer1000();
    SystemDependantStopTimer();  // joins the thread even while Time Manager tasks are queued
    PlugTrace("Final exit.");
    return NPERR_NO_ERROR;
}

NPError NPP_GlueNew(char *pluginType, NPP instance, uint16_t mode, int16_t argc, char *argn[], char *argv[],
                    NPSavedData *saved) {
    PlugTrace("NPP_GlueNew + scheduled");
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    NPBool windowless = 0;
    if (NPN_GetValue(instance, NPNVSupportsWindowless, &windowless) != NPERR_NO_ERROR || !windowless) {
        PlugInTraceIfAsked(argc, argn, argv);  // the page asked to see why nothing shows
        PlugTrace("Windowless mode not supported by the browser\n");
        EndStartupTrace();
        return NPERR_GENERIC_ERROR;
    }
    NPN_SetValue(instance, NPPVpluginWindowBool, nullptr);
    OrvaStartPluginCriticalSection();
    NPError result = NPP_New(pluginType, instance, mode, argc, argn, argv, saved);
    // Without its resource file the plug-in has none of its texts, pictures or icons: rather
    // than a face that half works, the instance is refused (start-up said why).
    if (result == NPERR_NO_ERROR && resFilePlugIn < 0) {
        PlugTrace("Instance refused: no resource file");
        NPP_Destroy(instance, nullptr);
        result = NPERR_GENERIC_ERROR;
    }
    PlugInInstance *record = PlugInFromNPP(instance);
    if (!gGlue.timerTaskMode && record) {
        record->timerId = NPN_ScheduleTimer(instance, kTimerIntervalMs, 1, NPP_GlueTimer);
        PlugTrace("NPP %08lx scheduledTimerID=%08lx", static_cast<unsigned long>(uintptr_t(instance)),
                  static_cast<unsigned long>(record->timerId));
        if (!record->timerId) {
            PlugTrace("Switching to TMTask Timers");
            gGlue.timerTaskMode = 1;
        }
    }
    PluginUpdateDirty();
    // What start-up could not show, before any window existed, is shown now, and traced when
    // the page asked for a trace; a refused instance gets no timer to do it later.
    OrvaPumpErrors();
    OrvaEndPluginCriticalSection();
    EndStartupTrace();
    return result;
}

NPError NPP_GlueDestroy(NPP instance, NPSavedData **save) {
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    OrvaStartPluginCriticalSection();
    PlugTrace("NPP_GlueDestroy");
    PlugInInstance *record = PlugInFromNPP(instance);
    if (record && record->timerId) NPN_UnscheduleTimer(instance, record->timerId);
    NPError result = NPP_Destroy(instance, save);
    OrvaPluginID id = OrvaPluginID(instance);
    PlugInWindow *window = static_cast<PlugInWindow *>(OrvaPluginGetInstanceData(id));
    OrvaPluginDestroyInstanceWindow(id);
    DisposePlugInWindow(window);
    PluginUpdateDirty();
    OrvaEndPluginCriticalSection();
    return result;
}

NPError NPP_GlueSetWindow(NPP instance, NPWindow *window) {
    if (!instance) return NPERR_INVALID_INSTANCE_ERROR;
    OrvaStartPluginCriticalSection();
    PlugTrace("NPP_GlueSetWindow instance %lx window %lx w->w %lx", static_cast<unsigned long>(uintptr_t(instance)),
              static_cast<unsigned long>(uintptr_t(window)),
              static_cast<unsigned long>(uintptr_t(window ? window->window : nullptr)));
    NPError result = NPERR_NO_ERROR;
    OrvaPluginID id = OrvaPluginID(instance);
    PlugInWindow *described = nullptr;
    if (window && OrvaPluginSetInstanceWindow(id, window->window)) {
        described = static_cast<PlugInWindow *>(OrvaPluginGetInstanceData(id));
        if (!described) described = NewPlugInWindow(instance);
    }
    if (window && !described) {
        result = NPERR_OUT_OF_MEMORY_ERROR;
    } else if (described) {
        described->link->window = OrvaPluginGetInstanceWindow(id);
        const NPSetWindowCallbackStruct *ws = static_cast<const NPSetWindowCallbackStruct *>(window->ws_info);
        described->link->visual = ws ? ws->visual : nullptr;
        described->x = described->y = 0;
        described->width = SInt32(window->width > INT32_MAX ? INT32_MAX : window->width);
        described->height = SInt32(window->height > INT32_MAX ? INT32_MAX : window->height);
        described->clip = Rect{-32000, -32000, 32000, 32000};
        OrvaPluginSetInstanceData(id, described);
        // A windowless instance has no native window: the platform field holds the instance id,
        // through which the library asks the glue for the instance's rectangle.
        SystemDependantSetPluginWindow(id, instance);
        OrvaPluginCheckResize(id, 0);
        NPP_SetWindow(instance, described);
    } else {
        NPP_SetWindow(instance, nullptr);
    }
    PluginUpdateDirty();
    OrvaEndPluginCriticalSection();
    return result;
}

NPError NPP_GlueNewStream(NPP instance, char *type, NPStream *stream, NPBool seekable, uint16_t *streamType) {
    EnterGlue(instance, "NPP_GlueNewStream", kTrue);
    NPError result = NPP_NewStream(instance, type, stream, seekable, streamType);
    LeaveGlue();
    return result;
}

NPError NPP_GlueDestroyStream(NPP instance, NPStream *stream, NPError reason) {
    EnterGlue(instance, "NPP_GlueDestroyStream", kTrue);
    NPError result = NPP_DestroyStream(instance, stream, reason);
    LeaveGlue();
    return result;
}

void NPP_GlueStreamAsFile(NPP instance, NPStream *, const char *) {
    EnterGlue(instance, "NPP_GlueStreamAsFile", kTrue);
    LeaveGlue();
}

int32_t NPP_GlueWriteReady(NPP instance, NPStream *stream) {
    EnterGlue(instance, "NPP_GlueWriteReady", kTrue);
    int32_t result = NPP_WriteReady(instance, stream);
    LeaveGlue();
    return result;
}

int32_t NPP_GlueWrite(NPP instance, NPStream *stream, int32_t offset, int32_t length, void *buffer) {
    EnterGlue(instance, "NPP_GlueWrite", kTrue);
    int32_t result = NPP_Write(instance, stream, offset, length, buffer);
    LeaveGlue();
    return result;
}

// Printing goes through the player's own command; this entry only hands back changed areas.
void NPP_GluePrint(NPP instance, NPPrint *) {
    EnterGlue(instance, "NPP_GluePrint", kFalse);
    LeaveGlue();
}

void NPP_GlueURLNotify(NPP, const char *, NPError, void *) {}

// The page's scripts read the instance's scriptable object ("loaded", "totalduration" ...);
// every other request is refused.
NPError NPP_GlueGetValue(NPP instance, NPPVariable variable, void *value) {
    PlugTrace("NPP_GlueGetValue %d", int(variable));
    if (variable != NPPVpluginScriptableNPObject || !instance) return NPERR_GENERIC_ERROR;
    OrvaStartPluginCriticalSection();
    NPError result = NPP_GetValue(instance, variable, value);
    OrvaEndPluginCriticalSection();
    return result;
}

NPError NPP_GlueSetValue(NPP, NPNVariable, void *) {
    OrvaStartPluginCriticalSection();
    PlugTrace("NPP_GlueSetValue");
    OrvaEndPluginCriticalSection();
    return NPERR_NO_ERROR;
}

WindowPtr PlugInWindowOf(const PlugInWindow *window) {
    return window && window->link ? window->link->window : nullptr;
}

void GlueGetInstanceRect(void *instanceId, Rect *r) {
    if (!r) return;
    *r = Rect{0, 0, 0, 0};
    const PlugInWindow *window = static_cast<const PlugInWindow *>(OrvaPluginGetInstanceData(OrvaPluginID(instanceId)));
    if (!window) return;
    auto side = [](SInt64 v) { return SInt16(v < 0 ? 0 : v > 32767 ? 32767 : v); };
    *r = Rect{side(window->y), side(window->x), side(SInt64(window->y) + window->height),
              side(SInt64(window->x) + window->width)};
}

void GlueSetSize(OrvaPluginID id) {
    PlugInWindow *window = static_cast<PlugInWindow *>(OrvaPluginGetInstanceData(id));
    if (!window) return;
    Rect frame;
    OrvaPluginGetRect(id, &frame);
    window->x = frame.left;
    window->y = frame.top;
    window->width = frame.right - frame.left;
    window->height = frame.bottom - frame.top;
}

Boolean PlugInTimerTaskMode() { return gGlue.timerTaskMode; }

void GlueDisposeAllWindows() {
    for (OrvaPluginInstance *p = OrvaPluginFirstInstance(); p; p = p->next) {
        DisposePlugInWindow(static_cast<PlugInWindow *>(p->data));
        p->data = nullptr;
    }
}

// The folder of the library's own file becomes current; its path is the application's.
static void MakePluginFolderCurrent() {
    char path[PATH_MAX] = "";
    Dl_info info;
    if (dladdr(reinterpret_cast<void *>(&NP_Initialize), &info) && info.dli_fname && info.dli_fname[0]) {
        // A relative name is made absolute without resolving links, so that a folder of links
        // to the library stays the plug-in's folder.
        if (info.dli_fname[0] == '/' || !getcwd(path, sizeof path)) path[0] = 0;
        else strncat(path, "/", sizeof path - strlen(path) - 1);
        strncat(path, info.dli_fname, sizeof path - strlen(path) - 1);
    } else {
        snprintf(path, sizeof path, "%s", kFallbackLibraryPath);
    }
    SystemDependantSetAppFileName(path);
    char application[kOrvaPathMax + 1];
    if (!SystemDependantGetApplicationExePath(application)) return;
    char *slash = strrchr(application, '/');
    if (slash) *slash = 0;
    if (application[0] && chdir(application) != 0) PlugTrace("Can't enter %s", application);
}

static void FillPluginTable(NPPluginFuncs *table) {
    table->newp = NPP_GlueNew;
    table->destroy = NPP_GlueDestroy;
    table->setwindow = NPP_GlueSetWindow;
    table->newstream = NPP_GlueNewStream;
    table->destroystream = NPP_GlueDestroyStream;
    table->asfile = NPP_GlueStreamAsFile;
    table->writeready = NPP_GlueWriteReady;
    table->write = NPP_GlueWrite;
    table->print = NPP_GluePrint;
    table->event = NPP_GlueEvent;
    table->urlnotify = NPP_GlueURLNotify;
    table->getvalue = NPP_GlueGetValue;
    table->setvalue = NPP_GlueSetValue;
}

static PlugInWindow *NewPlugInWindow(NPP instance) {
    PlugInWindow *window = reinterpret_cast<PlugInWindow *>(NewPtrClear(sizeof(PlugInWindow)));
    PlugInWindowLink *link = reinterpret_cast<PlugInWindowLink *>(NewPtrClear(sizeof(PlugInWindowLink)));
    if (!window || !link) {
        DisposPtr(reinterpret_cast<Ptr>(window));
        DisposPtr(reinterpret_cast<Ptr>(link));
        return nullptr;
    }
    link->npp = instance;
    window->link = link;
    return window;
}

// Requests still queued with the browser outlive the window: they are marked and freed when
// the browser runs them.
static void DisposePlugInWindow(PlugInWindow *window) {
    if (!window) return;
    if (window->link) {
        GlueAbandonRequests(window->link);
        DisposPtr(reinterpret_cast<Ptr>(window->link));
    }
    DisposPtr(reinterpret_cast<Ptr>(window));
}

// Lines traced before the first instance are kept only until that instance is made: they are
// written if it turned tracing on.
static void EndStartupTrace() {
    if (!gStart.startupTraceHeld) return;
    gStart.startupTraceHeld = 0;
    PlugHoldTrace(kFalse);
}

// The frame of the stream and print entries: serialised and traced, the port fitted to the
// instance's frame before the body, the changed areas handed to the browser after it.
static void EnterGlue(NPP instance, const char *name, Boolean fitPort) {
    OrvaStartPluginCriticalSection();
    PlugTrace("%s", name);
    if (fitPort) OrvaPluginCheckResize(OrvaPluginID(instance), 0);
}

static void LeaveGlue() {
    PluginUpdateDirty();
    OrvaEndPluginCriticalSection();
}
