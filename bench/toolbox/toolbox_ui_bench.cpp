// Colour icons and themed text boxes against the calls they are built on.
// Goals: GetCIcon, PlotCIcon into 20 x 16 and DisposCIcon of a 40 x 32 icon (what the player's
// DrawIconInAire does) cost at most 3 times a CopyDeepMask of the icon already decoded;
// DrawThemeTextBox of a 200-character text at most 1.5 times TextBox of the same text.
#include <benchmark/benchmark.h>
#include <cstring>
#include <string>
#include <unistd.h>

#include "../ratio_reporter.h"
#include "toolbox_bench_support.h"
#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/textedit.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "toolbox/color_icons.h"
#include "toolbox/theme_metrics.h"
#include "toolbox/themes.h"
#include "toolbox/toolbox_install.h"

namespace {

enum : SInt16 { kIcon = 323 };

GrafPort gPort;

// A port to draw in.
void Start() {
    static bool opened = false;
    BenchStartToolbox();
    if (opened) return;
    opened = true;
    memset(&gPort, 0, sizeof gPort);
    OpenPort(&gPort);
    PortSize(300, 200);
}

const Rect kSmall = {10, 10, 26, 30};

void BM_DrawIconInAire(benchmark::State &state) {
    Start();
    for (auto _ : state) {
        CIconHandle icon = GetCIcon(kIcon);
        PlotCIcon(&kSmall, icon);
        DisposCIcon(icon);
    }
}
BENCHMARK(BM_DrawIconInAire);

void BM_CopyDeepMaskOfTheDecodedIcon(benchmark::State &state) {
    Start();
    CIconHandle icon = GetCIcon(kIcon);
    ColorIconRecord &c = **icon;
    for (auto _ : state)
        CopyDeepMask(reinterpret_cast<const BitMap *>(&c.iconPMap), &c.iconMask, &gPort.portBits, &c.iconPMap.bounds,
                     &c.iconMask.bounds, &kSmall, 0, nullptr);
    DisposCIcon(icon);
}
BENCHMARK(BM_CopyDeepMaskOfTheDecodedIcon);

const char kText[] =
    "The player shows this text in a box of the theme: the words wrap at the box's width, each line "
    "is drawn in the interface font, and whatever passes the bottom of the box is left out of it, once and for all.";
const Rect kBox = {20, 20, 180, 220};

void BM_DrawThemeTextBox(benchmark::State &state) {
    Start();
    CFStringRef text = CFStringCreateWithCString(nullptr, kText, kCFStringEncodingMacRoman);
    for (auto _ : state) DrawThemeTextBox(text, kThemeSystemFont, 1, kTrue, &kBox, kThemeFlushDefault);
    CFRelease(text);
}
BENCHMARK(BM_DrawThemeTextBox);

void BM_TextBox(benchmark::State &state) {
    Start();
    TextFont(OrvaThemeFont());
    TextSize(OrvaGetThemeMetrics()->fontSize);
    for (auto _ : state) TextBox(kText, SInt32(strlen(kText)), &kBox, 0);
}
BENCHMARK(BM_TextBox);

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter({{"GetCIcon+PlotCIcon+DisposCIcon / CopyDeepMask", "BM_DrawIconInAire",
                             "BM_CopyDeepMaskOfTheDecodedIcon", 3},
                            {"DrawThemeTextBox / TextBox", "BM_DrawThemeTextBox", "BM_TextBox", 1.5}});
    benchmark::RunSpecifiedBenchmarks(&reporter);
}
