// ctest-labels: staffobjects
// Styled strings: building, cutting, inserting and deleting styled text, checked against a plain
// model of bytes and their styles, and hostile offsets and bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/core/memory.h"
#include "staffobjects/styled_strings.h"

namespace {

TextStyleRecord Style(SInt16 font, SInt16 size) { return TextStyleRecord{font, 128, size, {0, 0, 0}}; }

// The model: the text and, per byte, the size of its style (0 the default).
struct Model {
    std::string text;
    std::vector<SInt16> sizes;
};

std::string Plain(StyledStringHandle s) {
    std::vector<char> buffer(size_t(GetStrlenBrutTexteStyle(s)) + 1);
    GetTexteBrutTexteStyle(s, buffer.data(), SInt32(buffer.size()));
    return buffer.data();
}

std::vector<SInt16> Sizes(StyledStringHandle s) {
    std::vector<SInt16> sizes;
    for (SInt32 i = 0; i < GetStrlenBrutTexteStyle(s); i++) {
        TextStyleRecord style;
        EXPECT_TRUE(GetStyleChaineStyle(s, i, &style));
        sizes.push_back(style.size);
    }
    return sizes;
}

SInt32 Boundary(const std::string &text, SInt32 offset) {
    if (offset < 0) return 0;
    if (offset >= SInt32(text.size())) return SInt32(text.size());
    while (offset > 0 && (UInt8(text[size_t(offset)]) & 0xC0) == 0x80) offset--;
    return offset;
}

TEST(StyledStrings, TextAndRunsReadBack) {
    TextStyleRecord big = Style(20, 14);
    StyledStringHandle s = CreeChaineStyle("chant", -1, &big);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(GetStrlenBrutTexteStyle(s), 5);
    EXPECT_EQ(Plain(s), "chant");
    StyledStringHandle plain = CreeChaineStyle(" fort", -1, nullptr);
    ASSERT_EQ(InsereSousChaineStyle(s, 99, plain), noErr);  // past the end: appended
    EXPECT_EQ(Plain(s), "chant fort");
    // Plain text continues the style before it.
    EXPECT_EQ(Sizes(s), std::vector<SInt16>(10, 14));
    StyledStringHandle part = ExtraitSousChaineStyle(s, 2, 7);
    EXPECT_EQ(Plain(part), "ant f");
    EXPECT_EQ(SupprimeSousChaineStyle(s, -5, 6), noErr);
    EXPECT_EQ(Plain(s), "fort");
    EXPECT_TRUE(IsChaineStyleValide(s));
    DisposeChaineStyle(&s);
    DisposeChaineStyle(&plain);
    DisposeChaineStyle(&part);
    EXPECT_EQ(s, nullptr);
}

TEST(StyledStrings, OffsetsInsideACharacterMoveToItsStartAndBadBytesBecomeQuestionMarks) {
    StyledStringHandle s = CreeChaineStyle("\xC3\xA9t\xC3\xA9", -1, nullptr);  // "été"
    StyledStringHandle part = ExtraitSousChaineStyle(s, 1, 4);
    EXPECT_EQ(Plain(part), "\xC3\xA9t");  // 1 moves to 0, 4 to 3
    char small[3];
    EXPECT_EQ(GetTexteBrutTexteStyle(s, small, sizeof small), 2);  // "é" fits, "t" does not
    EXPECT_STREQ(small, "\xC3\xA9");
    EXPECT_EQ(GetTexteBrutTexteStyle(s, small, 2), 0);  // never half a character
    StyledStringHandle bad = CreeChaineStyle("a\xFF\xC3z\xED\xA0\x80", 7, nullptr);
    EXPECT_EQ(Plain(bad), "a??z???");
    // A NUL inside a counted text is no text terminator.
    StyledStringHandle nul = CreeChaineStyle("a\0b", 3, nullptr);
    EXPECT_EQ(Plain(nul), "a?b");
    for (StyledStringHandle *h : {&s, &part, &bad, &nul}) DisposeChaineStyle(h);
}

TEST(StyledStrings, MalformedHandlesAreRefusedAndLeftAlone) {
    Handle junk = NewHandleClear(40);
    std::memset(*junk, 0x7F, 8);
    StyledStringHandle ok = CreeChaineStyle("x", -1, nullptr);
    EXPECT_FALSE(IsChaineStyleValide(junk));
    EXPECT_FALSE(IsChaineStyleValide(nullptr));
    EXPECT_EQ(GetStrlenBrutTexteStyle(junk), 0);
    EXPECT_EQ(InsereSousChaineStyle(ok, 0, junk), paramErr);
    EXPECT_EQ(InsereSousChaineStyle(junk, 0, ok), paramErr);
    EXPECT_EQ(SupprimeSousChaineStyle(junk, 0, 1), paramErr);
    EXPECT_EQ(ExtraitSousChaineStyle(junk, 0, 1), nullptr);
    EXPECT_STREQ(GetTextePtrChaineStyle(junk), "");
    // A run pointing past the text.
    StyledStringHeader header = {1, 1};
    StyledRun run = {5, Style(20, 10)};
    Handle past = NewHandle(sizeof header + sizeof run + 2);
    std::memcpy(*past, &header, sizeof header);
    std::memcpy(*past + sizeof header, &run, sizeof run);
    std::memcpy(*past + sizeof header + sizeof run, "x", 2);
    EXPECT_FALSE(IsChaineStyleValide(past));
    EXPECT_EQ(Plain(ok), "x");
    DisposHandle(junk);
    DisposHandle(past);
    DisposeChaineStyle(&ok);
    std::string huge(size_t(kMaxChaineStyle) + 1, 'a');
    EXPECT_EQ(CreeChaineStyle(huge.data(), SInt32(huge.size()), nullptr), nullptr);
}

// Random insertions, deletions and extractions agree with the model byte for byte and style for
// style, and every result stays well formed.
TEST(StyledStrings, RandomOperationsAgreeWithAPlainModel) {
    std::mt19937 random(26);
    const char *pieces[] = {"la", "\xC3\xA9t\xC3\xA9", "-", " ", "\xE2\x82\xAC", "\xF0\x9D\x84\x9E", "sing", ""};
    for (int round = 0; round < 40; round++) {
        Model model;
        StyledStringHandle s = CreeChaineStyle("", 0, nullptr);
        for (int step = 0; step < 60; step++) {
            SCOPED_TRACE(std::to_string(round) + "/" + std::to_string(step));
            int op = int(random() % 3);
            SInt32 a = SInt32(random() % (model.text.size() + 3)) - 1, b = SInt32(random() % (model.text.size() + 3)) - 1;
            if (op == 0) {
                const char *piece = pieces[random() % 8];
                SInt16 size = SInt16(random() % 3 == 0 ? 0 : 9 + random() % 3);
                TextStyleRecord style = Style(21, size);
                StyledStringHandle in = CreeChaineStyle(piece, -1, size ? &style : nullptr);
                ASSERT_EQ(InsereSousChaineStyle(s, a, in), noErr);
                SInt32 at = Boundary(model.text, a);
                SInt16 plainSize = at > 0 ? model.sizes[size_t(at - 1)] : model.sizes.empty() ? 0 : model.sizes[0];
                SInt16 given = size ? size : plainSize;
                model.text.insert(size_t(at), piece);
                model.sizes.insert(model.sizes.begin() + at, std::strlen(piece), given);
                DisposeChaineStyle(&in);
            } else if (op == 1) {
                ASSERT_EQ(SupprimeSousChaineStyle(s, a, b), noErr);
                SInt32 from = Boundary(model.text, a), to = std::max(from, Boundary(model.text, b));
                model.text.erase(size_t(from), size_t(to - from));
                model.sizes.erase(model.sizes.begin() + from, model.sizes.begin() + to);
            } else {
                StyledStringHandle part = ExtraitSousChaineStyle(s, a, b);
                ASSERT_NE(part, nullptr);
                SInt32 from = Boundary(model.text, a), to = std::max(from, Boundary(model.text, b));
                EXPECT_EQ(Plain(part), model.text.substr(size_t(from), size_t(to - from)));
                EXPECT_EQ(Sizes(part), std::vector<SInt16>(model.sizes.begin() + from, model.sizes.begin() + to));
                DisposeChaineStyle(&part);
            }
            ASSERT_TRUE(IsChaineStyleValide(s));
            ASSERT_EQ(Plain(s), model.text);
            ASSERT_EQ(Sizes(s), model.sizes);
        }
        DisposeChaineStyle(&s);
    }
}

}  // namespace
