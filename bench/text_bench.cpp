// Measuring and drawing text against pango used directly, with the ratios printed at the end of
// the run. Goals, over 1,000 different 20-character runs in DejaVu Sans at 14 pixels:
// TextWidth takes at most 1.3x measuring the same UTF-8 with a fresh pango layout per run and
// the same font options; DrawString into a 1000 x 1000 port takes at most 1.5x showing such
// layouts (built the same way, one per run) with pango_cairo_show_layout on the same surface.
#include "bench_support.h"
#include <benchmark/benchmark.h>
#include <pango/pangocairo.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/runtime.h"

namespace {

const int kRuns = 1000, kRunLength = 20, kSize = 14, kSide = 1000;

GrafPort gPort;

const std::vector<std::string> &Runs() {
    static std::vector<std::string> runs;
    if (!runs.empty()) return runs;
    std::mt19937 random(11);
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;";
    std::uniform_int_distribution<int> pick(0, int(sizeof letters) - 2);
    for (int i = 0; i < kRuns; i++) {
        std::string run;
        for (int k = 0; k < kRunLength; k++) run += letters[pick(random)];
        runs.push_back(run);
    }
    return runs;
}

// A layout built as pango's own users would: fresh, the library's font options, the family
// set by name at an absolute size.
PangoLayout *ReferenceLayout(cairo_t *cr, const std::string &text) {
    PangoLayout *layout = pango_cairo_create_layout(cr);
    OrvaSetTextContextOptions(pango_layout_get_context(layout));
    pango_layout_context_changed(layout);
    PangoFontDescription *description = pango_font_description_new();
    pango_font_description_set_family(description, "DejaVu Sans");
    pango_font_description_set_absolute_size(description, kSize * PANGO_SCALE);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    pango_layout_set_text(layout, text.data(), int(text.size()));
    return layout;
}

void BM_TextWidth(benchmark::State &state) {
    const std::vector<std::string> &runs = Runs();
    for (auto _ : state) {
        SInt32 total = 0;
        for (const std::string &run : runs) total += TextWidth(run.data(), 0, kRunLength);
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_TextWidth)->Unit(benchmark::kMillisecond);

void BM_PangoWidth(benchmark::State &state) {
    const std::vector<std::string> &runs = Runs();
    for (auto _ : state) {
        SInt32 total = 0;
        for (const std::string &run : runs) {
            PangoLayout *layout = ReferenceLayout(gPort.context, run);
            int width, height;
            pango_layout_get_pixel_size(layout, &width, &height);
            total += width;
            g_object_unref(layout);
        }
        benchmark::DoNotOptimize(total);
    }
}
BENCHMARK(BM_PangoWidth)->Unit(benchmark::kMillisecond);

void BM_DrawString(benchmark::State &state) {
    const std::vector<std::string> &runs = Runs();
    for (auto _ : state) {
        for (int i = 0; i < kRuns; i++) {
            _MoveTo(SInt16(10 + (i % 5) * 190), SInt16(20 + (i / 5) * 4 % (kSide - 30)));
            DrawString(runs[size_t(i)].c_str());
        }
        std::memset(gPort.dirty, 0, sizeof gPort.dirty);
    }
}
BENCHMARK(BM_DrawString)->Unit(benchmark::kMillisecond);

void BM_PangoShow(benchmark::State &state) {
    const std::vector<std::string> &runs = Runs();
    cairo_t *cr = gPort.context;
    for (auto _ : state) {
        for (int i = 0; i < kRuns; i++) {
            PangoLayout *layout = ReferenceLayout(cr, runs[size_t(i)]);
            double baseline = pango_layout_get_baseline(layout) / PANGO_SCALE;
            cairo_move_to(cr, 10 + (i % 5) * 190, 20 + (i / 5) * 4 % (kSide - 30) - baseline);
            cairo_set_source_rgb(cr, 0, 0, 0);
            pango_cairo_show_layout(cr, layout);
            g_object_unref(layout);
        }
        cairo_surface_flush(gPort.surface);
    }
}
BENCHMARK(BM_PangoShow)->Unit(benchmark::kMillisecond);

const std::vector<RatioGoal> kGoals = {
    {"TextWidth / fresh pango layout", "BM_TextWidth", "BM_PangoWidth", 1.3},
    {"DrawString / pango_cairo_show_layout", "BM_DrawString", "BM_PangoShow", 1.5},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchOpenPort(&gPort, kSide, kSide);
    TextFont(3);
    TextSize(kSize);
    // Both paths share pango's and cairo's caches: fill them before anything is timed.
    for (const std::string &run : Runs()) {
        _MoveTo(10, 20);
        DrawString(run.c_str());
    }
    BenchRun(kGoals);
    ClosePort(&gPort);
    return 0;
}
