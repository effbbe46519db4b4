// ctest-labels: images
// Random scripts of image operations with random parameters (sizes, margins, rectangles, angles
// including NaN and infinities, radii, percentages, colour texts) on a few small images, some
// without opacity planes. Every step must stay inside the buffers and convert no float out of
// range; new images too large for the pool are closed at once.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "fuzz_quickdraw.h"
#include "graphics/images/images.h"
#include "graphics/quickdraw/ports.h"
#include "platform/core/memory.h"

namespace {

enum : int { kPool = 4, kMaxSide = 64 };

struct Reader : FuzzReader {
    SInt16 Small() { return SInt16(SInt8(Byte())); }  // -128..127
    // Mostly ordinary values, sometimes the awkward ones.
    float Float() {
        UInt8 code = Byte();
        const float inf = std::numeric_limits<float>::infinity();
        switch (code) {
        case 0xF8: return std::numeric_limits<float>::quiet_NaN();
        case 0xF9: return inf;
        case 0xFA: return -inf;
        case 0xFB: return 1e30f;
        case 0xFC: return -1e30f;
        case 0xFD: return 1e-30f;
        case 0xFE: return 90.0f;
        case 0xFF: return 100000.0f;
        default: return float(SInt8(code)) * (1 + (Byte() & 7)) / 4.0f;
        }
    }
};

struct Pool {
    Offscreen images[kPool] = {};
    ~Pool() {
        SetPort(nullptr);
        for (Offscreen &image : images)
            if (image) OrvaClosePortOffscreen(image);
    }
    Offscreen Pick(Reader *in) {
        Offscreen image = images[in->Byte() % kPool];
        return image ? image : images[0];
    }
    // Keeps a new image in a slot, or closes it when it is too large to keep working on.
    void Keep(Reader *in, Offscreen image) {
        if (!image) return;
        Rect bounds;
        OffscreenGetInfo(image, &bounds, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
        int slot = 1 + in->Byte() % (kPool - 1);
        if (bounds.right - bounds.left > kMaxSide || bounds.bottom - bounds.top > kMaxSide) {
            OrvaClosePortOffscreen(image);
            return;
        }
        SetPort(nullptr);
        if (images[slot]) OrvaClosePortOffscreen(images[slot]);
        images[slot] = image;
    }
};

Rect SmallRect(Reader *in) {
    Rect r;
    r.top = in->Small();
    r.left = in->Small();
    r.bottom = in->Small();
    r.right = in->Small();
    return r;
}

void ColourText(Reader *in, char *text) {
    UInt8 length = in->Byte() % 9;
    for (UInt8 i = 0; i < length; i++) text[i] = char(in->Byte());
    text[length] = 0;
}

void Step(Reader *in, Pool *pool) {
    UInt8 op = in->Byte();
    Offscreen image = pool->Pick(in);
    switch (op % 32) {
    case 0: {
        Rect r = {0, 0, SInt16(in->Byte() % 40), SInt16(in->Byte() % 40)};
        pool->Keep(in, OffscreenCreate(&r));
        break;
    }
    case 1: OffscreenCreateAlpha(image); break;
    case 2: {
        SInt16 x = in->Small(), y = in->Small();
        UInt8 r = in->Byte(), g = in->Byte(), b = in->Byte();
        OffscreenSetPixel(image, x, y, r, g, b, in->Small());
        SInt16 red, green, blue, opacity;
        OffscreenGetPixel(image, x, y, &red, &green, &blue, &opacity);
        break;
    }
    case 3: {
        Rect r = SmallRect(in);
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte();
        SInt16 percent = in->Word();
        OffscreenPaintRect(image, &r, red, green, blue, percent, in->Byte() & 1);
        break;
    }
    case 4: OffscreenSetOpacity(image, in->Word()); break;
    case 5: {
        Offscreen other = pool->Pick(in);
        UInt8 red = in->Byte(), blue = in->Byte(), green = in->Byte();
        OffscreenCopy(image, other, red, blue, green, in->Byte());
        break;
    }
    case 6: pool->Keep(in, OffscreenDuplicate(image)); break;
    case 7: {
        Offscreen other = pool->Pick(in);
        SInt16 x = in->Small(), y = in->Small();
        OffscreenEmbed(image, other, x, y, SInt16(in->Byte() % 11) - 1);
        break;
    }
    case 8: {
        OrvaMarginsRecord margins = {in->Small(), in->Small(), in->Small(), in->Small()};
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte();
        pool->Keep(in, OffscreenAddMargins(image, &margins, red, green, blue, in->Word()));
        break;
    }
    case 9: {
        Rect r = SmallRect(in);
        pool->Keep(in, OffscreenCrop(image, &r));
        break;
    }
    case 10: OffscreenFlip(image); break;
    case 11: OffscreenMirror(image); break;
    case 12: {
        Offscreen target = pool->Pick(in);
        Rect source = SmallRect(in), destination = SmallRect(in);
        UInt8 useOpacity = in->Byte() & 1;
        if (target == image) break;  // an image is never drawn into itself
        SetPort(target);
        OffscreenCopyBits(image, &source, &destination, useOpacity);
        SetPort(nullptr);
        break;
    }
    case 13: {
        Rect r = {0, 0, SInt16(in->Small() % 48), SInt16(in->Small() % 48)};
        pool->Keep(in, OffscreenResize(image, &r));
        break;
    }
    case 14: {
        float w = in->Float(), h = in->Float();
        if (std::isfinite(w) && std::isfinite(h) && (std::fabs(w) > kMaxSide || std::fabs(h) > kMaxSide)) break;
        pool->Keep(in, OffscreenSmoothResize(image, w, h));
        break;
    }
    case 15: {
        float x = in->Float(), y = in->Float();
        if (std::isfinite(x) && std::isfinite(y) && (std::fabs(x) > 400 || std::fabs(y) > 400)) break;
        pool->Keep(in, OffscreenZoom(image, x, y, in->Byte() & 1));
        break;
    }
    case 16: {
        Rect r = SmallRect(in), out;
        OffscreenGetRotatedBoundRect(&r, in->Float(), &out);
        float angle = in->Float();
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte();
        pool->Keep(in, OffscreenRotate(image, angle, red, green, blue, in->Byte()));
        break;
    }
    case 17: {
        float angle = in->Float();
        SInt16 a = in->Small(), b = in->Small();
        OffscreenPerspective(image, angle, a, b, in->Float());
        break;
    }
    case 18: {
        float angle = in->Float();
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte(), opacity = in->Byte();
        if (in->Byte() & 1)
            pool->Keep(in, OffscreenRightSkew(image, angle, red, green, blue, opacity));
        else
            pool->Keep(in, OffscreenBottomSkew(image, angle, red, green, blue, opacity));
        break;
    }
    case 19: {
        Offscreen other = pool->Pick(in);
        OffscreenComputeOpacity(image, other, SInt16(in->Byte() % 6) - 1);
        break;
    }
    case 20: OffscreenInvertOpacity(image); break;
    case 21: OffscreenCreateOpacityFromLuminance(image); break;
    case 22: {
        char text[10];
        ColourText(in, text);
        OffscreenCreateOpacityFromColor(image, text);
        RGBColor rgb;
        CvtColorTxtToRGB(text, &rgb);
        break;
    }
    case 23: OffscreenPixelsFromOpacity(image); break;
    case 24: {
        if (in->Byte() & 1) {
            OffscreenFadeOpacity(image, in->Float());
        } else {
            float a = in->Float(), b = in->Float(), c = in->Float();
            OffscreenProgressiveFadeOpacity(image, a, b, c, in->Float());
        }
        break;
    }
    case 25: {
        UInt8 how = in->Byte();
        SInt32 radius = in->Word() % 200;
        if (how & 64) radius = (how & 128) ? 10000 : -1;
        switch (how % 5) {
        case 0: OffscreenBlurH(image, radius, how & 8, how & 16, how & 32, how & 4); break;
        case 1: OffscreenBlurV(image, radius, how & 8, how & 16, how & 32, how & 4); break;
        case 2: OffscreenBlur(image, radius); break;
        case 3: OffscreenBlurOpacity(image, radius, how & 32); break;
        default: OffscreenBlurInnerOpacity(image, radius, how & 32); break;
        }
        break;
    }
    case 26: {
        SInt16 dx = in->Small() % 16, dy = in->Small() % 16;
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte();
        SInt16 blur = SInt16(in->Small() % 20), intensity = in->Word();
        SInt16 x = 0, y = 0;
        pool->Keep(in, OffscreenDropShadow(image, dx, dy, red, green, blue, blur, intensity, &x, &y));
        break;
    }
    case 27: {
        SInt16 dx = in->Small(), dy = in->Small();
        UInt8 red = in->Byte(), green = in->Byte(), blue = in->Byte();
        SInt16 blur = in->Small(), intensity = in->Word();
        OffscreenDropInnerShadow(image, dx, dy, red, green, blue, blur, intensity);
        break;
    }
    case 28: {
        float brightness = in->Float(), contrast = in->Float();
        OffscreenBCS(image, brightness, contrast, in->Float());
        break;
    }
    case 29: {
        SInt16 hue = in->Word(), saturation = in->Word();
        OffscreenHSL(image, hue, saturation, in->Word());
        break;
    }
    case 30: {
        UInt8 which = in->Byte() % 3;
        if (which == 0) {
            OffscreenHighlight(image, in->Float());
        } else if (which == 1) {
            OffscreenGlow(image, in->Float());
        } else {
            float w[12];
            for (float &f : w) f = in->Float();
            OffscreenChannelMixer(image, w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7], w[8], w[9], w[10], w[11]);
        }
        break;
    }
    default: {
        Offscreen target = pool->Pick(in);
        SInt16 dx = in->Small(), dy = in->Small();
        float strength = in->Float(), shading = in->Float();
        OffscreenDistort(image, target, dx, dy, strength, shading, in->Float());
        break;
    }
    }
}

}  // namespace

// An input: a header byte (width and height of the first image, bit 7 a plane on it), then
// steps of an opcode byte, an image byte and operands.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size > 4096) return 0;
    FuzzStartQuickDraw();
    Reader in{{OrvaByteReader(data, size)}};
    UInt8 header = in.Byte();
    Pool pool;
    for (int i = 0; i < kPool; i++) {
        Rect r = {0, 0, SInt16(1 + (header + 3 * i) % 13), SInt16(1 + (header / 4 + 5 * i) % 17)};
        pool.images[i] = OffscreenCreate(&r);
        if (!pool.images[i]) return 0;
        for (SInt16 y = 0; y < r.bottom; y++)
            for (SInt16 x = 0; x < r.right; x++)
                OffscreenSetPixel(pool.images[i], x, y, UInt8(x * 37 + i), UInt8(y * 53), UInt8((x ^ y) * 29),
                                  SInt16((x * y * 11 + i * 40) & 255));
    }
    // Images without planes, as callers may hand them over.
    for (int i = (header & 128) ? 2 : 1; i < kPool; i += 2) {
        DisposePtr(pool.images[i]->opacity);
        pool.images[i]->opacity = nullptr;
    }
    for (int steps = 0; in.More() && steps < 200; steps++) Step(&in, &pool);
    return 0;
}
