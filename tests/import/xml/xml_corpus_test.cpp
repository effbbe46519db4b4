// ctest-labels: xml-zip
// Every MusicXML score of the corpus, plain, UTF-16, without declaration, inside the .mxl
// containers and the .xmz, read by xmltree and by the system's own XML and zip tools, which
// must agree; and every score cut short fails cleanly.
#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <unistd.h>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "import/xml/xml_tree.h"
#include "support/tool_support.h"
#include "support/xml_support.h"

namespace {

std::string Shell(const std::string &command) {
    int status = -1;
    return RunCommand(command + " 2>/dev/null", &status);
}

std::string Xmltree(const std::string &arguments) { return Shell("'" + ToolPath("xmltree") + "' " + arguments); }

std::string FirstLine(const std::string &text) { return text.substr(0, text.find('\n')); }

std::string Quoted(const std::string &path) { return "'" + path + "'"; }

std::vector<std::string> gTemporary;  // removed at exit

// The scores as files: plain ones where they are, members and the inflated .xmz in temporary files.
std::vector<std::string> Scores() {
    atexit([] {
        for (const std::string &path : gTemporary) unlink(path.c_str());
    });
    std::string folder = XMLTestData("corpus/musicxml");
    std::vector<std::string> names, scores;
    if (DIR *dir = opendir(folder.c_str())) {
        while (dirent *entry = readdir(dir))
            if (entry->d_name[0] != '.') names.push_back(entry->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    for (const std::string &name : names) {
        std::string path = folder + "/" + name, extension = name.substr(name.rfind('.') + 1);
        if (extension == "xml" || extension == "musicxml") scores.push_back(path);
        if (extension == "xmz") {
            scores.push_back(TempFile(name + ".xml"));
            gTemporary.push_back(scores.back());
            Shell("gunzip -c " + Quoted(path) + " > " + Quoted(scores.back()));
        }
        if (extension != "mxl") continue;
        std::istringstream members(Xmltree("zip-list " + Quoted(path)));
        std::string member;
        for (int i = 0; std::getline(members, member); i++) {
            if (member.size() < 4 || member.compare(member.size() - 4, 4, ".xml") != 0) continue;
            scores.push_back(TempFile(name + "-" + std::to_string(i) + ".xml"));
            gTemporary.push_back(scores.back());
            Shell("'" + ToolPath("xmltree") + "' zip-get " + Quoted(path) + " '#" + std::to_string(i) + "' > " +
                Quoted(scores.back()));
        }
    }
    return scores;
}

const std::vector<std::string> &AllScores() {
    static const std::vector<std::string> scores = Scores();
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
    ASSERT_GE(AllScores().size(), 38u);
    for (const std::string &score : AllScores()) {
        SCOPED_TRACE(score);
        std::string count = FirstLine(Xmltree("count " + Quoted(score)));
        EXPECT_FALSE(count.empty());
        EXPECT_EQ(count, FirstLine(Shell("xmllint --xpath 'count(//*)' " + Quoted(score))));
        for (const auto &q : queries)
            EXPECT_EQ(FirstLine(Xmltree("query " + Quoted(score) + " '" + q.path + "'")),
                      FirstLine(Shell("xmllint --xpath \"" + std::string(q.xpath) + "\" " + Quoted(score))))
                << q.path;
    }
}

// Facts counted once in the scores themselves.
TEST(XMLCorpus, KnownCounts) {
    std::string corpus = XMLTestData("corpus/musicxml/"), schumann = TempFile("schumann.xml");
    Shell("'" + ToolPath("xmltree") + "' zip-get " + Quoted(corpus + "Schumann_The_Wild_Horseman_Op._68_No._8.mxl") +
          " Schumann_The_Wild_Horseman_Op._68_No._8.xml > " + Quoted(schumann));
    const struct {
        std::string command, file, path, expected;
    } rows[] = {
        {"count", corpus + "CharlesGounod_Meditation.xml", "", "26349"},
        {"count", corpus + "ScottJoplin_The_Entertainer.xml", "", "16563"},
        {"query", corpus + "ScottJoplin_The_Entertainer.xml", "'measure/@note/!staff'", "1747"},
        {"count", schumann, "", "4271"},
        {"query", schumann, "'part<id=P1>/measure/@note/staff[2]'", "211"},
    };
    for (const auto &row : rows)
        EXPECT_EQ(FirstLine(Xmltree(row.command + " " + Quoted(row.file) + " " + row.path)), row.expected) << row.file;
    unlink(schumann.c_str());
}

TEST(XMLCorpus, LyricTextsAgreeLineByLine) {
    for (const char *name : {"61a-Lyrics.xml", "61b-MultipleLyrics.xml", "Schubert_An_die_Musik.xml"}) {
        std::string path = Quoted(XMLTestData(std::string("corpus/musicxml/") + name));
        std::string ours = Xmltree("text " + path + " 'lyric/@text'");
        std::replace(ours.begin(), ours.end(), '\r', '\n');
        std::string theirs = Shell("xmllint --xpath '//lyric/text/text()' " + path);
        if (!theirs.empty() && theirs.back() != '\n') theirs += '\n';
        EXPECT_GT(ours.size(), 20u) << name;
        EXPECT_EQ(ours, theirs) << name;
    }
}

TEST(XMLCorpus, ContainersListAndExtractLikeTheSystemsUnzip) {
    std::string corpus = XMLTestData("corpus/musicxml/");
    for (const char *name : {"90a-Compressed-MusicXML.mxl", "OSMD_Function_Test_Tabulature_hayden_study_1.mxl",
                             "Schumann_The_Wild_Horseman_Op._68_No._8.mxl"}) {
        SCOPED_TRACE(name);
        std::string path = Quoted(corpus + name), list = Xmltree("zip-list " + path);
        EXPECT_EQ(list, Shell("zipinfo -1 " + path));
        std::istringstream members(list);
        std::string member;
        for (int i = 0; std::getline(members, member); i++) {
            EXPECT_EQ(Xmltree("zip-get " + path + " '#" + std::to_string(i) + "'"), Shell("unzip -p " + path + " " + Quoted(member)))
                << member;
        }
    }
    EXPECT_EQ(FirstLine(Xmltree("zip-list " + Quoted(corpus + "90a-Compressed-MusicXML.mxl"))), "META-INF/");
}

TEST(XMLCorpus, ScoresCutShortFailCleanly) {
    std::mt19937 random(34);
    for (const std::string &score : AllScores()) {
        std::ifstream in(score, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bool wide = bytes.size() > 2 && bytes[1] == 0 ? true : bytes.compare(0, 2, "\xFF\xFE") == 0;
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
