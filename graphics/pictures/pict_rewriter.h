// The picture rewriter: AdaptePicture copies a picture of any kind into a new big-endian PICT
// version 2, with the print variant of the music font, one colour for the whole picture when
// asked and the given transfer mode for its images. Plus the handle and colour helpers it and
// the page drawing kit use. Main thread only.
#pragma once

#include "graphics/pictures/pictures.h"

// Null without memory, for an unknown kind or opcode, or a cut-off picture.
PicHandle AdaptePicture(PicHandle source, UInt16 mode, UInt16 colorIndex);

// Handle helpers: LockHandleSys answers the former state and locks; UnLockHandleSys unlocks
// only when that state was unlocked; RetailleHandle resizes even a locked handle (1: done).
UInt8 LockHandleSys(Handle h);
void UnLockHandleSys(Handle h, UInt8 state);
SInt16 RetailleHandle(Handle h, UInt32 size);

// Palette index to colour: index 0 is taken as 1; black without a palette.
void CvtIndexEnRGB(SInt16 index, RGBColor *rgb);
// An offscreen port; a negative depth means 24. Null when it cannot be made.
GrafPtr CreeOffscreen(SInt16 width, SInt16 height, SInt16 depth);
