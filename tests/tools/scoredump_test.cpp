// ctest-labels: musicxml-driver;musicxml-notes
// scoredump on the MusicXML corpus: every file's staves, instruments, bars, measures and notes
// against the facts that tests/support/musicxml_facts.py finds with Python's own XML reader
// (durations, backups, forwards, chords and pitches read there), the known facts of a few
// scores, the compressed forms against their plain documents, and failed loads.
#include <gtest/gtest.h>

#include <algorithm>
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


std::string WriteTemp(const std::string &leaf, const std::string &bytes) {
    std::string path = TempFile(leaf);
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return path;
}

typedef std::tuple<std::string, std::string, std::string, std::string> NoteKey;  // staff, time, length, pitch

std::string StaffOf(const ToolLine &note) { return note.index.substr(0, note.index.find('.')); }

int Count(const ToolRun &run, const std::string &kind) {
    std::vector<ToolLine> lines = run.Of(kind);
    return lines.empty() ? -1 : std::stoi(lines[0].Field("count"));
}

// Every written note is made with its staff, time, length and pitch; beyond them the import makes
// only copies of a note (for a second tie or slur at one note). Regular beams group every note
// but those of their last chord; ties, grace notes and marks are as many as the file's.
void NotesAgree(const std::string &name, const ToolRun &dump, const ToolRun &facts) {
    const std::map<std::string, int> known = {{"01a-Pitches-Pitches.xml", 110},
                                              {"ScottJoplin_The_Entertainer.xml", 1747},
                                              {"CharlesGounod_Meditation.xml", 2119}};
    {
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
    }
}


TEST(Scoredump, EveryCorpusFileAgreesWithTheFacts) {
    std::vector<std::string> files = MusicXMLCorpusFiles();
    ASSERT_EQ(files.size(), 36u);
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        ToolRun dump = ScoreDump(kCorpus + name), facts = MusicXMLFacts(kCorpus + name);
        ASSERT_EQ(dump.code, 0) << dump.err;
        ASSERT_EQ(facts.code, 0) << facts.err;
        for (const char *kind : {"DOC", "STAFF", "GROUP", "INSTR", "BNUM", "MEASURE"})
            EXPECT_EQ(dump.Of(kind).size(), facts.Of(kind).size()) << kind;
        for (const ToolLine &fact : facts.lines) {
            if (fact.index.empty() && fact.kind != "DOC") continue;  // notes and counts: scoredump_notes_test
            auto found = std::find_if(dump.lines.begin(), dump.lines.end(),
                                      [&](const ToolLine &l) { return l.kind == fact.kind && l.index == fact.index; });
            ASSERT_NE(found, dump.lines.end()) << fact.kind << " " << fact.index;
            for (const auto &field : fact.fields)
                EXPECT_EQ(found->fields[field.first], field.second) << fact.kind << " " << fact.index << " " << field.first;
        }
        NotesAgree(name, dump, facts);
    }
}

TEST(Scoredump, KnownScoresHaveTheirStavesInstrumentsAndTitles) {
    const char *const piano = "43a-PianoStaff.xml", *const gounod = "CharlesGounod_Meditation.xml",
                      *const schumann = "Schumann_The_Wild_Horseman_Op._68_No._8.mxl";
    struct Row {
        const char *file, *kind, *field, *values;  // field null: the number of lines of that kind
    } rows[] = {
        // Staff 2 holds voice 2 only: voice 1 of staff 2 still gets its (empty) merged staff.
        {piano, "STAFF", "name", "\"MusicXML Part\",\"MusicXML Part\",\"MusicXML Part-2\""},
        {piano, "GROUP", "last", "2"},
        {"42a-MultiVoice-TwoVoicesOnStaff-Lyrics.xml", "STAFF", "name", "\"MusicXML Part\",\"MusicXML Part-2\""},
        {"42a-MultiVoice-TwoVoicesOnStaff-Lyrics.xml", "STAFF", "continued", "1,0"},
        {schumann, "STAFF", nullptr, "6"},
        {schumann, "BNUM", nullptr, "27"},
        {gounod, "STAFF", nullptr, "36"},
        {gounod, "GROUP", nullptr, "2"},
        {gounod, "INSTR", "program", "40,42,42,19,19,0,0"},
        {gounod, "INSTR", "channel", "1,2,3,4,5,6,7"},
        {gounod, "BNUM", nullptr, "73"},
        {gounod, "DOC", "title", "\"M\xC3\xA9" "ditation sur le premier Pr\xC3\xA9lude de S. Bach\""},
        {gounod, "DOC", "composer", "\"Charles Gounod\""},
        {"41c-StaffGroups.xml", "STAFF", nullptr, "32"},
        {"73a-Percussion.xml", "STAFF", "type", "0,8,8"},
        {"71e-TabStaves.xml", "STAFF", "type", "7,7,7,7,7,7,7,7"},
        {"71e-TabStaves.xml", "STAFF", "strings", "6,6,6,6,4,5,6,4"},
        {"ScottJoplin_The_Entertainer.xml", "DOC", "title", "\"The Entertainer\""},
        {"ScottJoplin_The_Entertainer.xml", "DOC", "composer", "\"Scott Joplin\""},
    };
    std::map<std::string, ToolRun> dumps;
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.file) + " " + r.kind + " " + (r.field ? r.field : ""));
        if (!dumps.count(r.file)) dumps[r.file] = ScoreDump(kCorpus + r.file);
        std::string values;
        for (const std::string &v : dumps[r.file].Field(r.kind, r.field ? r.field : ""))
            values += (values.empty() ? "" : ",") + v;
        EXPECT_EQ(r.field ? values : std::to_string(dumps[r.file].Of(r.kind).size()), r.values);
    }
    std::string implicit;
    for (const ToolLine &bar : dumps[schumann].Of("BNUM"))
        if (bar.fields.at("implicit") == "1") implicit += bar.fields.at("number");
    EXPECT_EQ(implicit, "\"0\"\"X1\"\"X2\"");
}

// The dump without its DOC line's format code.
std::string WithoutFormat(const ToolRun &run) {
    std::string out = run.out;
    size_t at = out.find("format=\"");
    if (at != std::string::npos) out.erase(at, out.find('"', at + 8) + 1 - at);
    return out;
}

TEST(Scoredump, CompressedFormsDumpAsTheirPlainDocuments) {
    ToolRun plain = ScoreDump(kCorpus + "61b-MultipleLyrics.xml"), packed = ScoreDump(kCorpus + "61b-MultipleLyrics.xmz");
    EXPECT_EQ(packed.Field("DOC", "format"), std::vector<std::string>({"\"ZLMX\""}));
    EXPECT_EQ(WithoutFormat(packed), WithoutFormat(plain));
    const std::pair<const char *, const char *> archives[] = {
        {"90a-Compressed-MusicXML.mxl", "20a-Compressed-MusicXML.xml"},
        {"Schumann_The_Wild_Horseman_Op._68_No._8.mxl", "Schumann_The_Wild_Horseman_Op._68_No._8.xml"},
    };
    for (const auto &a : archives) {
        SCOPED_TRACE(a.first);
        int status = -1;
        std::string member = RunCommand("unzip -p '" + kCorpus + a.first + "' '" + a.second + "'", &status);
        std::string path = WriteTemp(a.second, member);
        ToolRun zipped = ScoreDump(kCorpus + a.first), extracted = ScoreDump(path);
        EXPECT_EQ(zipped.Field("DOC", "format"), std::vector<std::string>({"\"LMX \""}));
        EXPECT_FALSE(zipped.Of("STAFF").empty());
        EXPECT_EQ(WithoutFormat(zipped), WithoutFormat(extracted));
        remove(path.c_str());
    }
}

// A page of an imported score drawn as the player draws it, read back from the PNG by pngstaff:
// the staves, note heads, braces and repeat bar lines of the file.
TEST(Scoredump, PagesShowTheImportedNotes) {
    struct Row {
        const char *file;
        const char *facts;  // pngstaff's lines that must stand in its output
    } rows[] = {
        {"w3c-tutorial-hello-world.musicxml", "staves=1 heads=1\nbraces=0\n"},
        {"43a-PianoStaff.xml", "staves=2 heads=2\nbraces=1\n"},
        {"45b-RepeatWithAlternatives.xml", "heads=4\nrepeat-barlines=1\n"},
    };
    std::string png = TempFile("page.png");
    for (const Row &r : rows) {
        SCOPED_TRACE(r.file);
        ToolRun run = ScoreDump(kCorpus + r.file, "--layout --page 1 --png '" + png + "'");
        ASSERT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.Field("PAGES", "count"), std::vector<std::string>({"1"}));
        int status = -1;
        std::string read = RunCommand("'" + ToolPath("pngstaff") + "' '" + png + "'", &status);
        std::istringstream facts(r.facts);
        for (std::string line; std::getline(facts, line);)
            EXPECT_NE(read.find(line), std::string::npos) << line << " in\n" << read;
        remove(png.c_str());
    }
    EXPECT_EQ(ScoreDump(kCorpus + rows[0].file, "--layout --page 2 --png '" + png + "'").code, 1);
    EXPECT_EQ(ScoreDump(kCorpus + rows[0].file, "--page 1 --png '" + png + "'").code, 2);
}

// Fixed: a document that did not parse, or a timewise one, loaded as an empty score.
TEST(Scoredump, FailedLoadsSayWhy) {
    std::string piano = XMLReadFile(kCorpus + "43a-PianoStaff.xml");
    const std::pair<std::string, std::string> rows[] = {
        {WriteTemp("cut.xml", piano.substr(0, piano.size() / 2)), "musicxml: "},
        {WriteTemp("time.musicxml", "<score-timewise/>"), "musicxml: score-timewise documents are not supported"},
        {WriteTemp("other.txt", piano), "load failed"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(r.first);
        ToolRun run = ScoreDump(r.first);
        std::string first = run.err.substr(0, run.err.find('\n'));
        EXPECT_EQ(run.code, 1);
        EXPECT_TRUE(run.out.empty());
        EXPECT_EQ(run.err.substr(run.err.size() - 12), "load failed\n");
        EXPECT_EQ(first.compare(0, r.second.size(), r.second), 0) << first;
        if (r.second == "musicxml: ") {
            EXPECT_TRUE(IsXMLParseMessage(first.substr(r.second.size()))) << first;
        } else {
            EXPECT_EQ(first, r.second);
        }
        remove(r.first.c_str());
    }
}

}  // namespace
