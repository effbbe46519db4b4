// Colour icons: 'cicn' resources read through the checked reader (resource_layouts.h) into a
// pixel map, its colour table and a 1-bit mask, drawn scaled to a rectangle. Main thread.
#pragma once

#include "graphics/quickdraw/ports.h"

struct ColorIconRecord {
    PixMap iconPMap;  // baseAddr: the pixel rows (owned), pmTable: the colours (owned)
    BitMap iconMask;  // baseAddr: the mask rows (owned), a set bit where the icon is opaque
};
typedef ColorIconRecord *CIconPtr;
typedef CIconPtr *CIconHandle;

// 'cicn' id of the open resource files; null when it is missing or its layout is damaged.
CIconHandle GetCIcon(SInt16 id);
// The same from a 'cicn' resource's bytes (the caller's; they are copied).
CIconHandle OrvaColorIconFromBytes(const UInt8 *bytes, UInt32 size);
// Draws the icon scaled to r in the current port, only where its mask is set.
void PlotCIcon(const Rect *r, CIconHandle icon);
void DisposCIcon(CIconHandle icon);  // null accepted
#define DisposeCIcon DisposCIcon
