// ctest-labels: text text.draw
// Text measured and drawn on image-surface ports: widths against pango's own, the pen, where
// the ink lands and the dirty areas that cover it, control characters, faces, sizes, angles,
// hidden pens, the symbol page, surrogate pairs and the charsets of 8-bit text.
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/pictures/pictures.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/rects.h"
#include "graphics/quickdraw/regions.h"
#include "graphics/text/font_manager.h"
#include "graphics/text/font_table.h"
#include "graphics/text/quickdraw_text.h"
#include "graphics/toolbox_hooks.h"
#include "graphics/cairo/pango_text.h"
#include "platform/core/language.h"
#include "platform/core/runtime.h"
#include "support/graphics/quickdraw_support.h"
#include "support/graphics/text_support.h"

namespace {

class TextDrawing : public ::testing::Test {
protected:
    GrafPort port;
    void SetUp() override {
        StartTextForTests();
        OpenTestPort(&port, 300, 120);
        PaintPortWhite(&port);
        TextFont(3);
        TextSize(12);
        TextFace(0);
        OrvaSetFontAngle(0);
    }
    void TearDown() override {
        OrvaSetFontAngle(0);
        OrvaSetTranscodeCharset(1);
        OrvaFixeLangue(1);
        ClosePort(&port);
    }
    // Draws at (h, v) and answers the box of the ink it left.
    Rect DrawAt(SInt16 h, SInt16 v, const char *text) {
        std::string before = PortPixels(&port);
        _MoveTo(h, v);
        DrawString(text);
        return InkBox(&port, &before);
    }
    void ExpectInkInsideDirtySlots() {
        for (SInt32 y = 0; y < port.height; y++)
            for (SInt32 x = 0; x < port.width; x++)
                if (PortPixel(&port, x, y) != 0xFFFFFF) {
                    ASSERT_TRUE(InsideDirtySlots(&port, x, y)) << x << "," << y;
                }
    }
};

TEST_F(TextDrawing, WidthsArePangosOwn) {
    struct Row {
        SInt16 font, size;
        UInt8 face;
        const char *family, *text;
    } rows[] = {
        {3, 12, 0, "DejaVu Sans", "Hello"},
        {20, 17, 0, "FreeSerif", "Hello, world"},
        {21, 30, kFaceBold, "FreeSans", "Bold Wide Text"},
        {22, 9, 0, "FreeMono", "mono"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.text);
        TextFont(row.font);
        TextSize(row.size);
        TextFace(row.face);
        EXPECT_EQ(StringWidth(row.text),
                  PangoReferenceWidth(row.family, row.size, row.text, (row.face & kFaceBold) != 0));
    }
}

TEST_F(TextDrawing, DrawStringMovesThePenByItsWidthAndInksInsideItsBox) {
    TextFont(21);
    TextSize(24);
    SInt16 width = StringWidth("Hello");
    ASSERT_GT(width, 20);
    Rect ink = DrawAt(20, 60, "Hello");
    EXPECT_EQ(port.pnLoc.h, 20 + width);
    EXPECT_EQ(port.pnLoc.v, 60);
    FontInfo info;
    GetFontInfo(&info);
    EXPECT_GE(ink.left, 20 - 1);
    EXPECT_LE(ink.right, 20 + width + 1);
    EXPECT_GE(ink.top, 60 - info.ascent - 1);
    EXPECT_LE(ink.bottom, 60 + info.descent + 1);
    EXPECT_GT(ink.bottom - ink.top, 10);
    ExpectInkInsideDirtySlots();
}

TEST_F(TextDrawing, ControlCharactersCutTheRunAndInkNothing) {
    EXPECT_EQ(StringWidth("He\tllo"), StringWidth("He") + StringWidth("llo"));
    EXPECT_EQ(StringWidth("\r\n\t"), 0);
    DrawAt(10, 40, "He\tllo");
    SInt16 pen = port.pnLoc.h;
    std::string joined = PortPixels(&port);
    PaintPortWhite(&port);
    DrawAt(10, 40, "He");
    DrawString("llo");
    EXPECT_EQ(port.pnLoc.h, pen);
    EXPECT_TRUE(PortPixels(&port) == joined);
}

TEST_F(TextDrawing, SizeZeroIsTwelveAndCondenseWithExtendIsNormal) {
    TextSize(12);
    SInt16 twelve = StringWidth("Sized text");
    DrawAt(10, 40, "Sized text");
    std::string drawn = PortPixels(&port);
    PaintPortWhite(&port);
    TextSize(0);
    EXPECT_EQ(StringWidth("Sized text"), twelve);
    DrawAt(10, 40, "Sized text");
    EXPECT_TRUE(PortPixels(&port) == drawn);
    TextSize(-7);  // negative sizes are taken as 12 too
    EXPECT_EQ(StringWidth("Sized text"), twelve);
    TextSize(16);
    SInt16 normal = StringWidth("Stretch");
    TextFace(kFaceCondense | kFaceExtend);
    EXPECT_EQ(StringWidth("Stretch"), normal);
}

TEST_F(TextDrawing, TurnedTextMovesThePenAlongItsAngle) {
    TextSize(18);
    SInt16 width = StringWidth("Upwards");
    OrvaSetFontAngle(90);
    Rect ink = DrawAt(150, 110, "Upwards");
    EXPECT_EQ(port.pnLoc.h, 150);
    EXPECT_EQ(port.pnLoc.v, 110 - width);
    EXPECT_LE(ink.right - ink.left, 24);  // standing up: narrow and tall
    EXPECT_GE(ink.bottom - ink.top, width - 4);
    EXPECT_LE(ink.bottom, 111);
    ExpectInkInsideDirtySlots();
    PaintPortWhite(&port);
    OrvaSetFontAngle(30);
    DrawAt(20, 100, "Thirty");
    EXPECT_LT(port.pnLoc.v, 100);
    EXPECT_GT(port.pnLoc.h, 20);
    ExpectInkInsideDirtySlots();
}

TEST_F(TextDrawing, FacesInkInsideTheDirtyAreas) {
    const UInt8 faces[] = {kFaceBold, kFaceItalic, kFaceUnderline, kFaceOutline, kFaceShadow,
                           kFaceOutline | kFaceShadow, kFaceBold | kFaceItalic | kFaceUnderline};
    TextSize(28);
    for (UInt8 face : faces) {
        SCOPED_TRACE(int(face));
        PaintPortWhite(&port);
        TextFace(face);
        Rect ink = DrawAt(10, 60, "Quirky fj");
        EXPECT_FALSE(EmptyRect(&ink));
        ExpectInkInsideDirtySlots();
    }
}

TEST_F(TextDrawing, AHiddenPenOrAnOpenPictureMovesThePenOnly) {
    SInt16 width = StringWidth("Invisible");
    HidePen();
    Rect ink = DrawAt(10, 40, "Invisible");
    ShowPen();
    EXPECT_TRUE(EmptyRect(&ink));
    EXPECT_EQ(port.pnLoc.h, 10 + width);
    EXPECT_TRUE(DirtySlotsEmpty(&port));
    Rect frame = port.portRect;
    PicHandle pic = OpenPicture(&frame);
    std::memset(port.dirty, 0, sizeof port.dirty);
    ink = DrawAt(10, 40, "Invisible");
    UniChar units[] = {'a', 'b', 'c'};
    OrvaPortDrawClippedText(&port, units, 0, 3, true, 0);
    ClosePicture();
    KillPicture(pic);
    EXPECT_TRUE(EmptyRect(&ink));
    EXPECT_EQ(port.pnLoc.h, 10 + width + OrvaTextWidth(units, 0, 3, true));
    EXPECT_TRUE(DirtySlotsEmpty(&port));
}

TEST_F(TextDrawing, TheClipBoundsTheInk) {
    Rect clip = {0, 0, 120, 40};
    ClipRect(&clip);
    TextSize(24);
    Rect ink = DrawAt(10, 60, "Clipped away");
    EXPECT_GT(ink.right, 10);
    EXPECT_LE(ink.right, 40);
    ExpectInkInsideDirtySlots();
}

TEST_F(TextDrawing, AClipThatIsNotARectangleKeepsTheInkInsideIt) {
    // Two bands with a hole between them: the text crosses the hole, which stays white.
    RgnHandle left = NewRgn(), right = NewRgn(), both = NewRgn();
    Rect a = {0, 0, 120, 60}, b = {0, 120, 120, 300};
    RectRgn(left, &a);
    RectRgn(right, &b);
    _UnionRgn(left, right, both);
    SetClip(both);
    TextSize(30);
    DrawAt(10, 60, "MMMMMMMMMMMMMMM");
    Rect hole = {0, 60, 120, 120};
    for (SInt32 y = hole.top; y < hole.bottom; y++)
        for (SInt32 x = hole.left; x < hole.right; x++)
            ASSERT_EQ(PortPixel(&port, x, y), 0xFFFFFFu) << x << "," << y;
    EXPECT_LT(InkBox(&port).left, 60);    // ink in the left band
    EXPECT_GT(InkBox(&port).right, 120);  // and in the right one
    // An empty clip leaves nothing at all.
    PaintPortWhite(&port);
    SetEmptyRgn(both);
    SetClip(both);
    DrawAt(10, 60, "MMMM");
    Rect nothing = InkBox(&port);
    EXPECT_TRUE(EmptyRect(&nothing));
    DisposeRgn(left);
    DisposeRgn(right);
    DisposeRgn(both);
}

TEST_F(TextDrawing, SymbolFontsTakeTheirCharactersFromThePrivatePage) {
    UInt16 symbol = TestSymbolFontID();
    ASSERT_NE(symbol, kFontIDNone);
    TextSize(30);
    SInt16 sans = StringWidth("ABC");
    Rect sansInk = DrawAt(10, 50, "ABC");
    std::string sansPixels = PortPixels(&port);
    PaintPortWhite(&port);
    TextFont(SInt16(symbol));
    SInt16 symbolWidth = StringWidth("ABC");
    Rect symbolInk = DrawAt(10, 50, "ABC");
    EXPECT_NE(symbolWidth, sans);
    EXPECT_FALSE(PortPixels(&port) == sansPixels);
    EXPECT_FALSE(EmptyRect(&symbolInk));
    EXPECT_FALSE(EmptyRect(&sansInk));
    // The test font shows Z, Y and X at U+F041..U+F043, with the advances of DejaVu Sans.
    EXPECT_EQ(symbolWidth, PangoReferenceWidth("OrvaTestSymbol", 30, "\xef\x81\x81\xef\x81\x82\xef\x81\x83"));
    // UTF-16 text in a symbol font: units above 127 move to the page on a copy, never in place.
    UniChar units[] = {'A', 0x00E9, 'B', 0x2030};
    UniChar copy[4];
    std::memcpy(copy, units, sizeof units);
    OrvaPortDrawClippedText(&port, units, 0, 4, true, 0);
    EXPECT_EQ(std::memcmp(units, copy, sizeof units), 0);
    EXPECT_EQ(OrvaTextWidth(units, 0, 4, true),
              PangoReferenceWidth("OrvaTestSymbol", 30, "A\xef\x83\xa9" "B\xef\x80\xb0"));
}

TEST_F(TextDrawing, SurrogatePairsMeasureAsTheirCharacter) {
    const UniChar clef[] = {0xD834, 0xDD1E};  // U+1D11E
    TextFont(20);
    TextSize(40);
    SInt16 width = OrvaTextWidth(clef, 0, 2, true);
    EXPECT_EQ(width, PangoReferenceWidth("FreeSerif", 40, "\xf0\x9d\x84\x9e"));
    EXPECT_NE(width, PangoReferenceWidth("FreeSerif", 40, "??"));
    const UniChar lone[] = {0xDD1E, 'a', 0xD834};  // lone halves read as '?'
    EXPECT_EQ(OrvaTextWidth(lone, 0, 3, true), PangoReferenceWidth("FreeSerif", 40, "?a?"));
}

TEST_F(TextDrawing, EightBitTextByTheFontsCharset) {
    const char macRoman[] = "caf\x8e";  // é in MacRoman
    const char latin1[] = "caf\xe9";    // é in Latin-1
    SInt16 expected = SInt16(PangoReferenceWidth("DejaVu Sans", 12, "caf\xc3\xa9"));
    EXPECT_EQ(StringWidth(macRoman), expected);
    OrvaSetTranscodeCharset(0);
    EXPECT_EQ(StringWidth(latin1), expected);
    OrvaSetTranscodeCharset(1);
    const char nihon[] = "\x93\xfa\x96\x7b";  // 日本 in Shift-JIS
    OrvaFixeLangue(5);
    EXPECT_EQ(StringWidth(nihon), PangoReferenceWidth("DejaVu Sans", 12, "\xe6\x97\xa5\xe6\x9c\xac"));
    const char lead[] = "ab\x93";  // a lead byte with nothing after it
    EXPECT_GT(StringWidth(lead), StringWidth("ab"));
    DrawAt(10, 40, lead);
}

TEST_F(TextDrawing, BadRunsMeasureAndDrawNothing) {
    const char text[] = "abc";
    EXPECT_EQ(OrvaTextWidth(text, 0, 0, false), 0);
    EXPECT_EQ(OrvaTextWidth(text, 0, -5, false), 0);
    EXPECT_EQ(OrvaTextWidth(text, -1, 2, false), 0);
    EXPECT_EQ(OrvaTextWidth(nullptr, 0, 2, false), 0);
    EXPECT_EQ(TextWidth(text, 0, -1), 0);
    _MoveTo(10, 40);
    _DrawText(text, 0, -3);
    _DrawText(text, -2, 3);
    OrvaDrawText(text, 0, 0, false);
    EXPECT_EQ(port.pnLoc.h, 10);
    Rect none = InkBox(&port);
    EXPECT_TRUE(EmptyRect(&none));
    // Widths stop at 32767 and the pen stays in range.
    std::string wide(3000, 'W');
    TextSize(400);
    EXPECT_EQ(TextWidth(wide.data(), 0, SInt16(wide.size())), 32767);
    HidePen();
    DrawString(wide.c_str());
    ShowPen();
    EXPECT_EQ(port.pnLoc.h, 32767);
    // Any angle: not a number counts as 0, whole turns as none.
    TextSize(12);
    _MoveTo(10, 40);
    OrvaSetFontAngle(__builtin_nanf(""));
    DrawString("nan");
    EXPECT_EQ(port.pnLoc.v, 40);
    OrvaSetFontAngle(720);
    DrawString("turns");
    EXPECT_EQ(port.pnLoc.v, 40);
}

TEST_F(TextDrawing, OtherPortsAndCharacterCalls) {
    GrafPort other;
    OpenTestPort(&other, 100, 50);
    PaintPortWhite(&other);
    SetPort(&port);
    TextSize(12);
    // The other port keeps its own text state.
    SetPort(&other);
    TextSize(30);
    SetPort(&port);
    EXPECT_EQ(OrvaPortTextWidth(&other, "Wide", 0, 4, false), PangoReferenceWidth("DejaVu Sans", 30, "Wide"));
    EXPECT_EQ(qd.thePort, &port);
    other.pnLoc = Point{30, 5};
    OrvaPortDrawText(&other, "x", 0, 1, false);
    EXPECT_EQ(qd.thePort, &port);
    Rect otherInk = InkBox(&other), ownInk = InkBox(&port);
    EXPECT_FALSE(EmptyRect(&otherInk));
    EXPECT_TRUE(EmptyRect(&ownInk));
    ClosePort(&other);
    SetPort(&port);
    EXPECT_EQ(CharWidth('m'), StringWidth("m"));
    EXPECT_EQ(OrvaWindowsCharWidth('m'), CharWidth('m'));
    _MoveTo(10, 40);
    DrawChar('m');
    OrvaWindowsDrawChar('m');
    EXPECT_EQ(port.pnLoc.h, 10 + 2 * CharWidth('m'));
    Outtextxy(50, 60, "xy");
    EXPECT_EQ(port.pnLoc.h, 50 + StringWidth("xy"));
    EXPECT_EQ(OrvaUTFStringWidth("caf\xc3\xa9"), PangoReferenceWidth("DejaVu Sans", 12, "caf\xc3\xa9"));
    EXPECT_EQ(OrvaUTFStringWidth("a\tb"), PangoReferenceWidth("DejaVu Sans", 12, "a b"));  // blanks for controls
    _MoveTo(10, 80);
    OrvaUTFDrawString("caf\xc3\xa9");
    EXPECT_EQ(port.pnLoc.h, 10 + OrvaUTFStringWidth("caf\xc3\xa9"));
}

TEST_F(TextDrawing, PrintingDrawsOnAForeignContext) {
    cairo_surface_t *page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 80);
    cairo_t *cr = cairo_create(page);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    RGBColor red = {0xFFFF, 0, 0};
    SystemDependantPrintText(cr, "Printed \x8e", 0, 9, 10, 40, 21, kFaceShadow | kFaceOutline, 0, &red, 0, false);
    const UniChar units[] = {'t', 'u', 'r', 'n'};
    SystemDependantPrintText(cr, units, 0, 4, 150, 70, 3, 0, 14, &red, 90, true);
    SystemDependantPrintText(cr, units, 0, 0, 10, 40, 3, 0, 14, &red, 0, true);
    cairo_surface_flush(page);
    const UInt8 *data = cairo_image_surface_get_data(page);
    int stride = cairo_image_surface_get_stride(page), reddish = 0;
    for (int y = 0; y < 80; y++)
        for (int x = 0; x < 200; x++) {
            UInt32 pixel;
            std::memcpy(&pixel, data + y * stride + 4 * x, 4);
            UInt32 r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF;
            if (r > 200 && g < 100) reddish++;
        }
    EXPECT_GT(reddish, 30);
    cairo_destroy(cr);
    cairo_surface_destroy(page);
}

}  // namespace
