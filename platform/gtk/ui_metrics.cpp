// GTK settings and screen size behind the cached interface metrics.
#include "platform/gtk/ui_metrics.h"

#include <gtk/gtk.h>

namespace {

enum : SInt32 {
    kDefaultDoubleClickMs = 500,
    kDefaultCursorBlinkMs = 1200,
    kBorderWidth = 4,
};

SInt32 ReadIntegerSetting(const char *name, SInt32 fallback);

}  // namespace

SInt16 GTKGetBorderWidth() { return kBorderWidth; }

SInt32 GTKGetDoubleClickTimeMs() { return ReadIntegerSetting("gtk-double-click-time", kDefaultDoubleClickMs); }

SInt32 GTKGetCursorBlinkTimeMs() { return ReadIntegerSetting("gtk-cursor-blink-time", kDefaultCursorBlinkMs); }

Boolean GTKGetScreenSize(SInt16 *width, SInt16 *height) {
    GdkScreen *screen = gdk_screen_get_default();
    if (screen == nullptr) return kFalse;
    *width = SInt16(gdk_screen_get_width(screen));
    *height = SInt16(gdk_screen_get_height(screen));
    return kTrue;
}

namespace {

SInt32 ReadIntegerSetting(const char *name, SInt32 fallback) {
    if (gdk_screen_get_default() == nullptr) return fallback;  // GTK has no display: no settings
    GtkSettings *settings = gtk_settings_get_default();
    if (settings == nullptr || g_object_class_find_property(G_OBJECT_GET_CLASS(settings), name) == nullptr)
        return fallback;
    gint value = fallback;
    g_object_get(settings, name, &value, nullptr);
    return value;
}

}  // namespace
