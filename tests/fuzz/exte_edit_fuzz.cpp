// ctest-labels: exte-edit
// Random scripts of keys (any 16-bit code, with shift and command), clicks, pastes of hostile
// 'TEXT', 'utxt' and 'styl' entries, restyles, selections, scrolls, updates and appends on a
// UTF-8 Extended TextEdit record: after every step the record keeps the model's invariants and
// every offset it holds (selection, anchor, active end, line and run starts) lies on a
// character boundary.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "platform/core/time_manager.h"
#include "platform/core/unicode_mode.h"
#include "platform/gtk/keyboard_mouse.h"
#include "tests/support/graphics/extended_support.h"

// An input: a header byte (bit 0 unstyled, bit 1 measured and drawn by pango rather than
// counted, bit 2 overwrite mode, bit 3 auto-view, bits 4-6 the width), then steps of an opcode
// byte and its operands.
enum : size_t { kMaxInput = 4096 };
enum : UInt32 { kShiftSymbol = 65505, kControlSymbol = 65507 };

namespace {

UInt32 gTicks = 1000;
UInt32 ScriptTicks() { return gTicks; }

GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    SetUnicodeApplication(kTrue);
    OrvaSetTickCountSource(ScriptTicks);
    return port = FuzzNewPort(220, 140);
}

UInt8 SilentDraw(ExtendedTEHandle, SInt32, const char *, SInt32) { return 1; }

bool OnBoundary(ExtendedTEHandle te, SInt32 offset) {
    if (offset < 0 || offset > (*te)->teLength) return false;
    if (offset == 0 || offset == (*te)->teLength) return true;
    return ExtendedNextChar(te, ExtendedPreviousChar(te, offset)) == offset;
}

void Check(ExtendedTEHandle te) {
    const ExtendedTERec &r = **te;
    if (r.selStart < 0 || r.selStart > r.selEnd || r.selEnd > r.teLength) std::abort();
    if (GetHandleSize(r.hText) != UInt32(r.teLength)) std::abort();
    for (SInt32 offset : {r.selStart, r.selEnd, r.anchor, r.activeEnd})
        if (!OnBoundary(te, offset)) std::abort();
    if (r.styleHandle) {
        if (!ExtendedStyleFault(r.styleHandle, r.teLength, false).empty()) std::abort();
        for (SInt32 i = 0; i < (*r.styleHandle)->nRuns; i++)
            if (!OnBoundary(te, (*r.styleHandle)->runs[i].startChar)) std::abort();
    }
    if (r.drawSuspended) return;
    if (!ExtendedLayoutFault(te).empty()) std::abort();
    for (SInt32 i = 0; i <= r.nLines; i++)
        if (!OnBoundary(te, r.lineStarts[i])) std::abort();
}

// Valid UTF-8 made from the script: letters, spaces, returns and characters of two, three and
// four bytes, Hebrew among them.
std::string Utf8(FuzzReader *in, UInt8 most) {
    static const char *const kPieces[] = {"a", "b", "Z", " ", " ", "\r", "\n", "-", "5", ".",
                                          "\xC3\xA9", "\xD7\x90", "\xD7\x91", "\xE2\x82\xAC", "\xE4\xB8\xAD",
                                          "\xF0\x9D\x84\x9E"};
    std::string text;
    for (UInt8 n = in->Byte() % most; n > 0 && in->More(); n--) text += kPieces[in->Byte() % 16];
    return text;
}

std::string Raw(FuzzReader *in, UInt8 most) {
    std::string bytes;
    for (UInt8 n = in->Byte() % most; n > 0 && in->More(); n--) bytes += char(in->Byte());
    return bytes;
}

SInt16 FontOf(UInt8 code) {
    const SInt16 fonts[8] = {22, 20, 21, 3, 0, 1, 4321, SInt16(0xF000)};
    return fonts[code & 7];
}

void Key(FuzzReader *in, ExtendedTEHandle te) {
    UInt16 key = UInt16(in->Word());
    UInt8 modifiers = in->Byte();
    static const UInt16 kSpecial[16] = {1, 4, 5, 8, 9, 11, 12, 13, 16, 27, 28, 29, 30, 31, 127, 10};
    if (modifiers & 4) key = kSpecial[key % 16];
    else if (modifiers & 8) key = UInt16(key & 0x7F);
    HoldKeys(modifiers & 1, modifiers & 2);
    ExtendedTEKey(key, te);
    HoldKeys(false, false);
}

void Paste(FuzzReader *in, ExtendedTEHandle te, bool styled) {
    ZeroScrap();
    UInt8 which = in->Byte();
    if (which & 1) {
        std::string text = Raw(in, 64);
        PutScrap(SInt32(text.size()), FourCC("TEXT"), text.data());
    }
    if (which & 2) {
        std::string units = Raw(in, 64);
        PutScrap(SInt32(units.size()), FourCC("utxt"), units.data());
    }
    if (which & 4) {
        std::string styles = Raw(in, 120);
        PutScrap(SInt32(styles.size()), FourCC("styl"), styles.data());
    }
    if (styled) ExtendedTEStylPaste(te);
    else ExtendedTEPaste(te);
}

void Misc(FuzzReader *in, ExtendedTEHandle te) {
    UInt8 what = in->Byte();
    switch (what % 8) {
    case 0:
        ExtendedTEDelete(te);
        break;
    case 1: {
        std::string text = Utf8(in, 24);
        ExtendedTEFastAddData(text.data(), SInt32(text.size()), te);
        ExtendedTECalText(te);
        break;
    }
    case 2: {
        ExtendedDeactivateDraw(te);
        std::string text = Utf8(in, 24);
        ExtendedTEInsert(text.data(), SInt32(text.size()), te);
        if (in->Byte() & 1) ExtendedTEDelete(te);
        ExtendedActivateDraw(te);
        break;
    }
    case 3:
        ExtendedSetViewZoom(te, 0.5f + float(in->Byte() % 4) * 0.5f);
        ExtendedTECalText(te);
        break;
    case 4:
        ExtendedTESetJust(SInt16(SInt8(in->Byte()) % 3), te);
        break;
    case 5:
        ExtendedTESetRotation(te, in->Word());
        break;
    case 6:
        ExtendedTESelectWord(Point{in->Word(), in->Word()}, te);
        break;
    default: {
        Point p = {in->Word(), in->Word()};
        ExtendedTESetMaxSize(te, in->Byte());
        ExtendedTESetForbidden(te, in->Byte());
        ExtendedTEClick(p, kFalse, te);
        break;
    }
    }
}

void Step(FuzzReader *in, ExtendedTEHandle te, bool styled) {
    UInt8 op = in->Byte();
    switch (op % 16) {
    case 0:
    case 1:
        Key(in, te);
        break;
    case 2: {
        SInt16 v = in->Word(), h = in->Word();
        gTicks += in->Byte();
        ExtendedTEClick(Point{v, h}, in->Byte() & 1, te);
        break;
    }
    case 3:
    case 4:
        Paste(in, te, op % 16 == 4);
        break;
    case 5: {
        SInt16 mode = SInt16(in->Byte() & 63);
        TextStyle style{FontOf(in->Byte()), in->Byte(), 0, SInt16(SInt8(in->Byte())),
                        {UInt16(in->Byte() << 8), UInt16(in->Byte() << 8), 0}};
        ExtendedTESetStyle(mode, &style, in->Byte() & 1, te);
        break;
    }
    case 6: {
        std::string text = Utf8(in, 120);
        ExtendedTESetText(text.data(), SInt32(text.size()), te);
        break;
    }
    case 7: {
        SInt32 a = in->Word(), b = in->Word();
        ExtendedTESetSelect(a, b, te);
        break;
    }
    case 8:
        ExtendedTECut(te);
        break;
    case 9:
        ExtendedTECopy(te);
        break;
    case 10: {
        SInt32 dh = SInt8(in->Byte()), dv = in->Word();
        if (in->Byte() & 1) ExtendedTEPinScroll(dh, dv, te);
        else ExtendedTEScroll(dh, dv, te);
        break;
    }
    case 11: {
        Rect r = {in->Word(), in->Word(), in->Word(), in->Word()};
        ExtendedTEUpdate(&r, te);
        break;
    }
    case 12:
        if ((*te)->active) ExtendedTEDeactivate(te);
        else ExtendedTEActivate(te);
        break;
    case 13:
        gTicks += in->Byte();
        ExtendedTEIdle(te);
        break;
    case 14: {
        std::string text = Utf8(in, 40);
        if (styled && (in->Byte() & 1)) ExtendedTEStylInsert(text.data(), SInt32(text.size()), nullptr, te);
        else ExtendedTEInsert(text.data(), SInt32(text.size()), te);
        break;
    }
    default:
        Misc(in, te);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    FuzzMonospacedText(Port());
    FuzzReader in{OrvaByteReader(data, size)};
    UInt8 header = in.Byte();
    bool styled = !(header & 1);
    OrvaExtendedTESetInsertMode((header & 4) ? kFalse : kTrue);
    const SInt16 widths[8] = {60, 0, -10, 1, 120, 180, 7, 3000};
    Rect dest = {10, 10, 130, SInt16(10 + widths[(header >> 4) & 7])}, view = {10, 10, 130, 210};
    ExtendedTEHandle te = styled ? ExtendedTEStylNew(&dest, &view) : ExtendedTENew(&dest, &view);
    if (!te) std::abort();
    if (!(header & 2)) {
        (*te)->textWidth = ExtendedFastWidth;
        (*te)->drawText = SilentDraw;
        ExtendedTECalText(te);
    }
    ExtendedTEAutoView((header & 8) ? kTrue : kFalse, te);
    Check(te);
    while (in.More()) {
        Step(&in, te, styled);
        Check(te);
    }
    ExtendedTEDispose(te);
    ZeroScrap();
    HoldKeys(false, false);
    OrvaExtendedTESetInsertMode(kTrue);
    return 0;
}
