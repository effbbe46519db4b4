// The runtime core of the portability library: its settings record, start-up and exit
// hooks, the one error sink, the plug-in's message routines, the mouse-wheel router and a few
// process-wide values.
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
// Main thread: shows the queued messages, each also a trace line "OrvaErreur : <message>"
// (PlugTrace). The plug-in pumps at every idle step and after making an instance.
void OrvaPumpErrors();
// Test seam: every message that would be shown goes to hook instead (null restores the box).
void OrvaSetErrorHook(void (*hook)(const char *message));

// The one message channel of every floor: the score model, playback and the importers call
// these directly. Each formats its message (at most 511 characters) and hands it to the slot
// the plug-in installed at start-up; until then Collapse and Message go to the error sink and a
// trace line has nowhere to go (tracing starts off). A warning code without a warning slot is
// traced as "Notice <code>". Tests catch the lines by installing their own record. Any thread.
struct OrvaMessageHooks {
    void (*collapse)(const char *message);  // fatal to the operation in hand: traced and shown
    void (*message)(const char *message);   // shown, not traced
    void (*warning)(SInt16 code);           // the score reader's warning codes
    void (*trace)(const char *message);     // a line of the trace log when tracing is on
};
void OrvaSetMessageHooks(const OrvaMessageHooks *hooks);  // kept, not copied; null: none
void Collapse(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Message(SInt32 unused1, SInt32 unused2, const char *format, ...) __attribute__((format(printf, 3, 4)));
void AvertissementVrac(SInt16 code);
void PlugTrace(const char *format, ...) __attribute__((format(printf, 1, 2)));

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
void ExitToShell();  // ends the process; returns inside the plug-in
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

// Mouse wheel. The window layer installs the router that finds the window and scroll bar under
// the pointer; without one a turn is not processed.
void OrvaSetProcessMouseWheel(Boolean on);
Boolean OrvaGetProcessMouseWheel();
void OrvaSetWheelRouter(Boolean (*route)(SInt16 delta));
Boolean OrvaProcessWheelMouse(SInt16 delta);  // false when off, without a router or not taken

// The name of the sound output device the plug-in chose: a process-wide buffer of
// kDigitalOutputDeviceSize bytes, written by the plug-in's main thread, empty for the default.
enum : SInt32 { kDigitalOutputDeviceSize = 4096 };
char *OrvaGetDigitalOutputDevice();

Boolean VerifieInstallationWorva();
