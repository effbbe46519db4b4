// The runtime core: settings, start-up and exit hooks, the error sink, wheel routing and the
// process-wide values every module of the library leans on.
#include "platform/core/runtime.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtk/gtk.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/core/errors.h"
#include "platform/core/preferences.h"
#include "toolbox/toolbox_services.h"

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
constexpr SInt16 kWheelEventKind = 10;       // class 'mous': wheel moved
constexpr UInt32 kScrollBarFeature = 1u << 24;
constexpr SInt64 kNoScrollBarScore = 9999999;
constexpr SInt16 kArrowInset = 4;            // pixels inside the arrow end of a scroll bar

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
    int gtkState = 0;                   // 0 not tried, 1 usable, -1 no display (main thread)
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
};
RuntimeState gRuntime;

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
bool ErrorDialogsWanted();
void TraceError(const char *message);
void ShowModelessErrorBox(const char *message);
void OnModelessErrorBoxResponse(GtkWidget *dialog, gint response, gpointer);
GtkWidget *NewErrorDialog(const char *message);
Boolean OfferWheelEvent(WindowPtr w, const EventRecord &pointer, SInt16 delta);
ControlHandle ChooseScrollBar(WindowPtr w, Point local);
void ClickScrollBarEnd(ControlHandle bar, const Rect &content, const EventRecord &pointer, SInt16 delta);

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

void SystemDependantErrorBox(const char *message) {
    if (!message) return;
    if (!OrvaIsMainThread() || OrvaIsPlugin() || !ErrorDialogsWanted()) {
        TraceError(message);
        return;
    }
    GtkWidget *dialog = NewErrorDialog(message);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

void OrvaPumpErrors() {
    if (!OrvaIsMainThread()) return;
    while (char *message = TakeQueuedError()) {
        ShowError(message);
        free(message);
    }
}

void OrvaSetErrorHook(void (*hook)(const char *message)) { gErrors.hook.store(hook); }

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

// FIXME: the pointer keeps the library's last shape after exit until the cursor code can
// give it back to the system.
void QuitApp() {}

const char *GetOrvaCmdLine() { return gRuntime.cmdLine; }
void OrvaSetCmdLine(const char *line) { gRuntime.cmdLine = line ? line : ""; }
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

Boolean OrvaProcessWheelMouse(SInt16 delta) {
    if (!gRuntime.mouseWheelProcessed) return kFalse;
    EventRecord pointer;  // the pointer (global) and the modifier keys
    orva_genere_evt(nullEvent, 0, &pointer);
    WindowPtr w = nullptr;
    SInt16 part = _FindWindow(pointer.where, &w);
    if (part == inDesk || part == inMenuBar || !w) w = FrontWindow();
    if (!w) return kFalse;
    if (OfferWheelEvent(w, pointer, delta)) return kTrue;
    Rect content;
    if (GetWindowBounds(w, kWindowContentRgn, &content) != noErr) return kFalse;
    Point local{SInt16(pointer.where.v - content.top), SInt16(pointer.where.h - content.left)};
    ControlHandle bar = ChooseScrollBar(w, local);
    if (!bar) return kFalse;
    ClickScrollBarEnd(bar, content, pointer, delta);
    return kTrue;
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
    } else if (!ErrorDialogsWanted()) {
        TraceError(message);
    } else if (OrvaIsPlugin()) {
        ShowModelessErrorBox(message);  // the guard stays set until the user closes it
        return;
    } else {
        SystemDependantErrorBox(message);
    }
    gErrors.showing.store(false);
}

// Main thread. Dialogs need a display; ORVA_NO_ERROR_DIALOG (set by the test runs) asks for
// the trace instead, so that nothing waits for a click that never comes.
bool ErrorDialogsWanted() {
    if (getenv("ORVA_NO_ERROR_DIALOG")) return false;
    if (gErrors.gtkState == 0) gErrors.gtkState = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return gErrors.gtkState > 0;
}

void TraceError(const char *message) { fprintf(stderr, "OrvaErreur: %s\n", message); }

// Main thread, in the browser: shown without a modal loop; the browser's loop runs it.
void ShowModelessErrorBox(const char *message) {
    GtkWidget *dialog = NewErrorDialog(message);
    g_signal_connect(dialog, "response", G_CALLBACK(OnModelessErrorBoxResponse), nullptr);
    gtk_widget_show(dialog);
}

void OnModelessErrorBoxResponse(GtkWidget *dialog, gint, gpointer) {
    gtk_widget_destroy(dialog);
    gErrors.showing.store(false);
}

// An error box with a single Close button and no parent, showing the text unchanged
// (bytes that are not UTF-8 are shown as replacement characters).
GtkWidget *NewErrorDialog(const char *message) {
    gchar *text = g_utf8_make_valid(message, -1);
    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GtkDialogFlags(0), GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE,
                                               "%s", text);
    g_free(text);
    return dialog;
}

// Offers a wheel event to the window's own handlers; true when one took it.
Boolean OfferWheelEvent(WindowPtr w, const EventRecord &pointer, SInt16 delta) {
    Collection parameters = NewCollection();
    if (!parameters) return kFalse;
    UInt32 modifiers = pointer.modifiers;
    UInt16 axis = 1;  // vertical
    SInt32 wheelDelta = -SInt32(delta);
    SetEventParameter(parameters, FourCC("mloc"), FourCC("QDpt"), sizeof pointer.where, &pointer.where);
    SetEventParameter(parameters, FourCC("kmod"), FourCC("magn"), sizeof modifiers, &modifiers);
    SetEventParameter(parameters, FourCC("mwax"), FourCC("mwax"), sizeof axis, &axis);
    SetEventParameter(parameters, FourCC("mwdl"), FourCC("long"), sizeof wheelDelta, &wheelDelta);
    OrvaCarbonEvent event{OrvaGetWindowEventHandlers(w), FourCC("mous"), kWheelEventKind};
    OSStatus result = OrvaEnqueueEventHandled(&event, parameters);
    DisposeCollection(parameters);
    return result != eventNotHandledErr;
}

// The visible vertical scroll bar nearest the pointer (window coordinates), favouring bars to
// its right; null when the window has none.
ControlHandle ChooseScrollBar(WindowPtr w, Point local) {
    ControlHandle best = nullptr;
    SInt64 bestScore = kNoScrollBarScore;
    for (ControlHandle c = OrvaGetFirstControl(w); c; c = OrvaGetNextControl(c)) {
        if (!IsControlVisible(c)) continue;
        SInt16 procID = OrvaGetControlProcID(c);
        UInt32 features = 0;
        bool scrollBar = procID == 16 || procID == 384 || procID == 386 ||
                         (GetControlFeatures(c, &features) == noErr && (features & kScrollBarFeature));
        if (!scrollBar) continue;
        Rect r;
        OrvaGetControlRegionBounds(c, &r);
        if (r.bottom - r.top <= r.right - r.left) continue;
        SInt64 score = local.h > r.right ? 1000000 + 1000 * SInt64(local.h - r.right) : 1000 * SInt64(r.left - local.h);
        if (local.v < r.top || local.v > r.bottom) score += 100000;
        SInt64 toTop = local.v > r.top ? local.v - r.top : r.top - local.v;
        SInt64 toBottom = local.v > r.bottom ? local.v - r.bottom : r.bottom - local.v;
        score += toTop < toBottom ? toTop : toBottom;
        if (score < bestScore) {
            bestScore = score;
            best = c;
        }
    }
    return best;
}

// Clicks the bar's lower arrow (delta > 0) or upper arrow |delta| times: the pointer stands
// on the arrow while a mouse-down and a mouse-up are posted, then goes back.
void ClickScrollBarEnd(ControlHandle bar, const Rect &content, const EventRecord &pointer, SInt16 delta) {
    Rect r;
    OrvaGetControlRegionBounds(bar, &r);
    SInt16 v = delta > 0 ? SInt16(r.bottom - kArrowInset) : SInt16(r.top + kArrowInset);
    SInt16 h = SInt16((r.left + r.right) / 2);
    Point arrow{SInt16(v + content.top), SInt16(h + content.left)};
    OrvaSetMousePos(arrow, kFalse);
    OrvaForceWheelTrack(SInt16(delta < 0 ? -delta : delta));
    PostEvent(mouseDown, 0);
    PostEvent(mouseUp, 0);
    OrvaSetMousePos(pointer.where, kFalse);
}

}  // namespace
