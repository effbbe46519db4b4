// String objects of the Carbon kind: a zero-terminated UTF-8 copy of the text they were made
// from, handed out and released by the caller. Any thread.
#pragma once

#include "platform/core/mac_types.h"

struct OrvaCFString;
typedef const OrvaCFString *CFStringRef;
struct OrvaCFAllocator;
typedef const OrvaCFAllocator *CFAllocatorRef;  // always null here: the default allocator
typedef UInt32 CFStringEncoding;
enum : CFStringEncoding {
    kCFStringEncodingMacRoman = 0,
    kCFStringEncodingMacJapanese = 1,
    kCFStringEncodingUTF8 = 0x08000100,
};
typedef long CFIndex;

// The text is kept as given, whatever the encoding says; null for null text or no memory.
CFStringRef CFStringCreateWithCString(CFAllocatorRef allocator, const char *text, CFStringEncoding encoding);
// UTF-16 units, kept as UTF-8; null for a negative count or no memory.
CFStringRef CFStringCreateWithCharacters(CFAllocatorRef allocator, const UniChar *characters, CFIndex count);
// Copies the text out with its terminator; false when it does not fit.
Boolean CFStringGetCString(CFStringRef s, char *buffer, CFIndex size, CFStringEncoding encoding);
void CFRelease(CFStringRef s);
