// Styled strings in one handle. Each change decodes the string into a text and its runs,
// works on them, and encodes the result back in one resize, so a failure leaves the handle as
// it was.
#include "staffobjects/styled_strings.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/core/errors.h"
#include "platform/core/memory.h"

namespace {

struct Decoded {
    std::string text;
    std::vector<StyledRun> runs;
};

Boolean Decode(Handle h, Decoded *out);
OSErr Encode(Handle h, const Decoded &d);
Handle NewEncoded(const Decoded &d);
void Normalise(Decoded *d);
Boolean SameStyle(const TextStyleRecord &a, const TextStyleRecord &b);
TextStyleRecord StyleAt(const Decoded &d, SInt32 offset);
SInt32 Clamp(const std::string &text, SInt32 offset);
std::string ValidUTF8(const char *bytes, SInt32 length);
SInt32 SequenceUTF8(const UInt8 *p, SInt32 left);
const TextStyleRecord kStyleDefaut = {0, 0, 0, {0, 0, 0}};

}  // namespace

StyledStringHandle CreeChaineStyle(const char *utf8, SInt32 length, const TextStyleRecord *style) {
    if (!utf8) return nullptr;
    if (length < 0) length = SInt32(strnlen(utf8, size_t(kMaxChaineStyle) + 1));
    if (length > kMaxChaineStyle) return nullptr;
    Decoded d;
    d.text = ValidUTF8(utf8, length);
    if (SInt32(d.text.size()) > kMaxChaineStyle) return nullptr;
    if (style) d.runs.push_back({0, *style});
    Normalise(&d);
    return NewEncoded(d);
}

void DisposeChaineStyle(StyledStringHandle *string) {
    if (!string || !*string) return;
    DisposHandle(*string);
    *string = nullptr;
}

Boolean IsChaineStyleValide(Handle h) {
    Decoded d;
    return Decode(h, &d);
}

SInt32 GetStrlenBrutTexteStyle(StyledStringHandle string) {
    Decoded d;
    return Decode(string, &d) ? SInt32(d.text.size()) : 0;
}

SInt32 GetTexteBrutTexteStyle(StyledStringHandle string, char *destination, SInt32 size) {
    if (!destination || size <= 0) return 0;
    destination[0] = 0;
    Decoded d;
    if (!Decode(string, &d)) return 0;
    SInt32 n = DebutCaractereUTF8(d.text.data(), SInt32(d.text.size()), std::min<SInt32>(size - 1, SInt32(d.text.size())));
    std::memcpy(destination, d.text.data(), size_t(n));
    destination[n] = 0;
    return n;
}

const char *GetTextePtrChaineStyle(StyledStringHandle string) {
    if (!IsChaineStyleValide(string)) return "";
    const StyledStringHeader *header = reinterpret_cast<const StyledStringHeader *>(*string);
    return *string + sizeof(StyledStringHeader) + size_t(header->runCount) * sizeof(StyledRun);
}

StyledStringHandle ExtraitSousChaineStyle(StyledStringHandle string, SInt32 start, SInt32 end) {
    Decoded d;
    if (!Decode(string, &d)) return nullptr;
    start = Clamp(d.text, start);
    end = std::max(start, Clamp(d.text, end));
    Decoded part;
    part.text = d.text.substr(size_t(start), size_t(end - start));
    if (!d.runs.empty()) part.runs.push_back({0, StyleAt(d, start)});
    for (const StyledRun &run : d.runs)
        if (run.start > start && run.start < end) part.runs.push_back({run.start - start, run.style});
    Normalise(&part);
    return NewEncoded(part);
}

OSErr InsereSousChaineStyle(StyledStringHandle string, SInt32 offset, StyledStringHandle insert) {
    Decoded d, in;
    if (!Decode(string, &d) || !Decode(insert, &in)) return paramErr;
    if (d.text.size() + in.text.size() > size_t(kMaxChaineStyle)) return paramErr;
    offset = Clamp(d.text, offset);
    SInt32 n = SInt32(in.text.size());
    if (n == 0) return noErr;
    // Plain inserted text continues the character before it, as typed text would.
    TextStyleRecord before = StyleAt(d, offset > 0 ? offset - 1 : 0), after = StyleAt(d, offset);
    std::vector<StyledRun> runs;
    // The runs before the insertion, the inserted ones (or one run of the style in force), then
    // the style in force again where the old text resumes, and the later runs moved on.
    runs.push_back({0, kStyleDefaut});
    for (const StyledRun &run : d.runs)
        if (run.start <= offset) runs.push_back(run);
    if (in.runs.empty()) runs.push_back({offset, before});
    for (const StyledRun &run : in.runs) runs.push_back({run.start + offset, run.style});
    runs.push_back({offset + n, after});
    for (const StyledRun &run : d.runs)
        if (run.start > offset) runs.push_back({run.start + n, run.style});
    d.text.insert(size_t(offset), in.text);
    d.runs = runs;
    Normalise(&d);
    return Encode(string, d);
}

OSErr SupprimeSousChaineStyle(StyledStringHandle string, SInt32 start, SInt32 end) {
    Decoded d;
    if (!Decode(string, &d)) return paramErr;
    start = Clamp(d.text, start);
    end = std::max(start, Clamp(d.text, end));
    if (end == start) return noErr;
    std::vector<StyledRun> runs;
    runs.push_back({0, kStyleDefaut});
    for (const StyledRun &run : d.runs)
        if (run.start < start) runs.push_back(run);
    runs.push_back({start, StyleAt(d, end)});
    for (const StyledRun &run : d.runs)
        if (run.start > end) runs.push_back({run.start - (end - start), run.style});
    d.text.erase(size_t(start), size_t(end - start));
    d.runs = runs;
    Normalise(&d);
    return Encode(string, d);
}

Boolean GetStyleChaineStyle(StyledStringHandle string, SInt32 offset, TextStyleRecord *style) {
    Decoded d;
    if (!style || !Decode(string, &d)) return kFalse;
    *style = StyleAt(d, offset);
    return kTrue;
}

SInt32 GetFinRunChaineStyle(StyledStringHandle string, SInt32 offset) {
    Decoded d;
    if (!Decode(string, &d)) return 0;
    for (const StyledRun &run : d.runs)
        if (run.start > offset) return run.start;
    return SInt32(d.text.size());
}

SInt32 DebutCaractereUTF8(const char *text, SInt32 length, SInt32 offset) {
    if (offset <= 0 || !text) return 0;
    if (offset >= length) return length;
    while (offset > 0 && (UInt8(text[offset]) & 0xC0) == 0x80) offset--;
    return offset;
}

namespace {

// Reads the handle into d; false for anything malformed.
Boolean Decode(Handle h, Decoded *out) {
    if (!h || !*h) return kFalse;
    UInt32 size = GetHandleSize(h);
    if (size < sizeof(StyledStringHeader) + 1) return kFalse;
    StyledStringHeader header;
    std::memcpy(&header, *h, sizeof header);
    if (header.length < 0 || header.length > kMaxChaineStyle || header.runCount < 0 || header.runCount > header.length)
        return kFalse;
    UInt64 need = sizeof header + UInt64(header.runCount) * sizeof(StyledRun) + UInt64(header.length) + 1;
    if (need != size) return kFalse;
    const char *runs = *h + sizeof header;
    const char *text = runs + size_t(header.runCount) * sizeof(StyledRun);
    if (text[header.length] != 0) return kFalse;
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(text);
    for (SInt32 i = 0, n = 0; i < header.length; i += n)
        if ((n = SequenceUTF8(bytes + i, header.length - i)) == 0) return kFalse;
    out->text.assign(text, size_t(header.length));
    out->runs.resize(size_t(header.runCount));
    if (header.runCount) std::memcpy(out->runs.data(), runs, size_t(header.runCount) * sizeof(StyledRun));
    for (SInt32 i = 0; i < header.runCount; i++) {
        SInt32 start = out->runs[size_t(i)].start;
        if (start < 0 || start >= header.length || (i == 0 && start != 0) ||
            (i > 0 && start <= out->runs[size_t(i - 1)].start) || DebutCaractereUTF8(text, header.length, start) != start)
            return kFalse;
    }
    return kTrue;
}

OSErr Encode(Handle h, const Decoded &d) {
    StyledStringHeader header = {SInt32(d.text.size()), SInt32(d.runs.size())};
    UInt32 size = UInt32(sizeof header + d.runs.size() * sizeof(StyledRun) + d.text.size() + 1);
    SetHandleSize(h, size);
    if (MemError() != noErr) return memFullErr;
    char *p = *h;
    std::memcpy(p, &header, sizeof header);
    p += sizeof header;
    if (!d.runs.empty()) std::memcpy(p, d.runs.data(), d.runs.size() * sizeof(StyledRun));
    p += d.runs.size() * sizeof(StyledRun);
    std::memcpy(p, d.text.data(), d.text.size());
    p[d.text.size()] = 0;
    return noErr;
}

Handle NewEncoded(const Decoded &d) {
    Handle h = NewHandle(sizeof(StyledStringHeader) + 1);
    if (!h) return nullptr;
    if (Encode(h, d) != noErr) {
        DisposHandle(h);
        return nullptr;
    }
    return h;
}

// Runs sorted by start within the text, each on a character boundary, the first at 0, none
// repeating the style before it, and none at all when everything is in the default style.
void Normalise(Decoded *d) {
    SInt32 length = SInt32(d->text.size());
    std::vector<StyledRun> runs;
    std::stable_sort(d->runs.begin(), d->runs.end(), [](const StyledRun &a, const StyledRun &b) { return a.start < b.start; });
    for (StyledRun run : d->runs) {
        run.start = DebutCaractereUTF8(d->text.data(), length, std::max<SInt32>(0, run.start));
        if (run.start >= length) continue;
        // Of runs starting together the last one given wins.
        while (!runs.empty() && runs.back().start == run.start) runs.pop_back();
        if (runs.empty() && run.start > 0) runs.push_back({0, kStyleDefaut});
        if (!runs.empty() && SameStyle(runs.back().style, run.style)) continue;
        runs.push_back(run);
    }
    if (runs.size() == 1 && SameStyle(runs[0].style, kStyleDefaut)) runs.clear();
    d->runs = runs;
}

Boolean SameStyle(const TextStyleRecord &a, const TextStyleRecord &b) {
    if (a.size == 0 && b.size == 0) return kTrue;  // every default style is the same one
    return a.font == b.font && a.face == b.face && a.size == b.size && a.color.red == b.color.red &&
           a.color.green == b.color.green && a.color.blue == b.color.blue;
}

TextStyleRecord StyleAt(const Decoded &d, SInt32 offset) {
    TextStyleRecord style = kStyleDefaut;
    for (const StyledRun &run : d.runs) {
        if (run.start > offset) break;
        style = run.style;
    }
    return style;
}

SInt32 Clamp(const std::string &text, SInt32 offset) {
    return DebutCaractereUTF8(text.data(), SInt32(text.size()), std::max<SInt32>(0, offset));
}

// The bytes with every byte that does not belong to a well-formed UTF-8 sequence (and NUL)
// replaced by '?'.
std::string ValidUTF8(const char *bytes, SInt32 length) {
    std::string out;
    out.reserve(size_t(length));
    const UInt8 *p = reinterpret_cast<const UInt8 *>(bytes);
    for (SInt32 i = 0; i < length;) {
        SInt32 n = SequenceUTF8(p + i, length - i);
        if (n == 0) {
            out += '?';
            i++;
        } else {
            out.append(bytes + i, size_t(n));
            i += n;
        }
    }
    return out;
}

// The length of the well-formed sequence at p (shortest forms, no surrogates, at most U+10FFFF),
// 0 when there is none or it is a NUL.
SInt32 SequenceUTF8(const UInt8 *p, SInt32 left) {
    UInt8 c = p[0];
    if (c == 0) return 0;
    if (c < 0x80) return 1;
    SInt32 n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || c > 0xF4 || n > left) return 0;
    for (SInt32 k = 1; k < n; k++)
        if ((p[k] & 0xC0) != 0x80) return 0;
    if (c == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (c == 0xED && p[1] >= 0xA0) return 0;  // surrogates
    if (c == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (c == 0xF4 && p[1] >= 0x90) return 0;  // past U+10FFFF
    return n;
}

}  // namespace
