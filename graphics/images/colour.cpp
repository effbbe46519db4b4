// Per-pixel colour operations: brightness, contrast and saturation, integer HSL, highlight,
// channel mixer, glow, and the distortion of an image by the gradient of a height map. None
// touches the opacity plane except the distortion, which moves opacity with the colours.
#include <cmath>
#include <algorithm>
#include <cstring>

#include "graphics/images/image_view.h"

static UInt8 Clamp255(float v);

void OffscreenBCS(Offscreen image, float brightness, float contrast, float saturation) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return;
    const float kc = (100.0f + contrast) / 100.0f, ks = (100.0f + saturation) / 100.0f;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            float a[3], b[3];
            for (int c = 0; c < 3; c++) a[c] = (float(p[c]) + brightness - 128.0f) * kc + 128.0f;
            float l = (std::fmax(a[0], std::fmax(a[1], a[2])) + std::fmin(a[0], std::fmin(a[1], a[2]))) * 0.5f;
            if (l == 0.0f) {
                p[0] = p[1] = p[2] = 0;
                continue;
            }
            for (int c = 0; c < 3; c++) b[c] = (a[c] - l) * ks + l;
            float l2 = (std::fmax(b[0], std::fmax(b[1], b[2])) + std::fmin(b[0], std::fmin(b[1], b[2]))) * 0.5f;
            // A result with no mid-range has no defined scale: its components are taken as 0.
            for (int c = 0; c < 3; c++) p[c] = l2 == 0.0f ? 0 : Clamp255(b[c] * l / l2 + 0.5f);
        }
}

void OffscreenHSL(Offscreen image, SInt16 hue, SInt16 saturation, SInt16 lightness) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return;
    // Saturations above 100 have no defined formula: they count as 100.
    SInt32 sat = saturation > 100 ? 100 : saturation, light = lightness < -100 ? -100 : lightness > 100 ? 100 : lightness;
    const SInt32 shift = (SInt32(hue) + 36000180) % 360 - 180;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            // The hue is measured from byte 0 (blue): stored settings depend on it.
            SInt32 c0 = p[0], c1 = p[1], c2 = p[2];
            SInt32 mx = std::max(c0, std::max(c1, c2)), mn = std::min(c0, std::min(c1, c2));
            SInt32 sum = mx + mn, delta = mx - mn, s = 0, h = 0;
            if (delta != 0) {
                s = delta * 256 / (sum > 255 ? 510 - sum : sum);
                if (c0 == mx) h = (c1 - c2) * 256 / delta;
                else if (c1 == mx) h = (c2 - c0) * 256 / delta + 512;
                else h = (c0 - c1) * 256 / delta + 1024;
            }
            h += shift * 1536 / 360;
            while (h < 0) h += 1536;
            while (h > 1536) h -= 1536;
            SInt32 s2 = sat == 100 ? 255 : sat >= 0 ? s * 100 / (100 - sat) : (sat + 100) * s / 100;
            s2 = s2 > 256 ? 256 : s2 < 0 ? 0 : s2;
            SInt32 out[3];
            if (s == 0 || s2 == 0) {
                out[0] = out[1] = out[2] = sum / 2;
            } else {
                SInt32 chroma = s2 * (sum < 255 ? sum : 510 - sum) >> 8;
                SInt32 m = (sum - chroma) / 2, top = m + chroma, f = h % 512;
                SInt32 xx = ((f < 256 ? f : 512 - f) * chroma >> 8) + m;
                const SInt32 table[7][3] = {{top, xx, m}, {xx, top, m}, {m, top, xx}, {m, xx, top},
                                            {xx, m, top}, {top, m, xx}, {top, m, xx}};
                std::memcpy(out, table[h >> 8], sizeof out);
            }
            for (int c = 0; c < 3; c++) {
                if (light > 0) out[c] += (255 - out[c]) * light / 100;
                else if (light < 0) out[c] = out[c] * (light + 100) / 100;
                p[c] = UInt8(out[c] < 0 ? 0 : out[c] > 255 ? 255 : out[c]);
            }
        }
}

void OffscreenHighlight(Offscreen image, float factor) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            for (int c = 0; c < 3; c++) p[c] = Clamp255(float(p[c]) * factor);
        }
}

void OffscreenChannelMixer(Offscreen image, float redOffset, float redFromRed, float redFromGreen, float redFromBlue,
                           float greenOffset, float greenFromRed, float greenFromGreen, float greenFromBlue,
                           float blueOffset, float blueFromRed, float blueFromGreen, float blueFromBlue) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            float r = p[2], g = p[1], b = p[0];
            p[2] = Clamp255(redOffset + redFromRed * r + redFromGreen * g + redFromBlue * b);
            p[1] = Clamp255(greenOffset + greenFromRed * r + greenFromGreen * g + greenFromBlue * b);
            p[0] = Clamp255(blueOffset + blueFromRed * r + blueFromGreen * g + blueFromBlue * b);
        }
}

void OffscreenGlow(Offscreen image, float amount) {
    ImageView v;
    if (!OrvaImageGetView(image, &v)) return;
    for (SInt32 y = 0; y < v.height; y++)
        for (SInt32 x = 0; x < v.width; x++) {
            UInt8 *p = v.base + SInt64(y) * v.rowBytes + x * 4;
            float k = float(p[0]) * float(p[1]) * float(p[2]) / 16581375.0f * (amount * 100.0f);
            for (int c = 0; c < 3; c++) p[c] = Clamp255(float(p[c]) + float(255 - p[c]) * k);
        }
}

void OffscreenDistort(Offscreen map, Offscreen target, SInt16 dx, SInt16 dy, float strength, float shading,
                      float highlight) {
    ImageView m, t, d;
    if (!OrvaImageGetView(map, &m) || !OrvaImageGetView(target, &t) || m.height < 3) return;
    Offscreen copy = OffscreenDuplicate(target);
    if (!copy || !OrvaImageGetView(copy, &d)) {
        OrvaClosePortOffscreen(copy);
        return;
    }
    auto at = [&](SInt32 x, SInt32 y) -> float { return m.base[SInt64(y) * m.rowBytes + x * 4]; };
    for (SInt32 y = 1; y <= m.height - 2; y++)
        for (SInt32 x = 1; x <= m.width - 2; x++) {
            SInt32 tx = dx + x, ty = dy + y;
            if (tx < 0 || ty < 0 || tx >= t.width || ty >= t.height) continue;
            const UInt8 *q = m.base + SInt64(y) * m.rowBytes + x * 4;
            float c = float(std::max(q[0], std::max(q[1], q[2])));
            float ul = at(x - 1, y - 1), u = at(x, y - 1), ur = at(x + 1, y - 1), l = at(x - 1, y), r = at(x + 1, y);
            float dl = at(x - 1, y + 1), dd = at(x, y + 1), dr = at(x + 1, y + 1);
            float gx = r - l + 0.707f * (ur + dr - ul - dl), gy = dd - u + 0.707f * (dl + dr - ul - ur);
            if (gx == 0.0f && gy == 0.0f) continue;
            gx = gx * c / 2040.0f;
            gy = gy * c / 2040.0f;
            float h = 0.0f;
            if (highlight != 0.0f) {
                if (gx > 0 && gy > 0) h = std::pow(gx * gy * 0.3f * highlight, 2.0f);
                else if (gx < 0 && gy < 0) h = std::pow(gx * gy * 0.16f * highlight, 4.0f);
                h = !(h > 0.0f) ? 0.0f : h > 1.0f ? 1.0f : h;
            }
            float sx = float(tx) + gx * strength, sy = float(ty) + gy * strength;
            if (!(sx >= 0.0f && sx < float(t.width) && sy >= 0.0f && sy < float(t.height))) continue;
            SInt32 ix = SInt32(sx), iy = SInt32(sy);
            const UInt8 *src = d.base + SInt64(iy) * d.rowBytes + ix * 4;
            float s[3] = {float(src[0]), float(src[1]), float(src[2])};
            float dist = std::sqrt((sx - float(tx)) * (sx - float(tx)) + (sy - float(ty)) * (sy - float(ty)));
            for (int k = 0; k < 3; k++) {
                if (shading > 0.0f) {
                    float f = std::fmin(dist * shading / 20.0f, 1.0f);
                    s[k] = std::trunc(s[k] + (255.0f - s[k]) * f);
                } else if (shading < 0.0f) {
                    // Darkening in proportion to the displacement: -1 black, near 0 unchanged.
                    float f = std::fmax(dist * shading / 20.0f, -1.0f);
                    s[k] = std::trunc(s[k] * (1.0f + f));
                }
                if (h != 0.0f) s[k] = std::trunc(s[k] + (255.0f - s[k]) * h);
            }
            UInt8 *out = t.base + SInt64(ty) * t.rowBytes + tx * 4;
            for (int k = 0; k < 3; k++) out[k] = Clamp255(s[k]);
            if (t.plane && d.plane) t.plane[SInt64(ty) * t.width + tx] = d.plane[SInt64(iy) * d.width + ix];
        }
    OrvaClosePortOffscreen(copy);
}

// v truncated into 0..255; values that are not numbers give 0.
static UInt8 Clamp255(float v) {
    return !(v > 0.0f) ? 0 : v >= 255.0f ? 255 : UInt8(SInt32(v));
}
