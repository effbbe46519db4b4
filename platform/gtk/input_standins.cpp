// Stand-ins for the keyboard-modifier and input-method calls of the GTK back end.
#include "platform/gtk/input_standins.h"

namespace {

struct InputStandInState {
    UInt16 modifiers = 0;
    Point imePosition = {-1, -1};
};
InputStandInState gInput;

}  // namespace

UInt16 OrvaGetStandInModifiers() { return gInput.modifiers; }

void SystemDependantIMESetPosition(SInt16 v, SInt16 h, const TextStyle *) { gInput.imePosition = Point{v, h}; }

void OrvaSetStandInModifiers(UInt16 modifiers) { gInput.modifiers = modifiers; }

Point OrvaGetStandInIMEPosition() { return gInput.imePosition; }
