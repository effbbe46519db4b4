// Stand-ins for the keyboard-modifier and input-method calls of the GTK back end until the
// keyboard, mouse and event pump exist: the modifiers and the input-method position are values
// kept here, which tests set and read. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

struct TextStyle;  // the text style at the caret (graphics/text/textedit.h)

enum : UInt16 {
    kModifierCommand = 0x0100,  // Control on this platform
    kModifierShift = 0x0200,
    kModifierOption = 0x0800,   // Alt
};

UInt16 SystemDependantGetModifiers();  // the modifier bits held now
// Records where the input method shows its window (global coordinates) and the text style
// there; (-1, -1) hides it. A null style records the position alone.
void SystemDependantIMESetPosition(SInt16 v, SInt16 h, const TextStyle *style);

// Test seams: the modifiers that SystemDependantGetModifiers answers, and the last position the
// input method was given.
void OrvaSetStandInModifiers(UInt16 modifiers);
UInt16 OrvaGetStandInModifiers();  // added to what the pointer state says
Point OrvaGetStandInIMEPosition();
