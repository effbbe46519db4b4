// ctest-labels: score-storage
// The byte stream: big-endian values, strings, the memory writer, the byte given back, and
// LZW segments written and read back through files, whole or switched on and off mid-file,
// with damaged and unended segments failing once and cleanly.
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "platform/core/memory.h"
#include "support/score/storage_support.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, 0);
    for (char &c : bytes) c = char(random());
    return bytes;
}

// Text with the repetitions of a score file: tags, numbers and words.
std::string Text(size_t n) {
    std::string text;
    for (int i = 0; text.size() < n; i++)
        text += "<note default-x=\"" + std::to_string(i % 97 * 13) + "\"><pitch><step>" + "CDEFGAB"[i % 7] +
                "</step><octave>" + std::to_string(3 + i % 3) + "</octave></pitch></note>\n";
    text.resize(n);
    return text;
}

// Writes bytes with coding on (whole file) and reads them back the same way.
void RoundTrip(const std::string &bytes, const std::string &path) {
    ASSERT_TRUE(CadenzoOpenFile(path.c_str(), "wb"));
    SetLZWMode(kTrue);
    ASSERT_TRUE(WriteBlock(bytes.data(), SInt32(bytes.size())));
    ASSERT_TRUE(CloseFile());
    ASSERT_TRUE(OpenForReading(path));
    SetLZWMode(kTrue);
    std::string back(bytes.size(), 0);
    EXPECT_TRUE(ReadBlock(&back[0], SInt32(back.size())));
    EXPECT_TRUE(EndOfFile());
    SetLZWMode(kFalse);
    CloseFile();
    EXPECT_TRUE(back == bytes);
}

// The dictionary clears a coded file holds.
UInt32 Clears(const std::string &path) {
    std::string coded = OrvaTestReadFile(path);
    ByteReader in = OrvaByteReader(coded.data(), coded.size());
    LzwEntree input = {&in, nullptr, nullptr};
    LzwDecodeur decoder;
    InitDecodeurLzw(&decoder);
    std::string out(kTamponDecodage, 0);
    while (DecodeLzw(&decoder, &input, reinterpret_cast<UInt8 *>(&out[0]), out.size()) > 0) {}
    EXPECT_EQ(decoder.state, kLzwTermine);
    return decoder.clears;
}

TEST(ByteStream, LzwRoundTripsEveryKindOfInput) {
    TraceCatcher traces;
    std::string path = StoragePath("lzw.bin");
    const size_t mib = 1 << 20;
    struct Row {
        const char *label;
        std::string bytes;
        UInt32 minimumClears;
    } rows[] = {
        {"empty", "", 0},
        {"one byte", "A", 0},
        {"random", RandomBytes(mib, 1), 20},
        {"text", Text(mib), 0},
        {"fills the dictionary 20 times", RandomBytes(95000, 2), 20},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        RoundTrip(row.bytes, path);
        EXPECT_GE(Clears(path), row.minimumClears);
    }
    EXPECT_LT(OrvaTestReadFile(path).size(), 95000u * 13 / 8);
    EXPECT_TRUE(TraceCatcher::Lines().empty());
}

TEST(ByteStream, CodingSwitchedMidFileReadsTheSameValues) {
    TraceCatcher traces;
    std::string path = StoragePath("switch.bin");
    const char raw[] = "raw block";
    ASSERT_TRUE(CadenzoOpenFile(path.c_str(), "wb"));
    WriteLong(0x12345678);
    SetLZWMode(kTrue);
    for (SInt16 i = 0; i < 500; i++) WriteShort(SInt16(i * 7));
    WriteString("coded string");
    EXPECT_TRUE(SetLZWMode(kFalse));
    WriteBlock(raw, sizeof raw);
    SetLZWMode(kTrue);
    WriteFloat(-2.5f);
    WriteCar(200);
    ASSERT_TRUE(CloseFile());
    // The raw block stands in the file as it was written.
    EXPECT_NE(OrvaTestReadFile(path).find(std::string(raw, sizeof raw)), std::string::npos);

    ASSERT_TRUE(OpenForReading(path));
    EXPECT_EQ(ReadLong(), 0x12345678);
    SetLZWMode(kTrue);
    for (SInt16 i = 0; i < 500; i++) ASSERT_EQ(ReadShort(), SInt16(i * 7));
    char text[32];
    EXPECT_TRUE(ReadString(text, sizeof text));
    EXPECT_STREQ(text, "coded string");
    SetLZWMode(kFalse);
    char back[sizeof raw];
    EXPECT_TRUE(ReadBlock(back, sizeof back));
    EXPECT_STREQ(back, raw);
    SetLZWMode(kTrue);
    EXPECT_EQ(ReadFloat(), -2.5f);
    EXPECT_EQ(ReadCar(), 200);
    EXPECT_EQ(ReadCar(), -1);
    SetLZWMode(kFalse);
    CloseFile();
    EXPECT_TRUE(TraceCatcher::Lines().empty());
}

TEST(ByteStream, DamagedOrUnendedSegmentsWarnOnceThenEnd) {
    std::string path = StoragePath("damaged.bin");
    std::string bytes = RandomBytes(200000, 3);
    RoundTrip(bytes, path);
    std::string coded = OrvaTestReadFile(path);
    struct Row {
        const char *label;
        std::string file;
    } rows[] = {
        {"code beyond the dictionary", coded.substr(0, 10) + std::string(4, '\xFF') + coded.substr(14)},
        {"cut before the end code", coded.substr(0, coded.size() / 2)},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TraceCatcher traces;
        ASSERT_TRUE(OrvaTestWriteFile(path, row.file));
        ASSERT_TRUE(OpenForReading(path));
        SetLZWMode(kTrue);
        std::string back(bytes.size(), 0);
        EXPECT_FALSE(ReadBlock(&back[0], SInt32(back.size())));
        EXPECT_TRUE(EndOfFile());
        EXPECT_EQ(ReadCar(), -1);
        SetLZWMode(kFalse);
        EXPECT_EQ(ReadCar(), -1);  // the raw bytes after a fault are not read either
        CloseFile();
        EXPECT_EQ(TraceCatcher::Count("LZW"), 1u);
        // What came before the fault was decoded as written.
        EXPECT_EQ(back.substr(0, 8), bytes.substr(0, 8));
    }
}

TEST(ByteStream, ReadersTakeBigEndianValuesAndBoundedStrings) {
    TraceCatcher traces;
    std::string path = StoragePath("values.bin");
    std::string twenty = "abcdefghijklmnopqrst";
    ASSERT_TRUE(OrvaTestWriteFile(path, std::string("\xFF\xFE", 2) + char(20) + twenty + "\x01\x02" + "Z"));
    ASSERT_TRUE(OpenForReading(path));
    EXPECT_EQ(ReadShort(), -2);
    char eight[8];
    EXPECT_TRUE(ReadString(eight, sizeof eight));
    EXPECT_STREQ(eight, "abcdefg");
    EXPECT_EQ(PositionLectureFichier(), 23);
    EXPECT_EQ(ReadCar(), 1);
    UnGetCar('x');
    UnGetCar('y');  // one byte is kept: the last given
    EXPECT_EQ(PositionLectureFichier(), 23);
    EXPECT_EQ(ReadCar(), 'y');
    EXPECT_EQ(ReadCar(), 2);
    char tail[4] = {9, 9, 9, 9};
    EXPECT_FALSE(ReadBlock(tail, 4));  // one byte left: the rest zero-filled
    EXPECT_EQ(tail[0], 'Z');
    EXPECT_EQ(tail[3], 0);
    EXPECT_TRUE(EndOfFile());
    // Opening another file closes this one, with a trace line.
    ASSERT_TRUE(OpenForReading(path));
    EXPECT_EQ(TraceCatcher::Count("was still open"), 1u);
    CloseFile();
}

TEST(ByteStream, MemoryWriterGivesAHandleOfTheWrittenSize) {
    Handle h = NewHandle(4096);
    FixeEcritureSurHandle(h);
    for (SInt32 i = 0; i < 1000; i++) WriteLong(i);
    WriteString("end");
    Handle back = TermineEcritureSurHandle();
    ASSERT_EQ(back, h);
    ASSERT_EQ(GetHandleSize(h), 4004u);
    ByteReader r = OrvaByteReader(*h, GetHandleSize(h));
    Skip(&r, 999 * 4);
    EXPECT_EQ(Get32(&r), 999u);
    EXPECT_EQ(Get8(&r), 3u);
    EXPECT_FALSE(TermineEcritureSurHandle());
    DisposHandle(h);
}

}  // namespace
