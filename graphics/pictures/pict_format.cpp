// Picture formats: the opcode table drives one bounded walk that the converter, GetPictInfo and
// the picture dump share. Every length read from the picture is checked against its size.
#include "graphics/pictures/pict_format.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/core/byte_reader.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// Steps of an operand layout; the composite ones expand into several fields.
enum LayoutStep : UInt8 {
    kStepEnd = 0,
    kStepByte,
    kStepWord,
    kStepLong,
    kStepPoint,
    kStepRect,
    kStepPattern,
    kStepRGB,
    kStepRegion,
    kStepPolygon,
    kStepText,
    kStepLengthData,      // 16-bit length, then that many bytes
    kStepLongLengthData,  // 32-bit length, then that many bytes
    kStepCommentData,     // size word, then size bytes
    kStepFontName,        // data length, font id, name
    kStepBits,            // bit or pixel image of BitsRect and PackBitsRect
    kStepBitsRgn,         // the same with a mask region
    kStepDirect,          // DirectBitsRect
    kStepDirectRgn,       // DirectBitsRgn
};

const LayoutStep kLayNone[] = {kStepEnd};
const LayoutStep kLayByte[] = {kStepByte, kStepEnd};
const LayoutStep kLayWord[] = {kStepWord, kStepEnd};
const LayoutStep kLayTwoWords[] = {kStepWord, kStepWord, kStepEnd};
const LayoutStep kLayLong[] = {kStepLong, kStepEnd};
const LayoutStep kLayPoint[] = {kStepPoint, kStepEnd};
const LayoutStep kLayTwoPoints[] = {kStepPoint, kStepPoint, kStepEnd};
const LayoutStep kLayRect[] = {kStepRect, kStepEnd};
const LayoutStep kLayArc[] = {kStepRect, kStepWord, kStepWord, kStepEnd};
const LayoutStep kLayPattern[] = {kStepPattern, kStepEnd};
const LayoutStep kLayRGB[] = {kStepRGB, kStepEnd};
const LayoutStep kLayRegion[] = {kStepRegion, kStepEnd};
const LayoutStep kLayPolygon[] = {kStepPolygon, kStepEnd};
const LayoutStep kLayShortLine[] = {kStepPoint, kStepByte, kStepByte, kStepEnd};
const LayoutStep kLayTwoBytes[] = {kStepByte, kStepByte, kStepEnd};
const LayoutStep kLayPointText[] = {kStepPoint, kStepText, kStepEnd};
const LayoutStep kLayByteText[] = {kStepByte, kStepText, kStepEnd};
const LayoutStep kLayTwoBytesText[] = {kStepByte, kStepByte, kStepText, kStepEnd};
const LayoutStep kLayLengthData[] = {kStepLengthData, kStepEnd};
const LayoutStep kLayLongLengthData[] = {kStepLongLengthData, kStepEnd};
const LayoutStep kLayComment[] = {kStepWord, kStepCommentData, kStepEnd};
const LayoutStep kLayFontName[] = {kStepFontName, kStepEnd};
const LayoutStep kLayBits[] = {kStepBits, kStepEnd};
const LayoutStep kLayBitsRgn[] = {kStepBitsRgn, kStepEnd};
const LayoutStep kLayDirect[] = {kStepDirect, kStepEnd};
const LayoutStep kLayDirectRgn[] = {kStepDirectRgn, kStepEnd};

enum : UInt8 {
    kRowWalked = 1,  // accepted by CvtPict2MacPict and GetPictInfo
    kRowVerbs = 2,   // a shape family: the name is a verb (opcode - base) then the shape
};

struct PictOpcodeRow {
    UInt16 first, last;  // opcodes the row covers
    UInt16 base;         // opcode of the family's "frame" verb
    const char *name;
    UInt8 flags;
    const LayoutStep *layout;
};

const PictOpcodeRow kPictOpcodes[] = {
    {0x00, 0x00, 0, "NOP", 0, kLayNone},
    {0x01, 0x01, 0, "Clip", kRowWalked, kLayRegion},
    {0x02, 0x02, 0, "BkPat", kRowWalked, kLayPattern},
    {0x03, 0x03, 0, "TxFont", kRowWalked, kLayWord},
    {0x04, 0x04, 0, "TxFace", kRowWalked, kLayByte},
    {0x05, 0x05, 0, "TxMode", kRowWalked, kLayWord},
    {0x06, 0x06, 0, "SpExtra", kRowWalked, kLayLong},
    {0x07, 0x07, 0, "PnSize", kRowWalked, kLayPoint},
    {0x08, 0x08, 0, "PnMode", kRowWalked, kLayWord},
    {0x09, 0x09, 0, "PnPat", kRowWalked, kLayPattern},
    {0x0A, 0x0A, 0, "FillPat", kRowWalked, kLayPattern},
    {0x0B, 0x0B, 0, "OvSize", kRowWalked, kLayPoint},
    {0x0C, 0x0C, 0, "Origin", kRowWalked, kLayTwoWords},
    {0x0D, 0x0D, 0, "TxSize", kRowWalked, kLayWord},
    {0x0E, 0x0E, 0, "FgColor", kRowWalked, kLayLong},
    {0x0F, 0x0F, 0, "BkColor", kRowWalked, kLayLong},
    {0x10, 0x10, 0, "TxRatio", kRowWalked, kLayTwoPoints},
    {0x11, 0x11, 0, "VersionOp", 0, kLayByte},
    {0x15, 0x15, 0, "PnLocHFrac", 0, kLayWord},
    {0x16, 0x16, 0, "ChExtra", 0, kLayWord},
    {0x1A, 0x1A, 0, "RGBFgCol", kRowWalked, kLayRGB},
    {0x1B, 0x1B, 0, "RGBBkCol", kRowWalked, kLayRGB},
    {0x1E, 0x1E, 0, "DefHilite", kRowWalked, kLayNone},
    {0x1F, 0x1F, 0, "OpColor", 0, kLayRGB},
    {0x20, 0x20, 0, "Line", kRowWalked, kLayTwoPoints},
    {0x21, 0x21, 0, "LineFrom", kRowWalked, kLayPoint},
    {0x22, 0x22, 0, "ShortLine", 0, kLayShortLine},
    {0x23, 0x23, 0, "ShortLineFrom", 0, kLayTwoBytes},
    {0x24, 0x27, 0, "Reserved", kRowWalked, kLayLengthData},
    {0x28, 0x28, 0, "LongText", kRowWalked, kLayPointText},
    {0x29, 0x29, 0, "DHText", kRowWalked, kLayByteText},
    {0x2A, 0x2A, 0, "DVText", 0, kLayByteText},
    {0x2B, 0x2B, 0, "DHDVText", 0, kLayTwoBytesText},
    {0x2C, 0x2C, 0, "FontName", kRowWalked, kLayFontName},
    {0x2D, 0x2F, 0, "Reserved", kRowWalked, kLayLengthData},
    {0x30, 0x34, 0x30, "Rect", kRowWalked | kRowVerbs, kLayRect},
    {0x38, 0x3C, 0x38, "SameRect", kRowVerbs, kLayNone},
    {0x40, 0x44, 0x40, "RRect", kRowWalked | kRowVerbs, kLayRect},
    {0x48, 0x4C, 0x48, "SameRRect", kRowVerbs, kLayNone},
    {0x50, 0x52, 0x50, "Oval", kRowWalked | kRowVerbs, kLayRect},
    {0x53, 0x53, 0x50, "Oval", kRowVerbs, kLayRect},  // never recorded: InvertOval records a region
    {0x54, 0x54, 0x50, "Oval", kRowWalked | kRowVerbs, kLayRect},
    {0x58, 0x5C, 0x58, "SameOval", kRowVerbs, kLayNone},
    {0x60, 0x64, 0x60, "Arc", kRowWalked | kRowVerbs, kLayArc},
    {0x68, 0x6C, 0x68, "SameArc", kRowVerbs, kLayTwoWords},
    {0x70, 0x74, 0x70, "Poly", kRowWalked | kRowVerbs, kLayPolygon},
    {0x80, 0x84, 0x80, "Rgn", kRowWalked | kRowVerbs, kLayRegion},
    {0x90, 0x90, 0, "BitsRect", kRowWalked, kLayBits},
    {0x91, 0x91, 0, "BitsRgn", 0, kLayBitsRgn},
    {0x92, 0x97, 0, "Reserved", kRowWalked, kLayLengthData},
    {0x98, 0x98, 0, "PackBitsRect", kRowWalked, kLayBits},
    {0x99, 0x99, 0, "PackBitsRgn", 0, kLayBitsRgn},
    {0x9A, 0x9A, 0, "DirectBitsRect", kRowWalked, kLayDirect},
    {0x9B, 0x9B, 0, "DirectBitsRgn", 0, kLayDirectRgn},
    {0x9C, 0x9F, 0, "Reserved", kRowWalked, kLayLengthData},
    {0xA0, 0xA0, 0, "ShortComment", kRowWalked, kLayWord},
    {0xA1, 0xA1, 0, "LongComment", kRowWalked, kLayComment},
    {0xFF, 0xFF, 0, "OpEndPic", kRowWalked, kLayNone},
    {0x8200, 0x8200, 0, "CompressedQuickTime", 0, kLayLongLengthData},
    {0x8201, 0x8201, 0, "UncompressedQuickTime", 0, kLayLongLengthData},
};

const char *const kVerbs[] = {"frame", "paint", "erase", "invert", "fill"};
const char kLabelBounds[] = "bounds";  // the bounds of a plain bitmap, which counts as 72 dpi

// Byte offsets inside a pixel map field (after rowBytes).
enum : UInt32 { kPixMapHRes = 16, kPixMapVRes = 20 };

enum : SInt32 {
    kPackedRowLimit = 8,     // rows of fewer bytes are stored raw
    kByteLengthLimit = 250,  // rows of more bytes carry a 16-bit packed length
    kFixed72 = 0x480000,
};

struct PictSwapContext {
    Boolean transcode;
    SInt16 font;  // last TxFont seen
};

void (*gTextTranscoder)(SInt16 fontId, UInt8 *text, SInt32 count);

}  // namespace

static const PictOpcodeRow *FindRow(UInt16 opcode);
static Boolean AddField(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, PictField kind, const char *label,
                        UInt64 length);
static Boolean RunStep(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, LayoutStep step);
static Boolean AddImage(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, LayoutStep step);
static Boolean AddRows(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, SInt32 rowBytes, SInt32 height);
static ByteReader At(const PictWalkRecord *walk, UInt32 offset);
static Boolean Readable(const PictWalkRecord *walk, UInt32 offset, UInt64 length);
static void SwapWords(UInt8 *p, UInt32 count);
static void SwapLong(UInt8 *p);
static void SwapField(UInt8 *bytes, const PictFieldRecord *field);
static Boolean ConvertOwnForm(UInt8 *bytes, UInt32 size, Boolean transcode);
static void NoteResolution(const PictWalkRecord *walk, const PictOpRecord *op, Fixed *hRes, Fixed *vRes);

// The version opcode after the size and frame: 0x1101 for version 1; 0x0011 then 0x02FF for
// version 2, or 0xCAFE for the library's own form.
PictKind OrvaPictKind(const UInt8 *bytes, UInt32 size) {
    ByteReader picture = OrvaByteReader(bytes, size);
    Seek(&picture, 10);
    UInt16 version = Get16(&picture);
    if (picture.failed) return kPictKindUnknown;
    if (version == 0x1101) return kPictKindVersion1;
    UInt16 second = Get16(&picture);
    if (version != 0x0011 || picture.failed) return kPictKindUnknown;
    if (second == 0x02FF) return kPictKindVersion2;
    if (second == 0xCAFE) return kPictKindOwn;
    return kPictKindUnknown;
}

UInt16 OrvaPictVersionWord(const UInt8 *bytes, UInt32 size) {
    ByteReader picture = OrvaByteReader(bytes, size);
    Seek(&picture, 10);
    return Get16(&picture);
}

OSErr OrvaPictBeginWalk(const UInt8 *bytes, UInt32 size, PictWalkRecord *walk) {
    std::memset(walk, 0, sizeof *walk);
    walk->bytes = bytes;
    walk->size = size;
    walk->kind = OrvaPictKind(bytes, size);
    if (walk->kind == kPictKindUnknown) return pictureDataErr;
    walk->next = walk->kind == kPictKindVersion1 ? 12 : kPictFirstOpcode;
    return walk->next <= size ? noErr : pictureDataErr;
}

OSErr OrvaPictNextOp(PictWalkRecord *walk, PictOpRecord *op) {
    std::memset(op, 0, sizeof *op);
    if (walk->ended) return pictureDataErr;
    UInt32 pos = walk->next;
    if (walk->kind != kPictKindVersion1) pos = (pos + 1) & ~1u;
    op->offset = pos;
    UInt32 opcodeBytes = walk->kind == kPictKindVersion1 ? 1 : 2;
    if (!Readable(walk, pos, opcodeBytes)) {
        walk->ended = true;
        return pictureDataErr;
    }
    ByteReader opcode = At(walk, pos);  // big-endian in every kind
    op->opcode = opcodeBytes == 1 ? Get8(&opcode) : Get16(&opcode);
    pos += opcodeBytes;
    const PictOpcodeRow *row = FindRow(op->opcode);
    if (!row) {
        walk->ended = true;
        return pictureDataErr;
    }
    if (row->flags & kRowVerbs) std::snprintf(op->name, sizeof op->name, "%s%s", kVerbs[op->opcode - row->base], row->name);
    else std::snprintf(op->name, sizeof op->name, "%s", row->name);
    op->walked = (row->flags & kRowWalked) != 0;
    for (const LayoutStep *step = row->layout; *step != kStepEnd; step++) {
        if (!RunStep(walk, op, &pos, *step)) {
            walk->ended = true;
            return pictureDataErr;
        }
    }
    op->end = pos;
    walk->next = pos;
    if (op->opcode == kPictOpEndPic) walk->ended = true;
    return noErr;
}

// The library's own form keeps its numbers in memory order (little-endian).
SInt32 OrvaPictWord(const PictWalkRecord *walk, UInt32 offset) {
    ByteReader field = At(walk, offset);
    return SInt16(walk->kind == kPictKindOwn ? Get16LE(&field) : Get16(&field));
}

SInt32 OrvaPictLong(const PictWalkRecord *walk, UInt32 offset) {
    ByteReader field = At(walk, offset);
    return SInt32(walk->kind == kPictKindOwn ? Get32LE(&field) : Get32(&field));
}

Rect OrvaPictRect(const PictWalkRecord *walk, UInt32 offset) {
    Rect r;
    r.top = SInt16(OrvaPictWord(walk, offset));
    r.left = SInt16(OrvaPictWord(walk, offset + 2));
    r.bottom = SInt16(OrvaPictWord(walk, offset + 4));
    r.right = SInt16(OrvaPictWord(walk, offset + 6));
    return r;
}

void OrvaPictHeader(const PictWalkRecord *walk, UInt16 *picSize, Rect *frame) {
    if (picSize) *picSize = UInt16(OrvaPictWord(walk, 0));
    if (frame) *frame = OrvaPictRect(walk, 2);
}

Boolean OrvaPictHasExtendedHeader(const PictWalkRecord *walk) {
    ByteReader version = At(walk, 16);
    return walk->kind == kPictKindVersion2 && Get16(&version) == 0xFFFE;
}

Boolean CvtPict2MacPict(PicHandle pic, Boolean transcode) {
    if (!pic || !*pic) return false;
    UInt32 size = GetHandleSize((Handle)pic);
    const UInt8 *bytes = (const UInt8 *)*pic;
    UInt16 version = OrvaPictVersionWord(bytes, size);
    if (version != 0x0011 && version != 0x1101) {
        OrvaErreur("Cvt : Pict de type inconnu");
        return false;
    }
    if (version == 0x1101) return true;
    PictKind kind = OrvaPictKind(bytes, size);
    if (kind == kPictKindVersion2) return true;
    if (kind != kPictKindOwn) {
        OrvaErreur("Cvt : Version de Pict non reconnue.");
        return false;
    }
    // Convert a copy, so that a picture the walk cannot finish is left as it was.
    std::vector<UInt8> copy(bytes, bytes + size);
    if (!ConvertOwnForm(copy.data(), size, transcode)) return false;
    std::memcpy(*pic, copy.data(), size);
    return true;
}

SInt32 GetPictInfo(PicHandle pic, PictInfo *info) {
    if (!pic || !*pic || !info) return pictureDataErr;
    std::memset(info, 0, sizeof *info);
    PictWalkRecord walk;
    if (OrvaPictBeginWalk((const UInt8 *)*pic, GetHandleSize((Handle)pic), &walk) != noErr) return pictureDataErr;
    UInt16 picSize;
    OrvaPictHeader(&walk, &picSize, &info->sourceRect);
    if (picSize == 0) return pictureDataErr;
    Fixed hRes = 0, vRes = 0;
    if (OrvaPictHasExtendedHeader(&walk)) {
        // Extended header: version, reserved, hRes, vRes, source rectangle, reserved.
        hRes = OrvaPictLong(&walk, 20);
        vRes = OrvaPictLong(&walk, 24);
        info->sourceRect = OrvaPictRect(&walk, 28);
    }
    PictOpRecord op;
    do {
        if (OrvaPictNextOp(&walk, &op) != noErr || !op.walked) return pictureDataErr;
        NoteResolution(&walk, &op, &hRes, &vRes);
    } while (op.opcode != kPictOpEndPic);
    info->hRes = hRes ? hRes : kFixed72;
    info->vRes = vRes ? vRes : kFixed72;
    return noErr;
}

void OrvaSetPictTextTranscoder(void (*transcode)(SInt16 fontId, UInt8 *text, SInt32 count)) {
    gTextTranscoder = transcode;
}

static const PictOpcodeRow *FindRow(UInt16 opcode) {
    for (const PictOpcodeRow &row : kPictOpcodes)
        if (opcode >= row.first && opcode <= row.last) return &row;
    return nullptr;
}

// A cursor over the picture at offset.
static ByteReader At(const PictWalkRecord *walk, UInt32 offset) {
    ByteReader picture = OrvaByteReader(walk->bytes, walk->size);
    Seek(&picture, offset);
    return picture;
}

static Boolean Readable(const PictWalkRecord *walk, UInt32 offset, UInt64 length) {
    ByteReader field = At(walk, offset);
    Skip(&field, size_t(length));
    return !field.failed;
}

static Boolean AddField(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, PictField kind, const char *label,
                        UInt64 length) {
    if (!Readable(walk, *pos, length) || op->fieldCount >= kPictMaxFields) return false;
    PictFieldRecord &f = op->fields[op->fieldCount++];
    f.kind = kind;
    f.label = label;
    f.offset = *pos;
    f.length = UInt32(length);
    *pos += UInt32(length);
    return true;
}

static Boolean RunStep(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, LayoutStep step) {
    switch (step) {
        case kStepByte: return AddField(walk, op, pos, kFieldByte, nullptr, 1);
        case kStepWord: return AddField(walk, op, pos, kFieldWord, nullptr, 2);
        case kStepLong: return AddField(walk, op, pos, kFieldLong, nullptr, 4);
        case kStepPoint: return AddField(walk, op, pos, kFieldPoint, nullptr, 4);
        case kStepRect: return AddField(walk, op, pos, kFieldRect, nullptr, 8);
        case kStepPattern: return AddField(walk, op, pos, kFieldPattern, nullptr, 8);
        case kStepRGB: return AddField(walk, op, pos, kFieldRGB, nullptr, 6);
        case kStepRegion:
        case kStepPolygon: {
            // Both blocks start with their own size and a bounding box.
            SInt32 size = Readable(walk, *pos, 2) ? OrvaPictWord(walk, *pos) : 0;
            if (size < 10 || (size & 1)) return false;
            return AddField(walk, op, pos, step == kStepRegion ? kFieldRegion : kFieldPolygon, nullptr, UInt32(size));
        }
        case kStepText: {
            ByteReader text = At(walk, *pos);
            UInt32 length = Get8(&text);
            return !text.failed && AddField(walk, op, pos, kFieldText, nullptr, 1 + length);
        }
        case kStepLengthData: {
            if (!Readable(walk, *pos, 2)) return false;
            UInt32 length = UInt16(OrvaPictWord(walk, *pos));
            return AddField(walk, op, pos, kFieldWord, "length", 2) && AddField(walk, op, pos, kFieldData, nullptr, length);
        }
        case kStepLongLengthData: {
            if (!Readable(walk, *pos, 4)) return false;
            UInt32 length = UInt32(OrvaPictLong(walk, *pos));
            return AddField(walk, op, pos, kFieldLong, "length", 4) && AddField(walk, op, pos, kFieldData, nullptr, length);
        }
        case kStepCommentData: {
            SInt32 size = Readable(walk, *pos, 2) ? OrvaPictWord(walk, *pos) : -1;
            if (size < 0) return false;
            return AddField(walk, op, pos, kFieldWord, "size", 2) && AddField(walk, op, pos, kFieldData, nullptr, UInt32(size));
        }
        case kStepFontName: {
            // Data length (font id, name length and name), then that data.
            SInt32 length = Readable(walk, *pos, 2) ? UInt16(OrvaPictWord(walk, *pos)) : -1;
            ByteReader name = At(walk, *pos + 4);
            UInt32 nameLength = Get8(&name);
            if (length < 3 || name.failed || nameLength + 3 > UInt32(length)) return false;
            UInt32 rest = UInt32(length) - 3 - nameLength;
            return AddField(walk, op, pos, kFieldWord, "length", 2) && AddField(walk, op, pos, kFieldWord, "font", 2) &&
                   AddField(walk, op, pos, kFieldText, nullptr, 1 + nameLength) &&
                   (rest == 0 || AddField(walk, op, pos, kFieldData, nullptr, rest));
        }
        case kStepBits:
        case kStepBitsRgn:
        case kStepDirect:
        case kStepDirectRgn: return AddImage(walk, op, pos, step);
        case kStepEnd: return true;
    }
    return false;
}

// Pixel images: header, rectangles, mode, optional mask region, rows.
static Boolean AddImage(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, LayoutStep step) {
    Boolean direct = step == kStepDirect || step == kStepDirectRgn;
    if (direct && !AddField(walk, op, pos, kFieldLong, "baseAddr", 4)) return false;
    if (!Readable(walk, *pos, 2)) return false;
    SInt32 rowBytes = UInt16(OrvaPictWord(walk, *pos));
    if (!AddField(walk, op, pos, kFieldWord, "rowBytes", 2)) return false;
    UInt32 boundsOffset = *pos;
    if (direct || (rowBytes & 0x8000)) {
        if (!AddField(walk, op, pos, kFieldPixMap, "pixMap", kPictPixMapBytes)) return false;
        if (!direct) {
            SInt32 entries = Readable(walk, *pos + 6, 2) ? OrvaPictWord(walk, *pos + 6) + 1 : -1;
            if (entries < 0 || !AddField(walk, op, pos, kFieldColorTable, "colorTable", 8 + 8 * UInt64(entries)))
                return false;
        }
    } else if (!AddField(walk, op, pos, kFieldRect, kLabelBounds, 8)) {
        return false;
    }
    Rect bounds = OrvaPictRect(walk, boundsOffset);
    if (!AddField(walk, op, pos, kFieldRect, "src", 8) || !AddField(walk, op, pos, kFieldRect, "dst", 8) ||
        !AddField(walk, op, pos, kFieldWord, "mode", 2))
        return false;
    if (step == kStepBitsRgn || step == kStepDirectRgn) {
        if (!RunStep(walk, op, pos, kStepRegion)) return false;
        op->fields[op->fieldCount - 1].label = "mask";
    }
    return AddRows(walk, op, pos, rowBytes & 0x7FFF, SInt32(bounds.bottom) - bounds.top);
}

// Rows below kPackedRowLimit bytes are raw; longer ones are each preceded by their packed
// length, one byte up to kByteLengthLimit row bytes, else a big-endian word in every kind.
static Boolean AddRows(PictWalkRecord *walk, PictOpRecord *op, UInt32 *pos, SInt32 rowBytes, SInt32 height) {
    if (height < 0) height = 0;
    if (rowBytes < kPackedRowLimit) return AddField(walk, op, pos, kFieldRows, "rows", UInt64(rowBytes) * UInt64(height));
    ByteReader rows = At(walk, *pos);
    for (SInt32 row = 0; row < height && !rows.failed; row++) {
        if (ByteReaderLeft(&rows) < 2) return false;  // a last row is never shorter than two bytes
        Skip(&rows, rowBytes > kByteLengthLimit ? Get16(&rows) : Get8(&rows));
    }
    return !rows.failed && AddField(walk, op, pos, kFieldRows, "rows", rows.position - *pos);
}

static void SwapWords(UInt8 *p, UInt32 count) {
    for (UInt32 i = 0; i < count; i++, p += 2) {
        UInt8 t = p[0];
        p[0] = p[1];
        p[1] = t;
    }
}

static void SwapLong(UInt8 *p) {
    UInt8 t = p[0];
    p[0] = p[3];
    p[3] = t;
    t = p[1];
    p[1] = p[2];
    p[2] = t;
}

// Reverses the byte order of every 16- and 32-bit value of one field.
static void SwapField(UInt8 *bytes, const PictFieldRecord *field) {
    UInt8 *p = bytes + field->offset;
    switch (field->kind) {
        case kFieldWord:
        case kFieldPoint:
        case kFieldRect:
        case kFieldRGB:
        case kFieldRegion:
        case kFieldPolygon: SwapWords(p, field->length / 2); break;
        case kFieldLong: SwapLong(p); break;
        case kFieldPixMap:
            // bounds, version, packType; packSize, hRes, vRes; pixelType, pixelSize, cmpCount,
            // cmpSize; planeBytes, table, reserved.
            SwapWords(p, 6);
            for (UInt32 at = 12; at < 24; at += 4) SwapLong(p + at);
            SwapWords(p + 24, 4);
            for (UInt32 at = 32; at < 44; at += 4) SwapLong(p + at);
            break;
        case kFieldColorTable:
            SwapLong(p);
            SwapWords(p + 4, (field->length - 4) / 2);
            break;
        case kFieldByte:
        case kFieldPattern:
        case kFieldText:
        case kFieldData:
        case kFieldRows: break;
    }
}

// Walks an own-form picture held in bytes and rewrites it as big-endian PICT version 2.
static Boolean ConvertOwnForm(UInt8 *bytes, UInt32 size, Boolean transcode) {
    PictWalkRecord walk;
    if (OrvaPictBeginWalk(bytes, size, &walk) != noErr) {
        OrvaErreur("Cvt : Version de Pict non reconnue.");
        return false;
    }
    Rect frame = OrvaPictRect(&walk, 2);
    PictSwapContext context = {transcode, 0};
    PictOpRecord op;
    do {
        OSErr err = OrvaPictNextOp(&walk, &op);
        if (err != noErr || !op.walked) {
            Boolean known = op.name[0] && op.walked;
            if (known || op.offset + 2 > size) OrvaErreurF("Conversion PICT : picture tronquee a l'offset %u", op.offset);
            else OrvaErreurF("Conversion PICT : Opcode $%04x inconnu", op.opcode);
            return false;
        }
        if (op.opcode == kPictOpTxFont) context.font = SInt16(OrvaPictWord(&walk, op.fields[0].offset));
        for (SInt32 i = 0; i < op.fieldCount; i++) {
            const PictFieldRecord &f = op.fields[i];
            if (f.kind == kFieldText && context.transcode && gTextTranscoder && op.opcode != kPictOpFontName)
                gTextTranscoder(context.font, bytes + f.offset + 1, SInt32(f.length) - 1);
            SwapField(bytes, &f);
        }
        // Packed rows of a bit image are told apart by their opcode in version 2.
        ByteReader rowBytes = At(&walk, op.fields[0].offset);  // big-endian now
        if (op.opcode == kPictOpBitsRect && (Get16(&rowBytes) & 0x7FFF) >= kPackedRowLimit)
            bytes[op.offset + 1] = kPictOpPackBitsRect;
    } while (op.opcode != kPictOpEndPic);
    SwapWords(bytes, 5);
    bytes[12] = 0x02;
    bytes[13] = 0xFF;
    // Standard version-2 header: -1, -1, the frame as 16.16 values, 4 reserved bytes.
    UInt8 *h = bytes + 16;
    std::memset(h, 0, 24);
    std::memset(h, 0xFF, 4);
    const SInt16 edges[4] = {frame.top, frame.left, frame.bottom, frame.right};
    for (SInt32 i = 0; i < 4; i++) {
        h[4 + 4 * i] = UInt8(UInt16(edges[i]) >> 8);
        h[5 + 4 * i] = UInt8(edges[i] & 0xFF);
    }
    return true;
}

static void NoteResolution(const PictWalkRecord *walk, const PictOpRecord *op, Fixed *hRes, Fixed *vRes) {
    for (SInt32 i = 0; i < op->fieldCount; i++) {
        const PictFieldRecord &f = op->fields[i];
        Fixed h = kFixed72, v = kFixed72;
        if (f.kind == kFieldPixMap) {
            h = OrvaPictLong(walk, f.offset + kPixMapHRes);
            v = OrvaPictLong(walk, f.offset + kPixMapVRes);
        } else if (f.label != kLabelBounds) {
            continue;
        }
        if (h > *hRes) *hRes = h;
        if (v > *vRes) *vRes = v;
    }
}
