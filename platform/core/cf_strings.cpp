// String objects: a handle holding a header (a tag, the owner count, the length) and the
// UTF-16 units; conversions go through the library's text converters.
#include "platform/core/cf_strings.h"

#include <cstring>
#include <glib.h>

#include "platform/core/memory.h"
#include "platform/core/text_encodings.h"

namespace {

constexpr UInt32 kStringTag = 0x43465354;  // "CFST": tells a string handle from a foreign pointer
constexpr SInt16 kNoEncoding = -1;

struct StringHeader {
    UInt32 tag;
    SInt32 owners;  // changed atomically
    SInt32 length;  // UTF-16 units that follow the header
};

// The encoding id of the text converters for a string-object encoding, or kNoEncoding.
struct EncodingRow {
    CFStringEncoding encoding;
    SInt16 id;
};
const EncodingRow kEncodings[] = {
    {kCFStringEncodingMacRoman, kEncodingMacRoman},     {kCFStringEncodingMacJapanese, kEncodingShiftJis},
    {kCFStringEncodingUnicode, kEncodingUTF16},         {kCFStringEncodingWindowsLatin1, kEncodingWindows},
    {kCFStringEncodingShiftJIS, kEncodingShiftJis},     {kCFStringEncodingUTF8, kEncodingUTF8},
};

SInt16 EncodingId(CFStringEncoding encoding);
Handle HandleOf(CFStringRef s);
StringHeader *Header(CFStringRef s);  // null for null or a foreign pointer
CFStringRef MakeString(const UniChar *units, SInt32 count);
EncodedStr Utf8ToUnits(const char *text, SInt32 *count);
EncodedStr UnitsToUtf8(const UniChar *units, SInt32 count, SInt32 *bytes);

}  // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char *text, CFStringEncoding encoding) {
    SInt16 id = EncodingId(encoding);
    if (!text || id == kNoEncoding) return nullptr;
    SInt32 count = 0;
    EncodedStr units = nullptr;
    if (id == kEncodingUTF16) {
        const UniChar *wide = reinterpret_cast<const UniChar *>(text);
        return MakeString(wide, UnicodeStrLen(wide));
    }
    SInt32 bytes = SInt32(strnlen(text, size_t(kOrvaCFStringMaxUnits) + 1));
    if (bytes > kOrvaCFStringMaxUnits) return nullptr;
    if (bytes == 0) return MakeString(nullptr, 0);
    if (id == kEncodingUTF8) units = Utf8ToUnits(text, &count);
    else units = ChangeTextEncoding(text, 0, bytes, id, kEncodingUTF16, &count);
    if (!units) return nullptr;
    CFStringRef s = MakeString(reinterpret_cast<const UniChar *>(units), count);
    DisposeEncodedStr(units);
    return s;
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar *characters, CFIndex count) {
    if (count < 0 || count > kOrvaCFStringMaxUnits || (!characters && count > 0)) return nullptr;
    return MakeString(characters, SInt32(count));
}

Boolean CFStringGetCString(CFStringRef s, char *buffer, CFIndex size, CFStringEncoding encoding) {
    if (!buffer || size <= 0) return kFalse;
    buffer[0] = 0;
    StringHeader *header = Header(s);
    SInt16 id = EncodingId(encoding);
    if (!header || id == kNoEncoding) return kFalse;
    const UniChar *units = reinterpret_cast<const UniChar *>(header + 1);
    SInt32 length = header->length;
    if (id == kEncodingUTF16) {
        if (size < CFIndex(length + 1) * CFIndex(sizeof(UniChar))) return kFalse;
        memcpy(buffer, units, size_t(length) * sizeof(UniChar));
        memset(buffer + size_t(length) * sizeof(UniChar), 0, sizeof(UniChar));
        return kTrue;
    }
    if (length == 0) return kTrue;
    SInt32 bytes = 0;
    EncodedStr out = id == kEncodingUTF8 ? UnitsToUtf8(units, length, &bytes)
                                         : ChangeTextEncoding(units, 0, length, kEncodingUTF16, id, &bytes);
    if (!out) return kFalse;
    Boolean fits = CFIndex(bytes) + 1 <= size;
    if (fits) {
        memcpy(buffer, out, size_t(bytes));
        buffer[bytes] = 0;
    }
    DisposeEncodedStr(out);
    return fits;
}

CFStringRef CFRetain(CFStringRef s) {
    if (StringHeader *header = Header(s)) __atomic_add_fetch(&header->owners, 1, __ATOMIC_RELAXED);
    return s;
}

void CFRelease(CFStringRef s) {
    StringHeader *header = Header(s);
    if (!header) return;
    if (__atomic_sub_fetch(&header->owners, 1, __ATOMIC_ACQ_REL) > 0) return;
    header->tag = 0;  // a released string is foreign from now on
    DisposHandle(HandleOf(s));
}

CFIndex CFStringGetLength(CFStringRef s) {
    StringHeader *header = Header(s);
    return header ? header->length : 0;
}

void CFStringGetCharacters(CFStringRef s, CFIndex start, CFIndex count, UniChar *out) {
    StringHeader *header = Header(s);
    if (!header || !out || start < 0 || count < 0 || start + count > header->length) return;
    memcpy(out, reinterpret_cast<const UniChar *>(header + 1) + start, size_t(count) * sizeof(UniChar));
}

CFIndex OrvaCFStringRetainCount(CFStringRef s) {
    StringHeader *header = Header(s);
    return header ? __atomic_load_n(&header->owners, __ATOMIC_RELAXED) : 0;
}

namespace {

SInt16 EncodingId(CFStringEncoding encoding) {
    for (const EncodingRow &row : kEncodings)
        if (row.encoding == encoding) return row.id;
    return kNoEncoding;
}

Handle HandleOf(CFStringRef s) { return reinterpret_cast<Handle>(const_cast<OrvaCFString *>(s)); }

StringHeader *Header(CFStringRef s) {
    Handle h = HandleOf(s);
    if (!h || !OrvaIsValidHandle(h) || GetHandleSize(h) < sizeof(StringHeader)) return nullptr;
    StringHeader *header = reinterpret_cast<StringHeader *>(*h);
    return header->tag == kStringTag ? header : nullptr;
}

CFStringRef MakeString(const UniChar *units, SInt32 count) {
    Handle h = NewHandle(UInt32(sizeof(StringHeader) + size_t(count) * sizeof(UniChar)));
    if (!h) return nullptr;
    StringHeader *header = reinterpret_cast<StringHeader *>(*h);
    header->tag = kStringTag;
    header->owners = 1;
    header->length = count;
    if (count > 0) memcpy(header + 1, units, size_t(count) * sizeof(UniChar));
    return reinterpret_cast<CFStringRef>(h);
}

// UTF-8 to UTF-16, every invalid byte sequence made U+FFFD; characters beyond the 16-bit plane
// become surrogate pairs.
EncodedStr Utf8ToUnits(const char *text, SInt32 *count) {
    gchar *valid = g_utf8_make_valid(text, -1);
    glong written = 0;
    gunichar2 *wide = valid ? g_utf8_to_utf16(valid, -1, nullptr, &written, nullptr) : nullptr;
    g_free(valid);
    EncodedStr out = wide && written > 0 ? NewEncodedStr(SInt32(written * 2), FourCC("cfsu")) : nullptr;
    if (out) memcpy(out, wide, size_t(written) * 2);
    g_free(wide);
    *count = out ? SInt32(written) : 0;
    return out;
}

// UTF-16 to UTF-8; a lone surrogate becomes U+FFFD.
EncodedStr UnitsToUtf8(const UniChar *units, SInt32 count, SInt32 *bytes) {
    GString *text = g_string_sized_new(gsize(count) + 1);
    for (SInt32 i = 0; i < count; i++) {
        gunichar c = units[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            i++;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        g_string_append_unichar(text, c);
    }
    EncodedStr out = text->len ? NewEncodedStr(SInt32(text->len), FourCC("cfs8")) : nullptr;
    if (out) memcpy(out, text->str, text->len);
    *bytes = out ? SInt32(text->len) : 0;
    g_string_free(text, TRUE);
    return out;
}

}  // namespace
