// The toolbox services every module links against, and the event queue's stand-in behaviour.
#include "toolbox/toolbox_services.h"

#include <gtest/gtest.h>

#include "graphics/quickdraw/ports.h"
#include "graphics/quickdraw/regions.h"
#include "platform/core/time_manager.h"
#include "support/rect_support.h"

namespace {

// Taking the address of every service proves that each one is defined somewhere in the
// libraries, so no later module meets an undefined symbol.
#define S(name) reinterpret_cast<const void *>(&name)
const void *const kServices[] = {
    S(RegisterAppearanceClient), S(SetThemeBackground), S(DrawThemeListBoxFrame),
    S(NormalizeThemeDrawingState), S(GetThemeDrawingState), S(SetThemeDrawingState),
    S(GetThemeTextDimensions), S(DrawThemeTextBox), S(GetThemeMenuBarHeight),
    S(OrvaCalculateThemeWindowPhysicalRegion), S(OrvaMajSkinDir), S(InitTheme), S(OrvaAdjustDrawers),
    S(GetPortTextFont), S(GetPortTextFace), S(GetPortTextMode), S(GetPortTextSize), S(GetPortSpExtra),
    S(GetPortPenLocation), S(GetPortPenMode), S(GetPortForeColor), S(GetPortBackColor), S(GetPortBounds),
    S(GetRegionBounds), S(GetQDGlobalsThePort), S(GetQDGlobalsScreenBits), S(GetQDGlobalsArrow),
    S(GetQDGlobalsRandomSeed), S(SetQDGlobalsRandomSeed), S(IsPortPictureBeingDefined),
    S(GetPortVisibleRegion), S(GetPortClipRegion), S(SetPortVisibleRegion), S(SetPortClipRegion),
    S(CreateNewPort), S(DisposePort), S(GetPortPixMap), S(GetPixDepth), S(IsPortColor),
    S(GetPortBitMapForCopyBits), S(NewWindow), S(NewCWindow), S(DisposeWindow), S(FrontWindow),
    S(GetWindowList), S(_GetNextWindow), S(_IsWindowVisible), S(IsWindowHilited), S(GetWindowKind),
    S(SetWindowKind), S(_FindWindow), S(SelectWindow), S(ShowHide), S(HiliteWindow), S(_ShowWindow),
    S(_MoveWindow), S(DragWindow), S(GrowWindow), S(SizeWindow), S(TrackGoAway), S(GetWRefCon), S(SetWRefCon),
    S(SetWindowClass), S(GetWindowPort), S(GetWindowFromPort), S(InvalWindowRgn), S(ValidWindowRgn),
    S(InvalWindowRect), S(ValidWindowRect), S(InvalRect), S(GetWindowRegion), S(GetWindowBounds),
    S(TransitionWindow), S(SetWTitle), S(GetWTitle), S(SetWindowTitleWithCFString),
    S(CopyWindowTitleAsCFString), S(BeginUpdate), S(EndUpdate), S(orva_existe_fen), S(OrvaRetraceDesktop),
    S(OrvaDrawMenuBar), S(OrvaWindowsClickInDesk), S(OrvaGetWindowEventHandlers), S(InitDialogs),
    S(GetDialogWindow), S(GetDialogFromWindow), S(GetDialogPort), S(GetDialogTextEditHandle),
    S(GetDialogKeyboardFocusItem), S(IsDialogEvent), S(orva_gere_dialogue), S(DlgCut), S(DlgCopy),
    S(DlgPaste), S(DlgDelete), S(GetDItem), S(CountDITL), S(GetDialogItemAsControl), S(SetDialogFont),
    S(ParamText), S(Alert), S(OrvaSetAlertHook), S(FindControlUnderMouse), S(HandleControlClick),
    S(SetControlFontStyle), S(AutoEmbedControl), S(GetControlFeatures), S(OrvaForceWheelTrack),
    S(OrvaGetFirstControl), S(OrvaGetNextControl), S(IsControlVisible), S(OrvaGetControlProcID),
    S(OrvaGetControlRegionBounds), S(GetListPort), S(SetListUserHandle), S(GetListUserHandle), S(InitMenus),
    S(InsMenuItem), S(CountMItems), S(orva_localise_item_menu), S(OrvaCalculeAireItem),
    S(OrvaRechercheRaccourciMenuBar), S(FlashMenuBar), S(PostEvent), S(OrvaPostPseudoEvent),
    S(OrvaEnqueueEventHandled), S(GetNextEvent), S(EventAvail), S(orva_genere_evt),
    S(OrvaGetLastTickCountEvent), S(NewCollection), S(DisposeCollection), S(SetEventParameter),
    S(GetCollectionItem), S(GetMouse), S(lit_mouse), S(Button), S(StillDown), S(OrvaSetMousePos), S(GetKeys),
    S(OrvaGetLastUnicodeKey), S(OrvaSetLastUnicodeKey), S(ObscureCursor), S(_GetCursor), S(orva_setCursor),
    S(OrvaGereCursorWindows), S(OrvaProcessUnderMouse), S(CFStringCreateWithCString),
    S(CFStringCreateWithCharacters), S(CFStringGetCString), S(CFRelease), S(OrvaGetLangue), S(OrvaFixeLangue),
    S(orva_ouvreFichierRessSys), S(OrvaSupprimeUnicodeSpecialChars),
};
#undef S

TEST(ToolboxServices, EveryServiceIsDefined) {
    for (const void *service : kServices) EXPECT_NE(service, nullptr);
    EXPECT_EQ(sizeof kServices / sizeof kServices[0], 156u);
}

TEST(ToolboxServices, PostedEventsComeBackInOrderByMask) {
    EventRecord e;
    while (GetNextEvent(everyEvent, &e)) {
    }
    OrvaSetMousePos(Point{40, 30}, kFalse);
    EXPECT_EQ(PostEvent(mouseDown, 7), noErr);
    EXPECT_EQ(PostEvent(keyDown, 0x61), noErr);
    EXPECT_EQ(PostEvent(mouseUp, 8), noErr);
    OrvaPostPseudoEvent(updateEvt, uintptr_t(&e), 0x100, 1234, 99);

    ASSERT_TRUE(EventAvail(mUpMask, &e));  // looked at, left in place
    EXPECT_EQ(e.what, mouseUp);
    ASSERT_TRUE(GetNextEvent(mDownMask | mUpMask, &e));
    EXPECT_EQ(e.what, mouseDown);
    EXPECT_EQ(e.message, 7u);
    EXPECT_EQ(e.where.v, 40);
    EXPECT_EQ(e.where.h, 30);
    ASSERT_TRUE(GetNextEvent(mDownMask | mUpMask, &e));
    EXPECT_EQ(e.what, mouseUp);
    ASSERT_TRUE(GetNextEvent(updateMask, &e));
    EXPECT_EQ(e.message, uintptr_t(&e));  // a pointer-sized message survives
    EXPECT_EQ(e.when, 1234u);
    EXPECT_EQ(e.modifiers, 0x100);
    EXPECT_EQ(OrvaGetLastTickCountEvent(), 1234u);
    ASSERT_TRUE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, keyDown);
    EXPECT_FALSE(GetNextEvent(everyEvent, &e));
    EXPECT_EQ(e.what, nullEvent);
}

TEST(ToolboxServices, AFullEventQueueLosesItsOldestEvents) {
    EventRecord e;
    while (GetNextEvent(everyEvent, &e)) {
    }
    for (UInt32 i = 0; i < 100; i++) PostEvent(keyDown, i);
    UInt32 first = ~0u, count = 0;
    while (GetNextEvent(everyEvent, &e)) {
        if (first == ~0u) first = UInt32(e.message);
        count++;
    }
    EXPECT_EQ(count, 64u);
    EXPECT_EQ(first, 36u);
}

TEST(ToolboxServices, AWindowOutlineWithoutThemesIsItsFrame) {
    Rect frame = {10, 20, 90, 220};
    RgnHandle outline = OrvaCalculateThemeWindowPhysicalRegion(nullptr, &frame, true);
    ASSERT_NE(outline, nullptr);
    Rect box;
    GetRegionBounds(outline, &box);
    EXPECT_TRUE(RectIs(box, 10, 20, 90, 220));
    DisposeRgn(outline);
    EXPECT_EQ(OrvaCalculateThemeWindowPhysicalRegion(nullptr, nullptr, false), nullptr);
}

TEST(ToolboxServices, PortAccessorsCopyRegionsAndLeaveTheCurrentPort) {
    OrvaInitGraf(&qd.thePort, 1);
    GrafPtr saved;
    GetPort(&saved);
    GrafPtr port = CreateNewPort();
    ASSERT_NE(port, nullptr);
    GrafPtr now;
    GetPort(&now);
    EXPECT_EQ(now, saved);  // creating a port leaves the current one alone
    EXPECT_FALSE(IsPortPictureBeingDefined(port));

    RgnHandle clip = NewRgn();
    Rect r = {1, 2, 30, 40};
    RectRgn(clip, &r);
    SetPortClipRegion(port, clip);
    RgnHandle back = NewRgn();
    GetPortClipRegion(port, back);
    Rect box;
    GetRegionBounds(back, &box);
    EXPECT_TRUE(RectIs(box, 1, 2, 30, 40));
    DisposeRgn(clip);
    DisposeRgn(back);
    DisposePort(port);
    EXPECT_EQ(GetPortTextFont(nullptr), 0);
}

}  // namespace
