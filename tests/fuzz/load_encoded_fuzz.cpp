// ctest-labels: exte-model
// Random files through LoadEncodedTextFile with the encoding detected (source -1), converted to
// UTF-8 and to UTF-16: the result is null or as long as it says, and never read past.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "graphics/text/utf_text.h"
#include "platform/core/memory.h"
#include "platform/core/text_encodings.h"

enum : size_t { kMaxInput = 1 << 16 };

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > kMaxInput) return 0;
    static const std::string path = FuzzFolder() + "/encoded.txt";
    FuzzWriteFile(path, data, size);
    const SInt16 targets[] = {kEncodingUTF8, kEncodingUTF16, kEncodingMacRoman, SInt16(kEncodingUTF8 | kLineEndCRLF)};
    for (SInt16 target : targets) {
        FILE *f = fopen(path.c_str(), "rb");
        if (!f) abort();
        SInt32 length = -1;
        EncodedStr text = LoadEncodedTextFile(f, -1, target, &length);
        fclose(f);
        if (!text) continue;
        if (length < 0) abort();
        // Every unit of the result is readable; a sanitizer reports any that is not.
        size_t bytes = size_t(length) * ((target & kEncodingIdMask) >= kEncodingUTF16Swapped ? 2 : 1);
        volatile UInt8 sum = 0;
        for (size_t i = 0; i < bytes; i++) sum = UInt8(sum + UInt8(text[i]));
        DisposeEncodedStr(text);
    }
    return 0;
}
