// The playback decoder: one switch over the opcodes, every operand read through the walk.
#include "graphics/pictures/pict_decoder.h"

#include <cstddef>
#include <cstring>

#include "graphics/text/font_manager.h"
#include "platform/core/byte_reader.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

static UInt8 FieldByte(const PictWalkRecord *walk, const PictFieldRecord &field);
static Pattern FieldPattern(const PictWalkRecord *walk, const PictFieldRecord &field);
static void DecodeTextOrComment(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs,
                                void *target);
static Boolean DecodeShape(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs, void *target);

Boolean OrvaPictBeginPlayback(const UInt8 *bytes, UInt32 size, PictWalkRecord *walk, const PictDrawProcs *procs) {
    UInt16 version = OrvaPictVersionWord(bytes, size);
    if (size >= 12 && version != 0x1101 && version != 0x0011) {
        OrvaErreurF(procs->messages->unknownKind, SInt32(SInt16(version)));
        return false;
    }
    if (OrvaPictBeginWalk(bytes, size, walk) == noErr) return true;
    OrvaErreur(size >= 14 && version == 0x0011 ? procs->messages->badHeader : procs->messages->shortHeader);
    return false;
}

Boolean OrvaPictDecodeOp(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs, void *target) {
    const PictFieldRecord *f = op->fields;
    UInt16 code = op->opcode;
    SInt32 word0 = op->fieldCount > 0 ? OrvaPictWord(walk, f[0].offset) : 0;
    Pattern pat = op->fieldCount > 0 && f[0].kind == kFieldPattern ? FieldPattern(walk, f[0]) : Pattern{};
    switch (code) {
        case kPictOpClip: return procs->clip(target, &f[0], op->offset);
        case kPictOpBkPat: procs->backPat(target, &pat); return true;
        case kPictOpPnPat: procs->penPat(target, &pat); return true;
        case kPictOpFillPat: procs->fillPat(target, &pat); return true;
        case kPictOpTxFont: procs->textFont(target, SInt16(word0)); return true;
        case kPictOpTxFace: procs->textFace(target, FieldByte(walk, f[0])); return true;
        case kPictOpTxMode: procs->textMode(target, SInt16(word0)); return true;
        case kPictOpTxSize: procs->textSize(target, SInt16(word0)); return true;
        case kPictOpSpExtra: procs->spaceExtra(target, OrvaPictLong(walk, f[0].offset)); return true;
        case kPictOpPnSize: procs->penSize(target, OrvaPictPoint(walk, f[0].offset)); return true;
        case kPictOpPnMode: procs->penMode(target, SInt16(word0)); return true;
        case kPictOpOvSize: procs->ovalSize(target, OrvaPictPoint(walk, f[0].offset)); return true;
        case kPictOpOrigin: procs->origin(target, SInt16(word0), SInt16(OrvaPictWord(walk, f[1].offset))); return true;
        case kPictOpFgColor:
        case kPictOpBkColor:
            procs->classicColor(target, code == kPictOpFgColor, SInt16(OrvaPictLong(walk, f[0].offset) & 0xFFFF));
            return true;
        case kPictOpTxRatio: {
            Point numer = OrvaPictPoint(walk, f[0].offset), denom = OrvaPictPoint(walk, f[1].offset);
            if (denom.h != 0) OrvaSetFontRatio(float(numer.h) / float(denom.h));
            return true;
        }
        case kPictOpRGBFgCol:
        case kPictOpRGBBkCol: {
            RGBColor c = {UInt16(OrvaPictWord(walk, f[0].offset)), UInt16(OrvaPictWord(walk, f[0].offset + 2)),
                          UInt16(OrvaPictWord(walk, f[0].offset + 4))};
            procs->rgbColor(target, code == kPictOpRGBFgCol, c);
            return true;
        }
        case kPictOpLine: {
            Point from = OrvaPictPoint(walk, f[0].offset), to = OrvaPictPoint(walk, f[1].offset);
            procs->line(target, from, SInt32(to.h) - from.h, SInt32(to.v) - from.v);
            return true;
        }
        case kPictOpLineFrom: procs->lineFrom(target, OrvaPictPoint(walk, f[0].offset)); return true;
        case kPictOpShortLine:
            procs->line(target, OrvaPictPoint(walk, f[0].offset), SInt8(FieldByte(walk, f[1])), SInt8(FieldByte(walk, f[2])));
            return true;
        case kPictOpShortLineFrom:
            procs->shortLineFrom(target, SInt8(FieldByte(walk, f[0])), SInt8(FieldByte(walk, f[1])));
            return true;
        case kPictOpLongText:
        case kPictOpDHText:
        case kPictOpDHText + 1:
        case kPictOpDHText + 2:
        case kPictOpFontName:
        case kPictOpShortComment:
        case kPictOpLongComment: DecodeTextOrComment(walk, op, procs, target); return true;
        case kPictOpBitsRect:
        case kPictOpBitsRect + 1:
        case kPictOpPackBitsRect:
        case kPictOpPackBitsRect + 1:
        case kPictOpDirectBitsRect:
        case kPictOpDirectBitsRect + 1: return procs->image(target, op);
        default: break;
    }
    if (code >= 0x30 && code <= 0x6C) return DecodeShape(walk, op, procs, target);
    if (code >= 0x70 && code <= 0x74) {
        procs->polygon(target, code & 0x07, &f[0]);
        return true;
    }
    if (code >= 0x80 && code <= 0x84) return procs->region ? procs->region(target, code & 0x07, &f[0], op->offset) : true;
    return procs->other ? procs->other(target, code) : true;
}

Boolean OrvaPictPlayOps(PictWalkRecord *walk, UInt32 size, const PictDrawProcs *procs, void *target) {
    PictOpRecord op;
    for (;;) {
        if (OrvaPictNextOp(walk, &op) != noErr) {
            if (op.name[0] == 0 && op.offset + (walk->kind == kPictKindVersion1 ? 1u : 2u) <= size)
                OrvaErreurF(procs->messages->unknownOpcode, op.opcode);
            else OrvaErreurF(procs->messages->truncated, op.offset);
            return false;
        }
        if (op.opcode == kPictOpEndPic) return true;
        if (!OrvaPictDecodeOp(walk, &op, procs, target)) return false;
    }
}

Boolean OrvaPictReadImage(const PictWalkRecord *w, const PictOpRecord *op, PictImageRecord *image) {
    std::memset(image, 0, sizeof *image);
    Boolean direct = op->opcode >= kPictOpDirectBitsRect;
    const PictFieldRecord *f = op->fields;
    PixMap &map = image->map;
    SInt32 i = direct ? 1 : 0;  // rowBytes
    map.rowBytes = SInt16(OrvaPictWord(w, f[i].offset));
    i++;
    image->isPixMap = f[i].kind == kFieldPixMap;
    UInt32 at = f[i].offset;
    map.bounds = OrvaPictRect(w, at);
    if (image->isPixMap) {
        map.pmVersion = SInt16(OrvaPictWord(w, at + 8));
        map.packType = SInt16(OrvaPictWord(w, at + 10));
        map.packSize = OrvaPictLong(w, at + 12);
        map.hRes = OrvaPictLong(w, at + 16);
        map.vRes = OrvaPictLong(w, at + 20);
        map.pixelType = SInt16(OrvaPictWord(w, at + 24));
        map.pixelSize = SInt16(OrvaPictWord(w, at + 26));
        map.cmpCount = SInt16(OrvaPictWord(w, at + 28));
        map.cmpSize = SInt16(OrvaPictWord(w, at + 30));
        map.planeBytes = OrvaPictLong(w, at + 32) & 0xFFFF;
        map.pmReserved = OrvaPictLong(w, at + 40);
        i++;
        if (!direct) {
            const PictFieldRecord &t = f[i++];
            SInt32 entries = SInt32(t.length - 8) / 8;
            CTabHandle table =
                (CTabHandle)NewHandle(UInt32(offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * size_t(entries ? entries : 1)));
            if (!table) return false;
            (*table)->ctSeed = OrvaPictLong(w, t.offset);
            (*table)->ctFlags = SInt16(OrvaPictWord(w, t.offset + 4));
            (*table)->ctSize = SInt16(entries - 1);
            for (SInt32 k = 0; k < entries; k++) {
                UInt32 e = t.offset + 8 + 8 * UInt32(k);
                ColorSpec &spec = (*table)->ctTable[k];
                spec.value = SInt16(OrvaPictWord(w, e));
                spec.rgb = {UInt16(OrvaPictWord(w, e + 2)), UInt16(OrvaPictWord(w, e + 4)), UInt16(OrvaPictWord(w, e + 6))};
            }
            map.pmTable = table;
        }
    } else {
        map.pixelSize = 1;
        map.cmpCount = 1;
        map.cmpSize = 1;
        i++;
    }
    image->src = OrvaPictRect(w, f[i].offset);
    image->dst = OrvaPictRect(w, f[i + 1].offset);
    image->mode = SInt16(OrvaPictWord(w, f[i + 2].offset));
    i += 3;
    if (op->opcode & 1) image->mask = &f[i++];
    image->rows = w->bytes + f[i].offset;
    image->rowsLength = f[i].length;
    return true;
}

Point OrvaPictPoint(const PictWalkRecord *walk, UInt32 offset) {
    Point pt;
    pt.v = SInt16(OrvaPictWord(walk, offset));
    pt.h = SInt16(OrvaPictWord(walk, offset + 2));
    return pt;
}

static UInt8 FieldByte(const PictWalkRecord *walk, const PictFieldRecord &field) {
    ByteReader at = OrvaByteReader(walk->bytes, walk->size);
    Seek(&at, field.offset);
    return Get8(&at);
}

static Pattern FieldPattern(const PictWalkRecord *walk, const PictFieldRecord &field) {
    Pattern pat;
    ByteReader at = OrvaByteReader(walk->bytes, walk->size);
    Seek(&at, field.offset);
    Bytes(&at, pat.pat, sizeof pat.pat);
    return pat;
}

// Texts carry their characters last: a length byte, then the bytes.
static void DecodeTextOrComment(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs,
                                void *target) {
    const PictFieldRecord *f = op->fields;
    const UInt8 *text = walk->bytes + f[op->fieldCount - 1].offset;
    switch (op->opcode) {
        case kPictOpLongText: {
            Point at = OrvaPictPoint(walk, f[0].offset);
            procs->text(target, &at, 0, 0, text);
            break;
        }
        case kPictOpDHText: procs->text(target, nullptr, FieldByte(walk, f[0]), 0, text); break;
        case kPictOpDHText + 1: procs->text(target, nullptr, 0, FieldByte(walk, f[0]), text); break;
        case kPictOpDHText + 2: procs->text(target, nullptr, FieldByte(walk, f[0]), FieldByte(walk, f[1]), text); break;
        case kPictOpFontName:
            if (procs->fontName) procs->fontName(target, SInt16(OrvaPictWord(walk, f[1].offset)), walk->bytes + f[2].offset);
            break;
        case kPictOpShortComment: procs->shortComment(target, SInt16(OrvaPictWord(walk, f[0].offset))); break;
        default: {
            const PictFieldRecord &data = f[op->fieldCount - 1];
            Boolean hasData = data.kind == kFieldData;
            procs->longComment(target, SInt16(OrvaPictWord(walk, f[0].offset)), hasData ? walk->bytes + data.offset : nullptr,
                               hasData ? data.length : 0);
            break;
        }
    }
}

// A rectangle family opcode: the rectangle unless it is the "same" form, then the angles of
// an arc.
static Boolean DecodeShape(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs, void *target) {
    UInt16 family = op->opcode & 0xF0;
    Boolean same = (op->opcode & 0x08) != 0;
    Rect r = same ? Rect{} : OrvaPictRect(walk, op->fields[0].offset);
    SInt16 start = 0, arc = 0;
    if (family == 0x60) {
        UInt32 at = same ? op->fields[0].offset : op->fields[1].offset;
        start = SInt16(OrvaPictWord(walk, at));
        arc = SInt16(OrvaPictWord(walk, at + 2));
    }
    procs->shape(target, family, op->opcode & 0x07, same ? nullptr : &r, start, arc);
    return true;
}
