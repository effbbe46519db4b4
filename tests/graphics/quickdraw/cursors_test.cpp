// ctest-labels: transfer transfer.cursor
// The cursor calls: what reaches the platform and when, the colour copies of the cursor in
// force, the plug-in's silence, the scale, and 'crsr' resources from the tests' resource file
// (whole, cut short and with bad offsets).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "graphics/quickdraw/cursors.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"

namespace {

std::vector<OrvaCursorArea> gShown;

void CountingShow(const OrvaCursorArea *area) { gShown.push_back(*area); }

std::vector<UInt8> CursorBytes() {
    static SInt16 file = OpenResFile(BuildTreePath("resources/OrvaTransferTests.rsr").c_str());
    std::vector<UInt8> bytes;
    Handle h = file > 0 ? GetResource(FourCC("crsr"), 128) : nullptr;
    if (h) bytes.assign((const UInt8 *)*h, (const UInt8 *)*h + GetHandleSize(h));
    return bytes;
}

class Cursors : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();
        OrvaSetCursorShowHook(CountingShow);
        gShown.clear();
        orvaSettings.pluginFlag = 0;  // the setters act only outside the plug-in
    }
    void TearDown() override {
        static Cursor blank;
        _SetCursor(&blank);  // drops any colour copies
        orvaSettings.pluginFlag = 1;
        OrvaSetCursorShowHook(nullptr);
    }
};

TEST_F(Cursors, TheSameCursorTwiceReachesThePlatformOnce) {
    Cursor a, b;
    std::memset(&a, 0x0F, sizeof a);
    std::memset(&b, 0xF0, sizeof b);
    a.hotSpot = {3, 4};
    _SetCursor(&a);
    _SetCursor(&a);
    ASSERT_EQ(gShown.size(), 1u);
    EXPECT_EQ(gShown[0].cursor.hotSpot.h, 4);
    EXPECT_EQ(gShown[0].kind, 0);
    _SetCursor(&b);
    _SetCursor(&a);
    EXPECT_EQ(gShown.size(), 3u);
    Cursor current;
    OrvaGetCurrentCurs(&current);
    EXPECT_EQ(std::memcmp(&current, &a, sizeof a), 0);
    // A platform shape carries its kind and number in the hot spot.
    Cursor shape = a;
    shape.hotSpot = {kCursorKindPlatform, 4};
    _SetCursor(&shape);
    EXPECT_EQ(gShown.back().kind, kCursorKindPlatform);
    EXPECT_EQ(gShown.back().id, 4u);
}

TEST_F(Cursors, InThePlugInTheSettersChangeNothing) {
    orvaSettings.pluginFlag = 1;
    Cursor a;
    std::memset(&a, 0x55, sizeof a);
    _SetCursor(&a);
    InitCursor();
    std::vector<UInt8> bytes = CursorBytes();
    CCrsrHandle colour = OrvaCCursorFromBytes(bytes.data(), UInt32(bytes.size()), 128, 1);
    ASSERT_NE(colour, nullptr);
    SetCCursor(colour);
    EXPECT_TRUE(gShown.empty());
    EXPECT_NE(OrvaGetCursorInForce()->cursor.data[0], 0x5555);
    DisposeCCursor(colour);
}

TEST_F(Cursors, ScaleStartsAt125) {
    EXPECT_FLOAT_EQ(OrvaGetCursorScale(), 1.25f);
}

TEST_F(Cursors, GetCCursorGivesHotSpotMaskAndPixelMap) {
    CCrsrHandle cursor = GetCCursor(128);
    ASSERT_NE(cursor, nullptr);
    const CCrsr &c = **cursor;
    EXPECT_EQ(c.crsrType, SInt16(0x8001));
    EXPECT_EQ(HV(c.crsrHotSpot), std::make_pair(8, 7));
    EXPECT_EQ(c.crsrMask[0], 0x03C0);    // "......####......"
    EXPECT_EQ(c.crsrMask[2], 0x0FF0);    // "....##----##...."
    EXPECT_EQ(c.crsr1Data[2], 0x0C30);
    EXPECT_EQ(c.crsr1Data[15], 0x03C0);  // "......~~~~......": image without mask
    EXPECT_EQ(c.crsrMask[15], 0x0000);
    const PixMap &map = **c.crsrMap;
    EXPECT_EQ(map.pixelSize, 2);
    EXPECT_EQ(WH(map.bounds), std::make_pair(16, 16));
    EXPECT_EQ(c.crsrXHandle, 64);
    ASSERT_EQ((*map.pmTable)->ctSize, 3);
    EXPECT_EQ((*map.pmTable)->ctTable[2].rgb.green, 49152);
    const UInt8 *pixels = (const UInt8 *)map.baseAddr;
    // Rows "0000002222000000" and "0000003333000000": 2 bits a pixel, 4 bytes a row.
    EXPECT_EQ(std::vector<UInt8>(pixels, pixels + 3), (std::vector<UInt8>{0x00, 0x0A, 0xA0}));
    EXPECT_EQ(std::vector<UInt8>(pixels + 61, pixels + 63), (std::vector<UInt8>{0x0F, 0xF0}));
    EXPECT_EQ(c.crsrID >> 16, 128u);
    EXPECT_EQ(GetCCursor(4000), nullptr);
    DisposeCCursor(cursor);
}

TEST_F(Cursors, AColourCursorHasPrivateCopiesThatABlackAndWhiteOneFrees) {
    CCrsrHandle cursor = GetCCursor(128);
    ASSERT_NE(cursor, nullptr);
    SetCCursor(cursor);
    SetCCursor(cursor);
    ASSERT_EQ(gShown.size(), 1u);
    const OrvaCursorArea *area = OrvaGetCursorInForce();
    EXPECT_EQ(area->kind, kCursorKindColor);
    EXPECT_EQ(area->id, (*cursor)->crsrID);
    EXPECT_EQ(area->cursor.hotSpot.h, 8);
    ASSERT_NE(area->colorMap, nullptr);
    EXPECT_NE(area->colorMap, (*cursor)->crsrMap);
    EXPECT_NE((*area->colorMap)->baseAddr, (**(*cursor)->crsrMap).baseAddr);
    EXPECT_EQ(std::memcmp((*area->colorMap)->baseAddr, (**(*cursor)->crsrMap).baseAddr, 64), 0);
    EXPECT_NE((*area->colorMap)->pmTable, (**(*cursor)->crsrMap).pmTable);
    ASSERT_NE(area->colorMask, nullptr);
    EXPECT_EQ(GetHandleSize(area->colorMask), 32u);
    // The copies outlive the resource's cursor; a black-and-white cursor frees them (the leak
    // checker sees it when they are not).
    DisposeCCursor(cursor);
    Cursor plain;
    std::memset(&plain, 0, sizeof plain);
    _SetCursor(&plain);
    EXPECT_EQ(area->kind, 0);
    EXPECT_EQ(area->colorMap, nullptr);
    EXPECT_EQ(area->colorMask, nullptr);
    EXPECT_EQ(gShown.size(), 2u);
    Handle h = NewHandle(3);
    std::memcpy(*h, "abc", 3);
    Handle copy = DupliqueHandle(h);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(std::memcmp(*copy, "abc", 3), 0);
    DisposeHandle(h);
    DisposeHandle(copy);
}

TEST_F(Cursors, TruncatedOrMisplacedColourCursorsAreRefused) {
    std::vector<UInt8> bytes = CursorBytes();
    ASSERT_EQ(bytes.size(), 250u);
    for (UInt32 size = 0; size < bytes.size(); size++)
        EXPECT_EQ(OrvaCCursorFromBytes(bytes.data(), size, 128, 1), nullptr) << size;
    // crsrMap, crsrData and the pixel map's pmTable pointing past the end or at the header.
    const size_t offsets[] = {2, 6, 96 + 42};
    for (size_t at : offsets) {
        for (UInt32 value : {0x7FFFFFFFu, 251u, at == 6 ? 251u : 0u}) {
            std::vector<UInt8> bad = bytes;
            for (int k = 0; k < 4; k++) bad[at + size_t(k)] = UInt8(value >> (24 - 8 * k));
            CCrsrHandle cursor = OrvaCCursorFromBytes(bad.data(), UInt32(bad.size()), 128, 1);
            EXPECT_EQ(cursor, nullptr) << at << " " << value;
            DisposeCCursor(cursor);
        }
    }
}

}  // namespace
