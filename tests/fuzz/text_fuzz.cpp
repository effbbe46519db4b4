// ctest-labels: encodings-files
// Any bytes through ChangeTextEncoding (the first two bytes choose the source and target
// encodings with their line-end bits), the detector and the UTF-8 stepping.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/core/text_encodings.h"

static void CheckStepping(const uint8_t *text, SInt32 length);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2 || size > 1 << 16) return 0;
    SInt16 from = data[0], to = data[1];
    const uint8_t *text = data + 2;
    SInt32 length = SInt32(size - 2);
    SInt32 count = (from & kEncodingIdMask) >= kEncodingUTF16Swapped ? length / 2 : length;
    SInt32 outCount = -1;
    EncodedStr result = ChangeTextEncoding(text, 0, count, from, to, &outCount);
    if ((result == nullptr) != (outCount == 0) && count > 0) abort();
    if (result != nullptr) {
        // Touch every unit of the result: a wrong count shows as an access outside the buffer.
        SInt32 unitSize = (to & kEncodingIdMask) >= kEncodingUTF16Swapped ? 2 : 1;
        volatile uint8_t sum = 0;
        for (SInt32 i = 0; i < outCount * unitSize; i++) sum = uint8_t(sum + uint8_t(result[i]));
        DisposeEncodedStr(result);
    }
    SInt32 mark = -1;
    SInt16 id = EvalueCharsetBuffer(text, length, &mark);
    if (mark < 0 || mark > 3 || (id & kEncodingIdMask) > kEncodingUTF16) abort();
    CheckStepping(text, length);
    return 0;
}

static void CheckStepping(const uint8_t *text, SInt32 length) {
    for (SInt32 position = 0; position <= length; position++) {
        SInt32 next = UTFNextChar(text, position, length);
        SInt32 previous = UTFPrevChar(text, position, length);
        if (next < 0 || next > length || (position < length && next <= position)) abort();
        if (previous < 0 || (position > 0 && previous >= position)) abort();
    }
}
