#include "support/tool_support.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "support/quickdraw_support.h"

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
