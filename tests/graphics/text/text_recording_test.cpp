// ctest-labels: text text.recording
// Text and text state recorded into pictures, saved text states, and the font-family calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "platform/core/memory.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {

// The opcodes after the header (the clip and background colour of OpenPicture are dropped)
// with their raw operand bytes, up to the end opcode.
std::vector<PictureOp> Ops(PicHandle pic) {
    return PictureOps(pic, {kPictOpClip, kPictOpRGBBkCol, kPictOpDefHilite, kPictOpEndPic});
}

class TextRecording : public ::testing::Test {
protected:
    GrafPort port;
    Rect frame = {0, 0, 100, 200};
    PicHandle pic = nullptr;
    void SetUp() override {
        StartTextForTests();
        OpenTestPort(&port, 200, 100);
        PaintPortWhite(&port);
        TextFont(3);
        TextSize(12);
        TextFace(0);
    }
    void TearDown() override {
        if (port.picSave) ClosePicture();
        KillPicture(pic);
        ClosePort(&port);
    }
    void Open() { pic = OpenPicture(&frame); }
    std::vector<PictureOp> Close() {
        ClosePicture();
        return Ops(pic);
    }
};

TEST_F(TextRecording, LongRunsAreRecordedIn255ByteChunksAndMoveThePen) {
    std::string text;
    for (int i = 0; i < 600; i++) text += char('a' + i % 26);
    SInt16 width = TextWidth(text.data(), 0, 600);
    std::string pixels = PortPixels(&port);
    Open();
    _MoveTo(5, 50);
    _DrawText(text.data(), 0, 600);
    EXPECT_EQ(port.pnLoc.h, 5 + width);
    std::vector<PictureOp> ops = Close();
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].opcode, kPictOpLongText);
    ASSERT_EQ(ops[0].operands.size(), 5u + 255u);
    EXPECT_EQ(OperandWord(ops[0].operands, 0), 50);  // the pen: v, then h
    EXPECT_EQ(OperandWord(ops[0].operands, 2), 5);
    EXPECT_EQ(ops[0].operands[4], 255);
    EXPECT_EQ(std::string(ops[0].operands.begin() + 5, ops[0].operands.end()), text.substr(0, 255));
    EXPECT_EQ(ops[1].opcode, kPictOpDHText);
    EXPECT_EQ(ops[1].operands[0], 0);
    EXPECT_EQ(ops[1].operands[1], 255);
    EXPECT_EQ(std::string(ops[1].operands.begin() + 2, ops[1].operands.end()), text.substr(255, 255));
    EXPECT_EQ(ops[2].opcode, kPictOpDHText);
    EXPECT_EQ(ops[2].operands[1], 90);
    EXPECT_EQ(std::string(ops[2].operands.begin() + 2, ops[2].operands.end()), text.substr(510));
    EXPECT_TRUE(PortPixels(&port) == pixels);
}

TEST_F(TextRecording, EmptyStringsAndUTFTextRecordNothing) {
    Open();
    _MoveTo(10, 40);
    DrawString("");
    _DrawText("abc", 0, 0);
    OrvaUTFDrawString("caf\xc3\xa9");
    UniChar units[] = {'x', 'y'};
    OrvaPortDrawClippedText(&port, units, 0, 2, true, 0);
    EXPECT_EQ(port.pnLoc.h, 10 + OrvaUTFStringWidth("caf\xc3\xa9") + OrvaTextWidth(units, 0, 2, true));
    EXPECT_TRUE(Close().empty());
    EXPECT_TRUE(DirtySlotsEmpty(&port));
}

TEST_F(TextRecording, TextFontRecordsTheNameThenTheId) {
    Open();
    TextFont(1);
    std::vector<PictureOp> ops = Close();
    EXPECT_EQ(port.txFont, 3);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0].opcode, kPictOpFontName);
    const std::string name = "DejaVu Sans";
    ASSERT_EQ(ops[0].operands.size(), 5 + name.size());
    EXPECT_EQ(OperandWord(ops[0].operands, 0), SInt16(name.size() + 3));
    EXPECT_EQ(OperandWord(ops[0].operands, 2), 3);
    EXPECT_EQ(ops[0].operands[4], name.size());
    EXPECT_EQ(std::string(ops[0].operands.begin() + 5, ops[0].operands.end()), name);
    EXPECT_EQ(ops[1].opcode, kPictOpTxFont);
    EXPECT_EQ(OperandWord(ops[1].operands, 0), 3);

    // A font without a name records only its id.
    OrvaFontStruct nameless;
    std::memset(&nameless, 0, sizeof nameless);
    nameless.fontID = 0x0BAD;
    ASSERT_TRUE(OrvaAddFont(&nameless));
    Open();
    TextFont(0x0BAD);
    ops = Close();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].opcode, kPictOpTxFont);
    EXPECT_EQ(OperandWord(ops[0].operands, 0), 0x0BAD);
    OrvaDisposeFontList();
    OrvaGetFontList();
    OrvaSetFontTranscodingByName("OrvaTestSymbol", 0);
}

TEST_F(TextRecording, StateSettersRecordTheirOpcodes) {
    Open();
    TextSize(18);
    TextFace(kFaceBold | kFaceUnderline);
    TextMode(3);
    OrvaSetFontRatio(1.5f);
    OrvaSetTranscodeCharset(0);
    OrvaSetTranscodeCharset(1);
    _MoveTo(20, 30);
    DrawChar('Q');
    std::vector<PictureOp> ops = Close();
    ASSERT_EQ(ops.size(), 7u);
    EXPECT_EQ(ops[0].opcode, kPictOpTxSize);
    EXPECT_EQ(OperandWord(ops[0].operands, 0), 18);
    EXPECT_EQ(ops[1].opcode, kPictOpTxFace);
    EXPECT_EQ(ops[1].operands, std::vector<UInt8>{kFaceBold | kFaceUnderline});
    EXPECT_EQ(ops[2].opcode, kPictOpTxMode);
    EXPECT_EQ(OperandWord(ops[2].operands, 0), 3);
    EXPECT_EQ(ops[3].opcode, kPictOpTxRatio);
    ASSERT_EQ(ops[3].operands.size(), 8u);
    EXPECT_EQ(OperandWord(ops[3].operands, 0), 1000);
    EXPECT_EQ(OperandWord(ops[3].operands, 2), 1500);
    EXPECT_EQ(OperandWord(ops[3].operands, 4), 1000);
    EXPECT_EQ(OperandWord(ops[3].operands, 6), 1000);
    EXPECT_EQ(ops[4].opcode, kPictOpShortComment);
    EXPECT_EQ(OperandWord(ops[4].operands, 0), 5476);
    EXPECT_EQ(OperandWord(ops[5].operands, 0), 5477);
    EXPECT_EQ(ops[6].opcode, kPictOpLongText);
    EXPECT_EQ(ops[6].operands, (std::vector<UInt8>{30, 0, 20, 0, 1, 'Q'}));
    EXPECT_EQ(port.pnLoc.h, 20 + CharWidth('Q'));
    EXPECT_EQ(port.txSize, 18);
    EXPECT_EQ(port.txFace, kFaceBold | kFaceUnderline);
    EXPECT_EQ(port.txMode, 3);
    EXPECT_EQ(OrvaGetCurrentFontRatio(), 1.5f);
    Open();
    OrvaSetFontRatio(std::nanf(""));  // recorded as 1.0
    ops = Close();
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(OperandWord(ops[0].operands, 2), 1000);
    OrvaSetFontRatio(1.0f);
}

TEST_F(TextRecording, SavedTextStatesStopAndResumeRecording) {
    TextSize(14);
    TextFace(kFaceItalic);
    SpaceExtra(3 << 16);
    Open();
    TextStateSave state;
    A_GetTextState(&state);
    EXPECT_EQ(state.size, 14);
    EXPECT_EQ(state.face, kFaceItalic);
    EXPECT_EQ(state.spExtra, 3 << 16);
    EXPECT_EQ(state.tempPort, nullptr);
    EXPECT_EQ(port.picSave, nullptr);
    TextSize(40);  // not recorded: recording is off
    TextFace(0);
    A_SetTextState(&state);
    EXPECT_EQ(port.picSave, (Handle)pic);
    EXPECT_EQ(port.txSize, 14);
    EXPECT_EQ(port.txFace, kFaceItalic);
    EXPECT_TRUE(Close().empty());
}

TEST_F(TextRecording, ASavedStateWithoutAPortOpensAWholeTemporaryPort) {
    SetPort(nullptr);
    TextStateSave state;
    A_GetTextState(&state);
    EXPECT_EQ(state.font, -1);
    EXPECT_EQ(state.size, -1);
    ASSERT_NE(state.tempPort, nullptr);
    EXPECT_EQ(qd.thePort, state.tempPort);
    // The temporary port is a whole port: every field of it can be used.
    state.tempPort->savedRect = Rect{1, 2, 3, 4};
    DrawString("temporary");
    A_SetTextState(&state);
    EXPECT_EQ(state.tempPort, nullptr);
    EXPECT_EQ(qd.thePort, nullptr);
    SetPort(&port);
}

TEST_F(TextRecording, FontFamilyCalls) {
    static_assert(sizeof(FMFontFamilyIterator) == 64, "the classic iterator size");
    FMFontFamilyInstanceIterator instances;
    FMCreateFontFamilyInstanceIterator(20, &instances);
    FMFont font = 0;
    FMFontStyle style = -1;
    FMFontSize size = 0;
    EXPECT_EQ(FMGetNextFontFamilyInstance(&instances, &font, &style, &size), noErr);
    EXPECT_EQ(font, 20u);
    EXPECT_EQ(style, 0);
    EXPECT_EQ(size, 12);
    EXPECT_EQ(FMGetNextFontFamilyInstance(&instances, &font, &style, &size), kFMIterationCompleted);
    FMDisposeFontFamilyInstanceIterator(&instances);

    char name[256];
    EXPECT_EQ(FMGetFontFamilyName(22, name), noErr);
    EXPECT_STREQ(name, "FreeMono");
    EXPECT_EQ(UInt16(FMGetFontFamilyFromName("FreeMono")), OrvaGetFontIDFromNameStrict("FreeMono"));
}

}  // namespace
