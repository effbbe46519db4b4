// ctest-labels: score-storage
// Native score files: what omscore saves it loads back to the same dump, coded or not; files of
// other layouts and newer versions are refused as they should be; damaged files fail with one
// message and leave nothing in the document; the singer's block rides inside each staff.
#include <gtest/gtest.h>
#include <string>

#include "platform/core/memory.h"
#include "score/native_score.h"
#include "score/preferences.h"
#include "score/score_hooks.h"
#include "support/score/storage_support.h"
#include "support/tool_support.h"

namespace {

std::string Dump(DocumentRecord *document) { return DescriptionPartition(document->score); }

std::string Save(DocumentRecord *document, bool lzw) {
    std::string path = StoragePath("saved.oms");
    EXPECT_TRUE(CadenzoOpenFile(path.c_str(), "wb"));
    EXPECT_TRUE(SauveMusiqueStandard(document, lzw));
    EXPECT_TRUE(CloseFile());
    return OrvaTestReadFile(path);
}

// Loads bytes into a fresh document; the caller frees it with LibereDocumentTest.
DocumentRecord *Load(const std::string &bytes, bool *ok) {
    std::string path = StoragePath("loaded.oms");
    OrvaTestWriteFile(path, bytes);
    DocumentRecord *document = NouveauDocumentTest();
    EXPECT_TRUE(OpenForReading(path));
    *ok = ChargeMusiqueStandard(document);
    CloseFile();
    return document;
}

std::string Be32(UInt32 v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

// Where each chunk of an uncoded file starts: tag, offset of its data, length.
struct Chunk {
    std::string tag;
    size_t data;
    UInt32 length;
};
std::vector<Chunk> Chunks(const std::string &file) {
    std::vector<Chunk> chunks;
    for (size_t at = 16; at + 8 <= file.size();) {
        ByteReader r = OrvaByteReader(file.data() + at, 8);
        UInt32 tag = Get32(&r), length = Get32(&r);
        chunks.push_back({file.substr(at, 4), at + 8, length});
        if (tag == FourCC("FIN ")) break;
        at += 8 + length;
    }
    return chunks;
}

TEST(NativeScore, OmscoreSavesWhatItLoadsBack) {
    std::string tool = ToolPath("omscore");
    std::string file = StoragePath("c.oms");
    for (const char *demo : {"chords", "long"}) {
        for (const char *coding : {"", " --lzw"}) {
            SCOPED_TRACE(std::string(demo) + coding);
            int status = -1;
            RunCommand(tool + " --demo " + demo + " --save " + file + coding, &status);
            ASSERT_EQ(status, 0);
            std::string loaded = RunCommand(tool + " --load " + file + " --dump", &status);
            EXPECT_EQ(status, 0);
            EXPECT_EQ(loaded, RunCommand(tool + " --demo " + demo + " --dump", &status));
            EXPECT_GT(loaded.size(), 100u);
        }
    }
    int status = -1;
    RunCommand(tool + " --demo chords --save " + file, &status);
    EXPECT_EQ(RunCommand("xxd -p -l 12 " + file, &status), "5a49444f4f4d503100000898\n");
}

TEST(NativeScore, OtherLayoutsAndNewerVersionsAreRefused) {
    FixePrefStd();
    struct Row {
        const char *label;
        std::string header;
        const char *trace;
        size_t notices;
    } rows[] = {
        {"ZIDO of another program", "ZIDO" + Be32(0x00010203) + Be32(2200) + Be32(0), "unsupported native layout", 0},
        {"EXPO of another program", "EXPO" + std::string(12, '\0'), "unsupported native layout", 0},
        {"unknown flags", "ZIDOOMP1" + Be32(2200) + Be32(2), "unsupported native layout", 0},
        {"newer version", "ZIDOOMP1" + Be32(9999) + Be32(0), "version 9999", 1},
        {"not a score", "RIFF" + std::string(12, '\0'), "not a native score", 0},
        {"too short", "ZIDO", "too short", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TraceCatcher traces;
        bool ok = true;
        DocumentRecord *document = Load(row.header + std::string(8, '\0'), &ok);
        EXPECT_FALSE(ok);
        EXPECT_EQ(document->scoreCount, 0);
        EXPECT_EQ(TraceCatcher::Count(row.trace), 1u);
        EXPECT_EQ(TraceCatcher::Notices().size(), row.notices);
        if (row.notices) {
            EXPECT_EQ(TraceCatcher::Notices()[0], kAvertissementNouvelleVersion);
        }
        EXPECT_EQ(document->newVersion, row.notices);
        LibereDocumentTest(&document);
    }
    // The old magic with our marker reads like the new one.
    DocumentRecord *demo = DocumentDeTest(4, 2);
    std::string file = Save(demo, false);
    bool ok = false;
    DocumentRecord *back = Load("EXPO" + file.substr(4), &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Dump(back), Dump(demo));
    LibereDocumentTest(&back);
    LibereDocumentTest(&demo);
}

TEST(NativeScore, DamagedFilesFailOnceAndLeaveNothing) {
    DocumentRecord *demo = DocumentDeTest(2, 1);
    std::string file = Save(demo, false);
    std::string coded = Save(demo, true);
    const size_t notes = size_t((*GetPortee(demo->score, 0))->noteCount) * 34;  // the notes end the staff's part
    LibereDocumentTest(&demo);
    std::vector<Chunk> chunks = Chunks(file);
    ASSERT_EQ(chunks.size(), 7u);  // document, score, instruments, measures, one staff, groups, end
    const Chunk &measures = chunks[3], &staff = chunks[4];
    ASSERT_EQ(measures.tag, "MESU");
    std::string unknown = "ZZZZ" + Be32(5) + "12345";
    struct Row {
        const char *label;
        std::string file;
        bool loads;
    } rows[] = {
        {"whole", file, true},
        {"unknown chunk passed over", file.substr(0, staff.data - 8) + unknown + file.substr(staff.data - 8), true},
        {"cut in the notes", file.substr(0, staff.data + staff.length / 2), false},
        {"cut before the end chunk", file.substr(0, file.size() - 8), false},
        {"length past the end", file.substr(0, staff.data - 4) + Be32(0x7FFFFFF0) + file.substr(staff.data), false},
        {"measure count beyond the limit", file.substr(0, measures.data) + Be32(40000) + file.substr(measures.data + 4), false},
        {"note count beyond the limit", file.substr(0, staff.data + staff.length - 1 - notes - 4) + Be32(2000000) +
                                            file.substr(staff.data + staff.length - 1 - notes), false},
        {"repeated score chunk", file.substr(0, chunks[2].data - 8) + file.substr(chunks[1].data - 8), false},
        {"coded, cut short", coded.substr(0, coded.size() - 20), false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TraceCatcher traces;
        bool ok = !row.loads;
        DocumentRecord *document = Load(row.file, &ok);
        EXPECT_EQ(ok, row.loads);
        EXPECT_EQ(document->scoreCount, row.loads ? 1 : 0);
        EXPECT_EQ(TraceCatcher::Lines().size(), row.loads ? 0u : 1u);
        LibereDocumentTest(&document);
    }
}

// A singer that writes a block holding a raw run inside the coded body, as voice spectra are.
struct SingerBlock {
    static std::vector<UInt32> &Versions() {
        static std::vector<UInt32> versions;
        return versions;
    }
    static void Write(StaffHandle staff) {
        WriteCar(1);
        WriteShort((*staff)->volume);
        Boolean coding = SetLZWMode(kFalse);
        WriteLong(4);
        WriteBlock("RAW!", 4);
        SetLZWMode(coding);
        WriteShort(-7);
    }
    static void Read(StaffHandle staff, UInt32 version) {
        Versions().push_back(version);
        char raw[5] = {};
        EXPECT_EQ(ReadCar(), 1);
        EXPECT_EQ(ReadShort(), (*staff)->volume);
        Boolean coding = SetLZWMode(kFalse);
        EXPECT_EQ(ReadLong(), 4);
        ReadBlock(raw, 4);
        SetLZWMode(coding);
        EXPECT_STREQ(raw, "RAW!");
        EXPECT_EQ(ReadShort(), -7);
    }
};

TEST(NativeScore, SingingBlocksRideInsideTheirStaves) {
    FixePrefStd();
    TraceCatcher traces;
    ScoreSingerHooks hooks = {};
    hooks.readParams = SingerBlock::Read;
    hooks.writeParams = SingerBlock::Write;
    OrvaSetScoreSingerHooks(&hooks);
    DocumentRecord *demo = DocumentDeTest(200, 8);
    for (bool lzw : {false, true}) {
        SCOPED_TRACE(lzw);
        SingerBlock::Versions().clear();
        std::string file = Save(demo, lzw);
        EXPECT_EQ(file.find("RAW!") != std::string::npos, true);
        bool ok = false;
        DocumentRecord *back = Load(file, &ok);
        EXPECT_TRUE(ok);
        EXPECT_EQ(SingerBlock::Versions(), std::vector<UInt32>(8, kNatifVersion));
        EXPECT_EQ(Dump(back), Dump(demo));
        LibereDocumentTest(&back);
    }
    // Without the singer the blocks are passed over by their staves' lengths.
    OrvaSetScoreSingerHooks(nullptr);
    bool ok = false;
    DocumentRecord *back = Load(Save(demo, false), &ok);
    EXPECT_TRUE(ok);
    LibereDocumentTest(&back);
    LibereDocumentTest(&demo);
    EXPECT_TRUE(TraceCatcher::Lines().empty());
}

}  // namespace
