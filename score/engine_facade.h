// The engine facade: warnings to the trace, the resource-file version, the per-staff singing
// set-up, the portable-installation test and the current port's text settings. The play
// selection lives in score/play_selection.h, the music font's start-up in
// engraving/music_font.h, the editor's stand-ins in score/editor_standins.h. Main thread only.
#pragma once

#include "score/score_model.h"

// Formats a warning and traces "-- AVERTISSEMENT -- %s" (a trace line holds 511 characters); answers 0.
SInt16 Avertissement(const void *window, SInt32 unused, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// The version in 'Rver' 128 of a resource file (a big-endian 16- or 32-bit number); 0 if absent.
SInt32 GetVersionFichierRessource(SInt16 refNum);
// A sung staff without a voice record gets one with the defaults (":Classical:Gregorian.prv"
// for a Gregorian staff when singing is on), and its sung and configured flags.
void InitChantConfigPortee(StaffHandle staff);
Boolean IsApplicationOnUSBDevice();  // "nomad.txt" in the application folder; asked once
void SetTextFontSize(SInt16 font, SInt16 size);  // the current port's font and size
