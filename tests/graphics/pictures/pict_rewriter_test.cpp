// ctest-labels: pictures pictures.adapte
// The picture rewriter and its helpers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pict_rewriter.h"
#include "graphics/pictures/player.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_services.h"
#include "platform/core/memory.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"

namespace {

struct Walked {
    std::vector<UInt16> opcodes;
    std::vector<UInt32> offsets;
    std::vector<PictOpRecord> ops;
};

Walked Walk(const std::vector<UInt8> &bytes) {
    Walked out;
    PictWalkRecord walk;
    PictOpRecord op;
    if (OrvaPictBeginWalk(bytes.data(), UInt32(bytes.size()), &walk) != noErr) return out;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
        out.opcodes.push_back(op.opcode);
        out.offsets.push_back(op.offset);
        out.ops.push_back(op);
    }
    return out;
}

class Adapte : public ::testing::Test {
protected:
    GrafPort port;
    Rect frame = {0, 0, 100, 100};
    void SetUp() override {
        ASSERT_TRUE(StartColorsForTests());
        OpenTestPort(&port, 100, 100);
        EraseRect(&port.portRect);
        CapturedErrors().clear();
    }
    void TearDown() override { ClosePort(&port); }
};

TEST_F(Adapte, VersionOneBecomesVersionTwoWithAnExtendedHeader) {
    std::vector<UInt8> v1 = {0, 40, 0, 5, 0, 6, 0, 100, 0, 90, 0x11, 0x01, 0x07, 0, 2, 0, 2, 0x04, 0x01,
                             0x31, 0, 10, 0, 10, 0, 50, 0, 60, 0x0E, 0, 0, 0, 205, 0xFF};
    PicHandle src = PictureFromBytes(v1);
    PicHandle out = AdaptePicture(src, 1, 0);
    ASSERT_NE(out, nullptr);
    std::vector<UInt8> b = PictureBytes(out);
    ASSERT_EQ(OrvaPictKind(b.data(), UInt32(b.size())), kPictKindVersion2);
    const UInt8 header[] = {0x00, 0x11, 0x02, 0xFF, 0x0C, 0x00, 0xFF, 0xFE, 0, 0, 0, 0x48, 0, 0, 0, 0x48, 0, 0,
                            0, 5, 0, 6, 0, 100, 0, 90};
    EXPECT_EQ(std::vector<UInt8>(b.begin() + 10, b.begin() + 36), std::vector<UInt8>(header, header + sizeof header));
    Walked w = Walk(b);
    EXPECT_EQ(w.opcodes, (std::vector<UInt16>{0x07, 0x04, 0x31, 0xFF}));  // FgColor dropped
    for (UInt32 offset : w.offsets) EXPECT_EQ(offset % 2, 0u);
    EXPECT_EQ(b[b.size() - 2], 0x00);
    EXPECT_EQ(b.back(), 0xFF);
    EXPECT_EQ(UInt16((b[0] << 8) | b[1]), UInt16(b.size()));
    PictInfo info;
    ASSERT_EQ(GetPictInfo(out, &info), noErr);
    EXPECT_EQ(info.sourceRect.right, 90);
    EXPECT_EQ(info.hRes, 72 << 16);
    KillPicture(out);
    KillPicture(src);
}

TEST_F(Adapte, AColourIndexColoursTheWholePicture) {
    PicHandle src = OpenPicture(&frame);
    RGBColor red = {0xFFFF, 0, 0};
    RGBForeColor(&red);
    Rect r = {10, 10, 50, 50};
    PaintRect(&r);
    ForeColor(33);
    Rect r2 = {60, 60, 90, 90};
    PaintOval(&r2);
    ClosePicture();
    PicHandle out = AdaptePicture(src, 1, 5);
    ASSERT_NE(out, nullptr);
    std::vector<UInt8> b = PictureBytes(out);
    Walked w = Walk(b);
    RGBColor five;
    CvtIndexEnRGB(5, &five);
    ASSERT_FALSE(w.opcodes.empty());
    EXPECT_EQ(w.opcodes[0], kPictOpRGBFgCol);
    UInt32 at = w.offsets[0] + 2;
    EXPECT_EQ(UInt16((b[at] << 8) | b[at + 1]), five.red);
    EXPECT_EQ(UInt16((b[at + 4] << 8) | b[at + 5]), five.blue);
    for (size_t i = 1; i < w.opcodes.size(); i++) {
        UInt16 op = w.opcodes[i];
        EXPECT_TRUE(op != 0x0E && op != 0x0F && op != 0x1A && op != 0x1B && op != 0x1F) << op;
    }
    // The own-form source plays in that colour.
    DrawPicture(out, &frame);
    UInt32 expected = UInt32(five.red >> 8) << 16 | UInt32(five.green >> 8) << 8 | UInt32(five.blue >> 8);
    EXPECT_EQ(PortPixel(&port, 30, 30), expected);
    EXPECT_EQ(PortPixel(&port, 75, 75), expected);
    KillPicture(out);
    KillPicture(src);
}

TEST_F(Adapte, ScreenMusicFontsBecomeThePrintFont) {
    const SInt16 screen[kLentaraScreenFonts] = {0x4101, 0x4102, 0};
    OrvaSetFontesLentara(screen, 0x4200);
    // Own-form: TxFont 0x4102, TxFont 20, end.
    PicHandle empty = OpenPicture(&frame);
    ClosePicture();
    std::vector<UInt8> bytes = PictureBytes(empty);
    KillPicture(empty);
    bytes.resize(bytes.size() - 2);
    for (SInt16 id : {SInt16(0x4102), SInt16(20)}) {
        bytes.insert(bytes.end(), {0x00, 0x03});
        bytes.insert(bytes.end(), (const UInt8 *)&id, (const UInt8 *)&id + 2);
    }
    bytes.insert(bytes.end(), {0x00, 0xFF});
    PicHandle src = PictureFromBytes(bytes);
    PicHandle out = AdaptePicture(src, 1, 0);
    ASSERT_NE(out, nullptr);
    std::vector<UInt8> b = PictureBytes(out);
    Walked w = Walk(b);
    std::vector<SInt32> fonts;
    for (size_t i = 0; i < w.opcodes.size(); i++)
        if (w.opcodes[i] == kPictOpTxFont) fonts.push_back((b[w.offsets[i] + 2] << 8) | b[w.offsets[i] + 3]);
    EXPECT_EQ(fonts, (std::vector<SInt32>{0x4200, 20}));
    const SInt16 none[kLentaraScreenFonts] = {0, 0, 0};
    OrvaSetFontesLentara(none, 0);
    KillPicture(out);
    KillPicture(src);
}

TEST_F(Adapte, UnknownOpcodesGiveNullAndDirectImagesAreCopiedVerbatim) {
    PicHandle src = OpenPicture(&frame);
    Rect r = {0, 0, 8, 8}, to = {20, 20, 28, 28};
    PaintRect(&r);
    CopyBits(&port.portBits, &port.portBits, &r, &to, 0, nullptr);
    ClosePicture();
    std::vector<UInt8> own = PictureBytes(src);
    ASSERT_TRUE(CvtPict2MacPict(src, false));
    std::vector<UInt8> big = PictureBytes(src);
    PicHandle out = AdaptePicture(src, 1, 0);
    ASSERT_NE(out, nullptr);
    std::vector<UInt8> b = PictureBytes(out);
    Walked ws = Walk(big), wo = Walk(b);
    auto find = [](const Walked &w) {
        for (size_t i = 0; i < w.opcodes.size(); i++)
            if (w.opcodes[i] == kPictOpDirectBitsRect) return w.offsets[i];
        return 0u;
    };
    UInt32 s = find(ws), o = find(wo);
    ASSERT_GT(s, 0u);
    ASSERT_GT(o, 0u);
    EXPECT_EQ(std::vector<UInt8>(b.begin() + o, b.end()), std::vector<UInt8>(big.begin() + s, big.end()));
    KillPicture(out);
    KillPicture(src);

    std::vector<UInt8> unknown = own;
    unknown.insert(unknown.end() - 2, {0x00, 0x13});
    PicHandle bad = PictureFromBytes(unknown);
    EXPECT_EQ(AdaptePicture(bad, 1, 0), nullptr);
    KillPicture(bad);
    CapturedErrors().clear();
}

TEST_F(Adapte, HelpersOfTheDrawingKit) {
    RGBColor zero, one;
    CvtIndexEnRGB(0, &zero);
    CvtIndexEnRGB(1, &one);
    EXPECT_EQ(std::memcmp(&zero, &one, sizeof zero), 0);
    GrafPtr off = CreeOffscreen(20, 10, -1);
    ASSERT_NE(off, nullptr);
    EXPECT_EQ(off->depth, 24);
    OrvaClosePortOffscreen(off);
    SetPort(&port);
    Handle h = NewHandle(10);
    UInt8 outer = LockHandleSys(h);
    UInt8 inner = LockHandleSys(h);
    EXPECT_EQ(RetailleHandle(h, 5000), 1);
    EXPECT_EQ(GetHandleSize(h), 5000u);
    UnLockHandleSys(h, inner);
    EXPECT_NE(HGetState(h) & 0x80, 0);  // still locked by the outer pair
    UnLockHandleSys(h, outer);
    EXPECT_EQ(HGetState(h) & 0x80, 0);
    DisposHandle(h);
}

}  // namespace
