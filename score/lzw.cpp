// The LZW coder and decoder. Both sides count the codes since the last clear: code i is written
// with the fewest bits (9 to 12) that hold 257 + i, which is above any code the dictionary can
// hold at that point, so the widths agree without the decoder knowing the coder's table.
#include "score/lzw.h"

#include <cstring>

namespace {

const UInt32 kFacteurHachage = 2654435761u;  // Knuth's multiplicative hash
const UInt32 kBitsHachage = 13;               // log2 kLzwHachage

static_assert(1u << kBitsHachage == kLzwHachage, "the hash keeps 13 bits");

UInt32 LargeurCode(UInt32 index);
void EcritCode(LzwCodeur *coder, UInt32 code);
void VideSortie(LzwCodeur *coder);
void EffaceCodeur(LzwCodeur *coder);
SInt32 LitCode(LzwDecodeur *decoder, LzwEntree *input);
void EffaceDecodeur(LzwDecodeur *decoder);

}  // namespace

void InitCodeurLzw(LzwCodeur *coder, LzwSortie sink) {
    memset(coder->stamps, 0, sizeof coder->stamps);
    coder->generation = 1;
    coder->sink = sink;
    coder->pending = 0;
    coder->failed = kFalse;
    coder->bits = 0;
    coder->accumulator = 0;
    coder->prefix = -1;
    coder->next = kLzwPremierCode;
    coder->emitted = 0;
}

Boolean CodeLzw(LzwCodeur *coder, const void *bytes, size_t count) {
    const UInt8 *in = static_cast<const UInt8 *>(bytes);
    const UInt8 *end = in + count;
    SInt32 prefix = coder->prefix;
    if (prefix < 0 && in < end) prefix = *in++;
    while (in < end) {
        UInt32 c = *in++;
        UInt32 key = UInt32(prefix) << 8 | c;
        UInt32 slot = (key * kFacteurHachage) >> (32 - kBitsHachage);
        Boolean found = kFalse;
        while (coder->stamps[slot] == coder->generation) {
            if (coder->keys[slot] == key) {
                found = kTrue;
                break;
            }
            slot = (slot + 1) & (kLzwHachage - 1);
        }
        if (found) {
            prefix = coder->codes[slot];
            continue;
        }
        EcritCode(coder, UInt32(prefix));
        coder->stamps[slot] = coder->generation;
        coder->keys[slot] = key;
        coder->codes[slot] = UInt16(coder->next++);
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
    if (coder->bits > 0) {
        coder->out[coder->pending++] = UInt8(coder->accumulator << (8 - coder->bits));
        coder->bits = 0;
        coder->accumulator = 0;
    }
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
    decoder->bits = 0;
    decoder->accumulator = 0;
    decoder->clears = 0;
    decoder->state = kLzwEnCours;
    EffaceDecodeur(decoder);
}

size_t DecodeLzw(LzwDecodeur *decoder, LzwEntree *input, UInt8 *out, size_t room) {
    size_t n = 0;
    while (decoder->state == kLzwEnCours && room - n >= kLzwChaineMax) {
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
        // The string a code names ends at its last byte: write it from the end backwards.
        UInt32 walk = repeat ? UInt32(previous) : code;
        UInt32 length = decoder->lengths[walk];
        UInt8 *p = out + n + length;
        while (walk >= 256) {
            *--p = decoder->suffixes[walk];
            walk = decoder->prefixes[walk];
        }
        *--p = UInt8(walk);
        if (repeat) {
            out[n + length] = decoder->firsts[previous];
            length++;
        }
        n += length;
        if (previous >= 0 && next < kLzwCodes) {
            decoder->prefixes[next] = UInt16(previous);
            decoder->suffixes[next] = decoder->firsts[repeat ? UInt32(previous) : code];
            decoder->lengths[next] = UInt16(decoder->lengths[previous] + 1);
            decoder->firsts[next] = decoder->firsts[previous];
            decoder->next = next + 1;
        }
        decoder->previous = SInt32(code);
    }
    return n;
}

namespace {

UInt32 LargeurCode(UInt32 index) {
    UInt32 width = kLzwLargeurMin;
    while (width < kLzwLargeurMax && 257 + index >= (1u << width)) width++;
    return width;
}

void EcritCode(LzwCodeur *coder, UInt32 code) {
    UInt32 width = LargeurCode(coder->emitted++);
    coder->accumulator = coder->accumulator << width | code;
    coder->bits += width;
    while (coder->bits >= 8) {
        coder->bits -= 8;
        coder->out[coder->pending++] = UInt8(coder->accumulator >> coder->bits);
    }
    coder->accumulator &= (1u << coder->bits) - 1;
    if (coder->pending > kLzwSortieCodeur - 4) VideSortie(coder);
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
    if (++coder->generation == 0) {
        memset(coder->stamps, 0, sizeof coder->stamps);
        coder->generation = 1;
    }
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

}  // namespace
