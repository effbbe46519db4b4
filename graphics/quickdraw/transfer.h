// Pixel transfer: CopyBits, CopyMask and CopyDeepMask between ports, bitmaps and pixel maps of
// every supported depth, with scaling, transfer modes, a mask image and a mask region; the
// recording of transfers into an open picture; the pixel reader GetPixMapRGB and the 1-bit
// expansion. transfer.cpp holds the transfer and its blend kernel, transfer_convert.cpp the
// reading and scaling of sources, transfer_record.cpp the recording. Main thread only.
//
// The current port's effective clip governs every transfer, also when dstBits are another
// port's: callers make the destination port current first, as they always have. Clip
// coordinates are those of the current port's buffer, taken as the destination's buffer.
#pragma once

#include "graphics/quickdraw/ports.h"

// Transfer modes the blend kernel knows; any other mode takes the source as it is.
enum : SInt16 {
    srcCopy = 0,       // white source pixels become the back colour, black ones the fore colour
    srcOr = 1,         // black source pixels become the fore colour, white ones keep the destination
    srcXor = 2,        // black source pixels invert the destination, white ones keep it
    srcBic = 3,
    notSrcCopy = 4,
    blend = 32,        // source and destination weighted by the port's op colour
    transparent = 36,  // source pixels of the back colour keep the destination
};

enum : SInt32 {
    kMaxTransferWidth = 10900,  // wider destination rectangles are cut to this width
};

// Moves srcRect of srcBits into dstRect of dstBits (null: the current port's portBits) in mode,
// scaled to dstRect, through the current port's effective clip and maskRgn (destination local
// coordinates; null: none). srcBits and dstBits are a port's portBits, a bitmap (1 bit a pixel)
// or a pixel map (rowBytes bit 15; pixelSize 1, 2, 4, 8, 16, 24 or 32, where 24 and 32 are both
// 4 bytes blue, green, red, spare in memory). A source of an unsupported depth draws white and
// reports once. While the current port records a picture nothing is drawn: the transfer is
// recorded. An offscreen source with an opacity plane is drawn through it. Destinations other
// than ports and 8-, 24- and 32-bit pixel maps are left unchanged.
void CopyBits(const BitMap *srcBits, const BitMap *dstBits, const Rect *srcRect, const Rect *dstRect, SInt16 mode,
              RgnHandle maskRgn);
// CopyDeepMask with mode srcCopy and no mask region.
void CopyMask(const BitMap *srcBits, const BitMap *maskBits, const BitMap *dstBits, const Rect *srcRect,
              const Rect *maskRect, const Rect *dstRect);
// As CopyBits, never recorded, with an optional mask image: maskRect of maskBits is scaled to
// dstRect like the source, and each result component r is mixed with the destination d by its
// mask component m as (d m + r (255 - m)) / 255: black takes the source, white keeps d.
void CopyDeepMask(const BitMap *srcBits, const BitMap *maskBits, const BitMap *dstBits, const Rect *srcRect,
                  const Rect *maskRect, const Rect *dstRect, SInt16 mode, RgnHandle maskRgn);

// The smoothing of scaled transfers: averaging when both axes shrink (default off), else
// bilinear interpolation (default on), else the nearest pixel.
void OrvaSetCopybitAntialias(Boolean averaging, Boolean bilinear);

// One pixel of a store of depth bits a pixel as 8-bit components. x and y count from base and
// are clamped into bounds (given from 0,0) and to >= 0. Depth 1: a set bit is table entry 1
// (black without a table or when it has one entry), a clear bit entry 0 (white without a
// table); depths 2, 4 and 8 index the table (high bits first), black past its last entry;
// depth 16: x RRRRR GGGGG BBBBB in a native 16-bit word, each component x 8; depths 24 and 32:
// bytes blue, green, red. Any other depth answers white and reports through OrvaErreur.
void GetPixMapRGB(const void *base, SInt32 rowBytes, SInt16 depth, CTabHandle table, SInt32 x, SInt32 y,
                  const Rect *bounds, UInt8 *red, UInt8 *green, UInt8 *blue);

// Expands n rows of n 1-bit pixels, from bitOffset of each row of rowBytes bytes, into n x n
// bytes row after row: setValue for a set bit, clearValue for a clear one. width is not used.
// False (nothing written) for a depth other than 1.
Boolean OrvaBitmap2Mob(const void *base, SInt32 rowBytes, SInt32 bitOffset, SInt32 width, SInt32 n, UInt8 *out,
                       SInt16 depth, UInt8 setValue, UInt8 clearValue);

// Test seam: how many pixel blocks the transfers allocated since start-up (sources, masks and
// destinations converted to 32 bits).
UInt32 OrvaTransferBlockCount();
