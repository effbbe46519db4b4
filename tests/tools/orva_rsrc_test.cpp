// ctest-labels: resources
// The resource compiler run as a program: build, list and dump, read back through the
// player's own resource reader, and its error reports.
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/core/resource_files.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"

using namespace restest;

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

// Runs the tool with the arguments (single-quoted for the shell) in the current folder.
ToolRun RunTool(const std::string &arguments) {
    int status = -1;
    ToolRun run{-1, RunCommand("'" + ToolPath("orva-rsrc") + "' " + arguments + " 2>stderr.txt", &status), ""};
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    Bytes err = ReadAll("stderr.txt");
    run.err.assign(err.begin(), err.end());
    return run;
}

const char kSample[] =
    "# The two resources of the sample file.\n"
    "resource 'STR#' 128\n"
    "    strlist \"one\" \"two\" \"three\"\n"
    "resource 'TEXT' 129 \"notes\"   # a named text\n"
    "    text \"hello\"\n";

class OrvaRsrc : public ::testing::Test {
protected:
    void SetUp() override { folder = FreshFolder(); }
    void TearDown() override { CloseAllResFiles(); }
    std::string folder;
};

TEST_F(OrvaRsrc, BuildsListsAndReadsBackThroughTheResourceManager) {
    WriteAll("s.r", Text(kSample));
    ToolRun built = RunTool("build s.r '" + folder + "/s.rsr'");
    ASSERT_EQ(built.status, 0) << built.err;
    EXPECT_EQ(built.out, "");
    ToolRun listed = RunTool("list '" + folder + "/s.rsr'");
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.out, "'STR#' 128 \"\" 16\n'TEXT' 129 \"notes\" 5\n");

    SInt16 ref = OpenResFile("s.rsr");
    ASSERT_GT(ref, 0);
    EXPECT_EQ(HandleBytes(Get1Resource(FourCC("STR#"), 128)), StrList({"one", "two", "three"}));
    EXPECT_EQ(HandleBytes(GetNamedResource(FourCC("TEXT"), "notes")), Text("hello"));
}

TEST_F(OrvaRsrc, BuildsAreIdenticalAndADumpBuildsTheSameFile) {
    std::string description = std::string(kSample) +
                              "resource 'snd ' 3 \"Caf\xc3\xa9\"\n    u16 1 2\n    i32 -5\n    rect 0 0 10 -20\n"
                              "    pstr \"\xc3\xa9t\xc3\xa9\" cstr \"a\\tb\" hex \"00 ff\"\n"
                              "resource 'snd ' 1\n    pstr.sjis \"\xe6\x97\xa5\xe6\x9c\xac\"\n"
                              "resource 'STR#' 7\n    strlist \"\\x01\" \"q\\\"\"\n";
    WriteAll("all.r", Text(description));
    ASSERT_EQ(RunTool("build all.r a.rsr").status, 0);
    ASSERT_EQ(RunTool("build all.r b.rsr").status, 0);
    EXPECT_EQ(ReadAll("a.rsr"), ReadAll("b.rsr"));
    ToolRun dumped = RunTool("dump a.rsr");
    ASSERT_EQ(dumped.status, 0);
    WriteAll("dumped.r", Text(dumped.out));
    ASSERT_EQ(RunTool("build dumped.r c.rsr").status, 0) << dumped.out;
    EXPECT_EQ(ReadAll("a.rsr"), ReadAll("c.rsr"));

    RawFile raw = ParseFile(ReadAll("a.rsr"));
    ASSERT_TRUE(raw.ok);
    bool sawSound = false;
    for (const RawResource &r : raw.resources) {
        if (r.type != "snd " || r.id != 3) continue;
        sawSound = true;
        EXPECT_EQ(r.name, "Caf\x8e");  // MacRoman
        EXPECT_EQ(r.data, (Bytes{0, 1, 0, 2, 0xFF, 0xFF, 0xFF, 0xFB, 0, 0, 0, 0, 0, 10, 0xFF, 0xEC,
                                 3, 0x8e, 't', 0x8e, 'a', '\t', 'b', 0, 0, 0xFF}));
    }
    EXPECT_TRUE(sawSound);
}

TEST_F(OrvaRsrc, PalettesAreWrittenAsCountAndSixteenByteEntriesAndDumpBack) {
    WriteAll("p.r", Text("resource 'pltt' 128\n    pltt 65535 0 4660\n         0 0 0\n"
                         "resource 'pltt' 5\n    hex \"0009000000000000 0000000000000000\"\n"));
    ASSERT_EQ(RunTool("build p.r p.rsr").status, 0);
    SInt16 ref = OpenResFile("p.rsr");
    ASSERT_GT(ref, 0);
    Bytes expected(16 + 2 * 16, 0);
    expected[1] = 2;
    expected[16] = 0xFF, expected[17] = 0xFF, expected[20] = 0x12, expected[21] = 0x34;
    EXPECT_EQ(HandleBytes(Get1Resource(FourCC("pltt"), 128)), expected);
    // A well-formed palette dumps as pltt; one whose count disagrees with its size as hex.
    ToolRun dumped = RunTool("dump p.rsr");
    ASSERT_EQ(dumped.status, 0);
    EXPECT_NE(dumped.out.find("    pltt\n        65535 0 4660\n        0 0 0\n"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("hex \"0009"), std::string::npos) << dumped.out;
    WriteAll("d.r", Text(dumped.out));
    ASSERT_EQ(RunTool("build d.r d.rsr").status, 0);
    EXPECT_EQ(ReadAll("p.rsr"), ReadAll("d.rsr"));
    for (const char *bad : {"resource 'pltt' 1\n  pltt 1 2\n", "resource 'pltt' 1\n  pltt 1 2 65536\n"}) {
        WriteAll("bad.r", Text(bad));
        ToolRun run = RunTool("build bad.r out.rsr");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind("bad.r:", 0), 0u) << run.err;
    }
}

TEST_F(OrvaRsrc, ErrorsNameTheLineAndWriteNothing) {
    struct Row {
        const char *description;
        const char *message;
    } rows[] = {
        {"resource 'TEXT' 1\n  text \"a\"\n  u16 70000\n", "bad.r:3: "},
        {"resource 'TEXT' 1\n  u8\n  text \"x\"\n", "bad.r:3: "},
        {"resource 'TEX' 1\n", "bad.r:1: "},
        {"# c\nresource 'TEXT' 1\n\n  pstr \"\xe6\x97\xa5\"\n", "bad.r:4: "},
        {"resource 'TEXT' 1\nresource 'TEXT' 1\n", "bad.r:2: "},
        {"resource 'TEXT' 1\n  file \"missing.bin\"\n", "bad.r:2: "},
        {"resource 'TEXT' 1\n  text \"open\n\"\n", "bad.r:2: "},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.description);
        WriteAll("bad.r", Text(row.description));
        ToolRun run = RunTool("build bad.r out.rsr");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind(row.message, 0), 0u) << run.err;
        EXPECT_TRUE(ReadAll("out.rsr").empty());
        EXPECT_EQ(access("out.rsr", F_OK), -1);
    }
    WriteAll("good.r", Text(kSample));
    EXPECT_EQ(RunTool("build good.r missing-folder/out.rsr").status, 1);
    EXPECT_EQ(RunTool("list nothing.rsr").status, 1);
    EXPECT_EQ(RunTool("frobnicate").status, 2);
}

}  // namespace
