// Weak stand-ins for the Extended TextEdit drawing routines that the record, style and layout
// code calls (activation, idling, restyling with redraw, the default click loop) until the
// drawing and editing files define them; nothing is drawn. This file goes when they land: from a
// static library the linker may take a stand-in whenever it is found first.
#include "graphics/text/extended_textedit.h"

__attribute__((weak)) void ExtendedTEGetPoint(SInt32, ExtendedTEHandle te, BigPoint *position) {
    if (!position) return;
    *position = BigPoint{0, 0};
    if (te && *te) *position = BigPoint{(*te)->destRect.left, (*te)->destRect.top};
}

__attribute__((weak)) void ExtendedTEDoText(ExtendedTEHandle, SInt32, SInt32, SInt32) {}

__attribute__((weak)) void ExtendedAfficheCurseur(ExtendedTEHandle te, Boolean show) {
    if (te && *te) (*te)->caretState = show ? 1 : 0;
}

__attribute__((weak)) void ExtendedRetraceAireSelectTexte(ExtendedTEHandle) {}

__attribute__((weak)) UInt8 ExtendedDefaultClikLoop(SInt32, ExtendedTEHandle) { return 1; }
