// Regions and the picture recorder against plain-memory equivalents, with the ratios printed at
// the end of the run. Goals: SectRgn and _UnionRgn of two regions, each the union of 200 random
// rectangles within 2000 x 2000, take at most the time of AND/OR-ing the same shapes as
// 2000 x 2000 byte masks; recording 100,000 _LineTo takes at most 4x appending the same opcode
// bytes to a std::vector<uint8_t>.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/runtime.h"

namespace {

const int kSide = 2000, kRects = 200, kLines = 100000;

struct Shapes {
    RgnHandle region[2];
    std::vector<uint8_t> mask[2];
    std::vector<uint8_t> out;
};

Shapes &TheShapes() {
    static Shapes shapes;
    if (shapes.region[0]) return shapes;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> corner(0, kSide - 1), extent(10, 300);
    RgnHandle piece = NewRgn();
    for (int k = 0; k < 2; k++) {
        shapes.region[k] = NewRgn();
        shapes.mask[k].assign(size_t(kSide) * kSide, 0);
        for (int i = 0; i < kRects; i++) {
            int left = corner(random), top = corner(random);
            int right = std::min(kSide, left + extent(random)), bottom = std::min(kSide, top + extent(random));
            _SetRectRgn(piece, SInt16(left), SInt16(top), SInt16(right), SInt16(bottom));
            _UnionRgn(shapes.region[k], piece, shapes.region[k]);
            for (int y = top; y < bottom; y++) std::memset(&shapes.mask[k][size_t(y) * kSide + left], 1, size_t(right - left));
        }
    }
    DisposeRgn(piece);
    shapes.out.assign(size_t(kSide) * kSide, 0);
    return shapes;
}

void BM_SectRgn(benchmark::State &state) {
    Shapes &s = TheShapes();
    RgnHandle d = NewRgn();
    for (auto _ : state) {
        SectRgn(s.region[0], s.region[1], d);
        benchmark::DoNotOptimize(*d);
    }
    DisposeRgn(d);
}
BENCHMARK(BM_SectRgn);

void BM_MaskAnd(benchmark::State &state) {
    Shapes &s = TheShapes();
    for (auto _ : state) {
        const uint8_t *a = s.mask[0].data(), *b = s.mask[1].data();
        uint8_t *o = s.out.data();
        for (size_t i = 0; i < s.out.size(); i++) o[i] = a[i] & b[i];
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MaskAnd);

void BM_UnionRgn(benchmark::State &state) {
    Shapes &s = TheShapes();
    RgnHandle d = NewRgn();
    for (auto _ : state) {
        _UnionRgn(s.region[0], s.region[1], d);
        benchmark::DoNotOptimize(*d);
    }
    DisposeRgn(d);
}
BENCHMARK(BM_UnionRgn);

void BM_MaskOr(benchmark::State &state) {
    Shapes &s = TheShapes();
    for (auto _ : state) {
        const uint8_t *a = s.mask[0].data(), *b = s.mask[1].data();
        uint8_t *o = s.out.data();
        for (size_t i = 0; i < s.out.size(); i++) o[i] = a[i] | b[i];
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MaskOr);

void BM_RecordLineTo(benchmark::State &state) {
    Rect frame = {0, 0, 100, 100};
    for (auto _ : state) {
        PicHandle pic = OpenPicture(&frame);
        for (int i = 0; i < kLines; i++) _LineTo(SInt16(i & 1023), SInt16(i & 511));
        ClosePicture();
        KillPicture(pic);
    }
}
BENCHMARK(BM_RecordLineTo)->Unit(benchmark::kMillisecond);

void BM_VectorAppend(benchmark::State &state) {
    for (auto _ : state) {
        std::vector<uint8_t> bytes;
        for (int i = 0; i < kLines; i++) {
            SInt16 point[2] = {SInt16(i & 511), SInt16(i & 1023)};
            const uint8_t *p = (const uint8_t *)point;
            bytes.push_back(0x00);
            bytes.push_back(0x21);
            bytes.insert(bytes.end(), p, p + sizeof point);
        }
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_VectorAppend)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"SectRgn / mask AND", "BM_SectRgn", "BM_MaskAnd", 1.0},
    {"_UnionRgn / mask OR", "BM_UnionRgn", "BM_MaskOr", 1.0},
    {"recording _LineTo / vector append", "BM_RecordLineTo", "BM_VectorAppend", 4.0},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    GrafPort port;
    std::memset(&port, 0, sizeof port);
    OpenPort(&port);
    BenchRun(kGoals);
    ClosePort(&port);
    return 0;
}
