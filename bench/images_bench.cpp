// Image operations, with the ratios printed at the end of the run. Goals: OffscreenBlur of a
// 1000x1000 image with radius 20 takes at most 1/5 of a naive blur summing the whole window for
// every pixel, and radius 50 at most 1.3x radius 2 (constant work per pixel); OffscreenSmoothResize
// from 2000x2000 to 1000x1000 takes at most 1.5x a plain float bilinear loop with the same opacity
// weighting; OffscreenRotate of a 1000x1000 image by 30 degrees takes at most 2x a smooth resize
// producing as many pixels.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/quickdraw/ports.h"
#include "platform/core/runtime.h"

namespace {

// A patterned image of the size, with a varying plane.
Offscreen Fixture(SInt16 width, SInt16 height) {
    Rect r = {0, 0, height, width};
    Offscreen image = OffscreenCreate(&r);
    if (!image) return nullptr;
    Ptr pixels = nullptr, plane = nullptr;
    SInt16 rowBytes = 0;
    OffscreenGetInfo(image, nullptr, &pixels, &rowBytes, nullptr, &plane, nullptr, nullptr);
    for (SInt32 y = 0; y < height; y++) {
        UInt8 *p = (UInt8 *)pixels + SInt64(y) * rowBytes;
        for (SInt32 x = 0; x < width; x++, p += 4) {
            p[0] = UInt8(x * 7 + y);
            p[1] = UInt8(x ^ y);
            p[2] = UInt8(y * 3);
            ((UInt8 *)plane)[SInt64(y) * width + x] = UInt8((x + y) % 256);
        }
    }
    return image;
}

// The naive reference: for every pixel and component, the sum over the whole 2r window of
// the row (then of the column), edges clamped.
void NaiveBlurPass(UInt8 *pixels, SInt32 rowBytes, SInt32 width, SInt32 height, SInt32 radius, bool columns,
                   std::vector<UInt8> *line) {
    SInt32 lines = columns ? width : height, length = columns ? height : width;
    line->resize(size_t(length) * 4);
    for (SInt32 l = 0; l < lines; l++) {
        auto at = [&](SInt32 i) { return columns ? pixels + SInt64(i) * rowBytes + l * 4 : pixels + SInt64(l) * rowBytes + i * 4; };
        for (SInt32 i = 0; i < length; i++) std::memcpy(line->data() + size_t(i) * 4, at(i), 4);
        for (SInt32 i = 0; i < length; i++) {
            SInt32 sum[3] = {0, 0, 0};
            for (SInt32 k = i - radius; k < i + radius; k++) {
                SInt32 c = k < 0 ? 0 : (k >= length ? length - 1 : k);
                const UInt8 *s = line->data() + size_t(c) * 4;
                sum[0] += s[0];
                sum[1] += s[1];
                sum[2] += s[2];
            }
            UInt8 *q = at(i);
            for (int n = 0; n < 3; n++) q[n] = UInt8(sum[n] / (2 * radius));
        }
    }
}

void BM_Blur(benchmark::State &state) {
    Offscreen image = Fixture(1000, 1000);
    SInt32 radius = SInt32(state.range(0));
    for (auto _ : state) OffscreenBlur(image, radius);
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_Blur)->Arg(2)->Arg(20)->Arg(50)->Unit(benchmark::kMillisecond);

void BM_NaiveBlur(benchmark::State &state) {
    Offscreen image = Fixture(1000, 1000);
    Ptr pixels = nullptr;
    SInt16 rowBytes = 0;
    OffscreenGetInfo(image, nullptr, &pixels, &rowBytes, nullptr, nullptr, nullptr, nullptr);
    SInt32 radius = SInt32(state.range(0));
    std::vector<UInt8> line;
    for (auto _ : state) {
        NaiveBlurPass((UInt8 *)pixels, rowBytes, 1000, 1000, radius, false, &line);
        NaiveBlurPass((UInt8 *)pixels, rowBytes, 1000, 1000, radius, true, &line);
        benchmark::DoNotOptimize(pixels[0]);
    }
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_NaiveBlur)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_SmoothResize(benchmark::State &state) {
    Offscreen image = Fixture(2000, 2000);
    for (auto _ : state) {
        Offscreen result = OffscreenSmoothResize(image, 999.0f, 999.0f);  // 1000 x 1000 pixels
        benchmark::DoNotOptimize(result);
        OrvaClosePortOffscreen(result);
    }
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_SmoothResize)->Unit(benchmark::kMillisecond);

// A plain bilinear loop in float: four neighbours weighted by distance and opacity.
void BM_ReferenceBilinear(benchmark::State &state) {
    const SInt32 width = 2000, height = 2000, out = 1000;
    Offscreen image = Fixture(SInt16(width), SInt16(height));
    Ptr pixels = nullptr, plane = nullptr;
    SInt16 rowBytes = 0;
    OffscreenGetInfo(image, nullptr, &pixels, &rowBytes, nullptr, &plane, nullptr, nullptr);
    const UInt8 *base = (const UInt8 *)pixels, *alpha = (const UInt8 *)plane;
    std::vector<UInt8> result(size_t(out) * out * 4), resultPlane(size_t(out) * out);
    const float step = float(width) / float(out - 1);
    for (auto _ : state) {
        for (SInt32 j = 0; j < out; j++) {
            float sy = float(j) * step;
            SInt32 y0 = SInt32(sy);
            float fy = sy - float(y0);
            SInt32 y1 = y0 + 1 < height ? y0 + 1 : height - 1;
            if (y0 >= height) y0 = y1 = height - 1;
            for (SInt32 i = 0; i < out; i++) {
                float sx = float(i) * step;
                SInt32 x0 = SInt32(sx);
                float fx = sx - float(x0);
                SInt32 x1 = x0 + 1 < width ? x0 + 1 : width - 1;
                if (x0 >= width) x0 = x1 = width - 1;
                const SInt32 xs[4] = {x0, x1, x0, x1}, ys[4] = {y0, y0, y1, y1};
                const float ws[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
                float sum = 0, c[3] = {0, 0, 0};
                for (int n = 0; n < 4; n++) {
                    float w = ws[n] * float(alpha[SInt64(ys[n]) * width + xs[n]]);
                    const UInt8 *p = base + SInt64(ys[n]) * rowBytes + xs[n] * 4;
                    c[0] += w * float(p[0]);
                    c[1] += w * float(p[1]);
                    c[2] += w * float(p[2]);
                    sum += w;
                }
                UInt8 *q = result.data() + (size_t(j) * out + size_t(i)) * 4;
                if (sum > 0) {
                    for (int n = 0; n < 3; n++) q[n] = UInt8(SInt32(c[n] / sum));
                } else {
                    q[0] = q[1] = q[2] = 0;
                }
                resultPlane[size_t(j) * out + size_t(i)] = UInt8(SInt32(sum));
            }
        }
        benchmark::DoNotOptimize(result.data());
        benchmark::DoNotOptimize(resultPlane.data());
    }
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_ReferenceBilinear)->Unit(benchmark::kMillisecond);

void BM_Rotate30(benchmark::State &state) {
    Offscreen image = Fixture(1000, 1000);
    for (auto _ : state) {
        Offscreen result = OffscreenRotate(image, 30.0f, 0, 0, 0, 0);
        benchmark::DoNotOptimize(result);
        OrvaClosePortOffscreen(result);
    }
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_Rotate30)->Unit(benchmark::kMillisecond);

// The smooth resize of the same image to the rotated image's size.
void BM_SmoothResizeAsRotated(benchmark::State &state) {
    Offscreen image = Fixture(1000, 1000);
    Rect r = {0, 0, 1000, 1000}, rotated;
    OffscreenGetRotatedBoundRect(&r, 30.0f, &rotated);
    float width = float(rotated.right - 1), height = float(rotated.bottom - 1);
    for (auto _ : state) {
        Offscreen result = OffscreenSmoothResize(image, width, height);
        benchmark::DoNotOptimize(result);
        OrvaClosePortOffscreen(result);
    }
    state.counters["pixels"] = double(rotated.right) * double(rotated.bottom);
    OrvaClosePortOffscreen(image);
}
BENCHMARK(BM_SmoothResizeAsRotated)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"blur radius 20 / naive window sums", "BM_Blur/20", "BM_NaiveBlur/20", 1.0 / 5},
    {"blur radius 50 / radius 2", "BM_Blur/50", "BM_Blur/2", 1.3},
    {"smooth resize 2000->1000 / float bilinear", "BM_SmoothResize", "BM_ReferenceBilinear", 1.5},
    {"rotate 30 / smooth resize of as many pixels", "BM_Rotate30", "BM_SmoothResizeAsRotated", 2.0},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchRun(kGoals);
    return 0;
}
