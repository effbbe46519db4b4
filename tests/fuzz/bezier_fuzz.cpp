// ctest-labels: pictures
// Random comment texts through the Bezier command reader, played and recorded.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/bezier.h"
#include "platform/core/memory.h"

static GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    return port = FuzzNewPort(64, 48);
}

static void Halve(float *x, float *y) {
    *x /= 2;
    *y /= 2;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    GrafPort *port = Port();
    if (size > 32767) return 0;
    SetPort(port);
    std::string text((const char *)data, size);
    BzProcessBezierCommand(text.data(), SInt32(size), false, false, Halve);
    BzProcessBezierCommand("STOP", 4, false, false, nullptr);
    Rect frame = {0, 0, 48, 64};
    PicHandle pic = OpenPicture(&frame);
    BzProcessBezierCommand(text.data(), SInt32(size), true, false, Halve);
    ClosePicture();
    KillPicture(pic);
    if (BzIsBezierEngagedInDrawPict()) std::abort();
    return 0;
}
