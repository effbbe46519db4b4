// ctest-labels: encodings-files
// The converters against the C library's iconv, the Part's edge cases, the pool and the detector.
#include "platform/core/text_encodings.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/core/encoding_tables.h"
#include "platform/core/memory.h"
#include "support/test_home.h"

namespace {

const std::string &gHome = OrvaTestHome();

std::string Iconv(const std::string &text, const char *from, const char *to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1)) return "<iconv failed>";
    std::string out(text.size() * 4 + 16, '\0');
    char *inp = const_cast<char *>(text.data()), *outp = &out[0];
    size_t inLeft = text.size(), outLeft = out.size();
    size_t r = iconv(cd, &inp, &inLeft, &outp, &outLeft);
    iconv_close(cd);
    if (r == size_t(-1)) return "<iconv failed>";
    out.resize(out.size() - outLeft);
    return out;
}

// The UTF-16 unit iconv gives for one byte of a code page, or 0xFFFF when it refuses the byte.
UniChar IconvByte(const char *codePage, UInt8 byte) {
    std::string unit = Iconv(std::string(1, char(byte)), codePage, "UTF-16LE");
    return unit.size() == 2 ? UniChar(UInt8(unit[0]) | (UInt8(unit[1]) << 8)) : 0xFFFF;
}

// A converter's result as bytes (units x unitSize), released. The count is read through its
// address, after the converter has set it.
std::string Bytes(EncodedStr result, const SInt32 *count, SInt32 unitSize) {
    if (result == nullptr) return "<null>";
    std::string bytes(result, size_t(*count) * unitSize);
    DisposeEncodedStr(result);
    return bytes;
}

std::string Change(const std::string &text, SInt16 from, SInt16 to) {
    SInt32 count = 0;
    SInt32 units = (from & kEncodingIdMask) >= kEncodingUTF16Swapped ? SInt32(text.size() / 2) : SInt32(text.size());
    EncodedStr r = ChangeTextEncoding(text.data(), 0, units, from, to, &count);
    return Bytes(r, &count, (to & kEncodingIdMask) >= kEncodingUTF16Swapped ? 2 : 1);
}

std::u16string ToUnits(const std::string &bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    memcpy(&units[0], bytes.data(), units.size() * 2);
    return units;
}

std::u16string HTMLToUnicode(const std::string &html) {
    SInt32 count = 0;
    return ToUnits(Bytes(HTMLTextToUnicode(html.data(), 0, SInt32(html.size()), &count), &count, 2));
}

std::string UnicodeToHTML(const std::u16string &text) {
    SInt32 count = 0;
    return Bytes(UnicodeTextToHTML(reinterpret_cast<const UniChar *>(text.data()), 0, SInt32(text.size()), &count),
                 &count, 1);
}

TEST(CodePages, TablesMatchIconvExceptTheirKnownBytes) {
    const UniChar kUndefined = 0xFFFD;
    struct Row {
        const char *codePage;
        UniChar (*convert)(UInt8);
        int first;
        std::vector<std::pair<int, UniChar>> exceptions;
    } rows[] = {
        {"MACINTOSH", MacRomanCharToUnicode, 0x80, {{0xC6, 0x2206}, {0xF0, 0xF8FF}}},
        {"CP1252", WindowsCharToUnicode, 0x7F,
         {{0x7F, kUndefined}, {0x81, kUndefined}, {0x8D, kUndefined}, {0x8F, kUndefined}, {0x90, kUndefined},
          {0x9D, kUndefined}}},
        {"CP437", MSDosCharToUnicode, 0x80, {}},
    };
    for (const Row &r : rows) {
        for (int b = r.first; b <= 0xFF; b++) {
            SCOPED_TRACE(std::string(r.codePage) + " " + std::to_string(b));
            UniChar expected = IconvByte(r.codePage, UInt8(b));
            for (const auto &e : r.exceptions)
                if (e.first == b) expected = e.second;
            EXPECT_EQ(r.convert(UInt8(b)), expected);
        }
    }
    EXPECT_EQ(IconvByte("MACINTOSH", 0xC6), 0x0394);
}

TEST(CodePages, EveryByteSurvivesARoundTripThroughUTF8) {
    std::string all;
    for (int b = 1; b <= 0xFF; b++) all += char(b);
    SInt32 n = 0;
    std::string utf8 = Bytes(MacRomanTextToUTF(all.data(), 0, SInt32(all.size()), &n), &n, 1);
    EXPECT_EQ(Bytes(UTFTextToMacRoman(utf8.data(), 0, SInt32(utf8.size()), &n), &n, 1), all);
    std::string dos = Bytes(MSDosTextToUTF(all.data(), 0, SInt32(all.size()), &n), &n, 1);
    EXPECT_EQ(Bytes(UTFTextToMSDos(dos.data(), 0, SInt32(dos.size()), &n), &n, 1), all);
}

// The reverse indexes must give what a scan of the forward table from its start gives.
TEST(Tables, IndexedLookupsEqualLinearScans) {
    for (UInt32 u = 0; u <= 0xFFFF; u++) {
        UniChar unit = UniChar(u);
        UInt8 roman = '?', windows = '?', dos = '?';
        if (unit < 0x80) roman = dos = UInt8(unit);
        if (unit < 0x7F) windows = UInt8(unit);
        for (int i = 0; i < 128 && unit >= 0x80 && roman == '?'; i++)
            if (kMacRomanToUnicode[i] == unit) roman = UInt8(0x80 + i);
        for (int i = 0; i < 128 && unit >= 0x80 && dos == '?'; i++)
            if (kMSDosToUnicode[i] == unit) dos = UInt8(0x80 + i);
        for (int i = 0; i < 129 && unit >= 0x7F && windows == '?'; i++)
            if (kWindowsToUnicode[i] == unit) windows = UInt8(0x7F + i);
        UniChar upper = unit, lower = unit;
        for (const CasePair *p = kCaseTable; p->lower != 0; p++)
            if (p->lower == unit) {
                upper = p->upper;
                break;
            }
        for (const CasePair *p = kCaseTable; p->lower != 0; p++)
            if (p->upper == unit) {
                lower = p->lower;
                break;
            }
        UInt16 sjis = 0;
        for (const ShiftJisPair *p = kShiftJisTable; p->code != 0xFFFF; p++)
            if (p->unit == unit) {
                sjis = p->code;
                break;
            }
        UniChar fromCode = 0xFFFD;
        for (const ShiftJisPair *p = kShiftJisTable; p->code != 0xFFFF; p++)
            if (p->code >= u) {
                if (p->code == u) fromCode = p->unit;
                break;
            }
        ASSERT_EQ(UnicodeCharToMacRoman(unit), roman) << u;
        ASSERT_EQ(UnicodeCharToWindows(unit), windows) << u;
        ASSERT_EQ(UnicodeCharToMSDos(unit), dos) << u;
        ASSERT_EQ(UnicodeCharMajuscule(unit), upper) << u;
        ASSERT_EQ(UnicodeCharMinuscule(unit), lower) << u;
        ASSERT_EQ(UnicodeCharToShiftJisCode(unit), sjis) << u;
        ASSERT_EQ(ShiftJisCodeToUnicode(UInt16(u)), fromCode) << u;
    }
}

TEST(Tables, EntityLookupsEqualLinearScans) {
    for (const EntityEntry *e = kEntityTable; e->unit != 0; e++) {
        SCOPED_TRACE(e->name);
        std::string html = std::string("&") + e->name + ";";
        EXPECT_EQ(HTMLToUnicode(html), std::u16string(1, char16_t(e->unit)));
        if (e->unit > 126 || e->unit == '"' || e->unit == '&' || e->unit == '<' || e->unit == '>') {
            EXPECT_EQ(UnicodeToHTML(std::u16string(1, char16_t(e->unit))), html);
        }
    }
}

TEST(ShiftJis, EveryDoubleByteRowRoundTripsAndAgreesWithIconv) {
    int rows = 0;
    for (const ShiftJisPair *p = kShiftJisTable; p->code != 0xFFFF; p++) {
        if (p->code <= 0xFF) continue;
        rows++;
        std::string bytes = {char(p->code >> 8), char(p->code & 0xFF)};
        SInt32 n = 0;
        std::string utf8 = Bytes(ShiftJisTextToUTF(bytes.data(), 0, 2, &n), &n, 1);
        ASSERT_EQ(utf8, Iconv(bytes, "SHIFT_JIS", "UTF-8")) << p->code;
        ASSERT_EQ(Bytes(UTFTextToShiftJis(utf8.data(), 0, SInt32(utf8.size()), &n), &n, 1), bytes) << p->code;
    }
    EXPECT_GT(rows, 6800);  // JIS X 0208 has 6879 characters
}

TEST(ShiftJis, SingleBytesFollowTheMacintoshVariant) {
    struct Row {
        UInt16 code;
        UniChar unit;
    } rows[] = {{0x41, 'A'}, {0x5C, 0x00A5}, {0x7E, '~'}, {0x80, 0x005C}, {0xA0, 0x00A0}, {0xA1, 0xFF61},
                {0xDF, 0xFF9F}, {0xFD, 0x00A9}, {0xFE, 0x2122}, {0xFF, 0xFFFD}, {0x8140, 0x3000}, {0x81AD, 0xFFFD}};
    for (const Row &r : rows) EXPECT_EQ(ShiftJisCodeToUnicode(r.code), r.unit) << r.code;
    // A lead byte at the end stands alone; a byte below 32 is copied.
    const char text[] = "\x01\x88\x9f\x88";
    SInt32 n = 0;
    EXPECT_EQ(ToUnits(Bytes(ShiftJisTextToUnicode(text, 0, 4, &n), &n, 2)), (std::u16string{1, 0x4E9C, 0xFFFD}));
}

TEST(ShiftJis, AUnitMissingFromTheTableBecomesAQuestionMark) {
    const UniChar text[] = {0x00E9, 0x4E00, 0x0007, 0x005C, 0xD800};
    SInt32 n = 0;
    std::string sjis = Bytes(UnicodeTextToShiftJis(text, 0, 5, &n), &n, 1);
    EXPECT_EQ(sjis, std::string("?\x88\xea\x07\x80?"));
}

TEST(UTF8, CharactersDecodeAsTheirRulesSay) {
    struct Row {
        const char *label;
        std::string bytes;
        UniChar unit;
        SInt32 used;
    } rows[] = {
        {"ascii", "A", 'A', 1},
        {"lone continuation", "\x80", 0x80, 1},
        {"two bytes", "\xc3\xa9", 0xE9, 2},
        {"cut two-byte form", "\xc3", 0xFFFD, 1},
        {"bad continuation", "\xe6\x97\x41", 0xFFFD, 1},
        {"three bytes", "\xe6\x97\xa5", 0x65E5, 3},
        {"over-long form", "\xc0\xaf", '/', 2},
        {"four bytes wrap", "\xf0\x9f\x98\x80", 0xF600, 4},
        {"five bytes", "\xf8\x88\x80\x80\x80", 0x0000, 5},
        {"six bytes", "\xfc\x80\x80\x80\x81\x81", 0x0041, 6},
        {"FE", "\xfe\x80", 0xFFFD, 1},
        {"FF", "\xff", 0xFFFD, 1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        UniChar unit = 0;
        EXPECT_EQ(UTFCharToUnicode(r.bytes.data(), &unit, SInt32(r.bytes.size())), r.used);
        EXPECT_EQ(unit, r.unit);
    }
    UniChar unit = 1;
    EXPECT_EQ(UTFCharToUnicode("A", &unit, 0), 0);
    EXPECT_EQ(unit, 0);
}

TEST(UTF8, UnitsEncodeAtTheirBoundaries) {
    struct Row {
        UniChar unit;
        std::string bytes;
    } rows[] = {{0x7F, "\x7f"}, {0x80, "\xc2\x80"}, {0x7FF, "\xdf\xbf"}, {0x800, "\xe0\xa0\x80"},
                {0xD800, "?"}, {0xDFFF, "?"}, {0xFFFF, "\xef\xbf\xbf"}};
    for (const Row &r : rows) {
        char out[4];
        SInt32 n = UnicodeCharToUTF(r.unit, out);
        EXPECT_EQ(std::string(out, size_t(n)), r.bytes) << r.unit;
    }
}

TEST(UTF8, NextAndPreviousCharacterStayInsideTheText) {
    const std::string text = "a\xc3\xa9\xe6\x97\xa5\xc3";  // a, e acute, a kanji, a cut lead
    const std::string strays(7, '\x80'), cut = "\xf0\x9f";  // cut: a lead whose sequence runs past the end
    struct Row {
        const std::string &text;
        bool next;
        SInt32 from, expected;
    } rows[] = {
        {text, true, 0, 1},    {text, true, 1, 3},    {text, true, 3, 6},  {text, true, 4, 6},  // inside the kanji
        {text, true, 6, 7},    {text, true, 7, 7},    {text, true, 99, 7}, {text, false, 7, 6}, {text, false, 6, 3},
        {text, false, 3, 1},   {text, false, 1, 0},   {text, false, 0, 0}, {strays, false, 7, 6},
        {strays, true, 3, 4},  {cut, true, 1, 2},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string(r.next ? "next" : "previous") + " from " + std::to_string(r.from));
        SInt32 length = SInt32(r.text.size());
        EXPECT_EQ(r.next ? UTFNextChar(r.text.data(), r.from, length) : UTFPrevChar(r.text.data(), r.from, length),
                  r.expected);
    }
}

TEST(Converters, BadParametersGiveNullAndCountZero) {
    SInt32 n = 7;
    EXPECT_EQ(MacRomanTextToUnicode("abc", 0, 0, &n), nullptr);
    EXPECT_EQ(n, 0);
    n = 7;
    EXPECT_EQ(UTFTextToUnicode("abc", -1, 2, &n), nullptr);
    EXPECT_EQ(n, 0);
    n = 7;
    EXPECT_EQ(ChangeTextEncoding(nullptr, 0, 3, 2, 4, &n), nullptr);
    EXPECT_EQ(n, 0);
    n = 7;
    EXPECT_EQ(UTFTextToMacRoman("abc", 0, -5, &n), nullptr);
    EXPECT_EQ(n, 0);
}

TEST(ChangeTextEncoding, LineEndsFollowTheBits) {
    struct Row {
        const char *label;
        std::string text;
        SInt16 from, to;
        std::string expected;
    } rows[] = {
        {"CR doubled", "a\rb\r", 2, 65, "a\r\nb\r\n"},
        {"LF removed only after CR", "a\r\nb\nc\r", 65, 2, "a\rb\nc\r"},
        {"same bits", "a\r\nb", 65, 65, "a\r\nb"},
        {"kept", "a\r\nb", 2, 2 | 192, "a\r\nb"},
        {"detected CR LF", "a\r\nb\r\n", 4 | 192, 2, "a\rb\r"},
        {"detected CR", "a\rb", 4 | 192, 64 | 4, "a\r\nb"},
        {"MacRoman to UTF-8", "\x8e\r", 2, 4, "\xc3\xa9\r"},
        {"Windows to MacRoman", "\xe9\r\n\x80", 65, 2, "\x8e\r\xdb"},
        {"UTF-8 to UTF-16", "\xc3\xa9", 4, 7, std::string("\xe9\x00", 2)},
        {"UTF-8 to swapped UTF-16", "\xc3\xa9", 4, 6, std::string("\x00\xe9", 2)},
        {"swapped UTF-16 to UTF-8", std::string("\x00\xe9\x00\x0d", 4), 6, 4 | 64, "\xc3\xa9\r\n"},
        {"UTF-16 to HTML", std::string("<\x00\xe9\x00", 4), 7, 3, "&lt;&eacute;"},
        {"MS-DOS to UTF-8", "\x82", 0, 4, "\xc3\xa9"},
        {"Shift-JIS to UTF-8", "\x93\xfa\x96\x7b", 5, 4, "\xe6\x97\xa5\xe6\x9c\xac"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(Change(r.text, r.from, r.to), r.expected);
    }
}

TEST(ChangeTextEncoding, OffsetCountsSourceUnits) {
    SInt32 n = 0;
    EXPECT_EQ(Bytes(ChangeTextEncoding("xyz\x8e", 3, 1, 2, 4, &n), &n, 1), "\xc3\xa9");
    const UniChar wide[] = {'x', 'y', 0xE9, 'z'};
    EXPECT_EQ(Bytes(ChangeTextEncoding(wide, 2, 2, 7, 2, &n), &n, 1), "\x8ez");
    EXPECT_EQ(ChangeTextEncoding(wide, 0, 0, 7, 2, &n), nullptr);
    EXPECT_EQ(n, 0);
}

TEST(ChangeTextEncoding, TheTerminatorIsKeptOnlyWhenCounted) {
    SInt32 n = 0;
    EncodedStr withTerminator = StrToUTF("\x8e", 2, 1);
    ASSERT_NE(withTerminator, nullptr);
    EXPECT_STREQ(withTerminator, "\xc3\xa9");
    DisposeEncodedStr(withTerminator);
    EncodedStr roman = UTFToStr("caf\xc3\xa9\r\nx", 2, &n);
    ASSERT_NE(roman, nullptr);
    EXPECT_EQ(n, 7);
    EXPECT_STREQ(roman, "caf\x8e\rx");
    DisposeEncodedStr(roman);
    EXPECT_EQ(Bytes(WindowsTextToMacRoman("\xe9\r\n", 0, 3, &n), &n, 1), "\x8e\r");
    EXPECT_EQ(Bytes(MacRomanTextToWindows("\x8e\r", 0, 2, &n), &n, 1), "\xe9\r\n");
}

TEST(HTML, EntitiesDecodeByNameAndNumber) {
    SetHTMLDefault8BitEncoding(kEncodingUTF8);
    struct Row {
        const char *label;
        std::string html;
        std::u16string expected;
    } rows[] = {
        {"number", "&#233;x", u"\u00e9x"},
        {"unknown name", "&bogus;", u"&bogus;"},
        {"case matters", "&EACUTE;", u"&EACUTE;"},
        {"unterminated", "a&amp", u"a&amp"},
        {"name too long", "&abcdefgh;", u"&abcdefgh;"},
        {"seven characters", "&lsquor;&#12345;", u"\u201a\u3039"},
        {"zero", "&#0;", u"&#0;"},
        {"number wraps to 16 bits", "&#65601;", u"A"},
        {"empty", "&;", u"&;"},
        {"break", "a<BR>b<br>", u"a\rb\r"},
        {"ampersand last", "&", u"&"},
        {"UTF-8 above 126", "\xc3\xa9", u"\u00e9"},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        EXPECT_EQ(HTMLToUnicode(r.html), r.expected);
    }
    SetHTMLDefault8BitEncoding(kEncodingMacRoman);
    EXPECT_EQ(HTMLToUnicode("\x8e"), u"\u00e9");
    SetHTMLDefault8BitEncoding(kEncodingWindows);
    EXPECT_EQ(HTMLToUnicode("\x80"), u"\u20ac");
    SetHTMLDefault8BitEncoding(0);
    EXPECT_EQ(HTMLToUnicode("\xe9"), u"\u00e9");
}

TEST(HTML, UnitsNeedingEscapesBecomeEntities) {
    EXPECT_EQ(UnicodeToHTML(u"a\rb"), "a<br>b");
    EXPECT_EQ(UnicodeToHTML(u"\"x\" & <y>"), "&quot;x&quot; &amp; &lt;y&gt;");
    EXPECT_EQ(UnicodeToHTML(u"\u4e00\u007f\uffff"), "&#19968;&#127;&#65535;");
    EXPECT_EQ(UnicodeToHTML(u"'"), "'");
    std::u16string worst(200, u'\u201a');  // one of the longest entities, 8 bytes a unit
    EXPECT_EQ(UnicodeToHTML(worst).size(), 200u * 8);
}

TEST(Case, MappingFollowsTheTable) {
    EXPECT_EQ(UnicodeCharMajuscule(0xE9), 0xC9);
    EXPECT_EQ(UnicodeCharMinuscule(0xC9), 0xE9);
    EXPECT_EQ(UnicodeCharMajuscule(0x01C6), 0x01C5);  // digraphs go to their title-case forms
    EXPECT_EQ(UnicodeCharMajuscule(0x01F3), 0x01F2);
    EXPECT_EQ(UnicodeCharMajuscule(0xFF5A), 0xFF3A);
    EXPECT_EQ(UnicodeCharMajuscule('1'), '1');
    EncodedStr upper = UTFTextToMajuscule("caf\xc3\xa9 \xce\xbb x\xe2\x80\x99");
    ASSERT_NE(upper, nullptr);
    EXPECT_STREQ(upper, "CAF\xc3\x89 \xce\x9b X\xe2\x80\x99");
    DisposeEncodedStr(upper);
    EncodedStr lower = UTFTextToMinuscule("\xc3\x89T\xc3\x89");
    ASSERT_NE(lower, nullptr);
    EXPECT_STREQ(lower, "\xc3\xa9t\xc3\xa9");
    DisposeEncodedStr(lower);
    UniChar text[] = {'a', 'b', 0xE0, 'c'};
    UnicodeTextToMajuscule(text, 1, 2);
    EXPECT_EQ(text[0], 'a');
    EXPECT_EQ(text[1], 'B');
    EXPECT_EQ(text[2], 0xC0);
    EXPECT_EQ(text[3], 'c');
}

TEST(InPlace, SizedConversionsRefuseInsteadOfOverflowing) {
    char buffer[8] = "\x8e\x8e\x8e";  // three e acute: 7 bytes in UTF-8 with the terminator
    char copy[8];
    memcpy(copy, buffer, sizeof buffer);
    EXPECT_FALSE(OrvaMacRomanToUTFSized(buffer, 6));
    EXPECT_EQ(memcmp(buffer, copy, sizeof buffer), 0);
    EXPECT_TRUE(OrvaMacRomanToUTFSized(buffer, 7));
    EXPECT_STREQ(buffer, "\xc3\xa9\xc3\xa9\xc3\xa9");
    UTFToMacRoman(buffer);
    EXPECT_STREQ(buffer, "\x8e\x8e\x8e");
    char windows[16] = "\x80!";
    EXPECT_TRUE(OrvaWindowsToUTFSized(windows, sizeof windows));
    EXPECT_STREQ(windows, "\xe2\x82\xac!");
    UTFToWindows(windows);
    EXPECT_STREQ(windows, "\x80!");
    char roman[16] = "\x8e";
    MacRomanToUTF(roman);
    EXPECT_STREQ(roman, "\xc3\xa9");
}

TEST(UnicodeStrings, CopyCatCompare) {
    UniChar a[32];
    UnicodeStrCpyRoman(a, "ab\x8e");
    EXPECT_EQ(UnicodeStrLen(a), 3);
    EXPECT_EQ(a[2], 0xE9);
    UnicodeStrCatRoman(a, "c");
    EXPECT_FALSE(UnicodeStrCmpRoman(a, "ab\x8e" "c"));
    EXPECT_TRUE(UnicodeStrCmpRoman(a, "ab\x8e"));
    UniChar b[32];
    UnicodeStrCpy(b, a);
    EXPECT_FALSE(UnicodeStrCmp(a, b));
    const UniChar tail[] = {'!', 0};
    UnicodeStrCat(b, tail);
    EXPECT_TRUE(UnicodeStrCmp(a, b));
    EXPECT_EQ(UnicodeStrLen(b), 5);
    const char *roman = "x\x8ey";
    EXPECT_EQ(RomanStrChrUnicode(roman, 0xE9), roman + 1);
    EXPECT_EQ(RomanStrChrUnicode(roman, 'z'), nullptr);
    SInt32 n = 0;
    EXPECT_EQ(ToUnits(Bytes(GenericTextToUnicode("\x41\xff", 0, 2, &n, 0xF000), &n, 2)), u"\uf041\uf0ff");
}

TEST(RightToLeft, ClassesAtTheirBoundaries) {
    struct Row {
        UniChar unit;
        SInt16 type;
    } rows[] = {{0x04FF, 0}, {0x0500, 2}, {0x05D0, 2}, {0x05FF, 2}, {0x0600, 1}, {0x06FF, 1}, {0x074F, 1},
                {0x0750, 0}, {0x077F, 0}, {0x0780, 1}, {0x07BF, 1}, {0x07C0, 0}, {0xFB4F, 0}, {0xFB50, 1},
                {0xFDFF, 1}, {0xFE00, 0}, {0xFE6F, 0}, {0xFE70, 1}, {0xFEFF, 1}, {0xFF00, 0}, {0xFFFF, 0}};
    for (const Row &r : rows) EXPECT_EQ(UniCharRLType(r.unit), r.type) << r.unit;
    EXPECT_FALSE(IsRLTypeSupported(1));
    EXPECT_FALSE(IsRLTypeSupported(2));
    EXPECT_TRUE(IsRLTypeSupported(0));
}

TEST(RightToLeft, DisplayableStrings) {
    const char hebrew[] = "\xd7\x90";
    const char kanji[] = "\xe6\x97\xa5";
    EXPECT_TRUE(IsDisplayableUTFString(hebrew, 0, 0, 0, 0));
    EXPECT_TRUE(IsDisplayableUTFString(hebrew, 2, 1, 1, 0));
    EXPECT_FALSE(IsDisplayableUTFString(hebrew, 2, 1, 0, 1));
    EXPECT_TRUE(IsDisplayableUTFString(hebrew, 2, 0, 1, 1));
    EXPECT_FALSE(IsDisplayableUTFString(kanji, 3, 0, 0, 0));
    EXPECT_TRUE(IsDisplayableUTFString(kanji, 3, 0, 0, 1));
    EXPECT_TRUE(IsDisplayableUTFString("caf\xc3\xa9?", 6, 0, 0, 0));
}

TEST(Detection, ThePartsCases) {
    struct Row {
        const char *label;
        std::string bytes;
        SInt16 id;
        SInt32 mark;
    } rows[] = {
        {"empty", "", 2, 0},
        {"little-endian UTF-16", std::string("A\0B\0", 4), 7, 0},
        {"byte-swapped UTF-16", std::string("\0A\0B", 4), 6, 0},
        {"ASCII with CR LF", "ab\r\ncd\r\n", 65, 0},
        {"ASCII with CR", "ab\rcd\r", 2, 0},
        {"UTF-8 mark", "\xef\xbb\xbf" "a\r\nb", 68, 3},
        {"big-endian mark", std::string("\xfe\xff\0a\0\r\0\n\0b", 10), 6 + 64, 2},
        {"little-endian mark", std::string("\xff\xfe" "a\0\r\0b\0", 8), 7, 2},
        {"UTF-8 text", "d\xc3\xa9j\xc3\xa0 vu, na\xc3\xaf" "ve fa\xc3\xa7" "ade", 4, 0},
        {"Shift-JIS text", "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd", 5, 0},
        {"MacRoman text", "caf\x8e et cr\x8fme br\x9el\x8e" "e", 2, 0},
        {"Windows text", "caf\xe9 et cr\xe8me br\xfbl\xe9" "e\r\n", 65, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.label);
        SInt32 mark = -1;
        EXPECT_EQ(EvalueCharsetBuffer(r.bytes.data(), SInt32(r.bytes.size()), &mark), r.id);
        EXPECT_EQ(mark, r.mark);
    }
    SInt32 mark = -1;
    EXPECT_EQ(EvalueCharSetStr("x\r\ny", &mark), 65);
    EXPECT_EQ(EvalueCharsetBuffer("\r", 1, &mark), 2);
}

}  // namespace
