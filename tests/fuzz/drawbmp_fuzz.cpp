// ctest-labels: layout
// Bytes as a BMP file, drawn by DrawBMP into a small port at a size the last two bytes choose:
// whatever the headers claim, nothing is read outside the file nor written outside the image,
// and what does not decode draws an empty frame.
#include <cstdint>
#include <cstring>

#include "fuzz_quickdraw.h"
#include "layout/bmp_images.h"
#include "platform/core/memory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzStartQuickDraw();
    static GrafPort *port = FuzzNewPort(64, 64);
    SetPort(port);
    Handle file = NewHandle(UInt32(size));
    if (!file) return 0;
    if (size) std::memcpy(*file, data, size);
    SInt16 width = size >= 2 ? SInt16(data[size - 2] % 80) - 8 : 16;
    SInt16 height = size >= 1 ? SInt16(data[size - 1] % 80) - 8 : 16;
    Rect r = {2, 2, SInt16(2 + height), SInt16(2 + width)};
    DrawBMP(file, &r);
    Offscreen image = nullptr;
    if (DecodeBMP(reinterpret_cast<const UInt8 *>(*file), UInt32(size), &image) == noErr) {
        if (!image) abort();
        OrvaClosePortOffscreen(image);
    } else if (image) {
        abort();
    }
    DisposHandle(file);
    return 0;
}
