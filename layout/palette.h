// The 256-colour palette of the player and the importers: the classic 8-bit system palette
// copied from the Color Manager's table (0 white, 255 black, 245..254 greys), the nearest index
// of a colour, and colour icons turned into palette indices. Main thread only: the palette is
// process-wide (palette.cpp).
#pragma once

#include "platform/core/mac_types.h"

enum : SInt32 {
    kCouleursPalette = 256,
    kIconeCustomPetite = 1024,  // bytes of the small custom-icon buffer (32 x 32)
    kIconeCustomGrande = 2048,  // bytes of the large one
};

// Copies the Color Manager's default 8-bit table; without one (no palette was found) the grey
// ramp of 256-gray ports stands in. Safe to call again.
void InitPalette256Couleurs();
Boolean IsPalette256Chargee();  // InitPalette256Couleurs found the default table
// Entry index (0..255) of the palette into rgb; black outside, or before InitPalette256Couleurs.
void GetCouleurPalette256(SInt16 index, RGBColor *rgb);
// The index of the entry nearest rgb by the squared distance of the three components; the
// lowest index among equals. 255 (black) for null or before InitPalette256Couleurs.
SInt16 CvtRGBEnIndexProche(const RGBColor *rgb);

// Renders colour icon ('cicn') iconId of the resource chain into two square buffers of palette
// indices, row after row, masked pixels 0 (white): small of smallSize x smallSize into a buffer
// of kIconeCustomPetite bytes, large of largeSize into one of kIconeCustomGrande. A size whose
// square exceeds its buffer is reduced to the largest that fits (32 and 45), the icon scaled to
// it; *smallUsed and *largeUsed (either may be null) get the sizes written. Either buffer may be
// null. resNotFound (-192) for a missing or damaged icon, paramErr for sizes below 1; nothing is
// written then.
OSErr CvtIconEnIconCustom(SInt16 iconId, SInt16 smallSize, SInt16 largeSize, UInt8 *small, UInt8 *large,
                          SInt16 *smallUsed, SInt16 *largeUsed);
