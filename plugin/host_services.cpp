// The plug-in host's side of the portability library's settings and reports.
#include "plugin/host_services.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <glib.h>

#include "platform/core/runtime.h"
#include "toolbox/toolbox_services.h"

namespace {

const char kTraceFileName[] = "OndrakMusicPlugin.txt";

struct HostState {
    std::atomic<bool> trace{false};
};
HostState gHost;

void InstanceRectOfWindow(void *platformWindow, Rect *r);
void TraceLine(const char *message);
void CollapseMessage(const char *message);
void ShowMessage(const char *message);
FILE *OpenTraceFile();
void CToPascal(const char *text, Str255 pascal);

const OrvaMessageHooks kHostMessages = {CollapseMessage, ShowMessage, nullptr, TraceLine};

}  // namespace

void OrvaInitSettings() {
    snprintf(orvaSettings.applicationName, sizeof orvaSettings.applicationName, "%s", "Ondrak Music Plug-in");
    orvaSettings.pluginFlag = 1;
    orvaSettings.singleInstance = 1;
    orvaSettings.alertFlag = 1;
    orvaSettings.windowSystemMode = 1;
    orvaSettings.noMenuBar = 1;
    orvaSettings.systemFontMode = 1;
    orvaSettings.instanceRect = InstanceRectOfWindow;
    OrvaSetMessageHooks(&kHostMessages);
    OrvaSetMainThread();
}

void PlugSetTrace(Boolean on) { gHost.trace.store(on != 0); }
Boolean PlugGetTrace() { return gHost.trace.load(); }

namespace {

// Until the plug-in's instance table exists no platform window shows an instance.
void InstanceRectOfWindow(void *, Rect *r) {
    if (r) *r = Rect{0, 0, 0, 0};
}

void TraceLine(const char *message) {
    if (!gHost.trace.load()) return;
    FILE *f = OpenTraceFile();
    if (!f) return;  // no folder could take it: the message is lost
    time_t now = time(nullptr);
    struct tm t{};
    localtime_r(&now, &t);
    fprintf(f, "%d/%d/%d %02d:%02d:%02d:%s\n", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900, t.tm_hour, t.tm_min,
            t.tm_sec, message);
    fclose(f);
}

void CollapseMessage(const char *message) {
    PlugTrace("Collapse : %s", message);
    ShowMessage(message);
}

void ShowMessage(const char *message) {
    if (!OrvaIsMainThread()) {  // alerts are the main thread's
        OrvaErreur(message);
        return;
    }
    Str255 text;
    const unsigned char empty[1] = {0};
    CToPascal(message, text);
    ParamText(text, empty, empty, empty);
    Alert(kCollapseAlertID, nullptr);
}

FILE *OpenTraceFile() {
    FILE *f = fopen(kTraceFileName, "a");
    if (f) return f;
    gchar *path = g_build_filename(g_get_tmp_dir(), kTraceFileName, nullptr);
    f = fopen(path, "a");
    g_free(path);
    return f;
}

void CToPascal(const char *text, Str255 pascal) {
    size_t length = strlen(text);
    if (length > 255) length = 255;
    pascal[0] = UInt8(length);
    memcpy(pascal + 1, text, length);
}

}  // namespace
