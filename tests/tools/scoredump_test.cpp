// ctest-labels: musicxml-driver
// scoredump on the MusicXML corpus: every file against the facts that tests/import/
// musicxml_facts.py finds with Python's own XML reader, the known facts of a few scores, the
// compressed forms against their plain documents, and failed loads.
#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <map>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "support/tool_support.h"
#include "support/xml_support.h"

namespace {

const std::string kCorpus = XMLTestData("corpus/musicxml/");

struct Line {
    std::string kind, index;
    std::map<std::string, std::string> fields;
};

// "KIND [index] key=value ..." where a value in double quotes may hold blanks.
Line Parse(const std::string &text) {
    std::vector<std::string> tokens(1);
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == ' ' && !quoted) tokens.emplace_back();
        else tokens.back() += c;
        if (c == '"') quoted = !quoted;
        if (c == '\\' && quoted && i + 1 < text.size()) tokens.back() += text[++i];
    }
    Line line;
    line.kind = tokens[0];
    for (size_t i = 1; i < tokens.size(); i++) {
        size_t equals = tokens[i].find('=');
        if (equals == std::string::npos) line.index = tokens[i];
        else line.fields[tokens[i].substr(0, equals)] = tokens[i].substr(equals + 1);
    }
    return line;
}

struct ToolRun {
    int code;
    std::string out, err;
    std::vector<Line> lines;
    std::vector<Line> Of(const std::string &kind) const {
        std::vector<Line> found;
        for (const Line &l : lines)
            if (l.kind == kind) found.push_back(l);
        return found;
    }
    std::vector<std::string> Field(const std::string &kind, const std::string &key) const {
        std::vector<std::string> values;
        for (const Line &l : Of(kind)) values.push_back(l.fields.count(key) ? l.fields.at(key) : "");
        return values;
    }
};

ToolRun Execute(const std::string &command) {
    std::string err = TempFile("stderr.txt");
    int status = -1;
    ToolRun run;
    run.out = RunCommand(command + " 2>'" + err + "'", &status);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = XMLReadFile(err);
    remove(err.c_str());
    size_t start = 0;
    for (size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1)
        run.lines.push_back(Parse(run.out.substr(start, end - start)));
    return run;
}

ToolRun Dump(const std::string &path) { return Execute("timeout 60 '" + ToolPath("scoredump") + "' '" + path + "'"); }

ToolRun Facts(const std::string &path) {
    return Execute("python3 '" + XMLTestData("../import/musicxml_facts.py") + "' '" + path + "'");
}

std::vector<std::string> CorpusFiles() {
    std::vector<std::string> names;
    DIR *dir = opendir(kCorpus.c_str());
    for (dirent *e; dir && (e = readdir(dir));)
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

std::string WriteTemp(const std::string &leaf, const std::string &bytes) {
    std::string path = TempFile(leaf);
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return path;
}

TEST(Scoredump, EveryCorpusFileAgreesWithTheFacts) {
    std::vector<std::string> files = CorpusFiles();
    ASSERT_EQ(files.size(), 36u);
    for (const std::string &name : files) {
        SCOPED_TRACE(name);
        ToolRun dump = Dump(kCorpus + name), facts = Facts(kCorpus + name);
        ASSERT_EQ(dump.code, 0) << dump.err;
        ASSERT_EQ(facts.code, 0) << facts.err;
        for (const char *kind : {"DOC", "STAFF", "GROUP", "INSTR", "BNUM"})
            EXPECT_EQ(dump.Of(kind).size(), facts.Of(kind).size()) << kind;
        for (const Line &fact : facts.lines) {
            auto found = std::find_if(dump.lines.begin(), dump.lines.end(),
                                      [&](const Line &l) { return l.kind == fact.kind && l.index == fact.index; });
            ASSERT_NE(found, dump.lines.end()) << fact.kind << " " << fact.index;
            for (const auto &field : fact.fields)
                EXPECT_EQ(found->fields[field.first], field.second) << fact.kind << " " << fact.index << " " << field.first;
        }
    }
}

TEST(Scoredump, KnownScoresHaveTheirStavesInstrumentsAndTitles) {
    typedef std::vector<std::string> Texts;
    ToolRun piano = Dump(kCorpus + "43a-PianoStaff.xml");
    // Staff 2 holds voice 2 only: voice 1 of staff 2 still gets its (empty) merged staff.
    EXPECT_EQ(piano.Field("STAFF", "name"), Texts({"\"MusicXML Part\"", "\"MusicXML Part\"", "\"MusicXML Part-2\""}));
    EXPECT_EQ(piano.Field("GROUP", "last"), Texts({"2"}));
    ToolRun voices = Dump(kCorpus + "42a-MultiVoice-TwoVoicesOnStaff-Lyrics.xml");
    EXPECT_EQ(voices.Field("STAFF", "name"), Texts({"\"MusicXML Part\"", "\"MusicXML Part-2\""}));
    EXPECT_EQ(voices.Field("STAFF", "continued"), Texts({"1", "0"}));
    ToolRun schumann = Dump(kCorpus + "Schumann_The_Wild_Horseman_Op._68_No._8.mxl");
    EXPECT_EQ(schumann.Of("STAFF").size(), 6u);
    EXPECT_EQ(schumann.Of("BNUM").size(), 27u);
    Texts implicit;
    for (const Line &bar : schumann.Of("BNUM"))
        if (bar.fields.at("implicit") == "1") implicit.push_back(bar.fields.at("number"));
    EXPECT_EQ(implicit, Texts({"\"0\"", "\"X1\"", "\"X2\""}));
    ToolRun gounod = Dump(kCorpus + "CharlesGounod_Meditation.xml");
    EXPECT_EQ(gounod.Of("STAFF").size(), 36u);
    EXPECT_EQ(gounod.Of("GROUP").size(), 2u);
    EXPECT_EQ(gounod.Field("INSTR", "program"), Texts({"40", "42", "42", "19", "19", "0", "0"}));
    EXPECT_EQ(gounod.Field("INSTR", "channel"), Texts({"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(gounod.Of("BNUM").size(), 73u);
    EXPECT_EQ(gounod.Field("DOC", "title"), Texts({"\"M\xC3\xA9" "ditation sur le premier Pr\xC3\xA9lude de S. Bach\""}));
    EXPECT_EQ(gounod.Field("DOC", "composer"), Texts({"\"Charles Gounod\""}));
    EXPECT_EQ(Dump(kCorpus + "41c-StaffGroups.xml").Of("STAFF").size(), 32u);
    EXPECT_EQ(Dump(kCorpus + "73a-Percussion.xml").Field("STAFF", "type"), Texts({"0", "8", "8"}));
    ToolRun tabs = Dump(kCorpus + "71e-TabStaves.xml");
    EXPECT_EQ(tabs.Field("STAFF", "type"), Texts(8, "7"));
    EXPECT_EQ(tabs.Field("STAFF", "strings"), Texts({"6", "6", "6", "6", "4", "5", "6", "4"}));
    ToolRun joplin = Dump(kCorpus + "ScottJoplin_The_Entertainer.xml");
    EXPECT_EQ(joplin.Field("DOC", "title"), Texts({"\"The Entertainer\""}));
    EXPECT_EQ(joplin.Field("DOC", "composer"), Texts({"\"Scott Joplin\""}));
}

// The dump without its DOC line's format code.
std::string WithoutFormat(const ToolRun &run) {
    std::string out = run.out;
    size_t at = out.find("format=\"");
    if (at != std::string::npos) out.erase(at, out.find('"', at + 8) + 1 - at);
    return out;
}

TEST(Scoredump, CompressedFormsDumpAsTheirPlainDocuments) {
    ToolRun plain = Dump(kCorpus + "61b-MultipleLyrics.xml"), packed = Dump(kCorpus + "61b-MultipleLyrics.xmz");
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
        ToolRun zipped = Dump(kCorpus + a.first), extracted = Dump(path);
        EXPECT_EQ(zipped.Field("DOC", "format"), std::vector<std::string>({"\"LMX \""}));
        EXPECT_FALSE(zipped.Of("STAFF").empty());
        EXPECT_EQ(WithoutFormat(zipped), WithoutFormat(extracted));
        remove(path.c_str());
    }
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
        ToolRun run = Dump(r.first);
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

// Fixed: a voice "x" used to make 2^31 staves.
TEST(Scoredump, VoicesThatAreNotNumbersLoadOneStaffPerStaffNumber) {
    std::string notes;
    for (int i = 0; i < 200; i++)
        notes += "<note><rest/><duration>1</duration><voice>x</voice><staff>" + std::to_string(i % 2 + 1) + "</staff></note>";
    std::string path = WriteTemp("voices.xml", "<score-partwise><part-list><score-part id=\"P\"/></part-list>"
                                               "<part id=\"P\"><measure>" + notes + "</measure></part></score-partwise>");
    ToolRun run = Execute("timeout 10 '" + ToolPath("scoredump") + "' '" + path + "'");
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.Field("STAFF", "staf"), std::vector<std::string>({"0", "1"}));
    remove(path.c_str());
}

}  // namespace
