// What the toolbox's benchmarks share: the toolbox installed and QuickDraw started as the
// plug-in starts them, on the benchmark's thread, with the plug-in's resource file of this
// build tree open.
#pragma once

#include <string>
#include <unistd.h>

#include "graphics/quickdraw/ports.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "toolbox/toolbox_install.h"

inline void BenchStartToolbox() {
    static bool started = false;
    if (started) return;
    started = true;
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInstallToolbox();
    OrvaInitGraf(&qd, 1);
    char exe[4096] = "";
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    exe[n > 0 ? n : 0] = 0;
    std::string folder(exe);
    folder = folder.substr(0, folder.rfind('/'));
    OpenResFile((folder + "/../resources/Ondrak Music Plugin.rsr").c_str());
}
