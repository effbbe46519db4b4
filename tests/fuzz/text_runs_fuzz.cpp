// ctest-labels: text
// Random runs of 8-bit or UTF-16 text in random fonts, faces, sizes and angles, measured and
// drawn on an image port, also while recording: widths stay in 0..32767, the pen moves only
// within range, and nothing reads or writes outside the run or the port.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_quickdraw.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/language.h"

// Header of an input, then the text:
//   flags: bit 0 UTF-16, bit 1 record, bit 2 Japanese, bit 3 transcoding off, bits 4-7 font
//   face; size code; angle code.
enum : size_t { kHeaderBytes = 4, kMaxText = 512 };

static void Check(bool ok) {
    if (!ok) std::abort();
}

static GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    const char *source = std::getenv("ORVA_SOURCE_DIR");
    std::string font = std::string(source && *source ? source : ".") + "/tests/fonts/OrvaTestSymbol.ttf";
    SystemDependantInstalleFonteLocale(font.c_str(), true);
    return port = FuzzNewPort(160, 120);
}

static SInt16 FontOf(UInt8 code) {
    const UInt16 fonts[16] = {0, 1, 3, 20, 21, 22, 0xE100, 0xE200, 0xE300, 0xE380, 4321, 0xF000, 0xEA3B, 1000, 1003, 0};
    UInt16 font = fonts[code & 15];
    if ((code & 15) == 15) font = OrvaGetFontIDFromNameStrict("OrvaTestSymbol");
    return SInt16(font);
}

// Sizes: the special ones (0, negative, the largest), else 1..160.
static SInt16 SizeOf(UInt8 code) {
    if (code == 0) return 0;
    if (code == 255) return 32767;
    if (code >= 240) return SInt16(-(code - 239));
    return SInt16(1 + code % 160);
}

static float AngleOf(UInt8 code) {
    if (code == 0x7F) return std::nanf("");
    if (code == 0x80) return 1e30f;
    if (code == 0x81) return -INFINITY;
    return float(SInt8(code)) * 7.5f;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < kHeaderBytes || size > kHeaderBytes + kMaxText) return 0;
    GrafPort *port = Port();
    SetPort(port);
    UInt8 flags = data[0];
    Boolean unicode = flags & 1, record = (flags & 2) != 0;
    OrvaFixeLangue((flags & 4) ? 5 : 1);
    OrvaSetTranscodeCharset((flags & 8) ? 0 : 1);
    TextFont(FontOf(flags >> 4));
    TextFace(data[1]);
    TextSize(SizeOf(data[2]));
    float angle = AngleOf(data[3]);
    // The run in a buffer of its own size, so that a read past it is seen.
    size_t bytes = size - kHeaderBytes;
    if (unicode) bytes &= ~size_t(1);
    std::vector<uint8_t> run(data + kHeaderBytes, data + kHeaderBytes + bytes);
    SInt32 length = SInt32(unicode ? bytes / 2 : bytes);
    std::vector<uint8_t> copy = run;

    SInt16 width = OrvaTextWidth(run.data(), 0, length, unicode);
    Check(width >= 0);
    PicHandle pic = nullptr;
    if (record) {
        Rect frame = port->portRect;
        pic = OpenPicture(&frame);
    }
    _MoveTo(40, 60);
    OrvaPortDrawClippedText(port, run.data(), 0, length, unicode, angle);
    if (!unicode) _DrawText(run.data(), 0, SInt16(length));
    if (pic) {
        ClosePicture();
        KillPicture(pic);
    }
    Check(run == copy);
    OrvaSetTranscodeCharset(1);
    OrvaFixeLangue(1);
    return 0;
}
