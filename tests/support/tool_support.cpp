#include "support/tool_support.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string BuildTreePath(const std::string &relative) {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return relative;
    std::string path(self, size_t(n));
    path = path.substr(0, path.rfind('/'));  // .../tests
    return path.substr(0, path.rfind('/')) + "/" + relative;
}

std::string ToolPath(const char *name) { return BuildTreePath(std::string("tools/") + name); }

std::string TempFile(const std::string &leaf) {
    const char *base = std::getenv("ORVA_TEST_TMP");
    return std::string(base && *base ? base : "/tmp") + "/test_" + std::to_string(getpid()) + "_" + leaf;
}

std::string RunCommand(const std::string &command, int *status) {
    std::string out;
    FILE *p = popen(command.c_str(), "r");
    if (!p) return out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    *status = pclose(p);
    return out;
}
