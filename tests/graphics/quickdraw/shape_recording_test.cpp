// ctest-labels: raster raster.recording
// Recording the shapes scene: no pixel changes, and the picture holds one opcode per verb call,
// OvSize before every rounded-rectangle verb, FillPat before every fill, InvertOval as one
// InvertRgn and no region opcode from a filled rounded rectangle.
#include <gtest/gtest.h>

#include <cairo.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/pictures/pict_format.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/region_drawing.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"

namespace {

TEST(ShapeRecording, TheRecordedSceneDrawsNothingAndListsOneOpcodePerVerb) {
    std::string png = TempFile("shapes.png"), pict = TempFile("shapes.pict");
    int status = -1;
    RunCommand(BuildTreePath("tools/qdscene") + " shapes " + png + " --record " + pict, &status);
    ASSERT_EQ(status, 0);
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    unsigned long checksum = 0, white = 0;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            unsigned p = ((const unsigned *)(cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image)))[x];
            checksum = checksum * 31 + (p & 0xFFFFFF);
            white = white * 31 + 0xFFFFFF;
        }
    EXPECT_EQ(checksum, white);
    cairo_surface_destroy(image);

    std::string summary = RunCommand(BuildTreePath("tools/pictdump") + " --summary " + pict, &status);
    ASSERT_EQ(status, 0) << summary;
    std::map<std::string, int> counts;
    std::istringstream lines(summary);
    std::string code, name;
    int count;
    while (lines >> code >> name >> count) counts[code] = count;
    // The scene: five cells per verb row, two shapes a cell; the last row paints one shape per mode.
    // Rectangles, rounded rectangles, arcs and polygons; the mode row paints one more of each
    // but the rectangle, whose paints are not counted here.
    for (int verb = 0; verb < 5; verb++)
        for (int shape : {0x30, 0x40, 0x60, 0x70}) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", shape + verb);
            if (shape == 0x30 && verb == 1) continue;
            EXPECT_EQ(counts[code], verb == 1 ? 3 : 2) << code;
        }
    EXPECT_EQ(counts["0050"], 2);
    EXPECT_EQ(counts["0051"], 3);
    EXPECT_EQ(counts["0053"], 0);
    EXPECT_EQ(counts["0083"], 2);  // the two InvertOval calls
    EXPECT_EQ(counts["0081"] + counts["0082"] + counts["0084"] + counts["0080"], 0);
    EXPECT_EQ(counts["000B"], counts["0040"] + counts["0041"] + counts["0042"] + counts["0043"] + counts["0044"]);
    EXPECT_EQ(counts["000A"], counts["0034"] + counts["0044"] + counts["0054"] + counts["0064"] + counts["0074"]);
    EXPECT_EQ(counts["0020"] + counts["0021"], 0);  // polygon lines went to the polygons
    std::remove(png.c_str());
    std::remove(pict.c_str());
}

// The order in one picture: OvSize just before its rounded rectangle, FillPat just before its
// fill, and the inverted oval as its region.
TEST(ShapeRecording, OvSizeAndFillPatPrecedeTheirShape) {
    GrafPort port;
    OpenTestPort(&port, 50, 50);
    Rect frame = {0, 0, 50, 50}, r = {5, 5, 40, 45};
    PicHandle pic = OpenPicture(&frame);
    FillRoundRect(&r, 10, 8, &qd.gray);
    InvertOval(&r);
    PaintRoundRect(&r, 6, 6);
    FillArc(&r, 0, 90);
    _FillRgn(port.visRgn, &qd.ltGray);
    ClosePicture();
    PictWalkRecord walk;
    ASSERT_EQ(OrvaPictBeginWalk((const UInt8 *)*pic, GetHandleSize((Handle)pic), &walk), noErr);
    std::vector<UInt16> opcodes;
    PictOpRecord op;
    while (!walk.ended && OrvaPictNextOp(&walk, &op) == noErr) opcodes.push_back(op.opcode);
    EXPECT_TRUE(walk.ended);
    const std::vector<UInt16> expected = {0x1E, 0x1B, 0x01, 0x0B, 0x0A, 0x44, 0x83, 0x0B, 0x41, 0x0A, 0x64, 0x0A, 0x84, 0xFF};
    EXPECT_EQ(opcodes, expected);
    KillPicture(pic);
    ClosePort(&port);
}

}  // namespace
