// String objects of the Carbon kind: reference-counted handles of UTF-16 text, made from and
// copied out to the encodings below. Any thread: the count is changed atomically, and the
// memory manager guards its own heap.
#pragma once

#include "platform/core/mac_types.h"

struct OrvaCFString;
typedef const OrvaCFString *CFStringRef;  // the string's Handle, opaque
struct OrvaCFAllocator;
typedef const OrvaCFAllocator *CFAllocatorRef;  // always null here: the default allocator
typedef UInt32 CFStringEncoding;
typedef long CFIndex;

// The encodings a string object takes and gives, each mapped to an encoding id of the text
// converters (text_encodings.h); any other value makes nothing (null, false).
enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingMacJapanese = 1,         // Shift-JIS, the Macintosh variant
    kCFStringEncodingUnicode = 0x0100,        // UTF-16 in host order
    kCFStringEncodingWindowsLatin1 = 0x0500,  // Windows-1252
    kCFStringEncodingShiftJIS = 0x0A01,
    kCFStringEncodingUTF8 = 0x08000100,
};

enum : CFIndex { kOrvaCFStringMaxUnits = 1 << 24 };  // longer text is refused (null)

// A new object (count 1) holding the zero-terminated text; bytes that are not valid UTF-8 in a
// UTF-8 text become U+FFFD. Null for null text, an unknown encoding or no memory.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char *text, CFStringEncoding encoding);
// A new object holding count UTF-16 units; null for a negative count or no memory.
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar *characters, CFIndex count);
// Copies the text out in encoding with its terminator; false (buffer holding an empty string
// when it has room for one) when it does not fit or the encoding is unknown. Characters the
// encoding lacks become '?'.
Boolean CFStringGetCString(CFStringRef s, char *buffer, CFIndex size, CFStringEncoding encoding);
CFStringRef CFRetain(CFStringRef s);  // one more owner; answers s
void CFRelease(CFStringRef s);        // one owner fewer; the last frees it; null does nothing
CFIndex CFStringGetLength(CFStringRef s);  // UTF-16 units; 0 for null or a foreign pointer
// Copies count units from start into out; nothing for a range outside the text.
void CFStringGetCharacters(CFStringRef s, CFIndex start, CFIndex count, UniChar *out);
CFIndex OrvaCFStringRetainCount(CFStringRef s);  // diagnostics; 0 for null or a foreign pointer
