// ctest-labels: resources
// Bytes as a packed -lh5- stream: the first three give the unpacked size (below 1 MiB), the
// rest is the stream, decoded memory to memory and, for small sizes, into a stream.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/core/lzh_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 3) return 0;
    long unpacked = long(((data[0] << 16) | (data[1] << 8) | data[2]) & 0xFFFFF);
    std::vector<unsigned char> out(size_t(unpacked) + 1, 0xA5);
    long n = DecodeAR(nullptr, data + 3, long(size - 3), nullptr, out.data(), unpacked);
    if (n != -1 && n != unpacked) __builtin_trap();
    if (out[size_t(unpacked)] != 0xA5) __builtin_trap();  // wrote past the end
    if (unpacked <= 65536) {
        FILE *sink = tmpfile();
        if (sink) {
            long m = DecodeAR(nullptr, data + 3, long(size - 3), sink, nullptr, unpacked);
            if (m != n) __builtin_trap();
            fclose(sink);
        }
    }
    return 0;
}
