// Test helpers for QuickDraw.
#include "support/graphics/quickdraw_support.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "graphics/quickdraw/color.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/language_files.h"
#include "support/test_home.h"

static std::vector<std::string> &Messages() {
    static std::vector<std::string> messages;
    return messages;
}

static void CaptureError(const char *message) { Messages().push_back(message ? message : ""); }

void StartQuickDrawForTests() {
    static bool started = false;
    if (started) return;
    started = true;
    OrvaTestHome();  // HOME and XDG_CONFIG_HOME: preferences and caches start empty
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaMakeTestLanguageFiles(OrvaTestHome());  // tests switch the interface language
    OrvaSetErrorHook(CaptureError);
    OrvaInitGraf(&qd, 1);
}

std::vector<std::string> &CapturedErrors() {
    OrvaPumpErrors();  // in the plug-in, messages wait in a queue for the pump
    return Messages();
}

void OpenTestPort(GrafPort *port, SInt16 width, SInt16 height) {
    StartQuickDrawForTests();
    std::memset(port, 0, sizeof *port);
    OpenPort(port);
    PortSize(width, height);
}

UInt32 PortPixel(const GrafPort *port, SInt32 x, SInt32 y) {
    const UInt8 *row = (const UInt8 *)port->effectiveBase + SInt64(y) * port->rowStride;
    UInt32 value;
    std::memcpy(&value, row + 4 * SInt64(x), 4);
    return value & 0xFFFFFF;
}

bool StartColorsForTests() {
    StartQuickDrawForTests();
    if (!GetResource(FourCC("pltt"), 128) && OpenResFile(BuildTreePath("resources/OrvaTests.rsr").c_str()) < 0)
        return false;
    OrvaInitColorManager();
    return OrvaDefault8BitsColorTable != nullptr;
}
