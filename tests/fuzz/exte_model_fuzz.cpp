// ctest-labels: exte-model
// Random scripts of insertions, deletions, restyles, style scraps, zooms and relayouts on an
// Extended TextEdit record: after every step the runs and style table keep their invariants,
// and a partial relayout gives the lines a full layout gives.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_quickdraw.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "platform/core/memory.h"
#include "platform/core/unicode_mode.h"
#include "tests/support/graphics/extended_support.h"

// An input: a header byte (bit 0 styled, bit 1 measured by pango rather than counted, bit 2
// wrap off, bit 3 8-bit mode, bits 4-6 the width), then steps of an opcode byte and operands.
enum : size_t { kMaxInput = 4096 };

namespace {

GrafPort *Port() {
    static GrafPort *port = nullptr;
    if (port) return port;
    FuzzStartQuickDraw();
    SetUnicodeApplication(kTrue);
    return port = FuzzNewPort(200, 120);
}

struct Reader : FuzzReader {
    SInt32 Offset(SInt32 length) { return SInt32(((Byte() << 8) | Byte()) % (length + 2)) - 1; }
};

struct Records {
    ExtendedTEHandle te, reference;
};

void Fail(const std::string &fault) {
    std::fprintf(stderr, "exte_model: %s\n", fault.c_str());
    std::abort();
}

void Check(const Records &r) {
    ExtendedTEHandle te = r.te;
    std::string fault = ExtendedLayoutFault(te);
    if (fault.empty() && (*te)->styleHandle) fault = ExtendedStyleFault((*te)->styleHandle, (*te)->teLength, false);
    if (!fault.empty()) Fail(fault);
}

// The record's lines equal those of a full layout of the same text and styles.
void CheckAgainstFull(const Records &r) {
    ExtendedCopyTEHandle(r.te, r.reference);
    (*r.reference)->destRect = (*r.te)->destRect;
    (*r.reference)->noWrap = (*r.te)->noWrap;
    (*r.reference)->encodingMode = (*r.te)->encodingMode;
    (*r.reference)->textWidth = (*r.te)->textWidth;
    ExtendedTECalText(r.reference);
    if (ExtendedLineStarts(r.te) != ExtendedLineStarts(r.reference)) {
        std::string lines = "lines differ from a full layout:";
        for (SInt32 s : ExtendedLineStarts(r.te)) lines += " " + std::to_string(s);
        lines += " instead of";
        for (SInt32 s : ExtendedLineStarts(r.reference)) lines += " " + std::to_string(s);
        Fail(lines);
    }
    if (ExtendedHeights(r.te) != ExtendedHeights(r.reference)) Fail("heights differ from a full layout");
}

std::string Bytes(Reader *in, UInt8 most) {
    std::string bytes;
    for (UInt8 n = in->Byte() % most; n > 0 && in->More(); n--) bytes += char(in->Byte());
    return bytes;
}

void Replace(ExtendedTEHandle te, SInt32 at, SInt32 removed, const std::string &inserted) {
    std::string text = ExtendedText(te);
    text.replace(size_t(at), size_t(removed), inserted);
    SetHandleSize((*te)->hText, UInt32(text.size()));
    if (!text.empty()) std::memcpy(*(*te)->hText, text.data(), text.size());
    (*te)->teLength = SInt32(text.size());
}

void Step(Reader *in, const Records &r) {
    ExtendedTEHandle te = r.te;
    ExtendedStylHandle styles = (*te)->styleHandle;
    SInt32 length = (*te)->teLength;
    UInt8 op = in->Byte();
    switch (op % 8) {
    case 0:
    case 1: {  // an insertion at any offset, character boundary or not
        SInt32 at = std::max<SInt32>(in->Offset(length), 0);
        std::string bytes = Bytes(in, 16);
        if (bytes.empty() || length + SInt32(bytes.size()) > 20000) break;
        Replace(te, at, 0, bytes);
        if (styles) ExtendedRunAdjust(at, SInt32(bytes.size()), styles);
        ExtendedTERecalText(at, -1, SInt32(bytes.size()), te, nullptr, nullptr);
        CheckAgainstFull(r);
        break;
    }
    case 2: {
        SInt32 at = std::max<SInt32>(in->Offset(length), 0), n = std::min<SInt32>(in->Byte() % 32, length - at);
        if (n <= 0) break;
        Replace(te, at, n, "");
        if (styles) ExtendedRunAdjust(at, -n, styles);
        ExtendedTERecalText(at, -1, -n, te, nullptr, nullptr);
        CheckAgainstFull(r);
        break;
    }
    case 3: {
        SInt32 a = in->Offset(length), b = in->Offset(length);
        SInt16 mode = SInt16(in->Byte() & 63);
        TextStyle style = {SInt16(in->Byte() % 4 == 0 ? 3 : 22), UInt8(in->Byte() & 7), 0, SInt16(SInt8(in->Byte())),
                           {UInt16(in->Byte() << 8), 0, 0}};
        if (styles && ExtendedTESetStyleRange(mode, &style, a, b, styles))
            ExtendedTERecalText(std::max<SInt32>(std::min(a, b), 0), std::max(a, b), 0, te, nullptr, nullptr);
        if (styles) CheckAgainstFull(r);
        break;
    }
    case 4: {  // a raw style scrap over a range, in either byte order
        std::string raw = Bytes(in, 128);
        SInt32 a = in->Offset(length), b = in->Offset(length);
        Handle scrap = NewHandle(UInt32(raw.size()));
        if (!scrap) break;
        if (!raw.empty()) std::memcpy(*scrap, raw.data(), raw.size());
        if (in->Byte() & 1) ExtendedCvtStScrpHandleMacToPc(scrap);
        (*te)->selStart = (*te)->selEnd = std::clamp<SInt32>(b, 0, length);
        ExtendedSetStylScrap(a, b, scrap, kFalse, te);
        DisposHandle(scrap);
        ExtendedTECalText(te);
        break;
    }
    case 5: {
        (*te)->destRect.right = (*te)->destRect.left + SInt32(in->Byte()) * SInt32(in->Byte());
        if (styles && (in->Byte() & 1)) ExtendedSetViewZoom(te, (in->Byte() & 1) ? 1.5f : 0.5f);
        ExtendedTECalText(te);
        break;
    }
    case 6: {
        std::string bytes = Bytes(in, 200);
        ExtendedTESetText(bytes.data(), SInt32(bytes.size()), te);
        break;
    }
    default:
        if (styles) Extended_CleanRun(styles, in->Offset(100), in->Offset(100));
        if (styles && (in->Byte() & 1)) ExtendedZoomText((in->Byte() & 1) ? 1.25f : 0.8f, te);
        break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    FuzzMonospacedText(Port());
    Reader in{{OrvaByteReader(data, size)}};
    UInt8 header = in.Byte();
    const SInt16 widths[8] = {60, 0, -10, 1, 120, 180, 7, 32000};
    Rect dest = {10, 10, 110, SInt16(10 + widths[(header >> 4) & 7])};
    Records r;
    r.te = (header & 1) ? ExtendedTEStylNew(&dest, &dest) : ExtendedTENew(&dest, &dest);
    r.reference = (header & 1) ? ExtendedTEStylNew(&dest, &dest) : ExtendedTENew(&dest, &dest);
    if (!r.te || !r.reference) std::abort();
    if (!(header & 2)) (*r.te)->textWidth = ExtendedFastWidth;
    ExtendedTESetWrap((header & 4) ? kFalse : kTrue, r.te);
    ExtendedSetUnicodeMode(r.te, (header & 8) ? kFalse : kTrue);
    Check(r);
    while (in.More()) {
        Step(&in, r);
        Check(r);
    }
    ExtendedTEDispose(r.te);
    ExtendedTEDispose(r.reference);
    return 0;
}
