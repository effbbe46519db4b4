// A press in the plug-in's area goes to the element of the player under it: the icon menu's
// commands, the position bar (a position, or a selection of measures), the scroll bars, the
// keyboard, the page, the title and the play list; the command key cycles the looks. Main
// thread, inside the plug-in critical section; a press never waits for its release (a press
// handler runs at idle instead).
#pragma once

#include "plugin/npapi.h"
#include "toolbox/toolbox_services.h"

struct PlugInInstance;

enum : SInt32 {
    kIconCount = 29,             // commands of the icon menu, 0..28
    kKeyCommand = 55,            // key codes of the key map
    kKeyShift = 56,
    kLookCount = 4,              // MOON, OCEAN, EVEREST, SHADOW
    kBarSelectionBand = 8,       // pixels at the top of a measure-mode bar that select
    kBarEndMargin = 8,           // pixels of the bar's width not counted in positions
    kShortPressTicks = 10,       // a selecting press released sooner clears the selection
    kRightButton = 2,            // the right button's bit of the plug-in's button state
};

// mouseDown: PlugInClick between StartDraw and EndDraw, then every instance redrawn when the
// press asked for it; 1. Releases and other events: 0.
int16_t NPP_HandleEvent(NPP npp, EventRecord *event);
// Traces "PlugInClick h v" and dispatches the press (instance coordinates).
void PlugInClick(PlugInInstance *instance, Point where);
// The position bar's press handler: while the button is down the position or the selection
// follows the pointer; at the release the music plays from there, or the selection is kept
// (a press of kShortPressTicks or more) or cleared.
void PlugInStillDownBarrePos(PlugInInstance *instance, Boolean stillDown);

// Whether a key is down in the key map: key k is bit ((k XOR 24) mod 32) of word k / 32, the
// words read big-endian (so bit k mod 8 of byte k / 8).
Boolean IsKeyPressed(SInt16 key);
Boolean IsKeyPomme();            // the command key (Control here)
Boolean IsKeyShift();
