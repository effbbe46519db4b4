// ctest-labels: toolbox-ui
// Controls: the parts of a scroll bar, values kept in range, what each kind draws, one-pass
// tracking in the plug-in, and controls that are gone.
#include "toolbox/controls.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "support/graphics/quickdraw_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/windows.h"

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();
        w = NewToolboxTestWindow(Rect{100, 100, 300, 400}, 2);
    }
    void TearDown() override { DisposeWindow(w); }
    // Pixels of the window's buffer in r (local) that are not white.
    int Ink(const Rect &r) {
        int ink = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++) ink += PortPixel(&w->port, x, y) != 0xFFFFFF;
        return ink;
    }
    WindowPtr w = nullptr;
};

TEST_F(Controls, AScrollBarAnswersEachOfItsParts) {
    Rect r = {0, 100, 200, 116};
    ControlHandle bar = NewControl(w, &r, nullptr, kTrue, 0, 0, 100, kControlScrollBarProc, 0);
    ASSERT_NE(bar, nullptr);
    struct Row {
        const char *label;
        Point where;
        SInt16 part;
    } rows[] = {
        {"upper arrow", {2, 108}, kControlUpButtonPart},    {"lower arrow", {198, 108}, kControlDownButtonPart},
        {"thumb at the top", {20, 108}, kControlIndicatorPart}, {"below the thumb", {120, 108}, kControlPageDownPart},
        {"left of it", {100, 99}, kControlNoPart},           {"below it", {200, 108}, kControlNoPart},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        ControlHandle found = nullptr;
        EXPECT_EQ(FindControl(row.where, w, &found), row.part);
        EXPECT_EQ(found, row.part ? bar : nullptr);
    }
    SetControlValue(bar, 100);  // the thumb at the bottom: the track above is page up
    ControlHandle found;
    EXPECT_EQ(FindControl(Point{60, 108}, w, &found), kControlPageUpPart);
    UInt32 features = 0;
    EXPECT_EQ(GetControlFeatures(bar, &features), noErr);
    EXPECT_TRUE(features & kControlIsScrollBarFeature);
    HiliteControl(bar, kControlInactivePart);  // dimmed controls take no clicks
    EXPECT_EQ(FindControl(Point{2, 108}, w, &found), kControlNoPart);
}

TEST_F(Controls, ValuesStayInTheirRange) {
    Rect r = {10, 10, 30, 100};
    ControlHandle box = NewControl(w, &r, nullptr, kTrue, 7, 0, 1, checkBoxProc, 0);
    EXPECT_EQ(GetControlValue(box), 1);  // made within range
    struct Row {
        SInt16 set, got;
    } rows[] = {{-5, 0}, {0, 0}, {1, 1}, {2, 1}};
    for (const Row &row : rows) {
        SetControlValue(box, row.set);
        EXPECT_EQ(GetControlValue(box), row.got) << row.set;
    }
    SetControlMaximum(box, -3);  // below the minimum: the range shrinks to it
    EXPECT_EQ(GetControlMaximum(box), 0);
    EXPECT_EQ(GetControlValue(box), 0);
}

TEST_F(Controls, ACheckedBoxShowsItsMarkAndAButtonItsTitle) {
    GrafPtr saved;
    GetPort(&saved);
    SetPort(&w->port);
    EraseRect(&w->port.portRect);
    SetPort(saved);
    const unsigned char title[] = {2, 'O', 'K'};
    Rect buttonRect = {10, 10, 30, 80}, boxRect = {50, 10, 70, 120};
    NewControl(w, &buttonRect, title, kTrue, 0, 0, 1, pushButProc, 0);
    ControlHandle box = NewControl(w, &boxRect, nullptr, kTrue, 0, 0, 1, checkBoxProc, 0);
    Rect label = {14, 30, 26, 60}, mark = {56, 13, 64, 19};  // inside the button's outline; inside the box
    EXPECT_GT(Ink(label), 10);
    EXPECT_EQ(Ink(mark), 0);
    SetControlValue(box, 1);
    EXPECT_GT(Ink(mark), 6);
}

SInt16 gCalls = 0;
void Count(ControlHandle, SInt16) { gCalls++; }

TEST_F(Controls, InThePlugInAClickIsOnePassAndGoneControlsAreLeftAlone) {
    Rect r = {0, 100, 200, 116};
    ControlHandle bar = NewControl(w, &r, nullptr, kTrue, 50, 0, 100, scrollBarProc, 0);
    gCalls = 0;
    EXPECT_EQ(HandleControlClick(bar, Point{198, 108}, 0, Count), kControlDownButtonPart);
    EXPECT_EQ(gCalls, 1);  // no forced steps: one
    EXPECT_EQ(HandleControlClick(bar, Point{100, 50}, 0, Count), kControlNoPart);
    DisposeControl(bar);
    EXPECT_EQ(OrvaGetFirstControl(w), nullptr);
    EXPECT_EQ(GetControlValue(bar), 0);  // a disposed control answers nothing
    EXPECT_EQ(HandleControlClick(bar, Point{198, 108}, 0, Count), kControlNoPart);
    DisposeControl(bar);
    EXPECT_EQ(NewControl(nullptr, &r, nullptr, kTrue, 0, 0, 1, pushButProc, 0), nullptr);
}

}  // namespace
