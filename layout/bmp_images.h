// BMP images: the decoder of Windows and OS/2 bitmap files (1, 4, 8, 16, 24 and 32 bits, plain,
// bit fields, RLE4 and RLE8, bottom-up or top-down) and DrawBMP, which draws one into a
// rectangle of the current port. Main thread only.
#pragma once

#include "graphics/images/images.h"
#include "platform/core/errors.h"

enum : SInt32 {
    kBMPCoteMax = kOffscreenMaxSize,  // widest and highest image decoded
    kBMPPixelsMax = 16 << 20,         // pixels of an image at most (64 MB of 24-bit pixels)
};

// Decodes size bytes of a BMP file (from its "BM" header) into a new opaque 24-bit image the
// caller closes with OrvaClosePortOffscreen. paramErr (and a null image) for what is not a BMP,
// a header that claims more than the file holds or more than the limits above, an unknown depth
// or compression; memFullErr without memory. Pixels that an RLE stream leaves out are white.
OSErr DecodeBMP(const UInt8 *bytes, UInt32 size, Offscreen *image);
// Decodes the BMP file held by bmp and draws it scaled into rect of the current port. When it
// does not decode, the rectangle is framed instead (an empty frame) and the decoder's error is
// answered; paramErr for a null handle or rectangle.
OSErr DrawBMP(Handle bmp, const Rect *rect);
