// The one reading of a walked picture's opcodes for playback: each opcode's operands are
// decoded once, through the bounded walk, and handed to a row of drawing procedures, one row
// per playback target (a QuickDraw port, a cairo page). Operands are in picture units; each
// target maps them itself. Main thread only.
#pragma once

#include "graphics/pictures/pict_format.h"

// How a player reports a picture it cannot play.
struct PictPlayMessages {
    const char *unknownKind;    // format for a picture of no known kind ("%x": its version word)
    const char *badHeader;      // a header the walk cannot start on
    const char *shortHeader;    // a header cut short
    const char *unknownOpcode;  // format for an opcode the walk does not know ("%04x")
    const char *truncated;      // format for a picture cut short ("%u": the offset)
};

// What a target does with each decoded opcode. A procedure answering false stops playback
// (the target gave its message). Null optional slots skip their opcodes.
struct PictDrawProcs {
    const PictPlayMessages *messages;
    Boolean (*clip)(void *target, const PictFieldRecord *region, UInt32 opOffset);
    void (*backPat)(void *target, const Pattern *pat);
    void (*penPat)(void *target, const Pattern *pat);
    void (*fillPat)(void *target, const Pattern *pat);
    void (*textFont)(void *target, SInt16 id);
    void (*textFace)(void *target, UInt8 face);
    void (*textMode)(void *target, SInt16 mode);
    void (*textSize)(void *target, SInt16 size);
    void (*spaceExtra)(void *target, Fixed extra);
    void (*penSize)(void *target, Point size);
    void (*penMode)(void *target, SInt16 mode);
    void (*ovalSize)(void *target, Point size);
    void (*origin)(void *target, SInt16 dh, SInt16 dv);
    void (*classicColor)(void *target, Boolean fore, SInt16 code);
    void (*rgbColor)(void *target, Boolean fore, RGBColor c);
    void (*line)(void *target, Point from, SInt32 dh, SInt32 dv);  // Line and ShortLine
    void (*lineFrom)(void *target, Point to);
    void (*shortLineFrom)(void *target, SInt32 dh, SInt32 dv);
    // LongText at a point (at non-null, no deltas), or DHText, DVText and DHDVText moved by the
    // deltas from where the last text ended. text: the length byte, then the characters.
    void (*text)(void *target, const Point *at, SInt32 dh, SInt32 dv, const UInt8 *text);
    void (*fontName)(void *target, SInt16 pictureId, const UInt8 *name);  // optional; name length-prefixed
    void (*shortComment)(void *target, SInt16 kind);
    void (*longComment)(void *target, SInt16 kind, const UInt8 *data, UInt32 length);  // data null: no data field
    Boolean (*image)(void *target, const PictOpRecord *op);  // BitsRect .. DirectBitsRgn
    // The rectangle families (0x30 rect, 0x40 round rect, 0x50 oval, 0x60 arc) and their verbs
    // (0 frame .. 4 fill); r null: the family's "same" form, the last rectangle again.
    void (*shape)(void *target, UInt16 family, SInt32 verb, const Rect *r, SInt16 start, SInt16 arc);
    void (*polygon)(void *target, SInt32 verb, const PictFieldRecord *polygon);
    Boolean (*region)(void *target, SInt32 verb, const PictFieldRecord *region, UInt32 opOffset);  // optional
    Boolean (*other)(void *target, UInt16 opcode);  // every other opcode; optional
};

// Starts the walk of a picture to play, reporting with the row's messages a picture of no
// known kind or a header the walk cannot start on: false then.
Boolean OrvaPictBeginPlayback(const UInt8 *bytes, UInt32 size, PictWalkRecord *walk, const PictDrawProcs *procs);
// Decodes one opcode into a call of procs; false stops playback.
Boolean OrvaPictDecodeOp(const PictWalkRecord *walk, const PictOpRecord *op, const PictDrawProcs *procs, void *target);
// Plays the rest of the walk up to EndPic, reporting an unknown opcode or a cut picture with
// the row's messages; size: the picture's bytes. True when EndPic was reached.
Boolean OrvaPictPlayOps(PictWalkRecord *walk, UInt32 size, const PictDrawProcs *procs, void *target);

// The operands of a bit, pixel or direct image opcode (BitsRect to DirectBitsRgn) in machine
// order. The colour table of a pixel map is a new handle in map.pmTable (the caller disposes);
// rows point into the picture. False without memory.
struct PictImageRecord {
    PixMap map;
    Boolean isPixMap;
    Rect src;
    Rect dst;  // as recorded
    SInt16 mode;
    const PictFieldRecord *mask;  // the mask region field of the Rgn forms, or null
    const UInt8 *rows;
    UInt32 rowsLength;
};
Boolean OrvaPictReadImage(const PictWalkRecord *walk, const PictOpRecord *op, PictImageRecord *image);
Point OrvaPictPoint(const PictWalkRecord *walk, UInt32 offset);  // v then h
