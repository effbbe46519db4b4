// ctest-labels: exte-model exte.layout
// The reviewer's layout table: qdscene's exte-layout scene run as a program, its report
// compared with the committed table and checked against the box widths it was laid out at.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "support/graphics/text_support.h"
#include "support/tool_support.h"

namespace {

TEST(ExtendedScene, LayoutTableMatchesTheCommittedOne) {
    int status = -1;
    std::string out = RunCommand(ToolPath("qdscene") + " exte-layout", &status);
    ASSERT_EQ(status, 0) << out;
    std::ifstream golden(TestSourcePath("tests/data/graphics/text/exte_layout.golden"));
    std::stringstream expected;
    expected << golden.rdbuf();
    EXPECT_EQ(out, expected.str());

    // Every line of the narrow layout fits 120 pixels once its final space is left out, and
    // the wide one keeps each paragraph whole.
    std::istringstream lines(out);
    std::string line;
    int width = 0, count = 0, tables = 0;
    while (std::getline(lines, line)) {
        int k, start, height, ascent, w, n;
        if (std::sscanf(line.c_str(), "width %d lines %d", &width, &n) == 2) {
            tables++;
            EXPECT_EQ(n, width == 120 ? 10 : 5);
            continue;
        }
        if (std::sscanf(line.c_str(), "line %d start %d height %d ascent %d width %d", &k, &start, &height, &ascent,
                        &w) != 5)
            continue;
        count++;
        EXPECT_LE(w, width == 120 ? 126 : 32000) << line;
        EXPECT_GE(height, 11) << line;
        EXPECT_LT(ascent, height) << line;
    }
    EXPECT_EQ(tables, 2);
    EXPECT_EQ(count, 15);
}

}  // namespace
