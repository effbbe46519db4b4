// Stand-ins for the cursor services until the cursor code exists: the platform pointer keeps
// its shape.
#include "toolbox/toolbox_services.h"
#include "platform/gtk/keyboard_mouse.h"

void ObscureCursor() {}
CursHandle _GetCursor(SInt16) { return nullptr; }
void orva_setCursor(const OrvaCursorArea *cursor) {
    if (!cursor) return;
    if (cursor->kind == kCursorKindPlatform) SystemDependantSetStandardCursor(SInt16(cursor->id));
    else if (cursor->kind == kCursorKindColor) SystemDependantSetColorCursor(cursor);
    else SystemDependantSetMonochromeCursor(cursor);
}
void OrvaGereCursorWindows() {}
void OrvaProcessUnderMouse(WindowPtr, ControlHandle, SInt16, SInt16) {}
