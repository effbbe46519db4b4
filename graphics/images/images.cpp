// The image record and its basic operations: creation, pixel access, painting, copies,
// compositing, margins, cropping, flips and drawing into the current port.
#include "graphics/images/images.h"
#include "graphics/images/image_view.h"

#include <cstdio>
#include <cstring>

#include "graphics/quickdraw/transfer.h"
#include "platform/core/memory.h"

namespace {

}  // namespace

static SInt32 ClampPercent(SInt32 percent);
static Boolean FillPlane(Offscreen image, UInt8 value);
static Offscreen AddMargins(Offscreen image, SInt32 top, SInt32 left, SInt32 bottom, SInt32 right, UInt8 red,
                            UInt8 green, UInt8 blue, SInt16 percent);
static void Exchange(UInt8 *a, UInt8 *b, SInt32 count);

void CvtColorTxtToRGB(const char *text, RGBColor *rgb) {
    if (!rgb) return;
    unsigned long v = 0;
    if (!text || std::sscanf(text, "%lx", &v) != 1) v = 0;
    rgb->red = UInt16((v >> 16) * 256);
    rgb->green = UInt16(v & 0xFF00);
    rgb->blue = UInt16(v << 8);
}

Offscreen OffscreenCreate(const Rect *rect) {
    if (!rect) return nullptr;
    SInt16 width = rect->right, height = rect->bottom;
    if (width < 1 || height < 1 || width > kOffscreenMaxSize || height > kOffscreenMaxSize) return nullptr;
    Offscreen image = OrvaCreatePortOffscreen(width, height, 24);
    if (!image) return nullptr;
    OffscreenCreateAlpha(image);
    if (!image->opacity) {
        OrvaClosePortOffscreen(image);
        return nullptr;
    }
    return image;
}

void OffscreenCreateAlpha(Offscreen image) {
    ImageView v;
    if (!OrvaImageGetView(image, &v) || v.plane) return;
    image->opacity = NewPtrClear(UInt32(v.width * v.height));
}

void OffscreenGetInfo(Offscreen image, Rect *bounds, Ptr *pixelBase, SInt16 *rowBytes, SInt16 *pixelStep,
                      Ptr *opacityBase, SInt16 *opacityRowBytes, SInt16 *opacityStep) {
    ImageView v;
    Rect b = {0, 0, 0, 0};
    if (!OrvaImageGetView(image, &v)) std::memset(&v, 0, sizeof v);
    b.bottom = SInt16(v.height);
    b.right = SInt16(v.width);
    if (bounds) *bounds = b;
    if (pixelBase) *pixelBase = (Ptr)v.base;
    if (rowBytes) *rowBytes = SInt16(v.rowBytes);
    if (pixelStep) *pixelStep = 4;
    if (opacityBase) *opacityBase = (Ptr)v.plane;
    if (opacityRowBytes) *opacityRowBytes = SInt16(v.width);
    if (opacityStep) *opacityStep = 1;
}

void OffscreenGetPixel(Offscreen image, SInt16 x, SInt16 y, SInt16 *red, SInt16 *green, SInt16 *blue,
                       SInt16 *opacity) {
    SInt16 r = 0, g = 0, b = 0, a = 0;
    ImageView v;
    if (OrvaImageGetView(image, &v) && x >= 0 && y >= 0 && x < v.width && y < v.height) {
        const UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
        b = p[0];
        g = p[1];
        r = p[2];
        a = v.plane ? v.plane[SInt64(y) * v.width + x] : 255;
    }
    if (red) *red = r;
    if (green) *green = g;
    if (blue) *blue = b;
    if (opacity) *opacity = a;
}

void OffscreenSetPixel(Offscreen image, SInt16 x, SInt16 y, UInt8 red, UInt8 green, UInt8 blue, SInt16 opacity) {
    ImageView v;
    if (!OrvaImageGetView(image, &v) || x < 0 || y < 0 || x >= v.width || y >= v.height) return;
    UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
    p[0] = blue;
    p[1] = green;
    p[2] = red;
    if (opacity >= 0 && v.plane) v.plane[SInt64(y) * v.width + x] = UInt8(opacity);
}

void OffscreenPaintRect(Offscreen image, const Rect *rect, UInt8 red, UInt8 green, UInt8 blue, SInt16 percent,
                        UInt8 addOpacity) {
    ImageView v;
    if (!rect || !OrvaImageGetView(image, &v)) return;
    SInt32 a = ClampPercent(percent) * 255 / 100;
    SInt32 left = rect->left > 0 ? rect->left : 0, top = rect->top > 0 ? rect->top : 0;
    SInt32 right = rect->right < v.width ? rect->right : v.width;
    SInt32 bottom = rect->bottom < v.height ? rect->bottom : v.height;
    const SInt32 colour[3] = {blue, green, red};
    for (SInt32 y = top; y < bottom; y++) {
        UInt8 *p = v.base + SInt64(y) * v.rowBytes + left * 4;
        UInt8 *o = v.plane ? v.plane + SInt64(y) * v.width + left : nullptr;
        for (SInt32 x = left; x < right; x++, p += 4) {
            if (a == 255 && !addOpacity) {
                for (int c = 0; c < 3; c++) p[c] = UInt8(colour[c]);
                continue;
            }
            for (int c = 0; c < 3; c++) p[c] = UInt8((p[c] * (255 - a) + colour[c] * a) / 255);
            if (addOpacity && o) {
                SInt32 old = o[x - left];
                o[x - left] = UInt8(old + a - old * a / 255);
            }
        }
    }
}

void OffscreenSetOpacity(Offscreen image, SInt16 percent) {
    FillPlane(image, UInt8(ClampPercent(percent) * 255 / 100));
}

void OffscreenCopy(Offscreen source, Offscreen destination, UInt8 red, UInt8 blue, UInt8 green, UInt8 opacity) {
    ImageView s, d;
    if (!OrvaImageGetView(source, &s) || !OrvaImageGetView(destination, &d)) return;
    if (!d.plane) {
        OffscreenCreateAlpha(destination);
        if (!OrvaImageGetView(destination, &d) || !d.plane) return;
    }
    if (s.width == d.width && s.height == d.height) {
        for (SInt32 y = 0; y < d.height; y++)
            std::memcpy(d.base + SInt64(y) * d.rowBytes, s.base + SInt64(y) * s.rowBytes, size_t(d.width) * 4);
        // A source without a plane is opaque.
        if (s.plane) std::memcpy(d.plane, s.plane, size_t(d.width) * size_t(d.height));
        else std::memset(d.plane, 255, size_t(d.width) * size_t(d.height));
        return;
    }
    SInt32 dx = (s.width - d.width) / 2, dy = (s.height - d.height) / 2;
    for (SInt32 y = 0; y < d.height; y++) {
        SInt32 sy = y + dy;
        for (SInt32 x = 0; x < d.width; x++) {
            SInt32 sx = x + dx;
            UInt8 *q = d.base + SInt64(y) * d.rowBytes + x * 4;
            UInt8 *qa = d.plane + SInt64(y) * d.width + x;
            if (sx >= 0 && sy >= 0 && sx < s.width && sy < s.height) {
                const UInt8 *p = s.base + SInt64(sy) * s.rowBytes + sx * 4;
                q[0] = p[0];
                q[1] = p[1];
                q[2] = p[2];
                *qa = s.plane ? s.plane[SInt64(sy) * s.width + sx] : 255;
            } else {
                q[0] = blue;
                q[1] = green;
                q[2] = red;
                *qa = opacity;
            }
        }
    }
}

Offscreen OffscreenDuplicate(Offscreen image) {
    Rect bounds;
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return nullptr;
    OffscreenGetInfo(image, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    Offscreen copy = OffscreenCreate(&bounds);
    if (copy) OffscreenCopy(image, copy, 0, 0, 0, 0);
    return copy;
}

void OffscreenEmbed(Offscreen source, Offscreen destination, SInt16 x, SInt16 y, SInt16 mode) {
    ImageView s, d;
    if (mode < kEmbedBlend || mode > kEmbedDoubleMultiply) return;
    if (!OrvaImageGetView(source, &s) || !OrvaImageGetView(destination, &d)) return;
    if ((mode == kEmbedBlend || mode == kEmbedReplace || mode == kEmbedDoubleMultiply) && !d.plane) {
        // A destination without a plane was shown whole: it starts opaque.
        if (!FillPlane(destination, 255) || !OrvaImageGetView(destination, &d)) return;
    }
    SInt32 left = x > 0 ? x : 0, top = y > 0 ? y : 0;
    SInt32 right = x + s.width < d.width ? x + s.width : d.width;
    SInt32 bottom = y + s.height < d.height ? y + s.height : d.height;
    for (SInt32 dy = top; dy < bottom; dy++) {
        SInt32 sy = dy - y;
        for (SInt32 dx = left; dx < right; dx++) {
            SInt32 sx = dx - x;
            const UInt8 *p = s.base + SInt64(sy) * s.rowBytes + sx * 4;
            UInt8 *q = d.base + SInt64(dy) * d.rowBytes + dx * 4;
            SInt32 sa = s.plane ? s.plane[SInt64(sy) * s.width + sx] : 255;
            UInt8 *da = d.plane ? d.plane + SInt64(dy) * d.width + dx : nullptr;
            float w = float(sa) / 255.0f;
            switch (mode) {
            case kEmbedBlend:
                if (sa == 0) break;
                for (int c = 0; c < 3; c++) q[c] = UInt8(SInt32(float(p[c]) * w + float(q[c]) * (1.0f - w)));
                *da = UInt8(SInt32(float(sa) + float(*da) - float(sa) * float(*da) / 255.0f));
                break;
            case kEmbedReplace:
                for (int c = 0; c < 3; c++) q[c] = p[c];
                *da = UInt8(sa);
                break;
            case kEmbedColour:
                for (int c = 0; c < 3; c++) q[c] = p[c];
                break;
            case kEmbedAdd:
                for (int c = 0; c < 3; c++) q[c] = UInt8(q[c] + p[c] > 255 ? 255 : q[c] + p[c]);
                break;
            case kEmbedSubtract:
                for (int c = 0; c < 3; c++) q[c] = UInt8(q[c] > p[c] ? q[c] - p[c] : 0);
                break;
            case kEmbedDarken:
                for (int c = 0; c < 3; c++) q[c] = q[c] < p[c] ? q[c] : p[c];
                break;
            case kEmbedLighten:
                for (int c = 0; c < 3; c++) q[c] = q[c] > p[c] ? q[c] : p[c];
                break;
            case kEmbedMultiply:
                for (int c = 0; c < 3; c++) q[c] = UInt8(q[c] * p[c] / 255);
                break;
            case kEmbedDoubleMultiply:
                if (sa == 0) break;
                for (int c = 0; c < 3; c++) {
                    SInt32 product = q[c] * p[c];
                    SInt32 t = product < 32768 ? product >> 7 : 255;
                    q[c] = UInt8(SInt32(float(t) * w + float(q[c]) * (1.0f - w)));
                }
                break;
            }
        }
    }
}

Offscreen OffscreenAddMargins(Offscreen image, const OrvaMarginsRecord *margins, UInt8 red, UInt8 green,
                              UInt8 blue, SInt16 percent) {
    if (!margins) return nullptr;
    return AddMargins(image, margins->top, margins->left, margins->bottom, margins->right, red, green, blue,
                      percent);
}

Offscreen OffscreenCrop(Offscreen image, const Rect *rect) {
    ImageView v;
    if (!rect || !OrvaImageGetView(image, &v)) return nullptr;
    return AddMargins(image, -SInt32(rect->top), -SInt32(rect->left), rect->bottom - v.height,
                      rect->right - v.width, 0, 0, 0, 0);
}

void OffscreenFlip(Offscreen image) {
    ImageView v;
    if (!OrvaImageGetView(image, &v) || v.height < 2) return;
    if (!v.plane && (!FillPlane(image, 255) || !OrvaImageGetView(image, &v))) return;
    for (SInt32 y = 0; y < v.height / 2; y++) {
        UInt8 *a = v.base + SInt64(y) * v.rowBytes, *b = v.base + SInt64(v.height - 1 - y) * v.rowBytes;
        for (SInt32 x = 0; x < v.width; x++) Exchange(a + x * 4, b + x * 4, 3);
        Exchange(v.plane + SInt64(y) * v.width, v.plane + SInt64(v.height - 1 - y) * v.width, v.width);
    }
}

void OffscreenMirror(Offscreen image) {
    ImageView v;
    if (!OrvaImageGetView(image, &v) || v.width < 2) return;
    if (!v.plane && (!FillPlane(image, 255) || !OrvaImageGetView(image, &v))) return;
    for (SInt32 y = 0; y < v.height; y++) {
        UInt8 *row = v.base + SInt64(y) * v.rowBytes, *o = v.plane + SInt64(y) * v.width;
        for (SInt32 x = 0; x < v.width / 2; x++) {
            Exchange(row + x * 4, row + (v.width - 1 - x) * 4, 3);
            Exchange(o + x, o + v.width - 1 - x, 1);
        }
    }
}

void OffscreenCopyBits(Offscreen image, const Rect *srcRect, const Rect *dstRect, UInt8 useOpacity) {
    ImageView v;
    GrafPtr port = qd.thePort;
    if (!srcRect || !dstRect || !port || !OrvaImageGetView(image, &v)) return;
    if (useOpacity && v.plane && port->opacity) {
        Offscreen part = image;
        if (srcRect->top != 0 || srcRect->left != 0 || srcRect->bottom != v.height || srcRect->right != v.width)
            part = OffscreenCrop(image, srcRect);
        if (!part) return;
        SInt32 width = SInt32(dstRect->right) - dstRect->left, height = SInt32(dstRect->bottom) - dstRect->top;
        Offscreen scaled = nullptr;
        if (width > 0 && height > 0 && width <= kOffscreenMaxSize && height <= kOffscreenMaxSize) {
            Rect size = {0, 0, SInt16(height), SInt16(width)};
            scaled = OffscreenResize(part, &size);
        }
        if (scaled) OffscreenEmbed(scaled, port, dstRect->left, dstRect->top, kEmbedBlend);
        OrvaClosePortOffscreen(scaled);
        if (part != image) OrvaClosePortOffscreen(part);
        return;
    }
    Ptr plane = image->opacity;
    if (!useOpacity) image->opacity = nullptr;  // the plane is ignored for this transfer
    CopyBits(&image->portBits, &port->portBits, srcRect, dstRect, 100, nullptr);
    image->opacity = plane;
}

// The pixels of a 24-bit port; false for anything else.
Boolean OrvaImageGetView(Offscreen image, ImageView *view) {
    if (!image) return false;
    Rect bounds;
    SInt32 rowBytes = 0;
    SInt16 depth = 0;
    Ptr base = OrvaGetInfoOffscreen(image, &bounds, &rowBytes, &depth);
    if (!base || depth != 24) return false;
    view->base = (UInt8 *)base;
    view->rowBytes = rowBytes;
    view->width = SInt32(bounds.right) - bounds.left;
    view->height = SInt32(bounds.bottom) - bounds.top;
    view->plane = (UInt8 *)image->opacity;
    return view->width > 0 && view->height > 0;
}

static SInt32 ClampPercent(SInt32 percent) {
    return percent < 0 ? 0 : percent > 100 ? 100 : percent;
}

// Sets every opacity byte, making the plane first when there is none.
static Boolean FillPlane(Offscreen image, UInt8 value) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return false;
    if (!v.plane) {
        OffscreenCreateAlpha(image);
        if (!OrvaImageGetView(image, &v) || !v.plane) return false;
    }
    std::memset(v.plane, value, size_t(v.width) * size_t(v.height));
    return true;
}

static Offscreen AddMargins(Offscreen image, SInt32 top, SInt32 left, SInt32 bottom, SInt32 right, UInt8 red,
                            UInt8 green, UInt8 blue, SInt16 percent) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return nullptr;
    SInt32 width = v.width + left + right, height = v.height + top + bottom;
    if (width < 1 || height < 1 || width > kOffscreenMaxSize || height > kOffscreenMaxSize) return nullptr;
    // The image lands at (left, top); farther than the port's coordinates reach, it is not seen.
    Rect rect = {0, 0, SInt16(height), SInt16(width)};
    Offscreen result = OffscreenCreate(&rect);
    if (!result) return nullptr;
    OffscreenPaintRect(result, &rect, red, green, blue, 100, 0);
    OffscreenSetOpacity(result, percent);
    if (left > -32768 && left < 32768 && top > -32768 && top < 32768)
        OffscreenEmbed(image, result, SInt16(left), SInt16(top), kEmbedReplace);
    return result;
}

static void Exchange(UInt8 *a, UInt8 *b, SInt32 count) {
    for (SInt32 i = 0; i < count; i++) {
        UInt8 t = a[i];
        a[i] = b[i];
        b[i] = t;
    }
}
