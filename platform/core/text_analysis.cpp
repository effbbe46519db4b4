// What the library asks about text rather than converts: the charset detector, case mapping,
// zero-terminated UTF-16 strings, right-to-left classes and UTF-8 character boundaries.
#include "platform/core/text_encodings.h"

#include <cstring>

#include "platform/core/encoding_tables.h"

namespace {

enum : UInt8 { kCRByte = 13, kLFByte = 10 };

// Detector weights of bytes 0x80..0xFF: how typical a byte is of each 8-bit encoding.
struct ByteWeights {
    SInt8 windows[128];
    SInt8 macRoman[128];
    SInt8 msDos[128];
};

const ByteWeights kByteWeights = {
    {
        1, -2, 0, -2, -2, -2, -2, -2, 0, -2, -2, 0, 0, -2, 0, -2,     // 80
        -2, 0, 0, 0, 0, 0, 0, -2, 0, 0, 0, -2, 1, -2, 0, 0,           // 90
        0, 0, -2, 0, -2, -2, 0, 0, -2, 0, -2, 0, -2, 0, 0, -2,        // A0
        0, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, 0, -2, -2, -2, 0,  // B0
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,               // C0
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, -2, 0,              // D0
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,               // E0
        1, 1, 1, 1, 1, 1, 1, -2, 1, 1, 1, 1, 1, 1, 1, 1,              // F0
    },
    {
        0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1,                 // 80
        1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,                 // 90
        -2, 0, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, -2, 0, 0,             // A0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -1, -2, -2, -2, 0, 0,   // B0
        0, 0, -2, -2, -2, -2, -2, 0, 0, 0, -2, 0, 0, 0, 0, 0,           // C0
        -2, -2, 0, 0, 0, 0, -2, -2, 0, 0, -2, 0, -2, -2, -2, -2,        // D0
        -2, 0, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,               // E0
        -2, 0, 0, 0, 0, -2, 0, 0, -2, -2, -2, -2, -2, 0, 0, -2,         // F0
    },
    {
        0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0,                     // 80
        0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, -2, 0, -2, 0, 0,                   // 90
        1, 1, 1, 1, 1, 0, -2, -2, 0, -2, -2, -2, -2, -2, 0, 0,              // A0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2,     // B0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2,     // C0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2,     // D0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2,     // E0
        -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2, -2,     // F0
    },
};

// Running scores of the detector's scan.
struct CharsetScores {
    SInt32 line = 0;  // CR LF pairs minus lone CRs
    SInt32 windows = 0, macRoman = 0, msDos = 0;
    SInt32 shiftJis = 0;  // -1 once a lead byte formed an unknown code
    SInt32 utf8 = 0;      // -1 once a byte did not decode
    bool zeroAtEven = false, zeroAtOdd = false;
};

void ScoreBytes(const UInt8 *bytes, SInt32 length, CharsetScores *scores);
SInt16 ChooseEncoding(const CharsetScores &scores);
SInt16 LineEndBit(const UInt8 *text, SInt32 length, SInt16 id);
bool IsShiftJisLeadByte(UInt8 byte);
bool IsUTFLead(UInt8 byte);
SInt32 UTFSequenceLength(UInt8 lead);
SInt32 FindUTFLead(const UInt8 *s, SInt32 position);
UniChar ShiftCaseASCII(UniChar unit, UniChar first, UniChar last, SInt32 delta);
EncodedStr MapUTFCase(const char *text, void (*map)(UniChar *, SInt32, SInt32));

}  // namespace

// ---------------------------------------------------------------------------------------------
// Detection

SInt16 EvalueCharsetBuffer(const void *bytes, SInt32 length, SInt32 *markLength) {
    const UInt8 *s = static_cast<const UInt8 *>(bytes);
    if (markLength) *markLength = 0;
    if (s == nullptr || length <= 0) return kEncodingMacRoman;
    SInt32 mark = 0;
    SInt16 id;
    if (length >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) id = kEncodingUTF8, mark = 3;
    else if (length >= 2 && s[0] == 0xFE && s[1] == 0xFF) id = kEncodingUTF16Swapped, mark = 2;
    else if (length >= 2 && s[0] == 0xFF && s[1] == 0xFE) id = kEncodingUTF16, mark = 2;
    else {
        CharsetScores scores;
        ScoreBytes(s, length, &scores);
        if (scores.zeroAtEven) id = kEncodingUTF16Swapped;
        else if (scores.zeroAtOdd) id = kEncodingUTF16;
        else id = ChooseEncoding(scores);
    }
    if (markLength) *markLength = mark;
    return id | LineEndBit(s + mark, length - mark, id);
}

SInt16 EvalueCharSetStr(const char *text, SInt32 *markLength) {
    if (text == nullptr) {
        if (markLength) *markLength = 0;
        return kEncodingMacRoman;
    }
    size_t length = strlen(text);
    return EvalueCharsetBuffer(text, length > size_t(INT32_MAX) ? INT32_MAX : SInt32(length), markLength);
}

// ---------------------------------------------------------------------------------------------
// Case mapping

UniChar UnicodeCharMajuscule(UniChar unit) {
    if (unit < 0x80) return ShiftCaseASCII(unit, 'a', 'z', -32);
    // The table is sorted by its lower column, which holds each unit at most once.
    SInt32 low = 0, high = kCasePairCount;
    while (low < high) {
        SInt32 mid = (low + high) / 2;
        if (kCaseTable[mid].lower < unit) low = mid + 1;
        else high = mid;
    }
    return low < kCasePairCount && kCaseTable[low].lower == unit ? kCaseTable[low].upper : unit;
}

UniChar UnicodeCharMinuscule(UniChar unit) {
    if (unit < 0x80) return ShiftCaseASCII(unit, 'A', 'Z', 32);
    SInt32 low = 0, high = kCaseByUpperCount;
    while (low < high) {
        SInt32 mid = (low + high) / 2;
        if (kCaseByUpper[mid].unit < unit) low = mid + 1;
        else high = mid;
    }
    return low < kCaseByUpperCount && kCaseByUpper[low].unit == unit ? kCaseByUpper[low].value : unit;
}

void UnicodeTextToMajuscule(UniChar *text, SInt32 offset, SInt32 count) {
    if (text == nullptr || offset < 0) return;
    for (SInt32 i = 0; i < count; i++) text[offset + i] = UnicodeCharMajuscule(text[offset + i]);
}

void UnicodeTextToMinuscule(UniChar *text, SInt32 offset, SInt32 count) {
    if (text == nullptr || offset < 0) return;
    for (SInt32 i = 0; i < count; i++) text[offset + i] = UnicodeCharMinuscule(text[offset + i]);
}

EncodedStr UTFTextToMajuscule(const char *text) { return MapUTFCase(text, UnicodeTextToMajuscule); }

EncodedStr UTFTextToMinuscule(const char *text) { return MapUTFCase(text, UnicodeTextToMinuscule); }

// ---------------------------------------------------------------------------------------------
// Zero-terminated UTF-16 strings

SInt32 UnicodeStrLen(const UniChar *text) {
    SInt32 n = 0;
    while (text[n] != 0) n++;
    return n;
}

void UnicodeStrCpy(UniChar *destination, const UniChar *source) {
    SInt32 i = 0;
    do destination[i] = source[i];
    while (source[i++] != 0);
}

void UnicodeStrCat(UniChar *destination, const UniChar *source) {
    UnicodeStrCpy(destination + UnicodeStrLen(destination), source);
}

Boolean UnicodeStrCmp(const UniChar *a, const UniChar *b) {
    for (SInt32 i = 0;; i++) {
        if (a[i] != b[i]) return kTrue;
        if (a[i] == 0) return kFalse;
    }
}

void UnicodeStrCpyRoman(UniChar *destination, const char *roman) {
    SInt32 i = 0;
    do destination[i] = MacRomanCharToUnicode(UInt8(roman[i]));
    while (roman[i++] != 0);
}

void UnicodeStrCatRoman(UniChar *destination, const char *roman) {
    UnicodeStrCpyRoman(destination + UnicodeStrLen(destination), roman);
}

Boolean UnicodeStrCmpRoman(const UniChar *a, const char *roman) {
    for (SInt32 i = 0;; i++) {
        if (a[i] != MacRomanCharToUnicode(UInt8(roman[i]))) return kTrue;
        if (a[i] == 0) return kFalse;
    }
}

const char *RomanStrChrUnicode(const char *roman, UniChar unit) {
    for (const char *p = roman; *p != 0; p++)
        if (MacRomanCharToUnicode(UInt8(*p)) == unit) return p;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Right-to-left classes

SInt16 UniCharRLType(UniChar unit) {
    if (unit < 0x0500) return 0;
    if (unit < 0x0600) return 2;  // Hebrew block and its neighbours
    if (unit < 0x0700) return 1;
    if (unit < 0x0800) return (unit < 0x0750 || (unit >= 0x0780 && unit < 0x07C0)) ? 1 : 0;
    if (unit < 0xFB50) return 0;
    if (unit < 0xFE00) return 1;  // Arabic presentation forms A
    if (unit < 0xFE70) return 0;
    if (unit < 0xFF00) return 1;  // Arabic presentation forms B
    return 0;
}

Boolean IsRLTypeSupported(SInt16 type) {
    if (type == 1 || type == 2) return SystemDependantIsLanguageGroupInstalled(type);
    return kTrue;
}

Boolean SystemDependantIsLanguageGroupInstalled(SInt16) { return kFalse; }

Boolean IsDisplayableUTFString(const char *text, SInt32 length, Boolean arabicAllowed, Boolean hebrewAllowed,
                               Boolean skipMacRomanTest) {
    if (text == nullptr || length <= 0 || (arabicAllowed && hebrewAllowed)) return kTrue;
    SInt32 count = 0;
    EncodedStr wide = UTFTextToUnicode(text, 0, length, &count);
    if (wide == nullptr) return kFalse;
    const UniChar *units = reinterpret_cast<const UniChar *>(wide);
    Boolean displayable = kTrue;
    for (SInt32 i = 0; i < count && displayable; i++) {
        SInt16 type = UniCharRLType(units[i]);
        if ((type == 1 && !arabicAllowed) || (type == 2 && !hebrewAllowed)) displayable = kFalse;
        else if (!skipMacRomanTest && units[i] != '?' && UnicodeCharToMacRoman(units[i]) == '?') displayable = kFalse;
    }
    DisposeEncodedStr(wide);
    return displayable;
}

// ---------------------------------------------------------------------------------------------
// UTF-8 character boundaries

SInt32 UTFNextChar(const void *text, SInt32 position, SInt32 length) {
    const UInt8 *s = static_cast<const UInt8 *>(text);
    if (s == nullptr || length <= 0) return 0;
    if (position < 0) position = 0;
    if (position >= length) return length;
    UInt8 b = s[position];
    if (b < 0x80 || b >= 0xFE) return position + 1;
    if (b >= 0xC0) {
        SInt32 end = position + UTFSequenceLength(b);
        return end <= length ? end : position + 1;
    }
    if (position >= 2) {  // a continuation byte: finish the character it belongs to
        SInt32 lead = FindUTFLead(s, position);
        if (lead >= 0) {
            SInt32 end = lead + UTFSequenceLength(s[lead]);
            if (end > position + 1) return end < length ? end : length;
        }
    }
    return position + 1;
}

SInt32 UTFPrevChar(const void *text, SInt32 position, SInt32 length) {
    const UInt8 *s = static_cast<const UInt8 *>(text);
    if (s == nullptr || length <= 0 || position <= 1) return 0;
    if (position > length) position = length;
    SInt32 p = position - 1;
    if (s[p] < 0x80 || s[p] >= 0xC0) return p;
    SInt32 lead = FindUTFLead(s, p);
    if (lead >= 0 && lead + UTFSequenceLength(s[lead]) > p) return lead;
    return p;
}

// ---------------------------------------------------------------------------------------------
// Helpers

namespace {

void ScoreBytes(const UInt8 *s, SInt32 length, CharsetScores *scores) {
    SInt32 nextShiftJis = 0;  // a found double-byte code's trail byte is not read as a lead
    for (SInt32 i = 0; i < length; i++) {
        UInt8 b = s[i];
        if (b == kCRByte) scores->line += (i + 1 < length && s[i + 1] == kLFByte) ? 1 : -1;
        else if (b == 0) (i % 2 == 0 ? scores->zeroAtEven : scores->zeroAtOdd) = true;
        if (b < 0x80) continue;
        if (scores->shiftJis >= 0 && i + 1 < length && i >= nextShiftJis && IsShiftJisLeadByte(b)) {
            if (ShiftJisCodeToUnicode(UInt16((b << 8) | s[i + 1])) != 0xFFFD) {
                scores->shiftJis++;
                nextShiftJis = i + 2;
            } else scores->shiftJis = -1;
        }
        if (scores->utf8 >= 0) {
            UniChar unit;
            UTFCharToUnicode(s + i, &unit, length - i);
            if (unit == 0xFFFD) scores->utf8 = -1;
            else scores->utf8++;
        }
        scores->windows += kByteWeights.windows[b - 0x80];
        scores->macRoman += kByteWeights.macRoman[b - 0x80];
        scores->msDos += kByteWeights.msDos[b - 0x80];
    }
}

SInt16 ChooseEncoding(const CharsetScores &scores) {
    SInt32 bestOther = scores.windows > scores.msDos ? scores.windows : scores.msDos;
    SInt16 id = kEncodingMacRoman;
    if (bestOther > scores.macRoman || (bestOther == scores.macRoman && scores.line > 0))
        id = scores.windows >= scores.msDos ? kEncodingWindows : kEncodingMSDos;
    SInt32 best = bestOther > scores.macRoman ? bestOther : scores.macRoman;
    if (best < scores.shiftJis) id = kEncodingShiftJis;
    if (2 * best < scores.utf8) id = kEncodingUTF8;
    return id;
}

// The CR LF bit of text after its mark: CR LF pairs against other CRs, in UTF-16 units for
// UTF-16 text. A CR in the last unit is not counted.
SInt16 LineEndBit(const UInt8 *text, SInt32 length, SInt16 id) {
    SInt32 total = 0;
    if (id == kEncodingUTF16Swapped || id == kEncodingUTF16) {
        SInt32 units = length / 2;
        bool swapped = id == kEncodingUTF16Swapped;
        for (SInt32 i = 0; i + 1 < units; i++) {
            UniChar unit, next;
            memcpy(&unit, text + 2 * i, 2);
            memcpy(&next, text + 2 * i + 2, 2);
            if (swapped) unit = UniChar((unit >> 8) | (unit << 8)), next = UniChar((next >> 8) | (next << 8));
            if (unit == kCRByte) total += next == kLFByte ? 1 : -1;
        }
    } else {
        for (SInt32 i = 0; i + 1 < length; i++)
            if (text[i] == kCRByte) total += text[i + 1] == kLFByte ? 1 : -1;
    }
    return total > 0 ? kLineEndCRLF : 0;
}

bool IsShiftJisLeadByte(UInt8 byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

bool IsUTFLead(UInt8 byte) { return byte >= 0xC0 && byte <= 0xFD; }

SInt32 UTFSequenceLength(UInt8 lead) {
    if (lead < 0xC0) return 1;
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    if (lead < 0xF8) return 4;
    if (lead < 0xFC) return 5;
    if (lead < 0xFE) return 6;
    return 1;
}

// The lead byte of the character whose continuation byte is at position, looked for at most
// 5 bytes back through continuation bytes; -1 when there is none.
SInt32 FindUTFLead(const UInt8 *s, SInt32 position) {
    for (SInt32 k = 1; k <= 5 && position - k >= 0; k++) {
        UInt8 b = s[position - k];
        if (IsUTFLead(b)) return position - k;
        if ((b & 0xC0) != 0x80) return -1;
    }
    return -1;
}

UniChar ShiftCaseASCII(UniChar unit, UniChar first, UniChar last, SInt32 delta) {
    return unit >= first && unit <= last ? UniChar(unit + delta) : unit;
}

EncodedStr MapUTFCase(const char *text, void (*map)(UniChar *, SInt32, SInt32)) {
    if (text == nullptr) return nullptr;
    size_t length = strlen(text) + 1;
    if (length > size_t(INT32_MAX)) return nullptr;
    SInt32 units = 0;
    EncodedStr wide = UTFTextToUnicode(text, 0, SInt32(length), &units);
    if (wide == nullptr) return nullptr;
    map(reinterpret_cast<UniChar *>(wide), 0, units);
    SInt32 n = 0;
    EncodedStr result = UnicodeTextToUTF(reinterpret_cast<UniChar *>(wide), 0, units, &n);
    DisposeEncodedStr(wide);
    return result;
}

}  // namespace
