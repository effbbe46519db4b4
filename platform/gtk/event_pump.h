// The polled event pump: runs GLib's main context without blocking, turns the GTK signals of
// the library's top-level windows into posted Toolbox events, and switches the application
// between active and inactive as the focus moves.
#pragma once
#include <gtk/gtk.h>

#include "graphics/toolbox_hooks.h"
#include "platform/core/mac_types.h"

void SystemDependantDoEvent();
void SystemDependantWaitAndDoEvent(SInt16 ticks);
void CheckApplicationFocus();
Boolean SystemDependantApplicationHasFocus();
Boolean GTKIsFocusOnWindow();  // one of the library's windows has the top-level focus
// The flag that lets the pump process window messages (cleared in the browser plug-in).
void OrvaSetProcessWindowMessages(Boolean on);
Boolean OrvaIsProcessWindowMessages();
// A focus change for the next checks to carry out: 1 activate, -1 deactivate (what the focus
// handlers ask; tests ask directly, as Xvfb has no window manager to move the focus).
void OrvaRequestApplicationFocus(SInt16 request);
void GTKSetWindowEvents(WindowPtr window, GtkWidget *widget);
void SystemDependantDragAcceptFiles(GtkWidget *widget, Boolean accept);
SInt16 SystemDependantGetAutoKey();
void SystemDependantPosteLigneDeCommande();
// The key message of a key press: (unicode << 16) | (scan code << 8) | character.
UInt32 OrvaGtkKeyMessage(const GdkEventKey *event);
// Posts a key-down and key-up pair per UTF-16 unit of committed input-method text (UTF-8;
// text that is not valid UTF-8 posts nothing).
void OrvaPostCommittedText(const char *text);
// Where wheel turns go: null restores OrvaProcessWheelMouse. Test seam.
void OrvaSetWheelHandler(Boolean (*handler)(SInt16 delta));
// The placeholder window shown while the application is inactive with no window of its own
// in the task bar (null when there is none).
WindowPtr OrvaGetPlaceholderWindow();
// How many focus checks ran (diagnostics).
UInt32 OrvaGetFocusCheckCount();

// Services the pump calls: the single-instance queue poll (standalone.cpp) and the clipboard
// exchange with the scrap (clipboard.cpp).
void GTKCheckIPCQueue();
void SystemDependantCvtScrapToOrva();
void SystemDependantCvtScrapFromOrva();
