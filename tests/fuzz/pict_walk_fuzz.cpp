// ctest-labels: ports
// Random bytes as a picture: the walk, GetPictInfo and CvtPict2MacPict stay inside them, and a
// conversion that fails leaves the picture as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

static void Check(bool ok) {
    if (!ok) std::abort();
}

static void WalkAll(const uint8_t *bytes, UInt32 size) {
    PictWalkRecord walk;
    if (OrvaPictBeginWalk(bytes, size, &walk) != noErr) return;
    PictOpRecord op;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
        for (SInt32 i = 0; i < op.fieldCount; i++) {
            Check(UInt64(op.fields[i].offset) + op.fields[i].length <= size);
            OrvaPictWord(&walk, op.fields[i].offset);
            OrvaPictLong(&walk, op.fields[i].offset);
        }
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool quiet = (OrvaSetErrorHook([](const char *) {}), true);
    (void)quiet;
    if (size > (1u << 20)) return 0;
    Handle h = NewHandle(UInt32(size));
    if (!h) return 0;
    if (size) std::memcpy(*h, data, size);
    WalkAll(data, UInt32(size));
    PictInfo info;
    SInt32 before = GetPictInfo((PicHandle)h, &info);
    Boolean converted = CvtPict2MacPict((PicHandle)h, true);
    Check(GetHandleSize(h) == size);
    if (!converted) Check(size == 0 || std::memcmp(*h, data, size) == 0);
    if (converted && OrvaPictKind(data, UInt32(size)) == kPictKindOwn) {
        // A converted picture is version 2 and as readable as before.
        Check(OrvaPictKind((const uint8_t *)*h, UInt32(size)) == kPictKindVersion2);
        if (before == noErr) Check(GetPictInfo((PicHandle)h, &info) == noErr);
    }
    WalkAll((const uint8_t *)*h, UInt32(size));
    DisposHandle(h);
    return 0;
}
