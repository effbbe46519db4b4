// The runtime core of the portability library: its settings record, start-up and exit
// hooks, the one error sink, mouse-wheel routing and a few process-wide values.
#pragma once

#include "platform/core/mac_types.h"

struct WindowRecord;
typedef WindowRecord *WindowPtr;

// The library's settings, filled by the host (OrvaInitSettings) before anything starts.
struct OrvaSettings {
    char applicationName[255];     // "Ondrak Application" unless the host says otherwise
    UInt8 pluginFlag;              // running inside a browser plug-in
    UInt8 singleInstance;          // standalone start-up keeps a pid file (1)
    UInt8 alertFlag;               // read by the alert code (0)
    UInt8 windowSystemMode;        // 1: screen-wide frame with a menu bar outside the plug-in
    UInt16 systemFontMode;         // 3
    RGBColor invertColor;          // {0x0000, 0xF000, 0x8000}
    UInt8 noMenuBar;               // 0
    void (*instanceRect)(void *platformWindow, Rect *r);  // rectangle of the instance a window shows
    const char *version;           // written into crash reports
    SInt32 shapeWords[4];          // read by the window-shape code
};
extern OrvaSettings orvaSettings;

Boolean OrvaIsPlugin();
UInt16 OrvaWindowsGetModePoliceSysteme();
void OrvaWindowsSetModePoliceSysteme(UInt16 mode);
void OrvaWindowsGetCouleurInvert(RGBColor *c);
void OrvaWindowsSetCouleurInvert(const RGBColor *c);

// The main thread: the only one that touches GTK, GDK, ports and QuickDraw state.
// OrvaSetMainThread records the calling thread (the host calls it at start-up).
void OrvaSetMainThread();
Boolean OrvaIsMainThread();

// Error sink. Shows the message (one at a time; a message arriving while one is shown is
// dropped). From another thread, or in the plug-in, the message is queued and shown by the
// next OrvaPumpErrors on the main thread; with no display it is traced instead.
void OrvaErreur(const char *message);
void OrvaErreurF(const char *format, ...) __attribute__((format(printf, 1, 2)));
void SystemDependantErrorBox(const char *message);  // main thread
void OrvaPumpErrors();                              // main thread: shows queued messages
// Test seam: every message that would be shown goes to hook instead (null restores the box).
void OrvaSetErrorHook(void (*hook)(const char *message));

// Start-up and exit.
void out_orva();
void init_orva();
void AST_AciaVect();
void orva_call_old_timer();
void orva_set_default_video_mode();
SInt16 orva_get_default_video_mode();
void orvaDebuteTrace();
void orvaTermineTrace();
SInt32 GetPcConfig();
Boolean OrvaIsMainScrollBarsEnabled();
void QuitApp();
const char *GetOrvaCmdLine();
void OrvaSetCmdLine(const char *line);
WindowPtr OrvaGetFrameWnd();
void OrvaSetFrameWnd(WindowPtr w);
void OrvaGetWorkingDir(char *path);        // at most 1024 bytes with the terminator
void OrvaSetWorkingDir(const char *path);
void SetBreakMessProcess(SInt16 value);
SInt16 GetBreakMessProcess();
void OrvaSetPluginHandleEventProc(void *proc);
void OrvaSetUnicodeKbd(Boolean on);

// Mouse wheel.
void OrvaSetProcessMouseWheel(Boolean on);
Boolean OrvaGetProcessMouseWheel();
Boolean OrvaProcessWheelMouse(SInt16 delta);

Boolean VerifieInstallationWorva();
