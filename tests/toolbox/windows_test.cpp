// ctest-labels: toolbox-core
// The Window Manager in the plug-in's mode: the window list and its order, the part under a
// point, titles, update regions and their bracket, and calls given windows it does not know.
#include "toolbox/windows.h"

#include <gtest/gtest.h>
#include <string>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "support/graphics/rect_support.h"
#include "support/tool_support.h"
#include "support/toolbox/toolbox_support.h"

namespace {

class Windows : public ::testing::Test {
protected:
    void SetUp() override { StartToolboxForTests(); }
    void TearDown() override {
        while (WindowList) DisposeWindow(WindowList);
        EventRecord e;
        while (GetNextEvent(everyEvent, &e)) {
        }
    }
};

TEST_F(Windows, EachPartOfADocumentWindowIsFound) {
    WindowPtr w = NewToolboxTestWindow(Rect{100, 100, 200, 400}, 0, "Parts");
    ASSERT_NE(w, nullptr);
    Rect close;
    OrvaGetCloseBoxRect(w, &close);
    ASSERT_FALSE(EmptyRect(&close));
    struct Row {
        const char *label;
        Point where;
        SInt16 part;
        bool inWindow;
    } rows[] = {
        {"content", {150, 250}, inContent, true},
        {"title bar", {90, 250}, inDrag, true},
        {"close box", {SInt16(close.top + 1), SInt16(close.left + 1)}, inGoAway, true},
        {"left frame", {150, 99}, inDrag, true},
        {"desk", {300, 250}, inDesk, false},
        {"just past the right edge", {150, 401}, inDesk, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        WindowPtr found = nullptr;
        EXPECT_EQ(_FindWindow(row.where, &found), row.part);
        EXPECT_EQ(found, row.inWindow ? w : nullptr);
    }
    EXPECT_TRUE(TrackGoAway(w, Point{SInt16(close.top + 1), SInt16(close.left + 1)}));
    EXPECT_FALSE(TrackGoAway(w, Point{150, 250}));
}

TEST_F(Windows, NewWindowsStandInFrontAndSelectingBringsOneForward) {
    WindowPtr one = NewToolboxTestWindow(Rect{50, 50, 100, 100}, 0);
    WindowPtr two = NewToolboxTestWindow(Rect{50, 150, 100, 200}, 0);
    WindowPtr three = NewToolboxTestWindow(Rect{50, 250, 100, 300}, 0);
    auto order = [&]() {
        std::string s;
        for (WindowPtr w = GetWindowList(); w; w = _GetNextWindow(w)) s += w == one ? '1' : w == two ? '2' : '3';
        return s;
    };
    EXPECT_EQ(order(), "321");
    SelectWindow(one);
    EXPECT_EQ(order(), "132");
    EXPECT_EQ(FrontWindow(), one);
    EXPECT_TRUE(IsWindowHilited(one));
    EXPECT_FALSE(IsWindowHilited(three));
    ShowHide(one, kFalse);
    EXPECT_EQ(FrontWindow(), three);  // the front window is the first visible one
    // A window put behind another stands right after it.
    Rect bounds = {50, 350, 100, 400};
    WindowPtr four = NewWindow(nullptr, &bounds, nullptr, kTrue, 0, three, kFalse, 0);
    EXPECT_EQ(_GetNextWindow(three), four);
    EXPECT_EQ(_GetNextWindow(four), two);
}

TEST_F(Windows, PlainBoxesHaveNoFrameAndBoxesNoTitleBar) {
    struct Row {
        SInt16 procID;
        SInt16 top, left, bottom, right;  // structure, the content being 100,100,200,300
    } rows[] = {
        {2, 100, 100, 200, 300}, {1, 99, 99, 201, 301}, {3, 99, 99, 203, 303},
        {0, 81, 99, 201, 301},   {5, 81, 99, 201, 301}, {77, 81, 99, 201, 301},  // unknown: a document
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.procID);
        WindowPtr w = NewToolboxTestWindow(Rect{100, 100, 200, 300}, row.procID);
        Rect s;
        ASSERT_EQ(GetWindowBounds(w, kWindowStructureRgn, &s), noErr);
        EXPECT_TRUE(RectIs(s, row.top, row.left, row.bottom, row.right));
        DisposeWindow(w);
    }
}

TEST_F(Windows, TitlesKeepTheirTextAndLongOnesAreCutAtACharacter) {
    WindowPtr w = NewToolboxTestWindow(Rect{50, 50, 100, 200}, 0);
    const unsigned char cafe[] = {4, 'c', 'a', 'f', 0x8E};  // MacRoman
    SetWTitle(w, cafe);
    EXPECT_STREQ(w->title, "caf\xc3\xa9");
    Str255 back;
    GetWTitle(w, back);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(back), 5), std::string(reinterpret_cast<const char *>(cafe), 5));

    std::string longTitle;
    for (int i = 0; i < 200; i++) longTitle += "\xc3\xa9";  // 400 bytes
    CFStringRef title = CFStringCreateWithCString(nullptr, longTitle.c_str(), kCFStringEncodingUTF8);
    ASSERT_EQ(SetWindowTitleWithCFString(w, title), noErr);
    CFRelease(title);
    EXPECT_EQ(strlen(w->title), 254u);  // 127 whole characters
    CFStringRef copy = nullptr;
    ASSERT_EQ(CopyWindowTitleAsCFString(w, &copy), noErr);
    EXPECT_EQ(CFStringGetLength(copy), 127);
    CFRelease(copy);
}

TEST_F(Windows, AnInvalidatedRectComesBackAsOneUpdateEvent) {
    WindowPtr w = NewToolboxTestWindow(Rect{60, 40, 160, 240}, 0);
    EventRecord e;
    while (GetNextEvent(updateMask, &e)) {  // the new window's own first update
        BeginUpdate(reinterpret_cast<WindowPtr>(e.message));
        EndUpdate(reinterpret_cast<WindowPtr>(e.message));
    }
    Rect r = {10, 20, 30, 60};
    ASSERT_EQ(InvalWindowRect(w, &r), noErr);
    ASSERT_TRUE(GetNextEvent(updateMask, &e));
    EXPECT_EQ(e.what, updateEvt);
    EXPECT_EQ(e.message, uintptr_t(w));
    RgnHandle visible = w->port.visRgn;
    BeginUpdate(w);
    EXPECT_TRUE(RectIs((*visible)->rgnBBox, 10, 20, 30, 60));  // local coordinates
    EXPECT_FALSE(GetNextEvent(updateMask, &e));               // asked once only
    EndUpdate(w);
    EXPECT_TRUE(RectIs((*w->port.visRgn)->rgnBBox, 0, 0, 100, 200));
    // Validating what was invalidated leaves nothing to redraw.
    InvalWindowRect(w, &r);
    ValidWindowRect(w, &r);
    EXPECT_FALSE(GetNextEvent(updateMask, &e));
}

TEST_F(Windows, UnknownWindowsAreLeftAlone) {
    WindowPtr w = NewToolboxTestWindow(Rect{50, 50, 100, 100}, 0);
    DisposeWindow(w);
    WindowRecord foreign = {};
    for (WindowPtr bad : {WindowPtr(nullptr), w, &foreign}) {
        EXPECT_FALSE(orva_existe_fen(bad));
        EXPECT_FALSE(_IsWindowVisible(bad));
        EXPECT_EQ(GetWRefCon(bad), 0);
        EXPECT_EQ(GetWindowPort(bad), nullptr);
        Rect r = {0, 0, 10, 10};
        EXPECT_EQ(InvalWindowRect(bad, &r), paramErr);
        SelectWindow(bad);
        DisposeWindow(bad);  // a second dispose does nothing
    }
    EXPECT_EQ(GetWindowList(), nullptr);
}

TEST(WindowsDemo, EventsAndWindowsAsTheDemoPrintsThem) {
    int status = 0;
    std::string events = RunCommand(ToolPath("tbdemo") + " events", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(events.find("posted=3 rejected=1 got=1,2,3\n"), std::string::npos) << events;
    EXPECT_NE(events.find("pseudo=4\n"), std::string::npos) << events;
    EXPECT_NE(events.find("handled=-9874\n"), std::string::npos) << events;
    EXPECT_NE(events.find("stilldown=1 then=0\n"), std::string::npos) << events;
    std::string windows = RunCommand(ToolPath("tbdemo") + " windows", &status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(windows.find("content=3 drag=4 goaway=6 desk=0\n"), std::string::npos) << windows;
    EXPECT_NE(windows.find("order=1,3,2\n"), std::string::npos) << windows;
    EXPECT_NE(windows.find("instance structure = content\n"), std::string::npos) << windows;
}

}  // namespace
