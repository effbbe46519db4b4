// The GTK file choosers behind Standard File: the back end's dialog row (platform/core/back_end.h),
// main thread. They run as modal dialogs; tests answer them through a hook instead.
#pragma once

#include "platform/core/files.h"

struct _GtkWidget;

// Test seam: given the built chooser, answers the response (-3 or -5 confirm, anything else
// cancels) and writes the chosen path (UTF-8) into path. Null restores the real dialog.
typedef SInt32 (*OrvaFileChooserHook)(_GtkWidget *dialog, char *path, SInt32 size);
void OrvaSetFileChooserHook(OrvaFileChooserHook hook);

// "Load file": on confirmation the reply gets good 1, the name, and the chosen folder (made
// current) as vRefNum; good 0 when cancelled. filterList: MacRoman "name|patterns|..." or null.
void GTKGetFile(const char *prompt, const char *filterList, SFReply *reply);
// "Save file": answers the 1-based pair of the chosen filter (1 without a list, 0 none or cancelled).
SInt16 GTKPutFile(const char *prompt, const char *suggestedName, const char *filterList, SFReply *reply);
Boolean GTKSelectFolder(const char *parent, char *path);  // path: kOrvaPathMax + 1 bytes
