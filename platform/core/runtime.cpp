// The runtime core: settings, start-up and exit hooks, the error sink, the message hooks, the
// wheel router and the process-wide values every module of the library leans on.
#include "platform/core/runtime.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/core/back_end.h"
#include "platform/core/errors.h"
#include "platform/core/preferences.h"

OrvaSettings orvaSettings = {
    "Ondrak Application",      // applicationName
    0,                         // pluginFlag
    1,                         // singleInstance
    0,                         // alertFlag
    1,                         // windowSystemMode
    3,                         // systemFontMode
    {0x0000, 0xF000, 0x8000},  // invertColor
    0,                         // noMenuBar
    nullptr,                   // instanceRect
    "",                        // version
    {0, 0, 0, 0},              // shapeWords
};

namespace {

constexpr int kWorkingDirSize = 1024;
constexpr int kErrorQueueSize = 32;          // messages waiting for the main thread; more are dropped
constexpr int kErrorFormatSize = 4096;       // OrvaErreurF's formatted text
constexpr SInt32 kPrefValueSize = 256;
constexpr int kMessageSize = 512;            // a formatted message with its terminator

// Which thread is the main one: recorded by the host, else the process's first thread.
struct MainThread {
    std::atomic<bool> recorded{false};
    std::atomic<pthread_t> thread{};
};
MainThread gMainThread;

// The one error sink. The queue is guarded by lock, taken alone (never with a section), so
// any thread may raise a message whatever it holds; everything else is the main thread's.
struct ErrorSink {
    std::atomic<bool> showing{false};  // a message is on screen (or in the hook): newcomers are dropped
    std::atomic<void (*)(const char *)> hook{nullptr};
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    char *queue[kErrorQueueSize] = {};  // owned copies, oldest first (lock)
    int queued = 0;                     // (lock)
};
ErrorSink gErrors;

// Process-wide values, main thread only.
struct RuntimeState {
    const char *cmdLine = "";
    WindowPtr frameWnd = nullptr;
    char workingDir[kWorkingDirSize] = "";
    SInt16 breakMessProcess = 0;
    void *pluginHandleEventProc = nullptr;
    Boolean unicodeKbd = kFalse;
    Boolean mouseWheelProcessed = kTrue;
    Boolean (*wheelRouter)(SInt16 delta) = nullptr;
    char digitalOutputDevice[kDigitalOutputDeviceSize] = "";  // written by the plug-in
};
RuntimeState gRuntime;

// The plug-in's message routines, installed once at its start-up and read by any thread.
std::atomic<const OrvaMessageHooks *> gMessageHooks{nullptr};

struct FontId {
    const char *name;
    UInt16 id;
};
// The fixed ids the font table gives these fonts.
const FontId kInstalledFonts[] = {
    {"Wingdings", 0xE000},         {"PT Dingbats 1", 0xE001},     {"PT Dingbats 2", 0xE002},
    {"Marlett", 0xE003},           {"Times New Roman", 0xE100},   {"Symbol", 0xE101},
    {"Arial", 0xE200},             {"Bermuda Script", 0xE201},    {"PT Utah Condensed", 0xE202},
    {"Courier New", 0xE300},       {"Arial Alternative", 0xE301}, {"Arial Alternative Symbol", 0xE302},
    {"Germany", 0xE400},           {"San Diego", 0xE500},         {"US", 0xE501},
    {"Times", 0xE180},             {"Bookman", 0xE181},           {"Palatino", 0xE182},
    {"AvantGarde", 0xE280},        {"Helvetica", 0xE281},         {"Helvetica-Narrow", 0xE282},
    {"NewCenturySchlbk", 0xE283},  {"ZapfChancery", 0xE480},      {"ZapfDingbats", 0xE580},
    {"Lentara", 0xF5FF},           {"Quorella", 0xF5FE},
};

void QueueError(const char *message);
char *TakeQueuedError();
void ShowError(const char *message);
void TraceError(const char *message);
void OnErrorBoxClosed();
void FormatMessage(char *message, const char *format, va_list args);

}  // namespace

Boolean OrvaIsPlugin() { return orvaSettings.pluginFlag; }
UInt16 OrvaWindowsGetModePoliceSysteme() { return orvaSettings.systemFontMode; }
void OrvaWindowsSetModePoliceSysteme(UInt16 mode) { orvaSettings.systemFontMode = mode; }

void OrvaWindowsGetCouleurInvert(RGBColor *c) {
    if (c) *c = orvaSettings.invertColor;
}

void OrvaWindowsSetCouleurInvert(const RGBColor *c) {
    if (c) orvaSettings.invertColor = *c;
}

// ---- Main thread --------------------------------------------------------------------------

void OrvaSetMainThread() {
    gMainThread.thread.store(pthread_self());
    gMainThread.recorded.store(true);
}

Boolean OrvaIsMainThread() {
    if (gMainThread.recorded.load()) return pthread_equal(gMainThread.thread.load(), pthread_self()) != 0;
    return syscall(SYS_gettid) == getpid();
}

// ---- Error sink ---------------------------------------------------------------------------

void OrvaErreur(const char *message) {
    if (!message) return;
    if (gErrors.showing.load()) return;  // one message at a time: this one is lost
    if (OrvaIsMainThread() && !OrvaIsPlugin())
        ShowError(message);
    else
        QueueError(message);  // no GTK off the main thread, no modal loop in the browser
}

void OrvaErreurF(const char *format, ...) {
    if (!format) return;
    char text[kErrorFormatSize];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    OrvaErreur(text);
}

void OrvaPumpErrors() {
    if (!OrvaIsMainThread()) return;
    while (char *message = TakeQueuedError()) {
        PlugTrace("OrvaErreur : %s", message);
        ShowError(message);
        free(message);
    }
}

void OrvaSetErrorHook(void (*hook)(const char *message)) { gErrors.hook.store(hook); }

// ---- Messages of the plug-in ------------------------------------------------------------------

void OrvaSetMessageHooks(const OrvaMessageHooks *hooks) { gMessageHooks.store(hooks); }

// Formats the message and hands it to the hook's slot, or to the error sink when no one
// filled it.
static void SendMessage(void (*OrvaMessageHooks::*slot)(const char *), const char *format,
                        va_list args) {
    char message[kMessageSize];
    FormatMessage(message, format, args);
    const OrvaMessageHooks *hooks = gMessageHooks.load();
    if (hooks && hooks->*slot) (hooks->*slot)(message);
    else OrvaErreur(message);
}

void Collapse(const char *format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    SendMessage(&OrvaMessageHooks::collapse, format, args);
    va_end(args);
}

void Message(SInt32, SInt32, const char *format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    SendMessage(&OrvaMessageHooks::message, format, args);
    va_end(args);
}

void AvertissementVrac(SInt16 code) {
    const OrvaMessageHooks *hooks = gMessageHooks.load();
    if (hooks && hooks->warning) hooks->warning(code);
    else PlugTrace("Notice %d", code);
}

void PlugTrace(const char *format, ...) {
    const OrvaMessageHooks *hooks = gMessageHooks.load();
    if (!format || !hooks || !hooks->trace) return;
    char message[kMessageSize];
    va_list args;
    va_start(args, format);
    FormatMessage(message, format, args);
    va_end(args);
    hooks->trace(message);
}

// ---- Start-up and exit --------------------------------------------------------------------

void out_orva() {}
void init_orva() {}
void AST_AciaVect() {}
void orva_call_old_timer() {}
void orva_set_default_video_mode() {}
SInt16 orva_get_default_video_mode() { return 0; }
void orvaDebuteTrace() {}
void orvaTermineTrace() {}
SInt32 GetPcConfig() { return 0; }
Boolean OrvaIsMainScrollBarsEnabled() { return kTrue; }

void ExitToShell() {
    if (!OrvaIsPlugin()) std::exit(0);
}

void QuitApp() { SystemDependantRestoreSystemCursor(); }

const char *GetOrvaCmdLine() { return gRuntime.cmdLine; }
void OrvaSetCmdLine(const char *line) { gRuntime.cmdLine = line ? line : ""; }
char *OrvaGetDigitalOutputDevice() { return gRuntime.digitalOutputDevice; }
WindowPtr OrvaGetFrameWnd() { return gRuntime.frameWnd; }
void OrvaSetFrameWnd(WindowPtr w) { gRuntime.frameWnd = w; }

void OrvaGetWorkingDir(char *path) {
    if (path) memcpy(path, gRuntime.workingDir, strlen(gRuntime.workingDir) + 1);
}

void OrvaSetWorkingDir(const char *path) {
    if (path) snprintf(gRuntime.workingDir, sizeof gRuntime.workingDir, "%s", path);
}

void SetBreakMessProcess(SInt16 value) { gRuntime.breakMessProcess = value; }
SInt16 GetBreakMessProcess() { return gRuntime.breakMessProcess; }
void OrvaSetPluginHandleEventProc(void *proc) { gRuntime.pluginHandleEventProc = proc; }
void OrvaSetUnicodeKbd(Boolean on) { gRuntime.unicodeKbd = on; }

// ---- Mouse wheel --------------------------------------------------------------------------

void OrvaSetProcessMouseWheel(Boolean on) { gRuntime.mouseWheelProcessed = on; }
Boolean OrvaGetProcessMouseWheel() { return gRuntime.mouseWheelProcessed; }

void OrvaSetWheelRouter(Boolean (*route)(SInt16 delta)) { gRuntime.wheelRouter = route; }

Boolean OrvaProcessWheelMouse(SInt16 delta) {
    if (!gRuntime.mouseWheelProcessed || !gRuntime.wheelRouter) return kFalse;
    return gRuntime.wheelRouter(delta);
}

Boolean VerifieInstallationWorva() {
    for (const FontId &font : kInstalledFonts) {
        char value[kPrefValueSize];
        SystemDependantGetPrefString("Fontes", font.name, "", value, kPrefValueSize);
        if (strlen(value) < 4) {
            char id[8];
            snprintf(id, sizeof id, "%04X", unsigned(font.id));
            SystemDependantSetPrefString("Fontes", font.name, id);
        }
    }
    return kTrue;
}

// ---- Helpers ------------------------------------------------------------------------------

namespace {

void QueueError(const char *message) {
    char *copy = strdup(message);
    if (!copy) return;
    pthread_mutex_lock(&gErrors.lock);
    if (gErrors.queued < kErrorQueueSize) {
        gErrors.queue[gErrors.queued++] = copy;
        copy = nullptr;
    }
    pthread_mutex_unlock(&gErrors.lock);
    free(copy);  // a full queue drops the newcomer
}

char *TakeQueuedError() {
    pthread_mutex_lock(&gErrors.lock);
    char *message = nullptr;
    if (gErrors.queued > 0) {
        message = gErrors.queue[0];
        memmove(gErrors.queue, gErrors.queue + 1, size_t(gErrors.queued - 1) * sizeof gErrors.queue[0]);
        gErrors.queue[--gErrors.queued] = nullptr;
    }
    pthread_mutex_unlock(&gErrors.lock);
    return message;
}

// Main thread. Shows one message unless another is being shown.
void ShowError(const char *message) {
    bool idle = false;
    if (!gErrors.showing.compare_exchange_strong(idle, true)) return;
    if (void (*hook)(const char *) = gErrors.hook.load()) {
        hook(message);
    } else if (OrvaIsPlugin()) {
        // No modal loop in the browser: the guard stays set until the user closes the box.
        if (SystemDependantModelessErrorBox(message, OnErrorBoxClosed)) return;
        TraceError(message);
    } else if (!SystemDependantErrorBox(message)) {
        TraceError(message);
    }
    gErrors.showing.store(false);
}

void TraceError(const char *message) { fprintf(stderr, "OrvaErreur: %s\n", message); }

void OnErrorBoxClosed() { gErrors.showing.store(false); }

// At most kMessageSize - 1 characters, cut where the buffer ends.
void FormatMessage(char *message, const char *format, va_list args) { vsnprintf(message, kMessageSize, format, args); }

}  // namespace
