// ctest-labels: gtk-input-sound
// Key codes, the key map, key names, pointer buttons and cursor images.
#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string.h>

#include <string>
#include <vector>

#include "graphics/toolbox_hooks.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/keyboard_mouse.h"

namespace {

std::vector<std::string> gErrors;

struct Pointer {
    static SInt16 h, v;
    static UInt32 mask;
    static Boolean Read(SInt16 *ph, SInt16 *pv, UInt32 *pm) {
        *ph = h;
        *pv = v;
        *pm = mask;
        return kTrue;
    }
};
SInt16 Pointer::h, Pointer::v;
UInt32 Pointer::mask;

std::vector<UInt16> DrainEvents() {
    std::vector<UInt16> kinds;
    EventRecord e;
    while (GetNextEvent(0xFFFF, &e)) kinds.push_back(e.what);
    return kinds;
}

TEST(Keys, CodesComeFromTheHardwareTableThenTheSymbols) {
    EXPECT_EQ(GtkLinuxKeyToScancode(38, 'q', 'q'), 0x00);    // keycode 38 is the A position
    EXPECT_EQ(GtkLinuxKeyToScancode(200, 0xE9, 0xE9), 0);     // unknown, character 'é' >= 128
    EXPECT_EQ(GtkLinuxKeyToScancode(200, 'a', 'a'), 0x00);
    EXPECT_EQ(GtkLinuxKeyToScancode(200, 'Z', 'Z'), 0x06);
    EXPECT_EQ(GtkLinuxKeyToScancode(200, GDK_Shift_L, 0), 0x38);
    EXPECT_EQ(GtkLinuxKeyToScancode(200, GDK_KP_Enter, 13), 0x4C);
    EXPECT_EQ(GtkLinuxKeyToScancode(200, 0x1234, '~'), UInt8('~' + 128));
    EXPECT_EQ(GTKGetKeyAscii(GDK_F1), 0x7A10);
    EXPECT_EQ(GTKGetKeyAscii(GDK_F12), 0x6F10);
    EXPECT_EQ(GTKGetKeyAscii(GDK_Return), 13);
    EXPECT_EQ(GTKGetKeyAscii(GDK_Delete), 127);
    EXPECT_EQ(GTKGetKeyAscii('a'), 0);
}

TEST(Keys, ShiftSetsItsBitInTheMapAndInGetKeys) {
    OrvaInstallGtkBackEnd();  // GetKeys reads the map through the back end's input row
    GTKUpdateKeyState(65535, 0, 0);
    GTKUpdateKeyState(1, GDK_Shift_L, 200);
    UInt32 words[4];
    GTKGetKeyMap(words);
    EXPECT_EQ(words[0], 0u);
    EXPECT_EQ(words[1], 1u);  // bit 0 of word 1
    KeyMap keys;
    GetKeys(keys);
    const UInt8 *bytes = reinterpret_cast<const UInt8 *>(keys);
    for (int i = 0; i < 16; i++) EXPECT_EQ(bytes[i], i == 7 ? 1 : 0) << i;  // key 0x38: bit 0 of byte 7
    GTKUpdateKeyState(1, 'a', 38);  // key 0: bit 0 of byte 0
    GetKeys(keys);
    EXPECT_EQ(bytes[0], 1);
    GTKUpdateKeyState(0, GDK_Shift_L, 200);
    GetKeys(keys);
    EXPECT_EQ(bytes[7], 0);
    GTKUpdateKeyState(65535, 0, 0);
    GetKeys(keys);
    EXPECT_EQ(bytes[0], 0);
}

TEST(Keys, KeysInNeitherTableLeaveTheMapAlone) {
    // Caps Lock and a key with a printable character but no place in the tables: their codes
    // (128 and up) name no bit of the 128-bit map.
    GTKUpdateKeyState(65535, 0, 0);
    GTKUpdateKeyState(1, GDK_Caps_Lock, 66);
    GTKUpdateKeyState(1, GDK_dead_acute, 200);
    GTKUpdateKeyState(1, '~', 200);
    UInt32 words[4];
    GTKGetKeyMap(words);
    for (UInt32 word : words) EXPECT_EQ(word, 0u);
    GTKUpdateKeyState(0, GDK_Caps_Lock, 66);
    GTKGetKeyMap(words);
    for (UInt32 word : words) EXPECT_EQ(word, 0u);
}

TEST(Keys, NamesComeFromTheListOrTheSymbolTable) {
    const struct {
        UInt8 code;
        const char *name;
    } rows[] = {{0x38, "Left Shift"}, {0x7A, "F1"}, {0x4C, "Enter (Keypad)"}, {0x7F, "?"}, {0xC1, "A"}};
    for (const auto &row : rows) {
        char name[64];
        SystemDependantGetKeyName(row.code, name);
        EXPECT_STREQ(name, row.name) << int(row.code);
    }
}

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        OrvaSetPointerStateReader(Pointer::Read);
        OrvaGtkSetHasFocus(kTrue);
        Pointer::h = 10;
        Pointer::v = 20;
        Pointer::mask = 0;
        GTKUpdateMousePos();
        DrainEvents();
    }
    void TearDown() override { OrvaSetPointerStateReader(nullptr); }
};

TEST_F(Mouse, ReleasingOneOfTwoButtonsPostsOneMouseUp) {
    Pointer::mask = GDK_BUTTON1_MASK | GDK_BUTTON3_MASK;
    EXPECT_TRUE(GTKUpdateMousePos());
    EXPECT_EQ(DrainEvents(), (std::vector<UInt16>{1, 1}));
    EXPECT_EQ(SystemDependantGetMouseButton(), 3u);
    Pointer::mask = GDK_BUTTON3_MASK;
    EXPECT_TRUE(GTKUpdateMousePos());
    EXPECT_EQ(DrainEvents(), (std::vector<UInt16>{2}));
    EXPECT_FALSE(GTKUpdateMousePos());  // nothing changed
    EXPECT_TRUE(DrainEvents().empty());
    // Losing the focus counts as the pointer leaving with every button up.
    OrvaGtkSetHasFocus(kFalse);
    EXPECT_TRUE(GTKUpdateMousePos());
    EXPECT_EQ(DrainEvents(), (std::vector<UInt16>{2}));
    Point where;
    GetMouse(&where);
    EXPECT_EQ(where.h, -1);
}

TEST_F(Mouse, ModifiersAndPluginButtons) {
    Pointer::mask = GDK_SHIFT_MASK | GDK_CONTROL_MASK | GDK_MOD1_MASK;
    EXPECT_EQ(GTKGetModifiers(), 0x0B00);
    Pointer::mask = GDK_BUTTON2_MASK | GDK_BUTTON5_MASK;
    EXPECT_EQ(SystemDependantGetMouseButton(), 20u);
    UInt8 saved = orvaSettings.pluginFlag;
    orvaSettings.pluginFlag = 1;
    OrvaSetPluginMouseButton(2);
    EXPECT_EQ(SystemDependantGetMouseButton(), 2u);
    orvaSettings.pluginFlag = saved;
}

// A colour cursor area with an 8-bit pixel map: pixels hold index, the table has count entries.
struct ColorCursor {
    OrvaCursorArea area{};
    ColorCursor(UInt8 index, int count, UInt16 maskRow = 0xFFFF) {
        PixMapHandle map = reinterpret_cast<PixMapHandle>(NewHandleClear(sizeof(PixMap)));
        (*map)->rowBytes = SInt16(0x8000 | 16);
        (*map)->bounds = Rect{0, 0, 16, 16};
        (*map)->pixelSize = 8;
        (*map)->baseAddr = NewPtr(256);
        memset((*map)->baseAddr, index, 256);
        CTabHandle table =
            reinterpret_cast<CTabHandle>(NewHandleClear(UInt32(sizeof(ColorTable) + sizeof(ColorSpec) * (count - 1))));
        (*table)->ctSize = SInt16(count - 1);
        for (int i = 0; i < count; i++) (*table)->ctTable[i].rgb = RGBColor{0x1200, 0x3400, UInt16(0x5600 + i)};
        (*map)->pmTable = table;
        area.colorMap = map;
        area.colorMask = NewHandleClear(32);
        for (int i = 0; i < 16; i++) {
            (*area.colorMask)[2 * i] = char(maskRow >> 8);
            (*area.colorMask)[2 * i + 1] = char(maskRow & 0xFF);
        }
        area.kind = kCursorKindColor;
        area.cursor.hotSpot = Point{8, 8};
    }
    ~ColorCursor() {
        DisposPtr((*area.colorMap)->baseAddr);
        DisposHandle(reinterpret_cast<Handle>((*area.colorMap)->pmTable));
        DisposHandle(reinterpret_cast<Handle>(area.colorMap));
        DisposHandle(area.colorMask);
    }
};

TEST(Cursors, StandardIdsGiveTheirGdkTypes) {
    EXPECT_EQ(OrvaGdkCursorTypeFor(10), 58);  // as 8
    EXPECT_EQ(OrvaGdkCursorTypeFor(8), 58);
    EXPECT_EQ(OrvaGdkCursorTypeFor(4), 152);
    EXPECT_EQ(OrvaGdkCursorTypeFor(12), 0);
    EXPECT_EQ(OrvaGdkCursorTypeFor(25), 120);
    EXPECT_EQ(OrvaGdkCursorTypeFor(40), 2);
    EXPECT_EQ(OrvaGdkCursorTypeFor(-3), 2);
    gtk_init_check(nullptr, nullptr);
    EXPECT_EQ(GTKSetStandardCursor(10), 1u);
    EXPECT_EQ(OrvaGetLastCursorType(), 58);
}

TEST(Cursors, ColourImageScalesWithItsHotSpot) {
    OrvaSetCursorScale(1.5f);  // 24 pixels
    ColorCursor c(1, 2);
    std::vector<UInt8> rgba(32 * 32 * 4);
    SInt32 size = 0;
    Point hot{};
    ASSERT_TRUE(OrvaBuildColorCursorImage(&c.area, rgba.data(), &size, &hot));
    ASSERT_EQ(size, 24);
    EXPECT_EQ(hot.h, 12);
    EXPECT_EQ(hot.v, 12);
    const UInt8 *centre = &rgba[(12 * 24 + 12) * 4];
    EXPECT_EQ(centre[0], 0x12);
    EXPECT_EQ(centre[1], 0x34);
    EXPECT_EQ(centre[2], 0x56);
    EXPECT_EQ(centre[3], 255);
    OrvaSetCursorScale(1.0f);
    ASSERT_TRUE(OrvaBuildColorCursorImage(&c.area, rgba.data(), &size, &hot));
    EXPECT_EQ(size, 16);
    EXPECT_EQ(hot.h, 8);
    OrvaSetCursorScale(1.25f);
}

TEST(Cursors, BadIndexGivesTransparentPixelsAndOneReport) {
    gErrors.clear();
    OrvaSetErrorHook([](const char *message) { gErrors.push_back(message); });
    OrvaSetCursorScale(1.0f);
    ColorCursor c(5, 2);
    std::vector<UInt8> rgba(32 * 32 * 4);
    SInt32 size = 0;
    Point hot{};
    ASSERT_TRUE(OrvaBuildColorCursorImage(&c.area, rgba.data(), &size, &hot));
    for (int i = 0; i < 16 * 16; i++) ASSERT_EQ(rgba[i * 4 + 3], 0) << i;
    ASSERT_EQ(gErrors.size(), 1u);
    EXPECT_EQ(gErrors[0], "Depasse index color cursor");
    // The mask decides too: a clear mask column is transparent white.
    ColorCursor half(0, 1, 0xFF00);
    ASSERT_TRUE(OrvaBuildColorCursorImage(&half.area, rgba.data(), &size, &hot));
    EXPECT_EQ(rgba[(3 * 16 + 2) * 4 + 3], 255);
    EXPECT_EQ(rgba[(3 * 16 + 12) * 4 + 3], 0);
    EXPECT_EQ(rgba[(3 * 16 + 12) * 4 + 0], 255);
    OrvaSetErrorHook(nullptr);
    OrvaSetCursorScale(1.25f);
    gtk_init_check(nullptr, nullptr);
    EXPECT_EQ(GTKSetColorCursor(&half.area), 1u);
}

}  // namespace
