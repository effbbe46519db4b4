// The raster core against plain-memory and shape-by-shape equivalents, with the ratios printed
// at the end of the run. Goals: PaintRect of a whole 2000 x 2000 24-bit port in patCopy takes at
// most 2x memset of its 16 MB with the black pattern and 4x with the gray one; PaintOval of a
// 1000 x 1000 oval at most 1.5x PaintRect of its box; _PaintRgn of a region made of 200
// rectangles at most 1.5x PaintRect of each of them.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/runtime.h"

namespace {

const int kSide = 2000, kOval = 1000, kRects = 200;

GrafPort gPort;

struct RegionPieces {
    RgnHandle region = nullptr;
    std::vector<Rect> rects;
};

RegionPieces &Pieces() {
    static RegionPieces pieces;
    if (pieces.region) return pieces;
    std::mt19937 random(11);
    std::uniform_int_distribution<int> corner(0, kSide - 301), extent(10, 300);
    pieces.region = NewRgn();
    RgnHandle piece = NewRgn();
    for (int i = 0; i < kRects; i++) {
        int left = corner(random), top = corner(random);
        Rect r = {SInt16(top), SInt16(left), SInt16(top + extent(random)), SInt16(left + extent(random))};
        pieces.rects.push_back(r);
        RectRgn(piece, &r);
        _UnionRgn(pieces.region, piece, pieces.region);
    }
    DisposeRgn(piece);
    return pieces;
}

void BM_PaintRectBlack(benchmark::State &state) {
    Rect all = {0, 0, kSide, kSide};
    PenNormal();
    for (auto _ : state) PaintRect(&all);
}
BENCHMARK(BM_PaintRectBlack)->Unit(benchmark::kMillisecond);

void BM_PaintRectGray(benchmark::State &state) {
    Rect all = {0, 0, kSide, kSide};
    PenNormal();
    PenPat(&qd.gray);
    for (auto _ : state) PaintRect(&all);
    PenNormal();
}
BENCHMARK(BM_PaintRectGray)->Unit(benchmark::kMillisecond);

void BM_Memset(benchmark::State &state) {
    std::vector<uint8_t> bytes(size_t(kSide) * kSide * 4);
    for (auto _ : state) {
        std::memset(bytes.data(), 0, bytes.size());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_Memset)->Unit(benchmark::kMillisecond);

void BM_PaintOval(benchmark::State &state) {
    Rect box = {100, 100, 100 + kOval, 100 + kOval};
    PenNormal();
    for (auto _ : state) PaintOval(&box);
}
BENCHMARK(BM_PaintOval)->Unit(benchmark::kMillisecond);

void BM_PaintOvalBox(benchmark::State &state) {
    Rect box = {100, 100, 100 + kOval, 100 + kOval};
    PenNormal();
    for (auto _ : state) PaintRect(&box);
}
BENCHMARK(BM_PaintOvalBox)->Unit(benchmark::kMillisecond);

void BM_PaintRgn(benchmark::State &state) {
    RegionPieces &p = Pieces();
    PenNormal();
    for (auto _ : state) _PaintRgn(p.region);
}
BENCHMARK(BM_PaintRgn)->Unit(benchmark::kMillisecond);

void BM_PaintEachRect(benchmark::State &state) {
    RegionPieces &p = Pieces();
    PenNormal();
    for (auto _ : state)
        for (const Rect &r : p.rects) PaintRect(&r);
}
BENCHMARK(BM_PaintEachRect)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"PaintRect black / memset", "BM_PaintRectBlack", "BM_Memset", 2.0},
    {"PaintRect gray / memset", "BM_PaintRectGray", "BM_Memset", 4.0},
    {"PaintOval / PaintRect of its box", "BM_PaintOval", "BM_PaintOvalBox", 1.5},
    {"_PaintRgn / PaintRect of each piece", "BM_PaintRgn", "BM_PaintEachRect", 1.5},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchOpenPort(&gPort, kSide, kSide);
    BenchRun(kGoals);
    ClosePort(&gPort);
    return 0;
}
