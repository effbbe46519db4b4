// Offscreen ports and GWorlds: ports that own a pixel buffer without a window (24-bit, 8-bit
// and 256-gray), the GWorld calls built on them, and the frame margins and system-draw flag of
// window ports, whose buffer also holds the window frame. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

typedef GrafPtr GWorldPtr;
typedef UInt32 GWorldFlags;
typedef SInt16 QDErr;

// Pixels of window frame kept around a port's content in its buffer.
struct OrvaMarginsRecord {
    SInt16 top;
    SInt16 left;
    SInt16 bottom;
    SInt16 right;
};

// A new offscreen port of width x height at depth: 24 (4 bytes a pixel) or 8 (an index a
// pixel; depths 2 to 8 give 8), depth 1 a 256-gray port. Null without memory. The caller's
// current port is current again on return; the caller disposes with OrvaClosePortOffscreen.
GrafPtr OrvaCreatePortOffscreen(SInt16 width, SInt16 height, SInt16 depth);
GrafPtr OrvaCreatePortOffscreen256Gray(SInt16 width, SInt16 height);  // depth 8, gray levels
// Opens the caller's zeroed record as an offscreen: portRect = bounds = (0,0,width,height),
// clip wide open, visRgn = portRect, a buffer at depth (at least 1 x 1). The port becomes
// current. False when the buffer could not be made.
Boolean OrvaOpenPortOffscreen(GrafPtr port, SInt16 width, SInt16 height, SInt16 depth);
Boolean OrvaOpenPortOffscreen256Gray(GrafPtr port, SInt16 width, SInt16 height);
void OrvaClosePortOffscreen(GrafPtr port);           // ClosePort and frees the record; null: nothing
void OrvaClosePortOffscreenNonAlloue(GrafPtr port);  // ClosePort only: the record is the caller's
void OrvaGetPortOffscreen(GrafPtr *port);            // GetPort
void OrvaSetPortOffscreen(GrafPtr port);             // SetPort
// Rebuilds port's buffer at portRect's size and at depth (at least 8; above 8 gives 24). With
// the system-draw flag set, portRect then covers the whole buffer. Answers whether the port
// has a buffer.
Boolean OrvaAlloueOffscreenPort(GrafPtr port, SInt16 depth);
// Gives port a buffer (depth 24 when it has no depth) unless it has one or must have none.
// The port is current during the call; the previous one is current again afterwards.
void OrvaAllocatePortForDraw(GrafPtr port);
SInt16 OrvaGetRowbytesOffscreen(const BitMap *bits);  // rowBytes without bit 15
// The port's pixels: answers OrvaGetPtrDataOffscreen of portBits, with its bounds, true row
// stride and depth (any out pointer may be null). Valid until the buffer is replaced.
Ptr OrvaGetInfoOffscreen(GrafPtr port, Rect *bounds, SInt32 *rowBytes, SInt16 *depth);

// Set: portRect (and bounds) grow by the margins and the effective base becomes the buffer's
// first pixel; clear: the opposite. Nothing when the flag does not change.
void OrvaSetSystemDrawFlag(GrafPtr port, Boolean flag);
// New margins: the buffer is resized around the content, which keeps its pixels and size.
// Without a buffer only the margins are stored. Negative margins count as 0.
void OrvaSetSystemMargins(GrafPtr port, const OrvaMarginsRecord *margins);
// Margins from the window's structure region around the port's screen rectangle.
void OrvaInitMargins(GrafPtr port);

// OrvaCreatePortOffscreen of the rectangle's width and height: noErr and the port in *world,
// or paramErr and null.
QDErr NewGWorld(GWorldPtr *world, SInt16 depth, const Rect *bounds, CTabHandle table, GDHandle device,
                GWorldFlags flags);
void DisposeGWorld(GWorldPtr world);
void SetGWorld(GWorldPtr port, GDHandle device);    // SetPort
void GetGWorld(GWorldPtr *port, GDHandle *device);  // the current port and the one device
// Replaces *world by a new world of bounds and depth, current when the old one was; answers
// flags.
GWorldFlags UpdateGWorld(GWorldPtr *world, SInt16 depth, const Rect *bounds, CTabHandle table, GDHandle device,
                         GWorldFlags flags);
Boolean LockPixels(PixMapHandle map);  // true
void UnlockPixels(PixMapHandle map);
CTabHandle GetCTable(SInt16 id);        // a new zeroed 16-byte table whatever the id
void DisposeCTable(CTabHandle table);
