// ctest-labels: layers
// Random read sequences over a random buffer: the first byte says how many of the next bytes
// are the buffer (held in a block of exactly that size, so that a read outside it faults
// under the sanitizers), the rest are operations. Each read is checked against a plain model
// of the cursor: the values, the position, and a failure that never clears.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/core/byte_reader.h"

namespace {

struct Model {
    const uint8_t *bytes;
    size_t size, position;
    bool failed;
    // Moves past count bytes: false (and failed, at the end) when fewer remain.
    bool Advance(size_t count) {
        if (count > size - position) {
            failed = true;
            position = size;
            return false;
        }
        position += count;
        return true;
    }
    // The big-endian (or little-endian) value of the next width (1..4) bytes; 0 past the end.
    uint32_t Take(size_t width, bool little) {
        const uint8_t *at = bytes + position;
        if (!Advance(width)) return 0;
        uint32_t v = 0;
        for (size_t i = 0; i < width; i++) v |= uint32_t(at[i]) << (8 * (little ? i : width - 1 - i));
        return v;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 1) return 0;
    size_t length = data[0] < size - 1 ? data[0] : size - 1;
    std::vector<uint8_t> buffer(data + 1, data + 1 + length);
    buffer.shrink_to_fit();
    ByteReader r = OrvaByteReader(buffer.data(), buffer.size());
    Model m = {buffer.data(), buffer.size(), 0, false};
    for (size_t at = 1 + length; at < size; at++) {
        uint8_t op = data[at];
        uint32_t got = 0, want = 0;
        switch (op % 9) {
            case 0: got = Get8(&r), want = m.Take(1, false); break;
            case 1: got = Get16(&r), want = m.Take(2, false); break;
            case 2: got = Get24(&r), want = m.Take(3, false); break;
            case 3: got = Get32(&r), want = m.Take(4, false); break;
            case 4: got = Get16LE(&r), want = m.Take(2, true); break;
            case 5: got = Get32LE(&r), want = m.Take(4, true); break;
            case 6:
                Skip(&r, op / 9);
                m.Advance(op / 9);
                break;
            case 7: {
                uint8_t out[32];
                size_t count = (op / 9) % sizeof out;
                bool ok = Bytes(&r, out, count);
                bool fits = count <= m.size - m.position;
                if (ok != fits || (fits && count && std::memcmp(out, m.bytes + m.position, count) != 0)) __builtin_trap();
                m.Advance(count);
                break;
            }
            default: {
                size_t to = op / 9;
                Seek(&r, to);
                if (to > m.size) m.failed = true, to = m.size;
                m.position = to;
                break;
            }
        }
        if (got != want || r.position != m.position || bool(r.failed) != m.failed || r.position > r.size) __builtin_trap();
    }
    return 0;
}
