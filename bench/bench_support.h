// What the drawing benchmarks share: QuickDraw started in plug-in mode on the benchmark's
// thread, a port of a given size, the run with its goals reported as ratios, and the random
// paragraphs of words the text benchmarks lay out.
#pragma once

#include "ratio_reporter.h"
#include <benchmark/benchmark.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/quickdraw/ports.h"
#include "platform/core/runtime.h"

// Reads the benchmark options, then starts QuickDraw as the plug-in does, on this thread.
inline void BenchStart(int *argc, char **argv) {
    benchmark::Initialize(argc, argv);
    orvaSettings.pluginFlag = 1;
    OrvaSetMainThread();
    OrvaInitGraf(&qd, 1);
}

// Opens *port at width x height; it becomes the current port.
inline void BenchOpenPort(GrafPort *port, SInt16 width, SInt16 height) {
    std::memset(port, 0, sizeof *port);
    OpenPort(port);
    PortSize(width, height);
}

// Runs the benchmarks asked for, then prints each goal's ratio.
inline void BenchRun(const std::vector<RatioGoal> &goals) {
    RatioReporter reporter(goals);
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

// `count` paragraphs of random lower-case words of 2 to wordSpread + 1 letters, each exactly
// bytes - 1 long (never ending on a space) and a CR; the same text for the same seed.
inline std::string BenchParagraphs(int count, int bytes, unsigned seed, int wordSpread) {
    std::mt19937 random(seed);
    std::string text;
    for (int p = 0; p < count; p++) {
        std::string paragraph;
        while (paragraph.size() < size_t(bytes - 1)) {
            if (!paragraph.empty()) paragraph += ' ';
            for (int n = int(random() % unsigned(wordSpread)) + 2; n > 0; n--) paragraph += char('a' + random() % 26);
        }
        paragraph.resize(size_t(bytes - 1));
        if (paragraph.back() == ' ') paragraph.back() = 'z';
        text += paragraph + '\r';
    }
    return text;
}

// The built music font: fonts/ beside the bench/ folder of the build tree.
inline std::string BenchPoliceMusique() {
    char exe[PATH_MAX] = {};
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? size_t(n) : 0);
    for (int up = 0; up < 2 && path.rfind('/') != std::string::npos; up++) path.erase(path.rfind('/'));
    return path + "/fonts/Quorella.ttf";
}
