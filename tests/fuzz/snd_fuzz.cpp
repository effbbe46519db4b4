// ctest-labels: gtk-input-sound
// Bytes as the data of a 'snd ' resource, converted by the Sound Manager into the RIFF image it
// would play. Any input answers 0, -204, -206 or -207; an image holds no more sample bytes
// than the input did, and its header agrees with its size.
#include <cstdint>
#include <cstring>

#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/gtk/sound_manager.h"

namespace {

UInt32 Little32(const UInt8 *p) { return UInt32(p[0]) | UInt32(p[1]) << 8 | UInt32(p[2]) << 16 | UInt32(p[3]) << 24; }
UInt16 Little16(const UInt8 *p) { return UInt16(p[0] | p[1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > (1u << 20)) return 0;
    Handle sound = NewHandle(UInt32(size));
    if (!sound) return 0;
    if (size) memcpy(*sound, data, size);
    Handle riff = nullptr;
    OSErr err = OrvaConvertSndToRiff(sound, &riff);
    if (err != noErr && err != -204 && err != -206 && err != -207) __builtin_trap();
    if (err != noErr) {
        if (riff) __builtin_trap();
    } else {
        if (!riff) __builtin_trap();
        UInt32 total = UInt32(GetHandleSize(riff));
        const UInt8 *p = reinterpret_cast<const UInt8 *>(*riff);
        if (total < 44 || memcmp(p, "RIFF", 4) != 0 || memcmp(p + 36, "data", 4) != 0) __builtin_trap();
        UInt32 dataSize = Little32(p + 40);
        UInt16 channels = Little16(p + 22), align = Little16(p + 32), bits = Little16(p + 34);
        if (dataSize + 44 != total || Little32(p + 4) != dataSize + 36) __builtin_trap();
        if (dataSize > size) __builtin_trap();  // never more samples than were given
        if ((bits != 8 && bits != 16) || channels < 1 || align != channels * bits / 8) __builtin_trap();
        if (dataSize % align) __builtin_trap();
        DisposHandle(riff);
    }
    DisposHandle(sound);
    return 0;
}
