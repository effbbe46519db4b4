// ctest-labels: score-model
// What omscore prints for the demo scores, checked against the notes as written by hand.
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/tool_support.h"

namespace {

std::vector<std::string> Dump(const char *demo, int *exitCode) {
    int status = -1;
    std::string out = RunCommand("'" + ToolPath("omscore") + "' --demo " + demo + " --dump 2>&1", &status);
    *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::vector<std::string> lines;
    std::istringstream stream(out);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

TEST(Omscore, TheScaleDumpGivesMeasuresAndNotes) {
    int code = 0;
    std::vector<std::string> lines = Dump("scale", &code);
    ASSERT_EQ(code, 0);
    const std::vector<std::string> expected = {
        "score staves=1 measures=2 tempo=120",
        "measure 1 start=0 length=161280 time=4/4 key=0",
        "measure 2 start=161280 length=161280 time=4/4 key=0",
        "staff 1 type=0 clef=G notes=8",
        "note 0 t=0 d=40320 C4 step=-4",
        "note 1 t=40320 d=40320 D4 step=-3",
        "note 2 t=80640 d=40320 E4 step=-2",
        "note 3 t=120960 d=40320 F4 step=-1",
        "note 4 t=161280 d=40320 G4 step=0",
        "note 5 t=201600 d=40320 A4 step=1",
        "note 6 t=241920 d=40320 B4 step=2",
        "note 7 t=282240 d=40320 C5 step=3",
    };
    EXPECT_EQ(lines, expected);
}

TEST(Omscore, ChordsChainAllButTheirLastNote) {
    int code = 0;
    std::vector<std::string> lines = Dump("chords", &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(lines.size(), 8u);
    const char *names[] = {"C4", "E4", "G4", "C4", "D4"};
    const bool chained[] = {true, true, false, true, false};
    for (int i = 0; i < 5; i++) {
        const std::string &line = lines[size_t(3 + i)];
        EXPECT_NE(line.find(std::string(" ") + names[i] + " "), std::string::npos) << line;
        EXPECT_EQ(line.size() > 6 && line.compare(line.size() - 6, 6, " chain") == 0, chained[i]) << line;
    }
}

TEST(Omscore, AccidentalsShowWhatTheMeasureNeeds) {
    int code = 0;
    std::vector<std::string> lines = Dump("accidentals", &code);
    ASSERT_EQ(lines.size(), 7u);
    const char *shown[] = {" acc=sharp", " acc=flat", "", " acc=natural"};
    for (int i = 0; i < 4; i++) {
        const std::string &line = lines[size_t(3 + i)];
        size_t at = line.find(" acc=");
        EXPECT_EQ(at == std::string::npos ? std::string() : line.substr(at), shown[i]) << line;
    }
    Dump("nonesuch", &code);
    EXPECT_EQ(code, 1);
}

}  // namespace
