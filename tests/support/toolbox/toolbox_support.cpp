// Test helpers for the toolbox.
#include "support/toolbox/toolbox_support.h"

#include <cstring>

#include <gtk/gtk.h>

#include "graphics/text/textedit.h"
#include "platform/core/runtime.h"
#include "platform/gtk/back_end.h"
#include "support/graphics/quickdraw_support.h"
#include "support/test_home.h"
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

bool StartStandaloneToolboxForTests() {
    static bool started = false, display = false;
    if (started) return display;
    started = true;
    OrvaTestHome();
    orvaSettings.pluginFlag = 0;
    orvaSettings.singleInstance = 0;
    OrvaSetMainThread();
    OrvaSetErrorHook([](const char *) {});
    display = gtk_init_check(nullptr, nullptr);
    if (!display) return false;
    OrvaInstallGtkBackEnd();
    OrvaInstallToolbox();
    OrvaInitToolboxManagers();
    return true;
}

WindowPtr NewToolboxTestWindow(const Rect &bounds, SInt16 procID, const char *title) {
    StartToolboxForTests();
    Str255 t;
    size_t length = strlen(title);
    t[0] = UInt8(length > 255 ? 255 : length);
    memcpy(t + 1, title, t[0]);
    return NewWindow(nullptr, &bounds, t, kTrue, procID, reinterpret_cast<WindowPtr>(-1), kTrue, 0);
}
