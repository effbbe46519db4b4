// Stand-ins for the cursor services until the cursor code exists: the platform pointer keeps
// its shape.
#include "toolbox/toolbox_services.h"

void ObscureCursor() {}
CursHandle _GetCursor(SInt16) { return nullptr; }
void orva_setCursor(const OrvaCursorArea *) {}
void OrvaGereCursorWindows() {}
void OrvaProcessUnderMouse(WindowPtr, ControlHandle, SInt16, SInt16) {}
