// The GTK font chooser behind SystemDependantSelectFont.
#include "platform/gtk/font_chooser.h"

#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>

#include "graphics/text/font_table.h"
#include "graphics/cairo/pango_text.h"

namespace {

enum : SInt32 {
    kDefaultDpi = 96,
    kBoldWeight = 699,  // weights above this are bold
};

SInt32 (*gChooser)(void *dialog);  // test seam: answers the chooser. Main thread only.

double ScreenDpi();

}  // namespace

Boolean SystemDependantSelectFont(char *name, SInt16 size, UInt8 *face, float *outSize) {
    if (!name) return false;
    if (size == 0) {
        size = kTextDefaultSize;
        if (outSize) *outSize = float(size);
    }
    if (gdk_display_get_default() == nullptr) return false;  // no display: nothing to show
    SInt32 pixels = SInt32(size * 72.0 / ScreenDpi() + 0.5);
    UInt8 style = face ? *face : 0;
    char preset[kFontNameSize + 64];
    snprintf(preset, sizeof preset, "%s %s%s%dpx", name, (style & kFaceBold) ? "Bold " : "",
             (style & kFaceItalic) ? "Italic " : "", int(pixels));
    GtkWidget *dialog = gtk_font_selection_dialog_new("Please select a font");
    gtk_font_selection_dialog_set_font_name(GTK_FONT_SELECTION_DIALOG(dialog), preset);
    SInt32 response = gChooser ? gChooser(dialog) : gtk_dialog_run(GTK_DIALOG(dialog));
    Boolean chosen = response == GTK_RESPONSE_OK || response == GTK_RESPONSE_ACCEPT;
    gchar *text = chosen ? gtk_font_selection_dialog_get_font_name(GTK_FONT_SELECTION_DIALOG(dialog)) : nullptr;
    PangoFontDescription *description = text ? pango_font_description_from_string(text) : nullptr;
    if (description) {
        const char *family = pango_font_description_get_family(description);
        if (family) OrvaCopyFontName(name, family);
        PangoStyle slant = pango_font_description_get_style(description);
        UInt8 chosenFace = (slant == PANGO_STYLE_ITALIC || slant == PANGO_STYLE_OBLIQUE) ? kFaceItalic : 0;
        if (SInt32(pango_font_description_get_weight(description)) > kBoldWeight) chosenFace |= kFaceBold;
        if (face) *face = chosenFace;
        // Whole sizes, rounded: the dialog answers in 1/1024 of a unit.
        double units = pango_font_description_get_size(description);
        if (outSize) *outSize = float(std::floor(units / PANGO_SCALE + 0.5));
        pango_font_description_free(description);
    }
    g_free(text);
    gtk_widget_destroy(dialog);
    return description != nullptr;
}

void OrvaSetFontChooserHook(SInt32 (*hook)(void *dialog)) { gChooser = hook; }

namespace {

double ScreenDpi() {
    GdkScreen *screen = gdk_screen_get_default();
    double dpi = screen ? gdk_screen_get_resolution(screen) : -1.0;
    return dpi > 0.0 ? dpi : double(kDefaultDpi);
}

}  // namespace
