// Speed of the converters against the C library's iconv and of the case mapping against GLib,
// each pair timed alternately on the same 1 MiB buffer; the "ratio" counter is ours / theirs.
#include <benchmark/benchmark.h>
#include <glib.h>
#include <iconv.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "platform/core/text_encodings.h"

namespace {

const size_t kTextSize = 1 << 20;

std::string Repeat(const std::string &sample) {
    std::string text;
    while (text.size() + sample.size() <= kTextSize) text += sample;
    return text;
}

const std::string &AccentedUTF8() {
    static const std::string text =
        Repeat("D\xc3\xa9j\xc3\xa0 la m\xc3\xa9lodie s'\xc3\xa9l\xc3\xa8ve, cr\xc3\xa8me br\xc3\xbbl\xc3\xa9" "e et "
               "na\xc3\xaf" "vet\xc3\xa9 \xc3\xa0 l'\xc5\x93uvre. Le th\xc3\xa8me revient au d\xc3\xa9" "but.\r");
    return text;
}

const std::string &JapaneseUTF8() {
    static const std::string text = Repeat(
        "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe6\xad\x8c\xe8\xa9\x9e\xe3\x81\xa8\xe6\xa5\xbd\xe8\xad"
        "\x9c\xe3\x82\x92\xe8\xa1\xa8\xe7\xa4\xba\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x99\xe3\x80\x82");
    return text;
}

std::string Iconv(const std::string &text, const char *from, const char *to) {
    iconv_t cd = iconv_open(to, from);
    std::string out(text.size() * 2 + 16, '\0');
    char *in = const_cast<char *>(text.data()), *outp = &out[0];
    size_t inLeft = text.size(), outLeft = out.size();
    iconv(cd, &in, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

const std::string &AccentedMacRoman() {
    static const std::string text = Iconv(AccentedUTF8(), "UTF-8", "MACINTOSH");
    return text;
}

const std::string &JapaneseShiftJis() {
    static const std::string text = Iconv(JapaneseUTF8(), "UTF-8", "SHIFT_JIS");
    return text;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Converts with ChangeTextEncoding and with iconv(3) alternately, output buffers included.
void CompareWithIconv(benchmark::State &state, const std::string &text, SInt16 from, SInt16 to, const char *iconvFrom,
                      const char *iconvTo) {
    double ours = 0, theirs = 0;
    iconv_t cd = iconv_open(iconvTo, iconvFrom);
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        SInt32 count = 0;
        EncodedStr result = ChangeTextEncoding(text.data(), 0, SInt32(text.size()), from, to, &count);
        benchmark::DoNotOptimize(result);
        DisposeEncodedStr(result);
        ours += Seconds(start);

        start = std::chrono::steady_clock::now();
        size_t size = text.size() * 3;
        char *out = static_cast<char *>(malloc(size));
        char *in = const_cast<char *>(text.data()), *outp = out;
        size_t inLeft = text.size(), outLeft = size;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        iconv(cd, &in, &inLeft, &outp, &outLeft);
        benchmark::DoNotOptimize(out);
        free(out);
        theirs += Seconds(start);
    }
    iconv_close(cd);
    state.counters["ours_ms"] = benchmark::Counter(ours * 1000, benchmark::Counter::kAvgIterations);
    state.counters["iconv_ms"] = benchmark::Counter(theirs * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = ours / theirs;
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}

void MacRomanToUTF8(benchmark::State &state) {
    CompareWithIconv(state, AccentedMacRoman(), kEncodingMacRoman, kEncodingUTF8, "MACINTOSH", "UTF-8");
}

void UTF8ToMacRoman(benchmark::State &state) {
    CompareWithIconv(state, AccentedUTF8(), kEncodingUTF8, kEncodingMacRoman, "UTF-8", "MACINTOSH");
}

void ShiftJisToUTF8(benchmark::State &state) {
    CompareWithIconv(state, JapaneseShiftJis(), kEncodingShiftJis, kEncodingUTF8, "SHIFT_JIS", "UTF-8");
}

void UTF8ToShiftJis(benchmark::State &state) {
    CompareWithIconv(state, JapaneseUTF8(), kEncodingUTF8, kEncodingShiftJis, "UTF-8", "SHIFT_JIS");
}

void UpperCaseAgainstGLib(benchmark::State &state) {
    const std::string &text = AccentedUTF8();
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        EncodedStr upper = UTFTextToMajuscule(text.c_str());
        benchmark::DoNotOptimize(upper);
        DisposeEncodedStr(upper);
        ours += Seconds(start);

        start = std::chrono::steady_clock::now();
        gchar *glibUpper = g_utf8_strup(text.c_str(), gssize(text.size()));
        benchmark::DoNotOptimize(glibUpper);
        g_free(glibUpper);
        theirs += Seconds(start);
    }
    state.counters["ours_ms"] = benchmark::Counter(ours * 1000, benchmark::Counter::kAvgIterations);
    state.counters["glib_ms"] = benchmark::Counter(theirs * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = ours / theirs;
}

BENCHMARK(MacRomanToUTF8)->Unit(benchmark::kMillisecond);
BENCHMARK(UTF8ToMacRoman)->Unit(benchmark::kMillisecond);
BENCHMARK(ShiftJisToUTF8)->Unit(benchmark::kMillisecond);
BENCHMARK(UTF8ToShiftJis)->Unit(benchmark::kMillisecond);
BENCHMARK(UpperCaseAgainstGLib)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
