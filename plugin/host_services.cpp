// The plug-in host's side of the portability library's settings and reports.
#include "plugin/host_services.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <glib.h>
#include <mutex>

#include "platform/core/runtime.h"
#include "plugin/glue.h"
#include "toolbox/toolbox_services.h"

namespace {

constexpr int kTraceMessageSize = 512;
constexpr int kTraceLineSize = kTraceMessageSize + 96;  // the message and its time
const char kTraceFileName[] = "OndrakMusicPlugin.txt";

struct HostState {
    std::atomic<bool> trace{false};
    std::atomic<bool> holding{false};
    std::mutex heldLock;  // guards the held lines
    char held[kHeldTraceLines][kTraceLineSize];
    int heldFirst = 0, heldCount = 0;
};
HostState gHost;

void TraceLine(const char *message);
void WriteTraceLine(const char *line);
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
    orvaSettings.instanceRect = GlueGetInstanceRect;
    OrvaSetMessageHooks(&kHostMessages);
    OrvaSetMainThread();
}

void PlugSetTrace(Boolean on) {
    std::lock_guard<std::mutex> hold(gHost.heldLock);
    gHost.trace.store(on != 0);
    if (!on) return;
    for (int i = 0; i < gHost.heldCount; i++) WriteTraceLine(gHost.held[(gHost.heldFirst + i) % kHeldTraceLines]);
    gHost.heldFirst = gHost.heldCount = 0;
}

Boolean PlugGetTrace() { return gHost.trace.load(); }

void PlugHoldTrace(Boolean hold) {
    std::lock_guard<std::mutex> guard(gHost.heldLock);
    gHost.holding.store(hold != 0);
    if (!hold) gHost.heldFirst = gHost.heldCount = 0;
}

namespace {

void TraceLine(const char *message) {
    if (!message || (!gHost.trace.load() && !gHost.holding.load())) return;
    time_t now = time(nullptr);
    struct tm t{};
    localtime_r(&now, &t);
    char line[kTraceLineSize];
    snprintf(line, sizeof line, "%d/%d/%d %02d:%02d:%02d:%.*s\n", t.tm_mday, t.tm_mon + 1, t.tm_year + 1900,
             t.tm_hour, t.tm_min, t.tm_sec, kTraceMessageSize - 1, message);
    std::lock_guard<std::mutex> hold(gHost.heldLock);
    if (gHost.trace.load()) {
        WriteTraceLine(line);
    } else if (gHost.holding.load()) {
        int slot = (gHost.heldFirst + gHost.heldCount) % kHeldTraceLines;
        if (gHost.heldCount == kHeldTraceLines) gHost.heldFirst = (gHost.heldFirst + 1) % kHeldTraceLines;
        else gHost.heldCount++;
        memcpy(gHost.held[slot], line, sizeof line);
    }
}

void WriteTraceLine(const char *line) {
    FILE *f = OpenTraceFile();
    if (!f) return;  // no folder could take it: the line is lost
    fputs(line, f);
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
