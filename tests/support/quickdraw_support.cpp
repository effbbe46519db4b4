// Test helpers for QuickDraw.
#include "support/quickdraw_support.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "platform/core/runtime.h"

static std::vector<std::string> &Messages() {
    static std::vector<std::string> messages;
    return messages;
}

static void CaptureError(const char *message) { Messages().push_back(message ? message : ""); }

void StartQuickDrawForTests() {
    static bool started = false;
    if (started) return;
    started = true;
    const char *base = std::getenv("ORVA_TEST_TMP");
    std::string home = std::string(base && *base ? base : "/tmp") + "/qdhomeXXXXXX";
    std::vector<char> buffer(home.begin(), home.end());
    buffer.push_back('\0');
    static std::string made;
    if (mkdtemp(buffer.data())) {
        made = buffer.data();
        setenv("HOME", made.c_str(), 1);
        std::atexit([] { rmdir(made.c_str()); });  // left in place if something was written there
    }
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
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
