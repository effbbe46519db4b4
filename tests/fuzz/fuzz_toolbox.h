// What the fuzz targets of the toolbox share: the toolbox's rows installed and QuickDraw started
// in plug-in mode (nothing waits there), the Menu and Dialog managers started. Header only, as
// fuzz_quickdraw.h.
#pragma once

#include "fuzz_quickdraw.h"
#include "graphics/text/textedit.h"
#include "toolbox/toolbox_install.h"
#include "toolbox/toolbox_services.h"

inline void FuzzStartToolbox() {
    static bool started = false;
    if (started) return;
    started = true;
    OrvaInstallToolbox();
    FuzzStartQuickDraw();
    InitMenus();
    TEInit();
    InitDialogs(nullptr);
}
