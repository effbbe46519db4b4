// The plug-in host's side of the portability library's settings and reports.
#include "plugin/host_services.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

#include "platform/core/folders.h"
#include "platform/core/runtime.h"
#include "plugin/cache_files.h"
#include "plugin/documents.h"
#include "plugin/glue.h"
#include "score/paths.h"
#include "toolbox/toolbox_services.h"

namespace {

constexpr int kTraceMessageSize = 512;
constexpr int kTraceLineSize = kTraceMessageSize + 96;  // the message and its time
const char kTraceFileName[] = "OndrakMusicPlugin.txt";

struct HostState {
    std::atomic<bool> trace{false};
    std::atomic<bool> holding{false};
    std::mutex heldLock;  // guards the held lines and the trace folders
    char held[kHeldTraceLines][kTraceLineSize];
    int heldFirst = 0, heldCount = 0;
    char folders[2][kCacheFolderSize];  // where the trace goes when the current folder refuses it
};
HostState gHost;

void TraceLine(const char *message);
void WriteTraceLine(const char *line);
void CollapseMessage(const char *message);
void ShowMessage(const char *message);
FILE *OpenTraceFile();
FILE *OpenTraceIn(const char *folder);
void CToPascal(const char *text, Str255 pascal);

const OrvaMessageHooks kHostMessages = {CollapseMessage, ShowMessage, PlugInAvertissementVrac, TraceLine};

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

void PlugTraceFolders() {
    char preferences[kOrvaPathMax + 1];
    if (!GetCheminDossier(kDossierPreferences, preferences)) preferences[0] = 0;
    const char *cache = SetPathCache() ? GetCheminCache() : "";
    std::lock_guard<std::mutex> guard(gHost.heldLock);
    snprintf(gHost.folders[0], sizeof gHost.folders[0], "%s", preferences);
    snprintf(gHost.folders[1], sizeof gHost.folders[1], "%s", cache);
}

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

// The plug-in's folder (the current one), else the preferences folder, else the private cache
// folder; the file is appended to and never reached through a link. heldLock is held.
FILE *OpenTraceFile() {
    FILE *f = OpenTraceIn("");
    for (int i = 0; i < 2 && !f; i++)
        if (gHost.folders[i][0]) f = OpenTraceIn(gHost.folders[i]);
    return f;
}

FILE *OpenTraceIn(const char *folder) {
    char path[kCacheFolderSize + sizeof kTraceFileName];
    snprintf(path, sizeof path, "%s%s", folder, kTraceFileName);
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;
    FILE *f = fdopen(fd, "a");
    if (!f) close(fd);
    return f;
}

void CToPascal(const char *text, Str255 pascal) {
    size_t length = strlen(text);
    if (length > 255) length = 255;
    pascal[0] = UInt8(length);
    memcpy(pascal + 1, text, length);
}

}  // namespace
