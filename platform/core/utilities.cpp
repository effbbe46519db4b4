// String form conversions, type codes, bit extraction, 16.16 fixed point and the
// international string comparisons.
#include "platform/core/utilities.h"

#include <cstdint>
#include <cstring>

#include "platform/core/back_end.h"

namespace {

enum : UInt8 { kLetterCaseBit = 0x20 };

SInt16 Compare(const UInt8 *a, const UInt8 *b, SInt16 lengthA, SInt16 lengthB, bool ignoreCase);
Fixed Negated(UInt32 magnitude, bool negate);
UInt32 Magnitude(Fixed x);

}  // namespace

StringPtr C2Pas(char *text) {
    if (!text) return nullptr;
    size_t length = strlen(text);
    if (length > 255) length = 255;  // a length byte cannot say more
    memmove(text + 1, text, length);
    text[0] = char(length);
    return reinterpret_cast<StringPtr>(text);
}

char *Pas2C(StringPtr text) {
    if (!text) return nullptr;
    size_t length = text[0];
    memmove(text, text + 1, length);
    text[length] = 0;
    return reinterpret_cast<char *>(text);
}

SInt16 Pstrlen(const char *text) { return text ? SInt16(strlen(text)) : 0; }

char *cvttype(OSType type, char *buffer) {
    if (!buffer) return nullptr;
    for (int i = 0; i < 4; i++) buffer[i] = char(type >> (24 - 8 * i));
    buffer[4] = 0;
    return buffer;
}

void OrvaSwap(SInt16 *a, SInt16 *b) {
    if (!a || !b) return;
    SInt16 t = *a;
    *a = *b;
    *b = t;
}

UInt16 orva_extrait_bit(UInt16 *word, SInt16 n) {
    if (!word || n <= 0) return 0;
    if (n > 16) n = 16;
    UInt32 value = *word;
    *word = UInt16(value << n);
    return UInt16(value >> (16 - n));
}

Boolean BitTst(const void *bytes, SInt32 n) {
    if (!bytes || n < 0) return false;
    return (((const UInt8 *)bytes)[n / 8] & (0x80 >> (n % 8))) != 0;
}

void BitSet(void *bytes, SInt32 n) {
    if (bytes && n >= 0) ((UInt8 *)bytes)[n / 8] |= UInt8(0x80 >> (n % 8));
}

void BitClr(void *bytes, SInt32 n) {
    if (bytes && n >= 0) ((UInt8 *)bytes)[n / 8] &= UInt8(~(0x80 >> (n % 8)));
}

SInt16 LoWord(SInt32 x) { return SInt16(x & 0xFFFF); }

SInt16 HiWord(SInt32 x) { return SInt16((UInt32(x) >> 16) & 0xFFFF); }

Boolean orva_dans_rect(SInt16 h, SInt16 v, const Rect *r) {
    return r && h >= r->left && h < r->right && v >= r->top && v < r->bottom;
}

// Only the command key's own bit is looked at: the rest of that word holds ordinary letter
// keys, which must not read as a command.
Boolean is_command() {
    UInt32 map[4] = {0, 0, 0, 0};
    SystemDependantGetKeyMap(map);
    return (map[kCommandKeyCode / 32] >> ((kCommandKeyCode ^ 24) & 31)) & 1;
}

Fixed FixRatio(SInt16 numerator, SInt16 denominator) {
    if (denominator == 0) return numerator >= 0 ? Fixed(0x7FFFFFFF) : Fixed(0x80000001);
    int64_t quotient = (int64_t(numerator) * 65536) / denominator;
    if (quotient > INT32_MAX) return INT32_MAX;  // -32768 / -1 only
    return Fixed(quotient);
}

Fixed FixMul(Fixed a, Fixed b) {
    uint64_t product = uint64_t(Magnitude(a)) * Magnitude(b);
    return Negated(UInt32(product >> 16), (a < 0) != (b < 0));
}

Fixed FixDiv(Fixed a, Fixed b) {
    bool negate = (a < 0) != (b < 0);
    if (b == 0) return Negated(0xFFFFFFFFu, negate);
    uint64_t quotient = (uint64_t(Magnitude(a)) << 16) / Magnitude(b);
    return Negated(UInt32(quotient), negate);
}

SInt16 FixRound(Fixed x) { return SInt16((x >> 16) + ((x & 0xFFFF) >= 0x8000 ? 1 : 0)); }

Fixed Long2Fix(SInt32 x) { return Fixed(UInt32(x) << 16); }

SInt32 Fix2Long(Fixed x) { return x >> 16; }

SInt16 IUMagString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB) {
    return Compare(static_cast<const UInt8 *>(a), static_cast<const UInt8 *>(b), lengthA, lengthB, false);
}

SInt16 IUMagIDString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB) {
    return Compare(static_cast<const UInt8 *>(a), static_cast<const UInt8 *>(b), lengthA, lengthB, true);
}

SInt16 IUCompString(ConstStr255Param a, ConstStr255Param b) {
    if (!a || !b) return SInt16(a ? 1 : (b ? -1 : 0));
    return IUMagString(a + 1, b + 1, a[0], b[0]);
}

SInt16 IUEqualString(ConstStr255Param a, ConstStr255Param b) {
    if (!a || !b) return SInt16(a ? 1 : (b ? -1 : 0));
    return IUMagIDString(a + 1, b + 1, a[0], b[0]);
}

void OrvaSupprimeUnicodeSpecialChars(UniChar *text, SInt32 length) {
    if (!text) return;
    for (SInt32 i = 0; i < length; i++)
        if (text[i] < 32) text[i] = ' ';
}

namespace {

SInt16 Compare(const UInt8 *a, const UInt8 *b, SInt16 lengthA, SInt16 lengthB, bool ignoreCase) {
    if (lengthA < 0 || !a) lengthA = 0;
    if (lengthB < 0 || !b) lengthB = 0;
    SInt16 i = 0;
    while (i < lengthA && i < lengthB) {
        UInt8 x = a[i], y = b[i];
        bool same = ignoreCase ? ((x ^ y) & ~kLetterCaseBit) == 0 : x == y;
        if (!same) return SInt8(x) >= SInt8(y) ? 1 : -1;
        i++;
    }
    if (lengthA == lengthB) return 0;
    return i == lengthA ? -1 : 1;  // the shorter string, a prefix of the other, sorts first
}

Fixed Negated(UInt32 magnitude, bool negate) { return Fixed(negate ? 0u - magnitude : magnitude); }

UInt32 Magnitude(Fixed x) { return x < 0 ? 0u - UInt32(x) : UInt32(x); }

}  // namespace
