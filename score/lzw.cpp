// The LZW coder and decoder. Both sides count the codes since the last clear: code i is written
// with the fewest bits (9 to 12) that hold 257 + i, which is above any code the dictionary can
// hold at that point, so the widths agree without the decoder knowing the coder's table.
#include "score/lzw.h"

#include <cstring>

namespace {

const UInt32 kBitsCode = 12;
const UInt32 kCaseLibre = 0xFFFFFFFF;
const UInt32 kMasqueCle = ~UInt32(kLzwCodes - 1);

// Each byte's search waits for the previous one's code, so the slot is the code plus an offset
// of the byte, which the processor adds while it addresses the table: the offsets (below
// kLzwHachage - kLzwCodes, so no slot passes the end) scatter the children of a string.
struct DecalagesOctets {
    UInt32 of[256];
    constexpr DecalagesOctets() : of() {
        for (UInt32 c = 0; c < 256; c++) of[c] = UInt32((UInt64((c + 1) * 2654435761u) * (kLzwHachage - kLzwCodes)) >> 32);
    }
};
constexpr DecalagesOctets kDecalagesOctets;

UInt32 LargeurCode(UInt32 index);
void EcritCode(LzwCodeur *coder, UInt32 code);
void VideSortie(LzwCodeur *coder);
void EffaceCodeur(LzwCodeur *coder);
SInt32 LitCode(LzwDecodeur *decoder, LzwEntree *input);
void EffaceDecodeur(LzwDecodeur *decoder);
UInt32 ParcourtChaine(const LzwDecodeur *decoder, UInt32 code, UInt8 *out);
void CopieMots(UInt8 *to, const UInt8 *from, UInt32 length);

}  // namespace

void InitCodeurLzw(LzwCodeur *coder, LzwSortie sink) {
    memset(coder->slots, 0xFF, sizeof coder->slots);
    coder->filledCount = 0;
    coder->sink = sink;
    coder->pending = 0;
    coder->failed = kFalse;
    coder->bits = 0;
    coder->accumulator = 0;
    coder->prefix = -1;
    EffaceCodeur(coder);
}

Boolean CodeLzw(LzwCodeur *coder, const void *bytes, size_t count) {
    const UInt8 *in = static_cast<const UInt8 *>(bytes);
    const UInt8 *end = in + count;
    SInt32 prefix = coder->prefix;
    if (prefix < 0 && in < end) prefix = *in++;
    while (in < end) {
        UInt32 c = *in++;
        UInt32 tag = (UInt32(prefix) << 8 | c) << kBitsCode;
        UInt32 slot = UInt32(prefix) + kDecalagesOctets.of[c];
        UInt32 held;
        while (((held = coder->slots[slot]) & kMasqueCle) != tag && held != kCaseLibre)
            slot = (slot + 1) & (kLzwHachage - 1);
        if (held != kCaseLibre) {
            prefix = SInt32(held & (kLzwCodes - 1));
            continue;
        }
        EcritCode(coder, UInt32(prefix));
        coder->filled[coder->filledCount++] = UInt16(slot);
        coder->slots[slot] = tag | coder->next++;
        // A full dictionary starts again at once: the last code it gave is never written.
        if (coder->next == kLzwCodes) {
            EcritCode(coder, kLzwEfface);
            EffaceCodeur(coder);
        }
        prefix = SInt32(c);
    }
    coder->prefix = prefix;
    return !coder->failed;
}

Boolean TermineCodeurLzw(LzwCodeur *coder) {
    if (coder->prefix >= 0) EcritCode(coder, UInt32(coder->prefix));
    EcritCode(coder, kLzwFin);
    while (coder->bits >= 8) {
        coder->bits -= 8;
        coder->out[coder->pending++] = UInt8(coder->accumulator >> coder->bits);
    }
    if (coder->bits > 0) coder->out[coder->pending++] = UInt8(coder->accumulator << (8 - coder->bits));
    coder->bits = 0;
    coder->accumulator = 0;
    VideSortie(coder);
    Boolean ok = !coder->failed;
    EffaceCodeur(coder);
    coder->prefix = -1;
    coder->failed = kFalse;
    return ok;
}

void InitDecodeurLzw(LzwDecodeur *decoder) {
    for (UInt32 c = 0; c < 256; c++) {
        decoder->lengths[c] = 1;
        decoder->firsts[c] = UInt8(c);
        decoder->suffixes[c] = UInt8(c);
        decoder->prefixes[c] = 0;
    }
    memset(decoder->stamps, 0, sizeof decoder->stamps);
    decoder->call = 0;
    decoder->previousStamp = 0;
    decoder->bits = 0;
    decoder->accumulator = 0;
    decoder->clears = 0;
    decoder->state = kLzwEnCours;
    EffaceDecodeur(decoder);
}

size_t DecodeLzw(LzwDecodeur *decoder, LzwEntree *input, UInt8 *out, size_t room) {
    if (++decoder->call == 0) {
        memset(decoder->stamps, 0, sizeof decoder->stamps);
        decoder->previousStamp = 0;
        decoder->call = 1;
    }
    const UInt32 call = decoder->call;
    size_t n = 0;
    while (decoder->state == kLzwEnCours && room >= n + kLzwSortieMin) {
        SInt32 read = LitCode(decoder, input);
        if (read < 0) {
            decoder->state = kLzwFinManquante;
            break;
        }
        UInt32 code = UInt32(read);
        if (code == kLzwEfface) {
            decoder->clears++;
            EffaceDecodeur(decoder);
            continue;
        }
        if (code == kLzwFin) {
            decoder->state = kLzwTermine;
            decoder->bits = 0;  // the padding of the last byte
            decoder->accumulator = 0;
            break;
        }
        SInt32 previous = decoder->previous;
        UInt32 next = decoder->next;
        Boolean repeat = previous >= 0 && code == next && next < kLzwCodes;
        if ((previous < 0 && code >= 256) || (previous >= 0 && code >= next && !repeat)) {
            decoder->state = kLzwCodeInvalide;
            break;
        }
        // A code names its previous string and one byte: the string is copied from where it was
        // last written in this call's output, else walked back through its prefixes.
        UInt32 source = repeat ? UInt32(previous) : code;
        UInt32 length = decoder->lengths[source];
        if (source < 256) out[n] = UInt8(source);
        else if (decoder->stamps[source] == call) CopieMots(out + n, out + decoder->places[source], length);
        else ParcourtChaine(decoder, source, out + n);
        if (repeat) out[n + length] = decoder->firsts[previous];
        if (previous >= 0 && next < kLzwCodes) {
            decoder->prefixes[next] = UInt16(previous);
            decoder->suffixes[next] = decoder->firsts[source];
            decoder->lengths[next] = UInt16(decoder->lengths[previous] + 1);
            decoder->firsts[next] = decoder->firsts[previous];
            // The new string is the previous one and the byte that follows it in the output.
            decoder->places[next] = decoder->previousPlace;
            decoder->stamps[next] = decoder->previousStamp;
            decoder->next = next + 1;
        }
        if (code >= 256) {
            decoder->places[code] = UInt32(n);  // the latest place: closer for the copies to come
            decoder->stamps[code] = call;
        }
        decoder->previousPlace = UInt32(n);
        decoder->previousStamp = call;
        decoder->previous = SInt32(code);
        n += repeat ? length + 1 : length;
    }
    return n;
}

namespace {

UInt32 LargeurCode(UInt32 index) {
    UInt32 width = kLzwLargeurMin;
    while (width < kLzwLargeurMax && 257 + index >= (1u << width)) width++;
    return width;
}

// Codes gather in the accumulator and leave it 32 bits at a time, most significant first.
void EcritCode(LzwCodeur *coder, UInt32 code) {
    if (coder->emitted++ == coder->widens && coder->width < kLzwLargeurMax) {
        coder->width++;
        coder->widens = (1u << coder->width) - 257;
    }
    coder->accumulator = coder->accumulator << coder->width | code;
    coder->bits += coder->width;
    if (coder->bits < 32) return;
    coder->bits -= 32;
    UInt32 word = UInt32(coder->accumulator >> coder->bits);
    const UInt8 bytes[4] = {UInt8(word >> 24), UInt8(word >> 16), UInt8(word >> 8), UInt8(word)};
    memcpy(coder->out + coder->pending, bytes, 4);
    coder->pending += 4;
    coder->accumulator &= (UInt64(1) << coder->bits) - 1;
    if (coder->pending > kLzwSortieCodeur - 8) VideSortie(coder);
}

void VideSortie(LzwCodeur *coder) {
    if (coder->pending == 0) return;
    if (!coder->failed && (!coder->sink.write || !coder->sink.write(coder->sink.context, coder->out, coder->pending)))
        coder->failed = kTrue;
    coder->pending = 0;
}

void EffaceCodeur(LzwCodeur *coder) {
    coder->next = kLzwPremierCode;
    coder->emitted = 0;
    coder->width = kLzwLargeurMin;
    coder->widens = (1u << kLzwLargeurMin) - 257;
    for (UInt32 i = 0; i < coder->filledCount; i++) coder->slots[coder->filled[i]] = kCaseLibre;
    coder->filledCount = 0;
}

// The next code, or -1 when the input ends within it.
SInt32 LitCode(LzwDecodeur *decoder, LzwEntree *input) {
    UInt32 width = LargeurCode(decoder->read);
    while (decoder->bits < width) {
        if (ByteReaderLeft(input->in) == 0 && !(input->refill && input->refill(input->context) &&
                                                ByteReaderLeft(input->in) > 0))
            return -1;
        decoder->accumulator = decoder->accumulator << 8 | Get8(input->in);
        decoder->bits += 8;
    }
    decoder->bits -= width;
    UInt32 code = (decoder->accumulator >> decoder->bits) & ((1u << width) - 1);
    decoder->accumulator &= (1u << decoder->bits) - 1;
    decoder->read++;
    return SInt32(code);
}

void EffaceDecodeur(LzwDecodeur *decoder) {
    decoder->next = kLzwPremierCode;
    decoder->read = 0;
    decoder->previous = -1;
}

// Writes the string of code from its last byte backwards; answers its length.
UInt32 ParcourtChaine(const LzwDecodeur *decoder, UInt32 code, UInt8 *out) {
    UInt32 length = decoder->lengths[code];
    UInt8 *p = out + length;
    while (code >= 256) {
        *--p = decoder->suffixes[code];
        code = decoder->prefixes[code];
    }
    *--p = UInt8(code);
    return length;
}

// Copies by 8-byte words: the string lies wholly before to, and up to 7 bytes past its end may
// be written (the room a call keeps, kLzwSortieMin, allows it).
void CopieMots(UInt8 *to, const UInt8 *from, UInt32 length) {
    for (UInt32 i = 0; i < length; i += 8) memcpy(to + i, from + i, 8);
}

}  // namespace
