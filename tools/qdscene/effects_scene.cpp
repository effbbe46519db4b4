// The image effects scene: each effect is applied to a copy of one image and drawn through its
// opacity into a cell of a 4 x 2 grid.
#include "effects_scene.h"

#include <cmath>
#include <cstdio>

#include "graphics/images/images.h"

static Offscreen Checkerboard();
static Offscreen Ridge();
static void Show(const char *name, Offscreen image, SInt16 cell, SInt16 originX, SInt16 originY);

void DrawEffectsScene(GrafPtr) {
    Offscreen base = Checkerboard();
    if (!base) return;
    Show("plain", OffscreenDuplicate(base), 0, 0, 0);
    Show("rotate 30", OffscreenRotate(base, 30.0f, 255, 255, 255, 0), 1, 0, 0);
    Show("skew 20", OffscreenRightSkew(base, 20.0f, 255, 255, 255, 0), 2, 0, 0);
    Offscreen tilted = OffscreenDuplicate(base);
    SInt16 top = OffscreenPerspective(tilted, 40.0f, 0, 0, 300.0f);
    Show("perspective 40", tilted, 3, 0, top);
    SInt16 ox = 0, oy = 0;
    Offscreen shadowed = OffscreenDropShadow(base, 6, 6, 0, 0, 80, 5, 70, &ox, &oy);
    if (shadowed) OffscreenDropInnerShadow(shadowed, 4, 4, 0, 0, 0, 3, 80);
    Show("shadows", shadowed, 4, ox, oy);
    Offscreen blurred = OffscreenDuplicate(base);
    OffscreenBlur(blurred, 8);
    OffscreenBlurOpacity(blurred, 8, 0);
    Show("blur 8", blurred, 5, 0, 0);
    Offscreen hue = OffscreenDuplicate(base);
    OffscreenHSL(hue, 120, 0, 0);
    Show("hue 120", hue, 6, 0, 0);
    Offscreen ridge = Ridge(), distorted = OffscreenDuplicate(base);
    OffscreenDistort(ridge, distorted, 0, 0, 0.4f, 1.0f, 0.5f);
    OrvaClosePortOffscreen(ridge);
    Show("distort", distorted, 7, 0, 0);
    OrvaClosePortOffscreen(base);
}

// 120 x 120: red and white squares of 15, opaque inside a disc of radius 50 fading over 8.
static Offscreen Checkerboard() {
    Rect r = {0, 0, 120, 120};
    Offscreen image = OffscreenCreate(&r);
    if (!image) return nullptr;
    for (SInt16 y = 0; y < 120; y++)
        for (SInt16 x = 0; x < 120; x++) {
            bool red = ((x / 15) + (y / 15)) % 2 == 0;
            double d = std::hypot(x - 59.5, y - 59.5);
            double a = (58.0 - d) / 8.0 * 255.0;
            SInt16 opacity = SInt16(a < 0 ? 0 : a > 255 ? 255 : a);
            OffscreenSetPixel(image, x, y, red ? 220 : 255, red ? 30 : 255, red ? 40 : 255, opacity);
        }
    return image;
}

// A vertical ridge: height rising to the middle column and falling after it.
static Offscreen Ridge() {
    Rect r = {0, 0, 120, 120};
    Offscreen map = OffscreenCreate(&r);
    if (!map) return nullptr;
    for (SInt16 y = 0; y < 120; y++)
        for (SInt16 x = 0; x < 120; x++) {
            UInt8 h = UInt8(x < 60 ? x * 4 : (119 - x) * 4);
            OffscreenSetPixel(map, x, y, h, h, h, 255);
        }
    return map;
}

// Draws the image through its opacity at the top-left of its 170 x 170 cell, prints its size
// and origin, and closes it.
static void Show(const char *name, Offscreen image, SInt16 cell, SInt16 originX, SInt16 originY) {
    if (!image) {
        std::printf("%s: none\n", name);
        return;
    }
    Rect bounds;
    OffscreenGetInfo(image, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    std::printf("%s: %dx%d origin (%d,%d)\n", name, bounds.right, bounds.bottom, originX, originY);
    SInt16 left = SInt16((cell % 4) * 170 + 5), top = SInt16((cell / 4) * 170 + 5);
    Rect dst = {top, left, SInt16(top + bounds.bottom), SInt16(left + bounds.right)};
    OffscreenCopyBits(image, &bounds, &dst, 1);
    OrvaClosePortOffscreen(image);
}
