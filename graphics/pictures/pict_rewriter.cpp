// The picture rewriter. An own-form source is first converted to big-endian by CvtPict2MacPict,
// so that every operand is copied as it stands; the bounded walk gives each opcode's operands,
// and anything it cannot read (an unknown opcode, a cut-off picture) answers null so that the
// caller plays the source instead.
#include "graphics/pictures/pict_rewriter.h"

#include <cstring>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/text/font_services.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

enum : UInt32 {
    kPixMapTableOffset = 36,   // pmTable inside the 44 bytes after rowBytes
    kPixMapReservedOffset = 40,
};

struct Writer {
    std::vector<UInt8> out;
    void Byte(UInt8 b) { out.push_back(b); }
    void Word(UInt16 w) {
        out.push_back(UInt8(w >> 8));
        out.push_back(UInt8(w));
    }
    void Bytes(const UInt8 *p, size_t n) { out.insert(out.end(), p, p + n); }
    void Opcode(UInt16 op) {
        if (out.size() & 1) out.push_back(0);
        Word(op);
    }
};

Boolean IsColourOpcode(UInt16 op) {
    return op == kPictOpFgColor || op == kPictOpBkColor || op == kPictOpRGBFgCol || op == kPictOpRGBBkCol || op == 0x1F;
}

}  // namespace

PicHandle AdaptePicture(PicHandle source, UInt16 mode, UInt16 colorIndex) {
    if (!source || !*source) return nullptr;
    UInt32 size = GetHandleSize((Handle)source);
    std::vector<UInt8> bytes((const UInt8 *)*source, (const UInt8 *)*source + size);
    PictKind kind = OrvaPictKind(bytes.data(), size);
    if (kind == kPictKindUnknown) {
        if (OrvaPictVersionWord(bytes.data(), size) == 0x0011) OrvaErreur("PICT 2: Bad version");
        return nullptr;
    }
    if (kind == kPictKindOwn) {
        // Convert a copy: every operand is then big-endian like the output.
        Handle copy = NewHandle(size);
        if (!copy) return nullptr;
        std::memcpy(*copy, bytes.data(), size);
        Boolean converted = CvtPict2MacPict((PicHandle)copy, false);
        if (converted) std::memcpy(bytes.data(), *copy, size);
        DisposHandle(copy);
        if (!converted) return nullptr;
        kind = kPictKindVersion2;
    }
    PictWalkRecord walk;
    if (OrvaPictBeginWalk(bytes.data(), size, &walk) != noErr) return nullptr;
    Writer w;
    w.Bytes(bytes.data(), 10);
    if (kind == kPictKindVersion2) {
        w.Bytes(bytes.data() + 10, kPictFirstOpcode - 10);
    } else {
        const UInt8 header[] = {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00, 0xFF, 0xFE, 0x00, 0x00,
                                0x00, 0x48, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00};
        w.Bytes(header, sizeof header);
        w.Bytes(bytes.data() + 2, 8);  // the frame, big-endian already
        const UInt8 reserved[4] = {0, 0, 0, 0};
        w.Bytes(reserved, 4);
    }
    if (colorIndex != 0) {
        RGBColor c;
        CvtIndexEnRGB(SInt16(colorIndex), &c);
        w.Opcode(kPictOpRGBFgCol);
        w.Word(c.red);
        w.Word(c.green);
        w.Word(c.blue);
    }
    PictOpRecord op;
    for (;;) {
        if (OrvaPictNextOp(&walk, &op) != noErr) {
            if (op.name[0] == 0) OrvaErreurF("PICT 2: Opcode $%04x inconnu", op.opcode);
            return nullptr;
        }
        UInt16 code = op.opcode;
        UInt32 operands = walk.kind == kPictKindVersion1 ? op.offset + 1 : op.offset + 2;
        if (code == kPictOpDirectBitsRect || code == kPictOpDirectBitsRect + 1) {
            if (walk.kind == kPictKindVersion1) return nullptr;
            // The direct image and everything after it, byte for byte.
            w.Opcode(code);
            w.Bytes(bytes.data() + operands, size - operands);
            break;
        }
        if (code == kPictOpFgColor || code == kPictOpBkColor || code == 0x1F) continue;
        if (colorIndex != 0 && IsColourOpcode(code)) continue;
        w.Opcode(code);
        size_t start = w.out.size();
        w.Bytes(bytes.data() + operands, op.end - operands);
        if (code == kPictOpTxFont && IsFonteLentaraScreen(SInt16(OrvaPictWord(&walk, op.fields[0].offset)))) {
            w.out[start] = UInt8(UInt16(lentaraPrint) >> 8);
            w.out[start + 1] = UInt8(lentaraPrint);
        }
        if (code == kPictOpBitsRect || code == kPictOpPackBitsRect || code == kPictOpBitsRect + 1 ||
            code == kPictOpPackBitsRect + 1) {
            for (SInt32 i = 0; i < op.fieldCount; i++) {
                const PictFieldRecord &f = op.fields[i];
                size_t at = start + (f.offset - operands);
                if (f.kind == kFieldPixMap) {
                    std::memset(&w.out[at + kPixMapTableOffset], 0, 8);
                } else if (f.label && std::strcmp(f.label, "mode") == 0) {
                    w.out[at] = UInt8(mode >> 8);
                    w.out[at + 1] = UInt8(mode);
                }
            }
        }
        if (code == kPictOpEndPic) break;
    }
    Handle result = NewHandle(UInt32(w.out.size()));
    if (!result) return nullptr;
    std::memcpy(*result, w.out.data(), w.out.size());
    (*result)[0] = char(UInt8(w.out.size() >> 8));
    (*result)[1] = char(UInt8(w.out.size()));
    return (PicHandle)result;
}

UInt8 LockHandleSys(Handle h) {
    UInt8 state = HGetState(h);
    if (h && !(state & 0x80)) HLock(h);
    return state;
}

void UnLockHandleSys(Handle h, UInt8 state) {
    if (h && !(state & 0x80)) HUnlock(h);
}

SInt16 RetailleHandle(Handle h, UInt32 size) {
    if (!h) return 0;
    UInt8 state = HGetState(h);
    if (state & 0x80) HUnlock(h);
    SetHandleSize(h, size);
    OSErr err = MemError();
    if (state & 0x80) HLock(h);
    return err == noErr ? 1 : 0;
}

void CvtIndexEnRGB(SInt16 index, RGBColor *rgb) {
    if (!rgb) return;
    *rgb = {0, 0, 0};
    if (index == 0) index = 1;
    CTabHandle table = OrvaDefault8BitsColorTable;
    if (!table || !*table || index < 0 || index > (*table)->ctSize) return;
    if (GetHandleSize((Handle)table) < offsetof(ColorTable, ctTable) + sizeof(ColorSpec) * size_t(index + 1)) return;
    *rgb = (*table)->ctTable[index].rgb;
}

GrafPtr CreeOffscreen(SInt16 width, SInt16 height, SInt16 depth) {
    return OrvaCreatePortOffscreen(width, height, depth < 0 ? SInt16(24) : depth);
}
