// ctest-labels: encodings-files
// Any bytes inflated as zlib data, with a small work buffer so that streams take many passes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/core/compressed_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static FILE *sink = fopen("/dev/null", "wb");
    if (sink == nullptr || size > 1 << 20) return 0;
    char work[512];
    SInt32 workSize = sizeof work;
    ZDecompress(sink, work, &workSize, data, SInt32(size));
    if (workSize != SInt32(sizeof work)) abort();
    return 0;
}
