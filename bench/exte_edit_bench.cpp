// Extended TextEdit editing and drawing, with the ratios printed at the end of the run. Goals,
// in font 22 at size 10 on a 200-line styled record shown through a 40-line view: typing one
// character on a line in the view (its relayout and redraw, caret included) takes at most 1/5
// of ExtendedTEUpdate of the whole view; ExtendedTEScroll by one line at most 1/3 of it.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>

#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "platform/core/runtime.h"
#include "platform/core/unicode_mode.h"

namespace {

const int kLines = 200, kLineBytes = 50, kViewLines = 40, kLine = 11;
const SInt16 kWidth = 400, kHeight = 500;
GrafPort gPort;

// 200 paragraphs of words, each 49 bytes and a CR, so that each is one line at 300 pixels.
const std::string &Text() {
    static const std::string text = BenchParagraphs(kLines, kLineBytes, 7, 7);
    return text;
}

// The record with a bold and a red word on every line, its view 40 lines tall, drawn once.
ExtendedTEHandle NewRecord() {
    Rect dest = {0, 0, 3000, 300}, view = {0, 0, SInt16(kViewLines * kLine), 300};
    ExtendedTEHandle te = ExtendedTEStylNew(&dest, &view);
    ExtendedTESetText(Text().data(), SInt32(Text().size()), te);
    TextStyle bold = {22, 1, 0, 10, {0, 0, 0}}, red = {22, 0, 0, 10, {0xC000, 0, 0}};
    for (int p = 0; p < kLines; p++) {
        SInt32 at = p * kLineBytes;
        ExtendedTESetStyleRange(doFace, &bold, at + 5, at + 10, (*te)->styleHandle);
        ExtendedTESetStyleRange(doColor, &red, at + 20, at + 26, (*te)->styleHandle);
    }
    ExtendedTECalText(te);
    ExtendedTEUpdate(&view, te);
    return te;
}

void ClearDirty() { std::memset(gPort.dirty, 0, sizeof gPort.dirty); }

void BM_UpdateView(benchmark::State &state) {
    ExtendedTEHandle te = NewRecord();
    Rect view = (*te)->viewRect;
    for (auto _ : state) {
        ExtendedTEUpdate(&view, te);
        ClearDirty();
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_UpdateView)->Unit(benchmark::kMicrosecond);

// One keystroke an iteration, a character and a backspace by turns, on line 20 of the view.
void BM_TypeOneCharacter(benchmark::State &state) {
    ExtendedTEHandle te = NewRecord();
    SInt32 at = 20 * kLineBytes + 30;
    ExtendedTESetSelect(at, at, te);
    ExtendedTEActivate(te);
    bool typed = false;
    for (auto _ : state) {
        ExtendedTEKey(typed ? 8 : 'x', te);
        typed = !typed;
        ClearDirty();
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_TypeOneCharacter)->Unit(benchmark::kMicrosecond);

// One line down and back up by turns.
void BM_ScrollOneLine(benchmark::State &state) {
    ExtendedTEHandle te = NewRecord();
    ExtendedTEScroll(0, -5 * kLine, te);
    bool down = false;
    for (auto _ : state) {
        ExtendedTEScroll(0, down ? kLine : -kLine, te);
        down = !down;
        ClearDirty();
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_ScrollOneLine)->Unit(benchmark::kMicrosecond);

const std::vector<RatioGoal> kGoals = {
    {"typing one character / update of the view", "BM_TypeOneCharacter", "BM_UpdateView", 1.0 / 5},
    {"scroll by one line / update of the view", "BM_ScrollOneLine", "BM_UpdateView", 1.0 / 3},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    SetUnicodeApplication(kTrue);
    BenchOpenPort(&gPort, kWidth, kHeight);
    TextFont(22);
    TextSize(10);
    // pango's and cairo's caches are filled before anything is timed.
    ExtendedTEHandle warm = NewRecord();
    ExtendedTEDispose(warm);
    BenchRun(kGoals);
    ClosePort(&gPort);
    return 0;
}
