// The picture recorder: OpenPicture lays out the own-form header, RecordPictAction appends each
// opcode with its operands (in memory order, opcodes on even offsets), ClosePicture finishes it.
#include "graphics/pictures/pictures.h"

#include <cassert>
#include <cstddef>
#include <cstring>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"

namespace {

// picFlags bits: one per state opcode written since OpenPicture, then the pending move.
enum : UInt32 {
    kFlagFgColor = 0x001,
    kFlagBkColor = 0x002,
    kFlagPnMode = 0x004,
    kFlagPnSize = 0x008,
    kFlagPnPat = 0x010,
    kFlagBkPat = 0x020,
    kFlagTxFont = 0x040,
    kFlagTxSize = 0x080,
    kFlagTxFace = 0x100,
    kFlagTxMode = 0x200,
    kFlagSpExtra = 0x400,
    // A _MoveTo or Move since the last line: the next LineFrom becomes a Line. Kept apart from
    // SpExtra's bit so that neither hides the other.
    kFlagPendingMove = 0x10000,
};

// A state opcode is dropped when its bit is set and the port field equals the new value.
struct StateOpcodeRow {
    UInt16 opcode;
    UInt32 bit;
    size_t field;    // offset of the port field compared
    UInt8 width;     // bytes compared
    Boolean low16;   // compare a 32-bit field and operand on their low 16 bits
};

const StateOpcodeRow kStateOpcodes[] = {
    {kPictOpFgColor, kFlagFgColor, offsetof(GrafPort, fgColor), 4, true},
    {kPictOpBkColor, kFlagBkColor, offsetof(GrafPort, bkColor), 4, true},
    {kPictOpPnMode, kFlagPnMode, offsetof(GrafPort, pnMode), 2, false},
    {kPictOpPnSize, kFlagPnSize, offsetof(GrafPort, pnSize), 4, false},
    {kPictOpPnPat, kFlagPnPat, offsetof(GrafPort, pnPat), 8, false},
    {kPictOpBkPat, kFlagBkPat, offsetof(GrafPort, bkPat), 8, false},
    {kPictOpTxFont, kFlagTxFont, offsetof(GrafPort, txFont), 2, false},
    {kPictOpTxSize, kFlagTxSize, offsetof(GrafPort, txSize), 2, false},
    {kPictOpTxFace, kFlagTxFace, offsetof(GrafPort, txFace), 1, false},
    {kPictOpTxMode, kFlagTxMode, offsetof(GrafPort, txMode), 2, false},
    {kPictOpSpExtra, kFlagSpExtra, offsetof(GrafPort, spExtra), 4, false},
};

enum : UInt32 {
    kCounterOffset = 10,      // while recording: the length so far (u32, memory order)
    kGrowthSlack = 10000,     // the handle grows this far beyond each need
    kMaxPictureBytes = 0x7FFFFFF0,
};

const UInt8 kOwnFormMark[4] = {0x00, 0x11, 0xCA, 0xFE};
const char kPictureOverflow[] = "Depassement de la taille maximale en pict";

}  // namespace

static Boolean FilteredOut(GrafPtr port, UInt16 opcode, const void *operands, UInt32 length);
static UInt32 Capacity(Handle pic);
static UInt32 ReadCounter(Handle pic);
static void WriteCounter(Handle pic, UInt32 length);

PicHandle OpenPicture(const Rect *frame) {
    GrafPtr port = qd.thePort;
    if (!port || !frame) return nullptr;
    HidePen();
    Handle pic = NewHandleClear(kOwnPictHeaderBytes);
    if (!pic) {
        ShowPen();  // a failed open leaves the port drawing as before
        return nullptr;
    }
    UInt8 *p = (UInt8 *)*pic;
    SInt16 size = kOwnPictHeaderBytes;
    std::memcpy(p, &size, 2);
    std::memcpy(p + 2, frame, sizeof(Rect));
    p[14] = 0x0C;
    p[15] = 0x00;
    p[40] = 0x00;
    p[41] = kPictOpDefHilite;
    port->picSave = pic;
    WriteCounter(pic, kOwnPictHeaderBytes);
    port->picFlags = 0;
    port->picOverflow = 0;
    RGBColor back = port->rgbBkColor;
    RGBBackColor(&back);
    SetClip(port->clipRgn);
    return (PicHandle)port->picSave;
}

void ClosePicture() {
    GrafPtr port = qd.thePort;
    if (!port) return;
    ShowPen();
    Handle pic = port->picSave;
    if (!pic) return;
    if (port->picOverflow) {
        // Keep the header and room for the end opcode; a locked handle keeps its size.
        SetHandleSize(pic, kOwnPictHeaderBytes);
        WriteCounter(pic, kPictFirstOpcode);
        port->picOverflow = 0;
        port->picSave = nullptr;
        OrvaErreur(kPictureOverflow);
        port->picSave = pic;
    }
    UInt32 end = (ReadCounter(pic) + 1) & ~1u;
    if (GetHandleSize(pic) < end + 2) SetHandleSize(pic, end + 2);
    if (GetHandleSize(pic) < end + 2) end = kPictFirstOpcode;  // no room even for the end: empty picture
    UInt8 *p = (UInt8 *)*pic;
    if (end > ReadCounter(pic)) p[end - 1] = 0;
    p[end] = 0x00;
    p[end + 1] = kPictOpEndPic;
    UInt32 length = end + 2;
    SInt16 picSize = SInt16(UInt16(length & 0xFFFF));
    std::memcpy(p, &picSize, 2);
    SetHandleSize(pic, length);
    std::memcpy((UInt8 *)*pic + kCounterOffset, kOwnFormMark, 4);
    port->picSave = nullptr;
    port->picOverflow = 0;
}

void KillPicture(PicHandle pic) {
    if (pic) DisposHandle((Handle)pic);
}

void RecordPictAction(UInt16 opcode, const void *operands, UInt32 length) {
    assert(OrvaIsMainThread());
    GrafPtr port = qd.thePort;
    if (!port || !port->picSave || port->picOverflow) return;
    if (FilteredOut(port, opcode, operands, length)) return;
    if (opcode == kPictOpMove) {
        port->picFlags |= kFlagPendingMove;
        return;
    }
    if (opcode == kPictOpLineFrom && operands && length >= sizeof(Point) && OrvaIsPolygonPicture(port->picSave)) {
        // A polygon is open: the line adds its end, and its start after a move.
        Point end;
        std::memcpy(&end, operands, sizeof end);
        orva_ajoute_ligne_poly(port->pnLoc, end, (port->picFlags & kFlagPendingMove) != 0);
    }
    if ((opcode == kPictOpLineFrom || opcode == kPictOpShortLineFrom) && (port->picFlags & kFlagPendingMove)) {
        // A move followed by a line becomes one Line carrying both points.
        port->picFlags &= ~kFlagPendingMove;
        Point from = port->pnLoc;
        RecordPictAction(opcode == kPictOpLineFrom ? kPictOpLine : kPictOpShortLine, &from, sizeof from);
        if (port->picOverflow) return;
        opcode = kPictOpAppend;
    }
    Handle pic = port->picSave;
    UInt64 counter = ReadCounter(pic);
    UInt64 position = counter, newLength = counter + length;
    if (opcode != kPictOpAppend) {
        position = (counter + 1) & ~UInt64(1);
        newLength = position + 2 + length;
    }
    if (newLength > Capacity(pic)) {
        if (newLength + kGrowthSlack > kMaxPictureBytes) OrvaSetMemError(memFullErr);
        else SetHandleSize(pic, UInt32(newLength + kGrowthSlack));
        if (MemError() != noErr) {
            port->picOverflow = 1;
            return;
        }
    }
    WriteCounter(pic, UInt32(newLength));
    UInt8 *p = (UInt8 *)*pic;
    if (opcode != kPictOpAppend) {
        if (position > counter) p[counter] = 0;  // pad byte before an aligned opcode
        p[position] = 0x00;
        p[position + 1] = UInt8(opcode & 0xFF);
        position += 2;
    }
    if (!operands) return;
    // Most operands are a few bytes, which a loop copies faster than a library call.
    if (length <= 8) {
        for (UInt32 i = 0; i < length; i++) p[position + i] = ((const UInt8 *)operands)[i];
    } else {
        std::memcpy(p + position, operands, length);
    }
}

void PicComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    GrafPtr port = qd.thePort;
    if (!port) return;
    if (port->grafProcs && port->grafProcs->commentProc) port->grafProcs->commentProc(kind, dataSize, dataHandle);
    else StdComment(kind, dataSize, dataHandle);
}

void StdComment(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    GrafPtr port = qd.thePort;
    if (!port || !port->picSave) return;
    if (dataSize <= 0 || !dataHandle || !*dataHandle) {
        RecordPictAction(kPictOpShortComment, &kind, sizeof kind);
        return;
    }
    if (UInt32(dataSize) > GetHandleSize(dataHandle)) dataSize = SInt16(GetHandleSize(dataHandle));
    SInt16 head[2] = {kind, dataSize};
    RecordPictAction(kPictOpLongComment, head, sizeof head);
    RecordPictAction(kPictOpAppend, *dataHandle, UInt32(dataSize));
}

void OrvaCollectUnicodeAlternateText(const UniChar *text, UInt16 count, SInt16 angle) {
    GrafPtr port = qd.thePort;
    if (!port || !port->picSave || !text) return;
    // The comment's size is a signed 16-bit count of bytes, angle included.
    const UInt16 kMaxUnits = (32767 - 2) / 2;
    if (count > kMaxUnits) count = kMaxUnits;
    SInt16 head[3] = {kPictCommentUnicodeText, SInt16(2 * count + 2), angle};
    RecordPictAction(kPictOpLongComment, head, 4);
    RecordPictAction(kPictOpAppend, &head[2], 2);
    RecordPictAction(kPictOpAppend, text, UInt32(count) * 2);
}

void SetPortGrafProcs(GrafPtr port, GrafProcs *procs) {
    if (port) port->grafProcs = procs;
}

GrafProcs *GetPortGrafProcs(GrafPtr port) { return port ? port->grafProcs : nullptr; }

// The redundancy filter: answers true when a state opcode repeats the port's current value.
// RGB colours make the next classic colour opcode necessary again.
static Boolean FilteredOut(GrafPtr port, UInt16 opcode, const void *operands, UInt32 length) {
    if (opcode > kPictOpRGBBkCol) return false;  // no state opcode lies above the RGB colours
    if (opcode == kPictOpRGBFgCol) port->picFlags &= ~kFlagFgColor;
    if (opcode == kPictOpRGBBkCol) port->picFlags &= ~kFlagBkColor;
    for (const StateOpcodeRow &row : kStateOpcodes) {
        if (row.opcode != opcode) continue;
        if (!operands || length < row.width) return false;
        const UInt8 *field = (const UInt8 *)port + row.field;
        Boolean same;
        if (row.low16) {
            SInt32 old, value;
            std::memcpy(&old, field, 4);
            std::memcpy(&value, operands, 4);
            same = SInt16(old) == SInt16(value);
        } else {
            same = std::memcmp(field, operands, row.width) == 0;
        }
        if ((port->picFlags & row.bit) && same) return true;
        port->picFlags |= row.bit;
        return false;
    }
    return false;
}

// The picture handle is the recorder's own and live: its size is read from the master record
// itself, as this check runs for every opcode.
static UInt32 Capacity(Handle pic) { return ((const MasterRecord *)pic)->size; }

static UInt32 ReadCounter(Handle pic) {
    UInt32 length;
    std::memcpy(&length, *pic + kCounterOffset, 4);
    return length;
}

static void WriteCounter(Handle pic, UInt32 length) { std::memcpy(*pic + kCounterOffset, &length, 4); }
