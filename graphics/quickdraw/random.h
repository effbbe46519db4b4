// QuickDraw's pseudo-random numbers, drawn from the seed kept in qd.randSeed. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

// The next number, -32767 to 32767: the seed advances as seed x 16807 mod (2^31 - 1) and its
// low 16 bits are the answer (-32768 reads as 0). A seed of 0, which would never move, acts as 1.
SInt16 Random();
