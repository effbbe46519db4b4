// ctest-labels: staffobjects
// Bytes as a sequence of operations on one styled string (insert a piece with or without a
// style, delete, extract, read into a small buffer), each checked against a plain model of
// bytes and their styles: offsets anywhere, pieces of any bytes. The string stays well formed
// and agrees with the model after every step.
#include <cstdint>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_quickdraw.h"
#include "platform/core/memory.h"
#include "staffobjects/styled_strings.h"

namespace {

enum : size_t { kMaxInput = 1 << 14 };

void Check(bool ok) {
    if (!ok) abort();
}

struct Model {
    std::string text;
    std::vector<SInt16> sizes;  // per byte: its style's size, 0 the default
};

SInt32 Boundary(const std::string &text, SInt32 offset) {
    if (offset < 0) return 0;
    if (offset >= SInt32(text.size())) return SInt32(text.size());
    while (offset > 0 && (UInt8(text[size_t(offset)]) & 0xC0) == 0x80) offset--;
    return offset;
}

void Agrees(StyledStringHandle s, const Model &m) {
    Check(IsChaineStyleValide(s));
    Check(GetStrlenBrutTexteStyle(s) == SInt32(m.text.size()));
    Check(memcmp(GetTextePtrChaineStyle(s), m.text.data(), m.text.size()) == 0);
    for (SInt32 i = 0; i < SInt32(m.sizes.size()); i += 1 + i / 8) {
        TextStyleRecord style;
        Check(GetStyleChaineStyle(s, i, &style) && style.size == m.sizes[size_t(i)]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool started = [] {
        FuzzFolder();
        return true;
    }();
    (void)started;
    if (size > kMaxInput) return 0;
    FuzzReader r{OrvaByteReader(data, size)};
    Model m;
    StyledStringHandle s = CreeChaineStyle("", 0, nullptr);
    Check(s != nullptr);
    while (r.More()) {
        UInt8 op = r.Byte();
        SInt32 a = SInt16(r.Word()), b = SInt16(r.Word());
        if (op % 4 == 0) {
            // A piece of the input's own bytes, made valid the way the string makes them.
            size_t n = r.Byte() % 12;
            std::string piece;
            for (size_t i = 0; i < n && r.More(); i++) piece += char(r.Byte());
            SInt16 styleSize = SInt16(op & 0x10 ? 9 + (op >> 5) : 0);
            TextStyleRecord style = {21, 128, styleSize, {0, 0, 0}};
            StyledStringHandle in = CreeChaineStyle(piece.data(), SInt32(piece.size()), styleSize ? &style : nullptr);
            Check(in != nullptr);
            std::string clean(GetTextePtrChaineStyle(in), size_t(GetStrlenBrutTexteStyle(in)));
            Check(InsereSousChaineStyle(s, a, in) == noErr);
            SInt32 at = Boundary(m.text, a);
            SInt16 plain = at > 0 ? m.sizes[size_t(at - 1)] : m.sizes.empty() ? 0 : m.sizes[0];
            m.text.insert(size_t(at), clean);
            m.sizes.insert(m.sizes.begin() + at, clean.size(), styleSize ? styleSize : plain);
            DisposeChaineStyle(&in);
        } else if (op % 4 == 1) {
            Check(SupprimeSousChaineStyle(s, a, b) == noErr);
            SInt32 from = Boundary(m.text, a), to = Boundary(m.text, b);
            if (to > from) {
                m.text.erase(size_t(from), size_t(to - from));
                m.sizes.erase(m.sizes.begin() + from, m.sizes.begin() + to);
            }
        } else if (op % 4 == 2) {
            StyledStringHandle part = ExtraitSousChaineStyle(s, a, b);
            Check(part != nullptr);
            SInt32 from = Boundary(m.text, a), to = std::max(from, Boundary(m.text, b));
            Model piece = {m.text.substr(size_t(from), size_t(to - from)),
                           std::vector<SInt16>(m.sizes.begin() + from, m.sizes.begin() + to)};
            Agrees(part, piece);
            DisposeChaineStyle(&part);
        } else {
            char small[8];
            SInt32 n = GetTexteBrutTexteStyle(s, small, SInt32(1 + (op >> 2) % 8));
            Check(n >= 0 && n < 8 && small[n] == 0 && memcmp(small, m.text.data(), size_t(n)) == 0);
        }
        Agrees(s, m);
        if (m.text.size() > 4096) break;
    }
    DisposeChaineStyle(&s);
    return 0;
}
