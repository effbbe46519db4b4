// The drawing kit of page layout that the player and the importers share: the temporary port
// that text is measured on, styled text measured at the output resolution, and images turned by
// quarter turns. Main thread only: the temporary port is process-wide (drawing_kit.cpp).
#pragma once

#include "graphics/images/images.h"
#include "score/music_records.h"

// Makes the temporary port (a small 24-bit offscreen) once; it lives until FinMiseEnPage.
// False when it cannot be made.
Boolean InitPortTemporaire();
// Makes the temporary port current (made first when needed) and answers the port that was
// current, for the caller to restore with SetPort.
GrafPtr SetPortTemporaire();
void LiberePortTemporaire();  // closes it; the next SetPortTemporaire makes it again

// Measures styled text unwrapped at the output resolution (GetDpiDest) on the temporary port:
// *width the width of its widest line + 1, *height the height of its lines (ascent, descent and
// leading each), in pixels. Lines end at CR, LF or CR LF. text holds length bytes of UTF-8, or
// with unicode set, length UTF-16 units. Either output may be null; an empty text gives 0 x 0.
// The current port is the same afterwards.
void TextBoxStyleSize(const void *text, SInt32 length, const TextStyleRecord *style, SInt32 *width, SInt32 *height,
                      Boolean unicode);

// The width in pixels of one line of UTF-8 text in style (its size 0: defaultSize points) at
// pointPixels pixels a point, measured on the temporary port; 0 for null or empty text.
float LargeurTexteStyle(const char *text, const TextStyleRecord *style, float pointPixels, SInt16 defaultSize);
// The height of one line (ascent, descent and leading) and the ascent of style the same way.
void HauteurTexteStyle(const TextStyleRecord *style, float pointPixels, SInt16 defaultSize, float *lineHeight,
                       float *ascent);
// The text size in pixels, clamped to QuickDraw's, that the two calls above and page drawing use.
SInt16 TailleTextePixels(const TextStyleRecord *style, float pointPixels, SInt16 defaultSize);

// A new image holding image turned clockwise by quarterTurns quarter turns (taken modulo 4; 0 a
// plain copy), its opacity plane turned with it. Null for a null image or without memory; the
// caller closes the result with OrvaClosePortOffscreen.
Offscreen RotateOffscreen(Offscreen image, SInt16 quarterTurns);
