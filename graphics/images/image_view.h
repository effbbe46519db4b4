// The pixels and opacity plane of an image as one record, shared by the image operations.
#pragma once

#include "graphics/images/images.h"

struct ImageView {
    UInt8 *base;      // first pixel: blue, green, red, spare
    SInt32 rowBytes;  // true bytes per row
    SInt32 width;
    SInt32 height;
    UInt8 *plane;     // width * height opacity bytes, or null
};

// False for a null image, one that is not 24-bit, or an empty one.
Boolean OrvaImageGetView(Offscreen image, ImageView *view);
