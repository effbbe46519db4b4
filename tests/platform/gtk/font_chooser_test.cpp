// ctest-labels: text text.chooser
// The GTK font chooser answered by its test hook (needs a display: ./test.sh runs under Xvfb).
#include "platform/gtk/font_chooser.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstring>

#include "graphics/text/font_table.h"
#include "graphics/cairo/pango_text.h"
#include "support/graphics/text_support.h"

namespace {

char gPreset[256];

SInt32 ChooseFreeSerif(void *dialog) {
    GtkFontSelectionDialog *chooser = GTK_FONT_SELECTION_DIALOG(dialog);
    gchar *preset = gtk_font_selection_dialog_get_font_name(chooser);
    std::snprintf(gPreset, sizeof gPreset, "%s", preset ? preset : "");
    g_free(preset);
    gtk_font_selection_dialog_set_font_name(chooser, "FreeSerif Bold Italic 18");
    return GTK_RESPONSE_OK;
}

SInt32 Cancel(void *) { return GTK_RESPONSE_CANCEL; }

class FontChooser : public ::testing::Test {
protected:
    void SetUp() override {
        StartTextForTests();
        if (!gtk_init_check(nullptr, nullptr)) GTEST_SKIP() << "no display";
    }
    void TearDown() override { OrvaSetFontChooserHook(nullptr); }
};

TEST_F(FontChooser, TheChoiceGivesFamilyFaceAndSize) {
    OrvaSetFontChooserHook(ChooseFreeSerif);
    char name[256] = "DejaVu Sans";
    UInt8 face = kFaceBold;
    float size = 0;
    EXPECT_TRUE(SystemDependantSelectFont(name, 12, &face, &size));
    EXPECT_STREQ(name, "FreeSerif");
    EXPECT_EQ(face, kFaceBold | kFaceItalic);
    EXPECT_FLOAT_EQ(size, 18.0f);
    EXPECT_NE(std::strstr(gPreset, "DejaVu Sans"), nullptr);
    EXPECT_NE(std::strstr(gPreset, "Bold"), nullptr);
}

TEST_F(FontChooser, CancellingChangesNothing) {
    OrvaSetFontChooserHook(Cancel);
    char name[256] = "FreeMono";
    UInt8 face = kFaceItalic;
    float size = 3;
    EXPECT_FALSE(SystemDependantSelectFont(name, 0, &face, &size));
    EXPECT_STREQ(name, "FreeMono");
    EXPECT_EQ(face, kFaceItalic);
    EXPECT_FLOAT_EQ(size, 12.0f);  // size 0 is answered as 12 at once
}

}  // namespace
