// The painting routines every strip of the player interface shares: gradient fills with a bevel
// (the SHADOW look), flat fills with stripes (the other looks), palette relief frames, pattern
// fills, colour icons from the plug-in's resource file (plain, tinted, with a drop shadow), and
// blurred drop shadows. All draw into the current port and leave the pen and colours as they
// found them unless said. Main thread.
#pragma once

#include "graphics/quickdraw/ports.h"

struct PlugInInstance;

enum : SInt16 {
    kShadowMargin = 4,       // pixels of blur round a shadow's shape
    kShadowMaxSide = 4096,   // a shadow mask larger than this a side is not drawn
};

void PlugSetPaintColor(const RGBColor *colour);  // foreground colour, black pen pattern, white background
void PlugResetPaintColors();                     // black pen pattern, black on white
// Black foreground, white background, by their colours (the classic colour numbers need the
// colour tables, which a port may be drawn without).
void PlugForeBlack();
void PlugBackWhite();

// A vertical gradient from white through colour to 70 % of it in the rectangle inset by 2
// vertically, with a bevel on the rectangle's edges.
void PlugFillRectShadow(const Rect *rect, const RGBColor *colour);
// The instance's look: shaded looks take PlugFillRectShadow of colour1; the others paint colour1
// with lines of colour2 at top + 1, top + 4, top + 7 ...
void PlugFillRectLook(const PlugInInstance *instance, const Rect *rect, const RGBColor *colour1,
                      const RGBColor *colour2);
// A relief frame in palette colours 246..255, its inside erased (pressed: palette 247, else 252).
void PlugTraceCadreRelief(const Rect *rect, Boolean pressed);
// Paints rect with colour pattern patternId of the resource files; nothing when it is missing.
void RemplitRectWithPattern(const Rect *rect, SInt16 patternId);
// Colour icon iconId of the plug-in's resource file scaled into rect; nothing when missing.
void DrawIconInAire(SInt16 iconId, const Rect *rect);
// The icon with a soft shadow offset by (dx, dy) and, unless red, green and blue (0..255) are
// all 0, tinted: drawn at size x size at rect's top-left, every pixel but pure red (the ground)
// given the tint's components (additive: added to its own, held to 255).
void DrawIconInAireWithShadow(SInt16 iconId, SInt16 size, Boolean additive, const Rect *rect, SInt16 softness,
                              SInt16 opacity, SInt16 dx, SInt16 dy, SInt16 red, SInt16 green, SInt16 blue);
// The soft shadow of a rectangle, drawn kShadowMargin round it and offset by (dx, dy).
void PlotRectShadow(const Rect *rect, SInt16 dx, SInt16 dy, SInt16 softness, SInt16 opacity);

// The blur that softens a shadow mask (width x height bytes, 255 where nothing is, 0 under the
// shape), in place: two passes of a 5 x 5 kernel whose centre weighs 300 - 3 x softness, then
// lightened by opacity (100 leaves it, 0 makes it all 255). Softness and opacity are held to
// 0..100.
void PlugBlurShadowMask(UInt8 *mask, SInt32 width, SInt32 height, SInt16 softness, SInt16 opacity);
// Blurs the mask and paints black through it onto the current port at (x, y): black where it
// is 0, nothing where 255. Nothing when its images cannot be made.
void PlugDrawSoftShadow(UInt8 *mask, SInt32 width, SInt32 height, SInt16 x, SInt16 y, SInt16 softness,
                        SInt16 opacity);
