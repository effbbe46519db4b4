// ctest-labels: toolbox-ui
// The standalone program's menu bar on the display: the standard Edit menu of the system files,
// titles found by their shortcut, a flash undone by a second one, and the demonstration program
// mapping its menu bar from the build tree's system files. Runs under ./test.sh's Xvfb.
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/cairo/dirty_areas.h"
#include "graphics/quickdraw/rects.h"
#include "platform/core/runtime.h"
#include "platform/gtk/back_end.h"
#include "platform/gtk/platform_windows.h"
#include "support/graphics/quickdraw_support.h"
#include "support/test_home.h"
#include "support/tool_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/menus.h"
#include "toolbox/toolbox_install.h"

namespace {


class MenuBar : public ::testing::Test {
protected:
    static void SetUpTestSuite() { display = StartStandaloneToolboxForTests(); }
    void SetUp() override {
        if (!display) GTEST_SKIP() << "no display";
    }
    // The menu bar's pixels in r (its port's coordinates).
    static std::vector<UInt32> Pixels(const Rect &r) {
        std::vector<UInt32> pixels;
        GrafPtr bar = GTKGetMenuBarPort();
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) pixels.push_back(PortPixel(bar, x, y));
        return pixels;
    }
    static bool display;
};
bool MenuBar::display = false;

TEST_F(MenuBar, TheEditMenuOfTheSystemFilesStandsInTheBarAndFlashesBack) {
    ASSERT_NE(GTKGetMenuBarPort(), nullptr);
    MenuHandle edit = GetMenu(130);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(CountMItems(edit), 7);
    const unsigned char file[] = {7, 'F', 'i', 'c', 'h', 'i', 'e', 'r'};
    MenuHandle first = NewMenu(129, file);
    InsertMenu(edit, 0);
    InsertMenu(first, 130);  // before Edit
    DrawMenuBar();
    Rect fileTitle, editTitle;
    ASSERT_TRUE(OrvaGetMenuTitleRect(129, &fileTitle));
    ASSERT_TRUE(OrvaGetMenuTitleRect(130, &editTitle));
    EXPECT_LT(fileTitle.right, editTitle.left + 1);
    Rect found;
    ASSERT_TRUE(OrvaRechercheRaccourciMenuBar('f', &found));  // a title's first letter, either case
    EXPECT_EQ(found.left, fileTitle.left);
    EXPECT_FALSE(OrvaRechercheRaccourciMenuBar('z', &found));

    GrafPtr bar = GTKGetMenuBarPort();
    Rect local = editTitle;
    _OffsetRect(&local, SInt16(bar->portRect.left - bar->screenH), SInt16(bar->portRect.top - bar->screenV));
    std::vector<UInt32> before = Pixels(local);
    UInt32 flashes = OrvaGetFlashMenuBarCount();
    FlashMenuBar(130);
    EXPECT_TRUE(OrvaIsMenuTitleFlashed(130));
    EXPECT_NE(Pixels(local), before);
    FlashMenuBar(130);
    EXPECT_FALSE(OrvaIsMenuTitleFlashed(130));
    EXPECT_EQ(Pixels(local), before);
    EXPECT_EQ(OrvaGetFlashMenuBarCount(), flashes + 2);
    DisposeMenu(first);
    DisposeMenu(edit);
    EXPECT_EQ(GetMenuHandle(130), nullptr);
}

TEST(DemoApp, MapsItsMenuBarFromTheBuildTreesSystemFiles) {
    std::string err = TempFile("demo-app.err");
    int status = 0;
    RunCommand("ORVA_DEMO_APP_NAME=orva-menubar-" + std::to_string(getpid()) +
                   " ORVA_DEMO_APP_SECONDS=1 timeout 20 " + ToolPath("orva-demo-app") + " 2>" + err,
               &status);
    EXPECT_EQ(status, 0);
    std::string said = OrvaTestReadFile(err);
    EXPECT_NE(said.find("menu bar: mapped, 22 pixels high"), std::string::npos) << said;
}

}  // namespace
