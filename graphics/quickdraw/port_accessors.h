// Accessors of the port record and of the QuickDraw globals, the Carbon-style way of reading
// and writing them without touching the fields. Main thread only.
#pragma once

#include "graphics/quickdraw/ports.h"

SInt16 GetPortTextFont(GrafPtr port);
UInt8 GetPortTextFace(GrafPtr port);
SInt16 GetPortTextMode(GrafPtr port);
SInt16 GetPortTextSize(GrafPtr port);
Fixed GetPortSpExtra(GrafPtr port);
Point *GetPortPenLocation(GrafPtr port, Point *penLocation);
SInt32 GetPortPenMode(GrafPtr port);
RGBColor *GetPortForeColor(GrafPtr port, RGBColor *color);
RGBColor *GetPortBackColor(GrafPtr port, RGBColor *color);
Rect *GetPortBounds(GrafPtr port, Rect *r);
Rect *GetRegionBounds(RgnHandle region, Rect *r);
GrafPtr GetQDGlobalsThePort();
BitMap *GetQDGlobalsScreenBits(BitMap *screenBits);
Cursor *GetQDGlobalsArrow(Cursor *arrow);
SInt32 GetQDGlobalsRandomSeed();
void SetQDGlobalsRandomSeed(SInt32 seed);
Boolean IsPortPictureBeingDefined(GrafPtr port);
RgnHandle GetPortVisibleRegion(GrafPtr port, RgnHandle visibleRegion);  // copies into the caller's region
RgnHandle GetPortClipRegion(GrafPtr port, RgnHandle clipRegion);
void SetPortVisibleRegion(GrafPtr port, RgnHandle region);
void SetPortClipRegion(GrafPtr port, RgnHandle region);
GrafPtr CreateNewPort();  // null when there is no memory
void DisposePort(GrafPtr port);
PixMapHandle GetPortPixMap(GrafPtr port);
SInt16 GetPixDepth(PixMapHandle pixMap);
Boolean IsPortColor(GrafPtr port);
const BitMap *GetPortBitMapForCopyBits(GrafPtr port);
