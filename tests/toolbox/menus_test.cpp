// ctest-labels: toolbox-ui
// Menus and pop-ups: inserting items, their records and areas, 'MENU' resources, and pop-ups
// chosen by a scripted pointer or, in the plug-in, through the platform's menu.
#include "toolbox/menus.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "platform/core/folders.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "support/test_home.h"
#include "support/tool_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/resource_layouts.h"

namespace {

std::string Text(MenuHandle menu, SInt16 item) {
    Str255 text;
    GetMenuItemText(menu, item, text);
    return std::string(reinterpret_cast<char *>(text + 1), text[0]);
}

class Menus : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();
        const unsigned char title[] = {4, 'E', 'd', 'i', 't'};
        menu = NewMenu(130, title);
        ASSERT_NE(menu, nullptr);
    }
    void TearDown() override { DisposeMenu(menu); }
    MenuHandle menu = nullptr;
};

TEST_F(Menus, ItemsGoWhereTheyAreInsertedAnd9999Appends) {
    InsMenuItem(menu, "b", kInsMenuItemAppend);
    InsMenuItem(menu, "d", 9999);
    InsMenuItem(menu, "a", 0);
    InsMenuItem(menu, "c", 2);
    InsMenuItem(menu, "e", 500);  // past the last: appended
    ASSERT_EQ(CountMItems(menu), 5);
    std::string order;
    for (SInt16 i = 1; i <= 5; i++) order += Text(menu, i);
    EXPECT_EQ(order, "abcde");
    for (SInt16 bad : {SInt16(0), SInt16(6), SInt16(-1)}) EXPECT_EQ(orva_localise_item_menu(menu, bad), nullptr) << bad;
    EXPECT_EQ(orva_localise_item_menu(nullptr, 1), nullptr);
    EXPECT_EQ(CountMItems(nullptr), 0);
}

TEST_F(Menus, AnIconWidensAnItemBy32Pixels) {
    InsMenuItem(menu, "Times", kInsMenuItemAppend);
    MenuItemRecord *item = orva_localise_item_menu(menu, 1);
    ASSERT_NE(item, nullptr);
    SInt16 plain = item->width;
    EXPECT_GT(plain, 0);
    item->icon = 14;  // as callers write it
    OrvaCalculeAireItem(item);
    EXPECT_EQ(item->width, plain + kMenuIconWidth);
    SetItemIcon(menu, 1, 0);
    EXPECT_EQ(orva_localise_item_menu(menu, 1)->width, plain);
}

TEST_F(Menus, AMenuResourceGivesItsTitleItemsAndDisabledLines) {
    MenuTemplateRecord templ = {};
    templ.menuID = 200;
    templ.title[0] = 4;
    memcpy(templ.title + 1, "File", 4);
    const unsigned char open[] = {4, 'O', 'p', 'e', 'n'}, line[] = {1, '-'}, quit[] = {4, 'Q', 'u', 'i', 't'};
    MenuItemSource items[] = {{open, 0, 'O', 0, 0}, {line, 0, 0, 0, 0}, {quit, 0, 'Q', 0, 0}};
    templ.enableFlags = 0x1 | 0x2 | 0x8;  // the menu, Open and Quit
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    OrvaWriteMenuTemplate(&w, &templ, items, 3);
    // A resource file of the test's own to hold it.
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    ASSERT_EQ(OrvaSetCurrentDir(OrvaTestHome().c_str()), 0);
    CreateResFile("menus.rsr");
    SInt16 own = OpenResFile("menus.rsr");
    OrvaRestoreCurrentFolder(&saved);
    ASSERT_GT(own, 0);
    AddResource(h, FourCC("MENU"), 200, "");
    MenuHandle file = GetMenu(200);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(CountMItems(file), 3);
    EXPECT_EQ(Text(file, 3), "Quit");
    EXPECT_EQ(orva_localise_item_menu(file, 3)->key, 'Q');
    EXPECT_FALSE(orva_localise_item_menu(file, 2)->enabled);
    EXPECT_TRUE(orva_localise_item_menu(file, 1)->enabled);
    DisposeMenu(file);
    EXPECT_EQ(GetMenu(201), nullptr);
    CloseResFile(own);
}

TEST(PopUps, AScriptedPointerChoosesAnItemOrNothing) {
    struct Row {
        const char *label;
        const char *options;
        const char *answer;
    } rows[] = {
        {"released on item 3", "", "3\n"},
        {"released outside", " --release-outside", "0\n"},
        {"the platform's menu, item 3 activated", " --plugin", "3\n"},
        {"the platform's menu without the pointer", " --plugin --refuse-grab", "0\n"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        int status = 0;
        std::string out = RunCommand("timeout 5 " + ToolPath("tbdemo") + " popup --items 5 --choose 3" + row.options, &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(out, row.answer);
    }
}

}  // namespace
