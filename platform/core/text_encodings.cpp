// The encoded-string pool, single-character conversions, the text converters through UTF-16
// and ChangeTextEncoding with its line-end handling.
#include "platform/core/text_encodings.h"

#include <atomic>
#include <cstdint>
#include <cstring>

#include "platform/core/encoding_tables.h"
#include "platform/core/memory.h"

namespace {

enum : UniChar {
    kCR = 13,
    kLF = 10,
    kReplacementUnit = 0xFFFD,
};

// The four pooled buffers. A slot is claimed by a compare-and-swap of its in-use word and
// handed back by an atomic store, so conversions on the audio writer's idle work and on the
// main thread never share a buffer.
struct EncodedStrPoolSlot {
    std::atomic<UInt32> inUse{0};
    Ptr buffer = nullptr;  // kEncodedStrPoolBufferSize bytes, allocated once, never released
    OSType tag = 0;        // which converter filled the slot; written by the slot's holder only
};

struct EncodedStrPool {
    EncodedStrPoolSlot slots[kEncodedStrPoolSlots];
    std::atomic<bool> ready{false};  // set once every buffer is allocated
};

EncodedStrPool gEncodedStrPool;

// Direct indexes of the Shift-JIS table, built once: what a scan of the table from its start
// answers for every code and every unit.
struct ShiftJisIndexRecord {
    UniChar unitOfCode[0x10000];  // U+FFFD for a code the table lacks
    UInt16 codeOfUnit[0x10000];   // the first code holding the unit, 0 for none
};
std::atomic<SInt16> gHTMLDefault8BitEncoding{0};  // 0: a byte above 126 stands for its own value

// One row per encoding id below 6: how text of that encoding reaches UTF-16 and back.
struct EncodingOps {
    EncodedStr (*toUnicode)(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
    EncodedStr (*fromUnicode)(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
};

// One row per single-byte code page, at its encoding id: bytes below firstMapped are their own
// units, the others go through the page's table; units back through its reverse index.
struct CodePageRow {
    SInt16 encoding;               // its encoding id, the row's index
    OSType toUnicodeTag;           // the tag of results to UTF-16
    OSType fromUnicodeTag;         // the tag of results from UTF-16
    UInt8 firstMapped;             // 0x80, or 0x7F where DEL is mapped too
    const UniChar *toUnicode;      // bytes firstMapped..0xFF
    const UnitIndexEntry *byUnit;  // sorted by unit
    const SInt32 *byUnitCount;
};

constexpr CodePageRow kCodePages[] = {
    {kEncodingMSDos, FourCC("msub"), FourCC("ubms"), 0x80, kMSDosToUnicode, kMSDosByUnit, &kMSDosByUnitCount},
    {kEncodingWindows, FourCC("wiub"), FourCC("ubwi"), 0x7F, kWindowsToUnicode, kWindowsByUnit,
     &kWindowsByUnitCount},
    {kEncodingMacRoman, FourCC("mrub"), FourCC("ubmr"), 0x80, kMacRomanToUnicode, kMacRomanByUnit,
     &kMacRomanByUnitCount},
};
static_assert(kCodePages[kEncodingMSDos].encoding == kEncodingMSDos &&
                  kCodePages[kEncodingWindows].encoding == kEncodingWindows &&
                  kCodePages[kEncodingMacRoman].encoding == kEncodingMacRoman,
              "each code page stands at its encoding id");
const CodePageRow &kMSDosPage = kCodePages[kEncodingMSDos];
const CodePageRow &kWindowsPage = kCodePages[kEncodingWindows];
const CodePageRow &kMacRomanPage = kCodePages[kEncodingMacRoman];

const EncodingOps kEncodingOps[] = {
    {MSDosTextToUnicode, UnicodeTextToMSDos},
    {WindowsTextToUnicode, UnicodeTextToWindows},
    {MacRomanTextToUnicode, UnicodeTextToMacRoman},
    {HTMLTextToUnicode, UnicodeTextToHTML},
    {UTFTextToUnicode, UnicodeTextToUTF},
    {ShiftJisTextToUnicode, UnicodeTextToShiftJis},
};

bool PoolReady();
bool AllocatePoolBuffers();
const ShiftJisIndexRecord &ShiftJisIndexes();
bool BuildShiftJisIndexes(ShiftJisIndexRecord *index);
EncodedStr NewResult(SInt64 bytes, OSType tag);
const UInt8 *SourceStart(const void *text, SInt32 offset, SInt32 count, SInt32 unitSize, SInt32 *outCount);
UInt8 LookUpByte(const UnitIndexEntry *index, SInt32 count, UniChar unit);
SInt32 FindIndexEntry(const UnitIndexEntry *index, SInt32 count, UniChar unit);
bool IsShiftJisLead(UInt8 byte);
SInt32 DecodeHTMLEntity(const UInt8 *text, SInt32 available, UniChar *unit);
SInt32 FindEntityByName(const char *name);
SInt32 FindEntityByUnit(UniChar unit);
bool NeedsHTMLEscape(UniChar unit);
EncodedStr CopyUTF16(const UniChar *text, SInt32 count, bool swap, SInt32 *outCount);
EncodedStr UTF16FromSource(SInt16 id, const UInt8 *start, SInt32 count, SInt32 *outCount);
EncodedStr UTF16ToTarget(SInt16 id, EncodedStr wide, SInt32 count, SInt32 *outCount);
UniChar CodePageCharToUnicode(const CodePageRow &page, UInt8 byte);
UInt8 UnicodeCharToCodePage(const CodePageRow &page, UniChar unit);
EncodedStr CodePageTextToUnicode(const CodePageRow &page, const void *text, SInt32 offset, SInt32 count,
                                 SInt32 *outCount);
EncodedStr UnicodeTextToCodePage(const CodePageRow &page, const UniChar *text, SInt32 offset, SInt32 count,
                                 SInt32 *outCount);
SInt16 DetectLineEnd(const UniChar *text, SInt32 count);
SInt32 CollapseCRLF(UniChar *text, SInt32 count);
EncodedStr ExpandCR(const UniChar *text, SInt32 count, SInt32 *outCount);
EncodedStr TwoSteps(EncodedStr (*first)(const void *, SInt32, SInt32, SInt32 *),
                    EncodedStr (*second)(const UniChar *, SInt32, SInt32, SInt32 *), const void *text,
                    SInt32 offset, SInt32 count, SInt32 *outCount);
Boolean ReplaceInPlace(char *text, EncodedStr (*convert)(const void *, SInt32, SInt32, SInt32 *), SInt32 size);

inline UInt16 Swap16(UInt16 v) { return UInt16((v >> 8) | (v << 8)); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// The pool

EncodedStr NewEncodedStr(SInt32 size, OSType tag) {
    if (size <= 0) return nullptr;
    if (size <= kEncodedStrPoolBufferSize && PoolReady()) {
        for (EncodedStrPoolSlot &slot : gEncodedStrPool.slots) {
            UInt32 expected = 0;
            if (slot.inUse.compare_exchange_strong(expected, 1, std::memory_order_acq_rel)) {
                slot.tag = tag;
                return slot.buffer;
            }
        }
    }
    return NewPtr(UInt32(size));
}

void DisposeEncodedStr(EncodedStr text) {
    if (text == nullptr) return;
    if (OrvaReleaseEncodedStrSlot(text)) return;
    DisposPtr(text);
}

Boolean OrvaReleaseEncodedStrSlot(const void *p) {
    if (p == nullptr || !gEncodedStrPool.ready.load(std::memory_order_acquire)) return kFalse;
    for (EncodedStrPoolSlot &slot : gEncodedStrPool.slots) {
        if (slot.buffer == p) {
            slot.inUse.store(0, std::memory_order_release);
            return kTrue;
        }
    }
    return kFalse;
}

SInt32 OrvaEncodedStrSlotsInUse() {
    SInt32 n = 0;
    for (EncodedStrPoolSlot &slot : gEncodedStrPool.slots) n += slot.inUse.load(std::memory_order_acquire) ? 1 : 0;
    return n;
}

// ---------------------------------------------------------------------------------------------
// Single characters

SInt32 UTFCharToUnicode(const void *bytes, UniChar *unit, SInt32 available) {
    UniChar scratch;
    if (unit == nullptr) unit = &scratch;
    const UInt8 *s = static_cast<const UInt8 *>(bytes);
    if (s == nullptr || available <= 0) {
        *unit = 0;
        return 0;
    }
    UInt8 lead = s[0];
    if (lead < 0xC0) {  // ASCII, or a stray continuation byte taken as its own value
        *unit = lead;
        return 1;
    }
    SInt32 extra;
    UInt32 value;
    if (lead < 0xE0) extra = 1, value = lead & 0x1F;
    else if (lead < 0xF0) extra = 2, value = lead & 0x0F;
    else if (lead < 0xF8) extra = 3, value = lead & 0x07;
    else if (lead < 0xFC) extra = 4, value = lead & 0x03;
    else if (lead < 0xFE) extra = 5, value = lead & 0x01;
    else {
        *unit = kReplacementUnit;
        return 1;
    }
    if (extra >= available) {
        *unit = kReplacementUnit;
        return 1;
    }
    for (SInt32 i = 1; i <= extra; i++) {
        if ((s[i] & 0xC0) != 0x80) {
            *unit = kReplacementUnit;
            return 1;
        }
        value = (value << 6) | (s[i] & 0x3F);
    }
    *unit = UniChar(value);  // code points above U+FFFF wrap to 16 bits
    return extra + 1;
}

SInt32 UnicodeCharToUTF(UniChar unit, void *bytes) {
    UInt8 *d = static_cast<UInt8 *>(bytes);
    if (unit >= 0xD800 && unit <= 0xDFFF) {
        d[0] = '?';
        return 1;
    }
    if (unit < 0x80) {
        d[0] = UInt8(unit);
        return 1;
    }
    if (unit < 0x800) {
        d[0] = UInt8(0xC0 | (unit >> 6));
        d[1] = UInt8(0x80 | (unit & 0x3F));
        return 2;
    }
    d[0] = UInt8(0xE0 | (unit >> 12));
    d[1] = UInt8(0x80 | ((unit >> 6) & 0x3F));
    d[2] = UInt8(0x80 | (unit & 0x3F));
    return 3;
}

UniChar MacRomanCharToUnicode(UInt8 byte) { return CodePageCharToUnicode(kMacRomanPage, byte); }

UniChar WindowsCharToUnicode(UInt8 byte) { return CodePageCharToUnicode(kWindowsPage, byte); }

UniChar MSDosCharToUnicode(UInt8 byte) { return CodePageCharToUnicode(kMSDosPage, byte); }

UniChar Latin9CharToUnicode(UInt8 byte) { return byte < 0x80 ? byte : kLatin9ToUnicode[byte - 0x80]; }

UInt8 UnicodeCharToMacRoman(UniChar unit) { return UnicodeCharToCodePage(kMacRomanPage, unit); }

UInt8 UnicodeCharToWindows(UniChar unit) { return UnicodeCharToCodePage(kWindowsPage, unit); }

UInt8 UnicodeCharToMSDos(UniChar unit) { return UnicodeCharToCodePage(kMSDosPage, unit); }

UniChar ShiftJisCodeToUnicode(UInt16 code) { return ShiftJisIndexes().unitOfCode[code]; }

UInt16 UnicodeCharToShiftJisCode(UniChar unit) { return ShiftJisIndexes().codeOfUnit[unit]; }

// ---------------------------------------------------------------------------------------------
// 8-bit and UTF-8 text to UTF-16

EncodedStr MacRomanTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return CodePageTextToUnicode(kMacRomanPage, text, offset, count, outCount);
}

EncodedStr WindowsTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return CodePageTextToUnicode(kWindowsPage, text, offset, count, outCount);
}

EncodedStr MSDosTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return CodePageTextToUnicode(kMSDosPage, text, offset, count, outCount);
}

EncodedStr ShiftJisTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    const UInt8 *s = SourceStart(text, offset, count, 1, outCount);
    if (s == nullptr) return nullptr;
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("sjub"));
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        UInt8 b = s[i];
        if (b < 32) d[n++] = b;
        else if (IsShiftJisLead(b) && i + 1 < count) {
            d[n++] = ShiftJisCodeToUnicode(UInt16((b << 8) | s[i + 1]));
            i++;
        } else d[n++] = ShiftJisCodeToUnicode(b);
    }
    if (outCount) *outCount = n;
    return result;
}

EncodedStr HTMLTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    const UInt8 *s = SourceStart(text, offset, count, 1, outCount);
    if (s == nullptr) return nullptr;
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("htub"));
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    SInt16 highEncoding = GetHTMLDefault8BitEncoding();
    SInt32 n = 0, i = 0;
    while (i < count) {
        UInt8 b = s[i];
        if (b > 126) {
            if (highEncoding == kEncodingUTF8) {
                i += UTFCharToUnicode(s + i, &d[n++], count - i);
                continue;
            }
            if (highEncoding == kEncodingMacRoman) d[n++] = MacRomanCharToUnicode(b);
            else if (highEncoding == kEncodingWindows) d[n++] = WindowsCharToUnicode(b);
            else d[n++] = b;
            i++;
        } else if (b == '<' && count - i >= 4 && (s[i + 1] | 0x20) == 'b' && (s[i + 2] | 0x20) == 'r' &&
                   s[i + 3] == '>') {
            d[n++] = kCR;
            i += 4;
        } else if (b == '&') {
            UniChar unit;
            SInt32 used = DecodeHTMLEntity(s + i, count - i, &unit);
            d[n++] = used > 0 ? unit : UniChar('&');
            i += used > 0 ? used : 1;
        } else {
            d[n++] = b;
            i++;
        }
    }
    if (outCount) *outCount = n;
    return result;
}

EncodedStr UTFTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    const UInt8 *s = SourceStart(text, offset, count, 1, outCount);
    if (s == nullptr) return nullptr;
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("butu"));
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    SInt32 n = 0, i = 0;
    while (i < count) {
        if (s[i] < 0x80) d[n++] = s[i++];
        else i += UTFCharToUnicode(s + i, &d[n++], count - i);
    }
    if (outCount) *outCount = n;
    return result;
}

EncodedStr GenericTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount,
                                UInt16 highBits) {
    const UInt8 *s = SourceStart(text, offset, count, 1, outCount);
    if (s == nullptr) return nullptr;
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("geub"));
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    for (SInt32 i = 0; i < count; i++) d[i] = UniChar(s[i] | highBits);
    if (outCount) *outCount = count;
    return result;
}

// ---------------------------------------------------------------------------------------------
// UTF-16 to 8-bit and UTF-8 text

EncodedStr UnicodeTextToMacRoman(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return UnicodeTextToCodePage(kMacRomanPage, text, offset, count, outCount);
}

EncodedStr UnicodeTextToWindows(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return UnicodeTextToCodePage(kWindowsPage, text, offset, count, outCount);
}

EncodedStr UnicodeTextToMSDos(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return UnicodeTextToCodePage(kMSDosPage, text, offset, count, outCount);
}

EncodedStr UnicodeTextToShiftJis(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    if (SourceStart(text, offset, count, 2, outCount) == nullptr) return nullptr;
    const UniChar *s = text + offset;
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("ubsj"));
    if (result == nullptr) return nullptr;
    UInt8 *d = reinterpret_cast<UInt8 *>(result);
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        UniChar unit = s[i];
        if (unit < 32) {
            d[n++] = UInt8(unit);
            continue;
        }
        // A unit the table lacks ends the search at the table's end and is written as '?'.
        UInt16 code = UnicodeCharToShiftJisCode(unit);
        if (code == 0) d[n++] = '?';
        else if (code > 0xFF) {
            d[n++] = UInt8(code >> 8);
            d[n++] = UInt8(code);
        } else d[n++] = UInt8(code);
    }
    if (outCount) *outCount = n;
    return result;
}

EncodedStr UnicodeTextToHTML(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    if (SourceStart(text, offset, count, 2, outCount) == nullptr) return nullptr;
    const UniChar *s = text + offset;
    // "&" + a name of at most 7 characters + ";" (or "&#65535;") replaces one byte: 8 more.
    SInt64 size = count;
    for (SInt32 i = 0; i < count; i++)
        if (NeedsHTMLEscape(s[i])) size += 8;
    EncodedStr result = NewResult(size, FourCC("ubht"));
    if (result == nullptr) return nullptr;
    char *d = result;
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        UniChar unit = s[i];
        if (!NeedsHTMLEscape(unit)) {
            d[n++] = char(unit & 0xFF);
        } else if (unit == kCR) {
            memcpy(d + n, "<br>", 4);
            n += 4;
        } else {
            SInt32 entity = FindEntityByUnit(unit);
            char piece[12];
            if (entity >= 0) {
                size_t length = strlen(kEntityTable[entity].name);
                piece[0] = '&';
                memcpy(piece + 1, kEntityTable[entity].name, length);
                piece[length + 1] = ';';
                piece[length + 2] = 0;
            } else {
                UInt32 value = unit;
                char digits[6];
                SInt32 k = 0;
                do digits[k++] = char('0' + value % 10), value /= 10;
                while (value != 0);
                SInt32 p = 0;
                piece[p++] = '&';
                piece[p++] = '#';
                while (k > 0) piece[p++] = digits[--k];
                piece[p++] = ';';
                piece[p] = 0;
            }
            size_t length = strlen(piece);
            memcpy(d + n, piece, length);
            n += SInt32(length);
        }
    }
    if (outCount) *outCount = n;
    return result;
}

EncodedStr UnicodeTextToUTF(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    if (SourceStart(text, offset, count, 2, outCount) == nullptr) return nullptr;
    const UniChar *s = text + offset;
    EncodedStr result = NewResult(SInt64(count) * 3, FourCC("ubut"));
    if (result == nullptr) return nullptr;
    UInt8 *d = reinterpret_cast<UInt8 *>(result);
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        if (s[i] < 0x80) d[n++] = UInt8(s[i]);
        else n += UnicodeCharToUTF(s[i], d + n);
    }
    if (outCount) *outCount = n;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Two steps through UTF-16

EncodedStr MacRomanTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(MacRomanTextToUnicode, UnicodeTextToUTF, text, offset, count, outCount);
}

EncodedStr UTFTextToMacRoman(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(UTFTextToUnicode, UnicodeTextToMacRoman, text, offset, count, outCount);
}

EncodedStr WindowsTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(WindowsTextToUnicode, UnicodeTextToUTF, text, offset, count, outCount);
}

EncodedStr UTFTextToWindows(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(UTFTextToUnicode, UnicodeTextToWindows, text, offset, count, outCount);
}

EncodedStr MSDosTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(MSDosTextToUnicode, UnicodeTextToUTF, text, offset, count, outCount);
}

EncodedStr UTFTextToMSDos(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(UTFTextToUnicode, UnicodeTextToMSDos, text, offset, count, outCount);
}

EncodedStr ShiftJisTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(ShiftJisTextToUnicode, UnicodeTextToUTF, text, offset, count, outCount);
}

EncodedStr UTFTextToShiftJis(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return TwoSteps(UTFTextToUnicode, UnicodeTextToShiftJis, text, offset, count, outCount);
}

void MacRomanToUTF(char *text) { ReplaceInPlace(text, MacRomanTextToUTF, -1); }

void WindowsToUTF(char *text) { ReplaceInPlace(text, WindowsTextToUTF, -1); }

void UTFToMacRoman(char *text) { ReplaceInPlace(text, UTFTextToMacRoman, -1); }

void UTFToWindows(char *text) { ReplaceInPlace(text, UTFTextToWindows, -1); }

Boolean OrvaMacRomanToUTFSized(char *text, SInt32 size) {
    return size > 0 && ReplaceInPlace(text, MacRomanTextToUTF, size);
}

Boolean OrvaWindowsToUTFSized(char *text, SInt32 size) {
    return size > 0 && ReplaceInPlace(text, WindowsTextToUTF, size);
}

// ---------------------------------------------------------------------------------------------
// The general converter

EncodedStr ChangeTextEncoding(const void *source, SInt32 offset, SInt32 count, SInt16 from, SInt16 to,
                              SInt32 *outCount) {
    if (outCount) *outCount = 0;
    SInt16 fromId = from & kEncodingIdMask, toId = to & kEncodingIdMask;
    SInt32 unitSize = fromId < kEncodingUTF16Swapped ? 1 : 2;
    const UInt8 *start = SourceStart(source, offset, count, unitSize, nullptr);
    if (start == nullptr) return nullptr;

    SInt32 units = 0;
    EncodedStr wide = UTF16FromSource(fromId, start, count, &units);
    if (wide == nullptr) return nullptr;

    SInt16 sourceLineEnd = from & kLineEndMask;
    if (sourceLineEnd == kLineEndDetect) sourceLineEnd = DetectLineEnd(reinterpret_cast<UniChar *>(wide), units);
    SInt16 targetLineEnd = to & kLineEndMask;
    if (targetLineEnd != kLineEndDetect && targetLineEnd != sourceLineEnd) {
        if (sourceLineEnd == kLineEndCRLF) {
            units = CollapseCRLF(reinterpret_cast<UniChar *>(wide), units);
        } else {
            EncodedStr expanded = ExpandCR(reinterpret_cast<UniChar *>(wide), units, &units);
            DisposeEncodedStr(wide);
            wide = expanded;
            if (wide == nullptr) return nullptr;
        }
    }
    return UTF16ToTarget(toId, wide, units, outCount);
}

EncodedStr WindowsTextToMacRoman(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return ChangeTextEncoding(text, offset, count, kEncodingWindows | kLineEndCRLF, kEncodingMacRoman | kLineEndCR,
                              outCount);
}

EncodedStr MacRomanTextToWindows(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount) {
    return ChangeTextEncoding(text, offset, count, kEncodingMacRoman | kLineEndCR, kEncodingWindows | kLineEndCRLF,
                              outCount);
}

EncodedStr StrToUTF(const void *text, SInt16 encoding, SInt32 length) {
    if (length < 0) return nullptr;
    SInt32 n;
    return ChangeTextEncoding(text, 0, length + 1, encoding, kEncodingUTF8 | kLineEndDetect, &n);
}

EncodedStr UTFToStr(const char *text, SInt16 encoding, SInt32 *outCount) {
    if (outCount) *outCount = 0;
    if (text == nullptr) return nullptr;
    size_t length = strlen(text) + 1;
    if (length > size_t(INT32_MAX)) return nullptr;
    SInt16 from = kEncodingUTF8;
    if (length >= 2 && memmem(text, length - 1, "\r\n", 2) != nullptr) from |= kLineEndCRLF;
    return ChangeTextEncoding(text, 0, SInt32(length), from, encoding, outCount);
}

void SetHTMLDefault8BitEncoding(SInt16 encoding) { gHTMLDefault8BitEncoding.store(encoding); }

SInt16 GetHTMLDefault8BitEncoding() { return gHTMLDefault8BitEncoding.load(); }

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

bool PoolReady() {
    static const bool ready = AllocatePoolBuffers();
    return ready;
}

bool AllocatePoolBuffers() {
    Ptr buffers[kEncodedStrPoolSlots] = {};
    for (SInt32 i = 0; i < kEncodedStrPoolSlots; i++) {
        buffers[i] = NewPtr(kEncodedStrPoolBufferSize);
        if (buffers[i] == nullptr) {
            for (SInt32 k = 0; k < i; k++) DisposPtr(buffers[k]);
            return false;  // every result then comes from the heap
        }
    }
    for (SInt32 i = 0; i < kEncodedStrPoolSlots; i++) gEncodedStrPool.slots[i].buffer = buffers[i];
    gEncodedStrPool.ready.store(true, std::memory_order_release);
    OrvaSetPointerPoolHook(OrvaReleaseEncodedStrSlot);  // DisposPtr of a pool buffer frees its slot
    return true;
}

const ShiftJisIndexRecord &ShiftJisIndexes() {
    static ShiftJisIndexRecord index;
    static const bool built = BuildShiftJisIndexes(&index);  // thread-safe once
    (void)built;
    return index;
}

bool BuildShiftJisIndexes(ShiftJisIndexRecord *index) {
    for (UInt32 i = 0; i < 0x10000; i++) {
        index->unitOfCode[i] = kReplacementUnit;
        index->codeOfUnit[i] = 0;
    }
    for (const ShiftJisPair *p = kShiftJisTable; p->code != 0xFFFF; p++) {
        index->unitOfCode[p->code] = p->unit;
        if (index->codeOfUnit[p->unit] == 0) index->codeOfUnit[p->unit] = p->code;
    }
    return true;
}

EncodedStr NewResult(SInt64 bytes, OSType tag) {
    if (bytes <= 0 || bytes > INT32_MAX) return nullptr;
    return NewEncodedStr(SInt32(bytes), tag);
}

// The first source unit, or null for a missing text, a negative offset or an empty count.
const UInt8 *SourceStart(const void *text, SInt32 offset, SInt32 count, SInt32 unitSize, SInt32 *outCount) {
    if (outCount) *outCount = 0;
    if (text == nullptr || offset < 0 || count <= 0) return nullptr;
    return static_cast<const UInt8 *>(text) + SInt64(offset) * unitSize;
}

SInt32 FindIndexEntry(const UnitIndexEntry *index, SInt32 count, UniChar unit) {
    SInt32 low = 0, high = count;
    while (low < high) {
        SInt32 mid = (low + high) / 2;
        if (index[mid].unit < unit) low = mid + 1;
        else high = mid;
    }
    return low < count && index[low].unit == unit ? low : -1;
}

UInt8 LookUpByte(const UnitIndexEntry *index, SInt32 count, UniChar unit) {
    SInt32 i = FindIndexEntry(index, count, unit);
    return i < 0 ? UInt8('?') : UInt8(index[i].value);
}

bool IsShiftJisLead(UInt8 byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

UniChar CodePageCharToUnicode(const CodePageRow &page, UInt8 byte) {
    return byte < page.firstMapped ? byte : page.toUnicode[byte - page.firstMapped];
}

UInt8 UnicodeCharToCodePage(const CodePageRow &page, UniChar unit) {
    return unit < page.firstMapped ? UInt8(unit) : LookUpByte(page.byUnit, *page.byUnitCount, unit);
}

// One UTF-16 unit for each byte.
EncodedStr CodePageTextToUnicode(const CodePageRow &page, const void *text, SInt32 offset, SInt32 count,
                                 SInt32 *outCount) {
    const UInt8 *s = SourceStart(text, offset, count, 1, outCount);
    if (s == nullptr) return nullptr;
    EncodedStr result = NewResult(SInt64(count) * 2, page.toUnicodeTag);
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    for (SInt32 i = 0; i < count; i++) d[i] = CodePageCharToUnicode(page, s[i]);
    if (outCount) *outCount = count;
    return result;
}

// One byte for each UTF-16 unit.
EncodedStr UnicodeTextToCodePage(const CodePageRow &page, const UniChar *text, SInt32 offset, SInt32 count,
                                 SInt32 *outCount) {
    if (SourceStart(text, offset, count, 2, outCount) == nullptr) return nullptr;
    const UniChar *s = text + offset;
    EncodedStr result = NewResult(count, page.fromUnicodeTag);
    if (result == nullptr) return nullptr;
    UInt8 *d = reinterpret_cast<UInt8 *>(result);
    for (SInt32 i = 0; i < count; i++) d[i] = UnicodeCharToCodePage(page, s[i]);
    if (outCount) *outCount = count;
    return result;
}

// An entity at text[0] == '&': its length including the ';' and its unit, or 0 when the '&'
// stands for itself (no ';' within 7 characters, a number of 0, an unknown name).
SInt32 DecodeHTMLEntity(const UInt8 *text, SInt32 available, UniChar *unit) {
    enum { kMaxEntityName = 7 };
    char name[kMaxEntityName + 1];
    SInt32 length = 0;
    for (;;) {
        if (1 + length >= available) return 0;  // the text ends before the ';'
        UInt8 c = text[1 + length];
        if (c == ';') break;
        if (length == kMaxEntityName) return 0;  // too long for a name
        name[length++] = char(c);
    }
    name[length] = 0;
    if (length >= 1 && name[0] == '#') {
        UInt32 value = 0;
        for (SInt32 i = 1; i < length && name[i] >= '0' && name[i] <= '9'; i++) value = value * 10 + UInt32(name[i] - '0');
        value &= 0xFFFF;  // the number is read as a 16-bit value
        if (value == 0) return 0;
        *unit = UniChar(value);
        return length + 2;
    }
    SInt32 entity = FindEntityByName(name);
    if (entity < 0) return 0;
    *unit = kEntityTable[entity].unit;
    return length + 2;
}

SInt32 FindEntityByName(const char *name) {
    SInt32 low = 0, high = kEntityCount;
    while (low < high) {
        SInt32 mid = (low + high) / 2;
        int order = strcmp(kEntityTable[kEntityByName[mid]].name, name);
        if (order == 0) return kEntityByName[mid];
        if (order < 0) low = mid + 1;
        else high = mid;
    }
    return -1;
}

SInt32 FindEntityByUnit(UniChar unit) {
    SInt32 i = FindIndexEntry(kEntityByUnit, kEntityCount, unit);
    return i < 0 ? -1 : kEntityByUnit[i].value;
}

bool NeedsHTMLEscape(UniChar unit) {
    return unit > 126 || unit == '"' || unit == '&' || unit == '<' || unit == '>' || unit == kCR;
}

EncodedStr CopyUTF16(const UniChar *text, SInt32 count, bool swap, SInt32 *outCount) {
    EncodedStr result = NewResult(SInt64(count) * 2, FourCC("urbf"));
    if (result == nullptr) return nullptr;
    memcpy(result, text, size_t(count) * 2);  // the source may be unaligned
    if (swap) {
        UniChar *d = reinterpret_cast<UniChar *>(result);
        for (SInt32 i = 0; i < count; i++) d[i] = Swap16(d[i]);
    }
    if (outCount) *outCount = count;
    return result;
}

EncodedStr UTF16FromSource(SInt16 id, const UInt8 *start, SInt32 count, SInt32 *outCount) {
    if (id < kEncodingUTF16Swapped) return kEncodingOps[id].toUnicode(start, 0, count, outCount);
    return CopyUTF16(reinterpret_cast<const UniChar *>(start), count, id == kEncodingUTF16Swapped, outCount);
}

// Converts the intermediate text and releases it (or hands it over for a UTF-16 target).
EncodedStr UTF16ToTarget(SInt16 id, EncodedStr wide, SInt32 count, SInt32 *outCount) {
    UniChar *units = reinterpret_cast<UniChar *>(wide);
    if (id >= kEncodingUTF16Swapped) {
        if (id == kEncodingUTF16Swapped)
            for (SInt32 i = 0; i < count; i++) units[i] = Swap16(units[i]);
        if (outCount) *outCount = count;
        return wide;
    }
    EncodedStr result = kEncodingOps[id].fromUnicode(units, 0, count, outCount);
    DisposeEncodedStr(wide);
    return result;
}

SInt16 DetectLineEnd(const UniChar *text, SInt32 count) {
    for (SInt32 i = 0; i + 1 < count; i++)
        if (text[i] == kCR && text[i + 1] == kLF) return kLineEndCRLF;
    return kLineEndCR;
}

SInt32 CollapseCRLF(UniChar *text, SInt32 count) {
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        text[n++] = text[i];
        if (text[i] == kCR && i + 1 < count && text[i + 1] == kLF) i++;
    }
    return n;
}

EncodedStr ExpandCR(const UniChar *text, SInt32 count, SInt32 *outCount) {
    SInt64 size = count;
    for (SInt32 i = 0; i < count; i++)
        if (text[i] == kCR) size++;
    EncodedStr result = NewResult(size * 2, FourCC("urbf"));
    if (result == nullptr) return nullptr;
    UniChar *d = reinterpret_cast<UniChar *>(result);
    SInt32 n = 0;
    for (SInt32 i = 0; i < count; i++) {
        d[n++] = text[i];
        if (text[i] == kCR) d[n++] = kLF;
    }
    *outCount = n;
    return result;
}

EncodedStr TwoSteps(EncodedStr (*first)(const void *, SInt32, SInt32, SInt32 *),
                    EncodedStr (*second)(const UniChar *, SInt32, SInt32, SInt32 *), const void *text,
                    SInt32 offset, SInt32 count, SInt32 *outCount) {
    if (outCount) *outCount = 0;
    SInt32 units = 0;
    EncodedStr wide = first(text, offset, count, &units);
    if (wide == nullptr) return nullptr;
    EncodedStr result = second(reinterpret_cast<UniChar *>(wide), 0, units, outCount);
    DisposeEncodedStr(wide);
    return result;
}

// Converts a NUL-terminated string with its terminator and copies the result back. A size of
// -1 trusts the caller's buffer; otherwise a result longer than size leaves text unchanged.
Boolean ReplaceInPlace(char *text, EncodedStr (*convert)(const void *, SInt32, SInt32, SInt32 *), SInt32 size) {
    if (text == nullptr) return kFalse;
    size_t length = strlen(text) + 1;
    if (length > size_t(INT32_MAX)) return kFalse;
    SInt32 n = 0;
    EncodedStr converted = convert(text, 0, SInt32(length), &n);
    if (converted == nullptr) return kFalse;
    Boolean fits = size < 0 || n <= size;
    if (fits) memcpy(text, converted, size_t(n));
    DisposeEncodedStr(converted);
    return fits;
}

}  // namespace
