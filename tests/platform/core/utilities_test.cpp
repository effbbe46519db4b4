// ctest-labels: periphery
// Strings, type codes, bit extraction, 16.16 fixed point, the string comparisons, the command-key
// test and the small-icon plotter.
#include "platform/core/utilities.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/core/resource_files.h"
#include "support/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "toolbox/toolbox_services.h"

namespace {

TEST(Strings, CAndLengthPrefixedFormsConvertInPlaceKeepingAtMost255) {
    char empty[1] = "";
    EXPECT_EQ(C2Pas(empty)[0], 0);
    char text[8] = "abc";
    StringPtr p = C2Pas(text);
    EXPECT_EQ(p[0], 3);
    EXPECT_EQ(memcmp(p + 1, "abc", 3), 0);
    EXPECT_STREQ(Pas2C(p), "abc");

    char longText[301];
    for (int i = 0; i < 300; i++) longText[i] = char('a' + i % 26);
    longText[300] = 0;
    std::string original(longText);
    p = C2Pas(longText);
    EXPECT_EQ(p[0], 255);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(p + 1), 255), original.substr(0, 255));
    p[0] = 200;
    EXPECT_EQ(std::string(Pas2C(p)), original.substr(0, 200));

    char code[kTypeCodeBufferSize];
    EXPECT_STREQ(cvttype(FourCC("PICT"), code), "PICT");
}

TEST(Bits, ExtractionTakesTheTopBitsAndShifts) {
    UInt16 word = 0xA000;
    EXPECT_EQ(orva_extrait_bit(&word, 3), 5);
    EXPECT_EQ(word, 0);
    word = 0xA000;
    EXPECT_EQ(orva_extrait_bit(&word, 0), 0);
    EXPECT_EQ(word, 0xA000);
    word = 0x8001;
    EXPECT_EQ(orva_extrait_bit(&word, 16), 0x8001);
    EXPECT_EQ(word, 0);
    Rect r = {10, 20, 30, 40};
    EXPECT_TRUE(orva_dans_rect(20, 10, &r));
    EXPECT_FALSE(orva_dans_rect(40, 10, &r));
    EXPECT_FALSE(orva_dans_rect(20, 30, &r));
}

TEST(FixedPoint, ProductsRatiosRoundingAndShifts) {
    struct Row {
        const char *label;
        Fixed got, expected;
    } rows[] = {
        {"FixMul just below one", FixMul(0xFFFF, 0xFFFF), 0xFFFE},
        {"FixMul 2 x -1.5", FixMul(0x20000, -0x18000), -0x30000},
        {"FixRatio 1/3", FixRatio(1, 3), 0x5555},
        {"FixRatio -1/0", FixRatio(-1, 0), Fixed(0x80000001)},
        {"FixRatio 1/0", FixRatio(1, 0), 0x7FFFFFFF},
        {"FixRatio -32768/-1", FixRatio(-32768, -1), 0x7FFFFFFF},
        {"FixRatio -1/2", FixRatio(-1, 2), -0x8000},
        {"FixDiv 1/4", FixDiv(0x10000, 0x40000), 0x4000},
        {"FixDiv -3/2", FixDiv(-0x30000, 0x20000), -0x18000},
        {"FixDiv by zero", FixDiv(0x10000, 0), -1},
        {"FixDiv negative by zero", FixDiv(-0x10000, 0), 1},
        {"FixRound 1.5", FixRound(0x18000), 2},
        {"FixRound -1.5", FixRound(-0x18000), -1},
        {"FixRound 1.25", FixRound(0x14000), 1},
        {"Fix2Long -0.5", Fix2Long(-0x8000), -1},
        {"Long2Fix -3", Long2Fix(-3), -0x30000},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.got, row.expected);
    }
}

TEST(Comparisons, OrderCaseAndPrefixes) {
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\005Hello", (ConstStr255Param) "\005hELLO"), 0);
    EXPECT_EQ(IUCompString((ConstStr255Param) "\005Hello", (ConstStr255Param) "\005hello"), -1);
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\002ab", (ConstStr255Param) "\003abc"), -1);
    EXPECT_EQ(IUEqualString((ConstStr255Param) "\003abc", (ConstStr255Param) "\002ab"), 1);
    EXPECT_EQ(IUCompString((ConstStr255Param) "\002ab", (ConstStr255Param) "\002ab"), 0);
    // A prefix sorts first, without reading past the shorter string.
    EXPECT_EQ(IUMagString("ab", "abc", 2, 3), -1);
    EXPECT_EQ(IUMagString("abc", "ab", 3, 2), 1);
    EXPECT_EQ(IUMagString("ab", "abc", 2, 2), 0);
    EXPECT_EQ(IUMagString("b", "a", 1, 1), 1);
    EXPECT_EQ(IUMagString("a", "b", 1, 1), -1);
    // Bytes from 0x80 compare as negative: they sort before ASCII.
    EXPECT_EQ(IUMagString("\x80", "a", 1, 1), -1);
    EXPECT_EQ(IUMagIDString("", "", 0, 0), 0);
}

TEST(Keyboard, OnlyTheCommandKeyCountsAsCommand) {
    GTKUpdateKeyState(65535, 0, 0);
    EXPECT_FALSE(is_command());
    GTKUpdateKeyState(1, 'u', 30);  // key 32 (U), in the same key-map word
    EXPECT_FALSE(is_command());
    GTKUpdateKeyState(1, 65507, 200);  // key 55, command
    EXPECT_TRUE(is_command());
    GTKUpdateKeyState(65535, 0, 0);
}

TEST(SmallIcons, TheIndexedIconIsDrawnBlackAtThePoint) {
    StartQuickDrawForTests();
    GrafPort port = {};
    OpenTestPort(&port, 40, 40);
    Rect all = {0, 0, 40, 40};
    EraseRect(&all);
    Handle sicn = NewHandleClear(2 * kSicnBytes);
    ASSERT_NE(sicn, nullptr);
    // Icon 1: its top row fully set, and the leftmost pixel of every other row.
    UInt8 *icon = reinterpret_cast<UInt8 *>(*sicn) + kSicnBytes;
    icon[0] = icon[1] = 0xFF;
    for (int row = 1; row < 16; row++) icon[row * 2] = 0x80;
    OrvaPlotSicn(sicn, 1, (5 << 16) | 10);  // v 5, h 10
    EXPECT_EQ(PortPixel(&port, 10, 5), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 25, 5), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 26, 5), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 10, 20), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 11, 20), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 10, 21), 0xFFFFFFu);
    OrvaPlotSicn(sicn, 2, 0);  // past the handle: nothing
    EXPECT_EQ(PortPixel(&port, 0, 0), 0xFFFFFFu);
    DisposHandle(sicn);
    SetPort(nullptr);
    ClosePort(&port);
}

TEST(DeskAccessories, DriversAreFoundByNameInTheNewestFileAndNothingRuns) {
    using namespace restest;
    FreshFolder();
    WriteAll("older.rsr", BuildFile({{"TEXT", 1, false, "", {'t'}}}));
    // A driver's stored name begins with a character that is not part of the name.
    WriteAll("newest.rsr", BuildFile({{"DRVR", 12, true, ".Clock", {0, 0}}}));
    SInt16 older = OpenResFile("older.rsr");
    SInt16 newest = OpenResFile("newest.rsr");
    ASSERT_GE(older, 0);
    ASSERT_GE(newest, 0);
    UseResFile(older);
    EXPECT_EQ(OpenDeskAcc("Clock"), 12);
    EXPECT_EQ(CurResFile(), older);
    EXPECT_EQ(OpenDeskAcc("Calculator"), -1);
    EXPECT_EQ(CurResFile(), older);
    EXPECT_EQ(OpenDeskAcc(nullptr), -1);
    EXPECT_FALSE(SystemEdit(3));  // no desk-accessory window in front
    EventRecord event = {};
    EXPECT_FALSE(SystemEvent(&event));
    SystemClick(&event, nullptr);
    EXPECT_EQ(CurResFile(), older);
    CloseResFile(newest);
    CloseResFile(older);
}

}  // namespace
