// ctest-labels: resources transfer
// The cursor and pixel-pattern shorthands of the resource compiler: the bytes of a 'CURS', and
// 'ppat' and 'crsr' resources read back through the player's own readers, the dump of all
// three, and the errors of malformed items.
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

#include "graphics/quickdraw/cursors.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "support/graphics/transfer_support.h"
#include "support/resource_test_support.h"
#include "support/tool_support.h"

using namespace restest;

namespace {

struct ToolRun {
    int status;
    std::string out;
};

ToolRun Tool(const std::string &arguments) {
    int status = -1;
    std::string out = RunCommand("'" + ToolPath("orva-rsrc") + "' " + arguments + " 2>&1", &status);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

const char kArt[] =
    "        \"#-.~............\"\n"
    "        \"................\" \"................\" \"................\" \"................\"\n"
    "        \"................\" \"................\" \"................\" \"................\"\n"
    "        \"................\" \"................\" \"................\" \"................\"\n"
    "        \"................\" \"................\" \"..............##\"\n";

std::string Description() {
    return std::string("resource 'CURS' 200\n    curs 3 -4\n") + kArt +
           "resource 'ppat' 201\n    ppat 3 2 2\n        colors 65535 65535 65535  0 0 65535  0 0 0\n"
           "        \"012\" \"210\"\n"
           "resource 'crsr' 202\n    crsr 5 6 1\n" + kArt +
           "        colors 65535 65535 65535 0 0 0\n"
           "        \"1000000000000000\" \"0100000000000000\" \"0010000000000000\" \"0001000000000000\"\n"
           "        \"0000000000000000\" \"0000000000000000\" \"0000000000000000\" \"0000000000000000\"\n"
           "        \"0000000000000000\" \"0000000000000000\" \"0000000000000000\" \"0000000000000000\"\n"
           "        \"0000000000000000\" \"0000000000000000\" \"0000000000000000\" \"0000000000000001\"\n";
}

class OrvaRsrcImages : public ::testing::Test {
protected:
    void SetUp() override { folder = FreshFolder(); }
    void TearDown() override { CloseAllResFiles(); }
    std::string folder;
};

TEST_F(OrvaRsrcImages, ShorthandsReadBackThroughThePlayersReaders) {
    WriteAll("i.r", Text(Description()));
    ToolRun built = Tool("build i.r '" + folder + "/i.rsr'");
    ASSERT_EQ(built.status, 0) << built.out;
    ASSERT_GT(OpenResFile("i.rsr"), 0);

    // 'CURS': image bits of '#' and '~', mask bits of '#' and '-', then the hot spot.
    Bytes curs = HandleBytes(Get1Resource(FourCC("CURS"), 200));
    ASSERT_EQ(curs.size(), 68u);
    EXPECT_EQ(curs[0], 0x90);
    EXPECT_EQ(curs[31], 0x03);
    EXPECT_EQ(curs[32], 0xC0);
    EXPECT_EQ(curs[63], 0x03);
    EXPECT_EQ(Bytes(curs.begin() + 64, curs.end()), (Bytes{0x00, 0x03, 0xFF, 0xFC}));

    PixPatHandle pattern = GetPixPat(201);
    ASSERT_NE(pattern, nullptr);
    const PixMap &map = **(*pattern)->patMap;
    EXPECT_EQ((*pattern)->patType, kPixPatFullColor);
    EXPECT_EQ(map.pixelSize, 2);
    EXPECT_EQ(map.rowBytes, SInt16(0x8002));
    EXPECT_EQ(map.bounds.right, 3);
    EXPECT_EQ(map.bounds.bottom, 2);
    ASSERT_EQ((*map.pmTable)->ctSize, 2);
    EXPECT_EQ((*map.pmTable)->ctTable[1].rgb.blue, 0xFFFF);
    EXPECT_EQ(HandleBytes((*pattern)->patData), (Bytes{0x18, 0x00, 0x90, 0x00}));
    // Blue and black are darker than mid-gray: x.1 and 1.0 tiled over 8 x 8.
    EXPECT_EQ((*pattern)->pat1Data.pat[0], 0x6D);
    EXPECT_EQ((*pattern)->pat1Data.pat[1], 0xDB);
    DisposePixPat(pattern);

    CCrsrHandle cursor = GetCCursor(202);
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ((*cursor)->crsrType, SInt16(0x8001));
    EXPECT_EQ((*cursor)->crsrHotSpot.v, 5);
    EXPECT_EQ((*cursor)->crsrHotSpot.h, 6);
    EXPECT_EQ((*cursor)->crsr1Data[0], 0x9000);
    EXPECT_EQ((*cursor)->crsrMask[0], 0xC000);
    EXPECT_EQ((*cursor)->crsrMask[15], 0x0003);
    const PixMap &cmap = **(*cursor)->crsrMap;
    EXPECT_EQ(cmap.pixelSize, 1);
    EXPECT_EQ((*cursor)->crsrXHandle, 32);
    const UInt8 *pixels = (const UInt8 *)cmap.baseAddr;
    EXPECT_EQ(pixels[0], 0x80);
    EXPECT_EQ(pixels[2], 0x40);
    EXPECT_EQ(pixels[31], 0x01);
    EXPECT_EQ(SInt32((*cursor)->crsrID >> 16), 202);
    DisposeCCursor(cursor);
}

TEST_F(OrvaRsrcImages, DumpWritesTheShorthandsBack) {
    WriteAll("i.r", Text(Description()));
    ASSERT_EQ(Tool("build i.r '" + folder + "/a.rsr'").status, 0);
    ToolRun dumped = Tool("dump '" + folder + "/a.rsr'");
    ASSERT_EQ(dumped.status, 0);
    EXPECT_NE(dumped.out.find("    curs 3 -4\n"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("    ppat 3 2 2\n"), std::string::npos) << dumped.out;
    EXPECT_NE(dumped.out.find("    crsr 5 6 1\n"), std::string::npos) << dumped.out;
    WriteAll("d.r", Text(dumped.out));
    ASSERT_EQ(Tool("build d.r '" + folder + "/b.rsr'").status, 0);
    EXPECT_EQ(ReadAll(folder + "/a.rsr"), ReadAll(folder + "/b.rsr"));
    // A resource the shorthand would not lay out the same way stays hex.
    WriteAll("h.r", Text("resource 'CURS' 1\n    hex \"00\"\n"));
    ASSERT_EQ(Tool("build h.r '" + folder + "/h.rsr'").status, 0);
    EXPECT_NE(Tool("dump '" + folder + "/h.rsr'").out.find("hex \"00\""), std::string::npos);
}

TEST_F(OrvaRsrcImages, MalformedItemsNameTheirLine) {
    struct Row {
        const char *text;
        const char *message;
    };
    const Row rows[] = {
        {"resource 'CURS' 1\n    curs 0 0 \"x\"\n", "i.r:2: a cursor needs 16 rows of 16 characters"},
        {"resource 'CURS' 1\n    curs 0\n", "i.r:3: curs needs the hot spot: v h"},
        {"resource 'ppat' 1\n    ppat 2 1 3 colors 0 0 0 \"00\"\n", "i.r:2: bits a pixel must be 1, 2, 4 or 8"},
        {"resource 'ppat' 1\n    ppat 2 1 1 colors 0 0 0 \"01\"\n", "i.r:2: a pixel is not the index of a colour"},
        {"resource 'ppat' 1\n    ppat 2 1 1 \"01\"\n", "i.r:2: expected colors: red green blue of each entry"},
        {"resource 'ppat' 1\n    ppat 2 2 1 colors 0 0 0 \"00\"\n", "i.r:2: one string of pixels a row is needed"},
        {"resource 'crsr' 1\n    crsr 0 0 1 colors 0 0 0\n", "i.r:2: a cursor needs 16 rows of 16 characters"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        WriteAll("i.r", Text(row.text));
        ToolRun run = Tool("build i.r '" + folder + "/e.rsr'");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, std::string(row.message) + "\n");
    }
}

}  // namespace
