// MD5 over a block of memory, the 64-byte blocks read through the byte cursor.
#include "score/md5_seal.h"

#include <cstdio>
#include <cstring>

#include "platform/core/byte_reader.h"

namespace {

const SInt32 kBloc = 64;

// Per-step shifts and the sines' integer parts of the four rounds.
const UInt8 kDecalages[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                              5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                              4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                              6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
const UInt32 kSinus[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

void TraiteBloc(UInt32 state[4], const UInt8 *block);
void EcritMotLE(UInt8 *out, UInt32 value);

}  // namespace

void CalculeSceauCompletMD5(const void *bytes, SInt32 length, SceauMD5 *seal) {
    if (!seal) return;
    if (length < 0 || !bytes) length = 0;
    UInt32 state[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
    const UInt8 *in = static_cast<const UInt8 *>(bytes);
    SInt32 whole = length / kBloc * kBloc;
    for (SInt32 at = 0; at < whole; at += kBloc) TraiteBloc(state, in + at);
    // The tail, the 0x80 mark, zeros and the bit count (little-endian) fill one or two blocks.
    UInt8 tail[2 * kBloc] = {};
    SInt32 rest = length - whole;
    if (rest > 0) memcpy(tail, in + whole, size_t(rest));
    tail[rest] = 0x80;
    SInt32 blocks = rest < kBloc - 8 ? 1 : 2;
    UInt64 bitCount = UInt64(UInt32(length)) * 8;
    EcritMotLE(tail + blocks * kBloc - 8, UInt32(bitCount));
    EcritMotLE(tail + blocks * kBloc - 4, UInt32(bitCount >> 32));
    for (SInt32 b = 0; b < blocks; b++) TraiteBloc(state, tail + b * kBloc);
    for (SInt32 w = 0; w < 4; w++) EcritMotLE(seal->bytes + 4 * w, state[w]);
}

SInt16 CmpMD5(const SceauMD5 *a, const SceauMD5 *b) {
    return a && b && memcmp(a->bytes, b->bytes, kSceauMD5Octets) == 0 ? 1 : 0;
}

void CvtSceauMD5ToStr(const SceauMD5 *seal, char *text) {
    if (!text) return;
    text[0] = 0;
    if (!seal) return;
    ByteReader r = OrvaByteReader(seal->bytes, kSceauMD5Octets);
    for (SInt32 w = 0; w < 4; w++) snprintf(text + 8 * w, 9, "%08x", unsigned(Get32LE(&r)));
}

namespace {

UInt32 Rotation(UInt32 x, UInt32 n) { return x << n | x >> (32 - n); }

// One step of a round: f is the round's mixing of b, c and d.
inline void Etape(UInt32 &a, UInt32 &b, UInt32 &c, UInt32 &d, UInt32 f, UInt32 word, SInt32 i) {
    UInt32 rotated = Rotation(a + f + kSinus[i] + word, kDecalages[i]);
    a = d;
    d = c;
    c = b;
    b += rotated;
}

// The four rounds, each its own loop so that the compiler unrolls them without branches.
void TraiteBloc(UInt32 state[4], const UInt8 *block) {
    UInt32 w[16];
    ByteReader r = OrvaByteReader(block, kBloc);
    for (UInt32 &word : w) word = Get32LE(&r);
    UInt32 a = state[0], b = state[1], c = state[2], d = state[3];
    for (SInt32 i = 0; i < 16; i++) Etape(a, b, c, d, (b & c) | (~b & d), w[i], i);
    for (SInt32 i = 16; i < 32; i++) Etape(a, b, c, d, (d & b) | (~d & c), w[(5 * i + 1) & 15], i);
    for (SInt32 i = 32; i < 48; i++) Etape(a, b, c, d, b ^ c ^ d, w[(3 * i + 5) & 15], i);
    for (SInt32 i = 48; i < 64; i++) Etape(a, b, c, d, c ^ (b | ~d), w[(7 * i) & 15], i);
    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

void EcritMotLE(UInt8 *out, UInt32 value) {
    for (SInt32 i = 0; i < 4; i++) out[i] = UInt8(value >> (8 * i));
}

}  // namespace
