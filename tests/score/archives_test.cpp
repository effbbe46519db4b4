// ctest-labels: score-storage
// Archives made by the system's zip tool: the directory as GetInfoArq gives it, a member taken
// out byte for byte, a native score loaded from one with the archive still current, and
// damaged or hostile containers refused with one message.
#include <gtest/gtest.h>
#include <minizip/zip.h>
#include <string>
#include <unistd.h>

#include "platform/core/memory.h"
#include "score/archives.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_formats.h"
#include "support/score/storage_support.h"
#include "support/tool_support.h"

namespace {

struct ArchiveFixture : testing::Test {
    std::string folder = StoragePath("arq");
    std::string archive = folder + "/t.arq";
    std::string xml = "<?xml version=\"1.0\"?>\n<score-partwise/>\n";
    std::string abc = "X:1\nT:Tune\nK:C\nCDEF|\n";
    std::string oms;

    void SetUp() override {
        FixePrefStd();
        EnregistreFormatsStockage();
        int status = -1;
        RunCommand("mkdir -p " + folder + "/sub", &status);
        RunCommand(ToolPath("omscore") + " --demo chords --lzw --save " + folder + "/a.oms", &status);
        ASSERT_EQ(status, 0);
        oms = OrvaTestReadFile(folder + "/a.oms");
        ASSERT_TRUE(OrvaTestWriteFile(folder + "/sub/b.xml", xml));
        ASSERT_TRUE(OrvaTestWriteFile(folder + "/c.abc", abc));
        RunCommand("cd " + folder + " && rm -f t.arq && zip -q t.arq a.oms sub sub/b.xml c.abc", &status);
        ASSERT_EQ(status, 0);
    }
    void TearDown() override { OublieFormatsPartition(); }
};

TEST_F(ArchiveFixture, DirectoryMembersAndLoadingFollowTheContainer) {
    TraceCatcher traces;
    ASSERT_TRUE(OpenForReading(archive));
    ASSERT_TRUE(BeginSeekArq());
    struct Row {
        const char *name;
        size_t size;
    } rows[] = {{"a.oms", oms.size()}, {"b.xml", xml.size()}, {"c.abc", abc.size()}};
    for (SInt16 i = 0; i < 3; i++) {
        ArqEntry entry;
        ASSERT_TRUE(GetInfoArq(i, &entry));
        EXPECT_STREQ(entry.name, rows[i].name);
        EXPECT_EQ(entry.size, rows[i].size);
    }
    ArqEntry entry;
    EXPECT_FALSE(GetInfoArq(3, &entry));
    EndSeekArq();
    std::string out = StoragePath("b_out.xml");
    ASSERT_TRUE(ExtraitFichierArq(1, out.c_str()));
    int status = -1;
    RunCommand("cmp -s " + out + " " + folder + "/sub/b.xml", &status);
    EXPECT_EQ(status, 0);

    DocumentRecord *document = NouveauDocumentTest();
    ASSERT_TRUE(ChargeMusiqueArq(document, 0));
    EXPECT_EQ((*document->score)->staffCount, 1);
    EXPECT_EQ((*GetPortee(document->score, 0))->noteCount, 5);
    // The archive is still the current file and reads as before.
    EXPECT_TRUE(IsFichierCourantOuvert());
    EXPECT_EQ(gFluxOctets.name, archive);
    ASSERT_TRUE(BeginSeekArq());
    ASSERT_TRUE(GetInfoArq(2, &entry));
    EXPECT_STREQ(entry.name, "c.abc");
    EndSeekArq();
    CloseFile();
    LibereDocumentTest(&document);
    EXPECT_TRUE(TraceCatcher::Lines().empty());
}

// Loads through the native row, remembering the path it was given.
std::string &LoadedPath() {
    static std::string path;
    return path;
}
Boolean SpyLoad(DocumentRecord *document, const char *path, SInt16 element) {
    LoadedPath() = path;
    return kFormatNatif.load(document, path, element);
}

TEST_F(ArchiveFixture, MemberNamesNeverBecomePaths) {
    std::string hostile = StoragePath("hostile.arq");
    zipFile zip = zipOpen64(hostile.c_str(), APPEND_STATUS_CREATE);
    ASSERT_NE(zip, nullptr);
    zip_fileinfo info = {};
    ASSERT_EQ(zipOpenNewFileInZip64(zip, "../../x.oms", &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 6, 0), ZIP_OK);
    zipWriteInFileInZip(zip, oms.data(), unsigned(oms.size()));
    zipCloseFileInZip(zip);
    zipClose(zip, nullptr);
    ScoreFormatOps spy = kFormatNatif;
    spy.load = SpyLoad;
    EnregistreFormatPartition(&spy);
    DocumentRecord *document = NouveauDocumentTest();
    ASSERT_TRUE(OpenForReading(hostile));
    EXPECT_TRUE(ChargeMusiqueArq(document, 0));
    CloseFile();
    std::string leaf = LoadedPath().substr(LoadedPath().rfind('/') + 1);
    EXPECT_EQ(leaf.substr(0, 5), "orva-");
    EXPECT_EQ(leaf.substr(leaf.size() - 4), ".oms");
    EXPECT_EQ(LoadedPath().find(".."), std::string::npos);
    EXPECT_NE(access(LoadedPath().c_str(), F_OK), 0);  // removed after loading
    LibereDocumentTest(&document);
}

TEST_F(ArchiveFixture, DamagedContainersFailWithOneMessage) {
    std::string good = OrvaTestReadFile(archive);
    size_t central = good.find("PK\1\2");
    ASSERT_NE(central, std::string::npos);
    size_t stored = good.find("<score");  // b.xml is too small to deflate: its bytes stand in the file
    ASSERT_NE(stored, std::string::npos);
    std::string badCrc = good;
    badCrc[stored] ^= 0x20;
    std::string tooLarge = good;
    tooLarge.replace(central + 24, 4, std::string("\0\0\0\x20", 4));  // a.oms said to be 512 MiB
    struct Row {
        const char *label;
        std::string bytes;
        SInt16 member;
        bool opens;
    } rows[] = {
        {"directory cut", good.substr(0, good.size() - 30), 0, false},
        {"not a zip", "plain text, not an archive at all", 0, false},
        {"bad CRC", badCrc, 1, true},
        {"member above the limit", tooLarge, 0, true},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TraceCatcher traces;
        std::string path = StoragePath("damaged.arq"), out = StoragePath("member.out");
        ASSERT_TRUE(OrvaTestWriteFile(path, row.bytes));
        ASSERT_TRUE(OpenForReading(path));
        EXPECT_EQ(BeginSeekArq(), row.opens);
        EndSeekArq();
        EXPECT_FALSE(ExtraitFichierArq(row.member, out.c_str()));
        EXPECT_TRUE(OrvaTestReadFile(out).empty());
        CloseFile();
        EXPECT_EQ(TraceCatcher::Lines().size(), row.opens ? 1u : 2u);  // the directory is asked for twice
    }
}

}  // namespace
