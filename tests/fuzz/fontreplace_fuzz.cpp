// ctest-labels: text
// Any bytes as "FontReplace.txt": the parser and the class walk end, and every lookup of a name
// of the file (or of none) answers within its range without reading past a name field.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_equivalence.h"
#include "platform/core/runtime.h"

static void Check(bool ok) {
    if (!ok) std::abort();
}

static void StartOnce() {
    static bool started = false;
    if (started) return;
    started = true;
    FuzzStartQuickDraw();
    OrvaSetErrorHook([](const char *) {});
}

static void Ask(const char *name) {
    char out[256];
    std::memset(out, 'x', sizeof out);
    out[255] = 0;
    SInt16 result = FontEQName(name, out);
    Check(result >= -1 && result <= 2 && std::strlen(out) <= 255);
    SInt16 id = -7;
    result = GetClosestIDFontFromName(name, &id, out);
    Check(result >= 0 && result <= 2 && std::strlen(out) <= 255 && id != -7);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 16)) return 0;
    StartOnce();
    std::string text((const char *)data, size);
    FontEQProcessPreferenceFile(text.c_str());
    // Every piece between separators is asked for, as the parser would cut it and as given.
    size_t start = 0;
    for (size_t i = 0; i <= text.size() && i < 4096; i++) {
        if (i < text.size() && !std::strchr(",#\r\n", text[i]) && text[i] != 0) continue;
        std::string piece = text.substr(start, i - start);
        Ask(piece.c_str());
        size_t blanks = piece.find_first_not_of(" \t");
        if (blanks != std::string::npos) Ask(piece.c_str() + blanks);
        start = i + 1;
    }
    Ask("Default");
    Ask("");
    FontEQProcessPreferenceFile(nullptr);
    return 0;
}
