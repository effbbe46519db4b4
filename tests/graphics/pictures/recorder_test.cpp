// ctest-labels: ports;ports.recorder
// The picture recorder, the picture walk, CvtPict2MacPict and GetPictInfo.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "platform/core/memory.h"
#include "support/graphics/picture_support.h"
#include "support/graphics/quickdraw_support.h"

namespace {

struct Op {
    UInt32 offset;
    UInt16 opcode;
    std::vector<SInt32> values;  // every word and long of the operands, in reading order
    bool operator==(const Op &o) const { return opcode == o.opcode && values == o.values; }
};

// Lists a picture's opcodes with their operand values decoded in the picture's byte order.
std::vector<Op> Walk(const std::vector<UInt8> &bytes, OSErr *error = nullptr) {
    std::vector<Op> ops;
    PictWalkRecord walk;
    OSErr err = OrvaPictBeginWalk(bytes.data(), UInt32(bytes.size()), &walk);
    PictOpRecord op;
    while (err == noErr && !walk.ended) {
        err = OrvaPictNextOp(&walk, &op);
        if (err != noErr) break;
        Op o = {op.offset, op.opcode, {}};
        for (SInt32 i = 0; i < op.fieldCount; i++) {
            const PictFieldRecord &f = op.fields[i];
            switch (f.kind) {
                case kFieldWord:
                case kFieldPoint:
                case kFieldRect:
                case kFieldRGB:
                case kFieldRegion:
                case kFieldPolygon:
                    for (UInt32 k = 0; k < f.length; k += 2) o.values.push_back(OrvaPictWord(&walk, f.offset + k));
                    break;
                case kFieldLong: o.values.push_back(OrvaPictLong(&walk, f.offset)); break;
                default:
                    for (UInt32 k = 0; k < f.length; k++) o.values.push_back(bytes[f.offset + k]);
            }
        }
        ops.push_back(o);
    }
    if (error) *error = err;
    return ops;
}

std::vector<UInt16> Opcodes(const std::vector<Op> &ops) {
    std::vector<UInt16> out;
    for (const Op &o : ops) out.push_back(o.opcode);
    return out;
}

class Recorder : public ::testing::Test {
protected:
    GrafPort port;
    Rect frame = {0, 0, 100, 100};
    void SetUp() override {
        OpenTestPort(&port, 100, 100);
        CapturedErrors().clear();
    }
    void TearDown() override { ClosePort(&port); }
    std::vector<UInt16> RecordOpcodes(void (*draw)()) {
        PicHandle pic = OpenPicture(&frame);
        draw();
        ClosePicture();
        std::vector<UInt16> out = Opcodes(Walk(PictureBytes(pic)));
        KillPicture(pic);
        return out;
    }
};

TEST_F(Recorder, AnEmptyRecordingIsSixtyFourBytes) {
    PicHandle pic = OpenPicture(&frame);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(port.pnVis, -1);
    ClosePicture();
    EXPECT_EQ(port.pnVis, 0);
    EXPECT_EQ(port.picSave, nullptr);
    std::vector<UInt8> expected = {64, 0, 0, 0, 0, 0, 100, 0, 100, 0, 0x00, 0x11, 0xCA, 0xFE, 0x0C, 0x00};
    expected.resize(40, 0);
    const UInt8 tail[] = {0x00, 0x1E,                                      // DefHilite
                          0x00, 0x1B, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  // RGBBkCol white
                          0x00, 0x01, 10, 0, 0x01, 0x80, 0x01, 0x80, 0xFF, 0x7F, 0xFF, 0x7F,  // Clip
                          0x00, 0xFF};
    expected.insert(expected.end(), tail, tail + sizeof tail);
    EXPECT_EQ(PictureBytes(pic), expected);
    KillPicture(pic);
}

TEST_F(Recorder, RedundantStateIsLeftOut) {
    PicHandle pic = OpenPicture(&frame);
    ClipRect(&port.portRect);  // the clip changes: recorded
    ClipRect(&port.portRect);  // the same rectangle again: nothing
    PenMode(8);                // equal to the port's mode, but the first since OpenPicture
    PenMode(8);
    PenMode(9);
    SetOrigin(5, 6);
    ClosePicture();
    std::vector<Op> ops = Walk(PictureBytes(pic));
    EXPECT_EQ(Opcodes(ops), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0x01, 0x08, 0x08, 0x0C, 0xFF}));
    EXPECT_EQ(ops[4].values, (std::vector<SInt32>{8}));
    EXPECT_EQ(ops[5].values, (std::vector<SInt32>{9}));
    EXPECT_EQ(ops[6].values, (std::vector<SInt32>{5, 6}));
    KillPicture(pic);
}

TEST_F(Recorder, AMoveAndTwoLinesGiveOneLineThenOneLineFrom) {
    PicHandle pic = OpenPicture(&frame);
    _MoveTo(10, 20);
    _LineTo(30, 40);
    _LineTo(50, 60);
    ClosePicture();
    std::vector<Op> ops = Walk(PictureBytes(pic));
    ASSERT_EQ(Opcodes(ops), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0x20, 0x21, 0xFF}));
    EXPECT_EQ(ops[3].values, (std::vector<SInt32>{20, 10, 40, 30}));  // points are v, h
    EXPECT_EQ(ops[4].values, (std::vector<SInt32>{60, 50}));
    EXPECT_EQ(port.pnLoc.h, 50);
    KillPicture(pic);
}

TEST_F(Recorder, SpaceExtraIsComparedOnAllItsBits) {
    PicHandle pic = OpenPicture(&frame);
    _MoveTo(1, 1);
    SpaceExtra(0x10000);  // right after a move, on a port whose spExtra is 0
    SpaceExtra(0x20000);  // same low half as the previous value
    SpaceExtra(0x20000);  // a repeat: left out
    _LineTo(2, 2);        // the move is still pending
    ClosePicture();
    std::vector<Op> ops = Walk(PictureBytes(pic));
    ASSERT_EQ(Opcodes(ops), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0x06, 0x06, 0x20, 0xFF}));
    EXPECT_EQ(ops[3].values, (std::vector<SInt32>{0x10000}));
    EXPECT_EQ(ops[4].values, (std::vector<SInt32>{0x20000}));
    KillPicture(pic);
}

TEST_F(Recorder, OpcodesStartOnEvenOffsets) {
    PicHandle pic = OpenPicture(&frame);
    Handle data = NewHandle(3);
    std::memcpy(*data, "abc", 3);
    PicComment(100, 3, data);
    PenMode(10);
    ClosePicture();
    std::vector<UInt8> bytes = PictureBytes(pic);
    std::vector<Op> ops = Walk(bytes);
    ASSERT_EQ(Opcodes(ops), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0xA1, 0x08, 0xFF}));
    EXPECT_EQ(ops[3].offset, 62u);
    EXPECT_EQ(ops[4].offset, 72u);  // 62 + 2 + 4 + 3 = 71, one pad byte
    EXPECT_EQ(std::string(bytes.begin() + 68, bytes.begin() + 71), "abc");
    DisposHandle(data);
    KillPicture(pic);
}

TEST_F(Recorder, CommentsGoThroughTheBottleneckTable) {
    static int calls = 0;
    GrafProcs procs = {};
    procs.commentProc = [](SInt16 kind, SInt16, Handle) { calls += kind; };
    SetPortGrafProcs(&port, &procs);
    EXPECT_EQ(GetPortGrafProcs(&port), &procs);
    EXPECT_EQ(RecordOpcodes([] { PicComment(7, 0, nullptr); }), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0xFF}));
    EXPECT_EQ(calls, 7);
    SetPortGrafProcs(&port, nullptr);
    EXPECT_EQ(RecordOpcodes([] { PicComment(7, 0, nullptr); }), (std::vector<UInt16>{0x1E, 0x1B, 0x01, 0xA0, 0xFF}));
}

TEST_F(Recorder, UnicodeAlternateTextIsALongComment) {
    PicHandle pic = OpenPicture(&frame);
    const UniChar text[2] = {0x263A, 'A'};
    OrvaCollectUnicodeAlternateText(text, 2, 90);
    ClosePicture();
    std::vector<Op> ops = Walk(PictureBytes(pic));
    ASSERT_EQ(ops[3].opcode, 0xA1);
    EXPECT_EQ(ops[3].values, (std::vector<SInt32>{5478, 6, 90, 0, 0x3A, 0x26, 'A', 0}));
    KillPicture(pic);
}

TEST_F(Recorder, AFailedGrowthLeavesTheEmptyPictureAndOneMessage) {
    PicHandle pic = OpenPicture(&frame);
    HLock((Handle)pic);
    for (int i = 0; i < 3000; i++) _LineTo(SInt16(i), SInt16(i));
    ClosePicture();
    EXPECT_EQ(CapturedErrors(), (std::vector<std::string>{"Depassement de la taille maximale en pict"}));
    std::vector<UInt8> bytes = PictureBytes(pic);
    SInt16 picSize;
    std::memcpy(&picSize, bytes.data(), 2);
    EXPECT_EQ(picSize, 42);
    EXPECT_EQ(bytes[40], 0x00);
    EXPECT_EQ(bytes[41], 0xFF);
    EXPECT_EQ(Opcodes(Walk(bytes)), (std::vector<UInt16>{0xFF}));
    EXPECT_EQ(port.picSave, nullptr);
    HUnlock((Handle)pic);
    KillPicture(pic);
}

TEST_F(Recorder, ALongPictureKeepsTheLowSixteenBitsOfItsSize) {
    PicHandle pic = OpenPicture(&frame);
    for (int i = 0; i < 12000; i++) _LineTo(SInt16(i % 100), SInt16(i % 77));
    ClosePicture();
    UInt32 length = GetHandleSize((Handle)pic);
    EXPECT_EQ(length, 64u + 12000 * 6);
    UInt16 picSize;
    std::memcpy(&picSize, *pic, 2);
    EXPECT_EQ(picSize, UInt16(length & 0xFFFF));
    EXPECT_EQ(Walk(PictureBytes(pic)).size(), 12004u);
    KillPicture(pic);
}

// Records a plain bit image by hand: rowBytes, bounds, source, destination, mode, rows.
void RecordBitImage(SInt16 rowBytes) {
    SInt16 header[13] = {rowBytes, 0, 0, 2, 64, 0, 0, 2, 64, 0, 0, 2, 64};
    SInt16 mode = 0;
    RecordPictAction(kPictOpBitsRect, header, sizeof header);
    RecordPictAction(kPictOpAppend, &mode, 2);
    if (rowBytes >= 8) {
        const UInt8 rows[] = {2, 0xF9, 0xFF, 2, 0xF9, 0x00};  // each row PackBits-packed
        RecordPictAction(kPictOpAppend, rows, sizeof rows);
    } else {
        std::vector<UInt8> rows(size_t(rowBytes) * 2, 0xAA);
        RecordPictAction(kPictOpAppend, rows.data(), UInt32(rows.size()));
    }
}

PicHandle RecordMixedPicture(const Rect *frame) {
    PicHandle pic = OpenPicture(frame);
    PenSize(3, 2);
    PenPat(&qd.gray);
    ForeColor(205);
    SetOrigin(-4, 7);
    _MoveTo(1, 2);
    _LineTo(-3, 4);
    Handle data = NewHandle(5);
    std::memcpy(*data, "hello", 5);
    PicComment(100, 5, data);
    DisposHandle(data);
    SInt16 point[2] = {12, 34};
    const UInt8 text[] = {3, 'a', 'b', 'c'};
    RecordPictAction(kPictOpLongText, point, 4);
    RecordPictAction(kPictOpAppend, text, 4);
    RecordBitImage(8);
    RecordBitImage(2);
    RgnHandle clip = NewRgn(), other = NewRgn();
    _SetRectRgn(clip, 0, 0, 50, 50);
    _SetRectRgn(other, 20, 20, 80, 70);
    _UnionRgn(clip, other, clip);
    SetClip(clip);
    DisposeRgn(clip);
    DisposeRgn(other);
    ClosePicture();
    return pic;
}

TEST_F(Recorder, ConversionGivesVersionTwoWithTheSameOpcodes) {
    PicHandle pic = RecordMixedPicture(&frame);
    std::vector<UInt8> before = PictureBytes(pic);
    std::vector<Op> own = Walk(before);
    ASSERT_EQ(own.back().opcode, 0xFF);
    ASSERT_TRUE(CvtPict2MacPict(pic, false));
    std::vector<UInt8> after = PictureBytes(pic);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(OrvaPictKind(after.data(), UInt32(after.size())), kPictKindVersion2);
    std::vector<Op> v2 = Walk(after);
    ASSERT_EQ(v2.size(), own.size());
    for (size_t i = 0; i < own.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v2[i].values, own[i].values);
        // A packed bit image is told apart by its opcode in version 2; a raw one keeps 0x90.
        UInt16 expected = own[i].opcode;
        if (expected == 0x90 && own[i].values[0] >= 8) expected = 0x98;
        EXPECT_EQ(v2[i].opcode, expected);
    }
    EXPECT_EQ(after[0], before[1]);  // picSize big-endian now
    const UInt8 header[] = {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0};
    EXPECT_EQ(std::vector<UInt8>(after.begin() + 16, after.begin() + 36), std::vector<UInt8>(header, header + 20));
    // A version-2 picture is left alone.
    ASSERT_TRUE(CvtPict2MacPict(pic, false));
    EXPECT_EQ(PictureBytes(pic), after);
    EXPECT_TRUE(CapturedErrors().empty());
    KillPicture(pic);
}

TEST_F(Recorder, UnknownOpcodesKindsAndVersionsLeaveThePictureUnchanged) {
    PicHandle pic = OpenPicture(&frame);
    PenMode(9);
    SInt16 junk[4] = {1, 2, 3, 4};
    RecordPictAction(0x35, junk, sizeof junk);
    ClosePicture();
    std::vector<UInt8> before = PictureBytes(pic);
    EXPECT_FALSE(CvtPict2MacPict(pic, false));
    EXPECT_EQ(PictureBytes(pic), before);
    EXPECT_EQ(CapturedErrors(), (std::vector<std::string>{"Conversion PICT : Opcode $0035 inconnu"}));
    PictInfo info;
    EXPECT_EQ(GetPictInfo(pic, &info), pictureDataErr);
    KillPicture(pic);
    CapturedErrors().clear();
    // Unknown kinds and versions are refused too.
    pic = OpenPicture(&frame);
    ClosePicture();
    (*(UInt8 **)pic)[11] = 0x12;
    EXPECT_FALSE(CvtPict2MacPict(pic, false));
    (*(UInt8 **)pic)[11] = 0x11;
    (*(UInt8 **)pic)[12] = 0x03;
    EXPECT_FALSE(CvtPict2MacPict(pic, false));
    EXPECT_EQ(CapturedErrors(),
              (std::vector<std::string>{"Cvt : Pict de type inconnu", "Cvt : Version de Pict non reconnue."}));
    EXPECT_FALSE(CvtPict2MacPict(nullptr, false));
    KillPicture(pic);
}

TEST_F(Recorder, PictInfoGivesTheFrameAndHighestResolution) {
    PicHandle pic = RecordMixedPicture(&frame);
    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic, &info), noErr);
    EXPECT_EQ(info.sourceRect.bottom, 100);
    EXPECT_EQ(info.hRes, 0x480000);
    EXPECT_EQ(info.vRes, 0x480000);
    ASSERT_TRUE(CvtPict2MacPict(pic, false));
    ASSERT_EQ(GetPictInfo(pic, &info), noErr);
    EXPECT_EQ(info.sourceRect.right, 100);
    // An extended version-2 header gives its own source rectangle and resolutions.
    UInt8 *p = (UInt8 *)*pic;
    const UInt8 extended[] = {0xFF, 0xFE, 0, 0, 0, 0x96, 0, 0, 0, 0x48, 0, 0, 0, 1, 0, 2, 0, 3, 0, 4};
    std::memcpy(p + 16, extended, sizeof extended);
    ASSERT_EQ(GetPictInfo(pic, &info), noErr);
    EXPECT_EQ(info.hRes, 0x960000);
    EXPECT_EQ(info.vRes, 0x480000);
    EXPECT_EQ(info.sourceRect.top, 1);
    EXPECT_EQ(info.sourceRect.right, 4);
    EXPECT_EQ(GetPictInfo(nullptr, &info), pictureDataErr);
    p[0] = p[1] = 0;
    EXPECT_EQ(GetPictInfo(pic, &info), pictureDataErr);
    KillPicture(pic);
}

TEST_F(Recorder, CutOffPicturesFailCleanly) {
    PicHandle full = RecordMixedPicture(&frame);
    std::vector<UInt8> bytes = PictureBytes(full);
    KillPicture(full);
    for (size_t n = 0; n < bytes.size(); n++) {
        SCOPED_TRACE(n);
        Handle h = NewHandle(UInt32(n));
        if (n) std::memcpy(*h, bytes.data(), n);
        PictInfo info;
        EXPECT_EQ(GetPictInfo((PicHandle)h, &info), pictureDataErr);
        EXPECT_FALSE(CvtPict2MacPict((PicHandle)h, false));
        EXPECT_EQ(GetHandleSize(h), n);
        if (n) {
            EXPECT_EQ(std::memcmp(*h, bytes.data(), n), 0);
        }
        DisposHandle(h);
    }
}

}  // namespace
