// The keyboard-modifier and input-method calls that the text editors make of the GTK back
// end, with their test seams. The modifiers come from the keyboard layer (keyboard_mouse.cpp);
// the input-method position is recorded by the event pump (event_pump.cpp), which owns the one
// input-method context. Main thread only.
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
// there; a null style records the position with an all-zero style ((-1, -1) and null is what
// an editor losing the focus gives). The position is recorded, not read, on this platform.
void SystemDependantIMESetPosition(SInt16 v, SInt16 h, const TextStyle *style);

// Test seams: modifiers added to what the pointer state says, and the last input-method
// position and style recorded ((-1, -1) before any).
void OrvaSetStandInModifiers(UInt16 modifiers);
UInt16 OrvaGetStandInModifiers();
Point OrvaGetStandInIMEPosition();
// The style last recorded (all zero after a null one); false before any call.
Boolean OrvaGetIMEStyle(TextStyle *style);
