// ctest-labels: toolbox-core
// String objects: text in every accepted encoding, invalid UTF-8, buffers too small, unknown
// encodings and the owner count.
#include "platform/core/cf_strings.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::string Out(CFStringRef s, CFStringEncoding encoding, CFIndex size = 256, bool *done = nullptr) {
    char buffer[256];
    memset(buffer, 0x55, sizeof buffer);
    bool ok = CFStringGetCString(s, buffer, size, encoding);
    if (done) *done = ok;
    return ok ? std::string(buffer) : std::string();
}

TEST(CFStrings, CafeGoesThroughEveryEncoding) {
    struct Row {
        const char *label;
        CFStringEncoding encoding;
        const char *bytes;
    } rows[] = {
        {"UTF-8", kCFStringEncodingUTF8, "caf\xc3\xa9"},
        {"MacRoman", kCFStringEncodingMacRoman, "caf\x8e"},
        {"Windows-1252", kCFStringEncodingWindowsLatin1, "caf\xe9"},
    };
    CFStringRef cafe = CFStringCreateWithCString(nullptr, "caf\xc3\xa9", kCFStringEncodingUTF8);
    ASSERT_NE(cafe, nullptr);
    EXPECT_EQ(CFStringGetLength(cafe), 4);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Out(cafe, row.encoding), row.bytes);
        CFStringRef back = CFStringCreateWithCString(nullptr, row.bytes, row.encoding);
        EXPECT_EQ(Out(back, kCFStringEncodingUTF8), "caf\xc3\xa9");
        CFRelease(back);
    }
    CFRelease(cafe);
}

TEST(CFStrings, ShiftJisAndUtf16RoundTrip) {
    const char nihon[] = "\x93\xfa\x96\x7b";  // 日本
    CFStringRef s = CFStringCreateWithCString(nullptr, nihon, kCFStringEncodingShiftJIS);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Out(s, kCFStringEncodingUTF8), "\xe6\x97\xa5\xe6\x9c\xac");
    EXPECT_EQ(Out(s, kCFStringEncodingMacJapanese), nihon);
    UniChar units[3] = {0, 0, 0xFFFF};
    char *wide = reinterpret_cast<char *>(units);
    ASSERT_TRUE(CFStringGetCString(s, wide, 6, kCFStringEncodingUnicode));
    EXPECT_EQ(units[0], 0x65E5);
    EXPECT_EQ(units[1], 0x672C);
    EXPECT_EQ(units[2], 0);
    CFRelease(s);
}

TEST(CFStrings, TooSmallBuffersAnswerFalseAndWriteNothingPast) {
    CFStringRef cafe = CFStringCreateWithCString(nullptr, "caf\xc3\xa9", kCFStringEncodingUTF8);
    char buffer[8];
    for (CFIndex size : {1, 4}) {
        SCOPED_TRACE(size);
        memset(buffer, 0x55, sizeof buffer);
        EXPECT_FALSE(CFStringGetCString(cafe, buffer, size, kCFStringEncodingMacRoman));
        EXPECT_EQ(buffer[0], 0);  // an empty string where one fits
        for (CFIndex i = size; i < 8; i++) EXPECT_EQ(buffer[i], 0x55) << i;
    }
    EXPECT_TRUE(CFStringGetCString(cafe, buffer, 5, kCFStringEncodingMacRoman));
    EXPECT_FALSE(CFStringGetCString(cafe, buffer, 0, kCFStringEncodingMacRoman));
    CFRelease(cafe);
}

TEST(CFStrings, InvalidUtf8BecomesReplacementCharacters) {
    CFStringRef s = CFStringCreateWithCString(nullptr, "a\xff" "b\xc3", kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    UniChar units[4];
    ASSERT_EQ(CFStringGetLength(s), 4);
    CFStringGetCharacters(s, 0, 4, units);
    EXPECT_EQ(units[0], 'a');
    EXPECT_EQ(units[1], 0xFFFD);
    EXPECT_EQ(units[2], 'b');
    EXPECT_EQ(units[3], 0xFFFD);
    CFRelease(s);
}

TEST(CFStrings, UnknownEncodingsMakeNothing) {
    EXPECT_EQ(CFStringCreateWithCString(nullptr, "x", 0x1234), nullptr);
    EXPECT_EQ(CFStringCreateWithCString(nullptr, nullptr, kCFStringEncodingUTF8), nullptr);
    EXPECT_EQ(CFStringCreateWithCharacters(nullptr, nullptr, -1), nullptr);
    CFStringRef s = CFStringCreateWithCString(nullptr, "x", kCFStringEncodingUTF8);
    char buffer[8];
    EXPECT_FALSE(CFStringGetCString(s, buffer, 8, 0x1234));
    CFRelease(s);
    int foreign = 0;
    EXPECT_EQ(CFStringGetLength(reinterpret_cast<CFStringRef>(&foreign)), 0);
}

TEST(CFStrings, TheLastOwnerFreesTheString) {
    const UniChar text[] = {'h', 'i'};
    CFStringRef s = CFStringCreateWithCharacters(nullptr, text, 2);
    EXPECT_EQ(OrvaCFStringRetainCount(s), 1);
    EXPECT_EQ(CFRetain(s), s);
    EXPECT_EQ(OrvaCFStringRetainCount(s), 2);
    CFRelease(s);
    EXPECT_EQ(Out(s, kCFStringEncodingUTF8), "hi");
    CFRelease(s);  // freed now; the sanitizer build sees any leak or second free
    CFRelease(nullptr);
}

}  // namespace
