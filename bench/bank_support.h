// What the sound benchmarks share: the banks built beside them.
#pragma once

#include <string>
#include <unistd.h>

// The SoundBank folder of the build tree the benchmark was built in.
inline std::string BenchBankFolder() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, n > 0 ? size_t(n) : 0);
    path = path.substr(0, path.rfind('/'));
    return path.substr(0, path.rfind('/')) + "/SoundBank";
}
