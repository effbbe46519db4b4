// Operations on the opacity plane: planes from colours, combining, inverting and fading them,
// the running-sum box blur of colours or opacity, and drop and inner shadows.
#include <cmath>
#include <cstring>

#include "graphics/images/image_view.h"

static Boolean Plane(Offscreen image, Boolean create, ImageView *view);
static void BlurLine(const UInt8 *in, const UInt8 *inPlane, UInt8 *out, UInt8 *outPlane, SInt32 length,
                     SInt32 step, SInt32 planeStep, SInt32 r, Boolean opacity, Boolean colour, Boolean edgeOpaque,
                     Boolean inner);
static void BlurPass(Offscreen image, SInt32 radius, Boolean opacity, Boolean colour, Boolean edgeOpaque,
                     Boolean inner, Boolean vertical);

void OffscreenComputeOpacity(Offscreen source, Offscreen destination, SInt16 mode) {
    ImageView s, d;
    if (!Plane(source, true, &s) || !Plane(destination, true, &d)) return;
    if (mode < 0 || mode > 3) return;
    SInt32 dx = (s.width - d.width) / 2, dy = (s.height - d.height) / 2;
    for (SInt32 y = 0; y < d.height; y++)
        for (SInt32 x = 0; x < d.width; x++) {
            UInt8 *o = d.plane + SInt64(y) * d.width + x;
            SInt32 sx = x + dx, sy = y + dy;
            if (sx < 0 || sy < 0 || sx >= s.width || sy >= s.height) {
                if (mode == 0) *o = 0;
                continue;
            }
            SInt32 a = s.plane[SInt64(sy) * s.width + sx], b = *o;
            switch (mode) {
            case 0: *o = UInt8(a); break;
            case 1: *o = UInt8(a + b - a * b / 255); break;
            case 2: *o = UInt8(b > a ? b - a : 0); break;
            default: *o = UInt8(a * b / 255); break;
            }
        }
}

void OffscreenInvertOpacity(Offscreen image) {
    ImageView v;
    if (!Plane(image, true, &v)) return;
    for (SInt64 i = 0; i < SInt64(v.width) * v.height; i++) v.plane[i] = UInt8(255 - v.plane[i]);
}

void OffscreenCreateOpacityFromLuminance(Offscreen image) {
    ImageView v;
    if (!Plane(image, true, &v)) return;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            const UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            SInt32 sum = p[0] + p[1] + p[2];
            v.plane[SInt64(y) * v.width + x] = UInt8((sum * 21846) >> 16);
        }
}

void OffscreenCreateOpacityFromColor(Offscreen image, const char *text) {
    ImageView v;
    RGBColor key;
    if (!Plane(image, true, &v)) return;
    CvtColorTxtToRGB(text, &key);
    const UInt8 b = UInt8(key.blue >> 8), g = UInt8(key.green >> 8), r = UInt8(key.red >> 8);
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            const UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            v.plane[SInt64(y) * v.width + x] = p[0] == b && p[1] == g && p[2] == r ? 0 : 255;
        }
}

void OffscreenPixelsFromOpacity(Offscreen image) {
    ImageView v;
    if (!Plane(image, false, &v)) return;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *o = v.plane + SInt64(y) * v.width + x;
            std::memset(v.base + SInt64(y) * v.rowBytes + x * 4, *o, 3);
            *o = 255;
        }
}

void OffscreenFadeOpacity(Offscreen image, float percent) {
    OffscreenProgressiveFadeOpacity(image, percent, percent, percent, percent);
}

void OffscreenProgressiveFadeOpacity(Offscreen image, float topLeft, float topRight, float bottomLeft,
                                     float bottomRight) {
    ImageView v;
    if (!Plane(image, false, &v)) return;
    for (SInt32 y = 0; y < v.height; y++) {
        float fy = float(y) / float(v.height);
        for (SInt32 x = 0; x < v.width; x++) {
            float fx = float(x) / float(v.width);
            float p = (1 - fx) * (topLeft * (1 - fy) + bottomLeft * fy) + fx * (topRight * (1 - fy) + bottomRight * fy);
            UInt8 *o = v.plane + SInt64(y) * v.width + x;
            float faded = float(*o) * (p / 100.0f);
            // Percentages that are not numbers or are negative fade to nothing; large ones saturate.
            *o = !(faded > 0.0f) ? 0 : faded > 255.0f ? 255 : UInt8(SInt32(faded));
        }
    }
}

void OffscreenBlurH(Offscreen image, SInt32 radius, Boolean blurOpacity, Boolean blurColour, Boolean edgeOpaque,
                    Boolean inner) {
    BlurPass(image, radius, blurOpacity, blurColour, edgeOpaque, inner, false);
}

void OffscreenBlurV(Offscreen image, SInt32 radius, Boolean blurOpacity, Boolean blurColour, Boolean edgeOpaque,
                    Boolean inner) {
    BlurPass(image, radius, blurOpacity, blurColour, edgeOpaque, inner, true);
}

void OffscreenBlur(Offscreen image, SInt32 radius) {
    OffscreenBlurH(image, radius, false, true, false, false);
    OffscreenBlurV(image, radius, false, true, false, false);
}

void OffscreenBlurOpacity(Offscreen image, SInt32 radius, Boolean edgeOpaque) {
    OffscreenBlurH(image, radius, true, false, edgeOpaque, false);
    OffscreenBlurV(image, radius, true, false, edgeOpaque, false);
}

void OffscreenBlurInnerOpacity(Offscreen image, SInt32 radius, Boolean edgeOpaque) {
    OffscreenBlurH(image, radius, true, false, edgeOpaque, true);
    OffscreenBlurV(image, radius, true, false, edgeOpaque, true);
}

Offscreen OffscreenDropShadow(Offscreen image, SInt16 dx, SInt16 dy, UInt8 red, UInt8 green, UInt8 blue,
                              SInt16 blur, SInt16 intensity, SInt16 *originX, SInt16 *originY) {
    ImageView v;
    if (originX) *originX = 0;
    if (originY) *originY = 0;
    if (!Plane(image, false, &v)) return nullptr;
    SInt32 grow = blur > 0 ? blur : 0;
    SInt32 left = dx - grow, top = dy - grow, right = v.width + dx + grow, bottom = v.height + dy + grow;
    SInt32 ox = left < 0 ? -left : 0, oy = top < 0 ? -top : 0;
    SInt32 width = (right > v.width ? right : v.width) - (left < 0 ? left : 0);
    SInt32 height = (bottom > v.height ? bottom : v.height) - (top < 0 ? top : 0);
    if (width > kOffscreenMaxSize || height > kOffscreenMaxSize) return nullptr;
    Rect size = {0, 0, SInt16(height), SInt16(width)};
    Offscreen result = OffscreenCreate(&size);
    ImageView out;
    if (!result || !Plane(result, false, &out)) {
        OrvaClosePortOffscreen(result);
        return nullptr;
    }
    OffscreenPaintRect(result, &size, red, green, blue, 100, 0);
    SInt32 strength = intensity < 0 ? 0 : intensity > 100 ? 100 : intensity;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            SInt32 o = v.plane[SInt64(y) * v.width + x];
            if (o > 0) out.plane[SInt64(y + oy + dy) * out.width + x + ox + dx] = UInt8(o * strength / 100);
        }
    OffscreenBlurOpacity(result, grow, false);
    OffscreenEmbed(image, result, SInt16(ox), SInt16(oy), kEmbedBlend);
    if (originX) *originX = SInt16(ox);
    if (originY) *originY = SInt16(oy);
    return result;
}

void OffscreenDropInnerShadow(Offscreen image, SInt16 dx, SInt16 dy, UInt8 red, UInt8 green, UInt8 blue, SInt16 blur,
                              SInt16 intensity) {
    ImageView v, w;
    if (!Plane(image, false, &v)) return;
    Rect size = {0, 0, SInt16(v.height), SInt16(v.width)};
    Offscreen work = OffscreenCreate(&size);
    if (!work || !Plane(work, false, &w)) {
        OrvaClosePortOffscreen(work);
        return;
    }
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            SInt32 tx = x + dx, ty = y + dy;
            if (tx >= 0 && ty >= 0 && tx < v.width && ty < v.height)
                w.plane[SInt64(ty) * w.width + tx] = v.plane[SInt64(y) * v.width + x];
        }
    OffscreenBlurOpacity(work, blur, false);
    const SInt32 colour[3] = {blue, green, red};
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            SInt64 o = v.plane[SInt64(y) * v.width + x], gap = 255 - w.plane[SInt64(y) * w.width + x];
            SInt64 k = o * gap * intensity / 25500;
            k = k < 0 ? 0 : k > 255 ? 255 : k;  // intensities beyond 0..100 saturate
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            for (int c = 0; c < 3; c++) p[c] = UInt8((colour[c] * k + p[c] * (255 - k)) / 255);
        }
    OrvaClosePortOffscreen(work);
}

// The image's pixels and plane; with create, a missing plane is made (zeroed) first.
static Boolean Plane(Offscreen image, Boolean create, ImageView *view) {
    if (!image) return false;
    if (create) OffscreenCreateAlpha(image);
    return OrvaImageGetView(image, view) && view->plane;
}

// One pass along rows or columns through a copy of the image, copied back at the end.
static void BlurPass(Offscreen image, SInt32 radius, Boolean opacity, Boolean colour, Boolean edgeOpaque,
                     Boolean inner, Boolean vertical) {
    ImageView v, o;
    if (radius <= 0 || !Plane(image, false, &v)) return;  // a negative radius has no window
    Offscreen copy = OffscreenDuplicate(image);
    if (!copy || !Plane(copy, false, &o)) {
        OrvaClosePortOffscreen(copy);
        return;
    }
    SInt32 lines = vertical ? v.width : v.height, length = vertical ? v.height : v.width;
    for (SInt32 n = 0; n < lines; n++) {
        if (vertical)
            BlurLine(v.base + n * 4, v.plane + n, o.base + n * 4, o.plane + n, length, v.rowBytes, v.width, radius,
                     opacity, colour, edgeOpaque, inner);
        else
            BlurLine(v.base + SInt64(n) * v.rowBytes, v.plane + SInt64(n) * v.width, o.base + SInt64(n) * o.rowBytes,
                     o.plane + SInt64(n) * o.width, length, 4, 1, radius, opacity, colour, edgeOpaque, inner);
    }
    OffscreenCopy(copy, image, 0, 0, 0, 0);
    OrvaClosePortOffscreen(copy);
}

// The running-sum box blur of one line: output i is the mean of inputs i - r .. i + r - 1,
// colours repeating the end pixels, opacity taking 0 (or 255) outside.
static void BlurLine(const UInt8 *in, const UInt8 *inPlane, UInt8 *out, UInt8 *outPlane, SInt32 length,
                     SInt32 step, SInt32 planeStep, SInt32 r, Boolean opacity, Boolean colour, Boolean edgeOpaque,
                     Boolean inner) {
    const SInt64 edge = edgeOpaque ? 255 : 0, window = 2 * SInt64(r);
    SInt64 sum[3] = {0, 0, 0}, sumA = 0;
    auto pixel = [&](SInt64 i) { return in + (i < 0 ? 0 : i >= length ? length - 1 : i) * step; };
    auto alpha = [&](SInt64 i) -> SInt64 { return i < 0 || i >= length ? edge : inPlane[i * planeStep]; };
    for (int c = 0; c < 3; c++) sum[c] = SInt64(r) * in[c];
    sumA = SInt64(r) * edge;
    // The first r inputs; beyond the line these repeat the last pixel or take the edge.
    SInt64 within = r < length ? r : length;
    for (SInt64 i = 0; i < within; i++) {
        for (int c = 0; c < 3; c++) sum[c] += pixel(i)[c];
        sumA += alpha(i);
    }
    for (int c = 0; c < 3; c++) sum[c] += (r - within) * pixel(length - 1)[c];
    sumA += (r - within) * edge;
    for (SInt64 i = 0; i < length; i++) {
        if (colour)
            for (int c = 0; c < 3; c++) out[i * step + c] = UInt8(sum[c] / window);
        if (opacity) {
            SInt64 a = inner ? SInt64(inPlane[i * planeStep]) * sumA / (SInt64(r) * 510) : sumA / window;
            outPlane[i * planeStep] = UInt8(a);
        }
        const UInt8 *leaving = pixel(i - r), *entering = pixel(i + r);
        for (int c = 0; c < 3; c++) sum[c] += entering[c] - leaving[c];
        sumA += alpha(i + r) - alpha(i - r);
    }
}
