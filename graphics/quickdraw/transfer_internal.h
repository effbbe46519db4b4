// What the three files of the pixel transfer share: the description of a pixel store to read,
// the 32-bit pixel blocks the conversions make, and the conversion and recording procedures.
// Main thread only.
#pragma once

#include "graphics/quickdraw/transfer.h"

// A store pixels are read from: a port's buffer, a caller's bitmap or pixel map, or the
// opacity plane of an offscreen read as a mask.
struct PixelSourceRecord {
    const UInt8 *base;     // pixel (0, 0) of bounds
    SInt64 rowBytes;       // from one row to the next
    SInt16 depth;          // 1, 2, 4, 8, 16 or 24 (4 bytes: blue, green, red, spare); else unsupported
    Boolean supported;     // depth is one of those
    Boolean gray;          // an 8-bit store of a 256-gray port: index i is level 255 - i
    Boolean opacity;       // base is an opacity plane, a byte a pixel read as 255 - byte
    CTabHandle table;      // colours of indexed depths, or null
    SInt32 width;          // pixels readable from base: bounds cut to the store
    SInt32 height;
    Rect bounds;           // local coordinates of base's pixel at the top-left
    GrafPtr port;          // the port owning the store, or null
};

// Pixels converted to 32 bits: 4 bytes a pixel, blue, green, red, spare.
struct PixelBlockRecord {
    UInt8 *base;           // pixel (0, 0) of the block
    SInt64 rowBytes;
    SInt32 width;
    SInt32 height;
    Boolean owned;         // base was allocated for the block; else it points into a store
};

// The part of a transfer's destination rectangle a conversion produces: columns left..right - 1
// and rows top..bottom - 1, counted from the destination rectangle's top-left.
struct TransferAreaRecord {
    SInt32 left, top, right, bottom;
};

// A source rectangle scaled to a destination size: the rectangle relative to the store's
// bounds, and the destination width and height it is drawn at.
struct ScaleRecord {
    SInt32 sx, sy;         // top-left of the source rectangle, store pixels
    SInt32 sw, sh;         // its size, > 0
    SInt32 dw, dh;         // destination size, > 0
};

// Describes bits (a port's portBits, a bitmap or a pixel map). False when they cannot be read:
// no pixels, empty bounds or rows too short for the bounds at the depth.
Boolean OrvaDescribeBits(const BitMap *bits, PixelSourceRecord *out);
// The opacity plane of port as a mask store: opaque pixels read as black.
void OrvaDescribeOpacity(GrafPtr port, PixelSourceRecord *out);
// The destination area a scaled source produces: the whole destination, less the columns and
// rows that a source reaching past the right or bottom of its store leaves out.
TransferAreaRecord OrvaProducedArea(const PixelSourceRecord *src, const ScaleRecord *scale);
// Converts the destination pixels of area (inside the produced area) of src scaled by scale into
// out. A 32-bit store read 1:1 inside its bounds is referenced when mayReference is set.
// False without memory (out is then empty).
Boolean OrvaConvertSource(const PixelSourceRecord *src, const ScaleRecord *scale, const TransferAreaRecord *area,
                          Boolean mayReference, PixelBlockRecord *out);
// A block of width x height 32-bit pixels; false without memory.
Boolean OrvaNewPixelBlock(SInt32 width, SInt32 height, PixelBlockRecord *out);
void OrvaDisposePixelBlock(PixelBlockRecord *block);  // frees an owned block; clears it
// count pixels of row y from column x, all inside the store, as 0x00RRGGBB (white for an
// unsupported depth).
void OrvaReadStoreRow(const PixelSourceRecord *src, SInt32 x, SInt32 y, SInt32 count, UInt32 *out);

// Records the transfer into the current port's picture: a port's buffer as DirectBitsRect, a
// bitmap or pixel map as BitsRect.
void OrvaRecordTransfer(const BitMap *srcBits, const Rect *srcRect, const Rect *dstRect, SInt16 mode);
