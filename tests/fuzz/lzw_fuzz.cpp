// ctest-labels: score-storage
// Bytes as an LZW segment and as data to code. Decoding any bytes stays within its buffer and
// stops; coding any data decodes back to it, in memory and through the byte stream with coding
// switched off and on again in the middle.
// Seeded with coded text, random bytes and their segments.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.h"
#include "score/byte_stream.h"
#include "score/lzw.h"
#include "score/score_hooks.h"

namespace {

enum : size_t { kMaxInput = 1 << 20 };

void Check(bool ok) {
    if (!ok) abort();
}


Boolean Append(void *context, const UInt8 *bytes, size_t count) {
    static_cast<std::string *>(context)->append(reinterpret_cast<const char *>(bytes), count);
    return kTrue;
}

// Decodes a whole segment from memory; answers the bytes and the final state.
std::string Decode(const std::string &coded, LzwEtat *state) {
    static LzwDecodeur decoder;
    static UInt8 out[4 * kLzwChaineMax];
    ByteReader in = OrvaByteReader(coded.data(), coded.size());
    LzwEntree input = {&in, nullptr, nullptr};
    InitDecodeurLzw(&decoder);
    std::string bytes;
    for (;;) {
        size_t n = DecodeLzw(&decoder, &input, out, sizeof out);
        Check(n <= sizeof out);
        bytes.append(reinterpret_cast<const char *>(out), n);
        if (n == 0 && decoder.state != kLzwEnCours) break;
        Check(bytes.size() <= 4096 * coded.size() + 8);  // a code never stands for more than its dictionary
    }
    *state = decoder.state;
    return bytes;
}

// Writes data as a coded segment, a plain part and a second segment, and reads it back.
void ThroughTheStream(const std::string &data) {
    size_t half = data.size() / 2;
    char *file = nullptr;
    size_t fileSize = 0;
    FixeFichierCourant(open_memstream(&file, &fileSize), kTrue, "fuzz.lzw");
    SetLZWMode(kTrue);
    WriteBlock(data.data(), SInt32(half));
    SetLZWMode(kFalse);
    WriteLong(SInt32(data.size()));
    SetLZWMode(kTrue);
    WriteBlock(data.data() + half, SInt32(data.size() - half));
    Check(CloseFile());
    FILE *in = fmemopen(file, fileSize, "rb");
    Check(in != nullptr);
    FixeFichierCourant(in, kFalse, "fuzz.lzw");
    std::string back(data.size(), 0);
    SetLZWMode(kTrue);
    Check(ReadBlock(&back[0], SInt32(half)));
    SetLZWMode(kFalse);
    Check(ReadLong() == SInt32(data.size()));
    SetLZWMode(kTrue);
    Check(ReadBlock(&back[half], SInt32(data.size() - half)) && ReadCar() == -1);
    SetLZWMode(kFalse);
    Check(!gFluxOctets.broken);
    CloseFile();
    free(file);
    Check(back == data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = [] {
        FuzzFolder();
        FuzzQuietMessages();
        return true;
    }();
    (void)quiet;
    if (size > kMaxInput) return 0;
    std::string bytes(reinterpret_cast<const char *>(data), size);
    LzwEtat state;
    Decode(bytes, &state);

    static LzwCodeur coder;
    std::string coded;
    InitCodeurLzw(&coder, LzwSortie{Append, &coded});
    Check(CodeLzw(&coder, bytes.data(), bytes.size()) && TermineCodeurLzw(&coder));
    Check(Decode(coded, &state) == bytes && state == kLzwTermine);
    ThroughTheStream(bytes);
    return 0;
}
