// The library run as a standalone GTK application: the process entry with its single-instance
// hand-over (a POSIX message queue and a pid file), the polling of that queue, and the
// menu-bar window. The browser plug-in never enters this path. Main thread only.
#pragma once

#include <cstddef>

#include "graphics/quickdraw/ports.h"
#include "platform/core/mac_types.h"

enum : SInt32 {
    kOrvaQueueMessages = 10,         // messages the queue holds
    kOrvaQueueMessageSize = 8192,    // bytes of one message: one absolute document path
    kOrvaHandOverTimeoutMs = 2000,   // how long a second instance waits to hand over one path
    kOrvaProcessNameSize = 256,      // bytes of GetAppNameFromPid's answer with its terminator
    kOrvaStandalonePathSize = 4096,  // bytes of the queue name and of the pid-file path
    kOrvaMenuBarHeight = 22,
};

// What an application gives the standalone start-up.
struct OrvaStandaloneApp {
    void (*fillSettings)();                // fills orvaSettings (name, version, flags); null: defaults
    int (*appMain)(int argc, char **argv);  // the application's main routine
};

// The process entry of a standalone application; its main() returns what this answers.
// Fills the settings and installs the crash trap; with the single-instance flag, hands the
// documents named on the command line (made absolute) to a running instance of the same
// program and answers 0 when all arrived, 1 otherwise (a path longer than a message, a
// timeout); else becomes the running instance: owns the queue and the pid file (both removed
// at exit), starts GTK and the 1 ms timer, posts its own documents as open events and
// answers appMain's result. 1 without a display.
int OrvaStandaloneMain(int argc, char **argv, const OrvaStandaloneApp *app);

// The program name of process pid: its first argument after the last '/'; empty when the
// process cannot be examined. name: kOrvaProcessNameSize bytes.
void GetAppNameFromPid(long pid, char *name);
// Replaces in place every character but letters, digits, '.', '-' and '/' with '_'.
void CleanString(char *text);
// "/" and the cleaned application name of the settings (its own '/' made '_' too).
void OrvaGetQueueName(char *name, size_t size);
// The pid file: the user configuration folder, then "<prefix>.<application name>.pid" cleaned
// ('/' made '_' too).
void OrvaGetPidFilePath(char *path, size_t size);

// The menu-bar window: a 24-bit offscreen port with its own platform window, as wide as the
// screen and MBarHeight high, painted black.
extern SInt16 MBarHeight;
void SystemDependantInitMenuBar();               // nothing in the plug-in or without a display
GrafPtr SystemDependantGetMenuBarGrafPort();     // null before SystemDependantInitMenuBar
void SystemDependantGetRectMenu(Rect *rect);     // its port rectangle in global coordinates
void SystemDependantUpdateMenus();               // its screen position from its window's frame
