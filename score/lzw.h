// The LZW codec of the byte stream (docs/lzw.md): 9- to 12-bit codes, most significant bit
// first; 256 clears the dictionary, 257 ends a segment, which is then padded to a byte. The coder
// and the decoder are records the caller owns; any thread, one record per user.
#pragma once

#include <cstddef>

#include "platform/core/byte_reader.h"

enum : UInt32 {
    kLzwEfface = 256,         // clears the dictionary
    kLzwFin = 257,            // ends the segment
    kLzwPremierCode = 258,    // the first code the dictionary gives
    kLzwCodes = 4096,         // 12-bit codes
    kLzwLargeurMin = 9,
    kLzwLargeurMax = 12,
    kLzwChaineMax = kLzwCodes - kLzwPremierCode + 1,  // longest string a code stands for
    kLzwHachage = 32768,      // slots of the coder's table (an eighth full at most)
    kLzwSortieCodeur = 4096,  // bytes the coder gathers before handing them on
    kLzwSortieMin = kLzwChaineMax + 8,  // room a decoding call needs (strings are copied by words)
};

// Where the coder's bytes go: write answers false when they could not all be written.
struct LzwSortie {
    Boolean (*write)(void *context, const UInt8 *bytes, size_t count);
    void *context;
};

struct LzwCodeur {
    // A slot holds (prefix << 8 | byte) << 12 | code, or all ones when free: the code 4095 is
    // never a prefix, so no entry is all ones. A clear frees the slots filled since the last one.
    UInt32 slots[kLzwHachage];
    UInt16 filled[kLzwCodes];      // the slots filled since the last clear
    UInt32 filledCount;
    SInt32 prefix;                 // the string matched so far, -1 none
    UInt32 next;                   // the code the dictionary gives next
    UInt32 emitted;                // codes written since the last clear (their width follows)
    UInt32 width;                  // bits of the next code
    UInt32 widens;                 // emitted count at which width grows
    UInt32 bits;                   // bits waiting in accumulator, fewer than 32 between codes
    UInt64 accumulator;
    size_t pending;                // bytes of out not yet handed on
    UInt8 out[kLzwSortieCodeur];
    LzwSortie sink;
    Boolean failed;                // the sink refused bytes
};

enum LzwEtat : UInt8 { kLzwEnCours, kLzwTermine, kLzwCodeInvalide, kLzwFinManquante };

struct LzwEntree {
    ByteReader *in;
    Boolean (*refill)(void *context);
    void *context;
};

struct LzwDecodeur {
    UInt16 prefixes[kLzwCodes];
    UInt16 lengths[kLzwCodes];
    UInt8 suffixes[kLzwCodes];
    UInt8 firsts[kLzwCodes];
    // Where a code's string was last written in the output of the call stamped call, so that
    // it is copied from there rather than walked back through its prefixes.
    UInt32 places[kLzwCodes];
    UInt32 stamps[kLzwCodes];
    UInt32 call;
    UInt32 previousPlace;   // where the last code's string was written (in the call stamped previousStamp)
    UInt32 previousStamp;
    UInt32 next;       // the entry the next code adds
    UInt32 read;       // codes read since the last clear
    SInt32 previous;   // the last code decoded, -1 after a clear
    UInt32 bits;
    UInt32 accumulator;
    UInt32 clears;     // clear codes met in the segment (a measure for tests and benchmarks)
    LzwEtat state;
};

void InitCodeurLzw(LzwCodeur *coder, LzwSortie sink);   // a fresh segment
Boolean CodeLzw(LzwCodeur *coder, const void *bytes, size_t count);  // false once the sink failed
// Writes the last code, the end code and the padding, and hands every byte on. The coder then
// starts a fresh segment. False when the sink failed at any time in the segment.
Boolean TermineCodeurLzw(LzwCodeur *coder);

void InitDecodeurLzw(LzwDecodeur *decoder);   // a fresh segment
// Decodes into out (room bytes, at least kLzwSortieMin) until it is nearly full or the segment
// ends; answers the bytes written. state tells why it stopped: kLzwTermine after the end code
// (the rest of its byte is passed over), kLzwCodeInvalide for a code beyond the dictionary,
// kLzwFinManquante when the input ended first. Nothing more is decoded after either.
size_t DecodeLzw(LzwDecodeur *decoder, LzwEntree *input, UInt8 *out, size_t room);
