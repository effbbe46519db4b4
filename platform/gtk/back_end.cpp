// The GTK rows of the back-end tables, and the error boxes and invalidation they need.
#include "platform/gtk/back_end.h"

#include <cstdlib>
#include <gtk/gtk.h>

#include "platform/core/back_end.h"
#include "platform/gtk/file_dialogs.h"
#include "platform/gtk/keyboard_mouse.h"
#include "platform/gtk/linux_services.h"
#include "platform/gtk/platform_windows.h"
#include "platform/gtk/standalone.h"
#include "platform/gtk/ui_metrics.h"

namespace {

void InvalidateWidgetRect(void *platformWindow, const Rect *r);
Boolean RunErrorBox(const char *message);
Boolean ShowModelessErrorBox(const char *message, void (*closed)());
bool ErrorDialogsWanted();
GtkWidget *NewErrorDialog(const char *message);
void OnModelessErrorBoxResponse(GtkWidget *dialog, gint response, gpointer closed);

const SystemDependantWindowOps kGtkWindows = {InvalidateWidgetRect, SystemDependantGetScreenRect, SystemDependantInitMenuBar};
const SystemDependantScreenOps kGtkScreen = {GTKGetScreenSize, GTKGetBorderWidth, GTKGetDoubleClickTimeMs,
                                             GTKGetCursorBlinkTimeMs};
const SystemDependantInputOps kGtkInput = {GTKGetModifiers, GTKGetKeyMap};
const SystemDependantCursorOps kGtkCursors = {GTKSetStandardCursor, GTKSetMonochromeCursor, GTKSetColorCursor,
                                             GTKRestoreSystemCursor};
const SystemDependantDialogOps kGtkDialogs = {GTKGetFile, GTKPutFile, GTKSelectFolder,
                                              RunErrorBox, ShowModelessErrorBox, GTKOpenDocument};
const OrvaBackEnd kGtkBackEnd = {&kGtkWindows, &kGtkScreen, &kGtkInput, &kGtkCursors, &kGtkDialogs};

}  // namespace

void OrvaInstallGtkBackEnd() { OrvaInstallBackEnd(&kGtkBackEnd); }

namespace {

// Invalidates r with its children on a platform window (a GtkWidget).
void InvalidateWidgetRect(void *platformWindow, const Rect *r) {
    if (!platformWindow || !r || !GTK_IS_WIDGET(platformWindow)) return;
    GdkWindow *window = gtk_widget_get_window(GTK_WIDGET(platformWindow));
    if (!window) return;
    GdkRectangle area = {r->left, r->top, r->right - r->left, r->bottom - r->top};
    gdk_window_invalidate_rect(window, &area, TRUE);
}

// Main thread.
Boolean RunErrorBox(const char *message) {
    if (!ErrorDialogsWanted()) return kFalse;
    GtkWidget *dialog = NewErrorDialog(message);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return kTrue;
}

// Main thread, in the browser: shown without a modal loop; the browser's loop runs it.
Boolean ShowModelessErrorBox(const char *message, void (*closed)()) {
    if (!ErrorDialogsWanted()) return kFalse;
    GtkWidget *dialog = NewErrorDialog(message);
    g_signal_connect(dialog, "response", G_CALLBACK(OnModelessErrorBoxResponse), reinterpret_cast<gpointer>(closed));
    gtk_widget_show(dialog);
    return kTrue;
}

// Main thread. Dialogs need a display; ORVA_NO_ERROR_DIALOG (set by the test runs) asks for
// the trace instead, so that nothing waits for a click that never comes.
bool ErrorDialogsWanted() {
    static int gtkState = 0;  // 0 not tried, 1 usable, -1 no display
    if (getenv("ORVA_NO_ERROR_DIALOG")) return false;
    if (gtkState == 0) gtkState = gtk_init_check(nullptr, nullptr) ? 1 : -1;
    return gtkState > 0;
}

// An error box with a single Close button and no parent, showing the text unchanged
// (bytes that are not UTF-8 are shown as replacement characters).
GtkWidget *NewErrorDialog(const char *message) {
    gchar *text = g_utf8_make_valid(message, -1);
    GtkWidget *dialog = gtk_message_dialog_new(nullptr, GtkDialogFlags(0), GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE,
                                               "%s", text);
    g_free(text);
    return dialog;
}

void OnModelessErrorBoxResponse(GtkWidget *dialog, gint, gpointer closed) {
    gtk_widget_destroy(dialog);
    if (closed) reinterpret_cast<void (*)()>(closed)();
}

}  // namespace
