// The font chooser of the desktop (main thread, needs a display).
#pragma once

#include "platform/core/mac_types.h"

// The font chooser, preset with name (kFontNameSize bytes), size in points and face. On OK:
// name, *face and *outSize (pixels) take the choice and the answer is true; else nothing
// changes and the answer is false.
Boolean SystemDependantSelectFont(char *name, SInt16 size, UInt8 *face, float *outSize);
// Test seam: the hook answers the dialog instead of the user (it may set the dialog's font)
// with a GTK response code. Null restores the dialog.
void OrvaSetFontChooserHook(SInt32 (*hook)(void *dialog));
