// The engine facade: warnings to the trace, start-up of the music fonts, the play selection
// and the exported play call, the per-staff singing set-up, and the editor routines the
// player keeps as stubs. Main thread only.
#pragma once

#include "score/score_model.h"

// Formats a warning and traces "-- AVERTISSEMENT -- %s" (a trace line holds 511 characters); answers 0.
SInt16 Avertissement(const void *window, SInt32 unused, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Finds the music font "Quorella" and uses it on screen at every size and for printing, with
// character transcoding off. Without it the screen fonts stay none and printing falls back to
// the 72 dpi screen font (none as well). True when the font was found.
Boolean InitLentara();
extern const char kNomFonteMusique[];  // "Quorella"
// The version in 'Rver' 128 of a resource file (a big-endian 16- or 32-bit number); 0 if absent.
SInt32 GetVersionFichierRessource(SInt16 refNum);
// A sung staff without a voice record gets one with the defaults (":Classical:Gregorian.prv"
// for a Gregorian staff when singing is on), and its sung and configured flags.
void InitChantConfigPortee(StaffHandle staff);
Boolean IsApplicationOnUSBDevice();  // "nomad.txt" in the application folder; asked once
void SetTextFontSize(SInt16 font, SInt16 size);  // the current port's font and size

// The play selection: parts (staves) and measures as the page gives them.
struct PlaySelectionRecord {
    SInt32 firstPart;
    SInt32 lastPart;
    SInt32 firstMeasure;   // negative: no selection
    SInt32 lastMeasure;
};
// Stores the selection; a negative first measure clears it (a playing score then restarts
// without one). While partitionEnCours plays, the measures are bar numbers: they become
// measures, and playback is re-timed to [start of the first, start of the one after the last).
void FixeJoueSelection(SInt32 firstPart, SInt32 lastPart, SInt32 firstMeasure, SInt32 lastMeasure);
void GetJoueSelection(PlaySelectionRecord *selection);
// The exported play call: the bar range becomes measures of partitionEnCours and a pending
// selection the player's next start takes. False for an empty range.
Boolean JoueMusiqueCadenzo(SInt32 firstPart, SInt32 lastPart, SInt32 firstBar, SInt32 lastBar);
// Takes the pending selection (measures, from 0) and clears it; false when there is none.
Boolean PrendSelectionEnAttente(PlaySelectionRecord *selection);

// The editor's routines, answering as the player needs.
SInt16 Confirmation(const char *format, ...);  // 1: yes, without asking
SInt16 IsModeSilencieux();                     // 0
void ErreurGrave(const char *format, ...);     // shows nothing
void FixePorteeModifiee(StaffHandle staff);
void DoUpdateLyrovox();
SInt16 FixeDureeMinSilenceModeLight(SInt16 value);  // the value unchanged
