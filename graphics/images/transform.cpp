// Rotation, perspective and skew by inverse mapping: every output pixel is sampled at a
// position in the source with the opacity-weighted interpolation of the smooth resize.
#include <cmath>
#include <cstring>

#include "graphics/images/image_view.h"

namespace {

// A colour and opacity: the fill of positions outside the source, or a sample.
struct TexelRecord {
    UInt8 blue, green, red;
    UInt8 opacity;
};

}  // namespace

static TexelRecord Neighbour(const ImageView *s, SInt32 x, SInt32 y, TexelRecord fill);
static TexelRecord Mix(TexelRecord a, TexelRecord b, float f);
static TexelRecord RowSample(const ImageView *s, SInt32 row, float sx, TexelRecord fill);
static TexelRecord Sample(const ImageView *s, float sx, float sy, TexelRecord fill);
static void Put(Offscreen image, SInt32 x, SInt32 y, TexelRecord t);
static Offscreen NewImage(double width, double height);

static const double kPi = 3.1415926;

void OffscreenGetRotatedBoundRect(const Rect *rect, float angle, Rect *out) {
    if (!out) return;
    *out = Rect{0, 0, 0, 0};
    if (!rect || !std::isfinite(angle)) return;
    double c = std::cos(angle * kPi / 180), s = std::sin(angle * kPi / 180);
    double w = rect->right, h = rect->bottom;
    double xs[4] = {w / 2 + (w * c + h * s) / 2, w / 2 - (w * c + h * s) / 2, w / 2 + (w * c - h * s) / 2,
                    w / 2 - (w * c - h * s) / 2};
    double ys[4] = {h / 2 + (h * c - w * s) / 2, h / 2 - (h * c - w * s) / 2, h / 2 + (h * c + w * s) / 2,
                    h / 2 - (h * c + w * s) / 2};
    double x0 = xs[0], x1 = xs[0], y0 = ys[0], y1 = ys[0];
    for (int i = 1; i < 4; i++) {
        x0 = std::fmin(x0, xs[i]);
        x1 = std::fmax(x1, xs[i]);
        y0 = std::fmin(y0, ys[i]);
        y1 = std::fmax(y1, ys[i]);
    }
    SInt32 width = SInt32(std::trunc(x1 + 0.5)) - SInt32(std::trunc(x0 + 0.5));
    SInt32 height = SInt32(std::trunc(y1 + 0.5)) - SInt32(std::trunc(y0 + 0.5));
    out->right = SInt16(width > 32767 ? 32767 : width);
    out->bottom = SInt16(height > 32767 ? 32767 : height);
}

Offscreen OffscreenRotate(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity) {
    ImageView src;
    if (!OrvaImageGetView(image, &src) || !std::isfinite(angle)) return nullptr;
    Rect bounds = {0, 0, SInt16(src.height), SInt16(src.width)}, size;
    OffscreenGetRotatedBoundRect(&bounds, -angle, &size);
    Offscreen result = OffscreenCreate(&size);
    if (!result) return nullptr;
    const TexelRecord fill = {blue, green, red, opacity};
    double c = std::cos(angle * kPi / 180), s = std::sin(angle * kPi / 180);
    double dc = -(size.right - 1) / 2.0, dr = -(size.bottom - 1) / 2.0;
    float rowX = float((src.width - 1) / 2.0 + dc * c + dr * s), rowY = float((src.height - 1) / 2.0 - dc * s + dr * c);
    const float stepC = float(c), stepS = float(s);
    for (SInt32 j = 0; j < size.bottom; j++, rowX += stepS, rowY += stepC) {
        float sx = rowX, sy = rowY;
        for (SInt32 i = 0; i < size.right; i++, sx += stepC, sy -= stepS) Put(result, i, j, Sample(&src, sx, sy, fill));
    }
    return result;
}

SInt16 OffscreenPerspective(Offscreen image, float angle, SInt16, SInt16, float distance) {
    ImageView src;
    if (!OrvaImageGetView(image, &src) || !std::isfinite(angle) || angle == 0.0f) return 0;
    // No viewer at or behind the image plane: nothing to see from there.
    if (!(distance > 0.0f) || !std::isfinite(distance)) return 0;
    double s = std::cos((90 - double(angle)) * 3.1415927 / 180), c = std::sin((90 - double(angle)) * 3.1415927 / 180);
    if (s == 0.0) return 0;
    double k = c / s, d = distance, halfW = src.width / 2.0, halfH = src.height / 2.0;
    Rect bounds = {0, 0, SInt16(src.height), SInt16(src.width)};
    Offscreen work = OffscreenCreate(&bounds);
    if (!work) return 0;
    const TexelRecord none = {0, 0, 0, 0};
    SInt16 result = 0;
    for (SInt32 j = src.height - 1; j >= 0; j--) {
        double denominator = (j - halfH) / d + k;
        // At or beyond the horizon the row sees nothing: it stays transparent.
        if (!(denominator > 1e-9)) continue;
        double t = (halfH + d * k) / denominator, sy = src.height - (t - d) / s;
        if (sy < 0 && result == 0) result = SInt16(j);
        if (!(sy >= -1 && sy <= src.height)) continue;
        for (SInt32 i = 0; i < src.width; i++) {
            float sx = float((i - halfW) * t / d + halfW);
            Put(work, i, j, Sample(&src, sx, float(sy), none));
        }
    }
    OffscreenCopy(work, image, 0, 0, 0, 0);
    OrvaClosePortOffscreen(work);
    return result;
}

Offscreen OffscreenRightSkew(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity) {
    ImageView src;
    if (!OrvaImageGetView(image, &src) || std::isnan(angle)) return nullptr;
    angle = angle < -45 ? -45 : angle > 45 ? 45 : angle;
    double t = std::tan(angle * kPi / 180);
    Offscreen result = NewImage(std::fabs(t) * src.height + src.width + 0.5, src.height);
    if (!result) return nullptr;
    Rect size;
    OffscreenGetInfo(result, &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    const TexelRecord fill = {blue, green, red, opacity};
    float rowStart = float(t > 0 ? -src.height * t : 0), step = float(t);
    for (SInt32 y = 0; y < size.bottom; y++, rowStart += step) {
        float sx = rowStart;
        for (SInt32 x = 0; x < size.right; x++, sx += 1.0f) {
            TexelRecord p = sx >= -1.0f && sx < float(src.width) ? RowSample(&src, y, sx, fill) : fill;
            Put(result, x, y, p);
        }
    }
    return result;
}

Offscreen OffscreenBottomSkew(Offscreen image, float angle, UInt8 red, UInt8 green, UInt8 blue, UInt8 opacity) {
    ImageView src;
    if (!OrvaImageGetView(image, &src) || std::isnan(angle)) return nullptr;
    angle = angle < -45 ? -45 : angle > 45 ? 45 : angle;
    double t = std::tan(angle * kPi / 180);
    Offscreen result = NewImage(src.width, std::fabs(t) * src.width + src.height + 0.5);
    if (!result) return nullptr;
    Rect size;
    OffscreenGetInfo(result, &size, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    const TexelRecord fill = {blue, green, red, opacity};
    float offset = float(t > 0 ? -src.width * t : 0), step = float(t);
    for (SInt32 x = 0; x < size.right; x++, offset += step) {
        float whole = std::floor(offset), f = offset - whole;
        SInt32 first = SInt32(whole);
        for (SInt32 y = 0; y < size.bottom; y++) {
            TexelRecord a = Neighbour(&src, x, first + y, fill), b = Neighbour(&src, x, first + y + 1, fill);
            Put(result, x, y, Mix(a, b, f));
        }
    }
    return result;
}

// The source pixel at (x, y), or the fill outside.
static TexelRecord Neighbour(const ImageView *s, SInt32 x, SInt32 y, TexelRecord fill) {
    if (x < 0 || y < 0 || x >= s->width || y >= s->height) return fill;
    const UInt8 *p = s->base + SInt64(y) * s->rowBytes + x * 4;
    return TexelRecord{p[0], p[1], p[2], s->plane ? s->plane[SInt64(y) * s->width + x] : UInt8(255)};
}

// a and b weighted by their opacity and by 1 - f and f.
static TexelRecord Mix(TexelRecord a, TexelRecord b, float f) {
    float w0 = float(a.opacity) * (1.0f - f), w1 = float(b.opacity) * f, sum = w0 + w1;
    if (sum == 0.0f) return TexelRecord{0, 0, 0, 0};
    return TexelRecord{UInt8(SInt32((float(a.blue) * w0 + float(b.blue) * w1) / sum)),
                       UInt8(SInt32((float(a.green) * w0 + float(b.green) * w1) / sum)),
                       UInt8(SInt32((float(a.red) * w0 + float(b.red) * w1) / sum)), UInt8(SInt32(sum))};
}

static TexelRecord RowSample(const ImageView *s, SInt32 row, float sx, TexelRecord fill) {
    float whole = std::floor(sx);
    SInt32 x0 = SInt32(whole);
    return Mix(Neighbour(s, x0, row, fill), Neighbour(s, x0 + 1, row, fill), sx - whole);
}

static TexelRecord Sample(const ImageView *s, float sx, float sy, TexelRecord fill) {
    // Positions far outside (or not numbers) take the fill before any conversion.
    if (!(sy >= -2.0f && sy < float(s->height + 1))) return fill;
    float wholeY = std::floor(sy), fy = sy - wholeY;
    SInt32 y0 = SInt32(wholeY);
    Boolean across = sx >= -1.0f && sx < float(s->width);
    TexelRecord a = across && y0 >= 0 && y0 < s->height ? RowSample(s, y0, sx, fill) : fill;
    if (fy == 0.0f) return a;
    TexelRecord b = across && y0 + 1 >= 0 && y0 + 1 < s->height ? RowSample(s, y0 + 1, sx, fill) : fill;
    return Mix(a, b, fy);
}

static void Put(Offscreen image, SInt32 x, SInt32 y, TexelRecord t) {
    OffscreenSetPixel(image, SInt16(x), SInt16(y), t.red, t.green, t.blue, t.opacity);
}

// A new image of trunc(width) x trunc(height); null when that is not a size an image can have.
static Offscreen NewImage(double width, double height) {
    if (!(width >= 1 && width < kOffscreenMaxSize + 1 && height >= 1 && height < kOffscreenMaxSize + 1)) return nullptr;
    Rect rect = {0, 0, SInt16(height), SInt16(width)};
    return OffscreenCreate(&rect);
}
