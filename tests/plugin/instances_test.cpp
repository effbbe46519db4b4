// ctest-labels: plugin-shell
// Instances behind the glue: their list in page order, what destroying one clears, the changed
// areas handed to the browser, painting onto its drawable, and pointer events.
#include <string>

#include "graphics/quickdraw/rects.h"
#include "graphics/cairo/dirty_areas.h"
#include "platform/gtk/keyboard_mouse.h"
#include "plugin/instance.h"
#include "support/plugin_support.h"
#include "graphics/quickdraw/window_record.h"

namespace {

::testing::Environment *const gPlugIn = ::testing::AddGlobalTestEnvironment(new plugintest::PlugInEnvironment(NpHostOptions()));

WindowPtr WindowOf(int index) { return OrvaPluginGetInstanceWindow(OrvaPluginID(NpHostInstance(index))); }

std::string ListOrder() {
    std::string order;
    for (const PlugInInstance *p = plugInState.premiereInstance; p; p = p->next)
        order += p->pagePositionKnown ? "(" + std::to_string(p->pageTop) + "," + std::to_string(p->pageLeft) + ")"
                                      : "#" + std::to_string(p->creationSerial);
    return order;
}

NpHostElement At(int top, int left) {
    NpHostElement e;
    e.top = top;
    e.left = left;
    return e;
}

// Five rectangles far enough apart to take one slot each.
const Rect kFiveRects[5] = {{0, 0, 10, 10}, {0, 100, 10, 110}, {100, 0, 110, 10}, {100, 100, 110, 110}, {200, 200, 210, 210}};

void DirtyFive(int index) {
    WindowPtr w = WindowOf(index);
    ASSERT_NE(w, nullptr);
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&w->port);
    for (const Rect &r : kFiveRects) OrvaAddDirtyRectPort(&w->port, r.left, r.top, SInt16(r.right - 1), SInt16(r.bottom - 1));
    SetPort(saved);
}

bool SlotsEmpty(int index) {
    for (const Rect &slot : WindowOf(index)->port.dirty)
        if (!EmptyRect(&slot)) return false;
    return true;
}

class Instances : public ::testing::Test {
protected:
    void SetUp() override { NpHostDestroyAll(), NpHostRunQueued(); }
    void TearDown() override { PlugSetTrace(kFalse); }
};

TEST_F(Instances, ListFollowsThePageTopThenLeft) {
    int a = plugintest::NewInstance({}, At(100, 10));
    plugintest::NewInstance({}, At(50, 0));
    plugintest::NewInstance({}, At(100, 5));
    EXPECT_EQ(ListOrder(), "(50,0)(100,5)(100,10)");
    // A relinked instance moves to its place instead of being listed twice; instances whose
    // place the page does not give follow, in the order they were made.
    PlugInInstance *moved = PlugInFromNPP(NpHostInstance(a));
    moved->pagePositionKnown = 0;
    LinkInstance(moved);
    NpHostElement unplaced;
    unplaced.placed = false;
    int b = plugintest::NewInstance({}, unplaced);
    EXPECT_EQ(ListOrder(), "(50,0)(100,5)#" + std::to_string(moved->creationSerial) + "#" +
                               std::to_string(PlugInFromNPP(NpHostInstance(b))->creationSerial));
}

TEST_F(Instances, DestroyClearsEveryProcessWideReference) {
    int k = plugintest::NewInstance({});
    PlugInInstance *p = PlugInFromNPP(NpHostInstance(k));
    ASSERT_TRUE(IsInstanceValid(p));
    plugInState.plugInInstancePlay = plugInState.redrawInstance = p;
    SetCurThis(p);
    long objects = NpHostObjectsAlive();
    EXPECT_EQ(NpHostDestroy(k), NPERR_NO_ERROR);
    EXPECT_EQ(NpHostInstance(k)->pdata, nullptr);
    EXPECT_EQ(plugInState.plugInInstancePlay, nullptr);
    EXPECT_EQ(plugInState.redrawInstance, nullptr);
    EXPECT_EQ(GetCurThis(), nullptr);
    EXPECT_EQ(plugInState.premiereInstance, nullptr);
    EXPECT_EQ(NpHostObjectsAlive(), objects - 1);  // its scriptable object is released
}

TEST_F(Instances, FiveChangedAreasBecomeFiveQueuedInvalidationsInOrder) {
    int k = plugintest::NewInstance({});
    NpHostRunQueued();
    DirtyFive(k);
    size_t from = NpHostLog().size();
    PluginUpdateDirty();
    EXPECT_EQ(plugintest::LogLinesWith(from, {"pluginthreadasynccall"}).size(), 5u);
    EXPECT_TRUE(SlotsEmpty(k));
    NpHostRunQueued();
    std::vector<std::string> calls = plugintest::LogLinesWith(from, {"invalidaterect"});
    ASSERT_EQ(calls.size(), 5u);
    for (int i = 0; i < 5; i++) {
        const Rect &r = kFiveRects[i];
        std::string expected = "[" + std::to_string(r.top) + "," + std::to_string(r.left) + "," +
                               std::to_string(r.bottom) + "," + std::to_string(r.right) + "]";
        EXPECT_NE(calls[size_t(i)].find(expected), std::string::npos) << calls[size_t(i)];
    }
}

TEST_F(Instances, QueuedInvalidationsOfADestroyedInstanceCallNothing) {
    int k = plugintest::NewInstance({});
    NpHostRunQueued();
    DirtyFive(k);
    PluginUpdateDirty();
    NpHostDestroy(k);
    size_t from = NpHostLog().size();
    NpHostRunQueued();
    EXPECT_EQ(plugintest::LogLinesWith(from, {"async-run"}).size(), 5u);
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"invalidaterect"}).empty());
}

// Sides that a 16-bit rectangle can hold but the browser's unsigned one cannot are held to 0.
TEST_F(Instances, NegativeSidesAreHeldToZero) {
    int k = plugintest::NewInstance({});
    NpHostRunQueued();
    WindowOf(k)->port.dirty[0] = Rect{-5, -10, 20, 30};
    size_t from = NpHostLog().size();
    NPP_GlueTimer(NpHostInstance(k), 1);  // the timer hands them over at once
    EXPECT_EQ(plugintest::LogLinesWith(from, {"invalidaterect", "[0,0,20,30]"}).size(), 1u);
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"pluginthreadasynccall"}).empty());
    EXPECT_TRUE(SlotsEmpty(k));
}

// A window that no instance claims is emptied, else the push would pick it forever.
WindowPtr gStray;
WindowPtr StrayFirst() { return gStray; }
WindowPtr StrayNext(WindowPtr) { return nullptr; }

TEST_F(Instances, AWindowWithoutInstanceLosesItsAreas) {
    Rect bounds = {0, 0, 50, 50};
    gStray = NewWindow(nullptr, &bounds, nullptr, kTrue, 0, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    ASSERT_NE(gStray, nullptr);
    gStray->platformWindow = reinterpret_cast<void *>(0x1234);
    gStray->port.dirty[0] = Rect{1, 1, 9, 9};
    size_t from = NpHostLog().size();
    PluginUpdateDirtyIn(StrayFirst, StrayNext);
    EXPECT_TRUE(EmptyRect(&gStray->port.dirty[0]));
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"invalidaterect"}).empty());
    DisposeWindow(gStray);
}

TEST_F(Instances, PaintCopiesThePortOntoTheDrawable) {
    if (!getenv("DISPLAY")) GTEST_SKIP() << "needs an X display";
    int k = plugintest::NewInstance({});
    uint32_t rgb = 0;
    ASSERT_TRUE(NpHostFillDrawable(k, 0xFF00FF));
    ASSERT_TRUE(NpHostExpose(k, 0, 0, 640, 480));
    ASSERT_TRUE(NpHostPixel(k, 5, 5, &rgb));
    EXPECT_EQ(rgb, 0xE0E0E0u);  // the loading face
    int dark = 0;
    for (int x = 0; x < 640; x += 2)
        for (int y = 200; y < 280; y += 2)
            if (NpHostPixel(k, x, y, &rgb) && (rgb & 0xFF) < 0x80) dark++;
    EXPECT_GT(dark, 20);  // its text in the middle band
    // The area's sides are 16-bit: a width above 32767 reaches back to the left of x.
    ASSERT_TRUE(NpHostFillDrawable(k, 0xFF00FF));
    ASSERT_TRUE(NpHostExpose(k, 100, 0, 40000 - 100, 480));
    ASSERT_TRUE(NpHostPixel(k, 50, 5, &rgb));
    EXPECT_EQ(rgb, 0xE0E0E0u);
    ASSERT_TRUE(NpHostPixel(k, 150, 5, &rgb));
    EXPECT_EQ(rgb, 0xFF00FFu);
}

bool KeyDown(int key) {
    KeyMap keys;
    GetKeys(keys);
    return (reinterpret_cast<const UInt8 *>(keys)[key / 8] >> (key % 8)) & 1;
}

// A press needs no motion before it: its point, button and modifier keys are its own.
TEST_F(Instances, PressesCarryTheirPointButtonAndKeys) {
    int k = plugintest::NewInstance({});
    PlugSetTrace(kTrue);
    struct Case {
        const char *label;
        unsigned button, state;
        UInt32 buttonBits;
        int key;  // held until the release; -1 none
    } cases[] = {{"left", 1, 0, 1, -1}, {"right with Shift", 3, 1, 2, 56}, {"middle with Control", 2, 4, 4, 55},
                 {"left with Alt", 1, 8, 1, 58}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        size_t from = NpHostLog().size();
        NpHostButton(k, true, 30, 40, c.button, c.state);
        EXPECT_EQ(plugintest::LogLinesWith(from, {"PlugInClick 30 40"}).size(), 1u);
        Point where;
        lit_mouse(&where);
        EXPECT_EQ(where.h, 30);
        EXPECT_EQ(where.v, 40);
        EXPECT_EQ(SystemDependantGetMouseButton(), c.buttonBits);
        for (int key : {55, 56, 58}) EXPECT_EQ(KeyDown(key), key == c.key) << key;
        NpHostButton(k, false, 31, 41, c.button, c.state);
        EXPECT_EQ(SystemDependantGetMouseButton(), 0u);
        for (int key : {55, 56, 58}) EXPECT_FALSE(KeyDown(key)) << key;
    }
    size_t from = NpHostLog().size();
    NpHostButton(k, true, 30, 40, 4, 0);  // the wheel is no button
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"PlugInClick"}).empty());
    NpHostMotion(k, 7, 8);
    NpHostLeave(k);
    Point where;
    lit_mouse(&where);
    EXPECT_EQ(where.h, -1);
    EXPECT_TRUE(plugintest::LogLinesWith(from, {"PlugInClick"}).empty());
}

TEST_F(Instances, NullArgumentsAreRefused) {
    const NPPluginFuncs &table = NpHostPluginTable();
    int k = plugintest::NewInstance({});
    char type[] = "application/x-ondrak-music";
    EXPECT_EQ(table.newp(type, nullptr, NP_EMBED, 0, nullptr, nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.setwindow(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.event(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.event(NpHostInstance(k), nullptr), NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(table.setwindow(NpHostInstance(k), nullptr), NPERR_NO_ERROR);  // the instance loses its window
    EXPECT_EQ(PlugInFromNPP(NpHostInstance(k))->window, nullptr);
    for (int variable : {1, 2, 3, 14, 99}) EXPECT_EQ(NpHostGetValue(k, variable), NPERR_GENERIC_ERROR) << variable;
    EXPECT_EQ(NpHostGetValue(k, NPPVpluginScriptableNPObject), NPERR_NO_ERROR);  // the page's scripts read it
}

}  // namespace
