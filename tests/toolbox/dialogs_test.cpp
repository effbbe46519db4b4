// ctest-labels: toolbox-ui
// Dialogs and alerts: the plug-in's alerts answered at once with their texts handed on, a
// standalone alert clicked and seen on the screen, ParamText's substitutions, and dialogs made
// from damaged or missing item lists.
#include "toolbox/dialogs.h"

#include <cairo.h>
#include <cstring>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/quickdraw/rects.h"
#include "platform/core/memory.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"
#include "support/tool_support.h"
#include "support/toolbox/toolbox_support.h"
#include "toolbox/controls.h"
#include "toolbox/resource_layouts.h"

namespace {

std::vector<std::string> gNotices;
void KeepNotice(const char *text) { gNotices.push_back(text); }

std::vector<SInt16> gHooked;
SInt16 AnswerThree(SInt16 alertID, const unsigned char *const[4]) {
    gHooked.push_back(alertID);
    return 3;
}

// A 'DITL' of the given items, laid out by the library's own writer.
Handle MakeDitl(const std::vector<DitlItemSource> &items) {
    Handle h = NewHandle(0);
    ByteWriter w = OrvaByteWriter(h);
    OrvaWriteDitl(&w, items.data(), SInt32(items.size()));
    return h;
}

const unsigned char kOK[] = {2, 'O', 'K'};
const unsigned char kCancel[] = {6, 'C', 'a', 'n', 'c', 'e', 'l'};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        StartToolboxForTests();  // the plug-in's mode: nothing waits
        gNotices.clear();
        OrvaSetNoticeProc(KeepNotice);
        CapturedErrors().clear();
    }
    void TearDown() override {
        OrvaSetNoticeProc(nullptr);
        OrvaSetAlertHook(nullptr);
        while (WindowList) DisposeWindow(WindowList);
    }
    static DialogPtr Make(const std::vector<DitlItemSource> &items) {
        Handle ditl = MakeDitl(items);
        Rect bounds = {50, 50, 200, 400};
        DialogPtr d = NewDialog(nullptr, &bounds, kOK, kTrue, 1, reinterpret_cast<WindowPtr>(-1), kFalse, 0, ditl);
        DisposHandle(ditl);
        return d;
    }
    static void Param(const char *zero, const char *one = "") {
        Str255 a, b, empty = {0};
        a[0] = UInt8(strlen(zero));
        memcpy(a + 1, zero, a[0]);
        b[0] = UInt8(strlen(one));
        memcpy(b + 1, one, b[0]);
        ParamText(a, b, empty, empty);
    }
};

TEST_F(Dialogs, ParamTextFillsTheCaretsAndLeavesTheRest) {
    struct Row {
        const char *label;
        const char *text;
        const char *shown;
    } rows[] = {
        {"first", "Error: ^0", "Error: Disk full"},
        {"two of them", "^1 and ^0", "now and Disk full"},
        {"empty ones", "[^2^3]", "[]"},
        {"^9 is not a parameter", "x^9y", "x^9y"},
        {"a caret at the end", "ends ^", "ends ^"},
        {"a caret before a letter", "^a", "^a"},
    };
    Param("Disk full", "now");
    for (const Row &row : rows) {
        SCOPED_TRACE(row.label);
        unsigned char text[256];
        text[0] = UInt8(strlen(row.text));
        memcpy(text + 1, row.text, text[0]);
        DialogPtr d = Make({{kDitlButton, kFalse, {80, 290, 100, 350}, kOK, 0},
                            {kDitlStaticText, kTrue, {10, 20, 70, 350}, text, 0}});
        ASSERT_NE(d, nullptr);
        char shown[1025];
        OrvaDialogItemShownText(d, 2, shown, sizeof shown);
        EXPECT_STREQ(shown, row.shown);
        DisposDialog(d);
    }
}

TEST_F(Dialogs, ModalDialogAnswersItsFirstButtonAtOnceAndTellsItsTexts) {
    const unsigned char question[] = {9, 'P', 'r', 'o', 'c', 'e', 'e', 'd', ' ', '?'};
    DialogPtr d = Make({{kDitlStaticText, kTrue, {10, 10, 30, 300}, question, 0},
                        {kDitlButton, kFalse, {80, 200, 100, 260}, kCancel, 0},
                        {kDitlButton, kFalse, {80, 290, 100, 350}, kOK, 0}});
    ASSERT_NE(d, nullptr);
    SInt16 item = -1;
    ModalDialog(nullptr, &item);
    EXPECT_EQ(item, 2);
    ASSERT_EQ(gNotices.size(), 1u);
    EXPECT_EQ(gNotices[0], "Proceed ?");
    DisposDialog(d);
}

TEST_F(Dialogs, ItemsAreReadBackAndOutOfRangeNumbersGiveNothing) {
    const unsigned char edit[] = {3, 'a', 'b', 'c'};
    DialogPtr d = Make({{kDitlButton, kFalse, {80, 290, 100, 350}, kOK, 0},
                        {kDitlCheckBox, kFalse, {10, 10, 30, 200}, kCancel, 0},
                        {kDitlEditText, kFalse, {40, 10, 60, 200}, edit, 0},
                        {kDitlUserItem, kTrue, {0, 0, 5, 5}, nullptr, 0}});
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(CountDITL(d), 4);
    SInt16 type;
    Handle h;
    Rect box;
    GetDItem(d, 4, &type, &h, &box);
    EXPECT_EQ(type, kDitlUserItem | kDitlDisabled);
    ControlHandle control = nullptr;
    EXPECT_EQ(GetDialogItemAsControl(d, 2, &control), noErr);
    EXPECT_EQ(GetControlValue(control), 0);
    EXPECT_EQ(GetDialogItemAsControl(d, 3, &control), paramErr);
    EXPECT_EQ(GetDialogKeyboardFocusItem(d), 3);  // the edit text takes the keys
    ASSERT_NE(GetDialogTextEditHandle(d), nullptr);
    for (SInt16 bad : {SInt16(0), SInt16(5), SInt16(-1)}) {
        SCOPED_TRACE(bad);
        type = 7;
        h = reinterpret_cast<Handle>(&type);
        box = Rect{1, 2, 3, 4};
        GetDItem(d, bad, &type, &h, &box);
        EXPECT_EQ(type, 0);
        EXPECT_EQ(h, nullptr);
        EXPECT_TRUE(EmptyRect(&box));
    }
    EXPECT_EQ(GetDialogFromWindow(GetDialogWindow(d)), d);
    DisposDialog(d);
}

TEST_F(Dialogs, DamagedOrMissingItemListsGiveNoItems) {
    std::vector<UInt8> damaged = {0x00, 0x05, 0, 0, 0, 0, 0, 10, 0, 10};  // six items claimed, one started
    Handle h = NewHandle(UInt32(damaged.size()));
    memcpy(*h, damaged.data(), damaged.size());
    Rect bounds = {50, 50, 200, 400};
    DialogPtr d = NewDialog(nullptr, &bounds, kOK, kTrue, 1, reinterpret_cast<WindowPtr>(-1), kFalse, 0, h);
    DisposHandle(h);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(CountDITL(d), 0);
    EXPECT_EQ(CapturedErrors().size(), 1u);
    DisposDialog(d);
    CapturedErrors().clear();
    EXPECT_EQ(GetNewDialog(12345, nullptr, reinterpret_cast<WindowPtr>(-1)), nullptr);  // no such 'DLOG'
    EXPECT_EQ(CapturedErrors().size(), 1u);
    EXPECT_EQ(Alert(12345, nullptr), -1);
}

TEST_F(Dialogs, TheAlertHookAnswersFirst) {
    gHooked.clear();
    OrvaSetAlertHook(AnswerThree);
    EXPECT_EQ(Alert(777, nullptr), 3);  // even without the alert's resources
    EXPECT_EQ(gHooked, std::vector<SInt16>{777});
}

// The plug-in's own alerts and dialog, as the browser meets them: answered at once.
TEST(PluginDialogs, AlertsAndTheInformationDialogAnswerAtOnceWithANotice) {
    int status = 0;
    std::string alert = RunCommand("timeout 2 " + ToolPath("tbdemo") + " alert 304 --plugin", &status);
    EXPECT_EQ(status, 0) << alert;  // 124 would mean it waited
    EXPECT_NE(alert.find("item=2\n"), std::string::npos) << alert;
    EXPECT_NE(alert.find("notice: This score was written by a newer version"), std::string::npos) << alert;
    std::string dialog = RunCommand("timeout 2 " + ToolPath("tbdemo") + " dialog 301 --plugin --text1 Hello", &status);
    EXPECT_EQ(status, 0) << dialog;
    EXPECT_NE(dialog.find("notice: Hello"), std::string::npos) << dialog;
    EXPECT_NE(dialog.find("item=4\n"), std::string::npos) << dialog;
}

// A standalone alert under Xvfb: clicked at its button, and its text where the screen shows it.
TEST(StandaloneDialogs, AClickedAlertShowsItsParameterTextAtItsWidth) {
    std::string png = TempFile("alert.png");
    int status = 0;
    std::string out = RunCommand(ToolPath("tbdemo") + " alert 300 --param 'Disk full' --click 1 --png " + png, &status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("item=1\n"), std::string::npos) << out;
    int top = 0, left = 0, bottom = 0, right = 0, width = 0;
    size_t at = out.find("text=");
    ASSERT_NE(at, std::string::npos) << out;
    ASSERT_EQ(sscanf(out.c_str() + at, "text=%d,%d,%d,%d width=%d", &top, &left, &bottom, &right, &width), 5);
    cairo_surface_t *image = cairo_image_surface_create_from_png(png.c_str());
    ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
    const UInt8 *data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image);
    UInt32 background;
    memcpy(&background, data + top * stride + 4 * (right - 2), 4);
    int inkLeft = right, inkRight = left - 1;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++) {
            UInt32 pixel;
            memcpy(&pixel, data + y * stride + 4 * x, 4);
            if ((pixel & 0xFFFFFF) == (background & 0xFFFFFF)) continue;
            inkLeft = x < inkLeft ? x : inkLeft;
            inkRight = x > inkRight ? x : inkRight;
        }
    cairo_surface_destroy(image);
    ASSERT_GT(width, 20);
    EXPECT_NEAR(inkRight - inkLeft + 1, width, 2);
    EXPECT_LE(inkLeft - left, 2);  // the text starts at the item's left
}

}  // namespace
