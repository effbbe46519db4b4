// ctest-labels: transfer
// Random bytes as a 'ppat' and as a 'crsr' resource: the readers stay inside the bytes, and
// what they accept can be painted, set as the cursor and disposed without leaks.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/pixel_patterns.h"

static GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    port = FuzzNewPort(32, 32);
    OrvaSetCursorShowHook([](const OrvaCursorArea *) {});
    return port;
}

// The first byte picks the rectangle painted; the rest is the resource.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    Port();
    if (size < 1) return 0;
    SInt16 shift = SInt16(data[0] % 40) - 20;
    std::vector<uint8_t> bytes(data + 1, data + size);
    PixPatHandle pattern = OrvaPixPatFromBytes(bytes.data(), UInt32(bytes.size()));
    if (pattern) {
        Rect r = {shift, SInt16(shift / 2), SInt16(shift + 30), SInt16(40 - shift)};
        OrvaPaintRectPixPat(&r, pattern);
        DisposePixPat(pattern);
    }
    CCrsrHandle cursor = OrvaCCursorFromBytes(bytes.data(), UInt32(bytes.size()), 1, 1);
    if (cursor) {
        orvaSettings.pluginFlag = 0;
        SetCCursor(cursor);
        static Cursor plain;
        _SetCursor(&plain);
        orvaSettings.pluginFlag = 1;
        DisposeCCursor(cursor);
    }
    return 0;
}
