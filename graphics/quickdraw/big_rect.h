// Rectangles and points with 32-bit coordinates, for text and page areas that outgrow the
// 16-bit QuickDraw plane. Local coordinates of a port, right and bottom exclusive.
#pragma once

#include "platform/core/mac_types.h"

struct BigRect {  // the field order is fixed: left, right, top, bottom
    SInt32 left;
    SInt32 right;
    SInt32 top;
    SInt32 bottom;
};

struct BigPoint {  // horizontal first
    SInt32 h;
    SInt32 v;
};
