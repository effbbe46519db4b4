// Small Toolbox utilities: string form conversions, type codes, bit extraction, 16.16 fixed
// point and the international string comparisons.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kTypeCodeBufferSize = 5,   // four characters and a NUL
    kCommandKeyCode = 55,      // the command key in the key map
};

// Strings. C2Pas keeps at most 255 characters (the rest is dropped); both work in place.
StringPtr C2Pas(char *text);        // NUL-terminated -> length-prefixed; null gives null
char *Pas2C(StringPtr text);        // length-prefixed -> NUL-terminated; null gives null
SInt16 Pstrlen(const char *text);   // strlen as a 16-bit value (0 for null)
char *cvttype(OSType type, char *buffer);  // four characters, first the high byte, and a NUL
void OrvaSwap(SInt16 *a, SInt16 *b);

// Takes the top n bits (1..16) of *word as a number and shifts *word left by n; n <= 0: 0.
UInt16 orva_extrait_bit(UInt16 *word, SInt16 n);
Boolean BitTst(const void *bytes, SInt32 n);  // bit n: bit 7 - n mod 8 of byte n / 8
void BitSet(void *bytes, SInt32 n);
void BitClr(void *bytes, SInt32 n);
SInt16 LoWord(SInt32 x);
SInt16 HiWord(SInt32 x);
Boolean orva_dans_rect(SInt16 h, SInt16 v, const Rect *r);  // left <= h < right, top <= v < bottom
Boolean is_command();  // the command key is down (GetKeys)

// 16.16 fixed point.
Fixed FixRatio(SInt16 numerator, SInt16 denominator);  // /0: 0x7FFFFFFF, or 0x80000001 when negative
Fixed FixMul(Fixed a, Fixed b);
Fixed FixDiv(Fixed a, Fixed b);  // /0: -1, or 1 when a is negative
SInt16 FixRound(Fixed x);        // halves go up: -1.5 gives -1
Fixed Long2Fix(SInt32 x);
SInt32 Fix2Long(Fixed x);        // toward minus infinity

// String comparisons: -1, 0 or 1. A string that is a prefix of the other sorts first; otherwise
// the first differing bytes decide as signed bytes. The ID forms ignore bit 5 (letter case).
SInt16 IUMagString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB);
SInt16 IUMagIDString(const void *a, const void *b, SInt16 lengthA, SInt16 lengthB);
SInt16 IUCompString(ConstStr255Param a, ConstStr255Param b);   // length-prefixed
SInt16 IUEqualString(ConstStr255Param a, ConstStr255Param b);  // 0 when equal ignoring case

// Replaces every UTF-16 code unit below 32 by a space, in place.
void OrvaSupprimeUnicodeSpecialChars(UniChar *text, SInt32 length);
