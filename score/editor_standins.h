// Stand-ins for the score editor's routines that the engine calls and the player does not
// offer: each answers as the player needs and shows nothing. They stay stand-ins: the player
// has no editor to replace them. Main thread only.
#pragma once

#include "score/score_model.h"

SInt16 Confirmation(const char *format, ...);  // 1: yes, without asking
SInt16 IsModeSilencieux();                     // 0: illegal characters are asked about (and accepted)
void ErreurGrave(const char *format, ...);     // shows nothing
void FixePorteeModifiee(StaffHandle staff);    // nothing: the player keeps no modified flags
void DoUpdateLyrovox();                        // nothing
SInt16 FixeDureeMinSilenceModeLight(SInt16 value);  // the value unchanged
