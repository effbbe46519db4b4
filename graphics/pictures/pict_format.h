// Picture formats: the three kinds of picture, the table of opcodes and their operand layouts,
// a walk over a picture's bytes that never reads past them, and the utilities built on it:
// CvtPict2MacPict (own form to big-endian PICT version 2) and GetPictInfo.
#pragma once

#include "graphics/pictures/pictures.h"
#include "platform/core/errors.h"

enum PictKind : UInt8 {
    kPictKindUnknown = 0,
    kPictKindVersion1,  // 11 01 at offset 10: one-byte opcodes, big-endian, no alignment
    kPictKindVersion2,  // 00 11 02 FF: two-byte opcodes on even offsets, big-endian
    kPictKindOwn,       // 00 11 CA FE: as version 2, operands in memory (little-endian) order
};

// Kinds of operand field, each read in the picture's byte order.
enum PictField : UInt8 {
    kFieldByte,        // 1 byte
    kFieldWord,        // 16 bits
    kFieldLong,        // 32 bits
    kFieldPoint,       // v, h
    kFieldRect,        // top, left, bottom, right
    kFieldPattern,     // 8 bytes
    kFieldRGB,         // red, green, blue (16 bits each)
    kFieldRegion,      // region data block, its first word its size
    kFieldPolygon,     // polygon data block: size, bounding box, points
    kFieldText,        // count byte, then count bytes
    kFieldData,        // opaque bytes
    kFieldPixMap,      // the 44 bytes of a pixel map after rowBytes
    kFieldColorTable,  // seed, flags, size, then size + 1 entries of value, red, green, blue
    kFieldRows,        // pixel rows: raw below 8 row bytes, else each packed after its length
};

enum : SInt32 {
    kPictMaxFields = 12,
    kPictPixMapBytes = 44,
};

struct PictFieldRecord {
    PictField kind;
    const char *label;  // "rowBytes", "src" ...; null for the single operand of simple opcodes
    UInt32 offset;      // of the field's first byte
    UInt32 length;      // bytes
};

struct PictOpRecord {
    UInt32 offset;       // of the opcode
    UInt16 opcode;
    char name[24];       // published name; empty for an opcode the table does not know
    Boolean walked;      // one of the opcodes CvtPict2MacPict and GetPictInfo accept
    UInt32 end;          // just past the operands
    SInt32 fieldCount;
    PictFieldRecord fields[kPictMaxFields];
};

struct PictWalkRecord {
    const UInt8 *bytes;
    UInt32 size;         // bytes readable; nothing past them is read
    PictKind kind;
    UInt32 next;         // where the next opcode is looked for, before alignment
    Boolean ended;       // OpEndPic was read
};

struct PictInfo {
    Rect sourceRect;
    Fixed hRes;  // highest horizontal resolution of the picture, 72.0 when none is given
    Fixed vRes;
};

PictKind OrvaPictKind(const UInt8 *bytes, UInt32 size);
// The word after the size and frame: 0x1101 in version 1, 0x0011 (VersionOp) otherwise; 0 for
// a picture shorter than 12 bytes.
UInt16 OrvaPictVersionWord(const UInt8 *bytes, UInt32 size);
// Starts a walk at the first opcode: pictureDataErr for an unknown kind or a cut-off header.
OSErr OrvaPictBeginWalk(const UInt8 *bytes, UInt32 size, PictWalkRecord *walk);
// Reads the next opcode with its operand fields. pictureDataErr when the opcode is not in the
// table (op keeps its offset and number), its operands pass the end of the bytes, or the walk
// already ended; the walk cannot go on after an error.
OSErr OrvaPictNextOp(PictWalkRecord *walk, PictOpRecord *op);
// Values at offset in the picture's byte order; 0 when they pass the end.
SInt32 OrvaPictWord(const PictWalkRecord *walk, UInt32 offset);
SInt32 OrvaPictLong(const PictWalkRecord *walk, UInt32 offset);
Rect OrvaPictRect(const PictWalkRecord *walk, UInt32 offset);
// The picture's frame (picSize and picFrame in its byte order).
void OrvaPictHeader(const PictWalkRecord *walk, UInt16 *picSize, Rect *frame);
// A version-2 picture with the extended header (0xFFFE at 16), whose source rectangle at 28
// stands for the frame.
Boolean OrvaPictHasExtendedHeader(const PictWalkRecord *walk);

// Turns an own-form picture into big-endian PICT version 2 in place; version 1 and 2 pictures
// are left alone (true). False with a message for an unknown kind, an opcode outside the
// accepted set or a cut-off picture; the picture is then unchanged.
Boolean CvtPict2MacPict(PicHandle pic, Boolean transcode);
// Source rectangle and highest resolutions: 0, or pictureDataErr for a null or empty picture,
// an unknown kind, an opcode outside the accepted set or a cut-off picture.
SInt32 GetPictInfo(PicHandle pic, PictInfo *info);
// Installed by the font manager: recodes the text of a text opcode drawn in fontId from
// Windows-1252 to MacRoman when that font asks for it. Null: text is left as it is.
void OrvaSetPictTextTranscoder(void (*transcode)(SInt16 fontId, UInt8 *text, SInt32 count));
