// ctest-labels: musicxml-notes
// scoredump --played on corpus files: the notes the sequencer plays of an imported score against
// what MuseScore 3 plays of the same files (tests/data/musicxml/played/, made by its make.sh),
// differences only as EXPECTED.md there lists them.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/tool_lines.h"
#include "support/tool_support.h"
#include "support/import/musicxml_support.h"
#include "support/import/xml_support.h"

namespace {

const std::string kCorpus = MusicXMLCorpus();
const std::string kPlayed = XMLTestData("musicxml/played/");


struct PlayedNote {
    double onset;
    int pitch;
};

// The table rows of EXPECTED.md: "| file | side | onset | pitch | reason |".
std::set<std::string> Expected(const std::string &file, const std::string &side) {
    std::set<std::string> rows;
    std::istringstream in(XMLReadFile(kPlayed + "EXPECTED.md"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream split(line);
        for (std::string cell; std::getline(split, cell, '|');) {
            size_t a = cell.find_first_not_of(' '), b = cell.find_last_not_of(' ');
            cells.push_back(a == std::string::npos ? "" : cell.substr(a, b - a + 1));
        }
        if (cells.size() >= 6 && cells[1] == file && cells[2] == side) rows.insert(cells[3] + " " + cells[4]);
    }
    return rows;
}

std::string Row(const PlayedNote &n) {
    char text[64];
    snprintf(text, sizeof text, "%.4f %d", n.onset, n.pitch);
    return text;
}

TEST(PlayedNotes, AgreeWithMuseScore) {
    const std::pair<const char *, size_t> files[] = {
        {"45b-RepeatWithAlternatives.xml", 5},     {"test_staverepetitions_coda_etc.musicxml", 24},
        {"72a-TransposingInstruments.xml", 24},    {"Schumann_The_Wild_Horseman_Op._68_No._8.mxl", 417},
        {"ScottJoplin_The_Entertainer.xml", 2632}, {"JohannSebastianBach_Air.xml", 637},
    };
    const double tolerance = 1.0 / 32 + 1e-9;
    for (const auto &f : files) {
        std::string stem = std::string(f.first).substr(0, std::string(f.first).rfind('.'));
        SCOPED_TRACE(stem);
        std::vector<PlayedNote> theirs, ours;
        std::istringstream list(XMLReadFile(kPlayed + stem + ".txt"));
        for (PlayedNote n; list >> n.onset >> n.pitch;) theirs.push_back(n);
        ASSERT_EQ(theirs.size(), f.second);
        ToolRun run = ScoreDump(kCorpus + f.first, "--played");
        ASSERT_EQ(run.code, 0) << run.err;
        for (const ToolLine &l : run.Of("PLAYED")) ours.push_back({std::stod(l.Field("onset")), std::stoi(l.Field("pitch"))});
        std::vector<bool> used(theirs.size(), false);
        std::set<std::string> oursAlone, theirsAlone;
        for (const PlayedNote &n : ours) {
            size_t j = 0;
            while (j < theirs.size() && (used[j] || theirs[j].pitch != n.pitch || std::fabs(theirs[j].onset - n.onset) > tolerance))
                j++;
            if (j < theirs.size()) used[j] = true;
            else oursAlone.insert(Row(n));
        }
        for (size_t j = 0; j < theirs.size(); j++)
            if (!used[j]) theirsAlone.insert(Row(theirs[j]));
        EXPECT_EQ(oursAlone, Expected(stem, "ours"));
        EXPECT_EQ(theirsAlone, Expected(stem, "MuseScore"));
    }
}

}  // namespace
