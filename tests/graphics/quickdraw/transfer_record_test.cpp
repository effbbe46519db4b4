// ctest-labels: transfer transfer.recording
// Transfers recorded into an open picture: nothing is drawn, ports become DirectBitsRect with
// component planes (8-bit ports by their colours), bitmaps BitsRect, and the rows unpack, by a
// decoder written here from the row format, to the source's pixels.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/packed_images.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"
#include "support/test_home.h"
#include "support/tool_support.h"

namespace {

typedef std::vector<UInt8> Bytes;

// One recorded image: its operand fields and the rows decoded from their packed form.
struct Image {
    UInt16 opcode = 0;
    UInt16 rowBytes = 0;
    Rect bounds = {0, 0, 0, 0};
    SInt16 packType = 0, pixelSize = 0, cmpCount = 0;
    std::vector<Bytes> rows;
    std::vector<UInt32> lengthBytes;  // 1 or 2, per row
};

// PackBits decoding from the packet definition: f >= 0 copies f + 1 bytes, f < 0 repeats the
// next byte 1 - f times.
Bytes Unpack(const UInt8 *p, UInt32 n) {
    Bytes out;
    for (UInt32 i = 0; i < n;) {
        SInt8 f = SInt8(p[i++]);
        if (f >= 0) {
            out.insert(out.end(), p + i, p + i + f + 1);
            i += UInt32(f) + 1;
        } else {
            out.insert(out.end(), size_t(1 - f), p[i++]);
        }
    }
    return out;
}

UInt16 Word(const UInt8 *p) {
    UInt16 v;
    std::memcpy(&v, p, 2);
    return v;
}

std::vector<Image> Images(PicHandle pic) {
    std::vector<Image> images;
    PictWalkRecord walk;
    if (OrvaPictBeginWalk((const UInt8 *)*pic, GetHandleSize((Handle)pic), &walk) != noErr) return images;
    PictOpRecord op;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) {
        if (op.opcode != kPictOpBitsRect && op.opcode != kPictOpDirectBitsRect) continue;
        Image image;
        image.opcode = op.opcode;
        for (SInt32 i = 0; i < op.fieldCount; i++) {
            const PictFieldRecord &f = op.fields[i];
            const UInt8 *p = walk.bytes + f.offset;
            std::string label = f.label ? f.label : "";
            if (label == "rowBytes") image.rowBytes = Word(p);
            if (label == "bounds" || f.kind == kFieldPixMap) image.bounds = OrvaPictRect(&walk, f.offset);
            if (f.kind == kFieldPixMap) {
                image.packType = SInt16(Word(p + 10));
                image.pixelSize = SInt16(Word(p + 26));
                image.cmpCount = SInt16(Word(p + 28));
            }
            if (f.kind != kFieldRows) continue;
            UInt32 rb = image.rowBytes & 0x7FFF, at = 0;
            for (SInt32 y = 0; y < image.bounds.bottom - image.bounds.top; y++) {
                if (rb < 8) {
                    image.rows.push_back(Bytes(p + at, p + at + rb));
                    at += rb;
                    continue;
                }
                UInt32 width = rb > 250 ? 2 : 1, n = rb > 250 ? UInt32(p[at] << 8 | p[at + 1]) : p[at];
                image.lengthBytes.push_back(width);
                image.rows.push_back(Unpack(p + at + width, n));
                at += width + n;
            }
        }
        images.push_back(image);
    }
    return images;
}

class TransferRecording : public ::testing::Test {
protected:
    GrafPort port;
    std::vector<GrafPtr> sources;
    void SetUp() override { OpenTestPort(&port, 40, 30); }
    void TearDown() override {
        for (GrafPtr p : sources) OrvaClosePortOffscreen(p);
        ClosePort(&port);
    }
    GrafPtr Source(SInt16 width, SInt16 height, SInt16 depth) {
        GrafPtr p = NewFilledOffscreen(width, height, depth, 0);
        for (SInt32 y = 0; y < height; y++)
            for (SInt32 x = 0; x < width; x++)
                SetStorePixel(p, x, y, depth == 24 ? UInt32(x * 0x0A0503 + y * 0x010207) & 0xFFFFFF : UInt32(x + 16 * y) & 255);
        sources.push_back(p);
        SetPort(&port);
        return p;
    }
};

TEST_F(TransferRecording, CopyBitsWhileRecordingChangesNoPixel) {
    GrafPtr src = Source(10, 10, 24);
    OrvaFillSurfaceRect(&port, 0, 0, 39, 29, 0x123456);
    Rect frame = port.portRect, r = {0, 0, 10, 10};
    PicHandle pic = OpenPicture(&frame);
    CopyBits(&src->portBits, &port.portBits, &r, &r, srcCopy, nullptr);
    ClosePicture();
    for (SInt32 y = 0; y < 30; y++)
        for (SInt32 x = 0; x < 40; x++) ASSERT_EQ(PortPixel(&port, x, y), 0x123456u) << x << "," << y;
    KillPicture(pic);
}

TEST_F(TransferRecording, PortsBecomeDirectBitsRectWithPlanesOfTheirPixels) {
    ASSERT_TRUE(StartColorsForTests());
    GrafPtr plain = Source(12, 3, 24), alpha = Source(5, 2, 24), indexed = Source(6, 2, 8);
    alpha->opacity = NewPtrClear(10);
    for (SInt32 i = 0; i < 10; i++) alpha->opacity[i] = char(i * 25);
    Rect frame = port.portRect;
    PicHandle pic = OpenPicture(&frame);
    Rect r = {0, 0, 2, 5}, d = {1, 1, 3, 6};
    CopyBits(&plain->portBits, &port.portBits, &r, &d, srcCopy, nullptr);
    CopyBits(&alpha->portBits, &port.portBits, &r, &d, srcOr, nullptr);
    CopyBits(&indexed->portBits, &port.portBits, &r, &d, srcCopy, nullptr);
    ClosePicture();

    std::vector<Image> images = Images(pic);
    ASSERT_EQ(images.size(), 3u);
    const GrafPtr sourcesInOrder[3] = {plain, alpha, indexed};
    const SInt16 sizes[3][2] = {{24, 3}, {32, 4}, {24, 3}};
    for (SInt32 k = 0; k < 3; k++) {
        SCOPED_TRACE(k);
        const Image &image = images[size_t(k)];
        GrafPtr src = sourcesInOrder[k];
        SInt32 width = src->portRect.right, height = src->portRect.bottom;
        EXPECT_EQ(image.opcode, kPictOpDirectBitsRect);
        EXPECT_EQ(image.packType, 4);
        EXPECT_EQ(image.pixelSize, sizes[k][0]);
        EXPECT_EQ(image.cmpCount, sizes[k][1]);
        EXPECT_EQ(image.rowBytes, 0x8000 | (width * 4));
        ASSERT_EQ(image.rows.size(), size_t(height));
        for (SInt32 y = 0; y < height; y++) {
            const Bytes &row = image.rows[size_t(y)];
            ASSERT_EQ(row.size(), size_t(width * sizes[k][1]));
            SInt32 colour = sizes[k][1] == 4 ? width : 0;
            for (SInt32 x = 0; x < width; x++) {
                UInt32 pixel = StorePixel(src, x, y);
                if (src->depth == 8) {
                    RGBColor c;
                    GrafPtr saved = qd.thePort;
                    SetPort(src);
                    Index2Color(SInt32(pixel), &c);
                    SetPort(saved);
                    pixel = UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | (c.blue >> 8);
                }
                if (colour) {
                    EXPECT_EQ(row[size_t(x)], UInt8(src->opacity[y * width + x]));
                }
                EXPECT_EQ(row[size_t(colour + x)], UInt8(pixel >> 16)) << x;
                EXPECT_EQ(row[size_t(colour + width + x)], UInt8(pixel >> 8)) << x;
                EXPECT_EQ(row[size_t(colour + 2 * width + x)], UInt8(pixel)) << x;
            }
        }
    }
    // The recorded images play back as the sources.
    std::string path = TempFile("direct.pict");
    ASSERT_TRUE(OrvaTestWriteFile(path, std::string(*(const char **)pic, GetHandleSize((Handle)pic))));
    int status = -1;
    std::string out = RunCommand(ToolPath("pictdump") + " " + path, &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("DirectBitsRect baseAddr 0 rowBytes 0x8030 pixMap bounds (0,0,3,12) packType 4 pixelType 0 "
                       "pixelSize 24 cmpCount 3 hRes 72 vRes 72"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("pixelSize 32 cmpCount 4"), std::string::npos) << out;
    EXPECT_NE(out.find("src (0,0,2,5) dst (1,1,3,6) mode 1"), std::string::npos) << out;
    std::remove(path.c_str());
    KillPicture(pic);
}

TEST_F(TransferRecording, BitmapsBecomeBitsRectAndLongRowsWordLengths) {
    // Rows of 250 and 251 bytes, and a short bitmap stored as it is.
    std::vector<Bytes> data;
    const SInt16 rowBytes[3] = {250, 251, 2};
    Rect frame = port.portRect;
    for (SInt16 rb : rowBytes) {
        Bytes bytes(size_t(rb) * 2);
        for (size_t i = 0; i < bytes.size(); i++) bytes[i] = UInt8((i / 3) * 7);
        data.push_back(bytes);
    }
    PicHandle pic = OpenPicture(&frame);
    for (SInt32 k = 0; k < 3; k++) {
        BitMap bits = RawBitMap(&data[size_t(k)], rowBytes[k], SInt16(rowBytes[k] * 8), 2);
        Rect r = {0, 0, 2, 8};
        CopyBits(&bits, &port.portBits, &r, &r, srcCopy, nullptr);
    }
    ClosePicture();
    std::vector<Image> images = Images(pic);
    ASSERT_EQ(images.size(), 3u);
    for (SInt32 k = 0; k < 3; k++) {
        SCOPED_TRACE(k);
        const Image &image = images[size_t(k)];
        EXPECT_EQ(image.opcode, kPictOpBitsRect);
        EXPECT_EQ(image.rowBytes, rowBytes[k]);
        ASSERT_EQ(image.rows.size(), 2u);
        for (SInt32 y = 0; y < 2; y++)
            EXPECT_EQ(image.rows[size_t(y)], Bytes(data[size_t(k)].begin() + y * rowBytes[k],
                                                   data[size_t(k)].begin() + (y + 1) * rowBytes[k]));
    }
    EXPECT_EQ(images[0].lengthBytes, (std::vector<UInt32>{1, 1}));
    EXPECT_EQ(images[1].lengthBytes, (std::vector<UInt32>{2, 2}));
    EXPECT_TRUE(images[2].lengthBytes.empty());
    KillPicture(pic);
}

TEST_F(TransferRecording, ARecordedImagePlaysBackThroughPutPicture24Bits) {
    GrafPtr src = Source(9, 4, 24);
    Rect frame = port.portRect, r = {0, 0, 4, 9};
    PicHandle pic = OpenPicture(&frame);
    CopyBits(&src->portBits, &port.portBits, &r, &r, srcCopy, nullptr);
    ClosePicture();
    PictWalkRecord walk;
    ASSERT_EQ(OrvaPictBeginWalk((const UInt8 *)*pic, GetHandleSize((Handle)pic), &walk), noErr);
    PictOpRecord op;
    while (OrvaPictNextOp(&walk, &op) == noErr && op.opcode != kPictOpDirectBitsRect) {
    }
    ASSERT_EQ(op.opcode, kPictOpDirectBitsRect);
    PixMap map;
    std::memset(&map, 0, sizeof map);
    const UInt8 *header = walk.bytes + op.fields[1].offset;
    std::memcpy(&map.rowBytes, header, 2);
    std::memcpy(&map.bounds, header + 2, 8);
    std::memcpy(&map.packType, header + 12, 2);
    std::memcpy(&map.cmpCount, header + 30, 2);
    const UInt8 *rows = walk.bytes + op.fields[op.fieldCount - 1].offset;
    const UInt8 *end = walk.bytes + op.end;
    OrvaFillSurfaceRect(&port, 0, 0, 39, 29, 0);
    EXPECT_EQ(PutPicture24Bits(rows, end, &map, &r, &r, srcCopy), end);
    for (SInt32 y = 0; y < 4; y++) {
        for (SInt32 x = 0; x < 9; x++) EXPECT_EQ(PortPixel(&port, x, y), StorePixel(src, x, y)) << x << "," << y;
    }
    KillPicture(pic);
}

}  // namespace
