// The back-end tables in force, their stand-in rows and the one wrapper per slot.
#include "platform/core/back_end.h"

#include <atomic>
#include <cstring>

namespace {

// Written on the main thread at start-up; read by any thread (the error sink, the timer).
struct BackEndTables {
    std::atomic<const SystemDependantWindowOps *> windows;
    std::atomic<const SystemDependantScreenOps *> screen;
    std::atomic<const SystemDependantInputOps *> input;
    std::atomic<const SystemDependantCursorOps *> cursors;
    std::atomic<const SystemDependantDialogOps *> dialogs;
};

// The stand-in input state: what tests of the lower floors press. Main thread.
struct StandInInput {
    UInt16 modifiers;
    UInt32 keyMap[4];
};
StandInInput gStandInInput;

void NoInvalidate(void *, const Rect *) {}
void NoScreenArea(Rect *r) {
    if (r) *r = Rect{0, 0, 0, 0};
}
void NoMenuBar() {}
Boolean NoScreen(SInt16 *, SInt16 *) { return kFalse; }
SInt16 DefaultBorderWidth() { return 4; }
SInt32 DefaultDoubleClickMs() { return 500; }
SInt32 DefaultCaretBlinkMs() { return 1200; }
UInt16 StandInModifiers() { return gStandInInput.modifiers; }
void StandInKeyMap(UInt32 map[4]) {
    if (map) memcpy(map, gStandInInput.keyMap, sizeof gStandInInput.keyMap);
}
UInt32 KeepStandardCursor(SInt16) { return 0; }
UInt32 KeepCursor(const OrvaCursorArea *) { return 0; }
void KeepSystemCursor() {}
void CancelGetFile(const char *, const char *, SFReply *reply) {
    if (reply) reply->good = 0;
}
SInt16 CancelPutFile(const char *, const char *, const char *, SFReply *reply) {
    if (reply) reply->good = 0;
    return 0;
}
Boolean NoFolder(const char *, char *) { return kFalse; }
Boolean NoErrorBox(const char *) { return kFalse; }
Boolean NoModelessErrorBox(const char *, void (*)()) { return kFalse; }
SInt16 NoDesktop(const char *) { return 1; }

const SystemDependantWindowOps kStandInWindows = {NoInvalidate, NoScreenArea, NoMenuBar};
const SystemDependantScreenOps kStandInScreen = {NoScreen, DefaultBorderWidth, DefaultDoubleClickMs,
                                                 DefaultCaretBlinkMs};
const SystemDependantInputOps kStandInInput = {StandInModifiers, StandInKeyMap};
const SystemDependantCursorOps kStandInCursors = {KeepStandardCursor, KeepCursor, KeepCursor, KeepSystemCursor};
const SystemDependantDialogOps kStandInDialogs = {CancelGetFile, CancelPutFile, NoFolder,
                                                  NoErrorBox, NoModelessErrorBox, NoDesktop};

BackEndTables gBackEnd = {{&kStandInWindows}, {&kStandInScreen}, {&kStandInInput}, {&kStandInCursors},
                          {&kStandInDialogs}};

const SystemDependantWindowOps *Windows() { return gBackEnd.windows.load(std::memory_order_acquire); }
const SystemDependantScreenOps *Screen() { return gBackEnd.screen.load(std::memory_order_acquire); }
const SystemDependantInputOps *Input() { return gBackEnd.input.load(std::memory_order_acquire); }
const SystemDependantCursorOps *Cursors() { return gBackEnd.cursors.load(std::memory_order_acquire); }
const SystemDependantDialogOps *Dialogs() { return gBackEnd.dialogs.load(std::memory_order_acquire); }

template <typename Row>
void Install(std::atomic<const Row *> &slot, const Row *row, const Row *standIn) {
    slot.store(row ? row : standIn, std::memory_order_release);
}

}  // namespace

void OrvaInstallBackEnd(const OrvaBackEnd *backEnd) {
    OrvaBackEnd rows = backEnd ? *backEnd : OrvaBackEnd{};
    Install(gBackEnd.windows, rows.windows, &kStandInWindows);
    Install(gBackEnd.screen, rows.screen, &kStandInScreen);
    Install(gBackEnd.input, rows.input, &kStandInInput);
    Install(gBackEnd.cursors, rows.cursors, &kStandInCursors);
    Install(gBackEnd.dialogs, rows.dialogs, &kStandInDialogs);
}

void SystemDependantInvalidateRect(void *platformWindow, const Rect *r) { Windows()->invalidateRect(platformWindow, r); }
void SystemDependantGetScreenArea(Rect *r) { Windows()->screenRect(r); }
void SystemDependantMakeMenuBar() { Windows()->makeMenuBar(); }
Boolean SystemDependantGetScreenSize(SInt16 *width, SInt16 *height) { return Screen()->screenSize(width, height); }
SInt16 SystemDependantGetBorderWidth() { return Screen()->borderWidth(); }
SInt32 SystemDependantGetDoubleClickTimeMs() { return Screen()->doubleClickMs(); }
SInt32 SystemDependantGetCursorBlinkTimeMs() { return Screen()->caretBlinkMs(); }
UInt16 SystemDependantGetModifiers() { return Input()->modifiers(); }
void SystemDependantGetKeyMap(UInt32 map[4]) { Input()->keyMap(map); }
UInt32 SystemDependantSetStandardCursor(SInt16 id) { return Cursors()->setStandard(id); }
UInt32 SystemDependantSetMonochromeCursor(const OrvaCursorArea *cursor) { return Cursors()->setMonochrome(cursor); }
UInt32 SystemDependantSetColorCursor(const OrvaCursorArea *cursor) { return Cursors()->setColor(cursor); }
void SystemDependantRestoreSystemCursor() { Cursors()->restoreSystem(); }
void SystemDependantGetFile(const char *prompt, const char *filterList, SFReply *reply) {
    Dialogs()->getFile(prompt, filterList, reply);
}
SInt16 SystemDependantPutFile(const char *prompt, const char *suggestedName, const char *filterList, SFReply *reply) {
    return Dialogs()->putFile(prompt, suggestedName, filterList, reply);
}
Boolean SystemDependantSelectFolder(const char *parent, char *path) { return Dialogs()->selectFolder(parent, path); }
Boolean SystemDependantErrorBox(const char *message) { return Dialogs()->errorBox(message); }
Boolean SystemDependantModelessErrorBox(const char *message, void (*closed)()) {
    return Dialogs()->modelessErrorBox(message, closed);
}
SInt16 SystemDependantOpenDocumentFromExtension(const char *path) { return Dialogs()->openDocument(path); }

void OrvaSetStandInModifiers(UInt16 modifiers) { gStandInInput.modifiers = modifiers; }
UInt16 OrvaGetStandInModifiers() { return gStandInInput.modifiers; }
void OrvaSetStandInKeyMap(const UInt32 map[4]) {
    if (map) memcpy(gStandInInput.keyMap, map, sizeof gStandInInput.keyMap);
    else memset(gStandInInput.keyMap, 0, sizeof gStandInInput.keyMap);
}
