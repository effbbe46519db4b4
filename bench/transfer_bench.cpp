// Pixel transfers against plain-memory equivalents, with the ratios printed at the end of the
// run. Goals: an unscaled CopyBits of a 2000 x 2000 32-bit offscreen into a port of that size
// takes at most 1.5x a memcpy of the same 16 MB; a bilinear CopyBits from 2000 x 2000 to
// 1500 x 1500 at most 1.2x a plain loop applying the bilinear formula; PutPicture24Bits of a
// packed 1000 x 1000 32-bit image at most 3x unpacking its rows alone plus one memcpy of the
// result.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/transfer.h"
#include "platform/core/runtime.h"

namespace {

const SInt16 kSide = 2000, kScaled = 1500, kImageSide = 1000;

struct Images {
    GrafPtr source = nullptr, target = nullptr, scaled = nullptr;
    std::vector<UInt8> packed;       // the 1000 x 1000 image, rows of planes, packed
    std::vector<UInt8> plain[2];     // memcpy buffers of 16 MB
    std::vector<UInt8> planes;       // unpacked rows
    std::vector<UInt8> pixels;       // the unpacked image as 32-bit pixels
};

Images &TheImages() {
    static Images images;
    if (images.source) return images;
    images.source = OrvaCreatePortOffscreen(kSide, kSide, 24);
    images.target = OrvaCreatePortOffscreen(kSide, kSide, 24);
    images.scaled = OrvaCreatePortOffscreen(kScaled, kScaled, 24);
    for (SInt32 y = 0; y < kSide; y++) {
        UInt32 *row = (UInt32 *)(images.source->effectiveBase + SInt64(y) * images.source->rowStride);
        for (SInt32 x = 0; x < kSide; x++) row[x] = UInt32(x * 7 + y * 3) * 0x010203u & 0xFFFFFF;
    }
    size_t bytes = size_t(kSide) * size_t(images.source->rowStride);
    images.plain[0].assign(bytes, 1);
    images.plain[1].assign(bytes, 2);
    // A photograph-like image: smooth planes with some noise, packed as a picture stores it.
    std::vector<UInt8> row(size_t(kImageSide) * 3), out(size_t(2 + OrvaPackBitsBound(kImageSide * 3)));
    UInt32 noise = 1;
    for (SInt32 y = 0; y < kImageSide; y++) {
        for (SInt32 i = 0; i < kImageSide * 3; i++) {
            noise = noise * 1103515245u + 12345u;
            row[size_t(i)] = UInt8(((i % kImageSide) / 4 + y / 4) + ((noise >> 16) & 3));
        }
        SInt32 n = OrvaPackPictRow(row.data(), SInt32(row.size()), kImageSide * 4, out.data());
        images.packed.insert(images.packed.end(), out.begin(), out.begin() + n);
    }
    images.planes.resize(size_t(kImageSide) * kImageSide * 3);
    images.pixels.resize(size_t(kImageSide) * kImageSide * 4);
    return images;
}

void BM_CopyBits1To1(benchmark::State &state) {
    Images &im = TheImages();
    Rect r = {0, 0, kSide, kSide};
    SetPort(im.target);
    for (auto _ : state) {
        CopyBits(&im.source->portBits, &im.target->portBits, &r, &r, srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBits1To1)->Unit(benchmark::kMillisecond);

void BM_Memcpy16MB(benchmark::State &state) {
    Images &im = TheImages();
    for (auto _ : state) {
        std::memcpy(im.plain[1].data(), im.plain[0].data(), im.plain[0].size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memcpy16MB)->Unit(benchmark::kMillisecond);

void BM_CopyBitsBilinear(benchmark::State &state) {
    Images &im = TheImages();
    Rect from = {0, 0, kSide, kSide}, to = {0, 0, kScaled, kScaled};
    OrvaSetCopybitAntialias(false, true);
    SetPort(im.scaled);
    for (auto _ : state) {
        CopyBits(&im.source->portBits, &im.scaled->portBits, &from, &to, srcCopy, nullptr);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyBitsBilinear)->Unit(benchmark::kMillisecond);

// The bilinear formula written out plainly, source and destination 32-bit rows.
void BM_BilinearReference(benchmark::State &state) {
    Images &im = TheImages();
    const SInt64 step = ((SInt64(kSide) << 16) + (kScaled - 1) / 2 - 0x10000) / (kScaled - 1);
    const UInt8 *src = (const UInt8 *)im.source->effectiveBase;
    SInt64 srcRow = im.source->rowStride, dstRow = im.scaled->rowStride;
    for (auto _ : state) {
        UInt8 *dst = (UInt8 *)im.scaled->effectiveBase;
        for (SInt32 j = 0; j < kScaled; j++) {
            SInt64 py = j * step;
            SInt32 y0 = SInt32(py >> 16), y1 = std::min<SInt32>(y0 + 1, kSide - 1);
            UInt32 fy = UInt32(py >> 8) & 255;
            for (SInt32 i = 0; i < kScaled; i++) {
                SInt64 px = i * step;
                SInt32 x0 = SInt32(px >> 16), x1 = std::min<SInt32>(x0 + 1, kSide - 1);
                UInt32 fx = UInt32(px >> 8) & 255;
                const UInt8 *tl = src + y0 * srcRow + x0 * 4, *tr = src + y0 * srcRow + x1 * 4;
                const UInt8 *bl = src + y1 * srcRow + x0 * 4, *br = src + y1 * srcRow + x1 * 4;
                UInt8 *out = dst + j * dstRow + i * 4;
                for (int k = 0; k < 3; k++)
                    out[k] = UInt8((tl[k] * (256 - fx) * (256 - fy) + tr[k] * fx * (256 - fy) + bl[k] * (256 - fx) * fy +
                                    br[k] * fx * fy) >> 16);
            }
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_BilinearReference)->Unit(benchmark::kMillisecond);

void BM_PutPicture24Bits(benchmark::State &state) {
    Images &im = TheImages();
    PixMap map;
    std::memset(&map, 0, sizeof map);
    map.rowBytes = SInt16((kImageSide * 4) | kPixMapFlag);
    map.bounds = {0, 0, kImageSide, kImageSide};
    map.packType = 4;
    map.pixelSize = 32;
    map.cmpCount = 3;
    Rect r = map.bounds;
    SetPort(im.target);
    for (auto _ : state) {
        const UInt8 *end = im.packed.data() + im.packed.size();
        benchmark::DoNotOptimize(PutPicture24Bits(im.packed.data(), end, &map, &r, &r, srcCopy));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PutPicture24Bits)->Unit(benchmark::kMillisecond);

// Unpacking the same rows alone, then one memcpy of an image of the result's size.
void BM_UnpackRowsAndCopy(benchmark::State &state) {
    Images &im = TheImages();
    for (auto _ : state) {
        const UInt8 *p = im.packed.data();
        for (SInt32 y = 0; y < kImageSide; y++) {
            SInt32 length = p[0] << 8 | p[1], produced;
            OrvaUnpackRow(p + 2, length, 1, im.planes.data() + SInt64(y) * kImageSide * 3, kImageSide * 3, &produced);
            p += 2 + length;
        }
        std::memcpy(im.pixels.data(), im.plain[0].data(), im.pixels.size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_UnpackRowsAndCopy)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"CopyBits 1:1 / memcpy", "BM_CopyBits1To1", "BM_Memcpy16MB", 1.5},
    {"CopyBits bilinear / plain loop", "BM_CopyBitsBilinear", "BM_BilinearReference", 1.2},
    {"PutPicture24Bits / unpack + memcpy", "BM_PutPicture24Bits", "BM_UnpackRowsAndCopy", 3.0},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchRun(kGoals);
    return 0;
}
