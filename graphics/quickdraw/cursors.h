// The QuickDraw cursor calls: black-and-white cursors, colour cursors from 'crsr' resources,
// the library's copy of the cursor in force that the platform layer shows, and the scale of
// cursor images. Inside the browser plug-in the setters change nothing: the browser owns the
// pointer. Main thread only: the cursor in force is process-wide.
#pragma once

#include "graphics/quickdraw/ports.h"

// In memory; the resource holds the same fields big-endian with 32-bit offsets in place of the
// handles (96 bytes).
struct CCrsr {
    SInt16 crsrType;
    PixMapHandle crsrMap;  // its baseAddr holds the pixel data (a pointer block), pmTable the colours
    Handle crsrData;       // not filled
    Handle crsrXData;      // not filled
    SInt16 crsrXValid;     // not filled
    SInt32 crsrXHandle;    // byte size of the pixel data at (*crsrMap)->baseAddr
    UInt16 crsr1Data[16];  // the black-and-white image, most significant bit leftmost
    UInt16 crsrMask[16];
    Point crsrHotSpot;
    SInt32 crsrXTable;     // not filled
    UInt32 crsrID;         // (resource id << 16) + the resource's home file number
};
typedef CCrsr *CCrsrPtr;
typedef CCrsrPtr *CCrsrHandle;

enum : SInt16 {
    kCursorKindPlatform = 32760,  // in a Cursor's hotSpot.v: one of the platform's own shapes
    kCursorKindColor = 32761,
};
enum : UInt32 { kResCCrsrBytes = 96 };

// The cursor in force, handed to the platform layer (orva_setCursor).
struct OrvaCursorArea {
    Cursor cursor;           // black-and-white: a copy of the Cursor set; colour: crsr1Data,
                             // crsrMask and the hot spot
    SInt16 kind;             // kCursorKindColor, kCursorKindPlatform or 0
    UInt32 id;               // colour: crsrID; a platform shape: its number (cursor.hotSpot.h)
    PixMapHandle colorMap;   // colour: a private copy of the pixel map, its table and pixel data
    Handle colorMask;        // colour: the 32 mask bytes
};

// Copies cursor into the cursor in force and hands it to the platform, unless running as the
// plug-in or cursor is the record last set. A colour cursor in force loses its copies.
void _SetCursor(const Cursor *cursor);
void InitCursor();  // _SetCursor (&qd.arrow)
// The same for a colour cursor: private copies of its pixel map, colours, pixels and mask.
void SetCCursor(CCrsrHandle cursor);
void OrvaGetCurrentCurs(Cursor *out);  // the 68 bytes of the cursor in force
const OrvaCursorArea *OrvaGetCursorInForce();
// The 'crsr' resource id as a new colour cursor; null when it is missing or malformed.
CCrsrHandle GetCCursor(SInt16 id);
// Reads a 'crsr' resource's bytes; crsrID gets id and homeFile. Null as GetCCursor.
CCrsrHandle OrvaCCursorFromBytes(const UInt8 *bytes, UInt32 size, SInt16 id, SInt16 homeFile);
void DisposeCCursor(CCrsrHandle cursor);  // its pixel data, colour table, pixel map and record
Handle DupliqueHandle(Handle h);          // a new handle holding a copy; null without memory
void OrvaSetCursorScale(float scale);     // applied by the platform to colour cursor images
float OrvaGetCursorScale();               // 1.25 until set

// Where the cursor in force is handed: null restores orva_setCursor. Test seam.
void OrvaSetCursorShowHook(void (*show)(const OrvaCursorArea *area));
