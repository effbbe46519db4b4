// MD5 seals: the 16-byte digests that identify voices and chord diagrams, and their word text.
// Any thread: no state is kept between calls.
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 { kSceauMD5Octets = 16, kSceauMD5Texte = 33 };  // digest bytes; text with its zero

struct SceauMD5 {
    UInt8 bytes[kSceauMD5Octets];  // the digest in its usual byte order
};

// The MD5 digest of length bytes (a negative length counts as 0).
void CalculeSceauCompletMD5(const void *bytes, SInt32 length, SceauMD5 *seal);
SInt16 CmpMD5(const SceauMD5 *a, const SceauMD5 *b);  // 1 when the digests are equal, else 0
// The word text: the digest as four 32-bit words, each taken little-endian from its four bytes
// and printed as 8 lower-case hexadecimal digits ("abc" gives 98500190b04fd23c7d3f96d6727fe128).
// It is the text stored files carry and differs from the usual digest text: compare seals, not
// texts. text holds kSceauMD5Texte bytes.
void CvtSceauMD5ToStr(const SceauMD5 *seal, char *text);
