// Packed pixel images: PackBits row compression and its inverse, the drawing of the packed bit
// and pixel images of pictures and icons (PutPicture, PutPicture24Bits), the big-endian byte
// readers that walk picture data, and a picture's frame. Main thread only.
#pragma once

#include "graphics/pictures/pictures.h"

enum : SInt32 {
    kPackedRowMinBytes = 8,       // rows of fewer bytes are stored as they are
    kPackedByteCountLimit = 250,  // rows of more bytes carry a big-endian 16-bit packed length
    // An unpacked image larger than this is not drawn (its rows are skipped).
    kMaxUnpackedImageBytes = 256 * 1024 * 1024,
};

// Compresses count bytes from *src to *dst and advances both: runs of 3 to 127 equal bytes as
// (1 - n, byte), everything else as literals of up to 127 bytes (length - 1, bytes). *dst needs
// room for OrvaPackBitsBound (count) bytes.
void PackBits(Ptr *src, Ptr *dst, SInt32 count);
SInt32 OrvaPackBitsBound(SInt32 count);
// Writes one picture row: its packed length (one byte when rowBytes <= 250, else a big-endian
// word) and its PackBits packets. out needs room for 2 + OrvaPackBitsBound (count) bytes.
// Answers the bytes written.
SInt32 OrvaPackPictRow(const UInt8 *row, SInt32 count, SInt32 rowBytes, UInt8 *out);
// Unpacks the packets of one row (packed bytes from packed, packedBytes of them) into out, items
// of itemBytes (1, or 2 for 16-bit pixels): flag f from 0 to 127, then f + 1 items; f negative,
// then one item written 1 - f times. A flag left alone at the end is skipped. *produced gets
// the bytes written. False when a packet reads past packedBytes or writes past room.
Boolean OrvaUnpackRow(const UInt8 *packed, SInt32 packedBytes, SInt32 itemBytes, UInt8 *out, SInt32 room,
                      SInt32 *produced);

// Draws the indexed image (a bitmap, or a pixel map of 1 to 8 bits a pixel) whose rows start at
// data into the current port: srcRect of bits to dstRect in mode, through CopyBits while the pen
// is visible. Rows of fewer than 8 bytes are stored as they are, longer ones packed. Large
// images are drawn in bands. Answers the pointer past the image's rows; end when they run past
// end or unpack to more than rowBytes (the image is then not drawn); null when the rows cannot
// be given memory. bits are not changed.
const UInt8 *PutPicture(const UInt8 *data, const UInt8 *end, const BitMap *bits, const Rect *srcRect,
                        const Rect *dstRect, SInt16 mode);
// Draws the direct image (16 or 32 bits a pixel) whose rows start at data: packType 4 rows hold
// component planes (alpha when cmpCount is 4, then red, green, blue), packType 3 rows 16-bit
// pixels x RRRRR GGGGG BBBBB. Other pack types, images too large and failed allocations are
// skipped. Answers the pointer past the rows, or end as PutPicture does.
const UInt8 *PutPicture24Bits(const UInt8 *data, const UInt8 *end, const PixMap *pixmap, const Rect *srcRect,
                              const Rect *dstRect, SInt16 mode);

// Big-endian readers of picture data: each answers the value at *p and advances it.
UInt8 pique(const UInt8 **p);
SInt16 pique_mot(const UInt8 **p);
SInt32 pique_long(const UInt8 **p);

// picFrame of pic, converted from big-endian unless the picture is of the library's own kind;
// 0,0,0,0 for a null or too short picture.
void OrvaGetPicFrame(PicHandle pic, Rect *frame);
