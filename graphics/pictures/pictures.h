// Pictures: the picture handle, the recorder that turns drawing calls of the current port into
// opcodes of the library's own form, picture comments and the bottleneck table.
// Main thread only, like every QuickDraw call.
#pragma once

#include "graphics/quickdraw/ports.h"

// Every kind of picture starts with picSize (the low 16 bits of the length) and picFrame, in
// the picture's byte order; the version mark at offset 10 tells the kinds apart.
struct Picture {
    SInt16 picSize;
    Rect picFrame;
};
typedef Picture *PicPtr;
typedef PicPtr *PicHandle;

enum : UInt16 {
    kPictOpClip = 0x01,
    kPictOpBkPat = 0x02,
    kPictOpTxFont = 0x03,
    kPictOpTxFace = 0x04,
    kPictOpTxMode = 0x05,
    kPictOpSpExtra = 0x06,
    kPictOpPnSize = 0x07,
    kPictOpPnMode = 0x08,
    kPictOpPnPat = 0x09,
    kPictOpFillPat = 0x0A,
    kPictOpOvSize = 0x0B,
    kPictOpOrigin = 0x0C,
    kPictOpTxSize = 0x0D,
    kPictOpFgColor = 0x0E,
    kPictOpBkColor = 0x0F,
    kPictOpTxRatio = 0x10,
    kPictOpRGBFgCol = 0x1A,
    kPictOpRGBBkCol = 0x1B,
    kPictOpDefHilite = 0x1E,
    kPictOpLine = 0x20,
    kPictOpLineFrom = 0x21,
    kPictOpShortLine = 0x22,
    kPictOpShortLineFrom = 0x23,
    kPictOpLongText = 0x28,
    kPictOpDHText = 0x29,
    kPictOpFontName = 0x2C,
    kPictOpFrameRect = 0x30,   // + kPictVerbPaint ... kPictVerbFill: the other verbs
    kPictOpFrameRRect = 0x40,
    kPictOpFrameOval = 0x50,
    kPictOpFrameArc = 0x60,
    kPictOpFramePoly = 0x70,
    kPictOpFrameRgn = 0x80,
    kPictOpBitsRect = 0x90,
    kPictOpPackBitsRect = 0x98,
    kPictOpDirectBitsRect = 0x9A,
    kPictOpShortComment = 0xA0,
    kPictOpLongComment = 0xA1,
    kPictOpEndPic = 0xFF,
    kPictOpHeader = 0x0C00,
    kPictOpMove = 0x0AFE,  // pseudo-opcode of _MoveTo and Move: writes nothing
    kPictOpAppend = 0,     // appends operand bytes to the previous opcode
};

// Offsets of the five shape verbs from a shape's frame opcode.
enum : UInt16 { kPictVerbFrame = 0, kPictVerbPaint = 1, kPictVerbErase = 2, kPictVerbInvert = 3, kPictVerbFill = 4 };

enum : SInt16 {
    kOwnPictHeaderBytes = 42,   // header block and DefHilite
    kPictFirstOpcode = 40,      // offset of the first opcode in both version-2 layouts
    kPictCommentUnicodeText = 5478,
};

PicHandle OpenPicture(const Rect *frame);  // null without a port or memory; the port records
void ClosePicture();   // ends the current port's recording; the picture stays the caller's
void KillPicture(PicHandle pic);
// The single writer of the recorder (current port): opcode kPictOpAppend adds bytes to the
// previous opcode. Does nothing when the port is not recording or recording failed.
void RecordPictAction(UInt16 opcode, const void *operands, UInt32 length);
void PicComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);  // the port's commentProc or StdComment
void StdComment(SInt16 kind, SInt16 dataSize, Handle dataHandle);
void OrvaCollectUnicodeAlternateText(const UniChar *text, UInt16 count, SInt16 angle);
void SetPortGrafProcs(GrafPtr port, GrafProcs *procs);
GrafProcs *GetPortGrafProcs(GrafPtr port);
