// ctest-labels: transfer transfer.offscreen
// Offscreen ports and GWorlds, frame margins, and pixel patterns: their depths and sizes, the
// current port around their creation, margins kept around the content, 'ppat' resources read
// from the tests' resource file and hostile copies of them, tiles anchored to the local origin,
// and qdscene's pattern and offscreen-shapes scenes against their goldens.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/quickdraw/color.h"
#include "graphics/quickdraw/offscreen.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/pixel_patterns.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "graphics/quickdraw/transfer.h"
#include "graphics/cairo/port_surfaces.h"
#include "platform/core/errors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/transfer_support.h"
#include "support/tool_support.h"

namespace {

class Offscreens : public ::testing::Test {
protected:
    GrafPort caller;
    void SetUp() override { OpenTestPort(&caller, 20, 20); }
    void TearDown() override { ClosePort(&caller); }
};

// The bytes of 'ppat' 128 of the tests' resource file.
std::vector<UInt8> PatternBytes(SInt16 id) {
    static SInt16 file = OpenResFile(BuildTreePath("resources/OrvaTransferTests.rsr").c_str());
    std::vector<UInt8> bytes;
    Handle h = file > 0 ? GetResource(FourCC("ppat"), id) : nullptr;
    if (h) bytes.assign((const UInt8 *)*h, (const UInt8 *)*h + GetHandleSize(h));
    return bytes;
}

TEST_F(Offscreens, DepthsSizesAndTheCurrentPort) {
    struct Row {
        SInt16 depth, expected;
        Boolean gray;
    };
    const Row rows[] = {{1, 8, true}, {4, 8, false}, {8, 8, false}, {16, 24, false}, {24, 24, false}, {32, 24, false}};
    for (const Row &row : rows) {
        SCOPED_TRACE(row.depth);
        GrafPtr port = OrvaCreatePortOffscreen(30, 10, row.depth);
        ASSERT_NE(port, nullptr);
        EXPECT_EQ(qd.thePort, &caller);
        EXPECT_EQ(port->depth, row.expected);
        EXPECT_EQ(port->device, row.gray ? kGrayPortDevice : 0);
        EXPECT_EQ(port->portRect.right, 30);
        EXPECT_EQ(port->portBits.bounds.bottom, 10);
        EXPECT_EQ(port->width, 30);
        EXPECT_EQ((*port->visRgn)->rgnBBox.right, 30);
        EXPECT_EQ((*port->clipRgn)->rgnBBox.left, -32767);
        OrvaClosePortOffscreen(port);
    }
    GrafPtr empty = OrvaCreatePortOffscreen(0, 0, 24);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SurfaceWH(empty), std::make_pair(1, 1));
    EXPECT_NE(OrvaGetInfoOffscreen(empty, nullptr, nullptr, nullptr), nullptr);
    OrvaClosePortOffscreen(empty);
    OrvaClosePortOffscreen(nullptr);
}

TEST_F(Offscreens, GWorldsAreOffscreenPorts) {
    GWorldPtr world = nullptr;
    Rect bounds = {10, 20, 50, 100};
    ASSERT_EQ(NewGWorld(&world, 32, &bounds, nullptr, nullptr, 0), noErr);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(WH(world->portRect), std::make_pair(80, 40));
    EXPECT_EQ(qd.thePort, &caller);
    SetGWorld(world, nullptr);
    Rect bigger = {0, 0, 60, 70};
    EXPECT_EQ(UpdateGWorld(&world, 8, &bigger, nullptr, nullptr, 5), 5u);
    EXPECT_EQ(qd.thePort, world);  // the old world was current
    EXPECT_EQ(world->depth, 8);
    EXPECT_EQ(world->portRect.right, 70);
    GrafPtr current;
    GDHandle device;
    GetGWorld(&current, &device);
    EXPECT_EQ(current, world);
    EXPECT_EQ(device, GetGDevice());
    SetPort(&caller);
    DisposeGWorld(world);
    EXPECT_EQ(NewGWorld(&world, 24, nullptr, nullptr, nullptr, 0), paramErr);
    EXPECT_EQ(world, nullptr);
}

TEST_F(Offscreens, MarginsSurroundTheContentAndTheFlagCoversThem) {
    GrafPtr port = OrvaCreatePortOffscreen(40, 30, 24);
    ASSERT_NE(port, nullptr);
    OrvaFillSurfaceRect(port, 0, 0, 39, 29, 0x00FF00);
    OrvaFillSurfaceRect(port, 3, 4, 3, 4, 0xFF0000);
    OrvaMarginsRecord margins = {10, 5, 3, 5};
    OrvaSetSystemMargins(port, &margins);
    EXPECT_EQ(SurfaceWH(port), std::make_pair(50, 43));
    EXPECT_EQ(WH(port->portRect), std::make_pair(40, 30));
    EXPECT_EQ(StorePixel(port, 3, 4), 0xFF0000u);  // the content keeps its pixels
    EXPECT_EQ(StorePixel(port, 0, 0), 0x00FF00u);
    OrvaSetSystemDrawFlag(port, true);
    EXPECT_EQ(WH(port->portRect), std::make_pair(50, 43));
    EXPECT_EQ(port->effectiveBase, port->data);
    EXPECT_EQ(StorePixel(port, 8, 14), 0xFF0000u);
    OrvaSetSystemDrawFlag(port, false);
    EXPECT_EQ(WH(port->portRect), std::make_pair(40, 30));
    EXPECT_EQ(StorePixel(port, 3, 4), 0xFF0000u);
    EXPECT_EQ(qd.thePort, &caller);
    // Drawing and transfers stay inside the content.
    SetPort(port);
    Rect all = {-20, -20, 60, 60};
    RGBColor blue = {0, 0, 0xFFFF};
    RGBForeColor(&blue);
    PaintRect(&all);
    const UInt8 *frame = (const UInt8 *)port->data;
    UInt32 corner;
    std::memcpy(&corner, frame, 4);
    EXPECT_EQ(corner & 0xFFFFFF, 0u);  // the new frame area is black, untouched
    EXPECT_EQ(StorePixel(port, 39, 29), 0x0000FFu);
    SetPort(&caller);
    OrvaClosePortOffscreen(port);
}

TEST_F(Offscreens, PixelPatternsReadTheirResourceAndRefuseHostileCopies) {
    std::vector<UInt8> bytes = PatternBytes(128);
    ASSERT_FALSE(bytes.empty());
    PixPatHandle good = OrvaPixPatFromBytes(bytes.data(), UInt32(bytes.size()));
    ASSERT_NE(good, nullptr);
    EXPECT_EQ((**(*good)->patMap).bounds.right, 8);
    EXPECT_EQ((*(**(*good)->patMap).pmTable)->ctSize, 3);
    DisposePixPat(good);
    EXPECT_EQ(GetPixPat(999), nullptr);
    struct Row {
        const char *label;
        size_t offset;
        std::vector<UInt8> value;
    };
    const Row rows[] = {
        {"pixel map past the end", 2, {0x00, 0x00, 0x10, 0x00}},
        {"pixel data past the table", 6, {0x00, 0x00, 0x7F, 0x00}},
        {"colour table past the end", 28 + 42, {0x00, 0x01, 0x00, 0x00}},
        {"huge colour table", 78 + 16 + 6, {0x7F, 0xFF}},
        {"table size below -1", 78 + 16 + 6, {0xFF, 0xF0}},
        {"pixel size 3", 28 + 32, {0x00, 0x03}},
        {"empty bounds", 28 + 10, {0x00, 0x00}},
        {"rows too short", 28 + 4, {0x80, 0x01}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        std::vector<UInt8> bad = bytes;
        std::memcpy(&bad[row.offset], row.value.data(), row.value.size());
        EXPECT_EQ(OrvaPixPatFromBytes(bad.data(), UInt32(bad.size())), nullptr);
    }
    for (size_t size = 0; size < bytes.size(); size += 7) EXPECT_EQ(OrvaPixPatFromBytes(bytes.data(), UInt32(size)), nullptr);
}

TEST_F(Offscreens, PatternTilesAreAnchoredToTheLocalOrigin) {
    std::vector<UInt8> bytes = PatternBytes(128);
    PixPatHandle pattern = OrvaPixPatFromBytes(bytes.data(), UInt32(bytes.size()));
    ASSERT_NE(pattern, nullptr);
    GrafPtr port = NewFilledOffscreen(40, 40, 24, 0xFFFFFF);
    SetPort(port);
    // Tile pixel (0,0) is black, row 0 red, column 0 blue, the diagonal red, the rest yellow.
    Rect r = {3, 3, 20, 20};
    OrvaPaintRectPixPat(&r, pattern);
    EXPECT_EQ(StorePixel(port, 2, 2), 0xFFFFFFu);
    EXPECT_EQ(StorePixel(port, 8, 8), 0x000000u);
    EXPECT_EQ(StoreRow(port, 3, 3, 2), (std::vector<UInt32>{0xFF0000, 0xFFFF00}));
    EXPECT_EQ(StorePixel(port, 8, 12), 0x0000FFu);
    EXPECT_EQ(StorePixel(port, 19, 18), 0xFFFF00u);
    EXPECT_EQ(StoreRow(port, 19, 19, 2), (std::vector<UInt32>{0xFF0000, 0xFFFFFF}));
    // Negative local coordinates: tiles still start at multiples of 8, covering the whole area.
    OrvaFillSurfaceRect(port, 0, 0, 39, 39, 0xFFFFFF);
    SetOrigin(-5, -5);
    Rect negative = {-5, -5, 20, 20};
    OrvaPaintRectPixPat(&negative, pattern);
    EXPECT_EQ(StoreRow(port, 0, 0, 2), (std::vector<UInt32>{0xFF0000, 0xFFFF00}));  // local (-5,-5): tile (3,3)
    EXPECT_EQ(StorePixel(port, 5, 5), 0x000000u);  // local (0,0)
    // Through the pen: a painted rectangle of a port with a pen pixel pattern.
    SetOrigin(0, 0);
    OrvaFillSurfaceRect(port, 0, 0, 39, 39, 0xFFFFFF);
    PenPixPat(pattern);
    Rect pen = {16, 16, 18, 30};
    PaintRect(&pen);
    EXPECT_EQ(StorePixel(port, 16, 16), 0x000000u);
    EXPECT_EQ(StorePixel(port, 17, 17), 0xFF0000u);
    EXPECT_EQ(StorePixel(port, 16, 18), 0xFFFFFFu);
    PenPat(&qd.black);
    EXPECT_EQ(port->pnPixPat, nullptr);
    SetPort(&caller);
    OrvaClosePortOffscreen(port);
    DisposePixPat(pattern);
}

TEST_F(Offscreens, SceneGoldens) {
    for (const char *scene : {"ppat", "shapes8", "shapesgray"}) {
        SCOPED_TRACE(scene);
        std::string png = TempFile(std::string(scene) + ".png");
        int status = -1;
        RunCommand(ToolPath("qdscene") + " " + scene + " " + png, &status);
        ASSERT_EQ(status, 0);
        EXPECT_EQ(CompareWithGolden(png, std::string(scene) + ".png", 1), "");
        std::remove(png.c_str());
    }
}

}  // namespace
