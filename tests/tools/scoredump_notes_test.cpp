// ctest-labels: musicxml-notes
// scoredump on the MusicXML corpus, for the measures and notes of the import: every note's staff,
// time, pitch and length against tests/import/musicxml_facts.py, which reads durations, backups,
// forwards, chords and pitches with Python's own XML reader; the beams, ties, grace notes and
// marks it counts; and the notes the sequencer plays against what MuseScore 3 plays of the same
// files (tests/data/musicxml/played/, made by its make.sh; differences only as EXPECTED.md there
// lists them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "support/tool_lines.h"
#include "support/tool_support.h"
#include "support/import/musicxml_support.h"
#include "support/import/xml_support.h"

namespace {

const std::string kCorpus = MusicXMLCorpus();
const std::string kPlayed = XMLTestData("musicxml/played/");


typedef std::tuple<std::string, std::string, std::string, std::string> NoteKey;  // staff, time, length, pitch

std::string StaffOf(const ToolLine &note) { return note.index.substr(0, note.index.find('.')); }

int Count(const ToolRun &run, const std::string &kind) {
    std::vector<ToolLine> lines = run.Of(kind);
    return lines.empty() ? -1 : std::stoi(lines[0].Field("count"));
}

// Notes the import made beyond the file's: copies of a note of the same staff, time, length and
// pitch, made so that a second tie or slur can end or start there.
TEST(ImportedNotes, AgreeWithTheFactsOfEveryCorpusFile) {
    const std::map<std::string, int> known = {{"01a-Pitches-Pitches.xml", 110},
                                              {"ScottJoplin_The_Entertainer.xml", 1747},
                                              {"CharlesGounod_Meditation.xml", 2119}};
    int files = 0;
    for (const std::string &name : MusicXMLCorpusFiles()) {
        SCOPED_TRACE(name);
        ToolRun dump = ScoreDump(kCorpus + name), facts = MusicXMLFacts(kCorpus + name);
        ASSERT_EQ(dump.code, 0) << dump.err;
        ASSERT_EQ(facts.code, 0) << facts.err;
        std::map<NoteKey, int> made, written;
        std::map<std::tuple<std::string, std::string, std::string>, std::vector<int>> flags;
        int ties = 0, graces = 0, marks = 0;
        for (const ToolLine &n : dump.Of("NOTE")) {
            made[NoteKey(StaffOf(n), n.Field("time"), n.Field("dur"), n.Field("pitch"))]++;
            flags[std::make_tuple(StaffOf(n), n.Field("time"), n.Field("pitch"))].push_back(std::stoi(n.Field("flags")));
            std::string links = "," + n.Field("links") + ",";
            ties += links.find(",ts,") != std::string::npos;
            graces += std::stoi(n.Field("graces"));
            std::string m = n.Field("marks");
            if (m != "-") marks += int(std::count(m.begin(), m.end(), ',')) + 1;
        }
        for (const ToolLine &n : facts.Of("NOTE"))
            written[NoteKey(n.Field("staff"), n.Field("time"), n.Field("dur"), n.Field("pitch"))]++;
        int copies = 0, total = 0;
        for (const auto &w : written) {
            int count = made.count(w.first) ? made[w.first] : 0;
            EXPECT_GE(count, w.second) << std::get<0>(w.first) << " " << std::get<1>(w.first) << " "
                                       << std::get<3>(w.first);
            copies += std::max(0, count - w.second);
            total += w.second;
        }
        for (const auto &m : made) EXPECT_TRUE(written.count(m.first)) << "made alone: " << std::get<1>(m.first);
        EXPECT_EQ(int(dump.Of("NOTE").size()), total + copies);
        EXPECT_LE(copies, 4);
        if (known.count(name)) {
            EXPECT_EQ(total, known.at(name));
        }
        // Regular beams group every note but those of the last chord.
        for (const ToolLine &b : facts.Of("BEAM")) {
            auto found = flags.find(std::make_tuple(b.Field("staff"), b.Field("time"), b.Field("pitch")));
            ASSERT_NE(found, flags.end());
            for (int f : found->second) EXPECT_EQ((f >> 1) & 1, std::stoi(b.Field("bit"))) << "beam at " << b.Field("time");
        }
        EXPECT_EQ(graces, Count(facts, "GRACES"));
        EXPECT_EQ(marks, Count(facts, "MARKS"));
        if (name == "ScottJoplin_The_Entertainer.xml") {
            EXPECT_EQ(ties, 143);
            EXPECT_EQ(Count(facts, "TIES"), 143);
        }
        if (name == "24a-GraceNotes.xml") {
            EXPECT_EQ(graces, 15);
        }
        if (name == "OSMD_function_test_all.xml") {
            EXPECT_EQ(marks, 43);
        }
        files++;
    }
    EXPECT_EQ(files, 36);
}

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
