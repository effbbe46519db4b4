// ctest-labels: xml-zip
// Every MusicXML score of the corpus, plain, UTF-16, without declaration, inside the .mxl
// containers and the .xmz, read by xmltree and by the system's own XML and zip tools, which
// must agree; and every score cut short fails cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "import/xml/xml_tree.h"
#include "support/tool_support.h"
#include "support/import/xml_support.h"

namespace {

const std::string kCorpus = XMLTestData("corpus/musicxml/");

std::string Shell(const std::string &command) {
    int status = -1;
    return RunCommand(command + " 2>/dev/null", &status);
}

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

std::string Xmltree(const std::string &arguments) { return Shell(Quoted(ToolPath("xmltree")) + " " + arguments); }

std::string FirstLine(const std::string &text) { return text.substr(0, text.find('\n')); }

std::vector<std::string> gTemporary;  // removed at exit

// A temporary file holding what command writes.
std::string Extracted(const std::string &leaf, const std::string &command) {
    if (gTemporary.empty()) atexit([] { for (const std::string &path : gTemporary) unlink(path.c_str()); });
    gTemporary.push_back(TempFile(leaf));
    Shell(command + " > " + Quoted(gTemporary.back()));
    return gTemporary.back();
}

// The scores as files: plain ones where they are, the .xmz inflated and the members of the
// containers extracted.
const std::vector<std::string> &Scores() {
    static std::vector<std::string> scores;
    if (!scores.empty()) return scores;
    std::vector<std::string> names;
    DIR *dir = opendir(kCorpus.c_str());
    while (dirent *entry = dir ? readdir(dir) : nullptr)
        if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    if (dir) closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = Quoted(kCorpus + name), extension = name.substr(name.rfind('.') + 1);
        if (extension == "xml" || extension == "musicxml") scores.push_back(kCorpus + name);
        if (extension == "xmz") scores.push_back(Extracted(name + ".xml", "gunzip -c " + path));
        std::istringstream members(extension == "mxl" ? Xmltree("zip-list " + path) : "");
        std::string member;
        for (int i = 0; std::getline(members, member); i++) {
            std::string index = std::to_string(i);
            if (member.size() > 4 && member.compare(member.size() - 4, 4, ".xml") == 0)
                scores.push_back(Extracted(name + index + ".xml", Quoted(ToolPath("xmltree")) + " zip-get " + path + " '#" + index + "'"));
        }
    }
    return scores;
}

TEST(XMLCorpus, CountsAgreeWithTheSystemsXPath) {
    const struct {
        const char *path, *xpath;
    } queries[] = {
        {"measure/@note/!staff", "count(//measure/note[not(staff)])"},
        {"part<id=P1>/@measure", "count(//part[@id='P1']/measure)"},
        {"part<id=P1>/measure/@note/staff[2]", "count(//part[@id='P1']/measure/note[staff='2'])"},
    };
    ASSERT_GE(Scores().size(), 38u);
    for (const std::string &score : Scores()) {
        std::string count = FirstLine(Xmltree("count " + Quoted(score)));
        EXPECT_FALSE(count.empty()) << score;
        EXPECT_EQ(count, FirstLine(Shell("xmllint --xpath 'count(//*)' " + Quoted(score)))) << score;
        for (const auto &q : queries)
            EXPECT_EQ(FirstLine(Xmltree("query " + Quoted(score) + " '" + q.path + "'")),
                      FirstLine(Shell("xmllint --xpath \"" + std::string(q.xpath) + "\" " + Quoted(score))))
                << score << " " << q.path;
    }
}

// Facts counted once in the scores themselves.
TEST(XMLCorpus, KnownCounts) {
    std::string schumann = Extracted("schumann.xml", Quoted(ToolPath("xmltree")) + " zip-get " +
                                                         Quoted(kCorpus + "Schumann_The_Wild_Horseman_Op._68_No._8.mxl") +
                                                         " Schumann_The_Wild_Horseman_Op._68_No._8.xml");
    const struct {
        std::string arguments, expected;
    } rows[] = {
        {"count " + Quoted(kCorpus + "CharlesGounod_Meditation.xml"), "26349"},
        {"count " + Quoted(kCorpus + "ScottJoplin_The_Entertainer.xml"), "16563"},
        {"query " + Quoted(kCorpus + "ScottJoplin_The_Entertainer.xml") + " 'measure/@note/!staff'", "1747"},
        {"count " + Quoted(schumann), "4271"},
        {"query " + Quoted(schumann) + " 'part<id=P1>/measure/@note/staff[2]'", "211"},
    };
    for (const auto &row : rows) EXPECT_EQ(FirstLine(Xmltree(row.arguments)), row.expected) << row.arguments;
}

TEST(XMLCorpus, LyricTextsAgreeLineByLine) {
    for (const char *name : {"61a-Lyrics.xml", "61b-MultipleLyrics.xml", "Schubert_An_die_Musik.xml"}) {
        std::string ours = Xmltree("text " + Quoted(kCorpus + name) + " 'lyric/@text'");
        std::replace(ours.begin(), ours.end(), '\r', '\n');
        std::string theirs = Shell("xmllint --xpath '//lyric/text/text()' " + Quoted(kCorpus + name));
        if (!theirs.empty() && theirs.back() != '\n') theirs += '\n';
        EXPECT_GT(ours.size(), 20u) << name;
        EXPECT_EQ(ours, theirs) << name;
    }
}

TEST(XMLCorpus, ContainersListAndExtractLikeTheSystemsUnzip) {
    for (const char *name : {"90a-Compressed-MusicXML.mxl", "OSMD_Function_Test_Tabulature_hayden_study_1.mxl",
                             "Schumann_The_Wild_Horseman_Op._68_No._8.mxl"}) {
        std::string path = Quoted(kCorpus + name), list = Xmltree("zip-list " + path), member;
        EXPECT_EQ(list, Shell("zipinfo -1 " + path)) << name;
        std::istringstream members(list);
        for (int i = 0; std::getline(members, member); i++)
            EXPECT_EQ(Xmltree("zip-get " + path + " '#" + std::to_string(i) + "'"),
                      Shell("unzip -p " + path + " " + Quoted(member)))
                << name << " " << member;
    }
    EXPECT_EQ(FirstLine(Xmltree("zip-list " + Quoted(kCorpus + "90a-Compressed-MusicXML.mxl"))), "META-INF/");
}

TEST(XMLCorpus, ScoresCutShortFailCleanly) {
    std::mt19937 random(34);
    for (const std::string &score : Scores()) {
        std::ifstream in(score, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool wide = bytes.size() > 2 && (bytes[1] == 0 || bytes.compare(0, 2, "\xFF\xFE") == 0);
        size_t lastEndTag = wide ? bytes.rfind(std::string("<\0/\0", 4)) : bytes.rfind("</");
        ASSERT_NE(lastEndTag, std::string::npos) << score;
        for (int i = 0; i < 20; i++) {
            size_t cut = random() % lastEndTag;
            std::string error;
            EXPECT_EQ(ParseXMLText(bytes.substr(0, cut), &error), nullptr) << score << " cut at " << cut;
            EXPECT_TRUE(IsXMLParseMessage(error)) << score << ": " << error;
        }
    }
}

}  // namespace
