// ctest-labels: periphery
// The system description, the desktop opener, MulDiv, the clipboard exchange and image files.
#include "platform/gtk/linux_services.h"

#include <cairo.h>
#include <gtk/gtk.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/images/images.h"
#include "graphics/quickdraw/pen.h"
#include "graphics/quickdraw/shapes.h"
#include "platform/core/memory.h"
#include "platform/core/scrap.h"
#include "support/graphics/quickdraw_support.h"
#include "support/resource_test_support.h"
#include "support/test_home.h"
#include "support/tool_support.h"

namespace {

const std::string &gHome = OrvaTestHome();

std::string RunCommand(const std::string &command) {
    int status = -1;
    return ::RunCommand(command, &status);
}

// Runs body with PATH set to path, then puts the old PATH back.
template <typename Body>
void WithPath(const std::string &path, Body body) {
    std::string saved = getenv("PATH") ? getenv("PATH") : "";
    setenv("PATH", path.c_str(), 1);
    body();
    setenv("PATH", saved.c_str(), 1);
}

// Waits up to about ten seconds for a file to be complete (its writer renames it into place).
std::string WaitForFile(const std::string &path) {
    for (int i = 0; i < 1000; i++) {
        if (access(path.c_str(), F_OK) == 0) return OrvaTestReadFile(path);
        usleep(10000);
    }
    return "";
}

Handle HandleOf(const std::string &bytes) {
    return restest::NewHandleFrom(restest::Bytes(bytes.begin(), bytes.end()));
}

cairo_status_t AppendBytes(void *closure, const unsigned char *data, unsigned int length) {
    static_cast<std::string *>(closure)->append(reinterpret_cast<const char *>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::vector<UInt8> ScrapEntry(ResType type) {
    Handle h = NewHandle(0);
    SInt32 offset = 0;
    SInt32 length = GetScrap(h, type, &offset);
    std::vector<UInt8> bytes;
    if (length > 0) bytes.assign(reinterpret_cast<UInt8 *>(*h), reinterpret_cast<UInt8 *>(*h) + length);
    DisposHandle(h);
    return bytes;
}

TEST(SystemDescription, NamesGtkAlsaTheKernelAndTheDistributionWhenKnown) {
    char name[kVersionNameSize];
    GetWindowsVersionName(name);
    std::string text(name);
    EXPECT_NE(text.find("/GTK v2.24."), std::string::npos) << text;
    EXPECT_NE(text.find("/ALSA 1.2."), std::string::npos) << text;
    EXPECT_NE(text.find("/Linux "), std::string::npos) << text;
    if (!RunCommand("command -v lsb_release").empty()) {
        EXPECT_NE(text.rfind("(Linux) ???", 0), 0u) << text;
    }
    EXPECT_EQ(GetVersionWindows(), 0x0700);
    // Without lsb_release on PATH the distribution is unknown.
    std::string empty = gHome + "/empty-bin";
    mkdir(empty.c_str(), 0755);
    WithPath(empty, [&] { GetWindowsVersionName(name); });
    EXPECT_EQ(std::string(name).rfind("(Linux) ??" "?/GTK v", 0), 0u) << name;
}

TEST(Desktop, APathWithQuotesAndSpacesReachesTheOpenerAsOneArgument) {
    std::string bin = gHome + "/fake-bin", log = gHome + "/opener.log";
    mkdir(bin.c_str(), 0755);
    ASSERT_TRUE(OrvaTestWriteFile(bin + "/xdg-open",
                                  "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"" + log + ".part\"\nmv \"" + log +
                                      ".part\" \"" + log + "\"\n"));
    chmod((bin + "/xdg-open").c_str(), 0755);
    std::string path = gHome + "/it's a \"folder\"; echo owned \xFF\xFE";  // bytes that are not UTF-8 too
    Boolean started = kFalse;
    WithPath(bin + ":/usr/bin:/bin", [&] { started = OuvreFenetreFolder(path.c_str()); });
    EXPECT_TRUE(started);
    EXPECT_EQ(WaitForFile(log), "1\n" + path + "\n");
    unlink(log.c_str());
    WithPath(bin + ":/usr/bin:/bin", [&] { started = OpenWebPage("https://example.org/a b"); });
    EXPECT_TRUE(started);
    EXPECT_EQ(WaitForFile(log), "1\nhttps://example.org/a b\n");
    std::string empty = gHome + "/empty-bin";
    mkdir(empty.c_str(), 0755);
    WithPath(empty, [&] { started = SelectionneFichierBureau(path.c_str()); });
    EXPECT_FALSE(started);
}

TEST(Arithmetic, MulDivTruncatesAndSaturates) {
    EXPECT_EQ(MulDiv(5, 0, 0), 0);
    EXPECT_EQ(MulDiv(5, 1, 0), 0x7FFFFFFF);
    EXPECT_EQ(MulDiv(-5, 1, 0), 0x7FFFFFFF);
    EXPECT_EQ(MulDiv(7, 3, 2), 10);
    EXPECT_EQ(MulDiv(-7, 3, 2), -10);
    EXPECT_EQ(MulDiv(0x40000000, 8, 2), 0x7FFFFFFF);
    EXPECT_EQ(MulDiv(0x40000000, -8, 2), INT32_MIN);
    EXPECT_EQ(MulDiv(0x40000000, 0x40000000, 0x40000000), 0x40000000);
}

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override {
        StartQuickDrawForTests();
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
        ZeroScrap();
    }
    GtkClipboard *Board() { return gtk_clipboard_get(GDK_SELECTION_CLIPBOARD); }
};

TEST_F(Clipboard, TextArrivesInBothScrapTypesWithCarriageReturns) {
    gtk_clipboard_set_text(Board(), "a\r\nb\xC3\xA9", -1);
    PutScrap(3, FourCC("TEXT"), "old");
    SystemDependantCvtScrapToOrva();
    std::vector<UInt8> roman = ScrapEntry(FourCC("TEXT"));
    EXPECT_EQ(std::string(roman.begin(), roman.end()), "a\rb\x8E");  // é in MacRoman
    std::vector<UInt8> wide = ScrapEntry(FourCC("utxt"));
    ASSERT_EQ(wide.size(), 8u);
    const UniChar expected[] = {'a', '\r', 'b', 0xE9};
    EXPECT_EQ(memcmp(wide.data(), expected, 8), 0);
}

TEST_F(Clipboard, ScrapTextGoesBackWithLineFeeds) {
    PutScrap(3, FourCC("TEXT"), "a\rb");
    SystemDependantCvtScrapFromOrva();
    gchar *text = gtk_clipboard_wait_for_text(Board());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "a\r\nb");
    g_free(text);
    // The Unicode entry wins over the MacRoman one.
    const UniChar wide[] = {'x', '\r', 0x263A};
    PutScrap(sizeof wide, FourCC("utxt"), wide);
    SystemDependantCvtScrapFromOrva();
    text = gtk_clipboard_wait_for_text(Board());
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "x\r\n\xE2\x98\xBA");
    g_free(text);
}

class ImageFiles : public ::testing::Test {
protected:
    void SetUp() override { StartQuickDrawForTests(); }
};

TEST_F(ImageFiles, AnOffscreenIsWrittenAsPngInAnyCaseOfTheName) {
    GrafPtr offscreen = OrvaCreatePortOffscreen(40, 30, 24);
    ASSERT_NE(offscreen, nullptr);
    std::string png = gHome + "/o.png", jpg = gHome + "/o.jpg";
    FILE *out = fopen(png.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(SystemDependantCvtOffscreenToImage("PNG", offscreen, out), 1);
    fclose(out);
    EXPECT_NE(RunCommand("file '" + png + "'").find("PNG image data, 40 x 30"), std::string::npos);
    out = fopen(jpg.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(SystemDependantCvtOffscreenToImage("jpg", offscreen, out), 0);
    EXPECT_EQ(SystemDependantCvtOffscreenToImage("png", nullptr, out), 0);
    fclose(out);
    EXPECT_EQ(OrvaTestReadFile(jpg), "");
    out = fopen("/dev/full", "wb");
    if (out) {
        EXPECT_EQ(SystemDependantCvtOffscreenToImage("png", offscreen, out), 0);
        fclose(out);
    }
    OrvaClosePortOffscreen(offscreen);
}

TEST_F(ImageFiles, ImportedPixelsGetStraightColoursAndTheirOpacity) {
    cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 3, 1);
    UInt32 *pixels = reinterpret_cast<UInt32 *>(cairo_image_surface_get_data(surface));
    pixels[0] = 0x80400000;  // premultiplied red 64, opacity 128
    pixels[1] = 0xFF0000FF;  // opaque blue
    pixels[2] = 0x00000000;  // transparent
    cairo_surface_mark_dirty(surface);
    std::string bytes;
    ASSERT_EQ(cairo_surface_write_to_png_stream(surface, AppendBytes, &bytes), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);
    Handle h = HandleOf(bytes);
    GrafPtr image = SystemDependantConvertImageToOffscreen(h);
    DisposHandle(h);
    ASSERT_NE(image, nullptr);
    SInt16 r, g, b, a;
    OffscreenGetPixel(image, 0, 0, &r, &g, &b, &a);
    EXPECT_EQ(r, 127);
    EXPECT_EQ(a, 128);
    OffscreenGetPixel(image, 1, 0, &r, &g, &b, &a);
    EXPECT_EQ(b, 255);
    EXPECT_EQ(a, 255);
    OffscreenGetPixel(image, 2, 0, &r, &g, &b, &a);
    EXPECT_EQ(a, 0);
    OrvaClosePortOffscreen(image);
}

TEST_F(ImageFiles, UnreadableImageDataGivesNoImage) {
    EXPECT_EQ(SystemDependantConvertImageToOffscreen(nullptr), nullptr);
    Handle empty = NewHandle(0);
    EXPECT_EQ(SystemDependantConvertImageToOffscreen(empty), nullptr);
    DisposHandle(empty);
    Handle junk = HandleOf(std::string("\x89PNG\r\n\x1a\nthis is no image at all", 32));
    EXPECT_EQ(SystemDependantConvertImageToOffscreen(junk), nullptr);
    DisposHandle(junk);
}

TEST_F(ImageFiles, APictureIsDrawnOnWhiteAtItsPlaceInTheBounds) {
    GrafPtr recorder = OrvaCreatePortOffscreen(200, 200, 24);
    ASSERT_NE(recorder, nullptr);
    SetPort(recorder);
    Rect frame = {100, 100, 110, 120};
    PicHandle picture = OpenPicture(&frame);
    ASSERT_NE(picture, nullptr);
    Rect block = {102, 104, 106, 110};
    PaintRect(&block);
    ClosePicture();
    SetPort(nullptr);
    std::string path = gHome + "/picture.png";
    FILE *out = fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(SystemDependantCvtPictToImage("png", picture, &frame, &frame, out), 1);
    fclose(out);
    EXPECT_EQ(qd.thePort, nullptr);  // the caller's port is current again
    Handle h = HandleOf(OrvaTestReadFile(path));
    GrafPtr image = SystemDependantConvertImageToOffscreen(h);
    DisposHandle(h);
    ASSERT_NE(image, nullptr);
    SInt16 r, g, b, a;
    OffscreenGetPixel(image, 0, 0, &r, &g, &b, &a);
    EXPECT_EQ(r + g + b, 3 * 255);
    OffscreenGetPixel(image, 5, 3, &r, &g, &b, &a);
    EXPECT_EQ(r + g + b, 0);
    OffscreenGetPixel(image, 10, 3, &r, &g, &b, &a);
    EXPECT_EQ(r + g + b, 3 * 255);
    OrvaClosePortOffscreen(image);
    KillPicture(picture);
    OrvaClosePortOffscreen(recorder);
}

}  // namespace
