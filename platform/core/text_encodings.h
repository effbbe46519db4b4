// Every text conversion of the library: seven encodings, HTML entities and line ends, all
// through UTF-16 (16-bit units, no surrogate pairs), with results in pooled EncodedStr buffers;
// the charset detector, case mapping, right-to-left classes and UTF-8 stepping.
// text_encodings.cpp: the pool, single characters, the converters and ChangeTextEncoding.
// text_analysis.cpp: detection, case mapping, UTF-16 strings, right-to-left classes, UTF-8 stepping.
#pragma once

#include "platform/core/mac_types.h"

// A converter's result: bytes (8-bit and UTF-8 targets) or UTF-16 units, no header. Released
// with DisposeEncodedStr (DisposPtr also works: it hands pool buffers back to the pool).
typedef Ptr EncodedStr;

// Encoding ids: the low six bits of an encoding argument.
enum : SInt16 {
    kEncodingMSDos = 0,      // code page 437
    kEncodingWindows = 1,    // Windows-1252
    kEncodingMacRoman = 2,
    kEncodingHTML = 3,       // ASCII with entities; bytes above 126 by the HTML default 8-bit encoding
    kEncodingUTF8 = 4,
    kEncodingShiftJis = 5,   // the Macintosh variant
    kEncodingUTF16Swapped = 6,  // UTF-16 in the opposite byte order of the host
    kEncodingUTF16 = 7,      // 7 and above: UTF-16 in host order
    kEncodingIdMask = 0x3F,
};

// Line-end bits (bits 6-7 of an encoding argument). Inside the library a line ends with CR.
enum : SInt16 {
    kLineEndCR = 0,
    kLineEndCRLF = 64,
    kLineEndDetect = 192,  // on a source: detect; on a target: keep the source's
    kLineEndMask = 192,
};

enum : SInt32 {
    kEncodedStrPoolSlots = 4,
    kEncodedStrPoolBufferSize = 1024,  // results up to this many bytes come from the pool
};

// The pool. Any thread may convert: slots are claimed with an atomic compare-and-swap.
EncodedStr NewEncodedStr(SInt32 size, OSType tag);  // size 0 or less: null; pool slot or NewPtr block
void DisposeEncodedStr(EncodedStr text);            // null does nothing
// True when p is one of the pool buffers; its slot is then free again. DisposPtr asks this
// through the pointer-pool hook the pool installs when it is made.
Boolean OrvaReleaseEncodedStrSlot(const void *p);
SInt32 OrvaEncodedStrSlotsInUse();  // how many pool slots are held (for tests)

// Single characters.
SInt32 UTFCharToUnicode(const void *bytes, UniChar *unit, SInt32 available);  // bytes consumed
SInt32 UnicodeCharToUTF(UniChar unit, void *bytes);  // bytes written (1..3); surrogates become '?'
UniChar MacRomanCharToUnicode(UInt8 byte);
UniChar WindowsCharToUnicode(UInt8 byte);
UniChar MSDosCharToUnicode(UInt8 byte);
UniChar Latin9CharToUnicode(UInt8 byte);  // ISO-8859-15, which only decoders of foreign documents need
UInt8 UnicodeCharToMacRoman(UniChar unit);  // '?' when MacRoman has no such character
UInt8 UnicodeCharToWindows(UniChar unit);
UInt8 UnicodeCharToMSDos(UniChar unit);
UniChar ShiftJisCodeToUnicode(UInt16 code);   // U+FFFD for a code not in the table
UInt16 UnicodeCharToShiftJisCode(UniChar unit);  // 0 when the table has no such unit

// Text converters: (source, offset, count, out count) in source units (bytes, or UTF-16 units
// for UTF-16 sources). They answer null with out count 0 for a count of 0 or less, a negative
// offset, or a failed allocation. The result is NUL-terminated only when the count included
// the terminator. Caller disposes.
EncodedStr MacRomanTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr WindowsTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr MSDosTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr ShiftJisTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr HTMLTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UTFTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
// Each byte OR-ed with highBits becomes one unit (symbol-font bytes into a private range).
EncodedStr GenericTextToUnicode(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount,
                                UInt16 highBits);
EncodedStr UnicodeTextToMacRoman(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UnicodeTextToWindows(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UnicodeTextToMSDos(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UnicodeTextToShiftJis(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UnicodeTextToHTML(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UnicodeTextToUTF(const UniChar *text, SInt32 offset, SInt32 count, SInt32 *outCount);

// Two steps through UTF-16, the intermediate released; a failed first step gives null, count 0.
EncodedStr MacRomanTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UTFTextToMacRoman(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr WindowsTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UTFTextToWindows(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr MSDosTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UTFTextToMSDos(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr ShiftJisTextToUTF(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr UTFTextToShiftJis(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);

// NUL-terminated strings converted in place. MacRomanToUTF and WindowsToUTF trust the caller's
// buffer to hold the longer result; the library itself uses only the sized forms, which answer
// false and leave the buffer unchanged when the result (with its terminator) exceeds size bytes.
void MacRomanToUTF(char *text);
void WindowsToUTF(char *text);
void UTFToMacRoman(char *text);
void UTFToWindows(char *text);
Boolean OrvaMacRomanToUTFSized(char *text, SInt32 size);
Boolean OrvaWindowsToUTFSized(char *text, SInt32 size);

// The general converter: from and to are an encoding id plus line-end bits; the offset counts
// bytes for ids below 6 and UTF-16 units otherwise. Out count: units of the result.
EncodedStr ChangeTextEncoding(const void *source, SInt32 offset, SInt32 count, SInt16 from, SInt16 to,
                              SInt32 *outCount);
EncodedStr WindowsTextToMacRoman(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr MacRomanTextToWindows(const void *text, SInt32 offset, SInt32 count, SInt32 *outCount);
EncodedStr StrToUTF(const void *text, SInt16 encoding, SInt32 length);  // length + 1 bytes converted
EncodedStr UTFToStr(const char *text, SInt16 encoding, SInt32 *outCount);  // terminator included

void SetHTMLDefault8BitEncoding(SInt16 encoding);  // how bytes above 126 of HTML text are read
SInt16 GetHTMLDefault8BitEncoding();

// Detection: an encoding id with the CR LF bit when lines end so; markLength gets the length of
// a byte-order mark (0 without).
SInt16 EvalueCharsetBuffer(const void *bytes, SInt32 length, SInt32 *markLength);
SInt16 EvalueCharSetStr(const char *text, SInt32 *markLength);

// Case mapping (simple mapping of the Basic Multilingual Plane).
UniChar UnicodeCharMajuscule(UniChar unit);
UniChar UnicodeCharMinuscule(UniChar unit);
void UnicodeTextToMajuscule(UniChar *text, SInt32 offset, SInt32 count);
void UnicodeTextToMinuscule(UniChar *text, SInt32 offset, SInt32 count);
EncodedStr UTFTextToMajuscule(const char *text);  // NUL-terminated UTF-8 -> new UTF-8, terminator included
EncodedStr UTFTextToMinuscule(const char *text);

// Zero-terminated UTF-16 strings; the Roman forms take the second string in MacRoman.
SInt32 UnicodeStrLen(const UniChar *text);
void UnicodeStrCpy(UniChar *destination, const UniChar *source);
void UnicodeStrCat(UniChar *destination, const UniChar *source);
Boolean UnicodeStrCmp(const UniChar *a, const UniChar *b);  // false when equal, true when different
void UnicodeStrCpyRoman(UniChar *destination, const char *roman);
void UnicodeStrCatRoman(UniChar *destination, const char *roman);
Boolean UnicodeStrCmpRoman(const UniChar *a, const char *roman);
const char *RomanStrChrUnicode(const char *roman, UniChar unit);  // first byte showing unit, or null

// Right-to-left classes: 0 left-to-right, 1 Arabic-like, 2 Hebrew-like.
SInt16 UniCharRLType(UniChar unit);
Boolean IsRLTypeSupported(SInt16 type);
Boolean SystemDependantIsLanguageGroupInstalled(SInt16 type);  // false on this platform
Boolean IsDisplayableUTFString(const char *text, SInt32 length, Boolean arabicAllowed,
                               Boolean hebrewAllowed, Boolean skipMacRomanTest);

// UTF-8 character boundaries; positions never leave 0..length.
SInt32 UTFNextChar(const void *text, SInt32 position, SInt32 length);
SInt32 UTFPrevChar(const void *text, SInt32 position, SInt32 length);
