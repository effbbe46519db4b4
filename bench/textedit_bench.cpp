// TextEdit layout and drawing, with the ratios printed at the end of the run. Goals, in font 22
// at size 10: typing one character in the middle of a 500-paragraph, 30,000-byte plain record
// (the layout and the redraw of what changed, with the line on screen) takes at most 1/20 of one
// full TECalText of that text; TEUpdate of a 40-line view takes at most 1.5x _DrawText of the
// same 40 lines at the same places.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>

#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/textedit.h"
#include "platform/core/runtime.h"

namespace {

const int kParagraphs = 500, kParagraphBytes = 60, kViewLines = 40, kLine = 11, kAscent = 8;
const SInt16 kWidth = 400, kHeight = 500;

GrafPort gPort;

// 500 paragraphs of words, each 59 bytes and a return: 30,000 bytes.
const std::string &Text() {
    static const std::string text = BenchParagraphs(kParagraphs, kParagraphBytes, 5, 8);
    return text;
}

TEHandle NewRecord(SInt16 viewLines) {
    Rect dest = {0, 0, 32000, 300}, view = {0, 0, SInt16(viewLines * kLine), 300};
    TEHandle te = TENew(&dest, &view);
    TESetText(Text().data(), SInt32(Text().size()), te);
    return te;
}

void BM_FullCalText(benchmark::State &state) {
    TEHandle te = NewRecord(kViewLines);
    for (auto _ : state) TECalText(te);
    TEDispose(te);
}
BENCHMARK(BM_FullCalText)->Unit(benchmark::kMillisecond);

// One keystroke an iteration, a character and then a backspace by turns, in the middle of the
// text with its line inside the view.
void BM_TypeInTheMiddle(benchmark::State &state) {
    TEHandle te = NewRecord(kViewLines);
    SInt32 middle = SInt32(Text().size() / 2) + 20;
    SInt32 line = orva_NumLigne(middle, te);
    TEScroll(0, SInt16(-(line - kViewLines / 2) * kLine), te);
    TESetSelect(middle, middle, te);
    TEActivate(te);
    bool typed = false;
    for (auto _ : state) {
        TEKey(typed ? SInt16(kTEKeyBackspace) : SInt16('x'), te);
        typed = !typed;
    }
    std::memset(gPort.dirty, 0, sizeof gPort.dirty);
    TEDispose(te);
}
BENCHMARK(BM_TypeInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_Update40Lines(benchmark::State &state) {
    TEHandle te = NewRecord(kViewLines);
    Rect view = (*te)->viewRect;
    for (auto _ : state) TEUpdate(&view, te);
    std::memset(gPort.dirty, 0, sizeof gPort.dirty);
    TEDispose(te);
}
BENCHMARK(BM_Update40Lines)->Unit(benchmark::kMicrosecond);

void BM_DrawText40Lines(benchmark::State &state) {
    TEHandle te = NewRecord(kViewLines);
    const char *text = *(*te)->hText;
    for (auto _ : state) {
        for (int line = 0; line < kViewLines; line++) {
            SInt32 start = (*te)->lineStarts[line], end = (*te)->lineStarts[line + 1];
            if (text[end - 1] == '\r') end--;
            _MoveTo(0, SInt16(line * kLine + kAscent));
            _DrawText(text + start, 0, SInt16(end - start));
        }
    }
    std::memset(gPort.dirty, 0, sizeof gPort.dirty);
    TEDispose(te);
}
BENCHMARK(BM_DrawText40Lines)->Unit(benchmark::kMicrosecond);

const std::vector<RatioGoal> kGoals = {
    {"typing one character / full TECalText", "BM_TypeInTheMiddle", "BM_FullCalText", 1.0 / 20},
    {"TEUpdate of 40 lines / _DrawText of them", "BM_Update40Lines", "BM_DrawText40Lines", 1.5},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    BenchOpenPort(&gPort, kWidth, kHeight);
    TextFont(22);
    TextSize(10);
    // Both drawing paths share pango's and cairo's caches: fill them before anything is timed.
    TEHandle warm = NewRecord(kViewLines);
    Rect view = (*warm)->viewRect;
    TEUpdate(&view, warm);
    TEDispose(warm);
    BenchRun(kGoals);
    ClosePort(&gPort);
    return 0;
}
