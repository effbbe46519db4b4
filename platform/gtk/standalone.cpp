// The standalone start-up: single-instance hand-over through a POSIX message queue and a pid
// file, the polling of the queue, and the menu-bar window.
#include "platform/gtk/standalone.h"

#include <errno.h>
#include <fcntl.h>
#include <gtk/gtk.h>
#include <locale.h>
#include <mqueue.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/window_record.h"
#include "platform/core/engine_utilities.h"
#include "platform/core/linux_files.h"
#include "platform/core/project_constants.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"
#include "platform/gtk/apple_events.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/crash_trap.h"
#include "platform/gtk/event_pump.h"
#include "platform/gtk/platform_windows.h"

SInt16 MBarHeight;

namespace {

constexpr SInt16 kRegionWide = 32767;  // the menu bar's visible and clip regions cover everything

// The running instance's side of the hand-over. Main thread.
struct InstanceRecord {
    mqd_t queue = mqd_t(-1);  // open while this process is the running instance
    char queueName[kOrvaStandalonePathSize] = "";
    char pidPath[kOrvaStandalonePathSize] = "";
    char *receiveBuffer = nullptr;  // the queue's message size + 1, made on first use
    long messageSize = 0;
};
InstanceRecord gInstance;

WindowPtr gMenuBar;  // the menu-bar window, null until made

mqd_t OpenQueue(const char *name, int flags);
long ReadPidFile(const char *path);
bool AnotherInstanceRuns(const char *pidPath);
std::string AbsolutePath(const char *argument);
int HandOver(mqd_t queue, int argc, char **argv);
void BecomeRunningInstance();
void CleanUpAtExit();
void SilentLog(const gchar *, GLogLevelFlags, const gchar *, gpointer);
bool StartGtk(int *argc, char ***argv);
void PostOwnDocuments(int argc, char **argv);
void WaitForFrameSize(GtkWidget *widget, const Rect &wanted, Rect *frame);

}  // namespace

int OrvaStandaloneMain(int argc, char **argv, const OrvaStandaloneApp *app) {
    // The settings come before the crash trap, which copies the name and version it reports.
    setlocale(LC_NUMERIC, "C");
    if (app && app->fillSettings) app->fillSettings();
    OrvaSetMainThread();
    SystemDependantInitCrashTrap();
    if (orvaSettings.singleInstance) {
        OrvaGetQueueName(gInstance.queueName, sizeof gInstance.queueName);
        OrvaGetPidFilePath(gInstance.pidPath, sizeof gInstance.pidPath);
        if (AnotherInstanceRuns(gInstance.pidPath)) {
            mqd_t queue = OpenQueue(gInstance.queueName, 0);
            if (queue == mqd_t(-1)) {
                fprintf(stderr, "%s: cannot reach the running instance (%s)\n", orvaSettings.applicationName,
                        strerror(errno));
                return 1;
            }
            int result = HandOver(queue, argc, argv);
            mq_close(queue);
            return result;
        }
        BecomeRunningInstance();
    }
    atexit(CleanUpAtExit);
    if (!StartGtk(&argc, &argv)) {
        fprintf(stderr, "%s: cannot open the display\n", orvaSettings.applicationName);
        return 1;
    }
    setlocale(LC_NUMERIC, "C");
    char exe[kOrvaStandalonePathSize];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0) {
        exe[n] = 0;
        SystemDependantSetAppFileName(exe);
    } else if (argc > 0) {
        SystemDependantSetAppFileName(argv[0]);
    }
    OrvaStartTimer1000();
    PostOwnDocuments(argc, argv);
    _main();
    return app && app->appMain ? app->appMain(argc, argv) : 0;
}

void GetAppNameFromPid(long pid, char *name) {
    if (!name) return;
    name[0] = 0;
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/cmdline", pid);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char line[kOrvaStandalonePathSize];
    ssize_t n = read(fd, line, sizeof line - 1);
    close(fd);
    if (n <= 0) return;
    line[n] = 0;  // the first argument ends at its own NUL, or here
    const char *slash = strrchr(line, '/');
    const char *start = slash ? slash + 1 : line;
    size_t length = strnlen(start, kOrvaProcessNameSize - 1);
    memcpy(name, start, length);
    name[length] = 0;
}

void CleanString(char *text) {
    for (; text && *text; text++) {
        char c = *text;
        bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                    c == '-' || c == '/';
        if (!kept) *text = '_';
    }
}

void OrvaGetQueueName(char *name, size_t size) {
    if (!name || size == 0) return;
    snprintf(name, size, "/%s", orvaSettings.applicationName);
    CleanString(name + 1);
    for (char *c = name + 1; *c; c++)
        if (*c == '/') *c = '_';  // a queue name has its one '/' in front
}

void OrvaGetPidFilePath(char *path, size_t size) {
    if (!path || size == 0) return;
    // Only the file name is cleaned: a configuration folder with a blank in it stays usable.
    char file[kOrvaStandalonePathSize];
    snprintf(file, sizeof file, "%s.%s.pid", kOrvaPidFilePrefix, orvaSettings.applicationName);
    CleanString(file);
    for (char *c = file; *c; c++)
        if (*c == '/') *c = '_';
    snprintf(path, size, "%s/%s", g_get_user_config_dir(), file);
}

void GTKCheckIPCQueue() {
    if (gInstance.queue == mqd_t(-1)) return;
    if (!gInstance.receiveBuffer) {
        gInstance.receiveBuffer = static_cast<char *>(malloc(size_t(gInstance.messageSize) + 1));
        if (!gInstance.receiveBuffer) return;
    }
    for (;;) {
        ssize_t length = mq_receive(gInstance.queue, gInstance.receiveBuffer, size_t(gInstance.messageSize), nullptr);
        if (length < 0) break;  // empty (EAGAIN) or failing: nothing more this pass
        gInstance.receiveBuffer[length] = 0;  // messages carry no terminator
        if (GtkWidget *menuBar = GTKGetMenuBarWidget()) SystemDependantSetFocus(menuBar);
        if (length == 0) continue;  // a second start without documents only asks for the focus
        if (!OrvaPostAppleEvent(gInstance.receiveBuffer, kOrvaAEOpenDocuments))
            fprintf(stderr, "%s: cannot open the document %.200s\n", orvaSettings.applicationName,
                    gInstance.receiveBuffer);
    }
}

void SystemDependantInitMenuBar() {
    if (OrvaIsPlugin() || gMenuBar) return;
    GdkScreen *screen = gdk_screen_get_default();
    if (!screen) return;
    MBarHeight = kOrvaMenuBarHeight;
    GdkRectangle g;
    gdk_screen_get_monitor_geometry(screen, gdk_screen_get_primary_monitor(screen), &g);
    WindowPtr window = static_cast<WindowPtr>(calloc(1, sizeof(WindowRecord)));
    if (!window) return;
    GrafPtr saved;
    GetPort(&saved);
    if (!OrvaOpenPortOffscreen(&window->port, SInt16(g.width), SInt16(g.y + MBarHeight), 24)) {
        SetPort(saved);
        free(window);
        return;
    }
    Rect rect{SInt16(g.y), SInt16(g.x), SInt16(g.y + MBarHeight), SInt16(g.x + g.width)};
    GtkWidget *widget = SystemDependantCreatePhysicalWindow(window, &rect, nullptr, kFalse);
    gMenuBar = window;
    GTKSetMenuBar(widget, &window->port);  // the focus check shows, hides and focuses it
    Rect frame = rect;
    if (widget) {
        SystemDependantShowWindow(widget, window);
        WaitForFrameSize(widget, rect, &frame);
    }
    window->port.screenV = frame.top;
    window->port.screenH = frame.left;
    SetPort(&window->port);
    PortSize(SInt16(frame.right - frame.left), SInt16(frame.bottom - frame.top));
    ForeColor(33);  // black
    PaintRect(&window->port.portRect);
    _SetRectRgn(window->port.visRgn, -kRegionWide, -kRegionWide, kRegionWide, kRegionWide);
    _SetRectRgn(window->port.clipRgn, -kRegionWide, -kRegionWide, kRegionWide, kRegionWide);
    calcule_portclip();
    SetPort(saved);
    if (widget) gtk_widget_queue_draw(widget);
}

GrafPtr SystemDependantGetMenuBarGrafPort() { return gMenuBar ? &gMenuBar->port : nullptr; }

void SystemDependantGetRectMenu(Rect *rect) {
    if (!rect) return;
    *rect = Rect{0, 0, 0, 0};
    if (!gMenuBar) return;
    const GrafPort &port = gMenuBar->port;
    const Rect &r = port.portRect;
    *rect = Rect{port.screenV, port.screenH, SInt16(port.screenV + r.bottom - r.top),
                 SInt16(port.screenH + r.right - r.left)};
}

void SystemDependantUpdateMenus() {
    if (!gMenuBar || !gMenuBar->platformWindow) return;
    Rect frame;
    SystemDependantGetWindowFrame(gMenuBar->platformWindow, &frame);
    gMenuBar->port.screenV = frame.top;
    gMenuBar->port.screenH = frame.left;
}

namespace {

// Opens (creating) the queue read-write with its fixed size, or the system's defaults when
// those are refused. -1 on failure.
mqd_t OpenQueue(const char *name, int flags) {
    mq_attr attributes{};
    attributes.mq_maxmsg = kOrvaQueueMessages;
    attributes.mq_msgsize = kOrvaQueueMessageSize;
    mqd_t queue = mq_open(name, O_RDWR | O_CREAT | O_CLOEXEC | flags, 0644, &attributes);
    if (queue == mqd_t(-1) && errno == EINVAL) queue = mq_open(name, O_RDWR | O_CREAT | O_CLOEXEC | flags, 0644, nullptr);
    return queue;
}

// The process id the pid file names, 0 when it cannot be read.
long ReadPidFile(const char *path) {
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char text[32];
    ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return 0;
    text[n] = 0;
    char *end = nullptr;
    long pid = strtol(text, &end, 10);
    return end != text && pid > 0 ? pid : 0;
}

// Whether the pid file names another living process of this same program.
bool AnotherInstanceRuns(const char *pidPath) {
    long pid = ReadPidFile(pidPath);
    if (pid <= 0 || pid == long(getpid())) return false;
    char theirs[kOrvaProcessNameSize], ours[kOrvaProcessNameSize];
    GetAppNameFromPid(pid, theirs);
    GetAppNameFromPid(long(getpid()), ours);
    return theirs[0] && strcmp(theirs, ours) == 0;
}

// A relative argument names a file of the folder this process started in, not of the running
// instance's folders.
std::string AbsolutePath(const char *argument) {
    if (argument[0] == '/') return argument;
    char folder[kOrvaStandalonePathSize];
    if (!getcwd(folder, sizeof folder)) return argument;
    return std::string(folder) + "/" + argument;
}

// Sends every argument as one message (one empty message when there is none), waiting up to
// kOrvaHandOverTimeoutMs for room each. 0 when all were sent, else 1.
int HandOver(mqd_t queue, int argc, char **argv) {
    mq_attr attributes{};
    long messageSize = mq_getattr(queue, &attributes) == 0 ? long(attributes.mq_msgsize) : long(kOrvaQueueMessageSize);
    int result = 0;
    for (int i = argc > 1 ? 1 : 0; i < argc; i++) {
        std::string message = argc > 1 ? AbsolutePath(argv[i]) : std::string();
        if (long(message.size()) > messageSize) {
            fprintf(stderr, "%s: the path %.60s... is too long to hand over\n", orvaSettings.applicationName,
                    message.c_str());
            result = 1;
            continue;
        }
        timespec deadline;
        clock_gettime(CLOCK_REALTIME, &deadline);
        long nanoseconds = deadline.tv_nsec + long(kOrvaHandOverTimeoutMs % 1000) * 1000000;
        deadline.tv_sec += kOrvaHandOverTimeoutMs / 1000 + nanoseconds / 1000000000;
        deadline.tv_nsec = nanoseconds % 1000000000;
        if (mq_timedsend(queue, message.data(), message.size(), 0, &deadline) != 0) {
            fprintf(stderr, "%s: could not hand %s over to the running instance (%s)\n",
                    orvaSettings.applicationName, message.empty() ? "the start" : message.c_str(), strerror(errno));
            result = 1;
        }
    }
    return result;
}

// Takes the queue (a stale one left by an ended instance is replaced) and the pid file.
void BecomeRunningInstance() {
    mq_unlink(gInstance.queueName);
    gInstance.queue = OpenQueue(gInstance.queueName, O_NONBLOCK);
    if (gInstance.queue == mqd_t(-1)) {
        fprintf(stderr, "%s: no single-instance queue (%s)\n", orvaSettings.applicationName, strerror(errno));
    } else {
        mq_attr attributes{};
        gInstance.messageSize = mq_getattr(gInstance.queue, &attributes) == 0 ? attributes.mq_msgsize : 0;
        if (gInstance.messageSize <= 0) {
            mq_close(gInstance.queue);
            gInstance.queue = mqd_t(-1);
        }
    }
    g_mkdir_with_parents(g_get_user_config_dir(), 0700);
    FILE *file = fopen(gInstance.pidPath, "w");
    if (!file) return;
    fprintf(file, "%ld", long(getpid()));
    fclose(file);
}

void CleanUpAtExit() {
    SystemDependantStopTimer();
    if (gInstance.queue != mqd_t(-1)) {
        mq_close(gInstance.queue);
        mq_unlink(gInstance.queueName);
        gInstance.queue = mqd_t(-1);
    }
    if (gInstance.pidPath[0] && ReadPidFile(gInstance.pidPath) == long(getpid())) unlink(gInstance.pidPath);
    free(gInstance.receiveBuffer);
    gInstance.receiveBuffer = nullptr;
}

void SilentLog(const gchar *, GLogLevelFlags, const gchar *, gpointer) {}

// GTK's start-up warnings (themes, modules) are not the user's business.
bool StartGtk(int *argc, char ***argv) {
    guint handler = g_log_set_handler("Gtk", G_LOG_LEVEL_WARNING, SilentLog, nullptr);
    bool started = gtk_init_check(argc, argv);
    g_log_remove_handler("Gtk", handler);
    if (started) OrvaInstallGtkBackEnd();
    return started;
}

void PostOwnDocuments(int argc, char **argv) {
    for (int i = 1; i < argc; i++) {
        std::string path = AbsolutePath(argv[i]);
        if (!OrvaPostAppleEvent(path.c_str(), kOrvaAEOpenDocuments))
            fprintf(stderr, "%s: cannot open the document %.200s\n", orvaSettings.applicationName, path.c_str());
    }
}

// A window just shown reports GTK's default size until its configure event has been handled:
// runs the main context (at most half a second) until its frame has the size asked for.
void WaitForFrameSize(GtkWidget *widget, const Rect &wanted, Rect *frame) {
    UInt32 start = SystemDependantGetTickCountMs();
    for (;;) {
        SystemDependantGetWindowFrame(widget, frame);
        bool sized = frame->right - frame->left == wanted.right - wanted.left &&
                     frame->bottom - frame->top == wanted.bottom - wanted.top;
        if (sized || SystemDependantGetTickCountMs() - start >= 500) return;
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(100);
    }
}

}  // namespace
