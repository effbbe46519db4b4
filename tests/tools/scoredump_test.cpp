// ctest-labels: musicxml-driver
// scoredump on the MusicXML corpus: every file against the facts that tests/support/
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
#include "support/import/xml_support.h"

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
    return Execute("python3 '" + XMLTestData("../support/musicxml_facts.py") + "' '" + path + "'");
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
        if (!dumps.count(r.file)) dumps[r.file] = Dump(kCorpus + r.file);
        std::string values;
        for (const std::string &v : dumps[r.file].Field(r.kind, r.field ? r.field : ""))
            values += (values.empty() ? "" : ",") + v;
        EXPECT_EQ(r.field ? values : std::to_string(dumps[r.file].Of(r.kind).size()), r.values);
    }
    std::string implicit;
    for (const Line &bar : dumps[schumann].Of("BNUM"))
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

}  // namespace
