// ctest-labels: toolbox-core
// Windows as the portability library sees them: a port of the bounds' size at the bounds'
// place, a structure round the content as the definition procedure gives it, a pointer-sized
// reference constant.
#include "toolbox/toolbox_services.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/regions.h"
#include "platform/core/folders.h"
#include "platform/core/resource_files.h"
#include "support/graphics/rect_support.h"
#include "support/test_home.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/windows.h"

namespace {

TEST(ToolboxServices, AWindowHasAPortOfItsBoundsAndRegionsWhereTheyAre) {
    StartToolboxForTests();
    Rect bounds = {40, 30, 140, 230};
    SRefCon record = reinterpret_cast<SRefCon>(&bounds);  // a record's address survives whole
    WindowPtr w = NewWindow(nullptr, &bounds, nullptr, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kFalse, record);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(RectIs(w->port.portRect, 0, 0, 100, 200));
    Rect global;
    ASSERT_EQ(GetWindowBounds(w, kWindowContentRgn, &global), noErr);
    EXPECT_TRUE(RectIs(global, 40, 30, 140, 230));
    // A document: a frame of 1 pixel round it and an 18-pixel title bar above.
    ASSERT_EQ(GetWindowBounds(w, kWindowStructureRgn, &global), noErr);
    EXPECT_TRUE(RectIs(global, 21, 29, 141, 231));
    RgnHandle content = NewRgn();
    ASSERT_EQ(GetWindowRegion(w, kWindowContentRgn, content), noErr);
    EXPECT_TRUE(RectIs((*content)->rgnBBox, 40, 30, 140, 230));
    EXPECT_EQ(GetWindowRegion(w, 99, content), paramErr);
    EXPECT_EQ(GetWRefCon(w), record);
    // The port's buffer keeps the frame round the content.
    EXPECT_EQ(w->port.marginTop, 19);
    EXPECT_EQ(w->port.marginLeft, 1);
    DisposeRgn(content);
    DisposeWindow(w);
}

TEST(ToolboxServices, OpeningTheSystemFilesAnswersTheSecondOnesNumber) {
    StartToolboxForTests();
    // Test-made system files in the system folder the tests use.
    SavedCurrentFolderRecord saved;
    OrvaSaveCurrentFolder(&saved);
    ASSERT_EQ(OrvaSetCurrentDir(OrvaTestHome().c_str()), 0);
    CreateResFile("WInit.rsr");
    CreateResFile("WAdd.rsr");
    OrvaRestoreCurrentFolder(&saved);
    SInt16 second = orva_ouvreFichierRessSys();
    ASSERT_GT(second, 0);
    EXPECT_EQ(OpenResFile("WAdd.rsr"), second);  // the same file, already open
    EXPECT_GT(OpenResFile("WInit.rsr"), 0);
}

}  // namespace
