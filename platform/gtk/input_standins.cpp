// The modifier seam of the keyboard layer. The input-method position lives with the event
// pump (event_pump.cpp).
#include "platform/gtk/input_standins.h"

namespace {

UInt16 gModifiers;

}  // namespace

UInt16 OrvaGetStandInModifiers() { return gModifiers; }

void OrvaSetStandInModifiers(UInt16 modifiers) { gModifiers = modifiers; }
