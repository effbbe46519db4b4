// QuickDraw's Random over the seed in qd.
#include "graphics/quickdraw/random.h"

#include "graphics/quickdraw/ports.h"

SInt16 Random() {
    const SInt64 kModulus = 0x7FFFFFFF;
    SInt64 seed = qd.randSeed;
    if (seed <= 0 || seed >= kModulus) seed = 1;
    seed = seed * 16807 % kModulus;
    qd.randSeed = SInt32(seed);
    SInt16 value = SInt16(UInt16(seed & 0xFFFF));
    return value == -32768 ? 0 : value;
}
