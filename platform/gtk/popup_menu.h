// A pop-up menu of the platform, for the browser plug-in, where nothing may wait for a button
// release that the browser will not deliver: the menu takes the pointer and a nested main loop
// runs until the user chooses, dismisses it, or the pointer cannot be taken. Main thread.
#pragma once

#include "platform/core/mac_types.h"

// Shows count UTF-8 items at the pointer (marked: 1-based item shown checked, 0 none) and
// answers the item chosen (1-based), or 0 when the menu is dismissed, cannot grab the pointer
// or there is no display. GTK is started once here when nobody started it.
SInt16 SystemDependantPopUpMenu(const char *const *items, SInt16 count, SInt16 marked);

// Test seam: once the menu is up, responder(count) answers what the user does: an item number
// activates that item, 0 dismisses the menu; asked first with kPopUpGrabQuestion, a refusal
// (kPopUpGrabRefused) makes the grab fail. Null: the user decides.
enum : SInt16 { kPopUpGrabQuestion = -1, kPopUpGrabRefused = -1, kPopUpGrabGranted = 1 };
void OrvaSetPopUpResponder(SInt16 (*responder)(SInt16 question));
