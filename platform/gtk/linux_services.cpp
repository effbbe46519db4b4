// The system description, the desktop opener and the fixed answers of other platforms' calls.
#include "platform/gtk/linux_services.h"

#include <alsa/asoundlib.h>
#include <glib.h>
#include <gtk/gtk.h>
#include <sys/utsname.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

enum : SInt32 { kDistributionWordMax = 63 };

void ReadDistribution(char *first, char *second);
Boolean SpawnOpener(const char *argument);

}  // namespace

void GetWindowsVersionName(char *out) {
    if (!out) return;
    char first[kDistributionWordMax + 1], second[kDistributionWordMax + 1];
    ReadDistribution(first, second);
    struct utsname system;
    if (uname(&system) != 0) memset(&system, 0, sizeof system);
    snprintf(out, kVersionNameSize, "%s %s/GTK v%u.%u.%u/ALSA %s/%s %s %s %s", first, second, gtk_major_version,
             gtk_minor_version, gtk_micro_version, snd_asoundlib_version(), system.sysname, system.release,
             system.version, system.machine);
}

SInt16 GetVersionWindows() { return kVersionWindows; }

Boolean OuvreFenetreFolder(const char *path) { return SpawnOpener(path); }
Boolean SelectionneFichierBureau(const char *path) { return SpawnOpener(path); }
Boolean OpenWebPage(const char *url) { return SpawnOpener(url); }

SInt16 LanceApplication(const char *) { return 0; }
SInt16 GetEmailAdress(char *) { return 0; }
SInt16 LaunchPCApplication(const char *, const char *) { return -1; }
SInt16 SetHookAbort(void *) { return 1; }
void GetESBX() {}
void SystemDependantForceFPUMask() {}
void SystemDependantInitMemory() {}
SInt32 BitBlt(void *, SInt32, SInt32, SInt32, SInt32, void *, SInt32, SInt32, UInt32) { return 0; }
Boolean OrvaIsWine() { return kFalse; }
void OrvaWindowsInsertFontesResMenu() {}

SInt32 MulDiv(SInt32 a, SInt32 b, SInt32 c) {
    if (c == 0) return a != 0 && b != 0 ? INT32_MAX : 0;
    int64_t quotient = int64_t(a) * b / c;  // |a * b| < 2^62: no overflow, division truncates
    if (quotient > INT32_MAX) return INT32_MAX;
    if (quotient < INT32_MIN) return INT32_MIN;
    return SInt32(quotient);
}

SInt16 GTKOpenDocument(const char *path) {
    if (path == nullptr || gdk_display_get_default() == nullptr) return 1;
    gchar *absolute = g_canonicalize_filename(path, nullptr);
    GError *error = nullptr;
    gchar *uri = g_filename_to_uri(absolute, nullptr, &error);  // escapes spaces, '#' and '%'
    if (uri != nullptr) gtk_show_uri(nullptr, uri, gtk_get_current_event_time(), &error);
    SInt16 failed = error != nullptr ? 1 : 0;
    if (error) g_error_free(error);
    g_free(uri);
    g_free(absolute);
    return failed;
}

namespace {

// The two words after "Description:" in lsb_release's answer; "(Linux)" and "???" when it
// cannot be run. A pipe, not a file: nothing is left in shared folders.
void ReadDistribution(char *first, char *second) {
    strcpy(first, "(Linux)");
    strcpy(second, "???");
    FILE *pipe = popen("lsb_release -d 2>/dev/null", "r");
    if (!pipe) return;
    char a[kDistributionWordMax + 1], b[kDistributionWordMax + 1];
    if (fscanf(pipe, "%*s %63s %63s", a, b) == 2) {
        strcpy(first, a);
        strcpy(second, b);
    }
    pclose(pipe);
}

// The opener is started with an argument vector, so no character of the path is ever read as
// shell syntax; the child is reaped by GLib.
Boolean SpawnOpener(const char *argument) {
    if (!argument) return kFalse;
    char program[] = "xdg-open";
    char *argv[] = {program, const_cast<char *>(argument), nullptr};
    GError *error = nullptr;
    gboolean started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, &error);
    if (error) g_error_free(error);
    return started ? kTrue : kFalse;
}

}  // namespace
