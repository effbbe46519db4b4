// ctest-labels: textedit
// Random scripts of keys, clicks, pastes (with hostile style scraps), style changes, text
// replacements, selections and scrolls on a plain or styled TextEdit record: after every step
// the record keeps its invariants (line starts, runs, style counts, line heights).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/input_method.h"
#include "platform/core/back_end.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "platform/core/time_manager.h"
#include "tests/support/graphics/textedit_invariants.h"

// An input: a header byte (bit 0 styled, bit 1 Japanese, bit 2 overwrite, bits 3-5 the width,
// bit 6 auto-view), then steps of an opcode byte and its operands.
enum : size_t { kMaxInput = 4096 };

namespace {

UInt32 gTicks = 1;
UInt32 ScriptTicks() { return gTicks; }

GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    OrvaSetTickCountSource(ScriptTicks);
    return port = FuzzNewPort(200, 120);
}

void Check(TEHandle te) {
    if (!TEInvariantFault(te).empty()) std::abort();
}

SInt16 FontOf(UInt8 code) {
    const SInt16 fonts[8] = {22, 20, 21, 3, 0, 1, 4321, SInt16(0xF000)};
    return fonts[code & 7];
}

// A 'TEXT' entry, and a 'styl' entry of the script's raw bytes when asked.
void PutScrapFrom(FuzzReader *in, Boolean withStyles) {
    ZeroScrap();
    UInt8 length = in->Byte();
    std::string text;
    for (UInt8 i = 0; i < length && in->More(); i++) text += char(in->Byte());
    PutScrap(SInt32(text.size()), FourCC("TEXT"), text.data());
    if (!withStyles) return;
    UInt8 styleBytes = in->Byte();
    std::string styles;
    for (UInt8 i = 0; i < styleBytes && in->More(); i++) styles += char(in->Byte());
    PutScrap(SInt32(styles.size()), FourCC("styl"), styles.data());
}

void Step(FuzzReader *in, TEHandle te) {
    UInt8 op = in->Byte();
    switch (op % 16) {
    case 0:
    case 1: {
        UInt8 key = in->Byte(), modifiers = in->Byte();
        OrvaSetStandInModifiers(UInt16((modifiers & 3) << 8));
        TEKey(key, te);
        OrvaSetStandInModifiers(0);
        break;
    }
    case 2: {
        SInt16 v = in->Word(), h = in->Word();
        gTicks += in->Byte();
        TEClick(Point{v, h}, in->Byte() & 1, te);
        break;
    }
    case 3:
        PutScrapFrom(in, kFalse);
        TEPaste(te);
        break;
    case 4:
        PutScrapFrom(in, kTrue);
        TEStylPaste(te);
        break;
    case 5: {
        SInt16 mode = SInt16(in->Byte() & 31);
        TextStyle style{FontOf(in->Byte()), in->Byte(), 0, SInt16(SInt8(in->Byte())),
                        {UInt16(in->Byte() << 8), UInt16(in->Byte() << 8), 0}};
        TESetStyle(mode, &style, in->Byte() & 1, te);
        break;
    }
    case 6: {
        UInt16 length = UInt16(in->Byte()) * 4;
        std::string text;
        for (UInt16 i = 0; i < length; i++) text += char(in->More() ? in->Byte() : 'a' + i % 26);
        TESetText(text.data(), SInt32(text.size()), te);
        break;
    }
    case 7: {
        SInt16 a = in->Word(), b = in->Word();
        TESetSelect(a, b, te);
        break;
    }
    case 8:
        TECut(te);
        break;
    case 9:
        TECopy(te);
        break;
    case 10: {
        SInt16 dh = SInt8(in->Byte()), dv = SInt8(in->Byte());
        if (in->Byte() & 1) TEPinScroll(dh, dv, te);
        else TEScroll(dh, dv, te);
        break;
    }
    case 11: {
        Rect r = (*te)->viewRect;
        TEUpdate(&r, te);
        break;
    }
    case 12:
        if ((*te)->active) TEDeactivate(te);
        else TEActivate(te);
        break;
    case 13:
        gTicks += in->Byte();
        TEIdle(te);
        break;
    case 14: {
        UInt8 length = in->Byte();
        std::string text;
        for (UInt8 i = 0; i < length && in->More(); i++) text += char(in->Byte());
        TEInsert(text.data(), SInt32(text.size()), te);
        break;
    }
    default:
        TEDelete(te);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    FuzzMonospacedText(Port());
    FuzzReader in{OrvaByteReader(data, size)};
    UInt8 header = in.Byte();
    OrvaFixeLangue((header & 2) ? 5 : 1);
    OrvaTESetInsertMode((header & 4) ? kFalse : kTrue);
    const SInt16 widths[8] = {60, 0, -10, 1, 120, 180, 7, 3000};
    Rect dest = {10, 10, 110, SInt16(10 + widths[(header >> 3) & 7])}, view = {10, 10, 110, 190};
    TEHandle te = (header & 1) ? TEStylNew(&dest, &view) : TENew(&dest, &view);
    if (!te) std::abort();
    TEAutoView((header & 64) ? kTrue : kFalse, te);
    Check(te);
    while (in.More()) {
        Step(&in, te);
        Check(te);
    }
    TEDispose(te);
    ZeroScrap();
    OrvaTESetInsertMode(kTrue);
    OrvaFixeLangue(1);
    return 0;
}
