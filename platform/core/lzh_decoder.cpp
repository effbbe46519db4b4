// The -lh5- decoder: bit input, canonical code tables with overflow trees, blocks, and the
// window-sized output loop. All state lives in one record per call.
#include "platform/core/lzh_decoder.h"

#include <cstring>

#include "platform/core/mac_types.h"

namespace {

enum : int {
    kDicBits = 13,
    kDicSize = 1 << kDicBits,  // the window, also the output chunk
    kMaxMatch = 256,
    kThreshold = 3,                                 // shortest match
    kNC = 255 + kMaxMatch + 2 - kThreshold,         // 510 literal/length symbols
    kCBits = 9,                                     // literal/length count field
    kNT = 16 + 3,                                   // 19 code-length symbols
    kTBits = 5,
    kNP = kDicBits + 1,                             // 14 distance classes
    kPBits = 4,
    kNPT = kNT,                                     // room for the larger of kNT and kNP
    kCTableBits = 12,
    kPTableBits = 8,
    kMaxCodeLength = 16,
    kTreeSize = 2 * kNC - 1,                        // 1019 tree nodes
    kSourceBufferSize = 4096,
};

// Where packed bytes come from: a caller's buffer, or a stream read through srcBuffer.
struct LzhSource {
    FILE *file;                  // null: memory
    const UInt8 *next;           // next unread byte
    const UInt8 *end;            // end of the bytes at hand
    long left;                   // packed bytes not yet brought to hand (stream only)
    UInt8 buffer[kSourceBufferSize];
};

// Where unpacked bytes go: a caller's buffer or a stream.
struct LzhSink {
    FILE *file;                  // null: memory
    UInt8 *bytes;                // memory sink
    long written;                // bytes written so far
    long limit;                  // bytes allowed in all
};

// The whole decoder state; one per decode, so several decodes may run at once.
struct LzhDecoderRecord {
    LzhSource source;
    LzhSink sink;
    UInt64 bitbuf;               // unread bits, most significant first, left-aligned
    int bitcount;                // valid bits in bitbuf
    Boolean bad;                 // a code table was invalid: the stream is refused
    UInt32 blocksize;            // symbols left in the current block
    UInt32 pending;              // bytes of a match still to copy into the next chunk
    UInt32 copyPosition;         // window index the pending match copies from
    UInt8 cLen[kNC];
    UInt8 ptLen[kNPT];
    UInt16 cTable[1 << kCTableBits];
    UInt16 ptTable[1 << kPTableBits];
    UInt16 left[kTreeSize];
    UInt16 right[kTreeSize];
    UInt8 window[kDicSize];      // the output chunk and the dictionary; starts zeroed
};

void HufPrepareFiles(LzhDecoderRecord *d, FILE *srcFile, const void *srcBytes, long packed,
                     FILE *dstFile, void *dstBytes, long unpacked);
void decode_start(LzhDecoderRecord *d);
void decode(LzhDecoderRecord *d, UInt32 count);
long writefile(LzhDecoderRecord *d, const UInt8 *bytes, long count);
int getcar(LzhSource *s);
void fillbuf(LzhDecoderRecord *d);
UInt32 zipgetbits(LzhDecoderRecord *d, int n);
UInt32 peekbits(LzhDecoderRecord *d, int n);
void dropbits(LzhDecoderRecord *d, int n);
Boolean make_table(LzhDecoderRecord *d, int nchar, const UInt8 *bitlen, int tablebits,
                   UInt16 *table);
void read_pt_len(LzhDecoderRecord *d, int nn, int nbit, int iSpecial);
void read_c_len(LzhDecoderRecord *d);
UInt32 walk_tree(LzhDecoderRecord *d, UInt32 node, int limit, int tablebits);
UInt32 decode_c(LzhDecoderRecord *d);
UInt32 decode_p(LzhDecoderRecord *d);

}  // namespace

long DecodeAR(FILE *srcFile, const void *srcBytes, long packed, FILE *dstFile, void *dstBytes,
              long unpacked) {
    if (unpacked <= 0) return 0;
    if ((!srcFile && !srcBytes && packed > 0) || (!dstFile && !dstBytes)) return -1;
    LzhDecoderRecord record{};  // about 21 KB, zeroed: the window starts as zeros
    LzhDecoderRecord *d = &record;
    HufPrepareFiles(d, srcFile, srcBytes, packed, dstFile, dstBytes, unpacked);
    decode_start(d);
    while (!d->bad && d->sink.written < d->sink.limit) {
        long remaining = d->sink.limit - d->sink.written;
        UInt32 count = remaining < kDicSize ? UInt32(remaining) : UInt32(kDicSize);
        decode(d, count);
        if (d->bad) break;
        if (writefile(d, d->window, count) != long(count)) break;  // the stream refused bytes
    }
    return d->bad ? -1 : d->sink.written;
}

namespace {

void HufPrepareFiles(LzhDecoderRecord *d, FILE *srcFile, const void *srcBytes, long packed,
                     FILE *dstFile, void *dstBytes, long unpacked) {
    if (packed < 0) packed = 0;
    d->source.file = srcFile;
    if (srcFile) {
        d->source.next = d->source.end = d->source.buffer;
        d->source.left = packed;
    } else {
        d->source.next = static_cast<const UInt8 *>(srcBytes);
        d->source.end = d->source.next + packed;
        d->source.left = 0;
    }
    d->sink.file = dstFile;
    d->sink.bytes = static_cast<UInt8 *>(dstBytes);
    d->sink.written = 0;
    d->sink.limit = unpacked;
}

void decode_start(LzhDecoderRecord *d) {
    d->bitbuf = 0;
    d->bitcount = 0;
    fillbuf(d);
    d->blocksize = 0;
    d->pending = 0;
    d->copyPosition = 0;
    d->bad = 0;
}

// Fills window[0..count) from the stream. Every call but the last fills the whole window, so
// the previous chunk is still there for matches that reach back into it.
void decode(LzhDecoderRecord *d, UInt32 count) {
    UInt8 *window = d->window;
    UInt32 r = 0;
    UInt32 i = d->copyPosition;
    for (;;) {
        while (d->pending > 0) {
            if (r == count) {
                d->copyPosition = i;
                return;
            }
            window[r++] = window[i];
            i = (i + 1) & (kDicSize - 1);
            d->pending--;
        }
        if (r == count) break;
        UInt32 c = decode_c(d);
        if (d->bad) return;
        if (c <= 255) {
            window[r++] = UInt8(c);
            continue;
        }
        d->pending = c - (256 - kThreshold);
        UInt32 distance = decode_p(d);
        if (d->bad) return;
        i = (r - distance - 1) & (kDicSize - 1);
    }
    d->copyPosition = i;
}

long writefile(LzhDecoderRecord *d, const UInt8 *bytes, long count) {
    LzhSink *s = &d->sink;
    long allowed = s->limit - s->written;
    if (count > allowed) count = allowed;
    if (count <= 0) return 0;
    long done;
    if (s->file) {
        done = long(fwrite(bytes, 1, size_t(count), s->file));
    } else {
        memcpy(s->bytes + s->written, bytes, size_t(count));
        done = count;
    }
    s->written += done;
    return done;
}

// One packed byte, or -1 past the packed size (or at a read error of the stream).
int getcar(LzhSource *s) {
    if (s->next < s->end) return *s->next++;
    if (!s->file || s->left <= 0) return -1;
    size_t want = s->left < kSourceBufferSize ? size_t(s->left) : size_t(kSourceBufferSize);
    size_t got = fread(s->buffer, 1, want, s->file);
    if (got == 0) {
        s->left = 0;
        return -1;
    }
    s->left -= long(got);
    s->next = s->buffer;
    s->end = s->buffer + got;
    return *s->next++;
}

// Tops the bit buffer up to at least 57 bits; bytes past the source read as zeros.
void fillbuf(LzhDecoderRecord *d) {
    while (d->bitcount <= 56) {
        int c = getcar(&d->source);
        if (c < 0) c = 0;
        d->bitbuf |= UInt64(c) << (56 - d->bitcount);
        d->bitcount += 8;
    }
}

UInt32 peekbits(LzhDecoderRecord *d, int n) { return n == 0 ? 0 : UInt32(d->bitbuf >> (64 - n)); }

void dropbits(LzhDecoderRecord *d, int n) {
    d->bitbuf <<= n;
    d->bitcount -= n;
    if (d->bitcount < 32) fillbuf(d);
}

// The next n bits (n <= 16), most significant first; 0 for n = 0.
UInt32 zipgetbits(LzhDecoderRecord *d, int n) {
    UInt32 x = peekbits(d, n);
    dropbits(d, n);
    return x;
}

// Builds the decoding table of a canonical code: codes by increasing length, then symbol.
// Codes up to tablebits long fill every entry they prefix; longer ones go on in the tree,
// one node per further bit. The lengths must fill the code space exactly (or all be 0, which
// leaves every entry at symbol 0); anything else is a bad table.
Boolean make_table(LzhDecoderRecord *d, int nchar, const UInt8 *bitlen, int tablebits,
                   UInt16 *table) {
    UInt32 count[kMaxCodeLength + 1] = {};
    UInt32 start[kMaxCodeLength + 2];
    UInt32 weight[kMaxCodeLength + 1];
    for (int i = 0; i < nchar; i++) {
        if (bitlen[i] > kMaxCodeLength) return 0;
        count[bitlen[i]]++;
    }
    start[1] = 0;
    for (int i = 1; i <= kMaxCodeLength; i++) start[i + 1] = start[i] + (count[i] << (16 - i));
    // Counted in 32 bits so that an over-full set cannot wrap round to look complete.
    if (start[kMaxCodeLength + 1] != (1u << 16) && start[kMaxCodeLength + 1] != 0) return 0;

    int jutbits = 16 - tablebits;
    for (int i = 1; i <= tablebits; i++) {
        start[i] >>= jutbits;
        weight[i] = 1u << (tablebits - i);
    }
    for (int i = tablebits + 1; i <= kMaxCodeLength; i++) weight[i] = 1u << (16 - i);
    UInt32 tableSize = 1u << tablebits;
    UInt32 firstFree = start[tablebits + 1] >> jutbits;
    if (start[kMaxCodeLength + 1] == 0) firstFree = 0;
    for (UInt32 i = firstFree; i < tableSize; i++) table[i] = 0;

    UInt32 avail = UInt32(nchar);
    UInt32 mask = 1u << (15 - tablebits);
    for (int ch = 0; ch < nchar; ch++) {
        int len = bitlen[ch];
        if (len == 0) continue;
        UInt32 nextcode = start[len] + weight[len];
        if (len <= tablebits) {
            for (UInt32 i = start[len]; i < nextcode; i++) table[i] = UInt16(ch);
        } else {
            UInt32 k = start[len];
            UInt16 *p = &table[k >> jutbits];
            for (int i = len - tablebits; i > 0; i--) {
                if (*p == 0) {
                    if (avail >= UInt32(kTreeSize)) return 0;
                    d->right[avail] = d->left[avail] = 0;
                    *p = UInt16(avail++);
                }
                p = (k & mask) ? &d->right[*p] : &d->left[*p];
                k <<= 1;
            }
            *p = UInt16(ch);
        }
        start[len] = nextcode;
    }
    return 1;
}

// Reads the lengths of the code-length code (nn = 19, 5-bit count, zero run after the third
// length) or of the distance code (nn = 14, 4-bit count, no zero run) and builds its table.
void read_pt_len(LzhDecoderRecord *d, int nn, int nbit, int iSpecial) {
    int n = int(zipgetbits(d, nbit));
    if (n > nn) {
        d->bad = 1;
        return;
    }
    if (n == 0) {
        int c = int(zipgetbits(d, nbit));
        if (c >= nn) {
            d->bad = 1;
            return;
        }
        memset(d->ptLen, 0, sizeof d->ptLen);
        for (UInt16 &entry : d->ptTable) entry = UInt16(c);
        return;
    }
    int i = 0;
    while (i < n) {
        int c = int(zipgetbits(d, 3));
        if (c == 7) {
            while (zipgetbits(d, 1)) {
                if (++c > kMaxCodeLength) {
                    d->bad = 1;
                    return;
                }
            }
        }
        d->ptLen[i++] = UInt8(c);
        if (i == iSpecial) {
            int zeros = int(zipgetbits(d, 2));
            if (i + zeros > nn) {
                d->bad = 1;
                return;
            }
            while (zeros-- > 0) d->ptLen[i++] = 0;
        }
    }
    while (i < kNPT) d->ptLen[i++] = 0;
    if (!make_table(d, nn, d->ptLen, kPTableBits, d->ptTable)) d->bad = 1;
}

// Reads the literal/length code lengths through the code-length code and builds its table.
void read_c_len(LzhDecoderRecord *d) {
    int n = int(zipgetbits(d, kCBits));
    if (n > kNC) {
        d->bad = 1;
        return;
    }
    if (n == 0) {
        int c = int(zipgetbits(d, kCBits));
        if (c >= kNC) {
            d->bad = 1;
            return;
        }
        memset(d->cLen, 0, sizeof d->cLen);
        for (UInt16 &entry : d->cTable) entry = UInt16(c);
        return;
    }
    int i = 0;
    while (i < n) {
        UInt32 c = d->ptTable[peekbits(d, kPTableBits)];
        if (c >= UInt32(kNT)) c = walk_tree(d, c, kNT, kPTableBits);
        if (d->bad) return;
        dropbits(d, d->ptLen[c]);
        if (c > 2) {
            d->cLen[i++] = UInt8(c - 2);
            continue;
        }
        int zeros = c == 0 ? 1 : c == 1 ? int(zipgetbits(d, 4)) + 3 : int(zipgetbits(d, kCBits)) + 20;
        if (i + zeros > kNC) {
            d->bad = 1;
            return;
        }
        while (zeros-- > 0) d->cLen[i++] = 0;
    }
    while (i < kNC) d->cLen[i++] = 0;
    if (!make_table(d, kNC, d->cLen, kCTableBits, d->cTable)) d->bad = 1;
}

// Follows the tree from a table entry past the first tablebits bits until a symbol (below
// limit) is reached. A walk that runs out of code bits marks the stream bad.
UInt32 walk_tree(LzhDecoderRecord *d, UInt32 node, int limit, int tablebits) {
    UInt64 mask = UInt64(1) << (63 - tablebits);
    for (int depth = tablebits; node >= UInt32(limit); depth++) {
        if (depth >= kMaxCodeLength || node >= UInt32(kTreeSize)) {
            d->bad = 1;
            return 0;
        }
        node = (d->bitbuf & mask) ? d->right[node] : d->left[node];
        mask >>= 1;
    }
    return node;
}

UInt32 decode_c(LzhDecoderRecord *d) {
    if (d->blocksize == 0) {
        d->blocksize = zipgetbits(d, 16);
        read_pt_len(d, kNT, kTBits, 3);
        if (!d->bad) read_c_len(d);
        if (!d->bad) read_pt_len(d, kNP, kPBits, -1);
        if (d->bad) return 0;
    }
    d->blocksize--;  // a block size of 0 wraps round: the block never ends
    UInt32 j = d->cTable[peekbits(d, kCTableBits)];
    if (j >= UInt32(kNC)) j = walk_tree(d, j, kNC, kCTableBits);
    if (d->bad) return 0;
    dropbits(d, d->cLen[j]);
    return j;
}

// A distance: class 0 is 0, class k is 2^(k-1) plus k-1 further bits.
UInt32 decode_p(LzhDecoderRecord *d) {
    UInt32 j = d->ptTable[peekbits(d, kPTableBits)];
    if (j >= UInt32(kNP)) j = walk_tree(d, j, kNP, kPTableBits);
    if (d->bad) return 0;
    dropbits(d, d->ptLen[j]);
    if (j != 0) j = (1u << (j - 1)) + zipgetbits(d, int(j) - 1);
    return j;
}

}  // namespace
