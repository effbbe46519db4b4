// The calls the lower floors make of the window-system back end, one table of procedures per
// capability that needs the display. The back end (platform/gtk) installs its rows at start-up;
// until then, and in programs without a display, the stand-in rows answer.
#pragma once

#include "platform/core/files.h"
#include "platform/core/mac_types.h"

struct OrvaCursorArea;  // the cursor in force (graphics/quickdraw/cursors.h)

struct SystemDependantWindowOps {
    // Invalidates r (buffer pixels) of a platform window so that it is painted again.
    void (*invalidateRect)(void *platformWindow, const Rect *r);
    void (*screenRect)(Rect *r);  // the screen area windows may use, global; empty without one
    void (*makeMenuBar)();        // the standalone menu-bar window, made once
};

struct SystemDependantScreenOps {
    Boolean (*screenSize)(SInt16 *width, SInt16 *height);  // false without a display
    SInt16 (*borderWidth)();
    SInt32 (*doubleClickMs)();
    SInt32 (*caretBlinkMs)();
};

struct SystemDependantInputOps {
    UInt16 (*modifiers)();          // the modifier bits held now (kModifier...)
    void (*keyMap)(UInt32 map[4]);  // key k: word k / 32, bit (k ^ 24) & 31
};

struct SystemDependantCursorOps {
    UInt32 (*setStandard)(SInt16 id);
    UInt32 (*setMonochrome)(const OrvaCursorArea *cursor);
    UInt32 (*setColor)(const OrvaCursorArea *cursor);
    void (*restoreSystem)();  // the pointer shows the system's own cursor again
};

struct SystemDependantDialogOps {
    void (*getFile)(const char *prompt, const char *filterList, SFReply *reply);
    SInt16 (*putFile)(const char *prompt, const char *suggestedName, const char *filterList, SFReply *reply);
    Boolean (*selectFolder)(const char *parent, char *path);
    // The error box; false when none can be shown here (the caller traces the message instead).
    Boolean (*errorBox)(const char *message);
    // The error box without a modal loop; closed() runs when the user closes it. False as above.
    Boolean (*modelessErrorBox)(const char *message, void (*closed)());
    SInt16 (*openDocument)(const char *path);  // with the desktop's application; 1 failed
};

// The rows of one back end; a null row keeps the stand-in row of that capability.
struct OrvaBackEnd {
    const SystemDependantWindowOps *windows;
    const SystemDependantScreenOps *screen;
    const SystemDependantInputOps *input;
    const SystemDependantCursorOps *cursors;
    const SystemDependantDialogOps *dialogs;
};
// Installs a back end (main thread, at start-up); null puts every stand-in row back.
void OrvaInstallBackEnd(const OrvaBackEnd *backEnd);

enum : UInt16 {
    kModifierCommand = 0x0100,  // Control on this platform
    kModifierShift = 0x0200,
    kModifierOption = 0x0800,   // Alt
};

// One wrapper per slot; the stand-in answers are given after each.
void SystemDependantInvalidateRect(void *platformWindow, const Rect *r);  // nothing
void SystemDependantGetScreenArea(Rect *r);                               // empty
void SystemDependantMakeMenuBar();                                        // nothing
Boolean SystemDependantGetScreenSize(SInt16 *width, SInt16 *height);      // false
SInt16 SystemDependantGetBorderWidth();                                   // 4
SInt32 SystemDependantGetDoubleClickTimeMs();                             // 500
SInt32 SystemDependantGetCursorBlinkTimeMs();                             // 1200
UInt16 SystemDependantGetModifiers();                                     // the stand-in modifiers
void SystemDependantGetKeyMap(UInt32 map[4]);                             // the stand-in key map
UInt32 SystemDependantSetStandardCursor(SInt16 id);                       // 0: the pointer keeps its shape
UInt32 SystemDependantSetMonochromeCursor(const OrvaCursorArea *cursor);  // 0
UInt32 SystemDependantSetColorCursor(const OrvaCursorArea *cursor);       // 0
void SystemDependantRestoreSystemCursor();                                // nothing
void SystemDependantGetFile(const char *prompt, const char *filterList, SFReply *reply);  // cancelled
SInt16 SystemDependantPutFile(const char *prompt, const char *suggestedName, const char *filterList,
                              SFReply *reply);                            // 0, cancelled
Boolean SystemDependantSelectFolder(const char *parent, char *path);      // false
Boolean SystemDependantErrorBox(const char *message);                     // false
Boolean SystemDependantModelessErrorBox(const char *message, void (*closed)());  // false
SInt16 SystemDependantOpenDocumentFromExtension(const char *path);        // 1

// Test seams of the stand-in input row: the modifiers it answers (also added by the GTK row to
// what the pointer says) and the key map it answers.
void OrvaSetStandInModifiers(UInt16 modifiers);
UInt16 OrvaGetStandInModifiers();
void OrvaSetStandInKeyMap(const UInt32 map[4]);  // null: no key down
