// Picture playback against drawing directly, with the ratios printed at the end of the run.
// Goals: recording a page-like scene and playing it at 1x into a 2000 x 2000 port takes at most
// 2x drawing the scene directly; DrawPicture of that recording at 2x at most 1.3x drawing the
// doubled scene directly.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/runtime.h"

namespace {

const SInt16 kSide = 2000, kFrame = 1000;

GrafPort &ThePort() {
    static GrafPort port;
    static bool open = false;
    if (!open) {
        std::memset(&port, 0, sizeof port);
        OpenPort(&port);
        PortSize(kSide, kSide);
        open = true;
    }
    SetPort(&port);
    return port;
}

// Every verb, lines, a polygon, a region and text, at scale s, within kFrame x kFrame.
void Scene(SInt16 s) {
    for (SInt16 row = 0; row < 8; row++) {
        SInt16 top = SInt16((20 + row * 120) * s);
        PenSize(SInt16(2 * s), SInt16(2 * s));
        Rect r = {top, SInt16(20 * s), SInt16(top + 100 * s), SInt16(200 * s)};
        _FrameRect(&r);
        Rect p = {top, SInt16(220 * s), SInt16(top + 100 * s), SInt16(400 * s)};
        PaintOval(&p);
        Rect q = {top, SInt16(420 * s), SInt16(top + 100 * s), SInt16(600 * s)};
        FrameRoundRect(&q, SInt16(20 * s), SInt16(20 * s));
        Rect a = {top, SInt16(620 * s), SInt16(top + 100 * s), SInt16(800 * s)};
        PaintArc(&a, 30, 200);
        _MoveTo(SInt16(820 * s), top);
        _LineTo(SInt16(980 * s), SInt16(top + 100 * s));
        PenSize(1, 1);
        TextSize(SInt16(14 * s));
        _MoveTo(SInt16(820 * s), SInt16(top + 50 * s));
        _DrawText("Page text", 0, 9);
    }
}

PicHandle Recording() {
    static PicHandle pic = nullptr;
    if (pic) return pic;
    ThePort();
    Rect frame = {0, 0, kFrame, kFrame};
    pic = OpenPicture(&frame);
    Scene(1);
    ClosePicture();
    return pic;
}

void BM_DrawScene(benchmark::State &state) {
    ThePort();
    for (auto _ : state) Scene(1);
}
BENCHMARK(BM_DrawScene)->Unit(benchmark::kMillisecond);

void BM_RecordAndPlay1x(benchmark::State &state) {
    ThePort();
    Rect frame = {0, 0, kFrame, kFrame};
    for (auto _ : state) {
        PicHandle pic = OpenPicture(&frame);
        Scene(1);
        ClosePicture();
        DrawPicture(pic, &frame);
        KillPicture(pic);
    }
}
BENCHMARK(BM_RecordAndPlay1x)->Unit(benchmark::kMillisecond);

void BM_DrawDoubledScene(benchmark::State &state) {
    ThePort();
    for (auto _ : state) Scene(2);
}
BENCHMARK(BM_DrawDoubledScene)->Unit(benchmark::kMillisecond);

void BM_Play2x(benchmark::State &state) {
    PicHandle pic = Recording();
    Rect dst = {0, 0, kSide, kSide};
    for (auto _ : state) DrawPicture(pic, &dst);
}
BENCHMARK(BM_Play2x)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"record + play 1x / draw", "BM_RecordAndPlay1x", "BM_DrawScene", 2.0},
    {"play 2x / draw doubled", "BM_Play2x", "BM_DrawDoubledScene", 1.3},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchRun(kGoals);
    return 0;
}
