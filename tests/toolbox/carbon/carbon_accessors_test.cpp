// ctest-labels: periphery
// The accessor layer: every accessor exists, and those that add behaviour of their own (picture
// frames, window margins, magic tags, dialog item counts, start-up, ports) behave as the engine
// relies on.
#include "toolbox/carbon/carbon_accessors.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/quickdraw/window_record.h"
#include "graphics/text/font_manager.h"
#include "platform/core/memory.h"
#include "platform/core/resource_files.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/rect_support.h"
#include "support/resource_test_support.h"

namespace {

using restest::NewHandleFrom;

// Taking the address of every accessor makes a missing one fail the link.
#define A(name) reinterpret_cast<const void *>(&name)
const void *const kAccessors[] = {
    A(CarboniseGetDialogWindow), A(CarboniseGetDialogFromWindow), A(CarboniseGetDialogFromPort),
    A(CarboniseGetDialogPort), A(CarboniseGetDialogTextEditHandle), A(CarboniseGetDialogItemAsControl),
    A(CarboniseIsDialogEvent), A(CarboniseSetDialogFont), A(CarboniseTrackControl), A(CarboniseGetRectDialog),
    A(CarboniseInvalRectDialog), A(CarboniseGetContRectDialog), A(CarboniseGetStrucRectDialog),
    A(CarboniseGetContRegionDialog), A(CarboniseGetVisRegionDialog), A(CarboniseGetClipRectDialog),
    A(CarboniseMoveDialog), A(CarboniseDragDialog), A(CarboniseShowDialog), A(CarboniseIsDialogVisible),
    A(CarboniseSizeDialog), A(CarboniseGrowDialog), A(CarboniseSetDialogRefCon), A(CarboniseGetDialogRefCon),
    A(CarboniseSelectDialog), A(CarboniseGetMagicDialog), A(CarboniseSetMagicDialog),
    A(CarboniseDisplayCloseDialog), A(CarboniseGetDialogBitMapForCopyBits),
    A(CarboniseGetDialogKeyboardFocusItem), A(CarboniseShowHideDialog), A(CarboniseFindControlDialog),
    A(CarboniseSetDialogTitle), A(CarboniseGetDialogTitle), A(CarboniseGetNbItemDitl),
    A(CarboniseAutoEmbedControlRange), A(CarboniseAdapteStaticText), A(CarboniseNewModalFilterProc),
    A(CarboniseNewUserItemProc), A(CarboniseNewListDefProc), A(CarboniseDisposeModalFilterProc),
    A(CarboniseDisposeUserItemProc), A(CarboniseDisposeListDefProc), A(CarboniseCloseDialog),
    A(CarboniseSetPort), A(CarboniseSetPortWindow), A(CarboniseSetPortDialog), A(CarboniseSetPortListe),
    A(CarboniseGetRectPort), A(CarboniseGetPortBitMapForCopyBits), A(CarboniseGetPortClipRegion),
    A(CarboniseGetPortVisibleRegion), A(CarboniseGetPortClipRect), A(CarboniseSetPortClipRegion),
    A(CarboniseSetPortVisibleRegion), A(CarboniseCreatePort), A(CarboniseDisposePort),
    A(CarboniseSetPortGrafProcs), A(CarboniseGetPortGrafProcs), A(CarboniseGetPortListe),
    A(CarboniseGetCurrentPort), A(CarboniseGetCurrentPortClipRegion), A(CarboniseSetCurrentPortClipRegion),
    A(CarboniseGetScreenBitsPortCourant), A(CarboniseIsPicturePort), A(CarboniseIsPicturePortCourant),
    A(CarboniseGetRectPortCourant), A(CarboniseGetTextSizePortCourant), A(CarboniseGetTextSizePort),
    A(CarboniseGetTextFontPort), A(CarboniseGetTextFontPortCourant), A(CarboniseGetTextFacePortCourant),
    A(CarboniseGetTextFacePort), A(CarboniseGetTextModePortCourant), A(CarboniseGetTextSpExtraPortCourant),
    A(CarboniseGetPenLocPortCourant), A(CarboniseGetPenMode), A(CarboniseGetRgbForeColor),
    A(CarboniseGetRgbBackColor), A(CarboniseGetCurrentTextStylePort), A(CarboniseGetQDScreenBits),
    A(CarboniseGetQDRectScreenBits), A(CarboniseGetRandSeed), A(CarboniseSetRandSeed),
    A(CarboniseSetCursorArrow), A(CarboniseSetPatWhite), A(CarboniseSetPatLtGray), A(CarboniseSetPatGray),
    A(CarboniseSetPatDkGray), A(CarboniseSetPatBlack), A(CarboniseBackPatWhite), A(CarboniseBackPatLtGray),
    A(CarboniseBackPatGray), A(CarboniseBackPatDkGray), A(CarboniseBackPatBlack), A(CarboniseGetPatBlack),
    A(CarboniseGetPatDarkGray), A(CarboniseSetListUserHandle), A(CarboniseGetListUserHandle),
    A(CarboniseDrawThemeListBoxFrame), A(CarboniseIsApparenceManager), A(CarboniseIsMacOsX),
    A(CarboniseMacOsXVersion), A(CarboniseIsMacOsXOrPC), A(CarboniseIsSystemeOffscreen),
    A(CarboniseCanAllFontsDisplayJapanese), A(CarboniseSetQuartzAntialias), A(CarboniseInitQuickdDraw),
    A(CarboniseEraseColorRect), A(CarboniseEraseColorRoundRect), A(CarboniseEraseColorRgn),
    A(CarboniseErasePoly), A(CarboniseEraseRect), A(CarboniseEraseRoundRect), A(CarboniseEraseRgn),
    A(CarboniseTextColorBox), A(CarboniseSetThemeBackGround), A(CarboniseSetThemeBackGroundPalette),
    A(CarboniseEraseRectMetalBackground), A(CarboniseTEUpdate), A(CarboniseTEKey), A(CarboniseTEClick),
    A(CarboniseTESetSelect), A(CarboniseTEStylPaste), A(CarboniseTEScroll), A(CarboniseTESetStyle),
    A(CarboniseTECut), A(CarboniseExtendedTEUpdate), A(CarboniseExtendedTEKey), A(CarboniseExtendedTEClick),
    A(CarboniseExtendedTESetSelect), A(CarboniseExtendedTEStylPaste), A(CarboniseExtendedTEScroll),
    A(CarboniseExtendedTESetStyle), A(CarboniseExtendedTECut), A(CarboniseSetUpdateState), A(CarboniseValideUpdate), A(CarboniseDelay),
    A(CarboniseGetIDFontFromName), A(CarboniseDrawThemeTextBox), A(CarboniseDrawThemeTextBoxUTF),
    A(CarboniseThemeTextBoxWidth), A(CarboniseThemeTextBoxHeight), A(CarboniseGetPicFrame),
    A(CarboniseGetRegionBounds), A(CarboniseGetWindowList), A(CarboniseGetWindowPort),
    A(CarboniseGetWindowFromPort), A(CarboniseGetWindowBitMapForCopyBits), A(CarboniseSizeWindow),
    A(CarboniseGetRectWindow), A(CarboniseGetNextWindow), A(CarboniseIsWindowVisible),
    A(CarboniseIsWindowHilited), A(CarboniseGetWindowKind), A(CarboniseSetWindowKind), A(CarboniseHiliteWindow),
    A(CarboniseGetWindowTitle), A(CarboniseSelectWindow), A(CarboniseMoveWindow), A(CarboniseGetCurrentWindow),
    A(CarboniseInvalRegion), A(CarboniseInvalRect), A(CarboniseValidRegion), A(CarboniseValidWindowRect),
    A(CarboniseGetWindowStructRegion), A(CarboniseGetWindowContRegion), A(CarboniseGetWindowStructRect),
    A(CarboniseGetWindowContRect), A(CarboniseGetWindowVisibleRegion), A(CarboniseGetWindowClipRegion),
    A(CarboniseGetWindowVisibleRect), A(CarboniseGetWindowClipRect), A(CarboniseSetWindowRefCon),
    A(CarboniseGetWindowRefCon), A(CarboniseDisplayCloseWindow), A(CarboniseSetWindowClass),
    A(CarboniseCreateNewWindow), A(CarboniseGetWindowMargin), A(CarboniseGetWindowTitleHeight),
    A(CarboniseGetMagicWindow), A(CarboniseSetMagicWindow), A(CarboniseGetWindowAttributes),
    A(CarboniseChangeWindowAttributes), A(CarboniseTrackWindowProxyDrag), A(CarboniseGetPathProxy),
    A(CarboniseSetWindowProxy), A(CarboniseSetWindowProxyAlias), A(CarboniseSetWindowModified),
};
#undef A

// The first parameter text of each alert shown, and each message reported through Collapse, by
// the code under test.
std::vector<std::string> gAlerts;

SInt16 RecordAlert(SInt16, const unsigned char *const params[4]) {
    gAlerts.emplace_back(reinterpret_cast<const char *>(params[0] + 1), params[0][0]);
    return 2;  // never the first button
}
const OrvaMessageHooks kRecordCollapse = {[](const char *m) { gAlerts.emplace_back(m); }, nullptr, nullptr, nullptr};

class Accessors : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();
        gAlerts.clear();
        OrvaSetAlertHook(RecordAlert);
        OrvaSetMessageHooks(&kRecordCollapse);
    }
    void TearDown() override {
        OrvaSetAlertHook(nullptr);
        OrvaSetMessageHooks(nullptr);
        SetPort(nullptr);
    }
};

TEST_F(Accessors, EveryAccessorIsDefined) {
    for (const void *accessor : kAccessors) EXPECT_NE(accessor, nullptr);
}

TEST_F(Accessors, PictureFramesAreSwappedUnlessInTheLibrarysOwnForm) {
    // size, frame (10, 20, 110, 220) big-endian, then two bytes, then the mark bytes.
    std::vector<UInt8> big = {0, 0, 0, 10, 0, 20, 0, 110, 0, 220, 0x11, 0x01, 0x00, 0xFF};
    Handle h = NewHandleFrom(big);
    Rect frame;
    CarboniseGetPicFrame(reinterpret_cast<PicHandle>(h), &frame);
    EXPECT_TRUE(RectIs(frame, 10, 20, 110, 220));
    DisposHandle(h);

    std::vector<UInt8> own(14, 0);
    Rect host = {1, 2, 3, 4};
    memcpy(own.data() + 2, &host, sizeof host);
    own[12] = 0xCA;
    own[13] = 0xFE;
    h = NewHandleFrom(own);
    CarboniseGetPicFrame(reinterpret_cast<PicHandle>(h), &frame);
    EXPECT_EQ(memcmp(&frame, &host, sizeof host), 0);
    DisposHandle(h);

    h = NewHandleFrom(std::vector<UInt8>(big.begin(), big.begin() + 10));
    CarboniseGetPicFrame(reinterpret_cast<PicHandle>(h), &frame);
    EXPECT_TRUE(RectIs(frame, 0, 0, 0, 0));
    DisposHandle(h);
    CarboniseGetPicFrame(nullptr, &frame);
    EXPECT_EQ(frame.bottom, 0);
}

TEST_F(Accessors, WindowMarginsAreTheDistancesBetweenStructureAndContent) {
    Rect bounds = {10, 20, 110, 220};
    WindowPtr w = NewCWindow(nullptr, &bounds, nullptr, kFalse, 0, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    ASSERT_NE(w, nullptr);
    Rect structure = {10, 20, 110, 220}, content = {32, 24, 106, 216};
    RectRgn(w->strucRgn, &structure);
    RectRgn(w->contRgn, &content);
    Rect margins;
    CarboniseGetWindowMargin(w, &margins);
    EXPECT_TRUE(RectIs(margins, 22, 4, 4, 4));
    EXPECT_EQ(CarboniseGetWindowTitleHeight(w), 22);
    Rect r;
    CarboniseGetWindowContRect(w, &r);
    EXPECT_EQ(r.top, 32);
    RgnHandle region = CarboniseGetWindowStructRegion(w);
    ASSERT_NE(region, nullptr);
    EXPECT_EQ((*region)->rgnBBox.right, 220);
    DisposeRgn(region);
    CarboniseGetRectWindow(w, &r);
    EXPECT_EQ(r.right - r.left, 200);
    EXPECT_EQ(r.bottom - r.top, 100);
    DisposeWindow(w);
}

TEST_F(Accessors, MagicTagsAreReadThroughARecordRefConOnly) {
    Rect bounds = {0, 0, 10, 10};
    WindowPtr w = NewCWindow(nullptr, &bounds, nullptr, kFalse, 0, reinterpret_cast<WindowPtr>(-1), kFalse, 0);
    ASSERT_NE(w, nullptr);
    UInt32 *record = reinterpret_cast<UInt32 *>(NewPtrClear(16));
    record[0] = 0x4D616769;
    CarboniseSetWindowRefCon(w, reinterpret_cast<SRefCon>(record));
    EXPECT_EQ(CarboniseGetWindowRefCon(w), reinterpret_cast<SRefCon>(record));
    EXPECT_EQ(CarboniseGetMagicWindow(w), 0x4D616769u);
    CarboniseSetMagicWindow(w, 0x1234);
    EXPECT_EQ(record[0], 0x1234u);
    EXPECT_TRUE(gAlerts.empty());

    for (SRefCon plain : {SRefCon(5), SRefCon(-1), SRefCon(0xFFFF)}) {
        CarboniseSetWindowRefCon(w, plain);
        EXPECT_EQ(CarboniseGetMagicWindow(w), 0u) << plain;
    }
    // A refCon naming memory the process cannot touch answers 0 instead of faulting.
    void *page = mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    munmap(page, 4096);
    CarboniseSetWindowRefCon(w, reinterpret_cast<SRefCon>(page));
    EXPECT_EQ(CarboniseGetMagicWindow(w), 0u);
    CarboniseSetMagicWindow(w, 7);
    CarboniseSetWindowRefCon(w, 0);
    CarboniseSetMagicWindow(w, 7);
    ASSERT_EQ(gAlerts.size(), 2u);
    EXPECT_EQ(gAlerts[1], "CarboniseSetMagicWindow: Bad forward pointeur");
    DisposPtr(reinterpret_cast<Ptr>(record));
    DisposeWindow(w);
}

TEST_F(Accessors, DialogItemCountsComeFromTheFirstWordOfACheckedList) {
    using namespace restest;
    FreshFolder();
    // Two user items (placeholder, rectangle, type 0, no data), then lists whose count word
    // claims items the bytes do not hold.
    Bytes item = {0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 0, 10, 0, 0};
    Bytes two = {0, 1};
    two.insert(two.end(), item.begin(), item.end());
    two.insert(two.end(), item.begin(), item.end());
    WriteAll("ditl.rsr", BuildFile({{"DITL", 128, false, "", two},
                                    {"DITL", 129, false, "", {0xFF, 0xFF}},
                                    {"DITL", 130, false, "", {0, 4, 0, 0}},
                                    {"DITL", 131, false, "", {7}}}));
    SInt16 file = OpenResFile("ditl.rsr");
    ASSERT_GE(file, 0);
    EXPECT_EQ(CarboniseGetNbItemDitl(128), 2);
    EXPECT_EQ(CarboniseGetNbItemDitl(129), 0);
    EXPECT_TRUE(gAlerts.empty());
    EXPECT_EQ(CarboniseGetNbItemDitl(130), 0);
    EXPECT_EQ(CarboniseGetNbItemDitl(131), 0);
    EXPECT_EQ(CarboniseGetNbItemDitl(300), 0);
    EXPECT_EQ(gAlerts, (std::vector<std::string>{"DITL 130 endommage", "DITL 131 endommage", "DITL 300 non trouve"}));
    CloseResFile(file);
}


TEST_F(Accessors, ListBoxFrameWithoutAppearanceIsABlackRectangleOutside) {
    if (CarboniseIsApparenceManager()) GTEST_SKIP() << "start-up already ran";
    GrafPort port = {};
    OpenTestPort(&port, 30, 30);
    Rect all = {0, 0, 30, 30}, box = {10, 10, 20, 20};
    EraseRect(&all);
    CarboniseDrawThemeListBoxFrame(&box, kTrue);
    EXPECT_EQ(PortPixel(&port, 8, 8), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 21, 15), 0x000000u);
    EXPECT_EQ(PortPixel(&port, 9, 9), 0xFFFFFFu);
    EXPECT_EQ(PortPixel(&port, 15, 15), 0xFFFFFFu);
    SetPort(nullptr);
    ClosePort(&port);
}

TEST_F(Accessors, StartUpFindsTheAppearanceLayerAndNeedsNoAlert) {
    CarboniseInitQuickdDraw();
    EXPECT_TRUE(CarboniseIsApparenceManager());
    EXPECT_FALSE(CarboniseIsMacOsX());
    EXPECT_EQ(CarboniseMacOsXVersion(), 0x0999);
    EXPECT_TRUE(gAlerts.empty());
    EXPECT_TRUE(CarboniseIsMacOsXOrPC());
}

TEST_F(Accessors, PortsAreReadAndWrittenThroughQuickDraw) {
    GrafPtr port = CarboniseCreatePort();
    ASSERT_NE(port, nullptr);
    CarboniseSetPort(port);
    EXPECT_EQ(CarboniseGetCurrentPort(), port);
    Rect clip = {1, 2, 30, 40};
    RgnHandle region = NewRgn();
    RectRgn(region, &clip);
    CarboniseSetPortClipRegion(port, region);
    DisposeRgn(region);
    Rect r;
    CarboniseGetPortClipRect(port, &r);
    EXPECT_EQ(r.right, 40);
    RgnHandle copy = CarboniseGetCurrentPortClipRegion();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ((*copy)->rgnBBox.bottom, 30);
    EXPECT_NE(copy, port->clipRgn);  // the caller's own region
    DisposeRgn(copy);
    EXPECT_FALSE(CarboniseIsPicturePortCourant());
    Rect frame = {0, 0, 10, 10};
    PicHandle picture = OpenPicture(&frame);
    EXPECT_TRUE(CarboniseIsPicturePortCourant());
    ClosePicture();
    KillPicture(picture);
    CarboniseSetPort(nullptr);
    CarboniseDisposePort(port);
}

TEST_F(Accessors, TextEditCallsDrawInTheRecordsPortAndGiveTheCallerItsOwnBack) {
    GrafPtr edit = CarboniseCreatePort(), other = CarboniseCreatePort();
    ASSERT_TRUE(edit && other);
    SetPort(edit);
    PortSize(200, 50);
    Rect view = {0, 0, 50, 200};
    TEHandle te = TENew(&view, &view);
    ExtendedTEHandle ext = ExtendedTEStylNew(&view, &view);
    ASSERT_TRUE(te && ext);
    SetPort(other);
    CarboniseTEKey('x', te);
    CarboniseTESetSelect(0, 1, te);
    CarboniseTEUpdate(&view, te);
    CarboniseExtendedTEKey('x', ext);
    CarboniseExtendedTEKey('y', ext);
    CarboniseExtendedTESetSelect(0, 1, ext);
    CarboniseExtendedTEUpdate(&view, ext);
    CarboniseExtendedTEScroll(0, 0, ext);
    EXPECT_EQ(qd.thePort, other);
    EXPECT_EQ((*te)->teLength, 1);
    EXPECT_EQ((*te)->selEnd, 1);
    EXPECT_EQ((*ext)->teLength, 2);
    EXPECT_EQ((*ext)->selEnd, 1);
    CarboniseTECut(te);
    CarboniseExtendedTECut(ext);
    EXPECT_EQ((*te)->teLength, 0);
    EXPECT_EQ((*ext)->teLength, 1);
    EXPECT_EQ(qd.thePort, other);
    TEDispose(te);
    ExtendedTEDispose(ext);
    SetPort(nullptr);
    CarboniseDisposePort(edit);
    CarboniseDisposePort(other);
}

}  // namespace
