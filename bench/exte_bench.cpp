// Extended TextEdit layout and UTF-8 measuring, with the ratios printed at the end of the run.
// Goals, in font 22 at size 10: typing one character in the middle of a 1,000-paragraph,
// 100 KB styled record (its relayout) takes at most 1/50 of one full ExtendedTECalText;
// UTFTextWidth of 1,000 mixed-script runs at most 1.3x OrvaTextWidth of the same runs given as
// UTF-16; ExtendedTailleMaxTexte of those runs at most 1/20 of ExtendedTailleTexte.
#include "bench_support.h"
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "graphics/text/extended_textedit.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/utf_text.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/text_encodings.h"
#include "platform/core/unicode_mode.h"

namespace {

const int kParagraphs = 1000, kParagraphBytes = 100, kRuns = 1000;
GrafPort gPort;

// 1,000 paragraphs of words, each 99 bytes and a CR: 100,000 bytes.
const std::string &Text() {
    static const std::string text = BenchParagraphs(kParagraphs, kParagraphBytes, 5, 8);
    return text;
}

// A styled record of the text over 300 pixels, with a bold or large word in every paragraph.
ExtendedTEHandle NewRecord(const std::string &text) {
    Rect box = {0, 0, 500, 300};
    ExtendedTEHandle te = ExtendedTEStylNew(&box, &box);
    ExtendedTESetText(text.data(), SInt32(text.size()), te);
    TextStyle bold = {22, 1, 0, 10, {0, 0, 0}}, large = {22, 0, 0, 14, {0, 0, 0}};
    for (int p = 0; p < kParagraphs; p++) {
        SInt32 at = p * kParagraphBytes + 10;
        ExtendedTESetStyleRange(p % 2 ? doFace : doSize, p % 2 ? &bold : &large, at, at + 6, (*te)->styleHandle);
    }
    ExtendedTECalText(te);
    return te;
}

// 1,000 runs of 4 to 12 characters from Latin, accented, Greek, Cyrillic and CJK letters.
const std::vector<std::string> &Runs() {
    static std::vector<std::string> runs;
    if (!runs.empty()) return runs;
    const char *const letters[] = {"a", "k", "t", "\xc3\xa9", "\xc3\xbc", "\xce\xbb", "\xd0\xb6", "\xe6\x97\xa5",
                                   "\xe6\x9c\xac", " "};
    std::mt19937 random(9);
    for (int i = 0; i < kRuns; i++) {
        std::string run;
        for (int n = int(random() % 9) + 4; n > 0; n--) run += letters[random() % 10];
        runs.push_back(run);
    }
    return runs;
}

void BM_ExteCalText(benchmark::State &state) {
    ExtendedTEHandle te = NewRecord(Text());
    for (auto _ : state) ExtendedTECalText(te);
    ExtendedTEDispose(te);
}
BENCHMARK(BM_ExteCalText)->Unit(benchmark::kMillisecond);

// Inserts (delta 1) or removes (delta -1) one 'x' at offset, as the editing code does.
void TypeOrErase(ExtendedTEHandle te, SInt32 offset, SInt32 delta) {
    Handle text = (*te)->hText;
    SInt32 length = (*te)->teLength;
    if (delta > 0) {
        SetHandleSize(text, UInt32(length + 1));
        std::memmove(*text + offset + 1, *text + offset, size_t(length - offset));
        (*text)[offset] = 'x';
    } else {
        std::memmove(*text + offset, *text + offset + 1, size_t(length - offset - 1));
        SetHandleSize(text, UInt32(length - 1));
    }
    ExtendedRunAdjust(offset, delta, (*te)->styleHandle);
    (*te)->teLength = length + delta;
    SInt32 first, last;
    ExtendedTERecalText(offset, -1, delta, te, &first, &last);
}

void BM_ExteTypeInTheMiddle(benchmark::State &state) {
    ExtendedTEHandle te = NewRecord(Text());
    SInt32 middle = SInt32(Text().size() / 2) + 20;
    bool typed = false;
    for (auto _ : state) {
        TypeOrErase(te, middle, typed ? -1 : 1);
        typed = !typed;
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_ExteTypeInTheMiddle)->Unit(benchmark::kMicrosecond);

void BM_UTFTextWidth(benchmark::State &state) {
    const std::vector<std::string> &runs = Runs();
    for (auto _ : state) {
        SInt32 sum = 0;
        for (const std::string &run : runs) sum += UTFTextWidth(&gPort, run.data(), 0, SInt32(run.size()));
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_UTFTextWidth)->Unit(benchmark::kMicrosecond);

void BM_OrvaTextWidthUTF16(benchmark::State &state) {
    std::vector<std::vector<UniChar>> units;
    for (const std::string &run : Runs()) {
        SInt32 n = 0;
        EncodedStr u = UTFTextToUnicode(run.data(), 0, SInt32(run.size()), &n);
        units.emplace_back((const UniChar *)u, (const UniChar *)u + n);
        DisposeEncodedStr(u);
    }
    for (auto _ : state) {
        SInt32 sum = 0;
        for (const std::vector<UniChar> &u : units) sum += OrvaTextWidth(u.data(), 0, SInt32(u.size()), kTrue);
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_OrvaTextWidthUTF16)->Unit(benchmark::kMicrosecond);

// The runs one after the other in a styled record, measured run by run.
ExtendedTEHandle RunsRecord(std::vector<SInt32> *starts) {
    std::string text;
    for (const std::string &run : Runs()) {
        starts->push_back(SInt32(text.size()));
        text += run;
    }
    starts->push_back(SInt32(text.size()));
    return NewRecord(text);
}

void BM_ExteTailleTexte(benchmark::State &state) {
    std::vector<SInt32> starts;
    ExtendedTEHandle te = RunsRecord(&starts);
    for (auto _ : state) {
        SInt32 sum = 0;
        for (int i = 0; i < kRuns; i++) sum += ExtendedTailleTexte(te, 0, starts[i], starts[i + 1] - starts[i], kFalse);
        benchmark::DoNotOptimize(sum);
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_ExteTailleTexte)->Unit(benchmark::kMicrosecond);

void BM_ExteTailleMaxTexte(benchmark::State &state) {
    std::vector<SInt32> starts;
    ExtendedTEHandle te = RunsRecord(&starts);
    for (auto _ : state) {
        SInt32 sum = 0;
        for (int i = 0; i < kRuns; i++)
            sum += ExtendedTailleMaxTexte(te, 0, starts[i], starts[i + 1] - starts[i], kFalse);
        benchmark::DoNotOptimize(sum);
    }
    ExtendedTEDispose(te);
}
BENCHMARK(BM_ExteTailleMaxTexte)->Unit(benchmark::kMicrosecond);

const std::vector<RatioGoal> kGoals = {
    {"typing one character / full ExtendedTECalText", "BM_ExteTypeInTheMiddle", "BM_ExteCalText", 1.0 / 50},
    {"UTFTextWidth / OrvaTextWidth of UTF-16", "BM_UTFTextWidth", "BM_OrvaTextWidthUTF16", 1.3},
    {"ExtendedTailleMaxTexte / ExtendedTailleTexte", "BM_ExteTailleMaxTexte", "BM_ExteTailleTexte", 1.0 / 20},
};

}  // namespace

int main(int argc, char **argv) {
    BenchStart(&argc, argv);
    SetUnicodeApplication(kTrue);
    BenchOpenPort(&gPort, 400, 300);
    TextFont(22);
    TextSize(10);
    // Every path shares pango's caches: fill them before anything is timed.
    for (const std::string &run : Runs()) UTFTextWidth(&gPort, run.data(), 0, SInt32(run.size()));
    BenchRun(kGoals);
    ClosePort(&gPort);
    return 0;
}
