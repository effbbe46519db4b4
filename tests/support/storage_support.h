// What the storage tests share: trace lines caught from the score model's hooks, files of bytes
// in the test's folder, and the byte stream opened over them.
#pragma once

#include <string>
#include <vector>

#include "score/byte_stream.h"
#include "score/score_hooks.h"
#include "support/test_home.h"

// Catches every trace line (warnings included) and every numbered notice while it lives.
struct TraceCatcher {
    static std::vector<std::string> &Lines() {
        static std::vector<std::string> lines;
        return lines;
    }
    static std::vector<SInt16> &Notices() {
        static std::vector<SInt16> notices;
        return notices;
    }
    TraceCatcher() {
        Lines().clear();
        Notices().clear();
        ScorePluginHooks hooks = {};
        hooks.trace = [](const char *line) { Lines().push_back(line); };
        hooks.avertissementVrac = [](SInt16 number) { Notices().push_back(number); };
        OrvaSetScorePluginHooks(&hooks);
    }
    ~TraceCatcher() { OrvaSetScorePluginHooks(nullptr); }
    TraceCatcher(const TraceCatcher &) = delete;
    TraceCatcher &operator=(const TraceCatcher &) = delete;
    // Lines that hold text.
    static size_t Count(const char *text) {
        size_t n = 0;
        for (const std::string &line : Lines()) n += line.find(text) != std::string::npos;
        return n;
    }
};

// A path in the test's own folder.
inline std::string StoragePath(const std::string &leaf) { return OrvaTestHome() + "/" + leaf; }

// Opens path as the current file for reading; false when it cannot.
inline bool OpenForReading(const std::string &path) { return CadenzoOpenFile(path.c_str(), "rb"); }
