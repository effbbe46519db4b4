// The music font's start-up: the font that staves, notes and signs are drawn in, on screen and
// in print. Main thread only.
#pragma once

#include "platform/core/mac_types.h"

extern const char kNomFonteMusique[];  // "Quorella"

// Finds the music font "Quorella" and uses it on screen at every size and for printing, with
// character transcoding off. Without it the screen fonts stay none and printing falls back to
// the 72 dpi screen font (none as well). True when the font was found.
Boolean InitLentara();
