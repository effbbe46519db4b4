// The platform's pop-up menu: a GtkMenu and a nested main loop that ends with the menu.
#include "platform/gtk/popup_menu.h"

#include <gtk/gtk.h>

namespace {

// One pop-up at a time. Main thread.
struct PopUpState {
    GMainLoop *loop = nullptr;
    SInt16 chosen = 0;
    SInt16 count = 0;
    GtkWidget *menu = nullptr;
    SInt16 (*responder)(SInt16 question) = nullptr;
};
PopUpState gPopUp;

void OnActivate(GtkMenuItem *item, gpointer) {
    gPopUp.chosen = SInt16(GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "OrvaItem")));
}

void OnDeactivate(GtkMenuShell *, gpointer) {
    if (gPopUp.loop && g_main_loop_is_running(gPopUp.loop)) g_main_loop_quit(gPopUp.loop);
}

// What the test seam does in the user's place, from inside the loop.
gboolean Respond(gpointer) {
    SInt16 item = gPopUp.responder(gPopUp.count);
    GList *children = gtk_container_get_children(GTK_CONTAINER(gPopUp.menu));
    GList *chosen = item > 0 ? g_list_nth(children, guint(item - 1)) : nullptr;
    if (chosen) gtk_menu_item_activate(GTK_MENU_ITEM(chosen->data));
    g_list_free(children);
    gtk_menu_shell_deactivate(GTK_MENU_SHELL(gPopUp.menu));
    return FALSE;
}

bool Started() {
    if (gdk_display_get_default()) return true;
    static bool tried = false;
    if (tried) return false;
    tried = true;
    return gtk_init_check(nullptr, nullptr);
}

}  // namespace

SInt16 SystemDependantPopUpMenu(const char *const *items, SInt16 count, SInt16 marked) {
    if (!items || count <= 0 || gPopUp.loop || !Started()) return 0;
    GtkWidget *menu = gtk_menu_new();
    for (SInt16 i = 0; i < count; i++) {
        GtkWidget *item = i + 1 == marked ? gtk_check_menu_item_new_with_label(items[i])
                                          : gtk_menu_item_new_with_label(items[i] ? items[i] : "");
        if (i + 1 == marked) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item), TRUE);
        g_object_set_data(G_OBJECT(item), "OrvaItem", GINT_TO_POINTER(i + 1));
        g_signal_connect(item, "activate", G_CALLBACK(OnActivate), nullptr);
        gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
    }
    g_signal_connect(menu, "deactivate", G_CALLBACK(OnDeactivate), nullptr);
    gtk_widget_show_all(menu);
    gtk_menu_popup(GTK_MENU(menu), nullptr, nullptr, nullptr, nullptr, 0, gtk_get_current_event_time());
    // Without the pointer the menu is not shown and no deactivation would ever end a loop.
    bool grabbed = gtk_widget_get_visible(menu);
    if (gPopUp.responder && gPopUp.responder(kPopUpGrabQuestion) == kPopUpGrabRefused) grabbed = false;
    if (!grabbed) {
        gtk_widget_destroy(menu);
        return 0;
    }
    gPopUp.chosen = 0;
    gPopUp.count = count;
    gPopUp.menu = menu;
    gPopUp.loop = g_main_loop_new(nullptr, FALSE);
    if (gPopUp.responder) g_idle_add(Respond, nullptr);
    g_main_loop_run(gPopUp.loop);
    g_main_loop_unref(gPopUp.loop);
    gPopUp.loop = nullptr;
    gPopUp.menu = nullptr;
    gtk_widget_destroy(menu);
    return gPopUp.chosen;
}

void OrvaSetPopUpResponder(SInt16 (*responder)(SInt16 question)) { gPopUp.responder = responder; }
