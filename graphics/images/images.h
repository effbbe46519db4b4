// Images with a per-pixel opacity plane: an Offscreen is a 24-bit offscreen port whose opacity
// field holds width x height bytes (0 transparent, 255 opaque; colours stored straight). This
// header covers creation, pixel access, painting, copies, compositing, margins, cropping, flips
// and drawing into the current port (images.cpp), plain and smooth resizing (resize.cpp), and
// rotation, perspective and skew (transform.cpp), opacity, blur and shadows (opacity.cpp), and
// colour adjustments and distortion (colour.cpp).
// Every operation that answers an image answers a new one the caller closes with
// OrvaClosePortOffscreen, which also frees the plane. Main thread only; no global state.
#pragma once

#include "graphics/quickdraw/offscreen.h"

typedef GrafPtr Offscreen;

enum : SInt16 {
    kOffscreenMaxSize = 8191,  // widest and highest image, as for every offscreen port
};

// Compositing modes of OffscreenEmbed.
enum : SInt16 {
    kEmbedBlend = 0,           // source over destination through the source's opacity
    kEmbedReplace = 1,         // colours and opacity of the source
    kEmbedColour = 2,          // colours of the source, destination opacity kept
    kEmbedAdd = 3,
    kEmbedSubtract = 4,
    kEmbedDarken = 5,
    kEmbedLighten = 6,
    kEmbedMultiply = 7,
    kEmbedDoubleMultiply = 8,  // doubled multiply weighted by the source's opacity
};

// Reads text as a hexadecimal number RRGGBB into rgb's high bytes. Text that is not
// hexadecimal gives black.
void CvtColorTxtToRGB(const char *text, RGBColor *rgb);

// A new image of width rect.right and height rect.bottom with a zeroed plane; null when either
// is below 1 or above kOffscreenMaxSize, or without memory.
Offscreen OffscreenCreate(const Rect *rect);
void OffscreenCreateAlpha(Offscreen image);  // gives the image a zeroed plane if it has none
// Bounds, pixel base, row bytes, pixel step (4), plane (or null), plane row bytes (the width)
// and plane step (1); any out pointer may be null.
void OffscreenGetInfo(Offscreen image, Rect *bounds, Ptr *pixelBase, SInt16 *rowBytes, SInt16 *pixelStep,
                      Ptr *opacityBase, SInt16 *opacityRowBytes, SInt16 *opacityStep);
// Components and opacity 0..255 of pixel (x, y); all zero outside; opacity 255 without a plane.
void OffscreenGetPixel(Offscreen image, SInt16 x, SInt16 y, SInt16 *red, SInt16 *green, SInt16 *blue,
                       SInt16 *opacity);
// Writes a pixel inside the image, and its opacity when opacity >= 0 and there is a plane.
void OffscreenSetPixel(Offscreen image, SInt16 x, SInt16 y, UInt8 red, UInt8 green, UInt8 blue, SInt16 opacity);
// Paints rect (cut to the image) with the colour at percent (0..100), adding the coverage to the
// opacity when addOpacity is set.
void OffscreenPaintRect(Offscreen image, const Rect *rect, UInt8 red, UInt8 green, UInt8 blue, SInt16 percent,
                        UInt8 addOpacity);
void OffscreenSetOpacity(Offscreen image, SInt16 percent);  // every opacity byte percent * 255 / 100
// Copies source into destination: whole when the sizes are equal, else centred, pixels outside
// the source taking the fill colour and opacity. The fill's order is red, blue, green: stored
// settings depend on it.
void OffscreenCopy(Offscreen source, Offscreen destination, UInt8 red, UInt8 blue, UInt8 green, UInt8 opacity);
Offscreen OffscreenDuplicate(Offscreen image);  // a new copy; null without memory
// Composites source into destination with the source's top-left at (x, y) in mode (the enum
// above; others change nothing).
void OffscreenEmbed(Offscreen source, Offscreen destination, SInt16 x, SInt16 y, SInt16 mode);
// A new image grown by the margins (negative ones cut), painted with the colour at opacity
// percent under the image; null when the result would be empty or too large.
Offscreen OffscreenAddMargins(Offscreen image, const OrvaMarginsRecord *margins, UInt8 red, UInt8 green,
                              UInt8 blue, SInt16 percent);
// A new image of rect's size holding rect of the image (transparent outside it); null when rect
// is empty.
Offscreen OffscreenCrop(Offscreen image, const Rect *rect);
void OffscreenFlip(Offscreen image);    // upside down, in place
void OffscreenMirror(Offscreen image);  // left to right, in place
// Draws srcRect of the image into dstRect of the current port: blended through both planes
// when useOpacity is set and the current port is an image, else by CopyBits, through the
// image's plane only when useOpacity is set.
void OffscreenCopyBits(Offscreen image, const Rect *srcRect, const Rect *dstRect, UInt8 useOpacity);

// Scales the image to rect.right x rect.bottom in the blitter, plane included; null when rect is
// empty or too large.
Offscreen OffscreenResize(Offscreen image, const Rect *rect);
// Bilinear resampling weighted by opacity into trunc(newWidth + 1) x trunc(newHeight + 1)
// pixels; null for sizes that are not positive finite numbers or give too large an image.
Offscreen OffscreenSmoothResize(Offscreen image, float newWidth, float newHeight);
// Smooth or plain resize by percentages of the image's size; null as those answer.
Offscreen OffscreenZoom(Offscreen image, float percentX, float percentY, UInt8 smooth);

// The size (0, 0, height, width) of the box around a rect.right x rect.bottom rectangle turned by
// angle degrees about its centre; empty for an angle that is not finite.
void OffscreenGetRotatedBoundRect(const Rect *rect, float angle, Rect *out);
// A new image of the source turned by angle degrees, positions outside the source taking the
// fill; null for an angle that is not finite or a result too large.
Offscreen OffscreenRotate(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity);
// Tilts the image in place backwards by angle about its bottom edge, seen from distance;
// answers the row where the top edge lands (0 when inside). A distance that is not positive,
// or an angle of 0 or not finite, changes nothing and answers 0.
SInt16 OffscreenPerspective(Offscreen image, float angle, SInt16 unused1, SInt16 unused2, float distance);
// New images sheared by angle (held to -45..45 degrees): the top leaning right, or the left
// side lowered, for positive angles; the fill outside. Null for NaN.
Offscreen OffscreenRightSkew(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity);
Offscreen OffscreenBottomSkew(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity);

// Combines the source's plane, centred, into the destination's: 0 copy (0 outside the source),
// 1 union, 2 subtract, 3 intersect. Both get a plane first when they have none.
void OffscreenComputeOpacity(Offscreen source, Offscreen destination, SInt16 mode);
void OffscreenInvertOpacity(Offscreen image);               // every opacity o becomes 255 - o
void OffscreenCreateOpacityFromLuminance(Offscreen image);  // o = (b + g + r) / 3
// Opaque everywhere except the pixels of the key colour (hexadecimal text RRGGBB).
void OffscreenCreateOpacityFromColor(Offscreen image, const char *text);
void OffscreenPixelsFromOpacity(Offscreen image);  // pixels become the grey of their opacity, opaque
void OffscreenFadeOpacity(Offscreen image, float percent);  // o scaled by percent, at most 255
// o scaled by a percentage interpolated between the four corners' percentages.
void OffscreenProgressiveFadeOpacity(Offscreen image, float topLeft, float topRight, float bottomLeft,
                                     float bottomRight);
// One box-blur pass of window 2 x radius along rows (H) or columns (V), of the opacity and/or
// the colours; edgeOpaque takes opacity outside as 255; inner multiplies the blurred opacity by
// the input opacity. A radius of 0 or below does nothing.
void OffscreenBlurH(Offscreen image, SInt32 radius, Boolean blurOpacity, Boolean blurColour, Boolean edgeOpaque,
                    Boolean inner);
void OffscreenBlurV(Offscreen image, SInt32 radius, Boolean blurOpacity, Boolean blurColour, Boolean edgeOpaque,
                    Boolean inner);
void OffscreenBlur(Offscreen image, SInt32 radius);  // colours, both directions
void OffscreenBlurOpacity(Offscreen image, SInt32 radius, Boolean edgeOpaque);
void OffscreenBlurInnerOpacity(Offscreen image, SInt32 radius, Boolean edgeOpaque);
// A new image: the image over its shadow, shifted by (dx, dy), blurred and coloured at intensity
// percent; *originX, *originY the image's place in it. Null when too large.
Offscreen OffscreenDropShadow(Offscreen image, SInt16 dx, SInt16 dy, UInt8 red, UInt8 green, UInt8 blue,
                              SInt16 blur, SInt16 intensity, SInt16 *originX, SInt16 *originY);
// Tints the inside of the image where its shifted, blurred opacity leaves a gap.
void OffscreenDropInnerShadow(Offscreen image, SInt16 dx, SInt16 dy, UInt8 red, UInt8 green, UInt8 blue, SInt16 blur,
                              SInt16 intensity);

// Brightness (added), contrast and saturation (percent changes) of every pixel.
void OffscreenBCS(Offscreen image, float brightness, float contrast, float saturation);
// Hue shift (degrees), saturation and lightness (percent, -100..100) in an integer HSL model
// whose hue is measured from byte 0 (blue), as stored settings expect.
void OffscreenHSL(Offscreen image, SInt16 hue, SInt16 saturation, SInt16 lightness);
void OffscreenHighlight(Offscreen image, float factor);  // every component times factor, held to 0..255
// Each output channel an offset plus weights of red, green and blue, held to 0..255.
void OffscreenChannelMixer(Offscreen image, float redOffset, float redFromRed, float redFromGreen, float redFromBlue,
                           float greenOffset, float greenFromRed, float greenFromGreen, float greenFromBlue,
                           float blueOffset, float blueFromRed, float blueFromGreen, float blueFromBlue);
void OffscreenGlow(Offscreen image, float amount);  // brightens in proportion to the pixel's brightness
// Displaces and shades target pixels by the gradient of the map placed at (dx, dy); negative
// shading darkens in proportion to the displacement.
void OffscreenDistort(Offscreen map, Offscreen target, SInt16 dx, SInt16 dy, float strength, float shading,
                      float highlight);
