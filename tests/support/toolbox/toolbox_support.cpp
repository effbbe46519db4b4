// Test helpers for the toolbox.
#include "support/toolbox/toolbox_support.h"

#include <cstring>

#include "graphics/text/textedit.h"
#include "support/graphics/quickdraw_support.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/toolbox_services.h"

void StartToolboxForTests() {
    static bool started = false;
    if (started) return;
    started = true;
    OrvaInstallToolbox();
    StartQuickDrawForTests();
    InitMenus();
    TEInit();
    InitDialogs(nullptr);
}

WindowPtr NewToolboxTestWindow(const Rect &bounds, SInt16 procID, const char *title) {
    StartToolboxForTests();
    Str255 t;
    size_t length = strlen(title);
    t[0] = UInt8(length > 255 ? 255 : length);
    memcpy(t + 1, title, t[0]);
    return NewWindow(nullptr, &bounds, t, kTrue, procID, reinterpret_cast<WindowPtr>(-1), kTrue, 0);
}
