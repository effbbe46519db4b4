// Pictures as byte vectors and back, and the opcodes a picture holds with their operand
// bytes, for tests that build pictures by hand or look inside recorded ones.
#pragma once

#include <cstring>
#include <initializer_list>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pictures.h"
#include "platform/core/memory.h"

inline std::vector<UInt8> PictureBytes(PicHandle pic) {
    const UInt8 *p = (const UInt8 *)*pic;
    return std::vector<UInt8>(p, p + GetHandleSize((Handle)pic));
}

inline PicHandle PictureFromBytes(const std::vector<UInt8> &bytes) {
    Handle h = NewHandle(UInt32(bytes.size()));
    if (!bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return (PicHandle)h;
}

struct PictureOp {
    UInt16 opcode;
    std::vector<UInt8> operands;  // the raw bytes after the opcode, in the picture's order
};

// The picture's opcodes up to its end, those listed in skip left out.
inline std::vector<PictureOp> PictureOps(PicHandle pic, std::initializer_list<UInt16> skip) {
    std::vector<UInt8> bytes = PictureBytes(pic);
    std::vector<PictureOp> ops;
    PictWalkRecord walk;
    if (OrvaPictBeginWalk(bytes.data(), UInt32(bytes.size()), &walk) != noErr) return ops;
    PictOpRecord op;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
        bool skipped = false;
        for (UInt16 s : skip) skipped = skipped || op.opcode == s;
        if (!skipped) ops.push_back({op.opcode, std::vector<UInt8>(bytes.begin() + op.offset + 2, bytes.begin() + op.end)});
    }
    return ops;
}

// The native-order word at byte at of operands.
inline SInt16 OperandWord(const std::vector<UInt8> &operands, size_t at) {
    SInt16 v;
    std::memcpy(&v, operands.data() + at, 2);
    return v;
}
