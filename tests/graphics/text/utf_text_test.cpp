// ctest-labels: utf-text exte-model exte.utf
// UTF-8 text measured and drawn in ports, recorded into pictures and replayed with its
// comment, keyboard bytes turned into Unicode, and text files with byte-order marks.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pictures.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/text/utf_text.h"
#include "graphics/toolbox_hooks.h"
#include "platform/core/language.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/core/unicode_mode.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {

const char kCafe[] = "caf\xc3\xa9";          // café
const char kNihon[] = "\xe6\x97\xa5\xe6\x9c\xac";  // 日本
const char kClef[] = "\xf0\x9d\x84\x9e";     // U+1D11E

// The drawing opcodes, the text state and picture framing left out.
std::vector<PictureOp> Ops(PicHandle pic) {
    return PictureOps(pic, {kPictOpClip, kPictOpRGBBkCol, kPictOpDefHilite, kPictOpEndPic, kPictOpTxFont,
                            kPictOpFontName, kPictOpTxSize, kPictOpTxFace, kPictOpHeader});
}

class UTFText : public ::testing::Test {
protected:
    GrafPort port;
    Rect frame = {0, 0, 100, 200};
    void SetUp() override {
        StartTextForTests();
        SetUnicodeApplication(kTrue);
        OpenTestPort(&port, 200, 100);
        PaintPortWhite(&port);
        TextFont(22);  // FreeMono
        TextSize(10);
        TextFace(0);
    }
    void TearDown() override {
        if (port.picSave) ClosePicture();
        SetUnicodeApplication(kTrue);
        ClosePort(&port);
    }
    PicHandle Record(const char *text, SInt16 rotation = 0) {
        PicHandle pic = OpenPicture(&frame);
        TextFont(port.txFont);  // playback starts from font 0 at 12
        TextSize(port.txSize);
        _MoveTo(10, 50);
        UTFDrawText(&port, text, 0, SInt32(strlen(text)), rotation);
        ClosePicture();
        return pic;
    }
};

TEST_F(UTFText, WidthsAreThoseOfPango) {
    EXPECT_EQ(UTFTextWidth(&port, kCafe, 0, 5), 24);  // six pixels a character
    EXPECT_EQ(UTFTextWidth(&port, kCafe, 0, 5), PangoReferenceWidth("FreeMono", 10, kCafe));
    EXPECT_EQ(UTFTextWidth(&port, "a\tb", 0, 3), UTFTextWidth(&port, "a b", 0, 3));
    EXPECT_EQ(UTFTextWidth(&port, "xx", 1, 1), 6);
    EXPECT_EQ(UTFTextWidth(&port, kCafe, 0, 0), 0);
    EXPECT_EQ(UTFTextWidth(nullptr, kCafe, 0, 5), 0);
    // Past U+FFFF: a surrogate pair, measured as its one character.
    TextFont(20);
    TextSize(40);
    SInt16 clef = UTFTextWidth(&port, kClef, 0, 4);
    EXPECT_EQ(clef, PangoReferenceWidth("FreeSerif", 40, kClef));
    EXPECT_NE(clef, PangoReferenceWidth("FreeSerif", 40, "\xee\x84\x9e"));  // the wrapped unit
    // A stray continuation byte and a cut sequence each read as one replacement character.
    EXPECT_EQ(UTFTextWidth(&port, "a\x80" "b\xe2\x82", 0, 5),
              PangoReferenceWidth("FreeSerif", 40, "a\xef\xbf\xbd" "b\xef\xbf\xbd\xef\xbf\xbd"));
    // Outside the Unicode application mode the MacRoman form is measured.
    TextFont(3);
    TextSize(12);
    SetUnicodeApplication(kFalse);
    EXPECT_EQ(UTFTextWidth(&port, kCafe, 0, 5), StringWidth("caf\x8e"));
    EXPECT_EQ(UTFTextWidth(&port, kNihon, 0, 6), StringWidth("??"));
}

TEST_F(UTFText, ThePrintMusicFontTakesItsSymbolsFromThePrivatePage) {
    UInt16 symbol = TestSymbolFontID();
    ASSERT_NE(symbol, kFontIDNone);
    const SInt16 screen[kLentaraScreenFonts] = {0, 0, 0};
    OrvaSetFontesLentara(screen, SInt16(symbol));
    TextFont(SInt16(symbol));
    TextSize(30);
    // The test font shows Z, Y and X at U+F041..U+F043.
    EXPECT_EQ(UTFTextWidth(&port, "ABC", 0, 3),
              PangoReferenceWidth("OrvaTestSymbol", 30, "\xef\x81\x81\xef\x81\x82\xef\x81\x83"));
    OrvaSetFontesLentara(screen, 0);
    CFStringRef s = UTFToStringRef(kCafe);
    ASSERT_NE(s, nullptr);
    char back[16];
    EXPECT_TRUE(CFStringGetCString(s, back, sizeof back, 0x08000100));  // UTF-8
    EXPECT_STREQ(back, kCafe);
    CFRelease(s);
    EXPECT_EQ(UTFToStringRef(nullptr), nullptr);
}

TEST_F(UTFText, TheJapaneseInterfaceTakesShiftJisOutsideUnicodeMode) {
    TextFont(3);
    TextSize(12);
    SInt16 language = OrvaGetLangue();
    OrvaFixeLangue(kLanguageJapanese);
    SetUnicodeApplication(kFalse);
    const char sjis[] = "\x93\xfa\x96\x7b";  // 日本 in Shift-JIS
    EXPECT_EQ(UTFTextWidth(&port, kNihon, 0, 6), StringWidth(sjis));
    EXPECT_GT(UTFTextWidth(&port, kNihon, 0, 6), 0);
    SetUnicodeApplication(kTrue);
    PicHandle pic = Record(kNihon);
    std::vector<PictureOp> ops = Ops(pic);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(std::string((const char *)ops[2].operands.data() + 5, 4), sjis);
    KillPicture(pic);
    OrvaFixeLangue(language);
}

TEST_F(UTFText, DrawingShowsTheTextAndMovesThePen) {
    TextFont(3);
    TextSize(20);
    _MoveTo(10, 50);
    DrawString("caf\x8e");
    Point expectedPen = port.pnLoc;
    std::string roman = PortPixels(&port);
    PaintPortWhite(&port);
    _MoveTo(10, 50);
    UTFDrawText(&port, kCafe, 0, 5, 0);
    EXPECT_TRUE(PortPixels(&port) == roman);
    EXPECT_EQ(port.pnLoc.h, expectedPen.h);
    EXPECT_EQ(port.pnLoc.h - 10, UTFTextWidth(&port, kCafe, 0, 5));
    // Japanese is drawn as itself, not as question marks.
    PaintPortWhite(&port);
    _MoveTo(10, 50);
    UTFDrawText(&port, kNihon, 0, 6, 0);
    std::string nihon = PortPixels(&port);
    PaintPortWhite(&port);
    _MoveTo(10, 50);
    DrawString("??");
    EXPECT_TRUE(PortPixels(&port) != nihon);
    Rect ink = InkBox(&port);
    EXPECT_FALSE(EmptyRect(&ink));
}

// Past U+FFFF the drawing path too takes the character as a surrogate pair: the pen moves by
// pango's width of the character and the glyph is not that of the wrapped unit.
TEST_F(UTFText, CharactersPastTheBasicPlaneAreDrawnAsThemselves) {
    TextFont(20);
    TextSize(40);
    _MoveTo(10, 60);
    UTFDrawText(&port, kClef, 0, 4, 0);
    EXPECT_EQ(port.pnLoc.h - 10, PangoReferenceWidth("FreeSerif", 40, kClef));
    std::string clef = PortPixels(&port);
    Rect ink = InkBox(&port);
    EXPECT_FALSE(EmptyRect(&ink));
    PaintPortWhite(&port);
    _MoveTo(10, 60);
    UTFDrawText(&port, "\xee\x84\x9e", 0, 3, 0);  // U+E11E, the unit the character wrapped to
    EXPECT_TRUE(PortPixels(&port) != clef);
}

TEST_F(UTFText, AsciiRecordsAsPlainTextAndAccentsKeepTheirUTF8) {
    PicHandle plain = Record("abc");
    std::vector<PictureOp> ops = Ops(plain);
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, kPictOpLongText);
    KillPicture(plain);

    PicHandle pic = Record(kCafe);
    EXPECT_EQ(port.pnLoc.h, 10 + UTFTextWidth(&port, kCafe, 0, 5));
    EXPECT_EQ(port.pnLoc.v, 50);
    ops = Ops(pic);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].opcode, kPictOpLongComment);
    EXPECT_EQ(OperandWord(ops[0].operands, 0), kPictCommentUTFText);
    EXPECT_EQ(OperandWord(ops[0].operands, 2), 5 + 8);
    EXPECT_EQ(std::memcmp(ops[0].operands.data() + 4, "Zido", 4), 0);
    EXPECT_EQ(OperandWord(ops[0].operands, 8), 1);
    EXPECT_EQ(OperandWord(ops[0].operands, 10), 0);
    EXPECT_EQ(std::string((const char *)ops[0].operands.data() + 12, 5), kCafe);
    EXPECT_EQ(ops[1].opcode, kPictOpLongComment);
    EXPECT_EQ(OperandWord(ops[1].operands, 0), kPictCommentUnicodeText);
    EXPECT_EQ(ops[2].opcode, kPictOpLongText);
    EXPECT_EQ(std::string((const char *)ops[2].operands.data() + 5, 4), "caf\x8e");
    KillPicture(pic);

    // Turned text keeps its comment even in ASCII, and the pen follows the angle.
    pic = Record("abcd", 90);
    ops = Ops(pic);
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(OperandWord(ops[0].operands, 0), kPictCommentUTFText);
    EXPECT_EQ(OperandWord(ops[0].operands, 10), 90);
    EXPECT_EQ(port.pnLoc.h, 10);
    EXPECT_EQ(port.pnLoc.v, 50 - 24);
    KillPicture(pic);
}

TEST_F(UTFText, LongTextKeepsWholeCharactersInItsComment) {
    std::string text;
    for (int i = 0; i < 20000; i++) text += "\xc3\xa9";  // 40,000 bytes of é
    PicHandle pic = Record(text.c_str());
    std::vector<PictureOp> ops = Ops(pic);
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(OperandWord(ops[0].operands, 0), kPictCommentUTFText);
    SInt16 size = OperandWord(ops[0].operands, 2);
    EXPECT_LE(size, 32767);
    EXPECT_EQ((size - 8) % 2, 0);  // never half a character
    EXPECT_GT(size, 32000);
    PaintPortWhite(&port);
    DrawUTFPicture(pic, &frame);  // plays without reading past the comment
    KillPicture(pic);
}

TEST_F(UTFText, ReplayDrawsTheUTF8TextAndPassesCommentsOn) {
    TextFont(3);
    TextSize(20);
    PicHandle pic = Record(kNihon);
    PaintPortWhite(&port);
    _MoveTo(10, 50);
    UTFDrawText(&port, kNihon, 0, 6, 0);
    std::string direct = PortPixels(&port);

    PaintPortWhite(&port);
    DrawPicture(pic, &frame);
    std::string eightBit = PortPixels(&port);
    EXPECT_TRUE(eightBit != direct);

    PaintPortWhite(&port);
    DrawUTFPicture(pic, &frame);
    EXPECT_TRUE(PortPixels(&port) == direct);
    EXPECT_EQ(port.grafProcs, nullptr);

    // Outside the Unicode application mode the 8-bit text is drawn.
    SetUnicodeApplication(kFalse);
    PaintPortWhite(&port);
    DrawUTFPicture(pic, &frame);
    EXPECT_TRUE(PortPixels(&port) == eightBit);
    SetUnicodeApplication(kTrue);

    // Into a recording port the comments go on with the text.
    PicHandle again = OpenPicture(&frame);
    DrawUTFPicture(pic, &frame);
    ClosePicture();
    std::vector<PictureOp> ops = Ops(again);
    int utf = 0, alternate = 0, text = 0;
    for (const PictureOp &op : ops) {
        if (op.opcode == kPictOpLongComment && OperandWord(op.operands, 0) == kPictCommentUTFText) utf++;
        if (op.opcode == kPictOpLongComment && OperandWord(op.operands, 0) == kPictCommentUnicodeText) alternate++;
        if (op.opcode == kPictOpLongText) text++;
    }
    EXPECT_EQ(utf, 1);
    EXPECT_EQ(alternate, 1);
    EXPECT_EQ(text, 1);
    KillPicture(again);
    KillPicture(pic);
}

std::vector<std::string> gTextCalls;
void RecordingTextProc(SInt16 count, const void *text, Point numer, Point denom) {
    gTextCalls.emplace_back((const char *)text, size_t(count > 0 ? count : 0));
    StdText(count, text, numer, denom);
}

// A client's own text bottleneck stays in place around the replay: in the Unicode application
// mode the stored UTF-8 is drawn in place of the 8-bit text, which the client never sees;
// outside it the client is handed the 8-bit text.
TEST_F(UTFText, ReplayDrawsTheUTF8InPlaceOfTheClientsTextBottleneck) {
    TextFont(3);
    TextSize(20);
    PicHandle pic = Record(kCafe);
    GrafProcs procs;
    std::memset(&procs, 0, sizeof procs);
    procs.textProc = RecordingTextProc;
    SetPortGrafProcs(&port, &procs);
    gTextCalls.clear();
    DrawUTFPicture(pic, &frame);
    EXPECT_TRUE(gTextCalls.empty());
    Rect ink = InkBox(&port);
    EXPECT_FALSE(EmptyRect(&ink));
    EXPECT_EQ(port.grafProcs, &procs);
    SetUnicodeApplication(kFalse);
    DrawUTFPicture(pic, &frame);
    ASSERT_EQ(gTextCalls.size(), 1u);
    EXPECT_EQ(gTextCalls[0], "caf\x8e");
    SetUnicodeApplication(kTrue);
    SetPortGrafProcs(&port, nullptr);
    KillPicture(pic);
}

TEST_F(UTFText, ShortOrStrangeUTFCommentsAreIgnored) {
    TextFont(3);
    TextSize(20);
    struct Case {
        const char *data;
        SInt16 size;
    } cases[] = {
        {"Zido\x01\x00\x00", 7},           // header cut short: no text length
        {"Zido\x02\x00\x00\x00\xc3\xa9", 10},  // another version
        {"Zxdo\x01\x00\x00\x00\xc3\xa9", 10},  // another tag
        {"", 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.size);
        PicHandle pic = OpenPicture(&frame);
        Handle h = NewHandle(c.size ? c.size : 1);
        std::memcpy(*h, c.data, size_t(c.size));
        TextFont(3);
        TextSize(20);
        PicComment(kPictCommentUTFText, c.size, h);
        DisposeHandle(h);
        _MoveTo(10, 50);
        DrawString("ab");
        ClosePicture();
        PaintPortWhite(&port);
        DrawPicture(pic, &frame);
        std::string plain = PortPixels(&port);
        PaintPortWhite(&port);
        DrawUTFPicture(pic, &frame);
        EXPECT_TRUE(PortPixels(&port) == plain);
        KillPicture(pic);
    }
}

UInt32 gFakeTicks = 1000;
UInt32 FakeTicks() { return gFakeTicks; }

TEST(UTFKeyboard, ShiftJisPairsWithinSixtyTicks) {
    OrvaSetUTFKeyboardTicks(FakeTicks);
    EXPECT_EQ(CvtCarKeyboardShiftJisToUnicode(0x82), 0);
    gFakeTicks += 60;
    EXPECT_EQ(CvtCarKeyboardShiftJisToUnicode(0xA0), 0x3042);
    EXPECT_EQ(CvtCarKeyboardShiftJisToUnicode('a'), 'a');
    EXPECT_EQ(CvtCarKeyboardShiftJisToUnicode(0x82), 0);
    gFakeTicks += 61;
    EXPECT_EQ(CvtCarKeyboardShiftJisToUnicode(0xA0), 0x2020);  // the trail byte alone, by MacRoman
    EXPECT_EQ(CvtCarKeyboardMacRomanToUnicode(0x8E), 0x00E9);
    OrvaSetUTFKeyboardTicks(nullptr);

    DisableUnicodeInput();
    OrvaSetLastUnicodeKey(0x3042);
    EXPECT_EQ(GetUnicodeCar(), 0);
    EXPECT_EQ(EnableUnicodeInput(), 1);
    EXPECT_TRUE(IsUnicodeInput());
    EXPECT_EQ(GetUnicodeCar(), 0x3042);
    EXPECT_EQ(GetUnicodeCar(), 0);
    DisableUnicodeInput();
}

TEST(UTFKeyboard, ComposedTextReachesGetUnicodeCar) {
    StartQuickDrawForTests();
    EventRecord e;
    while (GetNextEvent(0xFFFF, &e)) {
    }
    EnableUnicodeInput();
    PostEvent(keyDown, 0x3042u << 16);  // あ, as the input method's commit posts it
    ASSERT_TRUE(GetNextEvent(0xFFFF, &e));
    EXPECT_EQ(e.what, keyDown);
    EXPECT_EQ(GetUnicodeCar(), 0x3042);
    EXPECT_EQ(GetUnicodeCar(), 0);
    while (GetNextEvent(0xFFFF, &e)) {
    }
    DisableUnicodeInput();
}

std::string Bytes(FILE *f) {
    std::fflush(f);
    std::fseek(f, 0, SEEK_END);
    long n = std::ftell(f);
    std::string s(size_t(n), '\0');
    std::fseek(f, 0, SEEK_SET);
    EXPECT_EQ(std::fread(&s[0], 1, size_t(n), f), size_t(n));
    return s;
}

FILE *FileWith(const std::string &bytes) {
    FILE *f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fflush(f);
    return f;
}

std::string Load(const std::string &bytes, SInt16 source) {
    FILE *f = FileWith(bytes);
    SInt32 length = -1;
    EncodedStr text = LoadEncodedTextFile(f, source, kEncodingUTF8, &length);
    std::fclose(f);
    if (!text) return "<null>";
    std::string s(text, size_t(length));
    DisposeEncodedStr(text);
    return s;
}

TEST(EncodedTextFiles, LoadGivesExactlyTheTextWithOrWithoutMarks) {
    const std::string cafe = "caf\xc3\xa9 \xe6\x97\xa5";  // café 日
    const std::string le("c\0a\0f\0\xe9\0 \0\xe5\x65", 12), be("\0c\0a\0f\0\xe9\0 \x65\xe5", 12);
    EXPECT_EQ(Load("\xef\xbb\xbf" + cafe, -1), cafe);
    EXPECT_EQ(Load(cafe, -1), cafe);
    EXPECT_EQ(Load(cafe, kEncodingUTF8), cafe);
    EXPECT_EQ(Load("\xff\xfe" + le, -1), cafe);
    EXPECT_EQ(Load("\xfe\xff" + be, -1), cafe);
    EXPECT_EQ(Load(le, kEncodingUTF16), cafe);
    EXPECT_EQ(Load(be, kEncodingUTF16Swapped), cafe);
    // Hostile shapes: empty, a lone mark, an odd byte count, bytes that are no UTF-8.
    EXPECT_EQ(Load("", -1), "");
    EXPECT_EQ(Load("\xef\xbb\xbf", -1), "");
    EXPECT_EQ(Load("\xff\xfe", -1), "");
    EXPECT_EQ(Load("\xff\xfe" + le + "x", -1), cafe);
    EXPECT_EQ(Load(le + "x", kEncodingUTF16), cafe);
    std::string bad = Load("a\xc3", kEncodingUTF8);
    EXPECT_EQ(bad.substr(0, 1), "a");
    EXPECT_EQ(Load("caf\x8e", kEncodingMacRoman), "caf\xc3\xa9");
    SInt32 length = 7;
    EXPECT_EQ(LoadEncodedTextFile(nullptr, -1, kEncodingUTF8, &length), nullptr);
    EXPECT_EQ(length, 0);
}

TEST(EncodedTextFiles, SaveWritesAMarkOnlyAtTheStart) {
    const char cafe[] = "caf\xc3\xa9";
    auto save = [&](SInt16 to, const char *more) {
        FILE *f = std::tmpfile();
        EXPECT_EQ(SaveEncodedTextFile(f, cafe, 5, kEncodingUTF8, to), noErr);
        if (more) {
            EXPECT_EQ(SaveEncodedTextFile(f, more, SInt32(strlen(more)), kEncodingUTF8, to), noErr);
        }
        std::string bytes = Bytes(f);
        std::fclose(f);
        return bytes;
    };
    EXPECT_EQ(save(kEncodingUTF8, "!"), std::string("\xef\xbb\xbf" "caf\xc3\xa9!"));
    std::string native = save(kEncodingUTF16, nullptr), swapped = save(kEncodingUTF16Swapped, nullptr);
    UniChar units[5];  // the mark and c, a, f, é
    ASSERT_EQ(native.size(), sizeof units);
    std::memcpy(units, native.data(), native.size());
    EXPECT_EQ(units[0], 0xFEFF);
    EXPECT_EQ(units[4], 0x00E9);
    ASSERT_EQ(swapped.size(), 10u);
    for (size_t i = 0; i < 10; i += 2) {
        EXPECT_EQ(swapped[i], native[i + 1]);
        EXPECT_EQ(swapped[i + 1], native[i]);
    }
    // What was saved loads back unchanged, mark and all detected.
    for (const std::string &file : {native, swapped}) EXPECT_EQ(Load(file, -1), cafe);
    EXPECT_EQ(SaveEncodedTextFile(nullptr, cafe, 5, kEncodingUTF8, kEncodingUTF8), paramErr);
}

}  // namespace
