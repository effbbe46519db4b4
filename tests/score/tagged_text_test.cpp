// ctest-labels: score-storage
// Tagged text: every writer read back by its reader, in memory and in a file, whatever the
// locale; the radix-64 digits; words passed over; and damaged text failing with one message.
#include <gtest/gtest.h>
#include <clocale>
#include <string>

#include "platform/core/memory.h"
#include "score/tagged_text.h"
#include "support/score/storage_support.h"

namespace {

// Opens text as the tagged text source; the caller closes the answer.
FILE *Source(const std::string &text) {
    std::string path = StoragePath("tags.txt");
    OrvaTestWriteFile(path, text);
    FILE *file = fopen(path.c_str(), "rb");
    TagSetFile(file);
    return file;
}

void Close(FILE *file) {
    TagSetFile(nullptr);
    fclose(file);
}

std::string WriteAll() {
    const UInt8 block[] = {0, 255, 1, 2, 3, 128, 7};
    TagWriteTag("DebutSection");
    TagIncTab();
    TagWriteShortTag("short", -32768);
    TagWriteLongTag("long", 2147483647);
    TagWriteFloatTag("float", -1234.5678f);
    TagWriteFloatTagSiNonVide("skippedFloat", 0);
    TagWriteLongTagSiNonVide("skippedLong", 0);
    TagWriteStringGuillemetTagSiNonVide("skippedString", "");
    TagWriteStringGuillemetTagSiNonVide("string", "say \"hi\" \\ there");
    TagWriteBlockTag("block", block, sizeof block);
    TagWriteTag("raw");
    TagWriteRawBlock(block, 5);
    TagWriteCar('\n');
    TagDecTab();
    TagWriteTag("FinSection");
    Handle h = TagSetMemory(nullptr);
    std::string text(*h, GetHandleSize(h));
    DisposHandle(h);
    return text;
}

struct Values {
    SInt16 s = 0;
    SInt32 l = 0;
    float f = 0;
    char text[64] = "";
    UInt8 block[16] = {};
    SInt32 blockCount = -1;
    UInt8 raw[5] = {};
    int skipped = 0;
};

void ReadValue(const char *word, void *context) {
    Values *v = static_cast<Values *>(context);
    std::string tag = word;
    if (tag == "short") v->s = TagReadShort();
    else if (tag == "long") v->l = TagReadLong();
    else if (tag == "float") v->f = TagReadFloat();
    else if (tag == "string") TagReadStringGuillemet(v->text, sizeof v->text);
    else if (tag == "block") v->blockCount = TagReadBlock(v->block, sizeof v->block);
    else if (tag == "raw") TagReadRawBlock(v->raw, sizeof v->raw);
    else v->skipped++;
}

TEST(TaggedText, EveryWriterIsReadBackByItsReaderInAnyLocale) {
    TraceCatcher traces;
    const char *locale = setlocale(LC_NUMERIC, "de_DE.UTF-8");
    ASSERT_NE(locale, nullptr) << "the de_DE.UTF-8 locale is installed by install-deps";
    TagSetMemory(NewHandle(0));
    std::string text = WriteAll();
    EXPECT_NE(text.find("\tfloat -1234.568\n"), std::string::npos);
    EXPECT_NE(text.find("\tblock 7 "), std::string::npos);
    EXPECT_EQ(text.find("skipped"), std::string::npos);
    FILE *file = Source("#MD5 0123456789abcdef0123456789abcdef\n" + text);
    Values v;
    ASSERT_TRUE(TagWait("DebutSection", nullptr));
    EXPECT_TRUE(TagWaitPtr("FinSection", ReadValue, &v));
    Close(file);
    setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(v.s, -32768);
    EXPECT_EQ(v.l, 2147483647);
    EXPECT_FLOAT_EQ(v.f, -1234.568f);
    EXPECT_STREQ(v.text, "say \"hi\" \\ there");
    EXPECT_EQ(v.blockCount, 7);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(v.block), 7), std::string("\0\xFF\1\2\3\x80\7", 7));
    EXPECT_EQ(std::string(reinterpret_cast<char *>(v.raw), 5), std::string("\0\xFF\1\2\3", 5));
    EXPECT_EQ(v.skipped, 0);
    EXPECT_TRUE(TraceCatcher::Lines().empty());
}

TEST(TaggedText, RadixDigitsFollowTheBitString) {
    struct Row {
        std::string bytes, digits;
    } rows[] = {
        {std::string("\0\xFF", 2), "0Fy"},
        {"", ""},
        {"\xFF", "+m"},
        {std::string("\xFF\xFF\xFF", 3), "++++"},
        {std::string("\1\2\3\4", 4), "0G8310"},  // four bytes take six digits
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.digits);
        std::string digits(size_t(TailleRadix64(SInt64(row.bytes.size()))), '?');
        EncodeRadix64(row.bytes.data(), SInt32(row.bytes.size()), &digits[0]);
        EXPECT_EQ(digits, row.digits);
        FILE *file = Source(digits);
        std::string back(row.bytes.size(), 0);
        EXPECT_TRUE(TagReadRawBlock(&back[0], SInt32(back.size())));
        Close(file);
        EXPECT_EQ(back, row.bytes);
    }
}

TEST(TaggedText, DamagedTextFailsWithOneMessage) {
    struct Row {
        const char *label;
        std::string text;
        int reader;  // 0 long, 1 float, 2 string, 3 block, 4 raw, 5 short
    } rows[] = {
        {"unterminated string", "\"never closed", 2},
        {"string without quotes", "word", 2},
        {"endless digits", std::string(5000, '9'), 0},
        {"NaN", "nan", 1},
        {"infinity", "1e999", 1},
        {"short out of range", "40000", 5},
        {"bad radix digit", "7 00*000000", 3},
        {"block count too large", "99999999999 00", 3},
        {"raw block cut short", "0F", 4},
        {"nothing left", "", 0},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        TraceCatcher traces;
        FILE *file = Source(row.text);
        char text[8];
        UInt8 bytes[8];
        switch (row.reader) {
            case 0: EXPECT_EQ(TagReadLong(), 0); break;
            case 1: EXPECT_EQ(TagReadFloat(), 0.0f); break;
            case 2: EXPECT_FALSE(TagReadStringGuillemet(text, sizeof text)); break;
            case 3: EXPECT_EQ(TagReadBlock(bytes, sizeof bytes), -1); break;
            case 4: EXPECT_FALSE(TagReadRawBlock(bytes, 4)); break;
            default: EXPECT_EQ(TagReadShort(), 0); break;
        }
        Close(file);
        EXPECT_EQ(TraceCatcher::Lines().size(), 1u);
    }
    // A section whose end tag never comes stops at the end of the text.
    FILE *file = Source("DebutParamVoix a 1 b 2");
    Values v;
    EXPECT_FALSE(TagWaitPtr("FinParamVoix", ReadValue, &v));
    EXPECT_EQ(v.skipped, 5);
    Close(file);
}

}  // namespace
