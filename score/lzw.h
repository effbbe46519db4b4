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
    kLzwHachage = 8192,       // slots of the coder's table (half full at most)
    kLzwSortieCodeur = 4096,  // bytes the coder gathers before handing them on
};

// Where the coder's bytes go: write answers false when they could not all be written.
struct LzwSortie {
    Boolean (*write)(void *context, const UInt8 *bytes, size_t count);
    void *context;
};

struct LzwCodeur {
    UInt32 keys[kLzwHachage];      // (prefix << 8 | byte) of the slot
    UInt32 stamps[kLzwHachage];    // a slot is in use when its stamp is the generation
    UInt16 codes[kLzwHachage];
    UInt32 generation;             // raised at every clear, so the table is not wiped
    SInt32 prefix;                 // the string matched so far, -1 none
    UInt32 next;                   // the code the dictionary gives next
    UInt32 emitted;                // codes written since the last clear (their width follows)
    UInt32 bits;                   // bits waiting in accumulator, fewer than 8 between codes
    UInt32 accumulator;
    size_t pending;                // bytes of out not yet handed on
    UInt8 out[kLzwSortieCodeur];
    LzwSortie sink;
    Boolean failed;                // the sink refused bytes
};

enum LzwEtat : UInt8 { kLzwEnCours, kLzwTermine, kLzwCodeInvalide, kLzwFinManquante };

// Where the decoder's bytes come from: in is read through; refill makes more bytes available
// in it and answers false at the end of the input (refill may be null: in is all there is).
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
// Decodes into out (room bytes, at least kLzwChaineMax) until it is nearly full or the segment
// ends; answers the bytes written. state tells why it stopped: kLzwTermine after the end code
// (the rest of its byte is passed over), kLzwCodeInvalide for a code beyond the dictionary,
// kLzwFinManquante when the input ended first. Nothing more is decoded after either.
size_t DecodeLzw(LzwDecodeur *decoder, LzwEntree *input, UInt8 *out, size_t room);
