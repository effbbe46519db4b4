// Standard folders, Gestalt, language, folder trees, portability, documents, renaming, the
// anti-aliased text setting, cached interface metrics and the main window's remembered place.
#include "platform/core/os_utilities.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/core/back_end.h"
#include "platform/core/errors.h"
#include "platform/core/folders.h"
#include "platform/core/linux_files.h"
#include "platform/core/preferences.h"
#include "platform/core/runtime.h"
#include "platform/core/time_manager.h"

OSErr (*OrvaTraiteGestalt)(OSType selector, SInt32 *response) = nullptr;

namespace {

struct GestaltAnswer {
    OSType selector;
    SInt32 response;
};

const GestaltAnswer kGestaltAnswers[] = {
    {1, 1},
    {2, 1},
    {3, 10},
    {FourCC("appr"), 1},
    {FourCC("evnt"), 1},
    {FourCC("apvr"), 0x0200},
    {FourCC("cbon"), 0x0140},
    {FourCC("qdtf"), 4},
    {FourCC("sysv"), 0x0999},
};

enum : SInt32 {
    kTicksPerSecond = 60,
    kMetricUnknown = -1,
};

// Process-wide settings of this module (main thread).
struct OSUtilitiesRecord {
    UInt8 portableStatus = 0;
    Boolean antiAliasedText = kFalse;
    SInt16 antiAliasedMinSize = 0;
    SInt32 caretTime = kMetricUnknown;        // ticks
    SInt32 doubleClickTime = kMetricUnknown;  // ticks
    SInt16 borderWidth = kMetricUnknown;      // pixels
    UInt32 startTicks = 0;                    // TickCount when the main window's place was read
    SInt32 useSeconds = 0;                    // accumulated use time
    char applicationName[kOrvaApplicationNameSize] = "";
};

OSUtilitiesRecord gOSUtilities;

SInt32 MillisecondsToTicks(SInt32 ms) { return ms * 6 / 100; }
bool WalkAndCreate(char *path, size_t start);
void OffsetRectBy(Rect *rect, SInt16 dh, SInt16 dv);
void FitOnScreen(Rect *rect);
void IncrementCounter(const char *section, const char *key, const char *format);

}  // namespace

// ---------------------------------------------------------------------------------------------
// Folders

OSErr FindFolder(SInt16 vRefNum, OSType folderType, Boolean createFolder, SInt16 *foundVRefNum, SInt32 *foundDirID) {
    return SystemDependantFindFolder(vRefNum, folderType, createFolder, foundVRefNum, foundDirID);
}

Boolean OrvaRecursiveMkDir(const char *path) {
    if (path == nullptr || path[0] == 0 || strlen(path) > size_t(kOrvaPathMax)) return kFalse;
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    // A relative path is walked from the folder that was current, as an absolute one.
    char full[kOrvaFolderPathMax + kOrvaPathMax + 3];
    if (path[0] == '/' || (isalpha(UInt8(path[0])) && path[1] == ':')) strcpy(full, path);
    else if (saved.path[0] != 0) snprintf(full, sizeof full, "%s/%s", saved.path, path);
    else return kFalse;

    size_t start = 0;
    bool ok = true;
    if (isalpha(UInt8(full[0])) && full[1] == ':') {
        char root[4] = {full[0], ':', '/', 0};
        ok = SystemDependantSetCurrentDir(root) == 0;
        start = 2;
    } else if (full[0] == '/' && full[1] == '/' && full[2] != 0 && full[2] != '/') {
        const char *end = strchr(full + 2, '/');  // a network form: the server is not created
        start = end ? size_t(end - full) : strlen(full);
    }
    ok = ok && WalkAndCreate(full, start);
    // Whatever happened, the caller finds its current folder as it left it.
    OrvaRestoreCurrentFolder(&saved);
    return ok ? kTrue : kFalse;
}

void OrvaAddPath(char *path, const char *name) {
    size_t length = strlen(path), nameLength = strlen(name);
    bool slash = length > 0 && path[length - 1] == '/';
    size_t total = length + (slash ? 0 : 1) + nameLength;
    bool endSlash = nameLength > 0 && name[nameLength - 1] == '/';
    if (total + (endSlash ? 0 : 1) > size_t(kOrvaPathMax)) return;  // would not fit a path buffer
    if (!slash) path[length++] = '/';
    memcpy(path + length, name, nameLength);
    length += nameLength;
    if (length == 0 || path[length - 1] != '/') path[length++] = '/';
    path[length] = 0;
}

void OrvaPathApplication(char *path) {
    char exe[kOrvaPathMax + 1];
    path[0] = 0;
    if (!SystemDependantGetApplicationExePath(exe)) return;
    char *slash = strrchr(exe, '/');
    if (slash == nullptr) return;
    slash[1] = 0;
    strcpy(path, exe);
}

// ---------------------------------------------------------------------------------------------
// Gestalt

OSErr Gestalt(OSType selector, SInt32 *response) {
    for (const GestaltAnswer &answer : kGestaltAnswers) {
        if (answer.selector == selector) {
            if (response) *response = answer.response;
            return noErr;
        }
    }
    if (OrvaTraiteGestalt != nullptr) return OrvaTraiteGestalt(selector, response);
    return gestaltUndefSelectorErr;
}

// ---------------------------------------------------------------------------------------------
// Language and portability

const char *OrvaGetSystemLanguageCode(char *code) { return SystemDependantGetOSLanguage(code); }

const char *SystemDependantGetOSLanguage(char *code) {
    if (code) strcpy(code, "en");
    return getenv("LANG");
}

UInt8 DetectPortableStatus() {
    char path[kOrvaPathMax + 16];
    OrvaPathApplication(path);
    UInt8 status = 0;
    if (path[0] != 0) {
        strcat(path, "nomad.txt");
        if (FILE *marker = fopen(path, "r")) {
            fclose(marker);
            status = 1;
        }
    }
    if (status == 0) status = OrvaIsOnUSBKey();
    gOSUtilities.portableStatus = status;
    return status;
}

UInt8 SetPortableStatus(UInt8 status) {
    UInt8 previous = gOSUtilities.portableStatus;
    gOSUtilities.portableStatus = status;
    return previous;
}

UInt8 GetPortableStatus() { return gOSUtilities.portableStatus; }

UInt8 OrvaIsOnUSBKey() { return SystemDependantIsOnPortableDevice(); }

// ---------------------------------------------------------------------------------------------
// Documents and files

SInt16 OpenDocument(const char *path) {
    if (path == nullptr) return 1;
    size_t length = strlen(path);
    return OrvaOpenDocumentFromExtension(path, path + (length > 3 ? length - 3 : 0));
}

SInt16 OrvaOpenDocumentFromExtension(const char *path, const char *) {
    return SystemDependantOpenDocumentFromExtension(path);
}

SInt16 OrvaOpenDocumentWithApplication(const char *path, const char *application) {
    return SystemDependantOpenDocumentWithApplication(path, application);
}

SInt16 OrvaPrintDocumentFromExtension(const char *path, const char *) {
    return SystemDependantPrintDocumentFromExtension(path);
}

OSErr Rename(const char *oldPath, SInt16, const char *newPath) {
    if (oldPath == nullptr || newPath == nullptr) return fnfErr;
    return rename(oldPath, newPath) == 0 ? noErr : fnfErr;
}

// ---------------------------------------------------------------------------------------------
// Text and interface metrics

Boolean IsAntiAliasedTextEnabled(SInt16 *minSize) {
    if (minSize) *minSize = gOSUtilities.antiAliasedMinSize;
    return gOSUtilities.antiAliasedText;
}

OSErr SetAntiAliasedTextEnabled(Boolean enable, SInt16 minSize) {
    gOSUtilities.antiAliasedText = enable;
    gOSUtilities.antiAliasedMinSize = minSize;
    return noErr;
}

void OrvaResetWindowsSystemSettings() {
    gOSUtilities.caretTime = kMetricUnknown;
    gOSUtilities.doubleClickTime = kMetricUnknown;
    gOSUtilities.borderWidth = kMetricUnknown;
}

SInt16 OrvaWindowsGetBorderWidth() {
    if (gOSUtilities.borderWidth == kMetricUnknown) {
        SInt16 width = SInt16(SystemDependantGetBorderWidth() - 1);
        gOSUtilities.borderWidth = width < 0 ? 0 : width;
    }
    return gOSUtilities.borderWidth;
}

SInt16 OrvaWindowsGetDblTime() {
    if (gOSUtilities.doubleClickTime == kMetricUnknown)
        gOSUtilities.doubleClickTime = MillisecondsToTicks(SystemDependantGetDoubleClickTimeMs());
    return SInt16(gOSUtilities.doubleClickTime);
}

SInt32 OrvaWindowsGetCaretTime() {
    if (gOSUtilities.caretTime == kMetricUnknown)
        gOSUtilities.caretTime = MillisecondsToTicks(SystemDependantGetCursorBlinkTimeMs() / 2);
    return gOSUtilities.caretTime;
}

SInt16 GetDblTime() { return OrvaWindowsGetDblTime(); }

SInt16 GetCaretTime() { return SInt16(OrvaWindowsGetCaretTime()); }

void SystemDependantGetDefaultTheme(char *name) { strcpy(name, "Ubuntu 9.1"); }

char *LMGetCurApName() {
    char exe[kOrvaPathMax + 1];
    char *name = gOSUtilities.applicationName;
    name[0] = 0;
    if (!SystemDependantGetApplicationExePath(exe)) return name;
    const char *start = exe;
    for (const char *p = exe; *p; p++)
        if (*p == '/' || *p == ':') start = p + 1;
    strcpy(name, start);
    return name;
}

// ---------------------------------------------------------------------------------------------
// The main window's remembered place

Boolean OrvaWindowsGetPathOrva(char *path) {
    return SystemDependantGetPrefString("Chemin", "WORVA", "", path, kOrvaPathMax + 1) > 0 ? kTrue : kFalse;
}

SInt16 OrvaWindowsGetRectMainWindow(Rect *rect, SInt16 *maximised) {
    const char *section = orvaSettings.applicationName;
    char value[256];
    gOSUtilities.startTicks = TickCount();
    SystemDependantGetPrefString(section, "Duree", "0", value, sizeof value);
    gOSUtilities.useSeconds = SInt32(strtol(value, nullptr, 10));
    SystemDependantGetPrefString(section, "Crash", "0", value, sizeof value);
    if (strtol(value, nullptr, 10) != 0) IncrementCounter(section, "Arrets", "%d (arrets illegaux de l'application)");
    IncrementCounter(section, "Executions", "%d (executions de l'application)");

    if (SystemDependantGetPrefString(section, "Aire", "", value, sizeof value) == 0) return 0;
    SInt16 left, top, right, bottom, flag;
    if (sscanf(value, "%hd %hd %hd %hd %hd", &left, &top, &right, &bottom, &flag) != 5) return 0;
    rect->left = left;
    rect->top = top;
    rect->right = right;
    rect->bottom = bottom;
    if (maximised) *maximised = flag;
    FitOnScreen(rect);
    return 1;
}

SInt16 OrvaWindowsSetRectMainWindow(const Rect *rect, SInt16 maximised) {
    const char *section = orvaSettings.applicationName;
    char value[256];
    snprintf(value, sizeof value, "%hd %hd %hd %hd %hd", rect->left, rect->top, rect->right, rect->bottom, maximised);
    SystemDependantSetPrefString(section, "Aire", value);
    long seconds = gOSUtilities.useSeconds + long((TickCount() - gOSUtilities.startTicks) / kTicksPerSecond);
    snprintf(value, sizeof value, "%ld (%ldh %ldmn %ldsec d'utilisation)", seconds, seconds / 3600,
             seconds / 60 % 60, seconds % 60);
    SystemDependantSetPrefString(section, "Duree", value);
    SystemDependantSetPrefString(section, "Crash", "0 (Derniere execution complete)");
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

// Makes each prefix of path current in turn from start, creating the component that cannot
// be entered in the folder of the previous prefix.
bool WalkAndCreate(char *path, size_t start) {
    size_t length = strlen(path);
    size_t i = start;
    if (start == 0 && path[0] == '/') {
        if (SystemDependantSetCurrentDir("/") != 0) return false;
        i = 1;
    }
    while (i < length) {
        while (i < length && path[i] == '/') i++;
        if (i >= length) break;
        size_t end = i;
        while (end < length && path[end] != '/') end++;
        char saved = path[end];
        path[end] = 0;
        bool entered = SystemDependantSetCurrentDir(path) == 0;
        if (!entered) entered = SystemDependant_mkdir(path + i) == 0 && SystemDependantSetCurrentDir(path) == 0;
        path[end] = saved;
        if (!entered) return false;
        i = end;
    }
    return true;
}

void OffsetRectBy(Rect *rect, SInt16 dh, SInt16 dv) {
    rect->left = SInt16(rect->left + dh);
    rect->right = SInt16(rect->right + dh);
    rect->top = SInt16(rect->top + dv);
    rect->bottom = SInt16(rect->bottom + dv);
}

// Moves the rectangle onto the screen, right and bottom edges first, and clips it.
void FitOnScreen(Rect *rect) {
    SInt16 width, height;
    if (!SystemDependantGetScreenSize(&width, &height)) return;
    if (rect->right > width) OffsetRectBy(rect, SInt16(width - rect->right), 0);
    if (rect->bottom > height) OffsetRectBy(rect, 0, SInt16(height - rect->bottom));
    if (rect->left < 0) OffsetRectBy(rect, SInt16(-rect->left), 0);
    if (rect->top < 0) OffsetRectBy(rect, 0, SInt16(-rect->top));
    if (rect->right > width) rect->right = width;
    if (rect->bottom > height) rect->bottom = height;
}

void IncrementCounter(const char *section, const char *key, const char *format) {
    char value[256];
    SystemDependantGetPrefString(section, key, "0", value, sizeof value);
    snprintf(value, sizeof value, format, int(strtol(value, nullptr, 10) + 1));
    SystemDependantSetPrefString(section, key, value);
}

}  // namespace
